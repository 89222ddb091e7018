// docproperties.cpp: the application's and the printers folder's roads to a
// printer driver's DEVMODE and sheets.
//
// Owns: DocumentPropertiesW, AdvancedDocumentPropertiesW, PrinterProperties
// and PlatPrintingPreferences. Each finds the printer's user-interface
// library (the configuration file of its driver) and loads it. A call that
// shows nothing hands DrvDocumentPropertySheets a DOCUMENTPROPERTYHEADER
// directly; a call that shows a sheet runs the common property-sheet host
// (CommonPropertySheetUIW of COMPSTUI.DLL) with the driver's
// DrvDocumentPropertySheets or DrvDevicePropertySheets inside the spooler's
// own sheet body, which titles the sheet as the system does ("<printer>
// Printing Preferences", "<printer> Properties"). Both libraries are released before the call returns.
#include "platform/spooler/drvinterface.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/memory.h"
#include "platform/kernel/modules.h"
#include "platform/spooler/splutil.h"
#include "platform/spooler/winspool.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <string>
#include <vector>

// The dialog answers the sheet calls give.
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif

namespace {

typedef LONG (*PFN_PROPSHEETBODY)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
typedef LONG (*PFN_COMMONPROPSHEETUI)(HWND hWndOwner, PFN_PROPSHEETBODY pfnPropSheetUI, LPARAM lParam,
                                      LPDWORD pResult);

// The driver's configuration file (its user-interface library) of an open
// printer, loaded; null with the last error set.
HMODULE _hLoadDriverUi(HANDLE hPrinter)
{
    DWORD cbNeeded = 0;
    GetPrinterDriverW(hPrinter, NULL, 2, NULL, 0, &cbNeeded);
    if (!cbNeeded)
        return NULL;
    BYTE* pInfo = new (std::nothrow) BYTE[cbNeeded];
    if (!pInfo) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HMODULE hModule = NULL;
    if (GetPrinterDriverW(hPrinter, NULL, 2, pInfo, cbNeeded, &cbNeeded)) {
        const DRIVER_INFO_2W* pdi = (const DRIVER_INFO_2W*)pInfo;
        if (pdi->pConfigFile && pdi->pConfigFile[0])
            hModule = LoadLibraryW(pdi->pConfigFile);
        else
            SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    }
    delete[] pInfo;
    return hModule;
}

PFN_PROPSHEETBODY _pfnBody(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<PFN_PROPSHEETBODY>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
}

// The spooler's own body around a driver's sheet body, as the host sees
// it: every reason goes to the driver; at GET_INFO the spooler titles the
// sheet as the system does, the printer's name the driver gives followed by
// what the sheet is: "Printing Preferences" for the document sheet,
// "Properties" for the device sheet.
struct SHEETBODY {
    PFN_PROPSHEETBODY pfnDriver;
    bool bDocument;
    HANDLE hComPropSheet;   // the host's handle, from INIT on
    std::u16string title;   // the title handed to the host
};

std::mutex g_bodyLock;
std::vector<SHEETBODY*> g_bodies;  // the sheets open, the newest last

SHEETBODY* _Body(const PROPSHEETUI_INFO* pInfo)
{
    std::lock_guard<std::mutex> lock(g_bodyLock);
    for (auto it = g_bodies.rbegin(); it != g_bodies.rend(); ++it)
        if ((*it)->hComPropSheet == pInfo->hComPropSheet)
            return *it;
    // INIT: the sheet just started is the newest without a host handle.
    for (auto it = g_bodies.rbegin(); it != g_bodies.rend(); ++it) {
        if (!(*it)->hComPropSheet) {
            (*it)->hComPropSheet = pInfo->hComPropSheet;
            return *it;
        }
    }
    return nullptr;
}

LONG _SpoolerSheetBody(PPROPSHEETUI_INFO pInfo, LPARAM lParam)
{
    SHEETBODY* b = pInfo ? _Body(pInfo) : nullptr;
    if (!b)
        return -1;
    LONG l = b->pfnDriver(pInfo, lParam);
    if (pInfo->Reason == PROPSHEETUI_REASON_GET_INFO && l > 0 && lParam) {
        PROPSHEETUI_INFO_HEADER* pHeader = (PROPSHEETUI_INFO_HEADER*)lParam;
        if (pHeader->Flags & PSUIHDRF_PROPTITLE) {
            b->title = pHeader->pTitle ? std::u16string(pHeader->pTitle) : std::u16string();
            b->title += b->bDocument ? u" Printing Preferences" : u" Properties";
            pHeader->pTitle = (LPWSTR)b->title.c_str();
            pHeader->Flags &= (WORD)~PSUIHDRF_PROPTITLE;
        }
    }
    return l;
}

// Runs the common property-sheet host with a driver's sheet body, inside
// the spooler's own. Answers the host's answer (below 0 when no sheet could
// be shown) and the body's result in *pResult.
LONG _RunSheet(HWND hWnd, PFN_PROPSHEETBODY pfnBody, bool bDocument, LPARAM lParam, DWORD* pResult)
{
    *pResult = CPSUI_CANCEL;
    HMODULE hHost = LoadLibraryW(u"COMPSTUI.DLL");
    if (!hHost)
        return -1;
    PFN_COMMONPROPSHEETUI pfnHost = reinterpret_cast<PFN_COMMONPROPSHEETUI>(
        reinterpret_cast<void*>(GetProcAddress(hHost, "CommonPropertySheetUIW")));
    SHEETBODY body = {pfnBody, bDocument, NULL, std::u16string()};
    {
        std::lock_guard<std::mutex> lock(g_bodyLock);
        g_bodies.push_back(&body);
    }
    LONG l = pfnHost ? pfnHost(hWnd, _SpoolerSheetBody, lParam, pResult) : -1;
    {
        std::lock_guard<std::mutex> lock(g_bodyLock);
        g_bodies.erase(std::find(g_bodies.begin(), g_bodies.end(), &body));
    }
    FreeLibrary(hHost);
    if (l < 0 && GetLastError() == ERROR_SUCCESS)
        SetLastError(ERROR_CANCELLED);
    return l;
}

// The printer's name as the spooler keeps it, for the header records.
std::u16string _PrinterName(HANDLE hPrinter)
{
    DWORD cb = 0;
    GetPrinterW(hPrinter, 1, NULL, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (!cb || !GetPrinterW(hPrinter, 1, info.data(), cb, &cb))
        return std::u16string();
    const PRINTER_INFO_1W* pi = (const PRINTER_INFO_1W*)info.data();
    return pi->pName ? std::u16string(pi->pName) : std::u16string();
}

// The user's own default DEVMODE of a printer, else its global default;
// empty when it has neither.
std::vector<BYTE> _DefaultDevmode(HANDLE hPrinter)
{
    DWORD cb = 0;
    GetPrinterW(hPrinter, 2, NULL, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (!cb || !GetPrinterW(hPrinter, 2, info.data(), cb, &cb))
        return std::vector<BYTE>();
    const DEVMODEW* pdm = ((const PRINTER_INFO_2W*)info.data())->pDevMode;
    if (!pdm)
        return std::vector<BYTE>();
    const BYTE* pb = (const BYTE*)pdm;
    return std::vector<BYTE>(pb, pb + pdm->dmSize + pdm->dmDriverExtra);
}

}  // namespace

Q730_EXPORT LONG DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                     PDEVMODEW pDevModeOutput, PDEVMODEW pDevModeInput,
                                     DWORD fMode)
{
    if ((fMode & DM_OUT_BUFFER) && !pDevModeOutput) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if ((fMode & DM_IN_BUFFER) && pDevModeInput && pDevModeInput->dmSize < 72) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }

    HANDLE hOwn = NULL;
    if (!hPrinter) {
        if (!pDeviceName || !OpenPrinterW(pDeviceName, &hOwn, NULL))
            return -1;
        hPrinter = hOwn;
    }

    LONG lResult = -1;
    HMODULE hModule = _hLoadDriverUi(hPrinter);
    if (hModule) {
        PFN_PROPSHEETBODY pfn = _pfnBody(hModule, "DrvDocumentPropertySheets");
        if (!pfn)
            SetLastError(ERROR_PROC_NOT_FOUND);
        if (pfn) {
            DOCUMENTPROPERTYHEADER dph = {};
            dph.cbSize = sizeof(dph);
            dph.hPrinter = hPrinter;
            dph.pszPrinterName = pDeviceName;
            dph.pdmIn = (fMode & DM_IN_BUFFER) ? pDevModeInput : NULL;
            dph.pdmOut = (fMode & DM_OUT_BUFFER) ? pDevModeOutput : NULL;
            dph.fMode = fMode;
            if (fMode & DM_IN_PROMPT) {
                // The sheet: the driver's pages in the common host. The
                // driver answers CPSUI_OK through its SET_RESULT when the
                // user closed the sheet with OK.
                DWORD dwResult = CPSUI_CANCEL;
                LONG l = _RunSheet(hWnd, pfn, true, (LPARAM)&dph, &dwResult);
                lResult = l < 0 ? -1 : dwResult == CPSUI_OK ? IDOK : IDCANCEL;
            } else {
                LONG l = pfn(NULL, (LPARAM)&dph);
                // The size query answers the size; a request answers IDOK.
                lResult = fMode == 0 ? l : (l > 0 ? IDOK : -1);
            }
        }
        FreeLibrary(hModule);
    }
    if (hOwn)
        ClosePrinter(hOwn);
    return lResult;
}

Q730_EXPORT LONG AdvancedDocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                             PDEVMODEW pDevModeOutput, PDEVMODEW pDevModeInput)
{
    // Without an output buffer the caller asks for the size.
    if (!pDevModeOutput)
        return DocumentPropertiesW(hWnd, hPrinter, pDeviceName, NULL, NULL, 0);
    LONG l = DocumentPropertiesW(hWnd, hPrinter, pDeviceName, pDevModeOutput, pDevModeInput,
                                 DM_IN_PROMPT | DM_OUT_BUFFER | (pDevModeInput ? DM_IN_BUFFER : 0));
    return l == IDOK ? IDOK : l == IDCANCEL ? 0 : -1;
}

Q730_EXPORT BOOL PrinterProperties(HWND hWnd, HANDLE hPrinter)
{
    return PlatPrinterProperties(hWnd, hPrinter) >= 0;
}

LONG PlatPrinterProperties(HWND hWnd, HANDLE hPrinter)
{
    if (!hPrinter) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    std::u16string name = _PrinterName(hPrinter);
    if (name.empty())
        return -1;
    HMODULE hModule = _hLoadDriverUi(hPrinter);
    if (!hModule)
        return -1;
    LONG lResult = -1;
    PFN_PROPSHEETBODY pfn = _pfnBody(hModule, "DrvDevicePropertySheets");
    if (!pfn) {
        SetLastError(ERROR_PROC_NOT_FOUND);
    } else {
        DEVICEPROPERTYHEADER dph = {};
        dph.cbSize = sizeof(dph);
        // A user who may not administer the printer sees its settings but
        // cannot change them.
        dph.Flags = (SplHandleAccess(hPrinter) & PRINTER_ACCESS_ADMINISTER) ? 0 : DPS_NOPERMISSION;
        dph.hPrinter = hPrinter;
        dph.pszPrinterName = (LPWSTR)name.c_str();
        DWORD dwResult = CPSUI_CANCEL;
        LONG l = _RunSheet(hWnd, pfn, false, (LPARAM)&dph, &dwResult);
        lResult = l < 0 ? -1 : dwResult == CPSUI_OK ? IDOK : IDCANCEL;
    }
    FreeLibrary(hModule);
    return lResult;
}

LONG PlatPrintingPreferences(HWND hWnd, HANDLE hPrinter)
{
    LONG cb = DocumentPropertiesW(hWnd, hPrinter, NULL, NULL, NULL, 0);
    if (cb < 72)
        return -1;
    std::u16string name = _PrinterName(hPrinter);
    std::vector<BYTE> in = _DefaultDevmode(hPrinter);
    std::vector<BYTE> out((size_t)cb, 0);
    DWORD fMode = DM_USER_DEFAULT | DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER;
    LONG l = DocumentPropertiesW(hWnd, hPrinter, name.empty() ? NULL : (LPWSTR)name.c_str(),
                                 (PDEVMODEW)out.data(), in.empty() ? NULL : (PDEVMODEW)in.data(), fMode);
    if (l != IDOK)
        return l;
    const DEVMODEW* pdm = (const DEVMODEW*)out.data();
    if (pdm->dmSize < 72 || (size_t)pdm->dmSize + pdm->dmDriverExtra > out.size()) {
        SetLastError(ERROR_INVALID_DATA);
        return -1;
    }
    PRINTER_INFO_9W pi9 = {(LPDEVMODEW)out.data()};
    return SetPrinterW(hPrinter, 9, (LPBYTE)&pi9, 0) ? IDOK : -1;
}
