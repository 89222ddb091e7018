// booklet.cpp: the booklet settings dialog. See booklet.h.
#include "ui/dialogs/booklet.h"

#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/preview.h"
#include "ui/settings/papertable.h"
#include "ui/settings/uisettings.h"

namespace {

const WORD kOutputPaper = 114;

struct BOOKLETDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    BYTE bSavedMode;
    SHORT sSavedBooklet;
    SHORT sSavedBooklet2;
    SHORT sSavedEngBooklet;
    SHORT sSavedEngBooklet2;
};

// The five values a booklet mode is made of, in this order.
const LPCWSTR kKeys[] = {u"lpBookletMode", u"Booklet_Check", u"lpBooklet2", u"EngBooklet_Check", u"lpEngBooklet"};

DWORD& Dirty(UISETTINGS* pObj)
{
    return DlgStateWords(pObj)[DLGWORD_BOOKLET_DIRTY];
}

SHORT V(UISETTINGS* pObj, LPCWSTR k)
{
    return DlgGetSetting(pObj, k);
}

// Moves the booklet flag and value across to the other mode.
void SwitchMode(UISETTINGS* pObj, SHORT sMode)
{
    if (sMode == 1) {
        DlgSetSetting(pObj, u"EngBooklet_Check", V(pObj, u"Booklet_Check"));
        DlgSetSetting(pObj, u"lpEngBooklet", V(pObj, u"lpBooklet2"));
        DlgSetSetting(pObj, u"Booklet_Check", 0);
    } else {
        DlgSetSetting(pObj, u"Booklet_Check", V(pObj, u"EngBooklet_Check"));
        DlgSetSetting(pObj, u"lpBooklet2", V(pObj, u"lpEngBooklet"));
        DlgSetSetting(pObj, u"EngBooklet_Check", 0);
    }
    DlgSetSetting(pObj, u"lpBookletMode", sMode);
}

void InvalidatePicture(HWND hDlg)
{
    HWND h = GetDlgItem(hDlg, IDC_BOOKLET_PICTURE);
    RECT rc;
    if (!h)
        return;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, hDlg, (POINT*)&rc, 2);
    InvalidateRect(hDlg, &rc, TRUE);
}

void Refresh(BOOKLETDLG* p)
{
    HWND hDlg = p->hDlg;
    SHORT sMode = V(p->pObj, u"lpBookletMode");
    DWORD& d = Dirty(p->pObj);
    if (d & 1) {
        d &= ~1u;
        CheckRadioButton(hDlg, IDC_BOOKLET_TWICE, IDC_BOOKLET_SAME, sMode == 1 ? IDC_BOOKLET_TWICE : IDC_BOOKLET_SAME);
        InvalidatePicture(hDlg);
    }
    BOOL bOther = bOtherBookletModeUsable(hDlg, p->pObj);
    if (sMode == 1) {
        EnableWindow(GetDlgItem(hDlg, IDC_BOOKLET_TWICE), TRUE);
        BOOL bSame = bOther && V(p->pObj, u"Nup_Check") != 1 && V(p->pObj, u"BindMargin_Check") != 1 &&
                     V(p->pObj, u"lpGraphicsMode") != 1;
        EnableWindow(GetDlgItem(hDlg, IDC_BOOKLET_SAME), bSame);
    } else {
        EnableWindow(GetDlgItem(hDlg, IDC_BOOKLET_SAME), TRUE);
        EnableWindow(GetDlgItem(hDlg, IDC_BOOKLET_TWICE), bOther);
    }
    ShowWindow(GetDlgItem(hDlg, IDC_BOOKLET_NOTE1), sMode == 1 ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(hDlg, IDC_BOOKLET_NOTE2), sMode == 1 ? SW_HIDE : SW_SHOW);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    BOOKLETDLG* p = (BOOKLETDLG*)DlgAllocBlock(hDlg, sizeof(BOOKLETDLG));
    if (!p || !pObj)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    Dirty(pObj) = 0;
    p->bSavedMode = (BYTE)V(pObj, u"lpBookletMode");
    p->sSavedBooklet = V(pObj, u"Booklet_Check");
    p->sSavedBooklet2 = V(pObj, u"lpBooklet2");
    p->sSavedEngBooklet = V(pObj, u"EngBooklet_Check");
    p->sSavedEngBooklet2 = V(pObj, u"lpEngBooklet");
    Dirty(pObj) = 3;
    Refresh(p);
}

void Command(HWND hDlg, WPARAM wParam)
{
    BOOKLETDLG* p = (BOOKLETDLG*)DlgGetBlock(hDlg);
    WORD id = LOWORD(wParam);
    if (p)
        SetActivePageId(p->pObj, IDD_BOOKLET);
    switch (id) {
    case IDC_BOOKLET_TWICE:
    case IDC_BOOKLET_SAME: {
        SHORT sMode = id == IDC_BOOKLET_TWICE ? 1 : 2;
        if (p && V(p->pObj, u"lpBookletMode") != sMode) {
            SwitchMode(p->pObj, sMode);
            BookletUpdateControl(hDlg, id);
        }
        break;
    }
    case IDOK:
        if (p) {
            SHORT sMode = V(p->pObj, u"lpBookletMode");
            if (sMode != p->bSavedMode) {
                BindFeatureFields(p->pObj);
                if (sMode == 2)
                    UpdateZoomForPaper(hDlg, p->pObj, 134);
                SyncSimpleFinishingFlags(p->pObj);
                EvaluateControlDependencies(hDlg, p->pObj);
            }
        }
        DlgFreeBlock(hDlg);
        EndDialog(hDlg, IDOK);
        break;
    case IDCANCEL:
        if (p) {
            DlgSetSetting(p->pObj, u"lpBookletMode", p->bSavedMode);
            DlgSetSetting(p->pObj, u"Booklet_Check", p->sSavedBooklet);
            DlgSetSetting(p->pObj, u"lpBooklet2", p->sSavedBooklet2);
            DlgSetSetting(p->pObj, u"EngBooklet_Check", p->sSavedEngBooklet);
            DlgSetSetting(p->pObj, u"lpEngBooklet", p->sSavedEngBooklet2);
        }
        DlgFreeBlock(hDlg);
        EndDialog(hDlg, IDCANCEL);
        break;
    }
}

void Paint(HWND hDlg)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hDlg, &ps);
    BOOKLETDLG* p = (BOOKLETDLG*)DlgGetBlock(hDlg);
    HWND hPic = GetDlgItem(hDlg, IDC_BOOKLET_PICTURE);
    if (p && hdc && hPic) {
        UISETTINGS* pObj = p->pObj;
        RECT rc;
        GetWindowRect(hPic, &rc);
        MapWindowPoints(nullptr, hDlg, (POINT*)&rc, 2);
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        SHORT sMode = V(pObj, u"lpBookletMode");
        bool bLand = V(pObj, u"lpOrientation") == 2;
        SHORT sLayout = V(pObj, u"lpLayout");
        if ((V(pObj, u"Nup_Check") == 1 || V(pObj, u"POD_Nup_Check") == 1) && (sLayout == 5 || sLayout == 8))
            bLand = !bLand;
        if (V(pObj, u"POD_OnePerSheet_Check") == 1)
            bLand = !bLand;
        int cx = rc.left + (rc.right - rc.left) / 2 - 37;
        int mid = rc.top + (rc.bottom - rc.top) / 2;
        int cy = mid - 40;
        WORD wSource = bLand ? 15931 : 15921;
        if (bLand)
            BlitMaskedBitmapPair(hdc, rc.left + 22, cy + 10, wSource - 1, wSource);
        else
            BlitMaskedBitmapPair(hdc, rc.left + 32, cy, wSource - 1, wSource);
        BlitMaskedBitmapPair(hdc, cx, cy, 15936, 15937);
        WORD wResult;
        if (bLand)
            wResult = sMode == 2 ? 15933 : 15935;
        else if (sMode == 2)
            wResult = V(pObj, u"lpBooklet2") != 0 ? 15923 : 15925;
        else
            wResult = V(pObj, u"lpEngBooklet") != 0 ? 15927 : 15929;
        if (bLand)
            BlitMaskedBitmapPair(hdc, cx + 70, mid - 30 - (sMode == 2 ? 9 : 0), wResult - 1, wResult);
        else
            BlitMaskedBitmapPair(hdc, cx + 82, cy, wResult - 1, wResult);
    }
    EndPaint(hDlg, &ps);
}

int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_BOOKLET, &h);
    return BookletUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

// The output paper as the rules see it: "same as the paper" stands for the
// document size.
static BOOL _OutputPaperUsable(HWND hDlg, UISETTINGS* pObj)
{
    EvaluateControlDependencies(hDlg, pObj);
    UpdateFeatureAvailability(pObj, kOutputPaper);
    BindFeatureFields(pObj);
    int i = FindFeatureItem(kOutputPaper, GetFeatureValue(kOutputPaper));
    const FVLITEM* it = i >= 0 ? GetFeatureItem(kOutputPaper, i) : nullptr;
    return !it || it->sEnabled != ITEM_DISABLED;
}

// Runs the availability test with the settings switched by pfnSwitch, then
// puts every value back and evaluates again.
template <class F>
static BOOL _ProbeSwitched(HWND hDlg, UISETTINGS* pObj, const LPCWSTR* pKeys, int cKeys, F switchTo)
{
    BindFeatureFields(pObj);
    SHORT asSaved[8];
    for (int i = 0; i < cKeys; ++i)
        asSaved[i] = DlgGetSetting(pObj, pKeys[i]);
    SHORT sOutput = DlgGetSetting(pObj, u"lpOutputPaper");
    if (sOutput == PAPER_SAME_AS_PAPER)
        DlgSetSetting(pObj, u"lpOutputPaper", DlgGetSetting(pObj, u"lpMediaSize"));
    switchTo();
    BOOL bUsable = _OutputPaperUsable(hDlg, pObj);
    for (int i = 0; i < cKeys; ++i)
        DlgSetSetting(pObj, pKeys[i], asSaved[i]);
    DlgSetSetting(pObj, u"lpOutputPaper", sOutput);
    _OutputPaperUsable(hDlg, pObj);
    return bUsable;
}

BOOL bOtherBookletModeUsable(HWND hDlg, UISETTINGS* pObj)
{
    SHORT sOther = DlgGetSetting(pObj, u"lpBookletMode") == 1 ? 2 : 1;
    return _ProbeSwitched(hDlg, pObj, kKeys, 5, [&] { SwitchMode(pObj, sOther); });
}

BOOL bOtherHoleCountUsable(HWND hDlg, UISETTINGS* pObj)
{
    static const LPCWSTR kHoles[] = {u"lpPunchHoles"};
    SHORT sOther = DlgGetSetting(pObj, u"lpPunchHoles") == 2 ? 3 : 2;
    return _ProbeSwitched(hDlg, pObj, kHoles, 1, [&] { DlgSetSetting(pObj, u"lpPunchHoles", sOther); });
}

int BookletUpdateControl(HWND hDlg, WORD wId)
{
    BOOKLETDLG* p = (BOOKLETDLG*)DlgGetBlock(hDlg);
    if (!p)
        return 0;
    Dirty(p->pObj) = 0;
    if (wId != IDC_BOOKLET_TWICE && wId != IDC_BOOKLET_SAME)
        return 0;
    Dirty(p->pObj) = 1;
    Refresh(p);
    return 1;
}

INT_PTR CALLBACK BookletDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_BOOKLET, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            UnregisterPageLink(IDD_BOOKLET);
        return TRUE;
    case WM_PAINT:
        Paint(hDlg);
        return TRUE;
    }
    return FALSE;
}
