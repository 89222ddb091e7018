// The icons of message boxes: each kind draws its own picture in its own
// colour (a red sign for an error, a yellow triangle for a warning, blue
// signs for a question and for information), a box without one has none.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// What the box looked like while it was open: the colours of the square
// left of its text, where the icon goes, and how many pixels of each.
struct SEEN {
    std::vector<COLORREF> pixels;
};

void Look(HWND hwnd, void* pv)
{
    SEEN* s = static_cast<SEEN*>(pv);
    PlatRenderWindow(hwnd);
    RECT rcWindow = {}, rcClient = {};
    GetWindowRect(hwnd, &rcWindow);
    GetClientRect(hwnd, &rcClient);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    int dx = origin.x - rcWindow.left, dy = origin.y - rcWindow.top;
    // The icon sits in the box's top left corner, 10 dialog units in.
    RECT rcIcon = {10, 10, 30, 30};
    MapDialogRect(hwnd, &rcIcon);
    for (int y = rcIcon.top; y < rcIcon.top + 32; ++y)
        for (int x = rcIcon.left; x < rcIcon.left + 32; ++x)
            s->pixels.push_back(PlatGetWindowPixel(hwnd, dx + x, dy + y));
}

int Count(const std::vector<COLORREF>& pixels, bool (*pred)(COLORREF))
{
    int n = 0;
    for (COLORREF c : pixels)
        n += pred(c) ? 1 : 0;
    return n;
}

bool IsRed(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 90 && GetBValue(c) < 90; }
bool IsYellow(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) > 150 && GetBValue(c) < 80; }
bool IsBlue(COLORREF c) { return GetBValue(c) > 150 && GetRValue(c) < 90 && GetGValue(c) < 140; }
bool IsWhite(COLORREF c) { return c == RGB(255, 255, 255); }
bool IsBlack(COLORREF c) { return c == RGB(0, 0, 0); }

SEEN Show(UINT uType)
{
    SEEN seen;
    PlatSetModalLoopHook(Look, &seen);
    MessageBoxW(nullptr, u"A line of text beside the icon.", u"Box", uType);
    PlatSetModalLoopHook(nullptr, nullptr);
    return seen;
}

TEST(MessageBoxIcon, EachKindDrawsItsOwnPicture)
{
    const int kArea = 32 * 32;
    struct CASE {
        UINT uType;
        bool (*pfnMain)(COLORREF);  // the sign's colour
        bool (*pfnMark)(COLORREF);  // the mark on it
    } cases[] = {
        {MB_ICONERROR, IsRed, IsWhite},
        {MB_ICONWARNING, IsYellow, IsBlack},
        {MB_ICONQUESTION | MB_YESNO, IsBlue, IsWhite},
        {MB_ICONINFORMATION, IsBlue, IsWhite},
    };
    std::vector<std::vector<COLORREF>> pictures;
    for (const CASE& c : cases) {
        SEEN seen = Show(c.uType);
        ASSERT_EQ(seen.pixels.size(), (size_t)kArea) << c.uType;
        // Much of the square is the sign; a mark of the other colour lies on it.
        EXPECT_GT(Count(seen.pixels, c.pfnMain), kArea / 6) << std::hex << c.uType;
        EXPECT_GT(Count(seen.pixels, c.pfnMark), 20) << std::hex << c.uType;
        pictures.push_back(seen.pixels);
    }
    // The question mark and the "i" are different pictures.
    EXPECT_NE(pictures[2], pictures[3]);
    // A box without an icon leaves the square to the face colour and its text.
    SEEN plain = Show(MB_OK);
    EXPECT_EQ(Count(plain.pixels, IsRed) + Count(plain.pixels, IsYellow) + Count(plain.pixels, IsBlue), 0);
}

}  // namespace
