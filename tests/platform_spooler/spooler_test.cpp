// The spooler: the installer, the two-call record protocols, printer data
// with type and size, and jobs that reach the port file whole or not at all.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const BYTE kGuard = 0xCD;

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& data)
{
    std::ofstream f(path, std::ios::binary);
    f << data;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Names in a folder (to see that no temporary file is left behind).
std::vector<std::string> Listing(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
                names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

std::u16string W(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

// This build's driver folder and environment, and the other build's: the
// i386 build installs into w32x86 as "Windows NT x86", the native x86-64
// one into x64 as "Windows x64".
const bool k64 = sizeof(void*) == 8;
const char16_t* const kOwnEnv = k64 ? u"Windows x64" : u"Windows NT x86";
const char16_t* const kOtherEnv = k64 ? u"Windows NT x86" : u"Windows x64";
const std::u16string kOwnDir = std::u16string(u"C:\\WINDOWS\\system32\\spool\\drivers\\") + (k64 ? u"x64" : u"w32x86");
const std::u16string kOtherDir =
    std::u16string(u"C:\\WINDOWS\\system32\\spool\\drivers\\") + (k64 ? u"w32x86" : u"x64");
const char16_t* const kEnvKey = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\";

// A root with one installed printer whose port is a host file in the root.
class Spooler : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        libDir = TestRootFile("built");
        mkdir(libDir.c_str(), 0755);
        for (const char* lib : {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"})
            WriteFile(libDir + "/" + lib, std::string("library ") + lib);
        outDir = TestRootFile("out");
        mkdir(outDir.c_str(), 0755);
        port = outDir + "/port.prn";
        ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Office", W(port).c_str(), libDir.c_str()));
        ASSERT_TRUE(OpenPrinterW((LPWSTR)u"QX-730 Office", &h, nullptr));
        PlatFailWritePrinter(0, PLAT_WRITEPRINTER_OK);
        PlatDenyPrinterDataWrites(FALSE);
    }
    void TearDown() override
    {
        if (h)
            ClosePrinter(h);
        PlatFailWritePrinter(0, PLAT_WRITEPRINTER_OK);
        PlatDenyPrinterDataWrites(FALSE);
    }

    // One job of the given writes; the result of EndDocPrinter.
    BOOL PrintJob(const std::vector<std::string>& writes, LPWSTR pOutputFile = nullptr)
    {
        DOC_INFO_1W di = {(LPWSTR)u"test job", pOutputFile, (LPWSTR)u"RAW"};
        EXPECT_NE(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
        EXPECT_TRUE(StartPagePrinter(h));
        for (const std::string& w : writes) {
            DWORD written = 0;
            WritePrinter(h, (LPVOID)w.data(), (DWORD)w.size(), &written);
        }
        EXPECT_TRUE(EndPagePrinter(h));
        return EndDocPrinter(h);
    }

    std::string libDir, outDir, port;
    HANDLE h = nullptr;
};

// ---- installer and records ------------------------------------------------------

TEST_F(Spooler, InstallerPutsTheLibrariesInTheDriverFolder)
{
    std::string dir = PlatHostPath((kOwnDir + u"\\3").c_str());
    for (const char* lib : {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"})
        EXPECT_EQ(ReadFile(dir + "/" + lib), std::string("library ") + lib);
    // A folder without the built libraries installs nothing.
    std::string empty = TestRootFile("empty");
    mkdir(empty.c_str(), 0755);
    EXPECT_FALSE(PlatInstallPrinter(u"Other", u"C:\\x.prn", empty.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    HANDLE h2 = nullptr;
    EXPECT_FALSE(OpenPrinterW((LPWSTR)u"Other", &h2, nullptr));
}

TEST_F(Spooler, InstallingAgainCopiesOnlyTheLibrariesThatChanged)
{
    std::string dir = PlatHostPath((kOwnDir + u"\\3").c_str());
    struct stat before[3], after[3];
    const char* libs[] = {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(stat((dir + "/" + libs[i]).c_str(), &before[i]), 0);
    // A new build of one library: different bytes, a later time.
    WriteFile(libDir + "/libQ730MVG3.so", "library libQ730MVG3.so, rebuilt");
    struct timespec times[2] = {{0, UTIME_OMIT}, {before[1].st_mtim.tv_sec + 10, 0}};
    utimensat(AT_FDCWD, (libDir + "/libQ730MVG3.so").c_str(), times, 0);
    ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Office", W(port).c_str(), libDir.c_str()));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(stat((dir + "/" + libs[i]).c_str(), &after[i]), 0);
    // The unchanged ones are the very files of the first install.
    EXPECT_EQ(after[0].st_ino, before[0].st_ino);
    EXPECT_EQ(after[2].st_ino, before[2].st_ino);
    EXPECT_NE(after[1].st_ino, before[1].st_ino);
    EXPECT_EQ(ReadFile(dir + "/libQ730MVG3.so"), "library libQ730MVG3.so, rebuilt");
    EXPECT_EQ(Listing(dir).size(), 3u);
}

TEST_F(Spooler, OpenPrinterByNameWithoutRegardToCase)
{
    HANDLE h2 = nullptr;
    EXPECT_TRUE(OpenPrinterW((LPWSTR)u"qx-730 OFFICE", &h2, nullptr));
    EXPECT_TRUE(ClosePrinter(h2));
    EXPECT_FALSE(OpenPrinterW((LPWSTR)u"No Such Printer", &h2, nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
    EXPECT_EQ(h2, nullptr);
    EXPECT_FALSE(ClosePrinter((HANDLE)&h2));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

TEST_F(Spooler, ConnectionNamesWithBackslashesAreKeptUnderCommas)
{
    ASSERT_TRUE(PlatInstallPrinter(u"\\\\server\\QX-730", W(port).c_str(), libDir.c_str()));
    HKEY hKey = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\,,server,QX-730", 0, KEY_READ,
                            &hKey),
              ERROR_SUCCESS);
    RegCloseKey(hKey);
    HANDLE h2 = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"\\\\server\\QX-730", &h2, nullptr));
    DWORD needed = 0;
    ASSERT_FALSE(GetPrinterW(h2, 1, nullptr, 0, &needed));
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterW(h2, 1, buf.data(), needed, &needed));
    EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_1W*>(buf.data())->pName), u"\\\\server\\QX-730");
    ClosePrinter(h2);
}

TEST_F(Spooler, PrinterInfoTwoCallProtocolPacksStringsAndDevmodeIntoTheBuffer)
{
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterW(h, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    ASSERT_GT(needed, sizeof(PRINTER_INFO_2W));

    std::vector<BYTE> small(needed - 1, kGuard);
    DWORD needed2 = 0;
    EXPECT_FALSE(GetPrinterW(h, 2, small.data(), (DWORD)small.size(), &needed2));
    EXPECT_EQ(needed2, needed);
    for (BYTE b : small)
        ASSERT_EQ(b, kGuard);

    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterW(h, 2, buf.data(), needed, &needed2));
    const PRINTER_INFO_2W* pi = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
    auto inside = [&](const void* p) { return p >= buf.data() && p < buf.data() + buf.size(); };
    ASSERT_TRUE(inside(pi->pPrinterName) && inside(pi->pPortName) && inside(pi->pDriverName));
    EXPECT_EQ(std::u16string(pi->pPrinterName), u"QX-730 Office");
    EXPECT_EQ(std::u16string(pi->pPortName), W(port));
    EXPECT_EQ(std::u16string(pi->pDriverName), u"QX-730");
    EXPECT_EQ(pi->pDevMode, nullptr) << "no default DEVMODE was stored yet";
    EXPECT_TRUE(pi->Attributes & PRINTER_ATTRIBUTE_LOCAL);

    // A stored default DEVMODE of 220 + 2395 bytes comes back whole.
    std::vector<BYTE> dm(2615);
    for (size_t i = 0; i < dm.size(); ++i)
        dm[i] = (BYTE)(i * 7);
    DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(dm.data());
    pdm->dmSize = 220;
    pdm->dmDriverExtra = 2395;
    PRINTER_INFO_2W set = *pi;
    set.pDevMode = pdm;
    ASSERT_TRUE(SetPrinterW(h, 2, (LPBYTE)&set, 0));
    ASSERT_FALSE(GetPrinterW(h, 2, nullptr, 0, &needed));
    buf.assign(needed, 0);
    ASSERT_TRUE(GetPrinterW(h, 2, buf.data(), needed, &needed));
    pi = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
    ASSERT_TRUE(inside(pi->pDevMode));
    EXPECT_EQ((uintptr_t)pi->pDevMode % 4, 0u);
    EXPECT_EQ(memcmp(pi->pDevMode, dm.data(), dm.size()), 0);
    EXPECT_EQ(std::u16string(pi->pPortName), W(port));

    EXPECT_FALSE(GetPrinterW(h, 5, buf.data(), needed, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
}

TEST_F(Spooler, PrinterInfoLevelOneGivesTheName)
{
    DWORD needed = 0;
    ASSERT_FALSE(GetPrinterW(h, 1, nullptr, 0, &needed));
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterW(h, 1, buf.data(), needed, &needed));
    const PRINTER_INFO_1W* pi = reinterpret_cast<const PRINTER_INFO_1W*>(buf.data());
    EXPECT_EQ(std::u16string(pi->pName), u"QX-730 Office");
    EXPECT_EQ(std::u16string(pi->pDescription), u"QX-730 Office,QX-730,");
}

TEST_F(Spooler, DriverInfoGivesTheDriverFolderUnderTheRoot)
{
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buf.data(), needed, &needed));
    const DRIVER_INFO_2W* di = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data());
    EXPECT_EQ(di->cVersion, 3u);
    EXPECT_EQ(std::u16string(di->pName), u"QX-730");
    EXPECT_EQ(std::u16string(di->pEnvironment), kOwnEnv);
    EXPECT_EQ(std::u16string(di->pDriverPath), kOwnDir + u"\\3\\Q730MVG3.DLL");
    EXPECT_EQ(std::u16string(di->pConfigFile), kOwnDir + u"\\3\\Q730MVU3.DLL");
    EXPECT_EQ(std::u16string(di->pDataFile), kOwnDir + u"\\3\\Q730MVT3.DLL");

    WCHAR dir[MAX_PATH];
    ASSERT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, (LPBYTE)dir, sizeof(dir), &needed));
    EXPECT_EQ(std::u16string(dir), kOwnDir);
    EXPECT_EQ(needed, (DWORD)(std::u16string(dir).size() + 1) * 2);
    EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, (LPBYTE)dir, needed - 2, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

// The driver folder of each environment the spooler knows: the build's own
// for none, named ones for either architecture, nothing for another name.
TEST_F(Spooler, EachEnvironmentHasItsOwnDriverFolder)
{
    struct {
        const char16_t* env;
        const char16_t* dir;  // null: ERROR_INVALID_ENVIRONMENT
    } cases[] = {
        {nullptr, k64 ? u"C:\\WINDOWS\\system32\\spool\\drivers\\x64" : u"C:\\WINDOWS\\system32\\spool\\drivers\\w32x86"},
        {u"", k64 ? u"C:\\WINDOWS\\system32\\spool\\drivers\\x64" : u"C:\\WINDOWS\\system32\\spool\\drivers\\w32x86"},
        {u"Windows NT x86", u"C:\\WINDOWS\\system32\\spool\\drivers\\w32x86"},
        {u"Windows x64", u"C:\\WINDOWS\\system32\\spool\\drivers\\x64"},
        {u"windows x64", u"C:\\WINDOWS\\system32\\spool\\drivers\\x64"},
        {u"Windows IA64", nullptr},
        {u"Windows 4.0", nullptr},
    };
    for (const auto& c : cases) {
        WCHAR dir[MAX_PATH] = {};
        DWORD needed = 0;
        SetLastError(0);
        BOOL b = GetPrinterDriverDirectoryW(nullptr, (LPWSTR)c.env, 1, (LPBYTE)dir, sizeof(dir), &needed);
        if (!c.dir) {
            EXPECT_FALSE(b);
            EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_ENVIRONMENT);
            continue;
        }
        ASSERT_TRUE(b);
        EXPECT_EQ(std::u16string(dir), c.dir);
        struct stat st;
        EXPECT_EQ(stat(PlatHostPath((std::u16string(c.dir) + u"\\3").c_str()).c_str(), &st), 0);
    }
    // The build's own macros say the same.
    EXPECT_EQ(std::u16string(SPL_ENVIRONMENT), kOwnEnv);
    EXPECT_EQ(std::u16string(SPL_DRIVER_DIRECTORY), kOwnDir);
    EXPECT_EQ(std::u16string(SPL_DRIVER_VERSION_DIRECTORY), kOwnDir + u"\\3");
    EXPECT_EQ(std::u16string(SPL_DRIVER_SUBDIRECTORY),
              std::u16string(u"\\spool\\drivers\\") + (k64 ? u"x64" : u"w32x86") + u"\\3");
    EXPECT_EQ(std::u16string(SPL_DRIVERS_KEY), std::u16string(kEnvKey) + kOwnEnv + u"\\Drivers\\Version-3");
}

// A root used by both builds: the other build has installed its libraries
// in its own folder under its own environment. Installing this build's
// never touches them, and each environment answers with its own files.
TEST_F(Spooler, BothBuildsKeepTheirLibrariesApartInOneRoot)
{
    // What the other build would have installed: its libraries and its
    // environment's driver key.
    std::string otherDir = PlatHostPath((kOtherDir + u"\\3").c_str());
    ASSERT_TRUE(CreateDirectoryW(kOtherDir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW((kOtherDir + u"\\3").c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const char* libs[] = {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"};
    for (const char* lib : libs)
        WriteFile(otherDir + "/" + lib, std::string("other build's ") + lib);
    std::u16string otherKey = std::u16string(kEnvKey) + kOtherEnv + u"\\Drivers\\Version-3\\QX-730";
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, otherKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                              nullptr),
              ERROR_SUCCESS);
    const char16_t* files[][2] = {{u"Driver", u"Q730MVG3.DLL"},
                                  {u"Configuration File", u"Q730MVU3.DLL"},
                                  {u"Data File", u"Q730MVT3.DLL"}};
    for (auto& f : files)
        ASSERT_EQ(RegSetValueExW(hKey, f[0], 0, REG_SZ, (const BYTE*)f[1],
                                 (DWORD)(std::u16string(f[1]).size() + 1) * 2),
                  ERROR_SUCCESS);
    DWORD version = 3;
    ASSERT_EQ(RegSetValueExW(hKey, u"Version", 0, REG_DWORD, (const BYTE*)&version, 4), ERROR_SUCCESS);
    RegCloseKey(hKey);

    // This build installs again (a new build of every library).
    for (const char* lib : libs)
        WriteFile(libDir + "/" + lib, std::string("this build's ") + lib);
    ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Office", W(port).c_str(), libDir.c_str()));
    std::string ownDir = PlatHostPath((kOwnDir + u"\\3").c_str());
    EXPECT_NE(ownDir, otherDir);
    for (const char* lib : libs) {
        EXPECT_EQ(ReadFile(ownDir + "/" + lib), std::string("this build's ") + lib);
        EXPECT_EQ(ReadFile(otherDir + "/" + lib), std::string("other build's ") + lib);
    }
    // Nothing else appeared in the other build's folder.
    EXPECT_EQ(Listing(otherDir).size(), 3u);

    // Each environment's record names its own folder.
    for (bool bOwn : {true, false}) {
        LPWSTR env = (LPWSTR)(bOwn ? kOwnEnv : kOtherEnv);
        const std::u16string& dir = bOwn ? kOwnDir : kOtherDir;
        DWORD needed = 0;
        GetPrinterDriverW(h, env, 2, nullptr, 0, &needed);
        std::vector<BYTE> buf(needed ? needed : 1);
        ASSERT_TRUE(GetPrinterDriverW(h, env, 2, buf.data(), needed, &needed)) << bOwn;
        const DRIVER_INFO_2W* di = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data());
        EXPECT_EQ(std::u16string(di->pEnvironment), std::u16string(env));
        EXPECT_EQ(std::u16string(di->pDriverPath), dir + u"\\3\\Q730MVG3.DLL");
        EXPECT_EQ(std::u16string(di->pConfigFile), dir + u"\\3\\Q730MVU3.DLL");
    }
    // No environment given: this build's.
    DWORD needed = 0;
    GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed ? needed : 1);
    ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buf.data(), needed, &needed));
    EXPECT_EQ(std::u16string(reinterpret_cast<const DRIVER_INFO_2W*>(buf.data())->pDriverPath),
              kOwnDir + u"\\3\\Q730MVG3.DLL");
    EXPECT_FALSE(GetPrinterDriverW(h, (LPWSTR)u"Windows IA64", 2, buf.data(), needed, &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_ENVIRONMENT);
}

// A printer that the other build installed, in a root this build has not
// installed its driver into: the driver is unknown for this environment
// (its files are the other build's, never to be loaded here) until this
// build installs its own.
TEST_F(Spooler, ADriverOfTheOtherEnvironmentOnlyIsNotThisBuildsDriver)
{
    std::u16string ownKey = std::u16string(kEnvKey) + kOwnEnv + u"\\Drivers\\Version-3";
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, ownKey.c_str(), 0, KEY_ALL_ACCESS, &hKey), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyW(hKey, u"QX-730"), ERROR_SUCCESS);
    RegCloseKey(hKey);
    DWORD needed = 0;
    BYTE buf[1024];
    EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, buf, sizeof(buf), &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_FALSE(GetPrinterDriverW(h, (LPWSTR)kOtherEnv, 2, buf, sizeof(buf), &needed));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_UNKNOWN_PRINTER_DRIVER);
    ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Office", W(port).c_str(), libDir.c_str()));
    EXPECT_TRUE(GetPrinterDriverW(h, nullptr, 2, buf, sizeof(buf), &needed));
}

// ---- printer data ---------------------------------------------------------------

struct DataCase {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
};

class SpoolerData : public Spooler, public testing::WithParamInterface<DataCase> {};

TEST_P(SpoolerData, RoundTripKeepsTypeAndSizeAndNeverOverruns)
{
    const DataCase& c = GetParam();
    std::u16string name = W(c.name);
    PlatResetSpoolerCounters();
    ASSERT_EQ(SetPrinterDataW(h, (LPWSTR)name.c_str(), c.type, (LPBYTE)c.data.data(), (DWORD)c.data.size()),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(PlatSetPrinterDataCalls(), 1u);

    DWORD type = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataW(h, (LPWSTR)name.c_str(), &type, nullptr, 0, &needed), (DWORD)ERROR_MORE_DATA);
    EXPECT_EQ(needed, c.data.size());
    std::vector<BYTE> small(c.data.size() - 1 + 8, kGuard);
    EXPECT_EQ(GetPrinterDataW(h, (LPWSTR)name.c_str(), &type, small.data(), (DWORD)c.data.size() - 1, &needed),
              (DWORD)ERROR_MORE_DATA);
    for (BYTE b : small)
        ASSERT_EQ(b, kGuard);

    std::vector<BYTE> buf(c.data.size() + 8, kGuard);
    ASSERT_EQ(GetPrinterDataW(h, (LPWSTR)name.c_str(), &type, buf.data(), (DWORD)buf.size(), &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(needed, c.data.size());
    EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), buf.begin()));
    EXPECT_EQ(buf[c.data.size()], kGuard);

    // Another handle (as another part of the driver would open) sees it too.
    HANDLE h2 = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"QX-730 Office", &h2, nullptr));
    EXPECT_EQ(GetPrinterDataW(h2, (LPWSTR)name.c_str(), &type, buf.data(), (DWORD)buf.size(), &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(DeletePrinterDataW(h2, (LPWSTR)name.c_str()), (DWORD)ERROR_SUCCESS);
    ClosePrinter(h2);
    EXPECT_EQ(GetPrinterDataW(h, (LPWSTR)name.c_str(), &type, buf.data(), (DWORD)buf.size(), &needed),
              (DWORD)ERROR_FILE_NOT_FOUND);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SpoolerData,
    testing::Values(DataCase{"RNOVA NT", REG_BINARY, std::vector<BYTE>(2615, 0xA5)},
                    DataCase{"UDPaper3", REG_BINARY, std::vector<BYTE>(44, 0x21)},
                    DataCase{"SPLUserModePrinterDriver", REG_SZ,
                             {'Q', 0, '7', 0, '3', 0, '0', 0, 'M', 0, 'V', 0, 'F', 0, '1', 0, '.', 0, 'D', 0, 'L',
                              0, 'L', 0, 0, 0}},
                    DataCase{"DUMMY", REG_DWORD, {0, 0, 0, 0}}),
    [](const testing::TestParamInfo<DataCase>& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum((unsigned char)ch))
                ch = '_';
        return n;
    });

TEST_F(Spooler, PrinterDataIsTheRegistryKeyOfThePrinter)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\QX-730 Office\\PrinterDriverData",
                            0, KEY_ALL_ACCESS, &hKey),
              ERROR_SUCCESS);
    const char16_t value[] = u"Q730MVF1.DLL";
    ASSERT_EQ(RegSetValueExW(hKey, u"SPLUserModePrinterDriver", 0, REG_SZ, (const BYTE*)value, sizeof(value)),
              ERROR_SUCCESS);
    RegCloseKey(hKey);
    WCHAR buf[64];
    DWORD type = 0, needed = 0;
    ASSERT_EQ(GetPrinterDataW(h, (LPWSTR)u"SPLUserModePrinterDriver", &type, (LPBYTE)buf, 128, &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(buf), u"Q730MVF1.DLL");
    EXPECT_EQ(needed, sizeof(value));
    EXPECT_EQ(GetPrinterDataW(h, (LPWSTR)u"Missing", &type, (LPBYTE)buf, 128, &needed), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST_F(Spooler, DirectoryValuesGoBesideThePrinterData)
{
    BYTE yes = 1;
    ASSERT_EQ(SetPrinterDataExW(h, u"DsDriver", u"printStaplingSupported", REG_BINARY, &yes, 1),
              (DWORD)ERROR_SUCCESS);
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\QX-730 Office\\DsDriver", 0,
                            KEY_READ, &hKey),
              ERROR_SUCCESS);
    BYTE got = 0;
    DWORD cb = 1, type = 0;
    EXPECT_EQ(RegQueryValueExW(hKey, u"printStaplingSupported", nullptr, &type, &got, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_BINARY);
    EXPECT_EQ(got, 1);
    RegCloseKey(hKey);
    DWORD needed = 0;
    EXPECT_EQ(GetPrinterDataExW(h, u"dsdriver", u"printStaplingSupported", &type, &got, 1, &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(GetPrinterDataW(h, (LPWSTR)u"printStaplingSupported", &type, &got, 1, &needed),
              (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST_F(Spooler, SetPrinterDataExIsFoundAtRunTimeInTheSpoolerModule)
{
    WCHAR sys[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(sys, MAX_PATH), 0u);
    std::u16string path = std::u16string(sys) + u"\\WINSPOOL.DRV";
    HMODULE hSpool = LoadLibraryW(path.c_str());
    ASSERT_NE(hSpool, nullptr);
    typedef DWORD (*PFN_SETEX)(HANDLE, LPCWSTR, LPCWSTR, DWORD, LPBYTE, DWORD);
    PFN_SETEX pfn = reinterpret_cast<PFN_SETEX>(GetProcAddress(hSpool, "SetPrinterDataExW"));
    ASSERT_NE(pfn, nullptr);
    BYTE no = 0;
    EXPECT_EQ(pfn(h, u"DsDriver", u"printDuplexSupported", REG_BINARY, &no, 1), (DWORD)ERROR_SUCCESS);
    BYTE got = 0xFF;
    DWORD type = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataExW(h, u"DsDriver", u"printDuplexSupported", &type, &got, 1, &needed),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(needed, 1u);
    FreeLibrary(hSpool);
}

TEST_F(Spooler, DeniedPrinterDataWritesChangeNothing)
{
    BYTE data[4] = {1, 2, 3, 4};
    PlatDenyPrinterDataWrites(TRUE);
    EXPECT_EQ(SetPrinterDataW(h, (LPWSTR)u"DUMMY", REG_DWORD, data, 4), (DWORD)ERROR_ACCESS_DENIED);
    DWORD needed = 0;
    EXPECT_EQ(GetPrinterDataW(h, (LPWSTR)u"DUMMY", nullptr, data, 4, &needed), (DWORD)ERROR_FILE_NOT_FOUND);
    PlatDenyPrinterDataWrites(FALSE);

    // The same through the registry's own denial of the key.
    PlatRegDenyAccess(HKEY_LOCAL_MACHINE,
                      u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\QX-730 Office\\PrinterDriverData", TRUE);
    EXPECT_EQ(SetPrinterDataW(h, (LPWSTR)u"DUMMY", REG_DWORD, data, 4), (DWORD)ERROR_ACCESS_DENIED);
    PlatRegClearDenials();
}

// ---- jobs ----------------------------------------------------------------------

TEST_F(Spooler, JobBytesReachThePortFileIntactAndOnlyAtEndDoc)
{
    WriteFile(port, "previous job");
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back((char)i);
    std::string big(1 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (char)(i * 31 + 7);

    DOC_INFO_1W di = {(LPWSTR)u"doc", nullptr, nullptr};
    DWORD job = StartDocPrinterW(h, 1, (LPBYTE)&di);
    ASSERT_NE(job, 0u);
    EXPECT_EQ(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u) << "one job at a time on a handle";
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(h, (LPVOID)"\x1b%-12345X@PJL\r\n", 15, &written));
    EXPECT_EQ(written, 15u);
    ASSERT_TRUE(WritePrinter(h, (LPVOID)all.data(), (DWORD)all.size(), &written));
    ASSERT_TRUE(WritePrinter(h, (LPVOID)"", 0, &written));
    EXPECT_EQ(written, 0u);
    ASSERT_TRUE(WritePrinter(h, (LPVOID)big.data(), (DWORD)big.size(), &written));
    EXPECT_EQ(ReadFile(port), "previous job") << "the port keeps the old job until EndDoc";
    ASSERT_TRUE(EndDocPrinter(h));

    EXPECT_EQ(ReadFile(port), std::string("\x1b%-12345X@PJL\r\n") + all + big);
    EXPECT_EQ(Listing(outDir), std::vector<std::string>{"port.prn"});
}

TEST_F(Spooler, FailedWriteLeavesTheOldPortFileAndNoTemporaryFile)
{
    WriteFile(port, "good job");
    PlatFailWritePrinter(2, PLAT_WRITEPRINTER_FAIL);
    DOC_INFO_1W di = {(LPWSTR)u"doc", nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
    DWORD written = 99;
    EXPECT_TRUE(WritePrinter(h, (LPVOID)"first", 5, &written));
    EXPECT_FALSE(WritePrinter(h, (LPVOID)"second", 6, &written));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_WRITE_FAULT);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(WritePrinter(h, (LPVOID)"third", 5, &written)) << "the switch fires once";
    EXPECT_FALSE(EndDocPrinter(h)) << "a job with a lost write is not reported as printed";
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_WRITE_FAULT);
    EXPECT_EQ(ReadFile(port), "good job");
    EXPECT_EQ(Listing(outDir), std::vector<std::string>{"port.prn"});
}

TEST_F(Spooler, ManySmallWritesArriveWholeAndInOrder)
{
    // Records of a few kilobytes, as a driver writes a page, well past what
    // the spooler gathers before writing to the file, with one large write
    // among them.
    DOC_INFO_1W di = {(LPWSTR)u"doc", nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        std::string rec((size_t)(1 + (i * 977) % 4092), (char)('a' + i % 26));
        if (i == 100)
            rec.assign(200000, 'Z');
        DWORD written = 0;
        ASSERT_TRUE(WritePrinter(h, (LPVOID)rec.data(), (DWORD)rec.size(), &written));
        EXPECT_EQ(written, (DWORD)rec.size());
        expected += rec;
    }
    ASSERT_TRUE(EndDocPrinter(h));
    EXPECT_EQ(ReadFile(port), expected);
}

TEST_F(Spooler, AFileWriteThatFailsAtTheEndFailsTheJob)
{
    // Small writes reach the file only at EndDocPrinter: a full disk there
    // is the job's failure, not a printed job.
    WriteFile(port, "good job");
    DOC_INFO_1W di = {(LPWSTR)u"doc", nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(h, (LPVOID)"small", 5, &written));
    PlatFailWriteFile(1, FALSE);
    EXPECT_FALSE(EndDocPrinter(h));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
    PlatFailWriteFile(0, FALSE);
    EXPECT_EQ(ReadFile(port), "good job");
    EXPECT_EQ(Listing(outDir), std::vector<std::string>{"port.prn"});
    EXPECT_FALSE(EndDocPrinter(h)) << "the job is over";
}

TEST_F(Spooler, AFileWriteThatFailsMidJobFailsTheJob)
{
    WriteFile(port, "good job");
    DOC_INFO_1W di = {(LPWSTR)u"doc", nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
    std::string rec(4000, 'r');
    PlatFailWriteFile(1, TRUE);
    BOOL bAllOk = TRUE;
    // 640 KB: more than the spooler gathers before its first file write.
    for (int i = 0; i < 160; ++i) {
        DWORD written = 0;
        bAllOk = WritePrinter(h, (LPVOID)rec.data(), (DWORD)rec.size(), &written) && bAllOk;
    }
    PlatFailWriteFile(0, FALSE);
    EXPECT_FALSE(bAllOk) << "the write that reached the full disk reports it";
    EXPECT_FALSE(EndDocPrinter(h));
    EXPECT_EQ(ReadFile(port), "good job");
}

TEST_F(Spooler, ShortWriteReportsWhatWasWrittenAndARetryCompletesTheJob)
{
    PlatFailWritePrinter(1, PLAT_WRITEPRINTER_SHORT);
    DOC_INFO_1W di = {(LPWSTR)u"doc", nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
    std::string data = "0123456789";
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(h, (LPVOID)data.data(), 10, &written));
    ASSERT_EQ(written, 5u);
    ASSERT_TRUE(WritePrinter(h, (LPVOID)(data.data() + written), 10 - written, &written));
    EXPECT_EQ(written, 5u);
    ASSERT_TRUE(EndDocPrinter(h));
    EXPECT_EQ(ReadFile(port), data);
}

TEST_F(Spooler, AbortedOrUnfinishedJobsLeaveThePortAlone)
{
    WriteFile(port, "good job");
    for (int closeInstead = 0; closeInstead < 2; ++closeInstead) {
        DOC_INFO_1W di = {(LPWSTR)u"doc", nullptr, nullptr};
        ASSERT_NE(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
        DWORD written = 0;
        ASSERT_TRUE(WritePrinter(h, (LPVOID)"partial", 7, &written));
        if (closeInstead) {
            EXPECT_TRUE(ClosePrinter(h));
            h = nullptr;
        } else {
            EXPECT_TRUE(AbortPrinter(h));
            EXPECT_FALSE(EndDocPrinter(h));
            EXPECT_EQ(GetLastError(), (DWORD)ERROR_SPL_NO_STARTDOC);
        }
        EXPECT_EQ(ReadFile(port), "good job");
        EXPECT_EQ(Listing(outDir), std::vector<std::string>{"port.prn"});
    }
}

TEST_F(Spooler, WritesWithoutAJobFail)
{
    DWORD written = 0;
    EXPECT_FALSE(WritePrinter(h, (LPVOID)"x", 1, &written));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SPL_NO_STARTDOC);
    EXPECT_FALSE(StartPagePrinter(h));
    EXPECT_FALSE(AbortPrinter(h));
}

TEST_F(Spooler, OutputFileOfTheJobAndWindowsPathPorts)
{
    mkdir(TestRootFile("c").c_str(), 0755);
    ASSERT_TRUE(PrintJob({"to file"}, (LPWSTR)u"C:\\job.prn"));
    EXPECT_EQ(ReadFile(PlatHostPath(u"C:\\job.prn")), "to file");
    EXPECT_FALSE(Exists(port)) << "the port is not touched by a job printed to a file";

    DOC_INFO_1W di = {(LPWSTR)u"doc", (LPWSTR)u"C:\\missing folder\\job.prn", nullptr};
    EXPECT_EQ(StartDocPrinterW(h, 1, (LPBYTE)&di), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
}

}  // namespace
