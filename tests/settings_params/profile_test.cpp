// The driver-version record of a printer's per-user store: a missing or a
// different version resets the lists and the DEVMODE's form and watermark
// choice; a stored watermark index must name a stored watermark.
#include "ui/settings/profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "ui/settings/devmode.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"

namespace {

const char16_t kPrinter[] = u"Profile Printer";

std::u16string KeyPath(LPCWSTR pszSub = nullptr, LPCWSTR pszSub2 = nullptr) {
    WCHAR sz[USERREG_PATH_CCH];
    EXPECT_TRUE(BuildUserRegPath(sz, kPrinter, pszSub, pszSub2));
    return sz;
}

void CreateKey(LPCWSTR pszSub, LPCWSTR pszSub2 = nullptr) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hkeyUserRoot(), KeyPath(pszSub, pszSub2).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    RegCloseKey(hKey);
}

bool KeyExists(LPCWSTR pszSub, LPCWSTR pszSub2 = nullptr) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hkeyUserRoot(), KeyPath(pszSub, pszSub2).c_str(), 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

void SetVersion(DWORD dwVersion) {
    ASSERT_TRUE(bSetUserRegValue(hkeyUserRoot(), KeyPath().c_str(), REG_DWORD, u"DriverVersion", &dwVersion,
                                 sizeof(dwVersion)));
}

DWORD StoredVersion() {
    DWORD dw = 0, dwType = 0, cb = sizeof(dw);
    if (!bQueryUserRegValue(hkeyUserRoot(), KeyPath().c_str(), &dwType, u"DriverVersion", &dw, &cb)) return 0;
    return dw;
}

void DeletePrinterKey() {
    bDeleteUserRegTree(hkeyUserRoot(), kPrinter, KeyPath().c_str());
}

// The shadow record the settings object hands to the check.
struct Record {
    DRVDEVMODE dm = {};
    Record(BYTE bWatermark) {
        lstrcpyW(dm.ui.dmMirror.dmDeviceName, kPrinter);
        dm.ui.dmMirror.dmDriverVersion = DRV_DRIVER_VERSION;
        dm.ui.lpOverlay = 3;
        dm.ui.bOverlayIndex = 7;
        dm.ui.bWatermarkCurrent = bWatermark;
    }
};

TEST(ProfileVersion, MissingVersionResetsAndRecords) {
    LoadResourceDll();
    DeletePrinterKey();
    EXPECT_EQ(PROFILE_VERSION_MISSING, CheckDriverVersion(kPrinter, DRV_DRIVER_VERSION));
    Record r(2);
    CheckUserProfileVersion(&r.dm.ui);
    EXPECT_EQ(1, r.dm.ui.lpOverlay);
    EXPECT_EQ(0, r.dm.ui.bOverlayIndex);
    EXPECT_EQ(0, r.dm.ui.bWatermarkCurrent);
    EXPECT_EQ((DWORD)DRV_DRIVER_VERSION, StoredVersion());
    EXPECT_EQ(PROFILE_VERSION_SAME, CheckDriverVersion(kPrinter, DRV_DRIVER_VERSION));
    EXPECT_TRUE(KeyExists(u"Form", u"Overlays"));
    FreeResourceDll();
}

TEST(ProfileVersion, DifferentVersionPurgesTheLists) {
    DeletePrinterKey();
    SetVersion(0x8402);
    for (LPCWSTR psz : {u"QX_UIPROFILE", u"BookMode", u"TempPlistID", u"Tempfile Count", u"Tempfile Name",
                        u"InterSheet", u"Form", u"bookmode2"})
        CreateKey(psz);
    CreateKey(u"WaterMark", u"WMarkListData40");
    EXPECT_EQ(PROFILE_VERSION_DIFFERS, CheckDriverVersion(kPrinter, DRV_DRIVER_VERSION));
    Record r(1);
    CheckUserProfileVersion(&r.dm.ui);
    for (LPCWSTR psz : {u"QX_UIPROFILE", u"BookMode", u"TempPlistID", u"Tempfile Count", u"Tempfile Name"})
        EXPECT_TRUE(KeyExists(psz)) << lstrlenW(psz);
    EXPECT_FALSE(KeyExists(u"bookmode2"));
    EXPECT_FALSE(KeyExists(u"WaterMark", u"WMarkListData40"));
    // The lists start again from their defaults.
    EXPECT_TRUE(KeyExists(u"InterSheet", u"InterSheetList10"));
    EXPECT_EQ(16, CountStoredWatermarks(kPrinter));
    EXPECT_EQ((DWORD)DRV_DRIVER_VERSION, StoredVersion());
    EXPECT_EQ(1, r.dm.ui.lpOverlay);
    EXPECT_EQ(0, r.dm.ui.bOverlayIndex);
    EXPECT_EQ(0, r.dm.ui.bWatermarkCurrent);
    // The version compares under the driver-version mask.
    EXPECT_EQ(PROFILE_VERSION_SAME, CheckDriverVersion(kPrinter, DRV_DRIVER_VERSION & DRV_VERSION_MASK));
}

TEST(ProfileVersion, WatermarkIndexMustNameAStoredWatermark) {
    const struct { int stored; BYTE index; BYTE expected; } aCases[] = {
        {5, 0, 0}, {5, 4, 4}, {5, 5, 0}, {5, 200, 0}, {0, 1, 0}, {60, 55, 0}, {60, 50, 50},
    };
    for (const auto& c : aCases) {
        DeletePrinterKey();
        SetVersion(DRV_DRIVER_VERSION);
        for (int i = 0; i < c.stored; ++i) {
            WCHAR sz[32];
            wsprintfW(sz, u"WMarkListData%d", i);
            CreateKey(u"WaterMark", sz);
        }
        Record r(c.index);
        CheckUserProfileVersion(&r.dm.ui);
        EXPECT_EQ(c.expected, r.dm.ui.bWatermarkCurrent) << c.stored << " stored, index " << (int)c.index;
        // The same version leaves the form choice alone.
        EXPECT_EQ(3, r.dm.ui.lpOverlay);
        EXPECT_EQ(7, r.dm.ui.bOverlayIndex);
    }
}

}  // namespace
