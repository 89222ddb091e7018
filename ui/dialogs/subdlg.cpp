// subdlg.cpp: filter decisions, masking rules, input-error texts and the
// user settings OK check. See subdlg.h.
#include "ui/dialogs/subdlg.h"

#include "platform/gdi/msgbox.h"
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
