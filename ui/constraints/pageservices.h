// pageservices.h: the operations of the pages and sub-dialogs that the
// constraint engine calls. The pages and dialogs own them; until a page or
// dialog is built, each does the least its callers need and says so below.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// Keeps the copies within 1 and their maximum (0 -> 1 with iFlag; 1 when
// the output takes one copy only) and rewrites the Setup page's copies
// edit when it corrected them on the current page (the Setup page's).
void ClampCopies(HWND hwnd, UISETTINGS* pObj, int iFlag = 1);
// Index-tab texts (ui/pages/insertlist.cpp): the settings object's
// insert-sheet table, its count, the per-sheet duplex switch and the tab
// paper values are loaded from the current tab-paper set (the list that
// lpInterSheetList names) and stored back into it. Both do nothing when the
// model offers no insert sheets or the object has no list set.
void IndexTabStoreTexts(UISETTINGS* pObj);
void IndexTabLoadTexts(UISETTINGS* pObj);
// Copies the tab-paper set names into the item texts of lpInterSheetList
// when a sheet opens; a set without a name keeps the item's text.
// dwReserved is not read.
void IndexTabCopyNames(DWORD dwReserved, UISETTINGS* pObj);
// The binding margin limits and the margin texts of the binding combos are
// the binding margin dialog's (ui/dialogs/bindmargin.h); the check of the
// user paper against the paper source is the custom paper size dialog's
// (ui/dialogs/userpaper.h).
