// usetlib.h: the user's library of settings files, per printer.
//
// Owns: the library's place in the per-user store (under the printer's key:
// "QX_UIPROFILE" with the identity values, and "QX_UIPROFILE\Locate Info"
// with "Count" (count), "Turn" (position -> slot) and "File Info NN" (Path,
// Name, Extent, File Type) per slot 00..24); the library object with its
// operations (list, add, register, reorder, rename, comment, remove,
// recall); the copy of the live settings for the save dialog; and the
// recall options. Settings files themselves are setfile.h's.
//
// Rules:
//   1. At most 25 entries; a store that claims more makes the library
//      unavailable (null).
//   2. The list in the store is rewritten new values first and surplus keys
//      last, so a failure part-way never leaves an empty library.
//   3. No operation overwrites a file it did not make: a rename to the name
//      of an existing file is refused.
//   4. A damaged value of the stored list costs only itself: the Turn
//      values name the sets even when the count cannot be read or is too
//      small, and a position whose Turn value or File Info is damaged is
//      the only one dropped. (An identity that cannot be read still resets
//      the list, as for a store of another driver; a count above 25 still
//      makes the library unavailable.)
#pragma once

#include "ui/settings/setfile.h"

#define USET_MOVE_UP 1
#define USET_MOVE_DOWN 2
#define USET_REMOVE 3

#define RECALL_OPTIONS 7

// Builds and loads the library of the live settings' printer: headers only
// (save dialog, menu) or every entry's parameters (recall and organize
// dialogs). Null when it cannot be allocated or the store holds more than
// 25 entries.
USETLIBRARY* CreateUserSettingsLibrary(HWND hParent, UISETTINGS* pSettings);
USETLIBRARY* CreateUserSettingsLibraryFull(HWND hParent, UISETTINGS* pSettings);
void DestroyUserSettingsLibrary(USETLIBRARY** ppLib);

// Writes the list back to the store and saves the writable entries that
// changed (messages 25701 / 25705 when one fails).
BOOL bFinishUserSettingsLibrary(USETLIBRARY* pLib);
// Adds a new entry made from pSettings as folder\name.xsf (an entry of the
// same file is replaced in its position).
BOOL bAddUserSettingFile(USETLIBRARY* pLib, UISETTINGS* pSettings, LPCWSTR pszFolder, LPCWSTR pszName,
                         LPCWSTR pszComment);
// Adds an existing file (browse of the organize dialog).
BOOL bRegisterSettingsFile(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt);
// USET_MOVE_UP, USET_MOVE_DOWN, USET_REMOVE on the entry at iPosition.
BOOL bMoveUserSetting(USETLIBRARY* pLib, int iPosition, int iOp);
BOOL bRenameUserSetting(USETLIBRARY* pLib, int iPosition, LPCWSTR pszName);
BOOL bSetUserSettingComment(USETLIBRARY* pLib, int iPosition, LPCWSTR pszComment);
// Copies the entry at iPosition into the live settings by the recall
// options (RECALL_OPTIONS bytes; null: every group).
BOOL bRecallUserSetting(USETLIBRARY* pLib, int iPosition, UISETTINGS* pSettings, const BYTE* pOptions);
// The entry at a display position; null when there is none.
USETENTRY* GetUserSettingEntry(USETLIBRARY* pLib, int iPosition);

// folder\name.ext exists, or an entry names that file.
BOOL bSettingsFileInUse(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt);
// A save there would fail: the folder takes no file, or the file exists and
// is read-only, hidden, system or a folder.
BOOL bSaveTargetBlocked(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt);

// A copy of the live settings for the save dialog, with its own working
// file and without what a saved file may not carry (confidential print,
// job combination, form overlay, fax output; one notice when any was set).
UISETTINGS* CloneSettingsForSave(USETLIBRARY* pLib, UISETTINGS* pSettings);
// Takes out of pSettings, without a notice, what a settings file never
// carries: confidential print and job combination off, no form overlay,
// printed output, no held, secure, box or timer output method. The save
// dialog's copy goes through it, and so does every
// entry read from a file, so that a file edited by hand or brought from
// elsewhere shows and recalls as the save dialog would have written it.
void ClearFileForbiddenSettings(UISETTINGS* pSettings);
void DiscardSettingsClone(USETLIBRARY* pLib, UISETTINGS** ppClone);

// One text value under QX_UIPROFILE ("UsetEdit LoadFile", "UsetSave
// SaveFile"): pszDefault (cut to cbOut) when missing.
BOOL QueryUsetString(USETLIBRARY* pLib, LPCWSTR pszValue, LPWSTR pszOut, LPCWSTR pszDefault, DWORD cbOut);
BOOL bSetUsetString(USETLIBRARY* pLib, LPCWSTR pszValue, LPCWSTR pszText);

// The recall options: 7 bytes (defaults 0, 1, 1, 1, 0, 1, 1) in a 12-byte
// block.
BYTE* CreateRecallOptions();
BOOL SetRecallOption(BYTE* pOptions, int n, BYTE bValue);
void FreeRecallOptions(BYTE** ppOptions);
