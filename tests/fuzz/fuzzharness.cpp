// The libFuzzer entry points around a target, the fresh root it runs in and
// the leak check after each input.
//
// The leak check counts what a case holds when it is over: global and local
// memory blocks, heap bytes (under AddressSanitizer), printer handles, GDI
// objects and engine objects. The process's first case runs twice before
// it is counted (the warm-up of what the whole process fills once). After
// that a run that makes a count grow is taken as a cache filled on first
// use of this input, and the case runs again: a cache stops growing, a leak
// grows on the next four runs as well, and stops the program (the case saved
// first, as a leak finding). The check stands in for LeakSanitizer where it
// does not run (32-bit programs under the i386 emulator), and beside it
// natively finds what LeakSanitizer cannot: blocks still reachable from a
// list or a cache that grows with every case.
#include "tests/fuzz/fuzz.h"

#include "platform/gdi/winddi.h"
#include "platform/user/msgbox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define FUZZ_ASAN 1
#endif
#ifdef FUZZ_ASAN
#if __has_include(<sanitizer/allocator_interface.h>)
#include <sanitizer/allocator_interface.h>
#else
// GCC installs no header for the allocator's statistics; the call is in its
// run-time library all the same.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                          void (*)(const volatile void*));
#endif

namespace {

std::string g_root;

void _RemoveRoot()
{
    if (g_root.empty() || getenv("Q730_KEEP_TEST_ROOT"))
        return;
    std::error_code ec;
    std::filesystem::remove_all(g_root, ec);
}

struct HELD {
    long lGlobal, lPrinters, lGdi, lEng;
    size_t cbHeap;
};

HELD _Held()
{
    HELD h;
    h.lGlobal = PlatGlobalLiveBlocks();
    h.lPrinters = (long)PlatOpenPrinterCount();
    h.lGdi = PlatGdiLiveObjects();
    h.lEng = PlatEngLiveObjects();
#ifdef FUZZ_ASAN
    h.cbHeap = __sanitizer_get_current_allocated_bytes();
#else
    // The C library's counts are not exact (blocks kept for reuse count as
    // in use): heap bytes are checked under AddressSanitizer only.
    h.cbHeap = 0;
#endif
    return h;
}

// What grew from a to b, or null.
const char* _Grown(const HELD& a, const HELD& b)
{
    if (b.lGlobal > a.lGlobal)
        return "global memory blocks";
    if (b.lPrinters > a.lPrinters)
        return "printer handles";
    if (b.lGdi > a.lGdi)
        return "GDI objects";
    if (b.lEng > a.lEng)
        return "engine objects";
    if (b.cbHeap > a.cbHeap)
        return "heap bytes";
    return nullptr;
}

#ifdef FUZZ_ASAN
// Where the blocks a leaking run left behind were allocated, standing in for
// LeakSanitizer's report: the last run of a leaking input records every block
// it allocates and forgets every block it frees; what is left is the leak (or
// the part of it this table holds).
const size_t kTracked = 1 << 14;
struct TRACKED {
    const volatile void* p;
    size_t cb;
};
TRACKED g_tracked[kTracked];
size_t g_cTracked;
bool g_bTracking;

void _OnMalloc(const volatile void* p, size_t cb)
{
    if (g_bTracking && g_cTracked < kTracked)
        g_tracked[g_cTracked++] = {p, cb};
}

void _OnFree(const volatile void* p)
{
    if (!g_bTracking)
        return;
    for (size_t i = g_cTracked; i-- > 0;)
        if (g_tracked[i].p == p) {
            g_tracked[i] = g_tracked[--g_cTracked];
            return;
        }
}

void _StartTracking()
{
    static bool s_bHooked = false;
    if (!s_bHooked)
        __sanitizer_install_malloc_and_free_hooks(_OnMalloc, _OnFree);
    s_bHooked = true;
    g_cTracked = 0;
    g_bTracking = true;
}

// Prints where up to ten of the blocks left behind were allocated.
void _ReportTracked()
{
    size_t cb = 0;
    for (size_t i = 0; i < g_cTracked; ++i)
        cb += g_tracked[i].cb;
    fprintf(stderr, "==fuzz== %zu blocks (%zu bytes) allocated by the last run are still held\n", g_cTracked,
            cb);
    for (size_t i = 0; i < g_cTracked && i < 10; ++i) {
        void* trace[32];
        int tid = 0;
        size_t n = __asan_get_alloc_stack(const_cast<void*>(g_tracked[i].p), trace, 32, &tid);
        fprintf(stderr, "==fuzz== block of %zu bytes allocated at:\n", g_tracked[i].cb);
        for (size_t k = 0; k < n; ++k) {
            char line[512];
            __sanitizer_symbolize_pc(trace[k], "%p %F %L", line, sizeof(line));
            fprintf(stderr, "    #%zu %s\n", k, line);
        }
    }
}
#endif

}  // namespace

// Memory that grows without a leak: a target's resident size climbs at the
// start of a campaign and keeps creeping while new inputs are found. Most of
// it is AddressSanitizer's quarantine (freed blocks held back to catch a use
// after free: up to 256 MB in a 64-bit program, 64 MB in a 32-bit one),
// which fills at the speed blocks are freed and then stays; the rest is
// libFuzzer's corpus and the allocation stacks the sanitizer keeps for every
// new road. The text-file target shows it most (every case runs a whole
// q730 print): the same input run 100 and 400 times ends at the same size,
// and without the quarantine it stays at a fifth of it. Under the i386
// emulator the quarantine takes hours to fill, which looks like a leak.
//
// A sanitizer report ends the case. LeakSanitizer runs in the native
// x86-64 programs (libFuzzer asks it after every case whose allocations
// outnumber its frees, and it looks once more at exit); it is off in the
// 32-bit programs for the reason above.
extern "C" const char* __asan_default_options()
{
#if defined(__x86_64__)
    return "detect_leaks=1:allocator_may_return_null=1";
#else
    return "detect_leaks=0:allocator_may_return_null=1";
#endif
}
extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

void FuzzFail(const char* pszWhat)
{
    if (FuzzSaveFinding)
        FuzzSaveFinding("crash");
    fprintf(stderr, "==fuzz== FINDING: %s\n", pszWhat);
    fflush(stderr);
    abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char tmpl[] = "/tmp/q730fuzz.XXXXXX";
    const char* dir = mkdtemp(tmpl);
    if (!dir)
        FuzzFail("no temporary root");
    g_root = dir;
    setenv("Q730_ROOT", dir, 1);
    PlatSetRoot(dir);
    atexit(_RemoveRoot);
    FuzzSetUp();
    return 0;
}

namespace {

// Runs after the first growth that must grow too for a leak: caches that
// fill over a few runs (one level after another) stop within them.
const int kLeakRuns = 4;
// Unmeasured runs of the process's first case: loading the driver's
// libraries and filling the caches of the whole process the first time
// grows the heap over the first runs, whatever the input.
const int kWarmUpRuns = 2;

// One run of the case. The platform records every message box shown, for a
// test to read, until it is told to forget them: a case's go with it.
void _Run(const uint8_t* pData, size_t cbData)
{
    FuzzOne(pData, cbData);
    PlatMsgBoxReset();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    static bool s_bWarm = false;
    for (int i = 0; !s_bWarm && i < kWarmUpRuns; ++i)
        _Run(pData, cbData);
    s_bWarm = true;
    HELD before = _Held();
    _Run(pData, cbData);
    const char* pszGrown = _Grown(before, _Held());
    for (int i = 0; pszGrown && i < kLeakRuns; ++i) {
        before = _Held();
#ifdef FUZZ_ASAN
        if (i == kLeakRuns - 1)
            _StartTracking();
#endif
        _Run(pData, cbData);
        pszGrown = _Grown(before, _Held());
    }
#ifdef FUZZ_ASAN
    g_bTracking = false;
    if (pszGrown)
        _ReportTracked();
#endif
    if (pszGrown) {
        if (FuzzSaveFinding)
            FuzzSaveFinding("leak");
        std::string what = std::string("leak: ") + pszGrown + " grow with every run of this input";
        FuzzFail(what.c_str());
    }
    return 0;
}

// ---- helpers --------------------------------------------------------------------

bool FuzzWriteFile(LPCWSTR pszPath, const void* pv, size_t cb)
{
    std::ofstream f(PlatHostPath(pszPath), std::ios::binary | std::ios::trunc);
    f.write(static_cast<const char*>(pv), (std::streamsize)cb);
    return (bool)f;
}

std::string FuzzReadHostFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

namespace {
typedef BOOL (*PFN_PRINTEREVENT)(LPWSTR, INT, DWORD, LPARAM);
}

void FuzzInstallPrinter()
{
    CreateDirectoryW(u"C:\\ports", nullptr);
    if (!PlatInstallPrinter(FUZZ_PRINTER, FUZZ_PORT, nullptr))
        FuzzFail("the fuzz printer cannot be installed");
    HANDLE hPrinter = nullptr;
    if (!OpenPrinterW((LPWSTR)FUZZ_PRINTER, &hPrinter, nullptr))
        FuzzFail("the fuzz printer cannot be opened");
    DWORD cb = 0;
    GetPrinterDriverW(hPrinter, nullptr, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (!cb || !GetPrinterDriverW(hPrinter, nullptr, 2, info.data(), cb, &cb))
        FuzzFail("the fuzz printer has no driver");
    HMODULE hUi = LoadLibraryW(reinterpret_cast<const DRIVER_INFO_2W*>(info.data())->pConfigFile);
    auto pfn = hUi ? reinterpret_cast<PFN_PRINTEREVENT>(
                         reinterpret_cast<void*>(GetProcAddress(hUi, "DrvPrinterEvent")))
                   : nullptr;
    if (!pfn || !pfn((LPWSTR)FUZZ_PRINTER, PRINTER_EVENT_INITIALIZE, 0, 0))
        FuzzFail("the fuzz printer cannot be initialised");
    // The driver's three libraries stay loaded for the life of the process,
    // as in an application that prints job after job. Loaded afresh for each
    // job, every load would leave the address sanitizer's records of the
    // library's globals behind (it never drops them), and a campaign would
    // run out of address space after a few thousand jobs.
    const DRIVER_INFO_2W* pdi = reinterpret_cast<const DRIVER_INFO_2W*>(info.data());
    std::u16string resource = pdi->pDriverPath;
    resource.erase(resource.rfind(u'\\') + 1);
    resource += u"Q730MVT3.DLL";
    if (!LoadLibraryW(pdi->pDriverPath) || !LoadLibraryW(resource.c_str()))
        FuzzFail("the driver's libraries cannot be loaded");
    ClosePrinter(hPrinter);
}

std::vector<BYTE> FuzzDefaultDevmode()
{
    HANDLE hPrinter = nullptr;
    if (!OpenPrinterW((LPWSTR)FUZZ_PRINTER, &hPrinter, nullptr))
        FuzzFail("the fuzz printer cannot be opened");
    LONG cb = DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)FUZZ_PRINTER, nullptr, nullptr, 0);
    std::vector<BYTE> dm(cb > 0 ? cb : 0);
    if (cb <= 0 || DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)FUZZ_PRINTER,
                                       (DEVMODEW*)dm.data(), nullptr, DM_OUT_BUFFER) != 1)
        FuzzFail("the fuzz printer has no default DEVMODE");
    ClosePrinter(hPrinter);
    return dm;
}

bool FuzzDrawPage(HDC hdc)
{
    bool bOk = true;
    HFONT hf = CreateFontW(-120, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"Arial");
    HFONT hfTurned = CreateFontW(-90, 0, 450, 450, FW_BOLD, 1, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                                 u"IPAGothic");
    HGDIOBJ hOld = SelectObject(hdc, hf);
    bOk = TextOutW(hdc, 200, 200, u"Hostile input", 13) && bOk;
    SelectObject(hdc, hfTurned);
    bOk = TextOutW(hdc, 400, 900, u"\u6A5F\u5BC6 text", 7) && bOk;
    SelectObject(hdc, hOld);
    DeleteObject(hf);
    DeleteObject(hfTurned);

    HPEN hpen = CreatePen(PS_DASH, 0, RGB(0, 0, 0));
    HBRUSH hbr = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0));
    HGDIOBJ hOldPen = SelectObject(hdc, hpen);
    HGDIOBJ hOldBrush = SelectObject(hdc, hbr);
    bOk = Rectangle(hdc, 100, 1200, 900, 1800) && bOk;
    bOk = Ellipse(hdc, 1000, 1200, 1800, 1900) && bOk;
    POINT bez[4] = {{100, 2000}, {600, 1500}, {1200, 2600}, {1800, 2000}};
    bOk = PolyBezier(hdc, bez, 4) && bOk;
    HRGN hrgn = CreateRectRgn(150, 2100, 1500, 2800);
    SelectClipRgn(hdc, hrgn);
    bOk = BeginPath(hdc) && MoveToEx(hdc, 100, 2700, nullptr) && LineTo(hdc, 900, 2100) &&
          LineTo(hdc, 1600, 2900) && CloseFigure(hdc) && EndPath(hdc) && StrokeAndFillPath(hdc) &&
          bOk;
    SelectClipRgn(hdc, nullptr);
    DeleteObject(hrgn);
    SelectObject(hdc, hOldPen);
    SelectObject(hdc, hOldBrush);
    DeleteObject(hpen);
    DeleteObject(hbr);

    struct {
        BITMAPINFOHEADER bih;
        RGBQUAD pal[2];
    } bmi = {};
    bmi.bih.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bih.biWidth = 16;
    bmi.bih.biHeight = 8;
    bmi.bih.biPlanes = 1;
    bmi.bih.biBitCount = 1;
    bmi.pal[1] = {255, 255, 255, 0};
    static const BYTE abBits[8 * 4] = {0x55, 0xAA, 0, 0, 0xAA, 0x55, 0, 0, 0x0F, 0xF0, 0, 0,
                                       0xF0, 0x0F, 0, 0, 0x55, 0xAA, 0, 0, 0xAA, 0x55, 0, 0,
                                       0x0F, 0xF0, 0, 0, 0xF0, 0x0F, 0, 0};
    bOk = StretchDIBits(hdc, 2000, 200, 320, 160, 0, 0, 16, 8, abBits,
                        reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS, SRCCOPY) > 0 &&
          bOk;
    bOk = PatBlt(hdc, 2000, 500, 200, 100, BLACKNESS) && bOk;
    return bOk;
}

bool FuzzPrintDocument(HDC hdc, int cPages)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"fuzz document", nullptr, nullptr, 0};
    if (StartDocW(hdc, &di) <= 0)
        return false;
    bool bOk = true;
    for (int i = 0; bOk && i < cPages; ++i) {
        bOk = StartPage(hdc) > 0;
        if (bOk) {
            FuzzDrawPage(hdc);
            bOk = EndPage(hdc) > 0;
        }
    }
    if (bOk && EndDoc(hdc) > 0)
        return true;
    AbortDoc(hdc);
    return false;
}
