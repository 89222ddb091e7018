// The document property sheet: opening it (INIT to the first page shown)
// and switching through all its pages. Goal: each under 20 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "bench/benchroot.h"
#include "platform/gdi/msgbox.h"
#include "platform/windows.h"
#include "ui/driverui/driverui.h"
#include "ui/driverui/drvuidefs.h"
#include "ui/driverui/propsheets.h"

namespace {

const WCHAR kPrinter[] = u"QX-730 Bench";

// A host that keeps the pages the sheet adds.
struct HOST {
    PROPSHEETUI_INFO info = {};
    std::vector<HPROPSHEETPAGE> pages;
};

LONG_PTR CALLBACK HostFunction(HANDLE hHost, UINT uFunction, LPARAM l1, LPARAM)
{
    HOST* h = (HOST*)hHost;
    if (uFunction == CPSFUNC_ADD_HPROPSHEETPAGE) {
        h->pages.push_back((HPROPSHEETPAGE)l1);
        return l1;
    }
    return uFunction == CPSFUNC_SET_RESULT ? 1 : 0;
}

struct Env {
    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    Env()
    {
        BenchMakeRoot();
        PlatInstallPrinter(kPrinter, u"C:\\bench.prn", nullptr);
        DrvPrinterEvent((LPWSTR)kPrinter, PRINTER_EVENT_INITIALIZE, 0, 0);
        // The pages' templates are the library's own.
        DllInitialize((HINSTANCE)LoadLibraryW(u"Q730MVU3.DLL"), DLL_PROCESS_ATTACH, nullptr);
        OpenPrinterW((LPWSTR)kPrinter, &hPrinter, nullptr);
        doc.cbSize = sizeof(doc);
        doc.hPrinter = hPrinter;
        doc.pszPrinterName = (LPWSTR)kPrinter;
        doc.fMode = DM_PROMPT | DM_COPY;
    }
};

Env& TheEnv()
{
    static Env e;
    return e;
}

HWND Open(struct HOST* h);
void Close(struct HOST* h, HWND hSheet);

// Opens the sheet: INIT, then a sheet window showing its first page.
HWND Open(HOST* h)
{
    Env& e = TheEnv();
    h->info.cbSize = sizeof(h->info);
    h->info.hComPropSheet = (HANDLE)h;
    h->info.pfnComPropSheet = HostFunction;
    h->info.lParamInit = (LPARAM)&e.doc;
    h->info.Reason = PROPSHEETUI_REASON_INIT;
    if (DrvDocumentPropertySheets(&h->info, h->info.lParamInit) != 1)
        return nullptr;
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | PSH_PROPTITLE;
    psh.pszCaption = kPrinter;
    psh.nPages = (UINT)h->pages.size();
    psh.phpage = h->pages.data();
    HWND hSheet = (HWND)PropertySheetW(&psh);
    h->pages.clear();
    return hSheet;
}

void Close(HOST* h, HWND hSheet)
{
    DestroyWindow(hSheet);
    h->info.Reason = PROPSHEETUI_REASON_DESTROY;
    DrvDocumentPropertySheets(&h->info, 1);
}

void BM_OpenDocumentSheet(benchmark::State& state)
{
    // The first sheet of a process loads the libraries and warms the
    // caches; what is measured is every later one.
    {
        HOST w;
        if (HWND hSheet = Open(&w))
            Close(&w, hSheet);
    }
    for (auto _ : state) {
        HOST h;
        HWND hSheet = Open(&h);
        if (!hSheet) {
            state.SkipWithError("the sheet did not open");
            break;
        }
        state.PauseTiming();
        Close(&h, hSheet);
        state.ResumeTiming();
    }
    PlatMsgBoxReset();
}
BENCHMARK(BM_OpenDocumentSheet)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SwitchThroughAllPages(benchmark::State& state)
{
    HOST h;
    HWND hSheet = Open(&h);
    if (!hSheet) {
        state.SkipWithError("the sheet did not open");
        return;
    }
    int c = 0;
    while (SendMessageW(hSheet, PSM_INDEXTOHWND, (WPARAM)c, 0) || SendMessageW(hSheet, PSM_INDEXTOPAGE, (WPARAM)c, 0))
        ++c;
    for (auto _ : state)
        for (int i = 0; i < c; ++i)
            SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)((i + 1) % c), 0);
    state.counters["pages"] = c;
    Close(&h, hSheet);
    PlatMsgBoxReset();
}
BENCHMARK(BM_SwitchThroughAllPages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
