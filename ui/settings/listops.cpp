// listops.cpp: operations on the per-user lists of a settings object (see
// listops.h).
#include "ui/settings/listops.h"

#include <cstring>

#include "ui/settings/faxcover.h"
#include "ui/settings/insertsheet.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

static_assert(INTERSHEET_ENTRIES * sizeof(INSERTSHEET) == 0xEE00);

void CopyInterSheetBlock(BYTE* pDest, const BYTE* pSource)
{
    if (!pDest || !pSource || pDest == pSource)
        return;
    memset(pDest, 0, sizeof(INSERTSHEET));
    memcpy(pDest, pSource, INTERSHEET_ENTRIES * sizeof(INSERTSHEET));
}

BOOL bClearFormFileList(UISETTINGS* pObj)
{
    if (!pObj)
        return FALSE;
    LISTSET* pSet = pObj->trailer.pListSet;
    FORMLIST* pList = pSet ? pSet->pForm : nullptr;
    if (!pList)
        return TRUE;
    if (pList->pFiles)
        for (int i = 0; i < FORMLIST_FILES && pList->pFiles[i][0]; ++i)
            memset(pList->pFiles[i], 0, sizeof(pList->pFiles[i]));
    pList->wFormListNum = 0;
    return TRUE;
}

void IndexTabCopyNamesFrom(UISETTINGS* pTarget, UISETTINGS* pSource)
{
    if (!pTarget || !pSource || pTarget == pSource)
        return;
    LISTSET* pT = pTarget->trailer.pListSet;
    LISTSET* pS = pSource->trailer.pListSet;
    if (!pT || !pS || !pT->pInterSheet || !pS->pInterSheet || !pT->pInterSheet->pLists ||
        !pS->pInterSheet->pLists)
        return;
    for (int i = 0; i < INTERSHEET_LISTS; ++i) {
        INTERSHEETREC& t = pT->pInterSheet->pLists[i];
        memcpy(t.szName, pS->pInterSheet->pLists[i].szName, sizeof(t.szName));
        t.szName[16] = 0;
    }
    ResetInterSheetState(pTarget);
}

LPCWSTR GetDefaultMinchoFace()
{
    static WCHAR s_szFace[32];
    if (!s_szFace[0]) {
        FONTSUBLIST* pList = CreateFontSubList();
        if (pList) {
            SetDefaultFontSubList(pList);
            lstrcpynW(s_szFace, pList->pPairs[0].szTrueType, 32);
            FreeFontSubList(&pList);
        }
    }
    return s_szFace;
}

void BuildUserPaperTable(REGTREETABLE* pEntry)
{
    BuildUDPaperTable(pEntry);
}

void FreeUserPaperTable(REGTREETABLE* pEntry)
{
    FreeUDPaperTable(pEntry);
}

BOOL GetUserPaperSlot(LPCWSTR pszPrinter, int iSlot, LONG* plWidth, LONG* plLength, LPWSTR pszName, DWORD cbName)
{
    if (iSlot < 1 || iSlot > USERPAPER_SLOTS)
        return FALSE;
    USERPAPERS* pPapers = (USERPAPERS*)GlobalAlloc(GPTR, sizeof(USERPAPERS));
    if (!pPapers)
        return FALSE;
    USERPAPER* pSlot = &pPapers->aSlot[iSlot - 1];
    SetUserPaperDefault(pSlot, iSlot);
    auto put = [&] {
        if (plWidth)
            *plWidth = pSlot->lWidth;
        if (plLength)
            *plLength = pSlot->lLength;
        if (pszName && cbName >= sizeof(WCHAR)) {
            pSlot->szName[USERPAPER_NAME_CCH - 1] = 0;
            lstrcpynW(pszName, pSlot->szName, (int)(cbName / sizeof(WCHAR)));
        }
    };
    put();
    HANDLE hPrinter = nullptr;
    BOOL bOk = pszPrinter && OpenPrinterW((LPWSTR)pszPrinter, &hPrinter, nullptr);
    if (bOk) {
        bOk = ReadUserPapers(pPapers, hPrinter);
        ClosePrinter(hPrinter);
        // A stored slot without a name keeps the built-in one.
        if (!pSlot->szName[0])
            SetUserPaperDefault(pSlot, iSlot);
        if (bOk)
            put();
    }
    GlobalFree(pPapers);
    return bOk;
}

FAXCOVER* pGetFaxCover(UISETTINGS* pObj)
{
    if (!pObj || !pObj->trailer.pListSet)
        return nullptr;
    return (FAXCOVER*)pObj->trailer.pListSet->pFaxCover;
}

BOOL bFaxCoverImageOk(UISETTINGS* pObj)
{
    FAXCOVER* p = pGetFaxCover(pObj);
    if (!p || !p->szImage[0])
        return TRUE;
    WCHAR szImage[261];
    lstrcpynW(szImage, p->szImage, 261);
    return bFileCanOpen(szImage);
}

BOOL GetFaxCoverImageName(UISETTINGS* pObj, LPWSTR pszOut, DWORD cbOut)
{
    FAXCOVER* p = pGetFaxCover(pObj);
    if (!p || !pszOut || cbOut < sizeof(WCHAR))
        return FALSE;
    WCHAR szImage[261];
    lstrcpynW(szImage, p->szImage, 261);
    lstrcpynW(pszOut, szImage, (int)(cbOut / sizeof(WCHAR)));
    return TRUE;
}
