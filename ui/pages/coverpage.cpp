// coverpage.cpp: the Cover / Insert page of the document sheet.
//
// Owns: CoverPageDlgProc, CoverPageMarkDirty, CoverPageRefresh,
// CoverPageApply, the page's refresh bits and their order, the bypass tray
// paper type with its OHP interleave details, cover insertion, restore
// defaults and the openers of the insert-sheet defaults and index paper
// dialogs. The insert-sheet list itself is insertlist.cpp's.
//
// The page runs on the frame of pageframe.h; it adds the list view to the
// way the constraint engine reaches it (the selected entry, the refill
// after a resolution) and marks controls dirty its own way: the whole mask
// is cleared first, so that a refresh redraws only the control that
// changed.
#include "ui/pages/coverpage.h"

#include "platform/comctl/commctrl.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/coverinsert.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/indexpaper.h"
#include "ui/dialogs/insertdefaults.h"
#include "ui/dialogs/ohpinterleave.h"
#include "ui/dialogs/preview.h"
#include "ui/library/libstate.h"
#include "ui/library/quickaccess.h"
#include "ui/library/usetdlg.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"

namespace {

// Controls.
const WORD kFront = 201, kFrontBlank = 202, kFrontPrinted = 203, kBack = 205, kBackBlank = 206,
           kBackPrinted = 207;
const WORD kCoverList = 210, kFrontTray = 212, kBackTray = 214, kInserts = 215, kBypassType = 231;
const WORD kSheetFront = 233, kSheetFrontTray = 234, kSheetBack = 235, kSheetBackTray = 236;
const WORD kDefaults = 237, kCoverInsert = 240, kCoverInsertSettings = 241, kListName = 247;
const WORD kInsertDefaults = 248, kList = 249, kAdd = 250, kEdit = 251, kDelete = 252, kUp = 253, kDown = 254;
const WORD kIndexPaper = 255, kSaveRecall = 256;
const WORD kViewPaper = 163, kViewMachine = 164, kLargePane = 166, kSmallPane = 167;
const WORD kOhpTray = 2024;
const SHORT kOhpType = 127;

// The lists in the order of the record's index arrays.
const WORD kListOrder[COVER_LIST_COUNT] = {kCoverList, kFrontTray, kBackTray, kBypassType,
                                           kSheetFrontTray, kSheetBackTray, kListName};

struct DIRTYROW {
    WORD wFirst;
    WORD wLast;
    DWORD dwBits;
};
const DIRTYROW kDirtyBits[] = {
    {201, 201, 0x1},     {202, 203, 0x2},      {205, 205, 0x4},      {206, 207, 0x8},
    {210, 210, 0x10},    {215, 215, 0x1000},   {212, 212, 0x2000},   {214, 214, 0x4000},
    {231, 231, 0x8000},  {233, 234, 0x10000},  {235, 236, 0x20000},  {247, 247, 0x40000},
    {163, 164, 0x80000}, {240, 240, 0x100000},
};

COVERPAGEREC* _Record(HWND hwnd)
{
    return (COVERPAGEREC*)PageGetRecord(hwnd);
}

WORD* _IndexOf(COVERPAGEREC* r, WORD wId)
{
    for (int i = 0; r && i < COVER_LIST_COUNT; ++i)
        if (kListOrder[i] == wId)
            return r->apIndex[i];
    return nullptr;
}

SHORT _Value(UISETTINGS* pObj, WORD wId)
{
    if (wId == kCoverInsert)
        return DlgGetSetting(pObj, u"InsertCoverSheet_Check");
    return GetFeatureValue(wId);
}

void _Check(HWND hwnd, UISETTINGS* pObj, WORD wId)
{
    if (HWND h = GetDlgItem(hwnd, wId))
        SendMessageW(h, BM_SETCHECK, _Value(pObj, wId) == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

// A pair of radios: the first on for value 2, else the second.
void _Radios(HWND hwnd, WORD wFirst, WORD wSecond, SHORT sValue)
{
    CheckDlgButton(hwnd, wFirst, sValue == 2 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, wSecond, sValue == 2 ? BST_UNCHECKED : BST_CHECKED);
}

void _ViewRadios(HWND hwnd, UISETTINGS* pObj)
{
    WORD w = GetPreviewView(pObj);
    CheckDlgButton(hwnd, kViewPaper, w == PREVIEWVIEW_PAPER ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, kViewMachine, w == PREVIEWVIEW_MACHINE ? BST_CHECKED : BST_UNCHECKED);
}

void _Fill(HWND hwnd, UISETTINGS* pObj, COVERPAGEREC* r, WORD wId)
{
    if (bFeatureExists(wId))
        FillValueListCombo(hwnd, pObj, wId, _IndexOf(r, wId), nullptr, LISTFILL_PLAIN);
}

void _Changed(HWND hwnd, UISETTINGS* pObj, WORD wId)
{
    ResolveConstraintsOnChange(hwnd, pObj, wId);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
}

// ---- How the constraint engine reaches the page ----

const PAGELINK* s_pFrameLink = nullptr;

HWND _CoverWindow(HWND hwnd)
{
    HWND h = nullptr;
    if (FindPageLink(PAGE_COVER, &h) && h)
        return h;
    return hwnd;
}

int _LinkRefresh(HWND hwnd, WORD wFeature, SHORT sValue)
{
    return CoverPageMarkDirty(_CoverWindow(hwnd), wFeature, sValue);
}

BOOL _LinkRead(HWND hwnd, WORD wControl, WORD wKind, SHORT* psValue)
{
    if (wControl == kList) {
        *psValue = (SHORT)GetSelectedInsertSheet(_CoverWindow(hwnd));
        return TRUE;
    }
    return s_pFrameLink && s_pFrameLink->pfnReadControl ? s_pFrameLink->pfnReadControl(hwnd, wControl, wKind, psValue)
                                                        : FALSE;
}

void _LinkEnable(HWND hwnd, WORD wControl, BOOL bEnable)
{
    if (s_pFrameLink && s_pFrameLink->pfnEnableControl)
        s_pFrameLink->pfnEnableControl(hwnd, wControl, bEnable);
}

void _LinkSelect(HWND hwnd, WORD wControl, SHORT sValue)
{
    if (s_pFrameLink && s_pFrameLink->pfnSelectCombo)
        s_pFrameLink->pfnSelectCombo(hwnd, wControl, sValue);
}

// The insert-sheet list is rebuilt after a resolution; the selected entry
// stays selected.
void _LinkRedraw(HWND hwnd, WORD wWhat)
{
    if (wWhat != kList) {
        if (s_pFrameLink && s_pFrameLink->pfnRedraw)
            s_pFrameLink->pfnRedraw(hwnd, wWhat);
        return;
    }
    HWND hPage = _CoverWindow(hwnd);
    COVERPAGEREC* r = _Record(hPage);
    if (!r || !r->pSettings)
        return;
    int iSel = GetSelectedInsertSheet(hPage);
    InsertSheetFillList(hPage, r->pSettings);
    if (iSel >= 0 && iSel < GetInsertSheetCount(r->pSettings)) {
        ++r->dwInSelect;
        ListView_SetItemState(GetDlgItem(hPage, kList), iSel + 1, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        --r->dwInSelect;
    }
}

const PAGELINK kCoverLink = {_LinkRefresh, _LinkRead, _LinkEnable, _LinkSelect, _LinkRedraw};

// ---- Frame steps ----

void _Init(HWND hwnd, UISETTINGS* pObj)
{
    COVERPAGEREC* r = _Record(hwnd);
    if (!r)
        return;
    r->hwnd = hwnd;
    r->iLastRow = -1;
    BindFeatureFields(pObj);
    int cUnits = 0;
    for (WORD w : kListOrder)
        cUnits += GetFeatureItemCount(w);
    if (cUnits) {
        HGLOBAL h = GlobalAlloc(GHND, (SIZE_T)cUnits * sizeof(WORD));
        r->pIndexBlock = h ? (WORD*)GlobalLock(h) : nullptr;
        if (!r->pIndexBlock && h)
            GlobalFree(h);
    }
    WORD* p = r->pIndexBlock;
    for (int i = 0; p && i < COVER_LIST_COUNT; ++i) {
        r->apIndex[i] = p;
        p += GetFeatureItemCount(kListOrder[i]);
    }
    for (WORD w : {kFront, kBack, kInserts, kCoverInsert})
        _Check(hwnd, pObj, w);
}

DWORD _MapDirty(HWND, WORD wControl)
{
    return GetCoverDirtyBits(wControl);
}

void _Refresh(HWND hwnd, UISETTINGS* pObj)
{
    COVERPAGEREC* r = _Record(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, PAGE_COVER);
    if (!r || !pMask)
        return;
    BindFeatureFields(pObj);
    DWORD& m = *pMask;
    auto take = [&](DWORD dwBit) {
        if (!(m & dwBit))
            return false;
        m &= ~dwBit;
        return true;
    };
    if (take(0x1))
        _Check(hwnd, pObj, kFront);
    if (take(0x2))
        _Radios(hwnd, kFrontBlank, kFrontPrinted, GetFeatureValue(kFrontBlank));
    if (take(0x4))
        _Check(hwnd, pObj, kBack);
    if (take(0x8))
        _Radios(hwnd, kBackBlank, kBackPrinted, GetFeatureValue(kBackBlank));
    if (take(0x10))
        _Fill(hwnd, pObj, r, kCoverList);
    if (take(0x2000))
        _Fill(hwnd, pObj, r, kFrontTray);
    if (take(0x4000))
        _Fill(hwnd, pObj, r, kBackTray);
    if (take(0x1000))
        _Check(hwnd, pObj, kInserts);
    if (take(0x40000))
        _Fill(hwnd, pObj, r, kListName);
    if (take(0x8000))
        _Fill(hwnd, pObj, r, kBypassType);
    if (take(0x10000)) {
        _Check(hwnd, pObj, kSheetFront);
        _Fill(hwnd, pObj, r, kSheetFrontTray);
    }
    if (take(0x20000)) {
        _Check(hwnd, pObj, kSheetBack);
        _Fill(hwnd, pObj, r, kSheetBackTray);
    }
    if (take(0x80000))
        _ViewRadios(hwnd, pObj);
    if (take(0x100000)) {
        _Check(hwnd, pObj, kCoverInsert);
        _ViewRadios(hwnd, pObj);
    }
    m &= ~0x400u;
    m &= ~0x800u;
}

// After settings came back from the library: the page shows them.
void _AfterRecall(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    CollectChangedFeatures(pObj);
    ResolveConstraintsAll(hwnd, pObj);
    IndexTabLoadTexts(pObj);
    InsertSheetFillList(hwnd, pObj);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
}

INT_PTR _OpenDialog(HWND hwnd, UISETTINGS* pObj, WORD wTemplate, DLGPROC pfn)
{
    SetActivePageId(pObj, wTemplate);
    BindFeatureFields(pObj);
    HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    INT_PTR r = DialogBoxParamW(hInst, MAKEINTRESOURCEW(wTemplate), hwnd, pfn, (LPARAM)pObj);
    SetActivePageId(pObj, PAGE_COVER);
    BindFeatureFields(pObj);
    return r;
}

// The bypass tray's paper type: transparencies (value 127) ask for the
// interleave sheets first; a cancelled dialog keeps the earlier types.
void _BypassTypeChosen(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    const SHORT s231 = GetFeatureValue(kBypassType), s122 = GetFeatureValue(122);
    FVLHEADER* pList = GetFeatureListHeader(kBypassType);
    HWND hCombo = GetDlgItem(hwnd, kBypassType);
    if (!pList || !hCombo)
        return;
    WORD wItem = FindComboSelectionInList(hCombo, pList);
    BOOL bKept = TRUE;
    if (wItem != POSITION_NONE && GetValueListItem(pList, wItem)->sValue == kOhpType) {
        DWORD dwState = GetDependencyState(kOhpTray);
        SetDependencyState(kOhpTray, 1);
        SelectFirstAvailableItem(hwnd, pObj, kOhpTray);
        INT_PTR r = _OpenDialog(hwnd, pObj, IDD_OHPINTERLEAVE, OhpInterleaveDlgProc);
        SetDependencyState(kOhpTray, dwState);
        bKept = r != IDCANCEL;
        if (bKept)
            CollectPageChanges(pObj, IDD_OHPINTERLEAVE);
        SetActivePageId(pObj, PAGE_COVER);
    }
    if (bKept) {
        _Changed(hwnd, pObj, kBypassType);
        return;
    }
    SetFeatureValue(kBypassType, s231);
    SetFeatureValue(122, s122);
    WORD wPos = GetEnabledItemPosition(pList, s231);
    SendMessageW(hCombo, CB_SETCURSEL, wPos == POSITION_NONE ? (WPARAM)-1 : wPos, 0);
    RefreshPreviews(hwnd, pObj);
}

// Cover insertion switched on asks for its pages; without any it goes off.
void _CoverInsertClicked(HWND hwnd, UISETTINGS* pObj)
{
    const SHORT sBefore = _Value(pObj, kCoverInsert);
    ResolveConstraintsOnChange(hwnd, pObj, kCoverInsert);
    BindFeatureFields(pObj);
    if (sBefore == 0 && _Value(pObj, kCoverInsert) == 1) {
        _OpenDialog(hwnd, pObj, IDD_COVERINSERT, CoverInsertDlgProc);
        if (CountCoverInsertPages(pObj) == 0) {
            CancelCoverInsertWithNotice(hwnd, 20167, 28598, 0, 1, pObj);
            return;
        }
    }
    InvalidatePreviewItem(hwnd, kSmallPane, pObj);
    NotifySheetChanged(hwnd);
}

void _IndexPaperClicked(HWND hwnd, UISETTINGS* pObj)
{
    const SHORT sTabs = DlgGetSetting(pObj, u"lpTabIndexNum");
    if (_OpenDialog(hwnd, pObj, IDD_INDEXPAPER, IndexPaperDlgProc) != IDOK)
        return;
    if (DlgGetSetting(pObj, u"lpTabIndexNum") != sTabs) {
        NumberInsertSheetTabs(GetInsertSheetTable(pObj), GetInsertSheetCount(pObj),
                              DlgGetSetting(pObj, u"lpTabIndexNum"), TRUE);
        InsertSheetFillList(hwnd, pObj);
    }
    NotifySheetChanged(hwnd);
}

void _InsertDefaultsClicked(HWND hwnd, UISETTINGS* pObj)
{
    if (_OpenDialog(hwnd, pObj, IDD_INSERTDEFAULTS, InsertDefaultsDlgProc) != IDOK)
        return;
    CoverPageRefresh(hwnd);
    EvaluateControlDependencies(hwnd, pObj);
    EnableDependentControls(hwnd, pObj);
    InsertSheetFillList(hwnd, pObj);
    RefreshPreviews(hwnd, pObj);
    IndexTabStoreTexts(pObj);
    NotifySheetChanged(hwnd);
}

BOOL _Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    COVERPAGEREC* r = _Record(hwnd);
    if (!r)
        return TRUE;
    if (bSheetEditable(pObj) && PageLibraryCommand(hwnd, pObj, wId, _AfterRecall))
        return TRUE;
    BindFeatureFields(pObj);
    const BOOL bEdit = bSheetEditable(pObj);
    switch (wId) {
    case kViewPaper:
    case kViewMachine: {
        WORD wView = wId == kViewPaper ? PREVIEWVIEW_PAPER : PREVIEWVIEW_MACHINE;
        if (wCode == BN_CLICKED && GetPreviewView(pObj) != wView) {
            RefreshPreviewPane(hwnd, pObj);
            SetPreviewView(pObj, wView);
            InvalidatePreviewItem(hwnd, kLargePane, pObj);
            CoverPageMarkDirty(hwnd, wId);
        }
        return TRUE;
    }
    case kFront: case kBack: case kInserts: case kSheetFront: case kSheetBack:
        if (wCode == BN_CLICKED && bEdit)
            _Changed(hwnd, pObj, wId);
        return TRUE;
    case kFrontBlank: case kFrontPrinted: case kBackBlank: case kBackPrinted: {
        WORD wFirst = wId <= kFrontPrinted ? kFrontBlank : kBackBlank;
        SHORT sMine = (wId == kFrontBlank || wId == kBackBlank) ? 2 : 3;
        if (wCode == BN_CLICKED && bEdit && IsDlgButtonChecked(hwnd, wId) == BST_CHECKED &&
            GetFeatureValue(wFirst) != sMine)
            _Changed(hwnd, pObj, wId);
        return TRUE;
    }
    case kListName:
        if (wCode == CBN_SELCHANGE && bEdit) {
            // The table goes back to its set before the other list is loaded.
            IndexTabStoreTexts(pObj);
            _Changed(hwnd, pObj, wId);
            InsertSheetFillList(hwnd, pObj);
        }
        return TRUE;
    case kCoverList: case kFrontTray: case kBackTray: case kSheetFrontTray: case kSheetBackTray:
        if (wCode == CBN_SELCHANGE && bEdit)
            _Changed(hwnd, pObj, wId);
        return TRUE;
    case kBypassType:
        if (wCode == CBN_SELCHANGE && bEdit)
            _BypassTypeChosen(hwnd, pObj);
        return TRUE;
    case kCoverInsert:
        if (wCode == BN_CLICKED && bEdit)
            _CoverInsertClicked(hwnd, pObj);
        return TRUE;
    case kCoverInsertSettings:
        if (wCode == BN_CLICKED && bEdit) {
            ResolveConstraintsOnChange(hwnd, pObj, wId);
            if (_Value(pObj, kCoverInsert) == 1) {
                _OpenDialog(hwnd, pObj, IDD_COVERINSERT, CoverInsertDlgProc);
                if (CountCoverInsertPages(pObj) == 0) {
                    CancelCoverInsertWithNotice(hwnd, 20167, 28598, 0, 1, pObj);
                    return TRUE;
                }
            }
            InvalidatePreviewItem(hwnd, kSmallPane, pObj);
            NotifySheetChanged(hwnd);
        }
        return TRUE;
    case kDefaults:
        if (wCode == BN_CLICKED && bEdit) {
            SetFocus(hwnd);
            ResolveConstraintsOnChange(hwnd, pObj, wId);
            SetFocus(GetDlgItem(hwnd, wId));
            ResetCoverInsertion(pObj);
            NotifySheetChanged(hwnd);
            RefreshPreviews(hwnd, pObj);
        }
        return TRUE;
    case kInsertDefaults:
        if (wCode == BN_CLICKED && bEdit)
            _InsertDefaultsClicked(hwnd, pObj);
        return TRUE;
    case kIndexPaper:
        if (wCode == BN_CLICKED && bEdit)
            _IndexPaperClicked(hwnd, pObj);
        return TRUE;
    case kSaveRecall:
        if (wCode == BN_CLICKED) {
            IndexTabStoreTexts(pObj);
            ShowSaveRecallMenu(hwnd, pObj, kSaveRecall);
        }
        return TRUE;
    case kAdd: case kEdit: case kDelete: case kUp: case kDown:
        if (wCode != BN_CLICKED || !bEdit)
            return TRUE;
        if (wId == kAdd || wId == kEdit)
            InsertSheetEditEntry(hwnd, pObj, wId == kAdd ? 1 : 2);
        else if (wId == kDelete)
            InsertSheetDeleteSelected(hwnd, pObj);
        else
            InsertSheetMoveEntry(hwnd, pObj, wId == kUp ? 1 : 2);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL _KillActive(HWND, UISETTINGS* pObj)
{
    IndexTabStoreTexts(pObj);
    return FALSE;
}

BOOL _DrawItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    EvaluateControlDependencies(hwnd, pObj);
    switch (pdis->CtlID) {
    case kLargePane:
        PaintPreviewPane(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    case kSmallPane:
        PaintSettingIconPanel(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    case kList:
        InsertSheetDrawRow(hwnd, pObj, pdis);
        return TRUE;
    default:
        return FALSE;
    }
}

void _Apply(HWND hwnd, UISETTINGS* pObj)
{
    CoverPageApply(pObj, hwnd);
}

void _Destroy(HWND hwnd, UISETTINGS*)
{
    COVERPAGEREC* r = _Record(hwnd);
    if (!r)
        return;
    HWND hList = GetDlgItem(hwnd, kList);
    if (r->pfnListProc) {
        if (hList)
            SetWindowLongPtrW(hList, GWLP_WNDPROC, (LONG_PTR)r->pfnListProc);
        r->pfnListProc = nullptr;
    }
    if (r->hImages) {
        if (hList)
            SendMessageW(hList, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        ImageList_Destroy(r->hImages);
        r->hImages = nullptr;
    }
    if (r->pIndexBlock) {
        HGLOBAL h = GlobalHandle(r->pIndexBlock);
        GlobalUnlock(h);
        GlobalFree(h);
        r->pIndexBlock = nullptr;
    }
}

const PAGEDESC kCoverPage = {
    PAGE_COVER, HELPCTX_COVER, 239,   offsetof(COVERPAGEREC, pSettings), sizeof(COVERPAGEREC), COVER_ALL_BITS, COVER_ALL_BITS,
    TRUE,       TRUE,          _Init, _MapDirty, _Refresh,             _Apply,         _Command,
    _KillActive, _DrawItem,    _Destroy,
};

// What the page does after the frame made it.
void _AfterInit(HWND hwnd)
{
    COVERPAGEREC* r = _Record(hwnd);
    UISETTINGS* pObj = PageGetSettings(hwnd);
    if (!r || !pObj)
        return;
    HWND hLinked = nullptr;
    const PAGELINK* pLink = FindPageLink(PAGE_COVER, &hLinked);
    if (pLink && pLink != &kCoverLink)
        s_pFrameLink = pLink;
    RegisterPageLink(PAGE_COVER, hwnd, &kCoverLink);
    if (HWND hList = GetDlgItem(hwnd, kList))
        r->pfnListProc = (WNDPROC)SetWindowLongPtrW(hList, GWLP_WNDPROC, (LONG_PTR)InsertSheetListSubclassProc);
    r->iLastRow = -1;
    r->wUpKey = r->wPageUpKey = 0;
    InsertSheetInitListColumns(hwnd, pObj);
    InsertSheetFillList(hwnd, pObj);
    // The list buttons follow the selection, which the list has only now.
    EvaluateControlDependencies(hwnd, pObj);
    EnableDependentControls(hwnd, pObj);
    if (!bSheetEditable(pObj))
        PageRefresh(hwnd);
    RefreshPreviews(hwnd, pObj);
}

}  // namespace

DWORD GetCoverDirtyBits(WORD wControl)
{
    if (wControl < 163 || wControl > 247)
        return 0;
    for (const DIRTYROW& row : kDirtyBits)
        if (wControl >= row.wFirst && wControl <= row.wLast)
            return row.dwBits;
    return 0;
}

int CoverPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue)
{
    (void)sValue;
    // A sub-dialog of the page passes its own window: the open Cover page
    // is meant.
    if (PageGetDesc(hwnd) != &kCoverPage)
        hwnd = _CoverWindow(hwnd);
    COVERPAGEREC* r = _Record(hwnd);
    if (!r || PageGetDesc(hwnd) != &kCoverPage || !r->pSettings)
        return 0;
    UISETTINGS* pObj = r->pSettings;
    DWORD* pMask = PageRefreshMask(pObj, PAGE_COVER);
    DWORD dwBits = GetCoverDirtyBits(wControl);
    if (!pMask || !dwBits)
        return 0;
    const BOOL bActive = GetActivePageId(pObj) == PAGE_COVER;
    *pMask = dwBits;
    if (bActive)
        CoverPageRefresh(hwnd);
    if (wControl == kCoverInsert) {
        *pMask |= 0x80000;
        dwBits |= 0x80000;
        if (bActive)
            CoverPageRefresh(hwnd);
    }
    return (int)dwBits;
}

void CoverPageRefresh(HWND hwnd)
{
    PageRefresh(hwnd);
}

void CoverPageApply(UISETTINGS* pObj, HWND hwnd)
{
    (void)hwnd;
    if (!pObj)
        return;
    // The common commit first, then the page's own copies.
    CommitEditedSettings(pObj);
    BindFeatureFields(pObj);
    for (WORD w : {kFront, kFrontBlank, kBack, kBackBlank, kCoverList, kFrontTray, kBackTray, kInserts, kBypassType,
                   kSheetFront, kSheetFrontTray, kSheetBack, kSheetBackTray, kListName, (WORD)120, (WORD)122})
        if (WORD wParam = GetFeatureParamId(w))
            SetParamCommitted(pObj, wParam, GetParamEdited(pObj, wParam));
    for (LPCWSTR pszKey : {u"InsertCoverSheet_Check", u"lpCoverSheetTray", u"lpCoverSource"})
        if (WORD wParam = GetParamIdOfKey(pszKey))
            SetParamCommitted(pObj, wParam, GetParamEdited(pObj, wParam));
    // The rest of the common tail, with the index-tab texts back in their set
    // before the per-user lists are stored.
    CommitRecallOptions(pObj);
    IndexTabStoreTexts(pObj);
    SaveUserProfileOnApply(pObj, 2);
    SetSheetState(pObj, UIS_STATE_APPLIED, 1);
}

INT_PTR CALLBACK CoverPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        INT_PTR r = PageFrameDlgProc(&kCoverPage, hwnd, uMsg, wParam, lParam);
        _AfterInit(hwnd);
        return r;
    }
    NoteSaveRecallMenuClosed(uMsg, lParam);
    UISETTINGS* pObj = PageGetDesc(hwnd) == &kCoverPage ? PageGetSettings(hwnd) : nullptr;
    if (!pObj)
        return PageFrameDlgProc(&kCoverPage, hwnd, uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_MEASUREITEM:
        if (lParam && ((MEASUREITEMSTRUCT*)lParam)->CtlType == ODT_MENU)
            return MeasureSaveRecallMenuItem(hwnd, (MEASUREITEMSTRUCT*)lParam);
        break;
    case WM_NOTIFY: {
        const NMHDR* pnm = (const NMHDR*)lParam;
        if (!pnm)
            return FALSE;
        if (pnm->idFrom == kList && pnm->hwndFrom == GetDlgItem(hwnd, kList)) {
            SetActivePageId(pObj, PAGE_COVER);
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, InsertSheetListNotify(hwnd, pObj, pnm));
            return TRUE;
        }
        if (pnm->code == PSN_APPLY) {
            CoverPageApply(pObj, hwnd);
            PageReportApplied(pObj);
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        if (pnm->code == (UINT)PSN_SETACTIVE) {
            INT_PTR r = PageFrameDlgProc(&kCoverPage, hwnd, uMsg, wParam, lParam);
            if (bSheetEditable(pObj)) {
                InsertSheetFillList(hwnd, pObj);
                SetActivePageId(pObj, PAGE_COVER);
                EvaluateControlDependencies(hwnd, pObj);
                EnableDependentControls(hwnd, pObj);
                RefreshPreviews(hwnd, pObj);
            }
            return r;
        }
        break;
    }
    case WM_PAINT:
        break;
    }
    return PageFrameDlgProc(&kCoverPage, hwnd, uMsg, wParam, lParam);
}
