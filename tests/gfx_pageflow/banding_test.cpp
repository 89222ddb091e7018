// Banding in bitmap mode: every page is sent band by band down to its
// bottom row, the second page as whole as the first.
#include "tests/gfx_pageflow/pageflow_fixture.h"

namespace {

// --- the band walk on a small banded bitmap ---------------------------------------

struct BandCase {
    LONG cyPage;
    LONG cyBand;
    std::vector<LONG> origins;  // y of each NextBand answer; -1 ends the page
};

class BandWalk : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandWalk, TwoPagesBandByBand)
{
    const BandCase& c = GetParam();
    FlowPdev f(1, DMORIENT_PORTRAIT);
    f.dm()->ui.lpGraphicsMode = 1;
    f.p()->cyPage = c.cyPage;
    f.AttachSinkWriter();
    HDEV hdev = PlatEngCreateDevice(reinterpret_cast<DHPDEV>(f.p()));
    SetPdevHdev(f.p(), hdev);
    SIZEL sizl = {16, c.cyBand};
    HSURF hsurf = reinterpret_cast<HSURF>(EngCreateBitmap(sizl, 2, BMF_1BPP, BMF_TOPDOWN, nullptr));
    ASSERT_NE(hsurf, nullptr);
    ASSERT_TRUE(EngAssociateSurface(hsurf, hdev, GEN_HOOKS_BITMAP));
    SURFOBJ* pso = EngLockSurface(hsurf);
    ASSERT_NE(pso, nullptr);
    for (int page = 1; page <= 2; page++) {
        SCOPED_TRACE(page);
        POINTL ptl = {7, 7};
        ASSERT_TRUE(GenStartBanding(pso, &ptl));
        EXPECT_EQ(ptl.x, 0);
        EXPECT_EQ(ptl.y, 0);
        EXPECT_EQ(f.p()->cPages, static_cast<DWORD>(page));
        std::vector<LONG> got;
        for (int i = 0; i < 100; i++) {
            ASSERT_TRUE(GenNextBand(pso, &ptl));
            got.push_back(ptl.y);
            if (ptl.y == -1) {
                EXPECT_EQ(ptl.x, -1);
                break;
            }
            EXPECT_EQ(ptl.x, 0);
        }
        EXPECT_EQ(got, c.origins);
        EXPECT_FALSE(f.p()->fJob & PDEVF_PAGEOPEN);  // the last band ended the page
    }
    EngUnlockSurface(pso);
    EngDeleteSurface(hsurf);
    PlatEngDeleteDevice(hdev);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, BandWalk,
    ::testing::Values(BandCase{25, 10, {10, 20, -1}},      // a short last band
                      BandCase{30, 10, {10, 20, -1}},      // an exact multiple: no empty band
                      BandCase{10, 10, {-1}},              // one band is the page
                      BandCase{31, 10, {10, 20, 30, -1}})); // one row in the last band

// --- a whole bitmap-mode job through GDI ---------------------------------------------

class BandedJob : public FlowPrinter {};

TEST_F(BandedJob, EveryPageGetsAllItsBands)
{
    std::vector<BYTE> dm = FlowDefaultDevmode();
    DRVDEVMODE* pdm = AsDrv(dm);
    pdm->ui.lpGraphicsMode = 1;  // bitmap mode, in colour: the page is banded
    pdm->dm.dmColor = DMCOLOR_COLOR;
    pdm->ui.dmMirror.dmColor = DMCOLOR_COLOR;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    PDEV* pPDev = PdevOf(hdc);
    BOOL bBanding = FALSE;
    ASSERT_TRUE(PlatEngQuerySurface(PdevHsurf(pPDev), nullptr, &bBanding));
    if (!bBanding)
        GTEST_SKIP() << "the page of this printer is small enough for one bitmap";
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
    ASSERT_NE(pso, nullptr);
    LONG cyBand = pso->sizlBitmap.cy;
    PlatGdiUnlockDCSurface(pso);
    LONG cBands = (pPDev->cyPage + cyBand - 1) / cyBand;
    ASSERT_GT(cBands, 1);

    PlatGdiTrace(TRUE);
    ASSERT_TRUE(StartDocNamed(hdc, u"bands"));
    for (int i = 0; i < 2; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    std::string trace = PlatGdiTraceText();
    PlatGdiTrace(FALSE);
    EXPECT_TRUE(DeleteDC(hdc));

    // Each page: one StartBanding and one NextBand per band.
    std::vector<size_t> perPage;
    size_t at = trace.find("DrvStartBanding\n");
    while (at != std::string::npos) {
        size_t next = trace.find("DrvStartBanding\n", at + 1);
        std::string page = trace.substr(at, next == std::string::npos ? std::string::npos : next - at);
        perPage.push_back(CountOf(page, "DrvNextBand\n"));
        at = next;
    }
    ASSERT_EQ(perPage.size(), 2u);
    EXPECT_EQ(perPage[0], static_cast<size_t>(cBands));
    EXPECT_EQ(perPage[1], static_cast<size_t>(cBands));
    EXPECT_EQ(CountOf(ReadFlowPort(), "prn;\n"), 2u);
}

}  // namespace
