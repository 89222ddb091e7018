// Settings chosen on the Setup page by the scripted user in the sheet the
// property-sheet host opens, OK pressed, the DEVMODE the sheet hands back
// printed through the real libraries: the job stream carries the choices.
#include "tests/ui_setuppage/setuppage_fixture.h"

#include <fstream>
#include <iterator>

namespace {

PLATSCRIPTSTEP Step(int iStep, int id = 0, int iIndex = -1, LPCWSTR pszText = nullptr)
{
    PLATSCRIPTSTEP s = {};
    s.iStep = iStep;
    s.id = id;
    s.iIndex = iIndex;
    s.pszText = pszText;
    return s;
}

LONG CALLBACK HostDocumentBody(PPROPSHEETUI_INFO pInfo, LPARAM lParam)
{
    return DrvDocumentPropertySheets(pInfo, lParam);
}

class SetupPageEndToEnd : public SetupPageTest {
protected:
    std::string Print(const std::vector<BYTE>& dm)
    {
        CreateDirectoryW(u"C:\\ports", nullptr);
        EXPECT_TRUE(PlatInstallPrinter(u"QX-730 Setup", u"C:\\ports\\setup.prn", nullptr));
        HDC hdc = CreateDCW(nullptr, u"QX-730 Setup", nullptr, (const DEVMODEW*)dm.data());
        EXPECT_NE(nullptr, hdc);
        if (!hdc)
            return {};
        DOCINFOW di = {sizeof(DOCINFOW), u"Setup", nullptr, nullptr, 0};
        EXPECT_GT(StartDocW(hdc, &di), 0);
        for (int i = 0; i < 2; ++i) {
            EXPECT_GT(StartPage(hdc), 0);
            Rectangle(hdc, 100, 100, 400, 400);
            EXPECT_GT(EndPage(hdc), 0);
        }
        EXPECT_GT(EndDoc(hdc), 0);
        DeleteDC(hdc);
        std::ifstream in(TestRootFile("c/ports/setup.prn"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The page set-up line of every sheet of the job, in order.
    static std::vector<std::string> SheetSetups(const std::string& job)
    {
        std::vector<std::string> v;
        for (size_t at = job.find("\npps "); at != std::string::npos; at = job.find("\npps ", at + 1))
            v.push_back(job.substr(at + 1, job.find('\n', at + 1) - at - 1));
        return v;
    }
    static std::string Line(const std::string& job, const std::string& key)
    {
        size_t at = job.find("@PJL SET " + key + " = ");
        if (at == std::string::npos)
            return "";
        return job.substr(at, job.find('\n', at) - at);
    }
};

TEST_F(SetupPageEndToEnd, A3AndTwoUpReachTheJobStream)
{
    // Where the items are once A3 is the document size: the same sheet,
    // opened without a host, tells the positions the user will pick.
    ASSERT_TRUE(PlatScriptChoose(hSheet, 111, nullptr, u"A3", -1)) << NarrowText(PlatScriptError());
    int iSame = PositionOf(114, 257);
    ASSERT_GE(iSame, 0);
    ASSERT_TRUE(PlatScriptChoose(hSheet, 114, nullptr, nullptr, iSame)) << NarrowText(PlatScriptError());
    ASSERT_TRUE(PlatScriptClick(hSheet, 124, nullptr)) << NarrowText(PlatScriptError());
    int iTwoUp = PositionOf(125, 8);
    ASSERT_GE(iTwoUp, 0);
    Close();

    std::vector<BYTE> before(DRVUI_CB_DEVMODE, 0), after(DRVUI_CB_DEVMODE, 0);
    DWORD dwResult = 99;
    DOCUMENTPROPERTYHEADER dph = {};
    dph.cbSize = sizeof(dph);
    dph.hPrinter = hPrinter;
    dph.pszPrinterName = SheetPrinter();
    dph.fMode = DM_PROMPT | DM_COPY;
    dph.pdmOut = (DEVMODEW*)before.data();
    PLATSCRIPTSTEP ok[] = {Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(100, ok, 1));
    CommonPropertySheetUIW(NULL, HostDocumentBody, (LPARAM)&dph, &dwResult);
    ASSERT_EQ(dwResult, (DWORD)CPSUI_OK);
    std::string plain = Print(before);
    EXPECT_EQ(Line(plain, "PAPER"), "@PJL SET PAPER = A4");
    EXPECT_EQ(Line(plain, "LAYOUT"), "@PJL SET LAYOUT = NORMAL");

    PLATSCRIPTSTEP steps[] = {
        Step(PSS_CHOOSE, 111, -1, u"A3"), Step(PSS_CHOOSE, 114, iSame), Step(PSS_CLICK, 124),
        Step(PSS_CHOOSE, 125, iTwoUp),    Step(PSS_OK),
    };
    dph.pdmOut = (DEVMODEW*)after.data();
    ASSERT_TRUE(PlatScriptOnDialog(100, steps, 5));
    CommonPropertySheetUIW(NULL, HostDocumentBody, (LPARAM)&dph, &dwResult);
    EXPECT_EQ(NarrowText(PlatScriptError()), "");
    ASSERT_EQ(dwResult, (DWORD)CPSUI_OK);
    std::string job = Print(after);
    EXPECT_EQ(Line(job, "PAPER"), "@PJL SET PAPER = A3") << job.substr(0, 1500);
    // Two pages on one A3 sheet, turned for the two pages side by side.
    EXPECT_EQ(SheetSetups(plain), (std::vector<std::string>{"pps A4 P;", "pps A4 P;"}));
    EXPECT_EQ(SheetSetups(job), (std::vector<std::string>{"pps A3R L;"})) << job.substr(0, 1500);
}

// Cancel after the same choices hands nothing back.
TEST_F(SetupPageEndToEnd, CancelHandsNothingBack)
{
    Close();
    std::vector<BYTE> out(DRVUI_CB_DEVMODE, 0xEE);
    DWORD dwResult = 99;
    DOCUMENTPROPERTYHEADER dph = {};
    dph.cbSize = sizeof(dph);
    dph.hPrinter = hPrinter;
    dph.pszPrinterName = SheetPrinter();
    dph.fMode = DM_PROMPT | DM_COPY;
    dph.pdmOut = (DEVMODEW*)out.data();
    PLATSCRIPTSTEP steps[] = {Step(PSS_CHOOSE, 111, -1, u"A3"), Step(PSS_CLICK, 124), Step(PSS_CANCEL)};
    ASSERT_TRUE(PlatScriptOnDialog(100, steps, 3));
    CommonPropertySheetUIW(NULL, HostDocumentBody, (LPARAM)&dph, &dwResult);
    EXPECT_EQ(NarrowText(PlatScriptError()), "");
    EXPECT_EQ(dwResult, (DWORD)CPSUI_CANCEL);
    EXPECT_EQ(out, std::vector<BYTE>(DRVUI_CB_DEVMODE, 0xEE));
}

}  // namespace
