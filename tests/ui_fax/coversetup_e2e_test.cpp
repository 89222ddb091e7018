// A fax job with cover sheets printed through the real libraries: each cover
// page is set up on the user's cover paper, and the document's own pages keep
// the job's paper.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/driverui/docevent_store.h"
#include "ui/settings/devmode.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/regenv.h"
#include "ui/settings/uisettings.h"

namespace {

const char16_t kFaxPrinter[] = u"QX-730 Fax Cover";

// The ORDEX page set-up lines ("pps ..." and "ppt ...") in the order written.
std::vector<std::string> SetupLines(const std::string& out)
{
    std::vector<std::string> v;
    size_t i = 0;
    while ((i = out.find("pp", i)) != std::string::npos) {
        if ((out.compare(i, 4, "pps ") == 0 || out.compare(i, 4, "ppt ") == 0) && (i == 0 || out[i - 1] == '\n')) {
            size_t e = out.find(";\n", i);
            if (e == std::string::npos) break;
            v.push_back(out.substr(i, e - i));
            i = e;
        } else {
            i += 2;
        }
    }
    return v;
}

// ASSERT needs a void function; PrintFaxJob wraps it.
void PrintInto(BYTE bFixedCover, DWORD dwCoverPaper, std::vector<std::string>* pLines)
{
    TestNewRoot();
    ASSERT_TRUE(PlatInstallPrinter(kFaxPrinter, u"C:\\ports\\faxcover.prn", nullptr));
    CreateDirectoryW(u"C:\\ports", nullptr);
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kFaxPrinter), &hPrinter, nullptr));
    DRVDEVMODE dm = {};
    POPTIONDB hDb = OpenOptionDb();
    ASSERT_TRUE(InitDefaultDevmode(hDb, &dm.dm, kFaxPrinter, hPrinter));
    CloseOptionDb(hDb);
    ClosePrinter(hPrinter);

    UISETTINGS* pObj = static_cast<UISETTINGS*>(calloc(1, sizeof(UISETTINGS)));
    pObj->trailer.pszPrinterName = kFaxPrinter;
    FAXDESTSTATE* st = GetFaxDestState(pObj);
    st->lCount = 1;
    lstrcpynW(st->aszText[0][0], u"Alice", 45);
    lstrcpynW(st->aszText[1][0], u"0311", 45);
    ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    free(pObj);
    dm.env.wFaxDestCount = 1;
    dm.env.lpOutput = 1;
    dm.env.CoverSheet = 1;
    dm.env.FaxCover_ReceiveName = 1;
    dm.env.FaxCover_A4PFix = bFixedCover;
    WCHAR szKey[USERREG_PATH_CCH];
    ASSERT_TRUE(BuildUserRegPath(szKey, kFaxPrinter, u"Fax Cover Sheet", nullptr));
    ASSERT_TRUE(bSetUserRegValue(HKEY_CURRENT_USER, szKey, REG_DWORD, u"FCSPaper", &dwCoverPaper, 4));

    HDC hdc = CreateDCW(nullptr, kFaxPrinter, nullptr, &dm.dm);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"Fax cover", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_GT(StartPage(hdc), 0);
        EXPECT_GT(EndPage(hdc), 0);
    }
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);

    std::ifstream in(TestRootFile("c/ports/faxcover.prn"), std::ios::binary);
    std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    *pLines = SetupLines(out);
}

// One fax job of two A4 pages with a cover sheet; the port file's page
// set-up lines.
std::vector<std::string> PrintFaxJob(BYTE bFixedCover, DWORD dwCoverPaper)
{
    std::vector<std::string> v;
    PrintInto(bFixedCover, dwCoverPaper, &v);
    return v;
}

TEST(FaxCoverSetUp, CoverPagesUseTheCoverPaperAndDocumentPagesTheJobs)
{
    const struct {
        BYTE bFixedCover;
        DWORD dwCoverPaper;  // "FCSPaper"
        const char* pszCover;
    } kCases[] = {
        {1, 4, "pps A3R P"},  // cover paper 4: A3
        {1, 5, "pps A4 P"},   // cover paper 5: A4
        {0, 4, "pps A4 P"},   // no fixed cover paper: the job's
    };
    for (const auto& c : kCases) {
        std::vector<std::string> v = PrintFaxJob(c.bFixedCover, c.dwCoverPaper);
        std::vector<std::string> pps;
        for (const std::string& s : v)
            if (s.compare(0, 4, "pps ") == 0) pps.push_back(s);
        // The cover page comes first, then the document's two pages on A4.
        ASSERT_GE(pps.size(), 3u) << c.dwCoverPaper;
        EXPECT_EQ(pps[0], c.pszCover) << int(c.bFixedCover) << "/" << c.dwCoverPaper;
        for (size_t i = 1; i < pps.size(); ++i) EXPECT_EQ(pps[i], "pps A4 P") << i;
        EXPECT_NE(std::find(v.begin(), v.end(), "ppt A"), v.end());
    }
}

}  // namespace
