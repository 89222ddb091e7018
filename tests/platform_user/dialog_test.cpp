// Dialogs from templates, the dialog manager's defaults, the controls'
// notifications, and the scripted user acting on them.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What a dialog procedure saw: "INIT", "CMD id code", "NOTIFY".
struct LOG {
    std::vector<std::string> lines;
    LPARAM lInit = 0;
};

LOG* g_log = nullptr;

std::string Cmd(WPARAM w)
{
    return "CMD " + std::to_string(LOWORD(w)) + " " + std::to_string(HIWORD(w));
}

INT_PTR CALLBACK LogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        if (g_log) {
            g_log->lines.push_back("INIT");
            g_log->lInit = lParam;
        }
        return TRUE;
    case WM_COMMAND:
        if (g_log)
            g_log->lines.push_back(Cmd(wParam));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// The scripted user's last error, for failure messages.
std::string Err()
{
    std::u16string s = PlatScriptError();
    return std::string(s.begin(), s.end());
}

HINSTANCE Self()
{
    return GetModuleHandleW(nullptr);
}

struct Dialog {
    HWND h;
    LOG log;
    explicit Dialog(int id = 100)
    {
        g_log = &log;
        h = CreateDialogParamW(Self(), MAKEINTRESOURCEW(id), nullptr, LogProc, 77);
        if (h)
            ShowWindow(h, SW_SHOW);
        PlatPumpMessages();
    }
    ~Dialog()
    {
        if (IsWindow(h))
            DestroyWindow(h);
        g_log = nullptr;
        PlatScriptReset();
    }
    HWND Item(int id) const { return GetDlgItem(h, id); }
    std::vector<std::string> Take()
    {
        std::vector<std::string> v = log.lines;
        log.lines.clear();
        return v;
    }
};

TEST(Dialog, InitDialogGetsTheCreationParameterAndFontGivesSameUnitsEverywhere)
{
    Dialog d;
    ASSERT_NE(d.h, nullptr);
    EXPECT_EQ(d.log.lines.front(), "INIT");
    EXPECT_EQ(d.log.lInit, 77);
    // Dialog units come from the dialog font: a 50 x 14 button is the same
    // size in pixels as MapDialogRect says.
    RECT rc = {0, 0, 50, 14};
    ASSERT_TRUE(MapDialogRect(d.h, &rc));
    RECT rb;
    GetWindowRect(d.Item(IDOK), &rb);
    EXPECT_EQ(rb.right - rb.left, rc.right);
    EXPECT_EQ(rb.bottom - rb.top, rc.bottom);
    LONG units = GetDialogBaseUnits();
    EXPECT_GT(LOWORD(units), 3);
    EXPECT_GT(HIWORD(units), 8);
}

TEST(Dialog, RadioGroupKeepsOneChecked)
{
    struct Case {
        std::vector<int> clicks;
        UINT a311, a312, a313;
    };
    const Case cases[] = {
        {{311}, BST_CHECKED, 0, 0},
        {{311, 313}, 0, 0, BST_CHECKED},
        {{312, 312}, 0, BST_CHECKED, 0},  // clicking the checked one keeps it
        {{313, 311, 312}, 0, BST_CHECKED, 0},
    };
    for (const Case& c : cases) {
        Dialog d;
        for (int id : c.clicks)
            ASSERT_TRUE(PlatScriptClick(d.h, id, nullptr)) << Err();
        EXPECT_EQ(IsDlgButtonChecked(d.h, 311), c.a311);
        EXPECT_EQ(IsDlgButtonChecked(d.h, 312), c.a312);
        EXPECT_EQ(IsDlgButtonChecked(d.h, 313), c.a313);
        // Each click told the owner; the check box outside the group is untouched.
        int nClicked = 0;
        for (const std::string& s : d.log.lines)
            nClicked += s.rfind("CMD 31", 0) == 0 && s.substr(s.size() - 2) == " 0";
        EXPECT_EQ(nClicked, static_cast<int>(c.clicks.size()));
        EXPECT_EQ(IsDlgButtonChecked(d.h, 301), 0u);
    }
}

TEST(Dialog, CheckRadioButtonAndBmSetCheckAreSilent)
{
    Dialog d;
    d.Take();
    ASSERT_TRUE(CheckRadioButton(d.h, 311, 313, 312));
    CheckDlgButton(d.h, 301, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d.h, 312), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(d.h, 301), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(d.Take().empty());
}

TEST(Dialog, ComboSetCurSelIsSilentButAUsersChoiceNotifies)
{
    Dialog d;
    HWND hCombo = d.Item(131);
    for (const char16_t* s : {u"A4", u"A3", u"Letter"})
        SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    d.Take();
    EXPECT_EQ(SendMessageW(hCombo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_TRUE(d.Take().empty());
    ASSERT_TRUE(PlatScriptChoose(d.h, 0, u"Paper", u"Letter", -1)) << Err();
    EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), 2);
    std::vector<std::string> v = d.Take();
    // Dropping the list, then the choice.
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v.front(), Cmd(MAKEWPARAM(131, CBN_SETFOCUS)));
    EXPECT_NE(std::find(v.begin(), v.end(), Cmd(MAKEWPARAM(131, CBN_DROPDOWN))), v.end());
    EXPECT_EQ(v.back(), Cmd(MAKEWPARAM(131, CBN_SELCHANGE)));
    // Choosing what is already chosen changes nothing.
    ASSERT_TRUE(PlatScriptChoose(d.h, 131, nullptr, nullptr, 2));
    v = d.Take();
    EXPECT_EQ(std::count(v.begin(), v.end(), Cmd(MAKEWPARAM(131, CBN_SELCHANGE))), 0);
    WCHAR buf[16];
    EXPECT_EQ(SendMessageW(hCombo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(buf)), 6);
    EXPECT_EQ(std::u16string(buf), u"Letter");
}

TEST(Dialog, ChoosingByACheckBoxLabelTakesTheListBesideIt)
{
    Dialog d(130);
    ASSERT_NE(d.h, nullptr);
    HWND hCombo = d.Item(131);
    for (const char16_t* s : {u"Top left", u"Top right", u"Two at left"})
        SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    ASSERT_TRUE(PlatScriptChoose(d.h, 0, u"Staple", u"Two at left", -1)) << Err();
    EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), 2);
    // The check box itself is untouched.
    EXPECT_EQ(IsDlgButtonChecked(d.h, 130), static_cast<UINT>(BST_UNCHECKED));
    // A check box with no list beside it still has nothing to choose.
    EXPECT_FALSE(PlatScriptChoose(d.h, 0, u"Punch", u"Top left", -1));
    PlatScriptReset();
}

TEST(Dialog, EditNotifiesEveryChangeAlsoAfterSetText)
{
    Dialog d;
    HWND hEdit = d.Item(141);
    d.Take();
    SetDlgItemTextW(d.h, 141, u"12");
    std::vector<std::string> v = d.Take();
    std::vector<std::string> want = {Cmd(MAKEWPARAM(141, EN_UPDATE)), Cmd(MAKEWPARAM(141, EN_CHANGE))};
    EXPECT_EQ(v, want);
    SetDlgItemInt(d.h, 141, 7, FALSE);
    EXPECT_EQ(d.Take(), want);
    // Typing: a change per key; ES_NUMBER refuses a letter with a beep.
    PlatBeepReset();
    ASSERT_TRUE(PlatScriptType(d.h, 0, u"Copies", u"3x4")) << Err();
    BOOL bOk = FALSE;
    EXPECT_EQ(GetDlgItemInt(d.h, 141, &bOk, FALSE), 34u);
    EXPECT_TRUE(bOk);
    EXPECT_EQ(PlatBeepCount(), 1);
    v = d.Take();
    EXPECT_EQ(std::count(v.begin(), v.end(), Cmd(MAKEWPARAM(141, EN_CHANGE))), 2);
    // Leaving the field told the owner.
    EXPECT_NE(std::find(v.begin(), v.end(), Cmd(MAKEWPARAM(141, EN_KILLFOCUS))), v.end());
    EXPECT_NE(GetFocus(), hEdit);
}

// A subclass that turns every typed 'a' into 'b' sees each key.
WNDPROC g_prevEdit = nullptr;
int g_cChars = 0;
LRESULT CALLBACK Filter(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_CHAR) {
        ++g_cChars;
        if (w == u'a')
            w = u'b';
    }
    return CallWindowProcW(g_prevEdit, h, msg, w, l);
}

TEST(Dialog, SubclassedEditSeesEachTypedKey)
{
    Dialog d(200);
    HWND hEdit = d.Item(211);
    g_prevEdit = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hEdit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Filter)));
    g_cChars = 0;
    ASSERT_TRUE(PlatScriptType(d.h, 211, nullptr, u"banana"));
    WCHAR buf[16];
    GetWindowTextW(hEdit, buf, 16);
    EXPECT_EQ(std::u16string(buf), u"bbnbnb");
    EXPECT_EQ(g_cChars, 6);
}

TEST(Dialog, EditLimitBoundsTypingAndPasteButNotSetText)
{
    Dialog d(200);
    HWND hEdit = d.Item(211);
    SendMessageW(hEdit, EM_LIMITTEXT, 4, 0);
    SetWindowTextW(hEdit, u"abcdefgh");
    EXPECT_EQ(GetWindowTextLengthW(hEdit), 8);
    ASSERT_TRUE(PlatScriptType(d.h, 211, nullptr, u"123456"));
    EXPECT_EQ(GetWindowTextLengthW(hEdit), 4);
    // Paste from the clipboard into an empty field is cut at the limit too.
    SetWindowTextW(hEdit, u"");
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE, 16 * sizeof(WCHAR));
    std::u16string clip = u"xyzxyzxyz";
    std::copy(clip.begin(), clip.end(), static_cast<WCHAR*>(GlobalLock(hMem)));
    static_cast<WCHAR*>(GlobalLock(hMem))[clip.size()] = 0;
    GlobalUnlock(hMem);
    GlobalUnlock(hMem);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, hMem);
    CloseClipboard();
    SendMessageW(hEdit, WM_PASTE, 0, 0);
    WCHAR buf[16];
    GetWindowTextW(hEdit, buf, 16);
    EXPECT_EQ(std::u16string(buf), u"xyzx");
}

TEST(Dialog, GetDlgItemIntParsesAsTheSystemDoes)
{
    struct Case {
        const char16_t* text;
        BOOL bSigned;
        UINT value;
        BOOL ok;
    };
    const Case cases[] = {
        {u"42", FALSE, 42, TRUE},        {u"  42  ", FALSE, 42, TRUE},  {u"-5", TRUE, static_cast<UINT>(-5), TRUE},
        {u"-5", FALSE, 0, FALSE},        {u"4x", FALSE, 0, FALSE},      {u"", FALSE, 0, FALSE},
        {u"4294967295", FALSE, 0xFFFFFFFFu, TRUE}, {u"4294967296", FALSE, 0, FALSE},
        {u"2147483648", TRUE, 0, FALSE}, {u"-2147483648", TRUE, 0x80000000u, TRUE},
    };
    Dialog d(200);
    for (const Case& c : cases) {
        SetDlgItemTextW(d.h, 211, c.text);
        BOOL ok = -1;
        EXPECT_EQ(GetDlgItemInt(d.h, 211, &ok, c.bSigned), c.value);
        EXPECT_EQ(ok, c.ok);
    }
}

TEST(Dialog, EnterPressesTheDefaultButtonAndEscapeCancels)
{
    struct Case {
        BOOL bEnter;
        int iFocus;   // control that has the focus, 0: none moved
        std::string want;
    };
    const Case cases[] = {
        {TRUE, 211, Cmd(MAKEWPARAM(IDOK, BN_CLICKED))},
        {TRUE, 210, Cmd(MAKEWPARAM(210, BN_CLICKED))},  // a focused push button answers Enter itself
        {FALSE, 211, Cmd(MAKEWPARAM(IDCANCEL, BN_CLICKED))},
    };
    for (const Case& c : cases) {
        Dialog d(200);
        // 210 opens nothing here: the log procedure does not know it.
        SetFocus(d.Item(c.iFocus));
        d.Take();
        if (c.bEnter)
            ASSERT_TRUE(PlatScriptPressEnter(d.h));
        else
            ASSERT_TRUE(PlatScriptPressCancel(d.h));
        // Besides focus changes, the one command the key means.
        std::vector<std::string> v = d.Take();
        std::vector<std::string> cmds;
        for (const std::string& s : v)
            if (s.substr(s.size() - 2) == " 0")
                cmds.push_back(s);
        EXPECT_EQ(cmds, std::vector<std::string>{c.want});
    }
}

TEST(Dialog, TabMovesThroughTabStopsSkippingDisabledOnes)
{
    Dialog d;
    std::vector<int> order;
    SetFocus(d.Item(301));
    for (int i = 0; i < 7; ++i) {
        HWND h = GetNextDlgTabItem(d.h, GetFocus(), FALSE);
        SetFocus(h);
        order.push_back(GetDlgCtrlID(h));
    }
    // 302 is disabled; only the checked radio button of a group is a stop
    // once one is checked, none is checked yet so the first (WS_TABSTOP) is.
    std::vector<int> want = {311, 131, 141, 161, IDOK, IDCANCEL, 301};
    EXPECT_EQ(order, want);
}

INT_PTR CALLBACK NotifyProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        SetWindowLongPtrW(hDlg, DWL_MSGRESULT, 1234);
        return TRUE;
    }
    if (msg == WM_APP + 1) {
        // Not handled: the result is the default procedure's, not the long.
        SetWindowLongPtrW(hDlg, DWL_MSGRESULT, 99);
        return FALSE;
    }
    return msg == WM_INITDIALOG;
}

TEST(Dialog, HandledNotifyAnswersTheMessageResultLong)
{
    HWND h = CreateDialogParamW(Self(), MAKEINTRESOURCEW(200), nullptr, NotifyProc, 0);
    ASSERT_NE(h, nullptr);
    NMHDR nm = {h, 5, 0};
    EXPECT_EQ(SendMessageW(h, WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&nm)), 1234);
    EXPECT_EQ(GetWindowLongPtrW(h, DWL_MSGRESULT), 1234);
    EXPECT_EQ(SendMessageW(h, WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrW(h, DWL_DLGPROC), reinterpret_cast<LONG_PTR>(NotifyProc));
    DestroyWindow(h);
}

// Opens 300 from 200 when "More..." is clicked, through DialogBoxParamW.
std::vector<std::string> g_nest;
INT_PTR CALLBACK MoreProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        g_nest.push_back("open 300");
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        WCHAR buf[32];
        GetDlgItemTextW(hDlg, 311, buf, 32);
        std::u16string s = buf;
        g_nest.push_back("end 300 " + std::to_string(LOWORD(wParam)) + " " + std::string(s.begin(), s.end()));
        EndDialog(hDlg, LOWORD(wParam) == IDOK ? 30 : 31);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK DetailsProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        g_nest.push_back("open 200");
        return TRUE;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == 210 && HIWORD(wParam) == BN_CLICKED) {
        INT_PTR r = DialogBoxParamW(Self(), MAKEINTRESOURCEW(300), hDlg, MoreProc, 0);
        g_nest.push_back("300 gave " + std::to_string(r));
        // The owner was disabled while the inner dialog ran.
        g_nest.push_back(IsWindowEnabled(hDlg) ? "owner enabled" : "owner disabled");
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        g_nest.push_back("end 200 " + std::to_string(LOWORD(wParam)));
        EndDialog(hDlg, LOWORD(wParam) == IDOK ? 20 : 21);
        return TRUE;
    }
    return FALSE;
}

TEST(Dialog, ModalDialogOpenedFromAModalDialogEachEndedByTheScript)
{
    g_nest.clear();
    PlatScriptReset();
    const PLATSCRIPTSTEP outer[] = {
        {PSS_CLICK, 0, u"More...", nullptr, -1, 0},
        {PSS_TYPE, 0, u"Name", u"Ann", -1, 0},
        {PSS_OK, 0, nullptr, nullptr, -1, 0},
    };
    const PLATSCRIPTSTEP inner[] = {
        {PSS_TYPE, 0, u"Code", u"77", -1, 0},
        {PSS_ENTER, 0, nullptr, nullptr, -1, 0},
    };
    ASSERT_TRUE(PlatScriptOnDialog(200, outer, 3));
    ASSERT_TRUE(PlatScriptOnDialog(300, inner, 2));
    int nLive = PlatLiveWindows();
    INT_PTR r = DialogBoxParamW(Self(), MAKEINTRESOURCEW(200), nullptr, DetailsProc, 0);
    EXPECT_EQ(r, 20);
    std::vector<std::string> want = {"open 200", "open 300", "end 300 1 77", "300 gave 30", "owner enabled", "end 200 1"};
    EXPECT_EQ(g_nest, want);
    EXPECT_EQ(std::u16string(PlatScriptError()), u"");
    EXPECT_EQ(PlatLiveWindows(), nLive);
}

TEST(Dialog, AFailingStepSaysWhichAndWhyAndChangesNothing)
{
    struct Case {
        PLATSCRIPTSTEP step;
        const char16_t* why;
    };
    const Case cases[] = {
        {{PSS_CLICK, 0, u"Fold", nullptr, -1, 0},
         u"dialog 100, step 1 (click): control \"Fold\" is not there; the window shows \"OK\", \"Auto\", "
         u"\"Staple\", \"Punch\", \"Paper\", \"Copies\", \"Output\", \"Face up\", \"Cancel\", \"Face down\", "
         u"\"Not available\""},
        {{PSS_CLICK, 302, nullptr, nullptr, -1, 0}, u"dialog 100, step 1 (click): control 302 is disabled"},
        {{PSS_CHOOSE, 0, u"Paper", u"B5", -1, 0}, u"dialog 100, step 1 (choose): no item \"B5\"; the list is empty"},
        {{PSS_CHECK, 311, nullptr, nullptr, -1, BST_UNCHECKED},
         u"dialog 100, step 1 (check): a radio button is cleared by picking another one"},
    };
    for (const Case& c : cases) {
        PlatScriptReset();
        g_log = nullptr;
        // The radio button is checked first, so that clearing it is the fault.
        const PLATSCRIPTSTEP steps[] = {c.step};
        LOG log;
        g_log = &log;
        PLATSCRIPTSTEP pre = {PSS_CLICK, 311, nullptr, nullptr, -1, 0};
        const PLATSCRIPTSTEP both[] = {pre, c.step};
        ASSERT_TRUE(PlatScriptOnDialog(100, c.step.iStep == PSS_CHECK ? both : steps, c.step.iStep == PSS_CHECK ? 2 : 1));
        INT_PTR r = DialogBoxParamW(Self(), MAKEINTRESOURCEW(100), nullptr, LogProc, 0);
        // The dialog was left open and cancelled so that the test goes on.
        EXPECT_EQ(r, IDCANCEL);
        std::u16string why = c.why;
        if (c.step.iStep == PSS_CHECK)
            why.replace(why.find(u"step 1"), 6, u"step 2");
        EXPECT_EQ(std::u16string(PlatScriptError()), why);
        // Nothing but the preparatory click and the cancel reached the owner.
        for (const std::string& s : log.lines)
            EXPECT_TRUE(s == "INIT" || s == Cmd(MAKEWPARAM(IDCANCEL, BN_CLICKED)) || s.rfind("CMD 311", 0) == 0)
                << s;
        g_log = nullptr;
    }
    PlatScriptReset();
}

TEST(Dialog, BadTemplatesFailWithoutLeavingWindows)
{
    int nLive = PlatLiveWindows();
    SetLastError(0);
    EXPECT_EQ(CreateDialogParamW(Self(), MAKEINTRESOURCEW(400), nullptr, LogProc, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(PlatLiveWindows(), nLive);
    EXPECT_EQ(DialogBoxParamW(Self(), MAKEINTRESOURCEW(999), nullptr, LogProc, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(PlatLiveWindows(), nLive);
}

}  // namespace
