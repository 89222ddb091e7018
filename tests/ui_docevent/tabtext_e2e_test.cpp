// Index paper printed through the real libraries: the heading of an insert
// sheet on index paper is drawn at the first page, recorded by the graphics
// library and printed on the tab of the inserted sheet.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/settings/devmode.h"
#include "ui/settings/insertsheet.h"
#include "ui/settings/listset.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/profile.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"

namespace {

const char16_t kTabPrinter[] = u"QX-730 Index";

// The characters that "txo" lines of the stream print, in order, and how
// many of them land on the tab strip of their sheet: the strip is the
// rectangle the sheet clears ("rct"), a character's place is its position
// from the origin in force ("org", millimetres at 600 dots an inch).
struct PRINTED {
    std::string text;
    size_t nOnTab = 0;
};
PRINTED PrintedText(const std::string& out)
{
    PRINTED p;
    double dOrgX = 0, dOrgY = 0;
    long alStrip[4] = {0, 0, -1, -1};
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        double x = 0, y = 0;
        long l = 0, t = 0, r = 0, b = 0;
        unsigned uChar = 0;
        if (sscanf(line.c_str(), "org %%%lf %%%lf;", &x, &y) == 2) {
            dOrgX = x * 600 / 25.4;
            dOrgY = y * 600 / 25.4;
        } else if (sscanf(line.c_str(), "rct %ld %ld %ld %ld;", &l, &t, &r, &b) == 4) {
            alStrip[0] = l, alStrip[1] = t, alStrip[2] = r, alStrip[3] = b;
        } else if (sscanf(line.c_str(), "txo #%x %ld %ld;", &uChar, &l, &t) == 3) {
            p.text += static_cast<char>(uChar);
            double dx = dOrgX + l, dy = dOrgY + t;
            if (dx >= alStrip[0] && dx <= alStrip[2] && dy >= alStrip[1] && dy <= alStrip[3])
                ++p.nOnTab;
        }
    }
    return p;
}

// Stores list 1 of the printer's insert-sheet lists: one sheet inserted
// after page 1, on index paper when bIndex, with the heading pszHeading.
void StoreIndexList(bool bIndex, const char16_t* pszHeading, WORD wDirection)
{
    INTERSHEETLIST* pList = CreateInterSheetList();
    ASSERT_NE(pList, nullptr);
    INTERSHEETREC& r = pList->pLists[0];
    r.sPageListNum = 1;
    INSERTSHEET e = {};
    lstrcpynW(e.szPages, u"1", INSERTSHEET_PAGES_CCH);
    e.wPrintType = 1;
    e.wTray = 4096;
    e.wState = 1;
    e.wBinding = 1;
    e.wUseIndex = bIndex ? 1 : 0;
    lstrcpynW(e.szTabText, pszHeading, INSERTSHEET_TEXT_CCH);
    e.wTabPosition = 0;
    e.lTabAuto = 1;
    e.wTabDirection = wDirection;
    e.wTabAlign = 2;
    lstrcpynW(e.szFace, u"Arial", INSERTSHEET_FACE_CCH);
    e.wFontStyle = 1;
    e.wFontSize = 12;
    memcpy(r.pEntries, &e, sizeof(e));
    // The list's tab paper: A4 index paper (key 1033) of five tabs, 10 mm
    // from the top and the bottom, 2 mm apart, labels centred.
    const BYTE abTab[8] = {0x09, 0x04, 5, 10, 10, 2, 2, 0};
    memcpy(r.pTabBlock, abTab, sizeof(abTab));
    REGTREESET tables = {};
    BuildRegTreeTables(&tables);
    ASSERT_TRUE(RegTreeWalkList(pList, &tables, 4097, kTabPrinter, RTW_STORE));
    FreeRegTreeTables(&tables);
    FreeInterSheetList(&pList);
}

void PrintInto(bool bIndex, const char16_t* pszHeading, WORD wDirection, short sOrientation, std::string* pOut)
{
    TestNewRoot();
    ASSERT_TRUE(PlatInstallPrinter(kTabPrinter, u"C:\\ports\\index.prn", nullptr));
    CreateDirectoryW(u"C:\\ports", nullptr);
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kTabPrinter), &hPrinter, nullptr));
    DRVDEVMODE dm = {};
    POPTIONDB hDb = OpenOptionDb();
    ASSERT_TRUE(InitDefaultDevmode(hDb, &dm.dm, kTabPrinter, hPrinter));
    CloseOptionDb(hDb);
    ClosePrinter(hPrinter);
    // The user's lists belong to this driver version, as after the printer's
    // settings were first opened: the job keeps them.
    memcpy(dm.ui.dmMirror.dmDeviceName, kTabPrinter, sizeof(kTabPrinter));
    dm.ui.dmMirror.dmDriverVersion = dm.dm.dmDriverVersion;
    CheckUserProfileVersion(&dm.ui);
    StoreIndexList(bIndex, pszHeading, wDirection);
    dm.env.InterSheet_Check = 1;
    dm.env.lpInterSheetList = 1;
    dm.dm.dmOrientation = sOrientation;

    HDC hdc = CreateDCW(nullptr, kTabPrinter, nullptr, &dm.dm);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"Index job", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_GT(StartPage(hdc), 0);
        EXPECT_GT(EndPage(hdc), 0);
    }
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    std::ifstream in(TestRootFile("c/ports/index.prn"), std::ios::binary);
    pOut->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(IndexPaper, TheHeadingIsPrintedOnTheTab)
{
    const struct {
        bool bIndex;
        const char16_t* pszHeading;
        WORD wDirection;
        short sOrientation;
        const char* pszPrinted;
    } kCases[] = {
        {true, u"Chapter 1", 1, DMORIENT_PORTRAIT, "Chapter 1"},
        {true, u"Chapter 1", 2, DMORIENT_LANDSCAPE, "Chapter 1"},
        {true, u"", 1, DMORIENT_PORTRAIT, ""},           // an empty heading: a blank tab
        {false, u"Chapter 1", 1, DMORIENT_PORTRAIT, ""},  // plain paper: no heading
    };
    for (const auto& c : kCases) {
        std::string out;
        PrintInto(c.bIndex, c.pszHeading, c.wDirection, c.sOrientation, &out);
        ASSERT_FALSE(out.empty());
        // The document's pages draw nothing: all the text is the tab's, and
        // every character of it lies on the tab strip.
        PRINTED printed = PrintedText(out);
        EXPECT_EQ(printed.text, c.pszPrinted) << int(c.bIndex) << " " << c.wDirection;
        EXPECT_EQ(printed.nOnTab, printed.text.size()) << int(c.bIndex) << " " << c.wDirection;
    }
}

}  // namespace
