// The cover page's own page set-up: the job's set-up is sent back after the
// cover page, the cover page carries neither form nor watermark, and a
// failed set-up step leaves the job's set-up in force.
#include "tests/ui_docevent/fakegfx.h"

#include "ui/driverui/faxjob.h"
#include "ui/driverui/faxpagesetup.h"
#include "ui/settings/regenv.h"

namespace {

template <typename T>
T At(const ESCCALL* p, size_t off)
{
    T v{};
    if (p && p->in.size() >= off + sizeof(T)) memcpy(&v, p->in.data() + off, sizeof(T));
    return v;
}

struct CoverSetupTest : DocEventTest {
    std::vector<FAXWDEST> dests = std::vector<FAXWDEST>(1);
    WORD awTime[5] = {};
    void SetUp() override
    {
        DocEventTest::SetUp();
        // A job with a page count, a form and a watermark in force.
        DWORD cPages = 7;
        memcpy(fake.jobBlock.data() + 4156, &cPages, 4);
        DRVDEVMODE* pDm = fake.Job();
        pDm->ui.lpOverlay = 2;
        pDm->ui.bOverlayIndex = 3;
        pDm->ui.Watermark_Use = 1;
        pDm->ui.bWatermarkCurrent = 4;
        pDm->ui.lpLayout = 4;
        pDm->ui.Layout_Check = 1;
        pDm->env.lpLayout_Select = 0;
        pDm->ui.dmMirror.dmCopies = 3;
        pDm->ui.lpPDLType = 1;  // a PCL job
    }
    int Print() { return PrintCoverSheetPage(fake.jobBlock.data(), hdc, dests.data(), 1, 0, 1, awTime); }
};

TEST_F(CoverSetupTest, TheCoverGetsItsOwnSetUpAndTheJobsComesBack)
{
    Print();
    const ESCCALL* pCover = fake.Find(ESC_FAX_PAGE_STATE, 1);
    const ESCCALL* pJob = fake.Find(ESC_FAX_PAGE_STATE, 2);
    ASSERT_NE(pCover, nullptr);
    ASSERT_NE(pJob, nullptr);
    EXPECT_EQ(fake.Find(ESC_FAX_PAGE_STATE, 3), nullptr);
    EXPECT_EQ(pCover->cbIn, 1972);
    EXPECT_EQ(pCover->cbOut, 0);
    EXPECT_EQ(pJob->cbIn, 1972);

    struct Field { size_t off; int iCover; int iJob; };
    const Field aBytes[] = {
        {24, 1, 0},    // overlay mode
        {226, 0, 1},   // layout on
        {227, 1, 4},   // pages per sheet
        {234, 1, 0},   // layout selection
        {235, 1, 2},   // form mode: none on the cover
        {236, 0, 3},   // form index
        {239, 0, 1},   // watermark in use
        {240, 0, 4},   // current watermark
        {242, 1, 1},   // PDL type: the cover is set up in the job's language
    };
    for (const Field& f : aBytes) {
        EXPECT_EQ(At<BYTE>(pCover, f.off), f.iCover) << "cover byte " << f.off;
        EXPECT_EQ(At<BYTE>(pJob, f.off), f.iJob) << "job byte " << f.off;
    }
    EXPECT_EQ(At<DWORD>(pCover, 8), 0u);       // page counter
    EXPECT_EQ(At<DWORD>(pJob, 8), 7u);
    EXPECT_EQ(At<LONG>(pCover, 32), 10000);    // N-up scale
    EXPECT_EQ(At<SHORT>(pCover, 100), 1);      // UIEXTRA copies
    EXPECT_EQ(At<SHORT>(pJob, 100), 3);

    // The job block is the job's again.
    EXPECT_EQ(fake.Job()->ui.lpOverlay, 2);
    EXPECT_EQ(fake.Job()->ui.Watermark_Use, 1);
    DWORD cPages = 0;
    memcpy(&cPages, fake.jobBlock.data() + 4156, 4);
    EXPECT_EQ(cPages, 7u);
}

TEST_F(CoverSetupTest, SavedThenSentUnchangedRestoresTheBlockExactly)
{
    std::vector<BYTE> before = fake.jobBlock;
    std::vector<BYTE> state(PDEVSTATE_SIZE, 0xCC);
    PDEVSTATE* s = reinterpret_cast<PDEVSTATE*>(state.data());
    SavePageSetupState(fake.jobBlock.data(), s);
    ASSERT_EQ(SendPageSetupState(fake.jobBlock.data(), hdc, s), 1);
    EXPECT_EQ(fake.jobBlock, before);
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_EQ(fake.calls[0].dwCode, 0x6FFFFE00u);
    EXPECT_EQ(fake.calls[0].in, state);
    EXPECT_EQ(fake.calls[0].cbIn, 1972);
}

TEST_F(CoverSetupTest, AFailedSetUpStepAnswersZero)
{
    struct Case { int iFailAt; size_t cStateCalls; };
    const Case aCases[] = {
        {1, 1},  // the cover set-up fails: nothing to restore, no page
        {2, 2},  // the restore fails
    };
    for (const Case& c : aCases) {
        fake.calls.clear();
        fake.dwFailCode = ESC_FAX_PAGE_STATE;
        fake.iFailAt = c.iFailAt;
        EXPECT_EQ(Print(), 0) << c.iFailAt;
        size_t n = 0;
        for (const ESCCALL& e : fake.calls) n += e.dwCode == ESC_FAX_PAGE_STATE;
        EXPECT_EQ(n, c.cStateCalls) << c.iFailAt;
    }
}

TEST(FaxCoverArea, PrintableAreaOfEachCoverPaper)
{
    const struct {
        int iCode;
        int iCoverPaper;
        int iOk;
        RECTL rc;
    } kCases[] = {
        {9, 5, 1, {406, 406, 20594, 29294}},   // A4, 210 x 297 mm
        {9, 4, 1, {406, 406, 29294, 41594}},   // A3, 297 x 420 mm
        {70, 2, 1, {406, 406, 21184, 27534}},  // Letter, 215.9 x 279.4 mm
        {88, 0, 1, {406, 406, 14394, 20594}},  // A5, 148 x 210 mm
        {7, 5, 0, {-1, -1, -1, -1}},           // not a cover paper code
        {9, 6, 0, {-1, -1, -1, -1}},           // no such cover paper
        {9, -1, 0, {-1, -1, -1, -1}},
    };
    for (const auto& c : kCases) {
        RECTL rc = {-1, -1, -1, -1};
        EXPECT_EQ(GetFaxPrintableArea(c.iCode, &rc, c.iCoverPaper), c.iOk) << c.iCode << "/" << c.iCoverPaper;
        EXPECT_EQ(rc.left, c.rc.left);
        EXPECT_EQ(rc.top, c.rc.top);
        EXPECT_EQ(rc.right, c.rc.right) << c.iCode << "/" << c.iCoverPaper;
        EXPECT_EQ(rc.bottom, c.rc.bottom) << c.iCode << "/" << c.iCoverPaper;
    }
    RECTL rc = {};
    ASSERT_EQ(ScalePrintableArea(600, 9, &rc, 5), 1);
    EXPECT_EQ(rc.left, 96);      // (406 x 30 + 127) / 254 = 48, doubled
    EXPECT_EQ(rc.right, 4864);   // (20594 x 30 + 127) / 254 = 2432, doubled
    EXPECT_EQ(ScalePrintableArea(300, 9, &rc, 5), 0);
}

TEST_F(CoverSetupTest, AFixedPortraitCoverPrintsOnTheCoverPaper)
{
    fake.Job()->env.FaxCover_A4PFix = 1;
    fake.Job()->dm.dmPaperWidth = 2100;
    fake.Job()->dm.dmYResolution = 600;
    fake.Job()->ui.dmMirror.dmOrientation = 2;
    const struct {
        DWORD dwPaper;   // the user's "FCSPaper"
        SHORT sCode;
        SHORT sWidth;
        SHORT sLength;
        SHORT sZoom;
    } kCases[] = {
        {5, 9, 2100, 2970, 200},   // A4 cover of a landscape A4 job: (2100 x 20000 + 1050) / 2100 = 20000
        {4, 8, 2970, 4200, 283},   // A3: (2970 x 20000 + 1050) / 2100 = 28286
    };
    WCHAR szKey[USERREG_PATH_CCH];
    ASSERT_TRUE(BuildUserRegPath(szKey, kDocPrinter, u"Fax Cover Sheet", nullptr));
    for (const auto& c : kCases) {
        ASSERT_TRUE(bSetUserRegValue(HKEY_CURRENT_USER, szKey, REG_DWORD, u"FCSPaper", &c.dwPaper, 4));
        fake.calls.clear();
        Print();
        const ESCCALL* pCover = fake.Find(ESC_FAX_PAGE_STATE, 1);
        const ESCCALL* pJob = fake.Find(ESC_FAX_PAGE_STATE, 2);
        ASSERT_NE(pJob, nullptr);
        EXPECT_EQ(At<BYTE>(pCover, 25), 3);         // record state
        EXPECT_EQ(At<WORD>(pCover, 26), 1);         // replay mode
        EXPECT_EQ(At<SHORT>(pCover, 28), 1);        // section kind
        EXPECT_EQ(At<WORD>(pCover, 78), 2);         // orientation in force: the job's
        EXPECT_EQ(At<SHORT>(pCover, 80), 1);        // UIEXTRA orientation: portrait
        EXPECT_EQ(At<SHORT>(pCover, 200), c.sCode) << c.dwPaper;
        EXPECT_EQ(At<SHORT>(pCover, 222), c.sWidth);
        EXPECT_EQ(At<SHORT>(pCover, 224), c.sLength);
        EXPECT_EQ(At<LONG>(pCover, 136), 406);      // printable area, 1/100 mm
        EXPECT_EQ(At<LONG>(pCover, 144), c.sWidth * 10 - 406);
        EXPECT_EQ(At<LONG>(pCover, 120), 96);       // the same in dots at 600 dpi
        EXPECT_EQ(At<BYTE>(pCover, 231), 1);        // zoom on
        EXPECT_EQ(At<SHORT>(pCover, 232), c.sZoom) << c.dwPaper;
        EXPECT_EQ(At<BYTE>(pCover, 235), 1);        // no form
        EXPECT_EQ(At<BYTE>(pCover, 239), 0);        // no watermark
        EXPECT_EQ(At<SHORT>(pJob, 80), 2);          // the job's orientation comes back
        EXPECT_EQ(At<BYTE>(pJob, 239), 1);
    }
}

}  // namespace
