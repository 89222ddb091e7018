// docevent_store.h: what the document-event chain reads of the per-user
// store and of the secure-job texts.
//
// Owns: the insert-sheet readers by printer and list number, the registry
// list of the fax jobs' temporary files (per-user key "Fax Cover Sheet",
// subkeys "Tempfile Count" with DWORD "0" and "Tempfile Name" with REG_SZ
// "0", "1", ...), the password scrambling and the path tidying of the
// form-file message.
#pragma once

#include "platform/windows.h"
#include "ui/settings/insertsheet.h"

#define INSERTSHEET_BYTES sizeof(INSERTSHEET)
#define INSERTSHEET_USE_INDEX offsetof(INSERTSHEET, wUseIndex)
#define INSERTSHEET_TAB_TEXT offsetof(INSERTSHEET, szTabText)
#define INSERTSHEET_TAB_POS offsetof(INSERTSHEET, wTabPosition)
#define INSERTSHEET_TAB_DIR offsetof(INSERTSHEET, wTabDirection)
#define INSERTSHEET_FACE offsetof(INSERTSHEET, szFace)
#define INSERTSHEET_STYLE offsetof(INSERTSHEET, wFontStyle)
#define INSERTSHEET_SIZE_PT offsetof(INSERTSHEET, wFontSize)

// Insert-sheet list iList (1..10) of the printer's per-user lists: its entry
// count, one 476-byte entry, its two 32-bit tab values and its further value.
// FALSE when the lists cannot be loaded or an index is out of range.
BOOL GetInterSheetItemValue(LPCWSTR pszPrinter, int iList, int* pnCount);
BOOL GetInterSheetItemEntry(LPCWSTR pszPrinter, int iList, int iEntry, BYTE* pEntry476);
BOOL GetInterSheetItemPair(LPCWSTR pszPrinter, int iList, DWORD adwPair[2]);
BOOL GetInterSheetItemValue2(LPCWSTR pszPrinter, int iList, DWORD* pdwValue);

// List iList read from the store once: its entry count, its entries (at most
// 128 kept, n x 476 bytes), its two tab values and its further value. FALSE,
// and nothing held, when the lists cannot be loaded. FreeInterSheetItems
// releases what it holds.
struct INTERSHEETITEMS {
    int n;
    BYTE* pEntries;
    DWORD adwPair[2];
    DWORD dwValue2;
};
BOOL LoadInterSheetItems(LPCWSTR pszPrinter, int iList, INTERSHEETITEMS* pOut);
// Entry i of a loaded list, null outside it.
const BYTE* InterSheetItemAt(const INTERSHEETITEMS* p, int i);
void FreeInterSheetItems(INTERSHEETITEMS* p);
// How many times this library has read insert-sheet lists from the store.
DWORD InterSheetListLoads();

// The temporary-file list of the printer's fax jobs.
DWORD GetFaxTempfileCount(LPCWSTR pszPrinter);
BOOL SetFaxTempfileCount(LPCWSTR pszPrinter, DWORD dwCount);
BOOL GetFaxTempfileName(LPCWSTR pszPrinter, int i, LPWSTR pszOut260);
BOOL SetFaxTempfileName(LPCWSTR pszPrinter, int i, LPCWSTR pszPath);
// Mode 1 deletes name i, mode 2 the whole name key.
BOOL DeleteFaxTempfileName(LPCWSTR pszPrinter, int i, int iMode);

// Inverts each UTF-16 unit of at most 11 units, stopping at (and writing)
// the first zero unit; the same call turns the stored form back.
void ScramblePassword(LPCWSTR pszSource, LPWSTR pszTarget);

// Rebuilds a path from its directory and file name so that exactly one
// backslash separates them; at most cchOut - 1 characters.
void TidyFilePath(LPCWSTR pszPath, LPWSTR pszOut, int cchOut);
