// The page set-up commands of a small job with insert-sheet records: each
// page's "ppt", "ppd", "pps" and "org" lines follow its sheet in the
// schedule.
#include "tests/gfx_schedule/schedfix.h"

using namespace schedtest;

namespace {

// The set-up lines of pages 1..n, one page after the other.
std::vector<std::vector<std::string>> RunPages(SchedPdev& t, int n)
{
    std::vector<std::vector<std::string>> pages;
    for (int i = 1; i <= n; ++i) {
        t.Take();
        PdlStartPage(t.pdev());
        pages.push_back(Lines(t.Take()));
        PdlSendPage(t.pdev());
    }
    return pages;
}

struct PageWant {
    int nPage;
    std::vector<std::string> lines;
};

void ExpectPages(const std::vector<std::vector<std::string>>& got, const std::vector<PageWant>& want)
{
    for (const PageWant& w : want) {
        SCOPED_TRACE(w.nPage);
        for (const std::string& s : w.lines)
            EXPECT_TRUE(Has(got[w.nPage - 1], s)) << s << " in " << ::testing::PrintToString(got[w.nPage - 1]);
    }
}

TEST(ScheduledPageSetup, TwoSidedRangeFromAnotherTray)
{
    SchedPdev t;
    t.Start({{3, u"2-3", 258, 2}});
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    ExpectPages(RunPages(t, 5), {
                                    {1, {"pps A4 P;", "ppt A;", "ppd N;"}},
                                    {2, {"ppt 3;", "ppd L;"}},
                                    {3, {"ppt 3;", "ppd L;"}},
                                    {4, {"ppt A;", "ppd N;"}},
                                    {5, {"ppt A;", "ppd N;"}},
                                });
}

TEST(ScheduledPageSetup, OneSidedChapterOfADuplexJob)
{
    SchedPdev t;
    t.TwoSided(3);
    t.Start({{2, u"3", 259, 0}});
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    ExpectPages(RunPages(t, 4), {
                                    {1, {"ppt A;", "ppd S;"}},
                                    {2, {"ppt A;", "ppd S;"}},
                                    {3, {"ppt 4;", "ppd N;"}},
                                    {4, {"ppt A;", "ppd S;"}},
                                });
}

TEST(ScheduledPageSetup, TabSheetPagesTakeTheTabPaper)
{
    SchedPdev t;
    t.Start({{2, u"2", 4096, 1, 1}});
    const BYTE abTab[8] = {0x09, 0x08, 0, 0, 0, 0, 0, 0};   // A4R
    memcpy(t.w() + 27184, abTab, 8);
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    ExpectPages(RunPages(t, 3), {{1, {"pps A4 P;"}}, {2, {"pps A4R P;"}}, {3, {"pps A4 P;"}}});
}

// Pages left on the job's manual tray keep the cover tray that replaces it;
// only pages the records move elsewhere take the record's tray.
TEST(ScheduledPageSetup, PagesOnTheJobTrayKeepTheCoverTrayRule)
{
    SchedPdev t;
    t.Short(1543, 4);
    t.Byte(1576, 127);
    t.Short(1562, 258);
    t.Start({{2, u"2", 259}});
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    ExpectPages(RunPages(t, 3), {{1, {"ppt 3;"}}, {2, {"ppt 4;"}}, {3, {"ppt 3;"}}});
}

TEST(ScheduledPageSetup, BindingMarginFollowsTheScheduledSide)
{
    SchedPdev t;
    t.TwoSided(2);
    t.Byte(1438, 1);
    t.Byte(1439, 10);
    t.Byte(1441, 10);
    t.Byte(1440, 1);
    // Page 3 starts a sheet: (1,2) (3,-1) (4,5): page 4 is a front, page 5 a back.
    t.Start({{5, u"3,4"}});
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    ExpectPages(RunPages(t, 5), {
                                    {1, {"org %15.00 %4.00;"}},
                                    {2, {"org %-5.00 %4.00;"}},
                                    {3, {"org %15.00 %4.00;"}},
                                    {4, {"org %15.00 %4.00;"}},
                                    {5, {"org %-5.00 %4.00;"}},
                                });
}

}  // namespace
