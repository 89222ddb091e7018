// Pictures of windows: a dialog painted through its own painting and
// written as a PNG, checked at a few pixels.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct DRAWN {
    int cCalls = 0;
    RECT rc = {};
    UINT uState = 0;
};
DRAWN g_drawn;

INT_PTR CALLBACK PaintProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        HWND hCombo = GetDlgItem(hDlg, 131);
        SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"A4"));
        SendMessageW(hCombo, CB_SETCURSEL, 0, 0);
        SendDlgItemMessageW(hDlg, 161, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Cover"));
        SendDlgItemMessageW(hDlg, 161, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Back"));
        SendDlgItemMessageW(hDlg, 161, LB_SETCURSEL, 1, 0);
        CheckDlgButton(hDlg, 301, BST_CHECKED);
        CheckRadioButton(hDlg, 311, 313, 312);
        SetDlgItemInt(hDlg, 141, 12, FALSE);
        return TRUE;
    }
    if (msg == WM_DRAWITEM && wParam == 344) {
        const DRAWITEMSTRUCT* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        ++g_drawn.cCalls;
        g_drawn.rc = d->rcItem;
        g_drawn.uState = d->itemState;
        return TRUE;
    }
    return FALSE;
}

// Pixels of a PNG file, read back with libpng.
struct PNGIMAGE {
    int cx = 0, cy = 0;
    std::vector<unsigned char> rgb;
    COLORREF At(int x, int y) const
    {
        size_t i = (static_cast<size_t>(y) * static_cast<size_t>(cx) + static_cast<size_t>(x)) * 3;
        return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
    }
};

bool ReadPng(const std::string& path, PNGIMAGE* p)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    p->cx = static_cast<int>(png_get_image_width(png, info));
    p->cy = static_cast<int>(png_get_image_height(png, info));
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB || png_get_bit_depth(png, info) != 8)
        return false;
    p->rgb.resize(static_cast<size_t>(p->cx) * static_cast<size_t>(p->cy) * 3);
    for (int y = 0; y < p->cy; ++y)
        png_read_row(png, p->rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(p->cx) * 3, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return true;
}

// The window rectangle of a control relative to its dialog's surface.
RECT InSurface(HWND hDlg, int id)
{
    RECT rd, rc;
    GetWindowRect(hDlg, &rd);
    GetWindowRect(GetDlgItem(hDlg, id), &rc);
    OffsetRect(&rc, -rd.left, -rd.top);
    return rc;
}

bool IsInk(COLORREF c)
{
    return GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80;
}

TEST(Render, DialogPngShowsChecksDisabledTextAndOwnerDraw)
{
    g_drawn = DRAWN();
    HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), nullptr, PaintProc, 0);
    ASSERT_NE(h, nullptr);
    ShowWindow(h, SW_SHOW);
    std::string path = TestRootFile("finishing.png");
    ASSERT_TRUE(PlatWriteWindowPng(h, path.c_str()));
    PNGIMAGE img;
    ASSERT_TRUE(ReadPng(path, &img));
    RECT rw;
    GetWindowRect(h, &rw);
    EXPECT_EQ(img.cx, rw.right - rw.left);
    EXPECT_EQ(img.cy, rw.bottom - rw.top);

    // The owner-drawn 1 x 1 button was asked to draw itself, at 1 x 1.
    EXPECT_GE(g_drawn.cCalls, 1);
    EXPECT_EQ(g_drawn.rc.right - g_drawn.rc.left, 1);
    EXPECT_EQ(g_drawn.rc.bottom - g_drawn.rc.top, 1);

    // The checked box has ink inside its white square; the unchecked one
    // (disabled, so its square is grey) has none.
    auto inkInBox = [&](int id) {
        RECT r = InSurface(h, id);
        int y0 = r.top + (r.bottom - r.top - 13) / 2;
        int n = 0;
        for (int y = y0 + 3; y < y0 + 10; ++y)
            for (int x = r.left + 3; x < r.left + 10; ++x)
                n += IsInk(img.At(x, y));
        return n;
    };
    EXPECT_GT(inkInBox(301), 5);
    EXPECT_EQ(inkInBox(302), 0);

    // Disabled text is grey: the label's pixels are grey or background,
    // never black.
    RECT rt = InSurface(h, 151);
    int nGrey = 0, nBlack = 0;
    for (int y = rt.top; y < rt.bottom; ++y)
        for (int x = rt.left; x < rt.right; ++x) {
            COLORREF c = img.At(x, y);
            nBlack += IsInk(c);
            nGrey += c == GetSysColor(COLOR_GRAYTEXT);
        }
    EXPECT_EQ(nBlack, 0);
    EXPECT_GT(nGrey, 5);

    // The dialog face is the button face, and the selected list item wears
    // the highlight.
    EXPECT_EQ(img.At(rw.right - rw.left - 12, (rw.bottom - rw.top) / 2), GetSysColor(COLOR_BTNFACE));
    RECT ri;
    ASSERT_NE(SendDlgItemMessageW(h, 161, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&ri)), LB_ERR);
    POINT pt = {ri.right - 4, (ri.top + ri.bottom) / 2};
    ClientToScreen(GetDlgItem(h, 161), &pt);
    EXPECT_EQ(PlatGetWindowPixel(h, pt.x - rw.left, pt.y - rw.top), GetSysColor(COLOR_HIGHLIGHT));
    DestroyWindow(h);
}

// The surface's pixels as 0x00RRGGBB.
std::vector<DWORD> Surface(HWND h)
{
    RECT rw;
    GetWindowRect(h, &rw);
    LONG cx = rw.right - rw.left, cy = rw.bottom - rw.top;
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(static_cast<size_t>(cx) * static_cast<size_t>(cy));
    HDC hdc = CreateCompatibleDC(nullptr);
    int n = GetDIBits(hdc, PlatGetWindowSurface(h), 0, static_cast<UINT>(cy), px.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(hdc);
    if (n <= 0)
        px.clear();
    for (DWORD& v : px)
        v &= 0xFFFFFF;
    return px;
}

// What a change paints again, and only that, leaves the dialog as it looks
// painted whole: the controls under the parts the dialog paints again (all
// of them, between two parts far apart too), those inside a group box
// painted again, a box enabled, a field written.
TEST(Render, AChangePaintedAloneLooksAsThePaintedWhole)
{
    struct Case {
        const char* what;
        void (*change)(HWND);
    } cases[] = {
        {"two small parts of the dialog far apart, controls between them",
         [](HWND h) {
             RECT a = InSurface(h, 301), b = InSurface(h, 161);
             RECT ra = {a.left, a.top, a.left + 4, a.top + 4};
             RECT rb = {b.right - 4, b.bottom - 4, b.right, b.bottom};
             // In client coordinates of the dialog.
             POINT o = {0, 0};
             ClientToScreen(h, &o);
             RECT rw;
             GetWindowRect(h, &rw);
             OffsetRect(&ra, rw.left - o.x, rw.top - o.y);
             OffsetRect(&rb, rw.left - o.x, rw.top - o.y);
             InvalidateRect(h, &ra, TRUE);
             InvalidateRect(h, &rb, TRUE);
         }},
        {"the group box painted again",
         [](HWND h) {
             for (HWND k = GetWindow(h, GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT))
                 if ((GetWindowLongW(k, GWL_STYLE) & 0xF) == BS_GROUPBOX)
                     InvalidateRect(k, nullptr, TRUE);
         }},
        {"a disabled box enabled", [](HWND h) { EnableWindow(GetDlgItem(h, 302), TRUE); }},
        {"a field's number written", [](HWND h) { SetDlgItemInt(h, 141, 345, FALSE); }},
    };
    for (const Case& c : cases) {
        HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), nullptr, PaintProc, 0);
        ASSERT_NE(h, nullptr);
        ShowWindow(h, SW_SHOW);
        ASSERT_TRUE(PlatRenderWindow(h));
        c.change(h);
        PlatPumpMessages();
        std::vector<DWORD> alone = Surface(h);
        ASSERT_TRUE(PlatRenderWindow(h));
        std::vector<DWORD> whole = Surface(h);
        ASSERT_FALSE(whole.empty());
        size_t cDiff = 0;
        for (size_t i = 0; i < whole.size() && i < alone.size(); ++i)
            cDiff += alone[i] != whole[i];
        EXPECT_EQ(cDiff, 0u) << c.what;
        DestroyWindow(h);
    }
}

TEST(Render, BadWindowsAndPathsFail)
{
    EXPECT_FALSE(PlatRenderWindow(reinterpret_cast<HWND>(9)));
    EXPECT_FALSE(PlatWriteWindowPng(reinterpret_cast<HWND>(9), "/tmp/x.png"));
    HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(300), nullptr, PaintProc, 0);
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(PlatWriteWindowPng(h, "/nonexistent-folder/x.png"));
    DestroyWindow(h);
}

}  // namespace
