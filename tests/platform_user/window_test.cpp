// Windows and messages: handles, destruction order, subclassing, text,
// focus, timers, menus and message boxes.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_trace;

std::string Name(HWND h)
{
    WCHAR buf[32] = {};
    // The record's own text, read without sending a message.
    DefWindowProcW(h, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(buf));
    std::u16string s = buf;
    return std::string(s.begin(), s.end());
}

LRESULT CALLBACK TraceProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_DESTROY: {
        // The children still exist while their parent hears WM_DESTROY.
        std::string kids;
        for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            kids += " " + Name(c);
        g_trace.push_back("DESTROY " + Name(h) + (kids.empty() ? "" : " with" + kids));
        break;
    }
    case WM_NCDESTROY:
        g_trace.push_back("NCDESTROY " + Name(h));
        break;
    case WM_SETFOCUS:
        g_trace.push_back("SETFOCUS " + Name(h) + " from " + (w ? Name(reinterpret_cast<HWND>(w)) : "none"));
        break;
    case WM_KILLFOCUS:
        g_trace.push_back("KILLFOCUS " + Name(h) + " to " + (w ? Name(reinterpret_cast<HWND>(w)) : "none"));
        break;
    case WM_TIMER:
        g_trace.push_back("TIMER " + std::to_string(w) + " at " + std::to_string(PlatGetClock()));
        break;
    }
    return DefWindowProcW(h, msg, w, l);
}

void RegisterTrace()
{
    static bool done = false;
    if (done)
        return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TraceProc;
    wc.lpszClassName = u"Trace";
    ASSERT_NE(RegisterClassW(&wc), 0);
    done = true;
}

HWND Make(const char16_t* name, HWND parent, int id = 0)
{
    RegisterTrace();
    return CreateWindowExW(0, u"Trace", name, parent ? WS_CHILD | WS_VISIBLE : WS_POPUP, 0, 0, 100, 50, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
}

TEST(Window, DestroyGoesParentFirstWhileChildrenExistThenChildrenThenNcDestroy)
{
    HWND top = Make(u"top", nullptr);
    HWND a = Make(u"a", top, 1);
    Make(u"a1", a, 2);
    Make(u"b", top, 3);
    g_trace.clear();
    ASSERT_TRUE(DestroyWindow(top));
    std::vector<std::string> want = {"DESTROY top with a b", "DESTROY a with a1", "DESTROY a1", "NCDESTROY a1",
                                     "NCDESTROY a",          "DESTROY b",         "NCDESTROY b", "NCDESTROY top"};
    EXPECT_EQ(g_trace, want);
    EXPECT_FALSE(IsWindow(a));
}

TEST(Window, CallsOnDeadOrUnknownHandlesFailCleanly)
{
    HWND dead = Make(u"x", nullptr);
    DestroyWindow(dead);
    const HWND bad[] = {dead, reinterpret_cast<HWND>(7), reinterpret_cast<HWND>(0x7FFFFFF0)};
    for (HWND h : bad) {
        SetLastError(0);
        EXPECT_EQ(SendMessageW(h, WM_USER, 1, 2), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        WCHAR buf[4] = {u'z', u'z', 0, 0};
        EXPECT_EQ(GetWindowTextW(h, buf, 4), 0);
        EXPECT_EQ(buf[0], 0);
        EXPECT_FALSE(SetWindowTextW(h, u"t"));
        EXPECT_FALSE(PostMessageW(h, WM_USER, 0, 0));
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_EQ(GetParent(h), nullptr);
        EXPECT_EQ(GetWindowLongW(h, GWL_STYLE), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
    // A new window never gets the dead one's number.
    HWND again = Make(u"y", nullptr);
    EXPECT_NE(again, dead);
    DestroyWindow(again);
}

TEST(Window, TextLongerThanTheBufferIsCutAndTerminated)
{
    HWND h = Make(u"abcdef", nullptr);
    struct Case {
        int cch;
        int ret;
        std::u16string text;
    };
    const Case cases[] = {{7, 6, u"abcdef"}, {6, 5, u"abcde"}, {2, 1, u"a"}, {1, 0, u""}};
    for (const Case& c : cases) {
        WCHAR buf[8];
        std::fill(buf, buf + 8, u'#');
        EXPECT_EQ(GetWindowTextW(h, buf, c.cch), c.ret);
        EXPECT_EQ(std::u16string(buf), c.text);
    }
    EXPECT_EQ(GetWindowTextLengthW(h), 6);
    DestroyWindow(h);
}

WNDPROC g_prev = nullptr;
LRESULT CALLBACK Sub(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_USER)
        return 10 + CallWindowProcW(g_prev, h, msg, w, l);
    if (msg == WM_DESTROY)
        // A page puts the old procedure back on its way out.
        SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_prev));
    return CallWindowProcW(g_prev, h, msg, w, l);
}

TEST(Window, SubclassChainsAndIsUndoneDuringDestroy)
{
    HWND h = Make(u"s", nullptr);
    g_prev = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Sub)));
    EXPECT_EQ(g_prev, TraceProc);
    EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 10);
    g_trace.clear();
    DestroyWindow(h);
    std::vector<std::string> want = {"DESTROY s", "NCDESTROY s"};
    EXPECT_EQ(g_trace, want);
}

TEST(Window, FocusMessagesNameTheOtherWindow)
{
    HWND top = Make(u"top", nullptr);
    HWND a = Make(u"a", top, 1);
    HWND b = Make(u"b", top, 2);
    SetFocus(a);
    g_trace.clear();
    EXPECT_EQ(SetFocus(b), a);
    std::vector<std::string> want = {"KILLFOCUS a to b", "SETFOCUS b from a"};
    EXPECT_EQ(g_trace, want);
    EXPECT_EQ(GetFocus(), b);
    // A disabled window gives the focus up.
    g_trace.clear();
    EnableWindow(b, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(g_trace.front(), "KILLFOCUS b to none");
    DestroyWindow(top);
}

TEST(Window, TimersFireOnTheClockTestsAdvance)
{
    HWND h = Make(u"t", nullptr);
    g_trace.clear();
    DWORD t0 = PlatGetClock();
    ASSERT_EQ(SetTimer(h, 5, 100, nullptr), 5u);
    ASSERT_EQ(SetTimer(h, 6, 250, nullptr), 6u);
    PlatAdvanceClock(99);
    EXPECT_TRUE(g_trace.empty());
    PlatAdvanceClock(201);
    std::vector<std::string> want = {"TIMER 5 at " + std::to_string(t0 + 100), "TIMER 5 at " + std::to_string(t0 + 200),
                                     "TIMER 6 at " + std::to_string(t0 + 250), "TIMER 5 at " + std::to_string(t0 + 300)};
    EXPECT_EQ(g_trace, want);
    EXPECT_TRUE(KillTimer(h, 5));
    EXPECT_FALSE(KillTimer(h, 5));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_TIMER_ID));
    int nBefore = PlatLiveTimers();
    DestroyWindow(h);
    // A window's timers die with it.
    EXPECT_EQ(PlatLiveTimers(), nBefore - 1);
}

// Owner-drawn menu items are measured and drawn through the owner.
std::vector<std::string> g_menu;
LRESULT CALLBACK MenuOwner(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT* m = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        g_menu.push_back("MEASURE " + std::to_string(m->itemID) + " type " + std::to_string(m->CtlType) + " data " +
                         std::to_string(m->itemData));
        m->itemWidth = 80;
        m->itemHeight = 20;
        return TRUE;
    }
    if (msg == WM_DRAWITEM) {
        DRAWITEMSTRUCT* d = reinterpret_cast<DRAWITEMSTRUCT*>(l);
        g_menu.push_back("DRAW " + std::to_string(d->itemID) + " h " + std::to_string(d->rcItem.bottom - d->rcItem.top));
        return TRUE;
    }
    if (msg == WM_COMMAND)
        g_menu.push_back("COMMAND " + std::to_string(LOWORD(w)));
    return DefWindowProcW(h, msg, w, l);
}

TEST(Menu, OwnerDrawnItemsAndTheScriptedChoice)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MenuOwner;
    wc.lpszClassName = u"MenuOwner";
    RegisterClassW(&wc);
    HWND h = CreateWindowExW(0, u"MenuOwner", u"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr,
                             nullptr);
    HMENU m = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(m, MF_OWNERDRAW, 41, reinterpret_cast<LPCWSTR>(1000)));
    ASSERT_TRUE(AppendMenuW(m, MF_OWNERDRAW, 42, reinterpret_cast<LPCWSTR>(2000)));
    ASSERT_TRUE(AppendMenuW(m, MF_STRING | MF_GRAYED, 43, u"&Save"));
    g_menu.clear();
    PlatScriptChooseMenuItem(nullptr, 1);
    EXPECT_TRUE(TrackPopupMenu(m, TPM_CENTERALIGN, 50, 50, 0, h, nullptr));
    PlatPumpMessages();
    std::string all;
    for (const std::string& x : g_menu)
        all += x + "; ";
    ASSERT_GE(g_menu.size(), 5u) << all;
    EXPECT_EQ(g_menu[0], "MEASURE 41 type 1 data 1000");
    EXPECT_EQ(g_menu[1], "MEASURE 42 type 1 data 2000");
    EXPECT_EQ(g_menu[2], "DRAW 41 h 20");
    EXPECT_EQ(g_menu.back(), "COMMAND 42");
    // A greyed item cannot be chosen; with TPM_RETURNCMD nothing is chosen.
    PlatScriptChooseMenuItem(u"Save", -1);
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 0, 0, 0, h, nullptr), 0);
    PlatScriptChooseMenuItem(nullptr, 0);
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 0, 0, 0, h, nullptr), 41);
    EXPECT_TRUE(DestroyMenu(m));
    EXPECT_FALSE(DestroyMenu(m));
    EXPECT_FALSE(AppendMenuW(m, MF_STRING, 1, u"x"));
    DestroyWindow(h);
}

TEST(MessageBox, IsARealWindowAnsweredByItsButtons)
{
    PlatMsgBoxReset();
    int nLive = PlatLiveWindows();
    EXPECT_EQ(MessageBoxW(nullptr, u"Replace?", u"Q", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
    PlatMsgBoxPushAnswer(IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, u"Replace?", u"Q", MB_YESNO | MB_ICONQUESTION), IDYES);
    // Escape on a box with OK alone answers OK.
    EXPECT_EQ(MessageBoxW(nullptr, u"Done", u"I", MB_OK), IDOK);
    EXPECT_EQ(PlatMsgBoxCount(), 3);
    EXPECT_EQ(PlatLiveWindows(), nLive);
    EXPECT_EQ(MessageBoxW(nullptr, u"x", u"y", 0x0F), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace

namespace {

// A window's extra bytes: the 32-bit calls reach 4 bytes at any index, the
// word call 2, the pointer-sized calls a whole pointer (8 bytes in the
// native build), so a pointer kept there comes back whole.
TEST(WindowLongs, ExtraBytesHoldLongsWordsAndWholePointers)
{
    static bool s_registered = false;
    if (!s_registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.cbWndExtra = 10;
        wc.lpszClassName = u"TenExtraBytes";
        ASSERT_NE(RegisterClassW(&wc), 0);
        s_registered = true;
    }
    HWND h = CreateWindowExW(0, u"TenExtraBytes", u"x", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(h, nullptr);
    // A pointer at 0 (the top half as well, at 64 bits).
    int anchor = 0;
    SetWindowLongPtrW(h, 0, reinterpret_cast<LONG_PTR>(&anchor));
    EXPECT_EQ(reinterpret_cast<int*>(GetWindowLongPtrW(h, 0)), &anchor);
    // A LONG in the last four bytes, and the words of it.
    SetWindowLongW(h, 6, static_cast<LONG>(0x89ABCDEF));
    EXPECT_EQ(GetWindowLongW(h, 6), static_cast<LONG>(0x89ABCDEF));
    EXPECT_EQ(GetWindowWord(h, 6), 0xCDEF);
    EXPECT_EQ(GetWindowWord(h, 8), 0x89AB);
    // Past the end: nothing, with the index error.
    SetLastError(0);
    EXPECT_EQ(GetWindowWord(h, 9), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_INDEX);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongW(h, 7), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_INDEX);
    // A pointer-sized long needs a whole pointer's bytes.
    SetLastError(0);
    LONG_PTR l = GetWindowLongPtrW(h, 6);
    if (sizeof(void*) == 8) {
        EXPECT_EQ(l, 0);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_INDEX);
    } else {
        EXPECT_EQ(l, static_cast<LONG_PTR>(static_cast<LONG>(0x89ABCDEF)));
    }
    DestroyWindow(h);
}

}  // namespace
