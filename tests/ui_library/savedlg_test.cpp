// The save dialog as a person uses it: a name and a comment typed, OK, and
// what is then on disk and in the library; the name rules as the messages a
// person reads; a full library; the pictures of the dialog.
#include "tests/ui_library/library_fixture.h"

namespace {

PLATSCRIPTSTEP Type(int id, const char16_t* text) { return {PSS_TYPE, id, nullptr, text, -1, 0}; }
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

}  // namespace
