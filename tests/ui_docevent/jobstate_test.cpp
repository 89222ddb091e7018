// State the chain carries between events and jobs: book mode across ResetDC,
// the capture file, the fax destination file and the insert-sheet records.
#include "tests/ui_docevent/fakegfx.h"

#include "ui/driverui/docevent_store.h"
#include "ui/settings/listset.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"

namespace {

DWORD BookValue(LPCWSTR pszName)
{
    HKEY hKey = nullptr;
    DWORD dwDisp = 0, dw = 0xDEAD, cb = 4, dwType = 0;
    if (!OpenBookModeKey(kDocPrinter, &hKey, &dwDisp)) return 0xBAD;
    OsRegQueryValue(hKey, pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dw), &cb);
    OsRegCloseKey(hKey);
    return dw;
}

TEST_F(DocEventTest, BookModeCarriesTheSpreadsheetJobAcrossResetDC)
{
    const struct {
        const char16_t* pszProgram;
        bool bOwnDevmode;
        BYTE bExpectMode, bExpectPdl;  // in the new DEVMODE after RESETDCPRE
        DWORD dwStoredMode;
    } kCases[] = {
        {u"C:\\Office\\EXCEL.EXE", true, 2, 3, 2},
        {u"C:\\Office\\excel.exe", true, 2, 3, 2},
        {u"C:\\Office\\WINWORD.EXE", true, 1, 0, 0},  // the DEVMODE keeps its own
        {u"C:\\Office\\EXCEL.EXE", false, 1, 0, 2},   // not this driver's DEVMODE
    };
    for (const auto& c : kCases) {
        PlatSetProgramPath(c.pszProgram);
        fake.Job()->ui.lpGraphicsMode = 2;
        fake.Job()->ui.lpPDLType = 3;
        EXPECT_EQ(DocEventBookMode(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
        EXPECT_EQ(BookValue(u"bGFXMode"), c.dwStoredMode);

        std::vector<BYTE> dmNew(fake.devmode);
        DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dmNew.data());
        pdm->ui.lpGraphicsMode = 1;
        pdm->ui.lpPDLType = 0;
        if (!c.bOwnDevmode) pdm->dm.dmDriverVersion ^= 0x1234;
        DEVMODEW* pArg = &pdm->dm;
        EXPECT_EQ(DocEventBookMode(hPrinter, hdc, DOCUMENTEVENT_RESETDCPRE, sizeof(pArg), &pArg, 0, nullptr), 1);
        EXPECT_EQ(pdm->ui.lpGraphicsMode, c.bExpectMode) << std::string(c.pszProgram, c.pszProgram + 5);
        EXPECT_EQ(pdm->ui.lpPDLType, c.bExpectPdl);
        // The job's end clears the values for the next job.
        EXPECT_EQ(DocEventBookMode(hPrinter, hdc, DOCUMENTEVENT_ENDDOCPOST, 0, nullptr, 0, nullptr), 1);
        EXPECT_EQ(BookValue(u"bGFXMode"), 0u);
        EXPECT_EQ(BookValue(u"bPDLType"), 0u);
    }
    // Without a printer handle nothing is read or written.
    fake.calls.clear();
    PlatSetProgramPath(u"C:\\Office\\EXCEL.EXE");
    EXPECT_EQ(DocEventBookMode(nullptr, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(DocEventTest, CaptureFileLivesFromStartDocPostToEndDocPost)
{
    fake.work[WA_CAPTURE_ON] = 1;
    EXPECT_EQ(DocEventCaptureFile(hPrinter, hdc, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr), 1);
    const ESCCALL* p = fake.Find(ESC_CAPTURE_PATH);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->in.size(), 520u);
    std::u16string path(reinterpret_cast<const char16_t*>(p->in.data()));
    EXPECT_NE(path.find(u"eco"), std::u16string::npos);
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFaxTempfileCount(kDocPrinter), 1u);

    // The graphics library reports the path back in its work area.
    memcpy(fake.work.data() + WA_CAPTURE_PATH, p->in.data(), 520);
    fake.calls.clear();
    EXPECT_EQ(DocEventCaptureFile(hPrinter, hdc, DOCUMENTEVENT_ENDDOCPOST, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(fake.Find(ESC_CAPTURE_CLEAR), nullptr);
    EXPECT_EQ(GetFaxTempfileCount(kDocPrinter), 0u);
}

TEST_F(DocEventTest, AbortedJobDeletesListedTemporaryFiles)
{
    WCHAR szTemp[261] = {}, szFile[261] = {};
    GetTempPathW(260, szTemp);
    ASSERT_NE(GetTempFileNameW(szTemp, u"xfc", 0, szFile), 0u);
    ASSERT_TRUE(SetFaxTempfileName(kDocPrinter, 0, szFile));
    ASSERT_TRUE(SetFaxTempfileCount(kDocPrinter, 1));
    EXPECT_EQ(Event(DOCUMENTEVENT_ABORTDOC), 1);
    EXPECT_EQ(GetFileAttributesW(szFile), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFaxTempfileCount(kDocPrinter), 0u);
    WCHAR szName[261];
    EXPECT_FALSE(GetFaxTempfileName(kDocPrinter, 0, szName));
}

struct FaxDest : DocEventTest {
    std::u16string WriteDestFile(DWORD dwNumber, LONG lCount, DWORD cb)
    {
        WCHAR szTemp[261] = {}, szFile[261] = {};
        GetTempPathW(260, szTemp);
        GetTempFileNameW(szTemp, u"xpb", dwNumber, szFile);
        std::vector<BYTE> bytes(cb, 0);
        if (cb >= 4) memcpy(bytes.data(), &lCount, 4);
        if (cb > 48) memcpy(bytes.data() + 4 + 44, "0123456789", 10);  // fax number of destination 0
        HANDLE h = CreateFileW(szFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD cbDone = 0;
        WriteFile(h, bytes.data(), cb, &cbDone, nullptr);
        CloseHandle(h);
        fake.Dm()->env.dwFaxListId = dwNumber;
        return szFile;
    }
};

TEST_F(FaxDest, TheFirstPageHandsOverTheDestinationFileOnce)
{
    const struct {
        LONG lCount;
        DWORD cb;
        int iResult;
        bool bSent;
        bool bDeleted;
    } kCases[] = {
        {3, FAXDESTFILE_SIZE, 1, true, true},
        {100, FAXDESTFILE_SIZE, 1, true, true},
        {101, FAXDESTFILE_SIZE, 0, false, true},  // a count the receiver cannot hold
        {-1, FAXDESTFILE_SIZE, 0, false, true},
        {3, FAXDESTFILE_SIZE - 1, 0, false, false},  // short file
    };
    for (const auto& c : kCases) {
        fake.calls.clear();
        std::u16string file = WriteDestFile(0x1234, c.lCount, c.cb);
        EXPECT_EQ(SendFaxDestinationFile(hdc), c.iResult) << c.lCount;
        const ESCCALL* p = fake.Find(ESC_FAX_DEST_LIST);
        EXPECT_EQ(p != nullptr, c.bSent) << c.lCount;
        if (p) {
            ASSERT_EQ(p->in.size(), static_cast<size_t>(FAXDESTFILE_SIZE));
            LONG n;
            memcpy(&n, p->in.data(), 4);
            EXPECT_EQ(n, c.lCount);
            EXPECT_EQ(memcmp(p->in.data() + 48, "0123456789", 10), 0);
            EXPECT_NE(fake.Find(ESC_FAX_LIST_ID_CLEAR), nullptr);
        }
        EXPECT_EQ(GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES, c.bDeleted);
        DeleteFileW(file.c_str());
    }
    // A file that is gone drops the destinations; number 0 sends nothing.
    fake.calls.clear();
    fake.Dm()->env.dwFaxListId = 0x4321;
    EXPECT_EQ(SendFaxDestinationFile(hdc), 1);
    EXPECT_EQ(fake.Codes(), (std::vector<DWORD>{ESC_FAX_LIST_ID, ESC_FAX_FORGET_DESTS}));
    fake.calls.clear();
    fake.Dm()->env.dwFaxListId = 0;
    EXPECT_EQ(SendFaxDestinationFile(hdc), 1);
    EXPECT_EQ(fake.Codes(), std::vector<DWORD>{ESC_FAX_LIST_ID});
}

TEST_F(FaxDest, FaxWithoutDestinationsTellsTheUserAndForgetsThem)
{
    fake.fax.bFaxOutput = 1;
    fake.fax.dwDestinations = 0;
    fake.Dm()->env.dwFaxListId = 0;
    EXPECT_EQ(DocEventFaxJob(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(BoxText(0), u"<32002>");
    EXPECT_EQ(BoxCaption(0), u"<32003>");
    EXPECT_EQ(BoxStyle(0), static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_NE(fake.Find(ESC_FAX_FORGET_DESTS), nullptr);
    EXPECT_NE(fake.Find(ESC_FAX_SEND_TIME), nullptr);
}

TEST_F(FaxDest, DeclinedFaxForgetsTheDestinations)
{
    fake.fax.bFaxOutput = 1;
    fake.fax.dwDestinations = 2;
    struct NumberFake {
        static int Esc(HDC h, int code, int cbIn, LPCSTR in, int cbOut, LPSTR out)
        {
            int r = FakeEscape(h, code, cbIn, in, cbOut, out);
            if (static_cast<DWORD>(code) == ESC_FAX_FIRST_NUMBER && cbOut == 88) {
                memset(out, 0, 88);
                memcpy(out, u"5551234", 14);
            }
            return r;
        }
    };
    DocEventSetEscapeProc(NumberFake::Esc);
    StringCacheSetLoader([](HMODULE, UINT uId, LPWSTR psz, int cch) -> int {
        const char16_t* p = uId == 32007 ? u"%s|%d|%s" : uId == 32005 ? u"now" : u"x";
        lstrcpynW(psz, p, cch);
        return lstrlenW(psz);
    });
    PlatMsgBoxPushAnswer(IDCANCEL);
    EXPECT_EQ(DocEventFaxJob(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(BoxText(0), u"5551234|2|now");
    EXPECT_EQ(BoxStyle(0), static_cast<UINT>(MB_ICONQUESTION | MB_OKCANCEL));
    EXPECT_NE(fake.Find(ESC_FAX_FORGET_DESTS), nullptr);
}

struct InsertSheets : DocEventTest {
    // Stores list 1 of the printer's insert-sheet lists with n entries,
    // every third one on index paper.
    void StoreList(int n)
    {
        INTERSHEETLIST* pList = CreateInterSheetList();
        ASSERT_NE(pList, nullptr);
        INTERSHEETREC& r = pList->pLists[0];
        r.sPageListNum = static_cast<SHORT>(n);
        for (int i = 0; i < n && i < INTERSHEET_ENTRIES; ++i) {
            BYTE* p = r.pEntries + i * INSERTSHEET_BYTES;
            p[0] = static_cast<BYTE>('1' + i % 9);
            WORD wIndex = i % 3 == 0 ? 1 : 0;
            memcpy(p + INSERTSHEET_USE_INDEX, &wIndex, 2);
        }
        REGTREESET tables = {};
        BuildRegTreeTables(&tables);
        ASSERT_TRUE(RegTreeWalkList(pList, &tables, 4097, kDocPrinter, RTW_STORE));
        FreeRegTreeTables(&tables);
        FreeInterSheetList(&pList);
        fake.Job()->env.InterSheet_Check = 1;
        fake.Job()->env.lpInterSheetList = 1;
        memset(fake.Job()->dm.dmDeviceName, 0, sizeof(fake.Job()->dm.dmDeviceName));
        memcpy(fake.Job()->dm.dmDeviceName, kDocPrinter, sizeof(kDocPrinter));
    }
};

TEST_F(InsertSheets, TheFirstPageSendsTheListWhole)
{
    const struct {
        int n;
        size_t cbSent;  // 0: nothing sent
    } kCases[] = {{1, 476}, {128, 60928}};
    for (const auto& c : kCases) {
        fake.calls.clear();
        fake.bTabsRecorded = false;
        StoreList(c.n);
        EXPECT_EQ(DocEventInsertSheets(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
        const ESCCALL* pCount = fake.Find(ESC_INSERT_COUNT);
        const ESCCALL* pRecords = fake.Find(ESC_INSERT_RECORDS);
        ASSERT_TRUE(pCount && pRecords) << c.n;
        EXPECT_EQ(pCount->in, (std::vector<BYTE>{static_cast<BYTE>(c.n), 0, 0, 0}));
        EXPECT_EQ(pRecords->in.size(), c.cbSent);
        EXPECT_EQ(pRecords->in[0], '1');
        EXPECT_EQ(fake.Find(ESC_INSERT_PAIR)->cbIn, 8);
        EXPECT_EQ(fake.Find(ESC_INSERT_VALUE2)->cbIn, 4);
        EXPECT_NE(fake.Find(ESC_INSERT_SCHEDULE), nullptr);
        // Tab texts: one recording per index-paper entry, keys 1, 4, 7, ...
        int nTabs = (c.n + 2) / 3;
        const ESCCALL* pTabs = fake.Find(ESC_TAB_ENTRIES);
        ASSERT_NE(pTabs, nullptr);
        EXPECT_EQ(pTabs->in[0], nTabs);
        std::vector<DWORD> expect;
        for (int t = 0; t < nTabs && t < 2; ++t)
            for (DWORD d : {ESC_TAB_KEY, ESC_SEGMENT_ON, ESC_SEGMENT_OFF, ESC_TAB_PART1, ESC_SEGMENT_ON,
                            ESC_SEGMENT_OFF, ESC_TAB_PART2, ESC_TAB_NEXT})
                expect.push_back(d);
        std::vector<DWORD> codes = fake.Codes();
        auto it = std::find(codes.begin(), codes.end(), ESC_TAB_KEY);
        ASSERT_NE(it, codes.end());
        EXPECT_EQ(std::vector<DWORD>(it, it + static_cast<long>(expect.size())), expect);
        EXPECT_EQ(fake.Find(ESC_TAB_KEY, 2) ? fake.Find(ESC_TAB_KEY, 2)->in[0] : 4, 4);
        EXPECT_EQ(codes.back(), ESC_TAB_RECORDED);
    }
}

TEST_F(InsertSheets, TheStoreIsReadOncePerPage)
{
    // Each row: entries in the list, whether it is the first page, and the
    // reads of the store the page's event makes.
    const struct {
        int n;
        bool bFirstPage;
        DWORD dwLoads;
    } kCases[] = {{1, true, 1}, {128, true, 1}, {128, false, 0}};
    for (const auto& c : kCases) {
        StoreList(c.n);
        fake.calls.clear();
        fake.bTabsRecorded = !c.bFirstPage;
        DWORD dwHeader = c.bFirstPage ? 0 : 1;
        memcpy(fake.work.data() + WA_HEADER_WRITTEN, &dwHeader, 4);
        DWORD dwBefore = InterSheetListLoads();
        EXPECT_EQ(DocEventInsertSheets(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
        EXPECT_EQ(InterSheetListLoads() - dwBefore, c.dwLoads) << c.n;
        // What the page sends is the same as ever.
        if (c.bFirstPage) {
            ASSERT_NE(fake.Find(ESC_INSERT_RECORDS), nullptr) << c.n;
            EXPECT_EQ(fake.Find(ESC_INSERT_RECORDS)->in.size(), static_cast<size_t>(c.n) * 476) << c.n;
            ASSERT_NE(fake.Find(ESC_TAB_ENTRIES), nullptr) << c.n;
            EXPECT_EQ(fake.Find(ESC_TAB_ENTRIES)->in[0], (c.n + 2) / 3) << c.n;
        } else {
            EXPECT_EQ(fake.Find(ESC_INSERT_RECORDS), nullptr);
            EXPECT_EQ(fake.Find(ESC_TAB_KEY), nullptr);
        }
    }
}

TEST_F(InsertSheets, OneReadGivesWhatEachReaderGives)
{
    StoreList(5);
    INTERSHEETITEMS items;
    ASSERT_TRUE(LoadInterSheetItems(kDocPrinter, 1, &items));
    int n = 0;
    ASSERT_TRUE(GetInterSheetItemValue(kDocPrinter, 1, &n));
    EXPECT_EQ(items.n, n);
    for (int i = 0; i < n; ++i) {
        BYTE abEntry[476];
        ASSERT_TRUE(GetInterSheetItemEntry(kDocPrinter, 1, i, abEntry));
        ASSERT_NE(InterSheetItemAt(&items, i), nullptr);
        EXPECT_EQ(memcmp(InterSheetItemAt(&items, i), abEntry, 476), 0) << i;
    }
    EXPECT_EQ(InterSheetItemAt(&items, n), nullptr);
    DWORD adwPair[2] = {1, 1}, dwValue2 = 7;
    ASSERT_TRUE(GetInterSheetItemPair(kDocPrinter, 1, adwPair));
    ASSERT_TRUE(GetInterSheetItemValue2(kDocPrinter, 1, &dwValue2));
    EXPECT_EQ(items.adwPair[0], adwPair[0]);
    EXPECT_EQ(items.adwPair[1], adwPair[1]);
    EXPECT_EQ(items.dwValue2, dwValue2);
    FreeInterSheetItems(&items);
    EXPECT_EQ(items.pEntries, nullptr);
    // Lists are numbered 1..10.
    EXPECT_FALSE(LoadInterSheetItems(kDocPrinter, 0, &items));
    EXPECT_FALSE(LoadInterSheetItems(kDocPrinter, 11, &items));
    EXPECT_EQ(items.n, 0);
}

TEST_F(InsertSheets, NothingWhenTooManyOrNotTheFirstPage)
{
    StoreList(129);  // a list the receiver cannot hold
    EXPECT_EQ(DocEventInsertSheets(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(fake.Find(ESC_INSERT_RECORDS), nullptr);

    StoreList(5);
    fake.calls.clear();
    DWORD dwHeader = 1;
    memcpy(fake.work.data() + WA_HEADER_WRITTEN, &dwHeader, 4);
    EXPECT_EQ(DocEventInsertSheets(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(fake.Find(ESC_INSERT_RECORDS), nullptr);
    EXPECT_EQ(fake.Find(ESC_JOB_BLOCK), nullptr);
}

}  // namespace

namespace {

BOOL FaxCountKeyExists(LPCWSTR pszPrinter)
{
    WCHAR szPath[1024];
    if (!BuildUserRegPath(szPath, pszPrinter, u"Fax Cover Sheet", u"Tempfile Count"))
        return FALSE;
    HKEY hKey = nullptr;
    if (OsRegOpenKey(hkeyUserRoot(), szPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    OsRegCloseKey(hKey);
    return TRUE;
}

}  // namespace

TEST_F(DocEventTest, NoFaxTempfileLeftRemovesTheCountKey)
{
    ASSERT_TRUE(SetFaxTempfileCount(kDocPrinter, 2));
    EXPECT_TRUE(FaxCountKeyExists(kDocPrinter));
    EXPECT_EQ(GetFaxTempfileCount(kDocPrinter), 2u);
    ASSERT_TRUE(SetFaxTempfileCount(kDocPrinter, 0));
    EXPECT_FALSE(FaxCountKeyExists(kDocPrinter));
    EXPECT_EQ(GetFaxTempfileCount(kDocPrinter), 0u);
    // Nothing to delete is no failure.
    EXPECT_TRUE(SetFaxTempfileCount(kDocPrinter, 0));
}
