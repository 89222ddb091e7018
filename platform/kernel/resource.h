// resource.h: resources of a loaded module (texts, bitmaps, icons, cursors).
//
// Owns: the resource directory record that a module exports, and the
// resource calls FindResourceW, LoadResource, LockResource, SizeofResource,
// FreeResource and LoadStringW. Leaves to others: turning bitmap, icon and
// cursor resources into GDI objects (platform/gdi/resload.h).
//
// A module that has resources exports one C symbol, PLATRES_SYMBOL, that
// holds a PLATRESDIR. The resource library's build generates it from its
// data files (resources/strings.tsv, resources/images.tsv).
//
// Rules the callers rely on:
//  1. Resources are named by number only (MAKEINTRESOURCEW); a name given as
//     text is not found (ERROR_RESOURCE_NAME_NOT_FOUND).
//  2. A bitmap, icon or cursor resource is a packed DIB: BITMAPINFOHEADER,
//     its colour table, then the bottom-up rows, as in a .bmp file without
//     its 14-byte file header.
//  3. Each string is one resource of type RT_STRING under its own string id
//     (not in the platform's blocks of 16): UTF-16 without terminator.
//  4. LoadStringW returns the length without the terminator, copies at most
//     cchBufferMax - 1 characters and always terminates; 0 (and an empty
//     buffer) for a missing id. cchBufferMax 0 stores into *lpBuffer a
//     read-only pointer to the text (not terminated) and returns its length.
//  5. The data stay valid while the module is loaded; nothing needs freeing.
#pragma once

#include "platform/windef.h"

#define PLATRES_SYMBOL "q730_resources"
#define PLATRES_MAGIC 0x53523751u  // "Q7RS"
#define PLATRES_VERSION 1

// Resource types.
#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

#define PLATRES_TYPE_CURSOR 1
#define PLATRES_TYPE_BITMAP 2
#define PLATRES_TYPE_ICON 3
#define PLATRES_TYPE_STRING 6

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// One resource, 16 bytes.
//
//  off size field
//    0    4 dwType   PLATRES_TYPE_*
//    4    4 dwId     its number
//    8    4 cbData   size of the data in bytes
//   12    4 pData    the data (rule 2 or 3)
struct PLATRESENTRY {
    DWORD dwType;
    DWORD dwId;
    DWORD cbData;
    const void* pData;
};

// The directory a module exports, 16 bytes.
//
//  off size field
//    0    4 dwMagic    PLATRES_MAGIC
//    4    4 dwVersion  PLATRES_VERSION
//    8    4 cEntries   number of entries
//   12    4 pEntries   the entries, in any order, no (type, id) twice
struct PLATRESDIR {
    DWORD dwMagic;
    DWORD dwVersion;
    DWORD cEntries;
    const PLATRESENTRY* pEntries;
};

Q730_API_PACK_END

static_assert(sizeof(void*) != 4 || sizeof(PLATRESENTRY) == 16);
static_assert(offsetof(PLATRESENTRY, cbData) == 8);
static_assert(sizeof(void*) != 4 || offsetof(PLATRESENTRY, pData) == 12);
static_assert(sizeof(void*) != 4 || sizeof(PLATRESDIR) == 16);
static_assert(sizeof(void*) != 4 || offsetof(PLATRESDIR, pEntries) == 12);

// Finds resource lpName (a number) of type lpType (RT_*) in hModule.
// Null with ERROR_RESOURCE_DATA_NOT_FOUND (module without resources),
// ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);

// The data of a found resource (a handle that LockResource turns into the
// pointer), its size in bytes. FreeResource does nothing and answers FALSE.
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL FreeResource(HGLOBAL hResData);

// Loads string uID of hInstance (rule 4).
//  hInstance     in   the module (a null or unloaded module: 0)
//  uID           in   the string id
//  lpBuffer      out  the text, terminated; with cchBufferMax 0 a pointer
//  cchBufferMax  in   its size in characters with the terminator
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

// The resource directory of a module, or null when it has none (for the
// GDI side, which turns image resources into objects).
const PLATRESDIR* PlatGetResourceDir(HMODULE hModule);
// Drops what was kept for looking up the resources of hModule; FreeLibrary
// calls it before the module goes, so that nothing points into it once it
// is gone and a module loaded later at the same address is indexed afresh.
void PlatForgetResources(HMODULE hModule);
