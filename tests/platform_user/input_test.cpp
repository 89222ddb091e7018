// The mouse and the keyboard as a person uses them on a dialog: input at
// positions and keys (PlatInputMouse, PlatInputKey), handed out by the
// loop every dialog application runs (IsDialogMessageW, then
// TranslateMessage and DispatchMessageW). No control is named to the
// input: the window under the pointer and the focus decide.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RECORD {
    std::vector<int> commands;  // WM_COMMAND ids, BN_CLICKED / LBN_DBLCLK as id + 10000
};
RECORD* g_rec = nullptr;

INT_PTR CALLBACK KeysProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        HWND hCombo = GetDlgItem(hDlg, 421);
        for (const char16_t* s : {u"A4", u"A3", u"Letter"})
            SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        SendMessageW(hCombo, CB_SETCURSEL, 0, 0);
        HWND hList = GetDlgItem(hDlg, 431);
        for (const char16_t* s : {u"One", u"Two", u"Three"})
            SendMessageW(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        return TRUE;
    }
    case WM_COMMAND:
        if (g_rec && (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == LBN_DBLCLK) &&
            (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == 441 ||
             HIWORD(wParam) == LBN_DBLCLK))
            g_rec->commands.push_back(LOWORD(wParam) + (HIWORD(wParam) == LBN_DBLCLK ? 10000 : 0));
        return TRUE;
    }
    return FALSE;
}

// A modeless dialog and the loop an application runs for it.
struct Keys {
    HWND h;
    RECORD rec;
    DWORD t = 1000;
    Keys()
    {
        PlatInputReset();
        g_rec = &rec;
        h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(170), nullptr, KeysProc, 0);
        if (h)
            ShowWindow(h, SW_SHOW);
        Loop();
    }
    ~Keys()
    {
        if (IsWindow(h))
            DestroyWindow(h);
        g_rec = nullptr;
        PlatInputReset();
    }
    void Loop()
    {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(h, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        PlatPumpMessages();
    }
    // A key pressed and let go; with modifiers held around it.
    void Key(UINT vk, WCHAR ch = 0, std::vector<UINT> held = {})
    {
        for (UINT m : held)
            PlatInputKey(m, TRUE, 0, t);
        PlatInputKey(vk, TRUE, ch, t);
        PlatInputKey(vk, FALSE, 0, t);
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            PlatInputKey(*it, FALSE, 0, t);
        t += 100;
        Loop();
    }
    void Type(const std::u16string& s)
    {
        for (char16_t c : s)
            Key(c >= u'a' && c <= u'z' ? c - 32 : c, c);
    }
    // The centre of a control, on the screen.
    POINT At(int id) const
    {
        RECT rc;
        GetWindowRect(GetDlgItem(h, id), &rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    UINT Click(POINT pt, DWORD dt = 300)
    {
        UINT hit = PlatInputMouse(nullptr, WM_LBUTTONDOWN, pt.x, pt.y, t);
        PlatInputMouse(nullptr, WM_LBUTTONUP, pt.x, pt.y, t + 50);
        t += dt;
        Loop();
        return hit;
    }
    int Focus() const { return GetDlgCtrlID(GetFocus()); }
    UINT Checked(int id) const { return IsDlgButtonChecked(h, id); }
    int Sel(int id, UINT msg) const { return (int)SendDlgItemMessageW(h, id, msg, 0, 0); }
    std::u16string Text(int id) const
    {
        WCHAR buf[64] = {};
        GetDlgItemTextW(h, id, buf, 64);
        return (const char16_t*)buf;
    }
};

TEST(Input, TabAndShiftTabWalkTheTabStopsInOrderPassingDisabledOnes)
{
    Keys k;
    ASSERT_NE(k.h, nullptr);
    EXPECT_EQ(k.Focus(), 401);
    const int kForward[] = {411, 421, 431, 441, IDOK, IDCANCEL, 401};
    for (int id : kForward) {
        k.Key(VK_TAB, u'\t');
        EXPECT_EQ(k.Focus(), id);
    }
    k.Key(VK_TAB, u'\t', {VK_LSHIFT});
    EXPECT_EQ(k.Focus(), IDCANCEL);
    // Tab never reaches the field as a character.
    EXPECT_EQ(k.Text(411), u"");
}

// The default frame follows the focus among push buttons and goes back to
// the dialog's default when the focus leaves them.
TEST(Input, TheDefaultLookFollowsTheFocusedPushButton)
{
    struct Step {
        int iFocus;      // after one more Tab
        int idDefault;   // the one push button with the default look
    };
    const Step kSteps[] = {{411, IDOK}, {421, IDOK}, {431, IDOK}, {441, 441}, {IDOK, IDOK}, {IDCANCEL, IDCANCEL},
                           {401, IDOK}};
    Keys k;
    for (const Step& st : kSteps) {
        k.Key(VK_TAB, u'\t');
        ASSERT_EQ(k.Focus(), st.iFocus);
        for (int id : {441, IDOK, IDCANCEL}) {
            DWORD kind = (DWORD)GetWindowLongW(GetDlgItem(k.h, id), GWL_STYLE) & BS_TYPEMASK;
            EXPECT_EQ(kind, id == st.idDefault ? (DWORD)BS_DEFPUSHBUTTON : (DWORD)BS_PUSHBUTTON)
                << "focus " << st.iFocus << ", button " << id;
        }
    }
}

TEST(Input, MnemonicsActOnTheControlTheyMark)
{
    struct Case {
        std::vector<UINT> held;  // Alt, or nothing (the focus on a check box)
        WCHAR ch;
        int iFocus;              // where the focus ends
        UINT uStaple;            // the check box after the key
        std::vector<int> commands;
    };
    const Case cases[] = {
        {{VK_LMENU}, u's', 401, BST_CHECKED, {}},      // Alt+S ticks Staple
        {{}, u's', 401, BST_CHECKED, {}},              // S alone: a check box takes no characters
        {{VK_LMENU}, u'c', 411, BST_UNCHECKED, {}},    // the label names the field after it
        {{VK_LMENU}, u'r', 421, BST_UNCHECKED, {}},    // and the drop-down list
        {{VK_LMENU}, u'm', 441, BST_UNCHECKED, {441}}, // a push button is pressed
        {{VK_LMENU}, u'p', 401, BST_UNCHECKED, {}},    // Punch is disabled: nothing
    };
    for (const Case& c : cases) {
        Keys k;
        k.Key(c.ch - 32, c.ch, c.held);
        EXPECT_EQ(k.Focus(), c.iFocus) << (char)c.ch;
        EXPECT_EQ(k.Checked(401), c.uStaple) << (char)c.ch;
        EXPECT_EQ(k.rec.commands, c.commands) << (char)c.ch;
    }
}

TEST(Input, TypedKeysBecomeCharactersOfTheFocusedField)
{
    Keys k;
    k.Key('C', u'c', {VK_LMENU});
    ASSERT_EQ(k.Focus(), 411);
    k.Type(u"12");
    EXPECT_EQ(k.Text(411), u"12");
    // The number field refuses a letter; Backspace takes one back.
    k.Type(u"x");
    k.Key(VK_BACK, 0x08);
    EXPECT_EQ(k.Text(411), u"1");
    // Typing in the field does not press the buttons its letters mark.
    k.Type(u"m");
    EXPECT_TRUE(k.rec.commands.empty());
}

TEST(Input, EnterPressesTheDefaultButtonAndEscapeCancels)
{
    struct Case {
        int iFocus;  // 0: where the dialog starts
        UINT vk;
        std::vector<int> commands;
    };
    const Case cases[] = {
        {0, VK_RETURN, {IDOK}},
        {441, VK_RETURN, {441}},  // the focused push button is the one pressed
        {411, VK_RETURN, {IDOK}},
        {0, VK_ESCAPE, {IDCANCEL}},
    };
    for (const Case& c : cases) {
        Keys k;
        if (c.iFocus) {
            SetFocus(GetDlgItem(k.h, c.iFocus));
            k.Loop();
        }
        k.Key(c.vk, c.vk == VK_RETURN ? u'\r' : 0x1B);
        EXPECT_EQ(k.rec.commands, c.commands) << c.iFocus << " " << c.vk;
    }
}

TEST(Input, ArrowKeysMoveInListsAndDropDownLists)
{
    Keys k;
    SetFocus(GetDlgItem(k.h, 431));
    k.Loop();
    k.Key(VK_DOWN);
    k.Key(VK_DOWN);
    EXPECT_EQ(k.Sel(431, LB_GETCURSEL), 1);
    k.Key(VK_UP);
    EXPECT_EQ(k.Sel(431, LB_GETCURSEL), 0);
    // A closed drop-down list steps through its items.
    k.Key('R', u'r', {VK_LMENU});
    k.Key(VK_DOWN);
    EXPECT_EQ(k.Sel(421, CB_GETCURSEL), 1);
    // Alt+Down opens it; Down and Enter choose, and Enter does not reach OK.
    k.Key(VK_DOWN, 0, {VK_LMENU});
    EXPECT_TRUE(k.Sel(421, CB_GETDROPPEDSTATE));
    k.Key(VK_DOWN);
    k.Key(VK_RETURN, u'\r');
    EXPECT_FALSE(k.Sel(421, CB_GETDROPPEDSTATE));
    EXPECT_EQ(k.Sel(421, CB_GETCURSEL), 2);
    EXPECT_TRUE(k.rec.commands.empty());
    // Escape closes an open list and keeps the dialog open.
    k.Key(VK_F4);
    EXPECT_TRUE(k.Sel(421, CB_GETDROPPEDSTATE));
    k.Key(VK_ESCAPE, 0x1B);
    EXPECT_FALSE(k.Sel(421, CB_GETDROPPEDSTATE));
    EXPECT_TRUE(k.rec.commands.empty());
}

TEST(Input, ClicksReachTheWindowUnderThePointer)
{
    Keys k;
    k.Click(k.At(401));
    EXPECT_EQ(k.Checked(401), BST_CHECKED);
    // A disabled check box takes no click.
    k.Click(k.At(402));
    EXPECT_EQ(k.Checked(402), BST_UNCHECKED);
    EXPECT_EQ(k.Focus(), 401);
    // A drop-down list: a click drops it, a click on an item chooses it.
    k.Click(k.At(421));
    ASSERT_TRUE(k.Sel(421, CB_GETDROPPEDSTATE));
    // The list hangs below the field.
    RECT rl;
    GetWindowRect(GetDlgItem(k.h, 421), &rl);
    int cyItem = (int)SendDlgItemMessageW(k.h, 421, CB_GETITEMHEIGHT, 0, 0);
    k.Click({rl.left + 10, rl.bottom + 1 + cyItem + cyItem / 2});
    EXPECT_FALSE(k.Sel(421, CB_GETDROPPEDSTATE));
    EXPECT_EQ(k.Sel(421, CB_GETCURSEL), 1);
    // A click outside a dropped list closes it and chooses nothing.
    k.Click(k.At(421));
    ASSERT_TRUE(k.Sel(421, CB_GETDROPPEDSTATE));
    k.Click(k.At(401));
    EXPECT_FALSE(k.Sel(421, CB_GETDROPPEDSTATE));
    EXPECT_EQ(k.Sel(421, CB_GETCURSEL), 1);
    EXPECT_EQ(k.Checked(401), BST_CHECKED);
    // Two quick clicks on a list row are a double click; two slow ones not.
    RECT rc;
    GetWindowRect(GetDlgItem(k.h, 431), &rc);
    POINT row = {rc.left + 10, rc.top + 2 + cyItem / 2};
    k.Click(row, 100);
    k.Click(row, 1000);
    k.Click(row, 100);
    EXPECT_EQ(k.rec.commands, std::vector<int>{10000 + 431});
    EXPECT_EQ(k.Sel(431, LB_GETCURSEL), 0);
}

TEST(Input, TheCaptionMovesAndTheCloseBoxCloses)
{
    Keys k;
    RECT rw;
    GetWindowRect(k.h, &rw);
    EXPECT_EQ(k.Click({rw.left + 40, rw.top + 10}), (UINT)HTCAPTION);
    EXPECT_TRUE(k.rec.commands.empty());
    EXPECT_EQ(k.Click({rw.right - 12, rw.top + 12}), (UINT)HTCLOSE);
    EXPECT_EQ(k.rec.commands, std::vector<int>{IDCANCEL});
}

TEST(Input, KeyStateFollowsTheKeys)
{
    Keys k;
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    // The device's state at once; the messages' state as they are taken.
    PlatInputKey(VK_LSHIFT, TRUE, 0, 0);
    EXPECT_NE(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_NE(GetAsyncKeyState(VK_LSHIFT) & 0x8000, 0);
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    PlatInputKey(VK_LSHIFT, FALSE, 0, 0);
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, (WPARAM)VK_SHIFT);
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    PlatInputReset();
}

}  // namespace
