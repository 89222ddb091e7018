// The sub-dialog frame: what the shared edit filters do with each key, the
// masking of the password edits, the input-error texts and the OK check
// with what it stores.
#include "tests/ui_dialogs/pane_fixture.h"

#include "platform/gdi/msgbox.h"
#include "ui/dialogs/subdlg.h"
#include "ui/driverui/docevent_store.h"
#include "ui/settings/strcache.h"

#include <string>

namespace {

DWORD Sel(int a, int b)
{
    return MAKELONG(a, b);
}

TEST(PasswordFilter, KeysByTextAndSelection)
{
    struct Row {
        WCHAR ch;
        int len;
        DWORD sel;
        int expected;
    };
    const Row rows[] = {
        {u'a', 0, Sel(0, 0), FILTER_PASS},
        {u'Z', 7, Sel(7, 7), FILTER_PASS},
        {u'5', 7, Sel(7, 7), FILTER_PASS},
        {u'a', 8, Sel(8, 8), FILTER_SWALLOW},  // a ninth letter
        {u'a', 8, Sel(2, 5), FILTER_PASS},     // typed over a selection
        {u' ', 2, Sel(2, 2), FILTER_SWALLOW},
        {u'-', 2, Sel(2, 2), FILTER_SWALLOW},
        {u'\u00E9', 2, Sel(2, 2), FILTER_SWALLOW},
        {8, 8, Sel(8, 8), FILTER_PASS},        // backspace
        {22, 8, Sel(8, 8), FILTER_PASS},       // Ctrl+V: the paste itself is not filtered
        {3, 0, Sel(0, 0), FILTER_PASS},
        {24, 0, Sel(0, 0), FILTER_PASS},
        {26, 0, Sel(0, 0), FILTER_PASS},
        {13, 0, Sel(0, 0), FILTER_SWALLOW},    // other control characters fail
    };
    for (const Row& r : rows)
        EXPECT_EQ(PasswordFilterDecision(r.ch, r.len, r.sel), r.expected) << (int)r.ch << " len " << r.len;
}

TEST(UserIdFilter, KeysByTextSelectionAndCaret)
{
    struct Row {
        UINT msg;
        WPARAM key;
        int len;
        DWORD sel;
        int caret;
        int expected;
    };
    const Row rows[] = {
        {WM_CHAR, u'1', 0, Sel(0, 0), 0, FILTER_PASS_CLEAR},
        {WM_CHAR, u'a', 2, Sel(2, 2), 2, FILTER_SWALLOW},
        {WM_CHAR, u'9', 8, Sel(8, 8), 8, FILTER_SWALLOW},     // full
        {WM_CHAR, u'9', 8, Sel(0, 8), 8, FILTER_PASS_CLEAR},  // over a selection
        {WM_CHAR, 8, 0, Sel(0, 0), 0, FILTER_PASS},           // backspace on nothing
        {WM_CHAR, 8, 3, Sel(0, 0), 0, FILTER_PASS},           // backspace at the start
        {WM_CHAR, 8, 3, Sel(3, 3), 3, FILTER_PASS_CLEAR},     // backspace that deletes
        {WM_CHAR, 22, 3, Sel(3, 3), 3, FILTER_PASS},
        {WM_PASTE, 0, 3, Sel(3, 3), 3, FILTER_PASS_CLEAR},
        {WM_KEYDOWN, VK_DELETE, 3, Sel(3, 3), 3, FILTER_PASS},        // at the end: nothing to delete
        {WM_KEYDOWN, VK_DELETE, 3, Sel(1, 1), 1, FILTER_PASS_CLEAR},
        {WM_KEYDOWN, VK_DELETE, 3, Sel(0, 3), 3, FILTER_PASS_CLEAR},  // a selection is deleted
        {WM_KEYDOWN, 0x41, 3, Sel(3, 3), 3, FILTER_PASS},
        {WM_KEYUP, VK_DELETE, 3, Sel(1, 1), 1, FILTER_PASS},
    };
    for (const Row& r : rows)
        EXPECT_EQ(UserIdFilterDecision(r.msg, r.key, r.len, r.sel, r.caret), r.expected)
            << std::hex << r.msg << " " << r.key;
}

TEST(PasswordMasking, ByOutputAndOwner)
{
    struct Row {
        SHORT output, hardDisk;
        const char16_t* owner;
        BYTE ownerLen;
        SHORT hide;
        PASSWORDMASKING expected;
    };
    const Row rows[] = {
        {0, 0, u"tanaka", 6, 0, {0, FALSE, TRUE, TRUE}},
        {0, 0, u"tanaka", 6, 1, {1, TRUE, TRUE, TRUE}},
        {1, 0, u"tanaka", 6, 0, {0, FALSE, FALSE, FALSE}},  // locked: shown as set, nothing editable
        {0, 1, u"tanaka", 6, 1, {1, TRUE, FALSE, FALSE}},
        {0, 0, u"", 0, 0, {1, TRUE, TRUE, FALSE}},          // no owner: always masked
        {0, 0, u"a-very-long-name", 40, 0, {1, TRUE, TRUE, FALSE}},
    };
    for (const Row& r : rows) {
        PASSWORDMASKING m;
        ComputePasswordMasking(r.output, r.hardDisk, r.owner, r.ownerLen, r.hide, &m);
        EXPECT_EQ(m.sHide, r.expected.sHide);
        EXPECT_EQ(m.bShowMasked, r.expected.bShowMasked);
        EXPECT_EQ(m.bEditsEnabled, r.expected.bEditsEnabled);
        EXPECT_EQ(m.bSwitchEnabled, r.expected.bSwitchEnabled);
    }
}

TEST(Scramble, EachUnitInvertedAndBack)
{
    WCHAR out[12];
    ScramblePassword(u"A", out);
    EXPECT_EQ(out[0], 0xFFBE);
    EXPECT_EQ(out[1], 0);
    WCHAR back[12];
    ScramblePassword(out, back);
    EXPECT_EQ(std::u16string(back), u"A");
    ScramblePassword(u"", out);
    EXPECT_EQ(out[0], 0);
}

class UserAuth : public PaneTest {};

TEST_F(UserAuth, InputErrorTexts)
{
    WCHAR text[1024], caption[256];
    ASSERT_TRUE(FormatInputErrorMessage(INPUTERR_CHARS, text, 1024, caption, 256));
    WCHAR part[1024];
    wsprintfW(part, GetResString(21013), GetResString(25101));
    EXPECT_EQ(std::u16string(text), std::u16string(part) + GetResString(21011));
    wsprintfW(part, GetResString(21012), GetResString(25101));
    EXPECT_EQ(std::u16string(caption), std::u16string(part));
    ASSERT_TRUE(FormatInputErrorMessage(INPUTERR_FORMAT, text, 1024, caption, 256));
    wsprintfW(part, GetResString(21013), GetResString(25204));
    EXPECT_EQ(std::u16string(text), std::u16string(part) + GetResString(25203));
    ASSERT_TRUE(FormatInputErrorMessage(INPUTERR_LENGTH, text, 1024, caption, 256));
    wsprintfW(part, GetResString(21000), GetResString(25101), GetResString(25102), u"99999999");
    EXPECT_EQ(std::u16string(text), std::u16string(part));
    EXPECT_EQ(std::u16string(text).find(u"%"), std::u16string::npos);
    // A short buffer is filled, never overrun.
    WCHAR tiny[8];
    tiny[7] = u'#';
    ASSERT_TRUE(FormatInputErrorMessage(INPUTERR_CHARS, tiny, 7, caption, 256));
    EXPECT_EQ(tiny[7], u'#');
    PlatMsgBoxReset();
    ASSERT_TRUE(ShowInputErrorBox(nullptr, INPUTERR_FORMAT));
    HWND h;
    LPCWSTR t, c;
    UINT type;
    ASSERT_TRUE(PlatMsgBoxGet(0, &h, &t, &c, &type));
    EXPECT_EQ(type, (UINT)MB_ICONWARNING);
    PlatMsgBoxReset();
}

TEST_F(UserAuth, OkCheckAndWhatIsStored)
{
    struct Row {
        const char16_t* id;
        const char16_t* password;
        int expected;
    };
    const Row rows[] = {
        {u"", u"", 0},
        {u"12345678", u"abcDEF12", 0},
        {u"12a", u"abc", INPUTERR_CHARS},
        {u"12", u"ab c", INPUTERR_FORMAT},
        {u"12", u"pass-word", INPUTERR_FORMAT},
        {u"123456789", u"a", INPUTERR_CHARS},
        {u"1", u"abcdefghi", INPUTERR_FORMAT},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CheckUserAuthInput(r.id, r.password), r.expected);

    ASSERT_TRUE(StoreUserAuthInput(pObj, u"00123", u"Secret8"));
    WCHAR id[USERAUTH_FIELD_UNITS], pw[USERAUTH_FIELD_UNITS];
    ASSERT_TRUE(LoadUserAuthInput(pObj, id, pw));
    EXPECT_EQ(std::u16string(id), u"00123");
    EXPECT_EQ(std::u16string(pw), u"Secret8");
    // The password is kept inverted, never as typed.
    ASSERT_EQ(1, SettingsToDevmode(pObj, (DEVMODEW*)dm.data(), (POPTIONDB)pdb));
    WCHAR stored[11];
    memcpy(stored, dm.data() + 1473, sizeof(stored));
    EXPECT_EQ(stored[0], (WCHAR)(u'S' ^ 0xFFFF));

    // A refused input leaves what was stored.
    EXPECT_FALSE(StoreUserAuthInput(pObj, u"12a", u"x"));
    ASSERT_TRUE(LoadUserAuthInput(pObj, id, pw));
    EXPECT_EQ(std::u16string(id), u"00123");
    EXPECT_EQ(std::u16string(pw), u"Secret8");
    // Empty values are stored as empty.
    ASSERT_TRUE(StoreUserAuthInput(pObj, u"", u""));
    ASSERT_TRUE(LoadUserAuthInput(pObj, id, pw));
    EXPECT_EQ(id[0], 0);
    EXPECT_EQ(pw[0], 0);
}

}  // namespace
