// papertable.h: the paper table, the user papers and the tray limits.
//
// Owns: PAPERINFO, the 100-row table of every paper code the driver knows
// (data file papers.tsv); the ten user-defined paper slots (USERPAPER) kept
// per printer as printer data "UDPaper1".."UDPaper10"; the tray limits
// (TRAYLIMIT, traylimits.tsv) used to place a custom-size page; the
// rotated/plain partner lookups; and the mapping of custom paper codes to
// user slots.
//
// Units: standard rows hold 1/100 mm. User and custom rows (codes 513..521
// and 256) hold 1/1000 inch once the user papers are loaded into them; every
// lookup that compares or returns sizes converts them first.
//
// Codes: the low byte is the base size (1 letter, 3 tabloid, 5 legal,
// 6 statement, 8 A3, 9 A4, 11 A5, 12 B4, 13 B5, 43 postcard, 70 A6, 88 B6);
// 0x100 marks the driver's own sizes (261 8K, 262 16K, 263 F4), 0x400 index
// tab paper, 0x800 the rotated feed, 0x1000/0x2000/0x3000 the "_F", "_W" and
// "_WF" media variants. 256 is the custom size, 513..521 the user papers
// 1..9, 257 "same as the paper" for the output paper, 512 a placeholder.
#pragma once

#include "platform/windows.h"

#define PAPER_ROWS 100
#define PAPER_CUSTOM 256
#define PAPER_SAME_AS_PAPER 257
#define PAPER_USER_FIRST 513
#define PAPER_USER_LAST 521
#define USERPAPER_SLOTS 10
#define USERPAPER_NAME_CCH 17
#define USERPAPER_GROUP 8198  // feature switch of the user-paper group

#pragma pack(push, 1)

// A row of the paper table (216 bytes).
//   off size field
//     0    2 paper code
//     2   64 display name WCHAR[32] (loaded from the resource library)
//    66   66 size text WCHAR[33], "(210x297mm)"; empty for _W and _WF
//   132    4 width  (1/100 mm; user rows: 1/1000 inch once loaded)
//   136    4 length (same units)
//   140   32 page-language paper name WCHAR[16], "A4", "A4R", "USERDEF"
//   172    2 device size code
//   174    2 device variant code
//   176    2 class: 0x100 upright, 0x200 rotated, plus 0..3 for the variant
//   178   34 base paper name WCHAR[17], "A4", "LETTER", "JPOST"
//   212    4 display string id
struct PAPERINFO {
    WORD wCode;
    WCHAR szName[32];
    WCHAR szSizeText[33];
    LONG lWidth;
    LONG lLength;
    WCHAR szPdlName[16];
    WORD wDevSize;
    WORD wDevVariant;
    WORD wClass;
    WCHAR szBaseName[17];
    DWORD dwStrId;
};
static_assert(sizeof(PAPERINFO) == 216);
static_assert(offsetof(PAPERINFO, szSizeText) == 66);
static_assert(offsetof(PAPERINFO, lWidth) == 132);
static_assert(offsetof(PAPERINFO, szPdlName) == 140);
static_assert(offsetof(PAPERINFO, wDevSize) == 172);
static_assert(offsetof(PAPERINFO, wClass) == 176);
static_assert(offsetof(PAPERINFO, szBaseName) == 178);
static_assert(offsetof(PAPERINFO, dwStrId) == 212);

// A user paper slot (44 bytes), the value of printer data "UDPaper%ld".
//   off size field
//     0    4 width in 1/1000 inch
//     4    4 length in 1/1000 inch
//     8    2 unit the user entered it in: 1 mm, 2 inch
//    10   34 name WCHAR[17]
struct USERPAPER {
    LONG lWidth;
    LONG lLength;
    SHORT sUnit;
    WCHAR szName[USERPAPER_NAME_CCH];
};
static_assert(sizeof(USERPAPER) == 44);
static_assert(offsetof(USERPAPER, sUnit) == 8);
static_assert(offsetof(USERPAPER, szName) == 10);

// The ten slots of a settings object (440 bytes); slot n (1..9) is paper
// code 512 + n, slot 10 the custom size 256.
struct USERPAPERS {
    USERPAPER aSlot[USERPAPER_SLOTS];
};
static_assert(sizeof(USERPAPERS) == 440);

// A built-in user paper (16 bytes).
//   off size field
//     0    4 width (1/1000 inch)   4 4 length   8 2 unit   10 2 0
//    12    4 name string id
struct USERPAPERDEF {
    LONG lWidth;
    LONG lLength;
    SHORT sUnit;
    SHORT sZero;
    DWORD dwStrId;
};
static_assert(sizeof(USERPAPERDEF) == 16);

// Limits of one paper source (48 bytes).
//   off size field
//     0    2 paper source (values of the paper-source option)
//     2    2 source unit (0 = any)
//     4    4 display string id
//     8    4 smallest width (mm)     12 4 largest width (mm)
//    16    4 smallest length (mm)    20 4 largest length (mm)
//    24    4 largest printable width (mm)
//    28    4 largest printable length (mm)
//    32   16 minimum margins left, top, right, bottom (1/100 mm)
struct TRAYLIMIT {
    SHORT sSource;
    SHORT sUnit;
    LONG lStrId;
    LONG lMinWidth;
    LONG lMaxWidth;
    LONG lMinLength;
    LONG lMaxLength;
    LONG lPrintWidth;
    LONG lPrintLength;
    RECTL rcMinMargin;
};
static_assert(sizeof(TRAYLIMIT) == 48);
static_assert(offsetof(TRAYLIMIT, lPrintWidth) == 24);
static_assert(offsetof(TRAYLIMIT, rcMinMargin) == 32);

#pragma pack(pop)

// ---- paper table ----

// The row of a code, null when the table has none.
const PAPERINFO* FindPaperInfo(int iCode);
// Row by position 0..PAPER_ROWS-1 (null outside).
const PAPERINFO* GetPaperInfoRow(int iRow);

// Largest width and largest length over all rows, in 1/100 mm (user rows
// converted before they are compared).
void GetPaperMaxExtent(LONG* plWidth, LONG* plLength);
// 1/100 mm; user rows via whole millimetres ((v*1000/3937 + 9)/10 * 100).
// A zero result becomes 10000. Unknown codes leave the outputs alone.
void GetPaperSizeMm100(int iCode, LONG* plWidth, LONG* plLength);
// 1/100 mm; user rows v*254/100. Zero becomes 10000.
void GetPaperSizeExact(int iCode, LONG* plWidth, LONG* plLength);
// User rows as stored (1/1000 inch), others in whole mm. Zero becomes 100.
void GetPaperSizeNative(int iCode, LONG* plWidth, LONG* plLength);
// The row's texts; null for unknown codes.
LPCWSTR GetPaperDisplayName(int iCode);
LPCWSTR GetPaperSizeText(int iCode);
// Page-language paper name of a code ("A4", "LT_WF", "USERDEF"); null for
// unknown codes.
LPCWSTR GetPaperPdlName(int iCode);

// Rotated pairs.
BOOL bIsRotatedPaper(int iCode);
BOOL bHasRotatedPaper(int iCode);
int GetPlainPaperCode(int iRotated);   // -1 when none
int GetRotatedPaperCode(int iPlain);   // -1 when none
// The 24 pairs (rotated, plain) in order; returns the count.
int GetRotatedPaperPairs(const SHORT (**ppPairs)[2]);

// Display names from the resource library (31 characters and a terminator).
void LoadPaperDisplayNames();
// Copies the slots' sizes (1/1000 inch) and names into the user rows.
void LoadUserPaperRows(const USERPAPERS* pPapers);
// Writes the user rows' size texts from the slots: unit 1 "(%ldx%ldmm)",
// else "%ld.%02ldx%ld.%02ldinch" rounded to hundredths with the carry kept.
void UpdateUserPaperTexts(const USERPAPERS* pPapers);
// Puts the built-in texts and sizes back (tests, library reload).
void ResetPaperTable();

// ---- custom codes and user slots ----

BOOL bIsCustomPaper(int iCode);           // 256 and 513..521
int CustomPaperToSlot(int iCode);         // 513..521 -> 1..9, 256 -> 10, else 0
int SlotToCustomPaper(int iSlot);         // 2..9 -> 514..521, 10 -> 256, else 513

// Size of a custom code in 1/10 mm ((v*254 + 500) / 1000 of the slot), from
// the printer's stored user papers when they read, else the built-in ones.
BOOL GetCustomPaperSize(HANDLE hPrinter, int iCode, LONG* plWidth, LONG* plLength);
// The same from user papers already read.
BOOL GetCustomPaperSizeOf(const USERPAPERS* pPapers, int iCode, LONG* plWidth, LONG* plLength);

// ---- user papers ----

// The built-in slots (10 rows).
const USERPAPERDEF* GetUserPaperDefaults();
// Slot n (1..10) set to its built-in default (name from the resource text).
void SetUserPaperDefault(USERPAPER* pSlot, int iSlot);
// A zeroed 440-byte record; null when memory runs out or the user-paper
// group is off.
USERPAPERS* AllocUserPapers();
void FreeUserPapers(USERPAPERS** ppPapers);
void CopyUserPapers(USERPAPERS* pTarget, const USERPAPERS* pSource);
// Printer data "UDPaper1".."UDPaper10" into the record. A value that is
// missing, not exactly 44 bytes, or holds impossible sizes or unit takes
// the built-in default; a name is always terminated inside its field.
BOOL ReadUserPapers(USERPAPERS* pPapers, HANDLE hPrinter);
// Writes each slot whose stored value is missing or differs.
BOOL WriteUserPapers(const USERPAPERS* pPapers, HANDLE hPrinter);
// The read or write when printer, record and list object are all given.
BOOL LoadUserPapers(USERPAPERS* pPapers, PVOID pList, HANDLE hPrinter);
BOOL SaveUserPapers(const USERPAPERS* pPapers, PVOID pList, HANDLE hPrinter);
// A slot's size is possible: 1..100000 thousandths of an inch both ways
// and unit 1 or 2.
BOOL bUserPaperSane(const USERPAPER* pSlot);

// User-paper field codes of the settings transfer.
#define UPF_RECORD ']'
#define UPF_WIDTH '^'
#define UPF_LENGTH '_'
#define UPF_UNIT '`'
#define UPF_NAME 'a'
// Address, size and value type code of one field of a slot (1..10);
// FALSE for an unknown code or slot.
BOOL GetUserPaperField(int iField, int iSlot, PVOID* ppAddr, DWORD* pcb, DWORD* pdwType, USERPAPERS* pPapers);

// Copies one field of a slot to (iDirection TVC_GET) or from (TVC_SET) the
// caller's buffer with the width conversion of the settings transfer.
// Returns the copy's result (0 done, 234 buffer too small, -1 bad
// arguments, -2 type pair not supported); -1 for an unknown field code.
int AccessUserPaperField(int iField, PVOID pValue, DWORD* pcbValue, WORD wCallerType, int iDirection, int iSlot,
                         USERPAPERS* pPapers);
// The user papers of a printer may be written: FALSE for a network printer
// name ("\\server\queue") reached over a remote connection.
BOOL bUserPapersWritable(LPCWSTR pszPrinter, BOOL bRemoteConnection);

// ---- tray limits ----

// First row whose source matches and whose unit is 0 or matches, else the
// first row.
void GetTrayLimits(TRAYLIMIT* pOut, int iSource, int iUnit);
void GetTrayLimitRect(RECTL* prcOut, int iSource, int iUnit);
