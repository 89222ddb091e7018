// The job header and page set-up of a 1000-page job, and the stream's own
// formatter against snprintf of the same lines: the formatter must not be
// what a page waits for.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "pdl/xgcmn/ordexnt/xgientnt.h"

namespace {

// A PDEV block whose record stream only counts the bytes.
struct BenchPdev {
    std::vector<BYTE> block = std::vector<BYTE>(PDEV_BLOCK_SIZE, 0);
    PDEV* pdev() { return reinterpret_cast<PDEV*>(block.data()); }
};

size_t g_cbStream = 0;

BOOL _CountWrite(PDEV*, const BYTE*, DWORD cb)
{
    g_cbStream += cb;
    return TRUE;
}

void _Init(BenchPdev& b)
{
    PDEV* p = b.pdev();
    p->dwSignature = PDEV_SIGNATURE;
    p->dwSignatureEnd = PDEV_SIGNATURE;
    p->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
    p->lNupScale = 10000;
    SetPdevWriteJobData(p, _CountWrite);
    BYTE* dm = b.block.data() + PDEV_DEVMODE_OFFSET;
    reinterpret_cast<DEVMODEW*>(dm)->dmDriverExtra = 2395;
    DmSetShort(p, 296, 1);
    DmSetShort(p, 306, 1);
    DmSetShort(p, 316, 600);
    DmSetShort(p, 776, 9);
    DmSetShort(p, 1543, 7);
    DmSetShort(p, 1545, 1);
    DmSetShort(p, 2156, -1);
    dm[2167] = 2;
}

void BM_HeaderAndThousandPageSetups(benchmark::State& state)
{
    BenchPdev b;
    _Init(b);
    for (auto _ : state) {
        g_cbStream = 0;
        PdlStartDoc(b.pdev());
        WriteJobHeader(b.pdev(), u"Quarterly report");
        for (int i = 0; i < 1000; ++i) {
            PdlStartPage(b.pdev());
            PdlSendPage(b.pdev());
        }
        PdlEndDoc(b.pdev());
        benchmark::DoNotOptimize(g_cbStream);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.counters["bytes/job"] = (double)g_cbStream;
}
BENCHMARK(BM_HeaderAndThousandPageSetups)->Unit(benchmark::kMillisecond);

// The formatter alone: a page set-up's worth of lines into a line buffer.
int _Format(char* ach, const char* pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    int n = FormatStreamLine(ach, PDL_LINE_SIZE, pszFormat, ap);
    va_end(ap);
    return n;
}

void BM_FormatStreamLine(benchmark::State& state)
{
    char ach[PDL_LINE_SIZE];
    int n = 0;
    for (auto _ : state) {
        n += _Format(ach, "org %%%d.%d ", 5, 12);
        n += _Format(ach, "pps %s ", "A4");
        n += _Format(ach, "brc %d #%X;\n", 10, 0x494949);
        n += _Format(ach, "@PJL SET JOBNAME = %c%s%c\n", 34, "Quarterly report", 34);
        n += _Format(ach, "rct %d %d %d %d;\n", 100, 2000, 30000, -40);
        benchmark::DoNotOptimize(ach);
    }
    benchmark::DoNotOptimize(n);
    state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(BM_FormatStreamLine);

void BM_Snprintf(benchmark::State& state)
{
    char ach[PDL_LINE_SIZE];
    int n = 0;
    for (auto _ : state) {
        n += snprintf(ach, sizeof(ach), "org %%%d.%d ", 5, 12);
        n += snprintf(ach, sizeof(ach), "pps %s ", "A4");
        n += snprintf(ach, sizeof(ach), "brc %d #%X;\n", 10, 0x494949);
        n += snprintf(ach, sizeof(ach), "@PJL SET JOBNAME = %c%s%c\n", 34, "Quarterly report", 34);
        n += snprintf(ach, sizeof(ach), "rct %d %d %d %d;\n", 100, 2000, 30000, -40);
        benchmark::DoNotOptimize(ach);
    }
    benchmark::DoNotOptimize(n);
    state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(BM_Snprintf);

// PdlPrintf with its write: one line, one raw write through the router.
void BM_PdlPrintf(benchmark::State& state)
{
    BenchPdev b;
    _Init(b);
    PdlStartDoc(b.pdev());
    for (auto _ : state) {
        PdlPrintf(b.pdev(), "brc %d #%X;\n", 10, 0x494949);
    }
    PdlEndDoc(b.pdev());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PdlPrintf);

}  // namespace

BENCHMARK_MAIN();
