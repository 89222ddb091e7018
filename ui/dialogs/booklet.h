// booklet.h: the booklet settings dialog (template 2760) and the punch
// settings dialog (template 2790).
//
// Both change the settings object at once when a radio is clicked, offer an
// alternative only when the rules leave the chosen output paper usable with
// it, and put the saved values back on Cancel.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_BOOKLET 2760
#define IDC_BOOKLET_TWICE 2761    // booklet on twice the output paper
#define IDC_BOOKLET_SAME 2762     // booklet on the output paper
#define IDC_BOOKLET_PICTURE 2763
#define IDC_BOOKLET_GROUP 2764
#define IDC_BOOKLET_NOTE1 2765
#define IDC_BOOKLET_NOTE2 2766

#define IDD_PUNCH 2790
#define IDC_PUNCH_GROUP 2791
#define IDC_PUNCH_TWO 2792
#define IDC_PUNCH_THREE 2793
#define IDC_PUNCH_FOUR 2794       // four holes: no template carries it

INT_PTR CALLBACK BookletDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
int BookletUpdateControl(HWND hDlg, WORD wId);
INT_PTR CALLBACK PunchDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
int PunchUpdateControl(HWND hDlg, WORD wId);

// Whether the current output paper stays usable when the settings are
// switched to the other booklet mode (bBooklet) or the other hole count.
// Every setting is as it was afterwards.
BOOL bOtherBookletModeUsable(HWND hDlg, UISETTINGS* pObj);
BOOL bOtherHoleCountUsable(HWND hDlg, UISETTINGS* pObj);
