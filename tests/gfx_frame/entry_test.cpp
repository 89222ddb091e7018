// The graphics library's entry points, hook table, strips and block chains.
#include "tests/gfx_frame/frame_fixture.h"

#include "graphics/ddi/chain.h"

#include <set>

namespace {

TEST(EnableDriver, RefusesOldEnginesAndShortRecords)
{
    DRVENABLEDATA ded = {};
    SetLastError(0);
    EXPECT_FALSE(DrvEnableDriver(0x1FFFF, sizeof(ded), &ded));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_DRIVER_LEVEL));
    SetLastError(0);
    // The record holds the hook table's address: 12 bytes in the 32-bit
    // build, 16 at 64 bits; one byte short is refused in both.
    EXPECT_FALSE(DrvEnableDriver(0x20000, sizeof(ded) - 1, &ded));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_DRIVER_LEVEL));
    ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof(ded), &ded));
    EXPECT_EQ(ded.iDriverVersion, 0x20000u);
    EXPECT_EQ(ded.c, 26u);
}

TEST(EnableDriver, HookTableRowsInTheirOrder)
{
    DRVENABLEDATA ded = {};
    ASSERT_TRUE(DrvEnableDriver(0x30000, sizeof(ded), &ded));
    const ULONG aExpected[26] = {0,  7,  1,  2,  3,  4,  35, 34, 33, 32, 57, 58, 24,
                                 25, 19, 18, 20, 69, 68, 14, 15, 16, 23, 37, 12, 13};
    std::set<PFN> functions;
    for (ULONG i = 0; i < 26; i++) {
        EXPECT_EQ(ded.pdrvfn[i].iFunc, aExpected[i]) << "row " << i;
        EXPECT_NE(ded.pdrvfn[i].pfn, nullptr) << "row " << i;
        functions.insert(ded.pdrvfn[i].pfn);
    }
    EXPECT_EQ(functions.size(), 26u);
}

TEST(EnableDriver, HooksRefuseAForeignPdev)
{
    DRVENABLEDATA ded = {};
    ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof(ded), &ded));
    auto pfnEnableSurface = reinterpret_cast<PFN_DrvEnableSurface>(
        reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvEnableSurface)));
    auto pfnStartDoc = reinterpret_cast<PFN_DrvStartDoc>(
        reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvStartDoc)));
    std::vector<BYTE> notAPdev(PDEV_TOTAL_SIZE, 0x11);
    PlatClearDebugLog();
    SetLastError(0);
    EXPECT_EQ(pfnEnableSurface(reinterpret_cast<DHPDEV>(notAPdev.data())), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_NE(PlatDebugLog().find("customnt\\xrddigfx\\xrddigfx ("), std::string::npos);
    EXPECT_NE(PlatDebugLog().find("): _bValidatePDEV failed."), std::string::npos);
    SURFOBJ so = {};
    so.dhpdev = reinterpret_cast<DHPDEV>(notAPdev.data());
    EXPECT_FALSE(pfnStartDoc(&so, nullptr, 1));
}

struct QueryCase {
    DWORD dwMode;
    DWORD cbBuf;
    BOOL bBuffer;
    BOOL bResult;
    DWORD dwError;
    DWORD cbNeeded;  // 0xEE: untouched
    DWORD dwBuffer;  // 0xEEEEEEEE: untouched
};

class QueryDriverInfo : public ::testing::TestWithParam<QueryCase> {};

TEST_P(QueryDriverInfo, AnswersUserModeOnly)
{
    const QueryCase& c = GetParam();
    DWORD dwBuffer = 0xEEEEEEEE;
    DWORD cbNeeded = 0xEE;
    SetLastError(0);
    BOOL b = DrvQueryDriverInfo(c.dwMode, c.bBuffer ? &dwBuffer : nullptr, c.cbBuf, &cbNeeded);
    EXPECT_EQ(b, c.bResult);
    EXPECT_EQ(GetLastError(), c.dwError);
    EXPECT_EQ(cbNeeded, c.cbNeeded);
    EXPECT_EQ(dwBuffer, c.dwBuffer);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryDriverInfo,
    ::testing::Values(QueryCase{1, 4, TRUE, TRUE, 0, 4, 1},
                      QueryCase{1, 3, TRUE, FALSE, ERROR_INSUFFICIENT_BUFFER, 4, 0xEEEEEEEE},
                      QueryCase{1, 4, FALSE, FALSE, ERROR_INSUFFICIENT_BUFFER, 4, 0xEEEEEEEE},
                      QueryCase{2, 4, TRUE, FALSE, ERROR_INVALID_PARAMETER, 0xEE, 0xEEEEEEEE}));

// --- DrvStretchBltROP strips ---

std::vector<std::pair<RECTL, RECTL>> g_strips;
BOOL g_bFailFirstStrip = FALSE;

BOOL RecordStrip(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*,
                 RECTL* prclDest, RECTL* prclSrc, POINTL*, ULONG, BRUSHOBJ*, DWORD)
{
    g_strips.push_back({*prclDest, *prclSrc});
    return !(g_bFailFirstStrip && g_strips.size() == 1);
}

struct StripCase {
    RECTL rcDest;
    RECTL rcSrc;
    std::vector<std::pair<LONG, LONG>> destRows;  // top, bottom of each strip
    std::vector<std::pair<LONG, LONG>> srcRows;
};

class StretchStrips : public ::testing::TestWithParam<StripCase> {};

TEST_P(StretchStrips, CutsAtMostFourHundredThousandPixels)
{
    const StripCase& c = GetParam();
    g_strips.clear();
    RECTL rcDest = c.rcDest;
    RECTL rcSrc = c.rcSrc;
    StretchBltROPInStrips(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &rcDest,
                          &rcSrc, nullptr, HALFTONE, nullptr, 0xCCCC, RecordStrip);
    ASSERT_EQ(g_strips.size(), c.destRows.size());
    for (size_t i = 0; i < g_strips.size(); i++) {
        EXPECT_EQ(g_strips[i].first.left, c.rcDest.left);
        EXPECT_EQ(g_strips[i].first.right, c.rcDest.right);
        EXPECT_EQ(g_strips[i].first.top, c.destRows[i].first) << "strip " << i;
        EXPECT_EQ(g_strips[i].first.bottom, c.destRows[i].second) << "strip " << i;
        EXPECT_EQ(g_strips[i].second.top, c.srcRows[i].first) << "strip " << i;
        EXPECT_EQ(g_strips[i].second.bottom, c.srcRows[i].second) << "strip " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StretchStrips,
    ::testing::Values(
        StripCase{{0, 0, 1000, 400}, {0, 0, 500, 200}, {{0, 400}}, {{0, 200}}},
        StripCase{{0, 0, 1000, 401}, {0, 0, 500, 803}, {{0, 201}, {201, 401}}, {{0, 402}, {402, 803}}},
        StripCase{{0, 0, 2000, 1000}, {0, 0, 2000, 1000},
                  {{0, 200}, {200, 400}, {400, 600}, {600, 800}, {800, 1000}},
                  {{0, 200}, {200, 400}, {400, 600}, {600, 800}, {800, 1000}}},
        // Wider than the limit: one row per strip, no division by zero.
        StripCase{{0, 0, 400001, 2}, {0, 0, 10, 2}, {{0, 1}, {1, 2}}, {{0, 1}, {1, 2}}},
        // Mirrored and empty destinations go whole.
        StripCase{{1000, 0, 0, 900}, {0, 0, 10, 10}, {{0, 900}}, {{0, 10}}},
        StripCase{{0, 0, 0, 0}, {0, 0, 10, 10}, {{0, 0}}, {{0, 10}}}));

TEST(StretchStripsResult, OnlyTheLastStripCounts)
{
    g_strips.clear();
    g_bFailFirstStrip = TRUE;
    RECTL rcDest = {0, 0, 1000, 401};
    RECTL rcSrc = {0, 0, 1000, 401};
    EXPECT_TRUE(StretchBltROPInStrips(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      &rcDest, &rcSrc, nullptr, HALFTONE, nullptr, 0xCCCC,
                                      RecordStrip));
    EXPECT_EQ(g_strips.size(), 2u);
    g_bFailFirstStrip = FALSE;
}

// --- block chains ---

TEST(BlockChain, FreesEverythingAndLeavesForeignBlocksAlone)
{
    LONG before = PlatGlobalLiveBlocks();
    CHAINHEAD* pA = CreateChainList();
    CHAINHEAD* pB = CreateChainList();
    ASSERT_NE(pA, nullptr);
    BYTE* p1 = static_cast<BYTE*>(AllocChainBlock(pA, 10));
    BYTE* p2 = static_cast<BYTE*>(AllocChainBlock(pA, 20));
    BYTE* p3 = static_cast<BYTE*>(AllocChainBlock(pA, 30));
    BYTE* pOther = static_cast<BYTE*>(AllocChainBlock(pB, 5));
    ASSERT_TRUE(p1 && p2 && p3 && pOther);
    EXPECT_EQ(p2[19], 0);  // zero-filled
    EXPECT_EQ(AllocChainBlock(nullptr, 4), nullptr);
    LONG afterAlloc = PlatGlobalLiveBlocks();
    FreeChainBlock(pA, pOther);  // not in this chain
    FreeChainBlock(pA, nullptr);
    FreeChainBlock(nullptr, p1);
    EXPECT_EQ(PlatGlobalLiveBlocks(), afterAlloc);
    FreeChainBlock(pA, p2);  // a middle block
    EXPECT_EQ(PlatGlobalLiveBlocks(), afterAlloc - 1);
    std::memset(p1, 0x5A, 10);
    std::memset(p3, 0x5A, 30);
    FreeChainList(pA);
    FreeChainList(pB);
    EXPECT_EQ(PlatGlobalLiveBlocks(), before);
}

TEST(BlockChain, AllocationFailureGivesNull)
{
    CHAINHEAD* pHead = CreateChainList();
    PlatFailAllocation(1);
    EXPECT_EQ(AllocChainBlock(pHead, 100), nullptr);
    FreeChainList(pHead);
}

}  // namespace
