// modules.cpp: Windows modules over the host loader (dlopen).
//
// An HMODULE is the address of a MODREC. Each record holds exactly one
// reference of the host loader and counts the Windows uses itself, so the
// entry point sees one attach and one detach however often a module is
// loaded.
//
// Facts this file relies on:
//  1. g_modules holds every live record; a handle not in it is refused.
//  2. The table's lock is recursive: an entry point may load or free
//     other modules while it runs.
#include "platform/kernel/modules.h"
#include "platform/kernel/resource.h"

#include "platform/kernel/files.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/root.h"
#include "platform/kernel/sysutil.h"
#include "platform/kernel/wstr.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <mutex>
#include <new>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193L
#endif

namespace {

struct MODREC {
    void* pDl;               // the host loader's handle
    std::u16string winPath;  // the Windows path it answers to
    LONG cUses;              // LoadLibrary calls not yet freed
    PFN_DLLMAIN pfnMain;     // entry point, null when none or not called
};

// The platform's own modules and the shared objects that stand for them.
struct SYSMODULE {
    const char16_t* pszName;  // upper-case Windows file name
    const char* pszObject;    // shared object
};

static const SYSMODULE kSystemModules[] = {
    {u"KERNEL32.DLL", "libq730kernel.so"},
    {u"NTDLL.DLL", "libq730kernel.so"},
    {u"ADVAPI32.DLL", "libq730advapi.so"},
    {u"WINSPOOL.DRV", "libq730advapi.so"},
    {u"SPOOLSS.DLL", "libq730advapi.so"},
    {u"GDI32.DLL", "libq730gdi.so"},
    {u"USER32.DLL", "libq730user.so"},
    {u"COMCTL32.DLL", "libq730comctl.so"},
    {u"COMPSTUI.DLL", "libq730comctl.so"},
    {u"COMDLG32.DLL", "libq730comctl.so"},
    {u"SHFOLDER.DLL", "libq730comctl.so"},
    {u"SHELL32.DLL", "libq730comctl.so"},
    {u"HHCTRL.OCX", "libq730comctl.so"},
};

std::recursive_mutex g_modLock;
std::set<MODREC*> g_modules;
MODREC* g_pProgram = nullptr;
std::u16string g_programPath;

bool _bFileExists(const std::string& host)
{
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Host folder name of the kernel's own shared object: the folder of the
// platform's libraries.
std::string _KernelDir()
{
    static const std::string s_dir = [] {
        Dl_info info;
        if (dladdr(reinterpret_cast<void*>(&LoadLibraryW), &info) && info.dli_fname) {
            std::string f = info.dli_fname;
            size_t slash = f.rfind('/');
            if (slash != std::string::npos)
                return f.substr(0, slash);
        }
        return std::string();
    }();
    return s_dir;
}

// The shared object that already stands for a platform module in this
// process (found by its name, as the loader finds a library a module
// needs); null when none does. A handle that is given is the caller's
// reference.
void* _LoadedObject(const char* pszObject)
{
    return dlopen(pszObject, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
}

// Loads every shared object of the platform that the process does not hold
// yet, from the platform's own folder, and keeps it to the end of the
// process. A driver module loaded from a folder of the root names them as
// the libraries it needs; the loader then takes the ones loaded here rather
// than looking for them, so the process holds one copy of each, the one
// the program itself runs on.
void _LoadPlatformObjects()
{
    static std::once_flag s_once;
    std::call_once(s_once, [] {
        const std::string dir = _KernelDir();
        for (const SYSMODULE& s : kSystemModules) {
            void* h = _LoadedObject(s.pszObject);
            if (!h && !dir.empty())
                h = dlopen((dir + "/" + s.pszObject).c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!h && getenv("Q730_DEBUG"))
                fprintf(stderr, "LoadLibrary: %s\n", dlerror());
            // The reference is kept: these stay loaded as long as the process.
        }
    });
}

// file in host folder dir, matched without regard to case; "" when absent.
std::string _FindInFolder(const std::string& dir, const std::string& file)
{
    if (dir.empty())
        return std::string();
    if (_bFileExists(dir + "/" + file))
        return dir + "/" + file;
    return SysFindInFolder(dir, file);
}

std::u16string _BaseName(const std::u16string& w)
{
    size_t cut = w.find_last_of(u"\\/:");
    return cut == std::u16string::npos ? w : w.substr(cut + 1);
}

// A name without an extension is a ".DLL"; a trailing dot means none.
std::u16string _WithExtension(std::u16string base)
{
    if (!base.empty() && base.back() == u'.')
        base.pop_back();
    else if (base.find(u'.') == std::u16string::npos)
        base += u".DLL";
    return base;
}

// The shared objects that may stand for a module name, best first, and the
// Windows path the module is then known by.
void _Candidates(const std::u16string& name, std::vector<std::string>& paths, std::u16string& winPath)
{
    std::u16string base = _WithExtension(_BaseName(name));
    bool bHasFolder = name.find_first_of(u"\\/:") != std::u16string::npos;
    if (bHasFolder) {
        std::u16string folder = name.substr(0, name.size() - _BaseName(name).size());
        WCHAR full[MAX_PATH * 2];
        std::u16string joined = folder + base;
        DWORD n = GetFullPathNameW(joined.c_str(), MAX_PATH * 2, full, nullptr);
        winPath = n && n < MAX_PATH * 2 ? std::u16string(full) : joined;
    } else {
        winPath = std::u16string(SYS_SYSTEM_DIR) + u"\\" + base;
    }

    for (const SYSMODULE& s : kSystemModules) {
        if (lstrcmpiW(s.pszName, base.c_str()) == 0) {
            // The platform's own folder first: a copy beside the program
            // would be a second window system in the process.
            std::string p = _FindInFolder(_KernelDir(), s.pszObject);
            if (!p.empty())
                paths.push_back(p);
            p = _FindInFolder(PlatGetProgramDir(), s.pszObject);
            if (!p.empty())
                paths.push_back(p);
            paths.push_back(s.pszObject);  // the loader's own search
            return;
        }
    }

    size_t dot = base.rfind(u'.');
    std::string object = "lib" + SysUtf8(base.substr(0, dot)) + ".so";
    if (bHasFolder) {
        std::string host = PlatHostPath(name.c_str());
        if (_bFileExists(host))
            paths.push_back(host);
        std::string hostDir = host.substr(0, host.rfind('/'));
        std::string p = _FindInFolder(hostDir, object);
        if (!p.empty())
            paths.push_back(p);
        p = _FindInFolder(PlatGetProgramDir(), object);
        if (!p.empty())
            paths.push_back(p);
    } else {
        // Beside the program, then beside the platform's libraries (an
        // installed tree keeps the programs in bin/, the libraries in lib/).
        std::string p = _FindInFolder(PlatGetProgramDir(), object);
        if (!p.empty())
            paths.push_back(p);
        p = _FindInFolder(_KernelDir(), object);
        if (!p.empty() && std::find(paths.begin(), paths.end(), p) == paths.end())
            paths.push_back(p);
        p = _FindInFolder(PlatHostPath(SYS_SYSTEM_DIR), object);
        if (!p.empty())
            paths.push_back(p);
    }
}

// The shared object of a platform module name; null for any other module.
const char* _SystemObject(const std::u16string& name)
{
    std::u16string base = _WithExtension(_BaseName(name));
    for (const SYSMODULE& s : kSystemModules)
        if (lstrcmpiW(s.pszName, base.c_str()) == 0)
            return s.pszObject;
    return nullptr;
}

// The module's entry point, when the module itself (not one it depends
// on) defines one.
PFN_DLLMAIN _EntryPoint(void* pDl)
{
    struct link_map* lm = nullptr;
    if (dlinfo(pDl, RTLD_DI_LINKMAP, &lm) != 0 || !lm)
        return nullptr;
    static const char* const names[] = {"DllMain", "DllEntryPoint", "DllInitialize"};
    for (const char* n : names) {
        void* sym = dlsym(pDl, n);
        Dl_info info;
        if (sym && dladdr(sym, &info) && info.dli_fbase &&
            reinterpret_cast<ElfW(Addr)>(info.dli_fbase) == lm->l_addr)
            return reinterpret_cast<PFN_DLLMAIN>(sym);
    }
    return nullptr;
}

MODREC* _Valid(HMODULE h)
{
    MODREC* p = reinterpret_cast<MODREC*>(h);
    return g_modules.count(p) ? p : nullptr;
}

std::u16string _ProgramPath()
{
    if (!g_programPath.empty())
        return g_programPath;
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    std::string exe = n > 0 ? std::string(buf, (size_t)n) : std::string("program");
    exe = exe.substr(exe.rfind('/') + 1);
    return std::u16string(SYS_SYSTEM_DIR) + u"\\" + SysUtf16(exe) + u".exe";
}

}  // namespace

HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags)
{
    if (!lpLibFileName || !*lpLibFileName || hFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::string> paths;
    std::u16string winPath;
    _Candidates(lpLibFileName, paths, winPath);

    std::lock_guard<std::recursive_mutex> lock(g_modLock);
    void* pDl = nullptr;
    bool bFound = false;
    if (const char* pszObject = _SystemObject(lpLibFileName))
        pDl = _LoadedObject(pszObject);
    else
        _LoadPlatformObjects();
    for (const std::string& p : paths) {
        if (pDl)
            break;
        pDl = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (pDl)
            break;
        if (p.find('/') != std::string::npos)
            bFound = true;
        if (getenv("Q730_DEBUG"))
            fprintf(stderr, "LoadLibrary: %s\n", dlerror());
    }
    if (!pDl) {
        SetLastError(bFound ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    for (MODREC* m : g_modules) {
        if (m->pDl == pDl) {
            dlclose(pDl);  // the record keeps its one reference
            ++m->cUses;
            return reinterpret_cast<HMODULE>(m);
        }
    }
    MODREC* m = new (std::nothrow) MODREC{pDl, winPath, 1, nullptr};
    if (!m) {
        dlclose(pDl);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    g_modules.insert(m);
    if (!(dwFlags & (DONT_RESOLVE_DLL_REFERENCES | LOAD_LIBRARY_AS_DATAFILE))) {
        PFN_DLLMAIN pfn = _EntryPoint(pDl);
        if (pfn && !pfn(reinterpret_cast<HINSTANCE>(m), DLL_PROCESS_ATTACH, nullptr)) {
            g_modules.erase(m);
            dlclose(pDl);
            delete m;
            SetLastError(ERROR_DLL_INIT_FAILED);
            return nullptr;
        }
        m->pfnMain = pfn;
    }
    return reinterpret_cast<HMODULE>(m);
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName)
{
    return LoadLibraryExW(lpLibFileName, nullptr, 0);
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    std::lock_guard<std::recursive_mutex> lock(g_modLock);
    MODREC* m = _Valid(hLibModule);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (m == g_pProgram || --m->cUses > 0)
        return TRUE;
    if (m->pfnMain)
        m->pfnMain(reinterpret_cast<HINSTANCE>(m), DLL_PROCESS_DETACH, nullptr);
    PlatForgetResources(hLibModule);
    g_modules.erase(m);
    dlclose(m->pDl);
    delete m;
    return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    std::lock_guard<std::recursive_mutex> lock(g_modLock);
    MODREC* m = _Valid(hModule);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpProcName || IS_INTRESOURCE(lpProcName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* sym = dlsym(m->pDl, lpProcName);
    if (!sym) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(sym);
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName)
{
    std::lock_guard<std::recursive_mutex> lock(g_modLock);
    if (!lpModuleName) {
        if (!g_pProgram) {
            g_pProgram = new (std::nothrow) MODREC{dlopen(nullptr, RTLD_NOW), std::u16string(), 1, nullptr};
            if (!g_pProgram) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return nullptr;
            }
            g_modules.insert(g_pProgram);
        }
        return reinterpret_cast<HMODULE>(g_pProgram);
    }
    std::u16string name(lpModuleName);
    bool bHasFolder = name.find_first_of(u"\\/:") != std::u16string::npos;
    std::u16string base = _WithExtension(_BaseName(name));
    for (MODREC* m : g_modules) {
        if (m == g_pProgram)
            continue;
        bool bMatch = bHasFolder ? lstrcmpiW(m->winPath.c_str(), name.c_str()) == 0
                                 : lstrcmpiW(_BaseName(m->winPath).c_str(), base.c_str()) == 0;
        if (bMatch)
            return reinterpret_cast<HMODULE>(m);
    }
    // A platform module is part of every process that runs on the
    // platform, as the system's are: it gets its record on first asking,
    // and keeps the use taken for it as long as the process.
    if (const char* pszObject = bHasFolder ? nullptr : _SystemObject(name)) {
        if (void* pDl = _LoadedObject(pszObject)) {
            dlclose(pDl);
            HMODULE h = LoadLibraryExW(base.c_str(), nullptr, 0);
            if (h)
                return h;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize)
{
    std::u16string path;
    {
        std::lock_guard<std::recursive_mutex> lock(g_modLock);
        if (!hModule || reinterpret_cast<MODREC*>(hModule) == g_pProgram) {
            path = _ProgramPath();
        } else {
            MODREC* m = _Valid(hModule);
            if (!m) {
                SetLastError(ERROR_MOD_NOT_FOUND);
                return 0;
            }
            path = m->winPath;
        }
    }
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < nSize) {
        std::copy(path.begin(), path.end(), lpFilename);
        lpFilename[path.size()] = 0;
        SetLastError(NO_ERROR);
        return (DWORD)path.size();
    }
    // Cut and still terminated, so no caller reads past the buffer.
    std::copy(path.begin(), path.begin() + (nSize - 1), lpFilename);
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
}

const char* PlatGetLibraryDir()
{
    static const std::string s_dir = [] {
        std::string dir = _KernelDir();
        return dir.empty() ? std::string(PlatGetProgramDir()) : dir;
    }();
    return s_dir.c_str();
}

void PlatSetProgramPath(LPCWSTR pszWinPath)
{
    std::lock_guard<std::recursive_mutex> lock(g_modLock);
    g_programPath = SysWide(pszWinPath);
}

BOOL DisableThreadLibraryCalls(HMODULE hLibModule)
{
    std::lock_guard<std::recursive_mutex> lock(g_modLock);
    if (!_Valid(hLibModule)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

void* PlatModuleHostHandle(HMODULE hModule)
{
    std::lock_guard<std::recursive_mutex> lock(g_modLock);
    MODREC* m = _Valid(hModule);
    return m ? m->pDl : nullptr;
}
