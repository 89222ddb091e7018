// profile.h: the driver-version record of a printer's per-user store.
//
// Owns: the check that resets a user's lists when another driver version
// wrote them, the purge of the printer's per-user key, and the count of the
// stored watermarks. This is the per-user store's record; it lives with the
// settings model because every settings object runs the check when it is
// created.
//
// Per-user key of the printer (regenv.h), value "DriverVersion" (REG_DWORD):
// the dmDriverVersion of the driver that last reset the lists.
#pragma once

#include "platform/windows.h"

struct UIEXTRA;
struct REGTREESET;

#define PROFILE_VERSION_SAME 1
#define PROFILE_VERSION_DIFFERS 2
#define PROFILE_VERSION_MISSING 3

// 1 when "DriverVersion" equals wVersion (under the driver-version mask),
// 2 when it differs, 3 when the key or value is missing.
int CheckDriverVersion(LPCWSTR pszPrinter, WORD wVersion);
// Creates the printer key and records wVersion. FALSE when the key cannot be
// created.
BOOL WriteDriverVersion(LPCWSTR pszPrinter, WORD wVersion);
// Deletes every direct subkey of the printer key except "QX_UIPROFILE",
// "BookMode", "TempPlistID", "Tempfile Count" and "Tempfile Name"; values of
// the key stay.
void PurgeUserPrinterKey(REGTREESET* pTables, LPCWSTR pszPrinter);
// Number of "WMarkListData%d" keys under "WaterMark", counted from 0 to the
// first missing one (at most 10000).
int CountStoredWatermarks(LPCWSTR pszPrinter);

// The version check on the shadow record at the start of UIEXTRA (printer
// name and driver version in its public mirror): when the recorded version is
// missing or differs, the lists are reset (purged when it differs), the
// version is recorded, and no form and no watermark are selected; then a
// watermark index beyond the stored watermarks, or beyond the 51 slots of the
// list, is reset to 0.
void CheckUserProfileVersion(UIEXTRA* pUiExtra);
