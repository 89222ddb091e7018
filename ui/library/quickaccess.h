// quickaccess.h: the Save/Recall menu of the document pages and the
// recall-detail dialog.
//
// Owns: the owner-drawn popup menu under a page's Save/Recall button (the
// library's commands and one item per library entry), its measuring and
// drawing, the two flags that keep the click which closed the menu from
// opening it again, the recall of an entry chosen in the menu, the
// library-full notices, and the recall-detail dialog (template 2540) that
// sets which groups a recall copies.
//
// Rules:
//   1. The menu loads the library afresh every time it opens.
//   2. Only ids of the menu's three classes (titles, commands, entries) are
//      measured and drawn here; other ids answer FALSE so that the page can
//      pass the message on.
//   3. The flags are process-wide and used only on the thread of the sheet.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// Menu ids.
#define IDM_USET_TITLE 2580
#define IDM_USET_LIBLINE 2581
#define IDM_USET_SAVE 2582
#define IDM_USET_RECALL 2583
#define IDM_USET_ORGANIZE 2584
#define IDM_USET_DETAIL 2585
#define IDM_USET_SAVE_FULL 2586
#define IDM_USET_FULL_NOTICE 2587
#define IDM_USET_ENTRY 2600           // + position, standard entries
#define IDM_USET_ENTRY_OTHER 2625     // + position, other entries
#define IDM_USET_LAST 2649

// Recall-detail dialog controls.
#define IDC_DETAIL_GROUP 2541
#define IDC_DETAIL_PAPER 2542
#define IDC_DETAIL_UDPAPER 2543
#define IDC_DETAIL_FORM 2544
#define IDC_DETAIL_TRYBYPG 2545
#define IDC_DETAIL_WMARK 2546
#define IDC_DETAIL_FAXCOVER 2547
#define IDC_DETAIL_OPTION 2548
#define IDC_DETAIL_ALL 2549
#define IDC_DETAIL_DEFAULTS 2550

// Builds and tracks the popup under the page's button; FALSE when the
// click only closed the menu.
BOOL ShowSaveRecallMenu(HWND hPage, UISETTINGS* pSettings, int idButton);
// Builds the menu without showing it (the caller destroys it).
HMENU BuildSaveRecallMenu(UISETTINGS* pSettings);
// Called by the page procedure for every message before its own handling.
void NoteSaveRecallMenuClosed(UINT uMsg, LPARAM lParam);

BOOL bIsLibraryMenuId(UINT id);
// Recalls the entry of a menu id with the current recall options; TRUE
// when a recall ran.
BOOL ApplyLibraryMenuEntry(HWND hPage, UISETTINGS* pSettings, UINT id);

BOOL MeasureSaveRecallMenuItem(HWND hPage, MEASUREITEMSTRUCT* pMis);
BOOL DrawSaveRecallMenuItem(const DRAWITEMSTRUCT* pDis);

void ShowLibraryFullOnSaveNotice(HWND hPage);
void ShowLibraryFullNotice(HWND hPage);

INT_PTR CALLBACK RecallDetailDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR OpenRecallDetailDialog(HWND hOwner, UISETTINGS* pSettings);
