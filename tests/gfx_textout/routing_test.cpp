// Where each character goes: a resident font's "txo" (one or two bytes) or
// a glyph image; the commands around them, underline and strikeout bars,
// the font cache, and reduced (N-up) pages.
#include <gtest/gtest.h>

#include "textfix.h"

namespace {

std::vector<std::string> Heads(const std::string& out)
{
    std::vector<std::string> v;
    for (const std::string& line : Lines(out))
        if (line.compare(0, 4, "imm ") == 0 || line.compare(0, 4, "imt ") == 0 ||
            line.compare(0, 4, "bmm ") == 0 || line.compare(0, 4, "bmt ") == 0)
            v.push_back(line.substr(0, line.find("<!")));
    return v;
}

TEST(TextRouting, AnsiTextInAResidentFontWritesTheExactCommands)
{
    TextPdev t;
    t.SubstituteDefaults();
    TestFont f(u"Arial", -100);  // 100 pixels at 600 dpi: 12 points
    TestString s(f.pfo, u"Ab", 100, 200);
    ASSERT_TRUE(DrawText(t, f.pfo, s.pstro));
    EXPECT_EQ(Lines(t.Take()), (std::vector<std::string>{
                                   "brm 1;", "bri #00 #FFFFFF;", "rop 3 #CC;", "brs 0;",
                                   "rop 2 #0D;", "fos 5;", "fop %12 %1;", "for %0;", "fob 0;",
                                   "foi 0;", "txo #41 100 200;", "txo #62 167 200;"}));

    // The same font again: only the characters.
    TestString again(f.pfo, u"A", 300, 400);
    ASSERT_TRUE(DrawText(t, f.pfo, again.pstro));
    EXPECT_EQ(Lines(t.Take()), std::vector<std::string>{"txo #41 300 400;"});

    // After a page set-up every font command is written again.
    PdlResetState(t.pdev());
    ASSERT_TRUE(DrawText(t, f.pfo, again.pstro));
    std::string out = t.Take();
    EXPECT_EQ(LinesWith(out, "fos "), std::vector<std::string>{"fos 5;"});
    EXPECT_EQ(LinesWith(out, "fop "), std::vector<std::string>{"fop %12 %1;"});
}

TEST(TextRouting, SizeWidthAndAngleOfTheFont)
{
    struct Row {
        const char* what;
        LONG lHeight, lWidth, lEscapement;
        const char* fop;
        const char* forLine;
    } rows[] = {
        {"83 pixels: 9.9375 points", -83, 0, 0, "fop %9.938 %1;", "for %0;"},
        {"turned a quarter", -100, 0, 900, "fop %12 %1;", "for %90;"},
        {"turned 30 degrees", -100, 0, 300, "fop %12 %1;", "for %30;"},
        {"upside down", -100, 0, 1800, "fop %12 %1;", "for %180;"},
    };
    for (const Row& r : rows) {
        TextPdev t;
        t.SubstituteDefaults();
        TestFont f(u"Arial", r.lHeight, 400, FALSE, r.lEscapement, r.lWidth);
        TestString s(f.pfo, u"A", 1000, 1000);
        ASSERT_TRUE(DrawText(t, f.pfo, s.pstro)) << r.what;
        std::string out = t.Take();
        EXPECT_EQ(LinesWith(out, "fop "), std::vector<std::string>{r.fop}) << r.what;
        EXPECT_EQ(LinesWith(out, "for "), std::vector<std::string>{r.forLine}) << r.what;
    }
}

TEST(TextRouting, CharactersOutsideTheFontGoAsImages)
{
    struct Row {
        const char* what;
        const char16_t* pszFace;
        BYTE jCharSet;
        std::u16string text;
        std::vector<std::string> txo;  // "txo" lines, positions cut off
        size_t cImages;
    } rows[] = {
        {"euro sign in an ANSI font", u"Arial", 0, u"A\u20AC", {"txo #41"}, 1},
        {"Latin-1 letter in an ANSI font", u"Arial", 0, u"\u00E9", {"txo #E9"}, 0},
        {"Hiragana in Shift-JIS", u"ＭＳ Ｐ明朝", 128, u"\u3042\u6F22", {"txo #82A0", "txo #8ABF"}, 0},
        {"vertical face, two bytes", u"@ＭＳ Ｐ明朝", 128, u"\u3042", {"txo #82A0"}, 0},
        {"half-width katakana, one byte", u"ＭＳ ゴシック", 128, u"\uFF71", {"txo #B1"}, 0},
        {"a question mark is a character", u"ＭＳ ゴシック", 128, u"?", {"txo #3F"}, 0},
        {"outside code page 932", u"ＭＳ ゴシック", 128, u"\u0E01", {}, 1},
    };
    for (const Row& r : rows) {
        TextPdev t;
        t.SubstituteDefaults();
        TestFont f(r.pszFace, -100, 400, FALSE, 0, 0, r.jCharSet);
        ASSERT_NE(f.pfo, nullptr) << r.what;
        TestString s(f.pfo, r.text, 100, 200);
        ASSERT_TRUE(DrawText(t, f.pfo, s.pstro)) << r.what;
        std::string out = t.Take();
        std::vector<std::string> txo;
        for (const std::string& line : LinesWith(out, "txo "))
            txo.push_back(line.substr(0, line.find(' ', 4)));
        EXPECT_EQ(txo, r.txo) << r.what;
        EXPECT_EQ(Heads(out).size(), r.cImages) << r.what;
    }
}

TEST(TextRouting, UnderlineAndStrikeoutAreBarsOfTheirOwn)
{
    TextPdev t;
    TestFont f(u"Arial", -100);
    TestString s(f.pfo, u"A", 100, 200);
    RECTL extra[] = {{100, 210, 300, 214}, {100, 170, 300, 173}, {100, 220, 300, 221}, {0, 0, 0, 0}};
    RECTL opaque = {90, 100, 390, 230};
    ASSERT_TRUE(DrawText(t, f.pfo, s.pstro, extra, &opaque));
    std::string out = t.Take();
    // The opaque box first, then one bar per rectangle: never their
    // bounding box, which would black out the text between them.
    EXPECT_EQ(LinesWith(out, "sba "),
              (std::vector<std::string>{"sba 90 100 300 130;", "sba 100 210 200 4;",
                                        "sba 100 170 200 3;", "sba 100 220 200;"}));
    std::vector<std::string> lines = Lines(out);
    EXPECT_EQ(lines.front(), "rop 2 #0D;");
}

TEST(TextRouting, ReducedPagesScaleGlyphsOnce)
{
    // The same glyph on a full page and on a half-size page in the cell at
    // (1000, 2000): the reduced one is rendered at half size and written
    // unscaled where it lands.
    TestFont f(u"Arial", -200);
    TestString s(f.pfo, u"\u20AC", 400, 600);
    TextPdev full;
    ASSERT_TRUE(DrawText(full, f.pfo, s.pstro));
    std::string outFull = full.Take();
    TextPdev half;
    half.pdev()->lNupScale = 5000;
    half.pdev()->xNupCell = 1000;
    half.pdev()->yNupCell = 2000;
    ASSERT_TRUE(DrawText(half, f.pfo, s.pstro));
    std::string outHalf = half.Take();

    std::vector<std::string> hFull = Heads(outFull), hHalf = Heads(outHalf);
    ASSERT_EQ(hFull.size(), 1u);
    ASSERT_EQ(hHalf.size(), 1u);
    EXPECT_TRUE(hHalf[0].compare(0, 6, "imm 1 ") == 0 || hHalf[0].compare(0, 6, "imt 1 ") == 0)
        << hHalf[0];
    int cxFull = 0, cyFull = 0, cxHalf = 0, cyHalf = 0;
    sscanf(hFull[0].c_str() + 6, "%d %d", &cxFull, &cyFull);
    sscanf(hHalf[0].c_str() + 6, "%d %d", &cxHalf, &cyHalf);
    EXPECT_NEAR(cxHalf, cxFull / 2, 2);
    EXPECT_NEAR(cyHalf, cyFull / 2, 2);
    int xFull = 0, yFull = 0, xHalf = 0, yHalf = 0;
    sscanf(LinesWith(outFull, "mta ")[0].c_str(), "mta %d %d", &xFull, &yFull);
    sscanf(LinesWith(outHalf, "mta ")[0].c_str(), "mta %d %d", &xHalf, &yHalf);
    EXPECT_NEAR(xHalf, xFull / 2 + 1000, 2);
    EXPECT_NEAR(yHalf, yFull / 2 + 2000, 2);

    // A resident font on the same page: half the size, positions mapped.
    TextPdev resident;
    resident.SubstituteDefaults();
    resident.pdev()->lNupScale = 5000;
    resident.pdev()->xNupCell = 1000;
    resident.pdev()->yNupCell = 2000;
    TestFont f12(u"Arial", -100);
    TestString a(f12.pfo, u"A", 400, 600);
    ASSERT_TRUE(DrawText(resident, f12.pfo, a.pstro));
    std::string out = resident.Take();
    EXPECT_EQ(LinesWith(out, "fop "), std::vector<std::string>{"fop %6 %1;"});
    EXPECT_EQ(LinesWith(out, "txo "), std::vector<std::string>{"txo #41 1200 2300;"});
}

TEST(TextRouting, BadCallsAreRefused)
{
    TextPdev t;
    TestFont f(u"Arial", -100);
    TestString s(f.pfo, u"A", 100, 200);
    SetLastError(0);
    EXPECT_FALSE(DrawTextBody(&t.so, s.pstro, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, R2_COPYPEN));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    t.pdev()->fJob |= PDEVF_ABORTED;
    EXPECT_FALSE(DrawText(t, f.pfo, s.pstro));
    EXPECT_EQ(t.Take(), "");
}

}  // namespace

namespace {

TEST(TextRouting, WatermarkTextIsGreyDitheredAndDrawnUnder)
{
    struct Row {
        LONG lMode;
        const char* rop3;
    } rows[] = {{2, "rop 3 #A8;"}, {1, "rop 3 #74;"}};
    for (const Row& r : rows) {
        TextPdev t;
        t.work()->bForceRop = 1;
        t.work()->lForceRop = r.lMode;
        TestFont f(u"Arial", -100);
        TestString s(f.pfo, u"\u20AC", 100, 200);
        BRUSHOBJ grey = {};
        grey.iSolidColor = 0x808080;
        ASSERT_TRUE(DrawTextBody(&t.so, s.pstro, f.pfo, nullptr, nullptr, nullptr, &grey, nullptr,
                                 nullptr, R2_COPYPEN));
        std::string out = t.Take();
        // Black and white image colours; the grey comes from the dither brush.
        EXPECT_EQ(LinesWith(out, "bri "), std::vector<std::string>{"bri #00 #FFFFFF;"}) << r.lMode;
        EXPECT_EQ(LinesWith(out, "rop 3 "), std::vector<std::string>{r.rop3}) << r.lMode;
        EXPECT_EQ(LinesWith(out, "bru ").size(), 1u) << r.lMode;
        EXPECT_TRUE(LinesWith(out, "rop 2 ").empty()) << r.lMode;
    }
}

}  // namespace
