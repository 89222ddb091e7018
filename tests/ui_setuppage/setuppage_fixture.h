// setuppage_fixture.h: the document sheet opened on the driver's own
// templates, with the Setup page in front, for the scripted user.
#pragma once

#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "tests/common/testroot.h"
#include "tests/ui_sheets/sheets_fixture.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/setuppage.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/uisettings.h"

#include <string>
#include <vector>

inline std::string NarrowText(LPCWSTR psz)
{
    std::string s;
    for (; psz && *psz; ++psz)
        s += *psz < 128 ? (char)*psz : '?';
    return s;
}

// Parameters of the settings object the tests read.
enum : WORD {
    TP_COPIES = 1, TP_ORIENTATION = 2, TP_MEDIASIZE = 3, TP_OUTPUTPAPER = 4, TP_ZOOMCHECK = 5, TP_ZOOM = 6,
    TP_LAYOUTCHECK = 8, TP_LAYOUTSELECT = 9, TP_ORDER = 10, TP_LAYOUT = 11, TP_OUTPUT = 46, TP_NUPCHECK = 56,
    TP_LAYOUTCHECK2 = 61, TP_PUNCH = 106, TP_BINDMARGIN = 108,
};

class SetupPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatScriptReset();
        PlatBeepReset();
        ASSERT_TRUE(OpenPrinterW(SheetPrinter(), &hPrinter, NULL));
        Open(DM_PROMPT | DM_COPY);
    }
    void Open(DWORD fMode)
    {
        doc = {};
        doc.cbSize = sizeof(doc);
        doc.hPrinter = hPrinter;
        doc.pszPrinterName = SheetPrinter();
        doc.fMode = fMode;
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
        hPage = Page(0);
        ASSERT_NE(hPage, nullptr);
    }
    void Close()
    {
        if (hSheet)
            DestroyWindow(hSheet);
        hSheet = nullptr;
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
    }
    void TearDown() override
    {
        Close();
        ClosePrinter(hPrinter);
    }
    HWND Page(int i)
    {
        SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
        return (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    }
    HWND Current() { return (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0); }
    SHORT Get(WORD wParam) { return GetParamEdited(pObj, wParam); }
    SHORT Saved(WORD wParam) { return GetParamCommitted(pObj, wParam); }
    void Put(WORD wParam, SHORT s) { SetParamEdited(pObj, wParam, s); }
    std::u16string Text(int id)
    {
        WCHAR sz[256] = {};
        GetDlgItemTextW(hPage, id, sz, 256);
        return sz;
    }
    // The value codes the combo shows, in its order.
    std::vector<int> Shown(int id)
    {
        std::vector<int> v;
        HWND h = GetDlgItem(hPage, id);
        BindFeatureFields(pObj);
        const FVLHEADER* pList = GetFeatureListHeader((WORD)id);
        int n = (int)SendMessageW(h, CB_GETCOUNT, 0, 0);
        for (int k = 0; k < n; ++k) {
            if (GetWindowLongW(h, GWL_STYLE) & CBS_OWNERDRAWFIXED) {
                v.push_back((SHORT)SendMessageW(h, CB_GETITEMDATA, k, 0));
                continue;
            }
            WCHAR sz[64] = {};
            SendMessageW(h, CB_GETLBTEXT, k, (LPARAM)sz);
            for (int i = 0; pList && i < pList->sCount; ++i)
                if (std::u16string(((const FVLITEM*)(pList + 1))[i].szText) == sz) {
                    v.push_back(((const FVLITEM*)(pList + 1))[i].sValue);
                    break;
                }
        }
        return v;
    }
    // The combo position of a value code; -1 when the combo lacks it.
    int PositionOf(int id, int value)
    {
        std::vector<int> v = Shown(id);
        for (size_t k = 0; k < v.size(); ++k)
            if (v[k] == value)
                return (int)k;
        return -1;
    }
    LRESULT Notify(HWND hWnd, UINT uCode)
    {
        PSHNOTIFY n = {};
        n.hdr.hwndFrom = hSheet;
        n.hdr.code = uCode;
        SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, 0x5A5A);
        SendMessageW(hWnd, WM_NOTIFY, 0, (LPARAM)&n);
        return GetWindowLongPtrW(hWnd, DWLP_MSGRESULT);
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

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    HWND hSheet = nullptr;
    HWND hPage = nullptr;
};
