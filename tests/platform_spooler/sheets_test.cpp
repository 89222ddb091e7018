// The printer's sheets reached the way the platform reaches them
// (DocumentPropertiesW with DM_IN_PROMPT, AdvancedDocumentPropertiesW,
// PrinterProperties, the printing preferences) and the user's own default
// DEVMODE the spooler keeps, with a small stand-in user-interface library
// installed as the printer's driver.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const BYTE kGuard = 0xCD;
const DWORD kcbFake = sizeof(DEVMODEW) + 8;  // the stand-in library's DEVMODE
const int kLayoutPage = 700;
const int kDevicePage = 800;

void CopyFile(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
}

std::u16string W(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

PLATSCRIPTSTEP Type(LPCWSTR label, LPCWSTR text)
{
    return {PSS_TYPE, 0, label, text, -1, 0};
}
PLATSCRIPTSTEP Check(LPCWSTR label, UINT state = BST_CHECKED)
{
    return {PSS_CHECK, 0, label, nullptr, -1, (int)state};
}
PLATSCRIPTSTEP Choose(LPCWSTR label, LPCWSTR item)
{
    return {PSS_CHOOSE, 0, label, item, -1, 0};
}
const PLATSCRIPTSTEP kOK = {PSS_OK, 0, nullptr, nullptr, -1, 0};
const PLATSCRIPTSTEP kCancel = {PSS_CANCEL, 0, nullptr, nullptr, -1, 0};

class Sheets : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        PlatScriptReset();
        PlatMsgBoxReset();
        std::string libDir = TestRootFile("built");
        mkdir(libDir.c_str(), 0755);
        CopyFile(std::string(PlatGetProgramDir()) + "/fakeui/libQ730MVU3.so", libDir + "/libQ730MVU3.so");
        for (const char* lib : {"libQ730MVG3.so", "libQ730MVT3.so"})
            std::ofstream(libDir + "/" + lib) << "library";
        ASSERT_TRUE(PlatInstallPrinter(u"Fake", W(TestRootFile("port.prn")).c_str(), libDir.c_str()));
        PRINTER_DEFAULTSW pd = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW((LPWSTR)u"Fake", &h, &pd));
    }
    void TearDown() override
    {
        if (h)
            ClosePrinter(h);
        PlatScriptReset();
        PlatMsgBoxReset();
    }
    void Queue(int idTemplate, std::vector<PLATSCRIPTSTEP> steps)
    {
        ASSERT_TRUE(PlatScriptOnDialog(idTemplate, steps.data(), (int)steps.size()));
    }
    // A DEVMODE of the stand-in's size with the given copies.
    std::vector<BYTE> Devmode(short copies)
    {
        std::vector<BYTE> dm(kcbFake, 0);
        EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, (PDEVMODEW)dm.data(), nullptr, DM_OUT_BUFFER), IDOK);
        ((DEVMODEW*)dm.data())->dmCopies = copies;
        return dm;
    }
    // The DEVMODE of GetPrinterW at a level (2, 8 or 9); empty when null.
    std::vector<BYTE> Level(DWORD level)
    {
        DWORD cb = 0;
        GetPrinterW(h, level, nullptr, 0, &cb);
        std::vector<BYTE> buf(cb);
        EXPECT_TRUE(cb && GetPrinterW(h, level, buf.data(), cb, &cb));
        const DEVMODEW* pdm = level == 2 ? ((PRINTER_INFO_2W*)buf.data())->pDevMode
                                         : ((PRINTER_INFO_9W*)buf.data())->pDevMode;
        if (!pdm)
            return {};
        return std::vector<BYTE>((const BYTE*)pdm, (const BYTE*)pdm + pdm->dmSize + pdm->dmDriverExtra);
    }
    short Copies(const std::vector<BYTE>& dm) { return dm.empty() ? -1 : ((const DEVMODEW*)dm.data())->dmCopies; }
    HANDLE h = nullptr;
};

// ---- DocumentPropertiesW -----------------------------------------------------

struct MODECASE {
    const char* name;
    DWORD fMode;
    bool bInput;          // a DEVMODE with 5 copies goes in
    bool bOutput;         // an output buffer is given
    const char16_t* type; // copies typed on the page, or null
    bool bOk;             // OK (else Cancel)
    LONG lExpected;
    short sCopiesOut;     // copies in the output; -1: the output is untouched
};

class SheetModes : public Sheets, public testing::WithParamInterface<MODECASE> {};

TEST_P(SheetModes, AnswerAndOutputFollowTheButtonPressed)
{
    const MODECASE& c = GetParam();
    std::vector<BYTE> in = Devmode(5);
    std::vector<BYTE> out(kcbFake + 16, kGuard);
    std::vector<PLATSCRIPTSTEP> steps;
    if (c.type)
        steps.push_back(Type(u"Copies", c.type));
    steps.push_back(c.bOk ? kOK : kCancel);
    Queue(kLayoutPage, steps);
    LONG l = DocumentPropertiesW(nullptr, h, (LPWSTR)u"Fake", c.bOutput ? (PDEVMODEW)out.data() : nullptr,
                                 c.bInput ? (PDEVMODEW)in.data() : nullptr, c.fMode);
    EXPECT_EQ(l, c.lExpected);
    EXPECT_EQ(std::u16string(PlatScriptError()), u"");
    if (c.sCopiesOut < 0) {
        EXPECT_EQ(out, std::vector<BYTE>(kcbFake + 16, kGuard));
    } else {
        EXPECT_EQ(((DEVMODEW*)out.data())->dmCopies, c.sCopiesOut);
        EXPECT_EQ(((DEVMODEW*)out.data())->dmDriverExtra, 8);
        // Never past the size the driver answered.
        EXPECT_EQ(std::vector<BYTE>(out.begin() + kcbFake, out.end()), std::vector<BYTE>(16, kGuard));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SheetModes,
    testing::Values(
        MODECASE{"OkWritesTheTypedCopies", DM_IN_PROMPT | DM_OUT_BUFFER, false, true, u"3", true, IDOK, 3},
        MODECASE{"CancelLeavesTheOutput", DM_IN_PROMPT | DM_OUT_BUFFER, false, true, u"3", false, IDCANCEL, -1},
        MODECASE{"OkWithoutChangeGivesTheInput", DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER, true, true, nullptr,
                 true, IDOK, 5},
        MODECASE{"InputAndTypedCopies", DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER, true, true, u"7", true, IDOK,
                 7},
        MODECASE{"PromptWithoutOutputFlagWritesNothing", DM_IN_PROMPT | DM_IN_BUFFER, true, true, u"7", true, IDOK,
                 -1},
        MODECASE{"CancelWithInputLeavesTheOutput", DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER, true, true, u"9",
                 false, IDCANCEL, -1}),
    [](const testing::TestParamInfo<MODECASE>& i) { return std::string(i.param.name); });

TEST_F(Sheets, CallsThatShowNoSheet)
{
    // The size, then the DEVMODE without a sheet.
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, nullptr, nullptr, 0), (LONG)kcbFake);
    std::vector<BYTE> out(kcbFake, kGuard);
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, (PDEVMODEW)out.data(), nullptr, DM_OUT_BUFFER), IDOK);
    EXPECT_EQ(((DEVMODEW*)out.data())->dmCopies, 1);
    // An output flag without a buffer, and an input shorter than a DEVMODE.
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, nullptr, nullptr, DM_IN_PROMPT | DM_OUT_BUFFER), -1);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    DEVMODEW tiny = {};
    tiny.dmSize = 40;
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, (PDEVMODEW)out.data(), &tiny, DM_IN_BUFFER | DM_OUT_BUFFER),
              -1);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    // A printer that does not exist.
    EXPECT_EQ(DocumentPropertiesW(nullptr, nullptr, (LPWSTR)u"Nobody", (PDEVMODEW)out.data(), nullptr,
                                  DM_IN_PROMPT | DM_OUT_BUFFER),
              -1);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PRINTER_NAME);
}

TEST_F(Sheets, ChoicesOnThePageReachTheDevmodeAndAMessageBoxIsAnswered)
{
    std::vector<BYTE> out(kcbFake, 0);
    // Collate and Landscape, then Reset asked and refused: the choices stay.
    Queue(kLayoutPage, {Check(u"Collate"), Choose(u"Orientation", u"Landscape"),
                        {PSS_ANSWER, 0, nullptr, nullptr, -1, IDNO},
                        {PSS_CLICK, 0, u"Reset...", nullptr, -1, 0}, kOK});
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, (PDEVMODEW)out.data(), nullptr, DM_IN_PROMPT | DM_OUT_BUFFER),
              IDOK);
    const DEVMODEW* dm = (const DEVMODEW*)out.data();
    EXPECT_EQ(dm->dmCollate, DMCOLLATE_TRUE);
    EXPECT_EQ(dm->dmOrientation, DMORIENT_LANDSCAPE);
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    LPCWSTR text = nullptr;
    PlatMsgBoxGet(0, nullptr, &text, nullptr, nullptr);
    EXPECT_EQ(std::u16string(text), u"Reset every setting to its default?");
}

TEST_F(Sheets, AScriptStepOnADisabledControlFailsAndTheSheetIsCancelled)
{
    std::vector<BYTE> out(kcbFake, kGuard);
    Queue(kLayoutPage, {Type(u"Copies", u"4"), Check(u"Staple")});
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, (PDEVMODEW)out.data(), nullptr, DM_IN_PROMPT | DM_OUT_BUFFER),
              IDCANCEL);
    EXPECT_NE(std::u16string(PlatScriptError()).find(u"disabled"), std::u16string::npos);
    EXPECT_EQ(out, std::vector<BYTE>(kcbFake, kGuard));
}

TEST_F(Sheets, AdvancedDocumentPropertiesAnswersOneAfterOkAndZeroAfterCancel)
{
    std::vector<BYTE> in = Devmode(2);
    std::vector<BYTE> out(kcbFake, kGuard);
    EXPECT_EQ(AdvancedDocumentPropertiesW(nullptr, h, (LPWSTR)u"Fake", nullptr, nullptr), (LONG)kcbFake);
    Queue(kLayoutPage, {kCancel});
    EXPECT_EQ(AdvancedDocumentPropertiesW(nullptr, h, (LPWSTR)u"Fake", (PDEVMODEW)out.data(), (PDEVMODEW)in.data()),
              0);
    EXPECT_EQ(out, std::vector<BYTE>(kcbFake, kGuard));
    Queue(kLayoutPage, {kOK});
    EXPECT_EQ(AdvancedDocumentPropertiesW(nullptr, h, (LPWSTR)u"Fake", (PDEVMODEW)out.data(), (PDEVMODEW)in.data()),
              IDOK);
    EXPECT_EQ(Copies(out), 2);
}

// ---- PrinterProperties -----------------------------------------------------------

DWORD DuplexUnit(HANDLE h)
{
    DWORD v = 0xFFFFFFFF, cb = 0, type = 0;
    GetPrinterDataW(h, (LPWSTR)u"FakeDuplexUnit", &type, (LPBYTE)&v, 4, &cb);
    return v;
}

TEST_F(Sheets, PrinterPropertiesStoresTheDeviceSettingsOnlyOnOk)
{
    Queue(kDevicePage, {Check(u"Duplex unit installed"), kCancel});
    EXPECT_TRUE(PrinterProperties(nullptr, h));
    EXPECT_EQ(DuplexUnit(h), 0xFFFFFFFFu);
    Queue(kDevicePage, {Check(u"Duplex unit installed"), kOK});
    EXPECT_TRUE(PrinterProperties(nullptr, h));
    EXPECT_EQ(DuplexUnit(h), 1u);
}

// The title of every sheet that opens, as a person reads it.
void RecordTitle(HWND hwnd, void* pv)
{
    WCHAR sz[128] = {};
    GetWindowTextW(hwnd, sz, 128);
    static_cast<std::vector<std::u16string>*>(pv)->push_back(sz);
}

// The system titles each sheet with the printer's name the driver gives and
// what the sheet is, so a person tells the two apart.
TEST_F(Sheets, TheSystemTitlesEachSheetAfterThePrinterAndWhatItIs)
{
    std::vector<std::u16string> titles;
    PlatSetModalLoopHook(RecordTitle, &titles);
    Queue(kLayoutPage, {kCancel});
    EXPECT_EQ(PlatPrintingPreferences(nullptr, h), IDCANCEL);
    Queue(kDevicePage, {kCancel});
    EXPECT_TRUE(PrinterProperties(nullptr, h));
    // A program's document sheet is the printing preferences too.
    std::vector<BYTE> out(kcbFake, 0);
    Queue(kLayoutPage, {kCancel});
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, (LPWSTR)u"Fake", (PDEVMODEW)out.data(), nullptr,
                                  DM_IN_PROMPT | DM_OUT_BUFFER),
              IDCANCEL);
    PlatSetModalLoopHook(nullptr, nullptr);
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"Fake Printing Preferences", u"Fake Properties",
                                                   u"Fake Printing Preferences"}));
}

TEST_F(Sheets, PrinterPropertiesWithoutAdministerAccessIsReadOnly)
{
    HANDLE hUser = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"Fake", &hUser, nullptr));
    Queue(kDevicePage, {Check(u"Duplex unit installed"), kOK});
    EXPECT_TRUE(PrinterProperties(nullptr, hUser));
    EXPECT_NE(std::u16string(PlatScriptError()).find(u"disabled"), std::u16string::npos);
    EXPECT_EQ(DuplexUnit(h), 0xFFFFFFFFu);
    ClosePrinter(hUser);
    EXPECT_FALSE(PrinterProperties(nullptr, nullptr));
}

// ---- the user's own default ------------------------------------------------------

TEST_F(Sheets, UserDefaultGoesBeforeTheGlobalDefaultWhereAProgramAsks)
{
    std::vector<BYTE> global = Devmode(2), mine = Devmode(6);
    PRINTER_INFO_8W pi8 = {(LPDEVMODEW)global.data()};
    ASSERT_TRUE(SetPrinterW(h, 8, (LPBYTE)&pi8, 0));
    EXPECT_EQ(Level(8), global);
    EXPECT_TRUE(Level(9).empty());
    EXPECT_EQ(Level(2), global);

    PRINTER_INFO_9W pi9 = {(LPDEVMODEW)mine.data()};
    ASSERT_TRUE(SetPrinterW(h, 9, (LPBYTE)&pi9, 0));
    EXPECT_EQ(Level(9), mine);
    EXPECT_EQ(Level(2), mine);
    EXPECT_EQ(Level(8), global);
    // A program that asks the driver for the printer's settings gets the
    // user's.
    std::vector<BYTE> out(kcbFake, 0);
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, (PDEVMODEW)out.data(), nullptr, DM_OUT_BUFFER), IDOK);
    EXPECT_EQ(Copies(out), 6);

    // A new global default drops the user's own.
    ASSERT_TRUE(SetPrinterW(h, 8, (LPBYTE)&pi8, 0));
    EXPECT_TRUE(Level(9).empty());
    EXPECT_EQ(Level(2), global);
    // Level 9 with no DEVMODE drops it too; bad records are refused.
    ASSERT_TRUE(SetPrinterW(h, 9, (LPBYTE)&pi9, 0));
    PRINTER_INFO_9W none = {nullptr};
    ASSERT_TRUE(SetPrinterW(h, 9, (LPBYTE)&none, 0));
    EXPECT_TRUE(Level(9).empty());
    EXPECT_FALSE(SetPrinterW(h, 8, (LPBYTE)&none, 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    DEVMODEW tiny = {};
    tiny.dmSize = 20;
    PRINTER_INFO_9W bad = {&tiny};
    EXPECT_FALSE(SetPrinterW(h, 9, (LPBYTE)&bad, 0));
    EXPECT_FALSE(SetPrinterW(h, 7, (LPBYTE)&bad, 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_LEVEL);
    EXPECT_TRUE(Level(9).empty());
}

TEST_F(Sheets, UserDefaultSurvivesARestartAndBelongsToItsPrinter)
{
    std::vector<BYTE> mine = Devmode(8);
    PRINTER_INFO_9W pi9 = {(LPDEVMODEW)mine.data()};
    ASSERT_TRUE(SetPrinterW(h, 9, (LPBYTE)&pi9, 0));
    ClosePrinter(h);
    h = nullptr;
    // Another machine in between: the registry database is closed and
    // opened again from its file.
    std::string root = TestRootPath();
    TestNewRoot();
    HKEY hk = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Printers", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hk, nullptr);
    RegCloseKey(hk);
    PlatSetRoot(root.c_str());
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"FAKE", &h, nullptr));
    EXPECT_EQ(Level(9), mine);
    // Another printer of the same driver keeps its own defaults.
    ASSERT_TRUE(PlatInstallPrinter(u"Fake 2", W(TestRootFile("port2.prn")).c_str(), TestRootFile("built").c_str()));
    HANDLE h2 = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"Fake 2", &h2, nullptr));
    DWORD cb = 0;
    GetPrinterW(h2, 9, nullptr, 0, &cb);
    std::vector<BYTE> buf(cb);
    ASSERT_TRUE(GetPrinterW(h2, 9, buf.data(), cb, &cb));
    EXPECT_EQ(((PRINTER_INFO_9W*)buf.data())->pDevMode, nullptr);
    ClosePrinter(h2);
}

TEST_F(Sheets, PrintingPreferencesBecomeTheUserDefaultOnlyOnOk)
{
    Queue(kLayoutPage, {Type(u"Copies", u"4"), kCancel});
    EXPECT_EQ(PlatPrintingPreferences(nullptr, h), IDCANCEL);
    EXPECT_TRUE(Level(9).empty());

    Queue(kLayoutPage, {Type(u"Copies", u"4"), Choose(u"Orientation", u"Landscape"), kOK});
    EXPECT_EQ(PlatPrintingPreferences(nullptr, h), IDOK);
    std::vector<BYTE> mine = Level(9);
    ASSERT_EQ(mine.size(), kcbFake);
    EXPECT_EQ(Copies(mine), 4);
    // The next time the sheet opens over the user's default, and a
    // program's DEVMODE starts from it.
    Queue(kLayoutPage, {Type(u"Copies", u"9"), kCancel});
    EXPECT_EQ(PlatPrintingPreferences(nullptr, h), IDCANCEL);
    EXPECT_EQ(Level(9), mine);
    std::vector<BYTE> out(kcbFake, 0);
    EXPECT_EQ(DocumentPropertiesW(nullptr, nullptr, (LPWSTR)u"Fake", (PDEVMODEW)out.data(), nullptr, DM_OUT_BUFFER),
              IDOK);
    EXPECT_EQ(Copies(out), 4);
    EXPECT_EQ(((DEVMODEW*)out.data())->dmOrientation, DMORIENT_LANDSCAPE);
}

}  // namespace
