// Pictures of the library dialogs and of the Save/Recall menu, written for
// a person to look at, with what must show in them.
#include "tests/ui_library/library_fixture.h"

#include "ui/dialogs/preview.h"

namespace {

class Pictures : public LibraryTest {
protected:
    HWND Open(int id, DLGPROC proc)
    {
        HWND h = CreateDialogParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(id), hwnd, proc, (LPARAM)pObj);
        if (h)
            ShowWindow(h, SW_SHOW);
        return h;
    }
    void Close(HWND h)
    {
        if (IsWindow(h))
            SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
        if (IsWindow(h))
            DestroyWindow(h);
    }
    std::u16string Text(HWND h, int id)
    {
        WCHAR sz[4096] = {};
        GetDlgItemTextW(h, id, sz, 4096);
        return sz;
    }
};

TEST_F(Pictures, LibraryDialogs)
{
    Set(103, 2);
    AddEntry(u"Monthly report", u"Sales figures by region");
    AddEntry(u"Draft");
    struct Case {
        int id;
        DLGPROC proc;
        const char* name;
        int idEdit;
        int idName;
    } cases[] = {
        {IDD_USET_SAVE, SaveSettingsDlgProc, "uset_save", IDC_SUMMARY_SAVE_EDIT, 0},
        {IDD_USET_RECALL, RecallSettingsDlgProc, "uset_recall", IDC_SUMMARY_RECALL_EDIT, IDC_RECALL_NAME},
        {IDD_USET_ORGANIZE, OrganizeLibraryDlgProc, "uset_organize", IDC_SUMMARY_ORGANIZE_EDIT, IDC_ORG_NAME},
    };
    for (const Case& c : cases) {
        HWND h = Open(c.id, c.proc);
        ASSERT_NE(nullptr, h) << c.name;
        // The summary shows the first tab, the list both entries.
        EXPECT_EQ(0u, Text(h, c.idEdit).find(Res(20000))) << c.name;
        if (getenv("Q730_DUMP_SUMMARY"))
            printf("%s\n", Narrow(Text(h, c.idEdit)).c_str());
        EXPECT_EQ(2, SendDlgItemMessageW(h, c.id + 3, LB_GETCOUNT, 0, 0)) << c.name;
        if (c.idName) {
            EXPECT_EQ(u"Monthly report", Text(h, c.idName)) << c.name;
        }
        EXPECT_TRUE(PlatWriteWindowPng(h, PicturePath(c.name).c_str()));
        // The device tab.
        EXPECT_TRUE(PlatScriptPickTab(h, c.id == IDD_USET_SAVE ? 2700 : c.id == IDD_USET_RECALL ? 2702 : 2704,
                                      nullptr, nullptr, 6))
            << Narrow(PlatScriptError());
        EXPECT_TRUE(PlatWriteWindowPng(h, PicturePath(std::string(c.name) + "_tab6").c_str()));
        Close(h);
    }
    HWND h = CreateDialogParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_DETAIL), hwnd,
                                RecallDetailDlgProc, (LPARAM)pObj);
    ASSERT_NE(nullptr, h);
    EXPECT_TRUE(PlatWriteWindowPng(h, PicturePath("uset_detail").c_str()));
    Close(h);
}

// The menu's items drawn one under another as the pop-up shows them.
LRESULT CALLBACK MenuPictureProc(HWND h, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(h, &ps);
        HMENU hMenu = (HMENU)GetWindowLongPtrW(h, GWLP_USERDATA);
        RECT rcAll;
        GetClientRect(h, &rcAll);
        FillRect(hdc, &rcAll, GetSysColorBrush(COLOR_MENU));
        int y = 0;
        for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
            MENUITEMINFOW mii = {};
            mii.cbSize = sizeof(mii);
            mii.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE | MIIM_STATE;
            GetMenuItemInfoW(hMenu, i, TRUE, &mii);
            if (mii.fType & MFT_SEPARATOR) {
                RECT rc = {2, y + 3, rcAll.right - 2, y + 4};
                FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNSHADOW));
                y += 8;
                continue;
            }
            DRAWITEMSTRUCT dis = {};
            dis.CtlType = ODT_MENU;
            dis.itemID = mii.wID;
            dis.itemState = i == 7 ? ODS_SELECTED : 0;
            dis.hDC = hdc;
            dis.rcItem = {0, y, rcAll.right, y + 20};
            dis.itemData = mii.dwItemData;
            DrawSaveRecallMenuItem(&dis);
            y += 20;
        }
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, uMsg, wParam, lParam);
}

TEST_F(Pictures, SaveRecallMenu)
{
    AddEntry(u"Monthly report");
    AddEntry(u"Draft");
    HMENU hMenu = BuildSaveRecallMenu(pObj);
    ASSERT_NE(nullptr, hMenu);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MenuPictureProc;
    wc.lpszClassName = u"Q730MenuPicture";
    RegisterClassW(&wc);
    int cx = 0, cy = 0;
    for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE;
        GetMenuItemInfoW(hMenu, i, TRUE, &mii);
        if (mii.fType & MFT_SEPARATOR) {
            cy += 8;
            continue;
        }
        MEASUREITEMSTRUCT mis = {ODT_MENU, 0, mii.wID, 0, 0, mii.dwItemData};
        ASSERT_TRUE(MeasureSaveRecallMenuItem(hwnd, &mis));
        EXPECT_EQ(20u, mis.itemHeight);
        cx = std::max(cx, (int)mis.itemWidth + 4);
        cy += (int)mis.itemHeight;
    }
    HWND h = CreateWindowExW(0, u"Q730MenuPicture", u"", WS_POPUP | WS_BORDER | WS_VISIBLE, 10, 10, cx + 2, cy + 2,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, h);
    SetWindowLongPtrW(h, GWLP_USERDATA, (LONG_PTR)hMenu);
    EXPECT_TRUE(PlatWriteWindowPng(h, PicturePath("uset_menu").c_str()));
    DestroyWindow(h);
    DestroyMenu(hMenu);
}


// The icon pane (control 167) of each library dialog shows, inside the
// control, the pane as the preview painter draws it for the same settings:
// covers, output mode and the bottom row too. (Secure print stays off: the
// save dialog shows the settings as a file keeps them, without it.)
TEST_F(Pictures, IconPaneOfEachLibraryDialogLiesInsideItsControl)
{
    for (const char16_t* key : {u"Front_Check", u"POD_Check", u"ImageShift_Check"}) {
        SetParamEdited(pObj, GetParamIdOfKey(key), 1);
        SetParamCommitted(pObj, GetParamIdOfKey(key), 1);
    }
    SetParamEdited(pObj, GetParamIdOfKey(u"lpFrontCover"), 3);
    AddEntry(u"Cover and image shift");
    const struct {
        int id;
        DLGPROC proc;
        const char* name;
    } cases[] = {
        {IDD_USET_SAVE, SaveSettingsDlgProc, "save"},
        {IDD_USET_RECALL, RecallSettingsDlgProc, "recall"},
        {IDD_USET_ORGANIZE, OrganizeLibraryDlgProc, "organize"},
    };
    for (const auto& c : cases) {
        HWND h = Open(c.id, c.proc);
        ASSERT_NE(nullptr, h) << c.name;
        HWND hPane = GetDlgItem(h, 167);
        ASSERT_NE(nullptr, hPane) << c.name;
        ASSERT_TRUE(PlatRenderWindow(h));
        RECT rc, rcTop;
        GetWindowRect(hPane, &rc);
        GetWindowRect(h, &rcTop);
        const int w = rc.right - rc.left, hh = rc.bottom - rc.top;
        // What the painter draws at origin 0.
        HDC hdc = CreateCompatibleDC(nullptr);
        HBITMAP hbm = CreateBitmap(w, hh, 1, 32, nullptr);
        HGDIOBJ hOld = SelectObject(hdc, hbm);
        RECT rcItem = {0, 0, w, hh};
        PaintSettingIconPanel(hdc, &rcItem, pObj);
        SelectObject(hdc, hOld);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -hh, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> want((size_t)w * hh);
        EXPECT_GT(GetDIBits(hdc, hbm, 0, (UINT)hh, want.data(), &bi, DIB_RGB_COLORS), 0);
        DeleteObject(hbm);
        // What the dialog shows.
        const LONG cx = rcTop.right - rcTop.left, cy = rcTop.bottom - rcTop.top;
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> all((size_t)cx * cy);
        EXPECT_GT(GetDIBits(hdc, PlatGetWindowSurface(h), 0, (UINT)cy, all.data(), &bi, DIB_RGB_COLORS), 0);
        DeleteDC(hdc);
        int cInkBelow = 0, cWrong = 0;
        for (int y = 0; y < hh; ++y)
            for (int x = 0; x < w; ++x) {
                DWORD a = want[(size_t)y * w + x] & 0xFFFFFF;
                DWORD b = all[(size_t)(rc.top - rcTop.top + y) * cx + (rc.left - rcTop.left + x)] & 0xFFFFFF;
                cWrong += a != b;
                cInkBelow += y >= 44 && y < hh - 2 && x >= 2 && x < w - 2 && a != 0xFFFFFF;
            }
        EXPECT_GT(cInkBelow, 20) << c.name;
        EXPECT_EQ(cWrong, 0) << c.name;
        Close(h);
    }
}

// Confidential print never comes from a settings file: a file that says it
// is on (written elsewhere, or edited by hand) shows it off in the recall
// and organize dialogs, as the save dialog shows what a file keeps, and the
// live settings keep their own.
TEST_F(Pictures, ConfidentialPrintShowsOffInEveryLibraryDialog)
{
    const WORD wPassword = GetParamIdOfKey(u"Password_Check");
    SetParamEdited(pObj, wPassword, 1);
    SetParamCommitted(pObj, wPassword, 1);
    AddEntry(u"Secure");
    // The pane as the painter draws it, with confidential print on and off.
    auto paint = [&](int w, int h, SHORT sPassword) {
        SetParamEdited(pObj, wPassword, sPassword);
        HDC hdc = CreateCompatibleDC(nullptr);
        HBITMAP hbm = CreateBitmap(w, h, 1, 32, nullptr);
        HGDIOBJ hOld = SelectObject(hdc, hbm);
        RECT rcItem = {0, 0, w, h};
        PaintSettingIconPanel(hdc, &rcItem, pObj);
        SelectObject(hdc, hOld);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> px((size_t)w * h);
        EXPECT_GT(GetDIBits(hdc, hbm, 0, (UINT)h, px.data(), &bi, DIB_RGB_COLORS), 0);
        DeleteObject(hbm);
        DeleteDC(hdc);
        for (DWORD& d : px)
            d &= 0xFFFFFF;
        SetParamEdited(pObj, wPassword, 1);
        return px;
    };
    const struct {
        int id;
        DLGPROC proc;
        const char* name;
    } cases[] = {
        {IDD_USET_SAVE, SaveSettingsDlgProc, "save"},
        {IDD_USET_RECALL, RecallSettingsDlgProc, "recall"},
        {IDD_USET_ORGANIZE, OrganizeLibraryDlgProc, "organize"},
    };
    for (const auto& c : cases) {
        PlatMsgBoxReset();
        HWND h = Open(c.id, c.proc);
        ASSERT_NE(nullptr, h) << c.name;
        HWND hPane = GetDlgItem(h, 167);
        ASSERT_NE(nullptr, hPane) << c.name;
        ASSERT_TRUE(PlatRenderWindow(h));
        RECT rc, rcTop;
        GetWindowRect(hPane, &rc);
        GetWindowRect(h, &rcTop);
        const int w = rc.right - rc.left, hh = rc.bottom - rc.top;
        const std::vector<DWORD> off = paint(w, hh, 0), on = paint(w, hh, 1);
        ASSERT_NE(off, on);
        const LONG cx = rcTop.right - rcTop.left, cy = rcTop.bottom - rcTop.top;
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> all((size_t)cx * cy);
        HDC hdc = CreateCompatibleDC(nullptr);
        EXPECT_GT(GetDIBits(hdc, PlatGetWindowSurface(h), 0, (UINT)cy, all.data(), &bi, DIB_RGB_COLORS), 0);
        DeleteDC(hdc);
        std::vector<DWORD> shown;
        for (int y = 0; y < hh; ++y)
            for (int x = 0; x < w; ++x)
                shown.push_back(all[(size_t)(rc.top - rcTop.top + y) * cx + (rc.left - rcTop.left + x)] & 0xFFFFFF);
        EXPECT_TRUE(shown == off) << c.name << ": confidential print shows on";
        Close(h);
    }
    EXPECT_EQ(GetParamEdited(pObj, wPassword), 1) << "the live settings keep theirs";
}

}  // namespace
