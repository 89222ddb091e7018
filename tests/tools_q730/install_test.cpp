// make install PREFIX=DIR: q730 in DIR/bin, the platform's and the driver's
// libraries in DIR/lib; the installed folder, copied elsewhere and with the
// original gone, prints and shows the sheets on its own libraries, one copy
// of each in the process.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

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

// Runs a shell command in the test root; its exit status.
int Shell(const std::string& cmd)
{
    int status = std::system(("cd '" + TestRootPath() + "' && " + cmd).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* const kLibraries[] = {"libq730kernel.so", "libq730advapi.so", "libq730gdi.so",  "libq730user.so",
                                  "libq730comctl.so", "libQ730MVU3.so",   "libQ730MVG3.so", "libQ730MVT3.so"};

TEST(Q730Install, CopiedInstallPrintsAndShowsTheSheetsOnItsOwnLibraries)
{
    TestNewRoot();
    const std::string installed = TestRootFile("installed"), moved = TestRootFile("elsewhere/q730");
    ASSERT_EQ(Shell("'" Q730_CMAKE "' --install '" Q730_BUILD_DIR "' --prefix '" + installed + "' >install.out 2>&1"),
              0)
        << ReadFile(TestRootFile("install.out"));
    ASSERT_TRUE(Exists(installed + "/bin/q730"));
    for (const char* lib : kLibraries)
        EXPECT_TRUE(Exists(installed + "/lib/" + lib)) << lib;
    // Nothing installed names the build's folder of programs.
    const std::string buildBin = std::string(Q730_BUILD_DIR) + "/bin";
    EXPECT_EQ(ReadFile(installed + "/bin/q730").find(buildBin), std::string::npos);
    for (const char* lib : kLibraries)
        EXPECT_EQ(ReadFile(installed + "/lib/" + lib).find(buildBin), std::string::npos) << lib;

    // Copied away, and the installed folder gone.
    ASSERT_EQ(Shell("mkdir -p elsewhere && cp -a '" + installed + "' '" + moved + "' && rm -rf '" + installed + "'"),
              0);
    const std::string root = TestRootFile("machine");
    const std::string run = "Q730_ROOT='" + root + "' '" + moved + "/bin/q730' ";

    // The sheet shows its pages; the loader says where every library came
    // from.
    ASSERT_EQ(Shell("LD_DEBUG=files " + run + "preferences --png pics --page Setup >prefs.out 2>prefs.err"), 0)
        << ReadFile(TestRootFile("prefs.err"));
    EXPECT_NE(ReadFile(TestRootFile("prefs.out")).find("saved the printing preferences"), std::string::npos);
    EXPECT_TRUE(Exists(TestRootFile("pics/page-01-Setup.png")));
    // Every library of the platform and the driver is loaded (and may be
    // unloaded and loaded again), never two copies of one at a time.
    std::map<std::string, int> live, most;  // file name -> copies loaded now, at most
    std::istringstream lines(ReadFile(TestRootFile("prefs.err")));
    for (std::string line; std::getline(lines, line);) {
        size_t at = line.find("calling init: ");
        bool bInit = at != std::string::npos;
        if (!bInit && (at = line.find("calling fini: ")) == std::string::npos)
            continue;
        std::string path = line.substr(at + 14);
        path = path.substr(0, path.find(' '));
        std::string name = path.substr(path.rfind('/') + 1);
        if (name.rfind("libq730", 0) != 0 && name.rfind("libQ730", 0) != 0)
            continue;
        if (!bInit) {
            --live[name];
            continue;
        }
        most[name] = std::max(most[name], ++live[name]);
        // The platform's libraries from the copied folder; the driver's
        // from the printer-driver folder of the machine it was installed in.
        if (name.rfind("libQ730", 0) == 0)
            EXPECT_EQ(path.rfind(root + "/c/", 0), 0u) << path;
        else
            EXPECT_EQ(path.rfind(moved + "/", 0), 0u) << path;
    }
    for (const char* lib : {"libq730kernel.so", "libq730advapi.so", "libq730gdi.so", "libq730user.so",
                            "libq730comctl.so", "libQ730MVU3.so"})
        EXPECT_EQ(most[lib], 1) << lib;
    for (const auto& [name, times] : most)
        EXPECT_EQ(times, 1) << name << ": " << times << " copies at once";

    // And it prints.
    ASSERT_EQ(Shell(run + "print --output job.prn >print.out 2>print.err"), 0) << ReadFile(TestRootFile("print.err"));
    std::string job = ReadFile(TestRootFile("job.prn"));
    EXPECT_EQ(job.rfind("\x1b%-12345X@PJL", 0), 0u);
    EXPECT_NE(job.find("@PJL ENTER LANGUAGE"), std::string::npos);
    EXPECT_NE(job.find("\nprn;\n"), std::string::npos);
}

}  // namespace
