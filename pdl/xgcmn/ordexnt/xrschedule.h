// xrschedule.h: the special-page schedule (the sheet table), the lookups
// the page set-up and the special-page output make in it, and the page
// origin with its binding margin.
//
// Owns: SHEETENTRY and the sheet table that hangs off the work area (header
// at W 27160..27171), the reading of the INSERTSHEET records the user
// interface sends at the first page, BuildSpecialPageSchedule and its three
// passes, GetSpecialPagesForPage / FillSpecialPage, the scheduled tray,
// paper and sides of a page, the blank-side and insert-sheet counts,
// GetPageOrigin with GetBindingShift and bIsBackSide. The special pages'
// own output (set-up, recorded tab texts, ejects) belongs to the
// inserted-page file; the owner check lives with the escapes.
//
// Rules the table keeps after every operation:
//  1. Entry 0 exists, stays zero and is never a sheet; sheets are 1..N and
//     N never exceeds SHEET_MAX_SHEETS. An operation that would pass that
//     limit is not performed.
//  2. Read front then back, entry by entry, the sides that hold pages list
//     the logical pages 1..P (and P + 1 at most) ascending, each once.
//  3. A one-sided sheet has back 0; a two-sided sheet a page or -1 there.
//     An operation whose result would break 2 or 3 (records that overlap
//     or cross a group another record closed) is undone whole, so the
//     other records' sheets stay as they were built.
#pragma once

#include "graphics/ddi/escape.h"
#include "pdl/xgcmn/ordexnt/xgientnt.h"

#define SHEET_TABLE_ENTRIES 20000
#define SHEET_MAX_SHEETS 19999
#define SHEET_MAX_PAGES 10000
#define INSERT_MAX_RECORDS 128
#define INSERT_RECORD_SIZE 476
#define INSERT_MAX_NUMBERS 9999

// Fields of the 476-byte INSERTSHEET record read here (little-endian).
#define IS_OFF_PAGELIST 0     // WCHAR[129]
#define IS_OFF_TYPE 258       // int16: print type 1..6
#define IS_OFF_TRAY 260       // int16: tray key, 4096 = the job's
#define IS_OFF_INUSE 262      // uint8: 1 = in use
#define IS_OFF_BINDING 264    // int16: 1 = the job's, else low byte
#define IS_OFF_TABKEY 266     // int16: 1 = carries its tab text
#define IS_OFF_TABTEXT 268    // WCHAR[65]
#define IS_OFF_TABPOS 398     // int16
#define IS_OFF_TABDIR 404     // int16
#define IS_OFF_TABALIGN 406   // int16
#define IS_OFF_TABFACE 408    // WCHAR[32]
#define IS_OFF_TABSTYLE 472   // int16
#define IS_OFF_TABSIZE 474    // int16
#define IS_TRAY_JOB 4096

// Print types.
#define IS_TYPE_SHEET_AFTER 1
#define IS_TYPE_ONE_SIDED 2
#define IS_TYPE_TWO_SIDED 3
#define IS_TYPE_AS_JOB 4
#define IS_TYPE_CHAPTER 5
#define IS_TYPE_SHEET_BEFORE 6

#pragma pack(push, 1)

// SHEETENTRY, 12 bytes: one physical sheet of the job.
//
//  off size field
//    0    2 nFront     logical page on the front; -1 blank
//    2    2 nBack      logical page on the back; -1 blank; 0 no back
//    4    1 bSides     1 one-sided, 2 two-sided
//    5    1 bBinding   0 none, 2 long edge, 3 short edge
//    6    2 nTray      tray key
//    8    2 nKey       segment key of the recorded tab text; 0 none
//   10    1 bGroupEnd  1 = later re-pairing never moves pages across it
//   11    1 bReserved  0
struct SHEETENTRY {
    SHORT nFront;     // front page
    SHORT nBack;      // back page
    BYTE bSides;      // sides kind
    BYTE bBinding;    // binding kind
    SHORT nTray;      // tray key
    SHORT nKey;       // tab text key
    BYTE bGroupEnd;   // closes a group
    BYTE bReserved;   // 0
};

#pragma pack(pop)

static_assert(sizeof(SHEETENTRY) == 12);
static_assert(offsetof(SHEETENTRY, nBack) == 2);
static_assert(offsetof(SHEETENTRY, bSides) == 4);
static_assert(offsetof(SHEETENTRY, bBinding) == 5);
static_assert(offsetof(SHEETENTRY, nTray) == 6);
static_assert(offsetof(SHEETENTRY, nKey) == 8);
static_assert(offsetof(SHEETENTRY, bGroupEnd) == 10);

// The table header in the work area (W 27160), read out.
struct SHEETTABLEINFO {
    int nPages;            // P
    int nSheets;           // N
    SHEETENTRY* pEntries;  // the entries, or null
};

// ---- job settings ------------------------------------------------------------
BOOL bInsertSheetsEnabled(PDEV* pPDev);
int GetJobSidesKind(PDEV* pPDev);     // 1 or 2
int GetJobBindingKind(PDEV* pPDev);   // 0, 2 or 3

// ---- records --------------------------------------------------------------------
int GetInsertSheetCount(PDEV* pPDev);  // 1..128, else 0
BOOL GetInsertSheetRecord(PDEV* pPDev, int iIndex, BYTE abRecord[INSERT_RECORD_SIZE]);
void GetTabPaperValues(PDEV* pPDev, BYTE abValues[8]);
LONG GetInsertSheetMode(PDEV* pPDev);

// ---- the table ------------------------------------------------------------------
BOOL AllocSheetTable(PDEV* pPDev);
// FreeSheetTable is declared with the page generator's callbacks.
BOOL BuildSpecialPageSchedule(PDEV* pPDev);
SHEETTABLEINFO GetSheetTableInfo(PDEV* pPDev);

// ---- lookups ---------------------------------------------------------------------
// The special pages around page nPage (0 = before the first page): the
// page's own sheet, then one record per blank side up to the next page.
// pOut may be null; it must hold as many records as the call with null
// answers. Returns the number of records.
int GetSpecialPagesForPage(PDEV* pPDev, int nPage, SPECIALPAGE* pOut);
void FillSpecialPage(PDEV* pPDev, const SHEETENTRY* pEntry, SPECIALPAGE* pOut);
// Side (0 front, 1 back) and binding of the current logical page.
BOOL GetScheduledSide(PDEV* pPDev, int* pnSide, int* pnBinding);
SHORT CountInsertSheetsBefore(PDEV* pPDev, SHORT nKey);

// ---- page origin -----------------------------------------------------------------
// 0 front, 1 back for physical side number nSide; *pnBinding the binding.
int bIsBackSide(PDEV* pPDev, int nSide, int* pnBinding);
// Direction (0..4), amount and cross offset of the binding margin, 1/100 mm.
void GetBindingShift(PDEV* pPDev, int nSide, int* pnDir, LONG* plAmount, LONG* plCross);
