// modules.h: loading the driver's and the platform's modules.
//
// Owns: LoadLibraryW and its family over the host loader, and the mapping
// of Windows module names onto shared objects.
//
// Rules the callers rely on:
//  1. "NAME.DLL" (any extension; none means ".DLL") is the shared object
//     lib<NAME>.so. With a folder in the name it is looked for (without
//     regard to case) in that folder mapped into the root, then beside the
//     running program; a bare name is looked for beside the program, then
//     beside the platform's libraries, then in the system folder. A file at
//     the mapped path that is itself a shared object is loaded as it is.
//  2. The platform's own modules (KERNEL32.DLL, ADVAPI32.DLL, WINSPOOL.DRV,
//     GDI32.DLL, COMCTL32.DLL, COMDLG32.DLL, SHFOLDER.DLL, HHCTRL.OCX, ...)
//     are its shared objects libq730kernel.so, libq730advapi.so,
//     libq730gdi.so, libq730user.so and libq730comctl.so: the copy the
//     process holds already, else the one in the platform's own folder
//     (PlatGetLibraryDir). A process holds one copy of each: before the
//     first other module is loaded, every one of them is, from that folder,
//     so a driver module in a folder of the root that needs them is given
//     these.
//  3. Loading a module that is loaded already gives the same handle and
//     counts one more use; FreeLibrary unloads at the last use. The
//     module's entry point (DllMain, DllEntryPoint or DllInitialize, C
//     linkage, BOOL (HINSTANCE, DWORD, LPVOID)) is called with
//     DLL_PROCESS_ATTACH at the first load and DLL_PROCESS_DETACH at the
//     last free; FALSE from the attach fails the load
//     (ERROR_DLL_INIT_FAILED).
//  4. A missing module gives null with ERROR_MOD_NOT_FOUND; a missing
//     function gives null with ERROR_PROC_NOT_FOUND.
#pragma once

#include "platform/windef.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008

#ifndef ERROR_DLL_INIT_FAILED
#define ERROR_DLL_INIT_FAILED 1114L
#endif

// A function of any type: callers cast it to the one they expect. Its own
// type is the one the compiler lets be cast to every other without warning.
typedef void (*FARPROC)();
typedef BOOL (*PFN_DLLMAIN)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

// Platform calls keep C names, so GetProcAddress finds them.
extern "C" {

HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
// LOAD_LIBRARY_AS_DATAFILE and DONT_RESOLVE_DLL_REFERENCES load without
// calling the entry point; hFile must be null.
HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
BOOL FreeLibrary(HMODULE hLibModule);

// The exported function or data lpProcName (in) of hModule; an ordinal
// (a value below 0x10000) gives ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// The handle of a loaded module by name (no use counted); null gives the
// running program. A platform module (USER32.DLL, ...) that the process
// holds is found whether or not anything loaded it by name.
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);

// The Windows path the module was loaded by (for a bare name: the system
// folder and the name); the running program (hModule null) answers
// C:\WINDOWS\system32\<program>.exe unless a test sets another path.
// Returns the length copied without the terminator; a path that does not
// fit is cut, terminated, and gives nSize with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

// Sets the Windows path of the running program (for example
// "C:\Program Files\Office\EXCEL.EXE"); null returns to the default.
void PlatSetProgramPath(LPCWSTR pszWinPath);

BOOL DisableThreadLibraryCalls(HMODULE hLibModule);

// The host loader's handle (dlopen) of a module, for platform code that
// reads a module's data; null for a bad handle.
void* PlatModuleHostHandle(HMODULE hModule);

}  // extern "C"
