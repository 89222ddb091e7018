// desktop.cpp: the platform's top-level windows on the machine's X display.
//
// Entry points: PlatDesktopOpen, PlatDesktopClose, PlatDesktopIsOpen, and
// for the window manager DesktopLive and DesktopWait.
//
// Rules:
//  1. Every visible top-level window is one X window of its size, at its
//     place, titled with its text: a window with a caption is a dialog the
//     X window manager keeps (without decorations of its own: the platform
//     paints the caption and the close box), above its owner's window and
//     modal while its owner is disabled; one without a caption (a dropped
//     list, a pop-up menu) is placed by the platform alone and holds the
//     pointer while it is up.
//  2. The pixels are the window's surface, the very pixels its pictures
//     are made of. A window is painted whole when it first appears; after
//     that only what was painted since is put on the display. An exposed
//     part is put again from what was put last, without painting.
//  3. The pointer and the keys reach the windows only as a person's input
//     (PlatInputMouse, PlatInputKey): positions and keys, never controls.
//     A press on a caption moves the window; the window manager's close
//     request is the close box's.
//  4. DesktopWait shows what was painted, then waits for input or for the
//     next timer; the platform clock follows the real time while the
//     desktop is open. It answers FALSE when the display went away.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/kernel/kernel.h"

#if Q730_HAVE_X11

#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct XWIN {
    HWND hwnd = nullptr;
    Window win = 0;
    BOOL bPopup = FALSE;
    BOOL bMapped = FALSE;
    BOOL bPainted = FALSE;      // painted whole once
    int cx = 0, cy = 0;
    std::vector<uint32_t> px;   // what was put last, row by row
    XImage* img = nullptr;
    std::u16string title;
    POINT ptPlaced = {0, 0};    // the platform place it was put at
};

Display* g_dpy = nullptr;
int g_screen = 0;
Visual* g_visual = nullptr;
int g_depth = 0;
GC g_gc = nullptr;
Window g_root = 0;
std::map<HWND, XWIN> g_wins;
HWND g_hwndFocusSent = nullptr;
Window g_winGrab = 0;
unsigned long g_msLast = 0;

// Moving a window by its caption.
HWND g_hwndMoving = nullptr;
int g_xMoveStart = 0, g_yMoveStart = 0;
POINT g_ptMoveWindow = {0, 0};

Atom g_aProtocols, g_aDelete, g_aNetName, g_aUtf8, g_aMotif, g_aType, g_aTypeDialog, g_aTypeDropdown,
    g_aTypePopup, g_aState, g_aStateModal;

// A request the server refuses (focus given to a window the window manager
// unmapped a moment before) costs nothing: the next change sets it right.
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

unsigned long NowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<unsigned long>(ts.tv_sec) * 1000UL + static_cast<unsigned long>(ts.tv_nsec / 1000000);
}

XWIN* ByWindow(Window win)
{
    for (auto& kv : g_wins)
        if (kv.second.win == win)
            return &kv.second;
    return nullptr;
}

std::string Utf8(const std::u16string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void SetTitle(XWIN& x, const std::u16string& title)
{
    x.title = title;
    std::string u = Utf8(title);
    XChangeProperty(g_dpy, x.win, g_aNetName, g_aUtf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(u.data()), static_cast<int>(u.size()));
    XChangeProperty(g_dpy, x.win, XA_WM_NAME, g_aUtf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(u.data()), static_cast<int>(u.size()));
}

void FreeImage(XWIN& x)
{
    if (x.img) {
        x.img->data = nullptr;  // the pixels are the vector's
        XDestroyImage(x.img);
        x.img = nullptr;
    }
}

void MakeImage(XWIN& x, int cx, int cy)
{
    FreeImage(x);
    x.cx = cx;
    x.cy = cy;
    x.px.assign(static_cast<size_t>(cx) * static_cast<size_t>(cy), 0);
    x.img = XCreateImage(g_dpy, g_visual, static_cast<unsigned>(g_depth), ZPixmap, 0,
                         reinterpret_cast<char*>(x.px.data()), static_cast<unsigned>(cx), static_cast<unsigned>(cy),
                         32, cx * 4);
    if (x.img) {
        // The surface's pixels are 0x00RRGGBB words in this machine's order.
        uint32_t probe = 1;
        x.img->byte_order = *reinterpret_cast<unsigned char*>(&probe) ? LSBFirst : MSBFirst;
    }
}

void Put(XWIN& x, int left, int top, int right, int bottom)
{
    if (!x.img || !x.bMapped)
        return;
    left = std::max(0, left);
    top = std::max(0, top);
    right = std::min(x.cx, right);
    bottom = std::min(x.cy, bottom);
    if (right <= left || bottom <= top)
        return;
    XPutImage(g_dpy, x.win, g_gc, x.img, left, top, left, top, static_cast<unsigned>(right - left),
              static_cast<unsigned>(bottom - top));
}

// Reads the window's surface into what is put.
void ReadSurface(XWIN& x, WND* w)
{
    if (!w->hbmSurface || !x.img)
        return;
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), x.cx, -x.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC hdc = CreateCompatibleDC(nullptr);
    GetDIBits(hdc, w->hbmSurface, 0, static_cast<UINT>(x.cy), x.px.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(hdc);
}

void Create(HWND h, WND* w)
{
    XWIN x;
    x.hwnd = h;
    x.bPopup = (w->dwStyle & WS_CAPTION) != WS_CAPTION;
    int cx = std::max<int>(1, w->rcWindow.right - w->rcWindow.left);
    int cy = std::max<int>(1, w->rcWindow.bottom - w->rcWindow.top);
    if (!x.bPopup) {
        // A window of its own appears in the middle of the screen; one
        // with an owner where the platform put it, kept on the screen.
        int sw = DisplayWidth(g_dpy, g_screen), sh = DisplayHeight(g_dpy, g_screen);
        int xw = w->rcWindow.left, yw = w->rcWindow.top;
        if (!w->hwndOwner) {
            xw = (sw - cx) / 2;
            yw = (sh - cy) / 2;
        }
        xw = std::max(0, std::min(xw, sw - cx));
        yw = std::max(0, std::min(yw, sh - cy));
        if (xw != w->rcWindow.left || yw != w->rcWindow.top) {
            SetWindowPos(h, nullptr, xw, yw, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            w = WndPeek(h);
            if (!w)
                return;
        }
    }
    XSetWindowAttributes a = {};
    a.background_pixel = 0xD4D0C8;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                   KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
    a.override_redirect = x.bPopup ? True : False;
    a.colormap = XCreateColormap(g_dpy, g_root, g_visual, AllocNone);
    a.border_pixel = 0;
    x.win = XCreateWindow(g_dpy, g_root, w->rcWindow.left, w->rcWindow.top, static_cast<unsigned>(cx),
                          static_cast<unsigned>(cy), 0, g_depth, InputOutput, g_visual,
                          CWBackPixel | CWEventMask | CWOverrideRedirect | CWColormap | CWBorderPixel, &a);
    x.ptPlaced = {w->rcWindow.left, w->rcWindow.top};
    XClassHint* ch = XAllocClassHint();
    if (ch) {
        char name[] = "q730", cls[] = "Q730";
        ch->res_name = name;
        ch->res_class = cls;
        XSetClassHint(g_dpy, x.win, ch);
        XFree(ch);
    }
    if (!x.bPopup) {
        XSizeHints* sh = XAllocSizeHints();
        if (sh) {
            sh->flags = PPosition | USPosition | PMinSize | PMaxSize;
            sh->x = w->rcWindow.left;
            sh->y = w->rcWindow.top;
            sh->min_width = sh->max_width = cx;
            sh->min_height = sh->max_height = cy;
            XSetWMNormalHints(g_dpy, x.win, sh);
            XFree(sh);
        }
        XWMHints* wh = XAllocWMHints();
        if (wh) {
            wh->flags = InputHint | StateHint;
            wh->input = True;
            wh->initial_state = NormalState;
            XSetWMHints(g_dpy, x.win, wh);
            XFree(wh);
        }
        XSetWMProtocols(g_dpy, x.win, &g_aDelete, 1);
        // The platform paints the caption and the frame itself.
        long motif[5] = {2, 0, 0, 0, 0};
        XChangeProperty(g_dpy, x.win, g_aMotif, g_aMotif, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(motif), 5);
        XChangeProperty(g_dpy, x.win, g_aType, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&g_aTypeDialog), 1);
        WND* o = WndPeek(w->hwndOwner);
        if (o)
            o = WndTop(o);
        auto it = o ? g_wins.find(o->hwnd) : g_wins.end();
        if (it != g_wins.end()) {
            XSetTransientForHint(g_dpy, x.win, it->second.win);
            if (o->dwStyle & WS_DISABLED)
                XChangeProperty(g_dpy, x.win, g_aState, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(&g_aStateModal), 1);
        }
    } else {
        Atom t = w->pCls->strName == u"#32768" ? g_aTypePopup : g_aTypeDropdown;
        XChangeProperty(g_dpy, x.win, g_aType, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&t),
                        1);
    }
    SetTitle(x, w->strText);
    MakeImage(x, cx, cy);
    XMapRaised(g_dpy, x.win);
    g_wins[h] = std::move(x);
}

void Destroy(XWIN& x)
{
    if (g_winGrab == x.win) {
        XUngrabPointer(g_dpy, CurrentTime);
        g_winGrab = 0;
    }
    FreeImage(x);
    XDestroyWindow(g_dpy, x.win);
    if (g_hwndMoving == x.hwnd)
        g_hwndMoving = nullptr;
    if (g_hwndFocusSent == x.hwnd)
        g_hwndFocusSent = nullptr;
}

// The X windows follow the platform's top-level windows.
void Sync()
{
    std::set<HWND> shown;
    for (HWND h : WndTopLevels()) {
        WND* w = WndPeek(h);
        if (!w || !WndReallyVisible(w))
            continue;
        shown.insert(h);
        auto it = g_wins.find(h);
        if (it == g_wins.end()) {
            Create(h, w);
            continue;
        }
        XWIN& x = it->second;
        int cx = std::max<int>(1, w->rcWindow.right - w->rcWindow.left);
        int cy = std::max<int>(1, w->rcWindow.bottom - w->rcWindow.top);
        if (cx != x.cx || cy != x.cy) {
            if (!x.bPopup) {
                XSizeHints* sh = XAllocSizeHints();
                if (sh) {
                    sh->flags = PMinSize | PMaxSize;
                    sh->min_width = sh->max_width = cx;
                    sh->min_height = sh->max_height = cy;
                    XSetWMNormalHints(g_dpy, x.win, sh);
                    XFree(sh);
                }
            }
            XResizeWindow(g_dpy, x.win, static_cast<unsigned>(cx), static_cast<unsigned>(cy));
            MakeImage(x, cx, cy);
            x.bPainted = FALSE;
        }
        if (x.bPopup && (w->rcWindow.left != x.ptPlaced.x || w->rcWindow.top != x.ptPlaced.y)) {
            XMoveWindow(g_dpy, x.win, w->rcWindow.left, w->rcWindow.top);
            x.ptPlaced = {w->rcWindow.left, w->rcWindow.top};
        }
        if (w->strText != x.title)
            SetTitle(x, w->strText);
    }
    for (auto it = g_wins.begin(); it != g_wins.end();) {
        if (shown.count(it->first)) {
            ++it;
            continue;
        }
        Destroy(it->second);
        it = g_wins.erase(it);
    }
    // The keyboard goes to the X window of the active window.
    HWND hActive = GetActiveWindow();
    auto it = g_wins.find(hActive);
    if (hActive != g_hwndFocusSent && it != g_wins.end() && it->second.bMapped && !it->second.bPopup) {
        XSetInputFocus(g_dpy, it->second.win, RevertToParent, CurrentTime);
        g_hwndFocusSent = hActive;
    }
}

// Puts what was painted since the last time.
void Flush()
{
    for (auto& kv : g_wins) {
        XWIN& x = kv.second;
        WND* w = WndPeek(kv.first);
        if (!w)
            continue;
        if (!x.bPainted) {
            // Painted whole when it first appears, as its picture is.
            PlatRenderWindow(kv.first);
            w = WndPeek(kv.first);
            if (!w)
                continue;
            x.bPainted = TRUE;
            w->bSurfaceDirty = FALSE;
            ReadSurface(x, w);
            Put(x, 0, 0, x.cx, x.cy);
            continue;
        }
        if (!w->bSurfaceDirty)
            continue;
        RECT r = w->rcSurfaceDirty;
        w->bSurfaceDirty = FALSE;
        ReadSurface(x, w);
        Put(x, r.left, r.top, r.right, r.bottom);
    }
    XFlush(g_dpy);
}

UINT VirtualKey(KeySym ks)
{
    if (ks >= XK_a && ks <= XK_z)
        return static_cast<UINT>('A' + (ks - XK_a));
    if (ks >= XK_A && ks <= XK_Z)
        return static_cast<UINT>('A' + (ks - XK_A));
    if (ks >= XK_0 && ks <= XK_9)
        return static_cast<UINT>('0' + (ks - XK_0));
    if (ks >= XK_KP_0 && ks <= XK_KP_9)
        return static_cast<UINT>(VK_NUMPAD0 + (ks - XK_KP_0));
    if (ks >= XK_F1 && ks <= XK_F12)
        return static_cast<UINT>(VK_F1 + (ks - XK_F1));
    switch (ks) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab: case XK_ISO_Left_Tab: return VK_TAB;
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: case XK_KP_Space: return VK_SPACE;
    case XK_Prior: case XK_KP_Prior: return VK_PRIOR;
    case XK_Next: case XK_KP_Next: return VK_NEXT;
    case XK_End: case XK_KP_End: return VK_END;
    case XK_Home: case XK_KP_Home: return VK_HOME;
    case XK_Left: case XK_KP_Left: return VK_LEFT;
    case XK_Up: case XK_KP_Up: return VK_UP;
    case XK_Right: case XK_KP_Right: return VK_RIGHT;
    case XK_Down: case XK_KP_Down: return VK_DOWN;
    case XK_Insert: case XK_KP_Insert: return VK_INSERT;
    case XK_Delete: case XK_KP_Delete: return VK_DELETE;
    case XK_Shift_L: return VK_LSHIFT;
    case XK_Shift_R: return VK_RSHIFT;
    case XK_Control_L: return VK_LCONTROL;
    case XK_Control_R: return VK_RCONTROL;
    case XK_Alt_L: case XK_Meta_L: return VK_LMENU;
    case XK_Alt_R: case XK_Meta_R: case XK_ISO_Level3_Shift: return VK_RMENU;
    case XK_Menu: return VK_APPS;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: return VK_DECIMAL;
    case XK_KP_Divide: return VK_DIVIDE;
    case XK_semicolon: return VK_OEM_1;
    case XK_equal: return VK_OEM_PLUS;
    case XK_comma: return VK_OEM_COMMA;
    case XK_minus: return VK_OEM_MINUS;
    case XK_period: return VK_OEM_PERIOD;
    case XK_slash: return VK_OEM_2;
    case XK_grave: return VK_OEM_3;
    case XK_bracketleft: return VK_OEM_4;
    case XK_backslash: return VK_OEM_5;
    case XK_bracketright: return VK_OEM_6;
    case XK_apostrophe: return VK_OEM_7;
    }
    return 0;
}

void Key(XKeyEvent* e, BOOL bDown)
{
    char buf[16] = {};
    KeySym ks = 0;
    int n = XLookupString(e, buf, sizeof(buf) - 1, &ks, nullptr);
    // The key itself, whatever Shift makes of it.
    KeySym base = XLookupKeysym(e, 0);
    UINT vk = VirtualKey(base);
    if (!vk)
        vk = VirtualKey(ks);
    WCHAR ch = 0;
    if (n == 1)
        ch = static_cast<WCHAR>(static_cast<unsigned char>(buf[0]));  // Latin-1
    else if ((ks & 0xFF000000UL) == 0x01000000UL && (ks & 0xFFFFFF) < 0x10000)
        ch = static_cast<WCHAR>(ks & 0xFFFF);
    if (!vk)
        return;
    PlatInputKey(vk, bDown, bDown ? ch : 0, static_cast<DWORD>(e->time));
}

void Mouse(XWIN& x, UINT msg, int xWin, int yWin, int xRoot, int yRoot, DWORD dwTime)
{
    WND* w = WndPeek(x.hwnd);
    if (!w)
        return;
    if (g_hwndMoving) {
        auto it = g_wins.find(g_hwndMoving);
        if (it != g_wins.end() && (msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP))
            XMoveWindow(g_dpy, it->second.win, g_ptMoveWindow.x + xRoot - g_xMoveStart,
                        g_ptMoveWindow.y + yRoot - g_yMoveStart);
        if (msg == WM_LBUTTONUP)
            g_hwndMoving = nullptr;
        return;
    }
    int xs = w->rcWindow.left + xWin, ys = w->rcWindow.top + yWin;
    UINT hit = PlatInputMouse(x.hwnd, msg, xs, ys, dwTime);
    if (hit == HTCAPTION && msg == WM_LBUTTONDOWN) {
        // The caption moves the window while the button is held.
        HWND hTop = nullptr;
        std::vector<HWND> tops = WndTopLevels();
        for (auto it = tops.rbegin(); it != tops.rend() && !hTop; ++it) {
            WND* t = WndPeek(*it);
            POINT pt = {xs, ys};
            if (t && WndReallyVisible(t) && PtInRect(&t->rcWindow, pt))
                hTop = *it;
        }
        auto it = g_wins.find(hTop);
        if (it != g_wins.end() && !it->second.bPopup) {
            g_hwndMoving = hTop;
            g_xMoveStart = xRoot;
            g_yMoveStart = yRoot;
            WND* t = WndPeek(hTop);
            g_ptMoveWindow = {t->rcWindow.left, t->rcWindow.top};
        }
    }
}

void Handle(XEvent& ev)
{
    XWIN* x = ByWindow(ev.xany.window);
    switch (ev.type) {
    case MappingNotify:
        XRefreshKeyboardMapping(&ev.xmapping);
        return;
    case Expose:
        if (x)
            Put(*x, ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width, ev.xexpose.y + ev.xexpose.height);
        return;
    case MapNotify:
        if (x) {
            x->bMapped = TRUE;
            Put(*x, 0, 0, x->cx, x->cy);
            if (x->bPopup && !g_winGrab &&
                XGrabPointer(g_dpy, x->win, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                             GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess)
                g_winGrab = x->win;
        }
        return;
    case UnmapNotify:
        if (x)
            x->bMapped = FALSE;
        return;
    case ConfigureNotify:
        if (x && !x->bPopup) {
            // Where the window really is on the screen is where it is.
            int xr = 0, yr = 0;
            Window child;
            XTranslateCoordinates(g_dpy, x->win, g_root, 0, 0, &xr, &yr, &child);
            WND* w = WndPeek(x->hwnd);
            if (w && (w->rcWindow.left != xr || w->rcWindow.top != yr)) {
                SetWindowPos(x->hwnd, nullptr, xr, yr, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                x->ptPlaced = {xr, yr};
            }
        }
        return;
    case ButtonPress:
    case ButtonRelease: {
        if (!x)
            return;
        UINT b = ev.xbutton.button;
        BOOL bDown = ev.type == ButtonPress;
        UINT msg = b == Button1 ? (bDown ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                   : b == Button3 ? (bDown ? WM_RBUTTONDOWN : WM_RBUTTONUP)
                                  : 0;
        if (msg)
            Mouse(*x, msg, ev.xbutton.x, ev.xbutton.y, ev.xbutton.x_root, ev.xbutton.y_root,
                  static_cast<DWORD>(ev.xbutton.time));
        return;
    }
    case MotionNotify: {
        if (!x)
            return;
        // Only where the pointer is now matters.
        while (XCheckTypedWindowEvent(g_dpy, ev.xany.window, MotionNotify, &ev)) {
        }
        Mouse(*x, WM_MOUSEMOVE, ev.xmotion.x, ev.xmotion.y, ev.xmotion.x_root, ev.xmotion.y_root,
              static_cast<DWORD>(ev.xmotion.time));
        return;
    }
    case KeyPress:
    case KeyRelease:
        Key(&ev.xkey, ev.type == KeyPress);
        return;
    case FocusIn:
        if (x && !x->bPopup) {
            WND* w = WndPeek(x->hwnd);
            if (w && !(w->dwStyle & WS_DISABLED) && GetActiveWindow() != x->hwnd)
                SetActiveWindow(x->hwnd);
            g_hwndFocusSent = x->hwnd;
        }
        return;
    case ClientMessage:
        if (x && static_cast<Atom>(ev.xclient.data.l[0]) == g_aDelete) {
            // The window manager's close: the close box's.
            WND* w = WndPeek(x->hwnd);
            if (w && !(w->dwStyle & WS_DISABLED))
                PostMessageW(x->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                MessageBeep(0);
        }
        return;
    }
}

}  // namespace

BOOL DesktopLive()
{
    return g_dpy != nullptr;
}

BOOL DesktopWait(int iTimeoutMs)
{
    if (!g_dpy)
        return FALSE;
    Sync();
    Flush();
    if (!WndQueueEmpty())
        return TRUE;
    if (XPending(g_dpy) == 0) {
        int tmo = TimerMsUntilNext();
        if (iTimeoutMs >= 0 && (tmo < 0 || iTimeoutMs < tmo))
            tmo = iTimeoutMs;
        pollfd p = {ConnectionNumber(g_dpy), POLLIN, 0};
        int r = poll(&p, 1, tmo);
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return FALSE;
    }
    // The clock follows the real time.
    unsigned long now = NowMs();
    if (now > g_msLast) {
        DWORD d = static_cast<DWORD>(now - g_msLast);
        g_msLast = now;
        PlatAdvanceClock(d);
    }
    while (XPending(g_dpy)) {
        XEvent ev;
        XNextEvent(g_dpy, &ev);
        Handle(ev);
    }
    return TRUE;
}

extern "C" {

BOOL PlatDesktopOpen(const char** ppszWhy)
{
    if (g_dpy)
        return TRUE;
    const char* display = getenv("DISPLAY");
    if (!display || !*display) {
        if (ppszWhy)
            *ppszWhy = "DISPLAY is not set";
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        if (ppszWhy)
            *ppszWhy = "the X display cannot be opened";
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    int screen = DefaultScreen(dpy);
    XVisualInfo want = {};
    want.screen = screen;
    want.depth = 24;
    want.c_class = TrueColor;
    want.red_mask = 0xFF0000;
    want.green_mask = 0x00FF00;
    want.blue_mask = 0x0000FF;
    int n = 0;
    XVisualInfo* vi = XGetVisualInfo(dpy, VisualScreenMask | VisualDepthMask | VisualClassMask | VisualRedMaskMask |
                                              VisualGreenMaskMask | VisualBlueMaskMask,
                                     &want, &n);
    if (!vi || n < 1) {
        if (vi)
            XFree(vi);
        XCloseDisplay(dpy);
        if (ppszWhy)
            *ppszWhy = "the X display has no 24-bit true-colour visual";
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    g_dpy = dpy;
    g_screen = screen;
    g_visual = vi[0].visual;
    g_depth = vi[0].depth;
    XFree(vi);
    g_root = RootWindow(g_dpy, g_screen);
    g_gc = XCreateGC(g_dpy, g_root, 0, nullptr);
    g_aProtocols = XInternAtom(g_dpy, "WM_PROTOCOLS", False);
    g_aDelete = XInternAtom(g_dpy, "WM_DELETE_WINDOW", False);
    g_aNetName = XInternAtom(g_dpy, "_NET_WM_NAME", False);
    g_aUtf8 = XInternAtom(g_dpy, "UTF8_STRING", False);
    g_aMotif = XInternAtom(g_dpy, "_MOTIF_WM_HINTS", False);
    g_aType = XInternAtom(g_dpy, "_NET_WM_WINDOW_TYPE", False);
    g_aTypeDialog = XInternAtom(g_dpy, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    g_aTypeDropdown = XInternAtom(g_dpy, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", False);
    g_aTypePopup = XInternAtom(g_dpy, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    g_aState = XInternAtom(g_dpy, "_NET_WM_STATE", False);
    g_aStateModal = XInternAtom(g_dpy, "_NET_WM_STATE_MODAL", False);
    XSetErrorHandler(IgnoreError);
    // A held key repeats as presses alone, as the platform's keys do.
    XkbSetDetectableAutoRepeat(g_dpy, True, nullptr);
    g_msLast = NowMs();
    PlatInputReset();
    return TRUE;
}

void PlatDesktopClose()
{
    if (!g_dpy)
        return;
    for (auto& kv : g_wins)
        Destroy(kv.second);
    g_wins.clear();
    XFreeGC(g_dpy, g_gc);
    XCloseDisplay(g_dpy);
    g_dpy = nullptr;
    g_hwndFocusSent = nullptr;
    g_hwndMoving = nullptr;
}

BOOL PlatDesktopIsOpen()
{
    return g_dpy != nullptr;
}

}  // extern "C"

#else  // no X11 in this build

BOOL DesktopLive()
{
    return FALSE;
}

BOOL DesktopWait(int)
{
    return FALSE;
}

extern "C" {

BOOL PlatDesktopOpen(const char** ppszWhy)
{
    if (ppszWhy)
        *ppszWhy = "this build of the platform has no desktop (it was built without X11)";
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

void PlatDesktopClose()
{
}

BOOL PlatDesktopIsOpen()
{
    return FALSE;
}

}  // extern "C"

#endif
