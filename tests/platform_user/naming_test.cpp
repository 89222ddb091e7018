// The scripted user names controls as a person reads them: labels shared by
// two rows, one label over two lists, a list named by its group box, a long
// label by its beginning; owner-drawn menu items by the text they show;
// keys a field refuses; a tick its owner refuses.
#include "platform/windows.h"
#include "platform/user/msgbox.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

const char16_t* const kMenuTexts[] = {u"Save Settings...", u"Recall Settings...", u"Draft"};

void Fill(HWND hDlg, int id, std::initializer_list<const char16_t*> items)
{
    for (const char16_t* p : items)
        SendDlgItemMessageW(hDlg, id, CB_ADDSTRING, 0, (LPARAM)p);
    SendDlgItemMessageW(hDlg, id, CB_SETCURSEL, 0, 0);
}

INT_PTR CALLBACK NamingProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        Fill(hDlg, 151, {u"Left to right", u"Right to left"});
        Fill(hDlg, 152, {u"None", u"Lines only"});
        Fill(hDlg, 161, {u"Plain paper", u"Thick paper"});
        SendDlgItemMessageW(hDlg, 181, EM_LIMITTEXT, 3, 0);
        return TRUE;
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* mis = (MEASUREITEMSTRUCT*)lParam;
        mis->itemWidth = 120;
        mis->itemHeight = 20;
        return TRUE;
    }
    case WM_DRAWITEM: {
        // The items draw their own texts; their data is an index.
        const DRAWITEMSTRUCT* dis = (const DRAWITEMSTRUCT*)lParam;
        const char16_t* psz = kMenuTexts[dis->itemData];
        TextOutW(dis->hDC, dis->rcItem.left + 4, dis->rcItem.top + 2, psz, lstrlenW(psz));
        return TRUE;
    }
    case WM_COMMAND:
        g_log.push_back("CMD " + std::to_string(LOWORD(wParam)));
        if (LOWORD(wParam) == 191 && IsDlgButtonChecked(hDlg, 191)) {
            // The owner refuses the tick after saying so.
            MessageBoxW(hDlg, u"Not now.", u"Refuses", MB_OK | MB_ICONWARNING);
            CheckDlgButton(hDlg, 191, BST_UNCHECKED);
        }
        if (LOWORD(wParam) == 195) {
            HMENU m = CreatePopupMenu();
            AppendMenuW(m, MF_OWNERDRAW, 2582, (LPCWSTR)0);
            AppendMenuW(m, MF_OWNERDRAW, 2583, (LPCWSTR)1);
            AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(m, MF_OWNERDRAW | MF_GRAYED, 2600, (LPCWSTR)2);
            RECT rc;
            GetWindowRect(GetDlgItem(hDlg, 195), &rc);
            TrackPopupMenu(m, TPM_CENTERALIGN, (rc.left + rc.right) / 2, rc.bottom, 0, hDlg, nullptr);
            DestroyMenu(m);
        }
        return TRUE;
    }
    return FALSE;
}

class Naming : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        PlatScriptReset();
        PlatMsgBoxReset();
        g_log.clear();
        h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(140), nullptr, NamingProc, 0);
        ASSERT_TRUE(h);
        ShowWindow(h, SW_SHOW);
    }
    void TearDown() override
    {
        DestroyWindow(h);
        PlatScriptReset();
    }
    std::string Error() const
    {
        std::string s;
        for (const char16_t* p = PlatScriptError(); *p; ++p)
            s += *p < 0x80 ? (char)*p : '?';
        return s;
    }
    int Sel(int id) const { return (int)SendDlgItemMessageW(h, id, CB_GETCURSEL, 0, 0); }
    HWND h = nullptr;
};

TEST_F(Naming, ASharedLabelIsQualifiedByItsRow)
{
    EXPECT_FALSE(PlatScriptCheck(h, 0, u"Printed", BST_CHECKED));
    EXPECT_EQ(Error(), "step 1 (check): \"Printed\" names 2 controls; say which: \"Front cover/Printed\", "
                       "\"Back cover/Printed\"");
    EXPECT_FALSE(IsDlgButtonChecked(h, 143) || IsDlgButtonChecked(h, 147));
    PlatScriptReset();
    ASSERT_TRUE(PlatScriptCheck(h, 0, u"Back cover/Printed", BST_CHECKED)) << Error();
    EXPECT_TRUE(IsDlgButtonChecked(h, 147));
    EXPECT_FALSE(IsDlgButtonChecked(h, 143));
    ASSERT_TRUE(PlatScriptCheck(h, 0, u"front cover / printed", BST_CHECKED)) << Error();
    EXPECT_TRUE(IsDlgButtonChecked(h, 143));
}

TEST_F(Naming, OneLabelOverTwoListsTakesTheListThatOffersTheItem)
{
    ASSERT_TRUE(PlatScriptChoose(h, 0, u"Order / border", u"Lines only", -1)) << Error();
    EXPECT_EQ(Sel(152), 1);
    EXPECT_EQ(Sel(151), 0);
    ASSERT_TRUE(PlatScriptChoose(h, 0, u"Order / border", u"Right to left", -1)) << Error();
    EXPECT_EQ(Sel(151), 1);
    EXPECT_FALSE(PlatScriptChoose(h, 0, u"Order / border", u"Frame", -1));
    EXPECT_EQ(Error(), "step 1 (choose): no item \"Frame\"; the lists offer \"Left to right\", \"Right to left\"; "
                       "and \"None\", \"Lines only\"");
}

TEST_F(Naming, AListWithoutALabelIsNamedByItsGroupBox)
{
    ASSERT_TRUE(PlatScriptChoose(h, 0, u"Bypass tray", u"Thick paper", -1)) << Error();
    EXPECT_EQ(Sel(161), 1);
}

TEST_F(Naming, ALongLabelByAUniqueBeginning)
{
    ASSERT_TRUE(PlatScriptCheck(h, 0, u"Production print", BST_CHECKED)) << Error();
    EXPECT_TRUE(IsDlgButtonChecked(h, 171));
    // "Front" begins only one label; "B" begins several.
    ASSERT_TRUE(PlatScriptCheck(h, 0, u"Front", BST_CHECKED)) << Error();
    EXPECT_TRUE(IsDlgButtonChecked(h, 141));
    EXPECT_FALSE(PlatScriptCheck(h, 0, u"B", BST_CHECKED));
    EXPECT_EQ(Error(), "step 1 (check): several labels begin with \"B\": \"Blank\", \"Back cover\", \"Bypass tray\"");
}

TEST_F(Naming, ALabelNotThereShowsTheLabelsClosestFirst)
{
    EXPECT_FALSE(PlatScriptClick(h, 0, u"Cancle"));
    std::string e = Error();
    EXPECT_EQ(e.rfind("step 1 (click): control \"Cancle\" is not there; the window shows \"Cancel\", ", 0), 0u) << e;
}

TEST_F(Naming, KeysTheFieldRefusesStopExactTyping)
{
    struct {
        const char16_t* text;
        const char* why;
        const char16_t* kept;
    } rows[] = {
        {u"12a", "the field refused \"12a\": it takes digits only, not \"a\"", u"12"},
        {u"1234", "the field refused \"1234\": it takes at most 3 characters", u"123"},
        // A refused first key leaves what the field held.
        {u"-5", "the field refused \"-5\": it takes digits only, not \"-\"", u"123"},
    };
    for (const auto& row : rows) {
        PlatScriptReset();
        EXPECT_FALSE(PlatScriptTypeExact(h, 0, u"Copies", row.text));
        EXPECT_EQ(Error(), std::string("step 1 (type): ") + row.why);
        WCHAR sz[16] = {};
        GetDlgItemTextW(h, 181, sz, 16);
        EXPECT_EQ(std::u16string((const char16_t*)sz), row.kept);
        // The lenient typing of tests goes on through refused keys.
        PlatScriptReset();
        EXPECT_TRUE(PlatScriptType(h, 0, u"Copies", row.text)) << Error();
    }
    ASSERT_TRUE(PlatScriptTypeExact(h, 0, u"Copies", u"42")) << Error();
}

TEST_F(Naming, ARefusedTickIsClickedOnce)
{
    PlatMsgBoxPushAnswer(IDOK);
    EXPECT_FALSE(PlatScriptCheck(h, 0, u"Refuses", BST_CHECKED));
    EXPECT_EQ(PlatMsgBoxCount(), 1);
    int cClicks = 0;
    for (const std::string& s : g_log)
        cClicks += s == "CMD 191";
    EXPECT_EQ(cClicks, 1);
}

TEST_F(Naming, OwnerDrawnMenuItemsByTheTextTheyShow)
{
    ASSERT_TRUE(PlatScriptMenu(h, 0, u"Save/Recall", u"Recall Settings")) << Error();
    EXPECT_EQ(g_log.back(), "CMD 2583");
    g_log.clear();
    EXPECT_FALSE(PlatScriptMenu(h, 0, u"Save/Recall", u"Organize"));
    EXPECT_EQ(Error(), "step 1 (menu): no item \"Organize\"; the menu offers \"Save Settings...\", "
                       "\"Recall Settings...\"");
    PlatScriptReset();
    EXPECT_FALSE(PlatScriptMenu(h, 0, u"Save/Recall", u"Draft"));
    EXPECT_EQ(Error(), "step 1 (menu): the item \"Draft\" is disabled");
    PlatScriptReset();
    EXPECT_FALSE(PlatScriptMenu(h, 0, u"Refuses", u"Draft"));
    EXPECT_EQ(Error(), "step 1 (menu): the control opened no menu");
    PlatScriptReset();
    // A plain click leaves the menu unused: the person meant an item.
    EXPECT_FALSE(PlatScriptClick(h, 0, u"Save/Recall"));
    EXPECT_EQ(Error(), "step 1 (click): the button opens a menu; choose one of its items: \"Save Settings...\", "
                       "\"Recall Settings...\"");
    for (const std::string& s : g_log)
        EXPECT_TRUE(s == "CMD 195" || s == "CMD 191") << s;
}

}  // namespace
