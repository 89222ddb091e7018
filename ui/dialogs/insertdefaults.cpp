// insertdefaults.cpp: the insert sheet defaults dialog. See insertdefaults.h.
#include "ui/dialogs/insertdefaults.h"

#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/subdlg.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// Parameters of the current insert-sheet list in the settings object.
const WORD kParamListName = 204;      // name of the current list, WCHAR[32]
const WORD kParamEntries = 205;       // its 128 insert-sheet records
const WORD kParamNCurrent = 207;      // 1-based number of the current list
const WORD kParamPageListNum = 208;   // records in use
const WORD kParamMixplex = 209;       // the stored per-sheet switch
const WORD kCoverPage = 200;
const WORD kInsertSheetRow = 2;       // the model offers insert sheets
const DWORD kHelpContext = 3110;

// The dialog's block.
struct INSDEFDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    SHORT sMixplexAtOpen;
    LONG_PTR pfnEdit;                 // saved procedure of 2433
};

INSDEFDLG* Block(HWND hDlg)
{
    return (INSDEFDLG*)DlgGetBlock(hDlg);
}

SHORT SlotShort(UISETTINGS* pObj, WORD w)
{
    const BYTE* p = GetParamSlot(pObj, w);
    SHORT s = 0;
    if (p)
        memcpy(&s, p, 2);
    return s;
}

void SetSlotShort(UISETTINGS* pObj, WORD w, SHORT s)
{
    BYTE* p = GetParamSlot(pObj, w);
    if (p)
        memcpy(p, &s, 2);
}

UIITEMLIST* NameList(UISETTINGS* pObj)
{
    WORD w = GetParamIdOfKey(u"lpInterSheetList");
    return w ? (UIITEMLIST*)GetParamSlot(pObj, w) : nullptr;
}

// The item of the current list in lpInterSheetList; null when out of range.
UIITEMCHOICE* CurrentItem(UISETTINGS* pObj)
{
    UIITEMLIST* pList = NameList(pObj);
    int i = SlotShort(pObj, kParamNCurrent) - 1;
    if (!pList || i < 0 || i >= pList->sCount)
        return nullptr;
    return (UIITEMCHOICE*)(pList + 1) + i;
}

// The set record of the current list in the per-user lists.
INTERSHEETREC* CurrentSet(UISETTINGS* pObj)
{
    LISTSET* ls = pObj->trailer.pListSet;
    int i = SlotShort(pObj, kParamNCurrent) - 1;
    if (!ls || !ls->pInterSheet || !ls->pInterSheet->pLists || i < 0 || i >= INTERSHEET_LISTS)
        return nullptr;
    return &ls->pInterSheet->pLists[i];
}

SHORT Working(UISETTINGS* pObj)
{
    return DlgGetSetting(pObj, u"Mixplex_Check");
}

void RefreshCheck(INSDEFDLG* p)
{
    CheckDlgButton(p->hDlg, IDC_INSDEF_MIXPLEX, Working(p->pObj) == 1 ? BST_CHECKED : BST_UNCHECKED);
}

// A message box of two texts; skipped when the text cannot be built.
int Box(HWND hDlg, UINT uText1, UINT uText2, UINT uCaption, UINT uType)
{
    WCHAR szText[512] = {0};
    WCHAR szCaption[256] = {0};
    if (!DlgAppend(szText, 512, GetResString(uText1)) || !DlgAppend(szText, 512, GetResString(uText2)))
        return 0;
    lstrcpynW(szCaption, GetResString(uCaption), 256);
    return MessageBoxW(hDlg, szText, szCaption, uType);
}

// The list name filter: at most 16 characters, no space at the start.
LRESULT CALLBACK NameEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    INSDEFDLG* p = Block(GetParent(hwnd));
    LONG_PTR pfn = p ? p->pfnEdit : 0;
    if (p && uMsg == WM_CHAR) {
        WCHAR ch = (WCHAR)wParam;
        DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
        bool bSelection = LOWORD(dwSel) != HIWORD(dwSel);
        LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
        if ((ch >= 32 && n >= INSDEF_NAME_CHARS && !bSelection) || (ch == u' ' && LOWORD(dwSel) == 0)) {
            MessageBeep(MB_OK);
            return 0;
        }
    }
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    INSDEFDLG* p = (INSDEFDLG*)DlgAllocBlock(hDlg, sizeof(INSDEFDLG));
    if (!p)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    SendDlgItemMessageW(hDlg, IDC_INSDEF_NAME, EM_LIMITTEXT, INSDEF_NAME_CHARS, 0);
    SHORT s = SlotShort(pObj, kParamMixplex) == 1 ? 1 : 0;
    DlgSetSetting(pObj, u"Mixplex_Check", s);
    p->sMixplexAtOpen = s;
    RefreshCheck(p);
    UIITEMCHOICE* it = CurrentItem(pObj);
    SetDlgItemTextW(hDlg, IDC_INSDEF_NAME, it ? it->szText : u"");
    WCHAR szTitle[128] = {0};
    DlgAppend(szTitle, 128, GetResString(20158));
    if (it)
        DlgAppend(szTitle, 128, it->szText);
    SetDlgItemTextW(hDlg, IDC_INSDEF_GROUP, szTitle);
    p->pfnEdit = SubclassDlgEdit(hDlg, IDC_INSDEF_NAME, NameEditProc);
}

void End(HWND hDlg, int iResult)
{
    INSDEFDLG* p = Block(hDlg);
    if (p) {
        RestoreEditProc(hDlg, IDC_INSDEF_NAME, p->pfnEdit);
        DlgFreeBlock(hDlg);
    }
    UnregisterPageLink(IDD_INSERTDEFAULTS);
    EndDialog(hDlg, iResult);
}

void NameWarning(HWND hDlg, UINT uText)
{
    WCHAR szCaption[256] = {0};
    lstrcpynW(szCaption, GetResString(28546), 256);
    MessageBoxW(hDlg, GetResString(uText), szCaption, MB_ICONWARNING);
    HWND h = GetDlgItem(hDlg, IDC_INSDEF_NAME);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, -1);
}

// OK; FALSE keeps the dialog open.
BOOL Commit(INSDEFDLG* p)
{
    HWND hDlg = p->hDlg;
    UISETTINGS* pObj = p->pObj;
    SHORT sNow = Working(pObj);
    BOOL bClear = FALSE;
    if (sNow != p->sMixplexAtOpen && SlotShort(pObj, kParamPageListNum) > 0) {
        if (Box(hDlg, 28543, 28544, 28545, MB_YESNO | MB_ICONINFORMATION) != IDYES) {
            DlgSetSetting(pObj, u"Mixplex_Check", p->sMixplexAtOpen);
            RefreshCheck(p);
            return FALSE;
        }
        bClear = TRUE;
    }
    WCHAR szName[INSDEF_NAME_CHARS + 1] = {0};
    GetDlgItemTextW(hDlg, IDC_INSDEF_NAME, szName, INSDEF_NAME_CHARS + 1);
    if (szName[0] == 0) {
        NameWarning(hDlg, 28547);
        return FALSE;
    }
    UIITEMLIST* pList = NameList(pObj);
    UIITEMCHOICE* pCur = CurrentItem(pObj);
    if (pList) {
        UIITEMCHOICE* it = (UIITEMCHOICE*)(pList + 1);
        for (int i = 0; i < pList->sCount; ++i)
            if (&it[i] != pCur && lstrcmpW(it[i].szText, szName) == 0) {
                NameWarning(hDlg, 28548);
                return FALSE;
            }
    }
    sNow = Working(pObj);
    if (bFeatureEnabledAt(kInsertSheetRow)) {
        INTERSHEETREC* pSet = CurrentSet(pObj);
        if (pSet) {
            lstrcpynW(pSet->szName, szName, INSDEF_NAME_CHARS + 1);
            pSet->sMixplex = sNow;
        }
        if (pCur)
            lstrcpynW(pCur->szText, szName, 64);
        WCHAR* pszObjName = (WCHAR*)GetParamSlot(pObj, kParamListName);
        if (pszObjName)
            lstrcpynW(pszObjName, szName, 32);
        SetSlotShort(pObj, kParamMixplex, sNow);
    }
    if (bClear) {
        BYTE* pEntries = GetParamSlot(pObj, kParamEntries);
        if (pEntries)
            memset(pEntries, 0, INTERSHEET_ENTRIES * INSERTSHEET_SIZE);
        SetSlotShort(pObj, kParamPageListNum, 0);
    }
    DWORD* pMask = PageRefreshMask(pObj, kCoverPage);
    if (sNow == 1) {
        DlgSetSetting(pObj, u"Front_Check", 0);
        DlgSetSetting(pObj, u"Back_Check", 0);
        DlgSetSetting(pObj, u"InsertCoverSheet_Check", 0);
        if (pMask)
            *pMask |= 0x1 | 0x4 | 0x100000;
    }
    if (pMask)
        *pMask |= 0x40000;
    return TRUE;
}

void Command(HWND hDlg, WPARAM wParam)
{
    INSDEFDLG* p = Block(hDlg);
    WORD id = LOWORD(wParam);
    if (p)
        SetActivePageId(p->pObj, IDD_INSERTDEFAULTS);
    if (id == IDCANCEL) {
        End(hDlg, IDCANCEL);
        return;
    }
    if (!p)
        return;
    switch (id) {
    case IDOK:
        if (Commit(p))
            End(hDlg, IDOK);
        break;
    case IDC_INSDEF_MIXPLEX:
        if (HIWORD(wParam) != BN_CLICKED)
            break;
        if (Working(p->pObj) != 1) {
            Box(hDlg, 28540, 28541, 28542, MB_OK | MB_ICONINFORMATION);
            DlgSetSetting(p->pObj, u"Mixplex_Check", 1);
        } else {
            DlgSetSetting(p->pObj, u"Mixplex_Check", 0);
        }
        RefreshCheck(p);
        break;
    case IDC_INSDEF_HELP: {
        WCHAR szPath[HELPTABLE_PATH_CCH] = {0};
        ShowDriverHelp(hDlg, szPath, HELP_CONTEXT, kHelpContext);
        break;
    }
    }
}

int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_INSERTDEFAULTS, &h);
    return InsertDefaultsUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

int InsertDefaultsUpdateControl(HWND hDlg, WORD wId)
{
    INSDEFDLG* p = Block(hDlg);
    if (!p || wId != IDC_INSDEF_MIXPLEX)
        return 0;
    RefreshCheck(p);
    return 1;
}

INT_PTR CALLBACK InsertDefaultsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_INSERTDEFAULTS, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    }
    return FALSE;
}
