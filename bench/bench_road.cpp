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
#include "bench/benchroot.h"
#include "platform/windows.h"
#include "platform/gdi/gdidraw.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char16_t kPrinter[] = u"QX-730";
const char16_t kOutput[] = u"C:\\bench.prn";

std::string g_root;
std::vector<BYTE> g_dm;

// The q730 beside this program, as an absolute path: the benchmark runs in
// its root folder.
std::string Q730Path()
{
    static std::string s_path;
    if (s_path.empty()) {
        char* dir = realpath(PlatGetProgramDir(), nullptr);
        s_path = std::string(dir ? dir : PlatGetProgramDir()) + "/q730";
        free(dir);
    }
    return s_path;
}

// Runs q730 with the arguments in the bench root; its exit status, and its
// peak resident size in KB in *pkbPeak.
int RunQ730(std::vector<std::string> args, long* pkbPeak = nullptr)
{
    std::string prog = Q730Path();
    std::vector<char*> argv;
    argv.push_back(prog.data());
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        int fd = open("/dev/null", O_WRONLY);
        if (fd >= 0)
            dup2(fd, 1);
        execv(prog.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage ru = {};
    if (wait4(pid, &status, 0, &ru) != pid)
        return -1;
    if (pkbPeak)
        *pkbPeak = ru.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A root with the printer installed and initialised by q730, and the
// printer's job DEVMODE; false when the printer could not be set up.
bool SetUp()
{
    if (!g_dm.empty())
        return true;
    g_root = BenchMakeRoot("q730road");
    setenv("Q730_ROOT", g_root.c_str(), 1);
    Q730Path();
    if (chdir(g_root.c_str()) != 0 || RunQ730({"print", "--output", "first.prn"}) != 0)
        return false;
    HANDLE hPrinter = NULL;
    if (!OpenPrinterW((LPWSTR)kPrinter, &hPrinter, NULL))
        return false;
    LONG cb = DocumentPropertiesW(NULL, hPrinter, (LPWSTR)kPrinter, NULL, NULL, 0);
    if (cb > 0) {
        g_dm.resize(cb);
        if (DocumentPropertiesW(NULL, hPrinter, (LPWSTR)kPrinter, (DEVMODEW*)g_dm.data(), NULL,
                                DM_OUT_BUFFER) != 1)
            g_dm.clear();
    }
    ClosePrinter(hPrinter);
    return !g_dm.empty();
}

long StatusKb(const char* key)
{
    std::ifstream f("/proc/self/status");
    std::string line;
    size_t n = strlen(key);
    while (std::getline(f, line))
        if (line.compare(0, n, key) == 0)
            return atol(line.c_str() + n);
    return 0;
}

// Starts a new peak: the resident size now is the new peak.
long ResetPeakKb()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKb("VmRSS:");
}

// A job on the printer; draw(hdc, iPage) draws each page.
template <typename F>
bool Job(int cPages, F draw)
{
    HDC hdc = CreateDCW(NULL, kPrinter, NULL, (const DEVMODEW*)g_dm.data());
    if (!hdc)
        return false;
    DOCINFOW di = {sizeof(DOCINFOW), u"bench", kOutput, nullptr, 0};
    bool bOk = StartDocW(hdc, &di) > 0;
    for (int i = 0; bOk && i < cPages; ++i)
        bOk = StartPage(hdc) > 0 && draw(hdc, i) && EndPage(hdc) > 0;
    bOk = bOk && EndDoc(hdc) > 0;
    DeleteDC(hdc);
    return bOk;
}

// 60 lines of 80 characters, different on every line and every page, in
// 10-point Courier New (a resident face through the substitution list).
bool DrawText(HDC hdc, int iPage)
{
    LOGFONTW lf = {};
    lf.lfHeight = -(10 * 600 / 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::u16string face = u"Courier New";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    HFONT hfont = CreateFontIndirectW(&lf);
    HGDIOBJ hOld = SelectObject(hdc, hfont);
    bool bOk = true;
    char16_t line[80];
    for (int y = 0; bOk && y < 60; ++y) {
        for (int x = 0; x < 80; ++x)
            line[x] = (char16_t)(0x21 + (x * 7 + y * 13 + iPage) % 94);
        bOk = TextOutW(hdc, 0, y * 100, (LPCWSTR)line, 80) != FALSE;
    }
    SelectObject(hdc, hOld);
    DeleteObject(hfont);
    return bOk;
}

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

// 10,000 shapes: rectangles, ellipses and triangles in a grid, with solid,
// grey and hatched brushes.
bool DrawShapes(HDC hdc, int)
{
    HBRUSH ahbr[3] = {CreateSolidBrush(RGB(0, 0, 0)), CreateSolidBrush(RGB(160, 160, 160)),
                      CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0))};
    HPEN hpen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    HGDIOBJ hOldPen = SelectObject(hdc, hpen);
    HGDIOBJ hOldBrush = SelectObject(hdc, ahbr[0]);
    bool bOk = true;
    for (int i = 0; bOk && i < 10000; ++i) {
        int x = 40 + (i % 100) * 46, y = 40 + (i / 100) * 66;
        SelectObject(hdc, ahbr[i % 3]);
        switch (i % 3) {
        case 0: bOk = Rectangle(hdc, x, y, x + 40, y + 60); break;
        case 1: bOk = Ellipse(hdc, x, y, x + 40, y + 60); break;
        default: {
            POINT tri[3] = {{x, y + 60}, {x + 20, y}, {x + 40, y + 60}};
            bOk = Polygon(hdc, tri, 3);
        }
        }
    }
    SelectObject(hdc, hOldBrush);
    SelectObject(hdc, hOldPen);
    DeleteObject(hpen);
    for (HBRUSH h : ahbr)
        DeleteObject(h);
    return bOk;
}

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

// A full-page DIB of the printable area, rows bottom-up: an 8-bit grey
// photograph-like ramp, or 1-bit text-like rows of dots.
struct PageDib {
    std::vector<BYTE> info, bits;
    PageDib(LONG cx, LONG cy, int nBits)
        : info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0)
    {
        BITMAPINFO* pbmi = reinterpret_cast<BITMAPINFO*>(info.data());
        pbmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        pbmi->bmiHeader.biWidth = cx;
        pbmi->bmiHeader.biHeight = cy;
        pbmi->bmiHeader.biPlanes = 1;
        pbmi->bmiHeader.biBitCount = (WORD)nBits;
        pbmi->bmiHeader.biClrUsed = 1u << nBits;
        for (int i = 0; i < (1 << nBits); ++i) {
            BYTE v = (BYTE)(i * 255 / ((1 << nBits) - 1));
            pbmi->bmiColors[i] = RGBQUAD{v, v, v, 0};
        }
        LONG stride = ((cx * nBits + 31) / 32) * 4;
        bits.assign((size_t)stride * cy, 0xFF);
        for (LONG y = 0; y < cy; ++y) {
            BYTE* row = bits.data() + (size_t)y * stride;
            for (LONG x = 0; x < cx; ++x) {
                if (nBits == 8) {
                    row[x] = (BYTE)((x / 8 + y / 16 + ((x ^ y) & 31)) & 0xFF);
                } else if ((y % 100) < 60 && ((x / 7 + y / 3) % 5) < 2) {
                    row[x >> 3] &= (BYTE) ~(0x80u >> (x & 7));
                }
            }
        }
    }
    const BITMAPINFO* bmi() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

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
        long kb = 0;
        if (RunQ730({"print", "--output", "q730.prn", name}, &kb) != 0) {
            state.SkipWithError("q730 print failed");
            break;
        }
        kbMax = std::max(kbMax, kb);
    }
    state.counters["peak_MB"] = kbMax / 1024.0;
}
BENCHMARK(BM_Q730Print)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Q730Print)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
