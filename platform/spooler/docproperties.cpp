// docproperties.cpp: DocumentPropertiesW, the application's road to a
// printer driver's DEVMODE.
//
// Owns: DocumentPropertiesW. It finds the printer's user-interface library
// (the configuration file of its driver), loads it, and hands it a
// DOCUMENTPROPERTYHEADER through DrvDocumentPropertySheets without a
// property sheet, as the platform does for a call that shows nothing. The
// library is released before the call returns.
#include "platform/spooler/drvinterface.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/memory.h"
#include "platform/kernel/modules.h"
#include "platform/spooler/winspool.h"

#include <new>

namespace {

typedef LONG (*PFN_DOCPROPSHEETS)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);

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

}  // namespace

extern "C" Q730_EXPORT LONG DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                                PDEVMODEW pDevModeOutput, PDEVMODEW pDevModeInput,
                                                DWORD fMode)
{
    if (fMode & DM_IN_PROMPT) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return -1;
    }
    if ((fMode & DM_OUT_BUFFER) && !pDevModeOutput) {
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
        PFN_DOCPROPSHEETS pfn =
            reinterpret_cast<PFN_DOCPROPSHEETS>(
            reinterpret_cast<void*>(GetProcAddress(hModule, "DrvDocumentPropertySheets")));
        if (pfn) {
            DOCUMENTPROPERTYHEADER dph = {};
            dph.cbSize = sizeof(dph);
            dph.hPrinter = hPrinter;
            dph.pszPrinterName = pDeviceName;
            dph.pdmIn = (fMode & DM_IN_BUFFER) ? pDevModeInput : NULL;
            dph.pdmOut = (fMode & DM_OUT_BUFFER) ? pDevModeOutput : NULL;
            dph.fMode = fMode;
            LONG l = pfn(NULL, (LPARAM)&dph);
            // The size query answers the size; a request answers IDOK.
            lResult = fMode == 0 ? l : (l > 0 ? 1 : -1);
        }
        FreeLibrary(hModule);
    }
    if (hOwn)
        ClosePrinter(hOwn);
    return lResult;
}
