// usetlib.cpp: the user's library of settings files (see usetlib.h).
#include "ui/settings/usetlib.h"
#include "ui/settings/paramalloc.h"

#include <cstring>

#include "platform/gdi/msgbox.h"
#include <string>
#include <vector>

#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/regenv.h"
#include "ui/settings/settext.h"
#include "ui/settings/strcache.h"
#include "ui/settings/engineentry.h"
#include "ui/settings/uisettings.h"

namespace {

const WCHAR kProfileKey[] = u"QX_UIPROFILE";
const WCHAR kLocateKey[] = u"Locate Info";
const WCHAR kLegacyProfile[] = u"Software\\Ostrel\\ORDEX2 V\\Ostrel QX-730J\\Ostrel QX-730 ORDEX2 V\\QX_UIPROFILE";
const WCHAR kStandardPrefix[] = u"Q730MV3";
const int kStandardFiles = 5;

// Parameters the library sets by id.
const WORD kParamMediaSize = 3;
const WORD kParamOutputPaper = 4;
const WORD kParamPassword = 19;
const WORD kParamOverlay = 35;
const WORD kParamOutput = 46;
const WORD kParamPod = 70;
const WORD kParamJobComb = 81;
const WORD kParamInterSheetList = 114;
const WORD kParamOutputMethod = 144;
const WORD kParamReceivePersonal = 164;
const WORD kParamValueList100 = 100;
const DWORD kRecalledFlag = 0x80;

// Message ids.
const UINT kCapLibrary = 21102;
const UINT kCapSave = 21103;
const UINT kCapOrganize = 21105;
const UINT kCapRegister = 21106;
const UINT kStrSaveFailed = 25701;
const UINT kStrAddFailed = 25702;
const UINT kStrCannotRemove = 25703;
const UINT kStrRenameFailed = 25704;
const UINT kStrNotWritable = 25705;
const UINT kStrRegisterFailed = 25706;
const UINT kStrRegisterStandard = 25707;
const UINT kStrMigrate = 25714;
const UINT kStrMigrateLine = 25715;
const UINT kStrMigrateMore = 25716;
const UINT kStrMigrateEnd1 = 25717;
const UINT kStrMigrateEnd2 = 25718;
const UINT kStrForbidden1 = 25719;
const UINT kStrForbidden2 = 25720;
const UINT kStrForbiddenPassword = 25722;
const UINT kStrForbiddenOverlay = 25723;
const UINT kStrForbiddenCombine = 25727;
const UINT kStrCombineName = 20228;
const UINT kStrDuplicate = 25765;

std::u16string _Res(UINT uId)
{
    LPCWSTR p = GetResString(uId);
    return p ? std::u16string(p) : std::u16string();
}

int _Box(USETLIBRARY* pLib, const std::u16string& text, UINT uCaption, UINT uType)
{
    std::u16string caption = _Res(uCaption);
    return MessageBoxW(pLib ? pLib->hParent : nullptr, text.c_str(), caption.c_str(), uType);
}

void _Copy(LPWSTR pszOut, DWORD cch, LPCWSTR psz)
{
    lstrcpynW(pszOut, psz ? psz : u"", (int)cch);
}

BOOL _Same(LPCWSTR a, LPCWSTR b)
{
    return lstrcmpiW(a, b) == 0;
}

std::u16string _Num(LONG n)
{
    WCHAR sz[16];
    wsprintfW(sz, u"%ld", n);
    return sz;
}

std::u16string _SlotKey(int iSlot)
{
    WCHAR sz[32];
    wsprintfW(sz, u"File Info %02d", iSlot);
    return sz;
}

// ---- the store ----

std::u16string _Locate(const USETLIBRARY* p, bool bRead)
{
    return (bRead && p->bLegacy) ? p->szLegacyLocate : p->szLocate;
}

BOOL _ReadDword(USETLIBRARY* p, const std::u16string& sub, LPCWSTR pszValue, DWORD* pdw)
{
    std::u16string path = _Locate(p, true) + u"\\" + sub;
    DWORD dwType = 0, cb = sizeof(DWORD);
    *pdw = 0;
    return bQueryUserRegValue(hkeyUserRoot(), path.c_str(), &dwType, pszValue, pdw, &cb) && dwType == REG_DWORD;
}

BOOL _WriteDword(USETLIBRARY* p, const std::u16string& sub, LPCWSTR pszValue, DWORD dw)
{
    std::u16string path = _Locate(p, false) + u"\\" + sub;
    return bSetUserRegValue(hkeyUserRoot(), path.c_str(), REG_DWORD, pszValue, &dw, sizeof(dw));
}

BOOL _ReadText(const std::u16string& path, LPCWSTR pszValue, LPWSTR pszOut, DWORD cch)
{
    std::vector<WCHAR> buf(cch + 1, 0);
    DWORD dwType = 0, cb = cch * sizeof(WCHAR);
    pszOut[0] = 0;
    if (!bQueryUserRegValue(hkeyUserRoot(), path.c_str(), &dwType, pszValue, buf.data(), &cb) || dwType != REG_SZ)
        return FALSE;
    _Copy(pszOut, cch, buf.data());
    return TRUE;
}

BOOL _WriteText(const std::u16string& path, LPCWSTR pszValue, LPCWSTR pszText)
{
    return bSetUserRegValue(hkeyUserRoot(), path.c_str(), REG_SZ, pszValue, pszText,
                            (DWORD)(lstrlenW(pszText) + 1) * sizeof(WCHAR));
}

struct FILEINFO {
    WCHAR szPath[261];
    WCHAR szName[41];
    WCHAR szExt[12];
    DWORD dwType;
};

FILEINFO _ReadFileInfo(USETLIBRARY* p, int iSlot)
{
    FILEINFO fi = {};
    std::u16string path = _Locate(p, true) + u"\\" + _SlotKey(iSlot);
    _ReadText(path, u"Path", fi.szPath, 261);
    _ReadText(path, u"Name", fi.szName, 41);
    if (!_ReadText(path, u"Extent", fi.szExt, 12))
        _Copy(fi.szExt, 12, u"xsf");
    DWORD dwType = 0, cb = sizeof(DWORD);
    if (!bQueryUserRegValue(hkeyUserRoot(), path.c_str(), &dwType, u"File Type", &fi.dwType, &cb) ||
        dwType != REG_DWORD)
        fi.dwType = 0;
    return fi;
}

BOOL _WriteFileInfo(USETLIBRARY* p, int iSlot, const FILEINFO& fi)
{
    std::u16string path = _Locate(p, false) + u"\\" + _SlotKey(iSlot);
    return _WriteText(path, u"Path", fi.szPath) && _WriteText(path, u"Name", fi.szName) &&
           _WriteText(path, u"Extent", fi.szExt) &&
           bSetUserRegValue(hkeyUserRoot(), path.c_str(), REG_DWORD, u"File Type", &fi.dwType, sizeof(DWORD));
}

DWORD _ReadCount(USETLIBRARY* p)
{
    DWORD n = 0;
    _ReadDword(p, u"Count", u"count", &n);
    return n;
}

// The slots of the identified list in display order. One damaged value costs
// only itself. The Turn values say the order: a count that cannot be read
// (deleted, or stored as another type) or that is smaller than the Turn
// values there are does not hide a set they name (the writer deletes the
// Turn values past its count, so a whole list has none). A position whose
// Turn value is damaged, names a slot out of range or a slot an earlier
// position named is dropped, the others stay. A missing Turn value below a
// readable count is the slot of the same number, as before.
std::vector<int> _ReadOrder(USETLIBRARY* p)
{
    DWORD n = 0;
    if (!_ReadDword(p, u"Count", u"count", &n))
        n = 0;
    std::u16string turn = _Locate(p, true) + u"\\Turn";
    HKEY h = nullptr;
    if (OsRegOpenKey(hkeyUserRoot(), turn.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        h = nullptr;
    std::vector<int> order;
    std::vector<bool> seen(USET_MAX_ENTRIES, false);
    for (DWORD k = 0; k < USET_MAX_ENTRIES; ++k) {
        std::u16string name = _Num((LONG)k);
        DWORD dw = 0, dwType = 0, cb = sizeof(dw);
        LONG lErr = h ? OsRegQueryValue(h, name.c_str(), nullptr, &dwType, (LPBYTE)&dw, &cb) : ERROR_FILE_NOT_FOUND;
        int s;
        if (lErr != ERROR_FILE_NOT_FOUND) {
            if (lErr != ERROR_SUCCESS || dwType != REG_DWORD || cb != sizeof(DWORD))
                continue;
            s = (int)dw;
        } else if (k < n) {
            s = (int)k;
        } else {
            continue;
        }
        if (s < 0 || s >= USET_MAX_ENTRIES || seen[s])
            continue;
        seen[s] = true;
        order.push_back(s);
    }
    if (h)
        OsRegCloseKey(h);
    return order;
}

void _DeleteKey(const std::u16string& path)
{
    OsRegDeleteKey(hkeyUserRoot(), path.c_str());
}

BOOL _KeyExists(const std::u16string& path)
{
    HKEY h = nullptr;
    if (OsRegOpenKey(hkeyUserRoot(), path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return FALSE;
    OsRegCloseKey(h);
    return TRUE;
}

// The driver folder of the printer (where the standard files are), without
// its final backslash.
std::u16string _DriverFolder(USETLIBRARY* p)
{
    std::u16string out;
    HANDLE h = nullptr;
    LPCWSTR pszPrinter = p->pSettings->trailer.pszPrinterName;
    if (pszPrinter && OpenPrinterW((LPWSTR)pszPrinter, &h, nullptr)) {
        if (LPWSTR psz = GetDriverDirectory(h)) {
            out = psz;
            HGLOBAL hMem = GlobalHandle(psz);
            GlobalUnlock(hMem);
            GlobalFree(hMem);
        }
        ClosePrinter(h);
    }
    while (!out.empty() && out.back() == u'\\')
        out.pop_back();
    return out;
}

// ---- identity ----

BOOL _ReadIdentity(const std::u16string& path, USETIDENTITY* pId)
{
    memset(pId, 0, sizeof(*pId));
    DWORD dwType = 0, cb = sizeof(DWORD);
    return _ReadText(path, u"Manufacture", pId->szManufacture, USET_ID_CCH) &&
           _ReadText(path, u"Product", pId->szProduct, USET_ID_CCH) &&
           _ReadText(path, u"System", pId->szSystem, USET_ID_CCH) &&
           _ReadText(path, u"Model", pId->szModel, USET_ID_CCH) &&
           _ReadText(path, u"Version", pId->szVersion, USET_ID_CCH) &&
           bQueryUserRegValue(hkeyUserRoot(), path.c_str(), &dwType, u"DrvVersion", &pId->dwDrvVersion, &cb) &&
           (cb = sizeof(DWORD), bQueryUserRegValue(hkeyUserRoot(), path.c_str(), &dwType, u"UsetVersion",
                                                   &pId->dwUsetVersion, &cb));
}

BOOL _WriteIdentity(USETLIBRARY* p)
{
    const USETIDENTITY& c = p->current;
    std::u16string path = p->szProfile;
    return _WriteText(path, u"Manufacture", c.szManufacture) && _WriteText(path, u"Product", c.szProduct) &&
           _WriteText(path, u"System", c.szSystem) && _WriteText(path, u"Model", c.szModel) &&
           _WriteText(path, u"Version", c.szVersion) &&
           bSetUserRegValue(hkeyUserRoot(), path.c_str(), REG_DWORD, u"DrvVersion", &c.dwDrvVersion, 4) &&
           bSetUserRegValue(hkeyUserRoot(), path.c_str(), REG_DWORD, u"UsetVersion", &c.dwUsetVersion, 4);
}

// ---- the list ----

FILEINFO _StandardInfo(USETLIBRARY* p, int j)
{
    FILEINFO fi = {};
    _Copy(fi.szPath, 261, _DriverFolder(p).c_str());
    _Copy(fi.szName, 41, (std::u16string(kStandardPrefix) + (char16_t)(u'0' + j)).c_str());
    _Copy(fi.szExt, 12, u"xsf");
    fi.dwType = USET_STANDARD;
    return fi;
}

void _ResetList(USETLIBRARY* p)
{
    _WriteDword(p, u"Count", u"count", kStandardFiles);
    for (int n = 0; n < kStandardFiles; ++n) {
        _WriteDword(p, u"Turn", _Num(n).c_str(), (DWORD)n);
        _WriteFileInfo(p, n, _StandardInfo(p, n));
    }
}

std::u16string _FilePath(const FILEINFO& fi)
{
    WCHAR sz[MAX_PATH];
    return BuildSettingsFilePath(sz, fi.szPath, fi.szName, fi.szExt) ? std::u16string(sz) : std::u16string();
}

std::u16string _DisplayName(const FILEINFO& fi)
{
    std::u16string path = _FilePath(fi);
    WCHAR sz[USET_NAME_CCH];
    if (path.empty() || !bFileExistsOrBusy(path.c_str()))
        return u"";
    ReadSetfileString(g_szSetfileNameSection, u"name", u"", sz, path.c_str());
    return sz;
}

// The user's own entries (File Type 1 or 2) of the identified list.
std::vector<FILEINFO> _UserEntries(USETLIBRARY* p)
{
    std::vector<FILEINFO> out;
    for (int s : _ReadOrder(p)) {
        FILEINFO fi = _ReadFileInfo(p, s);
        if (fi.dwType == USET_WRITABLE || fi.dwType == USET_READONLY)
            out.push_back(fi);
    }
    return out;
}

int _AskMigrate(USETLIBRARY* p)
{
    std::vector<FILEINFO> users = _UserEntries(p);
    if (users.empty())
        return IDNO;
    WCHAR sz[512];
    wnsprintfW(sz, 512, _Res(kStrMigrate).c_str(), (int)users.size());
    std::u16string text = sz;
    int cLines = 0;
    for (const FILEINFO& fi : users) {
        if (!bFileExistsOrBusy(_FilePath(fi).c_str()))
            continue;
        if (++cLines > 22) {
            text += _Res(kStrMigrateMore) + _Res(kStrMigrateMore);
            break;
        }
        text += _Res(kStrMigrateLine) + _DisplayName(fi) + u"\n";
    }
    text += _Res(kStrMigrateEnd1) + _Res(kStrMigrateEnd2);
    return _Box(p, text, kCapLibrary, MB_YESNO | MB_ICONINFORMATION);
}

BOOL _StandardNameTaken(USETLIBRARY* p, const FILEINFO& std, const std::vector<FILEINFO>& users)
{
    std::u16string name = _DisplayName(std);
    if (name.empty())
        name = std.szName;
    for (const FILEINFO& fi : users)
        if (_Same(_DisplayName(fi).c_str(), name.c_str()))
            return TRUE;
    return FALSE;
}

// Keeps the user's entries of the identified list and puts the standard
// files back (without a second entry of a name the user already has).
void _Migrate(USETLIBRARY* p)
{
    std::vector<int> turn = _ReadOrder(p);
    int n = (int)turn.size();
    std::vector<FILEINFO> info(n);
    int cStandard = 0;
    for (int k = 0; k < n; ++k) {
        info[k] = _ReadFileInfo(p, turn[k]);
        if (info[k].dwType == USET_STANDARD || info[k].dwType == 3)
            ++cStandard;
    }
    std::vector<FILEINFO> users = _UserEntries(p);
    int cKept = n - cStandard;
    int cStd = cKept + kStandardFiles > USET_MAX_ENTRIES ? USET_MAX_ENTRIES - cKept : kStandardFiles;
    BYTE bLegacy = p->bLegacy;
    p->bLegacy = 0;
    // The current list is rewritten from scratch.
    _DeleteKey(_Locate(p, false) + u"\\Turn");
    for (int s = 0; s < USET_MAX_ENTRIES; ++s)
        _DeleteKey(_Locate(p, false) + u"\\" + _SlotKey(s));
    int cUsed = 0, iNext = 0, cPositions = 0;
    std::vector<bool> slotUsed(USET_MAX_ENTRIES, false);
    for (int k = 0; k < n; ++k) {
        int s = turn[k];
        if (s < 0 || s >= USET_MAX_ENTRIES)
            continue;
        bool bStd = info[k].dwType == USET_STANDARD || info[k].dwType == 3;
        _WriteDword(p, u"Turn", _Num(cPositions++).c_str(), (DWORD)s);
        slotUsed[s] = true;
        if (!bStd || cUsed >= cStd) {
            if (!bStd)
                _WriteFileInfo(p, s, info[k]);
            continue;
        }
        FILEINFO std = _StandardInfo(p, iNext++);
        ++cUsed;
        if (!_StandardNameTaken(p, std, users))
            _WriteFileInfo(p, s, std);
    }
    for (; cUsed < cStd && iNext < 10 && cPositions < USET_MAX_ENTRIES; ++iNext) {
        FILEINFO std = _StandardInfo(p, iNext);
        if (_StandardNameTaken(p, std, users))
            continue;
        int s = 0;
        while (s < USET_MAX_ENTRIES && slotUsed[s])
            ++s;
        if (s == USET_MAX_ENTRIES)
            break;
        slotUsed[s] = true;
        _WriteDword(p, u"Turn", _Num(cPositions++).c_str(), (DWORD)s);
        _WriteFileInfo(p, s, std);
        ++cUsed;
    }
    _WriteDword(p, u"Count", u"count", (DWORD)cPositions);
    p->bLegacy = bLegacy;
}

// The positions whose file exists, in order.
void _DropMissing(USETLIBRARY* p)
{
    p->cEntries = 0;
    for (int s : _ReadOrder(p)) {
        FILEINFO fi = _ReadFileInfo(p, s);
        std::u16string path = _FilePath(fi);
        if (!path.empty() && bFileExistsOrBusy(path.c_str()))
            p->asOrder[p->cEntries++] = (SHORT)s;
    }
}

void _Compact(USETLIBRARY* p)
{
    USETENTRY* a[USET_MAX_ENTRIES] = {};
    DWORD n = 0;
    for (DWORD i = 0; i < p->cEntries; ++i) {
        int s = p->asOrder[i];
        if (s >= 0 && s < USET_MAX_ENTRIES && p->apEntries[s]) {
            a[n++] = p->apEntries[s];
            p->apEntries[s] = nullptr;
        }
    }
    for (int s = 0; s < USET_MAX_ENTRIES; ++s)
        if (p->apEntries[s])
            FreeSettingsEntry(p, &p->apEntries[s]);
    for (DWORD i = 0; i < USET_MAX_ENTRIES; ++i) {
        p->apEntries[i] = i < n ? a[i] : nullptr;
        p->asOrder[i] = (SHORT)i;
    }
    p->cEntries = n;
}

void _LoadAll(USETLIBRARY* p)
{
    USETENTRY* a[USET_MAX_ENTRIES] = {};
    for (DWORD i = 0; i < p->cEntries; ++i) {
        FILEINFO fi = _ReadFileInfo(p, p->asOrder[i]);
        int iCode = 0;
        a[i] = LoadSettingsFile(p, fi.szPath, fi.szName, fi.szExt, &iCode, TRUE);
        if (a[i] && fi.dwType != USET_WRITABLE && fi.dwType != USET_READONLY && a[i]->dwAttributes == USET_WRITABLE)
            a[i]->dwAttributes = fi.dwType == 3 ? 3 : a[i]->dwAttributes;
    }
    for (DWORD i = 0; i < USET_MAX_ENTRIES; ++i) {
        p->apEntries[i] = a[i];
        p->asOrder[i] = (SHORT)i;
    }
    _Compact(p);
}

USETLIBRARY* _Create(HWND hParent, UISETTINGS* pSettings, BYTE bLoadMode)
{
    if (!pSettings || !pSettings->trailer.pszPrinterName)
        return nullptr;
    USETLIBRARY* p = (USETLIBRARY*)GlobalAlloc(GPTR, sizeof(USETLIBRARY));
    if (!p)
        return nullptr;
    p->hParent = hParent;
    p->pSettings = pSettings;
    p->bLoadMode = bLoadMode;
    GetCurrentIdentity(&p->current);
    GetLegacyIdentity(&p->legacy);
    LPCWSTR pszPrinter = pSettings->trailer.pszPrinterName;
    if (!BuildUserRegPath(p->szProfile, pszPrinter, kProfileKey, nullptr) ||
        !BuildUserRegPath(p->szLocate, pszPrinter, kProfileKey, kLocateKey)) {
        GlobalFree(p);
        return nullptr;
    }
    _Copy(p->szLegacyProfile, USET_PATH_CCH, kLegacyProfile);
    _Copy(p->szLegacyLocate, USET_PATH_CCH, (std::u16string(kLegacyProfile) + u"\\" + kLocateKey).c_str());

    USETIDENTITY id;
    BOOL bRead = _ReadIdentity(p->szProfile, &id);
    bool bKnown = bRead && _Same(id.szManufacture, p->current.szManufacture) &&
                  _Same(id.szProduct, p->current.szProduct) && _Same(id.szSystem, p->current.szSystem) &&
                  _Same(id.szModel, p->current.szModel) && id.dwUsetVersion == 1;
    bool bCheckVersion = bKnown;
    if (!bKnown) {
        p->bLegacy = 1;
        bRead = _ReadIdentity(p->szLegacyProfile, &id);
        auto either = [](LPCWSTR a, LPCWSTR b, LPCWSTR c) { return _Same(a, b) || _Same(a, c); };
        bool bLegacyOk = bRead && either(id.szManufacture, p->legacy.szManufacture, p->current.szManufacture) &&
                         either(id.szProduct, p->legacy.szProduct, p->current.szProduct) &&
                         either(id.szSystem, p->legacy.szSystem, p->current.szSystem) &&
                         either(id.szModel, p->legacy.szModel, p->current.szModel) && id.dwUsetVersion == 1;
        if (!bLegacyOk) {
            p->bLegacy = 0;
            _ResetList(p);
            _WriteIdentity(p);
        }
        bCheckVersion = bLegacyOk;
    }
    if (bCheckVersion && !_Same(id.szVersion, SETFILE_VERSION)) {
        if (_AskMigrate(p) == IDYES) {
            p->bLoadMode = 1;
            _Migrate(p);
        } else {
            p->bLegacy = 0;
            _ResetList(p);
        }
        p->bLegacy = 0;
        _WriteIdentity(p);
    } else if (bCheckVersion && p->bLegacy) {
        // A legacy list of the current format version: taken over as it is.
        _Migrate(p);
        p->bLegacy = 0;
        _WriteIdentity(p);
    }
    p->bLegacy = 0;
    if (_ReadCount(p) > USET_MAX_ENTRIES) {
        GlobalFree(p);
        return nullptr;
    }
    _DropMissing(p);
    _LoadAll(p);
    p->bLoadMode = bLoadMode;
    bFinishUserSettingsLibrary(p);
    return p;
}

USETENTRY* _At(USETLIBRARY* p, int iPosition)
{
    if (!p || iPosition < 0 || (DWORD)iPosition >= p->cEntries)
        return nullptr;
    int s = p->asOrder[iPosition];
    return s >= 0 && s < USET_MAX_ENTRIES ? p->apEntries[s] : nullptr;
}

BOOL _NameOk(LPCWSTR psz)
{
    return psz && *psz && lstrlenW(psz) < USET_NAME_CCH;
}

}  // namespace

USETLIBRARY* CreateUserSettingsLibrary(HWND hParent, UISETTINGS* pSettings)
{
    return _Create(hParent, pSettings, 0);
}

USETLIBRARY* CreateUserSettingsLibraryFull(HWND hParent, UISETTINGS* pSettings)
{
    return _Create(hParent, pSettings, 1);
}

void DestroyUserSettingsLibrary(USETLIBRARY** ppLib)
{
    // The caller's pointer may be a field of a packed record.
    USETLIBRARY* p = ppLib ? ParamLoadPtr(ppLib) : nullptr;
    if (!p)
        return;
    for (USETENTRY*& e : p->apEntries)
        FreeSettingsEntry(p, &e);
    GlobalFree(p);
    ParamStorePtr(ppLib, static_cast<USETLIBRARY*>(nullptr));
}

USETENTRY* GetUserSettingEntry(USETLIBRARY* pLib, int iPosition)
{
    return _At(pLib, iPosition);
}

BOOL bFinishUserSettingsLibrary(USETLIBRARY* pLib)
{
    if (!pLib || pLib->cEntries > USET_MAX_ENTRIES)
        return FALSE;
    BOOL bOk = TRUE;
    // New values first, then the keys past the new end: a failure part-way
    // leaves a list that still names every file.
    for (DWORD i = 0; i < pLib->cEntries; ++i) {
        int s = pLib->asOrder[i];
        bOk &= _WriteDword(pLib, u"Turn", _Num((LONG)i).c_str(), (DWORD)s);
        USETENTRY* e = s >= 0 && s < USET_MAX_ENTRIES ? pLib->apEntries[s] : nullptr;
        if (!e)
            continue;
        FILEINFO fi = {};
        _Copy(fi.szPath, 261, e->szFolder);
        _Copy(fi.szName, 41, e->szName);
        _Copy(fi.szExt, 12, e->szExt);
        fi.dwType = e->dwAttributes;
        bOk &= _WriteFileInfo(pLib, s, fi);
        if (e->dwAttributes == USET_WRITABLE && e->bState != USET_SAVED) {
            WCHAR szPath[MAX_PATH];
            BOOL bNew = e->bState == USET_NEW;
            if (!BuildSettingsFilePath(szPath, e->szFolder, e->szName, e->szExt) ||
                !bSaveSettingsFile(pLib, e, szPath)) {
                _Box(pLib, _Res(bNew ? kStrNotWritable : kStrSaveFailed), bNew ? kCapSave : kCapLibrary,
                     MB_OK | MB_ICONWARNING);
                bOk = FALSE;
            }
        }
    }
    bOk &= _WriteDword(pLib, u"Count", u"count", pLib->cEntries);
    for (int i = (int)pLib->cEntries; i < USET_MAX_ENTRIES; ++i) {
        std::u16string path = _Locate(pLib, false) + u"\\Turn";
        HKEY h = nullptr;
        if (OsRegOpenKey(hkeyUserRoot(), path.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
            RegDeleteValueW(h, _Num(i).c_str());
            OsRegCloseKey(h);
        }
    }
    for (int s = 0; s < USET_MAX_ENTRIES; ++s) {
        bool bHeld = false;
        for (DWORD i = 0; i < pLib->cEntries; ++i)
            bHeld = bHeld || pLib->asOrder[i] == s;
        std::u16string key = _Locate(pLib, false) + u"\\" + _SlotKey(s);
        if (!bHeld && _KeyExists(key))
            _DeleteKey(key);
    }
    return bOk;
}

BOOL bAddUserSettingFile(USETLIBRARY* pLib, UISETTINGS* pSettings, LPCWSTR pszFolder, LPCWSTR pszName,
                         LPCWSTR pszComment)
{
    if (!pLib || !pSettings || !pszFolder || !*pszFolder || !_NameOk(pszName))
        return FALSE;
    if (bSaveTargetBlocked(pLib, pszFolder, pszName, u"xsf")) {
        _Box(pLib, _Res(kStrNotWritable), kCapSave, MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    int iReuse = -1;
    for (DWORD i = 0; i < pLib->cEntries && iReuse < 0; ++i) {
        USETENTRY* e = _At(pLib, (int)i);
        if (e && _Same(e->szFolder, pszFolder) && _Same(e->szName, pszName) && _Same(e->szExt, u"xsf"))
            iReuse = (int)i;
    }
    if (iReuse < 0 && pLib->cEntries >= USET_MAX_ENTRIES)
        return FALSE;
    USETENTRY* e = NewSettingsEntry(pLib, pszFolder, pszName, u"xsf", pszComment, pSettings);
    if (!e) {
        _Box(pLib, _Res(kStrAddFailed), kCapSave, MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    if (iReuse >= 0) {
        int s = pLib->asOrder[iReuse];
        FreeSettingsEntry(pLib, &pLib->apEntries[s]);
        pLib->apEntries[s] = e;
        return TRUE;
    }
    int s = 0;
    while (s < USET_MAX_ENTRIES && pLib->apEntries[s])
        ++s;
    pLib->apEntries[s] = e;
    pLib->asOrder[pLib->cEntries++] = (SHORT)s;
    return TRUE;
}

BOOL bRegisterSettingsFile(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt)
{
    if (!pLib || !pszFolder || !*pszFolder || !_NameOk(pszName) || !pszExt || !*pszExt ||
        pLib->cEntries >= USET_MAX_ENTRIES)
        return FALSE;
    for (DWORD i = 0; i < pLib->cEntries; ++i) {
        USETENTRY* e = _At(pLib, (int)i);
        if (e && _Same(e->szName, pszName)) {
            _Box(pLib, _Res(kStrDuplicate), kCapOrganize, MB_OK | MB_ICONWARNING);
            return FALSE;
        }
    }
    int iCode = 0;
    USETENTRY* e = LoadSettingsFile(pLib, pszFolder, pszName, pszExt, &iCode, FALSE);
    if (!e) {
        if (iCode < SETFILE_FOREIGN_SYSTEM || iCode > SETFILE_VERSION_READONLY)
            _Box(pLib, _Res(kStrRegisterFailed), kCapRegister, MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    for (DWORD i = 0; i < pLib->cEntries; ++i) {
        USETENTRY* o = _At(pLib, (int)i);
        if (o && _Same(o->szDisplayName, e->szDisplayName)) {
            FreeSettingsEntry(pLib, &e);
            _Box(pLib, _Res(kStrDuplicate), kCapOrganize, MB_OK | MB_ICONWARNING);
            return FALSE;
        }
    }
    if (e->dwAttributes == USET_STANDARD) {
        FreeSettingsEntry(pLib, &e);
        _Box(pLib, _Res(kStrRegisterStandard), kCapRegister, MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    int s = 0;
    while (s < USET_MAX_ENTRIES && pLib->apEntries[s])
        ++s;
    pLib->apEntries[s] = e;
    pLib->asOrder[pLib->cEntries++] = (SHORT)s;
    return TRUE;
}

BOOL bMoveUserSetting(USETLIBRARY* pLib, int iPosition, int iOp)
{
    USETENTRY* e = _At(pLib, iPosition);
    if (!e)
        return FALSE;
    switch (iOp) {
    case USET_MOVE_UP:
        if (iPosition == 0)
            return FALSE;
        std::swap(pLib->asOrder[iPosition], pLib->asOrder[iPosition - 1]);
        return TRUE;
    case USET_MOVE_DOWN:
        if ((DWORD)iPosition + 1 >= pLib->cEntries)
            return FALSE;
        std::swap(pLib->asOrder[iPosition], pLib->asOrder[iPosition + 1]);
        return TRUE;
    case USET_REMOVE: {
        if (e->dwAttributes == USET_STANDARD) {
            _Box(pLib, _Res(kStrCannotRemove), kCapOrganize, MB_OK | MB_ICONWARNING);
            return FALSE;
        }
        int s = pLib->asOrder[iPosition];
        FreeSettingsEntry(pLib, &pLib->apEntries[s]);
        for (DWORD i = (DWORD)iPosition; i + 1 < pLib->cEntries; ++i)
            pLib->asOrder[i] = pLib->asOrder[i + 1];
        --pLib->cEntries;
        _Compact(pLib);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL bRenameUserSetting(USETLIBRARY* pLib, int iPosition, LPCWSTR pszName)
{
    USETENTRY* e = _At(pLib, iPosition);
    if (!e || !_NameOk(pszName))
        return FALSE;
    if (lstrcmpW(e->szDisplayName, pszName) == 0)
        return TRUE;
    BOOL bClash = FALSE;
    for (DWORD i = 0; i < pLib->cEntries; ++i) {
        USETENTRY* o = _At(pLib, (int)i);
        bClash = bClash || (o && o != e && _Same(o->szName, pszName));
    }
    // Another file of that name in the folder would be overwritten.
    WCHAR szPath[MAX_PATH];
    if (!bClash && !_Same(e->szName, pszName))
        bClash = !BuildSettingsFilePath(szPath, e->szFolder, pszName, e->szExt) ||
                 GetFileAttributesW(szPath) != INVALID_FILE_ATTRIBUTES;
    if (!bClash) {
        USETENTRY saved = *e;
        _Copy(e->szDisplayName, USET_NAME_CCH, pszName);
        _Copy(e->szName, USET_NAME_CCH, pszName);
        BYTE bState = e->bState;
        e->bState = USET_CHANGED;
        BYTE bMode = pLib->bLoadMode;
        pLib->bLoadMode = 1;  // a rename is saved at once, whatever the mode
        BOOL bOk = BuildSettingsFilePath(szPath, e->szFolder, e->szName, e->szExt) &&
                   bSaveSettingsFile(pLib, e, szPath);
        pLib->bLoadMode = bMode;
        if (bOk)
            return TRUE;
        _Copy(e->szDisplayName, USET_NAME_CCH, saved.szDisplayName);
        _Copy(e->szName, USET_NAME_CCH, saved.szName);
        e->bState = bState;
    }
    _Box(pLib, _Res(kStrRenameFailed), kCapOrganize, MB_OK | MB_ICONWARNING);
    return FALSE;
}

BOOL bSetUserSettingComment(USETLIBRARY* pLib, int iPosition, LPCWSTR pszComment)
{
    USETENTRY* e = _At(pLib, iPosition);
    if (!e || !pszComment)
        return FALSE;
    WCHAR sz[USET_COMMENT_CCH];
    _Copy(sz, USET_COMMENT_CCH, pszComment);
    if (lstrcmpW(sz, e->szComment) != 0) {
        _Copy(e->szComment, USET_COMMENT_CCH, sz);
        if (e->bState == USET_SAVED)
            e->bState = USET_CHANGED;
    }
    return TRUE;
}

BOOL bRecallUserSetting(USETLIBRARY* pLib, int iPosition, UISETTINGS* pSettings, const BYTE* pOptions)
{
    USETENTRY* e = _At(pLib, iPosition);
    if (!e || !pSettings || !e->pSettings)
        return FALSE;
    static const BYTE kAll[RECALL_OPTIONS] = {1, 1, 1, 1, 1, 1, 1};
    const BYTE* o = pOptions ? pOptions : kAll;
    DWORD dwFlags = (o[0] == 1 ? 0x01 : 0) | (o[1] ? 0x02 : 0) | (o[2] ? 0x04 : 0) | (o[3] ? 0x08 : 0) |
                    (o[5] ? 0x20 : 0) | (o[6] ? 0x40 : 0);
    if (!pOptions)
        dwFlags = (DWORD)-1;
    SHORT sMedia = GetParamEdited(e->pSettings, kParamMediaSize);
    SHORT sOutput = GetParamEdited(e->pSettings, kParamOutputPaper);
    CopySettingsGroups(pSettings, e->pSettings, dwFlags);
    SetParamEdited(pSettings, kParamValueList100, 1);
    if (pSettings->trailer.pListSet)
        LoadUserPaperRows(pSettings->trailer.pListSet->pUserPapers);
    pSettings->dwFlags |= kRecalledFlag;
    BOOL bCustom = FALSE;
    SHORT sNewMedia = GetParamEdited(pSettings, kParamMediaSize);
    SHORT sNewOutput = GetParamEdited(pSettings, kParamOutputPaper);
    if (bIsCustomPaper(sNewMedia)) {
        SetCustomSizeMargins(pSettings, 111, sNewMedia);
        bCustom = TRUE;
    }
    if (bIsCustomPaper(sNewOutput)) {
        SetCustomSizeMargins(pSettings, 114, sNewOutput);
        bCustom = TRUE;
    }
    BOOL bDiffers = GetParamEdited(pSettings, kParamMediaSize) != sMedia ||
                    GetParamEdited(pSettings, kParamOutputPaper) != sOutput;
    BOOL bZoom = o[0] == 1 ? (o[1] == 1 ? FALSE : bCustom) : (o[1] == 1 ? bDiffers : (bDiffers || bCustom));
    if (bZoom)
        RecalcAutoZoom(pSettings);
    SHORT sList = GetParamEdited(pSettings, kParamInterSheetList);
    pSettings->wInterSheetList = (WORD)(sList < 0 ? 0 : sList);
    return TRUE;
}

BOOL bSettingsFileInUse(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt)
{
    WCHAR szPath[MAX_PATH];
    if (!pLib || !pszFolder || !*pszFolder || !_NameOk(pszName) || !pszExt || !*pszExt ||
        !BuildSettingsFilePath(szPath, pszFolder, pszName, pszExt))
        return FALSE;
    if (GetFileAttributesW(szPath) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    for (DWORD i = 0; i < pLib->cEntries; ++i) {
        USETENTRY* e = _At(pLib, (int)i);
        if (e && _Same(e->szFolder, pszFolder) && _Same(e->szName, pszName) && _Same(e->szExt, pszExt))
            return TRUE;
    }
    return FALSE;
}

BOOL bSaveTargetBlocked(USETLIBRARY* pLib, LPCWSTR pszFolder, LPCWSTR pszName, LPCWSTR pszExt)
{
    WCHAR szPath[MAX_PATH];
    if (!pLib || !pszFolder || !*pszFolder || !_NameOk(pszName) || !pszExt || !*pszExt ||
        !BuildSettingsFilePath(szPath, pszFolder, pszName, pszExt))
        return FALSE;
    if (!bIsFolderWritable(pszFolder))
        return TRUE;
    DWORD dw = GetFileAttributesW(szPath);
    return dw != INVALID_FILE_ATTRIBUTES &&
           (dw & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                  FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

UISETTINGS* CloneSettingsForSave(USETLIBRARY* pLib, UISETTINGS* pSettings)
{
    if (!pLib || !pSettings)
        return nullptr;
    UISETTINGS* p = CloneParamObject(pSettings);
    if (!p)
        return nullptr;
    WCHAR szWork[MAX_PATH];
    if (!MakeWorkingCopy(SettingsWorkFile(pSettings), u"xsf", szWork)) {
        FreeParamObjectClone(&p);
        return nullptr;
    }
    SetSettingsWorkFile(p, szWork);
    CopySettingsGroups(p, pSettings, (DWORD)-1);
    // What a saved file may never carry.
    BOOL bPassword = GetParamEdited(p, kParamPassword) == 1;
    BOOL bOverlay = GetParamEdited(p, kParamOverlay) != 1;
    BOOL bCombine = GetParamEdited(p, kParamPod) == 1 && GetParamEdited(p, kParamJobComb) == 1;
    if (bPassword || bOverlay || bCombine) {
        std::u16string text = _Res(kStrForbidden1) + _Res(kStrForbidden2);
        if (bPassword)
            text += _Res(kStrForbiddenPassword);
        if (bOverlay)
            text += _Res(kStrForbiddenOverlay);
        if (bCombine) {
            WCHAR sz[512];
            wnsprintfW(sz, 512, _Res(kStrForbiddenCombine).c_str(), _Res(kStrCombineName).c_str());
            text += sz;
        }
        _Box(pLib, text, kCapSave, MB_OK | MB_ICONWARNING);
    }
    ClearFileForbiddenSettings(p);
    SetParamEdited(p, kParamOutputMethod, 1);
    return p;
}

void ClearFileForbiddenSettings(UISETTINGS* pSettings)
{
    if (!pSettings)
        return;
    SetParamEdited(pSettings, kParamPassword, 0);
    SetParamEdited(pSettings, kParamJobComb, 0);
    SetParamEdited(pSettings, kParamOverlay, 1);
    SetParamEdited(pSettings, kParamOutput, 2);
    // Plain printing (0 or 1) stays as it is; held, secure, box and timer
    // output become plain printing.
    if (GetParamEdited(pSettings, kParamOutputMethod) > 1)
        SetParamEdited(pSettings, kParamOutputMethod, 1);
    if (GetParamEdited(pSettings, kParamReceivePersonal) == 2)
        SetParamEdited(pSettings, kParamReceivePersonal, 0);
}

void DiscardSettingsClone(USETLIBRARY* pLib, UISETTINGS** ppClone)
{
    (void)pLib;
    if (!ppClone || !ParamLoadPtr(ppClone))
        return;
    LPCWSTR pszWork = SettingsWorkFile(ParamLoadPtr(ppClone));
    if (*pszWork)
        DeleteFileW(pszWork);
    FreeParamObjectClone(ppClone);
}

BOOL QueryUsetString(USETLIBRARY* pLib, LPCWSTR pszValue, LPWSTR pszOut, LPCWSTR pszDefault, DWORD cbOut)
{
    DWORD cch = cbOut / sizeof(WCHAR);
    if (!pLib || !pszValue || !*pszValue || !pszOut || !cch)
        return FALSE;
    if (_ReadText(pLib->szProfile, pszValue, pszOut, cch))
        return TRUE;
    _Copy(pszOut, cch, pszDefault);
    return FALSE;
}

BOOL bSetUsetString(USETLIBRARY* pLib, LPCWSTR pszValue, LPCWSTR pszText)
{
    if (!pLib || !pszValue || !*pszValue || !pszText)
        return FALSE;
    return _WriteText(pLib->szProfile, pszValue, pszText);
}

BYTE* CreateRecallOptions()
{
    BYTE* p = (BYTE*)GlobalAlloc(GPTR, 12);
    static const BYTE kDefaults[RECALL_OPTIONS] = {0, 1, 1, 1, 0, 1, 1};
    if (p)
        memcpy(p, kDefaults, RECALL_OPTIONS);
    return p;
}

BOOL SetRecallOption(BYTE* pOptions, int n, BYTE bValue)
{
    if (!pOptions || n < 0 || n >= RECALL_OPTIONS)
        return FALSE;
    pOptions[n] = bValue;
    return TRUE;
}

void FreeRecallOptions(BYTE** ppOptions)
{
    if (ppOptions && ParamLoadPtr(ppOptions)) {
        GlobalFree(ParamLoadPtr(ppOptions));
        ParamStorePtr(ppOptions, static_cast<BYTE*>(nullptr));
    }
}
