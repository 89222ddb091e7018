// Files: path mapping, share modes, dispositions, attributes, temporary
// names, searches and bad handles.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

std::string U8(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out += c < 0x80 ? (char)c : '?';
    return out;
}

bool HostExists(const std::string& host)
{
    struct stat st;
    return stat(host.c_str(), &st) == 0;
}

std::string HostRead(const std::string& host)
{
    std::ifstream f(host, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

HANDLE Open(const char16_t* path, DWORD access, DWORD share, DWORD disp = OPEN_EXISTING, DWORD flags = 0)
{
    return CreateFileW(path, access, share, nullptr, disp, flags ? flags : FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Put(const char16_t* path, const std::string& bytes)
{
    HANDLE h = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << U8(path);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr));
    CloseHandle(h);
}

class Files : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        mkdir((TestRootPath() + "/c").c_str(), 0777);
        ASSERT_TRUE(CreateDirectoryW(u"C:\\work", nullptr));
    }
};

}  // namespace

TEST_F(Files, WindowsPathsMapIntoTheRoot)
{
    std::string root = TestRootPath();
    mkdir((root + "/c/WINDOWS").c_str(), 0777);
    mkdir((root + "/c/WINDOWS/Temp").c_str(), 0777);
    struct {
        const char16_t* win;
        std::string host;  // relative to the root unless it starts with "/"
    } const rows[] = {
        {u"C:\\WINDOWS\\TEMP\\a.txt", "c/WINDOWS/Temp/a.txt"},
        {u"c:/windows/temp/A.TXT", "c/WINDOWS/Temp/A.TXT"},
        {u"\\\\?\\C:\\Windows\\x", "c/WINDOWS/x"},
        {u"D:\\data\\f", "d/data/f"},
        {u"C:\\WINDOWS\\..\\..\\x", "c/x"},
        {u"C:\\a\\.\\b\\\\c\\", "c/a/b/c"},
        {u"relative\\f.ini", "c/relative/f.ini"},
        {u"\\rooted\\f", "c/rooted/f"},
        {u"C:\\work\\name. ", "c/work/name"},
        {u"\\\\server\\share\\f", "unc/server/share/f"},
        {u"C:", "c"},
        {u"/tmp/q730-elsewhere/y", "/tmp/q730-elsewhere/y"},
    };
    for (const auto& r : rows) {
        std::string want = r.host[0] == '/' ? r.host : root + "/" + r.host;
        EXPECT_EQ(PlatHostPath(r.win), want) << U8(r.win);
    }
    EXPECT_EQ(PlatHostPath(nullptr), "");
    EXPECT_EQ(PlatHostPath(u""), "");
}

TEST_F(Files, ShareModesBetweenOpenHandles)
{
    Put(u"C:\\work\\s.txt", "data");
    const DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    struct {
        DWORD acc1, share1, acc2, share2;
        bool bOk;
    } const rows[] = {
        {R, SR, R, SR, true},
        {R, SR, W, SR | SW, false},     // the first does not share writing
        {W, 0, R, SR | SW, false},      // the first shares nothing
        {R, SR | SW, W, SR, true},
        {R, SR, R, 0, false},           // the second would refuse the first's reading
        {R, 0, 0, 0, true},             // attributes only never conflict
        {R | W, SR | SW, R | W, SR | SW, true},
        {W, SR, R, SR, false},          // the second would refuse the first's writing
        {DELETE, FILE_SHARE_DELETE | SR, R, SR, false},
    };
    for (const auto& r : rows) {
        HANDLE h1 = Open(u"C:\\work\\s.txt", r.acc1, r.share1);
        ASSERT_NE(h1, INVALID_HANDLE_VALUE);
        SetLastError(0);
        HANDLE h2 = Open(u"c:\\WORK\\S.TXT", r.acc2, r.share2);
        if (r.bOk) {
            EXPECT_NE(h2, INVALID_HANDLE_VALUE) << std::hex << r.acc1 << "/" << r.share1 << " then " << r.acc2
                                                << "/" << r.share2;
            CloseHandle(h2);
        } else {
            EXPECT_EQ(h2, INVALID_HANDLE_VALUE) << std::hex << r.acc1 << "/" << r.share1 << " then " << r.acc2
                                                << "/" << r.share2;
            EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
        }
        CloseHandle(h1);
        HANDLE h3 = Open(u"C:\\work\\s.txt", r.acc2, r.share2);
        EXPECT_NE(h3, INVALID_HANDLE_VALUE) << "free again once the first handle is closed";
        CloseHandle(h3);
    }
}

TEST_F(Files, DeleteNeedsShareDeleteFromOpenHandles)
{
    Put(u"C:\\work\\d.txt", "x");
    HANDLE h = Open(u"C:\\work\\d.txt", GENERIC_READ, FILE_SHARE_READ);
    EXPECT_FALSE(DeleteFileW(u"C:\\work\\d.txt"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileW(u"C:\\work\\d.txt", u"C:\\work\\e.txt"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    CloseHandle(h);
    h = Open(u"C:\\work\\d.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE);
    EXPECT_TRUE(DeleteFileW(u"C:\\work\\d.txt"));
    CloseHandle(h);
    EXPECT_EQ(GetFileAttributesW(u"C:\\work\\d.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, CreationDispositions)
{
    Put(u"C:\\work\\old.txt", "12345");
    struct {
        const char16_t* path;
        DWORD disp;
        DWORD err;     // last error after the call
        bool bOk;
        DWORD size;    // file size after opening
    } const rows[] = {
        {u"C:\\work\\old.txt", CREATE_NEW, ERROR_FILE_EXISTS, false, 0},
        {u"C:\\work\\old.txt", OPEN_EXISTING, NO_ERROR, true, 5},
        {u"C:\\work\\old.txt", OPEN_ALWAYS, ERROR_ALREADY_EXISTS, true, 5},
        {u"C:\\work\\new1.txt", OPEN_EXISTING, ERROR_FILE_NOT_FOUND, false, 0},
        {u"C:\\nodir\\new1.txt", OPEN_EXISTING, ERROR_PATH_NOT_FOUND, false, 0},
        {u"C:\\nodir\\new1.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND, false, 0},
        {u"C:\\work\\new2.txt", OPEN_ALWAYS, NO_ERROR, true, 0},
        {u"C:\\work\\new3.txt", CREATE_NEW, NO_ERROR, true, 0},
        {u"C:\\work\\new4.txt", TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND, false, 0},
        {u"C:\\work\\old.txt", CREATE_ALWAYS, ERROR_ALREADY_EXISTS, true, 0},
    };
    for (const auto& r : rows) {
        SetLastError(12345);
        HANDLE h = Open(r.path, GENERIC_READ | GENERIC_WRITE, 0, r.disp);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, r.bOk) << U8(r.path) << " disposition " << r.disp;
        EXPECT_EQ(GetLastError(), r.err) << U8(r.path) << " disposition " << r.disp;
        if (h != INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetFileSize(h, nullptr), r.size) << U8(r.path) << " disposition " << r.disp;
            CloseHandle(h);
        }
    }
    Put(u"C:\\work\\t.txt", "abc");
    HANDLE h = Open(u"C:\\work\\t.txt", GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
}

TEST_F(Files, ReadWriteSeekAndEndOfFile)
{
    HANDLE h = Open(u"C:\\work\\rw.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
    char buf[16] = {0};
    EXPECT_TRUE(ReadFile(h, buf, 3, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "234");
    EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_END), 8u);
    EXPECT_TRUE(ReadFile(h, buf, 16, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "89");
    EXPECT_TRUE(ReadFile(h, buf, 16, &n, nullptr));
    EXPECT_EQ(n, 0u) << "end of file reads nothing and succeeds";
    EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 4u);
    EXPECT_TRUE(FlushFileBuffers(h));
    BY_HANDLE_FILE_INFORMATION info;
    EXPECT_TRUE(GetFileInformationByHandle(h, &info));
    EXPECT_EQ(info.nFileSizeLow, 4u);
    EXPECT_EQ(info.nNumberOfLinks, 1u);
    EXPECT_NE(info.ftLastWriteTime.dwHighDateTime, 0u);
    CloseHandle(h);
    EXPECT_EQ(HostRead(PlatHostPath(u"C:\\work\\rw.bin")), "0123");

    h = Open(u"C:\\work\\rw.bin", GENERIC_READ, FILE_SHARE_READ);
    EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    CloseHandle(h);
}

TEST_F(Files, ReadOnlyAttributeIsEnforcedAndCopied)
{
    Put(u"C:\\work\\ro.txt", "keep");
    EXPECT_EQ(GetFileAttributesW(u"C:\\work\\ro.txt"), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\work\\ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(u"C:\\work\\ro.txt"), (DWORD)(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    EXPECT_EQ(Open(u"C:\\work\\ro.txt", GENERIC_WRITE, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeleteFileW(u"C:\\work\\ro.txt"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);

    EXPECT_TRUE(CopyFileW(u"C:\\work\\ro.txt", u"C:\\work\\copy.txt", TRUE));
    EXPECT_TRUE(GetFileAttributesW(u"C:\\work\\copy.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(HostRead(PlatHostPath(u"C:\\work\\copy.txt")), "keep");
    EXPECT_FALSE(CopyFileW(u"C:\\work\\ro.txt", u"C:\\work\\copy.txt", TRUE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_EXISTS);
    EXPECT_FALSE(CopyFileW(u"C:\\work\\ro.txt", u"C:\\work\\copy.txt", FALSE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED) << "a read-only target is not overwritten";

    ASSERT_TRUE(SetFileAttributesW(u"C:\\work\\copy.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"C:\\work\\copy.txt"), (DWORD)FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(DeleteFileW(u"C:\\work\\copy.txt"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\work"), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Files, FolderWithoutWritePermissionRefusesNewFiles)
{
    ASSERT_TRUE(CreateDirectoryW(u"C:\\work\\locked", nullptr));
    chmod(PlatHostPath(u"C:\\work\\locked").c_str(), 0555);
    EXPECT_EQ(Open(u"C:\\work\\locked\\vemvem24.tmp", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    chmod(PlatHostPath(u"C:\\work\\locked").c_str(), 0755);
}

TEST_F(Files, TempPathAndTempFileNames)
{
    WCHAR path[MAX_PATH];
    EXPECT_EQ(GetTempPathW(MAX_PATH, path), 16u);
    EXPECT_EQ(std::u16string(path), u"C:\\WINDOWS\\TEMP\\");
    EXPECT_TRUE(HostExists(TestRootPath() + "/c/WINDOWS/TEMP"));
    WCHAR small[4] = {u'x', 0, 0, 0};
    EXPECT_EQ(GetTempPathW(4, small), 17u) << "too small: the size needed with the terminator";
    EXPECT_EQ(small[0], u'x');

    WCHAR name1[MAX_PATH], name2[MAX_PATH];
    UINT n1 = GetTempFileNameW(path, u"xpbLONG", 0, name1);
    UINT n2 = GetTempFileNameW(path, u"xpb", 0, name2);
    ASSERT_NE(n1, 0u);
    ASSERT_NE(n2, 0u);
    EXPECT_NE(n1, n2);
    char expect[64];
    snprintf(expect, sizeof(expect), "C:\\WINDOWS\\TEMP\\xpb%04X.TMP", n1);
    EXPECT_EQ(U8(name1), expect);
    struct stat st;
    ASSERT_EQ(stat(PlatHostPath(name1).c_str(), &st), 0) << "number 0 creates the file";
    EXPECT_EQ(st.st_size, 0);

    WCHAR name3[MAX_PATH];
    EXPECT_EQ(GetTempFileNameW(u"C:\\WINDOWS\\TEMP", u"eco", 0x1A2B, name3), 0x1A2Bu);
    EXPECT_EQ(std::u16string(name3), u"C:\\WINDOWS\\TEMP\\eco1A2B.TMP");
    EXPECT_FALSE(HostExists(PlatHostPath(name3))) << "a given number only forms the name";

    EXPECT_EQ(GetTempFileNameW(u"C:\\missing", u"spl", 0, name3), 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIRECTORY);
}

TEST_F(Files, FindMatchesWildcardsWithoutRegardToCase)
{
    for (const char16_t* f : {u"C:\\work\\Alpha.txt", u"C:\\work\\beta.TXT", u"C:\\work\\gamma.dat", u"C:\\work\\noext"})
        Put(f, "x");
    CreateDirectoryW(u"C:\\work\\Sub", nullptr);
    struct {
        const char16_t* pattern;
        std::vector<std::string> names;
    } const rows[] = {
        {u"C:\\work\\*.txt", {"Alpha.txt", "beta.TXT"}},
        {u"C:\\work\\?ETA.*", {"beta.TXT"}},
        {u"C:\\work\\*.*", {".", "..", "Alpha.txt", "beta.TXT", "gamma.dat", "noext", "Sub"}},
        {u"C:\\work\\*", {".", "..", "Alpha.txt", "beta.TXT", "gamma.dat", "noext", "Sub"}},
        {u"C:\\work\\noext.*", {"noext"}},
        {u"c:/WORK/ALPHA.TXT", {"Alpha.txt"}},
        {u"C:\\work\\*a*", {"Alpha.txt", "beta.TXT", "gamma.dat"}},
        {u"C:\\work\\g?mma.d?t", {"gamma.dat"}},
    };
    for (const auto& r : rows) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(r.pattern, &fd);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << U8(r.pattern);
        std::vector<std::string> got;
        do
            got.push_back(U8(fd.cFileName));
        while (FindNextFileW(h, &fd));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(h));
        EXPECT_EQ(got, r.names) << U8(r.pattern);
    }
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(u"C:\\work\\Sub", &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fd.dwFileAttributes, (DWORD)FILE_ATTRIBUTE_DIRECTORY);
    FindClose(h);
    h = FindFirstFileW(u"C:\\work\\gamma.dat", &fd);
    EXPECT_EQ(fd.nFileSizeLow, 1u);
    FindClose(h);

    EXPECT_EQ(FindFirstFileW(u"C:\\work\\*.none", &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(u"C:\\nowhere\\*", &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
}

TEST_F(Files, DeleteOnCloseRemovesTheFileWithItsLastHandle)
{
    HANDLE h1 = Open(u"C:\\work\\tmp.spl", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(h1, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(GetFileAttributesW(u"C:\\work\\tmp.spl") & FILE_ATTRIBUTE_TEMPORARY);
    HANDLE h2 = Open(u"C:\\work\\tmp.spl", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_NE(h2, INVALID_HANDLE_VALUE);
    CloseHandle(h1);
    EXPECT_NE(GetFileAttributesW(u"C:\\work\\tmp.spl"), INVALID_FILE_ATTRIBUTES) << "still open";
    CloseHandle(h2);
    EXPECT_EQ(GetFileAttributesW(u"C:\\work\\tmp.spl"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, MoveRenameAndFolders)
{
    Put(u"C:\\work\\a.txt", "A");
    Put(u"C:\\work\\b.txt", "B");
    EXPECT_FALSE(MoveFileW(u"C:\\work\\a.txt", u"C:\\work\\b.txt"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(MoveFileExW(u"C:\\work\\a.txt", u"C:\\work\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(HostRead(PlatHostPath(u"C:\\work\\b.txt")), "A");
    EXPECT_TRUE(MoveFileW(u"C:\\work\\b.txt", u"C:\\work\\B.TXT")) << "a change of case only";
    EXPECT_TRUE(HostExists(TestRootPath() + "/c/work/B.TXT"));
    EXPECT_FALSE(HostExists(TestRootPath() + "/c/work/b.txt"));
    EXPECT_FALSE(MoveFileW(u"C:\\work\\none.txt", u"C:\\work\\x.txt"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

    EXPECT_FALSE(CreateDirectoryW(u"C:\\work", nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(u"C:\\no\\deeper", nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\work"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\work\\B.TXT"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIRECTORY);
    EXPECT_TRUE(CreateDirectoryW(u"C:\\work\\empty", nullptr));
    EXPECT_TRUE(RemoveDirectoryW(u"C:\\WORK\\EMPTY"));
}

TEST_F(Files, FullPathNames)
{
    struct {
        const char16_t* in;
        const char16_t* out;
        int filePart;  // offset of the file part, -1 for none
    } const rows[] = {
        {u"C:\\a\\b\\..\\c.txt", u"C:\\a\\c.txt", 5},
        {u"c:/x/./y", u"C:\\x\\y", 5},
        {u"rel\\f.ini", u"C:\\rel\\f.ini", 7},
        {u"\\top", u"C:\\top", 3},
        {u"D:\\dir\\", u"D:\\dir\\", -1},
        {u"C:\\", u"C:\\", -1},
        {u"\\\\srv\\share\\f", u"\\\\srv\\share\\f", 12},
    };
    for (const auto& r : rows) {
        WCHAR buf[MAX_PATH];
        LPWSTR part = reinterpret_cast<LPWSTR>(1);
        DWORD n = GetFullPathNameW(r.in, MAX_PATH, buf, &part);
        EXPECT_EQ(std::u16string(buf), r.out) << U8(r.in);
        EXPECT_EQ(n, std::u16string(r.out).size()) << U8(r.in);
        if (r.filePart < 0)
            EXPECT_EQ(part, nullptr) << U8(r.in);
        else
            EXPECT_EQ(part, buf + r.filePart) << U8(r.in);
    }
    WCHAR tiny[3];
    EXPECT_EQ(GetFullPathNameW(u"C:\\abc", 3, tiny, nullptr), 7u);
}

TEST_F(Files, WriteFailureSwitchFailsOneWriteAsADiskFull)
{
    struct {
        LONG n;
        BOOL bShort;
        std::string bytes;  // the file after three writes of "abcd"
        int failed;         // which write failed (1-based)
    } const rows[] = {
        {1, FALSE, "abcdabcd", 1},
        {2, TRUE, "abcdababcd", 2},
        {3, FALSE, "abcdabcd", 3},
    };
    for (const auto& r : rows) {
        HANDLE h = Open(u"C:\\work\\full.bin", GENERIC_WRITE, 0, CREATE_ALWAYS);
        PlatFailWriteFile(r.n, r.bShort);
        for (int i = 1; i <= 3; ++i) {
            DWORD n = 99;
            SetLastError(0);
            BOOL ok = WriteFile(h, "abcd", 4, &n, nullptr);
            EXPECT_EQ(ok, i != r.failed) << "write " << i;
            if (i == r.failed) {
                EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
                EXPECT_EQ(n, r.bShort ? 2u : 0u) << "the count tells what reached the file";
            }
        }
        CloseHandle(h);
        EXPECT_EQ(HostRead(PlatHostPath(u"C:\\work\\full.bin")), r.bytes) << r.n;
    }
    PlatFailWriteFile(0, FALSE);
}

TEST_F(Files, BadHandlesNeverCrash)
{
    HANDLE h = Open(u"C:\\work\\h.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_TRUE(CloseHandle(h));
    HANDLE bad[] = {h, INVALID_HANDLE_VALUE, nullptr, reinterpret_cast<HANDLE>(0x7777)};
    char buf[4];
    DWORD n = 99;
    for (HANDLE b : bad) {
        SetLastError(0);
        EXPECT_FALSE(ReadFile(b, buf, 4, &n, nullptr));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        EXPECT_EQ(n, 0u);
        EXPECT_FALSE(WriteFile(b, buf, 4, &n, nullptr));
        EXPECT_EQ(GetFileSize(b, nullptr), INVALID_FILE_SIZE);
        EXPECT_EQ(SetFilePointer(b, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(b));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        EXPECT_FALSE(FindClose(b));
    }
    EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}
