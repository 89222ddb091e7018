// Page set-up commands per paper, tray, sides and PDL mode; the PCL-mode
// comparison with the page before; halftone; colour registers through the
// tone curve; pure-black mode.
#include <functional>

#include <gtest/gtest.h>

#include "ordexfix.h"

namespace {

std::vector<std::string> SetUpLines(TestPdev& t)
{
    t.Take();
    PdlPageSetup(t.pdev());
    return Lines(t.Take());
}

struct SetupCase {
    const char* pszWhat;
    std::function<void(TestPdev&)> set;
    std::vector<std::string> lines;
};

TEST(PageSetup, CommandsTable)
{
    const std::vector<std::string> kTail = {"htn D 33;", "brc 0 #00;", "brc 1 #FFFFFF;",
                                            "brc 10 #00;"};
    const SetupCase aCases[] = {
        {"A4 portrait", [](TestPdev&) {},
         {"org %5.00 %4.00;", "pps A4 P;", "ppt A;", "ppd N;"}},
        {"negative origin below one unit", [](TestPdev& t) { t.Long(2407, -5); t.Long(2411, 1200); },
         {"org %-0.05 %12.00;"}},
        {"origin -2.50, 0.09", [](TestPdev& t) { t.Long(2407, -250); t.Long(2411, 9); },
         {"org %-2.50 %0.09;"}},
        {"A4R", [](TestPdev& t) { t.Short(776, 2057); }, {"pps A4R P;"}},
        {"A4 landscape", [](TestPdev& t) { t.Short(296, 2); }, {"pps A4 L;"}},
        {"letter, wide variant", [](TestPdev& t) { t.Short(776, 12289); }, {"pps LT_WF P;"}},
        {"unknown paper", [](TestPdev& t) { t.Short(776, 77); }, {"pps A4 P;"}},
        {"custom paper", [](TestPdev& t) { t.Short(776, 256); t.Short(1547, 2100); t.Short(1549, 2970); },
         {"org %0.00 %0.00;", "pps USERDEF %200.00 %289.00 %0.00 %0.00 %0.00 %0.00 P;"}},
        {"tray 3", [](TestPdev& t) { t.Short(1543, 258); }, {"ppt 3;"}},
        {"manual tray", [](TestPdev& t) { t.Short(1543, 4); }, {"ppt M;"}},
        {"unknown tray", [](TestPdev& t) { t.Short(1543, 99); }, {"ppt A;"}},
        {"covers from manual take the cover tray",
         [](TestPdev& t) { t.Byte(1577, 127); t.Byte(1573, 2); t.Short(1574, 4); t.Short(1562, 259); },
         {"ppt 4;"}},
        {"booklet", [](TestPdev& t) { t.Byte(1433, 1); }, {"ppd S;"}},
        {"duplex long edge", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1426, 1); t.Short(314, 2); },
         {"ppd L;"}},
        {"duplex short edge", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2096, 1); t.Short(314, 3); },
         {"ppd S;"}},
        {"duplex asked, no unit", [](TestPdev& t) { t.Short(314, 3); }, {"ppd N;"}},
        {"error diffusion, fine", [](TestPdev& t) { t.Byte(2160, 1); t.Byte(1445, 2); },
         {"ppd N;", "htn E 4;"}},
        {"error diffusion", [](TestPdev& t) { t.Byte(2160, 1); }, {"htn E 1;"}},
        {"dither 4", [](TestPdev& t) { t.Byte(2154, 4); }, {"htn D 129;"}},
        {"dither 2", [](TestPdev& t) { t.Byte(2154, 2); }, {"htn D 17;"}},
        {"darker tone curve", [](TestPdev& t) { t.Short(2156, -2); },
         {"brc 0 #101010;", "brc 1 #FFFFFF;", "brc 10 #101010;"}},
        {"PCL mode", [](TestPdev& t) { t.Byte(1410, 1); t.Long(2407, 1000); t.Long(2411, 400); },
         {"org %15.94 %4.00;", "pps A4 P;", "ppt A;", "ppd N;", "brc 0 #00;"}},
        {"PCLXL mode", [](TestPdev& t) { t.Byte(1410, 2); t.Long(2407, 1000); t.Long(2411, 406); },
         {"org %5.94 %0.00;", "pps A4 P;", "ppt A;", "brc 0 #00;"}},
        {"mode 5", [](TestPdev& t) { t.Byte(1410, 5); }, {"org %0.00 %0.00;", "pps A4 P;", "ppt A;"}},
    };
    for (const SetupCase& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        TestPdev t;
        c.set(t);
        PdlStartDoc(t.pdev());
        std::vector<std::string> lines = SetUpLines(t);
        EXPECT_TRUE(HasRun(lines, c.lines)) << ::testing::PrintToString(lines);
    }
}

TEST(PageSetup, HalftoneOnlyInOrdexMode)
{
    for (int nMode = 0; nMode <= 3; ++nMode) {
        TestPdev t;
        t.Byte(1410, nMode);
        PdlStartDoc(t.pdev());
        std::string s = t.Take();
        PdlPageSetup(t.pdev());
        EXPECT_EQ(t.Take().find("\nhtn D 33;\n") != std::string::npos, nMode == 0) << nMode;
    }
}

TEST(PageSetup, PclModeWritesOnlyWhatChanged)
{
    TestPdev t;
    t.Byte(1410, 1);
    t.Long(2407, 1000);
    t.Long(2411, 400);
    PdlStartDoc(t.pdev());
    SetUpLines(t);
    // Same paper, tray and sides: only the origin.
    EXPECT_EQ(SetUpLines(t), (std::vector<std::string>{"org %15.94 %4.00;", "brc 0 #00;",
                                                  "brc 1 #FFFFFF;", "brc 10 #00;"}));
    // Landscape on the same paper needs its "pps" again.
    t.Short(296, 2);
    std::vector<std::string> lines = SetUpLines(t);
    EXPECT_TRUE(HasRun(lines, {"pps A4 L;", "brc 0 #00;"})) << ::testing::PrintToString(lines);
    // A new tray alone.
    t.Short(1543, 1);
    lines = SetUpLines(t);
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_TRUE(HasRun(lines, {"ppt A;"}));  // PCL code 251 names no ORDEX tray
    EXPECT_EQ(Val(t.work()->psCurrent.nTray), 251);
}

TEST(ToneCurve, GivenPointsPerDensity)
{
    const struct {
        int nDensity;
        int aOut[7];
    } aCases[] = {
        {2, {0, 4, 18, 73, 166, 224, 255}},
        {1, {0, 13, 37, 102, 183, 224, 255}},
        {0, {0, 32, 64, 128, 192, 224, 255}},
        {7, {0, 32, 64, 128, 192, 224, 255}},
        {-1, {5, 58, 94, 152, 201, 224, 255}},
        {-2, {16, 86, 121, 168, 204, 224, 255}},
    };
    const int aIn[7] = {0, 32, 64, 128, 192, 224, 255};
    for (const auto& c : aCases) {
        TestPdev t;
        t.Short(2156, c.nDensity);
        PdlStartDoc(t.pdev());
        const BYTE* pCurve = t.work()->abToneCurve;
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(pCurve[aIn[i]], c.aOut[i]) << c.nDensity << " at " << aIn[i];
        }
        EXPECT_EQ(pCurve[254], 254);
        for (int i = 0; i < 255; ++i) {
            EXPECT_LE(pCurve[i], pCurve[i + 1]);
        }
    }
}

TEST(GreyConversion, ColourToGreyThroughTheCurve)
{
    TestPdev t;
    t.Short(2156, 2);
    PdlStartDoc(t.pdev());
    EXPECT_EQ(PdlColorToGray(t.pdev(), 0x808080), 0x494949u);  // 128 -> 73
    EXPECT_EQ(PdlColorToGray(t.pdev(), 0xFFFFFF), 0xFFFFFFu);
    // (30 R + 59 G + 11 B) / 100 with red in the low byte: pure red is 76.
    TestPdev plain;
    PdlStartDoc(plain.pdev());
    EXPECT_EQ(PdlColorToGray(plain.pdev(), 0x0000FF), 0x4C4C4Cu);
    EXPECT_EQ(PdlColorToGray(plain.pdev(), 0xFF0000), 0x1C1C1Cu);
    EXPECT_TRUE(PdlIsGrayMode(t.pdev()));
    EXPECT_FALSE(PdlIsGrayMode(plain.pdev()));
    PdlSetPageFlag(t.pdev(), 0x12345);
    EXPECT_FALSE(PdlIsGrayMode(t.pdev()));
    EXPECT_EQ(Val(t.work()->lForceRop), 0x2345);
}

TEST(GreyConversion, PureBlackByDrawingKind)
{
    const struct {
        int nSetting;
        int nKind;
        bool bBlack;
    } aCases[] = {
        {1, 1, true}, {1, 2, false}, {1, 3, true}, {1, 4, true},
        {2, 2, true}, {2, 0, false}, {3, 3, false},
    };
    for (const auto& c : aCases) {
        TestPdev t;
        t.Byte(2161, 1);
        t.Byte(2162, c.nSetting);
        PdlStartDoc(t.pdev());
        SetDrawingKind(t.pdev(), c.nKind);
        EXPECT_EQ(PdlColorToGray(t.pdev(), 0x808080), c.bBlack ? 0u : 0x808080u)
            << c.nSetting << "/" << c.nKind;
        EXPECT_EQ(PdlColorToGray(t.pdev(), 0xFFFFFF), 0xFFFFFFu);
        EXPECT_EQ(t.pdev()->bGrayConv, c.bBlack ? 1 : 0);
    }
}

TEST(PageSetup, TableLookups)
{
    EXPECT_STREQ(GetPaperOrdexName(43), "PCR");
    EXPECT_STREQ(GetPaperPjlName(43), "JPOST");
    EXPECT_STREQ(GetPaperOrdexName(1033), "A4TAB_F");
    EXPECT_EQ(GetPaperPclCode(1033), 47);
    EXPECT_EQ(GetPaperPclxlCode(1033), 60);
    EXPECT_EQ(GetPaperPclxlCode(4105), 45);
    EXPECT_EQ(GetPaperPclxlCode(12289), 23);
    EXPECT_STREQ(GetPaperPjlName(12289), "LETTER");
    EXPECT_STREQ(GetPaperOrdexName(4242), "A4");
    EXPECT_STREQ(GetTrayPjlName(261), "TRAY6");
    EXPECT_STREQ(GetTrayOrdexName(261), "6");
    EXPECT_EQ(GetTrayPclCode(261), 256);
    EXPECT_STREQ(GetTrayPjlName(5), "AUTO");
    EXPECT_STREQ(GetTrayOrdexName(5), "A");
}

TEST(Escape, ClipToPathInclusiveWritesTwoLines)
{
    TestPdev t;
    PdlStartDoc(t.pdev());
    t.Take();
    SHORT nMode = 2;
    EXPECT_EQ(PdlEscape(t.pdev(), PDL_ESC_CLIP_TO_PATH, 2, &nMode), 1u);
    EXPECT_EQ(t.Take(), "cpp 3 3 e;\nphd 3;\n");
    nMode = 0;
    EXPECT_EQ(PdlEscape(t.pdev(), PDL_ESC_CLIP_TO_PATH, 2, &nMode), 1u);
    EXPECT_EQ(Val(t.work()->lClipSaveMode), 1);
    nMode = 9;
    EXPECT_EQ(PdlEscape(t.pdev(), PDL_ESC_CLIP_TO_PATH, 2, &nMode), 0u);
    EXPECT_EQ(PdlEscape(t.pdev(), PDL_ESC_BEGIN_PATH, 0, nullptr), 1u);
    EXPECT_EQ(PdlEscape(t.pdev(), 17, 0, nullptr), 0u);
    PlatClearDebugLog();
    EXPECT_EQ(PdlEscape(nullptr, PDL_ESC_END_PATH, 0, nullptr), 0u);
    EXPECT_NE(PlatDebugLog().find("xgientnt ("), std::string::npos);
    EXPECT_NE(PlatDebugLog().find("): _bValidatePDEV failed."), std::string::npos);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
}

TEST(Macro, OverlayCommands)
{
    TestPdev t;
    t.Byte(2153, 1);
    t.Long(1402, 5120);
    PdlStartDoc(t.pdev());
    t.Take();
    PdlBeginMacro(t.pdev());
    WriteStream(t.pdev(), "FORM", 4);
    PdlEndMacro(t.pdev());
    PdlCallMacro(t.pdev());
    EXPECT_EQ(t.Take(), "mct 1;\nmcr 1 5120 <!FORM!>;\nmcx 1;\n");
    t.Byte(2153, 2);
    PdlBeginMacro(t.pdev());
    EXPECT_EQ(t.Take(), "mcr 1 5120 <!");
}

}  // namespace
