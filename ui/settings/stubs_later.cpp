// stubs_later.cpp: the least that later steps' entry points must do for the
// settings object (see stubs_later.h).
#include "ui/settings/stubs_later.h"

#include <cstring>

#include "ui/settings/paramalloc.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"

namespace {

const char16_t kDefaultFace[] = u"ＭＳ Ｐゴシック";
const DWORD kDefaultStyle = 1;
const DWORD kDefaultSize = 72;
const DWORD kDefaultColor = 126;
// Built-in watermarks: the first text, then a run of texts.
const UINT kStrFirstWatermark = 21200;
const UINT kStrWatermarkRun = 30002;
const int kBuiltinWatermarks = 16;

void _SetRecordDefaults(WATERMARK* p)
{
    lstrcpynW(p->szFace, kDefaultFace, 32);
    p->dwStyle = kDefaultStyle;
    p->dwSize = kDefaultSize;
    p->lAngle = 0;
    p->dwSelectColor = 0;
    p->dwColor = kDefaultColor;
    p->dwCenterX = p->dwCenterY = 0;
}

}  // namespace

WATERMARKLIST* CreateWatermarkList()
{
    if (!bFeatureEnabled(FEATURE_WATERMARK))
        return nullptr;
    WATERMARKLIST* pList = (WATERMARKLIST*)ParamAllocBlock(sizeof(WATERMARKLIST));
    WATERMARK* pRecords = (WATERMARK*)ParamAllocBlock(sizeof(WATERMARK) * WATERMARK_SLOTS);
    WATERMARK* pCurrent = (WATERMARK*)ParamAllocBlock(sizeof(WATERMARK));
    if (!pList || !pRecords || !pCurrent) {
        ParamFree(&pCurrent);
        ParamFree(&pRecords);
        ParamFree(&pList);
        return nullptr;
    }
    _SetRecordDefaults(pCurrent);
    pList->pRecords = pRecords;
    pList->pCurrent = pCurrent;
    return pList;
}

void FreeWatermarkList(WATERMARKLIST** ppList)
{
    if (!ppList || !*ppList)
        return;
    ParamFree(&(*ppList)->pRecords);
    ParamFree(&(*ppList)->pCurrent);
    ParamFree(ppList);
}

BOOL CopyWatermarkList(WATERMARKLIST* pTarget, const WATERMARKLIST* pSource)
{
    if (!pTarget || !pSource)
        return FALSE;
    pTarget->sCount = pSource->sCount;
    if (pTarget->pRecords && pSource->pRecords)
        memcpy(pTarget->pRecords, pSource->pRecords, sizeof(WATERMARK) * WATERMARK_SLOTS);
    if (pTarget->pCurrent && pSource->pCurrent)
        *pTarget->pCurrent = *pSource->pCurrent;
    return TRUE;
}

BOOL LoadWatermarkList(WATERMARKLIST* pList, REGTREESET* pTables, LPCWSTR pszPrinter)
{
    if (!bFeatureEnabled(FEATURE_WATERMARK))
        return TRUE;
    if (!pList || !pTables || !pszPrinter)
        return FALSE;
    return RegTreeWalkList(pList, pTables, FEATURE_WATERMARK, pszPrinter, RTW_LOAD);
}

BOOL SaveWatermarkList(WATERMARKLIST* pList, REGTREESET* pTables, LPCWSTR pszPrinter)
{
    if (!bFeatureEnabled(FEATURE_WATERMARK))
        return TRUE;
    if (!pList || !pTables || !pszPrinter)
        return FALSE;
    return RegTreeWalkList(pList, pTables, FEATURE_WATERMARK, pszPrinter, RTW_STORE);
}

void SetDefaultWatermarks(WATERMARKLIST* pList)
{
    if (!pList || !pList->pRecords)
        return;
    pList->sCount = kBuiltinWatermarks;
    for (int i = 0; i < kBuiltinWatermarks; ++i) {
        WATERMARK* p = &pList->pRecords[i];
        memset(p, 0, sizeof(*p));
        UINT uId = i == 0 ? kStrFirstWatermark : kStrWatermarkRun + (UINT)(i - 1);
        lstrcpynW(p->szText, GetResString(uId), 33);
        _SetRecordDefaults(p);
    }
}

BOOL GetWatermarkField(WORD wId, int n, void** ppAddr, DWORD* pcb, WORD* pwType, WATERMARKLIST* pList)
{
    if (!pList || !pList->pRecords || n < 0 || n >= WATERMARK_SLOTS)
        return FALSE;
    WATERMARK* p = &pList->pRecords[n];
    void* pAddr;
    DWORD cb = 4;
    WORD wType = 16;
    switch (wId) {
    case 11: pAddr = pList; cb = sizeof(WATERMARKLIST); wType = 64; break;
    case 12: pAddr = &pList->sCount; cb = 2; wType = 4; break;
    case 13: pAddr = pList->pRecords; cb = sizeof(WATERMARK); wType = 64; break;
    case 15: pAddr = p->szText; cb = sizeof(p->szText); wType = 128; break;
    case 17: pAddr = p->szFace; cb = sizeof(p->szFace); wType = 128; break;
    case 19: pAddr = &p->dwStyle; break;
    case 21: pAddr = &p->dwSize; break;
    case 23: pAddr = &p->lAngle; wType = 8; break;
    case 99: pAddr = &p->dwSelectColor; break;
    case 25: pAddr = &p->dwColor; break;
    case 27: pAddr = &p->dwCenterX; break;
    case 29: pAddr = &p->dwCenterY; break;
    default: return FALSE;
    }
    if (ppAddr)
        *ppAddr = pAddr;
    if (pcb)
        *pcb = cb;
    if (pwType)
        *pwType = wType;
    return TRUE;
}

void LoadFaxDestinations(POPTIONDB pdb, UISETTINGS* pObj, DEVMODEW* pdm, DWORD dwReserved,
                         HANDLE hPrinter)
{
}

BOOL SaveFaxDestinations(UISETTINGS* pObj, DEVMODEW* pdm)
{
    return TRUE;
}

void CountStaticTables()
{
}

BOOL BuildRuleIndexes(UISETTINGS* pObj)
{
    return TRUE;
}

void FreeRuleIndexes(UISETTINGS* pObj)
{
}
