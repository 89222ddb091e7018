// docprops.cpp: the DEVMODE merge and the document-properties entry points
// that answer without a sheet.
//
// Owns: BuildMergedDevmode, bMergeDevmode and the merge they share,
// SetUserModeDriverValue, the bodies of DrvDocumentProperties,
// DrvAdvancedDocumentProperties, the no-sheet path of
// DrvDocumentPropertySheets with its spreadsheet pre-conversion; the sheets
// themselves are propsheets.cpp's.
//
// The merge, in this order (later steps win):
//   1. the built-in defaults (InitDefaultDevmode);
//   2. the DEVMODE of PRINTER_INFO_2, when the printer has one;
//   3. the caller's DEVMODE, when given: this driver's kind is converted
//      whole (ConvertDevmodeIn), any other merged by its dmFields;
//   4. the installable-option fields of the printer's stored default
//      ("RNOVA NT"), so that units, disks and the PDL type always come from
//      the printer;
//   5. validation against the option database;
//   6. on the roads without a sheet (DrvDocumentProperties, the no-sheet
//      DrvDocumentPropertySheets and the spreadsheet pre-conversion), the
//      rules against the printer's installed units, silently
//      (ApplyRulesToDevmode): a default stored while a unit was installed
//      asks the printer for nothing it no longer has. A sheet runs them
//      itself when it opens, and tells the user what they changed.
#include "ui/driverui/driverui.h"

#include "platform/windows.h"
#include "ui/driverui/drvsettings.h"
#include "ui/driverui/propsheets.h"
#include "ui/driverui/silentrules.h"

#include <cstring>
#include <new>

namespace {

// The caller's pdmOut is DRVUI_CB_DEVMODE bytes: the size this library
// answered when asked.
const DWORD kcbOut = DRVUI_CB_DEVMODE;

const WCHAR kszUserModeValue[] = u"SPLUserModePrinterDriver";
const WCHAR kszDriverDataKeyFmt[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\%s\\PrinterDriverData";

// PRINTER_INFO_2 of a printer in a new block (delete[] it), or null.
BYTE* _pGetPrinterInfo2(HANDLE hPrinter)
{
    DWORD cbNeeded = 0;
    if (GetPrinterW(hPrinter, 2, NULL, 0, &cbNeeded) || !cbNeeded)
        return NULL;
    BYTE* pInfo = new (std::nothrow) BYTE[cbNeeded];
    if (!pInfo)
        return NULL;
    if (!GetPrinterW(hPrinter, 2, pInfo, cbNeeded, &cbNeeded)) {
        delete[] pInfo;
        return NULL;
    }
    return pInfo;
}

// One input DEVMODE into the result: whole when it is this driver's kind,
// else field by field. An input too small to be a DEVMODE is left out.
void _MergeOne(POPTIONDB hDb, const DEVMODEW* pdmIn, DEVMODEW* pdmResult)
{
    if (!DrvUiDevmodeTotalSize(pdmIn))
        return;
    if (bSameDevmodeKind(pdmIn, pdmResult))
        ConvertDevmodeIn(hDb, pdmIn, pdmResult);
    else
        MergeDevmodeIn(hDb, pdmIn, pdmResult);
}

// The merge into pdmResult (DRVUI_CB_DEVMODE bytes) with an open database.
BOOL _bRunMerge(POPTIONDB hDb, HANDLE hPrinter, LPWSTR pPrinterName, const DEVMODEW* pdmCaller,
                DEVMODEW* pdmResult, BOOL bRules)
{
    // Result and, behind it, the printer's stored default.
    HGLOBAL hWork = GlobalAlloc(GHND, 2 * DRVUI_CB_DEVMODE);
    BYTE* pWork = hWork ? (BYTE*)GlobalLock(hWork) : NULL;
    if (!pWork) {
        if (hWork)
            GlobalFree(hWork);
        return FALSE;
    }
    DEVMODEW* pdmWork = (DEVMODEW*)pWork;
    DEVMODEW* pdmPrinter = (DEVMODEW*)(pWork + DRVUI_CB_DEVMODE);

    BOOL bOk = InitDefaultDevmode(hDb, pdmWork, pPrinterName, hPrinter);
    BYTE* pInfo2 = NULL;
    if (bOk) {
        pInfo2 = _pGetPrinterInfo2(hPrinter);
        bOk = pInfo2 != NULL;
    }
    if (bOk)
        bOk = LoadPrinterDefaultDevmode(hPrinter, pdmPrinter, pPrinterName, hDb) != 0;
    if (bOk) {
        const PRINTER_INFO_2W* pi2 = (const PRINTER_INFO_2W*)pInfo2;
        if (pi2->pDevMode)
            _MergeOne(hDb, pi2->pDevMode, pdmWork);
        if (pdmCaller)
            _MergeOne(hDb, pdmCaller, pdmWork);
        CopyDeviceOptionFields(pdmPrinter, pdmWork);
    }
    delete[] pInfo2;
    if (bOk)
        bOk = ValidateDevmode(hDb, pdmWork, hPrinter);
    if (bOk && bRules)
        ApplyRulesToDevmode(hDb, pdmWork, pPrinterName, hPrinter);
    if (bOk)
        memcpy(pdmResult, pdmWork, DRVUI_CB_DEVMODE);
    GlobalUnlock(hWork);
    GlobalFree(hWork);
    return bOk;
}

// The printer's name from its handle into a zeroed buffer of cch characters.
BOOL _bPrinterName(HANDLE hPrinter, WCHAR* pszName, DWORD cch)
{
    memset(pszName, 0, cch * sizeof(WCHAR));
    return QueryPrinterName(hPrinter, pszName, cch);
}

// Hands a DEVMODE to the caller's pdmOut without passing kcbOut bytes: a
// foreign DEVMODE that fits goes unchanged; one that claims more than the
// buffer holds (or too little to be a DEVMODE) is replaced by the merged one,
// which always fits and is complete.
void _HandOut(const DEVMODEW* pdmIn, const DEVMODEW* pdmMerged, PDEVMODEW pdmOut)
{
    if (!pdmIn || bSameDevmodeKind(pdmIn, pdmMerged)) {
        memcpy(pdmOut, pdmMerged, DRVUI_CB_DEVMODE);
        return;
    }
    DWORD cbIn = DrvUiDevmodeTotalSize(pdmIn);
    if (cbIn && cbIn <= kcbOut)
        memmove(pdmOut, pdmIn, cbIn);
    else
        memcpy(pdmOut, pdmMerged, DRVUI_CB_DEVMODE);
}

// The document-properties merge of both DrvDocumentProperties forms into
// pdmOutput (when given).
LONG _DocumentPropertiesMerge(HANDLE hPrinter, PWSTR pDeviceName, PDEVMODEW pdmOutput,
                              PDEVMODEW pdmInput, DWORD fMode)
{
    HGLOBAL hOwn = GlobalAlloc(GHND, DRVUI_CB_DEVMODE);
    DEVMODEW* pdmOwn = hOwn ? (DEVMODEW*)GlobalLock(hOwn) : NULL;
    if (!pdmOwn) {
        if (hOwn)
            GlobalFree(hOwn);
        return -1;
    }
    DEVMODEMERGE dmm = {};
    dmm.hPrinter = hPrinter;
    dmm.pPrinterName = pDeviceName;
    dmm.pdmCallerIn = pdmInput;
    dmm.pdmCallerOut = pdmOutput;
    dmm.fMode = fMode | DM_COPY;
    dmm.pdmOwn = pdmOwn;
    LONG lResult = -1;
    if (bMergeDevmode(&dmm)) {
        ApplyRulesToDevmode((POPTIONDB)dmm.hOptionDb, pdmOwn, pDeviceName, hPrinter);
        if (pdmOutput)
            memcpy(pdmOutput, pdmOwn, DRVUI_CB_DEVMODE);
        CloseOptionDb((POPTIONDB)dmm.hOptionDb);
        lResult = 1;  // IDOK
    }
    GlobalUnlock(hOwn);
    GlobalFree(hOwn);
    return lResult;
}

// The no-sheet body of DrvDocumentPropertySheets.
LONG _DocumentPropertiesNoSheet(PDOCUMENTPROPERTYHEADER pdph)
{
    SetUserModeDriverValue(pdph->hPrinter);
    pdph->cbOut = kcbOut;
    if (pdph->fMode == 0 || !pdph->pdmOut)
        return (LONG)kcbOut;

    HGLOBAL hOwn = GlobalAlloc(GHND, DRVUI_CB_DEVMODE);
    DEVMODEW* pdmOwn = hOwn ? (DEVMODEW*)GlobalLock(hOwn) : NULL;
    if (!pdmOwn) {
        if (hOwn)
            GlobalFree(hOwn);
        return -1;
    }
    LONG lResult = -1;
    POPTIONDB hDb = OpenOptionDb();
    if (hDb && _bRunMerge(hDb, pdph->hPrinter, pdph->pszPrinterName, pdph->pdmIn, pdmOwn, TRUE)) {
        if (pdph->fMode & (DM_UPDATE | DM_COPY))
            _HandOut(pdph->pdmIn, pdmOwn, pdph->pdmOut);
        lResult = 1;
    }
    CloseOptionDb(hDb);
    GlobalUnlock(hOwn);
    GlobalFree(hOwn);
    return lResult;
}

}  // namespace

void FreeLockedGlobal(void* pv)
{
    if (!pv)
        return;
    HGLOBAL h = GlobalHandle(pv);
    if (!h)
        return;
    GlobalUnlock(h);
    GlobalFree(h);
}

BOOL bMergeDevmode(DEVMODEMERGE* pdmm)
{
    if (!pdmm || !pdmm->pdmOwn)
        return FALSE;
    pdmm->hOptionDb = OpenOptionDb();
    if (!pdmm->hOptionDb)
        return FALSE;
    if (!_bRunMerge((POPTIONDB)pdmm->hOptionDb, pdmm->hPrinter, pdmm->pPrinterName,
                    pdmm->pdmCallerIn, pdmm->pdmOwn, FALSE)) {
        CloseOptionDb((POPTIONDB)pdmm->hOptionDb);
        pdmm->hOptionDb = NULL;
        return FALSE;
    }
    pdmm->pdmResult = pdmm->pdmOwn;
    return TRUE;
}

PDEVMODEW BuildMergedDevmode(HANDLE hPrinter, LPWSTR pPrinterName, const DEVMODEW* pdmIn)
{
    SetUserModeDriverValue(hPrinter);
    if (!hPrinter || !pPrinterName)
        return NULL;
    HGLOBAL h = GlobalAlloc(GHND, DRVUI_CB_DEVMODE);
    DEVMODEW* pdm = h ? (DEVMODEW*)GlobalLock(h) : NULL;
    if (!pdm) {
        if (h)
            GlobalFree(h);
        return NULL;
    }
    POPTIONDB hDb = OpenOptionDb();
    BOOL bOk = hDb && _bRunMerge(hDb, hPrinter, pPrinterName, pdmIn, pdm, TRUE);
    CloseOptionDb(hDb);
    if (!bOk) {
        GlobalUnlock(h);
        GlobalFree(h);
        return NULL;
    }
    return pdm;
}

void SetUserModeDriverValue(HANDLE hPrinter)
{
    if (!hPrinter)
        return;
    WCHAR szWanted[64] = {};
    GetSiblingFileName(6, szWanted, 64, 1);

    // 128 bytes as stored, plus a terminator of our own: the stored text
    // need not carry one.
    WCHAR szStored[64 + 1] = {};
    DWORD dwType = 0, cbNeeded = 0;
    if (GetPrinterDataW(hPrinter, (LPWSTR)kszUserModeValue, &dwType, (LPBYTE)szStored,
                        64 * sizeof(WCHAR), &cbNeeded) == ERROR_SUCCESS &&
        lstrcmpW(szStored, szWanted) == 0)
        return;

    BYTE* pInfo2 = _pGetPrinterInfo2(hPrinter);
    if (!pInfo2)
        return;
    const PRINTER_INFO_2W* pi2 = (const PRINTER_INFO_2W*)pInfo2;
    // The key path is bounded by the formatter; a name that would not fit
    // whole is not written under a cut name. The printer's key names a
    // connection ("\\server\queue") with "," for each "\".
    const int cchFmt = lstrlenW(kszDriverDataKeyFmt) - 2;
    if (pi2->pPrinterName && cchFmt + lstrlenW(pi2->pPrinterName) < WSPRINTF_MAX) {
        WCHAR szName[WSPRINTF_MAX];
        lstrcpynW(szName, pi2->pPrinterName, WSPRINTF_MAX);
        for (WCHAR* p = szName; *p; ++p)
            if (*p == u'\\')
                *p = u',';
        WCHAR szKey[WSPRINTF_MAX];
        wsprintfW(szKey, kszDriverDataKeyFmt, szName);
        HKEY hKey = NULL;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, szKey, 0, KEY_ALL_ACCESS, &hKey) == ERROR_SUCCESS) {
            RegSetValueExW(hKey, kszUserModeValue, 0, REG_SZ, (const BYTE*)szWanted,
                           (DWORD)(lstrlenW(szWanted) * 2 + 2));
            RegFlushKey(hKey);
            RegCloseKey(hKey);
        }
    }
    delete[] pInfo2;
}

LONG RN_DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName, PDEVMODEW pdmOutput,
                              PDEVMODEW pdmInput, DWORD fMode)
{
    DrvUiLogCalled("RN_DrvDocumentProperties");
    if (fMode == 0)
        return (LONG)kcbOut;
    if ((fMode & DM_COPY) && !pdmOutput)
        return -1;
    return _DocumentPropertiesMerge(hPrinter, pDeviceName, pdmOutput, pdmInput, fMode);
}

LONG RN_DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                      PDEVMODEW pdmOutput, PDEVMODEW pdmInput)
{
    DrvUiLogCalled("RN_DrvAdvancedDocumentProperties");
    // The merged DEVMODE is this call's only answer, so an output is needed.
    if (!pdmOutput) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return _DocumentPropertiesMerge(hPrinter, pDeviceName, pdmOutput, pdmInput, 0xFFFFFFFF);
}

LONG RN_DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    DrvUiLogCalled("RN_DrvDocumentPropertySheets");
    if (!pPSUIInfo) {
        PDOCUMENTPROPERTYHEADER pdph = (PDOCUMENTPROPERTYHEADER)lParam;
        if (!pdph)
            return -1;
        return _DocumentPropertiesNoSheet(pdph);
    }
    PDOCUMENTPROPERTYHEADER pdph = (PDOCUMENTPROPERTYHEADER)pPSUIInfo->lParamInit;
    if (!pdph)
        return -1;
    SetUserModeDriverValue(pdph->hPrinter);
    return DocumentSheetReason(pPSUIInfo, lParam, pdph);
}

LONG RN_DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    DrvUiLogCalled("RN_DrvDevicePropertySheets");
    if (!pPSUIInfo)
        return -1;
    PDEVICEPROPERTYHEADER pdph = (PDEVICEPROPERTYHEADER)pPSUIInfo->lParamInit;
    if (!pdph)
        return -1;
    SetUserModeDriverValue(pdph->hPrinter);
    return DeviceSheetReason(pPSUIInfo, lParam, pdph);
}

LONG DocumentPropertySheetsEntry(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    PDOCUMENTPROPERTYHEADER pdph =
        pPSUIInfo ? (PDOCUMENTPROPERTYHEADER)pPSUIInfo->lParamInit : (PDOCUMENTPROPERTYHEADER)lParam;
    if (!pdph)
        return -1;

    // The lent name outlives the call: a sheet's GET_INFO hands it to the
    // host as the sheet's title.
    thread_local WCHAR t_szName[32];
    BOOL bNameLent = FALSE;
    if (!pdph->pszPrinterName) {
        _bPrinterName(pdph->hPrinter, t_szName, 32);
        pdph->pszPrinterName = t_szName;
        bNameLent = TRUE;
    }

    // A spreadsheet host keeps handing back a DEVMODE of another driver;
    // turn it into this driver's merged DEVMODE for the call.
    PDEVMODEW pdmSaved = pdph->pdmIn;
    PDEVMODEW pdmBuilt = NULL;
    if (!pPSUIInfo && (pdph->fMode & (DM_UPDATE | DM_COPY)) && pdph->pdmIn &&
        bHostIsSpreadsheet() && !bValidDevmode(pdph->pdmIn)) {
        pdmBuilt = BuildMergedDevmode(pdph->hPrinter, pdph->pszPrinterName, pdph->pdmIn);
        if (pdmBuilt)
            pdph->pdmIn = pdmBuilt;
    }

    LONG lResult = RN_DrvDocumentPropertySheets(pPSUIInfo, lParam);

    if (pdmBuilt) {
        pdph->pdmIn = pdmSaved;
        FreeLockedGlobal(pdmBuilt);
    }
    if (bNameLent)
        pdph->pszPrinterName = NULL;
    return lResult;
}
