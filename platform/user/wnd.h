// wnd.h: the window manager's records, shared by the files of platform/user
// (inside platform/user only).
//
// Owns: the window class and window records, the handle table and the
// helpers the dialog manager, the controls and painting share.
//
// Rules:
//  1. WndGet answers the record of a live window, or null (with
//     ERROR_INVALID_WINDOW_HANDLE set). A record stays in memory while a
//     call into its procedure is running, even when the window is
//     destroyed from inside that call; it is freed when the last call
//     returns.
//  2. A window's rectangle is kept in its parent's client coordinates (a
//     top-level window's in screen coordinates). The client area is the
//     window rectangle less the frame its styles draw.
//  3. Children are kept in creation order, which is also the tab order and
//     the painting order (later children paint over earlier ones).
#pragma once

#include "platform/user/winuser.h"

#include <map>
#include <string>
#include <vector>

// The list of a combo box tells the combo box that the user picked item
// wParam (lParam 1: by a key, the list stays as it is).
#define WM_PLAT_LISTPICK (WM_USER + 0x7F01)

struct WNDCLS {
    std::u16string strName;     // class name as registered
    ATOM atom;
    WNDCLASSEXW wc;             // as registered (names not kept there)
    BOOL bSystem;               // a platform class: any instance finds it
    int cWindows;               // live windows of the class
};

struct WND {
    HWND hwnd;
    WNDCLS* pCls;
    WNDPROC pfnProc;            // current procedure (subclassing replaces it)
    HWND hwndParent;            // parent (child windows) or null
    HWND hwndOwner;             // owner (top-level windows) or null
    std::vector<HWND> aChildren;  // creation order
    DWORD dwStyle;
    DWORD dwExStyle;
    UINT_PTR id;                // control id (child windows)
    HINSTANCE hInstance;
    std::u16string strText;
    RECT rcWindow;              // rule 2
    std::vector<BYTE> aExtra;   // cbWndExtra bytes (a dialog's DWLP_* longs)
    LONG_PTR lUserData;         // GWL_USERDATA
    std::map<std::u16string, HANDLE> props;
    HFONT hFont;                // WM_SETFONT's font (controls and dialogs)
    // update region, as a bounding rectangle in client coordinates
    BOOL bUpdate;
    BOOL bErase;
    RECT rcUpdate;
    // life
    BOOL bCreated;              // WM_NCCREATE / WM_CREATE answered
    BOOL bDestroying;           // WM_DESTROY sent
    BOOL bDead;                 // the handle is dead
    int cCalls;                 // procedure calls running on this record
    // top-level windows: the surface every window DC of the tree draws on
    HBITMAP hbmSurface;
    BOOL bFrameDirty;           // the caption and frame are to be painted again
    BOOL bSurfaceDirty;         // drawn on since the desktop last showed it
    RECT rcSurfaceDirty;        // what was drawn on, in surface pixels
    // dialogs
    BOOL bDialog;
    int idTemplate;             // resource number of its template, 0 if none
    BOOL bModal;                // in a modal loop
    BOOL bEnded;                // EndDialog called
    INT_PTR nResult;            // EndDialog's result
    HWND hwndFocusSaved;        // focus to give back when the dialog is active again
    // the control family's own state
    void* pCtl;
};

// Rule 1.
WND* WndGet(HWND hwnd);
// The same without touching the last error.
WND* WndPeek(HWND hwnd);
// The top-level window of a window (itself for a top-level one).
WND* WndTop(WND* w);
// The client rectangle in window coordinates (rule 2).
RECT WndClientInWindow(const WND* w);
// The top left of the client area in the top-level window's surface.
POINT WndClientOriginInSurface(const WND* w);
// The client origin in screen coordinates.
POINT WndClientOriginOnScreen(const WND* w);
// Visible and every ancestor visible.
BOOL WndReallyVisible(const WND* w);
// All top-level windows in creation order.
std::vector<HWND> WndTopLevels();
// The window's procedure with the call guard of rule 1.
LRESULT WndCall(WND* w, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends WM_COMMAND (code, id, hwnd) to a control's parent.
void WndNotifyParent(HWND hwnd, UINT uCode);
// The font a control draws with (its WM_SETFONT font, or the dialog font).
HFONT WndFont(const WND* w);

// Painting (paint.cpp): a DC over the client area (bClient) or the whole
// window, clipped to it and to prcClip (client coordinates) when given.
HDC PaintMakeDC(WND* w, BOOL bClient, const RECT* prcClip);
void PaintFreeDC(HDC hdc);
// Paints every window with an update region, parents before children.
void PaintAllPending();
// Fills the background of a control with what its parent answers to
// WM_CTLCOLOR*; answers the brush and sets the DC's colours.
HBRUSH PaintCtlColor(HWND hwnd, HDC hdc, UINT uMsg);

// Dialog manager (dialog.cpp): the font and its base units.
void DlgBaseUnits(int* pcx, int* pcy);
// Keyboard handling every dialog applies (Enter, Escape, Tab, arrows).
// The control asks first (WM_GETDLGCODE with the key's message, pMsg or a
// WM_KEYDOWN made for it).
BOOL DlgHandleKey(HWND hDlg, HWND hwndFrom, UINT vk, const MSG* pMsg = nullptr);
// A mnemonic pressed in a dialog (Alt+letter, or the letter alone where the
// focused control takes no characters): the control whose text marks it
// acts. FALSE when no control of the dialog has it.
BOOL DlgMnemonic(HWND hDlg, HWND hwndFrom, WCHAR ch);
// The focus moved to hNew: the default push button's look follows it.
void DlgFocusMoved(HWND hNew);

// Control families register their classes at load.
void ButtonRegister();
void StaticRegister();
void EditRegister();
void ComboRegister();
void ListBoxRegister();
void ScrollBarRegister();
void DialogRegister();

// The scripted user notes a modal loop it left open (script.cpp).
void PlatScriptNoteUnended(HWND hwnd);
// Forgets the menu choices queued for TrackPopupMenu (menu.cpp).
void MenuForgetChoices();
// What the last pop-up menu made of the scripted user's choice (menu.cpp).
#define MENU_CHOSEN 0     // the queued item was chosen
#define MENU_NOCHOICE 1   // nothing was queued: the menu was dismissed
#define MENU_DISMISSED 2  // dismissed as queued (no item)
#define MENU_NOITEM 3     // the queued item is not in the menu
#define MENU_DISABLED 4   // the queued item is disabled
struct MENUOUTCOME {
    int cTracked;                        // menus tracked so far in the process
    int iOutcome;                        // MENU_*
    std::vector<std::u16string> aItems;  // the items a person reads, in order (separators left out)
    std::vector<BOOL> aEnabled;
};
const MENUOUTCOME& MenuLastOutcome();

// The device input (input.cpp) and the queue it feeds (window.cpp).
// The deepest visible window under a screen point inside the top-level w.
HWND WndHitChild(WND* w, POINT ptScreen);
// Posts a message of the input queue (a move of the mouse replaces the
// move queued last for the same window).
void WndPostInput(const MSG& m);
// Puts a message at the head of the queue (the characters of a key).
void WndPostFront(const MSG& m);
BOOL WndQueueEmpty();
// A message taken from the queue: the keys' state follows it (input.cpp).
void InputNoteTaken(const MSG& m);
// The mnemonic of a control's text ('&' followed by it), 0 when none.
WCHAR WndMnemonic(const std::u16string& s);

// The desktop (desktop.cpp): whether the windows are shown on a display;
// showing what was painted, and waiting for input up to a number of
// milliseconds (-1: until some comes). False when the display is gone.
BOOL DesktopLive();
BOOL DesktopWait(int iTimeoutMs);
// Milliseconds of the platform clock until the next timer is due, -1 when
// no timer runs (timer.cpp).
int TimerMsUntilNext();

// Text helpers.
std::u16string WndStripMnemonic(const std::u16string& s);
