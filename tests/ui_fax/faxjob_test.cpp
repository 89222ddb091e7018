// The fax job with cover sheets: batching of the destinations, the escapes
// that set up the capture, the "xfc"/"xfj" files and their registry list,
// and the cover paper helpers.
#include "tests/ui_docevent/fakegfx.h"

#include "ui/driverui/docevent_store.h"
#include "ui/driverui/faxjob.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/regenv.h"

namespace {

DWORD Dword(const ESCCALL* p, size_t off = 0)
{
    DWORD v = 0xFFFFFFFF;
    if (p && p->in.size() >= off + 4) memcpy(&v, p->in.data() + off, 4);
    return v;
}

std::u16string Wide(const std::vector<BYTE>& v, size_t off, size_t cch)
{
    std::u16string s;
    for (size_t i = 0; i < cch && off + 2 * i + 1 < v.size(); ++i) {
        char16_t c;
        memcpy(&c, v.data() + off + 2 * i, 2);
        if (!c) break;
        s += c;
    }
    return s;
}

struct FaxJobTest : DocEventTest {
    void SetDests(LONG n, BYTE bBatching, BYTE bKind)
    {
        memcpy(fake.work.data() + WA_FAX_DESTS, &n, 4);
        for (LONG k = 0; k < n && k < 100; ++k) {
            BYTE* p = fake.work.data() + WA_FAX_DESTS + 4 + 180 * k;
            memcpy(p + 44, "0312345678", 10);
        }
        BYTE* pDm = reinterpret_cast<BYTE*>(fake.Job());
        pDm[2310] = bBatching;
        pDm[2311] = bKind;
    }
    std::vector<std::u16string> ListedFiles()
    {
        std::vector<std::u16string> v;
        DWORD n = GetFaxTempfileCount(kDocPrinter);
        for (DWORD i = 0; i < n; ++i) {
            WCHAR sz[260] = {};
            GetFaxTempfileName(kDocPrinter, static_cast<int>(i), sz);
            v.push_back(sz);
        }
        return v;
    }
};

TEST(FaxBatch, RangesOfEachBatchingKind)
{
    const struct {
        BOOL bBatching;
        BYTE bKind;
        int iTotal;
        std::vector<std::pair<int, int>> ranges;
    } kCases[] = {
        {TRUE, 0, 250, {{0, 100}, {100, 200}, {200, 250}}},
        {TRUE, 0, 100, {{0, 100}}},
        {TRUE, 1, 3, {{0, 1}, {1, 2}, {2, 3}}},
        {TRUE, 2, 7, {{0, 7}}},
        {FALSE, 1, 7, {{0, 7}}},
    };
    for (const auto& c : kCases) {
        int n = FaxBatchCount(c.bBatching, c.bKind, c.iTotal);
        ASSERT_EQ(n, static_cast<int>(c.ranges.size())) << c.iTotal << " kind " << int(c.bKind);
        for (int i = 0; i < n; ++i) {
            int iFirst = -1, iLast = -1;
            FaxBatchRange(c.bBatching, c.bKind, c.iTotal, i, &iFirst, &iLast);
            EXPECT_EQ(std::make_pair(iFirst, iLast), c.ranges[static_cast<size_t>(i)]) << i;
        }
    }
}

TEST(FaxCoverPaper, PrintableEdgesInDots)
{
    const struct {
        int iRes;
        LONG lValue;
        int iOk;
        LONG lDots;
    } kCases[] = {
        {600, 406, 1, 96},   // (406 x 30 + 127) / 254 = 48, doubled
        {200, 406, 1, 32},   // (48 x 4 + 3) / 6
        {400, 406, 1, 64},   // (48 x 8 + 3) / 6
        {600, 20594, 1, 4864},  // (20594 x 30 + 127) / 254 = 2432, doubled
        {300, 406, 0, -1},
        {0, 406, 0, -1},
    };
    for (const auto& c : kCases) {
        LONG l = -1;
        EXPECT_EQ(ScalePrintableValue(c.iRes, c.lValue, &l), c.iOk) << c.iRes;
        EXPECT_EQ(l, c.lDots) << c.iRes << " " << c.lValue;
    }
}

TEST_F(FaxJobTest, CoverPaperIndexIsBounded)
{
    EXPECT_EQ(GetCoverSheetPaper(kDocPrinter), 5);  // no value yet
    WCHAR szKey[USERREG_PATH_CCH];
    ASSERT_TRUE(BuildUserRegPath(szKey, kDocPrinter, u"Fax Cover Sheet", nullptr));
    for (DWORD dw : {0u, 2u, 5u, 7u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(bSetUserRegValue(HKEY_CURRENT_USER, szKey, REG_DWORD, u"FCSPaper", &dw, 4));
        EXPECT_EQ(GetCoverSheetPaper(kDocPrinter), dw > 5 ? 5 : static_cast<int>(dw)) << dw;
    }
}

TEST_F(FaxJobTest, BatchesOfAHundredSetUpTheCapture)
{
    SetDests(250, 1, 0);
    ASSERT_EQ(RunFaxJob(hdc), 1);

    const ESCCALL* pOn = fake.Find(ESC_FAX_CAPTURE_ON);
    ASSERT_NE(pOn, nullptr);
    EXPECT_EQ(pOn->cbIn, 4);
    EXPECT_EQ(Dword(pOn), 100u);  // the count is bounded to 100 destinations
    EXPECT_EQ(Dword(fake.Find(ESC_FAX_BATCHES)), 1u);
    const ESCCALL* pDir = fake.Find(ESC_FAX_DIR);
    ASSERT_NE(pDir, nullptr);
    EXPECT_EQ(pDir->cbIn, 520);
    EXPECT_EQ(Wide(pDir->in, 0, 260), u"C:\\WINDOWS\\TEMP\\");
    EXPECT_EQ(Dword(fake.Find(ESC_FAX_FIRST_DEST)), 0u);
    EXPECT_EQ(Dword(fake.Find(ESC_FAX_LAST_DEST)), 100u);

    // The closing pair: capture kind 2, then the capture-done flag 0.
    ASSERT_GE(fake.calls.size(), 2u);
    const ESCCALL& last = fake.calls.back();
    const ESCCALL& kind = fake.calls[fake.calls.size() - 2];
    EXPECT_EQ(kind.dwCode, static_cast<DWORD>(ESC_FAX_CAPTURE_KIND));
    EXPECT_EQ(kind.in, std::vector<BYTE>{2});
    EXPECT_EQ(last.dwCode, static_cast<DWORD>(ESC_FAX_CAPTURE_DONE));
    EXPECT_EQ(last.in, std::vector<BYTE>{0});
}

TEST_F(FaxJobTest, OneBatchPerDestinationNamesEachFile)
{
    SetDests(3, 1, 1);
    ASSERT_EQ(RunFaxJob(hdc), 1);
    EXPECT_EQ(Dword(fake.Find(ESC_FAX_CAPTURE_ON)), 3u);
    EXPECT_EQ(Dword(fake.Find(ESC_FAX_BATCHES)), 3u);

    std::vector<std::u16string> files = ListedFiles();
    ASSERT_EQ(files.size(), 4u);  // three batch files and the job file
    for (int i = 0; i < 3; ++i) {
        const ESCCALL* p = fake.Find(ESC_FAX_BATCH_NAME, i + 1);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->cbIn, 64);
        EXPECT_EQ(Dword(p), static_cast<DWORD>(i));
        std::u16string name = Wide(p->in, 4, 30);
        EXPECT_EQ(name.substr(0, 3), u"xfc");
        EXPECT_EQ(files[static_cast<size_t>(i)], u"C:\\WINDOWS\\TEMP\\" + name);
        EXPECT_EQ(Dword(fake.Find(ESC_FAX_FIRST_DEST, i + 1)), static_cast<DWORD>(i));
        EXPECT_EQ(Dword(fake.Find(ESC_FAX_LAST_DEST, i + 1)), static_cast<DWORD>(i + 1));
        // Each batch names its current file before its range.
        EXPECT_EQ(Dword(fake.Find(ESC_FAX_BATCH, i + 2)), static_cast<DWORD>(i));
    }
    const ESCCALL* pJob = fake.Find(ESC_FAX_JOB_NAME);
    ASSERT_NE(pJob, nullptr);
    EXPECT_EQ(pJob->cbIn, 60);
    std::u16string job = Wide(pJob->in, 0, 30);
    EXPECT_EQ(job.substr(0, 3), u"xfj");
    EXPECT_EQ(files[3], u"C:\\WINDOWS\\TEMP\\" + job);
    for (const auto& f : files) EXPECT_NE(GetFileAttributesW(f.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FaxJobTest, TheCaptureFileKeepsItsListEntry)
{
    SetFaxTempfileName(kDocPrinter, 0, u"C:\\WINDOWS\\TEMP\\eco0001.TMP");
    SetFaxTempfileCount(kDocPrinter, 1);
    SetDests(2, 0, 0);
    ASSERT_EQ(RunFaxJob(hdc), 1);
    std::vector<std::u16string> files = ListedFiles();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0], u"C:\\WINDOWS\\TEMP\\eco0001.TMP");
    EXPECT_EQ(files[1].substr(16, 3), u"xfc");
    EXPECT_EQ(files[2].substr(16, 3), u"xfj");
}

TEST_F(FaxJobTest, NoDestinationsStillMakesOneBatch)
{
    SetDests(0, 1, 1);
    ASSERT_EQ(RunFaxJob(hdc), 1);
    EXPECT_EQ(Dword(fake.Find(ESC_FAX_CAPTURE_ON)), 1u);
    EXPECT_EQ(Dword(fake.Find(ESC_FAX_BATCHES)), 1u);
}

TEST_F(FaxJobTest, AFailedStepFailsTheJobAndLeavesItsFilesListed)
{
    const struct {
        DWORD dwCode;
        int iNth;
    } kCases[] = {
        {ESC_JOB_BLOCK, 1}, {ESC_WORK_AREA, 1}, {ESC_FAX_CAPTURE_ON, 1},
        {ESC_FAX_BATCH_NAME, 2}, {ESC_FAX_JOB_NAME, 1}, {ESC_FAX_GET_COUNTERS, 2},
        {ESC_FAX_SET_COUNTERS, 1}, {ESC_FAX_CAPTURE_DONE, 1},
    };
    for (const auto& c : kCases) {
        fake.calls.clear();
        fake.dwFailCode = c.dwCode;
        fake.iFailAt = c.iNth;
        SetFaxTempfileCount(kDocPrinter, 0);
        SetDests(3, 1, 1);
        EXPECT_EQ(RunFaxJob(hdc), 0) << std::hex << c.dwCode;
        // Every fax file made so far is listed for the clean-up.
        std::vector<std::u16string> listed = ListedFiles();
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(u"C:\\WINDOWS\\TEMP\\xf*", &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::u16string path = u"C:\\WINDOWS\\TEMP\\" + std::u16string(fd.cFileName);
                EXPECT_NE(std::find(listed.begin(), listed.end(), path), listed.end()) << std::hex << c.dwCode;
                DeleteFileW(path.c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
    }
}

}  // namespace
