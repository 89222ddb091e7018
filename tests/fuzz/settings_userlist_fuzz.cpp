// The per-user list of saved settings sets: "QX_UIPROFILE" under the user's
// printer key holds the identity of the list (Manufacture, Product, System,
// Model, Version, DrvVersion, UsetVersion), and "QX_UIPROFILE\Locate Info"
// the list itself: "Count" (count), "Turn" (position -> slot) and one
// "File Info NN" per slot (Path, Name, Extent, File Type). It is the user's
// store: another program, an older driver or a damaged profile may have
// left any value there, of any type.
//
// Each case writes a good list of a few sets (their files exist), damages
// it as the input says, then opens the library (headers only or whole),
// works on it as the input says and writes it back, and opens it again.
//
// Input: one byte of sets (0..6), one byte of roads (bit 0 whole load, bit
// 1 move the first set down, bit 2 remove the last one, bit 3 rename the
// first one), then damages of 4 + n bytes each: the value (byte: Count,
// a Turn position, a File Info value of a slot or an identity value), what
// is done (byte: deleted, stored as a number, as text or as bytes), the
// length n (two bytes) and n bytes of the new value. What must hold
// besides no fault: a list reopened after it was written back offers the
// same sets as before; and when nothing but one value of the list itself
// (not of its identity) was damaged, at most that one set is lost.
#include "tests/fuzz/fuzz.h"

#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/regenv.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/usetlib.h"

#include <filesystem>

namespace {

POPTIONDB g_pdb = nullptr;
UISETTINGS* g_pObj = nullptr;
std::string g_template;  // a settings file as the library writes it
std::u16string g_profile, g_locate;
const int kMaxSets = 6;

std::u16string _Num(int n)
{
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

std::u16string _Slot(int s)
{
    WCHAR sz[32];
    wsprintfW(sz, u"File Info %02d", s);
    return sz;
}

void _Set(const std::u16string& key, LPCWSTR pszValue, DWORD dwType, const void* pv, DWORD cb)
{
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        FuzzFail("the list's key cannot be made");
    RegSetValueExW(h, pszValue, 0, dwType, (const BYTE*)pv, cb);
    RegCloseKey(h);
}

void _SetText(const std::u16string& key, LPCWSTR pszValue, const std::u16string& text)
{
    _Set(key, pszValue, REG_SZ, text.c_str(), (DWORD)(text.size() + 1) * sizeof(WCHAR));
}

void _SetDword(const std::u16string& key, LPCWSTR pszValue, DWORD dw)
{
    _Set(key, pszValue, REG_DWORD, &dw, sizeof(dw));
}

// The store as the library leaves it with cSets sets of its own in
// C:\sets (set0.xsf ...), in slots cSets-1 down to 0 (so that slot and
// position differ).
void _WriteGoodList(int cSets)
{
    for (int s = 0; s < USET_MAX_ENTRIES; ++s)
        RegDeleteKeyW(HKEY_CURRENT_USER, (g_locate + u"\\" + _Slot(s)).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, (g_locate + u"\\Turn").c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, (g_locate + u"\\Count").c_str());
    USETIDENTITY id;
    GetCurrentIdentity(&id);
    _SetText(g_profile, u"Manufacture", id.szManufacture);
    _SetText(g_profile, u"Product", id.szProduct);
    _SetText(g_profile, u"System", id.szSystem);
    _SetText(g_profile, u"Model", id.szModel);
    _SetText(g_profile, u"Version", id.szVersion);
    _SetDword(g_profile, u"DrvVersion", id.dwDrvVersion);
    _SetDword(g_profile, u"UsetVersion", id.dwUsetVersion);
    _SetDword(g_locate + u"\\Count", u"count", (DWORD)cSets);
    for (int k = 0; k < cSets; ++k) {
        int s = cSets - 1 - k;
        _SetDword(g_locate + u"\\Turn", _Num(k).c_str(), (DWORD)s);
        std::u16string key = g_locate + u"\\" + _Slot(s);
        _SetText(key, u"Path", u"C:\\sets");
        _SetText(key, u"Name", u"set" + _Num(k));
        _SetText(key, u"Extent", u"xsf");
        _SetDword(key, u"File Type", USET_WRITABLE);
    }
}

// One damage; TRUE when it touched the list itself (not its identity).
bool _Damage(FuzzInput& in, int cSets)
{
    BYTE bWhich = in.U8();
    BYTE bHow = in.U8();
    uint16_t cb = in.U16() % 600;
    std::vector<uint8_t> bytes = in.Take(cb);
    std::u16string key;
    std::u16string value;
    bool bList = true;
    static const char16_t* const kInfo[] = {u"Path", u"Name", u"Extent", u"File Type"};
    static const char16_t* const kIdentity[] = {u"Manufacture", u"Product", u"System",     u"Model",
                                                u"Version",     u"DrvVersion", u"UsetVersion"};
    int iPick = bWhich % 40;
    if (iPick == 0) {
        key = g_locate + u"\\Count";
        value = u"count";
    } else if (iPick < 8) {
        key = g_locate + u"\\Turn";
        value = _Num((iPick - 1) % (cSets + 1));
    } else if (iPick < 32) {
        int s = (iPick - 8) / 4 % (cSets + 1);
        key = g_locate + u"\\" + _Slot(s);
        value = kInfo[(iPick - 8) % 4];
    } else {
        key = g_profile;
        value = kIdentity[(iPick - 32) % 7];
        bList = false;
    }
    switch (bHow % 4) {
    case 0: {
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
            RegDeleteValueW(h, value.c_str());
            RegCloseKey(h);
        }
        break;
    }
    case 1: {
        DWORD dw = 0;
        if (!bytes.empty())
            std::memcpy(&dw, bytes.data(), std::min(bytes.size(), sizeof(dw)));
        _SetDword(key, value.c_str(), dw);
        break;
    }
    case 2:
        _Set(key, value.c_str(), REG_SZ, bytes.empty() ? nullptr : bytes.data(), (DWORD)bytes.size());
        break;
    default:
        _Set(key, value.c_str(), REG_BINARY, bytes.empty() ? nullptr : bytes.data(), (DWORD)bytes.size());
        break;
    }
    return bList;
}

// The display names the library offers, in order ("" for a hole).
std::vector<std::u16string> _Offered(USETLIBRARY* pLib)
{
    std::vector<std::u16string> out;
    for (DWORD i = 0; i < pLib->cEntries; ++i) {
        USETENTRY* e = GetUserSettingEntry(pLib, (int)i);
        out.push_back(e ? e->szDisplayName : u"");
    }
    return out;
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_pdb = OpenOptionDb();
    std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
    if (!g_pdb || !InitDefaultDevmode(g_pdb, (DEVMODEW*)dm.data(), FUZZ_PRINTER, nullptr))
        FuzzFail("no default settings");
    ValidateDevmode(g_pdb, (DEVMODEW*)dm.data(), nullptr);
    if (CreateSettingsObject(g_pdb, &g_pObj, (DEVMODEW*)dm.data(), 0, FUZZ_PRINTER) != 1)
        FuzzFail("no settings object");
    WCHAR sz[USET_PATH_CCH];
    if (!BuildUserRegPath(sz, FUZZ_PRINTER, u"QX_UIPROFILE", nullptr))
        FuzzFail("no profile path");
    g_profile = sz;
    if (!BuildUserRegPath(sz, FUZZ_PRINTER, u"QX_UIPROFILE", u"Locate Info"))
        FuzzFail("no list path");
    g_locate = sz;
    // One set saved by the library, the file every set of a case copies.
    CreateDirectoryW(u"C:\\sets", nullptr);
    USETLIBRARY* pLib = CreateUserSettingsLibrary(nullptr, g_pObj);
    if (!pLib || !bAddUserSettingFile(pLib, g_pObj, u"C:\\sets", u"template", u"") ||
        !bFinishUserSettingsLibrary(pLib))
        FuzzFail("no settings file to start from");
    DestroyUserSettingsLibrary(&pLib);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, nullptr);
    g_template = FuzzReadHostFile(PlatHostPath(u"C:\\sets\\template.xsf"));
    if (g_template.empty())
        FuzzFail("the saved set is not there");
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    int cSets = in.U8() % (kMaxSets + 1);
    BYTE bRoads = in.U8();
    std::error_code ec;
    std::filesystem::remove_all(PlatHostPath(u"C:\\sets"), ec);
    CreateDirectoryW(u"C:\\sets", nullptr);
    for (int k = 0; k < cSets; ++k) {
        // Each set under a name of its own (the display name is the file's).
        std::u16string name = u"set" + _Num(k);
        std::u16string path = u"C:\\sets\\" + name + u".xsf";
        FuzzWriteFile(path.c_str(), g_template.data(), g_template.size());
        WritePrivateProfileStringW(u"QX_SETTING LIBRARY NAME", u"name", (u"*" + name + u"*").c_str(), path.c_str());
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, nullptr);
    _WriteGoodList(cSets);

    int cDamages = 0;
    bool bOnlyList = true;
    while (in.Left() >= 4 && cDamages < 8) {
        bOnlyList = _Damage(in, cSets) && bOnlyList;
        ++cDamages;
    }

    USETLIBRARY* pLib = (bRoads & 1) ? CreateUserSettingsLibraryFull(nullptr, g_pObj)
                                     : CreateUserSettingsLibrary(nullptr, g_pObj);
    if (!pLib)
        return;  // a count above 25: the library is not available
    std::vector<std::u16string> first = _Offered(pLib);
    if (cDamages == 1 && bOnlyList && (int)first.size() < cSets - 1)
        FuzzFail("one damaged value of the list lost more than one set");
    if (cDamages == 0 && (int)first.size() != cSets)
        FuzzFail("an undamaged list lost a set");
    if (bRoads & 2)
        bMoveUserSetting(pLib, 0, USET_MOVE_DOWN);
    if ((bRoads & 4) && pLib->cEntries)
        bMoveUserSetting(pLib, (int)pLib->cEntries - 1, USET_REMOVE);
    if (bRoads & 8)
        bRenameUserSetting(pLib, 0, u"renamed");
    bFinishUserSettingsLibrary(pLib);
    std::vector<std::u16string> written = _Offered(pLib);
    DestroyUserSettingsLibrary(&pLib);

    pLib = CreateUserSettingsLibrary(nullptr, g_pObj);
    if (!pLib)
        FuzzFail("a list the library wrote back cannot be opened");
    if (_Offered(pLib) != written)
        FuzzFail("a list written back offers other sets when it is opened again");
    DestroyUserSettingsLibrary(&pLib);
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto add = [&](int cSets, BYTE bRoads, std::vector<std::string> damages) {
        std::string s;
        s.push_back((char)cSets);
        s.push_back((char)bRoads);
        for (const std::string& d : damages)
            s += d;
        pSeeds->push_back(s);
    };
    auto damage = [](BYTE bWhich, BYTE bHow, const std::string& bytes) {
        std::string d;
        d.push_back((char)bWhich);
        d.push_back((char)bHow);
        FuzzPut(&d, (uint16_t)bytes.size());
        return d + bytes;
    };
    add(3, 0, {});
    add(3, 1, {});
    add(5, 0x0E, {});
    // The count stored as text, deleted, too large; a Turn value as text;
    // a Path as a number; the Product deleted.
    add(3, 0, {damage(0, 2, std::string("3\0\0", 4))});
    add(3, 0, {damage(0, 0, "")});
    add(3, 0, {damage(0, 1, std::string("\x1A\0\0\0", 4))});
    add(4, 0, {damage(2, 2, std::string("x\0\0", 4))});
    add(4, 1, {damage(8, 1, std::string("\7\0\0\0", 4))});
    add(3, 0, {damage(33, 0, "")});
    add(6, 0x0F, {damage(0, 3, "abc"), damage(3, 0, ""), damage(11, 2, std::string("\0", 2))});
}
