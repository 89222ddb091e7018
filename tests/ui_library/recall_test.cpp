// The recall dialog and the recall-detail dialog as a person uses them, the
// recall options and what a recall copies, and the organize dialog's
// reorder, rename, delete and register.
#include "tests/ui_library/library_fixture.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"

namespace {

PLATSCRIPTSTEP Type(int id, const char16_t* text) { return {PSS_TYPE, id, nullptr, text, -1, 0}; }
PLATSCRIPTSTEP Click(int id) { return {PSS_CLICK, id, nullptr, nullptr, -1, 0}; }
PLATSCRIPTSTEP Check(int id, int state) { return {PSS_CHECK, id, nullptr, nullptr, -1, state}; }
PLATSCRIPTSTEP Choose(int id, int index) { return {PSS_CHOOSE, id, nullptr, nullptr, index, 0}; }
PLATSCRIPTSTEP Ok() { return {PSS_OK, 0, nullptr, nullptr, -1, 0}; }
PLATSCRIPTSTEP Cancel() { return {PSS_CANCEL, 0, nullptr, nullptr, -1, 0}; }

const WORD kCopies = 103;
const WORD kOriginal = 111;
const WORD kSimpleFinishing = 123;
const SHORT kA3 = 8;

class Recall : public LibraryTest {
protected:
    void Queue(int id, std::vector<PLATSCRIPTSTEP> steps)
    {
        ASSERT_TRUE(PlatScriptOnDialog(id, steps.data(), (int)steps.size()));
    }
    // An entry "Monthly report" with 3 copies on A3 and simple finishing on;
    // the live settings then go back to 1 copy, A4 and simple finishing off.
    void SaveMonthly()
    {
        Set(kCopies, 3);
        Set(kOriginal, kA3);
        Set(kSimpleFinishing, 1);
        AddEntry(u"Monthly report", u"by region");
        Set(kCopies, 1);
        Set(kOriginal, 9);
        Set(kSimpleFinishing, 0);
    }
};

// The paper group (original size, orientation, copies) comes back only
// when its recall option is set; the base settings always do.
TEST_F(Recall, RecallOptionsDecideWhatComesBack)
{
    SaveMonthly();
    struct Case {
        int iPaperBox;  // BST_ state set in the detail dialog
        SHORT sCopies, sOriginal;
    } cases[] = {
        {BST_UNCHECKED, 1, 9},
        {BST_CHECKED, 3, kA3},
    };
    for (const Case& c : cases) {
        Set(kCopies, 1);
        Set(kOriginal, 9);
        Set(kSimpleFinishing, 0);
        Queue(IDD_USET_DETAIL, {Check(IDC_DETAIL_PAPER, c.iPaperBox), Ok()});
        Queue(IDD_USET_RECALL, {Choose(IDC_RECALL_LIST, 0), Click(IDC_RECALL_DETAIL), Ok()});
        ASSERT_EQ(1, OpenRecallSettingsDialog(hwnd, pObj)) << Narrow(PlatScriptError());
        EXPECT_EQ(c.sCopies, Get(kCopies)) << c.iPaperBox;
        EXPECT_EQ(c.sOriginal, Get(kOriginal)) << c.iPaperBox;
        EXPECT_EQ(1, Get(kSimpleFinishing)) << c.iPaperBox;
        // The detail dialog's choice is the current option, not yet committed.
        EXPECT_EQ(c.iPaperBox == BST_CHECKED ? 1 : 0, GetRecallOptionValue(pObj, RO_PAPER));
        EXPECT_EQ(0, GetRecallOptionCommitted(pObj, RO_PAPER));
    }
    CommitRecallOptions(pObj);
    EXPECT_EQ(1, GetRecallOptionCommitted(pObj, RO_PAPER));
}

TEST_F(Recall, CancelUndoesTheDetailDialogAndRecallsNothing)
{
    SaveMonthly();
    Queue(IDD_USET_DETAIL, {Click(IDC_DETAIL_ALL), Ok()});
    Queue(IDD_USET_RECALL, {Click(IDC_RECALL_DETAIL), Cancel()});
    EXPECT_EQ(IDCANCEL, OpenRecallSettingsDialog(hwnd, pObj));
    for (int i = 0; i < RO_COUNT; ++i)
        EXPECT_EQ(GetRecallOptionDefault(pObj, i), GetRecallOptionValue(pObj, i)) << i;
    EXPECT_EQ(1, Get(kCopies));
    EXPECT_EQ(0, Get(kSimpleFinishing));
}

TEST_F(Recall, EmptyLibraryIsReportedAndTheDialogCloses)
{
    EXPECT_NE(1, OpenRecallSettingsDialog(hwnd, pObj));
    ASSERT_EQ(1, PlatMsgBoxCount());
    EXPECT_EQ(Res(25758), BoxText(0));
}

// Select all, then Cancel: the options stay; Defaults then OK: the defaults.
TEST_F(Recall, DetailDialogSelectAllDefaultsAndCancel)
{
    SetRecallOptionValue(pObj, RO_FORM, 0);
    Queue(IDD_USET_DETAIL, {Click(IDC_DETAIL_ALL), Cancel()});
    EXPECT_EQ(2, OpenRecallDetailDialog(hwnd, pObj));
    EXPECT_EQ(0, GetRecallOptionValue(pObj, RO_FORM));
    EXPECT_EQ(0, GetRecallOptionValue(pObj, RO_PAPER));
    Queue(IDD_USET_DETAIL, {Click(IDC_DETAIL_ALL), Ok()});
    EXPECT_EQ(1, OpenRecallDetailDialog(hwnd, pObj));
    for (int i = 0; i < RO_COUNT; ++i)
        EXPECT_EQ(1, GetRecallOptionValue(pObj, i)) << i;
    Queue(IDD_USET_DETAIL, {Click(IDC_DETAIL_DEFAULTS), Ok()});
    EXPECT_EQ(1, OpenRecallDetailDialog(hwnd, pObj));
    for (int i = 0; i < RO_COUNT; ++i)
        EXPECT_EQ(GetRecallOptionDefault(pObj, i), GetRecallOptionValue(pObj, i)) << i;
}

// When the printer's data may not be written, user sizes are never
// recalled: the box is off and disabled, and the recall block says 0.
TEST_F(Recall, LockedPrinterDataKeepsUserSizes)
{
    BYTE ab[RECALL_OPTIONS] = {};
    StoreRecallOptions(ab, pObj);
    EXPECT_EQ(1, ab[GetRecallOptionByte(RO_UDPAPER)]);
    SetPrinterDataLock(pObj, 1);
    EXPECT_FALSE(bUserSizesRecallable(pObj));
    StoreRecallOptions(ab, pObj);
    EXPECT_EQ(0, ab[GetRecallOptionByte(RO_UDPAPER)]);
    EXPECT_EQ(1, ab[GetRecallOptionByte(RO_WMARK)]);
    HWND h = CreateDialogParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_DETAIL), hwnd,
                                RecallDetailDlgProc, (LPARAM)pObj);
    ASSERT_NE(nullptr, h);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_DETAIL_UDPAPER)));
    EXPECT_EQ((UINT)BST_UNCHECKED, IsDlgButtonChecked(h, IDC_DETAIL_UDPAPER));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_DETAIL_WMARK)));
    SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    DestroyWindow(h);
}

// A recall with the printer's data locked leaves the user-defined sizes as
// they are, even with their option set; unlocked, they come back.
TEST_F(Recall, LockedPrinterDataRecallLeavesUserSizes)
{
    ASSERT_NE(nullptr, pObj->trailer.pListSet);
    USERPAPERS* pPapers = pObj->trailer.pListSet->pUserPapers;
    ASSERT_NE(nullptr, pPapers);
    LONG lOld = pPapers->aSlot[0].lWidth;
    pPapers->aSlot[0].lWidth = 7777;
    AddEntry(u"Wide");
    struct Case {
        DWORD dwLock;
        LONG lWidth;
    } cases[] = {{1, lOld}, {0, 7777}};
    for (const Case& c : cases) {
        pPapers->aSlot[0].lWidth = lOld;
        SetPrinterDataLock(pObj, c.dwLock);
        ASSERT_EQ(1, GetRecallOptionValue(pObj, RO_UDPAPER));
        EXPECT_TRUE(ApplyLibraryMenuEntry(hwnd, pObj, IDM_USET_ENTRY_OTHER));
        EXPECT_EQ(c.lWidth, pObj->trailer.pListSet->pUserPapers->aSlot[0].lWidth) << c.dwLock;
    }
}

// The recall options' block: each option in its byte.
TEST_F(Recall, StoreRecallOptionsPutsEachOptionInItsByte)
{
    const int kBytes[RO_COUNT] = {0, 1, 3, 2, 5, 6, 4};
    for (int i = 0; i < RO_COUNT; ++i) {
        for (int k = 0; k < RO_COUNT; ++k)
            SetRecallOptionValue(pObj, k, k == i ? 1 : 0);
        BYTE ab[RECALL_OPTIONS] = {9, 9, 9, 9, 9, 9, 9};
        StoreRecallOptions(ab, pObj);
        for (int b = 0; b < RECALL_OPTIONS; ++b)
            EXPECT_EQ(b == kBytes[i] ? 1 : 0, ab[b]) << "option " << i << " byte " << b;
    }
}

// ---- organize ------------------------------------------------------------------

class Organize : public Recall {};

TEST_F(Organize, RenameMoveAndDeleteByTheUser)
{
    AddEntry(u"Alpha", u"first");
    AddEntry(u"Beta");
    AddEntry(u"Gamma");
    // Rename the first entry and give it a new comment, then close.
    Queue(IDD_USET_ORGANIZE,
          {Choose(IDC_ORG_LIST, 0), Type(IDC_ORG_NAME, u"Alpha 2"), Type(IDC_ORG_COMMENT, u"renamed"),
           Click(IDC_ORG_CLOSE)});
    EXPECT_EQ(IDC_ORG_CLOSE, OpenOrganizeLibraryDialog(hwnd, pObj)) << Narrow(PlatScriptError());
    EXPECT_EQ((std::vector<std::u16string>{u"Alpha 2", u"Beta", u"Gamma"}), Entries());
    EXPECT_EQ(std::u16string(u"renamed"), EntryAt(0).szComment);
    // Move the last one up, then the first one down.
    Queue(IDD_USET_ORGANIZE, {Choose(IDC_ORG_LIST, 2), Click(IDC_ORG_UP), Choose(IDC_ORG_LIST, 0),
                              Click(IDC_ORG_DOWN), Ok()});
    EXPECT_EQ(IDOK, OpenOrganizeLibraryDialog(hwnd, pObj)) << Narrow(PlatScriptError());
    EXPECT_EQ((std::vector<std::u16string>{u"Gamma", u"Alpha 2", u"Beta"}), Entries());
    // Delete asks; No keeps the entry, Yes removes it.
    struct Case {
        int iAnswer;
        std::vector<std::u16string> after;
    } cases[] = {
        {IDNO, {u"Gamma", u"Alpha 2", u"Beta"}},
        {IDYES, {u"Gamma", u"Beta"}},
    };
    for (const Case& c : cases) {
        PlatMsgBoxReset();
        PlatMsgBoxPushAnswer(c.iAnswer);
        Queue(IDD_USET_ORGANIZE, {Choose(IDC_ORG_LIST, 1), Click(IDC_ORG_DELETE), Ok()});
        OpenOrganizeLibraryDialog(hwnd, pObj);
        EXPECT_EQ(c.after, Entries()) << c.iAnswer;
        ASSERT_EQ(1, PlatMsgBoxCount());
        EXPECT_EQ(Res(25766), BoxText(0));
    }
}

TEST_F(Organize, NameRulesAndCancelAlwaysCloses)
{
    AddEntry(u"Alpha");
    AddEntry(u"Beta");
    struct Case {
        const char16_t* name;
        UINT uText;
    } cases[] = {
        {u"Al.pha", 25760}, {u"caf\u00e9", 25768}, {u"", 25759}, {u"BETA", 25765},
    };
    for (const Case& c : cases) {
        PlatMsgBoxReset();
        // The rule is checked when the name edit loses the focus, then again
        // on OK; Cancel closes whatever the name.
        Queue(IDD_USET_ORGANIZE, {Choose(IDC_ORG_LIST, 0), Type(IDC_ORG_NAME, c.name), Ok(), Cancel()});
        EXPECT_EQ(IDCANCEL, OpenOrganizeLibraryDialog(hwnd, pObj)) << Narrow(c.name);
        ASSERT_GE(PlatMsgBoxCount(), 1) << Narrow(c.name);
        EXPECT_EQ(Res(c.uText), BoxText(0)) << Narrow(c.name);
        EXPECT_EQ((std::vector<std::u16string>{u"Alpha", u"Beta"}), Entries()) << Narrow(c.name);
    }
}

// A damaged or foreign file chosen to register gives its message and
// changes nothing; a good one is added last.
TEST_F(Organize, RegisterChosenFile)
{
    AddEntry(u"Alpha");
    // A good settings file saved elsewhere and then forgotten by the library.
    CreateDirectoryW(u"C:\\other", nullptr);
    {
        USETLIBRARY* p = CreateUserSettingsLibraryFull(nullptr, pObj);
        ASSERT_TRUE(bAddUserSettingFile(p, pObj, u"C:\\other", u"Good", u""));
        ASSERT_TRUE(bFinishUserSettingsLibrary(p));
        ASSERT_TRUE(bMoveUserSetting(p, 1, USET_REMOVE));
        ASSERT_TRUE(bFinishUserSettingsLibrary(p));
        DestroyUserSettingsLibrary(&p);
    }
    HANDLE h = CreateFileW(u"C:\\other\\Broken.xsf", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD cb = 0;
    WriteFile(h, "\xff\xfe[nothing]\r\n", 14, &cb, nullptr);
    CloseHandle(h);
    h = CreateFileW(u"C:\\other\\Notes.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    struct Case {
        const char16_t* path;
        UINT uText;  // 0: registered
        std::vector<std::u16string> after;
    } cases[] = {
        {u"C:\\other\\Broken.xsf", 25706, {u"Alpha"}},
        {u"C:\\other\\Notes.txt", 25763, {u"Alpha"}},
        {u"C:\\other\\Good.xsf", 0, {u"Alpha", u"Good"}},
        {u"C:\\other\\Good.xsf", 25764, {u"Alpha", u"Good"}},
    };
    for (const Case& c : cases) {
        PlatMsgBoxReset();
        PlatFileDlgReset();
        PlatFileDlgPushAnswer(c.path, 0);
        Queue(IDD_USET_ORGANIZE, {Click(IDC_ORG_REGISTER), Ok()});
        OpenOrganizeLibraryDialog(hwnd, pObj);
        EXPECT_EQ(c.after, Entries()) << Narrow(c.path);
        if (c.uText) {
            ASSERT_GE(PlatMsgBoxCount(), 1) << Narrow(c.path);
            EXPECT_EQ(Res(c.uText), BoxText(0)) << Narrow(c.path);
        } else {
            EXPECT_EQ(0, PlatMsgBoxCount()) << Narrow(BoxText(0));
        }
        // The open dialog was asked for settings files.
        PLATFILEDLGREQUEST r = {};
        ASSERT_TRUE(PlatFileDlgGet(0, &r));
        EXPECT_FALSE(r.bSave);
        EXPECT_EQ(std::u16string(u"xsf"), r.pszDefExt);
        EXPECT_EQ(Res(21100), r.pszTitle);
        EXPECT_EQ((DWORD)(OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST),
                  r.dwFlags);
        EXPECT_EQ(std::u16string(u"Settings files (*.xsf)"), std::u16string(r.pszFilter));
    }
}

TEST_F(Organize, ButtonsFollowTheSelection)
{
    AddEntry(u"Alpha");
    HWND h = CreateDialogParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_ORGANIZE), hwnd,
                                OrganizeLibraryDlgProc, (LPARAM)pObj);
    ASSERT_NE(nullptr, h);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_ORG_DELETE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_ORG_REGISTER)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_ORG_UP)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_ORG_DOWN)));
    SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    DestroyWindow(h);
}

}  // namespace
