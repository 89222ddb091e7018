// A whole job through the application's GDI calls, the driver's frame and
// the spooler into the port file: the stream is framed by the PJL header
// and each page is set up and ejected.
#include "tests/gfx_frame/frame_fixture.h"

#include "platform/spooler/winspool.h"

#include <filesystem>

namespace {

TEST(EndToEnd, TwoPageJobReachesThePortAsPjlAndOrdex)
{
    InstallFramePrinter();
    std::error_code ec;
    std::filesystem::remove(TestRootFile("c/ports/frame.prn"), ec);

    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    for (int i = 0; i < 2; ++i) {
        ASSERT_GT(StartPage(hdc), 0);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));

    std::string s = PortBytes();
    const std::string head =
        "\x1B%-12345X@PJL\n"
        "@PJL COMMENT HEADER OSTREL BRAVINE QX-730 ORDEX2 V\n"
        "@PJL COMMENT Title : Report ;\n"
        "@PJL COMMENT Driver version : 04.03\n"
        "@PJL SET JOBNAME = \"Report\"\n";
    EXPECT_EQ(s.substr(0, head.size()), head);
    size_t nEnter = s.find("@PJL ENTER LANGUAGE = ORDEX\nini ");
    ASSERT_NE(nEnter, std::string::npos) << s;
    EXPECT_LT(s.find("@PJL SET TIMEOUT = 300 \n"), nEnter);

    // Each page: its set-up from the origin to the colour registers, then
    // its eject.
    size_t nPos = nEnter;
    for (int i = 0; i < 2; ++i) {
        size_t nOrg = s.find("\norg %", nPos);
        ASSERT_NE(nOrg, std::string::npos) << "page " << i + 1;
        size_t nRegs = s.find("brc 0 #", nOrg);
        size_t nEject = s.find("\nprn;\n", nOrg);
        ASSERT_NE(nRegs, std::string::npos);
        ASSERT_NE(nEject, std::string::npos);
        EXPECT_LT(s.find("\npps ", nOrg), nRegs);
        EXPECT_LT(nRegs, nEject);
        nPos = nEject + 1;
    }
    EXPECT_EQ(s.find("\nprn;\n", nPos), std::string::npos);
}

}  // namespace
