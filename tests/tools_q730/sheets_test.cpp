// "q730 preferences" and "q730 properties": the printer's sheets opened
// headless and acted on by the command line's actions, run as a program.
// Most cases run a copy of q730 beside a small stand-in user-interface
// library, so what the command line does is seen apart from the driver's
// pages; the user's default reaching "q730 print" runs the real driver.
#include "platform/windows.h"
#include "tests/common/pngdump.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {

struct RunResult {
    int iExit;
    std::string strOut, strErr;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void CopyFile(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
}

// Runs a q730 program (the built one when pszProgram is null) with the
// given arguments (shell words) in the current test root.
RunResult RunProgram(const std::string& args, const std::string& program = "")
{
    std::string out = TestRootFile("q730.out"), err = TestRootFile("q730.err");
    std::string exe = program.empty() ? std::string(PlatGetProgramDir()) + "/q730" : program;
    std::string cmd = "cd '" + TestRootPath() + "' && Q730_ROOT='" + TestRootPath() + "' '" + exe + "' " + args +
                      " >'" + out + "' 2>'" + err + "'";
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}

bool Has(const std::string& text, const std::string& what)
{
    return text.find(what) != std::string::npos;
}

const DWORD kcbFake = sizeof(DEVMODEW) + 8;

// A root with a copy of q730 and the platform's libraries beside the
// stand-in user-interface library, and the printer "Fake" installed with it.
class FakeSheets : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        dir = TestRootFile("fakebin");
        mkdir(dir.c_str(), 0755);
        std::string bin = PlatGetProgramDir();
        CopyFile(bin + "/q730", dir + "/q730");
        chmod((dir + "/q730").c_str(), 0755);
        // The program runs on the platform's libraries beside it.
        for (const char* lib : {"libq730kernel.so", "libq730advapi.so", "libq730gdi.so", "libq730user.so",
                                "libq730comctl.so"})
            CopyFile(bin + "/" + lib, dir + "/" + lib);
        CopyFile(bin + "/fakeui/libQ730MVU3.so", dir + "/libQ730MVU3.so");
        for (const char* lib : {"libQ730MVG3.so", "libQ730MVT3.so"})
            CopyFile(bin + "/" + lib, dir + "/" + lib);
        ASSERT_TRUE(PlatInstallPrinter(u"Fake", u"C:\\fake.prn", dir.c_str()));
    }
    RunResult Q730(const std::string& args) { return RunProgram(args, dir + "/q730"); }
    std::vector<BYTE> UserDefault() { return ::UserDefault(u"Fake"); }
    DWORD DuplexUnit()
    {
        HANDLE h = nullptr;
        EXPECT_TRUE(OpenPrinterW((LPWSTR)u"Fake", &h, nullptr));
        DWORD v = 0xFFFFFFFF, cb = 0, type = 0;
        GetPrinterDataW(h, (LPWSTR)u"FakeDuplexUnit", &type, (LPBYTE)&v, 4, &cb);
        ClosePrinter(h);
        return v;
    }
    std::string dir;
};

TEST_F(FakeSheets, PreferencesActByLabelAndOkMakesThemTheUserDefault)
{
    RunResult r = Q730("preferences --printer Fake --type Copies=3 --check '&Collate' --choose 'orientation:=Landscape'");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_TRUE(Has(r.strOut, "saved the printing preferences of printer \"Fake\"")) << r.strOut;
    std::vector<BYTE> dm = UserDefault();
    ASSERT_EQ(dm.size(), kcbFake);
    const DEVMODEW* pdm = (const DEVMODEW*)dm.data();
    EXPECT_EQ(pdm->dmCopies, 3);
    EXPECT_EQ(pdm->dmCollate, DMCOLLATE_TRUE);
    EXPECT_EQ(pdm->dmOrientation, DMORIENT_LANDSCAPE);

    // The next run opens over them; OK without a change keeps every byte.
    RunResult again = Q730("preferences --printer Fake --ok");
    ASSERT_EQ(again.iExit, 0) << again.strErr;
    EXPECT_EQ(UserDefault(), dm);
    // --cancel ends the sheet without saving.
    RunResult cancel = Q730("preferences --printer Fake --type Copies=9 --cancel");
    ASSERT_EQ(cancel.iExit, 0) << cancel.strErr;
    EXPECT_TRUE(Has(cancel.strOut, "cancelled: nothing was saved")) << cancel.strOut;
    EXPECT_EQ(UserDefault(), dm);
}

struct BADCASE {
    const char* name;
    const char* args;
    const char* message;  // on stderr
};

class FakeSheetErrors : public FakeSheets, public testing::WithParamInterface<BADCASE> {};

TEST_P(FakeSheetErrors, ExitTwoAndNothingSaved)
{
    RunResult r = Q730(std::string("preferences --printer Fake --type Copies=4 ") + GetParam().args);
    EXPECT_EQ(r.iExit, 2) << r.strOut << r.strErr;
    EXPECT_TRUE(Has(r.strErr, GetParam().message)) << r.strErr;
    EXPECT_TRUE(UserDefault().empty());
    EXPECT_FALSE(Has(r.strOut, "saved")) << r.strOut;
}

INSTANTIATE_TEST_SUITE_P(
    Actions, FakeSheetErrors,
    testing::Values(
        BADCASE{"UnknownLabel", "--type 'Number of copies=2'",
                "--type \"Number of copies=2\": control \"Number of copies\" is not there"},
        BADCASE{"DisabledControl", "--check Staple", "--check \"Staple\": control \"Staple\" is disabled"},
        BADCASE{"ItemNotOffered", "--choose Orientation=Sideways", "no item \"Sideways\""},
        BADCASE{"UnknownPage", "--page Finishing", "--page \"Finishing\""},
        BADCASE{"CheckOnAList", "--check Orientation", "not a check box"},
        BADCASE{"ChooseWithoutItem", "--choose Orientation", "takes LABEL=ITEM"},
        BADCASE{"SetWithoutANumber", "--set Copies=three", "option --set takes LABEL=N with a whole number N"},
        BADCASE{"MenuWithoutItem", "--menu Save/Recall", "option --menu takes BUTTON>ITEM"},
        BADCASE{"UnknownAnswer", "--answer maybe", "--answer takes yes, no"},
        BADCASE{"UnknownOption", "--staple", "unknown option '--staple'"},
        BADCASE{"DialogLeftOpen", "--click More... --check 'Print on both sides'",
                "the dialog \"More\" is still open after the last action"},
        BADCASE{"FailureInsideADialog", "--click More... --check Staple --ok",
                "--check \"Staple\": control \"Staple\" is not there"},
        BADCASE{"ActionAfterTheSheetClosed", "--ok --check Collate",
                "--check \"Collate\": comes after --ok, which closes the sheet"}),
    [](const testing::TestParamInfo<BADCASE>& i) { return std::string(i.param.name); });

TEST_F(FakeSheets, MessageBoxesArePrintedWithTheAnswerTaken)
{
    // Refused: the typed copies stay. Then a box without an answer takes
    // its default button (Yes): everything is reset.
    RunResult r = Q730("preferences --printer Fake --type Copies=5 --answer no --click Reset...");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_TRUE(Has(r.strOut, "message box \"Layout\": Reset every setting to its default?\n  answered: No\n"))
        << r.strOut;
    EXPECT_EQ(((const DEVMODEW*)UserDefault().data())->dmCopies, 5);

    r = Q730("preferences --printer Fake --type Copies=6 --click '&Reset...'");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_TRUE(Has(r.strOut, "  answered: Yes\n")) << r.strOut;
    EXPECT_EQ(((const DEVMODEW*)UserDefault().data())->dmCopies, 1);

    // An answer no box took is reported.
    r = Q730("preferences --printer Fake --answer yes");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_TRUE(Has(r.strErr, "the answer Yes was not taken")) << r.strErr;
}

TEST_F(FakeSheets, PicturesOfEveryPageAndEveryBox)
{
    RunResult r = Q730("preferences --printer Fake --png pics --type Copies=2 --answer no --click Reset...");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    for (const char* name : {"page-01-Layout.png", "message-01.png"}) {
        std::string png = ReadFile(TestRootFile(std::string("pics/") + name));
        ASSERT_GT(png.size(), 8u) << name;
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
        EXPECT_TRUE(Has(r.strOut, "picture: " + TestRootFile(std::string("pics/") + name))) << r.strOut;
    }
    // A dialog opened by an action takes the actions that follow until its
    // own OK; it is pictured as it opens.
    r = Q730("preferences --printer Fake --png more --click More... --check 'Print on both sides' --ok "
             "--type Copies=2");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_TRUE(Has(r.strOut, "dialog \"More\" opened")) << r.strOut;
    EXPECT_EQ(ReadFile(TestRootFile("more/dialog-01-More.png")).substr(0, 4), "\x89PNG");
    std::vector<BYTE> dm = UserDefault();
    ASSERT_EQ(dm.size(), kcbFake);
    EXPECT_EQ(((const DEVMODEW*)dm.data())->dmDuplex, DMDUP_VERTICAL);
    EXPECT_EQ(((const DEVMODEW*)dm.data())->dmCopies, 2);

    r = Q730("properties --printer Fake --png devpics");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_EQ(ReadFile(TestRootFile("devpics/page-01-Options.png")).substr(0, 4), "\x89PNG");
}

TEST_F(FakeSheets, PropertiesStoreThePrinterSettingsOnOkOnly)
{
    RunResult r = Q730("properties --printer Fake --check 'Duplex unit installed' --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_EQ(DuplexUnit(), 0xFFFFFFFFu);
    r = Q730("properties --printer Fake --check 'Duplexer' --check 'Duplex unit installed'");
    EXPECT_EQ(r.iExit, 2);
    EXPECT_EQ(DuplexUnit(), 0xFFFFFFFFu);
    r = Q730("properties --printer Fake --check 'Duplex unit installed'");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_TRUE(Has(r.strOut, "saved the properties of printer \"Fake\"")) << r.strOut;
    EXPECT_EQ(DuplexUnit(), 1u);
}

TEST(Q730Sheets, HelpNamesTheActions)
{
    TestNewRoot();
    RunResult top = RunProgram("--help");
    EXPECT_TRUE(Has(top.strOut, "preferences")) << top.strOut;
    for (const char* cmd : {"preferences", "properties"}) {
        RunResult r = RunProgram(std::string(cmd) + " --help");
        EXPECT_EQ(r.iExit, 0);
        for (const char* opt : {"--page TITLE", "--check LABEL", "--choose LABEL=ITEM", "--type LABEL=TEXT",
                                "--select LABEL=ROW", "--set LABEL=N", "--menu BUTTON>ITEM", "--answer ANSWER",
                                "--png DIR"})
            EXPECT_TRUE(Has(r.strOut, opt)) << cmd << " " << opt;
    }
}

// ---- the real driver ---------------------------------------------------------------

std::string PjlCopies(const std::string& job)
{
    size_t at = job.find("@PJL SET COPIES = ");
    return at == std::string::npos ? "" : job.substr(at, job.find('\n', at) - at);
}

TEST(Q730UserDefault, PrintStartsFromTheUsersDefaultSettings)
{
    TestNewRoot();
    ASSERT_EQ(RunProgram("print --output first.prn").iExit, 0);
    EXPECT_EQ(PjlCopies(ReadFile(TestRootFile("first.prn"))), "@PJL SET COPIES = 1");

    // The user's default, as the printing preferences leave it: three copies.
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"QX-730", &h, nullptr));
    LONG cb = DocumentPropertiesW(nullptr, h, nullptr, nullptr, nullptr, 0);
    ASSERT_GT(cb, 0);
    std::vector<BYTE> dm(cb);
    ASSERT_EQ(DocumentPropertiesW(nullptr, h, nullptr, (PDEVMODEW)dm.data(), nullptr, DM_OUT_BUFFER), IDOK);
    ((DEVMODEW*)dm.data())->dmCopies = 3;
    PRINTER_INFO_9W pi9 = {(PDEVMODEW)dm.data()};
    ASSERT_TRUE(SetPrinterW(h, 9, (LPBYTE)&pi9, 0));
    ClosePrinter(h);

    ASSERT_EQ(RunProgram("print --output mine.prn").iExit, 0);
    EXPECT_EQ(PjlCopies(ReadFile(TestRootFile("mine.prn"))), "@PJL SET COPIES = 3");

    // Without it again, the printer's own default.
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"QX-730", &h, nullptr));
    PRINTER_INFO_9W none = {nullptr};
    ASSERT_TRUE(SetPrinterW(h, 9, (LPBYTE)&none, 0));
    ClosePrinter(h);
    ASSERT_EQ(RunProgram("print --output again.prn").iExit, 0);
    EXPECT_EQ(ReadFile(TestRootFile("again.prn")), ReadFile(TestRootFile("first.prn")));
}

TEST(Q730UserDefault, PreferencesOfTheDriverReachTheNextJob)
{
    TestNewRoot();
    ASSERT_EQ(RunProgram("print --output first.prn").iExit, 0);
    RunResult r = RunProgram("preferences --png pics --type Copies=3");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output mine.prn").iExit, 0);
    EXPECT_EQ(PjlCopies(ReadFile(TestRootFile("mine.prn"))), "@PJL SET COPIES = 3");
    bool bFirstPage = false;
    if (DIR* d = opendir(TestRootFile("pics").c_str())) {
        while (dirent* e = readdir(d))
            bFirstPage = bFirstPage || std::string(e->d_name).rfind("page-01-", 0) == 0;
        closedir(d);
    }
    EXPECT_TRUE(bFirstPage);
    // A label the pages do not have: exit 2, the default stays.
    r = RunProgram("preferences --type 'No such setting=1'");
    EXPECT_EQ(r.iExit, 2);
    ASSERT_EQ(RunProgram("print --output again.prn").iExit, 0);
    EXPECT_EQ(PjlCopies(ReadFile(TestRootFile("again.prn"))), "@PJL SET COPIES = 3");
}

}  // namespace

namespace {

std::string PjlLine(const std::string& job, const std::string& key)
{
    size_t at = job.find("@PJL SET " + key + " = ");
    return at == std::string::npos ? "" : job.substr(at, job.find('\n', at) - at);
}

size_t Count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

// The Setup page through the printing preferences: A3 and two pages a
// sheet reach the next job.
TEST(Q730Pages, SetupPaperAndNupReachTheNextJob)
{
    TestNewRoot();
    RunResult r = RunProgram("preferences --page Setup --choose 'Original size=A3' --choose 'Output size=A3' "
                             "--check N-up");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output mine.prn").iExit, 0);
    std::string job = ReadFile(TestRootFile("mine.prn"));
    EXPECT_EQ(PjlLine(job, "PAPER"), "@PJL SET PAPER = A3");
    // The sample document's four pages on two sheets.
    EXPECT_EQ(Count(job, "prn;"), 2u);
}

// Stapling needs an output unit: installed on the Options page, the
// Finishing page's staple reaches the job; on a printer without one the
// page lets nobody switch it on and nothing is saved.
TEST(Q730Pages, StaplingFollowsTheInstalledOutputUnit)
{
    TestNewRoot();
    const char* kFinishing = "preferences --page Finishing "
                             "--check 'Production print (turns off simple finishing on the Setup page)' "
                             "--answer yes --check Staple";
    RunResult r = RunProgram("properties --choose 'Output unit=Finisher'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    r = RunProgram(kFinishing);
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output stapled.prn").iExit, 0);
    EXPECT_EQ(PjlLine(ReadFile(TestRootFile("stapled.prn")), "STAPLEPOSITION"), "@PJL SET STAPLEPOSITION = LEFT");

    TestNewRoot();
    r = RunProgram(kFinishing);
    EXPECT_EQ(r.iExit, 2) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output plain.prn").iExit, 0);
    EXPECT_EQ(PjlLine(ReadFile(TestRootFile("plain.prn")), "STAPLEPOSITION"), "@PJL SET STAPLEPOSITION = OFF");
}

// The preview's icon pane shows every layer inside itself: confidential
// print switched on on the Setup page adds its lock to the output-mode icon
// in the pane of every page. The Watermark page, untouched, is pictured
// after a change the panes do not show and after confidential print: the
// pictures differ in one icon's box, inside the preview pane.
TEST(Q730Pages, IconPaneShowsTheOutputModeInsideThePane)
{
    struct Picture {
        int cx = 0, cy = 0;
        std::vector<DWORD> px;
    } plain, secure;
    TestNewRoot();
    mkdir(TestRootFile("plain").c_str(), 0755);
    mkdir(TestRootFile("secure").c_str(), 0755);
    RunResult r = RunProgram("preferences --png plain --check 'Blank page suppression' --page Watermark --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    r = RunProgram("preferences --png secure --check 'Confidential print' --type Password=1234 --ok "
                   "--page Watermark --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_TRUE(TestReadPng(TestRootFile("plain/page-05-Watermark.png"), &plain.cx, &plain.cy, &plain.px));
    ASSERT_TRUE(TestReadPng(TestRootFile("secure/page-05-Watermark.png"), &secure.cx, &secure.cy, &secure.px));
    ASSERT_EQ(plain.cx, secure.cx);
    ASSERT_EQ(plain.cy, secure.cy);
    int cDiffer = 0, l = plain.cx, t = plain.cy, rr = -1, b = -1;
    for (int y = 0; y < plain.cy; ++y)
        for (int x = 0; x < plain.cx; ++x)
            if (plain.px[(size_t)y * plain.cx + x] != secure.px[(size_t)y * plain.cx + x]) {
                ++cDiffer;
                l = std::min(l, x);
                t = std::min(t, y);
                rr = std::max(rr, x);
                b = std::max(b, y);
            }
    ASSERT_GT(cDiffer, 20);
    // One small icon's box, in the pane under the paper view: the lower
    // left quarter of the page, its surroundings the pane's white.
    EXPECT_LE(rr - l, 32);
    EXPECT_LE(b - t, 32);
    EXPECT_LT(rr, plain.cx / 3);
    EXPECT_GT(t, plain.cy / 2);
    EXPECT_EQ(plain.px[(size_t)(t - 2) * plain.cx + (l - 2)], 0xFFFFFFu);
    EXPECT_EQ(plain.px[(size_t)(b + 2) * plain.cx + (rr + 2)], 0xFFFFFFu);
}

// The binding margin dialog with the same margin on front and back: a
// front margin above the limit (51 of 0-50) becomes the limit on both
// sides, OK closes the dialog, and a two-sided job shifts every page, front
// and back, by 50 mm, as the job typed with 50 does.
TEST(Q730Pages, SameMarginAboveTheLimitPrintsAtTheLimitOnBothSides)
{
    auto job = [](const char* pszFront) {
        TestNewRoot();
        RunResult r = RunProgram(std::string("preferences --check Duplex --check 'Binding margin' "
                                             "--choose 'Binding margin=Settings...' "
                                             "--check 'Same margin on front and back' --type Front=") +
                                 pszFront + " --ok");
        EXPECT_EQ(r.iExit, 0) << r.strOut << r.strErr;
        EXPECT_FALSE(Has(r.strOut, "message box")) << r.strOut;
        EXPECT_EQ(RunProgram("print --output margin.prn").iExit, 0);
        return ReadFile(TestRootFile("margin.prn"));
    };
    const std::string over = job("51"), limit = job("50");
    EXPECT_EQ(Count(over, "org %54.06 %4.06;"), 4u);
    EXPECT_EQ(Count(over, "org "), 4u);
    EXPECT_EQ(over, limit);
}

// Create form on the Form page, with a full path typed without the form
// file's extension: the first OK takes it (with ".xfo" added), and the next
// job is written into that form file instead of going to the printer.
TEST(Q730Pages, CreateFormTakesAFullPathWithoutTheExtensionAtOnce)
{
    TestNewRoot();
    mkdir(TestRootFile("c").c_str(), 0755);
    mkdir(TestRootFile("c/forms").c_str(), 0755);
    RunResult r = RunProgram("preferences --page Form --check 'Create form' --type 'File name=C:\\forms\\letter' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_FALSE(Has(r.strOut, "message box")) << r.strOut;
    EXPECT_TRUE(Has(r.strOut, "saved the printing preferences")) << r.strOut;
    ASSERT_EQ(RunProgram("print --output port.prn").iExit, 0);
    EXPECT_EQ(ReadFile(TestRootFile("port.prn")), "");
    const std::string form = ReadFile(TestRootFile("c/forms/letter.xfo"));
    EXPECT_EQ(form.rfind("foc ", 0), 0u) << form.substr(0, 40);
    EXPECT_EQ(Count(form, "prn;"), 0u);
    EXPECT_GT(Count(form, "txo #"), 10u);
}

// A watermark made in the watermark editor (Edit... on the Watermark page)
// and switched on is drawn on every printed page: its size, its angle and
// its letters, one after the other.
TEST(Q730Pages, WatermarkMadeInTheEditorIsPrinted)
{
    TestNewRoot();
    ASSERT_EQ(RunProgram("print --output plain.prn").iExit, 0);
    RunResult r = RunProgram("preferences --page Watermark --check Watermark --click Edit... --click New "
                             "--type Text=DRAFT --type Size=120 --type Angle=30 --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output marked.prn").iExit, 0);
    const std::string plain = ReadFile(TestRootFile("plain.prn")), job = ReadFile(TestRootFile("marked.prn"));
    EXPECT_EQ(Count(plain, "fop %120 %1;\nfor %30;\ntxo #44 "), 0u);
    EXPECT_EQ(Count(job, "fop %120 %1;\nfor %30;\ntxo #44 "), Count(job, "\nprn;"));
    // The letters go up and to the right at 30 degrees.
    size_t at = job.find("for %30;\ntxo #44 ");
    ASSERT_NE(at, std::string::npos);
    int x = -1, y = 1 << 30;
    for (unsigned code : {0x44u, 0x52u, 0x41u, 0x46u, 0x54u}) {
        at = job.find("txo #", at);
        ASSERT_NE(at, std::string::npos);
        unsigned c = 0;
        int nx = 0, ny = 0;
        ASSERT_EQ(sscanf(job.c_str() + at, "txo #%X %d %d;", &c, &nx, &ny), 3);
        EXPECT_EQ(c, code);
        EXPECT_GT(nx, x);
        EXPECT_LT(ny, y);
        x = nx;
        y = ny;
        ++at;
    }
}

}  // namespace

// The Cover / Insert page through the printing preferences: insert sheets
// added in the insert sheet dialog reach the next job.
namespace {

// The characters that the stream prints between the set-up of the sheet
// fed from tray pszTray and the end of that sheet.
std::string TextOfSheetFrom(const std::string& job, const std::string& tray)
{
    size_t at = job.find("ppt " + tray + ";");
    if (at == std::string::npos)
        return "<no sheet>";
    size_t end = job.find("prn;", at);
    std::istringstream in(job.substr(at, end - at));
    std::string line, text;
    unsigned u = 0;
    long x = 0, y = 0;
    while (std::getline(in, line))
        if (sscanf(line.c_str(), "txo #%x %ld %ld;", &u, &x, &y) == 3)
            text += (char)u;
    return text;
}

TEST(Q730Pages, InsertSheetsReachTheNextJob)
{
    // A sheet in front of page 3 from tray 3, usable once the paper feed
    // unit is installed: the four pages and the sheet, the sheet after the
    // second page.
    TestNewRoot();
    RunResult r = RunProgram("properties --choose 'Paper source unit=Paper feed unit'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    r = RunProgram("preferences --page 'Cover / Insert' --check 'Use insert sheets' --click Add... --type Pages=3 "
                   "--choose 'Paper source=Tray 3' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output inserted.prn").iExit, 0);
    std::string job = ReadFile(TestRootFile("inserted.prn"));
    EXPECT_EQ(Count(job, "prn;"), 5u);
    EXPECT_EQ(Count(job, "ppt 3;"), 1u);
    size_t atSheet = job.find("ppt 3;");
    EXPECT_EQ(Count(job.substr(0, atSheet), "prn;"), 2u);
    EXPECT_EQ(TextOfSheetFrom(job, "3"), "");

    // Index paper with its heading from tray 1: the heading is the only text
    // of that sheet.
    TestNewRoot();
    r = RunProgram("preferences --page 'Cover / Insert' --check 'Use insert sheets' --click Add... --type Pages=2 "
                   "--choose 'Paper source=Tray 1' --check 'Print on index tabs' --type 'Heading text=Chapter 1' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output tab.prn").iExit, 0);
    job = ReadFile(TestRootFile("tab.prn"));
    EXPECT_EQ(Count(job, "prn;"), 5u);
    EXPECT_NE(job.find("pps A4TAB"), std::string::npos);
    EXPECT_EQ(TextOfSheetFrom(job, "1"), "Chapter 1");

    // Cancelled preferences store nothing: the next job has no sheet.
    TestNewRoot();
    r = RunProgram("preferences --page 'Cover / Insert' --check 'Use insert sheets' --click Add... --type Pages=2 "
                   "--ok --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output none.prn").iExit, 0);
    EXPECT_EQ(Count(ReadFile(TestRootFile("none.prn")), "prn;"), 4u);
}

}  // namespace

namespace {

// OK on the printing preferences without a change leaves the next job as it
// was, byte for byte: the Font page lists only the TrueType families
// installed here, and the printer fonts of the other families (the default
// table names many more) stay in the user's list. Restore defaults on the
// Font page is the default job again.
TEST(Q730Pages, OkWithoutAChangeKeepsTheJob)
{
    for (const char* pszActions : {"--page Font", "--png pics", "--page Font --click 'Restore Defaults'",
                                   "--page Font --uncheck 'Use printer fonts' --check 'Use printer fonts'"}) {
        SCOPED_TRACE(pszActions);
        TestNewRoot();
        ASSERT_EQ(RunProgram("print --output before.prn").iExit, 0);
        RunResult r = RunProgram(std::string("preferences ") + pszActions);
        ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
        ASSERT_EQ(RunProgram("print --output after.prn").iExit, 0);
        const std::string before = ReadFile(TestRootFile("before.prn"));
        EXPECT_GT(Count(before, "\nfoc "), 80u);
        EXPECT_EQ(ReadFile(TestRootFile("after.prn")), before);
        // A second OK keeps it too.
        ASSERT_EQ(RunProgram("preferences --page Font").iExit, 0);
        ASSERT_EQ(RunProgram("print --output again.prn").iExit, 0);
        EXPECT_EQ(ReadFile(TestRootFile("again.prn")), before);
    }
}

// A printer font chosen for one family changes that family only.
TEST(Q730Pages, PrinterFontChosenForOneFamilyKeepsTheOthers)
{
    TestNewRoot();
    ASSERT_EQ(RunProgram("print --output before.prn").iExit, 0);
    RunResult r = RunProgram("preferences --page Font --select 'TrueType font=Arial\tArial' "
                             "--choose 'Printer font to use=Helvetica'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output after.prn").iExit, 0);
    const std::string before = ReadFile(TestRootFile("before.prn")), after = ReadFile(TestRootFile("after.prn"));
    EXPECT_EQ(Count(before, "\nfoc Arial Arial"), 4u);
    EXPECT_EQ(Count(after, "\nfoc Arial Arial"), 0u);
    // Arial text in the printer's Helvetica.
    EXPECT_EQ(Count(before, "\nfos 59;"), 0u);
    EXPECT_GT(Count(after, "\nfos 59;"), 0u);
    // Every other family keeps its printer font.
    for (const char* pszLine : {"\nfoc Albertus_Medium Albertus_Medium 1 W1 0;", "\nfoc Courier Courier 1 W1 11;",
                                "\nfoc Univers Univers_Medium 1 W1 35;", "\nfoc HGMinchoL HGMinchoL 2 SJ 88;"})
        EXPECT_EQ(Count(after, pszLine), 1u) << pszLine;
    EXPECT_EQ(Count(after, "\nfoc "), Count(before, "\nfoc "));
}

}  // namespace

namespace {

// The host path of the settings file NAME.xsf under the root's documents
// folders, or "" when there is none.
std::string FindSettingsFile(const std::string& dir, const std::string& file)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return "";
    std::string found;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "/" + name;
        struct stat st = {};
        if (stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            found = FindSettingsFile(path, file);
        else if (name == file)
            found = path;
        if (!found.empty())
            break;
    }
    closedir(d);
    return found;
}

std::string Utf16(const std::string& ascii)
{
    std::string s;
    for (char c : ascii) {
        s += c;
        s += '\0';
    }
    return s;
}

// A settings file that says confidential print is on (edited by hand, or
// brought from elsewhere; the save dialog never writes one) shows it off in
// the recall dialog, as the file saved here does, and recalls without it:
// the next job is the one printed before, not a held private job without a
// key.
TEST(Q730Library, ConfidentialPrintNeverComesFromASettingsFile)
{
    TestNewRoot();
    mkdir(TestRootFile("saved").c_str(), 0755);
    mkdir(TestRootFile("edited").c_str(), 0755);
    RunResult r = RunProgram("preferences --menu 'Save/Recall>Save Settings' --type Name=Plain --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    ASSERT_EQ(RunProgram("print --output before.prn").iExit, 0);
    r = RunProgram("preferences --png saved --menu 'Save/Recall>Recall Settings' --cancel --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;

    const std::string path = FindSettingsFile(TestRootFile("c"), "Plain.xsf");
    ASSERT_FALSE(path.empty());
    std::string file = ReadFile(path);
    const std::string off = Utf16("Password_Check=0"), on = Utf16("Password_Check=1");
    size_t at = file.find(off);
    ASSERT_NE(at, std::string::npos);
    file.replace(at, off.size(), on);
    std::ofstream(path, std::ios::binary) << file;

    r = RunProgram("preferences --png edited --menu 'Save/Recall>Recall Settings' --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    int cx = 0, cy = 0, cx2 = 0, cy2 = 0;
    std::vector<DWORD> saved, edited;
    ASSERT_TRUE(TestReadPng(TestRootFile("saved/dialog-01-Recall-Settings.png"), &cx, &cy, &saved));
    ASSERT_TRUE(TestReadPng(TestRootFile("edited/dialog-01-Recall-Settings.png"), &cx2, &cy2, &edited));
    EXPECT_EQ(cx, cx2);
    EXPECT_EQ(cy, cy2);
    EXPECT_TRUE(saved == edited) << "the recall dialog shows confidential print";

    ASSERT_EQ(RunProgram("print --output after.prn").iExit, 0);
    const std::string after = ReadFile(TestRootFile("after.prn"));
    EXPECT_EQ(PjlLine(after, "HOLD"), "@PJL SET HOLD = OFF");
    EXPECT_TRUE(after == ReadFile(TestRootFile("before.prn"))) << "the recall changed the job";
}

}  // namespace
