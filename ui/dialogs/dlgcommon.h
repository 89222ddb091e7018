// dlgcommon.h: what the setting dialogs share beyond the sub-dialog frame.
//
// Owns: the dialog block kept in DWLP_USER (zero-filled movable memory,
// locked while the dialog lives), the help hook answer, settings read and
// written by their settings-file key, the filling of a list combo from its
// feature's value list with the availability rules, the reading of a
// combo's choice back into the list, and the bounded formatting of texts.
//
// Rules the callers rely on:
//  1. A block is found through DWLP_USER only; after DlgFreeBlock the
//     window long is 0 and every handler that finds no block does nothing.
//  2. A list combo shows the enabled items in list order; the item values
//     of the shown positions are kept by the caller (one per item).
//  3. Every text is formatted into a buffer of a stated size and always
//     ends inside it.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// State words the setting dialogs keep in the settings object: each
// dialog's refresh mask, the binding margin dialog's pending notice, and the
// user-ID-fixed flag that the opener of the user settings, confidential print
// and box save dialogs sets (1 the user ID is only shown, 0 it may be
// edited). They live in a block of their own in the object's shared state,
// apart from the sheet's state words.
#define DLGWORD_OHP_DIRTY 0
#define DLGWORD_MARGIN_DIRTY 1
#define DLGWORD_BOOKLET_DIRTY 2
#define DLGWORD_PUNCH_DIRTY 3
#define DLGWORD_MARGIN_NOTICE 4
#define DLGWORD_USERID_FIXED 5
// Set by the opener of the custom paper size dialog: the target group, 1
// the document size, 0 the output size.
#define DLGWORD_UDPAPER_TARGET 6
// The watermark editor's refresh mask.
#define DLGWORD_WMEDIT_DIRTY 7
// Refresh masks of the insert sheet, heading text details, print position
// and fax cover sheet dialogs.
#define DLGWORD_INSERT_DIRTY 8
#define DLGWORD_TABTEXT_DIRTY 9
#define DLGWORD_PRINTPOS_DIRTY 10
#define DLGWORD_FAXCOVER_DIRTY 11
#define DLG_STATE_WORDS 16
// The block of DLG_STATE_WORDS words; null for a null object.
DWORD* DlgStateWords(UISETTINGS* pObj);

// The block of a dialog: allocated zero-filled, locked, kept in DWLP_USER.
void* DlgAllocBlock(HWND hDlg, DWORD cb);
void* DlgGetBlock(HWND hDlg);
void DlgFreeBlock(HWND hDlg);

// WM_HELP and WM_CONTEXTMENU: the driver's help for the control asked
// about (WM_HELP) or for the dialog (WM_CONTEXTMENU). TRUE when uMsg is one
// of them.
BOOL DlgAnswerHelp(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// A setting by its settings-file key: the edited value (-1 when the object
// has no such setting) and its writing.
SHORT DlgGetSetting(UISETTINGS* pObj, LPCWSTR pszKey);
BOOL DlgSetSetting(UISETTINGS* pObj, LPCWSTR pszKey, SHORT sValue);
// The numeric record (value, lower and upper limit) of a number setting.
struct DLGRANGE {
    SHORT sValue;
    SHORT sMin;
    SHORT sMax;
};
BOOL DlgGetRange(UISETTINGS* pObj, LPCWSTR pszKey, DLGRANGE* pRange);

// Fills a list combo from feature wFeature: every item is tested by the
// availability rules, disabled items are hidden, the current value is
// selected; when it is not shown the list's default becomes the current
// value. psValues (cValues entries) receives the values by position.
// Returns the number of shown items.
// sNeverShown names an item value that is never offered (the item that
// opens a dialog), DLG_NO_VALUE for none.
#define DLG_NO_VALUE ((SHORT)-32768)
int DlgFillListCombo(HWND hCombo, UISETTINGS* pObj, WORD wFeature, SHORT* psValues, int cValues,
                     SHORT sNeverShown = DLG_NO_VALUE);
// The combo's chosen text made the list's current item and value. FALSE
// when nothing is chosen or no item has that text.
BOOL DlgReadListCombo(HWND hCombo, UISETTINGS* pObj, WORD wFeature);

// wsprintfW into a bounded buffer (always terminated).
int DlgFormat(LPWSTR pszOut, int cchOut, LPCWSTR pszFormat, ...);
// Appends a text to a bounded buffer; FALSE when it did not all fit.
BOOL DlgAppend(LPWSTR pszOut, int cchOut, LPCWSTR pszText);

// Module of the pictures (the resource library).
HMODULE DlgPictureModule();

// EnumFontFamiliesW callback of the face combos (heading text details,
// watermark editor): adds the face of every TrueType family with
// CB_ADDSTRING to the combo box given as lParam and always goes on.
int AddFontNameToCombo(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam);
