// The constraint engine with the full rule set: resolving one change (the
// user picks a paper type on the Setup page; goal under 1 ms), a recall of
// all settings (under 10 ms), and building the rule indexes of a new
// settings object (under 2 ms).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "bench/benchroot.h"
#include "platform/gdi/msgbox.h"
#include "platform/windows.h"
#include "ui/constraints/resolver.h"
#include "ui/constraints/rules.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

namespace {

struct Sheet {
    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;
    Sheet()
    {
        BenchMakeRoot();
        PlatInstallPrinter(u"QX-730 Bench", u"C:\\bench.prn", nullptr);
        pdb = OpenOptionDb();
        dm.assign(DRV_DEVMODE_SIZE, 0);
        InitDefaultDevmode(pdb, (DEVMODEW*)dm.data(), u"QX-730 Bench", nullptr);
        ValidateDevmode(pdb, (DEVMODEW*)dm.data(), nullptr);
        CreateSettingsObject(pdb, &pObj, (DEVMODEW*)dm.data(), 0, u"QX-730 Bench");
        // The sheet opens, finishing and the bypass tray are in use.
        ResolveConstraintsOnOpen(nullptr, pObj);
        for (auto fv : {std::pair<WORD, SHORT>{804, 3}, {301, 1}, {120, 4}, {123, 0}}) {
            BindFeatureFields(pObj);
            SaveFeatureValues(pObj);
            SetFeatureValue(fv.first, fv.second);
            PlatMsgBoxPushAnswer(IDYES);
            ResolveConstraintsOnChange(nullptr, pObj, fv.first);
        }
        PlatMsgBoxReset();
    }
};

Sheet& TheSheet()
{
    static Sheet s;
    return s;
}

void BM_ResolveOneChange(benchmark::State& state)
{
    Sheet& s = TheSheet();
    SHORT types[2] = {1, 5};
    int i = 0;
    for (auto _ : state) {
        BindFeatureFields(s.pObj);
        SaveFeatureValues(s.pObj);
        SetFeatureValue(122, types[i++ & 1]);
        PlatMsgBoxPushAnswer(IDYES);
        ResolveConstraintsOnChange(nullptr, s.pObj, 122);
        PlatMsgBoxReset();
    }
}
BENCHMARK(BM_ResolveOneChange)->Unit(benchmark::kMicrosecond);

void BM_RecallAllSettings(benchmark::State& state)
{
    Sheet& s = TheSheet();
    for (auto _ : state) {
        // A recalled set that differs in a dozen settings.
        BindFeatureFields(s.pObj);
        SaveFeatureValues(s.pObj);
        for (auto fv : {std::pair<WORD, SHORT>{122, 2}, {310, 1}, {312, 1}, {319, 1}, {321, 1}, {308, 1},
                        {106, 2}, {142, 1}, {144, 1}, {326, 1}, {111, 8}, {114, 9}})
            SetFeatureValue(fv.first, fv.second);
        CollectChangedFeatures(s.pObj);
        ResolveConstraintsAll(nullptr, s.pObj);
        PlatMsgBoxReset();
    }
}
BENCHMARK(BM_RecallAllSettings)->Unit(benchmark::kMillisecond);

void BM_BuildRuleIndexes(benchmark::State& state)
{
    Sheet& s = TheSheet();
    for (auto _ : state) {
        CountStaticTables();
        FreeRuleIndexes(s.pObj);
        BuildRuleIndexes(s.pObj);
    }
}
BENCHMARK(BM_BuildRuleIndexes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
