// listset.h: the per-user lists of a settings object.
//
// Owns: LISTSET, the six list objects that hang off every UISETTINGS
// (inter-sheet lists with their insert-sheet entries, the form list, the
// watermark list, the font-substitution list, the fax cover sheet and the
// user papers); their creation, copy and release; and the inter-sheet
// selection state of the settings object. These are the per-user store's
// objects; they live with the settings model because every settings object
// creates, copies and frees them.
//
// Rules:
//   1. A list whose feature is switched off is not created (null), and every
//      call on it succeeds without effect.
//   2. Copying keeps the target's own buffers and copies into them.
//   3. Indices from outside (list, entry, form and watermark numbers) are
//      checked against the array they address.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;
struct USERPAPERS;
struct WATERMARKLIST;
struct REGTREESET;

#define INTERSHEET_LISTS 10
#define INTERSHEET_ENTRIES 128
#define INSERTSHEET_SIZE 476  // sizeof(INSERTSHEET), insertsheet.h
#define INTERSHEET_TABBLOCK 8
#define INTERSHEET_DETAIL 72
#define INTERSHEET_WORK 540
#define FORMLIST_FILES 100
#define FORMLIST_CAPTIONS 3
#define FONTSUB_PAIRS 500
#define FONTSUB_DEFAULT_PAIRS 32
#define FAXCOVER_SIZE 2868

#pragma pack(push, 1)

// One inter-sheet list (60 bytes).
//   off size field
//     0   34 name WCHAR[17]
//    34    2 page-list count (ISPageListNum)
//    36    4 entries: 128 insert-sheet entries of 476 bytes
//    40    2 Mixplex          42 2 reserved
//    44    4 tab setting block (8 bytes)
//    48    4 last tab-text detail block (72 bytes)
//    52    4 working block (540 bytes, not stored)
//    56    4 reserved
struct INTERSHEETREC {
    WCHAR szName[17];
    SHORT sPageListNum;
    BYTE* pEntries;
    SHORT sMixplex;
    WORD wReserved;
    BYTE* pTabBlock;
    BYTE* pDetail;
    BYTE* pWork;
    DWORD dwReserved;
};
static_assert(sizeof(void*) != 4 || sizeof(INTERSHEETREC) == 60);

// The inter-sheet list object (8 bytes): the ten lists.
struct INTERSHEETLIST {
    INTERSHEETREC* pLists;
    DWORD dwReserved;
};
static_assert(sizeof(void*) != 4 || sizeof(INTERSHEETLIST) == 8);

// A form caption record (1116 bytes).
struct FORMCAPTION {
    WCHAR szCaption[278];
    WCHAR szMessage[278];
    DWORD dwStyle;
};
static_assert(sizeof(FORMCAPTION) == 1116);

// The form list (1576 bytes).
//   off  size field
//      0  520 file name WCHAR[260]
//    520  520 CreateFileName WCHAR[260]
//   1040  520 PrintFileName WCHAR[260]
//   1560    2 FormListNum      1562 2 reserved
//   1564    4 file names: 100 x WCHAR[260]
//   1568    4 caption records: 3 x FORMCAPTION
//   1572    4 reserved
struct FORMLIST {
    WCHAR szFileName[260];
    WCHAR szCreateFileName[260];
    WCHAR szPrintFileName[260];
    WORD wFormListNum;
    WORD wReserved;
    WCHAR (*pFiles)[260];
    FORMCAPTION* pCaptions;
    DWORD dwReserved;
};
static_assert(sizeof(void*) != 4 || sizeof(FORMLIST) == 1576);
static_assert(offsetof(FORMLIST, wFormListNum) == 1560);

// A font-substitution pair (128 bytes).
struct FONTSUBPAIR {
    WCHAR szTrueType[32];
    WCHAR szDevice[32];
};
static_assert(sizeof(FONTSUBPAIR) == 128);

// The font-substitution list (8 bytes).
struct FONTSUBLIST {
    SHORT sCount;
    SHORT sIndex;
    FONTSUBPAIR* pPairs;
};
static_assert(sizeof(void*) != 4 || sizeof(FONTSUBLIST) == 8);

// LISTSET (24 bytes): the six lists; null when the feature is off.
struct LISTSET {
    INTERSHEETLIST* pInterSheet;
    FORMLIST* pForm;
    WATERMARKLIST* pWatermark;
    FONTSUBLIST* pFontSub;
    BYTE* pFaxCover;
    USERPAPERS* pUserPapers;
};
static_assert(sizeof(void*) != 4 || sizeof(LISTSET) == 24);

#pragma pack(pop)

// Field locators: the address, size and value type of one field of one
// entry, the field chosen by its registry-tree row id. j and k are the
// indices of the row's "%d" names as the registry-tree walk runs them (the
// list number 1..10 and the entry 0..127 for inter-sheets, the name index for
// forms and font substitutions). FALSE for a field id not in the list, a
// missing list or an index outside its array.
BOOL LocateInterSheetField(WORD wFieldId, int iList, int iEntry, void** ppAddr, DWORD* pcb, WORD* pwType,
                           INTERSHEETLIST* pList);
BOOL LocateFormField(WORD wFieldId, int iEntry, int iEntryLess1, void** ppAddr, DWORD* pcb, WORD* pwType,
                     FORMLIST* pList);
BOOL LocateFontSubField(WORD wFieldId, int iEntry, void** ppAddr, DWORD* pcb, WORD* pwType, FONTSUBLIST* pList);

// Locate the field as above and copy it into pBuf (caller size in/out,
// caller type wType) with the typed copy; its result, or -1 when the field
// cannot be located.
int AccessInterSheetField(WORD wFieldId, void* pBuf, DWORD* pcbBuf, WORD wType, int iList, int iEntry,
                          void** ppAddr, DWORD* pcb, WORD* pwType, INTERSHEETLIST* pList);
int AccessFormField(WORD wFieldId, void* pBuf, DWORD* pcbBuf, WORD wType, int iEntry, void** ppAddr,
                    DWORD* pcb, WORD* pwType, FORMLIST* pList);
int AccessFontSubField(WORD wFieldId, void* pBuf, DWORD* pcbBuf, WORD wType, int iEntry, void** ppAddr,
                       DWORD* pcb, WORD* pwType, FONTSUBLIST* pList);

// Defaults of the lists as they are stored for a new user.
void SetDefaultInterSheetList(INTERSHEETLIST* pList);
void SetDefaultFormList(FORMLIST* pList);

INTERSHEETLIST* CreateInterSheetList();
void FreeInterSheetList(INTERSHEETLIST** ppList);
BOOL CopyInterSheetList(INTERSHEETLIST* pTarget, const INTERSHEETLIST* pSource);
FORMLIST* CreateFormList();
void FreeFormList(FORMLIST** ppList);
BOOL CopyFormList(FORMLIST* pTarget, const FORMLIST* pSource);
FONTSUBLIST* CreateFontSubList();
void FreeFontSubList(FONTSUBLIST** ppList);
BOOL CopyFontSubList(FONTSUBLIST* pTarget, const FONTSUBLIST* pSource);
// Fills the 32 default substitution pairs.
void SetDefaultFontSubList(FONTSUBLIST* pList);
int CountDefaultFontPairs();

// Creates every list whose feature is on; null when any allocation fails
// (nothing stays allocated).
LISTSET* CreateListSet();
void FreeListSet(LISTSET** ppSet);
// Copies every list that both sets hold.
BOOL CopyListSet(LISTSET* pTarget, const LISTSET* pSource);

// Loads the object's lists from the per-user store of its printer (a user
// without stored font substitutions gets the default pairs).
BOOL bLoadProfileLists(UISETTINGS* pObj);
// Stores the object's lists under the printer's per-user key.
BOOL bSaveProfileLists(UISETTINGS* pObj);
// Stores the default content of every list (a new or reset user).
BOOL bStoreDefaultProfileLists(REGTREESET* pTables, LPCWSTR pszPrinter);
// Apply: mode 2 purges the printer's per-user key and stores the lists
// again; mode 1 does nothing.
void SaveUserProfileOnApply(UISETTINGS* pObj, int iMode);

// The inter-sheet selection of the settings object: the page-list count to
// 0, the current list to the value of lpInterSheetList, the dialog's entry
// index to 0. Does nothing unless insert sheets are offered.
void ResetInterSheetState(UISETTINGS* pObj);
// The index-paper values of the object as an 8-byte tab setting block, and
// back. Both do nothing for a null argument.
void GetInterSheetState(UISETTINGS* pObj, BYTE* pBlock);
void SetInterSheetState(UISETTINGS* pObj, const BYTE* pBlock);
