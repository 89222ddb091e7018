// gdidraw.h: the application side's drawing calls on device contexts.
//
// Owns: the pen, brush and region objects (LOGBRUSH, the PS_*, BS_*, HS_*,
// RGN_* and stock-object codes), the drawing state of a device context
// (pen, brush, current position, path, clip region, binary raster
// operation, background, fill mode, mapping mode with window and viewport)
// and the calls that draw: MoveToEx, LineTo, Polyline, PolyBezier,
// Rectangle, Ellipse, Polygon, PolyPolygon, the path calls, the clip calls,
// PatBlt, BitBlt, StretchBlt, StretchDIBits and SetDIBitsToDevice.
//
// How a call reaches the surface: logical coordinates go through the
// mapping mode to device pixels, shapes become paths in 28.4 values
// (ellipses as four curves), and the call goes to the driver's hook when the
// DC's surface hooks it (DrvStrokePath, DrvFillPath, DrvStrokeAndFillPath,
// DrvLineTo, DrvBitBlt, DrvCopyBits, DrvStretchBlt, DrvStretchBltROP),
// else to the engine, which draws on bitmaps and hands stretching with a
// raster operation on a device back to the driver. Memory DCs always draw
// through the engine. On a surface marked for banding the page's calls are
// kept and drawn into each band during EndPage.
#pragma once

#include "platform/windef.h"
#include "platform/gdi/wingdi.h"

struct DRVENABLEDATA;
struct CLIPOBJ;

// Pen styles (CreatePen, ExtCreatePen).
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000

// Brush styles and hatches.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

// Object types beside wingdi.h's.
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_REGION 8
#define OBJ_EXTPEN 11

// Background modes, fill modes, mapping modes.
#define TRANSPARENT 1
#define OPAQUE 2
#define ALTERNATE 1
#define WINDING 2
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

// Region combination and results.
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// Ternary raster operations of the blits (the code in bits 16..23).
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

#define CLR_INVALID 0xFFFFFFFF
#ifndef ERROR_CAN_NOT_COMPLETE
#define ERROR_CAN_NOT_COMPLETE 1003L
#endif
#define DIB_PAL_COLORS 1

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// LOGBRUSH: 12 bytes.
struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};

Q730_API_PACK_END

static_assert(sizeof(void*) != 4 || sizeof(LOGBRUSH) == 12);

// Objects.
HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle,
                  const DWORD* pstyle);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int iHatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP hbm);
HBRUSH CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage);
HGDIOBJ GetStockObject(int i);
HRGN CreateRectRgn(int x1, int y1, int x2, int y2);
// Regions made from polygons and paths hold the pixels within 262143 of
// the origin; a polygon reaching further is cut there.
HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode);
int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode);
int GetRgnBox(HRGN hrgn, LPRECT lprc);
BOOL PtInRegion(HRGN hrgn, int x, int y);

// State of a device context.
int SetROP2(HDC hdc, int rop2);
int SetBkMode(HDC hdc, int mode);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF GetBkColor(HDC hdc);
int GetBkMode(HDC hdc);
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt);
int SetPolyFillMode(HDC hdc, int mode);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
int SetMapMode(HDC hdc, int iMode);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);

// Lines and shapes.
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
BOOL PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz);

// Paths.
BOOL BeginPath(HDC hdc);
BOOL EndPath(HDC hdc);
BOOL AbortPath(HDC hdc);
BOOL CloseFigure(HDC hdc);
BOOL FillPath(HDC hdc);
BOOL StrokePath(HDC hdc);
BOOL StrokeAndFillPath(HDC hdc);
BOOL SelectClipPath(HDC hdc, int iMode);

// Clipping (regions are in device pixels).
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC hdc, HRGN hrgn);

// Stretch modes (SetStretchBltMode)
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Saved states and the clip as applications ask for it.
// SaveDC answers the depth of the saved state (1 for the first); RestoreDC
// with a negative number restores relative to the top.
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int nSavedDC);
// The bounds of the visible part in logical units: SIMPLEREGION or
// COMPLEXREGION, NULLREGION, or ERROR.
int GetClipBox(HDC hdc, LPRECT lprect);
// Copies the DC's clip (device pixels) into hrgn: 1, 0 when the DC has no
// clip, -1 on error.
int GetClipRgn(HDC hdc, HRGN hrgn);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);

// Blits.
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop);
int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                  int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi,
                  UINT iUsage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                      UINT StartScan, UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi,
                      UINT ColorUse);

// What the device context calls reach of this file: SelectObject,
// DeleteObject, GetObjectType and DeleteDC hand pens, brushes, regions and
// a DC's drawing state over to these.
// GdiDrawSelectObject answers the previous object, or null when h is not a
// pen, brush or region (the caller then tries its own objects).
HGDIOBJ GdiDrawSelectObject(HDC hdc, HGDIOBJ h);
// TRUE when h was one of these objects (deleted, or a stock object kept).
BOOL GdiDrawDeleteObject(HGDIOBJ h);
// OBJ_PEN, OBJ_EXTPEN, OBJ_BRUSH, OBJ_REGION, or 0.
DWORD GdiDrawObjectType(HGDIOBJ h);
// The DC's clip object for a surface (text output takes it too); owned by
// the DC, null when nothing is visible.
CLIPOBJ* GdiDrawClipFor(HDC hdc, struct SURFOBJ* pso);
// On a surface marked for banding the page's calls are kept: EndPage has
// them drawn into each band whose origin (the band's top left on the page)
// the driver gives, and drops them when the page ends.
void GdiDrawPlayBand(HDC hdc, POINTL ptlOrigin);
void GdiDrawEndPage(HDC hdc);
// A call that another part of GDI draws (text) is kept the same way:
// pfnPlay draws it into each band with its device coordinates moved by
// ptlOffset and the DC's clip as it was at the call, moved likewise (pco,
// owned by the caller; the call is not played where nothing is visible);
// pfnFree frees pv when the page ends. On a surface marked for banding the
// call is kept (*pbKept TRUE, pv belongs to the page from then on, and
// FALSE answers that it could not be kept); otherwise *pbKept is FALSE, the
// caller draws at once and keeps pv.
typedef BOOL (*PFN_GDIDRAWPLAY)(HDC hdc, void* pv, POINTL ptlOffset, CLIPOBJ* pco);
typedef void (*PFN_GDIDRAWFREE)(void* pv);
BOOL GdiDrawKeepCall(HDC hdc, void* pv, PFN_GDIDRAWPLAY pfnPlay, PFN_GDIDRAWFREE pfnFree, BOOL* pbKept);
// Frees a device context's drawing state (its DeleteDC).
void GdiDrawFreeDC(HDC hdc);
// A printer DC on a driver that is already in the process (a test's or a
// tool's hook table): enables its PDEV and surface as CreateDCW does,
// without a printer or spooler job. DeleteDC ends it.
HDC PlatGdiCreateDriverDC(const DRVENABLEDATA* pded, const DEVMODEW* pdm);
// Live pens, brushes, regions and DC drawing states, for leak checks.
LONG PlatGdiLiveDrawObjects();
