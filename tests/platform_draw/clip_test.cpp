// Clip objects: complexity, bounds, rectangle enumeration in batches and
// orders, the clip as a path, and drawing through a clip.
#include "drawtest.h"

#include <vector>

namespace {

const RECTL kThree[3] = {{0, 0, 4, 2}, {6, 0, 8, 2}, {2, 4, 6, 6}};

// What a driver does: start, then call bEnum until it answers FALSE.
std::vector<RECTL> EnumerateAll(CLIPOBJ* pco, ULONG iDirection, ULONG cPerCall, int* pcCalls)
{
    std::vector<RECTL> out;
    CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, iDirection, 0);
    std::vector<ULONG> buf(1 + 4 * cPerCall);
    BOOL bMore;
    *pcCalls = 0;
    do {
        bMore = CLIPOBJ_bEnum(pco, static_cast<ULONG>(buf.size() * sizeof(ULONG)), buf.data());
        ++*pcCalls;
        const ENUMRECTS* per = reinterpret_cast<const ENUMRECTS*>(buf.data());
        for (ULONG i = 0; i < per->c; i++)
            out.push_back(per->arcl[i]);
    } while (bMore && *pcCalls < 100);
    return out;
}

struct ClipFixture : ::testing::Test {
    CLIPOBJ* pco = EngCreateClip();
    ~ClipFixture() override
    {
        EngDeleteClip(pco);
        PlatEngSetClipBatch(0);
    }
};

TEST_F(ClipFixture, ComplexityAndBoundsFollowTheRectangles)
{
    ASSERT_NE(pco, nullptr);
    EXPECT_EQ(pco->iDComplexity, DC_TRIVIAL);
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 1));
    EXPECT_EQ(pco->iDComplexity, DC_RECT);
    ULONG ulUniqOne = pco->iUniq;
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 3));
    EXPECT_EQ(pco->iDComplexity, DC_COMPLEX);
    EXPECT_EQ(pco->iMode, TC_RECTANGLES);
    EXPECT_NE(pco->iUniq, ulUniqOne);
    EXPECT_EQ(pco->rclBounds.left, 0);
    EXPECT_EQ(pco->rclBounds.top, 0);
    EXPECT_EQ(pco->rclBounds.right, 8);
    EXPECT_EQ(pco->rclBounds.bottom, 6);
}

TEST_F(ClipFixture, StartAnswersTheCountOrAllOnesAboveTheLimit)
{
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 3));
    EXPECT_EQ(CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, CD_ANY, 0), 3u);
    EXPECT_EQ(CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, CD_ANY, 3), 3u);
    EXPECT_EQ(CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, CD_ANY, 2), 0xFFFFFFFFu);
}

struct BatchCase {
    ULONG cBatch;     // engine's limit per call (0: none)
    ULONG cPerCall;   // rectangles the caller's buffer holds
    int cCalls;       // calls until FALSE
};

class ClipBatches : public ::testing::TestWithParam<BatchCase> {};

TEST_P(ClipBatches, EveryRectangleArrivesOnceOverSeveralCalls)
{
    const BatchCase& c = GetParam();
    CLIPOBJ* pco = EngCreateClip();
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 3));
    PlatEngSetClipBatch(c.cBatch);
    int cCalls = 0;
    std::vector<RECTL> got = EnumerateAll(pco, CD_ANY, c.cPerCall, &cCalls);
    PlatEngSetClipBatch(0);
    EXPECT_EQ(cCalls, c.cCalls);
    ASSERT_EQ(got.size(), 3u);
    // Stored top to bottom, then left to right.
    EXPECT_EQ(got[0].left, 0);
    EXPECT_EQ(got[1].left, 6);
    EXPECT_EQ(got[2].top, 4);
    EngDeleteClip(pco);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ClipBatches,
                         ::testing::Values(BatchCase{0, 10, 1}, BatchCase{0, 1, 3}, BatchCase{0, 2, 2},
                                           BatchCase{1, 10, 3}, BatchCase{2, 10, 2}));

struct DirectionCase {
    ULONG iDirection;
    LONG lefts[3];
};

class ClipDirections : public ::testing::TestWithParam<DirectionCase> {};

TEST_P(ClipDirections, RectanglesComeInTheAskedOrder)
{
    CLIPOBJ* pco = EngCreateClip();
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 3));
    int cCalls;
    std::vector<RECTL> got = EnumerateAll(pco, GetParam().iDirection, 10, &cCalls);
    ASSERT_EQ(got.size(), 3u);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(got[i].left, GetParam().lefts[i]) << i;
    EngDeleteClip(pco);
}

INSTANTIATE_TEST_SUITE_P(Orders, ClipDirections,
                         ::testing::Values(DirectionCase{CD_RIGHTDOWN, {0, 6, 2}}, DirectionCase{CD_LEFTDOWN, {6, 0, 2}},
                                           DirectionCase{CD_RIGHTUP, {2, 0, 6}}, DirectionCase{CD_LEFTUP, {2, 6, 0}}));

TEST_F(ClipFixture, ASimpleClipEnumeratesItsBoundsOnce)
{
    RECTL rc = {3, 4, 9, 10};
    ASSERT_TRUE(PlatClipSetRects(pco, &rc, 1));
    int cCalls;
    std::vector<RECTL> got = EnumerateAll(pco, CD_ANY, 4, &cCalls);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(cCalls, 1);
    EXPECT_EQ(got[0].right, 9);
}

TEST_F(ClipFixture, ADriversOwnClipHeadEnumeratesItsBounds)
{
    CLIPOBJ co = {};
    co.iDComplexity = DC_RECT;
    co.rclBounds = RECTL{1, 2, 3, 4};
    int cCalls;
    std::vector<RECTL> got = EnumerateAll(&co, CD_ANY, 4, &cCalls);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bottom, 4);
}

TEST_F(ClipFixture, TooSmallABufferIsRefused)
{
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 3));
    CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, CD_ANY, 0);
    ULONG ul[4];
    SetLastError(0);
    EXPECT_FALSE(CLIPOBJ_bEnum(pco, sizeof(ULONG) * 2, ul));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ClipFixture, TheClipAsAPathHasOneClosedSquareSubpathPerRectangle)
{
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 2));
    PATHOBJ* ppo = CLIPOBJ_ppoGetPath(pco);
    ASSERT_NE(ppo, nullptr);
    PATHOBJ_vEnumStart(ppo);
    PATHDATA pd;
    std::vector<FLONG> flags;
    std::vector<POINTFIX> pts;
    BOOL bMore;
    do {
        bMore = PATHOBJ_bEnum(ppo, &pd);
        flags.push_back(pd.flags);
        pts.insert(pts.end(), pd.pptfx, pd.pptfx + pd.count);
    } while (bMore);
    ASSERT_EQ(flags.size(), 2u);
    for (FLONG fl : flags)
        EXPECT_EQ(fl, static_cast<FLONG>(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE));
    ASSERT_EQ(pts.size(), 8u);
    EXPECT_EQ(pts[0].x, 0);
    EXPECT_EQ(pts[2].x, 4 * 16);
    EXPECT_EQ(pts[2].y, 2 * 16);
    EXPECT_EQ(pts[4].x, 6 * 16);
    EngDeletePath(ppo);
}

TEST_F(ClipFixture, APathClipReportsThePathItCameFrom)
{
    PATHOBJ* ppo = EngCreatePath();
    POINTFIX apt[2] = {Fx(10, 0), Fx(5, 10)};
    PATHOBJ_bMoveTo(ppo, Fx(0, 0));
    PATHOBJ_bPolyLineTo(ppo, apt, 2);
    PATHOBJ_bCloseFigure(ppo);
    ASSERT_TRUE(PlatClipSetPath(pco, ppo));
    EXPECT_EQ(pco->iMode, TC_PATHOBJ);
    EXPECT_EQ(pco->iDComplexity, DC_COMPLEX);
    PATHOBJ* ppoClip = CLIPOBJ_ppoGetPath(pco);
    ASSERT_NE(ppoClip, nullptr);
    EXPECT_NE(ppoClip, ppo);
    PATHOBJ_vEnumStart(ppoClip);
    PATHDATA pd;
    EXPECT_FALSE(PATHOBJ_bEnum(ppoClip, &pd));
    EXPECT_EQ(pd.count, 3u);
    EXPECT_EQ(pd.pptfx[2].y, 160);
    EngDeletePath(ppoClip);
    EngDeletePath(ppo);
}

TEST_F(ClipFixture, PaintTouchesOnlyPixelsInsideTheRectangles)
{
    ASSERT_TRUE(PlatClipSetRects(pco, kThree, 3));
    TestBitmap bmp(8, 6, BMF_1BPP);
    bmp.Fill(1);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    PlatEngSetClipBatch(1);
    ASSERT_TRUE(EngPaint(bmp.pso, pco, pbo, nullptr, R2_COPYPEN | (R2_COPYPEN << 8)));
    EXPECT_EQ(bmp.Picture(0), Rows({"####..##",
                                    "####..##",
                                    "........",
                                    "........",
                                    "..####..",
                                    "..####.."}));
    PlatBrushDelete(pbo);
}

}  // namespace
