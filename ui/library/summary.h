// summary.h: the settings summary of the library dialogs.
//
// Owns: the seven-tab text summary of one settings object (a tab control
// and a read-only multi-line edit under it), the item tables it is built
// from (SUMMARYITEM, one per tab), the value formatters and the formatter
// routines of the groups that need more than one value, and the refresh of
// the two preview panes that sit beside it.
//
// Rules:
//   1. A tab's text is built from scratch on every call; nothing is kept.
//   2. The availability of every row is evaluated for the summarised object
//      between a save and a restore of the control-dependency states, so the
//      open pages keep theirs.
//   3. A row whose control is disabled for that object writes nothing.
//   4. The text never exceeds SUMMARY_CCH characters with its terminator:
//      what does not fit is cut.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define SUMMARY_CCH 32768
#define SUMMARY_TABS 7

// Tab controls and their edits.
#define IDC_SUMMARY_SAVE_TAB 2700
#define IDC_SUMMARY_SAVE_EDIT 2701
#define IDC_SUMMARY_RECALL_TAB 2702
#define IDC_SUMMARY_RECALL_EDIT 2703
#define IDC_SUMMARY_ORGANIZE_TAB 2704
#define IDC_SUMMARY_ORGANIZE_EDIT 2705
#define IDC_PREVIEW_LARGE 166
#define IDC_PREVIEW_ICONS 167

// A formatter routine: appends its lines at iPos and returns the new
// position; the position unchanged for a null buffer or object.
typedef int (*PFN_SUMMARYFORMAT)(LPWSTR pszBuf, int iPos, UISETTINGS* pObj, WORD wFeature);

// SUMMARYITEM (20 bytes). A table ends with a row of kind 0.
//   off size field
//     0    2 kind: 1 on/off, 2 and 3 value name, 4 number, 5 formatter
//     2    2 feature id
//     4    4 prefix (null: no prefix and no label)
//     8    2 indent key (0: none)   10 2 spare
//    12    4 value format (null: none)
//    16    4 formatter (kind 5)
struct SUMMARYITEM {
    SHORT sKind;
    WORD wFeature;
    LPCWSTR pszPrefix;
    WORD wIndent;
    WORD wSpare;
    LPCWSTR pszFormat;
    PFN_SUMMARYFORMAT pfnFormat;
};
static_assert(sizeof(void*) != 4 || sizeof(SUMMARYITEM) == 20);
static_assert(sizeof(void*) != 4 || offsetof(SUMMARYITEM, pszFormat) == 12);

// The table of a tab (0..6); null for another tab.
const SUMMARYITEM* GetSummaryTable(int iTab);

BOOL InitSummaryTabs(HWND hDlg, int idTab, UISETTINGS* pObj);
BOOL RebuildSummaryText(HWND hDlg, int idTab, UISETTINGS* pObj);
BOOL BuildSettingsSummary(HWND hDlg, int idTab, UISETTINGS* pObj, int iTab);
// Builds one tab into pszBuf (SUMMARY_CCH characters, zeroed by the
// caller) inside the availability bracket; returns the length.
int BuildTabSummary(LPWSTR pszBuf, UISETTINGS* pObj, int iTab);
int WriteSummaryItems(LPWSTR pszBuf, UISETTINGS* pObj, const SUMMARYITEM* pTable);
int WriteStandardSummaryLine(LPWSTR pszBuf, int iPos, int iRow, const SUMMARYITEM* pTable);
void BuildSummaryLineFormat(const SUMMARYITEM* pTable, int iRow, LPWSTR pszOut);

// Value formatters on the object bound last: FALSE and the output untouched
// when the feature's value is unknown.
BOOL GetOnOffText(WORD wFeature, LPWSTR pszOut, int cchOut);
BOOL GetCurrentValueName(WORD wFeature, LPWSTR pszOut, int cchOut);
BOOL GetCurrentValueNumber(WORD wFeature, SHORT* psOut);

LPCWSTR GetSummaryIndent(WORD wKey);
BOOL bSummaryFeatureAvailable(UISETTINGS* pObj, WORD wFeature);

// One user-size line (modes 1 to 3) for a custom or user paper code.
int FormatUserSizeLine(LPWSTR pszBuf, UISETTINGS* pObj, int iPos, int iCode, int iMode);

// The panes beside the summary: invalidated with an object, drawn empty
// without one.
void RefreshSummaryPreviews(HWND hDlg, UISETTINGS* pObj);
// Tab 6 selected: pane 166 shows the machine view.
BOOL bMachineViewTab(HWND hDlg, int idTab);
// Paints pane 166 or 167 of a library dialog for its WM_DRAWITEM.
void DrawSummaryPane(HWND hDlg, int idTab, const DRAWITEMSTRUCT* pDis, UISETTINGS* pObj);
