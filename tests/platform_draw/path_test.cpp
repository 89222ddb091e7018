// Path objects: records of lines and curves in 28.4 values, bounds, and
// the fills and strokes the engine draws from them.
#include "drawtest.h"

#include "tests/common/pngdump.h"

#include <algorithm>
#include <cmath>
#include <string>
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
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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
    PLATBRUSHDEF def = {0x0000FF, RGB(255, 0, 0), 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
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

namespace {

// --- wide lines: one outline, filled with the winding rule ---------------------------

struct WideCase {
    const char* name;
    std::vector<POINT> pts;  // pixel corners; with bCurve one start and triples of curve points
    BOOL bCurve;
    BOOL bClosed;
    ULONG iJoin;
    ULONG iEndCap;
    float width;
};

class WideLines : public ::testing::TestWithParam<WideCase> {};

// The line as the pen follows it, finely sampled, in pixels.
std::vector<std::pair<double, double>> Centreline(const WideCase& c)
{
    std::vector<std::pair<double, double>> out;
    out.emplace_back(c.pts[0].x, c.pts[0].y);
    for (size_t i = 1; i < c.pts.size(); i += c.bCurve ? 3 : 1) {
        if (!c.bCurve) {
            out.emplace_back(c.pts[i].x, c.pts[i].y);
            continue;
        }
        POINT p0 = c.pts[i - 1], p1 = c.pts[i], p2 = c.pts[i + 1], p3 = c.pts[i + 2];
        for (int k = 1; k <= 400; k++) {
            double t = k / 400.0, u = 1 - t;
            double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
            out.emplace_back(a * p0.x + b * p1.x + d * p2.x + e * p3.x, a * p0.y + b * p1.y + d * p2.y + e * p3.y);
        }
    }
    if (c.bClosed)
        out.push_back(out.front());
    return out;
}

// Every pixel whose centre lies well inside the pen's band is inked, however
// the pieces of the outline overlap at joints, caps and along curves; none
// well outside it is.
TEST_P(WideLines, TheWholeBandIsInkedAndNothingBeyondIt)
{
    const WideCase& c = GetParam();
    PATHOBJ* ppo = EngCreatePath();
    PATHOBJ_bMoveTo(ppo, Fx(c.pts[0].x, c.pts[0].y));
    std::vector<POINTFIX> rest;
    for (size_t i = 1; i < c.pts.size(); i++)
        rest.push_back(Fx(c.pts[i].x, c.pts[i].y));
    if (c.bCurve)
        PATHOBJ_bPolyBezierTo(ppo, rest.data(), static_cast<ULONG>(rest.size()));
    else
        PATHOBJ_bPolyLineTo(ppo, rest.data(), static_cast<ULONG>(rest.size()));
    if (c.bClosed)
        PATHOBJ_bCloseFigure(ppo);
    const LONG cx = 220, cy = 180;
    TestBitmap bmp(cx, cy, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    LINEATTRS la = {};
    la.fl = LA_GEOMETRIC;
    la.iJoin = c.iJoin;
    la.iEndCap = c.iEndCap;
    std::memcpy(&la.elWidth.l, &c.width, 4);
    ASSERT_TRUE(EngStrokePath(bmp.pso, ppo, nullptr, nullptr, pbo, nullptr, &la, R2_COPYPEN));
    TestDumpPng(bmp.pso, std::string("wideline_") + c.name);

    std::vector<std::pair<double, double>> line = Centreline(c);
    double h = c.width / 2;
    BOOL bRound = c.iJoin == JOIN_ROUND;
    // Each pixel's distance from the line, and whether it lies beside a
    // segment well within the band; pixels far from every segment keep the
    // distance "far".
    std::vector<double> dist(static_cast<size_t>(cx) * cy, 1e30);
    std::vector<char> body(dist.size(), 0);
    for (size_t i = 0; i + 1 < line.size(); i++) {
        double ax = line[i].first, ay = line[i].second;
        double dx = line[i + 1].first - ax, dy = line[i + 1].second - ay;
        double len2 = dx * dx + dy * dy;
        LONG x0 = std::max<LONG>(0, static_cast<LONG>(std::floor(std::min(ax, ax + dx) - h - 2)));
        LONG x1 = std::min<LONG>(cx, static_cast<LONG>(std::ceil(std::max(ax, ax + dx) + h + 2)));
        LONG y0 = std::max<LONG>(0, static_cast<LONG>(std::floor(std::min(ay, ay + dy) - h - 2)));
        LONG y1 = std::min<LONG>(cy, static_cast<LONG>(std::ceil(std::max(ay, ay + dy) + h + 2)));
        for (LONG y = y0; y < y1; y++) {
            for (LONG x = x0; x < x1; x++) {
                double px = x + 0.5, py = y + 0.5;
                double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
                double tc = std::min(1.0, std::max(0.0, t));
                double d = std::hypot(px - ax - tc * dx, py - ay - tc * dy);
                size_t k = static_cast<size_t>(y) * cx + x;
                dist[k] = std::min(dist[k], d);
                // A pixel away from an open line's ends by less than one
                // pixel may fall either side of a flat end.
                double len = std::sqrt(len2);
                double lo = (!c.bClosed && i == 0 && len > 0) ? 1 / len : 0;
                double hi = (!c.bClosed && i + 2 == line.size() && len > 0) ? 1 - 1 / len : 1;
                if (t >= lo && t <= hi && d < h - 1)
                    body[k] = 1;
            }
        }
    }
    int cHoles = 0, cSpill = 0;
    std::string firstHole;
    for (LONG y = 0; y < cy; y++) {
        for (LONG x = 0; x < cx; x++) {
            size_t k = static_cast<size_t>(y) * cx + x;
            BOOL bInk = bmp.Get(x, y) == 0;
            // Round joins and caps (the round cases have both) also fill
            // the disc around every point of the line.
            BOOL bMust = body[k] || (bRound && dist[k] < h - 1);
            if (bMust && !bInk && cHoles++ == 0)
                firstHole = std::to_string(x) + "," + std::to_string(y);
            if (dist[k] > h + 1 && bInk)
                cSpill++;
        }
    }
    EXPECT_EQ(cHoles, 0) << "first hole at " << firstHole;
    EXPECT_EQ(cSpill, 0);
    PlatBrushDelete(pbo);
    EngDeletePath(ppo);
}

INSTANTIATE_TEST_SUITE_P(
    Pens, WideLines,
    ::testing::Values(
        // Turns to both sides, round joins and caps.
        WideCase{"zigzag_round", {{20, 150}, {60, 30}, {100, 150}, {140, 40}, {200, 60}}, FALSE, FALSE, JOIN_ROUND,
                 ENDCAP_ROUND, 21.0f},
        // The same with bevelled joins and flat ends.
        WideCase{"zigzag_bevel", {{20, 150}, {60, 30}, {100, 150}, {140, 40}, {200, 60}}, FALSE, FALSE, JOIN_BEVEL,
                 ENDCAP_BUTT, 21.0f},
        // A closed figure: every corner is a joint.
        WideCase{"triangle_round", {{30, 30}, {190, 60}, {80, 160}}, FALSE, TRUE, JOIN_ROUND, ENDCAP_ROUND, 25.0f},
        WideCase{"triangle_bevel", {{30, 30}, {190, 60}, {80, 160}}, FALSE, TRUE, JOIN_BEVEL, ENDCAP_BUTT, 25.0f},
        // A thick curve: many short pieces, each joined to the next.
        WideCase{"curve_round", {{20, 160}, {40, -60}, {180, 240}, {200, 20}}, TRUE, FALSE, JOIN_ROUND, ENDCAP_ROUND,
                 31.0f},
        WideCase{"curve_bevel", {{20, 160}, {40, -60}, {180, 240}, {200, 20}}, TRUE, FALSE, JOIN_BEVEL, ENDCAP_BUTT,
                 31.0f}),
    [](const ::testing::TestParamInfo<WideCase>& info) { return std::string(info.param.name); });

}  // namespace
