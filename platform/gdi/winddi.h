// winddi.h: the engine side of GDI, as a printer graphics driver sees it.
//
// Owns: the driver-interface records (DRVENABLEDATA, DRVFN, GDIINFO, DEVINFO,
// SURFOBJ, LOGFONTW's engine users), the DDI function indexes, the surface
// and palette services of the engine (EngCreateBitmap, EngCreateDeviceSurface,
// EngAssociateSurface, EngMarkBandingSurface, EngLockSurface,
// EngUnlockSurface, EngDeleteSurface, EngCreatePalette, EngDeletePalette),
// EngWritePrinter and EngLoadModule (the debugger output, EngDebugPrint and
// DbgPrint, is the kernel's: platform/kernel/system.h). The engine objects that drawing hooks receive (BRUSHOBJ,
// CLIPOBJ, PATHOBJ, XLATEOBJ, XFORMOBJ, FONTOBJ, STROBJ, LINEATTRS) are
// declared here so that the hook signatures compile; their services come
// with the drawing engine.
//
// Rules the engine keeps:
//  1. Every handle it gives out is checked on the way back in; a stale or
//     foreign handle gets FALSE/null, never a crash.
//  2. An engine bitmap owns real bits: rows of the width in bytes the caller
//     gives (or, for 0, the pixel width rounded up to 4 bytes), top row
//     first when BMF_TOPDOWN was asked, zero-filled.
//  3. A device surface has no bits; its dhsurf is the driver's PDEV.
//  4. The 32-bit layouts below are the driver interface's own; offsets are
//     asserted because drivers write them by copying bytes.
#pragma once

#include "platform/windef.h"
#include "platform/gdi/wingdi.h"

#include <cstdarg>

Q730_DECLARE_HANDLE(HSURF);
Q730_DECLARE_HANDLE(DHSURF);
Q730_DECLARE_HANDLE(DHPDEV);
Q730_DECLARE_HANDLE(HDEV);
Q730_DECLARE_HANDLE(HDRVOBJ);
typedef HANDLE HSEMAPHORE;
typedef LONG LDECI4;
typedef ULONG ROP4;
typedef ULONG MIX;
typedef ULONG HGLYPH;
typedef LONG FIX28;
typedef ULONG IDENT;
typedef LONG (*PFN)();

// Driver interface versions.
#define DDI_DRIVER_VERSION_NT5 0x00030000
#define DDI_DRIVER_VERSION_NT4 0x00020000
#define DRVQUERY_USERMODE 1

// DDI function indexes (the iFunc of a DRVFN row).
#define INDEX_DrvEnablePDEV 0
#define INDEX_DrvCompletePDEV 1
#define INDEX_DrvDisablePDEV 2
#define INDEX_DrvEnableSurface 3
#define INDEX_DrvDisableSurface 4
#define INDEX_DrvAssertMode 5
#define INDEX_DrvOffset 6
#define INDEX_DrvResetPDEV 7
#define INDEX_DrvDisableDriver 8
#define INDEX_DrvCreateDeviceBitmap 10
#define INDEX_DrvDeleteDeviceBitmap 11
#define INDEX_DrvRealizeBrush 12
#define INDEX_DrvDitherColor 13
#define INDEX_DrvStrokePath 14
#define INDEX_DrvFillPath 15
#define INDEX_DrvStrokeAndFillPath 16
#define INDEX_DrvPaint 17
#define INDEX_DrvBitBlt 18
#define INDEX_DrvCopyBits 19
#define INDEX_DrvStretchBlt 20
#define INDEX_DrvSetPalette 22
#define INDEX_DrvTextOut 23
#define INDEX_DrvEscape 24
#define INDEX_DrvDrawEscape 25
#define INDEX_DrvQueryFont 26
#define INDEX_DrvSendPage 32
#define INDEX_DrvStartPage 33
#define INDEX_DrvEndDoc 34
#define INDEX_DrvStartDoc 35
#define INDEX_DrvGetGlyphMode 37
#define INDEX_DrvSynchronize 38
#define INDEX_DrvStartBanding 57
#define INDEX_DrvNextBand 58
#define INDEX_DrvGradientFill 68
#define INDEX_DrvStretchBltROP 69
#define INDEX_LAST 89

// Surface hooks (flHooks of EngAssociateSurface).
#define HOOK_BITBLT 0x00000001
#define HOOK_STRETCHBLT 0x00000002
#define HOOK_PLGBLT 0x00000004
#define HOOK_TEXTOUT 0x00000008
#define HOOK_PAINT 0x00000010
#define HOOK_STROKEPATH 0x00000020
#define HOOK_FILLPATH 0x00000040
#define HOOK_STROKEANDFILLPATH 0x00000080
#define HOOK_LINETO 0x00000100
#define HOOK_COPYBITS 0x00000400
#define HOOK_MOVEPANNING 0x00000800
#define HOOK_SYNCHRONIZE 0x00001000
#define HOOK_STRETCHBLTROP 0x00002000
#define HOOK_GRADIENTFILL 0x00008000

// Bitmap formats and flags.
#define BMF_1BPP 1
#define BMF_4BPP 2
#define BMF_8BPP 3
#define BMF_16BPP 4
#define BMF_24BPP 5
#define BMF_32BPP 6
#define BMF_TOPDOWN 0x0001
#define BMF_NOZEROINIT 0x0002
#define BMF_DONTCACHE 0x0004
#define BMF_USERMEM 0x0008
#define BMF_KMSECTION 0x0010

// Surface kinds (SURFOBJ.iType).
#define STYPE_BITMAP 0
#define STYPE_DEVICE 1
#define STYPE_DEVBITMAP 3

// Palette modes.
#define PAL_INDEXED 0x00000001
#define PAL_BITFIELDS 0x00000002
#define PAL_RGB 0x00000004
#define PAL_BGR 0x00000008

// Device technology and a few capability bits the driver reports.
#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2
#define GCAPS_BEZIERS 0x00000001
#define GCAPS_GEOMETRICWIDE 0x00000002
#define GCAPS_ALTERNATEFILL 0x00000004
#define GCAPS_WINDINGFILL 0x00000008
#define GCAPS_HALFTONE 0x00000010
#define GCAPS_COLOR_DITHER 0x00000020
#define GCAPS_HORIZSTRIKE 0x00000040
#define GCAPS_VERTSTRIKE 0x00000080
#define GCAPS_OPAQUERECT 0x00000100
#define GCAPS_MONO_DITHER 0x00000400
#define GCAPS_PALMANAGED 0x00080000

// Halftone pattern sizes (GDIINFO.ulHTPatternSize).
#define HT_PATSIZE_2x2 0
#define HT_PATSIZE_2x2_M 1
#define HT_PATSIZE_4x4 2
#define HT_PATSIZE_4x4_M 3
#define HT_PATSIZE_6x6 4
#define HT_PATSIZE_6x6_M 5
#define HT_PATSIZE_8x8 6
#define HT_PATSIZE_8x8_M 7
#define HT_PATSIZE_10x10 8
#define HT_PATSIZE_10x10_M 9
#define HT_PATSIZE_12x12 10
#define HT_PATSIZE_12x12_M 11
#define HT_PATSIZE_14x14 12
#define HT_PATSIZE_14x14_M 13
#define HT_PATSIZE_16x16 14
#define HT_PATSIZE_16x16_M 15

// Results and flags of individual hooks.
#define ED_ABORTDOC 1
#define FO_GLYPHBITS 1
#define FO_HGLYPHS 0
#define FO_PATHOBJ 2
#define DCR_SOLID 0
#define DCR_DRIVER 1
#define DCR_HALFTONE 2
#define DM_MONOCHROME 1
#define HALFTONE 4
#define COLORONCOLOR 3

// Escapes of ExtEscape/DrvEscape that the platform itself knows.
#define QUERYESCSUPPORT 8
#define SETCOPYCOUNT 17
#define BEGIN_PATH 4096
#define CLIP_TO_PATH 4097
#define END_PATH 4098

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// DRVFN: one row of a driver's hook table.
//   off size field
//     0    4 iFunc   DDI function index
//     4    4 pfn     the driver's function
struct DRVFN {
    ULONG iFunc;
    PFN pfn;
};
typedef DRVFN* PDRVFN;

// DRVENABLEDATA: what DrvEnableDriver hands back.
//   off size field
//     0    4 iDriverVersion
//     4    4 c        rows in pdrvfn
//     8    4 pdrvfn
struct DRVENABLEDATA {
    ULONG iDriverVersion;
    ULONG c;
    DRVFN* pdrvfn;
};
typedef DRVENABLEDATA* PDRVENABLEDATA;

struct CIECHROMA {
    LDECI4 x;
    LDECI4 y;
    LDECI4 Y;
};

// COLORINFO: 120 bytes; seven chromaticities then nine gamma/dye values.
struct COLORINFO {
    CIECHROMA Red;             //   0
    CIECHROMA Green;           //  12
    CIECHROMA Blue;            //  24
    CIECHROMA Cyan;            //  36
    CIECHROMA Magenta;         //  48
    CIECHROMA Yellow;          //  60
    CIECHROMA AlignmentWhite;  //  72
    LDECI4 RedGamma;           //  84
    LDECI4 GreenGamma;         //  88
    LDECI4 BlueGamma;          //  92
    LDECI4 MagentaInCyanDye;   //  96
    LDECI4 YellowInCyanDye;    // 100
    LDECI4 CyanInMagentaDye;   // 104
    LDECI4 YellowInMagentaDye; // 108
    LDECI4 CyanInYellowDye;    // 112
    LDECI4 MagentaInYellowDye; // 116
};

// GDIINFO: 304 bytes, the device's capabilities as GetDeviceCaps answers them.
//   off size field                 off size field
//     0    4 ulVersion              4    4 ulTechnology
//     8    4 ulHorzSize (mm)       12    4 ulVertSize (mm)
//    16    4 ulHorzRes (dots)      20    4 ulVertRes (dots)
//    24    4 cBitsPixel            28    4 cPlanes
//    32    4 ulNumColors           36    4 flRaster
//    40    4 ulLogPixelsX          44    4 ulLogPixelsY
//    48    4 flTextCaps            52   12 ulDACRed/Green/Blue
//    64    4 ulAspectX             68    4 ulAspectY
//    72    4 ulAspectXY            76   12 x/y/denStyleStep
//    88    8 ptlPhysOffset         96    8 szlPhysSize
//   104    4 ulNumPalReg          108  120 ciDevice
//   228    4 ulDevicePelsDPI      232    4 ulPrimaryOrder
//   236    4 ulHTPatternSize      240    4 ulHTOutputFormat
//   244    4 flHTFlags            248    4 ulVRefresh
//   252    4 ulBltAlignment       256    8 ulPanningHorz/VertRes
//   264    8 x/yPanningAlignment  272    8 cx/cyHTPat
//   280   12 pHTPatA/B/C          292    4 flShadeBlend
//   296    4 ulPhysicalPixelCharacteristics
//   300    4 ulPhysicalPixelGamma
struct GDIINFO {
    ULONG ulVersion;
    ULONG ulTechnology;
    ULONG ulHorzSize;
    ULONG ulVertSize;
    ULONG ulHorzRes;
    ULONG ulVertRes;
    ULONG cBitsPixel;
    ULONG cPlanes;
    ULONG ulNumColors;
    ULONG flRaster;
    ULONG ulLogPixelsX;
    ULONG ulLogPixelsY;
    ULONG flTextCaps;
    ULONG ulDACRed;
    ULONG ulDACGreen;
    ULONG ulDACBlue;
    ULONG ulAspectX;
    ULONG ulAspectY;
    ULONG ulAspectXY;
    LONG xStyleStep;
    LONG yStyleStep;
    LONG denStyleStep;
    POINTL ptlPhysOffset;
    SIZEL szlPhysSize;
    ULONG ulNumPalReg;
    COLORINFO ciDevice;
    ULONG ulDevicePelsDPI;
    ULONG ulPrimaryOrder;
    ULONG ulHTPatternSize;
    ULONG ulHTOutputFormat;
    ULONG flHTFlags;
    ULONG ulVRefresh;
    ULONG ulBltAlignment;
    ULONG ulPanningHorzRes;
    ULONG ulPanningVertRes;
    ULONG xPanningAlignment;
    ULONG yPanningAlignment;
    ULONG cxHTPat;
    ULONG cyHTPat;
    LPBYTE pHTPatA;
    LPBYTE pHTPatB;
    LPBYTE pHTPatC;
    ULONG flShadeBlend;
    ULONG ulPhysicalPixelCharacteristics;
    ULONG ulPhysicalPixelGamma;
};
typedef GDIINFO* PGDIINFO;

// DEVINFO: 300 bytes, the device's drawing capabilities and default fonts.
//   off size field
//     0    4 flGraphicsCaps
//     4   92 lfDefaultFont
//    96   92 lfAnsiVarFont
//   188   92 lfAnsiFixFont
//   280    4 cFonts
//   284    4 iDitherFormat
//   288    2 cxDither            290 2 cyDither
//   292    4 hpalDefault
//   296    4 flGraphicsCaps2
struct DEVINFO {
    FLONG flGraphicsCaps;
    LOGFONTW lfDefaultFont;
    LOGFONTW lfAnsiVarFont;
    LOGFONTW lfAnsiFixFont;
    ULONG cFonts;
    ULONG iDitherFormat;
    USHORT cxDither;
    USHORT cyDither;
    HPALETTE hpalDefault;
    FLONG flGraphicsCaps2;
};
typedef DEVINFO* PDEVINFO;

// SURFOBJ: 52 bytes, the driver's view of a surface.
//   off size field
//     0    4 dhsurf         4 4 hsurf
//     8    4 dhpdev        12 4 hdev
//    16    8 sizlBitmap    24 4 cjBits
//    28    4 pvBits        32 4 pvScan0
//    36    4 lDelta        40 4 iUniq
//    44    4 iBitmapFormat 48 2 iType     50 2 fjBitmap
struct SURFOBJ {
    DHSURF dhsurf;
    HSURF hsurf;
    DHPDEV dhpdev;
    HDEV hdev;
    SIZEL sizlBitmap;
    ULONG cjBits;
    PVOID pvBits;
    PVOID pvScan0;
    LONG lDelta;
    ULONG iUniq;
    ULONG iBitmapFormat;
    USHORT iType;
    USHORT fjBitmap;
};

struct CLIPOBJ {
    ULONG iUniq;
    RECTL rclBounds;
    BYTE iDComplexity;
    BYTE iFComplexity;
    BYTE iMode;
    BYTE fjOptions;
};

struct BRUSHOBJ {
    ULONG iSolidColor;
    PVOID pvRbrush;
    FLONG flColorType;
};

struct XLATEOBJ {
    ULONG iUniq;
    FLONG flXlate;
    USHORT iSrcType;
    USHORT iDstType;
    ULONG cEntries;
    ULONG* pulXlate;
};

struct FONTOBJ {
    ULONG iUniq;
    ULONG iFace;
    ULONG cxMax;
    FLONG flFontType;
    ULONG_PTR iTTUniq;
    ULONG_PTR iFile;
    SIZE sizLogResPpi;
    ULONG ulStyleSize;
    PVOID pvConsumer;
    PVOID pvProducer;
};

struct STROBJ {
    ULONG cGlyphs;
    FLONG flAccel;
    ULONG ulCharInc;
    RECTL rclBkGround;
    struct GLYPHPOS* pgp;
    LPWSTR pwszOrg;
};

struct PATHOBJ {
    FLONG fl;
    ULONG cCurves;
};

struct FLOAT_LONG {
    LONG l;
};

struct LINEATTRS {
    FLONG fl;
    ULONG iJoin;
    ULONG iEndCap;
    FLOAT_LONG elWidth;
    LONG eMiterLimit;  // a FLOAT in the platform's record; kept 4 bytes
    ULONG cstyle;
    FLOAT_LONG* pstyle;
    FLOAT_LONG elStyleState;
};

struct XFORMOBJ {
    ULONG ulReserved;
};

struct POINTQF {
    LONGLONG x;
    LONGLONG y;
};

struct TRIVERTEX {
    LONG x;
    LONG y;
    USHORT Red;
    USHORT Green;
    USHORT Blue;
    USHORT Alpha;
};

struct GRADIENT_RECT {
    ULONG UpperLeft;
    ULONG LowerRight;
};

Q730_API_PACK_END

static_assert(sizeof(void*) != 4 || sizeof(DRVFN) == 8);
static_assert(sizeof(void*) != 4 || sizeof(DRVENABLEDATA) == 12);
static_assert(sizeof(COLORINFO) == 120);
static_assert(sizeof(void*) != 4 || sizeof(GDIINFO) == 304);
static_assert(offsetof(GDIINFO, ulHorzSize) == 8);
static_assert(offsetof(GDIINFO, cBitsPixel) == 24);
static_assert(offsetof(GDIINFO, ulLogPixelsX) == 40);
static_assert(offsetof(GDIINFO, flTextCaps) == 48);
static_assert(offsetof(GDIINFO, ulAspectX) == 64);
static_assert(offsetof(GDIINFO, xStyleStep) == 76);
static_assert(offsetof(GDIINFO, ptlPhysOffset) == 88);
static_assert(offsetof(GDIINFO, szlPhysSize) == 96);
static_assert(offsetof(GDIINFO, ulNumPalReg) == 104);
static_assert(offsetof(GDIINFO, ciDevice) == 108);
static_assert(offsetof(GDIINFO, ulDevicePelsDPI) == 228);
static_assert(offsetof(GDIINFO, ulHTPatternSize) == 236);
static_assert(offsetof(GDIINFO, ulHTOutputFormat) == 240);
static_assert(offsetof(GDIINFO, flHTFlags) == 244);
static_assert(offsetof(GDIINFO, cxHTPat) == 272);
static_assert(offsetof(GDIINFO, pHTPatA) == 280);
static_assert(sizeof(void*) != 4 || offsetof(GDIINFO, ulPhysicalPixelGamma) == 300);
static_assert(sizeof(void*) != 4 || sizeof(DEVINFO) == 300);
static_assert(offsetof(DEVINFO, lfDefaultFont) == 4);
static_assert(offsetof(DEVINFO, lfAnsiVarFont) == 96);
static_assert(offsetof(DEVINFO, lfAnsiFixFont) == 188);
static_assert(offsetof(DEVINFO, cFonts) == 280);
static_assert(offsetof(DEVINFO, iDitherFormat) == 284);
static_assert(offsetof(DEVINFO, cxDither) == 288);
static_assert(offsetof(DEVINFO, cyDither) == 290);
static_assert(sizeof(void*) != 4 || offsetof(DEVINFO, hpalDefault) == 292);
static_assert(sizeof(void*) != 4 || offsetof(DEVINFO, flGraphicsCaps2) == 296);
static_assert(sizeof(void*) != 4 || sizeof(SURFOBJ) == 52);
static_assert(sizeof(void*) != 4 || offsetof(SURFOBJ, sizlBitmap) == 16);
static_assert(sizeof(void*) != 4 || offsetof(SURFOBJ, pvScan0) == 32);
static_assert(sizeof(void*) != 4 || offsetof(SURFOBJ, lDelta) == 36);
static_assert(sizeof(void*) != 4 || offsetof(SURFOBJ, iBitmapFormat) == 44);
static_assert(sizeof(void*) != 4 || offsetof(SURFOBJ, iType) == 48);

// Signatures of the driver's exported entry points, for the loader.
typedef BOOL (*PFN_DrvEnableDriver)(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
typedef void (*PFN_DrvDisableDriver)();
typedef BOOL (*PFN_DrvQueryDriverInfo)(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);

// Signatures of the hooks, as GDI calls them through the driver's table.
typedef DHPDEV (*PFN_DrvEnablePDEV)(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat,
                                    HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps,
                                    ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                    LPWSTR pwszDeviceName, HANDLE hDriver);
typedef void (*PFN_DrvCompletePDEV)(DHPDEV dhpdev, HDEV hdev);
typedef void (*PFN_DrvDisablePDEV)(DHPDEV dhpdev);
typedef BOOL (*PFN_DrvResetPDEV)(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
typedef HSURF (*PFN_DrvEnableSurface)(DHPDEV dhpdev);
typedef void (*PFN_DrvDisableSurface)(DHPDEV dhpdev);
typedef BOOL (*PFN_DrvStartDoc)(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
typedef BOOL (*PFN_DrvEndDoc)(SURFOBJ* pso, FLONG fl);
typedef BOOL (*PFN_DrvStartPage)(SURFOBJ* pso);
typedef BOOL (*PFN_DrvSendPage)(SURFOBJ* pso);
typedef BOOL (*PFN_DrvStartBanding)(SURFOBJ* pso, POINTL* pptl);
typedef BOOL (*PFN_DrvNextBand)(SURFOBJ* pso, POINTL* pptl);
typedef ULONG (*PFN_DrvEscape)(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                               PVOID pvOut);
typedef ULONG (*PFN_DrvDrawEscape)(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl,
                                   ULONG cjIn, PVOID pvIn);
typedef BOOL (*PFN_DrvCopyBits)(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                RECTL* prclDst, POINTL* pptlSrc);
typedef BOOL (*PFN_DrvBitBlt)(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                              XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                              BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
typedef BOOL (*PFN_DrvStretchBlt)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask,
                                  CLIPOBJ* pco, XLATEOBJ* pxlo, COLORADJUSTMENT* pca,
                                  POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                  POINTL* pptlMask, ULONG iMode);
typedef BOOL (*PFN_DrvStretchBltROP)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask,
                                     CLIPOBJ* pco, XLATEOBJ* pxlo, COLORADJUSTMENT* pca,
                                     POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                     POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
typedef BOOL (*PFN_DrvGradientFill)(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                    TRIVERTEX* pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh,
                                    RECTL* prclExtents, POINTL* pptlDitherOrg, ULONG ulMode);
typedef BOOL (*PFN_DrvStrokePath)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                  BRUSHOBJ* pbo, POINTL* pptlBrushOrg, LINEATTRS* plineattrs,
                                  MIX mix);
typedef BOOL (*PFN_DrvFillPath)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                                POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
typedef BOOL (*PFN_DrvStrokeAndFillPath)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco,
                                         XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                                         LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                         POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
typedef BOOL (*PFN_DrvTextOut)(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco,
                               RECTL* prclExtra, RECTL* prclOpaque, BRUSHOBJ* pboFore,
                               BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
typedef ULONG (*PFN_DrvGetGlyphMode)(DHPDEV dhpdev, FONTOBJ* pfo);
typedef BOOL (*PFN_DrvRealizeBrush)(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern,
                                    SURFOBJ* psoMask, XLATEOBJ* pxlo, ULONG iHatch);
typedef ULONG (*PFN_DrvDitherColor)(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);

// Looks up a hook by index in a driver's table; null when absent.
PFN EngFindHook(const DRVENABLEDATA* pded, ULONG iFunc);

// Surfaces and palettes.
HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
BOOL EngMarkBandingSurface(HSURF hsurf);
SURFOBJ* EngLockSurface(HSURF hsurf);
void EngUnlockSurface(SURFOBJ* pso);
BOOL EngDeleteSurface(HSURF hsurf);
BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);
HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                          FLONG flGreen, FLONG flBlue);
BOOL EngDeletePalette(HPALETTE hpal);

// Drawing services of the engine on its own bitmaps: the rasteriser
// (raster.cpp; the engine objects they take are in engobj.h), and text from
// the font engine (fontobj.h).
BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                 RECTL* prclDest, POINTL* pptlSrc);
BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
               XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
               BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
BOOL EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                      XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                      RECTL* prclSrc, POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
BOOL EngGradientFill(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo, TRIVERTEX* pVertex,
                     ULONG nVertex, PVOID pMesh, ULONG nMesh, RECTL* prclExtents,
                     POINTL* pptlDitherOrg, ULONG ulMode);
BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                MIX mix);
BOOL EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
BOOL EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                 POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
BOOL EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);

// The printer the driver writes to, and driver files it loads by name.
BOOL EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cjBuf, LPDWORD pcWritten);
HANDLE EngLoadModule(LPWSTR pwsz);
void EngFreeModule(HANDLE h);

// Engine devices: the HDEV a host (GDI, or a test) gives a driver for one
// PDEV. EngAssociateSurface takes the device's PDEV into the surface's
// dhpdev, so that hooks find their PDEV from the surface.
HDEV PlatEngCreateDevice(DHPDEV dhpdev);
void PlatEngSetDevicePDEV(HDEV hdev, DHPDEV dhpdev);
void PlatEngDeleteDevice(HDEV hdev);
// Hooks recorded for a surface by EngAssociateSurface, and whether it was
// marked for banding (FALSE for a bad handle).
BOOL PlatEngQuerySurface(HSURF hsurf, FLONG* pflHooks, BOOL* pbBanding);

// Counts of live engine objects (surfaces, palettes, modules), for leak checks.
LONG PlatEngLiveObjects();

// Makes the next n-th EngAssociateSurface call from now fail (1 = the next
// call; 0 switches it off); several calls may be armed as a bit mask of the
// next 32 calls.
void PlatEngFailAssociate(ULONG ulMaskOfNextCalls);
