// The fax destination list file: its exact bytes, the load into the settings
// object, the file-number ring and the clean-up of files no job consumed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/settings/devmode.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/regenv.h"
#include "ui/settings/uisettings.h"

namespace {

const char16_t kPrinter[] = u"Fax Printer";

std::vector<BYTE> ReadHost(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(f), {});
}

void WriteHost(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

std::string TempFileHost(DWORD dwNumber)
{
    char16_t szName[MAX_PATH];
    wsprintfW(szName, u"C:\\WINDOWS\\TEMP\\xpb%04X.TMP", (UINT)dwNumber);
    return PlatHostPath(szName);
}

bool HostExists(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return f.good();
}

class FaxDestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        WCHAR szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);  // creates the temporary folder
        pObj = (UISETTINGS*)calloc(1, sizeof(UISETTINGS));
        pObj->trailer.pszPrinterName = kPrinter;
        memset(&dm, 0, sizeof(dm));
        memcpy(dm.dm.dmDeviceName, kPrinter, sizeof(kPrinter));
        st = GetFaxDestState(pObj);
    }
    void TearDown() override { free(pObj); }

    void SetDest(int k, const char16_t* t1, const char16_t* t2, const char16_t* t3, const char16_t* t4,
                 SHORT ecm, SHORT intl, SHORT v34)
    {
        const char16_t* t[4] = {t1, t2, t3, t4};
        for (int i = 0; i < 4; ++i) lstrcpynW(st->aszText[i][k], t[i], FAXDEST_TEXT_CCH);
        st->aItem[0][k].sCurrent = ecm;
        st->aItem[1][k].sCurrent = intl;
        st->aItem[2][k].sCurrent = v34;
    }

    DWORD RingValue(const char16_t* name)
    {
        WCHAR szKey[USERREG_PATH_CCH];
        EXPECT_TRUE(BuildUserRegPath(szKey, kPrinter, FAXDEST_RING_KEY, nullptr));
        DWORD v = 0xFFFFFFFF, cb = 4, t = 0;
        bQueryUserRegValue(HKEY_CURRENT_USER, szKey, &t, name, &v, &cb);
        return v;
    }

    UISETTINGS* pObj = nullptr;
    FAXDESTSTATE* st = nullptr;
    DRVDEVMODE dm;
};

TEST_F(FaxDestTest, SavedFileHasTheRecordLayoutByteForByte)
{
    // Shift-JIS "日本" is 93 FA 96 7B in the file.
    std::u16string k44(44, u'x');
    st->lCount = 2;
    SetDest(0, u"Name", u"0312345678", u"Company A", u"Dept B", 1, 0, 2);
    SetDest(1, k44.c_str(), u"", u"日本", u"", 0, 1, 1);
    ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    ASSERT_NE(+dm.env.dwFaxListId, 0u);

    std::vector<BYTE> expect(18004, 0);
    expect[0] = 2;
    auto put = [&](size_t off, const char* s) { memcpy(&expect[off], s, strlen(s)); };
    put(4 + 0, "Name");
    put(4 + 44, "0312345678");
    put(4 + 88, "Company A");
    put(4 + 132, "Dept B");
    expect[4 + 176] = 1;
    expect[4 + 177] = 0;
    expect[4 + 178] = 2;
    memset(&expect[184], 'x', 44);  // fills its field: no terminator
    expect[184 + 88] = 0x93;
    expect[184 + 89] = 0xFA;
    expect[184 + 90] = 0x96;
    expect[184 + 91] = 0x7B;
    expect[184 + 177] = 1;
    expect[184 + 178] = 1;
    EXPECT_EQ(ReadHost(TempFileHost(dm.env.dwFaxListId)), expect);
}

TEST_F(FaxDestTest, LoadFillsColumnsItemsAndPaths)
{
    std::vector<BYTE> file(18004, 0);
    file[0] = 3;
    memset(&file[4], 'n', 44);                 // 44 characters, no terminator
    memcpy(&file[4 + 44], "111", 3);
    memcpy(&file[184 + 88], "\x93\xfa\x96\x7b", 4);
    file[364 + 176] = 1;
    file[364 + 177] = 2;
    file[364 + 178] = 1;
    dm.env.dwFaxListId = 0x1234;
    dm.env.wFaxDestCount = 3;
    WriteHost(TempFileHost(0x1234), file);

    LoadFaxDestinations(nullptr, pObj, &dm.dm, 0, nullptr);
    EXPECT_EQ(st->lCount, 3);
    EXPECT_EQ(st->lCount2, 3);
    EXPECT_EQ(std::u16string(st->aszText[0][0]), std::u16string(44, u'n'));
    EXPECT_EQ(std::u16string(st->aszText[1][0]), u"111");
    EXPECT_EQ(std::u16string(st->aszText[2][1]), u"日本");
    EXPECT_EQ(std::u16string(st->aszText[0][2]), u"");
    EXPECT_EQ(st->aItem[0][2].sCurrent, 1);
    EXPECT_EQ(st->aItem[1][2].sCurrent, 2);
    EXPECT_EQ(st->aItem[2][2].sCurrent, 1);
    EXPECT_EQ(std::u16string(st->szPrinter), kPrinter);
    // The file stays for the job; the DEVMODE still names it.
    EXPECT_EQ(+dm.env.dwFaxListId, 0x1234u);
    EXPECT_EQ(+dm.env.wFaxDestCount, 3);
}

TEST_F(FaxDestTest, RoundTripKeepsEveryDestination)
{
    st->lCount = 100;
    for (int k = 0; k < 100; ++k) {
        WCHAR sz[45];
        wsprintfW(sz, u"dest %d", k);
        SetDest(k, sz, u"0123", u"会社", sz, (SHORT)(k % 2), (SHORT)(k % 3), 1);
    }
    ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    UISETTINGS* p2 = (UISETTINGS*)calloc(1, sizeof(UISETTINGS));
    p2->trailer.pszPrinterName = kPrinter;
    LoadFaxDestinations(nullptr, p2, &dm.dm, 0, nullptr);
    FAXDESTSTATE* s2 = GetFaxDestState(p2);
    EXPECT_EQ(s2->lCount, 100);
    EXPECT_EQ(memcmp(s2->aszText, st->aszText, sizeof(st->aszText)), 0);
    for (int k = 0; k < 100; ++k) {
        EXPECT_EQ(s2->aItem[1][k].sCurrent, k % 3);
    }
    free(p2);
}

TEST_F(FaxDestTest, DamagedCountIsBounded)
{
    const struct {
        LONG lFileCount;
        LONG lLoaded;
    } kCases[] = {{250, 100}, {-5, 0}, {100, 100}, {0, 0}};
    for (const auto& c : kCases) {
        std::vector<BYTE> file(18004, 'a');
        memcpy(&file[0], &c.lFileCount, 4);
        dm.env.dwFaxListId = 0x77;
        WriteHost(TempFileHost(0x77), file);
        memset(st, 0, sizeof(*st));
        LoadFaxDestinations(nullptr, pObj, &dm.dm, 0, nullptr);
        EXPECT_EQ(st->lCount, c.lLoaded) << c.lFileCount;
    }
}

TEST_F(FaxDestTest, MissingFileClearsTheDevmode)
{
    dm.env.dwFaxListId = 0x4321;
    dm.env.wFaxDestCount = 5;
    st->lCount = st->lCount2 = 9;
    LoadFaxDestinations(nullptr, pObj, &dm.dm, 0, nullptr);
    EXPECT_EQ(st->lCount, 0);
    EXPECT_EQ(st->lCount2, 0);
    EXPECT_EQ(+dm.env.dwFaxListId, 0u);
    EXPECT_EQ(+dm.env.wFaxDestCount, 0);
}

TEST_F(FaxDestTest, SavingWithoutDestinations)
{
    // No number: nothing to do.
    EXPECT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    EXPECT_EQ(+dm.env.dwFaxListId, 0u);
    EXPECT_EQ(RingValue(u"idx"), 0xFFFFFFFFu);
    // A file left from an earlier commit is removed with its number.
    WriteHost(TempFileHost(0x55), std::vector<BYTE>(18004, 0));
    dm.env.dwFaxListId = 0x55;
    EXPECT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    EXPECT_EQ(+dm.env.dwFaxListId, 0u);
    EXPECT_FALSE(HostExists(TempFileHost(0x55)));
}

TEST_F(FaxDestTest, SavingTwiceReusesTheFileAndLeavesTheRing)
{
    st->lCount = 1;
    SetDest(0, u"a", u"1", u"", u"", 0, 0, 0);
    ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    DWORD dwFirst = dm.env.dwFaxListId;
    EXPECT_EQ(RingValue(u"idx"), 1u);
    EXPECT_EQ(RingValue(u"1"), dwFirst);
    SetDest(0, u"b", u"2", u"", u"", 0, 0, 0);
    ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
    EXPECT_EQ(+dm.env.dwFaxListId, dwFirst);
    EXPECT_EQ(RingValue(u"idx"), 1u);
    EXPECT_EQ(RingValue(u"2"), 0u);
    EXPECT_EQ(ReadHost(TempFileHost(dwFirst))[4], 'b');
    EXPECT_EQ(RecordDestinationFile(pObj, &dm.dm, dwFirst), 0);
}

TEST_F(FaxDestTest, EleventhFileRemovesTheFirst)
{
    st->lCount = 1;
    SetDest(0, u"a", u"1", u"", u"", 0, 0, 0);
    std::vector<DWORD> numbers;
    for (int i = 0; i < 11; ++i) {
        dm.env.dwFaxListId = 0;  // a new DEVMODE each time
        ASSERT_TRUE(SaveFaxDestinations(pObj, &dm.dm));
        numbers.push_back(+dm.env.dwFaxListId);
    }
    EXPECT_FALSE(HostExists(TempFileHost(numbers[0])));
    for (int i = 1; i < 11; ++i) EXPECT_TRUE(HostExists(TempFileHost(numbers[i]))) << i;
    EXPECT_EQ(RingValue(u"idx"), 1u);  // 10 wrapped to 1
    EXPECT_EQ(RingValue(u"1"), numbers[10]);
    EXPECT_EQ(RingValue(u"10"), numbers[9]);
}

}  // namespace

namespace {

// A settings object made for an installed printer knows where the driver
// and its phone-book library lie.
TEST(FaxDestPaths, SettingsObjectLearnsTheDriverFolderAndThePhoneBook)
{
    TestNewRoot();
    const char16_t kInstalled[] = u"QX-730 Phone Book";
    ASSERT_TRUE(PlatInstallPrinter(kInstalled, u"C:\\ports\\pb.prn", nullptr));
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kInstalled), &hPrinter, nullptr));
    LPWSTR pszDir = GetDriverDirectory(hPrinter);
    ClosePrinter(hPrinter);
    ASSERT_NE(pszDir, nullptr);
    std::u16string dir(pszDir);  // with its backslash
    GlobalUnlock(GlobalHandle(pszDir));
    GlobalFree(GlobalHandle(pszDir));
    ASSERT_GT(dir.size(), 1u);

    POPTIONDB pdb = OpenOptionDb();
    std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
    ASSERT_TRUE(InitDefaultDevmode(pdb, reinterpret_cast<DEVMODEW*>(dm.data()), kInstalled, nullptr));
    UISETTINGS* pObj = nullptr;
    ASSERT_EQ(CreateSettingsObject(pdb, &pObj, reinterpret_cast<DEVMODEW*>(dm.data()), 0, kInstalled), 1);
    const FAXDESTSTATE* st = GetFaxDestState(pObj);
    EXPECT_EQ(std::u16string(st->szDriverDir), dir.substr(0, dir.size() - 1));
    EXPECT_EQ(std::u16string(st->szPhoneBook), dir + u"XRPBK0.DLL");
    EXPECT_EQ(std::u16string(st->szPrinter), kInstalled);
    DestroySettingsObject(&pObj);
    CloseOptionDb(pdb);
}

}  // namespace
