// The setting-dialog fixture (settingdlg_fixture.h).
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {
const char16_t* const kPrinter = u"QX-730 Dialogs";
}

void SettingDlgTest::SetUp()
{
    TestNewRoot();
    // The property sheet that opens these dialogs has the common controls
    // ready (up-down buttons of the margin and paper size dialogs).
    InitCommonControls();
    ASSERT_TRUE(PlatInstallPrinter(kPrinter, u"C:\\dialogs.prn", nullptr));
    ASSERT_NE(LoadResourceDll(), nullptr);
    hUi = LoadLibraryW(u"Q730MVU3.DLL");
    ASSERT_NE(hUi, nullptr);
    pdb = OpenOptionDb();
    ASSERT_NE(pdb, nullptr);
    dm.assign(DRV_DEVMODE_SIZE, 0);
    ASSERT_TRUE(InitDefaultDevmode(pdb, (DEVMODEW*)dm.data(), kPrinter, nullptr));
    ValidateDevmode(pdb, (DEVMODEW*)dm.data(), nullptr);
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, (DEVMODEW*)dm.data(), 0, kPrinter));
    BindFeatureFields(pObj);
    PlatMsgBoxReset();
    PlatScriptReset();
}

void SettingDlgTest::TearDown()
{
    // Before the settings object: a dialog being destroyed may still read it.
    for (HWND h : open)
        if (IsWindow(h))
            DestroyWindow(h);
    open.clear();
    PlatPumpMessages();
    PlatScriptReset();
    PlatMsgBoxReset();
    DestroySettingsObject(&pObj);
    CloseOptionDb(pdb);
    if (hUi)
        FreeLibrary(hUi);
    FreeResourceDll();
}

INT_PTR SettingDlgTest::Run(int idTemplate, DLGPROC proc, std::initializer_list<PLATSCRIPTSTEP> steps)
{
    std::vector<PLATSCRIPTSTEP> v(steps);
    EXPECT_TRUE(PlatScriptOnDialog(idTemplate, v.data(), (int)v.size()));
    SetActivePageId(pObj, (WORD)idTemplate);
    INT_PTR r = DialogBoxParamW(hUi, MAKEINTRESOURCEW(idTemplate), nullptr, proc, (LPARAM)pObj);
    SetActivePageId(pObj, 100);
    return r;
}

HWND SettingDlgTest::Open(int idTemplate, DLGPROC proc)
{
    SetActivePageId(pObj, (WORD)idTemplate);
    HWND h = CreateDialogParamW(hUi, MAKEINTRESOURCEW(idTemplate), nullptr, proc, (LPARAM)pObj);
    EXPECT_NE(h, nullptr);
    if (h) {
        open.push_back(h);
        ShowWindow(h, SW_SHOW);
    }
    PlatPumpMessages();
    return h;
}

void SettingDlgTest::Close(HWND h)
{
    if (IsWindow(h))
        SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    if (IsWindow(h))
        DestroyWindow(h);
    PlatPumpMessages();
    SetActivePageId(pObj, 100);
}

void SettingDlgTest::Picture(HWND h, const std::string& name)
{
    PlatPumpMessages();
    std::string root = TestRootFile(name + ".png");
    EXPECT_TRUE(PlatWriteWindowPng(h, root.c_str()));
    PlatWriteWindowPng(h, ("/tmp/" + name + ".png").c_str());
}

std::u16string SettingDlgTest::Text(HWND hDlg, int id)
{
    WCHAR sz[512] = {0};
    GetDlgItemTextW(hDlg, id, sz, 512);
    return sz;
}

std::vector<std::u16string> SettingDlgTest::Boxes()
{
    std::vector<std::u16string> v;
    for (int i = 0; i < PlatMsgBoxCount(); ++i) {
        LPCWSTR pszText = nullptr;
        PlatMsgBoxGet(i, nullptr, &pszText, nullptr, nullptr);
        v.push_back(pszText ? pszText : u"");
    }
    return v;
}

std::string SettingDlgTest::Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 128 ? (char)c : '?';
    return r;
}

std::string SettingDlgTest::Err()
{
    return Narrow(PlatScriptError());
}

std::string SettingDlgTest::PrintJob()
{
    CommitEditedSettings(pObj);
    EXPECT_EQ(1, SettingsToDevmode(pObj, (DEVMODEW*)dm.data(), pdb));
    // The job goes to the printer whose settings these are, so that it
    // finds the printer data the dialogs stored.
    DeleteFileW(u"C:\\dialogs.prn");
    HDC hdc = CreateDCW(nullptr, kPrinter, nullptr, (DEVMODEW*)dm.data());
    EXPECT_NE(nullptr, hdc);
    if (!hdc)
        return {};
    DOCINFOW di = {sizeof(DOCINFOW), u"Dialogs", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(hdc, &di), 0);
    for (int page = 0; page < 2; ++page) {
        EXPECT_GT(StartPage(hdc), 0);
        Rectangle(hdc, 100, 100, 400, 400);
        EXPECT_GT(EndPage(hdc), 0);
    }
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    std::ifstream in(TestRootFile("c/dialogs.prn"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SettingDlgTest::PjlLine(const std::string& job, const std::string& key)
{
    size_t at = job.find("@PJL SET " + key + " = ");
    if (at == std::string::npos)
        return "";
    size_t end = job.find_first_of("\r\n", at);
    return job.substr(at, end - at);
}
