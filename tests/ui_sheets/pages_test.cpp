// The page framework seen from a page: help, the Version page, sub-dialogs
// opened from a page and the picture of the Version page.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/comdlg/winhelp.h"
#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/regenv.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"

#include <cstdlib>

#include <string>

namespace {

std::string Narrow(LPCWSTR psz)
{
    std::string s;
    for (; psz && *psz; ++psz)
        s += *psz < 128 ? (char)*psz : '?';
    return s;
}

struct HELPCALL {
    UINT uCommand;
    ULONG_PTR dwData;
};
std::vector<HELPCALL> g_help;

BOOL RecordWinHelp(HWND, LPCWSTR, UINT uCommand, ULONG_PTR dwData)
{
    g_help.push_back({uCommand, dwData});
    return TRUE;
}

HWND RecordHtmlHelp(HWND, LPCWSTR, UINT uCommand, DWORD_PTR dwData)
{
    g_help.push_back({uCommand, dwData});
    return (HWND)1;
}

// An open document sheet whose pages the test drives, torn down as the
// host would.
class OpenSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatScriptReset();
        g_help.clear();
        HelpSetEngines(RecordWinHelp, RecordHtmlHelp);
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
        HelpSetEngines(nullptr, nullptr);
        PlatSetVersion(5, 1);
    }
    HWND Page(int i)
    {
        SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
        return (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    }
    std::u16string Text(HWND hwnd, int id)
    {
        WCHAR sz[256] = {};
        GetDlgItemTextW(hwnd, id, sz, 256);
        return sz;
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

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    HWND hSheet = nullptr;
};

// ---- Help ----

TEST_F(OpenSheet, HelpOfThePages)
{
    struct Row {
        int iPage;
        UINT uMessage;
        std::vector<HELPCALL> want;  // what reaches the help engine
    };
    const ULONG_PTR table = (ULONG_PTR)GetHelpTable();
    const Row rows[] = {
        {0, PSN_HELP, {{HELP_CONTEXT, 2002}}},
        {2, PSN_HELP, {{HELP_CONTEXT, 2004}}},
        {7, PSN_HELP, {{HELP_CONTEXT, 2011}}},
        {0, WM_HELP, {{HELP_WM_HELP, table}}},
        {0, WM_CONTEXTMENU, {{HELP_CONTEXTMENU, table}}},
        {7, WM_HELP, {}},          // the Version page shows no help for its controls
        {7, WM_CONTEXTMENU, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "page " << r.iPage << " message " << r.uMessage);
        g_help.clear();
        HWND hPage = Page(r.iPage);
        if (r.uMessage == PSN_HELP) {
            Notify(hPage, PSN_HELP);
        } else if (r.uMessage == WM_HELP) {
            HELPINFO hi = {};
            hi.cbSize = sizeof(hi);
            hi.iContextType = HELPINFO_WINDOW;
            hi.hItemHandle = GetWindow(hPage, GW_CHILD);
            SendMessageW(hPage, WM_HELP, 0, (LPARAM)&hi);
        } else {
            SendMessageW(hPage, WM_CONTEXTMENU, (WPARAM)GetWindow(hPage, GW_CHILD), 0);
        }
        ASSERT_EQ(g_help.size(), r.want.size());
        for (size_t i = 0; i < r.want.size(); ++i) {
            EXPECT_EQ(g_help[i].uCommand, r.want[i].uCommand);
            EXPECT_EQ(g_help[i].dwData, r.want[i].dwData);
        }
    }
}

// ---- Refresh routing ----

// A setting that the rules change on a page the user is not looking at is
// only marked there; the page shows it when it is next activated. On the
// page in front it shows at once.
TEST_F(OpenSheet, ForcedChangesReachThePageInFrontAtOnceAndOthersLater)
{
    HWND hFinishing = Page(2);
    HWND hSetup = Page(0);
    HWND hList = GetDlgItem(hFinishing, 311);
    BindFeatureFields(pObj);
    const FVLHEADER* pList = GetFeatureListHeader(311);
    ASSERT_NE(pList, nullptr);
    auto shown = [&]() {
        WCHAR sz[64] = {};
        SendMessageW(hList, CB_GETLBTEXT, (WPARAM)SendMessageW(hList, CB_GETCURSEL, 0, 0), (LPARAM)sz);
        WORD w = FindValueListText(pList, sz);
        return w == POSITION_NONE ? (SHORT)-1 : GetValueListItem(pList, w)->sValue;
    };
    auto another = [&](SHORT sNot) {
        for (int i = 0; i < pList->sCount; ++i)
            if (GetValueListItem(pList, i)->sEnabled == VALUEITEM_ENABLED && GetValueListItem(pList, i)->sValue != sNot)
                return GetValueListItem(pList, i)->sValue;
        return sNot;
    };
    const SHORT sOld = GetFeatureValue(311);
    ASSERT_EQ(shown(), sOld);
    const SHORT sNew = another(sOld);
    ASSERT_NE(sNew, sOld);

    // Behind: marked, not shown.
    SetFeatureValue(311, sNew);
    UpdateFeatureControl(hSetup, 311, sNew);
    EXPECT_NE(*PageRefreshMask(pObj, 300), 0u);
    EXPECT_EQ(shown(), sOld);
    // Activated: shown, and nothing is left to redraw.
    Page(2);
    EXPECT_EQ(shown(), sNew);
    EXPECT_EQ(*PageRefreshMask(pObj, 300), 0u);

    // In front: shown at once.
    BindFeatureFields(pObj);
    SetFeatureValue(311, sOld);
    UpdateFeatureControl(hFinishing, 311, sOld);
    EXPECT_EQ(shown(), sOld);
    EXPECT_EQ(*PageRefreshMask(pObj, 300), 0u);
}

// ---- The Version page ----

TEST_F(OpenSheet, VersionPageShowsTheDriverAndLooksRight)
{
    HWND hPage = Page(7);
    ASSERT_EQ(PlatGetWindowTemplateId(hPage), 1000);
    EXPECT_EQ(Text(hPage, 1003), u"Version : 04.03.00.00");
    EXPECT_EQ(Text(hPage, 1001), std::u16string(GetModelDisplayName()) + u" series Print Controller");
    EXPECT_EQ(Text(hPage, 1002), u"ORDEX2 V Driver");
    // It edits nothing: a command changes no setting and wakes no Apply.
    HWND hApply = PlatScriptFindControl(hSheet, 0, u"Apply");
    SendMessageW(hPage, WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowEnabled(hApply));
    // Cancel goes ahead on this page.
    EXPECT_EQ(Notify(hPage, PSN_QUERYCANCEL), 0x5A5A);

    // The logo leaves no drawing object behind.
    LONG lGdi = PlatGdiLiveObjects();
    UpdateWindow(hSheet);
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/sheets_version.png"));
    EXPECT_EQ(PlatGdiLiveObjects(), lGdi);
}

// ---- Sub-dialogs ----

SHORT g_sDialogSets = 0;

INT_PTR CALLBACK DetailsDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return TRUE;
    }
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        // The dialog edits the object it was given in place, whatever the
        // button; putting things back is the opener's work.
        UISETTINGS* p = (UISETTINGS*)GetWindowLongPtrW(hwnd, DWLP_USER);
        BindFeatureFields(p);
        SetFeatureValue(133, g_sDialogSets);
        EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

PLATSCRIPTSTEP Press(int iStep)
{
    PLATSCRIPTSTEP s = {};
    s.iStep = iStep;
    s.iIndex = -1;
    return s;
}

TEST_F(OpenSheet, SubDialogOkKeepsAndCancelPutsBack)
{
    struct Row {
        const char* name;
        int iButton;
        BOOL bOnClone;
        BOOL bKept;
    };
    const Row rows[] = {
        {"OK", PSS_OK, FALSE, TRUE},
        {"Cancel", PSS_CANCEL, FALSE, FALSE},
        {"OK on a clone", PSS_OK, TRUE, TRUE},
        {"Cancel on a clone", PSS_CANCEL, TRUE, FALSE},
    };
    HWND hPage = Page(0);
    ASSERT_TRUE(PlatScriptCheck(hSheet, 132, nullptr, BST_CHECKED));
    HWND hCombo = GetDlgItem(hPage, 133);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        BindFeatureFields(pObj);
        const SHORT sBefore = GetFeatureValue(133);
        const FVLHEADER* pList = GetFeatureListHeader(133);
        ASSERT_NE(pList, nullptr);
        // The dialog picks another item that the list offers.
        g_sDialogSets = sBefore;
        for (int i = 0; i < pList->sCount; ++i) {
            const UIITEMCHOICE* it = GetValueListItem(pList, i);
            if (it->sValue != sBefore && it->sEnabled == VALUEITEM_ENABLED) {
                g_sDialogSets = it->sValue;
                break;
            }
        }
        ASSERT_NE(g_sDialogSets, sBefore);
        const DWORD dwDepBefore = GetDependencyState(133);
        SetDependencyState(133, 0);

        SUBDLGOPEN open = {};
        open.wTemplate = 2020;
        open.pfnDlgProc = DetailsDlgProc;
        open.wPageControl = 133;
        open.wDependency = 133;
        open.bOnClone = r.bOnClone;
        open.awSaved[0] = 133;
        open.cSaved = 1;
        PLATSCRIPTSTEP step = Press(r.iButton);
        ASSERT_TRUE(PlatScriptOnDialog(2020, &step, 1));
        INT_PTR res = PageOpenSubDialog(hPage, &open);
        EXPECT_EQ(res, r.iButton == PSS_OK ? IDOK : IDCANCEL);

        BindFeatureFields(pObj);
        EXPECT_EQ(GetFeatureValue(133), r.bKept ? g_sDialogSets : sBefore);
        // The combo shows the value the settings hold.
        WCHAR sz[64] = {};
        SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)SendMessageW(hCombo, CB_GETCURSEL, 0, 0), (LPARAM)sz);
        WORD wItem = FindValueListText(pList, sz);
        ASSERT_NE(wItem, POSITION_NONE);
        EXPECT_EQ(GetValueListItem(pList, wItem)->sValue, GetFeatureValue(133));
        // Cancel gives the dependency state forced for the dialog back as
        // it was; after OK the rules have worked it out again (its switch
        // is on).
        EXPECT_EQ(GetDependencyState(133), r.bKept ? 1u : 0u);
        SetDependencyState(133, dwDepBefore);
        EXPECT_EQ(GetActivePageId(pObj), 100);
    }
}

// ---- The sheet's caption ----

TEST(SheetCaption, PrintingPreferencesAndPropertiesTitles)
{
    LoadResourceDll();
    struct Row {
        const char16_t* pszParent;   // null: no parent window
        BOOL bMatches;               // bCaptionMatchesParent
        BOOL bLacksSuffix;           // what DetectSheetOrigin records on NT 5.x
    } rows[] = {
        // The titles the system gives its own two sheets.
        {u"QX-730 Printing Preferences", FALSE, FALSE},
        {u"QX-730 Properties", FALSE, FALSE},
        // An application's own sheet.
        {u"Page Setup", TRUE, TRUE},
        {u"", TRUE, TRUE},
        {nullptr, TRUE, TRUE},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.pszParent ? Narrow(r.pszParent) : "no parent");
        HWND hParent = r.pszParent ? CreateWindowExW(0, u"STATIC", r.pszParent, WS_POPUP, 0, 0, 100, 50, nullptr,
                                                     nullptr, nullptr, nullptr)
                                   : nullptr;
        HWND hChild = CreateWindowExW(0, u"STATIC", u"page", hParent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, hParent,
                                      nullptr, nullptr, nullptr);
        ASSERT_NE(hChild, nullptr);
        EXPECT_EQ(bCaptionMatchesParent(hChild), r.bMatches);
        UISETTINGS* pObj = (UISETTINGS*)calloc(1, sizeof(UISETTINGS));
        PlatSetVersion(5, 1);
        DetectSheetOrigin(hChild, pObj);
        EXPECT_EQ(GetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX), (DWORD)r.bLacksSuffix);
        // Other systems keep what the flag held.
        PlatSetVersion(4, 0);
        for (DWORD dwHeld : {0u, 1u}) {
            SetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX, dwHeld);
            DetectSheetOrigin(hChild, pObj);
            EXPECT_EQ(GetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX), dwHeld);
        }
        PlatSetVersion(5, 1);
        free(pObj);
        DestroyWindow(hChild);
        if (hParent)
            DestroyWindow(hParent);
    }
    FreeResourceDll();
}

}  // namespace
