// The cover page of a fax job printed through the real libraries: the whole
// sheet lies on the page whatever the paper.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

namespace {

const char16_t kCoverPrinter[] = u"QX-730 Cover Page";

// The stream of a one-page fax job with a cover sheet on paper sPaper.
void PrintInto(short sPaper, short sOrientation, std::string* pOut)
{
    TestNewRoot();
    ASSERT_TRUE(PlatInstallPrinter(kCoverPrinter, u"C:\\ports\\coverpage.prn", nullptr));
    CreateDirectoryW(u"C:\\ports", nullptr);
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kCoverPrinter), &hPrinter, nullptr));
    DRVDEVMODE dm = {};
    POPTIONDB hDb = OpenOptionDb();
    ASSERT_TRUE(InitDefaultDevmode(hDb, &dm.dm, kCoverPrinter, hPrinter));
    dm.dm.dmPaperSize = sPaper;
    dm.dm.dmOrientation = sOrientation;
    ASSERT_TRUE(ValidateDevmode(hDb, &dm.dm, hPrinter));
    ClosePrinter(hPrinter);

    UISETTINGS* pObj = static_cast<UISETTINGS*>(calloc(1, sizeof(UISETTINGS)));
    pObj->trailer.pszPrinterName = kCoverPrinter;
    FAXDESTSTATE* st = GetFaxDestState(pObj);
    st->lCount = 1;
    lstrcpynW(st->aszText[0][0], u"Alice", 45);
    lstrcpynW(st->aszText[1][0], u"0311", 45);
    ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    free(pObj);

    dm.env.wFaxDestCount = 1;
    dm.env.lpOutput = 1;
    dm.env.CoverSheet = 1;
    dm.env.FaxCover_Subject = 1;
    dm.env.FaxCover_ReceiveName = 1;
    HDC hdc = CreateDCW(nullptr, kCoverPrinter, nullptr, &dm.dm);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"Cover page", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    EXPECT_GT(StartPage(hdc), 0);
    EXPECT_GT(EndPage(hdc), 0);
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    CloseOptionDb(hDb);
    std::ifstream in(TestRootFile("c/ports/coverpage.prn"), std::ios::binary);
    pOut->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of the first page of a stream: from the first page set-up to
// its "prn;".
std::string FirstPage(const std::string& out)
{
    size_t a = out.find("\npps ");
    size_t b = out.find("\nprn;", a == std::string::npos ? 0 : a);
    if (a == std::string::npos || b == std::string::npos)
        return {};
    return out.substr(a, b - a);
}

// Where the lowest box of a page ends (text backgrounds "sba", rules "rcr"),
// and the height of its first clip (the printable area), in dots.
void LowestBoxAndPage(const std::string& page, long* plBottom, long* plPage)
{
    *plBottom = 0;
    *plPage = 0;
    std::istringstream in(page);
    std::string line;
    while (std::getline(in, line)) {
        long a = 0, b = 0, c = 0, d = 0, e = 0;
        if (sscanf(line.c_str(), "cpc %ld %ld %ld %ld %ld;", &a, &b, &c, &d, &e) == 5 && *plPage == 0)
            *plPage = e;
        else if ((sscanf(line.c_str(), "sba %ld %ld %ld %ld;", &a, &b, &c, &d) == 4 ||
                  sscanf(line.c_str(), "rcr %ld %ld %ld %ld;", &a, &b, &c, &d) == 4) &&
                 b + d > *plBottom)
            *plBottom = b + d;
    }
}

TEST(FaxCoverPage, TheWholeSheetLiesOnThePage)
{
    const struct {
        short sPaper, sOrientation;
        const char* pszName;
    } kCases[] = {
        {9, DMORIENT_PORTRAIT, "A4"},
        {11, DMORIENT_PORTRAIT, "A5"},
        {13, DMORIENT_PORTRAIT, "B5"},
        {1, DMORIENT_PORTRAIT, "Letter"},
        {11, DMORIENT_LANDSCAPE, "A5 landscape"},
        {9, DMORIENT_LANDSCAPE, "A4 landscape"},
    };
    for (const auto& c : kCases) {
        std::string out;
        PrintInto(c.sPaper, c.sOrientation, &out);
        std::string cover = FirstPage(out);
        ASSERT_FALSE(cover.empty()) << c.pszName;
        long lBottom = 0, lPage = 0;
        LowestBoxAndPage(cover, &lBottom, &lPage);
        ASSERT_GT(lPage, 0) << c.pszName;
        // The closing rule is the sheet's lowest box: on the page, and not
        // far above its foot (the sheet is shrunk, not cut).
        EXPECT_LE(lBottom, lPage) << c.pszName;
        EXPECT_GT(lBottom, lPage * 85 / 100) << c.pszName;
    }
}

}  // namespace
