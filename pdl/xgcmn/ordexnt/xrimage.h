// xrimage.h: image output of the ORDEX back end: the bodies of the bit
// copies, block transfers and stretched images on the device surface, the
// source conversion to 1-bit or 8-bit images, and the image writers.
//
// Owns: the ROP4 classes and the pattern-only operation codes, BLITPARAMS,
// BlitImage, FillBlitRect, DibGetPalette, WriteImage8 and the driver
// halftoning with its threshold matrices (tables/threshold8.tsv,
// tables/threshold16.tsv), the one-bit-mode palettes (tables/vgapalette.tsv
// and the default palette of the brush file). WriteImage1 and its coder are
// declared in xrtext.h (the glyph images share them).
//
// Rules the image output keeps:
//  1. A pattern-only operation never produces image data: it is a rectangle.
//  2. 1-bit sources stay 1-bit (1 bits in the first "bri" colour = the
//     colour of source index 0); every other depth becomes one ink density
//     byte per pixel (0 white, 255 black).
//  3. Image rows go top row first; each row is coded by itself and coding is
//     used only when the whole image gets smaller by it.
//  4. Every buffer an image needs exists before its first byte is written;
//     a refused allocation writes nothing for that image.
#pragma once

#include "pdl/xgcmn/ordexnt/xrtext.h"

// ---- raster operations -------------------------------------------------------

// Class of a ROP4 (fore = low byte, back = high byte): 1 fore = back;
// 2 fore 0xAA with a pattern-only back; 3 back 0xAA with a pattern-only
// fore; 4 0xCCAA; 5 0xAACC; 0 anything else.
int Rop4Class(ROP4 rop4);
// The binary operation (mix code 1..16) a pattern-only ternary operation
// stands for, or 0 when the operation reads the source.
ULONG PatternRopToMix(ULONG rop3);
// A pattern-only operation widened to one on source, pattern and
// destination, for drawing it through a mask (0 when not pattern-only).
ULONG WidenPatternRop(ULONG rop3);

// ---- blits ---------------------------------------------------------------------

// Brush modes handed to SetBrushMode.
#define PDL_BRUSHMODE_MASK 1
#define PDL_BRUSHMODE_OPAQUE 2

// One image operation. Extents may be negative (a mirrored stretch).
struct BLITPARAMS {
    PDEV* pPDev;
    SURFOBJ* psoSrc;
    XLATEOBJ* pxlo;
    LONG xSrc, ySrc, cxSrc, cySrc;
    LONG xDst, yDst, cxDst, cyDst;
    ULONG rop3;
    LONG lBrushMode;
    BRUSHOBJ* pbo;
    CLIPOBJ* pco;
};

BOOL BlitImage(const BLITPARAMS* pbp);
// A rectangle for a pattern-only operation: right and bottom exclusive;
// mix = binary code x 257; pboPen/pla null for no outline.
BOOL FillBlitRect(PDEV* pPDev, LONG left, LONG top, LONG right, LONG bottom, MIX mix,
                  BRUSHOBJ* pbo, BRUSHOBJ* pboPen, LINEATTRS* pla, CLIPOBJ* pco);

BOOL CopyBitsBody(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                  RECTL* prclDest, POINTL* pptlSrc);
BOOL BitBltBody(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc, POINTL* pptlMask,
                BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
BOOL StretchBltBody(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                    XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                    RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);

// ---- palettes ------------------------------------------------------------------

// Up to n palette entries (0x00BBGGRR) into pul: a translation without a
// table gives its source palette, one with a table of at most n entries
// that table; anything else 0 entries.
ULONG DibGetPalette(XLATEOBJ* pxlo, ULONG n, ULONG* pul);
// The one-bit mode's variant: exactly n entries of the source palette, only
// from a translation with a table of n entries; else 0.
ULONG DibGetPaletteOneBit(XLATEOBJ* pxlo, ULONG n, ULONG* pul);
// The palette a source of bpp bits (1, 4 or 8) is read through in the
// one-bit mode when its own cannot be read: black and white, the 16
// standard colours, the 256-colour default palette.
const ULONG* GetOneBitDefaultPalette(int bpp);
// Ink density of an 0x00BBGGRR colour: 255 - (30 R + 59 G + 11 B) / 100.
BYTE ColorDensity(ULONG rgb);

// ---- 8-bit images and halftoning ------------------------------------------------

// Writes an 8-bit image (one density byte per pixel, rows of cx bytes taken
// every lStride, top row first) as WriteImage1 does, after trying the
// driver halftoning; through the N-up mapping with the one-pixel guard
// unless bUnscaled.
BOOL WriteImage8(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                 LONG y, LONG cxDest, LONG cyDest);
BOOL WriteImage8Ex(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                   LONG y, LONG cxDest, LONG cyDest, BOOL bUnscaled);
// ---- images made row by row ------------------------------------------------------
// The rows of an image handed to a writer one at a time, top row first:
// pfnRow gives row iRow (1-bit rows of (cx + 7) / 8 bytes, 8-bit rows of cx
// bytes), valid until its next call; pvSource is the maker's own state.
// pbLut, for 8-bit rows only, is the density of each byte value (null: the
// bytes are densities). bCostly asks the writer to keep rows it has made
// rather than ask for them again.
struct IMAGEROWS {
    const BYTE* (*pfnRow)(const IMAGEROWS* pir, LONG iRow);
    void* pvSource;
    const BYTE* pbLut;
    BOOL bCostly;
};
// WriteImage1Ex and WriteImage8Ex on rows made on demand: no copy of the
// whole image is needed.
BOOL WriteImage1Rows(PDEV* pPDev, const IMAGEROWS* pir, LONG cx, LONG cy, LONG x, LONG y,
                     LONG cxDest, LONG cyDest, BOOL bUnscaled);
BOOL WriteImage8Rows(PDEV* pPDev, const IMAGEROWS* pir, LONG cx, LONG cy, LONG x, LONG y,
                     LONG cxDest, LONG cyDest, BOOL bUnscaled);
// The threshold matrix of lpDither 3 (n = 8) or 4 (n = 16), rows of n
// entries; null for any other n.
const BYTE* GetThresholdMatrix(int n);

// The output ink test of an 8-bit image: TRUE when cb density bytes put no
// ink on the page (blank-page skipping).
BOOL bIsWhiteImage8(PDEV* pPDev, const BYTE* pb, DWORD cb);
