// A 600-dpi A4 bitmap-mode page (4960 x 7016 dots) sent through the image
// output as the frame sends it: one block transfer of the whole page bitmap
// with the source-and-destination operation. Three pages: a one-bit page,
// a 24-bit colour page (density bytes, run-length coded) and the same
// colour page halftoned by the driver with the 16 x 16 matrix. Each page
// carries text-like rows of dots, a grey band and white margins. Pages per
// second and bytes sent per page.
#include "bench/benchroot.h"
#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/ordexnt/xrimage.h"
#include "platform/windows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const LONG kCx = 4960;
const LONG kCy = 7016;

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

// The page bitmap: white, with "text" lines (short dark runs) between
// margins and a grey band across the middle.
HSURF MakePage(ULONG iFormat)
{
    HSURF hsurf =
        reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{kCx, kCy}, 0, iFormat, BMF_TOPDOWN, nullptr));
    SURFOBJ* pso = EngLockSurface(hsurf);
    BYTE* p0 = static_cast<BYTE*>(pso->pvScan0);
    for (LONG y = 0; y < kCy; ++y) {
        BYTE* row = p0 + (long long)y * pso->lDelta;
        BOOL bText = y > 300 && y < kCy - 300 && (y % 100) < 60;
        BOOL bGrey = y > 3400 && y < 3600;
        for (LONG x = 0; x < kCx; ++x) {
            BOOL bInk = bText && x > 300 && x < kCx - 300 && ((x / 7 + y / 3) % 5) < 2;
            BYTE v = bInk ? 0 : bGrey ? 0x80 : 0xFF;
            if (iFormat == BMF_1BPP) {
                if (v != 0xFF && !(bGrey && ((x + y) & 1)))
                    row[x >> 3] &= (BYTE) ~(0x80u >> (x & 7));
                else
                    row[x >> 3] |= (BYTE)(0x80u >> (x & 7));
            } else {
                row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
            }
        }
    }
    EngUnlockSurface(pso);
    return hsurf;
}

void PageBench(benchmark::State& state, ULONG iFormat, BYTE bDither)
{
    SetUpRoot();
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
    PdlDevmodeBytes(pPDev)[778] = 1;
    PdlDevmodeBytes(pPDev)[2154] = bDither;
    DmSetShort(pPDev, 310, 600);
    LoadToneCurve(pPDev);
    PdlWork(pPDev)->cxPrintable = 4760;
    PdlWork(pPDev)->cyPrintable = 6816;
    PdlResetState(pPDev);
    SURFOBJ so = {};
    so.iType = STYPE_DEVICE;
    so.dhpdev = reinterpret_cast<DHPDEV>(pPDev);
    so.iBitmapFormat = BMF_24BPP;

    HSURF hsurf = MakePage(iFormat);
    SURFOBJ* psoPage = EngLockSurface(hsurf);
    RECTL rc = {0, 0, kCx, kCy};
    POINTL pt = {0, 0};
    BRUSHOBJ bo = {0, nullptr, 0};
    g_cbSent = 0;
    int cPages = 0;
    for (auto _ : state) {
        if (!BitBltBody(&so, psoPage, nullptr, nullptr, nullptr, &rc, &pt, nullptr, &bo, &pt,
                        0x8888)) {
            state.SkipWithError("the page was not written");
            break;
        }
        ++cPages;
    }
    state.counters["pages_per_s"] = benchmark::Counter(cPages, benchmark::Counter::kIsRate);
    state.counters["bytes_per_page"] = cPages ? static_cast<double>(g_cbSent) / cPages : 0;
    EngUnlockSurface(psoPage);
    EngDeleteSurface(hsurf);
    FreeBrushCache(pPDev);
    FreeChainList(PdevChain(pPDev));
}

void BM_OneBitPage(benchmark::State& state)
{
    PageBench(state, BMF_1BPP, 0);
}
void BM_ColourPage(benchmark::State& state)
{
    PageBench(state, BMF_24BPP, 0);
}
void BM_ColourPageHalftoned(benchmark::State& state)
{
    PageBench(state, BMF_24BPP, 4);
}

BENCHMARK(BM_OneBitPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourPageHalftoned)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
