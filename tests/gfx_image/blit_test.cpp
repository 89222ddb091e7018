// Source bitmaps through the blit bodies: the exact image commands for each
// source depth, raw and run-length coded, scaled, mirrored, clipped, on a
// reduced (N-up) page and halftoned by the driver; pattern-only operations
// as rectangles; masks; refused input.
#include "tests/gfx_image/imgfix.h"

#include "graphics/ddi/gendi.h"
#include "tests/common/packref.h"

namespace {

const std::string kEnd = "!>;\n";

BOOL Copy(BpPdev& pd, SURFOBJ* psoSrc, XLATEOBJ* pxlo, RECTL rc, POINTL pt = {0, 0})
{
    return CopyBitsBody(&pd.so, psoSrc, nullptr, pxlo, &rc, &pt);
}

BOOL Stretch(BpPdev& pd, SURFOBJ* psoSrc, RECTL rcDst, RECTL rcSrc, CLIPOBJ* pco = nullptr)
{
    return StretchBltBody(&pd.so, psoSrc, nullptr, pco, nullptr, nullptr, nullptr, &rcDst, &rcSrc,
                          nullptr, COLORONCOLOR);
}

BOOL Blt(BpPdev& pd, SURFOBJ* psoSrc, SURFOBJ* psoMask, RECTL rc, POINTL pt, BRUSHOBJ* pbo,
         ROP4 rop4, CLIPOBJ* pco = nullptr)
{
    POINTL ptBrush = {0, 0};
    return BitBltBody(&pd.so, psoSrc, psoMask, pco, nullptr, &rc, &pt, nullptr, pbo, &ptBrush,
                      rop4);
}

TEST(OneBitImage, RawRowsInvertedWithTheirColoursAndRop)
{
    BpPdev pd;
    SrcBitmap src(BMF_1BPP, 16, 2, {{0xF0, 0x0F}, {0xFF, 0x00}});
    ASSERT_TRUE(Blt(pd, src.pso, nullptr, {10, 20, 26, 22}, {0, 0}, nullptr, 0xCCCC));
    std::string s = pd.Take();
    // Source index 0 (black) is the first "bri" colour: its bits become 1.
    EXPECT_EQ(FromMta(s), "mta 10 20;\nimm 1 16 2 2 4 <!" + Bytes({0x0F, 0xF0, 0x00, 0xFF}) + kEnd);
    size_t at = s.find("mta ");
    EXPECT_LT(s.find("rop 3 #CC;\n"), at);
    EXPECT_LT(s.find("brm 0;\n"), at);
    EXPECT_LT(s.find("bri #00 #FFFFFF;\n"), at);
}

TEST(OneBitImage, RepeatedRowsAreCodedTwoBytesPer128)
{
    BpPdev pd;
    SrcBitmap src(BMF_1BPP, 1024, 2, {std::vector<BYTE>(128, 0), std::vector<BYTE>(128, 0)});
    ASSERT_TRUE(Copy(pd, src.pso, nullptr, {0, 0, 1024, 2}));
    EXPECT_EQ(FromMta(pd.Take()),
              "mta 0 0;\nimt 1 1024 2 128 4 <!" + Bytes({0x81, 0xFF, 0x81, 0xFF}) + kEnd);
}

TEST(OneBitImage, ColoursComeFromTheTranslation)
{
    BpPdev pd;
    SrcBitmap src(BMF_1BPP, 8, 1, {{0x0F}});
    ULONG pal[2] = {0xFFFFFF, 0x000000};  // index 0 white, index 1 black
    XLATEOBJ* pxlo = PlatXlateCreate(pal, 2, nullptr, 0);
    ASSERT_TRUE(Copy(pd, src.pso, pxlo, {0, 0, 8, 1}));
    std::string s = pd.Take();
    EXPECT_NE(s.find("bri #FFFFFF #00;\n"), std::string::npos) << s;
    EXPECT_EQ(FromMta(s), "mta 0 0;\nimm 1 8 1 1 1 <!" + Bytes({0xF0}) + kEnd);
    PlatXlateDelete(pxlo);
}

// One row of each depth through CopyBits: the density bytes it becomes.
TEST(DensityImage, EachSourceDepth)
{
    ULONG pal16[16] = {0xFFFFFF, 0x0000FF};
    ULONG pal3[3] = {0xFFFFFF, 0x000000, 0x00FF00};
    struct Case {
        const char* what;
        ULONG iFormat;
        LONG cx;
        std::vector<BYTE> row;
        const ULONG* pPal;
        ULONG cPal;
        std::string sData;
    };
    const Case cases[] = {
        // 255 - (30 R + 59 G + 11 B) / 100: white 0, red 179.
        {"24 bits", BMF_24BPP, 2, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF}, nullptr, 0,
         Bytes({0x00, 0xB3})},
        {"32 bits", BMF_32BPP, 2, {0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00}, nullptr, 0,
         Bytes({0xB3, 0x69})},
        {"8 bits, no translation: inverted", BMF_8BPP, 2, {0x40, 0xFF}, nullptr, 0,
         Bytes({0xBF, 0x00})},
        {"8 bits through the palette", BMF_8BPP, 2, {0x02, 0x01}, pal3, 3, Bytes({0x69, 0xFF})},
        {"16 bits 5-5-5, no translation", BMF_16BPP, 2, {0xFF, 0x7F, 0x00, 0x00}, nullptr, 0,
         Bytes({0x07, 0xFF})},
        {"4 bits through the palette", BMF_4BPP, 2, {0x01}, pal16, 16, Bytes({0x00, 0xB3})},
        {"4 bits, default densities", BMF_4BPP, 2, {0x0F}, nullptr, 0, Bytes({0xFF, 0x00})},
    };
    for (const Case& c : cases) {
        BpPdev pd;
        SrcBitmap src(c.iFormat, c.cx, 1, {c.row});
        XLATEOBJ* pxlo = c.pPal ? PlatXlateCreate(c.pPal, c.cPal, nullptr, 0) : nullptr;
        ASSERT_TRUE(Copy(pd, src.pso, pxlo, {0, 0, c.cx, 1})) << c.what;
        EXPECT_EQ(FromMta(pd.Take()), "mta 0 0;\nimm 8 2 1 2 2 <!" + c.sData + kEnd) << c.what;
        if (pxlo)
            PlatXlateDelete(pxlo);
    }
}

TEST(DensityImage, OneBitModeReadsTheSourcePalette)
{
    // The translation goes to the black-and-white device palette; the image
    // keeps the source's own colours (white 0, red 179).
    ULONG palSrc[16] = {0xFFFFFF, 0x0000FF};
    ULONG palDev[2] = {0x000000, 0xFFFFFF};
    XLATEOBJ* pxlo = PlatXlateCreate(palSrc, 16, palDev, 2);
    {
        BpPdev pd;
        pd.OneBitMode();
        SrcBitmap src(BMF_4BPP, 2, 1, {{0x01}});
        ASSERT_TRUE(Copy(pd, src.pso, pxlo, {0, 0, 2, 1}));
        EXPECT_EQ(FromMta(pd.Take()), "mta 0 0;\nimm 8 2 1 2 2 <!" + Bytes({0x00, 0xB3}) + kEnd);
    }
    {
        // An 8-bit source whose palette does not have its 256 entries is
        // read through the default palette: 0 black, 1 dark red (0x80).
        BpPdev pd;
        pd.OneBitMode();
        SrcBitmap src(BMF_8BPP, 2, 1, {{0x00, 0x01}});
        ASSERT_TRUE(Copy(pd, src.pso, pxlo, {0, 0, 2, 1}));
        EXPECT_EQ(FromMta(pd.Take()), "mta 0 0;\nimm 8 2 1 2 2 <!" + Bytes({0xFF, 0xD9}) + kEnd);
    }
    PlatXlateDelete(pxlo);
}

TEST(ScaledImage, DestinationSizeWritesTheScaledHead)
{
    BpPdev pd;
    SrcBitmap src(BMF_24BPP, 2, 1, {{0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF}});
    ASSERT_TRUE(Stretch(pd, src.pso, {0, 0, 4, 2}, {0, 0, 2, 1}));
    EXPECT_EQ(FromMta(pd.Take()), "mta 0 0;\nbmm 8 2 1 4 2 2 2 <!" + Bytes({0x00, 0xB3}) + kEnd);
}

TEST(MirroredImage, NegativeExtentsReverseTheData)
{
    {
        // Horizontal, 8-bit: bytes reversed, the destination normalised.
        BpPdev pd;
        SrcBitmap src(BMF_24BPP, 2, 1, {{0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF}});
        ASSERT_TRUE(Stretch(pd, src.pso, {4, 0, 0, 2}, {0, 0, 2, 1}));
        EXPECT_EQ(FromMta(pd.Take()),
                  "mta 0 0;\nbmm 8 2 1 4 2 2 2 <!" + Bytes({0xB3, 0x00}) + kEnd);
    }
    {
        // Vertical: rows in reverse order.
        BpPdev pd;
        SrcBitmap src(BMF_24BPP, 1, 2, {{0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0xFF}});
        ASSERT_TRUE(Stretch(pd, src.pso, {0, 2, 1, 0}, {0, 0, 1, 2}));
        EXPECT_EQ(FromMta(pd.Take()), "mta 0 0;\nimm 8 1 2 1 2 <!" + Bytes({0xB3, 0x00}) + kEnd);
    }
    {
        // Horizontal, 1-bit, 12 pixels: the black first pixel ends up as the
        // twelfth, not in the padding.
        BpPdev pd;
        SrcBitmap src(BMF_1BPP, 12, 1, {{0x7F, 0xF0}});
        ASSERT_TRUE(Stretch(pd, src.pso, {12, 0, 0, 1}, {0, 0, 12, 1}));
        EXPECT_EQ(FromMta(pd.Take()), "mta 0 0;\nimm 1 12 1 2 2 <!" + Bytes({0x00, 0x10}) + kEnd);
    }
}

TEST(ClippedSource, PartsOffTheSurfaceKeepTheRestInPlace)
{
    struct Case {
        const char* what;
        POINTL ptSrc;
        RECTL rcDst;
        std::string sImage;
    };
    const Case cases[] = {
        {"off the left", {-4, 0}, {100, 100, 116, 101},
         "mta 104 100;\nimm 1 12 1 2 2 <!" + Bytes({0xFF, 0x00}) + kEnd},
        {"off the right", {8, 0}, {0, 0, 16, 1}, "mta 0 0;\nimm 1 8 1 1 1 <!" + Bytes({0x00}) + kEnd},
        {"first pixel off a byte boundary", {4, 0}, {0, 0, 8, 1},
         "mta 0 0;\nimm 1 8 1 1 1 <!" + Bytes({0xF0}) + kEnd},
    };
    for (const Case& c : cases) {
        BpPdev pd;
        SrcBitmap src(BMF_1BPP, 16, 1, {{0x00, 0xFF}});
        ASSERT_TRUE(Blt(pd, src.pso, nullptr, c.rcDst, c.ptSrc, nullptr, 0xCCCC)) << c.what;
        EXPECT_EQ(FromMta(pd.Take()), c.sImage) << c.what;
    }
}

TEST(ClippedImage, TheClipGoesOutBeforeTheImage)
{
    BpPdev pd;
    EngClip clip;
    RECTL rcClip = {50, 60, 70, 80};
    ASSERT_TRUE(PlatClipSetRects(clip.pco, &rcClip, 1));
    SrcBitmap src(BMF_1BPP, 8, 1, {{0x00}});
    ASSERT_TRUE(Blt(pd, src.pso, nullptr, {40, 60, 48, 61}, {0, 0}, nullptr, 0xCCCC, clip.pco));
    std::string s = pd.Take();
    size_t atClip = s.find("cpc 1 50 60 70 80;\n");
    ASSERT_NE(atClip, std::string::npos) << s;
    EXPECT_LT(atClip, s.find("mta 40 60;\n"));
}

TEST(ReducedPage, ImagesAreMappedIntoTheirCell)
{
    struct Case {
        const char* what;
        ROP4 rop4;
        RECTL rcDst;
        LONG cx;
        std::string sImage;
    };
    const Case cases[] = {
        {"scaled by half", 0xCCCC, {10, 20, 26, 22}, 16,
         "mta 105 210;\nbmm 1 16 2 8 1 2 4 <!" + Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + kEnd},
        // A pixel that maps to nothing keeps one pixel when the operation
        // does not read the page, and is dropped when it does.
        {"guarded", 0xCCCC, {10, 20, 11, 21}, 1, "mta 105 210;\nimm 1 1 1 1 1 <!" + Bytes({0x80}) + kEnd},
        {"reads the page", 0x8888, {10, 20, 11, 21}, 1, ""},
    };
    for (const Case& c : cases) {
        BpPdev pd;
        pd.pdev()->lNupScale = 5000;
        pd.pdev()->xNupCell = 100;
        pd.pdev()->yNupCell = 200;
        SrcBitmap src(BMF_1BPP, c.cx, 2, {{0x00, 0x00}, {0x00, 0x00}});
        ASSERT_TRUE(Blt(pd, src.pso, nullptr, c.rcDst, {0, 0}, nullptr, c.rop4)) << c.what;
        EXPECT_EQ(FromMta(pd.Take()), c.sImage) << c.what;
    }
}

TEST(DriverHalftone, UnscaledDensitiesThresholdedByThePagePosition)
{
    struct Case {
        const char* what;
        BYTE bDither;
        BYTE bPrinterHalftone;
        LONG cx;
        RECTL rcDst;
        std::string sImage;
    };
    // Every pixel has density 128 (8-bit source byte 127, no translation).
    const Case cases[] = {
        {"8 x 8 matrix", 3, 0, 8, {0, 0, 8, 1}, "mta 0 0;\nimm 1 8 1 1 1 <!" + Bytes({0x3C}) + kEnd},
        {"8 x 8 matrix from column 4", 3, 0, 8, {4, 0, 12, 1},
         "mta 4 0;\nimm 1 8 1 1 1 <!" + Bytes({0xC3}) + kEnd},
        {"16 x 16 matrix", 4, 0, 16, {0, 0, 16, 1},
         "mta 0 0;\nimm 1 16 1 2 2 <!" + Bytes({0x00, 0xFF}) + kEnd},
        {"the printer's halftone", 3, 1, 8, {0, 0, 8, 1},
         "mta 0 0;\nimt 8 8 1 8 2 <!" + Bytes({0xF9, 0x80}) + kEnd},
        {"no driver halftone", 2, 0, 8, {0, 0, 8, 1},
         "mta 0 0;\nimt 8 8 1 8 2 <!" + Bytes({0xF9, 0x80}) + kEnd},
        {"scaled", 3, 0, 8, {0, 0, 16, 2},
         "mta 0 0;\nbmt 8 8 1 16 2 8 2 <!" + Bytes({0xF9, 0x80}) + kEnd},
    };
    for (const Case& c : cases) {
        BpPdev pd;
        PdlDevmodeBytes(pd.pdev())[2154] = c.bDither;
        PdlDevmodeBytes(pd.pdev())[2160] = c.bPrinterHalftone;
        SrcBitmap src(BMF_8BPP, c.cx, 1, {std::vector<BYTE>((size_t)c.cx, 127)});
        RECTL rcSrc = {0, 0, c.cx, 1};
        ASSERT_TRUE(Stretch(pd, src.pso, c.rcDst, rcSrc)) << c.what;
        std::string s = pd.Take();
        EXPECT_EQ(FromMta(s), c.sImage) << c.what;
        if (c.sImage.find("imm 1") != std::string::npos) {
            EXPECT_NE(s.find("bri #00 #FFFFFF;\n"), std::string::npos) << c.what;
        }
    }
}

// Whole images through the driver halftoning against the matrix applied
// pixel by pixel at the image's place on the page: small and large images
// (the large ones go through tables), odd widths, a smooth ramp that codes
// and noise that does not, read as they lie or mirrored.
TEST(DriverHalftone, EveryPixelAgainstItsThresholdAtItsPlace)
{
    struct Case {
        const char* what;
        BYTE bDither;
        LONG cx, cy, x, y;
        BOOL bNoise, bMirror;
    };
    const Case cases[] = {
        {"small, 8 x 8", 3, 37, 11, 5, 3, FALSE, FALSE},
        {"small noise, 16 x 16", 4, 29, 13, 0, 9, TRUE, FALSE},
        {"large ramp, 8 x 8", 3, 301, 230, 13, 7, FALSE, FALSE},
        {"large ramp, 16 x 16", 4, 333, 250, 21, 2, FALSE, FALSE},
        {"large noise, 16 x 16", 4, 300, 240, 3, 17, TRUE, FALSE},
        {"large noise mirrored, 8 x 8", 3, 299, 231, 6, 1, TRUE, TRUE},
    };
    for (const Case& c : cases) {
        unsigned seed = 99;
        std::vector<std::vector<BYTE>> src((size_t)c.cy, std::vector<BYTE>((size_t)c.cx));
        for (LONG r = 0; r < c.cy; ++r)
            for (LONG i = 0; i < c.cx; ++i) {
                seed = seed * 1103515245u + 12345u;
                src[r][i] = c.bNoise ? (BYTE)(seed >> 16) : (BYTE)((i + 2 * r) * 255 / (c.cx + 2 * c.cy));
            }
        const int n = c.bDither == 3 ? 8 : 16;
        const BYTE* pm = GetThresholdMatrix(n);
        std::vector<std::string> rows;
        for (LONG r = 0; r < c.cy; ++r) {
            std::string bits((size_t)(c.cx + 7) / 8, '\0');
            for (LONG i = 0; i < c.cx; ++i) {
                BYTE d = (BYTE)(255 - src[r][c.bMirror ? c.cx - 1 - i : i]);
                if (d >= pm[((c.y + r) % n) * n + (c.x + i) % n])
                    bits[i / 8] = (char)(bits[i / 8] | (0x80 >> (i % 8)));
            }
            rows.push_back(bits);
        }
        BpPdev pd;
        PdlDevmodeBytes(pd.pdev())[2154] = c.bDither;
        SrcBitmap bm(BMF_8BPP, c.cx, c.cy, src);
        RECTL rcDst = {c.x, c.y, c.x + c.cx, c.y + c.cy};
        if (c.bMirror)
            std::swap(rcDst.left, rcDst.right);
        ASSERT_TRUE(Stretch(pd, bm.pso, rcDst, {0, 0, c.cx, c.cy})) << c.what;
        std::string want = ReferenceImage(1, c.x, c.y, c.cx, rows);
        std::string got = FromMta(pd.Take());
        EXPECT_EQ(got.substr(0, 40), want.substr(0, 40)) << c.what;
        EXPECT_TRUE(got == want) << c.what;
    }
}

// Large images through the driver halftoning with density tables of every
// kind: none (the value is the density), rising, falling with steps, and
// one that goes up and down; each against the matrix pixel by pixel.
struct LUTROWS {
    const std::vector<BYTE>* pBits;
    LONG cx;
};

const BYTE* LutRow(const IMAGEROWS* pir, LONG iRow)
{
    const LUTROWS* p = static_cast<const LUTROWS*>(pir->pvSource);
    return p->pBits->data() + (size_t)iRow * p->cx;
}

TEST(DriverHalftone, EveryDensityTableAgainstTheMatrix)
{
    std::vector<BYTE> rising(256), falling(256), zigzag(256), dark(256);
    for (int v = 0; v < 256; ++v) {
        rising[v] = (BYTE)(v / 2 + 60);
        falling[v] = (BYTE)(255 - (v / 16) * 16);
        zigzag[v] = (BYTE)((v * 37) & 0xFF);
        dark[v] = (BYTE)(v / 4);  // never reaches the highest thresholds
    }
    struct Case {
        const char* what;
        const BYTE* pbLut;
        BYTE bDither;
        LONG cx, cy, x, y;
    };
    const Case cases[] = {
        {"no table, 16 x 16", nullptr, 4, 333, 250, 21, 2},
        {"no table, 8 x 8", nullptr, 3, 300, 230, 8, 5},
        {"rising, 16 x 16", rising.data(), 4, 301, 240, 3, 17},
        {"falling in steps, 8 x 8", falling.data(), 3, 317, 229, 13, 7},
        {"up and down, 16 x 16", zigzag.data(), 4, 299, 231, 6, 1},
        {"dark, 16 x 16", dark.data(), 4, 320, 220, 0, 0},
    };
    for (const Case& c : cases) {
        unsigned seed = 5;
        std::vector<BYTE> bits((size_t)c.cx * c.cy);
        for (BYTE& b : bits) {
            seed = seed * 1103515245u + 12345u;
            b = (BYTE)(seed >> 16);
        }
        const int n = c.bDither == 3 ? 8 : 16;
        const BYTE* pm = GetThresholdMatrix(n);
        std::vector<std::string> rows;
        for (LONG r = 0; r < c.cy; ++r) {
            std::string row((size_t)(c.cx + 7) / 8, '\0');
            for (LONG i = 0; i < c.cx; ++i) {
                BYTE v = bits[(size_t)r * c.cx + i];
                BYTE d = c.pbLut ? c.pbLut[v] : v;
                if (d >= pm[((c.y + r) % n) * n + (c.x + i) % n])
                    row[i / 8] = (char)(row[i / 8] | (0x80 >> (i % 8)));
            }
            rows.push_back(row);
        }
        BpPdev pd;
        PdlDevmodeBytes(pd.pdev())[2154] = c.bDither;
        LUTROWS src = {&bits, c.cx};
        IMAGEROWS ir = {LutRow, &src, c.pbLut, FALSE};
        ASSERT_TRUE(WriteImage8Rows(pd.pdev(), &ir, c.cx, c.cy, c.x, c.y, c.cx, c.cy, TRUE)) << c.what;
        std::string want = ReferenceImage(1, c.x, c.y, c.cx, rows);
        std::string got = FromMta(pd.Take());
        EXPECT_EQ(got.substr(0, 40), want.substr(0, 40)) << c.what;
        EXPECT_TRUE(got == want) << c.what;
    }
}

// An image whose coded rows outgrow what the writer keeps from its
// counting pass: the rows are coded again as they go out, to the same bytes.
TEST(WriteImage8, CodedImageLargerThanTheKeptRows)
{
    BpPdev pd;
    const LONG cx = 4000, cy = 4200;
    std::vector<BYTE> bits((size_t)cx * cy);
    std::vector<std::string> rows;
    for (LONG r = 0; r < cy; ++r) {
        BYTE* p = bits.data() + (size_t)r * cx;
        for (LONG i = 0; i < cx; ++i)
            p[i] = (BYTE)((i / 3 + r) % 7 == 0 ? 0 : 40 + (i / 3) % 50);
        rows.emplace_back((const char*)p, (size_t)cx);
    }
    ASSERT_TRUE(WriteImage8(pd.pdev(), bits.data(), cx, cy, cx, 0, 0, cx, cy));
    std::string want = ReferenceImage(8, 0, 0, cx, rows);
    ASSERT_NE(want.find("imt 8 4000 4200 4000 "), std::string::npos);
    std::string got = FromMta(pd.Take());
    EXPECT_EQ(got.size(), want.size());
    EXPECT_TRUE(got == want);
}

// Rows repeated in blocks (blank rows, an image enlarged by repeating its
// rows) and with a period (a halftone's flat areas, a pattern), in images
// that code smaller, that do not, and whose kept code overflows: every row
// as the reference codes it.
TEST(WriteImage8, RepeatedRowsCodeAsEveryOtherRow)
{
    struct Case {
        const char* what;
        LONG cx, cy;
        int nRepeat;
        BOOL bNoise;
        int nPeriod;  // the rows of every nPeriod blocks again (0: never)
    };
    const Case cases[] = {
        {"blank and striped, repeated in threes", 300, 90, 3, FALSE, 0},
        {"noise repeated in pairs", 257, 40, 2, TRUE, 0},
        {"one row all the way", 64, 50, 50, FALSE, 0},
        {"larger than the kept rows", 4000, 4200, 4, FALSE, 0},
        {"striped threes, every five blocks again", 300, 200, 3, FALSE, 5},
        {"noise, every 16 rows again", 130, 100, 1, TRUE, 16},
        {"noise, every 17 rows again", 130, 100, 1, TRUE, 17},
        {"noise pairs, every 9 pairs again", 257, 120, 2, TRUE, 9},
        {"noise, every 3 rows again, coding larger", 64, 40, 1, TRUE, 3},
        {"larger than the kept rows, every six blocks again", 4000, 4200, 2, FALSE, 6},
    };
    for (const Case& c : cases) {
        BpPdev pd;
        std::vector<BYTE> bits((size_t)c.cx * c.cy);
        std::vector<std::string> rows;
        unsigned seed = 77;
        for (LONG r = 0; r < c.cy; ++r) {
            BYTE* p = bits.data() + (size_t)r * c.cx;
            LONG rSrc = r / c.nRepeat;
            for (LONG i = 0; i < c.cx; ++i) {
                seed = seed * 1103515245u + 12345u;
                if (c.nPeriod && r >= c.nPeriod * c.nRepeat)
                    p[i] = p[i - (ptrdiff_t)c.nPeriod * c.nRepeat * c.cx];
                else if (c.bNoise)
                    p[i] = r % c.nRepeat ? p[i - c.cx] : (BYTE)(seed >> 16);
                else
                    p[i] = rSrc % 7 == 0 ? 0 : (BYTE)((i / 7 + rSrc) % 3 == 0 ? 200 : 40 + (i / 3) % 9);
            }
            rows.emplace_back((const char*)p, (size_t)c.cx);
        }
        ASSERT_TRUE(WriteImage8(pd.pdev(), bits.data(), c.cx, c.cy, c.cx, 0, 0, c.cx, c.cy)) << c.what;
        std::string want = ReferenceImage(8, 0, 0, c.cx, rows);
        std::string got = FromMta(pd.Take());
        EXPECT_EQ(got.size(), want.size()) << c.what;
        EXPECT_TRUE(got == want) << c.what;
    }
}

// A wide 1-bit source from several starting columns: every bit inverted in
// its place, the bits past the width clear.
TEST(OneBitImage, WideRowsFromAnyColumn)
{
    const LONG cxSurf = 203, cy = 5;
    std::vector<std::vector<BYTE>> src((size_t)cy, std::vector<BYTE>(26));
    unsigned seed = 7;
    for (auto& row : src)
        for (BYTE& b : row) {
            seed = seed * 1103515245u + 12345u;
            b = (BYTE)(seed >> 16);
        }
    SrcBitmap bm(BMF_1BPP, cxSurf, cy, src);
    for (LONG xs : {0, 8, 3, 17}) {
        const LONG cx = cxSurf - xs - 2;
        std::vector<std::string> rows;
        for (LONG r = 0; r < cy; ++r) {
            std::string bits((size_t)(cx + 7) / 8, '\0');
            for (LONG i = 0; i < cx; ++i)
                if (!((src[r][(xs + i) / 8] >> (7 - (xs + i) % 8)) & 1))
                    bits[i / 8] = (char)(bits[i / 8] | (0x80 >> (i % 8)));
            rows.push_back(bits);
        }
        BpPdev pd;
        ASSERT_TRUE(Copy(pd, bm.pso, nullptr, {0, 0, cx, cy}, {xs, 0})) << xs;
        EXPECT_EQ(FromMta(pd.Take()), ReferenceImage(1, 0, 0, cx, rows)) << "from column " << xs;
    }
}

TEST(PatternOnly, RectanglesAndNoImage)
{
    struct Case {
        ROP4 rop4;
        RECTL rc;
        std::string sRop;
        std::string sRect;
    };
    const Case cases[] = {
        {0xF0F0, {10, 20, 40, 60}, "rop 2 #0D;\n", "rcr 10 20 30 40;\n"},  // pattern copy
        {0x0000, {10, 20, 40, 60}, "rop 2 #01;\n", "sba 10 20 30 40;\n"},  // black
        {0xFFFF, {10, 20, 40, 60}, "rop 2 #10;\n", "sba 10 20 30 40;\n"}, // white
        {0x5555, {10, 20, 40, 21}, "rop 2 #06;\n", "sba 10 20 30;\n"},     // invert, one row
    };
    for (const Case& c : cases) {
        BpPdev pd;
        EngBrush brush;
        MakeSolid(&brush, 0x000000);
        ASSERT_TRUE(Blt(pd, nullptr, nullptr, c.rc, {0, 0}, brush.pbo, c.rop4));
        std::string s = pd.Take();
        EXPECT_NE(s.find(c.sRop), std::string::npos) << std::hex << c.rop4 << "\n" << s;
        EXPECT_NE(s.find(c.sRect), std::string::npos) << std::hex << c.rop4 << "\n" << s;
        EXPECT_EQ(s.find("mta"), std::string::npos);
        EXPECT_EQ(s.find("<!"), std::string::npos);
    }
}

TEST(PatternOnly, TransparentHatchTakesTwoPassesAndKeepsTheBrush)
{
    BpPdev pd;
    EngBrush brush;
    MakeHatch(&brush, &pd.so, 0, 0x0000FF, 0xFFFFFF);
    const REALBRUSH* prb = static_cast<const REALBRUSH*>(BRUSHOBJ_pvGetRbrush(brush.pbo));
    ASSERT_NE(prb, nullptr);
    ASSERT_GE(prb->cColors, 2u);
    const ULONG* pul = reinterpret_cast<const ULONG*>(reinterpret_cast<const BYTE*>(prb) +
                                                      prb->offColors);
    ULONG ul0 = pul[0], ul1 = pul[1];
    ASSERT_TRUE(Blt(pd, nullptr, nullptr, {0, 0, 32, 32}, {0, 0}, brush.pbo, 0xAAF0));
    std::string s = pd.Take();
    size_t atAnd = s.find("rop 2 #09;\n");
    size_t atOr = s.find("rop 2 #0F;\n");
    ASSERT_NE(atAnd, std::string::npos) << s;
    ASSERT_NE(atOr, std::string::npos) << s;
    EXPECT_LT(atAnd, atOr);
    EXPECT_EQ(CountIn(s, "rcr 0 0 32 32;\n"), 2u) << s;
    // The first pass defines the hatch white between black lines; the
    // second defines it again with black lines.
    size_t atFirst = s.find("bru 3 #00 #FFFFFF");
    EXPECT_LT(atFirst, atAnd);
    size_t atSecond = s.find("bru 3 ", atAnd);
    EXPECT_LT(atSecond, atOr);
    EXPECT_EQ(pul[0], ul0);
    EXPECT_EQ(pul[1], ul1);
}

TEST(MaskedBlit, EachClassItsPasses)
{
    SrcBitmap mask(BMF_1BPP, 8, 1, {{0x0F}});
    SrcBitmap src(BMF_1BPP, 8, 1, {{0x00}});
    {
        // Class 2: the mask with the widened pattern operation, mask mode.
        BpPdev pd;
        EngBrush brush;
        MakeSolid(&brush, 0x000000);
        ASSERT_TRUE(Blt(pd, nullptr, mask.pso, {0, 0, 8, 1}, {0, 0}, brush.pbo, 0xF0AA));
        std::string s = pd.Take();
        EXPECT_NE(s.find("rop 3 #FC;\n"), std::string::npos) << s;
        EXPECT_NE(s.find("brm 1;\n"), std::string::npos) << s;
        EXPECT_EQ(FromMta(s), "mta 0 0;\nimm 1 8 1 1 1 <!" + Bytes({0xF0}) + kEnd);
    }
    {
        // Class 1: the source alone.
        BpPdev pd;
        ASSERT_TRUE(Blt(pd, src.pso, mask.pso, {0, 0, 8, 1}, {0, 0}, nullptr, 0xCCCC));
        std::string s = pd.Take();
        EXPECT_NE(s.find("brm 0;\n"), std::string::npos) << s;
        EXPECT_EQ(FromMta(s), "mta 0 0;\nimm 1 8 1 1 1 <!" + Bytes({0xFF}) + kEnd);
    }
    {
        // Class 4: source (0x66), mask (0xCC, mask mode), source again.
        BpPdev pd;
        ASSERT_TRUE(Blt(pd, src.pso, mask.pso, {0, 0, 8, 1}, {0, 0}, nullptr, 0xCCAA));
        std::string s = pd.Take();
        size_t a = s.find("rop 3 #66;\n");
        size_t b = s.find("rop 3 #CC;\n");
        size_t c = s.find("rop 3 #66;\n", b == std::string::npos ? 0 : b);
        ASSERT_NE(a, std::string::npos) << s;
        ASSERT_NE(b, std::string::npos) << s;
        ASSERT_NE(c, std::string::npos) << s;
        EXPECT_LT(a, b);
        EXPECT_EQ(CountIn(s, "mta 0 0;\n"), 3u);
    }
}

// The mask is read where the caller's mask point says, on the road the
// drawing hooks take (the generic layer's routers), not at its origin.
TEST(MaskedBlit, TheMaskIsReadAtTheMaskPoint)
{
    // Mask at (0, 0) reads 0x0F; at (8, 1) it reads 0x55, written inverted.
    SrcBitmap mask(BMF_1BPP, 16, 2, {{0x0F, 0x33}, {0x00, 0x55}});
    SrcBitmap src(BMF_1BPP, 8, 1, {{0x00}});
    const std::string atPoint = "imm 1 8 1 1 1 <!" + Bytes({0xAA}) + kEnd;
    const std::string atOrigin = "imm 1 8 1 1 1 <!" + Bytes({0xF0}) + kEnd;
    struct Case {
        const char* name;
        bool bStretch;
        SURFOBJ* psoSrc;
        bool bBrush;
        ROP4 rop4;
    };
    const Case cases[] = {
        {"mask with a pattern operation", false, nullptr, true, 0xF0AA},
        {"source through a mask", false, src.pso, false, 0xCCAA},
        {"stretch through a mask", true, src.pso, false, 0xCCCC},
    };
    for (const Case& c : cases) {
        BpPdev pd;
        EngBrush brush;
        MakeSolid(&brush, 0x000000);
        RECTL rcDst = {0, 0, 8, 1};
        RECTL rcSrc = {0, 0, 8, 1};
        POINTL ptSrc = {0, 0};
        POINTL ptMask = {8, 1};
        POINTL ptBrush = {0, 0};
        BOOL bOk = c.bStretch
                       ? GenStretchBlt(&pd.so, c.psoSrc, mask.pso, nullptr, nullptr, nullptr, nullptr,
                                       &rcDst, &rcSrc, &ptMask, COLORONCOLOR)
                       : GenBitBlt(&pd.so, c.psoSrc, mask.pso, nullptr, nullptr, &rcDst,
                                   c.psoSrc ? &ptSrc : nullptr, &ptMask, c.bBrush ? brush.pbo : nullptr,
                                   &ptBrush, c.rop4);
        ASSERT_TRUE(bOk) << c.name;
        std::string s = pd.Take();
        EXPECT_EQ(CountIn(s, atPoint), 1u) << c.name;
        EXPECT_EQ(CountIn(s, atOrigin), 0u) << c.name;
    }
}

TEST(RefusedInput, ClearErrorsAndNothingWritten)
{
    SrcBitmap src(BMF_1BPP, 16, 1, {{0x00, 0x00}});
    {
        BpPdev pd;
        SURFOBJ soBitmap = pd.so;
        soBitmap.iType = STYPE_BITMAP;
        RECTL rc = {0, 0, 16, 1};
        POINTL pt = {0, 0};
        SetLastError(0);
        EXPECT_FALSE(BitBltBody(&soBitmap, src.pso, nullptr, nullptr, nullptr, &rc, &pt, nullptr,
                                nullptr, nullptr, 0xCCCC));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
        EXPECT_FALSE(BitBltBody(&pd.so, src.pso, nullptr, nullptr, nullptr, nullptr, &pt, nullptr,
                                nullptr, nullptr, 0xCCCC));
        EXPECT_EQ(pd.Take(), "");
    }
    {
        // An operation that reads the source, without one.
        BpPdev pd;
        SetLastError(0);
        EXPECT_FALSE(Blt(pd, nullptr, nullptr, {0, 0, 16, 1}, {0, 0}, nullptr, 0xCCCC));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
        EXPECT_EQ(FromMta(pd.Take()), "");
    }
    {
        // A row stride shorter than the surface's rows.
        BpPdev pd;
        SURFOBJ soShort = *src.pso;
        soShort.lDelta = 1;
        EXPECT_FALSE(Blt(pd, &soShort, nullptr, {0, 0, 16, 1}, {0, 0}, nullptr, 0xCCCC));
        EXPECT_EQ(FromMta(pd.Take()), "");
    }
    {
        // A format the writers do not know.
        BpPdev pd;
        SURFOBJ soOdd = *src.pso;
        soOdd.iBitmapFormat = 7;
        EXPECT_FALSE(Blt(pd, &soOdd, nullptr, {0, 0, 16, 1}, {0, 0}, nullptr, 0xCCCC));
        EXPECT_EQ(FromMta(pd.Take()), "");
    }
}

TEST(FormCreation, OnlyTheFirstPageIsDrawn)
{
    SrcBitmap src(BMF_1BPP, 8, 1, {{0x00}});
    BpPdev pd;
    PdlDevmodeBytes(pd.pdev())[778] = 1;
    PdlDevmodeBytes(pd.pdev())[879] = 2;
    pd.pdev()->cPages = 2;
    EXPECT_TRUE(Blt(pd, src.pso, nullptr, {0, 0, 8, 1}, {0, 0}, nullptr, 0xCCCC));
    EXPECT_EQ(pd.Take(), "");
    pd.pdev()->cPages = 1;
    EXPECT_TRUE(Blt(pd, src.pso, nullptr, {0, 0, 8, 1}, {0, 0}, nullptr, 0xCCCC));
    EXPECT_NE(pd.Take().find("mta 0 0;\n"), std::string::npos);
}

}  // namespace

namespace {

TEST(EmptySource, ABitmapOfNoPixelsDrawsNothing)
{
    BpPdev pd;
    SURFOBJ soEmpty = {};
    soEmpty.iType = STYPE_BITMAP;
    soEmpty.iBitmapFormat = BMF_24BPP;
    RECTL rc = {0, 0, 10, 10};
    POINTL pt = {0, 0};
    EXPECT_TRUE(CopyBitsBody(&pd.so, &soEmpty, nullptr, nullptr, &rc, &pt));
    EXPECT_TRUE(BitBltBody(&pd.so, &soEmpty, nullptr, nullptr, nullptr, &rc, &pt, nullptr,
                           nullptr, nullptr, 0xCCCC));
    EXPECT_EQ(FromMta(pd.Take()), "");
}

}  // namespace
