// The common controls as their owner sees them: what each user action
// sends, what the control holds afterwards, and what it refuses.
// The controls need the window manager; without it there is nothing to test.
// (platform/windows.h first: the build sees the guard change with it.)
#include "platform/windows.h"
#if __has_include("platform/user/winuser.h")
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "tests/platform_comctl/sheet_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

struct OWNER {
    std::vector<std::string> log;
    std::function<LRESULT(NMHDR*)> onNotify;  // may answer a notification
};
OWNER* g_owner = nullptr;

std::string Hex(UINT v)
{
    char b[16];
    snprintf(b, sizeof(b), "%d", (int)v);
    return b;
}

INT_PTR CALLBACK _OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!g_owner)
        return FALSE;
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) {
            WCHAR t[32];
            GetWindowTextW(reinterpret_cast<HWND>(lParam), t, 32);
            std::string s;
            for (WCHAR* q = t; *q; ++q)
                s += (char)*q;
            g_owner->log.push_back("EN_CHANGE " + s);
        }
        return TRUE;
    case WM_VSCROLL:
    case WM_HSCROLL: {
        std::string s = msg == WM_VSCROLL ? "VSCROLL " : "HSCROLL ";
        g_owner->log.push_back(s + Hex(LOWORD(wParam)) + " " + Hex((UINT)(SHORT)HIWORD(wParam)));
        return TRUE;
    }
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        g_owner->log.push_back("measure " + Hex(m->CtlType));
        m->itemHeight = 20;
        return TRUE;
    }
    case WM_DRAWITEM: {
        DRAWITEMSTRUCT* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        g_owner->log.push_back("draw " + Hex(d->itemID) + ((d->itemState & ODS_SELECTED) ? " sel" : "") + " h" +
                               Hex(d->rcItem.bottom - d->rcItem.top) + " data" + Hex((UINT)d->itemData));
        FillRect(d->hDC, &d->rcItem, GetSysColorBrush((d->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        return TRUE;
    }
    case WM_NOTIFY: {
        NMHDR* ph = reinterpret_cast<NMHDR*>(lParam);
        LRESULT r = 0;
        if (ph->code == LVN_ITEMCHANGING || ph->code == LVN_ITEMCHANGED) {
            NMLISTVIEW* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
            g_owner->log.push_back(std::string(ph->code == LVN_ITEMCHANGING ? "changing " : "changed ") +
                                   Hex(nm->iItem) + " " + Hex(nm->uOldState) + "->" + Hex(nm->uNewState));
        } else if (ph->code == NM_CLICK || ph->code == NM_DBLCLK) {
            NMITEMACTIVATE* nm = reinterpret_cast<NMITEMACTIVATE*>(lParam);
            g_owner->log.push_back(std::string(ph->code == NM_CLICK ? "click " : "dblclk ") + Hex(nm->iItem));
        } else if (ph->code == LVN_COLUMNCLICK) {
            g_owner->log.push_back("column " + Hex(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem));
        } else if (ph->code == LVN_KEYDOWN) {
            g_owner->log.push_back("key " + Hex(reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey));
        } else if (ph->code == TCN_SELCHANGING || ph->code == TCN_SELCHANGE) {
            g_owner->log.push_back(ph->code == TCN_SELCHANGE ? "selchange" : "selchanging");
        } else if (ph->code == UDN_DELTAPOS) {
            g_owner->log.push_back("deltapos " + Hex(reinterpret_cast<NMUPDOWN*>(lParam)->iDelta));
        }
        if (g_owner->onNotify)
            r = g_owner->onNotify(ph);
        SetWindowLongPtrW(hwnd, DWL_MSGRESULT, r);
        return TRUE;
    }
    }
    return FALSE;
}

LVCOLUMNW Col(UINT mask, int fmt, int cx, const char16_t* text)
{
    LVCOLUMNW c = {};
    c.mask = mask;
    c.fmt = fmt;
    c.cx = cx;
    c.pszText = const_cast<LPWSTR>(text);
    return c;
}

class Controls : public testing::Test {
protected:
    void SetUp() override
    {
        g_owner = &owner;
        static DLGTEMPLATE t[4] = {};
        t[0].style = WS_POPUP | WS_VISIBLE;
        t[0].cx = 200;
        t[0].cy = 120;
        hDlg = CreateDialogIndirectParamW(nullptr, t, nullptr, _OwnerProc, 0);
        ASSERT_NE(hDlg, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(hDlg);
        g_owner = nullptr;
    }
    HWND Make(const char16_t* cls, DWORD style, int id, int x, int y, int cx, int cy)
    {
        return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, hDlg,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    }
    std::string Log()
    {
        std::string s;
        for (const std::string& e : owner.log)
            s += (s.empty() ? "" : " | ") + e;
        owner.log.clear();
        return s;
    }

    OWNER owner;
    HWND hDlg = nullptr;
};

TEST_F(Controls, UpDownStepWritesTheBuddyWhichSendsEnChange)
{
    HWND hEdit = Make(WC_EDITW, ES_NUMBER, 103, 10, 10, 60, 20);
    HWND hUd = Make(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 104, 0, 0, 16, 20);
    SendMessageW(hUd, UDM_SETBUDDY, (WPARAM)hEdit, 0);
    SendMessageW(hUd, UDM_SETRANGE, 0, MAKELONG(5, 1));  // 1..5
    SendMessageW(hUd, UDM_SETPOS, 0, 4);
    Log();

    RECT rc;
    GetClientRect(hUd, &rc);
    LPARAM up = MAKELPARAM(rc.right / 2, rc.bottom / 4);
    LPARAM down = MAKELPARAM(rc.right / 2, rc.bottom * 3 / 4);
    SendMessageW(hUd, WM_LBUTTONDOWN, MK_LBUTTON, up);
    SendMessageW(hUd, WM_LBUTTONUP, 0, up);
    EXPECT_EQ(Log(), "deltapos 1 | EN_CHANGE 5 | VSCROLL 4 5 | VSCROLL 8 5");
    // At the top end nothing moves and nothing is said but the release.
    SendMessageW(hUd, WM_LBUTTONDOWN, MK_LBUTTON, up);
    SendMessageW(hUd, WM_LBUTTONUP, 0, up);
    EXPECT_EQ(Log(), "deltapos 1 | VSCROLL 8 5");
    // The owner may refuse a step.
    owner.onNotify = [](NMHDR* ph) -> LRESULT { return ph->code == UDN_DELTAPOS; };
    SendMessageW(hUd, WM_LBUTTONDOWN, MK_LBUTTON, down);
    EXPECT_EQ(LOWORD(SendMessageW(hUd, UDM_GETPOS, 0, 0)), 5);
    SendMessageW(hUd, WM_LBUTTONUP, 0, down);
    owner.onNotify = nullptr;
    Log();

    // The scripted user clicks the arrow that leads to the position, step
    // by step; a position out of range is refused and nothing moves.
    PLATSCRIPTACTION a = {};
    a.cbSize = sizeof(a);
    a.uAction = PSA_SETPOS;
    a.iValue = 3;
    EXPECT_EQ(SendMessageW(hUd, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_DONE);
    EXPECT_EQ(Log(), "deltapos -1 | EN_CHANGE 4 | VSCROLL 4 4 | VSCROLL 8 4 | "
                     "deltapos -1 | EN_CHANGE 3 | VSCROLL 4 3 | VSCROLL 8 3");
    a.iValue = 9;
    EXPECT_EQ(SendMessageW(hUd, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_FAILED);
    EXPECT_EQ(Log(), "");

    // Typed text is read back; text that is no number is an error.
    SetWindowTextW(hEdit, u"2");
    LRESULT r = SendMessageW(hUd, UDM_GETPOS, 0, 0);
    EXPECT_EQ(LOWORD(r), 2);
    EXPECT_EQ(HIWORD(r), 0);
    SetWindowTextW(hEdit, u"");
    EXPECT_NE(HIWORD(SendMessageW(hUd, UDM_GETPOS, 0, 0)), 0);
}

TEST_F(Controls, TrackBarHoldsANegativeRange)
{
    HWND hTb = Make(TRACKBAR_CLASSW, TBS_AUTOTICKS, 630, 10, 10, 120, 30);
    struct {
        const char* how;
        std::function<void()> set;
    } ways[] = {
        {"TBM_SETRANGE", [&] { SendMessageW(hTb, TBM_SETRANGE, TRUE, MAKELONG((WORD)-2, 0)); }},
        {"TBM_SETRANGEMIN/MAX", [&] {
             SendMessageW(hTb, TBM_SETRANGEMIN, FALSE, -2);
             SendMessageW(hTb, TBM_SETRANGEMAX, TRUE, 0);
         }},
    };
    for (auto& w : ways) {
        SCOPED_TRACE(w.how);
        SendMessageW(hTb, TBM_SETRANGE, FALSE, MAKELONG(0, 100));
        SendMessageW(hTb, TBM_SETPOS, TRUE, 50);
        w.set();
        EXPECT_EQ(SendMessageW(hTb, TBM_GETRANGEMIN, 0, 0), -2);
        EXPECT_EQ(SendMessageW(hTb, TBM_GETRANGEMAX, 0, 0), 0);
        EXPECT_EQ(SendMessageW(hTb, TBM_GETPOS, 0, 0), 0);  // clamped into the range
        SendMessageW(hTb, TBM_SETPOS, TRUE, -5);
        EXPECT_EQ(SendMessageW(hTb, TBM_GETPOS, 0, 0), -2);
        Log();  // setting by message tells nobody
        EXPECT_EQ(Log(), "");

        // Keys move it one line and tell the owner.
        SetFocus(hTb);
        SendMessageW(hTb, WM_KEYDOWN, VK_RIGHT, 0);
        SendMessageW(hTb, WM_KEYUP, VK_RIGHT, 0);
        EXPECT_EQ(SendMessageW(hTb, TBM_GETPOS, 0, 0), -1);
        EXPECT_EQ(Log(), "HSCROLL 1 0 | HSCROLL 8 0");

        // The scripted user drags the thumb.
        PLATSCRIPTACTION a = {};
        a.cbSize = sizeof(a);
        a.uAction = PSA_SETPOS;
        a.iValue = -2;
        EXPECT_EQ(SendMessageW(hTb, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_DONE);
        EXPECT_EQ(SendMessageW(hTb, TBM_GETPOS, 0, 0), -2);
        EXPECT_EQ(Log(), "HSCROLL 5 -2 | HSCROLL 4 -2 | HSCROLL 8 0");
        a.iValue = 1;
        EXPECT_EQ(SendMessageW(hTb, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_FAILED);
        EXPECT_NE(a.szWhy[0], 0);
        EXPECT_EQ(SendMessageW(hTb, TBM_GETPOS, 0, 0), -2);
    }
}

TEST_F(Controls, ListViewReselectFromInsideItemChangedIsSafe)
{
    HWND hLv = Make(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 249, 0, 0, 200, 120);
    LVCOLUMNW col = Col(LVCF_TEXT | LVCF_WIDTH, 0, 100, u"Name");
    SendMessageW(hLv, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    const char16_t* names[] = {u"zero", u"one", u"two"};
    for (int i = 0; i < 3; ++i) {
        LVITEMW it = {};
        it.mask = LVIF_TEXT | LVIF_PARAM;
        it.iItem = i;
        it.pszText = const_cast<LPWSTR>(names[i]);
        it.lParam = 100 + i;
        SendMessageW(hLv, LVM_INSERTITEMW, 0, (LPARAM)&it);
    }
    auto select = [&](int i) {
        LVITEMW it = {};
        it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hLv, LVM_SETITEMSTATE, i, (LPARAM)&it);
    };
    select(0);
    Log();

    // The owner takes the selection back to row 0 whenever row 0 loses it,
    // as a page does when a row may not be left.
    bool bGuard = true;
    owner.onNotify = [&](NMHDR* ph) -> LRESULT {
        NMLISTVIEW* nm = reinterpret_cast<NMLISTVIEW*>(ph);
        if (bGuard && ph->code == LVN_ITEMCHANGED && nm->iItem == 0 && !(nm->uNewState & LVIS_SELECTED))
            select(0);
        return 0;
    };
    PLATSCRIPTACTION a = {};
    a.cbSize = sizeof(a);
    a.uAction = PSA_CHOOSE;
    a.iIndex = 2;
    EXPECT_EQ(SendMessageW(hLv, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_DONE);
    EXPECT_EQ(Log(), "changing 0 3->0 | changed 0 3->0 | changing 0 0->3 | changed 0 0->3 | click 2");
    EXPECT_EQ(SendMessageW(hLv, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 0);
    EXPECT_EQ(SendMessageW(hLv, LVM_GETITEMSTATE, 2, LVIS_SELECTED), 0);
    EXPECT_EQ(SendMessageW(hLv, LVM_GETSELECTEDCOUNT, 0, 0), 1);

    // Without the guard the same click moves the selection.
    bGuard = false;
    EXPECT_EQ(SendMessageW(hLv, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_DONE);
    EXPECT_EQ(Log(), "changing 0 3->0 | changed 0 3->0 | changing 2 0->3 | changed 2 0->3 | click 2");
    EXPECT_EQ(SendMessageW(hLv, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 2);

    // A veto in LVN_ITEMCHANGING keeps everything as it was.
    owner.onNotify = [](NMHDR* ph) -> LRESULT { return ph->code == LVN_ITEMCHANGING; };
    select(1);
    EXPECT_EQ(SendMessageW(hLv, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 2);
    owner.onNotify = nullptr;
    Log();

    // Keys: the owner hears the key first, then the selection moves.
    SendMessageW(hLv, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Log(), "key 38 | changing 2 3->0 | changed 2 3->0 | changing 1 0->3 | changed 1 0->3");
}

TEST_F(Controls, ListViewItemsColumnsAndClicks)
{
    HWND hLv = Make(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL, 412, 0, 0, 200, 120);
    LVCOLUMNW c0 = Col(LVCF_TEXT | LVCF_WIDTH | LVCF_FMT, LVCFMT_RIGHT, 80, u"Name");
    LVCOLUMNW c1 = Col(LVCF_TEXT | LVCF_WIDTH | LVCF_FMT, LVCFMT_CENTER, 60, u"Date");
    SendMessageW(hLv, LVM_INSERTCOLUMNW, 0, (LPARAM)&c0);
    SendMessageW(hLv, LVM_INSERTCOLUMNW, 1, (LPARAM)&c1);
    EXPECT_EQ(SendMessageW(hLv, LVM_GETCOLUMNWIDTH, 1, 0), 60);
    LVCOLUMNW got = Col(LVCF_FMT, 0, 0, nullptr);
    SendMessageW(hLv, LVM_GETCOLUMNW, 0, (LPARAM)&got);
    EXPECT_EQ(got.fmt, LVCFMT_LEFT);  // the first column is always left-aligned

    for (int i = 0; i < 3; ++i) {
        char16_t name[2] = {(char16_t)(u'c' - i), 0};
        LVITEMW it = {};
        it.mask = LVIF_TEXT | LVIF_PARAM;
        it.iItem = i;
        it.pszText = name;
        it.lParam = 10 * i;
        SendMessageW(hLv, LVM_INSERTITEMW, 0, (LPARAM)&it);
        LVITEMW sub = {};
        sub.iSubItem = 1;
        sub.pszText = const_cast<LPWSTR>(u"99/01/01");
        SendMessageW(hLv, LVM_SETITEMTEXTW, i, (LPARAM)&sub);
    }
    // Sorting by the caller's values, descending.
    auto desc = [](LPARAM a, LPARAM b, LPARAM) -> int { return (int)(b - a); };
    SendMessageW(hLv, LVM_SORTITEMS, 0, (LPARAM)(PFNLVCOMPARE)desc);
    WCHAR buf[4];
    LVITEMW rd = {};
    rd.pszText = buf;
    rd.cchTextMax = 4;
    SendMessageW(hLv, LVM_GETITEMTEXTW, 0, (LPARAM)&rd);
    EXPECT_EQ(std::u16string(buf), u"a");
    // Text longer than the buffer is cut and terminated.
    WCHAR two[3];
    rd.pszText = two;
    rd.cchTextMax = 3;
    rd.iSubItem = 1;
    EXPECT_EQ(SendMessageW(hLv, LVM_GETITEMTEXTW, 0, (LPARAM)&rd), 2);
    EXPECT_EQ(std::u16string(two), u"99");

    // The cell rectangles follow the columns.
    RECT cell = {LVIR_BOUNDS, 1, 0, 0};
    ASSERT_TRUE(SendMessageW(hLv, LVM_GETSUBITEMRECT, 1, (LPARAM)&cell));
    EXPECT_EQ(cell.left, 80);
    EXPECT_EQ(cell.right, 140);
    Log();

    // Clicks on a header and on a row; a double click; bad rows fail.
    SendMessageW(hLv, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 2));
    SendMessageW(hLv, WM_LBUTTONUP, 0, MAKELPARAM(100, 2));
    EXPECT_EQ(Log(), "column 1");
    PLATSCRIPTACTION a = {};
    a.cbSize = sizeof(a);
    a.uAction = PSA_DBLCLICK;
    a.pszText = u"b";
    EXPECT_EQ(SendMessageW(hLv, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_DONE);
    EXPECT_EQ(Log(), "changing 1 0->3 | changed 1 0->3 | click 1 | dblclk 1 | click 1");
    a.pszText = u"nothing";
    EXPECT_EQ(SendMessageW(hLv, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_FAILED);
    EXPECT_EQ(SendMessageW(hLv, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 1);
    EXPECT_FALSE(SendMessageW(hLv, LVM_DELETEITEM, 7, 0));
    EXPECT_TRUE(SendMessageW(hLv, LVM_DELETEITEM, 1, 0));
    EXPECT_EQ(SendMessageW(hLv, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(hLv, LVM_GETNEXTITEM, -1, LVNI_SELECTED), -1);
}

TEST_F(Controls, OwnerDrawnListViewRowsAreDrawnByTheOwner)
{
    HWND hLv = Make(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS, 249, 0, 0,
                    200, 120);
    LVCOLUMNW col = Col(LVCF_WIDTH, 0, 180, nullptr);
    SendMessageW(hLv, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    for (int i = 0; i < 2; ++i) {
        LVITEMW it = {};
        it.mask = LVIF_PARAM;
        it.iItem = i;
        it.lParam = 70 + i;
        SendMessageW(hLv, LVM_INSERTITEMW, 0, (LPARAM)&it);
    }
    LVITEMW st = {};
    st.state = st.stateMask = LVIS_SELECTED;
    SendMessageW(hLv, LVM_SETITEMSTATE, 1, (LPARAM)&st);
    Log();
    ASSERT_TRUE(PlatRenderWindow(hDlg));
    // Asked for the height once, then every row with its state and value
    // (a render may paint more than once).
    std::string log = Log();
    EXPECT_EQ(log.rfind("measure 102 | draw 0 h20 data70 | draw 1 sel h20 data71", 0), 0u) << log;
    EXPECT_EQ(log.find("measure", 1), std::string::npos) << log;
    // The owner's ink is what the picture shows.
    RECT rw, rl, row = {LVIR_BOUNDS, 0, 0, 0};
    GetWindowRect(hDlg, &rw);
    GetWindowRect(hLv, &rl);
    SendMessageW(hLv, LVM_GETITEMRECT, 1, (LPARAM)&row);
    EXPECT_EQ(PlatGetWindowPixel(hDlg, rl.left - rw.left + row.left + 5, rl.top - rw.top + row.top + 5),
              GetSysColor(COLOR_HIGHLIGHT));
}

// What a disabled field looks like: an edit keeps its border, the arrows
// of its up-down turn grey with it, a track bar's thumb is dithered and its
// ticks grey.
TEST_F(Controls, DisabledFieldsLookDisabledAndKeepTheirBorders)
{
    HWND hEdit = CreateWindowExW(0, u"Edit", u"100", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 60, 20, hDlg,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(116)), nullptr, nullptr);
    HWND hUd = Make(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 117, 0, 0, 16, 20);
    SendMessageW(hUd, UDM_SETBUDDY, (WPARAM)hEdit, 0);
    HWND hTb = Make(TRACKBAR_CLASSW, TBS_AUTOTICKS, 300, 10, 50, 160, 30);
    SendMessageW(hTb, TBM_SETRANGE, FALSE, MAKELPARAM(0, 4));
    RECT rw;
    GetWindowRect(hDlg, &rw);
    auto pixel = [&](HWND h, int x, int y) {
        RECT r;
        GetWindowRect(h, &r);
        return PlatGetWindowPixel(hDlg, r.left - rw.left + x, r.top - rw.top + y);
    };
    // The colours the arrows of the up-down and the thumb of the track bar
    // are drawn in, and whether the edit's frame shows.
    auto look = [&](std::set<COLORREF>* pArrows, std::set<COLORREF>* pThumb, bool* pbBorder) {
        ASSERT_TRUE(PlatRenderWindow(hDlg));
        RECT r;
        GetWindowRect(hUd, &r);
        for (int y = 2; y < r.bottom - r.top - 2; ++y)
            for (int x = 2; x < r.right - r.left - 2; ++x)
                pArrows->insert(pixel(hUd, x, y));
        RECT t = {};
        SendMessageW(hTb, TBM_GETTHUMBRECT, 0, (LPARAM)&t);
        for (int y = t.top + 3; y < t.bottom - 3; ++y)
            for (int x = t.left + 3; x < t.right - 3; ++x)
                pThumb->insert(pixel(hTb, x, y));
        *pbBorder = pixel(hEdit, 0, 10) == GetSysColor(COLOR_WINDOWFRAME);
    };
    std::set<COLORREF> arrows, thumb;
    bool bBorder = false;
    look(&arrows, &thumb, &bBorder);
    EXPECT_TRUE(arrows.count(GetSysColor(COLOR_BTNTEXT)));
    EXPECT_EQ(thumb, std::set<COLORREF>{GetSysColor(COLOR_BTNFACE)});
    EXPECT_TRUE(bBorder);

    // The field is disabled (not its up-down), and the track bar.
    EnableWindow(hEdit, FALSE);
    EnableWindow(hTb, FALSE);
    arrows.clear();
    thumb.clear();
    look(&arrows, &thumb, &bBorder);
    // The arrows are grey, no longer black.
    EXPECT_FALSE(arrows.count(GetSysColor(COLOR_BTNTEXT)));
    EXPECT_TRUE(arrows.count(GetSysColor(COLOR_GRAYTEXT)));
    EXPECT_TRUE(thumb.count(GetSysColor(COLOR_3DHIGHLIGHT)));
    EXPECT_TRUE(bBorder);
    // Its arrows no longer change it.
    SendMessageW(hUd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 3));
    SendMessageW(hUd, WM_LBUTTONUP, 0, MAKELPARAM(8, 3));
    WCHAR text[16] = {};
    GetWindowTextW(hEdit, text, 16);
    EXPECT_EQ(std::u16string(text), u"100");
}

TEST_F(Controls, TabClickAsksThenTells)
{
    HWND hTab = Make(WC_TABCONTROLW, 0, 900, 0, 0, 200, 100);
    const char16_t* names[] = {u"General", u"Paper", u"Finish"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW ti = {};
        ti.mask = TCIF_TEXT;
        ti.pszText = const_cast<LPWSTR>(names[i]);
        EXPECT_EQ(SendMessageW(hTab, TCM_INSERTITEMW, i, (LPARAM)&ti), i);
    }
    EXPECT_EQ(SendMessageW(hTab, TCM_GETCURSEL, 0, 0), 0);
    SendMessageW(hTab, TCM_SETCURSEL, 1, 0);  // silent
    EXPECT_EQ(Log(), "");

    PLATSCRIPTACTION a = {};
    a.cbSize = sizeof(a);
    a.uAction = PSA_PICKTAB;
    a.pszText = u"finish";
    EXPECT_EQ(SendMessageW(hTab, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_DONE);
    EXPECT_EQ(Log(), "selchanging | selchange");
    EXPECT_EQ(SendMessageW(hTab, TCM_GETCURSEL, 0, 0), 2);

    owner.onNotify = [](NMHDR* ph) -> LRESULT { return ph->code == TCN_SELCHANGING; };
    a.pszText = nullptr;
    a.iIndex = 0;
    EXPECT_EQ(SendMessageW(hTab, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_DONE);
    EXPECT_EQ(Log(), "selchanging");
    EXPECT_EQ(SendMessageW(hTab, TCM_GETCURSEL, 0, 0), 2);
    a.iIndex = 5;
    EXPECT_EQ(SendMessageW(hTab, WM_PLAT_SCRIPT, 0, (LPARAM)&a), PSR_FAILED);
}

TEST(ImageList, KeepsItsOwnCopyAndDrawsThroughTheMask)
{
    // A 2-image strip: image 0 red, image 1 blue with a clear left half.
    DWORD px[2 * 4 * 4];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            px[y * 8 + x] = x < 4 ? 0x00FF0000 : 0x000000FF;
    HBITMAP hbm = CreateBitmap(8, 4, 1, 32, px);
    BYTE maskBits[4 * 2] = {};
    for (int y = 0; y < 4; ++y)
        maskBits[y * 2] = 0x0C;  // x = 4, 5 transparent
    HBITMAP hbmMask = CreateBitmap(8, 4, 1, 1, maskBits);
    HIMAGELIST himl = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 2, 2);
    ASSERT_NE(himl, nullptr);
    EXPECT_EQ(ImageList_Add(himl, hbm, hbmMask), 0);
    DeleteObject(hbm);
    DeleteObject(hbmMask);
    EXPECT_EQ(ImageList_GetImageCount(himl), 2);

    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hDst = CreateBitmap(8, 4, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(hdc, hDst);
    RECT all = {0, 0, 8, 4};
    HBRUSH hWhite = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(hdc, &all, hWhite);
    DeleteObject(hWhite);
    EXPECT_TRUE(ImageList_Draw(himl, 0, hdc, 0, 0, ILD_TRANSPARENT));
    EXPECT_TRUE(ImageList_Draw(himl, 1, hdc, 4, 0, ILD_TRANSPARENT));
    EXPECT_FALSE(ImageList_Draw(himl, 2, hdc, 0, 0, ILD_TRANSPARENT));
    SelectObject(hdc, old);
    DWORD out[8 * 4] = {};
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 8;
    bi.bmiHeader.biHeight = -4;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    GetDIBits(hdc, hDst, 0, 4, out, &bi, DIB_RGB_COLORS);
    EXPECT_EQ(out[0] & 0xFFFFFF, 0xFF0000u);  // red
    EXPECT_EQ(out[4] & 0xFFFFFF, 0xFFFFFFu);  // clear: the white below shows
    EXPECT_EQ(out[6] & 0xFFFFFF, 0x0000FFu);  // blue
    DeleteObject(hDst);
    DeleteDC(hdc);
    EXPECT_TRUE(ImageList_Destroy(himl));
    EXPECT_FALSE(ImageList_Destroy(himl));
    EXPECT_EQ(ImageList_GetImageCount(himl), 0);
}

// A drag holds the mouse: the thumb of a track bar and a list column's
// divider follow the pointer while the button is held, even past the
// control's edge, and let go where the button is let go.
TEST_F(Controls, DragsFollowThePointerPastTheControlWhileTheButtonIsHeld)
{
    HWND hTb = Make(TRACKBAR_CLASSW, TBS_AUTOTICKS, 300, 10, 10, 160, 30);
    SendMessageW(hTb, TBM_SETRANGE, FALSE, MAKELPARAM(0, 4));
    HWND hLv = Make(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL, 249, 10, 50, 200, 120);
    LVCOLUMNW col = Col(LVCF_TEXT | LVCF_WIDTH, 0, 80, u"Name");
    SendMessageW(hLv, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    PlatInputReset();
    auto drag = [&](POINT from, POINT to) {
        PlatInputMouse(nullptr, WM_LBUTTONDOWN, from.x, from.y, 1000);
        PlatPumpMessages();
        PlatInputMouse(nullptr, WM_MOUSEMOVE, (from.x + to.x) / 2, (from.y + to.y) / 2, 1010);
        PlatPumpMessages();
        PlatInputMouse(nullptr, WM_MOUSEMOVE, to.x, to.y, 1020);
        PlatPumpMessages();
        PlatInputMouse(nullptr, WM_LBUTTONUP, to.x, to.y, 1030);
        PlatPumpMessages();
    };
    // The thumb, dragged far past the right end: the last position.
    RECT rt;
    SendMessageW(hTb, TBM_GETTHUMBRECT, 0, (LPARAM)&rt);
    MapWindowPoints(hTb, nullptr, (POINT*)&rt, 2);
    POINT thumb = {(rt.left + rt.right) / 2, (rt.top + rt.bottom) / 2};
    drag(thumb, {thumb.x + 400, thumb.y + 60});
    EXPECT_EQ(SendMessageW(hTb, TBM_GETPOS, 0, 0), 4);
    EXPECT_EQ(GetCapture(), nullptr);
    // The column's divider, dragged 30 pixels right, then 50 left.
    POINT divider = {10, 5};
    ClientToScreen(hLv, &divider);
    divider.x += 80 - 10;
    drag(divider, {divider.x + 30, divider.y + 200});
    EXPECT_EQ(SendMessageW(hLv, LVM_GETCOLUMNWIDTH, 0, 0), 110);
    drag({divider.x + 30, divider.y}, {divider.x - 20, divider.y});
    EXPECT_EQ(SendMessageW(hLv, LVM_GETCOLUMNWIDTH, 0, 0), 60);
    EXPECT_EQ(GetCapture(), nullptr);
    PlatInputReset();
}

}  // namespace

#endif
