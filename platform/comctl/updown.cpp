// updown.cpp: the up-down control (a pair of arrow buttons that step a
// position, usually shown in a buddy edit).
//
// Facts this file relies on:
//  1. The position stays inside the range whichever way round the range
//     is given; with the lower end above the upper one the up arrow
//     counts down, as on the desktop. A new control's range is 100..0.
//  2. A step asks the parent first (UDN_DELTAPOS; nonzero refuses it),
//     then moves, then writes the buddy under UDS_SETBUDDYINT with
//     SetWindowTextW (so the buddy edit sends EN_CHANGE), then tells the
//     parent with WM_VSCROLL (WM_HSCROLL under UDS_HORZ) SB_THUMBPOSITION;
//     releasing the button sends SB_ENDSCROLL.
//  3. UDM_GETPOS reads the buddy's text back under UDS_SETBUDDYINT; a text
//     that is no number answers the last position with a nonzero HIWORD.
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

struct UPDOWN {
    int iLower;      // range end reached by the down arrow
    int iUpper;      // range end reached by the up arrow
    int iPos;        //
    int iBase;       // 10 or 16
    HWND hwndBuddy;  //
    int iPressed;    // 0 none, 1 up, -1 down: the arrow held
};

int _Clamp(const UPDOWN* p, int v)
{
    int lo = p->iLower < p->iUpper ? p->iLower : p->iUpper;
    int hi = p->iLower < p->iUpper ? p->iUpper : p->iLower;
    return v < lo ? lo : (v > hi ? hi : v);
}

std::u16string _Format(HWND hwnd, int v, int base)
{
    char buf[32];
    if (base == 16)
        snprintf(buf, sizeof(buf), "0x%04X", (unsigned)v);
    else
        snprintf(buf, sizeof(buf), "%d", v);
    std::u16string s;
    bool bGroup = base != 16 && !(GetWindowLongW(hwnd, GWL_STYLE) & UDS_NOTHOUSANDS);
    size_t n = strlen(buf);
    size_t first = buf[0] == '-' ? 1 : 0;
    for (size_t i = 0; i < n; ++i) {
        // A separator before every group of three digits but the first.
        if (bGroup && i > first && (n - i) % 3 == 0)
            s.push_back(u',');
        s.push_back((char16_t)buf[i]);
    }
    return s;
}

// The buddy's number; FALSE when its text is none.
BOOL _bParseBuddy(HWND hwndBuddy, int base, int* pv)
{
    WCHAR text[64];
    GetWindowTextW(hwndBuddy, text, 64);
    std::u16string s;
    for (const WCHAR* q = text; *q; ++q)
        if (*q != u',' && *q != u' ')
            s.push_back(*q);
    if (s.empty())
        return FALSE;
    size_t i = 0;
    bool bNeg = false;
    if (s[0] == u'-') {
        bNeg = true;
        i = 1;
    }
    if (base == 16 && s.size() > i + 1 && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X'))
        i += 2;
    if (i >= s.size())
        return FALSE;
    // 64 bits in both builds: a long is 32 bits in the i386 build, where
    // v * base would overflow before the check below sees it.
    LONGLONG v = 0;
    for (; i < s.size(); ++i) {
        int d;
        WCHAR c = s[i];
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return FALSE;
        v = v * base + d;
        if (v > 0x7FFFFFFF)
            return FALSE;
    }
    *pv = (int)(bNeg ? -v : v);
    return TRUE;
}

void _WriteBuddy(HWND hwnd, UPDOWN* p)
{
    if (p->hwndBuddy && IsWindow(p->hwndBuddy) && (GetWindowLongW(hwnd, GWL_STYLE) & UDS_SETBUDDYINT))
        SetWindowTextW(p->hwndBuddy, _Format(hwnd, p->iPos, p->iBase).c_str());
}

// Reads the buddy into the position (the user may have typed there).
BOOL _bSyncFromBuddy(HWND hwnd, UPDOWN* p)
{
    if (!p->hwndBuddy || !IsWindow(p->hwndBuddy) || !(GetWindowLongW(hwnd, GWL_STYLE) & UDS_SETBUDDYINT))
        return TRUE;
    int v;
    if (!_bParseBuddy(p->hwndBuddy, p->iBase, &v))
        return FALSE;
    p->iPos = _Clamp(p, v);
    return TRUE;
}

void _Attach(HWND hwnd, UPDOWN* p, HWND hwndBuddy)
{
    p->hwndBuddy = hwndBuddy;
    if (!hwndBuddy)
        return;
    DWORD style = GetWindowLongW(hwnd, GWL_STYLE);
    if (!(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)))
        return;
    // Sit inside the buddy's right (or left) end, as the desktop does: the
    // buddy gives up the arrows' width.
    HWND hParent = GetParent(hwnd);
    RECT rb, rs;
    GetWindowRect(hwndBuddy, &rb);
    GetWindowRect(hwnd, &rs);
    MapWindowPoints(nullptr, hParent, reinterpret_cast<LPPOINT>(&rb), 2);
    int cx = rs.right - rs.left;
    int cy = rb.bottom - rb.top;
    if (style & UDS_ALIGNRIGHT) {
        MoveWindow(hwndBuddy, rb.left, rb.top, rb.right - rb.left - cx + 2, cy, TRUE);
        MoveWindow(hwnd, rb.right - cx, rb.top, cx, cy, TRUE);
    } else {
        MoveWindow(hwndBuddy, rb.left + cx - 2, rb.top, rb.right - rb.left - cx + 2, cy, TRUE);
        MoveWindow(hwnd, rb.left, rb.top, cx, cy, TRUE);
    }
}

// One step of the arrow pressed (+1 up, -1 down).
void _Step(HWND hwnd, UPDOWN* p, int iArrow)
{
    if (!_bSyncFromBuddy(hwnd, p))
        p->iPos = _Clamp(p, p->iPos);
    int iDelta = (p->iLower <= p->iUpper ? 1 : -1) * iArrow;
    NMUPDOWN nm = {};
    nm.iPos = p->iPos;
    nm.iDelta = iDelta;
    if (CtlNotify(hwnd, UDN_DELTAPOS, &nm.hdr) != 0 || !IsWindow(hwnd))
        return;
    int lo = p->iLower < p->iUpper ? p->iLower : p->iUpper;
    int hi = p->iLower < p->iUpper ? p->iUpper : p->iLower;
    long long v = (long long)p->iPos + nm.iDelta;
    if (v < lo || v > hi) {
        if (!(GetWindowLongW(hwnd, GWL_STYLE) & UDS_WRAP)) {
            if (p->iPos == (v < lo ? lo : hi))
                return;  // already at the end: nothing moves, nothing is said
            v = v < lo ? lo : hi;
        } else {
            v = v < lo ? hi : lo;
        }
    }
    p->iPos = (int)v;
    _WriteBuddy(hwnd, p);
    InvalidateRect(hwnd, nullptr, FALSE);
    UINT msg = (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    SendMessageW(GetParent(hwnd), msg, MAKEWPARAM(SB_THUMBPOSITION, (WORD)p->iPos), (LPARAM)hwnd);
}

// Which arrow a client point is on: 1 up (or right), -1 down (or left).
int _ArrowAt(HWND hwnd, int x, int y)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ)
        return x < (rc.right - rc.left) / 2 ? -1 : 1;
    return y < (rc.bottom - rc.top) / 2 ? 1 : -1;
}

// Where a person clicks for an arrow.
POINT _ArrowPoint(HWND hwnd, int iArrow)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    POINT pt;
    if (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) {
        pt.x = iArrow > 0 ? w * 3 / 4 : w / 4;
        pt.y = h / 2;
    } else {
        pt.x = w / 2;
        pt.y = iArrow > 0 ? h / 4 : h * 3 / 4;
    }
    return pt;
}

// Whether the control takes clicks and keys: it is enabled, and so is its
// buddy, whose value it changes (a disabled field keeps its arrows from
// working, and they show it).
bool _bEnabled(HWND hwnd, const UPDOWN* p)
{
    if (!IsWindowEnabled(hwnd))
        return false;
    return !p->hwndBuddy || !IsWindow(p->hwndBuddy) || IsWindowEnabled(p->hwndBuddy);
}

void _Paint(HWND hwnd, UPDOWN* p)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    bool bHorz = (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
    UINT uDisabled = _bEnabled(hwnd, p) ? 0 : DFCS_INACTIVE;
    RECT a = rc, b = rc;
    if (bHorz) {
        a.right = b.left = (rc.left + rc.right) / 2;  // a: left (down), b: right (up)
        DrawFrameControl(hdc, &a, DFC_SCROLL, DFCS_SCROLLLEFT | uDisabled | (p->iPressed < 0 ? DFCS_PUSHED : 0));
        DrawFrameControl(hdc, &b, DFC_SCROLL, DFCS_SCROLLRIGHT | uDisabled | (p->iPressed > 0 ? DFCS_PUSHED : 0));
    } else {
        a.bottom = b.top = (rc.top + rc.bottom) / 2;  // a: top (up), b: bottom (down)
        DrawFrameControl(hdc, &a, DFC_SCROLL, DFCS_SCROLLUP | uDisabled | (p->iPressed > 0 ? DFCS_PUSHED : 0));
        DrawFrameControl(hdc, &b, DFC_SCROLL, DFCS_SCROLLDOWN | uDisabled | (p->iPressed < 0 ? DFCS_PUSHED : 0));
    }
    EndPaint(hwnd, &ps);
}

// The scripted user moves the control to a position by clicking the arrow
// that leads there, one step at a time.
LRESULT _Script(HWND hwnd, UPDOWN* p, PLATSCRIPTACTION* pa)
{
    if (pa->uAction != PSA_SETPOS)
        return PSR_UNKNOWN;
    if (!_bEnabled(hwnd, p) || !IsWindowVisible(hwnd))
        return CtlScriptFail(pa, u"the up-down control (or its field) is disabled or hidden");
    if (_Clamp(p, pa->iValue) != pa->iValue) {
        int lo = p->iLower < p->iUpper ? p->iLower : p->iUpper, hi = p->iLower < p->iUpper ? p->iUpper : p->iLower;
        std::string range = std::to_string(lo) + " to " + std::to_string(hi);
        return CtlScriptFail(pa, (u"the up-down control goes from " + std::u16string(range.begin(), range.end())).c_str());
    }
    _bSyncFromBuddy(hwnd, p);
    int lo = p->iLower < p->iUpper ? p->iLower : p->iUpper;
    int hi = p->iLower < p->iUpper ? p->iUpper : p->iLower;
    for (LONGLONG n = 0; p->iPos != pa->iValue; ++n) {
        if (n > (LONGLONG)hi - lo + 1)
            return CtlScriptFail(pa, u"the up-down control does not move (its owner refuses the steps)");
        int iDir = pa->iValue > p->iPos ? 1 : -1;            // wanted change of the value
        int iArrow = (p->iLower <= p->iUpper) ? iDir : -iDir;  // the arrow that makes it
        POINT pt = _ArrowPoint(hwnd, iArrow);
        CtlClickAt(hwnd, pt.x, pt.y);
        if (!IsWindow(hwnd))
            return PSR_DONE;
    }
    return PSR_DONE;
}

LRESULT CALLBACK _UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    UPDOWN* p = CtlState<UPDOWN>(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        UPDOWN* pNew = new (std::nothrow) UPDOWN{100, 0, 0, 10, nullptr, 0};
        if (!pNew)
            return FALSE;
        CtlSetState(hwnd, pNew);
        break;
    }
    case WM_CREATE:
        if (GetWindowLongW(hwnd, GWL_STYLE) & UDS_AUTOBUDDY)
            _Attach(hwnd, p, GetWindow(hwnd, GW_HWNDPREV));
        return 0;
    case WM_NCDESTROY:
        delete p;
        CtlSetState(hwnd, nullptr);
        break;
    case WM_PAINT:
        if (p) {
            _Paint(hwnd, p);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (p && _bEnabled(hwnd, p)) {
            p->iPressed = _ArrowAt(hwnd, (SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam));
            SetCapture(hwnd);
            _Step(hwnd, p, p->iPressed);
        }
        return 0;
    case WM_LBUTTONUP:
        if (p && p->iPressed) {
            p->iPressed = 0;
            if (GetCapture() == hwnd)
                ReleaseCapture();
            InvalidateRect(hwnd, nullptr, FALSE);
            UINT m = (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
            SendMessageW(GetParent(hwnd), m, MAKEWPARAM(SB_ENDSCROLL, (WORD)p->iPos), (LPARAM)hwnd);
        }
        return 0;
    case WM_KEYDOWN:
        if (p && _bEnabled(hwnd, p) && (GetWindowLongW(hwnd, GWL_STYLE) & UDS_ARROWKEYS)) {
            if (wParam == VK_UP || wParam == VK_RIGHT)
                _Step(hwnd, p, 1);
            else if (wParam == VK_DOWN || wParam == VK_LEFT)
                _Step(hwnd, p, -1);
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_PLAT_SCRIPT:
        return p && lParam ? _Script(hwnd, p, reinterpret_cast<PLATSCRIPTACTION*>(lParam)) : PSR_UNKNOWN;

    case UDM_SETRANGE:
        p->iUpper = (SHORT)LOWORD(lParam);
        p->iLower = (SHORT)HIWORD(lParam);
        p->iPos = _Clamp(p, p->iPos);
        return 0;
    case UDM_GETRANGE:
        return MAKELONG((WORD)p->iUpper, (WORD)p->iLower);
    case UDM_SETRANGE32:
        p->iLower = (int)wParam;
        p->iUpper = (int)lParam;
        p->iPos = _Clamp(p, p->iPos);
        return 0;
    case UDM_GETRANGE32:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = p->iLower;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = p->iUpper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        int iOld = p->iPos;
        p->iPos = _Clamp(p, msg == UDM_SETPOS ? (int)(SHORT)LOWORD(lParam) : (int)lParam);
        _WriteBuddy(hwnd, p);
        InvalidateRect(hwnd, nullptr, FALSE);
        return msg == UDM_SETPOS ? (LRESULT)(WORD)iOld : (LRESULT)iOld;
    }
    case UDM_GETPOS: {
        BOOL bOk = _bSyncFromBuddy(hwnd, p);
        return MAKELONG((WORD)p->iPos, bOk ? 0 : 1);
    }
    case UDM_GETPOS32: {
        BOOL bOk = _bSyncFromBuddy(hwnd, p);
        if (lParam)
            *reinterpret_cast<BOOL*>(lParam) = !bOk;
        return p->iPos;
    }
    case UDM_SETBUDDY: {
        HWND hOld = p->hwndBuddy;
        _Attach(hwnd, p, reinterpret_cast<HWND>(wParam));
        return reinterpret_cast<LRESULT>(hOld);
    }
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(p->hwndBuddy);
    case UDM_SETBASE: {
        if (wParam != 10 && wParam != 16)
            return 0;
        int iOld = p->iBase;
        p->iBase = (int)wParam;
        _WriteBuddy(hwnd, p);
        return iOld;
    }
    case UDM_GETBASE:
        return p->iBase;
    case UDM_SETACCEL:
        return TRUE;  // steps are one click each here: no held button repeats
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void UpDownRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = _UpDownProc;
    wc.cbWndExtra = CTL_EXTRA_BYTES;
    wc.lpszClassName = UPDOWN_CLASSW;
    PlatRegisterSystemClass(&wc);
}

HWND CreateUpDownControl(DWORD dwStyle, int x, int y, int cx, int cy, HWND hParent, int nID,
                         HINSTANCE hInst, HWND hBuddy, int nUpper, int nLower, int nPos)
{
    HWND hwnd = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, dwStyle, x, y, cx, cy, hParent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), hInst, nullptr);
    if (!hwnd)
        return nullptr;
    SendMessageW(hwnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hBuddy), 0);
    SendMessageW(hwnd, UDM_SETRANGE, 0, MAKELONG((WORD)nUpper, (WORD)nLower));
    SendMessageW(hwnd, UDM_SETPOS, 0, MAKELONG((WORD)nPos, 0));
    return hwnd;
}
