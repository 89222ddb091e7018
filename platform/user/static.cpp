// static.cpp: the static control family (text, icon, bitmap, rectangles
// and frames, etched lines, owner-draw) with its painting.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/resload.h"

namespace {

struct STATICCTL {
    HANDLE hImage;  // icon or bitmap shown
    BOOL bOwnImage; // loaded from the template: ours to free
};

STATICCTL* St(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    return w ? static_cast<STATICCTL*>(w->pCtl) : nullptr;
}

void PaintStatic(HWND hwnd, HDC hdc)
{
    WND* w = WndPeek(hwnd);
    STATICCTL* s = St(hwnd);
    DWORD k = w->dwStyle & SS_TYPEMASK;
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (k == SS_OWNERDRAW) {
        DRAWITEMSTRUCT dis = {ODT_STATIC, static_cast<UINT>(w->id), 0, ODA_DRAWENTIRE,
                              (w->dwStyle & WS_DISABLED) ? static_cast<UINT>(ODS_DISABLED) : 0u, hwnd, hdc, rc, 0};
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        return;
    }
    static const int kRectColor[] = {COLOR_WINDOWFRAME, COLOR_3DSHADOW, COLOR_WINDOW};
    switch (k) {
    case SS_BLACKRECT:
    case SS_GRAYRECT:
    case SS_WHITERECT:
        FillRect(hdc, &rc, GetSysColorBrush(kRectColor[k - SS_BLACKRECT]));
        return;
    case SS_BLACKFRAME:
    case SS_GRAYFRAME:
    case SS_WHITEFRAME:
        FrameRect(hdc, &rc, GetSysColorBrush(kRectColor[k - SS_BLACKFRAME]));
        return;
    case SS_ETCHEDHORZ:
        DrawEdge(hdc, &rc, EDGE_ETCHED, BF_TOP);
        return;
    case SS_ETCHEDVERT:
        DrawEdge(hdc, &rc, EDGE_ETCHED, BF_LEFT);
        return;
    case SS_ETCHEDFRAME:
        DrawEdge(hdc, &rc, EDGE_ETCHED, BF_RECT);
        return;
    }
    HBRUSH hbr = PaintCtlColor(hwnd, hdc, WM_CTLCOLORSTATIC);
    if (hbr)
        FillRect(hdc, &rc, hbr);
    if (k == SS_ICON) {
        if (s->hImage)
            DrawIconEx(hdc, 0, 0, static_cast<HICON>(s->hImage), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
        return;
    }
    if (k == SS_BITMAP) {
        if (s->hImage) {
            BITMAP bm = {};
            GetObjectW(s->hImage, sizeof(bm), &bm);
            HDC hdcMem = CreateCompatibleDC(hdc);
            HGDIOBJ hOld = SelectObject(hdcMem, s->hImage);
            int x = (w->dwStyle & SS_CENTERIMAGE) ? (rc.right - bm.bmWidth) / 2 : 0;
            int y = (w->dwStyle & SS_CENTERIMAGE) ? (rc.bottom - bm.bmHeight) / 2 : 0;
            BitBlt(hdc, x, y, bm.bmWidth, bm.bmHeight, hdcMem, 0, 0, SRCCOPY);
            SelectObject(hdcMem, hOld);
            DeleteDC(hdcMem);
        }
        return;
    }
    UINT fmt = DT_WORDBREAK | DT_EXPANDTABS;
    if (k == SS_CENTER)
        fmt |= DT_CENTER;
    else if (k == SS_RIGHT)
        fmt |= DT_RIGHT;
    else if (k == SS_SIMPLE || k == SS_LEFTNOWORDWRAP)
        fmt = DT_SINGLELINE | DT_EXPANDTABS;
    if (w->dwStyle & SS_NOPREFIX)
        fmt |= DT_NOPREFIX;
    if (w->dwStyle & SS_CENTERIMAGE)
        fmt = (fmt & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    SetBkMode(hdc, TRANSPARENT);
    if (w->dwStyle & WS_DISABLED)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(hdc, w->strText.c_str(), -1, &rc, fmt);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndPeek(hwnd);
    STATICCTL* s = St(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        w->pCtl = new STATICCTL();
        s = St(hwnd);
        const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        DWORD k = w->dwStyle & SS_TYPEMASK;
        // An icon or bitmap static names its picture by its text.
        if ((k == SS_ICON || k == SS_BITMAP) && cs->lpszName && (IS_INTRESOURCE(cs->lpszName) || cs->lpszName[0])) {
            LPCWSTR name = cs->lpszName;
            if (!IS_INTRESOURCE(name) && name[0] == 0xFFFF)
                name = MAKEINTRESOURCEW(name[1]);
            s->hImage = k == SS_ICON ? static_cast<HANDLE>(LoadIconW(cs->hInstance, name))
                                     : static_cast<HANDLE>(LoadBitmapW(cs->hInstance, name));
            s->bOwnImage = s->hImage != nullptr;
            return TRUE;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY:
        if (s && s->bOwnImage) {
            if ((w->dwStyle & SS_TYPEMASK) == SS_ICON)
                DestroyIcon(static_cast<HICON>(s->hImage));
            else
                DeleteObject(s->hImage);
        }
        delete s;
        w->pCtl = nullptr;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) {
            PaintStatic(hwnd, hdc);
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return (w->dwStyle & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_SETTEXT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONUP:
        if (w->dwStyle & SS_NOTIFY)
            WndNotifyParent(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (w->dwStyle & SS_NOTIFY)
            WndNotifyParent(hwnd, STN_DBLCLK);
        return 0;
    case STM_SETICON:
    case STM_SETIMAGE: {
        HANDLE h = s->hImage;
        s->hImage = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
        if (s->bOwnImage && h) {
            // The picture the template loaded is ours; one set later is the caller's.
            if ((w->dwStyle & SS_TYPEMASK) == SS_ICON)
                DestroyIcon(static_cast<HICON>(h));
            else
                DeleteObject(h);
            h = nullptr;
        }
        s->bOwnImage = FALSE;
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(h);
    }
    case STM_GETICON:
    case STM_GETIMAGE:
        return reinterpret_cast<LRESULT>(s->hImage);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void StaticRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS | CS_PARENTDC;
    wc.lpfnWndProc = StaticProc;
    wc.lpszClassName = WC_STATICW;
    PlatRegisterSystemClass(&wc);
}
