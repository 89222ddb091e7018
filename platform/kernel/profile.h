// profile.h: the private profile (INI file) calls of the platform kernel.
//
// Owns: reading and writing "[section]" / "key=value" files.
//
// Rules the callers rely on:
//  1. A file is 8-bit text in the ANSI code page with CR LF line ends,
//     unless it begins with the UTF-16LE byte-order mark FF FE: then it is
//     read and rewritten as UTF-16LE with the mark. A new file is 8-bit.
//  2. Section and key names match without regard to case and keep the case
//     they were first written with. Blanks around names and values are
//     dropped when reading; one pair of matching quotes around a value is
//     dropped too. A value is written as "key=value" with no blanks added.
//  3. A file name without a folder lives in the Windows folder (C:\WINDOWS).
//  4. Writes are kept in memory and reach the file whole, through a
//     temporary file and a rename, at the flush call (all three names null),
//     before any other file call touches the path (open, copy, move,
//     delete, attributes) and at process end; a failure leaves the old file
//     intact. A read-only file or folder makes the write itself fail (FALSE,
//     ERROR_ACCESS_DENIED).
//  6. A section, key or value holding CR or LF is refused (FALSE,
//     ERROR_INVALID_PARAMETER): it would read back as other lines.
//  5. Lists (section names, key names, sections) are strings that each end
//     in a NUL, with one more NUL after the last. A list that does not fit is
//     cut, ends in two NULs, and the call answers nSize - 2.
#pragma once

#include "platform/windef.h"

// Platform calls keep C names, so GetProcAddress finds them.
extern "C" {

// Copies the value of lpKeyName in lpAppName (or lpDefault, "" when null,
// with trailing blanks dropped) into lpReturnedString (out, nSize units).
// A null lpAppName lists the section names, a null lpKeyName the key names
// of the section (rule 5). A value that does not fit is cut to nSize - 1
// units and terminated; the result is the count copied without the
// terminator. A missing file gives the default and ERROR_FILE_NOT_FOUND.
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);

// The value as a decimal integer (blanks, then an optional sign and digits;
// "0x" introduces hexadecimal digits); nDefault when the key is missing; 0
// for a value that does not start with a number.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);

// Sets lpKeyName of lpAppName to lpString (the key is added at the end of
// its section, the section at the end of the file). A null lpString deletes
// the key, a null lpKeyName deletes the whole section (TRUE also when it
// is not there). Section, key and value null: writes out the kept changes
// of lpFileName (of every file when it is null too); FALSE when that write
// fails.
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                LPCWSTR lpFileName);

// The lines of a section as "key=value" strings (rule 5).
DWORD GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                LPCWSTR lpFileName);

// Replaces all lines of a section with lpString ("key=value" strings, each
// NUL-terminated, one more NUL at the end); the section is added when
// missing. A null lpString deletes the section.
BOOL WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName);

// The section names (rule 5).
DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName);

}  // extern "C"

#include <string>

// Writes out the kept changes of the profile file at host path host, so
// that a file call sees it whole. TRUE when nothing was pending.
BOOL PlatProfileFlushHost(const std::string& host);
// Drops the cached lines of the profile file at host path host once the
// file is gone (deleted), so that they hold no memory until the cache
// would trim them.
void PlatProfileForgetHost(const std::string& host);
