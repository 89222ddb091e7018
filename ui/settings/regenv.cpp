// regenv.cpp: per-user registry paths and values, file probes, host and OS
// tests, number parsing, sibling file names and the thin platform wrappers.
// The printer-data and spooler helpers are in printerenv.cpp.
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"

#include <climits>
#include <cstring>

namespace {

const WCHAR s_szPdlVersion[] = u"ORDEX2 V";
const WCHAR s_szModel[] = u"OSTREL BRAVINE QX-730";
const WCHAR s_szMaker[] = u"OSTREL BRAVINE";

// Appends pszAdd to pszTarget when the result fits cchTarget characters
// with the terminator.
BOOL _Append(LPWSTR pszTarget, DWORD cchTarget, LPCWSTR pszAdd) {
    DWORD cchHave = (DWORD)lstrlenW(pszTarget);
    DWORD cchAdd = (DWORD)lstrlenW(pszAdd);
    if (cchHave + cchAdd + 1 > cchTarget) return FALSE;
    std::memcpy(pszTarget + cchHave, pszAdd, sizeof(WCHAR) * (cchAdd + 1));
    return TRUE;
}

WCHAR _Upper(WCHAR c) { return (c >= 'a' && c <= 'z') ? (WCHAR)(c - 'a' + 'A') : c; }

}  // namespace

LPCWSTR GetPdlVersionName() { return s_szPdlVersion; }

LPCWSTR GetModelDisplayName() { return s_szModel; }

void BuildUserRegRoot(LPWSTR pszTarget) {
    if (!pszTarget) return;
    pszTarget[0] = 0;
    _Append(pszTarget, USERREG_PATH_CCH, u"Software\\");
    _Append(pszTarget, USERREG_PATH_CCH, s_szMaker);
    _Append(pszTarget, USERREG_PATH_CCH, u"\\");
    _Append(pszTarget, USERREG_PATH_CCH, GetPdlVersionName());
    _Append(pszTarget, USERREG_PATH_CCH, u"\\");
    _Append(pszTarget, USERREG_PATH_CCH, GetModelDisplayName());
    _Append(pszTarget, USERREG_PATH_CCH, u"J\\");
}

int ConvertPrinterNameAnsi(LPCWSTR pszPrinter, LPWSTR pszTarget) {
    if (!pszTarget) return 0;
    pszTarget[0] = 0;
    if (!pszPrinter) return 0;
    // To the ANSI code page in full, then cut to 31 bytes at a character
    // boundary (a double-byte character is never split).
    int cbFull = WideCharToMultiByte(CP_ACP, 0, pszPrinter, -1, nullptr, 0, nullptr, nullptr);
    if (cbFull <= 0) return 0;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)cbFull + 1);
    CHAR* psz = h ? (CHAR*)GlobalLock(h) : nullptr;
    if (!psz) {
        if (h) GlobalFree(h);
        return 0;
    }
    WideCharToMultiByte(CP_ACP, 0, pszPrinter, -1, psz, cbFull, nullptr, nullptr);
    int cb = 0;
    while (psz[cb]) {
        int cbChar = (IsDBCSLeadByte((BYTE)psz[cb]) && psz[cb + 1]) ? 2 : 1;
        if (cb + cbChar > USERREG_NAME_CCH) break;
        cb += cbChar;
    }
    psz[cb] = 0;
    WCHAR szWide[USERREG_NAME_CCH + 2];
    int cch = cb ? MultiByteToWideChar(CP_ACP, 0, psz, cb, szWide, USERREG_NAME_CCH + 1) : 0;
    GlobalUnlock(h);
    GlobalFree(h);
    if (cch < 0) cch = 0;
    if (cch > USERREG_NAME_CCH - 1) cch = USERREG_NAME_CCH - 1;
    szWide[cch] = 0;
    // A network printer "\\server\queue" enters the path as "server\queue".
    LPCWSTR pszStart = szWide;
    if (szWide[0] == '\\' && szWide[1] == '\\') pszStart += 2;
    lstrcpyW(pszTarget, pszStart);
    return cb;
}

BOOL BuildUserRegPath(LPWSTR pszTarget, LPCWSTR pszPrinter, LPCWSTR pszSubKey, LPCWSTR pszSubKey2) {
    if (!pszTarget) return FALSE;
    WCHAR szName[USERREG_NAME_CCH + 1];
    ConvertPrinterNameAnsi(pszPrinter, szName);
    BuildUserRegRoot(pszTarget);
    BOOL bOk = _Append(pszTarget, USERREG_PATH_CCH, szName);
    if (bOk && pszSubKey) {
        bOk = _Append(pszTarget, USERREG_PATH_CCH, u"\\") && _Append(pszTarget, USERREG_PATH_CCH, pszSubKey);
        if (bOk && pszSubKey2) {
            bOk = _Append(pszTarget, USERREG_PATH_CCH, u"\\") && _Append(pszTarget, USERREG_PATH_CCH, pszSubKey2);
        }
    }
    if (!bOk) pszTarget[0] = 0;
    return bOk;
}

BOOL bQueryUserRegValue(HKEY hRoot, LPCWSTR pszPath, LPDWORD pdwType, LPCWSTR pszValue, PVOID pData, LPDWORD pcbData) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, pszPath, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return FALSE;
    DWORD dwType = 0;
    DWORD cbCap = pcbData ? *pcbData : 0;
    LONG lErr = RegQueryValueExW(hKey, pszValue, nullptr, &dwType, (LPBYTE)pData, pcbData);
    RegCloseKey(hKey);
    if (pdwType) *pdwType = dwType;
    if (lErr != ERROR_SUCCESS) return FALSE;
    // A stored text need not carry its terminator; never hand one out
    // without it.
    if (pData && pcbData && (dwType == REG_SZ || dwType == REG_EXPAND_SZ) && cbCap >= sizeof(WCHAR)) {
        DWORD cchCap = cbCap / sizeof(WCHAR);
        DWORD cchGot = *pcbData / sizeof(WCHAR);
        ((LPWSTR)pData)[cchGot < cchCap ? cchGot : cchCap - 1] = 0;
    }
    return TRUE;
}

BOOL bSetUserRegValue(HKEY hRoot, LPCWSTR pszPath, DWORD dwType, LPCWSTR pszValue, const void* pData, DWORD cbData) {
    HKEY hKey = nullptr;
    DWORD dwDisp = 0;
    if (RegCreateKeyExW(hRoot, pszPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &hKey, &dwDisp) !=
        ERROR_SUCCESS) {
        return FALSE;
    }
    LONG lErr = RegSetValueExW(hKey, pszValue, 0, dwType, (const BYTE*)pData, cbData);
    RegCloseKey(hKey);
    return lErr == ERROR_SUCCESS;
}

BOOL bDeleteUserRegTree(HKEY hRoot, LPCWSTR pszPrinter, LPCWSTR pszPath) {
    if (!pszPrinter || !pszPath || !pszPrinter[0] || !pszPath[0]) return FALSE;
    WCHAR szKey[USERREG_PATH_CCH];
    if (!BuildUserRegPath(szKey, pszPrinter, nullptr, nullptr)) return FALSE;
    int cch = lstrlenW(szKey);
    if (lstrlenW(pszPath) < cch) return FALSE;
    for (int i = 0; i < cch; i++) {
        if (_Upper(szKey[i]) != _Upper(pszPath[i])) return FALSE;
    }
    // "Office" must not reach the store of "Office 2".
    if (pszPath[cch] != 0 && pszPath[cch] != '\\') return FALSE;
    return DeleteRegTreeRecursive(hRoot, pszPath);
}

BOOL DeleteRegTreeRecursive(HKEY hRoot, LPCWSTR pszPath) {
    if (!pszPath || !pszPath[0]) return FALSE;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, pszPath, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return FALSE;
    WCHAR szChild[REG_ENUM_NAME_CCH + 1];
    BOOL bOk = TRUE;
    for (;;) {
        // Always the first subkey: the one before it has just been deleted.
        DWORD cchChild = REG_ENUM_NAME_CCH;
        if (RegEnumKeyExW(hKey, 0, szChild, &cchChild, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        WCHAR szPath[USERREG_PATH_CCH * 2];
        szPath[0] = 0;
        if (!_Append(szPath, USERREG_PATH_CCH * 2, pszPath) || !_Append(szPath, USERREG_PATH_CCH * 2, u"\\") ||
            !_Append(szPath, USERREG_PATH_CCH * 2, szChild) || !DeleteRegTreeRecursive(hRoot, szPath)) {
            // The same subkey would come first again: stop instead of
            // looping on it.
            bOk = FALSE;
            break;
        }
    }
    RegCloseKey(hKey);
    return bOk && RegDeleteKeyW(hRoot, pszPath) == ERROR_SUCCESS;
}

BOOL bHostModuleIs(LPCWSTR pszName) {
    if (!pszName || !pszName[0]) return FALSE;
    WCHAR szModule[MAX_PATH + 1];
    DWORD cch = GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return FALSE;
    szModule[cch] = 0;
    // The last path component, so that "MYEXCEL.EXE" is not "EXCEL.EXE".
    LPCWSTR pszFile = szModule;
    for (LPCWSTR p = szModule; *p; p++) {
        if (*p == '\\' || *p == '/') pszFile = p + 1;
    }
    return lstrcmpiW(pszFile, pszName) == 0;
}

BOOL bHostIsSpreadsheet() { return bHostModuleIs(u"EXCEL.EXE"); }

BOOL OpenBookModeKey(LPCWSTR pszPrinter, PHKEY phKey, LPDWORD pdwDisposition) {
    if (!pszPrinter || !phKey) return FALSE;
    WCHAR szPath[USERREG_PATH_CCH];
    if (!BuildUserRegPath(szPath, pszPrinter, BOOKMODE_KEY, nullptr)) return FALSE;
    DWORD dwDisp = 0;
    LONG lErr = RegCreateKeyExW(HKEY_CURRENT_USER, szPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                phKey, &dwDisp);
    if (pdwDisposition) *pdwDisposition = dwDisp;
    return lErr == ERROR_SUCCESS;
}

BOOL bFileCanOpen(LPCWSTR pszFile) {
    if (!pszFile || !pszFile[0]) return FALSE;
    HANDLE h = CreateFileW(pszFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return TRUE;
}

BOOL bFileExistsOrBusy(LPCWSTR pszFile) { return bFileCanOpen(pszFile); }

BOOL bIsWindowsNT5() {
    OSVERSIONINFOW vi;
    std::memset(&vi, 0, sizeof(vi));
    vi.dwOSVersionInfoSize = sizeof(vi);
    if (!GetVersionExW(&vi)) return FALSE;
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion == 5;
}

BOOL bParseSignedNumber(PVOID pOut, int iType, LPCWSTR pszText) {
    if (!pOut || !pszText) return FALSE;
    BOOL bNegative = FALSE;
    LPCWSTR p = pszText;
    for (; *p == '+' || *p == '-'; p++) bNegative = (*p == '-');
    if (*p == 0) return FALSE;
    // Accumulate in 64 bits and stop early once far out of every range.
    long long v = 0;
    for (; *p; p++) {
        if (*p < '0' || *p > '9') return FALSE;
        v = v * 10 + (*p - '0');
        if (v > 0x1FFFFFFFFLL) return FALSE;
    }
    if (bNegative) v = -v;
    switch (iType) {
    // Bytes and the 16-bit type 2 hold unsigned values too (a byte slot
    // written as 200, a word as 65535), so their texts read back.
    case PARSE_INT8:
        if (v < SCHAR_MIN || v > UCHAR_MAX) return FALSE;
        *(BYTE*)pOut = (BYTE)v;
        return TRUE;
    case PARSE_INT16:
        if (v < SHRT_MIN || v > USHRT_MAX) return FALSE;
        *(WORD*)pOut = (WORD)v;
        return TRUE;
    case PARSE_INT16B:
        if (v < SHRT_MIN || v > SHRT_MAX) return FALSE;
        *(SHORT*)pOut = (SHORT)v;
        return TRUE;
    case PARSE_INT32:
    case PARSE_INT32B:
        if (v < INT_MIN || v > INT_MAX) return FALSE;
        *(LONG*)pOut = (LONG)v;
        return TRUE;
    case PARSE_UINT32:
        if (v < 0 || v > 0xFFFFFFFFLL) return FALSE;
        *(DWORD*)pOut = (DWORD)v;
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL GetSiblingFileName(int iCode, PVOID pTarget, DWORD cchTarget, int iMode) {
    if (!pTarget || cchTarget == 0) return FALSE;
    static const CHAR szFaxBaseA[] = "Q730MVF1";
    static const CHAR szFaxDllA[] = "Q730MVF1.DLL";
    static const WCHAR szFaxDllW[] = u"Q730MVF1.DLL";
    static const WCHAR szHelpW[] = u"Q730MVHZ.hlp";
    static const WCHAR szEmptyW[] = u"";
    const CHAR* pszA = nullptr;
    const WCHAR* pszW = nullptr;
    switch (iCode) {
    case 2: pszA = szFaxBaseA; break;
    case 4: pszA = szFaxDllA; break;
    case 5:
    case 6: pszW = szFaxDllW; break;
    case 7:
    case 8: pszW = szEmptyW; break;
    case 9: pszW = szHelpW; break;
    default: return FALSE;
    }
    BOOL bReplace = iCode == 6 || iMode == 1;
    if (pszA) {
        CHAR* psz = (CHAR*)pTarget;
        size_t cchHave = bReplace ? 0 : std::strlen(psz);
        if (cchHave + std::strlen(pszA) + 1 > cchTarget) return FALSE;
        std::strcpy(psz + cchHave, pszA);
        return TRUE;
    }
    LPWSTR psz = (LPWSTR)pTarget;
    if (bReplace) psz[0] = 0;
    return _Append(psz, cchTarget, pszW);
}

DWORD OsGetProfileString(LPCWSTR pszApp, LPCWSTR pszKey, LPCWSTR pszDefault, LPWSTR pszOut, DWORD cch, LPCWSTR pszFile) {
    return GetPrivateProfileStringW(pszApp, pszKey, pszDefault, pszOut, cch, pszFile);
}

SHORT OsGetProfileInt(LPCWSTR pszApp, LPCWSTR pszKey, INT iDefault, LPCWSTR pszFile) {
    return (SHORT)GetPrivateProfileIntW(pszApp, pszKey, iDefault, pszFile);
}

BOOL OsWriteProfileString(LPCWSTR pszApp, LPCWSTR pszKey, LPCWSTR pszValue, LPCWSTR pszFile) {
    return WritePrivateProfileStringW(pszApp, pszKey, pszValue, pszFile);
}

BOOL OsCopyFile(LPCWSTR pszFrom, LPCWSTR pszTo, BOOL bFailIfExists) { return CopyFileW(pszFrom, pszTo, bFailIfExists); }

BOOL OsDeleteFile(LPCWSTR pszFile) { return DeleteFileW(pszFile); }

DWORD OsGetFileSize(HANDLE hFile, LPDWORD pdwHigh) { return GetFileSize(hFile, pdwHigh); }

DWORD OsGetFileAttributes(LPCWSTR pszFile) { return GetFileAttributesW(pszFile); }

BOOL OsReadFile(HANDLE hFile, LPVOID pBuffer, DWORD cbRead, LPDWORD pcbRead, LPOVERLAPPED pOverlapped) {
    return ReadFile(hFile, pBuffer, cbRead, pcbRead, pOverlapped);
}

HANDLE OsCreateFile(LPCWSTR pszFile, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity, DWORD dwCreation,
                    DWORD dwFlags, HANDLE hTemplate) {
    return CreateFileW(pszFile, dwAccess, dwShare, pSecurity, dwCreation, dwFlags, hTemplate);
}

BOOL OsCloseHandle(HANDLE h) { return CloseHandle(h); }

LONG OsRegCreateKey(HKEY hKey, LPCWSTR pszSubKey, DWORD dwReserved, LPWSTR pszClass, DWORD dwOptions, REGSAM samDesired,
                    LPSECURITY_ATTRIBUTES pSecurity, PHKEY phResult, LPDWORD pdwDisposition) {
    return RegCreateKeyExW(hKey, pszSubKey, dwReserved, pszClass, dwOptions, samDesired, pSecurity, phResult,
                           pdwDisposition);
}

LONG OsRegOpenKey(HKEY hKey, LPCWSTR pszSubKey, DWORD dwOptions, REGSAM samDesired, PHKEY phResult) {
    return RegOpenKeyExW(hKey, pszSubKey, dwOptions, samDesired, phResult);
}

LONG OsRegCloseKey(HKEY hKey) { return RegCloseKey(hKey); }

LONG OsRegDeleteKey(HKEY hKey, LPCWSTR pszSubKey) { return RegDeleteKeyW(hKey, pszSubKey); }

LONG OsRegQueryValue(HKEY hKey, LPCWSTR pszValue, LPDWORD pdwReserved, LPDWORD pdwType, LPBYTE pData, LPDWORD pcbData) {
    return RegQueryValueExW(hKey, pszValue, pdwReserved, pdwType, pData, pcbData);
}

LONG OsRegSetValue(HKEY hKey, LPCWSTR pszValue, DWORD dwReserved, DWORD dwType, const BYTE* pData, DWORD cbData) {
    return RegSetValueExW(hKey, pszValue, dwReserved, dwType, pData, cbData);
}

HKEY hkeyUserRoot() { return HKEY_CURRENT_USER; }

// ---- Caption of the parent window ----

namespace {

bool _EndsWithText(LPCWSTR pszCaption, int nCaption, LPCWSTR pszText)
{
    int n = pszText ? lstrlenW(pszText) : 0;
    return n > 0 && nCaption >= n && std::memcmp(pszCaption + nCaption - n, pszText, n * sizeof(WCHAR)) == 0;
}

}  // namespace

BOOL bCaptionMatchesParent(HWND hwnd) {
    HWND hParent = hwnd ? GetParent(hwnd) : nullptr;
    if (!hParent) return TRUE;
    WCHAR szCaption[260] = {};
    int n = GetWindowTextW(hParent, szCaption, 260);
    if (n <= 0) return TRUE;
    if (_EndsWithText(szCaption, n, GetResString(31632)) || _EndsWithText(szCaption, n, GetResString(31633)))
        return FALSE;
    return TRUE;
}
