// shlobj.h: the shell's folder lookup (SHFOLDER.DLL / SHELL32.DLL).
//
// Owns: SHGetFolderPathW with the CSIDL values the driver asks for, and the
// test support that makes the lookup fail (shellfolder.cpp). The folders
// are Windows paths inside the root; the documents folder depends on the
// system version, as on the real systems, and exists once asked for.
#pragma once

#include "platform/windef.h"

typedef LONG HRESULT;
#ifndef S_OK
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#endif

#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

extern "C" {

// The path of folder csidl (in) into pszPath (out, MAX_PATH characters).
// S_OK with the path; E_INVALIDARG for a folder this machine does not
// know or a null buffer (pszPath gets "" when it is given); the failure
// set by PlatShellFailFolder.
//  hwnd, hToken  in  unused (no owner, the current user)
//  dwFlags       in  SHGFP_TYPE_CURRENT or SHGFP_TYPE_DEFAULT: the same here
HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);

// Test support: the next lookups answer hr (a failure code) until set back
// to S_OK.
void PlatShellFailFolder(HRESULT hr);

}  // extern "C"
