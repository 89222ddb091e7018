// The document sheet on the driver's own page templates (compiled into this
// program): the lists of the pages read their values' texts, and a person
// picks a value by the text the list shows.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/user/script.h"
#include "tests/ui_library/library_fixture.h"
#include "ui/constraints/features.h"

#include <string>

namespace {

class PageLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        DllInitialize(GetModuleHandleW(NULL), DLL_PROCESS_ATTACH, NULL);
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
    }
    void TearDown() override
    {
        if (hSheet)
            DestroyWindow(hSheet);
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        ClosePrinter(hPrinter);
        PlatScriptReset();
    }
    HWND Page(int i)
    {
        SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
        return (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    }
    // The text of the list's selected item, as the closed list shows it.
    static std::u16string Shown(HWND hPage, int id)
    {
        HWND h = GetDlgItem(hPage, id);
        int i = (int)SendMessageW(h, CB_GETCURSEL, 0, 0);
        WCHAR sz[128] = {};
        if (i >= 0)
            SendMessageW(h, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
        return sz;
    }
    static std::vector<std::u16string> Items(HWND hPage, int id)
    {
        HWND h = GetDlgItem(hPage, id);
        std::vector<std::u16string> v;
        for (int i = 0; i < (int)SendMessageW(h, CB_GETCOUNT, 0, 0); i++) {
            WCHAR sz[128] = {};
            SendMessageW(h, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
            v.push_back(sz);
        }
        return v;
    }

    // Every item's text fits the closed list beside its arrow button.
    static void ExpectItemsFit(HWND hPage, int id)
    {
        HWND h = GetDlgItem(hPage, id);
        RECT rc;
        GetClientRect(h, &rc);
        int cxRoom = rc.right - GetSystemMetrics(SM_CXVSCROLL) - 4;
        HDC hdc = GetDC(h);
        HGDIOBJ hOld = SelectObject(hdc, (HFONT)SendMessageW(h, WM_GETFONT, 0, 0));
        std::vector<std::u16string> items = Items(hPage, id);
        EXPECT_FALSE(items.empty()) << "list " << id;
        for (const std::u16string& t : items) {
            SIZE sz = {};
            GetTextExtentPoint32W(hdc, t.c_str(), (int)t.size(), &sz);
            EXPECT_LE(sz.cx, cxRoom) << "list " << id << " \"" << Narrow(t) << "\"";
        }
        SelectObject(hdc, hOld);
        ReleaseDC(h, hdc);
    }

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    HWND hSheet = nullptr;
};

TEST_F(PageLists, SetupPageListsShowTheValuesTexts)
{
    HWND hSetup = Page(0);
    ASSERT_EQ(PlatGetWindowTemplateId(hSetup), 100);
    EXPECT_EQ(Shown(hSetup, 111), u"A4");
    EXPECT_EQ(Shown(hSetup, 120), u"Auto select");
    EXPECT_EQ(Shown(hSetup, 122), u"Plain paper");
    EXPECT_EQ(Shown(hSetup, 141), u"Face down");
    std::vector<std::u16string> trays = Items(hSetup, 120);
    ASSERT_FALSE(trays.empty());
    for (const std::u16string& t : trays)
        EXPECT_EQ(t.find(u"Option "), std::u16string::npos) << Narrow(t);

    // A person picks the second tray by its text; the setting follows.
    ASSERT_TRUE(PlatScriptChoose(hSheet, 120, nullptr, u"Tray 2", -1)) << Narrow(PlatScriptError());
    EXPECT_EQ(Shown(hSetup, 120), u"Tray 2");
    BindFeatureFields(pObj);
    EXPECT_EQ(GetFeatureValue(120), 2);

    for (int id : {122, 133, 131, 137, 139, 141})
        ExpectItemsFit(hSetup, id);

    UpdateWindow(hSheet);
    EXPECT_TRUE(PlatWriteWindowPng(hSheet, PicturePath("page_setup_lists").c_str()));
}

TEST_F(PageLists, FinishingPageListsShowTheValuesTexts)
{
    HWND hFinishing = Page(2);
    ASSERT_EQ(PlatGetWindowTemplateId(hFinishing), 300);
    // Duplex and staple come alive with their switches.
    ASSERT_TRUE(PlatScriptCheck(hSheet, 301, nullptr, BST_CHECKED)) << Narrow(PlatScriptError());
    ASSERT_TRUE(PlatScriptCheck(hSheet, 310, nullptr, BST_CHECKED)) << Narrow(PlatScriptError());
    EXPECT_EQ(Shown(hFinishing, 311), u"Long edge");
    ASSERT_TRUE(PlatScriptChoose(hSheet, 311, nullptr, u"Short edge", -1)) << Narrow(PlatScriptError());
    BindFeatureFields(pObj);
    EXPECT_EQ(GetFeatureValue(311), 3);
    // The narrow lists of the page show their texts whole.
    for (int id : {311, 313, 318, 320, 322})
        ExpectItemsFit(hFinishing, id);
    UpdateWindow(hSheet);
    EXPECT_TRUE(PlatWriteWindowPng(hSheet, PicturePath("page_finishing_lists").c_str()));
}

}  // namespace
