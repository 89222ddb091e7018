// gditext.cpp: logical fonts, the text state of DCs and the text calls.
//
// Entry points: CreateFontIndirectW, CreateFontW, TextOutW, ExtTextOutW,
// SetTextAlign, GetTextAlign, GetTextColor, GetBkMode, GetBkColor,
// GetTextExtentPoint32W, GetTextExtentPointW, GetTextMetricsW,
// GetTextFaceW, EnumFontFamiliesW, EnumFontFamiliesExW, GetDIBits, and the
// Gdi* calls of gditext.h.
//
// The text state of a DC (font and alignment) lives here, keyed by the
// DC's handle, and is dropped with the DC; colours, background, current
// position, mapping and clip are the DC's drawing state (gdidraw.h). A font
// handle is a LOGFONTW record registered while it lives; realising it for a
// device is the engine's business (fontobj.h), whose cache keeps the
// glyphs between calls.
#include "platform/gdi/gditext.h"

#include "platform/gdi/fontobj.h"
#include "platform/gdi/fonts.h"
#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gdiobj.h"
#include "platform/kernel/fpmath.h"
#include "platform/kernel/kernel.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <vector>

// The drawing side's clip of a DC for its surface (owned by the DC; null
// when nothing is visible), where the drawing side offers it.
CLIPOBJ* GdiDrawClipFor(HDC hdc, SURFOBJ* pso) __attribute__((weak));
// The drawing side's keeping of calls for the bands of a banded page.
BOOL GdiDrawKeepCall(HDC hdc, void* pv, PFN_GDIDRAWPLAY pfnPlay, PFN_GDIDRAWFREE pfnFree,
                     BOOL* pbKept) __attribute__((weak));

namespace {

const ULONG kFontMagic = 0x544E4648;  // "HFNT"

struct GDIFONT {
    ULONG ulMagic;
    LOGFONTW lf;
    LONG cSelected;      // DCs that hold it
    BOOL bDeletePending; // DeleteObject came while it was selected
    BOOL bStock;         // the DCs' default font, never deleted
};

struct TEXTSTATE {
    GDIFONT* pFont = nullptr;  // null: the default font
    UINT uAlign = TA_LEFT | TA_TOP;
};

std::mutex g_lock;
std::set<const void*> g_fonts;
std::map<HDC, TEXTSTATE> g_states;
GDIFONT* g_pStockFont = nullptr;

GDIFONT* LookupFontLocked(HGDIOBJ h)
{
    if (!h || g_fonts.find(h) == g_fonts.end())
        return nullptr;
    GDIFONT* p = static_cast<GDIFONT*>(h);
    return p->ulMagic == kFontMagic ? p : nullptr;
}

BOOL IsDC(HDC hdc)
{
    return GdiLookupDC(hdc, GDI_PRINTERDC) || GdiLookupDC(hdc, GDI_MEMORYDC);
}

// The font a DC draws with before any is selected.
LOGFONTW DefaultFont()
{
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    const char16_t* pszFace = u"Arial";
    for (int i = 0; pszFace[i]; i++)
        lf.lfFaceName[i] = pszFace[i];
    return lf;
}

// The default font of every DC, as a stock object (call with g_lock held).
GDIFONT* StockFontLocked()
{
    if (!g_pStockFont) {
        GDIFONT* p = new (std::nothrow) GDIFONT();
        if (!p)
            return nullptr;
        p->ulMagic = kFontMagic;
        p->lf = DefaultFont();
        p->bStock = TRUE;
        g_fonts.insert(p);
        g_pStockFont = p;
    }
    return g_pStockFont;
}

// A DC lets go of a font; a font deleted while selected goes with its last DC.
void DeselectLocked(GDIFONT* p)
{
    if (!p || p->bStock)
        return;
    if (--p->cSelected == 0 && p->bDeletePending) {
        g_fonts.erase(p);
        p->ulMagic = 0;
        delete p;
    }
}

// The DC's text state (made on first use) copied out, with its font.
BOOL GetState(HDC hdc, TEXTSTATE* pState, LOGFONTW* plf)
{
    if (!IsDC(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(g_lock);
    TEXTSTATE& st = g_states[hdc];
    *pState = st;
    if (plf)
        *plf = st.pFont ? st.pFont->lf : DefaultFont();
    return TRUE;
}

void Resolution(HDC hdc, LONG* pDpiX, LONG* pDpiY)
{
    LONG x = GetDeviceCaps(hdc, LOGPIXELSX), y = GetDeviceCaps(hdc, LOGPIXELSY);
    *pDpiX = x > 0 ? x : 96;
    *pDpiY = y > 0 ? y : 96;
}

// Device pixels per logical unit along x and y (negative where the mapping
// turns an axis round).
struct DCMAP {
    double sx;
    double sy;
};

DCMAP MapOf(HDC hdc)
{
    POINT apt[3] = {{0, 0}, {1000, 0}, {0, 1000}};
    if (!LPtoDP(hdc, apt, 3))
        return DCMAP{1.0, 1.0};
    return DCMAP{(apt[1].x - apt[0].x) / 1000.0, (apt[2].y - apt[0].y) / 1000.0};
}

LONG ToLogical(LONG lPixels, double dScale)
{
    double d = std::abs(dScale);
    return d > 0 ? static_cast<LONG>(std::lround(lPixels / d)) : lPixels;
}

POINTL ToDevice(HDC hdc, POINT pt)
{
    LPtoDP(hdc, &pt, 1);
    return pt;
}

// The DC's font realised for its device (heights and widths taken from
// logical units to pixels); release with PlatFontRelease.
FONTOBJ* RealizeFor(HDC hdc, TEXTSTATE* pState, DCMAP* pMap = nullptr, LOGFONTW* plfDevice = nullptr,
                    POINTL* pptlDpi = nullptr)
{
    LOGFONTW lf;
    if (!GetState(hdc, pState, &lf))
        return nullptr;
    DCMAP map = MapOf(hdc);
    if (pMap)
        *pMap = map;
    lf.lfHeight = static_cast<LONG>(std::lround(lf.lfHeight * std::abs(map.sy)));
    lf.lfWidth = static_cast<LONG>(std::lround(lf.lfWidth * std::abs(map.sx)));
    LONG dpiX, dpiY;
    Resolution(hdc, &dpiX, &dpiY);
    if (plfDevice)
        *plfDevice = lf;
    if (pptlDpi)
        *pptlDpi = POINTL{dpiX, dpiY};
    return PlatFontRealize(&lf, dpiX, dpiY);
}

// The surface a DC draws on, its hooks and the driver's DrvTextOut.
struct DCTARGET {
    SURFOBJ* pso = nullptr;
    PFN_DrvTextOut pfnTextOut = nullptr;
    PFN_DrvDitherColor pfnDither = nullptr;
    DHPDEV dhpdev = nullptr;
    BOOL bBanding = FALSE;  // a printer surface drawn band by band
};

BOOL TargetOf(HDC hdc, DCTARGET* pt)
{
    pt->pso = PlatGdiLockDCSurface(hdc);
    if (!pt->pso) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC)) {
        pt->pfnDither = reinterpret_cast<PFN_DrvDitherColor>(
            reinterpret_cast<void (*)(void)>(EngFindHook(&pdc->ded, INDEX_DrvDitherColor)));
        pt->dhpdev = pdc->dhpdev;
        FLONG flHooks = 0;
        if (PlatEngQuerySurface(pdc->hsurf, &flHooks, &pt->bBanding) && (flHooks & HOOK_TEXTOUT))
            pt->pfnTextOut = reinterpret_cast<PFN_DrvTextOut>(
                reinterpret_cast<void (*)(void)>(EngFindHook(&pdc->ded, INDEX_DrvTextOut)));
    }
    return TRUE;
}

void CopyName(WCHAR* pDst, size_t cchDst, const std::u16string& s)
{
    size_t n = std::min(s.size(), cchDst - 1);
    std::memcpy(pDst, s.data(), n * sizeof(WCHAR));
    pDst[n] = 0;
}

void FillTextMetrics(FONTOBJ* pfo, const LOGFONTW& lf, TEXTMETRICW* ptm)
{
    PLATFONTMETRICS m;
    PlatFontGetMetrics(pfo, &m);
    const IFIMETRICS* pIfi = FONTOBJ_pifi(pfo);
    TEXTMETRICW tm;
    std::memset(&tm, 0, sizeof(tm));
    tm.tmHeight = m.lAscent + m.lDescent;
    tm.tmAscent = m.lAscent;
    tm.tmDescent = m.lDescent;
    tm.tmInternalLeading = m.lInternalLeading;
    tm.tmExternalLeading = m.lExternalLeading;
    tm.tmAveCharWidth = m.lAveCharWidth;
    tm.tmMaxCharWidth = m.lMaxCharWidth;
    tm.tmWeight = (pfo->flFontType & FO_SIM_BOLD) ? FW_BOLD : pIfi->usWinWeight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = pfo->sizLogResPpi.cx;
    tm.tmDigitizedAspectY = pfo->sizLogResPpi.cy;
    tm.tmFirstChar = pIfi->wcFirstChar;
    tm.tmLastChar = pIfi->wcLastChar;
    tm.tmDefaultChar = pIfi->wcDefaultChar;
    tm.tmBreakChar = pIfi->wcBreakChar;
    tm.tmItalic = ((pIfi->fsSelection & FM_SEL_ITALIC) || (pfo->flFontType & FO_SIM_ITALIC)) ? 1 : 0;
    tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
    tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    tm.tmPitchAndFamily = static_cast<BYTE>((pIfi->jWinPitchAndFamily & 0xF0) | TMPF_VECTOR |
                                            TMPF_TRUETYPE | (m.bFixedPitch ? 0 : TMPF_FIXED_PITCH));
    tm.tmCharSet = pIfi->jWinCharSet;
    *ptm = tm;
}

std::u16string FamilyOf(FONTOBJ* pfo)
{
    const IFIMETRICS* pIfi = FONTOBJ_pifi(pfo);
    if (!pIfi)
        return std::u16string();
    return reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(pIfi) +
                                          pIfi->dpwszFamilyName);
}

// Rectangles of one string's underline and strike-out, ended by an empty one.
void ExtraRects(FONTOBJ* pfo, const LOGFONTW& lf, POINTL ptlStart, POINTL ptlEnd, RECTL* arcl)
{
    std::memset(arcl, 0, 3 * sizeof(RECTL));
    if (ptlStart.y != ptlEnd.y)
        return;  // turned text gets no bars
    PLATFONTMETRICS m;
    PlatFontGetMetrics(pfo, &m);
    LONG l = std::min(ptlStart.x, ptlEnd.x), r = std::max(ptlStart.x, ptlEnd.x);
    int i = 0;
    if (lf.lfUnderline) {
        LONG top = ptlStart.y + m.lUnderlinePos - m.lUnderlineSize / 2;
        arcl[i++] = RECTL{l, top, r, top + m.lUnderlineSize};
    }
    if (lf.lfStrikeOut) {
        LONG top = ptlStart.y - m.lStrikeoutPos - m.lStrikeoutSize / 2;
        arcl[i++] = RECTL{l, top, r, top + m.lStrikeoutSize};
    }
}

// A text call in device terms: what drawing it needs, and what a banded
// page keeps of it to draw it into each band.
struct TEXTCALL {
    LOGFONTW lf;         // the DC's font as selected (underline, strike-out)
    LOGFONTW lfDevice;   // realised for the device: sizes in pixels
    POINTL ptlDpi;
    std::u16string str;
    std::vector<LONG> dx;  // device advances, or none
    BOOL bDxDy = FALSE;
    BOOL bGlyphs = FALSE;
    POINTL ptOrg = {0, 0};  // the first character's origin, device pixels
    UINT options = 0;
    BOOL bRect = FALSE;     // rclArg is the caller's rectangle, device pixels
    RECTL rclArg = {0, 0, 0, 0};
    int iBkMode = OPAQUE;
    COLORREF crBk = 0;
    COLORREF crText = 0;
};

// Draws a text call with all of it moved by ptlOff. pcoGiven is the DC's
// clip for the surface, or null to take the DC's clip now. pfoReady and
// pstroReady are the call's own font and string at its unmoved origin, when
// the caller has them.
BOOL DrawTextCall(HDC hdc, const TEXTCALL& tc, POINTL ptlOff, CLIPOBJ* pcoGiven, FONTOBJ* pfoReady,
                  STROBJ* pstroReady)
{
    FONTOBJ* pfo = pfoReady ? pfoReady : PlatFontRealize(&tc.lfDevice, tc.ptlDpi.x, tc.ptlDpi.y);
    if (!pfo)
        return FALSE;
    DCTARGET target;
    if (!TargetOf(hdc, &target)) {
        if (!pfoReady)
            PlatFontRelease(pfo);
        return FALSE;
    }
    SURFOBJ* pso = target.pso;
    UINT c = static_cast<UINT>(tc.str.size());
    POINTL ptOrg = {tc.ptOrg.x + ptlOff.x, tc.ptOrg.y + ptlOff.y};
    STROBJ* pstro = pstroReady ? pstroReady
                               : PlatStrCreate(pfo, tc.str.data(), c, tc.dx.empty() ? nullptr : tc.dx.data(),
                                               tc.bDxDy, tc.bGlyphs, ptOrg);
    if (!pstro) {
        PlatGdiUnlockDCSurface(pso);
        if (!pfoReady)
            PlatFontRelease(pfo);
        return FALSE;
    }
    POINTL ptEnd = PlatStrEnd(pstro);

    // The clip: the DC's clip on the surface, cut to the rectangle with
    // ETO_CLIPPED.
    RECTL rclBound = {0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
    RECTL rclArg = {tc.rclArg.left + ptlOff.x, tc.rclArg.top + ptlOff.y, tc.rclArg.right + ptlOff.x,
                    tc.rclArg.bottom + ptlOff.y};
    if ((tc.options & ETO_CLIPPED) && tc.bRect) {
        rclBound.left = std::max(rclBound.left, rclArg.left);
        rclBound.top = std::max(rclBound.top, rclArg.top);
        rclBound.right = std::min(rclBound.right, rclArg.right);
        rclBound.bottom = std::min(rclBound.bottom, rclArg.bottom);
    }
    CLIPOBJ* pcoDC = pcoGiven ? pcoGiven : GdiDrawClipFor ? GdiDrawClipFor(hdc, pso) : nullptr;
    BOOL bVisible = pcoGiven || !(GdiDrawClipFor && !pcoDC);  // null from the DC: nothing visible
    std::vector<RECTL> rects;
    BOOL bTrivial = !pcoDC || pcoDC->iDComplexity == DC_TRIVIAL;
    if (!bTrivial && !EngClipRects(pcoDC, &rclBound, &rects))
        bVisible = FALSE;
    CLIPOBJ* pco = EngCreateClip();
    if (pco) {
        if (bTrivial && !((tc.options & ETO_CLIPPED) && tc.bRect))
            PlatClipSetTrivial(pco, &rclBound);
        else if (bTrivial)
            PlatClipSetRects(pco, &rclBound,
                             rclBound.left < rclBound.right && rclBound.top < rclBound.bottom ? 1 : 0);
        else
            PlatClipSetRects(pco, rects.data(), static_cast<ULONG>(rects.size()));
    }

    // The opaque box: the caller's rectangle, or the text's cell in the
    // opaque background mode.
    RECTL rclOpaque;
    RECTL* prclOpaque = nullptr;
    if ((tc.options & ETO_OPAQUE) && tc.bRect) {
        rclOpaque = rclArg;
        prclOpaque = &rclOpaque;
    } else if (tc.iBkMode == OPAQUE && c > 0) {
        rclOpaque = pstro->rclBkGround;
        prclOpaque = &rclOpaque;
    }
    RECTL arclExtra[3];
    ExtraRects(pfo, tc.lf, ptOrg, ptEnd, arclExtra);
    RECTL* prclExtra = arclExtra[0].right > arclExtra[0].left ? arclExtra : nullptr;

    PLATBRUSHDEF defFore, defBack;
    PlatSolidBrushDef(&defFore, pso, tc.crText, target.pfnDither, target.dhpdev);
    PlatSolidBrushDef(&defBack, pso, tc.crBk, target.pfnDither, target.dhpdev);
    BRUSHOBJ* pboFore = PlatBrushCreate(&defFore);
    BRUSHOBJ* pboOpaque = PlatBrushCreate(&defBack);
    // Patterns stay fixed to the page wherever the call is moved.
    POINTL ptlBrushOrg = ptlOff;
    MIX mix = R2_COPYPEN | (R2_COPYPEN << 8);
    BOOL bOk = pco && pboFore && pboOpaque;
    if (bOk && bVisible && (c > 0 || prclOpaque)) {
        // A call with no characters still draws its opaque rectangle.
        RECTL* prclExtraUse = c > 0 ? prclExtra : nullptr;
        if (target.pfnTextOut)
            bOk = target.pfnTextOut(pso, pstro, pfo, pco, prclExtraUse, prclOpaque, pboFore,
                                    pboOpaque, &ptlBrushOrg, mix);
        else
            bOk = EngTextOut(pso, pstro, pfo, pco, prclExtraUse, prclOpaque, pboFore, pboOpaque,
                             &ptlBrushOrg, mix);
    }
    if (pboOpaque)
        PlatBrushDelete(pboOpaque);
    if (pboFore)
        PlatBrushDelete(pboFore);
    if (pco)
        EngDeleteClip(pco);
    if (!pstroReady)
        PlatStrDelete(pstro);
    PlatGdiUnlockDCSurface(pso);
    if (!pfoReady)
        PlatFontRelease(pfo);
    return bOk;
}

// A kept text call drawn into a band of a banded page.
BOOL PlayTextCall(HDC hdc, void* pv, POINTL ptlOff, CLIPOBJ* pco)
{
    return DrawTextCall(hdc, *static_cast<const TEXTCALL*>(pv), ptlOff, pco, nullptr, nullptr);
}

void FreeTextCall(void* pv)
{
    delete static_cast<TEXTCALL*>(pv);
}

}  // namespace

// --- logical fonts -------------------------------------------------------------------

HFONT CreateFontIndirectW(const LOGFONTW* plf)
{
    if (!plf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GDIFONT* p = new (std::nothrow) GDIFONT();
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    p->ulMagic = kFontMagic;
    p->lf = *plf;
    p->lf.lfFaceName[LF_FACESIZE - 1] = 0;
    std::lock_guard<std::mutex> guard(g_lock);
    g_fonts.insert(p);
    return reinterpret_cast<HFONT>(p);
}

HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                  DWORD iPitchAndFamily, LPCWSTR pszFaceName)
{
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = cHeight;
    lf.lfWidth = cWidth;
    lf.lfEscapement = cEscapement;
    lf.lfOrientation = cOrientation;
    lf.lfWeight = cWeight;
    lf.lfItalic = static_cast<BYTE>(bItalic ? 1 : 0);
    lf.lfUnderline = static_cast<BYTE>(bUnderline ? 1 : 0);
    lf.lfStrikeOut = static_cast<BYTE>(bStrikeOut ? 1 : 0);
    lf.lfCharSet = static_cast<BYTE>(iCharSet);
    lf.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    lf.lfQuality = static_cast<BYTE>(iQuality);
    lf.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    for (int i = 0; pszFaceName && i < LF_FACESIZE - 1 && pszFaceName[i]; i++)
        lf.lfFaceName[i] = pszFaceName[i];
    return CreateFontIndirectW(&lf);
}

BOOL GdiTextIsFont(HGDIOBJ h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    return LookupFontLocked(h) != nullptr;
}

HGDIOBJ GdiTextSelectFont(HDC hdc, HGDIOBJ hfont)
{
    if (!IsDC(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(g_lock);
    GDIFONT* pNew = LookupFontLocked(hfont);
    if (!pNew || pNew->bDeletePending) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    TEXTSTATE& st = g_states[hdc];
    GDIFONT* pOld = st.pFont ? st.pFont : StockFontLocked();
    if (!pOld) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // The caller gets back a font deleted while selected as a handle that
    // no longer works, as on the platform.
    DeselectLocked(st.pFont);
    if (!pNew->bStock)
        pNew->cSelected++;
    st.pFont = pNew;
    return pOld;
}

BOOL GdiTextDeleteFont(HGDIOBJ hfont)
{
    std::lock_guard<std::mutex> guard(g_lock);
    GDIFONT* p = LookupFontLocked(hfont);
    if (!p) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (p->bStock)
        return TRUE;  // stock objects are never deleted
    if (p->cSelected > 0) {
        p->bDeletePending = TRUE;
        return TRUE;
    }
    g_fonts.erase(p);
    p->ulMagic = 0;
    delete p;
    return TRUE;
}

int GdiTextGetFont(HGDIOBJ hfont, int c, LPVOID pv)
{
    std::lock_guard<std::mutex> guard(g_lock);
    GDIFONT* p = LookupFontLocked(hfont);
    if (!p) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pv)
        return sizeof(LOGFONTW);
    int cb = std::min<int>(c, sizeof(LOGFONTW));
    if (cb <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(pv, &p->lf, static_cast<size_t>(cb));
    return cb;
}

void GdiTextForgetDC(HDC hdc)
{
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = g_states.find(hdc);
    if (it == g_states.end())
        return;
    DeselectLocked(it->second.pFont);
    g_states.erase(it);
}

LONG PlatGdiLiveFonts()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return static_cast<LONG>(g_fonts.size()) - (g_pStockFont ? 1 : 0);
}

// --- text state ----------------------------------------------------------------------

UINT SetTextAlign(HDC hdc, UINT align)
{
    if (!IsDC(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GDI_ERROR;
    }
    std::lock_guard<std::mutex> guard(g_lock);
    TEXTSTATE& st = g_states[hdc];
    UINT uOld = st.uAlign;
    st.uAlign = align;
    return uOld;
}

UINT GetTextAlign(HDC hdc)
{
    TEXTSTATE st;
    return GetState(hdc, &st, nullptr) ? st.uAlign : GDI_ERROR;
}

// The colours and background of text belong to the DC's drawing state
// (a one-bit blit takes them too), which SetTextColor, SetBkColor and
// SetBkMode set. Where that state offers no reading of its own, these read
// a value back by setting it and putting the old one back.
__attribute__((weak)) COLORREF GetTextColor(HDC hdc)
{
    COLORREF cr = SetTextColor(hdc, 0);
    if (cr != CLR_INVALID)
        SetTextColor(hdc, cr);
    return cr;
}

__attribute__((weak)) int GetBkMode(HDC hdc)
{
    int iMode = SetBkMode(hdc, OPAQUE);
    if (iMode)
        SetBkMode(hdc, iMode);
    return iMode;
}

__attribute__((weak)) COLORREF GetBkColor(HDC hdc)
{
    COLORREF cr = SetBkColor(hdc, 0);
    if (cr != CLR_INVALID)
        SetBkColor(hdc, cr);
    return cr;
}

// --- text output ---------------------------------------------------------------------

namespace {
// The one DC whose text is being read (PlatGdiNoteText).
HDC g_hdcNoted = nullptr;
PLATTEXTNOTE g_pfnNote = nullptr;
void* g_pvNote = nullptr;
}  // namespace

void PlatGdiNoteText(HDC hdc, PLATTEXTNOTE pfn, void* pvContext)
{
    g_hdcNoted = pfn ? hdc : nullptr;
    g_pfnNote = pfn;
    g_pvNote = pvContext;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR psz, int c)
{
    if (c < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, psz, static_cast<UINT>(c), nullptr);
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* prc, LPCWSTR psz, UINT c,
                 const INT* pdx)
{
    if ((c > 0 && !psz) || c > 0x10000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (g_pfnNote && hdc == g_hdcNoted && c > 0)
        g_pfnNote(g_pvNote, psz, c);
    TEXTSTATE st;
    LOGFONTW lf;
    if (!GetState(hdc, &st, &lf))
        return FALSE;
    int iBkMode = GetBkMode(hdc);
    COLORREF crBk = GetBkColor(hdc);
    COLORREF crText = GetTextColor(hdc);
    DCMAP map = MapOf(hdc);
    LOGFONTW lfDevice;
    POINTL ptlDpi;
    FONTOBJ* pfo = RealizeFor(hdc, &st, nullptr, &lfDevice, &ptlDpi);
    if (!pfo)
        return FALSE;
    DCTARGET target;
    if (!TargetOf(hdc, &target)) {
        PlatFontRelease(pfo);
        return FALSE;
    }
    SURFOBJ* pso = target.pso;

    // The reference point: the caller's, or the current position.
    POINT ptLogical = {x, y};
    if (st.uAlign & TA_UPDATECP) {
        MoveToEx(hdc, 0, 0, &ptLogical);
        MoveToEx(hdc, ptLogical.x, ptLogical.y, nullptr);
    }
    POINTL ptRef = ToDevice(hdc, ptLogical);

    // Lay the string out at the reference point, then move it to where the
    // alignment puts the first origin.
    std::vector<LONG> dx;
    BOOL bDxDy = pdx && (options & ETO_PDY);
    if (pdx) {
        size_t n = bDxDy ? 2 * static_cast<size_t>(c) : c;
        dx.resize(n);
        for (size_t i = 0; i < n; i++)
            dx[i] = static_cast<LONG>(std::lround(pdx[i] * (bDxDy && (i & 1) ? map.sy : std::abs(map.sx))));
    }
    BOOL bGlyphs = (options & ETO_GLYPH_INDEX) != 0;
    STROBJ* pstro = PlatStrCreate(pfo, psz, c, pdx ? dx.data() : nullptr, bDxDy, bGlyphs, ptRef);
    if (!pstro) {
        PlatGdiUnlockDCSurface(pso);
        PlatFontRelease(pfo);
        return FALSE;
    }
    POINTL ptEnd = PlatStrEnd(pstro);
    PLATFONTMETRICS m;
    PlatFontGetMetrics(pfo, &m);
    double ang = (lf.lfEscapement % 3600) / 10.0 * 3.14159265358979323846 / 180.0;
    double sn = PlatSin(ang), cs = PlatCos(ang);
    double ox = 0, oy = 0;
    double advX = ptEnd.x - ptRef.x, advY = ptEnd.y - ptRef.y;
    UINT uH = st.uAlign & (TA_LEFT | TA_RIGHT | TA_CENTER);
    if (uH == TA_RIGHT) {
        ox -= advX;
        oy -= advY;
    } else if (uH == TA_CENTER) {
        ox -= advX / 2;
        oy -= advY / 2;
    }
    UINT uV = st.uAlign & (TA_TOP | TA_BOTTOM | TA_BASELINE);
    double dDown = uV == TA_BASELINE ? 0 : uV == TA_BOTTOM ? -m.lDescent : m.lAscent;
    ox += dDown * sn;
    oy += dDown * cs;
    POINTL ptOrg = {ptRef.x + static_cast<LONG>(std::lround(ox)),
                    ptRef.y + static_cast<LONG>(std::lround(oy))};
    // An unturned string only moves; a turned one is laid out again, since
    // its positions are rounded from fractions of the new origin.
    if ((ptOrg.x != ptRef.x || ptOrg.y != ptRef.y) &&
        !PlatStrOffset(pstro, ptOrg.x - ptRef.x, ptOrg.y - ptRef.y)) {
        PlatStrDelete(pstro);
        pstro = PlatStrCreate(pfo, psz, c, pdx ? dx.data() : nullptr, bDxDy, bGlyphs, ptOrg);
        if (!pstro) {
            PlatGdiUnlockDCSurface(pso);
            PlatFontRelease(pfo);
            return FALSE;
        }
    }
    ptEnd = PlatStrEnd(pstro);

    TEXTCALL tc;
    tc.lf = lf;
    tc.lfDevice = lfDevice;
    tc.ptlDpi = ptlDpi;
    if (c > 0)
        tc.str.assign(psz, psz + c);
    tc.dx = dx;
    tc.bDxDy = bDxDy;
    tc.bGlyphs = bGlyphs;
    tc.ptOrg = ptOrg;
    tc.options = options;
    if (prc) {
        POINT a = {prc->left, prc->top}, b = {prc->right, prc->bottom};
        POINTL da = ToDevice(hdc, a), db = ToDevice(hdc, b);
        tc.bRect = TRUE;
        tc.rclArg = RECTL{std::min(da.x, db.x), std::min(da.y, db.y), std::max(da.x, db.x),
                          std::max(da.y, db.y)};
    }
    tc.iBkMode = iBkMode;
    tc.crBk = crBk;
    tc.crText = crText;

    // A page drawn band by band keeps the call for its bands; any other
    // surface is drawn on now.
    BOOL bOk = TRUE;
    BOOL bKept = FALSE;
    if (target.bBanding && GdiDrawKeepCall) {
        TEXTCALL* pKeep = new (std::nothrow) TEXTCALL(tc);
        if (!pKeep) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            bOk = FALSE;
            bKept = TRUE;
        } else {
            bOk = GdiDrawKeepCall(hdc, pKeep, PlayTextCall, FreeTextCall, &bKept);
            if (!bKept)
                delete pKeep;
        }
    }
    PlatGdiUnlockDCSurface(pso);
    if (!bKept)
        bOk = DrawTextCall(hdc, tc, POINTL{0, 0}, nullptr, pfo, pstro);
    if (bOk && (st.uAlign & TA_UPDATECP)) {
        // The current position moves by the string's advance.
        double ddx = (ptEnd.x - ptOrg.x) / (map.sx ? map.sx : 1.0);
        double ddy = (ptEnd.y - ptOrg.y) / (map.sy ? map.sy : 1.0);
        MoveToEx(hdc, ptLogical.x + static_cast<int>(std::lround(ddx)),
                 ptLogical.y + static_cast<int>(std::lround(ddy)), nullptr);
    }
    PlatStrDelete(pstro);
    PlatFontRelease(pfo);
    return bOk;
}

// --- measures and names --------------------------------------------------------------

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR psz, int c, LPSIZE psizl)
{
    if (!psizl || c < 0 || (c > 0 && !psz)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TEXTSTATE st;
    DCMAP map;
    FONTOBJ* pfo = RealizeFor(hdc, &st, &map);
    if (!pfo)
        return FALSE;
    PLATFONTMETRICS m;
    PlatFontGetMetrics(pfo, &m);
    LONG cx = 0;
    for (int i = 0; i < c; i++) {
        LONG adv = 0;
        PlatFontGlyph(pfo, psz[i], nullptr, &adv);
        cx += adv;
    }
    psizl->cx = ToLogical(cx, map.sx);
    psizl->cy = ToLogical(m.lAscent + m.lDescent, map.sy);
    PlatFontRelease(pfo);
    return TRUE;
}

BOOL GetTextExtentPointW(HDC hdc, LPCWSTR psz, int c, LPSIZE psizl)
{
    return GetTextExtentPoint32W(hdc, psz, c, psizl);
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW ptm)
{
    if (!ptm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TEXTSTATE st;
    LOGFONTW lf;
    if (!GetState(hdc, &st, &lf))
        return FALSE;
    DCMAP map;
    FONTOBJ* pfo = RealizeFor(hdc, &st, &map);
    if (!pfo)
        return FALSE;
    FillTextMetrics(pfo, lf, ptm);
    // Pixels back to the DC's logical units.
    ptm->tmAscent = ToLogical(ptm->tmAscent, map.sy);
    ptm->tmDescent = ToLogical(ptm->tmDescent, map.sy);
    ptm->tmHeight = ptm->tmAscent + ptm->tmDescent;
    ptm->tmInternalLeading = ToLogical(ptm->tmInternalLeading, map.sy);
    ptm->tmExternalLeading = ToLogical(ptm->tmExternalLeading, map.sy);
    ptm->tmAveCharWidth = ToLogical(ptm->tmAveCharWidth, map.sx);
    ptm->tmMaxCharWidth = ToLogical(ptm->tmMaxCharWidth, map.sx);
    PlatFontRelease(pfo);
    return TRUE;
}

int GetTextFaceW(HDC hdc, int c, LPWSTR pszName)
{
    TEXTSTATE st;
    FONTOBJ* pfo = RealizeFor(hdc, &st);
    if (!pfo)
        return 0;
    std::u16string strName = FamilyOf(pfo);
    PlatFontRelease(pfo);
    if (!pszName)
        return static_cast<int>(strName.size()) + 1;
    if (c <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    CopyName(pszName, static_cast<size_t>(c), strName);
    int n = 0;
    while (pszName[n])
        n++;
    return n;
}

// --- enumeration ---------------------------------------------------------------------

namespace {

struct ENUMSTYLE {
    LONG lWeight;
    BOOL bItalic;
    const char16_t* pszStyle;
};

const ENUMSTYLE kStyles[] = {
    {FW_NORMAL, FALSE, u"Regular"},
    {FW_BOLD, FALSE, u"Bold"},
    {FW_NORMAL, TRUE, u"Italic"},
    {FW_BOLD, TRUE, u"Bold Italic"},
};

// Calls back for one face in one style and character set; answers the
// callback's result, or 1 when the face has no such style of its own.
int EnumOne(HDC hdc, const FACEMAPROW& row, const ENUMSTYLE& style, BYTE jCharSet, BOOL bEx,
            FONTENUMPROCW proc, LPARAM lParam, BOOL* pbCalled)
{
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfWeight = style.lWeight;
    lf.lfItalic = static_cast<BYTE>(style.bItalic);
    lf.lfCharSet = jCharSet;
    CopyName(lf.lfFaceName, LF_FACESIZE, row.strFace);
    FACEINFO face;
    if (!FontResolve(&lf, &face) || face.bSimBold || face.bSimItalic)
        return 1;
    LONG dpiX = 96, dpiY = 96;
    if (hdc)
        Resolution(hdc, &dpiX, &dpiY);
    FONTOBJ* pfo = PlatFontRealize(&lf, dpiX, dpiY);
    if (!pfo)
        return 1;
    ENUMLOGFONTEXW elf;
    NEWTEXTMETRICEXW ntm;
    std::memset(&elf, 0, sizeof(elf));
    std::memset(&ntm, 0, sizeof(ntm));
    FillTextMetrics(pfo, lf, &ntm.ntmTm.tm);
    ntm.ntmTm.tm.tmCharSet = jCharSet;
    const IFIMETRICS* pIfi = FONTOBJ_pifi(pfo);
    ntm.ntmTm.ntmFlags = (style.bItalic ? NTM_ITALIC : 0) | (style.lWeight >= FW_BOLD ? NTM_BOLD : 0);
    if (!ntm.ntmTm.ntmFlags)
        ntm.ntmTm.ntmFlags = NTM_REGULAR;
    ntm.ntmTm.ntmSizeEM = static_cast<UINT>(pIfi->fwdUnitsPerEm);
    ntm.ntmTm.ntmCellHeight = static_cast<UINT>(pIfi->fwdWinAscender + pIfi->fwdWinDescender);
    ntm.ntmTm.ntmAvgWidth = static_cast<UINT>(pIfi->fwdAveCharWidth);
    {
        std::lock_guard<std::recursive_mutex> guard(FontLock());
        FT_Face ftFace = FontOpenFace(face.strFile, face.iIndex);
        const TT_OS2* pOs2 =
            ftFace ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2)) : nullptr;
        if (pOs2) {
            ntm.ntmFontSig.fsUsb[0] = static_cast<DWORD>(pOs2->ulUnicodeRange1);
            ntm.ntmFontSig.fsUsb[1] = static_cast<DWORD>(pOs2->ulUnicodeRange2);
            ntm.ntmFontSig.fsUsb[2] = static_cast<DWORD>(pOs2->ulUnicodeRange3);
            ntm.ntmFontSig.fsUsb[3] = static_cast<DWORD>(pOs2->ulUnicodeRange4);
            ntm.ntmFontSig.fsCsb[0] = static_cast<DWORD>(pOs2->ulCodePageRange1);
            ntm.ntmFontSig.fsCsb[1] = static_cast<DWORD>(pOs2->ulCodePageRange2);
        }
    }
    elf.elfLogFont = lf;
    elf.elfLogFont.lfHeight = ntm.ntmTm.tm.tmHeight;
    elf.elfLogFont.lfWidth = ntm.ntmTm.tm.tmAveCharWidth;
    elf.elfLogFont.lfOutPrecision = 3;  // the stroke precision outline fonts report
    elf.elfLogFont.lfClipPrecision = 2;
    elf.elfLogFont.lfQuality = PROOF_QUALITY;
    elf.elfLogFont.lfPitchAndFamily = row.jPitchAndFamily;
    std::u16string strStyle = style.pszStyle;
    CopyName(elf.elfFullName, LF_FULLFACESIZE,
             strStyle == u"Regular" ? row.strFace : row.strFace + u" " + strStyle);
    CopyName(elf.elfStyle, LF_FACESIZE, strStyle);
    if (bEx)
        CopyName(elf.elfScript, LF_FACESIZE,
                 jCharSet == SHIFTJIS_CHARSET ? u"日本語" : u"Western");
    PlatFontRelease(pfo);
    *pbCalled = TRUE;
    return proc(&elf.elfLogFont, &ntm.ntmTm.tm, TRUETYPE_FONTTYPE, lParam);
}

// Character sets a mapped face is listed under.
std::vector<BYTE> CharSetsOf(const FACEMAPROW& row)
{
    if (row.jCharSet == SHIFTJIS_CHARSET)
        return {SHIFTJIS_CHARSET, ANSI_CHARSET};
    return {row.jCharSet};
}

int Enumerate(HDC hdc, const std::u16string& strFamily, BYTE jCharSet, BOOL bAllStyles, BOOL bEx,
              FONTENUMPROCW proc, LPARAM lParam)
{
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int iResult = 1;
    for (const FACEMAPROW& row : FontFaceMap()) {
        if (!strFamily.empty() && !FontSameName(row.strFace, strFamily))
            continue;
        for (BYTE set : CharSetsOf(row)) {
            if (jCharSet != DEFAULT_CHARSET && set != jCharSet)
                continue;
            BOOL bCalled = FALSE;
            for (const ENUMSTYLE& style : kStyles) {
                iResult = EnumOne(hdc, row, style, set, bEx, proc, lParam, &bCalled);
                if (iResult == 0)
                    return 0;
                if (bCalled && !bAllStyles)
                    break;
            }
            if (!bEx)
                break;  // the plain form lists each family once
        }
    }
    return iResult;
}

}  // namespace

int EnumFontFamiliesW(HDC hdc, LPCWSTR pszFamily, FONTENUMPROCW proc, LPARAM lParam)
{
    std::u16string strFamily = pszFamily ? pszFamily : u"";
    return Enumerate(hdc, strFamily, DEFAULT_CHARSET, !strFamily.empty(), FALSE, proc, lParam);
}

int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW plf, FONTENUMPROCW proc, LPARAM lParam,
                        DWORD dwFlags)
{
    (void)dwFlags;
    if (!plf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t cch = 0;
    while (cch < LF_FACESIZE && plf->lfFaceName[cch])
        cch++;
    std::u16string strFamily(plf->lfFaceName, cch);
    return Enumerate(hdc, strFamily, plf->lfCharSet, !strFamily.empty(), TRUE, proc, lParam);
}

// --- GetDIBits -----------------------------------------------------------------------

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID pvBits, LPBITMAPINFO pbmi,
              UINT usage)
{
    (void)hdc;
    GDIBMP* pBmp = GdiLookupBitmap(hbm);
    if (!pBmp || !pbmi || pbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) ||
        usage != DIB_RGB_COLORS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    BITMAPINFOHEADER& h = pbmi->bmiHeader;
    if (!pvBits) {
        // Only the header: the bitmap's size and, when not asked, its depth.
        h.biWidth = pBmp->cx;
        h.biHeight = pBmp->cy;
        h.biPlanes = 1;
        if (h.biBitCount == 0)
            h.biBitCount = pBmp->cBitsPixel;
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>((pBmp->cx * h.biBitCount + 31) / 32 * 4 * pBmp->cy);
        return 1;
    }
    WORD cBits = h.biBitCount;
    if ((cBits != 1 && cBits != 4 && cBits != 8 && cBits != 24 && cBits != 32) ||
        h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LONG cx = std::min<LONG>(h.biWidth, pBmp->cx);
    LONG cyDib = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    BOOL bBottomUp = h.biHeight > 0;
    LONG cbRow = (h.biWidth * cBits + 31) / 32 * 4;

    // The colour table: black and white for one bit, a grey ramp else.
    RGBQUAD* pColors = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(pbmi) + h.biSize);
    ULONG cColors = cBits <= 8 ? (1u << cBits) : 0;
    for (ULONG i = 0; i < cColors; i++) {
        BYTE v = static_cast<BYTE>(cColors == 1 ? 0 : i * 255 / (cColors - 1));
        pColors[i] = RGBQUAD{v, v, v, 0};
    }

    SURFOBJ* pso = EngLockSurface(pBmp->hsurf);
    if (!pso) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    UINT cCopied = 0;
    for (UINT i = 0; i < cLines; i++) {
        // Line "start + i" counts from the bottom in a bottom-up DIB.
        LONG yDib = static_cast<LONG>(start + i);
        if (yDib >= cyDib || yDib >= pBmp->cy)
            break;
        LONG ySrc = bBottomUp ? pBmp->cy - 1 - yDib : yDib;
        if (ySrc < 0)
            break;
        const BYTE* pSrc = static_cast<const BYTE*>(pso->pvScan0) + static_cast<ptrdiff_t>(ySrc) * pso->lDelta;
        BYTE* pDst = static_cast<BYTE*>(pvBits) + static_cast<size_t>(i) * cbRow;
        std::memset(pDst, 0, static_cast<size_t>(cbRow));
        for (LONG x = 0; x < cx; x++) {
            COLORREF rgb;
            switch (pBmp->cBitsPixel) {
            case 1: rgb = (pSrc[x >> 3] & (0x80 >> (x & 7))) ? 0xFFFFFF : 0; break;
            case 8: rgb = RGB(pSrc[x], pSrc[x], pSrc[x]); break;
            case 24: rgb = RGB(pSrc[x * 3 + 2], pSrc[x * 3 + 1], pSrc[x * 3]); break;
            case 32: rgb = RGB(pSrc[x * 4 + 2], pSrc[x * 4 + 1], pSrc[x * 4]); break;
            default: rgb = 0; break;
            }
            ULONG grey = (GetRValue(rgb) * 30 + GetGValue(rgb) * 59 + GetBValue(rgb) * 11) / 100;
            switch (cBits) {
            case 1:
                if (grey >= 128)
                    pDst[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
                break;
            case 4:
                pDst[x >> 1] |= static_cast<BYTE>((grey * 15 / 255) << ((x & 1) ? 0 : 4));
                break;
            case 8: pDst[x] = static_cast<BYTE>(grey); break;
            case 24:
                pDst[x * 3] = GetBValue(rgb);
                pDst[x * 3 + 1] = GetGValue(rgb);
                pDst[x * 3 + 2] = GetRValue(rgb);
                break;
            case 32:
                pDst[x * 4] = GetBValue(rgb);
                pDst[x * 4 + 1] = GetGValue(rgb);
                pDst[x * 4 + 2] = GetRValue(rgb);
                break;
            }
        }
        cCopied++;
    }
    EngUnlockSurface(pso);
    return static_cast<int>(cCopied);
}
