// files.h: files, folders and temporary files of the platform kernel.
//
// Owns: CreateFileW and the calls on file handles, the path calls
// (attributes, copy, move, delete, folders, search), the temporary folder
// and temporary names, and the mapping of Windows paths into the root
// (PlatHostPath, declared in kernel.h).
//
// Rules the callers rely on:
//  1. Paths: "C:\X\y" lives at <root>/c/X/y; each existing component is
//     matched without regard to case, so "c:\windows\TEMP" reaches the
//     folder "WINDOWS/TEMP". "\\?\" prefixes are dropped, "/" and "\" are
//     both separators, "." and ".." are resolved (never above the drive), a
//     path without a drive is taken from C:\, and a host path that starts
//     with "/" stands for itself.
//  2. Share modes are honoured between the open handles of this process: an
//     open whose access the others do not share, or whose share mode does
//     not allow what the others do, fails with ERROR_SHARING_VIOLATION. An
//     open with access 0 (attributes only) never conflicts. DeleteFileW and
//     MoveFileW of an open file need FILE_SHARE_DELETE.
//  3. FILE_ATTRIBUTE_READONLY is the host file's write permission and is
//     enforced here (also for a process running as root). A folder whose
//     host permissions allow no writing refuses new files.
//  4. Failures return the platform's value (FALSE, INVALID_HANDLE_VALUE,
//     INVALID_FILE_SIZE, ...) with the last error set; bad handles and null
//     pointers never crash.
#pragma once

#include "platform/windef.h"
#include "platform/kernel/handles.h"

#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define GENERIC_EXECUTE 0x20000000UL
#define GENERIC_ALL 0x10000000UL
#define DELETE 0x00010000UL
#define FILE_READ_DATA 0x0001
#define FILE_WRITE_DATA 0x0002
#define FILE_APPEND_DATA 0x0004
#define FILE_READ_ATTRIBUTES 0x0080
#define FILE_WRITE_ATTRIBUTES 0x0100

#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

#define FILE_FLAG_WRITE_THROUGH 0x80000000UL
#define FILE_FLAG_OVERLAPPED 0x40000000UL
#define FILE_FLAG_NO_BUFFERING 0x20000000UL
#define FILE_FLAG_RANDOM_ACCESS 0x10000000UL
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000UL
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000UL
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000UL

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_WRITE_THROUGH 0x00000008

#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131L
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267L
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif

// Accepted and ignored: this platform has one user. The record itself is
// declared with the registry calls.
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#ifndef Q730_OVERLAPPED_DEFINED
#define Q730_OVERLAPPED_DEFINED
// Only Offset/OffsetHigh are used: a read or write at that position.
struct OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
typedef OVERLAPPED* LPOVERLAPPED;
#endif

#pragma pack(push, 1)

// What GetFileInformationByHandle answers, 52 bytes.
//
//  off size field
//    0    4 dwFileAttributes
//    4    8 ftCreationTime
//   12    8 ftLastAccessTime
//   20    8 ftLastWriteTime
//   28    4 dwVolumeSerialNumber
//   32    4 nFileSizeHigh
//   36    4 nFileSizeLow
//   40    4 nNumberOfLinks
//   44    4 nFileIndexHigh
//   48    4 nFileIndexLow
struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;

// One search result, 592 bytes.
//
//  off size field
//    0    4 dwFileAttributes
//    4    8 ftCreationTime
//   12    8 ftLastAccessTime
//   20    8 ftLastWriteTime
//   28    4 nFileSizeHigh
//   32    4 nFileSizeLow
//   36    4 dwReserved0
//   40    4 dwReserved1
//   44  520 cFileName[260]
//  564   28 cAlternateFileName[14]
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;
typedef WIN32_FIND_DATAW* PWIN32_FIND_DATAW;

#pragma pack(pop)

static_assert(sizeof(BY_HANDLE_FILE_INFORMATION) == 52);
static_assert(offsetof(BY_HANDLE_FILE_INFORMATION, ftLastWriteTime) == 20);
static_assert(offsetof(BY_HANDLE_FILE_INFORMATION, nFileSizeLow) == 36);
static_assert(offsetof(BY_HANDLE_FILE_INFORMATION, nFileIndexLow) == 48);
static_assert(sizeof(WIN32_FIND_DATAW) == 592);
static_assert(offsetof(WIN32_FIND_DATAW, nFileSizeLow) == 32);
static_assert(offsetof(WIN32_FIND_DATAW, cFileName) == 44);
static_assert(offsetof(WIN32_FIND_DATAW, cAlternateFileName) == 564);

// Platform calls keep C names, so GetProcAddress finds them.
extern "C" {

// Opens or creates a file (or, with FILE_FLAG_BACKUP_SEMANTICS, a folder).
//  lpFileName             in  Windows or host path
//  dwDesiredAccess        in  GENERIC_READ / GENERIC_WRITE / DELETE or 0
//  dwShareMode            in  FILE_SHARE_* the caller allows others
//  lpSecurityAttributes   in  ignored
//  dwCreationDisposition  in  CREATE_NEW .. TRUNCATE_EXISTING
//  dwFlagsAndAttributes   in  FILE_ATTRIBUTE_* for a new file, FILE_FLAG_*
//  hTemplateFile          in  ignored
// Returns the handle, or INVALID_HANDLE_VALUE with the last error. On
// success CREATE_ALWAYS and OPEN_ALWAYS set ERROR_ALREADY_EXISTS when the
// file was there, else 0.
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Reads up to nNumberOfBytesToRead into lpBuffer (out); *lpNumberOfBytesRead
// (out) is 0 at the end of the file. With lpOverlapped the read starts at
// its offset.
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
              LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);

// Writes all nNumberOfBytesToWrite bytes of lpBuffer (in); a short write
// (disk full) sets ERROR_DISK_FULL and returns FALSE with the count written.
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);

// Makes the n-th WriteFile from now (1 = the next one) fail as on a full
// disk: with bShort it writes the first half of the bytes before failing,
// else nothing. 0 turns the switch off; it fires once.
void PlatFailWriteFile(LONG n, BOOL bShort);

// Moves the file pointer. Returns the low 32 bits of the new position (the
// high ones in *lpDistanceToMoveHigh when given), INVALID_SET_FILE_POINTER
// with the last error on failure (ERROR_NEGATIVE_SEEK before the start).
DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                     DWORD dwMoveMethod);

// Cuts or extends the file at the file pointer.
BOOL SetEndOfFile(HANDLE hFile);
BOOL FlushFileBuffers(HANDLE hFile);

// Low 32 bits of the size (high ones in *lpFileSizeHigh when given);
// INVALID_FILE_SIZE with the last error for a bad handle.
DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);

BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation);

// Attributes of a file or folder; INVALID_FILE_ATTRIBUTES with
// ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when missing. Files answer at
// least FILE_ATTRIBUTE_ARCHIVE unless attributes were set otherwise.
DWORD GetFileAttributesW(LPCWSTR lpFileName);
// READONLY changes the host permission; HIDDEN, SYSTEM, ARCHIVE and
// TEMPORARY are kept by this process for the path.
BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes);

// Deletes a file; ERROR_ACCESS_DENIED for a read-only file or a folder,
// ERROR_SHARING_VIOLATION when it is open without FILE_SHARE_DELETE.
BOOL DeleteFileW(LPCWSTR lpFileName);

// Copies contents and attributes (read-only included). With bFailIfExists an
// existing target gives ERROR_FILE_EXISTS; a read-only target gives
// ERROR_ACCESS_DENIED.
BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);

// Renames a file or folder; an existing target gives ERROR_ALREADY_EXISTS
// unless MOVEFILE_REPLACE_EXISTING (files only).
BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName);
BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);

// One folder level; ERROR_ALREADY_EXISTS or ERROR_PATH_NOT_FOUND.
BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
// An empty folder; ERROR_DIR_NOT_EMPTY, ERROR_DIRECTORY for a file.
BOOL RemoveDirectoryW(LPCWSTR lpPathName);

// Searches a folder for names matching the last component of lpFileName,
// with "*" and "?" and without regard to case ("*.*" also matches names
// without a dot). Results come in name order, "." and ".." first as the
// platform gives them. INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND
// (nothing matches) or ERROR_PATH_NOT_FOUND (no folder).
HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
// FALSE with ERROR_NO_MORE_FILES after the last match.
BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

// "C:\WINDOWS\TEMP\" (the folder is created in the root). Returns its length
// without the terminator, or the size needed with the terminator when
// nBufferLength is too small (nothing written).
DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);

// Forms lpPathName\<first three characters of the prefix><4 hex digits>.TMP
// in lpTempFileName (out, MAX_PATH units). With uUnique 0 it picks an unused
// number, creates the empty file and returns the number; otherwise it only
// forms the name and returns uUnique. 0 with the last error on failure.
UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique,
                      LPWSTR lpTempFileName);

// The full Windows form of lpFileName (drive, backslashes, "." and ".."
// resolved; relative names taken from C:\). Returns the length without the
// terminator, or the size needed with it when nBufferLength is too small.
// *lpFilePart (out, may be null) points at the last component in lpBuffer,
// or is null when the path ends in a backslash.
DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart);

}  // extern "C"
