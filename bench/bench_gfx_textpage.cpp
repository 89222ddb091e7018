// A dense text page (80 x 66 characters of 10-point Courier New at 600
// dpi) through the text output of the ORDEX back end: in the resident font
// the user's substitution list gives it, and as glyph images. Pages per
// second, for a first page (the engine's glyph cache empty, every glyph
// rendered) and for the pages after it (every glyph from the cache).
#include "bench/benchroot.h"
#include "pdl/xgcmn/ordexnt/xrtext.h"
#include "platform/gdi/gditext.h"
#include "platform/windows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

ULONGLONG g_cbStream = 0;

BOOL _CountingWrite(PDEV*, const BYTE*, DWORD cb)
{
    g_cbStream += cb;
    return TRUE;
}

void _SetUpRoot()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    BenchMakeRoot();
    s_bDone = true;
}

struct Page {
    std::vector<BYTE> block;
    SURFOBJ so = {};
    FONTSUBNODE node = {};

    explicit Page(bool bResident) : block(PDEV_BLOCK_SIZE, 0)
    {
        PDEV* p = pdev();
        p->dwSignature = PDEV_SIGNATURE;
        p->dwSignatureEnd = PDEV_SIGNATURE;
        p->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
        p->wPdevSize = (WORD)PDEV_TOTAL_SIZE;
        p->lNupScale = 10000;
        SetPdevWriteJobData(p, _CountingWrite);
        BYTE* dm = block.data() + PDEV_DEVMODE_OFFSET;
        reinterpret_cast<DEVMODEW*>(dm)->dmSize = 220;
        reinterpret_cast<DEVMODEW*>(dm)->dmDriverExtra = 2395;
        dm[310] = 600 & 0xFF;
        dm[311] = 600 >> 8;
        dm[778] = 2;
        dm[1411] = 1;
        dm[2167] = 2;
        if (bResident) {
            std::u16string tt = u"Courier New", dev = u"Courier";
            memcpy(node.szTrueType, tt.c_str(), 2 * (tt.size() + 1));
            memcpy(node.szDevice, dev.c_str(), 2 * (dev.size() + 1));
            SetFontSubstList(p, &node, 1);
        }
        LoadToneCurve(p);
        PdlResetState(p);
        so.iType = STYPE_DEVICE;
        so.dhpdev = reinterpret_cast<DHPDEV>(p);
    }
    PDEV* pdev() { return reinterpret_cast<PDEV*>(block.data()); }
};

FONTOBJ* _Courier()
{
    LOGFONTW lf = {};
    lf.lfHeight = -83;
    lf.lfWeight = 400;
    std::u16string face = u"Courier New";
    memcpy(lf.lfFaceName, face.c_str(), 2 * (face.size() + 1));
    return PlatFontRealize(&lf, 600, 600);
}

// 66 lines of 80 printable characters, different on every line.
std::vector<std::u16string> _Lines()
{
    std::vector<std::u16string> lines;
    for (int y = 0; y < 66; ++y) {
        std::u16string line;
        for (int x = 0; x < 80; ++x)
            line += (char16_t)(0x21 + (x * 7 + y * 13) % 94);
        lines.push_back(line);
    }
    return lines;
}

void _DrawPage(Page& page, FONTOBJ* pfo, const std::vector<std::u16string>& lines)
{
    BRUSHOBJ boFore = {};
    for (size_t y = 0; y < lines.size(); ++y) {
        STROBJ* pstro = PlatStrCreate(pfo, (LPCWSTR)lines[y].c_str(), (ULONG)lines[y].size(),
                                      nullptr, FALSE, FALSE, POINTL{300, (LONG)(300 + 100 * y)});
        DrawTextBody(&page.so, pstro, pfo, nullptr, nullptr, nullptr, &boFore, nullptr, nullptr,
                     R2_COPYPEN);
        PlatStrDelete(pstro);
    }
}

// range(0): 1 resident font, 0 glyph images; range(1): 1 first page (cold
// glyph cache), 0 later pages.
void BM_TextPage(benchmark::State& state)
{
    _SetUpRoot();
    bool bResident = state.range(0) == 1, bCold = state.range(1) == 1;
    std::vector<std::u16string> lines = _Lines();
    Page page(bResident);
    FONTOBJ* pfo = nullptr;
    if (!bCold) {
        pfo = _Courier();
        _DrawPage(page, pfo, lines);  // warm the glyph cache
    }
    ULONGLONG cbStart = g_cbStream;
    ULONG cRenderedStart = PlatFontGlyphsRendered();
    for (auto _ : state) {
        if (bCold) {
            state.PauseTiming();
            if (pfo)
                PlatFontRelease(pfo);
            PlatFontFlushCache();
            pfo = _Courier();
            state.ResumeTiming();
        }
        _DrawPage(page, pfo, lines);
        PdlResetState(page.pdev());  // the next page's set-up
    }
    state.counters["pages/s"] = benchmark::Counter((double)state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["bytes/page"] =
        (double)(g_cbStream - cbStart) / (double)std::max<int64_t>(1, state.iterations());
    state.counters["glyphs rendered/page"] =
        (double)(PlatFontGlyphsRendered() - cRenderedStart) /
        (double)std::max<int64_t>(1, state.iterations());
    if (pfo)
        PlatFontRelease(pfo);
    SetFontSubstList(page.pdev(), nullptr, 0);
}

BENCHMARK(BM_TextPage)
    ->ArgNames({"resident", "first"})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
