// ruleindex.cpp: rule tables, row counting and the per-object rule index
// (see rules.h).
#include "ui/constraints/rules.h"

#include "ui/constraints/features.h"
#include "ui/constraints/tables.h"
#include "ui/settings/uisettings.h"

static const SHORT s_aRules2[] = {
#define R2(f1, v1, f2, v2, tf, tv) f1, v1, f2, v2, tf, tv,
#include "ui/constraints/rules2_table.inc"
#undef R2
    0, 0, 0, 0, 0, 0,
};
static const SHORT s_aRules3[] = {
#define R3(f1, v1, f2, v2, f3, v3, tf, tv) f1, v1, f2, v2, f3, v3, tf, tv,
#include "ui/constraints/rules3_table.inc"
#undef R3
    0, 0, 0, 0, 0, 0, 0, 0,
};
static const SHORT s_aRules4[] = {
#define R4(f1, v1, f2, v2, f3, v3, f4, v4, tf, tv) f1, v1, f2, v2, f3, v3, f4, v4, tf, tv,
#include "ui/constraints/rules4_table.inc"
#undef R4
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};
static const SHORT s_aRules5[] = {
#define R5(f1, v1, f2, v2, f3, v3, f4, v4, f5, v5, tf, tv) f1, v1, f2, v2, f3, v3, f4, v4, f5, v5, tf, tv,
#include "ui/constraints/rules5_table.inc"
#undef R5
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

static const SHORT* const s_apBuiltIn[4] = {s_aRules2, s_aRules3, s_aRules4, s_aRules5};
static const SHORT* s_apTables[4] = {s_aRules2, s_aRules3, s_aRules4, s_aRules5};
WORD g_acRuleRows[4];

const SHORT* GetRuleTable(int n)
{
    return n >= 2 && n <= 5 ? s_apTables[n - 2] : nullptr;
}

void SetRuleTables(const SHORT* apTables[4])
{
    for (int i = 0; i < 4; ++i)
        s_apTables[i] = apTables && apTables[i] ? apTables[i] : s_apBuiltIn[i];
    CountRuleTables();
}

const SHORT* GetRuleRow(int n, int iRow)
{
    const SHORT* t = GetRuleTable(n);
    return t ? t + iRow * RuleRowWords(n) : nullptr;
}

void CountRuleTables()
{
    for (int n = 2; n <= 5; ++n) {
        const SHORT* t = s_apTables[n - 2];
        WORD c = 0;
        while (t[c * RuleRowWords(n)] != 0)
            ++c;
        g_acRuleRows[n - 2] = c;
    }
}

void CountStaticTables()
{
    CountRuleTables();
    CountFeatureTables();
    CountConstantTables();
    CountDependencyTables();
}

RULEINDEX* GetRuleIndex(UISETTINGS* pObj)
{
    return pObj ? (RULEINDEX*)pObj->pRuleIndex : nullptr;
}

void GetRuleKey(int iRow, int n, WORD* pwFeature, SHORT* psValue)
{
    const SHORT* r = (n >= 2 && n <= 5) ? GetRuleRow(n, iRow) : nullptr;
    *pwFeature = r ? (WORD)r[0] : 0;
    *psValue = r ? r[1] : 0;
}

void InitRuleOrder(int c, WORD* pIndex)
{
    for (int i = 0; i < c; ++i)
        pIndex[i] = (WORD)i;
}

static void* _AllocLocked(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

void FreeRuleBlock(void** pp)
{
    if (!pp || !*pp)
        return;
    HGLOBAL h = GlobalHandle(*pp);
    GlobalUnlock(h);
    GlobalFree(h);
    *pp = nullptr;
}

WORD* SortRuleIndex(int c, int n)
{
    if (c <= 0)
        return nullptr;
    WORD* idx = (WORD*)_AllocLocked(c * sizeof(WORD));
    if (!idx)
        return nullptr;
    InitRuleOrder(c, idx);
    int h = 1;
    while (h < c / 3)
        h = 3 * h + 1;
    while (h > 0) {
        for (int i = h; i < c; ++i) {
            for (int j = i - h; j >= 0; j -= h) {
                WORD fl, fr;
                SHORT vl, vr;
                GetRuleKey(idx[j], n, &fl, &vl);
                GetRuleKey(idx[j + h], n, &fr, &vr);
                if (fl > fr || (fl == fr && vl > vr)) {
                    WORD t = idx[j];
                    idx[j] = idx[j + h];
                    idx[j + h] = t;
                    continue;
                }
                if (fl < fr)
                    break;
                // Equal features: a smaller left value ends the step as a
                // smaller feature does; equal keys walk on without a swap.
                if (vl < vr)
                    break;
            }
        }
        h /= 3;
    }
    return idx;
}

BOOL GroupRuleRuns(int c, int n, const WORD* pIndex, RULERANGE** ppRuns, WORD* pcRuns)
{
    *ppRuns = nullptr;
    *pcRuns = 0;
    if (c <= 0 || !pIndex)
        return TRUE;
    // Count first, so the table is allocated with exactly as many runs.
    WORD cRuns = 1;
    WORD fPrev, f;
    SHORT vPrev, v;
    GetRuleKey(pIndex[0], n, &fPrev, &vPrev);
    for (int j = 1; j < c; ++j) {
        GetRuleKey(pIndex[j], n, &f, &v);
        if (f != fPrev || v != vPrev)
            ++cRuns;
        fPrev = f;
        vPrev = v;
    }
    RULERANGE* runs = (RULERANGE*)_AllocLocked(cRuns * sizeof(RULERANGE));
    if (!runs)
        return FALSE;
    int r = 0;
    GetRuleKey(pIndex[0], n, &runs[0].wFeature, &runs[0].sValue);
    runs[0].wFirst = runs[0].wLast = 0;
    for (int j = 1; j < c; ++j) {
        GetRuleKey(pIndex[j], n, &f, &v);
        if (f != runs[r].wFeature || v != runs[r].sValue) {
            runs[r].wLast = (WORD)(j - 1);
            ++r;
            runs[r] = {f, v, (WORD)j, (WORD)j};
        } else if (j == c - 1) {
            runs[r].wLast = (WORD)j;
        }
    }
    *ppRuns = runs;
    *pcRuns = cRuns;
    return TRUE;
}

BOOL bFindRuleRange(WORD wFeature, SHORT sValue, const RULERANGE* pRuns, WORD cRuns, WORD* pwFirst,
                    WORD* pwLast)
{
    *pwFirst = *pwLast = 0;
    if (!pRuns || !cRuns)
        return FALSE;
    SHORT lo = 0, hi = (SHORT)(cRuns - 1);
    while (lo <= hi) {
        SHORT mid = (SHORT)((lo + hi) / 2);
        const RULERANGE& r = pRuns[mid];
        if (r.wFeature == wFeature && r.sValue == sValue) {
            *pwFirst = r.wFirst;
            *pwLast = r.wLast;
            return TRUE;
        }
        if (r.wFeature < wFeature || (r.wFeature == wFeature && r.sValue < sValue))
            lo = (SHORT)(mid + 1);
        else
            hi = (SHORT)(mid - 1);
    }
    return FALSE;
}

void FreeRuleIndexes(UISETTINGS* pObj)
{
    RULEINDEX* pIndex = GetRuleIndex(pObj);
    FreeConstraintState(pObj);
    if (!pIndex)
        return;
    for (int i = 0; i < 4; ++i) {
        FreeRuleBlock((void**)&pIndex->apRuns[i]);
        FreeRuleBlock((void**)&pIndex->apSorted[i]);
    }
    FreeRuleBlock(&pObj->pRuleIndex);
}

BOOL BuildRuleIndexes(UISETTINGS* pObj)
{
    if (!pObj)
        return FALSE;
    ForgetFeatureBinding(pObj);
    InitConstraintState(pObj);
    RULEINDEX* pIndex = (RULEINDEX*)_AllocLocked(sizeof(RULEINDEX));
    if (!pIndex)
        return FALSE;
    pObj->pRuleIndex = pIndex;
    for (int n = 2; n <= 5; ++n) {
        int c = g_acRuleRows[n - 2];
        if (!c)
            continue;
        pIndex->apSorted[n - 2] = SortRuleIndex(c, n);
        if (!pIndex->apSorted[n - 2] ||
            !GroupRuleRuns(c, n, pIndex->apSorted[n - 2], &pIndex->apRuns[n - 2], &pIndex->acRuns[n - 2])) {
            FreeRuleIndexes(pObj);
            return FALSE;
        }
    }
    return TRUE;
}
