// The option database: every query code against the published tables.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "platform/windows.h"
#include "ui/settings/optiondb.h"

namespace {

struct OptionDb : ::testing::Test {
    POPTIONDB pdb = nullptr;
    void SetUp() override { pdb = OpenOptionDb(); ASSERT_NE(pdb, nullptr); }
    void TearDown() override { CloseOptionDb(pdb); }
    LONG Q(WORD opt, int code, int index = 0) { return (LONG)QueryOptionDb(pdb, opt, code, nullptr, index, 0); }
};

TEST_F(OptionDb, DefaultsCountsAndRanges) {
    const struct { WORD opt; LONG count, dflt, min, max, step; } kCases[] = {
        {0, 99, 9, 0, 0, 0},       {22, 99, 9, 0, 0, 0},     {2, 1, 1, 1, 9999, 1},
        {3, 2, 1, 0, 0, 0},        {5, 1, 600, 0, 0, 0},     {7, 2, 2, 0, 0, 0},
        {11, 43, 257, 0, 0, 0},    {12, 5, 8, 0, 0, 0},      {26, 1, 100, 25, 400, 1},
        {27, 7, 7, 0, 0, 0},       {31, 8, 1, 0, 0, 0},      {56, 1, 0, -2, 2, 1},
        {66, 2, 2, 0, 0, 0},       {67, 2, 200, 0, 0, 0},    {139, 8, 4096, 0, 0, 0},
        {155, 14, 5, 0, 0, 0},     {164, 1, 2100, 0, 5000, 1}, {170, 1, 0, -2, 2, 1},
        {219, 1, 12, 8, 32, 1},    {220, 1, 34, 0, 50, 1},   {223, 1, 0, -10, 10, 1},
        {1000, 0, 0, 0, 0, 0},     {157, 0, 0, 0, 0, 0},     {212, 0, 0, 0, 0, 0},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Q(c.opt, OPTQ_COUNT), c.count) << "option " << c.opt;
        EXPECT_EQ(Q(c.opt, OPTQ_DEFAULT), c.dflt) << "option " << c.opt;
        EXPECT_EQ(GetOptionDefault(pdb, c.opt), (DWORD)c.dflt) << "option " << c.opt;
        EXPECT_EQ(Q(c.opt, OPTQ_MIN), c.min) << "option " << c.opt;
        EXPECT_EQ(Q(c.opt, OPTQ_MAX), c.max) << "option " << c.opt;
        EXPECT_EQ(Q(c.opt, OPTQ_STEP), c.step) << "option " << c.opt;
    }
}

TEST_F(OptionDb, ChoiceValuesInListOrder) {
    const struct { WORD opt; std::vector<LONG> values; } kCases[] = {
        {11, {257, 8, 9, 2057, 11, 2059, 12, 13, 2061, 88, 43, 1, 2049, 3, 5, 6, 2054, 1033, 1025, 8200, 8201, 10249,
              8203, 10251, 8204, 8205, 10253, 8193, 10241, 8195, 8198, 10246, 513, 514, 515, 516, 517, 518, 519, 520,
              521, 256, 512}},
        {27, {7, 1, 2, 258, 259, 260, 4}},
        {31, {1, 2, 1, 2, 3, 4, 5, 6}},
        {143, {1, 0, 2}},
        {216, {2, 1, 3}},
    };
    for (const auto& c : kCases) {
        std::vector<LONG> got(c.values.size());
        EXPECT_EQ(QueryOptionDb(pdb, c.opt, OPTQ_ALLVALUES, got.data(), 0, 4), 0u);
        EXPECT_EQ(got, c.values) << "option " << c.opt;
        for (size_t i = 0; i < c.values.size(); i++) {
            LONG out = -77;
            EXPECT_EQ(QueryOptionDb(pdb, c.opt, OPTQ_VALUE, &out, (int)i, 0), (DWORD)c.values[i]);
            EXPECT_EQ(out, c.values[i]);
        }
        std::vector<SHORT> got16(c.values.size());
        QueryOptionDb(pdb, c.opt, OPTQ_ALLVALUES, got16.data(), 0, 2);
        for (size_t i = 0; i < c.values.size(); i++) EXPECT_EQ(got16[i], (SHORT)c.values[i]);
    }
}

TEST_F(OptionDb, TableTotals) {
    int cChoiceIds = 0, cChoiceRows = 0, cRangeIds = 0, cPaperIds = 0, cPaperRows = 0;
    for (int id = 0; id < 2000; id++) {
        int kind = FindOptionRow((WORD)id, nullptr);
        if (kind == OPTKIND_CHOICE) { cChoiceIds++; cChoiceRows += Q((WORD)id, OPTQ_COUNT); }
        if (kind == OPTKIND_RANGE) cRangeIds++;
        if (kind == OPTKIND_PAPER) { cPaperIds++; cPaperRows += Q((WORD)id, OPTQ_COUNT); }
    }
    EXPECT_EQ(cChoiceIds, 130);
    EXPECT_EQ(cChoiceRows, 416);
    // 26 ranges and the eight the image shift and timer print records need.
    EXPECT_EQ(cRangeIds, 34);
    EXPECT_EQ(cPaperIds, 2);
    EXPECT_EQ(cPaperRows, 198);
}

TEST_F(OptionDb, PaperRows) {
    LONG size[2] = {0, 0};
    EXPECT_EQ(QueryOptionDb(pdb, 0, OPTQ_DEFSIZE, size, 0, 0), 1u);  // A4 is row 1
    EXPECT_EQ(size[0], 21000);
    EXPECT_EQ(size[1], 29700);
    RECTL rc = {};
    EXPECT_EQ(QueryOptionDb(pdb, 0, OPTQ_DEFRECT, &rc, 0, 0), 1u);
    EXPECT_EQ(+rc.left, 406);
    EXPECT_EQ(+rc.top, 406);
    EXPECT_EQ(+rc.right, 20594);
    EXPECT_EQ(+rc.bottom, 29294);
    EXPECT_EQ(QueryOptionDb(pdb, 22, OPTQ_DEFSIZE, size, 0, 0), 1u);
    EXPECT_EQ(size[0], 2480);
    EXPECT_EQ(size[1], 3507);
    QueryOptionDb(pdb, 22, OPTQ_DEFRECT, &rc, 0, 0);
    EXPECT_EQ(+rc.left, 48);
    EXPECT_EQ(+rc.top, 48);
    EXPECT_EQ(+rc.right, 2432);
    EXPECT_EQ(+rc.bottom, 3459);

    // The custom and user rows carry A4; some variant rows have no margin.
    std::vector<LONG> codes(99);
    QueryOptionDb(pdb, 0, OPTQ_ALLVALUES, codes.data(), 0, 4);
    const std::set<LONG> kNoMargin = {6145, 6150, 6157, 14337, 14342, 14345, 14347, 14349};
    const std::set<LONG> kCustom = {256, 513, 514, 515, 516, 517, 518, 519, 520, 521};
    int cCustom = 0;
    for (int i = 0; i < 99; i++) {
        QueryOptionDb(pdb, 0, OPTQ_SIZE, size, i, 0);
        QueryOptionDb(pdb, 0, OPTQ_RECT, &rc, i, 0);
        if (kCustom.count(codes[i])) {
            cCustom++;
            EXPECT_EQ(size[0], 21000);
            EXPECT_EQ(size[1], 29700);
        }
        if (kNoMargin.count(codes[i])) {
            EXPECT_EQ(+rc.left, 0) << codes[i];
            EXPECT_EQ(+rc.right, size[0]) << codes[i];
            EXPECT_EQ(+rc.bottom, size[1]) << codes[i];
        }
    }
    EXPECT_EQ(cCustom, 10);
    EXPECT_EQ(codes[0], 8);
    EXPECT_EQ(codes[1], 9);

    // Every paper of the paper table is a row but "same as the original
    // size": each size the output list offers, with the media variant the
    // document size gives it, and the list's "set custom size" entry.
    const std::set<LONG> kRows(codes.begin(), codes.end());
    EXPECT_EQ(kRows.size(), 99u);
    EXPECT_EQ(kRows.count(257), 0u);
    std::vector<LONG> outputs(43);
    QueryOptionDb(pdb, 11, OPTQ_ALLVALUES, outputs.data(), 0, 4);
    for (LONG v : outputs) {
        if (v == 257)
            continue;
        EXPECT_EQ(kRows.count(v), 1u) << v;
        if (!(v & 0x200) && v != 256)
            EXPECT_EQ(kRows.count(v | 0x1000), 1u) << (v | 0x1000);
    }
    for (LONG v : {512, 1033, 1025, 5129, 5121})
        EXPECT_EQ(kRows.count(v), 1u) << v;

    std::vector<LONG> all(2 * 99);
    EXPECT_EQ(QueryOptionDb(pdb, 0, OPTQ_ALLSIZES, all.data(), 0, 0), 99u);
    EXPECT_EQ(all[2], 21000);
    EXPECT_EQ(all[3], 29700);
}

TEST_F(OptionDb, NothingAnsweredOrWrittenOutOfRange) {
    LONG out = -77;
    LONG size[2] = {-77, -77};
    EXPECT_EQ(QueryOptionDb(pdb, 3, OPTQ_VALUE, &out, 2, 0), 0u);
    EXPECT_EQ(out, -77);
    EXPECT_EQ(QueryOptionDb(pdb, 0, OPTQ_SIZE, size, 99, 0), 0u);
    EXPECT_EQ(size[0], -77);
    EXPECT_EQ(QueryOptionDb(pdb, 0, OPTQ_SIZE, size, -1, 0), 0u);
    EXPECT_EQ(QueryOptionDb(pdb, 3, OPTQ_ALLVALUES, nullptr, 0, 4), 0u);
    EXPECT_EQ(QueryOptionDb(pdb, 0, OPTQ_DEFSIZE, nullptr, 0, 0), 0u);
    EXPECT_EQ(QueryOptionDb(pdb, 2, OPTQ_VALUE, &out, 0, 0), 0u);  // a range has no rows to list
    EXPECT_EQ(QueryOptionDb(pdb, 3, OPTQ_SIZE, size, 0, 0), 0u);   // sizes only for papers
    for (int code : {11, 12, 13, 20}) EXPECT_EQ(QueryOptionDb(pdb, 0, code, size, 0, 0), 0u) << code;
    // A null handle answers nothing at all.
    for (int code = 1; code <= 19; code++) EXPECT_EQ(QueryOptionDb(nullptr, 2, code, size, 0, 0), 0u) << code;
    EXPECT_EQ(GetOptionDefault(nullptr, 0), 0u);
}

TEST_F(OptionDb, ChoiceItemPicksLastMatchingRow) {
    std::vector<BYTE> item(sizeof(UIITEMLIST) + 8 * sizeof(UIITEMCHOICE), 0xEE);
    EXPECT_EQ(BuildChoiceItem(pdb, 31, nullptr, 2), 8);
    EXPECT_EQ(BuildChoiceItem(pdb, 31, item.data(), 2), 8);
    const UIITEMLIST* h = (const UIITEMLIST*)item.data();
    EXPECT_EQ(h->sInitial, 2);
    EXPECT_EQ(h->sCurIndex, 3);
    EXPECT_EQ(h->sCurValue, 2);
    EXPECT_EQ(h->sDefault, 1);
    EXPECT_EQ(h->sFlag, 1);
    EXPECT_EQ(h->sCount, 8);
    const UIITEMCHOICE* rows = (const UIITEMCHOICE*)(h + 1);
    const SHORT kValues[] = {1, 2, 1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(rows[i].sValue, kValues[i]);
        EXPECT_EQ(rows[i].sIndex, i);
        EXPECT_EQ(rows[i].sEnabled, 1);
        EXPECT_EQ(rows[i].szText[63], 0);
    }
}

TEST_F(OptionDb, ChoiceItemWithUnlistedValueTakesTheDefault) {
    std::vector<BYTE> item(sizeof(UIITEMLIST) + 5 * sizeof(UIITEMCHOICE));
    BuildChoiceItem(pdb, 34, item.data(), 99);
    const UIITEMLIST* h = (const UIITEMLIST*)item.data();
    EXPECT_EQ(h->sCurValue, 2);
    EXPECT_EQ(h->sInitial, 2);
    EXPECT_EQ(h->sCurIndex, 0);
}

TEST_F(OptionDb, ValueListAndRangeItems) {
    std::vector<BYTE> item(sizeof(UIITEMLIST) + 3 * sizeof(UIITEMVALUE));
    EXPECT_EQ(BuildValueListItem(pdb, 132, item.data(), 4), 3);
    const UIITEMLIST* h = (const UIITEMLIST*)item.data();
    EXPECT_EQ(h->sCurIndex, 2);
    const UIITEMVALUE* v = (const UIITEMVALUE*)(h + 1);
    EXPECT_EQ(v[0].sValue, 2);
    EXPECT_EQ(v[2].sValue, 4);
    EXPECT_EQ(v[2].sEnabled, 1);

    UIITEMRANGE r = {};
    EXPECT_EQ(BuildRangeItem(pdb, 56, &r, -1), 1);
    EXPECT_EQ(+r.sInitial, -1);
    EXPECT_EQ(+r.sCurrent, -1);
    EXPECT_EQ(+r.sDefault, 0);
    EXPECT_EQ(+r.sFlag, 1);
    EXPECT_EQ(+r.sMin, -2);
    EXPECT_EQ(+r.sMax, 2);

    UIITEMPLAIN pl = {};
    EXPECT_EQ(BuildDefaultItem(pdb, 26, &pl, 150), 1);
    EXPECT_EQ(+pl.sInitial, 150);
    EXPECT_EQ(+pl.sDefault, 100);
}

TEST(OptionDbVersion, DriverVersionWord) { EXPECT_EQ(GetOptionDbDriverVersion(), 0x8403); }

}  // namespace
