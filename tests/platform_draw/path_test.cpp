// Path objects: records of lines and curves in 28.4 values, bounds, and
// the fills and strokes the engine draws from them.
#include "drawtest.h"

#include <vector>

namespace {

struct Record {
    FLONG flags;
    std::vector<POINTFIX> pts;
};

std::vector<Record> Records(PATHOBJ* ppo)
{
    std::vector<Record> out;
    PATHOBJ_vEnumStart(ppo);
    PATHDATA pd;
    BOOL bMore;
    do {
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (pd.count)
            out.push_back(Record{pd.flags, std::vector<POINTFIX>(pd.pptfx, pd.pptfx + pd.count)});
    } while (bMore);
    return out;
}

struct PathFixture : ::testing::Test {
    PATHOBJ* ppo = EngCreatePath();
    ~PathFixture() override { EngDeletePath(ppo); }
};

TEST_F(PathFixture, LinesAndCurvesEnumerateWithTheirSubpathFlags)
{
    POINTFIX lines[2] = {Fx(10, 0), Fx(10, 10)};
    POINTFIX curve[3] = {Fx(8, 14), Fx(2, 14), Fx(0, 10)};
    POINTFIX second[1] = {{0x123, 0x45}};
    ASSERT_TRUE(PATHOBJ_bMoveTo(ppo, Fx(0, 0)));
    ASSERT_TRUE(PATHOBJ_bPolyLineTo(ppo, lines, 2));
    ASSERT_TRUE(PATHOBJ_bPolyBezierTo(ppo, curve, 3));
    ASSERT_TRUE(PATHOBJ_bCloseFigure(ppo));
    ASSERT_TRUE(PATHOBJ_bMoveTo(ppo, Fx(20, 20)));
    ASSERT_TRUE(PATHOBJ_bPolyLineTo(ppo, second, 1));
    EXPECT_EQ(ppo->fl & PO_BEZIERS, static_cast<FLONG>(PO_BEZIERS));
    EXPECT_EQ(ppo->cCurves, 4u);  // two lines, one curve, one line

    std::vector<Record> recs = Records(ppo);
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].flags, static_cast<FLONG>(PD_BEGINSUBPATH));
    ASSERT_EQ(recs[0].pts.size(), 3u);  // the start point, then the two lines
    EXPECT_EQ(recs[0].pts[0].x, 0);
    EXPECT_EQ(recs[0].pts[2].y, 160);
    EXPECT_EQ(recs[1].flags, static_cast<FLONG>(PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE));
    ASSERT_EQ(recs[1].pts.size(), 3u);
    EXPECT_EQ(recs[1].pts[2].x, 0);
    EXPECT_EQ(recs[1].pts[2].y, 160);
    EXPECT_EQ(recs[2].flags, static_cast<FLONG>(PD_BEGINSUBPATH | PD_ENDSUBPATH));
    ASSERT_EQ(recs[2].pts.size(), 2u);
    EXPECT_EQ(recs[2].pts[1].x, 0x123);
    EXPECT_EQ(recs[2].pts[1].y, 0x45);
}

TEST_F(PathFixture, ACurveThatBeginsASubpathCarriesItsStartPointFirst)
{
    POINTFIX curve[6] = {Fx(1, 0), Fx(2, 0), Fx(3, 0), Fx(4, 0), Fx(5, 0), Fx(6, 0)};
    PATHOBJ_bMoveTo(ppo, Fx(0, 0));
    PATHOBJ_bPolyBezierTo(ppo, curve, 6);
    std::vector<Record> recs = Records(ppo);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].flags, static_cast<FLONG>(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_BEZIERS));
    EXPECT_EQ(recs[0].pts.size(), 7u);
    EXPECT_EQ(ppo->cCurves, 2u);
}

TEST_F(PathFixture, CurvesNeedWholeTriplesOfPoints)
{
    POINTFIX two[2] = {Fx(1, 1), Fx(2, 2)};
    PATHOBJ_bMoveTo(ppo, Fx(0, 0));
    EXPECT_FALSE(PATHOBJ_bPolyBezierTo(ppo, two, 2));
    EXPECT_TRUE(Records(ppo).empty());
}

TEST_F(PathFixture, EnumerationStartsOverAndAnEmptyPathEndsAtOnce)
{
    PATHDATA pd;
    PATHOBJ_vEnumStart(ppo);
    EXPECT_FALSE(PATHOBJ_bEnum(ppo, &pd));
    EXPECT_EQ(pd.count, 0u);
    POINTFIX pt[1] = {Fx(3, 3)};
    PATHOBJ_bMoveTo(ppo, Fx(1, 1));
    PATHOBJ_bPolyLineTo(ppo, pt, 1);
    EXPECT_EQ(Records(ppo).size(), 1u);
    EXPECT_EQ(Records(ppo).size(), 1u);
}

TEST_F(PathFixture, BoundsHoldEveryPointIncludingControlPoints)
{
    POINTFIX curve[3] = {Fx(-5, 30), Fx(12, -7), Fx(10, 10)};
    PATHOBJ_bMoveTo(ppo, Fx(0, 0));
    PATHOBJ_bPolyBezierTo(ppo, curve, 3);
    RECTFX rfx;
    PATHOBJ_vGetBounds(ppo, &rfx);
    EXPECT_EQ(rfx.xLeft, -80);
    EXPECT_EQ(rfx.yTop, -7 * 16);
    EXPECT_EQ(rfx.xRight, 12 * 16);
    EXPECT_EQ(rfx.yBottom, 30 * 16);
}

// Fill rules: two squares drawn the same way round, one inside the other.
struct FillCase {
    FLONG flOptions;
    const char* middleRow;
};

class FillRules : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillRules, NestedSquaresFillOrLeaveTheHole)
{
    PATHOBJ* ppo = EngCreatePath();
    POINTFIX outer[3] = {Fx(8, 0), Fx(8, 8), Fx(0, 8)};
    POINTFIX inner[3] = {Fx(6, 2), Fx(6, 6), Fx(2, 6)};
    PATHOBJ_bMoveTo(ppo, Fx(0, 0));
    PATHOBJ_bPolyLineTo(ppo, outer, 3);
    PATHOBJ_bCloseFigure(ppo);
    PATHOBJ_bMoveTo(ppo, Fx(2, 2));
    PATHOBJ_bPolyLineTo(ppo, inner, 3);
    PATHOBJ_bCloseFigure(ppo);
    TestBitmap bmp(10, 10, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    ASSERT_TRUE(EngFillPath(bmp.pso, ppo, nullptr, pbo, nullptr, R2_COPYPEN, GetParam().flOptions));
    std::string pic = bmp.Picture(0);
    EXPECT_EQ(pic.substr(0, 11), "########..\n");      // row 0
    EXPECT_EQ(pic.substr(4 * 11, 11), std::string(GetParam().middleRow) + "\n");
    EXPECT_EQ(pic.substr(8 * 11, 11), "..........\n");  // the bottom edge is outside
    PlatBrushDelete(pbo);
    EngDeletePath(ppo);
}

INSTANTIATE_TEST_SUITE_P(Rules, FillRules,
                         ::testing::Values(FillCase{FP_WINDINGMODE, "########.."},
                                           FillCase{FP_ALTERNATEMODE, "##....##.."}));

TEST(PathFill, ATriangleCoversThePixelsWhoseCentresLieInside)
{
    PATHOBJ* ppo = EngCreatePath();
    POINTFIX pts[2] = {Fx(8, 0), Fx(0, 8)};
    PATHOBJ_bMoveTo(ppo, Fx(0, 0));
    PATHOBJ_bPolyLineTo(ppo, pts, 2);
    PATHOBJ_bCloseFigure(ppo);
    TestBitmap bmp(8, 8, BMF_24BPP);
    bmp.Fill(0xFFFFFF);
    PLATBRUSHDEF def = {0x0000FF, RGB(255, 0, 0), 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    ASSERT_TRUE(EngFillPath(bmp.pso, ppo, nullptr, pbo, nullptr, R2_COPYPEN, FP_ALTERNATEMODE));
    EXPECT_EQ(bmp.Picture(0x0000FF), Rows({"#######.",
                                           "######..",
                                           "#####...",
                                           "####....",
                                           "###.....",
                                           "##......",
                                           "#.......",
                                           "........"}));
    PlatBrushDelete(pbo);
    EngDeletePath(ppo);
}

TEST(PathFill, ACurvedFillStaysInsideItsControlPolygonAndCoversItsMiddle)
{
    // A half disc of radius 16 from two quarter curves.
    PATHOBJ* ppo = EngCreatePath();
    const LONG k = 9;  // 16 * 0.5523, rounded
    POINTFIX arc[6] = {Fx(16, 16 - k), Fx(16 + 16 - k, 0), Fx(32, 0), Fx(32 + k, 0), Fx(48, 16 - k), Fx(48, 16)};
    PATHOBJ_bMoveTo(ppo, Fx(16, 16));
    PATHOBJ_bPolyBezierTo(ppo, arc, 6);
    PATHOBJ_bCloseFigure(ppo);
    TestBitmap bmp(64, 20, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    ASSERT_TRUE(EngFillPath(bmp.pso, ppo, nullptr, pbo, nullptr, R2_COPYPEN, FP_WINDINGMODE));
    EXPECT_EQ(bmp.Get(32, 1), 0u);   // near the top of the arc
    EXPECT_EQ(bmp.Get(20, 15), 0u);  // inside, near the chord
    EXPECT_EQ(bmp.Get(17, 2), 1u);   // outside the arc's corner
    EXPECT_EQ(bmp.Get(32, 17), 1u);  // below the chord
    for (LONG y = 0; y < 20; y++) {
        for (LONG x = 0; x < 64; x++) {
            if (x < 16 || x >= 48) {
                ASSERT_EQ(bmp.Get(x, y), 1u) << x << "," << y;
            }
        }
    }
    PlatBrushDelete(pbo);
    EngDeletePath(ppo);
}

TEST(PathStroke, ACosmeticOutlineTouchesEachCornerOnceAndXorShowsIt)
{
    // An exclusive-or stroke of a closed square: a pixel drawn twice would
    // come out white again.
    PATHOBJ* ppo = EngCreatePath();
    POINTFIX pts[3] = {Fx(5, 1), Fx(5, 4), Fx(1, 4)};
    PATHOBJ_bMoveTo(ppo, Fx(1, 1));
    PATHOBJ_bPolyLineTo(ppo, pts, 3);
    PATHOBJ_bCloseFigure(ppo);
    TestBitmap bmp(7, 6, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    LINEATTRS la = {};
    ASSERT_TRUE(EngStrokePath(bmp.pso, ppo, nullptr, nullptr, pbo, nullptr, &la, R2_NOTXORPEN));
    EXPECT_EQ(bmp.Picture(0), Rows({".......",
                                    ".#####.",
                                    ".#...#.",
                                    ".#...#.",
                                    ".#####.",
                                    "......."}));
    PlatBrushDelete(pbo);
    EngDeletePath(ppo);
}

TEST(PathStroke, AStyledCosmeticLineLeavesGapsOfItsStyleUnits)
{
    PATHOBJ* ppo = EngCreatePath();
    POINTFIX pt[1] = {Fx(11, 0)};
    PATHOBJ_bMoveTo(ppo, Fx(0, 0));
    PATHOBJ_bPolyLineTo(ppo, pt, 1);
    TestBitmap bmp(12, 1, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    FLOAT_LONG style[2] = {{3}, {2}};
    LINEATTRS la = {};
    la.fl = LA_STYLED;
    la.cstyle = 2;
    la.pstyle = style;
    ASSERT_TRUE(EngStrokePath(bmp.pso, ppo, nullptr, nullptr, pbo, nullptr, &la, R2_COPYPEN));
    EXPECT_EQ(bmp.Picture(0), "###..###..#.\n");  // the end point itself stays out
    PlatBrushDelete(pbo);
    EngDeletePath(ppo);
}

TEST(PathStroke, AGeometricLineIsAsWideAsItsWidth)
{
    PATHOBJ* ppo = EngCreatePath();
    POINTFIX pt[1] = {Fx(18, 10)};
    PATHOBJ_bMoveTo(ppo, Fx(2, 10));
    PATHOBJ_bPolyLineTo(ppo, pt, 1);
    TestBitmap bmp(20, 20, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    float w = 6.0f;
    LINEATTRS la = {};
    la.fl = LA_GEOMETRIC;
    la.iEndCap = ENDCAP_BUTT;
    la.iJoin = JOIN_BEVEL;
    std::memcpy(&la.elWidth.l, &w, 4);
    ASSERT_TRUE(EngStrokePath(bmp.pso, ppo, nullptr, nullptr, pbo, nullptr, &la, R2_COPYPEN));
    for (LONG y = 0; y < 20; y++)
        EXPECT_EQ(bmp.Get(10, y), (y >= 7 && y < 13) ? 0u : 1u) << y;
    EXPECT_EQ(bmp.Get(1, 10), 1u);   // butt ends stop at the end points
    EXPECT_EQ(bmp.Get(2, 10), 0u);
    EXPECT_EQ(bmp.Get(18, 10), 1u);
    PlatBrushDelete(pbo);
    EngDeletePath(ppo);
}

TEST(PathStroke, LineToLeavesOutItsLastPixelAndKeepsToTheClip)
{
    TestBitmap bmp(8, 3, BMF_1BPP);
    bmp.Fill(1);
    CLIPOBJ* pco = EngCreateClip();
    RECTL rc = {0, 0, 5, 3};
    PlatClipSetRects(pco, &rc, 1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    ASSERT_TRUE(EngLineTo(bmp.pso, nullptr, pbo, 0, 0, 7, 0, nullptr, R2_COPYPEN));
    ASSERT_TRUE(EngLineTo(bmp.pso, pco, pbo, 0, 2, 8, 2, nullptr, R2_COPYPEN));
    EXPECT_EQ(bmp.Picture(0), Rows({"#######.", "........", "#####..."}));
    PlatBrushDelete(pbo);
    EngDeleteClip(pco);
}

}  // namespace

namespace {

struct FarLineCase {
    LONG x1, y1, x2, y2;
    const char* picture;
};

class FarLines : public ::testing::TestWithParam<FarLineCase> {};

// Lines from far off the page cost only their visible part and land where
// the whole line would.
TEST_P(FarLines, OnlyTheVisiblePartIsDrawn)
{
    const FarLineCase& c = GetParam();
    TestBitmap bmp(6, 4, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    ASSERT_TRUE(EngLineTo(bmp.pso, nullptr, pbo, c.x1, c.y1, c.x2, c.y2, nullptr, R2_COPYPEN));
    EXPECT_EQ(bmp.Picture(0), c.picture);
    PlatBrushDelete(pbo);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FarLines,
    ::testing::Values(FarLineCase{-100000000, 2, 100000000, 2, "......\n......\n######\n......\n"},
                      FarLineCase{4, 100000000, 4, -100000000, "....#.\n....#.\n....#.\n....#.\n"},
                      FarLineCase{-100000000, -100000000, 100000000, 100000000, "#.....\n.#....\n..#...\n...#..\n"},
                      // A tie goes to the pixel nearer the start.
                      FarLineCase{0, 0, 4, 2, "##....\n..##..\n......\n......\n"},
                      FarLineCase{4, 2, 0, 0, "......\n.##...\n...##.\n......\n"}));

}  // namespace
