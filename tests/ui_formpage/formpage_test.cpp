// The Form page on the driver's own template: the class of form files, the
// registered list in the list view, the checks made when the page is left,
// browsing, deleting, sorting, and the form reaching the job's settings.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/comdlg/commdlg.h"
#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "tests/common/testroot.h"
#include "ui/pages/formpage.h"
#include "ui/pages/pageframe.h"
#include "ui/settings/devmode.h"
#include "ui/settings/listops.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <string>

namespace {

const BYTE kPcl5[] = {0x1B, 0x26, 0x66, 0x31, 0x36, 0x59};
const BYTE kPclXl[] = {0x29, 0x20, 0x48, 0x50, 0x2D, 0x50, 0x43, 0x4C, 0x20, 0x58, 0x4C};

// Writes a file of the given bytes (the folders are made first).
void WriteFileBytes(LPCWSTR pszPath, const void* pv, DWORD cb)
{
    std::u16string s(pszPath);
    for (size_t i = 3; i < s.size(); ++i)
        if (s[i] == u'\\')
            CreateDirectoryW(s.substr(0, i).c_str(), nullptr);
    HANDLE h = CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD cbDone = 0;
    if (cb) {
        ASSERT_TRUE(WriteFile(h, pv, cb, &cbDone, nullptr));
    }
    CloseHandle(h);
}

void WriteText(LPCWSTR pszPath, const char* psz)
{
    WriteFileBytes(pszPath, psz, (DWORD)strlen(psz));
}

void WriteNative(LPCWSTR pszPath, DWORD cb = 100)
{
    std::string s = "foc ";
    s.resize(cb < 4 ? 4 : cb, 'x');
    WriteFileBytes(pszPath, s.data(), (DWORD)s.size());
}

BOOL Exists(LPCWSTR pszPath)
{
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    return TRUE;
}

std::string Narrow(const std::u16string& s)
{
    return std::string(s.begin(), s.end());
}

std::u16string Res(UINT u)
{
    return GetResString(u);
}

// The message text of a resource format with its one path.
std::u16string Formatted(UINT u, const std::u16string& path)
{
    std::u16string s = Res(u);
    size_t k = s.find(u"%s");
    if (k != std::u16string::npos)
        s.replace(k, 2, path);
    return s;
}

class FormPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatScriptReset();
        PlatFileDlgReset();
        ASSERT_TRUE(OpenPrinterW(SheetPrinter(), &hPrinter, NULL));
        doc.cbSize = sizeof(doc);
        doc.hPrinter = hPrinter;
        doc.pszPrinterName = SheetPrinter();
        doc.fMode = DM_PROMPT | DM_COPY;
        InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
        ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        pObj = SheetOf(&host)->pSettings;
        ASSERT_NE(pObj->trailer.pListSet, nullptr);
        pList = pObj->trailer.pListSet->pForm;
        ASSERT_NE(pList, nullptr);
        bClearFormFileList(pObj);
        memset(pList->szCreateFileName, 0, sizeof(pList->szCreateFileName));
    }
    void Open()
    {
        hSheet = ShowHostPages(&host, 400, &hPage, &iPage);
        ASSERT_NE(hSheet, nullptr);
        ASSERT_NE(hPage, nullptr);
        hList = GetDlgItem(hPage, 412);
        ASSERT_NE(hList, nullptr);
    }
    void TearDown() override
    {
        if (hSheet && IsWindow(hSheet))
            DestroyWindow(hSheet);
        DropPages(&host);
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        ClosePrinter(hPrinter);
    }
    void Register(std::initializer_list<LPCWSTR> paths)
    {
        int i = 0;
        for (LPCWSTR p : paths)
            lstrcpynW(pList->pFiles[i++], p, 260);
        pList->wFormListNum = (WORD)i;
    }
    void SetMode(SHORT sMode)
    {
        SetParamEdited(pObj, 35, sMode);
        SetParamCommitted(pObj, 35, sMode);
    }
    std::u16string Text(int id)
    {
        WCHAR sz[300] = {};
        GetDlgItemTextW(hPage, id, sz, 300);
        return sz;
    }
    int Rows() { return (int)SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0); }
    int Columns()
    {
        int n = 0;
        LVCOLUMNW c = {};
        c.mask = LVCF_WIDTH;
        while (SendMessageW(hList, LVM_GETCOLUMNW, (WPARAM)n, (LPARAM)&c))
            ++n;
        return n;
    }
    std::u16string Cell(int iRow, int iCol)
    {
        WCHAR sz[300] = {};
        LVITEMW it = {};
        it.iSubItem = iCol;
        it.pszText = sz;
        it.cchTextMax = 300;
        SendMessageW(hList, LVM_GETITEMTEXTW, (WPARAM)iRow, (LPARAM)&it);
        return sz;
    }
    LRESULT Notify(UINT uCode)
    {
        PSHNOTIFY n = {};
        n.hdr.hwndFrom = hSheet;
        n.hdr.code = uCode;
        SetWindowLongPtrW(hPage, DWLP_MSGRESULT, 0x5A5A);
        SendMessageW(hPage, WM_NOTIFY, 0, (LPARAM)&n);
        return GetWindowLongPtrW(hPage, DWLP_MSGRESULT);
    }
    // A click on a column header, as the list reports it.
    void ClickHeader(int iCol)
    {
        NMLISTVIEW nm = {};
        nm.hdr.hwndFrom = hList;
        nm.hdr.idFrom = 412;
        nm.hdr.code = LVN_COLUMNCLICK;
        nm.iItem = -1;
        nm.iSubItem = iCol;
        SendMessageW(hPage, WM_NOTIFY, 412, (LPARAM)&nm);
    }
    std::u16string LastMessage()
    {
        int n = PlatMsgBoxCount();
        LPCWSTR pszText = nullptr, pszCaption = nullptr;
        UINT uType = 0;
        if (!n || !PlatMsgBoxGet(n - 1, nullptr, &pszText, &pszCaption, &uType))
            return u"";
        return pszText;
    }

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    FORMLIST* pList = nullptr;
    HWND hSheet = nullptr, hPage = nullptr, hList = nullptr;
    int iPage = -1;
};

// ---- The class of a form file ----

TEST(FormFileClass, FirstBytesDecide)
{
    struct Row {
        const char* pszName;
        std::string bytes;
        int iClass;
    } rows[] = {
        {"foc3", "foc", FORMCLASS_OTHER},
        {"foc4", "foc ", FORMCLASS_NATIVE},
        {"focbody", "foc page 1", FORMCLASS_NATIVE},
        {"Foc", "Foc ", FORMCLASS_OTHER},
        {"org", "org %", FORMCLASS_NATIVE},
        {"org4", "org ", FORMCLASS_OTHER},
        {"pcl5", std::string((const char*)kPcl5, sizeof(kPcl5)), FORMCLASS_PCL5E},
        {"pcl5short", std::string((const char*)kPcl5, 5), FORMCLASS_OTHER},
        {"pclxl", std::string((const char*)kPclXl, sizeof(kPclXl)), FORMCLASS_PCLXL},
        {"pclxlshort", std::string((const char*)kPclXl, 10), FORMCLASS_OTHER},
        {"empty", "", FORMCLASS_OTHER},
        {"text", "hello world", FORMCLASS_OTHER},
    };
    for (const Row& r : rows) {
        std::u16string path = u"C:\\classes\\";
        for (const char* p = r.pszName; *p; ++p)
            path += (char16_t)*p;
        path += u".xfo";
        WriteFileBytes(path.c_str(), r.bytes.data(), (DWORD)r.bytes.size());
        EXPECT_EQ(DetectFormFilePdl(path.c_str()), r.iClass) << r.pszName;
    }
    EXPECT_EQ(DetectFormFilePdl(u"C:\\classes\\missing.xfo"), FORMCLASS_OTHER);
}

TEST(FormFileClass, ExtensionTest)
{
    struct Row {
        const char16_t* pszName;
        BOOL bOk;
    } rows[] = {
        {u"", TRUE},          {u"a.xfo", TRUE},      {u".xfo", FALSE},     {u"a.XFO", FALSE},
        {u"a.xfo.txt", FALSE}, {u"C:\\f\\b.xfo", TRUE}, {u"xfo", FALSE},
    };
    for (const Row& r : rows)
        EXPECT_EQ(bHasFormExtension(r.pszName), r.bOk) << (const char*)std::string(r.pszName, r.pszName + lstrlenW(r.pszName)).c_str();
}

// ---- The list ----

// With the native language the list has four columns and keeps only
// native files: the others and the missing ones leave the registered list.
TEST_F(FormPage, NativeLanguageListsNativeFilesWithSizeAndDate)
{
    WriteNative(u"C:\\forms\\one.xfo", 1335);
    WriteNative(u"C:\\forms\\two.xfo", 1336);
    WriteFileBytes(u"C:\\forms\\pcl.xfo", kPcl5, sizeof(kPcl5));
    WriteNative(u"C:\\forms\\tiny.xfo", 4);
    Register({u"C:\\forms\\one.xfo", u"C:\\forms\\pcl.xfo", u"C:\\forms\\gone.xfo", u"C:\\forms\\two.xfo",
              u"C:\\forms\\tiny.xfo"});
    SetParamEdited(pObj, 98, 0);
    Open();
    EXPECT_EQ(Columns(), 4);
    ASSERT_EQ(Rows(), 3);
    struct Row {
        const char16_t* pszName;
        const char16_t* pszSize;
    } rows[] = {{u"one.xfo", u"1KB"}, {u"two.xfo", u"2KB"}, {u"tiny.xfo", u"1KB"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Cell(i, 0), rows[i].pszName);
        EXPECT_EQ(Cell(i, 1), u"C:\\forms\\");
        EXPECT_EQ(Cell(i, 2), rows[i].pszSize);
        // yy/mm/dd h:mm
        std::u16string d = Cell(i, 3);
        ASSERT_GE(d.size(), 12u);
        EXPECT_EQ(d[2], u'/');
        EXPECT_EQ(d[5], u'/');
        EXPECT_EQ(d[8], u' ');
    }
    EXPECT_EQ(pList->wFormListNum, 3);
    EXPECT_EQ(std::u16string(pList->pFiles[1]), u"C:\\forms\\two.xfo");
    EXPECT_EQ(pList->pFiles[3][0], 0);
}

// With a PCL language the list has a language column and shows both PCL
// kinds.
TEST_F(FormPage, PclLanguageListsBothPclKinds)
{
    WriteFileBytes(u"C:\\pcl\\five.xfo", kPcl5, sizeof(kPcl5));
    WriteFileBytes(u"C:\\pcl\\xl.xfo", kPclXl, sizeof(kPclXl));
    WriteNative(u"C:\\pcl\\native.xfo");
    Register({u"C:\\pcl\\five.xfo", u"C:\\pcl\\native.xfo", u"C:\\pcl\\xl.xfo"});
    SetParamEdited(pObj, 98, 1);
    Open();
    EXPECT_EQ(Columns(), 5);
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, 2), u"PCL 5e");
    EXPECT_EQ(Cell(1, 2), u"PCL XL");
    EXPECT_EQ(Cell(1, 3), u"1KB");
}

// A click on a header sorts by that column: ascending, then descending,
// then ascending again; a one-row list stays as it is.
TEST_F(FormPage, HeaderClicksSortTheList)
{
    WriteNative(u"C:\\sort\\b.xfo", 3000);
    WriteNative(u"C:\\sort\\a.xfo", 5000);
    WriteNative(u"C:\\sort\\c.xfo", 1000);
    Register({u"C:\\sort\\b.xfo", u"C:\\sort\\a.xfo", u"C:\\sort\\c.xfo"});
    Open();
    auto names = [&]() {
        std::u16string s;
        for (int i = 0; i < Rows(); ++i)
            s += Cell(i, 0).substr(0, 1);
        return s;
    };
    ASSERT_EQ(names(), u"bac");
    ClickHeader(0);
    EXPECT_EQ(names(), u"abc");
    ClickHeader(0);
    EXPECT_EQ(names(), u"cba");
    ClickHeader(0);
    EXPECT_EQ(names(), u"abc");
    ClickHeader(2);  // size texts: 1KB, 3KB, 5KB
    EXPECT_EQ(names(), u"cba");
}

// ---- Leaving the page ----

// Create mode: what the name in 410 gives when the page is left.
TEST_F(FormPage, CreateModeChecksTheNameWhenLeaving)
{
    CreateDirectoryW(u"C:\\out", nullptr);
    WriteNative(u"C:\\out\\there.xfo");
    SetMode(2);
    Open();
    const std::u16string noFolder = Res(29540);
    struct Row {
        const char16_t* pszName;
        const char16_t* pszFolder;
        int iAnswer;              // to a question; 0 none
        BOOL bKeep;               // the page stays
        UINT uMessage;            // 0: none
        const char16_t* pszPath;  // pending path after, or the message's path
    } rows[] = {
        {u"made", u"C:\\out\\", 0, FALSE, 0, u"C:\\out\\made.xfo"},
        {u"C:\\out\\full.xfo", u"C:\\out\\", 0, FALSE, 0, u"C:\\out\\full.xfo"},
        // A full path without the extension: its own folder counts, the
        // first time, whatever 417 showed before.
        {u"C:\\out\\fresh", noFolder.c_str(), 0, FALSE, 0, u"C:\\out\\fresh.xfo"},
        {u"C:\\out\\other", u"C:\\nowhere\\", 0, FALSE, 0, u"C:\\out\\other.xfo"},
        {u"made.XFO", u"C:\\out\\", 0, TRUE, 29516, u"C:\\out\\made.XFO"},
        {u"*.xfo", u"C:\\out\\", 0, TRUE, 29514, u"C:\\out\\*.xfo"},
        {u".xfo", u"C:\\out\\", 0, TRUE, 29514, u"C:\\out\\.xfo"},
        {u"my form.xfo", u"C:\\out\\", 0, FALSE, 0, u"C:\\out\\my form.xfo"},
        {u"my .xfo", u"C:\\out\\", 0, TRUE, 29514, u"C:\\out\\my .xfo"},
        {u"x.xfo", u"C:\\nowhere\\", 0, TRUE, 29520, u"C:\\nowhere\\x.xfo"},
        {u"x.xfo", noFolder.c_str(), 0, TRUE, 29514, nullptr},
        {u"there.xfo", u"C:\\out\\", IDNO, TRUE, 29518, u"C:\\out\\there.xfo"},
        {u"there.xfo", u"C:\\out\\", IDYES, FALSE, 29518, u"C:\\out\\there.xfo"},
    };
    for (const Row& r : rows) {
        PlatMsgBoxReset();
        if (r.iAnswer)
            PlatMsgBoxPushAnswer(r.iAnswer);
        memset(pList->szCreateFileName, 0, sizeof(pList->szCreateFileName));
        SetDlgItemTextW(hPage, 417, r.pszFolder);
        SetDlgItemTextW(hPage, 410, r.pszName);
        std::string what(r.pszName, r.pszName + lstrlenW(r.pszName));
        EXPECT_EQ(Notify(PSN_KILLACTIVE), r.bKeep ? 1 : 0) << what;
        if (r.uMessage) {
            ASSERT_EQ(PlatMsgBoxCount(), 1) << what;
            LPCWSTR pszText = nullptr, pszCaption = nullptr;
            UINT uType = 0;
            PlatMsgBoxGet(0, nullptr, &pszText, &pszCaption, &uType);
            if (r.pszPath) {
                EXPECT_EQ(std::u16string(pszText), Formatted(r.uMessage, r.pszPath)) << what;
            }
            EXPECT_EQ(std::u16string(pszCaption), Res(29511)) << what;
        } else {
            EXPECT_EQ(PlatMsgBoxCount(), 0) << what;
        }
        if (!r.bKeep)
            EXPECT_EQ(std::u16string(pList->szCreateFileName), r.pszPath) << what;
        else
            EXPECT_EQ(pList->szCreateFileName[0], 0) << what;
    }
    // The name without a dot was shown with its extension.
    SetDlgItemTextW(hPage, 417, u"C:\\out\\");
    SetDlgItemTextW(hPage, 410, u"shown");
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 0);
    EXPECT_EQ(Text(410), u"shown.xfo");
    // The probe file leaves nothing behind.
    EXPECT_FALSE(Exists(u"C:\\out\\vemvem24.tmp"));
}

// A path the job could not carry whole is refused rather than cut.
TEST_F(FormPage, CreateModeRefusesAPathTooLongForTheJob)
{
    std::u16string folder = u"C:\\";
    for (int i = 0; i < 6; ++i)
        folder += std::u16string(19, (char16_t)(u'a' + i)) + u"\\";
    WriteNative((folder + u"probe.xfo").c_str());  // makes the folders
    SetMode(2);
    Open();
    SetDlgItemTextW(hPage, 417, folder.c_str());
    SetDlgItemTextW(hPage, 410, u"ab.xfo");  // 129 characters in all
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 0) << Narrow(LastMessage());
    SetDlgItemTextW(hPage, 417, folder.c_str());
    SetDlgItemTextW(hPage, 410, u"abc.xfo");  // 130
    PlatMsgBoxReset();
    EXPECT_EQ(Notify(PSN_KILLACTIVE), 1);
    EXPECT_EQ(LastMessage(), Formatted(29520, folder + u"abc.xfo"));
}

// Print mode: the file must be a row, of the page's language.
TEST_F(FormPage, PrintModeChecksTheChosenFile)
{
    WriteFileBytes(u"C:\\pm\\five.xfo", kPcl5, sizeof(kPcl5));
    WriteFileBytes(u"C:\\pm\\xl.xfo", kPclXl, sizeof(kPclXl));
    Register({u"C:\\pm\\five.xfo", u"C:\\pm\\xl.xfo"});
    SetParamEdited(pObj, 98, 1);
    SetMode(3);
    Open();
    ASSERT_EQ(Rows(), 2);
    struct Row {
        const char16_t* pszName;
        BOOL bKeep;
        UINT uMessage;
    } rows[] = {
        {u"five.xfo", FALSE, 0},
        {u"FIVE.xfo", FALSE, 0},
        {u"xl.xfo", TRUE, 29522},
        {u"other.xfo", TRUE, 29515},
        {u"C:\\pm\\five.xfo", FALSE, 0},
    };
    for (const Row& r : rows) {
        PlatMsgBoxReset();
        SetDlgItemTextW(hPage, 417, u"C:\\pm\\");
        SetDlgItemTextW(hPage, 410, r.pszName);
        std::string what(r.pszName, r.pszName + lstrlenW(r.pszName));
        EXPECT_EQ(Notify(PSN_KILLACTIVE), r.bKeep ? 1 : 0) << what;
        EXPECT_EQ(PlatMsgBoxCount(), r.uMessage ? 1 : 0) << what;
        if (r.uMessage) {
            LPCWSTR pszText = nullptr, pszCaption = nullptr;
            UINT uType = 0;
            PlatMsgBoxGet(0, nullptr, &pszText, &pszCaption, &uType);
            EXPECT_EQ(std::u16string(pszCaption), Res(29510)) << what;
            EXPECT_EQ(std::u16string(pszText).substr(0, 10), Res(r.uMessage).substr(0, 10)) << what;
        }
    }
}

// ---- Browse and delete ----

TEST_F(FormPage, BrowseRegistersASuitableFileAndRefusesOthers)
{
    WriteNative(u"C:\\br\\good.xfo");
    WriteFileBytes(u"C:\\br\\pcl.xfo", kPcl5, sizeof(kPcl5));
    WriteText(u"C:\\br\\note.txt", "foc text");
    SetMode(3);
    Open();
    HWND hApply = PlatScriptFindControl(hSheet, 0, u"Apply");
    ASSERT_EQ(Rows(), 0);

    PlatFileDlgPushAnswer(u"C:\\br\\good.xfo", 0);
    ASSERT_TRUE(PlatScriptClick(hPage, 411, nullptr));
    ASSERT_EQ(PlatFileDlgCount(), 1);
    PLATFILEDLGREQUEST req = {};
    PlatFileDlgGet(0, &req);
    EXPECT_FALSE(req.bSave);
    EXPECT_EQ(std::u16string(req.pszTitle), Res(29510));
    EXPECT_EQ(std::u16string(req.pszDefExt), u"xfo");
    EXPECT_EQ(std::u16string(req.pszInitialDir), u"c:\\");
    EXPECT_EQ(std::u16string(req.pszFilter, req.cchFilter), std::u16string(u"Form files (*.xfo)\0*.xfo", 24));
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Cell(0, 0), u"good.xfo");
    EXPECT_EQ(Text(410), u"good.xfo");
    EXPECT_EQ(Text(417), u"C:\\br\\");
    EXPECT_EQ(pList->wFormListNum, 1);
    EXPECT_EQ(std::u16string(pList->pFiles[0]), u"C:\\br\\good.xfo");
    EXPECT_TRUE(IsWindowEnabled(hApply));

    // Another language's file: told, not added.
    PlatMsgBoxReset();
    PlatFileDlgPushAnswer(u"C:\\br\\pcl.xfo", 0);
    ASSERT_TRUE(PlatScriptClick(hPage, 411, nullptr));
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(LastMessage(), Formatted(29521, u"C:\\br\\pcl.xfo"));
    // Not a form name: told, nothing else.
    PlatMsgBoxReset();
    PlatFileDlgPushAnswer(u"C:\\br\\note.txt", 0);
    ASSERT_TRUE(PlatScriptClick(hPage, 411, nullptr));
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(LastMessage(), Formatted(29517, u"C:\\br\\note.txt"));
    // Cancel does nothing.
    PlatFileDlgPushCancel();
    ASSERT_TRUE(PlatScriptClick(hPage, 411, nullptr));
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(pList->wFormListNum, 1);
}

TEST_F(FormPage, DeletingTheLastRowLeavesThePlaceholders)
{
    WriteNative(u"C:\\del\\a.xfo");
    WriteNative(u"C:\\del\\b.xfo");
    Register({u"C:\\del\\a.xfo", u"C:\\del\\b.xfo"});
    SetMode(3);
    Open();
    ASSERT_EQ(Rows(), 2);
    // No: nothing happens.
    SetDlgItemTextW(hPage, 417, u"C:\\del\\");
    SetDlgItemTextW(hPage, 410, u"b.xfo");
    PlatMsgBoxPushAnswer(IDNO);
    ASSERT_TRUE(PlatScriptClick(hPage, 406, nullptr));
    EXPECT_EQ(LastMessage(), Formatted(29519, u"C:\\del\\b.xfo"));
    EXPECT_EQ(Rows(), 2);
    EXPECT_TRUE(Exists(u"C:\\del\\b.xfo"));
    // A name that is no row.
    PlatMsgBoxReset();
    SetDlgItemTextW(hPage, 417, u"C:\\del\\");
    SetDlgItemTextW(hPage, 410, u"zz.xfo");
    ASSERT_TRUE(PlatScriptClick(hPage, 406, nullptr));
    EXPECT_EQ(LastMessage(), Formatted(29515, u"C:\\del\\zz.xfo"));
    EXPECT_EQ(Rows(), 2);
    // Yes twice: the files go, the list empties.
    for (const char16_t* psz : {u"b.xfo", u"A.XFO"}) {
        SetDlgItemTextW(hPage, 417, u"C:\\del\\");
        SetDlgItemTextW(hPage, 410, psz);
        PlatMsgBoxPushAnswer(IDYES);
        ASSERT_TRUE(PlatScriptClick(hPage, 406, nullptr));
    }
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(Exists(u"C:\\del\\a.xfo"));
    EXPECT_FALSE(Exists(u"C:\\del\\b.xfo"));
    EXPECT_EQ(pList->wFormListNum, 0);
    EXPECT_EQ(Text(410), u"*.xfo");
    EXPECT_EQ(Text(417), Res(29540));
}

// ---- End to end ----

// The user picks print mode and a registered form; OK hands the job the
// form's path, and the list is kept for the user.
TEST_F(FormPage, ChosenFormReachesTheJobSettings)
{
    WriteNative(u"C:\\job\\first.xfo");
    WriteNative(u"C:\\job\\second.xfo");
    Register({u"C:\\job\\first.xfo", u"C:\\job\\second.xfo"});
    SetMode(1);
    Open();
    ASSERT_TRUE(PlatScriptClick(hPage, 403, nullptr));
    EXPECT_EQ(GetParamEdited(pObj, 35), 3);
    LVITEMW it = {};
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    it.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hList, LVM_SETITEMSTATE, 1, (LPARAM)&it);
    EXPECT_EQ(Text(410), u"second.xfo");
    EXPECT_EQ(Text(417), u"C:\\job\\");
    UpdateWindow(hSheet);
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/form_page.png"));
    ASSERT_TRUE(PlatScriptPressOK(hSheet));
    EXPECT_EQ(GetParamCommitted(pObj, 35), 3);
    ASSERT_TRUE(SettingsToDevmode(pObj, SheetOf(&host)->pdm, SheetOf(&host)->hOptionDb));
    const DRVDEVMODE* pdm = (const DRVDEVMODE*)SheetOf(&host)->pdm;
    EXPECT_EQ(pdm->ui.lpOverlay, 3);
    EXPECT_EQ(pdm->ui.bOverlayIndex, 1);
    EXPECT_EQ(std::u16string(pdm->ui.szOverlayName), u"C:\\job\\second.xfo");
}

}  // namespace
