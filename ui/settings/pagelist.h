// pagelist.h: the page-list codec.
//
// Owns: PAGELISTS, the 488-byte block of up to eight short lists of page
// numbers kept in the DEVMODE (offset 1595) and in the settings object, the
// tag table that names the lists in the settings file ("/C", "/P"), and the
// conversions between the block and texts such as "1-3,5" or "/C1-3,5/P7".
// The settings object's own wrappers (which pass its block in) belong to the
// settings object.
//
// Rules the code relies on:
//  1. A stored slot is ascending and holds at most 30 numbers; bytes beyond
//     its count are zero. A count byte above 30 is read as 30.
//  2. Every function that writes text or numbers is given the capacity of
//     its output and never writes past it.
//  3. A text that cannot be read (a token that is empty, longer than four
//     characters or not all digits) or that yields more numbers than allowed
//     never changes a slot.
#pragma once

#include "platform/windef.h"

#define PAGELIST_SLOTS 8
#define PAGELIST_MAX 30
#define PAGELIST_TOKEN_MAX 4

#pragma pack(push, 1)

// PAGELISTS, 488 bytes (DEVMODE offset 1595).
//
//  off size field
//    0    8 acCount   pages in slot 1..8
//    8  480 aaPages   int16[30] per slot, ascending, zero past the count
struct PAGELISTS {
    BYTE acCount[PAGELIST_SLOTS];                 // numbers in each slot
    SHORT aaPages[PAGELIST_SLOTS][PAGELIST_MAX];  // the numbers
};

// PAGETAG, 12 bytes: a tagged slot of the settings-file text.
//
//  off size field
//    0    1 nSlot      slot 1..8; 0 ends the table
//    1    1 nMaxCount  most numbers the list takes
//    2    1 nMaxChars  most characters of its text
//    3    1 bZero      0
//    4    8 szTag      two characters and a terminator
struct PAGETAG {
    BYTE nSlot;
    BYTE nMaxCount;
    BYTE nMaxChars;
    BYTE bZero;
    WCHAR szTag[4];
};

#pragma pack(pop)

static_assert(sizeof(PAGELISTS) == 488);
static_assert(offsetof(PAGELISTS, aaPages) == 8);
static_assert(sizeof(PAGETAG) == 12);
static_assert(offsetof(PAGETAG, szTag) == 4);

// The tag rows, ended by a row whose slot is 0.
const PAGETAG* GetPageTagTable();

// Writes ascending numbers as "1-3,5,7-8" (a run of two or more consecutive
// numbers as first-last, items separated by ",").
//  pNumbers  in   the numbers
//  nCount    in   how many
//  pszText   out  the text, always terminated when cchMax >= 1
//  cchMax    in   size of pszText in characters, terminator included
// Returns the text length plus one; 0 for a null argument, a count below 1
// (the text is then empty) or a text that does not fit (the text is then
// empty: a list is never cut short).
int FormatPageList(const SHORT* pNumbers, int nCount, LPWSTR pszText, int cchMax);

// Expands "a-b,c" into page numbers; a reversed range is taken low to high.
// Returns the count written; 0 for a null argument, an empty text or a token
// that cannot be read; -1 when the numbers would exceed nCapacity.
int ParsePageRanges(LPCWSTR pszText, SHORT* pNumbers, int nCapacity);

// Converts comma-separated tokens of up to four digits into numbers. Returns
// the count (at most nCapacity); 0 for a null argument or a token that is
// not all digits.
int ParsePageNumbers(LPCWSTR pszText, SHORT* pNumbers, int nCapacity);

// Ascending insertion sort (stable, 16-bit signed compare).
void SortPageNumbers(SHORT* pNumbers, int nCount);

// Stores nCount numbers (sorted, at most 30) in slot 1..8, clearing the
// slot first. Any other slot does nothing. A negative count or a null list
// with a positive count leaves the slot unchanged and returns FALSE.
BOOL StorePageSlot(PAGELISTS* pLists, int nCount, int nSlot, const SHORT* pNumbers);

// Copies the numbers of slot 1..8 from index iFirst on, at most cMax of
// them, into pNumbers; *pcOut receives how many were copied (0 for another
// slot). Returns that count.
int LoadPageSlot(const PAGELISTS* pLists, int nSlot, int* pcOut, SHORT* pNumbers, int iFirst,
                 int cMax);

// min(count, 30) of slot 1..8, else 0.
int GetPageSlotCount(const PAGELISTS* pLists, int nSlot);

// Empties slot 1..8 (count and numbers).
void ClearPageSlot(PAGELISTS* pLists, int nSlot);

// Bytes a caller reserves for the tagged text: the sum over the tag rows of
// 2 x maximum characters + 16.
int GetPageTagsSize();

// Fills the tagged slots of pLists from "/C1-3,5/P7". The text is cut apart
// in place. Untagged text before the first tag fills slot 2. A tagged slot
// that does not appear is cleared; a list that cannot be read leaves its
// slot unchanged. Returns FALSE for a null argument or when some list could
// not be read.
BOOL ParseTaggedPageLists(PAGELISTS* pLists, LPWSTR pszText);

// Writes every non-empty tagged slot as its tag followed by its list, in
// table order. cchMax is the size of pszText in characters. Returns the text
// length plus one; 0 for a null argument or when some list did not fit (the
// lists that fit are kept).
int FormatTaggedPageLists(const PAGELISTS* pLists, LPWSTR pszText, int cchMax);
