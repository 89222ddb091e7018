// misc.cpp: carets, character classes and the small calls of the window
// system that keep no state of their own beyond a value.
//
// Entry points: CreateCaret, DestroyCaret, ShowCaret, HideCaret,
// SetCaretPos, GetDoubleClickTime, IsCharAlphaNumericW, IsCharAlphaW,
// CharLowerW, CharNextW, CharPrevW.
#include "platform/user/wnd.h"

namespace {

HWND g_hwndCaret = nullptr;
POINT g_ptCaret = {0, 0};

BOOL IsAlpha(WCHAR c)
{
    // ASCII and Latin letters, and the letters of the Japanese scripts.
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||
           (c >= 0x3041 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF21 && c <= 0xFF3A) ||
           (c >= 0xFF41 && c <= 0xFF5A) || (c >= 0xFF66 && c <= 0xFF9F);
}

}  // namespace

extern "C" {

BOOL CreateCaret(HWND hWnd, HBITMAP hBitmap, int nWidth, int nHeight)
{
    if (!WndGet(hWnd))
        return FALSE;
    g_hwndCaret = hWnd;
    return TRUE;
}

BOOL DestroyCaret()
{
    g_hwndCaret = nullptr;
    return TRUE;
}

BOOL ShowCaret(HWND hWnd)
{
    return g_hwndCaret && (!hWnd || hWnd == g_hwndCaret);
}

BOOL HideCaret(HWND hWnd)
{
    return g_hwndCaret && (!hWnd || hWnd == g_hwndCaret);
}

BOOL SetCaretPos(int X, int Y)
{
    g_ptCaret = {X, Y};
    return g_hwndCaret != nullptr;
}

UINT GetDoubleClickTime()
{
    return 500;
}

BOOL IsCharAlphaW(WCHAR ch)
{
    return IsAlpha(ch);
}

BOOL IsCharAlphaNumericW(WCHAR ch)
{
    return IsAlpha(ch) || (ch >= u'0' && ch <= u'9') || (ch >= 0xFF10 && ch <= 0xFF19);
}

LPWSTR CharLowerW(LPWSTR lpsz)
{
    // One character passed in the low word, or a string changed in place.
    if (IS_INTRESOURCE(lpsz)) {
        WCHAR c = static_cast<WCHAR>(reinterpret_cast<ULONG_PTR>(lpsz));
        if (c >= u'A' && c <= u'Z')
            c = static_cast<WCHAR>(c + 32);
        return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c));
    }
    for (LPWSTR p = lpsz; *p; ++p)
        if (*p >= u'A' && *p <= u'Z')
            *p = static_cast<WCHAR>(*p + 32);
    return lpsz;
}

LPWSTR CharNextW(LPCWSTR lpsz)
{
    if (!lpsz || !*lpsz)
        return const_cast<LPWSTR>(lpsz);
    // A surrogate pair is one character.
    if (lpsz[0] >= 0xD800 && lpsz[0] < 0xDC00 && lpsz[1] >= 0xDC00 && lpsz[1] < 0xE000)
        return const_cast<LPWSTR>(lpsz + 2);
    return const_cast<LPWSTR>(lpsz + 1);
}

LPWSTR CharPrevW(LPCWSTR lpszStart, LPCWSTR lpszCurrent)
{
    if (!lpszStart || !lpszCurrent || lpszCurrent <= lpszStart)
        return const_cast<LPWSTR>(lpszStart);
    LPCWSTR p = lpszCurrent - 1;
    if (p > lpszStart && p[0] >= 0xDC00 && p[0] < 0xE000 && p[-1] >= 0xD800 && p[-1] < 0xDC00)
        --p;
    return const_cast<LPWSTR>(p);
}

}  // extern "C"
