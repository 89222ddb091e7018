// setfile.h: settings files, the saved sets of a user's settings.
//
// Owns: USETENTRY and USETLIBRARY, the entry of one settings file in the
// user's library and the library itself (the library's operations are in
// usetlib.h); reading and checking one file (LoadSettingsFile and its
// result codes); making a new entry; saving an entry; the DRIVERINFO and
// parameter sections; and the working copies in the temporary folder.
//
// A settings file ("folder\name.xsf") is an INI file in UTF-16:
//   [QX_SETTING LIBRARY NAME]        name (settext.h)
//   [QX_SETTING LIBRARY COMMENT]     the comment lines (settext.h)
//   [QX_SETTING LIBRARY DRIVERINFO]  manufacture, product, system, model,
//                                    version, versionnum, usetversion,
//                                    reserved0..4; "attributes" read only
//   [QX_SETTING LIBRARY UIPARAM] and the list sections (xfer.h), with
//                                    "pagenumStr" last
//   [QX_SETTING LIBRARY END]         endmark=1, always the file's last
//                                    line (DRIVERINFO has endmark=1 too)
//
// Rules:
//   1. A registered file is never edited: an entry works on its working
//      copy ("xsf" temporary file) and a save replaces the file whole, by a
//      rename in its folder, so a save that fails leaves the old file.
//   2. New files and working copies are UTF-16 (they begin with the
//      byte-order mark); an 8-bit file in the ANSI code page still reads,
//      and its working copy is converted.
//   3. A file is refused with its result code, before anything of it
//      reaches a settings object, when its DRIVERINFO is unusable, foreign
//      or of another version the user keeps, or when it has no parameter
//      section; a missing key reads as its default. A file whose DRIVERINFO
//      says it ends with the end mark and that lacks it was cut short and is
//      refused (SETFILE_PARAMS_FAILED); a file of an older writer, which
//      says nothing of an end mark, reads as before.
//   4. Every text copied into a fixed field is cut to the field.
//   5. What no settings file carries (confidential print, job combination,
//      a form overlay, fax output) is taken out of an entry read from a
//      file, whatever the file says (ClearFileForbiddenSettings).
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define USET_MAX_ENTRIES 25
#define USET_ID_CCH 64
#define USET_FOLDER_CCH 261
#define USET_SAVED_FOLDER_CCH 302
#define USET_NAME_CCH 41
#define USET_EXT_CCH 11
#define USET_COMMENT_CCH 513
#define USET_PATH_CCH 512

// Entry states.
#define USET_SAVED 0
#define USET_CHANGED 1
#define USET_NEW 2

// Entry attributes ("attributes" of DRIVERINFO, "File Type" of the store).
#define USET_STANDARD 0
#define USET_WRITABLE 1
#define USET_READONLY 2

// LoadSettingsFile result codes.
#define SETFILE_OK 0
#define SETFILE_NO_MEMORY 10
#define SETFILE_BAD_ARGUMENT 11
#define SETFILE_MISSING 12
#define SETFILE_BAD_DRIVERINFO 13
#define SETFILE_FOREIGN_SYSTEM 14
#define SETFILE_FOREIGN_MODEL 15
#define SETFILE_VERSION_DECLINED 16
#define SETFILE_VERSION_READONLY 17
#define SETFILE_COPY_FAILED 18
#define SETFILE_CLONE_FAILED 19
#define SETFILE_PARAMS_FAILED 20

// The version of the settings-file format this driver writes.
#define SETFILE_VERSION u"04.03"

// One settings file of the library (3104 bytes, in memory only).
struct USETENTRY {
    BYTE bState;                               // USET_SAVED, _CHANGED, _NEW
    DWORD dwAttributes;                        // USET_WRITABLE, _READONLY, 0 or 3
    WCHAR szFolder[USET_FOLDER_CCH];
    WCHAR szName[USET_NAME_CCH];               // file name without extension
    WCHAR szExt[USET_EXT_CCH];
    WCHAR szSavedFolder[USET_SAVED_FOLDER_CCH];  // where it was last saved
    WCHAR szSavedName[USET_NAME_CCH];
    WCHAR szSavedExt[USET_EXT_CCH];
    WCHAR szDisplayName[USET_NAME_CCH];
    WCHAR szComment[USET_COMMENT_CCH];
    UISETTINGS* pSettings;                     // clone; its working file is the copy
    WCHAR szManufacture[USET_ID_CCH];
    WCHAR szProduct[USET_ID_CCH];
    WCHAR szSystem[USET_ID_CCH];
    WCHAR szModel[USET_ID_CCH];
    WCHAR szVersion[USET_ID_CCH];
    DWORD dwVersionNum;
    DWORD dwUsetVersion;
};
static_assert(sizeof(void*) != 4 || sizeof(USETENTRY) == 3104);

// The identity of a library format (the same strings are the DRIVERINFO of
// the files it writes).
struct USETIDENTITY {
    WCHAR szManufacture[USET_ID_CCH];
    WCHAR szProduct[USET_ID_CCH];
    WCHAR szSystem[USET_ID_CCH];
    WCHAR szModel[128];
    WCHAR szVersion[128];
    DWORD dwDrvVersion;
    DWORD dwUsetVersion;
};

// One open library (zeroed at creation).
struct USETLIBRARY {
    HWND hParent;                  // owner of the message boxes
    UISETTINGS* pSettings;         // the live settings of the sheet
    DWORD dwReserved;
    BYTE bLoadMode;                // 0 headers only, 1 every entry's parameters
    USETIDENTITY current;
    USETIDENTITY legacy;
    WCHAR szLegacyProfile[USET_PATH_CCH];
    WCHAR szLegacyLocate[USET_PATH_CCH];
    BYTE bLegacy;                  // readers use the legacy paths
    DWORD cEntries;
    SHORT asOrder[USET_MAX_ENTRIES + 1];  // position -> slot
    USETENTRY* apEntries[USET_MAX_ENTRIES];  // by slot
    WCHAR szProfile[USET_PATH_CCH];
    WCHAR szLocate[USET_PATH_CCH];
};

// The current and the legacy identity.
void GetCurrentIdentity(USETIDENTITY* pId);
void GetLegacyIdentity(USETIDENTITY* pId);

// The working file of a settings object (the settings file its values came
// from, or the working copy of an entry); "" when none.
LPWSTR SettingsWorkFile(UISETTINGS* pObj);
void SetSettingsWorkFile(UISETTINGS* pObj, LPCWSTR pszPath);

// "folder\name.ext" into pszOut (MAX_PATH characters); FALSE when it does
// not fit or an argument is missing.
BOOL BuildSettingsFilePath(LPWSTR pszOut, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt);
// A new UTF-16 file in the temporary folder with the prefix ("xsf",
// "ppp"): a copy of pszSource when given (converted to UTF-16 when it was
// 8-bit), else only the byte-order mark. FALSE (nothing left) on failure.
BOOL MakeWorkingCopy(LPCWSTR pszSource, LPCWSTR pszPrefix, LPWSTR pszOut);
// Clears the read-only attribute; FALSE when the file is missing.
BOOL bClearReadOnly(LPCWSTR pszFile);
// The folder takes new files: a uniquely named probe file can be created
// there (and is deleted at once).
BOOL bIsFolderWritable(LPCWSTR pszFolder);

// The sections.
BOOL bWriteDriverInfoSection(const USETENTRY* pEntry, LPCWSTR pszFile);
// Reads DRIVERINFO into the entry; with bFolderTest, a writable file is
// kept writable only where it can be replaced. FALSE when manufacture or
// product is empty.
BOOL bReadDriverInfoSection(BOOL bFolderTest, LPCWSTR pszFile, USETENTRY* pEntry);
BOOL bWriteUiparamSection(UISETTINGS* pObj, LPCWSTR pszFile);
// Reads every parameter and list of the file into pObj. FALSE, with pObj
// unchanged, when the file cannot be read or has no parameter section.
BOOL bReadUiparamSection(UISETTINGS* pObj, LPCWSTR pszFile);
// FALSE for a file cut short: it says it ends with the end mark, and the
// mark is not there. bWriteEndMark writes the mark as the file's last line.
BOOL bSettingsFileWhole(LPCWSTR pszFile);
BOOL bWriteEndMark(LPCWSTR pszFile);

// Reads and checks folder\name.ext (rule 3) for the library: a new entry,
// or null with *piCode set (SETFILE_*). bAsk: the library is being loaded
// (the text of the read-only version notice differs).
USETENTRY* LoadSettingsFile(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt, int* piCode,
                            BOOL bAsk);
// A new entry (state new, writable) holding a copy of pSettings.
USETENTRY* NewSettingsEntry(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt,
                            LPCWSTR pszComment, UISETTINGS* pSettings);
// Writes the entry to pszPath (rule 1). TRUE without writing for a saved
// entry, and for a changed one in a library of load mode 0.
BOOL bSaveSettingsFile(USETLIBRARY* pLib, USETENTRY* pEntry, LPCWSTR pszPath);
// Deletes the working copy, frees the settings copy and the entry.
void FreeSettingsEntry(USETLIBRARY* pLib, USETENTRY** ppEntry);

// Copies recall groups from pSource into pTarget: group 1 always, then by
// flag 0x01 group 2, 0x02 group 3, 0x08 group 5 (with the index-tab names),
// 0x40 group 7 (into an emptied form list), 0x04 group 4, 0x20 group 6,
// 0x10 group 8; flags -1 copy every group.
void CopySettingsGroups(UISETTINGS* pTarget, UISETTINGS* pSource, DWORD dwFlags);

// The reader on a file held in memory, for tests and fuzzing: the bytes
// become a settings file in the temporary folder, which LoadSettingsFile
// reads for a library of pLive (every parameter loaded; a question is
// answered with its default button). The result code (SETFILE_*); pLive
// is never changed.
int ReadSettingsFileImage(UISETTINGS* pLive, const BYTE* pBytes, DWORD cbBytes);
