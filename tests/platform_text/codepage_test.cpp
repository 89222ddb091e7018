// codepage_test.cpp: MultiByteToWideChar / WideCharToMultiByte in 932, 1252
// and UTF-8, their size and error rules, and the ANSI code page switch.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WCHAR kGuard = 0xAAAA;
const char kGuardByte = char(0xAA);

// Keeps the ANSI code page at 932 around every test, whatever a test sets.
class CodePage : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PlatSetAnsiCodePage(932)); }
    void TearDown() override { PlatSetAnsiCodePage(932); }

    static std::u16string ToWide(UINT cp, const std::string& bytes, DWORD flags = 0)
    {
        int n = MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), nullptr, 0);
        std::vector<WCHAR> buf(n + 1, kGuard);
        int m = MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), buf.data(), n);
        EXPECT_EQ(m, n) << "size query and conversion agree";
        EXPECT_EQ(buf[n], kGuard);
        return std::u16string(buf.data(), m);
    }

    static std::string ToBytes(UINT cp, const std::u16string& text, BOOL* pUsed = nullptr,
                               LPCSTR def = nullptr)
    {
        int n = WideCharToMultiByte(cp, 0, text.data(), int(text.size()), nullptr, 0, def, pUsed);
        std::vector<char> buf(n + 1, kGuardByte);
        int m = WideCharToMultiByte(cp, 0, text.data(), int(text.size()), buf.data(), n, def, pUsed);
        EXPECT_EQ(m, n);
        EXPECT_EQ(buf[n], kGuardByte);
        return std::string(buf.data(), m);
    }
};

struct PAIR {
    const char* what;
    std::string bytes;
    std::u16string text;
};

// Byte sequences of 932 and their characters, both ways.
const PAIR k932Pairs[] = {
    {"kanji", "\x93\xFA\x96\x7B\x8C\xEA", u"\u65E5\u672C\u8A9E"},
    {"ascii", "QX-730 ok", u"QX-730 ok"},
    {"half-width katakana", "\xB1\xB2\xB3", u"\uFF71\uFF72\uFF73"},
    {"0x5C stays backslash", "C:\\x", u"C:\\x"},
    {"0x7E stays tilde", "~", u"~"},
    {"full-width backslash", "\x81\x5F", u"\uFF3C"},
    {"wave dash", "\x81\x60", u"\uFF5E"},
    {"default face name", "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
     u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"},
    {"ideographic space", "\x81\x40", u"\u3000"},
    {"mixed", "a\x93\xFA" "b\xB1" "c", u"a\u65E5b\uFF71c"},
    {"user-defined area", "\xF0\x40", u"\uE000"},
    {"first and last kanji rows", "\x88\x9F\xEA\xA4", u"\u4E9C\u7199"},
    {"full-width letter, hiragana, katakana", "\x82\x60\x82\x9F\x83\x40\x83\x94", u"\uFF21\u3041\u30A1\u30F4"},
    {"Greek, Cyrillic, box drawing", "\x83\x9F\x84\x40\x84\x9F", u"\u0391\u0410\u2500"},
    {"circled digit one", "\x87\x40", u"\u2460"},
    {"full-width yen", "\x81\x8F", u"\uFFE5"},
    {"extension kanji", "\xFA\x5C", u"\u7E8A"},
};

TEST_F(CodePage, Japanese932RoundTrips)
{
    for (const PAIR& p : k932Pairs) {
        EXPECT_EQ(ToWide(932, p.bytes), p.text) << p.what;
        EXPECT_EQ(ToWide(CP_ACP, p.bytes), p.text) << p.what;
        EXPECT_EQ(ToWide(CP_OEMCP, p.bytes), p.text) << p.what;
        BOOL used = TRUE;
        EXPECT_EQ(ToBytes(932, p.text, &used), p.bytes) << p.what;
        EXPECT_FALSE(used) << p.what;
    }
}

// Characters with several byte sequences are written with the standard one.
TEST_F(CodePage, DuplicateCharactersEncodeToTheirPreferredBytes)
{
    const PAIR cases[] = {
        {"approximately equal", "\x81\xE0", u"\u2252"},
        {"not sign", "\x81\xCA", u"\uFFE2"},
        {"because", "\x81\xE6", u"\u2235"},
        {"roman numeral one", "\x87\x54", u"\u2160"},
        {"small roman numeral one", "\xFA\x40", u"\u2170"},
    };
    for (const PAIR& c : cases)
        EXPECT_EQ(ToBytes(932, c.text), c.bytes) << c.what;
    // ... and every duplicate still reads back.
    EXPECT_EQ(ToWide(932, "\x87\x90"), u"\u2252");
    EXPECT_EQ(ToWide(932, "\xEE\xF9\xFA\x54"), u"\uFFE2\uFFE2");
}

TEST_F(CodePage, MinusOneCountsTheTerminator)
{
    WCHAR w[8];
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x93\xFA\x96\x7B\x8C\xEA", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x93\xFA\x96\x7B\x8C\xEA", -1, w, 8), 4);
    EXPECT_EQ(std::u16string(w), u"\u65E5\u672C\u8A9E");
    char b[8];
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u65E5\u672C\u8A9E", -1, nullptr, 0, nullptr, nullptr), 7);
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u65E5\u672C\u8A9E", -1, b, 8, nullptr, nullptr), 7);
    EXPECT_STREQ(b, "\x93\xFA\x96\x7B\x8C\xEA");
    // An explicit length adds no terminator.
    WCHAR g[4] = {kGuard, kGuard, kGuard, kGuard};
    EXPECT_EQ(MultiByteToWideChar(932, 0, "ab", 2, g, 4), 2);
    EXPECT_EQ(g[2], kGuard);
}

// A buffer that is too small gets the whole characters that fit and no more;
// the call fails with ERROR_INSUFFICIENT_BUFFER.
TEST_F(CodePage, TooSmallBuffersFailWithoutOverrun)
{
    WCHAR w[4] = {kGuard, kGuard, kGuard, kGuard};
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x93\xFA\x96\x7B\x8C\xEA", 6, w, 2), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(w[0], 0x65E5);
    EXPECT_EQ(w[1], 0x672C);
    EXPECT_EQ(w[2], kGuard);

    // Five bytes hold two double-byte characters; half of the third is never
    // written.
    char b[8];
    memset(b, kGuardByte, sizeof(b));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u65E5\u672C\u8A9E", 3, b, 5, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(b, 4), "\x93\xFA\x96\x7B");
    EXPECT_EQ(b[4], kGuardByte);

    // No room for the terminator that -1 asks for.
    memset(b, kGuardByte, sizeof(b));
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"abc", -1, b, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(b[3], kGuardByte);

    // A surrogate pair is one character: one free unit is not enough.
    WCHAR s[2] = {kGuard, kGuard};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, s, 1), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(s[0], kGuard);
}

// A double-byte character cut at the end of the input is never completed
// from the bytes after it.
TEST_F(CodePage, CutDoubleByteCharacter)
{
    const char bytes[] = "\x93\xFA\x96\x7B";  // "日本", cut after the lead byte of 本
    EXPECT_EQ(ToWide(932, std::string(bytes, 3)), u"\u65E5\u30FB");
    WCHAR w[4];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, 3, w, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    // NUL-terminated: the lead byte before the terminator stands alone.
    EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x96", -1, w, 4), 3);
    EXPECT_EQ(w[0], u'a');
    EXPECT_EQ(w[1], 0x30FB);
    EXPECT_EQ(w[2], 0);
}

TEST_F(CodePage, BytesThatAreNoCharacter)
{
    const PAIR cases[] = {
        {"lead byte before a space", "\x81\x20", u"\u30FB "},
        {"unassigned single bytes", "\x80\xA0\xFD\xFE\xFF", u"\u30FB\u30FB\u30FB\u30FB\u30FB"},
        {"unassigned pair", "\x85\x40" "a", u"\u30FB" u"a"},
    };
    for (const PAIR& c : cases) {
        EXPECT_EQ(ToWide(932, c.bytes), c.text) << c.what;
        WCHAR w[8];
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, c.bytes.data(), int(c.bytes.size()), w, 8), 0)
            << c.what;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION)) << c.what;
    }
}

TEST_F(CodePage, DefaultCharacterForUnmappableText)
{
    BOOL used = FALSE;
    EXPECT_EQ(ToBytes(932, u"a\u0E01b", &used), "a?b");  // a Thai letter
    EXPECT_TRUE(used);
    used = FALSE;
    EXPECT_EQ(ToBytes(932, u"a\u0E01b", &used, "*"), "a*b");
    EXPECT_TRUE(used);
    // A double-byte default: the katakana middle dot.
    EXPECT_EQ(ToBytes(932, u"\u0E01", nullptr, "\x81\x45"), "\x81\x45");
    // An unpaired surrogate, and a pair, each take one default.
    EXPECT_EQ(ToBytes(932, u"\xD800x"), "?x");
    EXPECT_EQ(ToBytes(932, u"\U0001F600"), "?");
    used = TRUE;
    EXPECT_EQ(ToBytes(932, u"plain", &used), "plain");
    EXPECT_FALSE(used);
}

TEST_F(CodePage, BadParametersGiveInvalidParameter)
{
    WCHAR w[8];
    char b[8];
    BOOL used;
    auto check = [](const char* what, auto call) {
        SetLastError(0);
        EXPECT_EQ(call(), 0) << what;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << what;
    };
    check("null input", [&] { return MultiByteToWideChar(932, 0, nullptr, 3, w, 8); });
    check("zero input length", [&] { return MultiByteToWideChar(932, 0, "abc", 0, w, 8); });
    check("input length below -1", [&] { return MultiByteToWideChar(932, 0, "abc", -2, w, 8); });
    check("null output with a size", [&] { return MultiByteToWideChar(932, 0, "abc", 3, nullptr, 8); });
    check("negative output size", [&] { return MultiByteToWideChar(932, 0, "abc", 3, w, -1); });
    check("unknown code page", [&] { return MultiByteToWideChar(12345, 0, "abc", 3, w, 8); });
    check("wide null input", [&] { return WideCharToMultiByte(932, 0, nullptr, 3, b, 8, nullptr, nullptr); });
    check("wide zero length", [&] { return WideCharToMultiByte(932, 0, u"abc", 0, b, 8, nullptr, nullptr); });
    check("bytes null output", [&] { return WideCharToMultiByte(932, 0, u"abc", 3, nullptr, 8, nullptr, nullptr); });
    check("utf-8 with used flag", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, b, 8, nullptr, &used); });
    check("utf-8 with default", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, b, 8, "?", nullptr); });

    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(932, WC_ERR_INVALID_CHARS, u"abc", 3, b, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, w, 8), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
}

TEST_F(CodePage, Windows1252)
{
    const PAIR pairs[] = {
        {"euro and quotes", "\x80\x93q\x94", u"\u20AC\u201Cq\u201D"},
        {"latin-1", "caf\xE9 \xFF", u"caf\u00E9 \u00FF"},
        {"unassigned bytes keep their control character", "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
        {"Y diaeresis", "\x9F", u"\u0178"},
    };
    for (const PAIR& p : pairs) {
        EXPECT_EQ(ToWide(1252, p.bytes), p.text) << p.what;
        EXPECT_EQ(ToBytes(1252, p.text), p.bytes) << p.what;
    }
    BOOL used = FALSE;
    EXPECT_EQ(ToBytes(1252, u"\u3042", &used), "?");
    EXPECT_TRUE(used);
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x93));
}

TEST_F(CodePage, Utf8)
{
    const PAIR pairs[] = {
        {"ascii", "abc", u"abc"},
        {"two bytes", "\xC3\xA9", u"\u00E9"},
        {"three bytes", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", u"\u65E5\u672C\u8A9E"},
        {"surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const PAIR& p : pairs) {
        EXPECT_EQ(ToWide(CP_UTF8, p.bytes), p.text) << p.what;
        EXPECT_EQ(ToBytes(CP_UTF8, p.text), p.bytes) << p.what;
    }
    const PAIR malformed[] = {
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"cut four-byte sequence", "\xF0\x9F\x98", u"\uFFFD"},
        {"cut, then ascii", "\xE6\x97" "a", u"\uFFFD" u"a"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"stray continuation", "a\x80" "b", u"a\uFFFD" u"b"},
    };
    for (const PAIR& p : malformed) {
        EXPECT_EQ(ToWide(CP_UTF8, p.bytes), p.text) << p.what;
        WCHAR w[8];
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p.bytes.data(), int(p.bytes.size()), w, 8), 0)
            << p.what;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION)) << p.what;
    }
    // A lone surrogate becomes U+FFFD, or fails when asked to.
    EXPECT_EQ(ToBytes(CP_UTF8, u"a\xDC00" u"b"), "a\xEF\xBF\xBD" "b");
    char b[8];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xD800", 2, b, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST_F(CodePage, LeadBytesOf932)
{
    struct {
        BYTE b;
        BOOL lead;
    } cases[] = {{0x41, FALSE}, {0x5C, FALSE}, {0x80, FALSE}, {0x81, TRUE}, {0x9F, TRUE},
                 {0xA0, FALSE}, {0xB1, FALSE}, {0xDF, FALSE}, {0xE0, TRUE}, {0xFC, TRUE},
                 {0xFD, FALSE}, {0xFF, FALSE}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsDBCSLeadByte(c.b), c.lead) << int(c.b);
        EXPECT_EQ(IsDBCSLeadByteEx(932, c.b), c.lead) << int(c.b);
    }
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0x93));
    SetLastError(0);
    EXPECT_FALSE(IsDBCSLeadByteEx(12345, 0x93));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(CodePage, AnsiCodePageCanBeChanged)
{
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetOEMCP(), 932u);
    ASSERT_TRUE(PlatSetAnsiCodePage(1252));
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(ToWide(CP_ACP, "\x80\xE9"), u"\u20AC\u00E9");
    EXPECT_FALSE(IsDBCSLeadByte(0x93));
    // wsprintf's 8-bit arguments follow the change.
    WCHAR buf[16];
    wsprintfW(buf, u"%hs", "\xE9");
    EXPECT_EQ(std::u16string(buf), u"\u00E9");
    EXPECT_FALSE(PlatSetAnsiCodePage(12345));
    EXPECT_EQ(GetACP(), 1252u);
    ASSERT_TRUE(PlatSetAnsiCodePage(932));
    EXPECT_EQ(ToWide(CP_ACP, "\x93\xFA"), u"\u65E5");
}

}  // namespace
