// escape_later.cpp: what the escape protocol calls in the page generator's
// special-page schedule and recorded-segment files, until those files exist.
//
// The schedule answers as if no sheet were scheduled, and the segment store
// keeps nothing. The owner check and the recording switch are small enough
// to be whole here already.
//
// Each is a weak definition: the file that builds the real one replaces it
// without touching this one; delete a fallback here once its file exists.
#include "graphics/ddi/escape.h"

#include "pdl/xgcmn/xgcmn.h"

#include <cstring>

#define ESC_LATER __attribute__((weak))

// ---- special-page schedule ----
ESC_LATER SHORT CountInsertSheetsBefore(PDEV*, SHORT)
{
    return 0;
}
ESC_LATER BOOL BuildSpecialPageSchedule(PDEV*)
{
    return FALSE;
}

// ---- job owner ----
// 1 both names empty, 2 the same owner, 3 no recorded owner, 4 no printing
// user, 5 another user. Names are compared in their first 32 characters,
// with the sums and lengths recorded beside them.
ESC_LATER SHORT CompareJobOwner(PDEV* pPDev)
{
    const DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    const PDLWORK* pWork = PdlWork(pPDev);
    WCHAR szOwner[33] = {};
    WCHAR szUser[33] = {};
    memcpy(szOwner, reinterpret_cast<const BYTE*>(pdm) + offsetof(DRVDEVMODE, env.szParam229),
           32 * sizeof(WCHAR));
    memcpy(szUser, reinterpret_cast<const BYTE*>(pWork) + offsetof(PDLWORK, szUserName),
           32 * sizeof(WCHAR));
    int cchOwner = 0, cchUser = 0;
    while (cchOwner < 32 && szOwner[cchOwner])
        ++cchOwner;
    while (cchUser < 32 && szUser[cchUser])
        ++cchUser;
    BOOL bSame = cchOwner == cchUser && memcmp(szOwner, szUser, cchOwner * sizeof(WCHAR)) == 0;
    if (bSame && static_cast<LONG>(pdm->env.dwParam225) == pWork->lUserNameSum &&
        pdm->env.bParam227 == pWork->cchUserName)
        return cchOwner == 0 ? 1 : 2;
    if (cchOwner == 0)
        return 3;
    return cchUser == 0 ? 4 : 5;
}
ESC_LATER void SetSecurePrintFlags(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    WORD wState = static_cast<WORD>(pWork->nOwnerCheck);
    LONG lAllowed = (wState == 1 || wState == 2) ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        pWork->aSecure[i] = lAllowed;
}

// ---- recorded segments ----
ESC_LATER void BeginSegmentRecord(PDEV* pPDev)
{
    PdlWork(pPDev)->bRecording = 1;
}
ESC_LATER void EndSegmentRecord(PDEV* pPDev)
{
    PdlWork(pPDev)->bRecording = 0;
}
ESC_LATER BOOL StoreRecordedSegment(PDEV*, int)
{
    return FALSE;
}
