// A damaged registry database: the machine's registry file may be cut by a
// full disk, overwritten by another program or left half-written by a crash.
// Every registry call and every driver road over it must fail cleanly with a
// database error, never crash, and never report a wrong kind of failure.
//
// Each case runs in a child process on a root of its own, so the damaged
// file meets a fresh connection as it would at start-up. Input: four bytes
// of the database file's size, the database file, then its write-ahead log
// (the seed is the registry of a machine with the printer installed).
// What must hold besides no fault: every registry answer is one of the
// codes the registry documents, and never ERROR_INSUFFICIENT_BUFFER.
#include "tests/fuzz/fuzz.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string g_base;
int g_case = 0;

bool _bDocumented(LONG l)
{
    switch (l) {
    case ERROR_SUCCESS:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_INVALID_PARAMETER:
    case ERROR_DISK_FULL:
    case ERROR_MORE_DATA:
    case ERROR_NO_MORE_ITEMS:
    case ERROR_BADDB:
    case ERROR_BADKEY:
    case ERROR_CANTOPEN:
    case ERROR_CANTREAD:
    case ERROR_CANTWRITE:
    case ERROR_KEY_DELETED:
        return true;
    default:
        return false;
    }
}

void _Check(LONG l, const char* pszCall)
{
    if (l == ERROR_INSUFFICIENT_BUFFER || !_bDocumented(l)) {
        fprintf(stderr, "==fuzz== %s answered %ld on a damaged database\n", pszCall, (long)l);
        _exit(3);
    }
}

// Walks a key: its values and subkeys, two levels deep.
void _Walk(HKEY hRoot, const std::u16string& path, int depth)
{
    HKEY h = nullptr;
    LONG l = RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ, &h);
    _Check(l, "RegOpenKeyExW");
    if (l != ERROR_SUCCESS)
        return;
    DWORD cSub = 0, cValues = 0;
    _Check(RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &cSub, nullptr, nullptr, &cValues, nullptr, nullptr,
                            nullptr, nullptr),
           "RegQueryInfoKeyW");
    for (DWORD i = 0; i < 64; ++i) {
        WCHAR szName[64];
        DWORD cch = 64, dwType = 0, cb = 32;
        BYTE ab[32];
        l = RegEnumValueW(h, i, szName, &cch, nullptr, &dwType, ab, &cb);
        _Check(l, "RegEnumValueW");
        if (l != ERROR_SUCCESS && l != ERROR_MORE_DATA)
            break;
    }
    for (DWORD i = 0; i < 16; ++i) {
        WCHAR szName[260];
        DWORD cch = 260;
        l = RegEnumKeyExW(h, i, szName, &cch, nullptr, nullptr, nullptr, nullptr);
        _Check(l, "RegEnumKeyExW");
        if (l != ERROR_SUCCESS)
            break;
        if (depth > 0)
            _Walk(h, szName, depth - 1);
    }
    RegCloseKey(h);
}

void _Child(const std::string& root)
{
    PlatSetRoot(root.c_str());
    _Walk(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Print", 3);
    _Walk(HKEY_CURRENT_USER, u"Software", 3);
    HKEY h = nullptr;
    DWORD dwDisp = 0;
    LONG l = RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Fuzz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                             &dwDisp);
    _Check(l, "RegCreateKeyExW");
    if (l == ERROR_SUCCESS) {
        DWORD v = 7;
        _Check(RegSetValueExW(h, u"v", 0, REG_DWORD, (const BYTE*)&v, 4), "RegSetValueExW");
        RegCloseKey(h);
        _Check(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Fuzz"), "RegDeleteKeyW");
    }
    // The driver over it: the printer opens (or not) and a job prints (or
    // fails); neither may crash.
    HANDLE hPrinter = nullptr;
    if (OpenPrinterW((LPWSTR)FUZZ_PRINTER, &hPrinter, nullptr)) {
        LONG cb = DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)FUZZ_PRINTER, nullptr, nullptr, 0);
        if (cb > 0 && cb < 65536) {
            std::vector<BYTE> dm((size_t)cb);
            DocumentPropertiesW(nullptr, hPrinter, (LPWSTR)FUZZ_PRINTER, (DEVMODEW*)dm.data(), nullptr,
                                DM_OUT_BUFFER);
        }
        ClosePrinter(hPrinter);
    }
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, nullptr);
    if (!hdc && getenv("FUZZ_DEBUG"))
        fprintf(stderr, "==fuzz== no device context over this registry (error %u)\n", (unsigned)GetLastError());
    if (hdc) {
        bool bPrinted = FuzzPrintDocument(hdc, 1);
        DeleteDC(hdc);
        if (getenv("FUZZ_DEBUG"))
            fprintf(stderr, "==fuzz== the job over this registry %s\n", bPrinted ? "printed" : "failed");
    }
    _exit(0);
}

// The machine's files in a root of the child's own. The driver libraries
// (tens of megabytes under the sanitizers, and never written by a child)
// are linked, not copied: a case costs the registry's bytes, not the
// libraries'. Everything else is copied, so that nothing a child writes
// reaches the base.
void _CopyRoot(const std::string& from, const std::string& to)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(to, ec);
    for (auto it = fs::recursive_directory_iterator(from, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (ec)
            break;
        fs::path target = fs::path(to) / fs::relative(it->path(), from, ec);
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
        } else if (it->path().extension() == ".so") {
            fs::create_hard_link(it->path(), target, ec);
            if (ec)
                fs::copy_file(it->path(), target, ec);
        } else {
            fs::copy_file(it->path(), target, ec);
        }
    }
}

void _Write(const std::string& path, const std::vector<uint8_t>& b)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write((const char*)b.data(), (std::streamsize)b.size());
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_base = std::string(PlatGetRoot());
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    uint32_t cbDb = in.U32();
    std::vector<uint8_t> db = in.Take(cbDb);
    std::vector<uint8_t> wal = in.Rest();

    // The child's root: the machine's files (drivers, ports) with the
    // damaged registry in place of its own.
    std::string root = g_base + ".case" + std::to_string(g_case++ % 4);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    _CopyRoot(g_base, root);
    std::filesystem::remove(root + "/registry.db-shm", ec);
    std::filesystem::remove(root + "/registry.db", ec);
    _Write(root + "/registry.db", db);
    if (wal.empty())
        std::filesystem::remove(root + "/registry.db-wal", ec);
    else
        _Write(root + "/registry.db-wal", wal);

    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0)
        _Child(root);
    int status = 0;
    waitpid(pid, &status, 0);
    std::filesystem::remove_all(root, ec);
    if (WIFSIGNALED(status))
        FuzzFail("a damaged registry database crashed a process");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        FuzzFail("a registry call answered an undocumented code on a damaged database");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        FuzzFail("a process over a damaged registry database did not end cleanly");
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    // The registry as installed, with and without its log, and cut short.
    std::string db = FuzzReadHostFile(g_base + "/registry.db");
    std::string wal = FuzzReadHostFile(g_base + "/registry.db-wal");
    auto seed = [&](const std::string& d, const std::string& w) {
        std::string s;
        FuzzPut(&s, (uint32_t)d.size());
        s += d;
        s += w;
        pSeeds->push_back(s);
    };
    seed(db, wal);
    seed(db, "");
    seed(db.substr(0, db.size() / 2), "");
    seed(db.substr(0, 100), wal.substr(0, wal.size() / 3));
    seed("SQLite format 3", "");
}
