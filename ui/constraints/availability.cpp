// availability.cpp: item availability entry points, the change lists, the
// custom-size memo and the seed fix-ups (see resolver.h).
#include <cstring>

#include "ui/constraints/resolver.h"
#include "ui/settings/strcache.h"
#include "ui/constraints/rules.h"
#include "ui/constraints/tables.h"
#include "ui/settings/listset.h"
#include "ui/settings/uiparam.h"

#define P_TABPAPERSIZE 184

static void* _Alloc(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb ? cb : 1);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

static void _Free(void** pp)
{
    if (pp && *pp) {
        HGLOBAL h = GlobalHandle(*pp);
        GlobalUnlock(h);
        GlobalFree(h);
        *pp = nullptr;
    }
}

// ---- Item availability ----

int UpdateItemAvailability(UISETTINGS* pObj, WORD wFeature, int iItem)
{
    BindFeatureFields(pObj);
    FVLITEM* it = GetFeatureItem(wFeature, iItem);
    if (!it)
        return 0;
    // Every evaluation starts from an enabled item: the rules only ever
    // disable, so a state left from an earlier evaluation must not stand.
    it->sEnabled = ITEM_ENABLED;
    for (int n = 2; n <= 5; ++n)
        ItemBlockedByN(n, pObj, wFeature, iItem);
    CheckPaperTypeItem(pObj, wFeature, iItem);
    CheckStaplePositionItem(pObj, wFeature, iItem);
    CheckPunchPositionItem(pObj, wFeature, iItem);
    CheckFoldSettingsItem(pObj, wFeature, iItem);
    CheckSingleSheetNupItem(pObj, wFeature, iItem);
    CheckBookletItem(pObj, wFeature, iItem);
    CheckFoldItem(pObj, wFeature, iItem);
    return it->sEnabled;
}

int UpdateFeatureAvailability(UISETTINGS* pObj, WORD wFeature)
{
    BindFeatureFields(pObj);
    int n = GetFeatureItemCount(wFeature);
    SHORT sPos = 0;
    for (int j = 0; j < n; ++j) {
        UpdateItemAvailability(pObj, wFeature, j);
        FVLITEM* it = GetFeatureItem(wFeature, j);
        // Positions count the enabled items only, as the combo box holds
        // them.
        it->sIndex = it->sEnabled == ITEM_DISABLED ? ITEM_HIDDEN : sPos++;
    }
    return n;
}

void UpdateAllItemAvailability(UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    for (int i = 0; i < g_cFeatures; ++i)
        if (g_aFeatures[i].wKind == FK_LIST)
            UpdateFeatureAvailability(pObj, g_aFeatures[i].wId);
}

BOOL SelectFirstAvailableItem(HWND hwnd, UISETTINGS* pObj, WORD wFeature)
{
    BindFeatureFields(pObj);
    DWORD dwState = GetDependencyState(wFeature);
    SetDependencyState(wFeature, 1);
    UpdateFeatureAvailability(pObj, wFeature);
    SetDependencyState(wFeature, dwState);
    int j = FindFeatureItem(wFeature, GetFeatureValue(wFeature));
    if (j >= 0 && GetFeatureItem(wFeature, j)->sEnabled == ITEM_ENABLED)
        return FALSE;
    int n = GetFeatureItemCount(wFeature);
    for (int k = 0; k < n; ++k)
        if (GetFeatureItem(wFeature, k)->sEnabled == ITEM_ENABLED) {
            SetFeatureValue(wFeature, GetFeatureItem(wFeature, k)->sValue);
            return TRUE;
        }
    return FALSE;
}

BOOL bTrayUsableForCustomSize(HWND hwnd, UISETTINGS* pObj, WORD* pcEnabled)
{
    BindFeatureFields(pObj);
    SHORT sOut = GetFeatureValue(114);
    DWORD dwState = GetDependencyState(120);
    SetFeatureValue(114, 256);
    SetDependencyState(120, 1);
    int n = UpdateFeatureAvailability(pObj, 120);
    WORD c = 0;
    for (int j = 0; j < n; ++j)
        if (GetFeatureItem(120, j)->sEnabled == ITEM_ENABLED)
            ++c;
    int cur = FindFeatureItem(120, GetFeatureValue(120));
    BOOL bUsable = cur >= 0 && GetFeatureItem(120, cur)->sEnabled == ITEM_ENABLED;
    if (pcEnabled)
        *pcEnabled = c;
    SetFeatureValue(114, sOut);
    SetDependencyState(120, dwState);
    UpdateFeatureAvailability(pObj, 120);
    return bUsable;
}

// ---- Insert sheets ----

// The settings object's insert-sheet table (block parameter 205, the count
// in parameter 208): the entries of the current list as the Cover page
// edits them.
static BYTE* _InsertEntries(UISETTINGS* pObj, int* pc)
{
    *pc = 0;
    BYTE* pTable = GetParamSlot(pObj, 205);
    const BYTE* pCount = GetParamSlot(pObj, 208);
    if (!pTable || !pCount)
        return nullptr;
    SHORT n;
    memcpy(&n, pCount, 2);
    if (n <= 0)
        return nullptr;
    *pc = n > INTERSHEET_ENTRIES ? INTERSHEET_ENTRIES : n;
    return pTable;
}

static WORD _EntryWord(const BYTE* e, int off)
{
    WORD w;
    memcpy(&w, e + off, 2);
    return w;
}

static void _SetEntryWord(BYTE* e, int off, WORD w)
{
    memcpy(e + off, &w, 2);
}

static BOOL _ItemEnabled(WORD wFeature, SHORT sCode)
{
    int j = FindFeatureItem(wFeature, sCode);
    return j >= 0 && GetFeatureItem(wFeature, j)->sEnabled == ITEM_ENABLED;
}

int CountInvalidInsertSheets(HWND hwnd, UISETTINGS* pObj, int iMode)
{
    BindFeatureFields(pObj);
    int cEntries = 0;
    BYTE* pEntries = _InsertEntries(pObj, &cEntries);
    if (!bFeatureEnabled(FEATURE_INTERSHEET) || !pEntries || GetDependencyState(249) != 1)
        return 0;
    int cBefore = 0;
    if (iMode == 2)
        for (int i = 0; i < cEntries; ++i)
            if (_EntryWord(pEntries + i * INSERTSHEET_SIZE, 262) == ITEM_DISABLED)
                ++cBefore;
    static const WORD kDlg[4] = {2405, 2407, 2409, 2411};
    SHORT asVal[4];
    DWORD adwState[4];
    for (int k = 0; k < 4; ++k) {
        asVal[k] = GetFeatureValue(kDlg[k]);
        adwState[k] = GetDependencyState(kDlg[k]);
        SetDependencyState(kDlg[k], 1);
    }
    BOOL bDuplex = (GetDependencyState(132) == 1 && GetDependencyState(133) == 1) ||
                   (GetDependencyState(310) == 1 && GetDependencyState(311) == 1);
    SHORT sOut = GetFeatureValue(114);
    SHORT sTabSize = GetParamEdited(pObj, P_TABPAPERSIZE);
    BOOL bStapleConflict = FALSE;
    if ((GetDependencyState(130) == 1 && GetDependencyState(131) == 1) ||
        (GetDependencyState(319) == 1 && GetDependencyState(320) == 1)) {
        DWORD st = GetDependencyState(131);
        SetFeatureValue(114, sTabSize);
        SetDependencyState(131, 1);
        UpdateFeatureAvailability(pObj, 131);
        bStapleConflict = !_ItemEnabled(131, GetFeatureValue(131));
        SetFeatureValue(114, sOut);
        SetDependencyState(131, st);
        UpdateFeatureAvailability(pObj, 131);
    }
    int cInvalid = 0;
    for (int i = 0; i < cEntries; ++i) {
        BYTE* e = pEntries + i * INSERTSHEET_SIZE;
        SHORT sType = (SHORT)_EntryWord(e, 258), sSource = (SHORT)_EntryWord(e, 260);
        SHORT sBind = (SHORT)_EntryWord(e, 264), sTab = (SHORT)_EntryWord(e, 266);
        SetFeatureValue(2405, sType);
        SetFeatureValue(2407, sSource);
        SetFeatureValue(2409, sBind);
        SetFeatureValue(2411, sTab);
        if (sTab)
            SetFeatureValue(114, sTabSize);
        else if (sOut == 257)
            SetFeatureValue(114, (SHORT)(GetFeatureValue(111) & ~0x1000));
        UpdateFeatureAvailability(pObj, 2407);
        UpdateFeatureAvailability(pObj, 2405);
        UpdateFeatureAvailability(pObj, 2409);
        BOOL bBad = !_ItemEnabled(2407, sSource) || !_ItemEnabled(2405, sType) || !_ItemEnabled(2409, sBind);
        if (sTab) {
            bBad = bBad || bStapleConflict ||
                   (sSource == 4 && bFeatureUsable(231) && GetFeatureValue(231) != 8) ||
                   (bFeatureUsable(136) && bFeatureUsable(137)) || (bFeatureUsable(321) && bFeatureUsable(322)) ||
                   (bFeatureUsable(308) && bFeatureUsable(309)) || (bFeatureUsable(317) && bFeatureUsable(318)) ||
                   (GetFeatureValue(2434) == 0 && bDuplex) || GetFeatureValue(611) == 1;
        }
        _SetEntryWord(e, 262, bBad ? ITEM_DISABLED : ITEM_ENABLED);
        if (bBad)
            ++cInvalid;
        SetFeatureValue(114, sOut);
    }
    for (int k = 0; k < 4; ++k) {
        SetFeatureValue(kDlg[k], asVal[k]);
        SetDependencyState(kDlg[k], adwState[k]);
    }
    UpdateFeatureAvailability(pObj, 2407);
    UpdateFeatureAvailability(pObj, 2405);
    UpdateFeatureAvailability(pObj, 2409);
    if (iMode == 1)
        return cInvalid;
    if (iMode == 2)
        return cInvalid - cBefore;
    return 0;
}

// ---- Custom size ----

static SHORT s_asCustomMemo[2] = {0, 0};

SHORT FoldCustomPaperCode(SHORT sCode)
{
    return (sCode & 0x200) ? 256 : sCode;
}

void RememberCustomSizeValue(WORD wFeature, SHORT sValue)
{
    if (wFeature == 111)
        s_asCustomMemo[0] = sValue;
    else if (wFeature == 114)
        s_asCustomMemo[1] = sValue;
}

SHORT GetRememberedCustomSize(WORD wFeature)
{
    return wFeature == 111 ? s_asCustomMemo[0] : wFeature == 114 ? s_asCustomMemo[1] : 0;
}

int SubstituteCustomSize(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq)
{
    if (!pReq || !pReq->cEntries)
        return 0;
    CHANGE6& e = pReq->pEntries[0];
    if ((e.wFeature != 111 && e.wFeature != 114) || e.sNew != 512)
        return 0;
    BindFeatureFields(pObj);
    e.sNew = GetRememberedCustomSize(e.wFeature);
    SetFeatureValue(e.wFeature, e.sNew);
    return 1;
}

// ---- Change lists ----

static void _StoreList(CHANGE6* pWork, WORD c, CHANGE6** ppList, WORD* pc)
{
    _Free((void**)ppList);
    *pc = 0;
    if (!c)
        return;
    CHANGE6* p = (CHANGE6*)_Alloc(c * sizeof(CHANGE6));
    if (!p)
        return;
    memcpy(p, pWork, c * sizeof(CHANGE6));
    *ppList = p;
    *pc = c;
}

void CollectPageChanges(UISETTINGS* pObj, WORD wPage)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st)
        return;
    BindFeatureFields(pObj);
    CHANGE6 work[RESOLVE_MAX_CHANGES];
    WORD c = 0;
    for (int i = 0; i < g_cFeatures && c < RESOLVE_MAX_CHANGES; ++i) {
        const FEATURE& f = g_aFeatures[i];
        if (f.wPage != wPage || !(f.wKind & FK_VALUEKINDS) || !f.pValue)
            continue;
        SHORT cur = GetFeatureValue(f.wId);
        if (cur != f.sSnapshot)
            work[c++] = {f.wId, f.sSnapshot, cur};
    }
    _StoreList(work, c, &st->pPageChanges, &st->cPageChanges);
    st->wPageChangesPage = st->cPageChanges ? wPage : 0;
}

void ForgetPageChanges(UISETTINGS* pObj)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st)
        return;
    _Free((void**)&st->pPageChanges);
    st->cPageChanges = 0;
    st->wPageChangesPage = 0;
}

void AppendPageChanges(UISETTINGS* pObj, RESOLVEREQ* pReq)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st || !st->cPageChanges || !st->pPageChanges)
        return;
    for (WORD i = 0; i < st->cPageChanges; ++i) {
        const CHANGE6& e = st->pPageChanges[i];
        if (FindSeed(pReq, e.wFeature) < 0)
            AppendSeed(pReq, e.wFeature, e.sOld, e.sNew);
    }
}

void CollectChangedFeatures(UISETTINGS* pObj)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st)
        return;
    BindFeatureFields(pObj);
    // Room for every feature: a recall may change all of them.
    CHANGE6 work[256];
    WORD c = 0;
    for (int i = 0; i < g_cFeatures && c < 256; ++i) {
        const FEATURE& f = g_aFeatures[i];
        if (!(f.wKind & FK_VALUEKINDS) || !f.pValue || (f.dwGroups & FG_RESTORE) || f.wPage == DLG_INSERT ||
            f.wPage == DLG_INSERTDEF || f.wPage == DLG_TABTEXT)
            continue;
        SHORT cur = GetFeatureValue(f.wId);
        if (cur != f.sSnapshot)
            work[c++] = {f.wId, cur, cur};
    }
    _StoreList(work, c, &st->pChanged, &st->cChanged);
}

void ForgetChangedFeatures(UISETTINGS* pObj)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st)
        return;
    _Free((void**)&st->pChanged);
    st->cChanged = 0;
}

void KeepOpenReport(UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st || !pReq || !pRes)
        return;
    FreeOpenReport(pObj);
    OPENREPORT* h = (OPENREPORT*)_Alloc(sizeof(OPENREPORT));
    if (!h)
        return;
    st->pOpenReport = h;
    h->pReq = (RESOLVEREQ*)_Alloc(sizeof(RESOLVEREQ));
    h->pRes = (RESOLVERESULT*)_Alloc(sizeof(RESOLVERESULT));
    if (!h->pReq || !h->pRes) {
        FreeOpenReport(pObj);
        return;
    }
    *h->pReq = *pReq;
    *h->pRes = *pRes;
    h->pReq->pEntries = (CHANGE6*)_Alloc(RESOLVE_MAX_SEED * sizeof(CHANGE6));
    h->pRes->pChanges = (CHANGEENTRY*)_Alloc(RESOLVE_MAX_CHANGES * sizeof(CHANGEENTRY));
    h->pRes->pGiveWays = (GIVEWAY*)_Alloc(RESOLVE_MAX_GIVEWAYS * sizeof(GIVEWAY));
    if (!h->pReq->pEntries || !h->pRes->pChanges || !h->pRes->pGiveWays) {
        FreeOpenReport(pObj);
        return;
    }
    memcpy(h->pReq->pEntries, pReq->pEntries, pReq->cEntries * sizeof(CHANGE6));
    memcpy(h->pRes->pChanges, pRes->pChanges, pRes->cChanges * sizeof(CHANGEENTRY));
    memcpy(h->pRes->pGiveWays, pRes->pGiveWays, pRes->cGiveWays * sizeof(GIVEWAY));
    st->bOpenReportPending = 1;
}

void FreeOpenReport(UISETTINGS* pObj)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st)
        return;
    FreeOpenReportBlocks(&st->pOpenReport);
    st->bOpenReportPending = 0;
}

static void _ShowPendingConflictReport(HWND hwnd, UISETTINGS* pObj)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (!st || !st->bOpenReportPending)
        return;
    st->bOpenReportPending = 0;
    OPENREPORT* h = (OPENREPORT*)st->pOpenReport;
    if (h && h->pReq && h->pRes)
        ShowOpenConflictReport(hwnd, pObj, h->pReq, h->pRes);
    FreeOpenReport(pObj);
}

// ---- Seed fix-ups ----

void FixNupOrderInSeed(UISETTINGS* pObj, RESOLVEREQ* pReq)
{
    BindFeatureFields(pObj);
    WORD cSeed = pReq->cEntries;
    for (WORD i = 0; i < cSeed; ++i) {
        WORD f = pReq->pEntries[i].wFeature;
        if (f != 125 && f != 303)
            continue;
        WORD wOrder = f == 125 ? 127 : 304;
        SHORT sCur = GetFeatureValue(wOrder);
        SHORT sNewLayout = pReq->pEntries[i].sNew;
        SHORT sNewOrder = 0;
        if ((sNewLayout == 1 || sNewLayout == 8) && sCur >= 3 && sCur <= 6)
            sNewOrder = 1;
        else if (sNewLayout != 1 && sNewLayout != 8 && (sCur == 1 || sCur == 2))
            sNewOrder = 3;
        if (!sNewOrder)
            continue;
        int k = FindSeed(pReq, wOrder);
        if (k >= 0)
            pReq->pEntries[k].sNew = sNewOrder;
        else
            AppendSeed(pReq, wOrder, sCur, sNewOrder);
        SetFeatureValue(wOrder, sNewOrder);
    }
}

void SwitchInsertSheetList(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq)
{
    BindFeatureFields(pObj);
    if (FindSeed(pReq, 247) < 0)
        return;
    SHORT sList = GetFeatureValue(247);
    if (sList > 0 && sList != (SHORT)pObj->wInterSheetList) {
        SHORT sOld = GetFeatureValue(2434);
        pObj->wInterSheetList = (WORD)sList;
        LISTSET* ls = pObj->trailer.pListSet;
        SHORT sNew = sOld;
        if (ls && ls->pInterSheet && ls->pInterSheet->pLists && sList <= INTERSHEET_LISTS)
            sNew = ls->pInterSheet->pLists[sList - 1].sMixplex;
        if (sNew != sOld)
            AppendSeed(pReq, 2434, sOld, sNew);
    }
    LISTSET* ls = pObj->trailer.pListSet;
    if (ls && ls->pInterSheet && ls->pInterSheet->pLists && pObj->wInterSheetList >= 1 &&
        pObj->wInterSheetList <= INTERSHEET_LISTS)
        SetFeatureValue(2434, ls->pInterSheet->pLists[pObj->wInterSheetList - 1].sMixplex);
}

void ShowPendingConflictReport(HWND hwnd, UISETTINGS* pObj)
{
    // The notices read their texts from the resource library.
    LoadResourceDll();
    _ShowPendingConflictReport(hwnd, pObj);
    FreeResourceDll();
}
