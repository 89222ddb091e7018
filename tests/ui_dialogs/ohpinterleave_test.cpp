// The OHP interleave dialog as a person uses it: the kind of sheet and its
// tray chosen, kept after OK and put back after Cancel; a tray value the
// list does not offer falls back to the default; a change the rules make
// while it is open shows at once.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/ohpinterleave.h"

namespace {

class OhpDlg : public SettingDlgTest {};

TEST_F(OhpDlg, OkKeepsTheChoiceAndCancelPutsItBack)
{
    struct Row {
        const char* what;
        std::vector<PLATSCRIPTSTEP> steps;
        INT_PTR result;
        SHORT kind;
        SHORT tray;
    };
    // Trays by position: 1, 2, 258, 259, 260.
    const Row rows[] = {
        {"printed sheet, third tray, OK", {Click(IDC_OHP_PRINTED), ChooseAt(IDC_OHP_TRAY, 2), PressOK()}, IDOK, 1, 258},
        {"back to blank, OK", {Click(IDC_OHP_PRINTED), Click(IDC_OHP_BLANK), PressOK()}, IDOK, 0, 1},
        {"tray only, OK", {ChooseAt(IDC_OHP_TRAY, 4), PressOK()}, IDOK, 0, 260},
        {"both changed, Cancel", {Click(IDC_OHP_PRINTED), ChooseAt(IDC_OHP_TRAY, 3), PressCancel()}, IDCANCEL, 0, 1},
    };
    for (const Row& r : rows) {
        Set(u"lpOhpIntlvType", 0);
        Set(u"lpOIPaperTray", 1);
        std::vector<PLATSCRIPTSTEP> v = r.steps;
        ASSERT_TRUE(PlatScriptOnDialog(IDD_OHPINTERLEAVE, v.data(), (int)v.size()));
        SetActivePageId(pObj, IDD_OHPINTERLEAVE);
        INT_PTR res = DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_OHPINTERLEAVE), nullptr, OhpInterleaveDlgProc,
                                      (LPARAM)pObj);
        EXPECT_EQ(res, r.result) << r.what << " " << Err();
        EXPECT_EQ(Get(u"lpOhpIntlvType"), r.kind) << r.what;
        EXPECT_EQ(Get(u"lpOIPaperTray"), r.tray) << r.what;
        PlatScriptReset();
    }
}

TEST_F(OhpDlg, ShowsTheStoredChoiceAndFallsBackToTheDefaultTray)
{
    Set(u"lpOhpIntlvType", 1);
    Set(u"lpOIPaperTray", 259);
    HWND h = Open(IDD_OHPINTERLEAVE, OhpInterleaveDlgProc);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_OHP_PRINTED), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_OHP_BLANK), BST_UNCHECKED);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_OHP_TRAY, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_OHP_TRAY, CB_GETCURSEL, 0, 0), 3);
    Close(h);

    // A tray the list does not hold: the default is chosen and becomes the
    // value.
    Set(u"lpOIPaperTray", 999);
    h = Open(IDD_OHPINTERLEAVE, OhpInterleaveDlgProc);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_OHP_TRAY, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Get(u"lpOIPaperTray"), 1);
    Close(h);
    // Cancel puts back what the dialog found.
    EXPECT_EQ(Get(u"lpOIPaperTray"), 999);
}

TEST_F(OhpDlg, AChangeMadeByTheRulesWhileOpenShowsAtOnce)
{
    HWND h = Open(IDD_OHPINTERLEAVE, OhpInterleaveDlgProc);
    ASSERT_EQ(IsDlgButtonChecked(h, IDC_OHP_BLANK), BST_CHECKED);
    BindFeatureFields(pObj);
    SetFeatureValue(IDC_OHP_PRINTED, 1);
    UpdateFeatureControl(nullptr, IDC_OHP_PRINTED, 1);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_OHP_PRINTED), BST_CHECKED);
    Set(u"lpOIPaperTray", 260);
    UpdateFeatureControl(nullptr, IDC_OHP_TRAY, 260);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_OHP_TRAY, CB_GETCURSEL, 0, 0), 4);
    Close(h);
    // Once closed, nothing routes to it any more.
    EXPECT_EQ(UpdateFeatureControl(nullptr, IDC_OHP_TRAY, 1), IDD_OHPINTERLEAVE);
}

TEST_F(OhpDlg, PictureFollowsTheKind)
{
    HWND h = Open(IDD_OHPINTERLEAVE, OhpInterleaveDlgProc);
    Picture(h, "ohp_blank");
    ASSERT_TRUE(PlatScriptClick(h, IDC_OHP_PRINTED, nullptr)) << Err();
    Picture(h, "ohp_printed");
    Close(h);
}

}  // namespace
