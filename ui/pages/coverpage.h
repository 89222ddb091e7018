// coverpage.h: the Cover / Insert page of the document sheet (template 200)
// and its insert-sheet list (list view 249).
//
// Owns: the page's record, its refresh bits, CoverPageDlgProc and the page
// operations the constraint engine calls (coverpage.cpp); the insert-sheet
// list with its rows, sorting, tab numbering, add / edit / delete / move
// and the copies between the settings object's insert-sheet table and the
// per-user tab-paper sets (insertlist.cpp).
//
// The settings object's insert-sheet table is its block parameter 205 (128
// entries of 476 bytes) with the count in parameter 208; parameter 207
// names the tab-paper set (1..10) the table was loaded from.
#pragma once

#include "platform/windows.h"
#include "ui/settings/insertsheet.h"

#include <cstddef>

struct UISETTINGS;

// Every refresh bit of the page.
#define COVER_ALL_BITS 0x1FF01Fu
#define COVER_LIST_COUNT 7
#define INSERTLIST_COLUMNS 6
#define INSERTLIST_MAX 128

#pragma pack(push, 1)
// The page's record (in DWLP_USER, zero-filled, 188 bytes): the page window,
// a reserved word, the list view's procedure before it was subclassed, the
// settings object (the field the page descriptor names), the block of value-code
// arrays with one array per list (210, 212, 214, 231, 234, 236, 247), then
// the insert-sheet list's state.
struct COVERPAGEREC {
    HWND hwnd;
    DWORD dwReserved;
    WNDPROC pfnListProc;
    UISETTINGS* pSettings;
    WORD* pIndexBlock;
    WORD* apIndex[COVER_LIST_COUNT];
    SHORT sInvalidBefore;                 // unusable entries before an edit
    SHORT sInvalidAfter;                  // and after it
    WORD wUpKey;                          // Up pressed on row 1
    WORD wReserved2;
    WORD wPageUpKey;                      // Page Up pressed
    LONG iLastRow;                        // last selected entry row; -1 none
    DWORD adwSortDesc[INSERTLIST_COLUMNS]; // 1: the column was last sorted descending
    DWORD dwInFill;                       // rows are being rebuilt
    DWORD dwInSelect;                     // the page itself moves the selection
    HIMAGELIST hImages;                   // the rows' icons
    BYTE abSpare[188 - 98];
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(COVERPAGEREC) == 188);
static_assert(sizeof(void*) != 4 || offsetof(COVERPAGEREC, pSettings) == 12);
static_assert(sizeof(void*) != 4 || offsetof(COVERPAGEREC, iLastRow) == 58);

// ---- The page (coverpage.cpp) ----

// The refresh bits of a control of the page; 0 for ids outside 163..247
// and ids without a row (240 answers its first bit).
DWORD GetCoverDirtyBits(WORD wControl);
// Clears the page's whole mask, sets the control's bit and refreshes (240:
// its own bit, then the view radios). Answers the bits set; 0 when the
// window has no record or the id no row.
int CoverPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue = 0);
// Redraws what the page's refresh mask asks for, in the page's order.
void CoverPageRefresh(HWND hwnd);
// Copies the page's values from current to saved, then the common apply
// tail with the index-tab texts stored before the per-user lists are.
void CoverPageApply(UISETTINGS* pObj, HWND hwnd);

// ---- The insert-sheet list (insertlist.cpp) ----

// The settings object's insert-sheet table and its count (0..128); null /
// 0 when the object has none.
INSERTSHEET* GetInsertSheetTable(UISETTINGS* pObj);
int GetInsertSheetCount(UISETTINGS* pObj);
void SetInsertSheetCount(UISETTINGS* pObj, int n);

// Columns and the small image list of list view 249.
void InsertSheetInitListColumns(HWND hwnd, UISETTINGS* pObj);
// Rebuilds the rows: the document row, then one row per entry.
void InsertSheetFillList(HWND hwnd, UISETTINGS* pObj);
// Mode 1 adds, 2 edits the selected entry, through the insert sheet dialog.
void InsertSheetEditEntry(HWND hwnd, UISETTINGS* pObj, int iMode);
void InsertSheetDeleteSelected(HWND hwnd, UISETTINGS* pObj);
// Mode 1 up, 2 down.
void InsertSheetMoveEntry(HWND hwnd, UISETTINGS* pObj, int iMode);
// The entry index of the selected row (row - 1); -1 when none.
int GetSelectedInsertSheet(HWND hwnd);
LRESULT CALLBACK InsertSheetListSubclassProc(HWND hList, UINT uMsg, WPARAM wParam, LPARAM lParam);
// WM_NOTIFY from list view 249; answers the notification's result.
LRESULT InsertSheetListNotify(HWND hwnd, UISETTINGS* pObj, const NMHDR* pnm);
// WM_DRAWITEM of a row.
void InsertSheetDrawRow(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis);

// The icon of a row (14000..14013): row 0 by duplex, entries by print type
// and index paper.
WORD InsertSheetRowIcon(const INSERTSHEET* pEntry, BOOL bDuplex);
// Duplex is in effect: Setup's Layout_Check2 and Duplex_Check, or the
// Finishing page's master switch and duplex.
BOOL bInsertDuplexInEffect(UISETTINGS* pObj);
// Stable sort of n entries by column iColumn (0..5), descending when
// bDescending; FALSE (entries unchanged) when nothing could be sorted.
BOOL SortInsertSheets(INSERTSHEET* pEntries, int n, int iColumn, BOOL bDescending);
// Tab numbering: automatic index entries get running positions, fixed ones
// keep theirs, positions above nTabs wrap to 1. bAllAutomatic first makes
// every index entry automatic (after the tab count changed).
void NumberInsertSheetTabs(INSERTSHEET* pEntries, int n, int nTabs, BOOL bAllAutomatic);
// The first page number of a page list (0 when there is none).
int InsertSheetFirstPage(const INSERTSHEET* pEntry);
