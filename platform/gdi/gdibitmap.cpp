// gdibitmap.cpp: bitmaps, memory device contexts and the GDI object registry.
//
// Entry points: CreateBitmap, CreateCompatibleBitmap, CreateDIBitmap,
// CreateCompatibleDC, SelectObject, DeleteObject, GetObjectW, GetObjectType,
// PlatGdiLiveObjects, and the registry used by gdidc.cpp.
//
// A bitmap's bits live in an engine bitmap (top row first, rows padded to
// 16 bits as the platform's device-dependent bitmaps are), so a memory DC's
// surface is an ordinary SURFOBJ. A bitmap is selected into at most one
// memory DC; a new memory DC holds the 1 x 1 monochrome stock bitmap.
#include "platform/gdi/gdiobj.h"
#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"

#include <cstring>
#include <mutex>
#include <new>
#include <set>

namespace {

std::mutex g_lock;
std::set<const void*> g_objects;
GDIBMP* g_pStockBitmap = nullptr;

ULONG FormatOfBits(UINT cBits)
{
    switch (cBits) {
    case 1: return BMF_1BPP;
    case 4: return BMF_4BPP;
    case 8: return BMF_8BPP;
    case 16: return BMF_16BPP;
    case 24: return BMF_24BPP;
    case 32: return BMF_32BPP;
    default: return 0;
    }
}

GDIBMP* NewBitmap(LONG cx, LONG cy, UINT cBits)
{
    ULONG iFormat = FormatOfBits(cBits);
    if (cx <= 0 || cy <= 0 || iFormat == 0 || cx > 0x7FFF * 8 || cy > 0x7FFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LONGLONG cbWidth = (static_cast<LONGLONG>(cx) * cBits + 15) / 16 * 2;
    if (cbWidth * cy > 0x40000000) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SIZEL sizl = {cx, cy};
    HBITMAP hbmEng = EngCreateBitmap(sizl, static_cast<LONG>(cbWidth), iFormat, BMF_TOPDOWN, nullptr);
    if (!hbmEng)
        return nullptr;
    GDIBMP* pBmp = new (std::nothrow) GDIBMP();
    if (!pBmp) {
        EngDeleteSurface(reinterpret_cast<HSURF>(hbmEng));
        return nullptr;
    }
    pBmp->hdr.eKind = GDI_BITMAP;
    pBmp->hsurf = reinterpret_cast<HSURF>(hbmEng);
    pBmp->cx = cx;
    pBmp->cy = cy;
    pBmp->cBitsPixel = static_cast<WORD>(cBits);
    pBmp->cbWidthBytes = static_cast<LONG>(cbWidth);
    GdiRegister(pBmp);
    return pBmp;
}

GDIBMP* StockBitmap()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_pStockBitmap;
}

GDIBMP* EnsureStockBitmap()
{
    GDIBMP* pStock = StockBitmap();
    if (pStock)
        return pStock;
    GDIBMP* pNew = NewBitmap(1, 1, 1);
    if (!pNew)
        return nullptr;
    pNew->bStock = TRUE;
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_pStockBitmap)
        g_pStockBitmap = pNew;
    return g_pStockBitmap;
}

// Reads pixel (x, y) of a DIB as 0x00RRGGBB.
ULONG DibPixel(const BYTE* pRow, LONG x, WORD cBits, const RGBQUAD* pColors, ULONG cColors)
{
    ULONG index;
    switch (cBits) {
    case 1: index = (pRow[x >> 3] >> (7 - (x & 7))) & 1; break;
    case 4: index = (pRow[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF; break;
    case 8: index = pRow[x]; break;
    case 24: return RGB(pRow[x * 3 + 2], pRow[x * 3 + 1], pRow[x * 3]);
    case 32: return RGB(pRow[x * 4 + 2], pRow[x * 4 + 1], pRow[x * 4]);
    default: return 0;
    }
    if (!pColors || index >= cColors)
        return 0;
    return RGB(pColors[index].rgbRed, pColors[index].rgbGreen, pColors[index].rgbBlue);
}

// Writes a 0x00RRGGBB colour into pixel x of a device row.
void PutPixel(BYTE* pRow, LONG x, WORD cBits, ULONG rgb)
{
    switch (cBits) {
    case 1: {
        ULONG grey = (5 * GetRValue(rgb) + 9 * GetGValue(rgb) + 2 * GetBValue(rgb)) / 16;
        BYTE bMask = static_cast<BYTE>(0x80u >> (x & 7));
        if (grey >= 128)
            pRow[x >> 3] |= bMask;
        else
            pRow[x >> 3] &= static_cast<BYTE>(~bMask);
        break;
    }
    case 24:
        pRow[x * 3] = GetBValue(rgb);
        pRow[x * 3 + 1] = GetGValue(rgb);
        pRow[x * 3 + 2] = GetRValue(rgb);
        break;
    case 32:
        pRow[x * 4] = GetBValue(rgb);
        pRow[x * 4 + 1] = GetGValue(rgb);
        pRow[x * 4 + 2] = GetRValue(rgb);
        pRow[x * 4 + 3] = 0;
        break;
    default:
        break;
    }
}

}  // namespace

void GdiRegister(void* pObj)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_objects.insert(pObj);
}

void GdiUnregister(void* pObj)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_objects.erase(pObj);
}

GDIDC* GdiLookupDC(HDC hdc, GdiKind eKind)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (!hdc || g_objects.find(hdc) == g_objects.end())
        return nullptr;
    GDIDC* pdc = reinterpret_cast<GDIDC*>(hdc);
    return pdc->hdr.eKind == eKind ? pdc : nullptr;
}

GDIBMP* GdiLookupBitmap(HGDIOBJ h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (!h || g_objects.find(h) == g_objects.end())
        return nullptr;
    GDIBMP* pBmp = static_cast<GDIBMP*>(h);
    return pBmp->hdr.eKind == GDI_BITMAP ? pBmp : nullptr;
}

LONG PlatGdiLiveObjects()
{
    std::lock_guard<std::mutex> guard(g_lock);
    LONG c = static_cast<LONG>(g_objects.size());
    return g_pStockBitmap ? c - 1 : c;
}

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits)
{
    if (nPlanes != 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GDIBMP* pBmp = NewBitmap(nWidth, nHeight, nBitCount);
    if (!pBmp)
        return nullptr;
    if (lpBits) {
        SURFOBJ* pso = EngLockSurface(pBmp->hsurf);
        std::memcpy(pso->pvBits, lpBits, static_cast<size_t>(pBmp->cbWidthBytes) * pBmp->cy);
        EngUnlockSurface(pso);
    }
    return reinterpret_cast<HBITMAP>(pBmp);
}

// Bits per pixel of the surface a DC draws on: a memory DC's bitmap, a
// printer DC's device; without a DC, monochrome.
static UINT _DCBits(HDC hdc)
{
    if (GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC))
        return pdc->gi.cBitsPixel == 1 ? 1 : 24;
    if (GDIDC* pdc = GdiLookupDC(hdc, GDI_MEMORYDC))
        return pdc->pBitmap ? pdc->pBitmap->cBitsPixel : 1;
    return 1;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    if (!GdiLookupDC(hdc, GDI_PRINTERDC) && !GdiLookupDC(hdc, GDI_MEMORYDC)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    GDIBMP* pBmp = NewBitmap(cx, cy, _DCBits(hdc));
    return reinterpret_cast<HBITMAP>(pBmp);
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                       const BITMAPINFO* pbmi, UINT iUsage)
{
    DIBINFO dh;
    if (!pbmih || !ReadDibHeader(reinterpret_cast<const BITMAPINFO*>(pbmih), &dh) || dh.cx <= 0 || dh.cy == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LONG cx = dh.cx;
    LONG cy = dh.cy < 0 ? -dh.cy : dh.cy;
    GDIBMP* pBmp = NewBitmap(cx, cy, _DCBits(hdc));
    if (!pBmp)
        return nullptr;
    DIBINFO d;
    if ((flInit & CBM_INIT) && pjBits && pbmi) {
        WORD cBits = ReadDibHeader(pbmi, &d) ? d.wBits : 0;
        if (!cBits || d.dwCompression != BI_RGB || iUsage != DIB_RGB_COLORS || d.cx != cx ||
            (cBits != 1 && cBits != 4 && cBits != 8 && cBits != 24 && cBits != 32)) {
            DeleteObject(pBmp);
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        ULONG cColors = DibColorCount(d);
        // Either table form, as 4-byte colours.
        std::vector<RGBQUAD> aColors(cColors);
        const BYTE* pTable = reinterpret_cast<const BYTE*>(pbmi) + d.cbHeader;
        for (ULONG i = 0; i < cColors; i++, pTable += d.cbColor)
            aColors[i] = RGBQUAD{pTable[0], pTable[1], pTable[2], 0};
        const RGBQUAD* pColors = aColors.data();
        LONG cbSrcRow = (cx * cBits + 31) / 32 * 4;
        BOOL bBottomUp = d.cy > 0;
        SURFOBJ* pso = EngLockSurface(pBmp->hsurf);
        for (LONG y = 0; y < cy; y++) {
            const BYTE* pSrc = static_cast<const BYTE*>(pjBits) +
                               static_cast<LONGLONG>(bBottomUp ? cy - 1 - y : y) * cbSrcRow;
            BYTE* pDst = static_cast<BYTE*>(pso->pvScan0) + static_cast<LONGLONG>(y) * pso->lDelta;
            if (cBits == pBmp->cBitsPixel && cBits >= 24) {
                std::memcpy(pDst, pSrc, static_cast<size_t>(cx) * cBits / 8);
                continue;
            }
            for (LONG x = 0; x < cx; x++)
                PutPixel(pDst, x, pBmp->cBitsPixel, DibPixel(pSrc, x, cBits, pColors, cColors));
        }
        EngUnlockSurface(pso);
    }
    return reinterpret_cast<HBITMAP>(pBmp);
}

HDC CreateCompatibleDC(HDC hdc)
{
    (void)hdc;
    GDIBMP* pStock = EnsureStockBitmap();
    if (!pStock)
        return nullptr;
    GDIDC* pdc = new (std::nothrow) GDIDC();
    if (!pdc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pdc->hdr.eKind = GDI_MEMORYDC;
    pdc->pBitmap = pStock;
    GdiRegister(pdc);
    return reinterpret_cast<HDC>(pdc);
}

HDC PlatGdiCreateSurfaceDC(HBITMAP hbm)
{
    GDIBMP* pBmp = GdiLookupBitmap(hbm);
    if (!pBmp) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HDC hdc = CreateCompatibleDC(nullptr);
    if (!hdc)
        return nullptr;
    // The bitmap is not marked as selected: several such DCs share it, and
    // its owner keeps it alive longer than any of them.
    GdiLookupDC(hdc, GDI_MEMORYDC)->pBitmap = pBmp;
    return hdc;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h)
{
    // Pens, brushes and regions belong to the DC's drawing state.
    if (GdiDrawObjectType(h))
        return GdiDrawSelectObject(hdc, h);
    // Fonts belong to the DC's text state.
    if (GdiTextIsFont(h))
        return GdiTextSelectFont(hdc, h);
    GDIDC* pdc = GdiLookupDC(hdc, GDI_MEMORYDC);
    GDIBMP* pBmp = GdiLookupBitmap(h);
    if (!pdc || !pBmp) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (pBmp->pSelectedInto && pBmp->pSelectedInto != pdc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GDIBMP* pOld = pdc->pBitmap;
    if (pOld && !pOld->bStock)
        pOld->pSelectedInto = nullptr;
    pdc->pBitmap = pBmp;
    if (!pBmp->bStock)
        pBmp->pSelectedInto = pdc;
    return pOld;
}

BOOL DeleteObject(HGDIOBJ ho)
{
    if (GdiDrawObjectType(ho))
        return GdiDrawDeleteObject(ho);
    if (GdiTextIsFont(ho))
        return GdiTextDeleteFont(ho);
    GDIBMP* pBmp = GdiLookupBitmap(ho);
    if (!pBmp) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (pBmp->bStock)
        return TRUE;  // stock objects are never deleted
    if (pBmp->pSelectedInto) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    GdiUnregister(pBmp);
    EngDeleteSurface(pBmp->hsurf);
    delete pBmp;
    return TRUE;
}

BOOL GdiDeleteMemoryDC(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_MEMORYDC);
    if (!pdc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    GdiDrawFreeDC(hdc);
    GdiTextForgetDC(hdc);
    if (pdc->pBitmap && !pdc->pBitmap->bStock)
        pdc->pBitmap->pSelectedInto = nullptr;
    GdiUnregister(pdc);
    delete pdc;
    return TRUE;
}

int GdiMemoryDCCaps(HDC hdc, int index)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_MEMORYDC);
    if (!pdc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const GDIBMP* pBmp = pdc->pBitmap;
    switch (index) {
    case TECHNOLOGY: return 1;  // a raster display-like device
    case HORZRES: return pBmp ? pBmp->cx : 0;
    case VERTRES: return pBmp ? pBmp->cy : 0;
    case BITSPIXEL: return pBmp ? pBmp->cBitsPixel : 1;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
    }
}

SURFOBJ* GdiLockMemoryDCSurface(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_MEMORYDC);
    if (!pdc || !pdc->pBitmap)
        return nullptr;
    return EngLockSurface(pdc->pBitmap->hsurf);
}

int GetObjectW(HANDLE h, int c, LPVOID pv)
{
    if (GdiTextIsFont(h))
        return GdiTextGetFont(h, c, pv);
    GDIBMP* pBmp = GdiLookupBitmap(h);
    if (!pBmp) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pv)
        return sizeof(BITMAP);
    if (c < static_cast<int>(sizeof(BITMAP))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    BITMAP bm = {0, pBmp->cx, pBmp->cy, pBmp->cbWidthBytes, 1, pBmp->cBitsPixel, nullptr};
    std::memcpy(pv, &bm, sizeof(bm));
    return sizeof(BITMAP);
}

DWORD GetObjectType(HGDIOBJ h)
{
    if (DWORD dwType = GdiDrawObjectType(h))
        return dwType;
    if (GdiTextIsFont(h))
        return OBJ_FONT;
    if (GdiLookupBitmap(h))
        return OBJ_BITMAP;
    if (GdiLookupDC(static_cast<HDC>(h), GDI_PRINTERDC))
        return OBJ_DC;
    if (GdiLookupDC(static_cast<HDC>(h), GDI_MEMORYDC))
        return OBJ_MEMDC;
    return 0;
}
