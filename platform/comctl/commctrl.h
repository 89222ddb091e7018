// commctrl.h: the common controls of the platform (COMCTL32).
//
// Owns: the list view (listview.cpp), image lists (imagelist.cpp), the
// up-down control (updown.cpp), the track bar (trackbar.cpp) and the tab
// control (tab.cpp): their class names, styles, messages, notifications and
// records. Property sheets are declared in prsht.h, the printer-UI sheet
// host in compstui.h; both are included here.
//
// Each control is a window class of its own, built on the public window
// manager calls only: it keeps its state in a record behind GWL_USERDATA
// of its own window, paints itself in WM_PAINT with the classic-look
// primitives, tells its parent through WM_NOTIFY / WM_HSCROLL /
// WM_VSCROLL, and acts for the scripted user (WM_PLAT_SCRIPT) through the
// same mouse and key messages a person causes. The classes are registered
// as system classes when the library loads, so dialog templates may name
// them; InitCommonControls(Ex) is accepted for callers that ask.
#pragma once

#include "platform/windef.h"
#include "platform/user/winuser.h"
#include "platform/comctl/prsht.h"

// ---------------------------------------------------------------------------
// Common
#define WC_LISTVIEWW u"SysListView32"
#define UPDOWN_CLASSW u"msctls_updown32"
#define TRACKBAR_CLASSW u"msctls_trackbar32"
#define WC_TABCONTROLW u"SysTabControl32"

#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TAB_CLASSES 0x00000008
#define ICC_UPDOWN_CLASS 0x00000010
#define ICC_BAR_CLASSES 0x00000004
#define ICC_WIN95_CLASSES 0x000000FF

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
Q730_API_PACK_END
typedef INITCOMMONCONTROLSEX* LPINITCOMMONCONTROLSEX;

#define ODT_LISTVIEW 102

// ---------------------------------------------------------------------------
// Image lists
Q730_DECLARE_HANDLE(HIMAGELIST);

#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLORDDB 0x000000FE
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_MASK 0x00000010
#define ILD_BLEND25 0x00000002
#define ILD_BLEND50 0x00000004
#define ILD_FOCUS ILD_BLEND25
#define ILD_SELECTED ILD_BLEND50

#define CLR_NONE 0xFFFFFFFFL
#define CLR_DEFAULT 0xFF000000L

// ---------------------------------------------------------------------------
// List view
#define LVS_ICON 0x0000
#define LVS_REPORT 0x0001
#define LVS_SMALLICON 0x0002
#define LVS_LIST 0x0003
#define LVS_TYPEMASK 0x0003
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008
#define LVS_SORTASCENDING 0x0010
#define LVS_SORTDESCENDING 0x0020
#define LVS_SHAREIMAGELISTS 0x0040
#define LVS_NOLABELWRAP 0x0080
#define LVS_AUTOARRANGE 0x0100
#define LVS_EDITLABELS 0x0200
#define LVS_OWNERDRAWFIXED 0x0400
#define LVS_ALIGNLEFT 0x0800
#define LVS_OWNERDATA 0x1000
#define LVS_NOSCROLL 0x2000
#define LVS_NOCOLUMNHEADER 0x4000
#define LVS_NOSORTHEADER 0x8000

#define LVS_EX_GRIDLINES 0x00000001
#define LVS_EX_FULLROWSELECT 0x00000020

#define LVM_FIRST 0x1000
#define LVM_GETBKCOLOR (LVM_FIRST + 0)
#define LVM_SETBKCOLOR (LVM_FIRST + 1)
#define LVM_GETIMAGELIST (LVM_FIRST + 2)
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_REDRAWITEMS (LVM_FIRST + 21)
#define LVM_DELETECOLUMN (LVM_FIRST + 28)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_GETTEXTCOLOR (LVM_FIRST + 35)
#define LVM_SETTEXTCOLOR (LVM_FIRST + 36)
#define LVM_GETTEXTBKCOLOR (LVM_FIRST + 37)
#define LVM_SETTEXTBKCOLOR (LVM_FIRST + 38)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_GETCOUNTPERPAGE (LVM_FIRST + 40)
#define LVM_UPDATE (LVM_FIRST + 42)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_SORTITEMS (LVM_FIRST + 48)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#define LVM_GETSUBITEMRECT (LVM_FIRST + 56)
#define LVM_SUBITEMHITTEST (LVM_FIRST + 57)
#define LVM_GETSELECTIONMARK (LVM_FIRST + 66)
#define LVM_SETSELECTIONMARK (LVM_FIRST + 67)
#define LVM_GETITEMW (LVM_FIRST + 75)
#define LVM_SETITEMW (LVM_FIRST + 76)
#define LVM_INSERTITEMW (LVM_FIRST + 77)
#define LVM_FINDITEMW (LVM_FIRST + 83)
#define LVM_GETCOLUMNW (LVM_FIRST + 95)
#define LVM_SETCOLUMNW (LVM_FIRST + 96)
#define LVM_INSERTCOLUMNW (LVM_FIRST + 97)
#define LVM_GETITEMTEXTW (LVM_FIRST + 115)
#define LVM_SETITEMTEXTW (LVM_FIRST + 116)

#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2

#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008
#define LVIF_INDENT 0x0010

#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
#define LVIS_CUT 0x0004
#define LVIS_DROPHILITED 0x0008
#define LVIS_OVERLAYMASK 0x0F00
#define LVIS_STATEIMAGEMASK 0xF000

#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002
#define LVNI_ABOVE 0x0100
#define LVNI_BELOW 0x0200

#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVIR_SELECTBOUNDS 3

#define LVHT_NOWHERE 0x0001
#define LVHT_ONITEMICON 0x0002
#define LVHT_ONITEMLABEL 0x0004
#define LVHT_ONITEMSTATEICON 0x0008
#define LVHT_ONITEM (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)

#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008

#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVCFMT_JUSTIFYMASK 0x0003

#define LVFI_PARAM 0x0001
#define LVFI_STRING 0x0002
#define LVFI_PARTIAL 0x0008

#define LVN_FIRST (0U - 100U)
#define LVN_ITEMCHANGING (LVN_FIRST - 0)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_INSERTITEM (LVN_FIRST - 2)
#define LVN_DELETEITEM (LVN_FIRST - 3)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4)
#define LVN_COLUMNCLICK (LVN_FIRST - 8)
#define LVN_KEYDOWN (LVN_FIRST - 55)

typedef int(CALLBACK* PFNLVCOMPARE)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

Q730_API_PACK_BEGIN

// An item or subitem.
//  off size field
//    0 4 mask   4 4 iItem   8 4 iSubItem  12 4 state  16 4 stateMask
//   20 4 pszText  24 4 cchTextMax  28 4 iImage  32 4 lParam  36 4 iIndent
struct LVITEMW {
    UINT mask;        // LVIF_*
    int iItem;        //
    int iSubItem;     // 0 = the item itself
    UINT state;       // LVIS_*
    UINT stateMask;   // which state bits count
    LPWSTR pszText;   // in: text; out: buffer of cchTextMax
    int cchTextMax;   //
    int iImage;       // small-image index
    LPARAM lParam;    // the caller's value
    int iIndent;      //
};
typedef LVITEMW* LPLVITEMW;
static_assert(sizeof(void*) != 4 || sizeof(LVITEMW) == 40);
static_assert(sizeof(void*) != 4 || offsetof(LVITEMW, lParam) == 32);

// A column.
//  off size field
//    0 4 mask  4 4 fmt  8 4 cx  12 4 pszText  16 4 cchTextMax  20 4 iSubItem
struct LVCOLUMNW {
    UINT mask;        // LVCF_*
    int fmt;          // LVCFMT_*
    int cx;           // width in pixels
    LPWSTR pszText;   // header text
    int cchTextMax;   //
    int iSubItem;     //
};
typedef LVCOLUMNW* LPLVCOLUMNW;
static_assert(sizeof(void*) != 4 || sizeof(LVCOLUMNW) == 24);

struct LVFINDINFOW {
    UINT flags;       // LVFI_*
    LPCWSTR psz;      //
    LPARAM lParam;    //
    POINT pt;         //
    UINT vkDirection; //
};
typedef LVFINDINFOW* LPLVFINDINFOW;
static_assert(sizeof(void*) != 4 || sizeof(LVFINDINFOW) == 24);

struct LVHITTESTINFO {
    POINT pt;         // in: client coordinates
    UINT flags;       // out: LVHT_*
    int iItem;        // out: -1 when none
    int iSubItem;     // out (LVM_SUBITEMHITTEST)
};
typedef LVHITTESTINFO* LPLVHITTESTINFO;
static_assert(sizeof(LVHITTESTINFO) == 20);

// LVN_ITEMCHANGING / LVN_ITEMCHANGED / LVN_COLUMNCLICK / LVN_DELETEITEM.
//  off size field
//    0 12 hdr  12 4 iItem  16 4 iSubItem  20 4 uNewState  24 4 uOldState
//   28 4 uChanged  32 8 ptAction  40 4 lParam
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;    // LVIF_* that changed
    POINT ptAction;
    LPARAM lParam;    // the item's value
};
typedef NMLISTVIEW* LPNMLISTVIEW;
static_assert(sizeof(void*) != 4 || sizeof(NMLISTVIEW) == 44);

// NM_CLICK / NM_DBLCLK from a list view.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;        // -1 when the click hit no item
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;   // client coordinates of the click
    LPARAM lParam;
    UINT uKeyFlags;
};
typedef NMITEMACTIVATE* LPNMITEMACTIVATE;
static_assert(sizeof(void*) != 4 || sizeof(NMITEMACTIVATE) == 48);

// LVN_KEYDOWN.
struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
typedef NMLVKEYDOWN* LPNMLVKEYDOWN;
static_assert(sizeof(void*) != 4 || sizeof(NMLVKEYDOWN) == 18);

Q730_API_PACK_END

#define ListView_GetItemCount(hwnd) (int)SendMessageW((hwnd), LVM_GETITEMCOUNT, 0, 0)
#define ListView_GetNextItem(hwnd, i, flags) (int)SendMessageW((hwnd), LVM_GETNEXTITEM, (WPARAM)(i), MAKELPARAM((flags), 0))
#define ListView_SetItemState(hwnd, i, data, mask)                               \
    do {                                                                         \
        LVITEMW _lvi_ = {};                                                      \
        _lvi_.stateMask = (mask);                                                \
        _lvi_.state = (data);                                                    \
        SendMessageW((hwnd), LVM_SETITEMSTATE, (WPARAM)(i), (LPARAM)&_lvi_);     \
    } while (0)
#define ListView_GetItemState(hwnd, i, mask) (UINT)SendMessageW((hwnd), LVM_GETITEMSTATE, (WPARAM)(i), (LPARAM)(mask))

#ifndef MAKELPARAM
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#endif

// ---------------------------------------------------------------------------
// Up-down
#define UDS_WRAP 0x0001
#define UDS_SETBUDDYINT 0x0002
#define UDS_ALIGNRIGHT 0x0004
#define UDS_ALIGNLEFT 0x0008
#define UDS_AUTOBUDDY 0x0010
#define UDS_ARROWKEYS 0x0020
#define UDS_HORZ 0x0040
#define UDS_NOTHOUSANDS 0x0080

#define UDM_SETRANGE (WM_USER + 101)
#define UDM_GETRANGE (WM_USER + 102)
#define UDM_SETPOS (WM_USER + 103)
#define UDM_GETPOS (WM_USER + 104)
#define UDM_SETBUDDY (WM_USER + 105)
#define UDM_GETBUDDY (WM_USER + 106)
#define UDM_SETACCEL (WM_USER + 107)
#define UDM_GETACCEL (WM_USER + 108)
#define UDM_SETBASE (WM_USER + 109)
#define UDM_GETBASE (WM_USER + 110)
#define UDM_SETRANGE32 (WM_USER + 111)
#define UDM_GETRANGE32 (WM_USER + 112)
#define UDM_SETPOS32 (WM_USER + 113)
#define UDM_GETPOS32 (WM_USER + 114)

#define UD_MAXVAL 0x7fff
#define UD_MINVAL (-UD_MAXVAL)

#define UDN_FIRST (0U - 721U)
#define UDN_DELTAPOS (UDN_FIRST - 1)

Q730_API_PACK_BEGIN
struct UDACCEL {
    UINT nSec;
    UINT nInc;
};
struct NMUPDOWN {
    NMHDR hdr;
    int iPos;    // position before the step
    int iDelta;  // the step; the owner may change it, or answer TRUE to refuse
};
typedef NMUPDOWN* LPNMUPDOWN;
static_assert(sizeof(void*) != 4 || sizeof(NMUPDOWN) == 20);
Q730_API_PACK_END

extern "C" HWND CreateUpDownControl(DWORD dwStyle, int x, int y, int cx, int cy, HWND hParent,
                                     int nID, HINSTANCE hInst, HWND hBuddy, int nUpper, int nLower,
                                     int nPos);

// ---------------------------------------------------------------------------
// Track bar
#define TBS_AUTOTICKS 0x0001
#define TBS_VERT 0x0002
#define TBS_HORZ 0x0000
#define TBS_TOP 0x0004
#define TBS_BOTTOM 0x0000
#define TBS_LEFT 0x0004
#define TBS_RIGHT 0x0000
#define TBS_BOTH 0x0008
#define TBS_NOTICKS 0x0010
#define TBS_ENABLESELRANGE 0x0020
#define TBS_FIXEDLENGTH 0x0040
#define TBS_NOTHUMB 0x0080

#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_GETTIC (WM_USER + 3)
#define TBM_SETTIC (WM_USER + 4)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TBM_CLEARTICS (WM_USER + 9)
#define TBM_GETNUMTICS (WM_USER + 16)
#define TBM_SETTICFREQ (WM_USER + 20)
#define TBM_SETPAGESIZE (WM_USER + 21)
#define TBM_GETPAGESIZE (WM_USER + 22)
#define TBM_SETLINESIZE (WM_USER + 23)
#define TBM_GETLINESIZE (WM_USER + 24)
#define TBM_GETTHUMBRECT (WM_USER + 25)
#define TBM_GETCHANNELRECT (WM_USER + 26)

#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

// ---------------------------------------------------------------------------
// Tab control
#define TCS_TABS 0x0000
#define TCS_MULTILINE 0x0200
#define TCS_FIXEDWIDTH 0x0400
#define TCS_FOCUSNEVER 0x8000

#define TCM_FIRST 0x1300
#define TCM_GETIMAGELIST (TCM_FIRST + 2)
#define TCM_SETIMAGELIST (TCM_FIRST + 3)
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_HITTEST (TCM_FIRST + 13)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCM_GETCURFOCUS (TCM_FIRST + 47)
#define TCM_SETCURFOCUS (TCM_FIRST + 48)
#define TCM_GETITEMW (TCM_FIRST + 60)
#define TCM_SETITEMW (TCM_FIRST + 61)
#define TCM_INSERTITEMW (TCM_FIRST + 62)

#define TCIF_TEXT 0x0001
#define TCIF_IMAGE 0x0002
#define TCIF_PARAM 0x0008
#define TCIF_STATE 0x0010

#define TCHT_NOWHERE 0x0001
#define TCHT_ONITEMICON 0x0002
#define TCHT_ONITEMLABEL 0x0004
#define TCHT_ONITEM (TCHT_ONITEMICON | TCHT_ONITEMLABEL)

#define TCN_FIRST (0U - 550U)
#define TCN_KEYDOWN (TCN_FIRST - 0)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

Q730_API_PACK_BEGIN
// A tab.
//  off size field
//    0 4 mask  4 4 dwState  8 4 dwStateMask  12 4 pszText  16 4 cchTextMax
//   20 4 iImage  24 4 lParam
struct TCITEMW {
    UINT mask;        // TCIF_*
    DWORD dwState;
    DWORD dwStateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;       // index in the control's image list, -1 none
    LPARAM lParam;
};
typedef TCITEMW* LPTCITEMW;
static_assert(sizeof(void*) != 4 || sizeof(TCITEMW) == 28);

struct TCHITTESTINFO {
    POINT pt;
    UINT flags;
};
typedef TCHITTESTINFO* LPTCHITTESTINFO;
Q730_API_PACK_END

extern "C" {

void InitCommonControls();
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

// Image lists: each image is cx x cy pixels of colour with, under
// ILC_MASK, a mask (set bits are transparent).
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
BOOL ImageList_Destroy(HIMAGELIST himl);
int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// Adds the images of a bitmap as wide as a row of them (and its mask, or
// null); answers the index of the first, -1 on failure.
int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
// Adds (i == -1) or replaces image i with an icon's picture and mask;
// answers the index, -1 on failure.
int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
BOOL ImageList_Remove(HIMAGELIST himl, int i);
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);
// Draws image i at (x, y): ILD_TRANSPARENT (or a CLR_NONE background)
// leaves the masked pixels alone, ILD_NORMAL fills them with the
// background colour, ILD_SELECTED / ILD_FOCUS blend with the highlight.
BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);

}  // extern "C"

#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)
#define ImageList_RemoveAll(himl) ImageList_Remove(himl, -1)

#include "platform/comctl/compstui.h"
