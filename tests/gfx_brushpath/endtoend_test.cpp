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

// A page as applications draw it: each fill with a brush of its own, made
// just before and deleted just after. With bKeep the brushes live until the
// page is done, so no brush can take the address of a deleted one.
void DrawFillsWithFreshBrushes(HDC hdc, BOOL bKeep)
{
    std::vector<HBRUSH> kept;
    auto fill = [&](HBRUSH hbr, auto draw) {
        HGDIOBJ hOld = SelectObject(hdc, hbr);
        draw();
        SelectObject(hdc, hOld);
        if (bKeep)
            kept.push_back(hbr);
        else
            DeleteObject(hbr);
    };
    fill(CreateSolidBrush(RGB(192, 192, 192)), [&] { Rectangle(hdc, 100, 100, 600, 400); });
    fill(CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0)), [&] { Ellipse(hdc, 700, 100, 1200, 400); });
    fill(CreateSolidBrush(RGB(64, 64, 64)), [&] { PatBlt(hdc, 100, 500, 500, 300, PATCOPY); });
    fill(CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 0)), [&] { PatBlt(hdc, 700, 500, 500, 300, PATCOPY); });
    fill(CreateSolidBrush(RGB(128, 128, 128)), [&] { Rectangle(hdc, 100, 900, 600, 1200); });
    for (HBRUSH hbr : kept)
        DeleteObject(hbr);
}

// Prints one page drawn by DrawFillsWithFreshBrushes; the port file's bytes.
std::string PrintFreshBrushPage(const DEVMODEW* pdm, BOOL bKeep)
{
    std::error_code ec;
    std::filesystem::remove(TestRootFile("c/ports/frame.prn"), ec);
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, pdm);
    EXPECT_NE(hdc, nullptr);
    if (!hdc)
        return "";
    DOCINFOW di = {sizeof(DOCINFOW), u"Brushes", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(hdc, &di), 0);
    EXPECT_GT(StartPage(hdc), 0);
    DrawFillsWithFreshBrushes(hdc, bKeep);
    EXPECT_GT(EndPage(hdc), 0);
    EXPECT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    return PortBytes();
}

TEST(EndToEnd, EachFillUsesItsOwnBrushAndTheJobNeverChanges)
{
    InstallFramePrinter();
    std::vector<BYTE> vector = DefaultDevmode();
    std::vector<BYTE> bitmap = DefaultDevmode();
    reinterpret_cast<DRVDEVMODE*>(bitmap.data())->ui.lpGraphicsMode = 1;  // 1-bit page image
    for (const std::vector<BYTE>* pdm : {&vector, &bitmap}) {
        SCOPED_TRACE(pdm == &vector ? "vector" : "bitmap");
        const DEVMODEW* p = reinterpret_cast<const DEVMODEW*>(pdm->data());
        std::string kept = PrintFreshBrushPage(p, TRUE);
        std::string first = PrintFreshBrushPage(p, FALSE);
        std::string second = PrintFreshBrushPage(p, FALSE);
        ASSERT_FALSE(kept.empty());
        // Deleting each brush after its fill changes nothing on paper, and
        // the same job gives the same bytes every time.
        EXPECT_TRUE(first == kept);
        EXPECT_TRUE(second == first);
    }
    // In vector mode every brush is defined or selected where it is used.
    std::string job = PrintFreshBrushPage(reinterpret_cast<const DEVMODEW*>(vector.data()), FALSE);
    size_t at = 0;
    for (const char* want : {"brc 2 #C0C0C0;\nbrs 2;\n", "bru 8 #00 #FFFFFF 32 32 4 <!", "brs 8;\n",
                             "brc 2 #404040;\n", "bru 3 #00 #FFFFFF 32 32 4 <!", "brs 3;\n",
                             "brc 2 #808080;\nbrs 2;\n"}) {
        size_t next = job.find(want, at);
        ASSERT_NE(next, std::string::npos) << want << " after byte " << at << "\n" << job;
        at = next + 1;
    }
}

}  // namespace
