// The user's library of settings files: what a first start shows, the
// list in the per-user store, adding, reordering, renaming, removing,
// registering, recalling by options, and the copy the save dialog works on.
#include "ui/settings/usetlib.h"

#include "tests/settings_rest/xfer_fixture.h"
#include "platform/gdi/msgbox.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"
#include "ui/settings/wmlist.h"

namespace {

const char16_t kFolder[] = u"C:\\mine";
const WORD kParamCopies = 1;
const WORD kParamPassword = 19;
const WORD kParamOverlay = 35;

std::u16string DriverFolder()
{
    HANDLE h = nullptr;
    std::u16string out;
    if (OpenPrinterW((LPWSTR)XferPrinter(), &h, nullptr)) {
        if (LPWSTR p = GetDriverDirectory(h)) {
            out = p;
            HGLOBAL hMem = GlobalHandle(p);
            GlobalUnlock(hMem);
            GlobalFree(hMem);
        }
        ClosePrinter(h);
    }
    while (!out.empty() && out.back() == u'\\')
        out.pop_back();
    return out;
}

DWORD StoreDword(const std::u16string& sub, LPCWSTR pszValue)
{
    WCHAR szPath[1024];
    BuildUserRegPath(szPath, XferPrinter(), u"QX_UIPROFILE", u"Locate Info");
    std::u16string path = std::u16string(szPath) + u"\\" + sub;
    DWORD dw = 0xFFFF, dwType = 0, cb = 4;
    if (!bQueryUserRegValue(hkeyUserRoot(), path.c_str(), &dwType, pszValue, &dw, &cb))
        return 0xFFFF;
    return dw;
}

class Library : public SettingsFileTest {
protected:
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        ASSERT_TRUE(CreateDirectoryW(kFolder, nullptr));
        PlatMsgBoxReset();
    }
    void TearDown() override
    {
        DestroyUserSettingsLibrary(&pLib);
        PlatMsgBoxReset();
        SettingsFileTest::TearDown();
    }
    // A standard file "Q730MV3n" in the driver folder, with Copies = n + 1.
    void MakeStandardFile(int n)
    {
        USETLIBRARY lib = {};
        lib.pSettings = pObj;
        lib.bLoadMode = 1;
        GetCurrentIdentity(&lib.current);
        GetLegacyIdentity(&lib.legacy);
        std::u16string name = std::u16string(u"Q730MV3") + (char16_t)(u'0' + n);
        SHORT sCopies = GetParamEdited(pObj, kParamCopies);
        SetParamEdited(pObj, kParamCopies, (SHORT)(n + 1));
        USETENTRY* p = NewSettingsEntry(&lib, DriverFolder().c_str(), name.c_str(), u"xsf", u"", pObj);
        ASSERT_NE(nullptr, p);
        std::u16string path = DriverFolder() + u"\\" + name + u".xsf";
        ASSERT_TRUE(bSaveSettingsFile(&lib, p, path.c_str()));
        FreeSettingsEntry(&lib, &p);
        SetParamEdited(pObj, kParamCopies, sCopies);
        // Standard files are marked so in their DRIVERINFO.
        WritePrivateProfileStringW(u"QX_SETTING LIBRARY DRIVERINFO", u"attributes", u"0", path.c_str());
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    }
    std::u16string NameAt(int i)
    {
        USETENTRY* e = GetUserSettingEntry(pLib, i);
        return e ? std::u16string(e->szDisplayName) : u"";
    }
    USETLIBRARY* pLib = nullptr;
};

TEST_F(Library, FirstStartShowsTheStandardFilesThatExist)
{
    MakeStandardFile(0);
    MakeStandardFile(2);
    MakeStandardFile(4);
    pLib = CreateUserSettingsLibraryFull(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    ASSERT_EQ(3u, pLib->cEntries);
    EXPECT_EQ(u"Q730MV30", NameAt(0));
    EXPECT_EQ(u"Q730MV32", NameAt(1));
    EXPECT_EQ(u"Q730MV34", NameAt(2));
    EXPECT_EQ(3, GetParamEdited(GetUserSettingEntry(pLib, 1)->pSettings, kParamCopies));
    // The store lists the three files.
    EXPECT_EQ(3u, StoreDword(u"Count", u"count"));
    EXPECT_EQ(0xFFFFu, StoreDword(u"Turn", u"3"));
    // A standard entry cannot be removed.
    EXPECT_FALSE(bMoveUserSetting(pLib, 0, USET_REMOVE));
    EXPECT_EQ(1, PlatMsgBoxCount());
    EXPECT_EQ(3u, pLib->cEntries);
}

TEST_F(Library, StoreClaimingMoreThan25EntriesMakesNoLibrary)
{
    pLib = CreateUserSettingsLibrary(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    DestroyUserSettingsLibrary(&pLib);
    WCHAR szPath[1024];
    BuildUserRegPath(szPath, XferPrinter(), u"QX_UIPROFILE", u"Locate Info");
    DWORD dw = 26;
    ASSERT_TRUE(bSetUserRegValue(hkeyUserRoot(), (std::u16string(szPath) + u"\\Count").c_str(), REG_DWORD,
                                 u"count", &dw, 4));
    EXPECT_EQ(nullptr, CreateUserSettingsLibrary(nullptr, pObj));
}

TEST_F(Library, AddReorderRenameAndRemove)
{
    pLib = CreateUserSettingsLibraryFull(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    ASSERT_EQ(0u, pLib->cEntries);
    SetParamEdited(pObj, kParamCopies, 2);
    ASSERT_TRUE(bAddUserSettingFile(pLib, pObj, kFolder, u"Alpha", u"first"));
    SetParamEdited(pObj, kParamCopies, 3);
    ASSERT_TRUE(bAddUserSettingFile(pLib, pObj, kFolder, u"Beta", u""));
    ASSERT_TRUE(bFinishUserSettingsLibrary(pLib));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(u"C:\\mine\\Alpha.xsf"));
    EXPECT_EQ(2u, StoreDword(u"Count", u"count"));

    EXPECT_TRUE(bMoveUserSetting(pLib, 1, USET_MOVE_UP));
    EXPECT_EQ(u"Beta", NameAt(0));
    EXPECT_FALSE(bMoveUserSetting(pLib, 0, USET_MOVE_UP));
    EXPECT_FALSE(bMoveUserSetting(pLib, 1, USET_MOVE_DOWN));

    // A rename writes the new file and removes the old one; a name some
    // other file already has is refused, and that file stays as it was.
    ASSERT_TRUE(bRenameUserSetting(pLib, 0, u"Gamma"));
    EXPECT_EQ(u"Gamma", NameAt(0));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(u"C:\\mine\\Beta.xsf"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(u"C:\\mine\\Gamma.xsf"));
    WriteWinFile(u"C:\\mine\\Other.xsf", "not mine");
    PlatMsgBoxReset();
    EXPECT_FALSE(bRenameUserSetting(pLib, 0, u"Other"));
    EXPECT_EQ(1, PlatMsgBoxCount());
    EXPECT_EQ("not mine", ReadWinFile(u"C:\\mine\\Other.xsf"));
    EXPECT_FALSE(bRenameUserSetting(pLib, 0, u"alpha"));

    ASSERT_TRUE(bSetUserSettingComment(pLib, 1, u"changed"));
    EXPECT_EQ(USET_CHANGED, GetUserSettingEntry(pLib, 1)->bState);
    ASSERT_TRUE(bFinishUserSettingsLibrary(pLib));
    EXPECT_EQ(USET_SAVED, GetUserSettingEntry(pLib, 1)->bState);

    // Removing drops the entry; its file stays.
    ASSERT_TRUE(bMoveUserSetting(pLib, 0, USET_REMOVE));
    ASSERT_EQ(1u, pLib->cEntries);
    EXPECT_EQ(u"Alpha", NameAt(0));
    ASSERT_TRUE(bFinishUserSettingsLibrary(pLib));
    EXPECT_EQ(1u, StoreDword(u"Count", u"count"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(u"C:\\mine\\Gamma.xsf"));

    // A new library reads the list back with the comment saved.
    DestroyUserSettingsLibrary(&pLib);
    pLib = CreateUserSettingsLibraryFull(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    ASSERT_EQ(1u, pLib->cEntries);
    EXPECT_EQ(u"changed", std::u16string(GetUserSettingEntry(pLib, 0)->szComment));
    EXPECT_EQ(2, GetParamEdited(GetUserSettingEntry(pLib, 0)->pSettings, kParamCopies));
}

TEST_F(Library, RegisterRefusesANameTheListHas)
{
    pLib = CreateUserSettingsLibraryFull(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    ASSERT_TRUE(bAddUserSettingFile(pLib, pObj, kFolder, u"Alpha", u""));
    ASSERT_TRUE(bFinishUserSettingsLibrary(pLib));
    ASSERT_TRUE(CreateDirectoryW(u"C:\\other", nullptr));
    ASSERT_TRUE(CopyFileW(u"C:\\mine\\Alpha.xsf", u"C:\\other\\Alpha.xsf", FALSE));
    PlatMsgBoxReset();
    EXPECT_FALSE(bRegisterSettingsFile(pLib, u"C:\\other", u"ALPHA", u"xsf"));
    EXPECT_EQ(1, PlatMsgBoxCount());
    ASSERT_TRUE(CopyFileW(u"C:\\mine\\Alpha.xsf", u"C:\\other\\Delta.xsf", FALSE));
    EXPECT_FALSE(bRegisterSettingsFile(pLib, u"C:\\other", u"Delta", u"xsf")) << "same display name";
    WritePrivateProfileStringW(u"QX_SETTING LIBRARY NAME", u"name", u"*Delta*", u"C:\\other\\Delta.xsf");
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, u"C:\\other\\Delta.xsf");
    EXPECT_TRUE(bRegisterSettingsFile(pLib, u"C:\\other", u"Delta", u"xsf"));
    EXPECT_EQ(2u, pLib->cEntries);
    EXPECT_FALSE(bRegisterSettingsFile(pLib, u"C:\\other", u"Missing", u"xsf"));
}

TEST_F(Library, RecallCopiesTheGroupsTheOptionsName)
{
    pLib = CreateUserSettingsLibraryFull(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    SetParamEdited(pObj, kParamCopies, 5);
    SetDefaultWatermarks(Lists()->pWatermark);
    Lists()->pWatermark->sCount = 2;
    lstrcpynW(Lists()->pWatermark->pRecords[1].szText, u"Saved", WATERMARK_TEXT_CCH);
    ASSERT_TRUE(bAddUserSettingFile(pLib, pObj, kFolder, u"Saved", u""));

    struct Row {
        BYTE ab[RECALL_OPTIONS];
        SHORT sCopies;       // Copies after the recall (group 2, option 0)
        const char16_t* pszMark;  // watermark 1 (group 4, option 2); null: as it was
    };
    const Row rows[] = {
        {{0, 1, 1, 1, 0, 1, 1}, 1, u"Saved"},
        {{1, 1, 0, 1, 0, 1, 1}, 5, nullptr},
        {{1, 1, 1, 1, 0, 1, 1}, 5, u"Saved"},
    };
    for (const Row& r : rows) {
        UISETTINGS* pLive = SecondObject();
        ASSERT_NE(nullptr, pLive);
        std::u16string before(Lists(pLive)->pWatermark->pRecords[1].szText);
        ASSERT_NE(u"Saved", before);
        ASSERT_TRUE(bRecallUserSetting(pLib, 0, pLive, r.ab));
        EXPECT_EQ(r.sCopies, GetParamEdited(pLive, kParamCopies));
        EXPECT_EQ(r.pszMark ? std::u16string(r.pszMark) : before,
                  std::u16string(Lists(pLive)->pWatermark->pRecords[1].szText));
        EXPECT_TRUE(pLive->dwFlags & 0x80) << "marked as recalled";
    }
    EXPECT_FALSE(bRecallUserSetting(pLib, 3, pObj, nullptr));
}

TEST_F(Library, SaveCopyDropsWhatASavedFileMayNotCarry)
{
    pLib = CreateUserSettingsLibrary(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    SetParamEdited(pObj, kParamPassword, 1);
    SetParamEdited(pObj, kParamOverlay, 2);
    UISETTINGS* pClone = CloneSettingsForSave(pLib, pObj);
    ASSERT_NE(nullptr, pClone);
    EXPECT_EQ(1, PlatMsgBoxCount());
    EXPECT_EQ(0, GetParamEdited(pClone, kParamPassword));
    EXPECT_EQ(1, GetParamEdited(pClone, kParamOverlay));
    EXPECT_EQ(1, GetParamEdited(pObj, kParamPassword)) << "the live settings keep theirs";
    std::u16string work = SettingsWorkFile(pClone);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(work.c_str()));
    DiscardSettingsClone(pLib, &pClone);
    EXPECT_EQ(nullptr, pClone);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(work.c_str()));
}

TEST_F(Library, TargetsInUseAndBlocked)
{
    pLib = CreateUserSettingsLibrary(nullptr, pObj);
    ASSERT_NE(nullptr, pLib);
    WriteWinFile(u"C:\\mine\\there.xsf", "x");
    WriteWinFile(u"C:\\mine\\locked.xsf", "x");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\mine\\locked.xsf", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryW(u"C:\\mine\\dir.xsf", nullptr));
    struct Row {
        const char16_t* pszName;
        bool bInUse, bBlocked;
    };
    const Row rows[] = {
        {u"free", false, false},
        {u"there", true, false},
        {u"locked", true, true},
        {u"dir", true, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.bInUse, !!bSettingsFileInUse(pLib, kFolder, r.pszName, u"xsf"));
        EXPECT_EQ(r.bBlocked, !!bSaveTargetBlocked(pLib, kFolder, r.pszName, u"xsf"));
    }
    EXPECT_TRUE(bSaveTargetBlocked(pLib, u"C:\\nowhere", u"free", u"xsf"));
    EXPECT_FALSE(bSaveTargetBlocked(pLib, kFolder, u"", u"xsf"));
    // A stored folder value and its default.
    WCHAR sz[MAX_PATH];
    EXPECT_FALSE(QueryUsetString(pLib, u"UsetSave SaveFile", sz, u"C:\\dflt", sizeof(sz)));
    EXPECT_EQ(u"C:\\dflt", std::u16string(sz));
    ASSERT_TRUE(bSetUsetString(pLib, u"UsetSave SaveFile", u"C:\\mine"));
    EXPECT_TRUE(QueryUsetString(pLib, u"UsetSave SaveFile", sz, u"C:\\dflt", sizeof(sz)));
    EXPECT_EQ(u"C:\\mine", std::u16string(sz));
    BYTE* pOptions = CreateRecallOptions();
    ASSERT_NE(nullptr, pOptions);
    EXPECT_EQ(0, memcmp(pOptions, "\0\1\1\1\0\1\1", 7));
    EXPECT_FALSE(SetRecallOption(pOptions, 7, 1));
    FreeRecallOptions(&pOptions);
}

}  // namespace
