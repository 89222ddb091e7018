// engobj.h: the engine objects that drawing hooks receive, and their services.
//
// Owns: the records and constants of clip, path, brush, colour-translation
// and transform objects beyond their winddi.h heads (ENUMRECTS, PATHDATA,
// POINTFIX, RECTFX, XFORML, GRADIENT_TRIANGLE), the object services a
// driver calls (CLIPOBJ_*, PATHOBJ_*, BRUSHOBJ_*, XLATEOBJ_*, XFORMOBJ_*,
// EngCreateClip/EngDeleteClip, EngCreatePath/EngDeletePath), the engine
// drawing calls that winddi.h does not declare (EngLineTo, EngPaint), and
// the host side that builds these objects for a drawing call (Plat*: GDI's
// application side and tests act as the host).
//
// Rules the objects keep:
//  1. Every object the engine gives out is the public head of a larger
//     record; a head the engine did not make (a driver's own BRUSHOBJ on the
//     stack) is still accepted where only the head is read.
//  2. Colours: a 1-bit surface holds palette indices (0 black, 1 white); a
//     24-bit surface holds bytes blue, green, red, and its colour index (a
//     solid brush, a translated colour) is 0x00BBGGRR, red in the low byte,
//     as the printers' RGB palettes define it. Palettes handed out by
//     XLATEOBJ_cGetPalette use the same 0x00BBGGRR form.
//  3. A clip region is a list of non-overlapping rectangles, stored top to
//     bottom and left to right; right and bottom edges are exclusive.
//  4. Path points are 28.4 fixed values; the first record of each subpath
//     carries the subpath's start point before its line or curve points.
#pragma once

#include "platform/gdi/winddi.h"
#include "platform/gdi/wingdi.h"

// Clip complexity (iDComplexity, iFComplexity) and mode (iMode).
#define DC_TRIVIAL 0
#define DC_RECT 1
#define DC_COMPLEX 3
#define FC_RECT 1
#define FC_RECT4 2
#define FC_COMPLEX 3
#define TC_RECTANGLES 0
#define TC_PATHOBJ 2

// Clip enumeration: what and in which order.
#define CT_RECTANGLES 0
#define CD_RIGHTDOWN 0
#define CD_LEFTDOWN 1
#define CD_RIGHTUP 2
#define CD_LEFTUP 3
#define CD_ANY 4
#define CLIPOBJ_ENUM_LIMIT 20

// Path records and paths.
#define PD_BEGINSUBPATH 0x00000001
#define PD_ENDSUBPATH 0x00000002
#define PD_RESETSTYLE 0x00000004
#define PD_CLOSEFIGURE 0x00000008
#define PD_BEZIERS 0x00000010
#define PO_BEZIERS 0x00000001
#define PO_ELLIPSE 0x00000002
#define PO_ALL_INTEGERS 0x00000004

// Fill rules of the path fills.
#define FP_ALTERNATEMODE 1
#define FP_WINDINGMODE 2

// Line attributes.
#define LA_GEOMETRIC 0x00000001
#define LA_ALTERNATE 0x00000002
#define LA_STARTGAP 0x00000004
#define LA_STYLED 0x00000008
#define JOIN_ROUND 0
#define JOIN_BEVEL 1
#define JOIN_MITER 2
#define ENDCAP_ROUND 0
#define ENDCAP_SQUARE 1
#define ENDCAP_BUTT 2

// Colour translation.
#define XO_TRIVIAL 0x00000001
#define XO_TABLE 0x00000002
#define XO_TO_MONO 0x00000004
#define XO_SRCPALETTE 1
#define XO_DESTPALETTE 2

// Transforms.
#define GX_IDENTITY 0
#define GX_OFFSET 1
#define GX_SCALE 2
#define GX_GENERAL 3
#define XF_LTOL 0
#define XF_INV_LTOL 1
#define XF_LTOFX 2
#define XF_INV_FXTOL 3

// Gradient fills.
#define GRADIENT_FILL_RECT_H 0x00000000
#define GRADIENT_FILL_RECT_V 0x00000001
#define GRADIENT_FILL_TRIANGLE 0x00000002

// The mix of a path call: foreground binary raster operation in the low
// byte, background in the next; the R2_* codes 1..16 of wingdi's SetROP2.

typedef float FLOATL;

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// POINTFIX: 8 bytes, a point in 28.4 fixed values.
struct POINTFIX {
    FIX x;
    FIX y;
};
typedef POINTFIX* PPOINTFIX;

// RECTFX: 16 bytes, a rectangle in 28.4 fixed values.
struct RECTFX {
    FIX xLeft;
    FIX yTop;
    FIX xRight;
    FIX yBottom;
};

// ENUMRECTS: a count then that many rectangles; the caller sizes the
// buffer, CLIPOBJ_bEnum fills as many as fit.
//   off size field
//     0    4 c
//     4 16*c arcl
struct ENUMRECTS {
    ULONG c;
    RECTL arcl[1];
};

// PATHDATA: 12 bytes, one record of a path enumeration.
//   off size field
//     0    4 flags   PD_*
//     4    4 count   points in pptfx
//     8    4 pptfx   the record's points (valid until the next call)
struct PATHDATA {
    FLONG flags;
    ULONG count;
    POINTFIX* pptfx;
};

// XFORML: 24 bytes, x' = eM11 x + eM21 y + eDx, y' = eM12 x + eM22 y + eDy.
struct XFORML {
    FLOATL eM11;
    FLOATL eM12;
    FLOATL eM21;
    FLOATL eM22;
    FLOATL eDx;
    FLOATL eDy;
};

struct GRADIENT_TRIANGLE {
    ULONG Vertex1;
    ULONG Vertex2;
    ULONG Vertex3;
};

Q730_API_PACK_END

static_assert(sizeof(POINTFIX) == 8);
static_assert(sizeof(RECTFX) == 16);
static_assert(sizeof(ENUMRECTS) == 20);
static_assert(offsetof(ENUMRECTS, arcl) == 4);
static_assert(sizeof(void*) != 4 || sizeof(PATHDATA) == 12);
static_assert(offsetof(PATHDATA, pptfx) == 8);
static_assert(sizeof(XFORML) == 24);

// --- services a driver calls ------------------------------------------------------

// Clip objects. cEnumStart answers the rectangle count, or 0xFFFFFFFF when
// cLimit is not zero and the count exceeds it; bEnum fills the ENUMRECTS
// (cj bytes at pul) with the next rectangles and answers TRUE while more
// remain. ppoGetPath gives a new path of the clip (free with EngDeletePath).
ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit);
BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul);
PATHOBJ* CLIPOBJ_ppoGetPath(CLIPOBJ* pco);
CLIPOBJ* EngCreateClip();
void EngDeleteClip(CLIPOBJ* pco);

// Paths. bEnum gives one record per call and answers TRUE while more follow.
void PATHOBJ_vEnumStart(PATHOBJ* ppo);
BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd);
void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx);
PATHOBJ* EngCreatePath();
void EngDeletePath(PATHOBJ* ppo);
BOOL PATHOBJ_bMoveTo(PATHOBJ* ppo, POINTFIX ptfx);
BOOL PATHOBJ_bPolyLineTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx);
BOOL PATHOBJ_bPolyBezierTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx);
BOOL PATHOBJ_bCloseFigure(PATHOBJ* ppo);

// Brushes. pvGetRbrush realizes a pattern brush through the driver's
// DrvRealizeBrush on first use (null when it cannot); pvAllocRbrush gives
// the driver memory that lives as long as the brush.
PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj);
PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo);
ULONG BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo);

// Colour translation. cGetPalette with a null pPal answers the entry count.
ULONG XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor);
ULONG XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal);

// Transforms.
ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform);
BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut);

// Engine drawing calls beside winddi.h's.
BOOL EngLineTo(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, LONG x1, LONG y1, LONG x2, LONG y2,
               RECTL* prclBounds, MIX mix);
BOOL EngPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix);

typedef BOOL (*PFN_DrvLineTo)(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, LONG x1, LONG y1,
                              LONG x2, LONG y2, RECTL* prclBounds, MIX mix);
typedef BOOL (*PFN_DrvPaint)(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                             MIX mix);
#define INDEX_DrvLineTo 31

// --- the host side: building objects for a drawing call ----------------------------

// Clip objects. SetRects takes non-overlapping rectangles (right and bottom
// exclusive); none gives an empty clip (DC_RECT with an empty bounds), one
// DC_RECT, more DC_COMPLEX. SetTrivial makes a clip that clips nothing.
// SetPath keeps a copy of the path the region came from and makes the clip
// TC_PATHOBJ. Each change gives the clip a new iUniq.
BOOL PlatClipSetRects(CLIPOBJ* pco, const RECTL* prcl, ULONG c);
void PlatClipSetTrivial(CLIPOBJ* pco, const RECTL* prclBounds);
BOOL PlatClipSetPath(CLIPOBJ* pco, PATHOBJ* ppo);
// The most rectangles one CLIPOBJ_bEnum call hands out (0: as many as fit),
// so that drivers can be seen to loop.
void PlatEngSetClipBatch(ULONG cMax);

// Brush objects. A solid brush has iSolidColor in the target's colour index;
// a pattern brush has iSolidColor 0xFFFFFFFF, a pattern bitmap (any format
// of winddi.h, top row first), the translation from the pattern's colours
// to the target's, the hatch index (HS_* below 6, or 6 and above for a
// pattern) and the driver's DrvRealizeBrush (null: the engine draws it).
// Pattern pixels go through pxlo (a 1-bit pattern's pixel is its bit, a
// hatch cell has 0 bits on its lines and 1 bits between them); without pxlo
// 1-bit pixels are black (0) and white (1). bTransparentBack leaves the
// target unchanged under 1 bits (hatches in transparent background mode).
struct PLATBRUSHDEF {
    ULONG iSolidColor;    // colour index on the target, or 0xFFFFFFFF
    COLORREF crRGB;       // what BRUSHOBJ_ulGetBrushColor answers
    ULONG iHatch;         // HS_* or 6 and above for a pattern
    HSURF hsurfPattern;   // pattern bitmap, or null for a hatch or solid brush
    XLATEOBJ* pxlo;       // pattern colours to target colours, or null
    SURFOBJ* psoTarget;   // the surface the brush is realized for
    PFN_DrvRealizeBrush pfnRealize;
    BOOL bTransparentBack;
    BOOL bDither;         // a solid colour laid on a one-bit target as a pattern
    BYTE abDither[8];     // its 8 x 8 cell, a row a byte, a 1 bit white
};
BRUSHOBJ* PlatBrushCreate(const PLATBRUSHDEF* pdef);
// Fills in a solid brush of colour cr for the target. A one-bit target
// cannot show a grey: a colour between black and white becomes an 8 x 8
// dither cell, the device's own when its DrvDitherColor gives one (pfn and
// dhpdev may be null), else the engine's ordered dither of the same grey.
void PlatSolidBrushDef(PLATBRUSHDEF* pdef, SURFOBJ* psoTarget, COLORREF cr, PFN_DrvDitherColor pfnDither,
                       DHPDEV dhpdev);
void PlatBrushDelete(BRUSHOBJ* pbo);

// Colour translations. The palettes are lists of 0x00BBGGRR colours; an
// empty source palette means the source holds 0x00BBGGRR colours itself
// (24 bits per pixel), likewise for the destination.
XLATEOBJ* PlatXlateCreate(const ULONG* pulSrcPal, ULONG cSrc, const ULONG* pulDstPal, ULONG cDst);
void PlatXlateDelete(XLATEOBJ* pxlo);

// Transforms.
XFORMOBJ* PlatXformCreate(const XFORML* pxf);
void PlatXformDelete(XFORMOBJ* pxo);

// The driver behind an engine device, so that the engine can hand drawing
// it cannot do on a device surface back to the driver's hooks (the table
// must outlive the device; null forgets it). lStylePixels is the length in
// device pixels of one unit of a cosmetic line style (0: 1 pixel).
void PlatEngSetDeviceDriver(HDEV hdev, const DRVENABLEDATA* pded, LONG lStylePixels);

// Live engine drawing objects (clips, paths, brushes, translations,
// transforms), for leak checks.
LONG PlatEngLiveDrawObjects();

// --- inside the engine ------------------------------------------------------------

// What the rasteriser needs of the objects: the clip as rectangles cut to
// a bound, and a brush's pattern in the target's colours.
struct ENGPATTERN {
    LONG cx;
    LONG cy;
    const ULONG* pulColors;   // cx * cy colour indices of the target, top row first
    const BYTE* pbTransparent;  // cx * cy flags (1: leave the target), or null
};
// Rectangles of the clip inside prclBound; FALSE only when memory runs out.
BOOL EngClipRects(CLIPOBJ* pco, const RECTL* prclBound, void* pvVectorOfRectl);
// The pattern of an engine brush for a target format, or FALSE for a solid
// brush (and for brushes the engine did not make).
BOOL EngBrushPattern(BRUSHOBJ* pbo, ULONG iTargetFormat, ENGPATTERN* ppat);
// Colour index of an RGB colour on a surface format (nearest for 1 bit).
ULONG EngColorIndex(ULONG iFormat, COLORREF cr);
// The pixel spans a filled path covers, row by row from the top: pfn gets
// (pv, y, x0, x1) with x1 exclusive, for rows inside prclLimit only.
typedef void (*PFN_ENGSPAN)(void* pv, LONG y, LONG x0, LONG x1);
BOOL EngPathSpans(PATHOBJ* ppo, BOOL bWinding, const RECTL* prclLimit, PFN_ENGSPAN pfn, void* pv);
