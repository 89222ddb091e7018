// insertsheet.cpp: the insert sheet dialog. See insertsheet.h.
#include "ui/dialogs/insertsheet.h"

INT_PTR CALLBACK InsertSheetDlgProc(HWND hDlg, UINT uMsg, WPARAM, LPARAM)
{
    if (uMsg == WM_INITDIALOG)
        return TRUE;
    (void)hDlg;
    return FALSE;
}
