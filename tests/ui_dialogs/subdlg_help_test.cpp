// Help of the sub-dialogs: F1 on a control and the context menu open the
// driver's help with its table of control help; the network address dialog
// has none.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "platform/comdlg/winhelp.h"
#include "ui/dialogs/imageshift.h"
#include "ui/dialogs/ipaddress.h"
#include "ui/dialogs/jobid.h"
#include "ui/dialogs/subdlg.h"
#include "ui/dialogs/timerprint.h"
#include "ui/pages/pagehelpers.h"

namespace {

struct HelpCall {
    HWND hwnd;
    UINT command;
    ULONG_PTR data;
};
std::vector<HelpCall> g_calls;

BOOL RecordWinHelp(HWND hwnd, LPCWSTR, UINT command, ULONG_PTR data)
{
    g_calls.push_back({hwnd, command, data});
    return TRUE;
}

class SubDialogHelp : public SubDialogTest {
protected:
    void SetUp() override
    {
        SubDialogTest::SetUp();
        PlatSetVersion(5, 1);
        g_calls.clear();
        HelpSetEngines(RecordWinHelp, nullptr);
    }
    void TearDown() override
    {
        HelpSetEngines(nullptr, nullptr);
        SubDialogTest::TearDown();
    }
};

TEST_F(SubDialogHelp, F1AndTheContextMenuOpenTheControlHelp)
{
    WCHAR szAddress[IPADDRESS_CCH] = u"10.0.0.1";
    struct Row {
        int idTemplate;
        DLGPROC proc;
        LPARAM lParam;
        int idControl;
        bool bHelp;
    };
    const Row rows[] = {
        {IDD_JOBID, JobIdPasswordDlgProc, 0, IDC_JOB_ID, true},
        {IDD_NUMERIC_CODE, NumericCodeDlgProc, 0, IDC_CODE, true},
        {IDD_TIMERPRINT, TimerPrintDlgProc, 0, IDC_TIMER_HOUR, true},
        {IDD_IMAGESHIFT, ImageShiftDlgProc, 0, IDC_IS_LR_F, true},
        {IDD_IPADDRESS, IpAddressDlgProc, (LPARAM)szAddress, IDC_IP_OCTET1, false},
    };
    for (const Row& r : rows) {
        g_calls.clear();
        HWND h = Open(r.idTemplate, r.proc, r.lParam ? r.lParam : (LPARAM)pObj);
        ASSERT_NE(h, nullptr) << r.idTemplate;
        ASSERT_TRUE(PlatScriptFocus(h, r.idControl, nullptr)) << r.idTemplate;
        ASSERT_TRUE(PlatScriptPressKey(h, VK_F1, 0));
        SendMessageW(h, WM_CONTEXTMENU, (WPARAM)h, MAKELPARAM(10, 10));
        if (!r.bHelp) {
            EXPECT_TRUE(g_calls.empty()) << r.idTemplate;
            continue;
        }
        ASSERT_EQ(g_calls.size(), 2u) << r.idTemplate;
        EXPECT_EQ(g_calls[0].hwnd, GetDlgItem(h, r.idControl));
        EXPECT_EQ(g_calls[0].command, (UINT)HELP_WM_HELP);
        EXPECT_EQ(g_calls[0].data, (ULONG_PTR)GetHelpTable());
        EXPECT_NE(GetHelpContext(r.idControl), 0u) << r.idControl;
        EXPECT_EQ(g_calls[1].hwnd, h);
        EXPECT_EQ(g_calls[1].command, (UINT)HELP_CONTEXTMENU);
        ASSERT_TRUE(PlatScriptPressCancel(h));
    }
}

}  // namespace
