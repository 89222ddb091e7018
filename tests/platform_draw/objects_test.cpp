// Brush, translation and transform objects, pattern tiling, and the
// drawing the engine hands back to a driver on a device surface.
#include "drawtest.h"

#include <cstring>
#include <vector>

namespace {

// A hook as a row of the table.
template <typename F>
PFN Fn(F f)
{
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
}

// --- pattern brushes -----------------------------------------------------------------

TEST(PatternBrush, TilesFromTheBrushOrigin)
{
    // A 3 x 2 pattern: top row red green blue, bottom row white.
    TestBitmap pat(3, 2, BMF_24BPP);
    pat.Set(0, 0, 0x0000FF);
    pat.Set(1, 0, 0x00FF00);
    pat.Set(2, 0, 0xFF0000);
    pat.Set(0, 1, 0xFFFFFF);
    pat.Set(1, 1, 0xFFFFFF);
    pat.Set(2, 1, 0xFFFFFF);
    PLATBRUSHDEF def = {0xFFFFFFFF, 0, 6, pat.hsurf, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    struct Case {
        POINTL org;
        ULONG at00, at10, at01;
    } cases[] = {
        {{0, 0}, 0x0000FF, 0x00FF00, 0xFFFFFF},
        {{1, 0}, 0xFF0000, 0x0000FF, 0xFFFFFF},
        {{0, 1}, 0xFFFFFF, 0xFFFFFF, 0x0000FF},
        {{-1, 3}, 0xFFFFFF, 0xFFFFFF, 0x00FF00},
        {{5, 0}, 0x00FF00, 0xFF0000, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        TestBitmap dst(7, 5, BMF_24BPP);
        RECTL rc = {0, 0, 7, 5};
        POINTL org = c.org;
        ASSERT_TRUE(EngBitBlt(dst.pso, nullptr, nullptr, nullptr, nullptr, &rc, nullptr, nullptr, pbo, &org, 0xF0F0));
        EXPECT_EQ(dst.Get(0, 0), c.at00) << c.org.x << "," << c.org.y;
        EXPECT_EQ(dst.Get(1, 0), c.at10) << c.org.x << "," << c.org.y;
        EXPECT_EQ(dst.Get(0, 1), c.at01) << c.org.x << "," << c.org.y;
        // The pattern repeats every 3 columns and 2 rows.
        for (LONG y = 0; y < 5; y++)
            for (LONG x = 0; x + 3 < 7; x++)
                ASSERT_EQ(dst.Get(x, y), dst.Get(x + 3, y));
        for (LONG y = 0; y + 2 < 5; y++)
            ASSERT_EQ(dst.Get(4, y), dst.Get(4, y + 2));
    }
    PlatBrushDelete(pbo);
}

TEST(PatternBrush, OneBitPatternTakesItsColoursFromTheTranslation)
{
    TestBitmap pat(2, 1, BMF_1BPP);
    pat.Set(1, 0, 1);
    // Index 0 is blue and 1 yellow; the target holds colours itself.
    const ULONG src[2] = {RGB(0, 0, 255), RGB(255, 255, 0)};
    XLATEOBJ* pxlo = PlatXlateCreate(src, 2, nullptr, 0);
    ASSERT_NE(pxlo, nullptr);
    PLATBRUSHDEF def = {0xFFFFFFFF, 0, 6, pat.hsurf, pxlo, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    TestBitmap dst(4, 1, BMF_24BPP);
    RECTL rc = {0, 0, 4, 1};
    ASSERT_TRUE(EngBitBlt(dst.pso, nullptr, nullptr, nullptr, nullptr, &rc, nullptr, nullptr, pbo, nullptr, 0xF0F0));
    EXPECT_EQ(dst.Get(0, 0), 0xFF0000u);
    EXPECT_EQ(dst.Get(1, 0), 0x00FFFFu);
    EXPECT_EQ(dst.Get(2, 0), 0xFF0000u);
    PlatBrushDelete(pbo);
    PlatXlateDelete(pxlo);
}

TEST(PatternBrush, ATransparentHatchDrawsOnlyItsLines)
{
    PLATBRUSHDEF def = {0xFFFFFFFF, 0, 0 /* horizontal */, nullptr, nullptr, nullptr, nullptr, TRUE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    TestBitmap dst(8, 8, BMF_1BPP);
    dst.Fill(1);
    dst.Set(0, 0, 0);  // something under the background that must stay
    RECTL rc = {0, 0, 8, 8};
    ASSERT_TRUE(EngBitBlt(dst.pso, nullptr, nullptr, nullptr, nullptr, &rc, nullptr, nullptr, pbo, nullptr, 0xF0F0));
    EXPECT_EQ(dst.Get(0, 0), 0u);
    EXPECT_EQ(dst.Get(5, 1), 1u);
    for (LONG x = 0; x < 8; x++)
        EXPECT_EQ(dst.Get(x, 3), 0u);  // the hatch line
    PlatBrushDelete(pbo);
}

// --- realization by the driver -----------------------------------------------------

struct RealizeLog {
    int cCalls = 0;
    ULONG iHatch = 0;
    LONG cxPattern = 0;
    BYTE abRows[8] = {};
    XLATEOBJ* pxlo = nullptr;
};
RealizeLog g_realize;

BOOL FakeRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                      XLATEOBJ* pxlo, ULONG iHatch)
{
    g_realize.cCalls++;
    g_realize.iHatch = iHatch;
    g_realize.pxlo = pxlo;
    g_realize.cxPattern = psoPattern ? psoPattern->sizlBitmap.cx : -1;
    if (psoPattern && psoPattern->iBitmapFormat == BMF_1BPP)
        for (LONG y = 0; y < 8 && y < psoPattern->sizlBitmap.cy; y++)
            g_realize.abRows[y] = static_cast<BYTE*>(psoPattern->pvScan0)[y * psoPattern->lDelta];
    ULONG* p = static_cast<ULONG*>(BRUSHOBJ_pvAllocRbrush(pbo, 16));
    if (!p)
        return FALSE;
    p[0] = 0xB00B;
    return TRUE;
}

BOOL FailingRealizeBrush(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG)
{
    g_realize.cCalls++;
    return FALSE;
}

TEST(BrushRealization, TheDriverRealizesAHatchOnceWithItsCell)
{
    g_realize = RealizeLog();
    const ULONG pal[2] = {RGB(255, 0, 0), RGB(255, 255, 255)};
    XLATEOBJ* pxlo = PlatXlateCreate(pal, 2, nullptr, 0);
    PLATBRUSHDEF def = {0xFFFFFFFF, RGB(255, 0, 0), 1 /* vertical */, nullptr, pxlo, nullptr, FakeRealizeBrush, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    ULONG* p = static_cast<ULONG*>(BRUSHOBJ_pvGetRbrush(pbo));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0xB00Bu);
    EXPECT_EQ(BRUSHOBJ_pvGetRbrush(pbo), p);
    EXPECT_EQ(g_realize.cCalls, 1);
    EXPECT_EQ(g_realize.iHatch, 1u);
    EXPECT_EQ(g_realize.cxPattern, 8);
    EXPECT_EQ(g_realize.pxlo, pxlo);
    for (BYTE b : g_realize.abRows)
        EXPECT_EQ(b, 0xEF);  // column 3 is the line (0 bits)
    EXPECT_EQ(BRUSHOBJ_ulGetBrushColor(pbo), static_cast<ULONG>(RGB(255, 0, 0)));
    PlatBrushDelete(pbo);
    PlatXlateDelete(pxlo);
}

TEST(BrushRealization, AFailedRealizationIsNotRetriedAndGivesNull)
{
    g_realize = RealizeLog();
    TestBitmap pat(9, 3, BMF_24BPP);
    PLATBRUSHDEF def = {0xFFFFFFFF, 0, 6, pat.hsurf, nullptr, nullptr, FailingRealizeBrush, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    EXPECT_EQ(BRUSHOBJ_pvGetRbrush(pbo), nullptr);
    EXPECT_EQ(BRUSHOBJ_pvGetRbrush(pbo), nullptr);
    EXPECT_EQ(g_realize.cCalls, 1);
    PlatBrushDelete(pbo);
}

TEST(BrushRealization, SolidAndForeignBrushesHaveNoRealization)
{
    PLATBRUSHDEF def = {0x123456, 0x123456, 0, nullptr, nullptr, nullptr, FakeRealizeBrush, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    EXPECT_EQ(BRUSHOBJ_pvGetRbrush(pbo), nullptr);
    PlatBrushDelete(pbo);
    BRUSHOBJ mine = {0xFFFFFFFF, nullptr, 0};
    EXPECT_EQ(BRUSHOBJ_pvGetRbrush(&mine), nullptr);
    EXPECT_EQ(BRUSHOBJ_pvAllocRbrush(&mine, 8), nullptr);
    EXPECT_EQ(BRUSHOBJ_ulGetBrushColor(&mine), 0xFFFFFFFFu);
}

// --- translations and transforms ----------------------------------------------------

TEST(Translation, TablesPalettesAndTrivialCases)
{
    const ULONG src[3] = {RGB(0, 0, 0), RGB(250, 250, 250), RGB(90, 90, 90)};
    const ULONG bw[2] = {0x000000, 0xFFFFFF};
    XLATEOBJ* pxlo = PlatXlateCreate(src, 3, bw, 2);
    ASSERT_NE(pxlo, nullptr);
    EXPECT_TRUE(pxlo->flXlate & XO_TABLE);
    EXPECT_EQ(pxlo->cEntries, 3u);
    EXPECT_EQ(XLATEOBJ_iXlate(pxlo, 0), 0u);
    EXPECT_EQ(XLATEOBJ_iXlate(pxlo, 1), 1u);
    EXPECT_EQ(XLATEOBJ_iXlate(pxlo, 2), 0u);
    EXPECT_EQ(XLATEOBJ_iXlate(pxlo, 7), 0u);  // beyond the table
    EXPECT_EQ(XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, 0, nullptr), 3u);
    ULONG got[4] = {};
    EXPECT_EQ(XLATEOBJ_cGetPalette(pxlo, XO_SRCPALETTE, 2, got), 2u);
    EXPECT_EQ(got[1], static_cast<ULONG>(RGB(250, 250, 250)));
    EXPECT_EQ(got[2], 0u);
    EXPECT_EQ(XLATEOBJ_cGetPalette(pxlo, XO_DESTPALETTE, 4, got), 2u);
    EXPECT_EQ(got[1], 0xFFFFFFu);
    PlatXlateDelete(pxlo);

    XLATEOBJ* pxloRgb = PlatXlateCreate(nullptr, 0, nullptr, 0);
    EXPECT_TRUE(pxloRgb->flXlate & XO_TRIVIAL);
    EXPECT_EQ(XLATEOBJ_iXlate(pxloRgb, 0x123456), 0x123456u);
    EXPECT_EQ(XLATEOBJ_iXlate(nullptr, 5), 5u);
    PlatXlateDelete(pxloRgb);
}

TEST(Transform, KindsAndPointsIntoFixedValues)
{
    struct Case {
        XFORML xf;
        ULONG iKind;
    } cases[] = {
        {{1, 0, 0, 1, 0, 0}, GX_IDENTITY},
        {{1, 0, 0, 1, 5, 0}, GX_OFFSET},
        {{2, 0, 0, 2, 0, 0}, GX_SCALE},
        {{0, 1, -1, 0, 0, 0}, GX_GENERAL},
    };
    for (const Case& c : cases) {
        XFORMOBJ* pxo = PlatXformCreate(&c.xf);
        XFORML got;
        EXPECT_EQ(XFORMOBJ_iGetXform(pxo, &got), c.iKind);
        EXPECT_EQ(got.eDx, c.xf.eDx);
        PlatXformDelete(pxo);
    }
    XFORML xf = {2, 0, 0, 3, 1, -1};
    XFORMOBJ* pxo = PlatXformCreate(&xf);
    POINTL in[2] = {{1, 1}, {-2, 4}};
    POINTL out[2];
    ASSERT_TRUE(XFORMOBJ_bApplyXform(pxo, XF_LTOFX, 2, in, out));
    EXPECT_EQ(out[0].x, 3 * 16);
    EXPECT_EQ(out[0].y, 2 * 16);
    EXPECT_EQ(out[1].x, -3 * 16);
    EXPECT_EQ(out[1].y, 11 * 16);
    POINTL back[2];
    ASSERT_TRUE(XFORMOBJ_bApplyXform(pxo, XF_INV_FXTOL, 2, out, back));
    EXPECT_EQ(back[1].x, -2);
    EXPECT_EQ(back[1].y, 4);
    PlatXformDelete(pxo);
    EXPECT_EQ(XFORMOBJ_iGetXform(nullptr, nullptr), static_cast<ULONG>(GX_IDENTITY));
}

// --- drawing handed back to the driver ------------------------------------------------

struct BltLog {
    int cBitBlt = 0;
    int cCopyBits = 0;
    RECTL rclTrg = {};
    ROP4 rop4 = 0;
    std::vector<ULONG> pixels;  // the source bitmap the engine built
    LONG cx = 0;
};
BltLog g_blt;

void KeepSource(SURFOBJ* psoSrc)
{
    g_blt.pixels.clear();
    g_blt.cx = psoSrc->sizlBitmap.cx;
    for (LONG y = 0; y < psoSrc->sizlBitmap.cy; y++)
        for (LONG x = 0; x < psoSrc->sizlBitmap.cx; x++) {
            const BYTE* p = static_cast<const BYTE*>(psoSrc->pvScan0) + y * psoSrc->lDelta + x * 3;
            g_blt.pixels.push_back(p[2] | (p[1] << 8) | (p[0] << 16));
        }
}

BOOL FakeBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL* prclTrg, POINTL*,
                POINTL*, BRUSHOBJ*, POINTL*, ROP4 rop4)
{
    g_blt.cBitBlt++;
    g_blt.rclTrg = *prclTrg;
    g_blt.rop4 = rop4;
    if (psoSrc)
        KeepSource(psoSrc);
    return psoTrg->iType == STYPE_DEVICE;
}

BOOL FakeCopyBits(SURFOBJ*, SURFOBJ* psoSrc, CLIPOBJ*, XLATEOBJ*, RECTL* prclDest, POINTL*)
{
    g_blt.cCopyBits++;
    g_blt.rclTrg = *prclDest;
    KeepSource(psoSrc);
    return TRUE;
}

struct DeviceFixture : ::testing::Test {
    DRVFN afn[2];
    DRVENABLEDATA ded;
    HDEV hdev = PlatEngCreateDevice(reinterpret_cast<DHPDEV>(0x1234));
    HSURF hsurf = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(0x1234), SIZEL{100, 100}, BMF_24BPP);
    SURFOBJ* pso = nullptr;

    void Hook(FLONG flHooks, BOOL bBitBlt)
    {
        afn[0] = DRVFN{INDEX_DrvBitBlt, Fn(FakeBitBlt)};
        afn[1] = DRVFN{INDEX_DrvCopyBits, Fn(FakeCopyBits)};
        ded = DRVENABLEDATA{DDI_DRIVER_VERSION_NT5, 2, bBitBlt ? afn : afn + 1};
        if (!bBitBlt)
            ded.c = 1;
        PlatEngSetDeviceDriver(hdev, &ded, 1);
        ASSERT_TRUE(EngAssociateSurface(hsurf, hdev, flHooks));
        pso = EngLockSurface(hsurf);
        g_blt = BltLog();
    }
    ~DeviceFixture() override
    {
        if (pso)
            EngUnlockSurface(pso);
        EngDeleteSurface(hsurf);
        PlatEngSetDeviceDriver(hdev, nullptr, 0);
        PlatEngDeleteDevice(hdev);
    }
};

TEST_F(DeviceFixture, StretchWithARasterOperationReachesTheDriversBitBlt)
{
    Hook(HOOK_BITBLT | HOOK_COPYBITS | HOOK_STRETCHBLTROP, TRUE);
    TestBitmap src(2, 1, BMF_24BPP);
    src.Set(0, 0, 0x0000FF);
    src.Set(1, 0, 0x00FF00);
    RECTL rcDst = {10, 20, 14, 22}, rcSrc = {0, 0, 2, 1};
    ASSERT_TRUE(EngStretchBltROP(pso, src.pso, nullptr, nullptr, nullptr, nullptr, nullptr, &rcDst, &rcSrc,
                                 nullptr, COLORONCOLOR, nullptr, 0x8888));
    EXPECT_EQ(g_blt.cBitBlt, 1);
    EXPECT_EQ(g_blt.rop4, 0x8888u);
    EXPECT_EQ(g_blt.rclTrg.left, 10);
    EXPECT_EQ(g_blt.rclTrg.bottom, 22);
    ASSERT_EQ(g_blt.pixels.size(), 8u);
    const ULONG expected[8] = {0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(g_blt.pixels[i], expected[i]) << i;
}

TEST_F(DeviceFixture, AGradientOnADeviceGoesToCopyBitsWhenOnlyThatIsHooked)
{
    Hook(HOOK_COPYBITS, FALSE);
    TRIVERTEX v[2] = {{0, 0, 0, 0, 0, 0}, {4, 1, 0xFF00, 0xFF00, 0xFF00, 0}};
    GRADIENT_RECT gr = {0, 1};
    RECTL rcExt = {0, 0, 4, 1};
    ASSERT_TRUE(EngGradientFill(pso, nullptr, nullptr, v, 2, &gr, 1, &rcExt, nullptr, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(g_blt.cCopyBits, 1);
    ASSERT_EQ(g_blt.pixels.size(), 4u);
    // Dark on the left, light on the right, grey levels rising.
    EXPECT_EQ(g_blt.pixels[0], 0u);
    EXPECT_LT(g_blt.pixels[1] & 0xFF, g_blt.pixels[2] & 0xFF);
    EXPECT_LT(g_blt.pixels[2] & 0xFF, g_blt.pixels[3] & 0xFF);
}

TEST_F(DeviceFixture, WithoutAHookTheDeviceCannotBeDrawn)
{
    Hook(0, TRUE);
    TestBitmap src(1, 1, BMF_24BPP);
    RECTL rcDst = {0, 0, 1, 1}, rcSrc = {0, 0, 1, 1};
    EXPECT_FALSE(EngStretchBltROP(pso, src.pso, nullptr, nullptr, nullptr, nullptr, nullptr, &rcDst, &rcSrc,
                                  nullptr, COLORONCOLOR, nullptr, 0xCCCC));
    EXPECT_EQ(g_blt.cBitBlt, 0);
}

TEST(Stretch, EnlargesShrinksAndMirrorsByNearestPixel)
{
    TestBitmap src(4, 1, BMF_24BPP);
    for (LONG x = 0; x < 4; x++)
        src.Set(x, 0, static_cast<ULONG>(x + 1));
    struct Case {
        RECTL dst;
        RECTL srcRect;
        ULONG expected[8];
        LONG cx;
    } cases[] = {
        {{0, 0, 8, 1}, {0, 0, 4, 1}, {1, 1, 2, 2, 3, 3, 4, 4}, 8},
        {{0, 0, 2, 1}, {0, 0, 4, 1}, {2, 4}, 2},  // each target centre's source pixel
        {{0, 0, 4, 1}, {4, 0, 0, 1}, {4, 3, 2, 1}, 4},
        {{4, 0, 0, 1}, {0, 0, 4, 1}, {4, 3, 2, 1}, 4},
    };
    for (const Case& c : cases) {
        TestBitmap dst(8, 1, BMF_24BPP);
        RECTL d = c.dst, s = c.srcRect;
        ASSERT_TRUE(EngStretchBlt(dst.pso, src.pso, nullptr, nullptr, nullptr, nullptr, nullptr, &d, &s, nullptr,
                                  COLORONCOLOR));
        for (LONG x = 0; x < c.cx; x++)
            EXPECT_EQ(dst.Get(x, 0), c.expected[x]) << "case " << (&c - cases) << " x " << x;
    }
}

TEST(Gradient, TrianglesAndRectanglesOnABitmap)
{
    TestBitmap dst(8, 8, BMF_24BPP);
    dst.Fill(0x123456);
    TRIVERTEX v[3] = {{0, 0, 0xFF00, 0, 0, 0}, {8, 0, 0xFF00, 0, 0, 0}, {0, 8, 0xFF00, 0, 0, 0}};
    GRADIENT_TRIANGLE t = {0, 1, 2};
    RECTL rc = {0, 0, 8, 8};
    ASSERT_TRUE(EngGradientFill(dst.pso, nullptr, nullptr, v, 3, &t, 1, &rc, nullptr, GRADIENT_FILL_TRIANGLE));
    EXPECT_EQ(dst.Get(0, 0), 0x0000FFu);
    EXPECT_EQ(dst.Get(6, 0), 0x0000FFu);
    EXPECT_EQ(dst.Get(7, 7), 0x123456u);  // outside the triangle
    GRADIENT_RECT bad = {0, 5};
    EXPECT_FALSE(EngGradientFill(dst.pso, nullptr, nullptr, v, 3, &bad, 1, &rc, nullptr, GRADIENT_FILL_RECT_V));
}

}  // namespace

namespace {

TEST(Stretch, HalftoneKeepsTheGreyOfAColourImageOnAOneBitPage)
{
    TestBitmap src(8, 8, BMF_24BPP);
    src.Fill(RGB(128, 128, 128));
    const ULONG bw[2] = {0x000000, 0xFFFFFF};
    XLATEOBJ* pxlo = PlatXlateCreate(nullptr, 0, bw, 2);
    struct Case {
        ULONG iMode;
        int cMinBlack, cMaxBlack;
    } cases[] = {{HALFTONE, 24, 40}, {COLORONCOLOR, 0, 0}};  // nearest colour of mid grey is white
    for (const Case& c : cases) {
        TestBitmap dst(16, 16, BMF_1BPP);
        RECTL rcD = {0, 0, 16, 16}, rcS = {0, 0, 8, 8};
        ASSERT_TRUE(EngStretchBlt(dst.pso, src.pso, nullptr, nullptr, pxlo, nullptr, nullptr, &rcD, &rcS, nullptr,
                                  c.iMode));
        int cBlack = 0;
        for (LONG y = 0; y < 16; y++)
            for (LONG x = 0; x < 16; x++)
                cBlack += dst.Get(x, y) == 0;
        cBlack = cBlack * 64 / 256;  // per 64 pixels
        EXPECT_GE(cBlack, c.cMinBlack) << c.iMode;
        EXPECT_LE(cBlack, c.cMaxBlack) << c.iMode;
    }
    PlatXlateDelete(pxlo);
}

}  // namespace
