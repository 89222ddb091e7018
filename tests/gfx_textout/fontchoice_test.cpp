// Which resident font a TrueType font prints in: the user's substitution
// list, the character set, the weight and slant, emulated bold and italic,
// and the fonts that go out as glyph images.
#include <gtest/gtest.h>

#include "textfix.h"

namespace {

typedef std::vector<std::pair<std::u16string, std::u16string>> Pairs;

struct ChoiceRow {
    const char* what;
    const char16_t* pszFamily;  // the family the font's metrics report
    BYTE jCharSet;
    USHORT usWeight;
    LONG lItalicAngle;
    FLONG flSim;
    int iRow;  // the "fos" expected, -1 for glyph images
    int iBold, iItalic;
};

const ChoiceRow kRows[] = {
    {"Arial regular", u"Arial", 0, 400, 0, 0, 5, 0, 0},
    {"Arial italic", u"Arial", 0, 400, -120, 0, 6, 0, 0},
    {"Arial bold", u"Arial", 0, 700, 0, 0, 7, 0, 0},
    {"Arial bold italic, no emulation", u"Arial", 0, 700, -120, 0, 8, 0, 0},
    {"Arial heavier than bold, bold simulated", u"Arial", 0, 700, 0, FO_SIM_BOLD, 7, 1, 0},
    {"Courier New prints in Courier", u"Courier New", 0, 400, 0, 0, 11, 0, 0},
    {"Courier New, italic simulated", u"Courier New", 0, 400, 0, FO_SIM_ITALIC, 11, 0, 1},
    {"Times New Roman bold italic", u"Times New Roman", 0, 700, -120, 0, 34, 0, 0},
    {"Univers italic", u"Univers", 0, 400, -120, 0, 36, 0, 0},
    {"an italic face without italic row", u"Clarendon Condensed", 0, 700, -120, 0, 9, 0, 1},
    {"a bold face without bold row", u"Marigold", 0, 700, 0, 0, 22, 1, 0},
    {"the default set takes any row", u"Arial", 1, 400, 0, 0, 5, 0, 0},
    {"symbol face in the symbol set", u"Symbol", 2, 400, 0, 0, 81, 0, 0},
    {"the second Symbol row by its own face", u"SymbolPS", 2, 400, 0, 0, 82, 0, 0},
    {"Japanese proportional Mincho", u"ＭＳ Ｐ明朝", 128, 400, 0, 0, 84, 0, 0},
    {"Japanese Gothic, default set", u"ＭＳ ゴシック", 1, 400, 0, 0, 89, 0, 0},
    {"vertical proportional Mincho", u"@ＭＳ Ｐ明朝", 128, 400, 0, 0, 86, 0, 0},
    {"vertical Gothic", u"@ＭＳ ゴシック", 128, 400, 0, 0, 91, 0, 0},
    {"ANSI face in the symbol set", u"Arial", 2, 400, 0, 0, -1, 0, 0},
    {"ANSI face in the Shift-JIS set", u"Arial", 128, 400, 0, 0, -1, 0, 0},
    {"OEM set", u"Arial", 255, 400, 0, 0, -1, 0, 0},
    {"another set", u"Arial", 161, 400, 0, 0, -1, 0, 0},
    {"Japanese face in the ANSI set", u"ＭＳ Ｐ明朝", 0, 400, 0, 0, -1, 0, 0},
    {"a face the list does not name", u"Verdana", 0, 400, 0, 0, -1, 0, 0},
    {"a face the list maps nowhere useful", u"'Dark' Courier", 0, 400, 0, 0, -1, 0, 0},
};

// Draws "A" in a font whose metrics say what the row says; answers the
// stream.
std::string DrawChoice(TextPdev& t, const ChoiceRow& r, BOOL bGlyphIndex = FALSE)
{
    TestFont f(u"Arial", -100);
    EXPECT_NE(f.pfo, nullptr);
    EXPECT_TRUE(PlatFontOverride(f.pfo, (LPCWSTR)r.pszFamily, r.jCharSet, r.usWeight,
                                 r.lItalicAngle, r.flSim));
    TestString s(f.pfo, u"A", 100, 200, bGlyphIndex);
    EXPECT_TRUE(DrawText(t, f.pfo, s.pstro));
    return t.Take();
}

void ExpectImages(const std::string& out, const char* what)
{
    EXPECT_TRUE(LinesWith(out, "fos ").empty()) << what;
    EXPECT_TRUE(LinesWith(out, "txo ").empty()) << what;
    EXPECT_EQ(LinesWith(out, "mta ").size(), 1u) << what;
}

TEST(FontChoice, RowByFaceWeightSlantAndCharacterSet)
{
    for (const ChoiceRow& r : kRows) {
        TextPdev t;
        t.SubstituteDefaults();
        std::string out = DrawChoice(t, r);
        if (r.iRow < 0) {
            ExpectImages(out, r.what);
            continue;
        }
        EXPECT_EQ(LinesWith(out, "fos "), std::vector<std::string>{"fos " + std::to_string(r.iRow) + ";"})
            << r.what;
        EXPECT_EQ(LinesWith(out, "fob "), std::vector<std::string>{"fob " + std::to_string(r.iBold) + ";"})
            << r.what;
        EXPECT_EQ(LinesWith(out, "foi "), std::vector<std::string>{"foi " + std::to_string(r.iItalic) + ";"})
            << r.what;
        EXPECT_TRUE(LinesWith(out, "mta ").empty()) << r.what;
    }
}

TEST(FontChoice, SubstitutionListDecides)
{
    const ChoiceRow arial = kRows[0];
    struct ListRow {
        const char* what;
        Pairs pairs;
        int iRow;
    } lists[] = {
        {"a device name not in the table lets the next pair decide",
         {{u"Arial", u"No Such Font"}, {u"Arial", u"Helvetica"}}, 59},
        {"a pair without a device name is passed over",
         {{u"Arial", u""}, {u"Arial", u"Univers"}}, 35},
        {"the first usable pair wins", {{u"Arial", u"CG Omega"}, {u"Arial", u"Univers"}}, 23},
        {"no pair for the face", {{u"Times New Roman", u"Times"}}, -1},
    };
    for (const ListRow& l : lists) {
        TextPdev t;
        t.Substitute(l.pairs);
        std::string out = DrawChoice(t, arial);
        if (l.iRow < 0)
            ExpectImages(out, l.what);
        else
            EXPECT_EQ(LinesWith(out, "fos "),
                      std::vector<std::string>{"fos " + std::to_string(l.iRow) + ";"})
                << l.what;
    }
}

TEST(FontChoice, WithoutListOrDeviceFontsOrByGlyphIndexTextIsImages)
{
    const ChoiceRow arial = kRows[0];
    {
        TextPdev t;  // no list at all
        ExpectImages(DrawChoice(t, arial), "no list");
    }
    {
        TextPdev t;
        t.SubstituteDefaults();
        t.dm()[1411] = 0;
        ExpectImages(DrawChoice(t, arial), "device fonts off");
    }
    {
        TextPdev t;
        t.SubstituteDefaults();
        ExpectImages(DrawChoice(t, arial, TRUE), "glyph indexes");
    }
}

TEST(FontChoice, FontsLargerThanTheLimitAreImages)
{
    struct SizeRow {
        LONG lHeight, lWidth;
        BOOL bOk;
    } rows[] = {
        {400 << 8, 256, TRUE},   // 3333 x 416: just below 3333 x 417
        {401 << 8, 256, FALSE},
        {200 << 8, 512, TRUE},   // twice as wide, half as high
        {300 << 8, 512, FALSE},
        {12 << 8, 256, TRUE},
    };
    for (const SizeRow& r : rows)
        EXPECT_EQ(bResidentSizeOk(r.lHeight, r.lWidth), r.bOk) << r.lHeight << " " << r.lWidth;
}

TEST(FontChoice, MissingMetricsAreRemarkedAndDrawnAsImages)
{
    TextPdev t;
    t.SubstituteDefaults();
    FONTOBJ fo = {};  // not a font the engine realised
    STROBJ str = {};
    EXPECT_TRUE(DrawText(t, &fo, &str));
    EXPECT_EQ(LinesWith(t.Take(), "rem "), std::vector<std::string>{"rem FONTOBJ_pifi == NULL;"});
}

}  // namespace
