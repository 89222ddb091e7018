// The job ID / password dialog and the numeric code dialog: what OK stores,
// what it refuses and with which box, the hide switch, and Cancel.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "ui/dialogs/jobid.h"
#include "ui/dialogs/subdlg.h"
#include "ui/settings/strcache.h"

namespace {

const WORD kJobId = 224, kUserId = 221, kHide = 87, kJobModeSpl = 237;

class JobIdDialog : public SubDialogTest {
protected:
    void SetUp() override
    {
        SubDialogTest::SetUp();
        SetOwner(u"carol", 5);
    }
};

TEST_F(JobIdDialog, OkStoresTheTypedJobIdAndPassword)
{
    struct Row {
        const char16_t* jobId;
        const char16_t* password;
        const char16_t* storedJobId;
        const char16_t* storedPassword;
    };
    const Row rows[] = {
        {u"Job42", u"Secret1", u"Job42", u"Secret1"},
        {u"", u"", u"", u""},                          // both may stay empty
        {u"ABCDEFGH", u"12345678", u"ABCDEFGH", u"12345678"},
        {u"ABCDEFGHIJ", u"123456789", u"ABCDEFGH", u"12345678"},  // the ninth key is refused
        {u"a-b c", u"x y", u"abc", u"xy"},             // only letters and digits can be typed
    };
    for (const Row& r : rows) {
        SetField(kJobId, u"OLD");
        SetStoredPassword(u"old");
        SetParamEdited(pObj, kHide, 0);
        PlatMsgBoxReset();
        INT_PTR rc = Modal(IDD_JOBID, JobIdPasswordDlgProc, (LPARAM)pObj,
                           {Type(IDC_JOB_ID, r.jobId), Type(IDC_JOB_PASSWORD_PLAIN, r.password), Ok()});
        EXPECT_EQ(rc, IDOK) << Narrow(PlatScriptError());
        EXPECT_EQ(Field(kJobId), r.storedJobId);
        EXPECT_EQ(StoredPassword(), r.storedPassword);
        EXPECT_EQ(PlatMsgBoxCount(), 0);
    }
}

TEST_F(JobIdDialog, PastedTextThatCannotBeUsedIsRefusedWithItsBox)
{
    struct Row {
        int idEdit;
        const char16_t* pasted;
        UINT uItem;          // the item the box names
        bool bBeep;          // the password box beeps first
        bool bJobIdEmptied;
        bool bPasswordEmptied;
    };
    const Row rows[] = {
        {IDC_JOB_ID, u"AB-12", 25405, false, true, false},
        {IDC_JOB_ID, u"A B", 25405, false, true, false},
        {IDC_JOB_PASSWORD_PLAIN, u"pa ss", 25204, true, false, true},
        {IDC_JOB_PASSWORD_PLAIN, u"p\u00E9", 25204, true, false, true},
    };
    for (const Row& r : rows) {
        SetField(kJobId, u"KEEP");
        SetStoredPassword(u"keep");
        SetParamEdited(pObj, kHide, 0);
        PlatMsgBoxReset();
        PlatBeepReset();
        HWND h = Open(IDD_JOBID, JobIdPasswordDlgProc, (LPARAM)pObj);
        ASSERT_NE(h, nullptr);
        SetDlgItemTextW(h, IDC_JOB_ID, u"GOOD1");
        SetDlgItemTextW(h, IDC_JOB_PASSWORD_PLAIN, u"good2");
        ASSERT_TRUE(Paste(h, r.idEdit, r.pasted)) << Narrow(PlatScriptError());
        EXPECT_EQ(Text(h, r.idEdit), r.pasted);  // pasting is not filtered
        PlatBeepReset();
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_TRUE(IsWindowVisible(h));  // stays open
        ASSERT_EQ(PlatMsgBoxCount(), 1);
        WCHAR szPart[1024];
        wnsprintfW(szPart, 1024, GetResString(21013), GetResString(r.uItem));
        EXPECT_EQ(BoxText(0), std::u16string(szPart) + GetResString(25203));
        WCHAR szCaption[256];
        wnsprintfW(szCaption, 256, GetResString(21012), GetResString(r.uItem));
        EXPECT_EQ(BoxCaption(0), szCaption);
        EXPECT_EQ(PlatBeepCount() > 0, r.bBeep);
        EXPECT_EQ(Text(h, IDC_JOB_ID).empty(), r.bJobIdEmptied);
        EXPECT_EQ(Text(h, IDC_JOB_PASSWORD_PLAIN).empty(), r.bPasswordEmptied);
        EXPECT_EQ(GetFocus(), GetDlgItem(h, r.idEdit));
        // Nothing was stored.
        EXPECT_EQ(Field(kJobId), u"KEEP");
        EXPECT_EQ(StoredPassword(), u"keep");
        ASSERT_TRUE(PlatScriptPressCancel(h));
        EXPECT_FALSE(IsWindowVisible(h));
    }
}

TEST_F(JobIdDialog, OpensWithTheStoredValuesAndCancelKeepsThem)
{
    SetField(kJobId, u"J7");
    SetStoredPassword(u"pw7");
    SetParamEdited(pObj, kHide, 1);
    HWND h = Open(IDD_JOBID, JobIdPasswordDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Text(h, IDC_JOB_ID), u"J7");
    EXPECT_EQ(Text(h, IDC_JOB_PASSWORD_MASKED), u"pw7");
    EXPECT_TRUE(Shown(h, IDC_JOB_PASSWORD_MASKED));
    EXPECT_FALSE(Shown(h, IDC_JOB_PASSWORD_PLAIN));
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_JOB_PASSWORD_HIDE), (UINT)BST_CHECKED);
    Picture(h, "jobid_2010");
    ASSERT_TRUE(PlatScriptType(h, IDC_JOB_ID, nullptr, u"OTHER"));
    ASSERT_TRUE(PlatScriptType(h, IDC_JOB_PASSWORD_MASKED, nullptr, u"zzz"));
    ASSERT_TRUE(PlatScriptClick(h, IDC_JOB_PASSWORD_HIDE, nullptr));
    ASSERT_TRUE(PlatScriptPressCancel(h));
    EXPECT_EQ(Field(kJobId), u"J7");
    EXPECT_EQ(StoredPassword(), u"pw7");
    EXPECT_EQ(GetParamEdited(pObj, kHide), 1);
}

TEST_F(JobIdDialog, HideSwitchNeverShowsAHiddenPassword)
{
    SetStoredPassword(u"abc");
    SetParamEdited(pObj, kHide, 1);
    HWND h = Open(IDD_JOBID, JobIdPasswordDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    // Unmasking empties both edits: the user types the password again.
    ASSERT_TRUE(PlatScriptClick(h, IDC_JOB_PASSWORD_HIDE, nullptr));
    EXPECT_TRUE(Shown(h, IDC_JOB_PASSWORD_PLAIN));
    EXPECT_FALSE(Shown(h, IDC_JOB_PASSWORD_MASKED));
    EXPECT_EQ(Text(h, IDC_JOB_PASSWORD_PLAIN), u"");
    EXPECT_EQ(Text(h, IDC_JOB_PASSWORD_MASKED), u"");
    ASSERT_TRUE(PlatScriptType(h, IDC_JOB_PASSWORD_PLAIN, nullptr, u"new9"));
    // Masking again takes what was typed along.
    ASSERT_TRUE(PlatScriptClick(h, IDC_JOB_PASSWORD_HIDE, nullptr));
    EXPECT_TRUE(Shown(h, IDC_JOB_PASSWORD_MASKED));
    EXPECT_EQ(Text(h, IDC_JOB_PASSWORD_MASKED), u"new9");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(StoredPassword(), u"new9");
    EXPECT_EQ(GetParamEdited(pObj, kHide), 1);
}

TEST_F(JobIdDialog, WithoutAKnownOwnerThePasswordStaysMasked)
{
    struct Row {
        const char16_t* owner;
        BYTE length;
        bool bMasked;
    };
    const Row rows[] = {
        {u"", 0, true},
        {u"carol", 40, true},  // a name too long to have been kept whole
        {u"carol", 5, false},
    };
    for (const Row& r : rows) {
        SetOwner(r.owner, r.length);
        SetParamEdited(pObj, kHide, 0);
        HWND h = Open(IDD_JOBID_ALT, JobIdPasswordDlgProc, (LPARAM)pObj);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(Shown(h, IDC_JOB_PASSWORD_MASKED), r.bMasked);
        EXPECT_EQ(Shown(h, IDC_JOB_PASSWORD_PLAIN), !r.bMasked);
        EXPECT_EQ(Enabled(h, IDC_JOB_PASSWORD_HIDE), !r.bMasked);
        if (r.bMasked && r.length == 0)
            Picture(h, "jobid_2820_masked");
        // Cancel changes nothing, the hide setting included.
        ASSERT_TRUE(PlatScriptPressCancel(h));
        EXPECT_EQ(GetParamEdited(pObj, kHide), 0);
    }
    // OK keeps the masking the dialog showed.
    SetOwner(u"", 0);
    EXPECT_EQ(Modal(IDD_JOBID_ALT, JobIdPasswordDlgProc, (LPARAM)pObj, {Ok()}), IDOK);
    EXPECT_EQ(GetParamEdited(pObj, kHide), 1);
}

TEST_F(JobIdDialog, NumericCodeStoresDigitsAndForgetsThePasswordOfAnotherCode)
{
    struct Row {
        const char16_t* typed;
        const char16_t* storedCode;
        const char16_t* storedPassword;
    };
    const Row rows[] = {
        {u"1234", u"1234", u"pw"},   // the same code keeps its password
        {u"5678", u"5678", u""},     // another code empties it
        {u"", u"", u""},
        {u"12a34", u"1234", u"pw"},  // letters cannot be typed: the same code
        {u"123456789", u"12345678", u""},
    };
    for (const Row& r : rows) {
        SetField(kUserId, u"1234");
        SetStoredPassword(u"pw");
        EXPECT_EQ(Modal(IDD_NUMERIC_CODE, NumericCodeDlgProc, (LPARAM)pObj, {Type(IDC_CODE, r.typed), Ok()}), IDOK)
            << Narrow(PlatScriptError());
        EXPECT_EQ(Field(kUserId), r.storedCode);
        EXPECT_EQ(StoredPassword(), r.storedPassword);
    }
}

TEST_F(JobIdDialog, NumericCodeRefusesAPastedCodeWithTheUserIdBox)
{
    SetField(kUserId, u"77");
    HWND h = Open(IDD_NUMERIC_CODE, NumericCodeDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Text(h, IDC_CODE), u"77");
    Picture(h, "numcode_2830");
    ASSERT_TRUE(Paste(h, IDC_CODE, u"12-3"));
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_TRUE(IsWindowVisible(h));
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    WCHAR szText[1024], szCaption[256];
    ASSERT_TRUE(FormatInputErrorMessage(INPUTERR_CHARS, szText, 1024, szCaption, 256));
    EXPECT_EQ(BoxText(0), szText);
    EXPECT_EQ(Text(h, IDC_CODE), u"");
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_CODE));
    EXPECT_EQ(Field(kUserId), u"77");
    ASSERT_TRUE(PlatScriptPressCancel(h));
}

TEST_F(JobIdDialog, NumericCodeRadiosChangeTheModeAtOnceAndCancelPutsItBack)
{
    SetParamEdited(pObj, kJobModeSpl, 1);
    HWND h = Open(IDD_NUMERIC_CODE, NumericCodeDlgProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_CODE_MODE1), (UINT)BST_CHECKED);
    ASSERT_TRUE(PlatScriptClick(h, IDC_CODE_MODE2, nullptr));
    EXPECT_EQ(GetParamEdited(pObj, kJobModeSpl), 2);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_CODE_MODE2), (UINT)BST_CHECKED);
    ASSERT_TRUE(PlatScriptPressCancel(h));
    EXPECT_EQ(GetParamEdited(pObj, kJobModeSpl), 1);

    EXPECT_EQ(Modal(IDD_NUMERIC_CODE, NumericCodeDlgProc, (LPARAM)pObj, {Click(IDC_CODE_MODE2), Ok()}), IDOK);
    EXPECT_EQ(GetParamEdited(pObj, kJobModeSpl), 2);
}

}  // namespace
