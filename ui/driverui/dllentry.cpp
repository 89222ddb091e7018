// dllentry.cpp: the export table of Q730MVU3 and its load-time entry.
//
// Owns: the twelve exports (each a one-line forwarder to its body), the
// process-wide instance handle and critical section, the entry log line, and
// the bodies that answer without any work: job acceptance, the printer
// properties call and the document events, which have no handlers in this
// library yet and so pass every event.
//
// Exports, in ordinal order:
//   1 DevQueryPrintEx               7 DrvDocumentEvent
//   2 DllInitialize                 8 DrvDocumentProperties
//   3 DrvAdvancedDocumentProperties 9 DrvDocumentPropertySheets
//   4 DrvConvertDevMode            10 DrvPrinterEvent
//   5 DrvDeviceCapabilities        11 XR_GetEnvExtraSize
//   6 DrvDevicePropertySheets      12 PrinterProperties
#include "ui/driverui/driverui.h"
#include "ui/driverui/docevent.h"

#include "platform/windows.h"
#include "ui/driverui/drvsettings.h"

#include <cstring>

namespace {

HINSTANCE g_hInstance = NULL;
// Initialised at load and deleted at unload; no body enters it, since the
// bodies share no mutable state.
CRITICAL_SECTION g_csDriverUi;
bool g_bCsReady = false;

}  // namespace

HINSTANCE DrvUiGetInstance()
{
    return g_hInstance;
}

void DrvUiLogCalled(const char* pszBody)
{
    // "UI:" + body + "() Called\n", widened; body names are ASCII.
    WCHAR szLine[96];
    const char* pszParts[] = {"UI:", pszBody, "() Called\n"};
    size_t n = 0;
    for (const char* pszPart : pszParts)
        for (const char* p = pszPart; *p && n + 1 < sizeof(szLine) / sizeof(szLine[0]); ++p)
            szLine[n++] = (WCHAR)(unsigned char)*p;
    szLine[n] = 0;
    OutputDebugStringW(szLine);
}

BOOL bAcceptJobDevmode(PDEVQUERYPRINT_INFO pDQPInfo)
{
    // Every job prints: whatever its DEVMODE, the graphics library merges and
    // validates it, so there is no reason to hold a job back.
    return TRUE;
}

// ---------------------------------------------------------------------------
// Exports.

Q730_EXPORT BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo)
{
    return bAcceptJobDevmode(pDQPInfo);
}

Q730_EXPORT BOOL WINAPI DllInitialize(HINSTANCE hInst, ULONG ulReason, PVOID pvReserved)
{
    switch (ulReason) {
    case DLL_PROCESS_ATTACH:
        g_hInstance = hInst;
        if (!g_bCsReady) {
            InitializeCriticalSection(&g_csDriverUi);
            g_bCsReady = true;
        }
        break;
    case DLL_PROCESS_DETACH:
        if (g_bCsReady) {
            DeleteCriticalSection(&g_csDriverUi);
            g_bCsReady = false;
        }
        break;
    default:
        break;
    }
    return TRUE;
}

Q730_EXPORT LONG WINAPI DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter,
                                                      PWSTR pDeviceName, PDEVMODEW pdmOutput,
                                                      PDEVMODEW pdmInput)
{
    return RN_DrvAdvancedDocumentProperties(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput);
}

Q730_EXPORT BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                                          PLONG pcbNeeded, DWORD fMode)
{
    return RN_DrvConvertDevMode(pPrinterName, pdmIn, pdmOut, pcbNeeded, fMode);
}

Q730_EXPORT DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap,
                                               PVOID pvOutput, PDEVMODEW pdm)
{
    return DeviceCapabilitiesEntry(hPrinter, pDeviceName, iDevCap, pvOutput, pdm);
}

Q730_EXPORT LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    return RN_DrvDevicePropertySheets(pPSUIInfo, lParam);
}

Q730_EXPORT INT WINAPI DrvDocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn,
                                        PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    return DispatchDocumentEvent(hPrinter, hdc, iEsc, cbIn, pvIn, cbOut, pvOut);
}

Q730_EXPORT LONG WINAPI DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                              PDEVMODEW pdmOutput, PDEVMODEW pdmInput,
                                              DWORD fMode)
{
    return RN_DrvDocumentProperties(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput, fMode);
}

Q730_EXPORT LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    return DocumentPropertySheetsEntry(pPSUIInfo, lParam);
}

Q730_EXPORT BOOL WINAPI DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags,
                                        LPARAM lParam)
{
    return RN_DrvPrinterEvent(pPrinterName, DriverEvent, Flags, lParam);
}

Q730_EXPORT BOOL WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter)
{
    return TRUE;
}
