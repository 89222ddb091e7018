// ohpinterleave.h: the OHP interleave settings dialog (template 2020).
//
// Chooses a blank or a printed sheet between transparencies and the tray
// that feeds those sheets, with a picture of the choice. Opened with the
// settings object as its parameter; edits it in place and puts the two
// values back on Cancel.
#pragma once

#include "platform/windows.h"

#define IDD_OHPINTERLEAVE 2020
#define IDC_OHP_BLANK 2021
#define IDC_OHP_PRINTED 2022
#define IDC_OHP_TRAYLABEL 2023
#define IDC_OHP_TRAY 2024
#define IDC_OHP_PICTURE 2025

INT_PTR CALLBACK OhpInterleaveDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Flags the controls of a changed feature and refreshes them: 2021 and 2022
// the radios and the picture, 2024 the tray combo. Other ids change nothing.
int OhpInterleaveUpdateControl(HWND hDlg, WORD wId);
