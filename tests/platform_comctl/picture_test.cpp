// A property sheet drawn as a person sees it: frame, tab row, the page
// with its controls, and the buttons, written to a PNG and checked at a
// few pixels.
// The controls need the window manager; without it there is nothing to test.
// (platform/windows.h first: the build sees the guard change with it.)
#include "platform/windows.h"
#if __has_include("platform/user/winuser.h")
#include "tests/common/testroot.h"
#include "tests/platform_comctl/sheet_fixture.h"

#include <gtest/gtest.h>

namespace {

INT_PTR CALLBACK _RichPage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    CheckDlgButton(hwnd, 13, BST_CHECKED);
    HWND hTb = GetDlgItem(hwnd, 14);
    SendMessageW(hTb, TBM_SETRANGE, FALSE, MAKELONG((WORD)-2, 2));
    SendMessageW(hTb, TBM_SETPOS, TRUE, 1);
    SendDlgItemMessageW(hwnd, 12, UDM_SETRANGE, 0, MAKELONG(999, 1));
    SendDlgItemMessageW(hwnd, 12, UDM_SETPOS, 0, 3);
    HWND hLv = GetDlgItem(hwnd, 15);
    LVCOLUMNW c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.cx = 120;
    c.pszText = const_cast<LPWSTR>(u"Form file");
    SendMessageW(hLv, LVM_INSERTCOLUMNW, 0, (LPARAM)&c);
    c.cx = 100;
    c.pszText = const_cast<LPWSTR>(u"Date");
    SendMessageW(hLv, LVM_INSERTCOLUMNW, 1, (LPARAM)&c);
    const char16_t* rows[] = {u"letterhead.xfo", u"invoice.xfo", u"memo.xfo"};
    for (int i = 0; i < 3; ++i) {
        LVITEMW it = {};
        it.mask = LVIF_TEXT;
        it.iItem = i;
        it.pszText = const_cast<LPWSTR>(rows[i]);
        SendMessageW(hLv, LVM_INSERTITEMW, 0, (LPARAM)&it);
        LVITEMW sub = {};
        sub.iSubItem = 1;
        sub.pszText = const_cast<LPWSTR>(u"08/05/21");
        SendMessageW(hLv, LVM_SETITEMTEXTW, i, (LPARAM)&sub);
    }
    LVITEMW st = {};
    st.state = st.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hLv, LVM_SETITEMSTATE, 1, (LPARAM)&st);
    return TRUE;
}

TEST(SheetPicture, FrameTabsPageAndButtonsAreDrawn)
{
    HPROPSHEETPAGE pages[2];
    const char16_t* titles[] = {u"Setup", u"Finishing"};
    for (int i = 0; i < 2; ++i) {
        PROPSHEETPAGEW psp = {};
        psp.dwSize = sizeof(psp);
        psp.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE | PSP_HASHELP;
        psp.pResource = RichPageTemplate();
        psp.pszTitle = titles[i];
        psp.pfnDlgProc = _RichPage;
        pages[i] = CreatePropertySheetPageW(&psp);
    }
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | PSH_PROPTITLE;
    psh.pszCaption = u"Office Printer";
    psh.nPages = 2;
    psh.phpage = pages;
    HWND hSheet = reinterpret_cast<HWND>(PropertySheetW(&psh));
    ASSERT_NE(hSheet, nullptr);
    std::string png = TestRootFile("sheet.png");
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, png.c_str()));

    // The Apply button is there and greyed; OK is not.
    HWND hOK = GetDlgItem(hSheet, IDOK);
    HWND hApply = GetDlgItem(hSheet, IDC_PSAPPLYNOW);
    ASSERT_TRUE(hOK && hApply);
    EXPECT_FALSE(IsWindowEnabled(hApply));

    // Pixels, in the sheet's own coordinates: the page area is button face,
    // the selected list row carries the highlight (or the inactive face).
    RECT rw, rl;
    GetWindowRect(hSheet, &rw);
    HWND hPage = PropSheet_GetCurrentPageHwnd(hSheet);
    HWND hLv = GetDlgItem(hPage, 15);
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(hLv, LVM_GETITEMRECT, 1, (LPARAM)&row);
    GetWindowRect(hLv, &rl);
    int x = rl.left - rw.left + row.left + 3 + 2;
    int y = rl.top - rw.top + (row.top + row.bottom) / 2 + 2;
    COLORREF sel = PlatGetWindowPixel(hSheet, x, y);
    EXPECT_TRUE(sel == GetSysColor(COLOR_HIGHLIGHT) || sel == GetSysColor(COLOR_BTNFACE) ||
                sel == GetSysColor(COLOR_HIGHLIGHTTEXT) || sel == GetSysColor(COLOR_WINDOWTEXT))
        << std::hex << sel;
    RECT rp;
    GetWindowRect(hPage, &rp);
    EXPECT_EQ(PlatGetWindowPixel(hSheet, rp.right - rw.left - 3, rp.bottom - rw.top - 3), GetSysColor(COLOR_BTNFACE));
    DestroyWindow(hSheet);
}

}  // namespace

#endif
