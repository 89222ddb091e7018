// ipaddress.cpp: the network address dialog. See ipaddress.h.
#include "ui/dialogs/ipaddress.h"

#include "platform/gdi/msgbox.h"
#include "ui/dialogs/subdlg.h"
#include "ui/pages/pagehelpers.h"

#include <cstring>

namespace {

const int kOctets[4] = {IDC_IP_OCTET1, IDC_IP_OCTET2, IDC_IP_OCTET3, IDC_IP_OCTET4};

struct IPDLGDATA {
    LPWSTR pszCaller;      // the caller's text
    LONG_PTR apfnEdit[4];  // saved procedures of the four octet edits
};

IPDLGDATA* _Data(HWND hDlg)
{
    return (IPDLGDATA*)GetWindowLongPtrW(hDlg, DWLP_USER);
}

// 1 to 3 digits, at most 255.
bool _ValidOctet(LPCWSTR psz)
{
    int cch = lstrlenW(psz);
    if (cch < 1 || cch > 3)
        return false;
    int n = 0;
    for (int i = 0; i < cch; ++i) {
        if (psz[i] < u'0' || psz[i] > u'9')
            return false;
        n = n * 10 + (psz[i] - u'0');
    }
    return n <= 255;
}

LRESULT CALLBACK _OctetEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    IPDLGDATA* p = _Data(hDlg);
    int i = -1;
    for (int k = 0; k < 4; ++k)
        if (GetDlgItem(hDlg, kOctets[k]) == hwnd)
            i = k;
    LONG_PTR pfn = p && i >= 0 ? p->apfnEdit[i] : 0;
    auto passOn = [&]() {
        return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
                   : DefWindowProcW(hwnd, uMsg, wParam, lParam);
    };
    if (uMsg != WM_CHAR)
        return passOn();
    WCHAR ch = (WCHAR)wParam;
    if (ch == 3 || ch == 8 || ch == 22 || ch == 24 || ch == 26)
        return passOn();
    WCHAR sz[8];
    ReadDlgText(hDlg, GetDlgCtrlID(hwnd), sz, 5);
    DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
    int iDecision = IpOctetKeyDecision(sz, dwSel, ch);
    if (iDecision == IPKEY_REFUSE) {
        MessageBeep(10);
        return 1;
    }
    LRESULT lr = passOn();
    if (iDecision == IPKEY_ACCEPT_NEXT) {
        // A full octet: on to the next one, whose text is selected so that
        // typing replaces it; after the last, to OK.
        HWND hNext = GetDlgItem(hDlg, i >= 0 && i < 3 ? kOctets[i + 1] : IDOK);
        if (hNext) {
            SetFocus(hNext);
            if (i >= 0 && i < 3)
                SendMessageW(hNext, EM_SETSEL, 0, -1);
        }
    }
    return lr;
}

void _Init(HWND hDlg, LPWSTR pszCaller)
{
    IPDLGDATA* p = (IPDLGDATA*)AllocDialogBlock(hDlg, sizeof(IPDLGDATA));
    if (!p)
        return;
    p->pszCaller = pszCaller;
    if (pszCaller && pszCaller[0]) {
        WCHAR sz[IPADDRESS_CCH + 1] = {};
        lstrcpynW(sz, pszCaller, IPADDRESS_CCH);
        // The pieces between the dots, one per edit; pieces after the
        // fourth are ignored, missing ones leave their edit empty.
        WCHAR* pPiece = sz;
        for (int i = 0; i < 4 && pPiece; ++i) {
            WCHAR* pDot = pPiece;
            while (*pDot && *pDot != u'.')
                ++pDot;
            bool bMore = *pDot == u'.';
            *pDot = 0;
            SetDlgItemTextW(hDlg, kOctets[i], pPiece);
            pPiece = bMore ? pDot + 1 : nullptr;
        }
    }
    for (int i = 0; i < 4; ++i) {
        SendDlgItemMessageW(hDlg, kOctets[i], EM_LIMITTEXT, 3, 0);
        p->apfnEdit[i] = SubclassDlgEdit(hDlg, kOctets[i], _OctetEditProc);
    }
}

// Gives the octet edits their own procedures back and frees the block;
// nothing to do once it is gone.
void _Release(HWND hDlg)
{
    IPDLGDATA* p = _Data(hDlg);
    if (p) {
        for (int i = 0; i < 4; ++i)
            RestoreEditProc(hDlg, kOctets[i], p->apfnEdit[i]);
        FreeSubDlgData(hDlg);
    }
}

void _End(HWND hDlg, int iResult)
{
    _Release(hDlg);
    EndDialog(hDlg, iResult);
}

void _OnOk(HWND hDlg)
{
    IPDLGDATA* p = _Data(hDlg);
    if (!p) {
        _End(hDlg, IDCANCEL);
        return;
    }
    WCHAR szAddress[IPADDRESS_CCH + 8] = {};
    for (int i = 0; i < 4; ++i) {
        WCHAR sz[8];
        // One character more than an octet holds: a longer stored or
        // pasted text is refused, never cut short.
        ReadDlgText(hDlg, kOctets[i], sz, 5);
        HWND hEdit = GetDlgItem(hDlg, kOctets[i]);
        if (!sz[0]) {
            SetFocus(hEdit);
            return;
        }
        if (!_ValidOctet(sz)) {
            MessageBeep(MB_ICONEXCLAMATION);
            SetFocus(hEdit);
            SendMessageW(hEdit, EM_SETSEL, 0, -1);
            return;
        }
        lstrcatW(szAddress, sz);
        if (i < 3)
            lstrcatW(szAddress, u".");
    }
    if (p->pszCaller)
        lstrcpynW(p->pszCaller, szAddress, IPADDRESS_CCH);
    _End(hDlg, IDOK);
}

}  // namespace

int IpOctetKeyDecision(LPCWSTR pszText, DWORD dwSel, WCHAR ch)
{
    if (ch < u'0' || ch > u'9')
        return IPKEY_REFUSE;
    // The text the octet would hold: the digit in place of the selection.
    WCHAR szAfter[8] = {};
    int cch = InsertCharInText(pszText ? pszText : u"", szAfter, 5, dwSel, ch);
    if (cch <= 0 || cch > 3 || !_ValidOctet(szAfter))
        return IPKEY_REFUSE;
    return cch == 3 ? IPKEY_ACCEPT_NEXT : IPKEY_ACCEPT;
}

INT_PTR CALLBACK IpAddressDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG:
        _Init(hDlg, (LPWSTR)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            _OnOk(hDlg);
        else if (LOWORD(wParam) == IDCANCEL)
            _End(hDlg, IDCANCEL);
        return TRUE;
    case WM_DESTROY:
        // Destroyed without OK or Cancel: the block goes with the dialog.
        _Release(hDlg);
        return FALSE;
    }
    return FALSE;
}
