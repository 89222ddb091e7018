// xrbrush.cpp: brushes and pens of the ORDEX generator, and the drawing
// attribute cache they share with the clip, path and text writers.
//
// Entry points: RealizeBrush (DrvRealizeBrush's body), PdlResetState, the
// brush selectors (SelectBrush, SelectSolidColor, SelectGrayDither,
// SelectDitherPattern), the pen selectors (SelectPen, SelectBrushPen),
// SetBrushMode, SetImageColors, the pattern brush cache and the stored
// patterns; the page set-up helpers SelectNullPen, SelectPatternBrush8x8
// and ReleaseBrushCache.
//
// Facts the code relies on:
//  1. Every "#%X" colour is PdlColorToGray's grey (tone curve applied).
//  2. Brush numbers: -1 none, 0 black, 1 white, 2 colour register 2, 3..8
//     hatch styles 0..5, 9 an uncached pattern (defined at each use), 10
//     the pen colour register, 11..20 the ten cached patterns.
//  3. In a realized record of 1-bit data the first colour belongs to the 0
//     bits and the second to the 1 bits. The stored hatch patterns have
//     their lines as 1 bits, so a hatch record holds (background, line),
//     whatever mode realized it.
//  4. A "bru" head names the colour of the 1 bits first.
//  5. A pattern brush enters the cache only when its definition was
//     written; a cached number is therefore always defined on this page.
#include <cstring>

#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/ordexnt/xrbrush.h"
#include "platform/windows.h"

namespace {

#define XRBRUSH_FILE "xrbrush"

// ---- stored patterns -----------------------------------------------------

struct HATCHSET {
    BYTE ab[PDL_HATCH_STYLES][128];
};

void _SetBit32(BYTE* pRow, int x)
{
    x &= 31;
    pRow[x >> 3] |= (BYTE)(0x80 >> (x & 7));
}

// The hatch bands follow from their description: 8-pixel horizontal and
// vertical bands through the middle of the cell, 4-pixel diagonal bands.
const HATCHSET& _Hatches()
{
    static const HATCHSET s_set = [] {
        HATCHSET h = {};
        for (int r = 0; r < 32; ++r) {
            BYTE* pH = &h.ab[0][r * 4];
            BYTE* pV = &h.ab[1][r * 4];
            BYTE* pF = &h.ab[2][r * 4];
            BYTE* pB = &h.ab[3][r * 4];
            if (r >= 12 && r <= 19) {
                memset(pH, 0xFF, 4);
            }
            for (int x = 12; x <= 19; ++x) {
                _SetBit32(pV, x);
            }
            for (int k = 0; k < 4; ++k) {
                _SetBit32(pF, r + k);
                _SetBit32(pB, 28 - r + k);
            }
            for (int i = 0; i < 4; ++i) {
                h.ab[4][r * 4 + i] = (BYTE)(pH[i] | pV[i]);
                h.ab[5][r * 4 + i] = (BYTE)(pF[i] | pB[i]);
            }
        }
        return h;
    }();
    return s_set;
}

struct DITHERSET {
    BYTE aCluster[33][8];
    BYTE aOrdered[17][4];
    ULONG aulPalette[256];
};

const DITHERSET& _Dithers()
{
    static const DITHERSET s_set = [] {
        DITHERSET d = {};
#define PDL_ROW(n, r0, r1, r2, r3, r4, r5, r6, r7)                                \
    if ((n) >= 0 && (n) <= 32) {                                                  \
        const BYTE ab[8] = {r0, r1, r2, r3, r4, r5, r6, r7};                      \
        memcpy(d.aCluster[n], ab, 8);                                             \
    }
#include "pdl_brushdither.inc"
#undef PDL_ROW
#define PDL_ROW(n, r0, r1, r2, r3)                                                \
    if ((n) >= 0 && (n) <= 16) {                                                  \
        const BYTE ab[4] = {r0, r1, r2, r3};                                      \
        memcpy(d.aOrdered[n], ab, 4);                                             \
    }
#include "pdl_ordered4x4.inc"
#undef PDL_ROW
#define PDL_ROW(i, r, g, b)                                                       \
    if ((i) >= 0 && (i) < 256) {                                                  \
        d.aulPalette[i] = (ULONG)(r) | ((ULONG)(g) << 8) | ((ULONG)(b) << 16);    \
    }
#include "pdl_defpalette.inc"
#undef PDL_ROW
        return d;
    }();
    return s_set;
}

// ---- realized records ------------------------------------------------------

LONG _RowBytes(const REALBRUSH* prb)
{
    LONG bits = prb->iFormat == BMF_1BPP ? prb->cx : prb->cx * 24;
    return ((bits + 31) / 32) * 4;
}

BOOL _bSupportedFormat(const REALBRUSH* prb)
{
    return (prb->iFormat == BMF_1BPP || prb->iFormat == BMF_24BPP) && prb->cx > 0 &&
           prb->cy > 0;
}

const BYTE* _Rows(const REALBRUSH* prb)
{
    return reinterpret_cast<const BYTE*>(prb) + RB_HEAD_SIZE;
}

const ULONG* _Colors(const REALBRUSH* prb)
{
    return reinterpret_cast<const ULONG*>(reinterpret_cast<const BYTE*>(prb) + prb->offColors);
}

// The two colours of 1-bit data: 0 bits, then 1 bits. A record that holds
// fewer than two (a trivial translation leaves none) is black and white.
void _TwoColors(const REALBRUSH* prb, ULONG* pul0, ULONG* pul1)
{
    if (prb->cColors >= 2) {
        *pul0 = _Colors(prb)[0];
        *pul1 = _Colors(prb)[1];
    } else {
        *pul0 = 0x000000;
        *pul1 = 0xFFFFFF;
    }
}

CHAINHEAD* _Chain(PDEV* pPDev)
{
    return PdevChain(pPDev);
}

LONG _Gray(PDEV* pPDev, ULONG rgb)
{
    return (LONG)PdlColorToGray(pPDev, rgb & 0x00FFFFFF);
}

// ---- pattern brush cache ---------------------------------------------------

LONG _FindCachedBrush(PDEV* pPDev, const REALBRUSH* prb)
{
    PDLATTR* pa = PdlAttr(pPDev);
    LONG cbRows = _RowBytes(prb) * prb->cy;
    for (int s = 0; s < PDL_BRUSH_CACHE_SLOTS; ++s) {
        const REALBRUSH* pc = PdlCachedBrush(pPDev, s);
        if (pc == nullptr || pa->aAge[s] < 0) {
            continue;
        }
        if (pc->iFormat != prb->iFormat || pc->cx != prb->cx || pc->cy != prb->cy ||
            pc->fl != prb->fl || pc->cColors != prb->cColors || pc->iStyle != prb->iStyle) {
            continue;
        }
        if (memcmp(_Colors(pc), _Colors(prb), prb->cColors * 4) != 0 ||
            memcmp(_Rows(pc), _Rows(prb), cbRows) != 0) {
            continue;
        }
        return PDL_BRUSH_CACHE0 + s;
    }
    return -1;
}

void _FreeSlot(PDEV* pPDev, int s)
{
    PDLATTR* pa = PdlAttr(pPDev);
    // The row is the PDEV's whatever the slot says now (a cache reset to
    // zero bytes still frees its copies).
    void* pCopy = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_CACHEDBRUSH0 + s));
    if (pCopy != nullptr) {
        FreeChainBlock(_Chain(pPDev), pCopy);
    }
    pa->aslCached[s] = 0;
    pa->aAge[s] = -1;
}

void _EvictBrushCache(PDEV* pPDev)
{
    PDLATTR* pa = PdlAttr(pPDev);
    for (int s = 0; s < PDL_BRUSH_CACHE_SLOTS; ++s) {
        if (pa->aAge[s] == 0) {
            _FreeSlot(pPDev, s);
            --pa->cCached;
            break;
        }
    }
    for (int s = 0; s < PDL_BRUSH_CACHE_SLOTS; ++s) {
        if (pa->aAge[s] > 0) {
            --pa->aAge[s];
        }
    }
}

// Copies the brush into a free slot; its number, or -1 without memory.
LONG _AddCachedBrush(PDEV* pPDev, const REALBRUSH* prb)
{
    PDLATTR* pa = PdlAttr(pPDev);
    if (pa->cCached >= PDL_BRUSH_CACHE_SLOTS) {
        _EvictBrushCache(pPDev);
    }
    int s = 0;
    while (s < PDL_BRUSH_CACHE_SLOTS && PdlCachedBrush(pPDev, s) != nullptr) {
        ++s;
    }
    if (s == PDL_BRUSH_CACHE_SLOTS) {
        return -1;
    }
    DWORD cbRows = (DWORD)(_RowBytes(prb) * prb->cy);
    DWORD cbColors = prb->cColors * 4;
    BYTE* p = static_cast<BYTE*>(AllocChainBlock(_Chain(pPDev), cbRows + cbColors + RB_HEAD_SIZE));
    if (p == nullptr) {
        return -1;
    }
    REALBRUSH* pc = reinterpret_cast<REALBRUSH*>(p);
    *pc = *prb;
    pc->offColors = cbRows + RB_HEAD_SIZE;
    memcpy(p + RB_HEAD_SIZE, _Rows(prb), cbRows);
    memcpy(p + pc->offColors, _Colors(prb), cbColors);
    if (void* pStale = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_CACHEDBRUSH0 + s))) {
        FreeChainBlock(_Chain(pPDev), pStale);
    }
    SetPdlCachedBrush(pPDev, s, pc);
    pa->aAge[s] = pa->cCached;
    ++pa->cCached;
    return PDL_BRUSH_CACHE0 + s;
}

// Takes a just-added brush out again (its definition did not reach the
// stream), so that the slot is never selected undefined.
void _DropCachedBrush(PDEV* pPDev, LONG nBrush)
{
    PDLATTR* pa = PdlAttr(pPDev);
    int s = nBrush - PDL_BRUSH_CACHE0;
    if (s < 0 || s >= PDL_BRUSH_CACHE_SLOTS || PdlCachedBrush(pPDev, s) == nullptr) {
        return;
    }
    LONG lAge = pa->aAge[s];
    _FreeSlot(pPDev, s);
    --pa->cCached;
    for (int k = 0; k < PDL_BRUSH_CACHE_SLOTS; ++k) {
        if (pa->aAge[k] > lAge) {
            --pa->aAge[k];
        }
    }
}

// ---- writers ------------------------------------------------------------------

// The rows of a record top row first: storage row k of the image row y.
const BYTE* _ImageRow(const REALBRUSH* prb, LONG y)
{
    LONG k = (prb->fl & RBF_TOPDOWN) ? y : prb->cy - 1 - y;
    return _Rows(prb) + (size_t)k * _RowBytes(prb);
}

BOOL _bWriteBrushData(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    if (!WriteStream(pPDev, pb, cb)) {
        return FALSE;
    }
    return PdlPrintf(pPDev, "!>;\n") > 0;
}

BOOL _bWritePattern(PDEV* pPDev, LONG nBrush, const REALBRUSH* prb)
{
    if (!_bSupportedFormat(prb)) {
        return FALSE;
    }
    LONG cbOut = (prb->cx + 7) / 8;
    LONG a;
    LONG b;
    if (prb->iFormat == BMF_1BPP) {
        ULONG ul0;
        ULONG ul1;
        _TwoColors(prb, &ul0, &ul1);
        a = _Gray(pPDev, ul1);
        b = _Gray(pPDev, ul0);
    } else {
        a = _Gray(pPDev, 0xFFFFFF);
        b = _Gray(pPDev, 0x000000);
    }
    BYTE* pOut = static_cast<BYTE*>(GfxAlloc((DWORD)(cbOut * prb->cy)));
    if (pOut == nullptr) {
        return FALSE;
    }
    const DITHERSET& d = _Dithers();
    for (LONG y = 0; y < prb->cy; ++y) {
        const BYTE* pRow = _ImageRow(prb, y);
        BYTE* pDst = pOut + (size_t)y * cbOut;
        if (prb->iFormat == BMF_1BPP) {
            memcpy(pDst, pRow, cbOut);
            continue;
        }
        // 24 bits reduced to 1 through the 4 x 4 ordered dither; 1 bits
        // are white.
        for (LONG x = 0; x < prb->cx; ++x) {
            const BYTE* px = pRow + x * 3;
            int L = (30 * px[2] + 59 * px[1] + 11 * px[0]) / 100;
            int n = (L + 8) / 16;
            if (d.aOrdered[n][y % 4] & (0x80 >> (x % 8))) {
                pDst[x / 8] |= (BYTE)(0x80 >> (x % 8));
            }
        }
    }
    BOOL bOk = PdlPrintf(pPDev, "bru %d #%X #%X %d %d %d <!", nBrush, a, b, prb->cx, prb->cy,
                         cbOut) > 0 &&
               _bWriteBrushData(pPDev, pOut, (DWORD)(cbOut * prb->cy));
    GfxFree(pOut);
    return bOk;
}

// A colour read from a pattern pixel: an index for up to 8 bits, 0x00BBGGRR
// for the others.
ULONG _ReadPixel(const SURFOBJ* pso, LONG x, LONG y)
{
    const BYTE* pRow = static_cast<const BYTE*>(pso->pvScan0) + (LONG)y * pso->lDelta;
    switch (pso->iBitmapFormat) {
    case BMF_4BPP:
        return (x & 1) ? (pRow[x >> 1] & 0x0F) : (pRow[x >> 1] >> 4);
    case BMF_8BPP:
        return pRow[x];
    case BMF_16BPP: {
        WORD w = (WORD)(pRow[x * 2] | (pRow[x * 2 + 1] << 8));
        return (((w >> 10) & 31u) << 3) | ((((w >> 5) & 31u) << 3) << 8) | (((w & 31u) << 3) << 16);
    }
    case BMF_32BPP:
        return pRow[x * 4 + 2] | (pRow[x * 4 + 1] << 8) | ((ULONG)pRow[x * 4] << 16);
    default:
        return 0;
    }
}

// The two source palette colours of a translation with a table of two
// entries (the one-bit mode's palette indices say nothing of the colours).
BOOL _bReadTwoColors(XLATEOBJ* pxlo, ULONG aul[2])
{
    if (pxlo == nullptr || !(pxlo->flXlate & XO_TABLE) || pxlo->cEntries != 2) {
        return FALSE;
    }
    return XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, 2, aul) == 2;
}

LONG _StyleUnit(PDEV* pPDev)
{
    // Style units follow the print quality of the shadow header; a quality
    // given as a level (negative) falls back to the vertical resolution.
    LONG u = DmShort(pPDev, 310) / 25;
    if (u <= 0) {
        u = DmShort(pPDev, 316) / 25;
    }
    return u > 0 ? u : 1;
}

float _FloatOf(LONG l)
{
    float f;
    memcpy(&f, &l, sizeof(f));
    return f;
}

// A length of a geometric pen (page dots as a float) in the dots of the
// stream: reduced or enlarged with the page (scale s in 1/100 percent, as
// the points are), rounded, at least lMin; lMin for lengths out of reason.
LONG _GeometricDots(float f, LONG s, LONG lMin)
{
    if (!(f >= 0.0f && f < 1.0e6f)) {
        return lMin;
    }
    LONG d = (LONG)((double)f * s / 10000.0 + 0.5);
    return d > lMin ? d : lMin;
}

// The line definition of a pen: its operand nBrushOp is the colour
// register (10) or the current brush number.
BOOL _bDefineLine(PDEV* pPDev, BRUSHOBJ* pbo, LINEATTRS* pla, LONG nBrushOp)
{
    LONG m = FloatToFix(_FloatOf(pla->eMiterLimit));
    if (pla->fl & LA_GEOMETRIC) {
        // Caps and joins have no operand of their own: the line gets the
        // pen's width and dashes, so the stroke is drawn rather than left to
        // whatever line was defined last.
        PdlPrintf(pPDev, "rem geometric pen;\n");
        LONG s = pPDev->lNupScale > 0 ? pPDev->lNupScale : 10000;
        LONG w = _GeometricDots(_FloatOf(pla->elWidth.l), s, 1);
        long long llSum = 0;
        if (pla->cstyle != 0 && pla->pstyle != nullptr) {
            for (ULONG i = 0; i < pla->cstyle; ++i) {
                llSum += _GeometricDots(_FloatOf(pla->pstyle[i].l), s, 0);
            }
        }
        LONG lSum = llSum > 0x7FFFFFFF ? 0x7FFFFFFF : (LONG)llSum;
        if (lSum <= 0) {
            // Solid, or dashes shorter than a dot, which draw as solid.
            return PdlPrintf(pPDev, "lnc %d %d %%%d %s %s %%%f 0;\n", 0, nBrushOp, w, "F", "M",
                             m) > 0;
        }
        BOOL bOk = PdlPrintf(pPDev, "lnp %d %d %%%d %d %s %s %%%f %d %d %d", 0, nBrushOp, w, 7,
                             "F", "M", m, _GeometricDots(_FloatOf(pla->elStyleState.l), s, 0),
                             lSum, (LONG)pla->cstyle) > 0;
        for (ULONG i = 0; bOk && i < pla->cstyle; ++i) {
            bOk = PdlPrintf(pPDev, " %d", _GeometricDots(_FloatOf(pla->pstyle[i].l), s, 0)) > 0;
        }
        return bOk && PdlPrintf(pPDev, ";\n") > 0;
    }
    if (pbo->iSolidColor == 0xFFFFFFFF) {
        PdlPrintf(pPDev, "rem cosmetic line with user defined pattern brush;\n");
    }
    LONG w = pla->elWidth.l;
    if (pla->fl & LA_ALTERNATE) {
        LONG lState = (LONG)((ULONG)pla->elStyleState.l << 8) >> 8;
        return PdlPrintf(pPDev, "lnp %d %d %%%d %d %s %s %%%f %d %d;\n", 0, nBrushOp, w, 8, "F",
                         "M", m, lState, 128) > 0;
    }
    if (pla->cstyle != 0 && pla->pstyle != nullptr) {
        LONG u = _StyleUnit(pPDev);
        LONG lSum = 0;
        for (ULONG i = 0; i < pla->cstyle; ++i) {
            lSum += pla->pstyle[i].l * u;
        }
        BOOL bOk = PdlPrintf(pPDev, "lnp %d %d %%%d %d %s %s %%%f %d %d %d", 0, nBrushOp, w, 7,
                             "F", "M", m, pla->elStyleState.l * u, lSum, (LONG)pla->cstyle) > 0;
        for (ULONG i = 0; bOk && i < pla->cstyle; ++i) {
            bOk = PdlPrintf(pPDev, " %d", pla->pstyle[i].l * u) > 0;
        }
        return bOk && PdlPrintf(pPDev, ";\n") > 0;
    }
    return PdlPrintf(pPDev, "lnc %d %d %%%d %s %s %%%f 0;\n", 0, nBrushOp, w, "F", "M", m) > 0;
}

}  // namespace

// ---- stored patterns ------------------------------------------------------------

const BYTE* GetHatchPattern(ULONG iStyle)
{
    return iStyle < PDL_HATCH_STYLES ? _Hatches().ab[iStyle] : nullptr;
}

const BYTE* GetDitherPattern(int nLevel)
{
    return nLevel >= 0 && nLevel <= 32 ? _Dithers().aCluster[nLevel] : nullptr;
}

const BYTE* GetOrderedDither(int nLevel)
{
    return nLevel >= 0 && nLevel <= 16 ? _Dithers().aOrdered[nLevel] : nullptr;
}

const ULONG* GetDefaultPalette()
{
    return _Dithers().aulPalette;
}

// ---- cache ---------------------------------------------------------------------------

void PdlResetState(PDEV* pPDev)
{
    PDLATTR* pa = PdlAttr(pPDev);
    pa->nBrush = -2;
    pa->nLine = -2;
    pa->nClipKind = -2;
    pa->lPenGray = -1;
    pa->lBrushGray = -1;
    InitBrushCache(pPDev);
    for (int k = 0; k < PDL_HATCH_STYLES; ++k) {
        pa->aHatch[k][0] = -1;
        pa->aHatch[k][1] = -1;
        pa->aHatch[k][2] = -1;
    }
    pa->lRop2 = -1;
    pa->lRop3 = -1;
    pa->lBrushMode = -1;
    pa->aImageGray[0] = -1;
    pa->aImageGray[1] = -1;
    pa->lFontSlot = -1;
    pa->aFontSize[0] = 0;
    pa->aFontSize[1] = 0;
    pa->aFontFlags[0] = -1;
    pa->aFontFlags[1] = -1;
    pa->aFontFlags[2] = -1;
    // The page and rectangle clips stay cached across a page set-up; the
    // saved list and path are forgotten (and freed, so memory stays flat).
    FreeSavedClipRects(pPDev);
    FreeSavedClipPath(pPDev);
}

void InitBrushCache(PDEV* pPDev)
{
    // Emptied slots give their copies back at once, so that memory stays
    // flat over a long job instead of growing by a page's brushes each page.
    FreeBrushCache(pPDev);
}

void FreeBrushCache(PDEV* pPDev)
{
    PDLATTR* pa = PdlAttr(pPDev);
    for (int s = 0; s < PDL_BRUSH_CACHE_SLOTS; ++s) {
        _FreeSlot(pPDev, s);
    }
    pa->cCached = 0;
}

void ReleaseBrushCache(PDEV* pPDev)
{
    FreeBrushCache(pPDev);
}

// ---- selectors ------------------------------------------------------------------------

BOOL bIsOneBitMode(PDEV* pPDev)
{
    return DmByte(pPDev, 2163) == 1 && DmByte(pPDev, 778) == 2;
}

ULONG GetBrushRGB(PDEV* pPDev, BRUSHOBJ* pbo)
{
    if (bIsOneBitMode(pPDev)) {
        return BRUSHOBJ_ulGetBrushColor(pbo) & 0x00FFFFFF;
    }
    return pbo->iSolidColor;
}

BOOL SelectBrushNumber(PDEV* pPDev, LONG n)
{
    PDLATTR* pa = PdlAttr(pPDev);
    if (pa->nBrush != n && PdlPrintf(pPDev, "brs %d;\n", n) > 0) {
        pa->nBrush = n;
    }
    return TRUE;
}

BOOL SelectLine(PDEV* pPDev, LONG n)
{
    PDLATTR* pa = PdlAttr(pPDev);
    if (pa->nLine != n && PdlPrintf(pPDev, "lns %d;\n", n) > 0) {
        pa->nLine = n;
    }
    return TRUE;
}

LONG SetSolidBrushColor(PDEV* pPDev, ULONG rgb)
{
    rgb &= 0x00FFFFFF;
    if (rgb == 0x000000) {
        return PDL_BRUSH_BLACK;
    }
    if (rgb == 0xFFFFFF) {
        return PDL_BRUSH_WHITE;
    }
    PDLATTR* pa = PdlAttr(pPDev);
    LONG g = _Gray(pPDev, rgb);
    if (g != pa->lBrushGray) {
        if (PdlPrintf(pPDev, "brc 2 #%X;\n", g) > 0) {
            pa->lBrushGray = g;
        }
    }
    return PDL_BRUSH_SOLID;
}

LONG DefineHatchBrush(PDEV* pPDev, ULONG iStyle, ULONG rgbFirst, ULONG rgbSecond)
{
    if (iStyle >= PDL_HATCH_STYLES) {
        return PDL_BRUSH_NONE;
    }
    PDLATTR* pa = PdlAttr(pPDev);
    LONG a = _Gray(pPDev, rgbFirst);
    LONG b = _Gray(pPDev, rgbSecond);
    // The packed record may put the triple at any address: copy it in and out.
    BYTE* pTriple = reinterpret_cast<BYTE*>(pa->aHatch[iStyle]);
    LONG aLast[3];
    memcpy(aLast, pTriple, sizeof(aLast));
    LONG nBrush = PDL_BRUSH_HATCH0 + (LONG)iStyle;
    if (aLast[0] == a && aLast[1] == b && aLast[2] == (LONG)iStyle) {
        return nBrush;
    }
    const LONG lUndefined = -1;
    memcpy(pTriple, &lUndefined, sizeof(LONG));
    if (PdlPrintf(pPDev, "bru %d #%X #%X", nBrush, a, b) > 0 &&
        PdlPrintf(pPDev, " %d %d %d <!", 32, 32, 4) > 0 &&
        _bWriteBrushData(pPDev, GetHatchPattern(iStyle), 128)) {
        const LONG aNew[3] = {a, b, (LONG)iStyle};
        memcpy(pTriple, aNew, sizeof(aNew));
    }
    return nBrush;
}

LONG WritePatternBrush(PDEV* pPDev, LONG nBrush, const REALBRUSH* prb)
{
    return _bWritePattern(pPDev, nBrush, prb) ? nBrush : 0;
}

LONG DefinePatternBrush(PDEV* pPDev, const REALBRUSH* prb)
{
    if (!_bSupportedFormat(prb)) {
        // Nothing can be defined; the brush is drawn black and never
        // enters the cache.
        return 0;
    }
    LONG n = _FindCachedBrush(pPDev, prb);
    if (n >= 0) {
        return n;
    }
    n = _AddCachedBrush(pPDev, prb);
    BOOL bCached = n >= 0;
    if (!bCached) {
        n = PDL_BRUSH_UNCACHED;
    }
    if (!_bWritePattern(pPDev, n, prb)) {
        if (bCached) {
            _DropCachedBrush(pPDev, n);
        }
        return 0;
    }
    return n;
}

void BuildScaleTable(BYTE* pbTable, int n, int m)
{
    if (pbTable == nullptr || n <= 0 || m <= 0) {
        return;
    }
    for (int i = 0; i < n; ++i) {
        int c;
        if (n < m) {
            c = (m * (i + 1) + n / 2) / n - (m * i + n / 2) / n;
        } else {
            c = m * (i + 1) / n - m * i / n;
        }
        pbTable[i] = (BYTE)c;
    }
}

void ScaleRow1Bpp(int nMode, const BYTE* pbSrc, BYTE* pbDst, int n, const BYTE* pbTable)
{
    int o = 0;
    for (int i = 0; i < n; ++i) {
        BOOL bSet = (pbSrc[i >> 3] & (0x80 >> (i & 7))) != 0;
        int c = pbTable[i];
        if (c == 0 && nMode == 1) {
            if (bSet) {
                pbDst[o >> 3] |= (BYTE)(0x80 >> (o & 7));
            }
            continue;
        }
        for (int k = 0; k < c; ++k, ++o) {
            if (bSet) {
                pbDst[o >> 3] |= (BYTE)(0x80 >> (o & 7));
            }
        }
    }
}

LONG UpdatePatternBrushExt(PDEV* pPDev, const REALBRUSH* prb, int nFactor)
{
    if (!_bSupportedFormat(prb)) {
        PdlPrintf(pPDev, "rem error: update_pattern_brush_ext;\n");
        return DefinePatternBrush(pPDev, prb);
    }
    if (prb->cx > 8 || prb->cy > 8 || nFactor < 1) {
        return DefinePatternBrush(pPDev, prb);
    }
    REALBRUSH big = *prb;
    big.cx = prb->cx * nFactor;
    big.cy = prb->cy * nFactor;
    LONG cbRow = _RowBytes(&big);
    DWORD cbRows = (DWORD)(cbRow * big.cy);
    ULONG cColors = prb->cColors;
    BYTE* p = static_cast<BYTE*>(GfxAlloc(RB_HEAD_SIZE + cbRows + cColors * 4));
    if (p == nullptr) {
        PdlPrintf(pPDev, "rem error: update_pattern_brush_ext;\n");
        return DefinePatternBrush(pPDev, prb);
    }
    big.offColors = RB_HEAD_SIZE + cbRows;
    big.cColors = cColors;
    memcpy(p, &big, sizeof(big));
    memcpy(p + big.offColors, _Colors(prb), cColors * 4);
    BYTE abX[8];
    BYTE abY[8];
    BuildScaleTable(abX, prb->cx, big.cx);
    BuildScaleTable(abY, prb->cy, big.cy);
    LONG cbSrcRow = _RowBytes(prb);
    BYTE* pDst = p + RB_HEAD_SIZE;
    for (LONG k = 0; k < prb->cy; ++k) {
        const BYTE* pSrc = _Rows(prb) + (size_t)k * cbSrcRow;
        for (int r = 0; r < abY[k]; ++r) {
            if (prb->iFormat == BMF_1BPP) {
                ScaleRow1Bpp(0, pSrc, pDst, prb->cx, abX);
            } else {
                BYTE* q = pDst;
                for (LONG x = 0; x < prb->cx; ++x) {
                    for (int c = 0; c < abX[x]; ++c, q += 3) {
                        memcpy(q, pSrc + x * 3, 3);
                    }
                }
            }
            pDst += cbRow;
        }
    }
    LONG n = DefinePatternBrush(pPDev, reinterpret_cast<REALBRUSH*>(p));
    GfxFree(p);
    return n;
}

BOOL SelectBrush(PDEV* pPDev, BRUSHOBJ* pbo)
{
    if (pbo == nullptr) {
        SelectBrushNumber(pPDev, PDL_BRUSH_NONE);
        return TRUE;
    }
    if (pbo->iSolidColor != 0xFFFFFFFF) {
        SelectBrushNumber(pPDev, SetSolidBrushColor(pPDev, GetBrushRGB(pPDev, pbo)));
        return TRUE;
    }
    const REALBRUSH* prb = static_cast<const REALBRUSH*>(BRUSHOBJ_pvGetRbrush(pbo));
    if (prb == nullptr) {
        DbgPrint("%s (%d): %s", XRBRUSH_FILE, __LINE__, "Null brush.\n");
        SelectBrushNumber(pPDev, PDL_BRUSH_NONE);
        return FALSE;
    }
    LONG n;
    if (prb->iStyle < RB_STYLE_PATTERN) {
        ULONG ul0;
        ULONG ul1;
        _TwoColors(prb, &ul0, &ul1);
        n = DefineHatchBrush(pPDev, prb->iStyle, ul1, ul0);
    } else if (prb->iStyle == RB_STYLE_PATTERN && prb->iFormat == 0 && prb->cx == 0) {
        // A realized solid colour (no pixels): its second colour. Patterns
        // arrive with style 6 as well and are told apart by their pixels.
        ULONG ul0;
        ULONG ul1;
        _TwoColors(prb, &ul0, &ul1);
        n = SetSolidBrushColor(pPDev, ul1);
    } else if (bIsOneBitMode(pPDev)) {
        n = DefinePatternBrush(pPDev, prb);
    } else {
        n = UpdatePatternBrushExt(pPDev, prb, 2);
    }
    SelectBrushNumber(pPDev, n);
    return TRUE;
}

BOOL SelectSolidColor(PDEV* pPDev, ULONG rgb)
{
    SelectBrushNumber(pPDev, SetSolidBrushColor(pPDev, rgb));
    return TRUE;
}

BOOL SelectDitherPattern(PDEV* pPDev, const BYTE abRows[8])
{
    BYTE* p = static_cast<BYTE*>(GfxAlloc(RB_HEAD_SIZE + 32 + 8));
    if (p == nullptr) {
        PdlPrintf(pPDev, "rem error: output dither brush;\n");
        return FALSE;
    }
    REALBRUSH* prb = reinterpret_cast<REALBRUSH*>(p);
    prb->cx = 8;
    prb->cy = 8;
    prb->iFormat = BMF_1BPP;
    prb->fl = RBF_TOPDOWN;
    prb->cColors = 2;
    prb->offColors = RB_HEAD_SIZE + 32;
    prb->iStyle = RB_STYLE_DITHER;
    for (int y = 0; y < 8; ++y) {
        p[RB_HEAD_SIZE + y * 4] = abRows != nullptr ? abRows[y] : 0;
    }
    ULONG aul[2] = {0xFFFFFF, 0x000000};
    memcpy(p + prb->offColors, aul, sizeof(aul));

    BOOL bOk;
    if (prb->cx != 0 && prb->cy != 0 && prb->cColors != 0 && prb->offColors != 0 &&
        prb->iStyle == RB_STYLE_DITHER) {
        SelectBrushNumber(pPDev, DefinePatternBrush(pPDev, prb));
        bOk = TRUE;
    } else {
        PdlPrintf(pPDev, "rem  dither brush error;\n");
        bOk = FALSE;
    }
    GfxFree(p);
    return bOk;
}

BOOL SelectGrayDither(PDEV* pPDev, ULONG rgb)
{
    int L = (30 * (int)(rgb & 0xFF) + 59 * (int)((rgb >> 8) & 0xFF) +
             11 * (int)((rgb >> 16) & 0xFF)) / 100;
    int nLevel = 32 - (L + 4) / 8;
    if (nLevel < 0) {
        nLevel = 0;
    }
    return SelectDitherPattern(pPDev, GetDitherPattern(nLevel));
}

void SelectPatternBrush8x8(PDEV* pPDev, const BYTE abPattern[8])
{
    SelectDitherPattern(pPDev, abPattern);
}

BOOL SetPenColor(PDEV* pPDev, BRUSHOBJ* pbo)
{
    if (pbo == nullptr) {
        SelectLine(pPDev, -1);
        return TRUE;
    }
    if (pbo->iSolidColor == 0xFFFFFFFF) {
        return FALSE;
    }
    PDLATTR* pa = PdlAttr(pPDev);
    LONG g = _Gray(pPDev, GetBrushRGB(pPDev, pbo));
    if (g != pa->lPenGray && PdlPrintf(pPDev, "brc %d #%X;\n", PDL_BRUSH_PEN, g) > 0) {
        pa->lPenGray = g;
    }
    return TRUE;
}

BOOL SelectPen(PDEV* pPDev, BRUSHOBJ* pbo, LINEATTRS* pla)
{
    if (pbo == nullptr || pla == nullptr) {
        SelectLine(pPDev, -1);
        return TRUE;
    }
    SetPenColor(pPDev, pbo);
    if (!_bDefineLine(pPDev, pbo, pla, PDL_BRUSH_PEN)) {
        return FALSE;
    }
    SelectLine(pPDev, 0);
    return TRUE;
}

BOOL SelectBrushPen(PDEV* pPDev, BRUSHOBJ* pbo, LINEATTRS* pla)
{
    if (pbo == nullptr || pla == nullptr) {
        SelectLine(pPDev, -1);
        return TRUE;
    }
    SelectBrush(pPDev, pbo);
    if (!_bDefineLine(pPDev, pbo, pla, PdlAttr(pPDev)->nBrush)) {
        return FALSE;
    }
    SelectLine(pPDev, 0);
    return TRUE;
}

BOOL SelectCurrentBrushPen(PDEV* pPDev, BRUSHOBJ* pbo, LINEATTRS* pla)
{
    if (pbo == nullptr || pla == nullptr) {
        SelectLine(pPDev, -1);
        return TRUE;
    }
    if (!_bDefineLine(pPDev, pbo, pla, PdlAttr(pPDev)->nBrush)) {
        return FALSE;
    }
    SelectLine(pPDev, 0);
    return TRUE;
}

void SelectNullPen(PDEV* pPDev)
{
    SelectLine(pPDev, -1);
}

BOOL SetBrushMode(PDEV* pPDev, LONG lMode)
{
    PDLATTR* pa = PdlAttr(pPDev);
    if (lMode != pa->lBrushMode && PdlPrintf(pPDev, "brm %d;\n", lMode == 2 ? 0 : 1) > 0) {
        pa->lBrushMode = lMode;
    }
    return TRUE;
}

BOOL SetImageColors(PDEV* pPDev, ULONG rgbFirst, ULONG rgbSecond)
{
    PDLATTR* pa = PdlAttr(pPDev);
    LONG g1 = _Gray(pPDev, rgbFirst);
    LONG g2 = _Gray(pPDev, rgbSecond);
    if ((g1 != pa->aImageGray[0] || g2 != pa->aImageGray[1]) &&
        PdlPrintf(pPDev, "bri #%X #%X;\n", g1, g2) > 0) {
        pa->aImageGray[0] = g1;
        pa->aImageGray[1] = g2;
    }
    return TRUE;
}

LONG FloatToFix(float f)
{
    return (LONG)(f * 256.0f);
}

// ---- realization -------------------------------------------------------------------------

BOOL RealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                  XLATEOBJ* pxlo, ULONG iHatch)
{
    PDEV* pPDev = psoTarget != nullptr ? reinterpret_cast<PDEV*>(psoTarget->dhpdev) : nullptr;
    if (!_bValidatePDEV(pPDev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BOOL bOneBit = bIsOneBitMode(pPDev);
    BOOL bHatch = iHatch < RB_STYLE_PATTERN;
    if (!bHatch && (psoPattern == nullptr || psoPattern->pvScan0 == nullptr ||
                    psoPattern->sizlBitmap.cx <= 0 || psoPattern->sizlBitmap.cy <= 0 ||
                    psoPattern->sizlBitmap.cx > 0x4000 || psoPattern->sizlBitmap.cy > 0x4000)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONG iFormat = bHatch ? 0 : psoPattern->iBitmapFormat;
    LONG cx = bHatch ? 0 : psoPattern->sizlBitmap.cx;
    LONG cy = bHatch ? 0 : psoPattern->sizlBitmap.cy;
    // Formats the record cannot describe keep no pixels; the selector then
    // finds nothing to define.
    BOOL bKnown = iFormat >= BMF_1BPP && iFormat <= BMF_32BPP;
    LONG cbRow = 0;
    if (!bHatch && bKnown) {
        LONG bits = iFormat == BMF_1BPP ? cx : cx * 24;
        cbRow = ((bits + 31) / 32) * 4;
    }
    DWORD P = (DWORD)(cbRow * cy);
    ULONG N = (pxlo != nullptr && (pxlo->flXlate & XO_TABLE) && pxlo->pulXlate != nullptr)
                  ? pxlo->cEntries
                  : 0;
    if (N > 256) {
        N = 256;
    }
    // Two more colours always fit, for the records that get black and white.
    DWORD cb = P + 4 * N + RB_HEAD_SIZE + 8;
    BYTE* p = static_cast<BYTE*>(BRUSHOBJ_pvAllocRbrush(pbo, cb));
    if (p == nullptr) {
        PdlReportFailure(XRBRUSH_FILE, __LINE__, "BRUSHOBJ_pvAllocRbrush");
        return FALSE;
    }
    REALBRUSH* prb = reinterpret_cast<REALBRUSH*>(p);
    prb->iStyle = iHatch;
    prb->cColors = N;
    prb->offColors = P + RB_HEAD_SIZE;
    ULONG* pulColors = reinterpret_cast<ULONG*>(p + prb->offColors);
    for (ULONG i = 0; i < N; ++i) {
        pulColors[i] = pxlo->pulXlate[i];
    }

    if (bHatch) {
        // Background first, line second (the stored hatch lines are 1 bits,
        // GDI's hatch cell has its lines as 0 bits).
        ULONG aul[2] = {0x000000, 0xFFFFFF};
        BOOL bHave = bOneBit ? _bReadTwoColors(pxlo, aul) : N >= 2;
        if (!bOneBit && bHave) {
            aul[0] = pulColors[0];
            aul[1] = pulColors[1];
        }
        pulColors[0] = aul[1];
        pulColors[1] = aul[0];
        prb->cColors = 2;
        pbo->pvRbrush = prb;
        return TRUE;
    }

    prb->cx = cx;
    prb->cy = cy;
    prb->fl = (psoPattern->fjBitmap & BMF_TOPDOWN) ? RBF_TOPDOWN : 0;
    prb->iFormat = iFormat;
    BYTE* pRows = p + RB_HEAD_SIZE;
    if (!bKnown) {
        prb->cx = 0;
        prb->cy = 0;
        pbo->pvRbrush = prb;
        return TRUE;
    }
    if (iFormat == BMF_4BPP || iFormat == BMF_8BPP || iFormat == BMF_16BPP ||
        iFormat == BMF_32BPP) {
        ULONG aulPal[256];
        ULONG cPal = 0;
        if (iFormat == BMF_4BPP || (bOneBit && iFormat == BMF_8BPP)) {
            ULONG cWant = iFormat == BMF_4BPP ? 16 : (N != 0 ? N : 256);
            cPal = pxlo != nullptr ? XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, cWant, aulPal) : 0;
            if (cPal == 0 && iFormat == BMF_8BPP) {
                memcpy(aulPal, GetDefaultPalette(), sizeof(aulPal));
                cPal = 256;
            }
        }
        prb->iFormat = BMF_24BPP;
        prb->fl = RBF_TOPDOWN;
        for (LONG y = 0; y < cy; ++y) {
            BYTE* q = pRows + (size_t)y * cbRow;
            for (LONG x = 0; x < cx; ++x, q += 3) {
                ULONG v = _ReadPixel(psoPattern, x, y);
                ULONG rgb;
                if (iFormat == BMF_4BPP || (bOneBit && iFormat == BMF_8BPP)) {
                    rgb = v < cPal ? aulPal[v] : 0;
                } else if (bOneBit) {
                    rgb = v;
                } else {
                    rgb = XLATEOBJ_iXlate(pxlo, v);
                }
                // Stored blue, green, red.
                q[0] = (BYTE)(rgb >> 16);
                q[1] = (BYTE)(rgb >> 8);
                q[2] = (BYTE)rgb;
            }
        }
    } else {
        // 1 and 24 bits: the rows as they are, in their storage order.
        BOOL bTopDown = (prb->fl & RBF_TOPDOWN) != 0;
        LONG cbCopy = iFormat == BMF_1BPP ? (cx + 7) / 8 : cx * 3;
        for (LONG k = 0; k < cy; ++k) {
            LONG y = bTopDown ? k : cy - 1 - k;
            const BYTE* pSrc = static_cast<const BYTE*>(psoPattern->pvScan0) + (LONG)y * psoPattern->lDelta;
            memcpy(pRows + (size_t)k * cbRow, pSrc, cbCopy);
        }
        if (iFormat == BMF_1BPP && bOneBit) {
            // Colour of the 0 bits first, as in every 1-bit record.
            ULONG aul[2] = {0x000000, 0xFFFFFF};
            if (pxlo != nullptr && !(pxlo->flXlate & XO_TRIVIAL)) {
                _bReadTwoColors(pxlo, aul);
            }
            pulColors[0] = aul[0];
            pulColors[1] = aul[1];
            prb->cColors = 2;
        }
    }
    (void)psoMask;
    pbo->pvRbrush = prb;
    return TRUE;
}
