// fakegfx.h: a stand-in for the graphics library's side of the private
// escapes, for the document-event tests.
//
// It answers the read escapes from the records a test fills (job block, work
// area, fax state, job DEVMODE), records every call with its code, sizes and
// input bytes, and can fail the n-th call of a code. A printer of this driver
// is installed in a fresh root, and the resource library's texts are "<id>".
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/msgbox.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/driverui/docevent.h"
#include "ui/driverui/dochooks.h"
#include "ui/settings/devmode.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"

struct ESCCALL {
    DWORD dwCode;
    int cbIn;
    int cbOut;
    std::vector<BYTE> in;
};

struct FakeGfx {
    std::vector<BYTE> jobBlock = std::vector<BYTE>(JOBBLOCK_SIZE, 0);
    std::vector<BYTE> work = std::vector<BYTE>(WORKAREA_SIZE, 0);
    std::vector<BYTE> devmode = std::vector<BYTE>(DRV_DEVMODE_SIZE, 0);
    FAXSTATE fax = {};
    int iPageCounter = 0;
    bool bTabsRecorded = false;  // set by 0x6FFFFD0E, read by 0x6FFFFD0F
    DWORD dwFailCode = 0;  // this code fails ...
    int iFailAt = 1;       // ... at its n-th call
    std::vector<ESCCALL> calls;

    DRVDEVMODE* Job() { return reinterpret_cast<DRVDEVMODE*>(jobBlock.data() + JOBBLOCK_DEVMODE); }
    DRVDEVMODE* Dm() { return reinterpret_cast<DRVDEVMODE*>(devmode.data()); }
    std::vector<DWORD> Codes() const {
        std::vector<DWORD> v;
        for (const ESCCALL& c : calls) v.push_back(c.dwCode);
        return v;
    }
    const ESCCALL* Find(DWORD dwCode, int iNth = 1) const {
        for (const ESCCALL& c : calls)
            if (c.dwCode == dwCode && --iNth == 0) return &c;
        return nullptr;
    }
};

inline FakeGfx* g_pFake = nullptr;

inline int FakeEscape(HDC, int iEscape, int cbIn, LPCSTR pIn, int cbOut, LPSTR pOut)
{
    FakeGfx& f = *g_pFake;
    DWORD dwCode = static_cast<DWORD>(iEscape);
    ESCCALL call{dwCode, cbIn, cbOut, {}};
    if (pIn && cbIn > 0) call.in.assign(pIn, pIn + cbIn);
    f.calls.push_back(call);
    if (dwCode == f.dwFailCode) {
        int n = 0;
        for (const ESCCALL& c : f.calls) n += c.dwCode == dwCode;
        if (n == f.iFailAt) return 0;
    }
    auto give = [&](const void* p, int cb) {
        // The receiver matches exact shapes only.
        if (cbOut != cb || !pOut || cbIn != 0) return 0;
        memcpy(pOut, p, static_cast<size_t>(cb));
        return 1;
    };
    switch (dwCode) {
    case ESC_JOB_BLOCK: return give(f.jobBlock.data(), JOBBLOCK_SIZE);
    case ESC_WORK_AREA: return give(f.work.data(), WORKAREA_SIZE);
    case ESC_FAX_STATE: return give(&f.fax, sizeof(f.fax));
    case ESC_GET_DEVMODE: return give(f.devmode.data(), DRV_DEVMODE_SIZE);
    case ESC_PAGE_COUNTER: return f.iPageCounter;
    case ESC_FAX_LIST_ID: {
        DWORD dw = f.Dm()->env.dwFaxListId;
        return give(&dw, 4);
    }
    case ESC_TAB_RECORDED: f.bTabsRecorded = true; return 1;
    case ESC_TAB_QUERY: {
        DWORD dw = f.bTabsRecorded ? 1 : 0;
        return give(&dw, 4);
    }
    default: return 1;
    }
}

inline int FakeLoadString(HMODULE, UINT uId, LPWSTR psz, int cch)
{
    std::string s = "<" + std::to_string(uId) + ">";
    int n = 0;
    for (; n < static_cast<int>(s.size()) && n < cch - 1; ++n) psz[n] = static_cast<WCHAR>(s[static_cast<size_t>(n)]);
    psz[n] = 0;
    return n;
}

inline const WCHAR kDocPrinter[] = u"QX-730 Events";

struct DocEventTest : ::testing::Test {
    FakeGfx fake;
    HANDLE hPrinter = nullptr;
    HDC hdc = reinterpret_cast<HDC>(0x5150);

    void SetUp() override
    {
        TestNewRoot();
        ASSERT_TRUE(PlatInstallPrinter(kDocPrinter, u"C:\\ports\\events.prn", nullptr));
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kDocPrinter), &hPrinter, nullptr));
        g_pFake = &fake;
        DocEventSetEscapeProc(FakeEscape);
        StringCacheSetLoader(FakeLoadString);
        PlatMsgBoxReset();
        PlatSetUserName(u"alice");
        PlatSetProgramPath(nullptr);
        // The job's DEVMODE: the driver's defaults for the test printer, in
        // the job block and in the DEVMODE image of the page hooks.
        POPTIONDB hDb = OpenOptionDb();
        ASSERT_TRUE(InitDefaultDevmode(hDb, reinterpret_cast<DEVMODEW*>(fake.devmode.data()), kDocPrinter, hPrinter));
        CloseOptionDb(hDb);
        memcpy(fake.Job(), fake.devmode.data(), DRV_DEVMODE_SIZE);
    }
    void TearDown() override
    {
        // The DC goes, as GDI's DeleteDC tells the driver.
        Event(DOCUMENTEVENT_DELETEDC);
        DocEventSetEscapeProc(nullptr);
        g_pFake = nullptr;
        while (GetResourceDllHandle()) FreeResourceDll();
        StringCacheSetLoader(nullptr);
        PlatSetUserName(nullptr);
        PlatSetProgramPath(nullptr);
        PlatMsgBoxReset();
        if (hPrinter) ClosePrinter(hPrinter);
    }
    // Keeps the job block and the page hooks' DEVMODE image equal.
    void SyncDevmode() { memcpy(fake.devmode.data(), fake.Job(), DRV_DEVMODE_SIZE); }
    int Event(int iEvent, ULONG cbIn = 0, PVOID pvIn = nullptr, HANDLE h = reinterpret_cast<HANDLE>(-1))
    {
        return DispatchDocumentEvent(h == reinterpret_cast<HANDLE>(-1) ? hPrinter : h, hdc, iEvent, cbIn, pvIn, 0,
                                     nullptr);
    }
    static std::u16string BoxText(int i)
    {
        LPCWSTR pszText = nullptr;
        return PlatMsgBoxGet(i, nullptr, &pszText, nullptr, nullptr) ? std::u16string(pszText) : u"?";
    }
    static std::u16string BoxCaption(int i)
    {
        LPCWSTR psz = nullptr;
        return PlatMsgBoxGet(i, nullptr, nullptr, &psz, nullptr) ? std::u16string(psz) : u"?";
    }
    static UINT BoxStyle(int i)
    {
        UINT u = 0;
        PlatMsgBoxGet(i, nullptr, nullptr, nullptr, &u);
        return u;
    }
};
