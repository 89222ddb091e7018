// The watermark list: a new list, the built-in watermarks, the field
// locator, copies, and its round trip through the per-user registry.
#include "ui/settings/wmlist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/common/testroot.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"

namespace {

const char16_t kPrinter[] = u"Watermark Printer";

std::u16string Str(const WCHAR* p) { return std::u16string(p); }

struct ListGuard {
    WATERMARKLIST* p = CreateWatermarkList();
    ~ListGuard() { FreeWatermarkList(&p); }
};

TEST(WatermarkList, NewListHoldsNoRecordsAndTheDefaultLook)
{
    ListGuard g;
    ASSERT_NE(nullptr, g.p);
    EXPECT_EQ(0, g.p->sCount);
    const BYTE* pb = (const BYTE*)g.p->pRecords;
    for (size_t i = 0; i < sizeof(WATERMARK) * WATERMARK_SLOTS; ++i)
        ASSERT_EQ(0, pb[i]) << i;
    const WATERMARK& c = *g.p->pCurrent;
    EXPECT_EQ(u"", Str(c.szText));
    EXPECT_EQ(u"ＭＳ Ｐゴシック", Str(c.szFace));
    EXPECT_EQ(1u, c.dwStyle);
    EXPECT_EQ(72u, c.dwSize);
    EXPECT_EQ(0, c.lAngle);
    EXPECT_EQ(126u, c.dwColor);
    EXPECT_EQ(0u, c.dwCenterX);
    EXPECT_EQ(0u, c.dwCenterY);
}

TEST(WatermarkList, FailedCreationLeavesNothingAllocated)
{
    LONG cBlocks = PlatGlobalLiveBlocks();
    for (LONG n = 1; n <= 3; ++n) {
        PlatFailAllocation(n);
        WATERMARKLIST* p = CreateWatermarkList();
        PlatFailAllocation(0);
        EXPECT_EQ(nullptr, p) << n;
        FreeWatermarkList(&p);
        EXPECT_EQ(cBlocks, PlatGlobalLiveBlocks()) << n;
    }
}

TEST(WatermarkList, LocatorAnswersEachFieldOfTheRecord)
{
    ListGuard g;
    ASSERT_NE(nullptr, g.p);
    struct Row {
        WORD wId;
        DWORD dwOffset;
        DWORD cb;
        WORD wType;
    };
    const Row rows[] = {
        {15, 0, 66, 128},  {17, 66, 64, 128}, {19, 132, 4, 16}, {21, 136, 4, 16}, {23, 140, 4, 8},
        {99, 144, 4, 16},  {25, 148, 4, 16},  {27, 152, 4, 16}, {29, 156, 4, 16},
    };
    for (const Row& r : rows) {
        void* pAddr = nullptr;
        DWORD cb = 0;
        WORD wType = 0;
        ASSERT_TRUE(GetWatermarkField(r.wId, 7, &pAddr, &cb, &wType, g.p)) << r.wId;
        EXPECT_EQ((BYTE*)&g.p->pRecords[7] + r.dwOffset, pAddr) << r.wId;
        EXPECT_EQ(r.cb, cb) << r.wId;
        EXPECT_EQ(r.wType, wType) << r.wId;
    }
    void* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    ASSERT_TRUE(GetWatermarkField(WMF_COUNT, 0, &pAddr, &cb, &wType, g.p));
    EXPECT_EQ((void*)&g.p->sCount, pAddr);
    EXPECT_EQ(2u, cb);
    EXPECT_EQ(4, wType);
    ASSERT_TRUE(GetWatermarkField(WMF_LIST, 0, &pAddr, &cb, &wType, g.p));
    EXPECT_EQ((void*)g.p, pAddr);
    // The list object itself (in memory only; a registry key, never a
    // stored value): 12 bytes at 32 bits, wider with 64-bit pointers.
    EXPECT_EQ((DWORD)sizeof(WATERMARKLIST), cb);
    if (sizeof(void*) == 4) {
        EXPECT_EQ(12u, cb);
    }
    EXPECT_EQ(64, wType);
    ASSERT_TRUE(GetWatermarkField(WMF_RECORDS, 0, &pAddr, &cb, &wType, g.p));
    EXPECT_EQ((void*)g.p->pRecords, pAddr);
    EXPECT_EQ(160u, cb);
    EXPECT_TRUE(GetWatermarkField(WMF_TEXT, 50, nullptr, nullptr, nullptr, g.p));
    // Outside the array, an unknown field or no list: nothing answered.
    const struct {
        WORD wId;
        int n;
        WATERMARKLIST* pList;
    } refused[] = {{WMF_TEXT, 51, g.p}, {WMF_TEXT, -1, g.p}, {14, 0, g.p}, {WMF_TEXT, 0, nullptr}};
    for (const auto& r : refused) {
        pAddr = &cb;
        cb = 9;
        wType = 9;
        EXPECT_FALSE(GetWatermarkField(r.wId, r.n, &pAddr, &cb, &wType, r.pList));
        EXPECT_EQ(nullptr, pAddr);
        EXPECT_EQ(0u, cb);
        EXPECT_EQ(0, wType);
    }
}

TEST(WatermarkList, AccessCopiesTheFieldOutWithItsType)
{
    ListGuard g;
    ASSERT_NE(nullptr, g.p);
    g.p->pRecords[3].lAngle = -450;
    LONG l = 0;
    DWORD cb = sizeof(l);
    EXPECT_EQ(TVC_OK, AccessWatermarkField(WMF_ANGLE, &l, &cb, 8, 3, nullptr, nullptr, nullptr, g.p));
    EXPECT_EQ(-450, l);
    // Narrowed into a smaller buffer: copied, and reported as smaller.
    SHORT s = 0;
    cb = sizeof(s);
    EXPECT_EQ(TVC_MOREDATA, AccessWatermarkField(WMF_ANGLE, &s, &cb, 4, 3, nullptr, nullptr, nullptr, g.p));
    EXPECT_EQ(-450, s);
    EXPECT_EQ(TVC_BADARG, AccessWatermarkField(WMF_ANGLE, &l, &cb, 8, 51, nullptr, nullptr, nullptr, g.p));
}

TEST(WatermarkList, CopyKeepsEachListsOwnBlocks)
{
    ListGuard a, b;
    ASSERT_TRUE(a.p && b.p);
    a.p->sCount = 5;
    lstrcpynW(a.p->pRecords[4].szText, u"Draft", WATERMARK_TEXT_CCH);
    a.p->pCurrent->dwSize = 100;
    WATERMARK* pRecords = b.p->pRecords;
    WATERMARK* pCurrent = b.p->pCurrent;
    ASSERT_TRUE(CopyWatermarkList(b.p, a.p));
    // Copied out of the packed list head before comparing.
    WATERMARK* pRecordsAfter = b.p->pRecords;
    WATERMARK* pCurrentAfter = b.p->pCurrent;
    EXPECT_EQ(pRecords, pRecordsAfter);
    EXPECT_EQ(pCurrent, pCurrentAfter);
    EXPECT_EQ(5, b.p->sCount);
    EXPECT_EQ(100u, b.p->pCurrent->dwSize);
    lstrcpynW(a.p->pRecords[4].szText, u"Changed", WATERMARK_TEXT_CCH);
    EXPECT_EQ(u"Draft", Str(b.p->pRecords[4].szText));
}

TEST(WatermarkList, CountIsClampedForReaders)
{
    WATERMARKLIST l = {};
    const struct {
        SHORT sCount;
        int iExpected;
    } rows[] = {{-3, 0}, {0, 0}, {16, 16}, {51, 51}, {60, 51}};
    for (const auto& r : rows) {
        l.sCount = r.sCount;
        EXPECT_EQ(r.iExpected, WatermarkListCount(&l)) << r.sCount;
    }
    EXPECT_EQ(0, WatermarkListCount(nullptr));
}

class WatermarkStore : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        ASSERT_TRUE(PlatInstallPrinter(kPrinter, u"C:\\port.prn", nullptr));
        BuildRegTreeTables(&tables);
        ASSERT_NE(nullptr, tables.pAll);
        ASSERT_NE(nullptr, LoadResourceDll());
    }
    void TearDown() override
    {
        FreeResourceDll();
        FreeRegTreeTables(&tables);
    }
    REGTREESET tables = {};
};

TEST_F(WatermarkStore, BuiltInWatermarksAreSixteenFromTheResourceTexts)
{
    ListGuard g;
    ASSERT_NE(nullptr, g.p);
    SetDefaultWatermarks(g.p);
    EXPECT_EQ(16, g.p->sCount);
    EXPECT_EQ(u"", Str(g.p->pRecords[0].szText));
    EXPECT_EQ(u"TOP SECRET", Str(g.p->pRecords[15].szText));
    EXPECT_EQ(Str(GetResString(30002)), Str(g.p->pRecords[1].szText));
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(u"ＭＳ Ｐゴシック", Str(g.p->pRecords[i].szFace)) << i;
        EXPECT_EQ(72u, g.p->pRecords[i].dwSize) << i;
        EXPECT_EQ(126u, g.p->pRecords[i].dwColor) << i;
    }
    EXPECT_EQ(u"", Str(g.p->pRecords[16].szText));
}

TEST_F(WatermarkStore, ResetSaveAndLoadThroughTheRegistry)
{
    ASSERT_TRUE(ResetWatermarkList(&tables, kPrinter));
    WCHAR szPath[USERREG_PATH_CCH];
    ASSERT_TRUE(BuildUserRegPath(szPath, kPrinter, u"WaterMark", nullptr));
    DWORD dw = 0, cb = sizeof(dw), dwType = 0;
    ASSERT_TRUE(bQueryUserRegValue(hkeyUserRoot(), szPath, &dwType, u"WMarkListNum", &dw, &cb));
    EXPECT_EQ((DWORD)REG_DWORD, dwType);
    EXPECT_EQ(16u, dw);
    ASSERT_TRUE(BuildUserRegPath(szPath, kPrinter, u"WaterMark", u"WMarkListData15"));
    WCHAR sz[40] = {};
    cb = sizeof(sz);
    ASSERT_TRUE(bQueryUserRegValue(hkeyUserRoot(), szPath, &dwType, u"Watermark String", sz, &cb));
    EXPECT_EQ((DWORD)REG_SZ, dwType);
    EXPECT_EQ(u"TOP SECRET", Str(sz));

    ListGuard loaded;
    ASSERT_TRUE(LoadWatermarkList(loaded.p, &tables, kPrinter));
    EXPECT_EQ(16, loaded.p->sCount);
    EXPECT_EQ(u"TOP SECRET", Str(loaded.p->pRecords[15].szText));

    loaded.p->sCount = 17;
    lstrcpynW(loaded.p->pRecords[16].szText, u"Mine", WATERMARK_TEXT_CCH);
    loaded.p->pRecords[16].lAngle = -900;
    loaded.p->pRecords[16].dwCenterY = 25;
    ASSERT_TRUE(SaveWatermarkList(loaded.p, &tables, kPrinter));
    ListGuard again;
    ASSERT_TRUE(LoadWatermarkList(again.p, &tables, kPrinter));
    EXPECT_EQ(17, again.p->sCount);
    EXPECT_EQ(0, memcmp(&loaded.p->pRecords[16], &again.p->pRecords[16], sizeof(WATERMARK)));

    EXPECT_FALSE(LoadWatermarkList(nullptr, &tables, kPrinter));
    EXPECT_FALSE(SaveWatermarkList(again.p, nullptr, kPrinter));
    EXPECT_FALSE(ResetWatermarkList(&tables, nullptr));
}

}  // namespace
