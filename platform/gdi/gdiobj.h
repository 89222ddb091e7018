// gdiobj.h: the application-side GDI's own objects (inside platform/gdi only).
//
// Owns: the records behind HDC and HBITMAP values and the registry that
// accepts a handle only while its object lives. Printer DCs are in gdidc.cpp,
// memory DCs and bitmaps in gdibitmap.cpp.
#pragma once

#include "platform/gdi/wingdi.h"
#include "platform/gdi/winddi.h"
#include "platform/kernel/kernel.h"

#include <string>
#include <vector>

// What either header form says about an image. A core header has no
// compression, no colour count and no image size, and 3-byte colours.
struct DIBINFO {
    LONG cx, cy;  // cy < 0: top-down
    WORD wBits;
    DWORD dwCompression, dwClrUsed, dwSizeImage;
    DWORD cbHeader, cbColor;
};

BOOL ReadDibHeader(const BITMAPINFO* pbmi, DIBINFO* pOut);
// The entries of its colour table (0 above 8 bits).
ULONG DibColorCount(const DIBINFO& d);

enum GdiKind { GDI_PRINTERDC = 1, GDI_MEMORYDC, GDI_BITMAP };

struct GDIOBJHDR {
    GdiKind eKind;
};

struct GDIBMP;

struct GDIDC {
    GDIOBJHDR hdr;
    // printer DC
    std::u16string strPrinter;        // printer name
    HANDLE hPrinter = nullptr;        // spooler handle
    HMODULE hGraphics = nullptr;      // graphics library
    HMODULE hUi = nullptr;            // user-interface library, or null
    PFN_DrvDocumentEvent pfnDocumentEvent = nullptr;
    DRVENABLEDATA ded = {};           // the driver's hook table
    HDEV hdev = nullptr;              // engine device of the PDEV
    DHPDEV dhpdev = nullptr;          // the driver's PDEV
    HSURF hsurf = nullptr;            // the driver's surface
    GDIINFO gi = {};                  // answers of GetDeviceCaps
    DEVINFO di = {};
    std::vector<BYTE> devmode;        // the DC's DEVMODE
    BOOL bDocStarted = FALSE;
    BOOL bPageStarted = FALSE;
    DWORD dwJobId = 0;
    std::u16string strDocName;
    // memory DC
    GDIBMP* pBitmap = nullptr;        // selected bitmap
};

struct GDIBMP {
    GDIOBJHDR hdr;
    HSURF hsurf;                      // engine bitmap with the bits
    LONG cx;
    LONG cy;
    WORD cBitsPixel;
    LONG cbWidthBytes;
    GDIDC* pSelectedInto;             // memory DC that holds it, or null
    BOOL bStock;                      // the default bitmap of memory DCs
};

void GdiRegister(void* pObj);
void GdiUnregister(void* pObj);
GDIDC* GdiLookupDC(HDC hdc, GdiKind eKind);
GDIBMP* GdiLookupBitmap(HGDIOBJ h);

BOOL GdiDeleteMemoryDC(HDC hdc);
int GdiMemoryDCCaps(HDC hdc, int index);
SURFOBJ* GdiLockMemoryDCSurface(HDC hdc);
