// The booklet and punch dialogs as a person uses them: a click changes the
// settings at once, OK keeps them, Cancel puts every value back, the other
// choice is offered only when the rest of the settings allow it, and the
// choice reaches the printed job.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/booklet.h"

namespace {

class BookletDlg : public SettingDlgTest {
protected:
    // Booklet on twice the output paper, with its own flag and value.
    void StartInTwiceMode()
    {
        Set(u"lpBookletMode", 1);
        Set(u"EngBooklet_Check", 1);
        Set(u"lpEngBooklet", 1);
        Set(u"Booklet_Check", 0);
        Set(u"lpBooklet2", 0);
    }
    std::vector<SHORT> Five()
    {
        return {Get(u"lpBookletMode"), Get(u"Booklet_Check"), Get(u"lpBooklet2"), Get(u"EngBooklet_Check"),
                Get(u"lpEngBooklet")};
    }
    std::vector<BYTE> Bytes() { return std::vector<BYTE>((BYTE*)pObj, (BYTE*)pObj + pObj->trailer.cbFixed); }
};

TEST_F(BookletDlg, TheOtherModeTakesTheFlagAcrossAndCancelPutsAllFiveBack)
{
    struct Row {
        const char* what;
        std::vector<PLATSCRIPTSTEP> steps;
        INT_PTR result;
        std::vector<SHORT> five;  // mode, Booklet_Check, lpBooklet2, EngBooklet_Check, lpEngBooklet
    };
    const Row rows[] = {
        {"to the output paper, OK", {Click(IDC_BOOKLET_SAME), PressOK()}, IDOK, {2, 1, 1, 0, 1}},
        {"there and back, OK", {Click(IDC_BOOKLET_SAME), Click(IDC_BOOKLET_TWICE), PressOK()}, IDOK, {1, 0, 1, 1, 1}},
        {"to the output paper, Cancel", {Click(IDC_BOOKLET_SAME), PressCancel()}, IDCANCEL, {1, 0, 0, 1, 1}},
        {"nothing, OK", {PressOK()}, IDOK, {1, 0, 0, 1, 1}},
    };
    for (const Row& r : rows) {
        StartInTwiceMode();
        EXPECT_EQ(Run(IDD_BOOKLET, BookletDlgProc, {}), IDCANCEL);  // an empty script ends with Cancel
        PlatScriptReset();
        std::vector<PLATSCRIPTSTEP> v = r.steps;
        ASSERT_TRUE(PlatScriptOnDialog(IDD_BOOKLET, v.data(), (int)v.size()));
        INT_PTR res = DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_BOOKLET), nullptr, BookletDlgProc, (LPARAM)pObj);
        EXPECT_EQ(res, r.result) << r.what << " " << Err();
        EXPECT_EQ(Five(), r.five) << r.what;
        PlatScriptReset();
    }
}

TEST_F(BookletDlg, BookletOnTheOutputPaperIsRefusedWithLayoutsThatNeedTheWholeSheet)
{
    struct Row {
        const char16_t* key;
        SHORT value;
        BOOL sameEnabled;
    };
    const Row rows[] = {
        {nullptr, 0, TRUE},
        {u"Nup_Check", 1, FALSE},
        {u"BindMargin_Check", 1, FALSE},
        {u"lpGraphicsMode", 1, FALSE},
    };
    for (const Row& r : rows) {
        StartInTwiceMode();
        Set(u"Nup_Check", 0);
        Set(u"BindMargin_Check", 0);
        Set(u"lpGraphicsMode", 0);
        if (r.key)
            Set(r.key, r.value);
        HWND h = Open(IDD_BOOKLET, BookletDlgProc);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(h, IDC_BOOKLET_SAME)), r.sameEnabled) << (r.key ? Narrow(r.key) : "");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_BOOKLET_TWICE)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_BOOKLET_NOTE1)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_BOOKLET_NOTE2)));
        if (!r.sameEnabled) {
            EXPECT_FALSE(PlatScriptClick(h, IDC_BOOKLET_SAME, nullptr));
        }
        Close(h);
    }
}

TEST_F(BookletDlg, TheAvailabilityTestLeavesEverySettingAsItWas)
{
    for (SHORT out : {(SHORT)9, (SHORT)257}) {
        StartInTwiceMode();
        Set(u"lpOutputPaper", out);
        BindFeatureFields(pObj);
        UpdateFeatureAvailability(pObj, 114);
        std::vector<BYTE> before = Bytes();
        EXPECT_TRUE(bOtherBookletModeUsable(nullptr, pObj));
        EXPECT_TRUE(bOtherHoleCountUsable(nullptr, pObj));
        EXPECT_TRUE(before == Bytes()) << "output paper " << out;
    }
}

TEST_F(BookletDlg, BookletChosenInTheDialogPrintsDuplexShortEdge)
{
    StartInTwiceMode();
    Set(u"EngBooklet_Check", 0);
    std::string before = PrintJob();
    EXPECT_EQ(PjlLine(before, "BINDING"), "") << before.substr(0, 1200);
    EXPECT_EQ(Run(IDD_BOOKLET, BookletDlgProc, {Click(IDC_BOOKLET_SAME), PressOK()}), IDOK) << Err();
    Set(u"Booklet_Check", 1);  // the Setup page's booklet switch
    std::string job = PrintJob();
    EXPECT_EQ(PjlLine(job, "DUPLEX"), "@PJL SET DUPLEX = ON") << job.substr(0, 1200);
    EXPECT_EQ(PjlLine(job, "BINDING"), "@PJL SET BINDING = SHORTEDGE");
}

TEST_F(BookletDlg, PictureOfEachMode)
{
    StartInTwiceMode();
    HWND h = Open(IDD_BOOKLET, BookletDlgProc);
    Picture(h, "booklet_twice");
    ASSERT_TRUE(PlatScriptClick(h, IDC_BOOKLET_SAME, nullptr)) << Err();
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_BOOKLET_NOTE2)));
    Picture(h, "booklet_same");
    Close(h);
    EXPECT_EQ(Get(u"lpBookletMode"), 1);
}

class PunchDlg : public SettingDlgTest {};

TEST_F(PunchDlg, HoleCountKeptAfterOkAndPutBackAfterCancel)
{
    struct Row {
        SHORT start;
        std::vector<PLATSCRIPTSTEP> steps;
        INT_PTR result;
        SHORT holes;
    };
    const Row rows[] = {
        {2, {Click(IDC_PUNCH_THREE), PressOK()}, IDOK, 3},
        {3, {Click(IDC_PUNCH_TWO), PressOK()}, IDOK, 2},
        {2, {Click(IDC_PUNCH_THREE), PressCancel()}, IDCANCEL, 2},
        {3, {Click(IDC_PUNCH_TWO), Click(IDC_PUNCH_THREE), PressCancel()}, IDCANCEL, 3},
    };
    for (const Row& r : rows) {
        Set(u"lpPunchHoles", r.start);
        std::vector<PLATSCRIPTSTEP> v = r.steps;
        ASSERT_TRUE(PlatScriptOnDialog(IDD_PUNCH, v.data(), (int)v.size()));
        INT_PTR res = DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_PUNCH), nullptr, PunchDlgProc, (LPARAM)pObj);
        EXPECT_EQ(res, r.result) << r.start << " " << Err();
        EXPECT_EQ(Get(u"lpPunchHoles"), r.holes) << r.start;
        PlatScriptReset();
    }
}

TEST_F(PunchDlg, ShowsTheStoredCountAndARulesChange)
{
    Set(u"lpPunchHoles", 3);
    HWND h = Open(IDD_PUNCH, PunchDlgProc);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_PUNCH_THREE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_PUNCH_TWO), BST_UNCHECKED);
    Picture(h, "punch");
    Set(u"lpPunchHoles", 2);
    PunchUpdateControl(h, IDC_PUNCH_TWO);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_PUNCH_TWO), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_PUNCH_THREE), BST_UNCHECKED);
    Close(h);
    EXPECT_EQ(Get(u"lpPunchHoles"), 3);
}

TEST_F(PunchDlg, ThreeHolesChosenInTheDialogReachTheJob)
{
    Set(u"Layout_Check2", 1);
    Set(u"Punch_Check", 1);
    Set(u"lpPunchHoles", 2);
    EXPECT_EQ(Run(IDD_PUNCH, PunchDlgProc, {Click(IDC_PUNCH_THREE), PressOK()}), IDOK) << Err();
    std::string job = PrintJob();
    EXPECT_EQ(PjlLine(job, "PUNCHHOLES"), "@PJL SET PUNCHHOLES = 3") << job.substr(0, 1500);
}

}  // namespace
