// Raster-operation classes of the image output: the ROP4 classes, the
// binary code each pattern-only operation stands for, and the operation a
// pattern-only one becomes when drawn through a mask.
#include "tests/gfx_image/imgfix.h"

namespace {

TEST(Rop4Class, EachClass)
{
    struct Case {
        ROP4 rop4;
        int nClass;
    };
    const Case cases[] = {
        {0xCCCC, 1}, {0xF0F0, 1}, {0xAAAA, 1}, {0x0000, 1},
        {0xF0AA, 2}, {0x05AA, 2},  // fore 0xAA, pattern-only back
        {0xAAF0, 3}, {0xAA5A, 3},  // back 0xAA, pattern-only fore
        {0xCCAA, 4}, {0xAACC, 5},
        {0x66CC, 0}, {0xAA66, 0}, {0x66AA, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rop4Class(c.rop4), c.nClass) << std::hex << c.rop4;
}

TEST(PatternRop, BinaryCodesAndWidenedOperations)
{
    struct Case {
        ULONG rop3;
        ULONG mix;
        ULONG widened;
    };
    const Case cases[] = {
        {0x00, 1, 0x00},  {0x05, 2, 0x01},  {0x0A, 3, 0x02},  {0x0F, 4, 0x03},
        {0x50, 5, 0x54},  {0x55, 6, 0x55},  {0x5A, 7, 0x56},  {0x5F, 8, 0x57},
        {0xA0, 9, 0xA8},  {0xA5, 10, 0xA9}, {0xAA, 11, 0xAA}, {0xAF, 12, 0xAB},
        {0xF0, 13, 0xFC}, {0xF5, 14, 0xFD}, {0xFA, 15, 0xFE}, {0xFF, 16, 0xFF},
        // Operations that read the source are neither.
        {0xCC, 0, 0}, {0x66, 0, 0}, {0x88, 0, 0}, {0x33, 0, 0}, {0xB8, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PatternRopToMix(c.rop3), c.mix) << std::hex << c.rop3;
        EXPECT_EQ(WidenPatternRop(c.rop3), c.widened) << std::hex << c.rop3;
    }
}

TEST(ThresholdMatrix, FirstRowsAndEveryThresholdInItsPlace)
{
    const BYTE* p8 = GetThresholdMatrix(8);
    const BYTE* p16 = GetThresholdMatrix(16);
    ASSERT_NE(p8, nullptr);
    ASSERT_NE(p16, nullptr);
    EXPECT_EQ(GetThresholdMatrix(4), nullptr);
    const BYTE ab8[8] = {226, 170, 70, 22, 30, 94, 202, 234};
    const BYTE ab16[16] = {199, 225, 243, 251, 249, 235, 213, 183, 65, 37, 17, 5, 7, 23, 47, 79};
    EXPECT_EQ(0, memcmp(p8, ab8, 8));
    EXPECT_EQ(0, memcmp(p16, ab16, 16));
    // 8 x 8: 2..254 in steps of 4, each once; 16 x 16: the odd 1..255, each twice.
    int count8[256] = {}, count16[256] = {};
    for (int i = 0; i < 64; ++i)
        count8[p8[i]]++;
    for (int i = 0; i < 256; ++i)
        count16[p16[i]]++;
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(count8[v], v % 4 == 2 ? 1 : 0) << v;
        EXPECT_EQ(count16[v], v % 2 == 1 ? 2 : 0) << v;
    }
}

}  // namespace

namespace {

TEST(DibGetPalette, TableSourcePaletteOrNothing)
{
    ULONG pal4[4] = {0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000};
    // Same palettes on both sides: a translation without a table, read
    // through its source palette, cut to what is asked for.
    XLATEOBJ* pxloSame = PlatXlateCreate(pal4, 4, pal4, 4);
    // A table from the source palette into RGB.
    XLATEOBJ* pxloTable = PlatXlateCreate(pal4, 4, nullptr, 0);
    struct Case {
        const char* what;
        XLATEOBJ* pxlo;
        ULONG n;
        ULONG c;
        BOOL bRemark;
    };
    const Case cases[] = {
        {"source palette, all", pxloSame, 16, 4, FALSE},
        {"source palette, cut", pxloSame, 2, 2, FALSE},
        {"table that fits", pxloTable, 16, 4, FALSE},
        {"table too long", pxloTable, 2, 0, TRUE},
        {"no translation", nullptr, 2, 0, TRUE},
    };
    for (const Case& c : cases) {
        ULONG aul[16] = {};
        PlatClearDebugLog();
        EXPECT_EQ(DibGetPalette(c.pxlo, c.n, aul), c.c) << c.what;
        for (ULONG i = 0; i < c.c; ++i)
            EXPECT_EQ(aul[i], pal4[i]) << c.what << " " << i;
        EXPECT_EQ(PlatDebugLog().find("        error   0\n") != std::string::npos, c.bRemark)
            << c.what;
    }
    // The one-bit mode's variant wants a table of exactly n entries.
    ULONG aul[4] = {};
    EXPECT_EQ(DibGetPaletteOneBit(pxloTable, 4, aul), 4u);
    EXPECT_EQ(aul[1], 0x0000FFu);
    EXPECT_EQ(DibGetPaletteOneBit(pxloTable, 2, aul), 0u);
    EXPECT_EQ(DibGetPaletteOneBit(pxloSame, 4, aul), 0u);
    PlatXlateDelete(pxloSame);
    PlatXlateDelete(pxloTable);
}

}  // namespace
