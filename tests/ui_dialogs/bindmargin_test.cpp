// The binding margin dialog: the limits automatic reduction leaves, what
// the user may type and what OK and Cancel keep, the notice of a change the
// limits made, the combo texts the pages show, and the margin reaching the
// printed pages.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/bindmargin.h"
#include "ui/dialogs/preview.h"

#include <regex>

namespace {

class MarginDlg : public SettingDlgTest {
protected:
    void SetUp() override
    {
        SettingDlgTest::SetUp();
        Set(u"Layout_Check2", 1);
        Set(u"BindMargin_Check", 1);
        Set(u"lpBindMargin", 1);
        Set(u"lpMarginMode", 1);
        Set(u"MarginEqual_Check", 0);
        Set(u"fMargin", 10);
        Set(u"bMargin", 10);
    }
    // The lowest zoom the settings allow: with A4 on A4 it decides the room
    // automatic reduction leaves (25 leaves 151 mm, 90 leaves 20, 100 none).
    void SetZoomMin(SHORT s) { Range(u"Zoom")->sMin = s; }
    UIITEMRANGE* Range(const char16_t* key) { return (UIITEMRANGE*)GetParamSlot(pObj, GetParamIdOfKey(key)); }
    std::u16string PositionText(int i)
    {
        BindFeatureFields(pObj);
        return GetFeatureItem(IDC_BM_POSITION, i)->szText;
    }
};

TEST_F(MarginDlg, LimitsLeftByAutomaticReduction)
{
    struct Row {
        const char* what;
        SHORT mode, zoomMin, front, back, equal;
        DWORD flags;
        SHORT frontUpper, backUpper, newFront, newBack;
    };
    const Row rows[] = {
        {"shift: the records' own", 1, 90, 30, 30, 0, 0, 50, 50, 30, 30},
        {"reduction with room to spare", 2, 25, 30, 30, 0, 0, 50, 50, 30, 30},
        {"reduction leaves 20 mm", 2, 90, 30, 10, 0, 0x01 | 0x04 | 0x100, 20, 20, 20, 10},
        {"both lowered", 2, 90, 30, 40, 0, 0x01 | 0x04 | 0x100 | 0x200, 20, 20, 20, 20},
        {"back follows the front", 2, 90, 30, 10, 1, 0x01 | 0x04 | 0x100 | 0x400, 20, 20, 20, 20},
        {"no room", 2, 100, 30, 30, 0, 0x01 | 0x04 | 0x10 | 0x20 | 0x100 | 0x200, 0, 0, 0, 0},
    };
    for (const Row& r : rows) {
        Set(u"lpMarginMode", r.mode);
        SetZoomMin(r.zoomMin);
        Set(u"fMargin", r.front);
        Set(u"bMargin", r.back);
        Set(u"MarginEqual_Check", r.equal);
        MARGINLIMITS l;
        // The zoom flags depend on the fit zoom of the margin: apart below.
        EXPECT_EQ(CalcBindingMarginLimits(pObj, &l) & ~0x3000u, r.flags) << r.what;
        EXPECT_EQ(l.sFrontUpper, r.frontUpper) << r.what;
        EXPECT_EQ(l.sBackUpper, r.backUpper) << r.what;
        EXPECT_EQ(l.sFrontLower, 0) << r.what;
        EXPECT_EQ(l.sFront, r.newFront) << r.what;
        EXPECT_EQ(l.sBack, r.newBack) << r.what;
    }
    // A 10 mm margin fits A4 on A4 at 95 %: below a lowest zoom of 100, within 90.
    Set(u"fMargin", 10);
    Set(u"lpMarginMode", 2);
    SetZoomMin(100);
    EXPECT_EQ(CalcBindingMarginLimits(pObj, nullptr) & 0x3000u, 0x2000u);
    SetZoomMin(90);
    EXPECT_EQ(CalcBindingMarginLimits(pObj, nullptr) & 0x3000u, 0u);
}

TEST_F(MarginDlg, WithoutRoomItOpensWithShiftChosenAndSaysSoOnce)
{
    Set(u"lpMarginMode", 2);
    SetZoomMin(100);
    HWND h = Open(IDD_BINDMARGIN, BindingMarginDlgProc);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_BM_SHIFT), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_BM_REDUCE)));
    EXPECT_EQ(Text(h, IDC_BM_FRONTRANGE), u"(0-50mm)");
    EXPECT_EQ(Get(u"lpMarginMode"), 1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind(u"The binding margin does not leave room for reduction", 0), 0u);
    Picture(h, "bindmargin_noroom");
    EXPECT_EQ(Boxes().size(), 1u);  // shown once
    Close(h);
}

TEST_F(MarginDlg, AMarginAboveTheRoomIsLoweredAndNamedInTheNotice)
{
    Set(u"lpMarginMode", 2);
    SetZoomMin(90);
    Set(u"fMargin", 30);
    HWND h = Open(IDD_BINDMARGIN, BindingMarginDlgProc);
    EXPECT_EQ(Text(h, IDC_BM_FRONT), u"20");
    EXPECT_EQ(Text(h, IDC_BM_FRONTRANGE), u"(0-20mm)");
    EXPECT_EQ(Get(u"fMargin"), 20);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find(u"Front : 20 mm"), std::u16string::npos) << Narrow(Boxes()[0]);
    EXPECT_EQ(Boxes()[0].find(u"Back :"), std::u16string::npos);
    Picture(h, "bindmargin_reduce");

    // Back to shift: the records' own range again, and no further notice.
    ASSERT_TRUE(PlatScriptClick(h, IDC_BM_SHIFT, nullptr)) << Err();
    EXPECT_EQ(Text(h, IDC_BM_FRONTRANGE), u"(0-50mm)");
    Close(h);
    EXPECT_EQ(Get(u"fMargin"), 30);  // Cancel
}

TEST_F(MarginDlg, TypingAndLeavingTheMarginEdits)
{
    struct Row {
        const char* what;
        const char16_t* typed;
        const char16_t* shown;   // the edit afterwards
        SHORT stored;
        bool box;
    };
    Range(u"fMargin")->sMin = 5;
    const Row rows[] = {
        {"in range", u"25", u"25", 25, false},
        {"above the upper limit: the limit at once", u"75", u"50", 50, false},
        {"empty: the lower limit", u"", u"5", 5, true},
        {"below the lower limit: the lower limit", u"3", u"5", 5, true},
        {"letters cannot be typed", u"1a2", u"12", 12, false},
    };
    for (const Row& r : rows) {
        PlatMsgBoxReset();
        Set(u"fMargin", 10);
        HWND h = Open(IDD_BINDMARGIN, BindingMarginDlgProc);
        PlatScriptType(h, IDC_BM_FRONT, nullptr, r.typed);
        EXPECT_EQ(Text(h, IDC_BM_FRONT), r.shown) << r.what;
        EXPECT_EQ(Get(u"fMargin"), r.stored) << r.what;
        EXPECT_EQ(Boxes().size(), r.box ? 1u : 0u) << r.what;
        if (r.box) {
            EXPECT_EQ(Boxes()[0], u"Enter a Binding margin from 5 to 50.");
            EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_BM_FRONT)) << r.what;
        }
        Close(h);
    }
}

TEST_F(MarginDlg, OkKeepsAndCancelRestoresAllFiveAndThePageTextsCarryTheMargins)
{
    struct Row {
        const char* what;
        std::vector<PLATSCRIPTSTEP> steps;
        INT_PTR result;
        SHORT position, mode, equal, front, back;
        const char16_t* text0;   // the first binding position's text afterwards
    };
    const Row rows[] = {
        {"all changed, OK",
         {ChooseAt(IDC_BM_POSITION, 2), Click(IDC_BM_REDUCE), Type(IDC_BM_FRONT, u"15"), Type(IDC_BM_BACK, u"7"), PressOK()},
         IDOK, 3, 2, 0, 15, 7, u"Left(15, 7 mm)"},
        {"same margin, OK", {Click(IDC_BM_SAME), Type(IDC_BM_FRONT, u"12"), PressOK()}, IDOK, 1, 1, 1, 12, 12,
         u"Left(12 mm)"},
        {"all changed, Cancel",
         {ChooseAt(IDC_BM_POSITION, 1), Click(IDC_BM_REDUCE), Click(IDC_BM_SAME), Type(IDC_BM_FRONT, u"33"), PressCancel()},
         IDCANCEL, 1, 1, 0, 10, 10, u"Left(10, 10 mm)"},
    };
    // Each row starts from settings of its own, so the ones the fixture
    // made go first.
    TearDown();
    for (const Row& r : rows) {
        SetUp();
        std::vector<PLATSCRIPTSTEP> v = r.steps;
        ASSERT_TRUE(PlatScriptOnDialog(IDD_BINDMARGIN, v.data(), (int)v.size()));
        SetActivePageId(pObj, IDD_BINDMARGIN);
        INT_PTR res =
            DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_BINDMARGIN), nullptr, BindingMarginDlgProc, (LPARAM)pObj);
        EXPECT_EQ(res, r.result) << r.what << " " << Err();
        EXPECT_EQ(Get(u"lpBindMargin"), r.position) << r.what;
        EXPECT_EQ(Get(u"lpMarginMode"), r.mode) << r.what;
        EXPECT_EQ(Get(u"MarginEqual_Check"), r.equal) << r.what;
        EXPECT_EQ(Get(u"fMargin"), r.front) << r.what;
        EXPECT_EQ(Get(u"bMargin"), r.back) << r.what;
        EXPECT_EQ(PositionText(0), r.text0) << r.what;
        PlatScriptReset();
        TearDown();
    }
    SetUp();
}

TEST_F(MarginDlg, SameMarginFillsTheBackAndLocksItsControls)
{
    HWND h = Open(IDD_BINDMARGIN, BindingMarginDlgProc);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_BM_BACK)));
    ASSERT_TRUE(PlatScriptClick(h, IDC_BM_SAME, nullptr)) << Err();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_BM_BACK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_BM_BACKSPIN)));
    ASSERT_TRUE(PlatScriptType(h, IDC_BM_FRONT, nullptr, u"17")) << Err();
    EXPECT_EQ(Text(h, IDC_BM_BACK), u"17");
    EXPECT_EQ(Get(u"bMargin"), 17);
    // The combo offers the positions but not the item that opens this dialog.
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_BM_POSITION, CB_GETCOUNT, 0, 0), 4);
    Picture(h, "bindmargin_same");
    Close(h);
}

// With the same margin on both sides, the disabled back shows what the
// front shows after every change, the front's own corrections included, so
// that OK never stops on the back.
TEST_F(MarginDlg, WithTheSameMarginTheBackFollowsEveryChangeOfTheFront)
{
    struct Row {
        const char* what;
        const char16_t* typed;
        const char16_t* shown;   // both edits afterwards
        SHORT stored;            // fMargin and bMargin
        size_t boxes;
    };
    Range(u"fMargin")->sMin = 5;
    Range(u"bMargin")->sMin = 5;
    const Row rows[] = {
        {"in range", u"17", u"17", 17, 0},
        {"above the upper limit: the limit at once", u"51", u"50", 50, 0},
        {"empty: the lower limit", u"", u"5", 5, 1},
        {"below the lower limit: the lower limit", u"3", u"5", 5, 1},
    };
    for (const Row& r : rows) {
        PlatMsgBoxReset();
        Set(u"MarginEqual_Check", 1);
        Set(u"fMargin", 10);
        Set(u"bMargin", 10);
        HWND h = Open(IDD_BINDMARGIN, BindingMarginDlgProc);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_BM_BACK))) << r.what;
        PlatScriptType(h, IDC_BM_FRONT, nullptr, r.typed);
        EXPECT_EQ(Text(h, IDC_BM_FRONT), r.shown) << r.what;
        EXPECT_EQ(Text(h, IDC_BM_BACK), r.shown) << r.what;
        EXPECT_EQ(Get(u"fMargin"), r.stored) << r.what;
        EXPECT_EQ(Get(u"bMargin"), r.stored) << r.what;
        EXPECT_EQ(Boxes().size(), r.boxes) << r.what;
        Close(h);
    }
    // OK after the limit took the place of 51 ends the dialog with both at 50.
    PlatMsgBoxReset();
    Set(u"MarginEqual_Check", 1);
    EXPECT_EQ(Run(IDD_BINDMARGIN, BindingMarginDlgProc, {Type(IDC_BM_FRONT, u"51"), PressOK()}), IDOK) << Err();
    EXPECT_TRUE(Boxes().empty()) << Narrow(Boxes().empty() ? u"" : Boxes()[0]);
    EXPECT_EQ(Get(u"fMargin"), 50);
    EXPECT_EQ(Get(u"bMargin"), 50);
}

TEST_F(MarginDlg, AChangeMadeByTheRulesWhileOpenShowsAtOnce)
{
    HWND h = Open(IDD_BINDMARGIN, BindingMarginDlgProc);
    Set(u"lpMarginMode", 2);
    EXPECT_EQ(UpdateFeatureControl(nullptr, IDC_BM_REDUCE, 2), 1);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_BM_REDUCE), BST_CHECKED);
    Set(u"lpBindMargin", 4);
    UpdateFeatureControl(nullptr, IDC_BM_POSITION, 4);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_BM_POSITION, CB_GETCURSEL, 0, 0), 3);
    Set(u"MarginEqual_Check", 1);
    UpdateFeatureControl(nullptr, IDC_BM_SAME, 1);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_BM_SAME), BST_CHECKED);
    Close(h);
}

// The page origins ("org x y;") of a job, in order.
std::vector<std::string> Origins(const std::string& job)
{
    std::vector<std::string> v;
    std::regex re("org %?(-?[0-9.]+) %?(-?[0-9.]+);");
    for (auto it = std::sregex_iterator(job.begin(), job.end(), re); it != std::sregex_iterator(); ++it)
        v.push_back((*it)[1].str());
    return v;
}

TEST_F(MarginDlg, TwentyMillimetresShiftEveryPage)
{
    Set(u"BindMargin_Check", 0);
    std::vector<std::string> plain = Origins(PrintJob());
    ASSERT_EQ(plain.size(), 2u);
    Set(u"BindMargin_Check", 1);
    EXPECT_EQ(Run(IDD_BINDMARGIN, BindingMarginDlgProc, {Type(IDC_BM_FRONT, u"20"), PressOK()}), IDOK) << Err();
    std::vector<std::string> shifted = Origins(PrintJob());
    ASSERT_EQ(shifted.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_NEAR(std::stod(shifted[i]) - std::stod(plain[i]), 20.0, 0.001) << plain[i] << " " << shifted[i];
}

}  // namespace
