// installer.cpp: adds a printer with this driver to a root folder.
//
// Owns PlatInstallPrinter: the driver files in the driver folder, the driver
// key and the printer key. The driver itself is not called here; the first
// DrvPrinterEvent is the business of whoever installs it.
#include "platform/spooler/winspool.h"

#include "platform/kernel/files.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/root.h"
#include "platform/kernel/system.h"
#include "platform/spooler/splutil.h"

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

// The shared objects of the driver, copied under these names so that the
// loader finds "Q730MVx3.DLL" in the driver folder.
const char* const k_aszDriverLibs[] = {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"};

// Size and time of last write of a file; false when it is not there.
bool _bFileStamp(const std::u16string& path, WIN32_FIND_DATAW* pData)
{
    HANDLE h = FindFirstFileW(path.c_str(), pData);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return !(pData->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The two files hold the same bytes.
bool _bSameBytes(const std::u16string& a, const std::u16string& b)
{
    const DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE ha = CreateFileW(a.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ha == INVALID_HANDLE_VALUE)
        return false;
    HANDLE hb = CreateFileW(b.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hb == INVALID_HANDLE_VALUE) {
        CloseHandle(ha);
        return false;
    }
    std::string bufA(1 << 16, '\0'), bufB(1 << 16, '\0');
    bool bSame = true;
    for (;;) {
        DWORD cbA = 0, cbB = 0;
        if (!ReadFile(ha, &bufA[0], (DWORD)bufA.size(), &cbA, nullptr) ||
            !ReadFile(hb, &bufB[0], (DWORD)bufB.size(), &cbB, nullptr) || cbA != cbB ||
            std::memcmp(bufA.data(), bufB.data(), cbA) != 0) {
            bSame = false;
            break;
        }
        if (cbA == 0)
            break;
    }
    CloseHandle(ha);
    CloseHandle(hb);
    return bSame;
}

// A copy keeps the time of last write of its original, so a library whose
// size and time both match was most likely copied from this very build. It
// is left as it is only when its bytes are the original's too: a copy taken
// while the original was still being written (a build linking it at that
// moment) has its final size and time but not its content, and would fail
// to load on every run after.
bool _bSameLibrary(const std::u16string& from, const std::u16string& to)
{
    WIN32_FIND_DATAW a = {}, b = {};
    return _bFileStamp(from, &a) && _bFileStamp(to, &b) && a.nFileSizeLow == b.nFileSizeLow &&
           a.nFileSizeHigh == b.nFileSizeHigh && CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0 &&
           _bSameBytes(from, to);
}

// Copies a library and checks the copy against its original before it takes
// the library's name; an original that changed while it was copied is copied
// again (a few times, then the last error is ERROR_WRITE_FAULT).
BOOL _CopyLibrary(const std::u16string& from, const std::u16string& to)
{
    if (_bSameLibrary(from, to))
        return TRUE;
    std::string suffix = ".~inst" + std::to_string((unsigned)GetCurrentProcessId());
    std::u16string temp = to + std::u16string(suffix.begin(), suffix.end());
    bool bCopied = false;
    for (int iTry = 0; iTry < 3 && !bCopied; ++iTry) {
        if (!CopyFileW(from.c_str(), temp.c_str(), FALSE))
            return FALSE;
        bCopied = _bSameLibrary(from, temp);
    }
    if (!bCopied) {
        DeleteFileW(temp.c_str());
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    // Through a temporary name, so that a library being loaded elsewhere is
    // replaced whole or not at all.
    if (!MoveFileExW(temp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD err = GetLastError();
        DeleteFileW(temp.c_str());
        SetLastError(err);
        return FALSE;
    }
    return TRUE;
}

// The host folder the driver libraries are copied from: beside the
// program, as in the build, else beside the platform's libraries, as in an
// installed tree (programs in bin/, libraries in lib/).
std::string _DriverLibDir()
{
    std::string program = PlatGetProgramDir();
    struct stat st;
    if (stat((program + "/" + k_aszDriverLibs[0]).c_str(), &st) == 0)
        return program;
    return PlatGetLibraryDir();
}

LONG _SetString(HKEY hKey, LPCWSTR name, const std::u16string& s)
{
    return RegSetValueExW(hKey, name, 0, REG_SZ, (const BYTE*)s.c_str(), (DWORD)(s.size() + 1) * 2);
}

LONG _SetDword(HKEY hKey, LPCWSTR name, DWORD v)
{
    return RegSetValueExW(hKey, name, 0, REG_DWORD, (const BYTE*)&v, 4);
}

// Sets a string value only when the key does not have it yet.
LONG _SetStringIfMissing(HKEY hKey, LPCWSTR name, const std::u16string& s)
{
    DWORD cb = 0;
    if (RegQueryValueExW(hKey, name, nullptr, nullptr, nullptr, &cb) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    return _SetString(hKey, name, s);
}

LONG _SetDwordIfMissing(HKEY hKey, LPCWSTR name, DWORD v)
{
    DWORD cb = 0;
    if (RegQueryValueExW(hKey, name, nullptr, nullptr, nullptr, &cb) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    return _SetDword(hKey, name, v);
}

LONG _WriteDriverKey()
{
    HKEY hKey = nullptr;
    std::u16string path = std::u16string(SPL_DRIVERS_KEY) + u"\\" + PLAT_Q730_DRIVER_NAME;
    LONG err = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                               nullptr);
    if (err != ERROR_SUCCESS)
        return err;
    const char16_t deps[] = u"Q730MVT3.DLL\0Q730MVHZ.hlp\0";  // REG_MULTI_SZ: two names and the closing NUL
    struct {
        LPCWSTR name;
        LPCWSTR value;
    } strs[] = {{u"Driver", u"Q730MVG3.DLL"},   {u"Configuration File", u"Q730MVU3.DLL"},
                {u"Data File", u"Q730MVT3.DLL"}, {u"Help File", u"Q730MVHZ.hlp"},
                {u"Datatype", u"RAW"},           {u"Monitor", u""}};
    for (auto& s : strs)
        if (err == ERROR_SUCCESS)
            err = _SetString(hKey, s.name, s.value);
    if (err == ERROR_SUCCESS)
        err = RegSetValueExW(hKey, u"Dependent Files", 0, REG_MULTI_SZ, (const BYTE*)deps, sizeof(deps));
    if (err == ERROR_SUCCESS)
        err = _SetDword(hKey, u"Version", 3);
    RegCloseKey(hKey);
    return err;
}

LONG _WritePrinterKey(const std::u16string& name, const std::u16string& port)
{
    std::u16string keyName = name;
    for (char16_t& c : keyName)
        if (c == u'\\')
            c = u',';
    HKEY hKey = nullptr;
    std::u16string path = std::u16string(SPL_PRINTERS_KEY) + u"\\" + keyName;
    LONG err = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                               nullptr);
    if (err != ERROR_SUCCESS)
        return err;
    if (err == ERROR_SUCCESS)
        err = _SetString(hKey, u"Name", name);
    if (err == ERROR_SUCCESS)
        err = _SetString(hKey, u"Printer Driver", PLAT_Q730_DRIVER_NAME);
    if (err == ERROR_SUCCESS)
        err = _SetString(hKey, u"Port", port);
    struct {
        LPCWSTR name;
        LPCWSTR value;
    } strs[] = {{u"Share Name", u""},           {u"Description", u""},   {u"Location", u""},
                {u"Print Processor", u"WinPrint"}, {u"Datatype", u"RAW"}, {u"Parameters", u""},
                {u"Separator File", u""}};
    for (auto& s : strs)
        if (err == ERROR_SUCCESS)
            err = _SetStringIfMissing(hKey, s.name, s.value);
    struct {
        LPCWSTR name;
        DWORD value;
    } dws[] = {{u"Attributes", PRINTER_ATTRIBUTE_LOCAL},
               {u"Priority", 1},
               {u"Default Priority", 0},
               {u"StartTime", 0},
               {u"UntilTime", 0},
               {u"Status", 0}};
    for (auto& d : dws)
        if (err == ERROR_SUCCESS)
            err = _SetDwordIfMissing(hKey, d.name, d.value);
    HKEY hData = nullptr;
    if (err == ERROR_SUCCESS)
        err = RegCreateKeyExW(hKey, u"PrinterDriverData", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hData, nullptr);
    if (hData)
        RegCloseKey(hData);
    RegCloseKey(hKey);
    return err;
}

}  // namespace

BOOL PlatInstallPrinter(LPCWSTR pszPrinterName, LPCWSTR pszPortPath, const char* pszHostLibDir)
{
    if (!pszPrinterName || !*pszPrinterName || !pszPortPath || !*pszPortPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string name, port;
    for (LPCWSTR p = pszPrinterName; *p; ++p)
        name.push_back(*p);
    for (LPCWSTR p = pszPortPath; *p; ++p)
        port.push_back(*p);
    if (name.size() > 220) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }

    if (!SplMakeFolders(SPL_DRIVER_VERSION_DIRECTORY)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string source = pszHostLibDir && *pszHostLibDir ? std::string(pszHostLibDir) : _DriverLibDir();
    std::u16string from = SplFromHostPath(source.c_str());
    std::u16string dir = std::u16string(SPL_DRIVER_VERSION_DIRECTORY) + u"\\";
    for (const char* lib : k_aszDriverLibs) {
        std::u16string name(lib, lib + strlen(lib));
        if (!_CopyLibrary(from + u"/" + name, dir + name))
            return FALSE;
    }
    LONG err = _WriteDriverKey();
    if (err == ERROR_SUCCESS)
        err = _WritePrinterKey(name, port);
    if (err != ERROR_SUCCESS) {
        SetLastError((DWORD)err);
        return FALSE;
    }
    return TRUE;
}
