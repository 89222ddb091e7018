// A settings set recalled, and the lists rewritten from what it brought: a
// user recalls a saved set (a file mailed by a colleague, an older driver's,
// a damaged copy) into the live settings with the recall options of the
// recall-details dialog; the sheet's apply then stores every per-user list
// again from the live settings (watermarks, insert sheets, forms, user
// papers, font substitutions, the fax cover sheet), and the next settings
// object reads them back. The settings-file target only reads a file;
// this one carries what it read all the way to the store and back.
//
// Input: seven bytes of recall options (each 0 or 1 taken from its low
// bit), one byte of roads (bit 0 a second apply and read-back), then the
// settings file's bytes. What must hold besides no fault: what a recall
// gives the live settings converts to a DEVMODE that validates; the lists
// written by the apply read back into a new settings object; and a second
// apply of that object stores the same lists again (the store is stable).
#include "tests/fuzz/fuzz.h"

#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/listset.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/regenv.h"
#include "ui/settings/setfile.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/usetlib.h"

#include <filesystem>

namespace {

POPTIONDB g_pdb = nullptr;
std::vector<BYTE> g_dm;  // the driver's default DEVMODE, validated
UISETTINGS* g_pSeedObj = nullptr;

UISETTINGS* _NewObject(std::vector<BYTE>* pdm)
{
    UISETTINGS* pObj = nullptr;
    if (CreateSettingsObject(g_pdb, &pObj, (DEVMODEW*)pdm->data(), 0, FUZZ_PRINTER) != 1)
        return nullptr;
    return pObj;
}

// The registry values under the user's printer key, as one text.
void _Dump(HKEY hParent, const std::u16string& path, std::string* pOut, int depth)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(hParent, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        WCHAR szName[260];
        DWORD cch = 260, dwType = 0, cb = 0;
        if (RegEnumValueW(h, i, szName, &cch, nullptr, &dwType, nullptr, &cb) != ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(cb + 2, 0);
        cch = 260;
        DWORD cbData = cb;
        RegEnumValueW(h, i, szName, &cch, nullptr, &dwType, data.data(), &cbData);
        pOut->append((const char*)szName, cch * sizeof(WCHAR));
        pOut->push_back('=');
        pOut->append((const char*)data.data(), cbData);
        pOut->push_back('\n');
    }
    for (DWORD i = 0; depth > 0; ++i) {
        WCHAR szName[260];
        DWORD cch = 260;
        if (RegEnumKeyExW(h, i, szName, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        pOut->append("[");
        pOut->append((const char*)szName, cch * sizeof(WCHAR));
        pOut->append("]\n");
        _Dump(h, szName, pOut, depth - 1);
    }
    RegCloseKey(h);
}

std::string _Store()
{
    WCHAR sz[USET_PATH_CCH];
    BuildUserRegPath(sz, FUZZ_PRINTER, nullptr, nullptr);
    std::string out;
    _Dump(HKEY_CURRENT_USER, sz, &out, 4);
    return out;
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_pdb = OpenOptionDb();
    g_dm.assign(DRV_DEVMODE_SIZE, 0);
    if (!g_pdb || !InitDefaultDevmode(g_pdb, (DEVMODEW*)g_dm.data(), FUZZ_PRINTER, nullptr))
        FuzzFail("no default settings");
    ValidateDevmode(g_pdb, (DEVMODEW*)g_dm.data(), nullptr);
    std::vector<BYTE> dm = g_dm;
    g_pSeedObj = _NewObject(&dm);
    if (!g_pSeedObj)
        FuzzFail("no settings object");
    CreateDirectoryW(u"C:\\sets", nullptr);
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    BYTE abOptions[RECALL_OPTIONS];
    for (BYTE& b : abOptions)
        b = in.U8() & 1;
    BYTE bRoads = in.U8();
    std::vector<uint8_t> file = in.Rest();

    std::error_code ec;
    std::filesystem::remove_all(PlatHostPath(u"C:\\sets"), ec);
    CreateDirectoryW(u"C:\\sets", nullptr);
    FuzzWriteFile(u"C:\\sets\\recalled.xsf", file.data(), file.size());

    std::vector<BYTE> dm = g_dm;
    UISETTINGS* pLive = _NewObject(&dm);
    if (!pLive)
        FuzzFail("no live settings");
    USETLIBRARY* pLib = CreateUserSettingsLibraryFull(nullptr, pLive);
    if (pLib && bRegisterSettingsFile(pLib, u"C:\\sets", u"recalled", u"xsf")) {
        int iLast = (int)pLib->cEntries - 1;
        if (bRecallUserSetting(pLib, iLast, pLive, abOptions)) {
            std::vector<BYTE> out = g_dm;
            if (SettingsToDevmode(pLive, (DEVMODEW*)out.data(), g_pdb) != 1)
                FuzzFail("recalled settings do not convert to a DEVMODE");
            if (!bValidDevmode((DEVMODEW*)out.data()))
                FuzzFail("recalled settings give a DEVMODE that does not validate");
        }
        // The set leaves the list again: the next case starts from none.
        bMoveUserSetting(pLib, iLast, USET_REMOVE);
        bFinishUserSettingsLibrary(pLib);
    }
    DestroyUserSettingsLibrary(&pLib);
    SaveUserProfileOnApply(pLive, 2);
    DestroySettingsObject(&pLive);

    // The lists read back into a new object, and stored again.
    std::vector<BYTE> dm2 = g_dm;
    UISETTINGS* pNext = _NewObject(&dm2);
    if (!pNext)
        FuzzFail("no settings object over the lists the apply stored");
    if (bRoads & 1) {
        std::string before = _Store();
        SaveUserProfileOnApply(pNext, 2);
        if (_Store() != before)
            FuzzFail("lists read back and stored again differ from what was stored");
    }
    DestroySettingsObject(&pNext);
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    // A set saved by the library from the default settings, and from
    // settings with copies and a watermark, with every recall option.
    USETLIBRARY lib = {};
    lib.pSettings = g_pSeedObj;
    lib.bLoadMode = 1;
    GetCurrentIdentity(&lib.current);
    GetLegacyIdentity(&lib.legacy);
    for (int i = 0; i < 2; ++i) {
        USETENTRY* p = NewSettingsEntry(&lib, u"C:\\sets", u"seed", u"xsf", u"A comment", g_pSeedObj);
        if (p && bSaveSettingsFile(&lib, p, u"C:\\sets\\seed.xsf")) {
            WritePrivateProfileStringW(nullptr, nullptr, nullptr, nullptr);
            std::string file = FuzzReadHostFile(PlatHostPath(u"C:\\sets\\seed.xsf"));
            std::string all(RECALL_OPTIONS, '\1');
            pSeeds->push_back(all + std::string(1, '\1') + file);
            std::string some("\0\1\1\1\0\1\1", RECALL_OPTIONS);
            pSeeds->push_back(some + std::string(1, '\0') + file);
            pSeeds->push_back(all + std::string(1, '\1') + file.substr(0, file.size() / 2));
        }
        if (p)
            FreeSettingsEntry(&lib, &p);
        SetParamEdited(g_pSeedObj, 2, 5);
    }
}
