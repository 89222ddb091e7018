// The Finishing page of the document sheet and the Options page of the
// device sheet, on the driver's own templates: their refresh bits, the page
// order rule, the chapter page list, hard-disk save, the binding margin
// details, read-only sheets, the capabilities published for the directory,
// and settings chosen by the scripted user that reach a printed job.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/library/quickaccess.h"
#include "ui/pages/finishingpage.h"
#include "ui/pages/setuppage.h"
#include "ui/pages/optionpage.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/devmode.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

const BYTE kSentinel = 0xEE;

std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 128 ? (char)c : '?';
    return r;
}

std::string Narrow(LPCWSTR psz)
{
    return Narrow(std::u16string(psz ? psz : u""));
}

DOCUMENTPROPERTYHEADER DocHeader(HANDLE hPrinter, DWORD fMode, DEVMODEW* pdmIn = nullptr, DEVMODEW* pdmOut = nullptr)
{
    DOCUMENTPROPERTYHEADER dph = {};
    dph.cbSize = sizeof(dph);
    dph.hPrinter = hPrinter;
    dph.pszPrinterName = SheetPrinter();
    dph.pdmIn = pdmIn;
    dph.pdmOut = pdmOut;
    dph.fMode = fMode;
    return dph;
}

DEVICEPROPERTYHEADER DevHeader(HANDLE hPrinter, WORD wFlags)
{
    DEVICEPROPERTYHEADER dph = {};
    dph.cbSize = sizeof(dph);
    dph.Flags = wFlags;
    dph.hPrinter = hPrinter;
    dph.pszPrinterName = SheetPrinter();
    return dph;
}

PLATSCRIPTSTEP Step(int iStep, int id = 0, int iIndex = -1, int iValue = 0)
{
    PLATSCRIPTSTEP s = {};
    s.iStep = iStep;
    s.id = id;
    s.iIndex = iIndex;
    s.iValue = iValue;
    return s;
}

LONG CALLBACK HostDocumentBody(PPROPSHEETUI_INFO pInfo, LPARAM lParam)
{
    return DrvDocumentPropertySheets(pInfo, lParam);
}

LONG CALLBACK HostDeviceBody(PPROPSHEETUI_INFO pInfo, LPARAM lParam)
{
    return DrvDevicePropertySheets(pInfo, lParam);
}

std::u16string BoxText(int i)
{
    LPCWSTR pszText = nullptr, pszCaption = nullptr;
    PlatMsgBoxGet(i, nullptr, &pszText, &pszCaption, nullptr);
    return pszText ? pszText : u"";
}

std::u16string BoxCaption(int i)
{
    LPCWSTR pszText = nullptr, pszCaption = nullptr;
    PlatMsgBoxGet(i, nullptr, &pszText, &pszCaption, nullptr);
    return pszCaption ? pszCaption : u"";
}

// The value of the item a combo shows; -1 for none.
SHORT ShownValue(HWND hPage, WORD wId)
{
    HWND hCombo = GetDlgItem(hPage, wId);
    const FVLHEADER* pList = GetFeatureListHeader(wId);
    LRESULT k = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    if (!pList || k == CB_ERR)
        return -1;
    WCHAR sz[64] = {};
    SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)k, (LPARAM)sz);
    WORD w = FindValueListText(pList, sz);
    return w == POSITION_NONE ? (SHORT)-1 : GetValueListItem(pList, w)->sValue;
}

// The combo position of a value among the offered items; -1 when absent.
int PositionOf(WORD wId, SHORT sValue)
{
    const FVLHEADER* pList = GetFeatureListHeader(wId);
    WORD w = pList ? GetEnabledItemPosition(pList, sValue) : POSITION_NONE;
    return w == POSITION_NONE ? -1 : (int)w;
}

// ---- Tables ----

TEST(FinishingPageBits, ControlsMapToTheirRefreshBits)
{
    struct Row {
        WORD wId;
        DWORD dwBits;
    } rows[] = {
        {163, 0x200000}, {164, 0x200000}, {301, 0x1},     {302, 0x2},     {303, 0x6},      {304, 0xA},
        {306, 0x12},     {308, 0x20},     {309, 0x20},    {310, 0x40},    {311, 0x40},     {312, 0x80},
        {313, 0x80},     {314, 0x100},    {315, 0x100},   {317, 0x200},   {318, 0x200},    {319, 0x400},
        {320, 0x400},    {321, 0x800},    {322, 0x800},   {323, 0x2000},  {324, 0x2000},   {325, 0x2000},
        {326, 0x80000},  {327, 0x80000},  {340, 0x80000}, {341, 0x80000}, {348, 0x80000},  {349, 0x80000},
        {328, 0x8000},   {329, 0x40000},  {330, 0x40000}, {342, 0x100000}, {343, 0x100000},
        // Ids outside the page's range and ids of the range without a row.
        {162, 0},        {350, 0},        {305, 0},       {307, 0},       {316, 0},        {338, 0},
        {344, 0},        {347, 0},        {2363, 0},      {0, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetFinishingDirtyBits(r.wId), r.dwBits) << r.wId;
}

TEST(OptionPageBits, ControlsMapToTheirRefreshBits)
{
    struct Row {
        WORD wId;
        DWORD dwBit;
    } rows[] = {
        {802, 0x1},     {804, 0x2},     {806, 0x4},     {808, 0x8},      {810, 0x10},     {812, 0x20},
        {820, 0x80},    {822, 0x100},   {824, 0x200},   {826, 0x400},    {828, 0x80000},  {830, 0x800},
        {832, 0x1000},  {834, 0x2000},  {836, 0x4000},  {838, 0x8000},   {840, 0x10000},  {842, 0x20000},
        {844, 0x100000}, {845, 0x100000}, {801, 0},       {813, 0},        {815, 0},        {816, 0},
        {848, 0},       {0, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetOptionDirtyBit(r.wId), r.dwBit) << r.wId;
}

TEST(FinishingPageOrder, ItemsOfferedByNupAndOrientation)
{
    // Offered items 0..7 as a string of '1' (offered) and '0'.
    struct Row {
        SHORT sNup;
        SHORT sOrientation;
        const char* offered;
    } rows[] = {
        {1, 1, "11000000"},  {1, 2, "00110000"},  {8, 1, "11000000"},  {8, 2, "00110000"},
        {5, 1, "00001111"},  {6, 2, "00001111"},  {7, 1, "00001111"},  {10, 2, "00001111"},
        {2, 1, "11111111"},  {4, 2, "11111111"},
    };
    for (const Row& r : rows) {
        std::string got;
        for (int i = 0; i < 8; ++i)
            got += bPageOrderItemOffered(i, r.sNup, r.sOrientation) ? '1' : '0';
        EXPECT_EQ(got, r.offered) << "N-up " << r.sNup << " orientation " << r.sOrientation;
    }
}

// ---- An open sheet on the driver's own templates ----

class OpenSheetBase : public ::testing::Test {
protected:
    void Open(BOOL bDevice, DWORD dwPermission)
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatBeepReset();
        PlatScriptReset();
        ASSERT_TRUE(OpenPrinterW(SheetPrinter(), &hPrinter, NULL));
        doc = DocHeader(hPrinter, DM_PROMPT | DM_COPY | dwPermission);
        dev = DevHeader(hPrinter, (WORD)dwPermission);
        InitFakeHost(&host, bDevice ? DeviceBody : DocumentBody, bDevice ? (LPARAM)&dev : (LPARAM)&doc);
        ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        pObj = SheetOf(&host)->pSettings;
        PROPSHEETHEADERW psh = {};
        psh.dwSize = sizeof(psh);
        psh.dwFlags = PSH_MODELESS | PSH_PROPTITLE;
        psh.pszCaption = SheetPrinter();
        psh.nPages = (UINT)host.pages.size();
        psh.phpage = host.pages.data();
        hSheet = (HWND)PropertySheetW(&psh);
        host.pages.clear();
        ASSERT_NE(hSheet, nullptr);
        ShowWindow(hSheet, SW_SHOW);
    }
    void TearDown() override
    {
        if (hSheet)
            DestroyWindow(hSheet);
        if (pObj)
            CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        if (hPrinter)
            ClosePrinter(hPrinter);
        PlatScriptReset();
    }
    HWND Page(int i)
    {
        SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
        return (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    }
    LRESULT Notify(HWND hPage, UINT uCode)
    {
        PSHNOTIFY n = {};
        n.hdr.hwndFrom = hSheet;
        n.hdr.code = uCode;
        SetWindowLongPtrW(hPage, DWLP_MSGRESULT, 0x5A5A);
        SendMessageW(hPage, WM_NOTIFY, 0, (LPARAM)&n);
        return GetWindowLongPtrW(hPage, DWLP_MSGRESULT);
    }
    std::u16string Text(HWND hwnd, int id)
    {
        WCHAR sz[256] = {};
        GetDlgItemTextW(hwnd, id, sz, 256);
        return sz;
    }
    SHORT Feature(WORD wId)
    {
        BindFeatureFields(pObj);
        return GetFeatureValue(wId);
    }
    int ChapterCount()
    {
        const PAGELISTS* p = (const PAGELISTS*)GetParamSlot(pObj, 223);
        return p ? GetPageSlotCount(p, 2) : -1;
    }

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    DEVICEPROPERTYHEADER dev = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    HWND hSheet = nullptr;
};

class FinishingPage : public OpenSheetBase {
protected:
    void SetUp() override
    {
        Open(FALSE, 0);
        hPage = Page(2);
        ASSERT_EQ(PlatGetWindowTemplateId(hPage), 300);
    }
    // Production printing and chapters on, through the page.
    void ChaptersOn()
    {
        if (IsDlgButtonChecked(hPage, 301) != BST_CHECKED) {
            ASSERT_TRUE(PlatScriptClick(hSheet, 301, nullptr));
        }
        if (Feature(310) != 1) {
            ASSERT_TRUE(PlatScriptClick(hSheet, 310, nullptr));
        }
        if (IsDlgButtonChecked(hPage, 314) != BST_CHECKED) {
            ASSERT_TRUE(PlatScriptClick(hSheet, 314, nullptr));
        }
        ASSERT_EQ(Feature(314), 1);
    }
    HWND hPage = nullptr;
};

TEST_F(FinishingPage, LeavingChecksTheChapterList)
{
    struct Row {
        const char16_t* text;
        BOOL bStays;
        const char16_t* box;   // part of the text of the box shown; null: none
        int cStored;           // numbers in slot 2 afterwards; -1: unchanged
        SHORT sChapters;       // chapters switch afterwards
    } rows[] = {
        {u"", TRUE, u"No chapter pages are given", 0, 0},
        {u"1,1", TRUE, u"1", -1, 1},
        {u"3,5-7,5", TRUE, u"5", -1, 1},
        {u"1-31", TRUE, nullptr, -1, 1},
        {u"1-30", FALSE, nullptr, 30, 1},
        {u"2,5-7", FALSE, nullptr, 4, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(Narrow(r.text));
        ChaptersOn();
        ClearPageSlot((PAGELISTS*)GetParamSlot(pObj, 223), 2);
        SetDlgItemTextW(hPage, 315, r.text);
        PlatMsgBoxReset();
        PlatBeepReset();
        EXPECT_EQ(Notify(hPage, PSN_KILLACTIVE), r.bStays ? TRUE : FALSE);
        if (r.box) {
            ASSERT_EQ(PlatMsgBoxCount(), 1);
            EXPECT_NE(BoxText(0).find(r.box), std::u16string::npos) << Narrow(BoxText(0));
            EXPECT_EQ(BoxCaption(0), GetResString(20210));
        } else if (r.bStays) {
            // Too many pages: the page-list error of the chapter list.
            ASSERT_EQ(PlatMsgBoxCount(), 1);
            WCHAR szWant[512];
            FormatPageListError(PAGELIST_TOO_MANY, PAGELIST_KIND_CHAPTERS, szWant, 512);
            EXPECT_EQ(BoxText(0), szWant);
        } else {
            EXPECT_EQ(PlatMsgBoxCount(), 0);
        }
        if (r.cStored >= 0)
            EXPECT_EQ(ChapterCount(), r.cStored);
        else
            EXPECT_EQ(ChapterCount(), 0);
        EXPECT_EQ(Feature(314), r.sChapters);
        EXPECT_EQ(IsDlgButtonChecked(hPage, 314) == BST_CHECKED, r.sChapters == 1);
        if (r.bStays && r.sChapters) {
            EXPECT_EQ(GetFocus(), GetDlgItem(hPage, 315));
        }
    }
}

TEST_F(FinishingPage, TheChapterListTakesOnlyWhatKeepsItSound)
{
    ChaptersOn();
    HWND hEdit = GetDlgItem(hPage, 315);
    SetFocus(hEdit);
    struct Row {
        const char16_t* before;
        WCHAR ch;
        const char16_t* after;
        int cBeeps;
    } rows[] = {
        {u"123", u'4', u"123", 1},      // a fourth digit
        {u"12", u'3', u"123", 0},
        {u"1", u',', u"1,", 0},
        {u"1,", u',', u"1,", 1},        // two commas
        {u"1", u'x', u"1", 1},
        {u"1", u'-', u"1-", 0},
        {u"1", 22, u"1", 0},            // Ctrl+V reaches the edit (nothing on the clipboard)
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(Narrow(r.before));
        SetWindowTextW(hEdit, r.before);
        SendMessageW(hEdit, EM_SETSEL, 64, 64);
        PlatBeepReset();
        SendMessageW(hEdit, WM_CHAR, r.ch, 0);
        EXPECT_EQ(Text(hPage, 315), r.after);
        EXPECT_EQ(PlatBeepCount(), r.cBeeps);
    }
}

TEST_F(FinishingPage, LeavingTheListForDefaultsOkOrCancelDoesNotCheckIt)
{
    ChaptersOn();
    HWND hEdit = GetDlgItem(hPage, 315);
    struct Row {
        HWND hTo;
        BOOL bChecked;
    } rows[] = {
        {GetDlgItem(hPage, 338), FALSE},
        {PlatScriptFindControl(hSheet, IDOK, nullptr), FALSE},
        {PlatScriptFindControl(hSheet, IDCANCEL, nullptr), FALSE},
        {GetDlgItem(hPage, 301), TRUE},
    };
    for (const Row& r : rows) {
        ASSERT_NE(r.hTo, nullptr);
        SetWindowTextW(hEdit, u"4,4");
        SetFocus(hEdit);
        PlatMsgBoxReset();
        SendMessageW(hEdit, WM_KILLFOCUS, (WPARAM)r.hTo, 0);
        EXPECT_EQ(PlatMsgBoxCount(), r.bChecked ? 1 : 0) << GetDlgCtrlID(r.hTo);
    }
}

TEST_F(FinishingPage, HardDiskSaveAsksForTheJobIdAndGoesOffWithoutIt)
{
    // The printer has its hard disk (the device sheet's option).
    BindFeatureFields(pObj);
    SetFeatureValue(838, 2);
    if (IsDlgButtonChecked(hPage, 301) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 301, nullptr));
    }
    EvaluateControlDependencies(hPage, pObj);
    EnableDependentControls(hPage, pObj);
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hPage, 326)));
    PLATSCRIPTSTEP cancel[] = {Step(PSS_CANCEL)};
    ASSERT_TRUE(PlatScriptOnDialog(2010, cancel, 1));
    PlatMsgBoxReset();
    ASSERT_TRUE(PlatScriptClick(hSheet, 326, nullptr));
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    // The dialog came and went; without a job ID the user is told and the
    // save is off again.
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(BoxText(0), GetResString(25403));
    EXPECT_EQ(BoxCaption(0), GetResString(25401));
    EXPECT_EQ(Feature(326), 0);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 326), (UINT)BST_UNCHECKED);

    // With a job ID and password typed in the dialog the save stays on.
    PLATSCRIPTSTEP ok[] = {Step(PSS_TYPE, 2016), Step(PSS_TYPE, 2018), Step(PSS_OK)};
    ok[0].pszText = u"JOB7";
    ok[1].pszText = u"1234";
    ASSERT_TRUE(PlatScriptOnDialog(2010, ok, 3));
    PlatMsgBoxReset();
    ASSERT_TRUE(PlatScriptClick(hSheet, 326, nullptr));
    EXPECT_EQ(PlatMsgBoxCount(), 0) << Narrow(BoxText(0));
    EXPECT_EQ(Feature(326), 1);
    EXPECT_EQ(Notify(hPage, PSN_KILLACTIVE), FALSE);
}

TEST_F(FinishingPage, CancelledMarginDetailsBringBackTheEarlierMargin)
{
    if (IsDlgButtonChecked(hPage, 301) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 301, nullptr));
    }
    if (IsDlgButtonChecked(hPage, 342) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 342, nullptr));
    }
    BindFeatureFields(pObj);
    const int iDetails = PositionOf(343, 10);
    ASSERT_GE(iDetails, 0);
    const SHORT sBefore = Feature(343);
    ASSERT_NE(sBefore, 10);
    PLATSCRIPTSTEP cancel[] = {Step(PSS_CANCEL)};
    ASSERT_TRUE(PlatScriptOnDialog(2300, cancel, 1));
    ASSERT_TRUE(PlatScriptChoose(hSheet, 343, nullptr, nullptr, iDetails));
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    EXPECT_EQ(Feature(343), sBefore);
    BindFeatureFields(pObj);
    EXPECT_EQ(ShownValue(hPage, 343), sBefore);
    EXPECT_EQ(GetActivePageId(pObj), 300);
}

TEST_F(FinishingPage, PageOrderFollowsTheNupKind)
{
    if (IsDlgButtonChecked(hPage, 301) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 301, nullptr));
    }
    if (IsDlgButtonChecked(hPage, 302) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 302, nullptr));
    }
    BindFeatureFields(pObj);
    const FVLHEADER* pOrder = GetFeatureListHeader(304);
    ASSERT_NE(pOrder, nullptr);
    struct Row {
        SHORT sNup;
    } rows[] = {{5}, {2}, {10}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.sNup);
        BindFeatureFields(pObj);
        int iNup = PositionOf(303, r.sNup);
        if (iNup < 0)
            continue;  // not offered with this printer's options
        ASSERT_TRUE(PlatScriptChoose(hSheet, 303, nullptr, nullptr, iNup));
        BindFeatureFields(pObj);
        ASSERT_EQ(Feature(303), r.sNup);
        // Only the items the rule offers are shown, and the order shown is
        // one of them.
        const SHORT sOrientation = GetParamEdited(pObj, 2) == 2 ? 2 : 1;
        int cOffered = 0;
        for (int i = 0; i < pOrder->sCount; ++i)
            cOffered += GetValueListItem(pOrder, i)->sEnabled == VALUEITEM_ENABLED;
        EXPECT_EQ(SendDlgItemMessageW(hPage, 304, CB_GETCOUNT, 0, 0), cOffered);
        for (int i = 0; i < pOrder->sCount; ++i)
            if (!bPageOrderItemOffered(i, r.sNup, sOrientation)) {
                EXPECT_EQ(GetValueListItem(pOrder, i)->sEnabled, VALUEITEM_DISABLED) << i;
            }
        int iShown = (int)SendDlgItemMessageW(hPage, 304, CB_GETCURSEL, 0, 0);
        ASSERT_GE(iShown, 0);
        EXPECT_EQ((SHORT)SendDlgItemMessageW(hPage, 304, CB_GETITEMDATA, iShown, 0), Feature(304));
    }
}

TEST_F(FinishingPage, SaveRecallOpensItsMenuOnlyWithASoundChapterList)
{
    ChaptersOn();
    // An unsound list is told about first; the menu stays shut.
    SetDlgItemTextW(hPage, 315, u"1,1");
    PlatMsgBoxReset();
    PlatScriptChooseMenuItem(nullptr, -1);
    SendMessageW(hPage, WM_COMMAND, MAKEWPARAM(347, BN_CLICKED), (LPARAM)GetDlgItem(hPage, 347));
    EXPECT_EQ(PlatMsgBoxCount(), 1);
    PlatScriptReset();

    // A sound list: the menu opens and its recall details come up (their
    // script runs and presses OK).
    SetDlgItemTextW(hPage, 315, u"1,4");
    PlatMsgBoxReset();
    PLATSCRIPTSTEP ok[] = {Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(2540, ok, 1));
    // The items draw themselves: the user picks the details by position.
    HMENU hMenu = BuildSaveRecallMenu(pObj);
    int iDetails = -1;
    for (int i = 0; i < GetMenuItemCount(hMenu); ++i)
        if (GetMenuItemID(hMenu, i) == 2585)
            iDetails = i;
    DestroyMenu(hMenu);
    ASSERT_GE(iDetails, 0);
    PlatScriptChooseMenuItem(nullptr, iDetails);
    ASSERT_TRUE(PlatScriptClick(hSheet, 347, nullptr));
    PlatPumpMessages();
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    EXPECT_EQ(PlatMsgBoxCount(), 0);
    // The script was used up: queued again, it runs for the next opening.
    PLATSCRIPTSTEP probe[] = {Step(PSS_CLICK, 9999)};
    ASSERT_TRUE(PlatScriptOnDialog(2540, probe, 1));
    OpenRecallDetailDialog(hPage, pObj);
    EXPECT_NE(Narrow(PlatScriptError()), "");
}

TEST_F(FinishingPage, ApplyCommitsWhatThePageChanged)
{
    struct Row {
        WORD wControl;  // clicked by the user
        WORD wParam;    // the setting it edits
    } rows[] = {{301, 70}, {323, 80}, {328, 82}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.wControl);
        if (r.wControl != 301 && IsDlgButtonChecked(hPage, 301) != BST_CHECKED) {
            ASSERT_TRUE(PlatScriptClick(hSheet, 301, nullptr));
        }
        const SHORT sCommitted = GetParamCommitted(pObj, r.wParam);
        ASSERT_TRUE(PlatScriptClick(hSheet, r.wControl, nullptr));
        const SHORT sEdited = GetParamEdited(pObj, r.wParam);
        ASSERT_NE(sEdited, sCommitted);
        EXPECT_EQ(GetParamCommitted(pObj, r.wParam), sCommitted);
        Notify(hPage, PSN_APPLY);
        EXPECT_EQ(GetParamCommitted(pObj, r.wParam), sEdited);
        EXPECT_EQ(GetSheetState(pObj, UIS_STATE_APPLIED), 1u);
    }
}

TEST_F(FinishingPage, LooksRight)
{
    if (IsDlgButtonChecked(hPage, 301) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 301, nullptr));
    }
    if (IsDlgButtonChecked(hPage, 302) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 302, nullptr));
    }
    LONG lGdi = PlatGdiLiveObjects();
    UpdateWindow(hSheet);
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/finopt_finishing.png"));
    EXPECT_EQ(PlatGdiLiveObjects(), lGdi);
    // The N-up list draws its items (pictures and texts) itself.
    EXPECT_GT(SendDlgItemMessageW(hPage, 303, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageW(hPage, 303, CB_GETITEMHEIGHT, 0, 0), 25);

    // Chapters with their list, and pause: the pictures follow the switches.
    ChaptersOn();
    ASSERT_TRUE(PlatScriptType(hSheet, 315, nullptr, u"2,5-7"));
    ASSERT_TRUE(PlatScriptClick(hSheet, 323, nullptr));
    EXPECT_EQ(Feature(323), 1);
    UpdateWindow(hSheet);
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/finopt_finishing_chapters.png"));
    EXPECT_EQ(Notify(hPage, PSN_KILLACTIVE), FALSE);
    EXPECT_EQ(ChapterCount(), 4);
}

// ---- Read-only sheets ----

class ReadOnlySheet : public OpenSheetBase {};

TEST_F(ReadOnlySheet, EveryControlOfTheFinishingPageIsDisabled)
{
    Open(FALSE, DM_NOPERMISSION);
    HWND hPage = Page(2);
    for (int id : {301, 302, 303, 304, 306, 308, 309, 310, 311, 312, 313, 314, 315, 317, 318, 319, 320, 321, 322,
                   323, 324, 325, 326, 327, 328, 338, 340, 341, 342, 343, 347, 163, 164})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hPage, id))) << id;
}

TEST_F(ReadOnlySheet, EveryControlOfTheOptionsPageIsDisabled)
{
    Open(TRUE, DPS_NOPERMISSION);
    HWND hPage = Page(0);
    ASSERT_EQ(PlatGetWindowTemplateId(hPage), 800);
    for (int id : {802, 804, 824, 828, 830, 838})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hPage, id))) << id;
}

// ---- The Options page ----

class OptionsPage : public OpenSheetBase {
protected:
    void SetUp() override
    {
        Open(TRUE, 0);
        hPage = Page(0);
        ASSERT_EQ(PlatGetWindowTemplateId(hPage), 800);
    }
    HWND hPage = nullptr;
};

TEST_F(OptionsPage, RefreshingThePdlTypeAsksTheFormPageToFollow)
{
    *PageRefreshMask(pObj, 400) = 0;
    EXPECT_EQ(OptionPageMarkDirty(hPage, 845, 0), 0x100000);
    EXPECT_EQ(*PageRefreshMask(pObj, 800), 0u);
    EXPECT_EQ(*PageRefreshMask(pObj, 400), 0x100u);
    // Ids without a bit leave the mask alone.
    EXPECT_EQ(OptionPageMarkDirty(hPage, 816, 0), 0);
}

TEST_F(OptionsPage, LooksRight)
{
    LONG lGdi = PlatGdiLiveObjects();
    UpdateWindow(hSheet);
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/finopt_options.png"));
    EXPECT_EQ(PlatGdiLiveObjects(), lGdi);
    for (int id : {802, 804, 824, 828, 830, 838})
        EXPECT_GT(SendDlgItemMessageW(hPage, id, CB_GETCOUNT, 0, 0), 0) << id;
}

// ---- Through the platform's sheet host, as a person uses it ----

class ThroughTheHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatScriptReset();
    }
    void TearDown() override { PlatScriptReset(); }
    // The device sheet with the output unit at combo position iUnit, OK.
    void InstallOutputUnit(int iUnit)
    {
        DEVICEPROPERTYHEADER dev = DevHeader(printer.h, 0);
        PLATSCRIPTSTEP ok[] = {Step(PSS_CHOOSE, 804, iUnit), Step(PSS_OK)};
        ASSERT_TRUE(PlatScriptOnDialog(800, ok, 2));
        DWORD dwResult = 99;
        CommonPropertySheetUIW(NULL, HostDeviceBody, (LPARAM)&dev, &dwResult);
        EXPECT_EQ(Narrow(PlatScriptError()), "");
        ASSERT_EQ(dwResult, (DWORD)CPSUI_OK);
    }
    BYTE Published(LPCWSTR pszValue)
    {
        BYTE b = 0xFF;
        DWORD dwType = 0, cb = 0;
        if (GetPrinterDataExW(printer.h, u"DsDriver", pszValue, &dwType, &b, 1, &cb) != ERROR_SUCCESS)
            return 0xEE;
        EXPECT_EQ(dwType, (DWORD)REG_BINARY);
        EXPECT_EQ(cb, 1u);
        return b;
    }
    // The output unit value the printer's default holds now.
    SHORT StoredOutputUnit()
    {
        DEVICEPROPERTYHEADER dev = DevHeader(printer.h, 0);
        FAKEHOST host;
        InitFakeHost(&host, DeviceBody, (LPARAM)&dev);
        EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        UISETTINGS* p = SheetOf(&host)->pSettings;
        BindFeatureFields(p);
        SHORT s = GetFeatureValue(804);
        DropPages(&host);
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        return s;
    }
    // Opens the document sheet, runs the steps on the Finishing page and
    // answers the DEVMODE written on OK.
    std::vector<BYTE> DocumentWith(std::vector<PLATSCRIPTSTEP> steps, DWORD* pdwResult)
    {
        std::vector<BYTE> out(DRVUI_CB_DEVMODE, kSentinel);
        DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_PROMPT | DM_COPY, nullptr, (DEVMODEW*)out.data());
        steps.insert(steps.begin(), Step(PSS_PICKTAB, 0, 2));
        steps.push_back(Step(PSS_OK));
        EXPECT_TRUE(PlatScriptOnDialog(100, steps.data(), (int)steps.size()));
        CommonPropertySheetUIW(NULL, HostDocumentBody, (LPARAM)&doc, pdwResult);
        return out;
    }
    std::string Print(std::vector<BYTE>& dm)
    {
        CreateDirectoryW(u"C:\\ports", nullptr);
        EXPECT_TRUE(PlatInstallPrinter(u"QX-730 FinOpt", u"C:\\ports\\finopt.prn", nullptr));
        HDC hdc = CreateDCW(nullptr, u"QX-730 FinOpt", nullptr, (DEVMODEW*)dm.data());
        EXPECT_NE(nullptr, hdc);
        if (!hdc)
            return {};
        DOCINFOW di = {sizeof(DOCINFOW), u"Finishing", nullptr, nullptr, 0};
        EXPECT_GT(StartDocW(hdc, &di), 0);
        EXPECT_GT(StartPage(hdc), 0);
        Rectangle(hdc, 100, 100, 400, 400);
        EXPECT_GT(EndPage(hdc), 0);
        EXPECT_GT(EndDoc(hdc), 0);
        DeleteDC(hdc);
        std::ifstream in(TestRootFile("c/ports/finopt.prn"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string Line(const std::string& job, const std::string& key)
    {
        size_t at = job.find("@PJL SET " + key + " = ");
        if (at == std::string::npos)
            return "";
        return job.substr(at, job.find('\n', at) - at);
    }
    // Whether the document sheet's Finishing page, with production printing
    // on, lets the user switch stapling on.
    bool StapleOffered()
    {
        DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_COPY);
        FAKEHOST host;
        InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
        EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        PROPSHEETHEADERW psh = {};
        psh.dwSize = sizeof(psh);
        psh.dwFlags = PSH_MODELESS | PSH_PROPTITLE;
        psh.pszCaption = SheetPrinter();
        psh.nPages = (UINT)host.pages.size();
        psh.phpage = host.pages.data();
        HWND hSheet = (HWND)PropertySheetW(&psh);
        host.pages.clear();
        SendMessageW(hSheet, PSM_SETCURSEL, 2, 0);
        HWND hPage = (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        if (IsDlgButtonChecked(hPage, 301) != BST_CHECKED) {
            EXPECT_TRUE(PlatScriptClick(hSheet, 301, nullptr));
        }
        bool bOffered = IsWindowEnabled(GetDlgItem(hPage, 319)) != FALSE;
        DestroyWindow(hSheet);
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        return bOffered;
    }
    SheetPrinterHandle printer;
};

TEST_F(ThroughTheHost, OkOnTheOptionsPagePublishesTheCapabilities)
{
    // Position 0 is no output unit (value 1), the others units that staple.
    struct Row {
        int iUnit;
        BYTE bStapling;
    } rows[] = {{1, 1}, {0, 0}, {2, 1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.iUnit);
        InstallOutputUnit(r.iUnit);
        SHORT sUnit = StoredOutputUnit();
        EXPECT_EQ(sUnit == 1 ? 0 : 1, r.bStapling) << "unit " << sUnit;
        EXPECT_EQ(Published(u"printStaplingSupported"), r.bStapling);
        EXPECT_EQ(Published(u"printDuplexSupported"), 1);
    }
}

TEST_F(ThroughTheHost, StapleChosenOnTheFinishingPageReachesTheJobOnlyWithAnOutputUnit)
{
    // An output unit installed: the Finishing page offers stapling and the
    // position chosen there is printed.
    InstallOutputUnit(2);
    ASSERT_NE(StoredOutputUnit(), 1);
    EXPECT_TRUE(StapleOffered());
    DWORD dwResult = 99;
    std::vector<BYTE> dm = DocumentWith({Step(PSS_CHECK, 301, -1, BST_CHECKED), Step(PSS_CHECK, 319, -1, BST_CHECKED),
                                         Step(PSS_CHOOSE, 320, 0)},
                                        &dwResult);
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    ASSERT_EQ(dwResult, (DWORD)CPSUI_OK);
    std::string job = Print(dm);
    std::string staple = Line(job, "STAPLEPOSITION");
    EXPECT_NE(staple, "") << job.substr(0, 1500);
    EXPECT_NE(staple, "@PJL SET STAPLEPOSITION = OFF");

    // The unit taken out again: the page no longer offers stapling, and
    // the job staples nothing.
    InstallOutputUnit(0);
    ASSERT_EQ(StoredOutputUnit(), 1);
    PlatScriptReset();
    EXPECT_FALSE(StapleOffered());
    dm = DocumentWith({Step(PSS_CHECK, 301, -1, BST_CHECKED)}, &dwResult);
    ASSERT_EQ(dwResult, (DWORD)CPSUI_OK);
    job = Print(dm);
    EXPECT_EQ(Line(job, "STAPLEPOSITION"), "@PJL SET STAPLEPOSITION = OFF");
}

}  // namespace
