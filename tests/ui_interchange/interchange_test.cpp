// The two builds (native x86-64 and the 32-bit reference) share one machine:
// whatever one of them stores, the other reads, and both print the same job
// from it. Each case runs in one root, step by step, each step by the build
// that writes or the build that reads: q730 for what a user reaches from the
// command line (printer data, the user's default settings, the watermark
// list, a form file), this program for what only a page's Save/Recall popup
// reaches (a settings file of the user's library). At the end both builds
// print the sample document from the root, and the two jobs must match byte
// for byte.
//
// The steps of this program ("InterchangeStep.*") act only when
// $Q730_EXCHANGE_ROOT names the root of a case; the driving test
// ("Interchange.*") needs the other build's programs, whose folder the build
// passes as Q730_PEER_BIN, and is skipped without it.
#include "platform/kernel/root.h"
#include "platform/user/msgbox.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/library/usetdlg.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/usetlib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const char16_t kPrinter[] = u"QX-730";
const char16_t kEntryName[] = u"Quarterly";
const char16_t kEntryComment[] = u"A3 both sides, two copies";

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// ---------------------------------------------------------------------------
// The steps run in this program, by either build, in the root of a case.

// Takes the exchange root as this process's machine; false (the step is
// skipped) when no root is named.
bool bEnterExchangeRoot()
{
    const char* root = getenv("Q730_EXCHANGE_ROOT");
    if (!root || !*root)
        return false;
    setenv("Q730_ROOT", root, 1);
    PlatSetRoot(root);
    return true;
}

// The settings of the printer q730 installed, as a sheet opens them: the
// printer's default DEVMODE, validated, in a settings object with its lists.
// The driver folder gets this build's libraries first, as every q730 run
// does, so the resource library the settings load is this build's own.
class ExchangeSettings {
public:
    ~ExchangeSettings()
    {
        DestroySettingsObject(&pObj);
        CloseOptionDb(pdb);
        if (bResources)
            FreeResourceDll();
        if (hPrinter)
            ClosePrinter(hPrinter);
        PlatMsgBoxReset();
    }

    // Fails the test when the printer or its settings cannot be opened.
    void Open()
    {
        ASSERT_TRUE(OpenPrinterW((LPWSTR)kPrinter, &hPrinter, nullptr)) << "the case installs QX-730 first";
        DWORD cb = 0;
        GetPrinterW(hPrinter, 2, nullptr, 0, &cb);
        std::vector<BYTE> info(cb ? cb : 4);
        ASSERT_TRUE(GetPrinterW(hPrinter, 2, info.data(), cb, &cb));
        const PRINTER_INFO_2W* pi2 = (const PRINTER_INFO_2W*)info.data();
        ASSERT_NE(nullptr, pi2->pPortName);
        ASSERT_TRUE(PlatInstallPrinter(kPrinter, pi2->pPortName, nullptr));
        pdb = OpenOptionDb();
        ASSERT_NE(nullptr, pdb);
        dm.assign(DRV_DEVMODE_SIZE, 0);
        ASSERT_TRUE(InitDefaultDevmode(pdb, (DEVMODEW*)dm.data(), kPrinter, hPrinter));
        ValidateDevmode(pdb, (DEVMODEW*)dm.data(), hPrinter);
        std::vector<BYTE> copy = dm;
        ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, (DEVMODEW*)copy.data(), 0, kPrinter));
        bResources = LoadResourceDll() != nullptr;
        BindFeatureFields(pObj);
        ResolveConstraintsOnOpen(nullptr, pObj);
        PlatMsgBoxReset();
    }

    // A change on a page: the resolver settles what depends on it, and a
    // question it asks is answered yes.
    void Change(WORD wFeature, SHORT sValue)
    {
        BindFeatureFields(pObj);
        SetFeatureValue(wFeature, sValue);
        PlatMsgBoxPushAnswer(IDYES);
        ResolveConstraintsOnChange(nullptr, pObj, wFeature);
        PlatMsgBoxReset();
        BindFeatureFields(pObj);
        EXPECT_EQ(sValue, GetFeatureValue(wFeature)) << "feature " << wFeature;
    }

    // The settings, committed, become the user's default DEVMODE: what the
    // next job of q730 starts from.
    void StoreAsUserDefault()
    {
        CommitEditedSettings(pObj);
        std::vector<BYTE> out = dm;
        ASSERT_EQ(1, SettingsToDevmode(pObj, (DEVMODEW*)out.data(), pdb));
        PRINTER_INFO_9W pi9 = {(PDEVMODEW)out.data()};
        ASSERT_TRUE(SetPrinterW(hPrinter, 9, (LPBYTE)&pi9, 0));
    }

    HANDLE hPrinter = nullptr;
    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;
    bool bResources = false;
};

// The features a settings file carries here, away from their defaults.
const struct {
    WORD wFeature;
    SHORT sValue;
} kSavedSettings[] = {
    {111, 8},  // original size A3
    {114, 8},  // output size A3
    {132, 1},  // print on both sides
    {133, 2},  // bound at the top
    {103, 2},  // two copies
};

// Saves the settings above as a settings file of the user's library, as the
// save dialog does: the file in the default settings folder and its entry in
// the per-user store.
TEST(InterchangeStep, WriteSettingsFile)
{
    if (!bEnterExchangeRoot())
        GTEST_SKIP() << "$Q730_EXCHANGE_ROOT names no root";
    ExchangeSettings s;
    ASSERT_NO_FATAL_FAILURE(s.Open());
    for (const auto& f : kSavedSettings)
        s.Change(f.wFeature, f.sValue);
    WCHAR szFolder[MAX_PATH] = {};
    ASSERT_TRUE(GetDefaultSettingsFolder(szFolder, MAX_PATH));
    USETLIBRARY* pLib = CreateUserSettingsLibraryFull(nullptr, s.pObj);
    ASSERT_NE(nullptr, pLib);
    EXPECT_TRUE(bAddUserSettingFile(pLib, s.pObj, szFolder, kEntryName, kEntryComment));
    EXPECT_TRUE(bFinishUserSettingsLibrary(pLib));
    DestroyUserSettingsLibrary(&pLib);
}

// Recalls the library's first entry, every group, into the printer's
// default settings, and makes the result the user's default: the next job
// prints what the file holds.
TEST(InterchangeStep, RecallSettingsFile)
{
    if (!bEnterExchangeRoot())
        GTEST_SKIP() << "$Q730_EXCHANGE_ROOT names no root";
    ExchangeSettings s;
    ASSERT_NO_FATAL_FAILURE(s.Open());
    USETLIBRARY* pLib = CreateUserSettingsLibraryFull(nullptr, s.pObj);
    ASSERT_NE(nullptr, pLib);
    ASSERT_EQ(1u, pLib->cEntries);
    USETENTRY* pEntry = GetUserSettingEntry(pLib, 0);
    ASSERT_NE(nullptr, pEntry);
    EXPECT_EQ(std::u16string(kEntryName), (const char16_t*)pEntry->szDisplayName);
    EXPECT_EQ(std::u16string(kEntryComment), (const char16_t*)pEntry->szComment);
    EXPECT_TRUE(bRecallUserSetting(pLib, 0, s.pObj, nullptr));
    DestroyUserSettingsLibrary(&pLib);
    ResolveConstraintsAll(nullptr, s.pObj);
    BindFeatureFields(s.pObj);
    for (const auto& f : kSavedSettings)
        EXPECT_EQ(f.sValue, GetFeatureValue(f.wFeature)) << "feature " << f.wFeature;
    s.StoreAsUserDefault();
}

// ---------------------------------------------------------------------------
// The driving test: the cases, each with the other build writing and this
// one reading, and the other way round.

// Which build runs a step: the one that writes the stored formats of the
// case, or the one that reads them.
enum { WRITER, READER };

struct STEP {
    int iBuild;          // WRITER or READER
    bool bInProcess;     // a step of this program, else a q730 command
    const char* pszArgs; // q730's arguments, or the name of the step
};

struct CASE {
    const char* pszName;
    std::vector<STEP> steps;
    // What the job holds only when the stored settings reached it: a
    // piece of the stream, or the bytes of a file in the root.
    const char* pszMark;
    const char* pszMarkFile;
};

const char kInstall[] = "print --output plain.prn";
const char kStaple[] = "preferences --page Finishing "
                       "--check 'Production print (turns off simple finishing on the Setup page)' "
                       "--answer yes --check Staple";

// After the steps, the writer prints and then the reader; the settings file
// case has each build recall the file just before its own job.
const CASE kCases[] = {
    // Device options: the reader's Finishing page offers stapling only when
    // it reads the output unit the writer's Options page installed.
    {"PrinterData",
     {{WRITER, false, kInstall},
      {WRITER, false, "properties --choose 'Output unit=Finisher'"},
      {READER, false, kStaple}},
     "@PJL SET STAPLEPOSITION = LEFT", nullptr},
    // The user's default DEVMODE, as the printing preferences leave it.
    {"UserDefault",
     {{WRITER, false, kInstall},
      {WRITER, false,
       "preferences --type Copies=3 --page Setup --choose 'Original size=A3' --choose 'Output size=A3' "
       "--check N-up"}},
     "@PJL SET PAPER = A3", nullptr},
    // The watermark list of the user, made in the watermark editor.
    {"WatermarkList",
     {{WRITER, false, kInstall},
      {WRITER, false,
       "preferences --page Watermark --check Watermark --click Edit... --click New "
       "--type Text=DRAFT --type Size=120 --type Angle=30 --ok"}},
     "fop %120 %1;\nfor %30;\ntxo #44 ", nullptr},
    // A form file the writer's job creates, which the reader's Form page
    // lists from the user's form list and the reader's job prints under
    // each page.
    {"FormFile",
     {{WRITER, false, kInstall},
      {WRITER, false,
       "preferences --page Form --check 'Create form' --type 'Folder=C:\\' --type 'File name=logo.xfo'"},
      {WRITER, false, "print --output form.prn"},
      {READER, false, "preferences --page Form --check 'Print form'"}},
     "", "c/logo.xfo"},
    // A settings file of the user's library, recalled by each build before
    // its job.
    {"SettingsFile",
     {{WRITER, false, kInstall},
      {WRITER, true, "WriteSettingsFile"}},
     "@PJL SET DUPLEX = ON", nullptr},
};

struct DIRECTION {
    const char* pszName;
    bool bPeerWrites;
};

const DIRECTION kDirections[] = {
    {"ThisWritesPeerReads", false},
    {"PeerWritesThisReads", true},
};

class Interchange : public testing::TestWithParam<std::tuple<CASE, DIRECTION>> {
protected:
    // Runs one step with the programs of the folder bin in the case's root;
    // its output and errors land in step-N.log.
    void Run(const std::string& bin, const STEP& step)
    {
        std::string log = TestRootFile("step-" + std::to_string(++cSteps) + ".log");
        std::string root = TestRootPath();
        std::string cmd = "cd '" + root + "' && Q730_ROOT='" + root + "' ";
        if (step.bInProcess)
            cmd += "Q730_EXCHANGE_ROOT='" + root + "' '" + bin + "/test_ui_interchange' --gtest_filter=InterchangeStep." +
                   step.pszArgs;
        else
            cmd += "'" + bin + "/q730' " + step.pszArgs;
        cmd += " >'" + log + "' 2>&1";
        int status = std::system(cmd.c_str());
        std::string out = Slurp(log);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << bin << ": " << step.pszArgs << "\n" << out;
        if (step.bInProcess) {
            ASSERT_NE(out.find(std::string("[       OK ] InterchangeStep.") + step.pszArgs), std::string::npos)
                << bin << ": the step did not run\n" << out;
        }
    }

    // The job of the sample document printed by the build in bin, from the
    // root as the steps left it.
    std::string Print(const std::string& bin, const std::string& name, bool bRecall)
    {
        if (bRecall)
            Run(bin, {0, true, "RecallSettingsFile"});
        Run(bin, {0, false, ("print --output " + name).c_str()});
        return JobWithoutUserName(Slurp(TestRootFile(name)));
    }

    int cSteps = 0;
};

TEST_P(Interchange, BothBuildsPrintTheSameJob)
{
#ifndef Q730_PEER_BIN
    GTEST_SKIP() << "built without the other build's folder (Q730_PEER_BIN)";
#else
    const CASE& c = std::get<0>(GetParam());
    const DIRECTION& d = std::get<1>(GetParam());
    const std::string self = PlatGetProgramDir(), peer = Q730_PEER_BIN;
    const std::string writer = d.bPeerWrites ? peer : self, reader = d.bPeerWrites ? self : peer;
    TestNewRoot();
    for (const STEP& step : c.steps)
        ASSERT_NO_FATAL_FAILURE(Run(step.iBuild == WRITER ? writer : reader, step));
    const bool bRecall = std::string(c.pszName) == "SettingsFile";
    std::string written, read;
    ASSERT_NO_FATAL_FAILURE(written = Print(writer, "writer.prn", bRecall));
    ASSERT_NO_FATAL_FAILURE(read = Print(reader, "reader.prn", bRecall));
    ASSERT_NE(written.find(c.pszMark), std::string::npos) << "the writer's job lacks \"" << c.pszMark << "\"";
    if (c.pszMarkFile) {
        std::string form = Slurp(TestRootFile(c.pszMarkFile));
        ASSERT_FALSE(form.empty()) << "no " << c.pszMarkFile;
        ASSERT_NE(written.find(form), std::string::npos) << "the writer's job lacks " << c.pszMarkFile;
    }
    ASSERT_NE(written, JobWithoutUserName(Slurp(TestRootFile("plain.prn")))) << "the stored settings changed nothing";
    if (written == read)
        return;
    size_t at = 0;
    while (at < written.size() && at < read.size() && written[at] == read[at])
        ++at;
    size_t from = at > 200 ? at - 200 : 0;
    ADD_FAILURE() << "writer " << writer << ": " << written.size() << " bytes, reader " << reader << ": "
                  << read.size() << " bytes, first difference at byte " << at << " (both jobs are in "
                  << TestRootPath() << " with Q730_KEEP_TEST_ROOT=1)\nwriter: " << written.substr(from, 300)
                  << "\nreader: " << read.substr(from, 300);
#endif
}

INSTANTIATE_TEST_SUITE_P(Stored, Interchange, testing::Combine(testing::ValuesIn(kCases), testing::ValuesIn(kDirections)),
                         [](const testing::TestParamInfo<std::tuple<CASE, DIRECTION>>& i) {
                             return std::string(std::get<0>(i.param).pszName) + "_" + std::get<1>(i.param).pszName;
                         });

}  // namespace
