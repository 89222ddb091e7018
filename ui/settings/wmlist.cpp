// wmlist.cpp: the watermark list (see wmlist.h).
#include "ui/settings/wmlist.h"

#include <cstring>

#include "ui/settings/paramalloc.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"
#include "ui/settings/uiparam.h"

namespace {

const char16_t kDefaultFace[] = u"ＭＳ Ｐゴシック";
const DWORD kDefaultStyle = 1;
const DWORD kDefaultSize = 72;
const DWORD kDefaultColor = 126;
// The first built-in text is never shown (slot 0 is "no watermark"); the
// others are a run of texts.
const UINT kStrFirstWatermark = 21200;
const UINT kStrWatermarkRun = 30002;
// The locator reaches the face without its last character slot, as the
// stored value has always been sized.
const DWORD kFaceFieldBytes = 64;

void _SetRecordLook(WATERMARK* p)
{
    lstrcpynW(p->szFace, kDefaultFace, WATERMARK_FACE_CCH);
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
    _SetRecordLook(pCurrent);
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
    if (!bFeatureEnabled(FEATURE_WATERMARK))
        return TRUE;
    if (!pTarget || !pSource)
        return FALSE;
    pTarget->sCount = pSource->sCount;
    pTarget->wReserved = pSource->wReserved;
    if (pTarget->pRecords && pSource->pRecords && pTarget->pRecords != pSource->pRecords)
        memcpy(pTarget->pRecords, pSource->pRecords, sizeof(WATERMARK) * WATERMARK_SLOTS);
    if (pTarget->pCurrent && pSource->pCurrent && pTarget->pCurrent != pSource->pCurrent)
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
    if (!bFeatureEnabled(FEATURE_WATERMARK) || !pList || !pList->pRecords)
        return;
    pList->sCount = WATERMARK_BUILTINS;
    for (int i = 0; i < WATERMARK_BUILTINS; ++i) {
        WATERMARK* p = &pList->pRecords[i];
        memset(p, 0, sizeof(*p));
        UINT uId = i == 0 ? kStrFirstWatermark : kStrWatermarkRun + (UINT)(i - 1);
        lstrcpynW(p->szText, GetResString(uId), WATERMARK_TEXT_CCH);
        _SetRecordLook(p);
    }
}

BOOL ResetWatermarkList(REGTREESET* pTables, LPCWSTR pszPrinter)
{
    if (!bFeatureEnabled(FEATURE_WATERMARK))
        return TRUE;
    if (!pTables || !pszPrinter)
        return FALSE;
    WATERMARKLIST* pList = CreateWatermarkList();
    if (!pList)
        return FALSE;
    // The built-in texts come from the resource library.
    LoadResourceDll();
    SetDefaultWatermarks(pList);
    BOOL bOk = RegTreeWalkList(pList, pTables, FEATURE_WATERMARK, pszPrinter, RTW_STORE_DEFAULTS);
    FreeResourceDll();
    FreeWatermarkList(&pList);
    return bOk;
}

BOOL GetWatermarkField(WORD wId, int n, void** ppAddr, DWORD* pcb, WORD* pwType, WATERMARKLIST* pList)
{
    // Callers copy through the outputs: they never keep stale values.
    if (ppAddr)
        *ppAddr = nullptr;
    if (pcb)
        *pcb = 0;
    if (pwType)
        *pwType = 0;
    // A model without watermarks answers every field as handled, with no
    // address: callers skip it rather than report a failure.
    if (!bFeatureEnabled(FEATURE_WATERMARK))
        return TRUE;
    if (!pList || !pList->pRecords || n < 0 || n >= WATERMARK_SLOTS)
        return FALSE;
    WATERMARK* p = &pList->pRecords[n];
    void* pAddr;
    DWORD cb = 4;
    WORD wType = 16;
    switch (wId) {
    case WMF_LIST: pAddr = pList; cb = sizeof(WATERMARKLIST); wType = 64; break;
    case WMF_COUNT: pAddr = &pList->sCount; cb = 2; wType = 4; break;
    case WMF_RECORDS: pAddr = pList->pRecords; cb = sizeof(WATERMARK); wType = 64; break;
    case WMF_TEXT: pAddr = p->szText; cb = sizeof(p->szText); wType = 128; break;
    case WMF_FACE: pAddr = p->szFace; cb = kFaceFieldBytes; wType = 128; break;
    case WMF_STYLE: pAddr = &p->dwStyle; break;
    case WMF_SIZE: pAddr = &p->dwSize; break;
    case WMF_ANGLE: pAddr = &p->lAngle; wType = 8; break;
    case WMF_SELECTCOLOR: pAddr = &p->dwSelectColor; break;
    case WMF_COLOR: pAddr = &p->dwColor; break;
    case WMF_CENTERX: pAddr = &p->dwCenterX; break;
    case WMF_CENTERY: pAddr = &p->dwCenterY; break;
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

int AccessWatermarkField(WORD wId, void* pBuf, DWORD* pcbBuf, WORD wType, int n, void** ppAddr, DWORD* pcb,
                         WORD* pwType, WATERMARKLIST* pList)
{
    void* pAddr = nullptr;
    DWORD cb = 0;
    WORD wFieldType = 0;
    if (!GetWatermarkField(wId, n, &pAddr, &cb, &wFieldType, pList))
        return TVC_BADARG;
    if (ppAddr)
        *ppAddr = pAddr;
    if (pcb)
        *pcb = cb;
    if (pwType)
        *pwType = wFieldType;
    return GetTypedValue(pAddr, cb, pBuf, pcbBuf, wFieldType, wType);
}

int WatermarkListCount(const WATERMARKLIST* pList)
{
    if (!pList || pList->sCount <= 0)
        return 0;
    return pList->sCount > WATERMARK_SLOTS ? WATERMARK_SLOTS : pList->sCount;
}
