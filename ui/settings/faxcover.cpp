// faxcover.cpp: the fax cover sheet setting group (see faxcover.h).
#include "ui/settings/faxcover.h"

#include <cstring>

#include "ui/settings/paramalloc.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"
#include "ui/settings/uiparam.h"

namespace {

// Texts 'H'..'R' in the order they lie in the record.
const char kTextCodes[] = "HIJKLMNOQPR";

// Field of a code: offset, size and type code; FALSE for an unknown code.
BOOL _FieldOf(WORD wCode, DWORD* pOff, DWORD* pcb, WORD* pwType)
{
    for (int i = 0; kTextCodes[i]; ++i) {
        if (wCode == (WORD)kTextCodes[i]) {
            *pOff = offsetof(FAXCOVER, aszText) + (DWORD)i * sizeof(((FAXCOVER*)nullptr)->aszText[0]);
            *pcb = sizeof(((FAXCOVER*)nullptr)->aszText[0]);
            *pwType = 128;
            return TRUE;
        }
    }
    *pwType = 16;
    *pcb = 4;
    switch (wCode) {
    case FCF_RECORD: *pOff = 0; *pcb = sizeof(FAXCOVER); *pwType = 64; return TRUE;
    case FCF_SUBJECT: *pOff = offsetof(FAXCOVER, szSubject); *pcb = 130; *pwType = 128; return TRUE;
    case FCF_PAGENUM: *pOff = offsetof(FAXCOVER, dwPagenum); return TRUE;
    case FCF_STYLE: *pOff = offsetof(FAXCOVER, dwStyle); return TRUE;
    case FCF_PAPER: *pOff = offsetof(FAXCOVER, dwPaper); return TRUE;
    case FCF_IMAGE: *pOff = offsetof(FAXCOVER, szImage); *pcb = 522; *pwType = 128; return TRUE;
    case FCF_ZOOM: *pOff = offsetof(FAXCOVER, dwZoom); return TRUE;
    case FCF_XPOS: *pOff = offsetof(FAXCOVER, dwX); return TRUE;
    case FCF_YPOS: *pOff = offsetof(FAXCOVER, dwY); return TRUE;
    case FCF_LINENUM: *pOff = offsetof(FAXCOVER, dwLineNum); return TRUE;
    case FCF_COMMENT: *pOff = offsetof(FAXCOVER, szComment); *pcb = 1282; *pwType = 128; return TRUE;
    default: return FALSE;
    }
}

// Every text of the record ends inside its field.
void _TerminateTexts(FAXCOVER* p)
{
    p->szSubject[64] = 0;
    for (auto& s : p->aszText)
        s[40] = 0;
    p->szImage[260] = 0;
    p->szComment[640] = 0;
}

BOOL _LocateForWalk(void* pList, WORD wId, int j, int k, void** ppAddr, DWORD* pcb, WORD* pwType)
{
    (void)j, (void)k;
    return GetFaxCoverField(wId, ppAddr, pcb, pwType, (FAXCOVER*)pList) != 0;
}

int _Walk(FAXCOVER* pRecord, REGTREESET* pTables, LPCWSTR pszPrinter, int iAction)
{
    return RegTreeWalk(pRecord, _LocateForWalk, &pTables->aTable[RT_FAXCOVER], FEATURE_FAXCOVER, pszPrinter,
                       iAction)
               ? 1
               : 0;
}

}  // namespace

BOOL bFaxCoverFieldLayout(WORD wCode, DWORD* pdwOffset, DWORD* pcb, WORD* pwType)
{
    DWORD dwOff = 0, cb = 0;
    WORD wType = 0;
    if (!_FieldOf(wCode, &dwOff, &cb, &wType))
        return FALSE;
    if (pdwOffset)
        *pdwOffset = dwOff;
    if (pcb)
        *pcb = cb;
    if (pwType)
        *pwType = wType;
    return TRUE;
}

FAXCOVER* AllocFaxCover()
{
    if (!bFeatureEnabled(FEATURE_FAXCOVER))
        return nullptr;
    return (FAXCOVER*)ParamAllocBlock(sizeof(FAXCOVER));
}

void FreeFaxCover(FAXCOVER** ppRecord)
{
    if (!ppRecord || !*ppRecord)
        return;
    ParamFree(ppRecord);
}

void CopyFaxCover(FAXCOVER* pTarget, const FAXCOVER* pSource)
{
    if (!bFeatureEnabled(FEATURE_FAXCOVER) || !pTarget || !pSource || pTarget == pSource)
        return;
    memcpy(pTarget, pSource, sizeof(FAXCOVER));
}

int GetFaxCoverField(WORD wCode, void** ppAddr, DWORD* pcb, WORD* pwType, FAXCOVER* pRecord)
{
    if (ppAddr)
        *ppAddr = nullptr;
    if (pcb)
        *pcb = 0;
    if (pwType)
        *pwType = 0;
    DWORD dwOff = 0, cb = 0;
    WORD wType = 0;
    if (!bFeatureEnabled(FEATURE_FAXCOVER) || !pRecord || !_FieldOf(wCode, &dwOff, &cb, &wType))
        return 0;
    if (ppAddr)
        *ppAddr = (BYTE*)pRecord + dwOff;
    if (pcb)
        *pcb = cb;
    if (pwType)
        *pwType = wType;
    return 1;
}

int AccessFaxCoverField(WORD wCode, void* pValue, DWORD* pcbValue, WORD wType, int iDirection, void** ppAddr,
                        DWORD* pcb, WORD* pwType, FAXCOVER* pRecord)
{
    void* pAddr = nullptr;
    DWORD cb = 0;
    WORD wFieldType = 0;
    if (!GetFaxCoverField(wCode, &pAddr, &cb, &wFieldType, pRecord))
        return TVC_BADARG;
    if (ppAddr)
        *ppAddr = pAddr;
    if (pcb)
        *pcb = cb;
    if (pwType)
        *pwType = wFieldType;
    if (iDirection == TVC_GET)
        return GetTypedValue(pAddr, cb, pValue, pcbValue, wFieldType, wType);
    int iResult = TypedValueCopy(pAddr, cb, pValue, pcbValue, wType, wFieldType, iDirection);
    if (iDirection == TVC_SET)
        _TerminateTexts(pRecord);
    return iResult;
}

int LoadFaxCover(FAXCOVER** ppRecord, REGTREESET* pTables, LPCWSTR pszPrinter)
{
    if (!bFeatureEnabled(FEATURE_FAXCOVER))
        return 1;
    if (!ppRecord || !*ppRecord || !pTables || !pszPrinter)
        return 0;
    int iResult = _Walk(*ppRecord, pTables, pszPrinter, RTW_LOAD);
    _TerminateTexts(*ppRecord);
    return iResult;
}

int SaveFaxCover(FAXCOVER* pRecord, REGTREESET* pTables, LPCWSTR pszPrinter)
{
    if (!bFeatureEnabled(FEATURE_FAXCOVER))
        return 1;
    if (!pRecord || !pTables || !pszPrinter)
        return 0;
    return _Walk(pRecord, pTables, pszPrinter, RTW_STORE);
}

void SetFaxCoverDefaults(FAXCOVER* pRecord)
{
    if (!bFeatureEnabled(FEATURE_FAXCOVER) || !pRecord)
        return;
    void* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    if (GetFaxCoverField(FCF_FIXEDFORM, &pAddr, &cb, &wType, pRecord)) {
        memset(pAddr, 0, cb);
        lstrcpynW((LPWSTR)pAddr, GetResString(FAXCOVER_STR_FIXEDFORM), (int)(cb / sizeof(WCHAR)));
    }
    pRecord->dwPagenum = 1;
    pRecord->dwStyle = 1;
    pRecord->dwPaper = 5;
    pRecord->dwZoom = 100;
    pRecord->dwX = 0;
    pRecord->dwY = 0;
}

int ResetFaxCover(REGTREESET* pTables, LPCWSTR pszPrinter)
{
    if (!bFeatureEnabled(FEATURE_FAXCOVER))
        return 1;
    if (!pTables || !pszPrinter)
        return 0;
    FAXCOVER* pRecord = AllocFaxCover();
    if (!pRecord)
        return 0;
    LoadResourceDll();
    SetFaxCoverDefaults(pRecord);
    FreeResourceDll();
    int iResult = _Walk(pRecord, pTables, pszPrinter, RTW_STORE_DEFAULTS);
    FreeFaxCover(&pRecord);
    return iResult;
}
