// The insert-sheet records and list values received through the private
// escapes, the schedule they ask for, and the two answers the user
// interface reads back: keyed sheets before a key, and the page origin.
#include "tests/gfx_escape/escfix.h"

#include "pdl/xgcmn/ordexnt/xrschedule.h"

namespace {

std::vector<BYTE> Record(int nType, const std::u16string& pages, int nTabKey)
{
    std::vector<BYTE> r(476, 0);
    memcpy(r.data(), pages.data(), pages.size() * 2);
    r[258] = (BYTE)nType;
    r[260] = 0x00;   // tray 4096: the job's
    r[261] = 0x10;
    r[262] = 1;
    r[264] = 1;
    r[266] = (BYTE)nTabKey;
    return r;
}

struct ScheduleEsc : EscPdev {
    ScheduleEsc()
    {
        *At(OFF_D(1583)) = 1;
        PdlStartDoc(p);
    }
    ~ScheduleEsc() { PdlEndDoc(p); }
    SHORT CountBefore(SHORT nKey)
    {
        SHORT nOut = -1;
        EXPECT_EQ(Esc(ESCAPE_PAGES_COUNTBEFORE, 2, &nKey, 2, &nOut), 1u);
        return nOut;
    }
};

TEST(ScheduleEscape, RecordsCountAndValuesBuildTheTable)
{
    ScheduleEsc e;
    std::vector<BYTE> recs = Record(6, u"2", 1);
    std::vector<BYTE> r2 = Record(1, u"3", 1);
    std::vector<BYTE> r3 = Record(6, u"4", 0);
    recs.insert(recs.end(), r2.begin(), r2.end());
    recs.insert(recs.end(), r3.begin(), r3.end());
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTCOUNT, LE32(3)), 1u);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTSHEETS, recs), 1u);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_TABPAPER, std::vector<BYTE>{0x09, 0x04, 5, 0, 0, 0, 0, 0}), 1u);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTMODE, LE32(1)), 1u);
    EXPECT_EQ(e.CountBefore(1), 0) << "no table yet";
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_SCHEDULE, 0, nullptr), 1u);

    SHEETTABLEINFO info = GetSheetTableInfo(e.p);
    ASSERT_NE(info.pEntries, nullptr);
    EXPECT_EQ(info.nPages, 5);
    // (1) (-1 key 1) (2) (3) (-1 key 2) (-1) (4) (5): two blank sheets before page 4.
    ASSERT_EQ(info.nSheets, 8);
    const int aFront[] = {1, -1, 2, 3, -1, -1, 4, 5};
    const int aKey[] = {0, 1, 0, 0, 2, 0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(info.pEntries[i + 1].nFront, aFront[i]) << i + 1;
        EXPECT_EQ(info.pEntries[i + 1].nKey, aKey[i]) << i + 1;
    }
    EXPECT_EQ(e.CountBefore(1), 0);
    EXPECT_EQ(e.CountBefore(2), 1);
    EXPECT_EQ(e.CountBefore(3), 0);
    EXPECT_EQ(GetSpecialPagesForPage(e.p, 3, nullptr), 3);
}

TEST(ScheduleEscape, NoScheduleWithInsertSheetsOff)
{
    ScheduleEsc e;
    *e.At(OFF_D(1583)) = 0;
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTCOUNT, LE32(1)), 1u);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTSHEETS, Record(6, u"2", 1)), 1u);
    // The escape still answers: a job without a schedule prints plainly.
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_SCHEDULE, 0, nullptr), 1u);
    EXPECT_EQ(GetSheetTableInfo(e.p).pEntries, nullptr);
    EXPECT_EQ(e.CountBefore(1), 0);
}

TEST(ScheduleEscape, PageOriginWithTheBindingMargin)
{
    ScheduleEsc e;
    LONG x0 = e.Long(OFF_D(2407));
    LONG y0 = e.Long(OFF_D(2411));
    BYTE abOut[8] = {};
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_PAGEORIGIN, 0, nullptr, 8, abOut), 1u);
    EXPECT_EQ(std::vector<BYTE>(abOut, abOut + 8),
              [&] {
                  std::vector<BYTE> v = LE32((DWORD)x0);
                  std::vector<BYTE> w = LE32((DWORD)y0);
                  v.insert(v.end(), w.begin(), w.end());
                  return v;
              }());
    // Front side, 12 mm on the left edge.
    *e.At(OFF_D(1423)) = 1;
    *e.At(OFF_D(1438)) = 1;
    *e.At(OFF_D(1439)) = 12;
    *e.At(OFF_D(1440)) = 1;
    e.PokeLong(OFF_W(20), 1);
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_PAGEORIGIN, 0, nullptr, 8, abOut), 1u);
    LONG x, y;
    memcpy(&x, abOut, 4);
    memcpy(&y, abOut + 4, 4);
    EXPECT_EQ(x, x0 + 1200);
    EXPECT_EQ(y, y0);
}

}  // namespace
