// bindparam.h: the parameter binding handlers.
//
// Owns: PARAMCTX, the context a handler fills, and the 243 BindParam_
// handlers, one per parameter with a handler in the parameter table. The
// handlers are the only code that knows where a parameter lives: its slot in
// the settings object (uisettings.h) and the DEVMODE field that mirrors it.
// They are generated from one data file (bindparam_table.inc); each is one of
// six variants with its own constants.
//
// Rules every handler keeps:
//   1. A null context answers 0; otherwise 1.
//   2. Outputs are written only through non-null pointers; the current value
//      and the DEVMODE outputs only with a DEVMODE; the slot outputs and the
//      attach step only with a settings object.
//   3. A handler never allocates. It writes nothing but its outputs, the
//      slot pointer when attach is asked, and the one DEVMODE byte that the
//      pages-per-sheet normaliser rewrites.
//   4. Derived values (the cover check boxes and the cover kinds) are read
//      from the DEVMODE bytes as they were loaded, so the order in which
//      parameters are bound cannot change them.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// PARAMCTX (48 bytes, naturally aligned), zeroed and filled by the caller.
//   off size field           dir  meaning
//     0    2 wParamId        in   the parameter
//     2    2 wRowIndex       in   its UIPARAMRT index
//     4    4 pSettings       in   null: the slot side is not answered
//     8    4 pDevmode        in   null: the DEVMODE side is not answered
//    12    4 pDevmodeBase    in   the same DEVMODE; private fields by offset
//    16    4 psCurrent       out  the DEVMODE's current value (item kinds)
//    20    4 ppDevField      out  address of the mirrored DEVMODE field
//    24    4 pcbDevField     out  its size in bytes
//    28    4 pwDevType       out  its value type code
//    32    4 ppSlot          out  address of the slot (or its item or block)
//    36    4 pcbSlot         out  size of the slot in bytes
//    40    4 pwSlotType      out  its value type code
//    44    4 dwAttach        in   non-zero: point the slot at its item first
struct PARAMCTX {
    WORD wParamId;
    WORD wRowIndex;
    UISETTINGS* pSettings;
    BYTE* pDevmode;
    BYTE* pDevmodeBase;
    SHORT* psCurrent;
    void** ppDevField;
    DWORD* pcbDevField;
    WORD* pwDevType;
    void** ppSlot;
    DWORD* pcbSlot;
    WORD* pwSlotType;
    DWORD dwAttach;
};
static_assert(sizeof(void*) != 4 || sizeof(PARAMCTX) == 48);
static_assert(sizeof(void*) != 4 || offsetof(PARAMCTX, psCurrent) == 16);
static_assert(sizeof(void*) != 4 || offsetof(PARAMCTX, dwAttach) == 44);

// Value type codes of every typed copy.
#define VT_UINT8 1
#define VT_UINT16 2
#define VT_INT16 4
#define VT_INT32 8
#define VT_UINT32 16
#define VT_LONG 32
#define VT_BYTES 64
#define VT_WTEXT 128

// Handler variants (column 3 of bindparam_table.inc).
enum {
    BV_ITEMPTR = 1,
    BV_INLINE,
    BV_COPIED,
    BV_SLOT,
    BV_BLOCK,
    BV_OPTITEM,
    BV_OPTINLINE
};

// Normalisers and derivations (last column).
enum {
    FX_NONE = 0,
    FX_LAYOUT,
    FX_COVER,
    FX_NOTONE,
    FX_UDWIDTH,
    FX_UDLENGTH
};

// A row of the binding table as the handlers read it.
struct BINDPARAMDESC {
    WORD wParamId;
    BYTE bVariant;
    BYTE bFix;
    WORD wDevOffset;   // current value or copied field; option id for BV_OPT*
    WORD wDevSize;     // 1 or 2 for a current value, bytes for a copied field
    WORD wDevType;     // type code of a copied field
    WORD wSlotNo;      // order of the slot in the settings object, 1..243
    WORD wSlotBytes;   // bytes the slot takes in the 32-bit settings object
    DWORD dwRepSize;   // slot size reported (block size for block pointers)
    WORD wRepType;     // slot type reported
    LPCSTR pszName;    // the handler's name after "BindParam_"
};

#define BINDPARAM_ROW(p, name, var, doff, dsize, dtype, slot, sbytes, rsize, rtype, fix) \
    int BindParam_##name(PARAMCTX* pctx);
#include "ui/settings/bindparam_table.inc"
#undef BINDPARAM_ROW

// Number of handlers and the descriptor of each (in parameter order).
int GetBindParamCount();
const BINDPARAMDESC* GetBindParamDesc(int i);
// The descriptor of a parameter; null when it has no handler.
const BINDPARAMDESC* FindBindParamDesc(WORD wParamId);
// Byte offset of slot number n (1..243) from the start of the settings
// object; 0 for a number out of range. Slots start on 4-byte boundaries and
// pointer slots on pointer boundaries, so pointers and texts in them are
// aligned.
DWORD GetParamSlotOffset(WORD wSlotNo);
// Bytes slot number n takes in this build: wSlotBytes of its row, widened
// to a whole pointer for a slot that holds one; 0 out of range.
WORD GetParamSlotBytes(WORD wSlotNo);
// Bytes taken by all slots together.
DWORD GetParamSlotAreaSize();

// Whether a custom or user paper code (256, 513..521) takes its size from
// the public header.
BOOL bIsCustomPaperCode(SHORT sPaperCode);
