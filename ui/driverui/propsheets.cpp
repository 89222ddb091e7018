// propsheets.cpp: the document and device property sheets: their records,
// their reasons and their page table.
//
// Owns: SHEETCONTEXT's life from INIT to DESTROY, the page table, the
// preparation of the settings object once the pages are added, and the
// write-back on OK (the caller's DEVMODE for the document sheet, printer
// data "RNOVA NT" for the device sheet). The pages are ui/pages'.
#include "ui/driverui/propsheets.h"
#include "ui/library/libstate.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/driverui/ownercheck.h"
#include "ui/driverui/silentrules.h"
#include "ui/pages/pageframe.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

const WCHAR kszDefaultDevmode[] = u"RNOVA NT";
const ULONG_PTR kIconId = 64062;

// The pages of the document sheet and of the device sheet, in the order
// they are added (the order of their tabs).
const SHEETPAGEDEF kDocumentPages[SHEET_DOCUMENT_PAGES] = {
    {100, SetupPageDlgProc},     {200, CoverPageDlgProc}, {300, FinishingPageDlgProc},
    {400, FormPageDlgProc},      {500, WatermarkPageDlgProc}, {600, ImagePageDlgProc},
    {700, FontPageDlgProc},      {1000, VersionPageDlgProc},
};
const SHEETPAGEDEF kDevicePages[SHEET_DEVICE_PAGES] = {
    {800, OptionPageDlgProc},
};

// Parameters that mark a change of the PDL and of the hard disk while the
// resolver runs for it; a sheet opens with both clear.
const WORD kChangeFlagParams[2] = {234, 238};

// fMode of the printing-preferences sheet.
const DWORD kPreferencesMode = DM_USER_DEFAULT | DM_MODIFY | DM_PROMPT | DM_COPY;

void* _AllocLocked(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GHND, cb);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

// Frees everything a record holds, and the record. bResource: the record
// took a use of the resource library when its pages were added.
void _FreeSheet(SHEETCONTEXT* pCtx, BOOL bDevice, BOOL bResource)
{
    if (!pCtx)
        return;
    UISETTINGS* pObj = pCtx->pSettings;
    if (pObj) {
        ForgetFeatureBinding(pObj);
        DestroySettingsObject(&pCtx->pSettings);
    }
    if (pCtx->hOptionDb)
        CloseOptionDb(pCtx->hOptionDb);
    if (bDevice)
        FreeLockedGlobal(pCtx->pdm);
    FreeLockedGlobal(pCtx->pMerge);
    FreeLockedGlobal(pCtx);
    if (bResource)
        FreeResourceDll();
}

LONG _GetInfo(LPARAM lParam, LPWSTR pszPrinterName)
{
    PPROPSHEETUI_INFO_HEADER pHeader = (PPROPSHEETUI_INFO_HEADER)lParam;
    if (!pHeader)
        return -1;
    pHeader->Flags = PSUIHDRF_PROPTITLE;
    pHeader->pTitle = pszPrinterName;
    pHeader->hInst = DrvUiGetInstance();
    pHeader->IconID = kIconId;
    return 1;
}

// Prepares the settings object for its pages, in the order the pages and
// rules rely on.
void _PrepareSettings(SHEETCONTEXT* pCtx, BOOL bDevice)
{
    UISETTINGS* pObj = pCtx->pSettings;
    // Every step below reads features, so the table points at this object
    // from the first one.
    BindFeatureFields(pObj);
    SaveUserProfileOnApply(pObj, 1);
    PrepareSheetSettings(pObj);
    if (!bDevice) {
        ResolveConstraintsOnOpen(nullptr, pObj);
        SetSheetState(pObj, UIS_STATE_RESOLVEDONOPEN, 1);
    }
    SetJobOwnerState(pObj, (WORD)CheckJobOwner(0, pObj));
    ResetPrivateJobFields(0, pObj);
    CountInvalidInsertSheets(nullptr, pObj, 1);
    for (WORD wParam : kChangeFlagParams) {
        SetParamEdited(pObj, wParam, 0);
        SetParamCommitted(pObj, wParam, 0);
    }
    // 1: opened by an application (or the device sheet), 0: the user's
    // printing preferences.
    GetConstraintState(pObj)->bSheetOrigin =
        (pCtx->pMerge && pCtx->pMerge->fMode == kPreferencesMode) ? 0 : 1;
}

LONG _DocumentInit(PPROPSHEETUI_INFO pInfo, PDOCUMENTPROPERTYHEADER pdph)
{
    if (!pInfo->pfnComPropSheet)
        return -1;
    DEVMODEMERGE* pMerge = (DEVMODEMERGE*)_AllocLocked(SHEET_CB_MERGE);
    if (!pMerge)
        return -1;
    pMerge->hPrinter = pdph->hPrinter;
    pMerge->pPrinterName = pdph->pszPrinterName;
    pMerge->pdmCallerIn = pdph->pdmIn;
    pMerge->pdmCallerOut = pdph->pdmOut;
    pMerge->fMode = pdph->fMode;
    pMerge->pdmOwn = (PDEVMODEW)((BYTE*)pMerge + sizeof(DEVMODEMERGE));
    if (!bMergeDevmode(pMerge)) {
        FreeLockedGlobal(pMerge);
        return -1;
    }
    DOCSHEETCONTEXT* pDoc = (DOCSHEETCONTEXT*)_AllocLocked(sizeof(DOCSHEETCONTEXT));
    if (!pDoc) {
        CloseOptionDb((POPTIONDB)pMerge->hOptionDb);
        FreeLockedGlobal(pMerge);
        return -1;
    }
    SHEETCONTEXT* pCtx = &pDoc->head;
    pCtx->hPrinter = pdph->hPrinter;
    pCtx->pMerge = pMerge;
    pCtx->hOptionDb = (POPTIONDB)pMerge->hOptionDb;
    pCtx->pdm = (DEVMODEW*)pDoc->abDevmode;
    memcpy(pDoc->abDevmode, pMerge->pdmResult, DRVUI_CB_DEVMODE);

    if (!CreateSettingsObject(pCtx->hOptionDb, &pCtx->pSettings, pCtx->pdm, 0, pdph->pszPrinterName)) {
        _FreeSheet(pCtx, FALSE, FALSE);
        return -1;
    }
    SetSheetEditable(pCtx, pdph->fMode, FALSE);
    SetSheetState(pCtx->pSettings, UIS_STATE_DOCSHEET, 1);
    int iAdded = AddPropertySheetPages(pCtx, pInfo, FALSE);
    if (iAdded != 1) {
        _FreeSheet(pCtx, FALSE, TRUE);
        pInfo->UserData = 0;
        return iAdded;
    }
    return 1;
}

LONG _DeviceInit(PPROPSHEETUI_INFO pInfo, PDEVICEPROPERTYHEADER pdph)
{
    if (!pInfo->pfnComPropSheet)
        return -1;
    SHEETCONTEXT* pCtx = (SHEETCONTEXT*)_AllocLocked(sizeof(SHEETCONTEXT));
    if (!pCtx)
        return -1;
    pCtx->hPrinter = pdph->hPrinter;
    pCtx->hOptionDb = OpenOptionDb();
    pCtx->pdm = (DEVMODEW*)_AllocLocked(DRVUI_CB_DEVMODE);
    if (!pCtx->hOptionDb || !pCtx->pdm || !pdph->pszPrinterName ||
        !LoadPrinterDefaultDevmode(pdph->hPrinter, pCtx->pdm, pdph->pszPrinterName, pCtx->hOptionDb) ||
        !CreateSettingsObject(pCtx->hOptionDb, &pCtx->pSettings, pCtx->pdm, 0, pdph->pszPrinterName)) {
        _FreeSheet(pCtx, TRUE, FALSE);
        return -1;
    }
    SetSheetEditable(pCtx, pdph->Flags, TRUE);
    int iAdded = AddPropertySheetPages(pCtx, pInfo, TRUE);
    if (iAdded != 1) {
        _FreeSheet(pCtx, TRUE, TRUE);
        pInfo->UserData = 0;
        return iAdded;
    }
    return 1;
}

}  // namespace

const SHEETPAGEDEF* GetSheetPageTable(BOOL bDevice, int* pc)
{
    if (pc)
        *pc = bDevice ? SHEET_DEVICE_PAGES : SHEET_DOCUMENT_PAGES;
    return bDevice ? kDevicePages : kDocumentPages;
}

LPARAM PageParamOfSheet(SHEETCONTEXT* pCtx)
{
    return pCtx ? PageParamOfField(&pCtx->pSettings) : 0;
}

void FillPropSheetPage(SHEETCONTEXT* pCtx, const SHEETPAGEDEF* pDef, PROPSHEETPAGEW* pPage)
{
    memset(pPage, 0, sizeof(*pPage));
    pPage->dwSize = sizeof(PROPSHEETPAGEW);
    pPage->dwFlags = PSP_HASHELP;
    pPage->hInstance = DrvUiGetInstance();
    pPage->pszTemplate = MAKEINTRESOURCEW(pDef->wTemplate);
    pPage->pfnDlgProc = pDef->pfnDlgProc;
    pPage->lParam = PageParamOfSheet(pCtx);
}

int SetupSheetPageTable(SHEETCONTEXT* pCtx, BOOL bDevice, PROPSHEETPAGEW* pTable)
{
    int c = 0;
    const SHEETPAGEDEF* pDefs = GetSheetPageTable(bDevice, &c);
    for (int i = 0; i < c; ++i)
        FillPropSheetPage(pCtx, &pDefs[i], &pTable[i]);
    return c;
}

BOOL SetSheetEditable(SHEETCONTEXT* pCtx, DWORD dwPermission, BOOL bDevice)
{
    if (!pCtx)
        return FALSE;
    BOOL bNoPermission = bDevice ? (dwPermission & DPS_NOPERMISSION) != 0 : (dwPermission & DM_NOPERMISSION) != 0;
    pCtx->bEditable = !bNoPermission;
    SetSheetState(pCtx->pSettings, UIS_STATE_EDITABLE, pCtx->bEditable ? 1 : 0);
    // The settings library's dialogs read the same answer.
    SetLibrarySheetEditable(pCtx->pSettings, pCtx->bEditable);
    return bNoPermission;
}

int AddPropertySheetPages(SHEETCONTEXT* pCtx, PPROPSHEETUI_INFO pInfo, BOOL bDevice)
{
    UISETTINGS* pObj = pCtx->pSettings;
    LoadResourceDll();
    LoadPaperDisplayNames();

    // The host's handles are in the settings object before any page can
    // be created from the table.
    pCtx->hComPropSheet = pInfo->hComPropSheet;
    pCtx->pfnComPropSheet = pInfo->pfnComPropSheet;
    if (SHEETLINKS* pLinks = GetSheetLinks(pObj)) {
        pLinks->hComPropSheet = pInfo->hComPropSheet;
        pLinks->pfnComPropSheet = pInfo->pfnComPropSheet;
        pLinks->hPrinter = pCtx->hPrinter;
    }

    PROPSHEETPAGEW aPages[SHEET_MAX_PAGES];
    int c = SetupSheetPageTable(pCtx, bDevice, aPages);
    LONG_PTR lResult = 0;
    for (int i = 0; i < c; ++i) {
        // A page whose template this library lacks is left out; the sheet
        // opens with the others.
        if (!FindResourceW(aPages[i].hInstance, aPages[i].pszTemplate, RT_DIALOG))
            continue;
        HPROPSHEETPAGE hPage = CreatePropertySheetPageW(&aPages[i]);
        lResult = hPage ? pInfo->pfnComPropSheet(pInfo->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE,
                                                 (LPARAM)hPage, 0)
                        : 0;
        if (!lResult) {
            if (hPage)
                DestroyPropertySheetPage(hPage);
            pInfo->Result = 0;
            return 0;
        }
    }
    if (!lResult) {
        // Not one page of the table is in this library: nothing to show.
        pInfo->Result = 0;
        return -1;
    }
    pCtx->lLastPage = lResult;
    if (SHEETLINKS* pLinks = GetSheetLinks(pObj))
        pLinks->lAddedPages = lResult;
    pInfo->UserData = (ULONG_PTR)pCtx;
    // Until a page reports OK the sheet's result is Cancel: a sheet closed
    // any other way must not tell its caller that the settings were taken.
    pInfo->Result = CPSUI_CANCEL;

    _PrepareSettings(pCtx, bDevice);
    return 1;
}

LONG DocumentSheetReason(PPROPSHEETUI_INFO pInfo, LPARAM lParam, PDOCUMENTPROPERTYHEADER pdph)
{
    SHEETCONTEXT* pCtx = (SHEETCONTEXT*)pInfo->UserData;
    switch (pInfo->Reason) {
    case PROPSHEETUI_REASON_INIT:
        return _DocumentInit(pInfo, pdph);
    case PROPSHEETUI_REASON_GET_INFO:
        return _GetInfo(lParam, pdph->pszPrinterName);
    case PROPSHEETUI_REASON_DESTROY:
        // A sheet whose INIT failed has no record.
        _FreeSheet(pCtx, FALSE, pCtx != nullptr);
        pInfo->UserData = 0;
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
        PSETRESULT_INFO pResult = (PSETRESULT_INFO)lParam;
        if (!pResult)
            return -1;
        // Only a caller who asked for the result, and gave a place for it,
        // gets the DEVMODE.
        if (pCtx && pResult->Result == CPSUI_OK && (pdph->fMode & (DM_UPDATE | DM_COPY)) && pdph->pdmOut) {
            SettingsToDevmode(pCtx->pSettings, pCtx->pdm, pCtx->hOptionDb);
            memcpy(pdph->pdmOut, pCtx->pdm, pCtx->pdm->dmSize + pCtx->pdm->dmDriverExtra);
        }
        pInfo->Result = (ULONG_PTR)pResult->Result;
        return 1;
    }
    default:
        return -1;
    }
}

LONG DeviceSheetReason(PPROPSHEETUI_INFO pInfo, LPARAM lParam, PDEVICEPROPERTYHEADER pdph)
{
    SHEETCONTEXT* pCtx = (SHEETCONTEXT*)pInfo->UserData;
    switch (pInfo->Reason) {
    case PROPSHEETUI_REASON_INIT:
        return _DeviceInit(pInfo, pdph);
    case PROPSHEETUI_REASON_GET_INFO:
        return _GetInfo(lParam, pdph->pszPrinterName);
    case PROPSHEETUI_REASON_DESTROY:
        if (pCtx)
            _FreeSheet(pCtx, TRUE, TRUE);
        pInfo->UserData = 0;
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
        PSETRESULT_INFO pResult = (PSETRESULT_INFO)lParam;
        if (!pResult)
            return -1;
        pInfo->Result = (ULONG_PTR)pResult->Result;
        // A user without permission changed nothing, so nothing is stored.
        if (!pCtx || pResult->Result != CPSUI_OK || !pCtx->bEditable)
            return 1;
        SettingsToDevmode(pCtx->pSettings, pCtx->pdm, pCtx->hOptionDb);
        if (!bSetPrinterData(pCtx->hPrinter, kszDefaultDevmode, pCtx->pdm,
                             pCtx->pdm->dmSize + pCtx->pdm->dmDriverExtra, REG_BINARY)) {
            // The printer keeps its old default: the sheet did not succeed.
            pInfo->Result = CPSUI_CANCEL;
            return -1;
        }
        return 1;
    }
    default:
        return -1;
    }
}
