// Blank-page skipping through the application's GDI calls on the test
// printer: pages on which nothing put ink leave no trace in the port file,
// pages with ink are printed with their set-up and eject.
#include "tests/gfx_pageflow/pageflow_fixture.h"

#include "pdl/xgcmn/xgcmn.h"

#include <cstdlib>

namespace {

class BlankJob : public FlowPrinter {};

// Each page of the job: what it draws, and whether it is printed.
enum Draw { kNothing, kWhiteText, kBlackLine, kWhitePatBlt, kWhiteImage, kBlackText };

struct PageCase {
    Draw draw;
    bool bPrinted;
};

void DrawPage(HDC hdc, Draw draw)
{
    static const BYTE s_abWhite[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0,
                                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    BITMAPINFO bmi = {};
    switch (draw) {
    case kNothing:
        break;
    case kWhiteText:
    case kBlackText:
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, draw == kWhiteText ? RGB(255, 255, 255) : RGB(0, 0, 0));
        ASSERT_TRUE(TextOutW(hdc, 300, 300, u"Blank?", 6));
        break;
    case kBlackLine:
        ASSERT_TRUE(MoveToEx(hdc, 100, 100, nullptr));
        ASSERT_TRUE(LineTo(hdc, 2000, 100));
        break;
    case kWhitePatBlt:
        ASSERT_TRUE(PatBlt(hdc, 0, 0, 1000, 1000, WHITENESS));
        break;
    case kWhiteImage:
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = 2;
        bmi.bmiHeader.biHeight = 2;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 24;
        ASSERT_EQ(StretchDIBits(hdc, 300, 400, 20, 20, 0, 0, 2, 2, s_abWhite, &bmi,
                                DIB_RGB_COLORS, SRCCOPY),
                  2);
        break;
    }
}

TEST_F(BlankJob, OnlyInkedPagesReachThePort)
{
    const std::vector<PageCase> pages = {
        {kNothing, false},   {kWhiteText, false}, {kBlackLine, true},
        {kWhitePatBlt, false}, {kWhiteImage, true}, {kBlackText, true},
    };
    std::vector<BYTE> dm = FlowDefaultDevmode();
    AsDrv(dm)->ui.lpGraphicsMode = 2;
    AsDrv(dm)->env.PaperLess_Check = 1;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"blank pages"));
    // The user-interface library has named the capture file by now.
    PDEV* pPDev = PdevOf(hdc);
    ASSERT_NE(pPDev, nullptr);
    WCHAR wcFirst = 0;
    memcpy(&wcFirst, PdlWork(pPDev)->szBlankPath, sizeof(wcFirst));
    EXPECT_NE(wcFirst, 0);
    for (const PageCase& c : pages) {
        ASSERT_GT(StartPage(hdc), 0);
        DrawPage(hdc, c.draw);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));

    std::string port = ReadFlowPort();
    size_t cPrinted = 0;
    for (const PageCase& c : pages)
        cPrinted += c.bPrinted ? 1 : 0;
    EXPECT_EQ(port.rfind("\x1B%-12345X@PJL\n", 0), 0u) << port.substr(0, 200);
    EXPECT_EQ(CountOf(port, "prn;\n"), cPrinted) << port;
    // A dropped page takes its set-up with it.
    EXPECT_EQ(CountOf(port, "\npps "), cPrinted);
    EXPECT_NE(port.find("@PJL ENTER LANGUAGE = ORDEX\n"), std::string::npos);
}

TEST_F(BlankJob, WithoutSkippingEveryPageIsPrinted)
{
    std::vector<BYTE> dm = FlowDefaultDevmode();
    AsDrv(dm)->ui.lpGraphicsMode = 2;
    AsDrv(dm)->env.PaperLess_Check = 0;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"all pages"));
    for (Draw d : {kNothing, kWhiteText, kBlackLine}) {
        ASSERT_GT(StartPage(hdc), 0);
        DrawPage(hdc, d);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_EQ(CountOf(ReadFlowPort(), "prn;\n"), 3u);
}

// N-up with blank-page skipping: a sheet goes out when one of its pages put
// ink; the frame and separators drawn at the sheet's end are no ink of
// their own, so a sheet of blank pages is left off, borders and all.
TEST_F(BlankJob, AnNupSheetOfBlankPagesIsLeftOffWithItsBorders)
{
    struct Case {
        const char* name;
        std::vector<Draw> pages;
        size_t sheets;
    };
    const Case cases[] = {
        {"one sheet, all blank", {kNothing, kWhiteText, kNothing, kWhitePatBlt}, 0},
        {"blank first sheet, ink on the second",
         {kNothing, kNothing, kNothing, kNothing, kNothing, kBlackLine, kNothing, kNothing},
         1},
        // The last sheet is closed by the document's end.
        {"inked first sheet, blank half sheet", {kNothing, kBlackText, kNothing, kNothing, kNothing, kWhiteText},
         1},
        {"two inked sheets", {kBlackLine, kNothing, kNothing, kNothing, kNothing, kNothing, kBlackLine}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(FLOW_PORT);
        std::vector<BYTE> dm = FlowDefaultDevmode();
        DRVDEVMODE* pdm = AsDrv(dm);
        pdm->ui.lpGraphicsMode = 2;
        pdm->ui.Layout_Check = 1;
        pdm->ui.lpLayout = 4;  // 4-up, rows left to right
        pdm->ui.lpOrder = 3;
        pdm->ui.lpBorder = 1;
        pdm->env.PaperLess_Check = 1;
        HDC hdc = OpenDC(dm);
        ASSERT_NE(hdc, nullptr);
        ASSERT_TRUE(StartDocNamed(hdc, u"blank sheets"));
        for (Draw d : c.pages) {
            ASSERT_GT(StartPage(hdc), 0);
            DrawPage(hdc, d);
            ASSERT_GT(EndPage(hdc), 0);
        }
        ASSERT_GT(EndDoc(hdc), 0);
        EXPECT_TRUE(DeleteDC(hdc));
        std::string port = ReadFlowPort();
        EXPECT_EQ(CountOf(port, "prn;\n"), c.sheets);
        EXPECT_EQ(CountOf(port, "\npps "), c.sheets);
        // Each printed sheet keeps its four frame edges and two separators.
        EXPECT_EQ(CountOf(port, "\nsba "), 6 * c.sheets);
    }
}

TEST_F(BlankJob, ABookletPrintsEveryPageOnItsSheetSide)
{
    // Eight pages, each with a line whose length tells its number, except
    // pages 3 and 6, which are blank: a booklet keeps them, so that every
    // page stays in its place across the fold.
    std::vector<BYTE> dm = FlowDefaultDevmode();
    AsDrv(dm)->ui.lpGraphicsMode = 2;
    AsDrv(dm)->ui.bLayoutKind = 4;  // booklet
    AsDrv(dm)->env.PaperLess_Check = 1;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"booklet"));
    for (int page = 1; page <= 8; page++) {
        ASSERT_GT(StartPage(hdc), 0);
        if (page != 3 && page != 6) {
            ASSERT_TRUE(MoveToEx(hdc, 100, 100, nullptr));
            ASSERT_TRUE(LineTo(hdc, 1000 + page, 100));
        }
        ASSERT_GT(EndPage(hdc), 0);
    }
    EXPECT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));

    std::string port = ReadFlowPort();
    // Every page is there once, in booklet order: 1 8, 2 7, 3 6, 4 5, each
    // side set up once and ejected once.
    std::vector<int> order;
    const std::string line = "ltr 1 ";  // the line of page n is 900 + n dots long
    for (size_t at = port.find(line); at != std::string::npos; at = port.find(line, at + 1))
        order.push_back(std::atoi(port.c_str() + at + line.size()) - 900);
    EXPECT_EQ(order, (std::vector<int>{1, 8, 2, 7, 4, 5})) << port;
    EXPECT_EQ(CountOf(port, "prn;\n"), 4u);
    EXPECT_EQ(CountOf(port, "\npps "), 4u);
}

}  // namespace
