// The printer's default DEVMODE and the user papers in printer data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/windows.h"
#include "tests/settings_core/printer_fixture.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/papertable.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"

namespace {

// Reads a text of a packed record unit by unit (it may lie at an odd address).
inline std::u16string Str(const void* p) {
    std::u16string s;
    const BYTE* pb = (const BYTE*)p;
    for (;; pb += 2) {
        char16_t c;
        std::memcpy(&c, pb, 2);
        if (!c) return s;
        s += c;
    }
}


struct PrinterData : InstalledPrinter {
    POPTIONDB pdb = nullptr;
    void SetUp() override {
        InstalledPrinter::SetUp();
        pdb = OpenOptionDb();
        ASSERT_NE(pdb, nullptr);
    }
    void TearDown() override {
        CloseOptionDb(pdb);
        InstalledPrinter::TearDown();
    }
    DRVDEVMODE Stored() {
        DRVDEVMODE dm;
        std::memset(&dm, 0, sizeof(dm));
        DWORD cb = 0, type = 0;
        GetPrinterDataW(hPrinter, (LPWSTR)u"RNOVA NT", &type, (LPBYTE)&dm, sizeof(dm), &cb);
        return dm;
    }
};

TEST_F(PrinterData, DefaultDevmodeIsRebuiltWhenMissingShortOrForeign) {
    DRVDEVMODE fresh;
    ASSERT_TRUE(InitDefaultDevmode(pdb, &fresh.dm, u"Desk", nullptr));
    struct Case {
        const char* what;
        std::vector<BYTE> stored;  // empty: no value
    };
    DRVDEVMODE foreign = fresh;
    foreign.env.szModelTag[0] = '9';
    std::vector<BYTE> vForeign((BYTE*)&foreign, (BYTE*)&foreign + sizeof(foreign));
    std::vector<BYTE> vShort((BYTE*)&fresh, (BYTE*)&fresh + 100);
    std::vector<BYTE> vLong((BYTE*)&fresh, (BYTE*)&fresh + sizeof(fresh));
    vLong.resize(3000, 0);
    const Case kCases[] = {{"missing", {}}, {"100 bytes", vShort}, {"3000 bytes", vLong}, {"foreign tag", vForeign}};
    for (const Case& c : kCases) {
        DeletePrinterDataW(hPrinter, (LPWSTR)u"RNOVA NT");
        if (!c.stored.empty()) Store(u"RNOVA NT", c.stored.data(), (DWORD)c.stored.size());
        DRVDEVMODE dm;
        std::memset(&dm, 0xCC, sizeof(dm));
        EXPECT_EQ(LoadPrinterDefaultDevmode(hPrinter, &dm.dm, u"Desk", pdb), 1) << c.what;
        EXPECT_EQ(std::memcmp(&dm, &fresh, sizeof(dm)), 0) << c.what;
        EXPECT_EQ(StoredSize(u"RNOVA NT"), 2615u) << c.what;
        DRVDEVMODE back = Stored();
        EXPECT_EQ(std::memcmp(&back, &fresh, sizeof(back)), 0) << c.what;
    }
}

TEST_F(PrinterData, StoredDefaultIsKeptWithTheCallersName) {
    DRVDEVMODE mine;
    ASSERT_TRUE(InitDefaultDevmode(pdb, &mine.dm, u"Old name", nullptr));
    mine.dm.dmCopies = 7;
    Store(u"RNOVA NT", &mine, sizeof(mine));
    PlatResetSpoolerCounters();
    DRVDEVMODE dm;
    EXPECT_EQ(LoadPrinterDefaultDevmode(hPrinter, &dm.dm, nullptr, pdb), 1);
    EXPECT_EQ(+dm.dm.dmCopies, 7);
    EXPECT_EQ(Str(dm.dm.dmDeviceName), u"QX-730 Office");
    EXPECT_EQ(PlatSetPrinterDataCalls(), 0u);
}

TEST_F(PrinterData, NoDefaultWithoutOptionDatabase) {
    DRVDEVMODE dm;
    EXPECT_EQ(LoadPrinterDefaultDevmode(hPrinter, &dm.dm, u"Desk", nullptr), 0);
    EXPECT_EQ(PlatSetPrinterDataCalls(), 0u);
    EXPECT_EQ(StoredSize(u"RNOVA NT"), 0u);
    EXPECT_EQ(LoadPrinterDefaultDevmode(hPrinter, nullptr, u"Desk", pdb), 0);
}

TEST_F(PrinterData, PrinterHelpers) {
    WCHAR sz[8];
    EXPECT_TRUE(QueryPrinterName(hPrinter, sz, 8));
    EXPECT_EQ(std::u16string(sz), u"QX-730 ");
    EXPECT_FALSE(QueryPrinterName(hPrinter, sz, 0));
    LPWSTR pszDir = GetDriverDirectory(hPrinter);
    ASSERT_NE(pszDir, nullptr);
    std::u16string dir(pszDir);
    EXPECT_EQ(dir.back(), u'\\');
    GlobalUnlock(GlobalHandle(pszDir));
    GlobalFree(GlobalHandle(pszDir));
    BYTE b[4];
    DWORD cb = 0;
    EXPECT_NE(bGetPrinterData(hPrinter, u"Nothing", b, sizeof(b), &cb), 0u);
    EXPECT_NE(bGetPrinterData(hPrinter, u"Nothing", b, 0, &cb), 0u);
    EXPECT_NE(bGetPrinterData(hPrinter, nullptr, b, sizeof(b), &cb), 0u);
    EXPECT_FALSE(bSetPrinterData(hPrinter, u"X", b, 0, REG_BINARY));
    EXPECT_FALSE(bSetPrinterData(hPrinter, nullptr, b, 4, REG_BINARY));
    EXPECT_TRUE(bSetPrinterData(hPrinter, u"X", b, 4, REG_BINARY));
    EXPECT_EQ(bGetPrinterData(hPrinter, u"X", b, sizeof(b), &cb), 0u);
    EXPECT_EQ(cb, 4u);
}

// ---- user papers ----

USERPAPER Slot(LONG w, LONG l, SHORT unit, const char16_t* name) {
    USERPAPER s;
    std::memset(&s, 0, sizeof(s));
    s.lWidth = w;
    s.lLength = l;
    s.sUnit = unit;
    CopyWideBounded(s.szName, name, sizeof(s.szName));
    return s;
}

TEST_F(PrinterData, UserPapersFallBackToTheBuiltInSlot) {
    USERPAPER good = Slot(10000, 12000, 2, u"Banner");
    USERPAPER bad = Slot(-5, 12000, 2, u"Neg");
    USERPAPER huge = Slot(3000000, 12000, 2, u"Huge");
    USERPAPER badUnit = Slot(10000, 12000, 7, u"Unit");
    USERPAPER longName = Slot(9000, 9000, 1, u"");
    for (size_t i = 0; i < 17; i++) longName.szName[i] = 'N';
    Store(u"UDPaper1", &good, sizeof(good));
    Store(u"UDPaper2", &bad, sizeof(bad));
    Store(u"UDPaper4", &good, 20);  // too short
    Store(u"UDPaper5", &huge, sizeof(huge));
    Store(u"UDPaper6", &badUnit, sizeof(badUnit));
    Store(u"UDPaper7", &longName, sizeof(longName));
    std::vector<BYTE> longer((BYTE*)&good, (BYTE*)&good + sizeof(good));
    longer.resize(60, 0);
    Store(u"UDPaper8", longer.data(), 60);

    USERPAPERS papers;
    std::memset(&papers, 0xCC, sizeof(papers));
    ASSERT_TRUE(ReadUserPapers(&papers, hPrinter));
    LoadResourceDll();
    for (int slot = 1; slot <= 10; slot++) {
        const USERPAPER& s = papers.aSlot[slot - 1];
        if (slot == 1) {
            EXPECT_EQ(+s.lWidth, 10000);
            EXPECT_EQ(+s.lLength, 12000);
            EXPECT_EQ(+s.sUnit, 2);
            EXPECT_EQ(Str(s.szName), u"Banner");
        } else if (slot == 7) {
            EXPECT_EQ(+s.lWidth, 9000);
            EXPECT_EQ(Str(s.szName), u"NNNNNNNNNNNNNNNN");
        } else {
            EXPECT_EQ(+s.lWidth, 8267) << slot;
            EXPECT_EQ(+s.lLength, 8267) << slot;
            EXPECT_EQ(+s.sUnit, 1) << slot;
            EXPECT_EQ(Str(s.szName), std::u16string(GetResString(21550 + slot - 1))) << slot;
        }
    }
    FreeResourceDll();
}

TEST_F(PrinterData, UserPapersWriteOnlyWhatChanged) {
    USERPAPERS papers;
    ASSERT_TRUE(ReadUserPapers(&papers, hPrinter));
    ASSERT_TRUE(WriteUserPapers(&papers, hPrinter));
    EXPECT_EQ(PlatSetPrinterDataCalls(), 10u);
    PlatResetSpoolerCounters();
    ASSERT_TRUE(WriteUserPapers(&papers, hPrinter));
    EXPECT_EQ(PlatSetPrinterDataCalls(), 0u);

    // Slot 3 lost from the printer: read as the default, written again.
    DeletePrinterDataW(hPrinter, (LPWSTR)u"UDPaper3");
    USERPAPERS again;
    ASSERT_TRUE(ReadUserPapers(&again, hPrinter));
    EXPECT_EQ(+again.aSlot[2].lWidth, 8267);
    PlatResetSpoolerCounters();
    ASSERT_TRUE(WriteUserPapers(&again, hPrinter));
    EXPECT_EQ(PlatSetPrinterDataCalls(), 1u);
    EXPECT_EQ(StoredSize(u"UDPaper3"), 44u);

    // A changed slot is written; a refused write is reported.
    again.aSlot[5].lWidth = 9000;
    PlatResetSpoolerCounters();
    ASSERT_TRUE(WriteUserPapers(&again, hPrinter));
    EXPECT_EQ(PlatSetPrinterDataCalls(), 1u);
    again.aSlot[5].lWidth = 9100;
    PlatDenyPrinterDataWrites(TRUE);
    EXPECT_FALSE(WriteUserPapers(&again, hPrinter));
}

TEST_F(PrinterData, CustomPaperSizeFromTheStoredSlot) {
    USERPAPER s = Slot(10000, 12000, 2, u"Banner");
    Store(u"UDPaper2", &s, sizeof(s));
    LONG w = 0, l = 0;
    ASSERT_TRUE(GetCustomPaperSize(hPrinter, 514, &w, &l));
    EXPECT_EQ(w, 2540);
    EXPECT_EQ(l, 3048);
    ASSERT_TRUE(GetCustomPaperSize(hPrinter, 515, &w, &l));  // not stored: the built-in 8267
    EXPECT_EQ(w, 2100);
    EXPECT_FALSE(GetCustomPaperSize(hPrinter, 9, &w, &l));

    DRVDEVMODE dm;
    ASSERT_TRUE(InitDefaultDevmode(pdb, &dm.dm, u"Desk", nullptr));
    dm.dm.dmPaperSize = 514;
    ASSERT_TRUE(ValidateDevmode(pdb, &dm.dm, hPrinter));
    EXPECT_EQ(+dm.dm.dmPaperWidth, 2540);
    EXPECT_EQ(+dm.dm.dmPaperLength, 3048);
    EXPECT_EQ(+dm.env.UDPaperWidth, 2540);
    EXPECT_EQ(+dm.dm.dmFields & 0x0C, 0x0Cu);
}

}  // namespace
