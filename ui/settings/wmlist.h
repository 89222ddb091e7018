// wmlist.h: the watermark list of a settings object.
//
// Owns: the WATERMARK record (160 bytes, stored in the per-user registry and
// read by the page hook that draws the watermark), the watermark list object
// with its 51 records and its current record, the built-in watermarks, and
// the field locator through which the registry-tree walk and the settings
// transfer reach each field.
//
// Rules:
//   1. The list exists only while the watermark group (feature key 4099) is
//      switched on: creation gives null, every other call succeeds and does
//      nothing, and the locator answers "not found" with null outputs.
//   2. A record index outside 0..50 is refused, so no file or stored value
//      can address a 52nd record.
//   3. The count is whatever was loaded; readers clamp it with
//      WatermarkListCount.
#pragma once

#include "platform/windows.h"

struct REGTREESET;

#define WATERMARK_SLOTS 51
#define WATERMARK_TEXT_CCH 33
#define WATERMARK_FACE_CCH 33
#define WATERMARK_BUILTINS 16

#pragma pack(push, 1)

// WATERMARK (160 bytes).
//   off size field
//     0   66 text WCHAR[33], zero-terminated and zero-padded
//    66   66 font face WCHAR[33] (the locator reaches its first 64 bytes)
//   132    4 style: 1 regular, 2 bold, 3 italic, 4 bold italic
//   136    4 size in points
//   140    4 angle in tenths of a degree
//   144    4 select colour (the last choice of its combo)
//   148    4 colour (thickness): grey level 0..255
//   152    4 centre x    156 4 centre y (0.1 mm from the page centre)
struct WATERMARK {
    WCHAR szText[WATERMARK_TEXT_CCH];
    WCHAR szFace[WATERMARK_FACE_CCH];
    DWORD dwStyle;
    DWORD dwSize;
    LONG lAngle;
    DWORD dwSelectColor;
    DWORD dwColor;
    DWORD dwCenterX;
    DWORD dwCenterY;
};
static_assert(sizeof(WATERMARK) == 160);
static_assert(offsetof(WATERMARK, szFace) == 66);
static_assert(offsetof(WATERMARK, dwStyle) == 132);
static_assert(offsetof(WATERMARK, dwSize) == 136);
static_assert(offsetof(WATERMARK, lAngle) == 140);
static_assert(offsetof(WATERMARK, dwSelectColor) == 144);
static_assert(offsetof(WATERMARK, dwColor) == 148);
static_assert(offsetof(WATERMARK, dwCenterX) == 152);
static_assert(offsetof(WATERMARK, dwCenterY) == 156);

// The watermark list (12 bytes, in memory only).
//   off size field
//     0    2 count (int16)      2 2 reserved
//     4    4 the 51 records (8160 bytes)
//     8    4 the current record (160 bytes)
struct WATERMARKLIST {
    SHORT sCount;
    WORD wReserved;
    WATERMARK* pRecords;
    WATERMARK* pCurrent;
};
static_assert(sizeof(void*) != 4 || sizeof(WATERMARKLIST) == 12);

#pragma pack(pop)

// Field ids of the locator (the registry-tree row ids of the watermark table).
#define WMF_LIST 11
#define WMF_COUNT 12
#define WMF_RECORDS 13
#define WMF_TEXT 15
#define WMF_FACE 17
#define WMF_STYLE 19
#define WMF_SIZE 21
#define WMF_ANGLE 23
#define WMF_SELECTCOLOR 99
#define WMF_COLOR 25
#define WMF_CENTERX 27
#define WMF_CENTERY 29

// Header, zeroed records and a current record holding the defaults; null
// when the group is off or memory runs out (nothing stays allocated).
WATERMARKLIST* CreateWatermarkList();
// Frees the three blocks and clears *ppList.
void FreeWatermarkList(WATERMARKLIST** ppList);
// Copies count, records and current record into the target's own blocks.
BOOL CopyWatermarkList(WATERMARKLIST* pTarget, const WATERMARKLIST* pSource);
// Registry-tree walk of the watermark table: load, store, store defaults.
// TRUE when the group is off or the walk ran; FALSE for a missing argument.
BOOL LoadWatermarkList(WATERMARKLIST* pList, REGTREESET* pTables, LPCWSTR pszPrinter);
BOOL SaveWatermarkList(WATERMARKLIST* pList, REGTREESET* pTables, LPCWSTR pszPrinter);
// Count 16; records 0..15 the built-in watermarks (texts from the resource
// library: string 21200, then 30002..30016).
void SetDefaultWatermarks(WATERMARKLIST* pList);
// Stores the built-in watermarks as the user's list. FALSE when the list
// cannot be made or an argument is missing; TRUE when the group is off.
BOOL ResetWatermarkList(REGTREESET* pTables, LPCWSTR pszPrinter);

// Address, size and type code of field wId of record n (0..50); each output
// optional, set to null/0 first. FALSE for an unknown field, a missing list
// or record array, or an index outside 0..50; TRUE with no address when the
// model has no watermarks (callers skip the field).
BOOL GetWatermarkField(WORD wId, int n, void** ppAddr, DWORD* pcb, WORD* pwType, WATERMARKLIST* pList);
// Locates the field and copies it into pBuf (caller size in/out, caller
// type wType) with GetTypedValue; its result, or -1 when not located.
int AccessWatermarkField(WORD wId, void* pBuf, DWORD* pcbBuf, WORD wType, int n, void** ppAddr, DWORD* pcb,
                         WORD* pwType, WATERMARKLIST* pList);
// The count clamped into 0..51, for every reader that walks the records.
int WatermarkListCount(const WATERMARKLIST* pList);
