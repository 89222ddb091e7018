// Where the watermark text lands on the page, and the font it is drawn in.
#include <gtest/gtest.h>

#include <cstring>

#include "ui/driverui/pagehooks.h"

namespace {

// A 600 dpi page: printable area 4800 x 6800 dots at (100, 120), output
// paper 4960 x 7016 dots.
DRVDEVMODE PageDevmode()
{
    DRVDEVMODE dm;
    memset(&dm, 0, sizeof(dm));
    dm.ui.dmMirror.dmPrintQuality = 600;
    dm.ui.dmMirror.dmYResolution = 600;
    dm.ui.rcPrintDots = RECTL{100, 120, 4900, 6920};
    dm.ui.rcOutPrintDots = RECTL{0, 0, 4960, 7016};
    return dm;
}

struct PlaceCase {
    const char* pszName;
    int iOrientation;
    LONG lAngle;
    LONG lOffsetX, lOffsetY;  // 1/10 mm
    BYTE bZoomCheck;
    SHORT sZoom;
    LONG cxPage, cyPage;       // expected clip size
    LONG x, y;                 // expected bottom centre
};

class WatermarkPlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(WatermarkPlace, CentresTheTextAndKeepsItOnThePaper)
{
    const PlaceCase& c = GetParam();
    DRVDEVMODE dm = PageDevmode();
    dm.ui.ZoomCheck = c.bZoomCheck;
    dm.ui.Zoom = c.sZoom;
    WMDRAWINFO info = {};
    info.lAngle = c.lAngle;
    info.lOffsetX = c.lOffsetX;
    info.lOffsetY = c.lOffsetY;
    SIZE size = {-1, -1};
    POINT pt = {-1, -1};
    // A text 100 dots high: half of it moves the bottom centre away from
    // the point the text is centred on.
    PlaceWatermark(&dm, c.iOrientation, 100, &info, &size, &pt);
    EXPECT_EQ(size.cx, c.cxPage);
    EXPECT_EQ(size.cy, c.cyPage);
    EXPECT_EQ(pt.x, c.x);
    EXPECT_EQ(pt.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WatermarkPlace,
    ::testing::Values(
        PlaceCase{"Upright", 1, 0, 0, 0, 0, 100, 4800, 6800, 2400, 3450},
        PlaceCase{"QuarterTurn", 1, 900, 0, 0, 0, 100, 4800, 6800, 2450, 3400},
        // sin 45 = 11585 / 16384: 50 x 7070 / 10000 = 35 either way.
        PlaceCase{"Diagonal", 1, 450, 0, 0, 0, 100, 4800, 6800, 2435, 3435},
        // 10 mm right and 20 mm up at 600 dpi: 236 and -472 dots.
        PlaceCase{"Offsets", 1, 0, 100, -200, 0, 100, 4800, 6800, 2636, 2978},
        PlaceCase{"Landscape", 2, 0, 0, 0, 0, 100, 6800, 4800, 3400, 2450},
        PlaceCase{"ClampedToThePaper", 1, 0, 5000, -5000, 0, 100, 4800, 6800, 4960, 0},
        // Zoomed to 50 percent, the paper bound doubles.
        PlaceCase{"Zoomed", 1, 0, 5000, 0, 1, 50, 4800, 6800, 9920, 3450},
        // A zoom of 0 read back from a job scales nothing and divides by nothing.
        PlaceCase{"ZeroZoom", 1, 0, 5000, 0, 1, 0, 4800, 6800, 4960, 3450},
        PlaceCase{"LandscapeBounds", 2, 0, 0, 8000, 0, 100, 6800, 4800, 3400, 4960}),
    [](const ::testing::TestParamInfo<PlaceCase>& i) { return std::string(i.param.pszName); });

struct FontCase {
    LONG lStyle;
    LONG lWeight;
    BYTE bItalic;
};

TEST(WatermarkFont, StyleGivesWeightAndItalic)
{
    const FontCase kCases[] = {{1, 400, 0}, {2, 700, 0}, {3, 400, 1}, {4, 700, 1}, {0, 400, 0}, {9, 400, 0}};
    for (const FontCase& c : kCases) {
        WMDRAWINFO info = {};
        info.lStyle = c.lStyle;
        info.lSize = 72;
        LOGFONTW lf;
        WatermarkLogFont(&info, 600, &lf);
        EXPECT_EQ(lf.lfWeight, c.lWeight) << c.lStyle;
        EXPECT_EQ(lf.lfItalic, c.bItalic) << c.lStyle;
    }
}

TEST(WatermarkFont, HeightIsThePointSizeAtTheVerticalResolution)
{
    const LONG kCases[][3] = {{72, 600, -600}, {36, 300, -150}, {10, 600, -83}, {400, 600, -3333}};
    for (const auto& c : kCases) {
        WMDRAWINFO info = {};
        info.lSize = c[0];
        info.lAngle = -450;
        lstrcpynW(info.szFace, u"Arial", 32);
        LOGFONTW lf;
        WatermarkLogFont(&info, c[1], &lf);
        EXPECT_EQ(lf.lfHeight, c[2]) << c[0] << " pt at " << c[1];
        EXPECT_EQ(lf.lfEscapement, -450);
        EXPECT_EQ(std::u16string(lf.lfFaceName), u"Arial");
    }
}

}  // namespace
