// The abort and drop flags of the drawing hooks: a dropped call succeeds and
// draws nothing, an aborted one fails and draws nothing, and neither flag
// outlives its document on the same device context.
#include "tests/gfx_pageflow/pageflow_fixture.h"

#include "platform/gdi/gdidraw.h"

#include <functional>

namespace {

// A 1-bit bitmap-mode printer DC: the page is one engine bitmap whose dots
// the tests read back (white is 1).
class DrawFlags : public FlowPrinter {
protected:
    HDC hdc = nullptr;
    HDC hdcMem = nullptr;
    HBITMAP hbmBlack = nullptr;
    HGDIOBJ hbmOld = nullptr;

    void SetUp() override
    {
        FlowPrinter::SetUp();
        std::vector<BYTE> dm = FlowDefaultDevmode();
        DRVDEVMODE* pdm = AsDrv(dm);
        pdm->ui.lpGraphicsMode = 1;
        pdm->dm.dmColor = DMCOLOR_MONOCHROME;
        pdm->ui.dmMirror.dmColor = DMCOLOR_MONOCHROME;
        hdc = OpenDC(dm);
        ASSERT_NE(hdc, nullptr);
        // A black 20 x 20 source for the copies.
        hdcMem = CreateCompatibleDC(nullptr);
        ASSERT_NE(hdcMem, nullptr);
        std::vector<BYTE> zeros(2 * 20 * 2, 0);
        hbmBlack = CreateBitmap(20, 20, 1, 1, zeros.data());
        ASSERT_NE(hbmBlack, nullptr);
        hbmOld = SelectObject(hdcMem, hbmBlack);
    }
    void TearDown() override
    {
        if (hdcMem) {
            SelectObject(hdcMem, hbmOld);
            DeleteDC(hdcMem);
        }
        if (hbmBlack)
            DeleteObject(hbmBlack);
        if (hdc)
            DeleteDC(hdc);
    }
    // Black dots in the 40 x 40 square at (100, 100) of the page.
    int BlackDots()
    {
        SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
        if (!pso || !pso->pvScan0)
            return -1;
        int n = 0;
        for (int y = 100; y < 140; y++) {
            const BYTE* pRow = static_cast<const BYTE*>(pso->pvScan0) + y * pso->lDelta;
            for (int x = 100; x < 140; x++)
                if (!(pRow[x / 8] & (0x80 >> (x % 8))))
                    n++;
        }
        PlatGdiUnlockDCSurface(pso);
        return n;
    }
};

struct DrawCall {
    const char* name;
    std::function<BOOL(HDC hdc, HDC hdcMem)> draw;
};

const DrawCall kCalls[] = {
    {"PatBlt", [](HDC h, HDC) { return PatBlt(h, 100, 100, 40, 40, BLACKNESS); }},
    {"BitBlt", [](HDC h, HDC m) {
         return BitBlt(h, 100, 100, 20, 20, m, 0, 0, SRCCOPY) &&
                BitBlt(h, 120, 120, 20, 20, m, 0, 0, SRCCOPY);
     }},
    {"StretchBlt", [](HDC h, HDC m) { return StretchBlt(h, 100, 100, 40, 40, m, 0, 0, 20, 20, SRCCOPY); }},
};

TEST_F(DrawFlags, DropAndAbortHoldForTheirDocumentOnly)
{
    PDEV* pPDev = PdevOf(hdc);
    ASSERT_NE(pPDev, nullptr);
    for (const DrawCall& c : kCalls) {
        SCOPED_TRACE(c.name);
        // Dropped: the call succeeds, the page stays white.
        ASSERT_TRUE(StartDocNamed(hdc, u"dropped"));
        ASSERT_GT(StartPage(hdc), 0);
        ASSERT_EQ(BlackDots(), 0);
        pPDev->fJob |= PDEVF_DROPOUTPUT;
        EXPECT_TRUE(c.draw(hdc, hdcMem));
        EXPECT_EQ(BlackDots(), 0);
        EndPage(hdc);
        EndDoc(hdc);

        // Aborted: the call fails, the page stays white.
        ASSERT_TRUE(StartDocNamed(hdc, u"aborted"));
        ASSERT_GT(StartPage(hdc), 0);
        EXPECT_FALSE(pPDev->fJob & PDEVF_DROPOUTPUT);
        pPDev->fJob |= PDEVF_ABORTED;
        EXPECT_FALSE(c.draw(hdc, hdcMem));
        EXPECT_EQ(BlackDots(), 0);
        EndPage(hdc);
        EndDoc(hdc);

        // The next document draws.
        ASSERT_TRUE(StartDocNamed(hdc, u"whole"));
        ASSERT_GT(StartPage(hdc), 0);
        EXPECT_FALSE(pPDev->fJob & (PDEVF_ABORTED | PDEVF_DROPOUTPUT));
        EXPECT_TRUE(c.draw(hdc, hdcMem));
        EXPECT_EQ(BlackDots(), 40 * 40 - (c.name[0] == 'B' ? 2 * 20 * 20 : 0));
        ASSERT_GT(EndPage(hdc), 0);
        ASSERT_GT(EndDoc(hdc), 0);
    }
}

// The page generator's side (ORDEX output): every hook the device surface
// takes answers the flags before anything reaches the stream.
TEST(RouterFlags, EveryDrawingHookAnswersTheFlags)
{
    FlowPdev f(1, DMORIENT_PORTRAIT);
    f.AttachSinkWriter();
    SURFOBJ so = {};
    so.dhpdev = reinterpret_cast<DHPDEV>(f.p());
    so.iType = STYPE_DEVICE;
    so.sizlBitmap = {100, 100};
    SURFOBJ src = so;
    src.iType = STYPE_BITMAP;
    RECTL rc = {0, 0, 10, 10};
    POINTL pt = {0, 0};
    BRUSHOBJ bo = {0, nullptr, 0};
    STROBJ* pstro = reinterpret_cast<STROBJ*>(&rc);   // never read: the flags answer first
    FONTOBJ* pfo = reinterpret_cast<FONTOBJ*>(&pt);
    PATHOBJ* ppo = reinterpret_cast<PATHOBJ*>(&pt);
    const std::function<BOOL()> hooks[] = {
        [&] { return GenBitBlt(&so, nullptr, nullptr, nullptr, nullptr, &rc, nullptr, nullptr, &bo, &pt, 0); },
        [&] { return GenCopyBits(&so, &src, nullptr, nullptr, &rc, &pt); },
        [&] { return GenStretchBlt(&so, &src, nullptr, nullptr, nullptr, nullptr, nullptr, &rc, &rc, nullptr, 3); },
        [&] { return GenFillPath(&so, ppo, nullptr, &bo, &pt, 0x0D0D, 1); },
        [&] { return GenStrokePath(&so, ppo, nullptr, nullptr, &bo, &pt, nullptr, 0x0D0D); },
        [&] { return GenStrokeAndFillPath(&so, ppo, nullptr, nullptr, &bo, nullptr, &bo, &pt, 0x0D0D, 1); },
        [&] { return GenTextOut(&so, pstro, pfo, nullptr, nullptr, nullptr, &bo, nullptr, &pt, 0x0D0D); },
    };
    for (size_t i = 0; i < std::size(hooks); i++) {
        SCOPED_TRACE(i);
        f.p()->fJob = PDEVF_STREAMOPEN | PDEVF_DROPOUTPUT;
        EXPECT_TRUE(hooks[i]());
        f.p()->fJob = PDEVF_STREAMOPEN | PDEVF_ABORTED;
        EXPECT_FALSE(hooks[i]());
        EXPECT_EQ(f.p()->cbRecUsed, 0u);
    }
    f.p()->fJob = PDEVF_STREAMOPEN;
    // A broken PDEV: ERROR_INVALID_PARAMETER before anything else.
    f.p()->dwSignatureEnd = 0;
    SetLastError(0);
    EXPECT_FALSE(hooks[0]());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    f.p()->dwSignatureEnd = PDEV_SIGNATURE;
    EXPECT_TRUE(g_flowSink.empty());
}

}  // namespace
