// profile.cpp: the driver-version record of the per-user store (see
// profile.h).
#include "ui/settings/profile.h"

#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/listset.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/engineentry.h"
#include "ui/settings/strcache.h"

namespace {

const char16_t kDriverVersionValue[] = u"DriverVersion";
const char16_t kWatermarkKey[] = u"WaterMark";
const char16_t kWatermarkData[] = u"WMarkListData%d";
const int kMaxWatermarkKeys = 10000;

// Direct subkeys of the printer key that survive a purge (exact names).
const LPCWSTR g_apszKept[] = {
    u"QX_UIPROFILE", u"BookMode", u"TempPlistID", u"Tempfile Count", u"Tempfile Name",
};

BOOL _IsKept(LPCWSTR pszName)
{
    for (LPCWSTR psz : g_apszKept)
        if (lstrcmpW(psz, pszName) == 0)
            return TRUE;
    return FALSE;
}

}  // namespace

int CheckDriverVersion(LPCWSTR pszPrinter, WORD wVersion)
{
    WCHAR szPath[USERREG_PATH_CCH];
    if (!BuildUserRegPath(szPath, pszPrinter, nullptr, nullptr))
        return PROFILE_VERSION_MISSING;
    DWORD dwType = 0, dwValue = 0, cb = sizeof(dwValue);
    if (!bQueryUserRegValue(hkeyUserRoot(), szPath, &dwType, kDriverVersionValue, &dwValue, &cb) ||
        dwType != REG_DWORD || cb != sizeof(dwValue))
        return PROFILE_VERSION_MISSING;
    return bSameDriverVersion((WORD)dwValue, wVersion) ? PROFILE_VERSION_SAME : PROFILE_VERSION_DIFFERS;
}

BOOL WriteDriverVersion(LPCWSTR pszPrinter, WORD wVersion)
{
    WCHAR szPath[USERREG_PATH_CCH];
    if (!BuildUserRegPath(szPath, pszPrinter, nullptr, nullptr))
        return FALSE;
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(hkeyUserRoot(), szPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return FALSE;
    DWORD dwValue = wVersion;
    RegSetValueExW(hKey, kDriverVersionValue, 0, REG_DWORD, (const BYTE*)&dwValue, sizeof(dwValue));
    RegCloseKey(hKey);
    REGTREESET tables;
    BuildRegTreeTables(&tables);
    bStoreDefaultProfileLists(&tables, pszPrinter);
    FreeRegTreeTables(&tables);
    return TRUE;
}

void PurgeUserPrinterKey(REGTREESET* pTables, LPCWSTR pszPrinter)
{
    WCHAR szPath[USERREG_PATH_CCH];
    if (!BuildUserRegPath(szPath, pszPrinter, nullptr, nullptr))
        return;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hkeyUserRoot(), szPath, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return;
    DWORD dwIndex = 0;
    for (;;) {
        WCHAR szName[REG_ENUM_NAME_CCH + 1];
        DWORD cch = REG_ENUM_NAME_CCH;
        if (RegEnumKeyExW(hKey, dwIndex, szName, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (_IsKept(szName)) {
            ++dwIndex;
            continue;
        }
        WCHAR szChild[USERREG_PATH_CCH];
        if (!BuildUserRegPath(szChild, pszPrinter, szName, nullptr) ||
            !bDeleteUserRegTree(hkeyUserRoot(), pszPrinter, szChild))
            break;  // a key that cannot go would be met again forever
        dwIndex = 0;
    }
    RegCloseKey(hKey);
}

int CountStoredWatermarks(LPCWSTR pszPrinter)
{
    int n = 0;
    for (; n < kMaxWatermarkKeys; ++n) {
        WCHAR szSub[32];
        wsprintfW(szSub, kWatermarkData, n);
        WCHAR szPath[USERREG_PATH_CCH];
        if (!BuildUserRegPath(szPath, pszPrinter, kWatermarkKey, szSub))
            break;
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(hkeyUserRoot(), szPath, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
            break;
        RegCloseKey(hKey);
    }
    return n;
}

void CheckUserProfileVersion(UIEXTRA* pUiExtra)
{
    if (!pUiExtra)
        return;
    LPCWSTR pszPrinter = pUiExtra->dmMirror.dmDeviceName;
    int r = CheckDriverVersion(pszPrinter, pUiExtra->dmMirror.dmDriverVersion);
    if (r != PROFILE_VERSION_SAME) {
        REGTREESET tables;
        BuildRegTreeTables(&tables);
        if (r == PROFILE_VERSION_DIFFERS)
            PurgeUserPrinterKey(&tables, pszPrinter);
        WriteDriverVersion(pszPrinter, pUiExtra->dmMirror.dmDriverVersion);
        FreeRegTreeTables(&tables);
        pUiExtra->lpOverlay = 1;
        pUiExtra->bOverlayIndex = 0;
        pUiExtra->bWatermarkCurrent = 0;
    }
    if (pUiExtra->bWatermarkCurrent != 0) {
        // The list holds 51 slots whatever the store says.
        if (pUiExtra->bWatermarkCurrent >= WATERMARK_SLOTS ||
            pUiExtra->bWatermarkCurrent >= CountStoredWatermarks(pszPrinter))
            pUiExtra->bWatermarkCurrent = 0;
    }
}
