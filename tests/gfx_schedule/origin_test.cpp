// The page origin: the printable rectangle's left and top, moved by the
// binding margin of the side being printed, and the side itself (front or
// back) as the schedule, the chapter list and the duplex settings make it.
#include <functional>

#include "tests/gfx_schedule/schedfix.h"

using namespace schedtest;

namespace {

struct OriginCase {
    const char* pszWhat;
    std::function<void(SchedPdev&)> set;
    LONG nSide;   // physical side number (W 20)
    LONG x, y;
};

// A portrait long-edge duplex job with the binding margin on; printable
// rectangle (500, 400)-(20500, 29300) on paper and on the page image.
void BindingJob(SchedPdev& t)
{
    t.Byte(1583, 0);
    t.TwoSided(2);
    t.Byte(1438, 1);
    t.Byte(1439, 10);   // front margin, mm
    t.Byte(1441, 10);   // back margin, mm
    t.Byte(1440, 1);
    t.Long(791, 500);
    t.Long(795, 400);
    t.Long(799, 20500);
    t.Long(803, 29300);
    t.Short(874, 100);
}

TEST(PageOrigin, BindingMarginBySideEdgeAndOrientation)
{
    const OriginCase aCases[] = {
        {"no binding margin", [](SchedPdev& t) { BindingJob(t); t.Byte(1438, 0); }, 1, 500, 400},
        {"front, left edge", BindingJob, 1, 1500, 400},
        {"back of a long-edge portrait job: the margin is on the right", BindingJob, 2, -500, 400},
        {"back, short-edge portrait", [](SchedPdev& t) { BindingJob(t); t.Short(314, 3); }, 2, 1500, 400},
        {"back, long-edge landscape", [](SchedPdev& t) { BindingJob(t); t.Short(296, 2); }, 2, 1500, 400},
        {"front, top edge 5 mm", [](SchedPdev& t) { BindingJob(t); t.Byte(1440, 3); t.Byte(1439, 5); }, 1, 500, 900},
        {"front, bottom edge", [](SchedPdev& t) { BindingJob(t); t.Byte(1440, 4); }, 1, 500, -600},
        {"back, top edge long-edge portrait stays on top", [](SchedPdev& t) { BindingJob(t); t.Byte(1440, 3); }, 2, 500, 1400},
        {"edge out of range", [](SchedPdev& t) { BindingJob(t); t.Byte(1440, 7); }, 1, 500, 400},
        {"one-sided job: every side is a front", [](SchedPdev& t) { BindingJob(t); t.Byte(1426, 0); }, 2, 1500, 400},
        {"centred, zoom 100 and equal rectangles", [](SchedPdev& t) { BindingJob(t); t.Byte(1443, 2); }, 1, 1500, 400},
        {"centred, zoom 50, left edge", [](SchedPdev& t) { BindingJob(t); t.Byte(1443, 2); t.Short(874, 50); }, 1, 1500, 7625},
        {"centred, zoom 50, right edge", [](SchedPdev& t) { BindingJob(t); t.Byte(1443, 2); t.Short(874, 50); t.Byte(1440, 2); }, 1, 9500, 7625},
        {"print-on-demand binding margin", [](SchedPdev& t) { BindingJob(t); t.Byte(1438, 0); t.Byte(2092, 1); t.Byte(2100, 1); }, 1, 1500, 400},
        {"chapter page 4 moves side 5 to a back",
         [](SchedPdev& t) {
             BindingJob(t);
             t.Byte(1423, 0);
             t.Byte(1438, 0);
             t.Byte(2092, 1);
             t.Byte(2096, 1);
             t.Byte(2100, 1);
             t.Byte(2099, 1);
             t.Byte(1595 + 1, 1);      // slot 2 holds one number
             t.Short(1595 + 8 + 60, 4);
         },
         5, -500, 400},
        {"custom paper: origin from the tray limits", [](SchedPdev& t) { BindingJob(t); t.Byte(1438, 0); t.Short(776, 256); }, 1, 0, 0},
    };
    for (const OriginCase& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        SchedPdev t;
        c.set(t);
        t.Start({});
        t.WLong(20, c.nSide);
        LONG x = 1, y = 1;
        GetPageOrigin(t.pdev(), &x, &y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
}

TEST(PageOrigin, ChapterListShiftsTheSideNumber)
{
    SchedPdev t;
    t.Byte(2092, 1);
    t.Byte(2096, 1);
    t.Byte(2099, 1);
    t.Start({});
    int k = 0;
    EXPECT_EQ(bIsBackSide(t.pdev(), 5, &k), 0) << "no chapter list: side 5 is a front";
    t.Byte(1595 + 1, 1);
    t.Short(1595 + 8 + 60, 4);
    EXPECT_EQ(bIsBackSide(t.pdev(), 5, &k), 1);
    EXPECT_EQ(bIsBackSide(t.pdev(), 3, &k), 0) << "a chapter after the side changes nothing";
    // One sheet per two pages of print-on-demand: sides 3 and 4 are backs.
    t.Byte(2099, 0);
    t.Byte(2094, 1);
    t.Byte(2095, 1);
    const int aBack[] = {0, 0, 1, 1, 0, 0, 1, 1};
    for (int s = 1; s <= 8; ++s)
        EXPECT_EQ(bIsBackSide(t.pdev(), s, &k), aBack[(s - 1) % 8]) << s;
}

// The scheduled side wins over the side number; pages after the table run
// on from the first front after its last sheet.
TEST(PageOrigin, ScheduledSideOfPagesInAndAfterTheTable)
{
    SchedPdev t;
    t.TwoSided(2);
    t.Start({{6, u"2"}}, 1);
    ASSERT_TRUE(BuildSpecialPageSchedule(t.pdev()));
    // (1,-1) (-1) (2,3) (4,-1): page 4 ends the table on a front.
    ASSERT_EQ(t.Sheets(), (std::vector<std::tuple<int, int, int>>{
                              {1, -1, 2}, {-1, 0, 1}, {2, 3, 2}, {4, -1, 2}}));
    const int aSide[][2] = {{1, 0}, {2, 0}, {3, 1}, {4, 0}, {5, 0}, {6, 1}, {7, 0}};
    for (const auto& a : aSide) {
        t.WLong(27172, a[0]);
        int nSide = -1, nBinding = -1;
        EXPECT_TRUE(GetScheduledSide(t.pdev(), &nSide, &nBinding));
        EXPECT_EQ(nSide, a[1]) << "page " << a[0];
        EXPECT_EQ(nBinding, 2);
        int k = 0;
        EXPECT_EQ(bIsBackSide(t.pdev(), 99, &k), a[1]) << "page " << a[0];
    }
    t.WLong(27172, 0);
    int nSide = -1, nBinding = -1;
    EXPECT_FALSE(GetScheduledSide(t.pdev(), &nSide, &nBinding));
}

}  // namespace
