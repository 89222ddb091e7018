// paint.cpp: window DCs, painting, the system colours, the classic-look
// primitives every control draws with, and pictures of windows.
//
// Entry points: BeginPaint, EndPaint, GetDC, GetWindowDC, ReleaseDC,
// WindowFromDC, GetSysColor, GetSysColorBrush, FillRect, FrameRect,
// InvertRect, DrawFocusRect, DrawEdge, DrawFrameControl, DrawTextW,
// DrawIcon, DrawIconEx, LoadImageW, PlatRenderWindow, PlatWriteWindowPng,
// PlatGetWindowPixel, PlatGetWindowSurface, PlatGetDialogFont.
//
// A window DC is a GDI memory DC on its top-level window's surface
// (PlatGdiCreateSurfaceDC), its origin moved to the window's client (or
// window) top left and its clip set to the window's visible rectangle:
// every window of a tree draws on the one surface, as on a screen.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/gdi/resload.h"
#include "platform/kernel/kernel.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

struct WINDC {
    HWND hwnd;
    BOOL bPaint;   // made by BeginPaint
};

std::map<HDC, WINDC> g_dcs;

// The classic desktop palette.
const COLORREF kSysColors[] = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
};
const int kSysColorCount = sizeof(kSysColors) / sizeof(kSysColors[0]);
HBRUSH g_sysBrushes[kSysColorCount] = {};
HFONT g_hDialogFont = nullptr;

void SolidFill(HDC hdc, const RECT& rc, COLORREF cr)
{
    HBRUSH hbr = GetSysColorBrush(COLOR_BTNFACE);
    for (int i = 0; i < kSysColorCount; ++i)
        if (kSysColors[i] == cr) {
            hbr = GetSysColorBrush(i);
            FillRect(hdc, &rc, hbr);
            return;
        }
    hbr = CreateSolidBrush(cr);
    FillRect(hdc, &rc, hbr);
    DeleteObject(hbr);
}

void HLine(HDC hdc, int x0, int x1, int y, COLORREF cr)
{
    RECT rc = {x0, y, x1, y + 1};
    if (x1 > x0)
        SolidFill(hdc, rc, cr);
}

void VLine(HDC hdc, int x, int y0, int y1, COLORREF cr)
{
    RECT rc = {x, y0, x + 1, y1};
    if (y1 > y0)
        SolidFill(hdc, rc, cr);
}

// Paints one window: WM_ERASEBKGND and WM_PAINT through its procedure.
void PaintOne(WND* w)
{
    if (!w->bUpdate || !WndReallyVisible(w))
        return;
    WndCall(w, WM_PAINT, 0, 0);
    // A procedure that does not validate would be asked for ever.
    if (WND* w2 = WndPeek(w->hwnd)) {
        w2->bUpdate = FALSE;
        w2->bErase = FALSE;
    }
}

void PaintFrame(WND* w, const RECT* prcClip = nullptr);

void PaintTree(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    if (!w || !WndReallyVisible(w))
        return;
    bool bPainted = w->bUpdate != FALSE;
    RECT rcPainted = w->rcUpdate;
    PaintOne(w);
    w = WndPeek(hwnd);
    if (!w)
        return;
    std::vector<HWND> kids = w->aChildren;
    for (HWND k : kids) {
        // The parent's paint covers its children's borders where it
        // painted (a child's frame lies in the parent's client area): they
        // are drawn again there before the child paints, so an edit keeps
        // its border, enabled or not. Elsewhere a border stays as it is: it
        // does not cover a sibling that was not painted again (the arrows
        // over an edit's right edge).
        WND* c = WndPeek(k);
        RECT ri;
        if (bPainted && c && WndReallyVisible(c) && IntersectRect(&ri, &rcPainted, &c->rcWindow)) {
            RECT rcc = WndClientInWindow(c);
            if (rcc.left || rcc.top) {
                OffsetRect(&ri, -c->rcWindow.left, -c->rcWindow.top);
                PaintFrame(c, &ri);
            }
        }
        // A child painted again covers the siblings painted after it where
        // they overlap (neither clips the other: the arrows over an edit's
        // right end): they paint again there, in their order, so that the
        // window looks as when everything is painted.
        c = WndPeek(k);
        if (c && c->bUpdate && WndReallyVisible(c)) {
            RECT rcc = WndClientInWindow(c);
            RECT rk = c->rcUpdate;
            OffsetRect(&rk, c->rcWindow.left + rcc.left, c->rcWindow.top + rcc.top);
            for (auto it = std::find(kids.begin(), kids.end(), k) + 1; it < kids.end(); ++it) {
                WND* s = WndPeek(*it);
                RECT ro;
                if (!s || !WndReallyVisible(s) || !IntersectRect(&ro, &rk, &s->rcWindow))
                    continue;
                RECT rsc = WndClientInWindow(s);
                OffsetRect(&ro, -(s->rcWindow.left + rsc.left), -(s->rcWindow.top + rsc.top));
                InvalidateRect(*it, &ro, TRUE);
            }
        }
        PaintTree(k);
    }
}

// The caption and frame of a window (the non-client area), within prcClip
// (window coordinates) when given.
void PaintFrame(WND* w, const RECT* prcClip)
{
    HDC hdc = PaintMakeDC(w, FALSE, prcClip);
    if (!hdc)
        return;
    RECT rc = {0, 0, w->rcWindow.right - w->rcWindow.left, w->rcWindow.bottom - w->rcWindow.top};
    RECT rcc = WndClientInWindow(w);
    if ((w->dwStyle & WS_CAPTION) == WS_CAPTION || (w->dwStyle & WS_DLGFRAME) ||
        (w->dwExStyle & WS_EX_DLGMODALFRAME)) {
        RECT r = rc;
        DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        FrameRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
        InflateRect(&r, -1, -1);
        if ((w->dwStyle & WS_CAPTION) == WS_CAPTION) {
            RECT rcap = {r.left, r.top, r.right, r.top + 18};
            FillRect(hdc, &rcap, GetSysColorBrush(GetActiveWindow() == w->hwnd || !GetActiveWindow()
                                                      ? COLOR_ACTIVECAPTION
                                                      : COLOR_INACTIVECAPTION));
            HGDIOBJ hOld = SelectObject(hdc, WndFont(w));
            SetBkMode(hdc, TRANSPARENT);
            SetTextColor(hdc, GetSysColor(COLOR_CAPTIONTEXT));
            RECT rt = rcap;
            rt.left += 4;
            rt.right -= 20;
            DrawTextW(hdc, w->strText.c_str(), -1, &rt, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            SelectObject(hdc, hOld);
            if (w->dwStyle & WS_SYSMENU) {
                RECT rb = {rcap.right - 18, rcap.top + 2, rcap.right - 2, rcap.bottom - 2};
                DrawFrameControl(hdc, &rb, DFC_CAPTION, DFCS_CAPTIONCLOSE);
            }
        }
    } else if (w->dwStyle & WS_BORDER) {
        FrameRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    if (w->dwExStyle & WS_EX_CLIENTEDGE) {
        RECT r = rcc;
        InflateRect(&r, 2, 2);
        DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT);
    } else if (w->dwExStyle & WS_EX_STATICEDGE) {
        RECT r = rcc;
        InflateRect(&r, 1, 1);
        DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT);
    }
    PaintFreeDC(hdc);
}

void PaintNonClientTree(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    if (!w || !WndReallyVisible(w))
        return;
    RECT rcc = WndClientInWindow(w);
    if (rcc.left || rcc.top)
        PaintFrame(w);
    std::vector<HWND> kids = w->aChildren;
    for (HWND k : kids)
        PaintNonClientTree(k);
}

}  // namespace

// --- window DCs ------------------------------------------------------------------------------

HDC PaintMakeDC(WND* w, BOOL bClient, const RECT* prcClip)
{
    WND* t = WndTop(w);
    if (!t || !t->hbmSurface)
        return nullptr;
    HDC hdc = PlatGdiCreateSurfaceDC(t->hbmSurface);
    if (!hdc)
        return nullptr;
    POINT o = WndClientOriginInSurface(w);
    RECT rcc = WndClientInWindow(w);
    RECT rcVis;  // in surface pixels
    if (bClient) {
        rcVis = {o.x, o.y, o.x + rcc.right - rcc.left, o.y + rcc.bottom - rcc.top};
    } else {
        o.x -= rcc.left;
        o.y -= rcc.top;
        rcVis = {o.x, o.y, o.x + w->rcWindow.right - w->rcWindow.left,
                 o.y + w->rcWindow.bottom - w->rcWindow.top};
    }
    // Clipped by every ancestor's client area.
    for (WND* p = w; (p->dwStyle & WS_CHILD) && p->hwndParent;) {
        WND* q = WndPeek(p->hwndParent);
        if (!q)
            break;
        POINT qo = WndClientOriginInSurface(q);
        RECT rq = WndClientInWindow(q);
        RECT rcq = {qo.x, qo.y, qo.x + rq.right - rq.left, qo.y + rq.bottom - rq.top};
        IntersectRect(&rcVis, &rcVis, &rcq);
        p = q;
    }
    if (prcClip) {
        RECT r = *prcClip;
        OffsetRect(&r, o.x, o.y);
        IntersectRect(&rcVis, &rcVis, &r);
    }
    // What the desktop shows again.
    if (rcVis.right > rcVis.left && rcVis.bottom > rcVis.top) {
        if (t->bSurfaceDirty)
            UnionRect(&t->rcSurfaceDirty, &t->rcSurfaceDirty, &rcVis);
        else
            t->rcSurfaceDirty = rcVis;
        t->bSurfaceDirty = TRUE;
    }
    SetViewportOrgEx(hdc, o.x, o.y, nullptr);
    HRGN hrgn = CreateRectRgn(rcVis.left, rcVis.top, std::max(rcVis.left, rcVis.right),
                              std::max(rcVis.top, rcVis.bottom));
    // A window that clips its siblings (or whose ancestor does) leaves alone
    // the visible siblings above it: a tab control does not paint over the
    // page shown on it.
    for (WND* p = w; (p->dwStyle & WS_CHILD) && p->hwndParent;) {
        WND* q = WndPeek(p->hwndParent);
        if (!q)
            break;
        if (p->dwStyle & WS_CLIPSIBLINGS) {
            auto it = std::find(q->aChildren.begin(), q->aChildren.end(), p->hwnd);
            for (++it; it < q->aChildren.end(); ++it) {
                WND* sib = WndPeek(*it);
                if (!sib || !(sib->dwStyle & WS_VISIBLE))
                    continue;
                POINT so = WndClientOriginInSurface(sib);
                RECT sc = WndClientInWindow(sib);
                so.x -= sc.left;
                so.y -= sc.top;
                HRGN hSib = CreateRectRgn(so.x, so.y, so.x + sib->rcWindow.right - sib->rcWindow.left,
                                          so.y + sib->rcWindow.bottom - sib->rcWindow.top);
                CombineRgn(hrgn, hrgn, hSib, RGN_DIFF);
                DeleteObject(hSib);
            }
        }
        p = q;
    }
    SelectClipRgn(hdc, hrgn);
    DeleteObject(hrgn);
    SelectObject(hdc, WndFont(w));
    g_dcs[hdc] = {w->hwnd, FALSE};
    return hdc;
}

void PaintFreeDC(HDC hdc)
{
    g_dcs.erase(hdc);
    // The DC's font and objects belong to others; only the DC goes.
    SelectObject(hdc, GetStockObject(BLACK_PEN));
    SelectObject(hdc, GetStockObject(WHITE_BRUSH));
    DeleteDC(hdc);
}

void PaintAllPending()
{
    for (HWND h : WndTopLevels()) {
        // A caption that changed (activation, text) is painted again first.
        WND* w = WndPeek(h);
        if (w && w->bFrameDirty && WndReallyVisible(w)) {
            w->bFrameDirty = FALSE;
            RECT rcc = WndClientInWindow(w);
            if (rcc.left || rcc.top)
                PaintFrame(w);
        }
        PaintTree(h);
    }
}

HBRUSH PaintCtlColor(HWND hwnd, HDC hdc, UINT uMsg)
{
    HWND hParent = GetParent(hwnd);
    HBRUSH hbr = nullptr;
    if (hParent && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
        hbr = reinterpret_cast<HBRUSH>(
            SendMessageW(hParent, uMsg, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
    if (!hbr)
        hbr = reinterpret_cast<HBRUSH>(
            DefWindowProcW(hwnd, uMsg, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
    return hbr;
}

extern "C" {

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpPaint)
        return nullptr;
    RECT rcc;
    GetClientRect(hWnd, &rcc);
    RECT rcPaint = w->bUpdate ? w->rcUpdate : RECT{0, 0, 0, 0};
    BOOL bErase = w->bErase;
    w->bUpdate = FALSE;
    w->bErase = FALSE;
    HDC hdc = PaintMakeDC(w, TRUE, &rcPaint);
    if (!hdc)
        return nullptr;
    g_dcs[hdc].bPaint = TRUE;
    std::memset(lpPaint, 0, sizeof(*lpPaint));
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = rcPaint;
    lpPaint->fErase = TRUE;
    if (bErase)
        lpPaint->fErase = !SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint)
{
    if (!lpPaint || g_dcs.find(lpPaint->hdc) == g_dcs.end())
        return FALSE;
    PaintFreeDC(lpPaint->hdc);
    return TRUE;
}

HDC GetDC(HWND hWnd)
{
    if (!hWnd) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    WND* w = WndGet(hWnd);
    return w ? PaintMakeDC(w, TRUE, nullptr) : nullptr;
}

HDC GetWindowDC(HWND hWnd)
{
    WND* w = WndGet(hWnd);
    return w ? PaintMakeDC(w, FALSE, nullptr) : nullptr;
}

int ReleaseDC(HWND hWnd, HDC hDC)
{
    auto it = g_dcs.find(hDC);
    if (it == g_dcs.end() || it->second.bPaint)
        return 0;
    PaintFreeDC(hDC);
    return 1;
}

HWND WindowFromDC(HDC hDC)
{
    auto it = g_dcs.find(hDC);
    return it == g_dcs.end() ? nullptr : it->second.hwnd;
}

// --- colours and primitives ------------------------------------------------------------------

DWORD GetSysColor(int nIndex)
{
    return nIndex >= 0 && nIndex < kSysColorCount ? kSysColors[nIndex] : 0;
}

HBRUSH GetSysColorBrush(int nIndex)
{
    if (nIndex < 0 || nIndex >= kSysColorCount)
        return nullptr;
    if (!g_sysBrushes[nIndex])
        g_sysBrushes[nIndex] = CreateSolidBrush(kSysColors[nIndex]);
    return g_sysBrushes[nIndex];
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    if (!lprc)
        return 0;
    // A brush given as COLOR_* + 1, as window classes do.
    if (reinterpret_cast<ULONG_PTR>(hbr) <= static_cast<ULONG_PTR>(kSysColorCount) && hbr)
        hbr = GetSysColorBrush(static_cast<int>(reinterpret_cast<ULONG_PTR>(hbr)) - 1);
    if (!hbr)
        return 0;
    HGDIOBJ hOld = SelectObject(hDC, hbr);
    if (!hOld)
        return 0;
    BOOL b = PatBlt(hDC, lprc->left, lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top, PATCOPY);
    SelectObject(hDC, hOld);
    return b;
}

int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    if (!lprc || IsRectEmpty(lprc))
        return 0;
    const RECT& r = *lprc;
    RECT a[4] = {{r.left, r.top, r.right, r.top + 1},
                 {r.left, r.bottom - 1, r.right, r.bottom},
                 {r.left, r.top, r.left + 1, r.bottom},
                 {r.right - 1, r.top, r.right, r.bottom}};
    for (const RECT& x : a)
        FillRect(hDC, &x, hbr);
    return 1;
}

BOOL InvertRect(HDC hDC, const RECT* lprc)
{
    return lprc && PatBlt(hDC, lprc->left, lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top, DSTINVERT);
}

BOOL DrawFocusRect(HDC hDC, const RECT* lprc)
{
    if (!lprc || IsRectEmpty(lprc))
        return FALSE;
    // A dotted frame, every other pixel inverted.
    const RECT& r = *lprc;
    for (int x = r.left; x < r.right; x += 2) {
        PatBlt(hDC, x, r.top, 1, 1, DSTINVERT);
        if (r.bottom - 1 > r.top)
            PatBlt(hDC, x, r.bottom - 1, 1, 1, DSTINVERT);
    }
    for (int y = r.top + 2; y < r.bottom - 1; y += 2) {
        PatBlt(hDC, r.left, y, 1, 1, DSTINVERT);
        if (r.right - 1 > r.left)
            PatBlt(hDC, r.right - 1, y, 1, 1, DSTINVERT);
    }
    return TRUE;
}

BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags)
{
    if (!qrc)
        return FALSE;
    RECT r = *qrc;
    // Outer then inner ring: top-left colour, bottom-right colour.
    struct RING {
        UINT raised, sunken;
        int tlRaised, brRaised, tlSunken, brSunken;
    };
    const RING rings[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DSHADOW, COLOR_3DHIGHLIGHT},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, COLOR_3DHIGHLIGHT, COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
    };
    for (const RING& g : rings) {
        int tl = -1, br = -1;
        if (edge & g.raised)
            tl = g.tlRaised, br = g.brRaised;
        else if (edge & g.sunken)
            tl = g.tlSunken, br = g.brSunken;
        if (tl < 0)
            continue;
        if (grfFlags & BF_MONO)
            tl = br = COLOR_WINDOWFRAME;
        if (grfFlags & BF_FLAT)
            tl = br = COLOR_3DSHADOW;
        if (grfFlags & BF_TOP)
            HLine(hdc, r.left, r.right, r.top, GetSysColor(tl));
        if (grfFlags & BF_LEFT)
            VLine(hdc, r.left, r.top, r.bottom, GetSysColor(tl));
        if (grfFlags & BF_BOTTOM)
            HLine(hdc, r.left, r.right, r.bottom - 1, GetSysColor(br));
        if (grfFlags & BF_RIGHT)
            VLine(hdc, r.right - 1, r.top, r.bottom, GetSysColor(br));
        if (grfFlags & BF_LEFT) ++r.left;
        if (grfFlags & BF_TOP) ++r.top;
        if (grfFlags & BF_RIGHT) --r.right;
        if (grfFlags & BF_BOTTOM) --r.bottom;
    }
    if (grfFlags & BF_MIDDLE)
        FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (grfFlags & BF_ADJUST)
        *qrc = r;
    return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState)
{
    if (!lprc)
        return FALSE;
    RECT r = *lprc;
    COLORREF crInk = GetSysColor((uState & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    if (uType == DFC_BUTTON && (uState & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE))) {
        // A round well: sunken rings approximated on a 12 x 12 circle.
        int cx = r.left + (r.right - r.left) / 2, cy = r.top + (r.bottom - r.top) / 2;
        int rad = std::min(r.right - r.left, r.bottom - r.top) / 2;
        COLORREF fill = GetSysColor((uState & (DFCS_INACTIVE | DFCS_PUSHED)) ? COLOR_BTNFACE : COLOR_WINDOW);
        for (int y = -rad; y < rad; ++y)
            for (int x = -rad; x < rad; ++x) {
                double d = std::sqrt((x + 0.5) * (x + 0.5) + (y + 0.5) * (y + 0.5));
                COLORREF c;
                if (d > rad)
                    continue;
                if (d > rad - 1)
                    c = (x + y < 0) ? GetSysColor(COLOR_3DSHADOW) : GetSysColor(COLOR_3DHIGHLIGHT);
                else if (d > rad - 2)
                    c = (x + y < 0) ? GetSysColor(COLOR_3DDKSHADOW) : GetSysColor(COLOR_3DLIGHT);
                else
                    c = fill;
                RECT p = {cx + x, cy + y, cx + x + 1, cy + y + 1};
                SolidFill(hdc, p, c);
            }
        if (uState & DFCS_CHECKED) {
            RECT dot = {cx - 2, cy - 2, cx + 2, cy + 2};
            SolidFill(hdc, dot, crInk);
            RECT a = {cx - 1, cy - 3, cx + 1, cy + 3};
            RECT b = {cx - 3, cy - 1, cx + 3, cy + 1};
            SolidFill(hdc, a, crInk);
            SolidFill(hdc, b, crInk);
        }
        return TRUE;
    }
    if (uType == DFC_BUTTON && (uState & 0x1F) == DFCS_BUTTONPUSH) {
        if (uState & DFCS_PUSHED) {
            FrameRect(hdc, &r, GetSysColorBrush(COLOR_3DSHADOW));
            InflateRect(&r, -1, -1);
            FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
        } else {
            DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        }
        if (uState & DFCS_ADJUSTRECT)
            *lprc = r;
        return TRUE;
    }
    if (uType == DFC_BUTTON) {
        // Check box: a sunken square, white inside, a tick when checked.
        DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        BOOL bGrey = (uState & (DFCS_INACTIVE | DFCS_PUSHED)) || (uState & DFCS_BUTTON3STATE && uState & DFCS_CHECKED);
        FillRect(hdc, &r, GetSysColorBrush(bGrey ? COLOR_BTNFACE : COLOR_WINDOW));
        if (uState & DFCS_CHECKED) {
            COLORREF c = (uState & DFCS_BUTTON3STATE) ? GetSysColor(COLOR_3DSHADOW) : crInk;
            // The tick: 7 columns, 3 pixels tall, down then up.
            static const int kY[7] = {2, 3, 4, 3, 2, 1, 0};
            int x0 = r.left + (r.right - r.left - 7) / 2, y0 = r.top + (r.bottom - r.top - 7) / 2;
            for (int i = 0; i < 7; ++i) {
                RECT p = {x0 + i, y0 + kY[i], x0 + i + 1, y0 + kY[i] + 3};
                SolidFill(hdc, p, c);
            }
        }
        return TRUE;
    }
    if (uType == DFC_SCROLL || uType == DFC_CAPTION || uType == DFC_MENU) {
        if (uType != DFC_MENU) {
            if (uState & DFCS_PUSHED) {
                FrameRect(hdc, &r, GetSysColorBrush(COLOR_3DSHADOW));
                InflateRect(&r, -1, -1);
                FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
            } else {
                DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
            }
        }
        int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        UINT kind = uState & 0xFF;
        if (uType == DFC_CAPTION) {
            for (int i = -3; i <= 3; ++i) {
                RECT a = {cx + i, cy + i, cx + i + 2, cy + i + 1};
                RECT b = {cx + i, cy - i, cx + i + 2, cy - i + 1};
                SolidFill(hdc, a, crInk);
                SolidFill(hdc, b, crInk);
            }
            return TRUE;
        }
        if (uType == DFC_MENU && kind == DFCS_MENUCHECK) {
            static const int kY[7] = {2, 3, 4, 3, 2, 1, 0};
            for (int i = 0; i < 7; ++i) {
                RECT p = {cx - 3 + i, cy - 3 + kY[i], cx - 2 + i, cy + kY[i]};
                SolidFill(hdc, p, crInk);
            }
            return TRUE;
        }
        // Arrows: a 7-wide triangle pointing the scroll way.
        BOOL bDown = kind == DFCS_SCROLLDOWN || kind == DFCS_SCROLLCOMBOBOX;
        BOOL bUp = kind == DFCS_SCROLLUP;
        BOOL bLeft = kind == DFCS_SCROLLLEFT;
        for (int i = 0; i < 4; ++i) {
            RECT p;
            if (bDown)
                p = {cx - 3 + i, cy - 1 + i, cx + 4 - i, cy + i};
            else if (bUp)
                p = {cx - 3 + i, cy + 2 - i, cx + 4 - i, cy + 3 - i};
            else if (bLeft)
                p = {cx - 2 + i, cy - i, cx - 1 + i, cy + 1 + i};
            else
                p = {cx + 1 - i, cy - i, cx + 2 - i, cy + 1 + i};
            SolidFill(hdc, p, crInk);
        }
        return TRUE;
    }
    return FALSE;
}

int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format)
{
    if (!lpchText || !lprc)
        return 0;
    std::u16string text = cchText < 0 ? std::u16string(lpchText) : std::u16string(lpchText, static_cast<size_t>(cchText));
    // Mnemonic prefixes: "&x" underlines x, "&&" is one '&'.
    std::u16string shown;
    int iUnderline = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(format & DT_NOPREFIX) && text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&')
                iUnderline = static_cast<int>(shown.size());
        }
        shown += text[i];
    }
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    int cyLine = tm.tmHeight > 0 ? tm.tmHeight : 12;
    // Lines: hard breaks, then word wrapping to the rectangle's width.
    std::vector<std::u16string> lines;
    int cxMax = lprc->right - lprc->left;
    auto width = [&](const std::u16string& s) {
        SIZE sz = {0, 0};
        if (!s.empty())
            GetTextExtentPoint32W(hdc, s.c_str(), static_cast<int>(s.size()), &sz);
        return static_cast<int>(sz.cx);
    };
    auto expand = [&](std::u16string s) {
        if (format & DT_EXPANDTABS) {
            std::u16string o;
            for (char16_t c : s)
                o += c == u'\t' ? std::u16string(8 - o.size() % 8, u' ') : std::u16string(1, c);
            return o;
        }
        return s;
    };
    if (format & DT_SINGLELINE) {
        std::u16string s;
        for (char16_t c : shown)
            if (c != u'\r' && c != u'\n')
                s += c;
        lines.push_back(expand(s));
    } else {
        std::u16string cur;
        std::vector<std::u16string> hard;
        for (size_t i = 0; i < shown.size(); ++i) {
            if (shown[i] == u'\r')
                continue;
            if (shown[i] == u'\n') {
                hard.push_back(cur);
                cur.clear();
                continue;
            }
            cur += shown[i];
        }
        hard.push_back(cur);
        for (std::u16string& h : hard) {
            h = expand(h);
            if (!(format & DT_WORDBREAK) || width(h) <= cxMax) {
                lines.push_back(h);
                continue;
            }
            std::u16string line;
            size_t i = 0;
            while (i < h.size()) {
                // Take the next word (or one character of text without blanks,
                // as Japanese text breaks between any two characters).
                size_t j = i;
                if (h[i] < 0x3000) {
                    while (j < h.size() && h[j] != u' ' && h[j] < 0x3000)
                        ++j;
                    while (j < h.size() && h[j] == u' ')
                        ++j;
                } else {
                    ++j;
                }
                if (j == i)
                    j = i + 1;
                std::u16string word = h.substr(i, j - i);
                if (!line.empty() && width(line + word) > cxMax) {
                    while (!line.empty() && line.back() == u' ')
                        line.pop_back();
                    lines.push_back(line);
                    line.clear();
                    while (!word.empty() && word.front() == u' ')
                        word.erase(0, 1);
                }
                line += word;
                i = j;
            }
            lines.push_back(line);
        }
    }
    int cyTotal = cyLine * static_cast<int>(lines.size());
    int cxText = 0;
    for (auto& l : lines)
        cxText = std::max(cxText, width(l));
    if (format & DT_CALCRECT) {
        lprc->right = lprc->left + cxText;
        lprc->bottom = lprc->top + cyTotal;
        return cyTotal;
    }
    int y = lprc->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = lprc->top + (lprc->bottom - lprc->top - cyLine) / 2;
        else if (format & DT_BOTTOM)
            y = lprc->bottom - cyLine;
    }
    int iSavedAlign = static_cast<int>(SetTextAlign(hdc, TA_LEFT | TA_TOP));
    int iCharBase = 0;
    for (auto& l : lines) {
        int cx = width(l);
        int x = lprc->left;
        if (format & DT_CENTER)
            x = lprc->left + (lprc->right - lprc->left - cx) / 2;
        else if (format & DT_RIGHT)
            x = lprc->right - cx;
        if (format & DT_NOCLIP)
            ExtTextOutW(hdc, x, y, 0, nullptr, l.c_str(), static_cast<UINT>(l.size()), nullptr);
        else
            ExtTextOutW(hdc, x, y, ETO_CLIPPED, lprc, l.c_str(), static_cast<UINT>(l.size()), nullptr);
        if (iUnderline >= iCharBase && iUnderline < iCharBase + static_cast<int>(l.size()) &&
            !(format & DT_HIDEPREFIX)) {
            int k = iUnderline - iCharBase;
            int x0 = x + width(l.substr(0, static_cast<size_t>(k)));
            int x1 = x + width(l.substr(0, static_cast<size_t>(k) + 1));
            RECT u = {x0, y + tm.tmAscent + 1, x1, y + tm.tmAscent + 2};
            SolidFill(hdc, u, GetTextColor(hdc));
        }
        iCharBase += static_cast<int>(l.size());
        y += cyLine;
    }
    SetTextAlign(hdc, static_cast<UINT>(iSavedAlign));
    return cyTotal;
}

BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth,
                UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw, UINT diFlags)
{
    ICONINFO ii;
    if (!GetIconInfo(hIcon, &ii))
        return FALSE;
    BITMAP bm = {};
    GetObjectW(ii.hbmColor, sizeof(bm), &bm);
    int cx = cxWidth ? cxWidth : bm.bmWidth, cy = cyWidth ? cyWidth : bm.bmHeight;
    if (diFlags & DI_DEFAULTSIZE)
        cx = bm.bmWidth, cy = bm.bmHeight;
    HDC hdcMask = CreateCompatibleDC(hdc);
    HDC hdcColor = CreateCompatibleDC(hdc);
    SelectObject(hdcMask, ii.hbmMask);
    SelectObject(hdcColor, ii.hbmColor);
    if (hbrFlickerFreeDraw) {
        RECT rc = {xLeft, yTop, xLeft + cx, yTop + cy};
        FillRect(hdc, &rc, hbrFlickerFreeDraw);
    }
    // Mask: keep the background where the icon is transparent; colour:
    // cleared there first, then OR-ed in.
    if ((diFlags & DI_NORMAL) == DI_NORMAL) {
        BitBlt(hdcColor, 0, 0, bm.bmWidth, bm.bmHeight, hdcMask, 0, 0, 0x00220326);  // DSna
        StretchBlt(hdc, xLeft, yTop, cx, cy, hdcMask, 0, 0, bm.bmWidth, bm.bmHeight, SRCAND);
        StretchBlt(hdc, xLeft, yTop, cx, cy, hdcColor, 0, 0, bm.bmWidth, bm.bmHeight, SRCPAINT);
    } else if (diFlags & DI_MASK) {
        StretchBlt(hdc, xLeft, yTop, cx, cy, hdcMask, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    } else if (diFlags & DI_IMAGE) {
        StretchBlt(hdc, xLeft, yTop, cx, cy, hdcColor, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }
    DeleteDC(hdcMask);
    DeleteDC(hdcColor);
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    return TRUE;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon)
{
    return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    switch (type) {
    case IMAGE_BITMAP: return LoadBitmapW(hInst, name);
    case IMAGE_ICON: return LoadIconW(hInst, name);
    case IMAGE_CURSOR: return LoadCursorW(hInst, name);
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HFONT PlatGetDialogFont()
{
    if (!g_hDialogFont)
        // 9 points at 96 dots per inch, in the platform's Japanese UI face.
        g_hDialogFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                    u"ＭＳ Ｐゴシック");
    return g_hDialogFont;
}

// --- pictures --------------------------------------------------------------------------------

BOOL PlatRenderWindow(HWND hwnd)
{
    WND* w = WndGet(hwnd);
    if (!w)
        return FALSE;
    w = WndTop(w);
    HWND hTop = w->hwnd;
    // Everything is painted again from the frame inward.
    PlatPumpMessages();
    w = WndPeek(hTop);
    if (!w)
        return FALSE;
    HDC hdc = PaintMakeDC(w, FALSE, nullptr);
    if (hdc) {
        RECT rc = {0, 0, w->rcWindow.right - w->rcWindow.left, w->rcWindow.bottom - w->rcWindow.top};
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        PaintFreeDC(hdc);
    }
    w->bFrameDirty = FALSE;
    BOOL bWasVisible = (w->dwStyle & WS_VISIBLE) != 0;
    // A window not shown yet is still pictured as it would look.
    w->dwStyle |= WS_VISIBLE;
    PaintNonClientTree(hTop);
    InvalidateRect(hTop, nullptr, TRUE);
    PaintTree(hTop);
    if (WND* w2 = WndPeek(hTop))
        if (!bWasVisible)
            w2->dwStyle &= ~WS_VISIBLE;
    return WndPeek(hTop) != nullptr;
}

HBITMAP PlatGetWindowSurface(HWND hwnd)
{
    WND* w = WndGet(hwnd);
    return w ? WndTop(w)->hbmSurface : nullptr;
}

COLORREF PlatGetWindowPixel(HWND hwnd, int x, int y)
{
    WND* w = WndGet(hwnd);
    if (!w)
        return CLR_INVALID;
    w = WndTop(w);
    LONG cx = w->rcWindow.right - w->rcWindow.left, cy = w->rcWindow.bottom - w->rcWindow.top;
    if (x < 0 || y < 0 || x >= cx || y >= cy || !w->hbmSurface)
        return CLR_INVALID;
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(static_cast<size_t>(cx) * static_cast<size_t>(cy));
    HDC hdc = CreateCompatibleDC(nullptr);
    int n = GetDIBits(hdc, w->hbmSurface, 0, static_cast<UINT>(cy), px.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(hdc);
    if (n <= 0)
        return CLR_INVALID;
    DWORD v = px[static_cast<size_t>(y) * static_cast<size_t>(cx) + static_cast<size_t>(x)];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

BOOL PlatWriteWindowPng(HWND hwnd, const char* pszHostPath)
{
    if (!pszHostPath || !PlatRenderWindow(hwnd))
        return FALSE;
    WND* w = WndTop(WndPeek(hwnd));
    LONG cx = w->rcWindow.right - w->rcWindow.left, cy = w->rcWindow.bottom - w->rcWindow.top;
    if (cx <= 0 || cy <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(static_cast<size_t>(cx) * static_cast<size_t>(cy));
    HDC hdc = CreateCompatibleDC(nullptr);
    int n = GetDIBits(hdc, w->hbmSurface, 0, static_cast<UINT>(cy), px.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(hdc);
    if (n <= 0)
        return FALSE;
    FILE* f = std::fopen(pszHostPath, "wb");
    if (!f) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(cx) * 3);
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(cx), static_cast<png_uint_32>(cy), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (LONG y = 0; y < cy; ++y) {
        for (LONG x = 0; x < cx; ++x) {
            DWORD v = px[static_cast<size_t>(y) * static_cast<size_t>(cx) + static_cast<size_t>(x)];
            row[static_cast<size_t>(x) * 3] = static_cast<png_byte>((v >> 16) & 0xFF);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>((v >> 8) & 0xFF);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>(v & 0xFF);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

}  // extern "C"
