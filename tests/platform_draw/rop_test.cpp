// Raster operations of the engine's blits, against the truth table that a
// ternary code is: bit (P << 2 | S << 1 | D) of the code is the result.
#include "drawtest.h"

namespace {

// The pattern brush 8 x 1 whose pixel i is bit 2 of i (black 0, white 1).
struct PatternP {
    TestBitmap bmp{8, 1, BMF_1BPP};
    BRUSHOBJ* pbo = nullptr;
    PatternP()
    {
        for (LONG i = 0; i < 8; i++)
            bmp.Set(i, 0, (i >> 2) & 1);
        PLATBRUSHDEF def = {0xFFFFFFFF, 0, 6, bmp.hsurf, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
        pbo = PlatBrushCreate(&def);
    }
    ~PatternP() { PlatBrushDelete(pbo); }
};

TEST(RasterOp, EveryTernaryCodeOnOneBitPixelsFollowsItsTruthTable)
{
    PatternP pat;
    TestBitmap src(8, 1, BMF_1BPP);
    for (LONG i = 0; i < 8; i++)
        src.Set(i, 0, (i >> 1) & 1);
    for (ULONG rop = 0; rop < 256; rop++) {
        TestBitmap dst(8, 1, BMF_1BPP);
        for (LONG i = 0; i < 8; i++)
            dst.Set(i, 0, i & 1);
        RECTL rc = {0, 0, 8, 1};
        POINTL ptlSrc = {0, 0}, ptlBrush = {0, 0};
        ASSERT_TRUE(EngBitBlt(dst.pso, src.pso, nullptr, nullptr, nullptr, &rc, &ptlSrc, nullptr, pat.pbo,
                              &ptlBrush, rop | (rop << 8)))
            << rop;
        for (LONG i = 0; i < 8; i++)
            EXPECT_EQ(dst.Get(i, 0), (rop >> i) & 1) << "rop " << rop << " pixel " << i;
    }
}

TEST(RasterOp, EveryTernaryCodeOnColourPixelsGivesTheCodeForPatternF0SourceCCDestinationAA)
{
    // With P = F0, S = CC and D = AA in every byte, each result byte is the
    // code itself: that is what a ternary code's index means.
    TestBitmap src(3, 2, BMF_24BPP);
    src.Fill(0xCCCCCC);
    PLATBRUSHDEF def = {0xF0F0F0, RGB(0xF0, 0xF0, 0xF0), 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    for (ULONG rop = 0; rop < 256; rop++) {
        TestBitmap dst(3, 2, BMF_24BPP);
        dst.Fill(0xAAAAAA);
        RECTL rc = {0, 0, 3, 2};
        POINTL ptlSrc = {0, 0};
        ASSERT_TRUE(EngBitBlt(dst.pso, src.pso, nullptr, nullptr, nullptr, &rc, &ptlSrc, nullptr, pbo, &ptlSrc,
                              rop | (rop << 8)));
        for (LONG y = 0; y < 2; y++)
            for (LONG x = 0; x < 3; x++)
                ASSERT_EQ(dst.Get(x, y), rop * 0x010101) << "rop " << rop;
    }
    PlatBrushDelete(pbo);
}

struct Rop4Case {
    ROP4 rop4;
    ULONG whereMask1;  // expected colour where the mask is 1
    ULONG whereMask0;  // and where it is 0
};

class RasterOp4 : public ::testing::TestWithParam<Rop4Case> {};

TEST_P(RasterOp4, LowByteActsWhereTheMaskIsSetHighByteElsewhere)
{
    const Rop4Case& c = GetParam();
    TestBitmap src(4, 1, BMF_24BPP), mask(4, 1, BMF_1BPP), dst(4, 1, BMF_24BPP);
    src.Fill(0x123456);
    dst.Fill(0x00FF00);
    mask.Set(1, 0, 1);
    mask.Set(2, 0, 1);
    RECTL rc = {0, 0, 4, 1};
    POINTL ptl = {0, 0};
    ASSERT_TRUE(EngBitBlt(dst.pso, src.pso, mask.pso, nullptr, nullptr, &rc, &ptl, &ptl, nullptr, nullptr, c.rop4));
    EXPECT_EQ(dst.Get(0, 0), c.whereMask0);
    EXPECT_EQ(dst.Get(1, 0), c.whereMask1);
    EXPECT_EQ(dst.Get(2, 0), c.whereMask1);
    EXPECT_EQ(dst.Get(3, 0), c.whereMask0);
}

INSTANTIATE_TEST_SUITE_P(Masks, RasterOp4,
                         ::testing::Values(Rop4Case{0xAACC, 0x123456, 0x00FF00},   // masked copy
                                           Rop4Case{0xCCAA, 0x00FF00, 0x123456},   // inverted mask
                                           Rop4Case{0x00CC, 0x123456, 0x000000},   // black background
                                           Rop4Case{0x5566, 0x123456 ^ 0x00FF00, 0xFF00FF}));

TEST(RasterOp, OverlappingCopyOnOneBitmapReadsTheOriginalPixels)
{
    TestBitmap bmp(6, 1, BMF_24BPP);
    for (LONG x = 0; x < 6; x++)
        bmp.Set(x, 0, static_cast<ULONG>(x + 1));
    RECTL rc = {2, 0, 6, 1};
    POINTL ptl = {0, 0};
    ASSERT_TRUE(EngCopyBits(bmp.pso, bmp.pso, nullptr, nullptr, &rc, &ptl));
    const ULONG expected[6] = {1, 2, 1, 2, 3, 4};
    for (LONG x = 0; x < 6; x++)
        EXPECT_EQ(bmp.Get(x, 0), expected[x]) << x;
}

TEST(RasterOp, ColourSourceOnOneBitTargetGoesThroughTheTranslation)
{
    TestBitmap src(3, 1, BMF_24BPP), dst(3, 1, BMF_1BPP);
    src.Set(0, 0, RGB(255, 255, 255));
    src.Set(1, 0, RGB(10, 10, 10));
    src.Set(2, 0, RGB(200, 220, 180));
    const ULONG bw[2] = {0x000000, 0xFFFFFF};
    XLATEOBJ* pxlo = PlatXlateCreate(nullptr, 0, bw, 2);
    ASSERT_NE(pxlo, nullptr);
    RECTL rc = {0, 0, 3, 1};
    POINTL ptl = {0, 0};
    ASSERT_TRUE(EngCopyBits(dst.pso, src.pso, nullptr, pxlo, &rc, &ptl));
    EXPECT_EQ(dst.Picture(1), "#.#\n");
    PlatXlateDelete(pxlo);
}

TEST(RasterOp, DeviceSurfaceWithoutBitsIsRefused)
{
    HSURF hsurf = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(1), SIZEL{10, 10}, BMF_24BPP);
    SURFOBJ* pso = EngLockSurface(hsurf);
    RECTL rc = {0, 0, 5, 5};
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    SetLastError(0);
    EXPECT_FALSE(EngBitBlt(pso, nullptr, nullptr, nullptr, nullptr, &rc, nullptr, nullptr, pbo, nullptr, 0xF0F0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    PlatBrushDelete(pbo);
    EngUnlockSurface(pso);
    EngDeleteSurface(hsurf);
}

}  // namespace
