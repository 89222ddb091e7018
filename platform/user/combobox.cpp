// combobox.cpp: the combo box control (drop-down list; simple and
// drop-down with a field behave as a drop-down list here), its items held
// by its list (a ComboLBox list box), its notifications and its painting.
//
// Rules:
//  1. CB_SETCURSEL, CB_SELECTSTRING and the other messages change the
//     selection silently. A choice by the user (click the combo box, then
//     an item of the dropped list; or an arrow key on the closed box)
//     sends CBN_SELCHANGE; dropping and closing send CBN_DROPDOWN,
//     CBN_SELENDOK (or CBN_SELENDCANCEL) and CBN_CLOSEUP.
//  2. Owner-draw combo boxes are measured and drawn through their parent
//     (ODT_COMBOBOX); the box itself draws the selected item with
//     ODS_COMBOBOXEDIT, itemID -1 when nothing is selected.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"

#include <algorithm>

namespace {

struct COMBO {
    HWND hwndList;   // the list: a hidden popup until dropped
    BOOL bDropped;
    BOOL bFocus;
    int cyField;     // height of the selection field
    int cyDrop;      // height of the dropped list (the template's height)
};

COMBO* Cb(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    return w ? static_cast<COMBO*>(w->pCtl) : nullptr;
}

LRESULT ToList(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    COMBO* c = Cb(hwnd);
    return c && c->hwndList ? SendMessageW(c->hwndList, msg, wParam, lParam) : CB_ERR;
}

void PaintCombo(HWND hwnd, HDC hdc)
{
    WND* w = WndPeek(hwnd);
    COMBO* c = Cb(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    rc.bottom = std::min<LONG>(rc.bottom, c->cyField);
    BOOL bDisabled = (w->dwStyle & WS_DISABLED) != 0;
    RECT r = rc;
    DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HBRUSH hbr = PaintCtlColor(hwnd, hdc, WM_CTLCOLOREDIT);
    FillRect(hdc, &r, bDisabled ? GetSysColorBrush(COLOR_BTNFACE) : (hbr ? hbr : GetSysColorBrush(COLOR_WINDOW)));
    int cxButton = GetSystemMetrics(SM_CXVSCROLL);
    RECT rb = {r.right - cxButton, r.top, r.right, r.bottom};
    DrawFrameControl(hdc, &rb, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (bDisabled ? DFCS_INACTIVE : 0) |
                                               (c->bDropped ? DFCS_PUSHED : 0));
    RECT rt = {r.left + 1, r.top + 1, rb.left - 1, r.bottom - 1};
    int iSel = static_cast<int>(SendMessageW(c->hwndList, LB_GETCURSEL, 0, 0));
    BOOL bHighlight = c->bFocus && !c->bDropped;
    if (w->dwStyle & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
        DRAWITEMSTRUCT dis = {ODT_COMBOBOX, static_cast<UINT>(w->id), static_cast<UINT>(iSel), ODA_DRAWENTIRE,
                              static_cast<UINT>(ODS_COMBOBOXEDIT) | (bHighlight ? ODS_SELECTED | ODS_FOCUS : 0u) |
                                  (bDisabled ? static_cast<UINT>(ODS_DISABLED) : 0u),
                              hwnd, hdc, rt,
                              iSel >= 0 ? static_cast<ULONG_PTR>(SendMessageW(c->hwndList, LB_GETITEMDATA,
                                                                              static_cast<WPARAM>(iSel), 0))
                                        : 0};
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        return;
    }
    if (iSel < 0)
        return;
    int cch = static_cast<int>(SendMessageW(c->hwndList, LB_GETTEXTLEN, static_cast<WPARAM>(iSel), 0));
    std::u16string s(static_cast<size_t>(std::max(0, cch)) + 1, u'\0');
    SendMessageW(c->hwndList, LB_GETTEXT, static_cast<WPARAM>(iSel), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(std::max(0, cch)));
    SetBkMode(hdc, TRANSPARENT);
    if (bHighlight) {
        FillRect(hdc, &rt, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else if (bDisabled) {
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    }
    RECT rtt = rt;
    rtt.left += 1;
    DrawTextW(hdc, s.c_str(), -1, &rtt, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (bHighlight)
        DrawFocusRect(hdc, &rt);
}

void Drop(HWND hwnd, BOOL bShow)
{
    COMBO* c = Cb(hwnd);
    if (!c || c->bDropped == bShow)
        return;
    if (bShow) {
        WndNotifyParent(hwnd, CBN_DROPDOWN);
        c = Cb(hwnd);
        if (!c)
            return;
        RECT rc;
        GetWindowRect(hwnd, &rc);
        int n = static_cast<int>(SendMessageW(c->hwndList, LB_GETCOUNT, 0, 0));
        int cyItem = static_cast<int>(SendMessageW(c->hwndList, LB_GETITEMHEIGHT, 0, 0));
        int cy = std::max(cyItem, std::min(c->cyDrop - c->cyField, std::max(1, n) * cyItem)) + 2;
        SetWindowPos(c->hwndList, nullptr, rc.left, rc.top + c->cyField, rc.right - rc.left, cy, SWP_NOZORDER);
        c->bDropped = TRUE;
        ShowWindow(c->hwndList, SW_SHOWNA);
        SetCapture(c->hwndList);
    } else {
        c->bDropped = FALSE;
        ShowWindow(c->hwndList, SW_HIDE);
        if (GetCapture() == c->hwndList)
            ReleaseCapture();
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndPeek(hwnd);
    COMBO* c = Cb(hwnd);
    switch (msg) {
    case WM_NCCREATE:
        w->pCtl = new COMBO();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE: {
        DWORD lbs = WS_POPUP | WS_BORDER | LBS_NOTIFY;
        if (w->dwStyle & CBS_SORT)
            lbs |= LBS_SORT;
        if (w->dwStyle & CBS_OWNERDRAWFIXED)
            lbs |= LBS_OWNERDRAWFIXED;
        if (w->dwStyle & CBS_OWNERDRAWVARIABLE)
            lbs |= LBS_OWNERDRAWVARIABLE;
        if (w->dwStyle & CBS_HASSTRINGS)
            lbs |= LBS_HASSTRINGS;
        RECT rc;
        GetWindowRect(hwnd, &rc);
        c->cyDrop = rc.bottom - rc.top;
        c->hwndList = CreateWindowExW(0, u"ComboLBox", u"", lbs, rc.left, rc.bottom, rc.right - rc.left,
                                      c->cyDrop, hwnd, nullptr, w->hInstance, hwnd);
        if (!c->hwndList)
            return -1;
        SendMessageW(c->hwndList, WM_SETFONT, reinterpret_cast<WPARAM>(WndFont(w)), 0);
        // The field is one item tall plus its edges; owner-draw asks the parent.
        int cyItem = static_cast<int>(SendMessageW(c->hwndList, LB_GETITEMHEIGHT, 0, 0));
        if (w->dwStyle & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
            MEASUREITEMSTRUCT mis = {ODT_COMBOBOX, static_cast<UINT>(w->id), static_cast<UINT>(-1), 0,
                                     static_cast<UINT>(cyItem), 0};
            SendMessageW(GetParent(hwnd), WM_MEASUREITEM, w->id, reinterpret_cast<LPARAM>(&mis));
            c = Cb(hwnd);
            if (!c)
                return -1;
            c->cyField = static_cast<int>(mis.itemHeight) + 6;
        } else {
            c->cyField = cyItem + 6;
        }
        // The window itself is as tall as its field; the template's height
        // is the dropped list's.
        SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, c->cyField, SWP_NOMOVE | SWP_NOZORDER);
        return 0;
    }
    case WM_DESTROY:
        if (c && c->hwndList) {
            DestroyWindow(c->hwndList);
            c->hwndList = nullptr;
        }
        return 0;
    case WM_NCDESTROY:
        delete c;
        w->pCtl = nullptr;
        return 0;
    case WM_GETDLGCODE: {
        // Enter and Escape close the dropped list rather than the dialog.
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        if (c && c->bDropped && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
            return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    case WM_SYSKEYDOWN:
        // Alt with Down or Up opens or closes the list, as F4 does.
        if (wParam == VK_DOWN || wParam == VK_UP) {
            SendMessageW(hwnd, WM_KEYDOWN, VK_F4, 0);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) {
            PaintCombo(hwnd, hdc);
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        if (c->hwndList)
            SendMessageW(c->hwndList, WM_SETFONT, wParam, lParam);
        return 0;
    case WM_ENABLE:
        if (!wParam)
            Drop(hwnd, FALSE);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
        c->bFocus = TRUE;
        InvalidateRect(hwnd, nullptr, FALSE);
        WndNotifyParent(hwnd, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (c) {
            c->bFocus = FALSE;
            if (c->bDropped) {
                Drop(hwnd, FALSE);
                WndNotifyParent(hwnd, CBN_SELENDCANCEL);
                WndNotifyParent(hwnd, CBN_CLOSEUP);
            }
            InvalidateRect(hwnd, nullptr, FALSE);
            if (IsWindow(hwnd))
                WndNotifyParent(hwnd, CBN_KILLFOCUS);
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        c = Cb(hwnd);
        if (!c || GetFocus() != hwnd)
            return 0;
        if (c->bDropped) {
            Drop(hwnd, FALSE);
            WndNotifyParent(hwnd, CBN_SELENDCANCEL);
            if (IsWindow(hwnd))
                WndNotifyParent(hwnd, CBN_CLOSEUP);
        } else {
            Drop(hwnd, TRUE);
        }
        return 0;
    case WM_KEYDOWN: {
        if (wParam == VK_F4) {
            SendMessageW(hwnd, WM_LBUTTONDOWN, 0, 0);
            return 0;
        }
        if (c->bDropped && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
            Drop(hwnd, FALSE);
            WndNotifyParent(hwnd, wParam == VK_RETURN ? CBN_SELENDOK : CBN_SELENDCANCEL);
            if (IsWindow(hwnd))
                WndNotifyParent(hwnd, CBN_CLOSEUP);
            return 0;
        }
        // Arrow keys move the selection of the list, which reports back.
        return SendMessageW(c->hwndList, WM_KEYDOWN, wParam, lParam);
    }
    case WM_PLAT_LISTPICK: {
        int i = static_cast<int>(wParam);
        if (i < 0) {
            // A press outside the dropped list: closed, nothing chosen.
            if (c->bDropped) {
                Drop(hwnd, FALSE);
                WndNotifyParent(hwnd, CBN_SELENDCANCEL);
                if (IsWindow(hwnd))
                    WndNotifyParent(hwnd, CBN_CLOSEUP);
            }
            return 0;
        }
        int iOld = static_cast<int>(SendMessageW(c->hwndList, LB_GETCURSEL, 0, 0));
        SendMessageW(c->hwndList, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (!lParam && c->bDropped) {
            Drop(hwnd, FALSE);
            WndNotifyParent(hwnd, CBN_SELENDOK);
            if (IsWindow(hwnd))
                WndNotifyParent(hwnd, CBN_CLOSEUP);
        }
        if (IsWindow(hwnd) && i != iOld)
            WndNotifyParent(hwnd, CBN_SELCHANGE);
        return 0;
    }
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        // The text of a drop-down list is its selected item.
        int iSel = static_cast<int>(SendMessageW(c->hwndList, LB_GETCURSEL, 0, 0));
        if (msg == WM_SETTEXT) {
            int i = static_cast<int>(SendMessageW(c->hwndList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam));
            if (i < 0)
                return CB_ERR;
            SendMessageW(c->hwndList, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        }
        if (iSel < 0) {
            if (msg == WM_GETTEXT && wParam && lParam)
                reinterpret_cast<LPWSTR>(lParam)[0] = 0;
            return 0;
        }
        int cch = static_cast<int>(SendMessageW(c->hwndList, LB_GETTEXTLEN, static_cast<WPARAM>(iSel), 0));
        if (msg == WM_GETTEXTLENGTH)
            return cch;
        std::u16string s(static_cast<size_t>(std::max(0, cch)) + 1, u'\0');
        SendMessageW(c->hwndList, LB_GETTEXT, static_cast<WPARAM>(iSel), reinterpret_cast<LPARAM>(&s[0]));
        LPWSTR p = reinterpret_cast<LPWSTR>(lParam);
        if (!p || !wParam)
            return 0;
        size_t n = std::min<size_t>(static_cast<size_t>(cch), wParam - 1);
        std::copy(s.begin(), s.begin() + static_cast<long>(n), p);
        p[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case CB_ADDSTRING: return ToList(hwnd, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING: return ToList(hwnd, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: return ToList(hwnd, LB_DELETESTRING, wParam, lParam);
    case CB_GETCOUNT: return ToList(hwnd, LB_GETCOUNT, wParam, lParam);
    case CB_GETCURSEL: return ToList(hwnd, LB_GETCURSEL, wParam, lParam);
    case CB_GETLBTEXT: return ToList(hwnd, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN: return ToList(hwnd, LB_GETTEXTLEN, wParam, lParam);
    case CB_GETITEMDATA: return ToList(hwnd, LB_GETITEMDATA, wParam, lParam);
    case CB_SETITEMDATA: return ToList(hwnd, LB_SETITEMDATA, wParam, lParam);
    case CB_FINDSTRING: return ToList(hwnd, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT: return ToList(hwnd, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_GETTOPINDEX: return ToList(hwnd, LB_GETTOPINDEX, wParam, lParam);
    case CB_SETTOPINDEX: return ToList(hwnd, LB_SETTOPINDEX, wParam, lParam);
    case CB_INITSTORAGE: return ToList(hwnd, LB_INITSTORAGE, wParam, lParam);
    case CB_RESETCONTENT:
        ToList(hwnd, LB_RESETCONTENT, 0, 0);
        InvalidateRect(hwnd, nullptr, FALSE);
        return CB_OKAY;
    case CB_SETCURSEL: {
        LRESULT r = ToList(hwnd, LB_SETCURSEL, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case CB_SELECTSTRING: {
        LRESULT r = ToList(hwnd, LB_SELECTSTRING, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case CB_SETITEMHEIGHT:
        if (static_cast<int>(wParam) == -1) {
            if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255)
                return CB_ERR;
            c->cyField = LOWORD(lParam) + 6;
            RECT rc;
            GetWindowRect(hwnd, &rc);
            SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, c->cyField, SWP_NOMOVE | SWP_NOZORDER);
            return 0;
        }
        return ToList(hwnd, LB_SETITEMHEIGHT, wParam, lParam);
    case CB_GETITEMHEIGHT:
        if (static_cast<int>(wParam) == -1)
            return c->cyField - 6;
        return ToList(hwnd, LB_GETITEMHEIGHT, wParam, lParam);
    case CB_SHOWDROPDOWN:
        Drop(hwnd, wParam != 0);
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return c->bDropped;
    case CB_GETDROPPEDCONTROLRECT: {
        RECT* prc = reinterpret_cast<RECT*>(lParam);
        if (!prc)
            return CB_ERR;
        GetWindowRect(hwnd, prc);
        prc->bottom = prc->top + c->cyDrop;
        return TRUE;
    }
    case CB_LIMITTEXT:
    case CB_SETEXTENDEDUI:
    case CB_SETDROPPEDWIDTH:
    case CB_SETHORIZONTALEXTENT:
        return CB_OKAY;
    case CB_GETEXTENDEDUI:
        return FALSE;
    case CB_GETEDITSEL:
    case CB_SETEDITSEL:
        return CB_ERR;
    case WM_PLAT_SCRIPT: {
        PLATSCRIPTACTION* a = reinterpret_cast<PLATSCRIPTACTION*>(lParam);
        if (!a || a->uAction != PSA_CHOOSE)
            return PSR_UNKNOWN;
        int i = a->pszText ? static_cast<int>(ToList(hwnd, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(a->pszText)))
                           : a->iIndex;
        if (i < 0 || i >= static_cast<int>(ToList(hwnd, LB_GETCOUNT, 0, 0)))
            return PSR_FAILED;
        // Click the box to drop the list, then click the item in it.
        RECT rc;
        GetClientRect(hwnd, &rc);
        LPARAM lp = MAKELPARAM(rc.right / 2, rc.bottom / 2);
        if (!c->bDropped) {
            SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
            SendMessageW(hwnd, WM_LBUTTONUP, 0, lp);
        }
        c = Cb(hwnd);
        if (!c || !c->bDropped)
            return PSR_FAILED;
        PLATSCRIPTACTION b = *a;
        b.uAction = PSA_CHOOSE;
        b.pszText = nullptr;
        b.iIndex = i;
        return SendMessageW(c->hwndList, WM_PLAT_SCRIPT, 0, reinterpret_cast<LPARAM>(&b));
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void ComboRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS | CS_PARENTDC;
    wc.lpfnWndProc = ComboProc;
    wc.lpszClassName = WC_COMBOBOXW;
    PlatRegisterSystemClass(&wc);
}
