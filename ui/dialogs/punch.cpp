// punch.cpp: the punch settings dialog. See booklet.h.
#include "ui/dialogs/booklet.h"

#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/subdlg.h"
#include "ui/settings/uisettings.h"

namespace {

DWORD& Dirty(UISETTINGS* pObj)
{
    return DlgStateWords(pObj)[DLGWORD_PUNCH_DIRTY];
}

SHORT Holes(UISETTINGS* pObj)
{
    return DlgGetSetting(pObj, u"lpPunchHoles");
}

void RefreshPunchDlg(SUBDLGSMALL* p)
{
    HWND hDlg = p->hDlg;
    SHORT s = Holes(p->pObj);
    DWORD& d = Dirty(p->pObj);
    if (d & 1) {
        d &= ~1u;
        CheckDlgButton(hDlg, IDC_PUNCH_TWO, s == 2 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hDlg, IDC_PUNCH_THREE, s == 3 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hDlg, IDC_PUNCH_FOUR, s == 4 ? BST_CHECKED : BST_UNCHECKED);
    }
    BOOL bOther = bOtherHoleCountUsable(hDlg, p->pObj);
    if (s == 2) {
        EnableWindow(GetDlgItem(hDlg, IDC_PUNCH_TWO), TRUE);
        EnableWindow(GetDlgItem(hDlg, IDC_PUNCH_THREE), bOther);
    } else if (s == 3) {
        EnableWindow(GetDlgItem(hDlg, IDC_PUNCH_THREE), TRUE);
        EnableWindow(GetDlgItem(hDlg, IDC_PUNCH_TWO), bOther);
    }
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    SUBDLGSMALL* p = (SUBDLGSMALL*)DlgAllocBlock(hDlg, sizeof(SUBDLGSMALL));
    if (!p || !pObj)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    Dirty(pObj) = 0;
    p->wSavedValue = (WORD)(BYTE)Holes(pObj);
    Dirty(pObj) = 3;
    RefreshPunchDlg(p);
}

void Command(HWND hDlg, WPARAM wParam)
{
    SUBDLGSMALL* p = (SUBDLGSMALL*)DlgGetBlock(hDlg);
    WORD id = LOWORD(wParam);
    if (p)
        SetActivePageId(p->pObj, IDD_PUNCH);
    switch (id) {
    case IDC_PUNCH_TWO:
    case IDC_PUNCH_THREE:
    case IDC_PUNCH_FOUR: {
        SHORT s = (SHORT)(id - IDC_PUNCH_TWO + 2);
        if (p && Holes(p->pObj) != s) {
            DlgSetSetting(p->pObj, u"lpPunchHoles", s);
            PunchUpdateControl(hDlg, id);
        }
        break;
    }
    case IDOK:
        DlgFreeBlock(hDlg);
        EndDialog(hDlg, IDOK);
        break;
    case IDCANCEL:
        if (p)
            DlgSetSetting(p->pObj, u"lpPunchHoles", (SHORT)p->wSavedValue);
        DlgFreeBlock(hDlg);
        EndDialog(hDlg, IDCANCEL);
        break;
    }
}

int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_PUNCH, &h);
    return PunchUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

int PunchUpdateControl(HWND hDlg, WORD wId)
{
    SUBDLGSMALL* p = (SUBDLGSMALL*)DlgGetBlock(hDlg);
    if (!p)
        return 0;
    Dirty(p->pObj) = 0;
    if (wId != IDC_PUNCH_TWO && wId != IDC_PUNCH_THREE)
        return 0;
    Dirty(p->pObj) = 1;
    RefreshPunchDlg(p);
    return 1;
}

INT_PTR CALLBACK PunchDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_PUNCH, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            UnregisterPageLink(IDD_PUNCH);
        return TRUE;
    }
    return FALSE;
}
