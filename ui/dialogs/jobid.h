// jobid.h: the job ID / password dialog and the numeric code dialog.
//
// Owns: JobIdPasswordDlgProc (templates 2010 and 2820: a job ID of letters
// and digits and a password, shown masked or plain) and NumericCodeDlgProc
// (template 2830: the job mode radios and a numeric code kept in the user
// ID field). Both edit the settings object given as the creation parameter
// and end with IDOK or IDCANCEL.
//
// Rules the callers rely on:
//  1. Cancel leaves the settings object as it was at opening.
//  2. OK stores only checked input: job ID and password of letters and
//     digits, a code of digits, none longer than 8 characters.
//  3. A code that differs from the stored one empties the stored password,
//     which belonged to the old code.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_JOBID 2010
#define IDD_JOBID_ALT 2820
#define IDD_NUMERIC_CODE 2830

INT_PTR CALLBACK JobIdPasswordDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NumericCodeDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The job ID and the password in plain text as the settings object holds
// them (buffers of at least 11 units).
BOOL GetJobIdInput(UISETTINGS* pObj, LPWSTR pszJobId, LPWSTR pszPassword);
