// sheetstate.h: what an open property sheet records in its settings object
// for the pages and dialogs that edit it.
//
// Owns: the meaning of the settings object's state words and of its nine
// refresh masks, and SHEETLINKS, the sheet's links to its host and printer.
// The state words are 32-bit flags and counts; the handles and the host's
// function are pointer-sized, so they live in SHEETLINKS, in the object's
// shared area (sharedarea.h), never in a state word:
//
//   word field               written by                 read by
//     0  bSheetEditable      the sheet at INIT          every page and dialog
//     1  bDocumentSheet      the document sheet at INIT pages, rules
//     2  bResolvedOnOpen     the document sheet         pages
//     3  bSettingsApplied    every page's apply         the sheet, the library
//     4  bTitleLacksSuffix   DetectSheetOrigin          library dialogs
//  5..8  (unused, zero)
//    11  job owner state     ownercheck.h
//
//   SHEETLINKS field         written by                 read by
//     hComPropSheet          the sheet                  apply (SET_RESULT)
//     pfnComPropSheet        the sheet                  apply (SET_RESULT)
//     lAddedPages            the sheet (last page)      apply (SET_RESULT)
//     hPrinter               the sheet                  pages, dialogs
//
// Refresh masks: one 32-bit word per page, indexed by SheetPageIndex; a set
// bit asks the page to redraw that control or group from the settings.
#pragma once

#include "platform/windows.h"
#include "ui/settings/sharedarea.h"
#include "ui/settings/uisettings.h"

#define UIS_STATE_EDITABLE 0
#define UIS_STATE_DOCSHEET 1
#define UIS_STATE_RESOLVEDONOPEN 2
#define UIS_STATE_APPLIED 3
#define UIS_STATE_TITLELACKSSUFFIX 4

// The sheet's links (in memory only: natural alignment, pointer-sized).
struct SHEETLINKS {
    HANDLE hComPropSheet;             // the host's handle of the sheet
    PFNCOMPROPSHEET pfnComPropSheet;  // the host's function
    LONG_PTR lAddedPages;             // the host's answer to the last page added
    HANDLE hPrinter;                  // the printer the sheet edits
};
static_assert(sizeof(SHEETLINKS) <= SHARED_SHEET_BYTES);
static_assert(SHARED_SHEET_OFFSET % alignof(SHEETLINKS) == 0);

inline DWORD GetSheetState(const UISETTINGS* pObj, int iWord)
{
    return pObj ? pObj->adwState[iWord] : 0;
}

inline void SetSheetState(UISETTINGS* pObj, int iWord, DWORD dwValue)
{
    if (pObj)
        pObj->adwState[iWord] = dwValue;
}

// The links of the object's sheet; null for a null object. Zero (no host,
// no printer) until the sheet records them.
inline SHEETLINKS* GetSheetLinks(UISETTINGS* pObj)
{
    return pObj ? (SHEETLINKS*)((BYTE*)pObj + SHARED_SHEET_OFFSET) : nullptr;
}

inline const SHEETLINKS* GetSheetLinks(const UISETTINGS* pObj)
{
    return pObj ? (const SHEETLINKS*)((const BYTE*)pObj + SHARED_SHEET_OFFSET) : nullptr;
}

inline BOOL bSheetEditable(const UISETTINGS* pObj)
{
    return GetSheetState(pObj, UIS_STATE_EDITABLE) != 0;
}

inline HANDLE GetSheetPrinter(const UISETTINGS* pObj)
{
    const SHEETLINKS* p = GetSheetLinks(pObj);
    return p ? p->hPrinter : nullptr;
}

// The index of a page's refresh mask: pages 100..800 in steps of 100 take
// 0..7; any other id has none (-1).
inline int SheetPageIndex(WORD wPage)
{
    return (wPage >= 100 && wPage <= 800 && wPage % 100 == 0) ? wPage / 100 - 1 : -1;
}

// The refresh mask of a page; null for an id without one.
inline DWORD* PageRefreshMask(UISETTINGS* pObj, WORD wPage)
{
    int i = SheetPageIndex(wPage);
    return (pObj && i >= 0) ? &pObj->adwPageMask[i] : nullptr;
}
