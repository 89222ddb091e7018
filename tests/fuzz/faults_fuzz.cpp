// Faults in the middle of a job, as a long-running target: the sweeps of
// the job-fault tests (the Nth allocation fails, the Nth WritePrinter is
// refused or writes short, the Nth printer-data write is refused), with the
// fault, its place and the job itself chosen by the input, so that a
// campaign reaches combinations the fixed sweep never tries.
//
// Input: one byte of the fault (0 an allocation, 1 a non-throwing new, 2 a
// WritePrinter refused, 3 a WritePrinter writing short, 4 a printer-data
// write refused, 5 printer-data writes denied for the whole job), four
// bytes of N (taken modulo what a job reaches, plus a little past it), one
// byte of pages, one byte of copies and one of orientation. What must hold
// besides no fault and nothing held afterwards: a job that reports success
// left a whole job in the port (from its first byte to its last); a job
// that reports failure had its fault fire and left the port as it was.
#include "tests/common/failingnew.h"
#include "tests/fuzz/fuzz.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

const std::string kUel = "\x1B%-12345X";
const char kPrevious[] = "the previous job";
std::vector<BYTE> g_default;
std::string g_port;
// What one job reaches of each kind (measured at set-up, two pages).
long g_cAlloc, g_cNewReach, g_cWrite, g_cData;

bool _Job(const std::vector<BYTE>& dm, int cPages)
{
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, (const DEVMODEW*)dm.data());
    if (!hdc)
        return false;
    bool bOk = FuzzPrintDocument(hdc, cPages);
    DeleteDC(hdc);
    return bOk;
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_default = FuzzDefaultDevmode();
    g_port = PlatHostPath(FUZZ_PORT);
    _Job(g_default, 2);
    long cAlloc0 = PlatAllocationCalls(), cNew0 = g_cNew;
    DWORD cWrite0 = PlatWritePrinterCalls(), cData0 = PlatSetPrinterDataCalls();
    if (!_Job(g_default, 2))
        FuzzFail("a job without faults fails");
    g_cAlloc = PlatAllocationCalls() - cAlloc0;
    g_cNewReach = g_cNew - cNew0;
    g_cWrite = (long)(PlatWritePrinterCalls() - cWrite0);
    g_cData = (long)(PlatSetPrinterDataCalls() - cData0);
    if (getenv("FUZZ_DEBUG"))
        fprintf(stderr, "==fuzz== a job reaches %ld allocations, %ld news, %ld writes, %ld printer-data writes\n", g_cAlloc, g_cNewReach, g_cWrite, g_cData);
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    BYTE bKind = in.U8() % 6;
    uint32_t uN = in.U32();
    int cPages = 1 + in.U8() % 3;
    BYTE bCopies = in.U8();
    BYTE bOrient = in.U8();
    std::vector<BYTE> dm = g_default;
    DEVMODEW* pdm = (DEVMODEW*)dm.data();
    pdm->dmCopies = (short)(1 + bCopies % 3);
    pdm->dmOrientation = (bOrient & 1) ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;

    long reach[] = {g_cAlloc, g_cNewReach, g_cWrite, g_cWrite, g_cData, 1};
    long n = 1 + (long)(uN % (uint32_t)(reach[bKind] * 2 + 8));
    FuzzWriteFile(FUZZ_PORT, kPrevious, sizeof(kPrevious) - 1);
    switch (bKind) {
    case 0: PlatFailAllocation(n); break;
    case 1: g_failNewIn = n; break;
    case 2: PlatFailWritePrinter((DWORD)n, PLAT_WRITEPRINTER_FAIL); break;
    case 3: PlatFailWritePrinter((DWORD)n, PLAT_WRITEPRINTER_SHORT); break;
    case 4: PlatFailPrinterDataWrite((DWORD)n); break;
    default: PlatDenyPrinterDataWrites(TRUE); break;
    }
    bool bOk = _Job(dm, cPages);
    bool bPending;
    switch (bKind) {
    case 0: bPending = PlatAllocationFailPending() != FALSE; PlatFailAllocation(0); break;
    case 1: bPending = g_failNewIn > 0; g_failNewIn = 0; break;
    case 2:
    case 3: bPending = PlatFaultPending() != FALSE; PlatFailWritePrinter(0, PLAT_WRITEPRINTER_OK); break;
    case 4: bPending = PlatFaultPending() != FALSE; PlatFailPrinterDataWrite(0); break;
    default: bPending = false; PlatDenyPrinterDataWrites(FALSE); break;
    }
    std::string port = FuzzReadHostFile(g_port);
    if (bOk) {
        // A fault the driver works around may change the job, but what
        // reaches the port is a whole one.
        if (port.rfind(kUel + "@PJL", 0) != 0)
            FuzzFail("a job reported printed does not begin as a job");
        if (port.size() < 2 * kUel.size() || port.compare(port.size() - kUel.size(), kUel.size(), kUel) != 0)
            FuzzFail("a job reported printed is cut short");
    } else {
        if (bPending)
            FuzzFail("a job failed without a fault");
        if (port != kPrevious)
            FuzzFail("a failed job left a part of itself in the port");
    }
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto add = [&](BYTE bKind, uint32_t n, BYTE bPages) {
        std::string s;
        s.push_back((char)bKind);
        FuzzPut(&s, n);
        s.push_back((char)bPages);
        s.push_back(0);
        s.push_back(0);
        pSeeds->push_back(s);
    };
    for (BYTE k = 0; k < 6; ++k)
        for (uint32_t n : {0u, 1u, 7u, 40u, 200u, 1000u})
            add(k, n, (BYTE)(n % 3));
}
