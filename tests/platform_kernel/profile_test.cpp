// INI profile files: exact bytes written, lookups, defaults, truncation and
// return counts, lists, integers, UTF-16 files and failed writes.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

namespace {

std::string HostRead(const std::string& host)
{
    std::ifstream f(host, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void HostWrite(const std::string& host, const std::string& bytes)
{
    std::ofstream f(host, std::ios::binary | std::ios::trunc);
    f << bytes;
}

// A UTF-16LE image of ASCII text, with the byte-order mark.
std::string Utf16Bytes(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

const char16_t* const kIni = u"C:\\prof\\test.ini";

class Profile : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        mkdir((TestRootPath() + "/c").c_str(), 0777);
        ASSERT_TRUE(CreateDirectoryW(u"C:\\prof", nullptr));
    }
    // What the file holds once the kept writes went out.
    std::string Bytes()
    {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, kIni);
        return HostRead(PlatHostPath(kIni));
    }
};

}  // namespace

TEST_F(Profile, WrittenFileIsCodePage932WithCrLf)
{
    // 日本 in code page 932 is 93 FA 96 7B.
    ASSERT_TRUE(WritePrivateProfileStringW(u"S1", u"a", u"1", kIni));
    EXPECT_EQ(Bytes(), "[S1]\r\na=1\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(u"S2", u"b", u"\u65E5\u672C", kIni));
    ASSERT_TRUE(WritePrivateProfileStringW(u"s1", u"c", u"x y", kIni));
    ASSERT_TRUE(WritePrivateProfileStringW(u"S1", u"A", u"2", kIni));
    EXPECT_EQ(Bytes(), "[S1]\r\na=2\r\nc=x y\r\n[S2]\r\nb=\x93\xFA\x96\x7B\r\n");

    ASSERT_TRUE(WritePrivateProfileStringW(u"S1", u"C", nullptr, kIni));
    EXPECT_EQ(Bytes(), "[S1]\r\na=2\r\n[S2]\r\nb=\x93\xFA\x96\x7B\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(u"s2", nullptr, nullptr, kIni));
    EXPECT_EQ(Bytes(), "[S1]\r\na=2\r\n");
    EXPECT_TRUE(WritePrivateProfileStringW(u"Gone", nullptr, nullptr, kIni)) << "deleting a missing section";
    EXPECT_TRUE(WritePrivateProfileStringW(u"S1", u"gone", nullptr, kIni)) << "deleting a missing key";
    EXPECT_EQ(Bytes(), "[S1]\r\na=2\r\n");
    EXPECT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, kIni)) << "the flush call";
}

TEST_F(Profile, KeysInSeveralSectionsAndExistingLayout)
{
    HostWrite(PlatHostPath(kIni),
              "; made by hand\r\n[Paper]\r\n  Size = A4 \r\nTray=\"  2 \"\r\n\r\n[Fax]\r\nSize=B5\n[Empty]\r\n");
    WCHAR buf[64];
    struct {
        const char16_t* sec;
        const char16_t* key;
        const char16_t* value;
    } const rows[] = {
        {u"Paper", u"Size", u"A4"},
        {u"PAPER", u"size", u"A4"},
        {u"Paper", u"Tray", u"  2 "},  // the quotes go, the blanks inside stay
        {u"fax", u"SIZE", u"B5"},
        {u"Fax", u"Tray", u"dflt"},
        {u"Empty", u"Size", u"dflt"},
        {u"None", u"Size", u"dflt"},
    };
    for (const auto& r : rows) {
        DWORD n = GetPrivateProfileStringW(r.sec, r.key, u"dflt", buf, 64, kIni);
        EXPECT_EQ(std::u16string(buf), r.value);
        EXPECT_EQ(n, std::u16string(r.value).size());
    }
    // A new key goes to the end of its section, before the blank line.
    ASSERT_TRUE(WritePrivateProfileStringW(u"paper", u"Media", u"Plain", kIni));
    EXPECT_EQ(Bytes(), "; made by hand\r\n[Paper]\r\n  Size = A4 \r\nTray=\"  2 \"\r\nMedia=Plain\r\n\r\n[Fax]\r\nSize=B5\r\n"
                       "[Empty]\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(u"Paper", u"SIZE", u"A3", kIni));
    EXPECT_EQ(GetPrivateProfileStringW(u"Paper", u"Size", u"", buf, 64, kIni), 2u);
    EXPECT_EQ(std::u16string(buf), u"A3");
    EXPECT_NE(Bytes().find("\r\nSize=A3\r\n"), std::string::npos) << "the key keeps its first spelling";
}

TEST_F(Profile, MissingFileAndMissingKeyGiveTheDefault)
{
    WCHAR buf[32];
    SetLastError(0);
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"def  ", buf, 32, u"C:\\prof\\none.ini"), 3u);
    EXPECT_EQ(std::u16string(buf), u"def") << "trailing blanks of the default are dropped";
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", nullptr, buf, 32, u"C:\\prof\\none.ini"), 0u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(GetPrivateProfileIntW(u"S", u"k", -7, u"C:\\prof\\none.ini"), (UINT)-7);
    struct stat st;
    EXPECT_NE(stat(PlatHostPath(u"C:\\prof\\none.ini").c_str(), &st), 0) << "reading creates nothing";
}

TEST_F(Profile, ValueTruncationAndReturnCounts)
{
    WritePrivateProfileStringW(u"S", u"k", u"abcdef", kIni);
    struct {
        DWORD size;
        const char16_t* text;
        DWORD ret;
    } const rows[] = {
        {1, u"", 0}, {2, u"a", 1}, {4, u"abc", 3}, {6, u"abcde", 5}, {7, u"abcdef", 6}, {8, u"abcdef", 6},
    };
    for (const auto& r : rows) {
        WCHAR buf[16];
        for (WCHAR& c : buf)
            c = u'#';
        EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buf, r.size, kIni), r.ret) << r.size;
        EXPECT_EQ(std::u16string(buf), r.text) << r.size;
        EXPECT_EQ(buf[r.size], u'#') << "nothing written past the buffer, size " << r.size;
    }
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", nullptr, 10, kIni), 0u);
}

TEST_F(Profile, SectionAndKeyListsWithDoubleNulAndTruncation)
{
    HostWrite(PlatHostPath(kIni), "[a]\r\nk1=1\r\nkey2=2\r\n[bb]\r\n[ccc]\r\n");
    struct {
        const char16_t* sec;  // null: section names
        DWORD size;
        std::u16string image;  // the buffer up to the returned count + 2
        DWORD ret;
    } const rows[] = {
        {nullptr, 32, std::u16string(u"a\0bb\0ccc\0\0", 10), 9},
        {nullptr, 10, std::u16string(u"a\0bb\0ccc\0\0", 10), 9},
        {nullptr, 9, std::u16string(u"a\0bb\0cc\0\0", 9), 7},
        {nullptr, 6, std::u16string(u"a\0bb\0\0", 6), 4},
        {nullptr, 2, std::u16string(u"\0\0", 2), 0},
        {u"A", 32, std::u16string(u"k1\0key2\0\0", 9), 8},
        {u"a", 7, std::u16string(u"k1\0ke\0\0", 7), 5},
        {u"bb", 32, std::u16string(u"\0\0", 2), 0},
        {u"zz", 32, std::u16string(u"\0\0", 2), 0},
    };
    for (const auto& r : rows) {
        WCHAR buf[40];
        for (WCHAR& c : buf)
            c = u'#';
        DWORD n = GetPrivateProfileStringW(r.sec, nullptr, u"dflt", buf, r.size, kIni);
        EXPECT_EQ(n, r.ret) << (r.sec ? "keys" : "sections") << " size " << r.size;
        EXPECT_EQ(std::u16string(buf, r.image.size()), r.image) << "size " << r.size;
        EXPECT_EQ(buf[r.size], u'#') << "size " << r.size;
    }
    WCHAR names[32];
    EXPECT_EQ(GetPrivateProfileSectionNamesW(names, 32, kIni), 9u);
    EXPECT_EQ(GetPrivateProfileSectionW(u"a", names, 32, kIni), 12u);
    EXPECT_EQ(std::u16string(names, 13), std::u16string(u"k1=1\0key2=2\0\0", 13));
}

TEST_F(Profile, IntegerValues)
{
    HostWrite(PlatHostPath(kIni), "[n]\r\na=12\r\nb= -5\r\nc=0x1F\r\nd=abc\r\ne=\r\nf=7up\r\ng=+3\r\n");
    struct {
        const char16_t* key;
        UINT value;
    } const rows[] = {
        {u"a", 12}, {u"b", (UINT)-5}, {u"c", 31}, {u"d", 0}, {u"e", 99}, {u"f", 7}, {u"g", 3}, {u"missing", 99},
    };
    for (const auto& r : rows)
        EXPECT_EQ(GetPrivateProfileIntW(u"N", r.key, 99, kIni), r.value) << (char)r.key[0];
}

TEST_F(Profile, Utf16FileIsReadAndWrittenAsUtf16)
{
    HostWrite(PlatHostPath(kIni), Utf16Bytes("[S]\r\nk=v\r\n"));
    WCHAR buf[16];
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"", buf, 16, kIni), 1u);
    EXPECT_EQ(std::u16string(buf), u"v");
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"j", u"\u65E5", kIni));
    std::string want = Utf16Bytes("[S]\r\nk=v\r\nj=");
    want += std::string("\xE5\x65", 2) + std::string("\r\0\n\0", 4);
    EXPECT_EQ(Bytes(), want);
    EXPECT_EQ(GetPrivateProfileStringW(u"s", u"J", u"", buf, 16, kIni), 1u);
    EXPECT_EQ(buf[0], u'\u65E5');
}

TEST_F(Profile, SectionWriteReplacesTheWholeSection)
{
    HostWrite(PlatHostPath(kIni), "[a]\r\nold=1\r\n\r\n[b]\r\nx=1\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionW(u"A", u"n1=1\0n2=2\0", kIni));
    EXPECT_EQ(Bytes(), "[a]\r\nn1=1\r\nn2=2\r\n\r\n[b]\r\nx=1\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionW(u"c", u"z=9\0", kIni));
    EXPECT_EQ(Bytes(), "[a]\r\nn1=1\r\nn2=2\r\n\r\n[b]\r\nx=1\r\n[c]\r\nz=9\r\n");
}

TEST_F(Profile, FailedWriteLeavesTheFileAsItWas)
{
    WritePrivateProfileStringW(u"S", u"k", u"v", kIni);
    ASSERT_TRUE(SetFileAttributesW(kIni, FILE_ATTRIBUTE_READONLY));
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"k", u"new", kIni));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_EQ(Bytes(), "[S]\r\nk=v\r\n");
    EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"k", u"v", u"C:\\nodir\\x.ini"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    // No temporary file is left beside it.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(u"C:\\prof\\*", &fd);
    int count = 0;
    do
        ++count;
    while (FindNextFileW(h, &fd));
    FindClose(h);
    EXPECT_EQ(count, 3) << ". .. test.ini";
}

TEST_F(Profile, BareFileNameLivesInTheWindowsFolder)
{
    WCHAR dir[MAX_PATH];
    GetWindowsDirectoryW(dir, MAX_PATH);
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", u"q730test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, u"q730test.ini"));
    EXPECT_EQ(HostRead(TestRootPath() + "/c/WINDOWS/q730test.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(Profile, WritesReachTheFileWholeAtTheFlush)
{
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"a", u"1", kIni));
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"b", u"2", kIni));
    // Readers in the process see the writes at once; the file gets them
    // only when they go out together.
    WCHAR buf[8];
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"b", u"", buf, 8, kIni), 1u);
    EXPECT_EQ(HostRead(PlatHostPath(kIni)), "");
    EXPECT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, kIni));
    EXPECT_EQ(HostRead(PlatHostPath(kIni)), "[S]\r\na=1\r\nb=2\r\n");
}

TEST_F(Profile, FileCallsSeeTheWholeFile)
{
    // Each row: a file call on the written path, then what a reader of the
    // bytes finds.
    struct Row {
        const char* pszCall;
        std::function<void()> call;
        const char16_t* pszRead;
    };
    const char16_t* const kCopy = u"C:\\prof\\copy.ini";
    const Row rows[] = {
        {"CopyFileW", [&] { EXPECT_TRUE(CopyFileW(kIni, kCopy, FALSE)); }, kCopy},
        {"MoveFileW", [&] { EXPECT_TRUE(MoveFileW(kIni, kCopy)); }, kCopy},
        {"CreateFileW", [&] { CloseHandle(CreateFileW(kIni, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, 0, nullptr)); }, kIni},
        {"GetFileAttributesW", [&] { EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(kIni)); }, kIni},
    };
    for (const Row& r : rows) {
        DeleteFileW(kIni);
        DeleteFileW(kCopy);
        ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", kIni));
        r.call();
        EXPECT_EQ(HostRead(PlatHostPath(r.pszRead)), "[S]\r\nk=v\r\n") << r.pszCall;
    }
    // A deleted file stays deleted.
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", kIni));
    ASSERT_TRUE(DeleteFileW(kIni));
    WCHAR buf[8];
    EXPECT_EQ(GetPrivateProfileStringW(u"S", u"k", u"none", buf, 8, kIni), 4u);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(kIni));
}

TEST_F(Profile, WritesReachTheFileAtProcessEnd)
{
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        WritePrivateProfileStringW(u"S", u"k", u"from child", kIni);
        exit(0);
    }
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    EXPECT_EQ(HostRead(PlatHostPath(kIni)), "[S]\r\nk=from child\r\n");
}

TEST_F(Profile, LineBreaksAreRefused)
{
    ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", kIni));
    const char16_t* const kBad[][3] = {
        {u"S", u"k", u"x\r\n[S2]\r\nk=9"},
        {u"S", u"k", u"x\ny"},
        {u"S", u"k", u"x\ry"},
        {u"S", u"a\nb", u"1"},
        {u"S]\r\n[T", u"k", u"1"},
    };
    for (const auto& b : kBad) {
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileStringW(b[0], b[1], b[2], kIni));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    }
    EXPECT_FALSE(WritePrivateProfileSectionW(u"S", u"k=1\r\n[T]\0", kIni));
    EXPECT_EQ(Bytes(), "[S]\r\nk=v\r\n");
}

namespace {

// Heap bytes in use where they are counted exactly (a sanitized build); 0
// otherwise, since the C library counts the blocks it keeps for reuse.
size_t HeapBytesInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return 0;
#endif
}

}  // namespace

TEST_F(Profile, DeletedFilesKeepNothingBehind)
{
    // A program that reads settings from a temporary file under a new name
    // each time and deletes it: the lines read are of no use once the file
    // is gone, and a new file under an old name is read afresh.
    std::string big(4000, 'x');
    size_t cbWarm = 0;
    for (int i = 0; i < 12; ++i) {
        std::u16string name = u"C:\\prof\\tmp" + std::u16string(1, (char16_t)(u'a' + i)) + u".ini";
        HostWrite(PlatHostPath(name.c_str()), "[S]\r\nk=" + std::to_string(i) + "\r\nbig=" + big + "\r\n");
        EXPECT_EQ(GetPrivateProfileIntW(u"S", u"k", -1, name.c_str()), (UINT)i);
        ASSERT_TRUE(DeleteFileW(name.c_str()));
        if (i == 1)
            cbWarm = HeapBytesInUse();
    }
    EXPECT_LE(HeapBytesInUse(), cbWarm) << "heap bytes after the twelfth file and after the second";
    HostWrite(PlatHostPath(u"C:\\prof\\tmpa.ini"), "[S]\r\nk=77\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(u"S", u"k", -1, u"C:\\prof\\tmpa.ini"), 77u);
}
