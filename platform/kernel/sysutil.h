// sysutil.h: helpers shared by the kernel's file, profile, system and module
// code. Internal to the kernel library; not part of the platform's calls.
#pragma once

#include "platform/windef.h"

#include <string>

// UTF-16 <-> UTF-8 for host paths and log text (null gives "").
std::string SysUtf8(LPCWSTR psz);
std::string SysUtf8(const std::u16string& s);
std::u16string SysUtf16(const std::string& s);

// A null-safe copy of a wide string.
std::u16string SysWide(LPCWSTR psz);

// Copies s into a caller's buffer of cch units with the platform's usual
// size rule: the length without terminator when it fits, else the size
// needed with the terminator (nothing written).
DWORD SysCopyOut(const std::u16string& s, LPWSTR pBuf, DWORD cch);

// Sets the last error for a failed host call (errno e) on hostPath: a
// missing parent folder gives ERROR_PATH_NOT_FOUND rather than
// ERROR_FILE_NOT_FOUND.
void SysSetErrno(int e, const std::string& hostPath);

// Creates a host folder and its parents.
void SysMakeDirs(const std::string& hostPath);

// The host path of the entry of host folder hostDir whose name equals name
// without regard to case (the exact spelling first); "" when there is none.
std::string SysFindInFolder(const std::string& hostDir, const std::string& name);

// Tells the path mapping that the platform created, renamed or removed the
// host file or folder hostPath, so it forgets what it knew of its name.
void SysPathChanged(const std::string& hostPath);

// The fixed folders of this machine, as Windows paths.
#define SYS_WINDOWS_DIR u"C:\\WINDOWS"
#define SYS_SYSTEM_DIR u"C:\\WINDOWS\\system32"
#define SYS_TEMP_DIR u"C:\\WINDOWS\\TEMP\\"
