// What the printer's hardware allows, as a user meets it through
// "q730 properties", "q730 preferences" and "q730 print", each a run of
// its own: a centre-finish kind needs the unit that does it, tab paper is
// cut to A4 and Letter, a booklet cannot be printed on thick paper.
#include "platform/windows.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string PjlLines(const std::string& job, const std::vector<std::string>& keys)
{
    std::string lines;
    for (const std::string& key : keys) {
        size_t at = job.find("@PJL SET " + key + " = ");
        lines += at == std::string::npos ? "(no " + key + ")" : job.substr(at, job.find('\n', at) - at);
        lines += "\n";
    }
    return lines;
}

std::string PrintJob()
{
    RunResult r = RunQ730("print --output job.prn");
    EXPECT_EQ(0, r.iExit) << r.strOut << r.strErr;
    return ReadFile(TestRootFile("job.prn"));
}

const char kProduction[] = "--page Finishing --check 'Production print (turns off simple finishing on the Setup page)' "
                           "--answer yes ";

// Centre finishing on the units installed: each kind is done by its own
// unit, and the Finishing page offers only the kinds the printer can do.
struct FoldCase {
    const char* pszName;
    const char* pszUnits;        // q730 properties actions
    const char* pszPreferences;  // after production print is on
    int iExit;                   // of q730 preferences
    const char* pszLines;        // FOLD, STITCH, TRIM and OUTPUTBIN of the next job
};

void PrintTo(const FoldCase& c, std::ostream* os) { *os << c.pszName; }

class CentreFinish : public testing::TestWithParam<FoldCase> {};

TEST_P(CentreFinish, EachKindNeedsTheUnitThatDoesIt)
{
    const FoldCase& c = GetParam();
    TestNewRoot();
    RunResult r = RunQ730(std::string("properties ") + c.pszUnits);
    ASSERT_EQ(0, r.iExit) << r.strOut << r.strErr;
    r = RunQ730(std::string("preferences ") + kProduction + c.pszPreferences);
    EXPECT_EQ(c.iExit, r.iExit) << r.strOut << r.strErr;
    EXPECT_EQ(c.pszLines, PjlLines(PrintJob(), {"FOLD", "STITCH", "TRIM", "OUTPUTBIN"}));
}

INSTANTIATE_TEST_SUITE_P(
    Q730, CentreFinish,
    testing::Values(
        // The saddle finisher stitches and folds into its booklet tray.
        FoldCase{"SaddleStitch", "--choose 'Output unit=Saddle finisher'",
                 "--answer yes --check 'Centre finish'", 0,
                 "@PJL SET FOLD = ON\n@PJL SET STITCH = ON\n@PJL SET TRIM = OFF\n@PJL SET OUTPUTBIN = BIN3\n"},
        // Trimming is the trimmer's, which no control installs: the
        // trimmed kinds are not offered, so nothing is saved.
        FoldCase{"NoTrimmer", "--choose 'Output unit=Saddle finisher'",
                 "--answer yes --check 'Centre finish' --choose 'Centre finish=Stitch+trim'", 2,
                 "@PJL SET FOLD = OFF\n@PJL SET STITCH = OFF\n@PJL SET TRIM = OFF\n@PJL SET OUTPUTBIN = BIN2\n"},
        // On the finisher, the punch/Z-fold unit Z-folds an A3 sheet into
        // the set; stitching is not offered and centre finishing takes the
        // kind the unit can do.
        FoldCase{"ZFoldOnTheFinisher", "--choose 'Output unit=Finisher' --choose 'Punch / Z-fold unit=Installed'",
                 "--page Setup --choose 'Original size=A3' --choose 'Output size=A3' --page Finishing --answer yes "
                 "--check 'Centre finish'", 0,
                 "@PJL SET FOLD = ZFOLD\n@PJL SET STITCH = OFF\n@PJL SET TRIM = OFF\n@PJL SET OUTPUTBIN = BIN1\n"},
        FoldCase{"NoStitchOnTheFinisher",
                 "--choose 'Output unit=Finisher' --choose 'Punch / Z-fold unit=Installed'",
                 "--page Setup --choose 'Original size=A3' --choose 'Output size=A3' --page Finishing --answer yes "
                 "--check 'Centre finish' --choose 'Centre finish=Stitch'", 2,
                 "@PJL SET FOLD = OFF\n@PJL SET STITCH = OFF\n@PJL SET TRIM = OFF\n@PJL SET OUTPUTBIN = BIN2\n"},
        // An A4 sheet is not Z-folded: on A4 the finisher with the
        // punch/Z-fold unit has no kind to offer.
        FoldCase{"NoZFoldOfA4", "--choose 'Output unit=Finisher' --choose 'Punch / Z-fold unit=Installed'",
                 "--check 'Centre finish'", 2,
                 "@PJL SET FOLD = OFF\n@PJL SET STITCH = OFF\n@PJL SET TRIM = OFF\n@PJL SET OUTPUTBIN = BIN2\n"}),
    [](const testing::TestParamInfo<FoldCase>& i) { return std::string(i.param.pszName); });

// Tab paper is cut to A4 and Letter: with index paper in the bypass tray
// the other sizes are not offered, and nothing is saved when one is asked
// for; A4 and Letter print on tab paper.
struct TabCase {
    const char* pszSize;  // a --choose action
    int iExit;
    const char* pszLines;  // MEDIATYPE of the next job
};

void PrintTo(const TabCase& c, std::ostream* os) { *os << c.pszSize; }

class TabPaper : public testing::TestWithParam<TabCase> {};

TEST_P(TabPaper, OnlyA4AndLetterTakeTabPaper)
{
    const TabCase& c = GetParam();
    TestNewRoot();
    RunResult r = RunQ730(std::string("preferences --choose 'Paper source=Bypass tray' --choose 'Paper type=Index paper' "
                                   "--choose '") + c.pszSize + "'");
    EXPECT_EQ(c.iExit, r.iExit) << r.strOut << r.strErr;
    EXPECT_EQ(c.pszLines, PjlLines(PrintJob(), {"MEDIATYPE"}));
}

INSTANTIATE_TEST_SUITE_P(
    Q730, TabPaper,
    testing::Values(TabCase{"Original size=Letter", 0, "@PJL SET MEDIATYPE = TAB\n"},
                    TabCase{"Original size=A4", 0, "@PJL SET MEDIATYPE = TAB\n"},
                    TabCase{"Output size=Letter R", 2, "(no MEDIATYPE)\n"},
                    TabCase{"Original size=A4 R", 2, "(no MEDIATYPE)\n"},
                    TabCase{"Output size=A4 (W)", 2, "(no MEDIATYPE)\n"},
                    TabCase{"Output size=Letter (W)", 2, "(no MEDIATYPE)\n"}));

// A booklet is printed on both sides; thick stock does not pass the duplex
// unit. The refusal names the paper the user chose, not the duplex setting
// the booklet would have needed.
TEST(Q730Booklet, RefusedOnThickPaperNamingThePaper)
{
    TestNewRoot();
    RunResult r = RunQ730(std::string("preferences --choose 'Paper source=Bypass tray' --choose 'Paper type=Thick paper' ") +
                       kProduction + "--check Booklet");
    EXPECT_EQ(2, r.iExit) << r.strOut << r.strErr;
    size_t at = r.strOut.find("message box \"Booklet\": ");
    ASSERT_NE(std::string::npos, at) << r.strOut;
    std::string box = r.strOut.substr(at, r.strOut.find("answered", at) - at);
    EXPECT_NE(std::string::npos, box.find("Paper type : Thick paper")) << box;
    EXPECT_EQ(std::string::npos, box.find("Duplex")) << box;
    EXPECT_EQ("@PJL SET DUPLEX = OFF\n@PJL SET LAYOUT = NORMAL\n", PjlLines(PrintJob(), {"DUPLEX", "LAYOUT"}));
}

}  // namespace
