// sheetstate.h: what an open property sheet records in its settings object
// for the pages and dialogs that edit it.
//
// Owns: the meaning of the settings object's state words 0..8 and of its
// nine refresh masks. The state words are 32-bit each (this library is
// built for 32-bit x86 only, so handles fit them):
//
//   word field               written by                 read by
//     0  bSheetEditable      the sheet at INIT          every page and dialog
//     1  bDocumentSheet      the document sheet at INIT pages, rules
//     2  bResolvedOnOpen     the document sheet         pages
//     3  bSettingsApplied    every page's apply         the sheet, the library
//     4  bTitleLacksSuffix   DetectSheetOrigin          library dialogs
//     5  hAddedPages         the sheet (last page)      apply (SET_RESULT)
//     6  hComPropSheet       the sheet                  apply (SET_RESULT)
//     7  pfnComPropSheet     the sheet                  apply (SET_RESULT)
//     8  hPrinter            the sheet                  pages, dialogs
//    11  job owner state     ownercheck.h
//
// Refresh masks: one 32-bit word per page, indexed by SheetPageIndex; a set
// bit asks the page to redraw that control or group from the settings.
#pragma once

#include "platform/windows.h"
#include "ui/settings/uisettings.h"

static_assert(sizeof(void*) == 4, "the sheet state words hold handles");

#define UIS_STATE_EDITABLE 0
#define UIS_STATE_DOCSHEET 1
#define UIS_STATE_RESOLVEDONOPEN 2
#define UIS_STATE_APPLIED 3
#define UIS_STATE_TITLELACKSSUFFIX 4
#define UIS_STATE_ADDEDPAGES 5
#define UIS_STATE_COMPROPSHEET 6
#define UIS_STATE_PFNCOMPROPSHEET 7
#define UIS_STATE_PRINTER 8

inline DWORD GetSheetState(const UISETTINGS* pObj, int iWord)
{
    return pObj ? pObj->adwState[iWord] : 0;
}

inline void SetSheetState(UISETTINGS* pObj, int iWord, DWORD dwValue)
{
    if (pObj)
        pObj->adwState[iWord] = dwValue;
}

inline BOOL bSheetEditable(const UISETTINGS* pObj)
{
    return GetSheetState(pObj, UIS_STATE_EDITABLE) != 0;
}

inline HANDLE GetSheetPrinter(const UISETTINGS* pObj)
{
    return (HANDLE)GetSheetState(pObj, UIS_STATE_PRINTER);
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
