// The stream's own formatter, the 256-byte line limit, the output router
// and the ANSI conversion.
#include <gtest/gtest.h>

#include "ordexfix.h"
#include "platform/windows.h"

namespace {

std::string Fmt(const char* pszFormat, ...)
{
    char ach[PDL_LINE_SIZE];
    va_list ap;
    va_start(ap, pszFormat);
    int n = FormatStreamLine(ach, sizeof(ach), pszFormat, ap);
    va_end(ap);
    EXPECT_EQ(n, (int)strlen(ach));
    return ach;
}

TEST(StreamFormatter, Conversions)
{
    EXPECT_EQ(Fmt("%X", 0), "00");
    EXPECT_EQ(Fmt("%x", 0xABC), "ABC");
    EXPECT_EQ(Fmt("%X", 5), "05");
    EXPECT_EQ(Fmt("%X", 0x123), "123");
    EXPECT_EQ(Fmt("#%X", 0xFFFFFF), "#FFFFFF");
    EXPECT_EQ(Fmt("%f", 0x180), "1.5");
    EXPECT_EQ(Fmt("%f", -0x100), "-1");
    EXPECT_EQ(Fmt("%f", 0x1FF), "1.996");
    EXPECT_EQ(Fmt("%f", 128), "0.5");
    EXPECT_EQ(Fmt("%f", 64), "0.25");
    EXPECT_EQ(Fmt("%f", 1), "0.004");
    EXPECT_EQ(Fmt("%f", 0), "0");
    EXPECT_EQ(Fmt("%%%d.0%d", 12, 5), "%12.05");
    EXPECT_EQ(Fmt("%q%d", 7), "q7");
    EXPECT_EQ(Fmt("end%"), "end");
    EXPECT_EQ(Fmt("%b %b", 0, 3), "false true");
    EXPECT_EQ(Fmt("%c%c", 'o', 0x14B), "oK");
    EXPECT_EQ(Fmt("%d %l %u", -42, 7, 4000000000u), "-42 7 4000000000");
    EXPECT_EQ(Fmt("%d", (int)0x80000000), "-2147483648");
    EXPECT_EQ(Fmt("%f", (int)0x80000000), "-8388608");
    EXPECT_EQ(Fmt("rop %d #%X;\n", 3, 0x808080), "rop 3 #808080;\n");
}

TEST(StreamFormatter, NeverWritesPastItsBuffer)
{
    char ach[12];
    memset(ach, '#', sizeof(ach));
    va_list ap;
    auto run = [&](const char* pszFormat, ...) {
        va_start(ap, pszFormat);
        int n = FormatStreamLine(ach, 8, pszFormat, ap);
        va_end(ap);
        return n;
    };
    EXPECT_EQ(run("%s", "abcdefghijkl"), 12);
    EXPECT_STREQ(ach, "abcdefg");
    EXPECT_EQ(ach[8], '#');
}

TEST(PdlPrintf, LineLimitIsAssertedAndNothingWritten)
{
    TestPdev t;
    PlatClearDebugLog();
    std::string sLong(300, 'x');
    EXPECT_EQ(PdlPrintf(t.pdev(), "rem %s;\n", sLong.c_str()), -1);
    EXPECT_EQ(t.sStream, "");
    std::string sLog = PlatDebugLog();
    EXPECT_NE(sLog.find("Assertion failed: streamnt ("), std::string::npos) << sLog;

    // 255 bytes is the longest line; 256 breaks the limit.
    std::string s251(251, 'y');
    EXPECT_EQ(PdlPrintf(t.pdev(), "rem %s", s251.c_str()), 255);
    EXPECT_EQ(t.Take(), "rem " + s251);
    std::string s252(252, 'y');
    EXPECT_EQ(PdlPrintf(t.pdev(), "rem %s", s252.c_str()), -1);
    EXPECT_EQ(t.sStream, "");

    EXPECT_EQ(PdlPrintf(t.pdev(), ""), 0);
    EXPECT_EQ(t.cWrites, 1);
}

TEST(PdlPrintf, OneLineIsOneWrite)
{
    TestPdev t;
    EXPECT_EQ(PdlPrintf(t.pdev(), "brc %d #%X;\n", 10, 0), 12);
    EXPECT_EQ(t.Take(), "brc 10 #00;\n");
    EXPECT_EQ(t.cWrites, 1);
}

TEST(OutputRouter, DropsUntilThereIsSomewhereToGo)
{
    struct Case {
        const char* pszWhat;
        int bDrop;
        int nJobKind;
        int cDest;
        bool bReachesStream;
    };
    const Case aCases[] = {
        {"print job", 0, 2, 0, true},
        {"dropped by escape", 1, 2, 0, false},
        {"fax job without destinations", 0, 1, 0, false},
        {"fax job with a destination", 0, 1, 1, true},
        {"dropped fax job", 1, 1, 1, false},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        TestPdev t;
        t.work()->bDropOutput = (BYTE)c.bDrop;
        t.Byte(2167, c.nJobKind);
        t.work()->FaxDest.cDest = c.cDest;
        EXPECT_TRUE(WriteStream(t.pdev(), "prn;\n", 5));
        EXPECT_EQ(t.sStream, c.bReachesStream ? "prn;\n" : "");
    }
}

TEST(OutputRouter, LargeWritesGoOnInPieces)
{
    TestPdev t;
    std::string s(70000, 'z');
    s[65534] = 'a';
    s[65535] = 'b';
    EXPECT_TRUE(WriteStream(t.pdev(), s.data(), (DWORD)s.size()));
    EXPECT_EQ(t.cWrites, 2);
    EXPECT_EQ(t.sStream, s);
}

TEST(OutputRouter, FailedRecordWriteIsReported)
{
    TestPdev t;
    SetPdevWriteJobData(t.pdev(), [](PDEV*, const BYTE*, DWORD) -> BOOL { return FALSE; });
    EXPECT_EQ(PdlPrintf(t.pdev(), "prn;\n"), -1);
}

TEST(AnsiConversion, CutsWholeCharactersOnly)
{
    char ach[8];
    memset(ach, '#', sizeof(ach));
    // "aあい" is 5 bytes in code page 932: a 4-byte buffer keeps "aあ".
    UnicodeToAnsi(ach, u"a\u3042\u3044", 4);
    EXPECT_STREQ(ach, "a\x82\xA0");
    UnicodeToAnsi(ach, u"abc", 8);
    EXPECT_STREQ(ach, "abc");
    UnicodeToAnsi(ach, nullptr, 8);
    EXPECT_STREQ(ach, "");
    ach[0] = '#';
    UnicodeToAnsi(ach, u"abc", 0);
    EXPECT_EQ(ach[0], '#');

    WCHAR awc[4];
    AnsiToUnicode(awc, "a\x82\xA0z", 4);
    EXPECT_EQ(std::u16string(awc), u"a\u3042z");
    AnsiToUnicode(awc, "abcdef", 4);
    EXPECT_EQ(std::u16string(awc), u"abc");
}

TEST(PjlText, ControlCharactersAndQuotesAreDropped)
{
    struct Case {
        const char* pszIn;
        const char* pszOut;
    };
    const Case aCases[] = {
        {"Report", "Report"},
        {"a\r\n@PJL SET COPIES = 99", "a@PJL SET COPIES = 99"},
        {"\x1B%-12345X@PJL", "%-12345X@PJL"},
        {"say \"hi\"", "say hi"},
        {"tab\there\x7F", "tabhere"},
        {"\x82\xA0\x82", "\x82\xA0"},  // a lead byte cut from its trail byte
    };
    for (const Case& c : aCases) {
        char ach[64];
        strcpy(ach, c.pszIn);
        PjlCleanText(ach);
        EXPECT_STREQ(ach, c.pszOut);
    }
}

}  // namespace
