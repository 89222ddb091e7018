// Settings files as the library reads and writes them: the sections of a
// new file, each result code of the reader, the working copies, saving
// without ever leaving a half-written file, and damaged files refused
// without touching the live settings.
#include "ui/settings/setfile.h"

#include "tests/settings_rest/xfer_fixture.h"
#include "platform/gdi/msgbox.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/wmlist.h"

namespace {

const char16_t kFolder[] = u"C:\\sets";
const WORD kParamCopies = 1;

// The text of a UTF-16 file as UTF-8 (for comparing sections).
std::string Utf8Of(const std::string& bytes)
{
    if (bytes.size() < 2 || (BYTE)bytes[0] != 0xFF || (BYTE)bytes[1] != 0xFE)
        return bytes;
    std::u16string w((bytes.size() - 2) / 2, u'\0');
    memcpy(w.data(), bytes.data() + 2, w.size() * 2);
    std::string out;
    for (char16_t c : w) {
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string PathOf(const char16_t* pszName)
{
    return std::u16string(kFolder) + u"\\" + pszName + u".xsf";
}

class SettingsFiles : public SettingsFileTest {
protected:
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        ASSERT_TRUE(CreateDirectoryW(kFolder, nullptr));
        lib = {};
        lib.pSettings = pObj;
        lib.bLoadMode = 1;
        GetCurrentIdentity(&lib.current);
        GetLegacyIdentity(&lib.legacy);
        PlatMsgBoxReset();
    }
    void TearDown() override
    {
        for (USETENTRY*& p : entries)
            FreeSettingsEntry(&lib, &p);
        PlatMsgBoxReset();
        SettingsFileTest::TearDown();
    }
    USETENTRY* Keep(USETENTRY* p)
    {
        if (p)
            entries.push_back(p);
        return p;
    }
    // A new entry of the live settings saved as folder\name.xsf.
    USETENTRY* SaveNew(const char16_t* pszName, const char16_t* pszComment = u"")
    {
        USETENTRY* p = Keep(NewSettingsEntry(&lib, kFolder, pszName, u"xsf", pszComment, pObj));
        if (p && !bSaveSettingsFile(&lib, p, PathOf(pszName).c_str()))
            return nullptr;
        return p;
    }
    USETENTRY* Load(const char16_t* pszName, int* piCode)
    {
        return Keep(LoadSettingsFile(&lib, kFolder, pszName, u"xsf", piCode, FALSE));
    }
    USETLIBRARY lib;
    std::vector<USETENTRY*> entries;
};

TEST_F(SettingsFiles, NewFileHasItsSectionsInOrder)
{
    ASSERT_TRUE(SetParamEdited(pObj, kParamCopies, 4));
    ASSERT_NE(nullptr, SaveNew(u"Two-sided A4", u"Office default\r\n"));
    std::string raw = ReadWinFile(PathOf(u"Two-sided A4").c_str());
    ASSERT_EQ("\xFF\xFE", raw.substr(0, 2));
    std::string file = Utf8Of(raw);
    EXPECT_EQ(0u, file.find("[QX_SETTING LIBRARY NAME]\r\nname=*Two-sided A4*\r\n"
                            "[QX_SETTING LIBRARY COMMENT]\r\n0=*Office default*\r\n1=**\r\ncommentX=2\r\n"
                            "[QX_SETTING LIBRARY DRIVERINFO]\r\nmanufacture=OSTREL BRAVINE CORPORATION\r\n"
                            "product=OSTREL BRAVINE ORDEX Driver\r\nsystem=MS Windows 2000\r\n"
                            "model=OSTREL BRAVINE QX-730 ORDEX2 V\r\nversion=04.03\r\nversionnum=1027\r\n"
                            "usetversion=1\r\nreserved0=\r\nreserved1=\r\nreserved2=\r\nreserved3=\r\n"
                            "reserved4=\r\nendmark=1\r\n[QX_SETTING LIBRARY UIPARAM]\r\nCopies=4\r\n"));
    // The end mark is the file's last line.
    const std::string end = "[QX_SETTING LIBRARY END]\r\nendmark=1\r\n";
    EXPECT_EQ(file.size() - end.size(), file.find(end));
    std::string params = SectionText(file, "QX_SETTING LIBRARY UIPARAM");
    EXPECT_NE(std::string::npos, params.find("\r\npagenumStr=\r\n"));
    EXPECT_EQ(params.size() - std::string("pagenumStr=\r\n").size(), params.rfind("pagenumStr="));
    // The working copy is a file of its own in the temporary folder.
    LPCWSTR pszWork = SettingsWorkFile(entries[0]->pSettings);
    EXPECT_NE(std::u16string::npos, std::u16string(pszWork).find(u"\\xsf"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(pszWork));
}

TEST_F(SettingsFiles, LoadedEntryWritesTheSameParameters)
{
    SetDefaultWatermarks(Lists()->pWatermark);
    Lists()->pWatermark->sCount = 2;
    lstrcpynW(Lists()->pWatermark->pRecords[1].szText, u"Café €", WATERMARK_TEXT_CCH);
    ASSERT_TRUE(SetParamEdited(pObj, kParamCopies, 7));
    ASSERT_NE(nullptr, SaveNew(u"First"));
    int iCode = -1;
    USETENTRY* p = Load(u"First", &iCode);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(SETFILE_OK, iCode);
    EXPECT_EQ(7, GetParamEdited(p->pSettings, kParamCopies));
    EXPECT_EQ(u"Café €", std::u16string(p->pSettings->trailer.pListSet->pWatermark->pRecords[1].szText));
    EXPECT_EQ(u"First", std::u16string(p->szDisplayName));

    // Saved again under another name: every parameter section is the same;
    // DRIVERINFO tells a loaded entry from a new one.
    lstrcpynW(p->szName, u"Second", USET_NAME_CCH);
    p->bState = USET_CHANGED;
    ASSERT_TRUE(bSaveSettingsFile(&lib, p, PathOf(u"Second").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(PathOf(u"First").c_str())) << "the old name goes";
    std::string second = Utf8Of(ReadWinFile(PathOf(u"Second").c_str()));
    ASSERT_NE(nullptr, SaveNew(u"Third"));
    std::string third = Utf8Of(ReadWinFile(PathOf(u"Third").c_str()));
    size_t a = second.find("[QX_SETTING LIBRARY UIPARAM]"), b = third.find("[QX_SETTING LIBRARY UIPARAM]");
    ASSERT_NE(std::string::npos, a);
    EXPECT_EQ(second.substr(a), third.substr(b));
    EXPECT_NE(std::string::npos, SectionText(second, "QX_SETTING LIBRARY DRIVERINFO").find("versionnum=0\r\n"));
}

TEST_F(SettingsFiles, ResultCodeOfEachFile)
{
    ASSERT_NE(nullptr, SaveNew(u"good"));
    const std::string good = Utf8Of(ReadWinFile(PathOf(u"good").c_str()));
    auto with = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        size_t at = s.find(from);
        return at == std::string::npos ? s : s.replace(at, from.size(), to);
    };
    struct Row {
        const char* pszWhat;
        std::string file;     // written as 8-bit text; "" for no file
        bool bReadOnly;
        int iAnswer;          // the answer to a question, 0 for none
        int iCode;
    };
    const Row rows[] = {
        {"good", good, false, 0, SETFILE_OK},
        {"no file", "", false, 0, SETFILE_MISSING},
        {"no product", with("product=OSTREL BRAVINE ORDEX Driver\r\n", ""), false, 0, SETFILE_BAD_DRIVERINFO},
        {"no manufacture", with("manufacture=OSTREL BRAVINE CORPORATION", "manufacture="), false, 0,
         SETFILE_BAD_DRIVERINFO},
        {"foreign system", with("system=MS Windows 2000", "system=Other"), false, 0, SETFILE_FOREIGN_SYSTEM},
        {"legacy system", with("system=MS Windows 2000", "system=MS Windows NT/2000/XP"), false, 0, SETFILE_OK},
        {"foreign model", with("model=OSTREL BRAVINE QX-730 ORDEX2 V", "model=QX-999"), false, 0,
         SETFILE_FOREIGN_MODEL},
        {"old version, No", with("version=04.03", "version=03.00"), false, IDNO, SETFILE_VERSION_DECLINED},
        {"old version, Yes", with("version=04.03", "version=03.00"), false, IDYES, SETFILE_OK},
        {"old version, read-only", with("version=04.03", "version=03.00"), true, 0, SETFILE_VERSION_READONLY},
        {"no parameters", good.substr(0, good.find("[QX_SETTING LIBRARY UIPARAM]")), false, 0,
         SETFILE_PARAMS_FAILED},
        {"random bytes", std::string("\x13\x9a\xff\x00\x41[\r\n=\x7f", 10), false, 0, SETFILE_BAD_DRIVERINFO},
        {"cut header", good.substr(0, 40), false, 0, SETFILE_BAD_DRIVERINFO},
        // Cut short anywhere before the end mark: refused, not read as
        // defaults for what is gone.
        {"cut at a quarter", good.substr(0, good.size() / 4), false, 0, SETFILE_PARAMS_FAILED},
        {"cut after the parameters", good.substr(0, good.find("[QX_SETTING LIBRARY END]")), false, 0,
         SETFILE_PARAMS_FAILED},
        {"cut inside the end mark", good.substr(0, good.size() - 4), false, 0, SETFILE_PARAMS_FAILED},
        // A file of an older writer has no end mark and says nothing of one:
        // whole or lacking keys, it reads with defaults for what it lacks.
        {"older writer", with("endmark=1\r\n", "").substr(0, good.find("[QX_SETTING LIBRARY END]") - 11),
         false, 0, SETFILE_OK},
        {"older writer, keys missing",
         with("endmark=1\r\n", "").substr(0, good.find("[QX_SETTING LIBRARY UIPARAM]") - 11) +
             "[QX_SETTING LIBRARY UIPARAM]\r\nCopies=4\r\n",
         false, 0, SETFILE_OK},
    };
    ASSERT_TRUE(SetParamEdited(pObj, kParamCopies, 3));
    for (const Row& r : rows) {
        std::u16string path = PathOf(u"case");
        SetFileAttributesW(path.c_str(), 0);
        DeleteFileW(path.c_str());
        if (!r.file.empty())
            WriteWinFile(path.c_str(), r.file);
        if (r.bReadOnly)
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        PlatMsgBoxReset();
        if (r.iAnswer)
            PlatMsgBoxPushAnswer(r.iAnswer);
        int iCode = -1;
        USETENTRY* p = Load(u"case", &iCode);
        EXPECT_EQ(r.iCode, iCode) << r.pszWhat;
        EXPECT_EQ(r.iCode == SETFILE_OK, p != nullptr) << r.pszWhat;
        if (r.iCode >= SETFILE_FOREIGN_SYSTEM && r.iCode <= SETFILE_VERSION_READONLY) {
            EXPECT_EQ(1, PlatMsgBoxCount()) << r.pszWhat;
        }
        if (r.iAnswer == IDYES) {
            EXPECT_EQ(USET_CHANGED, p->bState);
            EXPECT_EQ(u"04.03", std::u16string(p->szVersion));
        }
        // The live settings never change.
        EXPECT_EQ(3, GetParamEdited(pObj, kParamCopies)) << r.pszWhat;
    }
    int iCode = -1;
    EXPECT_EQ(nullptr, LoadSettingsFile(&lib, kFolder, u"", u"xsf", &iCode, FALSE));
    EXPECT_EQ(SETFILE_BAD_ARGUMENT, iCode);
}

TEST_F(SettingsFiles, OlderEightBitFileLoadsAndItsCopyIsUtf16)
{
    ASSERT_NE(nullptr, SaveNew(u"wide"));
    std::string text = Utf8Of(ReadWinFile(PathOf(u"wide").c_str()));
    WriteWinFile(PathOf(u"ansi").c_str(), text);  // ASCII only: the same in code page 932
    int iCode = -1;
    USETENTRY* p = Load(u"ansi", &iCode);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(u"wide", std::u16string(p->szDisplayName));
    EXPECT_EQ("\xFF\xFE", ReadWinFile(SettingsWorkFile(p->pSettings)).substr(0, 2));
}

TEST_F(SettingsFiles, FailedSaveLeavesTheFileWhole)
{
    USETENTRY* p = SaveNew(u"keep");
    ASSERT_NE(nullptr, p);
    std::u16string path = PathOf(u"keep");
    std::string before = ReadWinFile(path.c_str());
    ASSERT_TRUE(SetParamEdited(p->pSettings, kParamCopies, 9));
    p->bState = USET_CHANGED;
    // The folder takes no new file: the save fails and the file is as it
    // was, with nothing left beside it.
    ASSERT_TRUE(SetFileAttributesW(kFolder, FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(bSaveSettingsFile(&lib, p, path.c_str()));
    SetFileAttributesW(kFolder, 0);
    EXPECT_EQ(before, ReadWinFile(path.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path + u".~sav").c_str()));
    EXPECT_EQ(USET_CHANGED, p->bState);
    // A renamed entry whose save fails keeps its old file too.
    lstrcpynW(p->szName, u"renamed", USET_NAME_CCH);
    ASSERT_TRUE(SetFileAttributesW(kFolder, FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(bSaveSettingsFile(&lib, p, PathOf(u"renamed").c_str()));
    SetFileAttributesW(kFolder, 0);
    EXPECT_EQ(before, ReadWinFile(path.c_str()));
    // Read-only entries are never written.
    p->dwAttributes = USET_READONLY;
    EXPECT_FALSE(bSaveSettingsFile(&lib, p, path.c_str()));
}

TEST_F(SettingsFiles, AttributesNarrowToWhatTheFolderAllows)
{
    ASSERT_NE(nullptr, SaveNew(u"attr"));
    std::u16string path = PathOf(u"attr");
    USETENTRY e = {};
    lstrcpynW(e.szFolder, kFolder, USET_FOLDER_CCH);
    ASSERT_TRUE(bReadDriverInfoSection(TRUE, path.c_str(), &e));
    EXPECT_EQ((DWORD)USET_WRITABLE, e.dwAttributes);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(bReadDriverInfoSection(TRUE, path.c_str(), &e));
    EXPECT_EQ((DWORD)USET_READONLY, e.dwAttributes);
    SetFileAttributesW(path.c_str(), 0);
    ASSERT_TRUE(SetFileAttributesW(kFolder, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(bReadDriverInfoSection(TRUE, path.c_str(), &e));
    EXPECT_EQ((DWORD)USET_READONLY, e.dwAttributes);
    SetFileAttributesW(kFolder, 0);
    // A probe file left in the folder does not make it read-only.
    WriteWinFile(u"C:\\sets\\vemvem24.tmp", "x");
    EXPECT_TRUE(bIsFolderWritable(kFolder));
    EXPECT_TRUE(bClearReadOnly(path.c_str()));
    EXPECT_FALSE(bClearReadOnly(u"C:\\sets\\none.xsf"));
}

}  // namespace

namespace {

class DamagedFiles : public SettingsFiles {};

TEST_F(DamagedFiles, NeverLoadAsTheyComeNorTouchTheLiveSettings)
{
    ASSERT_TRUE(SetParamEdited(pObj, kParamCopies, 6));
    ASSERT_NE(nullptr, SaveNew(u"base"));
    const std::string good = ReadWinFile(PathOf(u"base").c_str());
    ASSERT_TRUE(SetParamEdited(pObj, kParamCopies, 2));
    EXPECT_EQ(SETFILE_OK, ReadSettingsFileImage(pObj, (const BYTE*)good.data(), (DWORD)good.size()));
    // Files cut short, and files with bytes changed at spread-out places.
    // The first six end before the parameter section begins.
    std::string header;
    for (char c : std::string("[QX_SETTING LIBRARY UIPARAM]"))
        header += std::string{c, '\0'};
    size_t atParams = good.find(header);
    ASSERT_NE(std::string::npos, atParams);
    std::vector<std::string> files;
    for (size_t cut : {size_t(0), size_t(1), size_t(2), size_t(3), atParams / 2, atParams, good.size() / 3,
                       good.size() / 2, good.size() - 1})
        files.push_back(good.substr(0, cut));
    unsigned seed = 12345;
    for (int i = 0; i < 24; ++i) {
        std::string s = good;
        for (int k = 0; k < 1 + i % 5; ++k) {
            seed = seed * 1103515245u + 12345u;
            size_t at = (seed >> 8) % s.size();
            s[at] = (char)(s[at] ^ (1 + (seed >> 3) % 255));
        }
        files.push_back(s);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& s = files[i];
        int iCode = ReadSettingsFileImage(pObj, (const BYTE*)s.data(), (DWORD)s.size());
        bool bKnown = iCode == SETFILE_OK || (iCode >= SETFILE_BAD_DRIVERINFO && iCode <= SETFILE_VERSION_READONLY) ||
                      iCode == SETFILE_PARAMS_FAILED;
        EXPECT_TRUE(bKnown) << "file " << i << " code " << iCode;
        EXPECT_EQ(2, GetParamEdited(pObj, kParamCopies)) << "file " << i;
    }
    // A file without its parameters never loads as all defaults.
    for (size_t i = 0; i < 6; ++i)
        EXPECT_NE(SETFILE_OK, ReadSettingsFileImage(pObj, (const BYTE*)files[i].data(), (DWORD)files[i].size()))
            << "cut " << i;
}

// A file that carries what no settings file may (edited by hand, or written
// elsewhere) is read without it: confidential print, job combination, a form
// overlay and a held, secure, box or timer output method come back off.
// Plain printing and every other value come back as the file has them.
TEST_F(SettingsFiles, EntryReadWithoutWhatNoFileCarries)
{
    const WORD kPassword = 19, kOverlay = 35, kJobComb = 81, kOutputMethod = 144;
    const struct {
        WORD wParam;
        SHORT sInFile, sRead;
    } cases[] = {
        {kPassword, 1, 0},     {kJobComb, 1, 0},      {kOverlay, 3, 1},      {kOverlay, 2, 1},
        {kOutputMethod, 2, 1}, {kOutputMethod, 5, 1}, {kOutputMethod, 0, 0}, {kOutputMethod, 1, 1},
        {kParamCopies, 7, 7},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "param " << c.wParam << " = " << c.sInFile);
        const SHORT sLive = GetParamEdited(pObj, c.wParam);
        ASSERT_TRUE(SetParamEdited(pObj, c.wParam, c.sInFile));
        std::u16string name = u"Case" + std::u16string(1, (char16_t)(u'A' + i++));
        ASSERT_NE(nullptr, SaveNew(name.c_str()));
        ASSERT_TRUE(SetParamEdited(pObj, c.wParam, sLive));
        int iCode = -1;
        USETENTRY* p = Load(name.c_str(), &iCode);
        ASSERT_NE(nullptr, p);
        EXPECT_EQ(SETFILE_OK, iCode);
        EXPECT_EQ(c.sRead, GetParamEdited(p->pSettings, c.wParam));
        EXPECT_EQ(sLive, GetParamEdited(pObj, c.wParam)) << "the live settings keep theirs";
    }
}

}  // namespace
