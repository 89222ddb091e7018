// insertsheet.h: the insert sheet dialog (template 2400).
//
// Edits one insert sheet of the current insert-sheet list: the pages it is
// inserted at, its print type, paper source and binding position, and
// whether it is an index-paper sheet with a heading text and position.
// Opened modally with the settings object as parameter while the active
// page word is 2400. The opener fills the object's working record
// (insertwork.h) and the value lists before it opens the dialog, and stores
// the entry from them after IDOK; the dialog writes the normalised page
// list and the heading text into the working record.
//
// What the opener prepares:
//   working record: state (new or edit), entry index; in the edit state the
//     dialog shows the page list and heading text of that entry of the
//     object's list (those of the working record when the index is not
//     below the count); the four change flags ask for the change notice.
//   lpInterSheetListPRNType, lpInterSheetListTray, lpInterSheetListBinding,
//     PrnTabIndex, lpPrnTabIndexNo and the heading text details: the values
//     of the sheet.
// After IDOK: the page list (normal form) and the heading text are in the
// working record, the other values in those settings. Cancel leaves the
// values the dialog changed; the opener restores them.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_INSERTSHEET 2400
#define IDC_INS_GROUP 2401
#define IDC_INS_PAGES 2403
#define IDC_INS_PRINTTYPE_LABEL 2404
#define IDC_INS_PRINTTYPE 2405
#define IDC_INS_TRAY_LABEL 2406
#define IDC_INS_TRAY 2407
#define IDC_INS_BINDING_LABEL 2408
#define IDC_INS_BINDING 2409
#define IDC_INS_INDEX_GROUP 2410
#define IDC_INS_INDEX 2411
#define IDC_INS_TABTEXT_LABEL 2412
#define IDC_INS_TABTEXT 2413
#define IDC_INS_TABPOS_LABEL 2414
#define IDC_INS_TABPOS 2415
#define IDC_INS_DETAILS 2416
#define IDC_INS_SHEET_PICTURE 2417
#define IDC_INS_TAB_PICTURE 2418
#define IDC_INS_HELP 2419
#define IDC_INS_NOTICE 2429
#define IDC_INS_EXAMPLE 393

// Characters of the page list and of the heading text.
#define INS_PAGES_CHARS 128
#define INS_TABTEXT_CHARS 64

INT_PTR CALLBACK InsertSheetDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Maps 2405, 2407, 2409, 2411 and 2415 to their refresh bits and refreshes;
// other ids clear the bits. Answers 1 when something was refreshed.
int InsertSheetUpdateControl(HWND hDlg, WORD wId);

// The page-list check of the open dialog (hDlg, whose block holds the
// check mode): TRUE when the text of 2403 is a valid page list; the normal
// form is then in the working record.
BOOL bParseInsertPageList(HWND hDlg);

// Before index paper is switched on: TRUE when it showed the conflict
// notice (the index paper then stays off).
BOOL ListInsertSheetConflicts(HWND hDlg, UISETTINGS* pObj);

// After index paper was switched off: TRUE when it replaced a value that
// is not available any more and told the user.
BOOL RevalidateAfterIndexPaperOff(HWND hDlg, UISETTINGS* pObj);

// The notice of the values that were replaced when the edited entry was
// loaded (edit state and a change flag only).
void ShowInsertSheetChangeNotice(HWND hDlg, UISETTINGS* pObj);
