// gdidc.cpp: printer and memory device contexts of the application-side GDI.
//
// Entry points: CreateDCW, ResetDCW, DeleteDC, StartDocW, StartPage,
// EndPage, EndDoc, AbortDoc, ExtEscape, GetDeviceCaps, CreateCompatibleDC,
// SelectObject, GetObjectType, PlatGdiLockDCSurface, PlatGdiUnlockDCSurface,
// PlatGdiGetDhpdev. The order of the driver calls is the one in wingdi.h.
//
// A printer DC owns: the printer handle, the graphics library (loaded by the
// name in the printer's driver record) with its hook table, an engine device,
// the driver's PDEV and surface, and, when the printer's configuration file
// exports DrvDocumentEvent, that library. Everything goes in DeleteDC.
#include "platform/gdi/gdiobj.h"
#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"

#include "platform/gdi/engobj.h"

#include "platform/kernel/memory.h"
#include "platform/kernel/modules.h"
#include "platform/spooler/drvinterface.h"
#include "platform/spooler/winspool.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

std::mutex g_traceLock;
BOOL g_bTrace = FALSE;
std::string g_strTrace;

void Trace(const char* pszCall, int iEvent = -1)
{
    std::lock_guard<std::mutex> guard(g_traceLock);
    if (!g_bTrace)
        return;
    g_strTrace += pszCall;
    if (iEvent >= 0)
        g_strTrace += " " + std::to_string(iEvent);
    g_strTrace += "\n";
}

template <typename F>
F Hook(GDIDC* pdc, ULONG iFunc)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(EngFindHook(&pdc->ded, iFunc)));
}

// One document event, when the printer's user-interface library takes them.
int DocEvent(GDIDC* pdc, HDC hdc, int iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    if (!pdc->pfnDocumentEvent)
        return DOCUMENTEVENT_SUCCESS;
    Trace("DOCEVENT", iEsc);
    return pdc->pfnDocumentEvent(pdc->hPrinter, hdc, iEsc, cbIn, pvIn, cbOut, pvOut);
}

// The printer's driver record: the graphics library and the configuration file.
BOOL GetDriverFiles(HANDLE hPrinter, std::u16string* pDriver, std::u16string* pConfig)
{
    DWORD cbNeeded = 0;
    GetPrinterDriverW(hPrinter, nullptr, 2, nullptr, 0, &cbNeeded);
    if (cbNeeded < sizeof(DRIVER_INFO_2W))
        return FALSE;
    std::vector<BYTE> buf(cbNeeded);
    if (!GetPrinterDriverW(hPrinter, nullptr, 2, buf.data(), cbNeeded, &cbNeeded))
        return FALSE;
    const DRIVER_INFO_2W* pInfo = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data());
    if (!pInfo->pDriverPath)
        return FALSE;
    *pDriver = pInfo->pDriverPath;
    *pConfig = pInfo->pConfigFile ? pInfo->pConfigFile : u"";
    return TRUE;
}

// The driver's DEVMODE for a printer that keeps no default of its own.
BOOL GetDriverDevmode(HANDLE hPrinter, std::vector<BYTE>* pOut)
{
    LONG cb = DocumentPropertiesW(nullptr, hPrinter, nullptr, nullptr, nullptr, 0);
    if (cb < static_cast<LONG>(sizeof(DEVMODEW)))
        return FALSE;
    pOut->assign(static_cast<size_t>(cb), 0);
    if (DocumentPropertiesW(nullptr, hPrinter, nullptr, reinterpret_cast<DEVMODEW*>(pOut->data()),
                            nullptr, DM_OUT_BUFFER) < 0) {
        pOut->clear();
        return FALSE;
    }
    return TRUE;
}

// The printer's default DEVMODE (PRINTER_INFO_2's), copied; else the driver's.
BOOL GetPrinterDevmode(HANDLE hPrinter, std::vector<BYTE>* pOut)
{
    DWORD cbNeeded = 0;
    GetPrinterW(hPrinter, 2, nullptr, 0, &cbNeeded);
    if (cbNeeded < sizeof(PRINTER_INFO_2W))
        return FALSE;
    std::vector<BYTE> buf(cbNeeded);
    if (!GetPrinterW(hPrinter, 2, buf.data(), cbNeeded, &cbNeeded))
        return FALSE;
    const PRINTER_INFO_2W* pInfo = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
    if (!pInfo->pDevMode)
        return GetDriverDevmode(hPrinter, pOut);
    const BYTE* pb = reinterpret_cast<const BYTE*>(pInfo->pDevMode);
    pOut->assign(pb, pb + pInfo->pDevMode->dmSize + pInfo->pDevMode->dmDriverExtra);
    return TRUE;
}

// A DEVMODE is copied by the size it gives; one whose size does not even
// cover the fields that give it (up to dmFields) is refused, so that no
// reader of the copy goes past it.
BOOL bDevmodeHeaderWhole(const DEVMODEW* pdm)
{
    return (size_t)pdm->dmSize + pdm->dmDriverExtra >= offsetof(DEVMODEW, dmFields) + sizeof(DWORD) &&
           pdm->dmSize >= offsetof(DEVMODEW, dmFields) + sizeof(DWORD);
}

void CopyDevmodeTo(std::vector<BYTE>* pOut, const DEVMODEW* pdm)
{
    const BYTE* pb = reinterpret_cast<const BYTE*>(pdm);
    pOut->assign(pb, pb + pdm->dmSize + pdm->dmDriverExtra);
}

// Enables one PDEV with its device and surface; FALSE leaves nothing behind.
BOOL EnableDevice(GDIDC* pdc, DEVMODEW* pdm, BOOL bWithSurface)
{
    auto pfnEnablePDEV = Hook<PFN_DrvEnablePDEV>(pdc, INDEX_DrvEnablePDEV);
    auto pfnCompletePDEV = Hook<PFN_DrvCompletePDEV>(pdc, INDEX_DrvCompletePDEV);
    auto pfnDisablePDEV = Hook<PFN_DrvDisablePDEV>(pdc, INDEX_DrvDisablePDEV);
    auto pfnEnableSurface = Hook<PFN_DrvEnableSurface>(pdc, INDEX_DrvEnableSurface);
    if (!pfnEnablePDEV || !pfnCompletePDEV || !pfnDisablePDEV || !pfnEnableSurface) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    HDEV hdev = PlatEngCreateDevice(nullptr);
    if (!hdev)
        return FALSE;
    GDIINFO gi;
    DEVINFO di;
    std::memset(&gi, 0, sizeof(gi));
    std::memset(&di, 0, sizeof(di));
    std::u16string strDevice = pdc->strPrinter;
    DHPDEV dhpdev = (Trace("DrvEnablePDEV"), pfnEnablePDEV)(pdm, nullptr, 0, nullptr, sizeof(gi), reinterpret_cast<ULONG*>(&gi),
                                  sizeof(di), &di, hdev, strDevice.data(), pdc->hPrinter);
    if (!dhpdev) {
        PlatEngDeleteDevice(hdev);
        return FALSE;
    }
    PlatEngSetDevicePDEV(hdev, dhpdev);
    // The engine hands drawing it cannot do on the device surface back to
    // the driver; a style unit is denStyleStep / xStyleStep pixels.
    PlatEngSetDeviceDriver(hdev, &pdc->ded, gi.xStyleStep > 0 ? gi.denStyleStep / gi.xStyleStep : 0);
    (Trace("DrvCompletePDEV"), pfnCompletePDEV)(dhpdev, hdev);
    pdc->hdev = hdev;
    pdc->dhpdev = dhpdev;
    pdc->gi = gi;
    pdc->di = di;
    if (bWithSurface) {
        pdc->hsurf = (Trace("DrvEnableSurface"), pfnEnableSurface)(dhpdev);
        if (!pdc->hsurf) {
            (Trace("DrvDisablePDEV"), pfnDisablePDEV)(dhpdev);
            PlatEngSetDeviceDriver(hdev, nullptr, 0);
            PlatEngDeleteDevice(hdev);
            pdc->hdev = nullptr;
            pdc->dhpdev = nullptr;
            return FALSE;
        }
    }
    return TRUE;
}

void DisableDevice(GDIDC* pdc)
{
    auto pfnDisableSurface = Hook<PFN_DrvDisableSurface>(pdc, INDEX_DrvDisableSurface);
    auto pfnDisablePDEV = Hook<PFN_DrvDisablePDEV>(pdc, INDEX_DrvDisablePDEV);
    if (pdc->dhpdev) {
        if (pdc->hsurf && pfnDisableSurface)
            (Trace("DrvDisableSurface"), pfnDisableSurface)(pdc->dhpdev);
        if (pfnDisablePDEV)
            (Trace("DrvDisablePDEV"), pfnDisablePDEV)(pdc->dhpdev);
    }
    if (pdc->hdev) {
        PlatEngSetDeviceDriver(pdc->hdev, nullptr, 0);
        PlatEngDeleteDevice(pdc->hdev);
    }
    pdc->hsurf = nullptr;
    pdc->dhpdev = nullptr;
    pdc->hdev = nullptr;
}

void FreePrinterDC(GDIDC* pdc)
{
    DisableDevice(pdc);
    if (pdc->hGraphics) {
        auto pfnDisableDriver = reinterpret_cast<PFN_DrvDisableDriver>(
            reinterpret_cast<void (*)(void)>(GetProcAddress(pdc->hGraphics, "DrvDisableDriver")));
        if (pfnDisableDriver)
            (Trace("DrvDisableDriver"), pfnDisableDriver)();
        FreeLibrary(pdc->hGraphics);
    }
    if (pdc->hUi)
        FreeLibrary(pdc->hUi);
    if (pdc->hPrinter)
        ClosePrinter(pdc->hPrinter);
    GdiUnregister(pdc);
    delete pdc;
}

// The surface object of a printer DC, locked; null without a surface.
SURFOBJ* LockDC(GDIDC* pdc)
{
    return pdc->hsurf ? EngLockSurface(pdc->hsurf) : nullptr;
}

}  // namespace

HDC CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR pwszOutput, const DEVMODEW* pdm)
{
    (void)pwszOutput;
    if (!pwszDevice || !pwszDevice[0] || (pdm && !bDevmodeHeaderWhole(pdm))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GDIDC* pdc = new (std::nothrow) GDIDC();
    if (!pdc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pdc->hdr.eKind = GDI_PRINTERDC;
    pdc->strPrinter = pwszDevice;
    GdiRegister(pdc);
    HDC hdc = reinterpret_cast<HDC>(pdc);

    std::u16string strDriverFile, strConfigFile;
    if (!OpenPrinterW(const_cast<LPWSTR>(pdc->strPrinter.c_str()), &pdc->hPrinter, nullptr) ||
        !GetDriverFiles(pdc->hPrinter, &strDriverFile, &strConfigFile)) {
        DWORD dwErr = GetLastError();
        FreePrinterDC(pdc);
        SetLastError(dwErr ? dwErr : ERROR_INVALID_PRINTER_NAME);
        return nullptr;
    }
    if (!strConfigFile.empty()) {
        // A driver whose configuration file cannot be loaded would print
        // without its document events (the job's identity and its end):
        // the device context is refused instead.
        pdc->hUi = LoadLibraryW(strConfigFile.c_str());
        if (!pdc->hUi) {
            DWORD dwErr = GetLastError();
            FreePrinterDC(pdc);
            SetLastError(dwErr ? dwErr : ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        pdc->pfnDocumentEvent = reinterpret_cast<PFN_DrvDocumentEvent>(
            reinterpret_cast<void (*)(void)>(GetProcAddress(pdc->hUi, "DrvDocumentEvent")));
    }

    // CREATEDCPRE may hand back a DEVMODE of its own for the DC.
    DOCEVENT_CREATEDCPRE pre = {pwszDriver, pdc->strPrinter.c_str(), const_cast<DEVMODEW*>(pdm), FALSE};
    DEVMODEW* pdmFromUi = nullptr;
    if (DocEvent(pdc, nullptr, DOCUMENTEVENT_CREATEDCPRE, sizeof(pre), &pre, sizeof(pdmFromUi),
                 &pdmFromUi) == DOCUMENTEVENT_FAILURE) {
        FreePrinterDC(pdc);
        SetLastError(ERROR_CANCELLED);
        return nullptr;
    }
    const DEVMODEW* pdmUse = pdmFromUi ? pdmFromUi : pdm;
    if (pdmUse)
        CopyDevmodeTo(&pdc->devmode, pdmUse);
    else if (!GetPrinterDevmode(pdc->hPrinter, &pdc->devmode))
        pdc->devmode.clear();

    pdc->hGraphics = LoadLibraryW(strDriverFile.c_str());
    auto pfnEnableDriver = pdc->hGraphics
                               ? reinterpret_cast<PFN_DrvEnableDriver>(reinterpret_cast<void (*)(void)>(
                                     GetProcAddress(pdc->hGraphics, "DrvEnableDriver")))
                               : nullptr;
    if (!pfnEnableDriver || !(Trace("DrvEnableDriver"), pfnEnableDriver)(DDI_DRIVER_VERSION_NT5, sizeof(pdc->ded), &pdc->ded) ||
        !EnableDevice(pdc, pdc->devmode.empty() ? nullptr
                                                : reinterpret_cast<DEVMODEW*>(pdc->devmode.data()),
                      TRUE)) {
        DWORD dwErr = GetLastError();
        FreePrinterDC(pdc);
        SetLastError(dwErr ? dwErr : ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    DEVMODEW* pdmPost = pdc->devmode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(pdc->devmode.data());
    DocEvent(pdc, hdc, DOCUMENTEVENT_CREATEDCPOST, sizeof(pdmPost), &pdmPost, 0, nullptr);
    return hdc;
}

int StartDocW(HDC hdc, const DOCINFOW* pdi)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc || !pdi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    if (pdc->bDocStarted) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    const DOCINFOW* pdiArg = pdi;
    if (DocEvent(pdc, hdc, DOCUMENTEVENT_STARTDOCPRE, sizeof(pdiArg), &pdiArg, 0, nullptr) ==
        DOCUMENTEVENT_FAILURE) {
        SetLastError(ERROR_CANCELLED);
        return SP_ERROR;
    }
    DOC_INFO_1W info = {const_cast<LPWSTR>(pdi->lpszDocName), const_cast<LPWSTR>(pdi->lpszOutput),
                        const_cast<LPWSTR>(u"RAW")};
    DWORD dwJob = (Trace("StartDocPrinter"), StartDocPrinterW)(pdc->hPrinter, 1, reinterpret_cast<LPBYTE>(&info));
    if (dwJob == 0)
        return SP_ERROR;
    pdc->dwJobId = dwJob;
    pdc->strDocName = pdi->lpszDocName ? pdi->lpszDocName : u"";
    auto pfnStartDoc = Hook<PFN_DrvStartDoc>(pdc, INDEX_DrvStartDoc);
    SURFOBJ* pso = LockDC(pdc);
    BOOL bOk = pfnStartDoc && pso &&
               (Trace("DrvStartDoc"), pfnStartDoc)(pso, pdi->lpszDocName ? pdc->strDocName.data() : nullptr, dwJob);
    if (pso)
        EngUnlockSurface(pso);
    if (!bOk) {
        (Trace("AbortPrinter"), AbortPrinter)(pdc->hPrinter);
        return SP_ERROR;
    }
    pdc->bDocStarted = TRUE;
    DocEvent(pdc, hdc, DOCUMENTEVENT_STARTDOCPOST, sizeof(dwJob), &dwJob, 0, nullptr);
    return static_cast<int>(dwJob);
}

int StartPage(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc || !pdc->bDocStarted) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    if (DocEvent(pdc, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr) == DOCUMENTEVENT_FAILURE)
        return SP_ERROR;
    StartPagePrinter(pdc->hPrinter);
    auto pfnStartPage = Hook<PFN_DrvStartPage>(pdc, INDEX_DrvStartPage);
    SURFOBJ* pso = LockDC(pdc);
    BOOL bOk = pfnStartPage && pso && (Trace("DrvStartPage"), pfnStartPage)(pso);
    if (pso)
        EngUnlockSurface(pso);
    pdc->bPageStarted = bOk;
    return bOk ? 1 : SP_ERROR;
}

int EndPage(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc || !pdc->bDocStarted) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    if (DocEvent(pdc, hdc, DOCUMENTEVENT_ENDPAGE, 0, nullptr, 0, nullptr) == DOCUMENTEVENT_FAILURE)
        return SP_ERROR;
    SURFOBJ* pso = LockDC(pdc);
    BOOL bOk = pso != nullptr;
    BOOL bBanding = FALSE;
    if (pso)
        PlatEngQuerySurface(pdc->hsurf, nullptr, &bBanding);
    if (bOk && bBanding) {
        // The banding loop: the page is sent band by band until the driver
        // answers (-1, -1). A driver that never does is stopped after as
        // many bands as a page of the largest size could need.
        auto pfnStartBanding = Hook<PFN_DrvStartBanding>(pdc, INDEX_DrvStartBanding);
        auto pfnNextBand = Hook<PFN_DrvNextBand>(pdc, INDEX_DrvNextBand);
        POINTL ptl = {0, 0};
        bOk = pfnStartBanding && pfnNextBand && (Trace("DrvStartBanding"), pfnStartBanding)(pso, &ptl);
        for (int i = 0; bOk && i < 65536; i++) {
            // The page's drawing goes into each band before it is sent.
            GdiDrawPlayBand(hdc, ptl);
            bOk = (Trace("DrvNextBand"), pfnNextBand)(pso, &ptl);
            if (ptl.x == -1 && ptl.y == -1)
                break;
        }
    }
    GdiDrawEndPage(hdc);
    auto pfnSendPage = Hook<PFN_DrvSendPage>(pdc, INDEX_DrvSendPage);
    if (bOk)
        bOk = pfnSendPage && (Trace("DrvSendPage"), pfnSendPage)(pso);
    if (pso)
        EngUnlockSurface(pso);
    EndPagePrinter(pdc->hPrinter);
    pdc->bPageStarted = FALSE;
    return bOk ? 1 : SP_ERROR;
}

// Ends the open document; bAbort sends ED_ABORTDOC and drops the spool job.
static int EndDocument(GDIDC* pdc, HDC hdc, BOOL bAbort)
{
    if (!pdc->bDocStarted) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    DocEvent(pdc, hdc, bAbort ? DOCUMENTEVENT_ABORTDOC : DOCUMENTEVENT_ENDDOCPRE, 0, nullptr, 0,
             nullptr);
    auto pfnEndDoc = Hook<PFN_DrvEndDoc>(pdc, INDEX_DrvEndDoc);
    SURFOBJ* pso = LockDC(pdc);
    BOOL bOk = pfnEndDoc && pso && (Trace("DrvEndDoc"), pfnEndDoc)(pso, bAbort ? ED_ABORTDOC : 0);
    if (pso)
        EngUnlockSurface(pso);
    pdc->bDocStarted = FALSE;
    pdc->bPageStarted = FALSE;
    if (bAbort || !bOk) {
        (Trace("AbortPrinter"), AbortPrinter)(pdc->hPrinter);
    } else if (!(Trace("EndDocPrinter"), EndDocPrinter)(pdc->hPrinter)) {
        bOk = FALSE;
    }
    if (!bAbort)
        DocEvent(pdc, hdc, DOCUMENTEVENT_ENDDOCPOST, 0, nullptr, 0, nullptr);
    return bOk ? 1 : SP_ERROR;
}

int EndDoc(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    return EndDocument(pdc, hdc, FALSE);
}

int AbortDoc(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SP_ERROR;
    }
    return EndDocument(pdc, hdc, TRUE);
}

HDC ResetDCW(HDC hdc, const DEVMODEW* pdm)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc || !pdm || !bDevmodeHeaderWhole(pdm) || pdc->bPageStarted) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The handlers of RESETDCPRE may rewrite the DEVMODE (settings carried
    // across the reset); they get a copy of their own, never the caller's.
    std::vector<BYTE> newDevmode;
    CopyDevmodeTo(&newDevmode, pdm);
    DEVMODEW* pdmArg = reinterpret_cast<DEVMODEW*>(newDevmode.data());
    if (DocEvent(pdc, hdc, DOCUMENTEVENT_RESETDCPRE, sizeof(pdmArg), &pdmArg, 0, nullptr) ==
        DOCUMENTEVENT_FAILURE)
        return nullptr;
    if (pdmArg != reinterpret_cast<DEVMODEW*>(newDevmode.data())) {
        std::vector<BYTE> replaced;
        CopyDevmodeTo(&replaced, pdmArg);
        newDevmode.swap(replaced);
    }

    GDIDC next;  // the new device, built before the old one goes
    next.ded = pdc->ded;
    next.hPrinter = pdc->hPrinter;
    next.strPrinter = pdc->strPrinter;
    if (!EnableDevice(&next, reinterpret_cast<DEVMODEW*>(newDevmode.data()), FALSE))
        return nullptr;
    auto pfnResetPDEV = Hook<PFN_DrvResetPDEV>(pdc, INDEX_DrvResetPDEV);
    if (!pfnResetPDEV || !(Trace("DrvResetPDEV"), pfnResetPDEV)(pdc->dhpdev, next.dhpdev)) {
        DisableDevice(&next);
        return nullptr;
    }
    DisableDevice(pdc);
    pdc->hdev = next.hdev;
    pdc->dhpdev = next.dhpdev;
    pdc->gi = next.gi;
    pdc->di = next.di;
    pdc->devmode.swap(newDevmode);
    PlatEngSetDeviceDriver(pdc->hdev, &pdc->ded,
                           pdc->gi.xStyleStep > 0 ? pdc->gi.denStyleStep / pdc->gi.xStyleStep : 0);
    next.hdev = nullptr;
    next.dhpdev = nullptr;
    auto pfnEnableSurface = Hook<PFN_DrvEnableSurface>(pdc, INDEX_DrvEnableSurface);
    pdc->hsurf = pfnEnableSurface ? (Trace("DrvEnableSurface"), pfnEnableSurface)(pdc->dhpdev) : nullptr;
    if (pdc->hsurf && pdc->bDocStarted) {
        // The open job continues on the new PDEV.
        auto pfnStartDoc = Hook<PFN_DrvStartDoc>(pdc, INDEX_DrvStartDoc);
        SURFOBJ* pso = LockDC(pdc);
        if (pso && pfnStartDoc)
            (Trace("DrvStartDoc"), pfnStartDoc)(pso, pdc->strDocName.data(), pdc->dwJobId);
        if (pso)
            EngUnlockSurface(pso);
    }
    DEVMODEW* pdmPost = reinterpret_cast<DEVMODEW*>(pdc->devmode.data());
    DocEvent(pdc, hdc, DOCUMENTEVENT_RESETDCPOST, sizeof(pdmPost), &pdmPost, 0, nullptr);
    return pdc->hsurf ? hdc : nullptr;
}

BOOL DeleteDC(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (pdc) {
        if (pdc->bDocStarted)
            EndDocument(pdc, hdc, TRUE);
        DocEvent(pdc, hdc, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr);
        GdiDrawFreeDC(hdc);
        GdiTextForgetDC(hdc);
        FreePrinterDC(pdc);
        return TRUE;
    }
    return GdiDeleteMemoryDC(hdc);
}

int ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc || cjInput < 0 || cjOutput < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto pfnEscape = Hook<PFN_DrvEscape>(pdc, INDEX_DrvEscape);
    if (!pfnEscape)
        return 0;
    SURFOBJ* pso = LockDC(pdc);
    if (!pso)
        return 0;
    ULONG ulResult = (Trace("DrvEscape"), pfnEscape)(pso, static_cast<ULONG>(iEscape), static_cast<ULONG>(cjInput),
                               const_cast<LPSTR>(lpInData), static_cast<ULONG>(cjOutput), lpOutData);
    EngUnlockSurface(pso);
    return static_cast<int>(ulResult);
}

int GetDeviceCaps(HDC hdc, int index)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (!pdc)
        return GdiMemoryDCCaps(hdc, index);
    const GDIINFO& gi = pdc->gi;
    switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return static_cast<int>(gi.ulTechnology);
    case HORZSIZE: return static_cast<int>(gi.ulHorzSize);
    case VERTSIZE: return static_cast<int>(gi.ulVertSize);
    case HORZRES: return static_cast<int>(gi.ulHorzRes);
    case VERTRES: return static_cast<int>(gi.ulVertRes);
    case BITSPIXEL: return static_cast<int>(gi.cBitsPixel);
    case PLANES: return static_cast<int>(gi.cPlanes);
    case NUMCOLORS: return static_cast<int>(gi.ulNumColors);
    case TEXTCAPS: return static_cast<int>(gi.flTextCaps);
    case RASTERCAPS: return static_cast<int>(gi.flRaster);
    case ASPECTX: return static_cast<int>(gi.ulAspectX);
    case ASPECTY: return static_cast<int>(gi.ulAspectY);
    case ASPECTXY: return static_cast<int>(gi.ulAspectXY);
    case LOGPIXELSX: return static_cast<int>(gi.ulLogPixelsX);
    case LOGPIXELSY: return static_cast<int>(gi.ulLogPixelsY);
    case SIZEPALETTE: return static_cast<int>(gi.ulNumPalReg);
    case PHYSICALWIDTH: return gi.szlPhysSize.cx;
    case PHYSICALHEIGHT: return gi.szlPhysSize.cy;
    case PHYSICALOFFSETX: return gi.ptlPhysOffset.x;
    case PHYSICALOFFSETY: return gi.ptlPhysOffset.y;
    default: return 0;
    }
}

SURFOBJ* PlatGdiLockDCSurface(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    if (pdc)
        return LockDC(pdc);
    return GdiLockMemoryDCSurface(hdc);
}

void PlatGdiUnlockDCSurface(SURFOBJ* pso)
{
    if (pso)
        EngUnlockSurface(pso);
}

void* PlatGdiGetDhpdev(HDC hdc)
{
    GDIDC* pdc = GdiLookupDC(hdc, GDI_PRINTERDC);
    return pdc ? pdc->dhpdev : nullptr;
}

void PlatGdiTrace(BOOL bOn)
{
    std::lock_guard<std::mutex> guard(g_traceLock);
    g_bTrace = bOn;
    if (bOn)
        g_strTrace.clear();
}

const char* PlatGdiTraceText()
{
    std::lock_guard<std::mutex> guard(g_traceLock);
    return g_strTrace.c_str();
}
