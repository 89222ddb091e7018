// userauth.cpp: the user settings and confidential print dialogs. See
// userauth.h.
#include "ui/dialogs/userauth.h"

#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/subdlg.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

const WORD kParamHide = 87;          // UnDisplayPassword_Check
const WORD kParamOwnerLength = 227;  // 8-bit length of the owner's name
const WORD kParamOwnerName = 229;    // the owner's name
const int kReadChars = 20;

void _Show(HWND hDlg, int id, bool bShow)
{
    HWND h = GetDlgItem(hDlg, id);
    if (h)
        ShowWindow(h, bShow ? SW_SHOW : SW_HIDE);
}

void _Enable(HWND hDlg, int id, bool bEnable)
{
    HWND h = GetDlgItem(hDlg, id);
    if (h)
        EnableWindow(h, bEnable);
}

void _ShowPasswordEdits(HWND hDlg, SHORT sHide)
{
    _Show(hDlg, IDC_PASSWORD_MASKED, sHide == 1);
    _Show(hDlg, IDC_PASSWORD_PLAIN, sHide != 1);
}

int _ShownPasswordEdit(const SUBDLGDATA* p)
{
    return p->sHide == 1 ? IDC_PASSWORD_MASKED : IDC_PASSWORD_PLAIN;
}

void _InitUserAuth(HWND hDlg, UISETTINGS* pObj)
{
    SUBDLGDATA* p = AllocSubDlgData(hDlg, pObj);
    if (!p)
        return;  // the controls stay as the template has them
    WCHAR szUserId[21] = {}, szPassword[21] = {};
    LoadUserAuthInput(pObj, szUserId, szPassword);
    for (int id : {IDC_PASSWORD_MASKED, IDC_PASSWORD_PLAIN, IDC_USERID})
        SendDlgItemMessageW(hDlg, id, EM_LIMITTEXT, USERAUTH_MAX_CHARS, 0);
    SetDlgItemTextW(hDlg, IDC_PASSWORD_MASKED, szPassword);
    SetDlgItemTextW(hDlg, IDC_PASSWORD_PLAIN, szPassword);
    memset(szPassword, 0, sizeof(szPassword));
    SetDlgItemTextW(hDlg, IDC_USERID, szUserId);
    if (GetDlgItem(hDlg, IDC_USERID_STATIC))
        SetDlgItemTextW(hDlg, IDC_USERID_STATIC, szUserId[0] ? szUserId : GetResString(21006));
    p->pfnMaskedEdit = SubclassDlgEdit(hDlg, IDC_PASSWORD_MASKED, PasswordEditProc);
    p->pfnPlainEdit = SubclassDlgEdit(hDlg, IDC_PASSWORD_PLAIN, PasswordEditProc);
    p->pfnUserIdEdit = SubclassDlgEdit(hDlg, IDC_USERID, UserIdEditProc);

    // Which edit shows and what may change: a job kept on the machine's
    // disk locks the password; an unknown owner never sees it in plain.
    const WCHAR* pszOwner = (const WCHAR*)GetParamSlot(pObj, kParamOwnerName);
    const BYTE* pLength = GetParamSlot(pObj, kParamOwnerLength);
    WCHAR szOwner[67] = {};
    if (pszOwner)
        lstrcpynW(szOwner, pszOwner, 67);
    PASSWORDMASKING m = {};
    ComputePasswordMasking(DlgGetSetting(pObj, u"lpOutput"), DlgGetSetting(pObj, u"lpHardDisk"), szOwner,
                           pLength ? *pLength : 0, GetParamEdited(pObj, kParamHide) == 1 ? 1 : 0, &m);
    // Kept in the block until OK, so that Cancel changes nothing.
    p->sHide = m.sHide;
    _ShowPasswordEdits(hDlg, p->sHide);
    _Enable(hDlg, IDC_PASSWORD_LABEL, m.bEditsEnabled);
    _Enable(hDlg, IDC_PASSWORD_MASKED, m.bEditsEnabled);
    _Enable(hDlg, IDC_PASSWORD_PLAIN, m.bEditsEnabled);
    _Enable(hDlg, IDC_PASSWORD_HIDE, m.bSwitchEnabled);
    CheckDlgButton(hDlg, IDC_PASSWORD_HIDE, p->sHide == 1 ? BST_CHECKED : BST_UNCHECKED);

    bool bFixed = DlgStateWords(pObj)[DLGWORD_USERID_FIXED] == 1;
    _Show(hDlg, IDC_USERID_STATIC, bFixed);
    _Show(hDlg, IDC_USERID, !bFixed);
    p->bCleared = 0;
}

// Puts the edits' own procedures back and frees the block; before EndDialog
// on OK and on Cancel.
void _EndUserAuth(HWND hDlg, int iResult)
{
    SUBDLGDATA* p = GetSubDlgData(hDlg);
    if (p) {
        RestoreEditProc(hDlg, IDC_PASSWORD_MASKED, p->pfnMaskedEdit);
        RestoreEditProc(hDlg, IDC_PASSWORD_PLAIN, p->pfnPlainEdit);
        RestoreEditProc(hDlg, IDC_USERID, p->pfnUserIdEdit);
        FreeSubDlgData(hDlg);
    }
    EndDialog(hDlg, iResult);
}

// The OK check: the user ID of digits, the password of letters and digits.
bool _StoreUserAuthInput(HWND hDlg, SUBDLGDATA* p)
{
    WCHAR szPassword[kReadChars + 1], szUserId[kReadChars + 1];
    ReadDlgText(hDlg, _ShownPasswordEdit(p), szPassword, kReadChars + 1);
    ReadDlgText(hDlg, IDC_USERID, szUserId, kReadChars + 1);
    bool bStored = false;
    switch (CheckUserAuthInput(szUserId, szPassword)) {
    case 0:
        bStored = StoreUserAuthInput(p->pObj, szUserId, szPassword) != FALSE;
        break;
    case INPUTERR_CHARS:
        ShowInputErrorMessage(hDlg, IDC_USERID);
        break;
    default:
        ShowInputFormatMessage(hDlg);
        break;
    }
    memset(szPassword, 0, sizeof(szPassword));
    return bStored;
}

void _OnHideSwitch(HWND hDlg, SUBDLGDATA* p)
{
    SHORT sState = IsDlgButtonChecked(hDlg, IDC_PASSWORD_HIDE) == BST_CHECKED ? 1 : 0;
    if (sState == p->sHide)
        return;
    p->sHide = sState;
    if (sState == 1) {
        WCHAR sz[kReadChars + 1];
        ReadDlgText(hDlg, IDC_PASSWORD_PLAIN, sz, kReadChars + 1);
        SetDlgItemTextW(hDlg, IDC_PASSWORD_MASKED, sz);
        memset(sz, 0, sizeof(sz));
    } else {
        // A hidden password is never shown: the user types it again.
        SetDlgItemTextW(hDlg, IDC_PASSWORD_MASKED, u"");
        SetDlgItemTextW(hDlg, IDC_PASSWORD_PLAIN, u"");
    }
    _ShowPasswordEdits(hDlg, sState);
    CheckDlgButton(hDlg, IDC_PASSWORD_HIDE, sState == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void _OnUserAuthCommand(HWND hDlg, WPARAM wParam)
{
    SUBDLGDATA* p = GetSubDlgData(hDlg);
    switch (LOWORD(wParam)) {
    case IDOK:
        if (!p) {
            // Without its block the dialog checks nothing and stores nothing.
            _EndUserAuth(hDlg, IDCANCEL);
            return;
        }
        if (!_StoreUserAuthInput(hDlg, p))
            return;
        SetParamEdited(p->pObj, kParamHide, p->sHide);
        _EndUserAuth(hDlg, IDOK);
        return;
    case IDCANCEL:
        _EndUserAuth(hDlg, IDCANCEL);
        return;
    case IDC_PASSWORD_HIDE:
        if (p && HIWORD(wParam) == BN_CLICKED)
            _OnHideSwitch(hDlg, p);
        return;
    }
}

}  // namespace

INT_PTR CALLBACK UserAuthDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return HandleSubDlgHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        _InitUserAuth(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        _OnUserAuthCommand(hDlg, wParam);
        return TRUE;
    }
    return FALSE;
}
