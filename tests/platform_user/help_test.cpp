// Help a person sees: F1 on a control of a dialog reaches the dialog as
// WM_HELP, the dialog asks USER32's WinHelpW as a driver does (the module
// found by its name, the function by GetProcAddress), and the help call
// prints the file and the topic it would show.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HINSTANCE Self()
{
    return GetModuleHandleW(nullptr);
}

const DWORD kPairs[] = {210, 5210, 211, 5211, 0, 0};
const WCHAR kHelpFile[] = u"C:\\help\\Q730MVHZ.hlp";

typedef BOOL (*PFN_WINHELPW)(HWND, LPCWSTR, UINT, ULONG_PTR);

PFN_WINHELPW BindWinHelp()
{
    HMODULE hUser = GetModuleHandleW(u"USER32.DLL");
    return hUser ? reinterpret_cast<PFN_WINHELPW>(GetProcAddress(hUser, "WinHelpW")) : nullptr;
}

INT_PTR CALLBACK HelpProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_HELP) {
        const HELPINFO* phi = reinterpret_cast<const HELPINFO*>(lParam);
        PFN_WINHELPW pfn = BindWinHelp();
        if (pfn)
            pfn(static_cast<HWND>(phi->hItemHandle), kHelpFile, HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(kPairs));
        return TRUE;
    }
    return FALSE;
}

TEST(Help, UserThirtyTwoIsFoundByNameAndHasWinHelp)
{
    EXPECT_NE(BindWinHelp(), nullptr);
    // Asking again gives the same module.
    EXPECT_EQ(GetModuleHandleW(u"USER32.DLL"), GetModuleHandleW(u"user32"));
}

TEST(Help, FOneOnAControlPrintsItsTopic)
{
    TestNewRoot();
    PlatHelpReset();
    HWND hDlg = CreateDialogParamW(Self(), MAKEINTRESOURCEW(200), nullptr, HelpProc, 0);
    ASSERT_NE(hDlg, nullptr);
    ShowWindow(hDlg, SW_SHOW);
    ASSERT_TRUE(PlatScriptFocus(hDlg, 211, nullptr));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(PlatScriptPressKey(hDlg, VK_F1, 0));
    std::string out = testing::internal::GetCapturedStdout();
    DestroyWindow(hDlg);
    EXPECT_EQ(out, "help: C:\\help\\Q730MVHZ.hlp, pop-up topic 5211 of control 211 (the file is not there)\n");
    ASSERT_EQ(PlatHelpCount(), 1);

    // A topic of the whole file, once the file is there.
    CreateDirectoryW(u"C:\\help", nullptr);
    HANDLE h = CreateFileW(kHelpFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(BindWinHelp()(nullptr, kHelpFile, HELP_CONTEXT, 2002));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "help: C:\\help\\Q730MVHZ.hlp, topic 2002\n");
    DeleteFileW(kHelpFile);
    PlatHelpReset();
}

}  // namespace
