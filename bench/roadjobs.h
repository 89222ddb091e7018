// roadjobs.h: the jobs of the whole-road benchmarks, shared by bench_road and
// bench_side: a root with the printer installed by q730, a job on the printer
// from CreateDC to DeleteDC, the drawing of a text page, a page of 10,000
// shapes and a full-page image, and the running of a program from start to
// exit with its peak size.
#pragma once

#include "bench/benchroot.h"
#include "platform/windows.h"
#include "platform/gdi/gdidraw.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
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

namespace road {


const char16_t kPrinter[] = u"QX-730";
const char16_t kOutput[] = u"C:\\bench.prn";

inline std::string g_root;
inline std::vector<BYTE> g_dm;

// The q730 beside this program, as an absolute path: the benchmark runs in
// its root folder.
inline std::string Q730Path()
{
    static std::string s_path;
    if (s_path.empty()) {
        char* dir = realpath(PlatGetProgramDir(), nullptr);
        s_path = std::string(dir ? dir : PlatGetProgramDir()) + "/q730";
        free(dir);
    }
    return s_path;
}

// What one program run gave: its exit status (-1 when it could not be
// started), its peak resident size in KB, its CPU time (user and system) and
// its time from start to exit, in seconds.
struct RUNRESULT {
    int iStatus;
    long kbPeak;
    double sCpu;
    double sWall;
};

// Starts the program in the folder with Q730_ROOT set as given (none when
// empty), its output thrown away, and waits for it.
inline RUNRESULT RunHere(const std::vector<std::string>& argv, const std::string& dir,
                         const std::string& root)
{
    RUNRESULT r = {-1, 0, 0, 0};
    std::vector<char*> ap;
    for (const std::string& a : argv)
        ap.push_back(const_cast<char*>(a.c_str()));
    ap.push_back(nullptr);
    auto t0 = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0)
        return r;
    if (pid == 0) {
        int fd = open("/dev/null", O_WRONLY);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        if (!root.empty())
            setenv("Q730_ROOT", root.c_str(), 1);
        if (!dir.empty() && chdir(dir.c_str()) != 0)
            _exit(126);
        execvp(ap[0], ap.data());
        _exit(127);
    }
    int status = 0;
    struct rusage ru = {};
    if (wait4(pid, &status, 0, &ru) != pid)
        return r;
    r.sWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.kbPeak = ru.ru_maxrss;
    r.sCpu = (double)ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 +
             (double)ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
    r.iStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A child's peak size counts every page of the process it was forked from,
// so the programs are started by a small process forked before the
// benchmark holds anything: requests and answers go through two pipes. A
// request is the folder, the root and the arguments, each ended by a NUL,
// after its length.
inline int g_fdSpawnReq = -1, g_fdSpawnAns = -1;

inline bool ReadAll(int fd, void* pv, size_t cb)
{
    char* p = static_cast<char*>(pv);
    while (cb > 0) {
        ssize_t n = read(fd, p, cb);
        if (n <= 0)
            return false;
        p += n;
        cb -= (size_t)n;
    }
    return true;
}

inline bool WriteAll(int fd, const void* pv, size_t cb)
{
    const char* p = static_cast<const char*>(pv);
    while (cb > 0) {
        ssize_t n = write(fd, p, cb);
        if (n <= 0)
            return false;
        p += n;
        cb -= (size_t)n;
    }
    return true;
}

inline bool StartSpawner()
{
    int req[2], ans[2];
    if (pipe(req) != 0)
        return false;
    if (pipe(ans) != 0) {
        close(req[0]);
        close(req[1]);
        return false;
    }
    pid_t pid = fork();
    if (pid < 0) {
        close(req[0]), close(req[1]), close(ans[0]), close(ans[1]);
        return false;
    }
    if (pid == 0) {
        close(req[1]);
        close(ans[0]);
        for (;;) {
            uint32_t cb = 0;
            if (!ReadAll(req[0], &cb, sizeof cb))
                _exit(0);  // the benchmark has ended
            std::string msg(cb, '\0');
            if (!ReadAll(req[0], msg.data(), cb))
                _exit(0);
            std::vector<std::string> parts;
            for (size_t i = 0; i < msg.size();) {
                size_t e = msg.find('\0', i);
                if (e == std::string::npos)
                    e = msg.size();
                parts.push_back(msg.substr(i, e - i));
                i = e + 1;
            }
            RUNRESULT r = {-1, 0, 0, 0};
            if (parts.size() >= 3)
                r = RunHere(std::vector<std::string>(parts.begin() + 2, parts.end()), parts[0],
                            parts[1]);
            if (!WriteAll(ans[1], &r, sizeof r))
                _exit(0);
        }
    }
    close(req[0]);
    close(ans[1]);
    g_fdSpawnReq = req[1];
    g_fdSpawnAns = ans[0];
    return true;
}

// Started while the program is still small, before main.
inline const bool g_bSpawner = StartSpawner();

// Runs the program with the arguments in the current folder, with this
// process's Q730_ROOT.
inline RUNRESULT RunProgram(const std::string& prog, const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {prog};
    argv.insert(argv.end(), args.begin(), args.end());
    char* cwd = getcwd(nullptr, 0);
    std::string dir = cwd ? cwd : "";
    free(cwd);
    const char* pszRoot = getenv("Q730_ROOT");
    std::string root = pszRoot ? pszRoot : "";
    if (g_fdSpawnReq < 0)
        return RunHere(argv, dir, root);
    std::string msg = dir + '\0' + root + '\0';
    for (const std::string& a : argv)
        msg += a + '\0';
    uint32_t cb = (uint32_t)msg.size();
    RUNRESULT r = {-1, 0, 0, 0};
    if (!WriteAll(g_fdSpawnReq, &cb, sizeof cb) || !WriteAll(g_fdSpawnReq, msg.data(), cb) ||
        !ReadAll(g_fdSpawnAns, &r, sizeof r))
        return RUNRESULT{-1, 0, 0, 0};
    return r;
}

// Runs q730 with the arguments in the bench root.
inline RUNRESULT RunQ730(const std::vector<std::string>& args)
{
    return RunProgram(Q730Path(), args);
}

// A root with the printer installed and initialised by q730, and the
// printer's job DEVMODE; false when the printer could not be set up.
inline bool SetUp(const char* pszPrefix = "q730road")
{
    if (!g_dm.empty())
        return true;
    g_root = BenchMakeRoot(pszPrefix);
    setenv("Q730_ROOT", g_root.c_str(), 1);
    Q730Path();
    if (chdir(g_root.c_str()) != 0 || RunQ730({"print", "--output", "first.prn"}).iStatus != 0)
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

inline long StatusKb(const char* key)
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
inline long ResetPeakKb()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKb("VmRSS:");
}

// A job on the printer; draw(hdc, iPage) draws each page.
template <typename F>
inline bool Job(int cPages, F draw)
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
inline bool DrawText(HDC hdc, int iPage)
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

// 10,000 shapes: rectangles, ellipses and triangles in a grid, with solid,
// grey and hatched brushes.
inline bool DrawShapes(HDC hdc, int)
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

}  // namespace road
