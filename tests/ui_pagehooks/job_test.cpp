// A job printed through the real libraries with a watermark chosen in its
// DEVMODE: the watermark reaches the job stream as text.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/settings/devmode.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/profile.h"
#include "ui/settings/regtree.h"
#include "ui/settings/wmlist.h"

namespace {

const WCHAR kPrinter[] = u"QX-730 Watermark";

void SetField(WATERMARKLIST* p, WORD wId, int n, const void* pv, DWORD cb)
{
    void* pAddr = nullptr;
    DWORD cbField = 0;
    WORD wType = 0;
    ASSERT_TRUE(GetWatermarkField(wId, n, &pAddr, &cbField, &wType, p));
    memset(pAddr, 0, cbField);
    memcpy(pAddr, pv, cb < cbField ? cb : cbField);
}

struct JobSettings {
    BYTE bFirstPageOnly;
    BYTE bGraphicsMode;
    LONG lAngle;
    LONG lDensity;
    int cPages;
    BYTE bTwoUp;  // two pages on each sheet
};

std::string PrintWithWatermark(const JobSettings& job)
{
    TestNewRoot();
    PlatSetUserName(u"dave");
    EXPECT_TRUE(PlatInstallPrinter(kPrinter, u"C:\\ports\\wm.prn", nullptr));
    CreateDirectoryW(u"C:\\ports", nullptr);
    std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
    POPTIONDB pdb = OpenOptionDb();
    EXPECT_TRUE(InitDefaultDevmode(pdb, reinterpret_cast<DEVMODEW*>(dm.data()), kPrinter, nullptr));
    CloseOptionDb(pdb);
    DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
    // The user's store already belongs to this driver version, so the job
    // keeps the list below.
    EXPECT_TRUE(WriteDriverVersion(kPrinter, pdm->dm.dmDriverVersion));
    // The user's list: slot 0 none, slot 1 the watermark.
    WATERMARKLIST* pList = CreateWatermarkList();
    EXPECT_NE(pList, nullptr);
    if (!pList) return {};
    SHORT sCount = 2;
    LONG lStyle = 2, lSize = 48, lZero = 0;
    SetField(pList, 12, 0, &sCount, 2);
    SetField(pList, 15, 1, u"SECRET", 14);
    SetField(pList, 17, 1, u"Arial", 12);
    SetField(pList, 19, 1, &lStyle, 4);
    SetField(pList, 21, 1, &lSize, 4);
    SetField(pList, 23, 1, &job.lAngle, 4);
    SetField(pList, 25, 1, &job.lDensity, 4);
    SetField(pList, 27, 1, &lZero, 4);
    SetField(pList, 29, 1, &lZero, 4);
    REGTREESET t = {};
    BuildRegTreeTables(&t);
    EXPECT_TRUE(SaveWatermarkList(pList, &t, kPrinter));
    FreeRegTreeTables(&t);
    FreeWatermarkList(&pList);

    pdm->ui.Watermark_Use = 1;
    pdm->ui.bWatermarkCurrent = 1;
    pdm->ui.FirstPageOnly = job.bFirstPageOnly;
    pdm->ui.lpWatermarkOrder = 1;
    pdm->ui.lpGraphicsMode = job.bGraphicsMode;
    if (job.bTwoUp) {
        pdm->ui.Layout_Check = 1;
        pdm->ui.lpLayout = 8;
    }

    HDC hdc = CreateDCW(nullptr, kPrinter, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    EXPECT_NE(hdc, nullptr);
    if (!hdc) return {};
    DOCINFOW di = {sizeof(DOCINFOW), u"Watermark", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(hdc, &di), 0);
    for (int i = 0; i < job.cPages; ++i) {
        EXPECT_GT(StartPage(hdc), 0);
        EXPECT_GT(EndPage(hdc), 0);
    }
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    PlatSetUserName(nullptr);
    std::ifstream in(TestRootFile("c/ports/wm.prn"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The pages of a job: from each page set-up to its "prn;".
std::vector<std::string> Pages(const std::string& job)
{
    std::vector<std::string> pages;
    size_t pos = job.find("\norg ");
    while (pos != std::string::npos) {
        size_t end = job.find("\nprn;\n", pos);
        if (end == std::string::npos) break;
        pages.push_back(job.substr(pos + 1, end - pos));
        pos = job.find("\norg ", end);
    }
    return pages;
}

struct Txo {
    unsigned uCode;
    int x, y;
};

std::vector<Txo> Texts(const std::string& page)
{
    std::vector<Txo> v;
    size_t pos = 0;
    while ((pos = page.find("txo #", pos)) != std::string::npos) {
        Txo t = {};
        if (sscanf(page.c_str() + pos, "txo #%X %d %d;", &t.uCode, &t.x, &t.y) == 3) v.push_back(t);
        pos += 4;
    }
    return v;
}

// 1 bits (the text colour) of the first 8 x 8 pattern brush of a page.
int PatternInk(const std::string& page)
{
    size_t pos = page.find("bru ");
    if (pos == std::string::npos) return -1;
    size_t data = page.find("8 8 1 <!", pos);
    if (data == std::string::npos || data + 8 + 8 > page.size()) return -1;
    int n = 0;
    for (int i = 0; i < 8; ++i) n += __builtin_popcount(static_cast<unsigned char>(page[data + 8 + i]));
    return n;
}

const unsigned kSecret[] = {'S', 'E', 'C', 'R', 'E', 'T'};

TEST(WatermarkJob, EveryPageCarriesTheTextInItsFontSizeAndAngle)
{
    std::string job = PrintWithWatermark({0, 2, 450, 0, 2, 0});
    // Arial bold is resident font 7; the watermark is 48 points at 45 degrees.
    ASSERT_NE(job.find("\nfoc Arial Arial_Bold 1 W1 7;\n"), std::string::npos);
    std::vector<std::string> pages = Pages(job);
    ASSERT_EQ(pages.size(), 2u);
    for (const std::string& page : pages) {
        EXPECT_NE(page.find("fos 7;\nfop %48 %1;\nfor %45;\n"), std::string::npos) << page;
        std::vector<Txo> t = Texts(page);
        ASSERT_EQ(t.size(), 6u) << page;
        for (size_t i = 0; i < t.size(); ++i) {
            EXPECT_EQ(t[i].uCode, kSecret[i]);
            // Rising at 45 degrees: right and up, equally.
            if (i > 0) {
                EXPECT_GT(t[i].x, t[i - 1].x);
                EXPECT_LT(t[i].y, t[i - 1].y);
                EXPECT_NEAR(t[i].x - t[i - 1].x, t[i - 1].y - t[i].y, 2);
            }
        }
        // Centred on the printable area (4768 x 6822 dots of A4 at 600 dpi)
        // within the height of the text.
        EXPECT_NEAR((t.front().x + t.back().x) / 2, 4768 / 2, 300);
        EXPECT_NEAR((t.front().y + t.back().y) / 2, 6822 / 2, 300);
    }
}

TEST(WatermarkJob, FirstPageOnlyLeavesTheLaterPagesClean)
{
    std::vector<std::string> pages = Pages(PrintWithWatermark({1, 2, 0, 0, 3, 0}));
    ASSERT_EQ(pages.size(), 3u);
    std::vector<Txo> t = Texts(pages[0]);
    ASSERT_EQ(t.size(), 6u);
    // Upright: one baseline.
    for (const Txo& c : t) EXPECT_EQ(c.y, t[0].y);
    EXPECT_NE(pages[0].find("for %0;"), std::string::npos);
    EXPECT_TRUE(Texts(pages[1]).empty());
    EXPECT_TRUE(Texts(pages[2]).empty());
}

TEST(WatermarkJob, TheGreyLevelSetsTheShareOfInkInTheTextBrush)
{
    const LONG kLevels[] = {0, 0x80, 0xE0};
    int iLast = 65;
    for (LONG l : kLevels) {
        std::vector<std::string> pages = Pages(PrintWithWatermark({1, 2, 0, l, 1, 0}));
        ASSERT_EQ(pages.size(), 1u);
        int n = PatternInk(pages[0]);
        if (l == 0) {
            EXPECT_EQ(n, 64);
        }
        EXPECT_GE(n, 0) << l;
        EXPECT_LT(n, iLast) << l;
        iLast = n;
    }
}

TEST(WatermarkJob, TwoUpSheetsCountTheApplicationsPages)
{
    struct Case {
        BYTE bFirstOnly;
        size_t aPerSheet[2];  // watermark characters on each sheet
    };
    const Case kCases[] = {{0, {12, 12}}, {1, {6, 0}}};
    for (const Case& c : kCases) {
        std::vector<std::string> sheets = Pages(PrintWithWatermark({c.bFirstOnly, 2, 0, 0, 4, 1}));
        ASSERT_EQ(sheets.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(Texts(sheets[i]).size(), c.aPerSheet[i]) << int(c.bFirstOnly) << " sheet " << i;
        }
    }
}

}  // namespace
