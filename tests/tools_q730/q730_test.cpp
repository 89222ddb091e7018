// The q730 command line, run as a program in a fresh root.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Runs the built q730 with the given arguments (shell words) in the current
// test root.
RunResult RunQ730(const std::string& args)
{
    std::string out = TestRootFile("q730.out"), err = TestRootFile("q730.err");
    std::string cmd = "cd '" + TestRootPath() + "' && Q730_ROOT='" + TestRootPath() + "' '" +
                      PlatGetProgramDir() + "/q730' " + args + " >'" + out + "' 2>'" + err + "'";
    int status = std::system(cmd.c_str());
    RunResult r;
    r.iExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.strOut = ReadFile(out);
    r.strErr = ReadFile(err);
    return r;
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

// The lines a job of this driver begins with: the exit sequence, "@PJL",
// the HEADER, Title and Driver version comments.
std::string JobHead(const std::string& title)
{
    return "\x1B%-12345X@PJL\n"
           "@PJL COMMENT HEADER OSTREL BRAVINE QX-730 ORDEX2 V\n"
           "@PJL COMMENT Title : " + title + " ;\n"
           "@PJL COMMENT Driver version : 04.03\n";
}

void ExpectSampleJob(const std::string& job)
{
    const std::string head = JobHead("q730 sample document");
    EXPECT_EQ(job.substr(0, head.size()), head);
    EXPECT_NE(job.find("@PJL SET JOBNAME = \"q730 sample document\"\n"), std::string::npos);
    EXPECT_NE(job.find("@PJL ENTER LANGUAGE = ORDEX\nini 600 1 S;\n"), std::string::npos);
    // Four pages, portrait and landscape in turn, each set up and ejected.
    EXPECT_EQ(Count(job, "prn;\n"), 4u);
    size_t p1 = job.find("pps A4 P;\n");
    size_t p2 = job.find("pps A4 L;\n", p1);
    size_t p3 = job.find("pps A4 P;\n", p2);
    size_t p4 = job.find("pps A4 L;\n", p3);
    EXPECT_NE(p4, std::string::npos);
    EXPECT_EQ(Count(job, "pps "), 4u);
    // The pages carry their drawing: a clip rectangle (page 3), Bezier
    // curves (pages 2 and 4), filled paths, and the inverting raster
    // operation of page 4.
    EXPECT_NE(job.find("cps 1;\n"), std::string::npos);
    EXPECT_GE(Count(job, "bzr"), 2u);
    EXPECT_GE(Count(job, "phf"), 3u);
    EXPECT_NE(job.find("rop 2 #06;\n"), std::string::npos);
    // The user-interface library's document events reached the driver: the
    // job names its user and closes with the universal exit sequence.
    EXPECT_EQ(job.find("@PJL SET USERNAME = \"\"\n"), std::string::npos);
    const std::string tail = "prn;\n\x1B%-12345X";
    ASSERT_GE(job.size(), tail.size());
    EXPECT_EQ(job.substr(job.size() - tail.size()), tail);
}

TEST(Q730Print, SamplePrintsIntoTheNewPrintersPort)
{
    TestNewRoot();
    RunResult r = RunQ730("print");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    std::string port = TestRootFile("c/ports/QX-730.prn");
    std::string job = ReadFile(port);
    ExpectSampleJob(job);
    // The last line says what was printed and where.
    std::string last = "printed \"q730 sample document\" (4 pages) on printer \"QX-730\": " +
                       std::to_string(job.size()) + " bytes to " + port + "\n";
    ASSERT_GE(r.strOut.size(), last.size());
    EXPECT_EQ(r.strOut.substr(r.strOut.size() - last.size()), last);
    EXPECT_NE(r.strOut.find("installed printer \"QX-730\""), std::string::npos);

    // The installation initialised the printer through the driver: its
    // default DEVMODE is stored.
    HANDLE hPrinter = NULL;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"QX-730", &hPrinter, NULL));
    DWORD cb = 0, dwType = 0;
    EXPECT_EQ(GetPrinterDataW(hPrinter, (LPWSTR)u"RNOVA NT", &dwType, NULL, 0, &cb),
              (DWORD)ERROR_MORE_DATA);
    EXPECT_EQ(cb, 2615u);
    ClosePrinter(hPrinter);

    // A second job reuses the printer and replaces the port file; the
    // driver files in the root are those of this build again, even when the
    // installed copy went bad.
    std::ofstream(PlatHostPath(SPL_DRIVER_VERSION_DIRECTORY) + "/libQ730MVG3.so", std::ios::trunc)
        << "not a library";
    RunResult again = RunQ730("print");
    ASSERT_EQ(again.iExit, 0) << again.strErr;
    EXPECT_EQ(again.strOut.find("installed"), std::string::npos);
    ExpectSampleJob(ReadFile(port));
}

// A root that the other build (i386 or native) uses as well: its driver
// files lie in its own architecture's folder, and printing with this build
// installs and loads this build's files in this build's folder only.
TEST(Q730Print, ARootSharedWithTheOtherBuildKeepsEachBuildsLibraries)
{
    TestNewRoot();
    const bool b64 = sizeof(void*) == 8;
    std::string otherDir = TestRootFile(std::string("c/WINDOWS/system32/spool/drivers/") +
                                        (b64 ? "w32x86" : "x64") + "/3");
    ASSERT_EQ(std::system(("mkdir -p '" + otherDir + "'").c_str()), 0);
    const char* libs[] = {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"};
    for (const char* lib : libs)
        std::ofstream(otherDir + "/" + lib, std::ios::binary) << "the other build's " << lib;
    for (int run = 0; run < 2; ++run) {
        RunResult r = RunQ730("print");
        ASSERT_EQ(r.iExit, 0) << r.strErr;
        ExpectSampleJob(ReadFile(TestRootFile("c/ports/QX-730.prn")));
    }
    std::string ownDir = PlatHostPath(SPL_DRIVER_VERSION_DIRECTORY);
    EXPECT_NE(ownDir, otherDir);
    EXPECT_NE(ownDir.find(b64 ? "/drivers/x64/3" : "/drivers/w32x86/3"), std::string::npos) << ownDir;
    for (const char* lib : libs) {
        EXPECT_EQ(ReadFile(otherDir + "/" + lib), std::string("the other build's ") + lib);
        EXPECT_EQ(ReadFile(ownDir + "/" + lib), ReadFile(std::string(PlatGetProgramDir()) + "/" + lib)) << lib;
    }
}

TEST(Q730Print, OutputAndPrinterOptions)
{
    TestNewRoot();
    // Another printer than the default one is added first.
    RunResult install = RunQ730("install --printer 'Office QX'");
    ASSERT_EQ(install.iExit, 0) << install.strErr;
    EXPECT_NE(install.strOut.find("installed printer \"Office QX\" with port " + TestRootFile("c/ports/Office QX.prn")),
              std::string::npos)
        << install.strOut;
    RunResult r = RunQ730("print --printer 'Office QX' --output job.prn");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    std::string file = TestRootFile("job.prn");
    ExpectSampleJob(ReadFile(file));
    EXPECT_NE(r.strOut.find("on printer \"Office QX\""), std::string::npos);
    EXPECT_NE(r.strOut.find("bytes to " + file + "\n"), std::string::npos);
    // The job went to the named file, not to the port.
    EXPECT_FALSE(Exists(TestRootFile("c/ports/Office QX.prn")));

    RunResult eq = RunQ730("print --printer='Office QX' --output=" + TestRootFile("two.prn"));
    ASSERT_EQ(eq.iExit, 0) << eq.strErr;
    ExpectSampleJob(ReadFile(TestRootFile("two.prn")));
}

TEST(Q730Print, TheSampleGivesTheSameBytesInEveryProcess)
{
    TestNewRoot();
    ASSERT_EQ(RunQ730("print --output one.prn").iExit, 0);
    ASSERT_EQ(RunQ730("print --output two.prn").iExit, 0);
    std::string one = ReadFile(TestRootFile("one.prn"));
    std::string two = ReadFile(TestRootFile("two.prn"));
    ASSERT_FALSE(one.empty());
    EXPECT_TRUE(one == two) << "the two jobs differ at byte "
                            << std::mismatch(one.begin(), one.end(), two.begin(), two.end()).first - one.begin();
    // Page 1's ellipse is filled with its own diagonal cross hatch, though
    // the grey brush before it was deleted just before the hatch was made.
    size_t nPage2 = one.find("prn;\n");
    ASSERT_NE(nPage2, std::string::npos);
    std::string page1 = one.substr(0, nPage2);
    size_t nGrey = page1.find("brc 2 #C0C0C0;\nbrs 2;\n");
    size_t nCross = page1.find("bru 8 #00 #FFFFFF 32 32 4 <!");
    ASSERT_NE(nGrey, std::string::npos) << page1;
    ASSERT_NE(nCross, std::string::npos) << page1;
    EXPECT_LT(nGrey, nCross);
    EXPECT_NE(page1.find("brs 8;\n", nCross), std::string::npos);
}

struct ErrorRow {
    const char* args;
    int iExit;
    const char* message;  // in standard error
};
const ErrorRow kErrorRows[] = {
    {"", 2, "usage: q730"},
    {"frobnicate", 2, "unknown command 'frobnicate'"},
    {"print --bogus", 2, "unknown option '--bogus'"},
    {"print -x", 2, "unknown option '-x'"},
    {"print --printer", 2, "option --printer needs a value"},
    {"print --output=", 2, "option --output needs a value"},
    {"print one.txt two.txt", 2, "only one FILE"},
    {"print /no/such/file.txt", 1, "/no/such/file.txt: no such file"},
    {"print binary.bin", 1, "binary.bin: not a text file"},
    {"print --output /no/such/folder/job.prn", 1,
     "cannot write the job to /no/such/folder/job.prn: the folder /no/such/folder does not exist"},
    {"print --output existing.txt/job.prn", 1, "existing.txt is not a folder"},
    {"print --printer 'Ofice QX'", 2,
     "no printer \"Ofice QX\" is installed; none is installed yet\nq730: add it with: q730 install --printer 'Ofice QX'"},
    {"preferences --printer Nobody", 2, "no printer \"Nobody\" is installed"},
    {"install --printer", 2, "option --printer needs a value"},
    {"install extra", 2, "unexpected argument 'extra'"},
};

TEST(Q730Print, BadInputIsAClearErrorWithANonZeroExit)
{
    for (const ErrorRow& row : kErrorRows) {
        TestNewRoot();
        std::ofstream(TestRootFile("existing.txt")) << "hello\n";
        std::ofstream(TestRootFile("binary.bin"), std::ios::binary) << std::string("\x7F" "ELF\0\0\1", 7);
        RunResult r = RunQ730(row.args);
        EXPECT_EQ(r.iExit, row.iExit) << row.args;
        EXPECT_NE(r.strErr.find(row.message), std::string::npos) << row.args << ": " << r.strErr;
        EXPECT_FALSE(Exists(TestRootFile("c/ports/QX-730.prn"))) << row.args;
    }
}

// Only the default printer installs itself; a typing mistake in a printer's
// name is refused with the names that are installed, and installs nothing.
TEST(Q730Install, AnUnknownPrinterIsRefusedWithTheInstalledOnes)
{
    TestNewRoot();
    ASSERT_EQ(RunQ730("print --output first.prn").iExit, 0);
    RunResult r = RunQ730("install --printer 'Office QX'");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    // Installing it again keeps its port and settings.
    r = RunQ730("install --printer 'Office QX'");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("printer \"Office QX\" was installed already: it keeps its port " +
                            TestRootFile("c/ports/Office QX.prn")),
              std::string::npos)
        << r.strOut;
    for (const char* command : {"print", "preferences", "properties"}) {
        r = RunQ730(std::string(command) + " --printer 'Ofice QX'");
        EXPECT_EQ(r.iExit, 2) << command;
        EXPECT_NE(r.strErr.find("no printer \"Ofice QX\" is installed; the installed printers are "),
                  std::string::npos)
            << r.strErr;
        EXPECT_NE(r.strErr.find("\"QX-730\""), std::string::npos) << r.strErr;
        EXPECT_NE(r.strErr.find("\"Office QX\""), std::string::npos) << r.strErr;
        EXPECT_NE(r.strErr.find("add it with: q730 install --printer 'Ofice QX'"), std::string::npos) << r.strErr;
    }
    HANDLE h = NULL;
    EXPECT_FALSE(OpenPrinterW((LPWSTR)u"Ofice QX", &h, NULL));
    EXPECT_FALSE(Exists(TestRootFile("c/ports/Ofice QX.prn")));
    // The installed one prints.
    r = RunQ730("print --printer 'Office QX'");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    ExpectSampleJob(ReadFile(TestRootFile("c/ports/Office QX.prn")));
}

// The print road's errors in words: the folder of a port file that went
// away is named, and the system error code comes with its text.
TEST(Q730Print, AMissingPortFolderIsNamed)
{
    TestNewRoot();
    ASSERT_EQ(RunQ730("print").iExit, 0);
    ASSERT_EQ(std::system(("rm -rf '" + TestRootFile("c/ports") + "'").c_str()), 0);
    RunResult r = RunQ730("print");
    EXPECT_EQ(r.iExit, 1);
    EXPECT_NE(r.strErr.find("starting the document failed for printer \"QX-730\" (error 3: The system cannot find "
                            "the path specified.)"),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(r.strErr.find("the job goes to " + TestRootFile("c/ports/QX-730.prn") + ", but the folder " +
                            TestRootFile("c/ports") + " does not exist"),
              std::string::npos)
        << r.strErr;
}

TEST(Q730Help, DescribesEveryOption)
{
    TestNewRoot();
    RunResult top = RunQ730("--help");
    EXPECT_EQ(top.iExit, 0);
    for (const char* word : {"print", "version", "install", "--help"})
        EXPECT_NE(top.strOut.find(word), std::string::npos) << word;
    RunResult install = RunQ730("install --help");
    EXPECT_EQ(install.iExit, 0);
    EXPECT_NE(install.strOut.find("q730 install [--printer NAME]"), std::string::npos) << install.strOut;
    RunResult print = RunQ730("print --help");
    EXPECT_EQ(print.iExit, 0);
    for (const char* word : {"q730 print [--printer NAME] [--output FILE] [FILE]", "--printer NAME",
                             "--output FILE", "--help", "Q730_ROOT"})
        EXPECT_NE(print.strOut.find(word), std::string::npos) << word;
    // Help prints nothing and installs nothing.
    EXPECT_FALSE(Exists(TestRootFile("c/ports")));
}

}  // namespace
