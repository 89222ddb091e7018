// ownercheck.cpp: the owner of the private-job settings (see ownercheck.h).
//
// Entry points: CheckJobOwner, ResetPrivateJobFields, SetJobOwnerState,
// GetJobOwnerState. The settings object is reached only through its
// parameter slots and items (uisettings.h, paramobj.h), so the values go
// back into the DEVMODE with the object's ordinary write-back.
#include "ui/driverui/ownercheck.h"

#include "ui/settings/paramobj.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// Parameters of the owner record and of the private-job settings.
const WORD kParamOwnerSum = 225;
const WORD kParamOwnerLength = 227;
const WORD kParamOwnerName = 229;
const WORD kParamOutputMethod = 144;
const WORD kParamPasswordCheck = 19;
const WORD kParamUnDisplayPassword = 87;
const WORD kParamJobCombCheck = 81;
const WORD kParamUnDisplayJob = 88;
const WORD kParamUserId = 221;     // DEVMODE 1495, 11 characters
const WORD kParamBoxNumber = 222;  // DEVMODE 1517, 10 characters
const WORD kParamSecureId = 210;   // DEVMODE 1451, 11 characters
const WORD kParamPassword = 211;   // DEVMODE 1473, 11 characters
const WORD kParamJobId = 224;      // DEVMODE 2110, 11 characters

const int kNameCch = 32;
// The longest user name and its NUL: a name of the full length is still
// a name.
const DWORD kUserCch = 257;

PFN_GETUSERNAMEW s_pfnGetUserName = nullptr;

// The slot of an option-less parameter; null with *pcb 0 when it has none.
BYTE* _Slot(UISETTINGS* pObj, WORD wParamId, DWORD* pcb)
{
    void* pSlot = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    int iRow = FindParamRow(pObj, wParamId);
    if (iRow < 0 || !AccessParamByIndex(wParamId, iRow, pObj, &pSlot, &cb, &wType) || !pSlot)
        cb = 0, pSlot = nullptr;
    *pcb = cb;
    return static_cast<BYTE*>(pSlot);
}

BOOL _SameText(LPCWSTR a, LPCWSTR b)
{
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

void _ClearText(UISETTINGS* pObj, WORD wParamId)
{
    DWORD cb;
    if (BYTE* p = _Slot(pObj, wParamId, &cb))
        memset(p, 0, cb);
}

void _Default(UISETTINGS* pObj, WORD wParamId)
{
    SHORT s = GetParamDefault(pObj, wParamId);
    SetParamEdited(pObj, wParamId, s);
    SetParamCommitted(pObj, wParamId, s);
}

}  // namespace

int CheckJobOwner(DWORD dwReserved, UISETTINGS* pObj)
{
    (void)dwReserved;
    if (!pObj)
        return 0;
    WCHAR* pszRecorded = static_cast<WCHAR*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, (kNameCch + 1) * sizeof(WCHAR)));
    WCHAR* pszUser = static_cast<WCHAR*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, kUserCch * sizeof(WCHAR)));
    WCHAR* pszCut = static_cast<WCHAR*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, (kNameCch + 1) * sizeof(WCHAR)));
    int iState = 0;
    if (pszRecorded && pszUser && pszCut) {
        DWORD cbName = 0, cbSum = 0, cbLength = 0;
        BYTE* pName = _Slot(pObj, kParamOwnerName, &cbName);
        BYTE* pSum = _Slot(pObj, kParamOwnerSum, &cbSum);
        BYTE* pLength = _Slot(pObj, kParamOwnerLength, &cbLength);
        if (pName) {
            DWORD cb = cbName < kNameCch * sizeof(WCHAR) ? cbName : kNameCch * sizeof(WCHAR);
            memcpy(pszRecorded, pName, cb);
        }
        DWORD dwRecordedSum = 0;
        if (pSum)
            memcpy(&dwRecordedSum, pSum, cbSum < 4 ? cbSum : 4);
        BYTE bRecordedLength = pLength && cbLength ? pLength[0] : 0;

        DWORD dwSum = 0, cchUser = 0;
        DWORD cch = kUserCch;
        if ((s_pfnGetUserName ? s_pfnGetUserName : GetUserNameW)(pszUser, &cch) && cch > 0) {
            cchUser = cch - 1;
            for (DWORD i = 0; i < cchUser; ++i)
                dwSum += static_cast<WORD>(pszUser[i]);
        } else {
            pszUser[0] = 0;
        }
        lstrcpynW(pszCut, pszUser, kNameCch + 1);

        // Code unit by code unit: a user name is compared exactly, never by
        // the collation of a locale. The length is kept in 8 bits, so its
        // low 8 bits are compared; the sum tells longer names apart.
        BOOL bDiffers = !_SameText(pszRecorded, pszCut) || dwRecordedSum != dwSum ||
                        static_cast<BYTE>(cchUser) != bRecordedLength;
        if (bDiffers)
            iState = !pszRecorded[0] ? JOBOWNER_NEW : !pszCut[0] ? JOBOWNER_NAMELESS : JOBOWNER_CHANGED;
        else
            iState = pszRecorded[0] ? JOBOWNER_SAME : JOBOWNER_NONE;

        if (pName) {
            memset(pName, 0, cbName);
            DWORD cb = (lstrlenW(pszCut) + 1) * sizeof(WCHAR);
            memcpy(pName, pszCut, cb < cbName ? cb : cbName);
        }
        if (pSum)
            memcpy(pSum, &dwSum, cbSum < 4 ? cbSum : 4);
        if (pLength && cbLength)
            pLength[0] = static_cast<BYTE>(cchUser);
    }
    if (pszCut)
        GlobalFree(pszCut);
    if (pszUser)
        GlobalFree(pszUser);
    if (pszRecorded)
        GlobalFree(pszRecorded);
    return iState;
}

void OwnerCheckSetUserNameProc(PFN_GETUSERNAMEW pfn)
{
    s_pfnGetUserName = pfn;
}

void SetJobOwnerState(UISETTINGS* pObj, WORD wState)
{
    if (pObj)
        pObj->adwState[UIS_STATE_JOBOWNER] = wState;
}

WORD GetJobOwnerState(const UISETTINGS* pObj)
{
    return pObj ? static_cast<WORD>(pObj->adwState[UIS_STATE_JOBOWNER]) : 0;
}

void ResetPrivateJobFields(DWORD dwReserved, UISETTINGS* pObj)
{
    (void)dwReserved;
    if (!pObj)
        return;
    WORD wState = GetJobOwnerState(pObj);
    if (wState == JOBOWNER_NONE || wState == JOBOWNER_SAME)
        return;
    _Default(pObj, kParamOutputMethod);
    _ClearText(pObj, kParamUserId);
    _ClearText(pObj, kParamBoxNumber);
    _Default(pObj, kParamPasswordCheck);
    _Default(pObj, kParamUnDisplayPassword);
    _ClearText(pObj, kParamSecureId);
    _ClearText(pObj, kParamPassword);
    _Default(pObj, kParamJobCombCheck);
    _Default(pObj, kParamUnDisplayJob);
    _ClearText(pObj, kParamJobId);
}
