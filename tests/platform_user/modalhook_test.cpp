// The watcher of modal loops: it sees every dialog and message box while it
// is open, nested loops inside it, and what it does there is what a person
// does.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HINSTANCE Module()
{
    return GetModuleHandleW(nullptr);
}

struct WATCH {
    std::vector<std::string> seen;
    int cDepth = 0;
};

std::string Narrow(const std::u16string& s)
{
    return std::string(s.begin(), s.end());
}

// Names what opened; acts on the "Details" dialog as a person does: opens
// "More", and there types a code and asks a box; then OK.
void Watcher(HWND hwnd, void* pv)
{
    WATCH* w = static_cast<WATCH*>(pv);
    WCHAR caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    w->seen.push_back(std::string(w->cDepth, '>') + Narrow(caption) + (IsWindowVisible(hwnd) ? "" : " (hidden)") +
                      (PlatIsModalLoopEnded(hwnd) ? " (ended)" : ""));
    ++w->cDepth;
    std::u16string c = caption;
    if (c == u"Details") {
        EXPECT_TRUE(PlatScriptClick(hwnd, 0, u"More..."));
        EXPECT_TRUE(PlatScriptType(hwnd, 0, u"Name", u"Ann"));
        EXPECT_TRUE(PlatScriptPressOK(hwnd));
    } else if (c == u"More") {
        EXPECT_TRUE(PlatScriptType(hwnd, 0, u"Code", u"77"));
        PlatMsgBoxPushAnswer(IDNO);
        MessageBoxW(hwnd, u"Keep the code?", u"Question", MB_YESNO);
        EXPECT_TRUE(PlatScriptPressOK(hwnd));
    }
    --w->cDepth;
}

INT_PTR CALLBACK InnerProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hDlg, LOWORD(wParam) == IDOK ? 30 : 31);
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

INT_PTR CALLBACK OuterProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hDlg, DWL_USER, lParam);
        return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == 210 && HIWORD(wParam) == BN_CLICKED) {
        INT_PTR r = DialogBoxParamW(Module(), MAKEINTRESOURCEW(300), hDlg, InnerProc, 0);
        reinterpret_cast<std::vector<std::string>*>(GetWindowLongPtrW(hDlg, DWL_USER))
            ->push_back("More gave " + std::to_string(r));
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        WCHAR name[32] = {};
        GetDlgItemTextW(hDlg, 211, name, 32);
        reinterpret_cast<std::vector<std::string>*>(GetWindowLongPtrW(hDlg, DWL_USER))
            ->push_back("Details ended with name " + Narrow(name));
        EndDialog(hDlg, LOWORD(wParam) == IDOK ? 20 : 21);
        return TRUE;
    }
    return FALSE;
}

TEST(ModalLoopWatcher, SeesEachWindowOpenNestedAndActsAsAPerson)
{
    PlatScriptReset();
    PlatMsgBoxReset();
    WATCH w;
    std::vector<std::string> log;
    PlatSetModalLoopHook(Watcher, &w);
    INT_PTR r = DialogBoxParamW(Module(), MAKEINTRESOURCEW(200), nullptr, OuterProc, reinterpret_cast<LPARAM>(&log));
    PlatSetModalLoopHook(nullptr, nullptr);
    EXPECT_EQ(r, 20);
    // The message box is seen while it is still open, before its answer.
    std::vector<std::string> want = {"Details", ">More", ">>Question"};
    EXPECT_EQ(w.seen, want);
    std::vector<std::string> wantLog = {"More gave 30", "Details ended with name Ann"};
    EXPECT_EQ(log, wantLog);
    EXPECT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(std::u16string(PlatScriptError()), u"");

    // Removed, it sees nothing more.
    w.seen.clear();
    PlatMsgBoxPushAnswer(IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, u"x", u"y", MB_OK), IDOK);
    EXPECT_TRUE(w.seen.empty());
    PlatMsgBoxReset();
}

}  // namespace
