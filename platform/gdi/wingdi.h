// wingdi.h: the application side of GDI for printer device contexts.
//
// Owns: LOGFONTW, COLORADJUSTMENT, DOCINFOW, BITMAP and BITMAPINFO, the
// GetDeviceCaps indexes, the document-event codes, and the calls that drive a
// printer driver: CreateDCW, ResetDCW, DeleteDC, StartDocW, StartPage,
// EndPage, EndDoc, AbortDoc, ExtEscape, GetDeviceCaps; and the basic bitmap
// objects: CreateBitmap, CreateDIBitmap, CreateCompatibleDC, SelectObject,
// DeleteObject, GetObjectW. Pens, brushes, regions and the drawing calls are
// in gdidraw.h, which SelectObject, DeleteObject, GetObjectType and DeleteDC
// hand their objects to; EndPage has it draw each band of a banded page.
//
// The order in which a printer DC calls its drivers:
//   CreateDCW   CREATEDCPRE - DrvEnableDriver, DrvEnablePDEV, DrvCompletePDEV,
//               DrvEnableSurface - CREATEDCPOST
//   StartDocW   STARTDOCPRE - StartDocPrinterW - DrvStartDoc - STARTDOCPOST
//   StartPage   STARTPAGE - DrvStartPage (banded: DrvStartBanding)
//   EndPage     ENDPAGE - DrvSendPage (banded: DrvNextBand until (-1,-1))
//   EndDoc      ENDDOCPRE - DrvEndDoc(0) - EndDocPrinter - ENDDOCPOST
//   AbortDoc    ABORTDOC - DrvEndDoc(ED_ABORTDOC) - AbortPrinter
//   ResetDCW    RESETDCPRE - new PDEV enabled - DrvResetPDEV - old disabled
//               - RESETDCPOST
//   DeleteDC    DELETEDC - (open document: AbortDoc) - DrvDisableSurface,
//               DrvDisablePDEV, DrvDisableDriver
// The *PRE/*POST and page events go to the printer's user-interface library
// (DrvDocumentEvent) when its config file is installed and exports it.
#pragma once

#include "platform/windef.h"

#define LF_FACESIZE 32

// Binary raster operations (SetROP2); the engine's mixes use the same codes.
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

#pragma pack(push, 1)

// LOGFONTW: 92 bytes.
//   off size field
//     0    4 lfHeight       4 4 lfWidth
//     8    4 lfEscapement  12 4 lfOrientation
//    16    4 lfWeight      20 1 lfItalic
//    21    1 lfUnderline   22 1 lfStrikeOut
//    23    1 lfCharSet     24 1 lfOutPrecision
//    25    1 lfClipPrecision 26 1 lfQuality
//    27    1 lfPitchAndFamily
//    28   64 lfFaceName[32]
struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTW* PLOGFONTW;
typedef LOGFONTW* LPLOGFONTW;

// COLORADJUSTMENT: 24 bytes.
struct COLORADJUSTMENT {
    WORD caSize;
    WORD caFlags;
    WORD caIlluminantIndex;
    WORD caRedGamma;
    WORD caGreenGamma;
    WORD caBlueGamma;
    WORD caReferenceBlack;
    WORD caReferenceWhite;
    SHORT caContrast;
    SHORT caBrightness;
    SHORT caColorfulness;
    SHORT caRedGreenTint;
};

// The records between Q730_API_PACK_BEGIN and _END hold pointers: the sizes
// and offsets given for them are those of the i386 build; the native build
// aligns them naturally (platform/windef.h).
// DOCINFOW: 20 bytes.
Q730_API_PACK_BEGIN
struct DOCINFOW {
    int cbSize;
    LPCWSTR lpszDocName;
    LPCWSTR lpszOutput;
    LPCWSTR lpszDatatype;
    DWORD fwType;
};
Q730_API_PACK_END
typedef DOCINFOW* LPDOCINFOW;

// BITMAP: 24 bytes, what GetObjectW answers for a bitmap.
Q730_API_PACK_BEGIN
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
Q730_API_PACK_END
typedef BITMAP* LPBITMAP;

// BITMAPINFOHEADER: 40 bytes.
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
typedef BITMAPINFO* LPBITMAPINFO;

// The older 12-byte header; its colour table has 3-byte entries.
struct BITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
};

struct RGBTRIPLE {
    BYTE rgbtBlue;
    BYTE rgbtGreen;
    BYTE rgbtRed;
};

// What CREATEDCPRE receives (pvIn).
Q730_API_PACK_BEGIN
struct DOCEVENT_CREATEDCPRE {
    LPCWSTR pszDriver;
    LPCWSTR pszDevice;
    DEVMODEW* pdm;
    BOOL bIC;
};
Q730_API_PACK_END

#pragma pack(pop)

static_assert(sizeof(LOGFONTW) == 92);
static_assert(offsetof(LOGFONTW, lfWeight) == 16);
static_assert(offsetof(LOGFONTW, lfCharSet) == 23);
static_assert(offsetof(LOGFONTW, lfPitchAndFamily) == 27);
static_assert(offsetof(LOGFONTW, lfFaceName) == 28);
static_assert(sizeof(COLORADJUSTMENT) == 24);
static_assert(sizeof(void*) != 4 || sizeof(DOCINFOW) == 20);
static_assert(sizeof(void*) != 4 || sizeof(BITMAP) == 24);
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(RGBTRIPLE) == 3);

#define BI_RGB 0
#define DIB_RGB_COLORS 0
#define CBM_INIT 0x04
#define OBJ_BITMAP 7
#define OBJ_DC 3
#define OBJ_MEMDC 10

// GetDeviceCaps indexes.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMMARKERS 20
#define NUMFONTS 22
#define NUMCOLORS 24
#define PDEVICESIZE 26
#define CURVECAPS 28
#define LINECAPS 30
#define POLYGONALCAPS 32
#define TEXTCAPS 34
#define CLIPCAPS 36
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define SCALINGFACTORX 114
#define SCALINGFACTORY 115
#define DT_RASPRINTER_CAPS 2

// Document events (DrvDocumentEvent's iEsc) and their results.
#define DOCUMENTEVENT_CREATEDCPRE 1
#define DOCUMENTEVENT_CREATEDCPOST 2
#define DOCUMENTEVENT_RESETDCPRE 3
#define DOCUMENTEVENT_RESETDCPOST 4
#define DOCUMENTEVENT_STARTDOC 5
#define DOCUMENTEVENT_STARTDOCPRE 5
#define DOCUMENTEVENT_STARTPAGE 6
#define DOCUMENTEVENT_ENDPAGE 7
#define DOCUMENTEVENT_ENDDOC 8
#define DOCUMENTEVENT_ENDDOCPRE 8
#define DOCUMENTEVENT_ABORTDOC 9
#define DOCUMENTEVENT_DELETEDC 10
#define DOCUMENTEVENT_ESCAPE 11
#define DOCUMENTEVENT_ENDDOCPOST 12
#define DOCUMENTEVENT_STARTDOCPOST 13
#define DOCUMENTEVENT_SUCCESS 1
#define DOCUMENTEVENT_UNSUPPORTED 0
#define DOCUMENTEVENT_FAILURE (-1)

typedef int (*PFN_DrvDocumentEvent)(HANDLE hPrinter, HDC hdc, int iEsc, ULONG cbIn, PVOID pvIn,
                                    ULONG cbOut, PVOID pvOut);

#define SP_ERROR (-1)

// Printer device contexts. CreateDCW takes the driver name (ignored, as the
// platform does for printers), the printer name, an unused output and the
// job's DEVMODE (null: the printer's default).
HDC CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR pwszOutput, const DEVMODEW* pdm);
HDC ResetDCW(HDC hdc, const DEVMODEW* pdm);
BOOL DeleteDC(HDC hdc);
int StartDocW(HDC hdc, const DOCINFOW* pdi);
int StartPage(HDC hdc);
int EndPage(HDC hdc);
int EndDoc(HDC hdc);
int AbortDoc(HDC hdc);
int ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData);
int GetDeviceCaps(HDC hdc, int index);

// Bitmaps and memory device contexts.
HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                       const BITMAPINFO* pbmi, UINT iUsage);
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
HDC CreateCompatibleDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
BOOL DeleteObject(HGDIOBJ ho);
int GetObjectW(HANDLE h, int c, LPVOID pv);
DWORD GetObjectType(HGDIOBJ h);

// Test and tool hooks of the platform's GDI.
// A memory DC drawing on hbm that does not hold the bitmap for itself, so
// that several DCs (the window system's window DCs) can draw on one
// surface at once. The bitmap must outlive the DC; DeleteDC ends it.
HDC PlatGdiCreateSurfaceDC(HBITMAP hbm);
// The surface object of a device context (its drawing surface), or null.
struct SURFOBJ* PlatGdiLockDCSurface(HDC hdc);
void PlatGdiUnlockDCSurface(struct SURFOBJ* pso);
// The driver's PDEV behind a printer device context, or null.
void* PlatGdiGetDhpdev(HDC hdc);
// Live GDI objects (device contexts and bitmaps), for leak checks.
LONG PlatGdiLiveObjects();
// While tracing is on, printer DCs note every driver hook, document event
// and spooler job call they make, in order, as "name" lines (events as
// "DOCEVENT n"). Switching it on clears the trace.
void PlatGdiTrace(BOOL bOn);
const char* PlatGdiTraceText();
// While set, every text drawn on hdc by ExtTextOutW (and so by TextOutW
// and DrawTextW) is handed to pfn, as it is drawn: the window system reads
// what the owner of an owner-drawn item shows. pfn null ends it.
typedef void (*PLATTEXTNOTE)(void* pvContext, LPCWSTR psz, UINT c);
void PlatGdiNoteText(HDC hdc, PLATTEXTNOTE pfn, void* pvContext);
