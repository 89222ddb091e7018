// Edge cases of the library dialogs: the checks of a file chosen in the
// file dialogs, the default folder, an empty library, a sheet that may not
// change settings, the Help buttons.
#include "tests/ui_library/library_fixture.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/pagehelpers.h"

namespace {

class Edges : public LibraryTest {
protected:
    HWND Open(int id, DLGPROC proc)
    {
        HWND h = CreateDialogParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(id), hwnd, proc, (LPARAM)pObj);
        if (h)
            ShowWindow(h, SW_SHOW);
        return h;
    }
    void Close(HWND h)
    {
        if (IsWindow(h))
            SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
        if (IsWindow(h))
            DestroyWindow(h);
    }
};

// A path as the file dialogs hand it out: offsets of the file name and of
// the extension (0 when there is none).
struct Chosen {
    const char16_t* path;
    WORD wFile, wExt;
};

TEST_F(Edges, CheckChosenSaveFile)
{
    HWND h = Open(IDD_USET_SAVE, SaveSettingsDlgProc);
    ASSERT_NE(nullptr, h);
    const char16_t* k41 = u"C:\\d\\ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJK.xsf";
    struct Case {
        Chosen c;
        int iResult;
        UINT uText;
    } cases[] = {
        {{u"", 0, 0}, 0, 0},
        {{u"C:\\d\\name", 5, 0}, 1, 25751},
        {{u"C:\\d\\name.xsf", 0, 10}, 1, 25751},
        {{u"C:\\d\\name.txt", 5, 10}, 1, 25753},
        {{u"C:\\d\\name.xsfx", 5, 10}, 1, 25753},
        {{u"C:\\d\\na.me.xsf", 5, 11}, 1, 25751},
        {{u"C:\\d\\caf\u00e9.xsf", 5, 10}, 1, 25768},
        {{k41, 5, 47}, 1, 25752},
        {{u"C:\\d\\Name.XSF", 5, 10}, 2, 0},
        {{u"C:\\d\\\u6708\u5831.xsf", 5, 8}, 2, 0},
    };
    for (const Case& c : cases) {
        PlatMsgBoxReset();
        EXPECT_EQ(c.iResult, CheckChosenSaveFile(h, c.c.path, c.c.wFile, c.c.wExt)) << Narrow(c.c.path);
        if (c.uText) {
            ASSERT_EQ(1, PlatMsgBoxCount()) << Narrow(c.c.path);
            EXPECT_EQ(Res(c.uText), BoxText(0)) << Narrow(c.c.path);
        } else {
            EXPECT_EQ(0, PlatMsgBoxCount()) << Narrow(c.c.path);
        }
    }
    Close(h);
}

TEST_F(Edges, CheckChosenLibraryFile)
{
    AddEntry(u"Monthly report");
    HWND h = Open(IDD_USET_ORGANIZE, OrganizeLibraryDlgProc);
    ASSERT_NE(nullptr, h);
    const char16_t* k41 = u"C:\\d\\ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJK.xsf";
    const char16_t* k40 = u"C:\\d\\ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ.xsf";
    struct Case {
        Chosen c;
        int iResult;
        UINT uText;
    } cases[] = {
        {{u"", 0, 0}, 0, 0},
        {{u"C:\\d\\name", 5, 0}, 0, 25762},
        {{u"C:\\d\\name.txt", 5, 10}, 0, 25763},
        {{k41, 5, 47}, 1, 25761},
        {{u"C:\\d\\MONTHLY REPORT.xsf", 5, 20}, 1, 25764},
        {{k40, 5, 46}, 2, 0},
        {{u"C:\\d\\Other.xsf", 5, 11}, 2, 0},
    };
    for (const Case& c : cases) {
        PlatMsgBoxReset();
        EXPECT_EQ(c.iResult, CheckChosenLibraryFile(h, c.c.path, c.c.wFile, c.c.wExt)) << Narrow(c.c.path);
        if (c.uText) {
            ASSERT_EQ(1, PlatMsgBoxCount()) << Narrow(c.c.path);
            EXPECT_EQ(Res(c.uText), BoxText(0)) << Narrow(c.c.path);
        } else {
            EXPECT_EQ(0, PlatMsgBoxCount()) << Narrow(c.c.path);
        }
    }
    Close(h);
}

TEST_F(Edges, NameCharacterTests)
{
    struct Case {
        const char16_t* name;
        BOOL bAllowed, bPrintable;
    } cases[] = {
        {u"Monthly report", TRUE, TRUE}, {u"a.b", FALSE, TRUE},     {u"a\\b", FALSE, TRUE},
        {u"a/b", FALSE, TRUE},           {u"a:b", FALSE, TRUE},     {u"a*b", FALSE, TRUE},
        {u"a?b", FALSE, TRUE},           {u"a\"b", FALSE, TRUE},    {u"a<b", FALSE, TRUE},
        {u"a>b", FALSE, TRUE},           {u"a|b", FALSE, TRUE},     {u"a\x7f", TRUE, FALSE},
        {u"\u00ff", TRUE, FALSE},        {u"\u0100", TRUE, TRUE},   {u"\u6708\u5831", TRUE, TRUE},
        {u"a\tb", TRUE, FALSE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.bAllowed, bHasNoForbiddenChars(c.name)) << Narrow(c.name);
        EXPECT_EQ(c.bPrintable, bIsPrintableName(c.name)) << Narrow(c.name);
    }
    EXPECT_FALSE(bHasNoForbiddenChars(nullptr));
    EXPECT_FALSE(bIsPrintableName(nullptr));
}

TEST_F(Edges, DefaultFolderFallsBackToTheWindowsFolder)
{
    WCHAR szDocs[MAX_PATH] = {}, szWin[MAX_PATH] = {}, sz[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, szDocs));
    GetWindowsDirectoryW(szWin, MAX_PATH);
    EXPECT_TRUE(GetDefaultSettingsFolder(sz, MAX_PATH));
    EXPECT_EQ(std::u16string(szDocs), sz);
    PlatShellFailFolder(E_FAIL);
    EXPECT_TRUE(GetDefaultSettingsFolder(sz, MAX_PATH));
    PlatShellFailFolder(S_OK);
    EXPECT_EQ(std::u16string(szWin), sz);
}

// An empty library: the organize dialog has nothing to act on and shows
// empty previews.
TEST_F(Edges, OrganizeWithAnEmptyLibrary)
{
    HWND h = Open(IDD_USET_ORGANIZE, OrganizeLibraryDlgProc);
    ASSERT_NE(nullptr, h);
    for (int id : {IDC_ORG_LIST, IDC_ORG_DELETE, IDC_ORG_UP, IDC_ORG_DOWN})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, id))) << id;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_ORG_REGISTER)));
    WCHAR sz[64] = {};
    GetDlgItemTextW(h, IDC_ORG_NAME, sz, 64);
    EXPECT_EQ(std::u16string(), sz);
    GetDlgItemTextW(h, IDC_ORG_COUNT, sz, 64);
    EXPECT_EQ(std::u16string(u"0/25"), sz);
    GetDlgItemTextW(h, IDC_SUMMARY_ORGANIZE_EDIT, sz, 64);
    EXPECT_EQ(std::u16string(), sz);
    EXPECT_TRUE(PlatWriteWindowPng(h, PicturePath("uset_organize_empty").c_str()));
    Close(h);
}

// A sheet opened without the right to change settings: every control but
// OK, Cancel and Close is disabled.
TEST_F(Edges, NotEditableSheetDisablesTheControls)
{
    AddEntry(u"Monthly report");
    SetLibrarySheetEditable(pObj, FALSE);
    struct Case {
        int id;
        DLGPROC proc;
        std::vector<int> off;
        std::vector<int> on;
    } cases[] = {
        {IDD_USET_SAVE, SaveSettingsDlgProc, {IDC_SAVE_LIST, IDC_SAVE_NAME, IDC_SAVE_BROWSE, 166, 167}, {IDOK, IDCANCEL}},
        {IDD_USET_RECALL, RecallSettingsDlgProc, {IDC_RECALL_LIST, IDC_RECALL_DETAIL, 166}, {IDOK, IDCANCEL}},
        {IDD_USET_ORGANIZE, OrganizeLibraryDlgProc, {IDC_ORG_LIST, IDC_ORG_DELETE, IDC_ORG_REGISTER, IDC_ORG_NAME},
         {IDOK, IDCANCEL, IDC_ORG_CLOSE}},
    };
    for (const Case& c : cases) {
        HWND h = Open(c.id, c.proc);
        ASSERT_NE(nullptr, h) << c.id;
        for (int id : c.off)
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, id))) << c.id << " " << id;
        for (int id : c.on)
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, id))) << c.id << " " << id;
        Close(h);
    }
    HWND h = CreateDialogParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_DETAIL), hwnd,
                                RecallDetailDlgProc, (LPARAM)pObj);
    ASSERT_NE(nullptr, h);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_DETAIL_PAPER)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_DETAIL_ALL)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDOK)));
    Close(h);
}

struct HelpCall {
    UINT uCommand;
    ULONG_PTR dwData;
};
std::vector<HelpCall> g_help;
BOOL RecordHelp(HWND, LPCWSTR, UINT uCommand, ULONG_PTR dwData)
{
    g_help.push_back({uCommand, dwData});
    return TRUE;
}

TEST_F(Edges, HelpButtonsOpenTheirContexts)
{
    HelpSetEngines(RecordHelp, nullptr);
    AddEntry(u"Monthly report");
    struct Case {
        int id;
        DLGPROC proc;
        int idHelp;
        DWORD dwContext;
    } cases[] = {
        {IDD_USET_SAVE, SaveSettingsDlgProc, IDC_SAVE_HELP, 0x1451},
        {IDD_USET_RECALL, RecallSettingsDlgProc, IDC_RECALL_HELP, 0x1452},
        {IDD_USET_ORGANIZE, OrganizeLibraryDlgProc, IDC_ORG_HELP, 0x1453},
    };
    for (const Case& c : cases) {
        g_help.clear();
        HWND h = Open(c.id, c.proc);
        ASSERT_NE(nullptr, h);
        EXPECT_TRUE(PlatScriptClick(h, c.idHelp, nullptr)) << Narrow(PlatScriptError());
        ASSERT_EQ(1u, g_help.size()) << c.id;
        EXPECT_EQ((UINT)HELP_CONTEXT, g_help[0].uCommand);
        EXPECT_EQ(c.dwContext, g_help[0].dwData);
        Close(h);
    }
    HelpSetEngines(nullptr, nullptr);
}

}  // namespace

namespace {

// Drawing the previews of the save dialog's copy must not touch the path of
// its working file, which is deleted when the dialog ends.
TEST_F(Edges, PreviewsKeepTheWorkingFileOfTheCopy)
{
    USETLIBRARY* p = CreateUserSettingsLibrary(nullptr, pObj);
    ASSERT_NE(nullptr, p);
    UISETTINGS* pCopy = CloneSettingsForSave(p, pObj);
    ASSERT_NE(nullptr, pCopy);
    std::u16string before = SettingsWorkFile(pCopy);
    ASSERT_FALSE(before.empty());
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm = CreateCompatibleBitmap(hdc, 140, 160);
    HGDIOBJ hOld = SelectObject(hdc, hbm);
    RECT rc = {0, 0, 138, 159};
    PaintPaperView(hdc, &rc, pCopy);
    PaintMachineView(hdc, &rc, pCopy, FALSE);
    SelectObject(hdc, hOld);
    DeleteObject(hbm);
    DeleteDC(hdc);
    EXPECT_EQ(before, std::u16string(SettingsWorkFile(pCopy)));
    DiscardSettingsClone(p, &pCopy);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(before.c_str()));
    DestroyUserSettingsLibrary(&p);
}

}  // namespace
