// File dialogs, the documents folder and the help viewers as a caller sees
// them: the path that comes back, its offsets, the questions asked, the
// faults reported.
#include "platform/windows.h"
#if __has_include("platform/gdi/msgbox.h")
#include "platform/gdi/msgbox.h"
#endif
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string U8(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out += c < 0x80 ? (char)c : '?';
    return out;
}

void MakeFile(const char16_t* path)
{
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

class FileDialog : public testing::Test {
protected:
    void SetUp() override
    {
        PlatFileDlgReset();
        PlatMsgBoxReset();
        CreateDirectoryW(u"C:\\forms", nullptr);
        MakeFile(u"C:\\forms\\a4.xfo");
        MakeFile(u"C:\\forms\\letter.xfo");
    }
    void TearDown() override
    {
        PlatFileDlgReset();
        PlatMsgBoxReset();
    }

    // A record as the form page builds it.
    OPENFILENAMEW Request(DWORD flags)
    {
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof(ofn);
        ofn.lpstrFilter = u"Form files (*.xfo)\0*.xfo\0All files\0*.*\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrInitialDir = u"C:\\forms";
        ofn.lpstrTitle = u"Browse";
        ofn.lpstrDefExt = u"xfo";
        ofn.Flags = flags;
        return ofn;
    }

    WCHAR file[MAX_PATH] = {};
};

const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_CREATEPROMPT;

// What the user types (one answer after another, "" = cancel), the boxes
// answered with "Yes"/"No" on the way, and what the caller gets back.
struct NameCase {
    const char* what;
    BOOL bSave;
    DWORD flags;
    std::u16string answers[3];
    int msgAnswers[2];
    BOOL bResult;
    std::u16string path;     // expected lpstrFile
    int nBoxes;              // message boxes shown
    bool bExtDifferent;      // OFN_EXTENSIONDIFFERENT on return
};

const NameCase kNameCases[] = {
    {"existing file by name", FALSE, kOpenFlags, {u"a4.xfo"}, {}, TRUE, u"C:\\forms\\a4.xfo", 0, false},
    {"default extension added", FALSE, kOpenFlags, {u"letter"}, {}, TRUE, u"C:\\forms\\letter.xfo", 0, false},
    {"full path elsewhere", FALSE, OFN_HIDEREADONLY, {u"C:\\other\\x.txt"}, {}, TRUE, u"C:\\other\\x.txt", 0, true},
    {"missing file refused, then a good one", FALSE, kOpenFlags, {u"nothere.xfo", u"a4.xfo"}, {}, TRUE,
     u"C:\\forms\\a4.xfo", 1, false},
    {"missing folder refused, no answer left", FALSE, kOpenFlags, {u"C:\\nofolder\\a.xfo"}, {}, FALSE, u"", 1, false},
    {"a folder opens it", FALSE, kOpenFlags, {u"..", u"forms\\a4.xfo"}, {}, TRUE, u"C:\\forms\\a4.xfo", 0, false},
    {"wildcards are not a name", FALSE, kOpenFlags, {u"*.xfo"}, {}, FALSE, u"", 1, false},
    {"save over: yes replaces", TRUE, kSaveFlags, {u"a4.xfo"}, {IDYES}, TRUE, u"C:\\forms\\a4.xfo", 1, false},
    {"save over: no keeps the dialog open", TRUE, kSaveFlags, {u"a4.xfo", u"new"}, {IDNO, IDYES}, TRUE,
     u"C:\\forms\\new.xfo", 2, false},
    {"save new: create prompt no", TRUE, kSaveFlags, {u"new.xfo"}, {IDNO}, FALSE, u"", 1, false},
    {"save without prompts", TRUE, OFN_HIDEREADONLY, {u"a4.xfo"}, {}, TRUE, u"C:\\forms\\a4.xfo", 0, false},
    {"other extension flagged", TRUE, OFN_HIDEREADONLY, {u"notes.txt"}, {}, TRUE, u"C:\\forms\\notes.txt", 0, true},
    {"cancel", FALSE, kOpenFlags, {}, {}, FALSE, u"", 0, false},
};

TEST_F(FileDialog, NamesTypedGiveThePathTheDialogAccepts)
{
    for (const NameCase& c : kNameCases) {
        SCOPED_TRACE(c.what);
        PlatFileDlgReset();
        PlatMsgBoxReset();
        for (const std::u16string& a : c.answers)
            if (!a.empty())
                PlatFileDlgPushAnswer(a.c_str(), 0);
        for (int m : c.msgAnswers)
            if (m)
                PlatMsgBoxPushAnswer(m);
        file[0] = 0;
        OPENFILENAMEW ofn = Request(c.flags);
        BOOL b = c.bSave ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        EXPECT_EQ(b, c.bResult);
        EXPECT_EQ(CommDlgExtendedError(), 0u);
        EXPECT_EQ(PlatMsgBoxCount(), c.nBoxes);
        if (c.bResult) {
            EXPECT_EQ(U8(file), U8(c.path));
            EXPECT_EQ(!!(ofn.Flags & OFN_EXTENSIONDIFFERENT), c.bExtDifferent);
        } else {
            EXPECT_EQ(file[0], 0);  // nothing written on Cancel
        }
    }
}

TEST_F(FileDialog, OffsetsPointAtTheNameAndAfterTheDot)
{
    struct {
        const char16_t* typed;
        WORD nFileOffset;
        WORD nFileExtension;
    } rows[] = {
        {u"C:\\forms\\a4.xfo", 9, 12},
        {u"C:\\forms\\v1.2\\n", 14, 15},   // dot in the folder only: the terminator
        {u"C:\\forms\\plain.", 9, 0},      // a final dot: no extension at all
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(U8(r.typed));
        PlatFileDlgPushAnswer(r.typed, 0);
        OPENFILENAMEW ofn = Request(0);
        ofn.lpstrDefExt = nullptr;
        ASSERT_TRUE(GetSaveFileNameW(&ofn));
        EXPECT_EQ(ofn.nFileOffset, r.nFileOffset);
        EXPECT_EQ(ofn.nFileExtension, r.nFileExtension);
    }
}

TEST_F(FileDialog, RequestIsRecordedAsMade)
{
    lstrcpyW(file, u"C:\\forms\\a4.xfo");
    PlatFileDlgPushAnswer(u"letter.xfo", 2);
    OPENFILENAMEW ofn = Request(kOpenFlags);
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(ofn.nFilterIndex, 2u);  // the filter the user chose

    ASSERT_EQ(PlatFileDlgCount(), 1);
    PLATFILEDLGREQUEST rq;
    ASSERT_TRUE(PlatFileDlgGet(0, &rq));
    EXPECT_FALSE(rq.bSave);
    EXPECT_EQ(U8(rq.pszTitle), "Browse");
    EXPECT_EQ(U8(std::u16string(rq.pszFilter, rq.cchFilter)),
              U8(std::u16string(u"Form files (*.xfo)\0*.xfo\0All files\0*.*", 38)));
    EXPECT_EQ(rq.nFilterIndex, 1u);
    EXPECT_EQ(U8(rq.pszInitialDir), "C:\\forms");
    EXPECT_EQ(U8(rq.pszInitialFile), "C:\\forms\\a4.xfo");
    EXPECT_EQ(U8(rq.pszDefExt), "xfo");
    EXPECT_EQ(rq.dwFlags, kOpenFlags);
    EXPECT_FALSE(PlatFileDlgGet(1, &rq));
}

TEST_F(FileDialog, ShortBuffersAreNotOverrun)
{
    // lpstrFile too small: FALSE, the size needed in its first unit.
    WCHAR small[8];
    for (WCHAR& c : small)
        c = u'#';
    small[0] = 0;
    PlatFileDlgPushAnswer(u"a4.xfo", 0);
    OPENFILENAMEW ofn = Request(kOpenFlags);
    ofn.lpstrFile = small;
    ofn.nMaxFile = 8;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(small[0], 16);  // "C:\forms\a4.xfo" and its terminator
    EXPECT_EQ(small[1], u'#');

    // The title buffer is cut and terminated.
    WCHAR title[4] = {u'#', u'#', u'#', u'#'};
    PlatFileDlgPushAnswer(u"letter.xfo", 0);
    ofn = Request(kOpenFlags);
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = 4;
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(U8(title), "let");
}

TEST_F(FileDialog, BadRecordsFailWithTheirFault)
{
    OPENFILENAMEW ofn = Request(0);
    ofn.lStructSize = 60;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)CDERR_STRUCTSIZE);

    ofn = Request(0);
    ofn.lpstrFile = nullptr;
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)CDERR_INITIALIZATION);

    EXPECT_FALSE(GetOpenFileNameW(nullptr));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)CDERR_INITIALIZATION);

    ofn = Request(OFN_ENABLEHOOK);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)CDERR_NOHOOK);
    EXPECT_EQ(PlatFileDlgCount(), 0);  // none of them opened

    // The older, shorter record is still a good one: up to lpTemplateName,
    // 76 bytes in the i386 build and 136 in the native one (pointer-sized
    // fields). The other build's length is a bad size.
    EXPECT_EQ(OPENFILENAME_SIZE_VERSION_400W, sizeof(void*) == 4 ? 76u : 136u);
    PlatFileDlgPushAnswer(u"a4.xfo", 0);
    ofn = Request(0);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    EXPECT_TRUE(GetOpenFileNameW(&ofn));
    ofn = Request(0);
    ofn.lStructSize = sizeof(void*) == 4 ? 136 : 76;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)CDERR_STRUCTSIZE);
}

// The documents folder reached the way the settings library reaches it.
TEST(ShellFolder, DocumentsFolderThroughTheLoader)
{
    HMODULE h = LoadLibraryW(u"SHFOLDER.DLL");
    ASSERT_NE(h, nullptr);
    typedef HRESULT (*PFN)(HWND, int, HANDLE, DWORD, LPWSTR);
    PFN pfn = reinterpret_cast<PFN>(GetProcAddress(h, "SHGetFolderPathW"));
    ASSERT_NE(pfn, nullptr);

    PlatSetUserName(u"alice");
    PlatSetVersion(5, 1);
    WCHAR path[MAX_PATH];
    ASSERT_EQ(pfn(nullptr, CSIDL_PERSONAL, nullptr, 0, path), S_OK);
    EXPECT_EQ(U8(path), "C:\\Documents and Settings\\alice\\My Documents");
    DWORD attr = GetFileAttributesW(path);
    EXPECT_TRUE(attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY));

    PlatSetVersion(6, 1);
    ASSERT_EQ(pfn(nullptr, CSIDL_PERSONAL, nullptr, 0, path), S_OK);
    EXPECT_EQ(U8(path), "C:\\Users\\alice\\Documents");

    EXPECT_EQ(pfn(nullptr, 0x7E, nullptr, 0, path), E_INVALIDARG);
    EXPECT_EQ(path[0], 0);
    PlatShellFailFolder(E_FAIL);
    EXPECT_EQ(pfn(nullptr, CSIDL_PERSONAL, nullptr, 0, path), E_FAIL);
    PlatShellFailFolder(S_OK);
    PlatSetVersion(5, 1);
    PlatSetUserName(nullptr);
    FreeLibrary(h);
}

TEST(Help, CallsAreRecordedWithFileCommandAndData)
{
    PlatHelpReset();
    const DWORD pairs[] = {101, 5001, 102, 5002, 0, 0};
    EXPECT_TRUE(WinHelpW(nullptr, u"C:\\h\\Q.hlp", HELP_WM_HELP, (ULONG_PTR)pairs));
    EXPECT_TRUE(WinHelpW(nullptr, u"C:\\h\\Q.hlp", HELP_CONTEXT, 42));
    EXPECT_FALSE(WinHelpW(nullptr, nullptr, HELP_CONTEXT, 42));

    // HtmlHelpW as the pages bind it: from hhctrl.ocx by its full path.
    HMODULE h = LoadLibraryW(u"C:\\WINDOWS\\system32\\hhctrl.ocx");
    ASSERT_NE(h, nullptr);
    typedef HWND (*PFN)(HWND, LPCWSTR, UINT, DWORD_PTR);
    PFN pfn = reinterpret_cast<PFN>(GetProcAddress(h, "HtmlHelpW"));
    ASSERT_NE(pfn, nullptr);
    EXPECT_EQ(pfn(nullptr, u"C:\\h\\missing.chm", HH_HELP_CONTEXT, 7), nullptr);

    ASSERT_EQ(PlatHelpCount(), 3);
    PLATHELPCALL c;
    ASSERT_TRUE(PlatHelpGet(0, &c));
    EXPECT_FALSE(c.bHtml);
    EXPECT_EQ(U8(c.pszFile), "C:\\h\\Q.hlp");
    EXPECT_EQ(c.uCommand, (UINT)HELP_WM_HELP);
    ASSERT_EQ(c.cPairs, 2u);
    EXPECT_EQ(c.pPairs[2], 102u);
    EXPECT_EQ(c.pPairs[3], 5002u);
    ASSERT_TRUE(PlatHelpGet(1, &c));
    EXPECT_EQ(c.dwData, 42u);
    EXPECT_EQ(c.pPairs, nullptr);
    ASSERT_TRUE(PlatHelpGet(2, &c));
    EXPECT_TRUE(c.bHtml);
    EXPECT_EQ(c.uCommand, (UINT)HH_HELP_CONTEXT);
    EXPECT_EQ(c.dwData, 7u);
    FreeLibrary(h);
    PlatHelpReset();
}

}  // namespace
