// window.cpp: window classes, the handle table, messages and the queue,
// window longs, parent and child, text, enable and show, focus, capture,
// geometry and the update regions.
//
// Entry points: the class, window, message, state and geometry calls of
// winuser.h, and PlatPumpMessages, PlatLiveWindows, the beep record.
//
// The handle table never gives a number twice: a handle is 0x10000 plus
// twice its slot, slots only grow, and a dead slot stays dead. That keeps
// handles clear of small integers that callers pass by mistake.
#include "platform/user/wnd.h"

#include "platform/gdi/gditext.h"
#include "platform/gdi/gdidraw.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/wstr.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace {

std::vector<WND*> g_slots;          // slot -> record (null: dead)
// The registered classes. A class outlives every window and module that
// used it, so the records still registered go with the table at exit.
struct CLASSTABLE : std::vector<WNDCLS*> {
    ~CLASSTABLE()
    {
        for (WNDCLS* c : *this)
            delete c;
    }
};
CLASSTABLE g_classes;
std::deque<MSG> g_queue;
int g_cLive = 0;
HWND g_hwndFocus = nullptr;
HWND g_hwndActive = nullptr;
HWND g_hwndCapture = nullptr;
POINT g_ptCursor = {0, 0};
HCURSOR g_hCursor = nullptr;
std::vector<UINT> g_beeps;
int g_cSendDepth = 0;
BOOL g_bRegistered = FALSE;

const UINT_PTR kHandleBase = 0x10000;

HWND HandleOfSlot(size_t i)
{
    return reinterpret_cast<HWND>(kHandleBase + 2 * i);
}

// Frame widths of the non-client area.
void FrameOf(const WND* w, int* pcxLeft, int* pcyTop, int* pcxRight, int* pcyBottom)
{
    int b = 0;
    if ((w->dwStyle & WS_CAPTION) == WS_CAPTION || (w->dwStyle & WS_DLGFRAME) ||
        (w->dwExStyle & WS_EX_DLGMODALFRAME))
        b = 3;
    else if (w->dwStyle & WS_THICKFRAME)
        b = 4;
    else if (w->dwStyle & WS_BORDER)
        b = 1;
    if (w->dwExStyle & WS_EX_CLIENTEDGE)
        b += 2;
    else if (w->dwExStyle & WS_EX_STATICEDGE)
        b += 1;
    int cap = (w->dwStyle & WS_CAPTION) == WS_CAPTION ? 18 : 0;
    *pcxLeft = b;
    *pcxRight = b;
    *pcyTop = b + cap;
    *pcyBottom = b;
}

WNDCLS* FindClass(LPCWSTR pszClass, HINSTANCE hInst)
{
    if (!pszClass)
        return nullptr;
    for (WNDCLS* c : g_classes) {
        if (IS_INTRESOURCE(pszClass)) {
            if (c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(pszClass)))
                return c;
        } else if (lstrcmpiW(c->strName.c_str(), pszClass) == 0 &&
                   (c->bSystem || !hInst || c->wc.hInstance == hInst || !c->wc.hInstance)) {
            return c;
        }
    }
    // A class registered by another module is found too, as long as the
    // name matches: the platform's modules share one process.
    if (!IS_INTRESOURCE(pszClass))
        for (WNDCLS* c : g_classes)
            if (lstrcmpiW(c->strName.c_str(), pszClass) == 0)
                return c;
    return nullptr;
}

void FreeRecord(WND* w)
{
    if (w->hbmSurface)
        DeleteObject(w->hbmSurface);
    delete w;
}

void Unlink(WND* w)
{
    if (w->hwndParent)
        if (WND* p = WndPeek(w->hwndParent)) {
            auto& v = p->aChildren;
            v.erase(std::remove(v.begin(), v.end(), w->hwnd), v.end());
        }
}

// Remembers window longs in the extra bytes: cb bytes at any byte index
// (a 32-bit long is 4 bytes, a pointer-sized one LONG_PTR; indexes need not
// be aligned, so the bytes are copied, never read through a cast pointer).
BYTE* ExtraSlot(WND* w, int nIndex, size_t cb)
{
    if (nIndex < 0 || static_cast<size_t>(nIndex) + cb > w->aExtra.size())
        return nullptr;
    return w->aExtra.data() + nIndex;
}

// A value of T in the extra bytes; 0 with ERROR_INVALID_INDEX when its bytes
// are not all there.
template <typename T>
T ExtraGet(WND* w, int nIndex)
{
    T v = 0;
    if (BYTE* p = ExtraSlot(w, nIndex, sizeof(T)))
        memcpy(&v, p, sizeof(v));
    else
        SetLastError(ERROR_INVALID_INDEX);
    return v;
}

// Stores a value of T in the extra bytes and answers the one before; the
// last error is 0 then, which tells a stored 0 from a failure.
template <typename T>
T ExtraSet(WND* w, int nIndex, T vNew)
{
    BYTE* p = ExtraSlot(w, nIndex, sizeof(T));
    if (!p) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    T vOld;
    memcpy(&vOld, p, sizeof(vOld));
    memcpy(p, &vNew, sizeof(vNew));
    SetLastError(0);
    return vOld;
}

void EnsureClasses()
{
    if (g_bRegistered)
        return;
    g_bRegistered = TRUE;
    DialogRegister();
    ButtonRegister();
    StaticRegister();
    EditRegister();
    ComboRegister();
    ListBoxRegister();
    ScrollBarRegister();
}

ATOM AddClass(const WNDCLASSEXW* pwc, BOOL bSystem)
{
    EnsureClasses();
    if (!pwc || !pwc->lpszClassName || !pwc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string name = IS_INTRESOURCE(pwc->lpszClassName) ? std::u16string() : pwc->lpszClassName;
    for (WNDCLS* c : g_classes)
        if (!name.empty() && lstrcmpiW(c->strName.c_str(), name.c_str()) == 0 &&
            (c->wc.hInstance == pwc->hInstance || c->bSystem || bSystem)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    WNDCLS* c = new (std::nothrow) WNDCLS();
    if (!c) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    c->strName = name;
    c->wc = *pwc;
    c->wc.lpszClassName = nullptr;
    c->wc.lpszMenuName = nullptr;
    c->bSystem = bSystem;
    c->atom = IS_INTRESOURCE(pwc->lpszClassName)
                  ? static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(pwc->lpszClassName))
                  : static_cast<ATOM>(0xC000 + g_classes.size());
    g_classes.push_back(c);
    return c->atom;
}

void SendFocusChange(HWND hwndOld, HWND hwndNew)
{
    if (hwndOld)
        if (WND* o = WndPeek(hwndOld))
            WndCall(o, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwndNew), 0);
    // The old window's handler may have moved the focus again.
    if (g_hwndFocus != hwndNew)
        return;
    if (hwndNew)
        if (WND* n = WndPeek(hwndNew))
            WndCall(n, WM_SETFOCUS, reinterpret_cast<WPARAM>(hwndOld), 0);
    if (hwndNew && g_hwndFocus == hwndNew)
        DlgFocusMoved(hwndNew);
}

void DestroyTree(WND* w);

}  // namespace

// --- records ---------------------------------------------------------------------------------

WND* WndPeek(HWND hwnd)
{
    UINT_PTR v = reinterpret_cast<UINT_PTR>(hwnd);
    if (v < kHandleBase || (v - kHandleBase) % 2)
        return nullptr;
    size_t i = (v - kHandleBase) / 2;
    if (i >= g_slots.size() || !g_slots[i] || g_slots[i]->bDead)
        return nullptr;
    return g_slots[i];
}

WND* WndGet(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

WND* WndTop(WND* w)
{
    while (w && (w->dwStyle & WS_CHILD) && w->hwndParent) {
        WND* p = WndPeek(w->hwndParent);
        if (!p)
            break;
        w = p;
    }
    return w;
}

RECT WndClientInWindow(const WND* w)
{
    int l, t, r, b;
    FrameOf(w, &l, &t, &r, &b);
    LONG cx = w->rcWindow.right - w->rcWindow.left, cy = w->rcWindow.bottom - w->rcWindow.top;
    RECT rc = {l, t, std::max<LONG>(l, cx - r), std::max<LONG>(t, cy - b)};
    return rc;
}

POINT WndClientOriginInSurface(const WND* w)
{
    RECT rc = WndClientInWindow(w);
    POINT pt = {rc.left, rc.top};
    while ((w->dwStyle & WS_CHILD) && w->hwndParent) {
        WND* p = WndPeek(w->hwndParent);
        if (!p)
            break;
        pt.x += w->rcWindow.left;
        pt.y += w->rcWindow.top;
        RECT rp = WndClientInWindow(p);
        pt.x += rp.left;
        pt.y += rp.top;
        w = p;
    }
    return pt;
}

POINT WndClientOriginOnScreen(const WND* w)
{
    POINT pt = WndClientOriginInSurface(w);
    const WND* t = WndTop(const_cast<WND*>(w));
    pt.x += t->rcWindow.left;
    pt.y += t->rcWindow.top;
    return pt;
}

BOOL WndReallyVisible(const WND* w)
{
    while (w) {
        if (!(w->dwStyle & WS_VISIBLE))
            return FALSE;
        if (!(w->dwStyle & WS_CHILD))
            return TRUE;
        w = WndPeek(w->hwndParent);
    }
    return TRUE;
}

std::vector<HWND> WndTopLevels()
{
    std::vector<HWND> v;
    for (WND* w : g_slots)
        if (w && !w->bDead && !(w->dwStyle & WS_CHILD))
            v.push_back(w->hwnd);
    return v;
}

LRESULT WndCall(WND* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!w || w->bDead || !w->pfnProc)
        return 0;
    ++w->cCalls;
    ++g_cSendDepth;
    LRESULT r = w->pfnProc(w->hwnd, msg, wParam, lParam);
    --g_cSendDepth;
    if (--w->cCalls == 0 && w->bDead) {
        size_t i = (reinterpret_cast<UINT_PTR>(w->hwnd) - kHandleBase) / 2;
        g_slots[i] = nullptr;
        FreeRecord(w);
    }
    return r;
}

void WndNotifyParent(HWND hwnd, UINT uCode)
{
    WND* w = WndPeek(hwnd);
    if (!w || !w->hwndParent)
        return;
    SendMessageW(w->hwndParent, WM_COMMAND, MAKEWPARAM(w->id, uCode), reinterpret_cast<LPARAM>(hwnd));
}

HFONT WndFont(const WND* w)
{
    if (w->hFont)
        return w->hFont;
    for (const WND* p = WndPeek(w->hwndParent); p; p = WndPeek(p->hwndParent))
        if (p->hFont)
            return p->hFont;
    return PlatGetDialogFont();
}

std::u16string WndStripMnemonic(const std::u16string& s)
{
    std::u16string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size() && s[i + 1] == u'&')
                r += u'&', ++i;
            continue;
        }
        r += s[i];
    }
    return r;
}

// --- classes ---------------------------------------------------------------------------------

extern "C" {

ATOM RegisterClassW(const WNDCLASSW* lpWndClass)
{
    if (!lpWndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW wc = {sizeof(WNDCLASSEXW), lpWndClass->style, lpWndClass->lpfnWndProc,
                      lpWndClass->cbClsExtra, lpWndClass->cbWndExtra, lpWndClass->hInstance,
                      lpWndClass->hIcon, lpWndClass->hCursor, lpWndClass->hbrBackground,
                      lpWndClass->lpszMenuName, lpWndClass->lpszClassName, nullptr};
    return AddClass(&wc, FALSE);
}

ATOM RegisterClassExW(const WNDCLASSEXW* lpwcx)
{
    if (!lpwcx || lpwcx->cbSize != sizeof(WNDCLASSEXW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return AddClass(lpwcx, FALSE);
}

ATOM PlatRegisterSystemClass(const WNDCLASSW* lpWndClass)
{
    if (!lpWndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    EnsureClasses();
    // Registering twice (a module loaded again) keeps the first.
    if (WNDCLS* c = FindClass(lpWndClass->lpszClassName, nullptr))
        if (c->bSystem)
            return c->atom;
    WNDCLASSEXW wc = {sizeof(WNDCLASSEXW), lpWndClass->style, lpWndClass->lpfnWndProc,
                      lpWndClass->cbClsExtra, lpWndClass->cbWndExtra, nullptr,
                      lpWndClass->hIcon, lpWndClass->hCursor, lpWndClass->hbrBackground,
                      nullptr, lpWndClass->lpszClassName, nullptr};
    return AddClass(&wc, TRUE);
}

BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance)
{
    EnsureClasses();
    WNDCLS* c = FindClass(lpClassName, hInstance);
    if (!c || c->bSystem) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->cWindows) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    g_classes.erase(std::find(g_classes.begin(), g_classes.end(), c));
    delete c;
    return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx)
{
    EnsureClasses();
    WNDCLS* c = FindClass(lpszClass, hInstance);
    if (!c || !lpwcx) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *lpwcx = c->wc;
    lpwcx->lpszClassName = lpszClass;
    return c->atom;
}

BOOL GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass)
{
    WNDCLASSEXW wc;
    if (!lpWndClass || !GetClassInfoExW(hInstance, lpClassName, &wc))
        return FALSE;
    *lpWndClass = {wc.style, wc.lpfnWndProc, wc.cbClsExtra, wc.cbWndExtra, wc.hInstance,
                   wc.hIcon, wc.hCursor, wc.hbrBackground, nullptr, lpClassName};
    return TRUE;
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpClassName || nMaxCount <= 0)
        return 0;
    std::u16string n = w->pCls->strName;
    int c = std::min<int>(static_cast<int>(n.size()), nMaxCount - 1);
    std::memcpy(lpClassName, n.data(), c * sizeof(WCHAR));
    lpClassName[c] = 0;
    return c;
}

ULONG_PTR GetClassLongPtrW(HWND hWnd, int nIndex)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return 0;
    const WNDCLASSEXW& wc = w->pCls->wc;
    switch (nIndex) {
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(wc.hCursor);
    case GCL_HICON: return reinterpret_cast<ULONG_PTR>(wc.hIcon);
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(wc.hbrBackground);
    case GCL_WNDPROC: return reinterpret_cast<ULONG_PTR>(wc.lpfnWndProc);
    case GCL_STYLE: return wc.style;
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(wc.cbWndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(wc.cbClsExtra);
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

ULONG_PTR SetClassLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return 0;
    WNDCLASSEXW& wc = w->pCls->wc;
    ULONG_PTR old = GetClassLongPtrW(hWnd, nIndex);
    switch (nIndex) {
    case GCL_HCURSOR: wc.hCursor = reinterpret_cast<HCURSOR>(dwNewLong); break;
    case GCL_HICON: wc.hIcon = reinterpret_cast<HICON>(dwNewLong); break;
    case GCL_HBRBACKGROUND: wc.hbrBackground = reinterpret_cast<HBRUSH>(dwNewLong); break;
    case GCL_WNDPROC: wc.lpfnWndProc = reinterpret_cast<WNDPROC>(dwNewLong); break;
    case GCL_STYLE: wc.style = static_cast<UINT>(dwNewLong); break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
    return old;
}

DWORD GetClassLongW(HWND hWnd, int nIndex)
{
    return static_cast<DWORD>(GetClassLongPtrW(hWnd, nIndex));
}

DWORD SetClassLongW(HWND hWnd, int nIndex, LONG dwNewLong)
{
    return static_cast<DWORD>(SetClassLongPtrW(hWnd, nIndex, dwNewLong));
}

// --- creation and destruction ----------------------------------------------------------------

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle,
                     int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, LPVOID lpParam)
{
    EnsureClasses();
    WNDCLS* c = FindClass(lpClassName, hInstance);
    if (!c) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    WND* pParent = nullptr;
    if (hWndParent) {
        pParent = WndGet(hWndParent);
        if (!pParent)
            return nullptr;
    } else if (dwStyle & WS_CHILD) {
        // A child needs a parent.
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    WND* w = new (std::nothrow) WND();
    if (!w) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    w->hwnd = HandleOfSlot(g_slots.size());
    g_slots.push_back(w);
    ++g_cLive;
    ++c->cWindows;
    w->pCls = c;
    w->pfnProc = c->wc.lpfnWndProc;
    w->dwStyle = dwStyle;
    w->dwExStyle = dwExStyle;
    w->hInstance = hInstance;
    if (dwStyle & WS_CHILD) {
        w->hwndParent = hWndParent;
        w->id = reinterpret_cast<UINT_PTR>(hMenu);
    } else {
        // A top-level window's "parent" is its owner, kept at the top level.
        WND* o = pParent ? WndTop(pParent) : nullptr;
        w->hwndOwner = o ? o->hwnd : nullptr;
    }
    if (X == CW_USEDEFAULT)
        X = 0, Y = 0;
    if (nWidth == CW_USEDEFAULT)
        nWidth = 400, nHeight = 300;
    w->rcWindow = {X, Y, X + std::max(0, nWidth), Y + std::max(0, nHeight)};
    // By value: the registered class record is packed, its fields unaligned.
    w->aExtra.assign(static_cast<size_t>(std::max(0, static_cast<int>(c->wc.cbWndExtra))), 0);
    if (lpWindowName && !IS_INTRESOURCE(lpWindowName))
        w->strText = lpWindowName;
    if (pParent && (dwStyle & WS_CHILD))
        pParent->aChildren.push_back(w->hwnd);
    if (!(dwStyle & WS_CHILD)) {
        w->hbmSurface = CreateBitmap(std::max(1, nWidth), std::max(1, nHeight), 1, 32, nullptr);
    }
    CREATESTRUCTW cs = {lpParam, hInstance, hMenu, hWndParent, nHeight, nWidth, Y, X,
                        static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
    HWND hwnd = w->hwnd;
    if (!WndCall(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        WndCall(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (WndPeek(hwnd))
            DestroyWindow(hwnd);
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (!WndPeek(hwnd))
        return nullptr;
    w->bCreated = TRUE;
    if ((dwStyle & WS_CHILD) && pParent && !(dwExStyle & WS_EX_NOPARENTNOTIFY))
        SendMessageW(hWndParent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, w->id),
                     reinterpret_cast<LPARAM>(hwnd));
    if (!WndPeek(hwnd))
        return nullptr;
    if (dwStyle & WS_VISIBLE) {
        w->dwStyle &= ~WS_VISIBLE;
        ShowWindow(hwnd, SW_SHOW);
    }
    return WndPeek(hwnd) ? hwnd : nullptr;
}

}  // extern "C"

namespace {

void DestroyTree(WND* w)
{
    HWND hwnd = w->hwnd;
    if (w->bDestroying)
        return;
    w->bDestroying = TRUE;
    if (g_hwndCapture == hwnd)
        g_hwndCapture = nullptr;
    // Owned top-level windows go first, as the system does.
    for (HWND h : WndTopLevels())
        if (WND* o = WndPeek(h))
            if (o->hwndOwner == hwnd)
                DestroyTree(o);
    w = WndPeek(hwnd);
    if (!w)
        return;
    WndCall(w, WM_DESTROY, 0, 0);
    w = WndPeek(hwnd);
    if (!w)
        return;
    std::vector<HWND> kids = w->aChildren;
    for (HWND k : kids)
        if (WND* c = WndPeek(k))
            DestroyTree(c);
    w = WndPeek(hwnd);
    if (!w)
        return;
    // The focus cannot stay on a dead window.
    if (g_hwndFocus == hwnd)
        g_hwndFocus = nullptr;
    if (g_hwndActive == hwnd)
        g_hwndActive = nullptr;
    WndCall(w, WM_NCDESTROY, 0, 0);
    w = WndPeek(hwnd);
    if (!w)
        return;
    Unlink(w);
    KillTimer(hwnd, static_cast<UINT_PTR>(-1));  // every timer of the window
    --w->pCls->cWindows;
    --g_cLive;
    w->bDead = TRUE;
    g_queue.erase(std::remove_if(g_queue.begin(), g_queue.end(),
                                 [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
                  g_queue.end());
    if (w->cCalls == 0) {
        size_t i = (reinterpret_cast<UINT_PTR>(hwnd) - kHandleBase) / 2;
        g_slots[i] = nullptr;
        FreeRecord(w);
    }
}

}  // namespace

extern "C" {

BOOL DestroyWindow(HWND hWnd)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    if (w->bDestroying)
        return TRUE;
    HWND hwndParent = (w->dwStyle & WS_CHILD) ? w->hwndParent : nullptr;
    BOOL bFocusInside = g_hwndFocus && (g_hwndFocus == hWnd || IsChild(hWnd, g_hwndFocus));
    if (w->dwStyle & WS_VISIBLE)
        ShowWindow(hWnd, SW_HIDE);
    w = WndPeek(hWnd);
    if (!w)
        return TRUE;
    if (bFocusInside) {
        HWND hOld = g_hwndFocus;
        g_hwndFocus = nullptr;
        if (WND* o = WndPeek(hOld))
            WndCall(o, WM_KILLFOCUS, 0, 0);
    }
    if (hwndParent && !(w->dwExStyle & WS_EX_NOPARENTNOTIFY))
        SendMessageW(hwndParent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, w->id),
                     reinterpret_cast<LPARAM>(hWnd));
    w = WndPeek(hWnd);
    if (w)
        DestroyTree(w);
    // Activation passes to the owner, or to the last top-level window left.
    if (!hwndParent && !WndPeek(g_hwndActive)) {
        g_hwndActive = nullptr;
        std::vector<HWND> tops = WndTopLevels();
        for (auto it = tops.rbegin(); it != tops.rend(); ++it)
            if (WND* t = WndPeek(*it))
                if ((t->dwStyle & WS_VISIBLE) && !t->bDestroying && !(t->dwStyle & WS_DISABLED)) {
                    // WM_ACTIVATE lets a dialog give the focus back to its control.
                    SetActiveWindow(*it);
                    break;
                }
    }
    return TRUE;
}

BOOL IsWindow(HWND hWnd)
{
    WND* w = WndPeek(hWnd);
    return w && !w->bDead;
}

BOOL IsChild(HWND hWndParent, HWND hWnd)
{
    WND* w = WndPeek(hWnd);
    while (w && (w->dwStyle & WS_CHILD)) {
        if (w->hwndParent == hWndParent)
            return TRUE;
        w = WndPeek(w->hwndParent);
    }
    return FALSE;
}

HWND GetParent(HWND hWnd)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return nullptr;
    return (w->dwStyle & WS_CHILD) ? w->hwndParent : w->hwndOwner;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent)
{
    WND* w = WndGet(hWndChild);
    WND* p = hWndNewParent ? WndGet(hWndNewParent) : nullptr;
    if (!w || (hWndNewParent && !p))
        return nullptr;
    HWND old = w->hwndParent;
    Unlink(w);
    w->hwndParent = hWndNewParent;
    if (p)
        p->aChildren.push_back(hWndChild);
    return old;
}

HWND GetAncestor(HWND hwnd, UINT gaFlags)
{
    WND* w = WndGet(hwnd);
    if (!w)
        return nullptr;
    switch (gaFlags) {
    case GA_PARENT: return (w->dwStyle & WS_CHILD) ? w->hwndParent : nullptr;
    case GA_ROOT: return WndTop(w)->hwnd;
    case GA_ROOTOWNER: {
        WND* t = WndTop(w);
        while (t->hwndOwner && WndPeek(t->hwndOwner))
            t = WndPeek(t->hwndOwner);
        return t->hwnd;
    }
    }
    return nullptr;
}

HWND GetWindow(HWND hWnd, UINT uCmd)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return nullptr;
    if (uCmd == GW_CHILD)
        return w->aChildren.empty() ? nullptr : w->aChildren.front();
    if (uCmd == GW_OWNER)
        return w->hwndOwner;
    std::vector<HWND> sibs;
    if ((w->dwStyle & WS_CHILD) && WndPeek(w->hwndParent))
        sibs = WndPeek(w->hwndParent)->aChildren;
    else
        sibs = WndTopLevels();
    auto it = std::find(sibs.begin(), sibs.end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST: return sibs.empty() ? nullptr : sibs.front();
    case GW_HWNDLAST: return sibs.empty() ? nullptr : sibs.back();
    case GW_HWNDNEXT: return it == sibs.end() || it + 1 == sibs.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == sibs.begin() || it == sibs.end() ? nullptr : *(it - 1);
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HWND GetTopWindow(HWND hWnd)
{
    if (!hWnd) {
        std::vector<HWND> v = WndTopLevels();
        return v.empty() ? nullptr : v.back();
    }
    return GetWindow(hWnd, GW_CHILD);
}

HWND GetDesktopWindow()
{
    return nullptr;
}

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName)
{
    for (HWND h : WndTopLevels()) {
        WND* w = WndPeek(h);
        if (lpClassName && lstrcmpiW(w->pCls->strName.c_str(), lpClassName) != 0)
            continue;
        if (lpWindowName && w->strText != lpWindowName)
            continue;
        return h;
    }
    return nullptr;
}

BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam)
{
    WND* w = WndGet(hWndParent);
    if (!w || !lpEnumFunc)
        return FALSE;
    std::vector<HWND> kids = w->aChildren;
    for (HWND k : kids) {
        if (!WndPeek(k))
            continue;
        if (!lpEnumFunc(k, lParam))
            return FALSE;
        if (!EnumChildWindows(k, lpEnumFunc, lParam) && WndPeek(k) && !WndPeek(k)->aChildren.empty())
            return FALSE;
    }
    return TRUE;
}

BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam)
{
    for (HWND h : WndTopLevels())
        if (WndPeek(h) && !lpEnumFunc(h, lParam))
            return FALSE;
    return TRUE;
}

// --- longs and properties --------------------------------------------------------------------

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return 0;
    switch (nIndex) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->pfnProc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->hInstance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(GetParent(hWnd));
    case GWL_STYLE: return static_cast<LONG_PTR>(w->dwStyle);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->dwExStyle);
    case GWL_USERDATA: return w->lUserData;
    case GWL_ID: return static_cast<LONG_PTR>(w->id);
    }
    return ExtraGet<LONG_PTR>(w, nIndex);
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return 0;
    LONG_PTR old = 0;
    switch (nIndex) {
    case GWL_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(w->pfnProc);
        w->pfnProc = reinterpret_cast<WNDPROC>(dwNewLong);
        return old;
    case GWL_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->hInstance);
        w->hInstance = reinterpret_cast<HINSTANCE>(dwNewLong);
        return old;
    case GWL_HWNDPARENT:
        old = reinterpret_cast<LONG_PTR>(w->hwndOwner);
        w->hwndOwner = reinterpret_cast<HWND>(dwNewLong);
        return old;
    case GWL_STYLE:
        old = static_cast<LONG_PTR>(w->dwStyle);
        // WS_CHILD cannot be changed on a live window here: the tree would
        // no longer match its records.
        w->dwStyle = (static_cast<DWORD>(dwNewLong) & ~WS_CHILD) | (w->dwStyle & WS_CHILD);
        return old;
    case GWL_EXSTYLE:
        old = static_cast<LONG_PTR>(w->dwExStyle);
        w->dwExStyle = static_cast<DWORD>(dwNewLong);
        return old;
    case GWL_USERDATA:
        old = w->lUserData;
        w->lUserData = dwNewLong;
        return old;
    case GWL_ID:
        old = static_cast<LONG_PTR>(w->id);
        w->id = static_cast<UINT_PTR>(dwNewLong);
        return old;
    }
    return ExtraSet<LONG_PTR>(w, nIndex, dwNewLong);
}

// The 32-bit calls reach 4 bytes of the extra bytes, so at 64 bits they
// neither need 8 bytes to be present nor touch the 4 bytes after the long.
LONG GetWindowLongW(HWND hWnd, int nIndex)
{
    if (nIndex >= 0) {
        WND* w = WndGet(hWnd);
        return w ? ExtraGet<LONG>(w, nIndex) : 0;
    }
    return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex));
}

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong)
{
    if (nIndex >= 0) {
        WND* w = WndGet(hWnd);
        return w ? ExtraSet<LONG>(w, nIndex, dwNewLong) : 0;
    }
    return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, dwNewLong));
}

// Two bytes of the extra bytes, as GetWindowLongW reads four: a word near
// the end is there whatever the pointer size (a LONG_PTR read would need
// eight bytes at 64 bits).
WORD GetWindowWord(HWND hWnd, int nIndex)
{
    if (nIndex >= 0) {
        WND* w = WndGet(hWnd);
        return w ? ExtraGet<WORD>(w, nIndex) : 0;
    }
    return static_cast<WORD>(GetWindowLongPtrW(hWnd, nIndex));
}

BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpString)
        return FALSE;
    std::u16string key = IS_INTRESOURCE(lpString)
                             ? u"#" + std::u16string(1, static_cast<char16_t>(reinterpret_cast<ULONG_PTR>(lpString)))
                             : std::u16string(lpString);
    w->props[key] = hData;
    return TRUE;
}

HANDLE GetPropW(HWND hWnd, LPCWSTR lpString)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpString)
        return nullptr;
    std::u16string key = IS_INTRESOURCE(lpString)
                             ? u"#" + std::u16string(1, static_cast<char16_t>(reinterpret_cast<ULONG_PTR>(lpString)))
                             : std::u16string(lpString);
    auto it = w->props.find(key);
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString)
{
    HANDLE h = GetPropW(hWnd, lpString);
    if (WND* w = WndPeek(hWnd)) {
        std::u16string key = IS_INTRESOURCE(lpString)
                                 ? u"#" + std::u16string(1, static_cast<char16_t>(reinterpret_cast<ULONG_PTR>(lpString)))
                                 : std::u16string(lpString);
        w->props.erase(key);
    }
    return h;
}

// --- text ------------------------------------------------------------------------------------

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount)
{
    if (!WndGet(hWnd)) {
        if (lpString && nMaxCount > 0)
            lpString[0] = 0;
        return 0;
    }
    if (!lpString || nMaxCount <= 0)
        return 0;
    lpString[0] = 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthW(HWND hWnd)
{
    if (!WndGet(hWnd))
        return 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString)
{
    if (!WndGet(hWnd))
        return FALSE;
    return static_cast<BOOL>(SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)));
}

// --- messages --------------------------------------------------------------------------------

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return 0;
    return WndCall(w, Msg, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (!lpPrevWndFunc)
        return 0;
    WND* w = WndPeek(hWnd);
    if (!w)
        return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
    ++w->cCalls;
    LRESULT r = lpPrevWndFunc(hWnd, Msg, wParam, lParam);
    if (--w->cCalls == 0 && w->bDead) {
        size_t i = (reinterpret_cast<UINT_PTR>(hWnd) - kHandleBase) / 2;
        g_slots[i] = nullptr;
        FreeRecord(w);
    }
    return r;
}

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (hWnd && !WndGet(hWnd))
        return FALSE;
    MSG m = {hWnd, Msg, wParam, lParam, PlatGetClock(), g_ptCursor};
    g_queue.push_back(m);
    return TRUE;
}

void PostQuitMessage(int nExitCode)
{
    MSG m = {nullptr, WM_QUIT, static_cast<WPARAM>(nExitCode), 0, PlatGetClock(), g_ptCursor};
    g_queue.push_back(m);
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if (hWnd && it->hwnd != hWnd && !IsChild(hWnd, it->hwnd))
            continue;
        if ((wMsgFilterMin || wMsgFilterMax) &&
            (it->message < wMsgFilterMin || it->message > wMsgFilterMax))
            continue;
        if (lpMsg)
            *lpMsg = *it;
        if (wRemoveMsg & PM_REMOVE) {
            InputNoteTaken(*it);
            g_queue.erase(it);
        }
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (!PeekMessageW(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE)) {
        PaintAllPending();
        if (!PeekMessageW(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE))
            return -1;
    }
    return lpMsg && lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

LRESULT DispatchMessageW(const MSG* lpMsg)
{
    if (!lpMsg || !lpMsg->hwnd)
        return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        TIMERPROC p = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        p(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, lpMsg->time);
        return 0;
    }
    return SendMessageW(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

DWORD GetMessagePos()
{
    return static_cast<DWORD>(MAKELONG(g_ptCursor.x, g_ptCursor.y));
}

LONG GetMessageTime()
{
    return static_cast<LONG>(PlatGetClock());
}

BOOL InSendMessage()
{
    return FALSE;
}

int PlatPumpMessages()
{
    int n = 0;
    // A bound keeps a window that posts to itself on every message from
    // holding the caller forever.
    for (int guard = 0; guard < 100000; ++guard) {
        MSG m;
        if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT)
                continue;
            DispatchMessageW(&m);
            ++n;
            continue;
        }
        PaintAllPending();
        if (g_queue.empty())
            break;
    }
    return n;
}

int PlatLiveWindows()
{
    return g_cLive;
}

// --- state -----------------------------------------------------------------------------------

BOOL EnableWindow(HWND hWnd, BOOL bEnable)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    BOOL bWasDisabled = (w->dwStyle & WS_DISABLED) != 0;
    if (bEnable && bWasDisabled) {
        w->dwStyle &= ~WS_DISABLED;
        WndCall(w, WM_ENABLE, TRUE, 0);
        InvalidateRect(hWnd, nullptr, TRUE);
    } else if (!bEnable && !bWasDisabled) {
        w->dwStyle |= WS_DISABLED;
        // A disabled window cannot keep the focus.
        if (g_hwndFocus == hWnd || IsChild(hWnd, g_hwndFocus))
            SetFocus(nullptr);
        if (WND* w2 = WndPeek(hWnd)) {
            WndCall(w2, WM_ENABLE, FALSE, 0);
            InvalidateRect(hWnd, nullptr, TRUE);
        }
    }
    return bWasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd)
{
    WND* w = WndGet(hWnd);
    return w && !(w->dwStyle & WS_DISABLED);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    BOOL bWas = (w->dwStyle & WS_VISIBLE) != 0;
    BOOL bShow = nCmdShow != SW_HIDE;
    if (bShow == bWas)
        return bWas;
    WndCall(w, WM_SHOWWINDOW, bShow, 0);
    w = WndPeek(hWnd);
    if (!w)
        return bWas;
    if (bShow) {
        w->dwStyle |= WS_VISIBLE;
        InvalidateRect(hWnd, nullptr, TRUE);
        if (!(w->dwStyle & WS_CHILD) && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE)
            SetActiveWindow(hWnd);
    } else {
        w->dwStyle &= ~WS_VISIBLE;
        if (g_hwndFocus == hWnd || IsChild(hWnd, g_hwndFocus))
            SetFocus(nullptr);
        // What was under it shows again.
        if ((w->dwStyle & WS_CHILD) && w->hwndParent) {
            RECT rc = w->rcWindow;
            InvalidateRect(w->hwndParent, &rc, TRUE);
        }
    }
    return bWas;
}

BOOL IsWindowVisible(HWND hWnd)
{
    WND* w = WndGet(hWnd);
    return w && WndReallyVisible(w);
}

HWND SetFocus(HWND hWnd)
{
    if (hWnd) {
        WND* w = WndGet(hWnd);
        if (!w)
            return nullptr;
        if (w->dwStyle & WS_DISABLED)
            return nullptr;
        // Focusing a window activates its top-level window.
        WND* t = WndTop(w);
        if (t && g_hwndActive != t->hwnd)
            SetActiveWindow(t->hwnd);
    }
    HWND hOld = g_hwndFocus;
    if (hOld == hWnd)
        return hOld;
    g_hwndFocus = hWnd;
    SendFocusChange(hOld, hWnd);
    return hOld;
}

HWND GetFocus()
{
    return WndPeek(g_hwndFocus) ? g_hwndFocus : nullptr;
}

HWND SetActiveWindow(HWND hWnd)
{
    WND* w = hWnd ? WndGet(hWnd) : nullptr;
    if (hWnd && !w)
        return nullptr;
    if (w)
        w = WndTop(w);
    HWND hOld = g_hwndActive;
    HWND hNew = w ? w->hwnd : nullptr;
    if (hOld == hNew)
        return hOld;
    g_hwndActive = hNew;
    // Their captions show which one is active.
    if (WND* o = WndPeek(hOld))
        o->bFrameDirty = TRUE;
    if (WND* n = WndPeek(hNew))
        n->bFrameDirty = TRUE;
    if (WND* o = WndPeek(hOld))
        WndCall(o, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hNew));
    if (WND* n = WndPeek(hNew))
        WndCall(n, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(hOld));
    return hOld;
}

HWND GetActiveWindow()
{
    return WndPeek(g_hwndActive) ? g_hwndActive : nullptr;
}

BOOL SetForegroundWindow(HWND hWnd)
{
    return SetActiveWindow(hWnd) != nullptr || g_hwndActive == hWnd;
}

HWND GetForegroundWindow()
{
    return GetActiveWindow();
}

HWND SetCapture(HWND hWnd)
{
    HWND hOld = g_hwndCapture;
    if (hWnd && !WndGet(hWnd))
        return nullptr;
    g_hwndCapture = hWnd;
    if (hOld && hOld != hWnd)
        if (WND* o = WndPeek(hOld))
            WndCall(o, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    return hOld;
}

HWND GetCapture()
{
    return WndPeek(g_hwndCapture) ? g_hwndCapture : nullptr;
}

BOOL ReleaseCapture()
{
    HWND hOld = g_hwndCapture;
    g_hwndCapture = nullptr;
    if (WND* o = WndPeek(hOld))
        WndCall(o, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}


// --- geometry --------------------------------------------------------------------------------

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpRect)
        return FALSE;
    if (!(w->dwStyle & WS_CHILD)) {
        *lpRect = w->rcWindow;
        return TRUE;
    }
    WND* p = WndPeek(w->hwndParent);
    POINT o = p ? WndClientOriginOnScreen(p) : POINT{0, 0};
    *lpRect = w->rcWindow;
    OffsetRect(lpRect, o.x, o.y);
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpRect)
        return FALSE;
    RECT rc = WndClientInWindow(w);
    *lpRect = {0, 0, rc.right - rc.left, rc.bottom - rc.top};
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    POINT o = WndClientOriginOnScreen(w);
    lpPoint->x -= o.x;
    lpPoint->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint)
{
    WND* w = WndGet(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    POINT o = WndClientOriginOnScreen(w);
    lpPoint->x += o.x;
    lpPoint->y += o.y;
    return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints)
{
    POINT a = {0, 0}, b = {0, 0};
    if (hWndFrom) {
        WND* w = WndGet(hWndFrom);
        if (!w)
            return 0;
        a = WndClientOriginOnScreen(w);
    }
    if (hWndTo) {
        WND* w = WndGet(hWndTo);
        if (!w)
            return 0;
        b = WndClientOriginOnScreen(w);
    }
    LONG dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<SHORT>(dx), static_cast<SHORT>(dy));
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    RECT old = w->rcWindow;
    RECT rc = old;
    if (!(uFlags & SWP_NOMOVE))
        OffsetRect(&rc, X - rc.left, Y - rc.top);
    if (!(uFlags & SWP_NOSIZE)) {
        rc.right = rc.left + std::max(0, cx);
        rc.bottom = rc.top + std::max(0, cy);
    }
    if (!(uFlags & SWP_NOZORDER) && (w->dwStyle & WS_CHILD) && WndPeek(w->hwndParent)) {
        auto& v = WndPeek(w->hwndParent)->aChildren;
        v.erase(std::remove(v.begin(), v.end(), hWnd), v.end());
        if (hWndInsertAfter == HWND_TOP || hWndInsertAfter == HWND_TOPMOST)
            v.insert(v.begin(), hWnd);
        else if (hWndInsertAfter == HWND_BOTTOM)
            v.push_back(hWnd);
        else {
            auto it = std::find(v.begin(), v.end(), hWndInsertAfter);
            v.insert(it == v.end() ? v.end() : it + 1, hWnd);
        }
    }
    BOOL bSized = rc.right - rc.left != old.right - old.left || rc.bottom - rc.top != old.bottom - old.top;
    BOOL bMoved = rc.left != old.left || rc.top != old.top;
    if (bMoved || bSized) {
        if ((w->dwStyle & WS_CHILD) && w->hwndParent)
            InvalidateRect(w->hwndParent, &old, TRUE);
        w->rcWindow = rc;
        if (!(w->dwStyle & WS_CHILD) && bSized) {
            if (w->hbmSurface)
                DeleteObject(w->hbmSurface);
            w->hbmSurface = CreateBitmap(std::max<LONG>(1, rc.right - rc.left),
                                         std::max<LONG>(1, rc.bottom - rc.top), 1, 32, nullptr);
        }
        if (bMoved) {
            RECT rp = rc;
            WndCall(w, WM_MOVE, 0, MAKELPARAM(rp.left, rp.top));
        }
        if (bSized && WndPeek(hWnd)) {
            RECT rcc;
            GetClientRect(hWnd, &rcc);
            WndCall(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rcc.right, rcc.bottom));
        }
        if (WndPeek(hWnd))
            InvalidateRect(hWnd, nullptr, TRUE);
    }
    if (uFlags & SWP_SHOWWINDOW)
        ShowWindow(hWnd, SW_SHOWNA);
    if (uFlags & SWP_HIDEWINDOW)
        ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint)
{
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // extern "C"

// The deepest visible window under a screen point inside w.
HWND WndHitChild(WND* w, POINT ptScreen)
{
    std::vector<HWND> kids = w->aChildren;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
        WND* c = WndPeek(*it);
        if (!c || !(c->dwStyle & WS_VISIBLE))
            continue;
        RECT rc;
        GetWindowRect(*it, &rc);
        if (PtInRect(&rc, ptScreen)) {
            // A group box is see-through for the mouse.
            if (c->pCls->strName == u"Button" && (c->dwStyle & BS_TYPEMASK) == BS_GROUPBOX)
                continue;
            return WndHitChild(c, ptScreen);
        }
    }
    return w->hwnd;
}

extern "C" {

HWND WindowFromPoint(POINT Point)
{
    std::vector<HWND> tops = WndTopLevels();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        WND* t = WndPeek(*it);
        if (!t || !(t->dwStyle & WS_VISIBLE))
            continue;
        if (PtInRect(&t->rcWindow, Point))
            return WndHitChild(t, Point);
    }
    return nullptr;
}

HWND ChildWindowFromPoint(HWND hWndParent, POINT Point)
{
    WND* w = WndGet(hWndParent);
    if (!w)
        return nullptr;
    POINT s = Point;
    ClientToScreen(hWndParent, &s);
    for (HWND k : w->aChildren) {
        RECT rc;
        GetWindowRect(k, &rc);
        if (PtInRect(&rc, s))
            return k;
    }
    RECT rc;
    GetClientRect(hWndParent, &rc);
    return PtInRect(&rc, Point) ? hWndParent : nullptr;
}

BOOL GetCursorPos(LPPOINT lpPoint)
{
    if (!lpPoint)
        return FALSE;
    *lpPoint = g_ptCursor;
    return TRUE;
}

BOOL SetCursorPos(int X, int Y)
{
    g_ptCursor = {X, Y};
    return TRUE;
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    HCURSOR h = g_hCursor;
    g_hCursor = hCursor;
    return h;
}

HCURSOR GetCursor()
{
    return g_hCursor;
}

int ShowCursor(BOOL bShow)
{
    static int s_count = 0;
    return bShow ? ++s_count : --s_count;
}

int GetSystemMetrics(int nIndex)
{
    switch (nIndex) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CXVSCROLL: case SM_CYHSCROLL: return 16;
    case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: return 32;
    case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXFULLSCREEN: return 1024;
    case SM_CYFULLSCREEN: return 749;
    case SM_CYSMCAPTION: return 15;
    }
    return 0;
}

BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle)
{
    if (!lpRect)
        return FALSE;
    WND probe = {};
    probe.dwStyle = dwStyle;
    probe.dwExStyle = dwExStyle;
    int l, t, r, b;
    FrameOf(&probe, &l, &t, &r, &b);
    lpRect->left -= l;
    lpRect->top -= t + (bMenu ? 19 : 0);
    lpRect->right += r;
    lpRect->bottom += b;
    return TRUE;
}

// --- rectangles ------------------------------------------------------------------------------

BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom)
{
    if (!lprc)
        return FALSE;
    *lprc = {xLeft, yTop, xRight, yBottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT lprc)
{
    return SetRect(lprc, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc)
{
    if (!lprcDst || !lprcSrc)
        return FALSE;
    *lprcDst = *lprcSrc;
    return TRUE;
}

BOOL InflateRect(LPRECT lprc, int dx, int dy)
{
    if (!lprc)
        return FALSE;
    lprc->left -= dx;
    lprc->right += dx;
    lprc->top -= dy;
    lprc->bottom += dy;
    return TRUE;
}

BOOL OffsetRect(LPRECT lprc, int dx, int dy)
{
    if (!lprc)
        return FALSE;
    lprc->left += dx;
    lprc->right += dx;
    lprc->top += dy;
    lprc->bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* lprc)
{
    return !lprc || lprc->left >= lprc->right || lprc->top >= lprc->bottom;
}

BOOL IntersectRect(LPRECT lprcDst, const RECT* a, const RECT* b)
{
    if (!lprcDst || !a || !b)
        return FALSE;
    RECT r = {std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
              std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *lprcDst = {0, 0, 0, 0};
        return FALSE;
    }
    *lprcDst = r;
    return TRUE;
}

BOOL UnionRect(LPRECT lprcDst, const RECT* a, const RECT* b)
{
    if (!lprcDst || !a || !b)
        return FALSE;
    if (IsRectEmpty(a)) {
        *lprcDst = *b;
        return !IsRectEmpty(b);
    }
    if (IsRectEmpty(b)) {
        *lprcDst = *a;
        return TRUE;
    }
    *lprcDst = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL SubtractRect(LPRECT lprcDst, const RECT* a, const RECT* b)
{
    if (!lprcDst || !a || !b)
        return FALSE;
    RECT r = *a;
    RECT i;
    if (IntersectRect(&i, a, b)) {
        // Only a band that covers a whole side can be taken off.
        if (i.top == a->top && i.bottom == a->bottom) {
            if (i.left == a->left)
                r.left = i.right;
            else if (i.right == a->right)
                r.right = i.left;
        } else if (i.left == a->left && i.right == a->right) {
            if (i.top == a->top)
                r.top = i.bottom;
            else if (i.bottom == a->bottom)
                r.bottom = i.top;
        }
    }
    *lprcDst = r;
    return !IsRectEmpty(&r);
}

BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* lprc, POINT pt)
{
    return lprc && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom;
}

// --- update regions --------------------------------------------------------------------------

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase)
{
    if (!hWnd) {
        for (HWND h : WndTopLevels())
            InvalidateRect(h, nullptr, bErase);
        return TRUE;
    }
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    RECT rcc;
    GetClientRect(hWnd, &rcc);
    RECT r = rcc;
    if (lpRect && !IntersectRect(&r, lpRect, &rcc))
        return TRUE;
    if (w->bUpdate)
        UnionRect(&w->rcUpdate, &w->rcUpdate, &r);
    else
        w->rcUpdate = r;
    w->bUpdate = TRUE;
    w->bErase = w->bErase || bErase;
    // Children under the update rectangle show through and paint again as
    // well. The update rectangle is the union of every rectangle asked for
    // since the last paint, and the parent's erasing and painting cover all
    // of it: a child lying between two small rectangles is covered too.
    for (HWND k : w->aChildren) {
        WND* c = WndPeek(k);
        if (!c)
            continue;
        RECT ri;
        if (IntersectRect(&ri, &w->rcUpdate, &c->rcWindow))
            InvalidateRect(k, nullptr, bErase);
    }
    return TRUE;
}

BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase)
{
    RECT rc;
    if (hRgn && GetRgnBox(hRgn, &rc) != ERROR)
        return InvalidateRect(hWnd, &rc, bErase);
    return InvalidateRect(hWnd, nullptr, bErase);
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    if (!lpRect) {
        w->bUpdate = FALSE;
        w->bErase = FALSE;
        return TRUE;
    }
    RECT r;
    SubtractRect(&r, &w->rcUpdate, lpRect);
    if (IsRectEmpty(&r)) {
        w->bUpdate = FALSE;
        w->bErase = FALSE;
    } else {
        w->rcUpdate = r;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    if (lpRect)
        *lpRect = w->bUpdate ? w->rcUpdate : RECT{0, 0, 0, 0};
    return w->bUpdate;
}

BOOL UpdateWindow(HWND hWnd)
{
    WND* w = WndGet(hWnd);
    if (!w)
        return FALSE;
    if (w->bUpdate && WndReallyVisible(w))
        WndCall(w, WM_PAINT, 0, 0);
    std::vector<HWND> kids = w->aChildren;
    for (HWND k : kids)
        if (WndPeek(k))
            UpdateWindow(k);
    return TRUE;
}

BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags)
{
    if (flags & RDW_INVALIDATE) {
        if (hrgnUpdate)
            InvalidateRgn(hWnd, hrgnUpdate, (flags & RDW_ERASE) != 0);
        else
            InvalidateRect(hWnd, lprcUpdate, (flags & RDW_ERASE) != 0);
    }
    if (flags & RDW_VALIDATE)
        ValidateRect(hWnd, lprcUpdate);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        UpdateWindow(hWnd);
    return hWnd ? IsWindow(hWnd) : TRUE;
}

// --- beeps -----------------------------------------------------------------------------------

BOOL MessageBeep(UINT uType)
{
    g_beeps.push_back(uType);
    return TRUE;
}

int PlatBeepCount()
{
    return static_cast<int>(g_beeps.size());
}

UINT PlatBeepGet(int i)
{
    return i >= 0 && i < static_cast<int>(g_beeps.size()) ? g_beeps[static_cast<size_t>(i)]
                                                          : static_cast<UINT>(-1);
}

void PlatBeepReset()
{
    g_beeps.clear();
}

}  // extern "C"

// --- input from devices (input.cpp) ----------------------------------------------------------

void WndPostInput(const MSG& m)
{
    // Moves of the mouse over one window are one move: the last position.
    if (m.message == WM_MOUSEMOVE && !g_queue.empty() && g_queue.back().message == WM_MOUSEMOVE &&
        g_queue.back().hwnd == m.hwnd) {
        g_queue.back() = m;
        return;
    }
    g_queue.push_back(m);
}

void WndPostFront(const MSG& m)
{
    g_queue.push_front(m);
}

BOOL WndQueueEmpty()
{
    return g_queue.empty();
}
