// button.cpp: the button control family (push, default push, check boxes,
// three-state, radio buttons, group box, owner-draw) with its state, its
// input and its painting.
//
// Rules:
//  1. A click is a button-down then a button-up over the control (or
//     BM_CLICK, or the space bar); it toggles automatic check boxes,
//     checks an automatic radio button and clears the others of its group,
//     then sends BN_CLICKED to the parent.
//  2. BM_SETCHECK changes the state silently: no BN_CLICKED.
//  3. An owner-draw button paints through WM_DRAWITEM to its parent on
//     every paint, whatever its size (a 1 x 1 button too).
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"

#include <algorithm>

namespace {

struct BUTTON {
    UINT uCheck;     // BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
    BOOL bPushed;    // held down
    BOOL bFocus;
    BOOL bTracking;  // mouse down inside, waiting for the up
    HANDLE hImage;   // BM_SETIMAGE
};

BUTTON* Btn(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    return w ? static_cast<BUTTON*>(w->pCtl) : nullptr;
}

DWORD Kind(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
}

BOOL IsCheckKind(DWORD k)
{
    return k == BS_CHECKBOX || k == BS_AUTOCHECKBOX || k == BS_3STATE || k == BS_AUTO3STATE;
}

BOOL IsRadioKind(DWORD k)
{
    return k == BS_RADIOBUTTON || k == BS_AUTORADIOBUTTON;
}

// --- painting: one place for the look of every button ---------------------------------------

void PaintButton(HWND hwnd, HDC hdc)
{
    WND* w = WndPeek(hwnd);
    BUTTON* b = Btn(hwnd);
    if (!w || !b)
        return;
    DWORD k = w->dwStyle & BS_TYPEMASK;
    RECT rc;
    GetClientRect(hwnd, &rc);
    BOOL bDisabled = (w->dwStyle & WS_DISABLED) != 0;
    if (k == BS_OWNERDRAW) {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = static_cast<UINT>(w->id);
        dis.itemID = 0;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = (b->bPushed ? ODS_SELECTED : 0) | (b->bFocus ? ODS_FOCUS : 0) | (bDisabled ? ODS_DISABLED : 0);
        dis.hwndItem = hwnd;
        dis.hDC = hdc;
        dis.rcItem = rc;
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        return;
    }
    HBRUSH hbr = PaintCtlColor(hwnd, hdc, k == BS_PUSHBUTTON || k == BS_DEFPUSHBUTTON ? WM_CTLCOLORBTN
                                                                                      : WM_CTLCOLORSTATIC);
    SetBkMode(hdc, TRANSPARENT);
    COLORREF crText = bDisabled ? GetSysColor(COLOR_GRAYTEXT) : GetTextColor(hdc);
    std::u16string text = w->strText;
    if (k == BS_PUSHBUTTON || k == BS_DEFPUSHBUTTON || (w->dwStyle & BS_PUSHLIKE)) {
        RECT r = rc;
        if (k == BS_DEFPUSHBUTTON) {
            FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&r, -1, -1);
        }
        BOOL bDown = b->bPushed || ((w->dwStyle & BS_PUSHLIKE) && b->uCheck);
        DrawFrameControl(hdc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (bDown ? DFCS_PUSHED : 0) | DFCS_ADJUSTRECT);
        RECT rt = r;
        if (bDown)
            OffsetRect(&rt, 1, 1);
        SetTextColor(hdc, bDisabled ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_BTNTEXT));
        DrawTextW(hdc, text.c_str(), -1, &rt, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (b->bFocus) {
            RECT f = r;
            InflateRect(&f, -2, -2);
            DrawFocusRect(hdc, &f);
        }
        return;
    }
    // A group box paints its frame and its caption only: the controls
    // inside it are its siblings and show through, whichever paints last.
    if (hbr && k != BS_GROUPBOX)
        FillRect(hdc, &rc, hbr);
    if (k == BS_GROUPBOX) {
        TEXTMETRICW tm = {};
        GetTextMetricsW(hdc, &tm);
        RECT fr = rc;
        fr.top += tm.tmHeight / 2;
        DrawEdge(hdc, &fr, EDGE_ETCHED, BF_RECT);
        if (!text.empty()) {
            RECT rt = {rc.left + 8, rc.top, rc.right - 8, rc.top + tm.tmHeight};
            DrawTextW(hdc, text.c_str(), -1, &rt, DT_CALCRECT | DT_SINGLELINE);
            rt.left -= 2;
            rt.right += 2;
            FillRect(hdc, &rt, hbr ? hbr : GetSysColorBrush(COLOR_BTNFACE));
            rt.left += 2;
            SetTextColor(hdc, crText);
            DrawTextW(hdc, text.c_str(), -1, &rt, DT_SINGLELINE | DT_LEFT | DT_TOP);
        }
        return;
    }
    // Check boxes and radio buttons: the 13 x 13 box, then the text.
    const int cBox = 13;
    BOOL bLeftText = (w->dwStyle & BS_LEFTTEXT) != 0;
    int yBox = rc.top + (rc.bottom - rc.top - cBox) / 2;
    RECT rBox = bLeftText ? RECT{rc.right - cBox, yBox, rc.right, yBox + cBox} : RECT{rc.left, yBox, rc.left + cBox, yBox + cBox};
    UINT st = (bDisabled ? DFCS_INACTIVE : 0) | (b->bPushed ? DFCS_PUSHED : 0);
    if (IsRadioKind(k))
        DrawFrameControl(hdc, &rBox, DFC_BUTTON, DFCS_BUTTONRADIO | st | (b->uCheck ? DFCS_CHECKED : 0));
    else
        DrawFrameControl(hdc, &rBox, DFC_BUTTON,
                         DFCS_BUTTONCHECK | st |
                             (b->uCheck == BST_CHECKED ? DFCS_CHECKED : 0) |
                             (b->uCheck == BST_INDETERMINATE ? DFCS_CHECKED | DFCS_BUTTON3STATE : 0));
    RECT rt = bLeftText ? RECT{rc.left, rc.top, rc.right - cBox - 4, rc.bottom} : RECT{rc.left + cBox + 4, rc.top, rc.right, rc.bottom};
    SetTextColor(hdc, crText);
    UINT fmt = (w->dwStyle & BS_MULTILINE) ? DT_WORDBREAK | DT_VCENTER : DT_SINGLELINE | DT_VCENTER;
    DrawTextW(hdc, text.c_str(), -1, &rt, fmt);
    if (b->bFocus && !text.empty()) {
        RECT f = rt;
        DrawTextW(hdc, text.c_str(), -1, &f, DT_CALCRECT | (fmt & DT_WORDBREAK ? DT_WORDBREAK : DT_SINGLELINE));
        int cy = f.bottom - f.top;
        f.top = rt.top + (rt.bottom - rt.top - cy) / 2;
        f.bottom = f.top + cy;
        InflateRect(&f, 1, 1);
        IntersectRect(&f, &f, &rc);
        DrawFocusRect(hdc, &f);
    }
}

void Redraw(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, FALSE);
}

// Rule 1 for the automatic kinds, then the notification.
void Click(HWND hwnd)
{
    BUTTON* b = Btn(hwnd);
    if (!b)
        return;
    DWORD k = Kind(hwnd);
    switch (k) {
    case BS_AUTOCHECKBOX:
        SendMessageW(hwnd, BM_SETCHECK, b->uCheck ? BST_UNCHECKED : BST_CHECKED, 0);
        break;
    case BS_AUTO3STATE:
        SendMessageW(hwnd, BM_SETCHECK, (b->uCheck + 1) % 3, 0);
        break;
    case BS_AUTORADIOBUTTON: {
        HWND hParent = GetParent(hwnd);
        // The group: siblings from the WS_GROUP item at or before this one up
        // to the next WS_GROUP item.
        WND* p = WndPeek(hParent);
        if (p) {
            std::vector<HWND> sibs = p->aChildren;
            auto it = std::find(sibs.begin(), sibs.end(), hwnd);
            size_t i = static_cast<size_t>(it - sibs.begin());
            size_t first = i;
            while (first > 0 && !(GetWindowLongW(sibs[first], GWL_STYLE) & WS_GROUP))
                --first;
            size_t last = i;
            while (last + 1 < sibs.size() && !(GetWindowLongW(sibs[last + 1], GWL_STYLE) & WS_GROUP))
                ++last;
            for (size_t j = first; j <= last && j < sibs.size(); ++j)
                if (sibs[j] != hwnd && Kind(sibs[j]) == BS_AUTORADIOBUTTON && IsWindow(sibs[j]))
                    SendMessageW(sibs[j], BM_SETCHECK, BST_UNCHECKED, 0);
        }
        SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
        break;
    }
    }
    if (IsWindow(hwnd))
        WndNotifyParent(hwnd, BN_CLICKED);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndPeek(hwnd);
    BUTTON* b = Btn(hwnd);
    switch (msg) {
    case WM_NCCREATE:
        w->pCtl = new BUTTON();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        delete b;
        w->pCtl = nullptr;
        return 0;
    case WM_GETDLGCODE: {
        DWORD k = Kind(hwnd);
        if (k == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (k == BS_PUSHBUTTON || k == BS_OWNERDRAW)
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (IsRadioKind(k))
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (k == BS_GROUPBOX)
            return DLGC_STATIC;
        return DLGC_BUTTON;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) {
            PaintButton(hwnd, hdc);
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        Redraw(hwnd);
        return TRUE;
    case WM_ENABLE:
        Redraw(hwnd);
        return 0;
    case WM_SETFOCUS:
        b->bFocus = TRUE;
        Redraw(hwnd);
        if (w->dwStyle & BS_NOTIFY)
            WndNotifyParent(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (b) {
            b->bFocus = FALSE;
            if (b->bPushed) {
                b->bPushed = FALSE;
                b->bTracking = FALSE;
            }
            Redraw(hwnd);
            if (w->dwStyle & BS_NOTIFY)
                WndNotifyParent(hwnd, BN_KILLFOCUS);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (Kind(hwnd) == BS_GROUPBOX)
            return 0;
        SetCapture(hwnd);
        SetFocus(hwnd);
        if (!IsWindow(hwnd))
            return 0;
        b->bTracking = TRUE;
        b->bPushed = TRUE;
        Redraw(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (b->bTracking) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            BOOL bIn = PtInRect(&rc, pt);
            if (bIn != b->bPushed) {
                b->bPushed = bIn;
                Redraw(hwnd);
            }
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!b->bTracking)
            return 0;
        b->bTracking = FALSE;
        ReleaseCapture();
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        BOOL bIn = PtInRect(&rc, pt);
        if (!IsWindow(hwnd))
            return 0;
        b->bPushed = FALSE;
        Redraw(hwnd);
        if (bIn)
            Click(hwnd);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && Kind(hwnd) != BS_GROUPBOX) {
            b->bPushed = TRUE;
            Redraw(hwnd);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && b->bPushed) {
            b->bPushed = FALSE;
            Redraw(hwnd);
            Click(hwnd);
        }
        return 0;
    case WM_CHAR:
        return 0;
    case BM_CLICK:
        // A click as the mouse makes it, so that owners see the same thing.
        if (IsWindowEnabled(hwnd) && Kind(hwnd) != BS_GROUPBOX) {
            SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
        }
        return 0;
    case BM_GETCHECK:
        return IsCheckKind(Kind(hwnd)) || IsRadioKind(Kind(hwnd)) || (w->dwStyle & BS_PUSHLIKE) ? b->uCheck : 0;
    case BM_SETCHECK: {
        DWORD k = Kind(hwnd);
        UINT u = static_cast<UINT>(wParam);
        if (u == BST_INDETERMINATE && k != BS_3STATE && k != BS_AUTO3STATE)
            u = BST_CHECKED;
        if (u > BST_INDETERMINATE)
            u = BST_CHECKED;
        if (!IsCheckKind(k) && !IsRadioKind(k) && !(w->dwStyle & BS_PUSHLIKE))
            return 0;
        if (b->uCheck != u) {
            b->uCheck = u;
            Redraw(hwnd);
        }
        // A checked radio button is the group's tab stop, as the system keeps it.
        if (k == BS_AUTORADIOBUTTON)
            w->dwStyle = u ? (w->dwStyle | WS_TABSTOP) : (w->dwStyle & ~WS_TABSTOP);
        return 0;
    }
    case BM_GETSTATE:
        return b->uCheck | (b->bPushed ? BST_PUSHED : 0) | (b->bFocus ? BST_FOCUS : 0);
    case BM_SETSTATE:
        b->bPushed = wParam != 0;
        Redraw(hwnd);
        return 0;
    case BM_SETSTYLE:
        w->dwStyle = (w->dwStyle & ~0xFFFFu) | (static_cast<DWORD>(wParam) & 0xFFFF);
        if (LOWORD(lParam))
            Redraw(hwnd);
        return 0;
    case BM_SETIMAGE: {
        HANDLE h = b->hImage;
        b->hImage = reinterpret_cast<HANDLE>(lParam);
        Redraw(hwnd);
        return reinterpret_cast<LRESULT>(h);
    }
    case BM_GETIMAGE:
        return reinterpret_cast<LRESULT>(b->hImage);
    case WM_PLAT_SCRIPT: {
        PLATSCRIPTACTION* a = reinterpret_cast<PLATSCRIPTACTION*>(lParam);
        if (!a)
            return PSR_UNKNOWN;
        RECT rc;
        GetClientRect(hwnd, &rc);
        LPARAM lpCentre = MAKELPARAM((rc.right - 1) / 2, (rc.bottom - 1) / 2);
        if (a->uAction == PSA_CLICK) {
            SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lpCentre);
            SendMessageW(hwnd, WM_LBUTTONUP, 0, lpCentre);
            return PSR_DONE;
        }
        if (a->uAction == PSA_SETCHECK) {
            DWORD k = Kind(hwnd);
            if (!IsCheckKind(k) && !IsRadioKind(k))
                return PSR_FAILED;
            // A person clicks until the box shows what they want (a
            // three-state box may take two clicks), and stops when a click
            // leaves the box as it was: its owner refused the change (and
            // may have said so once already). A radio button cannot be
            // cleared by clicking it.
            for (int i = 0; i < 3 && IsWindow(hwnd) && Btn(hwnd)->uCheck != static_cast<UINT>(a->iValue); ++i) {
                if (IsRadioKind(k) && a->iValue == BST_UNCHECKED)
                    break;
                UINT uBefore = Btn(hwnd)->uCheck;
                SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lpCentre);
                SendMessageW(hwnd, WM_LBUTTONUP, 0, lpCentre);
                if (!IsWindow(hwnd) || Btn(hwnd)->uCheck == uBefore)
                    break;
            }
            if (IsWindow(hwnd) && Btn(hwnd)->uCheck == static_cast<UINT>(a->iValue))
                return PSR_DONE;
            return PSR_FAILED;
        }
        return PSR_UNKNOWN;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void ButtonRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS | CS_PARENTDC;
    wc.lpfnWndProc = ButtonProc;
    wc.lpszClassName = WC_BUTTONW;
    PlatRegisterSystemClass(&wc);
}
