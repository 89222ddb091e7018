// resload.h: bitmaps, icons and cursors loaded from a module's resources.
//
// Owns: LoadBitmapW, LoadIconW, LoadCursorW, the icon record behind HICON
// and HCURSOR (ICONINFO, GetIconInfo, DestroyIcon, DestroyCursor) and the
// platform's own icons and cursors (IDI_*, IDC_*). Leaves to others: finding
// the resource data (platform/kernel/resource.h) and the bitmap objects
// themselves (wingdi.h).
//
// Rules the callers rely on:
//  1. LoadBitmapW gives a new GDI bitmap that the caller deletes with
//     DeleteObject: a 1-bit resource becomes a monochrome bitmap (bit 1 is
//     white), any other one a 24-bit colour bitmap, top row first.
//  2. An icon or cursor from a module is a new object each time; the caller
//     frees it with DestroyIcon / DestroyCursor. Its colour bitmap is the
//     resource; its mask is opaque except where the resource has the key
//     colour RGB(255, 0, 255), and, for a 1-bit cursor, where it is white.
//     A cursor's hot spot is its centre.
//  3. With a null module, LoadIconW and LoadCursorW answer the platform's
//     shared icons and cursors (IDI_*, IDC_*); destroying them does nothing.
//     LoadBitmapW with a null module answers null.
//  4. A missing module, resource or bad handle answers null with the last
//     error set (ERROR_RESOURCE_NAME_NOT_FOUND and friends), never a crash.
#pragma once

#include "platform/windef.h"
#include "platform/gdi/wingdi.h"

// The platform's shared icons and cursors (LoadIconW / LoadCursorW with a
// null module).
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)
#define IDI_HAND MAKEINTRESOURCEW(32513)
#define IDI_QUESTION MAKEINTRESOURCEW(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEW(32515)
#define IDI_ASTERISK MAKEINTRESOURCEW(32516)
#define IDI_WINLOGO MAKEINTRESOURCEW(32517)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK

#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_UPARROW MAKEINTRESOURCEW(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEW(32642)
#define IDC_SIZENESW MAKEINTRESOURCEW(32643)
#define IDC_SIZEWE MAKEINTRESOURCEW(32644)
#define IDC_SIZENS MAKEINTRESOURCEW(32645)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
#define IDC_HELP MAKEINTRESOURCEW(32651)

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// ICONINFO, 20 bytes.
//
//  off size field
//    0    4 fIcon      TRUE for an icon, FALSE for a cursor
//    4    4 xHotspot   hot spot (a cursor's; an icon's centre)
//    8    4 yHotspot
//   12    4 hbmMask    monochrome AND mask (1 = transparent), owned by the caller
//   16    4 hbmColor   colour picture, owned by the caller
struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};
typedef ICONINFO* PICONINFO;

Q730_API_PACK_END

static_assert(sizeof(void*) != 4 || sizeof(ICONINFO) == 20);
static_assert(sizeof(void*) != 4 || offsetof(ICONINFO, hbmMask) == 12);

// Loads bitmap lpBitmapName (a number) of hInstance (rule 1).
HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);

// Loads an icon or cursor (rules 2 and 3).
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);

// Fills piconinfo (out) with new copies of the icon's bitmaps, which the
// caller deletes; FALSE with ERROR_INVALID_HANDLE for a bad handle.
BOOL GetIconInfo(HICON hIcon, PICONINFO piconinfo);

// Frees an icon or cursor; FALSE with ERROR_INVALID_HANDLE for a bad one.
BOOL DestroyIcon(HICON hIcon);
BOOL DestroyCursor(HCURSOR hCursor);

// Number of icons and cursors loaded and not destroyed (for leak checks;
// the shared ones are not counted).
LONG PlatLiveIcons();
