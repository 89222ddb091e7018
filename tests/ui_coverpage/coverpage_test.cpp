// The Cover / Insert page of the document sheet on the driver's own
// templates: its refresh bits and their order, the bypass paper type with
// the OHP interleave details, and the insert-sheet list (rows, selection
// rules, sorting, tab numbering, add / edit / delete / move, the tab-paper
// sets behind it).
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/comctl/commctrl.h"
#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "tests/common/testroot.h"
#include "ui/driverui/docevent_store.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/pages/coverpage.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/insertwork.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 128 ? (char)c : '?';
    return r;
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

INSERTSHEET Entry(const char16_t* pszPages, WORD wType, WORD wTray = 4096, WORD wIndex = 0,
                  const char16_t* pszTab = u"", WORD wPos = 0, LONG lAuto = 1)
{
    INSERTSHEET e = {};
    lstrcpynW(e.szPages, pszPages, INSERTSHEET_PAGES_CCH);
    e.wPrintType = wType;
    e.wTray = wTray;
    e.wState = INSERTSHEET_AVAILABLE;
    e.wBinding = 1;
    e.wUseIndex = wIndex;
    lstrcpynW(e.szTabText, pszTab, INSERTSHEET_TEXT_CCH);
    e.wTabPosition = wPos;
    e.lTabAuto = lAuto;
    e.wTabDirection = 2;
    e.wTabAlign = 2;
    lstrcpynW(e.szFace, u"Arial", INSERTSHEET_FACE_CCH);
    e.wFontStyle = 1;
    e.wFontSize = 12;
    return e;
}

std::string Pages(const INSERTSHEET* e, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += (i ? "|" : "") + Narrow(e[i].szPages);
    return s;
}

// ---- Tables ----

TEST(CoverPageBits, ControlsMapToTheirRefreshBits)
{
    struct Row {
        WORD wId;
        DWORD dwBits;
    } rows[] = {
        {201, 0x1},      {202, 0x2},      {203, 0x2},      {205, 0x4},      {206, 0x8},     {207, 0x8},
        {210, 0x10},     {215, 0x1000},   {212, 0x2000},   {214, 0x4000},   {231, 0x8000},  {233, 0x10000},
        {234, 0x10000},  {235, 0x20000},  {236, 0x20000},  {247, 0x40000},  {163, 0x80000}, {164, 0x80000},
        {240, 0x100000},
        // Outside 163..247, and ids of the range without a row.
        {162, 0},        {248, 0},        {249, 0},        {204, 0},        {211, 0},       {237, 0},
        {2024, 0},       {0, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetCoverDirtyBits(r.wId), r.dwBits) << r.wId;
}

TEST(InsertSheetIcons, ByPrintTypeIndexPaperAndDuplex)
{
    struct Row {
        WORD wType;
        WORD wIndex;
        const char16_t* tab;
        BOOL bDuplex;
        WORD wIcon;
    } rows[] = {
        {0, 0, u"", FALSE, 14000}, {0, 1, u"A", FALSE, 14006}, {0, 1, u"", FALSE, 14003},
        {1, 0, u"", FALSE, 14002}, {1, 1, u"A", FALSE, 14008}, {1, 1, u"", FALSE, 14005},
        {2, 0, u"", TRUE, 14009},  {2, 1, u"A", FALSE, 14012}, {2, 1, u"", FALSE, 14011},
        {3, 0, u"", FALSE, 14010}, {3, 1, u"A", FALSE, 14010}, {3, 1, u"", FALSE, 14010},
        {4, 0, u"", TRUE, 14010},  {4, 0, u"", FALSE, 14009},  {4, 1, u"A", TRUE, 14012},
        {4, 1, u"", FALSE, 14011}, {5, 0, u"", FALSE, 14013},  {5, 1, u"A", FALSE, 14013},
        {6, 0, u"", FALSE, 14001}, {6, 1, u"A", FALSE, 14007}, {6, 1, u"", FALSE, 14004},
    };
    for (const Row& r : rows) {
        INSERTSHEET e = Entry(u"1", r.wType, 4096, r.wIndex, r.tab);
        EXPECT_EQ(InsertSheetRowIcon(&e, r.bDuplex), r.wIcon) << r.wType << "/" << r.wIndex << "/" << r.bDuplex;
    }
    EXPECT_EQ(InsertSheetRowIcon(nullptr, FALSE), 14009);
    EXPECT_EQ(InsertSheetRowIcon(nullptr, TRUE), 14010);
}

TEST(InsertSheetSort, ByColumnStableAndReversible)
{
    struct Row {
        int iColumn;
        BOOL bDesc;
        const char* order;
    } rows[] = {
        // Column 0: first page, then print type 6, 5, {2,3,4}, {0,1}.
        {0, FALSE, "3|3-4|3,9|10|12"},
        {0, TRUE, "12|10|3,9|3-4|3"},
        // Column 1: print type; equal types keep their order.
        {1, FALSE, "10|3,9|12|3-4|3"},
        {1, TRUE, "3|3-4|10|3,9|12"},
        // Column 4: index paper first, by tab text; the rest keep their order.
        {4, FALSE, "3,9|3|10|12|3-4"},
        // Column 5: by tab position, entries without index paper last.
        {5, FALSE, "3|3,9|10|12|3-4"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.iColumn);
        INSERTSHEET e[5] = {Entry(u"10", 0, 4096, 0), Entry(u"3", 6, 4096, 1, u"B", 1, 0),
                            Entry(u"3,9", 0, 4096, 1, u"A", 2, 0), Entry(u"12", 0, 4096, 0),
                            Entry(u"3-4", 5, 4096, 0)};
        ASSERT_TRUE(SortInsertSheets(e, 5, r.iColumn, r.bDesc));
        EXPECT_EQ(Pages(e, 5), r.order);
    }
    INSERTSHEET one = Entry(u"1", 0);
    EXPECT_FALSE(SortInsertSheets(&one, 1, 0, FALSE));
}

TEST(InsertSheetTabs, NumberedByFirstPageWithWrap)
{
    struct Row {
        const char* name;
        std::vector<INSERTSHEET> in;
        int nTabs;
        BOOL bAll;
        std::vector<int> positions;
    } rows[] = {
        {"three automatic, two tabs", {Entry(u"1", 0, 4096, 1), Entry(u"5", 0, 4096, 1), Entry(u"9", 0, 4096, 1)}, 2,
         FALSE, {1, 2, 1}},
        {"list order is not page order", {Entry(u"9", 0, 4096, 1), Entry(u"1", 0, 4096, 1), Entry(u"5", 0, 4096, 1)},
         5, FALSE, {3, 1, 2}},
        {"a fixed position is kept and counted on from",
         {Entry(u"1", 0, 4096, 1), Entry(u"5", 0, 4096, 1, u"", 4, 0), Entry(u"9", 0, 4096, 1)}, 5, FALSE, {1, 4, 5}},
        {"all automatic after a tab count change",
         {Entry(u"1", 0, 4096, 1), Entry(u"5", 0, 4096, 1, u"", 4, 0), Entry(u"9", 0, 4096, 1)}, 3, TRUE, {1, 2, 3}},
        {"equal pages: 6 first, 1 last",
         {Entry(u"4", 1, 4096, 1), Entry(u"4", 0, 4096, 1), Entry(u"4", 6, 4096, 1)}, 5, FALSE, {3, 2, 1}},
        {"equal pages and print types keep the list order",
         {Entry(u"4", 2, 4096, 1), Entry(u"4", 2, 4096, 1), Entry(u"4", 2, 4096, 1), Entry(u"1", 2, 4096, 1),
          Entry(u"4", 2, 4096, 1), Entry(u"4", 2, 4096, 1)},
         9, FALSE, {2, 3, 4, 1, 5, 6}},
        {"without index paper nothing is numbered", {Entry(u"1", 0, 4096, 0, u"", 7, 1), Entry(u"2", 0, 4096, 1)}, 5,
         FALSE, {7, 1}},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.name);
        NumberInsertSheetTabs(r.in.data(), (int)r.in.size(), r.nTabs, r.bAll);
        for (size_t i = 0; i < r.in.size(); ++i)
            EXPECT_EQ(r.in[i].wTabPosition, r.positions[i]) << i;
    }
}

// ---- An open sheet on the driver's own templates ----

class CoverPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every test starts from a printer whose user has no stored lists.
        if (!bKeepRoot)
            TestNewRoot();
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatBeepReset();
        PlatScriptReset();
        ASSERT_TRUE(OpenPrinterW(SheetPrinter(), &hPrinter, NULL));
        doc.cbSize = sizeof(doc);
        doc.hPrinter = hPrinter;
        doc.pszPrinterName = SheetPrinter();
        doc.fMode = DM_PROMPT | DM_COPY | dwPermission;
        InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
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
        SendMessageW(hSheet, PSM_SETCURSEL, 1, 0);
        hPage = (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        ASSERT_EQ(PlatGetWindowTemplateId(hPage), 200);
        hList = GetDlgItem(hPage, 249);
        ASSERT_NE(hList, nullptr);
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
    LRESULT Notify(UINT uCode)
    {
        PSHNOTIFY n = {};
        n.hdr.hwndFrom = hSheet;
        n.hdr.code = uCode;
        SetWindowLongPtrW(hPage, DWLP_MSGRESULT, 0x5A5A);
        SendMessageW(hPage, WM_NOTIFY, 0, (LPARAM)&n);
        return GetWindowLongPtrW(hPage, DWLP_MSGRESULT);
    }
    SHORT Feature(WORD wId)
    {
        BindFeatureFields(pObj);
        return GetFeatureValue(wId);
    }
    // Insert sheets on, through the page.
    void InsertsOn()
    {
        if (IsDlgButtonChecked(hPage, 215) != BST_CHECKED) {
            ASSERT_TRUE(PlatScriptClick(hSheet, 215, nullptr));
        }
        ASSERT_EQ(Feature(215), 1);
    }
    // Puts entries into the object's table and shows them.
    void Load(std::vector<INSERTSHEET> v)
    {
        INSERTSHEET* t = GetInsertSheetTable(pObj);
        ASSERT_NE(t, nullptr);
        memset(t, 0, INSERTLIST_MAX * sizeof(INSERTSHEET));
        for (size_t i = 0; i < v.size(); ++i)
            t[i] = v[i];
        SetInsertSheetCount(pObj, (int)v.size());
        InsertSheetFillList(hPage, pObj);
    }
    int Selected() { return ListView_GetNextItem(hList, -1, LVNI_SELECTED); }
    std::string Rows()
    {
        std::string s;
        for (int i = 1; i < ListView_GetItemCount(hList); ++i) {
            WCHAR sz[130] = {};
            LVITEMW it = {};
            it.pszText = sz;
            it.cchTextMax = 130;
            SendMessageW(hList, LVM_GETITEMTEXTW, (WPARAM)i, (LPARAM)&it);
            s += (i > 1 ? "|" : "") + Narrow(sz);
        }
        return s;
    }
    std::u16string Cell(int iRow, int iSub)
    {
        WCHAR sz[130] = {};
        LVITEMW it = {};
        it.iSubItem = iSub;
        it.pszText = sz;
        it.cchTextMax = 130;
        SendMessageW(hList, LVM_GETITEMTEXTW, (WPARAM)iRow, (LPARAM)&it);
        return sz;
    }
    // A click of the scripted user on a row of the list.
    void ClickRow(int iRow)
    {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        ASSERT_TRUE(SendMessageW(hList, LVM_GETITEMRECT, (WPARAM)iRow, (LPARAM)&rc));
        LPARAM lp = MAKELPARAM(rc.left + 30, (rc.top + rc.bottom) / 2);
        SendMessageW(hList, WM_LBUTTONDOWN, MK_LBUTTON, lp);
        SendMessageW(hList, WM_LBUTTONUP, 0, lp);
    }
    void ClickColumn(int iCol)
    {
        int x = 0;
        for (int k = 0; k < iCol; ++k)
            x += (int)SendMessageW(hList, LVM_GETCOLUMNWIDTH, (WPARAM)k, 0);
        LPARAM lp = MAKELPARAM(x + 10, 5);
        SendMessageW(hList, WM_LBUTTONDOWN, MK_LBUTTON, lp);
        SendMessageW(hList, WM_LBUTTONUP, 0, lp);
    }

    DWORD dwPermission = 0;
    BOOL bKeepRoot = FALSE;
    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    HWND hSheet = nullptr;
    HWND hPage = nullptr;
    HWND hList = nullptr;
};

TEST_F(CoverPage, LooksRight)
{
    InsertsOn();
    // An index-paper entry and an entry the settings cannot print.
    Load({Entry(u"3", 6, 4096, 1, u"Chapter 1", 1, 1), Entry(u"5,8-9", 4, 4096), Entry(u"12", 1, 4096)});
    GetInsertSheetTable(pObj)[1].wState = INSERTSHEET_UNAVAILABLE;
    InsertSheetFillList(hPage, pObj);
    ClickRow(1);
    LONG lGdi = PlatGdiLiveObjects();
    UpdateWindow(hSheet);
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/coverpage.png"));
    EXPECT_EQ(PlatGdiLiveObjects(), lGdi);
    EXPECT_EQ(ListView_GetItemCount(hList), 4);
    EXPECT_EQ(Cell(1, 4), u"Chapter 1");
    EXPECT_EQ(Cell(1, 5), u" 1/5*");
    EXPECT_EQ(Cell(2, 4), u"");
    EXPECT_EQ(Cell(0, 0), GetResString(28511));
}

TEST_F(CoverPage, RefreshAfterAChangeRedrawsOnlyThatControl)
{
    BindFeatureFields(pObj);
    // The check box shows the opposite of its setting, the tray combo nothing.
    CheckDlgButton(hPage, 201, GetFeatureValue(201) == 1 ? BST_UNCHECKED : BST_CHECKED);
    const UINT uWrong = IsDlgButtonChecked(hPage, 201);
    SendDlgItemMessageW(hPage, 212, CB_RESETCONTENT, 0, 0);
    DWORD* pMask = PageRefreshMask(pObj, PAGE_COVER);
    ASSERT_NE(pMask, nullptr);
    *pMask = 0x1 | 0x2000;  // both flagged, as another change might leave them
    EXPECT_EQ(CoverPageMarkDirty(hPage, 212), 0x2000);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 201), uWrong);
    EXPECT_GT(SendDlgItemMessageW(hPage, 212, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(*pMask, 0u);

    // Cover insertion: its own bit, then the view radios.
    CheckDlgButton(hPage, 163, BST_UNCHECKED);
    CheckDlgButton(hPage, 164, BST_UNCHECKED);
    EXPECT_EQ(CoverPageMarkDirty(hPage, 240), 0x180000);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 163) | IsDlgButtonChecked(hPage, 164), (UINT)BST_CHECKED);
    // Ids without a row; a sub-dialog's window stands for the open page.
    EXPECT_EQ(CoverPageMarkDirty(hPage, 248), 0);
    EXPECT_EQ(CoverPageMarkDirty(hSheet, 201), 0x1);
}

TEST_F(CoverPage, TheRadioAlreadyOnChangesNothing)
{
    if (IsDlgButtonChecked(hPage, 201) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 201, nullptr));
    }
    ASSERT_EQ(Feature(202), 2);  // blank
    HWND hApply = GetDlgItem(hSheet, IDC_PSAPPLYNOW);
    ASSERT_NE(hApply, nullptr);
    SendMessageW(hSheet, PSM_UNCHANGED, (WPARAM)hPage, 0);
    ASSERT_FALSE(IsWindowEnabled(hApply));
    ASSERT_TRUE(PlatScriptClick(hSheet, 202, nullptr));
    EXPECT_FALSE(IsWindowEnabled(hApply));
    EXPECT_EQ(Feature(202), 2);
    ASSERT_TRUE(PlatScriptClick(hSheet, 203, nullptr));
    EXPECT_TRUE(IsWindowEnabled(hApply));
    EXPECT_EQ(Feature(202), 3);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 202), (UINT)BST_UNCHECKED);
}

TEST_F(CoverPage, TransparenciesAskForTheInterleaveSheets)
{
    // The bypass tray's paper type counts once a cover comes from it.
    if (IsDlgButtonChecked(hPage, 201) != BST_CHECKED) {
        ASSERT_TRUE(PlatScriptClick(hSheet, 201, nullptr));
    }
    const FVLHEADER* pTrays = GetFeatureListHeader(212);
    ASSERT_NE(pTrays, nullptr);
    WORD wBypass = GetEnabledItemPosition(pTrays, 4);
    ASSERT_NE(wBypass, POSITION_NONE);
    ASSERT_TRUE(PlatScriptChoose(hSheet, 212, nullptr, nullptr, wBypass));
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hPage, 231))) << "the bypass paper type stays disabled";
    // The printer's cover paper types do not offer transparencies; the
    // fixture turns its last type into them.
    FVLHEADER* pTypes = GetFeatureListHeader(231);
    ASSERT_NE(pTypes, nullptr);
    WORD wLast = GetItemPosition(pTypes, 128);
    ASSERT_NE(wLast, POSITION_NONE);
    GetValueListItem(pTypes, wLast)->sValue = 127;
    lstrcpynW(GetValueListItem(pTypes, wLast)->szText, u"OHP interleave", 64);
    CoverPageMarkDirty(hPage, 231);
    WORD wOhp = GetEnabledItemPosition(pTypes, 127);
    ASSERT_NE(wOhp, POSITION_NONE);
    const SHORT s231 = Feature(231), s122 = Feature(122);
    ASSERT_NE(s231, 127);
    const LRESULT kBefore = SendDlgItemMessageW(hPage, 231, CB_GETCURSEL, 0, 0);

    PLATSCRIPTSTEP cancel[] = {Step(PSS_CANCEL)};
    ASSERT_TRUE(PlatScriptOnDialog(2020, cancel, 1));
    ASSERT_TRUE(PlatScriptChoose(hSheet, 231, nullptr, nullptr, wOhp));
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    EXPECT_EQ(Feature(231), s231);
    EXPECT_EQ(Feature(122), s122);
    EXPECT_EQ(SendDlgItemMessageW(hPage, 231, CB_GETCURSEL, 0, 0), kBefore);
    EXPECT_EQ(GetActivePageId(pObj), PAGE_COVER);

    PLATSCRIPTSTEP ok[] = {Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(2020, ok, 1));
    ASSERT_TRUE(PlatScriptChoose(hSheet, 231, nullptr, nullptr, wOhp));
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    EXPECT_EQ(Feature(231), 127);
}

TEST_F(CoverPage, RowZeroNeverStaysSelected)
{
    InsertsOn();
    Load({Entry(u"3", 2), Entry(u"5", 2), Entry(u"7", 2)});
    // A click on the document row goes back to the entry selected before.
    ClickRow(2);
    ASSERT_EQ(Selected(), 2);
    ClickRow(0);
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(GetSelectedInsertSheet(hPage), 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hPage, 252)));

    // Up on row 1 stays on row 1, and so does Page Up.
    for (UINT vk : {(UINT)VK_UP, (UINT)VK_PRIOR}) {
        ClickRow(1);
        ASSERT_EQ(Selected(), 1);
        SetFocus(hList);
        ASSERT_TRUE(PlatScriptPressKey(hSheet, vk, 0));
        EXPECT_EQ(Selected(), 1) << vk;
    }
    // Without any entry selected before, the document row selects nothing.
    Load({Entry(u"3", 2)});
    COVERPAGEREC* r = (COVERPAGEREC*)PageGetRecord(hPage);
    r->iLastRow = -1;
    ClickRow(0);
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(GetSelectedInsertSheet(hPage), -1);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hPage, 251)));
}

TEST_F(CoverPage, ColumnClicksSortAndReverse)
{
    InsertsOn();
    Load({Entry(u"9", 2)});
    ClickColumn(0);
    EXPECT_EQ(Rows(), "9");
    COVERPAGEREC* r = (COVERPAGEREC*)PageGetRecord(hPage);
    DWORD dwSortDesc = r->adwSortDesc[0];  // copied out of the packed record
    EXPECT_EQ(dwSortDesc, 0u);  // a single entry is not sorted

    Load({Entry(u"9", 2), Entry(u"2", 2), Entry(u"5", 2)});
    ClickColumn(0);
    EXPECT_EQ(Rows(), "9|5|2");
    ClickColumn(0);
    EXPECT_EQ(Rows(), "2|5|9");
    EXPECT_EQ(Pages(GetInsertSheetTable(pObj), 3), "2|5|9");
}

TEST_F(CoverPage, DeleteMoveAndTheirSelection)
{
    InsertsOn();
    Load({Entry(u"1", 2), Entry(u"2", 2), Entry(u"3", 2)});
    struct Row {
        int iClick;    // row clicked first
        WORD wButton;  // then this button
        const char* rows;
        int iSelected; // row selected afterwards
        int cBeeps;
    } rows[] = {
        {3, 253, "1|3|2", 2, 0},  // up
        {1, 253, "1|3|2", 1, 1},  // up on the first entry beeps
        {1, 254, "3|1|2", 2, 0},  // down
        {3, 254, "3|1|2", 3, 1},  // down on the last beeps
        {3, 252, "3|1", 2, 0},    // deleting the last selects the new last
        {1, 252, "1", 1, 0},      // deleting the first selects the one that moved up
        {1, 252, "", -1, 0},      // nothing left to select
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.rows);
        ClickRow(r.iClick);
        PlatBeepReset();
        ASSERT_TRUE(PlatScriptClick(hSheet, r.wButton, nullptr)) << Narrow(PlatScriptError());
        EXPECT_EQ(Rows(), r.rows);
        EXPECT_EQ(Pages(GetInsertSheetTable(pObj), GetInsertSheetCount(pObj)), r.rows);
        EXPECT_EQ(Selected(), r.iSelected);
        EXPECT_EQ(PlatBeepCount(), r.cBeeps);
    }
    EXPECT_EQ(GetInsertSheetCount(pObj), 0);
    // The freed entries are cleared.
    INSERTSHEET zero = {};
    EXPECT_EQ(memcmp(&GetInsertSheetTable(pObj)[0], &zero, sizeof(zero)), 0);
}

TEST_F(CoverPage, TheHundredAndTwentyNinthSheetIsRefused)
{
    InsertsOn();
    std::vector<INSERTSHEET> v;
    for (int i = 0; i < INSERTLIST_MAX; ++i) {
        std::u16string s;
        for (char c : std::to_string(i + 1))
            s += (char16_t)c;
        v.push_back(Entry(s.c_str(), 2));
    }
    Load(v);
    PlatMsgBoxReset();
    ASSERT_TRUE(PlatScriptClick(hSheet, 250, nullptr));
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(BoxText(0), GetResString(28585));
    EXPECT_EQ(BoxCaption(0), GetResString(20157));
    EXPECT_EQ(GetInsertSheetCount(pObj), INSERTLIST_MAX);
    EXPECT_EQ(ListView_GetItemCount(hList), INSERTLIST_MAX + 1);
}

TEST_F(CoverPage, ApplyStoresTheListAndCancelStoresNothing)
{
    InsertsOn();
    const int iList = GetParamEdited(pObj, 114);
    ASSERT_GE(iList, 1);
    int nStored = -1;
    ASSERT_TRUE(GetInterSheetItemValue(SheetPrinter(), iList, &nStored));
    ASSERT_EQ(nStored, 0);
    Load({Entry(u"3", 2, 4096), Entry(u"5", 6, 4096, 1, u"Chapter 1", 1, 1)});
    // Leaving the page hands the table back to its set, but nothing is stored.
    EXPECT_EQ(Notify(PSN_KILLACTIVE), FALSE);
    ASSERT_TRUE(GetInterSheetItemValue(SheetPrinter(), iList, &nStored));
    EXPECT_EQ(nStored, 0);

    Notify(PSN_APPLY);
    INTERSHEETITEMS items = {};
    ASSERT_TRUE(LoadInterSheetItems(SheetPrinter(), iList, &items));
    ASSERT_EQ(items.n, 2);
    EXPECT_EQ(memcmp(items.pEntries, GetInsertSheetTable(pObj), 2 * sizeof(INSERTSHEET)), 0);
    FreeInterSheetItems(&items);
    EXPECT_EQ(GetSheetState(pObj, UIS_STATE_APPLIED), 1u);

    // A later change that is not applied stays out of the store.
    ClickRow(1);
    ASSERT_TRUE(PlatScriptClick(hSheet, 252, nullptr));
    ASSERT_EQ(GetInsertSheetCount(pObj), 1);
    DestroyWindow(hSheet);
    hSheet = nullptr;
    ASSERT_TRUE(GetInterSheetItemValue(SheetPrinter(), iList, &nStored));
    EXPECT_EQ(nStored, 2);
}

TEST_F(CoverPage, AnotherTabCountNumbersEveryIndexSheetAgain)
{
    InsertsOn();
    Load({Entry(u"1", 2, 4096, 1, u"A", 1, 1), Entry(u"5", 2, 4096, 1, u"B", 4, 0), Entry(u"9", 2, 4096, 1, u"C", 3, 1)});
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hPage, 255)));
    // Two tabs a set (the first item), chosen in the index paper dialog.
    PLATSCRIPTSTEP steps[] = {Step(PSS_CHOOSE, 2726, 0), Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(2720, steps, 2));
    ASSERT_TRUE(PlatScriptClick(hSheet, 255, nullptr));
    ASSERT_EQ(Narrow(PlatScriptError()), "");
    ASSERT_EQ(GetParamEdited(pObj, 185), 2);
    const INSERTSHEET* t = GetInsertSheetTable(pObj);
    EXPECT_EQ(t[0].wTabPosition, 1);
    EXPECT_EQ(t[1].wTabPosition, 2);
    EXPECT_EQ(t[2].wTabPosition, 1);
    EXPECT_EQ(t[1].lTabAuto, 1);  // the fixed position became automatic
    EXPECT_EQ(Cell(3, 5), u" 1/2*");

    // The same count again renumbers nothing.
    GetInsertSheetTable(pObj)[1].lTabAuto = 0;
    ASSERT_TRUE(PlatScriptOnDialog(2720, steps, 2));
    ASSERT_TRUE(PlatScriptClick(hSheet, 255, nullptr));
    EXPECT_EQ(GetInsertSheetTable(pObj)[1].lTabAuto, 0);
}

TEST_F(CoverPage, EachListKeepsItsOwnSheets)
{
    InsertsOn();
    ASSERT_EQ(GetParamEdited(pObj, 114), 1);
    Load({Entry(u"3", 2), Entry(u"7", 2)});
    ASSERT_TRUE(PlatScriptChoose(hSheet, 247, nullptr, nullptr, 1));
    ASSERT_EQ(Feature(247), 2);
    EXPECT_EQ(GetInsertSheetCount(pObj), 0);
    EXPECT_EQ(ListView_GetItemCount(hList), 1);
    Load({Entry(u"11", 2)});
    ASSERT_TRUE(PlatScriptChoose(hSheet, 247, nullptr, nullptr, 0));
    EXPECT_EQ(Rows(), "3|7");
    ASSERT_TRUE(PlatScriptChoose(hSheet, 247, nullptr, nullptr, 1));
    EXPECT_EQ(Rows(), "11");
}

TEST_F(CoverPage, TheDefaultsDialogNamesTheList)
{
    InsertsOn();
    PLATSCRIPTSTEP steps[] = {Step(PSS_TYPE, 2433), Step(PSS_OK)};
    steps[0].pszText = u"Chapters";
    ASSERT_TRUE(PlatScriptOnDialog(2430, steps, 2));
    ASSERT_TRUE(PlatScriptClick(hSheet, 248, nullptr));
    ASSERT_EQ(Narrow(PlatScriptError()), "");
    WCHAR sz[64] = {};
    GetDlgItemTextW(hPage, 247, sz, 64);
    EXPECT_EQ(std::u16string(sz), u"Chapters");
    Notify(PSN_APPLY);
    DestroyWindow(hSheet);
    hSheet = nullptr;
    // A new sheet shows the stored name.
    CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
    pObj = nullptr;
    ClosePrinter(hPrinter);
    hPrinter = NULL;
    bKeepRoot = TRUE;
    SetUp();
    GetDlgItemTextW(hPage, 247, sz, 64);
    EXPECT_EQ(std::u16string(sz), u"Chapters");
}

// ---- Add and edit through the insert sheet dialog ----

TEST_F(CoverPage, AddEditAndCancelThroughTheDialog)
{
    InsertsOn();
    struct Row {
        const char* name;
        WORD wButton;        // 250 add, 251 edit (of row 1)
        const char16_t* pages;
        BOOL bOk;
        const char* rows;     // page lists afterwards
    } rows[] = {
        {"add", 250, u"3", TRUE, "3"},
        {"add another", 250, u"7-8", TRUE, "3|7-8"},
        {"cancelled add", 250, u"9", FALSE, "3|7-8"},
        {"edit", 251, u"5,2", TRUE, "2,5|7-8"},
        {"cancelled edit", 251, u"6", FALSE, "2,5|7-8"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (r.wButton == 251)
            ClickRow(1);
        PLATSCRIPTSTEP steps[] = {Step(PSS_TYPE, 2403), Step(r.bOk ? PSS_OK : PSS_CANCEL)};
        steps[0].pszText = r.pages;
        ASSERT_TRUE(PlatScriptOnDialog(2400, steps, 2));
        ASSERT_TRUE(PlatScriptClick(hSheet, r.wButton, nullptr)) << Narrow(PlatScriptError());
        EXPECT_EQ(Narrow(PlatScriptError()), "");
        EXPECT_EQ(Rows(), r.rows);
        EXPECT_EQ(Pages(GetInsertSheetTable(pObj), GetInsertSheetCount(pObj)), r.rows);
        EXPECT_EQ(GetActivePageId(pObj), PAGE_COVER);
    }
    // The added entry is the row selected afterwards, with its defaults.
    const INSERTSHEET& e = GetInsertSheetTable(pObj)[1];
    EXPECT_EQ(e.wTray, 4096);
    EXPECT_EQ(e.wUseIndex, 0);
    EXPECT_EQ(e.lTabAuto, 1);
    // Applied, the records the job will read are the ones the dialog made.
    Notify(PSN_APPLY);
    INTERSHEETITEMS items = {};
    ASSERT_TRUE(LoadInterSheetItems(SheetPrinter(), GetParamEdited(pObj, 114), &items));
    ASSERT_EQ(items.n, 2);
    EXPECT_EQ(memcmp(items.pEntries, GetInsertSheetTable(pObj), 2 * sizeof(INSERTSHEET)), 0);
    FreeInterSheetItems(&items);
}

TEST_F(CoverPage, SheetsFromTheJobsTrayTakeTheBypassPaperType)
{
    InsertsOn();
    // The job feeds thick paper from the bypass tray; the covers' type differs.
    BindFeatureFields(pObj);
    SetFeatureValue(120, 4);
    SetFeatureValue(122, 5);
    SetFeatureValue(231, 1);
    PLATSCRIPTSTEP steps[] = {Step(PSS_TYPE, 2403), Step(PSS_OK)};
    steps[0].pszText = u"2";
    ASSERT_TRUE(PlatScriptOnDialog(2400, steps, 2));
    PlatMsgBoxReset();
    ASSERT_TRUE(PlatScriptClick(hSheet, 250, nullptr)) << Narrow(PlatScriptError());
    ASSERT_EQ(GetInsertSheetCount(pObj), 1);
    ASSERT_EQ(GetInsertSheetTable(pObj)[0].wTray, 4096);
    EXPECT_EQ(Feature(231), 5);
    EXPECT_EQ(Feature(122), 5);
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(BoxCaption(0), GetResString(20157));
    std::u16string want = GetResString(28582);
    WCHAR szLine[256];
    wnsprintfW(szLine, 256, GetResString(22310), GetFeatureName(231), GetValueName(231, 5));
    want += szLine;
    EXPECT_EQ(BoxText(0), want);
}

TEST_F(CoverPage, EditingReplacesWhatTheSettingsNoLongerAllow)
{
    InsertsOn();
    struct Row {
        const char* name;
        INSERTSHEET e;
        BOOL bDuplexNoMixplex;  // duplex on, sheets not chosen simplex or duplex one by one
        SHORT sTray, sIndex;    // the dialog's values when it opens
        DWORD dwTray, dwIndex;  // the working record's flags
    } rows[] = {
        {"a paper source the printer does not offer", Entry(u"3", 2, 999), FALSE, 4096, 0, 1, 0},
        {"usable as stored", Entry(u"3", 2, 1), FALSE, 1, 0, 0, 0},
        {"index paper with duplex", Entry(u"3", 2, 1, 1, u"A"), TRUE, 1, 0, 0, 1},
        {"index paper without duplex", Entry(u"3", 2, 1, 1, u"A"), FALSE, 1, 1, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        BindFeatureFields(pObj);
        DlgSetSetting(pObj, u"Layout_Check2", r.bDuplexNoMixplex ? 1 : 0);
        DlgSetSetting(pObj, u"Duplex_Check", r.bDuplexNoMixplex ? 1 : 0);
        SetFeatureValue(2434, 0);
        Load({r.e});
        ClickRow(1);
        SHORT sTray = -1, sIndex = -1;
        PLATSCRIPTSTEP cancel[] = {Step(PSS_CANCEL)};
        ASSERT_TRUE(PlatScriptOnDialog(2400, cancel, 1));
        PlatScriptAnswerMessageBox(IDOK);
        ASSERT_TRUE(PlatScriptClick(hSheet, 251, nullptr));
        sTray = Feature(2407);
        sIndex = Feature(2411);
        const INSERTSHEETWORK* w = GetInsertSheetWork(pObj);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->wState, INSERTWORK_EDIT);
        EXPECT_EQ(w->wEntry, 0);
        EXPECT_EQ(sTray, r.sTray);
        EXPECT_EQ(sIndex, r.sIndex);
        EXPECT_EQ(w->bTrayChanged, r.dwTray);
        EXPECT_EQ(w->bIndexPaperOff, r.dwIndex);
        // Cancel leaves the stored entry as it was (its usability counted).
        INSERTSHEET want = r.e;
        want.wState = GetInsertSheetTable(pObj)[0].wState;
        EXPECT_EQ(memcmp(&GetInsertSheetTable(pObj)[0], &want, sizeof(INSERTSHEET)), 0);
    }
}

TEST_F(CoverPage, DoubleClickEditsAndDeleteKeyDeletes)
{
    InsertsOn();
    Load({Entry(u"3", 2), Entry(u"5", 2)});
    ClickRow(2);
    PLATSCRIPTSTEP steps[] = {Step(PSS_TYPE, 2403), Step(PSS_OK)};
    steps[0].pszText = u"6";
    ASSERT_TRUE(PlatScriptOnDialog(2400, steps, 2));
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageW(hList, LVM_GETITEMRECT, 2, (LPARAM)&rc);
    SendMessageW(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 30, (rc.top + rc.bottom) / 2));
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    EXPECT_EQ(Rows(), "3|6");
    SetFocus(hList);
    ASSERT_TRUE(PlatScriptPressKey(hSheet, VK_DELETE, 0));
    EXPECT_EQ(Rows(), "3");
    EXPECT_EQ(Selected(), 1);
}

TEST_F(CoverPage, SaveRecallHandsTheSheetsToTheirSetFirst)
{
    InsertsOn();
    Load({Entry(u"3", 2), Entry(u"5", 2)});
    LISTSET* ls = pObj->trailer.pListSet;
    ASSERT_TRUE(ls && ls->pInterSheet && ls->pInterSheet->pLists);
    const INTERSHEETREC& set = ls->pInterSheet->pLists[GetParamEdited(pObj, 114) - 1];
    ASSERT_EQ(set.sPageListNum, 0);
    // The menu opens and is closed without a choice.
    PlatScriptChooseMenuItem(nullptr, -1);
    ASSERT_TRUE(PlatScriptClick(hSheet, 256, nullptr));
    PlatPumpMessages();
    PlatScriptReset();
    EXPECT_EQ(set.sPageListNum, 2);
    EXPECT_EQ(memcmp(set.pEntries, GetInsertSheetTable(pObj), 2 * sizeof(INSERTSHEET)), 0);
}

class ReadOnlyCoverPage : public CoverPage {
protected:
    ReadOnlyCoverPage() { dwPermission = DM_NOPERMISSION; }
};

TEST_F(ReadOnlyCoverPage, EveryControlIsDisabledAndTheListStaysAsItIs)
{
    for (int id : {201, 202, 203, 205, 206, 207, 212, 214, 215, 231, 233, 234, 235, 236, 237, 247, 248, 249, 250,
                   251, 252, 253, 254, 255, 256, 163, 164})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hPage, id))) << id;
    Load({Entry(u"9", 2), Entry(u"2", 2)});
    ClickColumn(0);
    EXPECT_EQ(Rows(), "9|2");
}

}  // namespace
