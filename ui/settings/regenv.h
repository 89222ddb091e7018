// regenv.h: registry, printer environment and file helpers.
//
// Owns: the per-user key path of a printer and its "BookMode" key, the
// per-user value and tree helpers, printer-data access, the printer's name
// and driver directory, sibling file names, the host-application test, file
// probes, the OS version test, signed-number parsing and thin wrappers of
// the platform calls the settings code uses.
//
// Per-user key of a printer, under HKEY_CURRENT_USER:
//   Software\OSTREL BRAVINE\ORDEX2 V\OSTREL BRAVINE QX-730J\<printer>[\sub[\sub2]]
// The printer name passes through the ANSI code page (at most 31 bytes,
// whole characters) and back to at most 30 characters; a leading "\\" of a
// network printer is dropped. Paths are at most USERREG_PATH_CCH characters
// with the terminator; a longer path is refused, never cut silently.
#pragma once

#include "platform/windows.h"

#define USERREG_PATH_CCH 520
#define USERREG_NAME_CCH 31         // printer name in the key: 30 + terminator
#define REG_ENUM_NAME_CCH 520
#define BOOKMODE_KEY u"BookMode"

// "ORDEX2 V" and "OSTREL BRAVINE QX-730".
LPCWSTR GetPdlVersionName();
LPCWSTR GetModelDisplayName();

// The prefix up to and including the backslash after the model name.
// pszTarget holds USERREG_PATH_CCH characters.
void BuildUserRegRoot(LPWSTR pszTarget);
// The full per-user key path; subkeys may be null. FALSE (empty target)
// when the path would not fit USERREG_PATH_CCH.
BOOL BuildUserRegPath(LPWSTR pszTarget, LPCWSTR pszPrinter, LPCWSTR pszSubKey, LPCWSTR pszSubKey2);
// The printer name as it enters the key path (USERREG_NAME_CCH characters
// in pszTarget); returns the byte length of its ANSI form.
int ConvertPrinterNameAnsi(LPCWSTR pszPrinter, LPWSTR pszTarget);

// One value under a per-user key path, opened with full access. A REG_SZ
// read is always terminated inside the caller's buffer.
BOOL bQueryUserRegValue(HKEY hRoot, LPCWSTR pszPath, LPDWORD pdwType, LPCWSTR pszValue, PVOID pData, LPDWORD pcbData);
BOOL bSetUserRegValue(HKEY hRoot, LPCWSTR pszPath, DWORD dwType, LPCWSTR pszValue, const void* pData, DWORD cbData);

// Deletes a key tree only when pszPath is the printer's per-user key or
// lies below it (the key followed by "\" or the end of the path).
BOOL bDeleteUserRegTree(HKEY hRoot, LPCWSTR pszPrinter, LPCWSTR pszPath);
// Deletes the subkeys depth-first, then the key. Stops and answers FALSE at
// the first subkey that cannot be deleted.
BOOL DeleteRegTreeRecursive(HKEY hRoot, LPCWSTR pszPath);

// GetPrinterDataW: 0 on success, else the error (non-zero also for a null
// argument or a size of 0).
DWORD bGetPrinterData(HANDLE hPrinter, LPCWSTR pszValue, PVOID pData, DWORD cbData, LPDWORD pcbNeeded);
// SetPrinterDataW: TRUE on success; FALSE for a null name or data or size 0.
BOOL bSetPrinterData(HANDLE hPrinter, LPCWSTR pszValue, const void* pData, DWORD cbData, DWORD dwType);

// The printer driver's directory with its trailing backslash, in a new
// 520-byte block (free it with GlobalFree(GlobalHandle(p)) after
// GlobalUnlock); null on failure or when the driver path has no backslash.
LPWSTR GetDriverDirectory(HANDLE hPrinter);
// The printer's name, at most cch - 1 characters and a terminator.
BOOL QueryPrinterName(HANDLE hPrinter, LPWSTR pszTarget, DWORD cch);

// The host program's file name (the last path component) equals pszName,
// case-insensitively.
BOOL bHostModuleIs(LPCWSTR pszName);
BOOL bHostIsSpreadsheet();

// Creates or opens the printer's "BookMode" key with full access.
BOOL OpenBookModeKey(LPCWSTR pszPrinter, PHKEY phKey, LPDWORD pdwDisposition);

// TRUE when the file opens for reading, or fails only because another
// handle holds it (ERROR_SHARING_VIOLATION).
BOOL bFileExistsOrBusy(LPCWSTR pszFile);
BOOL bFileCanOpen(LPCWSTR pszFile);

BOOL bIsWindowsNT5();

// FALSE when the caption of hwnd's parent ends with resource text 31632
// (its 4 characters) or 31633 (its 5 characters); TRUE otherwise, also
// without a parent or a caption.
BOOL bCaptionMatchesParent(HWND hwnd);

// Value type codes of bParseSignedNumber.
#define PARSE_INT8 1
#define PARSE_INT16 2
#define PARSE_INT16B 4
#define PARSE_INT32 8
#define PARSE_INT32B 16
#define PARSE_UINT32 32
// Decimal digits after any number of "+" and "-" signs (the last sign
// counts). FALSE for an empty text, a lone sign, any other character, or a
// value that does not fit the target type.
BOOL bParseSignedNumber(PVOID pOut, int iType, LPCWSTR pszText);

// Sibling file names: 2 "Q730MVF1" (8-bit), 4 "Q730MVF1.DLL" (8-bit),
// 5 and 6 "Q730MVF1.DLL" (wide), 7 and 8 the empty text, 9 "Q730MVHZ.hlp"
// (wide). Code 6 always replaces the target; the others replace it when
// iMode is 1 and append otherwise. cchTarget is the target's capacity in its
// own characters; FALSE (target unchanged) when the result would not fit or
// the code is unknown.
BOOL GetSiblingFileName(int iCode, PVOID pTarget, DWORD cchTarget, int iMode);

// Thin wrappers.
DWORD OsGetProfileString(LPCWSTR pszApp, LPCWSTR pszKey, LPCWSTR pszDefault, LPWSTR pszOut, DWORD cch, LPCWSTR pszFile);
SHORT OsGetProfileInt(LPCWSTR pszApp, LPCWSTR pszKey, INT iDefault, LPCWSTR pszFile);
BOOL OsWriteProfileString(LPCWSTR pszApp, LPCWSTR pszKey, LPCWSTR pszValue, LPCWSTR pszFile);
BOOL OsCopyFile(LPCWSTR pszFrom, LPCWSTR pszTo, BOOL bFailIfExists);
BOOL OsDeleteFile(LPCWSTR pszFile);
DWORD OsGetFileSize(HANDLE hFile, LPDWORD pdwHigh);
DWORD OsGetFileAttributes(LPCWSTR pszFile);
BOOL OsReadFile(HANDLE hFile, LPVOID pBuffer, DWORD cbRead, LPDWORD pcbRead, LPOVERLAPPED pOverlapped);
HANDLE OsCreateFile(LPCWSTR pszFile, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity, DWORD dwCreation,
                    DWORD dwFlags, HANDLE hTemplate);
BOOL OsCloseHandle(HANDLE h);
LONG OsRegCreateKey(HKEY hKey, LPCWSTR pszSubKey, DWORD dwReserved, LPWSTR pszClass, DWORD dwOptions, REGSAM samDesired,
                    LPSECURITY_ATTRIBUTES pSecurity, PHKEY phResult, LPDWORD pdwDisposition);
LONG OsRegOpenKey(HKEY hKey, LPCWSTR pszSubKey, DWORD dwOptions, REGSAM samDesired, PHKEY phResult);
LONG OsRegCloseKey(HKEY hKey);
LONG OsRegDeleteKey(HKEY hKey, LPCWSTR pszSubKey);
LONG OsRegQueryValue(HKEY hKey, LPCWSTR pszValue, LPDWORD pdwReserved, LPDWORD pdwType, LPBYTE pData, LPDWORD pcbData);
LONG OsRegSetValue(HKEY hKey, LPCWSTR pszValue, DWORD dwReserved, DWORD dwType, const BYTE* pData, DWORD cbData);
