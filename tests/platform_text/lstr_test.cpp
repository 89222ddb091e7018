// lstr_test.cpp: copies, joins, comparisons and the integer/text helpers.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>

namespace {

// lstrcpynW: n counts the terminator, at most n-1 units are copied, the
// result is always terminated, and nothing past n units is written.
TEST(Lstrcpyn, CopiesAtMostNMinusOneAndTerminates)
{
    struct {
        LPCWSTR src;
        int n;
        LPCWSTR expected;  // null: the buffer stays as it was
    } cases[] = {
        {u"abcdef", 1, u""},
        {u"abcdef", 2, u"a"},
        {u"abcdef", 4, u"abc"},
        {u"abcdef", 6, u"abcde"},
        {u"abcdef", 7, u"abcdef"},
        {u"abcdef", 50, u"abcdef"},
        {u"", 5, u""},
        {u"abcdef", 0, nullptr},
        {u"abcdef", -3, nullptr},
    };
    for (const auto& c : cases) {
        WCHAR buf[64];
        for (WCHAR& w : buf)
            w = u'#';
        buf[63] = 0;
        EXPECT_EQ(lstrcpynW(buf, c.src, c.n), buf) << c.n;
        if (!c.expected) {
            EXPECT_EQ(buf[0], u'#') << c.n;
            continue;
        }
        EXPECT_EQ(std::u16string(buf), std::u16string(c.expected)) << c.n;
        int len = lstrlenW(c.expected);
        EXPECT_EQ(buf[len + 1], u'#') << "wrote past the terminator, n=" << c.n;
    }
}

TEST(Lstr, NullPointersGiveNullOrZero)
{
    WCHAR buf[8] = u"ab";
    EXPECT_EQ(lstrlenW(nullptr), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);
    EXPECT_EQ(lstrcpyW(nullptr, u"x"), nullptr);
    EXPECT_EQ(lstrcpyW(buf, nullptr), nullptr);
    EXPECT_EQ(lstrcpynW(nullptr, u"x", 4), nullptr);
    EXPECT_EQ(lstrcpynW(buf, nullptr, 4), nullptr);
    EXPECT_EQ(lstrcatW(buf, nullptr), nullptr);
    EXPECT_EQ(lstrcatW(nullptr, u"x"), nullptr);
    EXPECT_EQ(std::u16string(buf), u"ab");
}

TEST(Lstr, LengthCopyAndJoin)
{
    WCHAR buf[32];
    EXPECT_EQ(lstrcpyW(buf, u"QX-730"), buf);
    EXPECT_EQ(lstrcatW(buf, u" \u65E5\u672C"), buf);
    EXPECT_EQ(std::u16string(buf), u"QX-730 \u65E5\u672C");
    EXPECT_EQ(lstrlenW(buf), 9);
    EXPECT_EQ(lstrlenA("\x93\xFA\x96\x7B"), 4);  // bytes, not characters
}

struct CMPCASE {
    LPCWSTR a;
    LPCWSTR b;
    int cmp;   // lstrcmpW
    int cmpi;  // lstrcmpiW
};

const CMPCASE kCmpCases[] = {
    {u"abc", u"abc", 0, 0},
    {u"abc", u"ABC", -1, 0},      // same letters: lower case first
    {u"ABC", u"abc", 1, 0},
    {u"apple", u"Banana", -1, -1},  // letters before case
    {u"Banana", u"apple", 1, 1},
    {u"banana", u"Banana", -1, 0},
    {u"ab", u"abc", -1, -1},
    {u"abc", u"ab", 1, 1},
    {u"", u"a", -1, -1},
    {u"10KB", u"9KB", -1, -1},    // text order, not numeric
    {u"_x", u"1", -1, -1},        // symbols before digits
    {u"9", u"a", -1, -1},         // digits before letters
    {u"Z", u"a", 1, 1},
    {u"\u00E9t\u00E9", u"\u00C9T\u00C9", -1, 0},                  // Latin-1
    {u"\u043F\u0440\u0438\u0432\u0435\u0442", u"\u041F\u0420\u0418\u0412\u0415\u0422", -1, 0},  // Cyrillic
    {u"\uFF41\uFF42", u"\uFF21\uFF22", -1, 0},                    // full-width
    {u"\u03C3\u03BF\u03C6", u"\u03A3\u039F\u03A6", -1, 0},        // Greek
    {u"\u65E5", u"\u65E5", 0, 0},
    {nullptr, u"", -1, -1},
    {u"", nullptr, 1, 1},
    {nullptr, nullptr, 0, 0},
};

TEST(Lstrcmp, OrdersLikeTheLocaleAndReturnsMinusOneZeroOne)
{
    for (const CMPCASE& c : kCmpCases) {
        std::string label = std::to_string(&c - kCmpCases);
        EXPECT_EQ(lstrcmpW(c.a, c.b), c.cmp) << "row " << label;
        EXPECT_EQ(lstrcmpiW(c.a, c.b), c.cmpi) << "row " << label;
    }
}

TEST(CharUpper, StringsBuffersAndSingleCharacters)
{
    WCHAR s[] = u"abc\u00E9\u00FF\u0437\uFF41\u00DF1\u65E5";
    EXPECT_EQ(CharUpperW(s), s);
    EXPECT_EQ(std::u16string(s), u"ABC\u00C9\u0178\u0417\uFF21\u00DF1\u65E5");
    WCHAR b[] = u"xyz";
    EXPECT_EQ(CharUpperBuffW(b, 2), 2u);
    EXPECT_EQ(std::u16string(b), u"XYz");
    EXPECT_EQ(ULONG_PTR(CharUpperW(reinterpret_cast<LPWSTR>(ULONG_PTR(u'q')))), ULONG_PTR(u'Q'));
    EXPECT_EQ(CharUpperBuffW(nullptr, 4), 0u);
}

TEST(IntegerText, LtowItowUltow)
{
    struct {
        LONG value;
        int radix;
        LPCWSTR expected;
    } cases[] = {
        {0, 10, u"0"},
        {-123, 10, u"-123"},
        // LONG is 32 bits in both builds; <climits>' LONG_MIN/LONG_MAX are
        // the host's long, 64 bits on Linux x86-64.
        {std::numeric_limits<LONG>::min(), 10, u"-2147483648"},
        {std::numeric_limits<LONG>::max(), 10, u"2147483647"},
        {255, 16, u"ff"},
        {-1, 16, u"ffffffff"},  // only radix 10 shows a sign
        {5, 2, u"101"},
        {-1, 2, u"11111111111111111111111111111111"},
        {35, 36, u"z"},
        {8, 8, u"10"},
        {7, 1, u""},
        {7, 37, u""},
    };
    for (const auto& c : cases) {
        WCHAR a[40], b[40];
        EXPECT_EQ(std::u16string(_ltow(c.value, a, c.radix)), c.expected) << c.value << "/" << c.radix;
        EXPECT_EQ(std::u16string(_itow(int(c.value), b, c.radix)), c.expected);
    }
    WCHAR u[40];
    EXPECT_EQ(std::u16string(_ultow(4294967295u, u, 10)), u"4294967295");
    EXPECT_EQ(std::u16string(_ultow(4294967295u, u, 16)), u"ffffffff");
    EXPECT_EQ(_ltow(1, nullptr, 10), nullptr);
}

TEST(IntegerText, WtoiAndWtol)
{
    struct {
        LPCWSTR text;
        LONG value;
    } cases[] = {
        {u"42", 42},
        {u"  42abc", 42},
        {u"\t\r\n-17", -17},
        {u"+8", 8},
        {u"-0", 0},
        {u"", 0},
        {u"abc", 0},
        {u"- 5", 0},
        {u"2147483647", INT_MAX},
        {u"2147483648", INT_MAX},
        {u"-2147483648", INT_MIN},
        {u"99999999999999999999", INT_MAX},
        {u"-99999999999999999999", INT_MIN},
        // Past 32 bits, where the host's long (64 bits on x86-64) would
        // still hold the value: a 32-bit LONG saturates in both builds.
        {u"4294967296", INT_MAX},
        {u"-2147483649", INT_MIN},
        {u"9223372036854775807", INT_MAX},
        {u"-9223372036854775808", INT_MIN},
        {u"21474836470", INT_MAX},
        {u"\uFF11", 0},  // full-width digits are not digits here
        {nullptr, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(_wtol(c.text), c.value) << (&c - cases);
        EXPECT_EQ(_wtoi(c.text), int(c.value)) << (&c - cases);
    }
}

}  // namespace
