// listset.cpp: the per-user lists of a settings object (see listset.h).
#include "ui/settings/listset.h"

#include "ui/settings/insertsheet.h"
#include "ui/settings/insertwork.h"

#include <cstring>

#include "ui/settings/optiondb.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/papertable.h"
#include "ui/settings/profile.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"
#include "ui/settings/engineentry.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"

namespace {

struct FONTSUBDEF {
    LPCWSTR pszTrueType;
    LPCWSTR pszDevice;
};

const FONTSUBDEF g_aFontSubDefault[] = {
#define FONTSUB_ROW(tt, dev) {tt, dev},
#include "ui/settings/fontsub_defaults.inc"
#undef FONTSUB_ROW
    {u"", u""},
};

// Parameters of the inter-sheet selection and the index paper.
const WORD kParamInterSheetList = 114;
const WORD kParamNCurrent = 207;
const WORD kParamPageListNum = 208;
const WORD kParamTabPaperSize = 184;
const WORD kParamTabIndexNum = 185;
const WORD kParamTabTopMargin = 187;
const WORD kParamTabBottomMargin = 188;
const WORD kParamTabIndexSpace = 189;
const WORD kParamTabTextPosition = 190;

void _FreeInterSheetRecs(INTERSHEETREC* pLists)
{
    for (int i = 0; pLists && i < INTERSHEET_LISTS; ++i) {
        ParamFree(&pLists[i].pEntries);
        ParamFree(&pLists[i].pTabBlock);
        ParamFree(&pLists[i].pDetail);
        ParamFree(&pLists[i].pWork);
    }
}

void _SetSlotShort(UISETTINGS* pObj, WORD wParamId, SHORT sValue)
{
    BYTE* pSlot = GetParamSlot(pObj, wParamId);
    if (pSlot)
        memcpy(pSlot, &sValue, sizeof(sValue));
}

// A field inside a record: offset, size, value type.
struct FIELDDESC {
    WORD wId;
    WORD wOffset;
    WORD wSize;
    WORD wType;
};

// Fields of one insert-sheet entry (INSERTSHEET).
#define IS_FIELD(id, field, type) {id, offsetof(INSERTSHEET, field), sizeof(INSERTSHEET::field), type}
const FIELDDESC g_aEntryField[] = {
    IS_FIELD(43, szPages, 128), IS_FIELD(45, wPrintType, 4), IS_FIELD(44, wTray, 4),
    IS_FIELD(46, wState, 2), IS_FIELD(47, wBinding, 4), IS_FIELD(48, wUseIndex, 4),
    IS_FIELD(49, szTabText, 128), IS_FIELD(50, wTabPosition, 4), IS_FIELD(51, lTabAuto, 8),
    IS_FIELD(52, wTabDirection, 4), IS_FIELD(53, wTabAlign, 4), IS_FIELD(54, szFace, 128),
    IS_FIELD(55, wFontStyle, 4), IS_FIELD(56, wFontSize, 4), {0, 0, 0, 0},
};
#undef IS_FIELD
// Fields of the last tab-text detail block (72 bytes).
const FIELDDESC g_aDetailField[] = {
    {58, 0, 2, 4}, {59, 2, 2, 4}, {60, 4, 64, 128}, {61, 68, 2, 4}, {62, 70, 2, 4}, {0, 0, 0, 0},
};
// Fields of the tab setting block (8 bytes).
const FIELDDESC g_aTabField[] = {
    {64, 0, 2, 4}, {65, 2, 1, 1}, {66, 3, 1, 1}, {67, 4, 1, 1}, {68, 5, 1, 1}, {69, 6, 2, 4}, {0, 0, 0, 0},
};

const FIELDDESC* _FindField(const FIELDDESC* pTable, WORD wId)
{
    for (; pTable->wId; ++pTable)
        if (pTable->wId == wId)
            return pTable;
    return nullptr;
}

BOOL _Answer(void* pAddr, DWORD cb, WORD wType, void** ppAddr, DWORD* pcb, WORD* pwType)
{
    if (!pAddr)
        return FALSE;
    if (ppAddr)
        *ppAddr = pAddr;
    if (pcb)
        *pcb = cb;
    if (pwType)
        *pwType = wType;
    return TRUE;
}

// Resource strings of the list defaults.
const UINT kStrInterSheetName = 28587;
const UINT kStrFormCaption2 = 29541;
const UINT kStrFormMessage1 = 29543;
const DWORD kFormStyleDefault = 4132;
const WORD kOptPageListNum = 124;
const WORD kOptTabPaperSize = 154;
const WORD kOptTabIndexNum = 155;
const WORD kOptTabTop = 220;
const WORD kOptTabBottom = 221;
const WORD kOptTabSpace = 222;
const WORD kOptTabPosition = 223;

}  // namespace

BOOL LocateInterSheetField(WORD wFieldId, int iList, int iEntry, void** ppAddr, DWORD* pcb, WORD* pwType,
                           INTERSHEETLIST* pList)
{
    if (!bFeatureEnabled(FEATURE_INTERSHEET) || !pList || !pList->pLists)
        return FALSE;
    // The walk numbers the lists 1..10.
    int i = iList - 1;
    if (i < 0 || i >= INTERSHEET_LISTS)
        return FALSE;
    INTERSHEETREC& r = pList->pLists[i];
    switch (wFieldId) {
    case 39: return _Answer(r.szName, sizeof(r.szName), 128, ppAddr, pcb, pwType);
    case 40: return _Answer(&r.sPageListNum, 2, 4, ppAddr, pcb, pwType);
    case 41: return _Answer(&r.sMixplex, 2, 4, ppAddr, pcb, pwType);
    case 57: return _Answer(r.pDetail, INTERSHEET_DETAIL, 64, ppAddr, pcb, pwType);
    case 63: return _Answer(r.pTabBlock, INTERSHEET_TABBLOCK, 64, ppAddr, pcb, pwType);
    default: break;
    }
    if (wFieldId == 42 || _FindField(g_aEntryField, wFieldId)) {
        if (iEntry < 0 || iEntry >= INTERSHEET_ENTRIES || !r.pEntries)
            return FALSE;
        BYTE* pEntry = r.pEntries + INSERTSHEET_SIZE * iEntry;
        if (wFieldId == 42)
            return _Answer(pEntry, INSERTSHEET_SIZE, 64, ppAddr, pcb, pwType);
        const FIELDDESC* f = _FindField(g_aEntryField, wFieldId);
        return _Answer(pEntry + f->wOffset, f->wSize, f->wType, ppAddr, pcb, pwType);
    }
    if (const FIELDDESC* f = _FindField(g_aDetailField, wFieldId))
        return r.pDetail && _Answer(r.pDetail + f->wOffset, f->wSize, f->wType, ppAddr, pcb, pwType);
    if (const FIELDDESC* f = _FindField(g_aTabField, wFieldId))
        return r.pTabBlock && _Answer(r.pTabBlock + f->wOffset, f->wSize, f->wType, ppAddr, pcb, pwType);
    return FALSE;
}

BOOL LocateFormField(WORD wFieldId, int iEntry, int iEntryLess1, void** ppAddr, DWORD* pcb, WORD* pwType,
                     FORMLIST* pList)
{
    if (!bFeatureEnabled(FEATURE_FORM) || !pList)
        return FALSE;
    switch (wFieldId) {
    case 3: return _Answer(pList->szCreateFileName, sizeof(pList->szCreateFileName), 128, ppAddr, pcb, pwType);
    case 4: return _Answer(pList->szPrintFileName, sizeof(pList->szPrintFileName), 128, ppAddr, pcb, pwType);
    // Field 8 is the list's count alone: an 8-byte block from it would also
    // cover the reserved word and the file-name pointer after it, and a
    // copy through it would overwrite the pointer.
    case 8: return _Answer(&pList->wFormListNum, 2, 64, ppAddr, pcb, pwType);
    case 9: return _Answer(&pList->wFormListNum, 2, 2, ppAddr, pcb, pwType);
    case 10:
        if (!pList->pFiles || iEntry < 0 || iEntry >= FORMLIST_FILES)
            return FALSE;
        return _Answer(pList->pFiles[iEntry], sizeof(pList->pFiles[0]), 128, ppAddr, pcb, pwType);
    case 5:
    case 6:
    case 7: {
        if (!pList->pCaptions || iEntryLess1 < 0 || iEntryLess1 >= FORMLIST_CAPTIONS)
            return FALSE;
        FORMCAPTION& c = pList->pCaptions[iEntryLess1];
        if (wFieldId == 5)
            return _Answer(c.szCaption, sizeof(c.szCaption), 128, ppAddr, pcb, pwType);
        if (wFieldId == 6)
            return _Answer(c.szMessage, sizeof(c.szMessage), 128, ppAddr, pcb, pwType);
        return _Answer(&c.dwStyle, 4, 16, ppAddr, pcb, pwType);
    }
    default:
        return FALSE;
    }
}

BOOL LocateFontSubField(WORD wFieldId, int iEntry, void** ppAddr, DWORD* pcb, WORD* pwType, FONTSUBLIST* pList)
{
    if (!bFeatureEnabled(FEATURE_FONTSUB) || !pList)
        return FALSE;
    switch (wFieldId) {
    case 31: return _Answer(&pList->sCount, 2, 4, ppAddr, pcb, pwType);
    case 32: return _Answer(&pList->sIndex, 2, 4, ppAddr, pcb, pwType);
    case 34:
    case 36:
        if (!pList->pPairs || iEntry < 0 || iEntry >= FONTSUB_PAIRS)
            return FALSE;
        return _Answer(wFieldId == 34 ? pList->pPairs[iEntry].szTrueType : pList->pPairs[iEntry].szDevice, 64, 128,
                       ppAddr, pcb, pwType);
    default:
        return FALSE;
    }
}

static int _Access(BOOL bFound, void* pAddr, DWORD cb, WORD wFieldType, void* pBuf, DWORD* pcbBuf, WORD wType,
                   void** ppAddr, DWORD* pcb, WORD* pwType)
{
    if (!bFound)
        return -1;
    if (ppAddr)
        *ppAddr = pAddr;
    if (pcb)
        *pcb = cb;
    if (pwType)
        *pwType = wFieldType;
    return GetTypedValue(pAddr, cb, pBuf, pcbBuf, wFieldType, wType);
}

int AccessInterSheetField(WORD wFieldId, void* pBuf, DWORD* pcbBuf, WORD wType, int iList, int iEntry,
                          void** ppAddr, DWORD* pcb, WORD* pwType, INTERSHEETLIST* pList)
{
    void* pAddr = nullptr;
    DWORD cbField = 0;
    WORD wFieldType = 0;
    BOOL b = LocateInterSheetField(wFieldId, iList, iEntry, &pAddr, &cbField, &wFieldType, pList);
    return _Access(b, pAddr, cbField, wFieldType, pBuf, pcbBuf, wType, ppAddr, pcb, pwType);
}

int AccessFormField(WORD wFieldId, void* pBuf, DWORD* pcbBuf, WORD wType, int iEntry, void** ppAddr,
                    DWORD* pcb, WORD* pwType, FORMLIST* pList)
{
    void* pAddr = nullptr;
    DWORD cbField = 0;
    WORD wFieldType = 0;
    BOOL b = LocateFormField(wFieldId, iEntry, iEntry - 1, &pAddr, &cbField, &wFieldType, pList);
    return _Access(b, pAddr, cbField, wFieldType, pBuf, pcbBuf, wType, ppAddr, pcb, pwType);
}

int AccessFontSubField(WORD wFieldId, void* pBuf, DWORD* pcbBuf, WORD wType, int iEntry, void** ppAddr,
                       DWORD* pcb, WORD* pwType, FONTSUBLIST* pList)
{
    void* pAddr = nullptr;
    DWORD cbField = 0;
    WORD wFieldType = 0;
    BOOL b = LocateFontSubField(wFieldId, iEntry, &pAddr, &cbField, &wFieldType, pList);
    return _Access(b, pAddr, cbField, wFieldType, pBuf, pcbBuf, wType, ppAddr, pcb, pwType);
}

void SetDefaultInterSheetList(INTERSHEETLIST* pList)
{
    if (!pList || !pList->pLists)
        return;
    POPTIONDB pdb = OpenOptionDb();
    SHORT sPageListNum = (SHORT)GetOptionDefault(pdb, kOptPageListNum);
    WORD wPaper = (WORD)GetOptionDefault(pdb, kOptTabPaperSize);
    WORD wPosition = (WORD)GetOptionDefault(pdb, kOptTabPosition);
    BYTE abTab[INTERSHEET_TABBLOCK] = {};
    memcpy(abTab, &wPaper, 2);
    abTab[2] = (BYTE)GetOptionDefault(pdb, kOptTabIndexNum);
    abTab[3] = (BYTE)GetOptionDefault(pdb, kOptTabTop);
    abTab[4] = (BYTE)GetOptionDefault(pdb, kOptTabBottom);
    abTab[5] = (BYTE)GetOptionDefault(pdb, kOptTabSpace);
    memcpy(abTab + 6, &wPosition, 2);
    CloseOptionDb(pdb);
    for (int i = 0; i < INTERSHEET_LISTS; ++i) {
        INTERSHEETREC& r = pList->pLists[i];
        memset(r.szName, 0, sizeof(r.szName));
        lstrcpynW(r.szName, GetResString(kStrInterSheetName + i), 17);
        r.sPageListNum = sPageListNum;
        r.sMixplex = sPageListNum;
        if (r.pTabBlock)
            memcpy(r.pTabBlock, abTab, sizeof(abTab));
    }
}

void SetDefaultFormList(FORMLIST* pList)
{
    if (!pList)
        return;
    pList->wFormListNum = 0;
    if (pList->pFiles)
        memset(pList->pFiles, 0, sizeof(WCHAR) * 260 * FORMLIST_FILES);
    for (int i = 0; pList->pCaptions && i < FORMLIST_CAPTIONS; ++i) {
        FORMCAPTION& c = pList->pCaptions[i];
        memset(&c, 0, sizeof(c));
        if (i > 0)
            lstrcpynW(c.szCaption, GetResString(kStrFormCaption2 + i - 1), 278);
        lstrcpynW(c.szMessage, GetResString(kStrFormMessage1 + i), 278);
        c.dwStyle = kFormStyleDefault;
    }
}

INTERSHEETLIST* CreateInterSheetList()
{
    if (!bFeatureEnabled(FEATURE_INTERSHEET))
        return nullptr;
    INTERSHEETLIST* pList = (INTERSHEETLIST*)ParamAllocBlock(sizeof(INTERSHEETLIST));
    INTERSHEETREC* pLists = (INTERSHEETREC*)ParamAllocBlock(sizeof(INTERSHEETREC) * INTERSHEET_LISTS);
    BOOL bOk = pList && pLists;
    for (int i = 0; bOk && i < INTERSHEET_LISTS; ++i) {
        pLists[i].pEntries = (BYTE*)ParamAllocBlock(INSERTSHEET_SIZE * INTERSHEET_ENTRIES);
        pLists[i].pTabBlock = (BYTE*)ParamAllocBlock(INTERSHEET_TABBLOCK);
        pLists[i].pDetail = (BYTE*)ParamAllocBlock(INTERSHEET_DETAIL);
        pLists[i].pWork = (BYTE*)ParamAllocBlock(INTERSHEET_WORK);
        bOk = pLists[i].pEntries && pLists[i].pTabBlock && pLists[i].pDetail && pLists[i].pWork;
    }
    if (!bOk) {
        _FreeInterSheetRecs(pLists);
        ParamFree(&pLists);
        ParamFree(&pList);
        return nullptr;
    }
    pList->pLists = pLists;
    return pList;
}

void FreeInterSheetList(INTERSHEETLIST** ppList)
{
    if (!ppList || !*ppList)
        return;
    _FreeInterSheetRecs((*ppList)->pLists);
    ParamFree(&(*ppList)->pLists);
    ParamFree(ppList);
}

BOOL CopyInterSheetList(INTERSHEETLIST* pTarget, const INTERSHEETLIST* pSource)
{
    if (!pTarget || !pSource || !pTarget->pLists || !pSource->pLists)
        return FALSE;
    for (int i = 0; i < INTERSHEET_LISTS; ++i) {
        INTERSHEETREC& d = pTarget->pLists[i];
        const INTERSHEETREC& s = pSource->pLists[i];
        memcpy(d.szName, s.szName, sizeof(d.szName));
        d.sPageListNum = s.sPageListNum;
        d.sMixplex = s.sMixplex;
        if (d.pEntries && s.pEntries)
            memcpy(d.pEntries, s.pEntries, INSERTSHEET_SIZE * INTERSHEET_ENTRIES);
        if (d.pTabBlock && s.pTabBlock)
            memcpy(d.pTabBlock, s.pTabBlock, INTERSHEET_TABBLOCK);
        if (d.pDetail && s.pDetail)
            memcpy(d.pDetail, s.pDetail, INTERSHEET_DETAIL);
        if (d.pWork && s.pWork)
            memcpy(d.pWork, s.pWork, INTERSHEET_WORK);
    }
    return TRUE;
}

FORMLIST* CreateFormList()
{
    if (!bFeatureEnabled(FEATURE_FORM))
        return nullptr;
    FORMLIST* pList = (FORMLIST*)ParamAllocBlock(sizeof(FORMLIST));
    auto* pFiles = (WCHAR(*)[260])ParamAllocBlock(sizeof(WCHAR) * 260 * FORMLIST_FILES);
    FORMCAPTION* pCaptions = (FORMCAPTION*)ParamAllocBlock(sizeof(FORMCAPTION) * FORMLIST_CAPTIONS);
    if (!pList || !pFiles || !pCaptions) {
        ParamFree(&pCaptions);
        ParamFree(&pFiles);
        ParamFree(&pList);
        return nullptr;
    }
    pList->pFiles = pFiles;
    pList->pCaptions = pCaptions;
    return pList;
}

void FreeFormList(FORMLIST** ppList)
{
    if (!ppList || !*ppList)
        return;
    ParamFree(&(*ppList)->pFiles);
    ParamFree(&(*ppList)->pCaptions);
    ParamFree(ppList);
}

BOOL CopyFormList(FORMLIST* pTarget, const FORMLIST* pSource)
{
    if (!pTarget || !pSource)
        return FALSE;
    auto* pFiles = pTarget->pFiles;
    FORMCAPTION* pCaptions = pTarget->pCaptions;
    memcpy(pTarget, pSource, sizeof(FORMLIST));
    pTarget->pFiles = pFiles;
    pTarget->pCaptions = pCaptions;
    if (pFiles && pSource->pFiles)
        memcpy(pFiles, pSource->pFiles, sizeof(WCHAR) * 260 * FORMLIST_FILES);
    if (pCaptions && pSource->pCaptions)
        memcpy(pCaptions, pSource->pCaptions, sizeof(FORMCAPTION) * FORMLIST_CAPTIONS);
    return TRUE;
}

FONTSUBLIST* CreateFontSubList()
{
    if (!bFeatureEnabled(FEATURE_FONTSUB))
        return nullptr;
    FONTSUBLIST* pList = (FONTSUBLIST*)ParamAllocBlock(sizeof(FONTSUBLIST));
    FONTSUBPAIR* pPairs = (FONTSUBPAIR*)ParamAllocBlock(sizeof(FONTSUBPAIR) * FONTSUB_PAIRS);
    if (!pList || !pPairs) {
        ParamFree(&pPairs);
        ParamFree(&pList);
        return nullptr;
    }
    pList->pPairs = pPairs;
    return pList;
}

void FreeFontSubList(FONTSUBLIST** ppList)
{
    if (!ppList || !*ppList)
        return;
    ParamFree(&(*ppList)->pPairs);
    ParamFree(ppList);
}

BOOL CopyFontSubList(FONTSUBLIST* pTarget, const FONTSUBLIST* pSource)
{
    if (!pTarget || !pSource)
        return FALSE;
    pTarget->sCount = pSource->sCount;
    pTarget->sIndex = pSource->sIndex;
    if (pTarget->pPairs && pSource->pPairs)
        memcpy(pTarget->pPairs, pSource->pPairs, sizeof(FONTSUBPAIR) * FONTSUB_PAIRS);
    return TRUE;
}

int CountDefaultFontPairs()
{
    int n = 0;
    while (g_aFontSubDefault[n].pszTrueType[0] || g_aFontSubDefault[n].pszDevice[0])
        ++n;
    return n;
}

void SetDefaultFontSubList(FONTSUBLIST* pList)
{
    if (!pList || !pList->pPairs)
        return;
    int n = CountDefaultFontPairs();
    memset(pList->pPairs, 0, sizeof(FONTSUBPAIR) * FONTSUB_PAIRS);
    for (int i = 0; i < n && i < FONTSUB_PAIRS; ++i) {
        lstrcpynW(pList->pPairs[i].szTrueType, g_aFontSubDefault[i].pszTrueType, 32);
        lstrcpynW(pList->pPairs[i].szDevice, g_aFontSubDefault[i].pszDevice, 32);
    }
    pList->sCount = (SHORT)n;
    pList->sIndex = 0;
}

LISTSET* CreateListSet()
{
    LISTSET* pSet = (LISTSET*)ParamAllocBlock(sizeof(LISTSET));
    if (!pSet)
        return nullptr;
    BOOL bOk = TRUE;
    if (bFeatureEnabled(FEATURE_INTERSHEET))
        bOk = bOk && (pSet->pInterSheet = CreateInterSheetList()) != nullptr;
    if (bFeatureEnabled(FEATURE_FORM))
        bOk = bOk && (pSet->pForm = CreateFormList()) != nullptr;
    if (bFeatureEnabled(FEATURE_WATERMARK))
        bOk = bOk && (pSet->pWatermark = CreateWatermarkList()) != nullptr;
    if (bFeatureEnabled(FEATURE_FONTSUB))
        bOk = bOk && (pSet->pFontSub = CreateFontSubList()) != nullptr;
    if (bFeatureEnabled(FEATURE_FAXCOVER))
        bOk = bOk && (pSet->pFaxCover = (BYTE*)ParamAllocBlock(FAXCOVER_SIZE)) != nullptr;
    if (bFeatureEnabled(FEATURE_UDPAPER))
        bOk = bOk && (pSet->pUserPapers = AllocUserPapers()) != nullptr;
    if (!bOk)
        FreeListSet(&pSet);
    return pSet;
}

void FreeListSet(LISTSET** ppSet)
{
    if (!ppSet || !*ppSet)
        return;
    LISTSET* pSet = *ppSet;
    FreeInterSheetList(&pSet->pInterSheet);
    FreeFormList(&pSet->pForm);
    FreeWatermarkList(&pSet->pWatermark);
    FreeFontSubList(&pSet->pFontSub);
    ParamFree(&pSet->pFaxCover);
    FreeUserPapers(&pSet->pUserPapers);
    ParamFree(ppSet);
}

BOOL CopyListSet(LISTSET* pTarget, const LISTSET* pSource)
{
    if (!pTarget || !pSource)
        return FALSE;
    if (pTarget->pInterSheet && pSource->pInterSheet)
        CopyInterSheetList(pTarget->pInterSheet, pSource->pInterSheet);
    if (pTarget->pForm && pSource->pForm)
        CopyFormList(pTarget->pForm, pSource->pForm);
    if (pTarget->pWatermark && pSource->pWatermark)
        CopyWatermarkList(pTarget->pWatermark, pSource->pWatermark);
    if (pTarget->pFontSub && pSource->pFontSub)
        CopyFontSubList(pTarget->pFontSub, pSource->pFontSub);
    if (pTarget->pFaxCover && pSource->pFaxCover)
        memcpy(pTarget->pFaxCover, pSource->pFaxCover, FAXCOVER_SIZE);
    if (pTarget->pUserPapers && pSource->pUserPapers)
        CopyUserPapers(pTarget->pUserPapers, pSource->pUserPapers);
    return TRUE;
}

BOOL bLoadProfileLists(UISETTINGS* pObj)
{
    if (!pObj || !pObj->trailer.pListSet)
        return FALSE;
    LISTSET* pSet = pObj->trailer.pListSet;
    REGTREESET* pTables = &pObj->trailer.regTree;
    LPCWSTR pszPrinter = pObj->trailer.pszPrinterName;
    BOOL bOk = TRUE;
    if (pSet->pInterSheet)
        bOk &= RegTreeWalkList(pSet->pInterSheet, pTables, FEATURE_INTERSHEET, pszPrinter, RTW_LOAD);
    if (pSet->pForm)
        bOk &= RegTreeWalkList(pSet->pForm, pTables, FEATURE_FORM, pszPrinter, RTW_LOAD);
    if (pSet->pWatermark)
        bOk &= LoadWatermarkList(pSet->pWatermark, pTables, pszPrinter);
    if (pSet->pFontSub) {
        bOk &= RegTreeWalkList(pSet->pFontSub, pTables, FEATURE_FONTSUB, pszPrinter, RTW_LOAD);
        // A user without stored substitutions starts with the default pairs.
        if (pSet->pFontSub->sCount <= 0)
            SetDefaultFontSubList(pSet->pFontSub);
    }
    if (pSet->pUserPapers && pszPrinter) {
        HANDLE hPrinter = nullptr;
        if (OpenPrinterW((LPWSTR)pszPrinter, &hPrinter, nullptr)) {
            ReadUserPapers(pSet->pUserPapers, hPrinter);
            ClosePrinter(hPrinter);
        }
    }
    return bOk;
}

BOOL bSaveProfileLists(UISETTINGS* pObj)
{
    if (!pObj || !pObj->trailer.pListSet)
        return FALSE;
    LISTSET* pSet = pObj->trailer.pListSet;
    REGTREESET* pTables = &pObj->trailer.regTree;
    LPCWSTR pszPrinter = pObj->trailer.pszPrinterName;
    BOOL bOk = TRUE;
    if (pSet->pInterSheet)
        bOk &= RegTreeWalkList(pSet->pInterSheet, pTables, FEATURE_INTERSHEET, pszPrinter, RTW_STORE);
    if (pSet->pForm)
        bOk &= RegTreeWalkList(pSet->pForm, pTables, FEATURE_FORM, pszPrinter, RTW_STORE);
    if (pSet->pWatermark)
        bOk &= RegTreeWalkList(pSet->pWatermark, pTables, FEATURE_WATERMARK, pszPrinter, RTW_STORE);
    if (pSet->pFontSub)
        bOk &= RegTreeWalkList(pSet->pFontSub, pTables, FEATURE_FONTSUB, pszPrinter, RTW_STORE);
    // The user papers are the printer's data, not the user's: written (the
    // slots that changed) only where this user may write them, a printer
    // reached by its own name and not through another machine.
    if (pSet->pUserPapers && pszPrinter && bUserPapersWritable(pszPrinter, TRUE)) {
        HANDLE hPrinter = nullptr;
        if (OpenPrinterW((LPWSTR)pszPrinter, &hPrinter, nullptr)) {
            bOk &= WriteUserPapers(pSet->pUserPapers, hPrinter);
            ClosePrinter(hPrinter);
        } else {
            bOk = FALSE;
        }
    }
    return bOk;
}

BOOL bStoreDefaultProfileLists(REGTREESET* pTables, LPCWSTR pszPrinter)
{
    if (!pTables || !pszPrinter)
        return FALSE;
    LoadResourceDll();
    BOOL bOk = TRUE;
    if (INTERSHEETLIST* p = CreateInterSheetList()) {
        SetDefaultInterSheetList(p);
        bOk &= RegTreeWalkList(p, pTables, FEATURE_INTERSHEET, pszPrinter, RTW_STORE_DEFAULTS);
        FreeInterSheetList(&p);
    }
    if (FORMLIST* p = CreateFormList()) {
        SetDefaultFormList(p);
        bOk &= RegTreeWalkList(p, pTables, FEATURE_FORM, pszPrinter, RTW_STORE_DEFAULTS);
        FreeFormList(&p);
    }
    if (WATERMARKLIST* p = CreateWatermarkList()) {
        SetDefaultWatermarks(p);
        bOk &= RegTreeWalkList(p, pTables, FEATURE_WATERMARK, pszPrinter, RTW_STORE_DEFAULTS);
        FreeWatermarkList(&p);
    }
    if (FONTSUBLIST* p = CreateFontSubList()) {
        SetDefaultFontSubList(p);
        bOk &= RegTreeWalkList(p, pTables, FEATURE_FONTSUB, pszPrinter, RTW_STORE_DEFAULTS);
        FreeFontSubList(&p);
    }
    FreeResourceDll();
    return bOk;
}

void SaveUserProfileOnApply(UISETTINGS* pObj, int iMode)
{
    if (!pObj || iMode != 2)
        return;
    REGTREESET tables;
    BuildRegTreeTables(&tables);
    PurgeUserPrinterKey(&tables, pObj->trailer.pszPrinterName);
    FreeRegTreeTables(&tables);
    bSaveProfileLists(pObj);
}

void ResetInterSheetState(UISETTINGS* pObj)
{
    if (!pObj || !bFeatureEnabledAt(2))
        return;
    _SetSlotShort(pObj, kParamPageListNum, 0);
    SHORT sList = GetParamEdited(pObj, kParamInterSheetList);
    _SetSlotShort(pObj, kParamNCurrent, sList < 0 ? 0 : sList);
    if (INSERTSHEETWORK* pWork = GetInsertSheetWork(pObj))
        pWork->wEntry = 0;
}

INSERTSHEETWORK* GetInsertSheetWork(UISETTINGS* pObj)
{
    return pObj ? (INSERTSHEETWORK*)GetParamSlot(pObj, INSERTWORK_PARAM) : nullptr;
}

void GetInterSheetState(UISETTINGS* pObj, BYTE* pBlock)
{
    if (!pObj || !pBlock || !bFeatureEnabledAt(2))
        return;
    SHORT sPaper = GetParamEdited(pObj, kParamTabPaperSize);
    SHORT sPos = GetParamEdited(pObj, kParamTabTextPosition);
    memcpy(pBlock, &sPaper, 2);
    pBlock[2] = (BYTE)GetParamEdited(pObj, kParamTabIndexNum);
    pBlock[3] = (BYTE)GetParamEdited(pObj, kParamTabTopMargin);
    pBlock[4] = (BYTE)GetParamEdited(pObj, kParamTabBottomMargin);
    pBlock[5] = (BYTE)GetParamEdited(pObj, kParamTabIndexSpace);
    memcpy(pBlock + 6, &sPos, 2);
}

void SetInterSheetState(UISETTINGS* pObj, const BYTE* pBlock)
{
    if (!pObj || !pBlock || !bFeatureEnabledAt(2))
        return;
    SHORT sPaper, sPos;
    memcpy(&sPaper, pBlock, 2);
    memcpy(&sPos, pBlock + 6, 2);
    SetParamEdited(pObj, kParamTabPaperSize, sPaper);
    SetParamEdited(pObj, kParamTabIndexNum, pBlock[2]);
    SetParamEdited(pObj, kParamTabTopMargin, pBlock[3]);
    SetParamEdited(pObj, kParamTabBottomMargin, pBlock[4]);
    SetParamEdited(pObj, kParamTabIndexSpace, pBlock[5]);
    SetParamEdited(pObj, kParamTabTextPosition, sPos);
}
