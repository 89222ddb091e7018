// A fax job with cover sheets printed through the real libraries: the
// destination file committed by the settings goes to the graphics library at
// the first page, the job is captured into its batch and job files, and each
// batch gets its cover page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/driverui/docevent_store.h"
#include "ui/settings/devmode.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

namespace {

const char16_t kFaxPrinter[] = u"QX-730 Fax";

TEST(FaxEndToEnd, CoverJobMakesOneCaptureFilePerDestination)
{
    TestNewRoot();
    ASSERT_TRUE(PlatInstallPrinter(kFaxPrinter, u"C:\\ports\\fax.prn", nullptr));
    CreateDirectoryW(u"C:\\ports", nullptr);
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kFaxPrinter), &hPrinter, nullptr));
    DRVDEVMODE dm = {};
    POPTIONDB hDb = OpenOptionDb();
    ASSERT_TRUE(InitDefaultDevmode(hDb, &dm.dm, kFaxPrinter, hPrinter));
    CloseOptionDb(hDb);
    ClosePrinter(hPrinter);

    // Two destinations committed by the settings, one batch each.
    UISETTINGS* pObj = static_cast<UISETTINGS*>(calloc(1, sizeof(UISETTINGS)));
    pObj->trailer.pszPrinterName = kFaxPrinter;
    FAXDESTSTATE* st = GetFaxDestState(pObj);
    st->lCount = 2;
    lstrcpynW(st->aszText[0][0], u"Alice", 45);
    lstrcpynW(st->aszText[1][0], u"0311", 45);
    lstrcpynW(st->aszText[0][1], u"Bob", 45);
    lstrcpynW(st->aszText[1][1], u"0322", 45);
    ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    free(pObj);
    dm.env.wFaxDestCount = 2;
    dm.env.lpOutput = 1;
    dm.env.CoverSheet = 1;
    dm.env.FaxCover_ReceiveSetup = 1;
    dm.env.FaxCover_ReceivePersonal = 1;
    dm.env.FaxCover_ReceiveName = 1;

    HDC hdc = CreateDCW(nullptr, kFaxPrinter, nullptr, &dm.dm);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"Fax job", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    EXPECT_GT(StartPage(hdc), 0);
    EXPECT_GT(EndPage(hdc), 0);

    // Before the job ends: two batch files and the job file are listed.
    DWORD n = GetFaxTempfileCount(kFaxPrinter);
    int nBatch = 0, nJob = 0;
    for (DWORD i = 0; i < n; ++i) {
        WCHAR sz[260] = {};
        if (!GetFaxTempfileName(kFaxPrinter, static_cast<int>(i), sz)) continue;
        std::u16string name(sz);
        nBatch += name.find(u"\\xfc") != std::u16string::npos;
        nJob += name.find(u"\\xfj") != std::u16string::npos;
    }
    EXPECT_EQ(nBatch, 2);
    EXPECT_EQ(nJob, 1);
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    // Each destination receives its own part: two jobs in the port file.
    std::ifstream in(TestRootFile("c/ports/fax.prn"), std::ios::binary);
    std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string kJob = "@PJL SET JOBNAME = \"Fax job\"\n";
    size_t iFirst = out.find(kJob);
    ASSERT_NE(iFirst, std::string::npos);
    size_t iSecond = out.find(kJob, iFirst + 1);
    ASSERT_NE(iSecond, std::string::npos);
    EXPECT_EQ(out.find(kJob, iSecond + 1), std::string::npos);
}

}  // namespace
