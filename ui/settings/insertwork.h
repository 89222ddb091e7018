// insertwork.h: the working record of the insert sheet dialog.
//
// One per settings object (the 540-byte block parameter 206 of the
// UISETTINGS variable block). The cover page's insert-sheet list fills it
// before it opens the insert sheet dialog and reads it after OK; the dialog
// writes the normalised page list and the heading text into it.
//
//   off size field
//     0    2 state: 1 new entry, 2 edit of an existing entry
//     2  258 page list in normal form, WCHAR[129] (written by the page-list
//            check)
//   260    2 entry index: the edited entry, or the count for a new entry
//   262  130 confirmed heading text, WCHAR[65], read from the heading edit
//            at OK
//   392  130 live heading text, WCHAR[65]: the entry's at open, follows the
//            heading edit, cleared when the dialog closes
//   522    2 (padding)
//   524    4 the entry's paper source was replaced (not available)
//   528    4 its print type was replaced
//   532    4 its binding position was replaced
//   536    4 its index paper was switched off
#pragma once

#include <cstddef>

#include "platform/windows.h"
#include "ui/settings/insertsheet.h"

struct UISETTINGS;

#define INSERTWORK_NEW 1
#define INSERTWORK_EDIT 2
#define INSERTWORK_PARAM 206  // the settings object's block holding it

#pragma pack(push, 1)
struct INSERTSHEETWORK {
    WORD wState;
    WCHAR szPages[INSERTSHEET_PAGES_CCH];
    WORD wEntry;
    WCHAR szTabText[INSERTSHEET_TEXT_CCH];
    WCHAR szLiveTabText[INSERTSHEET_TEXT_CCH];
    WORD wReserved;
    DWORD bTrayChanged;
    DWORD bPrintTypeChanged;
    DWORD bBindingChanged;
    DWORD bIndexPaperOff;
};
#pragma pack(pop)
static_assert(sizeof(INSERTSHEETWORK) == 540);
static_assert(offsetof(INSERTSHEETWORK, wState) == 0);
static_assert(offsetof(INSERTSHEETWORK, szPages) == 2);
static_assert(offsetof(INSERTSHEETWORK, wEntry) == 260);
static_assert(offsetof(INSERTSHEETWORK, szTabText) == 262);
static_assert(offsetof(INSERTSHEETWORK, szLiveTabText) == 392);
static_assert(offsetof(INSERTSHEETWORK, wReserved) == 522);
static_assert(offsetof(INSERTSHEETWORK, bTrayChanged) == 524);
static_assert(offsetof(INSERTSHEETWORK, bPrintTypeChanged) == 528);
static_assert(offsetof(INSERTSHEETWORK, bBindingChanged) == 532);
static_assert(offsetof(INSERTSHEETWORK, bIndexPaperOff) == 536);

// The object's working record; null for a null object or one without the
// block.
INSERTSHEETWORK* GetInsertSheetWork(UISETTINGS* pObj);
