// faxdest.h: the fax destination list file and its place in the settings
// object.
//
// Owns: FAXDEST / FAXDESTFILE (the 18004-byte file in the user's temporary
// folder that carries a job's destinations, named by the number the DEVMODE
// keeps), the destination state inside the settings object (FAXDESTSTATE),
// the load at creation and the save at commit, and the per-user ring of the
// last ten file numbers that removes files no job consumed.
//
// Rules:
//   1. The file is always written whole: count, then 100 records; records
//      from the count onwards are zero.
//   2. A count read from a file is bounded to 0..100 before it is used, so a
//      damaged file never indexes past the columns.
//   3. Texts are ANSI (CP_ACP) in the file and UTF-16 in the object; a text
//      that fills its 44 bytes has no terminator in the file.
#pragma once

#include "ui/settings/faxdestrec.h"

#include <cstddef>

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

#define FAXDEST_TEXT_CCH 45          // one column entry: 44 characters and a NUL
#define FAXDEST_PREFIX u"xpb"
#define FAXDEST_RING_KEY u"TempPlistID"
#define FAXDEST_RING_SLOTS 10
#define FAXDEST_PHONEBOOK u"XRPBK0.DLL"

// Options whose choices each destination carries.
#define FAXOPT_ECM 69
#define FAXOPT_INTL 70
#define FAXOPT_V34 183


// The destination state inside the settings object's shared area (the
// object lives only in memory, so it keeps natural alignment).
struct FAXDESTSTATE {
    LONG lCount;                                        // read by the writer
    LONG lCount2;                                       // second copy for the pages
    WCHAR aszText[4][FAXDEST_MAX][FAXDEST_TEXT_CCH];    // column i = text i + 1
    UIITEMPLAIN aItem[3][FAXDEST_MAX];                  // options 69, 70, 183
    WCHAR szDriverDir[MAX_PATH];                        // without its backslash
    WCHAR szPhoneBook[MAX_PATH];
    WCHAR szPrinter[32];
};

// Where the state lies in the object: the start of the shared area, moved
// to a 4-byte boundary (4192 at 32 bits; the shared area starts 8 bytes
// later at 64 bits, where the rule-index pointer is wider).
#define FAXDEST_STATE_OFFSET ((offsetof(UISETTINGS, abShared) + 3) & ~(size_t)3)
FAXDESTSTATE* GetFaxDestState(UISETTINGS* pObj);

// Reads the DEVMODE's destination file into the object (a missing file
// clears the DEVMODE's count and number) and records the driver directory,
// the phone-book library path and the printer name.
void LoadFaxDestinations(POPTIONDB pdb, UISETTINGS* pObj, DEVMODEW* pdm, DWORD dwReserved,
                         HANDLE hPrinter);
// Writes the object's destinations to the DEVMODE's file (creating a new
// one when the number is 0). TRUE when written whole or no file was needed.
BOOL SaveFaxDestinations(UISETTINGS* pObj, DEVMODEW* pdm);
// Records a file number in the printer's ring; the number it displaces is
// deleted. 1 recorded, 0 when the number already stands in the current slot.
int RecordDestinationFile(UISETTINGS* pObj, DEVMODEW* pdm, DWORD dwNumber);
