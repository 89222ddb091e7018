// pageframe.cpp: the machinery every property-sheet page shares (see
// pageframe.h for the change cycle and the rules).
#include "ui/pages/pageframe.h"

#include "platform/comdlg/winhelp.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/pages/pagehelpers.h"
#include "ui/library/libstate.h"
#include "ui/library/quickaccess.h"
#include "ui/library/usetdlg.h"
#include "ui/settings/listset.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/sheetstate.h"

#include <cstring>


namespace {

// Pages open at once: the eight document pages, the device page and room
// for a second sheet of the same process.
const int kMaxPages = 20;

struct PAGESLOT {
    HWND hwnd;
    const PAGEDESC* pDesc;
};
PAGESLOT s_aPages[kMaxPages];

void _Remember(HWND hwnd, const PAGEDESC* pDesc)
{
    for (PAGESLOT& s : s_aPages)
        if (!s.hwnd) {
            s = {hwnd, pDesc};
            return;
        }
}

void _Forget(HWND hwnd)
{
    for (PAGESLOT& s : s_aPages)
        if (s.hwnd == hwnd)
            s = {nullptr, nullptr};
}

// The window of the open page whose id is wPage; hwnd when it is that
// page or no page of that id is open.
HWND _PageWindow(HWND hwnd, WORD wPage)
{
    HWND h = nullptr;
    if (wPage && wPage != 0xFFFF && FindPageLink(wPage, &h) && h)
        return h;
    return hwnd;
}

// ---- Engine links: how the constraint engine reaches a page ----

int _LinkRefresh(HWND hwnd, WORD wFeature, SHORT sValue)
{
    return PageMarkDirty(_PageWindow(hwnd, GetFeaturePage(wFeature)), wFeature, sValue);
}

WORD* _IndexArray(HWND hwnd, WORD wControl);

// The value of the k-th shown item of a list.
BOOL _ShownItemValue(const UIITEMLIST* pList, int k, SHORT* psValue)
{
    const UIITEMCHOICE* it = (const UIITEMCHOICE*)(pList + 1);
    for (int i = 0; i < pList->sCount; ++i)
        if (it[i].sEnabled == VALUEITEM_ENABLED && k-- == 0) {
            *psValue = it[i].sValue;
            return TRUE;
        }
    return FALSE;
}

BOOL _LinkReadControl(HWND hwnd, WORD wControl, WORD wKind, SHORT* psValue)
{
    hwnd = _PageWindow(hwnd, GetFeaturePage(wControl));
    HWND hCtl = GetDlgItem(hwnd, wControl);
    if (!hCtl || !PageGetRecord(hwnd))
        return FALSE;
    switch (wKind) {
    case FK_LIST: {
        // The item is found by its text, as the combo shows it, whatever
        // the item states became since the list was filled.
        const UIITEMLIST* pList = GetFeatureListHeader(wControl);
        WORD i = FindComboSelectionInList(hCtl, pList);
        if (i == POSITION_NONE)
            return FALSE;
        *psValue = GetValueListItem(pList, i)->sValue;
        return TRUE;
    }
    case FK_CHECK:
        *psValue = IsDlgButtonChecked(hwnd, wControl) == BST_CHECKED ? 1 : 0;
        return TRUE;
    case FK_NUMBER:
    case FK_SPIN: {
        BOOL bOk = FALSE;
        int n = (int)GetDlgItemInt(hwnd, wControl, &bOk, TRUE);
        if (!bOk || n < -32768 || n > 32767)
            return FALSE;
        *psValue = (SHORT)n;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void _LinkEnableControl(HWND hwnd, WORD wControl, BOOL bEnable)
{
    HWND hCtl = GetDlgItem(hwnd, wControl);
    if (!hCtl)
        hCtl = GetDlgItem(_PageWindow(hwnd, GetFeaturePage(wControl)), wControl);
    if (!hCtl)
        return;
    UISETTINGS* pObj = PageGetSettings(GetParent(hCtl));
    BOOL bEnabled = bEnable && (!pObj || bSheetEditable(pObj));
    EnableWindow(hCtl, bEnabled);
    EnableFieldLabels(hCtl, bEnabled);
}

void _LinkSelectCombo(HWND hwnd, WORD wControl, SHORT sValue)
{
    hwnd = _PageWindow(hwnd, GetFeaturePage(wControl));
    const UIITEMLIST* pList = GetFeatureListHeader(wControl);
    HWND hCtl = GetDlgItem(hwnd, wControl);
    if (!pList || !hCtl)
        return;
    WORD wPos = GetEnabledItemPosition(pList, sValue);
    SendMessageW(hCtl, CB_SETCURSEL, wPos == POSITION_NONE ? (WPARAM)-1 : wPos, 0);
}

void _LinkRedraw(HWND hwnd, WORD wWhat)
{
    HWND hCtl = GetDlgItem(hwnd, wWhat);
    if (hCtl)
        InvalidateRect(hCtl, nullptr, TRUE);
}

const PAGELINK kLink = {_LinkRefresh, _LinkReadControl, _LinkEnableControl, _LinkSelectCombo, _LinkRedraw};

// Writes a setting's value into its control without refilling it.
void _ShowValue(HWND hwnd, WORD wId)
{
    SHORT s = GetFeatureValue(wId);
    switch (GetFeatureKind(wId)) {
    case FK_LIST:
        _LinkSelectCombo(hwnd, wId, s);
        break;
    case FK_CHECK:
        CheckDlgButton(hwnd, wId, s ? BST_CHECKED : BST_UNCHECKED);
        break;
    case FK_NUMBER:
    case FK_SPIN:
        SetDlgItemInt(hwnd, wId, (UINT)(int)s, TRUE);
        break;
    }
}

// ---- Records ----

UISETTINGS** _SettingsField(HWND hwnd, const PAGEDESC** ppDesc)
{
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    BYTE* pRec = (BYTE*)PageGetRecord(hwnd);
    if (ppDesc)
        *ppDesc = pDesc;
    if (!pDesc || !pRec)
        return nullptr;
    return (UISETTINGS**)(pRec + pDesc->wSettingsOffset);
}

void* _CreateRecord(HWND hwnd, const PAGEDESC* pDesc, UISETTINGS* pObj)
{
    DWORD cb = pDesc->cbRecord;
    if (cb < pDesc->wSettingsOffset + sizeof(UISETTINGS*))
        cb = pDesc->wSettingsOffset + sizeof(UISETTINGS*);
    HGLOBAL h = GlobalAlloc(GHND, cb);
    BYTE* p = h ? (BYTE*)GlobalLock(h) : nullptr;
    if (!p) {
        if (h)
            GlobalFree(h);
        return nullptr;
    }
    memcpy(p + pDesc->wSettingsOffset, &pObj, sizeof(pObj));
    SetWindowLongPtrW(hwnd, DWLP_USER, (LONG_PTR)p);
    return p;
}

void _FreeRecord(HWND hwnd)
{
    void* p = (void*)GetWindowLongPtrW(hwnd, DWLP_USER);
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    if (!p)
        return;
    HGLOBAL h = GlobalHandle(p);
    if (h) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

BOOL CALLBACK _DisableOne(HWND hCtl, LPARAM)
{
    EnableWindow(hCtl, FALSE);
    return TRUE;
}

void _DisableAll(HWND hwnd)
{
    EnumChildWindows(hwnd, _DisableOne, 0);
}

void _SetResult(HWND hwnd, LONG_PTR l)
{
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, l);
}

// ---- The frame's own page: any template, driven by the feature table ----

// What the frame keeps for a page whose procedure is not built: the
// settings pointer, then one value-code array per list control of the
// page in one block.
const int kDefaultMaxLists = 40;
struct DEFAULTPAGEREC {
    UISETTINGS* pSettings;
    WORD* pIndexBlock;
    HINSTANCE hInstance;
    WORD cLists;
    WORD awList[kDefaultMaxLists];
    WORD* apIndex[kDefaultMaxLists];
};

// One bit serves every control of the page.
const DWORD kDefaultAllBits = 1;

BOOL _bIsPageFeature(const FEATURE& f, WORD wPage)
{
    return f.wPage == wPage && (f.wKind & FK_VALUEKINDS);
}

void _DefaultInit(HWND hwnd, UISETTINGS* pObj)
{
    DEFAULTPAGEREC* r = (DEFAULTPAGEREC*)PageGetRecord(hwnd);
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    if (!r || !pDesc)
        return;
    r->hInstance = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    BindFeatureFields(pObj);
    int cUnits = 0;
    for (int i = 0; i < g_cFeatures; ++i) {
        const FEATURE& f = g_aFeatures[i];
        if (f.wKind == FK_LIST && _bIsPageFeature(f, pDesc->wPageId) && GetDlgItem(hwnd, f.wId) &&
            r->cLists < kDefaultMaxLists) {
            r->awList[r->cLists++] = f.wId;
            cUnits += GetFeatureItemCount(f.wId);
        }
    }
    if (!cUnits)
        return;
    HGLOBAL h = GlobalAlloc(GHND, cUnits * sizeof(WORD));
    r->pIndexBlock = h ? (WORD*)GlobalLock(h) : nullptr;
    if (!r->pIndexBlock) {
        if (h)
            GlobalFree(h);
        r->cLists = 0;
        return;
    }
    WORD* p = r->pIndexBlock;
    for (int k = 0; k < r->cLists; ++k) {
        r->apIndex[k] = p;
        p += GetFeatureItemCount(r->awList[k]);
    }
}

DWORD _DefaultMapDirty(HWND hwnd, WORD wControl)
{
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    return (pDesc && GetFeaturePage(wControl) == pDesc->wPageId) ? kDefaultAllBits : 0;
}

// Shows one setting in its control.
void _ShowFeature(HWND hwnd, UISETTINGS* pObj, const FEATURE& f)
{
    HWND hCtl = GetDlgItem(hwnd, f.wId);
    if (!hCtl)
        return;
    SHORT s = GetFeatureValue(f.wId);
    switch (f.wKind) {
    case FK_LIST: {
        int iStyle = (GetWindowLongW(hCtl, GWL_STYLE) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))
                         ? LISTFILL_OWNERDRAW
                         : LISTFILL_PLAIN;
        FillValueListCombo(hwnd, pObj, f.wId, _IndexArray(hwnd, f.wId), nullptr, iStyle);
        break;
    }
    case FK_CHECK:
        CheckDlgButton(hwnd, f.wId, s ? BST_CHECKED : BST_UNCHECKED);
        break;
    case FK_RADIO:
        CheckDlgButton(hwnd, f.wId, GetRadioValue(f.wId) == s ? BST_CHECKED : BST_UNCHECKED);
        break;
    case FK_NUMBER:
    case FK_SPIN:
        SetDlgItemInt(hwnd, f.wId, (UINT)(int)s, TRUE);
        break;
    }
}

void _DefaultRefresh(HWND hwnd, UISETTINGS* pObj)
{
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, pDesc ? pDesc->wPageId : 0);
    if (!pDesc || !pMask || !(*pMask & kDefaultAllBits))
        return;
    *pMask &= ~kDefaultAllBits;
    BindFeatureFields(pObj);
    for (int i = 0; i < g_cFeatures; ++i)
        if (_bIsPageFeature(g_aFeatures[i], pDesc->wPageId))
            _ShowFeature(hwnd, pObj, g_aFeatures[i]);
}

// Apply of the frame's page: every setting the page shows is committed.
void _DefaultApply(HWND hwnd, UISETTINGS* pObj)
{
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    if (!pDesc)
        return;
    BindFeatureFields(pObj);
    for (int i = 0; i < g_cFeatures; ++i) {
        const FEATURE& f = g_aFeatures[i];
        if (!_bIsPageFeature(f, pDesc->wPageId) || !GetDlgItem(hwnd, f.wId))
            continue;
        WORD wParam = GetFeatureParamId(f.wId);
        if (wParam)
            SetParamCommitted(pObj, wParam, GetParamEdited(pObj, wParam));
    }
}

void _DefaultDestroy(HWND hwnd, UISETTINGS*)
{
    DEFAULTPAGEREC* r = (DEFAULTPAGEREC*)PageGetRecord(hwnd);
    if (r && r->pIndexBlock) {
        HGLOBAL h = GlobalHandle(r->pIndexBlock);
        GlobalUnlock(h);
        GlobalFree(h);
        r->pIndexBlock = nullptr;
    }
}

WORD* _IndexArray(HWND hwnd, WORD wControl)
{
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    if (!pDesc || pDesc->pfnInit != _DefaultInit)
        return nullptr;
    DEFAULTPAGEREC* r = (DEFAULTPAGEREC*)PageGetRecord(hwnd);
    for (int k = 0; r && k < r->cLists; ++k)
        if (r->awList[k] == wControl)
            return r->apIndex[k];
    return nullptr;
}

#define DEFAULT_PAGE(id, help, hidden)                                                                          \
    {                                                                                                           \
        id, help, hidden, offsetof(DEFAULTPAGEREC, pSettings), sizeof(DEFAULTPAGEREC), kDefaultAllBits, kDefaultAllBits, TRUE, TRUE, _DefaultInit, \
            _DefaultMapDirty, _DefaultRefresh, _DefaultApply, nullptr, nullptr, nullptr, _DefaultDestroy         \
    }

// The pages with their help contexts and their one-pixel report buttons.
const PAGEDESC kDefaultPages[] = {
    DEFAULT_PAGE(100, HELPCTX_SETUP, 154),     DEFAULT_PAGE(200, HELPCTX_COVER, 239),
    DEFAULT_PAGE(300, HELPCTX_FINISHING, 344), DEFAULT_PAGE(400, HELPCTX_FORM, 415),
    DEFAULT_PAGE(500, HELPCTX_WATERMARK, 511), DEFAULT_PAGE(600, HELPCTX_IMAGE, 636),
    DEFAULT_PAGE(700, HELPCTX_FONT, 714),      DEFAULT_PAGE(800, HELPCTX_OPTIONS, 848),
};

// ---- Notifications ----

LRESULT _OnNotify(HWND hwnd, const PAGEDESC* pDesc, UISETTINGS* pObj, const NMHDR* pnm)
{
    switch (pnm->code) {
    case PSN_SETACTIVE:
        SetActivePageId(pObj, pDesc->wPageId);
        BindFeatureFields(pObj);
        if (bSheetEditable(pObj)) {
            if (DWORD* pMask = PageRefreshMask(pObj, pDesc->wPageId))
                *pMask = pDesc->dwActiveMask;
            PageRefresh(hwnd);
            EvaluateControlDependencies(hwnd, pObj);
            EnableDependentControls(hwnd, pObj);
            RefreshPreviews(hwnd, pObj);
        }
        ShowPendingConflictReport(hwnd, pObj);
        return 0;
    case PSN_KILLACTIVE:
        return (pDesc->pfnKillActive && pDesc->pfnKillActive(hwnd, pObj)) ? TRUE : FALSE;
    case PSN_APPLY:
        // The common commit comes first, the page's own copies after it
        // (the Setup page's automatic-zoom switch among them).
        CommitEditedSettings(pObj);
        if (pDesc->pfnApply)
            pDesc->pfnApply(hwnd, pObj);
        // The device sheet's page keeps no per-user lists.
        PageApplyTail(pObj, pDesc->wPageId != PAGE_OPTIONS);
        PageReportApplied(pObj);
        return PSNRET_NOERROR;
    case PSN_HELP: {
        WCHAR szPath[HELPTABLE_PATH_CCH];
        ShowDriverHelp(hwnd, szPath, HELP_CONTEXT, pDesc->wHelpContext);
        return 0;
    }
    default:
        return 0;
    }
}

// A command from a control of the page: the change cycle for the controls
// that edit settings.
INT_PTR _OnCommand(HWND hwnd, const PAGEDESC* pDesc, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    if (pDesc->pfnCommand && pDesc->pfnCommand(hwnd, pObj, wId, wCode))
        return TRUE;
    // An entry of the Save/Recall popup recalls a saved settings file; the
    // rules then run over everything it changed.
    if (pDesc->bChangeCycle && bIsLibraryMenuId(wId))
        return PageLibraryCommand(hwnd, pObj, wId, nullptr);
    if (!pDesc->bChangeCycle || GetFeaturePage(wId) != pDesc->wPageId)
        return FALSE;
    switch (GetFeatureKind(wId)) {
    case FK_LIST:
        if (wCode != CBN_SELCHANGE)
            return FALSE;
        break;
    case FK_CHECK:
    case FK_RADIO:
    case FK_BUTTON:
        if (wCode != BN_CLICKED)
            return FALSE;
        break;
    case FK_NUMBER:
    case FK_SPIN: {
        // A number takes effect when the user leaves its field, and only
        // when it is another number.
        if (wCode != EN_KILLFOCUS)
            return FALSE;
        SHORT sTyped = 0;
        BindFeatureFields(pObj);
        if (_LinkReadControl(hwnd, wId, (WORD)GetFeatureKind(wId), &sTyped) && sTyped == GetFeatureValue(wId))
            return TRUE;
        break;
    }
    default:
        return FALSE;
    }
    PageControlChanged(hwnd, wId);
    return TRUE;
}

}  // namespace

// ---------------------------------------------------------------------------

BOOL PageLibraryCommand(HWND hwnd, UISETTINGS* pObj, WORD wId, void (*pfnAfterRecall)(HWND, UISETTINGS*))
{
    auto recalled = [&] {
        if (pfnAfterRecall) {
            pfnAfterRecall(hwnd, pObj);
            return;
        }
        BindFeatureFields(pObj);
        CollectChangedFeatures(pObj);
        ResolveConstraintsAll(hwnd, pObj);
        NotifySheetChanged(hwnd);
    };
    if (bIsLibraryMenuId(wId)) {
        BindFeatureFields(pObj);
        SaveFeatureValues(pObj);
        if (ApplyLibraryMenuEntry(hwnd, pObj, wId))
            recalled();
        return TRUE;
    }
    switch (wId) {
    case IDM_USET_SAVE:
        if (OpenSaveSettingsDialog(hwnd, pObj) == IDOK)
            NotifySheetChanged(hwnd);
        return TRUE;
    case IDM_USET_RECALL:
        BindFeatureFields(pObj);
        SaveFeatureValues(pObj);
        if (OpenRecallSettingsDialog(hwnd, pObj) == IDOK)
            recalled();
        return TRUE;
    case IDM_USET_ORGANIZE:
        OpenOrganizeLibraryDialog(hwnd, pObj);
        NotifySheetChanged(hwnd);
        return TRUE;
    case IDM_USET_DETAIL:
        if (OpenRecallDetailDialog(hwnd, pObj) == IDOK)
            NotifySheetChanged(hwnd);
        return TRUE;
    case IDM_USET_SAVE_FULL:
        ShowLibraryFullOnSaveNotice(hwnd);
        return TRUE;
    case IDM_USET_FULL_NOTICE:
        ShowLibraryFullNotice(hwnd);
        return TRUE;
    default:
        return FALSE;
    }
}

UISETTINGS* SettingsOfPageParam(LPARAM lParamInit)
{
    const PROPSHEETPAGEW* psp = (const PROPSHEETPAGEW*)lParamInit;
    if (!psp || !psp->lParam)
        return nullptr;
    return ParamLoadPtr(reinterpret_cast<UISETTINGS* const*>(psp->lParam));
}

void* PageGetRecord(HWND hwnd)
{
    return hwnd ? (void*)GetWindowLongPtrW(hwnd, DWLP_USER) : nullptr;
}

const PAGEDESC* PageGetDesc(HWND hwnd)
{
    for (const PAGESLOT& s : s_aPages)
        if (hwnd && s.hwnd == hwnd)
            return s.pDesc;
    return nullptr;
}

UISETTINGS* PageGetSettings(HWND hwnd)
{
    UISETTINGS** pp = _SettingsField(hwnd, nullptr);
    return pp ? ParamLoadPtr(pp) : nullptr;
}

int PageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue)
{
    (void)sValue;
    const PAGEDESC* pDesc = nullptr;
    UISETTINGS** pp = _SettingsField(hwnd, &pDesc);
    if (!pp || !ParamLoadPtr(pp) || !pDesc->pfnMapDirty)
        return 0;
    DWORD dwBits = pDesc->pfnMapDirty(hwnd, wControl);
    DWORD* pMask = PageRefreshMask(ParamLoadPtr(pp), pDesc->wPageId);
    if (!dwBits || !pMask)
        return 0;
    *pMask |= dwBits;
    // Only the page the user works on redraws now; the others catch up when
    // they are next activated.
    if (GetActivePageId(ParamLoadPtr(pp)) == pDesc->wPageId)
        PageRefresh(hwnd);
    return (int)dwBits;
}

void PageRefresh(HWND hwnd)
{
    const PAGEDESC* pDesc = nullptr;
    UISETTINGS** pp = _SettingsField(hwnd, &pDesc);
    if (!pp || !ParamLoadPtr(pp) || !pDesc->pfnRefresh)
        return;
    pDesc->pfnRefresh(hwnd, ParamLoadPtr(pp));
    if (!bSheetEditable(ParamLoadPtr(pp)))
        _DisableAll(hwnd);
}

void NotifySheetChanged(HWND hwnd)
{
    SendMessageW(GetParent(hwnd), PSM_CHANGED, (WPARAM)hwnd, 0);
}

void DetectSheetOrigin(HWND hwnd, UISETTINGS* pObj)
{
    WCHAR szTitle[260] = {};
    HWND hParent = GetParent(hwnd);
    if (hParent)
        GetWindowTextW(hParent, szTitle, 260);
    BOOL bKeep = GetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX) != 0;
    SetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX, TitleLacksSheetSuffix(szTitle, bKeep) ? 1 : 0);
}

void RectScreenToClient(HWND hwnd, RECT* prc)
{
    if (!prc)
        return;
    POINT pt1 = {prc->left, prc->top}, pt2 = {prc->right, prc->bottom};
    ScreenToClient(hwnd, &pt1);
    ScreenToClient(hwnd, &pt2);
    *prc = {pt1.x, pt1.y, pt2.x, pt2.y};
}

void PageControlChanged(HWND hwnd, WORD wId)
{
    UISETTINGS* pObj = PageGetSettings(hwnd);
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    if (!pObj || !pDesc || !bSheetEditable(pObj))
        return;
    ResolveConstraintsOnChange(hwnd, pObj, wId);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
}

void PageApplyTail(UISETTINGS* pObj, BOOL bStoreProfile)
{
    if (!pObj)
        return;
    CommitRecallOptions(pObj);
    if (bStoreProfile)
        SaveUserProfileOnApply(pObj, 2);
    SetSheetState(pObj, UIS_STATE_APPLIED, 1);
}

void PageReportApplied(UISETTINGS* pObj)
{
    const SHEETLINKS* pLinks = GetSheetLinks(pObj);
    if (pLinks && pLinks->pfnComPropSheet)
        pLinks->pfnComPropSheet(pLinks->hComPropSheet, CPSFUNC_SET_RESULT, (LPARAM)pLinks->lAddedPages,
                                CPSUI_OK);
}

WORD FillValueListCombo(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD* pIndex, PFNLISTRULE pfnRule,
                        int iStyle)
{
    if (!PageGetRecord(hwnd) || !pObj)
        return POSITION_NONE;
    BindFeatureFields(pObj);
    return FillValueListComboFrom(hwnd, pObj, wControl, GetFeatureListHeader(wControl), pIndex, pfnRule, iStyle);
}

WORD FillValueListComboFrom(HWND hwnd, UISETTINGS* pObj, WORD wControl, UIITEMLIST* pList, WORD* pIndex,
                            PFNLISTRULE pfnRule, int iStyle)
{
    HWND hCtl = GetDlgItem(hwnd, wControl);
    if (!PageGetRecord(hwnd) || !pObj || !pList)
        return POSITION_NONE;
    BOOL bFeature = GetFeatureListHeader(wControl) == pList;
    UIITEMCHOICE* it = (UIITEMCHOICE*)(pList + 1);
    for (int i = 0; i < pList->sCount; ++i) {
        it[i].sIndex = (SHORT)i;
        it[i].sEnabled = VALUEITEM_ENABLED;
        if (pIndex)
            pIndex[i] = (WORD)it[i].sValue;
        if (bFeature)
            UpdateItemAvailability(pObj, wControl, i);
        if (pfnRule)
            pfnRule(hwnd, pObj, wControl, i, &it[i].sEnabled);
        if (it[i].sEnabled == VALUEITEM_DISABLED)
            it[i].sIndex = (SHORT)POSITION_NONE;
    }
    if (hCtl) {
        SendMessageW(hCtl, CB_RESETCONTENT, 0, 0);
        if (iStyle == LISTFILL_OWNERDRAW)
            SendMessageW(hCtl, CB_SETITEMHEIGHT, 0, 25);
        for (int i = 0; i < pList->sCount; ++i) {
            if (it[i].sEnabled != VALUEITEM_ENABLED)
                continue;
            if (iStyle == LISTFILL_OWNERDRAW) {
                LRESULT k = SendMessageW(hCtl, CB_ADDSTRING, 0, (LPARAM)it[i].szText);
                if (k != CB_ERR && k != CB_ERRSPACE)
                    SendMessageW(hCtl, CB_SETITEMDATA, (WPARAM)k, (LPARAM)(WORD)it[i].sValue);
            } else {
                SendMessageW(hCtl, CB_INSERTSTRING, (WPARAM)-1, (LPARAM)it[i].szText);
            }
        }
    }
    // The fallback is worked out on this fill's states: a default that is
    // no longer offered gives way to the first item that is.
    WORD wPos = GetEnabledItemPosition(pList, pList->sInitial);
    if (wPos == POSITION_NONE) {
        WORD wDefault = GetEnabledItemPosition(pList, pList->sDefault);
        SHORT sFirst = 0;
        if (wDefault != POSITION_NONE) {
            pList->sInitial = pList->sDefault;
            wPos = wDefault;
        } else if (_ShownItemValue(pList, 0, &sFirst)) {
            pList->sInitial = sFirst;
            wPos = 0;
        } else {
            pList->sInitial = pList->sDefault;  // nothing is offered
        }
    }
    pList->sCurIndex = (SHORT)wPos;
    if (hCtl)
        SendMessageW(hCtl, CB_SETCURSEL, wPos == POSITION_NONE ? (WPARAM)-1 : wPos, 0);
    return wPos;
}

INT_PTR PageOpenSubDialog(HWND hwnd, const SUBDLGOPEN* pOpen)
{
    UISETTINGS* pObj = PageGetSettings(hwnd);
    const PAGEDESC* pDesc = PageGetDesc(hwnd);
    if (!pObj || !pDesc || !pOpen || !pOpen->pfnDlgProc)
        return -1;
    BindFeatureFields(pObj);
    // What Cancel puts back.
    const int cSaved = pOpen->cSaved < 8 ? pOpen->cSaved : 8;
    SHORT asSaved[8] = {};
    for (int i = 0; i < cSaved; ++i)
        asSaved[i] = GetFeatureValue(pOpen->awSaved[i]);
    DWORD dwDepState = 1;
    if (pOpen->wDependency) {
        dwDepState = GetDependencyState(pOpen->wDependency);
        SetDependencyState(pOpen->wDependency, 1);
        if (pOpen->bSelectFirst)
            SelectFirstAvailableItem(hwnd, pObj, pOpen->wDependency);
    }
    UISETTINGS* pWork = pObj;
    if (pOpen->bOnClone) {
        pWork = CloneParamObject(pObj);
        if (!pWork) {
            if (pOpen->wDependency)
                SetDependencyState(pOpen->wDependency, dwDepState);
            return -1;
        }
    }
    SetActivePageId(pWork, pOpen->wTemplate);
    BindFeatureFields(pWork);
    HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    INT_PTR r = DialogBoxParamW(hInst, MAKEINTRESOURCEW(pOpen->wTemplate), hwnd, pOpen->pfnDlgProc, (LPARAM)pWork);
    if (pOpen->bOnClone) {
        if (r == IDOK)
            CopyParamObject(pObj, pWork);
        FreeParamObjectClone(&pWork);
    }
    // Whatever the dialog bound, the page's object is the one bound now.
    BindFeatureFields(pObj);
    if (pOpen->wDependency)
        SetDependencyState(pOpen->wDependency, dwDepState);
    if (r == IDOK) {
        // The page control shows what the dialog left, so that the
        // resolver reads it from there.
        if (pOpen->wPageControl)
            _ShowValue(hwnd, pOpen->wPageControl);
        if (pOpen->bCollectChanges)
            CollectPageChanges(pObj, pOpen->wTemplate);
        if (pOpen->wPageControl)
            ResolveConstraintsOnChange(hwnd, pObj, pOpen->wPageControl);
        NotifySheetChanged(hwnd);
    } else {
        for (int i = 0; i < cSaved; ++i)
            SetFeatureValue(pOpen->awSaved[i], asSaved[i]);
        if (pOpen->wPageControl && GetFeatureKind(pOpen->wPageControl) == FK_LIST)
            _LinkSelectCombo(hwnd, pOpen->wPageControl, GetFeatureValue(pOpen->wPageControl));
    }
    SetActivePageId(pObj, pDesc->wPageId);
    PageRefresh(hwnd);
    RefreshPreviews(hwnd, pObj);
    return r;
}

INT_PTR PageFrameDlgProc(const PAGEDESC* pDesc, HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        UISETTINGS* pObj = SettingsOfPageParam(lParam);
        if (!pObj || !_CreateRecord(hwnd, pDesc, pObj))
            return TRUE;  // a page without a record shows its template and nothing more
        _Remember(hwnd, pDesc);
        DetectSheetOrigin(hwnd, pObj);
        if (DWORD* pMask = PageRefreshMask(pObj, pDesc->wPageId))
            *pMask = pDesc->dwInitMask;
        SetActivePageId(pObj, pDesc->wPageId);
        if (pDesc->bChangeCycle)
            RegisterPageLink(pDesc->wPageId, hwnd, &kLink);
        if (pDesc->pfnInit)
            pDesc->pfnInit(hwnd, pObj);
        BindFeatureFields(pObj);
        EvaluateControlDependencies(hwnd, pObj);
        EnableDependentControls(hwnd, pObj);
        PageRefresh(hwnd);
        if (!bSheetEditable(pObj))
            _DisableAll(hwnd);
        return TRUE;
    }
    const PAGEDESC* pKnown = nullptr;
    UISETTINGS** pp = _SettingsField(hwnd, &pKnown);
    UISETTINGS* pObj = pp ? ParamLoadPtr(pp) : nullptr;
    if (!pObj || pKnown != pDesc)
        return FALSE;

    switch (uMsg) {
    case WM_NOTIFY:
        _SetResult(hwnd, _OnNotify(hwnd, pDesc, pObj, (const NMHDR*)lParam));
        return TRUE;
    case WM_HELP: {
        const HELPINFO* phi = (const HELPINFO*)lParam;
        if (!pDesc->bHelpTable || !phi)
            return TRUE;
        WCHAR szPath[HELPTABLE_PATH_CCH];
        ShowDriverHelp((HWND)phi->hItemHandle, szPath, HELP_WM_HELP, (ULONG_PTR)GetHelpTable());
        return TRUE;
    }
    case WM_CONTEXTMENU: {
        if (!pDesc->bHelpTable)
            return TRUE;
        WCHAR szPath[HELPTABLE_PATH_CCH];
        ShowDriverHelp((HWND)wParam, szPath, HELP_CONTEXTMENU, (ULONG_PTR)GetHelpTable());
        return TRUE;
    }
    case WM_COMMAND: {
        WORD wId = LOWORD(wParam), wCode = HIWORD(wParam);
        // A page that is being hidden still hears its controls lose the
        // focus; it acts for itself, and the page now shown stays active.
        WORD wShown = GetActivePageId(pObj);
        BOOL bCurrent = (HWND)SendMessageW(GetParent(hwnd), PSM_GETCURRENTPAGEHWND, 0, 0) == hwnd;
        SetActivePageId(pObj, pDesc->wPageId);
        INT_PTR r = _OnCommand(hwnd, pDesc, pObj, wId, wCode);
        if (!bCurrent)
            SetActivePageId(pObj, wShown);
        return r;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* pdis = (const DRAWITEMSTRUCT*)lParam;
        if (!pdis)
            return FALSE;
        if (pdis->CtlType == ODT_MENU)
            return DrawSaveRecallMenuItem(pdis);
        if (pDesc->wHiddenButton && pdis->CtlID == pDesc->wHiddenButton) {
            ShowPendingConflictReport(hwnd, pObj);
            return TRUE;
        }
        return (pDesc->pfnDrawItem && pDesc->pfnDrawItem(hwnd, pObj, pdis)) ? TRUE : FALSE;
    }
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* pmis = (MEASUREITEMSTRUCT*)lParam;
        if (pmis && pmis->CtlType == ODT_MENU)
            return MeasureSaveRecallMenuItem(hwnd, pmis);
        if (pmis && pmis->CtlType == ODT_COMBOBOX) {
            pmis->itemHeight = 25;
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY: {
        if (pDesc->pfnDestroy)
            pDesc->pfnDestroy(hwnd, pObj);
        HWND hLinked = nullptr;
        if (pDesc->bChangeCycle && FindPageLink(pDesc->wPageId, &hLinked) && hLinked == hwnd)
            UnregisterPageLink(pDesc->wPageId);
        _Forget(hwnd);
        _FreeRecord(hwnd);
        return FALSE;
    }
    }
    return FALSE;
}

const PAGEDESC* GetDefaultPageDesc(WORD wPageId)
{
    for (const PAGEDESC& d : kDefaultPages)
        if (d.wPageId == wPageId)
            return &d;
    return nullptr;
}

INT_PTR DefaultPageDlgProc(WORD wPageId, HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const PAGEDESC* pDesc = GetDefaultPageDesc(wPageId);
    return pDesc ? PageFrameDlgProc(pDesc, hwnd, uMsg, wParam, lParam) : FALSE;
}
