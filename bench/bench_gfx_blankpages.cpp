// Blank-page skipping: a page held back in the capture store and sent at
// its end. Pages that fit the 1,024,000-byte buffer stay in memory; larger
// ones go through the capture file. Time per page and bytes per second for
// both, inked (sent) and blank (dropped).
#include "bench/benchroot.h"
#include "pdl/xgcmn/ordexnt/xrblank.h"
#include "platform/windows.h"

#include <benchmark/benchmark.h>

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
    CreateDirectoryW(u"C:\\", nullptr);
    s_bDone = true;
}

// A PDEV block with blank-page skipping on and a capture file.
struct BenchPdev {
    std::vector<BYTE> block = std::vector<BYTE>(PDEV_BLOCK_SIZE, 0);
    PDEV* p() { return reinterpret_cast<PDEV*>(block.data()); }
    BenchPdev()
    {
        PDEV* pp = p();
        pp->dwSignature = PDEV_SIGNATURE;
        pp->dwSignatureEnd = PDEV_SIGNATURE;
        pp->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
        pp->wPdevSize = (WORD)PDEV_TOTAL_SIZE;
        pp->lNupScale = 10000;
        SetPdevWriteJobData(pp, CountingWrite);
        BYTE* dm = PdlDevmodeBytes(pp);
        reinterpret_cast<DEVMODEW*>(dm)->dmSize = 220;
        reinterpret_cast<DEVMODEW*>(dm)->dmDriverExtra = 2395;
        DmSetShort(pp, 316, 600);
        dm[1539] = 1;
        dm[2167] = 2;
        PdlStartDoc(pp);
        const char16_t kPath[] = u"C:\\bench_blank.tmp";
        memcpy(PdlWork(pp)->szBlankPath, kPath, sizeof(kPath));
    }
    ~BenchPdev() { PdlEndDoc(p()); }
};

// range(0): page size in KB; range(1): 1 inked, 0 blank.
void BM_HeldPage(benchmark::State& state)
{
    SetUpRoot();
    BenchPdev b;
    const size_t cbPage = (size_t)state.range(0) * 1024;
    const bool bInked = state.range(1) != 0;
    std::vector<BYTE> row(4096, 'x');
    g_cbSent = 0;
    for (auto _ : state) {
        PdlStartPage(b.p());
        for (size_t cb = 0; cb < cbPage; cb += row.size())
            WriteStream(b.p(), row.data(), (DWORD)row.size());
        if (bInked)
            MarkPageInked(b.p());
        PdlEndPage(b.p());
        PdlSendPage(b.p());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)cbPage);
    // Bytes that reached the job per page: the page when inked, none when blank.
    state.counters["sent_per_page"] =
        benchmark::Counter((double)g_cbSent, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_HeldPage)
    ->Args({200, 1})
    ->Args({200, 0})
    ->Args({3000, 1})
    ->Args({3000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
