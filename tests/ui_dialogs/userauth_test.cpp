// The user settings dialog (1800) and the confidential print dialog (2000):
// what OK stores and refuses, the key filters as a person types, the hide
// switch, the locks, and Cancel.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/subdlg.h"
#include "ui/dialogs/userauth.h"
#include "ui/settings/strcache.h"

namespace {

const WORD kUserId = 221, kHide = 87;

class UserAuthDialog : public SubDialogTest {
protected:
    void SetUp() override
    {
        SubDialogTest::SetUp();
        SetOwner(u"dave", 4);
        SetField(kUserId, u"1234");
        SetStoredPassword(u"pw1");
        SetParamEdited(pObj, kHide, 0);
        DlgStateWords(pObj)[DLGWORD_USERID_FIXED] = 0;
    }
    HWND OpenUser() { return Open(IDD_USER_SETTINGS, UserAuthDlgProc, (LPARAM)pObj); }
    std::u16string ExpectedText(UINT uItem, UINT uHint)
    {
        WCHAR sz[1024];
        wnsprintfW(sz, 1024, GetResString(21013), GetResString(uItem));
        return std::u16string(sz) + GetResString(uHint);
    }
};

TEST_F(UserAuthDialog, OkStoresWhatWasTyped)
{
    struct Row {
        const char16_t* userId;
        const char16_t* password;
        const char16_t* storedId;
        const char16_t* storedPassword;
    };
    const Row rows[] = {
        {u"", u"", u"", u""},                              // both may be empty
        {u"42", u"Abc9", u"42", u"Abc9"},
        {u"123456789", u"abcdefghi", u"12345678", u"abcdefgh"},  // the ninth key beeps
        {u"1a2 3", u"a b-c", u"123", u"abc"},             // only what the filters let through
    };
    for (const Row& r : rows) {
        SetField(kUserId, u"9");
        SetStoredPassword(u"old");
        PlatMsgBoxReset();
        INT_PTR rc = Modal(IDD_USER_SETTINGS, UserAuthDlgProc, (LPARAM)pObj,
                           {Type(IDC_USERID, r.userId), Type(IDC_PASSWORD_PLAIN, r.password), Ok()});
        EXPECT_EQ(rc, IDOK) << Narrow(PlatScriptError());
        EXPECT_EQ(Field(kUserId), r.storedId);
        EXPECT_EQ(StoredPassword(), r.storedPassword);
        EXPECT_EQ(PlatMsgBoxCount(), 0);
    }
}

TEST_F(UserAuthDialog, RefusedInputShowsItsBoxEmptiesTheEditsAndFocusesTheField)
{
    struct Row {
        int idEdit;
        const char16_t* pasted;
        UINT uItem, uHint;
        int idFocus;
        bool bUserIdEmptied;
    };
    const Row rows[] = {
        {IDC_USERID, u"12a", 25101, 21011, IDC_USERID, true},
        {IDC_PASSWORD_PLAIN, u"pa ss", 25204, 25203, IDC_PASSWORD_MASKED, false},
    };
    for (const Row& r : rows) {
        PlatMsgBoxReset();
        HWND h = OpenUser();
        ASSERT_NE(h, nullptr);
        ASSERT_TRUE(Paste(h, r.idEdit, r.pasted)) << Narrow(PlatScriptError());
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_TRUE(IsWindowVisible(h));  // the dialog stays open
        ASSERT_EQ(PlatMsgBoxCount(), 1);
        EXPECT_EQ(BoxText(0), ExpectedText(r.uItem, r.uHint));
        EXPECT_EQ(Text(h, IDC_USERID).empty(), r.bUserIdEmptied);
        EXPECT_EQ(Text(h, IDC_PASSWORD_MASKED), u"");
        EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"");
        EXPECT_EQ(GetFocus(), GetDlgItem(h, r.idFocus));
        EXPECT_EQ(Field(kUserId), u"1234");  // nothing stored
        EXPECT_EQ(StoredPassword(), u"pw1");
        ASSERT_TRUE(PlatScriptPressCancel(h));
    }
}

TEST_F(UserAuthDialog, TheFirstChangeOfTheUserIdEmptiesThePasswordsOnce)
{
    HWND h = OpenUser();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"pw1");
    // Delete with the caret at the end deletes nothing: the passwords stay.
    ASSERT_TRUE(PlatScriptFocus(h, IDC_USERID, nullptr));
    SendDlgItemMessageW(h, IDC_USERID, EM_SETSEL, 4, 4);
    ASSERT_TRUE(PlatScriptPressKey(h, VK_DELETE, 0));
    EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"pw1");
    Key(h, u'5');
    EXPECT_EQ(Text(h, IDC_USERID), u"12345");
    EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"");
    EXPECT_EQ(Text(h, IDC_PASSWORD_MASKED), u"");
    // Typed again, the password survives later changes of the user ID.
    ASSERT_TRUE(PlatScriptType(h, IDC_PASSWORD_PLAIN, nullptr, u"new2"));
    ASSERT_TRUE(PlatScriptFocus(h, IDC_USERID, nullptr));
    SendDlgItemMessageW(h, IDC_USERID, EM_SETSEL, 5, 5);
    Key(h, u'6');
    EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"new2");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_EQ(Field(kUserId), u"123456");
    EXPECT_EQ(StoredPassword(), u"new2");
}

TEST_F(UserAuthDialog, ANinthCharacterBeepsUnlessItReplacesASelection)
{
    HWND h = OpenUser();
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptType(h, IDC_PASSWORD_PLAIN, nullptr, u"abcdefgh"));
    ASSERT_TRUE(PlatScriptFocus(h, IDC_PASSWORD_PLAIN, nullptr));
    SendDlgItemMessageW(h, IDC_PASSWORD_PLAIN, EM_SETSEL, 8, 8);
    PlatBeepReset();
    Key(h, u'i');
    EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"abcdefgh");
    EXPECT_EQ(PlatBeepCount(), 1);
    SendDlgItemMessageW(h, IDC_PASSWORD_PLAIN, EM_SETSEL, 0, 1);
    Key(h, u'z');
    EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"zbcdefgh");
    ASSERT_TRUE(PlatScriptPressCancel(h));
}

TEST_F(UserAuthDialog, TheHideSwitchNeverShowsAHiddenPassword)
{
    SetParamEdited(pObj, kHide, 1);
    HWND h = OpenUser();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(Shown(h, IDC_PASSWORD_MASKED));
    EXPECT_FALSE(Shown(h, IDC_PASSWORD_PLAIN));
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_PASSWORD_HIDE), (UINT)BST_CHECKED);
    Picture(h, "userauth_1800");
    // Showing the password empties both edits: it is typed again.
    ASSERT_TRUE(PlatScriptClick(h, IDC_PASSWORD_HIDE, nullptr));
    EXPECT_TRUE(Shown(h, IDC_PASSWORD_PLAIN));
    EXPECT_EQ(Text(h, IDC_PASSWORD_PLAIN), u"");
    EXPECT_EQ(Text(h, IDC_PASSWORD_MASKED), u"");
    ASSERT_TRUE(PlatScriptType(h, IDC_PASSWORD_PLAIN, nullptr, u"x7"));
    // Hiding it again carries the typed text into the masked edit.
    ASSERT_TRUE(PlatScriptClick(h, IDC_PASSWORD_HIDE, nullptr));
    EXPECT_TRUE(Shown(h, IDC_PASSWORD_MASKED));
    EXPECT_EQ(Text(h, IDC_PASSWORD_MASKED), u"x7");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_EQ(StoredPassword(), u"x7");
    EXPECT_EQ(GetParamEdited(pObj, kHide), 1);
}

TEST_F(UserAuthDialog, LocksAtOpening)
{
    struct Row {
        const char16_t* owner;
        BYTE ownerLength;
        SHORT output, hardDisk, hide;
        bool bMaskedShown, bEditsEnabled, bSwitchEnabled;
    };
    const Row rows[] = {
        {u"dave", 4, 0, 0, 0, false, true, true},
        {u"", 0, 0, 0, 0, true, true, false},     // no owner: always masked
        {u"dave", 40, 0, 0, 0, true, true, false},  // a name too long to have been checked
        {u"dave", 4, 1, 0, 0, false, false, false}, // a kept job locks the password
        {u"dave", 4, 0, 1, 1, true, false, false},
    };
    for (const Row& r : rows) {
        SetOwner(r.owner, r.ownerLength);
        DlgSetSetting(pObj, u"lpOutput", r.output);
        DlgSetSetting(pObj, u"lpHardDisk", r.hardDisk);
        SetParamEdited(pObj, kHide, r.hide);
        HWND h = OpenUser();
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(Shown(h, IDC_PASSWORD_MASKED), r.bMaskedShown);
        EXPECT_EQ(Shown(h, IDC_PASSWORD_PLAIN), !r.bMaskedShown);
        EXPECT_EQ(Enabled(h, IDC_PASSWORD_MASKED), r.bEditsEnabled);
        EXPECT_EQ(Enabled(h, IDC_PASSWORD_LABEL), r.bEditsEnabled);
        EXPECT_EQ(Enabled(h, IDC_PASSWORD_HIDE), r.bSwitchEnabled);
        ASSERT_TRUE(PlatScriptPressCancel(h));
        EXPECT_EQ(GetParamEdited(pObj, kHide), r.hide);  // Cancel writes nothing
    }
}

TEST_F(UserAuthDialog, CancelLeavesEverythingAsItWas)
{
    INT_PTR rc = Modal(IDD_USER_SETTINGS, UserAuthDlgProc, (LPARAM)pObj,
                       {Type(IDC_USERID, u"777"), Type(IDC_PASSWORD_PLAIN, u"zz"), Click(IDC_PASSWORD_HIDE), Cancel()});
    EXPECT_EQ(rc, IDCANCEL);
    EXPECT_EQ(Field(kUserId), u"1234");
    EXPECT_EQ(StoredPassword(), u"pw1");
    EXPECT_EQ(GetParamEdited(pObj, kHide), 0);
}

TEST_F(UserAuthDialog, ConfidentialPrintShowsTheUserIdAndChecksTheStoredOne)
{
    DlgStateWords(pObj)[DLGWORD_USERID_FIXED] = 1;
    struct Row {
        const char16_t* storedId;
        const char16_t* shown;
    };
    const Row rows[] = {{u"1234", u"1234"}, {u"", nullptr}};
    for (const Row& r : rows) {
        SetField(kUserId, r.storedId);
        HWND h = Open(IDD_CONFIDENTIAL_PRINT, UserAuthDlgProc, (LPARAM)pObj);
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(Shown(h, IDC_USERID_STATIC));
        EXPECT_FALSE(Shown(h, IDC_USERID));
        EXPECT_EQ(Text(h, IDC_USERID_STATIC), r.shown ? r.shown : GetResString(21006));
        if (r.storedId[0])
            Picture(h, "userauth_2000");
        ASSERT_TRUE(PlatScriptType(h, IDC_PASSWORD_PLAIN, nullptr, u"conf1"));
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_FALSE(IsWindowVisible(h));
        EXPECT_EQ(Field(kUserId), r.storedId);
        EXPECT_EQ(StoredPassword(), u"conf1");
    }
}

}  // namespace
