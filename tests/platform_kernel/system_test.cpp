// System information, clocks and the debug log.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
bool HostIsDir(const std::string& host)
{
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

TEST(SystemFolders, AnswerTheirPathsAndExistInTheRoot)
{
    TestNewRoot();
    struct {
        UINT (*pfn)(LPWSTR, UINT);
        const char16_t* path;
        const char* host;
    } const rows[] = {
        {GetSystemDirectoryW, u"C:\\WINDOWS\\system32", "/c/WINDOWS/system32"},
        {GetWindowsDirectoryW, u"C:\\WINDOWS", "/c/WINDOWS"},
    };
    for (const auto& r : rows) {
        UINT len = (UINT)std::u16string(r.path).size();
        WCHAR buf[MAX_PATH];
        EXPECT_EQ(r.pfn(buf, MAX_PATH), len);
        EXPECT_EQ(std::u16string(buf), r.path);
        EXPECT_TRUE(HostIsDir(TestRootPath() + r.host)) << r.host;
        WCHAR small[8] = {u'#'};
        EXPECT_EQ(r.pfn(small, len), len + 1) << "one unit short: the size with the terminator";
        EXPECT_EQ(small[0], u'#') << "nothing written";
        EXPECT_EQ(r.pfn(nullptr, 0), len + 1);
    }
}

TEST(Version, DefaultIsNt51AndTestsCanChangeIt)
{
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    ASSERT_TRUE(GetVersionExW(&v));
    EXPECT_EQ(v.dwMajorVersion, 5u);
    EXPECT_EQ(v.dwMinorVersion, 1u);
    EXPECT_EQ(v.dwBuildNumber, 2600u);
    EXPECT_EQ(v.dwPlatformId, (DWORD)VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(v.dwOSVersionInfoSize, sizeof(OSVERSIONINFOW));

    OSVERSIONINFOEXW ex{};
    ex.dwOSVersionInfoSize = sizeof(ex);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&ex)));
    EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);

    OSVERSIONINFOW bad{};
    bad.dwOSVersionInfoSize = 100;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExW(&bad));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);

    PlatSetVersion(6, 1, 7601);
    ASSERT_TRUE(GetVersionExW(&v));
    EXPECT_EQ(v.dwMajorVersion, 6u);
    EXPECT_EQ(v.dwMinorVersion, 1u);
    EXPECT_EQ(v.dwBuildNumber, 7601u);
    EXPECT_EQ(GetVersion(), 0x1DB10106u);
    PlatSetVersion(5, 1);
}

TEST(UserAndComputer, NamesFollowTheSizeRules)
{
    PlatSetUserName(u"taro");
    WCHAR buf[32];
    DWORD cch = 32;
    ASSERT_TRUE(GetUserNameW(buf, &cch));
    EXPECT_EQ(std::u16string(buf), u"taro");
    EXPECT_EQ(cch, 5u) << "with the terminator";
    cch = 4;
    SetLastError(0);
    EXPECT_FALSE(GetUserNameW(buf, &cch));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(cch, 5u);
    PlatSetUserName(nullptr);
    cch = 32;
    EXPECT_TRUE(GetUserNameW(buf, &cch));
    EXPECT_GT(cch, 1u) << "the host's user";

    DWORD n = 0;
    EXPECT_FALSE(GetComputerNameW(nullptr, &n));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_BUFFER_OVERFLOW);
    ASSERT_GE(n, 2u);
    ASSERT_LE(n, (DWORD)MAX_COMPUTERNAME_LENGTH + 1);
    DWORD need = n;
    EXPECT_TRUE(GetComputerNameW(buf, &n));
    EXPECT_EQ(n, need - 1) << "without the terminator on success";
    for (DWORD i = 0; i < n; ++i)
        EXPECT_FALSE(buf[i] >= u'a' && buf[i] <= u'z');
}

TEST(Clock, StoppedClockAndFileTimeConversions)
{
    SYSTEMTIME fixed{2026, 12, 0, 31, 23, 59, 58, 500};
    PlatSetLocalTime(&fixed);
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, 2026);
    EXPECT_EQ(now.wMonth, 12);
    EXPECT_EQ(now.wDay, 31);
    EXPECT_EQ(now.wDayOfWeek, 4) << "31 December 2026 is a Thursday";
    EXPECT_EQ(now.wMinute, 59);
    PlatSetLocalTime(nullptr);
    GetLocalTime(&now);
    EXPECT_GE(now.wYear, 2024);

    struct {
        SYSTEMTIME st;
        ULONGLONG ft;
    } const rows[] = {
        {{1601, 1, 1, 1, 0, 0, 0, 0}, 0ULL},
        {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ULL},
        {{2000, 2, 2, 29, 12, 34, 56, 789}, 125963012967890000ULL},
    };
    for (const auto& r : rows) {
        FILETIME ft;
        ASSERT_TRUE(SystemTimeToFileTime(&r.st, &ft));
        EXPECT_EQ(((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime, r.ft) << r.st.wYear;
        SYSTEMTIME back;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(memcmp(&back, &r.st, sizeof(back)), 0) << r.st.wYear;
    }
    SYSTEMTIME bad{2001, 2, 0, 29, 0, 0, 0, 0};
    FILETIME ft;
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft)) << "no 29 February in 2001";
}

TEST(DebugLog, EveryOutputIsOneLineOfUtf8)
{
    PlatClearDebugLog();
    OutputDebugStringW(u"UI:RN_DrvDocumentPropertySheets() Called");
    DbgPrint("%s (%d): %s failed.\n", "xgcmnnt", 57, "_bValidatePDEV");
    OutputDebugStringA("\x83\x65\x83\x58\x83\x67");  // テスト in code page 932
    OutputDebugStringW(u"\u65E5\u672C\n");
    EXPECT_EQ(PlatDebugLog(),
              "UI:RN_DrvDocumentPropertySheets() Called\n"
              "xgcmnnt (57): _bValidatePDEV failed.\n"
              "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\n"
              "\xE6\x97\xA5\xE6\x9C\xAC\n");
    PlatClearDebugLog();
    EXPECT_EQ(PlatDebugLog(), "");
}

// A long job's debug output does not grow the process without bound: the
// log keeps its newest whole lines, about a mebibyte of them.
TEST(DebugLog, KeepsItsNewestLinesOnly)
{
    PlatClearDebugLog();
    const std::string line(99, 'x');
    for (int i = 0; i < 40000; ++i)
        DbgPrint("%05d %s\n", i, line.c_str());
    std::string log = PlatDebugLog();
    EXPECT_LE(log.size(), 1u << 20);
    EXPECT_GE(log.size(), (1u << 20) / 2);
    EXPECT_EQ(log.substr(log.size() - 106), "39999 " + line + "\n");
    EXPECT_EQ(log.size() % 106, 0u) << "only whole lines are dropped";
    EXPECT_EQ(log.find("00000 "), std::string::npos);
    PlatClearDebugLog();
}

TEST(Process, IdsAndTicks)
{
    EXPECT_EQ(GetCurrentProcessId(), (DWORD)getpid());
    EXPECT_NE(GetCurrentThreadId(), 0u);
    DWORD t0 = GetTickCount();
    Sleep(20);
    EXPECT_GE(GetTickCount() - t0, 20u);
}
