// The sheet table a job's insert-sheet records build: which logical page or
// blank side lies on each sheet, one- or two-sided, and the special pages
// each page then finds after it.
#include "tests/gfx_schedule/schedfix.h"

using namespace schedtest;

namespace {

using Sheet = std::tuple<int, int, int>;   // front, back, sides

struct TableCase {
    const char* pszWhat;
    bool bTwoSided;
    LONG lMode;                 // inserted-sheet mode
    std::vector<Rec> recs;
    int P;
    std::vector<Sheet> sheets;
    int nPage;                  // a page to ask for its special pages
    int cSpecial;               // how many it gets
};

TEST(SheetTable, SchedulesOfSmallJobs)
{
    const TableCase aCases[] = {
        {"one-sided, a sheet before page 3", false, 0, {{6, u"3"}}, 4,
         {{1, 0, 1}, {2, 0, 1}, {-1, 0, 1}, {3, 0, 1}, {4, 0, 1}}, 2, 2},
        {"two-sided, a sheet before a front, both sides blank", true, 0, {{6, u"3"}}, 4,
         {{1, 2, 2}, {-1, -1, 2}, {3, 4, 2}}, 2, 3},
        {"two-sided, inserted sheet kept one-sided", true, 1, {{6, u"3"}}, 4,
         {{1, 2, 2}, {-1, 0, 1}, {3, 4, 2}}, 2, 2},
        {"two-sided, a sheet before a back page", true, 1, {{6, u"4"}}, 5,
         {{1, 2, 2}, {3, -1, 2}, {-1, 0, 1}, {4, 5, 2}, {6, -1, 2}}, 3, 3},
        {"a sheet after page 5 goes before page 6", false, 0, {{1, u"5"}}, 6,
         {{1, 0, 1}, {2, 0, 1}, {3, 0, 1}, {4, 0, 1}, {5, 0, 1}, {-1, 0, 1}, {6, 0, 1}}, 5, 2},
        {"chapter page of a one-sided job changes nothing", false, 0, {{5, u"3"}}, 4,
         {{1, 0, 1}, {2, 0, 1}, {3, 0, 1}, {4, 0, 1}}, 3, 1},
        {"pages 2-5 two-sided in a one-sided job", false, 0, {{3, u"2-5"}}, 6,
         {{1, 0, 1}, {2, 3, 2}, {4, 5, 2}, {6, 0, 1}}, 3, 1},
        {"pages 2-4 two-sided: the last back stays blank", false, 0, {{3, u"2-4"}}, 5,
         {{1, 0, 1}, {2, 3, 2}, {4, -1, 2}, {5, 0, 1}}, 4, 2},
        {"chapter pages 4 and 5 of a two-sided job", true, 0, {{5, u"4,5"}}, 8,
         {{1, 2, 2}, {3, -1, 2}, {4, -1, 2}, {5, 6, 2}, {7, 8, 2}}, 3, 2},
        {"pages 2-4 one-sided in a two-sided job", true, 0, {{2, u"2-4"}}, 6,
         {{1, -1, 2}, {2, 0, 1}, {3, 0, 1}, {4, 0, 1}, {5, 6, 2}}, 1, 2},
        {"a sheet before the first page", false, 0, {{6, u"1"}}, 2,
         {{-1, 0, 1}, {1, 0, 1}, {2, 0, 1}}, 0, 1},
        {"a record not in use is skipped", false, 0, {{6, u"9", 4096, 1, 0, 0}, {6, u"2"}}, 3,
         {{1, 0, 1}, {-1, 0, 1}, {2, 0, 1}, {3, 0, 1}}, 1, 2},
    };
    for (const TableCase& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        SchedPdev t;
        if (c.bTwoSided)
            t.TwoSided();
        t.Start(c.recs, c.lMode);
        EXPECT_TRUE(BuildSpecialPageSchedule(t.pdev()));
        EXPECT_EQ(t.P(), c.P);
        EXPECT_EQ(t.Sheets(), c.sheets);
        EXPECT_EQ(GetSpecialPagesForPage(t.pdev(), c.nPage, nullptr), c.cSpecial);
        SHEETENTRY* pe = t.Entries();
        ASSERT_NE(pe, nullptr);
        SHEETENTRY zero = {};
        EXPECT_EQ(memcmp(&pe[0], &zero, sizeof(zero)), 0) << "entry 0 is never a sheet";
    }
}

TEST(SheetTable, RecordsGiveTheirTrayAndBindingToTheirSheets)
{
    SchedPdev t;
    t.TwoSided(2);
    t.Start({{2, u"2-4", 258, 0}, {6, u"6", 259, 3}});
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    // (1,-1) (2) (3) (4) (5,6)->(5,-1) blank (6,7): the one-sided pages come
    // from tray 258 without binding, the blank sheet from 259, short edge.
    SHEETENTRY* pe = t.Entries();
    for (int i = 1; i <= t.N(); ++i) {
        SCOPED_TRACE(i);
        if (pe[i].nFront >= 2 && pe[i].nFront <= 4) {
            EXPECT_EQ(pe[i].nTray, 258);
            EXPECT_EQ(pe[i].bBinding, 0);
            EXPECT_EQ(pe[i].bSides, 1);
        } else if (pe[i].nFront == -1) {
            EXPECT_EQ(pe[i].nTray, 259);
            EXPECT_EQ(pe[i].bBinding, 3);
        } else {
            EXPECT_EQ(pe[i].nTray, 7);
            EXPECT_EQ(pe[i].bBinding, 2);
        }
    }
}

TEST(SheetTable, NoTableWithoutUsableRecords)
{
    struct Case {
        const char* pszWhat;
        std::vector<Rec> recs;
        int nCount;
        bool bEnabled;
    };
    const Case aCases[] = {
        {"only records not in use", {{6, u"3", 4096, 1, 0, 0}, {1, u"2", 4096, 1, 0, 2}}, -1, true},
        {"count 0", {{6, u"3"}}, 0, true},
        {"count 129", {{6, u"3"}}, 129, true},
        {"insert sheets off", {{6, u"3"}}, -1, false},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        SchedPdev t;
        t.Byte(1583, c.bEnabled ? 1 : 0);
        t.Start(c.recs, 0, c.nCount);
        EXPECT_FALSE(BuildSpecialPageSchedule(t.pdev()));
        EXPECT_EQ(t.P(), 0);
        EXPECT_EQ(GetSpecialPagesForPage(t.pdev(), 2, nullptr), 0);
        EXPECT_EQ(CountBlankSidesBefore(t.pdev(), 4), 0);
        EXPECT_EQ(t.Take(), "");
    }
    EXPECT_FALSE(BuildSpecialPageSchedule(nullptr));
}

// Records that ask for more sheets than the table holds: what fits is
// scheduled, the rest is refused, and the table stays in page order.
TEST(SheetTable, NeverGrowsPastItsLastSheet)
{
    SchedPdev t;
    t.Start({{6, u"1-9999"}, {6, u"2-30"}, {3, u"5-9"}});
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    EXPECT_EQ(t.P(), 10000);
    EXPECT_EQ(t.N(), 19999);
    SHEETENTRY* pe = t.Entries();
    int nNext = 1;
    for (int i = 1; i <= t.N(); ++i) {
        if (pe[i].nFront > 0) {
            ASSERT_EQ(pe[i].nFront, nNext) << i;
            ++nNext;
        }
    }
    EXPECT_EQ(nNext, 10001);
}

// A second record that overlaps a range another record has re-paired is
// refused where it would lose or repeat a page.
TEST(SheetTable, OverlappingRecordsKeepEveryPageOnce)
{
    const std::vector<std::vector<Rec>> aJobs = {
        {{3, u"2-5"}, {2, u"3-6"}, {3, u"4-7"}},
        {{3, u"2-3"}, {5, u"3"}, {6, u"3"}, {1, u"2"}},
        {{2, u"2,3,4,3,2"}, {3, u"1-8"}, {5, u"1,4,6"}},
    };
    for (bool bTwo : {false, true}) {
        for (const auto& recs : aJobs) {
            SchedPdev t;
            if (bTwo)
                t.TwoSided(3);
            t.Start(recs);
            ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
            SHEETENTRY* pe = t.Entries();
            int nNext = 1;
            for (int i = 1; i <= t.N(); ++i) {
                EXPECT_TRUE(pe[i].bSides == 1 || pe[i].bSides == 2) << i;
                for (int v : {(int)pe[i].nFront, (int)pe[i].nBack}) {
                    if (v > 0) {
                        EXPECT_EQ(v, nNext) << "sheet " << i;
                        nNext = v + 1;
                    }
                }
            }
            EXPECT_GE(nNext - 1, t.P());
        }
    }
}

TEST(SheetTable, SpecialPagesCarryTheRecordsTabText)
{
    SchedPdev t;
    Rec r = {6, u"2", 259, 1, 1};
    t.Start({{6, u"9"}, r});
    BYTE* pRec = PdlInsertSheets(t.pdev()) + 476;
    std::u16string text = u"Chapter";
    memcpy(pRec + 268, text.data(), text.size() * 2);
    pRec[398] = 3;                     // position
    pRec[404] = 1;                     // direction
    pRec[406] = 2;                     // position in the tab
    std::u16string face = u"Serif";
    memcpy(pRec + 408, face.data(), face.size() * 2);
    pRec[472] = 4;                     // style
    pRec[474] = 12;                    // size
    const BYTE abTab[8] = {0x09, 0x04, 5, 10, 10, 2, 0xFE, 0xFF};   // paper 1033
    memcpy(t.w() + 27184, abTab, 8);
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));

    ASSERT_EQ(GetSpecialPagesForPage(t.pdev(), 1, nullptr), 2);
    SPECIALPAGE a[2];
    ASSERT_EQ(GetSpecialPagesForPage(t.pdev(), 1, a), 2);
    const BYTE* b = reinterpret_cast<const BYTE*>(&a[1]);
    // Paper from the tab values, portrait, one-sided, no binding, tray 259,
    // key 2 (the record's position plus one).
    const BYTE abHead[18] = {0x09, 0x04, 1, 0, 1, 0, 0x03, 0x01, 2, 0,
                             0x09, 0x04, 5, 10, 10, 2, 0xFE, 0xFF};
    EXPECT_EQ(memcmp(b, abHead, 18), 0);
    EXPECT_EQ(memcmp(b + 18, text.data(), text.size() * 2), 0);
    EXPECT_EQ(b[148], 3);
    EXPECT_EQ(b[150], 1);
    EXPECT_EQ(b[152], 2);
    EXPECT_EQ(memcmp(b + 154, face.data(), face.size() * 2), 0);
    EXPECT_EQ(b[218], 4);
    EXPECT_EQ(b[220], 12);
    // Page 1's own sheet is plain: job paper, job tray, no key.
    EXPECT_EQ(a[0].nPaper, 9);
    EXPECT_EQ(a[0].nTray, 7);
    EXPECT_EQ(a[0].nSegmentKey, 0);

    EXPECT_EQ(CountInsertSheetsBefore(t.pdev(), 2), 0);
    t.WLong(27172, 2);
    int nPaper = 0;
    EXPECT_FALSE(GetScheduledPaper(t.pdev(), &nPaper)) << "page 2 is no tab sheet";
}

TEST(SheetTable, BlankSidesAndKeyedSheetsBeforeAPage)
{
    SchedPdev t;
    t.TwoSided();
    t.Start({{6, u"3", 4096, 1, 1}, {1, u"4", 4096, 1, 1}, {6, u"7"}}, 0);
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    // (1,2) (-1,-1) (3,4) (-1,-1) (5,6) (-1,-1) (7,8)
    ASSERT_EQ(t.Sheets(), (std::vector<Sheet>{{1, 2, 2}, {-1, -1, 2}, {3, 4, 2}, {-1, -1, 2},
                                              {5, 6, 2}, {-1, -1, 2}, {7, 8, 2}}));
    const int aWant[][2] = {{1, 0}, {3, 2}, {5, 4}, {7, 6}, {8, 6}, {50, 6}};
    for (const auto& w : aWant)
        EXPECT_EQ(CountBlankSidesBefore(t.pdev(), w[0]), w[1]) << w[0];
    EXPECT_EQ(CountInsertSheetsBefore(t.pdev(), 1), 0);
    EXPECT_EQ(CountInsertSheetsBefore(t.pdev(), 2), 1);
    EXPECT_EQ(CountInsertSheetsBefore(t.pdev(), 3), 0) << "no sheet has key 3";
    EXPECT_EQ(GetSpecialPagesForPage(t.pdev(), 0, nullptr), 0);
    EXPECT_EQ(GetSpecialPagesForPage(t.pdev(), 9, nullptr), 0);
}

TEST(SheetTable, ASecondScheduleReusesTheTableAndJobEndFreesIt)
{
    SchedPdev t;
    t.Start({{6, u"3"}});
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    SHEETENTRY* pFirst = t.Entries();
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    EXPECT_EQ(t.Entries(), pFirst);
    EXPECT_EQ(t.Sheets().size(), 5u);
    // Switched off by a reset after the build: still freed at the end.
    t.Byte(1583, 0);
    EXPECT_TRUE(FreeSheetTable(t.pdev()));
    EXPECT_EQ(t.Entries(), nullptr);
    EXPECT_EQ(t.P(), 0);
    EXPECT_EQ(t.N(), 0);
}

}  // namespace
