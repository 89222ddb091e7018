// Engine surfaces, palettes and devices, and the application-side bitmaps.
#include "platform/windows.h"
#include "platform/gdi/winddi.h"
#include "platform/gdi/wingdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// Offsets the driver interface fixes (the driver copies these records bytewise).
static_assert(sizeof(void*) != 4 || sizeof(GDIINFO) == 304);
static_assert(offsetof(GDIINFO, ulLogPixelsX) == 40);
static_assert(offsetof(GDIINFO, ciDevice) == 108);
static_assert(offsetof(GDIINFO, ulHTPatternSize) == 236);
static_assert(offsetof(GDIINFO, flHTFlags) == 244);
static_assert(sizeof(void*) != 4 || sizeof(DEVINFO) == 300);
static_assert(sizeof(void*) != 4 || offsetof(DEVINFO, hpalDefault) == 292);
static_assert(sizeof(LOGFONTW) == 92);
static_assert(sizeof(void*) != 4 || sizeof(DRVENABLEDATA) == 12);

namespace {

struct BitmapCase {
    LONG cx, cy, lWidth;
    ULONG iFormat;
    FLONG fl;
    LONG lDeltaExpected;
    ULONG cjExpected;
};

class EngineBitmap : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(EngineBitmap, RowsUseTheGivenWidthAndOrder)
{
    const BitmapCase& c = GetParam();
    LONG before = PlatEngLiveObjects();
    HBITMAP hbm = EngCreateBitmap(SIZEL{c.cx, c.cy}, c.lWidth, c.iFormat, c.fl, nullptr);
    ASSERT_NE(hbm, nullptr);
    SURFOBJ* pso = EngLockSurface(reinterpret_cast<HSURF>(hbm));
    ASSERT_NE(pso, nullptr);
    EXPECT_EQ(pso->iType, STYPE_BITMAP);
    EXPECT_EQ(pso->lDelta, c.lDeltaExpected);
    EXPECT_EQ(pso->cjBits, c.cjExpected);
    BYTE* pFirstRow = static_cast<BYTE*>(pso->pvBits);
    BYTE* pTopRow = static_cast<BYTE*>(pso->pvScan0);
    if (c.fl & BMF_TOPDOWN)
        EXPECT_EQ(pTopRow, pFirstRow);
    else
        EXPECT_EQ(pTopRow, pFirstRow + (c.cy - 1) * (-c.lDeltaExpected));
    std::vector<BYTE> zero(c.cjExpected, 0);
    EXPECT_EQ(std::memcmp(pso->pvBits, zero.data(), c.cjExpected), 0);
    EngUnlockSurface(pso);
    EXPECT_TRUE(EngDeleteSurface(reinterpret_cast<HSURF>(hbm)));
    EXPECT_EQ(PlatEngLiveObjects(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineBitmap,
    ::testing::Values(BitmapCase{4800, 10, 14400, BMF_24BPP, BMF_TOPDOWN, 14400, 144000},
                      BitmapCase{17, 3, 3, BMF_1BPP, BMF_TOPDOWN, 3, 9},  // unpadded rows
                      BitmapCase{17, 3, 0, BMF_1BPP, BMF_TOPDOWN, 4, 12},  // default: 4-byte rows
                      BitmapCase{5, 2, 0, BMF_24BPP, 0, -16, 32}));        // bottom-up

TEST(EngineBitmapErrors, RefusesRowsTooShortAndUnknownFormats)
{
    EXPECT_EQ(EngCreateBitmap(SIZEL{100, 1}, 299, BMF_24BPP, BMF_TOPDOWN, nullptr), nullptr);
    EXPECT_EQ(EngCreateBitmap(SIZEL{100, 1}, 0, 99, BMF_TOPDOWN, nullptr), nullptr);
    EXPECT_EQ(EngCreateBitmap(SIZEL{0, 1}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr), nullptr);
}

TEST(EngineSurface, AssociationGivesTheDevicePdevAndHooks)
{
    int iPdev = 0;
    DHPDEV dhpdev = reinterpret_cast<DHPDEV>(&iPdev);
    HDEV hdev = PlatEngCreateDevice(dhpdev);
    HSURF hsurf = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(dhpdev), SIZEL{100, 200}, BMF_24BPP);
    ASSERT_NE(hsurf, nullptr);
    ASSERT_TRUE(EngAssociateSurface(hsurf, hdev, 0x24EB));
    FLONG flHooks = 0;
    BOOL bBanding = TRUE;
    ASSERT_TRUE(PlatEngQuerySurface(hsurf, &flHooks, &bBanding));
    EXPECT_EQ(flHooks, 0x24EBu);
    EXPECT_FALSE(bBanding);
    SURFOBJ* pso = EngLockSurface(hsurf);
    EXPECT_EQ(pso->iType, STYPE_DEVICE);
    EXPECT_EQ(pso->dhpdev, dhpdev);
    EXPECT_EQ(pso->hdev, hdev);
    EXPECT_EQ(pso->pvBits, nullptr);
    EngUnlockSurface(pso);
    EXPECT_TRUE(EngMarkBandingSurface(hsurf));
    PlatEngQuerySurface(hsurf, nullptr, &bBanding);
    EXPECT_TRUE(bBanding);
    EXPECT_TRUE(EngDeleteSurface(hsurf));
    PlatEngDeleteDevice(hdev);
}

TEST(EngineSurface, StaleHandlesAreRefused)
{
    HSURF hsurf = EngCreateDeviceSurface(nullptr, SIZEL{10, 10}, BMF_1BPP);
    ASSERT_TRUE(EngDeleteSurface(hsurf));
    EXPECT_FALSE(EngDeleteSurface(hsurf));
    EXPECT_EQ(EngLockSurface(hsurf), nullptr);
    EXPECT_FALSE(EngAssociateSurface(hsurf, nullptr, 0));
    EXPECT_FALSE(EngMarkBandingSurface(hsurf));
    HPALETTE hpal = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
    ASSERT_TRUE(EngDeletePalette(hpal));
    EXPECT_FALSE(EngDeletePalette(hpal));
}

TEST(EngineSurface, FailureSwitchFailsTheArmedCallsOnly)
{
    HSURF hsurf = EngCreateDeviceSurface(nullptr, SIZEL{10, 10}, BMF_1BPP);
    PlatEngFailAssociate(0x2);  // the second call from now
    EXPECT_TRUE(EngAssociateSurface(hsurf, nullptr, 1));
    EXPECT_FALSE(EngAssociateSurface(hsurf, nullptr, 2));
    EXPECT_TRUE(EngAssociateSurface(hsurf, nullptr, 3));
    EngDeleteSurface(hsurf);
}

TEST(EngineSurface, EraseFillsTheRectangleOnly)
{
    HBITMAP hbm = EngCreateBitmap(SIZEL{16, 2}, 2, BMF_1BPP, BMF_TOPDOWN, nullptr);
    SURFOBJ* pso = EngLockSurface(reinterpret_cast<HSURF>(hbm));
    RECTL rc = {4, 1, 12, 2};
    ASSERT_TRUE(EngEraseSurface(pso, &rc, 0xFFFFFFFF));
    const BYTE* pb = static_cast<const BYTE*>(pso->pvBits);
    EXPECT_EQ(pb[0], 0x00);
    EXPECT_EQ(pb[1], 0x00);
    EXPECT_EQ(pb[2], 0x0F);
    EXPECT_EQ(pb[3], 0xF0);
    EngUnlockSurface(pso);
    EngDeleteSurface(reinterpret_cast<HSURF>(hbm));
}

LONG One() { return 1; }

TEST(EngineHooks, FindHookLooksUpByIndexNotRow)
{
    DRVFN aRows[] = {{INDEX_DrvStartDoc, reinterpret_cast<PFN>(&One)},
                     {INDEX_DrvEnablePDEV, nullptr}};
    DRVENABLEDATA ded = {0x20000, 2, aRows};
    EXPECT_EQ(EngFindHook(&ded, INDEX_DrvStartDoc), reinterpret_cast<PFN>(&One));
    EXPECT_EQ(EngFindHook(&ded, INDEX_DrvEndDoc), nullptr);
}

struct DdbCase {
    int cx;
    UINT cBits;
    LONG cbWidthExpected;
};

class GdiBitmap : public ::testing::TestWithParam<DdbCase> {};

TEST_P(GdiBitmap, RowsArePaddedToWords)
{
    const DdbCase& c = GetParam();
    HBITMAP hbm = CreateBitmap(c.cx, 3, 1, c.cBits, nullptr);
    ASSERT_NE(hbm, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObjectW(hbm, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmWidth, c.cx);
    EXPECT_EQ(bm.bmHeight, 3);
    EXPECT_EQ(bm.bmWidthBytes, c.cbWidthExpected);
    EXPECT_EQ(bm.bmBitsPixel, c.cBits);
    EXPECT_EQ(bm.bmPlanes, 1);
    EXPECT_TRUE(DeleteObject(hbm));
}

INSTANTIATE_TEST_SUITE_P(Cases, GdiBitmap,
                         ::testing::Values(DdbCase{17, 1, 4}, DdbCase{16, 1, 2}, DdbCase{3, 24, 10},
                                           DdbCase{5, 8, 6}, DdbCase{1, 32, 4}));

TEST(GdiBitmapObjects, SelectionRulesAndLeaks)
{
    LONG before = PlatGdiLiveObjects();
    HDC hdcA = CreateCompatibleDC(nullptr);
    HDC hdcB = CreateCompatibleDC(nullptr);
    ASSERT_NE(hdcA, nullptr);
    EXPECT_EQ(GetObjectType(hdcA), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetDeviceCaps(hdcA, BITSPIXEL), 1);  // the stock 1 x 1 bitmap
    HBITMAP hbm = CreateBitmap(8, 8, 1, 24, nullptr);
    HGDIOBJ hOld = SelectObject(hdcA, hbm);
    EXPECT_NE(hOld, nullptr);
    EXPECT_EQ(GetDeviceCaps(hdcA, HORZRES), 8);
    EXPECT_EQ(GetDeviceCaps(hdcA, BITSPIXEL), 24);
    EXPECT_EQ(SelectObject(hdcB, hbm), nullptr);  // already in another DC
    EXPECT_FALSE(DeleteObject(hbm));              // still selected
    SelectObject(hdcA, hOld);
    EXPECT_TRUE(DeleteObject(hbm));
    EXPECT_EQ(GetObjectW(hbm, sizeof(BITMAP), nullptr), 0);
    EXPECT_TRUE(DeleteDC(hdcA));
    EXPECT_TRUE(DeleteDC(hdcB));
    EXPECT_FALSE(DeleteDC(hdcA));
    EXPECT_EQ(PlatGdiLiveObjects(), before);
}

TEST(GdiBitmapObjects, DibBottomUpRowsLandTopFirst)
{
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm24 = CreateBitmap(2, 2, 1, 24, nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hbm24);
    // A 2 x 2 24-bit DIB, bottom row first: bottom row blue, top row red.
    BITMAPINFO bmi = {};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const BYTE abBits[16] = {0xFF, 0, 0, 0xFF, 0, 0, 0, 0,   // bottom: blue, blue
                             0, 0, 0xFF, 0, 0, 0xFF, 0, 0};  // top: red, red
    HBITMAP hbm = CreateDIBitmap(hdc, &bmi.bmiHeader, CBM_INIT, abBits, &bmi, DIB_RGB_COLORS);
    ASSERT_NE(hbm, nullptr);
    HDC hdc2 = CreateCompatibleDC(nullptr);
    SelectObject(hdc2, hbm);
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc2);
    ASSERT_NE(pso, nullptr);
    const BYTE* pTop = static_cast<const BYTE*>(pso->pvScan0);
    const BYTE* pBottom = pTop + pso->lDelta;
    const BYTE abRed[3] = {0, 0, 0xFF};  // B, G, R
    const BYTE abBlue[3] = {0xFF, 0, 0};
    EXPECT_EQ(std::memcmp(pTop, abRed, 3), 0);
    EXPECT_EQ(std::memcmp(pBottom, abBlue, 3), 0);
    PlatGdiUnlockDCSurface(pso);
    DeleteDC(hdc2);
    DeleteObject(hbm);
    SelectObject(hdc, hOld);
    DeleteObject(hbm24);
    DeleteDC(hdc);
}

TEST(GdiBitmapObjects, ACoreHeaderDibTakesItsThreeByteColours)
{
    // 2 x 1, 1 bit, 12-byte header: colour 0 red, colour 1 blue; bits 01.
    struct {
        BITMAPCOREHEADER h;
        RGBTRIPLE colors[2];
    } dib = {{sizeof(BITMAPCOREHEADER), 2, 1, 1, 1}, {{0, 0, 0xFF}, {0xFF, 0, 0}}};
    const BYTE abBits[4] = {0x40, 0, 0, 0};
    const BITMAPINFO* pbmi = reinterpret_cast<const BITMAPINFO*>(&dib);
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm24 = CreateBitmap(2, 1, 1, 24, nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hbm24);
    HBITMAP hbm = CreateDIBitmap(hdc, &pbmi->bmiHeader, CBM_INIT, abBits, pbmi, DIB_RGB_COLORS);
    ASSERT_NE(hbm, nullptr);
    HDC hdc2 = CreateCompatibleDC(nullptr);
    SelectObject(hdc2, hbm);
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc2);
    ASSERT_NE(pso, nullptr);
    const BYTE abRedBlue[6] = {0, 0, 0xFF, 0xFF, 0, 0};  // B, G, R twice
    EXPECT_EQ(std::memcmp(pso->pvScan0, abRedBlue, 6), 0);
    PlatGdiUnlockDCSurface(pso);
    DeleteDC(hdc2);
    DeleteObject(hbm);
    SelectObject(hdc, hOld);
    DeleteObject(hbm24);
    DeleteDC(hdc);
}

TEST(GdiPrinterDC, UnknownPrinterGivesNoDC)
{
    EXPECT_EQ(CreateDCW(nullptr, u"No Such Printer", nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateDCW(nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(StartPage(nullptr), SP_ERROR);
    EXPECT_EQ(ExtEscape(nullptr, QUERYESCSUPPORT, 0, nullptr, 0, nullptr), 0);
}

}  // namespace
