// userauth.h: the user settings dialog and the confidential print dialog.
//
// Owns: UserAuthDlgProc, the procedure of templates 1800 (user ID and
// password) and 2000 (password under the user ID shown read-only). The
// opener chooses the template and sets the user-ID-fixed flag of the
// settings object (DLGWORD_USERID_FIXED: 0 for 1800, 1 for 2000) before
// it opens the dialog with the settings object as its parameter.
//
// Rules the callers rely on:
//  1. OK stores the user ID (digits) and the password (letters and digits,
//     kept inverted) only when both pass the check; a refused input shows
//     its box and the dialog stays open.
//  2. Cancel leaves the user ID, the password and UnDisplayPassword_Check as
//     they were.
//  3. A password that was hidden is never shown in plain text: switching
//     the hide box off empties both password edits.
#pragma once

#include "platform/windows.h"

#define IDD_USER_SETTINGS 1800
#define IDD_CONFIDENTIAL_PRINT 2000

INT_PTR CALLBACK UserAuthDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
