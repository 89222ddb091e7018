// regwalk.h: the table-driven walk that loads and stores the per-user lists.
//
// Owns: RegTreeWalk, which visits the registry-tree rows of one list
// (regtree.h) under the printer's per-user key and moves each field between
// the registry and the list through the list's field locator. This is the
// per-user store's walker; it lives with the settings model because every
// settings object loads its lists with it.
//
// Layout under the printer key: a level-1 row names a key (or a value) of
// the printer key; a level-2 row a key or value under its level-1 key, its
// "%d" running over the row's range; a level-3 row a value in the key
// level-1\level-2(j), its own "%d" running over its range. Ranges of rows
// with a count row end at the stored count, never past the row's own last
// index, so a corrupt count cannot address past a list's arrays.
//
// Value types by field type code: 1, 2, 4, 8, 16, 32 REG_DWORD (bytes and
// unsigned 16-bit values zero-extended, signed 16-bit sign-extended); 64
// REG_BINARY of the field's size; 128 REG_SZ. A value that is missing, of
// another type or larger than its field leaves the field unchanged on load;
// a loaded text is always terminated inside its field.
#pragma once

#include "platform/windows.h"

struct REGTREESET;
struct REGTREETABLE;

#define RTW_LOAD 1
#define RTW_STORE 2
#define RTW_STORE_DEFAULTS 3
#define RTW_DELETE 4

// Address, size and type of field wId of the list, for the "%d" indices j
// (level 2) and k (level 3). FALSE when the list has no such field.
typedef BOOL (*PFNRTLOCATE)(void* pList, WORD wId, int j, int k, void** ppAddr, DWORD* pcb, WORD* pwType);

// Walks the rows of pTable whose feature key is wFeature (0: any) and whose
// feature is on. Returns FALSE for a missing argument or an unknown action.
BOOL RegTreeWalk(void* pList, PFNRTLOCATE pfnLocate, const REGTREETABLE* pTable, WORD wFeature,
                 LPCWSTR pszPrinter, int iAction);

// The walk over one list of the bundle, with that list's locator: feature
// key 4097 an INTERSHEETLIST, 4098 a FORMLIST, 4099 a WATERMARKLIST, 4100 a
// FONTSUBLIST. A list whose feature is off is not walked (TRUE).
BOOL RegTreeWalkList(void* pList, REGTREESET* pTables, WORD wFeature, LPCWSTR pszPrinter, int iAction);

struct LISTSET;
// Locates field wId of the list of the set that the feature key names.
BOOL LocateListField(LISTSET* pSet, WORD wFeature, WORD wId, int j, int k, void** ppAddr, DWORD* pcb,
                     WORD* pwType);

// The registry-tree defaults block: every working row with a default gets
// the next place of its field's size (its offset and present flag set in
// the row), filled with the default parsed into the field's width or copied
// as text. Null when the block cannot be allocated; the caller frees it.
BYTE* BuildRegTreeDefaults(LISTSET* pSet, REGTREESET* pTables);
