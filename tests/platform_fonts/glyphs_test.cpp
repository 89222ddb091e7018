// Glyph images and outlines, strings and their positions, code-page 932.
#include "platform/windows.h"
#include "platform/gdi/fontobj.h"
#include "platform/gdi/gditext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

LOGFONTW MakeFont(const char16_t* pszFace, LONG lHeight)
{
    LOGFONTW lf = {};
    lf.lfHeight = lHeight;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; pszFace[i]; i++)
        lf.lfFaceName[i] = pszFace[i];
    return lf;
}

struct Held {
    FONTOBJ* pfo;
    explicit Held(const LOGFONTW& lf) : pfo(PlatFontRealize(&lf, 600, 600)) {}
    ~Held() { PlatFontRelease(pfo); }
};

BOOL Ink(const GLYPHBITS* pgb, LONG x, LONG y)
{
    LONG cj = (pgb->sizlBitmap.cx + 7) / 8;
    return (pgb->aj[y * cj + x / 8] >> (7 - x % 8)) & 1;
}

const GLYPHBITS* BitsOf(FONTOBJ* pfo, WCHAR wc, GLYPHDATA** ppgd = nullptr)
{
    HGLYPH hg = 0;
    PlatFontGlyph(pfo, wc, &hg, nullptr);
    PVOID pv = nullptr;
    if (FONTOBJ_cGetGlyphs(pfo, FO_GLYPHBITS, 1, &hg, &pv) != 1)
        return nullptr;
    GLYPHDATA* pgd = static_cast<GLYPHDATA*>(pv);
    if (ppgd)
        *ppgd = pgd;
    return pgd->gdf.pgb;
}

// Runs of ink along one row or column of a glyph.
int Runs(const GLYPHBITS* pgb, BOOL bRow, LONG at)
{
    int runs = 0;
    BOOL bPrev = FALSE;
    LONG n = bRow ? pgb->sizlBitmap.cx : pgb->sizlBitmap.cy;
    for (LONG i = 0; i < n; i++) {
        BOOL b = bRow ? Ink(pgb, i, at) : Ink(pgb, at, i);
        if (b && !bPrev)
            runs++;
        bPrev = b;
    }
    return runs;
}

TEST(GlyphBits, LatinCapitalHHasTwoStemsAndABar)
{
    Held f(MakeFont(u"Arial", -200));
    GLYPHDATA* pgd = nullptr;
    const GLYPHBITS* pgb = BitsOf(f.pfo, u'H', &pgd);
    ASSERT_NE(pgb, nullptr);
    // As tall as the face's capitals, standing on the baseline.
    double dCap = FONTOBJ_pifi(f.pfo)->fwdCapHeight * 200.0 / 2048.0;
    EXPECT_NEAR(pgb->sizlBitmap.cy, dCap, 2);
    EXPECT_EQ(pgb->ptlOrigin.y + pgb->sizlBitmap.cy, 0);
    LONG cy = pgb->sizlBitmap.cy, cx = pgb->sizlBitmap.cx;
    EXPECT_EQ(Runs(pgb, TRUE, 2), 2);           // near the top: the two stems
    EXPECT_EQ(Runs(pgb, TRUE, cy - 3), 2);      // near the bottom as well
    EXPECT_EQ(Runs(pgb, TRUE, cy / 2 + 2), 1);  // the bar joins them halfway
    EXPECT_EQ(Runs(pgb, FALSE, cx / 2), 1);     // the middle column crosses the bar only
    // Advance of H: 1479 units.
    EXPECT_EQ(pgd->fxD, 144 * 16);
}

TEST(GlyphBits, JapaneseSunHasThreeBars)
{
    Held f(MakeFont(u"ＭＳ ゴシック", -200));
    GLYPHDATA* pgd = nullptr;
    const GLYPHBITS* pgb = BitsOf(f.pfo, u'日', &pgd);
    ASSERT_NE(pgb, nullptr);
    // The middle column crosses the top, middle and bottom strokes; a row
    // through an opening meets the two sides.
    EXPECT_EQ(Runs(pgb, FALSE, pgb->sizlBitmap.cx / 2), 3);
    EXPECT_EQ(Runs(pgb, TRUE, pgb->sizlBitmap.cy / 4), 2);
    EXPECT_GT(pgb->sizlBitmap.cy, 150);
    EXPECT_EQ(pgd->fxD, 200 * 16);  // full width: one em
}

TEST(GlyphBits, LatinFaceBorrowsJapaneseGlyphsItLacks)
{
    // "Arial" has no kanji: the character comes from the linked Japanese
    // face at the same size, not as the empty-box glyph.
    Held latin(MakeFont(u"Arial", -200));
    Held japanese(MakeFont(u"ＭＳ Ｐゴシック", -200));
    const GLYPHBITS* pLinked = BitsOf(latin.pfo, u'日');
    const GLYPHBITS* pOwn = BitsOf(japanese.pfo, u'日');
    ASSERT_NE(pLinked, nullptr);
    ASSERT_NE(pOwn, nullptr);
    EXPECT_EQ(pLinked->sizlBitmap.cx, pOwn->sizlBitmap.cx);
    EXPECT_EQ(pLinked->sizlBitmap.cy, pOwn->sizlBitmap.cy);
    EXPECT_EQ(Runs(pLinked, FALSE, pLinked->sizlBitmap.cx / 2), 3);
    LONG lLinked = 0, lOwn = 0;
    PlatFontGlyph(latin.pfo, u'日', nullptr, &lLinked);
    PlatFontGlyph(japanese.pfo, u'日', nullptr, &lOwn);
    EXPECT_EQ(lLinked, lOwn);
}

TEST(GlyphBits, VerticalFaceTurnsFullWidthCharactersOnly)
{
    // "一" is one horizontal stroke: lying in the horizontal face, standing
    // in the "@" face (a quarter turn counter-clockwise, top to the left).
    // Half-width Latin letters keep their orientation.
    Held flat(MakeFont(u"ＭＳ 明朝", -200));
    Held tall(MakeFont(u"@ＭＳ 明朝", -200));
    const GLYPHBITS* pFlat = BitsOf(flat.pfo, u'一');
    GLYPHDATA* pgd = nullptr;
    const GLYPHBITS* pTall = BitsOf(tall.pfo, u'一', &pgd);
    ASSERT_NE(pFlat, nullptr);
    ASSERT_NE(pTall, nullptr);
    EXPECT_GT(pFlat->sizlBitmap.cx, 4 * pFlat->sizlBitmap.cy);
    EXPECT_GT(pTall->sizlBitmap.cy, 4 * pTall->sizlBitmap.cx);
    EXPECT_NEAR(pTall->sizlBitmap.cy, pFlat->sizlBitmap.cx, 2);
    EXPECT_EQ(pgd->fxD, 200 * 16);  // one em down the column
    // The turned stroke stays inside the em cell that starts at the origin.
    EXPECT_GE(pTall->ptlOrigin.x, 0);
    EXPECT_LE(pTall->ptlOrigin.x + pTall->sizlBitmap.cx, 200);
    const GLYPHBITS* pI = BitsOf(tall.pfo, u'I');
    ASSERT_NE(pI, nullptr);
    EXPECT_GT(pI->sizlBitmap.cy, 2 * pI->sizlBitmap.cx);
}

TEST(GlyphBits, VerticalFaceUsesTheVerticalFormsOfItsFace)
{
    // The long vowel mark has a form of its own for columns (a vertical
    // bar); turned with the other full-width characters it lies flat, as
    // the mark of the horizontal face does, instead of standing up.
    Held flat(MakeFont(u"ＭＳ ゴシック", -200));
    Held tall(MakeFont(u"@ＭＳ ゴシック", -200));
    HGLYPH hgFlat = 0, hgTall = 0;
    PlatFontGlyph(flat.pfo, u'ー', &hgFlat, nullptr);
    PlatFontGlyph(tall.pfo, u'ー', &hgTall, nullptr);
    EXPECT_NE(hgTall, hgFlat);
    const GLYPHBITS* pTall = BitsOf(tall.pfo, u'ー');
    ASSERT_NE(pTall, nullptr);
    EXPECT_GT(pTall->sizlBitmap.cx, 3 * pTall->sizlBitmap.cy);
}

TEST(GlyphBits, SpaceIsOneBlankPixel)
{
    Held f(MakeFont(u"Arial", -200));
    const GLYPHBITS* pgb = BitsOf(f.pfo, u' ');
    ASSERT_NE(pgb, nullptr);
    EXPECT_EQ(pgb->sizlBitmap.cx, 1);
    EXPECT_EQ(pgb->sizlBitmap.cy, 1);
    EXPECT_EQ(pgb->aj[0], 0);
}

TEST(GlyphBits, SecondRequestIsServedFromTheCache)
{
    Held f(MakeFont(u"Arial", -123));
    ASSERT_NE(BitsOf(f.pfo, u'Q'), nullptr);
    ULONG c = PlatFontGlyphsRendered();
    ASSERT_NE(BitsOf(f.pfo, u'Q'), nullptr);
    EXPECT_EQ(PlatFontGlyphsRendered(), c);
}

struct PathSummary {
    int cSubpaths = 0;
    int cBezierRecords = 0;
    int cClosed = 0;
    RECTFX bounds = {};
};

PathSummary Summarise(FONTOBJ* pfo, WCHAR wc)
{
    PathSummary s;
    HGLYPH hg = 0;
    PlatFontGlyph(pfo, wc, &hg, nullptr);
    PVOID pv = nullptr;
    if (FONTOBJ_cGetGlyphs(pfo, FO_PATHOBJ, 1, &hg, &pv) != 1)
        return s;
    PATHOBJ* ppo = static_cast<GLYPHDATA*>(pv)->gdf.ppo;
    PATHOBJ_vEnumStart(ppo);
    PATHDATA pd;
    BOOL bMore;
    do {
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (pd.flags & PD_BEGINSUBPATH)
            s.cSubpaths++;
        if (pd.flags & PD_BEZIERS)
            s.cBezierRecords++;
        if (pd.flags & PD_CLOSEFIGURE)
            s.cClosed++;
    } while (bMore);
    PATHOBJ_vGetBounds(ppo, &s.bounds);
    return s;
}

TEST(GlyphOutline, LatinLettersAsClosedFigures)
{
    Held f(MakeFont(u"Arial", -200));
    PathSummary h = Summarise(f.pfo, u'H');
    EXPECT_EQ(h.cSubpaths, 1);
    EXPECT_EQ(h.cClosed, 1);
    EXPECT_EQ(h.cBezierRecords, 0);  // straight strokes only
    PathSummary o = Summarise(f.pfo, u'O');
    EXPECT_EQ(o.cSubpaths, 2);       // the ring and its hole
    EXPECT_EQ(o.cClosed, 2);
    EXPECT_GT(o.cBezierRecords, 0);

    // The outline covers the same pixels as the image: 28.4 units relative
    // to the character origin, y downward.
    const GLYPHBITS* pgb = BitsOf(f.pfo, u'H');
    ASSERT_NE(pgb, nullptr);
    EXPECT_NEAR(h.bounds.yTop / 16.0, pgb->ptlOrigin.y, 1.5);
    EXPECT_NEAR(h.bounds.yBottom / 16.0, 0, 1.0);
    EXPECT_NEAR(h.bounds.xLeft / 16.0, pgb->ptlOrigin.x, 1.5);
    EXPECT_NEAR(h.bounds.xRight / 16.0, pgb->ptlOrigin.x + pgb->sizlBitmap.cx, 1.5);
}

TEST(GlyphOutline, JapaneseCharacter)
{
    Held f(MakeFont(u"ＭＳ 明朝", -200));
    PathSummary s = Summarise(f.pfo, u'日');
    EXPECT_GE(s.cSubpaths, 3);  // the frame and its two openings
    EXPECT_EQ(s.cClosed, s.cSubpaths);
    EXPECT_LT(s.bounds.yTop, 0);
    EXPECT_GT(s.bounds.xRight, s.bounds.xLeft);
}

TEST(Strings, SpacingArrayPlacesEachOrigin)
{
    Held f(MakeFont(u"Arial", -100));
    const LONG adx[] = {100, 50, 70};
    STROBJ* pstro = PlatStrCreate(f.pfo, u"ABC", 3, adx, FALSE, FALSE, POINTL{1000, 500});
    ASSERT_NE(pstro, nullptr);
    EXPECT_EQ(pstro->cGlyphs, 3u);
    EXPECT_EQ(std::u16string(pstro->pwszOrg, 3), u"ABC");
    EXPECT_FALSE(pstro->flAccel & SO_FLAG_DEFAULT_PLACEMENT);
    EXPECT_TRUE(pstro->flAccel & SO_HORIZONTAL);
    ASSERT_NE(pstro->pgp, nullptr);
    const LONG axExpected[] = {1000, 1100, 1150};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(pstro->pgp[i].ptl.x, axExpected[i]);
        EXPECT_EQ(pstro->pgp[i].ptl.y, 500);
    }
    EXPECT_EQ(PlatStrEnd(pstro).x, 1220);
    EXPECT_EQ(pstro->rclBkGround.left, 1000);
    EXPECT_EQ(pstro->rclBkGround.right, 1220);
    EXPECT_EQ(pstro->rclBkGround.top, 500 - 91);
    EXPECT_EQ(pstro->rclBkGround.bottom, 500 + 21);
    PlatStrDelete(pstro);
}

// Unturned strings whose spacing goes backwards or also moves down: each
// origin, the end point and the background cell, which runs from the first
// origin for the distance to the end point.
TEST(Strings, BackwardAndDiagonalSpacing)
{
    Held f(MakeFont(u"Arial", -100));
    const struct {
        const char* what;
        std::vector<LONG> dx;
        BOOL bDxDy;
        std::vector<POINTL> origins;
        POINTL end;
        LONG lRight;
    } kCases[] = {
        {"backwards", {100, -300, 50}, FALSE, {{1000, 500}, {1100, 500}, {800, 500}}, {850, 500}, 1150},
        {"pairs", {30, 40, 10, 0, -5, -40}, TRUE, {{1000, 500}, {1030, 540}, {1040, 540}}, {1035, 500}, 1035},
        {"down", {0, 40, 0, 40, 30, 0}, TRUE, {{1000, 500}, {1000, 540}, {1000, 580}}, {1030, 580}, 1086},
    };
    for (const auto& c : kCases) {
        STROBJ* pstro = PlatStrCreate(f.pfo, u"ABC", 3, c.dx.data(), c.bDxDy, FALSE, POINTL{1000, 500});
        ASSERT_NE(pstro, nullptr) << c.what;
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(pstro->pgp[i].ptl.x, c.origins[i].x) << c.what << " " << i;
            EXPECT_EQ(pstro->pgp[i].ptl.y, c.origins[i].y) << c.what << " " << i;
        }
        EXPECT_EQ(PlatStrEnd(pstro).x, c.end.x) << c.what;
        EXPECT_EQ(PlatStrEnd(pstro).y, c.end.y) << c.what;
        EXPECT_EQ(pstro->rclBkGround.left, 1000) << c.what;
        EXPECT_EQ(pstro->rclBkGround.right, c.lRight) << c.what;
        EXPECT_EQ(pstro->rclBkGround.top, 500 - 91) << c.what;
        EXPECT_EQ(pstro->rclBkGround.bottom, 500 + 21) << c.what;
        PlatStrDelete(pstro);
    }
}

TEST(Strings, EnumerationInBatchesGivesEveryGlyphOnce)
{
    Held f(MakeFont(u"Arial", -100));
    std::u16string text = u"Hello";
    STROBJ* pstro = PlatStrCreate(f.pfo, text.c_str(), 5, nullptr, FALSE, FALSE, POINTL{0, 200});
    ASSERT_NE(pstro, nullptr);
    EXPECT_TRUE(pstro->flAccel & SO_FLAG_DEFAULT_PLACEMENT);
    PlatStrSetBatch(pstro, 2);
    EXPECT_EQ(pstro->pgp, nullptr);
    std::vector<ULONG> batches;
    std::vector<GLYPHPOS> seen;
    STROBJ_vEnumStart(pstro);
    BOOL bMore;
    do {
        ULONG c = 0;
        GLYPHPOS* pgp = nullptr;
        bMore = STROBJ_bEnum(pstro, &c, &pgp);
        batches.push_back(c);
        for (ULONG i = 0; i < c; i++) {
            ASSERT_NE(pgp[i].pgdf, nullptr);  // bitmaps come with the positions
            seen.push_back(pgp[i]);
        }
    } while (bMore);
    EXPECT_EQ(batches, (std::vector<ULONG>{2, 2, 1}));
    ASSERT_EQ(seen.size(), 5u);
    // Default placement: each origin is the last one plus its glyph's advance.
    for (size_t i = 1; i < seen.size(); i++) {
        LONG adv = 0;
        PlatFontGlyph(f.pfo, text[i - 1], nullptr, &adv);
        EXPECT_EQ(seen[i].ptl.x - seen[i - 1].ptl.x, adv);
    }
    // Positions only: no bitmaps are asked for.
    STROBJ* pstro2 = PlatStrCreate(f.pfo, u"xy", 2, nullptr, FALSE, FALSE, POINTL{0, 0});
    ULONG c = 0;
    GLYPHPOS* pgp = nullptr;
    EXPECT_FALSE(STROBJ_bEnumPositionsOnly(pstro2, &c, &pgp));
    EXPECT_EQ(c, 2u);
    EXPECT_EQ(pgp[0].pgdf, nullptr);
    PlatStrDelete(pstro2);
    PlatStrDelete(pstro);
}

TEST(Strings, GlyphIndexTextIsMarked)
{
    Held f(MakeFont(u"Arial", -100));
    HGLYPH hgA = 0;
    PlatFontGlyph(f.pfo, u'A', &hgA, nullptr);
    WCHAR awc[1] = {static_cast<WCHAR>(hgA)};
    STROBJ* pstro = PlatStrCreate(f.pfo, awc, 1, nullptr, FALSE, TRUE, POINTL{0, 0});
    ASSERT_NE(pstro, nullptr);
    EXPECT_TRUE(pstro->flAccel & SO_GLYPHINDEX_TEXTOUT);
    EXPECT_EQ(pstro->pgp[0].hg, hgA);
    PlatStrDelete(pstro);
}

struct SjisCase {
    const char16_t* psz;
    ULONG cjOut;          // room for bytes
    std::vector<BYTE> expected;
};

class UnicodeToShiftJis : public ::testing::TestWithParam<SjisCase> {};

TEST_P(UnicodeToShiftJis, WholeCharactersOnly)
{
    const SjisCase& c = GetParam();
    std::u16string s = c.psz;
    char buf[16];
    std::memset(buf, 0x55, sizeof(buf));
    ULONG cb = 999;
    EngUnicodeToMultiByteN(buf, c.cjOut, &cb, s.data(), static_cast<ULONG>(s.size() * 2));
    ASSERT_EQ(cb, c.expected.size());
    EXPECT_EQ(std::vector<BYTE>(buf, buf + cb), c.expected);
    EXPECT_EQ(static_cast<BYTE>(buf[cb]), 0x55);  // nothing beyond
}

INSTANTIATE_TEST_SUITE_P(
    Cp932, UnicodeToShiftJis,
    ::testing::Values(SjisCase{u"A", 16, {0x41}},
                      SjisCase{u"日本A", 16, {0x93, 0xFA, 0x96, 0x7B, 0x41}},
                      SjisCase{u"ｱ", 16, {0xB1}},
                      SjisCase{u"　", 16, {0x81, 0x40}},
                      SjisCase{u"€", 16, {'?'}},
                      SjisCase{u"日本", 3, {0x93, 0xFA}},
                      SjisCase{u"日", 1, {}}));

TEST(ShiftJisToUnicode, TwoByteCharactersJoin)
{
    const char sjis[] = "\x93\xFA\x96\x7B" "A";
    WCHAR buf[8] = {};
    ULONG cb = 0;
    EngMultiByteToUnicodeN(buf, sizeof(buf), &cb, sjis, 5);
    EXPECT_EQ(cb, 6u);
    EXPECT_EQ(std::u16string(buf, 3), u"日本A");
}

}  // namespace
