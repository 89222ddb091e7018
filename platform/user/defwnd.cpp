// defwnd.cpp: the default window procedure.
//
// Entry points: DefWindowProcW.
//
// What a window gets when its procedure passes a message on: its text kept
// and given back (cut to the caller's buffer and terminated), its
// background erased with its class brush, painting validated, closing
// destroying it, the font remembered, and the messages the system hands
// upward (WM_HELP, WM_CONTEXTMENU, WM_MOUSEACTIVATE, WM_MOUSEWHEEL) passed
// to the parent.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"

#include <algorithm>
#include <cstring>

extern "C" LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return 0;
    switch (Msg) {
    case WM_NCCREATE: {
        const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName))
            w->strText = cs->lpszName;
        return TRUE;
    }
    case WM_SETTEXT:
        w->strText = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
        if ((w->dwStyle & WS_CAPTION) == WS_CAPTION) {
            w->bFrameDirty = TRUE;
            InvalidateRect(hWnd, nullptr, FALSE);
        }
        return TRUE;
    case WM_GETTEXT: {
        LPWSTR p = reinterpret_cast<LPWSTR>(lParam);
        if (!p || wParam == 0)
            return 0;
        size_t c = std::min<size_t>(w->strText.size(), wParam - 1);
        std::memcpy(p, w->strText.data(), c * sizeof(WCHAR));
        p[c] = 0;
        return static_cast<LRESULT>(c);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->strText.size());
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hWnd, &ps))
            EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH hbr = w->pCls->wc.hbrBackground;
        if (!hbr)
            return 0;
        RECT rc;
        GetClientRect(hWnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, hbr);
        return 1;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 closes the top-level window.
        if (wParam == VK_F4 && (lParam & (1L << 29)))
            PostMessageW(GetAncestor(hWnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageW(hWnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETFONT:
        w->hFont = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->hFont);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        BOOL bWhite = Msg == WM_CTLCOLOREDIT || Msg == WM_CTLCOLORLISTBOX;
        SetTextColor(hdc, GetSysColor(bWhite ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
        SetBkColor(hdc, GetSysColor(bWhite ? COLOR_WINDOW : COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(bWhite ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    case WM_HELP:
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        if ((w->dwStyle & WS_CHILD) && w->hwndParent)
            return SendMessageW(w->hwndParent, Msg, wParam, lParam);
        return 0;
    case WM_MOUSEACTIVATE:
        if ((w->dwStyle & WS_CHILD) && w->hwndParent) {
            LRESULT r = SendMessageW(w->hwndParent, Msg, wParam, lParam);
            if (r)
                return r;
        }
        return MA_ACTIVATE;
    case WM_NCHITTEST: {
        // Screen point: the caption and its close box, the frame, the client.
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT rcw;
        GetWindowRect(hWnd, &rcw);
        if (!PtInRect(&rcw, pt))
            return HTNOWHERE;
        RECT rcc = WndClientInWindow(w);
        OffsetRect(&rcc, rcw.left, rcw.top);
        if (PtInRect(&rcc, pt))
            return HTCLIENT;
        if ((w->dwStyle & WS_CAPTION) == WS_CAPTION) {
            // As the frame paints it: 3 pixels of frame, then 18 of caption.
            RECT rcap = {rcw.left + 3, rcw.top + 3, rcw.right - 3, rcw.top + 21};
            RECT rclose = {rcap.right - 18, rcap.top + 2, rcap.right - 2, rcap.bottom - 2};
            if ((w->dwStyle & WS_SYSMENU) && PtInRect(&rclose, pt))
                return HTCLOSE;
            if (PtInRect(&rcap, pt))
                return HTCAPTION;
        }
        return HTBORDER;
    }
    case WM_SETCURSOR:
        return FALSE;
    case WM_SHOWWINDOW:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        return 0;
    case WM_GETDLGCODE:
        return 0;
    case WM_PLAT_SCRIPT:
        return PSR_UNKNOWN;
    case WM_QUERYUISTATE:
        return 0;
    case WM_NOTIFYFORMAT:
        return 2;  // NFR_UNICODE
    }
    return 0;
}
