// splutil.h: helpers shared by the spooler's files (inside platform/spooler).
#pragma once

#include "platform/windef.h"

#include <string>

// Creates a folder and every missing folder above it. pszPath (in) is a
// Windows path ("C:\a\b") or an absolute host path. TRUE when the folder
// exists afterwards.
BOOL SplMakeFolders(LPCWSTR pszPath);

// A host path (UTF-8) as a path the file calls take (UTF-16).
std::u16string SplFromHostPath(const char* pszHostPath);

// The access a printer handle was opened with (PRINTER_ACCESS_*); 0 for a
// bad handle.
DWORD SplHandleAccess(HANDLE hPrinter);
