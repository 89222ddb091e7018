// paramobj.cpp: sizing, defaults, copies and typed access of a settings
// object (see paramobj.h).
#include "ui/settings/paramobj.h"

#include <cstring>

#include "ui/settings/bindparam.h"
#include "ui/settings/listset.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/typedcopy.h"
#include "ui/settings/uisettings.h"

namespace {

// Options of the index-tab items kept in the variable block.
const WORD kOptTabPaperSize = 154;
const WORD kOptTabIndexNum = 155;

DWORD _OptionRows(POPTIONDB pdb, WORD wOption)
{
    if (wOption == PARAM_NO_OPTION)
        return 0;
    return QueryOptionDb(pdb, wOption, OPTQ_COUNT, nullptr, 0, 0);
}

BOOL _IsItemKind(DWORD dwKind)
{
    return (dwKind & PK_ITEMKINDS) != 0;
}

BOOL _IsListKind(DWORD dwKind)
{
    return (dwKind & (PK_CHOICE | PK_VALUELIST)) != 0;
}

// Byte offset of the default word inside an item: word 3 of a list header,
// word 2 of an inline item.
DWORD _DefaultWordOffset(DWORD dwKind)
{
    return _IsListKind(dwKind) ? 6 : 4;
}

// Builds an item from its option; an option the database does not know still
// gets a header that keeps the value, so no loaded value is lost.
void _BuildItem(POPTIONDB pdb, DWORD dwKind, WORD wOption, BYTE* pItem, SHORT sValue)
{
    if (!pItem)
        return;
    int n = 0;
    switch (dwKind) {
    case PK_CHOICE:
        n = BuildChoiceItem(pdb, wOption, pItem, sValue);
        break;
    case PK_VALUELIST:
        n = BuildValueListItem(pdb, wOption, pItem, sValue);
        break;
    case PK_VALUE:
        BuildDefaultItem(pdb, wOption, pItem, sValue);
        return;
    case PK_RANGE:
        BuildRangeItem(pdb, wOption, pItem, sValue);
        return;
    default:
        return;
    }
    if (n == 0) {
        UIITEMLIST* pHead = (UIITEMLIST*)pItem;
        pHead->sInitial = sValue;
        pHead->sCurIndex = 0;
        pHead->sCurValue = sValue;
        pHead->sDefault = (SHORT)GetOptionDefault(pdb, wOption);
        pHead->sFlag = 1;
        pHead->sCount = 0;
    }
}

// Puts an option-less parameter's default text into its slot.
void _ApplyDefaultText(const UIPARAMDEF* pDef, void* pSlot, DWORD cbSlot, WORD wType)
{
    if (!pDef || !pSlot || !cbSlot)
        return;
    if (wType == VT_WTEXT) {
        memset(pSlot, 0, cbSlot);
        DWORD cch = cbSlot / sizeof(WCHAR);
        if (cch)
            lstrcpynW((LPWSTR)pSlot, pDef->pszDefault, (int)cch);
        return;
    }
    if (wType == VT_BYTES) {
        memset(pSlot, 0, cbSlot);
        return;
    }
    LONG lValue = 0;
    if (!bParseSignedNumber(&lValue, PARSE_INT32, pDef->pszDefault))
        lValue = 0;
    // Narrowed into the slot's own width (the copy reports the narrowing).
    DWORD cb = cbSlot;
    GetTypedValue(&lValue, sizeof(lValue), pSlot, &cb, VT_INT32, wType);
}

}  // namespace

SHORT GetOptionMaxValue(POPTIONDB pdb, WORD wOption)
{
    DWORD n = _OptionRows(pdb, wOption);
    SHORT sMax = 0;
    for (DWORD i = 0; i < n; ++i) {
        SHORT s = (SHORT)QueryOptionDb(pdb, wOption, OPTQ_VALUE, nullptr, (int)i, 0);
        if (i == 0 || s > sMax)
            sMax = s;
    }
    return sMax;
}

DWORD ApplyParamItems(POPTIONDB pdb, DEVMODEW* pdm, UIPARAMRT* pRows, int cRows)
{
    DWORD cb = UIS_FIXED_SIZE;
    if (!pRows)
        return cb;
    for (int i = 0; i < cRows; ++i) {
        UIPARAMRT& r = pRows[i];
        if (bIsSpecialParamId(r.row.wParamId))
            continue;
        if (r.row.dwKind == PK_CHOICE) {
            r.dwItemOffset = cb;
            cb += UIS_ITEM_HEADER + UIS_CHOICE_ROW * _OptionRows(pdb, r.row.wOptionId);
        } else if (r.row.dwKind == PK_VALUELIST) {
            r.dwItemOffset = cb;
            cb += UIS_ITEM_HEADER + UIS_VALUE_ROW * _OptionRows(pdb, r.row.wOptionId);
        }
    }
    return cb;
}

DWORD ApplyParamItemsRange(POPTIONDB pdb, DEVMODEW* pdm, UIPARAMRT* pRows, int cRows)
{
    DWORD cb = 0;
    if (!pRows)
        return cb;
    for (int i = 0; i < cRows; ++i) {
        UIPARAMRT& r = pRows[i];
        DWORD cbItem = 0;
        switch (r.row.wParamId) {
        case 100:
            cbItem = UIS_ITEM_HEADER + UIS_VALUE_ROW * _OptionRows(pdb, r.row.wOptionId);
            break;
        case 184:
            cbItem = UIS_ITEM_HEADER + UIS_CHOICE_ROW * _OptionRows(pdb, kOptTabPaperSize);
            break;
        case 185:
            cbItem = UIS_ITEM_HEADER + UIS_CHOICE_ROW * _OptionRows(pdb, kOptTabIndexNum);
            break;
        case 186: {
            SHORT sMax = GetOptionMaxValue(pdb, kOptTabIndexNum);
            cbItem = UIS_TABINDEX_HEADER + UIS_CHOICE_ROW * (DWORD)(sMax > 0 ? sMax : 0);
            break;
        }
        case 204:
            cbItem = UIS_BLOCK204_SIZE;
            break;
        case 205:
            cbItem = UIS_BLOCK205_SIZE;
            break;
        case 206:
            cbItem = UIS_BLOCK206_SIZE;
            break;
        default:
            continue;
        }
        r.dwItemOffset = cb;
        cb += cbItem;
    }
    return cb;
}

int RebindParamSlots(UISETTINGS* pObj)
{
    if (!pObj || !pObj->trailer.pParamRows)
        return 0;
    int n = pObj->trailer.cParamRows;
    for (int i = 0; i < n; ++i) {
        const UIPARAMRT& r = pObj->trailer.pParamRows[i];
        if (!r.row.pfnBind)
            continue;
        PARAMCTX ctx = {};
        ctx.wParamId = r.row.wParamId;
        ctx.wRowIndex = (WORD)i;
        ctx.pSettings = pObj;
        ctx.dwAttach = 1;
        r.row.pfnBind(&ctx);
    }
    return n;
}

void ResetParamObject(UISETTINGS* pObj, DEVMODEW* pdm)
{
    if (!pObj || !pObj->trailer.pParamRows)
        return;
    POPTIONDB pdb = OpenOptionDb();
    RebindParamSlots(pObj);
    for (int i = 0; i < pObj->trailer.cParamRows; ++i) {
        const UIPARAMRT& r = pObj->trailer.pParamRows[i];
        if (!r.row.pfnBind)
            continue;
        void* pSlot = nullptr;
        DWORD cbSlot = 0;
        WORD wType = 0;
        if (!AccessParamByIndex(r.row.wParamId, i, pObj, &pSlot, &cbSlot, &wType) || !pSlot)
            continue;
        if (_IsItemKind(r.row.dwKind)) {
            // Special list items (the index-tab lists) are built by their
            // owner; only their value is defaulted here.
            if (r.row.wOptionId != PARAM_NO_OPTION)
                _BuildItem(pdb, r.row.dwKind, r.row.wOptionId, (BYTE*)pSlot,
                           (SHORT)GetOptionDefault(pdb, r.row.wOptionId));
            continue;
        }
        _ApplyDefaultText(FindUiParamDef(r.row.wParamId), pSlot, cbSlot, wType);
    }
    CloseOptionDb(pdb);
}

int AccessParamByIndex(WORD wParamId, int iRow, UISETTINGS* pObj, void** ppSlot, DWORD* pcbSlot,
                       WORD* pwType)
{
    if (!pObj || !pObj->trailer.pParamRows || iRow < 0 || iRow >= pObj->trailer.cParamRows)
        return 0;
    const UIPARAMRT& r = pObj->trailer.pParamRows[iRow];
    if (!r.row.pfnBind)
        return 0;
    PARAMCTX ctx = {};
    ctx.wParamId = wParamId;
    ctx.wRowIndex = (WORD)iRow;
    ctx.pSettings = pObj;
    ctx.ppSlot = ppSlot;
    ctx.pcbSlot = pcbSlot;
    ctx.pwSlotType = pwType;
    return r.row.pfnBind(&ctx);
}

int GetParamRowField(const UIPARAMRT* pRows, int iRow, PARAMROWFIELD* pOut, BYTE* pBlock)
{
    if (!pRows || !pOut || !pBlock || iRow < 0)
        return 0;
    const UIPARAMRT& r = pRows[iRow];
    pOut->bPresent = r.bFlatPresent;
    pOut->pValue = r.bFlatPresent ? pBlock + r.dwFlatOffset : nullptr;
    return 1;
}

// The address, size and type of what a parameter transfers.
static BOOL _LocateParamValue(WORD wParamId, UISETTINGS* pObj, int iWhich, BYTE** ppValue,
                              DWORD* pcb, WORD* pwType)
{
    int iRow = FindParamRow(pObj, wParamId);
    if (iRow < 0)
        return FALSE;
    const UIPARAMRT& r = pObj->trailer.pParamRows[iRow];
    void* pSlot = nullptr;
    DWORD cbSlot = 0;
    WORD wType = 0;
    if (!AccessParamByIndex(wParamId, iRow, pObj, &pSlot, &cbSlot, &wType) || !pSlot)
        return FALSE;
    if (_IsItemKind(r.row.dwKind)) {
        *ppValue = (BYTE*)pSlot + (iWhich == PARAM_WHICH_DEFAULT ? _DefaultWordOffset(r.row.dwKind) : 0);
        *pcb = sizeof(SHORT);
        *pwType = VT_INT16;
        return TRUE;
    }
    if (!cbSlot)
        return FALSE;
    *ppValue = (BYTE*)pSlot;
    *pcb = cbSlot;
    *pwType = wType;
    return TRUE;
}

int GetParamByKey(WORD wParamId, void* pBuf, DWORD* pcbBuf, WORD wType, void** ppAddr, DWORD* pcbAddr,
                  WORD* pwAddrType, UISETTINGS* pObj, int iWhich)
{
    BYTE* pValue = nullptr;
    DWORD cb = 0;
    WORD wValueType = 0;
    if (!_LocateParamValue(wParamId, pObj, iWhich, &pValue, &cb, &wValueType))
        return -1;
    if (ppAddr)
        *ppAddr = pValue;
    if (pcbAddr)
        *pcbAddr = cb;
    if (pwAddrType)
        *pwAddrType = wValueType;
    return GetTypedValue(pValue, cb, pBuf, pcbBuf, wValueType, wType);
}

int SetParamByKey(WORD wParamId, const void* pSrc, DWORD cb, WORD wType, UISETTINGS* pObj, int iWhich)
{
    BYTE* pValue = nullptr;
    DWORD cbValue = 0;
    WORD wValueType = 0;
    if (!_LocateParamValue(wParamId, pObj, iWhich, &pValue, &cbValue, &wValueType))
        return -1;
    DWORD cbIn = cb;
    return SetTypedValue(pValue, cbValue, (void*)pSrc, &cbIn, wType, wValueType);
}

BYTE* BuildParamDefaults(UISETTINGS* pObj)
{
    if (!pObj || !pObj->trailer.pParamRows)
        return nullptr;
    UIPARAMRT* pRows = pObj->trailer.pParamRows;
    int n = pObj->trailer.cParamRows;
    DWORD cb = 0;
    for (int i = 0; i < n; ++i) {
        UIPARAMRT& r = pRows[i];
        r.dwFlatOffset = 0;
        r.bFlatPresent = 0;
        if (!r.row.pfnBind)
            continue;
        DWORD cbRow = 0;
        if (r.row.wOptionId != PARAM_NO_OPTION) {
            cbRow = sizeof(SHORT);
        } else if (FindUiParamDef(r.row.wParamId)) {
            void* pSlot = nullptr;
            WORD wType = 0;
            if (_IsItemKind(r.row.dwKind))
                cbRow = sizeof(SHORT);
            else
                AccessParamByIndex(r.row.wParamId, i, pObj, &pSlot, &cbRow, &wType);
        }
        if (!cbRow)
            continue;
        // Each default starts on a 4-byte boundary, as its slot does.
        cb = (cb + 3) & ~3u;
        r.dwFlatOffset = cb;
        r.bFlatPresent = 1;
        cb += cbRow;
    }
    BYTE* pBlock = (BYTE*)ParamAllocBlock(cb);
    if (!pBlock)
        return nullptr;
    for (int i = 0; i < n; ++i) {
        UIPARAMRT& r = pRows[i];
        if (!r.bFlatPresent)
            continue;
        BYTE* pDst = pBlock + r.dwFlatOffset;
        void* pSlot = nullptr;
        DWORD cbSlot = 0;
        WORD wType = 0;
        AccessParamByIndex(r.row.wParamId, i, pObj, &pSlot, &cbSlot, &wType);
        if (r.row.wOptionId != PARAM_NO_OPTION) {
            if (pSlot)
                memcpy(pDst, (BYTE*)pSlot + _DefaultWordOffset(r.row.dwKind), sizeof(SHORT));
            continue;
        }
        const UIPARAMDEF* pDef = FindUiParamDef(r.row.wParamId);
        if (_IsItemKind(r.row.dwKind)) {
            SHORT s = 0;
            if (!bParseSignedNumber(&s, PARSE_INT16B, pDef->pszDefault))
                s = 0;
            memcpy(pDst, &s, sizeof(s));
        } else {
            _ApplyDefaultText(pDef, pDst, cbSlot, wType);
        }
    }
    // Every stored default of an option parameter must be its item's.
    for (int i = 0; i < n; ++i) {
        const UIPARAMRT& r = pRows[i];
        if (!r.bFlatPresent || r.row.wOptionId == PARAM_NO_OPTION)
            continue;
        SHORT s = 0;
        DWORD cbOut = sizeof(s);
        if (GetParamByKey(r.row.wParamId, &s, &cbOut, VT_INT16, nullptr, nullptr, nullptr, pObj,
                          PARAM_WHICH_DEFAULT) != 0 ||
            memcmp(pBlock + r.dwFlatOffset, &s, sizeof(s)) != 0) {
            ParamFreeBlock((void**)&pBlock);
            return nullptr;
        }
    }
    return pBlock;
}

UISETTINGS* CloneParamObject(UISETTINGS* pObj)
{
    if (!pObj)
        return nullptr;
    const UISETTRAILER& t = pObj->trailer;
    UISETTINGS* pNew = (UISETTINGS*)ParamAllocBlock(t.cbFixed);
    BYTE* pVar = (BYTE*)ParamAllocBlock(t.cbVariable);
    // Runtime rows are copied whole: they carry the item offsets.
    UIPARAMRT* pRows = nullptr;
    if (t.pParamRows) {
        pRows = (UIPARAMRT*)ParamAllocBlock(sizeof(UIPARAMRT) * (t.cParamRows + 1));
        if (pRows)
            memcpy(pRows, t.pParamRows, sizeof(UIPARAMRT) * (t.cParamRows + 1));
    }
    USETKEYRT* pKeys = nullptr;
    if (t.pKeyRows) {
        pKeys = (USETKEYRT*)ParamAllocBlock(sizeof(USETKEYRT) * (t.cKeyRows + 1));
        if (pKeys)
            memcpy(pKeys, t.pKeyRows, sizeof(USETKEYRT) * (t.cKeyRows + 1));
    }
    LISTSET* pLists = t.pListSet ? CreateListSet() : nullptr;
    BOOL bOk = pNew && pVar && (pRows || !t.pParamRows) && (pKeys || !t.pKeyRows) &&
               (pLists || !t.pListSet);
    REGTREESET regTree = {};
    if (bOk && t.regTree.pAll) {
        BuildRegTreeTables(&regTree);
        bOk = regTree.pAll != nullptr;
    }
    if (bOk && pLists)
        bOk = CopyListSet(pLists, t.pListSet);
    if (!bOk) {
        FreeRegTreeTables(&regTree);
        FreeListSet(&pLists);
        ParamFree(&pKeys);
        ParamFree(&pRows);
        ParamFree(&pVar);
        ParamFree(&pNew);
        return nullptr;
    }
    memcpy(pNew, pObj, t.cbFixed);
    if (t.pVariable)
        memcpy(pVar, t.pVariable, t.cbVariable);
    UISETTRAILER& nt = pNew->trailer;
    nt.pVariable = pVar;
    nt.pListSet = pLists;
    nt.pParamRows = pRows;
    nt.pKeyRows = pKeys;
    nt.regTree = regTree;
    if (pRows && pKeys && regTree.pAll)
        LinkParamTables(pRows, regTree.pAll, pKeys, nt.cParamRows, (int)regTree.cAll, nt.cKeyRows);
    nt.pParamDefaults = nullptr;
    nt.pListDefaults = nullptr;
    pNew->pRuleIndex = nullptr;
    RebindParamSlots(pNew);
    if (t.pParamDefaults)
        nt.pParamDefaults = BuildParamDefaults(pNew);
    if (t.pListDefaults)
        nt.pListDefaults = BuildRegTreeDefaults(pLists, &nt.regTree);
    return pNew;
}

void FreeParamObjectClone(UISETTINGS** ppObj)
{
    if (!ppObj || !ParamLoadPtr(ppObj))
        return;
    UISETTRAILER& t = ParamLoadPtr(ppObj)->trailer;
    ParamFree(&t.pParamDefaults);
    ParamFree(&t.pListDefaults);
    FreeListSet(&t.pListSet);
    FreeParamTables(&t.pParamRows, &t.regTree, &t.pKeyRows);
    ParamFree(&t.pVariable);
    ParamFree(ppObj);
}

int CopyParamObject(UISETTINGS* pTarget, UISETTINGS* pSource)
{
    if (!pTarget || !pSource || pTarget == pSource)
        return 0;
    UISETTRAILER saved = pTarget->trailer;
    const UISETTRAILER& s = pSource->trailer;
    if (saved.cbFixed != s.cbFixed || saved.cbVariable != s.cbVariable ||
        saved.cParamRows != s.cParamRows)
        return 0;
    void* pRules = pTarget->pRuleIndex;
    memcpy(pTarget, pSource, s.cbFixed);
    if (saved.pVariable && s.pVariable)
        memcpy(saved.pVariable, s.pVariable, s.cbVariable);
    pTarget->trailer = saved;
    pTarget->pRuleIndex = pRules;
    if (saved.pListSet && s.pListSet)
        CopyListSet(saved.pListSet, s.pListSet);
    return RebindParamSlots(pTarget);
}
