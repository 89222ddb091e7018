// Property sheets as their pages see them: the order of notifications for
// opening, switching, OK, Apply, Cancel and Help; lazy creation; vetoes;
// the Apply button following PSM_CHANGED; bad input.
// The controls need the window manager; without it there is nothing to test.
// (platform/windows.h first: the build sees the guard change with it.)
#include "platform/windows.h"
#if __has_include("platform/user/winuser.h")
#include "tests/platform_comctl/sheet_fixture.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

enum Act { kTab1, kTab0, kOK, kApply, kCancel, kHelp, kEnd };

struct SheetCase {
    const char* what;
    BOOL bVetoKillA;     // page A refuses to be left
    LRESULT applyA;      // page A's PSN_APPLY answer
    BOOL bVetoCancelA;   // page A refuses Cancel
    Act acts[4];
    const char* journal;       // after opening
    bool bEnded;               // the sheet finished (OK / Cancel went through)
    int iCurrent;              // page shown at the end (when not ended)
};

const SheetCase kCases[] = {
    {"open creates only the first page", FALSE, 0, FALSE, {kEnd},
     "", false, 0},
    {"switching creates the second page once", FALSE, 0, FALSE, {kTab1, kTab0, kTab1, kEnd},
     "A:killactive B:init B:setactive B:killactive A:setactive A:killactive B:setactive", false, 1},
    {"a refused kill keeps the page and creates nothing", TRUE, 0, FALSE, {kTab1, kEnd},
     "A:killactive", false, 0},
    {"OK applies only the page that exists", FALSE, 0, FALSE, {kOK, kEnd},
     "A:killactive A:apply(ok)", true, -1},
    {"OK after a visit applies both, in page order", FALSE, 0, FALSE, {kTab1, kOK, kEnd},
     "A:killactive B:init B:setactive B:killactive A:apply(ok) B:apply(ok)", true, -1},
    {"Apply keeps the sheet open", FALSE, 0, FALSE, {kApply, kEnd},
     "A:killactive A:apply(apply)", false, 0},
    {"an invalid apply keeps the sheet open", FALSE, PSNRET_INVALID_NOCHANGEPAGE, FALSE, {kOK, kEnd},
     "A:killactive A:apply(ok)", false, 0},
    {"OK refused by the page being left", TRUE, 0, FALSE, {kOK, kEnd},
     "A:killactive", false, 0},
    {"Cancel resets every created page", FALSE, 0, FALSE, {kTab1, kCancel, kEnd},
     "A:killactive B:init B:setactive B:querycancel A:reset B:reset", true, -1},
    {"a refused Cancel keeps the sheet", FALSE, 0, TRUE, {kCancel, kEnd},
     "A:querycancel", false, 0},
    {"Help goes to the page shown", FALSE, 0, FALSE, {kHelp, kEnd},
     "A:help", false, 0},
};

TEST(PropertySheet, NotificationOrderFollowsTheUser)
{
    for (const SheetCase& c : kCases) {
        SCOPED_TRACE(c.what);
        PAGECONF a = Conf("A", c.bVetoKillA, c.applyA, c.bVetoCancelA);
        PAGECONF b = Conf("B");
        Journal().clear();
        HWND hSheet = OpenModelessSheet({&a, &b}, PSH_HASHELP);
        ASSERT_NE(hSheet, nullptr);
        EXPECT_EQ(JournalText(), "A:init A:setactive");
        EXPECT_EQ(b.hwnd, nullptr);  // not created before it is shown
        Journal().clear();
        for (Act act : c.acts) {
            if (act == kEnd)
                break;
            switch (act) {
            case kTab1: ClickTab(hSheet, 1); break;
            case kTab0: ClickTab(hSheet, 0); break;
            case kOK: ClickButton(hSheet, IDOK); break;
            case kApply:
                SendMessageW(hSheet, PSM_CHANGED, (WPARAM)a.hwnd, 0);  // something to apply
                ClickButton(hSheet, IDC_PSAPPLYNOW);
                break;
            case kCancel: ClickButton(hSheet, IDCANCEL); break;
            case kHelp: ClickButton(hSheet, IDHELP); break;
            default: break;
            }
        }
        EXPECT_EQ(JournalText(), c.journal);
        HWND hCur = PropSheet_GetCurrentPageHwnd(hSheet);
        if (c.bEnded) {
            EXPECT_EQ(hCur, nullptr);
        } else {
            EXPECT_EQ(hCur, c.iCurrent == 0 ? a.hwnd : b.hwnd);
            EXPECT_EQ(SendMessageW(PropSheet_GetTabControl(hSheet), TCM_GETCURSEL, 0, 0), c.iCurrent);
            EXPECT_TRUE(IsWindowVisible(hCur));
        }
        DestroyWindow(hSheet);
    }
}

TEST(PropertySheet, ApplyButtonFollowsChanges)
{
    PAGECONF a = Conf("A");
    PAGECONF b = Conf("B");
    HWND hSheet = OpenModelessSheet({&a, &b});
    ASSERT_NE(hSheet, nullptr);
    HWND hApply = GetDlgItem(hSheet, IDC_PSAPPLYNOW);
    ASSERT_NE(hApply, nullptr);
    EXPECT_FALSE(IsWindowEnabled(hApply));
    PropSheet_Changed(hSheet, a.hwnd);
    EXPECT_TRUE(IsWindowEnabled(hApply));
    PropSheet_UnChanged(hSheet, a.hwnd);
    EXPECT_FALSE(IsWindowEnabled(hApply));

    PropSheet_Changed(hSheet, a.hwnd);
    Journal().clear();
    ClickButton(hSheet, IDC_PSAPPLYNOW);
    EXPECT_EQ(JournalText(), "A:killactive A:apply(apply)");
    EXPECT_FALSE(IsWindowEnabled(hApply));  // applied: nothing left to apply
    // No Help button unless someone asks for help.
    EXPECT_EQ(GetDlgItem(hSheet, IDHELP), nullptr);
    DestroyWindow(hSheet);
}

TEST(PropertySheet, PageGetsItsOwnRecordWithTheCallersValue)
{
    PAGECONF a = Conf("A");
    HWND hSheet = OpenModelessSheet({&a});
    ASSERT_NE(hSheet, nullptr);
    EXPECT_EQ(a.lParamSeen, reinterpret_cast<LPARAM>(&a));
    EXPECT_EQ(a.cbSeen, sizeof(PROPSHEETPAGEW));
    EXPECT_EQ(a.cbSeen, sizeof(void*) == 4 ? 48u : 88u);
    EXPECT_EQ(GetParent(a.hwnd), hSheet);
    WCHAR title[64];
    GetWindowTextW(hSheet, title, 64);
    EXPECT_EQ(std::u16string(title), u"Sheet");
    DestroyWindow(hSheet);
}

// A page can press OK itself (posting, as a page does from a notification):
// the modal loop runs it and PropertySheetW answers.
INT_PTR CALLBACK _PressingPage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == PSN_SETACTIVE) {
        PostMessageW(GetParent(hwnd), PSM_PRESSBUTTON, (WPARAM)GetWindowLongPtrW(hwnd, DWL_USER), 0);
        SetWindowLongPtrW(hwnd, DWL_MSGRESULT, 0);
        return TRUE;
    }
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWL_USER, reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        return TRUE;
    }
    return FALSE;
}

TEST(PropertySheet, ModalResultSaysWhetherAnythingWasApplied)
{
    struct {
        int button;
        INT_PTR result;
    } rows[] = {{PSBTN_OK, 1}, {PSBTN_CANCEL, 0}};
    for (const auto& r : rows) {
        PROPSHEETPAGEW psp = {};
        psp.dwSize = sizeof(psp);
        psp.dwFlags = PSP_DLGINDIRECT;
        psp.pResource = PageTemplate();
        psp.pfnDlgProc = _PressingPage;
        psp.lParam = r.button;
        HPROPSHEETPAGE h = CreatePropertySheetPageW(&psp);
        PROPSHEETHEADERW psh = {};
        psh.dwSize = sizeof(psh);
        psh.nPages = 1;
        psh.phpage = &h;
        EXPECT_EQ(PropertySheetW(&psh), r.result);
    }
}

// An older caller's records end at pcRefParent (page) and pfnCallback
// (header): 40 bytes each in the i386 build, 72 each in the native one,
// where every handle and pointer is 8 bytes. Such records are taken, and
// nothing past them is read; one byte less is refused.
TEST(PropertySheet, RecordsOfTheFirstVersionAreTakenAtThePointerSizedLength)
{
    EXPECT_EQ(PROPSHEETPAGEW_V1_SIZE, sizeof(void*) == 4 ? 40u : 72u);
    EXPECT_EQ(PROPSHEETHEADERW_V1_SIZE, sizeof(void*) == 4 ? 40u : 72u);
    // A record whose fields past the first version are garbage.
    union {
        PROPSHEETPAGEW psp;
        BYTE bytes[sizeof(PROPSHEETPAGEW)];
    } u;
    memset(u.bytes, 0xA5, sizeof(u.bytes));
    u.psp.dwSize = PROPSHEETPAGEW_V1_SIZE;
    u.psp.dwFlags = PSP_DLGINDIRECT;
    u.psp.hInstance = nullptr;
    u.psp.pResource = PageTemplate();
    u.psp.hIcon = nullptr;
    u.psp.pszTitle = nullptr;
    u.psp.pfnDlgProc = _PressingPage;
    u.psp.lParam = PSBTN_OK;
    u.psp.pfnCallback = nullptr;
    u.psp.pcRefParent = nullptr;
    HPROPSHEETPAGE h = CreatePropertySheetPageW(&u.psp);
    ASSERT_NE(h, nullptr);
    PROPSHEETHEADERW psh = {};
    psh.dwSize = PROPSHEETHEADERW_V1_SIZE;
    psh.nPages = 1;
    psh.phpage = &h;
    EXPECT_EQ(PropertySheetW(&psh), 1);

    u.psp.dwSize = PROPSHEETPAGEW_V1_SIZE - 1;
    SetLastError(0);
    EXPECT_EQ(CreatePropertySheetPageW(&u.psp), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
}

TEST(PropertySheet, BadInputFailsCleanly)
{
    int windows = PlatLiveWindows();
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    EXPECT_EQ(PropertySheetW(&psh), -1);  // no pages
    EXPECT_EQ(PropertySheetW(nullptr), -1);

    HPROPSHEETPAGE bogus = reinterpret_cast<HPROPSHEETPAGE>(0x1234);
    psh.nPages = 1;
    psh.phpage = &bogus;
    EXPECT_EQ(PropertySheetW(&psh), -1);

    PROPSHEETPAGEW psp = {};
    psp.dwSize = 20;  // shorter than any real record
    psp.pszTemplate = MAKEINTRESOURCEW(100);
    EXPECT_EQ(CreatePropertySheetPageW(&psp), nullptr);
    psp.dwSize = sizeof(psp);
    psp.pszTemplate = nullptr;
    EXPECT_EQ(CreatePropertySheetPageW(&psp), nullptr);

    // A template that is nowhere: the sheet cannot show its first page.
    psp.pszTemplate = MAKEINTRESOURCEW(4321);
    psp.hInstance = nullptr;
    HPROPSHEETPAGE h = CreatePropertySheetPageW(&psp);
    ASSERT_NE(h, nullptr);
    psh.phpage = &h;
    EXPECT_EQ(PropertySheetW(&psh), -1);
    EXPECT_EQ(PlatLiveWindows(), windows);  // nothing left behind
}

}  // namespace

namespace {

// The scripted user works the sheet through its tab control and buttons.
TEST(PropertySheet, ScriptedUserPicksTabsAndPressesButtons)
{
    PlatScriptReset();
    PAGECONF a = Conf("A");
    PAGECONF b = Conf("B");
    HWND hSheet = OpenModelessSheet({&a, &b});
    ASSERT_NE(hSheet, nullptr);
    Journal().clear();
    EXPECT_TRUE(PlatScriptPickTab(hSheet, IDC_PSTABCONTROL, nullptr, u"B", -1));
    EXPECT_EQ(JournalText(), "A:killactive B:init B:setactive");
    EXPECT_FALSE(PlatScriptPickTab(hSheet, IDC_PSTABCONTROL, nullptr, u"No such tab", -1));
    EXPECT_NE(PlatScriptError()[0], 0);
    // Apply is greyed until a page reports a change.
    EXPECT_FALSE(PlatScriptClick(hSheet, IDC_PSAPPLYNOW, nullptr));
    PropSheet_Changed(hSheet, b.hwnd);
    Journal().clear();
    EXPECT_TRUE(PlatScriptClick(hSheet, IDC_PSAPPLYNOW, nullptr));
    EXPECT_EQ(JournalText(), "B:killactive A:apply(apply) B:apply(apply)");
    Journal().clear();
    EXPECT_TRUE(PlatScriptClick(hSheet, IDCANCEL, nullptr));
    EXPECT_EQ(JournalText(), "B:querycancel A:reset B:reset");
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(hSheet), nullptr);
    DestroyWindow(hSheet);
    PlatScriptReset();
}

}  // namespace

#endif

// Ctrl+Tab and Ctrl+PgDn pick the next page, Ctrl+Shift+Tab and Ctrl+PgUp
// the one before, round the row, through the sheet's own keyboard handling
// (PSM_ISDIALOGMESSAGE, as a program's loop calls it); a page that refuses
// to be left keeps the sheet where it is.
TEST(PropertySheet, CtrlTabPicksPagesRoundTheRow)
{
    struct Step {
        std::vector<UINT> held;
        UINT vk;
        int iAfter;
    };
    const Step kSteps[] = {
        {{VK_LCONTROL}, VK_TAB, 1},
        {{VK_LCONTROL}, VK_TAB, 2},
        {{VK_LCONTROL}, VK_TAB, 0},
        {{VK_LCONTROL, VK_LSHIFT}, VK_TAB, 2},
        {{VK_LCONTROL}, VK_PRIOR, 1},
        {{VK_LCONTROL}, VK_NEXT, 2},
        {{}, VK_TAB, 2},  // Tab alone moves the focus, not the page
    };
    PAGECONF a = Conf("A"), b = Conf("B"), c = Conf("C");
    HWND hSheet = OpenModelessSheet({&a, &b, &c});
    ASSERT_NE(hSheet, nullptr);
    PlatInputReset();
    auto press = [&](const std::vector<UINT>& held, UINT vk) {
        for (UINT m : held)
            PlatInputKey(m, TRUE, 0, 0);
        PlatInputKey(vk, TRUE, vk == VK_TAB ? u'\t' : 0, 0);
        PlatInputKey(vk, FALSE, 0, 0);
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            PlatInputKey(*it, FALSE, 0, 0);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!SendMessageW(hSheet, PSM_ISDIALOGMESSAGE, 0, (LPARAM)&m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
    };
    for (const Step& s : kSteps) {
        press(s.held, s.vk);
        EXPECT_EQ(SendMessageW(PropSheet_GetTabControl(hSheet), TCM_GETCURSEL, 0, 0), s.iAfter) << s.vk;
    }
    // The page shown refuses to be left.
    DestroyWindow(hSheet);
    PAGECONF a2 = Conf("A", TRUE), b2 = Conf("B");
    hSheet = OpenModelessSheet({&a2, &b2});
    ASSERT_NE(hSheet, nullptr);
    press({VK_LCONTROL}, VK_TAB);
    EXPECT_EQ(SendMessageW(PropSheet_GetTabControl(hSheet), TCM_GETCURSEL, 0, 0), 0);
    DestroyWindow(hSheet);
    PlatInputReset();
}
