// registry.h: the registry of this machine (the ADVAPI32 registry calls).
//
// Owns: the predefined root keys, the key handles, the Reg* calls the driver
// and the spooler use, and the test hook that denies access to a key.
// Leaves to others: printer data (winspool.h keeps it under
// HKEY_LOCAL_MACHINE through these same calls).
//
// Rules the callers rely on:
//  1. The whole registry is one SQLite database, <root>/registry.db. Every
//     call that changes it is one committed transaction, so a change that
//     returned ERROR_SUCCESS is seen at once by every other process that
//     uses the same root, and survives a crash.
//  2. Key and value names are compared without regard to case and kept as
//     they were first written.
//  3. A value keeps its type and its exact bytes. Nothing is added on
//     reading: a REG_SZ stored without a terminator comes back without one.
//  4. Data is never copied past the caller's buffer: a buffer that is too
//     small gives ERROR_MORE_DATA and the needed size.
//  5. A database file that is not a registry (corrupt, foreign) gives
//     ERROR_BADDB, one that cannot be opened or created ERROR_CANTOPEN; it is
//     never repaired or replaced behind the user's back. A missing file is
//     created empty.
//  6. Subkeys enumerate in the order of their names (case-folded); values in
//     the order they were first written.
//
// The functions return a Windows error code (LONG), ERROR_SUCCESS on success,
// and leave the thread's last error alone, as the platform does.
#pragma once

#include "platform/windef.h"

typedef DWORD REGSAM;
typedef DWORD ACCESS_MASK;

// Predefined root keys.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003u)

// Value types.
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11

// Access rights.
#define DELETE 0x00010000UL
#ifndef READ_CONTROL
#define READ_CONTROL 0x00020000L
#endif
#ifndef SYNCHRONIZE
#define SYNCHRONIZE 0x00100000L
#endif
#ifndef STANDARD_RIGHTS_REQUIRED
#define STANDARD_RIGHTS_REQUIRED 0x000F0000L
#endif
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x00020019L
#define KEY_WRITE 0x00020006L
#define KEY_EXECUTE KEY_READ
#define KEY_ALL_ACCESS 0x000F003FL
#define MAXIMUM_ALLOWED 0x02000000L

// RegCreateKeyExW options and dispositions.
#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_VOLATILE 0x00000001L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#ifndef ERROR_NOACCESS
#define ERROR_NOACCESS 998L
#endif

// The limits the platform puts on names, in characters without terminator.
#define REG_MAX_KEY_NAME 255
#define REG_MAX_VALUE_NAME 16383

// Security attributes are accepted and ignored; the record is opaque here.
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// Opens or creates hKey\lpSubKey with every missing key on the way.
//  hKey                  in   an open key or a root
//  lpSubKey              in   path below it ("a\b"); null or empty: hKey itself
//  Reserved, lpClass     in   ignored
//  dwOptions             in   REG_OPTION_* (a volatile key is kept like any other)
//  samDesired            in   KEY_* rights of the new handle
//  lpSecurityAttributes  in   ignored
//  phkResult             out  the new handle (close with RegCloseKey)
//  lpdwDisposition       out  REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY (may be null)
LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);

// Opens hKey\lpSubKey; ERROR_FILE_NOT_FOUND when it does not exist.
//  hKey        in   an open key or a root
//  lpSubKey    in   path below it; null or empty: a new handle to hKey
//  ulOptions   in   ignored
//  samDesired  in   KEY_* rights of the new handle
//  phkResult   out  the new handle
LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

// Closes a handle (closing a root key is allowed and does nothing).
LONG RegCloseKey(HKEY hKey);

// Every change is already committed; this only checks the handle.
LONG RegFlushKey(HKEY hKey);

// Reads one value.
//  hKey         in      an open key with KEY_QUERY_VALUE
//  lpValueName  in      the name; null or empty: the key's default value
//  lpReserved   in      ignored
//  lpType       out     the type (may be null)
//  lpData       out     the bytes (may be null to ask for the size)
//  lpcbData     in/out  in: the buffer size in bytes; out: the value's size.
//                       May be null only when lpData is null.
// ERROR_MORE_DATA when lpData is given and too small (nothing is copied);
// ERROR_FILE_NOT_FOUND when the value does not exist.
LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);

// Writes one value, replacing any value of the same name (and its type).
//  hKey         in  an open key with KEY_SET_VALUE
//  lpValueName  in  the name; null or empty: the default value
//  Reserved     in  ignored
//  dwType       in  REG_* type, stored as given
//  lpData       in  the bytes (null only with cbData 0)
//  cbData       in  their count, stored exactly (a REG_SZ counts its terminator)
LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);

// Deletes one value; ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);

// Deletes the key hKey\lpSubKey and its values. A key that has subkeys is
// not deleted (ERROR_ACCESS_DENIED), nor is a root. Handles still open on the
// deleted key then fail with ERROR_KEY_DELETED.
LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);

// The name of subkey number dwIndex (0-based, name order).
//  lpName     out     the name, terminated
//  lpcchName  in/out  in: the buffer size in characters with the terminator;
//                     out: the name's length without it
//  lpClass, lpcchClass  out  an empty class (may be null)
//  lpftLastWriteTime    out  the key's last change (may be null)
// ERROR_NO_MORE_ITEMS past the last key; ERROR_MORE_DATA when the buffer is
// too small (nothing is copied).
LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPWSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime);

// Name, type and data of value number dwIndex (0-based, order of writing).
//  lpValueName     out     the name, terminated
//  lpcchValueName  in/out  as lpcchName above
//  lpType          out     may be null
//  lpData          out     may be null (then only the size is returned)
//  lpcbData        in/out  as in RegQueryValueExW
// ERROR_NO_MORE_ITEMS past the last value; ERROR_MORE_DATA when the name or
// the data does not fit (nothing is copied; the sizes are returned).
LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// Counts and largest sizes of a key. Every output may be null. Name lengths
// are in characters without the terminator, data sizes in bytes. The class
// is always empty and no security descriptor is kept (size 0).
LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                      LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                      LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                      LPDWORD lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime);

// Test hook: from now on, in this process, the key root\lpSubKey (which need
// not exist yet) refuses with ERROR_ACCESS_DENIED to be deleted, to be opened
// or created with any right that changes it, and to have its values set or
// deleted, as a key owned by an administrator does for an ordinary user.
// bDeny FALSE lifts the denial; PlatRegClearDenials lifts all of them.
void PlatRegDenyAccess(HKEY hRoot, LPCWSTR lpSubKey, BOOL bDeny);
void PlatRegClearDenials();
