// subdlg.cpp: filter decisions, masking rules, input-error texts and the
// user settings OK check. See subdlg.h.
#include "ui/dialogs/subdlg.h"

#include "platform/comdlg/winhelp.h"
#include "platform/gdi/msgbox.h"
#include "ui/pages/pagehelpers.h"
#include "ui/driverui/docevent_store.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// Parameters of the fields these dialogs store (no settings-file key).
const WORD kParamUserId = 221;    // 11 units
const WORD kParamPassword = 211;  // 11 units, scrambled

bool _IsDigit(WCHAR c)
{
    return c >= u'0' && c <= u'9';
}

bool _IsAlnum(WCHAR c)
{
    return _IsDigit(c) || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Copy, backspace, paste, cut and undo.
bool _IsEditControlChar(WCHAR c)
{
    return c == 3 || c == 8 || c == 22 || c == 24 || c == 26;
}

bool _SelectionEmpty(DWORD dwSel)
{
    return LOWORD(dwSel) == HIWORD(dwSel);
}

WCHAR* _Field(UISETTINGS* pObj, WORD wParamId, DWORD* pcb)
{
    void* pSlot = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    int iRow = FindParamRow(pObj, wParamId);
    if (iRow < 0 || !AccessParamByIndex(wParamId, iRow, pObj, &pSlot, &cb, &wType) || !pSlot ||
        cb < USERAUTH_FIELD_UNITS * sizeof(WCHAR))
        return nullptr;
    *pcb = cb;
    return (WCHAR*)pSlot;
}

}  // namespace

int PasswordFilterDecision(WCHAR ch, int cchText, DWORD dwSel)
{
    if (_IsEditControlChar(ch))
        return FILTER_PASS;
    if (_IsAlnum(ch) && (cchText < USERAUTH_MAX_CHARS || !_SelectionEmpty(dwSel)))
        return FILTER_PASS;
    return FILTER_SWALLOW;
}

int UserIdFilterDecision(UINT uMsg, WPARAM wParam, int cchText, DWORD dwSel, int iCaret)
{
    switch (uMsg) {
    case WM_KEYUP:
        return FILTER_PASS;
    case WM_KEYDOWN:
        if (wParam != VK_DELETE)
            return FILTER_PASS;
        // Delete at the end of the text deletes nothing: the passwords stay.
        return _SelectionEmpty(dwSel) && iCaret >= cchText ? FILTER_PASS : FILTER_PASS_CLEAR;
    case WM_PASTE:
        return FILTER_PASS_CLEAR;
    case WM_CHAR: {
        WCHAR ch = (WCHAR)wParam;
        if (ch == 3 || ch == 22 || ch == 24 || ch == 26)
            return FILTER_PASS;
        if (ch == 8 && (cchText == 0 || (_SelectionEmpty(dwSel) && iCaret == 0)))
            return FILTER_PASS;
        if (cchText >= USERAUTH_MAX_CHARS && _SelectionEmpty(dwSel) && ch >= 32)
            return FILTER_SWALLOW;
        if (!_IsDigit(ch) && ch != 8)
            return FILTER_SWALLOW;
        return FILTER_PASS_CLEAR;
    }
    default:
        return FILTER_PASS;
    }
}

void ComputePasswordMasking(SHORT sOutput, SHORT sHardDisk, LPCWSTR pszOwner, BYTE bOwnerLength, SHORT sHide,
                            PASSWORDMASKING* p)
{
    p->sHide = sHide;
    p->bShowMasked = sHide == 1;
    p->bEditsEnabled = TRUE;
    p->bSwitchEnabled = TRUE;
    if (sOutput == 1 || sHardDisk == 1) {
        p->bEditsEnabled = FALSE;
        p->bSwitchEnabled = FALSE;
    }
    // Without a known owner the password is never shown in plain text.
    if (!pszOwner || !pszOwner[0] || bOwnerLength > 32) {
        p->sHide = 1;
        p->bShowMasked = TRUE;
        p->bSwitchEnabled = FALSE;
    }
}

BOOL FormatInputErrorMessage(int iKind, LPWSTR pszText, int cchText, LPWSTR pszCaption, int cchCaption)
{
    if (!pszText || !pszCaption || cchText <= 0 || cchCaption <= 0)
        return FALSE;
    WCHAR szPart[1024];
    UINT uItem = iKind == INPUTERR_FORMAT ? 25204 : 25101;
    switch (iKind) {
    case INPUTERR_CHARS:
    case INPUTERR_FORMAT:
        wnsprintfW(szPart, 1024, GetResString(21013), GetResString(uItem));
        wnsprintfW(pszText, cchText, u"%s%s", szPart, GetResString(iKind == INPUTERR_CHARS ? 21011 : 25203));
        break;
    case INPUTERR_LENGTH: {
        // The largest box number: as many 9s as the field takes.
        WCHAR szNines[USERAUTH_MAX_CHARS + 1] = {};
        for (int i = 0; i < USERAUTH_MAX_CHARS; ++i)
            szNines[i] = u'9';
        wnsprintfW(pszText, cchText, GetResString(21000), GetResString(uItem), GetResString(25102), szNines);
        break;
    }
    default:
        return FALSE;
    }
    wnsprintfW(pszCaption, cchCaption, GetResString(21012), GetResString(uItem));
    return TRUE;
}

BOOL ShowInputErrorBox(HWND hDlg, int iKind)
{
    WCHAR szText[1024], szCaption[256];
    if (!FormatInputErrorMessage(iKind, szText, 1024, szCaption, 256))
        return FALSE;
    MessageBoxW(hDlg, szText, szCaption, MB_ICONWARNING);
    return TRUE;
}

int CheckUserAuthInput(LPCWSTR pszUserId, LPCWSTR pszPassword)
{
    LPCWSTR pszId = pszUserId ? pszUserId : u"";
    LPCWSTR pszPw = pszPassword ? pszPassword : u"";
    for (LPCWSTR p = pszId; *p; ++p)
        if (!_IsDigit(*p))
            return INPUTERR_CHARS;
    for (LPCWSTR p = pszPw; *p; ++p)
        if (!_IsAlnum(*p))
            return INPUTERR_FORMAT;
    // The edits limit typing to 8; a longer text could only come from a
    // paste, and would not fit the stored field whole.
    if (lstrlenW(pszId) > USERAUTH_MAX_CHARS)
        return INPUTERR_CHARS;
    if (lstrlenW(pszPw) > USERAUTH_MAX_CHARS)
        return INPUTERR_FORMAT;
    return 0;
}

BOOL StoreUserAuthInput(UISETTINGS* pObj, LPCWSTR pszUserId, LPCWSTR pszPassword)
{
    if (!pObj || CheckUserAuthInput(pszUserId, pszPassword) != 0)
        return FALSE;
    DWORD cbId = 0, cbPw = 0;
    WCHAR* pId = _Field(pObj, kParamUserId, &cbId);
    WCHAR* pPw = _Field(pObj, kParamPassword, &cbPw);
    if (!pId || !pPw)
        return FALSE;
    memset(pId, 0, cbId);
    lstrcpynW(pId, pszUserId ? pszUserId : u"", USERAUTH_FIELD_UNITS);
    WCHAR szPlain[21] = {};
    lstrcpynW(szPlain, pszPassword ? pszPassword : u"", USERAUTH_MAX_CHARS + 1);
    memset(pPw, 0, cbPw);
    ScramblePassword(szPlain, pPw);
    return TRUE;
}

BOOL LoadUserAuthInput(UISETTINGS* pObj, LPWSTR pszUserId, LPWSTR pszPassword)
{
    DWORD cbId = 0, cbPw = 0;
    WCHAR* pId = pObj ? _Field(pObj, kParamUserId, &cbId) : nullptr;
    WCHAR* pPw = pObj ? _Field(pObj, kParamPassword, &cbPw) : nullptr;
    if (!pId || !pPw || !pszUserId || !pszPassword)
        return FALSE;
    lstrcpynW(pszUserId, pId, USERAUTH_FIELD_UNITS);
    // The stored form may fill its 11 units without a terminator: it is
    // copied into a zero-filled buffer of 21 units before it is turned back.
    WCHAR szStored[21] = {};
    memcpy(szStored, pPw, USERAUTH_FIELD_UNITS * sizeof(WCHAR));
    WCHAR szPlain[21] = {};
    ScramblePassword(szStored, szPlain);
    szPlain[USERAUTH_FIELD_UNITS - 1] = 0;
    lstrcpynW(pszPassword, szPlain, USERAUTH_FIELD_UNITS);
    return TRUE;
}

// ---- The frame's window side ----

void* AllocDialogBlock(HWND hDlg, DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p) {
        GlobalFree(h);
        return nullptr;
    }
    SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)p);
    return p;
}

SUBDLGDATA* AllocSubDlgData(HWND hDlg, UISETTINGS* pObj)
{
    SUBDLGDATA* p = (SUBDLGDATA*)AllocDialogBlock(hDlg, sizeof(SUBDLGDATA));
    if (p) {
        p->hDlg = hDlg;
        p->pObj = pObj;
    }
    return p;
}

SUBDLGDATA* GetSubDlgData(HWND hDlg)
{
    return hDlg ? (SUBDLGDATA*)GetWindowLongPtrW(hDlg, DWLP_USER) : nullptr;
}

void FreeSubDlgData(HWND hDlg)
{
    void* p = hDlg ? (void*)GetWindowLongPtrW(hDlg, DWLP_USER) : nullptr;
    if (!p)
        return;
    HGLOBAL h = GlobalHandle(p);
    SetWindowLongPtrW(hDlg, DWLP_USER, 0);
    if (h) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

BOOL HandleSubDlgHelp(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WCHAR szPath[HELPTABLE_PATH_CCH];
    if (uMsg == WM_HELP) {
        const HELPINFO* pInfo = (const HELPINFO*)lParam;
        HWND hItem = pInfo ? (HWND)pInfo->hItemHandle : hDlg;
        ShowDriverHelp(hItem, szPath, HELP_WM_HELP, (ULONG_PTR)GetHelpTable());
        return TRUE;
    }
    if (uMsg == WM_CONTEXTMENU) {
        (void)wParam;
        ShowDriverHelp(hDlg, szPath, HELP_CONTEXTMENU, (ULONG_PTR)GetHelpTable());
        return TRUE;
    }
    return FALSE;
}

LONG_PTR SubclassDlgEdit(HWND hDlg, int idEdit, WNDPROC pfnNew)
{
    HWND hEdit = GetDlgItem(hDlg, idEdit);
    return hEdit ? SetWindowLongPtrW(hEdit, GWLP_WNDPROC, (LONG_PTR)pfnNew) : 0;
}

void RestoreEditProc(HWND hDlg, int idEdit, LONG_PTR pfnSaved)
{
    HWND hEdit = GetDlgItem(hDlg, idEdit);
    if (hEdit && pfnSaved)
        SetWindowLongPtrW(hEdit, GWLP_WNDPROC, pfnSaved);
}

int ReadDlgText(HWND hDlg, int id, LPWSTR psz, int cchBuf)
{
    if (!psz || cchBuf <= 0)
        return 0;
    memset(psz, 0, cchBuf * sizeof(WCHAR));
    return GetDlgItemTextW(hDlg, id, psz, cchBuf);
}

namespace {

// The saved procedure of a filtered edit of the full block, by its id.
LONG_PTR _SavedEditProc(HWND hwnd, SUBDLGDATA** ppData)
{
    SUBDLGDATA* p = GetSubDlgData(GetParent(hwnd));
    *ppData = p;
    if (!p)
        return 0;
    switch (GetDlgCtrlID(hwnd)) {
    case IDC_PASSWORD_MASKED:
    case IDC_JOB_PASSWORD_MASKED:
        return p->pfnMaskedEdit;
    case IDC_PASSWORD_PLAIN:
    case IDC_JOB_PASSWORD_PLAIN:
        return p->pfnPlainEdit;
    case IDC_USERID:
    case IDC_CODE:
        return p->pfnUserIdEdit;
    case IDC_JOB_ID:
        return p->pfnJobIdEdit;
    default:
        return 0;
    }
}

LRESULT _PassOn(LONG_PTR pfn, HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

int _TextLength(HWND hwnd)
{
    WCHAR sz[21] = {};
    GetWindowTextW(hwnd, sz, 21);
    return lstrlenW(sz);
}

// Letters and digits, at most 8 unless typing replaces a selection.
LRESULT _AlnumFilter(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    SUBDLGDATA* p = nullptr;
    LONG_PTR pfn = _SavedEditProc(hwnd, &p);
    if (uMsg == WM_CHAR) {
        DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
        if (PasswordFilterDecision((WCHAR)wParam, _TextLength(hwnd), dwSel) == FILTER_SWALLOW) {
            MessageBeep(10);
            return 1;
        }
    }
    return _PassOn(pfn, hwnd, uMsg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK PasswordEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return _AlnumFilter(hwnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK JobIdEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return _AlnumFilter(hwnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK UserIdEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    SUBDLGDATA* p = nullptr;
    LONG_PTR pfn = _SavedEditProc(hwnd, &p);
    if (uMsg == WM_CHAR || uMsg == WM_KEYDOWN || uMsg == WM_KEYUP || uMsg == WM_PASTE) {
        DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
        int iCaret = HIWORD(dwSel);
        int iDecision = UserIdFilterDecision(uMsg, wParam, _TextLength(hwnd), dwSel, iCaret);
        if (iDecision == FILTER_SWALLOW) {
            MessageBeep(10);
            return 1;
        }
        if (iDecision == FILTER_PASS_CLEAR && p && !p->bCleared) {
            // The passwords belong to the old user ID: typed again after a
            // change. Dialogs without password edits have nothing to empty.
            HWND hDlg = GetParent(hwnd);
            if (GetDlgItem(hDlg, IDC_PASSWORD_MASKED))
                SetDlgItemTextW(hDlg, IDC_PASSWORD_MASKED, u"");
            if (GetDlgItem(hDlg, IDC_PASSWORD_PLAIN))
                SetDlgItemTextW(hDlg, IDC_PASSWORD_PLAIN, u"");
            p->bCleared = 1;
        }
    }
    return _PassOn(pfn, hwnd, uMsg, wParam, lParam);
}

namespace {

void _EmptyIfPresent(HWND hDlg, int id)
{
    if (GetDlgItem(hDlg, id))
        SetDlgItemTextW(hDlg, id, u"");
}

void _ShowBoxThenEmpty(HWND hDlg, int iKind, int idEdit)
{
    MessageBeep(MB_ICONEXCLAMATION);
    ShowInputErrorBox(hDlg, iKind);
    if (idEdit)
        _EmptyIfPresent(hDlg, idEdit);
    _EmptyIfPresent(hDlg, IDC_PASSWORD_MASKED);
    _EmptyIfPresent(hDlg, IDC_PASSWORD_PLAIN);
    HWND hFocus = GetDlgItem(hDlg, idEdit ? idEdit : IDC_PASSWORD_MASKED);
    if (hFocus)
        SetFocus(hFocus);
}

}  // namespace

void ShowInputErrorMessage(HWND hDlg, int idEdit)
{
    _ShowBoxThenEmpty(hDlg, INPUTERR_CHARS, idEdit);
}

void ShowInputLengthMessage(HWND hDlg, int idEdit)
{
    _ShowBoxThenEmpty(hDlg, INPUTERR_LENGTH, idEdit);
}

void ShowInputFormatMessage(HWND hDlg)
{
    _ShowBoxThenEmpty(hDlg, INPUTERR_FORMAT, 0);
}
