// winspool.cpp: printers, printer data and jobs on top of the registry.
//
// A printer handle is a SPLHANDLE record known to this process only; every
// read goes to the registry, so that a change made by another process (the
// spooler side, an application) is seen at once. Jobs live in the handle:
//
//   (no job) --StartDocPrinterW--> open --WritePrinter*--> open
//   open --EndDocPrinter--> (no job), temporary file renamed over the target
//   open --AbortPrinter / ClosePrinter / EndDoc after a failed write-->
//        (no job), temporary file removed, target untouched
#include "platform/spooler/winspool.h"

#include "platform/kernel/files.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/system.h"
#include "platform/kernel/wstr.h"
#include "platform/spooler/splutil.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

const DWORD SPLHANDLE_MAGIC = 0x484C5053;  // "SPLH"

// One open printer handle.
struct SPLHANDLE {
    DWORD dwMagic;                 // SPLHANDLE_MAGIC while open
    std::u16string sName;          // the printer's name as stored
    std::u16string sKey;           // its key below SPL_PRINTERS_KEY
    DWORD dwAccess;                // access asked for at open
    std::vector<BYTE> devmode;     // the DEVMODE of PRINTER_DEFAULTSW, if any
    // the job
    bool bJob;                     // a job is open
    bool bFailed;                  // a write of the job failed
    DWORD dwJobId;                 // its id
    DWORD cPages;                  // pages started
    HANDLE hFile;                  // the temporary file
    std::vector<BYTE> pending;     // written, not yet in the file (kSplBuffer at most)
    std::u16string sTarget;        // the path the job replaces at the end
    std::u16string sTemp;          // the path of the temporary file
};

// A job's writes gather up to this many bytes before they go to its file:
// a driver writes a page in records of a few kilobytes, and a write to the
// file system each is most of what printing a simple page costs. Larger
// writes also cost the file system less per byte (it takes them in larger
// pieces of memory): an image page of a few megabytes goes out in a dozen
// writes.
const size_t kSplBuffer = 256 * 1024;

std::recursive_mutex g_lock;
std::set<SPLHANDLE*> g_handles;
std::atomic<DWORD> g_nextJob{1};

// test switches and counters
DWORD g_failCall = 0;      // WritePrinter calls left until the switch fires
DWORD g_failMode = PLAT_WRITEPRINTER_OK;
bool g_denyData = false;
DWORD g_failDataIn = 0;  // printer-data writes left until one fails
DWORD g_cWrites = 0;     // WritePrinter calls, for fault sweeps
std::atomic<DWORD> g_setDataCalls{0};
std::atomic<DWORD> g_deleteDataCalls{0};

std::u16string _Str(LPCWSTR p)
{
    std::u16string s;
    if (p)
        while (*p)
            s.push_back(*p++);
    return s;
}

std::u16string _KeyNameOf(const std::u16string& name)
{
    std::u16string k = name;
    for (char16_t& c : k)
        if (c == u'\\')
            c = u',';
    return k;
}

std::u16string _PrinterKeyPath(const std::u16string& sKey)
{
    return std::u16string(SPL_PRINTERS_KEY) + u"\\" + sKey;
}

SPLHANDLE* _Handle(HANDLE h)
{
    SPLHANDLE* p = static_cast<SPLHANDLE*>(h);
    if (!p || !g_handles.count(p) || p->dwMagic != SPLHANDLE_MAGIC) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return p;
}

// A string value without its terminators; empty when missing.
std::u16string _GetString(HKEY hKey, LPCWSTR name)
{
    DWORD cb = 0, type = 0;
    if (RegQueryValueExW(hKey, name, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS || cb < 2)
        return u"";
    std::vector<BYTE> buf(cb + 2, 0);
    if (RegQueryValueExW(hKey, name, nullptr, &type, buf.data(), &cb) != ERROR_SUCCESS)
        return u"";
    std::u16string s;
    for (DWORD i = 0; i + 1 < cb; i += 2) {
        char16_t c = (char16_t)(buf[i] | (buf[i + 1] << 8));
        if (!c)
            break;
        s.push_back(c);
    }
    return s;
}

DWORD _GetDword(HKEY hKey, LPCWSTR name, DWORD dwDefault)
{
    DWORD v = 0, cb = 4;
    if (RegQueryValueExW(hKey, name, nullptr, nullptr, (BYTE*)&v, &cb) != ERROR_SUCCESS || cb != 4)
        return dwDefault;
    return v;
}

std::vector<BYTE> _GetBinary(HKEY hKey, LPCWSTR name)
{
    DWORD cb = 0;
    std::vector<BYTE> out;
    if (RegQueryValueExW(hKey, name, nullptr, nullptr, nullptr, &cb) != ERROR_SUCCESS || !cb)
        return out;
    out.resize(cb);
    if (RegQueryValueExW(hKey, name, nullptr, nullptr, out.data(), &cb) != ERROR_SUCCESS)
        out.clear();
    out.resize(cb);
    return out;
}

LONG _SetString(HKEY hKey, LPCWSTR name, const std::u16string& s)
{
    return RegSetValueExW(hKey, name, 0, REG_SZ, (const BYTE*)s.c_str(), (DWORD)(s.size() + 1) * 2);
}

LONG _SetDword(HKEY hKey, LPCWSTR name, DWORD v)
{
    return RegSetValueExW(hKey, name, 0, REG_DWORD, (const BYTE*)&v, 4);
}

// Opens the printer's own key; the registry's error code.
LONG _OpenPrinterKey(const SPLHANDLE* p, REGSAM sam, HKEY* phKey)
{
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, _PrinterKeyPath(p->sKey).c_str(), 0, sam, phKey);
}

// The key of printer data for a key name of the Ex calls.
std::u16string _DataKeyPath(const SPLHANDLE* p, LPCWSTR pKeyName)
{
    std::u16string base = _PrinterKeyPath(p->sKey);
    std::u16string k = _Str(pKeyName);
    std::u16string folded;
    for (char16_t c : k)
        folded.push_back(c >= u'a' && c <= u'z' ? c - 0x20 : c);
    if (k.empty() || folded == u"PRINTERDRIVERDATA")
        return base + u"\\PrinterDriverData";
    if (folded == u"DSDRIVER" || folded == u"DSSPOOLER" || folded == u"DSUSER")
        return base + u"\\" + k;
    return base + u"\\PrinterDriverData\\" + k;
}

// ---- record packing --------------------------------------------------------

// Lays out a record, then its DEVMODE and strings behind it. The first pass
// (pBase null) only counts.
struct PACKER {
    BYTE* pBase;   // the caller's buffer, or null while counting
    DWORD cb;      // bytes used so far
};

LPWSTR _PackString(PACKER* pk, const std::u16string& s)
{
    pk->cb = (pk->cb + 1) & ~1u;
    DWORD at = pk->cb;
    pk->cb += (DWORD)(s.size() + 1) * 2;
    if (!pk->pBase)
        return nullptr;
    LPWSTR p = reinterpret_cast<LPWSTR>(pk->pBase + at);
    memcpy(p, s.c_str(), (s.size() + 1) * 2);
    return p;
}

void* _PackBytes(PACKER* pk, const std::vector<BYTE>& v)
{
    pk->cb = (pk->cb + 3) & ~3u;
    DWORD at = pk->cb;
    pk->cb += (DWORD)v.size();
    if (!pk->pBase)
        return nullptr;
    memcpy(pk->pBase + at, v.data(), v.size());
    return pk->pBase + at;
}

// A stored DEVMODE is handed out only when it is at least a whole public
// header and its own sizes do not claim more than was stored.
bool _DevmodeUsable(const std::vector<BYTE>& dm)
{
    if (dm.size() < 72)
        return false;
    WORD dmSize = (WORD)(dm[68] | (dm[69] << 8));
    WORD dmExtra = (WORD)(dm[70] | (dm[71] << 8));
    return dmSize >= 72 && (DWORD)dmSize + dmExtra <= dm.size();
}

// A stored DEVMODE cut to its own size; empty when it is not usable.
std::vector<BYTE> _CutDevmode(std::vector<BYTE> dm)
{
    if (!_DevmodeUsable(dm))
        return std::vector<BYTE>();
    dm.resize((WORD)(dm[68] | (dm[69] << 8)) + (WORD)(dm[70] | (dm[71] << 8)));
    return dm;
}

// The user's own default DEVMODE of a printer; empty when there is none.
std::vector<BYTE> _UserDevmode(const SPLHANDLE* p)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SPL_USER_DEVMODES_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return std::vector<BYTE>();
    std::vector<BYTE> dm = _GetBinary(hKey, p->sName.c_str());
    RegCloseKey(hKey);
    return _CutDevmode(dm);
}

// Sets (pdm given) or drops (pdm null) the user's own default DEVMODE.
LONG _SetUserDevmode(const SPLHANDLE* p, const DEVMODEW* pdm)
{
    HKEY hKey = nullptr;
    LONG err = RegCreateKeyExW(HKEY_CURRENT_USER, SPL_USER_DEVMODES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    if (err != ERROR_SUCCESS)
        return err;
    if (pdm) {
        err = RegSetValueExW(hKey, p->sName.c_str(), 0, REG_BINARY, (const BYTE*)pdm,
                             (DWORD)pdm->dmSize + pdm->dmDriverExtra);
    } else {
        err = RegDeleteValueW(hKey, p->sName.c_str());
        if (err == ERROR_FILE_NOT_FOUND)
            err = ERROR_SUCCESS;
    }
    RegCloseKey(hKey);
    return err;
}

// A DEVMODE a caller hands in: null is allowed where the caller says so.
bool _DevmodeArgOk(const DEVMODEW* pdm)
{
    return !pdm || pdm->dmSize >= 72;
}

// Runs a packer twice: once to size, once into the buffer when it fits.
template <typename FILL>
BOOL _PackRecord(DWORD cbRecord, LPBYTE pOut, DWORD cbBuf, LPDWORD pcbNeeded, FILL fill)
{
    PACKER count{nullptr, cbRecord};
    fill(&count, nullptr);
    if (pcbNeeded)
        *pcbNeeded = count.cb;
    if (!pOut || cbBuf < count.cb) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memset(pOut, 0, cbRecord);
    PACKER real{pOut, cbRecord};
    fill(&real, pOut);
    return TRUE;
}

// ---- printer data ------------------------------------------------------------

DWORD _GetData(SPLHANDLE* p, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
               LPDWORD pcbNeeded)
{
    if (!pcbNeeded)
        return ERROR_INVALID_PARAMETER;
    HKEY hKey = nullptr;
    LONG err = RegOpenKeyExW(HKEY_LOCAL_MACHINE, _DataKeyPath(p, pKeyName).c_str(), 0, KEY_READ, &hKey);
    if (err != ERROR_SUCCESS)
        return err == ERROR_FILE_NOT_FOUND ? ERROR_FILE_NOT_FOUND : (DWORD)err;
    DWORD type = 0, cb = 0;
    err = RegQueryValueExW(hKey, pValueName, nullptr, &type, nullptr, &cb);
    if (err == ERROR_SUCCESS) {
        *pcbNeeded = cb;
        if (pType)
            *pType = type;
        if (nSize < cb || (cb && !pData)) {
            err = ERROR_MORE_DATA;
        } else if (cb) {
            DWORD cbCopy = nSize;
            err = RegQueryValueExW(hKey, pValueName, nullptr, &type, pData, &cbCopy);
            *pcbNeeded = cbCopy;
        }
    }
    RegCloseKey(hKey);
    return (DWORD)err;
}

DWORD _SetData(SPLHANDLE* p, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData)
{
    if (g_denyData)
        return ERROR_ACCESS_DENIED;
    if (g_failDataIn && --g_failDataIn == 0)
        return ERROR_WRITE_FAULT;
    if (!pData && cbData)
        return ERROR_INVALID_PARAMETER;
    HKEY hKey = nullptr;
    LONG err = RegCreateKeyExW(HKEY_LOCAL_MACHINE, _DataKeyPath(p, pKeyName).c_str(), 0, nullptr, 0,
                               KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    if (err != ERROR_SUCCESS)
        return (DWORD)err;
    err = RegSetValueExW(hKey, pValueName, 0, Type, pData, cbData);
    RegCloseKey(hKey);
    return (DWORD)err;
}

// ---- jobs ----------------------------------------------------------------------

void _DiscardJob(SPLHANDLE* p)
{
    if (!p->bJob)
        return;
    DWORD saved = GetLastError();
    if (p->hFile)
        CloseHandle(p->hFile);
    if (!p->sTemp.empty())
        DeleteFileW(p->sTemp.c_str());
    SetLastError(saved);
    p->hFile = nullptr;
    p->pending.clear();
    p->pending.shrink_to_fit();
    p->bJob = false;
    p->bFailed = false;
    p->sTemp.clear();
    p->sTarget.clear();
}

// Writes what the job holds to its file; FALSE (the job failed) when the
// file system refused it.
BOOL _FlushPending(SPLHANDLE* p)
{
    if (p->pending.empty())
        return TRUE;
    DWORD written = 0;
    BOOL ok = WriteFile(p->hFile, p->pending.data(), (DWORD)p->pending.size(), &written, nullptr);
    p->pending.clear();
    if (!ok)
        p->bFailed = true;
    return ok;
}

// The driver folder and driver key of an environment: null or empty is
// this build's own; false (ERROR_INVALID_ENVIRONMENT) for a name the
// spooler does not know. Each environment keeps its own files and key, so
// a root used by both builds holds each build's libraries apart.
bool _bEnvironment(LPCWSTR pEnvironment, std::u16string* pName, std::u16string* pDir, std::u16string* pKey)
{
    std::u16string env = _Str(pEnvironment);
    const char16_t* arch;
    if (env.empty()) {
        env = SPL_ENVIRONMENT;
        arch = SPL_ARCH_DIRECTORY;
    } else if (lstrcmpiW(env.c_str(), SPL_ENVIRONMENT_X86) == 0) {
        env = SPL_ENVIRONMENT_X86;
        arch = SPL_ARCH_DIRECTORY_X86;
    } else if (lstrcmpiW(env.c_str(), SPL_ENVIRONMENT_X64) == 0) {
        env = SPL_ENVIRONMENT_X64;
        arch = SPL_ARCH_DIRECTORY_X64;
    } else {
        SetLastError(ERROR_INVALID_ENVIRONMENT);
        return false;
    }
    *pName = env;
    *pDir = std::u16string(SPL_DRIVERS_ROOT) + arch;
    *pKey = std::u16string(SPL_ENVIRONMENTS_KEY) + u"\\" + env + u"\\Drivers\\Version-3";
    return true;
}

}  // namespace

// ---- printer handles -------------------------------------------------------------

BOOL OpenPrinterW(LPWSTR pPrinterName, HANDLE* phPrinter, LPPRINTER_DEFAULTSW pDefault)
{
    if (!phPrinter) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phPrinter = nullptr;
    std::u16string name = _Str(pPrinterName);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    std::u16string sKey = _KeyNameOf(name);
    HKEY hKey = nullptr;
    LONG err = RegOpenKeyExW(HKEY_LOCAL_MACHINE, _PrinterKeyPath(sKey).c_str(), 0, KEY_READ, &hKey);
    if (err != ERROR_SUCCESS) {
        SetLastError(err == ERROR_FILE_NOT_FOUND ? ERROR_INVALID_PRINTER_NAME : (DWORD)err);
        return FALSE;
    }
    std::u16string stored = _GetString(hKey, u"Name");
    RegCloseKey(hKey);

    SPLHANDLE* p = new SPLHANDLE;
    p->dwMagic = SPLHANDLE_MAGIC;
    p->sName = stored.empty() ? name : stored;
    p->sKey = sKey;
    p->dwAccess = pDefault ? pDefault->DesiredAccess : PRINTER_ACCESS_USE;
    if (pDefault && pDefault->pDevMode) {
        const DEVMODEW* dm = pDefault->pDevMode;
        const BYTE* pb = reinterpret_cast<const BYTE*>(dm);
        p->devmode.assign(pb, pb + dm->dmSize + dm->dmDriverExtra);
    }
    p->bJob = false;
    p->bFailed = false;
    p->dwJobId = 0;
    p->cPages = 0;
    p->hFile = nullptr;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    g_handles.insert(p);
    *phPrinter = p;
    return TRUE;
}

DWORD SplHandleAccess(HANDLE hPrinter)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    return p ? p->dwAccess : 0;
}

BOOL ClosePrinter(HANDLE hPrinter)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    _DiscardJob(p);
    g_handles.erase(p);
    p->dwMagic = 0;
    delete p;
    return TRUE;
}

BOOL GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if (Level != 1 && Level != 2 && Level != 8 && Level != 9) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    HKEY hKey = nullptr;
    LONG err = _OpenPrinterKey(p, KEY_READ, &hKey);
    if (err != ERROR_SUCCESS) {
        SetLastError(err == ERROR_FILE_NOT_FOUND ? ERROR_INVALID_PRINTER_NAME : (DWORD)err);
        return FALSE;
    }
    std::u16string driver = _GetString(hKey, u"Printer Driver");
    std::u16string comment = _GetString(hKey, u"Description");
    std::u16string location = _GetString(hKey, u"Location");
    BOOL ok;
    if (Level == 8 || Level == 9) {
        std::vector<BYTE> dm = Level == 8 ? _CutDevmode(_GetBinary(hKey, u"Default DevMode")) : _UserDevmode(p);
        ok = _PackRecord(sizeof(PRINTER_INFO_8W), pPrinter, cbBuf, pcbNeeded, [&](PACKER* pk, BYTE* out) {
            void* pdm = dm.empty() ? nullptr : _PackBytes(pk, dm);
            if (out)
                reinterpret_cast<PRINTER_INFO_8W*>(out)->pDevMode = static_cast<LPDEVMODEW>(pdm);
        });
    } else if (Level == 1) {
        std::u16string desc = p->sName + u"," + driver + u"," + location;
        ok = _PackRecord(sizeof(PRINTER_INFO_1W), pPrinter, cbBuf, pcbNeeded, [&](PACKER* pk, BYTE* out) {
            PRINTER_INFO_1W* pi = reinterpret_cast<PRINTER_INFO_1W*>(out);
            LPWSTR a = _PackString(pk, desc);
            LPWSTR b = _PackString(pk, p->sName);
            LPWSTR c = _PackString(pk, comment);
            if (pi) {
                pi->Flags = PRINTER_ENUM_ICON8;
                pi->pDescription = a;
                pi->pName = b;
                pi->pComment = c;
            }
        });
    } else {
        std::u16string share = _GetString(hKey, u"Share Name");
        std::u16string port = _GetString(hKey, u"Port");
        std::u16string sepFile = _GetString(hKey, u"Separator File");
        std::u16string proc = _GetString(hKey, u"Print Processor");
        std::u16string datatype = _GetString(hKey, u"Datatype");
        std::u16string params = _GetString(hKey, u"Parameters");
        // The user's own default first: it is what this user prints with.
        std::vector<BYTE> dm = _UserDevmode(p);
        if (dm.empty())
            dm = _CutDevmode(_GetBinary(hKey, u"Default DevMode"));
        DWORD attrs = _GetDword(hKey, u"Attributes", PRINTER_ATTRIBUTE_LOCAL);
        DWORD prio = _GetDword(hKey, u"Priority", 1);
        DWORD defPrio = _GetDword(hKey, u"Default Priority", 0);
        DWORD start = _GetDword(hKey, u"StartTime", 0);
        DWORD until = _GetDword(hKey, u"UntilTime", 0);
        DWORD status = _GetDword(hKey, u"Status", 0);
        DWORD jobs = p->bJob ? 1 : 0;
        ok = _PackRecord(sizeof(PRINTER_INFO_2W), pPrinter, cbBuf, pcbNeeded, [&](PACKER* pk, BYTE* out) {
            PRINTER_INFO_2W* pi = reinterpret_cast<PRINTER_INFO_2W*>(out);
            void* pdm = dm.empty() ? nullptr : _PackBytes(pk, dm);
            LPWSTR server = nullptr;  // a local printer has no server name
            LPWSTR name = _PackString(pk, p->sName);
            LPWSTR sh = _PackString(pk, share);
            LPWSTR po = _PackString(pk, port);
            LPWSTR dr = _PackString(pk, driver);
            LPWSTR co = _PackString(pk, comment);
            LPWSTR lo = _PackString(pk, location);
            LPWSTR se = _PackString(pk, sepFile);
            LPWSTR pr = _PackString(pk, proc);
            LPWSTR dt = _PackString(pk, datatype);
            LPWSTR pa = _PackString(pk, params);
            if (pi) {
                pi->pServerName = server;
                pi->pPrinterName = name;
                pi->pShareName = sh;
                pi->pPortName = po;
                pi->pDriverName = dr;
                pi->pComment = co;
                pi->pLocation = lo;
                pi->pDevMode = static_cast<LPDEVMODEW>(pdm);
                pi->pSepFile = se;
                pi->pPrintProcessor = pr;
                pi->pDatatype = dt;
                pi->pParameters = pa;
                pi->pSecurityDescriptor = nullptr;
                pi->Attributes = attrs;
                pi->Priority = prio;
                pi->DefaultPriority = defPrio;
                pi->StartTime = start;
                pi->UntilTime = until;
                pi->Status = status;
                pi->cJobs = jobs;
                pi->AveragePPM = 0;
            }
        });
    }
    RegCloseKey(hKey);
    return ok;
}

BOOL SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if ((Level != 2 && Level != 8 && Level != 9) || Command != 0) {
        SetLastError(Command != 0 ? ERROR_INVALID_PARAMETER : ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (!pPrinter) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (Level == 8 || Level == 9) {
        const DEVMODEW* pdm = reinterpret_cast<const PRINTER_INFO_8W*>(pPrinter)->pDevMode;
        if (!_DevmodeArgOk(pdm) || (Level == 8 && !pdm)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        LONG err = ERROR_SUCCESS;
        if (Level == 8) {
            HKEY hKey = nullptr;
            err = _OpenPrinterKey(p, KEY_ALL_ACCESS, &hKey);
            if (err == ERROR_SUCCESS) {
                err = RegSetValueExW(hKey, u"Default DevMode", 0, REG_BINARY, (const BYTE*)pdm,
                                     (DWORD)pdm->dmSize + pdm->dmDriverExtra);
                RegCloseKey(hKey);
            }
            pdm = nullptr;  // the user falls back to the new global default
        }
        if (err == ERROR_SUCCESS)
            err = _SetUserDevmode(p, pdm);
        if (err != ERROR_SUCCESS) {
            SetLastError((DWORD)err);
            return FALSE;
        }
        return TRUE;
    }
    const PRINTER_INFO_2W* pi = reinterpret_cast<const PRINTER_INFO_2W*>(pPrinter);
    if (!_DevmodeArgOk(pi->pDevMode)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HKEY hKey = nullptr;
    LONG err = _OpenPrinterKey(p, KEY_ALL_ACCESS, &hKey);
    if (err == ERROR_SUCCESS) {
        struct {
            LPCWSTR name;
            LPWSTR value;
        } strs[] = {{u"Port", pi->pPortName},          {u"Share Name", pi->pShareName},
                    {u"Description", pi->pComment},     {u"Location", pi->pLocation},
                    {u"Separator File", pi->pSepFile},  {u"Parameters", pi->pParameters}};
        for (auto& s : strs)
            if (err == ERROR_SUCCESS && s.value)
                err = _SetString(hKey, s.name, _Str(s.value));
        if (err == ERROR_SUCCESS)
            err = _SetDword(hKey, u"Attributes", pi->Attributes);
        if (err == ERROR_SUCCESS)
            err = _SetDword(hKey, u"Priority", pi->Priority);
        if (err == ERROR_SUCCESS)
            err = _SetDword(hKey, u"Default Priority", pi->DefaultPriority);
        if (err == ERROR_SUCCESS && pi->pDevMode)
            err = RegSetValueExW(hKey, u"Default DevMode", 0, REG_BINARY, (const BYTE*)pi->pDevMode,
                                 (DWORD)pi->pDevMode->dmSize + pi->pDevMode->dmDriverExtra);
        RegCloseKey(hKey);
    }
    if (err == ERROR_SUCCESS && pi->pDevMode)
        err = _SetUserDevmode(p, pi->pDevMode);
    if (err != ERROR_SUCCESS) {
        SetLastError((DWORD)err);
        return FALSE;
    }
    return TRUE;
}

BOOL GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                       LPDWORD pcbNeeded)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if (Level != 1 && Level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    std::u16string env, envDir, envKey;
    if (!_bEnvironment(pEnvironment, &env, &envDir, &envKey))
        return FALSE;
    HKEY hKey = nullptr;
    LONG err = _OpenPrinterKey(p, KEY_READ, &hKey);
    if (err != ERROR_SUCCESS) {
        SetLastError(err == ERROR_FILE_NOT_FOUND ? ERROR_INVALID_PRINTER_NAME : (DWORD)err);
        return FALSE;
    }
    std::u16string driver = _GetString(hKey, u"Printer Driver");
    RegCloseKey(hKey);
    HKEY hDrv = nullptr;
    err = driver.empty() ? ERROR_FILE_NOT_FOUND
                         : RegOpenKeyExW(HKEY_LOCAL_MACHINE, (envKey + u"\\" + driver).c_str(), 0, KEY_READ, &hDrv);
    if (err != ERROR_SUCCESS) {
        // Also a driver installed only for the other environment: its
        // files are of the other build, never to be loaded by this one.
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return FALSE;
    }
    std::u16string dir = envDir + u"\\3\\";
    std::u16string drvPath = dir + _GetString(hDrv, u"Driver");
    std::u16string dataPath = dir + _GetString(hDrv, u"Data File");
    std::u16string cfgPath = dir + _GetString(hDrv, u"Configuration File");
    DWORD version = _GetDword(hDrv, u"Version", 3);
    RegCloseKey(hDrv);
    if (Level == 1)
        return _PackRecord(sizeof(DRIVER_INFO_1W), pDriverInfo, cbBuf, pcbNeeded, [&](PACKER* pk, BYTE* out) {
            LPWSTR n = _PackString(pk, driver);
            if (out)
                reinterpret_cast<DRIVER_INFO_1W*>(out)->pName = n;
        });
    return _PackRecord(sizeof(DRIVER_INFO_2W), pDriverInfo, cbBuf, pcbNeeded, [&](PACKER* pk, BYTE* out) {
        DRIVER_INFO_2W* di = reinterpret_cast<DRIVER_INFO_2W*>(out);
        LPWSTR n = _PackString(pk, driver);
        LPWSTR e = _PackString(pk, env);
        LPWSTR d = _PackString(pk, drvPath);
        LPWSTR f = _PackString(pk, dataPath);
        LPWSTR c = _PackString(pk, cfgPath);
        if (di) {
            di->cVersion = version;
            di->pName = n;
            di->pEnvironment = e;
            di->pDriverPath = d;
            di->pDataFile = f;
            di->pConfigFile = c;
        }
    });
}

BOOL GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory, DWORD cbBuf,
                                LPDWORD pcbNeeded)
{
    if (Level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    std::u16string env, dir, key;
    if (!_bEnvironment(pEnvironment, &env, &dir, &key))
        return FALSE;
    SplMakeFolders((dir + u"\\3").c_str());
    DWORD cb = (DWORD)(dir.size() + 1) * 2;
    if (pcbNeeded)
        *pcbNeeded = cb;
    if (!pDriverDirectory || cbBuf < cb) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(pDriverDirectory, dir.c_str(), cb);
    return TRUE;
}

// ---- printer data ----------------------------------------------------------------

DWORD GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                      LPDWORD pcbNeeded)
{
    return GetPrinterDataExW(hPrinter, u"PrinterDriverData", pValueName, pType, pData, nSize, pcbNeeded);
}

DWORD GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType, LPBYTE pData,
                        DWORD nSize, LPDWORD pcbNeeded)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return ERROR_INVALID_HANDLE;
    return _GetData(p, pKeyName, pValueName, pType, pData, nSize, pcbNeeded);
}

DWORD SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData)
{
    return SetPrinterDataExW(hPrinter, u"PrinterDriverData", pValueName, Type, pData, cbData);
}

DWORD SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type, LPBYTE pData,
                        DWORD cbData)
{
    ++g_setDataCalls;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return ERROR_INVALID_HANDLE;
    return _SetData(p, pKeyName, pValueName, Type, pData, cbData);
}

DWORD DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName)
{
    ++g_deleteDataCalls;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return ERROR_INVALID_HANDLE;
    if (g_denyData)
        return ERROR_ACCESS_DENIED;
    HKEY hKey = nullptr;
    LONG err = RegOpenKeyExW(HKEY_LOCAL_MACHINE, _DataKeyPath(p, nullptr).c_str(), 0, KEY_ALL_ACCESS, &hKey);
    if (err != ERROR_SUCCESS)
        return (DWORD)err;
    err = RegDeleteValueW(hKey, pValueName);
    RegCloseKey(hKey);
    return (DWORD)err;
}

// ---- jobs ----------------------------------------------------------------------

DWORD StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return 0;
    if (Level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return 0;
    }
    if (!pDocInfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (p->bJob) {
        SetLastError(ERROR_INVALID_PRINTER_STATE);
        return 0;
    }
    const DOC_INFO_1W* di = reinterpret_cast<const DOC_INFO_1W*>(pDocInfo);
    std::u16string target = _Str(di->pOutputFile);
    if (target.empty()) {
        HKEY hKey = nullptr;
        LONG err = _OpenPrinterKey(p, KEY_READ, &hKey);
        if (err != ERROR_SUCCESS) {
            SetLastError(err == ERROR_FILE_NOT_FOUND ? ERROR_INVALID_PRINTER_NAME : (DWORD)err);
            return 0;
        }
        target = _GetString(hKey, u"Port");
        RegCloseKey(hKey);
    }
    if (target.empty() || target.back() == u'\\' || target.back() == u'/') {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    // The job's bytes collect beside the target, so that the final rename
    // stays inside one file system and replaces the target at once.
    DWORD id = g_nextJob++;
    std::string suffix = ".~job" + std::to_string((unsigned)GetCurrentProcessId()) + "." + std::to_string(id);
    std::u16string temp = target + std::u16string(suffix.begin(), suffix.end());
    HANDLE hFile = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    p->bJob = true;
    p->bFailed = false;
    p->dwJobId = id;
    p->cPages = 0;
    p->hFile = hFile;
    p->sTarget = target;
    p->sTemp = temp;
    return id;
}

BOOL StartPagePrinter(HANDLE hPrinter)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if (!p->bJob) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return FALSE;
    }
    ++p->cPages;
    return TRUE;
}

BOOL EndPagePrinter(HANDLE hPrinter)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if (!p->bJob) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return FALSE;
    }
    return TRUE;
}

BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (pcWritten)
        *pcWritten = 0;
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if (!p->bJob) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return FALSE;
    }
    if (!pBuf && cbBuf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD mode = PLAT_WRITEPRINTER_OK;
    ++g_cWrites;
    if (g_failCall && --g_failCall == 0) {
        mode = g_failMode;
        g_failMode = PLAT_WRITEPRINTER_OK;
    }
    if (mode == PLAT_WRITEPRINTER_FAIL) {
        p->bFailed = true;
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    DWORD cb = mode == PLAT_WRITEPRINTER_SHORT ? cbBuf / 2 : cbBuf;
    if (p->pending.size() + cb > kSplBuffer && !_FlushPending(p))
        return FALSE;
    if (cb >= kSplBuffer) {
        DWORD written = 0;
        if (!WriteFile(p->hFile, pBuf, cb, &written, nullptr)) {
            p->bFailed = true;
            return FALSE;
        }
    } else if (cb) {
        if (p->pending.capacity() < kSplBuffer)
            p->pending.reserve(kSplBuffer);
        const BYTE* pb = static_cast<const BYTE*>(pBuf);
        p->pending.insert(p->pending.end(), pb, pb + cb);
    }
    if (pcWritten)
        *pcWritten = cb;
    return TRUE;
}

BOOL EndDocPrinter(HANDLE hPrinter)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if (!p->bJob) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return FALSE;
    }
    if (p->bFailed) {
        _DiscardJob(p);
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    if (!_FlushPending(p)) {
        DWORD err = GetLastError();
        _DiscardJob(p);
        SetLastError(err);
        return FALSE;
    }
    p->pending.shrink_to_fit();
    BOOL ok = FlushFileBuffers(p->hFile);
    if (!CloseHandle(p->hFile))
        ok = FALSE;
    p->hFile = nullptr;
    if (ok)
        ok = MoveFileExW(p->sTemp.c_str(), p->sTarget.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok) {
        _DiscardJob(p);
        return FALSE;
    }
    p->sTemp.clear();
    p->bJob = false;
    return TRUE;
}

BOOL AbortPrinter(HANDLE hPrinter)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    SPLHANDLE* p = _Handle(hPrinter);
    if (!p)
        return FALSE;
    if (!p->bJob) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return FALSE;
    }
    _DiscardJob(p);
    return TRUE;
}

// ---- test switches -----------------------------------------------------------------

void PlatFailWritePrinter(DWORD nCall, DWORD dwMode)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    g_failCall = dwMode == PLAT_WRITEPRINTER_OK ? 0 : nCall;
    g_failMode = g_failCall ? dwMode : PLAT_WRITEPRINTER_OK;
}

void PlatDenyPrinterDataWrites(BOOL bDeny)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    g_denyData = bDeny != FALSE;
}

DWORD PlatWritePrinterCalls()
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    return g_cWrites;
}

BOOL PlatFaultPending()
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    return g_failCall != 0 || g_failDataIn != 0;
}

void PlatFailPrinterDataWrite(DWORD nCall)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    g_failDataIn = nCall;
}

DWORD PlatSetPrinterDataCalls()
{
    return g_setDataCalls;
}

DWORD PlatDeletePrinterDataCalls()
{
    return g_deleteDataCalls;
}

void PlatResetSpoolerCounters()
{
    g_setDataCalls = 0;
    g_deleteDataCalls = 0;
}

DWORD PlatOpenPrinterCount()
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    return (DWORD)g_handles.size();
}
