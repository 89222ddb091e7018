// insertdefaults.h: the insert sheet defaults dialog (template 2430).
//
// Names the current insert-sheet list and sets whether its sheets choose
// simplex or duplex printing sheet by sheet. Opened with the settings
// object; OK commits the name and the switch to the list's set record (a
// changed switch clears the list once the user agreed), Cancel changes
// nothing stored.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_INSERTDEFAULTS 2430
#define IDC_INSDEF_GROUP 2431
#define IDC_INSDEF_NAMELABEL 2432
#define IDC_INSDEF_NAME 2433
#define IDC_INSDEF_MIXPLEX 2434
#define IDC_INSDEF_NOTE 2435
#define IDC_INSDEF_HELP 2436

// Longest list name in characters.
#define INSDEF_NAME_CHARS 16

INT_PTR CALLBACK InsertDefaultsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// 2434 sets the check from the working switch; other ids change nothing.
// Answers 1 when something was refreshed.
int InsertDefaultsUpdateControl(HWND hDlg, WORD wId);
