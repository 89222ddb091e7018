// wsprintf_test.cpp: the wsprintf family's formats, limits and bad input.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::u16string Fmt(LPCWSTR fmt, ...)
{
    WCHAR buf[WSPRINTF_MAX + 8];
    va_list ap;
    va_start(ap, fmt);
    int n = wvsprintfW(buf, fmt, ap);
    va_end(ap);
    std::u16string s(buf);
    EXPECT_EQ(n, int(s.size())) << "the result counts the units written";
    return s;
}

std::string Utf8(LPCWSTR s)
{
    char buf[256] = "";
    WideCharToMultiByte(CP_UTF8, 0, s, -1, buf, sizeof(buf), nullptr, nullptr);
    return buf;
}

struct INTCASE {
    LPCWSTR fmt;
    int value;
    LPCWSTR expected;
};

const INTCASE kIntCases[] = {
    {u"%d", 42, u"42"},
    {u"%d", -42, u"-42"},
    {u"%i", -7, u"-7"},
    {u"%ld", INT_MIN, u"-2147483648"},
    {u"%d", 0, u"0"},
    {u"[%5d]", 42, u"[   42]"},
    {u"[%-5d]", 42, u"[42   ]"},
    {u"[%05d]", -42, u"[-0042]"},
    {u"[%-05d]", 42, u"[42   ]"},
    {u"%02d", 5, u"05"},
    {u"%02ld", 123, u"123"},
    {u"%.3d", 7, u"007"},
    {u"[%6.3d]", -7, u"[  -007]"},
    {u"%u", -1, u"4294967295"},
    {u"%lu", int(3000000000u), u"3000000000"},
    {u"%x", 0xBEEF, u"beef"},
    {u"%X", 0xBEEF, u"BEEF"},
    {u"%lx", -1, u"ffffffff"},
    {u"%08lX", 0x1A2B, u"00001A2B"},
    {u"%#x", 255, u"0xff"},
    {u"%#X", 255, u"0XFF"},
    {u"%#x", 0, u"0"},
    {u"%#06x", 255, u"0x00ff"},
    {u"%.0d", 0, u"0"},  // a precision of 0 still shows one digit
    {u"%.d", 0, u"0"},
    {u"[%08.3d]", 5, u"[00000005]"},
    {u"%hd", 70000, u"4464"},
    {u"%hu", -1, u"65535"},
    {u"%c", u'A', u"A"},
    {u"%c", 0x65E5, u"\u65E5"},
    {u"[%3c]", u'x', u"[  x]"},
    {u"[%-3c]", u'x', u"[x  ]"},
    {u"%hc", 'q', u"q"},
    {u"[%c]", 0, u"[]"},  // a zero character prints nothing
    {u"[%hc]", 0x100, u"[]"},
    {u"%C", 0xB1, u"\uFF71"},  // half-width katakana byte in the ANSI code page
};

TEST(WsprintfW, IntegerAndCharacterFields)
{
    for (const INTCASE& c : kIntCases)
        EXPECT_EQ(Fmt(c.fmt, c.value), std::u16string(c.expected)) << Utf8(c.fmt);
}

// Pointer-sized fields read a pointer-sized argument: %p a pointer, %I an
// INT_PTR/UINT_PTR/SIZE_T; %I64 and %ll a 64-bit one. Each is followed by
// an int field, which shows that the argument was read whole and nothing
// of it was left for the next field.
TEST(WsprintfW, PointerSizedFieldsReadAPointerSizedArgument)
{
    const bool b64 = sizeof(void*) == 8;
    EXPECT_EQ(Fmt(u"%p|%d", reinterpret_cast<void*>(ULONG_PTR(0x1234)), 7),
              std::u16string(b64 ? u"0000000000001234|7" : u"00001234|7"));
    EXPECT_EQ(Fmt(u"%p|%d", static_cast<void*>(nullptr), -1),
              std::u16string(b64 ? u"0000000000000000|-1" : u"00000000|-1"));
    EXPECT_EQ(Fmt(u"%IX|%d", UINT_PTR(0xABC), 5), std::u16string(u"ABC|5"));
    EXPECT_EQ(Fmt(u"%Ix|%Iu|%d", SIZE_T(0xabc), SIZE_T(4000000000u), 9), std::u16string(u"abc|4000000000|9"));
    EXPECT_EQ(Fmt(u"%Id|%d", INT_PTR(-5), 3), std::u16string(u"-5|3"));
    EXPECT_EQ(Fmt(u"%Id", LPARAM(-2147483647 - 1)), std::u16string(u"-2147483648"));
    if (b64) {
        // Values that need the upper half of a 64-bit pointer.
        EXPECT_EQ(Fmt(u"%p|%d", reinterpret_cast<void*>(ULONG_PTR(0x123456789ABCDEF0ull)), 7),
                  std::u16string(u"123456789ABCDEF0|7"));
        EXPECT_EQ(Fmt(u"%IX|%d", UINT_PTR(0xFEDCBA9876543210ull), 1), std::u16string(u"FEDCBA9876543210|1"));
        EXPECT_EQ(Fmt(u"%Id|%d", INT_PTR(-5000000000ll), 2), std::u16string(u"-5000000000|2"));
    } else {
        EXPECT_EQ(Fmt(u"%Id", INT_PTR(-1)), std::u16string(u"-1"));
        EXPECT_EQ(Fmt(u"%Iu", UINT_PTR(0xFFFFFFFFu)), std::u16string(u"4294967295"));
    }
    // 64 bits in both builds.
    EXPECT_EQ(Fmt(u"%I64X|%d", ULONGLONG(0x123456789ABCDEF0ull), 4), std::u16string(u"123456789ABCDEF0|4"));
    EXPECT_EQ(Fmt(u"%I64d|%d", LONGLONG(-9223372036854775807ll - 1), 4),
              std::u16string(u"-9223372036854775808|4"));
    EXPECT_EQ(Fmt(u"%llu|%d", ULONGLONG(18446744073709551615ull), 4), std::u16string(u"18446744073709551615|4"));
    EXPECT_EQ(Fmt(u"[%020I64u]", ULONGLONG(42)), std::u16string(u"[00000000000000000042]"));
    // 32 bits in both builds, whatever the host's long is.
    EXPECT_EQ(Fmt(u"%I32d|%ld|%lu|%d", -1, LONG(-2), DWORD(0xFFFFFFFFu), 6), std::u16string(u"-1|-2|4294967295|6"));
    char buf[64];
    EXPECT_EQ(wsprintfA(buf, "%p,%Iu,%d", reinterpret_cast<void*>(ULONG_PTR(0xBEEF)), SIZE_T(12), 3),
              b64 ? 21 : 13);
    EXPECT_STREQ(buf, b64 ? "000000000000BEEF,12,3" : "0000BEEF,12,3");
}

struct STRCASE {
    LPCWSTR fmt;
    LPCWSTR value;
    LPCWSTR expected;
};

const STRCASE kStrCases[] = {
    {u"%s", u"abc", u"abc"},
    {u"[%5s]", u"ab", u"[   ab]"},
    {u"[%-5s]", u"ab", u"[ab   ]"},
    {u"[%.2s]", u"abcdef", u"[ab]"},
    {u"[%4.2s]", u"abcdef", u"[  ab]"},
    {u"%s", u"", u""},
    {u"%s", nullptr, u"(null)"},
    {u"[%8s]", nullptr, u"[  (null)]"},
    {u"%ls", u"\u65E5\u672C", u"\u65E5\u672C"},
    {u"%ws", u"wide", u"wide"},
    {u"<%s>", u"%d%s", u"<%d%s>"},  // an argument is never a format
};

TEST(WsprintfW, StringFields)
{
    for (const STRCASE& c : kStrCases)
        EXPECT_EQ(Fmt(c.fmt, c.value), std::u16string(c.expected))
            << Utf8(c.fmt);
}

TEST(WsprintfW, EightBitStringArgumentsAreWidenedThroughTheAnsiCodePage)
{
    // 93 FA 96 7B 8C EA is "日本語" in code page 932.
    const char sjis[] = "\x93\xFA\x96\x7B\x8C\xEA";
    EXPECT_EQ(Fmt(u"%hs", sjis), std::u16string(u"\u65E5\u672C\u8A9E"));
    EXPECT_EQ(Fmt(u"%S!", sjis), std::u16string(u"\u65E5\u672C\u8A9E!"));
    EXPECT_EQ(Fmt(u"%hs", (const char*)nullptr), std::u16string(u"(null)"));
}

TEST(WsprintfW, PercentAndUnknownConversions)
{
    EXPECT_EQ(Fmt(u"100%%"), std::u16string(u"100%"));
    EXPECT_EQ(Fmt(u"a%yb"), std::u16string(u"ayb"));
    EXPECT_EQ(Fmt(u"end%"), std::u16string(u"end"));
    EXPECT_EQ(Fmt(u"%%d"), std::u16string(u"%d"));
}

TEST(WsprintfW, SeveralFieldsInOrder)
{
    EXPECT_EQ(Fmt(u"%s (%d): %s failed.\n", u"xgientnt", 120, u"_bValidatePDEV"),
              std::u16string(u"xgientnt (120): _bValidatePDEV failed.\n"));
    // %ld is a 32-bit LONG here (as in Windows), not the host's long.
    EXPECT_EQ(Fmt(u"%ld.%02ldx%ld.%02ldinch", LONG(8), LONG(50), LONG(11), LONG(0)), std::u16string(u"8.50x11.00inch"));
    EXPECT_EQ(Fmt(u"%02d/%02d/%02d %d:%02d", 24, 3, 9, 7, 5), std::u16string(u"24/03/09 7:05"));
}

// A long result stops at 1023 units and a terminator; the unit after the
// 1024th is never touched.
TEST(WsprintfW, OutputStopsAt1024UnitsWithTerminator)
{
    struct {
        int nArg;       // length of the string argument
        int nExpected;  // units the call writes
    } cases[] = {{1022, 1023}, {1023, 1023}, {1024, 1023}, {5000, 1023}, {10, 11}};
    for (const auto& c : cases) {
        std::u16string arg(c.nArg, u'x');
        std::vector<WCHAR> buf(WSPRINTF_MAX + 16, 0xAAAA);
        int n = wsprintfW(buf.data(), u"%s!", arg.c_str());
        EXPECT_EQ(n, c.nExpected) << c.nArg;
        EXPECT_EQ(buf[c.nExpected], 0) << c.nArg;
        EXPECT_EQ(buf[WSPRINTF_MAX], 0xAAAA) << c.nArg;
        if (c.nArg + 1 <= 1023) {
            EXPECT_EQ(buf[c.nArg], u'!');
        }
    }
    // Padding counts against the limit as well.
    std::vector<WCHAR> buf(WSPRINTF_MAX + 16, 0xAAAA);
    EXPECT_EQ(wsprintfW(buf.data(), u"%2000d", 5), 1023);
    EXPECT_EQ(buf[1023], 0);
    EXPECT_EQ(buf[1024], 0xAAAA);
}

TEST(WsprintfW, NullOutputOrFormatDoesNotCrash)
{
    SetLastError(0);
    EXPECT_EQ(wsprintfW(nullptr, u"%d", 1), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    WCHAR buf[8] = {u'z', u'z'};
    EXPECT_EQ(wsprintfW(buf, nullptr), 0);
    EXPECT_EQ(buf[0], 0);
}

TEST(WnsprintfW, CutsAtTheGivenSizeAndTerminates)
{
    struct {
        int cch;
        LPCWSTR expected;
    } cases[] = {{1, u""}, {5, u"abcd"}, {9, u"abcdefgh"}, {20, u"abcdefgh"}};
    for (const auto& c : cases) {
        WCHAR buf[32];
        for (WCHAR& w : buf)
            w = 0xAAAA;
        int n = wnsprintfW(buf, c.cch, u"%s", u"abcdefgh");
        EXPECT_EQ(std::u16string(buf), std::u16string(c.expected)) << c.cch;
        EXPECT_EQ(n, lstrlenW(c.expected)) << c.cch;
        if (c.cch < 31) {
            EXPECT_EQ(buf[c.cch], 0xAAAA) << c.cch;
        }
    }
    WCHAR one = 0xAAAA;
    EXPECT_EQ(wnsprintfW(&one, 0, u"x"), -1);
    EXPECT_EQ(one, 0xAAAA);
    EXPECT_EQ(wnsprintfW(nullptr, 10, u"x"), -1);
}

TEST(WsprintfA, EightBitFormsAndWideArguments)
{
    char buf[WSPRINTF_MAX + 8];
    EXPECT_EQ(wsprintfA(buf, "%s=%d;%X", "key", -3, 0xABC), 10);
    EXPECT_STREQ(buf, "key=-3;ABC");
    // A wide argument goes out in the ANSI code page (932): "日本語".
    EXPECT_EQ(wsprintfA(buf, "%ls", u"\u65E5\u672C\u8A9E"), 6);
    EXPECT_STREQ(buf, "\x93\xFA\x96\x7B\x8C\xEA");
    EXPECT_EQ(wsprintfA(buf, "[%S]", u"ab"), 4);
    EXPECT_STREQ(buf, "[ab]");
    // A precision never splits a double-byte character.
    EXPECT_EQ(wsprintfA(buf, "%.3ls", u"\u65E5\u672C\u8A9E"), 2);
    EXPECT_STREQ(buf, "\x93\xFA");
    EXPECT_EQ(wsprintfA(buf, "%s", (const char*)nullptr), 6);
    EXPECT_STREQ(buf, "(null)");
    std::string big(3000, 'y');
    EXPECT_EQ(wsprintfA(buf, "%s", big.c_str()), 1023);
    EXPECT_EQ(buf[1023], 0);
}

}  // namespace
