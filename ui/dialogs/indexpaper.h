// indexpaper.h: the index paper dialog (template 2720).
//
// Sets, for the current insert-sheet list, the tab paper's size and number
// of tabs and where the tab texts go: the gap above the first tab, the gap
// below the last, the space between tabs and the text position, all in
// whole millimetres. The dialog works on the settings object's copy of the
// list's values: loaded from the list's set record at open, stored back by
// OK and loaded again by Cancel.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_INDEXPAPER 2720
#define IDC_IDX_GROUP 2721
#define IDC_IDX_SIZE 2724
#define IDC_IDX_TABS 2726
#define IDC_IDX_TOP 2729
#define IDC_IDX_TOP_SPIN 2730
#define IDC_IDX_BOTTOM 2732
#define IDC_IDX_BOTTOM_SPIN 2733
#define IDC_IDX_SPACE 2735
#define IDC_IDX_SPACE_SPIN 2736
#define IDC_IDX_POSITION 2738
#define IDC_IDX_POSITION_SPIN 2739
#define IDC_IDX_DEFAULTS 2741
#define IDC_IDX_PREVIEW 2743
#define IDC_IDX_TOP_RANGE 2744
#define IDC_IDX_BOTTOM_RANGE 2745
#define IDC_IDX_SPACE_RANGE 2746
#define IDC_IDX_POSITION_RANGE 2747
#define IDC_IDX_HELP 2752

INT_PTR CALLBACK IndexPaperDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The largest space between tabs that still fits: the space maximum, or,
// when the two largest gaps and the spaces exceed the paper length, what is
// left of the length shared out over the spaces (never below the space
// minimum). lLengthMm is the tab paper's length, nTabs its number of tabs.
SHORT IndexPaperSpaceMax(LONG lLengthMm, int nTabs, SHORT sTopMax, SHORT sBottomMax, SHORT sSpaceMin,
                         SHORT sSpaceMax);
