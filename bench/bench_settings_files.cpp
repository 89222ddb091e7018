// Speed of whole settings files: a full file (ten insert-sheet lists of 128
// entries, 100 registered forms, 51 watermarks) written into a new UTF-16
// working file and read back into a settings object, through the transfer
// engine and the private-profile calls as the library runs them. Goal:
// under 50 ms each way.
#include "bench/benchroot.h"
#include "platform/windows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/insertsheet.h"
#include "ui/settings/listset.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/setfile.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/wmlist.h"

namespace {

const char16_t kPrinter[] = u"Bench Printer";

struct FULLSETTINGS {
    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;
    UISETTINGS* pReader = nullptr;
};

UISETTINGS* _NewObject(FULLSETTINGS& f)
{
    std::vector<BYTE> copy = f.dm;
    UISETTINGS* p = nullptr;
    return CreateSettingsObject(f.pdb, &p, (DEVMODEW*)copy.data(), 0, kPrinter) == 1 ? p : nullptr;
}

// The settings with every list full.
FULLSETTINGS& Full()
{
    static FULLSETTINGS f;
    if (f.pObj)
        return f;
    BenchMakeRoot();
    PlatInstallPrinter(kPrinter, u"C:\\port.prn", nullptr);
    f.pdb = OpenOptionDb();
    f.dm.assign(DRV_DEVMODE_SIZE, 0);
    InitDefaultDevmode(f.pdb, (DEVMODEW*)f.dm.data(), kPrinter, nullptr);
    ValidateDevmode(f.pdb, (DEVMODEW*)f.dm.data(), nullptr);
    f.pObj = _NewObject(f);
    f.pReader = _NewObject(f);
    LISTSET* pSet = f.pObj->trailer.pListSet;
    for (int l = 0; l < INTERSHEET_LISTS; ++l) {
        INTERSHEETREC& r = pSet->pInterSheet->pLists[l];
        r.sPageListNum = INTERSHEET_ENTRIES;
        for (int e = 0; e < INTERSHEET_ENTRIES; ++e) {
            INSERTSHEET* p = (INSERTSHEET*)(r.pEntries + e * sizeof(INSERTSHEET));
            wsprintfW(p->szPages, u"%d,%d-%d", e + 1, e + 3, e + 9);
            wsprintfW(p->szTabText, u"Chapter %d", e + 1);
            lstrcpynW(p->szFace, u"Arial", INSERTSHEET_FACE_CCH);
            p->wPrintType = 1;
            p->wTray = 4096;
            p->wBinding = 1;
            p->wFontSize = 12;
        }
    }
    FORMLIST* pForm = pSet->pForm;
    pForm->wFormListNum = FORMLIST_FILES;
    for (int i = 0; i < FORMLIST_FILES; ++i)
        wsprintfW(pForm->pFiles[i], u"C:\\forms\\form%03d.xfo", i);
    WATERMARKLIST* pWm = pSet->pWatermark;
    SetDefaultWatermarks(pWm);
    pWm->sCount = WATERMARK_SLOTS;
    for (int i = 0; i < WATERMARK_SLOTS; ++i)
        wsprintfW(pWm->pRecords[i].szText, u"Mark %d", i);
    return f;
}

void BM_WriteFullSettingsFile(benchmark::State& state)
{
    FULLSETTINGS& f = Full();
    WCHAR szWork[MAX_PATH];
    for (auto _ : state) {
        MakeWorkingCopy(nullptr, u"xsf", szWork);
        benchmark::DoNotOptimize(bWriteUiparamSection(f.pObj, szWork));
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, szWork);
        state.PauseTiming();
        DeleteFileW(szWork);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WriteFullSettingsFile)->Unit(benchmark::kMillisecond);

void BM_ReadFullSettingsFile(benchmark::State& state)
{
    FULLSETTINGS& f = Full();
    WCHAR szWork[MAX_PATH];
    MakeWorkingCopy(nullptr, u"xsf", szWork);
    bWriteUiparamSection(f.pObj, szWork);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, szWork);
    for (auto _ : state)
        benchmark::DoNotOptimize(bReadUiparamSection(f.pReader, szWork));
    DeleteFileW(szWork);
}
BENCHMARK(BM_ReadFullSettingsFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
