// The built Q730MVU3 as the spooler loads it: its exports, its load-time
// entry, and the answers that need no settings.
#include "tests/ui_entry/entry_fixture.h"

namespace {

const char* const kExports[] = {
    "DevQueryPrintEx",         "DllInitialize",          "DrvAdvancedDocumentProperties",
    "DrvConvertDevMode",       "DrvDeviceCapabilities",  "DrvDevicePropertySheets",
    "DrvDocumentEvent",        "DrvDocumentProperties",  "DrvDocumentPropertySheets",
    "DrvPrinterEvent",         "XR_GetEnvExtraSize",     "PrinterProperties",
};

template <class F>
F Bind(HMODULE h, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, name)));
}

struct LoadedUi {
    HMODULE h = LoadLibraryW(u"Q730MVU3.DLL");
    ~LoadedUi()
    {
        if (h)
            FreeLibrary(h);
    }
};

TEST(Exports, TheLibraryExportsEveryEntryPoint)
{
    LoadedUi ui;
    ASSERT_NE(ui.h, nullptr);
    for (const char* name : kExports)
        EXPECT_NE(GetProcAddress(ui.h, name), nullptr) << name;
    // Internal bodies stay inside.
    for (const char* name : {"RN_DrvConvertDevMode", "bMergeDevmode", "CopyDevmodeParts"})
        EXPECT_EQ(GetProcAddress(ui.h, name), nullptr) << name;
}

TEST(Exports, LoadedLibraryAnswersThroughItsExports)
{
    LoadedUi ui;
    ASSERT_NE(ui.h, nullptr);
    auto pfnSize = Bind<PFN_XR_GetEnvExtraSize>(ui.h, "XR_GetEnvExtraSize");
    auto pfnCaps = Bind<PFN_DrvDeviceCapabilities>(ui.h, "DrvDeviceCapabilities");
    auto pfnQuery = Bind<PFN_DevQueryPrintEx>(ui.h, "DevQueryPrintEx");
    auto pfnProps = Bind<PFN_PrinterProperties>(ui.h, "PrinterProperties");
    auto pfnEvent = Bind<PFN_DrvDocumentEvent>(ui.h, "DrvDocumentEvent");
    ASSERT_TRUE(pfnSize && pfnCaps && pfnQuery && pfnProps && pfnEvent);
    EXPECT_EQ(pfnSize(), 1199u);
    EXPECT_EQ(pfnCaps(NULL, (PWSTR)u"Nowhere", DC_EXTRA, NULL, NULL), 2395u);
    DEVQUERYPRINT_INFO dqp = {sizeof(dqp), 1, NULL, NULL, NULL, 0, 0};
    EXPECT_TRUE(pfnQuery(&dqp));
    EXPECT_TRUE(pfnProps(NULL, NULL));
    // The events no handler acts on pass the whole chain, even without a DC.
    for (int iEsc : {1, 2, 4, 7, 10, 11})
        EXPECT_EQ(pfnEvent(NULL, NULL, iEsc, 0, NULL, 0, NULL), DOCUMENTEVENT_SUCCESS) << iEsc;
}

TEST(Exports, LoadKeepsTheInstanceAndEveryReasonSucceeds)
{
    HINSTANCE hFake = (HINSTANCE)(ULONG_PTR)0x1234;
    for (ULONG ulReason : {1u, 2u, 3u, 0u, 77u})  // attach, threads, detach, unknown
        EXPECT_TRUE(DllInitialize(hFake, ulReason, NULL)) << ulReason;
    EXPECT_EQ(DrvUiGetInstance(), hFake);
}

TEST(SheetsWithoutPages, DeviceSheetNeedsItsRecords)
{
    EXPECT_EQ(DrvDevicePropertySheets(NULL, 0), -1);
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof(info);
    EXPECT_EQ(DrvDevicePropertySheets(&info, 0), -1);  // no header
}

TEST(SheetsWithoutPages, GetInfoNamesThePrinterAndIcon)
{
    OpenedPrinter printer;
    DEVICEPROPERTYHEADER dph = {sizeof(dph), 0, printer.h, EntryPrinter()};
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof(info);
    info.Reason = PROPSHEETUI_REASON_GET_INFO;
    info.lParamInit = (LPARAM)&dph;
    PROPSHEETUI_INFO_HEADER header = {};
    header.cbSize = sizeof(header);
    ASSERT_EQ(DrvDevicePropertySheets(&info, (LPARAM)&header), 1);
    EXPECT_EQ(header.Flags, PSUIHDRF_PROPTITLE);
    EXPECT_EQ(header.pTitle, EntryPrinter());
    EXPECT_EQ(header.IconID, 64062u);
}

TEST(SheetsWithoutPages, OpeningASheetFailsCleanlyAndResultsAreKept)
{
    OpenedPrinter printer;
    DOCUMENTPROPERTYHEADER dph = {};
    dph.cbSize = sizeof(dph);
    dph.hPrinter = printer.h;
    dph.pszPrinterName = EntryPrinter();
    PROPSHEETUI_INFO info = {};
    info.cbSize = sizeof(info);
    info.lParamInit = (LPARAM)&dph;
    info.Reason = PROPSHEETUI_REASON_INIT;
    EXPECT_EQ(DrvDocumentPropertySheets(&info, 0), -1);
    EXPECT_EQ(info.UserData, 0u);
    SETRESULT_INFO result = {sizeof(result), 0, NULL, CPSUI_OK};
    info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    EXPECT_EQ(DrvDocumentPropertySheets(&info, (LPARAM)&result), 1);
    EXPECT_EQ(info.Result, (ULONG_PTR)CPSUI_OK);
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(DrvDocumentPropertySheets(&info, 0), 1);
    info.Reason = 9;
    EXPECT_EQ(DrvDocumentPropertySheets(&info, 0), -1);
}

}  // namespace

namespace {

TEST(EntryLog, ConversionAndDeviceSheetLogTheirLines)
{
    PlatClearDebugLog();
    LONG cb = 0;
    DrvConvertDevMode(EntryPrinter(), NULL, NULL, &cb, 8);
    DrvDevicePropertySheets(NULL, 0);
    std::string log = PlatDebugLog();
    EXPECT_NE(log.find("UI:RN_DrvConvertDevMode() Called\n"), std::string::npos);
    EXPECT_NE(log.find("UI:RN_DrvDevicePropertySheets() Called\n"), std::string::npos);
}

}  // namespace
