// insertsheet.cpp: the insert sheet dialog. See insertsheet.h.
#include "ui/dialogs/insertsheet.h"

#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/insertpreview.h"
#include "ui/dialogs/preview.h"
#include "ui/dialogs/subdlg.h"
#include "ui/dialogs/tabtextdetail.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/insertsheet.h"
#include "ui/settings/insertwork.h"
#include "ui/settings/listset.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>
#include <vector>

namespace {

const UINT kCaption = 20157;
const UINT kGroupTitle = 20158;
const UINT kAutoPosition = 28531;
const UINT kConflictHead = 28532;
const UINT kConflictGap = 28533;
const UINT kSingleSheet = 28515;
const UINT kRevalidateHead = 28535;
const UINT kChangeHead = 22226;
const UINT kChangeLine = 22310;
const DWORD kHelpContext = 3108;

// Parameters of the current insert-sheet list in the settings object.
const WORD kParamEntries = 205;       // its 128 insert-sheet records
const WORD kParamPageListNum = 208;   // records in use

// Features of the dialog and of the settings it reads.
const WORD kFeatPrintType = 2405;
const WORD kFeatTray = 2407;
const WORD kFeatBinding = 2409;
const WORD kFeatIndex = 2411;
const WORD kFeatTabPos = 2415;
const WORD kFeatMediaSize = 111;
const WORD kFeatOutputPaper = 114;
const WORD kFeatStaple = 131;          // Setup staple
const WORD kFeatPodStaple = 320;       // Finishing staple
const WORD kFeatDuplex = 132;
const WORD kFeatPodDuplex = 310;
const WORD kFeatPunch = 136;
const WORD kFeatPodPunch = 321;
const WORD kFeatOnePerSheet = 308;
const WORD kFeatCenterFinish = 317;
const WORD kFeatGraphics = 612;

const SHORT kTrayJob = 4096;           // the document's paper source
const SHORT kTrayInserter = 4;
const SHORT kTypeDuplex = 3;
const SHORT kTypeChapters = 5;
const int kMaxPages = 9999;
const int kMaxDuplicates = 6;

// Refresh bits.
const DWORD kRefPrintType = 2, kRefTray = 4, kRefBinding = 8, kRefIndex = 0x10, kRefTabPos = 0x20;

// The four combos the common filler serves, in the order of their code
// arrays.
enum { kComboType, kComboTray, kComboBinding, kComboTabPos, kCombos };
const WORD kComboFeature[kCombos] = {kFeatPrintType, kFeatTray, kFeatBinding, kFeatTabPos};
const int kComboId[kCombos] = {IDC_INS_PRINTTYPE, IDC_INS_TRAY, IDC_INS_BINDING, IDC_INS_TABPOS};

// The dialog's block.
struct INSDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    SHORT* psCodes;                  // one allocation: the four code arrays
    int aiCodesAt[kCombos];          // where each array starts in it
    int acCodes[kCombos];            // its length (the value list's)
    SHORT aasShown[kCombos][64];     // the code of every combo position
    int acShown[kCombos];
    LONG_PTR pfnPages;               // saved procedure of 2403
    LONG_PTR pfnTabText;             // saved procedure of 2413
    WORD wMode;                      // 0, 2 while OK checks
    BOOL bNoticePending;             // the change notice is still to show
    BOOL bChecking;                  // a page-list check is running
};

LRESULT CALLBACK PagesEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TabTextEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

bool Contains(LPCWSTR psz, WCHAR ch)
{
    for (; psz && *psz; ++psz)
        if (*psz == ch)
            return true;
    return false;
}

INSDLG* Block(HWND hDlg)
{
    return hDlg ? (INSDLG*)DlgGetBlock(hDlg) : nullptr;
}

DWORD& Dirty(UISETTINGS* pObj)
{
    return DlgStateWords(pObj)[DLGWORD_INSERT_DIRTY];
}

SHORT Setting(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return DlgGetSetting(pObj, pszKey);
}

bool On(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return Setting(pObj, pszKey) == 1;
}

bool IndexOn(UISETTINGS* pObj)
{
    return Setting(pObj, u"PrnTabIndex") == 1;
}

bool DuplexOn(UISETTINGS* pObj)
{
    return (On(pObj, u"Layout_Check2") && On(pObj, u"Duplex_Check")) ||
           (On(pObj, u"POD_Check") && On(pObj, u"POD_Duplex_Check"));
}

bool StapleOn(UISETTINGS* pObj, WORD* pwFeature)
{
    if (On(pObj, u"Layout_Check2") && On(pObj, u"Staple_Check")) {
        *pwFeature = kFeatStaple;
        return true;
    }
    if (On(pObj, u"POD_Check") && On(pObj, u"POD_Staple_Check")) {
        *pwFeature = kFeatPodStaple;
        return true;
    }
    return false;
}

SHORT TabCount(UISETTINGS* pObj)
{
    return Setting(pObj, u"lpTabIndexNum");
}

INSERTSHEET* Entries(UISETTINGS* pObj, int* pc)
{
    SHORT c = 0;
    if (const BYTE* pc16 = GetParamSlot(pObj, kParamPageListNum))
        memcpy(&c, pc16, 2);
    *pc = c < 0 ? 0 : c > INTERSHEET_ENTRIES ? INTERSHEET_ENTRIES : c;
    return (INSERTSHEET*)GetParamSlot(pObj, kParamEntries);
}

bool ItemEnabled(WORD wFeature, SHORT sCode)
{
    int j = FindFeatureItem(wFeature, sCode);
    return j >= 0 && GetFeatureItem(wFeature, j)->sEnabled == ITEM_ENABLED;
}

void Redraw(HWND hDlg, int id)
{
    if (HWND h = GetDlgItem(hDlg, id))
        InvalidateRect(h, nullptr, FALSE);
}

void FocusAndSelectEdit(HWND hDlg, int id)
{
    HWND h = GetDlgItem(hDlg, id);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, -1);
}

// One "   name : value" line of a notice.
BOOL AppendLine(LPWSTR pszText, int cchText, UINT uFormat, LPCWSTR pszName, LPCWSTR pszValue)
{
    WCHAR szLine[256] = {0};
    DlgFormat(szLine, 256, uFormat ? GetResString(uFormat) : u"   %s : %s\n", pszName ? pszName : u"",
              pszValue ? pszValue : u"");
    return DlgAppend(pszText, cchText, szLine);
}

void Information(HWND hDlg, LPCWSTR pszText)
{
    WCHAR szCaption[256] = {0};
    lstrcpynW(szCaption, GetResString(kCaption), 256);
    MessageBoxW(hDlg, pszText, szCaption, MB_ICONINFORMATION);
}

// ---- Combos ----

// The paper the availability of the sheet's values is judged against: the
// output paper, the document's paper when the output follows it, the tab
// paper while index paper is on. Answers the value to put back.
SHORT SubstitutePaper(UISETTINGS* pObj)
{
    SHORT sOut = GetFeatureValue(kFeatOutputPaper);
    if (sOut == 257)
        SetFeatureValue(kFeatOutputPaper, (SHORT)(GetFeatureValue(kFeatMediaSize) & ~0x1000));
    if (IndexOn(pObj))
        SetFeatureValue(kFeatOutputPaper, Setting(pObj, u"lpTabPaperSize"));
    return sOut;
}

// The common filler of the four combos: every item judged by the
// availability rules (the heading position also by the tab count), the
// usable ones shown in list order, the current value selected. A current
// value that is not shown gives way: the paper source to the first shown
// item, the others to their default.
void FillCombo(INSDLG* p, int k)
{
    UISETTINGS* pObj = p->pObj;
    WORD wFeature = kComboFeature[k];
    HWND hCombo = GetDlgItem(p->hDlg, kComboId[k]);
    BindFeatureFields(pObj);
    FVLHEADER* pList = GetFeatureListHeader(wFeature);
    SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    p->acShown[k] = 0;
    if (!pList)
        return;
    SHORT sOut = 0;
    if (k != kComboTabPos)
        sOut = SubstitutePaper(pObj);
    SHORT sTabs = TabCount(pObj);
    int n = GetFeatureItemCount(wFeature);
    SHORT* psCodes = p->psCodes ? p->psCodes + p->aiCodesAt[k] : nullptr;
    int iSelect = -1, iDefault = -1;
    for (int i = 0; i < n; ++i) {
        FVLITEM* it = GetFeatureItem(wFeature, i);
        it->sIndex = (SHORT)i;
        it->sEnabled = ITEM_ENABLED;
        if (psCodes && i < p->acCodes[k])
            psCodes[i] = it->sValue;
        UpdateItemAvailability(pObj, wFeature, i);
        if (k == kComboTabPos && it->sValue > sTabs)
            it->sEnabled = ITEM_DISABLED;
        if (it->sEnabled != ITEM_ENABLED) {
            it->sIndex = ITEM_HIDDEN;
            continue;
        }
        int pos = p->acShown[k];
        if (pos >= 64) {
            it->sIndex = ITEM_HIDDEN;
            continue;
        }
        it->sIndex = (SHORT)pos;
        p->aasShown[k][pos] = it->sValue;
        ++p->acShown[k];
        SendMessageW(hCombo, CB_ADDSTRING, 0, (LPARAM)it->szText);
        if (it->sValue == pList->sInitial)
            iSelect = pos;
        if (it->sValue == pList->sDefault)
            iDefault = pos;
    }
    if (iSelect < 0) {
        // The current value is not offered.
        if (k == kComboTray || iDefault < 0)
            iSelect = p->acShown[k] > 0 ? 0 : -1;
        else
            iSelect = iDefault;
        pList->sInitial = iSelect >= 0 ? p->aasShown[k][iSelect] : pList->sDefault;
    }
    pList->sCurIndex = (SHORT)(iSelect < 0 ? 0 : iSelect);
    SendMessageW(hCombo, CB_SETCURSEL, iSelect < 0 ? (WPARAM)-1 : (WPARAM)iSelect, 0);
    if (k != kComboTabPos)
        SetFeatureValue(kFeatOutputPaper, sOut);
}

// The code chosen in a combo; FALSE when nothing is chosen.
BOOL ChosenCode(INSDLG* p, int k, SHORT* psCode)
{
    LRESULT i = SendDlgItemMessageW(p->hDlg, kComboId[k], CB_GETCURSEL, 0, 0);
    if (i == CB_ERR || i < 0 || i >= p->acShown[k])
        return FALSE;
    *psCode = p->aasShown[k][i];
    return TRUE;
}

// The heading position items: "Auto" and n/tabs; a position beyond the tab
// count cannot be chosen.
void FormatTabPositions(UISETTINGS* pObj)
{
    SHORT sTabs = TabCount(pObj);
    int n = GetFeatureItemCount(kFeatTabPos);
    for (int i = 0; i < n; ++i) {
        FVLITEM* it = GetFeatureItem(kFeatTabPos, i);
        if (i == 0)
            lstrcpynW(it->szText, GetResString(kAutoPosition), 64);
        else
            DlgFormat(it->szText, 64, u"%d/%d", i, (int)sTabs);
        if (it->sValue > sTabs)
            it->sEnabled = ITEM_DISABLED;
    }
}

// ---- Index paper ----

// Whether the staple in force can staple the tab paper.
bool StapleFitsTabPaper(UISETTINGS* pObj, WORD wFeature)
{
    SHORT sOut = GetFeatureValue(kFeatOutputPaper);
    DWORD dwState = GetDependencyState(wFeature);
    SetFeatureValue(kFeatOutputPaper, Setting(pObj, u"lpTabPaperSize"));
    SetDependencyState(wFeature, 1);
    UpdateFeatureAvailability(pObj, wFeature);
    bool bFits = ItemEnabled(wFeature, GetFeatureValue(wFeature));
    SetFeatureValue(kFeatOutputPaper, sOut);
    SetDependencyState(wFeature, dwState);
    UpdateFeatureAvailability(pObj, wFeature);
    return bFits;
}

// Whether the sheet may be index paper with the settings in force.
bool IndexPaperAllowed(UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    SHORT sType = GetFeatureValue(kFeatPrintType);
    SHORT sTray = GetFeatureValue(kFeatTray);
    if (sType == kTypeDuplex || sType == kTypeChapters)
        return false;
    WORD wStaple;
    if (StapleOn(pObj, &wStaple) && !StapleFitsTabPaper(pObj, wStaple))
        return false;
    if (sTray == kTrayInserter && Setting(pObj, u"lpMediaSource") == kTrayInserter &&
        Setting(pObj, u"lpMediaType") != 8)
        return false;
    if (sTray == kTrayInserter && Setting(pObj, u"lpCoverMediaType") != 8 &&
        ((On(pObj, u"Front_Check") && Setting(pObj, u"lpFrontCoverTray") == kTrayInserter) ||
         (On(pObj, u"Back_Check") && Setting(pObj, u"lpBackCoverTray") == kTrayInserter)))
        return false;
    if (On(pObj, u"Layout_Check2") && On(pObj, u"Punch_Check"))
        return false;
    if (On(pObj, u"POD_Check") &&
        (On(pObj, u"POD_OnePerSheet_Check") || On(pObj, u"CenterFinish_Check") || On(pObj, u"POD_Punch_Check")))
        return false;
    if (DuplexOn(pObj) && Setting(pObj, u"Mixplex_Check") == 0)
        return false;
    return Setting(pObj, u"lpGraphicsMode") != 1;
}

// ---- Refresh ----

void Refresh(INSDLG* p)
{
    HWND hDlg = p->hDlg;
    UISETTINGS* pObj = p->pObj;
    DWORD& d = Dirty(pObj);
    BindFeatureFields(pObj);
    if (d & kRefPrintType) {
        d &= ~kRefPrintType;
        FillCombo(p, kComboType);
        BOOL b = GetFeatureValue(kFeatPrintType) == kTypeDuplex;
        EnableWindow(GetDlgItem(hDlg, IDC_INS_BINDING_LABEL), b);
        EnableWindow(GetDlgItem(hDlg, IDC_INS_BINDING), b);
    }
    if (d & kRefTray) {
        d &= ~kRefTray;
        FillCombo(p, kComboTray);
        BOOL b = GetFeatureValue(kFeatPrintType) != kTypeChapters;
        EnableWindow(GetDlgItem(hDlg, IDC_INS_TRAY_LABEL), b);
        EnableWindow(GetDlgItem(hDlg, IDC_INS_TRAY), b);
    }
    if (d & kRefBinding) {
        d &= ~kRefBinding;
        FillCombo(p, kComboBinding);
    }
    if (d & kRefIndex) {
        d &= ~kRefIndex;
        bool bOn = IndexOn(pObj);
        ShowWindow(GetDlgItem(hDlg, IDC_INS_TAB_PICTURE), bOn ? SW_SHOW : SW_HIDE);
        ShowWindow(GetDlgItem(hDlg, IDC_INS_SHEET_PICTURE), bOn ? SW_HIDE : SW_SHOW);
        for (int id = IDC_INS_TABTEXT_LABEL; id <= IDC_INS_TABPOS; ++id)
            EnableWindow(GetDlgItem(hDlg, id), bOn);
        INSERTSHEETWORK* pWork = GetInsertSheetWork(pObj);
        EnableWindow(GetDlgItem(hDlg, IDC_INS_DETAILS), bOn && pWork && pWork->szLiveTabText[0]);
        CheckDlgButton(hDlg, IDC_INS_INDEX, bOn ? BST_CHECKED : BST_UNCHECKED);
    }
    if (d & kRefTabPos) {
        d &= ~kRefTabPos;
        FillCombo(p, kComboTabPos);
    }
    EnableWindow(GetDlgItem(hDlg, IDC_INS_INDEX), IndexPaperAllowed(pObj));
}

void RefreshBits(INSDLG* p, DWORD dwBits)
{
    Dirty(p->pObj) |= dwBits;
    Refresh(p);
}

// ---- Opening and closing ----

void Init(HWND hDlg, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    INSDLG* p = (INSDLG*)DlgAllocBlock(hDlg, sizeof(INSDLG));
    if (!p)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    BindFeatureFields(pObj);
    int cTotal = 0;
    for (int k = 0; k < kCombos; ++k) {
        p->aiCodesAt[k] = cTotal;
        p->acCodes[k] = GetFeatureItemCount(kComboFeature[k]);
        cTotal += p->acCodes[k];
    }
    p->psCodes = cTotal > 0 ? (SHORT*)LocalAlloc(LPTR, cTotal * sizeof(SHORT)) : nullptr;
    SendDlgItemMessageW(hDlg, IDC_INS_PAGES, EM_LIMITTEXT, INS_PAGES_CHARS, 0);
    SendDlgItemMessageW(hDlg, IDC_INS_TABTEXT, EM_LIMITTEXT, INS_TABTEXT_CHARS, 0);
    INSERTSHEETWORK* pWork = GetInsertSheetWork(pObj);
    if (pWork && pWork->wState == INSERTWORK_EDIT) {
        int c = 0;
        const INSERTSHEET* pEntries = Entries(pObj, &c);
        LPCWSTR pszPages = pWork->szPages, pszText = pWork->szTabText;
        if (pEntries && pWork->wEntry < c) {
            pszPages = pEntries[pWork->wEntry].szPages;
            pszText = pEntries[pWork->wEntry].szTabText;
        }
        WCHAR szPages[INSERTSHEET_PAGES_CCH] = {0}, szText[INSERTSHEET_TEXT_CCH] = {0};
        lstrcpynW(szPages, pszPages, INSERTSHEET_PAGES_CCH);
        lstrcpynW(szText, pszText, INSERTSHEET_TEXT_CCH);
        SetDlgItemTextW(hDlg, IDC_INS_PAGES, szPages);
        SetDlgItemTextW(hDlg, IDC_INS_TABTEXT, szText);
        lstrcpynW(pWork->szLiveTabText, szText, INSERTSHEET_TEXT_CCH);
    } else if (pWork) {
        memset(pWork->szLiveTabText, 0, sizeof(pWork->szLiveTabText));
    }
    FormatTabPositions(pObj);
    Dirty(pObj) = kRefPrintType | kRefTray | kRefBinding | kRefIndex | kRefTabPos;
    Refresh(p);
    CheckDlgButton(hDlg, IDC_INS_INDEX, IndexOn(pObj) ? BST_CHECKED : BST_UNCHECKED);
    WCHAR szTitle[256] = {0};
    DlgAppend(szTitle, 256, GetResString(kGroupTitle));
    SHORT sList = Setting(pObj, u"lpInterSheetList");
    WORD wList = GetParamIdOfKey(u"lpInterSheetList");
    if (const UIITEMLIST* pNames = wList ? (const UIITEMLIST*)GetParamSlot(pObj, wList) : nullptr) {
        const UIITEMCHOICE* it = (const UIITEMCHOICE*)(pNames + 1);
        for (int i = 0; i < pNames->sCount; ++i)
            if (it[i].sValue == sList) {
                DlgAppend(szTitle, 256, it[i].szText);
                break;
            }
    }
    SetDlgItemTextW(hDlg, IDC_INS_GROUP, szTitle);
    p->pfnPages = SubclassDlgEdit(hDlg, IDC_INS_PAGES, PagesEditProc);
    p->pfnTabText = SubclassDlgEdit(hDlg, IDC_INS_TABTEXT, TabTextEditProc);
    p->bNoticePending = TRUE;
    p->wMode = 0;
}

void End(HWND hDlg, int iResult)
{
    INSDLG* p = Block(hDlg);
    if (p) {
        if (INSERTSHEETWORK* pWork = GetInsertSheetWork(p->pObj))
            memset(pWork->szLiveTabText, 0, sizeof(pWork->szLiveTabText));
        RestoreEditProc(hDlg, IDC_INS_PAGES, p->pfnPages);
        RestoreEditProc(hDlg, IDC_INS_TABTEXT, p->pfnTabText);
        if (p->psCodes)
            LocalFree(p->psCodes);
        DlgFreeBlock(hDlg);
    }
    UnregisterPageLink(IDD_INSERTSHEET);
    EndDialog(hDlg, iResult);
}

// ---- Commands ----

void OnPrintType(INSDLG* p)
{
    SHORT sCode;
    if (!ChosenCode(p, kComboType, &sCode))
        return;
    UISETTINGS* pObj = p->pObj;
    SetFeatureValue(kFeatPrintType, sCode);
    SHORT sBinding = 1;
    if (sCode == kTypeDuplex)
        sBinding = DuplexOn(pObj) && Setting(pObj, u"lpDuplex") != 2 ? 3 : 2;
    SetFeatureValue(kFeatBinding, sBinding);
    if (sCode == kTypeChapters)
        SetFeatureValue(kFeatTray, kTrayJob);
    RefreshBits(p, kRefPrintType | kRefTray | kRefBinding | kRefIndex);
    Redraw(p->hDlg, IDC_INS_SHEET_PICTURE);
    Redraw(p->hDlg, IDC_INS_TAB_PICTURE);
}

void OnIndexPaper(INSDLG* p)
{
    HWND hDlg = p->hDlg;
    UISETTINGS* pObj = p->pObj;
    if (IndexOn(pObj)) {
        DlgSetSetting(pObj, u"PrnTabIndex", 0);
        RevalidateAfterIndexPaperOff(hDlg, pObj);
    } else if (!ListInsertSheetConflicts(hDlg, pObj)) {
        DlgSetSetting(pObj, u"PrnTabIndex", 1);
    }
    RefreshBits(p, kRefIndex | kRefTray | kRefPrintType | kRefBinding);
    Redraw(hDlg, IDC_INS_TAB_PICTURE);
    Redraw(hDlg, IDC_INS_SHEET_PICTURE);
}

void OnTabText(INSDLG* p)
{
    INSERTSHEETWORK* pWork = GetInsertSheetWork(p->pObj);
    if (!pWork)
        return;
    WCHAR sz[INSERTSHEET_TEXT_CCH] = {0};
    GetDlgItemTextW(p->hDlg, IDC_INS_TABTEXT, sz, INSERTSHEET_TEXT_CCH);
    memset(pWork->szLiveTabText, 0, sizeof(pWork->szLiveTabText));
    lstrcpynW(pWork->szLiveTabText, sz, INSERTSHEET_TEXT_CCH);
    EnableWindow(GetDlgItem(p->hDlg, IDC_INS_DETAILS), IndexOn(p->pObj) && sz[0]);
    Redraw(p->hDlg, IDC_INS_TAB_PICTURE);
}

void OnOk(INSDLG* p)
{
    p->wMode = 2;
    BOOL bOk = bParseInsertPageList(p->hDlg);
    p->wMode = 0;
    if (!bOk)
        return;
    if (INSERTSHEETWORK* pWork = GetInsertSheetWork(p->pObj)) {
        memset(pWork->szTabText, 0, sizeof(pWork->szTabText));
        GetDlgItemTextW(p->hDlg, IDC_INS_TABTEXT, pWork->szTabText, INSERTSHEET_TEXT_CCH);
    }
    End(p->hDlg, IDOK);
}

void Command(HWND hDlg, WPARAM wParam)
{
    INSDLG* p = Block(hDlg);
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (!p) {
        if (id == IDOK || id == IDCANCEL)
            EndDialog(hDlg, id);
        return;
    }
    SetActivePageId(p->pObj, IDD_INSERTSHEET);
    switch (id) {
    case IDOK:
        OnOk(p);
        break;
    case IDCANCEL:
        End(hDlg, IDCANCEL);
        break;
    case IDC_INS_HELP: {
        WCHAR szPath[HELPTABLE_PATH_CCH] = {0};
        ShowDriverHelp(hDlg, szPath, HELP_CONTEXT, kHelpContext);
        break;
    }
    case IDC_INS_PRINTTYPE:
        if (code == CBN_SELCHANGE)
            OnPrintType(p);
        break;
    case IDC_INS_TRAY: {
        SHORT s;
        if (code == CBN_SELCHANGE && ChosenCode(p, kComboTray, &s)) {
            SetFeatureValue(kFeatTray, s);
            RefreshBits(p, kRefTray | kRefPrintType | kRefBinding | kRefIndex);
        }
        break;
    }
    case IDC_INS_BINDING: {
        SHORT s;
        if (code == CBN_SELCHANGE && ChosenCode(p, kComboBinding, &s)) {
            SetFeatureValue(kFeatBinding, s);
            RefreshBits(p, kRefBinding);
            Redraw(hDlg, IDC_INS_SHEET_PICTURE);
        }
        break;
    }
    case IDC_INS_TABPOS: {
        SHORT s;
        if (code == CBN_SELCHANGE && ChosenCode(p, kComboTabPos, &s)) {
            SetFeatureValue(kFeatTabPos, s);
            RefreshBits(p, kRefTabPos);
        }
        break;
    }
    case IDC_INS_INDEX:
        if (code == BN_CLICKED)
            OnIndexPaper(p);
        break;
    case IDC_INS_TABTEXT:
        if (code == EN_CHANGE)
            OnTabText(p);
        break;
    case IDC_INS_DETAILS: {
        if (code != BN_CLICKED)
            break;
        HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hDlg, GWLP_HINSTANCE);
        DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_TABTEXTDETAIL), hDlg, TabTextDetailDlgProc, (LPARAM)p->pObj);
        p = Block(hDlg);
        if (!p)
            break;
        SetActivePageId(p->pObj, IDD_INSERTSHEET);
        Redraw(hDlg, IDC_INS_TAB_PICTURE);
        NotifySheetChanged(hDlg);
        break;
    }
    }
}

void DrawItem(HWND hDlg, const DRAWITEMSTRUCT* dis)
{
    INSDLG* p = Block(hDlg);
    if (!p || !dis)
        return;
    switch (dis->CtlID) {
    case IDC_INS_SHEET_PICTURE:
        PaintInsertSheetPreview(dis->hDC, &dis->rcItem, p->pObj);
        break;
    case IDC_INS_TAB_PICTURE:
        PaintTabTextPreview(dis->hDC, &dis->rcItem, p->pObj);
        break;
    case IDC_INS_NOTICE:
        if (p->bNoticePending) {
            p->bNoticePending = FALSE;
            ShowInsertSheetChangeNotice(hDlg, p->pObj);
        }
        break;
    }
}

// ---- Edit filters ----

bool PassesAlways(WCHAR ch)
{
    return ch == 3 || ch == 8 || ch == 22 || ch == 24 || ch == 26;
}

LRESULT CallSaved(LONG_PTR pfn, HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

// The key filter of the page list: a key goes in only when the text it
// makes is still a page list of numbers of at most four digits; while the
// sheet is index paper it takes one number only.
LRESULT CALLBACK PagesEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    INSDLG* p = Block(hDlg);
    LONG_PTR pfn = p ? p->pfnPages : 0;
    if (p && uMsg == WM_CHAR && !PassesAlways((WCHAR)wParam)) {
        WCHAR ch = (WCHAR)wParam;
        if (IndexOn(p->pObj) && (ch == u',' || ch == u'-')) {
            MessageBeep(MB_OK);
            return 0;
        }
        WCHAR szNow[INSERTSHEET_PAGES_CCH] = {0}, szNew[INSERTSHEET_PAGES_CCH] = {0};
        GetWindowTextW(hwnd, szNow, INSERTSHEET_PAGES_CCH);
        DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
        int n = InsertCharInText(szNow, szNew, INSERTSHEET_PAGES_CCH, dwSel, ch);
        if (n == 0 || CheckPageListSyntax(szNew, n, 4) != PAGELIST_OK) {
            MessageBeep(MB_OK);
            return 0;
        }
    }
    if (p && uMsg == WM_KILLFOCUS && p->wMode != 2 && !p->bChecking) {
        // OK runs the full check itself: checking on the way to it would
        // show the same message twice.
        HWND hTo = (HWND)wParam;
        if (hTo && hTo != GetDlgItem(hDlg, IDCANCEL) && hTo != GetDlgItem(hDlg, IDOK) && IsChild(hDlg, hTo)) {
            LRESULT r = CallSaved(pfn, hwnd, uMsg, wParam, lParam);
            if (!bParseInsertPageList(hDlg))
                return 0;
            return r;
        }
    }
    return CallSaved(pfn, hwnd, uMsg, wParam, lParam);
}

// The heading text filter: a full text takes no more characters unless
// typing replaces a selection.
LRESULT CALLBACK TabTextEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    INSDLG* p = Block(GetParent(hwnd));
    LONG_PTR pfn = p ? p->pfnTabText : 0;
    if (p && uMsg == WM_CHAR && (WCHAR)wParam >= 32) {
        DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
        LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
        if (n >= INS_TABTEXT_CHARS && LOWORD(dwSel) == HIWORD(dwSel)) {
            MessageBeep(MB_OK);
            return 0;
        }
    }
    return CallSaved(pfn, hwnd, uMsg, wParam, lParam);
}

// The engine's route to the open dialog.
int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_INSERTSHEET, &h);
    return InsertSheetUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

BOOL bParseInsertPageList(HWND hDlg)
{
    INSDLG* p = Block(hDlg);
    if (!p)
        return FALSE;
    UISETTINGS* pObj = p->pObj;
    INSERTSHEETWORK* pWork = GetInsertSheetWork(pObj);
    p->bChecking = TRUE;
    WCHAR sz[INSERTSHEET_PAGES_CCH] = {0};
    GetDlgItemTextW(hDlg, IDC_INS_PAGES, sz, INSERTSHEET_PAGES_CCH);
    int cch = lstrlenW(sz);
    int iError = 0, iKind = PAGELIST_KIND_PAGES;
    std::vector<SHORT> aNew(kMaxPages), aAll;
    int cNew = 0;
    if (cch == 0) {
        if (p->wMode == 2)
            iError = PAGELIST_BAD_CHAR;
    } else if ((iError = CheckPageListSyntax(sz, cch, 4)) != PAGELIST_OK) {
    } else if (IndexOn(pObj) && (Contains(sz, u',') || Contains(sz, u'-'))) {
        iError = PAGELIST_BAD_CHAR;
        iKind = PAGELIST_KIND_SINGLE;
    } else if ((cNew = ParsePageRanges(sz, aNew.data(), kMaxPages)) < 0) {
        iError = PAGELIST_TOO_MANY;
    } else if (cNew == 0) {
        // A list that names no page (it ends in a separator) is refused
        // like a doubled separator.
        iError = sz[cch - 1] == u'-' ? PAGELIST_BAD_HYPHEN : PAGELIST_BAD_COMMA;
    } else {
        // The other entries whose print type inserts at the same place:
        // 2, 3 and 4 share one group, every other type is a group of its own.
        auto group = [](int t) { return t == 2 || t == 3 || t == 4 ? 2 : t; };
        int iGroup = group(GetFeatureValue(kFeatPrintType));
        int c = 0;
        const INSERTSHEET* pEntries = Entries(pObj, &c);
        for (int i = 0; pEntries && i < c && !iError; ++i) {
            if (pWork && pWork->wState == INSERTWORK_EDIT && i == pWork->wEntry)
                continue;
            if (group(pEntries[i].wPrintType) != iGroup)
                continue;
            WCHAR szOther[INSERTSHEET_PAGES_CCH] = {0};
            lstrcpynW(szOther, pEntries[i].szPages, INSERTSHEET_PAGES_CCH);
            std::vector<SHORT> a(kMaxPages);
            int n = ParsePageRanges(szOther, a.data(), kMaxPages);
            if (n < 0 || (int)aAll.size() + (n > 0 ? n : 0) > kMaxPages)
                iError = PAGELIST_TOO_MANY;
            else if (n > 0)
                aAll.insert(aAll.end(), a.begin(), a.begin() + n);
        }
        if (!iError && (int)aAll.size() + cNew > kMaxPages)
            iError = PAGELIST_TOO_MANY;
        if (!iError) {
            aAll.insert(aAll.end(), aNew.begin(), aNew.begin() + cNew);
            if (p->wMode == 2) {
                SHORT asDup[kMaxDuplicates] = {0};
                int cDup = CollectDuplicateValues(aAll.data(), (int)aAll.size(), asDup, kMaxDuplicates);
                if (cDup > 0) {
                    MessageBeep(MB_ICONEXCLAMATION);
                    ShowDuplicatePagesWarning(hDlg, kCaption, asDup, cDup);
                    FocusAndSelectEdit(hDlg, IDC_INS_PAGES);
                    p->bChecking = FALSE;
                    return FALSE;
                }
            }
        }
    }
    if (!iError && cNew > 0) {
        SortPageNumbers(aNew.data(), cNew);
        WCHAR szNormal[INSERTSHEET_PAGES_CCH] = {0};
        if (FormatPageList(aNew.data(), cNew, szNormal, INSERTSHEET_PAGES_CCH) == 0)
            iError = PAGELIST_TOO_MANY;
        else if (pWork)
            memcpy(pWork->szPages, szNormal, sizeof(szNormal));
    } else if (!iError && pWork) {
        memset(pWork->szPages, 0, sizeof(pWork->szPages));
    }
    if (iError) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowPageListError(hDlg, kCaption, iError, iKind);
        FocusAndSelectEdit(hDlg, IDC_INS_PAGES);
    }
    p->bChecking = FALSE;
    return iError == 0;
}

BOOL ListInsertSheetConflicts(HWND hDlg, UISETTINGS* pObj)
{
    if (!pObj)
        return FALSE;
    BindFeatureFields(pObj);
    const int cch = 512;
    WCHAR szText[cch] = {0};
    DlgAppend(szText, cch, GetResString(kConflictHead));
    bool bAdded = false;
    auto line = [&](WORD wFeature, SHORT sValue) {
        AppendLine(szText, cch, 0, GetFeatureName(wFeature), GetValueName(wFeature, sValue));
        bAdded = true;
    };
    SHORT sTray = GetFeatureValue(kFeatTray), sType = GetFeatureValue(kFeatPrintType);
    if (sTray == kTrayJob)
        line(kFeatTray, sTray);
    if (sType == kTypeDuplex || sType == kTypeChapters)
        line(kFeatPrintType, sType);
    WORD wStaple;
    if (StapleOn(pObj, &wStaple) && !StapleFitsTabPaper(pObj, wStaple))
        line(wStaple, GetFeatureValue(wStaple));
    if (On(pObj, u"Layout_Check2") && On(pObj, u"Punch_Check"))
        line(kFeatPunch, 1);
    if (On(pObj, u"POD_Check")) {
        if (On(pObj, u"POD_Punch_Check"))
            line(kFeatPodPunch, 1);
        if (On(pObj, u"POD_OnePerSheet_Check"))
            line(kFeatOnePerSheet, 1);
        if (On(pObj, u"CenterFinish_Check"))
            line(kFeatCenterFinish, 1);
    }
    if (DuplexOn(pObj) && Setting(pObj, u"Mixplex_Check") == 0) {
        bool bSetup = On(pObj, u"Layout_Check2") && On(pObj, u"Duplex_Check");
        line(bSetup ? kFeatDuplex : kFeatPodDuplex, 1);
    }
    if (Setting(pObj, u"lpGraphicsMode") == 1)
        line(kFeatGraphics, 1);
    WCHAR szPages[INSERTSHEET_PAGES_CCH] = {0};
    if (hDlg)
        GetDlgItemTextW(hDlg, IDC_INS_PAGES, szPages, INSERTSHEET_PAGES_CCH);
    if (Contains(szPages, u',') || Contains(szPages, u'-')) {
        if (bAdded)
            DlgAppend(szText, cch, GetResString(kConflictGap));
        DlgAppend(szText, cch, GetResString(kSingleSheet));
        bAdded = true;
    }
    if (!bAdded)
        return FALSE;
    Information(hDlg, szText);
    return TRUE;
}

namespace {

// The walk that picks a replacement for a value the settings no longer
// allow: from the last usable item to the first, an item that fits (bFits)
// is taken and ends it; otherwise the first usable item is taken.
BOOL WalkReplacement(WORD wFeature, bool (*bFits)(SHORT, SHORT), SHORT sArg, SHORT* psOut)
{
    int n = GetFeatureItemCount(wFeature);
    BOOL bAny = FALSE;
    for (int i = n - 1; i >= 0; --i) {
        const FVLITEM* it = GetFeatureItem(wFeature, i);
        if (it->sEnabled != ITEM_ENABLED)
            continue;
        *psOut = it->sValue;
        bAny = TRUE;
        if (bFits(it->sValue, sArg))
            break;
    }
    return bAny;
}

bool TypeFits(SHORT sCode, SHORT sDuplex)
{
    return sCode == 2 || (sCode == kTypeDuplex && sDuplex);
}

bool BindingFits(SHORT sCode, SHORT sDuplexValue)
{
    return (sCode == 2 || sCode == 3) && sCode == sDuplexValue;
}

}  // namespace

BOOL RevalidateAfterIndexPaperOff(HWND hDlg, UISETTINGS* pObj)
{
    if (!pObj)
        return FALSE;
    BindFeatureFields(pObj);
    EvaluateControlDependencies(hDlg, pObj);
    DlgSetSetting(pObj, u"Mixplex_Check", Setting(pObj, u"InterSheetListData_Mixplex"));
    const WORD awFeature[3] = {kFeatTray, kFeatPrintType, kFeatBinding};
    DWORD adwState[3];
    for (int k = 0; k < 3; ++k) {
        adwState[k] = GetDependencyState(awFeature[k]);
        SetDependencyState(awFeature[k], 1);
        UpdateFeatureAvailability(pObj, awFeature[k]);
    }
    bool abChanged[3] = {false, false, false};
    SHORT sTray = GetFeatureValue(kFeatTray);
    if (!ItemEnabled(kFeatTray, sTray)) {
        int n = GetFeatureItemCount(kFeatTray);
        for (int i = 0; i < n; ++i)
            if (GetFeatureItem(kFeatTray, i)->sEnabled == ITEM_ENABLED) {
                SetFeatureValue(kFeatTray, GetFeatureItem(kFeatTray, i)->sValue);
                abChanged[0] = true;
                break;
            }
    }
    SHORT sType = GetFeatureValue(kFeatPrintType), sNew;
    if (!ItemEnabled(kFeatPrintType, sType) &&
        WalkReplacement(kFeatPrintType, TypeFits, DuplexOn(pObj) ? 1 : 0, &sNew)) {
        SetFeatureValue(kFeatPrintType, sNew);
        abChanged[1] = true;
    }
    SHORT sBinding = GetFeatureValue(kFeatBinding);
    if (!ItemEnabled(kFeatBinding, sBinding) &&
        WalkReplacement(kFeatBinding, BindingFits, Setting(pObj, u"lpDuplex"), &sNew)) {
        SetFeatureValue(kFeatBinding, sNew);
        abChanged[2] = true;
    }
    BOOL bTold = FALSE;
    if (abChanged[0] || abChanged[1] || abChanged[2]) {
        const int cch = 512;
        WCHAR szText[cch] = {0};
        DlgAppend(szText, cch, GetResString(kRevalidateHead));
        for (int k = 0; k < 3; ++k) {
            if (!abChanged[k])
                continue;
            if (awFeature[k] == kFeatBinding && GetFeatureValue(kFeatPrintType) != kTypeDuplex)
                continue;
            AppendLine(szText, cch, kChangeLine, GetFeatureName(awFeature[k]),
                       GetValueName(awFeature[k], GetFeatureValue(awFeature[k])));
        }
        Information(hDlg, szText);
        bTold = TRUE;
    }
    for (int k = 0; k < 3; ++k) {
        SetDependencyState(awFeature[k], adwState[k]);
        UpdateFeatureAvailability(pObj, awFeature[k]);
    }
    return bTold;
}

void ShowInsertSheetChangeNotice(HWND hDlg, UISETTINGS* pObj)
{
    INSERTSHEETWORK* pWork = GetInsertSheetWork(pObj);
    if (!pWork || pWork->wState != INSERTWORK_EDIT)
        return;
    if (!pWork->bPrintTypeChanged && !pWork->bTrayChanged && !pWork->bBindingChanged && !pWork->bIndexPaperOff)
        return;
    BindFeatureFields(pObj);
    const int cch = 1024;
    WCHAR szText[cch] = {0};
    DlgAppend(szText, cch, GetResString(kChangeHead));
    auto line = [&](WORD wFeature) {
        AppendLine(szText, cch, kChangeLine, GetFeatureName(wFeature),
                   GetValueName(wFeature, GetFeatureValue(wFeature)));
    };
    if (pWork->bPrintTypeChanged)
        line(kFeatPrintType);
    if (pWork->bTrayChanged)
        line(kFeatTray);
    if (pWork->bBindingChanged && GetFeatureValue(kFeatPrintType) == kTypeDuplex)
        line(kFeatBinding);
    if (pWork->bIndexPaperOff)
        AppendLine(szText, cch, kChangeLine, GetFeatureName(kFeatIndex),
                   GetValueName(kFeatIndex, Setting(pObj, u"PrnTabIndex")));
    Information(hDlg, szText);
}

int InsertSheetUpdateControl(HWND hDlg, WORD wId)
{
    INSDLG* p = Block(hDlg);
    if (!p)
        return 0;
    DWORD& d = Dirty(p->pObj);
    switch (wId) {
    case IDC_INS_PRINTTYPE: d = kRefPrintType; break;
    case IDC_INS_TRAY: d = kRefTray; break;
    case IDC_INS_BINDING: d = kRefBinding; break;
    case IDC_INS_INDEX: d = kRefIndex; break;
    case IDC_INS_TABPOS: d = kRefTabPos; break;
    default:
        d = 0;
        return 0;
    }
    Refresh(p);
    return 1;
}

INT_PTR CALLBACK InsertSheetDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_INSERTSHEET, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(hDlg, (const DRAWITEMSTRUCT*)lParam);
        return TRUE;
    }
    return FALSE;
}
