// features.cpp: the feature table, its accessors and binders, the
// control-enable dependencies and the page links (see features.h).
#include "ui/constraints/features.h"
#include "ui/settings/sharedarea.h"

#include "ui/constraints/resolver.h"

#include <cstring>

#include "ui/settings/faxdest.h"
#include "ui/settings/papertable.h"
#include "ui/settings/strcache.h"

// ---- Tables ----

FEATURE g_aFeatures[] = {
#define FEATURE_ROW(id, kind, page, label, param, groups) \
    {id, 0, label, nullptr, 0, kind, page, 0, 0, groups, (kind) == FK_BUTTON ? 2u : 1u},
#include "ui/constraints/feature_table.inc"
#undef FEATURE_ROW
    {0, 0, 0, nullptr, 0, 0, 0, 0, 0, 0, 0},
};

// The parameter each feature edits, in the same order as the feature table.
static const WORD s_awFeatureParam[] = {
#define FEATURE_ROW(id, kind, page, label, param, groups) param,
#include "ui/constraints/feature_table.inc"
#undef FEATURE_ROW
    0,
};

const RADIOVALUE g_aRadioValues[] = {
#define RADIO_ROW(id, value) {id, value},
#include "ui/constraints/radiovalue_table.inc"
#undef RADIO_ROW
    {0, 0},
};

const VALUENAME g_aValueNames[] = {
#define VALUENAME_ROW(id, value, str) {id, value, str, 0},
#include "ui/constraints/valuename_table.inc"
#undef VALUENAME_ROW
    {0, 0, 0, 0},
};

CTRLDEP g_aCtrlDep[] = {
#define DEP_ROW(id, page, parent, pvalue, group, kind, pred, level, usable, state) \
    {id, page, parent, pvalue, group, kind, pred, level, 0, usable, state},
#include "ui/constraints/ctrldep_table.inc"
#undef DEP_ROW
    {0xFFFF, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0},
};

DEVOPTDEP g_aDevOptDep[] = {
#define DEVOPT_ROW(id, flag, feature, value, mode) {id, 0, flag, 0, feature, value, mode, 0, 0},
#include "ui/constraints/devoptdep_table.inc"
#undef DEVOPT_ROW
    {0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0},
};

// Empty in this build: its first row is the end row (a second end row keeps
// the walks' look-ahead inside the array).
VALUEDEP g_aValueDep[] = {
    {0xFFFF, 0, 0, 0, 0},
    {0xFFFF, 0, 0, 0, 0},
};

WORD g_cFeatures, g_cValueNames, g_cRadioValues, g_cCtrlDep, g_cDevOptDep, g_cValueDep;

// Row of each id (feature, or first control-enable row), -1 for none:
// every lookup of a resolution is a direct index.
static const int kIdRange = 4096;
static SHORT s_aiFeatureRow[kIdRange];
static SHORT s_aiDepRow[kIdRange];

void CountFeatureTables()
{
    WORD n = 0;
    while (g_aFeatures[n].wId)
        ++n;
    g_cFeatures = n;
    for (int i = 0; i < kIdRange; ++i)
        s_aiFeatureRow[i] = -1;
    for (int i = n - 1; i >= 0; --i)
        if (g_aFeatures[i].wId < kIdRange)
            s_aiFeatureRow[g_aFeatures[i].wId] = (SHORT)i;
    n = 0;
    while (g_aValueNames[n].wFeature)
        ++n;
    g_cValueNames = n;
}

void CountDependencyTables()
{
    WORD n = 0;
    while (g_aCtrlDep[n].wControl != 0xFFFF)
        ++n;
    g_cCtrlDep = n;
    for (int i = 0; i < kIdRange; ++i)
        s_aiDepRow[i] = -1;
    for (int i = n - 1; i >= 0; --i)
        if (g_aCtrlDep[i].wControl && g_aCtrlDep[i].wControl < kIdRange)
            s_aiDepRow[g_aCtrlDep[i].wControl] = (SHORT)i;
    n = 0;
    while (g_aDevOptDep[n].wControl != 0xFFFF)
        ++n;
    g_cDevOptDep = n;
    n = 0;
    while (g_aValueDep[n].wControl != 0xFFFF)
        ++n;
    g_cValueDep = n;
    n = 0;
    while (g_aRadioValues[n].wControl)
        ++n;
    g_cRadioValues = n;
}

// Counters are also taken on first use, so that a lookup before the first
// settings object still walks the whole table.
static void _EnsureCounted()
{
    if (!g_cFeatures) {
        CountFeatureTables();
        CountDependencyTables();
    }
}

// ---- Engine state in the settings object ----

static const size_t kStateOffset = (FAXDEST_STATE_OFFSET + sizeof(FAXDESTSTATE) + 7) & ~(size_t)7;
static_assert(kStateOffset + sizeof(CONSTRAINTSTATE) <= SHARED_LOW_LIMIT);

CONSTRAINTSTATE* GetConstraintState(UISETTINGS* pObj)
{
    return pObj ? (CONSTRAINTSTATE*)((BYTE*)pObj + kStateOffset) : nullptr;
}

WORD GetActivePageId(UISETTINGS* pObj)
{
    return pObj ? GetConstraintState(pObj)->wActivePageId : 0;
}

void SetActivePageId(UISETTINGS* pObj, WORD wPage)
{
    if (pObj)
        GetConstraintState(pObj)->wActivePageId = wPage;
}

WORD GetResolveMode(UISETTINGS* pObj)
{
    return pObj ? GetConstraintState(pObj)->wResolveMode : 0;
}

void SetResolveMode(UISETTINGS* pObj, WORD wMode)
{
    if (pObj)
        GetConstraintState(pObj)->wResolveMode = wMode;
}

void InitConstraintState(UISETTINGS* pObj)
{
    CONSTRAINTSTATE* p = GetConstraintState(pObj);
    if (!p)
        return;
    memset(p, 0, sizeof(*p));
    // The illustration shows the paper until the user picks the machine.
    p->viewRecord.sInitial = 1;
    p->viewRecord.sCurValue = 1;
    p->viewRecord.sDefault = 1;
    p->devSetting.sInitial = 0;
}

// ---- Lookups ----

static int _FeatureIndex(WORD wId)
{
    _EnsureCounted();
    return wId && wId < kIdRange ? s_aiFeatureRow[wId] : -1;
}

const FEATURE* FindFeature(WORD wId)
{
    int i = _FeatureIndex(wId);
    return i < 0 ? nullptr : &g_aFeatures[i];
}

BOOL bFeatureExists(WORD wId)
{
    return _FeatureIndex(wId) >= 0;
}

WORD GetFeatureParamId(WORD wId)
{
    int i = _FeatureIndex(wId);
    return i < 0 ? 0 : s_awFeatureParam[i];
}

SHORT GetFeatureValue(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    // A feature whose setting group allocated nothing reads as absent.
    if (!f || !(f->wKind & FK_VALUEKINDS) || !f->pValue)
        return FEATURE_ABSENT;
    SHORT s;
    memcpy(&s, f->pValue, sizeof(s));
    return s;
}

void SetFeatureValue(WORD wId, SHORT sValue)
{
    _EnsureCounted();
    for (int i = 0; i < g_cFeatures; ++i) {
        FEATURE& f = g_aFeatures[i];
        if (f.wId == wId && (f.wKind & FK_VALUEKINDS) && f.pValue)
            memcpy(f.pValue, &sValue, sizeof(sValue));
    }
}

SHORT GetFeatureDefault(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    if (!f || !(f->wKind & FK_VALUEKINDS) || !f->pValue)
        return -1;
    SHORT s;
    memcpy(&s, (BYTE*)f->pValue + ((f->wKind & (FK_LIST | FK_RADIO)) ? 6 : 4), sizeof(s));
    return s;
}

LPCWSTR GetFeatureName(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? GetResString(f->dwLabel) : nullptr;
}

LPCWSTR GetValueName(WORD wId, SHORT sValue)
{
    _EnsureCounted();
    if (wId == 111 || wId == 114) {
        LPCWSTR psz = GetPaperDisplayName(sValue);
        if (psz)
            return psz;
    }
    for (int i = 0; i < g_cValueNames; ++i)
        if (g_aValueNames[i].wFeature == wId && g_aValueNames[i].sValue == sValue)
            return GetResString(g_aValueNames[i].wString);
    // A list is named as its combo box shows the item.
    int j = FindFeatureItem(wId, sValue);
    if (j >= 0)
        return GetFeatureItem(wId, j)->szText;
    return nullptr;
}

int GetFeatureKind(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? f->wKind : -1;
}

WORD GetFeaturePage(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? f->wPage : 0xFFFF;
}

void* GetFeatureList(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? f->pValue : nullptr;
}

LONG GetFeatureGroups(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? (LONG)f->dwGroups : -1;
}

int GetFeatureRole(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? (int)f->dwRole : -1;
}

DWORD GetFeatureAvailFlag(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? f->dwAvailFlag : 0;
}

SHORT GetRadioValue(WORD wControl)
{
    _EnsureCounted();
    for (int i = 0; i < g_cRadioValues; ++i)
        if (g_aRadioValues[i].wControl == wControl)
            return g_aRadioValues[i].sValue;
    return -1;
}

SHORT GetFeatureSnapshot(UISETTINGS* pObj, WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    return f ? f->sSnapshot : -1;
}

FVLHEADER* GetFeatureListHeader(WORD wId)
{
    const FEATURE* f = FindFeature(wId);
    if (!f || f->wKind != FK_LIST || !f->pValue)
        return nullptr;
    return (FVLHEADER*)f->pValue;
}

int GetFeatureItemCount(WORD wId)
{
    FVLHEADER* h = GetFeatureListHeader(wId);
    return h && h->sCount > 0 ? h->sCount : 0;
}

FVLITEM* GetFeatureItem(WORD wId, int iItem)
{
    FVLHEADER* h = GetFeatureListHeader(wId);
    if (!h || iItem < 0 || iItem >= h->sCount)
        return nullptr;
    return (FVLITEM*)(h + 1) + iItem;
}

int FindFeatureItem(WORD wId, SHORT sCode)
{
    int n = GetFeatureItemCount(wId);
    for (int j = 0; j < n; ++j)
        if (GetFeatureItem(wId, j)->sValue == sCode)
            return j;
    return -1;
}

// ---- Page links ----

namespace {
struct LINKSLOT {
    WORD wPage;
    HWND hwnd;
    const PAGELINK* pLink;
};
LINKSLOT s_aLinks[16];
}  // namespace

void RegisterPageLink(WORD wPage, HWND hwnd, const PAGELINK* pLink)
{
    UnregisterPageLink(wPage);
    for (LINKSLOT& s : s_aLinks)
        if (!s.wPage) {
            s = {wPage, hwnd, pLink};
            return;
        }
}

void UnregisterPageLink(WORD wPage)
{
    for (LINKSLOT& s : s_aLinks)
        if (s.wPage == wPage)
            s = {0, nullptr, nullptr};
}

const PAGELINK* FindPageLink(WORD wPage, HWND* phwnd)
{
    for (const LINKSLOT& s : s_aLinks)
        if (wPage && s.wPage == wPage) {
            if (phwnd)
                *phwnd = s.hwnd;
            return s.pLink;
        }
    return nullptr;
}

BOOL ReadComboSelection(HWND hwnd, WORD wCombo, FVLHEADER* pList, UISETTINGS* pObj)
{
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(GetFeaturePage(wCombo), &h);
    SHORT s = 0;
    if (!pList || !l || !l->pfnReadControl || !l->pfnReadControl(hwnd ? hwnd : h, wCombo, FK_LIST, &s))
        return FALSE;
    // The page answers the item's value code, not its text, so two items of
    // the same name are told apart.
    for (int j = 0; j < pList->sCount; ++j)
        if (((FVLITEM*)(pList + 1))[j].sValue == s) {
            pList->sInitial = s;
            return TRUE;
        }
    return FALSE;
}

int UpdateFeatureControl(HWND hwnd, WORD wFeature, SHORT sValue)
{
    WORD wPage = GetFeaturePage(wFeature);
    if (wPage == 0xFFFF)
        return 0xFFFF;
    if (wPage == PAGE_FONT)
        return wPage;
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(wPage, &h);
    if (!l || !l->pfnRefresh)
        return wPage;  // the page is not open: nothing to refresh
    return l->pfnRefresh(hwnd ? hwnd : h, wFeature, sValue);
}

// ---- Binders ----

// Each page's binder answers the slot of its own features only.
static void* _BindOne(UISETTINGS* pObj, int iFeature)
{
    const FEATURE& f = g_aFeatures[iFeature];
    if (f.wKind == FK_BUTTON)
        return nullptr;
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (f.wId == 163 || f.wId == 164)
        return &st->viewRecord;
    if (f.wId == 846)
        return &st->devSetting;
    WORD wParam = s_awFeatureParam[iFeature];
    return wParam ? GetParamSlot(pObj, wParam) : nullptr;
}

// The object bound last: binding it again changes nothing, so it is done
// once until another object is bound or this one is freed.
static UISETTINGS* s_pBound;
static const void* s_pBoundRows;

void ForgetFeatureBinding(UISETTINGS* pObj)
{
    if (!pObj || pObj == s_pBound) {
        s_pBound = nullptr;
        s_pBoundRows = nullptr;
    }
}

void BindFeatureFields(UISETTINGS* pObj)
{
    _EnsureCounted();
    if (pObj && pObj == s_pBound && pObj->trailer.pParamRows == s_pBoundRows)
        return;
    for (int i = 0; i < g_cFeatures; ++i)
        g_aFeatures[i].pValue = pObj ? _BindOne(pObj, i) : nullptr;
    s_pBound = pObj;
    s_pBoundRows = pObj ? pObj->trailer.pParamRows : nullptr;
}

// ---- Control-enable dependencies ----

int FirstDependencyRow(WORD wControl)
{
    _EnsureCounted();
    return wControl && wControl < kIdRange ? s_aiDepRow[wControl] : -1;
}

static int _FirstDepRow(WORD wControl)
{
    return FirstDependencyRow(wControl);
}

// Own condition of row i with its continuation rows (OR).
static BOOL _RowCondition(int i)
{
    if (GetFeatureValue(g_aCtrlDep[i].wParent) == g_aCtrlDep[i].sParentValue)
        return TRUE;
    for (int k = i + 1; k < g_cCtrlDep && g_aCtrlDep[k].wControl == 0; ++k)
        if (GetFeatureValue(g_aCtrlDep[k].wParent) == g_aCtrlDep[k].sParentValue)
            return TRUE;
    return FALSE;
}

static DWORD _ParentState(int i)
{
    if (g_aCtrlDep[i].wLevel <= 1)
        return 1;
    int p = _FirstDepRow(g_aCtrlDep[i].wParent);
    return p < 0 ? 1 : g_aCtrlDep[p].dwState;
}

static void _GroupedEvaluation(int r)
{
    WORD wControl = g_aCtrlDep[r].wControl;
    DWORD acc = 0;
    int count = 0;
    for (int k = 0; k < g_cCtrlDep; ++k) {
        if (g_aCtrlDep[k].wControl != wControl)
            continue;
        DWORD dwParent = _ParentState(k);
        BOOL bCond = dwParent == 1 && _RowCondition(k);
        if (g_aCtrlDep[r].wKind == 2)
            acc = count == 0 ? (DWORD)bCond : (acc && bCond);
        else
            acc = acc || bCond;
        ++count;
    }
    for (int k = 0; k < g_cCtrlDep; ++k)
        if (g_aCtrlDep[k].wControl == wControl)
            g_aCtrlDep[k].dwState = acc ? 1 : 0;
}

static void _DeviceOptionResults()
{
    for (int i = 0; i < g_cDevOptDep; ++i)
        g_aDevOptDep[i].dwResult = 0;
    int i = 0;
    while (i < g_cDevOptDep) {
        int end = i + 1;
        while (end < g_cDevOptDep && g_aDevOptDep[end].wControl == 0)
            ++end;
        DWORD res = 0;
        int k = i;
        while (k < end && !res) {
            const DEVOPTDEP& d = g_aDevOptDep[k];
            if (d.wMode == 1) {
                BOOL all = GetFeatureValue(d.wFeature) == d.sValue;
                int m = k + 1;
                while (m < end && (g_aDevOptDep[m].wMode == 2 || g_aDevOptDep[m].wMode == 3)) {
                    all = all && GetFeatureValue(g_aDevOptDep[m].wFeature) == g_aDevOptDep[m].sValue;
                    ++m;
                }
                res = all ? 1 : 0;
                k = m;
            } else {
                res = GetFeatureValue(d.wFeature) == d.sValue ? 1 : 0;
                ++k;
            }
        }
        for (int m = i; m < end; ++m)
            g_aDevOptDep[m].dwResult = res;
        i = end;
    }
}

static void _ValueResults()
{
    for (int i = 0; i < g_cValueDep; ++i)
        g_aValueDep[i].dwResult = 0;
    int i = 0;
    while (i < g_cValueDep) {
        int end = i + 1;
        while (end < g_cValueDep && g_aValueDep[end].wControl == 0)
            ++end;
        DWORD res = 0;
        for (int k = i; k < end; ++k)
            if (GetFeatureValue(g_aValueDep[k].wFeature) == g_aValueDep[k].sValue)
                res = 1;
        for (int k = i; k < end; ++k)
            g_aValueDep[k].dwResult = res;
        i = end;
    }
}

// Masks a state with the rows of a device-option or value table.
template <typename ROW>
static DWORD _Mask(DWORD c, WORD wControl, ROW* rows, int n, bool bDevOpt)
{
    WORD wCur = 0;
    for (int i = 0; i < n; ++i) {
        if (rows[i].wControl)
            wCur = rows[i].wControl;
        if (wCur != wControl)
            continue;
        if (c == 1 && rows[i].dwResult == 1)
            return 1;
        c = 0;
    }
    return c;
}

void EvaluateControlDependencies(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    WORD wHighest = 1;
    for (int i = 0; i < g_cCtrlDep; ++i) {
        CTRLDEP& r = g_aCtrlDep[i];
        if (!r.wControl)
            continue;
        r.dwState = 0;
        if (r.wLevel > 1 && r.wLevel > wHighest)
            wHighest = r.wLevel;
    }
    for (int i = 0; i < g_cCtrlDep; ++i) {
        CTRLDEP& r = g_aCtrlDep[i];
        if (r.wControl && r.wKind == 3 && r.pfnPredicate)
            r.dwState = r.pfnPredicate(hwnd, pObj, r.wControl, r.wPage) ? 1 : 0;
    }
    for (WORD L = 0; L <= wHighest; ++L) {
        for (int i = 0; i < g_cCtrlDep; ++i) {
            CTRLDEP& r = g_aCtrlDep[i];
            if (!r.wControl || (r.wKind != 1 && r.wKind != 2) || r.wLevel != L)
                continue;
            if (L == 0) {
                r.dwState = 1;
                continue;
            }
            if (r.wGroupMode > 1) {
                _GroupedEvaluation(i);
                continue;
            }
            r.dwState = _ParentState(i) == 1 && _RowCondition(i) ? 1 : 0;
        }
    }
    _DeviceOptionResults();
    _ValueResults();
    WORD wCur = 0;
    for (int i = 0; i < g_cCtrlDep; ++i) {
        CTRLDEP& r = g_aCtrlDep[i];
        if (r.wControl)
            wCur = r.wControl;
        DWORD c = r.dwState;
        c = _Mask(c, wCur, g_aDevOptDep, g_cDevOptDep, true);
        c = _Mask(c, wCur, g_aValueDep, g_cValueDep, false);
        r.dwState = c ? 1 : 0;
    }
}

void EnableDependentControls(HWND hwnd, UISETTINGS* pObj)
{
    WORD wPage = GetActivePageId(pObj);
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(wPage, &h);
    if (!l || !l->pfnEnableControl)
        return;
    for (int i = 0; i < g_cCtrlDep; ++i) {
        const CTRLDEP& r = g_aCtrlDep[i];
        // Continuation rows name no control.
        if (r.wControl && r.wPage == wPage)
            l->pfnEnableControl(hwnd ? hwnd : h, r.wControl, r.dwState ? TRUE : FALSE);
    }
}

void SetDependencyState(WORD wControl, DWORD dwState)
{
    _EnsureCounted();
    for (int i = 0; i < g_cCtrlDep; ++i)
        if (g_aCtrlDep[i].wControl == wControl)
            g_aCtrlDep[i].dwState = dwState;
}

DWORD GetDependencyState(WORD wControl)
{
    _EnsureCounted();
    int i = _FirstDepRow(wControl);
    if (i >= 0)
        return g_aCtrlDep[i].dwState;
    return bFeatureExists(wControl) ? 1 : 0;
}

DWORD GetDeviceOptionState(WORD wControl)
{
    _EnsureCounted();
    for (int i = 0; i < g_cDevOptDep; ++i)
        if (g_aDevOptDep[i].wControl == wControl)
            return g_aDevOptDep[i].dwResult;
    return 1;
}

WORD GetDependencyParent(WORD wControl)
{
    _EnsureCounted();
    int i = _FirstDepRow(wControl);
    return i < 0 ? 0xFFFF : g_aCtrlDep[i].wParent;
}

template <typename ROW>
static DEPSTATEPAIR* _SaveStates(ROW* rows, int n, DWORD ROW::*state)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (n + 1) * sizeof(DEPSTATEPAIR));
    DEPSTATEPAIR* p = h ? (DEPSTATEPAIR*)GlobalLock(h) : nullptr;
    if (!p)
        return nullptr;
    for (int i = 0; i < n; ++i)
        p[i] = {rows[i].wControl, rows[i].*state};
    return p;
}

void SaveDependencyStates(DEPSTATEPAIR** ppCtrl, DEPSTATEPAIR** ppDevOpt, DEPSTATEPAIR** ppValue)
{
    _EnsureCounted();
    if (ppCtrl)
        *ppCtrl = _SaveStates(g_aCtrlDep, g_cCtrlDep, &CTRLDEP::dwState);
    if (ppDevOpt)
        *ppDevOpt = _SaveStates(g_aDevOptDep, g_cDevOptDep, &DEVOPTDEP::dwResult);
    if (ppValue)
        *ppValue = _SaveStates(g_aValueDep, g_cValueDep, &VALUEDEP::dwResult);
}

void RestoreDependencyStates(DEPSTATEPAIR* pCtrl, DEPSTATEPAIR* pDevOpt, DEPSTATEPAIR* pValue)
{
    for (int i = 0; pCtrl && i < g_cCtrlDep; ++i)
        g_aCtrlDep[i].dwState = pCtrl[i].dwState;
    for (int i = 0; pDevOpt && i < g_cDevOptDep; ++i)
        g_aDevOptDep[i].dwResult = pDevOpt[i].dwState;
    for (int i = 0; pValue && i < g_cValueDep; ++i)
        g_aValueDep[i].dwResult = pValue[i].dwState;
}

static void _FreePairs(DEPSTATEPAIR** pp)
{
    if (pp && *pp) {
        HGLOBAL h = GlobalHandle(*pp);
        GlobalUnlock(h);
        GlobalFree(h);
        *pp = nullptr;
    }
}

void FreeDependencyStates(DEPSTATEPAIR** ppCtrl, DEPSTATEPAIR** ppDevOpt, DEPSTATEPAIR** ppValue)
{
    _FreePairs(ppCtrl);
    _FreePairs(ppDevOpt);
    _FreePairs(ppValue);
}

// ---- Predicates ----

BOOL bCoverSourcePredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage)
{
    if (GetFeatureValue(201) == 1 && GetFeatureValue(212) == 4)
        return TRUE;
    if (GetFeatureValue(205) == 1 && GetFeatureValue(214) == 4)
        return TRUE;
    if (GetFeatureValue(215) == 1) {
        // The insert-sheet entries are read through the list of the settings
        // object: the paper source of the entry being edited stands for them.
        SHORT s = GetFeatureValue(2407);
        if (s == 4 || (s == 4096 && GetFeatureValue(120) == 4))
            return TRUE;
    }
    return FALSE;
}

BOOL bInsertListPredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage)
{
    if (GetFeatureValue(215) != 1)
        return FALSE;
    if (wControl >= 251 && wControl <= 254) {
        // The list buttons act on the selected row of list view 249, which
        // only an open page has.
        HWND h = hwnd;
        const PAGELINK* l = FindPageLink(PAGE_COVER, &h);
        SHORT sSel = -1;
        return l && l->pfnReadControl && l->pfnReadControl(hwnd ? hwnd : h, 249, 0, &sSel) && sSel >= 0;
    }
    return TRUE;
}

BOOL bFormPagePredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage)
{
    SHORT sPdl = GetFeatureValue(844);
    return !(GetFeatureValue(611) == 2 && sPdl == 1);
}

BOOL bImageOptionOffPredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage)
{
    return GetFeatureValue(603) == 0;
}

static void _FreeBlock(void** pp)
{
    if (pp && *pp) {
        HGLOBAL h = GlobalHandle(*pp);
        GlobalUnlock(h);
        GlobalFree(h);
        *pp = nullptr;
    }
}

void FreeOpenReportBlocks(void** ppHolder)
{
    if (!ppHolder || !*ppHolder)
        return;
    OPENREPORT* r = (OPENREPORT*)*ppHolder;
    if (r->pReq) {
        _FreeBlock((void**)&r->pReq->pEntries);
        _FreeBlock((void**)&r->pReq);
    }
    if (r->pRes) {
        _FreeBlock((void**)&r->pRes->pChanges);
        _FreeBlock((void**)&r->pRes->pGiveWays);
        _FreeBlock((void**)&r->pRes);
    }
    _FreeBlock(ppHolder);
}

void FreeConstraintState(UISETTINGS* pObj)
{
    CONSTRAINTSTATE* p = GetConstraintState(pObj);
    if (!p)
        return;
    ForgetFeatureBinding(pObj);
    _FreeBlock((void**)&p->pPageChanges);
    p->cPageChanges = 0;
    _FreeBlock((void**)&p->pChanged);
    p->cChanged = 0;
    FreeOpenReportBlocks(&p->pOpenReport);
    p->bOpenReportPending = 0;
}
