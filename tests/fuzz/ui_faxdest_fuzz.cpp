// Fax destination files from outside: the file a job's DEVMODE names (by its
// number, in the user's temporary folder) is read when the sheet opens and
// again when the job is printed; anything may have replaced it meanwhile.
//
// Input: one byte of roads (bit 0 the sheet's load and a save, bit 1 the
// print-time send inside a job), then the file's bytes (any length; the real
// file is 18004 bytes). What must hold besides no fault: the loaded count is
// within 0..100 and every loaded text ends inside its column.
#include "tests/fuzz/fuzz.h"

#include "ui/driverui/docevent.h"
#include "ui/settings/devmode.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/uisettings.h"

#include <cstdlib>

namespace {

const DWORD kNumber = 0x3A7;
std::vector<BYTE> g_default;
POPTIONDB g_pdb = nullptr;
WCHAR g_szFile[MAX_PATH];

void _Load()
{
    UISETTINGS* pObj = (UISETTINGS*)calloc(1, sizeof(UISETTINGS));
    if (!pObj)
        return;
    pObj->trailer.pszPrinterName = FUZZ_PRINTER;
    std::vector<BYTE> dm = g_default;
    DRVDEVMODE* pDrv = (DRVDEVMODE*)dm.data();
    pDrv->env.dwFaxListId = kNumber;
    LoadFaxDestinations(g_pdb, pObj, (DEVMODEW*)dm.data(), 0, nullptr);
    FAXDESTSTATE* st = GetFaxDestState(pObj);
    if (st->lCount < 0 || st->lCount > FAXDEST_MAX || st->lCount2 != st->lCount)
        FuzzFail("a loaded destination count is outside 0..100");
    for (int i = 0; i < 4; ++i)
        for (LONG k = 0; k < st->lCount; ++k)
            if (st->aszText[i][k][FAXDEST_TEXT_CCH - 1] != 0)
                FuzzFail("a loaded destination text does not end inside its column");
    // Saving writes a new file of its own (the number is kept) and never
    // fails for what was loaded.
    if (!SaveFaxDestinations(pObj, (DEVMODEW*)dm.data()))
        FuzzFail("destinations loaded from a file cannot be saved again");
    free(pObj);
}

void _Send()
{
    std::vector<BYTE> dm = g_default;
    ((DRVDEVMODE*)dm.data())->env.dwFaxListId = kNumber;
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, (const DEVMODEW*)dm.data());
    if (!hdc)
        FuzzFail("CreateDCW fails with the driver's own DEVMODE");
    DOCINFOW di = {sizeof(DOCINFOW), u"fax list", nullptr, nullptr, 0};
    if (StartDocW(hdc, &di) > 0) {
        SendFaxDestinationFile(hdc);
        if (StartPage(hdc) > 0) {
            FuzzDrawPage(hdc);
            EndPage(hdc);
        }
        if (EndDoc(hdc) <= 0)
            AbortDoc(hdc);
    }
    DeleteDC(hdc);
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_default = FuzzDefaultDevmode();
    g_pdb = OpenOptionDb();
    WCHAR szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    CreateDirectoryW(szTemp, nullptr);
    if (!GetTempFileNameW(szTemp, FAXDEST_PREFIX, kNumber, g_szFile))
        FuzzFail("no name for the destination file");
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    uint8_t roads = in.U8();
    std::vector<uint8_t> file = in.Rest();
    if (roads & 1) {
        DeleteFileW(g_szFile);
        FuzzWriteFile(g_szFile, file.data(), file.size());
        _Load();
    }
    if (roads & 2) {
        DeleteFileW(g_szFile);
        FuzzWriteFile(g_szFile, file.data(), file.size());
        _Send();
    }
    DeleteFileW(g_szFile);
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    FAXDESTFILE f;
    std::memset(&f, 0, sizeof(f));
    f.cDest = 2;
    std::strcpy(f.aDest[0].aszText[0], "Head office");
    std::strcpy(f.aDest[0].aszText[1], "0312345678");
    std::memset(f.aDest[1].aszText[2], 'x', FAXDEST_TEXT_BYTES);  // a full column, no terminator
    f.aDest[1].bEcm = 1;
    f.aDest[1].bV34 = 2;
    std::string s(1, (char)3);
    s.append((const char*)&f, sizeof(f));
    pSeeds->push_back(s);
    // Cut short, a count beyond the list, and a negative count.
    pSeeds->push_back(s.substr(0, 1 + 4 + 300));
    f.cDest = 101;
    std::string over(1, (char)3);
    over.append((const char*)&f, sizeof(f));
    pSeeds->push_back(over);
    f.cDest = -1;
    std::string neg(1, (char)1);
    neg.append((const char*)&f, sizeof(f));
    pSeeds->push_back(neg);
}
