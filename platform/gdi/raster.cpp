// raster.cpp: the engine's software rasteriser on its own bitmaps.
//
// Entry points: EngBitBlt, EngCopyBits, EngStretchBlt, EngStretchBltROP,
// EngGradientFill, EngFillPath, EngStrokePath, EngStrokeAndFillPath,
// EngLineTo, EngPaint, EngPathSpans and PlatEngSetDeviceDriver.
//
// Facts the drawing relies on:
//  1. A pixel is the unit square at its coordinates; a fill covers the
//     pixels whose centres lie inside the path (edges through a centre count
//     on the left and top only), so adjacent fills neither gap nor overlap.
//  2. A ternary raster operation is evaluated bit by bit on colour indices:
//     bit (P << 2 | S << 1 | D) of the code is the result, for every bit of
//     the pixel at once. A ROP4's low byte applies where the mask is 1, its
//     high byte where it is 0. A mix's low byte is a binary code 1..16.
//  3. Cosmetic lines are one pixel wide and leave out their last pixel, so
//     that joined segments touch each pixel once; a style unit is
//     lStylePixels of the surface's device.
//  4. Only bitmaps are drawn here. On a device surface, stretching with a
//     raster operation and gradient fills are drawn into a bitmap of the
//     destination's format and handed to the driver's DrvBitBlt (or
//     DrvCopyBits); every other call on a device surface fails.
#include "platform/gdi/engobj.h"

#include "platform/kernel/fpmath.h"
#include "platform/kernel/kernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

struct DEVDRIVER {
    const DRVENABLEDATA* pded;
    LONG lStylePixels;
};

std::mutex g_devLock;
std::unordered_map<HDEV, DEVDRIVER> g_devices;

// A bitmap the rasteriser writes: rows from pvScan0, lDelta apart.
struct SURF {
    BYTE* pScan0;
    LONG lDelta;
    LONG cx;
    LONG cy;
    ULONG iFormat;
};

BOOL SurfFrom(SURFOBJ* pso, SURF* ps)
{
    if (!pso || pso->iType == STYPE_DEVICE || !pso->pvScan0 || pso->sizlBitmap.cx <= 0 ||
        pso->sizlBitmap.cy <= 0)
        return FALSE;
    switch (pso->iBitmapFormat) {
    case BMF_1BPP:
    case BMF_4BPP:
    case BMF_8BPP:
    case BMF_16BPP:
    case BMF_24BPP:
    case BMF_32BPP:
        break;
    default:
        return FALSE;
    }
    ps->pScan0 = static_cast<BYTE*>(pso->pvScan0);
    ps->lDelta = pso->lDelta;
    ps->cx = pso->sizlBitmap.cx;
    ps->cy = pso->sizlBitmap.cy;
    ps->iFormat = pso->iBitmapFormat;
    return TRUE;
}

inline BYTE* Row(const SURF& s, LONG y)
{
    return s.pScan0 + static_cast<LONGLONG>(y) * s.lDelta;
}

// Colour index of a pixel: palette index up to 8 bits, 0x00BBGGRR above.
inline ULONG GetPix(const SURF& s, LONG x, LONG y)
{
    const BYTE* p = Row(s, y);
    switch (s.iFormat) {
    case BMF_1BPP: return (p[x >> 3] >> (7 - (x & 7))) & 1;
    case BMF_4BPP: return (p[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case BMF_8BPP: return p[x];
    case BMF_16BPP: {
        ULONG w = p[x * 2] | (p[x * 2 + 1] << 8);
        return RGB(((w >> 10) & 31) << 3, ((w >> 5) & 31) << 3, (w & 31) << 3);
    }
    case BMF_24BPP: return p[x * 3 + 2] | (p[x * 3 + 1] << 8) | (static_cast<ULONG>(p[x * 3]) << 16);
    case BMF_32BPP: return p[x * 4 + 2] | (p[x * 4 + 1] << 8) | (static_cast<ULONG>(p[x * 4]) << 16);
    default: return 0;
    }
}

inline void PutPix(const SURF& s, LONG x, LONG y, ULONG c)
{
    BYTE* p = Row(s, y);
    switch (s.iFormat) {
    case BMF_1BPP: {
        BYTE m = static_cast<BYTE>(0x80u >> (x & 7));
        p[x >> 3] = static_cast<BYTE>((c & 1) ? (p[x >> 3] | m) : (p[x >> 3] & ~m));
        break;
    }
    case BMF_4BPP:
        if (x & 1)
            p[x >> 1] = static_cast<BYTE>((p[x >> 1] & 0xF0) | (c & 0xF));
        else
            p[x >> 1] = static_cast<BYTE>((p[x >> 1] & 0x0F) | ((c & 0xF) << 4));
        break;
    case BMF_8BPP: p[x] = static_cast<BYTE>(c); break;
    case BMF_16BPP: {
        ULONG w = ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
        p[x * 2] = static_cast<BYTE>(w);
        p[x * 2 + 1] = static_cast<BYTE>(w >> 8);
        break;
    }
    case BMF_24BPP:
        p[x * 3] = GetBValue(c);
        p[x * 3 + 1] = GetGValue(c);
        p[x * 3 + 2] = GetRValue(c);
        break;
    case BMF_32BPP:
        p[x * 4] = GetBValue(c);
        p[x * 4 + 1] = GetGValue(c);
        p[x * 4 + 2] = GetRValue(c);
        p[x * 4 + 3] = 0;
        break;
    default: break;
    }
}

inline ULONG PixMask(ULONG iFormat)
{
    switch (iFormat) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 0xF;
    case BMF_8BPP: return 0xFF;
    default: return 0xFFFFFF;
    }
}

// Fact 2: every bit of the result from the same bit of P, S and D.
inline ULONG Rop3(ULONG rop, ULONG P, ULONG S, ULONG D)
{
    switch (rop) {
    case 0xF0: return P;
    case 0xCC: return S;
    case 0xAA: return D;
    default: break;
    }
    ULONG r = 0;
    for (ULONG i = 0; i < 8; i++)
        if ((rop >> i) & 1)
            r |= ((i & 4) ? P : ~P) & ((i & 2) ? S : ~S) & ((i & 1) ? D : ~D);
    return r;
}

inline BOOL RopUsesSource(ULONG rop)
{
    return (((rop >> 2) ^ rop) & 0x33) != 0;
}

inline BOOL RopUsesPattern(ULONG rop)
{
    return (((rop >> 4) ^ rop) & 0x0F) != 0;
}

// A binary raster operation as the ternary one that ignores the source.
ULONG Rop3FromRop2(ULONG r2)
{
    ULONG v = (r2 - 1) & 0xF;
    ULONG rop = 0;
    for (ULONG i = 0; i < 8; i++) {
        ULONG P = (i >> 2) & 1, D = i & 1;
        if ((v >> (P << 1 | D)) & 1)
            rop |= 1u << i;
    }
    return rop;
}

BOOL Intersect(const RECTL& a, const RECTL& b, RECTL* pOut)
{
    RECTL r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom)
        return FALSE;
    *pOut = r;
    return TRUE;
}

RECTL Ordered(const RECTL& r)
{
    return RECTL{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                 std::max(r.top, r.bottom)};
}

inline LONG Mod(LONG a, LONG m)
{
    LONG r = a % m;
    return r < 0 ? r + m : r;
}

// The brush as the rasteriser paints it: one colour, or a pattern placed
// by the brush origin.
struct PAINT {
    BOOL bPattern = FALSE;
    ULONG iSolid = 0;
    ENGPATTERN pat = {};
    LONG xOrg = 0;
    LONG yOrg = 0;
};

BOOL PaintFrom(BRUSHOBJ* pbo, ULONG iFormat, POINTL* pptlOrg, PAINT* pp)
{
    if (!pbo)
        return FALSE;
    pp->xOrg = pptlOrg ? pptlOrg->x : 0;
    pp->yOrg = pptlOrg ? pptlOrg->y : 0;
    if (pbo->iSolidColor != 0xFFFFFFFF) {
        pp->iSolid = pbo->iSolidColor & PixMask(iFormat);
        return TRUE;
    }
    if (!EngBrushPattern(pbo, iFormat, &pp->pat) || pp->pat.cx <= 0 || pp->pat.cy <= 0)
        return FALSE;
    pp->bPattern = TRUE;
    return TRUE;
}

// The colour of the brush at a pixel; FALSE where a transparent pattern
// pixel leaves the target alone.
inline BOOL PaintAt(const PAINT& pp, LONG x, LONG y, ULONG* pc)
{
    if (!pp.bPattern) {
        *pc = pp.iSolid;
        return TRUE;
    }
    size_t i = static_cast<size_t>(Mod(y - pp.yOrg, pp.pat.cy)) * pp.pat.cx + Mod(x - pp.xOrg, pp.pat.cx);
    if (pp.pat.pbTransparent && pp.pat.pbTransparent[i])
        return FALSE;
    *pc = pp.pat.pulColors[i];
    return TRUE;
}

// Paints [x0, x1) of row y with the brush under a pattern-only raster
// operation; one-bit solid paint works on whole bytes.
void PaintSpan(const SURF& s, LONG y, LONG x0, LONG x1, const PAINT& pp, ULONG rop)
{
    if (x0 >= x1)
        return;
    ULONG mask = PixMask(s.iFormat);
    if (!pp.bPattern && s.iFormat == BMF_1BPP) {
        ULONG r0 = Rop3(rop, pp.iSolid ? ~0u : 0u, 0, 0) & 1;
        ULONG r1 = Rop3(rop, pp.iSolid ? ~0u : 0u, 0, ~0u) & 1;
        if (r0 == 0 && r1 == 1)
            return;  // leaves the target as it is
        BYTE* p = Row(s, y);
        for (LONG x = x0; x < x1;) {
            LONG xBase = x & ~7;
            LONG xByteEnd = std::min<LONG>(x1, xBase + 8);
            BYTE m = static_cast<BYTE>((0xFFu >> (x - xBase)) & (0xFFu << (8 - (xByteEnd - xBase))));
            BYTE& b = p[x >> 3];
            if (r0 && r1)
                b |= m;
            else if (!r0 && !r1)
                b &= static_cast<BYTE>(~m);
            else
                b ^= m;
            x = xByteEnd;
        }
        return;
    }
    if (!pp.bPattern) {
        for (LONG x = x0; x < x1; x++)
            PutPix(s, x, y, Rop3(rop, pp.iSolid, 0, GetPix(s, x, y)) & mask);
        return;
    }
    // One pattern row serves the span; its column steps along with x.
    size_t iRow = static_cast<size_t>(Mod(y - pp.yOrg, pp.pat.cy)) * pp.pat.cx;
    const ULONG* pulRow = pp.pat.pulColors + iRow;
    const BYTE* pbRow = pp.pat.pbTransparent ? pp.pat.pbTransparent + iRow : nullptr;
    LONG px = Mod(x0 - pp.xOrg, pp.pat.cx);
    for (LONG x = x0; x < x1; x++) {
        if (!pbRow || !pbRow[px])
            PutPix(s, x, y, Rop3(rop, pulRow[px], 0, rop == 0xF0 ? 0 : GetPix(s, x, y)) & mask);
        if (++px == pp.pat.cx)
            px = 0;
    }
}

// --- blits -------------------------------------------------------------------------

struct BLIT {
    SURF trg;
    SURF src;
    SURF msk;
    BOOL bSrc = FALSE;
    BOOL bMask = FALSE;
    XLATEOBJ* pxlo = nullptr;
    PAINT paint;
    BOOL bPaint = FALSE;
    ULONG ropFore = 0;
    ULONG ropBack = 0;
    std::vector<BYTE> srcCopy;  // the source rows when source and target overlap
    BOOL bHalftone = FALSE;     // colour onto one bit: ordered dither of the grey
    std::vector<ULONG> srcPal;  // the source's colours when it is indexed
};

// A 4 x 4 ordered threshold, for one-bit gradients and halftoned images.
const BYTE g_abBayer4[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

inline ULONG Dither(COLORREF cr, LONG x, LONG y)
{
    ULONG grey = (5 * GetRValue(cr) + 9 * GetGValue(cr) + 2 * GetBValue(cr)) / 16;
    return grey * 16 / 255 > g_abBayer4[(y & 3) * 4 + (x & 3)] ? 1 : 0;
}

ULONG SourceAt(const BLIT& b, LONG xs, LONG ys, LONG x, LONG y)
{
    ULONG v = GetPix(b.src, xs, ys);
    if (b.bHalftone) {
        if (b.src.iFormat <= BMF_8BPP)
            v = v < b.srcPal.size() ? b.srcPal[v] : 0;
        return Dither(v, x, y);
    }
    if (b.pxlo)
        return XLATEOBJ_iXlate(b.pxlo, v);
    if (b.src.iFormat == b.trg.iFormat)
        return v;
    // Without a translation, indexed sources are black and white.
    if (b.src.iFormat <= BMF_8BPP)
        return EngColorIndex(b.trg.iFormat, v ? 0xFFFFFF : 0);
    return EngColorIndex(b.trg.iFormat, v);
}

// One target pixel of a blit: xs, ys locate the source pixel and xm, ym
// the mask pixel.
inline void BlitPixel(const BLIT& b, LONG x, LONG y, LONG xs, LONG ys, LONG xm, LONG ym)
{
    ULONG rop = b.ropFore;
    if (b.bMask && !GetPix(b.msk, xm, ym))
        rop = b.ropBack;
    if (rop == 0xAA)
        return;
    ULONG P = 0, S = 0;
    if (b.bPaint && RopUsesPattern(rop) && !PaintAt(b.paint, x, y, &P))
        return;
    if (b.bSrc && RopUsesSource(rop))
        S = SourceAt(b, xs, ys, x, y);
    PutPix(b.trg, x, y, Rop3(rop, P, S, GetPix(b.trg, x, y)) & PixMask(b.trg.iFormat));
}

BOOL PrepareBlit(BLIT* pb, SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, XLATEOBJ* pxlo,
                 BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4)
{
    if (!SurfFrom(psoTrg, &pb->trg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pb->ropFore = rop4 & 0xFF;
    pb->ropBack = (rop4 >> 8) & 0xFF;
    pb->bMask = pb->ropFore != pb->ropBack && psoMask;
    if (!pb->bMask)
        pb->ropBack = pb->ropFore;
    BOOL bNeedSrc = RopUsesSource(pb->ropFore) || RopUsesSource(pb->ropBack);
    BOOL bNeedPat = RopUsesPattern(pb->ropFore) || RopUsesPattern(pb->ropBack);
    if (bNeedSrc) {
        if (!SurfFrom(psoSrc, &pb->src)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        pb->bSrc = TRUE;
        pb->pxlo = pxlo && !(pxlo->flXlate & XO_TRIVIAL) ? pxlo : nullptr;
    }
    if (pb->bMask && (!SurfFrom(psoMask, &pb->msk) || pb->msk.iFormat != BMF_1BPP)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (bNeedPat) {
        if (!PaintFrom(pbo, pb->trg.iFormat, pptlBrush, &pb->paint)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        pb->bPaint = TRUE;
    }
    return TRUE;
}

// Takes a private copy of the source when it is the target, so that an
// overlapping copy reads what was there before.
void DetachSource(BLIT* pb, SURFOBJ* psoTrg, SURFOBJ* psoSrc)
{
    if (!pb->bSrc || psoTrg != psoSrc)
        return;
    LONG cbRow = pb->src.lDelta < 0 ? -pb->src.lDelta : pb->src.lDelta;
    pb->srcCopy.resize(static_cast<size_t>(cbRow) * pb->src.cy);
    for (LONG y = 0; y < pb->src.cy; y++)
        std::memcpy(pb->srcCopy.data() + static_cast<size_t>(y) * cbRow, Row(pb->src, y), cbRow);
    pb->src.pScan0 = pb->srcCopy.data();
    pb->src.lDelta = cbRow;
}

// --- path flattening and filling -----------------------------------------------------

struct POLY {
    std::vector<POINTFIX> pts;
    BOOL bClosed = FALSE;
};

void FlattenBezier(std::vector<POINTFIX>* pOut, POINTFIX p0, POINTFIX p1, POINTFIX p2, POINTFIX p3)
{
    double len = PlatHypot(p1.x - p0.x, p1.y - p0.y) + PlatHypot(p2.x - p1.x, p2.y - p1.y) +
                 PlatHypot(p3.x - p2.x, p3.y - p2.y);
    // About one step per two pixels of control polygon, 1..512 steps.
    int n = static_cast<int>(len / 32.0) + 1;
    n = std::min(std::max(n, 1), 512);
    for (int i = 1; i <= n; i++) {
        double t = static_cast<double>(i) / n, u = 1 - t;
        double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        POINTFIX pt = {static_cast<FIX>(std::lround(a * p0.x + b * p1.x + c * p2.x + d * p3.x)),
                       static_cast<FIX>(std::lround(a * p0.y + b * p1.y + c * p2.y + d * p3.y))};
        pOut->push_back(pt);
    }
}

// The path's subpaths as polylines in 28.4 units.
void Flatten(PATHOBJ* ppo, std::vector<POLY>* pPolys)
{
    pPolys->clear();
    PATHOBJ_vEnumStart(ppo);
    PATHDATA pd;
    BOOL bMore;
    POLY cur;
    do {
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (!pd.count || !pd.pptfx)
            continue;
        ULONG i = 0;
        if (pd.flags & PD_BEGINSUBPATH) {
            if (!cur.pts.empty())
                pPolys->push_back(cur);
            cur = POLY();
            cur.pts.push_back(pd.pptfx[0]);
            i = 1;
        }
        if (cur.pts.empty())
            cur.pts.push_back(pd.pptfx[0]);
        if (pd.flags & PD_BEZIERS) {
            for (; i + 3 <= pd.count; i += 3)
                FlattenBezier(&cur.pts, cur.pts.back(), pd.pptfx[i], pd.pptfx[i + 1], pd.pptfx[i + 2]);
        } else {
            for (; i < pd.count; i++)
                cur.pts.push_back(pd.pptfx[i]);
        }
        if (pd.flags & PD_ENDSUBPATH) {
            cur.bClosed = (pd.flags & PD_CLOSEFIGURE) != 0;
            pPolys->push_back(cur);
            cur = POLY();
        }
    } while (bMore);
    if (!cur.pts.empty())
        pPolys->push_back(cur);
}

struct EDGE {
    FIX x0, y0, x1, y1;  // y0 < y1
    int dir;
};

inline LONG CeilDiv16(LONGLONG v)
{
    return static_cast<LONG>(v >= 0 ? (v + 15) / 16 : -((-v) / 16));
}

inline LONGLONG FloorDiv(LONGLONG a, LONGLONG b)
{
    LONGLONG q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Where an edge crosses the row centre yc, rounded down; exact in 64 bits
// for every path of a sane size, and close for wild ones.
inline LONGLONG EdgeX(const EDGE& e, LONGLONG yc)
{
    LONGLONG dyc = yc - e.y0, dx = static_cast<LONGLONG>(e.x1) - e.x0, dy = static_cast<LONGLONG>(e.y1) - e.y0;
    if (dyc < (1LL << 31) && dx < (1LL << 31) && dx > -(1LL << 31))
        return e.x0 + FloorDiv(dyc * dx, dy);
    return e.x0 + static_cast<LONGLONG>(std::floor(static_cast<long double>(dyc) * dx / dy));
}

BOOL SpansOfPolys(const std::vector<POLY>& polys, BOOL bWinding, const RECTL* prclLimit,
                  PFN_ENGSPAN pfn, void* pv)
{
    std::vector<EDGE> edges;
    for (const POLY& poly : polys) {
        size_t n = poly.pts.size();
        if (n < 2)
            continue;
        // Every subpath is closed for filling.
        for (size_t i = 0; i < n; i++) {
            POINTFIX a = poly.pts[i], b = poly.pts[(i + 1) % n];
            if (a.y == b.y)
                continue;
            if (a.y < b.y)
                edges.push_back(EDGE{a.x, a.y, b.x, b.y, 1});
            else
                edges.push_back(EDGE{b.x, b.y, a.x, a.y, -1});
        }
    }
    if (edges.empty())
        return TRUE;
    std::sort(edges.begin(), edges.end(), [](const EDGE& a, const EDGE& b) { return a.y0 < b.y0; });
    FIX yMin = edges.front().y0, yMax = yMin;
    for (const EDGE& e : edges)
        yMax = std::max(yMax, e.y1);
    // Rows whose centre y * 16 + 8 lies in [yMin, yMax).
    LONG yFirst = CeilDiv16(static_cast<LONGLONG>(yMin) - 8);
    LONG yEnd = CeilDiv16(static_cast<LONGLONG>(yMax) - 8);
    if (prclLimit) {
        yFirst = std::max(yFirst, prclLimit->top);
        yEnd = std::min(yEnd, prclLimit->bottom);
    }
    std::vector<const EDGE*> active;
    std::vector<std::pair<LONGLONG, int>> xs;
    size_t iNext = 0;
    for (LONG y = yFirst; y < yEnd; y++) {
        LONGLONG yc = static_cast<LONGLONG>(y) * 16 + 8;
        while (iNext < edges.size() && edges[iNext].y0 <= yc) {
            active.push_back(&edges[iNext]);
            iNext++;
        }
        active.erase(std::remove_if(active.begin(), active.end(), [&](const EDGE* e) { return e->y1 <= yc; }),
                     active.end());
        xs.clear();
        for (const EDGE* e : active) {
            if (e->y0 > yc)
                continue;
            LONGLONG x = EdgeX(*e, yc);
            xs.emplace_back(x, e->dir);
        }
        std::sort(xs.begin(), xs.end());
        int wind = 0;
        for (size_t i = 0; i + 1 < xs.size(); i++) {
            wind += bWinding ? xs[i].second : 1;
            BOOL bInside = bWinding ? wind != 0 : (wind & 1) != 0;
            if (!bInside)
                continue;
            LONG x0 = CeilDiv16(xs[i].first - 8);
            LONG x1 = CeilDiv16(xs[i + 1].first - 8);
            if (prclLimit) {
                x0 = std::max(x0, prclLimit->left);
                x1 = std::min(x1, prclLimit->right);
            }
            if (x0 < x1)
                pfn(pv, y, x0, x1);
        }
    }
    return TRUE;
}

// Paints spans through the clip rectangles of their row.
struct FILLCTX {
    const SURF* ps;
    const PAINT* pp;
    ULONG rop;
    const std::vector<RECTL>* pClip;
};

void FillSpanCb(void* pv, LONG y, LONG x0, LONG x1)
{
    FILLCTX* pc = static_cast<FILLCTX*>(pv);
    for (const RECTL& r : *pc->pClip) {
        if (y < r.top || y >= r.bottom)
            continue;
        LONG a = std::max(x0, r.left), b = std::min(x1, r.right);
        if (a < b)
            PaintSpan(*pc->ps, y, a, b, *pc->pp, pc->rop);
    }
}

RECTL SurfRect(const SURF& s)
{
    return RECTL{0, 0, s.cx, s.cy};
}

BOOL FillPolys(const SURF& s, const std::vector<POLY>& polys, CLIPOBJ* pco, const PAINT& pp,
               ULONG rop, BOOL bWinding)
{
    RECTL rcSurf = SurfRect(s);
    std::vector<RECTL> clip;
    EngClipRects(pco, &rcSurf, &clip);
    if (clip.empty())
        return TRUE;
    RECTL rcLimit = clip[0];
    for (const RECTL& r : clip) {
        rcLimit.left = std::min(rcLimit.left, r.left);
        rcLimit.top = std::min(rcLimit.top, r.top);
        rcLimit.right = std::max(rcLimit.right, r.right);
        rcLimit.bottom = std::max(rcLimit.bottom, r.bottom);
    }
    FILLCTX ctx = {&s, &pp, rop, &clip};
    return SpansOfPolys(polys, bWinding, &rcLimit, FillSpanCb, &ctx);
}

// --- strokes -----------------------------------------------------------------------

struct STYLE {
    std::vector<LONG> aDash;  // pixels on, off, on, ...
    LONG lTotal = 0;
    LONG lPos = 0;
    BOOL bAlternate = FALSE;
};

inline BOOL StyleOn(STYLE* pst)
{
    if (pst->bAlternate)
        return ((pst->lPos++) & 1) == 0;
    if (pst->lTotal <= 0)
        return TRUE;
    LONG p = Mod(pst->lPos++, pst->lTotal);
    for (size_t i = 0; i < pst->aDash.size(); i++) {
        if (p < pst->aDash[i])
            return (i & 1) == 0;
        p -= pst->aDash[i];
    }
    return TRUE;
}

struct STROKECTX {
    const SURF* ps;
    const PAINT* pp;
    ULONG rop;
    std::vector<RECTL> clip;
    RECTL rcBound = {0, 0, 0, 0};  // holds every clip rectangle
    STYLE style;
};

void BoundClip(STROKECTX* pc)
{
    for (size_t i = 0; i < pc->clip.size(); i++) {
        const RECTL& r = pc->clip[i];
        if (i == 0) {
            pc->rcBound = r;
            continue;
        }
        pc->rcBound.left = std::min(pc->rcBound.left, r.left);
        pc->rcBound.top = std::min(pc->rcBound.top, r.top);
        pc->rcBound.right = std::max(pc->rcBound.right, r.right);
        pc->rcBound.bottom = std::max(pc->rcBound.bottom, r.bottom);
    }
}

inline void StrokePixel(STROKECTX* pc, LONG x, LONG y)
{
    if (!StyleOn(&pc->style))
        return;
    for (const RECTL& r : pc->clip)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
            PaintSpan(*pc->ps, y, x, x + 1, *pc->pp, pc->rop);
            return;
        }
}

// Steps of a line, 0 .. n - 1, whose offset k (0 .. d) on the minor axis
// lies in [kLo, kHi]: step i has k = floor((2 i d + n - 1) / 2n), the
// nearest pixel with a tie going to the one nearer the start.
void StepRange(LONGLONG n, LONGLONG d, LONGLONG kLo, LONGLONG kHi, LONGLONG* piFirst, LONGLONG* piEnd)
{
    if (d == 0) {
        if (kLo > 0 || kHi < 0)
            *piEnd = *piFirst;
        return;
    }
    // k >= kLo  <=>  i >= (2 n kLo - n + 1) / 2d;  k <= kHi  <=>  i < (2 n (kHi + 1) - n + 1) / 2d.
    LONGLONG a = 2 * n * kLo - n + 1, b = 2 * n * (kHi + 1) - n + 1;
    LONGLONG iLo = a <= 0 ? 0 : (a + 2 * d - 1) / (2 * d);
    LONGLONG iHi = b <= 0 ? 0 : (b + 2 * d - 1) / (2 * d);
    *piFirst = std::max(*piFirst, iLo);
    *piEnd = std::min(*piEnd, iHi);
}

// A cosmetic line from (x0, y0) to (x1, y1) without its last pixel. Each
// step along the longer axis sets one pixel, the other axis rounded; only
// the steps inside the clip's bounds are taken, so a line far off the page
// costs nothing.
void CosmeticLine(STROKECTX* pc, LONG x0, LONG y0, LONG x1, LONG y1)
{
    LONGLONG dx = std::llabs(static_cast<LONGLONG>(x1) - x0), dy = std::llabs(static_cast<LONGLONG>(y1) - y0);
    LONG sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    BOOL bXMajor = dx >= dy;
    LONGLONG n = bXMajor ? dx : dy, d = bXMajor ? dy : dx;
    if (n == 0 || pc->clip.empty())
        return;
    LONG m0 = bXMajor ? x0 : y0, k0 = bXMajor ? y0 : x0;
    LONG sm = bXMajor ? sx : sy, sk = bXMajor ? sy : sx;
    const RECTL& rb = pc->rcBound;
    LONG mLo = bXMajor ? rb.left : rb.top, mHi = (bXMajor ? rb.right : rb.bottom) - 1;
    LONG kLoC = bXMajor ? rb.top : rb.left, kHiC = (bXMajor ? rb.bottom : rb.right) - 1;
    LONGLONG iFirst = 0, iEnd = n;
    // The major axis: m0 + sm * i within [mLo, mHi].
    LONGLONG a = sm > 0 ? static_cast<LONGLONG>(mLo) - m0 : static_cast<LONGLONG>(m0) - mHi;
    LONGLONG b = sm > 0 ? static_cast<LONGLONG>(mHi) - m0 : static_cast<LONGLONG>(m0) - mLo;
    iFirst = std::max(iFirst, a);
    iEnd = std::min(iEnd, b + 1);
    // The minor axis: k0 + sk * k within [kLoC, kHiC].
    LONGLONG kLo = sk > 0 ? static_cast<LONGLONG>(kLoC) - k0 : static_cast<LONGLONG>(k0) - kHiC;
    LONGLONG kHi = sk > 0 ? static_cast<LONGLONG>(kHiC) - k0 : static_cast<LONGLONG>(k0) - kLoC;
    StepRange(n, d, kLo, kHi, &iFirst, &iEnd);
    if (iFirst >= iEnd)
        return;
    pc->style.lPos += static_cast<LONG>(iFirst);
    for (LONGLONG i = iFirst; i < iEnd; i++) {
        LONG m = static_cast<LONG>(m0 + sm * i);
        LONG k = static_cast<LONG>(k0 + sk * ((2 * i * d + n - 1) / (2 * n)));
        if (bXMajor)
            StrokePixel(pc, m, k);
        else
            StrokePixel(pc, k, m);
    }
    pc->style.lPos += static_cast<LONG>(n - iEnd);
}

inline LONG FixToPixel(FIX v)
{
    return static_cast<LONG>(FloorDiv(static_cast<LONGLONG>(v) + 8, 16));
}

void AddCircle(std::vector<POLY>* pOut, double cx, double cy, double r)
{
    POLY poly;
    poly.bClosed = TRUE;
    int n = std::min(64, std::max(8, static_cast<int>(r / 8)));
    for (int i = 0; i < n; i++) {
        double a = 2 * M_PI * i / n;
        poly.pts.push_back(POINTFIX{static_cast<FIX>(std::lround(cx + r * PlatCos(a))),
                                    static_cast<FIX>(std::lround(cy + r * PlatSin(a)))});
    }
    pOut->push_back(poly);
}

// Turns a convex piece so that it runs the same way round as every other
// piece (positive area): pieces that overlap then add up under the winding
// rule instead of cancelling into holes.
void OrientPositive(POLY* pPoly)
{
    const std::vector<POINTFIX>& p = pPoly->pts;
    double area2 = 0;
    for (size_t i = 0, n = p.size(); i < n; i++) {
        const POINTFIX& a = p[i];
        const POINTFIX& b = p[(i + 1) % n];
        area2 += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    if (area2 < 0)
        std::reverse(pPoly->pts.begin(), pPoly->pts.end());
}

// Widens one polyline into one outline filled with the winding rule: the
// union of convex pieces all running the same way round, a rectangle per
// segment, caps at open ends and a round or bevelled corner at each joint
// (a miter is drawn as a bevel).
void Widen(const POLY& line, double w, ULONG iJoin, ULONG iEndCap, std::vector<POLY>* pOut)
{
    double h = w * 16 / 2;
    size_t n = line.pts.size();
    if (n == 0)
        return;
    size_t iFirst = pOut->size();
    size_t cSeg = line.bClosed ? n : n - 1;
    auto normal = [&](size_t i, double* pnx, double* pny) {
        const POINTFIX& a = line.pts[i];
        const POINTFIX& b = line.pts[(i + 1) % n];
        double dx = b.x - a.x, dy = b.y - a.y, len = PlatHypot(dx, dy);
        if (len == 0) {
            *pnx = 0;
            *pny = 0;
            return FALSE;
        }
        *pnx = -dy / len;
        *pny = dx / len;
        return TRUE;
    };
    for (size_t i = 0; i < cSeg; i++) {
        double nx, ny;
        if (!normal(i, &nx, &ny))
            continue;
        double ax = line.pts[i].x, ay = line.pts[i].y;
        double bx = line.pts[(i + 1) % n].x, by = line.pts[(i + 1) % n].y;
        double tx = ny, ty = -nx;  // unit direction
        if (!line.bClosed && iEndCap == ENDCAP_SQUARE) {
            if (i == 0) {
                ax -= tx * h;
                ay -= ty * h;
            }
            if (i + 1 == cSeg) {
                bx += tx * h;
                by += ty * h;
            }
        }
        POLY q;
        q.bClosed = TRUE;
        q.pts = {{static_cast<FIX>(std::lround(ax + nx * h)), static_cast<FIX>(std::lround(ay + ny * h))},
                 {static_cast<FIX>(std::lround(bx + nx * h)), static_cast<FIX>(std::lround(by + ny * h))},
                 {static_cast<FIX>(std::lround(bx - nx * h)), static_cast<FIX>(std::lround(by - ny * h))},
                 {static_cast<FIX>(std::lround(ax - nx * h)), static_cast<FIX>(std::lround(ay - ny * h))}};
        pOut->push_back(q);
    }
    for (size_t i = 0; i < n; i++) {
        BOOL bEnd = !line.bClosed && (i == 0 || i + 1 == n);
        double vx = line.pts[i].x, vy = line.pts[i].y;
        if (bEnd) {
            if (iEndCap == ENDCAP_ROUND)
                AddCircle(pOut, vx, vy, h);
            continue;
        }
        if (iJoin == JOIN_ROUND) {
            AddCircle(pOut, vx, vy, h);
            continue;
        }
        double n1x, n1y, n2x, n2y;
        if (!normal((i + n - 1) % n, &n1x, &n1y) || !normal(i, &n2x, &n2y))
            continue;
        POLY j;
        j.bClosed = TRUE;
        j.pts = {{static_cast<FIX>(std::lround(vx + n1x * h)), static_cast<FIX>(std::lround(vy + n1y * h))},
                 {static_cast<FIX>(std::lround(vx + n2x * h)), static_cast<FIX>(std::lround(vy + n2y * h))},
                 {static_cast<FIX>(std::lround(vx - n1x * h)), static_cast<FIX>(std::lround(vy - n1y * h))},
                 {static_cast<FIX>(std::lround(vx - n2x * h)), static_cast<FIX>(std::lround(vy - n2y * h))}};
        pOut->push_back(j);
    }
    for (size_t i = iFirst; i < pOut->size(); i++)
        OrientPositive(&(*pOut)[i]);
}

// Cuts polylines into the dashes of a geometric style (lengths in pixels).
void Dash(const std::vector<POLY>& in, const std::vector<double>& aDash, std::vector<POLY>* pOut)
{
    double total = 0;
    for (double d : aDash)
        total += d;
    // A pattern shorter than a pixel draws as a solid line.
    if (total < 1) {
        *pOut = in;
        return;
    }
    for (const POLY& poly : in) {
        size_t n = poly.pts.size();
        size_t cSeg = poly.bClosed ? n : (n ? n - 1 : 0);
        size_t iDash = 0;
        double left = aDash[0] * 16;
        POLY cur;
        for (size_t i = 0; i < cSeg; i++) {
            double ax = poly.pts[i].x, ay = poly.pts[i].y;
            double bx = poly.pts[(i + 1) % n].x, by = poly.pts[(i + 1) % n].y;
            double len = PlatHypot(bx - ax, by - ay), at = 0;
            while (len - at > 0) {
                double step = std::min(left, len - at);
                double t0 = at / len, t1 = (at + step) / len;
                if ((iDash & 1) == 0) {
                    POINTFIX p0 = {static_cast<FIX>(std::lround(ax + (bx - ax) * t0)),
                                   static_cast<FIX>(std::lround(ay + (by - ay) * t0))};
                    POINTFIX p1 = {static_cast<FIX>(std::lround(ax + (bx - ax) * t1)),
                                   static_cast<FIX>(std::lround(ay + (by - ay) * t1))};
                    if (cur.pts.empty())
                        cur.pts.push_back(p0);
                    cur.pts.push_back(p1);
                }
                at += step;
                left -= step;
                if (left <= 1e-9) {
                    if (!cur.pts.empty())
                        pOut->push_back(cur);
                    cur = POLY();
                    iDash = (iDash + 1) % aDash.size();
                    left = aDash[iDash] * 16;
                }
            }
        }
        if (!cur.pts.empty())
            pOut->push_back(cur);
    }
}

inline float FloatOf(LONG l)
{
    float f;
    std::memcpy(&f, &l, sizeof(f));
    return f;
}

LONG StylePixels(SURFOBJ* pso)
{
    std::lock_guard<std::mutex> guard(g_devLock);
    auto it = pso && pso->hdev ? g_devices.find(pso->hdev) : g_devices.end();
    return it != g_devices.end() && it->second.lStylePixels > 0 ? it->second.lStylePixels : 1;
}

BOOL StrokePolys(SURFOBJ* pso, const SURF& s, const std::vector<POLY>& polys, CLIPOBJ* pco,
                 const PAINT& pp, ULONG rop, const LINEATTRS* pla)
{
    if (pla && (pla->fl & LA_GEOMETRIC)) {
        double w = FloatOf(pla->elWidth.l);
        if (!(w > 0) || w > 1e6)
            w = 1;
        std::vector<POLY> dashed;
        if (pla->cstyle && pla->pstyle) {
            std::vector<double> aDash;
            for (ULONG i = 0; i < pla->cstyle; i++)
                aDash.push_back(std::max(0.0, static_cast<double>(FloatOf(pla->pstyle[i].l))));
            Dash(polys, aDash, &dashed);
        } else {
            dashed = polys;
        }
        std::vector<POLY> wide;
        for (const POLY& line : dashed)
            Widen(line, w, pla->iJoin, pla->iEndCap, &wide);
        return FillPolys(s, wide, pco, pp, rop, TRUE);
    }
    STROKECTX ctx;
    ctx.ps = &s;
    ctx.pp = &pp;
    ctx.rop = rop;
    RECTL rcSurf = SurfRect(s);
    EngClipRects(pco, &rcSurf, &ctx.clip);
    BoundClip(&ctx);
    if (pla) {
        LONG u = StylePixels(pso);
        ctx.style.bAlternate = (pla->fl & LA_ALTERNATE) != 0;
        if ((pla->fl & LA_STYLED) && pla->cstyle && pla->pstyle)
            for (ULONG i = 0; i < pla->cstyle; i++) {
                LONG d = std::max<LONG>(0, pla->pstyle[i].l) * u;
                ctx.style.aDash.push_back(d);
                ctx.style.lTotal += d;
            }
        if (pla->fl & LA_STARTGAP && !ctx.style.aDash.empty())
            ctx.style.lPos = ctx.style.aDash[0];
        ctx.style.lPos += (pla->elStyleState.l & 0xFFFF) * u;
    }
    for (const POLY& poly : polys) {
        size_t n = poly.pts.size();
        if (n == 1) {
            continue;
        }
        for (size_t i = 0; i + 1 < n; i++)
            CosmeticLine(&ctx, FixToPixel(poly.pts[i].x), FixToPixel(poly.pts[i].y),
                         FixToPixel(poly.pts[i + 1].x), FixToPixel(poly.pts[i + 1].y));
        if (poly.bClosed)
            CosmeticLine(&ctx, FixToPixel(poly.pts[n - 1].x), FixToPixel(poly.pts[n - 1].y),
                         FixToPixel(poly.pts[0].x), FixToPixel(poly.pts[0].y));
    }
    return TRUE;
}

// --- device surfaces: drawing handed back to the driver ------------------------------

template <typename F>
F DriverHook(SURFOBJ* pso, ULONG iFunc, FLONG flHook)
{
    FLONG flHooks = 0;
    if (!pso || !pso->hsurf || !PlatEngQuerySurface(pso->hsurf, &flHooks, nullptr) || !(flHooks & flHook))
        return nullptr;
    std::lock_guard<std::mutex> guard(g_devLock);
    auto it = g_devices.find(pso->hdev);
    if (it == g_devices.end())
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(EngFindHook(it->second.pded, iFunc)));
}

// Hands a finished bitmap of the destination rectangle to the driver.
BOOL PassToDriver(SURFOBJ* psoDest, SURFOBJ* psoBits, CLIPOBJ* pco, RECTL* prclDest, BRUSHOBJ* pbo,
                  ROP4 rop4)
{
    POINTL ptlZero = {0, 0};
    auto pfnBitBlt = DriverHook<PFN_DrvBitBlt>(psoDest, INDEX_DrvBitBlt, HOOK_BITBLT);
    if (pfnBitBlt)
        return pfnBitBlt(psoDest, psoBits, nullptr, pco, nullptr, prclDest, &ptlZero, nullptr, pbo,
                         &ptlZero, rop4);
    auto pfnCopyBits = DriverHook<PFN_DrvCopyBits>(psoDest, INDEX_DrvCopyBits, HOOK_COPYBITS);
    if (pfnCopyBits && (rop4 & 0xFFFF) == 0xCCCC)
        return pfnCopyBits(psoDest, psoBits, pco, nullptr, prclDest, &ptlZero);
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

ULONG TempFormat(SURFOBJ* psoDest)
{
    return psoDest->iBitmapFormat == BMF_1BPP ? BMF_1BPP : BMF_24BPP;
}

// --- gradients ---------------------------------------------------------------------

inline ULONG GradientIndex(const SURF& s, LONG x, LONG y, double r, double g, double b)
{
    COLORREF cr =
        RGB(std::clamp(static_cast<int>(r / 256), 0, 255), std::clamp(static_cast<int>(g / 256), 0, 255),
            std::clamp(static_cast<int>(b / 256), 0, 255));
    if (s.iFormat != BMF_1BPP)
        return EngColorIndex(s.iFormat, cr);
    return Dither(cr, x, y);
}

BOOL GradientOnBitmap(const SURF& s, CLIPOBJ* pco, TRIVERTEX* pv, ULONG nv, PVOID pMesh, ULONG nMesh,
                      POINTL ptlShift, ULONG ulMode)
{
    RECTL rcSurf = SurfRect(s);
    std::vector<RECTL> clip;
    EngClipRects(pco, &rcSurf, &clip);
    for (ULONG m = 0; m < nMesh; m++) {
        if (ulMode == GRADIENT_FILL_TRIANGLE) {
            const GRADIENT_TRIANGLE& t = static_cast<const GRADIENT_TRIANGLE*>(pMesh)[m];
            if (t.Vertex1 >= nv || t.Vertex2 >= nv || t.Vertex3 >= nv)
                return FALSE;
            const TRIVERTEX* v[3] = {&pv[t.Vertex1], &pv[t.Vertex2], &pv[t.Vertex3]};
            double x[3], y[3];
            for (int i = 0; i < 3; i++) {
                x[i] = v[i]->x - ptlShift.x;
                y[i] = v[i]->y - ptlShift.y;
            }
            double det = (y[1] - y[2]) * (x[0] - x[2]) + (x[2] - x[1]) * (y[0] - y[2]);
            if (det == 0)
                continue;
            // Only the pixels of the triangle's box are tested.
            RECTL rcTri = {static_cast<LONG>(std::floor(std::min({x[0], x[1], x[2]}))),
                           static_cast<LONG>(std::floor(std::min({y[0], y[1], y[2]}))),
                           static_cast<LONG>(std::ceil(std::max({x[0], x[1], x[2]}))) + 1,
                           static_cast<LONG>(std::ceil(std::max({y[0], y[1], y[2]}))) + 1};
            for (const RECTL& rClip : clip)
                for (LONG py = std::max(rClip.top, rcTri.top); py < std::min(rClip.bottom, rcTri.bottom); py++)
                    for (LONG px = std::max(rClip.left, rcTri.left); px < std::min(rClip.right, rcTri.right);
                         px++) {
                        double cx = px + 0.5, cy = py + 0.5;
                        double l0 = ((y[1] - y[2]) * (cx - x[2]) + (x[2] - x[1]) * (cy - y[2])) / det;
                        double l1 = ((y[2] - y[0]) * (cx - x[2]) + (x[0] - x[2]) * (cy - y[2])) / det;
                        double l2 = 1 - l0 - l1;
                        if (l0 < 0 || l1 < 0 || l2 < 0)
                            continue;
                        PutPix(s, px, py,
                               GradientIndex(s, px, py, l0 * v[0]->Red + l1 * v[1]->Red + l2 * v[2]->Red,
                                             l0 * v[0]->Green + l1 * v[1]->Green + l2 * v[2]->Green,
                                             l0 * v[0]->Blue + l1 * v[1]->Blue + l2 * v[2]->Blue));
                    }
            continue;
        }
        const GRADIENT_RECT& g = static_cast<const GRADIENT_RECT*>(pMesh)[m];
        if (g.UpperLeft >= nv || g.LowerRight >= nv)
            return FALSE;
        const TRIVERTEX& a = pv[g.UpperLeft];
        const TRIVERTEX& b = pv[g.LowerRight];
        RECTL rc = Ordered(RECTL{a.x - ptlShift.x, a.y - ptlShift.y, b.x - ptlShift.x, b.y - ptlShift.y});
        BOOL bH = ulMode == GRADIENT_FILL_RECT_H;
        double span = bH ? b.x - a.x : b.y - a.y;
        for (const RECTL& rClip : clip) {
            RECTL r;
            if (!Intersect(rc, rClip, &r))
                continue;
            for (LONG py = r.top; py < r.bottom; py++)
                for (LONG px = r.left; px < r.right; px++) {
                    double pos = bH ? px + ptlShift.x - a.x : py + ptlShift.y - a.y;
                    double t = span != 0 ? std::clamp(pos / span, 0.0, 1.0) : 0.0;
                    PutPix(s, px, py,
                           GradientIndex(s, px, py, a.Red + (b.Red - a.Red) * t,
                                         a.Green + (b.Green - a.Green) * t, a.Blue + (b.Blue - a.Blue) * t));
                }
        }
    }
    return TRUE;
}

// The stretched copy itself: nearest source pixel for each target pixel;
// mirrored rectangles mirror the image.
BOOL StretchOnBitmap(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                     XLATEOBJ* pxlo, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                     BRUSHOBJ* pbo, POINTL* pptlBrush, DWORD rop4, ULONG iMode)
{
    BLIT b;
    if (!prclDest || !prclSrc ||
        !PrepareBlit(&b, psoDest, psoSrc, psoMask, pxlo, pbo, pptlBrush, rop4))
        return FALSE;
    // Halftoning keeps the greys of a colour image on a one-bit page.
    if (iMode == HALFTONE && b.bSrc && b.trg.iFormat == BMF_1BPP && b.src.iFormat != BMF_1BPP) {
        b.bHalftone = TRUE;
        if (b.src.iFormat <= BMF_8BPP) {
            ULONG c = pxlo ? XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, 0, nullptr) : 0;
            b.srcPal.resize(c);
            if (c)
                XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, c, b.srcPal.data());
            if (b.srcPal.empty())
                for (ULONG i = 0, n = b.src.iFormat == BMF_8BPP ? 256 : 16; i < n; i++)
                    b.srcPal.push_back(RGB(i * 255 / (n - 1), i * 255 / (n - 1), i * 255 / (n - 1)));
        }
    }
    DetachSource(&b, psoDest, psoSrc);
    RECTL rcD = Ordered(*prclDest);
    LONG dw = prclDest->right - prclDest->left, dh = prclDest->bottom - prclDest->top;
    LONG sw = prclSrc->right - prclSrc->left, sh = prclSrc->bottom - prclSrc->top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0)
        return TRUE;
    BOOL bFlipX = (dw < 0) != (sw < 0), bFlipY = (dh < 0) != (sh < 0);
    LONG adw = std::abs(dw), adh = std::abs(dh), asw = std::abs(sw), ash = std::abs(sh);
    LONG sx0 = std::min(prclSrc->left, prclSrc->right), sy0 = std::min(prclSrc->top, prclSrc->bottom);
    RECTL rcSurf = SurfRect(b.trg), rcT;
    if (!Intersect(rcD, rcSurf, &rcT))
        return TRUE;
    std::vector<RECTL> clip;
    EngClipRects(pco, &rcT, &clip);
    LONG xm0 = pptlMask ? pptlMask->x : 0, ym0 = pptlMask ? pptlMask->y : 0;
    for (const RECTL& r : clip)
        for (LONG y = r.top; y < r.bottom; y++) {
            LONG iy = y - rcD.top;
            LONG sy = static_cast<LONG>((static_cast<LONGLONG>(iy) * 2 + 1) * ash / (2LL * adh));
            if (bFlipY)
                sy = ash - 1 - sy;
            sy += sy0;
            if (b.bSrc && (sy < 0 || sy >= b.src.cy))
                continue;
            for (LONG x = r.left; x < r.right; x++) {
                LONG ix = x - rcD.left;
                LONG sx = static_cast<LONG>((static_cast<LONGLONG>(ix) * 2 + 1) * asw / (2LL * adw));
                if (bFlipX)
                    sx = asw - 1 - sx;
                sx += sx0;
                if (b.bSrc && (sx < 0 || sx >= b.src.cx))
                    continue;
                LONG xm = xm0 + ix, ym = ym0 + iy;
                if (b.bMask && (xm < 0 || ym < 0 || xm >= b.msk.cx || ym >= b.msk.cy))
                    continue;
                BlitPixel(b, x, y, sx, sy, xm, ym);
            }
        }
    return TRUE;
}

}  // namespace

void PlatEngSetDeviceDriver(HDEV hdev, const DRVENABLEDATA* pded, LONG lStylePixels)
{
    std::lock_guard<std::mutex> guard(g_devLock);
    if (!pded)
        g_devices.erase(hdev);
    else
        g_devices[hdev] = DEVDRIVER{pded, lStylePixels};
}

BOOL EngPathSpans(PATHOBJ* ppo, BOOL bWinding, const RECTL* prclLimit, PFN_ENGSPAN pfn, void* pv)
{
    if (!ppo || !pfn) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<POLY> polys;
    Flatten(ppo, &polys);
    return SpansOfPolys(polys, bWinding, prclLimit, pfn, pv);
}

BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
               ROP4 rop4)
{
    BLIT b;
    if (!prclTrg || !PrepareBlit(&b, psoTrg, psoSrc, psoMask, pxlo, pbo, pptlBrush, rop4))
        return FALSE;
    if (b.bSrc && !pptlSrc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DetachSource(&b, psoTrg, psoSrc);
    RECTL rcT = Ordered(*prclTrg), rcDraw;
    RECTL rcSurf = SurfRect(b.trg);
    if (!Intersect(rcT, rcSurf, &rcDraw))
        return TRUE;
    std::vector<RECTL> clip;
    EngClipRects(pco, &rcDraw, &clip);
    LONG dxs = b.bSrc ? pptlSrc->x - rcT.left : 0, dys = b.bSrc ? pptlSrc->y - rcT.top : 0;
    LONG dxm = pptlMask ? pptlMask->x - rcT.left : -rcT.left;
    LONG dym = pptlMask ? pptlMask->y - rcT.top : -rcT.top;
    ULONG rop = b.ropFore;
    BOOL bPatternOnly = !b.bMask && !RopUsesSource(rop);
    for (const RECTL& r : clip)
        for (LONG y = r.top; y < r.bottom; y++) {
            if (bPatternOnly) {
                PaintSpan(b.trg, y, r.left, r.right, b.paint, rop);
                continue;
            }
            LONG ys = y + dys, ym = y + dym;
            if (b.bSrc && (ys < 0 || ys >= b.src.cy))
                continue;
            if (b.bMask && (ym < 0 || ym >= b.msk.cy))
                continue;
            for (LONG x = r.left; x < r.right; x++) {
                LONG xs = x + dxs, xm = x + dxm;
                if (b.bSrc && (xs < 0 || xs >= b.src.cx))
                    continue;
                if (b.bMask && (xm < 0 || xm >= b.msk.cx))
                    continue;
                BlitPixel(b, x, y, xs, ys, xm, ym);
            }
        }
    return TRUE;
}

BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                 POINTL* pptlSrc)
{
    return EngBitBlt(psoDest, psoSrc, nullptr, pco, pxlo, prclDest, pptlSrc, nullptr, nullptr, nullptr,
                     0xCCCC);
}

BOOL EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                      XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                      RECTL* prclSrc, POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4)
{
    (void)pca;
    (void)pptlHTOrg;
    if (!psoDest || !prclDest || !prclSrc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (psoDest->iType != STYPE_DEVICE)
        return StretchOnBitmap(psoDest, psoSrc, psoMask, pco, pxlo, prclDest, prclSrc, pptlMask, pbo,
                               nullptr, rop4, iMode);
    // A device surface: the stretched source goes into a bitmap of the
    // destination rectangle, which the driver then combines with the page.
    RECTL rcD = Ordered(*prclDest);
    LONG cx = rcD.right - rcD.left, cy = rcD.bottom - rcD.top;
    if (cx <= 0 || cy <= 0)
        return TRUE;
    HSURF hsurf = reinterpret_cast<HSURF>(
        EngCreateBitmap(SIZEL{cx, cy}, 0, TempFormat(psoDest), BMF_TOPDOWN, nullptr));
    SURFOBJ* psoTmp = hsurf ? EngLockSurface(hsurf) : nullptr;
    if (!psoTmp) {
        if (hsurf)
            EngDeleteSurface(hsurf);
        return FALSE;
    }
    EngEraseSurface(psoTmp, nullptr, 0xFFFFFFFF);
    RECTL rcTmp = {prclDest->left - rcD.left, prclDest->top - rcD.top, prclDest->right - rcD.left,
                   prclDest->bottom - rcD.top};
    BOOL bOk = StretchOnBitmap(psoTmp, psoSrc, psoMask, nullptr, pxlo, &rcTmp, prclSrc, pptlMask,
                               nullptr, nullptr, psoMask ? 0xAACC : 0xCCCC, iMode);
    // The driver sees a plain source blit with the caller's operation.
    ROP4 ropDrv = (rop4 & 0xFF) | ((rop4 & 0xFF) << 8);
    if (bOk)
        bOk = PassToDriver(psoDest, psoTmp, pco, &rcD, pbo, ropDrv);
    EngUnlockSurface(psoTmp);
    EngDeleteSurface(hsurf);
    return bOk;
}

BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                   POINTL* pptlMask, ULONG iMode)
{
    return EngStretchBltROP(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                            pptlMask, iMode, nullptr, psoMask ? 0xAACC : 0xCCCC);
}

BOOL EngGradientFill(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo, TRIVERTEX* pVertex, ULONG nVertex,
                     PVOID pMesh, ULONG nMesh, RECTL* prclExtents, POINTL* pptlDitherOrg, ULONG ulMode)
{
    (void)pxlo;
    (void)pptlDitherOrg;
    if (!psoDest || !pVertex || !pMesh || !prclExtents || ulMode > GRADIENT_FILL_TRIANGLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (psoDest->iType != STYPE_DEVICE) {
        SURF s;
        if (!SurfFrom(psoDest, &s)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return GradientOnBitmap(s, pco, pVertex, nVertex, pMesh, nMesh, POINTL{0, 0}, ulMode);
    }
    RECTL rcE = Ordered(*prclExtents);
    if (pco && pco->iDComplexity != DC_TRIVIAL && !Intersect(rcE, pco->rclBounds, &rcE))
        return TRUE;
    LONG cx = rcE.right - rcE.left, cy = rcE.bottom - rcE.top;
    if (cx <= 0 || cy <= 0)
        return TRUE;
    HSURF hsurf = reinterpret_cast<HSURF>(
        EngCreateBitmap(SIZEL{cx, cy}, 0, TempFormat(psoDest), BMF_TOPDOWN, nullptr));
    SURFOBJ* psoTmp = hsurf ? EngLockSurface(hsurf) : nullptr;
    if (!psoTmp) {
        if (hsurf)
            EngDeleteSurface(hsurf);
        return FALSE;
    }
    SURF s;
    BOOL bOk = SurfFrom(psoTmp, &s) &&
               GradientOnBitmap(s, nullptr, pVertex, nVertex, pMesh, nMesh, POINTL{rcE.left, rcE.top}, ulMode);
    if (bOk)
        bOk = PassToDriver(psoDest, psoTmp, pco, &rcE, nullptr, 0xCCCC);
    EngUnlockSurface(psoTmp);
    EngDeleteSurface(hsurf);
    return bOk;
}

BOOL EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                 MIX mix, FLONG flOptions)
{
    SURF s;
    PAINT pp;
    if (!ppo || !SurfFrom(pso, &s) || !PaintFrom(pbo, s.iFormat, pptlBrushOrg, &pp) ||
        (flOptions != FP_ALTERNATEMODE && flOptions != FP_WINDINGMODE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<POLY> polys;
    Flatten(ppo, &polys);
    return FillPolys(s, polys, pco, pp, Rop3FromRop2(mix & 0xFF), flOptions == FP_WINDINGMODE);
}

BOOL EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix)
{
    (void)pxo;
    SURF s;
    PAINT pp;
    if (!ppo || !SurfFrom(pso, &s) || !PaintFrom(pbo, s.iFormat, pptlBrushOrg, &pp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<POLY> polys;
    Flatten(ppo, &polys);
    return StrokePolys(pso, s, polys, pco, pp, Rop3FromRop2(mix & 0xFF), plineattrs);
}

BOOL EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions)
{
    return EngFillPath(pso, ppo, pco, pboFill, pptlBrushOrg, mixFill, flOptions) &&
           EngStrokePath(pso, ppo, pco, pxo, pboStroke, pptlBrushOrg, plineattrs, mixFill);
}

BOOL EngLineTo(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, LONG x1, LONG y1, LONG x2, LONG y2,
               RECTL* prclBounds, MIX mix)
{
    (void)prclBounds;
    SURF s;
    PAINT pp;
    if (!SurfFrom(pso, &s) || !PaintFrom(pbo, s.iFormat, nullptr, &pp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    STROKECTX ctx;
    ctx.ps = &s;
    ctx.pp = &pp;
    ctx.rop = Rop3FromRop2(mix & 0xFF);
    RECTL rcSurf = SurfRect(s);
    EngClipRects(pco, &rcSurf, &ctx.clip);
    BoundClip(&ctx);
    CosmeticLine(&ctx, x1, y1, x2, y2);
    return TRUE;
}

BOOL EngPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix)
{
    SURF s;
    PAINT pp;
    if (!SurfFrom(pso, &s) || !PaintFrom(pbo, s.iFormat, pptlBrushOrg, &pp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECTL rcSurf = SurfRect(s);
    std::vector<RECTL> clip;
    EngClipRects(pco, &rcSurf, &clip);
    ULONG rop = Rop3FromRop2(mix & 0xFF);
    for (const RECTL& r : clip)
        for (LONG y = r.top; y < r.bottom; y++)
            PaintSpan(s, y, r.left, r.right, pp, rop);
    return TRUE;
}
