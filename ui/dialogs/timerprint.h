// timerprint.h: the timer print dialog.
//
// Owns: TimerPrintDlgProc (template 2770), which sets the hour and minute
// at which the machine starts a held job. While it is open, window timer 1
// refreshes a clock of the current local time every 30 seconds; a button
// copies that time into the edits.
//
// Rules the callers rely on:
//  1. The timer runs exactly while the dialog is open: it is killed on OK
//     and on Cancel.
//  2. OK stores an hour and a minute inside their records' limits; Cancel
//     puts back the values the dialog opened with.
#pragma once

#include "platform/windows.h"

#define IDD_TIMERPRINT 2770
#define IDC_TIMER_LABEL 2771
#define IDC_TIMER_HOUR 2772
#define IDC_TIMER_HOUR_SPIN 2773
#define IDC_TIMER_COLON 2774
#define IDC_TIMER_MINUTE 2775
#define IDC_TIMER_MINUTE_SPIN 2776
#define IDC_TIMER_APPLY_NOW 2777
#define IDC_TIMER_CLOCK_FRAME 2778
#define IDC_TIMER_CLOCK 2779

#define TIMERPRINT_TIMER_ID 1
#define TIMERPRINT_TIMER_MS 30000

INT_PTR CALLBACK TimerPrintDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// The update function: flags the edit of the hour (2772, 2773) or of the
// minute (2775, 2776) and shows its value again with two digits.
void TimerPrintUpdateControl(HWND hDlg, int id);
