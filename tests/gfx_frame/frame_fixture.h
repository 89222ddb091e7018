// Small fixtures of the graphics frame's tests: a bare PDEV, a recording
// sink for the spool writer, and a printer installed in the test root.
#pragma once

#include "customnt/xrddigfx/pdev.h"
#include "customnt/xrddigfx/xrddigfx.h"
#include "graphics/ddi/gendi.h"
#include "graphics/ddi/jobrecord.h"
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

// A sink that keeps every byte and the size of every call; the call numbered
// nFailAt (1 = first) fails with nothing written.
struct RecordingSink {
    std::string bytes;
    std::vector<DWORD> calls;
    DWORD nFailAt = 0;
};
inline RecordingSink g_sink;

inline BOOL RecordSink(HANDLE, LPVOID pBuf, DWORD cb, LPDWORD pcWritten)
{
    g_sink.calls.push_back(cb);
    if (g_sink.nFailAt != 0 && g_sink.calls.size() == g_sink.nFailAt) {
        *pcWritten = 0;
        return FALSE;
    }
    g_sink.bytes.append(static_cast<const char*>(pBuf), cb);
    *pcWritten = cb;
    return TRUE;
}

inline void ResetSink()
{
    g_sink = RecordingSink{};
}

// A zeroed PDEV with its fixed marks, outside any chain (for the stream and
// surface tests that need no job DEVMODE of substance).
struct BarePdev {
    std::vector<BYTE> buf = std::vector<BYTE>(PDEV_BLOCK_SIZE, 0);
    PDEV* p() { return reinterpret_cast<PDEV*>(buf.data()); }
    DRVDEVMODE* dm() { return pGetJobDevmode(p()); }
    BarePdev()
    {
        PDEV* pp = p();
        pp->dwSignature = PDEV_SIGNATURE;
        pp->dwSignatureEnd = PDEV_SIGNATURE;
        pp->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
        pp->wPdevSize = PDEV_TOTAL_SIZE;
        SetPdevWriteJobData(pp, bWriteJobData);
        SetPdevEmitJobRecord(pp, bEmitJobRecord);
        ResetJobRecordBuffer(pp);
        dm()->dm.dmSize = 220;
        dm()->dm.dmDriverExtra = DRV_EXTRA_SIZE;
        dm()->ui.dmMirror.dmOrientation = DMORIENT_PORTRAIT;
        dm()->ui.lpLayout = 1;
    }
    // A writer whose sink is the recording sink, in the given replay mode.
    void AttachRecordingWriter(WORD wMode)
    {
        PDEV* pp = p();
        SetPdevWriter(pp, CreateSpoolWriter(nullptr));
        PdevWriter(pp)->pfnWrite = RecordSink;
        PdevWriter(pp)->pState = CreateSpoolState(nullptr, wMode, 1, RecordSink);
        pp->bRecState = JR_DATA;
        pp->fJob |= PDEVF_STREAMOPEN;
    }
};

// The driver's default DEVMODE, built as the graphics library builds it.
inline std::vector<BYTE> DefaultDevmode()
{
    std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
    POPTIONDB pdb = OpenOptionDb();
    SetDefaultDevmode(pdb, reinterpret_cast<DEVMODEW*>(dm.data()), u"QX-730 Frame");
    CloseOptionDb(pdb);
    return dm;
}

inline std::string ReadHostFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

#define FRAME_PRINTER u"QX-730 Frame"
#define FRAME_PORT u"C:\\ports\\frame.prn"

// Installs the test printer once per root (the installer copies the built
// libraries next to this test program).
inline void InstallFramePrinter()
{
    CreateDirectoryW(u"C:\\ports", nullptr);
    ASSERT_TRUE(PlatInstallPrinter(FRAME_PRINTER, FRAME_PORT, nullptr));
}

inline std::string PortBytes()
{
    return ReadHostFile(TestRootFile("c/ports/frame.prn"));
}
