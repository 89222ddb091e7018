// Speed of text on a page: a dense page of 80 x 66 characters drawn by the
// engine on a 600 dpi A4 one-bit bitmap. The first page renders every glyph
// it meets; the second finds them in the font's glyph cache, so it costs
// only the copying of glyph images onto the page.
#include "platform/windows.h"
#include "platform/gdi/engobj.h"
#include "platform/gdi/fontobj.h"
#include "platform/gdi/gditext.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const LONG kPageCx = 4960;  // A4 at 600 dpi
const LONG kPageCy = 7016;
const int kColumns = 80;
const int kLines = 66;

struct PageSetup {
    HSURF hsurf = nullptr;
    SURFOBJ* pso = nullptr;
    BRUSHOBJ* pboBlack = nullptr;
    std::vector<std::u16string> lines;
};

PageSetup* Page()
{
    static PageSetup* s_pPage = nullptr;
    if (s_pPage)
        return s_pPage;
    s_pPage = new PageSetup();
    s_pPage->hsurf = reinterpret_cast<HSURF>(
        EngCreateBitmap(SIZEL{kPageCx, kPageCy}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
    s_pPage->pso = EngLockSurface(s_pPage->hsurf);
    PLATBRUSHDEF def = {0, 0, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    s_pPage->pboBlack = PlatBrushCreate(&def);
    for (int y = 0; y < kLines; y++) {
        std::u16string line;
        for (int x = 0; x < kColumns; x++)
            line += static_cast<char16_t>(u'!' + (x * 7 + y * 13) % 94);
        s_pPage->lines.push_back(line);
    }
    return s_pPage;
}

LOGFONTW Courier10Point()
{
    LOGFONTW lf = {};
    lf.lfHeight = -83;  // 10 points at 600 dpi
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    const char16_t* pszFace = u"Courier New";
    for (int i = 0; pszFace[i]; i++)
        lf.lfFaceName[i] = pszFace[i];
    return lf;
}

// Draws the page's 66 lines; FALSE when any call fails.
BOOL DrawPage(PageSetup* pPage)
{
    LOGFONTW lf = Courier10Point();
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    if (!pfo)
        return FALSE;
    BOOL bOk = TRUE;
    for (int y = 0; y < kLines && bOk; y++) {
        const std::u16string& line = pPage->lines[static_cast<size_t>(y)];
        STROBJ* pstro = PlatStrCreate(pfo, line.c_str(), static_cast<ULONG>(line.size()), nullptr,
                                      FALSE, FALSE, POINTL{300, 300 + y * 100});
        bOk = pstro && EngTextOut(pPage->pso, pstro, pfo, nullptr, nullptr, nullptr,
                                  pPage->pboBlack, nullptr, nullptr, R2_COPYPEN | (R2_COPYPEN << 8));
        PlatStrDelete(pstro);
    }
    PlatFontRelease(pfo);
    return bOk;
}

void BM_FirstPage(benchmark::State& state)
{
    PageSetup* pPage = Page();
    for (auto _ : state) {
        state.PauseTiming();
        PlatFontFlushCache();  // nothing rendered yet
        std::memset(pPage->pso->pvBits, 0xFF, pPage->pso->cjBits);  // white paper
        state.ResumeTiming();
        if (!DrawPage(pPage))
            state.SkipWithError("text output failed");
    }
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstPage)->Unit(benchmark::kMillisecond);

void BM_SecondPage(benchmark::State& state)
{
    PageSetup* pPage = Page();
    LOGFONTW lf = Courier10Point();
    FONTOBJ* pfoHeld = PlatFontRealize(&lf, 600, 600);  // keeps the cache warm
    DrawPage(pPage);
    for (auto _ : state) {
        state.PauseTiming();
        std::memset(pPage->pso->pvBits, 0xFF, pPage->pso->cjBits);  // white paper
        state.ResumeTiming();
        if (!DrawPage(pPage))
            state.SkipWithError("text output failed");
    }
    PlatFontRelease(pfoHeld);
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SecondPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
