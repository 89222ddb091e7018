// Settings files from outside: a user opens any file as a settings file
// (one mailed by a colleague, an older driver's, a damaged copy), and the
// library reads every settings file it lists at start.
//
// Input: the file's bytes (UTF-16 with its mark, or 8-bit). What must hold
// besides no fault: the reader answers one of its result codes, and the live
// settings it is given are never changed, whatever the file holds.
#include "tests/fuzz/fuzz.h"

#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/setfile.h"
#include "ui/settings/uisettings.h"

namespace {

POPTIONDB g_pdb = nullptr;
UISETTINGS* g_pObj = nullptr;
std::vector<BYTE> g_slots;  // the live object's parameter slots as created

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
    g_slots.assign(g_pObj->abSlots, g_pObj->abSlots + sizeof(g_pObj->abSlots));
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    int iCode = ReadSettingsFileImage(g_pObj, pData, (DWORD)cbData);
    if (iCode != SETFILE_OK && (iCode < SETFILE_NO_MEMORY || iCode > SETFILE_PARAMS_FAILED))
        FuzzFail("the settings-file reader answered a code it does not have");
    if (std::memcmp(g_slots.data(), g_pObj->abSlots, g_slots.size()) != 0)
        FuzzFail("reading a settings file changed the live settings");
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    // A whole file as the library writes it, from the default settings and
    // from settings with lists filled.
    USETLIBRARY lib = {};
    lib.pSettings = g_pObj;
    lib.bLoadMode = 1;
    GetCurrentIdentity(&lib.current);
    GetLegacyIdentity(&lib.legacy);
    CreateDirectoryW(u"C:\\seeds", nullptr);
    USETENTRY* p = NewSettingsEntry(&lib, u"C:\\seeds", u"Monthly report", u"xsf", u"Caf\u00E9 \u20AC", g_pObj);
    if (p && bSaveSettingsFile(&lib, p, u"C:\\seeds\\Monthly report.xsf")) {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, nullptr);
        std::string file = FuzzReadHostFile(PlatHostPath(u"C:\\seeds\\Monthly report.xsf"));
        pSeeds->push_back(file);
        pSeeds->push_back(file.substr(0, file.size() / 3));
        // The same file as 8-bit text, as older drivers wrote it.
        std::string narrow;
        for (size_t i = 2; i + 1 < file.size(); i += 2)
            narrow.push_back(file[i + 1] ? '?' : file[i]);
        pSeeds->push_back(narrow);
    }
    if (p)
        FreeSettingsEntry(&lib, &p);
    pSeeds->push_back("[QX_SETTING LIBRARY NAME]\r\nname=*x*\r\n[QX_SETTING LIBRARY DRIVERINFO]\r\nversionnum=99\r\n");
}
