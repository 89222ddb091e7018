// The whole printing road, application to port file: every job opens a
// device context on the installed printer (CreateDCW loads the graphics
// library, the user-interface library's document events run, the resource
// library is bound as the spooler binds it), draws through the
// application-side GDI, and ends with EndDoc and DeleteDC, the stream in a
// file. Jobs of one page: 80 x 60 characters in a resident font, 10,000
// shapes, a full-page 8-bit grey image and a full-page 1-bit image at 600
// dpi; the memory of a 1000-page text job against a 1-page one; and the
// q730 command from start to exit.
//
// Memory counters are the growth of the process's peak resident size over
// its size before the job (job_peak_MB), so that what the benchmark itself
// holds (the application's image) is not counted.
#include "bench/roadjobs.h"

#include <benchmark/benchmark.h>

namespace {

using namespace road;

bool SetUpOrSkip(benchmark::State& state)
{
    if (SetUp())
        return true;
    state.SkipWithError("the printer could not be set up");
    return false;
}

void BM_TextPage(benchmark::State& state)
{
    SetUpOrSkip(state);
    for (auto _ : state)
        if (!Job(1, DrawText)) {
            state.SkipWithError("the job failed");
            break;
        }
}
BENCHMARK(BM_TextPage)->Unit(benchmark::kMillisecond);

void BM_ShapesPage(benchmark::State& state)
{
    SetUpOrSkip(state);
    for (auto _ : state)
        if (!Job(1, DrawShapes)) {
            state.SkipWithError("the job failed");
            break;
        }
}
BENCHMARK(BM_ShapesPage)->Unit(benchmark::kMillisecond);

void ImageBench(benchmark::State& state, int nBits)
{
    if (SetUpOrSkip(state)) {
        HDC hic = CreateDCW(NULL, kPrinter, NULL, (const DEVMODEW*)g_dm.data());
        LONG cx = GetDeviceCaps(hic, HORZRES), cy = GetDeviceCaps(hic, VERTRES);
        DeleteDC(hic);
        PageDib dib(cx, cy, nBits);
        double kbPeak = 0;
        for (auto _ : state) {
            long kbBefore = ResetPeakKb();
            bool bOk = Job(1, [&](HDC hdc, int) {
                return SetDIBitsToDevice(hdc, 0, 0, cx, cy, 0, 0, 0, cy, dib.bits.data(),
                                         dib.bmi(), DIB_RGB_COLORS) > 0;
            });
            kbPeak = std::max(kbPeak, (double)(StatusKb("VmHWM:") - kbBefore));
            if (!bOk) {
                state.SkipWithError("the job failed");
                break;
            }
        }
        state.counters["job_peak_MB"] = kbPeak / 1024.0;
    }
}

void BM_GreyImagePage(benchmark::State& state)
{
    ImageBench(state, 8);
}
void BM_MonoImagePage(benchmark::State& state)
{
    ImageBench(state, 1);
}
BENCHMARK(BM_GreyImagePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonoImagePage)->Unit(benchmark::kMillisecond);

// The memory of a text job of range(0) pages: its peak must not grow with
// the page count.
void BM_TextJobMemory(benchmark::State& state)
{
    SetUpOrSkip(state);
    int cPages = (int)state.range(0);
    double kbPeak = 0;
    for (auto _ : state) {
        long kbBefore = ResetPeakKb();
        bool bOk = Job(cPages, DrawText);
        kbPeak = std::max(kbPeak, (double)(StatusKb("VmHWM:") - kbBefore));
        if (!bOk) {
            state.SkipWithError("the job failed");
            break;
        }
    }
    state.counters["job_peak_MB"] = kbPeak / 1024.0;
}
BENCHMARK(BM_TextJobMemory)->Arg(1)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

// q730 print of a text file from start to exit, and its peak size: a
// one-page file for the start-up, 1000 pages for the memory.
void BM_Q730Print(benchmark::State& state)
{
    SetUpOrSkip(state);
    int cPages = (int)state.range(0);
    std::string name = "pages" + std::to_string(cPages) + ".txt";
    {
        std::ofstream f(g_root + "/" + name, std::ios::binary);
        for (int p = 0; p < cPages; ++p) {
            for (int y = 0; y < 60; ++y) {
                std::string line;
                for (int x = 0; x < 80; ++x)
                    line += (char)(0x21 + (x * 7 + y * 13 + p) % 94);
                f << line << "\n";
            }
            if (p + 1 < cPages)
                f << "\f";
        }
    }
    long kbMax = 0;
    for (auto _ : state) {
        RUNRESULT r = RunQ730({"print", "--output", "q730.prn", name});
        if (r.iStatus != 0) {
            state.SkipWithError("q730 print failed");
            break;
        }
        kbMax = std::max(kbMax, r.kbPeak);
    }
    state.counters["peak_MB"] = kbMax / 1024.0;
}
BENCHMARK(BM_Q730Print)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Q730Print)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
