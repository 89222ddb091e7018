// Face choice: the names applications use, their "@" forms, fallbacks, and
// the metrics and transform a realised font reports.
#include "platform/windows.h"
#include "platform/gdi/fontobj.h"
#include "platform/gdi/fonts.h"
#include "platform/gdi/gditext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

LOGFONTW MakeFont(const char16_t* pszFace, LONG lHeight, LONG lWeight = FW_NORMAL,
                  BOOL bItalic = FALSE, BYTE jCharSet = DEFAULT_CHARSET, BYTE jPitch = 0)
{
    LOGFONTW lf = {};
    lf.lfHeight = lHeight;
    lf.lfWeight = lWeight;
    lf.lfItalic = static_cast<BYTE>(bItalic);
    lf.lfCharSet = jCharSet;
    lf.lfPitchAndFamily = jPitch;
    for (int i = 0; pszFace[i] && i < LF_FACESIZE - 1; i++)
        lf.lfFaceName[i] = pszFace[i];
    return lf;
}

std::u16string FamilyName(FONTOBJ* pfo)
{
    const IFIMETRICS* pIfi = FONTOBJ_pifi(pfo);
    return reinterpret_cast<const char16_t*>(reinterpret_cast<const BYTE*>(pIfi) +
                                             pIfi->dpwszFamilyName);
}

// The installed file, without the links distributions put in front of it.
std::string FileName(const std::string& strPath)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::canonical(strPath, ec);
    return (ec ? std::filesystem::path(strPath) : p).filename().string();
}

struct FaceCase {
    const char16_t* pszAsked;
    LONG lWeight;
    BOOL bItalic;
    BYTE jCharSet;
    BYTE jPitch;
    const char16_t* pszReported;  // family name GDI and the driver see
    const char* pszFile;          // the installed file that draws it
    BYTE jCharSetReported;
    FLONG flExpected;             // FO_SIM_BOLD, FO_SIM_ITALIC, FO_VERT_FACE
};

class FaceChoice : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FaceChoice, NameMapsOntoInstalledFace)
{
    const FaceCase& c = GetParam();
    LOGFONTW lf = MakeFont(c.pszAsked, -100, c.lWeight, c.bItalic, c.jCharSet, c.jPitch);
    FACEINFO face;
    ASSERT_TRUE(FontResolve(&lf, &face));
    EXPECT_EQ(FileName(face.strFile), c.pszFile);

    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    ASSERT_NE(pfo, nullptr);
    EXPECT_EQ(FamilyName(pfo), std::u16string(c.pszReported));
    EXPECT_EQ(FONTOBJ_pifi(pfo)->jWinCharSet, c.jCharSetReported);
    EXPECT_EQ(pfo->flFontType & (FO_SIM_BOLD | FO_SIM_ITALIC | FO_VERT_FACE), c.flExpected);
    EXPECT_TRUE(pfo->flFontType & FO_TYPE_TRUETYPE);
    PlatFontRelease(pfo);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FaceChoice,
    ::testing::Values(
        FaceCase{u"Arial", 400, FALSE, DEFAULT_CHARSET, 0, u"Arial", "LiberationSans-Regular.ttf", 0, 0},
        FaceCase{u"arial", 700, TRUE, ANSI_CHARSET, 0, u"Arial", "LiberationSans-BoldItalic.ttf", 0, 0},
        FaceCase{u"Arial", 900, FALSE, DEFAULT_CHARSET, 0, u"Arial", "LiberationSans-Bold.ttf", 0, 0},
        FaceCase{u"Times New Roman", 400, TRUE, DEFAULT_CHARSET, 0, u"Times New Roman",
                 "LiberationSerif-Italic.ttf", 0, 0},
        FaceCase{u"Courier New", 700, FALSE, DEFAULT_CHARSET, 0, u"Courier New",
                 "LiberationMono-Bold.ttf", 0, 0},
        FaceCase{u"ＭＳ Ｐゴシック", 400, FALSE, SHIFTJIS_CHARSET, 0, u"ＭＳ Ｐゴシック", "ipagp.ttf", 128, 0},
        FaceCase{u"ＭＳ ゴシック", 700, FALSE, DEFAULT_CHARSET, 0, u"ＭＳ ゴシック", "ipag.ttf", 128,
                 FO_SIM_BOLD},
        FaceCase{u"ＭＳ Ｐ明朝", 400, FALSE, DEFAULT_CHARSET, 0, u"ＭＳ Ｐ明朝", "ipamp.ttf", 128, 0},
        FaceCase{u"ＭＳ 明朝", 400, TRUE, SHIFTJIS_CHARSET, 0, u"ＭＳ 明朝", "ipam.ttf", 128,
                 FO_SIM_ITALIC},
        FaceCase{u"ＭＳ 明朝", 400, FALSE, ANSI_CHARSET, 0, u"ＭＳ 明朝", "ipam.ttf", 0, 0},
        FaceCase{u"@ＭＳ Ｐゴシック", 400, FALSE, SHIFTJIS_CHARSET, 0, u"@ＭＳ Ｐゴシック", "ipagp.ttf",
                 128, FO_VERT_FACE},
        FaceCase{u"@ＭＳ ゴシック", 400, FALSE, SHIFTJIS_CHARSET, 0, u"@ＭＳ ゴシック", "ipag.ttf", 128,
                 FO_VERT_FACE},
        FaceCase{u"@ＭＳ Ｐ明朝", 400, FALSE, SHIFTJIS_CHARSET, 0, u"@ＭＳ Ｐ明朝", "ipamp.ttf", 128,
                 FO_VERT_FACE},
        FaceCase{u"@ＭＳ 明朝", 400, FALSE, SHIFTJIS_CHARSET, 0, u"@ＭＳ 明朝", "ipam.ttf", 128,
                 FO_VERT_FACE},
        // Faces that are not installed fall back by character set and family.
        FaceCase{u"HGP明朝L", 400, FALSE, SHIFTJIS_CHARSET, 0, u"ＭＳ Ｐゴシック", "ipagp.ttf", 128, 0},
        FaceCase{u"@HGP明朝L", 400, FALSE, SHIFTJIS_CHARSET, 0, u"@ＭＳ Ｐゴシック", "ipagp.ttf", 128,
                 FO_VERT_FACE},
        FaceCase{u"No Such Face", 400, FALSE, ANSI_CHARSET, FF_ROMAN | VARIABLE_PITCH,
                 u"Times New Roman", "LiberationSerif-Regular.ttf", 0, 0},
        FaceCase{u"No Such Face", 400, FALSE, ANSI_CHARSET, FIXED_PITCH, u"Courier New",
                 "LiberationMono-Regular.ttf", 0, 0},
        FaceCase{u"", 400, FALSE, DEFAULT_CHARSET, 0, u"Arial", "LiberationSans-Regular.ttf", 0, 0},
        // A Latin face cannot draw Shift-JIS text.
        FaceCase{u"Arial", 400, FALSE, SHIFTJIS_CHARSET, 0, u"ＭＳ Ｐゴシック", "ipagp.ttf", 128, 0}));

// Arial's proportions (units per em 2048, ascent 1854, descent 434) through
// its metric-compatible stand-in, for em heights (negative) and cell
// heights (positive).
struct MetricCase {
    LONG lHeight;
    LONG lAscent;
    LONG lDescent;
    LONG lEm;
};

class ArialMetrics : public ::testing::TestWithParam<MetricCase> {};

TEST_P(ArialMetrics, AscentAndDescentFollowTheFace)
{
    const MetricCase& c = GetParam();
    LOGFONTW lf = MakeFont(u"Arial", c.lHeight);
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    ASSERT_NE(pfo, nullptr);
    PLATFONTMETRICS m;
    ASSERT_TRUE(PlatFontGetMetrics(pfo, &m));
    EXPECT_EQ(m.lAscent, c.lAscent);
    EXPECT_EQ(m.lDescent, c.lDescent);
    EXPECT_EQ(m.lEmHeight, c.lEm);
    EXPECT_EQ(m.lInternalLeading, c.lAscent + c.lDescent - c.lEm);
    const IFIMETRICS* pIfi = FONTOBJ_pifi(pfo);
    EXPECT_EQ(pIfi->fwdUnitsPerEm, 2048);
    EXPECT_EQ(pIfi->fwdWinAscender, 1854);
    EXPECT_EQ(pIfi->fwdWinDescender, 434);
    EXPECT_EQ(pIfi->usWinWeight, 400);
    EXPECT_EQ(pIfi->lItalicAngle, 0);
    PlatFontRelease(pfo);
}

INSTANTIATE_TEST_SUITE_P(Heights, ArialMetrics,
                         ::testing::Values(MetricCase{-2048, 1854, 434, 2048},
                                           MetricCase{-1000, 905, 212, 1000},
                                           MetricCase{-100, 91, 21, 100},
                                           MetricCase{2288, 1854, 434, 2048},
                                           MetricCase{112, 91, 21, 100}));

TEST(FontTransform, MapsTheEmOntoTheDeviceHeight)
{
    // An em of 2048 units drawn 100 pixels high: (0, 2048) lands 100 pixels
    // down, 1600 in 28.4 units; the matrix is a plain scale.
    LOGFONTW lf = MakeFont(u"Arial", -100);
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    ASSERT_NE(pfo, nullptr);
    XFORMOBJ* pxo = FONTOBJ_pxoGetXform(pfo);
    ASSERT_NE(pxo, nullptr);
    POINTL ptIn = {0, 2048};
    POINTFIX ptOut = {};
    ASSERT_TRUE(XFORMOBJ_bApplyXform(pxo, XF_LTOFX, 1, &ptIn, &ptOut));
    EXPECT_EQ(ptOut.x, 0);
    EXPECT_EQ(ptOut.y, 1600);
    XFORML xf = {};
    XFORMOBJ_iGetXform(pxo, &xf);
    EXPECT_FLOAT_EQ(xf.eM11, xf.eM22);
    EXPECT_FLOAT_EQ(xf.eM12, 0.0f);
    EXPECT_FLOAT_EQ(xf.eM21, 0.0f);
    PlatFontRelease(pfo);
}

TEST(FontTransform, EscapementTurnsTheBaselineCounterClockwise)
{
    // Device y grows downward: a baseline turned a quarter points up.
    LOGFONTW lf = MakeFont(u"Arial", -100);
    lf.lfEscapement = 900;
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    ASSERT_NE(pfo, nullptr);
    POINTL ptIn = {10000, 0}, ptOut = {};
    ASSERT_TRUE(XFORMOBJ_bApplyXform(FONTOBJ_pxoGetXform(pfo), XF_LTOL, 1, &ptIn, &ptOut));
    EXPECT_EQ(ptOut.x, 0);
    EXPECT_LT(ptOut.y, 0);
    PlatFontRelease(pfo);
}

TEST(FontTransform, WidthStretchesOnlyTheBaselineDirection)
{
    LOGFONTW lf = MakeFont(u"Arial", -100);
    LOGFONTW lfWide = lf;
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    PLATFONTMETRICS m;
    ASSERT_TRUE(PlatFontGetMetrics(pfo, &m));
    lfWide.lfWidth = m.lAveCharWidth * 2;
    FONTOBJ* pfoWide = PlatFontRealize(&lfWide, 600, 600);
    ASSERT_NE(pfoWide, nullptr);
    XFORML xf = {}, xfWide = {};
    XFORMOBJ_iGetXform(FONTOBJ_pxoGetXform(pfo), &xf);
    XFORMOBJ_iGetXform(FONTOBJ_pxoGetXform(pfoWide), &xfWide);
    EXPECT_NEAR(xfWide.eM11 / xf.eM11, 2.0, 0.02);
    EXPECT_FLOAT_EQ(xfWide.eM22, xf.eM22);
    PlatFontRelease(pfoWide);
    PlatFontRelease(pfo);
}

TEST(FontObject, ItalicFacesLeanRightAndSimulatedOnesReportNoSlant)
{
    LOGFONTW lf = MakeFont(u"Arial", -100, FW_NORMAL, TRUE);
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    ASSERT_NE(pfo, nullptr);
    const IFIMETRICS* pIfi = FONTOBJ_pifi(pfo);
    EXPECT_LT(pIfi->lItalicAngle, -50);  // tenths of a degree, counter-clockwise
    EXPECT_GT(pIfi->lItalicAngle, -200);
    EXPECT_TRUE(pIfi->fsSelection & FM_SEL_ITALIC);
    PlatFontRelease(pfo);

    LOGFONTW lfSim = MakeFont(u"ＭＳ ゴシック", -100, FW_NORMAL, TRUE);
    pfo = PlatFontRealize(&lfSim, 600, 600);
    ASSERT_NE(pfo, nullptr);
    EXPECT_EQ(FONTOBJ_pifi(pfo)->lItalicAngle, 0);
    EXPECT_TRUE(pfo->flFontType & FO_SIM_ITALIC);
    PlatFontRelease(pfo);
}

TEST(FontObject, ForeignHeadsGetNothing)
{
    FONTOBJ fo = {};
    EXPECT_EQ(FONTOBJ_pifi(&fo), nullptr);
    EXPECT_EQ(FONTOBJ_pxoGetXform(&fo), nullptr);
    HGLYPH hg = 1;
    PVOID pv = nullptr;
    EXPECT_EQ(FONTOBJ_cGetGlyphs(&fo, FO_GLYPHBITS, 1, &hg, &pv), 0u);
    EXPECT_EQ(FONTOBJ_pifi(nullptr), nullptr);
}

TEST(FontObject, OverrideReportsWhatATestAsks)
{
    LOGFONTW lf = MakeFont(u"ＭＳ 明朝", -100);
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    ASSERT_NE(pfo, nullptr);
    ASSERT_TRUE(PlatFontOverride(pfo, u"@HGP明朝L", SHIFTJIS_CHARSET, 700, -150, FO_SIM_BOLD));
    EXPECT_EQ(FamilyName(pfo), u"@HGP明朝L");
    EXPECT_EQ(FONTOBJ_pifi(pfo)->usWinWeight, 700);
    EXPECT_EQ(FONTOBJ_pifi(pfo)->lItalicAngle, -150);
    EXPECT_EQ(pfo->flFontType & (FO_SIM_BOLD | FO_SIM_ITALIC), static_cast<FLONG>(FO_SIM_BOLD));
    // The same request realised again is the face's own, untouched.
    FONTOBJ* pfoAgain = PlatFontRealize(&lf, 600, 600);
    EXPECT_NE(pfoAgain, pfo);
    EXPECT_EQ(FamilyName(pfoAgain), u"ＭＳ 明朝");
    PlatFontRelease(pfoAgain);
    PlatFontRelease(pfo);
}

TEST(FontCache, ReleasedFontsStayUntilFlushed)
{
    PlatFontFlushCache();
    LONG before = PlatFontLiveRealizations();
    LOGFONTW lf = MakeFont(u"Courier New", -77);
    FONTOBJ* pfo = PlatFontRealize(&lf, 600, 600);
    ASSERT_NE(pfo, nullptr);
    EXPECT_EQ(PlatFontRealize(&lf, 600, 600), pfo);  // the same realisation again
    PlatFontRelease(pfo);
    PlatFontRelease(pfo);
    EXPECT_EQ(PlatFontLiveRealizations(), before + 1);
    PlatFontFlushCache();
    EXPECT_EQ(PlatFontLiveRealizations(), before);
}

}  // namespace
