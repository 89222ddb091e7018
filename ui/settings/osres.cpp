// osres.cpp: the plain module and string calls of the settings code.
#include "platform/gdi/resload.h"
#include "platform/kernel/resource.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"

HMODULE OsLoadLibrary(LPCWSTR pszFile) { return LoadLibraryW(pszFile); }

BOOL OsFreeLibrary(HMODULE hModule) { return FreeLibrary(hModule); }

int OsLoadString(HMODULE hModule, UINT uId, LPWSTR pszBuffer, int cchBuffer) {
    return LoadStringW(hModule, uId, pszBuffer, cchBuffer);
}

int LoadOptionText(POPTIONDB pdb, UINT uId, LPWSTR pszOut, int cch) {
    if (!pszOut || cch <= 0) return 0;
    pszOut[0] = 0;
    if (!pdb || !pdb->hResDll) return 0;
    int n = OsLoadString(pdb->hResDll, uId, pszOut, cch);
    return n < 0 ? 0 : n;
}

HBITMAP LoadResBitmap(HMODULE hModule, LPCWSTR pszName) { return hModule ? LoadBitmapW(hModule, pszName) : nullptr; }

HCURSOR LoadResCursor(HMODULE hModule, LPCWSTR pszName) { return hModule ? LoadCursorW(hModule, pszName) : nullptr; }

HICON LoadResIcon(HMODULE hModule, LPCWSTR pszName) { return hModule ? LoadIconW(hModule, pszName) : nullptr; }
