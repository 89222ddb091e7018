// sheets_fixture.h: a printer with this driver, pages made from this test
// program's own small templates (dialogs/), and a stand-in for the
// printer-UI sheet host that records what a sheet body asks of it.
#pragma once

#include "platform/windows.h"
#include "ui/driverui/driverui.h"
#include "ui/driverui/drvsettings.h"
#include "ui/driverui/drvuidefs.h"
#include "ui/driverui/propsheets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

inline const WCHAR kSheetPrinter[] = u"QX-730 Sheets";
inline const WCHAR kSheetPort[] = u"C:\\ports\\sheets.prn";

// Installs the test printer once per root and stores its default DEVMODE.
inline LPWSTR SheetPrinter()
{
    static std::string s_root;
    if (s_root != PlatGetRoot()) {
        EXPECT_TRUE(PlatInstallPrinter(kSheetPrinter, kSheetPort, NULL));
        EXPECT_TRUE(DrvPrinterEvent((LPWSTR)kSheetPrinter, PRINTER_EVENT_INITIALIZE, 0, 0));
        s_root = PlatGetRoot();
    }
    return (LPWSTR)kSheetPrinter;
}

// The driver's pages take their templates from this program.
inline void UseTestTemplates()
{
    DllInitialize(GetModuleHandleW(NULL), DLL_PROCESS_ATTACH, NULL);
}

struct SheetPrinterHandle {
    HANDLE h = NULL;
    SheetPrinterHandle() { EXPECT_TRUE(OpenPrinterW(SheetPrinter(), &h, NULL)); }
    ~SheetPrinterHandle()
    {
        if (h)
            ClosePrinter(h);
    }
};

// The stand-in host: it keeps the pages a body adds (refusing the one at
// iRefuse), and hands CPSFUNC_SET_RESULT back to the body at once, as the
// platform's host does.
struct FAKEHOST {
    PFNPROPSHEETUI pfnBody = nullptr;
    PROPSHEETUI_INFO info = {};
    std::vector<HPROPSHEETPAGE> pages;
    int iRefuse = -1;
    int cSetResult = 0;
    LPARAM lLastSetResultHandle = 0;
};

inline FAKEHOST*& CurrentFakeHost()
{
    static FAKEHOST* s_p = nullptr;
    return s_p;
}

inline LONG_PTR CALLBACK FakeHostFunction(HANDLE hHost, UINT uFunction, LPARAM l1, LPARAM l2)
{
    FAKEHOST* h = (FAKEHOST*)hHost;
    if (uFunction == CPSFUNC_ADD_HPROPSHEETPAGE) {
        if ((int)h->pages.size() == h->iRefuse)
            return 0;
        h->pages.push_back((HPROPSHEETPAGE)l1);
        return (LONG_PTR)l1;
    }
    if (uFunction == CPSFUNC_SET_RESULT) {
        ++h->cSetResult;
        h->lLastSetResultHandle = l1;
        SETRESULT_INFO sri = {};
        sri.cbSize = sizeof(sri);
        sri.hSetResult = (HANDLE)l1;
        sri.Result = l2;
        h->info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        h->pfnBody(&h->info, (LPARAM)&sri);
        return 1;
    }
    return 0;
}

// Calls the body with a reason, as the host would.
inline LONG CallReason(FAKEHOST* h, WORD wReason, LPARAM lParam)
{
    h->info.Reason = wReason;
    return h->pfnBody(&h->info, lParam);
}

inline void InitFakeHost(FAKEHOST* h, PFNPROPSHEETUI pfnBody, LPARAM lParamInit)
{
    h->pfnBody = pfnBody;
    h->info.cbSize = sizeof(PROPSHEETUI_INFO);
    h->info.hComPropSheet = (HANDLE)h;
    h->info.pfnComPropSheet = FakeHostFunction;
    h->info.lParamInit = lParamInit;
}

// Pages a host kept but never showed go away with it.
inline void DropPages(FAKEHOST* h)
{
    for (HPROPSHEETPAGE p : h->pages)
        DestroyPropertySheetPage(p);
    h->pages.clear();
}

// Shows the pages the host collected in a modeless sheet (the sheet takes
// them over) and finds the page made from template wTemplate by picking
// each page in turn: *phPage gets it (null when none), *piPage its index.
inline HWND ShowHostPages(FAKEHOST* h, WORD wTemplate, HWND* phPage, int* piPage = nullptr)
{
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | PSH_PROPTITLE;
    psh.pszCaption = SheetPrinter();
    psh.nPages = (UINT)h->pages.size();
    psh.phpage = h->pages.data();
    HWND hSheet = (HWND)PropertySheetW(&psh);
    h->pages.clear();
    *phPage = nullptr;
    for (int i = 0; hSheet && i < 8 && !*phPage; ++i) {
        SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
        HWND hPage = (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        if (PlatGetWindowTemplateId(hPage) == wTemplate) {
            *phPage = hPage;
            if (piPage)
                *piPage = i;
        }
    }
    return hSheet;
}

inline SHEETCONTEXT* SheetOf(FAKEHOST* h)
{
    return (SHEETCONTEXT*)h->info.UserData;
}

inline LONG WINAPI DocumentBody(PPROPSHEETUI_INFO pInfo, LPARAM lParam)
{
    return DrvDocumentPropertySheets(pInfo, lParam);
}

inline LONG WINAPI DeviceBody(PPROPSHEETUI_INFO pInfo, LPARAM lParam)
{
    return DrvDevicePropertySheets(pInfo, lParam);
}
