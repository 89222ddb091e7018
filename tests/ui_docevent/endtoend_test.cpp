// A job printed through the real libraries: the application-side GDI calls
// this library's DrvDocumentEvent, whose escapes reach the graphics library.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/windows.h"
#include "tests/common/testroot.h"

namespace {

std::string PrintJob(LPCWSTR pszUser, LPCWSTR pszPrinter, LPCWSTR pszPort)
{
    TestNewRoot();
    PlatSetUserName(pszUser);
    EXPECT_TRUE(PlatInstallPrinter(pszPrinter, pszPort, nullptr));
    CreateDirectoryW(u"C:\\ports", nullptr);
    HDC hdc = CreateDCW(nullptr, pszPrinter, nullptr, nullptr);
    EXPECT_NE(hdc, nullptr);
    if (!hdc) return {};
    DOCINFOW di = {sizeof(DOCINFOW), u"Event chain", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(hdc, &di), 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_GT(StartPage(hdc), 0);
        EXPECT_GT(EndPage(hdc), 0);
    }
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    PlatSetUserName(nullptr);
    std::ifstream in(TestRootFile("c/ports/e2e.prn"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(EndToEnd, JobCarriesTheUserAndEndsWithTheExitSequence)
{
    std::string job = PrintJob(u"carol", u"QX-730 E2E", u"C:\\ports\\e2e.prn");
    ASSERT_FALSE(job.empty());
    EXPECT_NE(job.find("@PJL SET USERNAME = \"carol\"\n"), std::string::npos)
        << job.substr(0, 600);
    const std::string kExit = "\x1b%-12345X";
    ASSERT_GE(job.size(), kExit.size());
    EXPECT_EQ(job.substr(0, kExit.size()), kExit);
    EXPECT_EQ(job.substr(job.size() - kExit.size()), kExit);
}

}  // namespace
