// entry_fixture.h: a printer with this driver in the test root, and the
// DEVMODEs the entry-point tests feed in.
#pragma once

#include "platform/windows.h"
#include "ui/driverui/driverui.h"
#include "ui/driverui/drvsettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

inline const WCHAR kEntryPrinter[] = u"QX-730 Entry";
inline const WCHAR kEntryPort[] = u"C:\\ports\\entry.prn";

// Installs the test printer (once per root) and returns its name.
inline LPWSTR EntryPrinter()
{
    static std::string s_root;
    if (s_root != PlatGetRoot()) {
        EXPECT_TRUE(PlatInstallPrinter(kEntryPrinter, kEntryPort, NULL));
        s_root = PlatGetRoot();
    }
    return (LPWSTR)kEntryPrinter;
}

// An open handle to a printer, closed with the object.
struct OpenedPrinter {
    HANDLE h = NULL;
    explicit OpenedPrinter(LPCWSTR pszName = EntryPrinter())
    {
        EXPECT_TRUE(OpenPrinterW((LPWSTR)pszName, &h, NULL));
    }
    ~OpenedPrinter()
    {
        if (h)
            ClosePrinter(h);
    }
};

// A DEVMODE of another driver: dmSize + dmDriverExtra bytes, the named public
// fields set, the private part filled with 0xA5.
inline std::vector<BYTE> ForeignDevmode(WORD wSize, WORD wExtra, DWORD dwFields = 0,
                                        SHORT sOrientation = 0, SHORT sPaper = 0)
{
    std::vector<BYTE> v(wSize + wExtra, 0);
    DEVMODEW* pdm = (DEVMODEW*)v.data();
    const char16_t szName[] = u"Other Printer";
    memcpy(pdm->dmDeviceName, szName, sizeof(szName));
    pdm->dmSpecVersion = wSize == 188 ? 0x320 : wSize == 212 ? 0x400 : 0x401;
    pdm->dmDriverVersion = 0x0100;
    pdm->dmSize = wSize;
    pdm->dmDriverExtra = wExtra;
    pdm->dmFields = dwFields;
    pdm->dmOrientation = sOrientation;
    pdm->dmPaperSize = sPaper;
    memset(v.data() + wSize, 0xA5, wExtra);
    return v;
}

// The driver's default DEVMODE for the test printer.
inline std::vector<BYTE> OwnDevmode()
{
    std::vector<BYTE> v(DRVUI_CB_DEVMODE, 0);
    OpenedPrinter printer;
    POPTIONDB hDb = OpenOptionDb();
    EXPECT_TRUE(InitDefaultDevmode(hDb, (DEVMODEW*)v.data(), EntryPrinter(), printer.h));
    CloseOptionDb(hDb);
    return v;
}

inline DEVMODEW* AsDevmode(std::vector<BYTE>& v)
{
    return (DEVMODEW*)v.data();
}
