// The "foc" lines that tell the printer which resident font stands for
// which device font name, once per job.
#include <gtest/gtest.h>

#include <algorithm>

#include "textfix.h"

namespace {

TEST(FontSubstitution, DefaultPairsDefineEveryNamedRow)
{
    TextPdev t;
    t.SubstituteDefaults();
    WriteFontSubstLines(t.pdev());
    std::vector<std::string> foc = LinesWith(t.Take(), "foc ");
    for (const char* want : {"foc Albertus_Medium Albertus_Medium 1 W1 0;",
                             "foc Arial Arial_Bold 1 W1 7;",
                             "foc Courier Courier 1 W1 11;",
                             "foc Times_New_Roman Times_New_Roman_Bold_Italic 1 W1 34;",
                             "foc CourierPS Courier-BoldOblique 1 W1 58;",
                             "foc ITC_Zapf_Dingbats ZapfDingbats 1 WD 80;",
                             "foc SymbolPS Symbol 1 WD 82;",
                             "foc HGPMinchoL HGPMinchoL 2 SJ 84;",
                             "foc HGPMinchoL HGPMinchoL 3 SJ 86;",
                             "foc HGGothicB HGGothicB 3 SJ 91;"})
        EXPECT_NE(std::find(foc.begin(), foc.end(), want), foc.end()) << want;
    // Every row but the four of a face no pair names ('Dark' Courier).
    EXPECT_EQ(foc.size(), 88u);
    EXPECT_EQ(foc.front(), "foc Albertus_Medium Albertus_Medium 1 W1 0;");
    EXPECT_EQ(foc.back(), "foc HGGothicB HGGothicB 3 SJ 91;");
}

TEST(FontSubstitution, OnlyForDeviceFontsInOrdexMode)
{
    struct Row {
        const char* what;
        int iGraphicsMode, iFontUse;
        bool bList;
        std::string out;
    } rows[] = {
        {"no list", 2, 1, false, "rem lpFontSubTable = NULL;\n"},
        {"device fonts off", 2, 0, true, ""},
        {"bitmap mode", 1, 1, true, ""},
        {"one pair", 2, 1, true, "foc Univers Univers_Medium 1 W1 35;\n"
                                 "foc Univers Univers_Medium_Italic 1 W1 36;\n"
                                 "foc Univers Univers_Bold 1 W1 37;\n"
                                 "foc Univers Univers_Bold_Italic 1 W1 38;\n"},
    };
    for (const Row& r : rows) {
        TextPdev t;
        if (r.bList)
            t.Substitute({{u"Arial", u"Univers"}});
        t.dm()[778] = (BYTE)r.iGraphicsMode;
        t.dm()[1411] = (BYTE)r.iFontUse;
        WriteFontSubstLines(t.pdev());
        EXPECT_EQ(t.Take(), r.out) << r.what;
    }
}

}  // namespace
