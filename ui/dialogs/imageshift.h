// imageshift.h: the image shift dialog.
//
// Owns: ImageShiftDlgProc (template 2320), which moves the printed image on
// the front and the back of the sheet (left or right, up or down, by an
// amount in 0.1 mm, with a page interval per side), or leaves the shift to
// the machine; the back can follow the front. ImageShiftUpdateControl, the
// update function the constraint engine and the dialog itself call.
//
// Rules the callers rely on:
//  1. The edits store while the user types; a number above its record's
//     upper limit is turned into the limit at once. Leaving an edit, and
//     OK, check it against both limits and refuse with the range box.
//  2. With the back following the front, the back's left/right is the
//     opposite of the front's, its up/down the same, its amounts the same.
//  3. Cancel puts back all twelve values the dialog opened with.
#pragma once

#include "platform/windows.h"

#define IDD_IMAGESHIFT 2320
#define IDC_IS_LEFT_F 2321
#define IDC_IS_RIGHT_F 2322
#define IDC_IS_LR_F 2323
#define IDC_IS_LR_F_SPIN 2324
#define IDC_IS_UP_F 2325
#define IDC_IS_DOWN_F 2326
#define IDC_IS_UD_F 2327
#define IDC_IS_UD_F_SPIN 2328
#define IDC_IS_INTERVAL_F_LABEL 2329
#define IDC_IS_INTERVAL_F 2330
#define IDC_IS_INTERVAL_F_SPIN 2331
#define IDC_IS_LEFT_B 2332
#define IDC_IS_RIGHT_B 2333
#define IDC_IS_LR_B 2334
#define IDC_IS_LR_B_SPIN 2335
#define IDC_IS_UP_B 2336
#define IDC_IS_DOWN_B 2337
#define IDC_IS_UD_B 2338
#define IDC_IS_UD_B_SPIN 2339
#define IDC_IS_INTERVAL_B_LABEL 2340
#define IDC_IS_INTERVAL_B 2341
#define IDC_IS_INTERVAL_B_SPIN 2342
#define IDC_IS_RANGE_LR_F 2343
#define IDC_IS_RANGE_UD_F 2344
#define IDC_IS_RANGE_LR_B 2345
#define IDC_IS_RANGE_UD_B 2346
#define IDC_IS_RANGE_INTERVAL_F 2347
#define IDC_IS_RANGE_INTERVAL_B 2348
#define IDC_IS_UNIT_NOTE 2349
#define IDC_IS_MODE_DRIVER 2350
#define IDC_IS_MODE_MACHINE 2351
#define IDC_IS_GROUP_F 2352
#define IDC_IS_GROUP_B 2353
#define IDC_IS_BACK_AUTO 2354

INT_PTR CALLBACK ImageShiftDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Flags the controls of id (2321..2354) and shows them again from the
// settings object: 0. Other ids change nothing and answer id - 2321.
int ImageShiftUpdateControl(HWND hDlg, int id);
