// The custom paper size dialog and the user paper helpers: the units and
// their conversions, what may be typed, the checks against the paper
// source, what OK stores (on the copy the Setup page hands over), the
// printer data and the printed job.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/userpaper.h"
#include "ui/settings/listset.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/papertable.h"
#include "ui/settings/sheetstate.h"

#include <regex>

namespace {

TEST(UserPaperUnits, ConversionsAndParsing)
{
    // 210 mm is kept as 8267 thousandths and shown as 210 again.
    EXPECT_EQ(UserPaperFromDisplay(UPUNIT_MM, 210), 8267u);
    EXPECT_EQ(UserPaperToDisplayUnit(UPUNIT_MM, 8267), 210u);
    EXPECT_EQ(UserPaperFromDisplay(UPUNIT_INCH, 8500), 8500u);
    EXPECT_EQ(UserPaperToDisplayUnit(UPUNIT_INCH, 8500), 8500u);
    EXPECT_EQ(UserPaperLimitToDisplay(UPUNIT_MM, 314), 314u);
    EXPECT_EQ(UserPaperLimitToDisplay(UPUNIT_INCH, 314), 12362u);
    EXPECT_EQ(UserPaperScaleUnit(UPUNIT_MM, 1000), 2540u);
    EXPECT_EQ(UserPaperEditLimit(UPUNIT_MM), 5);
    EXPECT_EQ(UserPaperEditLimit(UPUNIT_INCH), 10);

    struct Row {
        const char16_t* text;
        DWORD thousandths;
    };
    const Row rows[] = {
        {u"8.5", 8500},   {u"8.2105", 8211}, {u".5", 500},       {u"12mm", 12000},
        {u"210", 210000}, {u"8.500inch", 8500}, {u"x12", 12000}, {u"1.000005", 1000},
        {u"", 0},         {u"12345678901234567890123456789012", 0},  // no end within 32 characters
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseThousandths(r.text), r.thousandths) << SettingDlgTest::Narrow(r.text);
}

TEST(UserPaperKeys, WhatMayBeTyped)
{
    struct Row {
        int unit;
        const char16_t* text;
        int selStart, selEnd;
        WCHAR ch;
        BOOL allowed;
    };
    const Row rows[] = {
        {UPUNIT_MM, u"210", 3, 3, u'5', TRUE},
        {UPUNIT_MM, u"210", 3, 3, u'.', FALSE},       // no fraction in mm
        {UPUNIT_MM, u"210mm", 5, 5, u'1', FALSE},     // after the unit
        {UPUNIT_MM, u"", 0, 0, u'0', FALSE},          // no leading zero
        {UPUNIT_MM, u"210mm", 0, 5, u'2', TRUE},      // typed over everything
        {UPUNIT_MM, u"12345", 5, 5, u'6', TRUE},      // the edit's own limit stops a sixth
        {UPUNIT_MM, u"123456", 6, 6, u'7', FALSE},
        {UPUNIT_MM, u"21", 2, 2, 8, TRUE},            // backspace
        {UPUNIT_INCH, u"8.5", 3, 3, u'0', TRUE},
        {UPUNIT_INCH, u"8.500", 5, 5, u'1', FALSE},   // a fourth decimal
        {UPUNIT_INCH, u"8.5", 3, 3, u'.', FALSE},     // a second point
        {UPUNIT_INCH, u"8", 1, 1, u'/', FALSE},
        {UPUNIT_INCH, u"", 0, 0, u'8', FALSE},
        {UPUNIT_INCH, u"8.500inch", 0, 9, u'9', TRUE},
        {UPUNIT_INCH, u"1234567890", 10, 10, u'.', FALSE},  // the point beyond position 9
    };
    for (const Row& r : rows)
        EXPECT_EQ(bUserPaperKeyAllowed(r.unit, r.text, MAKELONG(r.selStart, r.selEnd), r.ch, UserPaperEditLimit(r.unit)),
                  r.allowed)
            << SettingDlgTest::Narrow(r.text) << " + " << (char)r.ch;
}

class UserPaperDlg : public SettingDlgTest {
protected:
    USERPAPER& SlotOf(UISETTINGS* p, int n) { return GetUserPapers(p)->aSlot[n - 1]; }
    // Opens the dialog as the Setup page does: on a copy of the settings,
    // copied back after OK and dropped either way.
    INT_PTR RunOnCopy(int iTarget, std::vector<PLATSCRIPTSTEP> steps)
    {
        UISETTINGS* pCopy = CloneParamObject(pObj);
        EXPECT_NE(pCopy, nullptr);
        DlgStateWords(pCopy)[DLGWORD_UDPAPER_TARGET] = (DWORD)iTarget;
        EXPECT_TRUE(PlatScriptOnDialog(IDD_USERPAPER, steps.data(), (int)steps.size()));
        INT_PTR r = DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_USERPAPER), nullptr, UserPaperDlgProc, (LPARAM)pCopy);
        if (r == IDOK)
            CopyParamObject(pObj, pCopy);
        FreeParamObjectClone(&pCopy);
        PlatScriptReset();
        return r;
    }
};

TEST_F(UserPaperDlg, SlotTextsAndHelpers)
{
    SetUserPaperName(pObj, 0, u"Poster");
    SetUserPaperUnit(pObj, 1, UPUNIT_INCH);
    SetUserPaperDimension(pObj, 1, u"User Defined Width", 8500);
    SetUserPaperDimension(pObj, 1, u"User Defined Length", 11000);
    SetUserPaperName(pObj, 2, u"");
    struct Row {
        int slot, kind, cch;
        BOOL ok;
        const char16_t* text;
    };
    const Row rows[] = {
        {1, 2, 128, TRUE, u"Poster(210 x 210mm)"},
        {2, 2, 128, TRUE, u"User paper 2(8.500 x 11.000inch)"},
        {3, 2, 128, TRUE, u"(210 x 210mm)"},
        {1, 1, 128, TRUE, u"Poster"},
        {1, 2, 54, FALSE, u""},  // the size text needs 55 characters
        {11, 1, 128, FALSE, u""},
    };
    for (const Row& r : rows) {
        WCHAR sz[128] = {};
        EXPECT_EQ(bFormatUserPaperName(pObj, r.slot, sz, r.cch, r.kind), r.ok) << r.slot << " " << r.kind;
        EXPECT_EQ(std::u16string(sz), r.text) << r.slot << " " << r.kind;
    }
    // Names are kept to 16 characters whatever is given.
    EXPECT_TRUE(SetUserPaperName(pObj, 4, u"A name far longer than the field"));
    WCHAR sz[64];
    EXPECT_EQ(GetUserPaperName(pObj, 4, sz, 64), 17);
    EXPECT_EQ(std::u16string(sz), u"A name far longe");
    EXPECT_FALSE(SetUserPaperUnit(pObj, 0, 3));
    EXPECT_FALSE(SetUserPaperDimension(pObj, 0, u"Width", 1));
    EXPECT_EQ(GetUserPaperDimension(pObj, 1, u"Width"), 0);
}

TEST_F(UserPaperDlg, OkStoresTheSlotIntoTheTargetAndCancelDropsTheCopy)
{
    Set(u"lpMediaSource", 7);
    ASSERT_EQ(RunOnCopy(1, {ChooseAt(IDC_UP_SLOT, 2), Type(IDC_UP_NAME, u"Flyer"), Type(IDC_UP_WIDTH, u"200"),
                            Type(IDC_UP_LENGTH, u"300"), PressOK()}),
              IDOK)
        << Err();
    EXPECT_EQ(Get(u"lpUDPaperType"), 3);
    EXPECT_EQ(Get(u"UDPaperWidth"), 2000);
    EXPECT_EQ(Get(u"UDPaperLength"), 3000);
    EXPECT_EQ(Get(u"lpUDPaperUnit"), 1);
    EXPECT_EQ(SlotOf(pObj, 3).lWidth, 7874);
    EXPECT_EQ(SlotOf(pObj, 3).lLength, 11811);
    EXPECT_EQ(std::u16string(SlotOf(pObj, 3).szName), u"Flyer");
    EXPECT_EQ(Get(u"lpUDMediaType"), 1);  // the output size shows another slot

    // Inch: 8.5 x 11 on the output size, which the document size shares.
    Set(u"lpUDPaperType", 4);
    Set(u"lpUDMediaType", 4);
    ASSERT_EQ(RunOnCopy(0, {ChooseAt(IDC_UP_SLOT, 3), Click(IDC_UP_INCH), Type(IDC_UP_WIDTH, u"8.5"),
                            Type(IDC_UP_LENGTH, u"11"), PressOK()}),
              IDOK)
        << Err();
    EXPECT_EQ(SlotOf(pObj, 4).lWidth, 8500);
    EXPECT_EQ(SlotOf(pObj, 4).sUnit, UPUNIT_INCH);
    EXPECT_EQ(Get(u"UDMediaWidth"), 2159);
    EXPECT_EQ(Get(u"UDMediaLength"), 2794);
    EXPECT_EQ(Get(u"lpUDMediaUnit"), 2);
    EXPECT_EQ(Get(u"UDPaperWidth"), 2159);

    ASSERT_EQ(RunOnCopy(1, {ChooseAt(IDC_UP_SLOT, 0), Type(IDC_UP_WIDTH, u"250"), PressCancel()}), IDCANCEL) << Err();
    EXPECT_EQ(SlotOf(pObj, 1).lWidth, 8267);
    EXPECT_EQ(Get(u"lpUDPaperType"), 4);
}

TEST_F(UserPaperDlg, SizesAreCheckedAgainstThePaperSource)
{
    Set(u"lpMediaSource", 1);  // tray 1 takes 210..314 x 140..459 mm
    HWND h = Open(IDD_USERPAPER, UserPaperDlgProc);
    ASSERT_TRUE(IsWindow(h));
    // Above the maximum: the maximum at once.
    ASSERT_TRUE(PlatScriptType(h, IDC_UP_WIDTH, nullptr, u"400")) << Err();
    EXPECT_EQ(Text(h, IDC_UP_WIDTH), u"314mm");
    EXPECT_TRUE(Boxes().empty());
    // Below the minimum: refused on leaving, the value stays for the user.
    PlatScriptType(h, IDC_UP_WIDTH, nullptr, u"200");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_UP_WIDTH));
    EXPECT_EQ(Text(h, IDC_UP_WIDTH), u"200mm");
    Picture(h, "userpaper_refused");
    // OK refuses it too.
    SendMessageW(h, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_TRUE(IsWindow(h) && IsWindowVisible(h));
    Close(h);
}

TEST_F(UserPaperDlg, NamesMustBeGivenAndDiffer)
{
    struct Row {
        const char16_t* name;
        const char16_t* box;
    };
    const Row rows[] = {
        {u"", u"Enter a name for the user paper."},
        {u"User paper 2", u"Another user paper already has this name."},
        {u"Mine", nullptr},
    };
    for (const Row& r : rows) {
        PlatMsgBoxReset();
        HWND h = Open(IDD_USERPAPER, UserPaperDlgProc);
        PlatScriptType(h, IDC_UP_NAME, nullptr, r.name);
        if (r.box) {
            ASSERT_EQ(Boxes().size(), 1u) << Narrow(r.name);
            EXPECT_EQ(Boxes()[0].rfind(r.box, 0), 0u) << Narrow(Boxes()[0]);
            EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_UP_NAME));
        } else {
            EXPECT_TRUE(Boxes().empty());
        }
        Close(h);
    }
}

TEST_F(UserPaperDlg, SwitchingTheUnitKeepsTheStoredSize)
{
    HWND h = Open(IDD_USERPAPER, UserPaperDlgProc);
    EXPECT_EQ(Text(h, IDC_UP_WIDTH), u"210mm");
    ASSERT_TRUE(PlatScriptClick(h, IDC_UP_INCH, nullptr)) << Err();
    EXPECT_EQ(Text(h, IDC_UP_WIDTH), u"8.267inch");
    EXPECT_EQ(GetUserPapers(pObj)->aSlot[0].lWidth, 8267);
    Picture(h, "userpaper_inch");
    ASSERT_TRUE(PlatScriptClick(h, IDC_UP_MM, nullptr)) << Err();
    EXPECT_EQ(Text(h, IDC_UP_WIDTH), u"210mm");
    EXPECT_EQ(GetUserPapers(pObj)->aSlot[0].lWidth, 8267);
    Picture(h, "userpaper_mm");
    Close(h);
}

TEST_F(UserPaperDlg, WithoutWriteAccessTheSlotsCanOnlyBeBrowsed)
{
    PlatDenyPrinterDataWrites(TRUE);
    HWND h = Open(IDD_USERPAPER, UserPaperDlgProc);
    PlatDenyPrinterDataWrites(FALSE);
    for (int id : {IDC_UP_NAME, IDC_UP_WIDTH, IDC_UP_LENGTH, IDC_UP_MM, IDC_UP_INCH})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, id))) << id;
    EXPECT_TRUE(PlatScriptChoose(h, IDC_UP_SLOT, nullptr, nullptr, 4)) << Err();
    EXPECT_EQ(Text(h, IDC_UP_NAME), u"User paper 5");
    Close(h);
    // The probe value is never left behind.
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)pObj->trailer.pszPrinterName, &hPrinter, nullptr));
    DWORD dwType = 0, cb = 0, dw = 0;
    EXPECT_NE(GetPrinterDataW(hPrinter, (LPWSTR)u"DUMMY", &dwType, (LPBYTE)&dw, 4, &cb), (DWORD)ERROR_SUCCESS);
    ClosePrinter(hPrinter);
}

// A sheet whose title is not one the system gives its own sheets (an
// application's page set-up) shows the user papers but registers none.
TEST_F(UserPaperDlg, OnlyTheSystemsOwnSheetsRegisterUserPapers)
{
    for (DWORD dwLacksSuffix : {0u, 1u}) {
        SetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX, dwLacksSuffix);
        HWND h = Open(IDD_USERPAPER, UserPaperDlgProc);
        for (int id : {IDC_UP_NAME, IDC_UP_WIDTH, IDC_UP_LENGTH, IDC_UP_MM, IDC_UP_INCH})
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(h, id)) != 0, dwLacksSuffix == 0) << id << " " << dwLacksSuffix;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_UP_SLOT))) << dwLacksSuffix;
        Close(h);
    }
    SetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX, 0);
}

TEST_F(UserPaperDlg, TheUserPaperOutsideTheSourceIsReported)
{
    SetUserPaperDimension(pObj, 0, u"User Defined Width", 7874);  // 200 mm
    LoadUserPaperRows(GetUserPapers(pObj));
    Set(u"lpMediaSize", 513);
    Set(u"lpOutputPaper", 257);
    Set(u"lpMediaSource", 7);
    EXPECT_TRUE(CheckUserPaperFitsSource(pObj));
    ShowUserPaperRangeWarning(nullptr, pObj);
    EXPECT_TRUE(Boxes().empty());
    Set(u"lpMediaSource", 1);
    EXPECT_FALSE(CheckUserPaperFitsSource(pObj));
    ShowUserPaperRangeWarning(nullptr, pObj);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find(u"Width: (210 - 314 mm)"), std::u16string::npos) << Narrow(Boxes()[0]);
    EXPECT_NE(Boxes()[0].find(u" 200 mm x  210 mm"), std::u16string::npos) << Narrow(Boxes()[0]);
    Set(u"lpMediaSize", 9);  // a standard paper is not tested
    EXPECT_TRUE(CheckUserPaperFitsSource(pObj));
}

TEST_F(UserPaperDlg, AUserPaperOf200By300PrintsWithItsSize)
{
    Set(u"lpMediaSource", 7);
    ASSERT_EQ(RunOnCopy(1, {Type(IDC_UP_WIDTH, u"200"), Type(IDC_UP_LENGTH, u"300"), PressOK()}), IDOK) << Err();
    Set(u"lpMediaSize", 513);  // the Setup page selects the slot's paper
    SaveUserProfileOnApply(pObj, 2);
    // The changed slot is the printer's data now.
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)pObj->trailer.pszPrinterName, &hPrinter, nullptr));
    USERPAPER stored = {};
    DWORD dwType = 0, cb = 0;
    EXPECT_EQ(GetPrinterDataW(hPrinter, (LPWSTR)u"UDPaper1", &dwType, (LPBYTE)&stored, sizeof(stored), &cb),
              (DWORD)ERROR_SUCCESS);
    ClosePrinter(hPrinter);
    EXPECT_EQ(stored.lWidth, 7874);
    EXPECT_EQ(stored.lLength, 11811);
    std::string job = PrintJob();
    std::smatch m;
    ASSERT_TRUE(std::regex_search(job, m, std::regex("pps [A-Z]+ %?([0-9.]+) %?([0-9.]+)"))) << job.substr(0, 1500);
    EXPECT_NEAR(std::stod(m[1].str()), 200.0, 0.1) << m[0];
    EXPECT_NEAR(std::stod(m[2].str()), 300.0, 0.1) << m[0];
}

}  // namespace
