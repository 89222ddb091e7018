// uiparam.cpp: the parameter descriptor tables, their runtime rows and the
// feature switches (see uiparam.h).
#include "ui/settings/uiparam.h"

#include <climits>
#include <cstring>

#include "ui/settings/bindparam.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/regtree.h"

namespace {

const UIPARAM g_aUiParam[] = {
#define UIPARAM_ROW(id, opt, rt, key, kind, handler) \
    {(WORD)(id), (WORD)(opt), (WORD)(rt), (WORD)(key), (DWORD)(kind), 0, handler},
#include "ui/settings/uiparam_table.inc"
#undef UIPARAM_ROW
    {0, PARAM_NO_OPTION, 0, 0, PK_NODEVMODE, 0, nullptr},
};

const USETKEY g_aUsetKey[] = {
#define USETKEY_ROW(id, sec, key, first, last, cnt, grp, cls) \
    {(WORD)(id), sec, key, (WORD)(first), (WORD)(last), (WORD)(cnt), (WORD)(grp), (WORD)(cls)},
#include "ui/settings/usetkey_table.inc"
#undef USETKEY_ROW
    {0, u"", u"", 0, 0, 0, 0, 0},
};

const UIPARAMDEF g_aUiParamDef[] = {
#define UIPARAMDEF_ROW(id, text, lo, hi) {(DWORD)(id), text, (LONG)(lo), (LONG)(hi), 0},
#include "ui/settings/uiparamdef_table.inc"
#undef UIPARAMDEF_ROW
    {0, nullptr, 0, 0, 0},
};

// Switch row (52 bytes): row id, reserved, twelve switch columns.
struct FEATURESWITCH {
    WORD wRowId;
    WORD wReserved;
    DWORD adwColumn[12];
};
static_assert(sizeof(FEATURESWITCH) == 52);

const FEATURESWITCH g_aFeatureSwitch[] = {
#define FEATURESWITCH_ROW(id, ...) {(WORD)(id), 0, {__VA_ARGS__}},
#include "ui/settings/featureswitch_table.inc"
#undef FEATURESWITCH_ROW
    {0, 0, {0}},
};

// The column this build reads.
const int kSwitchColumn = 5;

struct SWITCHMAP {
    WORD wFrom;
    WORD wRow;
};

// Feature key of a setting group -> switch row.
const SWITCHMAP g_aFeatureRow[] = {
    {FEATURE_INTERSHEET, 2}, {FEATURE_FORM, 3}, {FEATURE_WATERMARK, 4},
    {FEATURE_FONTSUB, 5}, {FEATURE_FAXCOVER, 6}, {FEATURE_UDPAPER, 7}, {0, 0},
};

// Settings-file key group -> switch row (both fax groups share row 6).
const SWITCHMAP g_aGroupRow[] = {
    {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 6}, {8, 7}, {0, 0},
};

WORD _MapSwitchRow(const SWITCHMAP* pMap, WORD wFrom)
{
    for (; pMap->wFrom; ++pMap)
        if (pMap->wFrom == wFrom)
            return pMap->wRow;
    return 0;
}

}  // namespace

const UIPARAM* GetUiParamTable() { return g_aUiParam; }
const USETKEY* GetUsetKeyTable() { return g_aUsetKey; }
const UIPARAMDEF* GetUiParamDefTable() { return g_aUiParamDef; }

const UIPARAMDEF* FindUiParamDef(WORD wParamId)
{
    for (const UIPARAMDEF* p = g_aUiParamDef; p->dwParamId; ++p)
        if (p->dwParamId == wParamId)
            return p;
    return nullptr;
}

int CountParamRows(const UIPARAM* pTable)
{
    int n = 0;
    if (pTable)
        while (pTable[n].wParamId)
            ++n;
    return n;
}

int CountUsetKeyRows(const USETKEY* pTable)
{
    int n = 0;
    if (pTable)
        while (pTable[n].wId)
            ++n;
    return n;
}

UIPARAMRT* CopyParamRows(const UIPARAM* pTable, int cRows)
{
    if (!pTable || cRows < 0)
        return nullptr;
    UIPARAMRT* pRows = (UIPARAMRT*)ParamAllocBlock(sizeof(UIPARAMRT) * (cRows + 1));
    if (!pRows)
        return nullptr;
    for (int i = 0; i <= cRows; ++i) {
        pRows[i].row = pTable[i];
        pRows[i].iOwn = pRows[i].iRegTree = pRows[i].iKey = -1;
    }
    return pRows;
}

USETKEYRT* CopyUsetKeyRows(const USETKEY* pTable, int cRows)
{
    if (!pTable || cRows < 0)
        return nullptr;
    USETKEYRT* pRows = (USETKEYRT*)ParamAllocBlock(sizeof(USETKEYRT) * (cRows + 1));
    if (!pRows)
        return nullptr;
    for (int i = 0; i <= cRows; ++i) {
        USETKEY& k = pRows[i].key;
        k.wId = pTable[i].wId;
        lstrcpynW(k.szSection, pTable[i].szSection, 64);
        lstrcpynW(k.szKey, pTable[i].szKey, 64);
        k.wFirst = pTable[i].wFirst;
        k.wLast = pTable[i].wLast;
        k.wCountRow = pTable[i].wCountRow;
        k.wGroup = pTable[i].wGroup;
        k.wClass = pTable[i].wClass;
        pRows[i].bCountRow = 0;
        pRows[i].iParam = pRows[i].iRegTree = pRows[i].iOwn = -1;
    }
    // A row named as some row's count row holds the number of entries.
    for (int i = 0; i <= cRows; ++i) {
        WORD wCount = pRows[i].key.wCountRow;
        if (!wCount)
            continue;
        for (int j = 0; j <= cRows; ++j) {
            if (pRows[j].key.wId == wCount) {
                pRows[j].bCountRow = 1;
                break;
            }
        }
    }
    return pRows;
}

void LinkParamTables(UIPARAMRT* pParams, REGTREEWORK* pRegTree, USETKEYRT* pKeys,
                     int cParams, int cRegTree, int cKeys)
{
    if (!pParams || !pRegTree || !pKeys)
        return;
    for (int i = 0; i <= cParams; ++i) {
        UIPARAMRT& p = pParams[i];
        p.iOwn = (SHORT)i;
        for (int j = 0; j <= cRegTree; ++j) {
            if (pRegTree[j].row.wId == p.row.wRegTreeId) {
                p.iRegTree = (SHORT)j;
                break;
            }
        }
        for (int j = 0; j <= cKeys; ++j) {
            if (pKeys[j].key.wId == p.row.wKeyId) {
                p.iKey = (SHORT)j;
                break;
            }
        }
    }
    for (int i = 0; i <= cRegTree; ++i) {
        REGTREEWORK& r = pRegTree[i];
        r.iOwn = (SHORT)i;
        for (int j = 0; j <= cParams; ++j) {
            if (pParams[j].row.wRegTreeId == r.row.wId) {
                r.iParam = (SHORT)j;
                r.iKey = pParams[j].iKey;
                break;
            }
        }
    }
    for (int i = 0; i <= cKeys; ++i) {
        USETKEYRT& k = pKeys[i];
        k.iOwn = (SHORT)i;
        for (int j = 0; j <= cParams; ++j) {
            if (pParams[j].row.wKeyId == k.key.wId) {
                k.iParam = (SHORT)j;
                k.iRegTree = pParams[j].iRegTree;
                break;
            }
        }
    }
}

void InitParamTables(UIPARAMRT** ppParams, WORD* pcParams, REGTREESET* pRegTree,
                     USETKEYRT** ppKeys, WORD* pcKeys)
{
    UIPARAMRT* pParams = nullptr;
    USETKEYRT* pKeys = nullptr;
    int cParams = 0, cKeys = 0;
    if (ppParams && pcParams) {
        cParams = CountParamRows(g_aUiParam);
        pParams = CopyParamRows(g_aUiParam, cParams);
        *ppParams = pParams;
        *pcParams = pParams ? (WORD)cParams : 0;
    }
    if (pRegTree)
        BuildRegTreeTables(pRegTree);
    if (ppKeys && pcKeys) {
        cKeys = CountUsetKeyRows(g_aUsetKey);
        pKeys = CopyUsetKeyRows(g_aUsetKey, cKeys);
        *ppKeys = pKeys;
        *pcKeys = pKeys ? (WORD)cKeys : 0;
    }
    if (pRegTree)
        LinkParamTables(pParams, pRegTree->pAll, pKeys, cParams, (int)pRegTree->cAll, cKeys);
}

void FreeTableBuffer(void** ppv)
{
    ParamFreeBlock(ppv);
}

void FreeParamTables(UIPARAMRT** ppParams, REGTREESET* pRegTree, USETKEYRT** ppKeys)
{
    if (ppParams)
        ParamFree(ppParams);
    if (pRegTree)
        FreeRegTreeTables(pRegTree);
    if (ppKeys)
        ParamFree(ppKeys);
}

DWORD GetFeatureSwitch(WORD wRowId)
{
    for (const FEATURESWITCH* p = g_aFeatureSwitch; p->wRowId; ++p)
        if (p->wRowId == wRowId)
            return p->adwColumn[kSwitchColumn - 1];
    return 0;
}

BOOL bFeatureEnabled(WORD wFeatureKey)
{
    WORD wRow = _MapSwitchRow(g_aFeatureRow, wFeatureKey);
    return wRow ? (GetFeatureSwitch(wRow) ? TRUE : FALSE) : FALSE;
}

BOOL bKeyGroupEnabled(WORD wGroup)
{
    WORD wRow = _MapSwitchRow(g_aGroupRow, wGroup);
    return wRow ? (GetFeatureSwitch(wRow) ? TRUE : FALSE) : FALSE;
}

BOOL bFeatureEnabledAt(WORD wRowId)
{
    return GetFeatureSwitch(wRowId) ? TRUE : FALSE;
}

int ParseDecimalW(LPCWSTR psz)
{
    if (!psz)
        return 0;
    int n = 0;
    for (; *psz >= u'0' && *psz <= u'9'; ++psz) {
        int d = *psz - u'0';
        if (n > (INT_MAX - d) / 10)
            return INT_MAX;
        n = n * 10 + d;
    }
    return n;
}
