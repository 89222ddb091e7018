// The user's own default DEVMODE of a printer (HKCU\Printers\DevModePerUser,
// a value named after the printer): written by the printing preferences,
// but it is the user's store, and another program, an older driver or a
// damaged profile may have left anything there. Every road that starts from
// the user's default reads it: the printer record of level 9, the
// DocumentPropertiesW default, a device context made without a DEVMODE
// with a job printed on it, and the preferences saved again over it.
//
// Input: one byte choosing the roads (bit 0 level 9, 1 the default, 2 a job,
// 3 the value stored as another type, 4 the default saved again), then the
// value's bytes. What must hold besides no fault: the default a program is
// given is the driver's size at most and its own header says so; and once
// the default is saved again, it reads back as the driver's own.
#include "tests/fuzz/fuzz.h"

namespace {

std::vector<BYTE> g_default;

void _Store(const std::vector<uint8_t>& bytes, DWORD dwType)
{
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Printers\\DevModePerUser", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        FuzzFail("the per-user DEVMODE key cannot be made");
    RegSetValueExW(h, FUZZ_PRINTER, 0, dwType, bytes.empty() ? nullptr : bytes.data(), (DWORD)bytes.size());
    RegCloseKey(h);
}

void _Forget()
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Printers\\DevModePerUser", 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
        RegDeleteValueW(h, FUZZ_PRINTER);
        RegCloseKey(h);
    }
}

// Level 9: the user's default as the spooler hands it out.
void _Level9(HANDLE hPrinter)
{
    DWORD cb = 0;
    GetPrinterW(hPrinter, 9, nullptr, 0, &cb);
    if (!cb || cb > (1u << 20))
        return;
    std::vector<BYTE> buf(cb);
    if (!GetPrinterW(hPrinter, 9, buf.data(), cb, &cb))
        return;
    const DEVMODEW* pdm = ((const PRINTER_INFO_9W*)buf.data())->pDevMode;
    if (pdm && (const BYTE*)pdm + pdm->dmSize + pdm->dmDriverExtra > buf.data() + buf.size())
        FuzzFail("the user's default DEVMODE claims more than its record holds");
}

// The default of DocumentPropertiesW, which starts from the user's one.
std::vector<BYTE> _Default(HANDLE hPrinter)
{
    LONG cb = DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)FUZZ_PRINTER, nullptr, nullptr, 0);
    if (cb <= 0)
        return {};
    if ((size_t)cb > g_default.size())
        FuzzFail("the driver asks for more than its own DEVMODE size");
    std::vector<BYTE> dm((size_t)cb);
    if (DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)FUZZ_PRINTER, (DEVMODEW*)dm.data(), nullptr,
                            DM_OUT_BUFFER) != 1)
        return {};
    const DEVMODEW* pdm = (const DEVMODEW*)dm.data();
    if ((size_t)pdm->dmSize + pdm->dmDriverExtra > dm.size())
        FuzzFail("a default DEVMODE claims more than the caller's buffer");
    return dm;
}

void _Job()
{
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, nullptr);
    if (!hdc)
        return;
    FuzzPrintDocument(hdc, 1);
    DeleteDC(hdc);
}

// The preferences saved again (level 9 set with the default the driver
// gives): what reads back is the driver's own DEVMODE.
void _SaveAgain(HANDLE hPrinter)
{
    std::vector<BYTE> dm = _Default(hPrinter);
    if (dm.empty())
        return;
    PRINTER_INFO_9W pi = {(DEVMODEW*)dm.data()};
    if (!SetPrinterW(hPrinter, 9, (LPBYTE)&pi, 0))
        return;
    std::vector<BYTE> again = _Default(hPrinter);
    if (again.size() != dm.size() || std::memcmp(again.data(), dm.data(), dm.size()) != 0)
        FuzzFail("the saved default does not read back as it was saved");
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_default = FuzzDefaultDevmode();
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    BYTE roads = in.U8();
    std::vector<uint8_t> value = in.Rest();
    _Store(value, (roads & 8) ? REG_SZ : REG_BINARY);
    HANDLE hPrinter = nullptr;
    if (!OpenPrinterW((LPWSTR)FUZZ_PRINTER, &hPrinter, nullptr))
        FuzzFail("the fuzz printer cannot be opened");
    if (roads & 1)
        _Level9(hPrinter);
    if (roads & 2)
        _Default(hPrinter);
    if (roads & 4)
        _Job();
    if (roads & 16)
        _SaveAgain(hPrinter);
    ClosePrinter(hPrinter);
    _Forget();
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    std::vector<BYTE> dm = g_default;
    DEVMODEW* pdm = (DEVMODEW*)dm.data();
    auto add = [&](BYTE roads, size_t cb) {
        std::string s(1, (char)roads);
        s.append((const char*)dm.data(), std::min(cb, dm.size()));
        pSeeds->push_back(s);
    };
    add(0x17, dm.size());
    pdm->dmCopies = 4;
    pdm->dmOrientation = DMORIENT_LANDSCAPE;
    add(0x07, dm.size());
    add(0x03, dm.size() / 2);
    add(0x05, pdm->dmSize);
    add(0x0F, 40);
    pSeeds->push_back(std::string(1, (char)0x1F));
}
