// Bitmap mode's page image: the watermark combined into the engine bitmap
// before the page goes out, and the dither patterns behind it.
#include "tests/gfx_pageflow/pageflow_fixture.h"

#include "tests/common/pngdump.h"

#include <bit>

namespace {

// A bitmap-mode PDEV on its own 1-bit page of 16 x 8 dots, with an open page.
struct BitmapPage {
    FlowPdev f{1, DMORIENT_PORTRAIT};
    HDEV hdev = nullptr;
    HSURF hsurf = nullptr;
    SURFOBJ* pso = nullptr;
    BitmapPage()
    {
        f.dm()->ui.lpGraphicsMode = 1;
        f.AttachSinkWriter();
        hdev = PlatEngCreateDevice(reinterpret_cast<DHPDEV>(f.p()));
        SetPdevHdev(f.p(), hdev);
        SIZEL sizl = {16, 8};
        hsurf = reinterpret_cast<HSURF>(EngCreateBitmap(sizl, 2, BMF_1BPP, BMF_TOPDOWN, nullptr));
        EngAssociateSurface(hsurf, hdev, GEN_HOOKS_BITMAP);
        pso = EngLockSurface(hsurf);
        f.p()->cyPage = 8;
    }
    ~BitmapPage()
    {
        EngUnlockSurface(pso);
        EngDeleteSurface(hsurf);
        PlatEngDeleteDevice(hdev);
    }
    BYTE* Row(int y) { return static_cast<BYTE*>(pso->pvScan0) + y * pso->lDelta; }
    // Starts a page, fills it with 0xF0 dots, sends it; the dots as sent.
    std::vector<BYTE> SendPageOfF0()
    {
        EXPECT_TRUE(GenStartPage(pso));
        for (int y = 0; y < 8; y++)
            Row(y)[0] = Row(y)[1] = 0xF0;
        EXPECT_TRUE(GenSendPage(pso));
        std::vector<BYTE> v;
        for (int y = 0; y < 8; y++)
            v.push_back(Row(y)[0]);
        return v;
    }
};

TEST(PageImage, WatermarkInFrontInvertsThePage)
{
    BitmapPage b;
    DRVDEVMODE* pdm = b.f.dm();
    pdm->ui.bWatermarkCurrent = 1;
    pdm->ui.Watermark_Use = 1;
    pdm->ui.lpWatermarkOrder = 1;
    pdm->ui.bHalftoneClass = 7;
    std::vector<BYTE> v = b.SendPageOfF0();
    EXPECT_EQ(v, std::vector<BYTE>(8, 0x0F));
    EXPECT_EQ(pdm->ui.bHalftoneClass, 7);  // restored after the page went out
}

TEST(PageImage, WatermarkBehindGreysThePageIn)
{
    BitmapPage b;
    DRVDEVMODE* pdm = b.f.dm();
    pdm->ui.bWatermarkCurrent = 1;
    pdm->ui.Watermark_Use = 1;
    pdm->ui.lpWatermarkOrder = 2;
    std::vector<BYTE> v = b.SendPageOfF0();
    // Dots only ever whiten, the left half stays white, and the right half
    // takes the half-tone: 16 of its 32 dots.
    int cWhite = 0;
    for (BYTE r : v) {
        EXPECT_EQ(r & 0xF0, 0xF0);
        cWhite += std::popcount(static_cast<unsigned>(r & 0x0F));
    }
    EXPECT_EQ(cWhite, 16);
}

TEST(PageImage, FirstPageOnlyWatermarkLeavesTheLaterPages)
{
    struct Case {
        BYTE use, current, firstOnly;
        std::vector<BYTE> page1, page2;
    };
    const Case cases[] = {
        {1, 1, 1, std::vector<BYTE>(8, 0x0F), std::vector<BYTE>(8, 0xF0)},
        {1, 1, 0, std::vector<BYTE>(8, 0x0F), std::vector<BYTE>(8, 0x0F)},
        {0, 1, 0, std::vector<BYTE>(8, 0xF0), std::vector<BYTE>(8, 0xF0)},
        {1, 0, 0, std::vector<BYTE>(8, 0xF0), std::vector<BYTE>(8, 0xF0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.use * 100 + c.current * 10 + c.firstOnly);
        BitmapPage b;
        DRVDEVMODE* pdm = b.f.dm();
        pdm->ui.Watermark_Use = c.use;
        pdm->ui.bWatermarkCurrent = c.current;
        pdm->ui.FirstPageOnly = c.firstOnly;
        pdm->ui.lpWatermarkOrder = 1;
        EXPECT_EQ(b.SendPageOfF0(), c.page1);
        EXPECT_EQ(b.SendPageOfF0(), c.page2);
        EXPECT_EQ(b.f.p()->cPages, 2u);
    }
}

TEST(PageImage, DitherLevelsAddOneDotEach)
{
    // Level g of the 64-level table has g white dots, and every dot of a
    // level stays white in the levels above it.
    for (ULONG g = 0; g < 64; g++) {
        int n = 0;
        for (ULONG r = 0; r < 8; r++) {
            BYTE row = GetDitherPatternRow(g, r);
            n += std::popcount(static_cast<unsigned>(row));
            EXPECT_EQ(row & GetDitherPatternRow(g + 1, r), row) << g << " " << r;
        }
        EXPECT_EQ(n, static_cast<int>(g));
    }
}

TEST(PageImage, DitherColorInBitmapMode)
{
    FlowPdev f(1, DMORIENT_PORTRAIT);
    f.dm()->ui.lpGraphicsMode = 1;
    ULONG aul[8];
    DHPDEV dh = reinterpret_cast<DHPDEV>(f.p());
    EXPECT_EQ(GenDitherColor(dh, 0, RGB(0, 0, 0), aul), static_cast<ULONG>(DCR_HALFTONE));
    EXPECT_EQ(GenDitherColor(dh, 0, RGB(255, 255, 255), aul), static_cast<ULONG>(DCR_HALFTONE));
    // Mid grey (128, 128, 128): g = 128, pattern level 32.
    ASSERT_EQ(GenDitherColor(dh, 0, RGB(128, 128, 128), aul), static_cast<ULONG>(DCR_DRIVER));
    int n = 0;
    for (ULONG y = 0; y < 8; y++) {
        EXPECT_EQ(aul[y] & ~0xFFu, 0u);
        n += std::popcount(aul[y]);
    }
    EXPECT_EQ(n, 32);
    // Pure red (255, 0, 0): g = 5 x 255 / 16 = 79, level 19.
    ASSERT_EQ(GenDitherColor(dh, 0, RGB(255, 0, 0), aul), static_cast<ULONG>(DCR_DRIVER));
    n = 0;
    for (ULONG y = 0; y < 8; y++)
        n += std::popcount(aul[y]);
    EXPECT_EQ(n, 19);
}

// --- copy clipping -------------------------------------------------------------------

TEST(CopyRects, ClippedToTheClipAndTheSource)
{
    struct Case {
        RECTL dst;
        POINTL src;
        SIZEL bitmap;
        bool clip;
        RECTL clipRect;
        BOOL ok;
        RECTL dstOut, srcOut;
    };
    const Case cases[] = {
        // Inside everything: unchanged.
        {{10, 10, 20, 20}, {0, 0}, {10, 10}, false, {}, TRUE, {10, 10, 20, 20}, {0, 0, 10, 10}},
        // The clip takes the left half; the source follows.
        {{10, 10, 20, 20}, {0, 0}, {10, 10}, true, {15, 0, 100, 100}, TRUE, {15, 10, 20, 20}, {5, 0, 10, 10}},
        // The source runs past its bitmap; the destination follows.
        {{0, 0, 10, 10}, {4, 6}, {10, 10}, false, {}, TRUE, {0, 0, 6, 4}, {4, 6, 10, 10}},
        // Nothing left.
        {{0, 0, 10, 10}, {0, 0}, {10, 10}, true, {20, 20, 30, 30}, FALSE, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {10, 0}, {10, 10}, false, {}, FALSE, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        RECTL dst = c.dst, src = {};
        EXPECT_EQ(bClipCopyRects(&dst, &src, &c.src, c.bitmap, c.clip ? &c.clipRect : nullptr), c.ok);
        EXPECT_EQ(std::memcmp(&dst, &c.dstOut, sizeof(RECTL)), 0);
        EXPECT_EQ(std::memcmp(&src, &c.srcOut, sizeof(RECTL)), 0);
    }
}

// --- greys on a one-bit page through GDI -----------------------------------------

class OneBitPage : public FlowPrinter {};

// The share of white dots in a rectangle of a one-bit surface, in percent.
int WhitePercent(SURFOBJ* pso, const RECTL& rc)
{
    int cWhite = 0, cAll = 0;
    for (LONG y = rc.top; y < rc.bottom; y++) {
        const BYTE* p = static_cast<const BYTE*>(pso->pvScan0) + y * pso->lDelta;
        for (LONG x = rc.left; x < rc.right; x++, cAll++)
            cWhite += (p[x >> 3] >> (7 - (x & 7))) & 1;
    }
    return cAll ? cWhite * 100 / cAll : -1;
}

TEST_F(OneBitPage, SolidGreysAndGreyTextAreDithered)
{
    std::vector<BYTE> dm = FlowDefaultDevmode();
    AsDrv(dm)->ui.lpGraphicsMode = 1;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"greys"));
    ASSERT_GT(StartPage(hdc), 0);
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
    ASSERT_NE(pso, nullptr);
    ASSERT_EQ(pso->iBitmapFormat, static_cast<ULONG>(BMF_1BPP));
    PlatGdiUnlockDCSurface(pso);

    const int aGrey[] = {0, 64, 100, 128, 160, 192, 200, 230, 255};
    SelectObject(hdc, GetStockObject(NULL_PEN));
    for (int i = 0; i < 9; i++) {
        HBRUSH hbr = CreateSolidBrush(RGB(aGrey[i], aGrey[i], aGrey[i]));
        HGDIOBJ hOld = SelectObject(hdc, hbr);
        ASSERT_TRUE(Rectangle(hdc, 100 + 300 * i, 100, 100 + 300 * i + 257, 357));
        SelectObject(hdc, hOld);
        DeleteObject(hbr);
    }
    HFONT hfont = CreateFontW(-200, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
    HGDIOBJ hOldFont = SelectObject(hdc, hfont);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(128, 128, 128));
    ASSERT_TRUE(TextOutW(hdc, 100, 500, u"MMMM", 4));

    pso = PlatGdiLockDCSurface(hdc);
    TestDumpPng(pso, "onebit_greys");
    // Each grey keeps its lightness as a share of white dots; black and
    // white stay solid.
    for (int i = 0; i < 9; i++) {
        SCOPED_TRACE(aGrey[i]);
        RECTL rc = {100 + 300 * i + 8, 108, 100 + 300 * i + 248, 348};
        int want = aGrey[i] * 100 / 255;
        int got = WhitePercent(pso, rc);
        EXPECT_NEAR(got, want, 4);
        if (aGrey[i] != 0 && aGrey[i] != 255) {
            EXPECT_GT(got, 0);
            EXPECT_LT(got, 100);
        }
    }
    // Grey text puts ink on the page, about half of the dots of its strokes.
    RECTL rcText = {100, 500, 1200, 800};
    int textWhite = WhitePercent(pso, rcText);
    EXPECT_LT(textWhite, 97);
    PlatGdiUnlockDCSurface(pso);
    SelectObject(hdc, hOldFont);
    DeleteObject(hfont);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
}

}  // namespace

namespace {

// Copies onto the job's bitmap in bitmap mode: a whole 1-bit bitmap at its
// own size is copied as it is; any other copy is cut to the clip and to the
// source and stretched into place.
TEST(BitmapCopy, CutToTheClipAndTheSource)
{
    struct Case {
        POINTL src;
        RECTL dst;
        bool clip;
        RECTL bounds;
        int black;  // dots of the black source that land on the page
    };
    const Case cases[] = {
        {{0, 0}, {4, 0, 12, 8}, false, {}, 64},               // whole, as it is
        {{2, 2}, {4, 0, 14, 10}, false, {}, 36},              // the source runs out
        {{2, 2}, {4, 0, 14, 10}, true, {0, 0, 7, 8}, 18},     // and the clip at 7
        {{0, 0}, {4, 0, 12, 8}, true, {12, 0, 16, 8}, 0},     // nothing left
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        BitmapPage b;
        ASSERT_TRUE(GenStartPage(b.pso));
        SIZEL sizl = {8, 8};
        HSURF hsrc = reinterpret_cast<HSURF>(EngCreateBitmap(sizl, 4, BMF_1BPP, BMF_TOPDOWN, nullptr));
        SURFOBJ* psoSrc = EngLockSurface(hsrc);
        ASSERT_NE(psoSrc, nullptr);
        std::memset(psoSrc->pvBits, 0, psoSrc->cjBits);
        CLIPOBJ co = {};
        co.iDComplexity = 1;
        co.rclBounds = c.bounds;
        RECTL dst = c.dst;
        POINTL src = c.src;
        EXPECT_TRUE(GenCopyBits(b.pso, psoSrc, c.clip ? &co : nullptr, nullptr, &dst, &src));
        int n = 0;
        for (int y = 0; y < 8; y++)
            n += 16 - std::popcount(static_cast<unsigned>(b.Row(y)[0] << 8 | b.Row(y)[1]));
        EXPECT_EQ(n, c.black);
        EngUnlockSurface(psoSrc);
        EngDeleteSurface(hsrc);
    }
}
}  // namespace
