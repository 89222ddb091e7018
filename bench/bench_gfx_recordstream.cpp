// A job of many pages through the job record stream, direct and booklet:
// time per page, and the memory the stream holds while it runs (global
// blocks and the process's peak resident size), which must not grow with
// the page count: a booklet job keeps its pages in the spool file on disk.
#include "bench/benchroot.h"
#include "customnt/xrddigfx/pdev.h"
#include "graphics/ddi/jobrecord.h"
#include "platform/windows.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

ULONGLONG g_cbSent = 0;

BOOL CountingSink(HANDLE, LPVOID, DWORD cb, LPDWORD pcWritten)
{
    g_cbSent += cb;
    *pcWritten = cb;
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

// One job of cPages pages: per page a short start part, a 24 KB body and a
// short end part, as a page generator writes them.
void RunJob(PDEV* pPDev, WORD wMode, int cPages, const std::vector<BYTE>& body, LONG* pPeakBlocks)
{
    SetPdevWriter(pPDev, CreateSpoolWriter(nullptr));
    PdevWriter(pPDev)->pfnWrite = CountingSink;
    JOBRECORD_OPEN open = {};
    open.hdr = {JR_OPEN, 21, 0};
    open.wReplayMode = wMode;
    open.wReplayCopies = 1;
    open.bFormMode = FORMFILE_NONE;
    DWORD cbTaken = 0;
    bProcessJobRecord(PdevWriter(pPDev), reinterpret_cast<BYTE*>(&open), sizeof(open), &cbTaken);
    pPDev->fJob = PDEVF_STREAMOPEN;

    static const BYTE abHeader[] = "\x1B%-12345X@PJL\r\n@PJL ENTER LANGUAGE = ORDEX2\r\nini;\n";
    static const BYTE abStart[] = "pgs A4;\norg 0 0;\n";
    static const BYTE abEnd[] = "prn;\n";
    bEmitRecordOfType(pPDev, JR_SECTION, SECTION_HEADER);
    bWriteJobData(pPDev, abHeader, sizeof(abHeader) - 1);
    for (int i = 0; i < cPages; i++) {
        bEmitRecordOfType(pPDev, JR_SECTION, SECTION_PAGESTART);
        bWriteJobData(pPDev, abStart, sizeof(abStart) - 1);
        bEmitRecordOfType(pPDev, JR_SECTION, SECTION_PAGEBODY);
        bWriteJobData(pPDev, body.data(), static_cast<DWORD>(body.size()));
        bEmitRecordOfType(pPDev, JR_SECTION, SECTION_PAGEEND);
        bWriteJobData(pPDev, abEnd, sizeof(abEnd) - 1);
        bEmitRecordOfType(pPDev, JR_DATA, 0);
        LONG cBlocks = PlatGlobalLiveBlocks();
        if (cBlocks > *pPeakBlocks)
            *pPeakBlocks = cBlocks;
    }
    bEmitRecordOfType(pPDev, JR_SECTION, SECTION_TRAILER);
    bWriteJobData(pPDev, reinterpret_cast<const BYTE*>("\x1B%-12345X"), 9);
    bEmitRecordOfType(pPDev, JR_DATA, 0);
    bEmitRecordOfType(pPDev, JR_REPLAY, 0);
    bEmitRecordOfType(pPDev, JR_CLOSE, 0);
}

void RecordStream(benchmark::State& state, WORD wMode)
{
    SetUpRoot();
    const int cPages = static_cast<int>(state.range(0));
    std::vector<BYTE> pdevBuf(PDEV_BLOCK_SIZE, 0);
    PDEV* pPDev = reinterpret_cast<PDEV*>(pdevBuf.data());
    pPDev->dwSignature = PDEV_SIGNATURE;
    pPDev->dwSignatureEnd = PDEV_SIGNATURE;
    pPDev->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
    ResetJobRecordBuffer(pPDev);
    std::vector<BYTE> body(24 * 1024);
    for (size_t i = 0; i < body.size(); i++)
        body[i] = static_cast<BYTE>('a' + i % 26);

    LONG cBlocksBefore = PlatGlobalLiveBlocks();
    LONG cPeakBlocks = cBlocksBefore;
    g_cbSent = 0;
    for (auto _ : state)
        RunJob(pPDev, wMode, cPages, body, &cPeakBlocks);
    struct rusage ru = {};
    getrusage(RUSAGE_SELF, &ru);
    state.SetItemsProcessed(state.iterations() * cPages);
    state.counters["sec_per_page"] = benchmark::Counter(
        static_cast<double>(state.iterations() * cPages),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["peak_global_blocks"] = static_cast<double>(cPeakBlocks - cBlocksBefore);
    state.counters["max_rss_kb"] = static_cast<double>(ru.ru_maxrss);
    state.counters["bytes_per_job"] = static_cast<double>(g_cbSent) / state.iterations();
}

void BM_RecordStreamDirect(benchmark::State& state)
{
    RecordStream(state, REPLAY_DIRECT);
}

void BM_RecordStreamBooklet(benchmark::State& state)
{
    RecordStream(state, REPLAY_BOOKLET);
}

}  // namespace

BENCHMARK(BM_RecordStreamDirect)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordStreamBooklet)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
