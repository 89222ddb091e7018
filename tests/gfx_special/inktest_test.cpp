// The ink tests of blank-page skipping: the pre-hook test of each drawing
// call (0 ink, 1 no ink) and the output tests of characters and images.
#include "tests/gfx_brushpath/bpfix.h"

#include "pdl/xgcmn/ordexnt/xrblank.h"

namespace {

enum Brush { bNone, bWhite, bBlack, bHatchWhite, bHatchInk, bPattern };

struct InkCase {
    const char* pszName;
    int nHook;
    Brush brush;     // brush (fill, opaque or foreground)
    Brush pen;       // pen (strokes)
    MIX mix;
    FLONG fl;        // fill options
    ROP4 rop4;       // BitBlt
    bool bMask;      // BitBlt with a mask
    bool bWatermark;
    bool bAlreadyInked;
    int nExpected;
};

void MakeBrush(EngBrush* pb, SURFOBJ* pso, Brush k)
{
    switch (k) {
    case bNone: break;
    case bWhite: MakeSolid(pb, 0xFFFFFF); break;
    case bBlack: MakeSolid(pb, 0x000000); break;
    case bHatchWhite: MakeHatch(pb, pso, 2, 0xFFFFFF, 0xFFFFFF); break;
    case bHatchInk: MakeHatch(pb, pso, 2, 0x000000, 0xFFFFFF); break;
    case bPattern:
        MakePattern(pb, pso, BMF_1BPP, 8, 8, std::vector<std::vector<BYTE>>(8, {0xFF}),
                    {0xFFFFFF, 0xFFFFFF});
        break;
    }
}

class PreHookInk : public ::testing::TestWithParam<InkCase> {};

TEST_P(PreHookInk, AnswersInkOrNone)
{
    const InkCase& c = GetParam();
    BpPdev t;
    t.work()->bPageBlank = c.bAlreadyInked ? 0 : 1;
    t.work()->bPad87 = 1;
    t.work()->bForceRop = c.bWatermark ? 1 : 0;
    EngBrush brush, pen;
    MakeBrush(&brush, &t.so, c.brush);
    MakeBrush(&pen, &t.so, c.pen);
    SURFOBJ soMask = {};
    soMask.iType = STYPE_BITMAP;
    SURFOBJ soBitmap = soMask;
    soBitmap.iBitmapFormat = BMF_24BPP;
    RECTL rcl = {0, 0, 100, 100};
    STROBJ str = {};
    FONTOBJ fo = {};
    int n = -1;
    switch (c.nHook) {
    case PDL_HOOK_BITBLT:
        n = InkTestBitBlt(t.pdev(), &t.so, c.bMask ? &soMask : nullptr, &rcl, brush.pbo, c.rop4);
        break;
    case PDL_HOOK_STRETCHBLT:
        n = InkTestStretchBlt(t.pdev(), &t.so, &soBitmap, &rcl);
        break;
    case PDL_HOOK_COPYBITS:
        n = InkTestCopyBits(t.pdev(), &t.so, &soBitmap, &rcl);
        break;
    case PDL_HOOK_TEXTOUT:
        // The brush is the foreground; an opaque rectangle when fl is 1.
        n = InkTestTextOut(t.pdev(), &t.so, &str, &fo, nullptr, c.fl ? &rcl : nullptr, brush.pbo,
                           pen.pbo, c.mix);
        break;
    case PDL_HOOK_FILLPATH:
        n = InkTestFillPath(t.pdev(), brush.pbo, c.mix, c.fl);
        break;
    case PDL_HOOK_STROKEPATH:
        n = InkTestStrokePath(t.pdev(), pen.pbo, c.mix);
        break;
    case PDL_HOOK_STROKEANDFILLPATH:
        n = InkTestStrokeAndFillPath(t.pdev(), pen.pbo, brush.pbo, c.mix, c.fl);
        break;
    }
    EXPECT_EQ(n, c.nExpected);
}

const ROP4 kPatCopy = 0xF0F0, kWhiteness = 0xFFFF, kBlackness = 0x0000, kSrcCopy = 0xCCCC;
const MIX kCopyPen = 0x0D0D, kWhite = 0x1010, kXor = 0x0707;

INSTANTIATE_TEST_SUITE_P(
    Cases, PreHookInk,
    ::testing::Values(
        InkCase{"BltWhiteSolidPatCopy", PDL_HOOK_BITBLT, bWhite, bNone, 0, 0, kPatCopy, false, false, false, 1},
        InkCase{"BltBlackSolidPatCopy", PDL_HOOK_BITBLT, bBlack, bNone, 0, 0, kPatCopy, false, false, false, 0},
        InkCase{"BltWhiteness", PDL_HOOK_BITBLT, bBlack, bNone, 0, 0, kWhiteness, false, false, false, 1},
        InkCase{"BltBlackness", PDL_HOOK_BITBLT, bWhite, bNone, 0, 0, kBlackness, false, false, false, 0},
        InkCase{"BltSourceCopy", PDL_HOOK_BITBLT, bWhite, bNone, 0, 0, kSrcCopy, false, false, false, 0},
        InkCase{"BltUnequalRop4", PDL_HOOK_BITBLT, bWhite, bNone, 0, 0, 0xFFF0, false, false, false, 0},
        InkCase{"BltMask", PDL_HOOK_BITBLT, bWhite, bNone, 0, 0, kPatCopy, true, false, false, 0},
        InkCase{"BltWhiteHatch", PDL_HOOK_BITBLT, bHatchWhite, bNone, 0, 0, kPatCopy, false, false, false, 1},
        InkCase{"BltInkHatch", PDL_HOOK_BITBLT, bHatchInk, bNone, 0, 0, kPatCopy, false, false, false, 0},
        InkCase{"BltPatternBrush", PDL_HOOK_BITBLT, bPattern, bNone, 0, 0, kPatCopy, false, false, false, 0},
        InkCase{"StretchWhiteBitmap", PDL_HOOK_STRETCHBLT, bNone, bNone, 0, 0, 0, false, false, false, 0},
        InkCase{"CopyWhiteBitmap", PDL_HOOK_COPYBITS, bNone, bNone, 0, 0, 0, false, false, false, 0},
        InkCase{"CopyInWatermark", PDL_HOOK_COPYBITS, bNone, bNone, 0, 0, 0, false, true, false, 1},
        InkCase{"TextWhite", PDL_HOOK_TEXTOUT, bWhite, bNone, kCopyPen, 0, 0, false, false, false, 1},
        InkCase{"TextBlack", PDL_HOOK_TEXTOUT, bBlack, bNone, kCopyPen, 0, 0, false, false, false, 0},
        InkCase{"TextWhiteOnBlackBox", PDL_HOOK_TEXTOUT, bWhite, bBlack, kCopyPen, 1, 0, false, false, false, 0},
        InkCase{"TextWhiteOnWhiteBox", PDL_HOOK_TEXTOUT, bWhite, bWhite, kCopyPen, 1, 0, false, false, false, 1},
        InkCase{"TextPatternFore", PDL_HOOK_TEXTOUT, bPattern, bNone, kCopyPen, 0, 0, false, false, false, 0},
        InkCase{"TextBlackInWatermark", PDL_HOOK_TEXTOUT, bBlack, bNone, kCopyPen, 0, 0, false, true, false, 1},
        InkCase{"FillWhite", PDL_HOOK_FILLPATH, bWhite, bNone, kCopyPen, FP_ALTERNATEMODE, 0, false, false, false, 1},
        InkCase{"FillBlack", PDL_HOOK_FILLPATH, bBlack, bNone, kCopyPen, FP_WINDINGMODE, 0, false, false, false, 0},
        InkCase{"FillBlackMixWhite", PDL_HOOK_FILLPATH, bBlack, bNone, kWhite, FP_ALTERNATEMODE, 0, false, false, false, 1},
        InkCase{"FillWhiteMixXor", PDL_HOOK_FILLPATH, bWhite, bNone, kXor, FP_ALTERNATEMODE, 0, false, false, false, 0},
        InkCase{"FillOptionsZero", PDL_HOOK_FILLPATH, bBlack, bNone, kCopyPen, 0, 0, false, false, false, 1},
        InkCase{"FillOptionsThree", PDL_HOOK_FILLPATH, bBlack, bNone, kCopyPen, 3, 0, false, false, false, 1},
        InkCase{"StrokeBlack", PDL_HOOK_STROKEPATH, bNone, bBlack, kCopyPen, 0, 0, false, false, false, 0},
        InkCase{"StrokeWhite", PDL_HOOK_STROKEPATH, bNone, bWhite, kCopyPen, 0, 0, false, false, false, 1},
        InkCase{"StrokeWhiteAlreadyInked", PDL_HOOK_STROKEPATH, bNone, bWhite, kCopyPen, 0, 0, false, false, true, 0},
        InkCase{"StrokeFillBothWhite", PDL_HOOK_STROKEANDFILLPATH, bWhite, bWhite, kCopyPen, FP_ALTERNATEMODE, 0, false, false, false, 1},
        InkCase{"StrokeFillBlackPen", PDL_HOOK_STROKEANDFILLPATH, bWhite, bBlack, kCopyPen, FP_ALTERNATEMODE, 0, false, false, false, 0},
        InkCase{"StrokeFillBlackFill", PDL_HOOK_STROKEANDFILLPATH, bBlack, bWhite, kCopyPen, FP_WINDINGMODE, 0, false, false, false, 0},
        InkCase{"StrokeFillOptionsThree", PDL_HOOK_STROKEANDFILLPATH, bBlack, bBlack, kCopyPen, 3, 0, false, false, false, 1}),
    [](const auto& info) { return std::string(info.param.pszName); });

// The output tests read the cached text and image state: raster operation,
// brush mode and the two image colours.
struct OutCase {
    const char* pszName;
    LONG lRop3;
    LONG lMode;
    LONG g1, g2;     // image colours
    BYTE bData;      // every data byte of the image
    ULONG ulChar;
    BOOL bChar, bImage1, bImage8;  // expected: TRUE no ink
};

class OutputInk : public ::testing::TestWithParam<OutCase> {};

TEST_P(OutputInk, AnswersWhiteOrInk)
{
    const OutCase& c = GetParam();
    BpPdev t;
    t.work()->bPad87 = 1;
    t.attr()->lRop3 = c.lRop3;
    t.attr()->lBrushMode = c.lMode;
    t.attr()->aImageGray[0] = c.g1;
    t.attr()->aImageGray[1] = c.g2;
    BYTE ab[2][3];
    memset(ab, c.bData, sizeof(ab));
    EXPECT_EQ(bIsWhiteChar(t.pdev(), c.ulChar), c.bChar);
    EXPECT_EQ(bIsWhiteImage1(t.pdev(), &ab[0][0], 2, 2, 3), c.bImage1);
    EXPECT_EQ(bIsWhiteImage8(t.pdev(), &ab[0][0], sizeof(ab)), c.bImage8);
}

const LONG W = 0xFFFFFF, K = 0x000000;

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputInk,
    ::testing::Values(
        OutCase{"MaskWhiteFirst", 0xCC, 1, W, K, 0x5A, 'A', TRUE, TRUE, FALSE},
        OutCase{"MaskBlackFirstZeros", 0xCC, 1, K, W, 0x00, 'A', FALSE, TRUE, TRUE},
        OutCase{"MaskBlackFirstBits", 0xCC, 1, K, W, 0x01, 'A', FALSE, FALSE, FALSE},
        OutCase{"OpaqueBothWhite", 0xCC, 2, W, W, 0x5A, 'A', TRUE, TRUE, FALSE},
        OutCase{"OpaqueWhiteSecondZeros", 0xCC, 2, K, W, 0x00, 'A', FALSE, TRUE, TRUE},
        OutCase{"OpaqueWhiteFirstOnes", 0xCC, 2, W, K, 0xFF, 'A', FALSE, TRUE, FALSE},
        OutCase{"OpaqueWhiteFirstZeros", 0xCC, 2, W, K, 0x00, 'A', FALSE, FALSE, TRUE},
        OutCase{"OpaqueNoWhite", 0xCC, 2, K, K, 0x00, 'A', FALSE, FALSE, TRUE},
        OutCase{"OtherRop", 0x88, 1, W, W, 0x00, 'A', FALSE, FALSE, FALSE},
        OutCase{"Space", 0x88, 1, K, K, 0xFF, 32, TRUE, FALSE, FALSE},
        OutCase{"IdeographicSpace", 0xCC, 1, K, K, 0xFF, 0x8140, TRUE, FALSE, FALSE}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST(OutputInk, GateAndWatermark)
{
    BpPdev t;
    BYTE ab[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    t.attr()->lRop3 = 0x88;
    // Watermark drawing never counts as ink.
    t.work()->bPad87 = 1;
    t.work()->bForceRop = 1;
    EXPECT_TRUE(bIsWhiteChar(t.pdev(), 'A'));
    EXPECT_TRUE(bIsWhiteImage8(t.pdev(), ab, 4));
    EngBrush black;
    MakeSolid(&black, 0);
    EXPECT_TRUE(bIsWhiteDraw(t.pdev(), black.pbo, nullptr, 0x0D0D));
    // A page that already has ink answers ink at once.
    t.work()->bForceRop = 0;
    t.work()->bPageBlank = 1;
    MarkPageInked(t.pdev());
    EXPECT_FALSE(IsPageBlank(t.pdev()));
    EXPECT_FALSE(IsOutputBlank(t.pdev()));
    t.attr()->lRop3 = 0xCC;
    t.attr()->lBrushMode = 1;
    t.attr()->aImageGray[0] = W;
    EXPECT_FALSE(bIsWhiteChar(t.pdev(), ' '));
    EXPECT_FALSE(bIsWhiteDraw(t.pdev(), nullptr, nullptr, 0x1010));
}

}  // namespace
