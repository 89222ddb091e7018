// The box save dialog as a person uses it: what may be typed, which box a
// bad entry gives with the fields it empties, what OK stores and what
// Cancel leaves alone.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/boxsave.h"
#include "ui/dialogs/subdlg.h"

namespace {

class BoxSaveDlg : public SettingDlgTest {
protected:
    void SetUp() override
    {
        SettingDlgTest::SetUp();
        DlgStateWords(pObj)[DLGWORD_USERID_FIXED] = 0;
        StoreUserAuthInput(pObj, u"", u"");
    }
    std::u16string StoredUserId()
    {
        WCHAR id[21] = {}, pw[21] = {};
        LoadUserAuthInput(pObj, id, pw);
        return id;
    }
    std::u16string StoredPassword()
    {
        WCHAR id[21] = {}, pw[21] = {};
        LoadUserAuthInput(pObj, id, pw);
        return pw;
    }
    std::u16string StoredBox()
    {
        WCHAR box[21] = {};
        LoadBoxNumber(pObj, box);
        return box;
    }
};

TEST_F(BoxSaveDlg, OkStoresWhatPassesAndEachBadEntryGivesItsBox)
{
    struct Row {
        const char16_t* id;
        const char16_t* box;
        const char16_t* pw;
        const char16_t* message;   // start of the box text, null for none
        int focus;                 // the field that has the focus after the box
        bool passwordKept;         // the password edit still holds its text
    };
    const Row rows[] = {
        {u"1234", u"123456789", u"abc12", nullptr, 0, true},
        {u"", u"", u"", nullptr, 0, true},                 // empty fields are accepted
        {u"0001", u"7", u"Z", nullptr, 0, true},
        {u"000", u"5", u"pw", u"Enter the user ID as a number from 00000001 to 99999999", IDC_USERID, false},
        {u"12", u"5", u"p w", u"The password contains characters", IDC_PASSWORD_MASKED, false},
    };
    for (const Row& r : rows) {
        PlatMsgBoxReset();
        StoreUserAuthInput(pObj, u"9", u"old");
        bool ok = !r.message;
        std::vector<PLATSCRIPTSTEP> steps = {Type(IDC_USERID, r.id), Type(IDC_BOX_NUMBER, r.box)};
        // A blank cannot be typed into the password: it comes by paste.
        if (std::u16string(r.pw).find(u' ') == std::u16string::npos)
            steps.push_back(Type(IDC_PASSWORD_MASKED, r.pw));
        ASSERT_TRUE(PlatScriptOnDialog(IDD_BOXSAVE, steps.data(), (int)steps.size()));
        SetActivePageId(pObj, IDD_BOXSAVE);
        HWND h = Open(IDD_BOXSAVE, BoxSaveDlgProc);
        ASSERT_TRUE(PlatScriptRunQueued(h)) << Err();
        if (std::u16string(r.pw).find(u' ') != std::u16string::npos)
            SetDlgItemTextW(h, IDC_PASSWORD_MASKED, r.pw);
        SendMessageW(h, WM_COMMAND, IDOK, 0);
        PlatPumpMessages();
        if (ok) {
            EXPECT_FALSE(IsWindow(h) && IsWindowVisible(h)) << Narrow(r.id);
            EXPECT_EQ(StoredUserId(), r.id);
            EXPECT_EQ(StoredBox(), r.box);
            EXPECT_EQ(StoredPassword(), r.pw);
            EXPECT_TRUE(Boxes().empty());
        } else {
            ASSERT_EQ(Boxes().size(), 1u) << Narrow(r.id);
            EXPECT_EQ(Boxes()[0].rfind(r.message, 0), 0u) << Narrow(Boxes()[0]);
            EXPECT_EQ(GetFocus(), GetDlgItem(h, r.focus));
            EXPECT_EQ(Text(h, IDC_PASSWORD_MASKED).empty(), !r.passwordKept);
            EXPECT_EQ(StoredUserId(), u"9");  // nothing stored
            Close(h);
        }
        if (IsWindow(h))
            DestroyWindow(h);
        PlatScriptReset();
    }
}

TEST_F(BoxSaveDlg, ABadBoxNumberEmptiesOnlyItselfAndKeepsThePassword)
{
    HWND h = Open(IDD_BOXSAVE, BoxSaveDlgProc);
    ASSERT_TRUE(PlatScriptType(h, IDC_PASSWORD_MASKED, nullptr, u"secret")) << Err();
    SetDlgItemTextW(h, IDC_BOX_NUMBER, u"12a");  // pasted
    SendMessageW(h, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind(u"The box number contains characters that cannot be used.", 0), 0u);
    EXPECT_EQ(Text(h, IDC_BOX_NUMBER), u"");
    EXPECT_EQ(Text(h, IDC_PASSWORD_MASKED), u"secret");
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_BOX_NUMBER));
    Close(h);
}

TEST_F(BoxSaveDlg, TypingIsFilteredPerField)
{
    HWND h = Open(IDD_BOXSAVE, BoxSaveDlgProc);
    struct Row {
        int id;
        const char16_t* typed;
        const char16_t* shown;
    };
    const Row rows[] = {
        {IDC_BOX_NUMBER, u"1234567890", u"123456789"},  // a tenth digit cannot be typed
        {IDC_BOX_NUMBER, u"12a3", u"123"},
        {IDC_USERID, u"123456789", u"12345678"},
        {IDC_USERID, u"1-2", u"12"},
        {IDC_PASSWORD_MASKED, u"ab-cd ef", u"abcdef"},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(PlatScriptType(h, r.id, nullptr, r.typed)) << Err();
        EXPECT_EQ(Text(h, r.id), r.shown) << Narrow(r.typed);
    }
    // Changing the user ID leaves the password alone.
    EXPECT_TRUE(PlatScriptType(h, IDC_USERID, nullptr, u"55"));
    EXPECT_EQ(Text(h, IDC_PASSWORD_MASKED), u"abcdef");
    Close(h);
}

TEST_F(BoxSaveDlg, CancelLeavesEverythingAndAFixedUserIdIsOnlyShown)
{
    StoreUserAuthInput(pObj, u"42", u"pw1");
    DlgStateWords(pObj)[DLGWORD_USERID_FIXED] = 1;
    SetActivePageId(pObj, IDD_BOXSAVE);
    HWND h = Open(IDD_BOXSAVE, BoxSaveDlgProc);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_USERID)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_USERID_STATIC)));
    EXPECT_EQ(Text(h, IDC_USERID_STATIC), u"42");
    Picture(h, "boxsave");
    Close(h);

    EXPECT_EQ(Run(IDD_BOXSAVE, BoxSaveDlgProc, {Type(IDC_BOX_NUMBER, u"77"), Type(IDC_PASSWORD_MASKED, u"zz"),
                                                PressCancel()}),
              IDCANCEL)
        << Err();
    EXPECT_EQ(StoredUserId(), u"42");
    EXPECT_EQ(StoredPassword(), u"pw1");
    EXPECT_EQ(StoredBox(), u"");

    // With the user ID fixed, OK stores the shown ID with the new fields.
    EXPECT_EQ(Run(IDD_BOXSAVE, BoxSaveDlgProc, {Type(IDC_BOX_NUMBER, u"77"), PressOK()}), IDOK) << Err();
    EXPECT_EQ(StoredUserId(), u"42");
    EXPECT_EQ(StoredBox(), u"77");
    EXPECT_EQ(StoredPassword(), u"pw1");
}

TEST(BoxSaveFilters, KeysByTextAndSelection)
{
    struct Row {
        WCHAR ch;
        int len;
        DWORD sel;
        int user, box;
    };
    const Row rows[] = {
        {u'1', 0, 0, FILTER_PASS, FILTER_PASS},
        {u'1', 8, MAKELONG(8, 8), FILTER_SWALLOW, FILTER_PASS},
        {u'1', 9, MAKELONG(9, 9), FILTER_SWALLOW, FILTER_SWALLOW},
        {u'1', 9, MAKELONG(0, 9), FILTER_PASS, FILTER_PASS},  // typed over a selection
        {u'a', 0, 0, FILTER_SWALLOW, FILTER_SWALLOW},
        {8, 9, MAKELONG(9, 9), FILTER_PASS, FILTER_PASS},
        {22, 9, MAKELONG(9, 9), FILTER_PASS, FILTER_PASS},
        {13, 0, 0, FILTER_SWALLOW, FILTER_SWALLOW},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(BoxUserIdFilterDecision(r.ch, r.len, r.sel), r.user) << (int)r.ch << " " << r.len;
        EXPECT_EQ(BoxNumberFilterDecision(r.ch, r.len, r.sel), r.box) << (int)r.ch << " " << r.len;
    }
}

}  // namespace
