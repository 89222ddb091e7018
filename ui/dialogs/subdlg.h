// subdlg.h: the frame every sub-dialog of the pages shares.
//
// Owns: SUBDLGDATA (the per-dialog block kept in DWLP_USER) with its
// allocation and release, the help hook of the sub-dialogs, the shared edit
// filters (password, job ID and user ID) and their decisions, the three
// input-error boxes and their texts, the masking rules of the password
// edits, and the OK check and storage of the user settings and
// confidential print dialogs.
// The password is stored in the inverted form of ScramblePassword, which
// the document events own (one definition).
//
// Rules the callers rely on:
//  1. A filter decision reads only the key, the edit's text length and its
//     selection; the window procedures act on it (beep, swallow, pass).
//  2. Stored user IDs and passwords always end within their 11 units.
//  3. Message texts are built in bounded buffers.
//  4. A dialog's block lives from WM_INITDIALOG to its end; the saved edit
//     procedures are put back before it is freed, so no filter runs
//     without it.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// The full block of the dialogs with subclassed edits.
struct SUBDLGDATA {
    HWND hDlg;
    UISETTINGS* pObj;
    LONG_PTR pfnMaskedEdit;     // saved procedure of 1802 or 2012
    LONG_PTR pfnPlainEdit;      // of 1808 or 2018
    LONG_PTR pfnUserIdEdit;     // of 1806, or of the code edit 2834
    LONG_PTR pfnJobIdEdit;      // of 2016
    LONG_PTR pfnBoxEdit;        // of 2003
    SHORT sHide;                // 1: the password is shown masked
    WORD wSavedValue;           // for Cancel
    DWORD bCleared;             // the user ID changed once in this opening
};

// The small block of the punch dialog.
struct SUBDLGSMALL {
    HWND hDlg;
    UISETTINGS* pObj;
    WORD wSavedValue;
};

// Edit ids of the user settings and confidential print dialogs.
#define IDC_PASSWORD_LABEL 1801
#define IDC_PASSWORD_MASKED 1802
#define IDC_USERID_LABEL 1805
#define IDC_USERID 1806
#define IDC_PASSWORD_HIDE 1807
#define IDC_PASSWORD_PLAIN 1808
#define IDC_USERID_STATIC 1809

#define USERAUTH_MAX_CHARS 8
#define USERAUTH_FIELD_UNITS 11

// What a filter does with a key.
#define FILTER_PASS 0           // passes to the edit
#define FILTER_PASS_CLEAR 1     // runs the clear-once step, then passes
#define FILTER_SWALLOW 2        // MessageBeep(10) and swallowed

// The messages the filters read (the window system defines them too).
#ifndef WM_KEYDOWN
#define WM_KEYDOWN 0x0100
#endif
#ifndef WM_KEYUP
#define WM_KEYUP 0x0101
#endif
#ifndef WM_CHAR
#define WM_CHAR 0x0102
#endif
#ifndef WM_PASTE
#define WM_PASTE 0x0302
#endif
#ifndef VK_DELETE
#define VK_DELETE 0x2E
#endif

// The password filter, for WM_CHAR: letters and digits while the text is
// under 8 characters or typing replaces a selection; copy, backspace,
// paste, cut and undo always pass.
int PasswordFilterDecision(WCHAR ch, int cchText, DWORD dwSel);
// The user ID filter, for WM_KEYDOWN, WM_KEYUP, WM_CHAR and WM_PASTE.
int UserIdFilterDecision(UINT uMsg, WPARAM wParam, int cchText, DWORD dwSel, int iCaret);

// Which password edit shows and what the user may change, at opening.
struct PASSWORDMASKING {
    SHORT sHide;          // the hide flag after the rules
    BOOL bShowMasked;     // 1802 shown (else 1808)
    BOOL bEditsEnabled;   // 1801, 1802, 1808
    BOOL bSwitchEnabled;  // 1807
};
void ComputePasswordMasking(SHORT sOutput, SHORT sHardDisk, LPCWSTR pszOwner, BYTE bOwnerLength, SHORT sHide,
                            PASSWORDMASKING* pOut);

// The three input-error boxes: their texts (text and caption buffers of
// 1024 and 256 characters).
#define INPUTERR_CHARS 1     // the user ID has characters that cannot be used
#define INPUTERR_LENGTH 2    // the box number is out of range
#define INPUTERR_FORMAT 3    // the password has characters that cannot be used
BOOL FormatInputErrorMessage(int iKind, LPWSTR pszText, int cchText, LPWSTR pszCaption, int cchCaption);
// Shows the box on the dialog (MB_ICONWARNING).
BOOL ShowInputErrorBox(HWND hDlg, int iKind);

// The OK check: 0 accepted, INPUTERR_CHARS for a user ID with other than
// digits, INPUTERR_FORMAT for a password with other than letters and
// digits, INPUTERR_LENGTH for either longer than 8 characters.
int CheckUserAuthInput(LPCWSTR pszUserId, LPCWSTR pszPassword);
// Stores the user ID and the scrambled password in the settings object.
// FALSE when the check fails (nothing is stored then).
BOOL StoreUserAuthInput(UISETTINGS* pObj, LPCWSTR pszUserId, LPCWSTR pszPassword);
// The stored user ID and the password in plain text (buffers of at least
// USERAUTH_FIELD_UNITS units).
BOOL LoadUserAuthInput(UISETTINGS* pObj, LPWSTR pszUserId, LPWSTR pszPassword);

// ---- The frame's window side: block, help, edit filters ----

// Edit ids of the job ID / password dialogs (templates 2010 and 2820) and of
// the numeric code dialog (2830).
#define IDC_JOB_PASSWORD_LABEL 2011
#define IDC_JOB_PASSWORD_MASKED 2012
#define IDC_JOB_ID_LABEL 2015
#define IDC_JOB_ID 2016
#define IDC_JOB_PASSWORD_HIDE 2017
#define IDC_JOB_PASSWORD_PLAIN 2018
#define IDC_CODE_MODE1 2831
#define IDC_CODE_MODE2 2832
#define IDC_CODE_LABEL 2833
#define IDC_CODE 2834

// Allocates the full block (zero-filled, locked for the dialog's life),
// fills the dialog window and the settings object and keeps it in
// DWLP_USER. Null when it cannot be allocated.
SUBDLGDATA* AllocSubDlgData(HWND hDlg, UISETTINGS* pObj);
// The block kept in DWLP_USER, or null.
SUBDLGDATA* GetSubDlgData(HWND hDlg);
// Unlocks and frees the block found in DWLP_USER and sets DWLP_USER to 0;
// nothing when there is none.
void FreeSubDlgData(HWND hDlg);
// Any zero-filled block of cb bytes kept in DWLP_USER the same way (the
// dialogs with blocks of their own); FreeSubDlgData frees it.
void* AllocDialogBlock(HWND hDlg, DWORD cb);

// Help of a sub-dialog: WM_HELP opens the help of the control named in the
// HELPINFO, WM_CONTEXTMENU that of the dialog window, both with the driver's
// table of control help. TRUE when the message was one of the two.
BOOL HandleSubDlgHelp(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Replaces an edit's window procedure; answers the one it had (0 when the
// edit is absent). RestoreEditProc puts a saved one back (0 does nothing).
LONG_PTR SubclassDlgEdit(HWND hDlg, int idEdit, WNDPROC pfnNew);
void RestoreEditProc(HWND hDlg, int idEdit, LONG_PTR pfnSaved);

// The password filter (masked and plain password edits of the full block's
// dialogs), the job ID filter (letters and digits, at most 8; it leaves the
// passwords alone) and the user ID filter (digits, at most 8; the first real
// change in an opening empties both password edits). Each finds the block
// through its parent's DWLP_USER and passes what it does not swallow to the
// edit's saved procedure.
LRESULT CALLBACK PasswordEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK JobIdEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UserIdEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Reads up to cchMax characters of a dialog item into a zero-filled buffer.
int ReadDlgText(HWND hDlg, int id, LPWSTR psz, int cchBuf);

// The input-error boxes with what follows them: a beep, the box, then the
// given edit and both password edits (1802, 1808) emptied and the focus on
// the given edit. The format box empties the password edits and focuses
// 1802.
void ShowInputErrorMessage(HWND hDlg, int idEdit);
void ShowInputLengthMessage(HWND hDlg, int idEdit);
void ShowInputFormatMessage(HWND hDlg);
