// determinism_test.cpp: the engine's curves, wide lines, round joins and
// caps and geometric dashes give the same pixels in the i386 and the native
// build. The page below exercises every piece of the rasteriser that
// computes in floating point (curve flattening, pen outlines, round pieces,
// dash lengths); its hash was recorded from one build and this same test
// runs in both, so a difference between them fails one of the two.
#include "drawtest.h"

#include "tests/common/pngdump.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// 28.4 from pixels with a fraction.
POINTFIX Fq(double x, double y)
{
    return POINTFIX{static_cast<FIX>(x * 16), static_cast<FIX>(y * 16)};
}

uint64_t HashBits(const TestBitmap& bmp)
{
    uint64_t h = 1469598103934665603ull;
    LONG cbRow = (bmp.pso->sizlBitmap.cx + 7) / 8;
    for (LONG y = 0; y < bmp.pso->sizlBitmap.cy; y++) {
        const BYTE* p = bmp.Row(y);
        for (LONG i = 0; i < cbRow; i++)
            h = (h ^ p[i]) * 1099511628211ull;
    }
    return h;
}

void Stroke(const TestBitmap& bmp, PATHOBJ* ppo, ULONG iJoin, ULONG iCap, float width,
            const std::vector<float>& dashes = {})
{
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    std::vector<FLOAT_LONG> style(dashes.size());
    for (size_t i = 0; i < dashes.size(); i++)
        std::memcpy(&style[i].l, &dashes[i], 4);
    LINEATTRS la = {};
    la.fl = LA_GEOMETRIC | (dashes.empty() ? 0 : LA_STYLED);
    la.iJoin = iJoin;
    la.iEndCap = iCap;
    std::memcpy(&la.elWidth.l, &width, 4);
    la.cstyle = static_cast<ULONG>(style.size());
    la.pstyle = style.empty() ? nullptr : style.data();
    EXPECT_TRUE(EngStrokePath(bmp.pso, ppo, nullptr, nullptr, pbo, nullptr, &la, R2_COPYPEN));
    PlatBrushDelete(pbo);
}

TEST(Determinism, CurvesWideLinesAndDashesGiveTheRecordedPixels)
{
    TestBitmap bmp(400, 300, BMF_1BPP);
    bmp.Fill(1);

    // Closed curves with round joins, at widths with fractions.
    const float widths[] = {1.5f, 3.25f, 7.0f, 12.75f};
    for (int k = 0; k < 4; k++) {
        PATHOBJ* ppo = EngCreatePath();
        double ox = 20 + 90 * k, oy = 20;
        PATHOBJ_bMoveTo(ppo, Fq(ox + 10.3, oy + 40.7));
        POINTFIX c1[3] = {Fq(ox + 5.1, oy + 3.9), Fq(ox + 70.6, oy + 1.2), Fq(ox + 66.4, oy + 41.8)};
        POINTFIX c2[3] = {Fq(ox + 61.7, oy + 77.3), Fq(ox + 13.9, oy + 80.5), Fq(ox + 10.3, oy + 40.7)};
        PATHOBJ_bPolyBezierTo(ppo, c1, 3);
        PATHOBJ_bPolyBezierTo(ppo, c2, 3);
        PATHOBJ_bCloseFigure(ppo);
        Stroke(bmp, ppo, JOIN_ROUND, ENDCAP_ROUND, widths[k]);
        EngDeletePath(ppo);
    }
    // Open polylines at odd angles with round and square caps, bevel and
    // miter joins.
    const ULONG joins[] = {JOIN_ROUND, JOIN_BEVEL, JOIN_MITER, JOIN_ROUND};
    const ULONG caps[] = {ENDCAP_ROUND, ENDCAP_SQUARE, ENDCAP_BUTT, ENDCAP_ROUND};
    for (int k = 0; k < 4; k++) {
        PATHOBJ* ppo = EngCreatePath();
        double ox = 25 + 90 * k, oy = 130;
        PATHOBJ_bMoveTo(ppo, Fq(ox, oy));
        POINTFIX pts[3] = {Fq(ox + 57.3, oy + 17.9), Fq(ox + 11.1, oy + 49.6), Fq(ox + 63.8, oy + 71.2)};
        PATHOBJ_bPolyLineTo(ppo, pts, 3);
        Stroke(bmp, ppo, joins[k], caps[k], 4.5f + 2.25f * k);
        EngDeletePath(ppo);
    }
    // Geometric dashes along a curve and a slanted line.
    {
        PATHOBJ* ppo = EngCreatePath();
        PATHOBJ_bMoveTo(ppo, Fq(15.5, 280.25));
        POINTFIX c[3] = {Fq(110.75, 215.5), Fq(250.125, 299.0), Fq(385.5, 226.75)};
        PATHOBJ_bPolyBezierTo(ppo, c, 3);
        Stroke(bmp, ppo, JOIN_ROUND, ENDCAP_ROUND, 3.5f, {9.5f, 4.25f, 2.0f, 4.25f});
        EngDeletePath(ppo);
        ppo = EngCreatePath();
        PATHOBJ_bMoveTo(ppo, Fq(20.0, 222.0));
        POINTFIX l[1] = {Fq(377.7, 247.3)};
        PATHOBJ_bPolyLineTo(ppo, l, 1);
        Stroke(bmp, ppo, JOIN_MITER, ENDCAP_SQUARE, 2.0f, {7.0f, 3.0f});
        EngDeletePath(ppo);
    }
    TestDumpPng(bmp.pso, "determinism");
    EXPECT_EQ(HashBits(bmp), 0xc498b60cad6a69a7ull);
}

}  // namespace
