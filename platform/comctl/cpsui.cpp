// cpsui.cpp: the common property-sheet host (CommonPropertySheetUIW) that
// printer drivers' sheet bodies are called by.
//
// A host record lives for one CommonPropertySheetUIW call; its handle is
// what the body receives as hComPropSheet and hands back to
// pfnComPropSheet. The record counts as the body's "registered function":
// CPSFUNC_SET_RESULT calls the body back at once, with the sheet still
// open, as the pages expect when they apply.
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace {

struct CPSHOST {
    PFNPROPSHEETUI pfnBody;            // the sheet body
    PROPSHEETUI_INFO info;             // the record the body sees every time
    std::vector<HPROPSHEETPAGE> pages; // in the order added
    int iStart;                        // CPSFUNC_SET_HSTARTPAGE
    BOOL bInSetResult;                 // guards against a body asking again from SET_RESULT
};

std::mutex g_lock;
std::set<CPSHOST*> g_hosts;

CPSHOST* _Valid(HANDLE h)
{
    std::lock_guard<std::mutex> lock(g_lock);
    CPSHOST* p = reinterpret_cast<CPSHOST*>(h);
    return g_hosts.count(p) ? p : nullptr;
}

LONG _CallBody(CPSHOST* h, WORD reason, LPARAM lParam)
{
    h->info.Reason = reason;
    return h->pfnBody(&h->info, lParam);
}

LONG_PTR CALLBACK _ComPropSheet(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2)
{
    CPSHOST* h = _Valid(hComPropSheet);
    if (!h) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (Function) {
    case CPSFUNC_ADD_HPROPSHEETPAGE:
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
        if (h->pages.size() >= MAXPROPPAGES)
            return 0;
        HPROPSHEETPAGE hPage = Function == CPSFUNC_ADD_HPROPSHEETPAGE
                                   ? reinterpret_cast<HPROPSHEETPAGE>(lParam1)
                                   : CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(lParam1));
        if (!hPage || !PspIsPage(hPage))
            return 0;
        for (HPROPSHEETPAGE p : h->pages)
            if (p == hPage)
                return 0;  // one page, one place
        h->pages.push_back(hPage);
        return reinterpret_cast<LONG_PTR>(hPage);
    }
    case CPSFUNC_GET_PAGECOUNT:
        return (LONG_PTR)h->pages.size();
    case CPSFUNC_SET_HSTARTPAGE:
        for (size_t i = 0; i < h->pages.size(); ++i) {
            if (h->pages[i] == reinterpret_cast<HPROPSHEETPAGE>(lParam1)) {
                h->iStart = (int)i;
                return 1;
            }
        }
        return 0;
    case CPSFUNC_SET_RESULT: {
        if (h->bInSetResult)
            return 0;
        SETRESULT_INFO sri = {};
        sri.cbSize = sizeof(sri);
        sri.hSetResult = reinterpret_cast<HANDLE>(lParam1);
        sri.Result = lParam2;
        h->bInSetResult = TRUE;
        _CallBody(h, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&sri));
        h->bInSetResult = FALSE;
        return 1;  // the number of bodies told
    }
    }
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

}  // namespace

LONG CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam, LPDWORD pResult)
{
    if (!pfnPropSheetUI)
        return ERR_CPSUI_INVALID_PDATA;
    CPSHOST* h = new (std::nothrow) CPSHOST{};
    if (!h)
        return ERR_CPSUI_ALLOCMEM_FAILED;
    h->pfnBody = pfnPropSheetUI;
    h->info.cbSize = sizeof(PROPSHEETUI_INFO);
    h->info.Version = PROPSHEETUI_INFO_VERSION;
    h->info.Flags = PSUIINFO_UNICODE;
    h->info.hComPropSheet = reinterpret_cast<HANDLE>(h);
    h->info.pfnComPropSheet = _ComPropSheet;
    h->info.lParamInit = lParam;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_hosts.insert(h);
    }

    LONG lRet;
    LONG lInit = _CallBody(h, PROPSHEETUI_REASON_INIT, lParam);
    if (lInit < 1) {
        // The body failed: it keeps nothing, so it hears nothing more.
        lRet = lInit < 0 ? lInit : ERR_CPSUI_GETLASTERROR;
        for (HPROPSHEETPAGE p : h->pages)
            DestroyPropertySheetPage(p);
    } else {
        PROPSHEETUI_INFO_HEADER hdr = {};
        hdr.cbSize = sizeof(hdr);
        hdr.hWndParent = hWndOwner;
        _CallBody(h, PROPSHEETUI_REASON_GET_INFO, reinterpret_cast<LPARAM>(&hdr));

        BOOL bUserClosed = FALSE;
        if (h->pages.empty()) {
            lRet = ERR_CPSUI_NO_PROPSHEETPAGE;
        } else {
            PROPSHEETHEADERW psh = {};
            psh.dwSize = sizeof(psh);
            psh.dwFlags = (hdr.Flags & PSUIHDRF_PROPTITLE) ? PSH_PROPTITLE : 0;
            psh.hwndParent = hdr.hWndParent ? hdr.hWndParent : hWndOwner;
            psh.hInstance = hdr.hInst;
            psh.pszCaption = hdr.pTitle;
            psh.nPages = (UINT)h->pages.size();
            psh.nStartPage = (UINT)h->iStart;
            psh.phpage = h->pages.data();
            INT_PTR r = PropertySheetW(&psh);  // the sheet owns the pages from here
            h->pages.clear();
            lRet = r < 0 ? ERR_CPSUI_CREATEPROPPAGE_FAILED : (LONG)r;
            bUserClosed = r >= 0;
        }
        for (HPROPSHEETPAGE p : h->pages)
            DestroyPropertySheetPage(p);
        h->pages.clear();
        _CallBody(h, PROPSHEETUI_REASON_DESTROY, bUserClosed);
    }
    if (pResult)
        *pResult = (DWORD)h->info.Result;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_hosts.erase(h);
    }
    delete h;
    return lRet;
}
