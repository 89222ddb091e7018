// strcache.h: the resource library and the string cache.
//
// Owns: the process-wide binding of the resource library Q730MVT3 with its
// use count, and the cache of texts fetched from it by string id
// (20000..64000). Every user-visible text of the driver passes through
// GetResString.
//
// Rules:
//   1. A text pointer stays valid until the last FreeResourceDll: the cache
//      grows by adding storage, never by moving what it holds, so two texts
//      fetched for one wsprintfW are both good.
//   2. Each id is loaded from the library at most once per cache lifetime.
//   3. A FreeResourceDll without a matching load is ignored; the library and
//      the cache go at the last use.
//   4. The state is guarded by one lock: the spooler and GDI call in on
//      threads of their own.
#pragma once

#include "platform/windows.h"

#define RESSTR_FIRST 20000
#define RESSTR_LAST 64000
#define RESSTR_NEVER 21200           // never shown: always the empty text
#define RESSTR_MAXCHARS 1000         // texts this long or longer are not used
#define RESSTR_INITIAL_BYTES 102400  // first text storage
#define RESSTR_GROW_STEP 1024        // storage grows in these steps

// Full path of the resource library: the system directory,
// this build's driver folder (SPL_DRIVER_SUBDIRECTORY) and "Q730MVT3.DLL". FALSE when it does not fit.
BOOL GetResourceDllPath(LPWSTR pszPath, UINT cchPath);

// Adds one use; loads the library (and makes the cache) when nothing is
// bound yet. Returns the module, null when the library is missing.
HMODULE LoadResourceDll();
// Drops one use; at the last use frees the library and the cache.
void FreeResourceDll();
// The bound module (null when none), without adding a use.
HMODULE GetResourceDllHandle();
// Makes the empty cache; TRUE when it exists afterwards.
BOOL AllocStringCache();

// The text of a string id; never null (the empty text when the id is out of
// range, is RESSTR_NEVER, the library is not bound or has no such text, the
// text has RESSTR_MAXCHARS characters or more, or memory runs out).
LPCWSTR GetResString(UINT uId);
// TRUE when the library is bound and holds a non-empty text for the id.
BOOL bResStringExists(UINT uId);

// Bitmaps, cursors and icons of a module (callers pass the resource
// library's handle and MAKEINTRESOURCEW(id)).
HBITMAP LoadResBitmap(HMODULE hModule, LPCWSTR pszName);
HCURSOR LoadResCursor(HMODULE hModule, LPCWSTR pszName);
HICON LoadResIcon(HMODULE hModule, LPCWSTR pszName);

// Plain platform calls.
HMODULE OsLoadLibrary(LPCWSTR pszFile);
BOOL OsFreeLibrary(HMODULE hModule);
int OsLoadString(HMODULE hModule, UINT uId, LPWSTR pszBuffer, int cchBuffer);

// Root of the per-user registry keys (HKEY_CURRENT_USER).
HKEY hkeyUserRoot();

// Test support: how many times the cache asked the library for a text, and
// a replacement for LoadStringW behind the cache (null restores it).
LONG StringCacheLoadCount();
typedef int (*PFN_STRINGLOADER)(HMODULE hModule, UINT uId, LPWSTR pszBuffer, int cchBuffer);
void StringCacheSetLoader(PFN_STRINGLOADER pfnLoader);
