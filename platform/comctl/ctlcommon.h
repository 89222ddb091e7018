// ctlcommon.h: what the common controls share. Internal to the library.
//
// Owns: the state-record slot of a control window, WM_NOTIFY to the
// parent, the scripted user's failure text and the mouse gestures a
// control makes on itself for the scripted user, and the registration of
// every class of the library.
#pragma once

#include "platform/comctl/commctrl.h"

#include <string>

// A control keeps its state record in the first extra bytes of its window.
#define CTL_EXTRA_BYTES ((int)sizeof(void*))

template <class T>
T* CtlState(HWND hwnd)
{
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, 0));
}

inline void CtlSetState(HWND hwnd, void* p)
{
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(p));
}

// Sends WM_NOTIFY with code to the parent, filling the head of *phdr.
LRESULT CtlNotify(HWND hwnd, UINT code, NMHDR* phdr);

// Fails a scripted action: the reason goes into pAction->szWhy.
LRESULT CtlScriptFail(PLATSCRIPTACTION* pAction, const char16_t* pszWhy);

// Presses and releases the left button at client point (x, y), as a
// person's click; bDouble adds the second click of a double click.
void CtlClickAt(HWND hwnd, int x, int y, BOOL bDouble = FALSE);

// A key pressed and released.
void CtlPressKey(HWND hwnd, UINT vk);

// The font a control draws with: the one set by WM_SETFONT, else the
// dialog font.
HFONT CtlFont(HFONT hSet);

// TRUE for a live page handle of CreatePropertySheetPageW.
BOOL PspIsPage(HPROPSHEETPAGE hPage);

// Registers each class once (at library load; again after a class was
// unregistered is harmless).
void UpDownRegister();
void TrackBarRegister();
void TabRegister();
void ListViewRegister();
