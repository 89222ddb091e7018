// boxsave.cpp: the box save settings dialog. See boxsave.h.
#include "ui/dialogs/boxsave.h"

#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/subdlg.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

const WORD kParamBoxNumber = 222;  // 10 units
const WORD kParamOwnerName = 229;  // 66 units
const WORD kParamOwnerLength = 227;

bool IsDigit(WCHAR c)
{
    return c >= u'0' && c <= u'9';
}

bool SelEmpty(DWORD dwSel)
{
    return LOWORD(dwSel) == HIWORD(dwSel);
}

void* Slot(UISETTINGS* pObj, WORD wParam, DWORD cbLeast)
{
    void* p = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    int iRow = pObj ? FindParamRow(pObj, wParam) : -1;
    if (iRow < 0 || !AccessParamByIndex(wParam, iRow, pObj, &p, &cb, &wType) || !p || cb < cbLeast)
        return nullptr;
    return p;
}

SUBDLGDATA* Block(HWND hEdit)
{
    return (SUBDLGDATA*)DlgGetBlock(GetParent(hEdit));
}

int TextLength(HWND h)
{
    return GetWindowTextLengthW(h);
}

// One procedure for the four subclassed edits; the saved procedure is found
// by the edit's id.
LRESULT CALLBACK EditFilterProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    SUBDLGDATA* p = Block(hwnd);
    if (!p)
        return DefWindowProcW(hwnd, uMsg, wParam, lParam);
    int id = GetDlgCtrlID(hwnd);
    LONG_PTR pfn = id == IDC_USERID        ? p->pfnUserIdEdit
                   : id == IDC_BOX_NUMBER  ? p->pfnBoxEdit
                   : id == IDC_PASSWORD_MASKED ? p->pfnMaskedEdit
                                           : p->pfnPlainEdit;
    if (uMsg == WM_CHAR) {
        DWORD dwSel = (DWORD)CallWindowProcW((WNDPROC)pfn, hwnd, EM_GETSEL, 0, 0);
        int cch = TextLength(hwnd);
        WCHAR ch = (WCHAR)wParam;
        int d = id == IDC_USERID       ? BoxUserIdFilterDecision(ch, cch, dwSel)
                : id == IDC_BOX_NUMBER ? BoxNumberFilterDecision(ch, cch, dwSel)
                                       : PasswordFilterDecision(ch, cch, dwSel);
        if (d == FILTER_SWALLOW) {
            MessageBeep(10);
            return 1;
        }
    }
    return CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam);
}

LONG_PTR Subclass(HWND hDlg, int id)
{
    HWND h = GetDlgItem(hDlg, id);
    return h ? SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)EditFilterProc) : 0;
}

void ShowEdit(HWND hDlg, int id, bool bShow)
{
    ShowWindow(GetDlgItem(hDlg, id), bShow ? SW_SHOW : SW_HIDE);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    SUBDLGDATA* p = (SUBDLGDATA*)DlgAllocBlock(hDlg, sizeof(SUBDLGDATA));
    if (!p || !pObj)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    WCHAR szUserId[21] = {}, szPassword[21] = {}, szBox[21] = {};
    LoadUserAuthInput(pObj, szUserId, szPassword);
    LoadBoxNumber(pObj, szBox);
    SendDlgItemMessageW(hDlg, IDC_USERID, EM_LIMITTEXT, USERAUTH_MAX_CHARS, 0);
    SendDlgItemMessageW(hDlg, IDC_BOX_NUMBER, EM_LIMITTEXT, BOXNUMBER_MAX_CHARS, 0);
    SendDlgItemMessageW(hDlg, IDC_PASSWORD_MASKED, EM_LIMITTEXT, USERAUTH_MAX_CHARS, 0);
    SendDlgItemMessageW(hDlg, IDC_PASSWORD_PLAIN, EM_LIMITTEXT, USERAUTH_MAX_CHARS, 0);
    SetDlgItemTextW(hDlg, IDC_USERID, szUserId);
    SetDlgItemTextW(hDlg, IDC_BOX_NUMBER, szBox);
    SetDlgItemTextW(hDlg, IDC_PASSWORD_MASKED, szPassword);
    SetDlgItemTextW(hDlg, IDC_PASSWORD_PLAIN, szPassword);
    SetDlgItemTextW(hDlg, IDC_USERID_STATIC, szUserId[0] ? szUserId : GetResString(21006));
    bool bFixed = DlgStateWords(pObj)[DLGWORD_USERID_FIXED] == 1;
    ShowEdit(hDlg, IDC_USERID_STATIC, bFixed);
    ShowEdit(hDlg, IDC_USERID, !bFixed);

    const WCHAR* pszOwner = (const WCHAR*)Slot(pObj, kParamOwnerName, 2);
    const BYTE* pbLength = (const BYTE*)Slot(pObj, kParamOwnerLength, 1);
    WCHAR szOwner[34] = {};
    if (pszOwner)
        lstrcpynW(szOwner, pszOwner, 34);
    PASSWORDMASKING m;
    ComputePasswordMasking(DlgGetSetting(pObj, u"lpOutput"), DlgGetSetting(pObj, u"lpHardDisk"), szOwner,
                           pbLength ? *pbLength : 0, DlgGetSetting(pObj, u"UnDisplayPassword_Check"), &m);
    p->sHide = m.sHide;
    ShowEdit(hDlg, IDC_PASSWORD_MASKED, m.bShowMasked);
    ShowEdit(hDlg, IDC_PASSWORD_PLAIN, !m.bShowMasked);
    for (int id : {IDC_PASSWORD_LABEL, IDC_PASSWORD_MASKED, IDC_PASSWORD_PLAIN})
        EnableWindow(GetDlgItem(hDlg, id), m.bEditsEnabled);
    EnableWindow(GetDlgItem(hDlg, IDC_PASSWORD_HIDE), m.bSwitchEnabled);
    CheckDlgButton(hDlg, IDC_PASSWORD_HIDE, p->sHide == 1 ? BST_CHECKED : BST_UNCHECKED);

    p->pfnUserIdEdit = Subclass(hDlg, IDC_USERID);
    p->pfnBoxEdit = Subclass(hDlg, IDC_BOX_NUMBER);
    p->pfnMaskedEdit = Subclass(hDlg, IDC_PASSWORD_MASKED);
    p->pfnPlainEdit = Subclass(hDlg, IDC_PASSWORD_PLAIN);
}

void EndBoxSave(HWND hDlg, int iResult)
{
    SUBDLGDATA* p = (SUBDLGDATA*)DlgGetBlock(hDlg);
    if (p) {
        const struct {
            int id;
            LONG_PTR pfn;
        } edits[] = {{IDC_USERID, p->pfnUserIdEdit},
                     {IDC_BOX_NUMBER, p->pfnBoxEdit},
                     {IDC_PASSWORD_MASKED, p->pfnMaskedEdit},
                     {IDC_PASSWORD_PLAIN, p->pfnPlainEdit}};
        for (const auto& e : edits)
            if (e.pfn)
                SetWindowLongPtrW(GetDlgItem(hDlg, e.id), GWLP_WNDPROC, e.pfn);
        DlgFreeBlock(hDlg);
    }
    EndDialog(hDlg, iResult);
}

void FocusAndEmpty(HWND hDlg, int idFocus, std::initializer_list<int> empty)
{
    for (int id : empty)
        SetDlgItemTextW(hDlg, id, u"");
    SetFocus(GetDlgItem(hDlg, idFocus));
    SendDlgItemMessageW(hDlg, idFocus, EM_SETSEL, 0, -1);
}

void ShowBoxNumberError(HWND hDlg)
{
    WCHAR szPart[1024], szText[1024], szCaption[256];
    DlgFormat(szPart, 1024, GetResString(21013), GetResString(25301));
    DlgFormat(szText, 1024, u"%s%s", szPart, GetResString(21011));
    DlgFormat(szCaption, 256, GetResString(21012), GetResString(25301));
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxW(hDlg, szText, szCaption, MB_ICONWARNING);
    FocusAndEmpty(hDlg, IDC_BOX_NUMBER, {IDC_BOX_NUMBER});
}

BOOL StoreInput(HWND hDlg, SUBDLGDATA* p)
{
    WCHAR szUserId[21] = {}, szBox[21] = {}, szPassword[21] = {};
    GetDlgItemTextW(hDlg, IDC_USERID, szUserId, 21);
    GetDlgItemTextW(hDlg, IDC_BOX_NUMBER, szBox, 21);
    GetDlgItemTextW(hDlg, p->sHide == 1 ? IDC_PASSWORD_MASKED : IDC_PASSWORD_PLAIN, szPassword, 21);
    switch (CheckBoxSaveInput(szUserId, szBox, szPassword)) {
    case BOXERR_USERID_CHARS:
        MessageBeep(MB_ICONEXCLAMATION);
        ShowInputErrorBox(hDlg, INPUTERR_CHARS);
        FocusAndEmpty(hDlg, IDC_USERID, {IDC_USERID, IDC_PASSWORD_MASKED, IDC_PASSWORD_PLAIN});
        return FALSE;
    case BOXERR_USERID_ZERO:
        MessageBeep(MB_ICONEXCLAMATION);
        ShowInputErrorBox(hDlg, INPUTERR_LENGTH);
        FocusAndEmpty(hDlg, IDC_USERID, {IDC_USERID, IDC_PASSWORD_MASKED, IDC_PASSWORD_PLAIN});
        return FALSE;
    case BOXERR_BOX_CHARS:
        ShowBoxNumberError(hDlg);
        return FALSE;
    case BOXERR_PASSWORD:
        MessageBeep(MB_ICONEXCLAMATION);
        ShowInputErrorBox(hDlg, INPUTERR_FORMAT);
        FocusAndEmpty(hDlg, IDC_PASSWORD_MASKED, {IDC_PASSWORD_MASKED, IDC_PASSWORD_PLAIN});
        return FALSE;
    }
    if (!StoreUserAuthInput(p->pObj, szUserId, szPassword))
        return FALSE;
    WCHAR* pBox = (WCHAR*)Slot(p->pObj, kParamBoxNumber, BOXNUMBER_FIELD_UNITS * sizeof(WCHAR));
    if (pBox) {
        memset(pBox, 0, BOXNUMBER_FIELD_UNITS * sizeof(WCHAR));
        lstrcpynW(pBox, szBox, BOXNUMBER_FIELD_UNITS);
    }
    return TRUE;
}

void OnHideSwitch(HWND hDlg, SUBDLGDATA* p)
{
    SHORT s = IsDlgButtonChecked(hDlg, IDC_PASSWORD_HIDE) == BST_CHECKED ? 1 : 0;
    if (s == p->sHide)
        return;
    p->sHide = s;
    if (s == 1) {
        WCHAR sz[21] = {};
        GetDlgItemTextW(hDlg, IDC_PASSWORD_PLAIN, sz, 21);
        SetDlgItemTextW(hDlg, IDC_PASSWORD_MASKED, sz);
    } else {
        // A hidden password is never shown: the user types it again.
        SetDlgItemTextW(hDlg, IDC_PASSWORD_MASKED, u"");
        SetDlgItemTextW(hDlg, IDC_PASSWORD_PLAIN, u"");
    }
    ShowEdit(hDlg, IDC_PASSWORD_MASKED, s == 1);
    ShowEdit(hDlg, IDC_PASSWORD_PLAIN, s != 1);
    CheckDlgButton(hDlg, IDC_PASSWORD_HIDE, s ? BST_CHECKED : BST_UNCHECKED);
}

void Command(HWND hDlg, WPARAM wParam)
{
    SUBDLGDATA* p = (SUBDLGDATA*)DlgGetBlock(hDlg);
    switch (LOWORD(wParam)) {
    case IDOK:
        if (p) {
            if (!StoreInput(hDlg, p))
                return;
            DlgSetSetting(p->pObj, u"UnDisplayPassword_Check", p->sHide);
        }
        EndBoxSave(hDlg, IDOK);
        break;
    case IDCANCEL:
        EndBoxSave(hDlg, IDCANCEL);
        break;
    case IDC_PASSWORD_HIDE:
        if (p)
            OnHideSwitch(hDlg, p);
        break;
    }
}

}  // namespace

int BoxUserIdFilterDecision(WCHAR ch, int cchText, DWORD dwSel)
{
    if (ch == 3 || ch == 22 || ch == 24 || ch == 26)
        return FILTER_PASS;
    if (cchText > 7 && SelEmpty(dwSel) && ch >= 32)
        return FILTER_SWALLOW;
    return IsDigit(ch) || ch == 8 ? FILTER_PASS : FILTER_SWALLOW;
}

int BoxNumberFilterDecision(WCHAR ch, int cchText, DWORD dwSel)
{
    if (ch == 3 || ch == 8 || ch == 22 || ch == 24 || ch == 26)
        return FILTER_PASS;
    if (cchText > 8 && SelEmpty(dwSel) && ch >= 32)
        return FILTER_SWALLOW;
    return IsDigit(ch) ? FILTER_PASS : FILTER_SWALLOW;
}

int CheckBoxSaveInput(LPCWSTR pszUserId, LPCWSTR pszBox, LPCWSTR pszPassword)
{
    LPCWSTR pszId = pszUserId ? pszUserId : u"";
    bool bZeros = pszId[0] != 0;
    for (LPCWSTR q = pszId; *q; ++q) {
        if (!IsDigit(*q))
            return BOXERR_USERID_CHARS;
        bZeros = bZeros && *q == u'0';
    }
    // A pasted text longer than the field is refused like a bad character.
    if (lstrlenW(pszId) > USERAUTH_MAX_CHARS)
        return BOXERR_USERID_CHARS;
    if (bZeros)
        return BOXERR_USERID_ZERO;
    LPCWSTR pszB = pszBox ? pszBox : u"";
    for (LPCWSTR q = pszB; *q; ++q)
        if (!IsDigit(*q))
            return BOXERR_BOX_CHARS;
    if (lstrlenW(pszB) > BOXNUMBER_MAX_CHARS)
        return BOXERR_BOX_CHARS;
    if (CheckUserAuthInput(u"", pszPassword) != 0)
        return BOXERR_PASSWORD;
    return 0;
}

BOOL LoadBoxNumber(UISETTINGS* pObj, LPWSTR pszBox)
{
    const WCHAR* p = (const WCHAR*)Slot(pObj, kParamBoxNumber, BOXNUMBER_FIELD_UNITS * sizeof(WCHAR));
    if (!p || !pszBox)
        return FALSE;
    lstrcpynW(pszBox, p, BOXNUMBER_FIELD_UNITS);
    return TRUE;
}

INT_PTR CALLBACK BoxSaveDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    }
    return FALSE;
}
