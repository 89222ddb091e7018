// A property sheet of nine pages with about sixty controls each, as the
// printer driver's document sheet is: opening it (the frame and the first
// page), switching to a page shown for the first time and again, and
// rendering the whole sheet into a PNG file. Goal: opening and any switch
// under 5 ms each.
// The controls need the window manager; without it there is nothing to test.
// (platform/windows.h first: the build sees the guard change with it.)
#include "platform/windows.h"
#if __has_include("platform/user/winuser.h")
#include "platform/windows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// An in-memory page template of 60 controls: labels, check boxes, edits
// and drop-down lists in a grid.
std::vector<BYTE> MakePageTemplate(int iPage)
{
    std::vector<BYTE> t;
    auto put = [&](const void* p, size_t n) {
        const BYTE* b = static_cast<const BYTE*>(p);
        t.insert(t.end(), b, b + n);
    };
    auto word = [&](WORD w) { put(&w, 2); };
    auto str = [&](const std::u16string& s) {
        for (char16_t c : s)
            word(c);
        word(0);
    };
    auto align = [&]() {
        while (t.size() % 4)
            t.push_back(0);
    };
    const int kControls = 60;
    DLGTEMPLATE h = {};
    h.style = WS_CHILD | DS_CONTROL;
    h.cdit = kControls;
    h.cx = 340;
    h.cy = 220;
    put(&h, sizeof(h));
    word(0);
    word(0);
    str(u"Page " + std::u16string(1, (char16_t)(u'1' + iPage)));
    static const WORD kClass[] = {0x0082, 0x0080, 0x0081, 0x0085};
    static const DWORD kStyle[] = {0, BS_AUTOCHECKBOX | WS_TABSTOP, WS_BORDER | WS_TABSTOP,
                                   CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
    for (int i = 0; i < kControls; ++i) {
        align();
        int kind = i % 4;
        DLGITEMTEMPLATE it = {};
        it.style = WS_CHILD | WS_VISIBLE | kStyle[kind];
        it.x = (SHORT)(4 + (i % 4) * 84);
        it.y = (SHORT)(4 + (i / 4) * 14);
        it.cx = 80;
        it.cy = kind == 3 ? 60 : 12;
        it.id = (WORD)(100 + i);
        put(&it, sizeof(it));
        word(0xFFFF);
        word(kClass[kind]);
        str(kind == 2 || kind == 3 ? u"" : u"Label " + std::u16string(1, (char16_t)(u'A' + i % 26)));
        word(0);
    }
    return t;
}

INT_PTR CALLBACK PageProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

std::vector<std::vector<BYTE>>& Templates()
{
    static std::vector<std::vector<BYTE>> v = [] {
        std::vector<std::vector<BYTE>> out;
        for (int i = 0; i < 9; ++i)
            out.push_back(MakePageTemplate(i));
        return out;
    }();
    return v;
}

HWND OpenSheet()
{
    std::vector<HPROPSHEETPAGE> pages;
    for (auto& t : Templates()) {
        PROPSHEETPAGEW psp = {};
        psp.dwSize = sizeof(psp);
        psp.dwFlags = PSP_DLGINDIRECT | PSP_HASHELP;
        psp.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(t.data());
        psp.pfnDlgProc = PageProc;
        pages.push_back(CreatePropertySheetPageW(&psp));
    }
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | PSH_PROPTITLE;
    psh.pszCaption = u"Office Printer";
    psh.nPages = (UINT)pages.size();
    psh.phpage = pages.data();
    return reinterpret_cast<HWND>(PropertySheetW(&psh));
}

void BM_OpenSheet(benchmark::State& state)
{
    for (auto _ : state) {
        HWND h = OpenSheet();
        if (!h) {
            state.SkipWithError("the sheet did not open");
            break;
        }
        state.PauseTiming();
        DestroyWindow(h);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenSheet)->Unit(benchmark::kMillisecond);

// Every page shown once (each first showing creates the page's controls).
void BM_FirstShowOfEachPage(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        HWND h = OpenSheet();
        state.ResumeTiming();
        for (int i = 1; i < 9; ++i)
            SendMessageW(h, PSM_SETCURSEL, i, 0);
        state.PauseTiming();
        DestroyWindow(h);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(BM_FirstShowOfEachPage)->Unit(benchmark::kMillisecond);

void BM_SwitchBetweenShownPages(benchmark::State& state)
{
    HWND h = OpenSheet();
    for (int i = 1; i < 9; ++i)
        SendMessageW(h, PSM_SETCURSEL, i, 0);
    int i = 0;
    for (auto _ : state) {
        SendMessageW(h, PSM_SETCURSEL, i, 0);
        i = (i + 1) % 9;
    }
    DestroyWindow(h);
}
BENCHMARK(BM_SwitchBetweenShownPages)->Unit(benchmark::kMicrosecond);

void BM_RenderSheetPng(benchmark::State& state)
{
    HWND h = OpenSheet();
    std::string path = std::string(PlatGetRoot()) + "/bench_sheet.png";
    for (auto _ : state) {
        if (!PlatWriteWindowPng(h, path.c_str())) {
            state.SkipWithError("the picture could not be written");
            break;
        }
    }
    DestroyWindow(h);
}
BENCHMARK(BM_RenderSheetPng)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

#else
#include <benchmark/benchmark.h>
BENCHMARK_MAIN();
#endif
