// Printer events (DrvPrinterEvent) and the printer data they leave.
#include "tests/ui_entry/entry_fixture.h"

namespace {

std::vector<BYTE> ReadData(HANDLE hPrinter, LPCWSTR pszValue, DWORD* pdwType)
{
    DWORD cb = 0;
    GetPrinterDataW(hPrinter, (LPWSTR)pszValue, NULL, NULL, 0, &cb);
    std::vector<BYTE> v(cb);
    if (cb &&
        GetPrinterDataW(hPrinter, (LPWSTR)pszValue, pdwType, v.data(), cb, &cb) != ERROR_SUCCESS)
        v.clear();
    return v;
}

TEST(PrinterEvent, InitializeStoresTheDefaultDevmode)
{
    OpenedPrinter printer;
    DeletePrinterDataW(printer.h, (LPWSTR)u"RNOVA NT");
    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));

    DWORD dwType = 0;
    std::vector<BYTE> dm = ReadData(printer.h, u"RNOVA NT", &dwType);
    ASSERT_EQ(dm.size(), 2615u);
    EXPECT_EQ(dwType, (DWORD)REG_BINARY);
    // dmSpecVersion 0x401, dmDriverVersion 0x8403, dmSize 220, dmDriverExtra 2395.
    const BYTE kHeader[] = {0x01, 0x04, 0x03, 0x84, 0xDC, 0x00, 0x5B, 0x09};
    EXPECT_EQ(0, memcmp(&dm[64], kHeader, sizeof(kHeader)));
    // The signature "XDRV" as four 16-bit characters at 440.
    const BYTE kSignature[] = {'X', 0, 'D', 0, 'R', 0, 'V', 0};
    EXPECT_EQ(0, memcmp(&dm[440], kSignature, sizeof(kSignature)));
    // The model tag at 2593: "730MV", terminated, the rest of its 18 bytes 0.
    const BYTE kTag[18] = {'7', '3', '0', 'M', 'V'};
    EXPECT_EQ(0, memcmp(&dm[2593], kTag, sizeof(kTag)));
    // The printer's name in dmDeviceName.
    EXPECT_EQ(std::u16string((const char16_t*)dm.data()), kEntryPrinter);
}

TEST(PrinterEvent, InitializePublishesTheUserModeDriver)
{
    OpenedPrinter printer;
    const char16_t szOther[] = u"OTHER.DLL";
    SetPrinterDataW(printer.h, (LPWSTR)u"SPLUserModePrinterDriver", REG_SZ, (LPBYTE)szOther,
                    sizeof(szOther));
    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
    DWORD dwType = 0;
    std::vector<BYTE> v = ReadData(printer.h, u"SPLUserModePrinterDriver", &dwType);
    const char16_t szWanted[] = u"Q730MVF1.DLL";
    ASSERT_EQ(v.size(), sizeof(szWanted));
    EXPECT_EQ(dwType, (DWORD)REG_SZ);
    EXPECT_EQ(0, memcmp(v.data(), szWanted, sizeof(szWanted)));
}

struct EventRow {
    const char* name;
    LPCWSTR pszPrinter;
    INT iEvent;
};
// Events that answer TRUE and write nothing.
const EventRow kQuietRows[] = {
    {"delete", kEntryPrinter, PRINTER_EVENT_DELETE},
    {"delete connection", kEntryPrinter, PRINTER_EVENT_DELETE_CONNECTION},
    {"add connection", kEntryPrinter, PRINTER_EVENT_ADD_CONNECTION},
    {"cache refresh", kEntryPrinter, PRINTER_EVENT_CACHE_REFRESH},
    {"initialize an unknown printer", u"No Such Printer", PRINTER_EVENT_INITIALIZE},
    {"add a connection to an unknown printer", u"No Such Printer", PRINTER_EVENT_ADD_CONNECTION},
};

TEST(PrinterEvent, OtherEventsSucceedWithoutWriting)
{
    EntryPrinter();
    for (const EventRow& r : kQuietRows) {
        PlatResetSpoolerCounters();
        DWORD cOpen = PlatOpenPrinterCount();
        EXPECT_TRUE(DrvPrinterEvent((LPWSTR)r.pszPrinter, r.iEvent, 0, 0)) << r.name;
        EXPECT_EQ(PlatSetPrinterDataCalls(), 0u) << r.name;
        EXPECT_EQ(PlatOpenPrinterCount(), cOpen) << r.name;
    }
}

TEST(PrinterEvent, InitializeClosesThePrinterOnEveryFailure)
{
    OpenedPrinter printer;
    int cFailed = 0;
    for (LONG n = 1; n <= 8; ++n) {
        DeletePrinterDataW(printer.h, (LPWSTR)u"RNOVA NT");
        LONG cLive = PlatGlobalLiveBlocks();
        DWORD cOpen = PlatOpenPrinterCount();
        PlatFailAllocation(n);
        BOOL b = DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0);
        PlatFailAllocation(0);
        EXPECT_EQ(PlatOpenPrinterCount(), cOpen) << n;
        EXPECT_EQ(PlatGlobalLiveBlocks(), cLive) << n;
        DWORD cb = 0;
        DWORD dwErr = GetPrinterDataW(printer.h, (LPWSTR)u"RNOVA NT", NULL, NULL, 0, &cb);
        if (!b) {
            // A failed initialisation stores no half-built default.
            ++cFailed;
            EXPECT_EQ(dwErr, (DWORD)ERROR_FILE_NOT_FOUND) << n;
        } else if (dwErr != ERROR_FILE_NOT_FOUND) {
            EXPECT_EQ(cb, 2615u) << n;
        }
    }
    // Losing the option database or the DEVMODE block fails the event.
    EXPECT_GT(cFailed, 0);
    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
}

TEST(PrinterEvent, RefusedWriteIsNotAFailure)
{
    EntryPrinter();
    PlatDenyPrinterDataWrites(TRUE);
    BOOL b = DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0);
    PlatDenyPrinterDataWrites(FALSE);
    EXPECT_TRUE(b);
}

TEST(PrinterEvent, EntryLogLine)
{
    PlatClearDebugLog();
    DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_DELETE, 0, 0);
    EXPECT_NE(PlatDebugLog().find("UI:RN_DrvPrinterEvent() Called\n"), std::string::npos);
}

}  // namespace

namespace {

TEST(PrinterEvent, ConnectionNamesReachTheirOwnKey)
{
    const char16_t szConnection[] = u"\\\\server\\QX queue";
    ASSERT_TRUE(PlatInstallPrinter(szConnection, u"C:\\ports\\queue.prn", NULL));
    ASSERT_TRUE(DrvPrinterEvent((LPWSTR)szConnection, PRINTER_EVENT_INITIALIZE, 0, 0));
    OpenedPrinter printer(szConnection);
    DWORD dwType = 0;
    std::vector<BYTE> v = ReadData(printer.h, u"SPLUserModePrinterDriver", &dwType);
    const char16_t szWanted[] = u"Q730MVF1.DLL";
    ASSERT_EQ(v.size(), sizeof(szWanted));
    EXPECT_EQ(0, memcmp(v.data(), szWanted, sizeof(szWanted)));
}

}  // namespace
