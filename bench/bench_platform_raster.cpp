// Speed of the engine's rasteriser on a printer page: 1000 filled and
// stroked paths (polygons and curved shapes) through a clip of several
// rectangles, on a 600 dpi A4 page of 1 bit per pixel, as bitmap mode draws
// it. Counters: pages per second, and the process's peak memory after 1
// and after many pages (it must not grow with the page count).
#include "bench/benchroot.h"
#include "platform/windows.h"
#include "platform/gdi/engobj.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstring>
#include <vector>

namespace {

const LONG kWidth = 4960;   // A4 at 600 dpi
const LONG kHeight = 7016;

struct Shape {
    std::vector<POINTFIX> pts;
    BOOL bCurves;
};

// A fixed, varied set of shapes: small and large, polygons and curves.
std::vector<Shape> MakeShapes()
{
    std::vector<Shape> shapes;
    ULONG seed = 12345;
    auto next = [&](LONG n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<LONG>((seed >> 8) % static_cast<ULONG>(n));
    };
    for (int i = 0; i < 1000; i++) {
        Shape s;
        LONG cx = next(kWidth), cy = next(kHeight), r = 20 + next(400);
        s.bCurves = (i % 3) == 0;
        int c = s.bCurves ? 6 : 3 + next(5);
        s.pts.push_back(POINTFIX{cx * 16, (cy - r) * 16});
        for (int k = 1; k <= c; k++) {
            LONG dx = next(2 * r) - r, dy = next(2 * r) - r;
            s.pts.push_back(POINTFIX{(cx + dx) * 16, (cy + dy) * 16});
        }
        shapes.push_back(s);
    }
    return shapes;
}

void DrawPage(SURFOBJ* pso, CLIPOBJ* pco, const std::vector<Shape>& shapes, BRUSHOBJ* pboFill,
              BRUSHOBJ* pboPen)
{
    std::memset(pso->pvBits, 0xFF, pso->cjBits);
    LINEATTRS la = {};
    for (const Shape& s : shapes) {
        PATHOBJ* ppo = EngCreatePath();
        PATHOBJ_bMoveTo(ppo, s.pts[0]);
        std::vector<POINTFIX> rest(s.pts.begin() + 1, s.pts.end());
        if (s.bCurves)
            PATHOBJ_bPolyBezierTo(ppo, rest.data(), static_cast<ULONG>(rest.size()));
        else
            PATHOBJ_bPolyLineTo(ppo, rest.data(), static_cast<ULONG>(rest.size()));
        PATHOBJ_bCloseFigure(ppo);
        EngFillPath(pso, ppo, pco, pboFill, nullptr, R2_COPYPEN | (R2_COPYPEN << 8), FP_WINDINGMODE);
        EngStrokePath(pso, ppo, pco, nullptr, pboPen, nullptr, &la, R2_COPYPEN | (R2_COPYPEN << 8));
        EngDeletePath(ppo);
    }
}

void BM_RasterPage(benchmark::State& state)
{
    static bool bRoot = false;
    if (!bRoot) {
        BenchMakeRoot();
        bRoot = true;
    }
    HSURF hsurf = reinterpret_cast<HSURF>(
        EngCreateBitmap(SIZEL{kWidth, kHeight}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
    SURFOBJ* pso = EngLockSurface(hsurf);
    // A clip of a frame of bands: several rectangles, as a page with a form has.
    std::vector<RECTL> clip;
    for (LONG y = 100; y < kHeight - 100; y += 700)
        clip.push_back(RECTL{100, y, kWidth - 100, y + 600});
    CLIPOBJ* pco = EngCreateClip();
    PlatClipSetRects(pco, clip.data(), static_cast<ULONG>(clip.size()));
    PLATBRUSHDEF grey = {0, RGB(0, 0, 0), 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    PLATBRUSHDEF hatch = {0xFFFFFFFF, 0, 4, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pboFill = PlatBrushCreate(&hatch);
    BRUSHOBJ* pboPen = PlatBrushCreate(&grey);
    std::vector<Shape> shapes = MakeShapes();
    const int cPages = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (int p = 0; p < cPages; p++)
            DrawPage(pso, pco, shapes, pboFill, pboPen);
        benchmark::ClobberMemory();
    }
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * cPages, benchmark::Counter::kIsRate);
    state.counters["peak_rss_kb"] = static_cast<double>(ru.ru_maxrss);
    state.counters["live_objects"] = static_cast<double>(PlatEngLiveDrawObjects());
    PlatBrushDelete(pboFill);
    PlatBrushDelete(pboPen);
    EngDeleteClip(pco);
    EngUnlockSurface(pso);
    EngDeleteSurface(hsurf);
}

BENCHMARK(BM_RasterPage)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
