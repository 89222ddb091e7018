// A vector page: 1000 filled and stroked paths (triangles, rectangles and
// curved shapes) under a rectangle clip and a complex clip, drawn as ORDEX
// commands by the driver's path bodies and, in bitmap mode, rasterised by
// the engine on a one-bit page bitmap. Pages per second over jobs of 1 and
// 500 pages, and the memory they hold: the PDEV's chain blocks and global
// blocks at their peak and the process's peak resident size, which must
// not grow with the page count.
#include "bench/benchroot.h"
#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/ordexnt/xrbrush.h"
#include "platform/windows.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

ULONGLONG g_cbSent = 0;

BOOL CountingWrite(PDEV*, const BYTE*, DWORD cb)
{
    g_cbSent += cb;
    return TRUE;
}

void SetUpRoot()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    BenchMakeRoot();
    s_bDone = true;
}

POINTFIX Fx(LONG x, LONG y)
{
    return POINTFIX{x * 16, y * 16};
}

// The page's drawing objects, made once: 1000 paths, two clips, a few
// brushes and a pen.
struct VectorPage {
    std::vector<PATHOBJ*> apPaths;
    CLIPOBJ* pcoRect = nullptr;
    CLIPOBJ* pcoList = nullptr;
    std::vector<BRUSHOBJ*> apBrushes;
    BRUSHOBJ* pboPen = nullptr;
    LINEATTRS la = {};

    VectorPage(ULONG iFormat)
    {
        for (int i = 0; i < 1000; ++i) {
            PATHOBJ* ppo = EngCreatePath();
            LONG x = 100 + (i % 40) * 110;
            LONG y = 100 + (i / 40) * 260;
            PATHOBJ_bMoveTo(ppo, Fx(x, y));
            if (i % 3 == 0) {
                POINTFIX pts[] = {Fx(x + 90, y), Fx(x + 45, y + 80)};
                PATHOBJ_bPolyLineTo(ppo, pts, 2);
            } else if (i % 3 == 1) {
                POINTFIX pts[] = {Fx(x + 90, y), Fx(x + 90, y + 200), Fx(x, y + 200)};
                PATHOBJ_bPolyLineTo(ppo, pts, 3);
            } else {
                POINTFIX pts[] = {Fx(x + 30, y - 40), Fx(x + 60, y + 40), Fx(x + 90, y),
                                  Fx(x + 60, y + 120), Fx(x + 30, y + 200), Fx(x, y + 100)};
                PATHOBJ_bPolyBezierTo(ppo, pts, 6);
            }
            PATHOBJ_bCloseFigure(ppo);
            apPaths.push_back(ppo);
        }
        pcoRect = EngCreateClip();
        RECTL r = {50, 50, 4700, 6700};
        PlatClipSetRects(pcoRect, &r, 1);
        pcoList = EngCreateClip();
        std::vector<RECTL> bands;
        for (LONG y = 0; y < 6800; y += 17) {
            bands.push_back(RECTL{(y / 17) % 50, y, 4700 - (y / 17) % 70, y + 17});
        }
        PlatClipSetRects(pcoList, bands.data(), static_cast<ULONG>(bands.size()));
        const ULONG aColors[] = {0x000000, 0x808080, 0xC0C0C0, 0x404040};
        for (ULONG c : aColors) {
            PLATBRUSHDEF def = {};
            def.iSolidColor = iFormat == BMF_1BPP ? (c == 0 ? 0 : 1) : c;
            def.crRGB = c;
            apBrushes.push_back(PlatBrushCreate(&def));
        }
        PLATBRUSHDEF pen = {};
        pen.iSolidColor = 0;
        pboPen = PlatBrushCreate(&pen);
        la.elWidth.l = 1;
    }
    ~VectorPage()
    {
        for (PATHOBJ* ppo : apPaths)
            EngDeletePath(ppo);
        EngDeleteClip(pcoRect);
        EngDeleteClip(pcoList);
        for (BRUSHOBJ* pbo : apBrushes)
            PlatBrushDelete(pbo);
        PlatBrushDelete(pboPen);
    }
    CLIPOBJ* Clip(int i) { return (i / 100) % 2 ? pcoList : pcoRect; }
    BRUSHOBJ* Brush(int i) { return apBrushes[i % apBrushes.size()]; }
};

void Report(benchmark::State& state, int cPages, LONG cPeakChain, LONG cPeakGlobal)
{
    struct rusage ru = {};
    getrusage(RUSAGE_SELF, &ru);
    state.SetItemsProcessed(state.iterations() * cPages);
    state.counters["pages_per_sec"] =
        benchmark::Counter(static_cast<double>(state.iterations() * cPages), benchmark::Counter::kIsRate);
    state.counters["peak_chain_blocks"] = static_cast<double>(cPeakChain);
    state.counters["peak_global_blocks"] = static_cast<double>(cPeakGlobal);
    state.counters["max_rss_kb"] = static_cast<double>(ru.ru_maxrss);
}

LONG ChainBlocks(PDEV* pPDev)
{
    LONG n = 0;
    void* pLink = PdevChain(pPDev)->pNewest;
    while (pLink) {
        ++n;
        pLink = *static_cast<void**>(pLink);
    }
    return n;
}

void BM_VectorPageOrdex(benchmark::State& state)
{
    SetUpRoot();
    const int cPages = static_cast<int>(state.range(0));
    std::vector<BYTE> block(PDEV_BLOCK_SIZE, 0);
    PDEV* pPDev = reinterpret_cast<PDEV*>(block.data());
    pPDev->dwSignature = PDEV_SIGNATURE;
    pPDev->dwSignatureEnd = PDEV_SIGNATURE;
    pPDev->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
    pPDev->lNupScale = 10000;
    SetPdevWriteJobData(pPDev, CountingWrite);
    SetPdevChain(pPDev, CreateChainList());
    DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(PdlDevmodeBytes(pPDev));
    pdm->dmSize = 220;
    pdm->dmDriverExtra = 2395;
    PdlDevmodeBytes(pPDev)[2167] = 2;
    DmSetShort(pPDev, 310, 600);
    LoadToneCurve(pPDev);
    PdlWork(pPDev)->cxPrintable = 4760;
    PdlWork(pPDev)->cyPrintable = 6816;
    SURFOBJ so = {};
    so.iType = STYPE_DEVICE;
    so.dhpdev = reinterpret_cast<DHPDEV>(pPDev);
    VectorPage page(BMF_24BPP);

    LONG cGlobalBefore = PlatGlobalLiveBlocks();
    LONG cPeakChain = 0;
    LONG cPeakGlobal = 0;
    for (auto _ : state) {
        for (int p = 0; p < cPages; ++p) {
            PdlResetState(pPDev);
            ResetClipToNone(pPDev);
            for (int i = 0; i < 1000; ++i) {
                FillPathBody(&so, page.apPaths[i], page.Clip(i), page.Brush(i), nullptr, 0x0D0D,
                             FP_ALTERNATEMODE);
                StrokePathBody(&so, page.apPaths[i], page.Clip(i), nullptr, page.pboPen, nullptr,
                               &page.la, 0x0D0D);
            }
            cPeakChain = std::max(cPeakChain, ChainBlocks(pPDev));
            cPeakGlobal = std::max(cPeakGlobal, PlatGlobalLiveBlocks() - cGlobalBefore);
        }
    }
    FreeBrushCache(pPDev);
    ReleaseClipCache(pPDev);
    ReleasePathCache(pPDev);
    FreeChainList(PdevChain(pPDev));
    Report(state, cPages, cPeakChain, cPeakGlobal);
    state.counters["bytes_per_page"] =
        static_cast<double>(g_cbSent) / static_cast<double>(state.iterations() * cPages);
    g_cbSent = 0;
}

void BM_VectorPageBitmap(benchmark::State& state)
{
    SetUpRoot();
    const int cPages = static_cast<int>(state.range(0));
    // A4 at 600 dpi, one bit per pixel, as the bitmap mode's page.
    HSURF hsurf = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{4760, 6816}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
    SURFOBJ* pso = EngLockSurface(hsurf);
    VectorPage page(BMF_1BPP);
    LONG cGlobalBefore = PlatGlobalLiveBlocks();
    LONG cPeakGlobal = 0;
    for (auto _ : state) {
        for (int p = 0; p < cPages; ++p) {
            RECTL rclPage = {0, 0, 4760, 6816};
            EngEraseSurface(pso, &rclPage, 1);
            for (int i = 0; i < 1000; ++i) {
                EngFillPath(pso, page.apPaths[i], page.Clip(i), page.Brush(i), nullptr, 0x0D0D,
                            FP_ALTERNATEMODE);
                EngStrokePath(pso, page.apPaths[i], page.Clip(i), nullptr, page.pboPen, nullptr,
                              &page.la, 0x0D0D);
            }
            cPeakGlobal = std::max(cPeakGlobal, PlatGlobalLiveBlocks() - cGlobalBefore);
        }
    }
    EngUnlockSurface(pso);
    EngDeleteSurface(hsurf);
    Report(state, cPages, 0, cPeakGlobal);
}

}  // namespace

BENCHMARK(BM_VectorPageOrdex)->Arg(1)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorPageBitmap)->Arg(1)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
