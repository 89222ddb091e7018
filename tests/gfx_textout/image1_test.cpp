// The 1-bit image writer: its run-length code and the exact commands it
// writes, at full size, scaled and on a reduced (N-up) page.
#include <gtest/gtest.h>

#include "textfix.h"
#include "tests/common/packref.h"

namespace {

std::string Bytes(std::initializer_list<int> l)
{
    std::string s;
    for (int v : l)
        s += (char)v;
    return s;
}

std::string Repeat(int b, int n)
{
    return std::string((size_t)n, (char)b);
}

std::string Alternate(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += (char)(i % 2 ? 0x55 : 0xAA);
    return s;
}

struct PackRow {
    const char* what;
    std::string in;
    std::string out;
};

TEST(PackBits, RowsCodeAsTheirRunsAndLiterals)
{
    const PackRow rows[] = {
        {"one byte", Bytes({0x7E}), Bytes({0x00, 0x7E})},
        {"a run of 16", Repeat(0xAA, 16), Bytes({0xF1, 0xAA})},
        {"a run of 128", Repeat(0xAA, 128), Bytes({0x81, 0xAA})},
        {"a run of 129", Repeat(0xAA, 129), Bytes({0x81, 0xAA, 0x00, 0xAA})},
        {"two different bytes", Bytes({0x12, 0x34}), Bytes({0x00, 0x12, 0x00, 0x34})},
        {"a byte then a run", Bytes({0x12, 0x34, 0x34, 0x34}), Bytes({0x00, 0x12, 0xFE, 0x34})},
        {"a literal closed by a run", Bytes({0x01, 0x02, 0x03, 0x04, 0x04}),
         Bytes({0x00, 0x01, 0x01, 0x02, 0x03, 0xFF, 0x04})},
        {"130 alternating bytes", Alternate(130),
         Bytes({0x00, 0xAA}) + Bytes({0x7F}) + Alternate(129).substr(1) + Bytes({0x00, 0x55})},
    };
    for (const PackRow& r : rows) {
        std::vector<BYTE> out(2 * r.in.size() + 4, 0xEE);
        DWORD cbCount = PackBitsRow((const BYTE*)r.in.data(), (DWORD)r.in.size(), nullptr);
        DWORD cb = PackBitsRow((const BYTE*)r.in.data(), (DWORD)r.in.size(), out.data());
        EXPECT_EQ(cb, cbCount) << r.what;
        EXPECT_EQ(std::string((const char*)out.data(), cb), r.out) << r.what;
    }
}

std::string Singles(int n, int first = 1)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += (char)(first + i);
    return s;
}

TEST(PackBits, SameAsTheByteByByteCoder)
{
    // Runs and literals at the row's edges, at and around the 128-byte
    // limits, at every alignment of a word, and rows of odd lengths.
    std::vector<std::string> rows = {
        "", Bytes({0}), Bytes({0, 0}), Bytes({0, 1}), Bytes({1, 0, 0}), Bytes({1, 1, 0}),
        Singles(127), Singles(128), Singles(129), Singles(255), Singles(256), Singles(257),
        Repeat(7, 127), Repeat(7, 128), Repeat(7, 129), Repeat(7, 256), Repeat(7, 257),
        Singles(128) + Repeat(9, 2), Singles(129) + Repeat(9, 2), Repeat(9, 2) + Singles(128),
        Repeat(9, 3) + Singles(130) + Repeat(200, 131), Alternate(131), Alternate(400) + "x",
        Singles(1) + Repeat(0, 5) + Singles(3, 40) + Repeat(0xFF, 2) + Singles(1, 90),
    };
    for (int lead = 0; lead < 9; ++lead)
        for (int run = 1; run < 11; ++run)
            rows.push_back(Singles(lead) + Repeat(0xEE, run) + Singles(lead % 5, 50) +
                           Repeat(0x11, run + lead) + Singles(run % 3, 70));
    // Rows like a page's: long white and black runs with short text strokes.
    unsigned seed = 12345;
    auto next = [&] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7FFF; };
    for (int r = 0; r < 300; ++r) {
        std::string s;
        size_t len = 1 + next() % 700;
        while (s.size() < len) {
            int kind = next() % 4;
            int n = 1 + next() % (kind == 0 ? 300 : 6);
            for (int k = 0; k < n; ++k)
                s += (char)(kind == 0 ? (r & 1 ? 0 : 0xFF) : kind == 1 ? next() % 4 : next());
        }
        s.resize(len);
        rows.push_back(s);
    }
    for (const std::string& in : rows) {
        std::string want = ReferencePack(in);
        std::vector<BYTE> out(2 * in.size() + 4, 0xEE);
        DWORD cbCount = PackBitsRow((const BYTE*)in.data(), (DWORD)in.size(), nullptr);
        DWORD cb = PackBitsRow((const BYTE*)in.data(), (DWORD)in.size(), out.data());
        ASSERT_EQ(cb, cbCount) << "row of " << in.size();
        ASSERT_EQ(std::string((const char*)out.data(), cb), want) << "row of " << in.size();
        // No row codes into more than twice its length.
        ASSERT_LE(cb, 2 * in.size());
    }
}

TEST(WriteImage1, RawWhenCodingDoesNotShrink)
{
    TextPdev t;
    const BYTE bits[] = {0xFF, 0xFF, 0x0F, 0xF0};
    ASSERT_TRUE(WriteImage1(t.pdev(), bits, 16, 2, 2, 10, 20, 16, 2));
    EXPECT_EQ(t.Take(), "mta 10 20;\nimm 1 16 2 2 4 <!" + Bytes({0xFF, 0xFF, 0x0F, 0xF0}) +
                            "!>;\n");
}

TEST(WriteImage1, CodedWhenShorter)
{
    TextPdev t;
    std::vector<BYTE> bits(16 * 3, 0);
    bits[16] = 0x80;  // the second row: one pixel, then 15 blank bytes
    ASSERT_TRUE(WriteImage1(t.pdev(), bits.data(), 128, 3, 16, 0, 5, 128, 3));
    EXPECT_EQ(t.Take(), "mta 0 5;\nimt 1 128 3 16 8 <!" +
                            Bytes({0xF1, 0x00, 0x00, 0x80, 0xF2, 0x00, 0xF1, 0x00}) + "!>;\n");
}

TEST(WriteImage1, ScaledAndStridedAndReduced)
{
    TextPdev t;
    // Rows are taken every stride bytes; the padding never goes out.
    const BYTE bits[] = {0x12, 0x34, 0xEE, 0xEE, 0x56, 0x78, 0xEE, 0xEE};
    ASSERT_TRUE(WriteImage1(t.pdev(), bits, 16, 2, 4, 10, 20, 32, 4));
    EXPECT_EQ(t.Take(), "mta 10 20;\nbmm 1 16 2 32 4 2 4 <!" + Bytes({0x12, 0x34, 0x56, 0x78}) +
                            "!>;\n");

    // On a half-size page in the cell at (100, 200) the destination is
    // mapped; an edge that collapses keeps one pixel.
    t.pdev()->lNupScale = 5000;
    t.pdev()->xNupCell = 100;
    t.pdev()->yNupCell = 200;
    ASSERT_TRUE(WriteImage1(t.pdev(), bits, 16, 2, 4, 10, 20, 16, 1));
    EXPECT_EQ(t.Take(), "mta 105 210;\nbmm 1 16 2 8 1 2 4 <!" + Bytes({0x12, 0x34, 0x56, 0x78}) +
                            "!>;\n");
    // An image that is already at its final size is written where it is.
    ASSERT_TRUE(WriteImage1Ex(t.pdev(), bits, 16, 2, 4, 10, 20, 16, 2, TRUE));
    EXPECT_EQ(t.Take(), "mta 10 20;\nimm 1 16 2 2 4 <!" + Bytes({0x12, 0x34, 0x56, 0x78}) + "!>;\n");
}

TEST(WriteImage1, BadInputWritesNothing)
{
    TextPdev t;
    const BYTE bits[] = {0xFF, 0xFF};
    EXPECT_FALSE(WriteImage1(t.pdev(), nullptr, 16, 1, 2, 0, 0, 16, 1));
    EXPECT_FALSE(WriteImage1(t.pdev(), bits, 16, 1, 1, 0, 0, 16, 1));   // stride too short
    EXPECT_FALSE(WriteImage1(t.pdev(), bits, -16, 1, 2, 0, 0, 16, 1));
    EXPECT_TRUE(WriteImage1(t.pdev(), bits, 0, 1, 2, 0, 0, 16, 1));     // nothing to draw
    EXPECT_TRUE(WriteImage1(t.pdev(), bits, 16, 1, 2, 0, 0, 16, 0));
    EXPECT_EQ(t.Take(), "");
}

}  // namespace
