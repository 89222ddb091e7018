// Previews of the insert-sheet dialogs: the page-number sample, the sheet
// picture by print type, the heading-text pane's numbers, and the clock.
#include "tests/ui_dialogs/pane_fixture.h"

#include "ui/dialogs/insertpreview.h"
#include "ui/dialogs/preview.h"

#include <string>

namespace {

std::u16string Lines(const PAGENUMBERSAMPLE& s)
{
    std::u16string out;
    for (int i = 0; i < s.cLines; ++i)
        out += std::u16string(s.aszLine[i]) + u"|";
    return out;
}

TEST(PageNumberSample, LinesByTabCount)
{
    struct Row {
        int t;
        const char16_t* lines;
        int yFirst, spacing;
        bool gap;
    };
    const Row rows[] = {
        {2, u" 1/ 2| 2/ 2|", 27 + 31, 44, false},
        {3, u" 1/ 3| 2/ 3| 3/ 3|", 33 + 20, 27, false},
        {4, u" 1/ 4| 2/ 4| 3/ 4| 4/ 4|", 33 + 15, 22, false},
        {5, u" 1/ 5| 2/ 5| 3/ 5| 4/ 5| 5/ 5|", 33 + 12, 18, false},
        {7, u" 1/ 7| 2/ 7|| 6/ 7| 7/ 7|", 33 + 12, 18, true},
        {15, u" 1/15| 2/15||14/15|15/15|", 33 + 12, 18, true},
    };
    for (const Row& r : rows) {
        PAGENUMBERSAMPLE s;
        BuildPageNumberSample(r.t, &s);
        EXPECT_EQ(Lines(s), r.lines) << r.t;
        EXPECT_EQ(s.yFirst, r.yFirst) << r.t;
        EXPECT_EQ(s.iSpacing, r.spacing);
        EXPECT_EQ(!!s.bGap, r.gap);
    }
}

TEST(Clock, PadsHourAndMinute)
{
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 10;
    st.wHour = 9;
    st.wMinute = 5;
    PlatSetLocalTime(&st);
    WCHAR sz[8];
    WORD h = 0, m = 0;
    EXPECT_EQ(FormatCurrentTime(sz, &h, &m), 5);
    EXPECT_EQ(std::u16string(sz), u"09:05");
    EXPECT_EQ(h, 9);
    EXPECT_EQ(m, 5);
    EXPECT_EQ(FormatCurrentTime(nullptr, &h, &m), 0);
    PlatSetLocalTime(nullptr);
}

class InsertPreview : public PaneTest {};

TEST_F(InsertPreview, SheetPictureByPrintTypeBindingAndTurn)
{
    struct Row {
        SHORT type, binding, orientation, duplex;
        WORD id;
    };
    const Row rows[] = {
        {0, 1, 1, 0, 15890}, {0, 1, 2, 0, 15893}, {1, 1, 1, 0, 15892}, {1, 1, 2, 0, 15895},
        {2, 1, 1, 0, 15898}, {3, 2, 1, 0, 15900}, {3, 1, 1, 0, 15902}, {3, 2, 2, 0, 15901},
        {4, 1, 1, 0, 15898},  // one-sided: like a printed sheet
        {4, 1, 1, 2, 15900},  // two-sided, long edge
        {4, 1, 1, 3, 15902}, {5, 1, 1, 0, 15906}, {6, 1, 2, 0, 15894}, {9, 1, 1, 0, 15890},
    };
    for (const Row& r : rows) {
        Set(u"lpInterSheetListPRNType", r.type);
        Set(u"lpInterSheetListBinding", r.binding);
        Set(u"lpOrientation", r.orientation);
        Set(u"Layout_Check2", 1);
        Set(u"Nup_Check", 0);
        Set(u"POD_Check", 0);
        Set(u"Duplex_Check", r.duplex ? 1 : 0);
        if (r.duplex)
            Set(u"lpDuplex", r.duplex);
        POINT off;
        EXPECT_EQ(GetInsertSheetBitmapId(pObj, &off), r.id) << r.type << "/" << r.orientation;
        EXPECT_EQ(off.x, r.orientation == 2 ? 10 : 25);
    }
    // 2-up turns the sheet back.
    Set(u"lpInterSheetListPRNType", 0);
    Set(u"lpOrientation", 2);
    Set(u"Nup_Check", 1);
    Set(u"lpLayout", 8);
    EXPECT_EQ(GetInsertSheetBitmapId(pObj, nullptr), 15890);
}

TEST_F(InsertPreview, HeadingTabLaidOutToScale)
{
    Set(u"lpTabIndexNum", 5);
    Set(u"lpTabPaperSize", 1033);
    Set(u"TabTopMargin", 10);
    Set(u"TabBottomMargin", 10);
    Set(u"TabIndexSpace", 2);
    Set(u"TabTextPosition", 0);
    TABTEXTLAYOUT L;
    ASSERT_TRUE(ComputeTabTextLayout(pObj, 120, 100, 96, &L));
    // v = (29700 - (10 + 10 + 4 * 2) * 100) / 5 = 5380; th = (96 * 212 + 50) / 100 = 204
    EXPECT_EQ(L.lTabHeightMm100, 5380);
    EXPECT_EQ(L.iPaperCode, 1033);
    // f = 45, g = 100 + 45 = 145 < 45 + 204: scale = 145 * 10000 / 249
    EXPECT_EQ(L.lScale, 145L * 10000 / 249);
    EXPECT_EQ(L.th, (int)((204 * L.lScale + 5000) / 10000));
    EXPECT_EQ(L.tw, (int)((23 * L.lScale + 5000) / 10000));
    EXPECT_EQ(L.cx, 88);
    EXPECT_EQ(L.cy, 55);
    EXPECT_EQ(L.rcTab.right - L.rcTab.left, 2 * L.tw);
    // A font size outside its range is drawn at the nearest bound.
    Set(u"TabTextFontSize", 200);
    ASSERT_TRUE(ComputeTabTextLayout(pObj, 120, 100, 96, &L));
    EXPECT_LT(L.iFontSize, 200);
    EXPECT_LT(L.lFontHeight, 0);
    // A tab count of 0 from a damaged file is refused, not divided by.
    Set(u"lpTabIndexNum", 0);
    EXPECT_FALSE(ComputeTabTextLayout(pObj, 120, 100, 96, &L));
    // Margins wider than the paper leave a tab of no height.
    Set(u"lpTabIndexNum", 2);
    Set(u"TabTopMargin", 200);
    Set(u"TabBottomMargin", 200);
    ASSERT_TRUE(ComputeTabTextLayout(pObj, 120, 100, 96, &L));
    EXPECT_EQ(L.lTabHeightMm100, 0);
}

TEST_F(InsertPreview, Pictures)
{
    Set(u"lpTabIndexNum", 7);
    const RECT rc = {0, 0, 190, 190};
    {
        Surface s(190, 190);
        PaintIndexPaperPreview(s.hdc, &rc, pObj);
        ExpectLikeReference(s.Read(), "index_paper_7_tabs");
    }
    Set(u"PrnTabIndex", 0);
    Set(u"lpInterSheetListPRNType", 3);
    Set(u"lpInterSheetListBinding", 2);
    Set(u"lpOrientation", 1);
    const RECT sheet = {0, 0, 100, 100};
    Surface s(100, 100);
    PaintInsertSheetPreview(s.hdc, &sheet, pObj);
    ExpectLikeReference(s.Read(), "insert_sheet_bound_left");
    EXPECT_EQ(GetPreviewGeometry(pObj)->rcInsertSheet.right, 100);
}

}  // namespace
