// setfile.cpp: settings files (see setfile.h).
#include "ui/settings/setfile.h"
#include "ui/settings/sharedarea.h"

#include <cstring>

#include "platform/gdi/msgbox.h"
#include <string>
#include <vector>

#include "ui/settings/listops.h"
#include "ui/settings/listset.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/regenv.h"
#include "ui/settings/settext.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/usetlib.h"
#include "ui/settings/xfer.h"

namespace {

const WCHAR kDriverInfo[] = u"QX_SETTING LIBRARY DRIVERINFO";
const WCHAR kUiparam[] = u"QX_SETTING LIBRARY UIPARAM";
const WCHAR kPageNum[] = u"pagenumStr";
// The end mark: the writer ends every file with it, and says so in
// DRIVERINFO. A file that says so and lacks the end was cut short; a file
// that does not say so is of an older writer and reads as before.
const WCHAR kEndSection[] = u"QX_SETTING LIBRARY END";
const WCHAR kEndMark[] = u"endmark";

const WORD kParamPageLists = 223;  // pagenumStr
const WORD kParamEngine = 126;     // lpEngine
const SHORT kEngineUnknown = 99;

// Message texts and captions.
const UINT kStrCaptionLibrary = 21102;
const UINT kStrLabelSystem = 21107;
const UINT kStrLabelModel = 21108;
const UINT kStrLabelVersion = 21109;
const UINT kStrVersionDiffers = 25708;
const UINT kStrReadOnlyLoading1 = 25709;
const UINT kStrReadOnlyLoading2 = 25710;
const UINT kStrReadOnly = 25711;
const UINT kStrAskUpdate1 = 25712;
const UINT kStrAskUpdate2 = 25713;

// The working file of a settings object lives at the end of its shared
// state, just before the trailer, so clones and copies carry it along.
const DWORD kWorkFileCch = SHARED_WORKFILE_CCH;
const DWORD kWorkFileOffset = SHARED_WORKFILE_OFFSET;
static_assert(kWorkFileOffset >= offsetof(UISETTINGS, abShared) + 2048);
static_assert(kWorkFileOffset % 2 == 0);

void _Copy(LPWSTR pszOut, DWORD cch, LPCWSTR psz)
{
    lstrcpynW(pszOut, psz ? psz : u"", (int)cch);
}

BOOL _SameText(LPCWSTR a, LPCWSTR b)
{
    return lstrcmpiW(a, b) == 0;
}

// The bytes of a host-visible file through the platform; empty when it
// cannot be read.
BOOL _ReadAll(LPCWSTR pszFile, std::string& bytes)
{
    HANDLE h = CreateFileW(pszFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD cb = GetFileSize(h, nullptr);
    BOOL bOk = cb != INVALID_FILE_SIZE;
    if (bOk) {
        bytes.assign(cb, '\0');
        DWORD cbRead = 0;
        bOk = !cb || (ReadFile(h, bytes.data(), cb, &cbRead, nullptr) && cbRead == cb);
    }
    CloseHandle(h);
    return bOk;
}

BOOL _WriteAll(LPCWSTR pszFile, const std::string& bytes)
{
    HANDLE h = CreateFileW(pszFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD cbDone = 0;
    BOOL bOk = bytes.empty() || (WriteFile(h, bytes.data(), (DWORD)bytes.size(), &cbDone, nullptr) &&
                                 cbDone == bytes.size());
    return CloseHandle(h) && bOk;
}

// The file as UTF-16 with its byte-order mark (an 8-bit file through the
// ANSI code page).
std::string _AsUtf16(const std::string& bytes)
{
    if (bytes.size() >= 2 && (BYTE)bytes[0] == 0xFF && (BYTE)bytes[1] == 0xFE)
        return bytes;
    std::string out = "\xFF\xFE";
    if (bytes.empty())
        return out;
    int cch = MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    if (cch <= 0)
        return out;
    std::vector<WCHAR> wide((size_t)cch);
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), wide.data(), cch);
    out.append((const char*)wide.data(), wide.size() * sizeof(WCHAR));
    return out;
}

// A profile-written file is read by the next call whole (setfile.h rule 1).
void _Flush(LPCWSTR pszFile)
{
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, pszFile);
}

// The file's base name (the name without folder and extension).
void _BaseName(LPCWSTR pszPath, LPWSTR pszOut, DWORD cch)
{
    std::u16string s(pszPath);
    size_t slash = s.find_last_of(u"\\/");
    if (slash != std::u16string::npos)
        s = s.substr(slash + 1);
    size_t dot = s.find_last_of(u'.');
    if (dot != std::u16string::npos)
        s = s.substr(0, dot);
    _Copy(pszOut, cch, s.c_str());
}

// A formatted notice of at most 512 characters (the format is a resource
// text with at most seven "%s").
int _Notice(USETLIBRARY* pLib, const std::u16string& text, UINT uType)
{
    LPCWSTR pszCaption = GetResString(kStrCaptionLibrary);
    std::u16string caption(pszCaption ? pszCaption : u"");
    std::u16string body = text.substr(0, 511);
    return MessageBoxW(pLib ? pLib->hParent : nullptr, body.c_str(), caption.c_str(), uType);
}

std::u16string _Res(UINT uId)
{
    LPCWSTR p = GetResString(uId);
    return p ? std::u16string(p) : std::u16string();
}

// The label notice of a foreign file: "label" of the entry.
void _ForeignNotice(USETLIBRARY* pLib, UINT uLabel)
{
    _Notice(pLib, _Res(uLabel), MB_OK | MB_ICONINFORMATION);
}

BOOL _ReadIdText(LPCWSTR pszKey, LPWSTR pszOut, LPCWSTR pszFile)
{
    GetPrivateProfileStringW(kDriverInfo, pszKey, u"", pszOut, USET_ID_CCH, pszFile);
    return TRUE;
}

}  // namespace

// ---- identity ----

void GetCurrentIdentity(USETIDENTITY* pId)
{
    if (!pId)
        return;
    memset(pId, 0, sizeof(*pId));
    _Copy(pId->szManufacture, USET_ID_CCH, u"OSTREL BRAVINE CORPORATION");
    _Copy(pId->szProduct, USET_ID_CCH, u"OSTREL BRAVINE ORDEX Driver");
    _Copy(pId->szSystem, USET_ID_CCH, u"MS Windows 2000");
    _Copy(pId->szModel, 128, u"OSTREL BRAVINE QX-730 ORDEX2 V");
    _Copy(pId->szVersion, 128, SETFILE_VERSION);
    pId->dwDrvVersion = 1027;
    pId->dwUsetVersion = 1;
}

void GetLegacyIdentity(USETIDENTITY* pId)
{
    if (!pId)
        return;
    memset(pId, 0, sizeof(*pId));
    _Copy(pId->szManufacture, USET_ID_CCH, u"Ostrel Co., Ltd.");
    _Copy(pId->szProduct, USET_ID_CCH, u"Ostrel ORDEX Driver");
    _Copy(pId->szSystem, USET_ID_CCH, u"MS Windows NT/2000/XP");
    _Copy(pId->szModel, 128, u"Ostrel QX-730 ORDEX2 V");
    _Copy(pId->szVersion, 128, SETFILE_VERSION);
    pId->dwDrvVersion = 1027;
    pId->dwUsetVersion = 1;
}

// ---- files ----

LPWSTR SettingsWorkFile(UISETTINGS* pObj)
{
    if (!pObj)
        return nullptr;
    LPWSTR p = (LPWSTR)((BYTE*)pObj + kWorkFileOffset);
    p[kWorkFileCch - 1] = 0;
    return p;
}

void SetSettingsWorkFile(UISETTINGS* pObj, LPCWSTR pszPath)
{
    if (pObj)
        _Copy(SettingsWorkFile(pObj), kWorkFileCch, pszPath);
}

BOOL BuildSettingsFilePath(LPWSTR pszOut, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt)
{
    if (!pszOut || !pszFolder || !pszName || !pszExt || !*pszName)
        return FALSE;
    std::u16string path = std::u16string(pszFolder) + u"\\" + pszName + u"." + pszExt;
    if (path.size() >= MAX_PATH)
        return FALSE;
    _Copy(pszOut, MAX_PATH, path.c_str());
    return TRUE;
}

BOOL bClearReadOnly(LPCWSTR pszFile)
{
    if (!pszFile)
        return FALSE;
    DWORD dw = GetFileAttributesW(pszFile);
    if (dw == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    if (dw & FILE_ATTRIBUTE_READONLY)
        return SetFileAttributesW(pszFile, dw & ~(DWORD)FILE_ATTRIBUTE_READONLY);
    return TRUE;
}

BOOL MakeWorkingCopy(LPCWSTR pszSource, LPCWSTR pszPrefix, LPWSTR pszOut)
{
    if (!pszOut || !pszPrefix)
        return FALSE;
    WCHAR szTemp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, szTemp) || !GetTempFileNameW(szTemp, pszPrefix, 0, pszOut))
        return FALSE;
    std::string bytes;
    BOOL bOk = !pszSource || !*pszSource || _ReadAll(pszSource, bytes);
    bOk = bOk && _WriteAll(pszOut, _AsUtf16(bytes)) && bClearReadOnly(pszOut);
    if (!bOk) {
        DeleteFileW(pszOut);
        pszOut[0] = 0;
    }
    return bOk;
}

BOOL bIsFolderWritable(LPCWSTR pszFolder)
{
    if (!pszFolder || !*pszFolder)
        return FALSE;
    DWORD dw = GetFileAttributesW(pszFolder);
    if (dw == INVALID_FILE_ATTRIBUTES || !(dw & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    // A probe under a name of its own: a probe left behind by a crash or
    // made by another sheet at the same moment cannot make the folder look
    // read-only.
    WCHAR szProbe[MAX_PATH];
    if (!GetTempFileNameW(pszFolder, u"vem", 0, szProbe))
        return FALSE;
    DeleteFileW(szProbe);
    return TRUE;
}

// ---- sections ----

BOOL bWriteDriverInfoSection(const USETENTRY* pEntry, LPCWSTR pszFile)
{
    if (!pEntry || !pszFile)
        return FALSE;
    WCHAR szNum[16];
    BOOL bOk = WritePrivateProfileStringW(kDriverInfo, u"manufacture", pEntry->szManufacture, pszFile);
    bOk = bOk && WritePrivateProfileStringW(kDriverInfo, u"product", pEntry->szProduct, pszFile);
    bOk = bOk && WritePrivateProfileStringW(kDriverInfo, u"system", pEntry->szSystem, pszFile);
    bOk = bOk && WritePrivateProfileStringW(kDriverInfo, u"model", pEntry->szModel, pszFile);
    bOk = bOk && WritePrivateProfileStringW(kDriverInfo, u"version", pEntry->szVersion, pszFile);
    wsprintfW(szNum, u"%ld", (LONG)pEntry->dwVersionNum);
    bOk = bOk && WritePrivateProfileStringW(kDriverInfo, u"versionnum", szNum, pszFile);
    wsprintfW(szNum, u"%d", (int)pEntry->dwUsetVersion);
    bOk = bOk && WritePrivateProfileStringW(kDriverInfo, u"usetversion", szNum, pszFile);
    static const WCHAR* const kReserved[] = {u"reserved0", u"reserved1", u"reserved2", u"reserved3", u"reserved4"};
    for (LPCWSTR pszKey : kReserved)
        bOk = bOk && WritePrivateProfileStringW(kDriverInfo, pszKey, u"", pszFile);
    bOk = bOk && WritePrivateProfileStringW(kDriverInfo, kEndMark, u"1", pszFile);
    return bOk;
}

BOOL bReadDriverInfoSection(BOOL bFolderTest, LPCWSTR pszFile, USETENTRY* pEntry)
{
    if (!pszFile || !pEntry)
        return FALSE;
    _ReadIdText(u"manufacture", pEntry->szManufacture, pszFile);
    _ReadIdText(u"product", pEntry->szProduct, pszFile);
    _ReadIdText(u"system", pEntry->szSystem, pszFile);
    _ReadIdText(u"model", pEntry->szModel, pszFile);
    _ReadIdText(u"version", pEntry->szVersion, pszFile);
    pEntry->dwUsetVersion = GetPrivateProfileIntW(kDriverInfo, u"usetversion", 0, pszFile);
    pEntry->dwAttributes = GetPrivateProfileIntW(kDriverInfo, u"attributes", USET_WRITABLE, pszFile);
    if (pEntry->dwAttributes == USET_WRITABLE && bFolderTest) {
        DWORD dw = GetFileAttributesW(pszFile);
        BOOL bOrdinary = dw != INVALID_FILE_ATTRIBUTES &&
                         !(dw & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_DIRECTORY));
        if (!bOrdinary || !bIsFolderWritable(pEntry->szFolder))
            pEntry->dwAttributes = USET_READONLY;
    }
    return pEntry->szManufacture[0] && pEntry->szProduct[0];
}

BOOL bSettingsFileWhole(LPCWSTR pszFile)
{
    if (!pszFile)
        return FALSE;
    if (GetPrivateProfileIntW(kDriverInfo, kEndMark, 0, pszFile) != 1)
        return TRUE;
    return GetPrivateProfileIntW(kEndSection, kEndMark, 0, pszFile) == 1;
}

BOOL bWriteEndMark(LPCWSTR pszFile)
{
    if (!pszFile)
        return FALSE;
    // Removed first, so that it is written after everything else again.
    WritePrivateProfileStringW(kEndSection, nullptr, nullptr, pszFile);
    return WritePrivateProfileStringW(kEndSection, kEndMark, u"1", pszFile);
}

BOOL bWriteUiparamSection(UISETTINGS* pObj, LPCWSTR pszFile)
{
    if (!pObj || !pszFile)
        return FALSE;
    BOOL bOk = bWriteSettingsFile(pObj, pszFile);
    std::vector<WCHAR> tags((size_t)GetPageTagsSize() / sizeof(WCHAR) + 1, 0);
    const PAGELISTS* pLists = (const PAGELISTS*)GetParamSlot(pObj, kParamPageLists);
    if (pLists)
        FormatTaggedPageLists(pLists, tags.data(), (int)tags.size());
    // pagenumStr goes last: the engine's keys are in place by now.
    WritePrivateProfileStringW(kUiparam, kPageNum, nullptr, pszFile);
    bOk = WritePrivateProfileStringW(kUiparam, kPageNum, tags.data(), pszFile) && bOk;
    return bOk;
}

BOOL bReadUiparamSection(UISETTINGS* pObj, LPCWSTR pszFile)
{
    if (!pObj || !pszFile)
        return FALSE;
    _Flush(pszFile);
    HANDLE h = CreateFileW(pszFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    // A file without a single parameter key is no settings file (random
    // bytes, a header cut off): nothing of it is loaded.
    WCHAR szKeys[8];
    if (!GetPrivateProfileStringW(kUiparam, nullptr, nullptr, szKeys, 8, pszFile))
        return FALSE;
    if (!bReloadSettingsFile(pObj, pszFile))
        return FALSE;
    std::vector<WCHAR> tags((size_t)GetPageTagsSize() / sizeof(WCHAR) + 1, 0);
    GetPrivateProfileStringW(kUiparam, kPageNum, u"", tags.data(), (DWORD)tags.size(), pszFile);
    if (PAGELISTS* pLists = (PAGELISTS*)GetParamSlot(pObj, kParamPageLists))
        ParseTaggedPageLists(pLists, tags.data());
    ResetInterSheetState(pObj);
    SetSettingsWorkFile(pObj, pszFile);
    return TRUE;
}

// ---- entries ----

USETENTRY* LoadSettingsFile(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt, int* piCode,
                            BOOL bAsk)
{
    int iDummy = 0;
    int& iCode = piCode ? *piCode : iDummy;
    if (!pLib || !pLib->pSettings || !pszFolder || !pszName || !pszExt || !*pszName) {
        iCode = SETFILE_BAD_ARGUMENT;
        return nullptr;
    }
    WCHAR szPath[MAX_PATH];
    if (!BuildSettingsFilePath(szPath, pszFolder, pszName, pszExt)) {
        iCode = SETFILE_BAD_ARGUMENT;
        return nullptr;
    }
    USETENTRY* p = (USETENTRY*)GlobalAlloc(GPTR, sizeof(USETENTRY));
    if (!p) {
        iCode = SETFILE_NO_MEMORY;
        return nullptr;
    }
    auto fail = [&](int iWhy) {
        FreeSettingsEntry(pLib, &p);
        iCode = iWhy;
        return nullptr;
    };
    _Copy(p->szFolder, USET_FOLDER_CCH, pszFolder);
    _Copy(p->szName, USET_NAME_CCH, pszName);
    _Copy(p->szExt, USET_EXT_CCH, pszExt);
    _Copy(p->szSavedFolder, USET_SAVED_FOLDER_CCH, pszFolder);
    _Copy(p->szSavedName, USET_NAME_CCH, pszName);
    _Copy(p->szSavedExt, USET_EXT_CCH, pszExt);
    if (!bFileExistsOrBusy(szPath))
        return fail(SETFILE_MISSING);

    ReadSetfileComment(g_szSetfileCommentSection, u"", p->szComment, sizeof(p->szComment), szPath);
    WCHAR szBase[USET_NAME_CCH];
    _BaseName(szPath, szBase, USET_NAME_CCH);
    ReadSetfileString(g_szSetfileNameSection, u"name", szBase, p->szDisplayName, szPath);
    if (!bReadDriverInfoSection(TRUE, szPath, p))
        return fail(SETFILE_BAD_DRIVERINFO);
    if (!bSettingsFileWhole(szPath))
        return fail(SETFILE_PARAMS_FAILED);

    p->bState = USET_SAVED;
    if (!_SameText(p->szSystem, pLib->current.szSystem) && !_SameText(p->szSystem, pLib->legacy.szSystem)) {
        _ForeignNotice(pLib, kStrLabelSystem);
        return fail(SETFILE_FOREIGN_SYSTEM);
    }
    if (!_SameText(p->szModel, pLib->current.szModel) && !_SameText(p->szModel, pLib->legacy.szModel)) {
        _ForeignNotice(pLib, kStrLabelModel);
        return fail(SETFILE_FOREIGN_MODEL);
    }
    if (!_SameText(p->szVersion, SETFILE_VERSION)) {
        std::u16string label = _Res(kStrLabelVersion);
        WCHAR szText[512];
        std::u16string fmt = _Res(kStrVersionDiffers);
        wnsprintfW(szText, 512, fmt.c_str(), p->szDisplayName, label.c_str(), p->szVersion, label.c_str(),
                   SETFILE_VERSION, label.c_str(), label.c_str());
        std::u16string text(szText);
        if (p->dwAttributes == USET_READONLY) {
            text += bAsk ? _Res(kStrReadOnlyLoading1) + _Res(kStrReadOnlyLoading2) : _Res(kStrReadOnly);
            _Notice(pLib, text, MB_OK | MB_ICONINFORMATION);
            return fail(SETFILE_VERSION_READONLY);
        }
        text += _Res(kStrAskUpdate1) + _Res(kStrAskUpdate2);
        if (_Notice(pLib, text, MB_YESNO | MB_ICONINFORMATION) != IDYES)
            return fail(SETFILE_VERSION_DECLINED);
        _Copy(p->szVersion, USET_ID_CCH, SETFILE_VERSION);
        p->bState = USET_CHANGED;
    }

    WCHAR szWork[MAX_PATH];
    if (!MakeWorkingCopy(szPath, u"xsf", szWork))
        return fail(SETFILE_COPY_FAILED);
    p->pSettings = CloneParamObject(pLib->pSettings);
    if (!p->pSettings) {
        DeleteFileW(szWork);
        return fail(SETFILE_CLONE_FAILED);
    }
    SetSettingsWorkFile(p->pSettings, szWork);
    if (pLib->bLoadMode == 1) {
        if (!bReadUiparamSection(p->pSettings, szWork))
            return fail(SETFILE_PARAMS_FAILED);
        ClearFileForbiddenSettings(p->pSettings);
        if ((p->dwAttributes == USET_STANDARD || p->dwAttributes == 3) &&
            GetParamEdited(p->pSettings, kParamEngine) == kEngineUnknown)
            SetParamEdited(p->pSettings, kParamEngine, GetParamEdited(pLib->pSettings, kParamEngine));
    } else {
        // Only the headers are wanted, but a file without parameters is
        // refused all the same.
        WCHAR szKeys[8];
        if (!GetPrivateProfileStringW(kUiparam, nullptr, nullptr, szKeys, 8, szWork))
            return fail(SETFILE_PARAMS_FAILED);
    }
    iCode = SETFILE_OK;
    return p;
}

USETENTRY* NewSettingsEntry(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt,
                            LPCWSTR pszComment, UISETTINGS* pSettings)
{
    if (!pLib || !pszFolder || !pszName || !*pszName || !pszExt || !pSettings)
        return nullptr;
    if (lstrlenW(pszName) >= USET_NAME_CCH || lstrlenW(pszFolder) >= USET_FOLDER_CCH ||
        lstrlenW(pszExt) >= USET_EXT_CCH)
        return nullptr;
    USETENTRY* p = (USETENTRY*)GlobalAlloc(GPTR, sizeof(USETENTRY));
    if (!p)
        return nullptr;
    p->bState = USET_NEW;
    p->dwAttributes = USET_WRITABLE;
    _Copy(p->szFolder, USET_FOLDER_CCH, pszFolder);
    _Copy(p->szName, USET_NAME_CCH, pszName);
    _Copy(p->szExt, USET_EXT_CCH, pszExt);
    _Copy(p->szSavedFolder, USET_SAVED_FOLDER_CCH, pszFolder);
    _Copy(p->szSavedName, USET_NAME_CCH, pszName);
    _Copy(p->szSavedExt, USET_EXT_CCH, pszExt);
    _Copy(p->szDisplayName, USET_NAME_CCH, pszName);
    _Copy(p->szComment, USET_COMMENT_CCH, pszComment);
    _Copy(p->szManufacture, USET_ID_CCH, pLib->current.szManufacture);
    _Copy(p->szProduct, USET_ID_CCH, pLib->current.szProduct);
    _Copy(p->szSystem, USET_ID_CCH, pLib->current.szSystem);
    _Copy(p->szModel, USET_ID_CCH, pLib->current.szModel);
    _Copy(p->szVersion, USET_ID_CCH, pLib->current.szVersion);
    p->dwVersionNum = pLib->current.dwDrvVersion;
    p->dwUsetVersion = pLib->current.dwUsetVersion;
    p->pSettings = CloneParamObject(pSettings);
    WCHAR szWork[MAX_PATH];
    if (!p->pSettings || !MakeWorkingCopy(SettingsWorkFile(pSettings), u"xsf", szWork)) {
        FreeSettingsEntry(pLib, &p);
        return nullptr;
    }
    SetSettingsWorkFile(p->pSettings, szWork);
    CopySettingsGroups(p->pSettings, pSettings, (DWORD)-1);
    return p;
}

BOOL bSaveSettingsFile(USETLIBRARY* pLib, USETENTRY* pEntry, LPCWSTR pszPath)
{
    if (!pLib || !pEntry || !pszPath || !pEntry->pSettings || pEntry->dwAttributes == USET_READONLY)
        return FALSE;
    if (pEntry->bState == USET_SAVED || (pLib->bLoadMode == 0 && pEntry->bState == USET_CHANGED))
        return TRUE;
    LPCWSTR pszWork = SettingsWorkFile(pEntry->pSettings);
    if (!*pszWork)
        return FALSE;
    BOOL bOk = bWriteSetfileString(g_szSetfileNameSection, u"name", pEntry->szDisplayName, pszWork) &&
               bWriteSetfileComment(g_szSetfileCommentSection, pEntry->szComment, pszWork) &&
               bWriteDriverInfoSection(pEntry, pszWork) && bWriteUiparamSection(pEntry->pSettings, pszWork) &&
               bWriteEndMark(pszWork);
    _Flush(pszWork);
    if (!bOk)
        return FALSE;

    // The new file is made beside the target and renamed over it, so the
    // target is either the old file or the new one, never a part of it.
    WCHAR szPpp[MAX_PATH];
    if (!MakeWorkingCopy(pszWork, u"ppp", szPpp))
        return FALSE;
    std::u16string beside = std::u16string(pszPath) + u".~sav";
    bOk = CopyFileW(szPpp, beside.c_str(), FALSE) &&
          MoveFileExW(beside.c_str(), pszPath, MOVEFILE_REPLACE_EXISTING);
    DeleteFileW(szPpp);
    if (!bOk) {
        DeleteFileW(beside.c_str());
        return FALSE;
    }
    // Saved under another name: the file of the old name goes, once the
    // new one is there; one already gone is no failure.
    WCHAR szOld[MAX_PATH];
    if (BuildSettingsFilePath(szOld, pEntry->szSavedFolder, pEntry->szSavedName, pEntry->szSavedExt) &&
        !_SameText(szOld, pszPath)) {
        if (!DeleteFileW(szOld) && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
            return FALSE;
    }
    _Copy(pEntry->szSavedFolder, USET_SAVED_FOLDER_CCH, pEntry->szFolder);
    _Copy(pEntry->szSavedName, USET_NAME_CCH, pEntry->szName);
    _Copy(pEntry->szSavedExt, USET_EXT_CCH, pEntry->szExt);
    pEntry->bState = USET_SAVED;
    return TRUE;
}

void FreeSettingsEntry(USETLIBRARY* pLib, USETENTRY** ppEntry)
{
    (void)pLib;
    if (!ppEntry || !*ppEntry)
        return;
    USETENTRY* p = *ppEntry;
    if (p->pSettings) {
        LPCWSTR pszWork = SettingsWorkFile(p->pSettings);
        if (*pszWork)
            DeleteFileW(pszWork);
        FreeParamObjectClone(&p->pSettings);
    }
    GlobalFree(p);
    *ppEntry = nullptr;
}

void CopySettingsGroups(UISETTINGS* pTarget, UISETTINGS* pSource, DWORD dwFlags)
{
    if (!pTarget || !pSource || pTarget == pSource)
        return;
    bCopySettingsParams(pTarget, pSource, 1);
    if (dwFlags & 0x01)
        bCopySettingsParams(pTarget, pSource, 2);
    if (dwFlags & 0x02)
        bCopySettingsParams(pTarget, pSource, 3);
    if (dwFlags & 0x08) {
        bCopySettingsParams(pTarget, pSource, 5);
        IndexTabCopyNamesFrom(pTarget, pSource);
    }
    if (dwFlags & 0x40) {
        bClearFormFileList(pTarget);
        bCopySettingsParams(pTarget, pSource, 7);
    }
    if (dwFlags & 0x04)
        bCopySettingsParams(pTarget, pSource, 4);
    if (dwFlags & 0x20)
        bCopySettingsParams(pTarget, pSource, 6);
    if (dwFlags & 0x10)
        bCopySettingsParams(pTarget, pSource, 8);
}

int ReadSettingsFileImage(UISETTINGS* pLive, const BYTE* pBytes, DWORD cbBytes)
{
    if (!pLive || (!pBytes && cbBytes))
        return SETFILE_BAD_ARGUMENT;
    WCHAR szTemp[MAX_PATH], szFile[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, szTemp) || !GetTempFileNameW(szTemp, u"img", 0, szFile))
        return SETFILE_COPY_FAILED;
    std::string bytes(pBytes ? (const char*)pBytes : "", cbBytes);
    int iCode = SETFILE_COPY_FAILED;
    if (_WriteAll(szFile, bytes)) {
        USETLIBRARY* pLib = (USETLIBRARY*)GlobalAlloc(GPTR, sizeof(USETLIBRARY));
        if (pLib) {
            pLib->pSettings = pLive;
            pLib->bLoadMode = 1;
            GetCurrentIdentity(&pLib->current);
            GetLegacyIdentity(&pLib->legacy);
            // "folder\name.TMP" apart.
            std::u16string path(szFile);
            size_t slash = path.find_last_of(u'\\');
            size_t dot = path.find_last_of(u'.');
            std::u16string folder = path.substr(0, slash);
            std::u16string name = path.substr(slash + 1, dot - slash - 1);
            std::u16string ext = path.substr(dot + 1);
            USETENTRY* p = LoadSettingsFile(pLib, folder.c_str(), name.c_str(), ext.c_str(), &iCode, FALSE);
            FreeSettingsEntry(pLib, &p);
            GlobalFree(pLib);
        } else {
            iCode = SETFILE_NO_MEMORY;
        }
    }
    DeleteFileW(szFile);
    return iCode;
}
