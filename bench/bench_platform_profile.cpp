// Speed of the profile calls on a settings-file-sized INI file: a save
// writes every key with its own WritePrivateProfileStringW call, a load
// reads them back one by one.
#include "bench/benchroot.h"
#include "platform/windows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char16_t* const kFile = u"C:\\bench\\settings.xsf";

std::vector<std::u16string> Keys(int n)
{
    std::vector<std::u16string> keys;
    for (int i = 0; i < n; ++i) {
        std::u16string k = u"lpKey";
        for (int v = i; ; v /= 10) {
            k += (char16_t)(u'0' + v % 10);
            if (v < 10)
                break;
        }
        keys.push_back(k);
    }
    return keys;
}

void Setup()
{
    static bool bDone = false;
    if (bDone)
        return;
    BenchMakeRoot();
    CreateDirectoryW(u"C:\\bench", nullptr);
    bDone = true;
}

// A whole save: n keys into a new file.
void BM_WriteSettingsFile(benchmark::State& state)
{
    Setup();
    std::vector<std::u16string> keys = Keys((int)state.range(0));
    for (auto _ : state) {
        DeleteFileW(kFile);
        for (const std::u16string& k : keys)
            WritePrivateProfileStringW(u"QX_SETTING LIBRARY UIPARAM", k.c_str(), u"12345", kFile);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteSettingsFile)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

// A whole load: n keys read back from that file.
void BM_ReadSettingsFile(benchmark::State& state)
{
    Setup();
    std::vector<std::u16string> keys = Keys((int)state.range(0));
    DeleteFileW(kFile);
    for (const std::u16string& k : keys)
        WritePrivateProfileStringW(u"QX_SETTING LIBRARY UIPARAM", k.c_str(), u"12345", kFile);
    WCHAR buf[64];
    for (auto _ : state) {
        for (const std::u16string& k : keys)
            benchmark::DoNotOptimize(
                GetPrivateProfileStringW(u"QX_SETTING LIBRARY UIPARAM", k.c_str(), u"", buf, 64, kFile));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadSettingsFile)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
