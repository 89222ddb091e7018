// timerprint.cpp: the timer print dialog. See timerprint.h.
#include "ui/dialogs/timerprint.h"

#include "platform/comctl/commctrl.h"
#include "platform/gdi/msgbox.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/insertpreview.h"
#include "ui/dialogs/subdlg.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// The start hour and minute: numeric records with their limits.
const WORD kParamHour = 148;
const WORD kParamMinute = 149;

// Dirty bits of the dialog.
const DWORD kDirtyNone = 0x1;
const DWORD kDirtyHour = 0x2;
const DWORD kDirtyMinute = 0x4;

struct TIMERDLGDATA {
    HWND hDlg;
    UISETTINGS* pObj;
    SHORT sHourMax, sHourMin;
    SHORT sMinuteMax, sMinuteMin;
    SHORT sSavedHour, sSavedMinute;  // for Cancel
    LONG_PTR pfnHourEdit;
    LONG_PTR pfnMinuteEdit;
    BYTE bValidating;  // OK checks the edits itself: focus moves do not
    DWORD dwDirty;
};

TIMERDLGDATA* _Data(HWND hDlg)
{
    return (TIMERDLGDATA*)GetWindowLongPtrW(hDlg, DWLP_USER);
}

UIITEMRANGE* _Record(UISETTINGS* pObj, WORD wParam)
{
    return pObj ? (UIITEMRANGE*)GetParamSlot(pObj, wParam) : nullptr;
}

void _SetTwoDigits(HWND hDlg, int id, int n)
{
    WCHAR sz[16];
    wnsprintfW(sz, 16, u"%02d", n);
    SetDlgItemTextW(hDlg, id, sz);
}

void _SelectAll(HWND hDlg, int id)
{
    HWND h = GetDlgItem(hDlg, id);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, 255);
}

void _ShowClock(HWND hDlg)
{
    WCHAR sz[32] = {};
    WORD h, m;
    FormatCurrentTime(sz, &h, &m);
    SetDlgItemTextW(hDlg, IDC_TIMER_CLOCK, sz);
}

void _Refresh(HWND hDlg, TIMERDLGDATA* p)
{
    UIITEMRANGE* pHour = _Record(p->pObj, kParamHour);
    UIITEMRANGE* pMinute = _Record(p->pObj, kParamMinute);
    if ((p->dwDirty & kDirtyHour) && pHour)
        _SetTwoDigits(hDlg, IDC_TIMER_HOUR, pHour->sInitial);
    if ((p->dwDirty & kDirtyMinute) && pMinute)
        _SetTwoDigits(hDlg, IDC_TIMER_MINUTE, pMinute->sInitial);
    p->dwDirty &= ~(kDirtyHour | kDirtyMinute | kDirtyNone);
}

bool _IsHour(int id)
{
    return id == IDC_TIMER_HOUR || id == IDC_TIMER_HOUR_SPIN;
}

// The check of one edit on leaving it and at OK: two digits inside the
// record's limits. A refused text is replaced by the nearer limit.
bool _CheckEdit(HWND hDlg, TIMERDLGDATA* p, int id)
{
    bool bHour = _IsHour(id);
    SHORT sMin = bHour ? p->sHourMin : p->sMinuteMin;
    SHORT sMax = bHour ? p->sHourMax : p->sMinuteMax;
    WCHAR sz[4];
    ReadDlgText(hDlg, id, sz, 3);
    bool bDigits = sz[0] != 0;
    int n = 0;
    for (const WCHAR* c = sz; *c; ++c) {
        if (*c < u'0' || *c > u'9') {
            bDigits = false;
            break;
        }
        n = n * 10 + (*c - u'0');
    }
    if (bDigits && n >= sMin && n <= sMax) {
        UIITEMRANGE* pRec = _Record(p->pObj, bHour ? kParamHour : kParamMinute);
        if (pRec)
            pRec->sInitial = (SHORT)n;
        return true;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    WCHAR szText[1024], szCaption[256];
    wnsprintfW(szText, 1024, u"%s%s%s", GetResString(25901), GetResString(25902), GetResString(25903));
    lstrcpynW(szCaption, GetResString(25900), 256);
    MessageBoxW(hDlg, szText, szCaption, MB_ICONWARNING);
    _SetTwoDigits(hDlg, id, bDigits && n > sMax ? sMax : sMin);
    _SelectAll(hDlg, id);
    return false;
}

// EN_CHANGE: a number outside the limits is turned into the limit at once.
void _OnEditChange(HWND hDlg, TIMERDLGDATA* p, int id)
{
    bool bHour = _IsHour(id);
    UIITEMRANGE* pRec = _Record(p->pObj, bHour ? kParamHour : kParamMinute);
    if (!pRec)
        return;
    BOOL bOk = FALSE;
    UINT u = GetDlgItemInt(hDlg, id, &bOk, FALSE);
    if (!bOk)
        return;  // empty or not a number: the check on leaving catches it
    LONG n = (LONG)(u > 0x7FFF ? 0x7FFF : u);
    SHORT sMin = bHour ? p->sHourMin : p->sMinuteMin;
    SHORT sMax = bHour ? p->sHourMax : p->sMinuteMax;
    if (n < sMin || n > sMax) {
        n = n < sMin ? sMin : sMax;
        _SetTwoDigits(hDlg, id, (int)n);
        _SelectAll(hDlg, id);
    }
    pRec->sInitial = (SHORT)n;
}

LRESULT CALLBACK _TimeEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    TIMERDLGDATA* p = _Data(hDlg);
    int id = GetDlgCtrlID(hwnd);
    LONG_PTR pfn = p ? (id == IDC_TIMER_HOUR ? p->pfnHourEdit : p->pfnMinuteEdit) : 0;
    if (p && uMsg == WM_KILLFOCUS) {
        HWND hTo = (HWND)wParam;
        bool bToCancel = hTo && GetDlgCtrlID(hTo) == IDCANCEL && GetParent(hTo) == hDlg;
        if (!bToCancel && !p->bValidating && !_CheckEdit(hDlg, p, id))
            return 1;
    }
    if (uMsg == WM_CHAR) {
        WCHAR ch = (WCHAR)wParam;
        bool bPass = ch == 3 || ch == 8 || ch == 22 || ch == 24 || ch == 26 || (ch >= u'0' && ch <= u'9');
        if (!bPass) {
            MessageBeep(10);
            return 1;
        }
    }
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

void _Init(HWND hDlg, UISETTINGS* pObj)
{
    TIMERDLGDATA* p = (TIMERDLGDATA*)AllocDialogBlock(hDlg, sizeof(TIMERDLGDATA));
    if (!p)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    p->dwDirty = 0;
    UIITEMRANGE* pHour = _Record(pObj, kParamHour);
    UIITEMRANGE* pMinute = _Record(pObj, kParamMinute);
    if (pHour) {
        p->sSavedHour = pHour->sInitial;
        p->sHourMin = pHour->sMin;
        p->sHourMax = pHour->sMax;
    }
    if (pMinute) {
        p->sSavedMinute = pMinute->sInitial;
        p->sMinuteMin = pMinute->sMin;
        p->sMinuteMax = pMinute->sMax;
    }
    SendDlgItemMessageW(hDlg, IDC_TIMER_HOUR_SPIN, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, IDC_TIMER_HOUR), 0);
    SendDlgItemMessageW(hDlg, IDC_TIMER_HOUR_SPIN, UDM_SETRANGE, 0, MAKELONG(p->sHourMax, p->sHourMin));
    SendDlgItemMessageW(hDlg, IDC_TIMER_MINUTE_SPIN, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, IDC_TIMER_MINUTE), 0);
    SendDlgItemMessageW(hDlg, IDC_TIMER_MINUTE_SPIN, UDM_SETRANGE, 0, MAKELONG(p->sMinuteMax, p->sMinuteMin));
    SendDlgItemMessageW(hDlg, IDC_TIMER_HOUR, EM_LIMITTEXT, 2, 0);
    SendDlgItemMessageW(hDlg, IDC_TIMER_MINUTE, EM_LIMITTEXT, 2, 0);
    _ShowClock(hDlg);
    p->dwDirty = kDirtyNone | kDirtyHour | kDirtyMinute;
    _Refresh(hDlg, p);
    p->pfnHourEdit = SubclassDlgEdit(hDlg, IDC_TIMER_HOUR, _TimeEditProc);
    p->pfnMinuteEdit = SubclassDlgEdit(hDlg, IDC_TIMER_MINUTE, _TimeEditProc);
    p->bValidating = 0;
    SetTimer(hDlg, TIMERPRINT_TIMER_ID, TIMERPRINT_TIMER_MS, nullptr);
}

// Stops the clock, gives the edits their own procedures back and frees the
// block, on OK, Cancel or a destroy without either.
void _Release(HWND hDlg)
{
    KillTimer(hDlg, TIMERPRINT_TIMER_ID);
    TIMERDLGDATA* p = _Data(hDlg);
    if (p) {
        RestoreEditProc(hDlg, IDC_TIMER_HOUR, p->pfnHourEdit);
        RestoreEditProc(hDlg, IDC_TIMER_MINUTE, p->pfnMinuteEdit);
        FreeSubDlgData(hDlg);
    }
}

void _End(HWND hDlg, int iResult)
{
    _Release(hDlg);
    EndDialog(hDlg, iResult);
}

void _OnCommand(HWND hDlg, WPARAM wParam)
{
    TIMERDLGDATA* p = _Data(hDlg);
    int id = LOWORD(wParam);
    if (!p) {
        // Without its block the dialog can only be left.
        if (id == IDOK || id == IDCANCEL)
            _End(hDlg, IDCANCEL);
        return;
    }
    SetActivePageId(p->pObj, IDD_TIMERPRINT);
    switch (id) {
    case IDC_TIMER_APPLY_NOW: {
        if (HIWORD(wParam) != BN_CLICKED)
            return;
        WCHAR sz[32] = {};
        WORD h = 0, m = 0;
        FormatCurrentTime(sz, &h, &m);
        SetDlgItemTextW(hDlg, IDC_TIMER_CLOCK, sz);
        _SetTwoDigits(hDlg, IDC_TIMER_HOUR, h);
        _SetTwoDigits(hDlg, IDC_TIMER_MINUTE, m);
        return;
    }
    case IDC_TIMER_HOUR:
    case IDC_TIMER_MINUTE:
        if (HIWORD(wParam) == EN_CHANGE)
            _OnEditChange(hDlg, p, id);
        return;
    case IDOK:
        p->bValidating = 2;
        if (!_CheckEdit(hDlg, p, IDC_TIMER_HOUR) || !_CheckEdit(hDlg, p, IDC_TIMER_MINUTE)) {
            p->bValidating = 0;
            return;
        }
        p->bValidating = 0;
        _End(hDlg, IDOK);
        return;
    case IDCANCEL: {
        UIITEMRANGE* pHour = _Record(p->pObj, kParamHour);
        UIITEMRANGE* pMinute = _Record(p->pObj, kParamMinute);
        if (pHour)
            pHour->sInitial = p->sSavedHour;
        if (pMinute)
            pMinute->sInitial = p->sSavedMinute;
        _End(hDlg, IDCANCEL);
        return;
    }
    }
}

void _OnSpin(HWND hDlg, LPARAM lParam)
{
    HWND hFocus = GetFocus();
    int id = hFocus && GetParent(hFocus) == hDlg ? GetDlgCtrlID(hFocus) : 0;
    // A spin clicked with the mouse may leave the focus elsewhere: then the
    // spin that moved names the edit.
    if (id != IDC_TIMER_HOUR && id != IDC_TIMER_HOUR_SPIN && id != IDC_TIMER_MINUTE && id != IDC_TIMER_MINUTE_SPIN)
        id = lParam ? GetDlgCtrlID((HWND)lParam) : 0;
    if (id == IDC_TIMER_HOUR || id == IDC_TIMER_HOUR_SPIN)
        TimerPrintUpdateControl(hDlg, IDC_TIMER_HOUR);
    else if (id == IDC_TIMER_MINUTE || id == IDC_TIMER_MINUTE_SPIN)
        TimerPrintUpdateControl(hDlg, IDC_TIMER_MINUTE);
}

}  // namespace

void TimerPrintUpdateControl(HWND hDlg, int id)
{
    TIMERDLGDATA* p = _Data(hDlg);
    if (!p)
        return;
    p->dwDirty = 0;
    if (id == IDC_TIMER_HOUR || id == IDC_TIMER_HOUR_SPIN)
        p->dwDirty |= kDirtyHour;
    else if (id == IDC_TIMER_MINUTE || id == IDC_TIMER_MINUTE_SPIN)
        p->dwDirty |= kDirtyMinute;
    _Refresh(hDlg, p);
}

INT_PTR CALLBACK TimerPrintDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return HandleSubDlgHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        _Init(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        _OnCommand(hDlg, wParam);
        return TRUE;
    case WM_TIMER:
        if (wParam == TIMERPRINT_TIMER_ID)
            _ShowClock(hDlg);
        return TRUE;
    case WM_VSCROLL:
        _OnSpin(hDlg, lParam);
        return TRUE;
    case WM_DESTROY:
        _Release(hDlg);
        return FALSE;
    }
    return FALSE;
}
