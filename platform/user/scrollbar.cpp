// scrollbar.cpp: the scroll-bar control and the scroll calls on it, with
// its painting.
//
// Rules:
//  1. Ranges may be negative; the position is kept inside the range.
//  2. A click on an arrow or the page area sends WM_HSCROLL / WM_VSCROLL
//     (SB_LINE*, SB_PAGE*, then SB_ENDSCROLL) to the parent with the
//     control's handle; the owner moves the position, as on the desktop.
//  3. The calls on a window's own bars (SB_HORZ, SB_VERT) keep their state
//     with the window but draw nothing.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"

#include <algorithm>
#include <map>

namespace {

struct SCROLL {
    int nMin, nMax, nPos;
    UINT nPage;
    BOOL bTracking;
};

std::map<std::pair<HWND, int>, SCROLL> g_bars;  // a window's own bars

SCROLL* Sb(HWND hwnd, int nBar)
{
    WND* w = WndGet(hwnd);
    if (!w)
        return nullptr;
    if (nBar == SB_CTL)
        return w->pCls->strName == u"ScrollBar" ? static_cast<SCROLL*>(w->pCtl) : nullptr;
    if (nBar != SB_HORZ && nBar != SB_VERT)
        return nullptr;
    return &g_bars[{hwnd, nBar}];
}

int Clamp(const SCROLL* s, int v)
{
    int hi = s->nPage ? s->nMax - static_cast<int>(s->nPage) + 1 : s->nMax;
    return std::max(s->nMin, std::min(std::max(s->nMin, hi), v));
}

BOOL IsVert(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_STYLE) & SBS_VERT) != 0;
}

void PaintBar(HWND hwnd, HDC hdc)
{
    WND* w = WndPeek(hwnd);
    SCROLL* s = static_cast<SCROLL*>(w->pCtl);
    RECT rc;
    GetClientRect(hwnd, &rc);
    BOOL bVert = IsVert(hwnd);
    BOOL bDisabled = (w->dwStyle & WS_DISABLED) || s->nMax <= s->nMin;
    UINT st = bDisabled ? DFCS_INACTIVE : 0;
    int cArrow = bVert ? std::min<int>(rc.right, rc.bottom / 2) : std::min<int>(rc.bottom, rc.right / 2);
    RECT a = bVert ? RECT{0, 0, rc.right, cArrow} : RECT{0, 0, cArrow, rc.bottom};
    RECT b = bVert ? RECT{0, rc.bottom - cArrow, rc.right, rc.bottom} : RECT{rc.right - cArrow, 0, rc.right, rc.bottom};
    DrawFrameControl(hdc, &a, DFC_SCROLL, (bVert ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | st);
    DrawFrameControl(hdc, &b, DFC_SCROLL, (bVert ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | st);
    RECT track = bVert ? RECT{0, a.bottom, rc.right, b.top} : RECT{a.right, 0, b.left, rc.bottom};
    HBRUSH hbr = PaintCtlColor(hwnd, hdc, WM_CTLCOLORSCROLLBAR);
    (void)hbr;
    FillRect(hdc, &track, GetSysColorBrush(COLOR_3DLIGHT));
    if (bDisabled)
        return;
    int len = bVert ? track.bottom - track.top : track.right - track.left;
    int range = s->nMax - s->nMin + 1;
    int thumb = s->nPage ? std::max(8, static_cast<int>(len * static_cast<long long>(s->nPage) / range)) : std::min(len, 16);
    int span = std::max(1, range - static_cast<int>(s->nPage ? s->nPage : 1));
    int off = static_cast<int>(static_cast<long long>(len - thumb) * (s->nPos - s->nMin) / span);
    RECT t = bVert ? RECT{0, track.top + off, rc.right, track.top + off + thumb}
                   : RECT{track.left + off, 0, track.left + off + thumb, rc.bottom};
    DrawEdge(hdc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

void Scroll(HWND hwnd, int code)
{
    HWND hParent = GetParent(hwnd);
    UINT msg = IsVert(hwnd) ? WM_VSCROLL : WM_HSCROLL;
    SendMessageW(hParent, msg, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(hwnd));
    if (IsWindow(hwnd))
        SendMessageW(hParent, msg, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(hwnd));
}

LRESULT CALLBACK ScrollProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndPeek(hwnd);
    SCROLL* s = w ? static_cast<SCROLL*>(w->pCtl) : nullptr;
    switch (msg) {
    case WM_NCCREATE:
        w->pCtl = new SCROLL{0, 100, 0, 0, FALSE};
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        delete s;
        w->pCtl = nullptr;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) {
            PaintBar(hwnd, hdc);
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        BOOL bVert = IsVert(hwnd);
        int v = bVert ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
        int len = bVert ? rc.bottom : rc.right;
        int cArrow = bVert ? std::min<int>(rc.right, rc.bottom / 2) : std::min<int>(rc.bottom, rc.right / 2);
        if (v < cArrow)
            Scroll(hwnd, SB_LINEUP);
        else if (v >= len - cArrow)
            Scroll(hwnd, SB_LINEDOWN);
        else {
            int range = std::max(1, s->nMax - s->nMin);
            int at = s->nMin + static_cast<int>(static_cast<long long>(v - cArrow) * range / std::max(1, len - 2 * cArrow));
            Scroll(hwnd, at < s->nPos ? SB_PAGEUP : SB_PAGEDOWN);
        }
        return 0;
    }
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP: case VK_LEFT: Scroll(hwnd, SB_LINEUP); break;
        case VK_DOWN: case VK_RIGHT: Scroll(hwnd, SB_LINEDOWN); break;
        case VK_PRIOR: Scroll(hwnd, SB_PAGEUP); break;
        case VK_NEXT: Scroll(hwnd, SB_PAGEDOWN); break;
        case VK_HOME: Scroll(hwnd, SB_TOP); break;
        case VK_END: Scroll(hwnd, SB_BOTTOM); break;
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case SBM_SETPOS: {
        int old = s->nPos;
        s->nPos = Clamp(s, static_cast<int>(wParam));
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case SBM_GETPOS:
        return s->nPos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        int old = s->nPos;
        s->nMin = static_cast<int>(wParam);
        s->nMax = static_cast<int>(lParam);
        s->nPos = Clamp(s, s->nPos);
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case SBM_GETRANGE:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = s->nMin;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = s->nMax;
        return 0;
    case SBM_SETSCROLLINFO: {
        const SCROLLINFO* si = reinterpret_cast<const SCROLLINFO*>(lParam);
        if (!si)
            return 0;
        if (si->fMask & SIF_RANGE) {
            s->nMin = si->nMin;
            s->nMax = si->nMax;
        }
        if (si->fMask & SIF_PAGE)
            s->nPage = si->nPage;
        if (si->fMask & SIF_POS)
            s->nPos = si->nPos;
        s->nPos = Clamp(s, s->nPos);
        if (wParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return s->nPos;
    }
    case SBM_GETSCROLLINFO: {
        SCROLLINFO* si = reinterpret_cast<SCROLLINFO*>(lParam);
        if (!si)
            return FALSE;
        if (si->fMask & SIF_RANGE) {
            si->nMin = s->nMin;
            si->nMax = s->nMax;
        }
        if (si->fMask & SIF_PAGE)
            si->nPage = s->nPage;
        if (si->fMask & SIF_POS)
            si->nPos = s->nPos;
        if (si->fMask & SIF_TRACKPOS)
            si->nTrackPos = s->nPos;
        return TRUE;
    }
    case SBM_ENABLE_ARROWS:
        return TRUE;
    case WM_PLAT_SCRIPT: {
        PLATSCRIPTACTION* a = reinterpret_cast<PLATSCRIPTACTION*>(lParam);
        if (!a || a->uAction != PSA_SETPOS)
            return PSR_UNKNOWN;
        if (a->iValue < s->nMin || a->iValue > s->nMax)
            return PSR_FAILED;
        // Step with the arrows, as a person clicks them, until there.
        for (int guard = 0; guard < 100000 && IsWindow(hwnd); ++guard) {
            s = static_cast<SCROLL*>(WndPeek(hwnd)->pCtl);
            if (s->nPos == a->iValue)
                return PSR_DONE;
            int before = s->nPos;
            Scroll(hwnd, a->iValue < s->nPos ? SB_LINEUP : SB_LINEDOWN);
            if (!IsWindow(hwnd) || static_cast<SCROLL*>(WndPeek(hwnd)->pCtl)->nPos == before)
                return PSR_FAILED;  // the owner does not move it
        }
        return PSR_FAILED;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void ScrollBarRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS | CS_PARENTDC;
    wc.lpfnWndProc = ScrollProc;
    wc.lpszClassName = WC_SCROLLBARW;
    PlatRegisterSystemClass(&wc);
}

extern "C" {

int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw)
{
    SCROLL* s = Sb(hWnd, nBar);
    if (!s)
        return 0;
    int old = s->nPos;
    s->nPos = Clamp(s, nPos);
    if (bRedraw)
        InvalidateRect(hWnd, nullptr, TRUE);
    return old;
}

int GetScrollPos(HWND hWnd, int nBar)
{
    SCROLL* s = Sb(hWnd, nBar);
    return s ? s->nPos : 0;
}

BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw)
{
    SCROLL* s = Sb(hWnd, nBar);
    if (!s)
        return FALSE;
    s->nMin = nMinPos;
    s->nMax = nMaxPos;
    s->nPos = Clamp(s, s->nPos);
    if (bRedraw)
        InvalidateRect(hWnd, nullptr, TRUE);
    return TRUE;
}

BOOL GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos)
{
    SCROLL* s = Sb(hWnd, nBar);
    if (!s)
        return FALSE;
    if (lpMinPos)
        *lpMinPos = s->nMin;
    if (lpMaxPos)
        *lpMaxPos = s->nMax;
    return TRUE;
}

int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw)
{
    SCROLL* s = Sb(hwnd, nBar);
    if (!s || !lpsi)
        return 0;
    if (lpsi->fMask & SIF_RANGE) {
        s->nMin = lpsi->nMin;
        s->nMax = lpsi->nMax;
    }
    if (lpsi->fMask & SIF_PAGE)
        s->nPage = lpsi->nPage;
    if (lpsi->fMask & SIF_POS)
        s->nPos = lpsi->nPos;
    s->nPos = Clamp(s, s->nPos);
    if (redraw)
        InvalidateRect(hwnd, nullptr, TRUE);
    return s->nPos;
}

BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi)
{
    SCROLL* s = Sb(hwnd, nBar);
    if (!s || !lpsi)
        return FALSE;
    if (lpsi->fMask & SIF_RANGE) {
        lpsi->nMin = s->nMin;
        lpsi->nMax = s->nMax;
    }
    if (lpsi->fMask & SIF_PAGE)
        lpsi->nPage = s->nPage;
    if (lpsi->fMask & SIF_POS)
        lpsi->nPos = s->nPos;
    if (lpsi->fMask & SIF_TRACKPOS)
        lpsi->nTrackPos = s->nPos;
    return TRUE;
}

BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow)
{
    if (!WndGet(hWnd))
        return FALSE;
    if (wBar == SB_CTL)
        return ShowWindow(hWnd, bShow ? SW_SHOW : SW_HIDE), TRUE;
    return TRUE;
}

BOOL EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows)
{
    if (!WndGet(hWnd))
        return FALSE;
    if (wSBflags == SB_CTL)
        EnableWindow(hWnd, wArrows != ESB_DISABLE_BOTH);
    return TRUE;
}

}  // extern "C"
