// The printer-UI sheet host with a test sheet body that records the
// reasons it is called with, as a printer driver's body would see them.
// The controls need the window manager; without it there is nothing to test.
// (platform/windows.h first: the build sees the guard change with it.)
#include "platform/windows.h"
#if __has_include("platform/user/winuser.h")
#include "tests/platform_comctl/sheet_fixture.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct BODY {
    LONG initAnswer = 1;      // what INIT answers
    int cPages = 1;           // pages INIT adds
    BOOL bPressOK = TRUE;     // the first page presses OK when shown
    std::string reasons;      // "init info setresult(1) destroy(1)"
    std::u16string caption;   // the sheet's title as shown
    PAGECONF conf[2];
};

BODY* g_body = nullptr;

INT_PTR CALLBACK _HostPage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWL_USER, reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        return TRUE;
    }
    PAGECONF* c = reinterpret_cast<PAGECONF*>(GetWindowLongPtrW(hwnd, DWL_USER));
    if (msg != WM_NOTIFY || !c)
        return FALSE;
    UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
    if (code == PSN_SETACTIVE) {
        WCHAR t[128];
        GetWindowTextW(GetParent(hwnd), t, 128);
        g_body->caption = t;
        PostMessageW(GetParent(hwnd), PSM_PRESSBUTTON, g_body->bPressOK ? PSBTN_OK : PSBTN_CANCEL, 0);
    }
    if (code == PSN_APPLY)
        c->pfnHost(c->hHost, CPSFUNC_SET_RESULT, 0, CPSUI_OK);  // the common apply tail
    SetWindowLongPtrW(hwnd, DWL_MSGRESULT, 0);
    return TRUE;
}

LONG _Body(PPROPSHEETUI_INFO pInfo, LPARAM lParam)
{
    BODY* b = g_body;
    switch (pInfo->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        b->reasons += "init";
        EXPECT_EQ(pInfo->lParamInit, lParam);
        for (int i = 0; i < b->cPages; ++i) {
            b->conf[i].hHost = pInfo->hComPropSheet;
            b->conf[i].pfnHost = pInfo->pfnComPropSheet;
            PROPSHEETPAGEW psp = {};
            psp.dwSize = sizeof(psp);
            psp.dwFlags = PSP_DLGINDIRECT | PSP_HASHELP;
            psp.pResource = PageTemplate();
            psp.pfnDlgProc = _HostPage;
            psp.lParam = reinterpret_cast<LPARAM>(&b->conf[i]);
            HPROPSHEETPAGE h = CreatePropertySheetPageW(&psp);
            if (!pInfo->pfnComPropSheet(pInfo->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, (LPARAM)h, 0))
                return -1;
        }
        pInfo->UserData = 0x5EED;
        pInfo->Result = 1;
        return b->initAnswer;
    }
    case PROPSHEETUI_REASON_GET_INFO: {
        b->reasons += " info";
        PROPSHEETUI_INFO_HEADER* h = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
        EXPECT_EQ(h->cbSize, sizeof(PROPSHEETUI_INFO_HEADER));
        h->Flags = PSUIHDRF_PROPTITLE;
        h->pTitle = const_cast<LPWSTR>(u"Office Printer");
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
        const SETRESULT_INFO* s = reinterpret_cast<const SETRESULT_INFO*>(lParam);
        b->reasons += " setresult(" + std::to_string(s->Result) + ")";
        EXPECT_EQ(s->cbSize, sizeof(SETRESULT_INFO));
        EXPECT_EQ(pInfo->UserData, 0x5EEDu);  // the body's record survives
        pInfo->Result = s->Result;
        return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
        b->reasons += " destroy(" + std::to_string(lParam ? 1 : 0) + ")";
        pInfo->UserData = 0;
        return 1;
    }
    return -1;
}

TEST(SheetHost, ReasonsComeInTheHostsOrder)
{
    struct {
        const char* what;
        LONG initAnswer;
        int cPages;
        BOOL bPressOK;
        LONG lReturn;
        DWORD dwResult;
        const char* reasons;
    } rows[] = {
        {"OK: one SET_RESULT per page applied", 1, 2, TRUE, 1, CPSUI_OK,
         "init info setresult(1) destroy(1)"},
        {"Cancel: no result, the body still hears DESTROY", 1, 1, FALSE, 0, 1, "init info destroy(1)"},
        {"INIT fails: nothing else is called", -1, 1, TRUE, -1, 1, "init"},
        {"no pages: the sheet cannot open", 1, 0, TRUE, ERR_CPSUI_NO_PROPSHEETPAGE, 1, "init info destroy(0)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        BODY b;
        b.initAnswer = r.initAnswer;
        b.cPages = r.cPages;
        b.bPressOK = r.bPressOK;
        b.conf[0].name = "A";
        b.conf[1].name = "B";
        g_body = &b;
        DWORD dwResult = 0xFFFF;
        DEVICEPROPERTYHEADER dph = {sizeof(dph), 0, nullptr, const_cast<LPWSTR>(u"Office Printer")};
        LONG l = CommonPropertySheetUIW(nullptr, _Body, reinterpret_cast<LPARAM>(&dph), &dwResult);
        EXPECT_EQ(l, r.lReturn);
        EXPECT_EQ(b.reasons, r.reasons);
        EXPECT_EQ(dwResult, r.dwResult);
        if (r.cPages && r.initAnswer > 0) {
            EXPECT_EQ(b.caption, u"Office Printer Properties");
        }
        g_body = nullptr;
    }
}

TEST(SheetHost, BadHandlesAndCodesAreRefused)
{
    EXPECT_EQ(CommonPropertySheetUIW(nullptr, nullptr, 0, nullptr), ERR_CPSUI_INVALID_PDATA);

    // The host function of a sheet that is gone answers 0.
    static HANDLE s_h;
    static PFNCOMPROPSHEET s_pfn;
    static LONG_PTR s_unknown;
    auto body = [](PPROPSHEETUI_INFO p, LPARAM) -> LONG {
        if (p->Reason == PROPSHEETUI_REASON_INIT) {
            s_h = p->hComPropSheet;
            s_pfn = p->pfnComPropSheet;
            s_unknown = s_pfn(s_h, 99, 0, 0);
            EXPECT_EQ(s_pfn(s_h, CPSFUNC_ADD_HPROPSHEETPAGE, 0x1234, 0), 0);  // no such page
            EXPECT_EQ(s_pfn(s_h, CPSFUNC_GET_PAGECOUNT, 0, 0), 0);
            return 0;
        }
        return 1;
    };
    CommonPropertySheetUIW(nullptr, body, 0, nullptr);
    EXPECT_EQ(s_unknown, 0);
    EXPECT_EQ(s_pfn(s_h, CPSFUNC_GET_PAGECOUNT, 0, 0), 0);
    EXPECT_EQ(s_pfn(s_h, CPSFUNC_SET_RESULT, 0, CPSUI_OK), 0);
}

}  // namespace

#endif
