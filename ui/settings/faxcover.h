// faxcover.h: the fax cover sheet setting group.
//
// Owns: FAXCOVER, the texts and options of the fax cover sheet that are too
// large for the DEVMODE (2868 bytes, one per settings object, kept per user
// under the printer's key "Fax Cover Sheet"); its field codes, defaults, and
// load, save and reset through the registry-tree walk. The DEVMODE only holds
// which items of the sheet are on.
//
// Rules:
//   1. The group exists only while feature key 4101 is switched on: the
//      allocation gives null, load, save and reset succeed without effect,
//      and the locator answers "not found" with null outputs.
//   2. A text loaded from outside always ends inside its field.
#pragma once

#include "platform/windows.h"

struct LISTSET;
struct REGTREESET;

#define FAXCOVER_BYTES 2868

#pragma pack(push, 1)

// FAXCOVER (2868 bytes). Texts are UTF-16, zero-terminated in their field;
// numbers are 32-bit. The field code of each field is its registry-tree id.
//   off  size code field
//      0  130 'G'  subject
//    130   82 'H'  fixed form text        212 82 'I' receipt company 1
//    294   82 'J'  receipt company 2      376 82 'K' receipt name
//    458   82 'L'  receipt fax number     540 82 'M' sender company 1
//    622   82 'N'  sender company 2       704 82 'O' sender name
//    786   82 'Q'  sender telephone       868 82 'P' sender fax number
//    950   82 'R'  sender e-mail
//   1032    4 'S'  page number item       1036 4 'T' style
//   1040    4 'U'  cover sheet paper
//   1044  522 'V'  image file name (a path of up to 260 characters)
//   1566    2      reserved
//   1568    4 'W'  zoom in percent        1572 4 'X' x position
//   1576    4 'Y'  y position             1580 4 '[' comment line count
//   1584 1282 '\'  comment (up to 640 characters)
//   2866    2      reserved
// 'F' is the whole record.
struct FAXCOVER {
    WCHAR szSubject[65];
    WCHAR aszText[11][41];
    DWORD dwPagenum;
    DWORD dwStyle;
    DWORD dwPaper;
    WCHAR szImage[261];
    WORD wReserved1;
    DWORD dwZoom;
    DWORD dwX;
    DWORD dwY;
    DWORD dwLineNum;
    WCHAR szComment[641];
    WORD wReserved2;
};
static_assert(sizeof(FAXCOVER) == FAXCOVER_BYTES);
static_assert(offsetof(FAXCOVER, aszText) == 130);
static_assert(offsetof(FAXCOVER, dwPagenum) == 1032);
static_assert(offsetof(FAXCOVER, szImage) == 1044);
static_assert(offsetof(FAXCOVER, dwZoom) == 1568);
static_assert(offsetof(FAXCOVER, dwLineNum) == 1580);
static_assert(offsetof(FAXCOVER, szComment) == 1584);

#pragma pack(pop)

// Field codes.
#define FCF_RECORD 'F'
#define FCF_SUBJECT 'G'
#define FCF_FIXEDFORM 'H'
#define FCF_PAGENUM 'S'
#define FCF_STYLE 'T'
#define FCF_PAPER 'U'
#define FCF_IMAGE 'V'
#define FCF_ZOOM 'W'
#define FCF_XPOS 'X'
#define FCF_YPOS 'Y'
#define FCF_LINENUM '['
#define FCF_COMMENT '\\'

// Resource text of the fixed form field's default.
#define FAXCOVER_STR_FIXEDFORM 20703

// A zeroed record; null when the group is off or memory runs out.
FAXCOVER* AllocFaxCover();
// Frees the record and clears *ppRecord.
void FreeFaxCover(FAXCOVER** ppRecord);
// Copies the whole record when both are given.
void CopyFaxCover(FAXCOVER* pTarget, const FAXCOVER* pSource);
// The layout of a field code whether or not the group is on: offset, size
// and type code; FALSE for an unknown code.
BOOL bFaxCoverFieldLayout(WORD wCode, DWORD* pdwOffset, DWORD* pcb, WORD* pwType);
// Address, size and type code of a field (each output optional, null/0
// first). 0 for a null record, an unknown code or the group switched off.
int GetFaxCoverField(WORD wCode, void** ppAddr, DWORD* pcb, WORD* pwType, FAXCOVER* pRecord);
// Locates the field and copies pValue (size in/out, caller type wType) out
// of it (TVC_GET) or into it (TVC_SET) with the typed copy. Its result, or
// -1 when the field is not found. A text set from outside ends inside its
// field.
int AccessFaxCoverField(WORD wCode, void* pValue, DWORD* pcbValue, WORD wType, int iDirection, void** ppAddr,
                        DWORD* pcb, WORD* pwType, FAXCOVER* pRecord);
// The registry-tree walk of group 4101 under the printer's per-user key:
// load (into *ppRecord), save, and reset (the defaults stored). 1 when the
// group is off or the walk ran; 0 for a missing argument or allocation.
int LoadFaxCover(FAXCOVER** ppRecord, REGTREESET* pTables, LPCWSTR pszPrinter);
int SaveFaxCover(FAXCOVER* pRecord, REGTREESET* pTables, LPCWSTR pszPrinter);
int ResetFaxCover(REGTREESET* pTables, LPCWSTR pszPrinter);
// 'H' the resource text 20703; 'S' 1, 'T' 1, 'U' 5, 'W' 100, 'X' 0, 'Y' 0.
void SetFaxCoverDefaults(FAXCOVER* pRecord);
