// boxsave.h: the box save settings dialog (template 2001).
//
// Asks for the user ID, the box number and the password under which the
// controller keeps the job in a box on its hard disk. A member of the
// sub-dialog family: the password edits and the hide switch behave as in
// the user settings dialog; there is no clearing of the password when the
// user ID changes.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_BOXSAVE 2001
#define IDC_BOX_LABEL 2002
#define IDC_BOX_NUMBER 2003

#define BOXNUMBER_MAX_CHARS 9
#define BOXNUMBER_FIELD_UNITS 10

INT_PTR CALLBACK BoxSaveDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The two filters of this dialog, for WM_CHAR (FILTER_PASS or
// FILTER_SWALLOW of subdlg.h).
int BoxUserIdFilterDecision(WCHAR ch, int cchText, DWORD dwSel);
int BoxNumberFilterDecision(WCHAR ch, int cchText, DWORD dwSel);

// The OK check: 0 accepted, else the failing item: 1 user ID characters,
// 2 a user ID of zeros only, 3 box number characters, 4 password
// characters.
#define BOXERR_USERID_CHARS 1
#define BOXERR_USERID_ZERO 2
#define BOXERR_BOX_CHARS 3
#define BOXERR_PASSWORD 4
int CheckBoxSaveInput(LPCWSTR pszUserId, LPCWSTR pszBox, LPCWSTR pszPassword);

// The stored box number (a buffer of BOXNUMBER_FIELD_UNITS units).
BOOL LoadBoxNumber(UISETTINGS* pObj, LPWSTR pszBox);
