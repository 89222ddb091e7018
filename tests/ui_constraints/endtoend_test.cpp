// A setting changed through the settings object and the resolver, the
// DEVMODE written back, a job printed through the real libraries: the job
// stream carries only what the printer can do.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/ui_constraints/fixture.h"

namespace {

class EndToEnd : public ConstraintTest {
protected:
    // Commits the settings into the DEVMODE and prints one page with it.
    std::string PrintWithSettings()
    {
        CommitEditedSettings(pObj);
        EXPECT_EQ(1, SettingsToDevmode(pObj, (DEVMODEW*)dm.data(), pdb));
        CreateDirectoryW(u"C:\\ports", nullptr);
        EXPECT_TRUE(PlatInstallPrinter(u"QX-730 Job", u"C:\\ports\\job.prn", nullptr));
        HDC hdc = CreateDCW(nullptr, u"QX-730 Job", nullptr, (DEVMODEW*)dm.data());
        EXPECT_NE(nullptr, hdc);
        if (!hdc)
            return {};
        DOCINFOW di = {sizeof(DOCINFOW), u"Rules", nullptr, nullptr, 0};
        EXPECT_GT(StartDocW(hdc, &di), 0);
        EXPECT_GT(StartPage(hdc), 0);
        Rectangle(hdc, 100, 100, 400, 400);
        EXPECT_GT(EndPage(hdc), 0);
        EXPECT_GT(EndDoc(hdc), 0);
        DeleteDC(hdc);
        std::ifstream in(TestRootFile("c/ports/job.prn"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string Line(const std::string& job, const std::string& key)
    {
        size_t at = job.find("@PJL SET " + key + " = ");
        if (at == std::string::npos)
            return "";
        return job.substr(at, job.find('\n', at) - at);
    }
};

TEST_F(EndToEnd, RemovingTheFinisherTakesStaplingOutOfTheJob)
{
    ResolveConstraintsOnOpen(nullptr, pObj);
    Change(804, 3, {IDYES});
    Change(123, 1, {IDYES});
    Change(130, 1, {IDYES});
    ASSERT_EQ(1, Get(130));
    std::string withFinisher = PrintWithSettings();
    EXPECT_EQ("@PJL SET STAPLEPOSITION = LEFT", Line(withFinisher, "STAPLEPOSITION")) << withFinisher.substr(0, 1500);

    PlatMsgBoxReset();
    Change(804, 1, {IDYES});
    EXPECT_EQ(0, Get(130));
    EXPECT_EQ(1, Get(804));
    std::string without = PrintWithSettings();
    EXPECT_EQ("@PJL SET STAPLEPOSITION = OFF", Line(without, "STAPLEPOSITION"));
}

TEST_F(EndToEnd, ATransparencyNeverGoesDuplex)
{
    ResolveConstraintsOnOpen(nullptr, pObj);
    Change(123, 1, {IDYES});
    Change(132, 1, {IDYES});
    Change(133, 2, {IDYES});
    Change(120, 4, {IDYES});
    ASSERT_EQ(1, Get(132));
    EXPECT_EQ("@PJL SET DUPLEX = ON", Line(PrintWithSettings(), "DUPLEX"));

    // Choosing transparencies switches duplex off; asked, the user agrees.
    PlatMsgBoxReset();
    Change(122, 2, {IDYES});
    EXPECT_EQ(2, Get(122));
    EXPECT_EQ(0, Get(132));
    ASSERT_EQ(1, PlatMsgBoxCount());
    std::string job = PrintWithSettings();
    EXPECT_EQ("@PJL SET DUPLEX = OFF", Line(job, "DUPLEX"));
    EXPECT_EQ("@PJL SET MEDIATYPE = OHP", Line(job, "MEDIATYPE"));

    // Duplex asked for on transparencies is refused, naming the paper type.
    PlatMsgBoxReset();
    std::vector<BYTE> before = Bytes();
    Change(132, 1);
    EXPECT_EQ(0, Get(132));
    ExpectSameBytes(before);
    ASSERT_EQ(1, PlatMsgBoxCount());
    EXPECT_NE(std::string::npos, Narrow(BoxText(0)).find("cannot be used together with"));
}

TEST_F(EndToEnd, ABookletTurnsDuplexOnAndTakesThePlaceOfNup)
{
    ResolveConstraintsOnOpen(nullptr, pObj);
    Change(804, 3, {IDYES});
    Change(301, 1, {IDYES});
    Change(302, 1, {IDYES});
    ASSERT_EQ(1, Get(302));
    EXPECT_EQ("@PJL SET LAYOUT = NORMAL", Line(PrintWithSettings(), "LAYOUT"));
    Change(312, 1, {IDYES});
    EXPECT_EQ(1, Get(312));
    EXPECT_EQ(1, Get(310));
    EXPECT_EQ(0, Get(302));
    // The booklet is imposed four pages to a sheet, two a side, in place
    // of the N-up; nothing is stapled at a corner.
    std::string job = PrintWithSettings();
    EXPECT_EQ("@PJL SET LAYOUT = 4IN1", Line(job, "LAYOUT"));
    EXPECT_EQ("@PJL SET STAPLEPOSITION = OFF", Line(job, "STAPLEPOSITION"));
}

}  // namespace
