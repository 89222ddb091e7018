// kernel.h: per-thread last error and critical sections.
#pragma once

#include "platform/windef.h"

#include <string>

extern "C" {

// The calling thread's last error code.
void SetLastError(DWORD dwErrCode);
DWORD GetLastError();

// A critical section is a recursive lock; the record keeps the platform's
// name and is opaque to its users.
struct CRITICAL_SECTION {
    void* pImpl;      // the lock, made by InitializeCriticalSection
    LONG cRecursion;  // times the owner entered it
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION pcs);
void EnterCriticalSection(LPCRITICAL_SECTION pcs);
void LeaveCriticalSection(LPCRITICAL_SECTION pcs);
void DeleteCriticalSection(LPCRITICAL_SECTION pcs);

}  // extern "C"

// Host path (UTF-8) of a Windows path: "C:\WINDOWS\x.ini" becomes
// "<root>/c/WINDOWS/x.ini", matching existing folders and files without regard
// to case; a relative path is taken from <root>/c. An absolute host path
// ("/tmp/out.prn") stands for itself. Returns an empty string for a null
// or unmappable path.
std::string PlatHostPath(LPCWSTR pszWinPath);
