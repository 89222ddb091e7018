// kernel.h: per-thread last error and critical sections.
#pragma once

#include "platform/windef.h"

#include <string>

extern "C" {

// The calling thread's last error code.
void SetLastError(DWORD dwErrCode);
DWORD GetLastError();

// The text of a system error code: FORMAT_MESSAGE_FROM_SYSTEM with
// FORMAT_MESSAGE_IGNORE_INSERTS (the only form the platform knows; no
// source, no arguments, any language) writes the code's sentence, ending in
// CR LF, into lpBuffer of nSize characters and answers its length without
// the terminator; 0 with ERROR_MR_MID_NOT_FOUND for a code it has no text
// for, ERROR_INSUFFICIENT_BUFFER when the buffer is too small, and
// ERROR_INVALID_PARAMETER for any other form.
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, void* Arguments);

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
