// printerenv.cpp: printer data, the printer's name and its driver directory.
#include <cstring>

#include "ui/settings/regenv.h"

namespace {

// One GetPrinterW / GetPrinterDriverW answer in a block of its own size.
LPBYTE _QueryInfo(HANDLE hPrinter, DWORD dwLevel, BOOL bDriver, HGLOBAL* ph) {
    *ph = nullptr;
    DWORD cbNeeded = 0;
    if (bDriver) GetPrinterDriverW(hPrinter, nullptr, dwLevel, nullptr, 0, &cbNeeded);
    else GetPrinterW(hPrinter, dwLevel, nullptr, 0, &cbNeeded);
    if (cbNeeded == 0) return nullptr;
    *ph = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cbNeeded);
    LPBYTE pb = *ph ? (LPBYTE)GlobalLock(*ph) : nullptr;
    BOOL bOk = pb && (bDriver ? GetPrinterDriverW(hPrinter, nullptr, dwLevel, pb, cbNeeded, &cbNeeded)
                              : GetPrinterW(hPrinter, dwLevel, pb, cbNeeded, &cbNeeded));
    if (!bOk) {
        if (pb) GlobalUnlock(*ph);
        if (*ph) GlobalFree(*ph);
        *ph = nullptr;
        return nullptr;
    }
    return pb;
}

void _FreeInfo(HGLOBAL h) {
    if (!h) return;
    GlobalUnlock(h);
    GlobalFree(h);
}

}  // namespace

DWORD bGetPrinterData(HANDLE hPrinter, LPCWSTR pszValue, PVOID pData, DWORD cbData, LPDWORD pcbNeeded) {
    if (!hPrinter || !pszValue || !pData || !pcbNeeded || cbData == 0) return ERROR_INVALID_PARAMETER;
    DWORD dwType = 0;
    return GetPrinterDataW(hPrinter, (LPWSTR)pszValue, &dwType, (LPBYTE)pData, cbData, pcbNeeded);
}

BOOL bSetPrinterData(HANDLE hPrinter, LPCWSTR pszValue, const void* pData, DWORD cbData, DWORD dwType) {
    if (!pszValue || !pData || cbData == 0) return FALSE;
    return SetPrinterDataW(hPrinter, (LPWSTR)pszValue, dwType, (LPBYTE)pData, cbData) == ERROR_SUCCESS;
}

BOOL QueryPrinterName(HANDLE hPrinter, LPWSTR pszTarget, DWORD cch) {
    if (!hPrinter || !pszTarget || cch == 0) return FALSE;
    HGLOBAL h;
    PRINTER_INFO_1W* pInfo = (PRINTER_INFO_1W*)_QueryInfo(hPrinter, 1, FALSE, &h);
    if (!pInfo) return FALSE;
    BOOL bOk = pInfo->pName != nullptr;
    if (bOk) lstrcpynW(pszTarget, pInfo->pName, (int)cch);
    _FreeInfo(h);
    return bOk;
}

LPWSTR GetDriverDirectory(HANDLE hPrinter) {
    const DWORD cbDir = 520;
    if (!hPrinter) return nullptr;
    HGLOBAL hInfo;
    DRIVER_INFO_2W* pInfo = (DRIVER_INFO_2W*)_QueryInfo(hPrinter, 2, TRUE, &hInfo);
    if (!pInfo) return nullptr;
    LPWSTR pszResult = nullptr;
    LPCWSTR pszPath = pInfo->pDriverPath;
    int iCut = -1;
    for (int i = 0; pszPath && pszPath[i]; i++) {
        if (pszPath[i] == '\\') iCut = i;
    }
    // The directory with its backslash; a path without one names no folder.
    if (iCut >= 0 && (DWORD)(iCut + 2) <= cbDir / sizeof(WCHAR)) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cbDir);
        pszResult = h ? (LPWSTR)GlobalLock(h) : nullptr;
        if (pszResult) std::memcpy(pszResult, pszPath, sizeof(WCHAR) * (size_t)(iCut + 1));
        else if (h) GlobalFree(h);
    }
    _FreeInfo(hInfo);
    return pszResult;
}
