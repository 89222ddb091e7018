// The save dialog as a person uses it: a name and a comment typed, OK, and
// what is then on disk and in the library; the name rules as the messages a
// person reads; a full library; the pictures of the dialog.
#include <algorithm>

#include "tests/ui_library/library_fixture.h"

namespace {

PLATSCRIPTSTEP Type(int id, const char16_t* text) { return {PSS_TYPE, id, nullptr, text, -1, 0}; }
PLATSCRIPTSTEP Click(int id) { return {PSS_CLICK, id, nullptr, nullptr, -1, 0}; }
PLATSCRIPTSTEP Ok() { return {PSS_OK, 0, nullptr, nullptr, -1, 0}; }
PLATSCRIPTSTEP Cancel() { return {PSS_CANCEL, 0, nullptr, nullptr, -1, 0}; }

class SaveDialog : public LibraryTest {
protected:
    INT_PTR Run(std::vector<PLATSCRIPTSTEP> steps)
    {
        EXPECT_TRUE(PlatScriptOnDialog(IDD_USET_SAVE, steps.data(), (int)steps.size()));
        return OpenSaveSettingsDialog(hwnd, pObj);
    }
};

TEST_F(SaveDialog, SavesNamedFileWithCommentIntoTheLibrary)
{
    Set(103, 3);
    ASSERT_EQ(1, Run({Type(IDC_SAVE_NAME, u"Monthly report"), Type(IDC_SAVE_COMMENT, u"Sales, by region"), Ok()}))
        << Narrow(PlatScriptError());
    EXPECT_EQ(0, PlatMsgBoxCount()) << Narrow(BoxText(0));
    std::u16string path = FileIn(u"Monthly report.xsf");
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    ASSERT_EQ(std::vector<std::u16string>{u"Monthly report"}, Entries());
    USETENTRY e = EntryAt(0);
    EXPECT_EQ(std::u16string(u"Sales, by region"), e.szComment);
    EXPECT_EQ(std::u16string(szFolder), e.szFolder);
    // The file carries the copies, and the folder is kept for next time.
    WCHAR sz[64] = {};
    GetPrivateProfileStringW(u"QX_SETTING LIBRARY UIPARAM", u"Copies", u"", sz, 64, path.c_str());
    EXPECT_NE(std::u16string::npos, std::u16string(sz).find(u"3")) << Narrow(sz);
}

// The name rules, as the message a person reads after OK; nothing is
// saved and the dialog stays open until Cancel.
TEST_F(SaveDialog, NameRules)
{
    AddEntry(u"Monthly report");
    struct Case {
        const char16_t* name;
        UINT uText;  // 0: saved
    } cases[] = {
        {u"Mon.thly", 25751},
        {u"a/b", 25751},
        {u"caf\u00e9", 25768},
        {u"", 25750},
        {u"MONTHLY REPORT", 25754},
        {u"\u6708\u5831", 0},
        {u"0123456789012345678901234567890123456789", 0},
    };
    for (const Case& c : cases) {
        PlatMsgBoxReset();
        INT_PTR r = Run({Type(IDC_SAVE_NAME, c.name), Ok(), Cancel()});
        if (c.uText) {
            EXPECT_EQ(IDCANCEL, r) << Narrow(c.name);
            ASSERT_GE(PlatMsgBoxCount(), 1) << Narrow(c.name);
            EXPECT_EQ(Res(c.uText), BoxText(0)) << Narrow(c.name);
        } else {
            EXPECT_EQ(1, r) << Narrow(c.name) << " " << Narrow(BoxText(0));
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(FileIn((std::u16string(c.name) + u".xsf").c_str()).c_str()));
        }
    }
    EXPECT_EQ(3u, Entries().size());
    // The edit takes no 41st character.
    PlatMsgBoxReset();
    EXPECT_EQ(1, Run({Type(IDC_SAVE_NAME, u"ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJK"), Ok()}));
    EXPECT_EQ(u"ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ", Entries().back());
}

// Saving over a file: a plain file asks first, a read-only one refuses.
TEST_F(SaveDialog, ExistingFiles)
{
    struct Case {
        DWORD dwAttributes;
        int iAnswer;
        UINT uText;
        INT_PTR iResult;
    } cases[] = {
        {FILE_ATTRIBUTE_NORMAL, IDNO, 25755, IDCANCEL},
        {FILE_ATTRIBUTE_NORMAL, IDYES, 25755, 1},
        {FILE_ATTRIBUTE_READONLY, IDYES, 25756, IDCANCEL},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::u16string name = u"Old" + std::u16string(1, (char16_t)(u'0' + i++));
        std::u16string path = FileIn((name + u".xsf").c_str());
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        CloseHandle(h);
        SetFileAttributesW(path.c_str(), c.dwAttributes);
        PlatMsgBoxReset();
        PlatMsgBoxPushAnswer(c.iAnswer);
        EXPECT_EQ(c.iResult, Run({Type(IDC_SAVE_NAME, name.c_str()), Ok(), Cancel()})) << i;
        ASSERT_GE(PlatMsgBoxCount(), 1);
        EXPECT_EQ(Res(c.uText), BoxText(0)) << i;
        EXPECT_EQ(c.iResult == 1, Entries().size() == 1u && Entries()[0] == name) << i;
    }
}

TEST_F(SaveDialog, FullLibraryIsReportedAndTheDialogCloses)
{
    USETLIBRARY* p = CreateUserSettingsLibraryFull(nullptr, pObj);
    ASSERT_NE(nullptr, p);
    for (int i = 0; i < 25; ++i) {
        std::u16string name = u"S" + std::u16string(1, (char16_t)(u'A' + i));
        ASSERT_TRUE(bAddUserSettingFile(p, pObj, szFolder, name.c_str(), u""));
    }
    ASSERT_TRUE(bFinishUserSettingsLibrary(p));
    DestroyUserSettingsLibrary(&p);
    PlatMsgBoxReset();
    EXPECT_NE(1, OpenSaveSettingsDialog(hwnd, pObj));
    ASSERT_EQ(1, PlatMsgBoxCount()) << Narrow(BoxText(0)) << "|" << Narrow(BoxText(1));
    WCHAR sz[1024];
    wsprintfW(sz, GetResString(21010), 25);
    EXPECT_EQ(std::u16string(sz), BoxText(0));
    // The organize dialog takes no further file.
    HWND h = CreateDialogParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_ORGANIZE), hwnd,
                                OrganizeLibraryDlgProc, (LPARAM)pObj);
    ASSERT_NE(nullptr, h);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_ORG_REGISTER)));
    SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    DestroyWindow(h);
    // The menu offers the library-full notice in place of the save dialog.
    HMENU hMenu = BuildSaveRecallMenu(pObj);
    EXPECT_EQ((UINT)IDM_USET_SAVE_FULL, GetMenuItemID(hMenu, 1));
    DestroyMenu(hMenu);
}

// Browse: the chosen file gives folder and name; a file of another kind is
// refused with its message and keeps only the folder.
TEST_F(SaveDialog, BrowseChoosesFolderAndName)
{
    CreateDirectoryW(u"C:\\other", nullptr);
    PlatFileDlgPushAnswer(u"C:\\other\\notes.txt", 0);
    PlatFileDlgPushAnswer(u"C:\\other\\Chosen.xsf", 0);
    EXPECT_EQ(1, Run({Click(IDC_SAVE_BROWSE), Click(IDC_SAVE_BROWSE), Ok()})) << Narrow(PlatScriptError());
    // The file dialog asks before a new file is named (OFN_CREATEPROMPT);
    // the text file is refused with its message.
    std::vector<std::u16string> boxes = BoxTexts();
    EXPECT_EQ(1, std::count(boxes.begin(), boxes.end(), Res(25753)));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(u"C:\\other\\Chosen.xsf"));
    ASSERT_EQ(std::vector<std::u16string>{u"Chosen"}, Entries());
    PLATFILEDLGREQUEST r = {};
    ASSERT_TRUE(PlatFileDlgGet(0, &r));
    EXPECT_TRUE(r.bSave);
    EXPECT_EQ((DWORD)(OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_CREATEPROMPT | OFN_LONGNAMES), r.dwFlags);
    EXPECT_EQ(std::u16string(szFolder), r.pszInitialDir);
    // The folder is remembered for the next save.
    PlatFileDlgReset();
    EXPECT_EQ(1, Run({Type(IDC_SAVE_NAME, u"Second"), Ok()}));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(u"C:\\other\\Second.xsf"));
}

}  // namespace
