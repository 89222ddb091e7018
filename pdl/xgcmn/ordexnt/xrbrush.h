// xrbrush.h: the drawing attribute cache, brushes and pens, clipping and
// raster operations, and paths of the ORDEX generator.
//
// Owns: PDLATTR (the attribute cache inside PDLWORK, 27308..28107), the
// realized brush record REALBRUSH, the brush and pen selectors (xrbrush.cpp),
// the clip and raster-operation writers (xrclip.cpp) and the path writer
// with the path drawing bodies (xrpath.cpp).
//
// Rules the cache keeps:
//  1. A state command ("brs", "lns", "brc", "bru", "cps", "cpc", "rop",
//     "brm", "bri", "fos", "fop", "foi", "fob", "for") is written only when
//     its value differs from the cached one.
//  2. PdlResetState invalidates every word (StartDoc, every page set-up,
//     before drawing on a special page): an invalidated word differs from
//     every value that can be written. It also frees the owned copies (the
//     cached pattern brushes, the saved clip rectangle list and clip path),
//     so that a long job's memory stays flat.
//  3. Owned copies come from the PDEV's block chain and are freed there;
//     no pointer lives in 27484..27995, which the page-state escape zeroes.
//  4. The clip-to-path save is the escape's word at 27304 (lClipSaveMode);
//     the cache keeps no second copy of it.
#pragma once

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "platform/gdi/engobj.h"

#pragma pack(push, 1)

// REALBRUSH: the realized brush GDI keeps for a BRUSHOBJ (32-byte head).
//
//  off size field
//    0    4 cx         pattern width in pixels
//    4    4 cy         pattern height in pixels
//    8    4 iFormat    1 = 1 bit per pixel, 5 = 24 bits (blue, green, red),
//                      else the pattern surface's own format, pixels as given
//   12    4 fl         RBF_TOPDOWN: rows stored top row first
//   16    4 cColors    32-bit colours in the colour table
//   20    4 offColors  offset of the colour table from the record start
//   24    4 iStyle     hatch style 0..5, 6 and above a pattern, 7 a dither
//   28    4 ulPad      zero
//   32      ab         rows (each padded to 4 bytes), then the colours
//                      (1 bit: colour of 0 bits first, of 1 bits second)
struct REALBRUSH {
    LONG cx;
    LONG cy;
    ULONG iFormat;
    ULONG fl;
    ULONG cColors;
    ULONG offColors;
    ULONG iStyle;
    ULONG ulPad;
};
#define RBF_TOPDOWN 0x1
#define RB_HEAD_SIZE 32
#define RB_STYLE_PATTERN 6
#define RB_STYLE_DITHER 7
static_assert(sizeof(REALBRUSH) == RB_HEAD_SIZE);
static_assert(offsetof(REALBRUSH, iFormat) == 8);
static_assert(offsetof(REALBRUSH, offColors) == 20);
static_assert(offsetof(REALBRUSH, iStyle) == 24);

#define PDL_BRUSH_CACHE_SLOTS 10
#define PDL_HATCH_STYLES 6

// PDLATTR: the drawing attribute cache, PDLWORK 27308..28107 (800 bytes).
// Offsets are from the cache start (PDLWORK offset in brackets).
//
//  off [work]  size field
//    0 [27308]   4 nBrush        last "brs" (-2 invalid)
//    4 [27312]   4 nLine         last "lns" (-2 invalid)
//    8 [27316]   4 nClipKind     last "cps" (-2 invalid)
//   12 [27320]   4 lPenGray      grey in colour register 10 (-1 invalid)
//   16 [27324]   4 lBrushGray    grey in colour register 2 (-1 invalid)
//   20 [27328]   4 cCached       cached pattern brushes 0..10
//   24 [27332]  40 aAge[10]      age of each slot (0 oldest), -1 empty
//   64 [27372]  40 aslCached[10] slots of the owned copy of each cached
//                                brush (PREF_CACHEDBRUSH0 + i), 0 none
//  104 [27412]  72 aHatch[6][3]  grey a, grey b, style last defined (-1)
//  176 [27484] 512 abEscZeroed   zeroed by the page-state escape; unused
//  688 [27996]   4 lRop2         last "rop 2" mix (-1 invalid)
//  692 [28000]   4 lRop3         last "rop 3" (-1 invalid)
//  696 [28004]   4 lBrushMode    last mode given to SetBrushMode (-1)
//  700 [28008]   8 aImageGray[2] greys of the last "bri" (-1, -1)
//  708 [28016]   4 lFontSlot     last "fos" (-1)
//  712 [28020]   8 aFontSize[2]  last "fop" pair (0, 0)
//  720 [28028]  12 aFontFlags[3] last "foi", "fob", "for" (-1 each)
//  732 [28040]   4 slSavedRects  slot: saved clip rectangle list (owned,
//                                PREF_SAVEDRECTS)
//  736 [28044]   4 ulSavedRectKey  unique number of that list, 0 none
//  740 [28048]   4 lCarried      PDLWORK's word carried across ResetPDEV
//  744 [28052]  16 aPageClip[4]  last kind-0 "cpc" edges (not reset)
//  760 [28068]   4 cSavedPathRecs  records of the saved clip path
//  764 [28072]   4 slSavedPathRecs slot: its records (flags, count)
//                                (PREF_SAVEDPATHRECS)
//  768 [28076]   4 bFontSubstDone  PDLWORK's font-substitution flag
//  772 [28080]  16 aRectClip[4]  last kind-1 "cpc" edges (not reset)
//  788 [28096]   4 cSavedPathPts   points of the saved clip path
//  792 [28100]   4 slSavedPathPts slot: its points (28.4 pairs)
//                                (PREF_SAVEDPATHPTS)
//  796 [28104]   4 bClipPathInUse  the saved clip path is applied (strokes
//                                  draw again instead of defining it)
struct PDLATTR {
    LONG nBrush;
    LONG nLine;
    LONG nClipKind;
    LONG lPenGray;
    LONG lBrushGray;
    LONG cCached;
    LONG aAge[PDL_BRUSH_CACHE_SLOTS];
    DWORD aslCached[PDL_BRUSH_CACHE_SLOTS];
    LONG aHatch[PDL_HATCH_STYLES][3];
    BYTE abEscZeroed[512];
    LONG lRop2;
    LONG lRop3;
    LONG lBrushMode;
    LONG aImageGray[2];
    LONG lFontSlot;
    LONG aFontSize[2];
    LONG aFontFlags[3];
    DWORD slSavedRects;
    ULONG ulSavedRectKey;
    LONG lCarried;
    LONG aPageClip[4];
    LONG cSavedPathRecs;
    DWORD slSavedPathRecs;
    LONG bFontSubstDone;
    LONG aRectClip[4];
    LONG cSavedPathPts;
    DWORD slSavedPathPts;
    LONG bClipPathInUse;
};
#pragma pack(pop)

static_assert(sizeof(PDLATTR) == 800);
static_assert(offsetof(PDLATTR, aAge) == 24);
static_assert(offsetof(PDLATTR, aslCached) == 64);
static_assert(offsetof(PDLATTR, aHatch) == 104);
static_assert(offsetof(PDLATTR, abEscZeroed) == 27484 - 27308);
static_assert(offsetof(PDLATTR, lRop2) == 27996 - 27308);
static_assert(offsetof(PDLATTR, aFontFlags) == 28028 - 27308);
static_assert(offsetof(PDLATTR, lCarried) == 28048 - 27308);
static_assert(offsetof(PDLATTR, aPageClip) == 28052 - 27308);
static_assert(offsetof(PDLATTR, bFontSubstDone) == 28076 - 27308);
static_assert(offsetof(PDLATTR, aRectClip) == 28080 - 27308);
static_assert(offsetof(PDLATTR, slSavedPathPts) == 28100 - 27308);

inline PDLATTR* PdlAttr(PDEV* pPDev)
{
    return reinterpret_cast<PDLATTR*>(PdlWork(pPDev)->abAttrCache);
}

// The attribute cache's owned blocks (slots of the PDEV's side record).
PDEV_REF_AT(PdlSavedRects, LONG*, PREF_SAVEDRECTS, PdlAttr(pPDev)->slSavedRects)
PDEV_REF_AT(PdlSavedPathRecs, ULONG*, PREF_SAVEDPATHRECS, PdlAttr(pPDev)->slSavedPathRecs)
PDEV_REF_AT(PdlSavedPathPts, LONG*, PREF_SAVEDPATHPTS, PdlAttr(pPDev)->slSavedPathPts)
// Cached brush s (0..9).
inline REALBRUSH* PdlCachedBrush(PDEV* pPDev, int s)
{
    return PdevRef<REALBRUSH*>(pPDev, PdlAttr(pPDev)->aslCached[s], PREF_CACHEDBRUSH0 + s);
}
inline void SetPdlCachedBrush(PDEV* pPDev, int s, REALBRUSH* p)
{
    PdlAttr(pPDev)->aslCached[s] = SetPdevRef(pPDev, PREF_CACHEDBRUSH0 + s, p);
}

// Brush numbers of "brs".
#define PDL_BRUSH_NONE (-1)
#define PDL_BRUSH_BLACK 0
#define PDL_BRUSH_WHITE 1
#define PDL_BRUSH_SOLID 2
#define PDL_BRUSH_HATCH0 3
#define PDL_BRUSH_UNCACHED 9
#define PDL_BRUSH_PEN 10
#define PDL_BRUSH_CACHE0 11

// Clip kinds of "cps".
#define PDL_CLIP_NONE 0
#define PDL_CLIP_RECT 1
#define PDL_CLIP_PATH 3
#define PDL_CLIP_LIST 4

// ---- brushes and pens (xrbrush.cpp) ----------------------------------------

// TRUE in the one-bit mode (DEVMODE bytes 2163 = 1 and 778 = 2).
BOOL bIsOneBitMode(PDEV* pPDev);
// The RGB colour a selector uses for a solid brush: its solid colour, or in
// the one-bit mode BRUSHOBJ_ulGetBrushColor without the top 8 bits.
ULONG GetBrushRGB(PDEV* pPDev, BRUSHOBJ* pbo);

BOOL SelectBrush(PDEV* pPDev, BRUSHOBJ* pbo);
BOOL SelectSolidColor(PDEV* pPDev, ULONG rgb);
BOOL SelectPen(PDEV* pPDev, BRUSHOBJ* pbo, LINEATTRS* pla);
BOOL SelectBrushPen(PDEV* pPDev, BRUSHOBJ* pbo, LINEATTRS* pla);
// SelectBrushPen with the brush already selected (the watermark's dither).
BOOL SelectCurrentBrushPen(PDEV* pPDev, BRUSHOBJ* pbo, LINEATTRS* pla);
BOOL SelectLine(PDEV* pPDev, LONG n);
BOOL SelectBrushNumber(PDEV* pPDev, LONG n);
BOOL SetPenColor(PDEV* pPDev, BRUSHOBJ* pbo);
LONG SetSolidBrushColor(PDEV* pPDev, ULONG rgb);
LONG DefineHatchBrush(PDEV* pPDev, ULONG iStyle, ULONG rgbFirst, ULONG rgbSecond);
LONG DefinePatternBrush(PDEV* pPDev, const REALBRUSH* prb);
LONG WritePatternBrush(PDEV* pPDev, LONG nBrush, const REALBRUSH* prb);
LONG UpdatePatternBrushExt(PDEV* pPDev, const REALBRUSH* prb, int nFactor);
BOOL SetBrushMode(PDEV* pPDev, LONG lMode);
BOOL SetImageColors(PDEV* pPDev, ULONG rgbFirst, ULONG rgbSecond);
BOOL SelectGrayDither(PDEV* pPDev, ULONG rgb);
BOOL SelectDitherPattern(PDEV* pPDev, const BYTE abRows[8]);
void InitBrushCache(PDEV* pPDev);
void FreeBrushCache(PDEV* pPDev);
LONG FloatToFix(float f);
void BuildScaleTable(BYTE* pbTable, int n, int m);
void ScaleRow1Bpp(int nMode, const BYTE* pbSrc, BYTE* pbDst, int n, const BYTE* pbTable);

// The stored patterns: hatch style 0..5 (32 x 32, 4 bytes a row, top row
// first); the 8 x 8 clustered dither of level 0..32; the 4 x 4 ordered
// dither rows of level 0..16; the default 256-colour palette (0x00BBGGRR).
const BYTE* GetHatchPattern(ULONG iStyle);
const BYTE* GetDitherPattern(int nLevel);
const BYTE* GetOrderedDither(int nLevel);
const ULONG* GetDefaultPalette();

// ---- clipping and raster operations (xrclip.cpp) --------------------------

// The clip value the text output passes while a segment is recorded.
#define PDL_CLIP_RECORDING reinterpret_cast<CLIPOBJ*>(-1)

BOOL UpdateClip(PDEV* pPDev, CLIPOBJ* pco, const RECTL* prclArea);
BOOL SetClipKind(PDEV* pPDev, LONG nKind);
BOOL SetRop2(PDEV* pPDev, MIX mix);
BOOL SetRop3(PDEV* pPDev, ULONG rop3);
ULONG GetRop2(PDEV* pPDev);
BOOL bRop2UsesDest(ULONG code);
BOOL bRop3UsesDest(ULONG code);
BOOL bIsIexplore(PDEV* pPDev);
// Device pixels to page units through the N-up scale and cell offsets.
LONG NupMapX(PDEV* pPDev, LONG x);
LONG NupMapY(PDEV* pPDev, LONG y);
// A rectangle mapped with the one-pixel guard: an edge that maps onto its
// opposite edge is pushed one pixel out.
void NupMapRectGuarded(PDEV* pPDev, const RECTL* prclIn, RECTL* prclOut);

// ---- paths (xrpath.cpp) -------------------------------------------------------

#define PDL_PATH_DRAW 1
#define PDL_PATH_CLIP 3

BOOL UpdatePath(PDEV* pPDev, PATHOBJ* ppo, LONG nKind, BOOL* pbSegments, BOOL bSmallRule);
BOOL FillPathBody(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                  POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
BOOL StrokePathBody(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                    POINTL* pptlBrushOrg, LINEATTRS* pla, MIX mix);
BOOL StrokeAndFillPathBody(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                           BRUSHOBJ* pboStroke, LINEATTRS* pla, BRUSHOBJ* pboFill,
                           POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
// Forgets the saved clip path and frees its blocks.
void FreeSavedClipPath(PDEV* pPDev);
// Forgets the saved clip rectangle list and frees its copy.
void FreeSavedClipRects(PDEV* pPDev);
