// The special-page schedule of a job with many insert-sheet records, and
// the per-page lookups a long job makes in it: the build and the lookups
// must stay small beside the pages themselves.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "pdl/xgcmn/ordexnt/xrschedule.h"

namespace {

struct BenchPdev {
    std::vector<BYTE> block = std::vector<BYTE>(PDEV_BLOCK_SIZE, 0);
    PDEV* pdev() { return reinterpret_cast<PDEV*>(block.data()); }
    BYTE* dm() { return block.data() + PDEV_DEVMODE_OFFSET; }
};

BOOL _NoWrite(PDEV*, const BYTE*, DWORD)
{
    return TRUE;
}

// A duplex job whose nRecords records each insert a sheet before every
// nStep-th page of nPages pages (records alternate sheet kinds).
void _Init(BenchPdev& b, int nRecords, int nPages, int nStep)
{
    PDEV* p = b.pdev();
    p->dwSignature = PDEV_SIGNATURE;
    p->dwSignatureEnd = PDEV_SIGNATURE;
    p->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
    p->lNupScale = 10000;
    SetPdevWriteJobData(p, _NoWrite);
    reinterpret_cast<DEVMODEW*>(b.dm())->dmDriverExtra = 2395;
    DmSetShort(p, 296, 1);
    DmSetShort(p, 314, 2);
    DmSetShort(p, 776, 9);
    DmSetShort(p, 1543, 7);
    b.dm()[1423] = 1;
    b.dm()[1426] = 1;
    b.dm()[1583] = 1;
    b.dm()[2167] = 2;
    PdlStartDoc(p);
    PDLWORK* w = PdlWork(p);
    for (int r = 0; r < nRecords; ++r) {
        BYTE* rec = PdlInsertSheets(p) + r * 476;
        std::u16string list;
        for (int pg = 1 + r % nStep; pg < nPages && list.size() < 120; pg += nStep) {
            if (!list.empty())
                list += u',';
            for (char c : std::to_string(pg))
                list += (char16_t)c;
        }
        memcpy(rec, list.data(), list.size() * 2);
        rec[258] = (BYTE)(r % 3 == 0 ? 6 : (r % 3 == 1 ? 1 : 5));
        rec[260] = 0x00;
        rec[261] = 0x10;
        rec[262] = 1;
        rec[264] = 1;
    }
    LONG n = nRecords;
    memcpy(reinterpret_cast<BYTE*>(w) + 27180, &n, 4);
}

void BM_BuildSchedule(benchmark::State& state)
{
    BenchPdev b;
    _Init(b, (int)state.range(0), 2000, 37);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSpecialPageSchedule(b.pdev()));
    state.counters["sheets"] = GetSheetTableInfo(b.pdev()).nSheets;
    PdlEndDoc(b.pdev());
}
BENCHMARK(BM_BuildSchedule)->Arg(8)->Arg(128)->Unit(benchmark::kMillisecond);

// The growth of the build with the number of records (each record adds
// its sheets to the table): time against records, with the fitted order.
void BM_ScheduleGrowth(benchmark::State& state)
{
    BenchPdev b;
    _Init(b, (int)state.range(0), 2000, 37);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSpecialPageSchedule(b.pdev()));
    state.SetComplexityN(state.range(0));
    state.counters["sheets"] = GetSheetTableInfo(b.pdev()).nSheets;
    PdlEndDoc(b.pdev());
}
BENCHMARK(BM_ScheduleGrowth)
    ->RangeMultiplier(2)
    ->Range(8, 128)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

void BM_LookupsOfEveryPage(benchmark::State& state)
{
    BenchPdev b;
    _Init(b, 128, 2000, 37);
    BuildSpecialPageSchedule(b.pdev());
    int nPages = GetSheetTableInfo(b.pdev()).nPages;
    for (auto _ : state) {
        int c = 0;
        for (int pg = 1; pg <= nPages; ++pg) {
            PdlWork(b.pdev())->nLogicalPage = pg;
            int nTray = 0;
            c += GetSpecialPagesForPage(b.pdev(), pg, nullptr);
            c += GetScheduledTray(b.pdev(), &nTray);
            c += CountBlankSidesBefore(b.pdev(), pg);
        }
        benchmark::DoNotOptimize(c);
    }
    PdlEndDoc(b.pdev());
}
BENCHMARK(BM_LookupsOfEveryPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
