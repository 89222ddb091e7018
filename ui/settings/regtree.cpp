// regtree.cpp: the registry-tree tables and their working copies (see
// regtree.h).
#include "ui/settings/regtree.h"

#include <cstring>

#include "ui/settings/paramalloc.h"
#include "ui/settings/uiparam.h"

namespace {

// A constant row with the table it belongs to.
struct REGTREEDESC {
    BYTE bTable;
    REGTREE row;
};

constexpr REGTREEDESC _Row(int iTable, WORD wId, WORD wType, int iLevel, const char16_t* pszName,
                           WORD wFirst, WORD wLast, WORD wCount)
{
    REGTREEDESC d{};
    d.bTable = (BYTE)iTable;
    d.row.wId = wId;
    d.row.wNodeType = wType;
    WCHAR* pDst = iLevel == 1 ? d.row.szLevel1 : iLevel == 2 ? d.row.szLevel2
                : iLevel == 3 ? d.row.szLevel3 : nullptr;
    if (pDst)
        for (int i = 0; i < 63 && pszName[i]; ++i)
            pDst[i] = pszName[i];
    d.row.wFirst = wFirst;
    d.row.wLast = wLast;
    d.row.wCountRow = wCount;
    const WORD aKey[RT_TABLES] = {FEATURE_INTERSHEET, FEATURE_FORM, FEATURE_WATERMARK,
                                  FEATURE_FONTSUB, FEATURE_FAXCOVER, FEATURE_UDPAPER};
    d.row.wFeatureKey = aKey[iTable];
    return d;
}

const REGTREEDESC g_aRegTree[] = {
#define REGTREE_ROW(tab, id, type, level, name, first, last, cnt) \
    _Row(tab, id, type, level, name, first, last, cnt),
#include "ui/settings/regtree_table.inc"
#undef REGTREE_ROW
};
const int kRegTreeRows = (int)(sizeof(g_aRegTree) / sizeof(g_aRegTree[0]));

struct REGTREEDEF {
    WORD wId;
    LPCWSTR pszDefault;
};

const REGTREEDEF g_aRegTreeDef[] = {
#define REGTREEDEF_ROW(id, text) {(WORD)(id), text},
#include "ui/settings/regtreedef_table.inc"
#undef REGTREEDEF_ROW
    {0, nullptr},
};

int _CountTable(int iTable)
{
    int n = 0;
    for (int i = 0; i < kRegTreeRows; ++i)
        if (g_aRegTree[i].bTable == iTable)
            ++n;
    return n;
}

void _BuildTable(int iTable, REGTREETABLE* pEntry)
{
    if (!pEntry)
        return;
    pEntry->pRows = nullptr;
    pEntry->cRows = 0;
    if (!bFeatureEnabled(RegTreeFeatureKey(iTable)))
        return;
    int cRows = _CountTable(iTable);
    REGTREEWORK* pRows = (REGTREEWORK*)ParamAllocBlock(sizeof(REGTREEWORK) * (cRows + 1));
    if (!pRows)
        return;
    int n = 0;
    for (int i = 0; i < kRegTreeRows; ++i)
        if (g_aRegTree[i].bTable == iTable)
            pRows[n++].row = g_aRegTree[i].row;
    for (int i = 0; i <= cRows; ++i)
        pRows[i].iParam = pRows[i].iOwn = pRows[i].iKey = -1;
    // A row that another row of the table names holds that row's entry count.
    for (int i = 0; i < cRows; ++i) {
        WORD wCount = pRows[i].row.wCountRow;
        for (int j = 0; wCount && j < cRows; ++j) {
            if (pRows[j].row.wId == wCount) {
                pRows[j].bCountRow = 1;
                break;
            }
        }
    }
    pEntry->pRows = pRows;
    pEntry->cRows = (DWORD)cRows;
}

void _FreeTable(REGTREETABLE* pEntry)
{
    if (!pEntry)
        return;
    ParamFree(&pEntry->pRows);
    pEntry->cRows = 0;
}

typedef void (*PFNBUILDTABLE)(REGTREETABLE*);
typedef void (*PFNFREETABLE)(REGTREETABLE*);

// The builders in bundle order.
const struct {
    PFNBUILDTABLE pfnBuild;
    PFNFREETABLE pfnFree;
} g_aTableOps[RT_TABLES] = {
    {BuildInterSheetTable, FreeInterSheetTable},
    {BuildFormTable, FreeFormTable},
    {BuildWaterMarkTable, FreeWaterMarkTable},
    {BuildFontSubTable, FreeFontSubTable},
    {BuildFaxCoverTable, FreeFaxCoverTable},
    {BuildUDPaperTable, FreeUDPaperTable},
};

}  // namespace

WORD RegTreeFeatureKey(int iTable)
{
    static const WORD aKey[RT_TABLES] = {FEATURE_INTERSHEET, FEATURE_FORM, FEATURE_WATERMARK,
                                         FEATURE_FONTSUB, FEATURE_FAXCOVER, FEATURE_UDPAPER};
    return (iTable >= 0 && iTable < RT_TABLES) ? aKey[iTable] : 0;
}

int CountInterSheetRows() { return _CountTable(RT_INTERSHEET); }
int CountFormRows() { return _CountTable(RT_FORM); }
int CountWaterMarkRows() { return _CountTable(RT_WATERMARK); }
int CountFontSubRows() { return _CountTable(RT_FONTSUB); }
int CountFaxCoverRows() { return _CountTable(RT_FAXCOVER); }
int CountUDPaperRows() { return _CountTable(RT_UDPAPER); }

void BuildInterSheetTable(REGTREETABLE* pEntry) { _BuildTable(RT_INTERSHEET, pEntry); }
void BuildFormTable(REGTREETABLE* pEntry) { _BuildTable(RT_FORM, pEntry); }
void BuildWaterMarkTable(REGTREETABLE* pEntry) { _BuildTable(RT_WATERMARK, pEntry); }
void BuildFontSubTable(REGTREETABLE* pEntry) { _BuildTable(RT_FONTSUB, pEntry); }
void BuildFaxCoverTable(REGTREETABLE* pEntry) { _BuildTable(RT_FAXCOVER, pEntry); }
void BuildUDPaperTable(REGTREETABLE* pEntry) { _BuildTable(RT_UDPAPER, pEntry); }
void FreeInterSheetTable(REGTREETABLE* pEntry) { _FreeTable(pEntry); }
void FreeFormTable(REGTREETABLE* pEntry) { _FreeTable(pEntry); }
void FreeWaterMarkTable(REGTREETABLE* pEntry) { _FreeTable(pEntry); }
void FreeFontSubTable(REGTREETABLE* pEntry) { _FreeTable(pEntry); }
void FreeFaxCoverTable(REGTREETABLE* pEntry) { _FreeTable(pEntry); }
void FreeUDPaperTable(REGTREETABLE* pEntry) { _FreeTable(pEntry); }

void BuildRegTreeTables(REGTREESET* pSet)
{
    if (!pSet)
        return;
    memset(pSet, 0, sizeof(*pSet));
    REGTREETABLE aTmp[RT_TABLES] = {};
    DWORD cAll = 0;
    for (int t = 0; t < RT_TABLES; ++t) {
        g_aTableOps[t].pfnBuild(&aTmp[t]);
        cAll += aTmp[t].cRows;
    }
    REGTREEWORK* pAll = (REGTREEWORK*)ParamAllocBlock(sizeof(REGTREEWORK) * (cAll + 1));
    if (pAll) {
        DWORD n = 0;
        for (int t = 0; t < RT_TABLES; ++t) {
            if (!aTmp[t].pRows || !aTmp[t].cRows)
                continue;
            memcpy(&pAll[n], aTmp[t].pRows, sizeof(REGTREEWORK) * aTmp[t].cRows);
            pSet->aTable[t].pRows = &pAll[n];
            pSet->aTable[t].cRows = aTmp[t].cRows;
            n += aTmp[t].cRows;
        }
        pAll[cAll].iParam = pAll[cAll].iOwn = pAll[cAll].iKey = -1;
        pSet->pAll = pAll;
        pSet->cAll = cAll;
    }
    for (int t = 0; t < RT_TABLES; ++t)
        g_aTableOps[t].pfnFree(&aTmp[t]);
}

void FreeRegTreeTables(REGTREESET* pSet)
{
    if (!pSet)
        return;
    ParamFree(&pSet->pAll);
    memset(pSet, 0, sizeof(*pSet));
}

REGTREEWORK* FindRegTreeRow(REGTREESET* pSet, WORD wId)
{
    if (!pSet || !pSet->pAll || !wId)
        return nullptr;
    for (DWORD i = 0; i < pSet->cAll; ++i)
        if (pSet->pAll[i].row.wId == wId)
            return &pSet->pAll[i];
    return nullptr;
}

LPCWSTR GetRegTreeDefaultText(WORD wId)
{
    for (const REGTREEDEF* p = g_aRegTreeDef; p->wId; ++p)
        if (p->wId == wId)
            return p->pszDefault;
    return nullptr;
}
