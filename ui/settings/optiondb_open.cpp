// optiondb_open.cpp: opening and closing an option-database handle.
//
// Each handle owns its own load of the resource library, independent of the
// string cache's shared use, so that a handle stays usable whatever the
// cache does.
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"

POPTIONDB OpenOptionDb() {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(OPTIONDB));
    if (!h) return nullptr;
    POPTIONDB pdb = (POPTIONDB)GlobalLock(h);
    if (!pdb) {
        GlobalFree(h);
        return nullptr;
    }
    WCHAR szPath[MAX_PATH + 64];
    pdb->hResDll = GetResourceDllPath(szPath, sizeof(szPath) / sizeof(szPath[0])) ? LoadLibraryW(szPath) : nullptr;
    return pdb;
}

void CloseOptionDb(POPTIONDB pdb) {
    if (!pdb) return;
    if (pdb->hResDll) FreeLibrary(pdb->hResDll);
    HGLOBAL h = GlobalHandle(pdb);
    GlobalUnlock(h);
    GlobalFree(h);
}
