// A unit taken off the printer after the user's default asked for its
// finishing: "q730 properties", then "q730 preferences", then "q730 print"
// as separate runs; every later job asks the printer only for the units it
// still has.
#include "platform/windows.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The "@PJL SET" lines of a job for the keys asked, one per line.
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

std::string PrintJob(const std::string& name)
{
    RunResult r = RunQ730("print --output " + name);
    EXPECT_EQ(0, r.iExit) << r.strOut << r.strErr;
    return ReadFile(TestRootFile(name));
}

const char kProduction[] = "--page Finishing --check 'Production print (turns off simple finishing on the Setup page)' "
                           "--answer yes ";

struct UnitCase {
    const char* pszName;
    const char* pszInstall;      // q730 properties actions that fit the units
    const char* pszPreferences;  // q730 preferences actions that use them
    const char* pszRemove;       // q730 properties actions that take one away
    std::vector<std::string> keys;
    const char* pszWith;         // the job's lines while the unit is there
    const char* pszWithout;      // and after it went
};

void PrintTo(const UnitCase& c, std::ostream* os) { *os << c.pszName; }

class InstalledUnits : public testing::TestWithParam<UnitCase> {};

TEST_P(InstalledUnits, TheUsersDefaultStopsAskingForAUnitThatWasTakenOff)
{
    const UnitCase& c = GetParam();
    TestNewRoot();
    const std::string baseline = PrintJob("baseline.prn");
    RunResult r = RunQ730(std::string("properties ") + c.pszInstall);
    ASSERT_EQ(0, r.iExit) << r.strOut << r.strErr;
    r = RunQ730(std::string("preferences ") + kProduction + c.pszPreferences);
    ASSERT_EQ(0, r.iExit) << r.strOut << r.strErr;
    EXPECT_EQ(c.pszWith, PjlLines(PrintJob("with.prn"), c.keys));

    r = RunQ730(std::string("properties ") + c.pszRemove);
    ASSERT_EQ(0, r.iExit) << r.strOut << r.strErr;
    // Every later job, not only the next one.
    for (const char* name : {"without.prn", "again.prn"}) {
        std::string job = PrintJob(name);
        EXPECT_EQ(c.pszWithout, PjlLines(job, c.keys)) << name;
        EXPECT_EQ(PjlLines(baseline, c.keys), PjlLines(job, c.keys)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Q730, InstalledUnits,
    testing::Values(
        UnitCase{"Finisher", "--choose 'Output unit=Finisher'", "--check Staple",
                 "--choose 'Output unit=Not installed'", {"STAPLEPOSITION"},
                 "@PJL SET STAPLEPOSITION = LEFT\n", "@PJL SET STAPLEPOSITION = OFF\n"},
        UnitCase{"PunchKit", "--choose 'Output unit=Finisher' --choose 'Punch kit=Installed'", "--check Punch",
                 "--choose 'Punch kit=Not installed'", {"PUNCH"},
                 "@PJL SET PUNCH = LEFT\n", "@PJL SET PUNCH = OFF\n"},
        UnitCase{"SaddleFinisher", "--choose 'Output unit=Saddle finisher'", "--check 'Centre finish'",
                 "--choose 'Output unit=Finisher'", {"FOLD", "STITCH", "TRIM"},
                 "@PJL SET FOLD = ON\n@PJL SET STITCH = ON\n@PJL SET TRIM = OFF\n",
                 "@PJL SET FOLD = OFF\n@PJL SET STITCH = OFF\n@PJL SET TRIM = OFF\n"},
        UnitCase{"PunchZFoldUnit", "--choose 'Output unit=Finisher' --choose 'Punch / Z-fold unit=Installed'",
                 "--page Setup --choose 'Original size=A3' --choose 'Output size=A3' --page Finishing "
                 "--answer yes --check 'Centre finish'",
                 "--choose 'Punch / Z-fold unit=Not installed'", {"FOLD", "STITCH", "TRIM"},
                 "@PJL SET FOLD = ZFOLD\n@PJL SET STITCH = OFF\n@PJL SET TRIM = OFF\n",
                 "@PJL SET FOLD = OFF\n@PJL SET STITCH = OFF\n@PJL SET TRIM = OFF\n"},
        UnitCase{"CoverSheetFeeder", "--choose 'Output unit=Finisher' --choose 'Cover sheet tray=Installed'",
                 "--page 'Cover / Insert' --check 'Front cover sheet'", "--choose 'Cover sheet tray=Not installed'",
                 {"RXFRONT"}, "@PJL SET RXFRONT = RXTRAY1\n", "@PJL SET RXFRONT = OFF\n"}),
    [](const testing::TestParamInfo<UnitCase>& i) { return std::string(i.param.pszName); });

}  // namespace
