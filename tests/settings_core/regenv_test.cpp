// Per-user key paths and trees, number parsing, sibling names, file probes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/settings/regenv.h"

namespace {

const std::u16string kRoot = u"Software\\OSTREL BRAVINE\\ORDEX2 V\\OSTREL BRAVINE QX-730J\\";

TEST(UserRegPath, Paths) {
    const struct { const char16_t* printer; const char16_t* sub; const char16_t* sub2; std::u16string tail; } kCases[] = {
        {u"Office", nullptr, nullptr, u"Office"},
        {u"Office", u"WaterMark", nullptr, u"Office\\WaterMark"},
        {u"Office", u"Fax Cover Sheet", u"Tempfile Name", u"Office\\Fax Cover Sheet\\Tempfile Name"},
        {u"\\\\server\\queue", nullptr, nullptr, u"server\\queue"},
        {u"0123456789012345678901234567890123456789", nullptr, nullptr, u"012345678901234567890123456789"},
        {u"\u4e8c\u968e\u30d7\u30ea\u30f3\u30bf\u0030\u0031\u0032\u0033\u0034\u0035\u0036\u0037\u0038\u0039"
         u"\u4e00\u4e8c\u4e09\u56db\u4e94\u516d",
         nullptr, nullptr,
         // 31 bytes hold six double-byte characters, ten digits and four more
         // double-byte characters (28 bytes); the fifth would need 32.
         u"\u4e8c\u968e\u30d7\u30ea\u30f3\u30bf\u0030\u0031\u0032\u0033\u0034\u0035\u0036\u0037\u0038\u0039"
         u"\u4e00\u4e8c\u4e09\u56db"},
    };
    for (const auto& c : kCases) {
        WCHAR sz[USERREG_PATH_CCH];
        ASSERT_TRUE(BuildUserRegPath(sz, c.printer, c.sub, c.sub2));
        EXPECT_EQ(std::u16string(sz), kRoot + c.tail);
    }
    WCHAR sz[USERREG_PATH_CCH];
    BuildUserRegRoot(sz);
    EXPECT_EQ(std::u16string(sz), kRoot);
    std::u16string longSub(600, u'k');
    EXPECT_FALSE(BuildUserRegPath(sz, u"Office", longSub.c_str(), nullptr));
    EXPECT_EQ(sz[0], 0);
}

TEST(UserRegPath, AnsiLength) {
    WCHAR sz[USERREG_NAME_CCH + 1];
    EXPECT_EQ(ConvertPrinterNameAnsi(u"Office", sz), 6);
    EXPECT_EQ(ConvertPrinterNameAnsi(u"\u4e8c\u968e", sz), 4);
    EXPECT_EQ(std::u16string(sz), u"\u4e8c\u968e");
}

struct UserStore : ::testing::Test {
    void SetUp() override { TestNewRoot(); }
    void TearDown() override { PlatRegClearDenials(); }
    std::u16string Path(const char16_t* printer, const char16_t* sub = nullptr, const char16_t* sub2 = nullptr) {
        WCHAR sz[USERREG_PATH_CCH];
        BuildUserRegPath(sz, printer, sub, sub2);
        return sz;
    }
    bool Exists(const std::u16string& path) {
        HKEY h;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
        RegCloseKey(h);
        return true;
    }
    void Make(const std::u16string& path) {
        DWORD v = 1;
        ASSERT_TRUE(bSetUserRegValue(HKEY_CURRENT_USER, path.c_str(), REG_DWORD, u"v", &v, sizeof(v)));
    }
};

TEST_F(UserStore, ValuesRoundTripAndTextsAreTerminated) {
    std::u16string key = Path(u"Office", u"Lists");
    const char16_t text[] = u"abcdef";
    // Stored without its terminator.
    ASSERT_TRUE(bSetUserRegValue(HKEY_CURRENT_USER, key.c_str(), REG_SZ, u"t", text, 12));
    WCHAR out[4];
    std::memset(out, 0x55, sizeof(out));
    DWORD cb = sizeof(out), type = 0;
    EXPECT_FALSE(bQueryUserRegValue(HKEY_CURRENT_USER, key.c_str(), &type, u"t", out, &cb));  // too small
    WCHAR big[16];
    std::memset(big, 0x55, sizeof(big));
    cb = sizeof(big);
    ASSERT_TRUE(bQueryUserRegValue(HKEY_CURRENT_USER, key.c_str(), &type, u"t", big, &cb));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(std::u16string(big), u"abcdef");
    WCHAR exact[6];
    cb = sizeof(exact);
    ASSERT_TRUE(bQueryUserRegValue(HKEY_CURRENT_USER, key.c_str(), &type, u"t", exact, &cb));
    EXPECT_EQ(exact[5], 0);
    EXPECT_FALSE(bQueryUserRegValue(HKEY_CURRENT_USER, Path(u"Other").c_str(), &type, u"t", big, &cb));
}

TEST_F(UserStore, TreeDeletionStaysInsideThePrinter) {
    Make(Path(u"Office", u"A", u"B"));
    Make(Path(u"Office", u"C"));
    Make(Path(u"Office 2", u"A"));
    Make(Path(u"Officer"));
    // Other printers' stores are refused, also when their name only begins
    // with this printer's.
    EXPECT_FALSE(bDeleteUserRegTree(HKEY_CURRENT_USER, u"Office", Path(u"Office 2").c_str()));
    EXPECT_FALSE(bDeleteUserRegTree(HKEY_CURRENT_USER, u"Office", Path(u"Officer").c_str()));
    EXPECT_FALSE(bDeleteUserRegTree(HKEY_CURRENT_USER, u"", Path(u"Office").c_str()));
    EXPECT_FALSE(bDeleteUserRegTree(HKEY_CURRENT_USER, u"Office", u""));
    EXPECT_TRUE(Exists(Path(u"Office 2", u"A")));
    EXPECT_TRUE(bDeleteUserRegTree(HKEY_CURRENT_USER, u"Office", Path(u"Office", u"A").c_str()));
    EXPECT_FALSE(Exists(Path(u"Office", u"A")));
    EXPECT_TRUE(Exists(Path(u"Office", u"C")));
    EXPECT_TRUE(bDeleteUserRegTree(HKEY_CURRENT_USER, u"Office", Path(u"Office").c_str()));
    EXPECT_FALSE(Exists(Path(u"Office")));
    EXPECT_TRUE(Exists(Path(u"Office 2", u"A")));
    EXPECT_TRUE(Exists(Path(u"Officer")));
}

TEST_F(UserStore, AnUndeletableSubkeyStopsTheDeletion) {
    Make(Path(u"Office", u"A"));
    Make(Path(u"Office", u"B"));
    Make(Path(u"Office", u"C"));
    PlatRegDenyAccess(HKEY_CURRENT_USER, Path(u"Office", u"B").c_str(), TRUE);
    EXPECT_FALSE(DeleteRegTreeRecursive(HKEY_CURRENT_USER, Path(u"Office").c_str()));
    PlatRegClearDenials();
    EXPECT_TRUE(Exists(Path(u"Office", u"B")));
    EXPECT_TRUE(Exists(Path(u"Office")));
    EXPECT_TRUE(DeleteRegTreeRecursive(HKEY_CURRENT_USER, Path(u"Office").c_str()));
    EXPECT_FALSE(DeleteRegTreeRecursive(HKEY_CURRENT_USER, Path(u"Office").c_str()));
}

TEST_F(UserStore, BookModeKey) {
    HKEY h = nullptr;
    DWORD disp = 0;
    ASSERT_TRUE(OpenBookModeKey(u"Office", &h, &disp));
    EXPECT_EQ(disp, (DWORD)REG_CREATED_NEW_KEY);
    RegCloseKey(h);
    ASSERT_TRUE(OpenBookModeKey(u"Office", &h, &disp));
    EXPECT_EQ(disp, (DWORD)REG_OPENED_EXISTING_KEY);
    RegCloseKey(h);
    EXPECT_TRUE(Exists(Path(u"Office", u"BookMode")));
}

TEST(ParseSignedNumber, Cases) {
    const struct { const char16_t* text; int type; bool ok; long long value; } kCases[] = {
        {u"-12", 2, true, -12},       {u"+-5", 8, true, -5},          {u"--3", 8, true, -3},
        {u"-+3", 4, true, 3},       {u"", 8, false, 0},            {u"+", 8, false, 0},
        {u"-", 2, false, 0},          {u"1a", 8, false, 0},          {u" 3", 8, false, 0},
        {u"3-", 8, false, 0},         {u"99999", 2, false, 0},       {u"32767", 2, true, 32767},
        {u"-32768", 4, true, -32768}, {u"-32769", 4, false, 0},      {u"127", 1, true, 127},
        {u"255", 1, true, 255},       {u"256", 1, false, 0},         {u"-128", 1, true, -128},
        {u"-129", 1, false, 0},       {u"65535", 2, true, 65535},    {u"65536", 2, false, 0},
        {u"-32768", 2, true, -32768}, {u"32768", 4, false, 0},        {u"-1", 1, true, -1},          {u"2147483647", 16, true, 2147483647},
        {u"2147483648", 8, false, 0}, {u"4294967295", 32, true, 4294967295LL},
        {u"4294967296", 32, false, 0}, {u"-1", 32, false, 0},        {u"99999999999999999999", 32, false, 0},
        {u"5", 3, false, 0},          {u"5", 64, false, 0},
    };
    for (const auto& c : kCases) {
        BYTE out[8];
        std::memset(out, 0xEE, sizeof(out));
        BOOL ok = bParseSignedNumber(out, c.type, c.text);
        EXPECT_EQ(!!ok, c.ok) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)) << " type "
                              << c.type;
        if (!c.ok) {
            EXPECT_EQ(out[0], 0xEE);
            continue;
        }
        long long got = 0;
        switch (c.type) {
        // Bytes and words compare by their bits: 255 and -1 are one byte.
        case 1: got = out[0]; EXPECT_EQ(out[1], 0xEE); EXPECT_EQ(got, (long long)(BYTE)c.value); continue;
        case 2: case 4: { WORD w; std::memcpy(&w, out, 2); EXPECT_EQ(out[2], 0xEE); EXPECT_EQ(w, (WORD)c.value); continue; }
        case 8: case 16: { LONG l; std::memcpy(&l, out, 4); got = l; break; }
        case 32: { DWORD d; std::memcpy(&d, out, 4); got = d; break; }
        }
        EXPECT_EQ(got, c.value);
    }
}

TEST(SiblingFileName, CodesModesAndCapacity) {
    WCHAR w[32] = u"C:\\dir\\";
    ASSERT_TRUE(GetSiblingFileName(9, w, 32, 0));
    EXPECT_EQ(std::u16string(w), u"C:\\dir\\Q730MVHZ.hlp");
    ASSERT_TRUE(GetSiblingFileName(5, w, 32, 1));
    EXPECT_EQ(std::u16string(w), u"Q730MVF1.DLL");
    ASSERT_TRUE(GetSiblingFileName(6, w, 32, 0));  // always replaces
    EXPECT_EQ(std::u16string(w), u"Q730MVF1.DLL");
    ASSERT_TRUE(GetSiblingFileName(7, w, 32, 0));
    EXPECT_EQ(std::u16string(w), u"Q730MVF1.DLL");
    EXPECT_FALSE(GetSiblingFileName(9, w, 20, 0));  // would overrun: refused, untouched
    EXPECT_EQ(std::u16string(w), u"Q730MVF1.DLL");
    EXPECT_FALSE(GetSiblingFileName(3, w, 32, 1));
    char a[12] = "x";
    ASSERT_TRUE(GetSiblingFileName(2, a, 12, 0));
    EXPECT_STREQ(a, "xQ730MVF1");
    EXPECT_FALSE(GetSiblingFileName(4, a, 12, 0));
    char b[13] = "";
    ASSERT_TRUE(GetSiblingFileName(4, b, 13, 1));
    EXPECT_STREQ(b, "Q730MVF1.DLL");
}

TEST(FileProbe, MissingReadableAndBusy) {
    TestNewRoot();
    EXPECT_FALSE(bFileExistsOrBusy(u"C:\\nothing.xfo"));
    EXPECT_FALSE(bFileCanOpen(nullptr));
    HANDLE h = CreateFileW(u"C:\\form.xfo", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    // Held without sharing: busy, but there.
    EXPECT_TRUE(bFileExistsOrBusy(u"C:\\form.xfo"));
    CloseHandle(h);
    EXPECT_TRUE(bFileCanOpen(u"C:\\form.xfo"));
}

TEST(HostModule, LastPathComponent) {
    const struct { const char16_t* host; const char16_t* name; bool match; } kCases[] = {
        {u"C:\\Program Files\\Office\\EXCEL.EXE", u"EXCEL.EXE", true},
        {u"C:\\Program Files\\Office\\excel.exe", u"EXCEL.EXE", true},
        {u"C:\\Tools\\MYEXCEL.EXE", u"EXCEL.EXE", false},
        {u"C:\\x.exe", u"C:\\x.exe and more", false},
    };
    for (const auto& c : kCases) {
        PlatSetProgramPath(c.host);
        EXPECT_EQ(!!bHostModuleIs(c.name), c.match);
    }
    PlatSetProgramPath(u"C:\\Office\\EXCEL.EXE");
    EXPECT_TRUE(bHostIsSpreadsheet());
    PlatSetProgramPath(nullptr);
}

TEST(OsVersion, Nt5) {
    PlatSetVersion(5, 1);
    EXPECT_TRUE(bIsWindowsNT5());
    PlatSetVersion(6, 0);
    EXPECT_FALSE(bIsWindowsNT5());
    PlatSetVersion(5, 1);
}

}  // namespace
