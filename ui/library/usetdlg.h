// usetdlg.h: the settings library dialogs.
//
// Owns: the save dialog (template 2500: the current settings as a new
// named settings file with a comment), the recall dialog (2520: one entry's
// settings copied into the live object by the recall options) and the
// organize dialog (2560: reorder, delete, rename, comment, register a
// file); their shared record USETDLGDATA, the name rules, the checks of a
// file chosen in the open and save dialogs, and the default folder of
// settings files.
//
// Rules:
//   1. Every dialog loads its own copy of the library and works on clones
//      of the live settings; only a recall's OK changes the live object.
//   2. Errors are warning boxes on the field at fault, which gets the focus
//      with its text selected.
//   3. A dialog that could not allocate its record stays inert: it touches
//      no buffer and closes with Cancel.
#pragma once

#include "platform/windows.h"
#include "ui/settings/setfile.h"

struct UISETTINGS;

// Templates.
#define IDD_USET_SAVE 2500
#define IDD_USET_RECALL 2520
#define IDD_USET_DETAIL 2540
#define IDD_USET_ORGANIZE 2560

// Save dialog controls.
#define IDC_SAVE_HELP 2501
#define IDC_SAVE_LIST 2503
#define IDC_SAVE_NAME 2505
#define IDC_SAVE_COMMENT 2507
#define IDC_SAVE_FOLDER 2509
#define IDC_SAVE_BROWSE 2510
#define IDC_SAVE_COUNT 2513
// Recall dialog controls.
#define IDC_RECALL_HELP 2521
#define IDC_RECALL_LIST 2523
#define IDC_RECALL_NAME 2525
#define IDC_RECALL_COMMENT 2527
#define IDC_RECALL_LOCATION 2529
#define IDC_RECALL_MODE0 2533
#define IDC_RECALL_MODE1 2534
#define IDC_RECALL_DETAIL 2535
#define IDC_RECALL_COUNT 2537
// Organize dialog controls.
#define IDC_ORG_HELP 2561
#define IDC_ORG_LIST 2563
#define IDC_ORG_NAME 2565
#define IDC_ORG_COMMENT 2567
#define IDC_ORG_UP 2569
#define IDC_ORG_DOWN 2570
#define IDC_ORG_DELETE 2571
#define IDC_ORG_REGISTER 2572
#define IDC_ORG_COUNT 2574
#define IDC_ORG_CLOSE 2575

// The dialog's path and folder buffers (the name, extension and comment
// buffers take the sizes of setfile.h).
#define USETDLG_PATH_CCH 261

#pragma pack(push, 1)
// USETDLGDATA (72 bytes), in the dialog's DWLP_USER.
//   off size field                     off size field
//     0    4 live settings              40    2 dialog id (2500, 2520, 2560)
//     4    4 reserved (0)               42    2 reserved
//     8    4 shown settings             44    4 name edit's old procedure
//    12    4 path     WCHAR[261]        48    4 comment edit's old procedure
//    16    4 folder   WCHAR[261]        52    1 validating (2 during OK)
//    20    4 name     WCHAR[41]         53    1 reserved
//    24    4 extension WCHAR[11]        54    2 selection (library order)
//    28    4 comment  WCHAR[513]        56    2 recall mode (0 or 1)
//    32    4 library                    58    7 recall options at entry
//    36    4 recall-option block        65    7 reserved
struct USETDLGDATA {
    UISETTINGS* pSettings;
    DWORD dwReserved;
    UISETTINGS* pShown;
    LPWSTR pszPath;
    LPWSTR pszFolder;
    LPWSTR pszName;
    LPWSTR pszExt;
    LPWSTR pszComment;
    USETLIBRARY* pLib;
    BYTE* pOptions;
    WORD wDialogId;
    WORD wReserved;
    WNDPROC pfnOldNameProc;
    WNDPROC pfnOldCommentProc;
    BYTE bValidating;
    BYTE bReserved;
    SHORT sSelection;
    SHORT sRecallMode;
    BYTE abSavedOptions[7];
    BYTE abReserved[7];
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(USETDLGDATA) == 72);
static_assert(sizeof(void*) != 4 || offsetof(USETDLGDATA, wDialogId) == 40);
static_assert(sizeof(void*) != 4 || offsetof(USETDLGDATA, bValidating) == 52);
static_assert(sizeof(void*) != 4 || offsetof(USETDLGDATA, abSavedOptions) == 58);

INT_PTR CALLBACK SaveSettingsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RecallSettingsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OrganizeLibraryDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The module holding the dialogs' templates: the library's own, or the
// program's when the code is linked into one.
HINSTANCE GetLibraryDialogModule();

// Opens a dialog modally over hOwner on the live settings; its end code.
INT_PTR OpenSaveSettingsDialog(HWND hOwner, UISETTINGS* pSettings);
INT_PTR OpenRecallSettingsDialog(HWND hOwner, UISETTINGS* pSettings);
INT_PTR OpenOrganizeLibraryDialog(HWND hOwner, UISETTINGS* pSettings);

// The user's documents folder, else the Windows folder. Always TRUE.
BOOL GetDefaultSettingsFolder(LPWSTR pszFolder, UINT cchFolder);

// Name tests (FALSE for null): no \ / : * ? " < > | or full stop; every
// character 32..126 or 256 and above.
BOOL bHasNoForbiddenChars(LPCWSTR pszName);
BOOL bIsPrintableName(LPCWSTR pszName);
// The name equals (ignoring case) the display name of one of the first 25
// entries; the organize dialog skips its selected entry.
BOOL bIsDuplicateDisplayName(USETDLGDATA* pData, LPCWSTR pszName);
// The name rules of the save and organize dialogs; FALSE after the error
// has been shown.
BOOL bValidateSettingsName(HWND hDlg, BOOL bFinal);

// A path chosen in the file dialogs: 0 cancelled, 1 refused (after its
// message) or only the folder kept, 2 usable.
int CheckChosenSaveFile(HWND hDlg, LPCWSTR pszPath, WORD wFileOffset, WORD wExtOffset);
int CheckChosenLibraryFile(HWND hDlg, LPCWSTR pszPath, WORD wFileOffset, WORD wExtOffset);

void ShowUsetFieldError(HWND hDlg, int idField, UINT uCaption, UINT uText);
void ShowUsetFieldErrorText(HWND hDlg, int idField, UINT uCaption, LPCWSTR pszText);
BOOL bAskUsetField(HWND hDlg, int idField, UINT uCaption, UINT uText);
