// Pages grouped into sheets, through the application-side GDI: a printer
// device context with an N-up or zoom DEVMODE, whole documents, the sheets
// that reach the port and the place of every page on its sheet.
#include "tests/gfx_pageflow/pageflow_fixture.h"

#include "platform/gdi/gdidraw.h"

#include <set>
#include <utility>

namespace {

class SheetFlow : public FlowPrinter {
protected:
    static std::vector<BYTE> NupDevmode(BYTE bLayout, BYTE bOrder)
    {
        std::vector<BYTE> dm = FlowDefaultDevmode();
        DRVDEVMODE* pdm = AsDrv(dm);
        pdm->ui.lpGraphicsMode = 2;
        pdm->ui.Layout_Check = bLayout == 1 ? 0 : 1;
        pdm->ui.lpLayout = bLayout;
        pdm->ui.lpOrder = bOrder;
        return dm;
    }
};

struct SheetCase {
    BYTE layout;
    BYTE order;
    int pages;
    size_t sheets;  // "prn;" lines: one per sheet, the last one partly filled
};

class SheetCount : public SheetFlow, public ::testing::WithParamInterface<SheetCase> {};

TEST_P(SheetCount, OneSheetEndPerFullOrLastSheet)
{
    const SheetCase& c = GetParam();
    std::vector<BYTE> dm = NupDevmode(c.layout, c.order);
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    PDEV* pPDev = PdevOf(hdc);
    ASSERT_TRUE(StartDocNamed(hdc, u"sheets"));
    for (int i = 0; i < c.pages; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        ASSERT_GT(EndPage(hdc), 0);
    }
    EXPECT_EQ(pPDev->cPages, static_cast<DWORD>(c.pages));
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    std::string job = ReadFlowPort();
    EXPECT_EQ(CountOf(job, "prn;\n"), c.sheets);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SheetCount,
    ::testing::Values(SheetCase{1, 3, 3, 3},    // one page per sheet
                      SheetCase{4, 3, 6, 2},    // 4-up: pages 1 and 5 start sheets
                      SheetCase{4, 3, 8, 2},    // two full sheets
                      SheetCase{3, 1, 5, 3},    // 2-up, last sheet half full
                      SheetCase{6, 3, 10, 2},   // 9-up, the second sheet holds one page
                      SheetCase{7, 5, 16, 1},   // 16-up, exactly one sheet
                      SheetCase{11, 3, 5, 2})); // four pages a sheet, like layout 4

TEST_F(SheetFlow, BitmapModeGroupsPagesOnSheetsToo)
{
    struct Case {
        int pages;
        size_t sheets;
    };
    for (const Case& c : {Case{4, 1}, Case{6, 2}}) {
        SCOPED_TRACE(c.pages);
        std::vector<BYTE> dm = NupDevmode(4, 3);
        AsDrv(dm)->ui.lpGraphicsMode = 1;
        AsDrv(dm)->ui.lpBorder = 1;
        HDC hdc = OpenDC(dm);
        ASSERT_NE(hdc, nullptr);
        ASSERT_TRUE(StartDocNamed(hdc, u"bitmap sheets"));
        for (int i = 0; i < c.pages; i++) {
            ASSERT_GT(StartPage(hdc), 0);
            ASSERT_TRUE(PatBlt(hdc, 100, 100, 400, 400, BLACKNESS));
            ASSERT_GT(EndPage(hdc), 0);
        }
        ASSERT_GT(EndDoc(hdc), 0);
        EXPECT_TRUE(DeleteDC(hdc));
        std::string job = ReadFlowPort();
        EXPECT_EQ(CountOf(job, "prn;\n"), c.sheets);
        EXPECT_EQ(CountOf(job, "\npps "), c.sheets);
        // Every page's image is on its sheet, and each sheet has its frame
        // and separators after the last of its pages.
        EXPECT_GE(CountOf(job, "\nbmt "), static_cast<size_t>(c.pages));
        EXPECT_EQ(CountOf(job, "\nsba "), 6 * c.sheets);  // 4 frame edges, 2 separators
    }
}

TEST_F(SheetFlow, SecondStartPageWithoutEndPageCountsNoPage)
{
    std::vector<BYTE> dm = NupDevmode(4, 3);
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    PDEV* pPDev = PdevOf(hdc);
    ASSERT_TRUE(StartDocNamed(hdc, u"twice"));
    ASSERT_GT(StartPage(hdc), 0);
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
    ASSERT_NE(pso, nullptr);
    EXPECT_TRUE(GenStartPage(pso));
    PlatGdiUnlockDCSurface(pso);
    EXPECT_EQ(pPDev->cPages, 1u);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
}

// Each page of a 4-up document drawn in its own cell, rows left to right,
// the next sheet starting over in the first cell.
TEST_F(SheetFlow, EachPageTakesItsCellOnTheSheet)
{
    std::vector<BYTE> dm = NupDevmode(4, 3);
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    PDEV* pPDev = PdevOf(hdc);
    ASSERT_TRUE(StartDocNamed(hdc, u"cells"));
    std::vector<std::pair<LONG, LONG>> offsets;
    for (int i = 0; i < 6; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        offsets.emplace_back(pPDev->xNupCell, pPDev->yNupCell);
        EXPECT_GT(pPDev->lNupScale, 0);
        EXPECT_LT(pPDev->lNupScale, 10000);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    // Page 2 beside page 1, page 3 below it, page 4 diagonal to it.
    EXPECT_GT(offsets[1].first, offsets[0].first);
    EXPECT_EQ(offsets[1].second, offsets[0].second);
    EXPECT_EQ(offsets[2].first, offsets[0].first);
    EXPECT_GT(offsets[2].second, offsets[0].second);
    EXPECT_EQ(offsets[3].first, offsets[1].first);
    EXPECT_EQ(offsets[3].second, offsets[2].second);
    std::set<std::pair<LONG, LONG>> distinct(offsets.begin(), offsets.begin() + 4);
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(offsets[4], offsets[0]);
    EXPECT_EQ(offsets[5], offsets[1]);
}

TEST_F(SheetFlow, ZoomScalesEveryPageWithoutMovingIt)
{
    std::vector<BYTE> dm = NupDevmode(1, 3);
    AsDrv(dm)->ui.ZoomCheck = 1;
    AsDrv(dm)->ui.Zoom = 75;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    PDEV* pPDev = PdevOf(hdc);
    ASSERT_TRUE(StartDocNamed(hdc, u"zoom"));
    for (int i = 0; i < 2; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        EXPECT_EQ(pPDev->lNupScale, 7500);
        EXPECT_EQ(pPDev->xNupCell, 0);
        EXPECT_EQ(pPDev->yNupCell, 0);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_EQ(CountOf(ReadFlowPort(), "prn;\n"), 2u);
    EXPECT_TRUE(DeleteDC(hdc));
}

TEST_F(SheetFlow, ResetDCInAFourUpDocumentKeepsFillingTheSheet)
{
    std::vector<BYTE> dm = NupDevmode(4, 3);
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"reset"));
    ASSERT_GT(StartPage(hdc), 0);
    ASSERT_GT(EndPage(hdc), 0);
    std::vector<BYTE> dm2 = FlowDefaultDevmode();
    AsDrv(dm2)->dm.dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_EQ(ResetDCW(hdc, reinterpret_cast<DEVMODEW*>(dm2.data())), hdc);
    PDEV* pPDev = PdevOf(hdc);
    EXPECT_EQ(pGetJobDevmode(pPDev)->ui.lpLayout, 4);
    for (int i = 0; i < 4; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        EXPECT_LT(pPDev->lNupScale, 10000);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    // Five pages of four a sheet: two sheets.
    EXPECT_EQ(CountOf(ReadFlowPort(), "prn;\n"), 2u);
}

}  // namespace

namespace {

// A long 4-up job whose pages draw with pattern brushes, clip regions and
// paths: what each page leaves behind is given back by the next page's
// reset, so the driver's memory is the same after 20 pages as after 220.
TEST_F(SheetFlow, MemoryStaysFlatOverALongJob)
{
    std::vector<BYTE> dm = NupDevmode(4, 3);
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"long"));
    HBRUSH hbr = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0));
    ASSERT_NE(hbr, nullptr);
    HGDIOBJ hbrOld = SelectObject(hdc, hbr);
    const POINT tri[3] = {{100, 100}, {600, 150}, {300, 700}};
    LONG blocksAt20 = 0;
    for (int page = 1; page <= 220; page++) {
        ASSERT_GT(StartPage(hdc), 0);
        // A different clip and path on every page, so nothing is reused.
        IntersectClipRect(hdc, page, page, 2000 + page, 3000 + page);
        HRGN hrgn = CreatePolygonRgn(tri, 3, ALTERNATE);
        SelectClipRgn(hdc, hrgn);
        DeleteObject(hrgn);
        Rectangle(hdc, 50 + page, 50, 900, 1200 + page);
        BeginPath(hdc);
        Ellipse(hdc, 200, 200 + page, 800, 900);
        EndPath(hdc);
        FillPath(hdc);
        SelectClipRgn(hdc, nullptr);
        ASSERT_GT(EndPage(hdc), 0);
        if (page == 20)
            blocksAt20 = PlatGlobalLiveBlocks();
    }
    EXPECT_EQ(PlatGlobalLiveBlocks(), blocksAt20);
    ASSERT_GT(EndDoc(hdc), 0);
    SelectObject(hdc, hbrOld);
    DeleteObject(hbr);
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_EQ(CountOf(ReadFlowPort(), "prn;\n"), 55u);
}

}  // namespace

namespace {

// Creating a form from a 2-up document: the form is the first sheet; pages 3
// onwards are counted but leave nothing in it.
TEST_F(SheetFlow, FormCreationKeepsOnlyTheFirstSheet)
{
    CreateDirectoryW(u"C:\\forms", nullptr);
    auto formOf = [](int cPages, std::vector<bool>* pDropped) {
        std::vector<BYTE> dm = NupDevmode(3, 1);
        DRVDEVMODE* pdm = AsDrv(dm);
        pdm->ui.lpOverlay = 2;
        const char16_t path[] = u"C:\\forms\\sheet.xfo";
        std::memcpy(pdm->ui.szOverlayName, path, sizeof(path));
        HDC hdc = CreateDCW(nullptr, FLOW_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
        EXPECT_NE(hdc, nullptr);
        PDEV* pPDev = static_cast<PDEV*>(PlatGdiGetDhpdev(hdc));
        DOCINFOW di = {sizeof(DOCINFOW), u"form", nullptr, nullptr, 0};
        EXPECT_GT(StartDocW(hdc, &di), 0);
        for (int i = 0; i < cPages; i++) {
            EXPECT_GT(StartPage(hdc), 0);
            pDropped->push_back((pPDev->fJob & PDEVF_DROPOUTPUT) != 0);
            EXPECT_TRUE(PatBlt(hdc, 10, 10, 100, 100, BLACKNESS));
            EXPECT_GT(EndPage(hdc), 0);
        }
        EXPECT_GT(EndDoc(hdc), 0);
        EXPECT_TRUE(DeleteDC(hdc));
        std::ifstream f(TestRootFile("c/forms/sheet.xfo"), std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    };
    std::vector<bool> dropped2, dropped5;
    std::string form2 = formOf(2, &dropped2);
    std::string form5 = formOf(5, &dropped5);
    EXPECT_FALSE(form2.empty());
    EXPECT_EQ(form5, form2);
    EXPECT_EQ(dropped5, (std::vector<bool>{false, false, true, true, true}));
    EXPECT_TRUE(ReadFlowPort().empty());  // a form job prints nothing
}

}  // namespace

namespace {

// ResetDC between two documents: the second one prints with its own
// settings, not with the first one's sheet.
TEST_F(SheetFlow, ResetDCBetweenDocumentsStartsAfresh)
{
    std::vector<BYTE> dm = NupDevmode(4, 3);
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"first"));
    for (int i = 0; i < 2; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    std::vector<BYTE> dm1 = NupDevmode(1, 3);
    ASSERT_EQ(ResetDCW(hdc, reinterpret_cast<DEVMODEW*>(dm1.data())), hdc);
    PDEV* pPDev = PdevOf(hdc);
    DeleteFileW(FLOW_PORT);
    ASSERT_TRUE(StartDocNamed(hdc, u"second"));
    for (int i = 0; i < 3; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        EXPECT_EQ(pGetJobDevmode(pPDev)->ui.lpLayout, 1);
        EXPECT_EQ(pPDev->lNupScale, 10000);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_EQ(CountOf(ReadFlowPort(), "prn;\n"), 3u);
}

}  // namespace
