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
#include "ui/constraints/features.h"
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
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatBeepReset();
        PlatScriptReset();
        ASSERT_TRUE(OpenPrinterW(SheetPrinter(), &hPrinter, NULL));
        doc.cbSize = sizeof(doc);
        doc.hPrinter = hPrinter;
        doc.pszPrinterName = SheetPrinter();
        doc.fMode = DM_PROMPT | DM_COPY;
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
        SetWindowLongPtrW(hPage, DWL_MSGRESULT, 0x5A5A);
        SendMessageW(hPage, WM_NOTIFY, 0, (LPARAM)&n);
        return GetWindowLongPtrW(hPage, DWL_MSGRESULT);
    }
    SHORT Feature(WORD wId)
    {
        BindFeatureFields(pObj);
        return GetFeatureValue(wId);
    }
    // Insert sheets on, through the page.
    void InsertsOn()
    {
        if (IsDlgButtonChecked(hPage, 215) != BST_CHECKED)
            ASSERT_TRUE(PlatScriptClick(hSheet, 215, nullptr));
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

}  // namespace
