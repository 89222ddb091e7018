// bindparam.cpp: the parameter binding handlers (see bindparam.h).
//
// One generic handler reads its constants from the row of the binding table;
// each BindParam_ function is that handler with its own row.
#include "ui/settings/bindparam.h"

#include <array>
#include <cstring>

#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

namespace {

// Public header fields that handlers read besides the table's offsets.
const WORD kDmPaperSize = 78;
const WORD kDmPaperLength = 80;
const WORD kDmPaperWidth = 82;
// Private custom-size fields used when the paper is a standard size.
const WORD kUDPaperWidth = 1551;
const WORD kUDPaperLength = 1553;
// Pages-per-sheet codes that older DEVMODEs hold for "1 page".
const BYTE kLayoutOne = 1, kLayoutTwo = 2, kLayoutDefault = 8;

constexpr BINDPARAMDESC g_aDesc[] = {
#define BINDPARAM_ROW(p, name, var, doff, dsize, dtype, slot, sbytes, rsize, rtype, fix)   \
    {(WORD)(p), (BYTE)(var), (BYTE)(fix), (WORD)(doff), (WORD)(dsize), (WORD)(dtype), \
     (WORD)(slot), (WORD)(sbytes), (DWORD)(rsize), (WORD)(rtype), #name},
#include "ui/settings/bindparam_table.inc"
#undef BINDPARAM_ROW
};
constexpr int kDescCount = (int)(sizeof(g_aDesc) / sizeof(g_aDesc[0]));

// Whether the slot of a variant holds a pointer (to an item or a block).
constexpr bool _IsPointerSlot(BYTE bVariant)
{
    return bVariant == BV_ITEMPTR || bVariant == BV_OPTITEM || bVariant == BV_BLOCK;
}

// Offsets and sizes of the slots, in slot-number order, from the start of
// the object.
struct SLOTLAYOUT {
    std::array<DWORD, kDescCount + 2> aOffset{};
    std::array<WORD, kDescCount + 2> aBytes{};
    DWORD cbTotal = 0;
};

// The table gives every slot's 32-bit size; a pointer slot takes a whole
// pointer (8 bytes on its own boundary at 64 bits), so the slots after it
// move there while the 32-bit layout stays as the table says.
constexpr SLOTLAYOUT _LayoutSlots()
{
    SLOTLAYOUT l{};
    std::array<DWORD, kDescCount + 2> aAlign{};
    for (const BINDPARAMDESC& d : g_aDesc) {
        bool bPtr = _IsPointerSlot(d.bVariant);
        l.aBytes[d.wSlotNo] = bPtr && d.wSlotBytes < sizeof(void*) ? (WORD)sizeof(void*) : d.wSlotBytes;
        aAlign[d.wSlotNo] = bPtr ? (DWORD)alignof(void*) : 4u;
    }
    DWORD off = 0;
    for (int n = 1; n <= kDescCount; ++n) {
        DWORD a = aAlign[n] ? aAlign[n] : 4u;
        off = (off + a - 1) & ~(a - 1);
        l.aOffset[n] = off;
        off += l.aBytes[n];
    }
    l.cbTotal = off;
    return l;
}
constexpr SLOTLAYOUT g_layout = _LayoutSlots();
static_assert(g_layout.cbTotal <= UIS_SLOT_AREA, "the parameter slots outgrew their area");

constexpr bool _PointerSlotsFit()
{
    for (const BINDPARAMDESC& d : g_aDesc)
        if (_IsPointerSlot(d.bVariant) &&
            (g_layout.aBytes[d.wSlotNo] < sizeof(void*) || g_layout.aOffset[d.wSlotNo] % alignof(void*) != 0))
            return false;
    return true;
}
static_assert(_PointerSlotsFit(), "a pointer slot is narrower than a pointer");

BOOL _IsVariableParam(WORD wParamId)
{
    switch (wParamId) {
    case 100: case 184: case 185: case 186: case 204: case 205: case 206:
        return TRUE;
    default:
        return FALSE;
    }
}

void* _LoadPtr(const BYTE* pSlot)
{
    void* pv;
    memcpy(&pv, pSlot, sizeof(pv));
    return pv;
}

void _StorePtr(BYTE* pSlot, void* pv)
{
    memcpy(pSlot, &pv, sizeof(pv));
}

SHORT _ReadField(const BYTE* pdm, WORD wOffset, WORD wSize)
{
    if (wSize == 1)
        return (SHORT)pdm[wOffset];
    SHORT s;
    memcpy(&s, pdm + wOffset, sizeof(s));
    return s;
}

// Address of the parameter's item: the object's own block for the fixed
// items, the variable block for the special parameters.
BYTE* _ItemAddress(UISETTINGS* pObj, const PARAMCTX* pctx)
{
    const UISETTRAILER& t = pObj->trailer;
    if (!t.pParamRows)
        return nullptr;
    int i = pctx->wRowIndex;
    if (i >= t.cParamRows || t.pParamRows[i].row.wParamId != pctx->wParamId)
        i = FindParamRow(pObj, pctx->wParamId);
    if (i < 0)
        return nullptr;
    DWORD off = t.pParamRows[i].dwItemOffset;
    if (_IsVariableParam(pctx->wParamId))
        return t.pVariable ? t.pVariable + off : nullptr;
    return off ? (BYTE*)pObj + off : nullptr;
}

SHORT _CurrentValue(const BINDPARAMDESC& d, BYTE* pdm)
{
    SHORT s = _ReadField(pdm, d.wDevOffset, d.wDevSize);
    switch (d.bFix) {
    case FX_LAYOUT:
        if (s == kLayoutOne || s == kLayoutTwo) {
            pdm[d.wDevOffset] = kLayoutDefault;
            s = kLayoutDefault;
        }
        break;
    case FX_COVER:
        // 1 means "no cover"; the item offers only the cover kinds. The
        // DEVMODE keeps its 1 so that the check box reads it unchanged.
        if (s == 1)
            s = 2;
        break;
    case FX_NOTONE:
        s = (s != 1) ? 1 : 0;
        break;
    case FX_UDWIDTH:
    case FX_UDLENGTH:
        if (!bIsCustomPaperCode(_ReadField(pdm, kDmPaperSize, 2)))
            s = _ReadField(pdm, d.bFix == FX_UDWIDTH ? kUDPaperWidth : kUDPaperLength, 2);
        break;
    default:
        break;
    }
    return s;
}

int _Bind(const BINDPARAMDESC& d, PARAMCTX* pctx)
{
    if (!pctx)
        return 0;
    BYTE* pdm = pctx->pDevmode ? (pctx->pDevmodeBase ? pctx->pDevmodeBase : pctx->pDevmode) : nullptr;
    if (pdm) {
        switch (d.bVariant) {
        case BV_ITEMPTR:
        case BV_INLINE:
            if (d.wDevOffset && pctx->psCurrent)
                *pctx->psCurrent = _CurrentValue(d, pdm);
            else if (d.wDevOffset && d.bFix == FX_LAYOUT)
                _CurrentValue(d, pdm);
            break;
        case BV_OPTITEM:
        case BV_OPTINLINE:
            if (pctx->psCurrent) {
                POPTIONDB pdb = OpenOptionDb();
                *pctx->psCurrent = (SHORT)GetOptionDefault(pdb, d.wDevOffset);
                CloseOptionDb(pdb);
            }
            break;
        case BV_COPIED:
            if (pctx->ppDevField)
                *pctx->ppDevField = pdm + d.wDevOffset;
            if (pctx->pcbDevField)
                *pctx->pcbDevField = d.wDevSize;
            if (pctx->pwDevType)
                *pctx->pwDevType = d.wDevType;
            break;
        default:
            break;
        }
    }
    UISETTINGS* pObj = pctx->pSettings;
    if (!pObj)
        return 1;
    BYTE* pSlot = (BYTE*)pObj + g_layout.aOffset[d.wSlotNo];
    switch (d.bVariant) {
    case BV_ITEMPTR:
    case BV_OPTITEM:
        if (pctx->dwAttach)
            _StorePtr(pSlot, _ItemAddress(pObj, pctx));
        if (pctx->ppSlot)
            *pctx->ppSlot = _LoadPtr(pSlot);
        break;
    case BV_INLINE:
    case BV_OPTINLINE:
        if (pctx->ppSlot)
            *pctx->ppSlot = pSlot;
        break;
    case BV_BLOCK:
        if (pctx->dwAttach)
            _StorePtr(pSlot, _ItemAddress(pObj, pctx));
        if (pctx->ppSlot)
            *pctx->ppSlot = _LoadPtr(pSlot);
        if (pctx->pcbSlot)
            *pctx->pcbSlot = d.dwRepSize;
        if (pctx->pwSlotType)
            *pctx->pwSlotType = d.wRepType;
        break;
    default:
        if (pctx->ppSlot)
            *pctx->ppSlot = pSlot;
        if (pctx->pcbSlot)
            *pctx->pcbSlot = d.dwRepSize;
        if (pctx->pwSlotType)
            *pctx->pwSlotType = d.wRepType;
        break;
    }
    return 1;
}

// Index of each parameter's row in g_aDesc, in table order.
enum {
#define BINDPARAM_ROW(p, name, ...) kDesc_##name,
#include "ui/settings/bindparam_table.inc"
#undef BINDPARAM_ROW
};

}  // namespace

#define BINDPARAM_ROW(p, name, ...) \
    int BindParam_##name(PARAMCTX* pctx) { return _Bind(g_aDesc[kDesc_##name], pctx); }
#include "ui/settings/bindparam_table.inc"
#undef BINDPARAM_ROW

int GetBindParamCount() { return kDescCount; }

const BINDPARAMDESC* GetBindParamDesc(int i)
{
    return (i >= 0 && i < kDescCount) ? &g_aDesc[i] : nullptr;
}

const BINDPARAMDESC* FindBindParamDesc(WORD wParamId)
{
    for (const BINDPARAMDESC& d : g_aDesc)
        if (d.wParamId == wParamId)
            return &d;
    return nullptr;
}

DWORD GetParamSlotOffset(WORD wSlotNo)
{
    return (wSlotNo >= 1 && wSlotNo <= kDescCount) ? g_layout.aOffset[wSlotNo] : 0;
}

WORD GetParamSlotBytes(WORD wSlotNo)
{
    return (wSlotNo >= 1 && wSlotNo <= kDescCount) ? g_layout.aBytes[wSlotNo] : 0;
}

DWORD GetParamSlotAreaSize() { return g_layout.cbTotal; }

BOOL bIsCustomPaperCode(SHORT sPaperCode)
{
    return sPaperCode == 256 || (sPaperCode >= 513 && sPaperCode <= 521);
}
