// paramobj.h: sizing, defaults, copies and typed access of a settings object.
//
// Owns: the sizes of the two blocks of a UISETTINGS as the parameter table
// gives them (every item's offset written into its runtime row), the reset
// of every parameter to its table default, the re-binding of the slot
// pointers, single-parameter access by row or by id, the parameter defaults
// block, and the clone, copy and free of a whole object. These are the
// settings library's services on a settings object; they live with the
// settings model because the object's constructor calls them.
//
// Rules:
//   1. The fixed block is UIS_FIXED_SIZE bytes (48188 at 32 bits) plus, for
//      every runtime row that is not special, 12 + 134 x rows (choice) or
//      12 + 4 x rows (value list); each item's offset is the size before it.
//   2. After any byte copy of an object its slot pointers are re-bound, so
//      they never point into another object.
//   3. Item access is by position: word 0 is the edited value, then the
//      committed copy, then the default (uisettings.h).
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uiparam.h"

struct UISETTINGS;

#define UIS_ITEM_HEADER 12
#define UIS_CHOICE_ROW 134
#define UIS_VALUE_ROW 4
#define UIS_TABINDEX_HEADER 146
#define UIS_BLOCK204_SIZE 64
#define UIS_BLOCK205_SIZE 0xEE00
#define UIS_BLOCK206_SIZE 540

// Which word GetParamByKey and SetParamByKey reach.
#define PARAM_WHICH_CURRENT 1
#define PARAM_WHICH_DEFAULT 2

// The largest value among the choices of an option (0 without rows).
SHORT GetOptionMaxValue(POPTIONDB pdb, WORD wOption);

// Size of the fixed block; writes each item's offset into its row.
DWORD ApplyParamItems(POPTIONDB pdb, DEVMODEW* pdm, UIPARAMRT* pRows, int cRows);
// Size of the variable block; writes each special parameter's offset.
DWORD ApplyParamItemsRange(POPTIONDB pdb, DEVMODEW* pdm, UIPARAMRT* pRows, int cRows);

// Points every item and block slot at its own item (attach); returns the
// number of rows visited.
int RebindParamSlots(UISETTINGS* pObj);
// Builds every item from its option's default and puts every option-less
// parameter with a default to that default.
void ResetParamObject(UISETTINGS* pObj, DEVMODEW* pdm);

// Runs row iRow's handler for its slot (no DEVMODE, no attach). Returns 1,
// or 0 for a null object, a row out of range or a row without a handler.
int AccessParamByIndex(WORD wParamId, int iRow, UISETTINGS* pObj, void** ppSlot, DWORD* pcbSlot,
                       WORD* pwType);

struct PARAMROWFIELD {
    BYTE* pValue;    // the row's default in the block, or null
    DWORD bPresent;  // the row has a default in the block
};
// A row's entry in the parameter defaults block. Returns 1, 0 for a null
// argument or a row out of range.
int GetParamRowField(const UIPARAMRT* pRows, int iRow, PARAMROWFIELD* pOut, BYTE* pBlock);

// Copies a parameter into pBuf (caller size in/out, caller type wType):
// item kinds as int16 (word 0 for PARAM_WHICH_CURRENT, the default for
// PARAM_WHICH_DEFAULT), other kinds the slot with its own size and type.
// ppAddr, pcbAddr, pwAddrType (optional) receive the value's address, size
// and type. Returns the typed copy's result, or -1.
int GetParamByKey(WORD wParamId, void* pBuf, DWORD* pcbBuf, WORD wType, void** ppAddr, DWORD* pcbAddr,
                  WORD* pwAddrType, UISETTINGS* pObj, int iWhich);
// Copies cb bytes of type wType into the parameter (word 0 of an item).
// Returns 0, or -1 when the parameter or its slot is missing, or the typed
// copy's error.
int SetParamByKey(WORD wParamId, const void* pSrc, DWORD cb, WORD wType, UISETTINGS* pObj, int iWhich);

// The parameter defaults block: for each row with an option 2 bytes, for
// each option-less row with a UIPARAMDEF row the width of its slot; each
// row's offset and present flag are set. Null when it cannot be allocated or
// a stored default disagrees with its item. The caller frees it.
BYTE* BuildParamDefaults(UISETTINGS* pObj);

// A deep copy that owns all its blocks (rows, lists and defaults included);
// null when anything cannot be allocated.
UISETTINGS* CloneParamObject(UISETTINGS* pObj);
// Frees a clone made by CloneParamObject and clears the pointer.
void FreeParamObjectClone(UISETTINGS** ppObj);
// Copies the source's settings over the target's, keeping the target's own
// blocks and lists (their contents are copied). Returns the number of rows,
// 0 when the objects differ in size or an argument is null.
int CopyParamObject(UISETTINGS* pTarget, UISETTINGS* pSource);
