// prsht.h: property sheets.
//
// Owns: PROPSHEETPAGEW and PROPSHEETHEADERW, the page handles of
// CreatePropertySheetPageW, PropertySheetW, the PSN_ notifications and the
// PSM_ messages (propsheet.cpp).
//
// Rules the callers rely on:
//  1. A page's dialog is created the first time the page is shown, never
//     before; its WM_INITDIALOG gets the sheet's own copy of the page's
//     PROPSHEETPAGEW, whose lParam is the caller's unchanged.
//  2. Leaving a page sends it PSN_KILLACTIVE; a TRUE result (the page's
//     DWL_MSGRESULT) keeps it. The page shown next gets PSN_SETACTIVE.
//  3. OK and Apply first ask the current page (PSN_KILLACTIVE), then send
//     PSN_APPLY to every page created so far, in page order; a page that
//     answers PSNRET_INVALID or PSNRET_INVALID_NOCHANGEPAGE stops the
//     round and the sheet stays open (the invalid page is shown).
//  4. Cancel sends PSN_QUERYCANCEL to the current page (TRUE keeps the
//     sheet open), then PSN_RESET to every page created so far.
//  5. PSM_CHANGED from a page enables Apply; PSM_UNCHANGED from every
//     page that changed, or a successful Apply, disables it again.
//  6. The sheet is a dialog with a tab control, the pages and the buttons
//     OK, Cancel, Apply (unless PSH_NOAPPLYNOW) and Help (when the sheet or
//     the current page asks for help); every window paints itself, so the
//     sheet can be rendered to a picture as it looks.
#pragma once

#include "platform/windef.h"
#include "platform/user/winuser.h"

// A page created by CreatePropertySheetPageW.
Q730_DECLARE_HANDLE(HPROPSHEETPAGE);

typedef UINT(CALLBACK* LPFNPSPCALLBACKW)(HWND hwnd, UINT uMsg, struct PROPSHEETPAGEW* ppsp);
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam);

// PROPSHEETPAGEW.dwFlags
#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080
#define PSP_PREMATURE 0x00000400
#define PSP_HIDEHEADER 0x00000800
#define PSP_USEHEADERTITLE 0x00001000
#define PSP_USEHEADERSUBTITLE 0x00002000

// Page callback messages.
#define PSPCB_ADDREF 0
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

// PROPSHEETHEADERW.dwFlags
#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARDHASFINISH 0x00000010
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400
#define PSH_RTLREADING 0x00000800
#define PSH_NOCONTEXTHELP 0x02000000

// Sheet callback messages.
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

// Notifications to pages (WM_NOTIFY, a PSHNOTIFY).
#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_WIZBACK (PSN_FIRST - 6)
#define PSN_WIZNEXT (PSN_FIRST - 7)
#define PSN_WIZFINISH (PSN_FIRST - 8)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

// PSN_APPLY answers.
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

// Messages to the sheet.
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_RESTARTWINDOWS (WM_USER + 105)
#define PSM_REBOOTSYSTEM (WM_USER + 106)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETCURSELID (WM_USER + 114)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_ISDIALOGMESSAGE (WM_USER + 117)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_SETTITLEW (WM_USER + 120)
#define PSM_HWNDTOINDEX (WM_USER + 129)
#define PSM_INDEXTOHWND (WM_USER + 130)
#define PSM_PAGETOINDEX (WM_USER + 131)
#define PSM_INDEXTOPAGE (WM_USER + 132)
#define PSM_GETRESULT (WM_USER + 135)

// PSM_PRESSBUTTON buttons.
#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

// PropertySheetW answers besides -1 (failure) and IDOK/IDCANCEL style
// results: 0 when nothing was applied, 1 when something was.
#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

// Control ids inside the sheet.
#ifndef IDHELP
#define IDHELP 9
#endif
#define IDC_PSTABCONTROL 0x3020
#define IDC_PSAPPLYNOW 0x3021

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// A page.
//  off size field
//    0    4 dwSize            4 4 dwFlags
//    8    4 hInstance        12 4 pszTemplate / pResource
//   16    4 hIcon / pszIcon  20 4 pszTitle
//   24    4 pfnDlgProc       28 4 lParam
//   32    4 pfnCallback      36 4 pcRefParent
//   40    4 pszHeaderTitle   44 4 pszHeaderSubTitle
// (The offsets are those of the i386 build; in the native build each
// handle and pointer takes 8 bytes, naturally aligned, and the record 88.)
// Older callers pass
// PROPSHEETPAGEW_V1_SIZE bytes (up to pcRefParent: 40 in the i386 build, 72
// in the native one); the fields past a caller's dwSize are never read. A
// caller may pass more than sizeof(PROPSHEETPAGEW) bytes (its own data after
// the record); the sheet keeps all of them.
struct PROPSHEETPAGEW {
    DWORD dwSize;                  // 40..
    DWORD dwFlags;                 // PSP_*
    HINSTANCE hInstance;           // module holding the template
    union {
        LPCWSTR pszTemplate;       // template id or name
        LPCDLGTEMPLATEW pResource; // PSP_DLGINDIRECT
    };
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszTitle;              // PSP_USETITLE: tab text (id or string)
    DLGPROC pfnDlgProc;            // the page's dialog procedure
    LPARAM lParam;                 // handed to the page unchanged
    LPFNPSPCALLBACKW pfnCallback;  // PSP_USECALLBACK
    UINT* pcRefParent;             // PSP_USEREFPARENT
    LPCWSTR pszHeaderTitle;        // wizard headers (unused)
    LPCWSTR pszHeaderSubTitle;     //
};
typedef PROPSHEETPAGEW* LPPROPSHEETPAGEW;
typedef const PROPSHEETPAGEW* LPCPROPSHEETPAGEW;
static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETPAGEW) == 48);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETPAGEW, pszTemplate) == 12);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETPAGEW, pszTitle) == 20);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETPAGEW, pfnDlgProc) == 24);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETPAGEW, lParam) == 28);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETPAGEW, pcRefParent) == 36);
// The size of the record up to pcRefParent, as an older caller fills it
// in: pointer-sized fields make it 40 bytes in the i386 build, 72 in the
// native one.
#define PROPSHEETPAGEW_V1_SIZE ((DWORD)(offsetof(PROPSHEETPAGEW, pcRefParent) + sizeof(UINT*)))
static_assert(sizeof(void*) != 4 || PROPSHEETPAGEW_V1_SIZE == 40);
static_assert(PROPSHEETPAGEW_V1_SIZE == 8 + 8 * sizeof(void*));

// A sheet (offsets of the i386 build; 72 bytes in the native one).
//  off size field
//    0    4 dwSize            4 4 dwFlags
//    8    4 hwndParent       12 4 hInstance
//   16    4 hIcon / pszIcon  20 4 pszCaption
//   24    4 nPages           28 4 nStartPage / pStartPage
//   32    4 ppsp / phpage    36 4 pfnCallback
struct PROPSHEETHEADERW {
    DWORD dwSize;                    // 40 or more
    DWORD dwFlags;                   // PSH_*
    HWND hwndParent;                 // owner
    HINSTANCE hInstance;             // module of string ids
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszCaption;              // title (PSH_PROPTITLE: "<caption> Properties")
    UINT nPages;                     //
    union {
        UINT nStartPage;             // first page shown
        LPCWSTR pStartPage;          // PSH_USEPSTARTPAGE: by title
    };
    union {
        LPCPROPSHEETPAGEW ppsp;      // PSH_PROPSHEETPAGE: nPages records
        HPROPSHEETPAGE* phpage;      // else nPages handles
    };
    PFNPROPSHEETCALLBACK pfnCallback;// PSH_USECALLBACK
};
typedef PROPSHEETHEADERW* LPPROPSHEETHEADERW;
typedef const PROPSHEETHEADERW* LPCPROPSHEETHEADERW;
static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETHEADERW) == 40);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETHEADERW, nPages) == 24);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETHEADERW, phpage) == 32);
// The size of the header up to pfnCallback: 40 bytes in the i386 build,
// 72 in the native one.
#define PROPSHEETHEADERW_V1_SIZE ((DWORD)(offsetof(PROPSHEETHEADERW, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK)))
static_assert(sizeof(void*) != 4 || PROPSHEETHEADERW_V1_SIZE == 40);

// The record of a sheet's notification to a page.
struct PSHNOTIFY {
    NMHDR hdr;       // hwndFrom = the sheet, idFrom 0
    LPARAM lParam;   // PSN_APPLY: TRUE when OK closes the sheet
};
typedef PSHNOTIFY* LPPSHNOTIFY;
static_assert(sizeof(void*) != 4 || sizeof(PSHNOTIFY) == 16);

Q730_API_PACK_END

#define PropSheet_Changed(hDlg, hwnd) SendMessageW(hDlg, PSM_CHANGED, (WPARAM)(hwnd), 0)
#define PropSheet_UnChanged(hDlg, hwnd) SendMessageW(hDlg, PSM_UNCHANGED, (WPARAM)(hwnd), 0)
#define PropSheet_SetCurSel(hDlg, hpage, index) \
    SendMessageW(hDlg, PSM_SETCURSEL, (WPARAM)(index), (LPARAM)(hpage))
#define PropSheet_PressButton(hDlg, iButton) SendMessageW(hDlg, PSM_PRESSBUTTON, (WPARAM)(iButton), 0)
#define PropSheet_GetCurrentPageHwnd(hDlg) ((HWND)SendMessageW(hDlg, PSM_GETCURRENTPAGEHWND, 0, 0))
#define PropSheet_GetTabControl(hDlg) ((HWND)SendMessageW(hDlg, PSM_GETTABCONTROL, 0, 0))

extern "C" {

// A page from its description (copied, including any caller data past
// sizeof(PROPSHEETPAGEW)). Null with ERROR_INVALID_PARAMETER for a size
// below PROPSHEETPAGEW_V1_SIZE or no template; the template is not looked
// at until the page is shown.
HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW lppsp);

// Frees a page that was never given to a sheet (a sheet frees its own).
BOOL DestroyPropertySheetPage(HPROPSHEETPAGE hPage);

// Runs the sheet as a modal loop (or, with PSH_MODELESS, creates it and
// answers its window). Answers 1 when a change was applied (OK or Apply),
// 0 when none was (Cancel, closed), -1 when the sheet could not be made
// (no pages, a bad header, the first page's template missing); the
// sheet's pages are freed in every case.
INT_PTR PropertySheetW(LPCPROPSHEETHEADERW lppsh);

}  // extern "C"
