// Device capabilities (DrvDeviceCapabilities).
#include "tests/ui_entry/entry_fixture.h"

#include <algorithm>
#include <string>

namespace {

const DWORD kNone = 0xFFFFFFFF;

struct CapRow {
    WORD iDevCap;
    DWORD dwAnswer;
};

// Answers that need no printer: asked with no printer handle at all.
const CapRow kConstantRows[] = {
    {DC_SIZE, 220},           {DC_EXTRA, 2395},         {DC_VERSION, 0x401},
    {DC_DRIVER, 0x8403},      {DC_FILEDEPENDENCIES, 0}, {DC_ORIENTATION, 90},
    {DC_EMF_COMPLIANT, 1},    {DC_BINADJUST, kNone},    {DC_DATATYPE_PRODUCED, kNone},
    {DC_COLLATE, kNone},      {DC_MANUFACTURER, kNone}, {DC_MODEL, kNone},
    {DC_PRINTRATE, kNone},    {DC_PRINTRATEPPM, kNone}, {DC_PRINTRATEUNIT, 1},
    {DC_PRINTERMEM, kNone},   {DC_MEDIAREADY, kNone},   {DC_COLORDEVICE, 0},
    {DC_NUP, 6},              {DC_PERSONALITY, 1},      {34, kNone},
    {0xFFFF, kNone},
};

TEST(DeviceCaps, ConstantAnswersNeedNoPrinter)
{
    DWORD cOpen = PlatOpenPrinterCount();
    for (const CapRow& r : kConstantRows)
        EXPECT_EQ(DrvDeviceCapabilities(NULL, (PWSTR)u"Nowhere", r.iDevCap, NULL, NULL), r.dwAnswer)
            << "iDevCap " << r.iDevCap;
    EXPECT_EQ(PlatOpenPrinterCount(), cOpen);
}

// Answers read from the option database and the printer's default DEVMODE.
const CapRow kPrinterRows[] = {
    {DC_FIELDS, 0x3703},      // the default DEVMODE's dmFields
    {DC_DUPLEX, 1},           // simplex
    {DC_TRUETYPE, 2},         // DMTT_DOWNLOAD
    {DC_COPIES, 9999},        // highest copy count
    {DC_BINS, 7},             // seven paper sources
    {DC_BINNAMES, 7},
    {DC_ENUMRESOLUTIONS, 1},  // 600 dpi only
    {DC_STAPLE, 0},           // the default output unit has no stapler
};

TEST(DeviceCaps, PrinterAnswersComeFromItsDefault)
{
    OpenedPrinter printer;
    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
    for (const CapRow& r : kPrinterRows)
        EXPECT_EQ(DrvDeviceCapabilities(printer.h, EntryPrinter(), r.iDevCap, NULL, NULL),
                  r.dwAnswer)
            << "iDevCap " << r.iDevCap;
}

TEST(DeviceCaps, ListsFillTheCallersBuffers)
{
    OpenedPrinter printer;
    WORD awBins[16] = {};
    ASSERT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_BINS, awBins, NULL), 7u);
    const WORD kBins[] = {7, 1, 2, 258, 259, 260, 4};
    EXPECT_TRUE(std::equal(kBins, kBins + 7, awBins));

    LONG alRes[4] = {};
    ASSERT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_ENUMRESOLUTIONS, alRes, NULL), 1u);
    EXPECT_EQ(alRes[0], 600);
    EXPECT_EQ(alRes[1], 600);

    DWORD adwNup[8] = {};
    ASSERT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_NUP, adwNup, NULL), 6u);
    const DWORD kNup[] = {1, 2, 4, 6, 9, 16};
    EXPECT_TRUE(std::equal(kNup, kNup + 6, adwNup));

    WCHAR szPersonality[40];
    std::fill(std::begin(szPersonality), std::end(szPersonality), (WCHAR)'#');
    ASSERT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_PERSONALITY, szPersonality, NULL), 1u);
    EXPECT_EQ(std::u16string(szPersonality), u"ORDEX2 V");
}

// The papers applications see, by code: rotated (0x800) and 0x2000
// variants are left out, 0x1000 variants stay, user and custom sizes stay;
// the "set custom size" entry and the tab papers without 0x1000 are left out.
struct PaperRow {
    WORD wCode;
    bool bListed;
};
const PaperRow kPaperRows[] = {
    {9, true},       {1, true},      {256, true},    {513, true},   {521, true},
    {4105, true},    {2057, false},  {2049, false},  {6153, false}, {12297, false},
    {14345, false},  {512, false},   {1033, false},  {1025, false}, {5129, true},
    {5121, true},    {8201, false},
};

TEST(DeviceCaps, PaperListLeavesOutTheVariantsAppsDoNotName)
{
    OpenedPrinter printer;
    DWORD cPapers = DrvDeviceCapabilities(printer.h, NULL, DC_PAPERS, NULL, NULL);
    ASSERT_GT(cPapers, 0u);
    ASSERT_LE(cPapers, 256u);
    std::vector<WORD> codes(cPapers);
    ASSERT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_PAPERS, codes.data(), NULL), cPapers);
    for (const PaperRow& r : kPaperRows)
        EXPECT_EQ(std::count(codes.begin(), codes.end(), r.wCode), r.bListed ? 1 : 0)
            << "paper " << r.wCode;
    EXPECT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_PAPERSIZE, NULL, NULL), cPapers);
    EXPECT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_PAPERNAMES, NULL, NULL), cPapers);
}

TEST(DeviceCaps, PaperFilterRule)
{
    const PaperRow kRows[] = {
        {512, false},  {1033, false}, {1025, false}, {5129, true},  {5121, true},
        {2057, false}, {8201, false}, {12297, false}, {4105, true}, {9, true},
    };
    for (const PaperRow& r : kRows)
        EXPECT_EQ(!bPaperHiddenFromApps(r.wCode), r.bListed) << "paper " << r.wCode;
}

TEST(DeviceCaps, UserPaperSizeAndNameComeFromItsSlot)
{
    OpenedPrinter printer;
    // Slot 1 (code 513): 8500 x 11000 thousandths of an inch, entered in inch.
    BYTE slot[44] = {};
    LONG lWidth = 8500, lLength = 11000;
    SHORT sUnit = 2;
    const char16_t szName[] = u"Letter user";
    memcpy(slot, &lWidth, 4);
    memcpy(slot + 4, &lLength, 4);
    memcpy(slot + 8, &sUnit, 2);
    memcpy(slot + 10, szName, sizeof(szName));
    ASSERT_EQ(SetPrinterDataW(printer.h, (LPWSTR)u"UDPaper1", REG_BINARY, slot, sizeof(slot)),
              (DWORD)ERROR_SUCCESS);

    DWORD cPapers = DrvDeviceCapabilities(printer.h, NULL, DC_PAPERS, NULL, NULL);
    std::vector<WORD> codes(cPapers);
    std::vector<POINT> sizes(cPapers);
    std::vector<WCHAR> names(cPapers * 64);
    DrvDeviceCapabilities(printer.h, NULL, DC_PAPERS, codes.data(), NULL);
    DrvDeviceCapabilities(printer.h, NULL, DC_PAPERSIZE, sizes.data(), NULL);
    DrvDeviceCapabilities(printer.h, NULL, DC_PAPERNAMES, names.data(), NULL);

    size_t iUser = std::find(codes.begin(), codes.end(), 513) - codes.begin();
    size_t iA4 = std::find(codes.begin(), codes.end(), 9) - codes.begin();
    ASSERT_LT(iUser, cPapers);
    ASSERT_LT(iA4, cPapers);
    EXPECT_EQ(sizes[iUser].x, 2159);
    EXPECT_EQ(sizes[iUser].y, 2794);
    EXPECT_EQ(std::u16string((const char16_t*)&names[iUser * 64]), u"Letter user");
    EXPECT_EQ(sizes[iA4].x, 2100);
    EXPECT_EQ(sizes[iA4].y, 2970);
}

TEST(DeviceCaps, ExtentsBoundEveryPaper)
{
    OpenedPrinter printer;
    DWORD cAll = RN_DrvDeviceCapabilities(printer.h, EntryPrinter(), DC_PAPERSIZE, NULL, NULL);
    std::vector<POINT> sizes(cAll);
    ASSERT_EQ(RN_DrvDeviceCapabilities(printer.h, EntryPrinter(), DC_PAPERSIZE, sizes.data(), NULL),
              cAll);
    POINT ptMin = {}, ptMax = {};
    EXPECT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_MINEXTENT, &ptMin, NULL), cAll);
    EXPECT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_MAXEXTENT, &ptMax, NULL), cAll);
    bool bMinSeenX = false, bMinSeenY = false, bMaxSeenX = false, bMaxSeenY = false;
    for (const POINT& pt : sizes) {
        EXPECT_GE(pt.x, ptMin.x);
        EXPECT_GE(pt.y, ptMin.y);
        EXPECT_LE(pt.x, ptMax.x);
        EXPECT_LE(pt.y, ptMax.y);
        bMinSeenX |= pt.x == ptMin.x;
        bMinSeenY |= pt.y == ptMin.y;
        bMaxSeenX |= pt.x == ptMax.x;
        bMaxSeenY |= pt.y == ptMax.y;
    }
    EXPECT_TRUE(bMinSeenX && bMinSeenY && bMaxSeenX && bMaxSeenY);
}

TEST(DeviceCaps, StapleFollowsTheStoredOutputUnit)
{
    OpenedPrinter printer;
    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
    std::vector<BYTE> dm(DRVUI_CB_DEVMODE);
    DWORD cb = 0, dwType = 0;
    ASSERT_EQ(GetPrinterDataW(printer.h, (LPWSTR)u"RNOVA NT", &dwType, dm.data(),
                              (DWORD)dm.size(), &cb),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_STAPLE, NULL, NULL), 0u);
    dm[2325] = 2;  // an output unit with a stapler
    ASSERT_EQ(SetPrinterDataW(printer.h, (LPWSTR)u"RNOVA NT", REG_BINARY, dm.data(),
                              (DWORD)dm.size()),
              (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_STAPLE, NULL, NULL), 1u);
    // Restore the default for the other tests.
    ASSERT_TRUE(DrvPrinterEvent(EntryPrinter(), PRINTER_EVENT_INITIALIZE, 0, 0));
}

TEST(DeviceCaps, StapleOfAPrinterNeverInitialisedClaimsNoStapler)
{
    ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Bare", u"C:\\ports\\bare.prn", NULL));
    OpenedPrinter printer(u"QX-730 Bare");
    EXPECT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_STAPLE, NULL, NULL), 0u);
}

TEST(DeviceCaps, StapleWithoutMemoryOrDatabaseAnswersNo)
{
    OpenedPrinter printer;
    for (LONG n = 1; n <= 4; ++n) {
        LONG cLive = PlatGlobalLiveBlocks();
        PlatFailAllocation(n);
        EXPECT_EQ(DrvDeviceCapabilities(printer.h, EntryPrinter(), DC_STAPLE, NULL, NULL), 0u) << n;
        PlatFailAllocation(0);
        EXPECT_EQ(PlatGlobalLiveBlocks(), cLive) << n;
    }
}

TEST(DeviceCaps, EntryLogLine)
{
    PlatClearDebugLog();
    DrvDeviceCapabilities(NULL, (PWSTR)u"Nowhere", DC_SIZE, NULL, NULL);
    EXPECT_NE(PlatDebugLog().find("UI:RN_DrvDeviceCapabilities() Called\n"), std::string::npos);
}

}  // namespace

namespace {

TEST(DeviceCaps, NamesFillTheirSlots)
{
    OpenedPrinter printer;
    std::vector<WCHAR> bins(7 * 24, (WCHAR)'#');
    ASSERT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_BINNAMES, bins.data(), NULL), 7u);
    for (int i = 0; i < 7; ++i) {
        std::u16string name((const char16_t*)&bins[i * 24]);
        EXPECT_FALSE(name.empty()) << "bin " << i;
        EXPECT_LT(name.size(), 24u) << "bin " << i;
    }
    DWORD cPapers = DrvDeviceCapabilities(printer.h, NULL, DC_PAPERS, NULL, NULL);
    std::vector<WORD> codes(cPapers);
    std::vector<WCHAR> names(cPapers * 64, (WCHAR)'#');
    DrvDeviceCapabilities(printer.h, NULL, DC_PAPERS, codes.data(), NULL);
    ASSERT_EQ(DrvDeviceCapabilities(printer.h, NULL, DC_PAPERNAMES, names.data(), NULL), cPapers);
    // Every slot holds a terminated name (its text is the resource
    // library's).
    for (DWORD i = 0; i < cPapers; ++i) {
        std::u16string name((const char16_t*)&names[i * 64]);
        EXPECT_LT(name.size(), 64u) << "paper " << codes[i];
    }
}

}  // namespace
