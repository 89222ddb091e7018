// Reading bitmaps back as device-independent bitmaps (GetDIBits).
#include "platform/windows.h"
#include "platform/gdi/gditext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A 10 x 4 one-bit bitmap (1 = white) whose row y has its first y + 1
// pixels black.
HBITMAP Staircase()
{
    std::vector<BYTE> bits(2 * 4, 0xFF);  // rows of 16 bits
    for (int y = 0; y < 4; y++)
        for (int x = 0; x <= y; x++)
            bits[y * 2 + x / 8] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
    return CreateBitmap(10, 4, 1, 1, bits.data());
}

struct DibInfo {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
};

struct DibCase {
    WORD cBits;
    LONG lHeight;       // positive: bottom-up
    UINT start;
    UINT cLines;
    int iExpected;      // lines copied
    // Bytes of the first DIB row, and of its colour table's first two
    // entries (blue, green, red, 0) for tables.
    std::vector<BYTE> firstRow;
};

class DibRead : public ::testing::TestWithParam<DibCase> {};

TEST_P(DibRead, RowsComeInTheOrderAndFormatAsked)
{
    const DibCase& c = GetParam();
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm = Staircase();
    DibInfo bi;
    std::memset(&bi, 0, sizeof(bi));
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = 10;
    bi.h.biHeight = c.lHeight;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = c.cBits;
    bi.h.biCompression = BI_RGB;
    LONG cbRow = (10 * c.cBits + 31) / 32 * 4;
    std::vector<BYTE> bits(static_cast<size_t>(cbRow) * 4, 0xAA);
    EXPECT_EQ(GetDIBits(hdc, hbm, c.start, c.cLines, bits.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                        DIB_RGB_COLORS),
              c.iExpected);
    EXPECT_EQ(std::vector<BYTE>(bits.begin(), bits.begin() + static_cast<long>(c.firstRow.size())),
              c.firstRow);
    if (c.cBits == 1) {
        EXPECT_EQ(bi.colors[0].rgbRed, 0);
        EXPECT_EQ(bi.colors[1].rgbRed, 255);
        EXPECT_EQ(bi.colors[1].rgbBlue, 255);
    }
    DeleteObject(hbm);
    DeleteDC(hdc);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DibRead,
    ::testing::Values(
        // Bottom-up: the first row is the bitmap's last (four black pixels).
        DibCase{1, 4, 0, 4, 4, {0x0F, 0xC0, 0x00, 0x00}},
        // Top-down: the first row is the bitmap's first (one black pixel).
        DibCase{1, -4, 0, 4, 4, {0x7F, 0xC0, 0x00, 0x00}},
        // Starting at line 2 of a bottom-up DIB: the bitmap's second row.
        DibCase{1, 4, 2, 2, 2, {0x3F, 0xC0, 0x00, 0x00}},
        // More lines than the bitmap has: only those that exist.
        DibCase{1, 4, 3, 5, 1, {0x7F, 0xC0, 0x00, 0x00}},
        // 24 bits: black then white pixels, blue, green, red.
        DibCase{24, -4, 0, 1, 1, {0, 0, 0, 0xFF, 0xFF, 0xFF}}));

TEST(DibRead, NullBitsFillInTheHeader)
{
    HBITMAP hbm = Staircase();
    DibInfo bi;
    std::memset(&bi, 0, sizeof(bi));
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_NE(GetDIBits(nullptr, hbm, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS), 0);
    EXPECT_EQ(bi.h.biWidth, 10);
    EXPECT_EQ(bi.h.biHeight, 4);
    EXPECT_EQ(bi.h.biBitCount, 1);
    EXPECT_EQ(bi.h.biSizeImage, 16u);
    DeleteObject(hbm);
}

TEST(DibRead, BadArgumentsFail)
{
    HBITMAP hbm = Staircase();
    DibInfo bi;
    std::memset(&bi, 0, sizeof(bi));
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = 10;
    bi.h.biHeight = 4;
    bi.h.biBitCount = 3;  // no such depth
    BYTE bits[64];
    EXPECT_EQ(GetDIBits(nullptr, hbm, 0, 4, bits, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(nullptr, nullptr, 0, 4, bits, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS), 0);
    DeleteObject(hbm);
}

}  // namespace
