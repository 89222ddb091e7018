// printevent.cpp: what the driver does when the spooler sets up a printer.
//
// Owns: DrvPrinterEvent's body. At initialisation the printer's default
// DEVMODE is built and stored as printer data "RNOVA NT" (2615 bytes,
// REG_BINARY), the value every later merge takes the installable options
// from, and the user-mode driver name is published. Other events need no
// work.
//
// Every path that opened the printer closes it; no event fails because the
// printer cannot be opened.
#include "ui/driverui/driverui.h"

#include "platform/windows.h"
#include "ui/driverui/drvsettings.h"

namespace {

const WCHAR kszDefaultValue[] = u"RNOVA NT";

// The printer's default DEVMODE into "RNOVA NT". FALSE when the option
// database or the memory is missing, or no default could be built: no
// half-built default is ever stored.
BOOL _bStoreDefaultDevmode(HANDLE hPrinter, LPWSTR pPrinterName)
{
    POPTIONDB hDb = OpenOptionDb();
    if (!hDb)
        return FALSE;
    BOOL bOk = FALSE;
    HGLOBAL h = GlobalAlloc(GHND, DRVUI_CB_DEVMODE);
    DEVMODEW* pdm = h ? (DEVMODEW*)GlobalLock(h) : NULL;
    if (pdm) {
        bOk = InitDefaultDevmode(hDb, pdm, pPrinterName, hPrinter);
        // A refused write is not an initialisation failure: the stored
        // default is rebuilt by the first reader that finds it missing.
        if (bOk)
            bSetPrinterData(hPrinter, (LPWSTR)kszDefaultValue, (BYTE*)pdm, DRVUI_CB_DEVMODE,
                            REG_BINARY);
        GlobalUnlock(h);
    }
    if (h)
        GlobalFree(h);
    CloseOptionDb(hDb);
    return bOk;
}

}  // namespace

BOOL RN_DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags, LPARAM lParam)
{
    DrvUiLogCalled("RN_DrvPrinterEvent");
    if (DriverEvent != PRINTER_EVENT_ADD_CONNECTION && DriverEvent != PRINTER_EVENT_INITIALIZE)
        return TRUE;

    PRINTER_DEFAULTSW defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE hPrinter = NULL;
    if (!OpenPrinterW(pPrinterName, &hPrinter, &defaults) || !hPrinter)
        return TRUE;

    BOOL bResult = TRUE;
    if (DriverEvent == PRINTER_EVENT_INITIALIZE) {
        bResult = _bStoreDefaultDevmode(hPrinter, pPrinterName);
        SetUserModeDriverValue(hPrinter);
    }
    ClosePrinter(hPrinter);
    return bResult;
}
