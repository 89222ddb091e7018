// A page drawn by the application's GDI calls on a printer device context
// reaches the port file as the brush, pen, path and clip commands.
#include "tests/gfx_frame/frame_fixture.h"

#include "platform/gdi/gdidraw.h"
#include "platform/spooler/winspool.h"

#include <filesystem>

namespace {

TEST(EndToEnd, HatchPenClipAndCurvesReachThePort)
{
    InstallFramePrinter();
    std::error_code ec;
    std::filesystem::remove(TestRootFile("c/ports/frame.prn"), ec);

    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"Shapes", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    ASSERT_GT(StartPage(hdc), 0);
    HBRUSH hHatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 0));
    HPEN hPen = CreatePen(PS_SOLID, 0, RGB(128, 128, 128));
    HGDIOBJ hOldBrush = SelectObject(hdc, hHatch);
    HGDIOBJ hOldPen = SelectObject(hdc, hPen);
    IntersectClipRect(hdc, 100, 100, 2000, 2000);
    EXPECT_TRUE(Rectangle(hdc, 200, 200, 400, 300));
    EXPECT_TRUE(Rectangle(hdc, 500, 200, 700, 300));
    const POINT curve[] = {{200, 600}, {300, 500}, {400, 700}, {500, 600}};
    EXPECT_TRUE(PolyBezier(hdc, curve, 4));
    SelectObject(hdc, hOldBrush);
    SelectObject(hdc, hOldPen);
    DeleteObject(hHatch);
    DeleteObject(hPen);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));

    std::string s = PortBytes();
    size_t nPage = s.find("\nbrc 10 #00;\n");
    ASSERT_NE(nPage, std::string::npos) << s;
    std::string page = s.substr(nPage);
    // The cross hatch is defined once for both rectangles, black lines on
    // the white background; the grey pen's colour register once.
    size_t nBru = page.find("bru 7 #00 #FFFFFF 32 32 4 <!");
    EXPECT_NE(nBru, std::string::npos) << page;
    EXPECT_EQ(page.find("bru 7 ", nBru + 1), std::string::npos);
    EXPECT_NE(page.find("brc 10 #808080;\n"), std::string::npos);
    EXPECT_EQ(page.find("brc 10 #808080;\n", page.find("brc 10 #808080;\n") + 1), std::string::npos);
    EXPECT_NE(page.find("cpc 1 "), std::string::npos);
    EXPECT_NE(page.find("cps 1;\n"), std::string::npos);
    EXPECT_NE(page.find("phf "), std::string::npos);
    EXPECT_NE(page.find("bzr "), std::string::npos);
    EXPECT_NE(page.find("phs 0 1;\n"), std::string::npos);
    EXPECT_LT(page.find("bru 7 "), page.find("prn;\n"));
}

}  // namespace
