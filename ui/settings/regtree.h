// regtree.h: the registry-tree tables of the per-user lists.
//
// Owns: the six constant REGTREE tables (InterSheet, Form, WaterMark,
// FontSubTbl, Fax Cover Sheet, UDPaper%d; data file regtree_table.inc), the
// defaults of their fields (regtreedef_table.inc), the working copies
// REGTREEWORK and the bundle REGTREESET that a settings object keeps. These
// are the per-user store's tables; they live with the settings model because
// every settings object builds and links them when it is created.
//
// Rules:
//   1. A table whose feature is switched off has no working copy: its entry
//      in the bundle holds a null pointer and count 0.
//   2. The working copies of one bundle lie in one block, table after table
//      in the order above, followed by one zero row.
//   3. Row ids are unique across the six tables.
#pragma once

#include "platform/windows.h"

#define RT_NODE_KEY 0x20
#define RT_NODE_VALUE 0x13
#define RT_NODE_MASK 0x30

// Positions of the six tables in the bundle.
enum {
    RT_INTERSHEET = 0,
    RT_FORM = 1,
    RT_WATERMARK = 2,
    RT_FONTSUB = 3,
    RT_FAXCOVER = 4,
    RT_UDPAPER = 5,
    RT_TABLES = 6
};

#pragma pack(push, 1)

// REGTREE row (396 bytes).
//   off size field
//     0    2 row id (0 ends the table)
//     2    2 node type (0x20 key, 0x13 value)
//     4  128 level-1 name WCHAR[64]
//   132  128 level-2 name WCHAR[64]
//   260  128 level-3 name WCHAR[64]
//   388    2 first index   390 2 last index
//   392    2 count row id  394 2 feature key
struct REGTREE {
    WORD wId;
    WORD wNodeType;
    WCHAR szLevel1[64];
    WCHAR szLevel2[64];
    WCHAR szLevel3[64];
    WORD wFirst;
    WORD wLast;
    WORD wCountRow;
    WORD wFeatureKey;
};
static_assert(sizeof(REGTREE) == 396);
static_assert(offsetof(REGTREE, szLevel2) == 132);
static_assert(offsetof(REGTREE, wFirst) == 388);
static_assert(offsetof(REGTREE, wFeatureKey) == 394);

// REGTREEWORK: the working copy of a row (416 bytes).
//   off size field
//     0  396 the REGTREE row
//   396    4 count-row flag (another row of its table names it)
//   400    4 offset of its default in the registry-tree defaults block
//   404    4 default present
//   408    2 UIPARAMRT index   410 2 own index   412 2 USETKEYRT index
//   414    2 reserved
struct REGTREEWORK {
    REGTREE row;
    DWORD bCountRow;
    DWORD dwDefaultOffset;
    DWORD bHasDefault;
    SHORT iParam;
    SHORT iOwn;
    SHORT iKey;
    WORD wReserved;
};
static_assert(sizeof(REGTREEWORK) == 416);
static_assert(offsetof(REGTREEWORK, bCountRow) == 396);
static_assert(offsetof(REGTREEWORK, dwDefaultOffset) == 400);
static_assert(offsetof(REGTREEWORK, bHasDefault) == 404);
static_assert(offsetof(REGTREEWORK, iParam) == 408);
static_assert(offsetof(REGTREEWORK, iOwn) == 410);
static_assert(offsetof(REGTREEWORK, iKey) == 412);

#pragma pack(pop)

struct REGTREETABLE {
    REGTREEWORK* pRows;
    DWORD cRows;
};

// REGTREESET: the bundle (56 bytes, naturally aligned: it is kept inside
// the settings object, never stored): all rows, then each table.
//   off size field
//     0    4 all rows    4 4 their count
//     8   48 {rows, count} of the six tables in RT_* order
struct REGTREESET {
    REGTREEWORK* pAll;
    DWORD cAll;
    REGTREETABLE aTable[RT_TABLES];
};
static_assert(sizeof(void*) != 4 || sizeof(REGTREESET) == 56);


// Feature key of a table (RT_*).
WORD RegTreeFeatureKey(int iTable);

// Rows of a constant table up to its zero row.
int CountInterSheetRows();
int CountFormRows();
int CountWaterMarkRows();
int CountFontSubRows();
int CountFaxCoverRows();
int CountUDPaperRows();

// Working copies: count + 1 zeroed rows, the constant rows copied in, the
// count rows marked, indices -1. With the table's feature off, or when the
// block cannot be allocated, the entry gets no rows and count 0.
void BuildInterSheetTable(REGTREETABLE* pEntry);
void BuildFormTable(REGTREETABLE* pEntry);
void BuildWaterMarkTable(REGTREETABLE* pEntry);
void BuildFontSubTable(REGTREETABLE* pEntry);
void BuildFaxCoverTable(REGTREETABLE* pEntry);
void BuildUDPaperTable(REGTREETABLE* pEntry);
void FreeInterSheetTable(REGTREETABLE* pEntry);
void FreeFormTable(REGTREETABLE* pEntry);
void FreeWaterMarkTable(REGTREETABLE* pEntry);
void FreeFontSubTable(REGTREETABLE* pEntry);
void FreeFaxCoverTable(REGTREETABLE* pEntry);
void FreeUDPaperTable(REGTREETABLE* pEntry);

// Builds every table's working copy into one block (rule 2) and records
// each table's rows in the bundle. On failure the bundle holds no rows.
void BuildRegTreeTables(REGTREESET* pSet);
// Frees the block of rows and clears the bundle.
void FreeRegTreeTables(REGTREESET* pSet);

// The working row with that id in the bundle; null when none.
REGTREEWORK* FindRegTreeRow(REGTREESET* pSet, WORD wId);
// Default text of a list field; null when the field has none.
LPCWSTR GetRegTreeDefaultText(WORD wId);
