// The driver side by side with Ghostscript's pxlmono device on the same
// pages: a text page (60 lines of 80 characters), 10,000 shapes, a full-page
// 8-bit grey image and a full-page 1-bit image, each printed through the
// whole road (the same drawing calls as bench_road, application to port
// file) and, from PostScript this program writes for the same page, by gs
// from start to exit; and the start of a one-page job, q730 print of a text
// file against gs on the text page.
//
// Benchmarks are named SIDE/WORK/PAGES (SIDE Driver, Ghostscript or Memcpy),
// so that bench/side_by_side.sh can run one side of one work at a time and
// rotate the runs. Every benchmark reports its own counters, per job:
//   cpu_ms   CPU time of the job (the program's own for the driver's jobs,
//            the child's user and system time for a program run)
//   wall_ms  its wall-clock time
//   peak_MB  the peak resident size: of the child process for a program
//            run; for a driver job in this program, the growth of the peak
//            over the size before the job
// Per page is the difference of the PAGES and the one-page job divided by
// the extra pages, the same for both sides, so that neither side's start is
// counted in a page. The Memcpy benchmark copies the 8-bit page's raster
// once, the floor of any image page.
#include "bench/roadjobs.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <sys/stat.h>

namespace {

using namespace road;

// The page as the driver describes it, in device units at 600 dpi.
struct PAGEGEOM {
    LONG cxPhys, cyPhys, xOff, yOff, cx, cy, dpi;
};
PAGEGEOM g_geom = {};

bool SetUpSide()
{
    if (g_geom.cx)
        return true;
    if (!SetUp("q730side"))
        return false;
    HDC hic = CreateDCW(NULL, kPrinter, NULL, (const DEVMODEW*)g_dm.data());
    if (!hic)
        return false;
    g_geom = {GetDeviceCaps(hic, PHYSICALWIDTH),   GetDeviceCaps(hic, PHYSICALHEIGHT),
              GetDeviceCaps(hic, PHYSICALOFFSETX), GetDeviceCaps(hic, PHYSICALOFFSETY),
              GetDeviceCaps(hic, HORZRES),         GetDeviceCaps(hic, VERTRES),
              GetDeviceCaps(hic, LOGPIXELSX)};
    DeleteDC(hic);
    return g_geom.cx > 0 && g_geom.cy > 0 && g_geom.dpi > 0;
}

double CpuSeconds()
{
    struct rusage ru = {};
    getrusage(RUSAGE_SELF, &ru);
    return (double)ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + (double)ru.ru_stime.tv_sec +
           ru.ru_stime.tv_usec / 1e6;
}

void SetCounters(benchmark::State& state, double sCpu, double sWall, double mbPeak, int cPages)
{
    state.counters["cpu_ms"] = benchmark::Counter(sCpu * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["wall_ms"] =
        benchmark::Counter(sWall * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["peak_MB"] = mbPeak;
    state.counters["pages"] = cPages;
}

// ---- the pages in PostScript ------------------------------------------------------------

// Device units: the origin at the printable area's top left, y downwards,
// one unit a dot, as the driver's device context has it.
std::string Prolog()
{
    const PAGEGEOM& g = g_geom;
    double k = 72.0 / g.dpi;
    char ach[512];
    snprintf(ach, sizeof ach,
             "%%!PS-Adobe-3.0\n"
             "<< /PageSize [%.3f %.3f] >> setpagedevice\n"
             "/dev { 0 %.3f translate %.6f %.6f scale %ld %ld translate } bind def\n",
             g.cxPhys * k, g.cyPhys * k, g.cyPhys * k, k, -k, (long)g.xOff, (long)g.yOff);
    return ach;
}

// DrawText's page: 10-point Courier, 60 lines of 80 characters, each line's
// cell top at y * 100.
std::string TextPs(int cPages)
{
    std::string s = Prolog();
    double em = 10.0 * g_geom.dpi / 72.0;
    char ach[160];
    snprintf(ach, sizeof ach, "/Courier findfont [%.4f 0 0 %.4f 0 0] makefont setfont\n", em, -em);
    s += ach;
    for (int p = 0; p < cPages; ++p) {
        s += "gsave dev\n";
        for (int y = 0; y < 60; ++y) {
            snprintf(ach, sizeof ach, "0 %d moveto <", y * 100 + (int)std::lround(em * 0.8));
            s += ach;
            for (int x = 0; x < 80; ++x) {
                snprintf(ach, sizeof ach, "%02X", 0x21 + (x * 7 + y * 13 + p) % 94);
                s += ach;
            }
            s += "> show\n";
        }
        s += "grestore showpage\n";
    }
    return s;
}

// DrawShapes' page: rectangles in black, ellipses in grey, triangles in a
// diagonal cross hatch (lines 8 dots apart) on white, each outlined with a
// 3-dot pen. The hatch is drawn as lines clipped to the triangle: a
// PostScript pattern would make pxlmono send the whole shape as a raster,
// which costs it several times what the lines do, and the comparison is not
// to ride on that.
std::string ShapesPs(int cPages)
{
    std::string s = Prolog();
    char ach[256];
    s += "/R { newpath moveto 40 0 rlineto 0 60 rlineto -40 0 rlineto closepath\n"
         "     gsave 0 setgray fill grestore stroke } bind def\n"
         "/E { newpath matrix currentmatrix 3 1 roll 30 add exch 20 add exch translate\n"
         "     20 30 scale 0 0 1 0 360 arc closepath setmatrix\n"
         "     gsave 160 255 div setgray fill grestore stroke } bind def\n"
         "/H { gsave 1 setlinewidth translate newpath\n"
         "     -64 8 40 { dup 0 moveto 60 add 60 lineto } for\n"
         "     0 8 104 { dup 0 moveto 60 sub 60 lineto } for stroke grestore } bind def\n"
         "/T { newpath 2 copy 2 copy 60 add moveto 20 -60 rlineto 20 60 rlineto closepath\n"
         "     gsave 1 setgray fill grestore gsave clip H grestore pop pop stroke } bind def\n";
    for (int p = 0; p < cPages; ++p) {
        s += "gsave dev 3 setlinewidth 0 setgray\n";
        for (int i = 0; i < 10000; ++i) {
            int x = 40 + (i % 100) * 46, y = 40 + (i / 100) * 66;
            snprintf(ach, sizeof ach, "%d %d %c\n", x, y, "RET"[i % 3]);
            s += ach;
        }
        s += "grestore showpage\n";
    }
    return s;
}

// The image page: the raster (rows top-down, each row whole bytes) read
// from the file beside it on every page.
std::string ImagePs(int cPages, int nBits, const std::string& rawPath)
{
    std::string s = Prolog();
    char ach[512];
    LONG cx = g_geom.cx, cy = g_geom.cy;
    for (int p = 0; p < cPages; ++p) {
        snprintf(ach, sizeof ach,
                 "gsave dev %ld %ld scale /DeviceGray setcolorspace\n"
                 "%ld %ld %d [%ld 0 0 %ld 0 0] (%s) (r) file image\n"
                 "grestore showpage\n",
                 (long)cx, (long)cy, (long)cx, (long)cy, nBits, (long)cx, (long)cy, rawPath.c_str());
        s += ach;
    }
    return s;
}

// The DIB's rows top-down without their padding, as the PostScript reads them.
std::string WriteRaw(const PageDib& dib, int nBits)
{
    LONG cx = g_geom.cx, cy = g_geom.cy;
    size_t cbRow = (size_t)(cx * nBits + 7) / 8;
    size_t stride = (size_t)((cx * nBits + 31) / 32) * 4;
    std::string path = g_root + "/image" + std::to_string(nBits) + ".raw";
    std::ofstream f(path, std::ios::binary);
    for (LONG y = cy - 1; y >= 0; --y)
        f.write(reinterpret_cast<const char*>(dib.bits.data() + (size_t)y * stride), cbRow);
    return path;
}

// ---- the works -----------------------------------------------------------------------

enum WORK { kText, kShapes, kGrey, kMono };
const char* const kWorkNames[] = {"text", "shapes", "grey", "mono"};

// The application's DIB of each image work, made once.
const PageDib& Dib(int nBits)
{
    static std::map<int, PageDib> s_dibs;
    auto it = s_dibs.find(nBits);
    if (it == s_dibs.end())
        it = s_dibs.emplace(nBits, PageDib(g_geom.cx, g_geom.cy, nBits)).first;
    return it->second;
}

// The PostScript file of a work and page count, written once.
std::string PsFile(WORK w, int cPages)
{
    std::string path = g_root + "/" + kWorkNames[w] + std::to_string(cPages) + ".ps";
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
        return path;
    std::string ps;
    switch (w) {
    case kText: ps = TextPs(cPages); break;
    case kShapes: ps = ShapesPs(cPages); break;
    case kGrey: ps = ImagePs(cPages, 8, WriteRaw(Dib(8), 8)); break;
    case kMono: ps = ImagePs(cPages, 1, WriteRaw(Dib(1), 1)); break;
    }
    std::ofstream(path, std::ios::binary) << ps;
    return path;
}

bool DriverPages(WORK w, int cPages)
{
    switch (w) {
    case kText: return Job(cPages, DrawText);
    case kShapes: return Job(cPages, DrawShapes);
    default: {
        const PageDib& dib = Dib(w == kGrey ? 8 : 1);
        LONG cx = g_geom.cx, cy = g_geom.cy;
        return Job(cPages, [&](HDC hdc, int) {
            return SetDIBitsToDevice(hdc, 0, 0, cx, cy, 0, 0, 0, cy, dib.bits.data(), dib.bmi(),
                                     DIB_RGB_COLORS) > 0;
        });
    }
    }
}

void BM_Driver(benchmark::State& state, WORK w)
{
    int cPages = (int)state.range(0);
    if (!SetUpSide()) {
        state.SkipWithError("the printer could not be set up");
        return;
    }
    if (w == kGrey || w == kMono)
        Dib(w == kGrey ? 8 : 1);
    double sCpu = 0, sWall = 0, mbPeak = 0;
    for (auto _ : state) {
        long kbBefore = ResetPeakKb();
        double c0 = CpuSeconds();
        auto t0 = std::chrono::steady_clock::now();
        bool bOk = DriverPages(w, cPages);
        sWall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        sCpu += CpuSeconds() - c0;
        mbPeak = std::max(mbPeak, (StatusKb("VmHWM:") - kbBefore) / 1024.0);
        if (!bOk) {
            state.SkipWithError("the job failed");
            return;
        }
    }
    SetCounters(state, sCpu, sWall, mbPeak, cPages);
}

// One gs run of the file.
RUNRESULT RunGs(const std::string& psPath)
{
    return RunProgram("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pxlmono",
                             "-r" + std::to_string(g_geom.dpi), "--permit-file-read=" + g_root + "/",
                             "-sOutputFile=" + g_root + "/gs.pxl", psPath});
}

void BM_Ghostscript(benchmark::State& state, WORK w)
{
    int cPages = (int)state.range(0);
    if (!SetUpSide()) {
        state.SkipWithError("the printer could not be set up");
        return;
    }
    std::string ps = PsFile(w, cPages);
    double sCpu = 0, sWall = 0;
    long kbPeak = 0;
    for (auto _ : state) {
        RUNRESULT r = RunGs(ps);
        if (r.iStatus != 0) {
            state.SkipWithError("gs failed (is Ghostscript installed?)");
            return;
        }
        state.SetIterationTime(r.sCpu);
        sCpu += r.sCpu;
        sWall += r.sWall;
        kbPeak = std::max(kbPeak, r.kbPeak);
    }
    SetCounters(state, sCpu, sWall, kbPeak / 1024.0, cPages);
}

// q730 print of a text file of range(0) pages (60 lines of 80 characters)
// from start to exit.
void BM_DriverStart(benchmark::State& state)
{
    int cPages = (int)state.range(0);
    if (!SetUpSide()) {
        state.SkipWithError("the printer could not be set up");
        return;
    }
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
    double sCpu = 0, sWall = 0;
    long kbPeak = 0;
    for (auto _ : state) {
        RUNRESULT r = RunQ730({"print", "--output", "start.prn", name});
        if (r.iStatus != 0) {
            state.SkipWithError("q730 print failed");
            return;
        }
        state.SetIterationTime(r.sCpu);
        sCpu += r.sCpu;
        sWall += r.sWall;
        kbPeak = std::max(kbPeak, r.kbPeak);
    }
    SetCounters(state, sCpu, sWall, kbPeak / 1024.0, cPages);
}

// Ghostscript from start to exit on the one-page text page.
void BM_GhostscriptStart(benchmark::State& state)
{
    BM_Ghostscript(state, kText);
}

// One copy of the 8-bit page's raster into memory already touched.
void BM_Memcpy(benchmark::State& state)
{
    if (!SetUpSide()) {
        state.SkipWithError("the printer could not be set up");
        return;
    }
    const PageDib& dib = Dib(8);
    std::vector<BYTE> to(dib.bits.size(), 1);
    double sCpu = 0, sWall = 0;
    for (auto _ : state) {
        double c0 = CpuSeconds();
        auto t0 = std::chrono::steady_clock::now();
        memcpy(to.data(), dib.bits.data(), dib.bits.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        sWall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        sCpu += CpuSeconds() - c0;
    }
    SetCounters(state, sCpu, sWall, 0, 1);
}

// Pages of the longer job of each work: enough that the extra pages take
// well above the noise of a start (some 60 ms for gs).
const int kPages[] = {100, 4, 3, 10};

}  // namespace

int main(int argc, char** argv)
{
    for (int w = kText; w <= kMono; ++w) {
        std::string work = kWorkNames[w];
        benchmark::RegisterBenchmark(("Driver/" + work).c_str(), BM_Driver, (WORK)w)
            ->Arg(1)
            ->Arg(kPages[w])
            ->MinTime(0.5)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Ghostscript/" + work).c_str(), BM_Ghostscript, (WORK)w)
            ->Arg(1)
            ->Arg(kPages[w])
            ->UseManualTime()
            ->MinTime(0.5)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Memcpy/grey", BM_Memcpy)->Arg(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Driver/start", BM_DriverStart)
        ->Arg(1)
        ->UseManualTime()
        ->MinTime(0.5)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Driver/start", BM_DriverStart)
        ->Arg(1000)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Ghostscript/start", BM_GhostscriptStart)
        ->Arg(1)
        ->UseManualTime()
        ->MinTime(0.5)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
