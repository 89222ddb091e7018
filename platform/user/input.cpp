// input.cpp: what the mouse and the keyboard do, turned into the messages of
// the window under the pointer or of the window with the focus.
//
// Entry points: PlatInputMouse, PlatInputKey, PlatInputReset,
// TranslateMessage, GetKeyState, GetAsyncKeyState.
//
// Rules:
//  1. A mouse message goes to the window that has the capture, else to the
//     deepest visible window under the pointer in the top-level window the
//     pointer is over (a see-through label passes it to its parent); its coordinates are that window's client
//     coordinates. A press over a disabled window, or over a top-level
//     window a modal window disables, does nothing but beep.
//  2. A press outside the client area is answered by the window's hit test
//     (WM_NCHITTEST): the close box closes the window when the button is
//     let go over it (WM_SYSCOMMAND SC_CLOSE); the caption answers
//     HTCAPTION to the caller, which moves the window.
//  3. A second press of the left button over the same window, within the
//     double-click time and the double-click rectangle of the first, is
//     WM_LBUTTONDBLCLK when the window's class asks for double clicks.
//  4. A key goes to the window with the focus (else the active window) as
//     WM_KEYDOWN / WM_KEYUP, or WM_SYSKEYDOWN / WM_SYSKEYUP while Alt is
//     held (and for F10). The character the keyboard gives with the key is
//     kept with it: TranslateMessage puts it at the head of the queue as
//     WM_CHAR (WM_SYSCHAR for a system key). A key sent by a program
//     without a character (the scripted user's) takes the character of the
//     plain layout: letters, digits, space, Tab, Enter, Escape, Backspace.
//  5. GetKeyState answers what the keys were when the key message being
//     handled was taken from the queue (the high bit while a key is down,
//     the low bit toggled by each press); GetAsyncKeyState what they are
//     now.
#include "platform/user/wnd.h"

#include "platform/kernel/kernel.h"

#include <cstdlib>

namespace {

BYTE g_keys[256];          // the keys now: bit 0x80 down, bit 0x01 toggled
BYTE g_keysTaken[256];     // the same as of the key messages taken so far
WCHAR g_chars[256];        // the character of each key message, by its slot
int g_nextSlot = 1;        // slot 0: no character kept
UINT g_buttons = 0;        // MK_LBUTTON / MK_RBUTTON held
HWND g_hwndClose = nullptr;  // pressed on its close box
// The last left press, for double clicks.
HWND g_hwndLastDown = nullptr;
DWORD g_dwLastDown = 0;
POINT g_ptLastDown = {0, 0};
BOOL g_bLastWasDouble = FALSE;

BOOL Down(int vk)
{
    return (g_keys[vk & 0xFF] & 0x80) != 0;
}

UINT MouseKeys()
{
    UINT mk = g_buttons;
    if (Down(VK_SHIFT))
        mk |= MK_SHIFT;
    if (Down(VK_CONTROL))
        mk |= MK_CONTROL;
    return mk;
}

// The top-level window under a screen point: the last shown that holds it.
HWND TopAt(POINT pt)
{
    std::vector<HWND> tops = WndTopLevels();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        WND* t = WndPeek(*it);
        if (t && (t->dwStyle & WS_VISIBLE) && PtInRect(&t->rcWindow, pt))
            return *it;
    }
    return nullptr;
}

void Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD dwTime, POINT pt)
{
    MSG m = {hwnd, msg, wParam, lParam, dwTime, pt};
    WndPostInput(m);
}

// The character a key gives on the plain layout.
WCHAR PlainChar(UINT vk)
{
    BOOL bShift = Down(VK_SHIFT);
    if (vk >= 'A' && vk <= 'Z') {
        if (Down(VK_CONTROL))
            return static_cast<WCHAR>(vk - 'A' + 1);
        return static_cast<WCHAR>(bShift ? vk : vk + ('a' - 'A'));
    }
    if (vk >= '0' && vk <= '9' && !bShift)
        return static_cast<WCHAR>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<WCHAR>('0' + vk - VK_NUMPAD0);
    switch (vk) {
    case VK_SPACE: return u' ';
    case VK_TAB: return u'\t';
    case VK_RETURN: return u'\r';
    case VK_ESCAPE: return 0x1B;
    case VK_BACK: return 0x08;
    }
    return 0;
}

}  // namespace

extern "C" {

UINT PlatInputMouse(HWND hwndTop, UINT uMsg, int xScreen, int yScreen, DWORD dwTime)
{
    POINT pt = {xScreen, yScreen};
    SetCursorPos(xScreen, yScreen);
    BOOL bPress = uMsg == WM_LBUTTONDOWN || uMsg == WM_RBUTTONDOWN;
    if (uMsg == WM_LBUTTONDOWN)
        g_buttons |= MK_LBUTTON;
    else if (uMsg == WM_LBUTTONUP)
        g_buttons &= ~static_cast<UINT>(MK_LBUTTON);
    else if (uMsg == WM_RBUTTONDOWN)
        g_buttons |= MK_RBUTTON;
    else if (uMsg == WM_RBUTTONUP)
        g_buttons &= ~static_cast<UINT>(MK_RBUTTON);

    HWND h = GetCapture();
    if (!h) {
        WND* t = WndPeek(hwndTop);
        if (!t || !(t->dwStyle & WS_VISIBLE) || !PtInRect(&t->rcWindow, pt))
            t = WndPeek(TopAt(pt));
        if (!t)
            return HTNOWHERE;
        if (t->dwStyle & WS_DISABLED) {
            // The window a modal one stands over takes no input.
            if (bPress)
                MessageBeep(0);
            return HTERROR;
        }
        h = WndHitChild(t, pt);
        for (HWND p = h; p && p != t->hwnd; p = GetParent(p))
            if (!IsWindowEnabled(p)) {
                return HTERROR;
            }
        LRESULT hit = SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(xScreen, yScreen));
        // A see-through window (a label) leaves the press to its parent.
        while (hit == HTTRANSPARENT && h != t->hwnd && GetParent(h)) {
            h = GetParent(h);
            hit = SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(xScreen, yScreen));
        }
        if (hit != HTCLIENT) {
            if (uMsg == WM_LBUTTONDOWN) {
                g_hwndClose = hit == HTCLOSE ? h : nullptr;
                if (hit == HTCAPTION && GetActiveWindow() != t->hwnd)
                    SetActiveWindow(t->hwnd);
            } else if (uMsg == WM_LBUTTONUP) {
                if (hit == HTCLOSE && g_hwndClose == h)
                    Post(h, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(xScreen, yScreen), dwTime, pt);
                g_hwndClose = nullptr;
            }
            return static_cast<UINT>(hit);
        }
        // A press activates its top-level window (not a pop-up list or menu).
        if (bPress && (t->dwStyle & WS_CAPTION) == WS_CAPTION && GetActiveWindow() != t->hwnd) {
            LRESULT ma = SendMessageW(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(t->hwnd),
                                      MAKELPARAM(HTCLIENT, uMsg));
            if (ma != MA_NOACTIVATE && ma != MA_NOACTIVATEANDEAT && IsWindow(t->hwnd))
                SetActiveWindow(t->hwnd);
            if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT)
                return HTCLIENT;
        }
    }
    if (uMsg == WM_LBUTTONUP)
        g_hwndClose = nullptr;
    WND* w = WndPeek(h);
    if (!w)
        return HTNOWHERE;
    POINT c = WndClientOriginOnScreen(w);
    LPARAM lp = MAKELPARAM(static_cast<SHORT>(xScreen - c.x), static_cast<SHORT>(yScreen - c.y));
    UINT msg = uMsg;
    if (uMsg == WM_LBUTTONDOWN) {
        int cx = GetSystemMetrics(SM_CXDOUBLECLK), cy = GetSystemMetrics(SM_CYDOUBLECLK);
        BOOL bDouble = !g_bLastWasDouble && h == g_hwndLastDown &&
                       dwTime - g_dwLastDown <= GetDoubleClickTime() &&
                       std::abs(pt.x - g_ptLastDown.x) <= cx / 2 && std::abs(pt.y - g_ptLastDown.y) <= cy / 2 &&
                       (w->pCls->wc.style & CS_DBLCLKS);
        if (bDouble)
            msg = WM_LBUTTONDBLCLK;
        g_bLastWasDouble = bDouble;
        g_hwndLastDown = h;
        g_dwLastDown = dwTime;
        g_ptLastDown = pt;
    }
    Post(h, msg, MouseKeys(), lp, dwTime, pt);
    return HTCLIENT;
}

BOOL PlatInputKey(UINT vk, BOOL bDown, WCHAR ch, DWORD dwTime)
{
    vk &= 0xFF;
    BOOL bRepeat = bDown && Down(static_cast<int>(vk));
    if (bDown) {
        if (!bRepeat)
            g_keys[vk] ^= 0x01;
        g_keys[vk] |= 0x80;
    } else {
        g_keys[vk] &= static_cast<BYTE>(~0x80);
    }
    // The left and right keys of a pair are the pair's key too.
    static const UINT kPairs[][3] = {{VK_LSHIFT, VK_RSHIFT, VK_SHIFT},
                                     {VK_LCONTROL, VK_RCONTROL, VK_CONTROL},
                                     {VK_LMENU, VK_RMENU, VK_MENU}};
    for (const auto& p : kPairs)
        if (vk == p[0] || vk == p[1]) {
            if (Down(static_cast<int>(p[0])) || Down(static_cast<int>(p[1])))
                g_keys[p[2]] |= 0x80;
            else
                g_keys[p[2]] &= static_cast<BYTE>(~0x80);
            if (bDown && !bRepeat)
                g_keys[p[2]] ^= 0x01;
        }
    HWND h = GetFocus();
    if (!h)
        h = GetActiveWindow();
    if (!h)
        return FALSE;
    BOOL bAlt = Down(VK_MENU) && !Down(VK_CONTROL);
    BOOL bSys = bAlt || vk == VK_F10 || vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU;
    // The messages name the pair's key, not its left or right one.
    for (const auto& p : kPairs)
        if (vk == p[0] || vk == p[1])
            vk = p[2];
    UINT msg = bDown ? (bSys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (bSys ? WM_SYSKEYUP : WM_KEYUP);
    int iSlot = 0;
    if (bDown && ch) {
        iSlot = g_nextSlot;
        g_nextSlot = g_nextSlot % 255 + 1;
        g_chars[iSlot] = ch;
    }
    LPARAM lp = 1 | (static_cast<LPARAM>(iSlot) << 16);
    if (bAlt)
        lp |= 1L << 29;
    if (bRepeat)
        lp |= 1L << 30;
    if (!bDown)
        lp |= static_cast<LPARAM>(0xC0000000UL);
    POINT pt;
    GetCursorPos(&pt);
    Post(h, msg, vk, lp, dwTime, pt);
    return TRUE;
}

void PlatInputReset()
{
    for (BYTE& b : g_keys)
        b = 0;
    for (BYTE& b : g_keysTaken)
        b = 0;
    g_buttons = 0;
    g_hwndClose = nullptr;
    g_hwndLastDown = nullptr;
    g_bLastWasDouble = FALSE;
}

BOOL TranslateMessage(const MSG* lpMsg)
{
    if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN))
        return FALSE;
    int iSlot = static_cast<int>((static_cast<ULONG_PTR>(lpMsg->lParam) >> 16) & 0xFF);
    WCHAR ch = iSlot ? g_chars[iSlot] : PlainChar(static_cast<UINT>(lpMsg->wParam));
    if (!ch)
        return FALSE;
    MSG m = *lpMsg;
    m.message = lpMsg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    m.wParam = ch;
    WndPostFront(m);
    return TRUE;
}

SHORT GetKeyState(int nVirtKey)
{
    BYTE b = g_keysTaken[nVirtKey & 0xFF];
    return static_cast<SHORT>(((b & 0x80) ? 0x8000 : 0) | (b & 0x01));
}

SHORT GetAsyncKeyState(int vKey)
{
    return static_cast<SHORT>((g_keys[vKey & 0xFF] & 0x80) ? 0x8000 : 0);
}

}  // extern "C"

void InputNoteTaken(const MSG& m)
{
    BOOL bDown = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
    if (!bDown && m.message != WM_KEYUP && m.message != WM_SYSKEYUP)
        return;
    BYTE& b = g_keysTaken[m.wParam & 0xFF];
    if (bDown) {
        if (!(b & 0x80))
            b ^= 0x01;
        b |= 0x80;
    } else {
        b &= static_cast<BYTE>(~0x80);
    }
}
