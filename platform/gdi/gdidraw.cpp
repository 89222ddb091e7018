// gdidraw.cpp: pens, brushes, regions and the drawing calls of device
// contexts. Declarations and the road of a call: gdidraw.h.
//
// Entry points: the calls of gdidraw.h, and PlatGdiCreateDriverDC.
//
// Facts the drawing relies on:
//  1. Device coordinates are whole pixels: a logical point goes through the
//     mapping mode and is rounded before it becomes a 28.4 value, so shapes
//     land on the pixels a user expects.
//  2. Rectangle and Ellipse draw inside (left, top) .. (right - 1,
//     bottom - 1) in device pixels; with no pen the filled area is one
//     pixel smaller each way. Polygon and PolyPolygon close every figure.
//  3. A DC's clip is a region in device pixels (none: the whole surface).
//     Its CLIPOBJ keeps its iUniq until the clip or the surface changes,
//     so a driver can tell a repeated clip by its number.
//  4. A DC's BRUSHOBJs live until the DC's brush, colours or surface
//     change, so a driver's realization is made once per brush.
//  5. A path recorded between BeginPath and EndPath is in device
//     coordinates; drawing it or making it the clip discards it.
//  6. On a surface marked for banding the page is drawn band by band: each
//     path and blit call is kept (with copies of its path, pen, brush,
//     clip and source bits) and drawn again into every band, moved by the
//     band's origin, while EndPage runs the banding loop.
#include "platform/gdi/gdidraw.h"

#include "platform/gdi/engobj.h"
#include "platform/gdi/gdiobj.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <vector>

namespace {

enum DrawKind { DK_PEN = 0x4E455044, DK_BRUSH, DK_REGION };

struct DRAWOBJ {
    DrawKind eKind;
    BOOL bStock;
    BOOL bDeletePending;  // deleted while selected: goes when no DC holds it
};

struct GPEN {
    DRAWOBJ hdr;
    DWORD dwStyle;              // PS_* with type, cap and join
    LONG lWidth;                // logical width (CreatePen) or device width (geometric ExtCreatePen)
    COLORREF cr;
    BOOL bExt;                  // made by ExtCreatePen
    std::vector<DWORD> aUser;   // PS_USERSTYLE lengths
};

struct GBRUSH {
    DRAWOBJ hdr;
    UINT uStyle;                // BS_*
    COLORREF cr;                // solid and hatch colour
    ULONG iHatch;               // HS_*
    HSURF hsurfPattern;         // own copy of a pattern, or null
    BOOL bMonoPattern;          // 1-bit pattern coloured by the DC's text and background
    std::vector<ULONG> aPal;    // colours of an indexed DIB pattern
    ULONG ulSerial;             // never reused, unlike the brush's address
};

struct GRGN {
    DRAWOBJ hdr;
    std::vector<RECTL> aRects;  // rule 3 of engobj.h
};

// The drawing state of one device context.
struct DCSTATE {
    GPEN* pPen = nullptr;
    GBRUSH* pBrush = nullptr;
    POINTL ptCur = {0, 0};      // logical current position
    int iRop2 = R2_COPYPEN;
    int iBkMode = OPAQUE;
    COLORREF crBk = RGB(255, 255, 255);
    COLORREF crText = RGB(0, 0, 0);
    int iFillMode = ALTERNATE;
    POINTL ptBrushOrg = {0, 0};
    int iMapMode = MM_TEXT;
    POINTL ptWinOrg = {0, 0};
    POINTL ptViewOrg = {0, 0};
    SIZEL szWinExt = {1, 1};
    SIZEL szViewExt = {1, 1};
    int iStretchMode = BLACKONWHITE;
    std::vector<struct SAVEDSTATE>* pSaved = nullptr;  // SaveDC stack, oldest first
    // path recording
    int iPathState = 0;         // 0 none, 1 recording, 2 ended
    PATHOBJ* ppoPath = nullptr;
    BOOL bFigureOpen = FALSE;
    // clip
    BOOL bClip = FALSE;
    std::vector<RECTL> aClip;
    PATHOBJ* ppoClipPath = nullptr;
    CLIPOBJ* pco = nullptr;
    BOOL bClipDirty = TRUE;
    RECTL rcClipSurface = {0, 0, 0, 0};
    // objects handed to the driver, kept while their inputs stay (rule 4)
    BRUSHOBJ* pboFill = nullptr;
    XLATEOBJ* pxloFill = nullptr;
    ULONG ulFillFor = 0;        // serial of the brush it was made for
    HSURF hsurfFillFor = nullptr;
    ULONG ulFillSurfUniq = 0;   // and the target's uniqueness stamp
    COLORREF crFillBk = 0, crFillText = 0;
    int iFillBkMode = 0;
    BRUSHOBJ* pboPen = nullptr;
    COLORREF crPenFor = 0;
    HSURF hsurfPenFor = nullptr;
    ULONG ulPenSurfUniq = 0;
    // banded pages (fact 6)
    BOOL bReplaying = FALSE;            // drawing a recorded call into a band
    std::vector<struct BANDREC*> aPage; // the page's calls, kept until EndPage
};

std::mutex g_lock;
std::set<const void*> g_objects;
std::map<HDC, DCSTATE*> g_states;
GPEN* g_apStockPen[3] = {};
GBRUSH* g_apStockBrush[6] = {};

template <typename T>
T* LookupObj(HGDIOBJ h, DrawKind e)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (!h || g_objects.find(h) == g_objects.end())
        return nullptr;
    T* p = static_cast<T*>(h);
    return p->hdr.eKind == e ? p : nullptr;
}

void RegisterObj(void* p)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_objects.insert(p);
}

GPEN* NewPen(DWORD dwStyle, LONG lWidth, COLORREF cr, BOOL bExt)
{
    GPEN* p = new (std::nothrow) GPEN();
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    p->hdr.eKind = DK_PEN;
    p->dwStyle = dwStyle;
    p->lWidth = lWidth;
    p->cr = cr & 0xFFFFFF;
    p->bExt = bExt;
    return p;
}

GBRUSH* NewBrush(UINT uStyle, COLORREF cr)
{
    GBRUSH* p = new (std::nothrow) GBRUSH();
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    p->hdr.eKind = DK_BRUSH;
    p->uStyle = uStyle;
    p->cr = cr & 0xFFFFFF;
    static std::atomic<ULONG> s_ulSerial{0};
    p->ulSerial = ++s_ulSerial;
    return p;
}

// The stock objects are made once and never deleted.
void EnsureStock()
{
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_apStockPen[0])
            return;
    }
    static const COLORREF acrBrush[5] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                         RGB(64, 64, 64), RGB(0, 0, 0)};
    GBRUSH* apBrush[6];
    for (int i = 0; i < 5; i++)
        apBrush[i] = NewBrush(BS_SOLID, acrBrush[i]);
    apBrush[5] = NewBrush(BS_NULL, 0);
    GPEN* apPen[3] = {NewPen(PS_SOLID, 0, RGB(255, 255, 255), FALSE), NewPen(PS_SOLID, 0, 0, FALSE),
                      NewPen(PS_NULL, 0, 0, FALSE)};
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_apStockPen[0])
        return;  // another thread was first; these few bytes stay unused
    for (int i = 0; i < 6; i++) {
        if (!apBrush[i])
            return;
        apBrush[i]->hdr.bStock = TRUE;
        g_apStockBrush[i] = apBrush[i];
        g_objects.insert(apBrush[i]);
    }
    for (int i = 0; i < 3; i++) {
        if (!apPen[i])
            return;
        apPen[i]->hdr.bStock = TRUE;
        g_apStockPen[i] = apPen[i];
        g_objects.insert(apPen[i]);
    }
}

BOOL IsDC(HDC hdc)
{
    return GdiLookupDC(hdc, GDI_PRINTERDC) || GdiLookupDC(hdc, GDI_MEMORYDC);
}

void FreeFillBrush(DCSTATE* s)
{
    if (s->pboFill)
        PlatBrushDelete(s->pboFill);
    if (s->pxloFill)
        PlatXlateDelete(s->pxloFill);
    s->pboFill = nullptr;
    s->pxloFill = nullptr;
    s->ulFillFor = 0;
    s->hsurfFillFor = nullptr;
}

void FreePenBrush(DCSTATE* s)
{
    if (s->pboPen)
        PlatBrushDelete(s->pboPen);
    s->pboPen = nullptr;
    s->hsurfPenFor = nullptr;
}

void FreePage(DCSTATE* s);

// What SaveDC keeps of a DC's drawing state. Objects are kept by address
// and checked for life on restore: a pen deleted since is not brought back.
struct SAVEDSTATE {
    GPEN* pPen;
    GBRUSH* pBrush;
    POINTL ptCur;
    int iRop2, iBkMode;
    COLORREF crBk, crText;
    int iFillMode;
    POINTL ptBrushOrg;
    int iMapMode;
    POINTL ptWinOrg, ptViewOrg;
    SIZEL szWinExt, szViewExt;
    int iStretchMode;
    BOOL bClip;
    std::vector<RECTL> aClip;
};

void FreeState(DCSTATE* s)
{
    FreePage(s);
    FreeFillBrush(s);
    FreePenBrush(s);
    if (s->ppoPath)
        EngDeletePath(s->ppoPath);
    if (s->ppoClipPath)
        EngDeletePath(s->ppoClipPath);
    if (s->pco)
        EngDeleteClip(s->pco);
    delete s->pSaved;
    delete s;
}

// The drawing state of a DC, made on first use; null for a bad handle.
DCSTATE* State(HDC hdc)
{
    if (!IsDC(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    EnsureStock();
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = g_states.find(hdc);
    if (it != g_states.end())
        return it->second;
    DCSTATE* s = new (std::nothrow) DCSTATE();
    if (!s) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    s->pPen = g_apStockPen[BLACK_PEN - WHITE_PEN];
    s->pBrush = g_apStockBrush[WHITE_BRUSH];
    g_states[hdc] = s;
    return s;
}

// --- regions ---------------------------------------------------------------------

typedef std::vector<std::pair<LONG, LONG>> SPANS;

// The x intervals of the rectangles that cover a whole band, merged.
void BandSpans(const std::vector<const RECTL*>& active, LONG y0, LONG y1, SPANS* pOut)
{
    pOut->clear();
    for (const RECTL* r : active)
        if (r->top <= y0 && r->bottom >= y1)
            pOut->emplace_back(r->left, r->right);
    std::sort(pOut->begin(), pOut->end());
    SPANS merged;
    for (const auto& sp : *pOut) {
        if (!merged.empty() && sp.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, sp.second);
        else
            merged.push_back(sp);
    }
    pOut->swap(merged);
}

BOOL Covered(const SPANS& sp, LONG x0, LONG x1)
{
    for (const auto& s : sp)
        if (s.first <= x0 && s.second >= x1)
            return TRUE;
    return FALSE;
}

// Combines two regions band by band; the result is the normal form of
// rule 3 of engobj.h, with equal bands one above the other joined.
std::vector<RECTL> RegionOp(const std::vector<RECTL>& a, const std::vector<RECTL>& b, int iMode)
{
    std::vector<LONG> ys;
    for (const RECTL& r : a) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    for (const RECTL& r : b) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::vector<const RECTL*> sa, sb;
    for (const RECTL& r : a)
        if (r.left < r.right && r.top < r.bottom)
            sa.push_back(&r);
    for (const RECTL& r : b)
        if (r.left < r.right && r.top < r.bottom)
            sb.push_back(&r);
    auto byTop = [](const RECTL* p, const RECTL* q) { return p->top < q->top; };
    std::sort(sa.begin(), sa.end(), byTop);
    std::sort(sb.begin(), sb.end(), byTop);
    std::vector<const RECTL*> actA, actB;
    size_t ia = 0, ib = 0;
    std::vector<RECTL> out;
    SPANS prev, spA, spB, res;
    size_t iPrevFirst = 0;
    LONG yPrevBottom = 0;
    for (size_t k = 0; k + 1 < ys.size(); k++) {
        LONG y0 = ys[k], y1 = ys[k + 1];
        while (ia < sa.size() && sa[ia]->top <= y0)
            actA.push_back(sa[ia++]);
        while (ib < sb.size() && sb[ib]->top <= y0)
            actB.push_back(sb[ib++]);
        auto gone = [&](const RECTL* r) { return r->bottom <= y0; };
        actA.erase(std::remove_if(actA.begin(), actA.end(), gone), actA.end());
        actB.erase(std::remove_if(actB.begin(), actB.end(), gone), actB.end());
        BandSpans(actA, y0, y1, &spA);
        BandSpans(actB, y0, y1, &spB);
        std::vector<LONG> xs;
        for (const auto& s : spA) {
            xs.push_back(s.first);
            xs.push_back(s.second);
        }
        for (const auto& s : spB) {
            xs.push_back(s.first);
            xs.push_back(s.second);
        }
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        res.clear();
        for (size_t j = 0; j + 1 < xs.size(); j++) {
            BOOL inA = Covered(spA, xs[j], xs[j + 1]), inB = Covered(spB, xs[j], xs[j + 1]);
            BOOL keep;
            switch (iMode) {
            case RGN_AND: keep = inA && inB; break;
            case RGN_OR: keep = inA || inB; break;
            case RGN_XOR: keep = inA != inB; break;
            case RGN_DIFF: keep = inA && !inB; break;
            default: keep = inA; break;
            }
            if (!keep)
                continue;
            if (!res.empty() && res.back().second == xs[j])
                res.back().second = xs[j + 1];
            else
                res.emplace_back(xs[j], xs[j + 1]);
        }
        if (res.empty()) {
            prev.clear();
            continue;
        }
        if (!prev.empty() && res == prev && yPrevBottom == y0) {
            for (size_t j = iPrevFirst; j < out.size(); j++)
                out[j].bottom = y1;
        } else {
            iPrevFirst = out.size();
            for (const auto& s : res)
                out.push_back(RECTL{s.first, y0, s.second, y1});
            prev = res;
        }
        yPrevBottom = y1;
    }
    return out;
}

int RegionKind(const std::vector<RECTL>& v)
{
    return v.empty() ? NULLREGION : v.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void SpanToRects(void* pv, LONG y, LONG x0, LONG x1)
{
    static_cast<std::vector<RECTL>*>(pv)->push_back(RECTL{x0, y, x1, y + 1});
}

// Regions made from paths hold the pixels within this distance of the
// origin, which is far beyond any page, so that a wild polygon cannot make
// millions of rows.
const LONG kRegionLimit = 0x3FFFF;

// The region a path fills under a fill mode.
std::vector<RECTL> RegionOfPath(PATHOBJ* ppo, int iFillMode)
{
    std::vector<RECTL> rows;
    RECTL rcAll = {-kRegionLimit, -kRegionLimit, kRegionLimit, kRegionLimit};
    EngPathSpans(ppo, iFillMode == WINDING, &rcAll, SpanToRects, &rows);
    return RegionOp(rows, std::vector<RECTL>(), RGN_OR);
}

// --- coordinates -----------------------------------------------------------------

void Scale(HDC hdc, const DCSTATE* s, double* psx, double* psy)
{
    double sx = 1, sy = 1;
    int iUnitsPerInch = 0;
    switch (s->iMapMode) {
    case MM_LOMETRIC: iUnitsPerInch = 254; break;
    case MM_HIMETRIC: iUnitsPerInch = 2540; break;
    case MM_LOENGLISH: iUnitsPerInch = 100; break;
    case MM_HIENGLISH: iUnitsPerInch = 1000; break;
    case MM_TWIPS: iUnitsPerInch = 1440; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = static_cast<double>(s->szViewExt.cx) / s->szWinExt.cx;
        sy = static_cast<double>(s->szViewExt.cy) / s->szWinExt.cy;
        if (s->iMapMode == MM_ISOTROPIC) {
            // The same scale both ways: the smaller, each keeping its sign.
            double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = sx < 0 ? -m : m;
            sy = sy < 0 ? -m : m;
        }
        break;
    default: break;
    }
    if (iUnitsPerInch) {
        int dpiX = GetDeviceCaps(hdc, LOGPIXELSX), dpiY = GetDeviceCaps(hdc, LOGPIXELSY);
        sx = static_cast<double>(dpiX > 0 ? dpiX : 96) / iUnitsPerInch;
        sy = -static_cast<double>(dpiY > 0 ? dpiY : 96) / iUnitsPerInch;  // y grows upwards
    }
    *psx = sx;
    *psy = sy;
}

struct MAPPING {
    double sx, sy, dx, dy;
};

MAPPING Mapping(HDC hdc, const DCSTATE* s)
{
    MAPPING m;
    Scale(hdc, s, &m.sx, &m.sy);
    m.dx = s->ptViewOrg.x - s->ptWinOrg.x * m.sx;
    m.dy = s->ptViewOrg.y - s->ptWinOrg.y * m.sy;
    return m;
}

// Device pixels are kept where a 28.4 value can hold them.
const double kDeviceLimit = 0x7FFFFFF;

inline LONG DeviceValue(double v)
{
    return static_cast<LONG>(std::lround(std::clamp(v, -kDeviceLimit, kDeviceLimit)));
}

inline POINTL ToDevice(const MAPPING& m, LONG x, LONG y)
{
    return POINTL{DeviceValue(x * m.sx + m.dx), DeviceValue(y * m.sy + m.dy)};
}

inline POINTFIX ToFix(const MAPPING& m, LONG x, LONG y)
{
    POINTL p = ToDevice(m, x, y);
    return POINTFIX{p.x * 16, p.y * 16};
}

inline FIX FixOf(LONG v)
{
    return static_cast<FIX>(std::clamp<LONG>(v, -0x7FFFFFF, 0x7FFFFFF) * 16);
}

RECTL DeviceRect(const MAPPING& m, LONG l, LONG t, LONG r, LONG b)
{
    POINTL a = ToDevice(m, l, t), c = ToDevice(m, r, b);
    return RECTL{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
}

// --- the target of a drawing call --------------------------------------------------

struct TARGET {
    SURFOBJ* pso = nullptr;
    GDIDC* pdcPrinter = nullptr;   // the printer DC, or null for a memory DC
    FLONG flHooks = 0;
    BOOL bBitmap = FALSE;          // the engine can draw on it
    BOOL bBanding = FALSE;         // marked for banding: calls are kept for the bands
};

BOOL GetTarget(HDC hdc, TARGET* pt)
{
    pt->pso = PlatGdiLockDCSurface(hdc);
    if (!pt->pso) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    pt->pdcPrinter = GdiLookupDC(hdc, GDI_PRINTERDC);
    pt->bBitmap = pt->pso->iType != STYPE_DEVICE && pt->pso->pvScan0;
    if (pt->pdcPrinter) {
        PlatEngQuerySurface(pt->pso->hsurf, &pt->flHooks, &pt->bBanding);
        const GDIINFO& gi = pt->pdcPrinter->gi;
        LONG lStyle = gi.xStyleStep > 0 && gi.denStyleStep > 0 ? gi.denStyleStep / gi.xStyleStep : 1;
        PlatEngSetDeviceDriver(pt->pdcPrinter->hdev, &pt->pdcPrinter->ded, lStyle);
    }
    return TRUE;
}

void ReleaseTarget(TARGET* pt)
{
    if (pt->pso)
        PlatGdiUnlockDCSurface(pt->pso);
    pt->pso = nullptr;
}

template <typename F>
F DrvHook(const TARGET& t, ULONG iFunc, FLONG flHook)
{
    if (!t.pdcPrinter || (flHook && !(t.flHooks & flHook)))
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(EngFindHook(&t.pdcPrinter->ded, iFunc)));
}

// The clip object of the DC for its surface; null when nothing is visible.
CLIPOBJ* ClipForSurface(DCSTATE* s, SURFOBJ* pso)
{
    RECTL rcSurf = {0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
    if (!s->pco) {
        s->pco = EngCreateClip();
        if (!s->pco)
            return nullptr;
        s->bClipDirty = TRUE;
    }
    if (s->bClipDirty || std::memcmp(&rcSurf, &s->rcClipSurface, sizeof(RECTL)) != 0) {
        if (!s->bClip) {
            PlatClipSetTrivial(s->pco, &rcSurf);
        } else {
            std::vector<RECTL> v = RegionOp(s->aClip, std::vector<RECTL>(1, rcSurf), RGN_AND);
            PlatClipSetRects(s->pco, v.data(), static_cast<ULONG>(v.size()));
            if (s->ppoClipPath && !v.empty())
                PlatClipSetPath(s->pco, s->ppoClipPath);
        }
        s->rcClipSurface = rcSurf;
        s->bClipDirty = FALSE;
    }
    if (s->pco->iDComplexity != DC_TRIVIAL && (s->pco->rclBounds.left >= s->pco->rclBounds.right ||
                                               s->pco->rclBounds.top >= s->pco->rclBounds.bottom))
        return nullptr;
    return s->pco;
}

CLIPOBJ* ClipFor(DCSTATE* s, const TARGET& t)
{
    return ClipForSurface(s, t.pso);
}

// Palettes of a target format: black and white for one bit, none (colours
// themselves) above.
const ULONG g_aulBlackWhite[2] = {0x000000, 0xFFFFFF};

XLATEOBJ* XlateTo(const TARGET& t, const ULONG* pulSrc, ULONG cSrc)
{
    BOOL bMono = t.pso->iBitmapFormat == BMF_1BPP;
    return PlatXlateCreate(pulSrc, cSrc, bMono ? g_aulBlackWhite : nullptr, bMono ? 2 : 0);
}

PFN_DrvRealizeBrush RealizeHook(const TARGET& t)
{
    return DrvHook<PFN_DrvRealizeBrush>(t, INDEX_DrvRealizeBrush, 0);
}

// The fill brush for the current brush on the target; null for a hollow
// brush or when memory runs out.
BRUSHOBJ* FillBrush(DCSTATE* s, const TARGET& t)
{
    GBRUSH* pb = s->pBrush;
    if (!pb || pb->uStyle == BS_NULL)
        return nullptr;
    // Keyed by serial and stamp, not by address: a brush or surface made
    // after another was deleted may get its address, and must never be
    // drawn with the old one's realization.
    if (s->pboFill && s->ulFillFor == pb->ulSerial && s->hsurfFillFor == t.pso->hsurf &&
        s->ulFillSurfUniq == t.pso->iUniq && s->crFillBk == s->crBk &&
        s->crFillText == s->crText && s->iFillBkMode == s->iBkMode)
        return s->pboFill;
    FreeFillBrush(s);
    PLATBRUSHDEF def = {};
    def.crRGB = pb->cr;
    def.psoTarget = t.pso;
    def.pfnRealize = RealizeHook(t);
    if (pb->uStyle == BS_SOLID) {
        PlatSolidBrushDef(&def, t.pso, pb->cr, DrvHook<PFN_DrvDitherColor>(t, INDEX_DrvDitherColor, 0),
                          t.pdcPrinter ? t.pdcPrinter->dhpdev : nullptr);
        if (!def.bDither)
            def.pfnRealize = RealizeHook(t);
    } else if (pb->uStyle == BS_HATCHED) {
        ULONG pal[2] = {pb->cr, s->crBk};
        s->pxloFill = XlateTo(t, pal, 2);
        def.iSolidColor = 0xFFFFFFFF;
        def.iHatch = pb->iHatch;
        def.pxlo = s->pxloFill;
        def.bTransparentBack = s->iBkMode == TRANSPARENT;
    } else {
        if (pb->bMonoPattern) {
            ULONG pal[2] = {s->crText, s->crBk};
            s->pxloFill = XlateTo(t, pal, 2);
        } else {
            s->pxloFill =
                XlateTo(t, pb->aPal.empty() ? nullptr : pb->aPal.data(), static_cast<ULONG>(pb->aPal.size()));
        }
        def.iSolidColor = 0xFFFFFFFF;
        def.crRGB = 0xFFFFFFFF;
        def.iHatch = 6;
        def.hsurfPattern = pb->hsurfPattern;
        def.pxlo = s->pxloFill;
    }
    s->pboFill = PlatBrushCreate(&def);
    if (!s->pboFill) {
        FreeFillBrush(s);
        return nullptr;
    }
    s->ulFillFor = pb->ulSerial;
    s->hsurfFillFor = t.pso->hsurf;
    s->ulFillSurfUniq = t.pso->iUniq;
    s->crFillBk = s->crBk;
    s->crFillText = s->crText;
    s->iFillBkMode = s->iBkMode;
    return s->pboFill;
}

BRUSHOBJ* PenBrush(DCSTATE* s, const TARGET& t)
{
    COLORREF cr = s->pPen->cr;
    if (s->pboPen && s->crPenFor == cr && s->hsurfPenFor == t.pso->hsurf && s->ulPenSurfUniq == t.pso->iUniq)
        return s->pboPen;
    FreePenBrush(s);
    PLATBRUSHDEF def = {};
    def.iSolidColor = EngColorIndex(t.pso->iBitmapFormat, cr);
    def.crRGB = cr;
    def.psoTarget = t.pso;
    s->pboPen = PlatBrushCreate(&def);
    s->crPenFor = cr;
    s->hsurfPenFor = t.pso->hsurf;
    s->ulPenSurfUniq = t.pso->iUniq;
    return s->pboPen;
}

inline LONG FloatBits(float f)
{
    LONG l;
    std::memcpy(&l, &f, sizeof(l));
    return l;
}

// The line attributes of the pen; pStyle holds the style array they point to.
BOOL PenAttrs(const DCSTATE* s, const MAPPING& m, LINEATTRS* pla, std::vector<FLOAT_LONG>* pStyle)
{
    const GPEN* p = s->pPen;
    DWORD iStyle = p->dwStyle & PS_STYLE_MASK;
    if (iStyle == PS_NULL)
        return FALSE;
    std::memset(pla, 0, sizeof(*pla));
    double scale = std::fabs(m.sx);
    double w = p->bExt ? p->lWidth : p->lWidth * scale;
    BOOL bGeometric = p->bExt ? (p->dwStyle & PS_TYPE_MASK) == PS_GEOMETRIC : std::lround(w) > 1;
    static const LONG aDash[] = {3, 1}, aDot[] = {1, 1}, aDashDot[] = {3, 1, 1, 1},
                      aDashDotDot[] = {3, 1, 1, 1, 1, 1};
    std::vector<double> units;
    switch (iStyle) {
    case PS_DASH: units.assign(aDash, aDash + 2); break;
    case PS_DOT: units.assign(aDot, aDot + 2); break;
    case PS_DASHDOT: units.assign(aDashDot, aDashDot + 4); break;
    case PS_DASHDOTDOT: units.assign(aDashDotDot, aDashDotDot + 6); break;
    case PS_USERSTYLE:
        for (DWORD d : p->aUser)
            units.push_back(d);
        break;
    default: break;
    }
    pStyle->clear();
    if (!bGeometric) {
        pla->elWidth.l = 1;
        if (iStyle == PS_ALTERNATE)
            pla->fl |= LA_ALTERNATE;
        for (double u : units)
            pStyle->push_back(FLOAT_LONG{static_cast<LONG>(u)});
    } else {
        if (w < 1)
            w = 1;
        pla->fl = LA_GEOMETRIC;
        pla->elWidth.l = FloatBits(static_cast<float>(w));
        switch (p->dwStyle & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL: pla->iJoin = JOIN_BEVEL; break;
        case PS_JOIN_MITER: pla->iJoin = JOIN_MITER; break;
        default: pla->iJoin = JOIN_ROUND; break;
        }
        switch (p->dwStyle & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE: pla->iEndCap = ENDCAP_SQUARE; break;
        case PS_ENDCAP_FLAT: pla->iEndCap = ENDCAP_BUTT; break;
        default: pla->iEndCap = ENDCAP_ROUND; break;
        }
        pla->eMiterLimit = FloatBits(10.0f);
        // Geometric dashes are lengths on the page: user lengths are
        // logical units, the named styles multiples of the width.
        for (double u : units)
            pStyle->push_back(
                FLOAT_LONG{FloatBits(static_cast<float>(iStyle == PS_USERSTYLE ? u * scale : u * w))});
    }
    if (!pStyle->empty()) {
        pla->fl |= LA_STYLED;
        pla->cstyle = static_cast<ULONG>(pStyle->size());
        pla->pstyle = pStyle->data();
    }
    return TRUE;
}

inline MIX MixOf(const DCSTATE* s)
{
    return static_cast<MIX>(s->iRop2 | (s->iRop2 << 8));
}

// --- banded pages (fact 6) ------------------------------------------------------------

// One kept call with what it needs to be drawn again.
struct BANDREC {
    BOOL bBlit = FALSE;
    PATHOBJ* ppo = nullptr;         // a path call's path, device pixels
    BOOL bFill = FALSE;
    BOOL bStroke = FALSE;
    GPEN pen = {};                  // the pen and brush in force, copied
    GBRUSH brush = {};              // (with a copy of its pattern)
    int iRop2 = R2_COPYPEN;
    int iBkMode = OPAQUE;
    int iFillMode = ALTERNATE;
    COLORREF crBk = 0;
    COLORREF crText = 0;
    POINTL ptBrushOrg = {0, 0};
    int iMapMode = MM_TEXT;
    POINTL ptWinOrg = {0, 0};
    POINTL ptViewOrg = {0, 0};
    SIZEL szWinExt = {1, 1};
    SIZEL szViewExt = {1, 1};
    BOOL bClip = FALSE;
    std::vector<RECTL> aClip;
    PATHOBJ* ppoClipPath = nullptr;
    RECTL rcDst = {};               // a blit's rectangles, device pixels
    RECTL rcSrc = {};
    HSURF hsurfSrc = nullptr;       // a copy of its source
    std::vector<ULONG> aSrcPal;     // the source colours of its translation
    ULONG rop3 = 0;
    void* pvCall = nullptr;         // a call another part of GDI draws (text)
    PFN_GDIDRAWPLAY pfnPlay = nullptr;
    PFN_GDIDRAWFREE pfnFree = nullptr;
};

// A copy of an engine bitmap, top row first.
HSURF CopyBitmap(HSURF hsurf)
{
    SURFOBJ* psoFrom = hsurf ? EngLockSurface(hsurf) : nullptr;
    if (!psoFrom)
        return nullptr;
    LONG cb = psoFrom->lDelta < 0 ? -psoFrom->lDelta : psoFrom->lDelta;
    HSURF hCopy = psoFrom->pvScan0 ? reinterpret_cast<HSURF>(EngCreateBitmap(
                                         psoFrom->sizlBitmap, cb, psoFrom->iBitmapFormat, BMF_TOPDOWN, nullptr))
                                   : nullptr;
    SURFOBJ* psoTo = hCopy ? EngLockSurface(hCopy) : nullptr;
    if (psoTo) {
        for (LONG y = 0; y < psoFrom->sizlBitmap.cy; y++)
            std::memcpy(static_cast<BYTE*>(psoTo->pvScan0) + static_cast<LONGLONG>(y) * psoTo->lDelta,
                        static_cast<BYTE*>(psoFrom->pvScan0) + static_cast<LONGLONG>(y) * psoFrom->lDelta, cb);
        EngUnlockSurface(psoTo);
    }
    EngUnlockSurface(psoFrom);
    return hCopy;
}

// A copy of a path moved by whole pixels.
PATHOBJ* CopyPathMoved(PATHOBJ* ppo, LONG dx, LONG dy)
{
    PATHOBJ* ppoNew = EngCreatePath();
    if (!ppoNew || !ppo)
        return ppoNew;
    ppoNew->fl = ppo->fl;
    PATHOBJ_vEnumStart(ppo);
    PATHDATA pd;
    BOOL bMore;
    std::vector<POINTFIX> pts;
    do {
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (!pd.count)
            continue;
        pts.assign(pd.pptfx, pd.pptfx + pd.count);
        for (POINTFIX& pt : pts) {
            pt.x += dx * 16;
            pt.y += dy * 16;
        }
        ULONG i = 0;
        if (pd.flags & PD_BEGINSUBPATH) {
            PATHOBJ_bMoveTo(ppoNew, pts[0]);
            i = 1;
        }
        if (i < pts.size()) {
            if (pd.flags & PD_BEZIERS)
                PATHOBJ_bPolyBezierTo(ppoNew, pts.data() + i, static_cast<ULONG>(pts.size() - i));
            else
                PATHOBJ_bPolyLineTo(ppoNew, pts.data() + i, static_cast<ULONG>(pts.size() - i));
        }
        if ((pd.flags & PD_ENDSUBPATH) && (pd.flags & PD_CLOSEFIGURE))
            PATHOBJ_bCloseFigure(ppoNew);
    } while (bMore);
    return ppoNew;
}

void FreeBandRec(BANDREC* pr)
{
    if (pr->ppo)
        EngDeletePath(pr->ppo);
    if (pr->ppoClipPath)
        EngDeletePath(pr->ppoClipPath);
    if (pr->hsurfSrc)
        EngDeleteSurface(pr->hsurfSrc);
    if (pr->brush.hsurfPattern)
        EngDeleteSurface(pr->brush.hsurfPattern);
    if (pr->pvCall && pr->pfnFree)
        pr->pfnFree(pr->pvCall);
    delete pr;
}

void FreePage(DCSTATE* s)
{
    for (BANDREC* pr : s->aPage)
        FreeBandRec(pr);
    s->aPage.clear();
}

// A new record with the state of the DC; null when memory runs out.
BANDREC* KeepState(DCSTATE* s)
{
    BANDREC* pr = new (std::nothrow) BANDREC();
    if (!pr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pr->pen = *s->pPen;
    pr->brush = *s->pBrush;
    pr->brush.hsurfPattern = s->pBrush->hsurfPattern ? CopyBitmap(s->pBrush->hsurfPattern) : nullptr;
    pr->iRop2 = s->iRop2;
    pr->iBkMode = s->iBkMode;
    pr->iFillMode = s->iFillMode;
    pr->crBk = s->crBk;
    pr->crText = s->crText;
    pr->ptBrushOrg = s->ptBrushOrg;
    pr->iMapMode = s->iMapMode;
    pr->ptWinOrg = s->ptWinOrg;
    pr->ptViewOrg = s->ptViewOrg;
    pr->szWinExt = s->szWinExt;
    pr->szViewExt = s->szViewExt;
    pr->bClip = s->bClip;
    pr->aClip = s->aClip;
    pr->ppoClipPath = s->ppoClipPath ? CopyPathMoved(s->ppoClipPath, 0, 0) : nullptr;
    if ((s->pBrush->hsurfPattern && !pr->brush.hsurfPattern) || (s->ppoClipPath && !pr->ppoClipPath)) {
        FreeBandRec(pr);
        return nullptr;
    }
    return pr;
}

BOOL KeepPath(DCSTATE* s, PATHOBJ* ppo, BOOL bFill, BOOL bStroke)
{
    BANDREC* pr = KeepState(s);
    if (!pr)
        return FALSE;
    pr->ppo = CopyPathMoved(ppo, 0, 0);
    pr->bFill = bFill;
    pr->bStroke = bStroke;
    if (!pr->ppo) {
        FreeBandRec(pr);
        return FALSE;
    }
    s->aPage.push_back(pr);
    return TRUE;
}

BOOL KeepCall(DCSTATE* s, void* pv, PFN_GDIDRAWPLAY pfnPlay, PFN_GDIDRAWFREE pfnFree)
{
    BANDREC* pr = KeepState(s);
    if (!pr) {
        pfnFree(pv);
        return FALSE;
    }
    pr->pvCall = pv;
    pr->pfnPlay = pfnPlay;
    pr->pfnFree = pfnFree;
    s->aPage.push_back(pr);
    return TRUE;
}

BOOL KeepBlit(DCSTATE* s, RECTL rcDst, SURFOBJ* psoSrc, RECTL rcSrc, XLATEOBJ* pxlo, ULONG rop3)
{
    BANDREC* pr = KeepState(s);
    if (!pr)
        return FALSE;
    pr->bBlit = TRUE;
    pr->rcDst = rcDst;
    pr->rcSrc = rcSrc;
    pr->rop3 = rop3;
    if (psoSrc) {
        pr->hsurfSrc = CopyBitmap(psoSrc->hsurf);
        ULONG c = pxlo ? XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, 0, nullptr) : 0;
        pr->aSrcPal.resize(c);
        if (c)
            XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, c, pr->aSrcPal.data());
        if (!pr->hsurfSrc) {
            FreeBandRec(pr);
            return FALSE;
        }
    }
    s->aPage.push_back(pr);
    return TRUE;
}

// A binary raster operation as the ternary one that ignores the source.
ULONG Rop3OfRop2(ULONG r2)
{
    ULONG v = (r2 - 1) & 0xF, rop = 0;
    for (ULONG i = 0; i < 8; i++)
        if ((v >> ((((i >> 2) & 1) << 1) | (i & 1))) & 1)
            rop |= 1u << i;
    return rop;
}

// A device that draws no paths itself gets them as masked blits, as the
// platform hands them on: the path's pixels become a one-bit mask, and
// DrvBitBlt paints the brush through it (the mix where the mask is set,
// the page left as it is elsewhere).
BOOL PathAsMaskedBlit(const TARGET& t, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlOrg, MIX mix,
                      const LINEATTRS* pla, FLONG flOptions)
{
    auto pfnBitBlt = DrvHook<PFN_DrvBitBlt>(t, INDEX_DrvBitBlt, HOOK_BITBLT);
    if (!pfnBitBlt) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    RECTFX rfx;
    PATHOBJ_vGetBounds(ppo, &rfx);
    LONG lPad = 2;
    if (pla && (pla->fl & LA_GEOMETRIC)) {
        float w;
        std::memcpy(&w, &pla->elWidth.l, sizeof(w));
        lPad += static_cast<LONG>(std::min(std::max(w, 0.0f), 100000.0f));
    }
    RECTL rc = {rfx.xLeft / 16 - lPad, rfx.yTop / 16 - lPad, rfx.xRight / 16 + lPad, rfx.yBottom / 16 + lPad};
    RECTL rcLimit = {0, 0, t.pso->sizlBitmap.cx, t.pso->sizlBitmap.cy};
    if (pco && pco->iDComplexity != DC_TRIVIAL)
        rcLimit = RECTL{
            std::max(rcLimit.left, pco->rclBounds.left), std::max(rcLimit.top, pco->rclBounds.top),
            std::min(rcLimit.right, pco->rclBounds.right), std::min(rcLimit.bottom, pco->rclBounds.bottom)};
    rc = RECTL{std::max(rc.left, rcLimit.left), std::max(rc.top, rcLimit.top),
               std::min(rc.right, rcLimit.right), std::min(rc.bottom, rcLimit.bottom)};
    if (rc.left >= rc.right || rc.top >= rc.bottom)
        return TRUE;
    HSURF hsurfMask = reinterpret_cast<HSURF>(
        EngCreateBitmap(SIZEL{rc.right - rc.left, rc.bottom - rc.top}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
    SURFOBJ* psoMask = hsurfMask ? EngLockSurface(hsurfMask) : nullptr;
    PATHOBJ* ppoMoved = psoMask ? CopyPathMoved(ppo, -rc.left, -rc.top) : nullptr;
    BOOL bOk = FALSE;
    if (ppoMoved) {
        BRUSHOBJ boSet = {1, nullptr, 0};
        LINEATTRS la = pla ? *pla : LINEATTRS{};
        bOk = pla ? EngStrokePath(psoMask, ppoMoved, nullptr, nullptr, &boSet, nullptr, &la, R2_COPYPEN)
                  : EngFillPath(psoMask, ppoMoved, nullptr, &boSet, nullptr, R2_COPYPEN, flOptions);
        POINTL ptlMask = {0, 0};
        if (bOk)
            bOk = pfnBitBlt(t.pso, nullptr, psoMask, pco, nullptr, &rc, nullptr, &ptlMask, pbo, pptlOrg,
                            Rop3OfRop2(mix & 0xFF) | (0xAA << 8));
        EngDeletePath(ppoMoved);
    }
    if (psoMask)
        EngUnlockSurface(psoMask);
    if (hsurfMask)
        EngDeleteSurface(hsurfMask);
    return bOk;
}

// Fills and/or strokes a path in device coordinates on the DC's surface.
BOOL DrawPath(HDC hdc, DCSTATE* s, PATHOBJ* ppo, BOOL bFill, BOOL bStroke)
{
    TARGET t;
    if (!GetTarget(hdc, &t))
        return FALSE;
    if (t.bBanding && !s->bReplaying) {
        ReleaseTarget(&t);
        return KeepPath(s, ppo, bFill, bStroke);
    }
    BOOL bOk = TRUE;
    CLIPOBJ* pco = ClipFor(s, t);
    MAPPING m = Mapping(hdc, s);
    LINEATTRS la;
    std::vector<FLOAT_LONG> style;
    BRUSHOBJ* pboFill = bFill ? FillBrush(s, t) : nullptr;
    BOOL bPen = bStroke && PenAttrs(s, m, &la, &style);
    BRUSHOBJ* pboPen = bPen ? PenBrush(s, t) : nullptr;
    MIX mix = MixOf(s);
    FLONG flOptions = s->iFillMode == WINDING ? FP_WINDINGMODE : FP_ALTERNATEMODE;
    POINTL ptlOrg = s->ptBrushOrg;
    XFORML xf = {static_cast<FLOATL>(m.sx), 0, 0, static_cast<FLOATL>(m.sy), static_cast<FLOATL>(m.dx),
                 static_cast<FLOATL>(m.dy)};
    XFORMOBJ* pxo = PlatXformCreate(&xf);
    if (!pco) {
        // Nothing is visible.
    } else if (pboFill && pboPen &&
               DrvHook<PFN_DrvStrokeAndFillPath>(t, INDEX_DrvStrokeAndFillPath, HOOK_STROKEANDFILLPATH)) {
        bOk = DrvHook<PFN_DrvStrokeAndFillPath>(t, INDEX_DrvStrokeAndFillPath, HOOK_STROKEANDFILLPATH)(
            t.pso, ppo, pco, pxo, pboPen, &la, pboFill, &ptlOrg, mix, flOptions);
    } else {
        if (pboFill) {
            auto pfn = DrvHook<PFN_DrvFillPath>(t, INDEX_DrvFillPath, HOOK_FILLPATH);
            if (pfn)
                bOk = pfn(t.pso, ppo, pco, pboFill, &ptlOrg, mix, flOptions);
            else if (t.bBitmap)
                bOk = EngFillPath(t.pso, ppo, pco, pboFill, &ptlOrg, mix, flOptions);
            else
                bOk = PathAsMaskedBlit(t, ppo, pco, pboFill, &ptlOrg, mix, nullptr, flOptions);
        }
        if (pboPen && bOk) {
            auto pfn = DrvHook<PFN_DrvStrokePath>(t, INDEX_DrvStrokePath, HOOK_STROKEPATH);
            if (pfn)
                bOk = pfn(t.pso, ppo, pco, pxo, pboPen, &ptlOrg, &la, mix);
            else if (t.bBitmap)
                bOk = EngStrokePath(t.pso, ppo, pco, pxo, pboPen, &ptlOrg, &la, mix);
            else
                bOk = PathAsMaskedBlit(t, ppo, pco, pboPen, &ptlOrg, mix, &la, 0);
        }
    }
    PlatXformDelete(pxo);
    ReleaseTarget(&t);
    return bOk;
}

// Adds the figures of a shape to a path in device coordinates.
void AddPolyFigure(PATHOBJ* ppo, const MAPPING& m, const POINT* apt, int c, BOOL bClose)
{
    if (c < 1)
        return;
    std::vector<POINTFIX> pts;
    for (int i = 1; i < c; i++)
        pts.push_back(ToFix(m, apt[i].x, apt[i].y));
    PATHOBJ_bMoveTo(ppo, ToFix(m, apt[0].x, apt[0].y));
    if (!pts.empty())
        PATHOBJ_bPolyLineTo(ppo, pts.data(), static_cast<ULONG>(pts.size()));
    if (bClose)
        PATHOBJ_bCloseFigure(ppo);
}

void AddRectFigure(PATHOBJ* ppo, const RECTL& rcDev)
{
    LONG l = rcDev.left, t = rcDev.top, r = std::max(rcDev.left, rcDev.right - 1),
         b = std::max(rcDev.top, rcDev.bottom - 1);
    POINTFIX pts[3] = {{r * 16, t * 16}, {r * 16, b * 16}, {l * 16, b * 16}};
    PATHOBJ_bMoveTo(ppo, POINTFIX{l * 16, t * 16});
    PATHOBJ_bPolyLineTo(ppo, pts, 3);
    PATHOBJ_bCloseFigure(ppo);
}

void AddEllipseFigure(PATHOBJ* ppo, const RECTL& rcDev)
{
    // Four quarter curves inside (left, top) .. (right - 1, bottom - 1).
    double l = rcDev.left * 16.0, t = rcDev.top * 16.0;
    double r = std::max(rcDev.left, rcDev.right - 1) * 16.0, b = std::max(rcDev.top, rcDev.bottom - 1) * 16.0;
    double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    const double k = 0.5522847498;
    auto P = [](double x, double y) {
        return POINTFIX{static_cast<FIX>(std::lround(x)), static_cast<FIX>(std::lround(y))};
    };
    POINTFIX pts[12] = {P(r, cy - k * ry), P(cx + k * rx, t), P(cx, t),      P(cx - k * rx, t),
                        P(l, cy - k * ry), P(l, cy),          P(l, cy + k * ry), P(cx - k * rx, b),
                        P(cx, b),          P(cx + k * rx, b), P(r, cy + k * ry), P(r, cy)};
    PATHOBJ_bMoveTo(ppo, P(r, cy));
    PATHOBJ_bPolyBezierTo(ppo, pts, 12);
    PATHOBJ_bCloseFigure(ppo);
    ppo->fl |= PO_ELLIPSE;
}

// Records into the DC's path, or draws a shape at once.
template <typename ADD>
BOOL Shape(HDC hdc, BOOL bFill, BOOL bStroke, ADD add)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    MAPPING m = Mapping(hdc, s);
    if (s->iPathState == 1) {
        add(s->ppoPath, m);
        s->bFigureOpen = FALSE;
        return TRUE;
    }
    PATHOBJ* ppo = EngCreatePath();
    if (!ppo)
        return FALSE;
    add(ppo, m);
    BOOL bOk = DrawPath(hdc, s, ppo, bFill, bStroke);
    EngDeletePath(ppo);
    return bOk;
}

// --- blits -----------------------------------------------------------------------

const COLORADJUSTMENT g_caDefault = {sizeof(COLORADJUSTMENT), 0, 0, 10000, 10000, 10000, 0, 10000, 0, 0, 0, 0};

// A blit of psoSrc's rcSrc to rcDst (device pixels; mirrored rectangles
// mirror) with a ternary code.
BOOL Blit(HDC hdc, DCSTATE* s, RECTL rcDst, SURFOBJ* psoSrc, RECTL rcSrc, XLATEOBJ* pxlo, ULONG rop3)
{
    TARGET t;
    if (!GetTarget(hdc, &t))
        return FALSE;
    if (t.bBanding && !s->bReplaying) {
        ReleaseTarget(&t);
        return KeepBlit(s, rcDst, psoSrc, rcSrc, pxlo, rop3);
    }
    BOOL bOk = TRUE;
    CLIPOBJ* pco = ClipFor(s, t);
    BOOL bPattern = (((rop3 >> 4) ^ rop3) & 0x0F) != 0;
    BRUSHOBJ* pbo = bPattern ? FillBrush(s, t) : nullptr;
    ROP4 rop4 = rop3 | (rop3 << 8);
    POINTL ptlOrg = s->ptBrushOrg;
    LONG dw = rcDst.right - rcDst.left, dh = rcDst.bottom - rcDst.top;
    LONG sw = rcSrc.right - rcSrc.left, sh = rcSrc.bottom - rcSrc.top;
    BOOL bStretch = psoSrc && (dw != sw || dh != sh || dw < 0 || dh < 0);
    if (!pco || (bPattern && !pbo)) {
        // Nothing visible, or a hollow brush: nothing to draw.
    } else if (!bStretch) {
        POINTL ptlSrc = {rcSrc.left, rcSrc.top};
        auto pfnBitBlt = DrvHook<PFN_DrvBitBlt>(t, INDEX_DrvBitBlt, HOOK_BITBLT);
        auto pfnCopyBits = DrvHook<PFN_DrvCopyBits>(t, INDEX_DrvCopyBits, HOOK_COPYBITS);
        if (pfnBitBlt)
            bOk = pfnBitBlt(t.pso, psoSrc, nullptr, pco, pxlo, &rcDst, psoSrc ? &ptlSrc : nullptr, nullptr, pbo,
                            &ptlOrg, rop4);
        else if (rop3 == 0xCC && pfnCopyBits)
            bOk = pfnCopyBits(t.pso, psoSrc, pco, pxlo, &rcDst, &ptlSrc);
        else if (t.bBitmap)
            bOk = EngBitBlt(t.pso, psoSrc, nullptr, pco, pxlo, &rcDst, psoSrc ? &ptlSrc : nullptr, nullptr, pbo,
                            &ptlOrg, rop4);
        else {
            SetLastError(ERROR_NOT_SUPPORTED);
            bOk = FALSE;
        }
    } else {
        COLORADJUSTMENT ca = g_caDefault;
        POINTL ptlHT = {0, 0};
        auto pfnStretch = DrvHook<PFN_DrvStretchBlt>(t, INDEX_DrvStretchBlt, HOOK_STRETCHBLT);
        auto pfnStretchROP = DrvHook<PFN_DrvStretchBltROP>(t, INDEX_DrvStretchBltROP, HOOK_STRETCHBLTROP);
        if (rop3 == 0xCC && pfnStretch)
            bOk = pfnStretch(t.pso, psoSrc, nullptr, pco, pxlo, &ca, &ptlHT, &rcDst, &rcSrc, nullptr,
                             COLORONCOLOR);
        else if (pfnStretchROP)
            bOk = pfnStretchROP(t.pso, psoSrc, nullptr, pco, pxlo, &ca, &ptlHT, &rcDst, &rcSrc, nullptr,
                                COLORONCOLOR, pbo, rop4);
        else
            bOk = EngStretchBltROP(t.pso, psoSrc, nullptr, pco, pxlo, &ca, &ptlHT, &rcDst, &rcSrc, nullptr,
                                   COLORONCOLOR, pbo, rop4);
    }
    ReleaseTarget(&t);
    return bOk;
}

// The translation from a source surface to the DC's surface: a one-bit
// source takes the DC's text colour for 0 and background for 1 on colour
// targets, and its bits as they are on one-bit targets.
XLATEOBJ* SourceXlate(HDC hdc, DCSTATE* s, SURFOBJ* psoSrc, const std::vector<ULONG>* pPal)
{
    TARGET t;
    if (!GetTarget(hdc, &t))
        return nullptr;
    std::vector<ULONG> pal;
    if (pPal && !pPal->empty()) {
        pal = *pPal;
    } else if (psoSrc->iBitmapFormat == BMF_1BPP) {
        if (t.pso->iBitmapFormat == BMF_1BPP)
            pal.assign(g_aulBlackWhite, g_aulBlackWhite + 2);
        else
            pal = {s->crText, s->crBk};
    } else if (psoSrc->iBitmapFormat == BMF_4BPP || psoSrc->iBitmapFormat == BMF_8BPP) {
        ULONG c = psoSrc->iBitmapFormat == BMF_4BPP ? 16 : 256;
        for (ULONG i = 0; i < c; i++) {
            ULONG g = i * 255 / (c - 1);
            pal.push_back(RGB(g, g, g));
        }
    }
    XLATEOBJ* pxlo = XlateTo(t, pal.empty() ? nullptr : pal.data(), static_cast<ULONG>(pal.size()));
    ReleaseTarget(&t);
    return pxlo;
}

// A packed DIB as an engine bitmap, top row first, with its colours. Only
// the rows the caller says the bits hold are read, and never more bytes than
// the header's image size when it gives one.
HSURF SurfaceFromDib(const BITMAPINFO* pbmi, const void* pvBits, UINT iUsage, LONG yFirst, LONG cRows,
                     std::vector<ULONG>* pPal, BOOL bInPlace = FALSE)
{
    DIBINFO d;
    if (!pbmi || !pvBits || iUsage != DIB_RGB_COLORS || !ReadDibHeader(pbmi, &d)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ULONG iFormat = 0;
    switch (d.wBits) {
    case 1: iFormat = BMF_1BPP; break;
    case 4: iFormat = BMF_4BPP; break;
    case 8: iFormat = BMF_8BPP; break;
    case 16: iFormat = BMF_16BPP; break;
    case 24: iFormat = BMF_24BPP; break;
    case 32: iFormat = BMF_32BPP; break;
    default: break;
    }
    LONG cx = d.cx, cy = d.cy < 0 ? -d.cy : d.cy;
    LONGLONG cbRow = (static_cast<LONGLONG>(cx) * d.wBits + 31) / 32 * 4;
    LONG cStored = std::max<LONG>(cRows, 0);
    if (d.dwCompression != BI_RGB || !iFormat || cx <= 0 || cy <= 0 || cbRow * cy > 0x40000000 ||
        (d.dwSizeImage && cbRow * cStored > d.dwSizeImage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    pPal->clear();
    const BYTE* pColors = reinterpret_cast<const BYTE*>(pbmi) + d.cbHeader;
    for (ULONG i = 0, c = DibColorCount(d); i < c; i++, pColors += d.cbColor)
        pPal->push_back(RGB(pColors[2], pColors[1], pColors[0]));
    BOOL bBottomUp = d.cy > 0;
    if (bInPlace && yFirst == 0 && cStored == cy) {
        // Every row is in the bits: the surface reads them where they lie,
        // bottom-up rows through a negative stride. It lives no longer than
        // the call that made it and is never written.
        return reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{cx, cy}, static_cast<LONG>(cbRow), iFormat,
                                                       bBottomUp ? 0 : BMF_TOPDOWN, const_cast<void*>(pvBits)));
    }
    HSURF hsurf = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{cx, cy}, 0, iFormat, BMF_TOPDOWN, nullptr));
    SURFOBJ* pso = hsurf ? EngLockSurface(hsurf) : nullptr;
    if (!pso) {
        if (hsurf)
            EngDeleteSurface(hsurf);
        return nullptr;
    }
    // Rows yFirst .. yFirst + cRows - 1 (top-down numbering) are in the bits.
    for (LONG i = 0; i < cStored; i++) {
        LONG y = yFirst + i;
        if (y < 0 || y >= cy)
            continue;
        LONG iStored = bBottomUp ? (yFirst + cRows - 1 - y) : i;
        const BYTE* pSrc = static_cast<const BYTE*>(pvBits) + iStored * cbRow;
        std::memcpy(static_cast<BYTE*>(pso->pvScan0) + static_cast<LONGLONG>(y) * pso->lDelta, pSrc,
                    static_cast<size_t>(std::min<LONGLONG>(cbRow, pso->lDelta)));
    }
    EngUnlockSurface(pso);
    return hsurf;
}

ULONG Rop3Of(DWORD rop)
{
    return (rop >> 16) & 0xFF;
}

}  // namespace

BOOL ReadDibHeader(const BITMAPINFO* pbmi, DIBINFO* pOut)
{
    if (!pbmi)
        return FALSE;
    DWORD cbHeader = pbmi->bmiHeader.biSize;
    if (cbHeader == sizeof(BITMAPCOREHEADER)) {
        const BITMAPCOREHEADER* c = reinterpret_cast<const BITMAPCOREHEADER*>(pbmi);
        *pOut = {c->bcWidth, c->bcHeight, c->bcBitCount, BI_RGB, 0, 0, cbHeader, sizeof(RGBTRIPLE)};
        return TRUE;
    }
    if (cbHeader < sizeof(BITMAPINFOHEADER))
        return FALSE;
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    *pOut = {h.biWidth, h.biHeight, h.biBitCount, h.biCompression, h.biClrUsed, h.biSizeImage, cbHeader,
             sizeof(RGBQUAD)};
    return TRUE;
}

ULONG DibColorCount(const DIBINFO& d)
{
    if (d.wBits > 8)
        return 0;
    return d.dwClrUsed ? std::min<ULONG>(d.dwClrUsed, 1u << d.wBits) : 1u << d.wBits;
}

// --- objects -------------------------------------------------------------------------

HPEN CreatePen(int iStyle, int cWidth, COLORREF color)
{
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Styles other than solid are one pixel wide.
    LONG w = cWidth < 0 ? 0 : cWidth;
    if (iStyle >= PS_DASH && iStyle <= PS_DASHDOTDOT)
        w = 0;
    GPEN* p = NewPen(static_cast<DWORD>(iStyle), w, color, FALSE);
    if (!p)
        return nullptr;
    RegisterObj(p);
    return reinterpret_cast<HPEN>(p);
}

HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle, const DWORD* pstyle)
{
    DWORD iType = iPenStyle & PS_TYPE_MASK, iStyle = iPenStyle & PS_STYLE_MASK;
    if (!plbrush || (iType != PS_COSMETIC && iType != PS_GEOMETRIC) || iStyle > PS_ALTERNATE ||
        (iType == PS_COSMETIC && cWidth != 1) || (iStyle == PS_ALTERNATE && iType != PS_COSMETIC) ||
        (iStyle == PS_USERSTYLE ? (cStyle == 0 || cStyle > 16 || !pstyle) : cStyle != 0) ||
        (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_NULL) || cWidth > 0x7FFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GPEN* p = NewPen(plbrush->lbStyle == BS_NULL ? (iPenStyle & ~PS_STYLE_MASK) | PS_NULL : iPenStyle,
                     static_cast<LONG>(cWidth), plbrush->lbColor, TRUE);
    if (!p)
        return nullptr;
    if (iStyle == PS_USERSTYLE)
        p->aUser.assign(pstyle, pstyle + cStyle);
    RegisterObj(p);
    return reinterpret_cast<HPEN>(p);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    GBRUSH* p = NewBrush(BS_SOLID, color);
    if (!p)
        return nullptr;
    RegisterObj(p);
    return reinterpret_cast<HBRUSH>(p);
}

HBRUSH CreateHatchBrush(int iHatch, COLORREF color)
{
    if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GBRUSH* p = NewBrush(BS_HATCHED, color);
    if (!p)
        return nullptr;
    p->iHatch = static_cast<ULONG>(iHatch);
    RegisterObj(p);
    return reinterpret_cast<HBRUSH>(p);
}

HBRUSH CreatePatternBrush(HBITMAP hbm)
{
    GDIBMP* pBmp = GdiLookupBitmap(hbm);
    if (!pBmp) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The brush keeps its own copy: the bitmap may be deleted after this.
    SURFOBJ* psoFrom = EngLockSurface(pBmp->hsurf);
    if (!psoFrom)
        return nullptr;
    HSURF hsurf = reinterpret_cast<HSURF>(
        EngCreateBitmap(psoFrom->sizlBitmap, psoFrom->lDelta > 0 ? psoFrom->lDelta : -psoFrom->lDelta,
                        psoFrom->iBitmapFormat, BMF_TOPDOWN, nullptr));
    SURFOBJ* psoTo = hsurf ? EngLockSurface(hsurf) : nullptr;
    GBRUSH* p = psoTo ? NewBrush(BS_PATTERN, 0) : nullptr;
    if (p) {
        LONG cb = psoTo->lDelta;
        for (LONG y = 0; y < psoFrom->sizlBitmap.cy; y++)
            std::memcpy(static_cast<BYTE*>(psoTo->pvScan0) + y * cb,
                        static_cast<BYTE*>(psoFrom->pvScan0) + static_cast<LONGLONG>(y) * psoFrom->lDelta, cb);
        p->hsurfPattern = hsurf;
        p->bMonoPattern = psoFrom->iBitmapFormat == BMF_1BPP;
        p->iHatch = 6;
    }
    if (psoTo)
        EngUnlockSurface(psoTo);
    EngUnlockSurface(psoFrom);
    if (!p) {
        if (hsurf)
            EngDeleteSurface(hsurf);
        return nullptr;
    }
    RegisterObj(p);
    return reinterpret_cast<HBRUSH>(p);
}

HBRUSH CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage)
{
    const BITMAPINFO* pbmi = static_cast<const BITMAPINFO*>(lpPackedDIB);
    DIBINFO d;
    if (!ReadDibHeader(pbmi, &d)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BYTE* pBits = reinterpret_cast<const BYTE*>(pbmi) + d.cbHeader + DibColorCount(d) * d.cbColor;
    std::vector<ULONG> pal;
    LONG cy = d.cy < 0 ? -d.cy : d.cy;
    HSURF hsurf = SurfaceFromDib(pbmi, pBits, iUsage, 0, cy, &pal);
    if (!hsurf)
        return nullptr;
    GBRUSH* p = NewBrush(BS_DIBPATTERN, 0);
    if (!p) {
        EngDeleteSurface(hsurf);
        return nullptr;
    }
    p->hsurfPattern = hsurf;
    p->aPal = pal;
    p->iHatch = 6;
    RegisterObj(p);
    return reinterpret_cast<HBRUSH>(p);
}

HGDIOBJ GetStockObject(int i)
{
    EnsureStock();
    std::lock_guard<std::mutex> guard(g_lock);
    if (i >= WHITE_BRUSH && i <= NULL_BRUSH)
        return g_apStockBrush[i];
    if (i >= WHITE_PEN && i <= NULL_PEN)
        return g_apStockPen[i - WHITE_PEN];
    return nullptr;
}

static GRGN* NewRegion(std::vector<RECTL> v)
{
    GRGN* p = new (std::nothrow) GRGN();
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    p->hdr.eKind = DK_REGION;
    p->aRects.swap(v);
    RegisterObj(p);
    return p;
}

HRGN CreateRectRgn(int x1, int y1, int x2, int y2)
{
    RECTL r = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    std::vector<RECTL> v;
    if (r.left < r.right && r.top < r.bottom)
        v.push_back(r);
    return reinterpret_cast<HRGN>(NewRegion(v));
}

HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode)
{
    if (!pptl || cPoint < 2 || (iMode != ALTERNATE && iMode != WINDING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    PATHOBJ* ppo = EngCreatePath();
    if (!ppo)
        return nullptr;
    std::vector<POINTFIX> pts;
    for (int i = 1; i < cPoint; i++)
        pts.push_back(POINTFIX{FixOf(pptl[i].x), FixOf(pptl[i].y)});
    PATHOBJ_bMoveTo(ppo, POINTFIX{FixOf(pptl[0].x), FixOf(pptl[0].y)});
    PATHOBJ_bPolyLineTo(ppo, pts.data(), static_cast<ULONG>(pts.size()));
    PATHOBJ_bCloseFigure(ppo);
    std::vector<RECTL> v = RegionOfPath(ppo, iMode);
    EngDeletePath(ppo);
    return reinterpret_cast<HRGN>(NewRegion(v));
}

int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode)
{
    GRGN* pDst = LookupObj<GRGN>(hrgnDst, DK_REGION);
    GRGN* p1 = LookupObj<GRGN>(hrgnSrc1, DK_REGION);
    GRGN* p2 = iMode == RGN_COPY ? nullptr : LookupObj<GRGN>(hrgnSrc2, DK_REGION);
    if (!pDst || !p1 || (iMode != RGN_COPY && !p2) || iMode < RGN_AND || iMode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    std::vector<RECTL> v = iMode == RGN_COPY ? p1->aRects : RegionOp(p1->aRects, p2->aRects, iMode);
    pDst->aRects.swap(v);
    return RegionKind(pDst->aRects);
}

int GetRgnBox(HRGN hrgn, LPRECT lprc)
{
    GRGN* p = LookupObj<GRGN>(hrgn, DK_REGION);
    if (!p || !lprc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    *lprc = RECTL{0, 0, 0, 0};
    for (size_t i = 0; i < p->aRects.size(); i++) {
        const RECTL& r = p->aRects[i];
        if (i == 0) {
            *lprc = r;
            continue;
        }
        lprc->left = std::min(lprc->left, r.left);
        lprc->top = std::min(lprc->top, r.top);
        lprc->right = std::max(lprc->right, r.right);
        lprc->bottom = std::max(lprc->bottom, r.bottom);
    }
    return RegionKind(p->aRects);
}

BOOL PtInRegion(HRGN hrgn, int x, int y)
{
    GRGN* p = LookupObj<GRGN>(hrgn, DK_REGION);
    if (!p)
        return FALSE;
    for (const RECTL& r : p->aRects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return TRUE;
    return FALSE;
}

// Frees a pen or brush whose deletion waited, once no DC holds it.
static void FreeIfUnselected(HGDIOBJ h)
{
    GPEN* pPen = nullptr;
    GBRUSH* pBrush = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        for (const auto& kv : g_states)
            if (kv.second->pPen == h || kv.second->pBrush == h)
                return;
        if (!g_objects.erase(h))
            return;
        const DRAWOBJ* pHdr = static_cast<const DRAWOBJ*>(h);
        if (pHdr->eKind == DK_PEN)
            pPen = static_cast<GPEN*>(h);
        else
            pBrush = static_cast<GBRUSH*>(h);
        // A realization made for the brush goes with it: it still points at
        // the brush's pattern, which is about to be freed.
        if (pBrush)
            for (const auto& kv : g_states)
                if (kv.second->ulFillFor == pBrush->ulSerial)
                    FreeFillBrush(kv.second);
    }
    if (pBrush && pBrush->hsurfPattern)
        EngDeleteSurface(pBrush->hsurfPattern);
    delete pPen;
    delete pBrush;
}

HGDIOBJ GdiDrawSelectObject(HDC hdc, HGDIOBJ h)
{
    GPEN* pPen = LookupObj<GPEN>(h, DK_PEN);
    GBRUSH* pBrush = pPen ? nullptr : LookupObj<GBRUSH>(h, DK_BRUSH);
    GRGN* pRgn = pPen || pBrush ? nullptr : LookupObj<GRGN>(h, DK_REGION);
    if (!pPen && !pBrush && !pRgn)
        return nullptr;
    DCSTATE* s = State(hdc);
    if (!s)
        return nullptr;
    if (pPen) {
        GPEN* pOld = s->pPen;
        s->pPen = pPen;
        if (pOld != pPen && pOld->hdr.bDeletePending)
            FreeIfUnselected(pOld);
        return pOld;
    }
    if (pBrush) {
        GBRUSH* pOld = s->pBrush;
        s->pBrush = pBrush;
        if (pOld != pBrush && pOld->hdr.bDeletePending)
            FreeIfUnselected(pOld);
        return pOld;
    }
    // Selecting a region makes a copy of it the clip; the answer is the
    // region kind, as the platform gives it.
    int iKind = SelectClipRgn(hdc, reinterpret_cast<HRGN>(pRgn));
    return reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(iKind));
}

BOOL GdiDrawDeleteObject(HGDIOBJ h)
{
    GPEN* pPen = LookupObj<GPEN>(h, DK_PEN);
    GBRUSH* pBrush = pPen ? nullptr : LookupObj<GBRUSH>(h, DK_BRUSH);
    GRGN* pRgn = pPen || pBrush ? nullptr : LookupObj<GRGN>(h, DK_REGION);
    if (!pPen && !pBrush && !pRgn)
        return FALSE;
    DRAWOBJ* pHdr = pPen ? &pPen->hdr : pBrush ? &pBrush->hdr : &pRgn->hdr;
    if (pHdr->bStock)
        return TRUE;
    if (pRgn) {
        {
            std::lock_guard<std::mutex> guard(g_lock);
            g_objects.erase(h);
        }
        delete pRgn;
        return TRUE;
    }
    // A pen or brush still selected into a DC lives on until no DC holds
    // it, as on the platform.
    pHdr->bDeletePending = TRUE;
    FreeIfUnselected(h);
    return TRUE;
}

DWORD GdiDrawObjectType(HGDIOBJ h)
{
    if (GPEN* p = LookupObj<GPEN>(h, DK_PEN))
        return p->bExt ? OBJ_EXTPEN : OBJ_PEN;
    if (LookupObj<GBRUSH>(h, DK_BRUSH))
        return OBJ_BRUSH;
    if (LookupObj<GRGN>(h, DK_REGION))
        return OBJ_REGION;
    return 0;
}

void GdiDrawFreeDC(HDC hdc)
{
    // The engine forgets the device's driver with the DC.
    if (GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC))
        if (pdc->hdev)
            PlatEngSetDeviceDriver(pdc->hdev, nullptr, 0);
    DCSTATE* s = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        auto it = g_states.find(hdc);
        if (it == g_states.end())
            return;
        s = it->second;
        g_states.erase(it);
    }
    GPEN* pPen = s->pPen;
    GBRUSH* pBrush = s->pBrush;
    FreeState(s);
    if (pPen && pPen->hdr.bDeletePending)
        FreeIfUnselected(pPen);
    if (pBrush && pBrush->hdr.bDeletePending)
        FreeIfUnselected(pBrush);
}

void GdiDrawPlayBand(HDC hdc, POINTL ptlOrigin)
{
    DCSTATE* s = State(hdc);
    if (!s || s->aPage.empty())
        return;
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
    if (!pso)
        return;
    BOOL bMono = pso->iBitmapFormat == BMF_1BPP;
    PlatGdiUnlockDCSurface(pso);
    LONG dx = -ptlOrigin.x, dy = -ptlOrigin.y;
    for (BANDREC* pr : s->aPage) {
        DCSTATE t;
        t.bReplaying = TRUE;
        t.pPen = &pr->pen;
        t.pBrush = &pr->brush;
        t.iRop2 = pr->iRop2;
        t.iBkMode = pr->iBkMode;
        t.iFillMode = pr->iFillMode;
        t.crBk = pr->crBk;
        t.crText = pr->crText;
        t.ptBrushOrg = POINTL{pr->ptBrushOrg.x + dx, pr->ptBrushOrg.y + dy};
        t.iMapMode = pr->iMapMode;
        t.ptWinOrg = pr->ptWinOrg;
        t.ptViewOrg = pr->ptViewOrg;
        t.szWinExt = pr->szWinExt;
        t.szViewExt = pr->szViewExt;
        t.bClip = pr->bClip;
        for (const RECTL& r : pr->aClip)
            t.aClip.push_back(RECTL{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy});
        t.ppoClipPath = pr->ppoClipPath ? CopyPathMoved(pr->ppoClipPath, dx, dy) : nullptr;
        if (pr->pfnPlay) {
            // Drawn by its owner, with the kept clip moved onto the band.
            SURFOBJ* psoBand = PlatGdiLockDCSurface(hdc);
            CLIPOBJ* pco = psoBand ? ClipForSurface(&t, psoBand) : nullptr;
            if (pco)
                pr->pfnPlay(hdc, pr->pvCall, POINTL{dx, dy}, pco);
            if (psoBand)
                PlatGdiUnlockDCSurface(psoBand);
        } else if (!pr->bBlit) {
            PATHOBJ* ppo = CopyPathMoved(pr->ppo, dx, dy);
            if (ppo) {
                DrawPath(hdc, &t, ppo, pr->bFill, pr->bStroke);
                EngDeletePath(ppo);
            }
        } else {
            RECTL rcDst = {pr->rcDst.left + dx, pr->rcDst.top + dy, pr->rcDst.right + dx,
                           pr->rcDst.bottom + dy};
            SURFOBJ* psoSrc = pr->hsurfSrc ? EngLockSurface(pr->hsurfSrc) : nullptr;
            XLATEOBJ* pxlo = psoSrc ? PlatXlateCreate(pr->aSrcPal.empty() ? nullptr : pr->aSrcPal.data(),
                                                      static_cast<ULONG>(pr->aSrcPal.size()),
                                                      bMono ? g_aulBlackWhite : nullptr, bMono ? 2 : 0)
                                    : nullptr;
            Blit(hdc, &t, rcDst, psoSrc, pr->rcSrc, pxlo, pr->rop3);
            if (pxlo)
                PlatXlateDelete(pxlo);
            if (psoSrc)
                EngUnlockSurface(psoSrc);
        }
        // The replay's own objects go; the pen and brush are the record's.
        FreeFillBrush(&t);
        FreePenBrush(&t);
        if (t.pco)
            EngDeleteClip(t.pco);
        if (t.ppoClipPath)
            EngDeletePath(t.ppoClipPath);
    }
}

BOOL GdiDrawKeepCall(HDC hdc, void* pv, PFN_GDIDRAWPLAY pfnPlay, PFN_GDIDRAWFREE pfnFree, BOOL* pbKept)
{
    *pbKept = FALSE;
    DCSTATE* s = State(hdc);
    if (!s || !pv || !pfnPlay || !pfnFree)
        return TRUE;
    TARGET t;
    if (!GetTarget(hdc, &t))
        return TRUE;
    BOOL bBanding = t.bBanding;
    ReleaseTarget(&t);
    if (!bBanding)
        return TRUE;
    *pbKept = TRUE;
    return KeepCall(s, pv, pfnPlay, pfnFree);
}

void GdiDrawEndPage(HDC hdc)
{
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = g_states.find(hdc);
    if (it != g_states.end())
        FreePage(it->second);
}

LONG PlatGdiLiveDrawObjects()
{
    std::lock_guard<std::mutex> guard(g_lock);
    LONG c = static_cast<LONG>(g_objects.size() + g_states.size());
    return g_apStockPen[0] ? c - 9 : c;
}

// --- DC state ---------------------------------------------------------------------------

CLIPOBJ* GdiDrawClipFor(HDC hdc, SURFOBJ* pso)
{
    DCSTATE* s = State(hdc);
    return s && pso ? ClipForSurface(s, pso) : nullptr;
}

COLORREF GetTextColor(HDC hdc)
{
    DCSTATE* s = State(hdc);
    return s ? s->crText : CLR_INVALID;
}

COLORREF GetBkColor(HDC hdc)
{
    DCSTATE* s = State(hdc);
    return s ? s->crBk : CLR_INVALID;
}

int GetBkMode(HDC hdc)
{
    DCSTATE* s = State(hdc);
    return s ? s->iBkMode : 0;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt)
{
    DCSTATE* s = State(hdc);
    if (!s || !lppt)
        return FALSE;
    *lppt = s->ptCur;
    return TRUE;
}

int SetROP2(HDC hdc, int rop2)
{
    DCSTATE* s = State(hdc);
    if (!s || rop2 < R2_BLACK || rop2 > R2_WHITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int iOld = s->iRop2;
    s->iRop2 = rop2;
    return iOld;
}

int SetBkMode(HDC hdc, int mode)
{
    DCSTATE* s = State(hdc);
    if (!s || (mode != TRANSPARENT && mode != OPAQUE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int iOld = s->iBkMode;
    s->iBkMode = mode;
    return iOld;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return CLR_INVALID;
    COLORREF crOld = s->crBk;
    s->crBk = color & 0xFFFFFF;
    return crOld;
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return CLR_INVALID;
    COLORREF crOld = s->crText;
    s->crText = color & 0xFFFFFF;
    return crOld;
}

int SetPolyFillMode(HDC hdc, int mode)
{
    DCSTATE* s = State(hdc);
    if (!s || (mode != ALTERNATE && mode != WINDING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int iOld = s->iFillMode;
    s->iFillMode = mode;
    return iOld;
}

BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    if (lppt)
        *lppt = s->ptBrushOrg;
    s->ptBrushOrg = POINTL{x, y};
    return TRUE;
}

int SetMapMode(HDC hdc, int iMode)
{
    DCSTATE* s = State(hdc);
    if (!s || iMode < MM_TEXT || iMode > MM_ANISOTROPIC) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int iOld = s->iMapMode;
    s->iMapMode = iMode;
    if (iMode == MM_ISOTROPIC && iOld != MM_ISOTROPIC) {
        // Starts as metric units, y upwards, as the platform does.
        int dpiX = GetDeviceCaps(hdc, LOGPIXELSX), dpiY = GetDeviceCaps(hdc, LOGPIXELSY);
        s->szWinExt = SIZEL{254, 254};
        s->szViewExt = SIZEL{dpiX > 0 ? dpiX : 96, -(dpiY > 0 ? dpiY : 96)};
    }
    return iOld;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    if (lppt)
        *lppt = s->ptViewOrg;
    s->ptViewOrg = POINTL{x, y};
    return TRUE;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    if (lppt)
        *lppt = s->ptWinOrg;
    s->ptWinOrg = POINTL{x, y};
    return TRUE;
}

// Sets the window or viewport extent. Only the two scalable modes take
// extents; a zero extent is refused.
static BOOL _SetExtent(HDC hdc, SIZEL DCSTATE::*pExt, int x, int y, LPSIZE lpsz)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    if (lpsz)
        *lpsz = s->*pExt;
    if (s->iMapMode != MM_ISOTROPIC && s->iMapMode != MM_ANISOTROPIC)
        return TRUE;
    if (x == 0 || y == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    s->*pExt = SIZEL{x, y};
    return TRUE;
}

BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz)
{
    return _SetExtent(hdc, &DCSTATE::szWinExt, x, y, lpsz);
}

BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz)
{
    return _SetExtent(hdc, &DCSTATE::szViewExt, x, y, lpsz);
}

BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c)
{
    DCSTATE* s = State(hdc);
    if (!s || (!lppt && c > 0) || c < 0)
        return FALSE;
    MAPPING m = Mapping(hdc, s);
    for (int i = 0; i < c; i++)
        lppt[i] = ToDevice(m, lppt[i].x, lppt[i].y);
    return TRUE;
}

// --- lines and shapes ---------------------------------------------------------------

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    if (lppt)
        *lppt = s->ptCur;
    s->ptCur = POINTL{x, y};
    if (s->iPathState == 1)
        s->bFigureOpen = FALSE;
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    MAPPING m = Mapping(hdc, s);
    POINTFIX ptTo = ToFix(m, x, y);
    if (s->iPathState == 1) {
        if (!s->bFigureOpen)
            PATHOBJ_bMoveTo(s->ppoPath, ToFix(m, s->ptCur.x, s->ptCur.y));
        PATHOBJ_bPolyLineTo(s->ppoPath, &ptTo, 1);
        s->bFigureOpen = TRUE;
        s->ptCur = POINTL{x, y};
        return TRUE;
    }
    BOOL bOk = TRUE;
    // A solid cosmetic pen on a surface that hooks lines goes to DrvLineTo.
    TARGET t;
    LINEATTRS la;
    std::vector<FLOAT_LONG> style;
    if (!GetTarget(hdc, &t))
        return FALSE;
    auto pfnLineTo = DrvHook<PFN_DrvLineTo>(t, INDEX_DrvLineTo, HOOK_LINETO);
    BOOL bPen = PenAttrs(s, m, &la, &style);
    if (pfnLineTo && bPen && !t.bBanding && !(la.fl & (LA_GEOMETRIC | LA_STYLED | LA_ALTERNATE))) {
        CLIPOBJ* pco = ClipFor(s, t);
        BRUSHOBJ* pbo = PenBrush(s, t);
        POINTL a = ToDevice(m, s->ptCur.x, s->ptCur.y), b = ToDevice(m, x, y);
        RECTL rcBounds = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1,
                          std::max(a.y, b.y) + 1};
        if (pco && pbo)
            bOk = pfnLineTo(t.pso, pco, pbo, a.x, a.y, b.x, b.y, &rcBounds, MixOf(s));
        ReleaseTarget(&t);
    } else {
        ReleaseTarget(&t);
        PATHOBJ* ppo = EngCreatePath();
        if (!ppo)
            return FALSE;
        PATHOBJ_bMoveTo(ppo, ToFix(m, s->ptCur.x, s->ptCur.y));
        PATHOBJ_bPolyLineTo(ppo, &ptTo, 1);
        bOk = DrawPath(hdc, s, ppo, FALSE, TRUE);
        EngDeletePath(ppo);
    }
    s->ptCur = POINTL{x, y};
    return bOk;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt)
{
    if (!apt || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Shape(hdc, FALSE, TRUE,
                 [&](PATHOBJ* ppo, const MAPPING& m) { AddPolyFigure(ppo, m, apt, cpt, FALSE); });
}

BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt)
{
    if (!apt || cpt < 4 || (cpt - 1) % 3 != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Shape(hdc, FALSE, TRUE, [&](PATHOBJ* ppo, const MAPPING& m) {
        std::vector<POINTFIX> pts;
        for (DWORD i = 1; i < cpt; i++)
            pts.push_back(ToFix(m, apt[i].x, apt[i].y));
        PATHOBJ_bMoveTo(ppo, ToFix(m, apt[0].x, apt[0].y));
        PATHOBJ_bPolyBezierTo(ppo, pts.data(), static_cast<ULONG>(pts.size()));
    });
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    return Shape(hdc, TRUE, TRUE, [&](PATHOBJ* ppo, const MAPPING& m) {
        AddRectFigure(ppo, DeviceRect(m, left, top, right, bottom));
    });
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    return Shape(hdc, TRUE, TRUE, [&](PATHOBJ* ppo, const MAPPING& m) {
        AddEllipseFigure(ppo, DeviceRect(m, left, top, right, bottom));
    });
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt)
{
    if (!apt || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Shape(hdc, TRUE, TRUE,
                 [&](PATHOBJ* ppo, const MAPPING& m) { AddPolyFigure(ppo, m, apt, cpt, TRUE); });
}

BOOL PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz)
{
    if (!apt || !asz || csz < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (int i = 0; i < csz; i++)
        if (asz[i] < 2) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    return Shape(hdc, TRUE, TRUE, [&](PATHOBJ* ppo, const MAPPING& m) {
        const POINT* p = apt;
        for (int i = 0; i < csz; i++) {
            AddPolyFigure(ppo, m, p, asz[i], TRUE);
            p += asz[i];
        }
    });
}

// --- paths -------------------------------------------------------------------------------

BOOL BeginPath(HDC hdc)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    if (s->ppoPath)
        EngDeletePath(s->ppoPath);
    s->ppoPath = EngCreatePath();
    s->iPathState = s->ppoPath ? 1 : 0;
    s->bFigureOpen = FALSE;
    return s->ppoPath != nullptr;
}

BOOL EndPath(HDC hdc)
{
    DCSTATE* s = State(hdc);
    if (!s || s->iPathState != 1) {
        SetLastError(ERROR_CAN_NOT_COMPLETE);
        return FALSE;
    }
    s->iPathState = 2;
    return TRUE;
}

BOOL AbortPath(HDC hdc)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    if (s->ppoPath)
        EngDeletePath(s->ppoPath);
    s->ppoPath = nullptr;
    s->iPathState = 0;
    return TRUE;
}

BOOL CloseFigure(HDC hdc)
{
    DCSTATE* s = State(hdc);
    if (!s || s->iPathState != 1) {
        SetLastError(ERROR_CAN_NOT_COMPLETE);
        return FALSE;
    }
    PATHOBJ_bCloseFigure(s->ppoPath);
    s->bFigureOpen = FALSE;
    return TRUE;
}

// Takes the ended path out of the DC; null (with an error) when there is none.
static PATHOBJ* TakePath(DCSTATE* s)
{
    if (!s || s->iPathState != 2) {
        SetLastError(ERROR_CAN_NOT_COMPLETE);
        return nullptr;
    }
    PATHOBJ* ppo = s->ppoPath;
    s->ppoPath = nullptr;
    s->iPathState = 0;
    return ppo;
}

static BOOL DrawDCPath(HDC hdc, BOOL bFill, BOOL bStroke)
{
    DCSTATE* s = State(hdc);
    PATHOBJ* ppo = TakePath(s);
    if (!ppo)
        return FALSE;
    BOOL bOk = DrawPath(hdc, s, ppo, bFill, bStroke);
    EngDeletePath(ppo);
    return bOk;
}

BOOL FillPath(HDC hdc)
{
    return DrawDCPath(hdc, TRUE, FALSE);
}

BOOL StrokePath(HDC hdc)
{
    return DrawDCPath(hdc, FALSE, TRUE);
}

BOOL StrokeAndFillPath(HDC hdc)
{
    return DrawDCPath(hdc, TRUE, TRUE);
}

BOOL SelectClipPath(HDC hdc, int iMode)
{
    DCSTATE* s = State(hdc);
    if (!s || iMode < RGN_AND || iMode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PATHOBJ* ppo = TakePath(s);
    if (!ppo)
        return FALSE;
    std::vector<RECTL> v = RegionOfPath(ppo, s->iFillMode);
    BOOL bPathOnly = iMode == RGN_COPY || (iMode == RGN_AND && !s->bClip);
    if (s->bClip && iMode != RGN_COPY)
        v = RegionOp(s->aClip, v, iMode);
    else if (!s->bClip && iMode != RGN_COPY && iMode != RGN_AND) {
        // Without a clip the whole surface is visible.
        TARGET t;
        if (GetTarget(hdc, &t)) {
            RECTL rcSurf = {0, 0, t.pso->sizlBitmap.cx, t.pso->sizlBitmap.cy};
            v = RegionOp(std::vector<RECTL>(1, rcSurf), v, iMode);
            ReleaseTarget(&t);
        }
    }
    s->aClip.swap(v);
    s->bClip = TRUE;
    if (s->ppoClipPath)
        EngDeletePath(s->ppoClipPath);
    // A clip made of the path alone is handed over as that path.
    s->ppoClipPath = bPathOnly ? ppo : nullptr;
    if (!bPathOnly)
        EngDeletePath(ppo);
    s->bClipDirty = TRUE;
    return TRUE;
}

// --- clipping ------------------------------------------------------------------------------

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return ERROR;
    RECTL rc = DeviceRect(Mapping(hdc, s), left, top, right, bottom);
    std::vector<RECTL> one;
    if (rc.left < rc.right && rc.top < rc.bottom)
        one.push_back(rc);
    if (s->bClip)
        s->aClip = RegionOp(s->aClip, one, RGN_AND);
    else
        s->aClip = one;
    s->bClip = TRUE;
    if (s->ppoClipPath)
        EngDeletePath(s->ppoClipPath);
    s->ppoClipPath = nullptr;
    s->bClipDirty = TRUE;
    return RegionKind(s->aClip);
}

int SelectClipRgn(HDC hdc, HRGN hrgn)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return ERROR;
    GRGN* p = hrgn ? LookupObj<GRGN>(hrgn, DK_REGION) : nullptr;
    if (hrgn && !p) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    if (s->ppoClipPath)
        EngDeletePath(s->ppoClipPath);
    s->ppoClipPath = nullptr;
    s->bClipDirty = TRUE;
    if (!p) {
        s->bClip = FALSE;
        s->aClip.clear();
        return SIMPLEREGION;
    }
    s->aClip = p->aRects;
    s->bClip = TRUE;
    return RegionKind(s->aClip);
}

// --- blits -----------------------------------------------------------------------------------

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    ULONG rop3 = Rop3Of(rop);
    if ((((rop3 >> 2) ^ rop3) & 0x33) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // a source operation needs a source
        return FALSE;
    }
    RECTL rc = DeviceRect(Mapping(hdc, s), x, y, x + w, y + h);
    if (rc.left == rc.right || rc.top == rc.bottom)
        return TRUE;
    return Blit(hdc, s, rc, nullptr, RECTL{0, 0, 0, 0}, nullptr, rop3);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop)
{
    DCSTATE* s = State(hdcDest);
    if (!s)
        return FALSE;
    ULONG rop3 = Rop3Of(rop);
    BOOL bSource = (((rop3 >> 2) ^ rop3) & 0x33) != 0;
    if (!bSource)
        return PatBlt(hdcDest, xDest, yDest, wDest, hDest, rop);
    DCSTATE* sSrc = State(hdcSrc);
    if (!sSrc)
        return FALSE;
    MAPPING m = Mapping(hdcDest, s), mSrc = Mapping(hdcSrc, sSrc);
    POINTL a = ToDevice(m, xDest, yDest), b = ToDevice(m, xDest + wDest, yDest + hDest);
    POINTL c = ToDevice(mSrc, xSrc, ySrc), d = ToDevice(mSrc, xSrc + wSrc, ySrc + hSrc);
    RECTL rcDst = {a.x, a.y, b.x, b.y}, rcSrc = {c.x, c.y, d.x, d.y};
    if (rcDst.left == rcDst.right || rcDst.top == rcDst.bottom || rcSrc.left == rcSrc.right ||
        rcSrc.top == rcSrc.bottom)
        return TRUE;
    SURFOBJ* psoSrc = PlatGdiLockDCSurface(hdcSrc);
    if (!psoSrc || psoSrc->iType == STYPE_DEVICE || !psoSrc->pvScan0) {
        if (psoSrc)
            PlatGdiUnlockDCSurface(psoSrc);
        SetLastError(ERROR_INVALID_PARAMETER);  // a printer's page cannot be read back
        return FALSE;
    }
    XLATEOBJ* pxlo = SourceXlate(hdcDest, s, psoSrc, nullptr);
    BOOL bOk = Blit(hdcDest, s, rcDst, psoSrc, rcSrc, pxlo, rop3);
    PlatXlateDelete(pxlo);
    PlatGdiUnlockDCSurface(psoSrc);
    return bOk;
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop)
{
    ULONG rop3 = Rop3Of(rop);
    if ((((rop3 >> 2) ^ rop3) & 0x33) == 0)
        return PatBlt(hdc, x, y, cx, cy, rop);
    return StretchBlt(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                  int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                  DWORD rop)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return 0;
    DIBINFO d;
    if (!lpbmi || !lpBits || !ReadDibHeader(lpbmi, &d)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LONG cy = d.cy < 0 ? -d.cy : d.cy;
    std::vector<ULONG> pal;
    HSURF hsurf = SurfaceFromDib(lpbmi, lpBits, iUsage, 0, cy, &pal, TRUE);
    if (!hsurf)
        return 0;
    SURFOBJ* psoSrc = EngLockSurface(hsurf);
    // A bottom-up image counts its source rows from the bottom.
    LONG ySrcTop = d.cy > 0 ? cy - ySrc - SrcHeight : ySrc;
    MAPPING m = Mapping(hdc, s);
    POINTL a = ToDevice(m, xDest, yDest), b = ToDevice(m, xDest + DestWidth, yDest + DestHeight);
    RECTL rcDst = {a.x, a.y, b.x, b.y}, rcSrc = {xSrc, ySrcTop, xSrc + SrcWidth, ySrcTop + SrcHeight};
    XLATEOBJ* pxlo = SourceXlate(hdc, s, psoSrc, &pal);
    BOOL bOk = TRUE;
    if (rcDst.left != rcDst.right && rcDst.top != rcDst.bottom && SrcWidth && SrcHeight)
        bOk = Blit(hdc, s, rcDst, psoSrc, rcSrc, pxlo, Rop3Of(rop));
    PlatXlateDelete(pxlo);
    EngUnlockSurface(psoSrc);
    EngDeleteSurface(hsurf);
    return bOk ? std::abs(SrcHeight) : 0;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                      UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return 0;
    DIBINFO d;
    if (!lpbmi || !lpvBits || w > 0x7FFFFFF || h > 0x7FFFFFF || !ReadDibHeader(lpbmi, &d)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LONG cy = d.cy < 0 ? -d.cy : d.cy;
    BOOL bBottomUp = d.cy > 0;
    if (StartScan >= static_cast<UINT>(cy) || cLines == 0)
        return 0;
    LONG cAvail = static_cast<LONG>(std::min<UINT>(cLines, cy - StartScan));
    // The rows the bits hold, numbered from the top.
    LONG yFirst = bBottomUp ? cy - static_cast<LONG>(StartScan) - cAvail : static_cast<LONG>(StartScan);
    std::vector<ULONG> pal;
    HSURF hsurf = SurfaceFromDib(lpbmi, lpvBits, ColorUse, yFirst, cAvail, &pal, TRUE);
    if (!hsurf)
        return 0;
    SURFOBJ* psoSrc = EngLockSurface(hsurf);
    LONG ySrcTop = bBottomUp ? cy - ySrc - static_cast<LONG>(h) : ySrc;
    // Only the rows that came with the bits are copied.
    LONG yTop = std::max(ySrcTop, yFirst), yBottom = std::min(ySrcTop + static_cast<LONG>(h), yFirst + cAvail);
    BOOL bOk = TRUE;
    if (yTop < yBottom && w > 0) {
        MAPPING m = Mapping(hdc, s);
        POINTL a = ToDevice(m, xDest, yDest + (yTop - ySrcTop));
        RECTL rcDst = {a.x, a.y, a.x + static_cast<LONG>(w), a.y + (yBottom - yTop)};
        RECTL rcSrc = {xSrc, yTop, xSrc + static_cast<LONG>(w), yBottom};
        XLATEOBJ* pxlo = SourceXlate(hdc, s, psoSrc, &pal);
        bOk = Blit(hdc, s, rcDst, psoSrc, rcSrc, pxlo, 0xCC);
        PlatXlateDelete(pxlo);
    }
    EngUnlockSurface(psoSrc);
    EngDeleteSurface(hsurf);
    return bOk ? cAvail : 0;
}

// --- a printer DC on a driver already in the process ---------------------------------------

HDC PlatGdiCreateDriverDC(const DRVENABLEDATA* pded, const DEVMODEW* pdm)
{
    if (!pded || !pded->pdrvfn) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto hook = [&](ULONG i) { return EngFindHook(pded, i); };
    auto pfnEnablePDEV =
        reinterpret_cast<PFN_DrvEnablePDEV>(reinterpret_cast<void (*)(void)>(hook(INDEX_DrvEnablePDEV)));
    auto pfnCompletePDEV =
        reinterpret_cast<PFN_DrvCompletePDEV>(reinterpret_cast<void (*)(void)>(hook(INDEX_DrvCompletePDEV)));
    auto pfnDisablePDEV =
        reinterpret_cast<PFN_DrvDisablePDEV>(reinterpret_cast<void (*)(void)>(hook(INDEX_DrvDisablePDEV)));
    auto pfnEnableSurface = reinterpret_cast<PFN_DrvEnableSurface>(
        reinterpret_cast<void (*)(void)>(hook(INDEX_DrvEnableSurface)));
    if (!pfnEnablePDEV || !pfnCompletePDEV || !pfnDisablePDEV || !pfnEnableSurface) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    GDIDC* pdc = new (std::nothrow) GDIDC();
    if (!pdc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pdc->hdr.eKind = GDI_PRINTERDC;
    pdc->ded = *pded;
    pdc->strPrinter = u"Driver DC";
    if (pdm) {
        const BYTE* pb = reinterpret_cast<const BYTE*>(pdm);
        pdc->devmode.assign(pb, pb + pdm->dmSize + pdm->dmDriverExtra);
    }
    pdc->hdev = PlatEngCreateDevice(nullptr);
    if (pdc->hdev) {
        pdc->dhpdev =
            pfnEnablePDEV(pdc->devmode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(pdc->devmode.data()),
                          nullptr, 0, nullptr, sizeof(GDIINFO), reinterpret_cast<ULONG*>(&pdc->gi),
                          sizeof(DEVINFO), &pdc->di, pdc->hdev, pdc->strPrinter.data(), nullptr);
    }
    if (pdc->dhpdev) {
        PlatEngSetDevicePDEV(pdc->hdev, pdc->dhpdev);
        pfnCompletePDEV(pdc->dhpdev, pdc->hdev);
        pdc->hsurf = pfnEnableSurface(pdc->dhpdev);
        if (!pdc->hsurf)
            pfnDisablePDEV(pdc->dhpdev);
    }
    if (!pdc->hsurf) {
        if (pdc->hdev)
            PlatEngDeleteDevice(pdc->hdev);
        delete pdc;
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    GdiRegister(pdc);
    return reinterpret_cast<HDC>(pdc);
}

// --- saved states, clip queries, stretch mode ------------------------------------------------

int SaveDC(HDC hdc)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return 0;
    if (!s->pSaved) {
        s->pSaved = new (std::nothrow) std::vector<SAVEDSTATE>();
        if (!s->pSaved) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
    }
    s->pSaved->push_back({s->pPen, s->pBrush, s->ptCur, s->iRop2, s->iBkMode, s->crBk, s->crText,
                          s->iFillMode, s->ptBrushOrg, s->iMapMode, s->ptWinOrg, s->ptViewOrg,
                          s->szWinExt, s->szViewExt, s->iStretchMode, s->bClip, s->aClip});
    return static_cast<int>(s->pSaved->size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC)
{
    DCSTATE* s = State(hdc);
    if (!s)
        return FALSE;
    int cSaved = s->pSaved ? static_cast<int>(s->pSaved->size()) : 0;
    int iLevel = nSavedDC < 0 ? cSaved + 1 + nSavedDC : nSavedDC;
    if (nSavedDC == 0 || iLevel < 1 || iLevel > cSaved) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SAVEDSTATE v = (*s->pSaved)[static_cast<size_t>(iLevel - 1)];
    s->pSaved->resize(static_cast<size_t>(iLevel - 1));
    if (LookupObj<GPEN>(v.pPen, DK_PEN))
        GdiDrawSelectObject(hdc, v.pPen);
    if (LookupObj<GBRUSH>(v.pBrush, DK_BRUSH))
        GdiDrawSelectObject(hdc, v.pBrush);
    s->ptCur = v.ptCur;
    s->iRop2 = v.iRop2;
    s->iBkMode = v.iBkMode;
    s->crBk = v.crBk;
    s->crText = v.crText;
    s->iFillMode = v.iFillMode;
    s->ptBrushOrg = v.ptBrushOrg;
    s->iMapMode = v.iMapMode;
    s->ptWinOrg = v.ptWinOrg;
    s->ptViewOrg = v.ptViewOrg;
    s->szWinExt = v.szWinExt;
    s->szViewExt = v.szViewExt;
    s->iStretchMode = v.iStretchMode;
    if (s->ppoClipPath)
        EngDeletePath(s->ppoClipPath);
    s->ppoClipPath = nullptr;
    s->bClip = v.bClip;
    s->aClip = v.aClip;
    s->bClipDirty = TRUE;
    return TRUE;
}

int GetClipBox(HDC hdc, LPRECT lprect)
{
    DCSTATE* s = State(hdc);
    if (!s || !lprect)
        return ERROR;
    // The surface bounds the visible part even without a clip.
    RECTL rcSurf = {0, 0, 0, 0};
    if (SURFOBJ* pso = PlatGdiLockDCSurface(hdc)) {
        rcSurf = {0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
        PlatGdiUnlockDCSurface(pso);
    }
    std::vector<RECTL> v(1, rcSurf);
    if (s->bClip)
        v = RegionOp(s->aClip, v, RGN_AND);
    if (v.empty()) {
        *lprect = {0, 0, 0, 0};
        return NULLREGION;
    }
    RECTL b = v[0];
    for (const RECTL& r : v) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    // Back to logical units through the inverse of the mapping.
    MAPPING m = Mapping(hdc, s);
    POINT a[2] = {{b.left, b.top}, {b.right, b.bottom}};
    for (POINT& p : a) {
        p.x = static_cast<LONG>(std::lround((p.x - m.dx) / (m.sx ? m.sx : 1.0)));
        p.y = static_cast<LONG>(std::lround((p.y - m.dy) / (m.sy ? m.sy : 1.0)));
    }
    *lprect = {std::min(a[0].x, a[1].x), std::min(a[0].y, a[1].y), std::max(a[0].x, a[1].x),
               std::max(a[0].y, a[1].y)};
    return v.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int GetClipRgn(HDC hdc, HRGN hrgn)
{
    DCSTATE* s = State(hdc);
    GRGN* p = LookupObj<GRGN>(hrgn, DK_REGION);
    if (!s || !p)
        return -1;
    if (!s->bClip)
        return 0;
    p->aRects = s->aClip;
    return 1;
}

int SetStretchBltMode(HDC hdc, int mode)
{
    DCSTATE* s = State(hdc);
    if (!s || mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int iOld = s->iStretchMode;
    s->iStretchMode = mode;
    return iOld;
}

int GetStretchBltMode(HDC hdc)
{
    DCSTATE* s = State(hdc);
    return s ? s->iStretchMode : 0;
}
