// The Help button of the printer's sheets, pressed through q730: the help
// the driver asks for is printed, its file and the page's topic.
#include "platform/windows.h"
#include "tests/common/q730run.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The help file in the driver folder of this build's architecture.
const std::string kHelpFile = std::string("help: C:\\WINDOWS\\system32\\spool\\drivers\\") +
                              (sizeof(void*) == 8 ? "x64" : "w32x86") + "\\3\\Q730MVHZ.hlp";

TEST(Q730SheetHelp, TheHelpButtonShowsThePagesTopic)
{
    TestNewRoot();
    struct {
        const char* args;
        const char* topics[2];
    } cases[] = {
        {"preferences --click Help --page Finishing --click Help --cancel", {", topic 2002", ", topic 2004"}},
        {"properties --click Help --cancel", {", topic 2010", nullptr}},
    };
    for (const auto& c : cases) {
        RunResult r = RunQ730(c.args);
        ASSERT_EQ(r.iExit, 0) << c.args << ": " << r.strErr;
        size_t at = 0;
        for (const char* topic : c.topics) {
            if (!topic)
                continue;
            std::string line = kHelpFile + topic + " (the file is not there)\n";
            at = r.strOut.find(line, at);
            EXPECT_NE(at, std::string::npos) << c.args << ": " << line << "\n" << r.strOut;
        }
    }
}

}  // namespace
