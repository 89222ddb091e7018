// engine.cpp: the engine's surfaces, palettes, devices and driver modules.
//
// Entry points: EngCreateBitmap, EngCreateDeviceSurface, EngAssociateSurface,
// EngMarkBandingSurface, EngLockSurface, EngUnlockSurface, EngDeleteSurface,
// EngEraseSurface, EngCreatePalette, EngDeletePalette, EngWritePrinter,
// EngLoadModule, EngFreeModule, EngFindHook, the drawing services' entry
// points, and the host and test hooks (PlatEng*). Rules in winddi.h.
//
// Every object lives in one registry of live objects under one lock; a
// handle is the object's address, accepted only while it is registered.
#include "platform/gdi/winddi.h"

#include "platform/kernel/files.h"
#include "platform/kernel/kernel.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "platform/spooler/winspool.h"

namespace {

enum EngKind { ENG_SURFACE = 1, ENG_PALETTE, ENG_DEVICE, ENG_MODULE };

struct ENGOBJ {
    EngKind eKind;
};

struct ENGSURF {
    ENGOBJ hdr;
    SURFOBJ so;
    FLONG flHooks;     // hooks given by EngAssociateSurface
    BOOL bBanding;     // marked by EngMarkBandingSurface
    BOOL bOwnBits;     // the engine allocated pvBits
    LONG cLocks;       // EngLockSurface count
};

struct ENGPAL {
    ENGOBJ hdr;
    ULONG iMode;
    std::vector<ULONG> aColors;
};

struct ENGDEV {
    ENGOBJ hdr;
    DHPDEV dhpdev;
};

struct ENGMODULE {
    ENGOBJ hdr;
    std::u16string strPath;
};

std::mutex g_lock;
std::set<const void*> g_live;
ULONG g_ulFailAssociateMask = 0;
ULONG g_ulUniq = 1;

template <typename T>
T* Lookup(const void* h, EngKind eKind)
{
    if (!h || g_live.find(h) == g_live.end())
        return nullptr;
    const ENGOBJ* pObj = static_cast<const ENGOBJ*>(h);
    return pObj->eKind == eKind ? static_cast<T*>(const_cast<void*>(h)) : nullptr;
}

ENGSURF* SurfFromSurfobj(SURFOBJ* pso)
{
    if (!pso)
        return nullptr;
    ENGSURF* pSurf = reinterpret_cast<ENGSURF*>(reinterpret_cast<BYTE*>(pso) - offsetof(ENGSURF, so));
    return Lookup<ENGSURF>(pSurf, ENG_SURFACE);
}

ULONG BitsPerPixel(ULONG iFormat)
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

}  // namespace

PFN EngFindHook(const DRVENABLEDATA* pded, ULONG iFunc)
{
    if (!pded || !pded->pdrvfn)
        return nullptr;
    for (ULONG i = 0; i < pded->c; i++)
        if (pded->pdrvfn[i].iFunc == iFunc)
            return pded->pdrvfn[i].pfn;
    return nullptr;
}

HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits)
{
    ULONG bpp = BitsPerPixel(iFormat);
    if (bpp == 0 || sizl.cx <= 0 || sizl.cy <= 0 || lWidth < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LONGLONG cbMinRow = (static_cast<LONGLONG>(sizl.cx) * bpp + 7) / 8;
    LONGLONG cbRow = lWidth ? lWidth : (static_cast<LONGLONG>(sizl.cx) * bpp + 31) / 32 * 4;
    LONGLONG cbBits = cbRow * sizl.cy;
    if (cbRow < cbMinRow || cbBits > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ENGSURF* pSurf = new (std::nothrow) ENGSURF();
    if (!pSurf) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    BYTE* pb = static_cast<BYTE*>(pvBits);
    if (!pb) {
        pb = static_cast<BYTE*>(std::calloc(1, static_cast<size_t>(cbBits)));
        if (!pb) {
            delete pSurf;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        pSurf->bOwnBits = TRUE;
    }
    pSurf->hdr.eKind = ENG_SURFACE;
    SURFOBJ& so = pSurf->so;
    so.hsurf = reinterpret_cast<HSURF>(pSurf);
    so.sizlBitmap = sizl;
    so.cjBits = static_cast<ULONG>(cbBits);
    so.pvBits = pb;
    if (fl & BMF_TOPDOWN) {
        so.pvScan0 = pb;
        so.lDelta = static_cast<LONG>(cbRow);
    } else {
        so.pvScan0 = pb + (sizl.cy - 1) * cbRow;
        so.lDelta = -static_cast<LONG>(cbRow);
    }
    so.iBitmapFormat = iFormat;
    so.iType = STYPE_BITMAP;
    so.fjBitmap = static_cast<USHORT>(fl & BMF_TOPDOWN);
    std::lock_guard<std::mutex> guard(g_lock);
    so.iUniq = g_ulUniq++;
    g_live.insert(pSurf);
    return reinterpret_cast<HBITMAP>(pSurf);
}

HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat)
{
    if (sizl.cx <= 0 || sizl.cy <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ENGSURF* pSurf = new (std::nothrow) ENGSURF();
    if (!pSurf) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pSurf->hdr.eKind = ENG_SURFACE;
    SURFOBJ& so = pSurf->so;
    so.dhsurf = dhsurf;
    so.hsurf = reinterpret_cast<HSURF>(pSurf);
    so.sizlBitmap = sizl;
    so.iBitmapFormat = iFormatCompat;
    so.iType = STYPE_DEVICE;
    std::lock_guard<std::mutex> guard(g_lock);
    so.iUniq = g_ulUniq++;
    g_live.insert(pSurf);
    return reinterpret_cast<HSURF>(pSurf);
}

BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks)
{
    std::lock_guard<std::mutex> guard(g_lock);
    BOOL bFail = g_ulFailAssociateMask & 1;
    g_ulFailAssociateMask >>= 1;
    ENGSURF* pSurf = Lookup<ENGSURF>(hsurf, ENG_SURFACE);
    ENGDEV* pDev = hdev ? Lookup<ENGDEV>(hdev, ENG_DEVICE) : nullptr;
    if (bFail || !pSurf || (hdev && !pDev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pSurf->flHooks = flHooks;
    pSurf->so.hdev = hdev;
    if (pDev)
        pSurf->so.dhpdev = pDev->dhpdev;
    else if (pSurf->so.iType == STYPE_DEVICE)
        pSurf->so.dhpdev = reinterpret_cast<DHPDEV>(pSurf->so.dhsurf);
    return TRUE;
}

BOOL EngMarkBandingSurface(HSURF hsurf)
{
    std::lock_guard<std::mutex> guard(g_lock);
    ENGSURF* pSurf = Lookup<ENGSURF>(hsurf, ENG_SURFACE);
    if (!pSurf) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    pSurf->bBanding = TRUE;
    return TRUE;
}

SURFOBJ* EngLockSurface(HSURF hsurf)
{
    std::lock_guard<std::mutex> guard(g_lock);
    ENGSURF* pSurf = Lookup<ENGSURF>(hsurf, ENG_SURFACE);
    if (!pSurf) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    pSurf->cLocks++;
    return &pSurf->so;
}

void EngUnlockSurface(SURFOBJ* pso)
{
    std::lock_guard<std::mutex> guard(g_lock);
    ENGSURF* pSurf = SurfFromSurfobj(pso);
    if (pSurf && pSurf->cLocks > 0)
        pSurf->cLocks--;
}

BOOL EngDeleteSurface(HSURF hsurf)
{
    ENGSURF* pSurf;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        pSurf = Lookup<ENGSURF>(hsurf, ENG_SURFACE);
        if (!pSurf) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        g_live.erase(pSurf);
    }
    if (pSurf->bOwnBits)
        std::free(pSurf->so.pvBits);
    delete pSurf;
    return TRUE;
}

BOOL PlatEngQuerySurface(HSURF hsurf, FLONG* pflHooks, BOOL* pbBanding)
{
    std::lock_guard<std::mutex> guard(g_lock);
    ENGSURF* pSurf = Lookup<ENGSURF>(hsurf, ENG_SURFACE);
    if (!pSurf)
        return FALSE;
    if (pflHooks)
        *pflHooks = pSurf->flHooks;
    if (pbBanding)
        *pbBanding = pSurf->bBanding;
    return TRUE;
}

BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor)
{
    if (!pso || pso->iType != STYPE_BITMAP || !pso->pvScan0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECTL rc = {0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
    if (prcl) {
        rc.left = prcl->left > 0 ? prcl->left : 0;
        rc.top = prcl->top > 0 ? prcl->top : 0;
        rc.right = prcl->right < rc.right ? prcl->right : rc.right;
        rc.bottom = prcl->bottom < rc.bottom ? prcl->bottom : rc.bottom;
    }
    ULONG bpp = BitsPerPixel(pso->iBitmapFormat);
    for (LONG y = rc.top; y < rc.bottom; y++) {
        BYTE* pRow = static_cast<BYTE*>(pso->pvScan0) + static_cast<LONGLONG>(y) * pso->lDelta;
        for (LONG x = rc.left; x < rc.right; x++) {
            switch (bpp) {
            case 1: {
                BYTE bMask = static_cast<BYTE>(0x80u >> (x & 7));
                if (iColor & 1)
                    pRow[x >> 3] |= bMask;
                else
                    pRow[x >> 3] &= static_cast<BYTE>(~bMask);
                break;
            }
            case 8:
                pRow[x] = static_cast<BYTE>(iColor);
                break;
            case 24:
                pRow[x * 3] = static_cast<BYTE>(iColor >> 16);
                pRow[x * 3 + 1] = static_cast<BYTE>(iColor >> 8);
                pRow[x * 3 + 2] = static_cast<BYTE>(iColor);
                break;
            case 32:
                std::memcpy(pRow + x * 4, &iColor, 4);
                break;
            default:
                return FALSE;
            }
        }
    }
    return TRUE;
}

HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                          FLONG flGreen, FLONG flBlue)
{
    if (!(iMode & (PAL_INDEXED | PAL_BITFIELDS | PAL_RGB | PAL_BGR)) ||
        ((iMode & PAL_INDEXED) && (cColors == 0 || cColors > 65536))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ENGPAL* pPal = new (std::nothrow) ENGPAL();
    if (!pPal)
        return nullptr;
    pPal->hdr.eKind = ENG_PALETTE;
    pPal->iMode = iMode;
    if (iMode & PAL_INDEXED) {
        pPal->aColors.assign(cColors, 0);
        if (pulColors)
            std::memcpy(pPal->aColors.data(), pulColors, cColors * sizeof(ULONG));
    } else if (iMode & PAL_BITFIELDS) {
        pPal->aColors = {flRed, flGreen, flBlue};
    }
    std::lock_guard<std::mutex> guard(g_lock);
    g_live.insert(pPal);
    return reinterpret_cast<HPALETTE>(pPal);
}

BOOL EngDeletePalette(HPALETTE hpal)
{
    ENGPAL* pPal;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        pPal = Lookup<ENGPAL>(hpal, ENG_PALETTE);
        if (!pPal) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        g_live.erase(pPal);
    }
    delete pPal;
    return TRUE;
}

HDEV PlatEngCreateDevice(DHPDEV dhpdev)
{
    ENGDEV* pDev = new (std::nothrow) ENGDEV();
    if (!pDev)
        return nullptr;
    pDev->hdr.eKind = ENG_DEVICE;
    pDev->dhpdev = dhpdev;
    std::lock_guard<std::mutex> guard(g_lock);
    g_live.insert(pDev);
    return reinterpret_cast<HDEV>(pDev);
}

void PlatEngSetDevicePDEV(HDEV hdev, DHPDEV dhpdev)
{
    std::lock_guard<std::mutex> guard(g_lock);
    ENGDEV* pDev = Lookup<ENGDEV>(hdev, ENG_DEVICE);
    if (pDev)
        pDev->dhpdev = dhpdev;
}

void PlatEngDeleteDevice(HDEV hdev)
{
    ENGDEV* pDev;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        pDev = Lookup<ENGDEV>(hdev, ENG_DEVICE);
        if (!pDev)
            return;
        g_live.erase(pDev);
    }
    delete pDev;
}

BOOL EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cjBuf, LPDWORD pcWritten)
{
    return WritePrinter(hPrinter, pBuf, cjBuf, pcWritten);
}

HANDLE EngLoadModule(LPWSTR pwsz)
{
    if (!pwsz || GetFileAttributesW(pwsz) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    ENGMODULE* pMod = new (std::nothrow) ENGMODULE();
    if (!pMod)
        return nullptr;
    pMod->hdr.eKind = ENG_MODULE;
    pMod->strPath = pwsz;
    std::lock_guard<std::mutex> guard(g_lock);
    g_live.insert(pMod);
    return pMod;
}

void EngFreeModule(HANDLE h)
{
    ENGMODULE* pMod;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        pMod = Lookup<ENGMODULE>(h, ENG_MODULE);
        if (!pMod)
            return;
        g_live.erase(pMod);
    }
    delete pMod;
}

LONG PlatEngLiveObjects()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return static_cast<LONG>(g_live.size());
}

void PlatEngFailAssociate(ULONG ulMaskOfNextCalls)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_ulFailAssociateMask = ulMaskOfNextCalls;
}

// --- drawing services -----------------------------------------------------------------
// Stand-ins, each a weak definition: the rasteriser's own definitions
// replace them wherever it is linked, and without it a drawing call reports
// ERROR_CALL_NOT_IMPLEMENTED instead of drawing nothing silently.
#define ENG_WEAK __attribute__((weak))

static BOOL _NotYet()
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

ENG_WEAK BOOL EngTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                POINTL*, MIX)
{
    return _NotYet();
}

