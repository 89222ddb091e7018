// Printer data from outside: the values stored under a printer (the device
// settings "RNOVA NT", the user papers "UDPaper1".."UDPaper10", the user-mode
// marker) can be written by any administrator's tool, restored from an old
// machine or left damaged by a crash. Every reader takes them as they come.
//
// Input: one byte of doors (bit 0 merge through DocumentPropertiesW, bit 1
// device capabilities, bit 2 CreateDCW and a printed page), then up to four
// values, each: one byte naming it (0 "RNOVA NT", 1..10 a user paper, 11 the
// user-mode marker), one byte of type, two bytes of size, then its bytes.
// What must hold besides no fault: a merge that succeeds never gives a
// DEVMODE larger than the driver's own size, and the stored values are put
// back after each case so the next one starts from the installed printer.
#include "tests/fuzz/fuzz.h"

#include "ui/driverui/drvuidefs.h"

#include <map>

namespace {

HMODULE g_hUi = nullptr;
PFN_DrvDeviceCapabilities g_pfnCaps = nullptr;
std::vector<BYTE> g_default;
HANDLE g_hPrinter = nullptr;

struct STOREDVALUE {
    bool bThere;
    DWORD dwType;
    std::vector<BYTE> data;
};
std::map<std::u16string, STOREDVALUE> g_installed;

std::u16string _ValueName(uint8_t b)
{
    b %= 12;
    if (b == 0)
        return u"RNOVA NT";
    if (b == 11)
        return u"SPLUserModePrinterDriver";
    std::string n = "UDPaper" + std::to_string(b);
    return std::u16string(n.begin(), n.end());
}

STOREDVALUE _Read(const std::u16string& name)
{
    STOREDVALUE v{false, 0, {}};
    DWORD cb = 0;
    DWORD dwType = 0;
    GetPrinterDataW(g_hPrinter, (LPWSTR)name.c_str(), &dwType, nullptr, 0, &cb);
    std::vector<BYTE> data(cb ? cb : 1);
    if (GetPrinterDataW(g_hPrinter, (LPWSTR)name.c_str(), &dwType, data.data(), (DWORD)data.size(), &cb) ==
        ERROR_SUCCESS) {
        v.bThere = true;
        v.dwType = dwType;
        data.resize(cb);
        v.data = data;
    }
    return v;
}

void _PutBack(const std::u16string& name)
{
    const STOREDVALUE& v = g_installed[name];
    if (v.bThere)
        SetPrinterDataW(g_hPrinter, (LPWSTR)name.c_str(), v.dwType, (LPBYTE)v.data.data(), (DWORD)v.data.size());
    else
        DeletePrinterDataW(g_hPrinter, (LPWSTR)name.c_str());
}

void _Merge()
{
    std::vector<BYTE> out(g_default.size());
    LONG r = DocumentPropertiesW(nullptr, g_hPrinter, (LPWSTR)FUZZ_PRINTER, (DEVMODEW*)out.data(), nullptr,
                                 DM_OUT_BUFFER);
    const DEVMODEW* pdm = (const DEVMODEW*)out.data();
    if (r == 1 && (size_t)pdm->dmSize + pdm->dmDriverExtra > g_default.size())
        FuzzFail("a merged DEVMODE claims more than the caller's buffer");
    // And with the application's own DEVMODE in.
    std::vector<BYTE> in = g_default;
    DocumentPropertiesW(nullptr, g_hPrinter, (LPWSTR)FUZZ_PRINTER, (DEVMODEW*)out.data(), (DEVMODEW*)in.data(),
                        DM_IN_BUFFER | DM_OUT_BUFFER);
}

void _Caps()
{
    for (WORD cap : {(WORD)DC_PAPERS, (WORD)DC_PAPERNAMES, (WORD)DC_PAPERSIZE, (WORD)DC_BINS, (WORD)DC_MEDIAREADY}) {
        DWORD c = g_pfnCaps(g_hPrinter, (PWSTR)FUZZ_PRINTER, cap, nullptr, nullptr);
        if (c == (DWORD)-1 || c > 4096)
            continue;
        std::vector<BYTE> out((c + 1) * 128, 0);
        g_pfnCaps(g_hPrinter, (PWSTR)FUZZ_PRINTER, cap, out.data(), nullptr);
    }
}

void _Print()
{
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, nullptr);
    if (!hdc)
        return;
    FuzzPrintDocument(hdc, 1);
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
    g_pfnCaps = reinterpret_cast<PFN_DrvDeviceCapabilities>(
        reinterpret_cast<void*>(GetProcAddress(g_hUi, "DrvDeviceCapabilities")));
    if (!g_pfnCaps)
        FuzzFail("DrvDeviceCapabilities");
    for (uint8_t b = 0; b < 12; ++b)
        g_installed[_ValueName(b)] = _Read(_ValueName(b));
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    uint8_t doors = in.U8();
    std::vector<std::u16string> touched;
    for (int i = 0; i < 4 && in.Left() >= 4; ++i) {
        std::u16string name = _ValueName(in.U8());
        DWORD dwType = in.U8() % 12;
        std::vector<uint8_t> data = in.Take(in.U16() % 4096);
        SetPrinterDataW(g_hPrinter, (LPWSTR)name.c_str(), dwType, data.data(), (DWORD)data.size());
        touched.push_back(name);
    }
    if (doors & 1)
        _Merge();
    if (doors & 2)
        _Caps();
    if (doors & 4)
        _Print();
    for (const std::u16string& name : touched)
        _PutBack(name);
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto value = [](std::string* s, uint8_t name, uint8_t type, const void* pv, uint16_t cb) {
        s->push_back((char)name);
        s->push_back((char)type);
        FuzzPut(s, cb);
        s->append(static_cast<const char*>(pv), cb);
    };
    // The device settings as installed, whole and cut short.
    STOREDVALUE rnova = _Read(u"RNOVA NT");
    for (uint16_t cb : {(uint16_t)rnova.data.size(), (uint16_t)(rnova.data.size() / 2), (uint16_t)220}) {
        std::string s(1, (char)7);
        value(&s, 0, REG_BINARY, rnova.data.data(), std::min<uint16_t>(cb, (uint16_t)rnova.data.size()));
        pSeeds->push_back(s);
    }
    // User papers: a good one, one too large for any tray, one without a
    // terminated name, and a record one byte short.
    struct UP {
        LONG w, l;
        SHORT unit;
        WCHAR name[17];
    } __attribute__((packed));
    static_assert(sizeof(UP) == 44);
    UP good = {200000, 300000, 0, u"Poster"};
    UP huge = {0x7FFFFFFF, -5, 7, u"Huge"};
    UP open;
    std::memset(&open, 'A', sizeof(open));
    std::string s(1, (char)7);
    value(&s, 1, REG_BINARY, &good, sizeof(good));
    value(&s, 2, REG_BINARY, &huge, sizeof(huge));
    value(&s, 10, REG_BINARY, &open, sizeof(open));
    value(&s, 3, REG_BINARY, &good, sizeof(good) - 1);
    pSeeds->push_back(s);
    std::string marker(1, (char)3);
    const char16_t kMarker[] = u"Q730MVU3.DLL";
    value(&marker, 11, REG_SZ, kMarker, sizeof(kMarker) - 2);  // without its terminator
    pSeeds->push_back(marker);
}
