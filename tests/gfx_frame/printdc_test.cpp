// Whole jobs through the application-side GDI: CreateDCW .. DeleteDC with the
// driver loaded from the printer's driver folder in the test root.
#include "tests/gfx_frame/frame_fixture.h"

#include "platform/spooler/winspool.h"

#include <filesystem>

namespace {

class PrintDC : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallFramePrinter();
        std::error_code ec;
        std::filesystem::remove(TestRootFile("c/ports/frame.prn"), ec);
    }
    static std::vector<BYTE> Devmode(BYTE bGraphicsMode, BYTE bLayoutKind)
    {
        std::vector<BYTE> dm = DefaultDevmode();
        DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
        pdm->ui.lpGraphicsMode = bGraphicsMode;
        pdm->ui.bLayoutKind = bLayoutKind;
        return dm;
    }
    static int PrintPages(HDC hdc, int cPages, const char16_t* pszName = u"frame job")
    {
        DOCINFOW di = {sizeof(DOCINFOW), pszName, nullptr, nullptr, 0};
        if (StartDocW(hdc, &di) <= 0)
            return SP_ERROR;
        for (int i = 0; i < cPages; i++) {
            if (StartPage(hdc) <= 0 || EndPage(hdc) <= 0) {
                AbortDoc(hdc);
                return SP_ERROR;
            }
        }
        return EndDoc(hdc);
    }
    static std::vector<std::string> SplFiles()
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(TestRootFile("c/WINDOWS/TEMP"), ec)) {
            std::string n = e.path().filename().string();
            if (n.rfind("spl", 0) == 0 || n.rfind("SPL", 0) == 0)
                names.push_back(n);
        }
        return names;
    }
};

TEST_F(PrintDC, JobReachesThePortAndNothingIsLeft)
{
    // A first round loads the libraries and fills their caches.
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    ASSERT_GT(PrintPages(hdc, 2), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    std::string first = PortBytes();
    EXPECT_FALSE(first.empty());
    EXPECT_NE(first.find("@PJL"), std::string::npos);

    LONG blocks = PlatGlobalLiveBlocks();
    LONG objects = PlatEngLiveObjects();
    LONG gdiObjects = PlatGdiLiveObjects();
    DWORD printers = PlatOpenPrinterCount();
    hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    EXPECT_EQ(GetObjectType(hdc), static_cast<DWORD>(OBJ_DC));
    ASSERT_GT(PrintPages(hdc, 2), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_EQ(PortBytes(), first);  // the same job again, whole
    EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);
    EXPECT_EQ(PlatEngLiveObjects(), objects);
    EXPECT_EQ(PlatGdiLiveObjects(), gdiObjects);
    EXPECT_EQ(PlatOpenPrinterCount(), printers);
}

TEST_F(PrintDC, DeviceCapsComeFromThePdevsDevmode)
{
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    PDEV* pPDev = static_cast<PDEV*>(PlatGdiGetDhpdev(hdc));
    ASSERT_NE(pPDev, nullptr);
    const DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    RECTL rc = pdm->ui.rcPrintDots;
    BOOL bLandscape = pdm->ui.dmMirror.dmOrientation == DMORIENT_LANDSCAPE;
    EXPECT_EQ(GetDeviceCaps(hdc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(hdc, bLandscape ? VERTRES : HORZRES), rc.right - rc.left);
    EXPECT_EQ(GetDeviceCaps(hdc, bLandscape ? HORZRES : VERTRES), rc.bottom - rc.top);
    EXPECT_EQ(GetDeviceCaps(hdc, LOGPIXELSX), static_cast<int>(pdm->ui.dmMirror.dmPrintQuality));
    SIZEL sizePaper = pdm->ui.sizePaperDots;
    EXPECT_EQ(GetDeviceCaps(hdc, PHYSICALWIDTH), bLandscape ? sizePaper.cy : sizePaper.cx);
    EXPECT_GT(GetDeviceCaps(hdc, HORZRES), 0);
    EXPECT_TRUE(DeleteDC(hdc));
}

TEST_F(PrintDC, ExtEscapeReachesTheDriver)
{
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    EXPECT_EQ(ExtEscape(hdc, BEGIN_PATH, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(ExtEscape(hdc, 0x12345, 0, nullptr, 0, nullptr), 0);
    EXPECT_TRUE(DeleteDC(hdc));
}

TEST_F(PrintDC, FailedWriteAbortsOnlyItsOwnDocument)
{
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    PlatFailWritePrinter(1, PLAT_WRITEPRINTER_FAIL);
    EXPECT_EQ(PrintPages(hdc, 2), SP_ERROR);
    PlatFailWritePrinter(0, PLAT_WRITEPRINTER_OK);
    EXPECT_TRUE(PortBytes().empty());  // the failed job never reached the port
    PDEV* pPDev = static_cast<PDEV*>(PlatGdiGetDhpdev(hdc));
    EXPECT_TRUE(pPDev->fJob & PDEVF_ABORTED);
    pPDev->fJob |= PDEVF_DROPOUTPUT;  // as a form job leaves it
    // The next document on the same device context is whole.
    EXPECT_GT(PrintPages(hdc, 2), 0);
    std::string job = PortBytes();
    EXPECT_NE(job.find("@PJL"), std::string::npos);
    EXPECT_TRUE(DeleteDC(hdc));
}

TEST_F(PrintDC, BookletJobIsReplayedAndItsSpoolFileDeleted)
{
    std::vector<BYTE> dm = Devmode(2, 4);
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    ASSERT_NE(hdc, nullptr);
    PDEV* pPDev = static_cast<PDEV*>(PlatGdiGetDhpdev(hdc));
    DOCINFOW di = {sizeof(DOCINFOW), u"booklet", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    EXPECT_EQ(pPDev->wReplayMode, REPLAY_BOOKLET);
    EXPECT_EQ(SplFiles().size(), 1u);
    for (int i = 0; i < 5; i++) {
        ASSERT_GT(StartPage(hdc), 0);
        ASSERT_GT(EndPage(hdc), 0);
    }
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(SplFiles().empty());
    EXPECT_FALSE(PortBytes().empty());
    EXPECT_TRUE(DeleteDC(hdc));
}

TEST_F(PrintDC, DeleteDCInTheMiddleOfAJobTearsItDown)
{
    std::vector<BYTE> dm = Devmode(2, 4);
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"left open", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    ASSERT_GT(StartPage(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_TRUE(SplFiles().empty());
    EXPECT_TRUE(PortBytes().empty());
}

TEST_F(PrintDC, ResetDCInTheMiddleOfADocumentKeepsTheJob)
{
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"reset", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    ASSERT_GT(StartPage(hdc), 0);
    ASSERT_GT(EndPage(hdc), 0);
    std::vector<BYTE> dm = DefaultDevmode();
    reinterpret_cast<DRVDEVMODE*>(dm.data())->dm.dmOrientation = DMORIENT_LANDSCAPE;
    EXPECT_EQ(ResetDCW(hdc, reinterpret_cast<DEVMODEW*>(dm.data())), hdc);
    PDEV* pPDev = static_cast<PDEV*>(PlatGdiGetDhpdev(hdc));
    EXPECT_TRUE(pPDev->fJob & PDEVF_HANDEDOVER);
    EXPECT_EQ(pPDev->cPages, 1u);
    EXPECT_NE(PdevWriter(pPDev), nullptr);
    ASSERT_GT(StartPage(hdc), 0);
    ASSERT_GT(EndPage(hdc), 0);
    EXPECT_EQ(pPDev->cPages, 2u);
    EXPECT_GT(EndDoc(hdc), 0);
    EXPECT_NE(PortBytes().find("@PJL"), std::string::npos);
    EXPECT_TRUE(DeleteDC(hdc));
}


TEST_F(PrintDC, DriverAndDocumentEventsComeInThePlatformsOrder)
{
    PlatGdiTrace(TRUE);
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    ASSERT_GT(PrintPages(hdc, 1), 0);
    DOCINFOW di = {sizeof(DOCINFOW), u"abandoned", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    EXPECT_GT(AbortDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    std::string full = PlatGdiTraceText();
    PlatGdiTrace(FALSE);
    // The document events talk to the driver through escapes; the order of
    // the events and hooks is what is checked here.
    std::string trace;
    for (size_t pos = 0; pos < full.size();) {
        size_t end = full.find('\n', pos);
        end = end == std::string::npos ? full.size() : end + 1;
        std::string line = full.substr(pos, end - pos);
        if (line.rfind("DrvEscape", 0) != 0)
            trace += line;
        pos = end;
    }
    EXPECT_EQ(trace,
              "DOCEVENT 1\n"          // CREATEDCPRE
              "DrvEnableDriver\nDrvEnablePDEV\nDrvCompletePDEV\nDrvEnableSurface\n"
              "DOCEVENT 2\n"          // CREATEDCPOST
              "DOCEVENT 5\n"          // STARTDOC
              "StartDocPrinter\nDrvStartDoc\n"
              "DOCEVENT 13\n"         // STARTDOCPOST
              "DOCEVENT 6\nDrvStartPage\n"
              "DOCEVENT 7\nDrvSendPage\n"
              "DOCEVENT 8\nDrvEndDoc\nEndDocPrinter\n"
              "DOCEVENT 12\n"         // ENDDOCPOST
              "DOCEVENT 5\nStartDocPrinter\nDrvStartDoc\nDOCEVENT 13\n"
              "DOCEVENT 9\nDrvEndDoc\nAbortPrinter\n"  // ABORTDOC
              "DOCEVENT 10\n"         // DELETEDC
              "DrvDisableSurface\nDrvDisablePDEV\nDrvDisableDriver\n");
}


TEST_F(PrintDC, FormFileJobWritesTheFormAndNotThePrinter)
{
    CreateDirectoryW(u"C:\\forms", nullptr);
    std::vector<BYTE> dm = Devmode(2, 0);
    DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
    pdm->ui.lpOverlay = FORMFILE_CREATE;
    const char16_t szForm[] = u"C:\\forms\\letter.xfo";
    std::memcpy(pdm->ui.szOverlayName, szForm, sizeof(szForm));
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    ASSERT_NE(hdc, nullptr);
    ASSERT_EQ(pGetJobDevmode(static_cast<PDEV*>(PlatGdiGetDhpdev(hdc)))->ui.lpOverlay, FORMFILE_CREATE);
    EXPECT_GT(PrintPages(hdc, 3), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_FALSE(ReadHostFile(TestRootFile("c/forms/letter.xfo")).empty());
    EXPECT_TRUE(PortBytes().empty());
}

}  // namespace
