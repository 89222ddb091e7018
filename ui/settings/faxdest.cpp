// faxdest.cpp: the fax destination list file (see faxdest.h).
#include "ui/settings/faxdest.h"

#include <cstring>

#include "ui/settings/devmode.h"
#include "ui/settings/regenv.h"
#include "ui/settings/uisettings.h"

static_assert(FAXDEST_STATE_OFFSET % 4 == 0);
static_assert(sizeof(void*) != 4 || FAXDEST_STATE_OFFSET == 4192);
static_assert(FAXDEST_STATE_OFFSET >= offsetof(UISETTINGS, abShared));
static_assert(FAXDEST_STATE_OFFSET + sizeof(FAXDESTSTATE) <= offsetof(UISETTINGS, trailer));

FAXDESTSTATE* GetFaxDestState(UISETTINGS* pObj) {
    return pObj ? (FAXDESTSTATE*)((BYTE*)pObj + FAXDEST_STATE_OFFSET) : nullptr;
}

static BOOL _TempName(DWORD dwNumber, LPWSTR pszName, UINT* puNumber) {
    WCHAR szPath[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, szPath);
    if (n == 0 || n >= MAX_PATH) return FALSE;
    UINT u = GetTempFileNameW(szPath, FAXDEST_PREFIX, dwNumber, pszName);
    if (u == 0) return FALSE;
    if (puNumber) *puNumber = u;
    return TRUE;
}

void LoadFaxDestinations(POPTIONDB pdb, UISETTINGS* pObj, DEVMODEW* pdm, DWORD dwReserved,
                         HANDLE hPrinter) {
    (void)dwReserved;
    FAXDESTSTATE* st = GetFaxDestState(pObj);
    if (!st || !pdm) return;
    DRVDEVMODE* pDrv = (DRVDEVMODE*)pdm;

    LPWSTR pszDir = GetDriverDirectory(hPrinter);
    if (pszDir) {
        int n = lstrlenW(pszDir);
        if (n > 0 && n < MAX_PATH) {
            memcpy(st->szDriverDir, pszDir, (n - 1) * sizeof(WCHAR));
            st->szDriverDir[n - 1] = 0;
            int cchLib = lstrlenW(FAXDEST_PHONEBOOK);
            if (n + cchLib < MAX_PATH) {
                memcpy(st->szPhoneBook, pszDir, n * sizeof(WCHAR));
                memcpy(st->szPhoneBook + n, FAXDEST_PHONEBOOK, (cchLib + 1) * sizeof(WCHAR));
            }
        }
        HGLOBAL h = GlobalHandle(pszDir);
        GlobalUnlock(h);
        GlobalFree(h);
    }

    DWORD dwNumber = pDrv->env.dwFaxListId;
    if (dwNumber != 0) {
        HGLOBAL hBuf = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, FAXDEST_FILE_SIZE);
        FAXDESTFILE* pFile = hBuf ? (FAXDESTFILE*)GlobalLock(hBuf) : nullptr;
        WCHAR szName[MAX_PATH];
        if (pFile && _TempName(dwNumber, szName, nullptr)) {
            HANDLE hf = CreateFileW(szName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
            if (hf == INVALID_HANDLE_VALUE) {
                st->lCount = st->lCount2 = 0;
                pDrv->env.wFaxDestCount = 0;
                pDrv->env.dwFaxListId = 0;
            } else {
                DWORD cbRead = 0;
                ReadFile(hf, pFile, FAXDEST_FILE_SIZE, &cbRead, nullptr);
                CloseHandle(hf);
                // A damaged count must not index past the columns.
                LONG n = pFile->cDest;
                if (n < 0) n = 0;
                if (n > FAXDEST_MAX) n = FAXDEST_MAX;
                st->lCount = st->lCount2 = n;
                for (LONG k = 0; k < n; ++k) {
                    const FAXDEST& d = pFile->aDest[k];
                    for (int i = 0; i < 4; ++i) {
                        WCHAR* pw = st->aszText[i][k];
                        memset(pw, 0, sizeof(st->aszText[i][k]));
                        int cb = (int)strnlen(d.aszText[i], FAXDEST_TEXT_BYTES);
                        if (cb > 0)
                            MultiByteToWideChar(CP_ACP, 0, d.aszText[i], cb, pw, FAXDEST_TEXT_CCH - 1);
                    }
                    BuildDefaultItem(pdb, FAXOPT_ECM, &st->aItem[0][k], d.bEcm);
                    BuildDefaultItem(pdb, FAXOPT_INTL, &st->aItem[1][k], d.bIntl);
                    BuildDefaultItem(pdb, FAXOPT_V34, &st->aItem[2][k], d.bV34);
                }
            }
        }
        if (hBuf) {
            GlobalUnlock(hBuf);
            GlobalFree(hBuf);
        }
    }

    WCHAR szName[USERREG_NAME_CCH + 2] = {};
    memset(st->szPrinter, 0, sizeof(st->szPrinter));
    if (pdm->dmDeviceName[0]) {
        ConvertPrinterNameAnsi((LPCWSTR)pdm->dmDeviceName, szName);
        memcpy(st->szPrinter, szName, 31 * sizeof(WCHAR));
    }
}

int RecordDestinationFile(UISETTINGS* pObj, DEVMODEW* pdm, DWORD dwNumber) {
    (void)pdm;
    if (!pObj) return 0;
    WCHAR szKey[USERREG_PATH_CCH];
    if (!BuildUserRegPath(szKey, pObj->trailer.pszPrinterName, FAXDEST_RING_KEY, nullptr)) return 0;

    DWORD dwIdx = 999;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, szKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        DWORD cb = sizeof(dwIdx), dwType = 0;
        if (RegQueryValueExW(hKey, u"idx", nullptr, &dwType, (LPBYTE)&dwIdx, &cb) != ERROR_SUCCESS ||
            cb != sizeof(dwIdx))
            dwIdx = 999;
        RegCloseKey(hKey);
    }
    DWORD dwDisp = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, szKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        &dwDisp) != ERROR_SUCCESS)
        return 0;

    auto slotName = [](DWORD s, WCHAR* out) { wsprintfW(out, u"%d", (int)s); };
    auto readSlot = [&](DWORD s) -> DWORD {
        WCHAR szV[8];
        slotName(s, szV);
        DWORD v = 0, cb = sizeof(v), t = 0;
        if (RegQueryValueExW(hKey, szV, nullptr, &t, (LPBYTE)&v, &cb) != ERROR_SUCCESS || cb != sizeof(v)) v = 0;
        return v;
    };

    DWORD dwSlot;
    // A slot outside 1..10 (a damaged value) starts the ring again.
    if (dwIdx == 999 || dwIdx > FAXDEST_RING_SLOTS) {
        dwSlot = 1;
        DWORD z = 0;
        RegSetValueExW(hKey, u"idx", 0, REG_DWORD, (const BYTE*)&z, 4);
        for (DWORD s = 1; s <= FAXDEST_RING_SLOTS; ++s) {
            WCHAR szV[8];
            slotName(s, szV);
            RegSetValueExW(hKey, szV, 0, REG_DWORD, (const BYTE*)&z, 4);
        }
    } else {
        if (dwIdx != 0 && readSlot(dwIdx) == dwNumber) {
            RegCloseKey(hKey);
            return 0;
        }
        dwSlot = dwIdx >= FAXDEST_RING_SLOTS ? 1 : dwIdx + 1;
    }

    DWORD dwOld = readSlot(dwSlot);
    if (dwOld != 0 && dwOld != dwNumber) {
        WCHAR szName[MAX_PATH];
        if (_TempName(dwOld, szName, nullptr)) DeleteFileW(szName);
    }
    WCHAR szV[8];
    slotName(dwSlot, szV);
    RegSetValueExW(hKey, u"idx", 0, REG_DWORD, (const BYTE*)&dwSlot, 4);
    RegSetValueExW(hKey, szV, 0, REG_DWORD, (const BYTE*)&dwNumber, 4);
    RegCloseKey(hKey);
    return 1;
}

BOOL SaveFaxDestinations(UISETTINGS* pObj, DEVMODEW* pdm) {
    FAXDESTSTATE* st = GetFaxDestState(pObj);
    if (!st || !pdm) return FALSE;
    DRVDEVMODE* pDrv = (DRVDEVMODE*)pdm;
    WCHAR szName[MAX_PATH];

    LONG n = st->lCount;
    if (n <= 0) {
        if (pDrv->env.dwFaxListId != 0) {
            if (_TempName(pDrv->env.dwFaxListId, szName, nullptr)) DeleteFileW(szName);
            pDrv->env.dwFaxListId = 0;
        }
        return TRUE;
    }
    if (n > FAXDEST_MAX) n = FAXDEST_MAX;

    UINT uNumber = 0;
    if (!_TempName(pDrv->env.dwFaxListId, szName, &uNumber)) {
        pDrv->env.dwFaxListId = 0;
        return FALSE;
    }
    HANDLE hf = CreateFileW(szName, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hf == INVALID_HANDLE_VALUE) {
        pDrv->env.dwFaxListId = 0;
        return FALSE;
    }
    pDrv->env.dwFaxListId = uNumber;

    HGLOBAL hBuf = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, FAXDEST_FILE_SIZE);
    FAXDESTFILE* pFile = hBuf ? (FAXDESTFILE*)GlobalLock(hBuf) : nullptr;
    if (!pFile) {
        if (hBuf) GlobalFree(hBuf);
        CloseHandle(hf);
        return FALSE;
    }
    pFile->cDest = n;
    for (LONG k = 0; k < n; ++k) {
        FAXDEST& d = pFile->aDest[k];
        for (int i = 0; i < 4; ++i) {
            const WCHAR* pw = st->aszText[i][k];
            int cch = 0;
            while (cch < FAXDEST_TEXT_CCH - 1 && pw[cch]) ++cch;
            if (cch > 0)
                WideCharToMultiByte(CP_ACP, 0, pw, cch, d.aszText[i], FAXDEST_TEXT_BYTES, nullptr, nullptr);
        }
        d.bEcm = (BYTE)st->aItem[0][k].sCurrent;
        d.bIntl = (BYTE)st->aItem[1][k].sCurrent;
        d.bV34 = (BYTE)st->aItem[2][k].sCurrent;
    }
    DWORD cbWritten = 0;
    BOOL bOk = WriteFile(hf, pFile, FAXDEST_FILE_SIZE, &cbWritten, nullptr) && cbWritten == FAXDEST_FILE_SIZE;
    CloseHandle(hf);
    GlobalUnlock(hBuf);
    GlobalFree(hBuf);
    RecordDestinationFile(pObj, pdm, uNumber);
    return bOk;
}
