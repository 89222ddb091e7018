// stubs_later.h: entry points of later steps that the settings object calls.
//
// The watermark list, the fax destination list file and the rule indexes of
// the constraint engine are built by their own steps. Until then these
// entry points do the least their callers need: the watermark list exists
// with its records, is copied and freed, and its fields are located for the
// registry-tree walk that loads, stores and resets it; the fax destination
// file is neither read nor written; no rule index is built. Each keeps the
// name and arguments its owner gives it.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"

struct UISETTINGS;
struct REGTREESET;

#define WATERMARK_SLOTS 51

#pragma pack(push, 1)

// WATERMARK (160 bytes).
//   off size field
//     0   66 text WCHAR[33]        66 64 font face WCHAR[32]
//   130    4 style   134 4 size   138 4 angle   142 4 select colour
//   146    4 colour (thickness)   150 4 centre x   154 4 centre y
//   158    2 reserved
struct WATERMARK {
    WCHAR szText[33];
    WCHAR szFace[32];
    DWORD dwStyle;
    DWORD dwSize;
    LONG lAngle;
    DWORD dwSelectColor;
    DWORD dwColor;
    DWORD dwCenterX;
    DWORD dwCenterY;
    WORD wReserved;
};
static_assert(sizeof(WATERMARK) == 160);

// The watermark list (12 bytes): count, the 51 records, the current record.
struct WATERMARKLIST {
    SHORT sCount;
    WORD wReserved;
    WATERMARK* pRecords;
    WATERMARK* pCurrent;
};
static_assert(sizeof(WATERMARKLIST) == 12);

#pragma pack(pop)

WATERMARKLIST* CreateWatermarkList();
void FreeWatermarkList(WATERMARKLIST** ppList);
BOOL CopyWatermarkList(WATERMARKLIST* pTarget, const WATERMARKLIST* pSource);
BOOL LoadWatermarkList(WATERMARKLIST* pList, REGTREESET* pTables, LPCWSTR pszPrinter);
BOOL SaveWatermarkList(WATERMARKLIST* pList, REGTREESET* pTables, LPCWSTR pszPrinter);
// Count 16, records 0..15 the built-in watermarks.
void SetDefaultWatermarks(WATERMARKLIST* pList);
// Field wId of record n (0..50): 11 the list, 12 the count, 13 the records,
// 15 text, 17 face, 19 style, 21 size, 23 angle, 99 select colour,
// 25 colour, 27 centre x, 29 centre y. FALSE for an unknown field, a missing
// list or a record index outside 0..50.
BOOL GetWatermarkField(WORD wId, int n, void** ppAddr, DWORD* pcb, WORD* pwType, WATERMARKLIST* pList);

void LoadFaxDestinations(POPTIONDB pdb, UISETTINGS* pObj, DEVMODEW* pdm, DWORD dwReserved,
                         HANDLE hPrinter);
BOOL SaveFaxDestinations(UISETTINGS* pObj, DEVMODEW* pdm);

void CountStaticTables();
BOOL BuildRuleIndexes(UISETTINGS* pObj);
void FreeRuleIndexes(UISETTINGS* pObj);
