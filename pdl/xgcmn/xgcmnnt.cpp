// xgcmnnt.cpp: the settings accessors and the PDEV check of the page
// generator, and its debugger messages.
#include "pdl/xgcmn/xgcmn.h"

#include "platform/windows.h"

int GetJobKind(PDEV* pPDev)
{
    return DmByte(pPDev, 2167);
}

BOOL bIsFaxJob(PDEV* pPDev)
{
    return GetJobKind(pPDev) == PDL_JOB_FAX;
}

BOOL bIsFaxCapture(PDEV* pPDev)
{
    return bIsFaxJob(pPDev) && DmByte(pPDev, 2170) == 1;
}

int GetFaxDestCount(PDEV* pPDev)
{
    return PdlWork(pPDev)->FaxDest.cDest;
}

void PdlReportFailure(const char* pszFile, int nLine, const char* pszWhat)
{
    char achFile[64];
    const char* pszName = GetFileNamePart(pszFile);
    // Debugger lines name the source without its extension, as the
    // messages of the rest of the library do.
    int i = 0;
    while (pszName[i] != 0 && pszName[i] != '.' && i < (int)sizeof(achFile) - 1) {
        achFile[i] = pszName[i];
        ++i;
    }
    achFile[i] = 0;
    DbgPrint("%s (%d): %s failed.\n", achFile, nLine, pszWhat);
}

BOOL _bValidatePDEVAt(const PDEV* pPDev, const char* pszFile, int nLine)
{
    if (pPDev != nullptr && pPDev->dwSignature == PDEV_SIGNATURE &&
        pPDev->dwSignatureEnd == PDEV_SIGNATURE) {
        return TRUE;
    }
    PdlReportFailure(pszFile, nLine, "_bValidatePDEV");
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
