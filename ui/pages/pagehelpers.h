// pagehelpers.h: small helpers every page and most sub-dialogs share.
//
// Owns: the help launcher and the driver's one table of (control id, help
// context) pairs, the operating-system tests, the value-list position
// lookups, the page-list syntax check with its error and duplicate-page
// warnings, and the edit-text helpers the key filters build on. Nothing here
// keeps state beyond the help table and the bound help engine.
//
// Rules the callers rely on:
//  1. A position is a 16-bit combo index; 0xFFFF means none.
//  2. Page-list texts longer than PAGELIST_MAX_TEXT characters are refused
//     (code 1), never scanned past the end of the position table.
//  3. Every message text is built in bounded buffers: a resource text that
//     does not fit is cut, never written past the end.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"

// The value list of one list setting: the header, then its item rows.
//   header word 0 current value, 1 current combo position, 2 committed value,
//   3 default, 4 flag, 5 item count; item rows of 134 bytes follow.
typedef UIITEMLIST FEATUREVALUELIST;
#define VALUEITEM_ENABLED 1
#define VALUEITEM_DISABLED 4
#define POSITION_NONE 0xFFFF

// Help contexts of the sheets' Help buttons (HELP_CONTEXT).
#define HELPCTX_SETUP 2002
#define HELPCTX_COVER 2003
#define HELPCTX_FINISHING 2004
#define HELPCTX_FORM 2005
#define HELPCTX_WATERMARK 2006
#define HELPCTX_IMAGE 2008
#define HELPCTX_FONT 2009
#define HELPCTX_OPTIONS 2010
#define HELPCTX_VERSION 2011

#define HELPTABLE_PAIRS 649
#define HELPTABLE_PATH_CCH 260

// Operating-system classes of GetOsClass.
#define OSCLASS_WIN95 0x10000001
#define OSCLASS_WIN98 0x10000002
#define OSCLASS_NT4 0x20000001
#define OSCLASS_WIN2000 0x21000002
#define OSCLASS_WINXP 0x21000004

// Page-list syntax results.
#define PAGELIST_OK 0
#define PAGELIST_BAD_CHAR 1
#define PAGELIST_BAD_COMMA 2
#define PAGELIST_LEADING_ZERO 3
#define PAGELIST_BAD_HYPHEN 4
#define PAGELIST_TOO_MANY 5      // only ShowPageListError: more numbers than the field takes
#define PAGELIST_MAX_TEXT 254

// List kinds of ShowPageListError.
#define PAGELIST_KIND_PAGES 1       // page numbers, 4 digits, at most 9999
#define PAGELIST_KIND_CHAPTERS 2    // sheet numbers of the chapter list, at most 30
#define PAGELIST_KIND_COVERS 3      // sheet numbers of cover insertion, at most 28
#define PAGELIST_KIND_SINGLE 4      // one sheet number
#define PAGELIST_KIND_SHEETS 5      // sheet numbers without a count limit

#define DUPLIST_CCH 606

// The help table: HELPTABLE_PAIRS pairs and a (0, 0) pair, as the help engine
// takes it with HELP_WM_HELP and HELP_CONTEXTMENU.
const DWORD* GetHelpTable();
// The first context of a control id in the table; 0 when it has none.
DWORD GetHelpContext(DWORD dwControlId);

// The help engines. WinHelpW is the system's; HtmlHelpW is bound on first
// use from the library the registry names for the compiled-help control.
typedef BOOL (*PFN_WINHELPW)(HWND hwnd, LPCWSTR pszFile, UINT uCommand, ULONG_PTR dwData);
typedef HWND (*PFN_HTMLHELPW)(HWND hwnd, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData);
// Replaces the engines (tests record the calls); null restores the binding.
void HelpSetEngines(PFN_WINHELPW pfnWinHelp, PFN_HTMLHELPW pfnHtmlHelp);

// Opens help: the system directory and the help file's path in pszPath
// (HELPTABLE_PATH_CCH characters; its earlier content is replaced). On NT 6
// or later only HELP_CONTEXT reaches the compiled help; other commands show
// nothing there. Returns the help call's result; FALSE when the path does
// not fit or no engine is bound.
BOOL ShowDriverHelp(HWND hwnd, LPWSTR pszPath, UINT uCommand, ULONG_PTR dwData);

BOOL bIsNt6OrLater();
DWORD GetOsClass();

// Value-list lookups (the list header followed by its rows).
WORD GetEnabledItemPosition(const FEATUREVALUELIST* pList, SHORT sCode);
WORD GetItemPosition(const FEATUREVALUELIST* pList, SHORT sCode);
// Item row i of a value list.
UIITEMCHOICE* GetValueListItem(FEATUREVALUELIST* pList, int i);
const UIITEMCHOICE* GetValueListItem(const FEATUREVALUELIST* pList, int i);
// The index of the first item whose text equals pszText; 0xFFFF when none.
WORD FindValueListText(const FEATUREVALUELIST* pList, LPCWSTR pszText);
// The index in pList of the item whose display text the combo shows
// selected (the first item with that text); 0xFFFF when nothing is
// selected or no item has the text.
WORD FindComboSelectionInList(HWND hCombo, const FEATUREVALUELIST* pList);

// Page lists such as 2,4,6-10.
int CheckPageListSyntax(LPCWSTR pszText, int cchText, int nMaxDigits);
int CollectDuplicateValues(const SHORT* pValues, int nCount, SHORT* pOut, int nCapacity);
BOOL FormatDuplicateList(const SHORT* pValues, int nCount, LPWSTR pszOut, int cchOut);
BOOL ShowDuplicatePagesWarning(HWND hwnd, UINT uCaptionId, const SHORT* pValues, int nCount);
// Builds the message of ShowPageListError into pszOut (cchOut characters).
BOOL FormatPageListError(int nError, int nKind, LPWSTR pszOut, int cchOut);
BOOL ShowPageListError(HWND hwnd, UINT uCaptionId, int nError, int nKind);

// Edit helpers.
// pszOut := text before the selection start + ch + text from the selection
// end (dwSel as EM_GETSEL answers it). Returns the new length; 0 when an
// argument is missing, the selection is outside the text, or the result
// would not fit in cchMax characters.
int InsertCharInText(LPCWSTR pszText, LPWSTR pszOut, int cchMax, DWORD dwSel, WCHAR ch);
BOOL bHasNonZeroDigit(LPCWSTR pszText);
void FillWithNines(int nCount, LPWSTR pszOut);

// Gives the static texts without an id that name a control the control's
// enabled state, so a person sees a disabled field's label disabled too:
// the one right before it in the dialog's order, and those right after it
// up to the next control that is not such a text.
void EnableFieldLabels(HWND hCtl, BOOL bEnable);

// The sheet-origin test on the parent's title: TRUE when the title does not
// end with text 31632 (compared on its last 4 characters, titles of 5 or
// more) nor with text 31633 (last 5 characters, titles of more than 4); an
// absent or empty title counts as TRUE. Only Windows NT 5.x asks; on other
// systems the answer is bKeep, unchanged.
BOOL TitleLacksSheetSuffix(LPCWSTR pszTitle, BOOL bKeep);
