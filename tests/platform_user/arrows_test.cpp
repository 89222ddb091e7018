// The arrows of scroll bars and up-down controls point the way they
// scroll: the tip is one pixel, the base seven.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Inked pixels of each column (horizontal arrows) or row (vertical ones)
// of an arrow drawn in a 15 x 15 button, from left or top.
std::vector<int> Profile(UINT uKind, bool bColumns)
{
    HDC hdc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 15, -15, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HBITMAP hbm = CreateBitmap(15, 15, 1, 32, nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    RECT rc = {0, 0, 15, 15};
    EXPECT_TRUE(DrawFrameControl(hdc, &rc, DFC_SCROLL, uKind));
    SelectObject(hdc, hOld);
    std::vector<DWORD> px(15 * 15);
    EXPECT_EQ(GetDIBits(hdc, hbm, 0, 15, px.data(), &bi, DIB_RGB_COLORS), 15);
    std::vector<int> v;
    for (int a = 0; a < 15; ++a) {
        int n = 0;
        for (int b = 3; b < 12; ++b) {
            DWORD d = bColumns ? px[b * 15 + a] : px[a * 15 + b];
            n += (d & 0xFFFFFF) == 0;  // the ink is black
        }
        if (n)
            v.push_back(n);
    }
    DeleteObject(hbm);
    DeleteDC(hdc);
    return v;
}

TEST(ScrollArrows, PointTheWayTheyScroll)
{
    const std::vector<int> kTipFirst = {1, 3, 5, 7}, kBaseFirst = {7, 5, 3, 1};
    EXPECT_EQ(Profile(DFCS_SCROLLLEFT, true), kTipFirst);
    EXPECT_EQ(Profile(DFCS_SCROLLRIGHT, true), kBaseFirst);
    EXPECT_EQ(Profile(DFCS_SCROLLUP, false), kTipFirst);
    EXPECT_EQ(Profile(DFCS_SCROLLDOWN, false), kBaseFirst);
}

}  // namespace
