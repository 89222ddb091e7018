// DEVMODEs from outside: any application hands one in (or one stored in a
// document it opens), through every door that takes one: the conversion
// entry, the DocumentPropertiesW merge, CreateDCW and ResetDCW (with a job
// printed on the device context) and DrvDeviceCapabilities.
//
// Input: one byte choosing the doors (bit 0 conversion, 1 merge, 2
// capabilities, 3 CreateDCW and a job, 4 ResetDCW in a job), one byte of
// capability code, then the DEVMODE. The DEVMODE is handed over in a block
// of exactly the size it says it has (dmSize + dmDriverExtra, at least the
// fields that say so), as an application's buffer would be, so that a read
// past it is a sanitizer report. What must hold besides no fault: a merge
// that succeeds never gives a DEVMODE larger than the driver's own size.
#include "tests/fuzz/fuzz.h"

#include "ui/driverui/drvuidefs.h"

namespace {

HMODULE g_hUi = nullptr;
PFN_DrvConvertDevMode g_pfnConvert = nullptr;
PFN_DrvDeviceCapabilities g_pfnCaps = nullptr;
std::vector<BYTE> g_default;
HANDLE g_hPrinter = nullptr;

template <typename F>
F _Entry(const char* name)
{
    void* p = reinterpret_cast<void*>(GetProcAddress(g_hUi, name));
    if (!p)
        FuzzFail(name);
    return reinterpret_cast<F>(p);
}

// The application's block: the input's bytes in a block of the size its
// header claims (zeros past the input).
std::vector<BYTE> _AppBlock(const std::vector<uint8_t>& bytes)
{
    DEVMODEW head = {};
    if (!bytes.empty())
        std::memcpy(&head, bytes.data(), std::min(bytes.size(), sizeof(head)));
    size_t cb = (size_t)head.dmSize + head.dmDriverExtra;
    cb = std::max(cb, offsetof(DEVMODEW, dmFields));
    std::vector<BYTE> block(cb, 0);
    if (!bytes.empty())
        std::memcpy(block.data(), bytes.data(), std::min(cb, bytes.size()));
    return block;
}

void _Convert(std::vector<BYTE>& in)
{
    for (DWORD fMode : {CDM_CONVERT, CDM_CONVERT351, CDM_DRIVER_DEFAULT}) {
        std::vector<BYTE> out = g_default;
        LONG cb = (LONG)out.size();
        g_pfnConvert((LPWSTR)FUZZ_PRINTER, (DEVMODEW*)in.data(), (DEVMODEW*)out.data(), &cb, fMode);
    }
}

void _Merge(std::vector<BYTE>& in)
{
    std::vector<BYTE> out(g_default.size());
    LONG r = DocumentPropertiesW(nullptr, g_hPrinter, (LPWSTR)FUZZ_PRINTER, (DEVMODEW*)out.data(),
                                 (DEVMODEW*)in.data(), DM_IN_BUFFER | DM_OUT_BUFFER);
    // The caller's buffer is the size the driver asked for: what comes back
    // never claims more (a foreign DEVMODE that fits comes back as it was).
    const DEVMODEW* pdm = (const DEVMODEW*)out.data();
    if (r == 1 && (size_t)pdm->dmSize + pdm->dmDriverExtra > g_default.size())
        FuzzFail("a merged DEVMODE claims more than the caller's buffer");
}

void _Caps(std::vector<BYTE>& in, WORD wCap)
{
    for (WORD cap : {wCap, (WORD)DC_PAPERS, (WORD)DC_PAPERNAMES, (WORD)DC_BINS, (WORD)DC_NUP}) {
        DWORD c = g_pfnCaps(g_hPrinter, (PWSTR)FUZZ_PRINTER, cap, nullptr, (DEVMODEW*)in.data());
        if (c == (DWORD)-1 || c > 4096)
            continue;
        // The widest item of any capability is 128 bytes (a media name).
        std::vector<BYTE> out((c + 1) * 128, 0);
        g_pfnCaps(g_hPrinter, (PWSTR)FUZZ_PRINTER, cap, out.data(), (DEVMODEW*)in.data());
    }
}

void _CreateAndPrint(std::vector<BYTE>& in)
{
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, (const DEVMODEW*)in.data());
    if (!hdc)
        return;
    FuzzPrintDocument(hdc, 1);
    DeleteDC(hdc);
}

void _Reset(std::vector<BYTE>& in)
{
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, (const DEVMODEW*)g_default.data());
    if (!hdc)
        FuzzFail("CreateDCW fails with the driver's own DEVMODE");
    DOCINFOW di = {sizeof(DOCINFOW), u"reset", nullptr, nullptr, 0};
    if (StartDocW(hdc, &di) > 0) {
        if (StartPage(hdc) > 0) {
            FuzzDrawPage(hdc);
            EndPage(hdc);
        }
        HDC hdcNew = ResetDCW(hdc, (const DEVMODEW*)in.data());
        if (hdcNew)
            hdc = hdcNew;
        if (StartPage(hdc) > 0) {
            FuzzDrawPage(hdc);
            EndPage(hdc);
        }
        if (EndDoc(hdc) <= 0)
            AbortDoc(hdc);
    }
    ResetDCW(hdc, (const DEVMODEW*)in.data());
    DeleteDC(hdc);
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_default = FuzzDefaultDevmode();
    if (!OpenPrinterW((LPWSTR)FUZZ_PRINTER, &g_hPrinter, nullptr))
        FuzzFail("the fuzz printer cannot be opened");
    DWORD cb = 0;
    GetPrinterDriverW(g_hPrinter, nullptr, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    GetPrinterDriverW(g_hPrinter, nullptr, 2, info.data(), cb, &cb);
    g_hUi = LoadLibraryW(reinterpret_cast<const DRIVER_INFO_2W*>(info.data())->pConfigFile);
    if (!g_hUi)
        FuzzFail("the user-interface library does not load");
    g_pfnConvert = _Entry<PFN_DrvConvertDevMode>("DrvConvertDevMode");
    g_pfnCaps = _Entry<PFN_DrvDeviceCapabilities>("DrvDeviceCapabilities");
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    BYTE doors = in.U8();
    WORD wCap = in.U8();
    std::vector<BYTE> dm = _AppBlock(in.Rest());
    if (doors & 1)
        _Convert(dm);
    if (doors & 2)
        _Merge(dm);
    if (doors & 4)
        _Caps(dm, wCap);
    if (doors & 8)
        _CreateAndPrint(dm);
    if (doors & 16)
        _Reset(dm);
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    std::vector<BYTE> dm = FuzzDefaultDevmode();
    DEVMODEW* pdm = (DEVMODEW*)dm.data();
    auto add = [&](BYTE doors, BYTE cap) {
        std::string s;
        s.push_back((char)doors);
        s.push_back((char)cap);
        s.append((const char*)dm.data(), dm.size());
        pSeeds->push_back(s);
    };
    add(0x1F, DC_PAPERSIZE);
    add(0x08, DC_ENUMRESOLUTIONS);
    add(0x10, DC_MEDIAREADY);
    add(0x03, DC_BINNAMES);
    pdm->dmOrientation = DMORIENT_LANDSCAPE;
    pdm->dmCopies = 3;
    add(0x1F, DC_COPIES);
    // The public part alone, as an application of another driver sends it.
    pdm->dmDriverExtra = 0;
    dm.resize(pdm->dmSize);
    add(0x0F, DC_FIELDS);
}
