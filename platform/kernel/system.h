// system.h: system information, time, processes and the debug log.
//
// Owns: the Windows and system folders, the reported OS version, user and
// computer names, clocks, process and thread ids, and the debug log that
// OutputDebugString and DbgPrint write into.
//
// Rules the callers rely on:
//  1. Folder calls answer the length without the terminator, or the size
//     needed with the terminator when the buffer is too small (nothing is
//     written then). The folders exist in the root after the call.
//  2. The version is NT 5.1 build 2600 unless a test sets another.
//  3. Every debug output call adds one line to the log (a line break is
//     added when the text has none). The log holds UTF-8 and is echoed to
//     stderr when the environment variable Q730_DEBUG is set. It keeps at
//     most 1 MiB: past that, the oldest lines are dropped.
#pragma once

#include "platform/windef.h"

#include <cstdarg>
#include <string>

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
#define VER_NT_WORKSTATION 1

#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif

#define MAX_COMPUTERNAME_LENGTH 15
#define UNLEN 256

#pragma pack(push, 1)

// The version record, 276 bytes.
//
//  off size field
//    0    4 dwOSVersionInfoSize (the caller sets 276)
//    4    4 dwMajorVersion
//    8    4 dwMinorVersion
//   12    4 dwBuildNumber
//   16    4 dwPlatformId
//   20  256 szCSDVersion[128]
struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
typedef OSVERSIONINFOW* LPOSVERSIONINFOW;
typedef OSVERSIONINFOW* POSVERSIONINFOW;

// The extended version record, 284 bytes: the above, then
//
//  off size field
//  276    2 wServicePackMajor
//  278    2 wServicePackMinor
//  280    2 wSuiteMask
//  282    1 wProductType
//  283    1 wReserved
struct OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
typedef OSVERSIONINFOEXW* LPOSVERSIONINFOEXW;

#pragma pack(pop)

static_assert(sizeof(OSVERSIONINFOW) == 276);
static_assert(offsetof(OSVERSIONINFOW, szCSDVersion) == 20);
static_assert(sizeof(OSVERSIONINFOEXW) == 284);
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == 276);
static_assert(offsetof(OSVERSIONINFOEXW, wProductType) == 282);

// Platform calls keep C names, so GetProcAddress finds them.
extern "C" {

// "C:\WINDOWS\system32" and "C:\WINDOWS" (rule 1).
UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);

// Fills an OSVERSIONINFOW or OSVERSIONINFOEXW chosen by its
// dwOSVersionInfoSize (in); another size gives ERROR_INSUFFICIENT_BUFFER.
BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation);
DWORD GetVersion();

// Changes the reported version (for tests and for the behaviour that
// depends on it).
void PlatSetVersion(DWORD dwMajor, DWORD dwMinor, DWORD dwBuild = 2600,
                    DWORD dwPlatformId = VER_PLATFORM_WIN32_NT);

// The user's name: *pcbBuffer (in/out) counts characters with the
// terminator. Too small: FALSE, ERROR_INSUFFICIENT_BUFFER and the size
// needed in *pcbBuffer.
BOOL GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer);
// Replaces the user's name ($USER or the password database); null returns
// to the real one.
void PlatSetUserName(LPCWSTR pszName);

// The machine's name in capitals, at most 15 characters. *lpnSize (in/out):
// characters without the terminator on success; too small gives
// ERROR_BUFFER_OVERFLOW and the size needed with the terminator.
BOOL GetComputerNameW(LPWSTR lpBuffer, LPDWORD lpnSize);

void GetLocalTime(SYSTEMTIME* lpSystemTime);
void GetSystemTime(SYSTEMTIME* lpSystemTime);
// Stops the clock at *pst (local time; the system time is the same, this
// machine keeps UTC); null lets it run again.
void PlatSetLocalTime(const SYSTEMTIME* pst);

// Conversions between FILETIME (100 ns since 1601-01-01 UTC) and SYSTEMTIME.
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime);
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime);
LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);

// Milliseconds since the machine started (wraps after 49.7 days).
DWORD GetTickCount();
void Sleep(DWORD dwMilliseconds);
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();

// Debug output into the log (rule 3). The 8-bit forms take text in the ANSI
// code page; text that is valid UTF-8 is taken as it stands.
void OutputDebugStringW(LPCWSTR lpOutputString);
void OutputDebugStringA(LPCSTR lpOutputString);
// printf-style, 8-bit, with the host C library's conversions (checked by
// the compiler): %ld is the host's long, 64 bits in the native build, so a
// LONG or DWORD goes with %d / %u / %x, a pointer with %p, a SIZE_T with %zu.
// Returns 0 (STATUS_SUCCESS).
ULONG DbgPrint(const char* Format, ...) __attribute__((format(printf, 1, 2)));
// The engine's form: a prefix, then the formatted message.
void EngDebugPrint(const char* StandardPrefix, const char* DebugMessage, va_list ap);

}  // extern "C"

// Everything logged so far, one line per call, UTF-8.
std::string PlatDebugLog();
void PlatClearDebugLog();
