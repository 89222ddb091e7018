// Brushes and pens: the "brs", "brc", "bru", "lnc", "lnp", "lns", "brm" and
// "bri" commands, each written only when the attribute cache says it
// changed, with brushes realized by the platform's engine through the
// driver's DrvRealizeBrush.
#include "bpfix.h"

namespace {

std::string Bru(const std::string& head, const std::vector<BYTE>& data)
{
    return head + Raw(data) + "!>;\n";
}

TEST(SolidBrush, BlackWhiteAndGreyCommands)
{
    struct Case {
        std::vector<ULONG> colours;
        std::string want;
    };
    const Case cases[] = {
        {{0x000000}, "brs 0;\n"},
        {{0xFFFFFF}, "brs 1;\n"},
        {{0x808080, 0x808080}, "brc 2 #808080;\nbrs 2;\n"},
        // red: grey (30 x 255) / 100 = 76 = 0x4C
        {{0x0000FF, 0x000000, 0x0000FF}, "brc 2 #4C4C4C;\nbrs 2;\nbrs 0;\nbrs 2;\n"},
        {{0x808080, 0x404040}, "brc 2 #808080;\nbrs 2;\nbrc 2 #404040;\n"},
    };
    for (const Case& c : cases) {
        BpPdev t;
        for (ULONG rgb : c.colours) {
            EngBrush b;
            MakeSolid(&b, rgb);
            EXPECT_TRUE(SelectBrush(t.pdev(), b.pbo));
        }
        EXPECT_EQ(t.Take(), c.want);
    }
}

TEST(SolidBrush, NoBrushSelectsMinusOneAndPageSetUpForgetsTheCache)
{
    BpPdev t;
    EXPECT_TRUE(SelectBrush(t.pdev(), nullptr));
    EXPECT_TRUE(SelectSolidColor(t.pdev(), 0x808080));
    EXPECT_TRUE(SelectSolidColor(t.pdev(), 0x808080));
    PdlResetState(t.pdev());
    EXPECT_TRUE(SelectSolidColor(t.pdev(), 0x808080));
    EXPECT_EQ(t.Take(), "brs -1;\nbrc 2 #808080;\nbrs 2;\nbrc 2 #808080;\nbrs 2;\n");
}

std::vector<BYTE> HatchRows(int style)
{
    // 32 x 32, 4 bytes a row, bands as the stored table describes them.
    std::vector<BYTE> v(128, 0);
    auto set = [&](int r, int x) {
        x &= 31;
        v[r * 4 + x / 8] |= (BYTE)(0x80 >> (x % 8));
    };
    for (int r = 0; r < 32; ++r) {
        for (int x = 0; x < 32; ++x) {
            bool h = r >= 12 && r <= 19;
            bool vert = x >= 12 && x <= 19;
            bool f = ((x - r) & 31) < 4;
            bool b = ((x - (28 - r)) & 31) < 4;
            bool on = style == 0 ? h : style == 1 ? vert : style == 2 ? f : style == 3 ? b
                    : style == 4 ? (h || vert) : (f || b);
            if (on) {
                set(r, x);
            }
        }
    }
    return v;
}

TEST(HatchBrush, StoredPatternsHaveTheirBands)
{
    // Spot checks of single rows, written out by hand.
    const BYTE* pH = GetHatchPattern(0);
    const BYTE* pV = GetHatchPattern(1);
    const BYTE* pF = GetHatchPattern(2);
    const BYTE* pB = GetHatchPattern(3);
    ASSERT_NE(pH, nullptr);
    EXPECT_EQ(std::vector<BYTE>(pH + 44, pH + 52), (std::vector<BYTE>{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(std::vector<BYTE>(pV, pV + 4), (std::vector<BYTE>{0x00, 0x0F, 0xF0, 0x00}));
    EXPECT_EQ(std::vector<BYTE>(pF, pF + 4), (std::vector<BYTE>{0xF0, 0x00, 0x00, 0x00}));
    EXPECT_EQ(std::vector<BYTE>(pF + 120, pF + 124), (std::vector<BYTE>{0xC0, 0x00, 0x00, 0x03}));
    EXPECT_EQ(std::vector<BYTE>(pB, pB + 4), (std::vector<BYTE>{0x00, 0x00, 0x00, 0x0F}));
    EXPECT_EQ(GetHatchPattern(6), nullptr);
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(std::vector<BYTE>(GetHatchPattern(s), GetHatchPattern(s) + 128), HatchRows(s)) << s;
    }
}

TEST(HatchBrush, DefinedOnceWithLineColourFirstAndAgainAfterPageSetUp)
{
    for (BOOL bOneBit : {FALSE, TRUE}) {
        BpPdev t;
        if (bOneBit) {
            t.OneBitMode();
        }
        EngBrush b;
        MakeHatch(&b, &t.so, 4, 0x000000, 0xFFFFFF);
        EXPECT_TRUE(SelectBrush(t.pdev(), b.pbo));
        EXPECT_TRUE(SelectBrush(t.pdev(), b.pbo));
        const std::string def = Bru("bru 7 #00 #FFFFFF 32 32 4 <!", HatchRows(4));
        EXPECT_EQ(t.Take(), def + "brs 7;\n") << bOneBit;
        PdlResetState(t.pdev());
        EXPECT_TRUE(SelectBrush(t.pdev(), b.pbo));
        EXPECT_EQ(t.Take(), def + "brs 7;\n");
    }
}

TEST(HatchBrush, EachStyleHasItsNumberAndOtherColoursRedefine)
{
    BpPdev t;
    for (ULONG s = 0; s < 6; ++s) {
        EngBrush b;
        MakeHatch(&b, &t.so, s, 0x808080, 0xFFFFFF);
        SelectBrush(t.pdev(), b.pbo);
        std::string want = Bru("bru " + std::to_string(s + 3) + " #808080 #FFFFFF 32 32 4 <!",
                               HatchRows((int)s)) +
                           "brs " + std::to_string(s + 3) + ";\n";
        EXPECT_EQ(t.Take(), want);
    }
    EngBrush b2;
    MakeHatch(&b2, &t.so, 0, 0x000000, 0xFFFFFF);
    SelectBrush(t.pdev(), b2.pbo);
    EXPECT_EQ(t.Take(), Bru("bru 3 #00 #FFFFFF 32 32 4 <!", HatchRows(0)) + "brs 3;\n");
}

TEST(PatternBrush, SmallPatternsAreDoubledLargerOnesKeptAndOneBitModeNever)
{
    struct Case {
        BOOL bOneBit;
        LONG cx;
        std::string head;
        std::vector<BYTE> data;
    };
    // 8 x 8 checker rows 0xAA / 0x55; 9 x 8 rows 0xAA 0x80 / 0x55 0x00.
    const std::vector<BYTE> doubled = {0xCC, 0xCC, 0xCC, 0xCC, 0x33, 0x33, 0x33, 0x33};
    std::vector<BYTE> want16;
    for (int i = 0; i < 8; ++i) {
        want16.insert(want16.end(), doubled.begin() + (i % 2) * 4, doubled.begin() + (i % 2) * 4 + 4);
    }
    std::vector<BYTE> want9;
    for (int i = 0; i < 8; ++i) {
        want9.push_back(i % 2 ? 0x55 : 0xAA);
        want9.push_back(i % 2 ? 0x00 : 0x80);
    }
    std::vector<BYTE> want8;
    for (int i = 0; i < 8; ++i) {
        want8.push_back(i % 2 ? 0x55 : 0xAA);
    }
    const Case cases[] = {
        {FALSE, 8, "bru 11 #FFFFFF #00 16 16 2 <!", want16},
        {FALSE, 9, "bru 11 #FFFFFF #00 9 8 2 <!", want9},
        {TRUE, 8, "bru 11 #FFFFFF #00 8 8 1 <!", want8},
    };
    for (const Case& c : cases) {
        BpPdev t;
        if (c.bOneBit) {
            t.OneBitMode();
        }
        std::vector<std::vector<BYTE>> rows;
        for (int i = 0; i < 8; ++i) {
            rows.push_back(c.cx == 8 ? std::vector<BYTE>{(BYTE)(i % 2 ? 0x55 : 0xAA)}
                                     : std::vector<BYTE>{(BYTE)(i % 2 ? 0x55 : 0xAA),
                                                         (BYTE)(i % 2 ? 0x00 : 0x80)});
        }
        EngBrush b;
        MakePattern(&b, &t.so, BMF_1BPP, c.cx, 8, rows, {0x000000, 0xFFFFFF});
        EXPECT_TRUE(SelectBrush(t.pdev(), b.pbo));
        EXPECT_TRUE(SelectBrush(t.pdev(), b.pbo));
        EXPECT_EQ(t.Take(), Bru(c.head, c.data) + "brs 11;\n") << c.cx << c.bOneBit;
    }
}

// A 1-bit 8 x 1 record made by hand, with the colours given.
std::vector<BYTE> OneBitRecord(BYTE bits, std::vector<ULONG> colours, ULONG fl = RBF_TOPDOWN,
                               LONG cy = 1)
{
    std::vector<BYTE> v(RB_HEAD_SIZE + 4 * cy + 4 * colours.size(), 0);
    REALBRUSH* prb = reinterpret_cast<REALBRUSH*>(v.data());
    prb->cx = 8;
    prb->cy = cy;
    prb->iFormat = BMF_1BPP;
    prb->fl = fl;
    prb->cColors = (ULONG)colours.size();
    prb->offColors = RB_HEAD_SIZE + 4 * cy;
    prb->iStyle = 6;
    for (LONG y = 0; y < cy; ++y) {
        v[RB_HEAD_SIZE + 4 * y] = (BYTE)(bits + y);
    }
    if (!colours.empty()) {
        memcpy(v.data() + prb->offColors, colours.data(), 4 * colours.size());
    }
    return v;
}

TEST(PatternBrush, EleventhPatternEvictsTheFirstAndTheFirstComesBackInTheFreedSlot)
{
    BpPdev t;
    t.OneBitMode();
    std::vector<std::vector<BYTE>> recs;
    for (int i = 0; i < 11; ++i) {
        recs.push_back(OneBitRecord((BYTE)i, {0x000000, 0xFFFFFF}));
    }
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(DefinePatternBrush(t.pdev(), reinterpret_cast<REALBRUSH*>(recs[i].data())), 11 + i);
    }
    t.Take();
    EXPECT_EQ(DefinePatternBrush(t.pdev(), reinterpret_cast<REALBRUSH*>(recs[3].data())), 14);
    EXPECT_EQ(t.Take(), "");
    EXPECT_EQ(DefinePatternBrush(t.pdev(), reinterpret_cast<REALBRUSH*>(recs[10].data())), 11);
    EXPECT_EQ(t.Take(), "bru 11 #FFFFFF #00 8 1 1 <!\x0A!>;\n");
    EXPECT_EQ(DefinePatternBrush(t.pdev(), reinterpret_cast<REALBRUSH*>(recs[0].data())), 12);
    EXPECT_EQ(t.Take(), std::string("bru 12 #FFFFFF #00 8 1 1 <!") + '\0' + "!>;\n");
}

TEST(PatternBrush, RecordsWithoutTwoColoursAreBlackAndWhite)
{
    // A trivial translation leaves a 1-bit record without colours.
    for (size_t n : {0u, 1u}) {
        BpPdev t;
        std::vector<ULONG> colours(n, 0x808080);
        std::vector<BYTE> rec = OneBitRecord(0xF0, colours);
        EXPECT_EQ(WritePatternBrush(t.pdev(), 9, reinterpret_cast<REALBRUSH*>(rec.data())), 9);
        EXPECT_EQ(t.Take(), "bru 9 #FFFFFF #00 8 1 1 <!\xF0!>;\n");
    }
}

TEST(PatternBrush, BottomUpRowsAreWrittenTopRowFirst)
{
    BpPdev t;
    std::vector<BYTE> rec = OneBitRecord(0x10, {0x000000, 0x808080}, 0, 3);
    WritePatternBrush(t.pdev(), 9, reinterpret_cast<REALBRUSH*>(rec.data()));
    EXPECT_EQ(t.Take(), "bru 9 #808080 #00 8 3 1 <!\x12\x11\x10!>;\n");
}

TEST(PatternBrush, UnsupportedFormatIsNeverCached)
{
    BpPdev t;
    std::vector<BYTE> rec = OneBitRecord(0x10, {0x000000, 0xFFFFFF});
    reinterpret_cast<REALBRUSH*>(rec.data())->iFormat = 7;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(DefinePatternBrush(t.pdev(), reinterpret_cast<REALBRUSH*>(rec.data())), 0);
        const LONG cCached = t.attr()->cCached;  // packed field: read by value
        EXPECT_EQ(cCached, 0);
    }
    EXPECT_EQ(t.Take(), "");
    EXPECT_EQ(UpdatePatternBrushExt(t.pdev(), reinterpret_cast<REALBRUSH*>(rec.data()), 2), 0);
    EXPECT_EQ(t.Take(), "rem error: update_pattern_brush_ext;\n");
}

TEST(PatternBrush, TwentyFourBitPatternGoesThroughTheOrderedDither)
{
    // Uniform levels: L = 0 -> level 0 (no bits), 128 -> level 8 (rows
    // cc cc 33 33), 255 -> level 16 (all bits). Width 4: the high nibble.
    struct Case {
        BYTE level;
        std::string bits;
    };
    const Case cases[] = {
        {0, std::string("\0\0\0\0", 4)},
        {128, "\xC0\xC0\x30\x30"},
        {255, "\xF0\xF0\xF0\xF0"},
    };
    for (const Case& c : cases) {
        BpPdev t;
        t.OneBitMode();
        std::vector<std::vector<BYTE>> rows(4, std::vector<BYTE>(12, c.level));
        EngBrush b;
        MakePattern(&b, &t.so, BMF_24BPP, 4, 4, rows, {});
        SelectBrush(t.pdev(), b.pbo);
        EXPECT_EQ(t.Take(), "bru 11 #FFFFFF #00 4 4 1 <!" + c.bits + "!>;\nbrs 11;\n") << (int)c.level;
    }
}

TEST(PatternBrush, FourBitOddWidthTakesTheLastPixelFromTheHighNibble)
{
    BpPdev t;
    std::vector<ULONG> pal(16, 0);
    pal[1] = 0x0000FF;
    pal[2] = 0x00FF00;
    pal[3] = 0xFF0000;
    EngBrush b;
    MakePattern(&b, &t.so, BMF_4BPP, 3, 1, {{0x12, 0x34}}, pal);
    const REALBRUSH* prb = static_cast<const REALBRUSH*>(BRUSHOBJ_pvGetRbrush(b.pbo));
    ASSERT_NE(prb, nullptr);
    EXPECT_EQ(prb->iFormat, 5u);
    EXPECT_EQ(prb->fl & RBF_TOPDOWN, 1u);
    const BYTE* px = reinterpret_cast<const BYTE*>(prb) + RB_HEAD_SIZE;
    // Pixels 1, 2, 3 as blue, green, red bytes.
    EXPECT_EQ(std::vector<BYTE>(px, px + 9),
              (std::vector<BYTE>{0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00}));
}

TEST(DitherBrush, GreyLevelsPickTheClusteredPatterns)
{
    struct Case {
        ULONG rgb;
        std::string bits;
    };
    const Case cases[] = {
        {0x808080, "\x3C\x3C\xC3\xC3\xC3\xC3\x3C\x3C"},
        {0x000000, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"},
        {0xFFFFFF, std::string(8, '\0')},
        // L = 243: level 32 - 247 / 8 = 2
        {0xF3F3F3, std::string("\0\0\0\x81\0\0\0\x18", 8)},
        // L = 251: level 1
        {0xFBFBFB, std::string("\0\0\0\x01\0\0\0\x10", 8)},
    };
    for (const Case& c : cases) {
        BpPdev t;
        EXPECT_TRUE(SelectGrayDither(t.pdev(), c.rgb));
        EXPECT_EQ(t.Take(), "bru 11 #00 #FFFFFF 8 8 1 <!" + c.bits + "!>;\nbrs 11;\n") << std::hex << c.rgb;
    }
    for (int n = 0; n <= 32; ++n) {
        int bits = 0;
        for (int r = 0; r < 8; ++r) {
            bits += __builtin_popcount(GetDitherPattern(n)[r]);
        }
        EXPECT_EQ(bits, 2 * n) << n;
    }
}

TEST(Pen, LineDefinitionsAt600Dpi)
{
    std::vector<FLOAT_LONG> dash = {{3}, {1}};
    struct Case {
        const char* name;
        LINEATTRS la;
        std::string want;
    };
    LINEATTRS alt = Cosmetic(LA_ALTERNATE);
    alt.elStyleState.l = 0x00FFFFFE;
    LINEATTRS geo = {};
    geo.fl = LA_GEOMETRIC;
    geo.elWidth.l = FloatBits(3.0f);
    geo.eMiterLimit = FloatBits(10.0f);
    const Case cases[] = {
        {"solid", Cosmetic(), "lnc 0 10 %1 F M %0 0;\n"},
        {"dashed", Cosmetic(0, &dash), "lnp 0 10 %1 7 F M %0 0 96 2 72 24;\n"},
        {"alternate", alt, "lnp 0 10 %1 8 F M %0 -2 128;\n"},
        {"geometric", geo, "rem geometric pen;\nlnc 0 10 %3 F M %10 0;\n"},
    };
    for (const Case& c : cases) {
        BpPdev t;
        EngBrush b;
        MakeSolid(&b, 0x000000);
        LINEATTRS la = c.la;
        EXPECT_TRUE(SelectPen(t.pdev(), b.pbo, &la)) << c.name;
        EXPECT_EQ(t.Take(), "brc 10 #00;\n" + c.want + "lns 0;\n") << c.name;
    }
}

// A geometric pen's width and dashes are page dots: written as they are on a
// full-size page, reduced with the page on an N-up sheet.
TEST(Pen, GeometricPensKeepTheirDashesAndFollowThePageScale)
{
    struct Case {
        const char* name;
        float width;
        std::vector<float> dashes;
        LONG scale;
        std::string want;
    };
    const Case cases[] = {
        {"solid", 20.0f, {}, 10000, "lnc 0 10 %20 F M %10 0;\n"},
        {"dashed", 20.0f, {60.0f, 20.0f}, 10000, "lnp 0 10 %20 7 F M %10 0 80 2 60 20;\n"},
        {"user style, fractions rounded", 3.0f, {12.6f, 7.4f, 2.0f, 7.4f}, 10000,
         "lnp 0 10 %3 7 F M %10 0 29 4 13 7 2 7;\n"},
        {"solid at 48 %", 62.5f, {}, 4800, "lnc 0 10 %30 F M %10 0;\n"},
        {"dashed at 48 %", 20.0f, {60.0f, 20.0f}, 4800, "lnp 0 10 %10 7 F M %10 0 39 2 29 10;\n"},
        {"hairline at 48 % stays a dot wide", 1.0f, {}, 4800, "lnc 0 10 %1 F M %10 0;\n"},
        {"zoomed to 200 %", 20.0f, {60.0f, 20.0f}, 20000, "lnp 0 10 %40 7 F M %10 0 160 2 120 40;\n"},
        // Dashes shorter than a dot draw a solid line.
        {"dashes below a dot", 20.0f, {0.2f, 0.2f}, 10000, "lnc 0 10 %20 F M %10 0;\n"},
    };
    for (const Case& c : cases) {
        BpPdev t;
        t.pdev()->lNupScale = c.scale;
        EngBrush b;
        MakeSolid(&b, 0x000000);
        std::vector<FLOAT_LONG> style;
        for (float f : c.dashes) {
            style.push_back(FLOAT_LONG{FloatBits(f)});
        }
        LINEATTRS la = {};
        la.fl = LA_GEOMETRIC | (style.empty() ? 0 : LA_STYLED);
        la.elWidth.l = FloatBits(c.width);
        la.eMiterLimit = FloatBits(10.0f);
        la.cstyle = (ULONG)style.size();
        la.pstyle = style.empty() ? nullptr : style.data();
        EXPECT_TRUE(SelectPen(t.pdev(), b.pbo, &la)) << c.name;
        EXPECT_EQ(t.Take(), "brc 10 #00;\nrem geometric pen;\n" + c.want + "lns 0;\n") << c.name;
    }
}

TEST(Pen, ColourRegisterTenIsCachedAndBrushPenUsesTheBrushNumber)
{
    BpPdev t;
    EngBrush grey;
    MakeSolid(&grey, 0x808080);
    LINEATTRS la = Cosmetic();
    SelectPen(t.pdev(), grey.pbo, &la);
    SelectPen(t.pdev(), grey.pbo, &la);
    EXPECT_EQ(t.Take(), "brc 10 #808080;\nlnc 0 10 %1 F M %0 0;\nlns 0;\nlnc 0 10 %1 F M %0 0;\n");
    SelectBrushPen(t.pdev(), grey.pbo, &la);
    EXPECT_EQ(t.Take(), "brc 2 #808080;\nbrs 2;\nlnc 0 2 %1 F M %0 0;\n");
    EXPECT_TRUE(SelectPen(t.pdev(), nullptr, &la));
    EXPECT_EQ(t.Take(), "lns -1;\n");
}

TEST(Pen, PatternPenWritesItsRemarkAndNoColour)
{
    BpPdev t;
    EngBrush b;
    MakeHatch(&b, &t.so, 0, 0x000000, 0xFFFFFF);
    LINEATTRS la = Cosmetic();
    EXPECT_TRUE(SelectPen(t.pdev(), b.pbo, &la));
    EXPECT_EQ(t.Take(),
              "rem cosmetic line with user defined pattern brush;\nlnc 0 10 %1 F M %0 0;\nlns 0;\n");
}

TEST(BrushMode, CacheHoldsTheModeNotTheOperand)
{
    BpPdev t;
    for (LONG m : {2, 2, 1, 3, 3, 2}) {
        SetBrushMode(t.pdev(), m);
    }
    EXPECT_EQ(t.Take(), "brm 0;\nbrm 1;\nbrm 1;\nbrm 0;\n");
    SetImageColors(t.pdev(), 0x000000, 0xFFFFFF);
    SetImageColors(t.pdev(), 0x000000, 0xFFFFFF);
    SetImageColors(t.pdev(), 0x000000, 0x808080);
    EXPECT_EQ(t.Take(), "bri #00 #FFFFFF;\nbri #00 #808080;\n");
}

TEST(Helpers, FixedPointAndScaleTables)
{
    const std::pair<float, LONG> fix[] = {{1.5f, 384}, {-1.5f, -384}, {0.00390625f, 1},
                                          {10.0f, 2560}, {0.001f, 0}, {-0.001f, 0}};
    for (auto [f, l] : fix) {
        EXPECT_EQ(FloatToFix(f), l) << f;
    }
    BYTE ab[8] = {};
    BuildScaleTable(ab, 3, 8);
    EXPECT_EQ(std::vector<BYTE>(ab, ab + 3), (std::vector<BYTE>{3, 2, 3}));
    BuildScaleTable(ab, 8, 3);
    EXPECT_EQ(std::vector<BYTE>(ab, ab + 8), (std::vector<BYTE>{0, 0, 1, 0, 0, 1, 0, 1}));
    BYTE src = 0xA5;  // 1010 0101
    BYTE dst[2] = {};
    BuildScaleTable(ab, 8, 16);
    ScaleRow1Bpp(0, &src, dst, 8, ab);
    EXPECT_EQ(dst[0], 0xCC);
    EXPECT_EQ(dst[1], 0x33);
    BYTE half[8] = {0, 1, 0, 1, 0, 1, 0, 1};
    BYTE d0 = 0;
    BYTE d1 = 0;
    BYTE s2 = 0x81;  // first and last bit
    ScaleRow1Bpp(0, &s2, &d0, 8, half);
    ScaleRow1Bpp(1, &s2, &d1, 8, half);
    EXPECT_EQ(d0, 0x10);
    EXPECT_EQ(d1, 0x90);
}

TEST(Memory, PageSetUpGivesTheCachedCopiesBack)
{
    BpPdev t;
    t.OneBitMode();
    int nBefore = t.ChainBlocks();
    for (int page = 0; page < 20; ++page) {
        for (int i = 0; i < 10; ++i) {
            std::vector<BYTE> rec = OneBitRecord((BYTE)(page * 10 + i), {0x000000, 0xFFFFFF});
            DefinePatternBrush(t.pdev(), reinterpret_cast<REALBRUSH*>(rec.data()));
        }
        EXPECT_EQ(t.ChainBlocks(), nBefore + 10);
        PdlResetState(t.pdev());
        EXPECT_EQ(t.ChainBlocks(), nBefore);
    }
}

}  // namespace

namespace {

std::vector<BYTE> RealizedPixels(BpPdev* pt, ULONG iFormat, LONG cx, std::vector<BYTE> row)
{
    EngBrush b;
    MakePattern(&b, &pt->so, iFormat, cx, 1, {row}, {});
    const REALBRUSH* prb = static_cast<const REALBRUSH*>(BRUSHOBJ_pvGetRbrush(b.pbo));
    if (prb == nullptr || prb->iFormat != BMF_24BPP) {
        return {};
    }
    const BYTE* px = reinterpret_cast<const BYTE*>(prb) + RB_HEAD_SIZE;
    return std::vector<BYTE>(px, px + 3 * cx);
}

TEST(PatternBrush, OneBitModeColoursOfEightAndSixteenBitPatterns)
{
    BpPdev t;
    t.OneBitMode();
    // 8 bits without a readable palette: the default palette, entries 1
    // (128, 0, 0) and 9 (166, 202, 240); stored blue, green, red.
    EXPECT_EQ(RealizedPixels(&t, BMF_8BPP, 2, {1, 9}),
              (std::vector<BYTE>{0x00, 0x00, 0x80, 0xF0, 0xCA, 0xA6}));
    // 16 bits 5-5-5: each field shifted left by 3.
    EXPECT_EQ(RealizedPixels(&t, BMF_16BPP, 2, {0x00, 0x7C, 0x1F, 0x00}),
              (std::vector<BYTE>{0x00, 0x00, 0xF8, 0xF8, 0x00, 0x00}));
}

}  // namespace
