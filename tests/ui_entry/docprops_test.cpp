// Document properties without a sheet: DrvDocumentProperties,
// DrvAdvancedDocumentProperties, DrvDocumentPropertySheets with a
// DOCUMENTPROPERTYHEADER, and DocumentPropertiesW through the spooler.
#include "tests/ui_entry/entry_fixture.h"
#include "ui/driverui/silentrules.h"

namespace {

const BYTE kGuard = 0xEE;

// An output buffer of exactly 2615 bytes followed by guard bytes.
struct OutBuffer {
    std::vector<BYTE> bytes = std::vector<BYTE>(DRVUI_CB_DEVMODE + 256, kGuard);
    DEVMODEW* dm() { return (DEVMODEW*)bytes.data(); }
    bool GuardIntact() const
    {
        for (size_t i = DRVUI_CB_DEVMODE; i < bytes.size(); ++i)
            if (bytes[i] != kGuard)
                return false;
        return true;
    }
};

// The no-sheet call of DrvDocumentPropertySheets.
LONG NoSheet(HANDLE hPrinter, DEVMODEW* pdmIn, DEVMODEW* pdmOut, DWORD fMode, DWORD* pcbOut = NULL)
{
    DOCUMENTPROPERTYHEADER dph = {};
    dph.cbSize = sizeof(dph);
    dph.hPrinter = hPrinter;
    dph.pszPrinterName = EntryPrinter();
    dph.pdmIn = pdmIn;
    dph.pdmOut = pdmOut;
    dph.fMode = fMode;
    LONG l = DrvDocumentPropertySheets(NULL, (LPARAM)&dph);
    if (pcbOut)
        *pcbOut = dph.cbOut;
    return l;
}

class DocProps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
    }
    OpenedPrinter printer;
};

TEST_F(DocProps, SizeQueryTouchesNothing)
{
    PlatResetSpoolerCounters();
    EXPECT_EQ(DrvDocumentProperties(NULL, printer.h, EntryPrinter(), NULL, NULL, 0), 2615);
    EXPECT_EQ(PlatSetPrinterDataCalls(), 0u);
    DWORD cbOut = 0;
    EXPECT_EQ(NoSheet(printer.h, NULL, NULL, 0, &cbOut), 2615);
    EXPECT_EQ(cbOut, 2615u);
}

TEST_F(DocProps, CopyWithoutAnOutputFails)
{
    EXPECT_EQ(DrvDocumentProperties(NULL, printer.h, EntryPrinter(), NULL, NULL, DM_COPY), -1);
}

TEST_F(DocProps, AdvancedWithoutAnOutputFailsWithoutWriting)
{
    SetLastError(0);
    EXPECT_EQ(DrvAdvancedDocumentProperties(NULL, printer.h, EntryPrinter(), NULL, NULL), -1);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
}

TEST_F(DocProps, BothFormsHandOutTheValidatedMerge)
{
    std::vector<BYTE> in = ForeignDevmode(220, 0, DM_ORIENTATION, DMORIENT_LANDSCAPE);
    OutBuffer out1, out2;
    EXPECT_EQ(DrvDocumentProperties(NULL, printer.h, EntryPrinter(), out1.dm(), AsDevmode(in),
                                    DM_IN_BUFFER | DM_OUT_BUFFER),
              1);
    EXPECT_EQ(DrvAdvancedDocumentProperties(NULL, printer.h, EntryPrinter(), out2.dm(),
                                            AsDevmode(in)),
              1);
    for (OutBuffer* p : {&out1, &out2}) {
        EXPECT_TRUE(bValidDevmode(p->dm()));
        EXPECT_EQ(p->dm()->dmOrientation, DMORIENT_LANDSCAPE);
        EXPECT_TRUE(p->GuardIntact());
    }
}

// Who wins: the caller for public fields, the printer's stored default for
// the installable options.
TEST_F(DocProps, CallerWinsPublicFieldsPrinterWinsInstalledOptions)
{
    // The printer's stored default says: output unit 3, PDL type 1.
    std::vector<BYTE> stored(DRVUI_CB_DEVMODE);
    DWORD cb = 0;
    ASSERT_EQ(GetPrinterDataW(printer.h, (LPWSTR)u"RNOVA NT", NULL, stored.data(),
                              (DWORD)stored.size(), &cb),
              (DWORD)ERROR_SUCCESS);
    stored[2325] = 3;
    stored[1410] = 1;
    ASSERT_EQ(SetPrinterDataW(printer.h, (LPWSTR)u"RNOVA NT", REG_BINARY, stored.data(),
                              (DWORD)stored.size()),
              (DWORD)ERROR_SUCCESS);

    // The caller's own DEVMODE says: landscape, A3, output unit 2, PDL 0.
    std::vector<BYTE> in = OwnDevmode();
    AsDevmode(in)->dmOrientation = DMORIENT_LANDSCAPE;
    AsDevmode(in)->dmPaperSize = 8;
    in[2325] = 2;
    in[1410] = 0;

    OutBuffer out;
    ASSERT_EQ(NoSheet(printer.h, AsDevmode(in), out.dm(), DM_IN_BUFFER | DM_OUT_BUFFER), 1);
    EXPECT_EQ(out.dm()->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(out.dm()->dmPaperSize, 8);
    EXPECT_EQ(out.bytes[2325], 3);
    EXPECT_EQ(out.bytes[1410], 1);
    EXPECT_TRUE(bValidDevmode(out.dm()));

    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
}

// An application's DEVMODE kept from before the finisher went still asks
// for stapling; every road that hands a DEVMODE out without a sheet settles
// it against the printer's installed units, as a sheet does when it opens.
TEST_F(DocProps, AnApplicationsDevmodeIsSettledAgainstTheInstalledUnits)
{
    const size_t kOutputUnit = 2325, kSimpleFinishing = 1423, kStaple = 1428;
    for (BYTE bInstalled : {(BYTE)1, (BYTE)2}) {
        std::vector<BYTE> stored(DRVUI_CB_DEVMODE);
        DWORD cb = 0;
        ASSERT_EQ(GetPrinterDataW(printer.h, (LPWSTR)u"RNOVA NT", NULL, stored.data(), (DWORD)stored.size(), &cb),
                  (DWORD)ERROR_SUCCESS);
        stored[kOutputUnit] = bInstalled;
        ASSERT_EQ(SetPrinterDataW(printer.h, (LPWSTR)u"RNOVA NT", REG_BINARY, stored.data(), (DWORD)stored.size()),
                  (DWORD)ERROR_SUCCESS);

        std::vector<BYTE> in = OwnDevmode();
        in[kOutputUnit] = 2;
        in[kSimpleFinishing] = 1;
        in[kStaple] = 1;
        OutBuffer out1, out2, out3;
        ASSERT_EQ(DrvDocumentProperties(NULL, printer.h, EntryPrinter(), out1.dm(), AsDevmode(in),
                                        DM_IN_BUFFER | DM_OUT_BUFFER),
                  1);
        ASSERT_EQ(DrvAdvancedDocumentProperties(NULL, printer.h, EntryPrinter(), out2.dm(), AsDevmode(in)), 1);
        ASSERT_EQ(NoSheet(printer.h, AsDevmode(in), out3.dm(), DM_IN_BUFFER | DM_OUT_BUFFER), 1);
        for (OutBuffer* p : {&out1, &out2, &out3}) {
            EXPECT_EQ(p->bytes[kOutputUnit], bInstalled);
            // Without a finisher stapling is off; with one it stays.
            EXPECT_EQ(p->bytes[kStaple], bInstalled == 1 ? 0 : 1) << (int)bInstalled;
            EXPECT_TRUE(bValidDevmode(p->dm()));
            EXPECT_TRUE(p->GuardIntact());
        }
    }
    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
}

// The rules touch only what they change: a settled DEVMODE comes back byte
// for byte, even one whose watermark index a settings object would drop.
TEST_F(DocProps, RulesLeaveASettledDevmodeByteForByte)
{
    std::vector<BYTE> dm = OwnDevmode();
    POPTIONDB hDb = OpenOptionDb();
    ASSERT_TRUE(ValidateDevmode(hDb, AsDevmode(dm), printer.h));
    dm[1408] = 7;
    const std::vector<BYTE> before = dm;
    EXPECT_TRUE(ApplyRulesToDevmode(hDb, AsDevmode(dm), EntryPrinter(), printer.h));
    for (size_t i = 0; i < dm.size(); ++i)
        if (before[i] != dm[i])
            ADD_FAILURE() << "byte " << i << ": " << (int)before[i] << " -> " << (int)dm[i];
    // Stapling without a finisher is what they change.
    dm[1423] = dm[1428] = 1;
    EXPECT_TRUE(ApplyRulesToDevmode(hDb, AsDevmode(dm), NULL, printer.h));
    EXPECT_EQ(0, dm[1428]);
    EXPECT_TRUE(bValidDevmode(AsDevmode(dm)));
    CloseOptionDb(hDb);
}

TEST_F(DocProps, PrinterDevmodeComesBeforeTheCallers)
{
    // The printer's own DEVMODE (PRINTER_INFO_2) asks for A5 landscape; the
    // caller only for A3.
    std::vector<BYTE> printerDm =
        ForeignDevmode(220, 0, DM_ORIENTATION | DM_PAPERSIZE, DMORIENT_LANDSCAPE, 11);
    std::vector<BYTE> info(sizeof(PRINTER_INFO_2W) + 4096);
    DWORD cb = 0;
    ASSERT_TRUE(GetPrinterW(printer.h, 2, info.data(), (DWORD)info.size(), &cb));
    ((PRINTER_INFO_2W*)info.data())->pDevMode = AsDevmode(printerDm);
    ASSERT_TRUE(SetPrinterW(printer.h, 2, info.data(), 0));

    std::vector<BYTE> in = ForeignDevmode(220, 0, DM_PAPERSIZE, 0, 8);
    OutBuffer merged;
    ASSERT_EQ(DrvDocumentProperties(NULL, printer.h, EntryPrinter(), merged.dm(), AsDevmode(in),
                                    DM_IN_BUFFER | DM_OUT_BUFFER),
              1);
    EXPECT_EQ(merged.dm()->dmPaperSize, 8);
    EXPECT_EQ(merged.dm()->dmOrientation, DMORIENT_LANDSCAPE);

    std::vector<BYTE> plain = ForeignDevmode(220, 0, 0);
    ((PRINTER_INFO_2W*)info.data())->pDevMode = AsDevmode(plain);
    ASSERT_TRUE(SetPrinterW(printer.h, 2, info.data(), 0));
}

TEST_F(DocProps, ForeignDevmodeGoesBackUnchanged)
{
    std::vector<BYTE> in = ForeignDevmode(220, 100, DM_ORIENTATION, DMORIENT_LANDSCAPE);
    OutBuffer out;
    ASSERT_EQ(NoSheet(printer.h, AsDevmode(in), out.dm(), DM_IN_BUFFER | DM_OUT_BUFFER), 1);
    EXPECT_EQ(0, memcmp(out.bytes.data(), in.data(), in.size()));
    EXPECT_EQ(out.bytes[in.size()], kGuard);
}

TEST_F(DocProps, ForeignDevmodeLargerThanTheBufferIsNotCopied)
{
    std::vector<BYTE> in = ForeignDevmode(220, 4000, DM_ORIENTATION, DMORIENT_LANDSCAPE);
    OutBuffer out;
    ASSERT_EQ(NoSheet(printer.h, AsDevmode(in), out.dm(), DM_IN_BUFFER | DM_OUT_BUFFER), 1);
    EXPECT_TRUE(out.GuardIntact());
    EXPECT_TRUE(bValidDevmode(out.dm()));
    EXPECT_EQ(out.dm()->dmOrientation, DMORIENT_LANDSCAPE);
}

TEST_F(DocProps, DevmodeClaimingNoHeaderIsNotTrusted)
{
    std::vector<BYTE> in = ForeignDevmode(220, 0, DM_ORIENTATION, DMORIENT_LANDSCAPE);
    AsDevmode(in)->dmSize = 8;
    OutBuffer out;
    ASSERT_EQ(NoSheet(printer.h, AsDevmode(in), out.dm(), DM_IN_BUFFER | DM_OUT_BUFFER), 1);
    EXPECT_TRUE(bValidDevmode(out.dm()));
    EXPECT_EQ(out.dm()->dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_TRUE(out.GuardIntact());
}

TEST_F(DocProps, OwnDevmodeComesBackMergedAndValidated)
{
    std::vector<BYTE> in = OwnDevmode();
    AsDevmode(in)->dmOrientation = DMORIENT_LANDSCAPE;
    AsDevmode(in)->dmDuplex = 7;  // out of range: validation makes it simplex
    OutBuffer out;
    ASSERT_EQ(NoSheet(printer.h, AsDevmode(in), out.dm(), DM_IN_BUFFER | DM_OUT_BUFFER), 1);
    EXPECT_TRUE(bValidDevmode(out.dm()));
    EXPECT_EQ(out.dm()->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(out.dm()->dmDuplex, DMDUP_SIMPLEX);
}

TEST_F(DocProps, WithoutUpdateOrCopyTheOutputIsLeftAlone)
{
    std::vector<BYTE> in = OwnDevmode();
    OutBuffer out;
    const OutBuffer before = out;
    EXPECT_EQ(NoSheet(printer.h, AsDevmode(in), out.dm(), DM_IN_BUFFER), 1);
    EXPECT_EQ(out.bytes, before.bytes);
}

TEST_F(DocProps, SpreadsheetHostGetsTheMergeForAForeignDevmode)
{
    PlatSetProgramPath(u"C:\\Program Files\\Office\\excel.exe");
    std::vector<BYTE> in = ForeignDevmode(220, 100, DM_ORIENTATION, DMORIENT_LANDSCAPE);
    OutBuffer out;
    LONG l = NoSheet(printer.h, AsDevmode(in), out.dm(), DM_IN_BUFFER | DM_OUT_BUFFER);
    PlatSetProgramPath(NULL);
    ASSERT_EQ(l, 1);
    EXPECT_TRUE(bValidDevmode(out.dm()));
    EXPECT_EQ(out.dm()->dmOrientation, DMORIENT_LANDSCAPE);
}

TEST_F(DocProps, NoLeakOnAnyAllocationFailure)
{
    std::vector<BYTE> in = ForeignDevmode(220, 0, DM_ORIENTATION, DMORIENT_LANDSCAPE);
    for (LONG n = 1; n <= 12; ++n) {
        LONG cLive = PlatGlobalLiveBlocks();
        DWORD cOpen = PlatOpenPrinterCount();
        OutBuffer out;
        PlatFailAllocation(n);
        LONG l = DrvDocumentProperties(NULL, printer.h, EntryPrinter(), out.dm(), AsDevmode(in),
                                       DM_IN_BUFFER | DM_OUT_BUFFER);
        PlatFailAllocation(0);
        EXPECT_TRUE(l == 1 || l == -1) << n;
        EXPECT_EQ(PlatGlobalLiveBlocks(), cLive) << n;
        EXPECT_EQ(PlatOpenPrinterCount(), cOpen) << n;
        EXPECT_TRUE(out.GuardIntact()) << n;
    }
}

TEST_F(DocProps, DocumentPropertiesThroughTheSpooler)
{
    EXPECT_EQ(DocumentPropertiesW(NULL, printer.h, EntryPrinter(), NULL, NULL, 0), 2615);
    OutBuffer out;
    ASSERT_EQ(DocumentPropertiesW(NULL, printer.h, EntryPrinter(), out.dm(), NULL, DM_OUT_BUFFER),
              1);
    EXPECT_TRUE(bValidDevmode(out.dm()));
    EXPECT_EQ(std::u16string((const char16_t*)out.dm()->dmDeviceName), kEntryPrinter);
    EXPECT_TRUE(out.GuardIntact());
    // With a prompt the sheet opens; nobody acts on it here, so it is
    // cancelled and the caller's buffer keeps what it held.
    std::vector<BYTE> before((BYTE*)out.dm(), (BYTE*)out.dm() + 2615);
    EXPECT_EQ(DocumentPropertiesW(NULL, printer.h, EntryPrinter(), out.dm(), NULL,
                                  DM_OUT_BUFFER | DM_IN_PROMPT),
              IDCANCEL);
    EXPECT_EQ(std::vector<BYTE>((BYTE*)out.dm(), (BYTE*)out.dm() + 2615), before);
    EXPECT_TRUE(out.GuardIntact());
    // Without a handle the printer is opened by name, and closed again.
    DWORD cOpen = PlatOpenPrinterCount();
    EXPECT_EQ(DocumentPropertiesW(NULL, NULL, EntryPrinter(), NULL, NULL, 0), 2615);
    EXPECT_LT(DocumentPropertiesW(NULL, NULL, (LPWSTR)u"No Such Printer", NULL, NULL, 0), 0);
    EXPECT_EQ(PlatOpenPrinterCount(), cOpen);
}

TEST_F(DocProps, EntryLogLines)
{
    PlatClearDebugLog();
    DrvDocumentProperties(NULL, printer.h, EntryPrinter(), NULL, NULL, 0);
    DrvAdvancedDocumentProperties(NULL, printer.h, EntryPrinter(), NULL, NULL);
    NoSheet(printer.h, NULL, NULL, 0);
    std::string log = PlatDebugLog();
    for (const char* line : {"UI:RN_DrvDocumentProperties() Called\n",
                             "UI:RN_DrvAdvancedDocumentProperties() Called\n",
                             "UI:RN_DrvDocumentPropertySheets() Called\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

}  // namespace

namespace {

TEST_F(DocProps, MissingPrinterNameIsLentForTheCallOnly)
{
    DOCUMENTPROPERTYHEADER dph = {};
    dph.cbSize = sizeof(dph);
    dph.hPrinter = printer.h;
    std::vector<BYTE> out(DRVUI_CB_DEVMODE);
    dph.pdmOut = (DEVMODEW*)out.data();
    dph.fMode = DM_OUT_BUFFER;
    ASSERT_EQ(DrvDocumentPropertySheets(NULL, (LPARAM)&dph), 1);
    EXPECT_EQ(dph.pszPrinterName, nullptr);
    EXPECT_EQ(std::u16string((const char16_t*)((DEVMODEW*)out.data())->dmDeviceName),
              kEntryPrinter);
}

}  // namespace
