// ohpinterleave.cpp: the OHP interleave settings dialog. See ohpinterleave.h.
#include "ui/dialogs/ohpinterleave.h"

#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/illustration.h"
#include "ui/settings/uisettings.h"

namespace {

const WORD kPictureFrame = 10213;
const WORD kPicturePrinted = 10214;
const WORD kPictureBlank = 10215;
const int kMaxTrays = 64;

struct OHPDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    SHORT asTray[kMaxTrays];      // value of each shown tray position
    BYTE bSavedType;
    SHORT sSavedTray;
    HGLOBAL hIllFrame;
    HGLOBAL hIllPrinted;
    HGLOBAL hIllBlank;
};

// The dirty word of dialog 2020: bit 0 radios and picture, bit 1 the tray.
DWORD& Dirty(UISETTINGS* pObj)
{
    return DlgStateWords(pObj)[DLGWORD_OHP_DIRTY];
}

SHORT Kind(UISETTINGS* pObj)
{
    return DlgGetSetting(pObj, u"lpOhpIntlvType");
}

void InvalidatePicture(HWND hDlg)
{
    RECT rc;
    HWND h = GetDlgItem(hDlg, IDC_OHP_PICTURE);
    if (!h)
        return;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, hDlg, (POINT*)&rc, 2);
    InvalidateRect(hDlg, &rc, TRUE);
}

void Refresh(OHPDLG* p)
{
    DWORD& d = Dirty(p->pObj);
    if (d & 1) {
        d &= ~1u;
        CheckRadioButton(p->hDlg, IDC_OHP_BLANK, IDC_OHP_PRINTED,
                         Kind(p->pObj) == 1 ? IDC_OHP_PRINTED : IDC_OHP_BLANK);
        InvalidatePicture(p->hDlg);
    }
    if (d & 2) {
        d &= ~2u;
        DlgFillListCombo(GetDlgItem(p->hDlg, IDC_OHP_TRAY), p->pObj, IDC_OHP_TRAY, p->asTray, kMaxTrays);
    }
}

HGLOBAL MakeIllustration(HWND hDlg, WORD wPicture)
{
    RECT rc;
    HWND h = GetDlgItem(hDlg, IDC_OHP_PICTURE);
    if (!h)
        return nullptr;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, hDlg, (POINT*)&rc, 2);
    return CreateIllustrationAt(DlgPictureModule(), hDlg, &rc, wPicture, 0, 0, 0, 0, 0);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    OHPDLG* p = (OHPDLG*)DlgAllocBlock(hDlg, sizeof(OHPDLG));
    if (!p || !pObj)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    p->hIllFrame = MakeIllustration(hDlg, kPictureFrame);
    p->hIllPrinted = MakeIllustration(hDlg, kPicturePrinted);
    p->hIllBlank = MakeIllustration(hDlg, kPictureBlank);
    Dirty(pObj) = 3;
    p->bSavedType = (BYTE)Kind(pObj);
    p->sSavedTray = DlgGetSetting(pObj, u"lpOIPaperTray");
    Refresh(p);
}

void End(HWND hDlg, int iResult)
{
    OHPDLG* p = (OHPDLG*)DlgGetBlock(hDlg);
    if (p) {
        if (iResult == IDCANCEL) {
            DlgSetSetting(p->pObj, u"lpOhpIntlvType", (SHORT)p->bSavedType);
            DlgSetSetting(p->pObj, u"lpOIPaperTray", p->sSavedTray);
        }
        DestroyIllustration(p->hIllFrame);
        DestroyIllustration(p->hIllPrinted);
        DestroyIllustration(p->hIllBlank);
        DlgFreeBlock(hDlg);
    }
    UnregisterPageLink(IDD_OHPINTERLEAVE);
    EndDialog(hDlg, iResult);
}

void Command(HWND hDlg, WPARAM wParam)
{
    OHPDLG* p = (OHPDLG*)DlgGetBlock(hDlg);
    WORD id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        End(hDlg, id);
        return;
    }
    if (!p)
        return;
    SetActivePageId(p->pObj, IDD_OHPINTERLEAVE);
    if (id == IDC_OHP_BLANK || id == IDC_OHP_PRINTED) {
        SHORT s = id == IDC_OHP_PRINTED ? 1 : 0;
        if (Kind(p->pObj) != s) {
            DlgSetSetting(p->pObj, u"lpOhpIntlvType", s);
            OhpInterleaveUpdateControl(hDlg, id);
        }
    } else if (id == IDC_OHP_TRAY && HIWORD(wParam) == CBN_SELCHANGE) {
        if (DlgReadListCombo(GetDlgItem(hDlg, IDC_OHP_TRAY), p->pObj, IDC_OHP_TRAY))
            OhpInterleaveUpdateControl(hDlg, id);
    }
}

void Paint(HWND hDlg)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hDlg, &ps);
    OHPDLG* p = (OHPDLG*)DlgGetBlock(hDlg);
    if (p && hdc) {
        PaintIllustrationRopOn(hdc, Kind(p->pObj) != 0 ? p->hIllPrinted : p->hIllBlank, 20, 11, SRCCOPY);
        PaintIllustrationRopOn(hdc, p->hIllFrame, 11, 17, SRCAND);
    }
    EndPaint(hDlg, &ps);
}

// The engine's route to the open dialog.
int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_OHPINTERLEAVE, &h);
    return OhpInterleaveUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

int OhpInterleaveUpdateControl(HWND hDlg, WORD wId)
{
    OHPDLG* p = (OHPDLG*)DlgGetBlock(hDlg);
    if (!p)
        return 0;
    DWORD& d = Dirty(p->pObj);
    d = 0;
    if (wId == IDC_OHP_BLANK || wId == IDC_OHP_PRINTED)
        d = 1;
    else if (wId == IDC_OHP_TRAY)
        d = 2;
    else
        return 0;
    Refresh(p);
    return 1;
}

INT_PTR CALLBACK OhpInterleaveDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_OHPINTERLEAVE, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    case WM_PAINT:
        Paint(hDlg);
        return TRUE;
    }
    return FALSE;
}
