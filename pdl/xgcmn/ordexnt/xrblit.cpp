// xrblit.cpp: the bit copies, block transfers and stretched images of the
// ORDEX back end: raster-operation classes, pattern-only operations as
// rectangles, and source bitmaps converted into 1-bit or 8-bit images.
//
// Entry points: DrawBlitBody (the drawing hooks reach it), CopyBitsBody,
// BitBltBody, StretchBltBody, BlitImage, FillBlitRect, DibGetPalette,
// DibGetPaletteOneBit, GetOneBitDefaultPalette, ColorDensity, Rop4Class,
// PatternRopToMix, WidenPatternRop. Rules in xrimage.h.
#include "pdl/xgcmn/ordexnt/xrimage.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include <emmintrin.h>

#include "platform/windows.h"

#define XRBLIT_FILE "xrblit"

namespace {

// The pattern-only ternary operations: the truth table depends on the
// pattern and the destination only, so its nibbles repeat (code & 0x33 ==
// (code & 0xCC) >> 2). Their binary codes run 1..16 in code order.
BOOL _bPatternOnly(ULONG rop3)
{
    return rop3 <= 0xFF && (rop3 & 0x33) == ((rop3 & 0xCC) >> 2);
}

BYTE _BitReverse(BYTE b)
{
    b = (BYTE)(((b & 0xF0) >> 4) | ((b & 0x0F) << 4));
    b = (BYTE)(((b & 0xCC) >> 2) | ((b & 0x33) << 2));
    return (BYTE)(((b & 0xAA) >> 1) | ((b & 0x55) << 1));
}

const BYTE* _BitReversal()
{
    static const struct TABLE {
        BYTE ab[256];
        TABLE()
        {
            for (int i = 0; i < 256; ++i)
                ab[i] = _BitReverse((BYTE)i);
        }
    } s_t;
    return s_t.ab;
}

int _BitsPerPixel(ULONG iFormat)
{
    switch (iFormat) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
    }
}

BOOL _bDeviceDest(SURFOBJ* psoDest, RECTL* prclDest, PDEV** ppPDev)
{
    if (psoDest == nullptr || psoDest->iType != STYPE_DEVICE || prclDest == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PDEV* pPDev = reinterpret_cast<PDEV*>(psoDest->dhpdev);
    if (!_bValidatePDEV(pPDev))
        return FALSE;
    *ppPDev = pPDev;
    return TRUE;
}

BOOL _bBitmapSource(SURFOBJ* pso)
{
    return pso != nullptr && pso->iType == STYPE_BITMAP;
}

// An 0x00BBGGRR colour from a 5-5-5 pixel, as the engine widens it.
ULONG _Rgb555(ULONG w)
{
    return (((w >> 10) & 31) << 3) | ((((w >> 5) & 31) << 3) << 8) | (((w & 31) << 3) << 16);
}

// The translation of the last pixel, kept because images repeat colours.
struct XLATEMEMO {
    XLATEOBJ* pxlo;
    ULONG iIn;
    ULONG ulOut;
    BOOL bValid;
};

ULONG _Xlate(XLATEMEMO* pm, ULONG iColor)
{
    if (!pm->bValid || pm->iIn != iColor) {
        pm->iIn = iColor;
        pm->ulOut = XLATEOBJ_iXlate(pm->pxlo, iColor);
        pm->bValid = TRUE;
    }
    return pm->ulOut;
}

// Everything the row conversion needs, fixed once per image.
struct CONVERT {
    int bpp;
    BOOL bOneBit;       // one-bit mode: colours from the source palette
    XLATEOBJ* pxlo;
    BYTE abLut[256];    // densities of the palette indices (4 and 8 bits)
    XLATEMEMO memo;
};

void _PrepareLut(PDEV* pPDev, CONVERT* pc)
{
    int n = pc->bpp == 4 ? 16 : 256;
    ULONG aul[256];
    if (pc->bOneBit) {
        const ULONG* pPal = aul;
        if (DibGetPaletteOneBit(pc->pxlo, (ULONG)n, aul) != (ULONG)n)
            pPal = GetOneBitDefaultPalette(pc->bpp);
        for (int i = 0; i < n; ++i)
            pc->abLut[i] = ColorDensity(pPal[i]);
        return;
    }
    if (pc->bpp == 4) {
        ULONG c = DibGetPalette(pc->pxlo, 16, aul);
        for (int i = 0; i < 16; ++i)
            pc->abLut[i] = (ULONG)i < c ? ColorDensity(aul[i]) : (BYTE)(255 - 17 * i);
        return;
    }
    for (int i = 0; i < 256; ++i)
        pc->abLut[i] = pc->pxlo != nullptr ? ColorDensity(XLATEOBJ_iXlate(pc->pxlo, (ULONG)i))
                                           : (BYTE)(255 - i);
    (void)pPDev;
}

// One row of density bytes from cx pixels starting at pixel x of pbRow.
void _ConvertRow(CONVERT* pc, const BYTE* pbRow, LONG x, LONG cx, BYTE* pbOut)
{
    BOOL bXlate = pc->pxlo != nullptr && !pc->bOneBit;
    switch (pc->bpp) {
    case 4:
        for (LONG i = 0; i < cx; ++i) {
            LONG px = x + i;
            BYTE v = (BYTE)((pbRow[px >> 1] >> ((px & 1) ? 0 : 4)) & 0xF);
            pbOut[i] = pc->abLut[v];
        }
        break;
    case 8:
        for (LONG i = 0; i < cx; ++i)
            pbOut[i] = pc->abLut[pbRow[x + i]];
        break;
    case 16:
        for (LONG i = 0; i < cx; ++i) {
            const BYTE* p = pbRow + (size_t)(x + i) * 2;
            ULONG w = (ULONG)p[0] | ((ULONG)p[1] << 8);
            if (bXlate) {
                pbOut[i] = ColorDensity(_Xlate(&pc->memo, _Rgb555(w)));
            } else if (pc->bOneBit) {
                pbOut[i] = ColorDensity(_Rgb555(w));
            } else {
                ULONG r5 = (w >> 10) & 31, g5 = (w >> 5) & 31, b5 = w & 31;
                pbOut[i] = (BYTE)(255 - (240 * r5 + 472 * g5 + 88 * b5) / 100);
            }
        }
        break;
    case 24:
    case 32: {
        int cb = pc->bpp / 8;
        // Pages are mostly runs of one colour: the last density is reused.
        ULONG rgbLast = 0xFFFFFFFF;
        BYTE bLast = 0;
        for (LONG i = 0; i < cx; ++i) {
            const BYTE* p = pbRow + (size_t)(x + i) * cb;
            ULONG rgb = (ULONG)p[2] | ((ULONG)p[1] << 8) | ((ULONG)p[0] << 16);
            if (rgb != rgbLast) {
                rgbLast = rgb;
                bLast = ColorDensity(bXlate ? _Xlate(&pc->memo, rgb) : rgb);
            }
            pbOut[i] = bLast;
        }
        break;
    }
    default:
        memset(pbOut, 0, (size_t)cx);
        break;
    }
}

// cx bits from bit x of pbRow (cbAvail bytes) into pbOut, inverted, with
// the bits past cx cleared.
void _Copy1Row(const BYTE* pbRow, LONG cbAvail, LONG x, LONG cx, BYTE* pbOut)
{
    LONG cbOut = (cx + 7) / 8;
    LONG k = x >> 3;
    int sh = (int)(x & 7);
    LONG j = 0;
    if (sh == 0) {
        // Whole bytes: sixteen at a time, then a word at a time.
        const __m128i vOnes = _mm_set1_epi8((char)0xFF);
        for (; j + 16 <= cbOut; j += 16, k += 16) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pbRow + k));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pbOut + j), _mm_xor_si128(v, vOnes));
        }
        for (; j + 4 <= cbOut; j += 4, k += 4) {
            DWORD w;
            memcpy(&w, pbRow + k, sizeof(w));
            w = ~w;
            memcpy(pbOut + j, &w, sizeof(w));
        }
    }
    for (; j < cbOut; ++j, ++k) {
        BYTE b = pbRow[k];
        if (sh) {
            BYTE bNext = k + 1 < cbAvail ? pbRow[k + 1] : 0;
            b = (BYTE)((b << sh) | (bNext >> (8 - sh)));
        }
        pbOut[j] = (BYTE)~b;
    }
    if (cx & 7)
        pbOut[cbOut - 1] &= (BYTE)(0xFF00u >> (cx & 7));
}

// Mirrors one 1-bit row of cx pixels in place.
void _Mirror1Row(BYTE* pb, LONG cx)
{
    const BYTE* pRev = _BitReversal();
    LONG cb = (cx + 7) / 8;
    for (LONG i = 0, j = cb - 1; i < j; ++i, --j) {
        BYTE t = pRev[pb[i]];
        pb[i] = pRev[pb[j]];
        pb[j] = t;
    }
    if (cb & 1)
        pb[cb / 2] = pRev[pb[cb / 2]];
    // The padding that the reversal moved to the front goes back behind the
    // last pixel.
    int sh = (int)(cb * 8 - cx);
    if (sh) {
        for (LONG i = 0; i < cb; ++i) {
            BYTE bNext = i + 1 < cb ? pb[i + 1] : 0;
            pb[i] = (BYTE)((pb[i] << sh) | (bNext >> (8 - sh)));
        }
    }
}

void _Mirror8Row(BYTE* pb, LONG cx)
{
    for (LONG i = 0, j = cx - 1; i < j; ++i, --j) {
        BYTE t = pb[i];
        pb[i] = pb[j];
        pb[j] = t;
    }
}

// The rows of a source rectangle as the image writers take them: 1-bit
// rows inverted, other depths as densities, mirrored as the operation asks.
struct BLITROWS {
    const BYTE* pbScan0;
    LONG lDelta;
    LONG xs, ys, cxs, cys;
    int fFlip;
    LONG cbMinRow;
    CONVERT conv;
    BOOL bTone;          // densities through abTone after the conversion
    BYTE abTone[256];
    BOOL bInPlace;       // 8-bit rows handed out as they lie
    BYTE* pbRow;
};

// How many rows ahead of the one converted the source is fetched.
const LONG kFetchAhead = 4;

const BYTE* _BlitRow(const IMAGEROWS* pir, LONG iRow)
{
    BLITROWS* pbr = static_cast<BLITROWS*>(pir->pvSource);
    LONG row = (pbr->fFlip & 2) ? pbr->cys - 1 - iRow : iRow;
    const BYTE* pRow = pbr->pbScan0 + (long long)(pbr->ys + row) * pbr->lDelta;
    if (pbr->bInPlace)
        return pRow + pbr->xs;
    BYTE* pOut = pbr->pbRow;
    if (iRow + kFetchAhead < pbr->cys) {
        // A row a few ahead is fetched while this one is converted (one
        // row takes less time than memory does to answer): the rows of a
        // bottom-up bitmap are read from the end of its memory back.
        LONG rowNext = (pbr->fFlip & 2) ? row - kFetchAhead : row + kFetchAhead;
        const char* pNext = reinterpret_cast<const char*>(pbr->pbScan0) +
                            (long long)(pbr->ys + rowNext) * pbr->lDelta;
        for (LONG ib = 0; ib < pbr->cbMinRow; ib += 64)
            _mm_prefetch(pNext + ib, _MM_HINT_T0);
    }
    if (pbr->conv.bpp == 1) {
        _Copy1Row(pRow, pbr->cbMinRow, pbr->xs, pbr->cxs, pOut);
        if (pbr->fFlip & 1)
            _Mirror1Row(pOut, pbr->cxs);
        return pOut;
    }
    _ConvertRow(&pbr->conv, pRow, pbr->xs, pbr->cxs, pOut);
    if (pbr->fFlip & 1)
        _Mirror8Row(pOut, pbr->cxs);
    if (pbr->bTone)
        for (LONG i = 0; i < pbr->cxs; ++i)
            pOut[i] = pbr->abTone[pOut[i]];
    return pOut;
}

// The destination an image lands on: mapped through the N-up scale, with
// the one-pixel guard unless the operation reads the destination.
void _MapImageDest(PDEV* pPDev, ULONG rop3, LONG* px, LONG* py, LONG* pcx, LONG* pcy)
{
    LONG s = pPDev->lNupScale;
    if (s <= 0 || s == 10000)
        return;
    RECTL in = {*px, *py, *px + *pcx, *py + *pcy};
    RECTL out;
    if (bRop3UsesDest(rop3)) {
        out.left = NupMapX(pPDev, in.left);
        out.top = NupMapY(pPDev, in.top);
        out.right = NupMapX(pPDev, in.right);
        out.bottom = NupMapY(pPDev, in.bottom);
    } else {
        NupMapRectGuarded(pPDev, &in, &out);
    }
    *px = out.left;
    *py = out.top;
    *pcx = out.right - out.left;
    *pcy = out.bottom - out.top;
}

// A block transfer of the mask or the source in one pass.
BOOL _Blit(PDEV* pPDev, SURFOBJ* psoSrc, XLATEOBJ* pxlo, LONG xs, LONG ys, LONG cxs, LONG cys,
           const RECTL& rcDst, ULONG rop3, LONG lMode, BRUSHOBJ* pbo, CLIPOBJ* pco)
{
    BLITPARAMS bp = {};
    bp.pPDev = pPDev;
    bp.psoSrc = psoSrc;
    bp.pxlo = pxlo;
    bp.xSrc = xs;
    bp.ySrc = ys;
    bp.cxSrc = cxs;
    bp.cySrc = cys;
    bp.xDst = rcDst.left;
    bp.yDst = rcDst.top;
    bp.cxDst = rcDst.right - rcDst.left;
    bp.cyDst = rcDst.bottom - rcDst.top;
    bp.rop3 = rop3;
    bp.lBrushMode = lMode;
    bp.pbo = pbo;
    bp.pco = pco;
    return BlitImage(&bp);
}

// Source with 0x66, the mask with 0xCC through the mask mode, the source
// with 0x66 again: the source lands where the mask is clear.
BOOL _MaskedStretch(PDEV* pPDev, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                    XLATEOBJ* pxlo, const RECTL& rcDst, const RECTL& rcSrc, POINTL ptMask)
{
    LONG cxs = rcSrc.right - rcSrc.left, cys = rcSrc.bottom - rcSrc.top;
    if (!_Blit(pPDev, psoSrc, pxlo, rcSrc.left, rcSrc.top, cxs, cys, rcDst, 0x66,
               PDL_BRUSHMODE_OPAQUE, nullptr, pco))
        return FALSE;
    if (!_Blit(pPDev, psoMask, nullptr, ptMask.x, ptMask.y, cxs, cys, rcDst, 0xCC,
               PDL_BRUSHMODE_MASK, nullptr, pco))
        return FALSE;
    return _Blit(pPDev, psoSrc, pxlo, rcSrc.left, rcSrc.top, cxs, cys, rcDst, 0x66,
                 PDL_BRUSHMODE_OPAQUE, nullptr, pco);
}

}  // namespace

// ---- raster operations ----------------------------------------------------------

ULONG PatternRopToMix(ULONG rop3)
{
    if (!_bPatternOnly(rop3))
        return 0;
    // Each nibble is 0x0, 0x5, 0xA or 0xF; in code order 0x00, 0x05, 0x0A,
    // 0x0F, 0x50, ... 0xFF the binary codes run 1..16.
    return ((rop3 >> 4) & 3) * 4 + (rop3 & 3) + 1;
}

ULONG WidenPatternRop(ULONG rop3)
{
    if (!_bPatternOnly(rop3))
        return 0;
    // The pattern-1 outcomes stay; the pattern-0 outcomes become the two top
    // bits of the pattern-1 nibble and the two low bits of the pattern-0 one.
    return (rop3 & 0xF0) | ((rop3 >> 4) & 0x0C) | (rop3 & 0x03);
}

int Rop4Class(ROP4 rop4)
{
    ULONG fore = rop4 & 0xFF, back = (rop4 >> 8) & 0xFF;
    if (fore == back)
        return 1;
    if (fore == 0xAA && PatternRopToMix(back) != 0)
        return 2;
    if (back == 0xAA && PatternRopToMix(fore) != 0)
        return 3;
    if ((rop4 & 0xFFFF) == 0xCCAA)
        return 4;
    if ((rop4 & 0xFFFF) == 0xAACC)
        return 5;
    return 0;
}

// ---- palettes ---------------------------------------------------------------------

BYTE ColorDensity(ULONG rgb)
{
    ULONG r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    return (BYTE)(255 - (30 * r + 59 * g + 11 * b) / 100);
}

ULONG DibGetPalette(XLATEOBJ* pxlo, ULONG n, ULONG* pul)
{
    if (pxlo != nullptr && pul != nullptr && n > 0) {
        if ((pxlo->flXlate & XO_TABLE) == 0) {
            ULONG c = XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, 0, nullptr);
            if (c > n)
                c = n;
            if (c > 0)
                return XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, c, pul);
        } else if (pxlo->pulXlate != nullptr && pxlo->cEntries <= n) {
            memcpy(pul, pxlo->pulXlate, pxlo->cEntries * sizeof(ULONG));
            return pxlo->cEntries;
        }
    }
    DbgPrint("        error   0\n");
    return 0;
}

ULONG DibGetPaletteOneBit(XLATEOBJ* pxlo, ULONG n, ULONG* pul)
{
    if (pxlo == nullptr || pul == nullptr || n == 0 || (pxlo->flXlate & XO_TABLE) == 0 ||
        pxlo->cEntries != n)
        return 0;
    if (XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, 0, nullptr) < n)
        return 0;
    return XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, n, pul) == n ? n : 0;
}

const ULONG* GetOneBitDefaultPalette(int bpp)
{
    static const ULONG s_aulMono[2] = {0x000000, 0xFFFFFF};
    static const struct VGA {
        ULONG aul[16];
        VGA() : aul()
        {
#define PDL_ROW(i, r, g, b)                                                        \
    if ((i) >= 0 && (i) < 16) {                                                    \
        aul[i] = (ULONG)(r) | ((ULONG)(g) << 8) | ((ULONG)(b) << 16);              \
    }
#include "pdl_vgapalette.inc"
#undef PDL_ROW
        }
    } s_vga;
    if (bpp == 1)
        return s_aulMono;
    if (bpp == 4)
        return s_vga.aul;
    return GetDefaultPalette();
}

// ---- the image of one operation ----------------------------------------------------

BOOL FillBlitRect(PDEV* pPDev, LONG left, LONG top, LONG right, LONG bottom, MIX mix,
                  BRUSHOBJ* pbo, BRUSHOBJ* pboPen, LINEATTRS* pla, CLIPOBJ* pco)
{
    if (left >= right || top >= bottom)
        return TRUE;
    RECTL rc = {left, top, right, bottom};
    UpdateClip(pPDev, pco, &rc);
    SelectPen(pPDev, pboPen, pla);
    BOOL bBrush = SelectBrush(pPDev, pbo);
    SetRop2(pPDev, mix);
    ULONG r2 = mix & 0xFF;
    BOOL bUnrealizable = pbo != nullptr && !bBrush;
    BOOL bNoBrushNeeded = r2 == R2_BLACK || r2 == R2_NOT || r2 == R2_NOP || r2 == R2_WHITE;
    RECTL r = rc;
    if (pPDev->lNupScale > 0 && pPDev->lNupScale != 10000) {
        if (bRop2UsesDest(r2)) {
            r.left = NupMapX(pPDev, rc.left);
            r.top = NupMapY(pPDev, rc.top);
            r.right = NupMapX(pPDev, rc.right);
            r.bottom = NupMapY(pPDev, rc.bottom);
        } else {
            NupMapRectGuarded(pPDev, &rc, &r);
        }
    }
    LONG cx = r.right - r.left, cy = r.bottom - r.top;
    int n;
    if (pboPen == nullptr && (pbo == nullptr || bUnrealizable || bNoBrushNeeded)) {
        n = cy == 1 ? PdlPrintf(pPDev, "sba %d %d %d;\n", r.left, r.top, cx)
                    : PdlPrintf(pPDev, "sba %d %d %d %d;\n", r.left, r.top, cx, cy);
    } else {
        // The same pixels "sba" would cover: the edges handed in are
        // exclusive, so the extent is the plain difference.
        n = PdlPrintf(pPDev, "rcr %d %d %d %d;\n", r.left, r.top, cx, cy);
    }
    if (n < 0)
        return FALSE;
    if (!bIsWhiteDraw(pPDev, pbo, pboPen, mix))
        MarkPageInked(pPDev);
    return TRUE;
}

BOOL BlitImage(const BLITPARAMS* pbp)
{
    if (pbp == nullptr || !_bValidatePDEV(pbp->pPDev))
        return FALSE;
    PDEV* pPDev = pbp->pPDev;
    ULONG rop3 = pbp->rop3 & 0xFF;
    ULONG mix2 = PatternRopToMix(rop3);
    if (mix2 != 0) {
        if (pbp->cxDst == 0 || pbp->cyDst == 0)
            return TRUE;
        LONG l = pbp->xDst, t = pbp->yDst, r = l + pbp->cxDst, b = t + pbp->cyDst;
        if (r < l) { LONG v = l; l = r; r = v; }
        if (b < t) { LONG v = t; t = b; b = v; }
        return FillBlitRect(pPDev, l, t, r, b, mix2 * 257, pbp->pbo, nullptr, nullptr,
                            pbp->pco);
    }

    SURFOBJ* pso = pbp->psoSrc;
    // A bitmap of no pixels has nothing to give and needs no bits.
    if (_bBitmapSource(pso) && (pso->sizlBitmap.cx <= 0 || pso->sizlBitmap.cy <= 0))
        return TRUE;
    if (!_bBitmapSource(pso) || pso->pvScan0 == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int bpp = _BitsPerPixel(pso->iBitmapFormat);
    if (bpp == 0)
        return FALSE;
    LONG cxSurf = pso->sizlBitmap.cx, cySurf = pso->sizlBitmap.cy;
    // A stride too short for the surface's rows would read past them.
    LONG cbMinRow = (LONG)(((long long)cxSurf * bpp + 7) / 8);
    if (std::abs((long long)pso->lDelta) < cbMinRow ||
        (pso->cjBits != 0 &&
         (unsigned long long)std::abs((long long)pso->lDelta) * (unsigned long long)cySurf >
             pso->cjBits)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    // Mirrored operations arrive as negative extents: normalise both
    // rectangles (each keeps the pixels it covers) and note the flip.
    LONG xs = pbp->xSrc, ys = pbp->ySrc, cxs = pbp->cxSrc, cys = pbp->cySrc;
    LONG xd = pbp->xDst, yd = pbp->yDst, cxd = pbp->cxDst, cyd = pbp->cyDst;
    int fFlip = 0;
    if ((cxs < 0) != (cxd < 0))
        fFlip |= 1;
    if ((cys < 0) != (cyd < 0))
        fFlip |= 2;
    if (cxs < 0) { xs += cxs; cxs = -cxs; }
    if (cys < 0) { ys += cys; cys = -cys; }
    if (cxd < 0) { xd += cxd; cxd = -cxd; }
    if (cyd < 0) { yd += cyd; cyd = -cyd; }
    if (cxs == 0 || cys == 0 || cxd == 0 || cyd == 0)
        return TRUE;

    // The source is cut to the surface; the destination loses the part the
    // cut source would have covered, so that the rest stays in place.
    LONG xs0 = xs < 0 ? 0 : xs, ys0 = ys < 0 ? 0 : ys;
    LONG xs1 = xs + cxs > cxSurf ? cxSurf : xs + cxs;
    LONG ys1 = ys + cys > cySurf ? cySurf : ys + cys;
    if (xs1 <= xs0 || ys1 <= ys0)
        return TRUE;
    if (xs0 != xs || xs1 != xs + cxs) {
        long long u0 = xs0 - xs, u1 = xs1 - xs;
        long long d0 = u0 * cxd / cxs, d1 = u1 * cxd / cxs;
        if (fFlip & 1) {
            long long t = cxd - d1;
            d1 = cxd - d0;
            d0 = t;
        }
        xd += (LONG)d0;
        cxd = (LONG)(d1 - d0);
    }
    if (ys0 != ys || ys1 != ys + cys) {
        long long u0 = ys0 - ys, u1 = ys1 - ys;
        long long d0 = u0 * cyd / cys, d1 = u1 * cyd / cys;
        if (fFlip & 2) {
            long long t = cyd - d1;
            d1 = cyd - d0;
            d0 = t;
        }
        yd += (LONG)d0;
        cyd = (LONG)(d1 - d0);
    }
    xs = xs0;
    ys = ys0;
    cxs = xs1 - xs0;
    cys = ys1 - ys0;
    if (cxd <= 0 || cyd <= 0)
        return TRUE;

    BOOL bOneBit = bIsOneBitMode(pPDev);
    BOOL b1 = bpp == 1;
    LONG cbRow = b1 ? (cxs + 7) / 8 : cxs;
    unsigned long long cbAll = (unsigned long long)cbRow * (unsigned long long)cys;
    if (cbAll > 0x7FFFFFFFull)
        return FALSE;

    // The rows are made one at a time as the writer asks for them; an 8-bit
    // source read left to right is read where it lies, its densities (and
    // the tone curve) in one table.
    BLITROWS br = {};
    br.pbScan0 = static_cast<const BYTE*>(pso->pvScan0);
    br.lDelta = pso->lDelta;
    br.xs = xs;
    br.ys = ys;
    br.cxs = cxs;
    br.cys = cys;
    br.fFlip = fFlip;
    br.cbMinRow = cbMinRow;
    br.conv.bpp = bpp;
    br.conv.bOneBit = bOneBit;
    br.conv.pxlo = pbp->pxlo;
    br.conv.memo = {pbp->pxlo, 0, 0, FALSE};
    if (bpp == 4 || bpp == 8)
        _PrepareLut(pPDev, &br.conv);
    if (!b1 && pPDev->bGrayConv) {
        for (int d = 0; d < 256; ++d)
            br.abTone[d] = (BYTE)(255 - PdlMapGray(pPDev, (BYTE)(255 - d)));
        if (bpp == 4 || bpp == 8) {
            for (int i = 0; i < 256; ++i)
                br.conv.abLut[i] = br.abTone[br.conv.abLut[i]];
        } else {
            br.bTone = TRUE;
        }
    }
    br.bInPlace = bpp == 8 && !(fFlip & 1);
    if (!br.bInPlace) {
        br.pbRow = new (std::nothrow) BYTE[(size_t)cbRow];
        if (br.pbRow == nullptr)
            return FALSE;
    }
    IMAGEROWS ir = {_BlitRow, &br, br.bInPlace ? br.conv.abLut : nullptr, FALSE};

    RECTL rcDst = {xd, yd, xd + cxd, yd + cyd};
    UpdateClip(pPDev, pbp->pco, &rcDst);
    SelectBrush(pPDev, pbp->pbo);
    SetRop3(pPDev, rop3);
    SetBrushMode(pPDev, pbp->lBrushMode);
    _MapImageDest(pPDev, rop3, &xd, &yd, &cxd, &cyd);

    BOOL bOk;
    if (b1) {
        ULONG aul[2] = {0x000000, 0xFFFFFF};
        ULONG c = bOneBit ? DibGetPaletteOneBit(pbp->pxlo, 2, aul)
                          : DibGetPalette(pbp->pxlo, 2, aul);
        if (c < 2) {
            aul[0] = 0x000000;
            aul[1] = 0xFFFFFF;
        }
        SetImageColors(pPDev, aul[0], aul[1]);
        bOk = WriteImage1Rows(pPDev, &ir, cxs, cys, xd, yd, cxd, cyd, TRUE);
    } else {
        bOk = WriteImage8Rows(pPDev, &ir, cxs, cys, xd, yd, cxd, cyd, TRUE);
    }
    delete[] br.pbRow;
    return bOk;
}

// ---- the bodies ---------------------------------------------------------------------

BOOL CopyBitsBody(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                  RECTL* prclDest, POINTL* pptlSrc)
{
    if (!_bBitmapSource(psoSrc))
        return psoDest != nullptr ? EngEraseSurface(psoDest, prclDest, 0xFFFFFFFF) : FALSE;
    PDEV* pPDev = nullptr;
    if (!_bDeviceDest(psoDest, prclDest, &pPDev))
        return FALSE;
    POINTL pt = pptlSrc != nullptr ? *pptlSrc : POINTL{0, 0};
    RECTL rc = *prclDest;
    LONG cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    // A bitmap of no pixels has nothing to copy, whatever its format.
    if (psoSrc->sizlBitmap.cx <= 0 || psoSrc->sizlBitmap.cy <= 0)
        return TRUE;
    if (_BitsPerPixel(psoSrc->iBitmapFormat) == 0) {
        RECTL rcSrc = {pt.x, pt.y, pt.x + cx, pt.y + cy};
        return EngStretchBlt(psoDest, psoSrc, nullptr, pco, pxlo, nullptr, nullptr, prclDest,
                             &rcSrc, nullptr, COLORONCOLOR);
    }
    return _Blit(pPDev, psoSrc, pxlo, pt.x, pt.y, cx, cy, rc, 0xCC, PDL_BRUSHMODE_OPAQUE,
                 nullptr, pco);
}

BOOL StretchBltBody(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                    XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                    RECTL* prclSrc, POINTL* pptlMask, ULONG iMode)
{
    (void)pca;
    (void)pptlHTOrg;
    (void)iMode;
    if (!_bBitmapSource(psoSrc))
        return psoDest != nullptr ? EngEraseSurface(psoDest, prclDest, 0xFFFFFFFF) : FALSE;
    PDEV* pPDev = nullptr;
    if (!_bDeviceDest(psoDest, prclDest, &pPDev))
        return FALSE;
    RECTL rcSrc = prclSrc != nullptr ? *prclSrc
                                     : RECTL{0, 0, psoSrc->sizlBitmap.cx, psoSrc->sizlBitmap.cy};
    RECTL rcDst = *prclDest;
    if (psoMask == nullptr)
        return _Blit(pPDev, psoSrc, pxlo, rcSrc.left, rcSrc.top, rcSrc.right - rcSrc.left,
                     rcSrc.bottom - rcSrc.top, rcDst, 0xCC, PDL_BRUSHMODE_OPAQUE, nullptr, pco);
    POINTL ptMask = pptlMask != nullptr ? *pptlMask : POINTL{0, 0};
    return _MaskedStretch(pPDev, psoSrc, psoMask, pco, pxlo, rcDst, rcSrc, ptMask);
}

BOOL BitBltBody(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc, POINTL* pptlMask,
                BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4)
{
    PDEV* pPDev = nullptr;
    if (!_bDeviceDest(psoDest, prclDest, &pPDev))
        return FALSE;
    SetDrawingKind(pPDev, 2);
    // While a form is created only its first page is drawn.
    if (DmByte(pPDev, 778) == 1 && DmByte(pPDev, 879) == 2 && pPDev->cPages > 1)
        return TRUE;
    POINTL ptSrc = pptlSrc != nullptr ? *pptlSrc : POINTL{0, 0};
    RECTL rc = *prclDest;
    LONG cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    ULONG rop3 = (rop4 >> 8) & 0xFF;

    if (psoMask != nullptr) {
        POINTL ptMask = pptlMask != nullptr ? *pptlMask : POINTL{0, 0};
        switch (Rop4Class(rop4)) {
        case 1:
            return _Blit(pPDev, psoSrc, pxlo, ptSrc.x, ptSrc.y, cx, cy, rc, rop3,
                         PDL_BRUSHMODE_OPAQUE, pbo, pco);
        case 2:
            return _Blit(pPDev, psoMask, nullptr, ptMask.x, ptMask.y, cx, cy, rc,
                         WidenPatternRop(rop3), PDL_BRUSHMODE_MASK, pbo, pco);
        case 4: {
            if (!_bBitmapSource(psoSrc)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            RECTL rcSrc = {ptSrc.x, ptSrc.y, ptSrc.x + cx, ptSrc.y + cy};
            return _MaskedStretch(pPDev, psoSrc, psoMask, pco, pxlo, rc, rcSrc, ptMask);
        }
        default:
            return EngBitBlt(psoDest, psoSrc, psoMask, pco, pxlo, prclDest, pptlSrc, pptlMask,
                             pbo, pptlBrush, rop4);
        }
    }

    if (psoSrc == nullptr && (rop4 & 0xFFFF) == 0xAAF0 && pbo != nullptr &&
        pbo->iSolidColor == 0xFFFFFFFF) {
        REALBRUSH* prb = static_cast<REALBRUSH*>(BRUSHOBJ_pvGetRbrush(pbo));
        if (prb != nullptr && prb->iStyle < RB_STYLE_PATTERN && prb->cColors >= 2 &&
            prb->offColors >= RB_HEAD_SIZE) {
            // A hatch over a transparent background: the lines are cut into
            // the page (white between them), then inked (black on them).
            ULONG* pulColors =
                reinterpret_cast<ULONG*>(reinterpret_cast<BYTE*>(prb) + prb->offColors);
            ULONG ulFirst = pulColors[0], ulSecond = pulColors[1];
            pulColors[1] = 0x000000;
            pulColors[0] = 0xFFFFFF;
            BOOL bOk = _Blit(pPDev, nullptr, nullptr, 0, 0, cx, cy, rc, 0xA0,
                             PDL_BRUSHMODE_OPAQUE, pbo, pco);
            pulColors[1] = ulSecond;
            if (bOk) {
                pulColors[0] = 0x000000;
                bOk = _Blit(pPDev, nullptr, nullptr, 0, 0, cx, cy, rc, 0xFA,
                            PDL_BRUSHMODE_OPAQUE, pbo, pco);
            }
            pulColors[0] = ulFirst;
            return bOk;
        }
    }
    return _Blit(pPDev, psoSrc, pxlo, ptSrc.x, ptSrc.y, cx, cy, rc, rop3, PDL_BRUSHMODE_OPAQUE,
                 pbo, pco);
}

BOOL DrawBlitBody(int nHook, SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                  XLATEOBJ* pxlo, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlSrc,
                  POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4)
{
    switch (nHook) {
    case PDL_HOOK_BITBLT:
        return BitBltBody(psoDest, psoSrc, psoMask, pco, pxlo, prclDest, pptlSrc, pptlMask, pbo,
                          pptlBrush, rop4);
    case PDL_HOOK_STRETCHBLT:
        return StretchBltBody(psoDest, psoSrc, psoMask, pco, pxlo, nullptr, nullptr, prclDest,
                              prclSrc, pptlMask, COLORONCOLOR);
    case PDL_HOOK_COPYBITS:
        return CopyBitsBody(psoDest, psoSrc, pco, pxlo, prclDest, pptlSrc);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}
