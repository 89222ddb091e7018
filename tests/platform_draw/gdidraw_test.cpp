// The application-side drawing calls: which driver hook they reach with
// which engine objects, and the pixels they leave on bitmaps.
#include "fakedriver.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

const FLONG kAllHooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_STROKEPATH | HOOK_FILLPATH |
                        HOOK_STROKEANDFILLPATH | HOOK_COPYBITS | HOOK_STRETCHBLTROP | HOOK_LINETO;

// A printer DC on the fake driver, with the surface the case asks for.
struct DriverDC {
    HDC hdc = nullptr;
    DriverDC(FLONG flHooks, BOOL bBitmap = FALSE, ULONG iFormat = BMF_24BPP)
    {
        FakeReset(flHooks, bBitmap, iFormat);
        hdc = PlatGdiCreateDriverDC(FakeDriverTable(), nullptr);
    }
    ~DriverDC()
    {
        if (hdc)
            DeleteDC(hdc);
    }
};

// A memory DC holding a 24-bit (or 1-bit) bitmap painted white.
struct MemoryDC {
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm = nullptr;
    HGDIOBJ hOld = nullptr;
    MemoryDC(int cx, int cy, UINT cBits = 24)
    {
        hbm = CreateBitmap(cx, cy, 1, cBits, nullptr);
        hOld = SelectObject(hdc, hbm);
        PatBlt(hdc, 0, 0, cx, cy, WHITENESS);
    }
    ~MemoryDC()
    {
        SelectObject(hdc, hOld);
        DeleteObject(hbm);
        DeleteDC(hdc);
    }
    // 0x00BBGGRR of a pixel, or the bit of a 1-bit bitmap.
    ULONG Get(LONG x, LONG y) const
    {
        SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
        const BYTE* p = static_cast<const BYTE*>(pso->pvScan0) + y * pso->lDelta;
        ULONG v = pso->iBitmapFormat == BMF_1BPP ? (p[x >> 3] >> (7 - (x & 7))) & 1
                                                 : p[x * 3 + 2] | (p[x * 3 + 1] << 8) | (p[x * 3] << 16);
        PlatGdiUnlockDCSurface(pso);
        return v;
    }
    std::string Picture(ULONG c, LONG cx, LONG cy) const
    {
        std::string s;
        for (LONG y = 0; y < cy; y++) {
            for (LONG x = 0; x < cx; x++)
                s += Get(x, y) == c ? '#' : '.';
            s += '\n';
        }
        return s;
    }
};

// --- which hook a call reaches ------------------------------------------------------

TEST(DrawHooks, ARectangleIsOneStrokeAndFillOfItsInnerOutline)
{
    DriverDC dc(kAllHooks);
    ASSERT_NE(dc.hdc, nullptr);
    ASSERT_TRUE(Rectangle(dc.hdc, 10, 20, 30, 40));
    EXPECT_EQ(FakeNames(), "StrokeAndFillPath");
    FakeCall c = Fake().calls.at(0);
    EXPECT_EQ(c.path, "M 10,20 L 29,20 L 29,39 L 10,39 Z");
    EXPECT_EQ(c.iSolidColor, 0xFFFFFFu);  // the white stock brush
    EXPECT_EQ(c.ulMixOrRop, 0x0D0Du);
    EXPECT_EQ(c.flOptions, static_cast<FLONG>(FP_ALTERNATEMODE));
    EXPECT_EQ(c.flLine, 0u);  // cosmetic, solid
    EXPECT_EQ(c.iDComplexity, DC_TRIVIAL);
}

struct RouteCase {
    const char* what;
    FLONG flHooks;
    const char* names;
};

class DrawRoutes : public ::testing::TestWithParam<RouteCase> {};

// Each case draws one thing; the names are the hooks it reached in order.
void DrawCase(const char* what, HDC hdc, HDC hdcSrc)
{
    std::string w = what;
    POINT pts[3] = {{1, 1}, {50, 5}, {20, 40}};
    if (w == "rectangle")
        Rectangle(hdc, 0, 0, 10, 10);
    else if (w == "polyline")
        Polyline(hdc, pts, 3);
    else if (w == "lineto") {
        MoveToEx(hdc, 5, 5, nullptr);
        LineTo(hdc, 50, 60);
    } else if (w == "patblt")
        PatBlt(hdc, 0, 0, 20, 20, PATCOPY);
    else if (w == "bitblt")
        BitBlt(hdc, 5, 5, 8, 8, hdcSrc, 0, 0, SRCCOPY);
    else if (w == "stretch")
        StretchBlt(hdc, 0, 0, 16, 16, hdcSrc, 0, 0, 8, 8, SRCCOPY);
    else if (w == "stretchand")
        StretchBlt(hdc, 0, 0, 16, 16, hdcSrc, 0, 0, 8, 8, SRCAND);
}

TEST_P(DrawRoutes, TheCallReachesTheHookTheSurfaceHooks)
{
    const RouteCase& c = GetParam();
    DriverDC dc(c.flHooks);
    ASSERT_NE(dc.hdc, nullptr);
    MemoryDC src(8, 8);
    Fake().calls.clear();
    DrawCase(c.what, dc.hdc, src.hdc);
    EXPECT_EQ(FakeNames(), c.names) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Routes, DrawRoutes,
    ::testing::Values(RouteCase{"rectangle", kAllHooks, "StrokeAndFillPath"},
                      RouteCase{"rectangle", HOOK_FILLPATH | HOOK_STROKEPATH, "FillPath StrokePath"},
                      RouteCase{"polyline", kAllHooks, "StrokePath"},
                      RouteCase{"lineto", kAllHooks, "LineTo"},
                      RouteCase{"lineto", HOOK_STROKEPATH, "StrokePath"},
                      RouteCase{"patblt", kAllHooks, "BitBlt"},
                      RouteCase{"bitblt", kAllHooks, "BitBlt"},
                      RouteCase{"bitblt", HOOK_COPYBITS, "CopyBits"},
                      RouteCase{"stretch", kAllHooks, "StretchBlt"},
                      // With a raster operation: the driver's hook passes it
                      // to the engine, which hands the bits back to DrvBitBlt.
                      RouteCase{"stretchand", kAllHooks, "StretchBltROP BitBlt"},
                      RouteCase{"stretchand", HOOK_BITBLT, "BitBlt"}));

TEST(DrawHooks, PatBltAndBitBltCarryTheirOperationRectangleAndSource)
{
    DriverDC dc(kAllHooks);
    MemoryDC src(8, 8);
    Fake().calls.clear();
    ASSERT_TRUE(PatBlt(dc.hdc, 30, 40, -10, 5, PATINVERT));
    ASSERT_TRUE(BitBlt(dc.hdc, 5, 6, 7, 8, src.hdc, 1, 0, SRCPAINT));
    ASSERT_EQ(Fake().calls.size(), 2u);
    const FakeCall& pat = Fake().calls[0];
    EXPECT_EQ(pat.ulMixOrRop, 0x5A5Au);
    EXPECT_EQ(pat.rclTrg.left, 20);
    EXPECT_EQ(pat.rclTrg.right, 30);
    EXPECT_FALSE(pat.bSource);
    const FakeCall& blt = Fake().calls[1];
    EXPECT_EQ(blt.ulMixOrRop, 0xEEEEu);
    EXPECT_TRUE(blt.bSource);
    EXPECT_EQ(blt.rclTrg.bottom, 14);
    EXPECT_EQ(blt.rclSrc.left, 1);
}

TEST(DrawHooks, AnEllipseIsFourCurvesMarkedAsAnEllipse)
{
    DriverDC dc(kAllHooks);
    ASSERT_TRUE(Ellipse(dc.hdc, 0, 0, 21, 11));
    ASSERT_EQ(Fake().calls.size(), 1u);
    const FakeCall& c = Fake().calls[0];
    EXPECT_EQ(c.flPath & PO_ELLIPSE, static_cast<FLONG>(PO_ELLIPSE));
    EXPECT_EQ(c.path.rfind("M 20,5 C ", 0), 0u) << c.path;
    size_t cCurves = 0;
    for (size_t i = c.path.find(" C "); i != std::string::npos; i = c.path.find(" C ", i + 1))
        cCurves++;
    EXPECT_EQ(cCurves, 4u);
    EXPECT_NE(c.path.find(" 10,0 "), std::string::npos);   // top middle
    EXPECT_NE(c.path.find(" 0,5 "), std::string::npos);    // left middle
    EXPECT_NE(c.path.find(" 10,10 "), std::string::npos);  // bottom middle
}

TEST(DrawHooks, RasterOperationAndFillModeReachTheDriver)
{
    DriverDC dc(kAllHooks);
    POINT pts[3] = {{0, 0}, {10, 0}, {0, 10}};
    EXPECT_EQ(SetROP2(dc.hdc, R2_XORPEN), R2_COPYPEN);
    EXPECT_EQ(SetPolyFillMode(dc.hdc, WINDING), ALTERNATE);
    ASSERT_TRUE(Polygon(dc.hdc, pts, 3));
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].ulMixOrRop, 0x0707u);
    EXPECT_EQ(Fake().calls[0].flOptions, static_cast<FLONG>(FP_WINDINGMODE));
    EXPECT_EQ(Fake().calls[0].path, "M 0,0 L 10,0 L 0,10 Z");
    EXPECT_EQ(SetROP2(dc.hdc, 0), 0);
}

TEST(DrawHooks, ClipsArriveAsTrivialRectangleOrRectangleList)
{
    DriverDC dc(kAllHooks);
    ASSERT_TRUE(Rectangle(dc.hdc, 0, 0, 5, 5));
    EXPECT_EQ(IntersectClipRect(dc.hdc, 10, 10, 50, 40), SIMPLEREGION);
    ASSERT_TRUE(Rectangle(dc.hdc, 0, 0, 5, 5));
    HRGN hrgnA = CreateRectRgn(0, 0, 20, 10), hrgnB = CreateRectRgn(30, 30, 60, 50);
    HRGN hrgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(hrgn, hrgnA, hrgnB, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(SelectClipRgn(dc.hdc, hrgn), COMPLEXREGION);
    ASSERT_TRUE(Rectangle(dc.hdc, 0, 0, 5, 5));
    ASSERT_TRUE(Rectangle(dc.hdc, 1, 1, 5, 5));
    ASSERT_EQ(Fake().calls.size(), 4u);
    EXPECT_EQ(Fake().calls[0].iDComplexity, DC_TRIVIAL);
    const FakeCall& rect = Fake().calls[1];
    EXPECT_EQ(rect.iDComplexity, DC_RECT);
    EXPECT_EQ(rect.rclBounds.left, 10);
    EXPECT_EQ(rect.rclBounds.bottom, 40);
    const FakeCall& list = Fake().calls[2];
    EXPECT_EQ(list.iDComplexity, DC_COMPLEX);
    EXPECT_EQ(list.iMode, TC_RECTANGLES);
    ASSERT_EQ(list.clipRects.size(), 2u);
    EXPECT_EQ(list.clipRects[1].left, 30);
    EXPECT_EQ(list.clipRects[1].bottom, 50);
    // The same clip keeps its number; a new one gets another.
    EXPECT_EQ(Fake().calls[3].iUniq, list.iUniq);
    EXPECT_NE(rect.iUniq, list.iUniq);
    SelectClipRgn(dc.hdc, nullptr);
    DeleteObject(hrgn);
    DeleteObject(hrgnA);
    DeleteObject(hrgnB);
}

TEST(DrawHooks, AClipPathIsHandedOverAsAPathClip)
{
    DriverDC dc(kAllHooks);
    ASSERT_TRUE(BeginPath(dc.hdc));
    Ellipse(dc.hdc, 0, 0, 40, 40);
    ASSERT_TRUE(EndPath(dc.hdc));
    ASSERT_TRUE(SelectClipPath(dc.hdc, RGN_COPY));
    ASSERT_TRUE(Rectangle(dc.hdc, 0, 0, 50, 50));
    ASSERT_EQ(Fake().calls.size(), 1u);
    const FakeCall& c = Fake().calls[0];
    EXPECT_EQ(c.iDComplexity, DC_COMPLEX);
    EXPECT_EQ(c.iMode, TC_PATHOBJ);
    EXPECT_EQ(c.rclBounds.left, 0);
    EXPECT_EQ(c.rclBounds.right, 39);
    EXPECT_FALSE(SelectClipPath(dc.hdc, RGN_COPY));  // the path was used up
}

TEST(DrawHooks, AHatchBrushIsRealizedByTheDriverOnceWithItsStyle)
{
    DriverDC dc(kAllHooks);
    HBRUSH hbr = CreateHatchBrush(HS_DIAGCROSS, RGB(255, 0, 0));
    HGDIOBJ hOld = SelectObject(dc.hdc, hbr);
    ASSERT_NE(hOld, nullptr);
    HGDIOBJ hOldPen = SelectObject(dc.hdc, GetStockObject(NULL_PEN));
    ASSERT_TRUE(Rectangle(dc.hdc, 0, 0, 10, 10));
    ASSERT_TRUE(Rectangle(dc.hdc, 20, 0, 30, 10));
    EXPECT_EQ(FakeNames(), "RealizeBrush FillPath FillPath");
    EXPECT_EQ(Fake().calls[0].iHatch, static_cast<ULONG>(HS_DIAGCROSS));
    EXPECT_EQ(Fake().calls[0].rclSrc.right, 8);
    EXPECT_EQ(Fake().calls[1].iSolidColor, 0xFFFFFFFFu);
    // No pen: the filled area is one pixel smaller.
    EXPECT_EQ(Fake().calls[1].path, "M 0,0 L 9,0 L 9,9 L 0,9 Z");
    SelectObject(dc.hdc, hOld);
    SelectObject(dc.hdc, hOldPen);
    EXPECT_TRUE(DeleteObject(hbr));
}

TEST(DrawHooks, ABrushMadeAfterADeletedOneIsRealizedAfresh)
{
    // Each fill with a brush of its own, made before and deleted after, as
    // applications do: a new brush may take a deleted one's address.
    DriverDC dc(kAllHooks);
    SelectObject(dc.hdc, GetStockObject(NULL_PEN));
    struct Step {
        BOOL bHatch;
        COLORREF cr;
        int iHatch;
    };
    const Step steps[] = {{TRUE, RGB(0, 0, 0), HS_DIAGCROSS}, {FALSE, RGB(10, 20, 30), 0},
                          {TRUE, RGB(0, 0, 0), HS_HORIZONTAL}, {FALSE, RGB(40, 50, 60), 0},
                          {TRUE, RGB(0, 0, 0), HS_VERTICAL}};
    for (const Step& st : steps) {
        Fake().calls.clear();
        HBRUSH hbr = st.bHatch ? CreateHatchBrush(st.iHatch, st.cr) : CreateSolidBrush(st.cr);
        HGDIOBJ hOld = SelectObject(dc.hdc, hbr);
        ASSERT_TRUE(Rectangle(dc.hdc, 0, 0, 10, 10));
        SelectObject(dc.hdc, hOld);
        EXPECT_TRUE(DeleteObject(hbr));
        std::vector<FakeCall> realized = FakeCalls("RealizeBrush");
        if (st.bHatch) {
            ASSERT_EQ(realized.size(), 1u) << FakeNames();
            EXPECT_EQ(realized[0].iHatch, static_cast<ULONG>(st.iHatch));
        } else {
            EXPECT_TRUE(realized.empty()) << FakeNames();
            std::vector<FakeCall> fills = FakeCalls("FillPath");
            ASSERT_EQ(fills.size(), 1u) << FakeNames();
            EXPECT_EQ(fills[0].iSolidColor, static_cast<ULONG>(st.cr));
        }
    }
}

TEST(DrawHooks, PensGiveCosmeticStyledOrGeometricLines)
{
    DriverDC dc(kAllHooks);
    POINT pts[2] = {{0, 0}, {100, 0}};
    struct Case {
        HPEN hpen;
        FLONG fl;
    } cases[] = {
        {CreatePen(PS_SOLID, 0, RGB(0, 0, 255)), 0},
        {CreatePen(PS_DASH, 1, 0), LA_STYLED},
        {CreatePen(PS_SOLID, 5, 0), LA_GEOMETRIC},
    };
    for (const Case& c : cases) {
        Fake().calls.clear();
        HGDIOBJ hOld = SelectObject(dc.hdc, c.hpen);
        ASSERT_TRUE(Polyline(dc.hdc, pts, 2));
        SelectObject(dc.hdc, hOld);
        ASSERT_EQ(Fake().calls.size(), 1u);
        EXPECT_EQ(Fake().calls[0].flLine, c.fl);
        DeleteObject(c.hpen);
    }
}

TEST(DrawHooks, MetricMappingPutsTenthMillimetresOnSixHundredDotsAnInch)
{
    DriverDC dc(kAllHooks);
    EXPECT_EQ(SetMapMode(dc.hdc, MM_LOMETRIC), MM_TEXT);
    ASSERT_TRUE(Rectangle(dc.hdc, 0, 0, 254, -254));
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].path, "M 0,0 L 599,0 L 599,599 L 0,599 Z");
}

// --- mapping modes --------------------------------------------------------------------

struct MapCase {
    int iMode;
    SIZEL winExt, viewExt;
    POINTL winOrg, viewOrg;
    POINTL in, out;
};

class MappingModes : public ::testing::TestWithParam<MapCase> {};

TEST_P(MappingModes, LogicalPointsLandOnTheseDevicePixels)
{
    const MapCase& c = GetParam();
    MemoryDC dc(4, 4);  // 96 pixels an inch
    SetMapMode(dc.hdc, c.iMode);
    SetWindowExtEx(dc.hdc, c.winExt.cx, c.winExt.cy, nullptr);
    SetViewportExtEx(dc.hdc, c.viewExt.cx, c.viewExt.cy, nullptr);
    SetWindowOrgEx(dc.hdc, c.winOrg.x, c.winOrg.y, nullptr);
    SetViewportOrgEx(dc.hdc, c.viewOrg.x, c.viewOrg.y, nullptr);
    POINT pt = c.in;
    ASSERT_TRUE(LPtoDP(dc.hdc, &pt, 1));
    EXPECT_EQ(pt.x, c.out.x) << c.iMode;
    EXPECT_EQ(pt.y, c.out.y) << c.iMode;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MappingModes,
    ::testing::Values(MapCase{MM_TEXT, {1, 1}, {1, 1}, {0, 0}, {0, 0}, {7, 9}, {7, 9}},
                      MapCase{MM_TEXT, {5, 5}, {9, 9}, {2, 3}, {10, 20}, {7, 9}, {15, 26}},  // extents ignored
                      MapCase{MM_LOMETRIC, {1, 1}, {1, 1}, {0, 0}, {0, 0}, {254, -508}, {96, 192}},
                      MapCase{MM_HIMETRIC, {1, 1}, {1, 1}, {0, 0}, {0, 0}, {2540, -2540}, {96, 96}},
                      MapCase{MM_LOENGLISH, {1, 1}, {1, 1}, {0, 0}, {0, 0}, {100, -50}, {96, 48}},
                      MapCase{MM_HIENGLISH, {1, 1}, {1, 1}, {0, 0}, {0, 0}, {1000, -1000}, {96, 96}},
                      MapCase{MM_TWIPS, {1, 1}, {1, 1}, {0, 0}, {0, 0}, {1440, -720}, {96, 48}},
                      MapCase{MM_ANISOTROPIC, {10, 20}, {100, 50}, {0, 0}, {0, 0}, {1, 4}, {10, 10}},
                      MapCase{MM_ANISOTROPIC, {10, 10}, {20, -20}, {5, 5}, {100, 100}, {6, 6}, {102, 98}},
                      // Isotropic takes the smaller scale both ways.
                      MapCase{MM_ISOTROPIC, {10, 10}, {100, 50}, {0, 0}, {0, 0}, {2, 2}, {10, 10}},
                      MapCase{MM_ISOTROPIC, {10, 10}, {30, -60}, {0, 0}, {0, 0}, {2, 2}, {6, -6}}));

TEST(MappingModesDraw, ShapesFollowTheWindowAndViewportOrigins)
{
    MemoryDC dc(8, 6);
    SetViewportOrgEx(dc.hdc, 4, 2, nullptr);
    SetWindowOrgEx(dc.hdc, 1, 1, nullptr);
    SelectObject(dc.hdc, GetStockObject(BLACK_BRUSH));
    ASSERT_TRUE(Rectangle(dc.hdc, 1, 1, 4, 4));  // device 4,2 .. 7,5
    EXPECT_EQ(dc.Picture(0, 8, 6), Rows({"........",
                                         "........",
                                         "....###.",
                                         "....###.",
                                         "....###.",
                                         "........"}));
}

// --- pixels on bitmaps ----------------------------------------------------------------

TEST(DrawPixels, ARectangleHasAPenOutlineAndABrushInside)
{
    MemoryDC dc(7, 6);
    HBRUSH hbr = CreateSolidBrush(RGB(255, 0, 0));
    HPEN hpen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ hOldBrush = SelectObject(dc.hdc, hbr);
    HGDIOBJ hOldPen = SelectObject(dc.hdc, hpen);
    ASSERT_TRUE(Rectangle(dc.hdc, 1, 1, 6, 5));
    EXPECT_EQ(dc.Picture(0xFF0000, 7, 6), Rows({".......", ".#####.", ".#...#.", ".#...#.", ".#####.", "......."}));
    EXPECT_EQ(dc.Picture(0x0000FF, 7, 6), Rows({".......", ".......", "..###..", "..###..", ".......", "......."}));
    SelectObject(dc.hdc, hOldBrush);
    SelectObject(dc.hdc, hOldPen);
    DeleteObject(hbr);
    DeleteObject(hpen);
}

TEST(DrawPixels, InBitmapModeTheEngineDrawsIntoTheDriversBitmap)
{
    DriverDC dc(0, TRUE, BMF_1BPP);
    ASSERT_NE(dc.hdc, nullptr);
    SURFOBJ* pso = PlatGdiLockDCSurface(dc.hdc);
    ASSERT_NE(pso, nullptr);
    std::memset(pso->pvBits, 0xFF, pso->cjBits);
    PlatGdiUnlockDCSurface(pso);
    SelectObject(dc.hdc, GetStockObject(BLACK_BRUSH));
    ASSERT_TRUE(Rectangle(dc.hdc, 8, 2, 16, 4));
    ASSERT_TRUE(PatBlt(dc.hdc, 0, 10, 8, 1, BLACKNESS));
    pso = PlatGdiLockDCSurface(dc.hdc);
    const BYTE* p = static_cast<const BYTE*>(pso->pvScan0);
    EXPECT_EQ(p[2 * pso->lDelta + 1], 0x00);  // row 2, pixels 8..15 black
    EXPECT_EQ(p[2 * pso->lDelta + 0], 0xFF);
    EXPECT_EQ(p[4 * pso->lDelta + 1], 0xFF);  // the bottom edge is outside
    EXPECT_EQ(p[10 * pso->lDelta + 0], 0x00);
    PlatGdiUnlockDCSurface(pso);
    EXPECT_TRUE(Fake().calls.empty());
}

TEST(DrawPixels, APathIsFilledWithTheFillModeAndDiscarded)
{
    MemoryDC dc(10, 10);
    SelectObject(dc.hdc, GetStockObject(BLACK_BRUSH));
    ASSERT_TRUE(BeginPath(dc.hdc));
    MoveToEx(dc.hdc, 0, 0, nullptr);
    LineTo(dc.hdc, 8, 0);
    LineTo(dc.hdc, 8, 8);
    LineTo(dc.hdc, 0, 8);
    CloseFigure(dc.hdc);
    Rectangle(dc.hdc, 2, 2, 7, 7);  // the same way round: 2,2 .. 6,6
    ASSERT_TRUE(EndPath(dc.hdc));
    ASSERT_TRUE(FillPath(dc.hdc));
    EXPECT_EQ(dc.Get(4, 4), 0xFFFFFFu);  // alternate: the inner square is a hole
    EXPECT_EQ(dc.Get(1, 1), 0u);
    EXPECT_EQ(dc.Get(8, 8), 0xFFFFFFu);
    EXPECT_FALSE(FillPath(dc.hdc));
}

TEST(DrawPixels, APatternBrushTilesFromTheBrushOrigin)
{
    // A 2 x 2 one-bit checker: 0 bits take the text colour, 1 bits the background.
    BYTE bits[4] = {0x40, 0, 0x80, 0};  // rows 16 bits wide: .#  #.
    HBITMAP hbmPat = CreateBitmap(2, 2, 1, 1, bits);
    HBRUSH hbr = CreatePatternBrush(hbmPat);
    DeleteObject(hbmPat);  // the brush keeps its own copy
    MemoryDC dc(4, 2);
    SetTextColor(dc.hdc, RGB(255, 0, 0));
    SetBkColor(dc.hdc, RGB(0, 0, 255));
    HGDIOBJ hOld = SelectObject(dc.hdc, hbr);
    ASSERT_TRUE(PatBlt(dc.hdc, 0, 0, 4, 2, PATCOPY));
    EXPECT_EQ(dc.Picture(0x0000FF, 4, 2), Rows({"#.#.", ".#.#"}));
    SetBrushOrgEx(dc.hdc, 1, 0, nullptr);
    ASSERT_TRUE(PatBlt(dc.hdc, 0, 0, 4, 2, PATCOPY));
    EXPECT_EQ(dc.Picture(0x0000FF, 4, 2), Rows({".#.#", "#.#."}));
    SelectObject(dc.hdc, hOld);
    DeleteObject(hbr);
}

TEST(DrawPixels, ClipRegionsLimitEveryCall)
{
    MemoryDC dc(6, 4);
    HRGN hrgn = CreatePolygonRgn(std::vector<POINT>{{0, 0}, {4, 0}, {0, 4}}.data(), 3, ALTERNATE);
    ASSERT_EQ(SelectClipRgn(dc.hdc, hrgn), COMPLEXREGION);
    ASSERT_TRUE(PatBlt(dc.hdc, 0, 0, 6, 4, BLACKNESS));
    EXPECT_EQ(dc.Picture(0, 6, 4), Rows({"###...", "##....", "#.....", "......"}));
    SelectClipRgn(dc.hdc, nullptr);
    IntersectClipRect(dc.hdc, 4, 1, 6, 3);
    ASSERT_TRUE(PatBlt(dc.hdc, 0, 0, 6, 4, BLACKNESS));
    EXPECT_EQ(dc.Picture(0, 6, 4), Rows({"###...", "##..##", "#...##", "......"}));
    DeleteObject(hrgn);
}

TEST(DrawPixels, StretchDIBitsCountsSourceRowsFromTheBottomOfABottomUpImage)
{
    // A 2 x 3 bottom-up 24-bit DIB: stored rows are bottom (blue), middle
    // (green), top (red).
    BYTE bits[3][8] = {{255, 0, 0, 255, 0, 0, 0, 0}, {0, 255, 0, 0, 255, 0, 0, 0}, {0, 0, 255, 0, 0, 255, 0, 0}};
    BITMAPINFO bmi = {};
    bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 2, 3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    MemoryDC dc(4, 4);
    // Source rows 0..1 from the bottom: blue and green; doubled in height.
    ASSERT_EQ(StretchDIBits(dc.hdc, 0, 0, 2, 4, 0, 0, 2, 2, bits, &bmi, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(dc.Get(0, 0), static_cast<ULONG>(RGB(0, 255, 0)));
    EXPECT_EQ(dc.Get(1, 1), static_cast<ULONG>(RGB(0, 255, 0)));
    EXPECT_EQ(dc.Get(0, 2), static_cast<ULONG>(RGB(0, 0, 255)));
    EXPECT_EQ(dc.Get(0, 3), static_cast<ULONG>(RGB(0, 0, 255)));
    EXPECT_EQ(dc.Get(2, 0), 0xFFFFFFu);
    // Whole image, one to one, at (2, 0): red on top.
    ASSERT_EQ(SetDIBitsToDevice(dc.hdc, 2, 0, 2, 3, 0, 0, 0, 3, bits, &bmi, DIB_RGB_COLORS), 3);
    EXPECT_EQ(dc.Get(2, 0), static_cast<ULONG>(RGB(255, 0, 0)));
    EXPECT_EQ(dc.Get(3, 2), static_cast<ULONG>(RGB(0, 0, 255)));
}

// A top-down DIB (negative height) is read top row first, from where its
// bits lie, and its bits are left as they were.
TEST(DrawPixels, ATopDownDibIsReadTopRowFirstAndLeftUntouched)
{
    // 2 x 3, 24 bits, stored top (red), middle (green), bottom (blue).
    BYTE bits[3][8] = {{0, 0, 255, 0, 0, 255, 0, 0}, {0, 255, 0, 0, 255, 0, 0, 0}, {255, 0, 0, 255, 0, 0, 0, 0}};
    BYTE kept[3][8];
    std::memcpy(kept, bits, sizeof(bits));
    BITMAPINFO bmi = {};
    bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 2, -3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    MemoryDC dc(4, 3);
    // Source rows 1..2 from the top: green and blue.
    ASSERT_EQ(StretchDIBits(dc.hdc, 0, 0, 2, 2, 0, 1, 2, 2, bits, &bmi, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(dc.Get(0, 0), static_cast<ULONG>(RGB(0, 255, 0)));
    EXPECT_EQ(dc.Get(1, 1), static_cast<ULONG>(RGB(0, 0, 255)));
    EXPECT_EQ(dc.Get(0, 2), 0xFFFFFFu);
    ASSERT_EQ(SetDIBitsToDevice(dc.hdc, 2, 0, 2, 3, 0, 0, 0, 3, bits, &bmi, DIB_RGB_COLORS), 3);
    EXPECT_EQ(dc.Get(2, 0), static_cast<ULONG>(RGB(255, 0, 0)));
    EXPECT_EQ(dc.Get(3, 1), static_cast<ULONG>(RGB(0, 255, 0)));
    EXPECT_EQ(dc.Get(3, 2), static_cast<ULONG>(RGB(0, 0, 255)));
    EXPECT_EQ(std::memcmp(kept, bits, sizeof(bits)), 0);
}

TEST(DrawPixels, SetDIBitsToDeviceCopiesOnlyTheScanLinesItWasGiven)
{
    // Scan lines 1 and 2 (from the bottom) of a 1 x 4 bottom-up image.
    BYTE bits[2][4] = {{0, 0, 255, 0}, {0, 255, 0, 0}};  // line 1 red, line 2 green
    BITMAPINFO bmi = {};
    bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 1, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    MemoryDC dc(1, 4);
    ASSERT_EQ(SetDIBitsToDevice(dc.hdc, 0, 0, 1, 4, 0, 0, 1, 2, bits, &bmi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(dc.Get(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dc.Get(0, 1), static_cast<ULONG>(RGB(0, 255, 0)));
    EXPECT_EQ(dc.Get(0, 2), static_cast<ULONG>(RGB(255, 0, 0)));
    EXPECT_EQ(dc.Get(0, 3), 0xFFFFFFu);
}

// A packed DIB with the 12-byte core header: 3-byte colours, rows from the
// bottom.
TEST(DrawPixels, ACoreHeaderImageIsDrawnWithItsThreeByteColours)
{
    // 4 x 2, 1 bit: colour 0 red, colour 1 blue; top row 1010, bottom 0101.
    struct {
        BITMAPCOREHEADER h;
        RGBTRIPLE colors[2];
    } mono = {{sizeof(BITMAPCOREHEADER), 4, 2, 1, 1}, {{0, 0, 255}, {255, 0, 0}}};
    const BYTE monoBits[8] = {0x50, 0, 0, 0, 0xA0, 0, 0, 0};
    // 2 x 2, 24 bits: bottom row green, black; top row white, red.
    BITMAPCOREHEADER rgb = {sizeof(BITMAPCOREHEADER), 2, 2, 1, 24};
    const BYTE rgbBits[16] = {0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 255, 0, 0};
    const ULONG R = RGB(255, 0, 0), B = RGB(0, 0, 255), G = RGB(0, 255, 0), W = 0xFFFFFF, K = 0;
    const struct {
        const char* what;
        const void* header;
        const BYTE* bits;
        LONG cx;
        BOOL bStretch;
        ULONG expect[2][4];
    } kCases[] = {
        {"1-bit stretched", &mono, monoBits, 4, TRUE, {{B, R, B, R}, {R, B, R, B}}},
        {"1-bit set", &mono, monoBits, 4, FALSE, {{B, R, B, R}, {R, B, R, B}}},
        {"24-bit stretched", &rgb, rgbBits, 2, TRUE, {{W, R, W, W}, {G, K, W, W}}},
        {"24-bit set", &rgb, rgbBits, 2, FALSE, {{W, R, W, W}, {G, K, W, W}}},
    };
    for (const auto& c : kCases) {
        MemoryDC dc(4, 2);
        const BITMAPINFO* pbmi = static_cast<const BITMAPINFO*>(c.header);
        int n = c.bStretch ? StretchDIBits(dc.hdc, 0, 0, c.cx, 2, 0, 0, c.cx, 2, c.bits, pbmi, DIB_RGB_COLORS, SRCCOPY)
                           : SetDIBitsToDevice(dc.hdc, 0, 0, c.cx, 2, 0, 0, 0, 2, c.bits, pbmi, DIB_RGB_COLORS);
        EXPECT_EQ(n, 2) << c.what;
        for (LONG y = 0; y < 2; y++)
            for (LONG x = 0; x < 4; x++)
                EXPECT_EQ(dc.Get(x, y), c.expect[y][x]) << c.what << " at " << x << "," << y;
    }
}

// Bits that end where the header's image size says, right before a page
// nothing may touch: an image promising more rows is refused unread.
TEST(DrawPixels, NoDibCallReadsPastTheImageSizeOfItsHeader)
{
    long cbPage = sysconf(_SC_PAGESIZE);
    BYTE* pMap = static_cast<BYTE*>(
        mmap(nullptr, static_cast<size_t>(2 * cbPage), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pMap, MAP_FAILED);
    ASSERT_EQ(mprotect(pMap + cbPage, static_cast<size_t>(cbPage), PROT_NONE), 0);
    // 16 x 1000 at 24 bits: 48-byte rows, but only 64 bytes stored.
    const DWORD cbStored = 64;
    BYTE* pBits = pMap + cbPage - cbStored;
    std::memset(pBits, 0, cbStored);
    BITMAPINFO bmi = {};
    bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 16, 1000, 1, 24, BI_RGB, cbStored, 0, 0, 0, 0};
    MemoryDC dc(16, 4);
    EXPECT_EQ(StretchDIBits(dc.hdc, 0, 0, 16, 4, 0, 0, 16, 1000, pBits, &bmi, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc.hdc, 0, 0, 16, 4, 0, 0, 0, 1000, pBits, &bmi, DIB_RGB_COLORS), 0);
    EXPECT_EQ(dc.Get(0, 0), 0xFFFFFFu);
    // The one row that is there is drawn.
    EXPECT_EQ(SetDIBitsToDevice(dc.hdc, 0, 0, 16, 1, 0, 999, 999, 1, pBits, &bmi, DIB_RGB_COLORS), 1);
    EXPECT_EQ(dc.Get(0, 0), 0u);
    munmap(pMap, static_cast<size_t>(2 * cbPage));
}

TEST(DrawPixels, AMonochromeSourceTakesTheTextAndBackgroundColours)
{
    MemoryDC src(2, 1, 1);
    PatBlt(src.hdc, 0, 0, 1, 1, BLACKNESS);  // pixel 0 is 0, pixel 1 stays 1
    MemoryDC dst(2, 1);
    SetTextColor(dst.hdc, RGB(255, 0, 0));
    SetBkColor(dst.hdc, RGB(0, 255, 0));
    ASSERT_TRUE(BitBlt(dst.hdc, 0, 0, 2, 1, src.hdc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Get(0, 0), static_cast<ULONG>(RGB(255, 0, 0)));
    EXPECT_EQ(dst.Get(1, 0), static_cast<ULONG>(RGB(0, 255, 0)));
}

// --- regions and objects ----------------------------------------------------------------

struct CombineCase {
    int iMode;
    int iKind;
    RECTL box;
    POINT inside, outside;
};

class Regions : public ::testing::TestWithParam<CombineCase> {};

TEST_P(Regions, CombineGivesTheKindBoxAndPoints)
{
    const CombineCase& c = GetParam();
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(r, a, b, c.iMode), c.iKind);
    RECT box;
    GetRgnBox(r, &box);
    EXPECT_EQ(box.left, c.box.left);
    EXPECT_EQ(box.top, c.box.top);
    EXPECT_EQ(box.right, c.box.right);
    EXPECT_EQ(box.bottom, c.box.bottom);
    EXPECT_TRUE(PtInRegion(r, c.inside.x, c.inside.y));
    EXPECT_FALSE(PtInRegion(r, c.outside.x, c.outside.y));
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(r);
}

INSTANTIATE_TEST_SUITE_P(Modes, Regions,
                         ::testing::Values(CombineCase{RGN_AND, SIMPLEREGION, {5, 5, 10, 10}, {7, 7}, {3, 3}},
                                           CombineCase{RGN_OR, COMPLEXREGION, {0, 0, 15, 15}, {12, 12}, {12, 2}},
                                           CombineCase{RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}, {2, 2}, {7, 7}},
                                           CombineCase{RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}, {2, 7}, {7, 7}},
                                           CombineCase{RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}, {9, 9}, {10, 10}}));

TEST(Regions, APolygonRegionHoldsThePixelsItsFillWouldPaint)
{
    POINT pts[4] = {{0, 0}, {8, 0}, {8, 8}, {0, 8}};
    HRGN h = CreatePolygonRgn(pts, 4, WINDING);
    RECT box;
    EXPECT_EQ(GetRgnBox(h, &box), SIMPLEREGION);  // rows of equal spans are joined
    EXPECT_EQ(box.right, 8);
    EXPECT_EQ(box.bottom, 8);
    DeleteObject(h);
    EXPECT_EQ(CreatePolygonRgn(pts, 1, WINDING), nullptr);
}

TEST(DrawObjects, ObjectsAreTypedSelectedAndFreed)
{
    LONG before = PlatGdiLiveDrawObjects();
    HPEN hpen = CreatePen(PS_DOT, 0, 0);
    LOGBRUSH lb = {BS_SOLID, RGB(1, 2, 3), 0};
    DWORD aStyle[2] = {4, 2};
    HPEN hext = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 3, &lb, 2, aStyle);
    HBRUSH hbr = CreateSolidBrush(RGB(9, 9, 9));
    HRGN hrgn = CreateRectRgn(0, 0, 1, 1);
    ASSERT_NE(hext, nullptr);
    EXPECT_EQ(GetObjectType(hpen), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetObjectType(hext), static_cast<DWORD>(OBJ_EXTPEN));
    EXPECT_EQ(GetObjectType(hbr), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(hrgn), static_cast<DWORD>(OBJ_REGION));
    EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 4, &lb, 0, nullptr), nullptr);  // cosmetic pens are 1 wide
    EXPECT_EQ(CreateHatchBrush(9, 0), nullptr);
    MemoryDC dc(2, 2);
    HGDIOBJ hStockPen = SelectObject(dc.hdc, hpen);
    EXPECT_EQ(hStockPen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc.hdc, hext), hpen);
    EXPECT_EQ(SelectObject(dc.hdc, hbr), GetStockObject(WHITE_BRUSH));
    SelectObject(dc.hdc, hStockPen);
    SelectObject(dc.hdc, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(hpen));
    EXPECT_TRUE(DeleteObject(hext));
    EXPECT_TRUE(DeleteObject(hbr));
    EXPECT_TRUE(DeleteObject(hrgn));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetObjectType(hbr), 0u);
    (void)before;
}

TEST(DrawObjects, DeviceContextsLeaveNoDrawingStateBehind)
{
    LONG before = PlatGdiLiveDrawObjects();
    LONG beforeEng = PlatEngLiveDrawObjects();
    {
        MemoryDC dc(4, 4);
        Rectangle(dc.hdc, 0, 0, 3, 3);
        IntersectClipRect(dc.hdc, 0, 0, 2, 2);
        Ellipse(dc.hdc, 0, 0, 3, 3);
    }
    {
        DriverDC dc(kAllHooks);
        HBRUSH hbr = CreateHatchBrush(HS_CROSS, 0);
        HGDIOBJ hOld = SelectObject(dc.hdc, hbr);
        Rectangle(dc.hdc, 0, 0, 3, 3);
        SelectObject(dc.hdc, hOld);
        DeleteObject(hbr);
        // Deleted while selected: it goes with the DC.
        HPEN hpen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
        SelectObject(dc.hdc, hpen);
        EXPECT_TRUE(DeleteObject(hpen));
        EXPECT_EQ(GetObjectType(hpen), static_cast<DWORD>(OBJ_PEN));
        Rectangle(dc.hdc, 0, 0, 3, 3);
    }
    EXPECT_EQ(PlatGdiLiveDrawObjects(), before);
    EXPECT_EQ(PlatEngLiveDrawObjects(), beforeEng);
}

}  // namespace

namespace {

TEST(Regions, AWildPolygonIsCutAtTheRegionLimitInsteadOfRunningAway)
{
    POINT pts[3] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
    HRGN h = CreatePolygonRgn(pts, 3, ALTERNATE);
    ASSERT_NE(h, nullptr);
    RECT box;
    EXPECT_NE(GetRgnBox(h, &box), ERROR);
    EXPECT_GE(box.top, -0x3FFFF);
    EXPECT_LE(box.bottom, 0x3FFFF);
    EXPECT_TRUE(PtInRegion(h, 0, 0));
    DeleteObject(h);
}

}  // namespace

namespace {

// What a banding loop does: each band is drawn from the kept calls at its
// origin, then read off; the bands together make the page.
TEST(Banding, KeptCallsAreDrawnIntoEveryBandAtItsOrigin)
{
    FakeReset(0, TRUE, BMF_1BPP, 4);
    Fake().cx = 8;
    HDC hdc = PlatGdiCreateDriverDC(FakeDriverTable(), nullptr);
    Fake().cx = 200;
    ASSERT_NE(hdc, nullptr);
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
    ASSERT_EQ(pso->sizlBitmap.cy, 4);
    std::memset(pso->pvBits, 0xFF, pso->cjBits);
    PlatGdiUnlockDCSurface(pso);

    SelectObject(hdc, GetStockObject(BLACK_BRUSH));
    SelectObject(hdc, GetStockObject(NULL_PEN));
    ASSERT_TRUE(Rectangle(hdc, 1, 2, 5, 11));  // pixels 1..3 x 2..9
    IntersectClipRect(hdc, 0, 6, 8, 12);
    HBRUSH hbr = CreateSolidBrush(RGB(0, 0, 0));
    SelectObject(hdc, hbr);
    DeleteObject(hbr);                           // still selected: it lives on
    ASSERT_TRUE(PatBlt(hdc, 5, 0, 2, 12, PATCOPY));  // clipped to rows 6..11
    SelectObject(hdc, GetStockObject(WHITE_BRUSH));

    pso = PlatGdiLockDCSurface(hdc);
    EXPECT_EQ(static_cast<BYTE*>(pso->pvScan0)[2 * pso->lDelta], 0xFF);  // nothing drawn yet
    std::string page;
    for (LONG yBand = 0; yBand < 12; yBand += 4) {
        std::memset(pso->pvBits, 0xFF, pso->cjBits);
        GdiDrawPlayBand(hdc, POINTL{0, yBand});
        for (LONG y = 0; y < 4; y++) {
            BYTE b = static_cast<BYTE*>(pso->pvScan0)[y * pso->lDelta];
            for (LONG x = 0; x < 8; x++)
                page += (b & (0x80 >> x)) ? '.' : '#';
            page += '\n';
        }
    }
    PlatGdiUnlockDCSurface(pso);
    EXPECT_EQ(page, Rows({"........", "........", ".###....", ".###....", ".###....", ".###....",
                          ".###.##.", ".###.##.", ".###.##.", ".###.##.", ".....##.", ".....##."}));
    GdiDrawEndPage(hdc);
    pso = PlatGdiLockDCSurface(hdc);
    std::memset(pso->pvBits, 0xFF, pso->cjBits);
    GdiDrawPlayBand(hdc, POINTL{0, 0});  // the page's calls are gone
    EXPECT_EQ(static_cast<BYTE*>(pso->pvScan0)[2 * pso->lDelta], 0xFF);
    PlatGdiUnlockDCSurface(pso);
    DeleteDC(hdc);
}

}  // namespace

namespace {

struct ShapeCase {
    const char* what;
    const char* names;
    const char* path;
};

class ShapePaths : public ::testing::TestWithParam<ShapeCase> {};

void DrawShape(const std::string& w, HDC hdc)
{
    POINT tri[6] = {{0, 0}, {6, 0}, {0, 6}, {10, 10}, {14, 10}, {10, 14}};
    INT counts[2] = {3, 3};
    POINT bez[4] = {{0, 0}, {3, 9}, {6, 9}, {9, 0}};
    if (w == "polypolygon")
        PolyPolygon(hdc, tri, counts, 2);
    else if (w == "polybezier")
        PolyBezier(hdc, bez, 4);
    else if (w == "strokepath" || w == "strokeandfillpath" || w == "fillpath") {
        BeginPath(hdc);
        MoveToEx(hdc, 1, 1, nullptr);
        LineTo(hdc, 5, 1);
        LineTo(hdc, 5, 5);
        CloseFigure(hdc);
        LineTo(hdc, 9, 9);  // a new figure from the current position
        EndPath(hdc);
        if (w == "strokepath")
            StrokePath(hdc);
        else if (w == "fillpath")
            FillPath(hdc);
        else
            StrokeAndFillPath(hdc);
    }
}

TEST_P(ShapePaths, TheShapeReachesTheDriverAsThisPath)
{
    const ShapeCase& c = GetParam();
    DriverDC dc(kAllHooks);
    ASSERT_NE(dc.hdc, nullptr);
    DrawShape(c.what, dc.hdc);
    EXPECT_EQ(FakeNames(), c.names) << c.what;
    ASSERT_FALSE(Fake().calls.empty());
    EXPECT_EQ(Fake().calls[0].path, c.path) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShapePaths,
    ::testing::Values(
        ShapeCase{"polypolygon", "StrokeAndFillPath", "M 0,0 L 6,0 L 0,6 Z M 10,10 L 14,10 L 10,14 Z"},
        ShapeCase{"polybezier", "StrokePath", "M 0,0 C 3,9 6,9 9,0"},
        ShapeCase{"strokepath", "StrokePath", "M 1,1 L 5,1 L 5,5 Z M 5,5 L 9,9"},
        ShapeCase{"fillpath", "FillPath", "M 1,1 L 5,1 L 5,5 Z M 5,5 L 9,9"},
        ShapeCase{"strokeandfillpath", "StrokeAndFillPath", "M 1,1 L 5,1 L 5,5 Z M 5,5 L 9,9"}));

TEST(DrawPixels, ADibPatternBrushTakesTheColoursOfItsOwnTable)
{
    // A 2 x 2, 8-bit DIB pattern, bottom-up: bottom row indices 0 1, top row 1 0.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colours[2];
        BYTE rows[2][4];
    } dib = {{sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 2, 0},
             {{0, 0, 255, 0}, {255, 0, 0, 0}},  // red, blue
             {{0, 1, 0, 0}, {1, 0, 0, 0}}};
    HBRUSH hbr = CreateDIBPatternBrushPt(&dib, DIB_RGB_COLORS);
    ASSERT_NE(hbr, nullptr);
    MemoryDC dc(4, 2);
    HGDIOBJ hOld = SelectObject(dc.hdc, hbr);
    ASSERT_TRUE(PatBlt(dc.hdc, 0, 0, 4, 2, PATCOPY));
    EXPECT_EQ(dc.Picture(RGB(255, 0, 0), 4, 2), Rows({".#.#", "#.#."}));
    EXPECT_EQ(dc.Picture(RGB(0, 0, 255), 4, 2), Rows({"#.#.", ".#.#"}));
    SelectObject(dc.hdc, hOld);
    DeleteObject(hbr);
    EXPECT_EQ(CreateDIBPatternBrushPt(&dib, DIB_PAL_COLORS), nullptr);
}

}  // namespace

namespace {

TEST(DrawHooks, ADeviceThatDrawsNoPathsGetsThemAsMaskedBlits)
{
    DriverDC dc(HOOK_BITBLT);
    ASSERT_NE(dc.hdc, nullptr);
    ASSERT_TRUE(Rectangle(dc.hdc, 3, 3, 7, 7));
    ASSERT_EQ(FakeNames(), "BitBlt BitBlt");
    const FakeCall& fill = Fake().calls[0];
    const FakeCall& stroke = Fake().calls[1];
    // The mask covers the shape's box and two pixels around it.
    EXPECT_EQ(fill.rclTrg.left, 1);
    EXPECT_EQ(fill.rclTrg.top, 1);
    EXPECT_EQ(fill.ulMixOrRop, 0xAAF0u);  // the pen mix through the mask, the page elsewhere
    EXPECT_EQ(fill.iSolidColor, 0xFFFFFFu);
    EXPECT_FALSE(fill.bSource);
    EXPECT_EQ(fill.mask, Rows({".......", ".......", "..###..", "..###..", "..###..", ".......", "......."}));
    EXPECT_EQ(stroke.iSolidColor, 0u);
    EXPECT_EQ(stroke.mask, Rows({".......", ".......", "..####.", "..#..#.", "..#..#.", "..####.", "......."}));
}

}  // namespace
