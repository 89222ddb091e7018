// Values chosen in the dialogs by the scripted user, committed, written into
// the DEVMODE and printed through the real libraries: the job stream (or
// the confirmation at print time) carries them.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "tests/common/testroot.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/imageshift.h"
#include "ui/dialogs/jobid.h"
#include "ui/dialogs/subdlg.h"
#include "ui/dialogs/timerprint.h"
#include "ui/driverui/ownercheck.h"
#include "ui/settings/devmode.h"
#include "ui/settings/strcache.h"

#include <fstream>
#include <iterator>

namespace {

class DialogEndToEnd : public SubDialogTest {
protected:
    void SetUp() override
    {
        SubDialogTest::SetUp();
        // The sheet records its user as the owner of the private-job settings.
        PlatSetUserName(u"carol");
        ASSERT_NE(CheckJobOwner(0, pObj), 0);
    }
    void TearDown() override
    {
        PlatSetUserName(nullptr);
        PlatSetLocalTime(nullptr);
        SubDialogTest::TearDown();
    }
    // Commits the settings into the DEVMODE and prints one page with it;
    // the boxes shown while printing are recorded from the start.
    std::string Print()
    {
        CommitEditedSettings(pObj);
        EXPECT_EQ(1, SettingsToDevmode(pObj, (DEVMODEW*)dm.data(), (POPTIONDB)pdb));
        CreateDirectoryW(u"C:\\ports", nullptr);
        EXPECT_TRUE(PlatInstallPrinter(u"QX-730 Dialogs", u"C:\\ports\\dialogs.prn", nullptr));
        PlatMsgBoxReset();
        HDC hdc = CreateDCW(nullptr, u"QX-730 Dialogs", nullptr, (DEVMODEW*)dm.data());
        EXPECT_NE(nullptr, hdc);
        if (!hdc)
            return {};
        DOCINFOW di = {sizeof(DOCINFOW), u"Dialogs", nullptr, nullptr, 0};
        EXPECT_GT(StartDocW(hdc, &di), 0);
        EXPECT_GT(StartPage(hdc), 0);
        Rectangle(hdc, 100, 100, 400, 400);
        EXPECT_GT(EndPage(hdc), 0);
        EXPECT_GT(EndDoc(hdc), 0);
        DeleteDC(hdc);
        std::ifstream in(TestRootFile("c/ports/dialogs.prn"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string Line(const std::string& job, const std::string& key)
    {
        size_t at = job.find("@PJL SET " + key + " = ");
        if (at == std::string::npos)
            return "";
        return job.substr(at, job.find('\n', at) - at);
    }
    int FindBox(const char16_t* caption)
    {
        for (int i = 0; i < PlatMsgBoxCount(); ++i)
            if (BoxCaption(i).find(caption) != std::u16string::npos)
                return i;
        return -1;
    }
};

TEST_F(DialogEndToEnd, JobIdAndPasswordTypedInTheDialogReachTheHoldLines)
{
    Set(u"POD_Check", 1);
    Set(u"JobComb_Check", 1);
    Set(u"lpJobMode", 1);
    ASSERT_EQ(Modal(IDD_JOBID, JobIdPasswordDlgProc, (LPARAM)pObj,
                    {Type(IDC_JOB_ID, u"job42"), Type(IDC_JOB_PASSWORD_PLAIN, u"Secret7"), Ok()}),
              IDOK)
        << Narrow(PlatScriptError());
    // The confirmation of the hard-disk save is answered with OK.
    PlatMsgBoxPushAnswer(IDOK);
    std::string job = Print();
    ASSERT_FALSE(job.empty());
    EXPECT_EQ(Line(job, "JOBID"), "@PJL SET JOBID = JOB42") << job.substr(0, 1500);
    EXPECT_EQ(Line(job, "HOLD"), "@PJL SET HOLD = ON");
    EXPECT_EQ(Line(job, "HOLDTYPE"), "@PJL SET HOLDTYPE = STORE");
    EXPECT_EQ(Line(job, "HOLDKEY"), "@PJL SET HOLDKEY = Secret7");
    EXPECT_GE(FindBox(u"HV-208"), 0);
}

TEST_F(DialogEndToEnd, ImageShiftChosenInTheDialogReachesTheJob)
{
    Set(u"POD_Check", 1);
    Set(u"ImageShift_Check", 1);
    ASSERT_EQ(Modal(IDD_IMAGESHIFT, ImageShiftDlgProc, (LPARAM)pObj,
                    {Click(IDC_IS_RIGHT_F), Type(IDC_IS_LR_F, u"120"), Click(IDC_IS_UP_F), Type(IDC_IS_UD_F, u"35"),
                     Type(IDC_IS_INTERVAL_F, u"2"), Click(IDC_IS_BACK_AUTO), Ok()}),
              IDOK)
        << Narrow(PlatScriptError());
    std::string job = Print();
    ASSERT_FALSE(job.empty());
    EXPECT_EQ(Line(job, "IMAGESHIFT"), "@PJL SET IMAGESHIFT = ON") << job.substr(0, 1500);
    // The amounts travel in the job's DEVMODE, which the graphics library
    // reads; no line of this build's job header writes them.
    EXPECT_EQ(Line(job, "IMAGESHIFTINFO"), "");
    const DRVDEVMODE* p = (const DRVDEVMODE*)dm.data();
    EXPECT_EQ(p->env.lpImgShiftMode, 0);
    EXPECT_EQ(p->env.lpImgShiftDirectLRF, 1);
    EXPECT_EQ(p->env.lpImgShiftDirectUDF, 0);
    EXPECT_EQ(p->env.ImgShiftValueLRF, 120);
    EXPECT_EQ(p->env.ImgShiftValueUDF, 35);
    EXPECT_EQ(p->env.ImgShiftPageIntervalF, 2);
    // The back follows: left and right mirrored, the amounts the same.
    EXPECT_EQ(p->env.ImgShiftBackAuto_Check, 1);
    EXPECT_EQ(p->env.lpImgShiftDirectLRB, 0);
    EXPECT_EQ(p->env.lpImgShiftDirectUDB, 0);
    EXPECT_EQ(p->env.ImgShiftValueLRB, 120);
    EXPECT_EQ(p->env.ImgShiftValueUDB, 35);
    EXPECT_EQ(p->env.ImgShiftPageIntervalB, 2);
}

TEST_F(DialogEndToEnd, NumericCodeTypedInTheDialogReachesTheUserLine)
{
    Set(u"POD_Check", 1);
    Set(u"JobComb_Check", 1);
    ASSERT_EQ(Modal(IDD_NUMERIC_CODE, NumericCodeDlgProc, (LPARAM)pObj, {Type(IDC_CODE, u"4321"), Ok()}), IDOK)
        << Narrow(PlatScriptError());
    PlatMsgBoxPushAnswer(IDOK);
    std::string job = Print();
    ASSERT_FALSE(job.empty());
    EXPECT_EQ(Line(job, "USERID"), "@PJL SET USERID = 4321") << job.substr(0, 1500);
}

TEST_F(DialogEndToEnd, TimerPrintTimeReachesTheConfirmationAtPrintTime)
{
    SYSTEMTIME st = {2026, 12, 5, 11, 9, 5, 0, 0};
    PlatSetLocalTime(&st);
    Set(u"lpOutputMethod", 5);
    ASSERT_EQ(Modal(IDD_TIMERPRINT, TimerPrintDlgProc, (LPARAM)pObj,
                    {Type(IDC_TIMER_HOUR, u"14"), Type(IDC_TIMER_MINUTE, u"30"), Ok()}),
              IDOK)
        << Narrow(PlatScriptError());
    PlatMsgBoxPushAnswer(IDOK);
    std::string job = Print();
    ASSERT_FALSE(job.empty());
    int i = FindBox(GetResString(32019));
    ASSERT_GE(i, 0);
    EXPECT_NE(BoxText(i).find(u"14:30"), std::u16string::npos) << Narrow(BoxText(i));
    // The time is the machine's business: no job line carries it here.
    EXPECT_EQ(job.find("14:30"), std::string::npos);
}

}  // namespace
