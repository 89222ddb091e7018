// uisettings.h: the UI settings object.
//
// Owns: UISETTINGS, the object a property sheet or settings dialog edits in
// place of the DEVMODE; its creation from a DEVMODE (every parameter bound
// through its handler, every UI item built from the option database), its
// destruction, and the write-back of the committed values into the DEVMODE.
// Sizing, copies, typed access and the defaults block are in paramobj.h; the
// per-user lists in listset.h.
//
// Life cycle:
//   CreateSettingsObject --> edited by pages, dialogs and rules
//        --> SettingsToDevmode (on OK or apply; may run many times)
//        --> DestroySettingsObject
//
// Rules:
//   1. The object is two zeroed moveable blocks: the fixed block (slots, the
//      shared state of the pages and rules, the trailer; UIS_FIXED_SIZE
//      bytes, 48188 at 32 bits), then
//      one UI item per choice or value-list parameter that is not special;
//      and the variable block with the items and blocks of the special
//      parameters. Each item's offset is in its UIPARAMRT row.
//   2. Item words, by position: word 0 is the value the pages edit; the
//      committed copy is word 2 of a list item and word 1 of an inline item;
//      the default follows it. SettingsToDevmode writes committed copies.
//   3. The object owns everything its trailer points to except the printer
//      name, and frees it at destruction.
//   4. Creation balances its own use of the resource library; destruction
//      releases none.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/regtree.h"
#include "ui/settings/uiparam.h"

struct LISTSET;

#define UIS_SLOT_AREA 4096
#define UIS_PAGE_MASKS 9
#define UIS_STATE_WORDS 12
// The shared area keeps the same size at both word sizes, so every part
// placed in it has the same room in both builds.
#define UIS_SHARED_SIZE 43894

// The object lives only in memory, so its records keep natural alignment.
// At 64 bits its pointers take 8 bytes and the records grow; no code uses a
// literal offset beyond the slot area: every place is named by offsetof
// (the fields below), by sizeof (UIS_FIXED_SIZE, where the items start) or
// from them (the shared area's places, sharedarea.h and faxdest.h). The
// offsets given below are those of the 32-bit build, which asserts them.

// The trailer, in its fixed order (104 bytes at the end of the fixed block
// at 32 bits).
//   off size field
//     0    4 printer name (not owned)
//     4    4 total size (fixed + variable)
//     8    4 fixed size       12 4 variable size
//    16    4 variable block   20 4 LISTSET
//    24    4 UIPARAMRT rows   28 2 their count (2 bytes padding)
//    32   56 registry-tree bundle
//    88    4 USETKEYRT rows   92 2 their count (2 bytes padding)
//    96    4 parameter defaults block (flattened copy)
//   100    4 registry-tree defaults block (flattened lists)
struct UISETTRAILER {
    LPCWSTR pszPrinterName;
    DWORD cbTotal;
    DWORD cbFixed;
    DWORD cbVariable;
    BYTE* pVariable;
    LISTSET* pListSet;
    UIPARAMRT* pParamRows;
    WORD cParamRows;
    REGTREESET regTree;
    USETKEYRT* pKeyRows;
    WORD cKeyRows;
    BYTE* pParamDefaults;
    BYTE* pListDefaults;
};
static_assert(sizeof(void*) != 4 || sizeof(UISETTRAILER) == 104);
static_assert(sizeof(void*) != 4 || offsetof(UISETTRAILER, regTree) == 32);
static_assert(sizeof(void*) != 4 || offsetof(UISETTRAILER, pKeyRows) == 88);

// The fixed part of the object (48188 bytes at 32 bits).
//   off    size  field
//       0  4096  parameter slots #1..#243 (GetParamSlotOffset)
//    4096    36  refresh masks of the nine pages
//    4132    48  twelve further state words of the pages and rules
//    4180     4  rule indexes of the constraint engine (8 bytes at 4184
//                at 64 bits, moving what follows by 8)
//    4184     4  flag word
//    4188     2  number of the current inter-sheet list
//    4190 43894  state kept for the pages, dialogs and rules
//   48084   104  trailer
struct UISETTINGS {
    BYTE abSlots[UIS_SLOT_AREA];
    DWORD adwPageMask[UIS_PAGE_MASKS];
    DWORD adwState[UIS_STATE_WORDS];
    void* pRuleIndex;
    DWORD dwFlags;
    WORD wInterSheetList;
    BYTE abShared[UIS_SHARED_SIZE];
    UISETTRAILER trailer;
};
// The size of the fixed part: the first item starts here.
#define UIS_FIXED_SIZE ((DWORD)sizeof(UISETTINGS))
static_assert(sizeof(void*) != 4 || UIS_FIXED_SIZE == 48188);
static_assert(offsetof(UISETTINGS, adwPageMask) == 4096);
static_assert(offsetof(UISETTINGS, adwState) == 4132);
static_assert(sizeof(void*) != 4 || offsetof(UISETTINGS, pRuleIndex) == 4180);
static_assert(sizeof(void*) != 4 || offsetof(UISETTINGS, abShared) == 4190);
static_assert(sizeof(void*) != 4 || offsetof(UISETTINGS, trailer) == UIS_FIXED_SIZE - 104);
static_assert(offsetof(UISETTINGS, trailer) + sizeof(UISETTRAILER) == UIS_FIXED_SIZE);
static_assert(UIS_FIXED_SIZE % sizeof(void*) == 0);

// Creates the object from a valid DEVMODE (which it modifies: mirror, the
// per-user profile reset, the pages-per-sheet normaliser). pszPrinter is kept,
// not copied, and must outlive the object. Returns 1 and *ppObj, or 0 with
// nothing allocated. dwFlag is kept for callers and not read.
int CreateSettingsObject(POPTIONDB pdb, UISETTINGS** ppObj, DEVMODEW* pdm, DWORD dwFlag,
                         LPCWSTR pszPrinter);
// Frees everything the object owns and clears *ppObj; null does nothing.
void DestroySettingsObject(UISETTINGS** ppObj);
// Binds every parameter that is not special from the DEVMODE.
void BindAllParams(POPTIONDB pdb, UISETTINGS* pObj, DEVMODEW* pdm);
// Writes every committed value back into the DEVMODE. Returns 1, 0 for a
// null argument.
int SettingsToDevmode(UISETTINGS* pObj, DEVMODEW* pdm, POPTIONDB pdb);
// Width and length (1/100 mm) of a paper code from option 0: the first row
// when the code is absent; 0, 0 without a database.
void GetPaperSizeByCode(POPTIONDB pdb, SHORT sCode, LONG* plSize);

// Access to one parameter by id, for the settings code and its tests.
// The UIPARAMRT index of a parameter; -1 when it has none.
int FindParamRow(const UISETTINGS* pObj, WORD wParamId);
// The slot (or item) of a parameter; null when none.
BYTE* GetParamSlot(UISETTINGS* pObj, WORD wParamId);
// Word 0 (the edited value) and the committed copy of an item parameter
// (kinds 1, 2, 4, 8). The getters answer -1 for an unknown parameter.
SHORT GetParamEdited(UISETTINGS* pObj, WORD wParamId);
SHORT GetParamCommitted(UISETTINGS* pObj, WORD wParamId);
// The default word: word 3 of a list item, word 2 of an inline item.
SHORT GetParamDefault(UISETTINGS* pObj, WORD wParamId);
BOOL SetParamEdited(UISETTINGS* pObj, WORD wParamId, SHORT sValue);
BOOL SetParamCommitted(UISETTINGS* pObj, WORD wParamId, SHORT sValue);
