// The image shift dialog: amounts kept inside their records' limits, the
// back following the front, the machine's own settings disabling the
// driver's, a change made while it is open shown through its update
// function, and Cancel.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "ui/constraints/features.h"
#include "ui/dialogs/imageshift.h"
#include "ui/settings/strcache.h"

namespace {

const WORD kMode = 191, kLRF = 192, kUDF = 193, kLRB = 194, kUDB = 195;
const WORD kValLRF = 196, kValUDF = 197, kIntF = 198, kValLRB = 199, kValUDB = 200, kIntB = 201;
const WORD kBackAuto = 202;

class ImageShiftDialog : public SubDialogTest {
protected:
    std::u16string RangeBox(int lo, int hi)
    {
        WCHAR sz[1024];
        wnsprintfW(sz, 1024, GetResString(21014), GetResString(25601), lo, hi);
        return sz;
    }
    std::vector<SHORT> All()
    {
        std::vector<SHORT> v;
        for (WORD p : {kMode, kLRF, kUDF, kValLRF, kValUDF, kIntF, kLRB, kUDB, kValLRB, kValUDB, kIntB, kBackAuto})
            v.push_back(GetParamEdited(pObj, p));
        return v;
    }
};

TEST_F(ImageShiftDialog, OpensWithTheSettingsAndTheirLimits)
{
    SetParamEdited(pObj, kLRF, 1);
    SetParamEdited(pObj, kUDF, 0);
    Record(kValLRF)->sInitial = 120;
    Record(kIntB)->sInitial = 3;
    EXPECT_EQ(Record(kValLRF)->sMax, 2500);
    HWND h = Open(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_IS_RIGHT_F), (UINT)BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_IS_UP_F), (UINT)BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_IS_MODE_DRIVER), (UINT)BST_CHECKED);
    EXPECT_EQ(Text(h, IDC_IS_LR_F), u"120");
    EXPECT_EQ(Text(h, IDC_IS_INTERVAL_B), u"3");
    Picture(h, "imageshift_2320");
    // A pasted 70000 is cut to the edit's four digits and then to the
    // limit; it never wraps into a small number.
    ASSERT_TRUE(Paste(h, IDC_IS_LR_F, u"70000"));
    EXPECT_EQ(Text(h, IDC_IS_LR_F), u"2500");
    EXPECT_EQ(Record(kValLRF)->sInitial, 2500);
}

TEST_F(ImageShiftDialog, TypedAmountsStayInsideTheLimits)
{
    struct Row {
        const char16_t* typed;
        const char16_t* shown;  // after leaving the edit
        SHORT stored;
        bool bBox;
    };
    const Row rows[] = {
        {u"3000", u"2500", 2500, false},  // turned into the upper limit at once
        {u"2500", u"2500", 2500, false},
        {u"0", u"0", 0, false},           // a lone 0 is valid
        {u"00", u"0", 0, false},          // a second leading zero cannot be typed
        {u"1a5", u"15", 15, false},       // nor a letter
        {u"", u"0", 0, true},             // empty: the box and the lower limit
    };
    for (const Row& r : rows) {
        Record(kValUDF)->sInitial = 77;
        PlatMsgBoxReset();
        HWND h = Open(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj);
        ASSERT_NE(h, nullptr);
        ASSERT_TRUE(PlatScriptType(h, IDC_IS_UD_F, nullptr, r.typed));
        EXPECT_EQ(Text(h, IDC_IS_UD_F), r.shown) << Narrow(r.typed);
        ASSERT_EQ(PlatMsgBoxCount(), r.bBox ? 1 : 0) << Narrow(r.typed);
        if (r.bBox) {
            EXPECT_EQ(BoxText(0), RangeBox(0, 2500));
            EXPECT_EQ(BoxCaption(0), GetResString(20231));
            EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_IS_UD_F));
        }
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_FALSE(IsWindowVisible(h));
        EXPECT_EQ(Record(kValUDF)->sInitial, r.stored) << Narrow(r.typed);
    }
}

TEST_F(ImageShiftDialog, LeavingForCancelChecksNothing)
{
    Record(kIntF)->sInitial = 5;
    HWND h = Open(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptFocus(h, IDC_IS_INTERVAL_F, nullptr));
    SetDlgItemTextW(h, IDC_IS_INTERVAL_F, u"");
    ASSERT_TRUE(PlatScriptClick(h, IDCANCEL, nullptr));
    EXPECT_EQ(PlatMsgBoxCount(), 0);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(Record(kIntF)->sInitial, 5);
}

TEST_F(ImageShiftDialog, BackFollowsTheFront)
{
    struct Row {
        SHORT lr, ud;      // front directions
        SHORT lrB, udB;    // the back after ticking the switch
    };
    const Row rows[] = {
        {0, 0, 1, 0},  // left/up on the front: right/up on the back
        {1, 0, 0, 0},
        {0, 1, 1, 1},
        {1, 1, 0, 1},
    };
    for (const Row& r : rows) {
        SetParamEdited(pObj, kBackAuto, 0);
        SetParamEdited(pObj, kLRF, r.lr);
        SetParamEdited(pObj, kUDF, r.ud);
        SetParamEdited(pObj, kLRB, r.lr);
        SetParamEdited(pObj, kUDB, 1 - r.ud);
        Record(kValLRF)->sInitial = 11;
        Record(kValUDF)->sInitial = 22;
        Record(kIntF)->sInitial = 33;
        HWND h = Open(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj);
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(Enabled(h, IDC_IS_LR_B));
        ASSERT_TRUE(PlatScriptClick(h, IDC_IS_BACK_AUTO, nullptr));
        EXPECT_EQ(GetParamEdited(pObj, kBackAuto), 1);
        EXPECT_EQ(GetParamEdited(pObj, kLRB), r.lrB);
        EXPECT_EQ(GetParamEdited(pObj, kUDB), r.udB);
        EXPECT_EQ(IsDlgButtonChecked(h, r.lrB ? IDC_IS_RIGHT_B : IDC_IS_LEFT_B), (UINT)BST_CHECKED);
        EXPECT_EQ(Text(h, IDC_IS_LR_B), u"11");
        EXPECT_EQ(Text(h, IDC_IS_UD_B), u"22");
        EXPECT_EQ(Text(h, IDC_IS_INTERVAL_B), u"33");
        EXPECT_EQ(Record(kIntB)->sInitial, 33);
        // The back's own controls are off while it follows.
        EXPECT_FALSE(Enabled(h, IDC_IS_LR_B));
        EXPECT_FALSE(Enabled(h, IDC_IS_LEFT_B));
        // Later changes of the front reach the back.
        ASSERT_TRUE(PlatScriptClick(h, r.lr ? IDC_IS_LEFT_F : IDC_IS_RIGHT_F, nullptr));
        EXPECT_EQ(GetParamEdited(pObj, kLRB), r.lr);
        ASSERT_TRUE(PlatScriptClick(h, r.ud ? IDC_IS_UP_F : IDC_IS_DOWN_F, nullptr));
        EXPECT_EQ(GetParamEdited(pObj, kUDB), 1 - r.ud);
        ASSERT_TRUE(PlatScriptType(h, IDC_IS_LR_F, nullptr, u"250"));
        EXPECT_EQ(Text(h, IDC_IS_LR_B), u"250");
        EXPECT_EQ(Record(kValLRB)->sInitial, 250);
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_FALSE(IsWindowVisible(h));
    }
}

TEST_F(ImageShiftDialog, MachineSettingsDisableEverythingButOkStillChecks)
{
    SetParamEdited(pObj, kMode, 0);
    HWND h = Open(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptClick(h, IDC_IS_MODE_MACHINE, nullptr));
    EXPECT_EQ(GetParamEdited(pObj, kMode), 1);
    for (int id : {IDC_IS_LEFT_F, IDC_IS_LR_F, IDC_IS_INTERVAL_F, IDC_IS_BACK_AUTO, IDC_IS_UNIT_NOTE, IDC_IS_LEFT_B,
                   IDC_IS_UD_B, IDC_IS_INTERVAL_B, IDC_IS_GROUP_B})
        EXPECT_FALSE(Enabled(h, id)) << id;
    EXPECT_TRUE(Enabled(h, IDC_IS_MODE_DRIVER));
    Picture(h, "imageshift_2320_machine");
    // A value out of range is still refused at OK.
    SetDlgItemTextW(h, IDC_IS_UD_B, u"");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(Text(h, IDC_IS_UD_B), u"0");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(ImageShiftDialog, CancelRestoresAllTwelveValues)
{
    SetParamEdited(pObj, kBackAuto, 0);
    std::vector<SHORT> before = All();
    HWND h = Open(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptClick(h, IDC_IS_RIGHT_F, nullptr));
    ASSERT_TRUE(PlatScriptClick(h, IDC_IS_DOWN_B, nullptr));
    ASSERT_TRUE(PlatScriptType(h, IDC_IS_LR_F, nullptr, u"100"));
    ASSERT_TRUE(PlatScriptType(h, IDC_IS_INTERVAL_B, nullptr, u"9"));
    ASSERT_TRUE(PlatScriptClick(h, IDC_IS_BACK_AUTO, nullptr));
    ASSERT_TRUE(PlatScriptClick(h, IDC_IS_MODE_MACHINE, nullptr));
    EXPECT_NE(All(), before);
    ASSERT_TRUE(PlatScriptPressCancel(h));
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(All(), before);
}

TEST_F(ImageShiftDialog, AChangeMadeWhileOpenShowsThroughTheUpdateFunction)
{
    HWND h = Open(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    // As the rules would force them: the machine's settings, a new amount.
    SetParamEdited(pObj, kMode, 1);
    Record(kValLRB)->sInitial = 640;
    EXPECT_EQ(ImageShiftUpdateControl(h, IDC_IS_MODE_MACHINE), 0);
    EXPECT_EQ(ImageShiftUpdateControl(h, IDC_IS_LR_B), 0);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_IS_MODE_MACHINE), (UINT)BST_CHECKED);
    EXPECT_FALSE(Enabled(h, IDC_IS_LR_F));
    EXPECT_EQ(Text(h, IDC_IS_LR_B), u"640");
    // Ids of other dialogs change nothing.
    EXPECT_EQ(ImageShiftUpdateControl(h, 2300), 2300 - IDC_IS_LEFT_F);

    // The constraint engine reaches the dialog through its page link while
    // it is open, whatever window the engine was handed.
    HWND hLinked = nullptr;
    const PAGELINK* l = FindPageLink(IDD_IMAGESHIFT, &hLinked);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(hLinked, h);
    SetParamEdited(pObj, kMode, 0);
    EXPECT_EQ(l->pfnRefresh(nullptr, IDC_IS_MODE_DRIVER, 0), 0);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_IS_MODE_DRIVER), (UINT)BST_CHECKED);
    EXPECT_TRUE(Enabled(h, IDC_IS_LR_F));
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_EQ(FindPageLink(IDD_IMAGESHIFT, nullptr), nullptr);
}

}  // namespace
