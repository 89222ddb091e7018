// Faults swept through a whole job, as an application prints it: the Nth
// allocation fails, the Nth WritePrinter fails or writes short, the Nth
// printer-data write fails, for the N a job reaches. Every run: the job
// ends without a crash, holds nothing afterwards, and either reports the
// failure with the port file as it was before, or reports success with a
// whole job in the port file.
//
// CTest runs every N up to the first 40 and then every Nth with a stride
// that keeps the sweep short; Q730_SWEEP_ALL=1 runs every N.
#include "platform/windows.h"
#include "tests/common/failingnew.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char16_t kPrinter[] = u"QX-730 Sweep";
const char16_t kPort[] = u"C:\\ports\\sweep.prn";
const std::string kUel = "\x1B%-12345X";

std::string ReadPort()
{
    std::ifstream f(TestRootFile("c/ports/sweep.prn"), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void WritePort(const std::string& bytes)
{
    std::ofstream f(TestRootFile("c/ports/sweep.prn"), std::ios::binary | std::ios::trunc);
    f << bytes;
}

struct Held {
    LONG lGlobal, lGdi, lEng;
    DWORD dwPrinters;
    bool operator==(const Held&) const = default;
};

Held Now()
{
    return {PlatGlobalLiveBlocks(), PlatGdiLiveObjects(), PlatEngLiveObjects(), PlatOpenPrinterCount()};
}

class FaultSweep : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryW(u"C:\\ports", nullptr);
        ASSERT_TRUE(PlatInstallPrinter(kPrinter, kPort, nullptr));
    }

    // One two-page job with text, shapes and a bitmap. TRUE when every call
    // the application makes reported success.
    static bool PrintJob()
    {
        HANDLE hPrinter = nullptr;
        if (!OpenPrinterW((LPWSTR)kPrinter, &hPrinter, nullptr))
            return false;
        LONG cb = DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)kPrinter, nullptr, nullptr, 0);
        std::vector<BYTE> dm(cb > 0 ? cb : 1);
        bool bOk = cb > 0 && DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)kPrinter,
                                                 (DEVMODEW*)dm.data(), nullptr, DM_OUT_BUFFER) == 1;
        ClosePrinter(hPrinter);
        if (!bOk)
            return false;
        HDC hdc = CreateDCW(nullptr, kPrinter, nullptr, (const DEVMODEW*)dm.data());
        if (!hdc)
            return false;
        DOCINFOW di = {sizeof(DOCINFOW), u"sweep", nullptr, nullptr, 0};
        bOk = StartDocW(hdc, &di) > 0;
        for (int page = 0; bOk && page < 2; ++page) {
            bOk = StartPage(hdc) > 0;
            HFONT hf = CreateFontW(-100, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                                   u"Arial");
            HGDIOBJ hOld = SelectObject(hdc, hf);
            bOk = bOk && TextOutW(hdc, 300, 300, u"Fault sweep", 11);
            SelectObject(hdc, hOld);
            DeleteObject(hf);
            HBRUSH hbr = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0));
            HGDIOBJ hOldBrush = SelectObject(hdc, hbr);
            bOk = bOk && Rectangle(hdc, 200, 600, 1200, 1400) && Ellipse(hdc, 1300, 600, 2000, 1400);
            SelectObject(hdc, hOldBrush);
            DeleteObject(hbr);
            bOk = bOk && PatBlt(hdc, 200, 1600, 400, 200, BLACKNESS);
            bOk = bOk && EndPage(hdc) > 0;
        }
        bOk = bOk && EndDoc(hdc) > 0;
        if (!bOk)
            AbortDoc(hdc);
        DeleteDC(hdc);
        return bOk;
    }

    // The N to try: all up to 40, then a stride over the rest.
    static std::vector<long> Points(long cReached)
    {
        std::vector<long> v;
        bool bAll = getenv("Q730_SWEEP_ALL") != nullptr;
        long stride = bAll ? 1 : std::max(1L, cReached / 40);
        for (long n = 1; n <= cReached; n += (n < 40 ? 1 : stride))
            v.push_back(n);
        return v;
    }

    // One run with a fault armed; checks what must hold after it.
    template <typename Arm, typename Pending>
    void RunWithFault(const char* what, long n, Arm arm, Pending pending)
    {
        WritePort("the previous job");
        Held before = Now();
        arm(n);
        bool bOk = PrintJob();
        bool bFired = !pending();
        arm(0);
        std::string port = ReadPort();
        EXPECT_EQ(Now(), before) << what << " " << n << ": something is held after the job";
        if (bOk) {
            // A fault the driver works around may change the job (a font
            // list that cannot be had prints the text as images, a user name
            // that cannot be read goes out empty), but what reaches the port
            // is a whole job.
            EXPECT_EQ(port.rfind(kUel + "@PJL", 0), 0u) << what << " " << n << ": not a whole job";
            EXPECT_GE(port.size(), 2 * kUel.size());
            EXPECT_EQ(port.substr(port.size() - std::min(port.size(), kUel.size())), kUel)
                << what << " " << n << ": a job reported printed is cut short";
        } else {
            EXPECT_TRUE(bFired) << what << " " << n << ": a job failed without a fault";
            EXPECT_EQ(port, "the previous job") << what << " " << n << ": a partial job in the port";
        }
    }

    static inline std::string reference_;
};

TEST_F(FaultSweep, EveryFaultIsReportedAndLeavesNoPartialJob)
{
    // A job without faults, twice: the same bytes, a whole job.
    ASSERT_TRUE(PrintJob());
    Held before = Now();
    long cAlloc0 = PlatAllocationCalls(), cNew0 = g_cNew;
    DWORD cWrite0 = PlatWritePrinterCalls(), cData0 = PlatSetPrinterDataCalls();
    ASSERT_TRUE(PrintJob());
    reference_ = ReadPort();
    long cAlloc = PlatAllocationCalls() - cAlloc0, cNew = g_cNew - cNew0;
    long cWrite = (long)(PlatWritePrinterCalls() - cWrite0);
    long cData = (long)(PlatSetPrinterDataCalls() - cData0);
    ASSERT_EQ(Now(), before);
    ASSERT_EQ(reference_.rfind(kUel + "@PJL", 0), 0u);
    ASSERT_EQ(reference_.substr(reference_.size() - kUel.size()), kUel);
    ASSERT_GT(cAlloc, 0);
    ASSERT_GT(cWrite, 0);
    RecordProperty("allocations", (int)cAlloc);
    RecordProperty("new", (int)cNew);
    RecordProperty("writes", (int)cWrite);
    RecordProperty("printerdata", (int)cData);

    for (long n : Points(cAlloc))
        RunWithFault("allocation", n, [](long k) { PlatFailAllocation(k); },
                     [] { return PlatAllocationFailPending() != FALSE; });
    for (long n : Points(cNew))
        RunWithFault("new", n, [](long k) { g_failNewIn = k; }, [] { return g_failNewIn > 0; });
    for (DWORD mode : {(DWORD)PLAT_WRITEPRINTER_FAIL, (DWORD)PLAT_WRITEPRINTER_SHORT})
        for (long n : Points(cWrite))
            RunWithFault(mode == PLAT_WRITEPRINTER_FAIL ? "WritePrinter failing" : "WritePrinter short",
                         n,
                         [mode](long k) {
                             PlatFailWritePrinter((DWORD)k, k ? mode : PLAT_WRITEPRINTER_OK);
                         },
                         [] { return PlatFaultPending() != FALSE; });
    for (long n : Points(cData))
        RunWithFault("printer data", n, [](long k) { PlatFailPrinterDataWrite((DWORD)k); },
                     [] { return PlatFaultPending() != FALSE; });
}

}  // namespace
