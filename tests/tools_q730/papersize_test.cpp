// Paper sizes on the Setup page as a user meets them: the original and
// output sizes chosen in "q730 preferences", the custom size dialog reached
// from both size lists, and the zoom the next "q730 print" prints at.
#include "platform/windows.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <vector>
#include <string>

namespace {

// The line of the job that starts with what.
std::string Line(const std::string& job, const std::string& what)
{
    size_t at = job.find(what);
    return at == std::string::npos ? "" : job.substr(at, job.find('\n', at) - at);
}

// Prints the sample document and answers the job.
std::string PrintSample()
{
    RunResult r = RunQ730("print --output job.prn");
    EXPECT_EQ(r.iExit, 0) << r.strErr;
    return ReadFile(TestRootFile("job.prn"));
}

// The sample's first move at a zoom: at 100 % it is "mta 300 1500".
std::string FirstMove(int iZoom)
{
    return "mta " + std::to_string(300 * iZoom / 100) + " " + std::to_string(1500 * iZoom / 100) + ";";
}

struct ZOOMCASE {
    const char* original;
    const char* output;
    const char* paper;  // the paper the job asks for
    int iZoom;          // what the printable areas of the two sizes give
};

class Q730Zoom : public testing::TestWithParam<ZOOMCASE> {};

TEST_P(Q730Zoom, TheJobPrintsAtTheZoomOfTheChosenSizes)
{
    const ZOOMCASE& c = GetParam();
    TestNewRoot();
    RunResult r = RunQ730(std::string("preferences --page Setup --choose 'Original size=") + c.original +
                       "' --choose 'Output size=" + c.output + "'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    std::string job = PrintSample();
    EXPECT_EQ(Line(job, "@PJL SET PAPER = "), std::string("@PJL SET PAPER = ") + c.paper);
    EXPECT_EQ(Line(job, "mta "), FirstMove(c.iZoom));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Q730Zoom,
    testing::Values(ZOOMCASE{"A4", "A4", "A4", 100}, ZOOMCASE{"A4", "A3", "A3", 142},
                    ZOOMCASE{"A3", "A4", "A4", 69}, ZOOMCASE{"A4", "A5", "A5", 69},
                    ZOOMCASE{"A4", "Letter", "LETTER", 93}, ZOOMCASE{"B4 (JIS)", "A4", "A4", 81},
                    ZOOMCASE{"A4", "A3 R (W)", "A3", 142}, ZOOMCASE{"A4", "A4 tab paper", "A4", 100},
                    ZOOMCASE{"A4", "User paper 1(210 x 210mm)", "A4", 72}),
    [](const testing::TestParamInfo<ZOOMCASE>& i) { return "Case" + std::to_string(i.index); });

// A custom output size typed into the custom size dialog: the page is
// printed on it at the zoom its printable size gives.
TEST(Q730CustomSize, FromTheOutputSizeList)
{
    TestNewRoot();
    RunResult r = RunQ730("preferences --page Setup --choose 'Output size=Set custom size...' --type Width=150 "
                       "--type Length=250 --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    std::string job = PrintSample();
    EXPECT_EQ(Line(job, "pps "), "pps USERDEF %150.00 %250.00 %0.00 %0.00 %0.00 %0.00 P;");
    // 150 x 250 mm against A4's printable 201.88 x 288.88 mm.
    EXPECT_EQ(Line(job, "mta "), FirstMove(74));
}

// The original size list offers the custom size too: the dialog opens from
// it and the custom original is printed on the output size at its zoom.
TEST(Q730CustomSize, FromTheOriginalSizeList)
{
    TestNewRoot();
    RunResult r = RunQ730("preferences --page Setup --choose 'Original size=Set custom size...' --type Width=150 "
                       "--type Length=250 --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    EXPECT_NE(r.strOut.find("dialog \"Custom Paper Size\" opened"), std::string::npos) << r.strOut;
    std::string job = PrintSample();
    EXPECT_EQ(Line(job, "pps "), "pps A4 P;");
    // 150 x 250 mm on A4's printable 201.88 x 288.88 mm.
    EXPECT_EQ(Line(job, "mta "), FirstMove(115));
    // Cancelled, the dialog changes nothing.
    TestNewRoot();
    r = RunQ730("preferences --page Setup --choose 'Original size=Set custom size...' --cancel");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    job = PrintSample();
    EXPECT_EQ(Line(job, "pps "), "pps A4 P;");
    EXPECT_EQ(Line(job, "mta "), FirstMove(100));
}


// The settings keep the automatic-zoom switch as the Setup page left it
// (byte 2564), and the installed hard disk in its own copy (byte 2581).
TEST(Q730AutoZoomSwitch, KeptApartFromTheHardDisk)
{
    TestNewRoot();
    RunResult r = RunQ730("properties --choose 'Hard disk=Installed'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    // The output size is the original size: no automatic zoom.
    r = RunQ730("preferences --ok");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    std::vector<BYTE> dm = UserDefault();
    ASSERT_EQ(dm.size(), 2615u);
    EXPECT_EQ(dm[2564], 0);
    EXPECT_EQ(dm[2330], 2);  // the hard disk, installed
    EXPECT_EQ(dm[2581], 2);
    // A3 output: the zoom follows it.
    r = RunQ730("preferences --page Setup --choose 'Output size=A3'");
    ASSERT_EQ(r.iExit, 0) << r.strOut << r.strErr;
    dm = UserDefault();
    ASSERT_EQ(dm.size(), 2615u);
    EXPECT_EQ(dm[2564], 1);
    EXPECT_EQ(dm[2581], 2);
}

}  // namespace
