// The document and device property sheets: their reasons, their pages,
// what OK and Cancel write, and the page framework seen through a page a
// person uses.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/sheetstate.h"

#include <string>

namespace {

const BYTE kSentinel = 0xEE;

std::string Narrow(LPCWSTR psz)
{
    std::string s;
    for (; psz && *psz; ++psz)
        s += *psz < 128 ? (char)*psz : '?';
    return s;
}

class Sheets : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatScriptReset();
    }
    SheetPrinterHandle printer;
};

DOCUMENTPROPERTYHEADER DocHeader(HANDLE hPrinter, DWORD fMode, DEVMODEW* pdmIn = nullptr,
                                 DEVMODEW* pdmOut = nullptr)
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

// The printer's stored default DEVMODE.
std::vector<BYTE> StoredDefault(HANDLE hPrinter)
{
    std::vector<BYTE> v(4096);
    DWORD dwType = 0, cb = 0;
    if (GetPrinterDataW(hPrinter, (LPWSTR)u"RNOVA NT", &dwType, v.data(), (DWORD)v.size(), &cb) != ERROR_SUCCESS)
        return {};
    v.resize(cb);
    return v;
}

// The pages a host kept, shown in a sheet of their own that the test
// drives. The sheet owns the pages from here.
HWND ShowPages(FAKEHOST* h)
{
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | PSH_PROPTITLE;
    psh.pszCaption = SheetPrinter();
    psh.nPages = (UINT)h->pages.size();
    psh.phpage = h->pages.data();
    HWND hSheet = (HWND)PropertySheetW(&psh);
    h->pages.clear();
    return hSheet;
}

HWND SelectPage(HWND hSheet, int i)
{
    SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
    return (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
}

// ---- Reasons ----

// What INIT leaves, by sheet and by what goes wrong.
struct InitCase {
    const char* name;
    BOOL bDevice;
    DWORD dwPermission;   // document: fMode; device: Flags
    BOOL bNoPrinter;      // the header names no open printer
    BOOL bNoName;         // the header names no printer
    int iRefuse;          // the host refuses the page at this index
    LONG lAnswer;
    size_t cPages;        // pages the host keeps
    DWORD dwEditable;     // when the sheet opened
};

const InitCase kInitCases[] = {
    {"document", FALSE, DM_PROMPT | DM_COPY, FALSE, FALSE, -1, 1, 8, 1},
    {"document without permission", FALSE, DM_COPY | DM_NOPERMISSION, FALSE, FALSE, -1, 1, 8, 0},
    {"document, page refused", FALSE, DM_COPY, FALSE, FALSE, 3, 0, 3, 0},
    {"document without printer", FALSE, DM_COPY, TRUE, FALSE, -1, -1, 0, 0},
    {"device", TRUE, 0, FALSE, FALSE, -1, 1, 1, 1},
    {"device without permission", TRUE, DPS_NOPERMISSION, FALSE, FALSE, -1, 1, 1, 0},
    {"device, page refused", TRUE, 0, FALSE, FALSE, 0, 0, 0, 0},
    {"device without a name", TRUE, 0, FALSE, TRUE, -1, -1, 0, 0},
};

TEST_F(Sheets, InitOpensOrLeavesNothing)
{
    for (const InitCase& c : kInitCases) {
        SCOPED_TRACE(c.name);
        HANDLE hPrinter = c.bNoPrinter ? NULL : printer.h;
        DOCUMENTPROPERTYHEADER doc = DocHeader(hPrinter, c.dwPermission);
        DEVICEPROPERTYHEADER dev = DevHeader(hPrinter, (WORD)c.dwPermission);
        if (c.bNoName)
            dev.pszPrinterName = NULL;
        FAKEHOST host;
        host.iRefuse = c.iRefuse;
        InitFakeHost(&host, c.bDevice ? DeviceBody : DocumentBody, c.bDevice ? (LPARAM)&dev : (LPARAM)&doc);
        LONG lBlocks = PlatGlobalLiveBlocks();

        EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), c.lAnswer);
        EXPECT_EQ(host.pages.size(), c.cPages);
        SHEETCONTEXT* pCtx = SheetOf(&host);
        if (c.lAnswer == 1) {
            ASSERT_NE(pCtx, nullptr);
            EXPECT_EQ(host.info.Result, (ULONG_PTR)CPSUI_CANCEL);  // until OK
            EXPECT_EQ(pCtx->bEditable, (BOOL)c.dwEditable);
            EXPECT_EQ(GetSheetState(pCtx->pSettings, UIS_STATE_EDITABLE), c.dwEditable);
            EXPECT_EQ(GetSheetState(pCtx->pSettings, UIS_STATE_DOCSHEET), c.bDevice ? 0u : 1u);
            // The host's handles and the printer reach the pages whole (at
            // 64 bits the fake host lives above 4 GB, on the stack).
            const SHEETLINKS* pLinks = GetSheetLinks(pCtx->pSettings);
            ASSERT_NE(pLinks, nullptr);
            EXPECT_EQ(pLinks->hComPropSheet, host.info.hComPropSheet);
            EXPECT_EQ(pLinks->pfnComPropSheet, host.info.pfnComPropSheet);
            LONG_PTR lAdded = pLinks->lAddedPages, lLast = pCtx->lLastPage;  // packed records
            EXPECT_EQ(lAdded, lLast);
            EXPECT_EQ(GetSheetPrinter(pCtx->pSettings), pCtx->hPrinter);
            EXPECT_EQ(pCtx->pdm->dmSize + pCtx->pdm->dmDriverExtra, 2615);
            if (!c.bDevice) {
                EXPECT_EQ((BYTE*)pCtx->pdm, (BYTE*)pCtx + offsetof(DOCSHEETCONTEXT, abDevmode));
            }
            EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1), 1);
            EXPECT_EQ(host.info.UserData, 0u);
        } else {
            EXPECT_EQ(pCtx, nullptr);
            if (c.lAnswer == 0) {
                EXPECT_EQ(host.info.Result, 0u);
            }
        }
        DropPages(&host);
        EXPECT_EQ(PlatGlobalLiveBlocks(), lBlocks);
    }
}

// Whichever allocation of INIT fails, the sheet either opens or answers -1
// and leaves no page and no block behind.
TEST_F(Sheets, InitSurvivesEveryFailedAllocation)
{
    for (BOOL bDevice : {FALSE, TRUE}) {
        SCOPED_TRACE(bDevice ? "device" : "document");
        DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_COPY);
        DEVICEPROPERTYHEADER dev = DevHeader(printer.h, 0);
        auto open = [&](LONG nFail, LONG* pcAllocs) {
            FAKEHOST host;
            InitFakeHost(&host, bDevice ? DeviceBody : DocumentBody, bDevice ? (LPARAM)&dev : (LPARAM)&doc);
            LONG lBlocks = PlatGlobalLiveBlocks();
            LONG cBefore = PlatAllocationCalls();
            PlatFailAllocation(nFail);
            LONG l = CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit);
            PlatFailAllocation(0);
            if (pcAllocs)
                *pcAllocs = PlatAllocationCalls() - cBefore;
            if (l == 1) {
                EXPECT_NE(SheetOf(&host), nullptr);
                EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1), 1);
            } else {
                EXPECT_EQ(l, -1) << "allocation " << nFail;
                EXPECT_EQ(host.info.UserData, 0u);
                EXPECT_TRUE(host.pages.empty()) << "allocation " << nFail;
            }
            DropPages(&host);
            EXPECT_EQ(PlatGlobalLiveBlocks(), lBlocks) << "allocation " << nFail;
            return l;
        };
        LONG cAllocs = 0;
        ASSERT_EQ(open(0, &cAllocs), 1);
        int cFailed = 0;
        // Every one of the first hundred (the sheet's records, the merge,
        // the settings object's blocks), then a sample of the rest.
        for (LONG n = 1; n <= cAllocs; n += n < 100 ? 1 : 9)
            cFailed += open(n, nullptr) != 1;
        // The sheet's own blocks come first: failing them fails INIT.
        EXPECT_GE(cFailed, 2);
    }
}

TEST_F(Sheets, GetInfoNamesThePrinterAndTheIcon)
{
    for (BOOL bDevice : {FALSE, TRUE}) {
        SCOPED_TRACE(bDevice ? "device" : "document");
        DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_COPY);
        DEVICEPROPERTYHEADER dev = DevHeader(printer.h, 0);
        FAKEHOST host;
        InitFakeHost(&host, bDevice ? DeviceBody : DocumentBody, bDevice ? (LPARAM)&dev : (LPARAM)&doc);
        // Before INIT and while open alike.
        for (int round = 0; round < 2; ++round) {
            PROPSHEETUI_INFO_HEADER hdr = {};
            hdr.cbSize = sizeof(hdr);
            EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_GET_INFO, (LPARAM)&hdr), 1);
            EXPECT_EQ(hdr.Flags, PSUIHDRF_PROPTITLE);
            EXPECT_EQ(hdr.IconID, 64062u);
            EXPECT_EQ(hdr.hInst, DrvUiGetInstance());
            ASSERT_NE(hdr.pTitle, nullptr);
            EXPECT_EQ(std::u16string(hdr.pTitle), std::u16string(SheetPrinter()));
            if (round == 0) {
                ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
            }
        }
        EXPECT_EQ(CallReason(&host, 7, 0), -1);  // a reason no sheet knows
        EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1), 1);
        DropPages(&host);
    }
}

// SET_RESULT of the document sheet: the caller's DEVMODE is written only
// for OK and only when the caller asked for it.
struct ResultCase {
    DWORD fMode;
    LRESULT lResult;
    BOOL bWritten;
};

const ResultCase kResultCases[] = {
    {DM_COPY, CPSUI_OK, TRUE},
    {DM_UPDATE, CPSUI_OK, TRUE},
    {DM_PROMPT | DM_COPY, CPSUI_OK, TRUE},
    {DM_USER_DEFAULT | DM_MODIFY | DM_PROMPT | DM_COPY, CPSUI_OK, TRUE},
    {DM_PROMPT, CPSUI_OK, FALSE},
    {0, CPSUI_OK, FALSE},
    {DM_COPY, CPSUI_CANCEL, FALSE},
    {DM_UPDATE | DM_COPY, CPSUI_CANCEL, FALSE},
};

TEST_F(Sheets, SetResultWritesTheCallersDevmodeOnlyWhenAsked)
{
    for (const ResultCase& c : kResultCases) {
        SCOPED_TRACE(testing::Message() << "fMode " << c.fMode << " result " << c.lResult);
        std::vector<BYTE> out(DRVUI_CB_DEVMODE + 64, kSentinel);
        DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, c.fMode, nullptr, (DEVMODEW*)out.data());
        FAKEHOST host;
        InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
        ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        SETRESULT_INFO sri = {};
        sri.cbSize = sizeof(sri);
        sri.Result = c.lResult;
        EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_SET_RESULT, (LPARAM)&sri), 1);
        EXPECT_EQ(host.info.Result, (ULONG_PTR)c.lResult);
        if (c.bWritten) {
            EXPECT_EQ(memcmp(out.data(), SheetOf(&host)->pdm, DRVUI_CB_DEVMODE), 0);
            EXPECT_EQ(((DEVMODEW*)out.data())->dmDriverExtra, 2395);
        } else {
            EXPECT_EQ(out[0], kSentinel);
            EXPECT_EQ(out[DRVUI_CB_DEVMODE - 1], kSentinel);
        }
        for (size_t i = DRVUI_CB_DEVMODE; i < out.size(); ++i)
            ASSERT_EQ(out[i], kSentinel) << "past the DEVMODE at " << i;
        EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1), 1);
        DropPages(&host);
    }
}

// ---- Pages ----

TEST_F(Sheets, PagesComeInTheirOrder)
{
    struct {
        BOOL bDevice;
        std::vector<int> ids;
    } cases[] = {
        {FALSE, {100, 200, 300, 400, 500, 600, 700, 1000}},
        {TRUE, {800}},
    };
    for (auto& c : cases) {
        DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_COPY);
        DEVICEPROPERTYHEADER dev = DevHeader(printer.h, 0);
        FAKEHOST host;
        InitFakeHost(&host, c.bDevice ? DeviceBody : DocumentBody, c.bDevice ? (LPARAM)&dev : (LPARAM)&doc);
        ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        HWND hSheet = ShowPages(&host);
        ASSERT_NE(hSheet, nullptr);
        std::vector<int> seen;
        for (size_t i = 0; i < c.ids.size(); ++i)
            seen.push_back(PlatGetWindowTemplateId(SelectPage(hSheet, (int)i)));
        EXPECT_EQ(seen, c.ids);
        DestroyWindow(hSheet);
        EXPECT_EQ(CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1), 1);
    }
}

TEST_F(Sheets, WithoutPermissionEveryControlIsDisabled)
{
    DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_COPY | DM_NOPERMISSION);
    FAKEHOST host;
    InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
    ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
    HWND hSheet = ShowPages(&host);
    HWND hPage = SelectPage(hSheet, 0);
    for (int id : {103, 124, 125, 132, 133, 142})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hPage, id))) << id;
    EXPECT_FALSE(PlatScriptChoose(hSheet, 133, nullptr, nullptr, 1));
    hPage = SelectPage(hSheet, 2);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hPage, 311)));
    DestroyWindow(hSheet);
    CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
}

// The change cycle: a person picks another duplex mode on the Setup page;
// the setting follows, the sheet's Apply button wakes up, and the Finishing
// page, which shows the same setting, shows it when it is next activated.
TEST_F(Sheets, ChoosingAnItemRunsTheChangeCycle)
{
    DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_COPY);
    FAKEHOST host;
    InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
    ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
    UISETTINGS* pObj = SheetOf(&host)->pSettings;
    HWND hSheet = ShowPages(&host);
    HWND hSetup = SelectPage(hSheet, 0);
    HWND hCombo = GetDlgItem(hSetup, 133);
    int cItems = (int)SendMessageW(hCombo, CB_GETCOUNT, 0, 0);
    ASSERT_GE(cItems, 2);
    BindFeatureFields(pObj);
    SHORT sBefore = GetFeatureValue(133);
    int iPick = (int)SendMessageW(hCombo, CB_GETCURSEL, 0, 0) == 0 ? 1 : 0;
    WCHAR szPicked[64] = {};
    SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)iPick, (LPARAM)szPicked);

    HWND hApply = PlatScriptFindControl(hSheet, 0, u"Apply");
    ASSERT_NE(hApply, nullptr);
    EXPECT_FALSE(IsWindowEnabled(hApply));
    // The list waits for its switch.
    EXPECT_FALSE(IsWindowEnabled(hCombo));
    ASSERT_TRUE(PlatScriptCheck(hSheet, 132, nullptr, BST_CHECKED)) << Narrow(PlatScriptError());
    BindFeatureFields(pObj);
    EXPECT_EQ(GetFeatureValue(132), 1);
    EXPECT_TRUE(IsWindowEnabled(hCombo));
    EXPECT_TRUE(IsWindowEnabled(hApply));
    ASSERT_TRUE(PlatScriptChoose(hSheet, 133, nullptr, nullptr, iPick)) << Narrow(PlatScriptError());
    BindFeatureFields(pObj);
    EXPECT_NE(GetFeatureValue(133), sBefore);
    EXPECT_EQ(GetActivePageId(pObj), 100);
    EXPECT_TRUE(IsWindowEnabled(hApply));

    UpdateWindow(hSheet);
    EXPECT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/sheets_setup_changed.png"));

    HWND hFinishing = SelectPage(hSheet, 2);
    EXPECT_EQ(GetActivePageId(pObj), 300);
    WCHAR szShown[64] = {};
    HWND hList = GetDlgItem(hFinishing, 311);
    SendMessageW(hList, CB_GETLBTEXT, (WPARAM)SendMessageW(hList, CB_GETCURSEL, 0, 0), (LPARAM)szShown);
    EXPECT_EQ(std::u16string(szShown), std::u16string(szPicked));

    // Apply: every page applies once and tells the sheet.
    EXPECT_TRUE(PlatScriptClick(hSheet, 0, u"Apply"));
    EXPECT_GE(host.cSetResult, 1);
    LONG_PTR lLastPage = SheetOf(&host)->lLastPage;  // copied out of the packed record
    EXPECT_EQ(host.lLastSetResultHandle, lLastPage);
    EXPECT_EQ(GetSheetState(pObj, UIS_STATE_APPLIED), 1u);
    DestroyWindow(hSheet);
    CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
}

// The list filler on a page: only enabled items are shown, and a current
// value that is no longer offered falls back.
struct FillCase {
    const char* name;
    int iDisable;            // 0 none, 1 the current item, 2 current and default, 3 all
    BOOL bExpectDefault;     // the value becomes the default
    BOOL bExpectFirst;       // the value becomes the first shown item
    BOOL bExpectEmpty;       // the combo is empty
};

UIITEMLIST* g_pFillList = nullptr;
int g_iFillMode = 0;
SHORT g_sFillCurrent = 0;

void _FillRule(HWND, UISETTINGS*, WORD, int iItem, SHORT* psState)
{
    const UIITEMCHOICE* it = GetValueListItem(g_pFillList, iItem);
    BOOL bOff = g_iFillMode == 3 || (g_iFillMode >= 1 && it->sValue == g_sFillCurrent) ||
                (g_iFillMode == 2 && it->sValue == g_pFillList->sDefault);
    if (bOff)
        *psState = VALUEITEM_DISABLED;
}

TEST_F(Sheets, ListFillerShowsOnlyWhatIsOffered)
{
    const FillCase cases[] = {
        {"all offered", 0, FALSE, FALSE, FALSE},
        {"current withdrawn", 1, TRUE, FALSE, FALSE},
        {"current and default withdrawn", 2, FALSE, TRUE, FALSE},
        {"nothing offered", 3, TRUE, FALSE, TRUE},
    };
    DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_COPY);
    FAKEHOST host;
    InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
    ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
    UISETTINGS* pObj = SheetOf(&host)->pSettings;
    HWND hSheet = ShowPages(&host);
    HWND hPage = SelectPage(hSheet, 0);
    HWND hCombo = GetDlgItem(hPage, 125);
    BindFeatureFields(pObj);
    g_pFillList = GetFeatureListHeader(125);
    ASSERT_NE(g_pFillList, nullptr);
    ASSERT_GE(g_pFillList->sCount, 3);
    // A current value other than the default, so the cases tell them apart.
    const SHORT sDefault = g_pFillList->sDefault;
    SHORT sOther = GetValueListItem(g_pFillList, 0)->sValue;
    if (sOther == sDefault)
        sOther = GetValueListItem(g_pFillList, 1)->sValue;
    for (const FillCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_pFillList->sInitial = sOther;
        g_sFillCurrent = sOther;
        g_iFillMode = c.iDisable;
        WORD awIndex[64] = {};
        WORD wPos = FillValueListCombo(hPage, pObj, 125, awIndex, _FillRule, LISTFILL_PLAIN);
        int cShown = (int)SendMessageW(hCombo, CB_GETCOUNT, 0, 0);
        int cOffered = 0;
        for (int i = 0; i < g_pFillList->sCount; ++i) {
            EXPECT_EQ(awIndex[i], (WORD)GetValueListItem(g_pFillList, i)->sValue);
            cOffered += GetValueListItem(g_pFillList, i)->sEnabled == VALUEITEM_ENABLED;
        }
        EXPECT_EQ(cShown, cOffered);
        if (c.bExpectEmpty) {
            EXPECT_EQ(cShown, 0);
            EXPECT_EQ(wPos, POSITION_NONE);
            EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), CB_ERR);
        } else {
            WCHAR szSel[64] = {};
            SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)SendMessageW(hCombo, CB_GETCURSEL, 0, 0), (LPARAM)szSel);
            int iItem = FindValueListText(g_pFillList, szSel);
            ASSERT_NE(iItem, (int)POSITION_NONE);
            EXPECT_EQ(GetValueListItem(g_pFillList, iItem)->sValue, g_pFillList->sInitial);
            EXPECT_EQ(g_pFillList->sCurIndex, (SHORT)wPos);
        }
        if (c.iDisable == 0) {
            EXPECT_EQ(g_pFillList->sInitial, sOther);
        }
        if (c.bExpectDefault) {
            EXPECT_EQ(g_pFillList->sInitial, sDefault);
        }
        if (c.bExpectFirst) {
            EXPECT_EQ(wPos, 0);
            EXPECT_NE(g_pFillList->sInitial, sDefault);
            EXPECT_NE(g_pFillList->sInitial, sOther);
        }
    }
    DestroyWindow(hSheet);
    CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
}

// ---- Through the platform's sheet host, as a person uses it ----

PLATSCRIPTSTEP Step(int iStep, int id = 0, int iIndex = -1)
{
    PLATSCRIPTSTEP s = {};
    s.iStep = iStep;
    s.id = id;
    s.iIndex = iIndex;
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

TEST_F(Sheets, DeviceSheetStoresThePrintersDefaultOnOkOnly)
{
    std::vector<BYTE> before = StoredDefault(printer.h);
    ASSERT_EQ(before.size(), 2615u);

    // Cancel after a change: nothing is written.
    DEVICEPROPERTYHEADER dev = DevHeader(printer.h, 0);
    PLATSCRIPTSTEP cancel[] = {Step(PSS_CHOOSE, 804, 1), Step(PSS_CANCEL)};
    ASSERT_TRUE(PlatScriptOnDialog(800, cancel, 2));
    PlatResetSpoolerCounters();
    DWORD dwResult = 99;
    CommonPropertySheetUIW(NULL, HostDeviceBody, (LPARAM)&dev, &dwResult);
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    EXPECT_EQ(dwResult, (DWORD)CPSUI_CANCEL);
    EXPECT_EQ(PlatSetPrinterDataCalls(), 0u);
    EXPECT_EQ(StoredDefault(printer.h), before);

    // OK after the same change: 2615 bytes that differ from before.
    PLATSCRIPTSTEP ok[] = {Step(PSS_CHOOSE, 804, 1), Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(800, ok, 2));
    CommonPropertySheetUIW(NULL, HostDeviceBody, (LPARAM)&dev, &dwResult);
    EXPECT_EQ(Narrow(PlatScriptError()), "");
    EXPECT_EQ(dwResult, (DWORD)CPSUI_OK);
    std::vector<BYTE> after = StoredDefault(printer.h);
    EXPECT_EQ(after.size(), 2615u);
    EXPECT_NE(after, before);

    // A printer that refuses the store keeps its default, and the sheet
    // does not report OK.
    PLATSCRIPTSTEP again[] = {Step(PSS_CHOOSE, 804, 0), Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(800, again, 2));
    PlatDenyPrinterDataWrites(TRUE);
    CommonPropertySheetUIW(NULL, HostDeviceBody, (LPARAM)&dev, &dwResult);
    PlatDenyPrinterDataWrites(FALSE);
    EXPECT_EQ(dwResult, (DWORD)CPSUI_CANCEL);
    EXPECT_EQ(StoredDefault(printer.h), after);

    // Without permission OK stores nothing.
    DEVICEPROPERTYHEADER locked = DevHeader(printer.h, DPS_NOPERMISSION);
    PLATSCRIPTSTEP okOnly[] = {Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(800, okOnly, 1));
    PlatResetSpoolerCounters();
    CommonPropertySheetUIW(NULL, HostDeviceBody, (LPARAM)&locked, &dwResult);
    EXPECT_EQ(PlatSetPrinterDataCalls(), 0u);
    EXPECT_EQ(StoredDefault(printer.h), after);
}

TEST_F(Sheets, DocumentOkWithoutChangeKeepsTheDevmode)
{
    // A first OK gives the DEVMODE the sheet writes for this user.
    std::vector<BYTE> first(DRVUI_CB_DEVMODE, kSentinel);
    DOCUMENTPROPERTYHEADER doc = DocHeader(printer.h, DM_PROMPT | DM_COPY, nullptr, (DEVMODEW*)first.data());
    PLATSCRIPTSTEP ok[] = {Step(PSS_OK)};
    ASSERT_TRUE(PlatScriptOnDialog(100, ok, 1));
    DWORD dwResult = 99;
    CommonPropertySheetUIW(NULL, HostDocumentBody, (LPARAM)&doc, &dwResult);
    ASSERT_EQ(dwResult, (DWORD)CPSUI_OK);
    ASSERT_EQ(((DEVMODEW*)first.data())->dmDriverExtra, 2395);

    // Opened again with it and closed with OK, untouched: the same bytes.
    std::vector<BYTE> second(DRVUI_CB_DEVMODE, kSentinel);
    doc = DocHeader(printer.h, DM_PROMPT | DM_COPY, (DEVMODEW*)first.data(), (DEVMODEW*)second.data());
    ASSERT_TRUE(PlatScriptOnDialog(100, ok, 1));
    CommonPropertySheetUIW(NULL, HostDocumentBody, (LPARAM)&doc, &dwResult);
    EXPECT_EQ(dwResult, (DWORD)CPSUI_OK);
    EXPECT_EQ(second, first);

    // Cancel writes nothing.
    std::vector<BYTE> third(DRVUI_CB_DEVMODE, kSentinel);
    doc = DocHeader(printer.h, DM_PROMPT | DM_COPY, (DEVMODEW*)first.data(), (DEVMODEW*)third.data());
    PLATSCRIPTSTEP cancel[] = {Step(PSS_CLICK, 132), Step(PSS_CANCEL)};
    ASSERT_TRUE(PlatScriptOnDialog(100, cancel, 2));
    CommonPropertySheetUIW(NULL, HostDocumentBody, (LPARAM)&doc, &dwResult);
    EXPECT_EQ(dwResult, (DWORD)CPSUI_CANCEL);
    EXPECT_EQ(third, std::vector<BYTE>(DRVUI_CB_DEVMODE, kSentinel));
}

}  // namespace
