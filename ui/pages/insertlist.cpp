// insertlist.cpp: the insert-sheet list of the Cover / Insert page (list
// view 249 and its buttons 250-254) and the copies of the insert-sheet
// table between the settings object and the per-user tab-paper sets.
//
// Rules:
//   1. Row 0 is the document row and never stays selected; entry i is row
//      i + 1 and its item data is its row number.
//   2. The entries are kept contiguous from index 0; a delete closes the gap.
//   3. Sorting moves whole 476-byte entries and keeps the order of equal
//      keys; tab numbering orders equal first pages by print type (6 first,
//      1 last) and then by list order, so the same list always numbers the
//      same way.
//   4. The table is the settings object's; the tab-paper sets get it back
//      when the page stores the index-tab texts (leaving the page, apply,
//      Save/Recall, another list chosen).
#include "ui/pages/coverpage.h"

#include "platform/comctl/commctrl.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/insertsheet.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/insertwork.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

const WORD kList = 249;
const WORD kParamListName = 204;   // WCHAR[32]
const WORD kParamTable = 205;      // 128 entries
const WORD kParamNCurrent = 207;   // the set the table came from, 1..10
const WORD kParamCount = 208;      // entries in use
const WORD kParamMixplex = 209;    // the set's per-sheet duplex switch
const WORD kParamInterSheetList = 114;
const WORD kParamFaceName = 138;   // WCHAR[32]
const int kInsertSheetRow = 2;     // the model offers insert sheets
const WORD kCaption = 20157;
const WCHAR kRowZeroFace[] = u"ＭＳ Ｐゴシック";

// The dialog features of an entry.
const WORD kPrintType = 2405, kTray = 2407, kBinding = 2409, kUseIndex = 2411, kTabPos = 2415;
const WORD kDirection = 2453, kAlign = 2455, kMixplex = 2434;

struct COLUMN {
    int cx;
    UINT uText;
};
const COLUMN kColumns[INSERTLIST_COLUMNS] = {{85, 21002}, {75, 20154}, {40, 28510},
                                             {65, 20009}, {75, 20155}, {50, 20152}};

// The 72-byte block of the last tab-text settings of a set.
#pragma pack(push, 1)
struct TABTEXTDETAIL {
    SHORT sDirection;
    SHORT sAlign;
    WCHAR szFace[32];
    SHORT sStyle;
    SHORT sSize;
};
#pragma pack(pop)
static_assert(sizeof(TABTEXTDETAIL) == INTERSHEET_DETAIL);

COVERPAGEREC* _Record(HWND hwnd)
{
    return (COVERPAGEREC*)PageGetRecord(hwnd);
}

SHORT _Slot(UISETTINGS* pObj, WORD w)
{
    const BYTE* p = GetParamSlot(pObj, w);
    SHORT s = 0;
    if (p)
        memcpy(&s, p, 2);
    return s;
}

void _SetSlot(UISETTINGS* pObj, WORD w, SHORT s)
{
    if (BYTE* p = GetParamSlot(pObj, w))
        memcpy(p, &s, 2);
}

SHORT _Get(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return DlgGetSetting(pObj, pszKey);
}

void _Set(UISETTINGS* pObj, LPCWSTR pszKey, SHORT s)
{
    DlgSetSetting(pObj, pszKey, s);
}

// The tab-paper set (1..10) of the object's list set; null when absent.
INTERSHEETREC* _SetRecord(UISETTINGS* pObj, int n)
{
    if (!pObj || !bFeatureEnabledAt(kInsertSheetRow))
        return nullptr;
    LISTSET* ls = pObj->trailer.pListSet;
    if (!ls || !ls->pInterSheet || !ls->pInterSheet->pLists || n < 1 || n > INTERSHEET_LISTS)
        return nullptr;
    return &ls->pInterSheet->pLists[n - 1];
}

INTERSHEETREC* _CurrentSet(UISETTINGS* pObj)
{
    return pObj ? _SetRecord(pObj, _Slot(pObj, kParamNCurrent)) : nullptr;
}

BOOL _ItemEnabled(WORD wFeature, SHORT sCode)
{
    int j = FindFeatureItem(wFeature, sCode);
    return j >= 0 && GetFeatureItem(wFeature, j)->sEnabled == ITEM_ENABLED;
}

HWND _ListOf(HWND hwnd)
{
    return GetDlgItem(hwnd, kList);
}

void _SetText(HWND hList, int iRow, int iSub, LPCWSTR psz)
{
    LVITEMW it = {};
    it.iSubItem = iSub;
    it.pszText = (LPWSTR)(psz ? psz : u"");
    SendMessageW(hList, LVM_SETITEMTEXTW, (WPARAM)iRow, (LPARAM)&it);
}

void _SelectRow(HWND hwnd, int iRow, BOOL bFocusList)
{
    COVERPAGEREC* r = _Record(hwnd);
    HWND hList = _ListOf(hwnd);
    if (!hList)
        return;
    if (r)
        ++r->dwInSelect;
    ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
    if (iRow >= 0) {
        ListView_SetItemState(hList, iRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageW(hList, LVM_ENSUREVISIBLE, (WPARAM)iRow, FALSE);
        if (r && iRow >= 1)
            r->iLastRow = iRow;
    }
    if (r)
        --r->dwInSelect;
    if (bFocusList)
        SetFocus(hList);
}

void _Dependencies(HWND hwnd, UISETTINGS* pObj)
{
    EvaluateControlDependencies(hwnd, pObj);
    EnableDependentControls(hwnd, pObj);
}

// The bypass tray's paper type is shown again (its bit of the page's mask).
void _RefreshBypassType(HWND hwnd, UISETTINGS* pObj)
{
    if (DWORD* pMask = PageRefreshMask(pObj, PAGE_COVER)) {
        *pMask |= 0x8000;
        CoverPageRefresh(hwnd);
    }
}

int _TabCount(UISETTINGS* pObj)
{
    return _Get(pObj, u"lpTabIndexNum");
}

// Column 0 rank of a print type among entries of the same first page.
int _TypeRank(WORD w)
{
    switch (w) {
    case 6: return 0;
    case 5: return 1;
    case 2: case 3: case 4: return 2;
    case 0: case 1: return 3;
    default: return 4;
    }
}

int _Compare(const INSERTSHEET& a, const INSERTSHEET& b, int iColumn)
{
    auto cmp = [](int x, int y) { return x < y ? -1 : x > y ? 1 : 0; };
    switch (iColumn) {
    case 0: {
        int c = cmp(InsertSheetFirstPage(&a), InsertSheetFirstPage(&b));
        return c ? c : cmp(_TypeRank(a.wPrintType), _TypeRank(b.wPrintType));
    }
    case 1:
        return cmp(a.wPrintType, b.wPrintType);
    case 2:
        // Entries without a binding position form one group, first.
        return cmp(a.wBinding == 1 ? 0 : a.wBinding, b.wBinding == 1 ? 0 : b.wBinding);
    case 3:
        // Entries without a paper source (print type 5) form one group, first.
        return cmp(a.wPrintType == 5 ? -1 : (int)a.wTray, b.wPrintType == 5 ? -1 : (int)b.wTray);
    case 4: {
        int c = cmp(a.wUseIndex ? 0 : 1, b.wUseIndex ? 0 : 1);
        if (c || !a.wUseIndex)
            return c;
        return lstrcmpW(a.szTabText, b.szTabText);
    }
    case 5:
        // Entries without index paper have no position and go last.
        return cmp(a.wUseIndex ? (int)a.wTabPosition : 0x10000, b.wUseIndex ? (int)b.wTabPosition : 0x10000);
    default:
        return 0;
    }
}

// Tab numbering order: first page, then print type 6 before and 1 after
// the others, then list order.
bool _TabBefore(const INSERTSHEET* e, int a, int b)
{
    int pa = InsertSheetFirstPage(&e[a]), pb = InsertSheetFirstPage(&e[b]);
    if (pa != pb)
        return pa < pb;
    auto rank = [](WORD w) { return w == 6 ? 0 : w == 1 ? 2 : 1; };
    int ra = rank(e[a].wPrintType), rb = rank(e[b].wPrintType);
    if (ra != rb)
        return ra < rb;
    return a < b;
}

// The stored text settings of the current set, or the defaults.
void _LoadTextSettings(UISETTINGS* pObj, BOOL bDefaults)
{
    INTERSHEETREC* pSet = _CurrentSet(pObj);
    const TABTEXTDETAIL* d = pSet && pSet->pDetail ? (const TABTEXTDETAIL*)pSet->pDetail : nullptr;
    WCHAR* pszFace = (WCHAR*)GetParamSlot(pObj, kParamFaceName);
    if (bDefaults || !d) {
        SetFeatureValue(kDirection, GetFeatureDefault(kDirection));
        SetFeatureValue(kAlign, GetFeatureDefault(kAlign));
        _Set(pObj, u"lpTabTextFontStyle", GetParamDefault(pObj, GetParamIdOfKey(u"lpTabTextFontStyle")));
        _Set(pObj, u"TabTextFontSize", GetParamDefault(pObj, GetParamIdOfKey(u"TabTextFontSize")));
        if (pszFace)
            lstrcpynW(pszFace, kRowZeroFace, 32);
        return;
    }
    SetFeatureValue(kDirection, d->sDirection);
    SetFeatureValue(kAlign, d->sAlign);
    _Set(pObj, u"lpTabTextFontStyle", d->sStyle);
    _Set(pObj, u"TabTextFontSize", d->sSize);
    if (pszFace)
        lstrcpynW(pszFace, d->szFace[0] ? d->szFace : kRowZeroFace, 32);
}

void _StoreTextSettings(UISETTINGS* pObj)
{
    INTERSHEETREC* pSet = _CurrentSet(pObj);
    if (!pSet || !pSet->pDetail)
        return;
    TABTEXTDETAIL d = {};
    memcpy(&d, pSet->pDetail, sizeof(d));
    d.sDirection = GetFeatureValue(kDirection);
    d.sAlign = GetFeatureValue(kAlign);
    d.sStyle = _Get(pObj, u"lpTabTextFontStyle");
    d.sSize = _Get(pObj, u"TabTextFontSize");
    if (const WCHAR* pszFace = (const WCHAR*)GetParamSlot(pObj, kParamFaceName))
        lstrcpynW(d.szFace, pszFace, 32);
    memcpy(pSet->pDetail, &d, sizeof(d));
}

// The first available item of a list, or the last; -1 when none.
int _FirstAvailable(WORD wFeature)
{
    for (int i = 0; i < GetFeatureItemCount(wFeature); ++i)
        if (GetFeatureItem(wFeature, i)->sEnabled == ITEM_ENABLED)
            return GetFeatureItem(wFeature, i)->sValue;
    return -1;
}

int _LastAvailable(WORD wFeature)
{
    for (int i = GetFeatureItemCount(wFeature) - 1; i >= 0; --i)
        if (GetFeatureItem(wFeature, i)->sEnabled == ITEM_ENABLED)
            return GetFeatureItem(wFeature, i)->sValue;
    return -1;
}

BOOL _Enabled(WORD wControl)
{
    return GetDependencyState(wControl) == 1;
}

// The staple chosen is not offered for the tab paper.
BOOL _StapleRefusesTabPaper(UISETTINGS* pObj)
{
    WORD wStaple = 0;
    if (_Enabled(130) && _Enabled(131))
        wStaple = 131;
    else if (_Enabled(319) && _Enabled(320))
        wStaple = 320;
    if (!wStaple)
        return FALSE;
    SHORT sOut = GetFeatureValue(114);
    DWORD dwState = GetDependencyState(wStaple);
    SetFeatureValue(114, _Get(pObj, u"lpTabPaperSize"));
    SetDependencyState(wStaple, 1);
    UpdateFeatureAvailability(pObj, wStaple);
    BOOL bRefused = !_ItemEnabled(wStaple, GetFeatureValue(wStaple));
    SetFeatureValue(114, sOut);
    SetDependencyState(wStaple, dwState);
    UpdateFeatureAvailability(pObj, wStaple);
    return bRefused;
}

// Step 3 of add and edit: stored values that are no longer available are
// replaced, and index paper that cannot be used is switched off; each
// replacement is flagged in the working record.
void _CheckAvailability(UISETTINGS* pObj, INSERTSHEETWORK* pWork)
{
    const WORD kForced[4] = {kPrintType, kTray, kBinding, kUseIndex};
    DWORD adwState[4];
    for (int k = 0; k < 4; ++k) {
        adwState[k] = GetDependencyState(kForced[k]);
        SetDependencyState(kForced[k], 1);
    }
    const BOOL bDuplex = bInsertDuplexInEffect(pObj);
    const SHORT sOut = GetFeatureValue(114);
    if (sOut == 257)
        SetFeatureValue(114, (SHORT)(GetFeatureValue(111) & ~0x1000));
    if (GetFeatureValue(kUseIndex) == 1)
        SetFeatureValue(114, _Get(pObj, u"lpTabPaperSize"));

    UpdateFeatureAvailability(pObj, kTray);
    if (!_ItemEnabled(kTray, GetFeatureValue(kTray))) {
        int v = _FirstAvailable(kTray);
        if (v >= 0)
            SetFeatureValue(kTray, (SHORT)v);
        pWork->bTrayChanged = 1;
    }
    UpdateFeatureAvailability(pObj, kPrintType);
    if (!_ItemEnabled(kPrintType, GetFeatureValue(kPrintType))) {
        SHORT sWant = bDuplex ? 3 : 2;
        int v = _ItemEnabled(kPrintType, sWant) ? sWant : _LastAvailable(kPrintType);
        if (v >= 0)
            SetFeatureValue(kPrintType, (SHORT)v);
        pWork->bPrintTypeChanged = 1;
    }
    UpdateFeatureAvailability(pObj, kBinding);
    if (!_ItemEnabled(kBinding, GetFeatureValue(kBinding))) {
        SHORT sJob = _Get(pObj, u"lpDuplex");
        int v = (sJob == 2 || sJob == 3) && _ItemEnabled(kBinding, sJob) ? sJob : _LastAvailable(kBinding);
        if (v >= 0)
            SetFeatureValue(kBinding, (SHORT)v);
        pWork->bBindingChanged = 1;
    }
    SetFeatureValue(114, sOut);
    for (int k = 0; k < 4; ++k)
        SetDependencyState(kForced[k], adwState[k]);
    UpdateFeatureAvailability(pObj, kTray);
    UpdateFeatureAvailability(pObj, kPrintType);
    UpdateFeatureAvailability(pObj, kBinding);

    if (GetFeatureValue(kUseIndex) != 1)
        return;
    const SHORT sType = GetFeatureValue(kPrintType);
    if (GetFeatureValue(kMixplex) == 1 && sType == 3) {
        SetFeatureValue(kPrintType, 2);
        pWork->bPrintTypeChanged = 1;
        pWork->bBindingChanged = 0;
        return;
    }
    BOOL bOff = (GetFeatureValue(kMixplex) == 0 && bDuplex) || sType == 5 || _StapleRefusesTabPaper(pObj) ||
                (GetFeatureValue(kTray) == 4 && _Enabled(231) && GetFeatureValue(231) != 8) ||
                (_Enabled(136) && _Enabled(137)) || (_Enabled(321) && _Enabled(322)) ||
                (_Enabled(308) && _Enabled(309)) || (_Enabled(317) && _Enabled(318));
    if (bOff) {
        SetFeatureValue(kUseIndex, 0);
        pWork->bIndexPaperOff = 1;
    }
}

// Prepares the working record and the dialog's values; FALSE when there
// is nothing to edit.
BOOL _Prepare(HWND hwnd, UISETTINGS* pObj, int iMode, INSERTSHEETWORK* pWork, const INSERTSHEET* pTable, int cEntries)
{
    memset(pWork, 0, sizeof(*pWork));
    pWork->wState = (WORD)iMode;
    if (iMode == INSERTWORK_EDIT) {
        int i = GetSelectedInsertSheet(hwnd);
        if (i < 0 || i >= cEntries)
            return FALSE;
        const INSERTSHEET& e = pTable[i];
        pWork->wEntry = (WORD)i;
        lstrcpynW(pWork->szPages, e.szPages, INSERTSHEET_PAGES_CCH);
        lstrcpynW(pWork->szTabText, e.szTabText, INSERTSHEET_TEXT_CCH);
        SetFeatureValue(kPrintType, (SHORT)e.wPrintType);
        SetFeatureValue(kTray, (SHORT)e.wTray);
        SetFeatureValue(kBinding, (SHORT)e.wBinding);
        SetFeatureValue(kUseIndex, (SHORT)e.wUseIndex);
        SetFeatureValue(kTabPos, (SHORT)InsertSheetTabPosition(&e));
        SetFeatureValue(kDirection, (SHORT)e.wTabDirection);
        SetFeatureValue(kAlign, (SHORT)e.wTabAlign);
        if (WCHAR* pszFace = (WCHAR*)GetParamSlot(pObj, kParamFaceName))
            lstrcpynW(pszFace, e.szFace, 32);
        _Set(pObj, u"lpTabTextFontStyle", (SHORT)e.wFontStyle);
        _Set(pObj, u"TabTextFontSize", (SHORT)e.wFontSize);
    } else {
        pWork->wEntry = (WORD)cEntries;
        for (WORD w : {kPrintType, kTray, kBinding, kTabPos})
            SetFeatureValue(w, GetFeatureDefault(w));
        // Index paper starts as its default.
        _Set(pObj, u"PrnTabIndex", GetParamDefault(pObj, GetParamIdOfKey(u"PrnTabIndex")));
        _LoadTextSettings(pObj, cEntries == 0);
    }
    _CheckAvailability(pObj, pWork);
    return TRUE;
}

// Appends "   name : value\n" for a changed paper type.
void _AppendChange(LPWSTR pszText, int cch, WORD wFeature, SHORT sValue)
{
    WCHAR szLine[256] = {};
    LPCWSTR pszName = GetFeatureName(wFeature);
    LPCWSTR pszValue = GetValueName(wFeature, sValue);
    wnsprintfW(szLine, 256, GetResString(22310), pszName ? pszName : u"", pszValue ? pszValue : u"");
    DlgAppend(pszText, cch, szLine);
}

// The paper types of the bypass tray follow a stored entry; the user is
// told what changed.
void _BypassRules(HWND hwnd, UISETTINGS* pObj, const INSERTSHEET& e, int cInvalidBefore)
{
    const SHORT s122 = GetFeatureValue(122), s231 = GetFeatureValue(231);
    const SHORT sSource = GetFeatureValue(120);
    BOOL bApplied = FALSE;
    // Whether the bypass tray can feed the sheet, asked as the dialog asked.
    const DWORD dwTrayState = GetDependencyState(kTray);
    SetDependencyState(kTray, 1);
    UpdateFeatureAvailability(pObj, kTray);
    const BOOL bBypassRefused = !_ItemEnabled(kTray, 4);
    SetDependencyState(kTray, dwTrayState);
    // 1. The bypass tray cannot feed this sheet: plain paper.
    if (e.wTray == 4 && bBypassRefused) {
        SetFeatureValue(231, 1);
        if (sSource == 4)
            SetFeatureValue(122, 1);
        bApplied = TRUE;
    }
    // 2. Sheets from the job's tray while the job feeds from the bypass tray
    //    share its paper type, and the other way round.
    if (e.wTray == 4096 && sSource == 4) {
        SetFeatureValue(231, GetFeatureValue(122));
        bApplied = TRUE;
    } else if (e.wTray == 4 && sSource == 4 && GetFeatureValue(231) != GetFeatureValue(122)) {
        SetFeatureValue(122, GetFeatureValue(231));
        bApplied = TRUE;
    }
    // 3. Index paper from the bypass tray is tab paper.
    if (e.wUseIndex && (e.wTray == 4 || (e.wTray == 4096 && sSource == 4))) {
        SetFeatureValue(231, 8);
        if (sSource == 4)
            SetFeatureValue(122, 8);
        bApplied = TRUE;
    }
    const int cInvalidAfter = CountInvalidInsertSheets(hwnd, pObj, 1);
    if (COVERPAGEREC* r = _Record(hwnd))
        r->sInvalidAfter = (SHORT)cInvalidAfter;
    if (!bApplied)
        return;
    const BOOL bChanged = GetFeatureValue(122) != s122 || GetFeatureValue(231) != s231;
    const BOOL bGrew = cInvalidAfter > cInvalidBefore;
    if (!bChanged && !bGrew)
        return;
    WCHAR szText[1024] = {};
    if (bChanged) {
        DlgAppend(szText, 1024, GetResString(28582));
        if (GetFeatureValue(122) != s122)
            _AppendChange(szText, 1024, 122, GetFeatureValue(122));
        if (GetFeatureValue(231) != s231)
            _AppendChange(szText, 1024, 231, GetFeatureValue(231));
    }
    if (bGrew) {
        DlgAppend(szText, 1024, GetResString(28583));
        DlgAppend(szText, 1024, GetResString(28584));
    }
    WCHAR szCaption[256] = {};
    lstrcpynW(szCaption, GetResString(kCaption), 256);
    MessageBoxW(hwnd, szText, szCaption, MB_OK | MB_ICONINFORMATION);
}

// Writes the dialog's result into entry pWork->wEntry.
void _StoreEntry(UISETTINGS* pObj, INSERTSHEET* pTable, const INSERTSHEETWORK* pWork)
{
    INSERTSHEET& e = pTable[pWork->wEntry];
    memset(&e, 0, sizeof(e));
    lstrcpynW(e.szPages, pWork->szPages, INSERTSHEET_PAGES_CCH);
    e.wTray = (WORD)GetFeatureValue(kTray);
    e.wPrintType = (WORD)GetFeatureValue(kPrintType);
    e.wBinding = (WORD)GetFeatureValue(kBinding);
    e.wUseIndex = GetFeatureValue(kUseIndex) == 1 ? 1 : 0;
    lstrcpynW(e.szTabText, pWork->szTabText, INSERTSHEET_TEXT_CCH);
    SHORT sPos = GetFeatureValue(kTabPos);
    e.wTabPosition = (WORD)(sPos < 0 ? 0 : sPos);
    e.lTabAuto = sPos <= 0 ? 1 : 0;
    e.wTabDirection = (WORD)GetFeatureValue(kDirection);
    e.wTabAlign = (WORD)GetFeatureValue(kAlign);
    if (const WCHAR* pszFace = (const WCHAR*)GetParamSlot(pObj, kParamFaceName))
        lstrcpynW(e.szFace, pszFace, INSERTSHEET_FACE_CCH);
    e.wFontStyle = (WORD)_Get(pObj, u"lpTabTextFontStyle");
    e.wFontSize = (WORD)_Get(pObj, u"TabTextFontSize");
    e.wState = INSERTSHEET_AVAILABLE;
}

void _Renumber(UISETTINGS* pObj, BOOL bAll)
{
    NumberInsertSheetTabs(GetInsertSheetTable(pObj), GetInsertSheetCount(pObj), _TabCount(pObj), bAll);
}

// The text of a row's column.
void _RowTexts(UISETTINGS* pObj, const INSERTSHEET* e, BOOL bDuplex, WCHAR asz[INSERTLIST_COLUMNS][130])
{
    for (int k = 0; k < INSERTLIST_COLUMNS; ++k)
        asz[k][0] = 0;
    auto put = [&](int k, LPCWSTR psz) { lstrcpynW(asz[k], psz ? psz : u"", 130); };
    if (!e) {
        put(0, GetResString(28511));
        put(1, GetValueName(kPrintType, bDuplex ? 3 : 2));
        if (bDuplex)
            put(2, GetResString(_Get(pObj, u"lpDuplex") == 2 ? 28580 : 28581));
        put(3, GetValueName(120, GetFeatureValue(120)));
        return;
    }
    put(0, e->szPages);
    put(1, GetValueName(kPrintType, (SHORT)e->wPrintType));
    if (e->wBinding != 1)
        put(2, GetResString(e->wBinding == 2 ? 28580 : 28581));
    if (e->wPrintType != 5)
        put(3, GetValueName(kTray, (SHORT)e->wTray));
    if (e->wUseIndex) {
        put(4, e->szTabText);
        wnsprintfW(asz[5], 130, e->lTabAuto == 1 ? u"%2d/%d*" : u"%2d/%d", (int)e->wTabPosition, _TabCount(pObj));
    }
}

void _DrawCell(HDC hdc, LPCWSTR psz, const RECT& rcCell, int x, int y)
{
    RECT rc = rcCell;
    rc.left = x;
    rc.top = y;
    DrawTextW(hdc, psz, -1, &rc, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace

// ---------------------------------------------------------------------------
// The table and its count.

INSERTSHEET* GetInsertSheetTable(UISETTINGS* pObj)
{
    return pObj ? (INSERTSHEET*)GetParamSlot(pObj, kParamTable) : nullptr;
}

int GetInsertSheetCount(UISETTINGS* pObj)
{
    if (!pObj)
        return 0;
    SHORT n = _Slot(pObj, kParamCount);
    return n < 0 ? 0 : n > INSERTLIST_MAX ? INSERTLIST_MAX : n;
}

void SetInsertSheetCount(UISETTINGS* pObj, int n)
{
    if (pObj)
        _SetSlot(pObj, kParamCount, (SHORT)(n < 0 ? 0 : n > INSERTLIST_MAX ? INSERTLIST_MAX : n));
}

BOOL bInsertDuplexInEffect(UISETTINGS* pObj)
{
    if (!pObj)
        return FALSE;
    if (_Get(pObj, u"Layout_Check2") == 1 && _Get(pObj, u"Duplex_Check") == 1)
        return TRUE;
    BindFeatureFields(pObj);
    return GetFeatureValue(301) == 1 && GetFeatureValue(310) == 1;
}

WORD InsertSheetRowIcon(const INSERTSHEET* e, BOOL bDuplex)
{
    if (!e)
        return bDuplex ? 14010 : 14009;
    const int col = !e->wUseIndex ? 0 : e->szTabText[0] ? 1 : 2;
    static const WORD kIcons[7][3] = {
        {14000, 14006, 14003}, {14002, 14008, 14005}, {14009, 14012, 14011}, {14010, 14010, 14010},
        {14009, 14012, 14011}, {14013, 14013, 14013}, {14001, 14007, 14004},
    };
    if (e->wPrintType > 6)
        return 14000;
    if (e->wPrintType == 4 && col == 0)
        return bDuplex ? 14010 : 14009;
    return kIcons[e->wPrintType][col];
}

int InsertSheetFirstPage(const INSERTSHEET* e)
{
    int n = 0, c = 0;
    for (int i = 0; i < INSERTSHEET_PAGES_CCH && e->szPages[i] >= u'0' && e->szPages[i] <= u'9' && c < 4; ++i, ++c)
        n = n * 10 + (e->szPages[i] - u'0');
    return n;
}

BOOL SortInsertSheets(INSERTSHEET* pEntries, int n, int iColumn, BOOL bDescending)
{
    if (!pEntries || n < 2 || iColumn < 0 || iColumn >= INSERTLIST_COLUMNS)
        return FALSE;
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0; --j) {
            int c = _Compare(pEntries[j - 1], pEntries[j], iColumn);
            if (bDescending ? c >= 0 : c <= 0)
                break;
            INSERTSHEET t;
            memcpy(&t, &pEntries[j - 1], sizeof(t));
            memcpy(&pEntries[j - 1], &pEntries[j], sizeof(t));
            memcpy(&pEntries[j], &t, sizeof(t));
        }
    return TRUE;
}

void NumberInsertSheetTabs(INSERTSHEET* e, int n, int nTabs, BOOL bAllAutomatic)
{
    if (!e || n <= 0)
        return;
    int aIdx[INSERTLIST_MAX];
    int c = 0;
    for (int i = 0; i < n && i < INSERTLIST_MAX; ++i)
        if (e[i].wUseIndex)
            aIdx[c++] = i;
    // Shell sort by first page (gaps 1, 4, 13, ...).
    int h = 1;
    while (h < c / 3)
        h = 3 * h + 1;
    for (; h >= 1; h /= 3)
        for (int i = h; i < c; ++i) {
            int v = aIdx[i], j = i;
            while (j >= h && _TabBefore(e, v, aIdx[j - h])) {
                aIdx[j] = aIdx[j - h];
                j -= h;
            }
            aIdx[j] = v;
        }
    int iRunning = 1;
    for (int k = 0; k < c; ++k) {
        INSERTSHEET& s = e[aIdx[k]];
        if (bAllAutomatic)
            s.lTabAuto = 1;
        if (s.lTabAuto == 1) {
            int pos = iRunning;
            if (nTabs >= 1 && pos > nTabs)
                pos = 1;
            s.wTabPosition = (WORD)pos;
            iRunning = pos + 1;
        } else {
            iRunning = s.wTabPosition + 1;
        }
    }
}

// ---------------------------------------------------------------------------
// Index-tab texts.

void IndexTabLoadTexts(UISETTINGS* pObj)
{
    if (!pObj || !bFeatureEnabledAt(kInsertSheetRow))
        return;
    int n = pObj->wInterSheetList;
    if (n < 1 || n > INTERSHEET_LISTS)
        n = GetParamEdited(pObj, kParamInterSheetList);
    INTERSHEETREC* pSet = _SetRecord(pObj, n);
    INSERTSHEET* pTable = GetInsertSheetTable(pObj);
    if (!pSet || !pTable)
        return;
    if (pSet->pEntries)
        memcpy(pTable, pSet->pEntries, INTERSHEET_ENTRIES * INSERTSHEET_SIZE);
    else
        memset(pTable, 0, INTERSHEET_ENTRIES * INSERTSHEET_SIZE);
    SetInsertSheetCount(pObj, pSet->pEntries ? pSet->sPageListNum : 0);
    _SetSlot(pObj, kParamNCurrent, (SHORT)n);
    _SetSlot(pObj, kParamMixplex, pSet->sMixplex);
    if (WORD wMixplex = GetFeatureParamId(kMixplex))
        SetParamEdited(pObj, wMixplex, pSet->sMixplex);
    if (WCHAR* pszName = (WCHAR*)GetParamSlot(pObj, kParamListName))
        lstrcpynW(pszName, pSet->szName, 17);
    if (pSet->pTabBlock)
        SetInterSheetState(pObj, pSet->pTabBlock);
    SetParamEdited(pObj, kParamInterSheetList, (SHORT)n);
}

void IndexTabStoreTexts(UISETTINGS* pObj)
{
    INTERSHEETREC* pSet = _CurrentSet(pObj);
    INSERTSHEET* pTable = GetInsertSheetTable(pObj);
    if (!pSet || !pTable)
        return;
    if (pSet->pEntries) {
        memcpy(pSet->pEntries, pTable, INTERSHEET_ENTRIES * INSERTSHEET_SIZE);
        pSet->sPageListNum = (SHORT)GetInsertSheetCount(pObj);
    }
    pSet->sMixplex = _Slot(pObj, kParamMixplex);
    if (pSet->pTabBlock)
        GetInterSheetState(pObj, pSet->pTabBlock);
}

void IndexTabCopyNames(DWORD dwReserved, UISETTINGS* pObj)
{
    (void)dwReserved;
    if (!pObj || !bFeatureEnabledAt(kInsertSheetRow))
        return;
    UIITEMLIST* pList = (UIITEMLIST*)GetParamSlot(pObj, kParamInterSheetList);
    if (!pList)
        return;
    UIITEMCHOICE* it = (UIITEMCHOICE*)(pList + 1);
    for (int i = 0; i < pList->sCount; ++i) {
        INTERSHEETREC* pSet = _SetRecord(pObj, it[i].sValue);
        if (pSet && pSet->szName[0])
            lstrcpynW(it[i].szText, pSet->szName, 17);
    }
}

// ---------------------------------------------------------------------------
// The list view.

void InsertSheetInitListColumns(HWND hwnd, UISETTINGS* pObj)
{
    COVERPAGEREC* r = _Record(hwnd);
    HWND hList = _ListOf(hwnd);
    if (!r || !hList || !pObj)
        return;
    for (int k = 0; k < INSERTLIST_COLUMNS; ++k) {
        WCHAR szText[64] = {};
        lstrcpynW(szText, GetResString(kColumns[k].uText), 64);
        LVCOLUMNW col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        col.fmt = LVCFMT_LEFT;
        col.cx = kColumns[k].cx;
        col.pszText = szText;
        col.iSubItem = k;
        SendMessageW(hList, LVM_INSERTCOLUMNW, (WPARAM)k, (LPARAM)&col);
    }
    if (!r->hImages) {
        r->hImages = ImageList_Create(16, 16, ILC_MASK, 14, 0);
        HMODULE hRes = DlgPictureModule();
        for (int i = 0; r->hImages && i < 14; ++i) {
            HICON hIcon = hRes ? LoadIconW(hRes, MAKEINTRESOURCEW(14000 + i)) : nullptr;
            if (!hIcon || ImageList_AddIcon(r->hImages, hIcon) < 0) {
                // An image list with a missing icon would show the wrong ones.
                ImageList_Destroy(r->hImages);
                r->hImages = nullptr;
            }
            if (hIcon)
                DestroyIcon(hIcon);
        }
    }
    if (r->hImages)
        SendMessageW(hList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)r->hImages);
}

void InsertSheetFillList(HWND hwnd, UISETTINGS* pObj)
{
    COVERPAGEREC* r = _Record(hwnd);
    HWND hList = _ListOf(hwnd);
    INSERTSHEET* pTable = GetInsertSheetTable(pObj);
    if (!r || !hList || !pTable)
        return;
    BindFeatureFields(pObj);
    const BOOL bDuplex = bInsertDuplexInEffect(pObj);
    const int n = GetInsertSheetCount(pObj);
    ++r->dwInFill;
    SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row <= n; ++row) {
        WCHAR asz[INSERTLIST_COLUMNS][130];
        const INSERTSHEET* e = row ? &pTable[row - 1] : nullptr;
        _RowTexts(pObj, e, bDuplex, asz);
        LVITEMW it = {};
        it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        it.iItem = row;
        it.pszText = asz[0];
        it.iImage = InsertSheetRowIcon(e, bDuplex) - 14000;
        it.lParam = row;
        int k = (int)SendMessageW(hList, LVM_INSERTITEMW, 0, (LPARAM)&it);
        for (int c = 1; k >= 0 && c < INSERTLIST_COLUMNS; ++c)
            _SetText(hList, k, c, asz[c]);
    }
    --r->dwInFill;
    InvalidatePreviewItem(hwnd, 167, pObj);
}

int GetSelectedInsertSheet(HWND hwnd)
{
    HWND hList = _ListOf(hwnd);
    if (!hList)
        return -1;
    int i = ListView_GetNextItem(hList, 0, LVNI_SELECTED);
    return i >= 1 ? i - 1 : -1;
}

void InsertSheetEditEntry(HWND hwnd, UISETTINGS* pObj, int iMode)
{
    COVERPAGEREC* r = _Record(hwnd);
    INSERTSHEET* pTable = GetInsertSheetTable(pObj);
    INSERTSHEETWORK* pWork = GetInsertSheetWork(pObj);
    if ((iMode != INSERTWORK_NEW && iMode != INSERTWORK_EDIT) || !r || !pTable || !pWork)
        return;
    BindFeatureFields(pObj);
    const int n = GetInsertSheetCount(pObj);
    if (iMode == INSERTWORK_NEW && n >= INSERTLIST_MAX) {
        WCHAR szText[512] = {}, szCaption[256] = {};
        lstrcpynW(szText, GetResString(28585), 512);
        lstrcpynW(szCaption, GetResString(kCaption), 256);
        MessageBoxW(hwnd, szText, szCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!_Prepare(hwnd, pObj, iMode, pWork, pTable, n))
        return;
    r->sInvalidBefore = (SHORT)CountInvalidInsertSheets(hwnd, pObj, 1);
    SetActivePageId(pObj, IDD_INSERTSHEET);
    BindFeatureFields(pObj);
    HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    INT_PTR res = DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_INSERTSHEET), hwnd, InsertSheetDlgProc, (LPARAM)pObj);
    SetActivePageId(pObj, PAGE_COVER);
    BindFeatureFields(pObj);
    if (res != IDOK)
        return;
    // The dialog may have been told of a list that changed meanwhile.
    const int cNow = GetInsertSheetCount(pObj);
    if (pWork->wEntry > cNow || pWork->wEntry >= INSERTLIST_MAX)
        return;
    const int iEntry = pWork->wEntry;
    const BOOL bAdd = iMode == INSERTWORK_NEW || iEntry == cNow;
    _StoreEntry(pObj, pTable, pWork);
    if (bAdd)
        SetInsertSheetCount(pObj, cNow + 1);
    _BypassRules(hwnd, pObj, pTable[iEntry], r->sInvalidBefore);
    _Renumber(pObj, FALSE);
    InsertSheetFillList(hwnd, pObj);
    _SelectRow(hwnd, iEntry + 1, FALSE);
    _Dependencies(hwnd, pObj);
    _RefreshBypassType(hwnd, pObj);
    UpdateWindow(hwnd);
    _StoreTextSettings(pObj);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
}

void InsertSheetDeleteSelected(HWND hwnd, UISETTINGS* pObj)
{
    COVERPAGEREC* r = _Record(hwnd);
    HWND hList = _ListOf(hwnd);
    INSERTSHEET* pTable = GetInsertSheetTable(pObj);
    if (!r || !hList || !pTable)
        return;
    const int n = GetInsertSheetCount(pObj);
    const int i = GetSelectedInsertSheet(hwnd);
    if (i < 0 || i >= n)
        return;
    ++r->dwInSelect;
    ListView_SetItemState(hList, i + 1, 0, LVIS_SELECTED);
    SendMessageW(hList, LVM_DELETEITEM, (WPARAM)(i + 1), 0);
    --r->dwInSelect;
    // Later entries move forward; the freed last one is cleared.
    if (i + 1 < n)
        memmove(&pTable[i], &pTable[i + 1], (size_t)(n - i - 1) * sizeof(INSERTSHEET));
    memset(&pTable[n - 1], 0, sizeof(INSERTSHEET));
    const int cLeft = ListView_GetItemCount(hList) - 1;
    SetInsertSheetCount(pObj, cLeft);
    // The row that took the deleted one's place, or the new last.
    int iRow = i + 1 <= cLeft ? i + 1 : cLeft;
    BindFeatureFields(pObj);
    CountInvalidInsertSheets(hwnd, pObj, 1);
    _Renumber(pObj, FALSE);
    InsertSheetFillList(hwnd, pObj);
    r->iLastRow = iRow >= 1 ? iRow : -1;
    _SelectRow(hwnd, iRow >= 1 ? iRow : -1, TRUE);
    _Dependencies(hwnd, pObj);
    _RefreshBypassType(hwnd, pObj);
    UpdateWindow(hwnd);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
}

void InsertSheetMoveEntry(HWND hwnd, UISETTINGS* pObj, int iMode)
{
    INSERTSHEET* pTable = GetInsertSheetTable(pObj);
    if (!_Record(hwnd) || !pTable || (iMode != 1 && iMode != 2))
        return;
    const int n = GetInsertSheetCount(pObj);
    const int i = GetSelectedInsertSheet(hwnd);
    if (i < 0 || i >= n)
        return;
    const int j = iMode == 1 ? i - 1 : i + 1;
    if (j < 0 || j >= n) {
        MessageBeep(MB_OK);
        return;
    }
    INSERTSHEET t;
    memcpy(&t, &pTable[i], sizeof(t));
    memcpy(&pTable[i], &pTable[j], sizeof(t));
    memcpy(&pTable[j], &t, sizeof(t));
    InsertSheetFillList(hwnd, pObj);
    _SelectRow(hwnd, j + 1, FALSE);
    _Dependencies(hwnd, pObj);
    UpdateWindow(hwnd);
}

LRESULT CALLBACK InsertSheetListSubclassProc(HWND hList, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    COVERPAGEREC* r = _Record(GetParent(hList));
    WNDPROC pfnOld = r ? r->pfnListProc : nullptr;
    if (!pfnOld)
        return DefWindowProcW(hList, uMsg, wParam, lParam);
    if (uMsg == WM_PAINT) {
        // The rows are drawn whole by the page: the update area is painted
        // again without erasing it first.
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hList, &ps);
        RECT rc = {};
        if (hdc && GetClipBox(hdc, &rc) != ERROR)
            InvalidateRect(hList, &rc, FALSE);
        EndPaint(hList, &ps);
    }
    return CallWindowProcW(pfnOld, hList, uMsg, wParam, lParam);
}

LRESULT InsertSheetListNotify(HWND hwnd, UISETTINGS* pObj, const NMHDR* pnm)
{
    COVERPAGEREC* r = _Record(hwnd);
    HWND hList = _ListOf(hwnd);
    if (!r || !hList || !pObj || !pnm)
        return 0;
    const int n = GetInsertSheetCount(pObj);
    switch (pnm->code) {
    case LVN_KEYDOWN: {
        const NMLVKEYDOWN* k = (const NMLVKEYDOWN*)pnm;
        if (k->wVKey == VK_PRIOR) {
            r->wPageUpKey = 1;
        } else if (k->wVKey == VK_UP) {
            int iSel = ListView_GetNextItem(hList, -1, LVNI_SELECTED);
            int iFocus = ListView_GetNextItem(hList, -1, LVNI_FOCUSED);
            if (iSel == 1 && iFocus == 1 && n >= 1)
                r->wUpKey = 1;
        } else if (k->wVKey == VK_DELETE && bSheetEditable(pObj)) {
            InsertSheetDeleteSelected(hwnd, pObj);
        }
        return 0;
    }
    case LVN_ITEMCHANGING: {
        const NMLISTVIEW* nm = (const NMLISTVIEW*)pnm;
        if (!r->dwInFill && nm->iItem >= 1 && ((nm->uNewState | nm->uOldState) & LVIS_SELECTED))
            r->iLastRow = nm->iItem;
        return 0;
    }
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW* nm = (const NMLISTVIEW*)pnm;
        if (r->dwInFill || r->dwInSelect || !(nm->uChanged & LVIF_STATE))
            return 0;
        const BOOL bNowSelected = (nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED);
        if (!bNowSelected)
            return 0;
        if (nm->iItem == 0) {
            int iRow = -1;
            if (r->wUpKey || r->wPageUpKey) {
                iRow = n >= 1 ? 1 : -1;
                r->wUpKey = r->wPageUpKey = 0;
            } else if (r->iLastRow >= 1 && r->iLastRow <= n) {
                iRow = r->iLastRow;
            }
            ++r->dwInSelect;
            ListView_SetItemState(hList, 0, 0, LVIS_SELECTED);
            if (iRow >= 1)
                ListView_SetItemState(hList, iRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            SendMessageW(hList, LVM_ENSUREVISIBLE, 0, FALSE);
            --r->dwInSelect;
            SetFocus(hList);
            if (iRow < 1)
                r->iLastRow = -1;
        } else {
            r->iLastRow = nm->iItem;
        }
        _Dependencies(hwnd, pObj);
        return 0;
    }
    case LVN_COLUMNCLICK: {
        const NMLISTVIEW* nm = (const NMLISTVIEW*)pnm;
        if (n < 2 || nm->iSubItem < 0 || nm->iSubItem >= INSERTLIST_COLUMNS || !bSheetEditable(pObj))
            return 0;
        // The page record is packed: the word is copied out and in.
        DWORD dwDesc;
        memcpy(&dwDesc, &r->adwSortDesc[nm->iSubItem], sizeof(dwDesc));
        dwDesc = dwDesc ? 0 : 1;
        memcpy(&r->adwSortDesc[nm->iSubItem], &dwDesc, sizeof(dwDesc));
        SortInsertSheets(GetInsertSheetTable(pObj), n, nm->iSubItem, dwDesc != 0);
        InsertSheetFillList(hwnd, pObj);
        _Dependencies(hwnd, pObj);
        return 0;
    }
    case NM_DBLCLK:
        if (bSheetEditable(pObj) && GetSelectedInsertSheet(hwnd) >= 0 && IsWindowEnabled(GetDlgItem(hwnd, 251)))
            InsertSheetEditEntry(hwnd, pObj, INSERTWORK_EDIT);
        return 0;
    case NM_CLICK:
        _Dependencies(hwnd, pObj);
        return 0;
    default:
        return 0;
    }
}

void InsertSheetDrawRow(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    COVERPAGEREC* r = _Record(hwnd);
    HWND hList = pdis->hwndItem;
    INSERTSHEET* pTable = GetInsertSheetTable(pObj);
    const int row = (int)pdis->itemID;
    if (!r || !hList || !pTable || row < 0)
        return;
    const int n = GetInsertSheetCount(pObj);
    const INSERTSHEET* e = row >= 1 && row <= n ? &pTable[row - 1] : nullptr;
    if (row >= 1 && !e)
        return;
    BindFeatureFields(pObj);
    const BOOL bDuplex = bInsertDuplexInEffect(pObj);
    HDC hdc = pdis->hDC;
    const BOOL bDisabled = GetDependencyState(kList) != 1 || (pdis->itemState & ODS_DISABLED) ||
                           !bSheetEditable(pObj) || (e && e->wState == INSERTSHEET_UNAVAILABLE);
    const BOOL bSelected = (pdis->itemState & ODS_SELECTED) != 0;
    COLORREF crBack, crText;
    if (bDisabled) {
        crBack = GetSysColor(COLOR_BTNFACE);
        crText = GetSysColor(COLOR_GRAYTEXT);
    } else if (bSelected) {
        crBack = GetSysColor(COLOR_HIGHLIGHT);
        crText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        COLORREF cr = (COLORREF)SendMessageW(hList, LVM_GETTEXTBKCOLOR, 0, 0);
        crBack = cr == CLR_NONE ? GetSysColor(COLOR_WINDOW) : cr;
        crText = GetSysColor(COLOR_WINDOWTEXT);
    }
    // Row 0 in an italic face of the DC's size; the others in the list's font.
    HFONT hItalic = nullptr;
    HGDIOBJ hOldFont = nullptr;
    HFONT hListFont = (HFONT)SendMessageW(hList, WM_GETFONT, 0, 0);
    if (hListFont)
        hOldFont = SelectObject(hdc, hListFont);
    if (row == 0) {
        TEXTMETRICW tm = {};
        GetTextMetricsW(hdc, &tm);
        LOGFONTW lf = {};
        lf.lfHeight = tm.tmHeight;
        lf.lfWidth = tm.tmAveCharWidth;
        lf.lfWeight = FW_NORMAL;
        lf.lfItalic = TRUE;
        lf.lfUnderline = tm.tmUnderlined;
        lf.lfStrikeOut = tm.tmStruckOut;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lstrcpynW(lf.lfFaceName, kRowZeroFace, LF_FACESIZE);
        hItalic = CreateFontIndirectW(&lf);
        if (hItalic) {
            HGDIOBJ h = SelectObject(hdc, hItalic);
            if (!hOldFont)
                hOldFont = h;
        }
    }
    RECT rcClient;
    GetClientRect(hList, &rcClient);
    RECT rcRow = pdis->rcItem;
    rcRow.right = rcClient.right;
    HBRUSH hbr = CreateSolidBrush(crBack);
    FillRect(hdc, &rcRow, hbr);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, crText);
    const int left = rcRow.left;
    if (r->hImages)
        ImageList_Draw(r->hImages, InsertSheetRowIcon(e, bDuplex) - 14000, hdc, left + 3, rcRow.top, ILD_TRANSPARENT);
    WCHAR asz[INSERTLIST_COLUMNS][130];
    _RowTexts(pObj, e, bDuplex, asz);
    int x = left;
    for (int k = 0; k < INSERTLIST_COLUMNS; ++k) {
        int cx = (int)SendMessageW(hList, LVM_GETCOLUMNWIDTH, (WPARAM)k, 0);
        RECT rcCell = {x, rcRow.top, k == INSERTLIST_COLUMNS - 1 ? rcClient.right : x + cx, rcRow.bottom};
        int xText = k == 0 ? left + 3 + 16 + 3 : x + 3;
        _DrawCell(hdc, asz[k], rcCell, xText, rcRow.top + 2);
        x += cx;
    }
    DeleteObject(hbr);
    if (pdis->itemState & ODS_FOCUS)
        DrawFocusRect(hdc, &rcRow);
    if (hOldFont)
        SelectObject(hdc, hOldFont);
    if (hItalic)
        DeleteObject(hItalic);
}
