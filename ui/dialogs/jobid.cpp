// jobid.cpp: the job ID / password dialog and the numeric code dialog. See
// jobid.h.
#include "ui/dialogs/jobid.h"

#include "platform/gdi/msgbox.h"
#include "ui/dialogs/subdlg.h"
#include "ui/driverui/docevent_store.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// Parameters these dialogs edit (none has a settings-file key).
const WORD kParamPassword = 211;    // 11 units, scrambled
const WORD kParamUserId = 221;      // 11 units: the numeric code
const WORD kParamJobId = 224;       // 11 units
const WORD kParamOwnerLength = 227; // 8-bit length of the owner's name
const WORD kParamOwnerName = 229;   // the owner's name
const WORD kParamHide = 87;         // UnDisplayPassword_Check
const WORD kParamJobModeSpl = 237;  // 1 or 2

const int kFieldUnits = 11;
const int kMaxChars = 8;
const int kReadChars = 20;

// The numeric code dialog's block: the frame's full block and the dirty
// word of its radios.
struct CODEDLGDATA {
    SUBDLGDATA base;
    DWORD dwDirty;  // 1: the radios show an old value
};

bool _IsAlnum(WCHAR c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool _AllAlnum(LPCWSTR psz)
{
    for (; *psz; ++psz)
        if (!_IsAlnum(*psz))
            return false;
    return true;
}

bool _AllDigits(LPCWSTR psz)
{
    for (; *psz; ++psz)
        if (*psz < u'0' || *psz > u'9')
            return false;
    return true;
}

WCHAR* _TextField(UISETTINGS* pObj, WORD wParam)
{
    return pObj ? (WCHAR*)GetParamSlot(pObj, wParam) : nullptr;
}

// Copies a text field of 11 units into a zero-filled buffer of 21 units, so
// that a field without a terminator still ends.
void _ReadField(UISETTINGS* pObj, WORD wParam, WCHAR* pszOut21)
{
    memset(pszOut21, 0, 21 * sizeof(WCHAR));
    const WCHAR* p = _TextField(pObj, wParam);
    if (p)
        memcpy(pszOut21, p, kFieldUnits * sizeof(WCHAR));
    pszOut21[kFieldUnits - 1] = 0;
}

void _WriteField(UISETTINGS* pObj, WORD wParam, LPCWSTR psz)
{
    WCHAR* p = _TextField(pObj, wParam);
    if (!p)
        return;
    memset(p, 0, kFieldUnits * sizeof(WCHAR));
    lstrcpynW(p, psz, kFieldUnits);
}

void _ReadPassword(UISETTINGS* pObj, WCHAR* pszPlain21)
{
    WCHAR szStored[21] = {};
    const WCHAR* p = _TextField(pObj, kParamPassword);
    if (p)
        memcpy(szStored, p, kFieldUnits * sizeof(WCHAR));
    memset(pszPlain21, 0, 21 * sizeof(WCHAR));
    ScramblePassword(szStored, pszPlain21);
    pszPlain21[kFieldUnits - 1] = 0;
}

void _WritePassword(UISETTINGS* pObj, LPCWSTR pszPlain)
{
    WCHAR* p = _TextField(pObj, kParamPassword);
    if (!p)
        return;
    WCHAR szPlain[21] = {};
    lstrcpynW(szPlain, pszPlain, kMaxChars + 1);
    memset(p, 0, kFieldUnits * sizeof(WCHAR));
    ScramblePassword(szPlain, p);
}

// Without a known owner the password is never shown in plain text.
bool _OwnerUnknown(UISETTINGS* pObj)
{
    const WCHAR* pName = _TextField(pObj, kParamOwnerName);
    const BYTE* pLength = pObj ? GetParamSlot(pObj, kParamOwnerLength) : nullptr;
    return !pName || !pName[0] || !pLength || *pLength > 32;
}

void _Show(HWND hDlg, int id, bool bShow)
{
    HWND h = GetDlgItem(hDlg, id);
    if (h)
        ShowWindow(h, bShow ? SW_SHOW : SW_HIDE);
}

// ---- Job ID / password ----

int _ShownPasswordEdit(const SUBDLGDATA* p)
{
    return p->sHide == 1 ? IDC_JOB_PASSWORD_MASKED : IDC_JOB_PASSWORD_PLAIN;
}

void _ShowPasswordEdits(HWND hDlg, SHORT sHide)
{
    _Show(hDlg, IDC_JOB_PASSWORD_MASKED, sHide == 1);
    _Show(hDlg, IDC_JOB_PASSWORD_PLAIN, sHide != 1);
}

void _InitJobId(HWND hDlg, UISETTINGS* pObj)
{
    SUBDLGDATA* p = AllocSubDlgData(hDlg, pObj);
    if (!p)
        return;
    WCHAR szPassword[21], szJobId[21];
    _ReadPassword(pObj, szPassword);
    _ReadField(pObj, kParamJobId, szJobId);
    for (int id : {IDC_JOB_PASSWORD_MASKED, IDC_JOB_PASSWORD_PLAIN, IDC_JOB_ID})
        SendDlgItemMessageW(hDlg, id, EM_LIMITTEXT, kMaxChars, 0);
    SetDlgItemTextW(hDlg, IDC_JOB_PASSWORD_MASKED, szPassword);
    SetDlgItemTextW(hDlg, IDC_JOB_PASSWORD_PLAIN, szPassword);
    SetDlgItemTextW(hDlg, IDC_JOB_ID, szJobId);
    memset(szPassword, 0, sizeof(szPassword));
    p->pfnMaskedEdit = SubclassDlgEdit(hDlg, IDC_JOB_PASSWORD_MASKED, PasswordEditProc);
    p->pfnPlainEdit = SubclassDlgEdit(hDlg, IDC_JOB_PASSWORD_PLAIN, PasswordEditProc);
    p->pfnJobIdEdit = SubclassDlgEdit(hDlg, IDC_JOB_ID, JobIdEditProc);
    p->sHide = GetParamEdited(pObj, kParamHide) == 1 ? 1 : 0;
    bool bSwitchEnabled = true;
    if (_OwnerUnknown(pObj)) {
        // Kept in the dialog until OK, so that Cancel changes nothing.
        p->sHide = 1;
        bSwitchEnabled = false;
    }
    _ShowPasswordEdits(hDlg, p->sHide);
    EnableWindow(GetDlgItem(hDlg, IDC_JOB_PASSWORD_HIDE), bSwitchEnabled);
    CheckDlgButton(hDlg, IDC_JOB_PASSWORD_HIDE, p->sHide == 1 ? BST_CHECKED : BST_UNCHECKED);
}

// Gives the edits their own procedures back and frees the block, on OK,
// Cancel or a destroy without either; nothing to do once it is gone.
void _ReleaseJobId(HWND hDlg)
{
    SUBDLGDATA* p = GetSubDlgData(hDlg);
    if (p) {
        RestoreEditProc(hDlg, IDC_JOB_PASSWORD_MASKED, p->pfnMaskedEdit);
        RestoreEditProc(hDlg, IDC_JOB_PASSWORD_PLAIN, p->pfnPlainEdit);
        RestoreEditProc(hDlg, IDC_JOB_ID, p->pfnJobIdEdit);
        FreeSubDlgData(hDlg);
    }
}

void _EndJobId(HWND hDlg, int iResult)
{
    _ReleaseJobId(hDlg);
    EndDialog(hDlg, iResult);
}

// The box of a refused job ID or password: "<item> contains characters
// that cannot be used" and what may be used.
void _ShowJobInputBox(HWND hDlg, UINT uItem)
{
    WCHAR szPart[1024], szText[1024], szCaption[256];
    wnsprintfW(szPart, 1024, GetResString(21013), GetResString(uItem));
    wnsprintfW(szText, 1024, u"%s%s", szPart, GetResString(25203));
    wnsprintfW(szCaption, 256, GetResString(21012), GetResString(uItem));
    MessageBoxW(hDlg, szText, szCaption, MB_ICONWARNING);
}

bool _StoreJobIdInput(HWND hDlg, SUBDLGDATA* p)
{
    WCHAR szPassword[kReadChars + 1], szJobId[kReadChars + 1];
    ReadDlgText(hDlg, _ShownPasswordEdit(p), szPassword, kReadChars + 1);
    ReadDlgText(hDlg, IDC_JOB_ID, szJobId, kReadChars + 1);
    // A pasted text may pass the key filter; OK takes only what fits.
    if (!_AllAlnum(szJobId) || lstrlenW(szJobId) > kMaxChars) {
        _ShowJobInputBox(hDlg, 25405);
        SetDlgItemTextW(hDlg, IDC_JOB_ID, u"");
        SetFocus(GetDlgItem(hDlg, IDC_JOB_ID));
        return false;
    }
    if (!_AllAlnum(szPassword) || lstrlenW(szPassword) > kMaxChars) {
        MessageBeep(MB_ICONEXCLAMATION);
        _ShowJobInputBox(hDlg, 25204);
        SetDlgItemTextW(hDlg, IDC_JOB_PASSWORD_MASKED, u"");
        SetDlgItemTextW(hDlg, IDC_JOB_PASSWORD_PLAIN, u"");
        SetFocus(GetDlgItem(hDlg, _ShownPasswordEdit(p)));
        return false;
    }
    _WriteField(p->pObj, kParamJobId, szJobId);
    _WritePassword(p->pObj, szPassword);
    memset(szPassword, 0, sizeof(szPassword));
    return true;
}

void _OnHideSwitch(HWND hDlg, SUBDLGDATA* p)
{
    SHORT sState = IsDlgButtonChecked(hDlg, IDC_JOB_PASSWORD_HIDE) == BST_CHECKED ? 1 : 0;
    if (sState == p->sHide)
        return;
    p->sHide = sState;
    if (sState == 1) {
        WCHAR sz[kReadChars + 1];
        ReadDlgText(hDlg, IDC_JOB_PASSWORD_PLAIN, sz, kReadChars + 1);
        SetDlgItemTextW(hDlg, IDC_JOB_PASSWORD_MASKED, sz);
        memset(sz, 0, sizeof(sz));
    } else {
        // A hidden password is never shown: the user types it again.
        SetDlgItemTextW(hDlg, IDC_JOB_PASSWORD_MASKED, u"");
        SetDlgItemTextW(hDlg, IDC_JOB_PASSWORD_PLAIN, u"");
    }
    _ShowPasswordEdits(hDlg, sState);
    CheckDlgButton(hDlg, IDC_JOB_PASSWORD_HIDE, sState == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void _OnJobIdCommand(HWND hDlg, WPARAM wParam)
{
    SUBDLGDATA* p = GetSubDlgData(hDlg);
    switch (LOWORD(wParam)) {
    case IDOK:
        if (!p) {
            _EndJobId(hDlg, IDCANCEL);
            return;
        }
        if (!_StoreJobIdInput(hDlg, p))
            return;
        SetParamEdited(p->pObj, kParamHide, p->sHide);
        _EndJobId(hDlg, IDOK);
        return;
    case IDCANCEL:
        _EndJobId(hDlg, IDCANCEL);
        return;
    case IDC_JOB_PASSWORD_HIDE:
        if (p && HIWORD(wParam) == BN_CLICKED)
            _OnHideSwitch(hDlg, p);
        return;
    }
}

// ---- Numeric code ----

void _RefreshCode(HWND hDlg, CODEDLGDATA* p)
{
    if (!(p->dwDirty & 1))
        return;
    p->dwDirty &= ~1u;
    SHORT s = GetParamEdited(p->base.pObj, kParamJobModeSpl);
    if (s == 1)
        CheckRadioButton(hDlg, IDC_CODE_MODE1, IDC_CODE_MODE2, IDC_CODE_MODE1);
    else if (s == 2)
        CheckRadioButton(hDlg, IDC_CODE_MODE1, IDC_CODE_MODE2, IDC_CODE_MODE2);
}

void _UpdateCode(HWND hDlg, CODEDLGDATA* p, int id)
{
    p->dwDirty = 0;
    if (id == IDC_CODE_MODE1 || id == IDC_CODE_MODE2) {
        p->dwDirty = 1;
        _RefreshCode(hDlg, p);
    }
}

void _InitCode(HWND hDlg, UISETTINGS* pObj)
{
    CODEDLGDATA* p = (CODEDLGDATA*)AllocDialogBlock(hDlg, sizeof(CODEDLGDATA));
    if (!p)
        return;
    p->base.hDlg = hDlg;
    p->base.pObj = pObj;
    p->dwDirty = 0;
    p->base.wSavedValue = (WORD)GetParamEdited(pObj, kParamJobModeSpl);
    p->dwDirty = 1;
    _RefreshCode(hDlg, p);
    SendDlgItemMessageW(hDlg, IDC_CODE, EM_LIMITTEXT, kMaxChars, 0);
    WCHAR szCode[21];
    _ReadField(pObj, kParamUserId, szCode);
    SetDlgItemTextW(hDlg, IDC_CODE, szCode);
    p->base.pfnUserIdEdit = SubclassDlgEdit(hDlg, IDC_CODE, UserIdEditProc);
}

// As _ReleaseJobId, for the code dialog's one edit.
void _ReleaseCode(HWND hDlg)
{
    SUBDLGDATA* p = GetSubDlgData(hDlg);
    if (p) {
        RestoreEditProc(hDlg, IDC_CODE, p->pfnUserIdEdit);
        FreeSubDlgData(hDlg);
    }
}

void _EndCode(HWND hDlg, int iResult)
{
    _ReleaseCode(hDlg);
    EndDialog(hDlg, iResult);
}

void _OnCodeCommand(HWND hDlg, WPARAM wParam)
{
    CODEDLGDATA* p = (CODEDLGDATA*)GetSubDlgData(hDlg);
    int id = LOWORD(wParam);
    switch (id) {
    case IDC_CODE_MODE1:
    case IDC_CODE_MODE2: {
        if (!p || HIWORD(wParam) != BN_CLICKED)
            return;
        SHORT sNew = id == IDC_CODE_MODE1 ? 1 : 2;
        if (GetParamEdited(p->base.pObj, kParamJobModeSpl) != sNew) {
            SetParamEdited(p->base.pObj, kParamJobModeSpl, sNew);
            _UpdateCode(hDlg, p, id);
        }
        return;
    }
    case IDOK: {
        if (!p) {
            _EndCode(hDlg, IDCANCEL);
            return;
        }
        WCHAR szCode[kReadChars + 1];
        ReadDlgText(hDlg, IDC_CODE, szCode, kReadChars + 1);
        if (!_AllDigits(szCode) || lstrlenW(szCode) > kMaxChars) {
            ShowInputErrorMessage(hDlg, IDC_CODE);
            return;
        }
        WCHAR szOld[21];
        _ReadField(p->base.pObj, kParamUserId, szOld);
        // The stored password went with the old code.
        if (lstrcmpW(szOld, szCode) != 0)
            _WritePassword(p->base.pObj, u"");
        _WriteField(p->base.pObj, kParamUserId, szCode);
        _EndCode(hDlg, IDOK);
        return;
    }
    case IDCANCEL:
        if (p)
            SetParamEdited(p->base.pObj, kParamJobModeSpl, (SHORT)p->base.wSavedValue);
        _EndCode(hDlg, IDCANCEL);
        return;
    }
}

}  // namespace

BOOL GetJobIdInput(UISETTINGS* pObj, LPWSTR pszJobId, LPWSTR pszPassword)
{
    if (!pObj || !pszJobId || !pszPassword || !_TextField(pObj, kParamJobId) || !_TextField(pObj, kParamPassword))
        return FALSE;
    WCHAR sz[21];
    _ReadField(pObj, kParamJobId, sz);
    lstrcpynW(pszJobId, sz, kFieldUnits);
    _ReadPassword(pObj, sz);
    lstrcpynW(pszPassword, sz, kFieldUnits);
    return TRUE;
}

INT_PTR CALLBACK JobIdPasswordDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return HandleSubDlgHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        _InitJobId(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        _OnJobIdCommand(hDlg, wParam);
        return TRUE;
    case WM_DESTROY:
        _ReleaseJobId(hDlg);
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK NumericCodeDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return HandleSubDlgHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        _InitCode(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        _OnCodeCommand(hDlg, wParam);
        return TRUE;
    case WM_DESTROY:
        _ReleaseCode(hDlg);
        return FALSE;
    }
    return FALSE;
}
