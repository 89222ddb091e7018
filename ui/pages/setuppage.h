// setuppage.h: the Setup page, the first page of the document sheet.
//
// Owns: SetupPageDlgProc (template 100), the page record SETUPPAGERECORD,
// the refresh mask of the page with its bit table, the copies and zoom
// edits with their key filters and range checks, the page's list fillers
// with their extra rules and the drawing of its owner-drawn list items.
//
// Rules the callers rely on:
//  1. A page window without its record ignores everything but
//     WM_INITDIALOG; ClampCopies still clamps the value then.
//  2. Controls the template lacks (booklet, engine booklet, centre
//     finishing, output method) are served by the refresh all the same:
//     their bits are cleared and their values kept in step, nothing is
//     drawn.
//  3. Copies are corrected silently (0 -> 1, above the maximum -> the
//     maximum, 1 when the output allows one copy only); a zoom outside its
//     range keeps the page and says so once.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// The refresh masks of the page.
#define SETUPREFRESH_INIT 0xDFFBFD7Fu
#define SETUPREFRESH_ACTIVE 0xDFF3FD7Fu
#define SETUPREFRESH_FULL 0x9FFBFD7Fu

#define SETUP_LIST_COUNT 17

#pragma pack(push, 1)
// The record of the page (DWLP_USER).
struct SETUPPAGERECORD {
    UISETTINGS* pSettings;                 // the object the controls edit
    WORD* pIndexBlock;                     // one run per list below
    HINSTANCE hInstance;
    WORD* apIndex[SETUP_LIST_COUNT];       // 111 114 120 125 131 133 139 122 129 135 137 141 156 160 162 127 172
    HGLOBAL hOrientPortrait;               // illustrations over 108, 146, 147, 158, 2362
    HGLOBAL hOrientLandscape;
    HGLOBAL hSortOn;
    HGLOBAL hSortOff;
    HGLOBAL hGroupOn;
    HGLOBAL hGroupOff;
    HGLOBAL hGroupOnSeparated;
    HGLOBAL hBlankOn;
    HGLOBAL hBlankOff;
    HGLOBAL hSecretOn;
    HGLOBAL hSecretOff;
    HBITMAP ahNup[12];                     // 10000..10011
    HBITMAP ahOrder[14];                   // 10020..10033
    HBITMAP ahMethod[10];                  // 10240..10249
    BOOL bZoomRangeFailed;
    BOOL bZoomMsgSuppressed;
    LONG_PTR pfnCopiesEdit;                // previous procedure of edit 103
    LONG_PTR pfnZoomEdit;                  // of edit 116
    SHORT sBindMarginAtInit;
    WORD wPad;
    UISETTINGS* pSheetSettings;            // the sheet's object while a clone stands in
    BYTE abReserved[40];
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(SETUPPAGERECORD) == 332);
static_assert(sizeof(void*) != 4 || offsetof(SETUPPAGERECORD, apIndex) == 12);
static_assert(sizeof(void*) != 4 || offsetof(SETUPPAGERECORD, hOrientPortrait) == 80);
static_assert(sizeof(void*) != 4 || offsetof(SETUPPAGERECORD, ahNup) == 124);
static_assert(sizeof(void*) != 4 || offsetof(SETUPPAGERECORD, bZoomRangeFailed) == 268);
static_assert(sizeof(void*) != 4 || offsetof(SETUPPAGERECORD, sBindMarginAtInit) == 284);

// The page's procedure is declared with the others in pageframe.h.

// Maps a control to the page's refresh bits and redraws them; the value is
// not read. Answers the bits, 0 when the page has no record.
int SetupPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue = 0);
// Serves the bits of the page's refresh mask.
void SetupPageRefresh(HWND hwnd);
// Keeps the zoom within its range (0 -> 1 with iFlag); rewrites, focuses
// and selects edit 116 when it corrected the value on the current page.
void ClampZoom(HWND hwnd, int iFlag);
// TRUE when the zoom typed in edit 116 is outside its range (with one
// warning unless messages are suppressed).
BOOL CheckZoomRange(HWND hwnd, SETUPPAGERECORD* pRec);
// The key filter of the copies and zoom edits: TRUE when the character is
// refused (the edit beeps), given the edit's text and selection.
BOOL bSetupEditRefusesChar(LPCWSTR pszText, DWORD dwSel, WCHAR ch);
// The owner-drawn items of combos 125, 127, 129 and 172.
void DrawSetupComboItem(HWND hwnd, const DRAWITEMSTRUCT* pdis);
// The pictures an owner-drawn item shows: image and mask ids, 0 for none.
void GetSetupItemBitmaps(WORD wControl, SHORT sValue, SHORT sOrientation, SHORT sLayout, WORD* pwImage,
                         WORD* pwMask);
// The page-order items offered for an N-up value and orientation: TRUE
// when item iItem (0-based) stays enabled.
BOOL bPageOrderItemOffered(int iItem, SHORT sLayout, SHORT sOrientation);
