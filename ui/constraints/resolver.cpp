// resolver.cpp: the three resolver entries, their passes, merges, sorts and
// the apply and refresh steps (see resolver.h).
#include <cstring>

#include "ui/constraints/resolver.h"
#include "ui/settings/strcache.h"
#include "ui/constraints/pageservices.h"
#include "ui/dialogs/bindmargin.h"
#include "ui/dialogs/userpaper.h"
#include "ui/constraints/rules.h"
#include "ui/constraints/tables.h"
#include "ui/settings/papertable.h"

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

// ---- Buffers ----

BOOL AllocResolveBuffers(RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    memset(pReq, 0, sizeof(*pReq));
    memset(pRes, 0, sizeof(*pRes));
    pReq->pEntries = (CHANGE6*)_Alloc(RESOLVE_MAX_SEED * sizeof(CHANGE6));
    pRes->pChanges = (CHANGEENTRY*)_Alloc(RESOLVE_MAX_CHANGES * sizeof(CHANGEENTRY));
    pRes->pGiveWays = (GIVEWAY*)_Alloc(RESOLVE_MAX_GIVEWAYS * sizeof(GIVEWAY));
    if (pReq->pEntries && pRes->pChanges && pRes->pGiveWays)
        return TRUE;
    FreeResolveBuffers(pReq, pRes);
    return FALSE;
}

void FreeResolveBuffers(RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (pReq)
        _Free((void**)&pReq->pEntries);
    if (pRes) {
        _Free((void**)&pRes->pChanges);
        _Free((void**)&pRes->pGiveWays);
    }
}

BOOL AppendChange(RESOLVERESULT* pRes, WORD wFeature, SHORT sValue, WORD wKind)
{
    if (!pRes->pChanges || pRes->cChanges >= RESOLVE_MAX_CHANGES) {
        pRes->bOverflow = TRUE;
        return FALSE;
    }
    pRes->pChanges[pRes->cChanges++] = {wFeature, GetFeatureList(wFeature), sValue, wKind};
    return TRUE;
}

BOOL AppendGiveWay(RESOLVERESULT* pRes, WORD wFeature, SHORT sValue)
{
    if (!pRes->pGiveWays || pRes->cGiveWays >= RESOLVE_MAX_GIVEWAYS) {
        pRes->bOverflow = TRUE;
        return FALSE;
    }
    pRes->pGiveWays[pRes->cGiveWays++] = {wFeature, sValue};
    return TRUE;
}

BOOL AppendSeed(RESOLVEREQ* pReq, WORD wFeature, SHORT sOld, SHORT sNew)
{
    if (!pReq->pEntries || pReq->cEntries >= RESOLVE_MAX_SEED) {
        pReq->bOverflow = TRUE;
        return FALSE;
    }
    pReq->pEntries[pReq->cEntries++] = {wFeature, sOld, sNew};
    return TRUE;
}

int FindSeed(const RESOLVEREQ* pReq, WORD wFeature)
{
    for (WORD i = 0; pReq && i < pReq->cEntries; ++i)
        if (pReq->pEntries[i].wFeature == wFeature)
            return i;
    return -1;
}

// ---- Snapshot ----

void SaveFeatureValues(UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    for (int i = 0; i < g_cFeatures; ++i) {
        FEATURE& f = g_aFeatures[i];
        if ((f.wKind & FK_VALUEKINDS) && f.pValue)
            memcpy(&f.sSnapshot, f.pValue, sizeof(SHORT));
    }
}

void RestoreFeatureValues(UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    for (int i = 0; i < g_cFeatures; ++i) {
        FEATURE& f = g_aFeatures[i];
        if ((f.wKind & FK_VALUEKINDS) && f.pValue)
            memcpy(f.pValue, &f.sSnapshot, sizeof(SHORT));
    }
}

BOOL bFeatureUsable(WORD wFeature)
{
    int i = FirstDependencyRow(wFeature);
    if (i >= 0)
        return g_aCtrlDep[i].dwUsable ? TRUE : g_aCtrlDep[i].dwState == 1;
    return bFeatureExists(wFeature);
}

// ---- Merges ----

static BOOL _IsPriority(WORD f)
{
    return f == 308 || f == 312 || f == 159;
}

BOOL bHasPriorityChange(const RESOLVERESULT* pRes, WORD wFrom)
{
    for (WORD i = wFrom; i < pRes->cChanges; ++i)
        if (_IsPriority(pRes->pChanges[i].wFeature))
            return TRUE;
    return FALSE;
}

void KeepPriorityChanges(RESOLVERESULT* pRes, WORD wFrom)
{
    if (!bHasPriorityChange(pRes, wFrom))
        return;
    WORD w = wFrom;
    for (WORD i = wFrom; i < pRes->cChanges; ++i)
        if (_IsPriority(pRes->pChanges[i].wFeature))
            pRes->pChanges[w++] = pRes->pChanges[i];
    pRes->cChanges = w;
}

void MergeChangesIntoSeed(HWND hwnd, UISETTINGS* pObj, RESOLVERESULT* pRes, RESOLVEREQ* pReq, WORD wFrom)
{
    // The seed is its own work list: entries are only ever added or updated.
    BOOL bPriority = bHasPriorityChange(pRes, wFrom);
    for (WORD i = wFrom; i < pRes->cChanges; ++i) {
        const CHANGEENTRY& c = pRes->pChanges[i];
        SetFeatureValue(c.wFeature, c.sValue);
        int k = FindSeed(pReq, c.wFeature);
        if (k >= 0)
            pReq->pEntries[k].sNew = c.sValue;
        else
            AppendSeed(pReq, c.wFeature, 0, c.sValue);
    }
    EvaluateControlDependencies(hwnd, pObj);
    for (WORD e = 0; e < pReq->cEntries && !pReq->bOverflow; ++e) {
        WORD f = pReq->pEntries[e].wFeature;
        for (int r = 0; r < g_cCtrlDep; ++r) {
            const CTRLDEP& d = g_aCtrlDep[r];
            if (d.wParent != f || d.dwState != 1 || !d.wControl || !bFeatureExists(d.wControl))
                continue;
            if (FindSeed(pReq, d.wControl) < 0) {
                SHORT v = GetFeatureValue(d.wControl);
                AppendSeed(pReq, d.wControl, 0, v);
            }
        }
    }
    if ((GetFeatureValue(301) == 1 && GetFeatureValue(308) == 1) ||
        (GetFeatureValue(301) == 1 && GetFeatureValue(312) == 1) ||
        (GetFeatureValue(123) == 1 && GetFeatureValue(159) == 1) || bPriority) {
        for (WORD f : {(WORD)111, (WORD)114})
            if (FindSeed(pReq, f) < 0) {
                SHORT v = GetFeatureValue(f);
                AppendSeed(pReq, f, 0, v);
            }
    }
}

void MergeChangesOpen(UISETTINGS* pObj, RESOLVERESULT* pRes, RESOLVEREQ* pReq, WORD wFrom)
{
    for (WORD i = wFrom; i < pRes->cChanges; ++i) {
        const CHANGEENTRY& c = pRes->pChanges[i];
        SetFeatureValue(c.wFeature, c.sValue);
        int k = FindSeed(pReq, c.wFeature);
        if (k >= 0)
            pReq->pEntries[k].sNew = c.sValue;
    }
}

// ---- Counting, collapsing, sorting ----

static BOOL _IsQuietFeature(WORD f)
{
    return f == 605 || f == 606 || f == 607 || f == 608 || f == 701;
}

static BOOL _IsDevOptList(WORD f)
{
    if (GetFeatureKind(f) != FK_LIST)
        return FALSE;
    for (int i = 0; i < g_cDevOptDep; ++i)
        if (g_aDevOptDep[i].wFeature == f)
            return TRUE;
    return FALSE;
}

BOOL bChangeReportable(UISETTINGS* pObj, const CHANGEENTRY& c)
{
    WORD wMode = GetResolveMode(pObj);
    BOOL bSpecial = c.wKind == 10 || c.wKind == 11 || c.wKind == 12;
    if (wMode == 2)
        return !_IsQuietFeature(c.wFeature) && !(_IsDevOptList(c.wFeature) && GetDependencyState(c.wFeature) == 0);
    BOOL b = bFeatureUsable(c.wFeature) || GetFeaturePage(c.wFeature) == PAGE_OPTIONS || bSpecial;
    if (wMode == 3)
        b = b && !_IsQuietFeature(c.wFeature) && !bSpecial;
    // Values that a resolution of another control always puts back are not
    // reported as changed.
    return b && !_IsQuietFeature(c.wFeature);
}

WORD CountReportableChanges(HWND hwnd, UISETTINGS* pObj, const RESOLVERESULT* pRes)
{
    WORD n = 0;
    for (WORD i = 0; i < pRes->cChanges; ++i)
        if (bChangeReportable(pObj, pRes->pChanges[i]))
            ++n;
    return n;
}

void SelectSeedCombos(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq)
{
    WORD wPage = GetActivePageId(pObj);
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(wPage, &h);
    if (!l || !l->pfnSelectCombo)
        return;
    static const WORD k100[] = {125, 127, 129};
    static const WORD k300[] = {303, 304, 306, 309};
    for (WORD i = 0; i < pReq->cEntries; ++i) {
        WORD f = pReq->pEntries[i].wFeature;
        BOOL b = FALSE;
        if (wPage == PAGE_SETUP)
            for (WORD k : k100)
                b = b || f == k;
        if (wPage == PAGE_FINISHING)
            for (WORD k : k300)
                b = b || f == k;
        if (b)
            l->pfnSelectCombo(hwnd ? hwnd : h, f, pReq->pEntries[i].sNew);
    }
}

static const RESOLVEREQ* s_pCollapseSeed;

void CollapseChanges(RESOLVERESULT* pRes)
{
    WORD w = 0;
    for (WORD i = 0; i < pRes->cChanges; ++i) {
        WORD f = pRes->pChanges[i].wFeature;
        BOOL bSeen = FALSE;
        for (WORD k = 0; k < w; ++k)
            if (pRes->pChanges[k].wFeature == f)
                bSeen = TRUE;
        if (bSeen)
            continue;
        CHANGEENTRY last = pRes->pChanges[i];
        for (WORD k = i + 1; k < pRes->cChanges; ++k)
            if (pRes->pChanges[k].wFeature == f)
                last = pRes->pChanges[k];
        pRes->pChanges[w++] = last;
    }
    WORD v = 0;
    for (WORD i = 0; i < w; ++i) {
        WORD f = pRes->pChanges[i].wFeature;
        // An entry that overrides the user's own new value stays, even when
        // it puts back the value from before the change.
        int k = s_pCollapseSeed ? FindSeed(s_pCollapseSeed, f) : -1;
        BOOL bOverrides = k >= 0 && k < s_pCollapseSeed->cInitial &&
                          s_pCollapseSeed->pEntries[k].sNew != pRes->pChanges[i].sValue;
        if (bOverrides || pRes->pChanges[i].sValue != GetFeatureValue(f) || !bFeatureExists(f))
            pRes->pChanges[v++] = pRes->pChanges[i];
    }
    pRes->cChanges = v;
}

template <typename T>
static WORD _SortUnique(T* p, WORD c)
{
    for (WORD i = 1; i < c; ++i) {
        T x = p[i];
        int j = i - 1;
        while (j >= 0 && p[j].wFeature > x.wFeature) {
            p[j + 1] = p[j];
            --j;
        }
        p[j + 1] = x;
    }
    WORD w = 0;
    for (WORD i = 0; i < c; ++i) {
        if (w > 0 && p[w - 1].wFeature == p[i].wFeature)
            p[w - 1] = p[i];  // the last of equal ids
        else
            p[w++] = p[i];
    }
    return w;
}

void SortChangesAll(RESOLVERESULT* pRes)
{
    pRes->cChanges = _SortUnique(pRes->pChanges, pRes->cChanges);
    pRes->cGiveWays = _SortUnique(pRes->pGiveWays, pRes->cGiveWays);
}

void SortChangesOnChange(HWND hwnd, WORD wControl, SHORT sValue, RESOLVERESULT* pRes)
{
    pRes->cGiveWays = _SortUnique(pRes->pGiveWays, pRes->cGiveWays);
    WORD d = 0;
    if (GetFeatureKind(wControl) != FK_BUTTON) {
        for (int i = (int)pRes->cChanges - 1; i >= 0; --i) {
            const CHANGEENTRY& c = pRes->pChanges[i];
            if (c.wFeature == wControl && c.sValue != sValue) {
                // The user's own choice was overridden: the list starts with
                // the step that overrode it.
                WORD k = (WORD)i;
                while (k > 0 && pRes->pChanges[k - 1].wKind == c.wKind)
                    --k;
                d = k;
                break;
            }
            if (c.wKind == 2)
                break;
        }
    }
    if (d) {
        memmove(pRes->pChanges, pRes->pChanges + d, (pRes->cChanges - d) * sizeof(CHANGEENTRY));
        pRes->cChanges -= d;
    }
    pRes->cChanges = _SortUnique(pRes->pChanges, pRes->cChanges);
}

// ---- Apply and refresh ----

void ApplyResolvedValues(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes, int iMode)
{
    BindFeatureFields(pObj);
    WORD wMode = GetResolveMode(pObj);
    if (pReq) {
        // Undo writes back the user's own entries only: the entries the
        // merges added carry no old value of their own.
        WORD c = iMode == 2 ? pReq->cInitial : pReq->cEntries;
        for (WORD i = 0; i < c && i < pReq->cEntries; ++i) {
            const CHANGE6& e = pReq->pEntries[i];
            SetFeatureValue(e.wFeature, iMode == 2 ? e.sOld : e.sNew);
            if (wMode != 2)
                UpdateZoomForPaper(hwnd, pObj, e.wFeature);
        }
    }
    if (pRes && iMode != 2)
        for (WORD i = 0; i < pRes->cChanges; ++i) {
            SetFeatureValue(pRes->pChanges[i].wFeature, pRes->pChanges[i].sValue);
            UpdateZoomForPaper(hwnd, pObj, pRes->pChanges[i].wFeature);
        }
    // An undo finds the derived values as they were (the finishing flags and
    // the margins in the binding combo texts); only a change derives them
    // again.
    if (iMode != 2) {
        SyncSimpleFinishingFlags(pObj);
        FormatBindingMarginText(pObj, 1);
    }
}

void RefreshDependentControls(HWND hwnd, UISETTINGS* pObj)
{
    EvaluateControlDependencies(hwnd, pObj);
    EnableDependentControls(hwnd, pObj);
    if (GetActivePageId(pObj) != PAGE_SETUP)
        return;
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(PAGE_SETUP, &h);
    if (!l || !l->pfnEnableControl)
        return;
    const FEATURE* fz = FindFeature(116);
    (void)fz;
    SHORT sZoomCheck = GetParamEdited(pObj, 5);
    BOOL bBind2 = GetFeatureValue(2301) == 2;
    BOOL bOff = (GetFeatureValue(123) == 1 && GetFeatureValue(124) == 1) ||
                (GetFeatureValue(123) == 1 && GetFeatureValue(134) == 1) ||
                (GetFeatureValue(301) == 1 && GetFeatureValue(302) == 1) ||
                (((GetFeatureValue(123) == 1 && GetFeatureValue(155) == 1) ||
                  (GetFeatureValue(301) == 1 && GetFeatureValue(342) == 1)) &&
                 bBind2);
    for (WORD id = 115; id <= 118; ++id)
        l->pfnEnableControl(hwnd ? hwnd : h, id, sZoomCheck != 0 && !bOff);
}

void RefreshInsertSheetList(HWND hwnd, UISETTINGS* pObj, const RESOLVERESULT* pRes)
{
    BindFeatureFields(pObj);
    SHORT s247 = GetFeatureValue(247);
    if (s247 > 0 && s247 != (SHORT)pObj->wInterSheetList) {
        pObj->wInterSheetList = (WORD)s247;
        IndexTabLoadTexts(pObj);
    }
    CountInvalidInsertSheets(hwnd, pObj, 2);
    if (GetActivePageId(pObj) == PAGE_COVER) {
        HWND h = hwnd;
        const PAGELINK* l = FindPageLink(PAGE_COVER, &h);
        if (l && l->pfnRedraw)
            l->pfnRedraw(hwnd ? hwnd : h, 249);
    }
}

void RedrawInsertSheetList(HWND hwnd, UISETTINGS* pObj)
{
    if (GetActivePageId(pObj) != PAGE_COVER)
        return;
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(PAGE_COVER, &h);
    if (l && l->pfnRedraw)
        l->pfnRedraw(hwnd ? hwnd : h, 249);
}

void RefreshPreviews(HWND hwnd, UISETTINGS* pObj)
{
    WORD wPage = GetActivePageId(pObj);
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(wPage, &h);
    if (!l)
        return;
    if (l->pfnRefresh)
        l->pfnRefresh(hwnd ? hwnd : h, GetFeatureValue(163) == 1 ? 163 : 164, 1);
    if (l->pfnRedraw)
        l->pfnRedraw(hwnd ? hwnd : h, wPage == PAGE_OPTIONS ? 816 : 166);
}

void RefreshChangedControls(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes,
                            int iMode, BOOL bPairs)
{
    WORD wPage = GetActivePageId(pObj);
    if (pReq) {
        WORD c = iMode == 2 ? pReq->cInitial : pReq->cEntries;
        for (WORD i = 0; i < c && i < pReq->cEntries; ++i) {
            WORD f = pReq->pEntries[i].wFeature;
            if (GetFeaturePage(f) != wPage || (iMode != 2 && GetFeatureKind(f) == FK_LIST))
                continue;
            // Controls are redrawn from the settings, which now hold the
            // value to show.
            UpdateFeatureControl(hwnd, f, GetFeatureValue(f));
        }
    }
    if (pRes && iMode != 2)
        for (WORD i = 0; i < pRes->cChanges; ++i) {
            WORD f = pRes->pChanges[i].wFeature;
            if (GetFeaturePage(f) == wPage && GetFeatureKind(f) != FK_LIST)
                UpdateFeatureControl(hwnd, f, GetFeatureValue(f));
        }
}

void RefreshPageCombos(HWND hwnd, UISETTINGS* pObj, WORD wControl, const RESOLVEREQ* pReq,
                       const RESOLVERESULT* pRes)
{
    BindFeatureFields(pObj);
    WORD wPage = GetActivePageId(pObj);
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    for (int i = 0; i < g_cFeatures; ++i) {
        const FEATURE& f = g_aFeatures[i];
        if (f.wKind != FK_LIST)
            continue;
        if (f.wPage == wPage) {
            if ((f.wId == 111 || f.wId == 114) && pReq && FindSeed(pReq, f.wId) >= 0 && wControl &&
                !(GetFeatureGroups(wControl) & FG_RESTORE) && !pReq->bCustomSize && !st->dwComboException)
                continue;
            UpdateFeatureControl(hwnd, f.wId, 0);
        } else {
            UpdateFeatureAvailability(pObj, f.wId);
        }
    }
}

void UndoResolution(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes)
{
    ApplyResolvedValues(hwnd, pObj, pReq, pRes, 2);
    RefreshDependentControls(hwnd, pObj);
    RefreshInsertSheetList(hwnd, pObj, pRes);
    RedrawInsertSheetList(hwnd, pObj);
    RefreshPreviews(hwnd, pObj);
    RefreshChangedControls(hwnd, pObj, pReq, pRes, 2, FALSE);
}

static void _CustomSizeMargins(UISETTINGS* pObj)
{
    for (WORD f : {(WORD)111, (WORD)114}) {
        SHORT v = GetFeatureValue(f);
        if (v != FEATURE_ABSENT && (v == 256 || (v & 0x200)))
            SetCustomSizeMargins(pObj, f, v);
    }
}

void ApplyResolution(HWND hwnd, UISETTINGS* pObj, WORD wControl, const RESOLVEREQ* pReq,
                     const RESOLVERESULT* pRes)
{
    ApplyResolvedValues(hwnd, pObj, pReq, pRes, 1);
    ClampCopies(hwnd, pObj);
    RefreshDependentControls(hwnd, pObj);
    RefreshInsertSheetList(hwnd, pObj, pRes);
    RedrawInsertSheetList(hwnd, pObj);
    RefreshPreviews(hwnd, pObj);
    RefreshChangedControls(hwnd, pObj, pReq, pRes, 1, TRUE);
    RefreshPageCombos(hwnd, pObj, wControl, pReq, pRes);
}

void FinishCustomSizes(UISETTINGS* pObj)
{
    _CustomSizeMargins(pObj);
}

// ---- Entries ----

static int s_cLastPasses;

int GetLastPassCount()
{
    return s_cLastPasses;
}

// The object's bytes at the start of a resolution, so that an answer that
// applies nothing leaves it exactly as it was.
struct OBJCOPY {
    BYTE* pFixed;
    BYTE* pVariable;
};

static BOOL _CopyObject(UISETTINGS* pObj, OBJCOPY* c)
{
    c->pFixed = (BYTE*)_Alloc(pObj->trailer.cbFixed);
    c->pVariable = pObj->trailer.cbVariable ? (BYTE*)_Alloc(pObj->trailer.cbVariable) : nullptr;
    if (!c->pFixed || (pObj->trailer.cbVariable && !c->pVariable)) {
        _Free((void**)&c->pFixed);
        _Free((void**)&c->pVariable);
        return FALSE;
    }
    memcpy(c->pFixed, pObj, pObj->trailer.cbFixed);
    if (c->pVariable)
        memcpy(c->pVariable, pObj->trailer.pVariable, pObj->trailer.cbVariable);
    return TRUE;
}

static void _RestoreObject(UISETTINGS* pObj, OBJCOPY* c)
{
    if (!c->pFixed)
        return;
    // The engine's change lists may have been replaced meanwhile; they are
    // kept as they are now.
    CONSTRAINTSTATE keep = *GetConstraintState(pObj);
    BYTE* pVar = pObj->trailer.pVariable;
    memcpy(pObj, c->pFixed, pObj->trailer.cbFixed);
    if (c->pVariable && pVar)
        memcpy(pVar, c->pVariable, pObj->trailer.cbVariable);
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    st->pPageChanges = keep.pPageChanges;
    st->cPageChanges = keep.cPageChanges;
    st->wPageChangesPage = keep.wPageChangesPage;
    st->pChanged = keep.pChanged;
    st->cChanged = keep.cChanged;
    st->pOpenReport = keep.pOpenReport;
    st->bOpenReportPending = keep.bOpenReportPending;
}

static void _FreeCopy(OBJCOPY* c)
{
    _Free((void**)&c->pFixed);
    _Free((void**)&c->pVariable);
}

enum { LOOP_CHANGE, LOOP_RECALL, LOOP_OPEN };

// Runs the passes; answers the number run.
static int _RunPasses(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes, int iLoop, SHORT sLimit)
{
    int p = 0;
    BOOL bAdded = FALSE;
    for (;;) {
        BOOL bRun = p < 2;
        if (!bRun)
            bRun = bAdded && pRes->sStatus == 0 && (iLoop == LOOP_RECALL || pRes->cGiveWays == 0);
        if (!bRun)
            break;
        if (p > RESOLVE_PASS_LIMIT) {
            if (pRes->sStatus == 0)
                pRes->sStatus = sLimit;
            break;
        }
        WORD wFrom = pRes->cChanges;
        SetPassStart(wFrom);
        EvaluateControlDependencies(hwnd, pObj);
        BOOL bTables = TRUE;
        if (iLoop == LOOP_RECALL && ForceUnavailableChecks(hwnd, pObj, pReq, pRes) != 0)
            bTables = FALSE;
        if (bTables && ApplySpecialRules(hwnd, pObj, pReq, pRes) == 0) {
            ReenablePairedPosition(hwnd, pObj, pReq, pRes);
            for (int n = 2; n <= 5; ++n)
                ApplyRulesOfN(n, hwnd, pObj, pReq, pRes);
            EvaluateControlDependencies(hwnd, pObj);
            FixUpAfterRules(hwnd, pObj, pReq, pRes);
        }
        SyncPairedSettings(hwnd, pObj, pReq, pRes, wFrom);
        KeepPriorityChanges(pRes, wFrom);
        if (iLoop == LOOP_OPEN)
            MergeChangesOpen(pObj, pRes, pReq, wFrom);
        else
            MergeChangesIntoSeed(hwnd, pObj, pRes, pReq, wFrom);
        bAdded = pRes->cChanges > wFrom;
        ++p;
        if (pRes->bOverflow || pReq->bOverflow) {
            // A full buffer leaves the resolution unsettled.
            pRes->sStatus = sLimit;
            break;
        }
    }
    return p;
}

struct SAVEDQUIET {
    SHORT s608, s701, sDither;
};

static void _SaveQuiet(SAVEDQUIET* q)
{
    q->s608 = GetFeatureValue(608);
    q->s701 = GetFeatureValue(701);
    q->sDither = GetFeatureValue(605);
}

static void _PutQuietBack(UISETTINGS* pObj, const SAVEDQUIET* q)
{
    BindFeatureFields(pObj);
    SetFeatureValue(608, q->s608);
    SetFeatureValue(701, q->s701);
    SetFeatureValue(605, q->sDither);
}

static void _ResolveConstraintsOnChange(HWND hwnd, UISETTINGS* pObj, WORD wControl)
{
    if (!pObj)
        return;
    BindFeatureFields(pObj);
    SAVEDQUIET q;
    _SaveQuiet(&q);
    SetResolveMode(pObj, 0);
    RESOLVEREQ req;
    RESOLVERESULT res;
    s_cLastPasses = 0;
    if (GetFeatureKind(wControl) == -1 || !AllocResolveBuffers(&req, &res)) {
        ForgetPageChanges(pObj);
        _PutQuietBack(pObj, &q);
        SetResolveMode(pObj, 0);
        return;
    }
    OBJCOPY copy = {nullptr, nullptr};
    _CopyObject(pObj, &copy);
    int cBefore = CountInvalidInsertSheets(hwnd, pObj, 1);
    SeedChangedControl(hwnd, pObj, wControl, &req);
    req.bCustomSize = SubstituteCustomSize(hwnd, pObj, &req);
    SaveFeatureValues(pObj);
    s_cLastPasses = _RunPasses(hwnd, pObj, &req, &res, LOOP_CHANGE, RS_LIMIT_CHANGE);
    SHORT s247 = GetFeatureValue(247);
    if (s247 > 0 && s247 != (SHORT)pObj->wInterSheetList) {
        pObj->wInterSheetList = (WORD)s247;
        IndexTabLoadTexts(pObj);
    }
    int cAfter = CountInvalidInsertSheets(hwnd, pObj, 1);
    res.sInsertDelta = (SHORT)(wControl == 247 ? cAfter : cAfter - cBefore);
    // Undo: the settings as they were before the user's change.
    RestoreFeatureValues(pObj);
    _RestoreObject(pObj, &copy);
    BindFeatureFields(pObj);
    for (WORD i = 0; i < req.cInitial && i < req.cEntries; ++i)
        SetFeatureValue(req.pEntries[i].wFeature, req.pEntries[i].sOld);
    EvaluateControlDependencies(hwnd, pObj);
    SelectSeedCombos(hwnd, pObj, &req);
    s_pCollapseSeed = &req;
    CollapseChanges(&res);
    s_pCollapseSeed = nullptr;
    SHORT sUser = (GetFeatureGroups(wControl) & FG_RESTORE) || !req.cEntries ? 0 : req.pEntries[0].sNew;
    SortChangesOnChange(hwnd, wControl, sUser, &res);
    ReportResolveResult(hwnd, pObj, wControl, &req, &res);
    FreeResolveBuffers(&req, &res);
    _FreeCopy(&copy);
    ForgetPageChanges(pObj);
    LONG lGroups = GetFeatureGroups(wControl);
    if (!(lGroups == 132 || (wControl >= 605 && wControl <= 608) || wControl == 701))
        _PutQuietBack(pObj, &q);
    SetResolveMode(pObj, 0);
}

static void _ResolveConstraintsAll(HWND hwnd, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    BindFeatureFields(pObj);
    SAVEDQUIET q;
    _SaveQuiet(&q);
    SetResolveMode(pObj, 2);
    RESOLVEREQ req;
    RESOLVERESULT res;
    if (!AllocResolveBuffers(&req, &res)) {
        ForgetChangedFeatures(pObj);
        SetResolveMode(pObj, 0);
        return;
    }
    OBJCOPY copy = {nullptr, nullptr};
    _CopyObject(pObj, &copy);
    SeedRecallChanges(pObj, &req);
    SaveFeatureValues(pObj);
    s_cLastPasses = _RunPasses(hwnd, pObj, &req, &res, LOOP_RECALL, RS_LIMIT_ALL);
    res.lUserPaper = CheckUserPaperFitsSource(pObj);
    res.sInsertDelta = (SHORT)CountInvalidInsertSheets(hwnd, pObj, 1);
    RestoreFeatureValues(pObj);
    _RestoreObject(pObj, &copy);
    BindFeatureFields(pObj);
    for (WORD i = 0; i < req.cInitial && i < req.cEntries; ++i)
        SetFeatureValue(req.pEntries[i].wFeature, req.pEntries[i].sOld);
    EvaluateControlDependencies(hwnd, pObj);
    SelectSeedCombos(hwnd, pObj, &req);
    CollapseChanges(&res);
    SortChangesAll(&res);
    ReportRecallResult(hwnd, pObj, &req, &res);
    FreeResolveBuffers(&req, &res);
    _FreeCopy(&copy);
    ForgetChangedFeatures(pObj);
    _PutQuietBack(pObj, &q);
    SetResolveMode(pObj, 0);
}

static void _ResolveConstraintsOnOpen(HWND hwnd, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    BindFeatureFields(pObj);
    SAVEDQUIET q;
    _SaveQuiet(&q);
    SetResolveMode(pObj, 3);
    RESOLVEREQ req;
    RESOLVERESULT res;
    if (!AllocResolveBuffers(&req, &res)) {
        SetResolveMode(pObj, 0);
        return;
    }
    SeedAllFeatures(pObj, &req);
    SaveFeatureValues(pObj);
    s_cLastPasses = _RunPasses(hwnd, pObj, &req, &res, LOOP_OPEN, RS_LIMIT_ALL);
    res.sInsertDelta = 0;
    RestoreFeatureValues(pObj);
    for (WORD i = 0; i < req.cEntries; ++i)
        SetFeatureValue(req.pEntries[i].wFeature, req.pEntries[i].sOld);
    SelectSeedCombos(hwnd, pObj, &req);
    CollapseChanges(&res);
    SortChangesAll(&res);
    KeepOpenReport(pObj, &req, &res);
    FinishOpenValidation(hwnd, pObj, &req, &res);
    FreeResolveBuffers(&req, &res);
    _PutQuietBack(pObj, &q);
    SetResolveMode(pObj, 0);
}

void ResolveConstraintsOnChange(HWND hwnd, UISETTINGS* pObj, WORD wControl)
{
    // The notices read their texts from the resource library.
    LoadResourceDll();
    _ResolveConstraintsOnChange(hwnd, pObj, wControl);
    FreeResourceDll();
}

void ResolveConstraintsAll(HWND hwnd, UISETTINGS* pObj)
{
    // The notices read their texts from the resource library.
    LoadResourceDll();
    _ResolveConstraintsAll(hwnd, pObj);
    FreeResourceDll();
}

void ResolveConstraintsOnOpen(HWND hwnd, UISETTINGS* pObj)
{
    // The notices read their texts from the resource library.
    LoadResourceDll();
    _ResolveConstraintsOnOpen(hwnd, pObj);
    FreeResourceDll();
}
