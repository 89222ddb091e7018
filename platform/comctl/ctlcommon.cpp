// ctlcommon.cpp: helpers every common control uses, and the library's
// class registration and InitCommonControls.
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

LRESULT CtlNotify(HWND hwnd, UINT code, NMHDR* phdr)
{
    phdr->hwndFrom = hwnd;
    phdr->idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    phdr->code = code;
    HWND hParent = GetParent(hwnd);
    if (!hParent)
        return 0;
    return SendMessageW(hParent, WM_NOTIFY, phdr->idFrom, reinterpret_cast<LPARAM>(phdr));
}

LRESULT CtlScriptFail(PLATSCRIPTACTION* pAction, const char16_t* pszWhy)
{
    lstrcpynW(pAction->szWhy, pszWhy, (int)(sizeof(pAction->szWhy) / sizeof(WCHAR)));
    return PSR_FAILED;
}

void CtlClickAt(HWND hwnd, int x, int y, BOOL bDouble)
{
    LPARAM at = MAKELPARAM(x, y);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
    if (bDouble && IsWindow(hwnd)) {
        SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
    }
}

void CtlPressKey(HWND hwnd, UINT vk)
{
    SendMessageW(hwnd, WM_KEYDOWN, vk, 1);
    if (IsWindow(hwnd))
        SendMessageW(hwnd, WM_KEYUP, vk, (LPARAM)0xC0000001u);
}

HFONT CtlFont(HFONT hSet)
{
    return hSet ? hSet : PlatGetDialogFont();
}

namespace {

void _RegisterAll()
{
    UpDownRegister();
    TrackBarRegister();
    TabRegister();
    ListViewRegister();
}

// The classes exist as soon as the library is loaded, so a dialog template
// can name them without the caller having asked first.
__attribute__((constructor)) void _OnLoad()
{
    _RegisterAll();
}

}  // namespace

void InitCommonControls()
{
    _RegisterAll();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce)
{
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    _RegisterAll();
    return TRUE;
}
