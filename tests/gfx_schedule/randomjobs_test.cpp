// Many jobs of random, overlapping insert-sheet records: whatever the
// records ask, the built table keeps its rules (every page once and in
// order, sound one- and two-sided sheets), and building it twice gives the
// same table.
#include "tests/gfx_schedule/schedfix.h"

#include <cstdint>
#include <string>

using namespace schedtest;

namespace {

struct Lcg {
    uint32_t x;
    int Next(int n) { x = x * 1103515245u + 12345u; return (int)((x >> 8) % (uint32_t)n); }
};

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

}  // namespace

TEST(SheetTable, RandomRecordsKeepTheTableSound)
{
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Lcg r{seed};
        int nPages = 2 + r.Next(60);
        std::vector<std::u16string> lists;
        std::vector<Rec> recs;
        int cRecs = 1 + r.Next(12);
        for (int k = 0; k < cRecs; ++k) {
            std::string list;
            int cNumbers = 1 + r.Next(6);
            for (int n = 0; n < cNumbers; ++n) {
                int a = 1 + r.Next(nPages);
                if (!list.empty())
                    list += ",";
                list += std::to_string(a);
                if (r.Next(3) == 0)
                    list += "-" + std::to_string(a + r.Next(6));
            }
            lists.push_back(Wide(list));
        }
        for (int k = 0; k < cRecs; ++k)
            recs.push_back(Rec{1 + r.Next(6), lists[k].c_str()});
        bool bTwo = r.Next(2) == 1;
        LONG lMode = r.Next(2);
        std::vector<std::tuple<int, int, int>> first;
        for (int pass = 0; pass < 2; ++pass) {
            SchedPdev t;
            if (bTwo)
                t.TwoSided();
            t.Start(recs, lMode);
            ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
            SHEETENTRY* pe = t.Entries();
            ASSERT_NE(pe, nullptr);
            int nNext = 1;
            for (int i = 1; i <= t.N(); ++i) {
                SCOPED_TRACE("sheet " + std::to_string(i));
                EXPECT_TRUE(pe[i].bSides == 1 || pe[i].bSides == 2);
                EXPECT_NE(pe[i].nFront, 0);
                if (pe[i].bSides == 1)
                    EXPECT_EQ(pe[i].nBack, 0);
                else
                    EXPECT_NE(pe[i].nBack, 0);
                for (int v : {(int)pe[i].nFront, (int)pe[i].nBack}) {
                    if (v > 0) {
                        EXPECT_EQ(v, nNext);
                        nNext = v + 1;
                    } else {
                        EXPECT_TRUE(v == 0 || v == -1) << v;
                    }
                }
            }
            EXPECT_TRUE(nNext - 1 == t.P() || nNext - 1 == t.P() + 1) << nNext << " " << t.P();
            if (pass == 0)
                first = t.Sheets();
            else
                EXPECT_EQ(t.Sheets(), first);
        }
    }
}

// A job whose records leave a sheet to be started after the last page of
// its group: the build once threw out of the library there.
TEST(SheetTable, StartingASheetPastItsGroupsEndIsHarmless)
{
    SchedPdev t;
    t.TwoSided();
    t.Start({{1, u"29,36-40,38,38"}, {4, u"3,32,27,8-9,1,26"}, {6, u"30,28,28-32,25,31,27"},
             {2, u"1-3,10"}},
            1);
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    SHEETENTRY* pe = t.Entries();
    ASSERT_NE(pe, nullptr);
    int nNext = 1;
    for (int i = 1; i <= t.N(); ++i) {
        for (int v : {(int)pe[i].nFront, (int)pe[i].nBack}) {
            if (v > 0) {
                EXPECT_EQ(v, nNext) << "sheet " << i;
                nNext = v + 1;
            }
        }
    }
    EXPECT_GE(nNext - 1, t.P());
}
