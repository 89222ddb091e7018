// The paper table, size conversions, rotated pairs and tray limits.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "platform/windows.h"
#include "ui/settings/papertable.h"

namespace {

std::u16string U(const char* s) { return std::u16string(s, s + std::strlen(s)); }

struct PaperTable : ::testing::Test {
    void SetUp() override { ResetPaperTable(); }
    void TearDown() override { ResetPaperTable(); }
    // Slot n filled with (w, l, unit) and loaded into the user rows.
    void LoadSlot(int slot, LONG w, LONG l, SHORT unit) {
        USERPAPERS papers;
        std::memset(&papers, 0, sizeof(papers));
        for (int i = 1; i <= USERPAPER_SLOTS; i++) {
            papers.aSlot[i - 1].lWidth = 8267;
            papers.aSlot[i - 1].lLength = 8267;
            papers.aSlot[i - 1].sUnit = 1;
        }
        papers.aSlot[slot - 1].lWidth = w;
        papers.aSlot[slot - 1].lLength = l;
        papers.aSlot[slot - 1].sUnit = unit;
        LoadUserPaperRows(&papers);
        UpdateUserPaperTexts(&papers);
    }
};

TEST_F(PaperTable, CodesAndPageLanguageNamesInTableOrder) {
    const char* kList =
        "257 -, 512 -, 513 USERDEF, 514 USERDEF, 515 USERDEF, 516 USERDEF, 517 USERDEF, 518 USERDEF, 519 USERDEF, "
        "520 USERDEF, 521 USERDEF, 256 USERDEF, 8 A3R, 9 A4, 2057 A4R, 11 A5, 2059 A5R, 70 A6R, 12 B4R, 13 B5, "
        "2061 B5R, 88 B6R, 43 PCR, 1 LT, 2049 LTR, 263 F4R, 3 LDR, 5 LGR, 6 HL, 2054 HLR, 261 8KR, 262 16K, "
        "2310 16KR, 1033 A4TAB_F, 1025 LTTAB_F, 4104 A3R_F, 4105 A4_F, 6153 A4R_F, 4107 A5_F, 6155 A5R_F, "
        "4166 A6R_F, 4108 B4R_F, 4109 B5_F, 6157 B5R_F, 4184 B6R_F, 4139 PCR_F, 4097 LT_F, 6145 LTR_F, "
        "4359 F4R_F, 4099 LDR_F, 4101 LGR_F, 4102 HL_F, 6150 HLR_F, 4357 8KR_F, 4358 16K_F, 6406 16KR_F, "
        "5129 A4TAB_F, 5121 LTTAB_F, 8200 A3R_W, 8201 A4_W, 10249 A4R_W, 8203 A5_W, 10251 A5R_W, 8262 A6R_W, "
        "8204 B4R_W, 8205 B5_W, 10253 B5R_W, 8280 B6R_W, 8235 PCR_W, 8193 LT_W, 10241 LTR_W, 8455 F4R_W, "
        "8195 LDR_W, 8197 LGR_W, 8198 HL_W, 10246 HLR_W, 8453 8KR_W, 8454 16K_W, 10502 16KR_W, 12296 A3R_WF, "
        "12297 A4_WF, 14345 A4R_WF, 12299 A5_WF, 12358 A6R_WF, 14347 A5R_WF, 12300 B4R_WF, 12301 B5_WF, "
        "14349 B5R_WF, 12376 B6R_WF, 12331 PCR_WF, 12289 LT_WF, 14337 LTR_WF, 12551 F4R_WF, 12291 LDR_WF, "
        "12293 LGR_WF, 12294 HL_WF, 14342 HLR_WF, 12549 8KR_WF, 12550 16K_WF, 14598 16KR_WF";
    std::istringstream in(kList);
    std::string item;
    int row = 0;
    while (std::getline(in, item, ',')) {
        std::istringstream one(item);
        int code;
        std::string name;
        one >> code >> name;
        if (name == "-") name.clear();
        const PAPERINFO* p = GetPaperInfoRow(row);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->wCode, code) << "row " << row;
        EXPECT_EQ(std::u16string(p->szPdlName), U(name.c_str())) << "code " << code;
        EXPECT_EQ(FindPaperInfo(code), p);
        row++;
    }
    EXPECT_EQ(row, PAPER_ROWS);
    EXPECT_EQ(GetPaperInfoRow(PAPER_ROWS), nullptr);
    EXPECT_EQ(FindPaperInfo(9999), nullptr);
}

TEST_F(PaperTable, KnownRows) {
    const struct { int code; LONG w, l; const char16_t* text; const char16_t* base; } kRows[] = {
        {9, 21000, 29700, u"(210x297mm)", u"A4"},         {2057, 21000, 29700, u"(210x297mm)", u"A4"},
        {8, 29700, 42000, u"(297x420mm)", u"A3"},         {1, 21590, 27940, u"(8.5x11inch)", u"LETTER"},
        {43, 10000, 14800, u"(100x148mm)", u"JPOST"},     {1033, 22200, 29700, u"(222x297mm)", u"A4"},
        {4105, 21000, 29700, u"(210x297mm)", u"A4"},      {12289, 21590, 27940, u"", u"LETTER"},
        {8201, 21000, 29700, u"", u"A4"},
    };
    for (const auto& r : kRows) {
        LONG w = 0, l = 0;
        GetPaperSizeMm100(r.code, &w, &l);
        EXPECT_EQ(w, r.w) << r.code;
        EXPECT_EQ(l, r.l) << r.code;
        EXPECT_EQ(std::u16string(GetPaperSizeText(r.code)), r.text) << r.code;
        EXPECT_EQ(std::u16string(FindPaperInfo(r.code)->szBaseName), r.base) << r.code;
    }
    LONG w = 0, l = 0;
    GetPaperSizeNative(9, &w, &l);
    EXPECT_EQ(w, 210);
    EXPECT_EQ(l, 297);
    EXPECT_EQ(GetPaperSizeText(77), nullptr);
    EXPECT_EQ(GetPaperDisplayName(77), nullptr);
    w = l = -1;
    GetPaperSizeMm100(77, &w, &l);
    EXPECT_EQ(w, -1);
}

TEST_F(PaperTable, UserSlotConversions) {
    // (slot width = length in 1/1000 inch, unit) -> Mm100, Exact, Native, size text
    const struct { LONG v; SHORT unit; LONG mm100, exact, native; const char16_t* text; } kCases[] = {
        {8267, 1, 21000, 20998, 8267, u"(210x210mm)"},
        {0, 1, 10000, 10000, 100, u"(0x0mm)"},
        {8996, 2, 22900, 22849, 8996, u"9.00x9.00inch"},
        {8500, 2, 21600, 21590, 8500, u"8.50x8.50inch"},
        {1, 2, 10000, 2, 1, u"0.00x0.00inch"},
    };
    for (const auto& c : kCases) {
        LoadSlot(3, c.v, c.v, c.unit);
        LONG w = 0, l = 0;
        GetPaperSizeMm100(515, &w, &l);
        EXPECT_EQ(w, c.mm100) << c.v;
        GetPaperSizeExact(515, &w, &l);
        EXPECT_EQ(w, c.exact) << c.v;
        GetPaperSizeNative(515, &w, &l);
        EXPECT_EQ(w, c.native) << c.v;
        EXPECT_EQ(std::u16string(GetPaperSizeText(515)), c.text) << c.v;
    }
    LoadSlot(1, 8500, 11000, 2);
    EXPECT_EQ(std::u16string(GetPaperSizeText(513)), u"8.50x11.00inch");
}

TEST_F(PaperTable, MaxExtentComparesInOneUnit) {
    LONG w = 0, l = 0;
    GetPaperMaxExtent(&w, &l);
    EXPECT_EQ(w, 29700);  // A3
    EXPECT_EQ(l, 43180);  // tabloid
    // A user paper of 20 x 18 inches is the widest and longest sheet,
    // though its stored numbers (1/1000 inch) are smaller than A3's.
    LoadSlot(10, 20000, 18000, 2);
    GetPaperMaxExtent(&w, &l);
    EXPECT_EQ(w, 50800);
    EXPECT_EQ(l, 45720);
}

TEST_F(PaperTable, RotatedPairs) {
    const int kPairs[24][2] = {
        {2057, 9}, {2061, 13}, {2049, 1}, {6153, 4105}, {6157, 4109}, {6145, 4097},
        {10249, 8201}, {10253, 8205}, {10241, 8193}, {14345, 12297}, {14349, 12301}, {14337, 12289},
        {2059, 11}, {2054, 6}, {6155, 4107}, {6150, 4102}, {10251, 8203}, {10246, 8198},
        {14347, 12299}, {14342, 12294}, {2310, 262}, {6406, 4358}, {10502, 8454}, {14598, 12550},
    };
    for (const auto& p : kPairs) {
        EXPECT_EQ(GetPlainPaperCode(p[0]), p[1]);
        EXPECT_EQ(GetRotatedPaperCode(p[1]), p[0]);
        EXPECT_TRUE(bIsRotatedPaper(p[0]));
        EXPECT_FALSE(bHasRotatedPaper(p[0]));
        EXPECT_TRUE(bHasRotatedPaper(p[1]));
        EXPECT_FALSE(bIsRotatedPaper(p[1]));
    }
    int cRotated = 0;
    for (int i = 0; i < PAPER_ROWS; i++) cRotated += bIsRotatedPaper(GetPaperInfoRow(i)->wCode) ? 1 : 0;
    EXPECT_EQ(cRotated, 24);
    for (int code : {8, 257, 9999, 256, 513, -1}) {
        EXPECT_EQ(GetRotatedPaperCode(code), -1) << code;
        EXPECT_EQ(GetPlainPaperCode(code), -1) << code;
    }
}

TEST(CustomPaperSlots, CodeSlotMapping) {
    const struct { int code, slot; } kCases[] = {{513, 1}, {514, 2}, {521, 9}, {256, 10}, {512, 0}, {9, 0}, {522, 0}};
    for (const auto& c : kCases) EXPECT_EQ(CustomPaperToSlot(c.code), c.slot) << c.code;
    const struct { int slot, code; } kBack[] = {{1, 513}, {2, 514}, {9, 521}, {10, 256}, {0, 513}, {11, 513}};
    for (const auto& c : kBack) EXPECT_EQ(SlotToCustomPaper(c.slot), c.code) << c.slot;
    for (int code : {256, 513, 521}) EXPECT_TRUE(bIsCustomPaper(code));
    for (int code : {255, 257, 512, 522, 9}) EXPECT_FALSE(bIsCustomPaper(code));
}

TEST(TrayLimits, RowChoice) {
    const struct { int source, unit; LONG strid; } kCases[] = {
        {260, 3, 21547}, {260, 2, 21546}, {260, 1, 21530}, {99, 0, 21530}, {4, 2, 21537}, {258, 0, 21533},
    };
    for (const auto& c : kCases) {
        TRAYLIMIT t;
        GetTrayLimits(&t, c.source, c.unit);
        EXPECT_EQ(+t.lStrId, c.strid) << c.source << "/" << c.unit;
    }
    TRAYLIMIT t;
    GetTrayLimits(&t, 260, 2);
    EXPECT_EQ(+t.lMinWidth, 257);
    EXPECT_EQ(+t.lMaxLength, 223);
    EXPECT_EQ(+t.lPrintWidth, 299);
    EXPECT_EQ(+t.lPrintLength, 458);
    RECTL rc = {1, 1, 1, 1};
    GetTrayLimitRect(&rc, 7, 0);
    EXPECT_EQ(+rc.left + rc.top + rc.right + rc.bottom, 0);
}

TEST(UserPaperFields, AddressesAndTypes) {
    USERPAPERS papers;
    PVOID p;
    DWORD cb, type;
    const struct { int field; DWORD cb, type; size_t off; } kCases[] = {
        {']', 440, 64, 0}, {'^', 4, 8, 44}, {'_', 4, 8, 48}, {'`', 2, 4, 52}, {'a', 34, 128, 54},
    };
    for (const auto& c : kCases) {
        ASSERT_TRUE(GetUserPaperField(c.field, 2, &p, &cb, &type, &papers));
        EXPECT_EQ(cb, c.cb);
        EXPECT_EQ(type, c.type);
        if (c.field != ']') {
            EXPECT_EQ((BYTE*)p - (BYTE*)&papers, (ptrdiff_t)c.off);
        }
    }
    EXPECT_FALSE(GetUserPaperField('b', 2, &p, &cb, &type, &papers));
    std::memset(&papers, 0, sizeof(papers));
    papers.aSlot[1].lWidth = 8500;
    LONG width = 0;
    DWORD cbWidth = sizeof(width);
    EXPECT_EQ(AccessUserPaperField('^', &width, &cbWidth, 8, 1, 2, &papers), 0);
    EXPECT_EQ(width, 8500);
    SHORT unit = 2;
    DWORD cbUnit = sizeof(unit);
    EXPECT_EQ(AccessUserPaperField('`', &unit, &cbUnit, 4, 2, 2, &papers), 0);
    EXPECT_EQ(+papers.aSlot[1].sUnit, 2);
    EXPECT_EQ(AccessUserPaperField('z', &unit, &cbUnit, 4, 1, 2, &papers), -1);
    EXPECT_TRUE(bUserPapersWritable(u"Office", TRUE));
    EXPECT_TRUE(bUserPapersWritable(u"\\\\srv\\q", FALSE));
    EXPECT_FALSE(bUserPapersWritable(u"\\\\srv\\q", TRUE));
    EXPECT_FALSE(GetUserPaperField('^', 11, &p, &cb, &type, &papers));
}

}  // namespace
