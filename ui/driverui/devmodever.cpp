// devmodever.cpp: DEVMODE conversion between driver versions.
//
// Owns: DrvConvertDevMode's body (CDM_CONVERT, CDM_CONVERT351,
// CDM_DRIVER_DEFAULT), GetDevmodeSpecVersion and CopyDevmodeParts. The
// default DEVMODE itself is the settings model's (InitDefaultDevmode); this
// file only decides sizes, header stamps and what is copied.
//
// Facts relied on:
//  1. A DEVMODE is its public part (dmSize bytes) followed directly by its
//     private part (dmDriverExtra bytes); nothing else says how big it is.
//  2. The spooler states the output buffer's size in *pcbNeeded; a target
//     DEVMODE whose own sizes claim more than that is refused, so a copy never
//     runs past the caller's buffer.
#include "ui/driverui/driverui.h"

#include "platform/windows.h"
#include "ui/driverui/drvsettings.h"

#include <algorithm>
#include <cstring>

WORD GetDevmodeSpecVersion(const DEVMODEW* pdm)
{
    if (!pdm)
        return 0;
    switch (pdm->dmSize) {
    case 188:
        return 0x320;
    case 212:
        return 0x400;
    case 220:
        return 0x401;
    default:
        return pdm->dmSpecVersion;
    }
}

DWORD DrvUiDevmodeTotalSize(const DEVMODEW* pdm)
{
    if (!pdm || pdm->dmSize < DRVUI_CB_MIN_PUBLIC)
        return 0;
    return (DWORD)pdm->dmSize + pdm->dmDriverExtra;
}

LONG CopyDevmodeParts(const DEVMODEW* pdmIn, PDEVMODEW pdmOut)
{
    if (!pdmIn || !pdmOut)
        return -1;
    WORD wVerIn = GetDevmodeSpecVersion(pdmIn);
    WORD wVerOut = GetDevmodeSpecVersion(pdmOut);
    if (wVerIn == 0 || wVerOut == 0)
        return -1;
    // A size below the header's own fields would make the copy read or write
    // the sizes it is steered by.
    if (!DrvUiDevmodeTotalSize(pdmIn) || !DrvUiDevmodeTotalSize(pdmOut))
        return -1;

    WORD wDriverVersion = pdmOut->dmDriverVersion;
    WORD wSize = pdmOut->dmSize;
    WORD wExtra = pdmOut->dmDriverExtra;
    WORD wSizeIn = pdmIn->dmSize;
    WORD wExtraIn = pdmIn->dmDriverExtra;

    size_t cbPublic = std::min<size_t>(wSizeIn, wSize);
    memmove(pdmOut, pdmIn, cbPublic);
    pdmOut->dmSpecVersion = wVerOut;
    pdmOut->dmDriverVersion = wDriverVersion;
    pdmOut->dmSize = wSize;
    pdmOut->dmDriverExtra = wExtra;

    size_t cbPrivate = std::min<size_t>(wExtraIn, wExtra);
    if (cbPrivate)
        memmove((BYTE*)pdmOut + wSize, (const BYTE*)pdmIn + wSizeIn, cbPrivate);
    return (LONG)(cbPublic + cbPrivate);
}

namespace {

DRVVERSIONTABLE g_versionTable = {DRVUI_DRIVER_VERSION, DRVUI_CB_EXTRA, 0x0351, 0};

// CDM_DRIVER_DEFAULT once the size is known to fit: the printer's default
// DEVMODE built into pdmOut. The printer handle is closed on every path.
BOOL _bConvertDriverDefault(LPWSTR pPrinterName, PDEVMODEW pdmOut)
{
    HANDLE hPrinter = NULL;
    if (!OpenPrinterW(pPrinterName, &hPrinter, NULL) || !hPrinter)
        return FALSE;
    BOOL bOk = FALSE;
    SetUserModeDriverValue(hPrinter);

    // Only the presence of the driver information matters here.
    DWORD cbNeeded = 0;
    GetPrinterDriverW(hPrinter, NULL, 2, NULL, 0, &cbNeeded);
    if (cbNeeded) {
        BYTE* pInfo = new (std::nothrow) BYTE[cbNeeded];
        if (pInfo && GetPrinterDriverW(hPrinter, NULL, 2, pInfo, cbNeeded, &cbNeeded)) {
            OPTIONDB* hDb = OpenOptionDb();
            if (hDb) {
                memset(pdmOut, 0, DRVUI_CB_DEVMODE);
                bOk = InitDefaultDevmode(hDb, pdmOut, pPrinterName, hPrinter);
                CloseOptionDb(hDb);
            }
        }
        delete[] pInfo;
    }
    ClosePrinter(hPrinter);
    return bOk;
}

}  // namespace

const DRVVERSIONTABLE* DrvUiVersionTable()
{
    return &g_versionTable;
}

BOOL RN_DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                          PLONG pcbNeeded, DWORD fMode)
{
    DrvUiLogCalled("RN_DrvConvertDevMode");
    g_versionTable.wCurrentVersion = DRVUI_DRIVER_VERSION;
    g_versionTable.wCurrentExtra = DRVUI_CB_EXTRA;

    if (!pcbNeeded) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    switch (fMode) {
    case CDM_CONVERT: {
        DWORD cbOut = DrvUiDevmodeTotalSize(pdmOut);
        if (!pdmIn || !cbOut || *pcbNeeded < 0 || (DWORD)*pcbNeeded < cbOut ||
            CopyDevmodeParts(pdmIn, pdmOut) <= 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *pcbNeeded = (LONG)cbOut;
        return TRUE;
    }
    case CDM_CONVERT351: {
        const LONG cbNeed = DRVUI_CB_DEVMODE351 + g_versionTable.wExtra351;
        if (!pdmOut || *pcbNeeded < cbNeed) {
            *pcbNeeded = cbNeed;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        pdmOut->dmSpecVersion = 0x320;
        pdmOut->dmSize = DRVUI_CB_DEVMODE351;
        pdmOut->dmDriverVersion = g_versionTable.wVersion351;
        pdmOut->dmDriverExtra = g_versionTable.wExtra351;
        if (!pdmIn || CopyDevmodeParts(pdmIn, pdmOut) <= 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *pcbNeeded = cbNeed;
        return TRUE;
    }
    case CDM_DRIVER_DEFAULT:
        if (!pdmOut || *pcbNeeded < DRVUI_CB_DEVMODE) {
            *pcbNeeded = DRVUI_CB_DEVMODE;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        *pcbNeeded = DRVUI_CB_DEVMODE;
        return _bConvertDriverDefault(pPrinterName, pdmOut);
    default:
        return FALSE;
    }
}
