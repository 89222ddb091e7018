// pdevside.h: the PDEV's side record, where the pointers and handles of the
// exchanged records live.
//
// Owns: PDEVSIDE and the slot numbers (PREF_*) of every record the graphics
// library exchanges or that another library may copy: the PDEV's fixed part,
// the job DEVMODE's font-substitution list head (bytes 1412..1415), PDLWORK
// with its attribute cache (PDLATTR) and segment state (SEGMENTSTATE).
//
// Each such field is a 32-bit slot. A slot holds the number of its row in
// the side record while the row holds an object, and 0 when there is none,
// so the record's bytes never depend on an address or the word size.
//
// The side record sits in the PDEV's own block after the PDEV's 37183
// bytes (PDEV_SIDE_OFFSET, aligned for pointers), never inside the bytes an
// escape copies out. This gives the rules the code relies on:
//  1. One PDEV, one owner: a row belongs to the PDEV whose block holds it.
//     Copying a record's bytes (an escape, a hand-over) copies slot numbers
//     only; the receiver sees 0 objects until the row itself is moved with
//     PdevRefMove, which clears the giver's row in the same step.
//  2. A slot is only honoured when it names the row the field's accessor
//     asks for, so bytes written over a slot from outside (a DEVMODE from an
//     application, a UI copy) can never make a field reach another row's
//     object; they read as "none".
//  3. The row is what frees: release code reads and clears the row, so an
//     object whose slot was overwritten is still released once.
//  4. The side record dies with the block: freeing the PDEV's chain frees
//     it, and the objects its rows own are released before that by the
//     PDEV's disable path (GenDisablePDEV).
#pragma once

#include "platform/windows.h"

struct PDEV;
struct CHAINHEAD;

// Rows of the side record; each value is also the slot value written into
// the field that refers to the row.
enum PDEVREF : DWORD {
    PREF_NONE = 0,
    // The PDEV's fixed part.
    PREF_MODULE = 1,        //    8 slModule
    PREF_CHAIN = 2,         //   12 slChain
    PREF_PRINTER = 3,       //   16 slPrinter
    PREF_DOCBUF = 4,        // 4128 slDocBuf
    PREF_DOCNAME = 5,       // 4136 slDocName
    PREF_HDEV = 6,          // 4144 slHdev
    PREF_HSURF = 7,         // 4148 slHsurf
    PREF_HPAL = 8,          // 4152 slHpal
    PREF_WRITEJOBDATA = 9,  // 6440 slWriteJobData
    PREF_EMITJOBRECORD = 10, // 6444 slEmitJobRecord
    PREF_WRITER = 11,       // 6448 slWriter
    // The job DEVMODE.
    PREF_FONTSUBST = 12,    // 1412 the FONTSUBNODE array
    // PDLWORK (W offsets).
    PREF_CAPTUREBUF = 13,   // W 2568 slCaptureBuf
    PREF_INSERTSHEETS = 14, // W 27176 slInsertSheets
    PREF_SHEETTABLE = 15,   // W 27168 the sheet table (SHEETENTRY rows)
    PREF_BLANKBUF = 16,     // W 612 the blank-page buffer
    PREF_SEGSTORE = 17,     // W 27212 SEGMENTSTATE slStore
    PREF_SEGINDEX = 18,     // W 27220 SEGMENTSTATE slIndex
    // PDLATTR, the attribute cache in PDLWORK.
    PREF_SAVEDRECTS = 19,   // W 28040 slSavedRects
    PREF_SAVEDPATHRECS = 20, // W 28072 slSavedPathRecs
    PREF_SAVEDPATHPTS = 21, // W 28100 slSavedPathPts
    PREF_CACHEDBRUSH0 = 22, // W 27372 aslCached[0..9]: rows 22..31
    PREF_COUNT = 32
};

struct PDEVSIDE {
    UINT_PTR aRef[PREF_COUNT];  // row i: the object of slot i, 0 none
    DWORD cFontSubstNodes;      // nodes in the PREF_FONTSUBST array
};

// The side record starts at the PDEV's size rounded up to 16 bytes; a PDEV
// block is PDEV_BLOCK_SIZE bytes, zero-filled (every row empty).
#define PDEV_SIDE_OFFSET 37184
#define PDEV_BLOCK_SIZE (PDEV_SIDE_OFFSET + sizeof(PDEVSIDE))
static_assert(PDEV_SIDE_OFFSET % 16 == 0 && PDEV_SIDE_OFFSET >= 37183);

inline PDEVSIDE* PdevSide(const PDEV* pPDev)
{
    return reinterpret_cast<PDEVSIDE*>(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(pPDev)) +
                                       PDEV_SIDE_OFFSET);
}

inline bool bPdevRefRow(DWORD iRow)
{
    return iRow > PREF_NONE && iRow < PREF_COUNT;
}

// The object of row iRow when dwSlot (the record's field) names that row,
// else 0 (rule 2).
inline UINT_PTR PdevRefValue(const PDEV* pPDev, DWORD dwSlot, DWORD iRow)
{
    if (!pPDev || dwSlot != iRow || !bPdevRefRow(iRow))
        return 0;
    return PdevSide(pPDev)->aRef[iRow];
}

// Stores v in row iRow; answers the slot the field must hold (iRow, or 0 for
// none). The row's previous object is the caller's to have released.
inline DWORD PdevRefStore(PDEV* pPDev, DWORD iRow, UINT_PTR v)
{
    if (!pPDev || !bPdevRefRow(iRow))
        return 0;
    PdevSide(pPDev)->aRef[iRow] = v;
    return v ? iRow : 0;
}

// Takes row iRow's object out of the side record whatever the slot says
// (rule 3); the caller releases it and clears the slot.
inline UINT_PTR PdevRefTake(PDEV* pPDev, DWORD iRow)
{
    if (!pPDev || !bPdevRefRow(iRow))
        return 0;
    UINT_PTR v = PdevSide(pPDev)->aRef[iRow];
    PdevSide(pPDev)->aRef[iRow] = 0;
    return v;
}

// Moves row iRow from pFrom to pTo (pFrom forgets it); answers the slot pTo's
// field must hold. pFrom's field is the caller's to clear; pTo's row must be
// empty or released by the caller.
inline DWORD PdevRefMove(PDEV* pTo, PDEV* pFrom, DWORD iRow)
{
    if (!pTo || !pFrom || !bPdevRefRow(iRow))
        return 0;
    if (pTo == pFrom)
        return PdevSide(pTo)->aRef[iRow] ? iRow : 0;
    return PdevRefStore(pTo, iRow, PdevRefTake(pFrom, iRow));
}

template <class T>
inline T PdevRef(const PDEV* pPDev, DWORD dwSlot, DWORD iRow)
{
    return (T)PdevRefValue(pPDev, dwSlot, iRow);
}
template <class T>
inline DWORD SetPdevRef(PDEV* pPDev, DWORD iRow, T v)
{
    return PdevRefStore(pPDev, iRow, (UINT_PTR)v);
}

// Typed access to a slot found by an expression of pPDev (a field of the
// work area): Name(pPDev) answers the object, SetName(pPDev, v) stores it.
#define PDEV_REF_AT(Name, Type, Row, SlotExpr)                 \
    inline Type Name(PDEV* pPDev)                              \
    {                                                          \
        return PdevRef<Type>(pPDev, SlotExpr, Row);            \
    }                                                          \
    inline void Set##Name(PDEV* pPDev, Type v)                 \
    {                                                          \
        SlotExpr = SetPdevRef(pPDev, Row, v);                  \
    }

// Typed access to the fixed part's slots: PdevX(pPDev) answers the object
// (null when none), SetPdevX(pPDev, v) stores it and sets the slot.
#define PDEV_REF_FIELD(Name, Type, Row, Field)                                     \
    inline Type Pdev##Name(const PDEV* pPDev)                                      \
    {                                                                              \
        return pPDev ? PdevRef<Type>(pPDev, pPDev->Field, Row) : (Type) nullptr;   \
    }                                                                              \
    inline void SetPdev##Name(PDEV* pPDev, Type v)                                 \
    {                                                                              \
        pPDev->Field = SetPdevRef(pPDev, Row, v);                                  \
    }
