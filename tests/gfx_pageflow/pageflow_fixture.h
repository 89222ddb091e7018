// Small fixtures of the page-flow tests: a bare PDEV with a chosen page
// geometry, a printer installed in the test root, and job DEVMODEs.
#pragma once

#include "customnt/xrddigfx/pdev.h"
#include "customnt/xrddigfx/xrddigfx.h"
#include "graphics/ddi/gendi.h"
#include "graphics/ddi/jobrecord.h"
#include "graphics/ddi/nup.h"
#include "platform/windows.h"
#include "ui/settings/devmode.h"
#include "ui/settings/optiondb.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A sink that keeps every byte written to it.
inline std::string g_flowSink;

inline BOOL FlowSink(HANDLE, LPVOID pBuf, DWORD cb, LPDWORD pcWritten)
{
    g_flowSink.append(static_cast<const char*>(pBuf), cb);
    *pcWritten = cb;
    return TRUE;
}

// A zeroed PDEV with its fixed marks, outside any chain, and a simple page:
// paper 4000 x 6000 dots, printable (100, 200, 3900, 5800), the output sheet
// printable 4000 x 6000.
struct FlowPdev {
    std::vector<BYTE> buf = std::vector<BYTE>(PDEV_BLOCK_SIZE, 0);
    PDEV* p() { return reinterpret_cast<PDEV*>(buf.data()); }
    DRVDEVMODE* dm() { return pGetJobDevmode(p()); }
    NUPSTATE* st() { return pGetNupState(p()); }
    FlowPdev(BYTE bLayout = 1, SHORT nOrientation = DMORIENT_PORTRAIT)
    {
        PDEV* pp = p();
        pp->dwSignature = PDEV_SIGNATURE;
        pp->dwSignatureEnd = PDEV_SIGNATURE;
        pp->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
        pp->wPdevSize = PDEV_TOTAL_SIZE;
        SetPdevWriteJobData(pp, bWriteJobData);
        SetPdevEmitJobRecord(pp, bEmitJobRecord);
        ResetJobRecordBuffer(pp);
        DRVDEVMODE* d = dm();
        d->dm.dmSize = 220;
        d->dm.dmDriverExtra = DRV_EXTRA_SIZE;
        d->ui.lpGraphicsMode = 2;
        d->ui.lpLayout = bLayout;
        d->ui.Layout_Check = bLayout == 1 ? 0 : 1;
        d->ui.lpOrder = 3;
        d->ui.dmMirror.dmOrientation = nOrientation;
        d->ui.dmMirror.dmPrintQuality = 600;
        d->ui.dmMirror.dmYResolution = 600;
        d->ui.dmMirror.dmPaperSize = 9;
        d->ui.rcPrintDots = {100, 200, 3900, 5800};
        d->ui.rcOutPrintDots = {0, 0, 4000, 6000};
        d->ui.sizePaperDots = {4000, 6000};
        d->ui.sizeOutPaperDots = {4200, 6200};
        pp->wOrientation = static_cast<WORD>(nOrientation);
        // The sheet copy is turned for the layouts that turn the sheet, as
        // the PDEV's enable leaves it.
        if (bLayout != 1)
            ToggleNupOrientation(&d->ui.dmMirror.dmOrientation, bLayout);
    }
    ~FlowPdev()
    {
        if (PdevWriter(p()))
            bEmitRecordOfType(p(), JR_CLOSE, 0);
    }
    // An open job record stream whose bytes go to g_flowSink.
    void AttachSinkWriter()
    {
        g_flowSink.clear();
        PDEV* pp = p();
        SetPdevWriter(pp, CreateSpoolWriter(nullptr));
        PdevWriter(pp)->pfnWrite = FlowSink;
        PdevWriter(pp)->pState = CreateSpoolState(nullptr, REPLAY_DIRECT, 1, FlowSink);
        pp->bRecState = JR_DATA;
        pp->fJob |= PDEVF_STREAMOPEN;
    }
};

// The driver's default DEVMODE, as the settings model builds it.
inline std::vector<BYTE> FlowDefaultDevmode()
{
    std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
    POPTIONDB pdb = OpenOptionDb();
    SetDefaultDevmode(pdb, reinterpret_cast<DEVMODEW*>(dm.data()), u"QX-730 Flow");
    CloseOptionDb(pdb);
    return dm;
}

inline DRVDEVMODE* AsDrv(std::vector<BYTE>& dm)
{
    return reinterpret_cast<DRVDEVMODE*>(dm.data());
}

#define FLOW_PRINTER u"QX-730 Flow"
#define FLOW_PORT u"C:\\ports\\flow.prn"

inline std::string ReadFlowPort()
{
    std::ifstream f(TestRootFile("c/ports/flow.prn"), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline size_t CountOf(const std::string& hay, const std::string& needle)
{
    size_t n = 0;
    for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1))
        n++;
    return n;
}

// Installs the test printer once per root and empties its port file.
class FlowPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool bInstalled = false;
        if (!bInstalled) {
            CreateDirectoryW(u"C:\\ports", nullptr);
            ASSERT_TRUE(PlatInstallPrinter(FLOW_PRINTER, FLOW_PORT, nullptr));
            bInstalled = true;
        }
        DeleteFileW(FLOW_PORT);
    }
    static HDC OpenDC(std::vector<BYTE>& dm)
    {
        return CreateDCW(nullptr, FLOW_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    }
    static PDEV* PdevOf(HDC hdc) { return static_cast<PDEV*>(PlatGdiGetDhpdev(hdc)); }
    static BOOL StartDocNamed(HDC hdc, const char16_t* pszName)
    {
        DOCINFOW di = {sizeof(DOCINFOW), pszName, nullptr, nullptr, 0};
        return StartDocW(hdc, &di) > 0;
    }
};
