// N-up placement: pages per sheet, the cell of every page for every layout
// and order, the sheet geometry and scale, the carry-over at ResetPDEV and
// the sheet's borders.
#include "tests/gfx_pageflow/pageflow_fixture.h"

namespace {

// --- pages per sheet ------------------------------------------------------------

TEST(NupSheet, PagesPerSheetAndSheetEnds)
{
    struct Case {
        BYTE layout;
        DWORD pages;
    };
    const Case cases[] = {{1, 1}, {2, 1}, {3, 2}, {4, 4}, {5, 6}, {6, 9}, {7, 16}, {8, 2},
                          {9, 2}, {10, 4}, {11, 4}, {12, 4}, {13, 4}, {0, 1}, {14, 1}, {255, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.layout));
        EXPECT_EQ(GetPagesPerSheet(c.layout), c.pages);
        // Over three sheets: page k starts a sheet when k - 1 is a multiple
        // of the sheet, and ends one when k is.
        for (DWORD k = 1; k <= 3 * c.pages; k++) {
            EXPECT_EQ(bIsFirstPageOfSheet(k, c.layout) != 0, (k - 1) % c.pages == 0) << k;
            EXPECT_EQ(bIsLastPageOfSheet(k, c.layout) != 0, k % c.pages == 0) << k;
        }
    }
}

TEST(NupSheet, OnlyTheLayoutsThatTurnTheSheetToggleTheOrientation)
{
    for (int layout = 0; layout < 16; layout++) {
        BOOL bTurns = layout == 3 || layout == 5 || layout == 8 || layout == 9;
        SHORT n = DMORIENT_PORTRAIT;
        ToggleNupOrientation(&n, static_cast<BYTE>(layout));
        EXPECT_EQ(n, bTurns ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT) << layout;
        ToggleNupOrientation(&n, static_cast<BYTE>(layout));
        EXPECT_EQ(n, DMORIENT_PORTRAIT) << layout;
    }
}

// --- the cell of each page --------------------------------------------------------

struct SlotCase {
    BYTE layout;
    BYTE order;
    SHORT savedOrientation;  // the sheet's orientation saved with the geometry
    std::vector<DWORD> cells;  // cells of pages 1, 2, ... of one sheet
};

class NupSlot : public ::testing::TestWithParam<SlotCase> {};

TEST_P(NupSlot, EveryPageOfTwoSheets)
{
    const SlotCase& c = GetParam();
    DWORD n = static_cast<DWORD>(c.cells.size());
    for (DWORD page = 1; page <= 2 * n; page++)
        EXPECT_EQ(GetNupSlot(page, c.layout, c.order, c.savedOrientation), c.cells[(page - 1) % n])
            << "page " << page;
}

const SHORT P = DMORIENT_PORTRAIT;
const SHORT L = DMORIENT_LANDSCAPE;

INSTANTIATE_TEST_SUITE_P(
    PlacementLists, NupSlot,
    ::testing::Values(
        // Two pages: order 1 left to right, any other order from the right.
        SlotCase{3, 1, L, {0, 1}}, SlotCase{3, 2, L, {1, 0}}, SlotCase{8, 1, L, {0, 1}},
        SlotCase{8, 2, P, {1, 0}}, SlotCase{9, 1, P, {0, 1}}, SlotCase{9, 2, L, {1, 0}},
        SlotCase{9, 5, L, {1, 0}},
        // Order 3: rows left to right.
        SlotCase{4, 3, P, {0, 1, 2, 3}}, SlotCase{10, 3, L, {0, 1, 2, 3}},
        SlotCase{5, 3, L, {0, 1, 2, 3, 4, 5}}, SlotCase{6, 3, P, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        SlotCase{7, 3, P, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        // The fixed lists of orders 4, 5 and 6.
        SlotCase{4, 4, P, {1, 0, 3, 2}}, SlotCase{4, 5, P, {0, 2, 1, 3}},
        SlotCase{4, 6, P, {1, 3, 0, 2}}, SlotCase{10, 4, P, {1, 0, 3, 2}},
        SlotCase{10, 5, L, {0, 2, 1, 3}}, SlotCase{10, 6, L, {1, 3, 0, 2}},
        SlotCase{5, 4, L, {2, 1, 0, 5, 4, 3}}, SlotCase{5, 5, L, {0, 3, 1, 4, 2, 5}},
        SlotCase{5, 6, L, {2, 5, 1, 4, 0, 3}}, SlotCase{5, 4, P, {1, 0, 3, 2, 5, 4}},
        SlotCase{5, 5, P, {0, 2, 4, 1, 3, 5}}, SlotCase{5, 6, P, {1, 3, 5, 0, 2, 4}},
        SlotCase{6, 4, P, {2, 1, 0, 5, 4, 3, 8, 7, 6}},
        SlotCase{6, 5, P, {0, 3, 6, 1, 4, 7, 2, 5, 8}},
        SlotCase{6, 6, L, {2, 5, 8, 1, 4, 7, 0, 3, 6}},
        SlotCase{7, 4, P, {3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12}},
        SlotCase{7, 5, P, {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15}},
        SlotCase{7, 6, L, {3, 7, 11, 15, 2, 6, 10, 14, 1, 5, 9, 13, 0, 4, 8, 12}},
        // Layouts 11 to 13 are four pages on a 2 x 2 sheet, placed like 4:
        // never all four in cell 0.
        SlotCase{11, 3, P, {0, 1, 2, 3}}, SlotCase{12, 4, P, {1, 0, 3, 2}},
        SlotCase{13, 5, L, {0, 2, 1, 3}}, SlotCase{13, 6, P, {1, 3, 0, 2}},
        // One page per sheet: always cell 0.
        SlotCase{1, 3, P, {0}}, SlotCase{2, 4, L, {0}}, SlotCase{0, 5, P, {0}}));

// --- sheet geometry ------------------------------------------------------------------

TEST(NupScale, FourUpPortraitCellsAndPages)
{
    FlowPdev f(4, P);
    f.p()->cPages = 1;
    // Cells of 2000 x 3000; the 4000 x 6000 page at half size fills a cell,
    // its printable area starting 50 and 100 dots in.
    EXPECT_EQ(GetNupScale(f.p()), 5000);
    const RECTL frames[4] = {{0, 0, 2000, 3000}, {2000, 0, 4000, 3000}, {0, 3000, 2000, 6000},
                             {2000, 3000, 4000, 6000}};
    const RECTL pages[4] = {{50, 100, 1950, 2900}, {2050, 100, 3950, 2900},
                            {50, 3100, 1950, 5900}, {2050, 3100, 3950, 5900}};
    for (int k = 0; k < 4; k++) {
        SCOPED_TRACE(k);
        EXPECT_EQ(std::memcmp(&f.st()->arcFrame[k], &frames[k], sizeof(RECTL)), 0);
        EXPECT_EQ(std::memcmp(&f.st()->arcPage[k], &pages[k], sizeof(RECTL)), 0);
    }
    EXPECT_EQ(f.st()->fFixed, 1u);
    EXPECT_EQ(f.st()->lScale, 5000);
    EXPECT_EQ(f.st()->bLayout, 4);
    EXPECT_EQ(f.st()->cxOut, 4000);
    EXPECT_EQ(f.st()->cyOut, 6000);
    EXPECT_EQ(std::memcmp(f.st()->abUiExtra, &f.dm()->ui, sizeof(f.st()->abUiExtra)), 0);
}

TEST(NupScale, TwoUpPortraitLiesAcrossAndIsCentred)
{
    FlowPdev f(3, P);
    f.p()->cPages = 1;
    // The sheet is turned: two cells of 3000 x 4000 side by side. The page
    // fits by its length (6666), centred across: (3000 - 2666) / 2 = 167.
    EXPECT_EQ(GetNupScale(f.p()), 6666);
    EXPECT_EQ(f.st()->nOrientation, L);
    const RECTL frames[2] = {{0, 0, 3000, 4000}, {3000, 0, 6000, 4000}};
    const RECTL pages[2] = {{233, 133, 2766, 3865}, {3233, 133, 5766, 3865}};
    for (int k = 0; k < 2; k++) {
        SCOPED_TRACE(k);
        EXPECT_EQ(std::memcmp(&f.st()->arcFrame[k], &frames[k], sizeof(RECTL)), 0);
        EXPECT_EQ(std::memcmp(&f.st()->arcPage[k], &pages[k], sizeof(RECTL)), 0);
    }
}

TEST(NupScale, FourUpLandscapeLiesAcross)
{
    FlowPdev f(4, L);
    f.p()->cPages = 1;
    EXPECT_EQ(GetNupScale(f.p()), 5000);
    // Cells of 3000 x 2000 (the sheet's long side across).
    const RECTL frame3 = {3000, 2000, 6000, 4000};
    EXPECT_EQ(std::memcmp(&f.st()->arcFrame[3], &frame3, sizeof(RECTL)), 0);
    EXPECT_EQ(f.st()->arcPage[0].left, 50);
    EXPECT_EQ(f.st()->arcPage[0].top, 100);
    EXPECT_EQ(f.st()->arcPage[1].left, 3050);
    EXPECT_EQ(f.st()->arcPage[2].top, 2100);
}

TEST(NupScale, ZoomIsOneCellOverTheWholeSheet)
{
    FlowPdev f(1, P);
    f.dm()->ui.ZoomCheck = 1;
    f.dm()->ui.Zoom = 70;
    EXPECT_EQ(GetNupScale(f.p()), 7000);
    const RECTL page0 = {0, 0, 4000, 6000};
    const RECTL frame0 = {0, 0, 4200, 6200};
    EXPECT_EQ(std::memcmp(&f.st()->arcPage[0], &page0, sizeof(RECTL)), 0);
    EXPECT_EQ(std::memcmp(&f.st()->arcFrame[0], &frame0, sizeof(RECTL)), 0);
    EXPECT_EQ(f.st()->fFixed, 0u);  // no page yet
    f.p()->cPages = 1;
    EXPECT_EQ(GetNupScale(f.p()), 7000);
    EXPECT_EQ(f.st()->fFixed, 1u);
}

TEST(NupScale, GeometryIsFixedOnceThePrintingHasBegun)
{
    FlowPdev f(4, P);
    EXPECT_EQ(GetNupScale(f.p()), 5000);
    EXPECT_EQ(f.st()->fFixed, 0u);
    // Before the first page a change of sheet is still taken.
    f.dm()->ui.rcOutPrintDots = {0, 0, 2000, 3000};
    EXPECT_EQ(GetNupScale(f.p()), 2500);
    f.p()->cPages = 1;
    EXPECT_EQ(GetNupScale(f.p()), 2500);
    EXPECT_EQ(f.st()->fFixed, 1u);
    // From then on the document keeps its sheet.
    f.dm()->ui.rcOutPrintDots = {0, 0, 4000, 6000};
    EXPECT_EQ(GetNupScale(f.p()), 2500);
    EXPECT_EQ(f.st()->arcFrame[3].right, 2000);
}

TEST(NupScale, DegeneratePagesGiveFullSizeWithoutDividingByZero)
{
    const SIZEL sizes[] = {{0, 0}, {0, 6000}, {4000, 0}, {-5, -5}};
    for (SIZEL s : sizes) {
        FlowPdev f(4, P);
        f.dm()->ui.sizePaperDots = s;
        LONG l = GetNupScale(f.p());
        EXPECT_GT(l, 0);
        EXPECT_LE(l, 10000);
    }
    FlowPdev g(7, P);
    g.dm()->ui.rcOutPrintDots = {0, 0, 0, 0};
    EXPECT_EQ(GetNupScale(g.p()), 10000);
}

// --- carry-over at ResetPDEV ---------------------------------------------------------

TEST(NupReset, AFullSheetLayoutGoesOnWithTheNewPage)
{
    FlowPdev oldp(4, P), newp(1, P);
    oldp.p()->cPages = 3;
    oldp.p()->fJob = PDEVF_DOCSTARTED;
    ASSERT_EQ(GetNupScale(oldp.p()), 5000);
    oldp.dm()->ui.dmMirror.dmCopies = 3;
    oldp.dm()->ui.bValidByte2 = 7;
    // The application asks for a smaller page and another resolution.
    newp.dm()->ui.dmMirror.dmPrintQuality = 300;
    newp.dm()->ui.dmMirror.dmPaperSize = 11;
    newp.dm()->ui.Layout_Check = 0;
    newp.dm()->ui.sizePaperDots = {2000, 3000};
    newp.dm()->ui.rcPrintDots = {50, 100, 1950, 2900};
    CopyPDEVState(newp.p(), oldp.p());
    DRVDEVMODE* d = newp.dm();
    EXPECT_EQ(d->ui.lpLayout, 4);
    EXPECT_EQ(d->ui.dmMirror.dmPrintQuality, 600);
    EXPECT_EQ(d->ui.dmMirror.dmPaperSize, 9);
    EXPECT_EQ(d->ui.dmMirror.dmCopies, 3);
    EXPECT_EQ(d->ui.bValidByte2, 7);
    // The same cells of 2000 x 3000; the page of 2000 x 3000 fills one at
    // full size (s = 10000), times 600 / 300 for the resolution kept.
    EXPECT_EQ(newp.p()->lNupScale, 20000);
    EXPECT_EQ(newp.st()->arcPage[3].left, 2000);
    EXPECT_EQ(newp.st()->arcPage[3].top, 3000);
    EXPECT_EQ(newp.st()->arcPage[3].right, 4000);
}

TEST(NupReset, OnePageLayoutWithZoomBecomesFitToPaperWhenThePaperChanges)
{
    struct Case {
        SHORT newPaper;
        BYTE layoutOut;
    };
    for (Case c : {Case{9, 1}, Case{11, 2}}) {
        FlowPdev oldp(1, P), newp(1, P);
        oldp.p()->cPages = 1;
        oldp.p()->fJob = PDEVF_DOCSTARTED;
        newp.dm()->ui.ZoomCheck = 1;
        newp.dm()->ui.Zoom = 80;
        newp.dm()->ui.dmMirror.dmPaperSize = c.newPaper;
        CopyPDEVState(newp.p(), oldp.p());
        EXPECT_EQ(newp.dm()->ui.lpLayout, c.layoutOut);
        EXPECT_EQ(newp.dm()->ui.Layout_Check, 0);
        if (c.layoutOut == 1) {
            EXPECT_EQ(newp.p()->lNupScale, 8000);
        }
    }
    FlowPdev oldp(1, P), newp(4, P);
    oldp.p()->cPages = 1;
    oldp.p()->fJob = PDEVF_DOCSTARTED;
    CopyPDEVState(newp.p(), oldp.p());
    EXPECT_EQ(newp.dm()->ui.lpLayout, 1);
    EXPECT_EQ(newp.p()->lNupScale, 10000);
}

TEST(NupReset, BeforeTheFirstPageOrBetweenDocumentsOnlyTheStateMoves)
{
    struct Case {
        DWORD cPages;
        DWORD fJob;
    };
    // No page yet; a document that has ended (its counter stays).
    for (Case c : {Case{0, PDEVF_DOCSTARTED}, Case{5, 0}}) {
        FlowPdev oldp(4, P), newp(1, P);
        oldp.p()->cPages = c.cPages;
        oldp.p()->fJob = c.fJob;
        GetNupScale(oldp.p());
        newp.p()->lNupScale = 10000;
        CopyPDEVState(newp.p(), oldp.p());
        EXPECT_EQ(std::memcmp(newp.p()->abNupState, oldp.p()->abNupState, PDEV_NUPSTATE_SIZE), 0);
        EXPECT_EQ(newp.dm()->ui.lpLayout, 1);
        EXPECT_EQ(newp.p()->lNupScale, 10000);
    }
}

// --- borders --------------------------------------------------------------------------

TEST(NupBorders, FrameAndSeparatorsOfAFullSheet)
{
    struct Case {
        BYTE layout;
        SHORT orientation;
        SHORT border;
        BYTE byte786;
        std::vector<RECTL> rects;
    };
    const Case cases[] = {
        // 4-up portrait, frame and separators.
        {4, P, 1, 0,
         {{0, 0, 4000, 1}, {0, 0, 1, 6000}, {0, 5999, 4000, 6000}, {3999, 0, 4000, 6000},
          {2000, 0, 2001, 6000}, {0, 3000, 4000, 3001}}},
        // Separators only (border code 2), and no frame when byte 786 is 5.
        {4, P, 2, 0, {{2000, 0, 2001, 6000}, {0, 3000, 4000, 3001}}},
        {4, P, 1, 5, {{2000, 0, 2001, 6000}, {0, 3000, 4000, 3001}}},
        // 2-up on a turned sheet: the frame is 6000 wide, one separator.
        {3, P, 1, 0,
         {{0, 0, 6000, 1}, {0, 0, 1, 4000}, {0, 3999, 6000, 4000}, {5999, 0, 6000, 4000},
          {3000, 0, 3001, 4000}}},
        // No border.
        {4, P, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.layout) * 100 + c.border * 10 + c.byte786);
        FlowPdev f(c.layout, c.orientation);
        f.dm()->ui.lpBorder = c.border;
        f.dm()->ui.bValidByte2 = c.byte786;
        f.p()->cPages = 1;
        GetNupScale(f.p());
        RECTL arc[16];
        DWORD n = GetNupBorderRects(f.p(), arc, 16);
        ASSERT_EQ(n, c.rects.size());
        for (DWORD i = 0; i < n; i++)
            EXPECT_EQ(std::memcmp(&arc[i], &c.rects[i], sizeof(RECTL)), 0) << i;
    }
}

TEST(NupBorders, NothingBeforeTheGeometryOrForOnePage)
{
    FlowPdev f(4, P);
    f.dm()->ui.lpBorder = 1;
    RECTL arc[16];
    EXPECT_EQ(GetNupBorderRects(f.p(), arc, 16), 0u);  // not yet fixed
    FlowPdev g(2, P);
    g.dm()->ui.lpBorder = 1;
    g.p()->cPages = 1;
    GetNupScale(g.p());
    // Layout 2 is one page per sheet: its frame only, no separators.
    EXPECT_EQ(GetNupBorderRects(g.p(), arc, 16), 4u);
}

}  // namespace
