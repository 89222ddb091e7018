// forcing.cpp: the seeding steps and the forcing rules a resolver pass runs
// (see resolver.h).
#include <cstring>

#include "ui/constraints/pageservices.h"
#include "ui/dialogs/bindmargin.h"
#include "ui/constraints/resolver.h"
#include "ui/constraints/rules.h"
#include "ui/constraints/tables.h"
#include "ui/settings/papertable.h"

static BOOL _Enabled(WORD f)
{
    return GetDependencyState(f) == 1;
}

static BOOL _OnPage800(WORD f)
{
    return GetFeaturePage(f) == PAGE_OPTIONS;
}

static BOOL _InInitialSeed(const RESOLVEREQ* pReq, WORD f)
{
    for (WORD i = 0; i < pReq->cInitial && i < pReq->cEntries; ++i)
        if (pReq->pEntries[i].wFeature == f)
            return TRUE;
    return FALSE;
}

// ---- Seeding ----

static BOOL _ReadControl(HWND hwnd, UISETTINGS* pObj, WORD wControl, int iKind, SHORT sOld, SHORT* psNew)
{
    HWND h = hwnd;
    const PAGELINK* l = FindPageLink(GetFeaturePage(wControl), &h);
    if (iKind == FK_RADIO) {
        // A radio stands for its own value, whether or not a page is open.
        if (!l) {
            *psNew = GetFeatureValue(wControl);
            return TRUE;
        }
        *psNew = GetRadioValue(wControl);
        return TRUE;
    }
    if (!l || !l->pfnReadControl) {
        // No page to read: the change is the one written into the settings.
        *psNew = GetFeatureValue(wControl);
        return TRUE;
    }
    SHORT s = sOld;
    if (!l->pfnReadControl(hwnd ? hwnd : h, wControl, (WORD)iKind, &s))
        return FALSE;  // an unreadable edit keeps its value
    if (iKind == FK_NUMBER || iKind == FK_SPIN) {
        const FEATURE* f = FindFeature(wControl);
        const UIITEMRANGE* r = f ? (const UIITEMRANGE*)f->pValue : nullptr;
        if (r && r->sMax > r->sMin) {
            if (s < r->sMin)
                s = r->sMin;
            if (s > r->sMax)
                s = r->sMax;
        }
    }
    if (iKind == FK_LIST && FindFeatureItem(wControl, s) < 0)
        return FALSE;
    *psNew = s;
    return TRUE;
}

void SeedChangedControl(HWND hwnd, UISETTINGS* pObj, WORD wControl, RESOLVEREQ* pReq)
{
    BindFeatureFields(pObj);
    pReq->cEntries = 0;
    pReq->wControl = wControl;
    if (!bFeatureExists(wControl) || !pReq->pEntries)
        return;
    LONG lGroups = GetFeatureGroups(wControl);
    if (GetFeatureRole(wControl) & 2) {
        for (int i = 0; i < g_cFeatures; ++i) {
            const FEATURE& f = g_aFeatures[i];
            if (!(f.wKind & FK_VALUEKINDS) || !f.pValue || !(f.dwGroups & (DWORD)lGroups & ~(DWORD)FG_RESTORE))
                continue;
            if (FindSeed(pReq, f.wId) >= 0 || (f.wKind == FK_RADIO && FindSeed(pReq, f.wId) >= 0))
                continue;
            SHORT sOld = GetFeatureValue(f.wId);
            SHORT sNew = sOld;
            if (lGroups & FG_RESTORE)
                sNew = GetFeatureDefault(f.wId);
            else if (!_ReadControl(hwnd, pObj, f.wId, f.wKind, sOld, &sNew))
                continue;
            if (sNew == sOld)
                continue;
            // One entry per value: a radio group is entered once.
            BOOL bGroupSeen = FALSE;
            for (WORD k = 0; k < pReq->cEntries; ++k)
                if (GetFeatureList(pReq->pEntries[k].wFeature) == f.pValue)
                    bGroupSeen = TRUE;
            if (bGroupSeen)
                continue;
            WORD wId = f.wId;
            if (f.wKind == FK_RADIO)
                for (int k = 0; k < g_cFeatures; ++k)
                    if (g_aFeatures[k].pValue == f.pValue && GetRadioValue(g_aFeatures[k].wId) == sNew)
                        wId = g_aFeatures[k].wId;
            AppendSeed(pReq, wId, sOld, sNew);
        }
        for (WORD k = 0; k < pReq->cEntries; ++k)
            SetFeatureValue(pReq->pEntries[k].wFeature, pReq->pEntries[k].sNew);
    } else {
        int iKind = GetFeatureKind(wControl);
        SHORT sNow = GetFeatureValue(wControl);
        const FEATURE* f = FindFeature(wControl);
        HWND h = hwnd;
        BOOL bPage = FindPageLink(GetFeaturePage(wControl), &h) != nullptr;
        // Without a page the value was written already; its old value is
        // the snapshot taken before.
        SHORT sOld = bPage ? sNow : f->sSnapshot;
        SHORT sNew = sNow;
        if (!_ReadControl(hwnd, pObj, wControl, iKind, sNow, &sNew))
            sNew = sNow;
        SetFeatureValue(wControl, sNew);
        AppendSeed(pReq, wControl, sOld, sNew);
    }
    AppendPageChanges(pObj, pReq);
    FixNupOrderInSeed(pObj, pReq);
    SwitchInsertSheetList(hwnd, pObj, pReq);
    pReq->cInitial = pReq->cEntries;
}

void SeedAllFeatures(UISETTINGS* pObj, RESOLVEREQ* pReq)
{
    BindFeatureFields(pObj);
    pReq->cEntries = 0;
    for (int i = 0; i < g_cFeatures; ++i) {
        const FEATURE& f = g_aFeatures[i];
        if ((f.dwGroups & FG_RESTORE) || f.wPage == DLG_INSERT || f.wPage == DLG_INSERTDEF || f.wPage == DLG_TABTEXT)
            continue;
        if (!(f.wKind & FK_VALUEKINDS) || !f.pValue)
            continue;
        SHORT v = GetFeatureValue(f.wId);
        // A radio member that is not selected does not stand for the value.
        if (f.wKind == FK_RADIO && GetRadioValue(f.wId) != v)
            continue;
        AppendSeed(pReq, f.wId, v, v);
    }
    pReq->cInitial = pReq->cEntries;
}

void SeedRecallChanges(UISETTINGS* pObj, RESOLVEREQ* pReq)
{
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    pReq->cEntries = 0;
    for (WORD i = 0; st && st->pChanged && i < st->cChanged; ++i)
        AppendSeed(pReq, st->pChanged[i].wFeature, st->pChanged[i].sOld, st->pChanged[i].sNew);
    pReq->cInitial = pReq->cEntries;
}

// ---- Rule values ----

static BOOL _FinishingCondition()
{
    return (GetFeatureValue(301) == 1 && GetFeatureValue(308) == 1) ||
           (GetFeatureValue(301) == 1 && GetFeatureValue(312) == 1) ||
           (GetFeatureValue(123) == 1 && GetFeatureValue(159) == 1);
}

SHORT NormalizeLeadValue(UISETTINGS* pObj, WORD wFeature, SHORT sValue)
{
    if ((wFeature == 114 || (wFeature == 111 && GetFeatureValue(114) == 257)) && _FinishingCondition())
        sValue = GetPaperEquivalent(GetFeatureValue(309), sValue);
    if (wFeature == 111 || wFeature == 114)
        sValue = FoldCustomPaperCode(sValue);
    return sValue;
}

SHORT NormalizeConditionValue(UISETTINGS* pObj, WORD wFeature, const SHORT* pRow, int n)
{
    SHORT v = GetFeatureValue(wFeature);
    if (_FinishingCondition()) {
        BOOL b111 = FALSE, b114 = FALSE;
        for (int k = 0; k < n; ++k) {
            b111 = b111 || (WORD)pRow[2 * k] == 111;
            b114 = b114 || (WORD)pRow[2 * k] == 114;
        }
        if (b111 && b114 && GetFeatureValue(114) == 257) {
            if (wFeature == 111)
                v = GetPaperEquivalent(GetFeatureValue(309), v);
        } else if (b114 && wFeature == 114) {
            v = GetPaperEquivalent(GetFeatureValue(309), v);
        }
    }
    if (wFeature == 111 || wFeature == 114)
        v = FoldCustomPaperCode(v);
    return v;
}

// ---- Table families ----

void ApplyRulesOfN(int n, HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    RULEINDEX* idx = GetRuleIndex(pObj);
    if (!idx || n < 2 || n > 5)
        return;
    const RULERANGE* runs = idx->apRuns[n - 2];
    WORD cRuns = idx->acRuns[n - 2];
    const WORD* sorted = idx->apSorted[n - 2];
    for (WORD s = 0; s < pReq->cEntries && !pRes->bOverflow; ++s) {
        WORD f = pReq->pEntries[s].wFeature;
        SHORT v = NormalizeLeadValue(pObj, f, pReq->pEntries[s].sNew);
        WORD first, last;
        if (!bFindRuleRange(f, v, runs, cRuns, &first, &last))
            continue;
        for (WORD pos = first; pos <= last; ++pos) {
            const SHORT* row = GetRuleRow(n, sorted[pos]);
            if ((WORD)row[0] != f || row[1] != v)
                continue;
            BOOL bHolds = TRUE;
            for (int k = 1; k < n && bHolds; ++k)
                bHolds = NormalizeConditionValue(pObj, (WORD)row[2 * k], row, n) == row[2 * k + 1];
            if (!bHolds)
                continue;
            WORD tf = (WORD)row[2 * n];
            SHORT tv = row[2 * n + 1];
            WORD wKind = (WORD)n;
            if (!_OnPage800(tf) && GetDeviceOptionState(tf) == 0 && _OnPage800(f)) {
                if (GetDependencyParent(tf) != 0 && GetDependencyParent(tf) != 0xFFFF &&
                    GetFeatureKind(tf) == FK_LIST)
                    continue;
                wKind = 10;
            } else if (f != 612) {
                if (n == 2) {
                    WORD c = (WORD)row[2];
                    if (!_OnPage800(f) && !bFeatureUsable(f))
                        continue;
                    if (!_OnPage800(c) && !bFeatureUsable(c))
                        continue;
                    if (_OnPage800(f) && _OnPage800(c) && !bFeatureUsable(f))
                        continue;
                } else {
                    BOOL bAll = TRUE;
                    for (int k = 0; k < n && bAll; ++k)
                        bAll = bFeatureUsable((WORD)row[2 * k]);
                    if (!bAll)
                        continue;
                }
            }
            if (!AppendChange(pRes, tf, tv, wKind))
                return;
            BOOL bPushedBack = FALSE;
            for (WORD i = 0; i < pReq->cInitial && i < pReq->cEntries; ++i)
                if (pReq->pEntries[i].wFeature == tf && pReq->pEntries[i].sOld == tv)
                    bPushedBack = TRUE;
            if (bPushedBack)
                for (int k = 0; k < n; ++k) {
                    WORD c = (WORD)row[2 * k];
                    if (c != tf && !_OnPage800(c) && !_InInitialSeed(pReq, c))
                        AppendGiveWay(pRes, c, GetFeatureValue(c));
                }
            if (n == 2 && row[2] == 612)
                pRes->sStatus = RS_RULE612;
            if (n == 3 && (row[2] == 612 || row[4] == 612) && bPushedBack)
                pRes->sStatus = RS_RULE612;
        }
    }
}

void ReenablePairedPosition(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    static const WORD kPairs[4][3] = {{131, 130, 137}, {137, 136, 131}, {320, 319, 322}, {322, 321, 320}};
    for (WORD i = 0; i < pReq->cEntries; ++i)
        for (const auto& p : kPairs)
            if (pReq->pEntries[i].wFeature == p[0] && GetFeatureValue(p[1]) == 1 && _Enabled(p[1]) &&
                !_Enabled(p[2]) && GetDeviceOptionState(p[2]) == 1)
                SetDependencyState(p[2], 1);
}

// ---- Special rules ----

static int _SyncCoverPaperType(RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (!_Enabled(122) || !_Enabled(231))
        return 0;
    SHORT s122 = GetFeatureValue(122), s231 = GetFeatureValue(231);
    for (WORD i = 0; i < pReq->cEntries; ++i) {
        const CHANGE6& e = pReq->pEntries[i];
        if (e.wFeature == 122 && e.sNew != s231) {
            if (i == 0) {
                AppendChange(pRes, 231, e.sNew, 2);
                return 2;
            }
            AppendChange(pRes, 122, s231, 2);
            return 1;
        }
        if ((e.wFeature == 201 || e.wFeature == 205 || e.wFeature == 212 || e.wFeature == 214 ||
             e.wFeature == 215) && s122 != s231) {
            AppendChange(pRes, 231, s122, 2);
            return 2;
        }
        if (e.wFeature == 231 && e.sNew != s122) {
            if (i == 0) {
                AppendChange(pRes, 122, e.sNew, 2);
                return 1;
            }
            if (FindFeatureItem(231, s122) < 0) {
                AppendChange(pRes, 122, 1, 2);
                AppendChange(pRes, 231, 1, 2);
                return 3;
            }
            AppendChange(pRes, 231, s122, 2);
            return 2;
        }
    }
    return 0;
}

static int _ForceChapterOff(RESOLVERESULT* pRes)
{
    if (_Enabled(310) && !_Enabled(314) && GetFeatureValue(310) == 0 && GetFeatureValue(314) == 1) {
        AppendChange(pRes, 314, 0, 21);
        return 1;
    }
    return 0;
}

static BOOL _SeedHasPage800(const RESOLVEREQ* pReq)
{
    for (WORD i = 0; i < pReq->cEntries; ++i)
        if (_OnPage800(pReq->pEntries[i].wFeature))
            return TRUE;
    return FALSE;
}

static int _FixDeviceOptionLists(UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    int iFired = 0;
    WORD wLast = 0;
    for (int r = 0; r < g_cDevOptDep; ++r) {
        const DEVOPTDEP& d = g_aDevOptDep[r];
        if (!d.wControl || d.wControl == wLast || d.wRuleFlag != 1 || GetFeatureKind(d.wControl) != FK_LIST)
            continue;
        WORD c = d.wControl;
        wLast = c;
        WORD p = GetDependencyParent(c);
        BOOL b800 = _SeedHasPage800(pReq);
        if (!(b800 || (p != 0xFFFF && FindSeed(pReq, p) >= 0)))
            continue;
        if ((GetFeatureGroups(pReq->wControl) & FG_RESTORE) && GetFeaturePage(pReq->wControl) == GetFeaturePage(c))
            continue;
        DWORD stC = GetDependencyState(c), stP = p != 0xFFFF ? GetDependencyState(p) : 0;
        SetDependencyState(c, 1);
        if (p != 0xFFFF)
            SetDependencyState(p, 1);
        UpdateFeatureAvailability(pObj, c);
        SHORT cur = GetFeatureValue(c), snap = GetFeatureSnapshot(pObj, c);
        int jc = FindFeatureItem(c, cur), js = FindFeatureItem(c, snap);
        BOOL bChose = FALSE, bFirstOrDefault = FALSE, bDefault = FALSE;
        SHORT sChosen = cur;
        if (jc >= 0 && GetFeatureItem(c, jc)->sEnabled == ITEM_ENABLED) {
        } else if (js >= 0 && GetFeatureItem(c, js)->sEnabled == ITEM_ENABLED && snap != cur) {
            sChosen = snap;
            bChose = TRUE;
        } else {
            int n = GetFeatureItemCount(c);
            for (int j = 0; j < n && !bChose; ++j)
                if (GetFeatureItem(c, j)->sEnabled == ITEM_ENABLED) {
                    sChosen = GetFeatureItem(c, j)->sValue;
                    bChose = bFirstOrDefault = TRUE;
                }
            if (!bChose && GetFeatureDefault(c) != cur) {
                sChosen = GetFeatureDefault(c);
                bChose = bFirstOrDefault = bDefault = TRUE;
            }
        }
        if (bChose) {
            SHORT sFold = MapFoldValue(c, cur);
            if (sFold >= 0)
                sChosen = sFold;
            AppendChange(pRes, c, sChosen, 20);
            if (bDefault && b800 && p != 0xFFFF && GetFeatureKind(p) == FK_CHECK &&
                GetFeatureValue(p) != GetFeatureDefault(p))
                AppendChange(pRes, p, GetFeatureDefault(p), 11);
        }
        SetDependencyState(c, stC);
        if (p != 0xFFFF)
            SetDependencyState(p, stP);
        if (bFirstOrDefault)
            iFired = 2;
    }
    return iFired;
}

static void _ReseedPaperSizes(RESOLVEREQ* pReq)
{
    BOOL bTrigger = FALSE;
    for (WORD i = 0; i < pReq->cEntries; ++i) {
        const CHANGE6& e = pReq->pEntries[i];
        if ((e.wFeature == 308 || e.wFeature == 312 || e.wFeature == 159) && e.sNew == 0)
            bTrigger = TRUE;
        if (e.wFeature == 301 && e.sNew == 0 && (GetFeatureValue(308) == 1 || GetFeatureValue(312) == 1))
            bTrigger = TRUE;
    }
    if (!bTrigger || FindSeed(pReq, 111) >= 0 || FindSeed(pReq, 114) >= 0)
        return;
    WORD f = FoldCustomPaperCode(GetFeatureValue(114)) == 257 ? 111 : 114;
    SHORT v = GetFeatureValue(f);
    AppendSeed(pReq, f, v, v);
}

static void _ResetDefaultPairs(RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (!(GetFeatureRole(pReq->wControl) & 2) || !(GetFeatureGroups(pReq->wControl) & FG_RESTORE))
        return;
    for (WORD i = 0; i < pReq->cEntries; ++i)
        for (int k = 0; k < g_cDefaultPairs; ++k)
            if (g_aDefaultPairs[k].wFirst == pReq->pEntries[i].wFeature) {
                WORD r = g_aDefaultPairs[k].wSecond;
                if (GetFeatureValue(r) != GetFeatureDefault(r))
                    AppendChange(pRes, r, GetFeatureDefault(r), 0);
            }
}

static void _ForceMarginShift(UISETTINGS* pObj, RESOLVERESULT* pRes)
{
    DWORD dw = CalcBindingMarginLimits(pObj, nullptr);
    // Only a change: a margin mode already at shift needs no entry.
    if ((dw & (0x10 | 0x20 | 0x100 | 0x200)) && GetFeatureValue(2301) != 1)
        AppendChange(pRes, 2301, 1, 2);
}

int ApplySpecialRules(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    int a = _SyncCoverPaperType(pReq, pRes);
    int b = _ForceChapterOff(pRes);
    int c = _FixDeviceOptionLists(pObj, pReq, pRes);
    _ReseedPaperSizes(pReq);
    _ResetDefaultPairs(pReq, pRes);
    _ForceMarginShift(pObj, pRes);
    int r = (a ? 1 : 0) + (b ? 4 : 0);
    return r + c;
}

int ForceUnavailableChecks(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    int n = 0;
    WORD wCur = 0;
    for (int r = 0; r < g_cDevOptDep; ++r) {
        if (g_aDevOptDep[r].wControl)
            wCur = g_aDevOptDep[r].wControl;
        if (!g_aDevOptDep[r].wControl || g_aDevOptDep[r].dwResult != 0 || GetFeatureKind(wCur) != FK_CHECK)
            continue;
        if (GetFeatureValue(wCur) != GetFeatureDefault(wCur)) {
            // Once per check box per pass.
            BOOL bSeen = FALSE;
            for (WORD i = 0; i < pRes->cChanges; ++i)
                if (pRes->pChanges[i].wFeature == wCur && pRes->pChanges[i].wKind == 12)
                    bSeen = TRUE;
            if (!bSeen && AppendChange(pRes, wCur, GetFeatureDefault(wCur), 12))
                ++n;
        }
    }
    return n;
}

// ---- Finishing fix-ups ----

static SHORT _CurrentPaper()
{
    SHORT s114 = GetFeatureValue(114);
    return FoldCustomPaperCode(s114 == 257 ? GetFeatureValue(111) : s114);
}

static int _Flip(int o)
{
    return o == 1 ? 2 : 1;
}

void GetFinishingPaperView(SHORT sPaper, PAPERVIEW* v)
{
    SHORT p = sPaper;
    if (_Enabled(309) || (_Enabled(312) && GetFeatureValue(312) == 1) ||
        (_Enabled(134) && GetFeatureValue(134) == 1) || (_Enabled(159) && GetFeatureValue(159) == 1)) {
        SHORT s = GetFeatureValue(309);
        for (int i = 0; i < g_cPaperEquiv; ++i)
            if ((SHORT)g_aPaperEquiv[i].wSelector == s && (SHORT)g_aPaperEquiv[i].wPaper == p) {
                p = (SHORT)g_aPaperEquiv[i].wEquiv;
                break;
            }
    }
    int f = bIsPositionPaper(p) ? 1 : 0;
    BOOL bTurn = FALSE;
    if (_Enabled(317) && _Enabled(318)) {
        SHORT c = GetFeatureValue(318);
        if (c == 5) {
            bTurn = TRUE;
            if (bIsRotatedPaper(p) && f == 1) {
                p = (SHORT)GetPlainPaperCode(p);
                f = 0;
            }
        } else if (c == 6) {
            bTurn = TRUE;
            if (bHasRotatedPaper(p) && f == 0) {
                p = (SHORT)GetRotatedPaperCode(p);
                f = 1;
            }
        }
    }
    int o = GetFeatureValue(106);
    SHORT L = GetFeatureValue(125);
    if ((_Enabled(125) || _Enabled(303)) && (L == 5 || L == 8))
        o = _Flip(o);
    if (_Enabled(309)) {
        SHORT s = GetFeatureValue(309);
        if (s == 1 || s == 2)
            o = _Flip(o);
    } else if ((_Enabled(312) && GetFeatureValue(312) == 1) || (_Enabled(134) && GetFeatureValue(134) == 1) ||
               (_Enabled(159) && GetFeatureValue(159) == 1)) {
        o = _Flip(o);
    }
    *v = {p, f, o, bTurn};
}

static BOOL _UsersChange(RESOLVEREQ* pReq, RESOLVERESULT* pRes, WORD k1, WORD k2, WORD l1, WORD l2)
{
    if (!pReq->cEntries)
        return FALSE;
    WORD f0 = pReq->pEntries[0].wFeature;
    BOOL b = f0 == k1 || f0 == k2 || (pReq->cInitial == 2 && (f0 == l1 || f0 == l2));
    if (b) {
        if (GetFeatureValue(114) == 257)
            AppendGiveWay(pRes, 111, GetFeatureValue(111));
        AppendGiveWay(pRes, 114, GetFeatureValue(114));
    }
    return b;
}

static int _StapleD(SHORT S)
{
    return (S == 3 || S == 5) ? 1 : S == 4 ? 2 : S == 6 ? 3 : 0;
}

static void _FixStaplePosition(UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (!((_Enabled(130) && _Enabled(131)) || (_Enabled(319) && _Enabled(320))))
        return;
    PAPERVIEW v;
    GetFinishingPaperView(_CurrentPaper(), &v);
    SHORT S = GetFeatureValue(131);
    int e = 0, d = 0;
    SHORT r = LookupPaperPosition(pObj, (WORD)v.sPaper, 1);
    if (r == 1 || (r == 0 && v.bTurn))
        e = (S == 4 || S == 6) ? 1 : S == 5 ? 2 : 0;
    else if (r == 2)
        e = S > 3 ? 3 : 0;
    else if (r == 3) {
        _UsersChange(pReq, pRes, 130, 319, 131, 320);
        if (_Enabled(130))
            AppendChange(pRes, 130, 0, 0);
        else if (_Enabled(319))
            AppendChange(pRes, 319, 0, 0);
        return;
    } else if (r == 4)
        d = _StapleD(S);
    if ((GetFeatureValue(120) == 4 && GetFeatureValue(122) == 8) || (_Enabled(231) && GetFeatureValue(231) == 8)) {
        int d2 = _StapleD(S);
        if (d2)
            d = d2;
    }
    int o = v.iOrient, f = v.iFeed;
    BOOL bMove = e == 3 || d == 3 || (o == 1 && f == 1 && e == 1) || (o == 2 && f == 1 && e == 2) ||
                 (o == 1 && f == 0 && e == 2) || (o == 2 && f == 0 && e == 1) || (o == 1 && f == 1 && d == 2) ||
                 (o == 2 && f == 1 && d == 1) || (o == 1 && f == 0 && d == 1) || (o == 2 && f == 0 && d == 2);
    if (bMove) {
        if (_Enabled(131))
            AppendChange(pRes, 131, 2, 0);
        else if (_Enabled(320))
            AppendChange(pRes, 320, 2, 0);
    }
}

static void _FixPunchPosition(UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (!((_Enabled(136) && _Enabled(137)) || (_Enabled(321) && _Enabled(322))))
        return;
    PAPERVIEW v;
    GetFinishingPaperView(_CurrentPaper(), &v);
    SHORT P = GetFeatureValue(137);
    BOOL bStaple = _Enabled(131) || _Enabled(320);
    int byPos = (P == 1 || P == 3) ? 1 : P == 2 ? 2 : 0;
    int e = 0;
    SHORT r = LookupPaperPosition(pObj, (WORD)v.sPaper, 2);
    if (r == 1)
        e = byPos;
    else if (r == 2)
        e = v.bTurn ? ((bStaple && v.iFeed == 1) ? 3 : byPos) : (bStaple ? byPos : 0);
    else if (r == 3)
        e = bStaple ? 3 : byPos;
    else if (r == 4)
        e = 4;
    else if (r == 0 && v.bTurn)
        e = byPos;
    if (e == 3 || e == 4) {
        _UsersChange(pReq, pRes, 136, 321, 137, 322);
        if (_Enabled(136))
            AppendChange(pRes, 136, 0, 0);
        else if (_Enabled(321))
            AppendChange(pRes, 321, 0, 0);
        return;
    }
    int o = v.iOrient, f = v.iFeed;
    SHORT sTo = 0;
    if ((o == 1 && f == 1 && e == 1) || (o == 2 && f == 0 && e == 1))
        sTo = 2;
    else if ((o == 2 && f == 1 && e == 2) || (o == 1 && f == 0 && e == 2))
        sTo = 1;
    if (sTo) {
        if (_Enabled(137))
            AppendChange(pRes, 137, sTo, 0);
        else if (_Enabled(322))
            AppendChange(pRes, 322, sTo, 0);
    }
}

static BOOL _OnAndEnabled(WORD f)
{
    return _Enabled(f) && GetFeatureValue(f) == 1;
}

static void _FixFoldSettings(UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (!((_Enabled(161) && _Enabled(162)) || (_Enabled(317) && _Enabled(318))))
        return;
    SHORT c = GetFeatureValue(318);
    if (!((c >= 1 && c <= 4) || c == 7))
        return;
    SHORT r = LookupPaperPosition(pObj, (WORD)_CurrentPaper(), 3);
    int action = 0;
    BOOL bAny = (_Enabled(159) && GetFeatureValue(159) != 0) || (_Enabled(308) && GetFeatureValue(308) != 0) ||
                (_Enabled(312) && GetFeatureValue(312) != 0);
    if (r == 1)
        action = _OnAndEnabled(308) ? 1 : (_OnAndEnabled(159) || _OnAndEnabled(312)) ? 2 : 0;
    else if (r == 2)
        action = bAny ? 0 : 3;
    else if (r == 3)
        action = 3;
    if (!action)
        return;
    if (action == 1 && _Enabled(308))
        AppendChange(pRes, 308, 0, 0);
    if (action == 2) {
        if (_Enabled(159))
            AppendChange(pRes, 159, 0, 0);
        if (_Enabled(312))
            AppendChange(pRes, 312, 0, 0);
    }
    if (action == 3) {
        if (_Enabled(161))
            AppendChange(pRes, 161, 0, 0);
        if (_Enabled(317))
            AppendChange(pRes, 317, 0, 0);
    }
    if (!pRes->cChanges)
        return;
    CHANGEENTRY& last = pRes->pChanges[pRes->cChanges - 1];
    BOOL bUsers = FALSE;
    for (WORD i = 0; i < pReq->cInitial && i < pReq->cEntries; ++i)
        if (pReq->pEntries[i].wFeature == last.wFeature)
            bUsers = TRUE;
    if (!bUsers)
        return;
    if (action == 1 || action == 2) {
        // The user's own setting stays; centre finishing goes off instead.
        if (_Enabled(161))
            last = {161, GetFeatureList(161), 0, 0};
        if (_Enabled(317))
            last = {317, GetFeatureList(317), 0, 0};
    } else {
        if (GetFeatureValue(114) == 257)
            AppendGiveWay(pRes, 111, GetFeatureValue(111));
        AppendGiveWay(pRes, 114, GetFeatureValue(114));
    }
}

static void _FixSingleSheetNup(UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (!(_Enabled(308) && _Enabled(309)))
        return;
    WORD p = (WORD)_CurrentPaper();
    if (LookupPaperFlag(pObj, p, 4) == 1 || LookupPaperFlag(pObj, p, 5) == 1) {
        _UsersChange(pReq, pRes, 308, 308, 309, 309);
        AppendChange(pRes, 308, 0, 0);
    }
}

static void _FixBookletSettings(UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (!(_Enabled(312) && _Enabled(313)))
        return;
    int o = _Flip(GetFeatureValue(106));
    SHORT L = GetFeatureValue(303);
    if (_Enabled(303) && (L == 5 || L == 8))
        o = _Flip(o);
    if (LookupPaperFlag(pObj, (WORD)_CurrentPaper(), 6) == 1) {
        _UsersChange(pReq, pRes, 312, 312, 313, 313);
        AppendChange(pRes, 312, 0, 0);
    }
    SHORT B = GetFeatureValue(313);
    if (o == 1 && (B == 0 || B == 1))
        AppendChange(pRes, 313, 2, 0);
    else if (o == 2 && B == 2)
        AppendChange(pRes, 313, 1, 0);
}

// Writes this pass's change values of the given features into the settings.
static void _WritePassValues(const RESOLVERESULT* pRes, WORD wFrom, const WORD* pFeatures, int n)
{
    for (WORD i = wFrom; i < pRes->cChanges; ++i)
        for (int k = 0; k < n; ++k)
            if (pRes->pChanges[i].wFeature == pFeatures[k])
                SetFeatureValue(pFeatures[k], pRes->pChanges[i].sValue);
}

// Replaces the values of a feature's change entries with a new one, or
// appends one.
static void _ReplaceOrAppend(RESOLVERESULT* pRes, WORD f, SHORT v, WORD wKind)
{
    BOOL bFound = FALSE;
    for (WORD i = 0; i < pRes->cChanges; ++i)
        if (pRes->pChanges[i].wFeature == f) {
            pRes->pChanges[i].sValue = v;
            bFound = TRUE;
        }
    if (!bFound)
        AppendChange(pRes, f, v, wKind);
}

static WORD s_wPassFrom;

static void _CheckEmptySourceLists(HWND hwnd, UISETTINGS* pObj, RESOLVERESULT* pRes)
{
    static const WORD kSaved[] = {212, 214, 120, 201, 205, 215, 231, 132, 310};
    SHORT asSaved[9];
    for (int k = 0; k < 9; ++k)
        asSaved[k] = GetFeatureValue(kSaved[k]);
    _WritePassValues(pRes, s_wPassFrom, kSaved, 9);
    EvaluateControlDependencies(hwnd, pObj);
    BOOL bRecall = GetResolveMode(pObj) == 2;
    for (int s = 0; s < g_cSourceFeatures; ++s) {
        if (pRes->cGiveWays > 0 && !bRecall)
            break;
        WORD f = g_awSourceFeatures[s];
        if (!_Enabled(f))
            continue;
        UpdateFeatureAvailability(pObj, f);
        int j = FindFeatureItem(f, GetFeatureValue(f));
        if (j >= 0 && GetFeatureItem(f, j)->sEnabled == ITEM_ENABLED)
            continue;
        int n = GetFeatureItemCount(f), k = 0;
        while (k < n && GetFeatureItem(f, k)->sEnabled != ITEM_ENABLED)
            ++k;
        if (k == n) {
            pRes->sStatus = RS_EMPTYLIST;
            break;
        }
        SHORT v = GetFeatureItem(f, k)->sValue;
        _ReplaceOrAppend(pRes, f, v, 0);
        SetFeatureValue(f, v);
    }
    // Put back whatever the test wrote, also after an empty list.
    for (int k = 0; k < 9; ++k)
        SetFeatureValue(kSaved[k], asSaved[k]);
    EvaluateControlDependencies(hwnd, pObj);
}

static void _CheckOutputTray(HWND hwnd, UISETTINGS* pObj, RESOLVERESULT* pRes)
{
    static const WORD kSaved[] = {139, 317, 318};
    SHORT asSaved[3];
    for (int k = 0; k < 3; ++k)
        asSaved[k] = GetFeatureValue(kSaved[k]);
    _WritePassValues(pRes, s_wPassFrom, kSaved, 3);
    EvaluateControlDependencies(hwnd, pObj);
    if (_Enabled(139)) {
        UpdateFeatureAvailability(pObj, 139);
        int j = FindFeatureItem(139, GetFeatureValue(139));
        if (!(j >= 0 && GetFeatureItem(139, j)->sEnabled == ITEM_ENABLED)) {
            int n = GetFeatureItemCount(139);
            for (int k = 0; k < n; ++k)
                if (GetFeatureItem(139, k)->sEnabled == ITEM_ENABLED) {
                    _ReplaceOrAppend(pRes, 139, GetFeatureItem(139, k)->sValue, 0);
                    break;
                }
        }
    } else if (GetFeatureValue(139) != GetFeatureDefault(139)) {
        AppendChange(pRes, 139, GetFeatureDefault(139), 0);
    }
    for (int k = 0; k < 3; ++k)
        SetFeatureValue(kSaved[k], asSaved[k]);
    EvaluateControlDependencies(hwnd, pObj);
}

void FixUpAfterRules(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    for (WORD i = 0; i < pReq->cEntries; ++i) {
        const CHANGE6& e = pReq->pEntries[i];
        if (e.wFeature == 301 && e.sNew == 1) {
            SetFeatureValue(123, 0);
            EvaluateControlDependencies(hwnd, pObj);
            break;
        }
        if (e.wFeature == 123 && e.sNew == 1) {
            SetFeatureValue(301, 0);
            EvaluateControlDependencies(hwnd, pObj);
            break;
        }
    }
    _FixStaplePosition(pObj, pReq, pRes);
    _FixPunchPosition(pObj, pReq, pRes);
    _FixFoldSettings(pObj, pReq, pRes);
    _FixSingleSheetNup(pObj, pReq, pRes);
    _FixBookletSettings(pObj, pReq, pRes);
    _CheckEmptySourceLists(hwnd, pObj, pRes);
    _CheckOutputTray(hwnd, pObj, pRes);
}

// ---- Pairing at the end of a pass ----

static void _AdjustPositionPairs(RESOLVEREQ* pReq, RESOLVERESULT* pRes, WORD wFrom)
{
    if ((GetFeatureRole(pReq->wControl) & 2) && (GetFeatureGroups(pReq->wControl) & FG_RESTORE))
        return;
    auto inSeed = [&](std::initializer_list<WORD> fs) {
        for (WORD f : fs)
            if (FindSeed(pReq, f) >= 0)
                return TRUE;
        return FALSE;
    };
    int iStaple = -1, iPunch = -1;
    for (WORD i = wFrom; i < pRes->cChanges; ++i) {
        WORD f = pRes->pChanges[i].wFeature;
        if (f == 131 || f == 320)
            iStaple = i;
        if (f == 137 || f == 322)
            iPunch = i;
    }
    BOOL bStaple = inSeed({130, 131, 319, 320}) || iStaple >= 0;
    BOOL bPunch = inSeed({136, 137, 321, 322}) || iPunch >= 0;
    if (!bStaple || !bPunch)
        return;
    SHORT S = iStaple >= 0 ? pRes->pChanges[iStaple].sValue : GetFeatureValue(131);
    SHORT P = iPunch >= 0 ? pRes->pChanges[iPunch].sValue : GetFeatureValue(137);
    for (int k = 0; k < g_cPositionPairs; ++k) {
        const POSITIONPAIR& pp = g_aPositionPairs[k];
        if (pp.sStaple != S || pp.sPunch != P)
            continue;
        SHORT sNewS = S, sNewP = P;
        if (iStaple >= 0 && iPunch >= 0) {
            sNewS = GetFeatureDefault(131);
            sNewP = GetFeatureDefault(137);
        } else if (iStaple >= 0) {
            sNewS = pp.sStapleRepl;
        } else if (iPunch >= 0) {
            sNewP = pp.sPunchRepl;
        }
        for (WORD i = wFrom; i < pRes->cChanges; ++i) {
            WORD f = pRes->pChanges[i].wFeature;
            if (iStaple >= 0 && (f == 131 || f == 320))
                pRes->pChanges[i].sValue = sNewS;
            if (iPunch >= 0 && (f == 137 || f == 322))
                pRes->pChanges[i].sValue = sNewP;
        }
        break;
    }
}

static void _SyncPaperTypes(RESOLVERESULT* pRes, WORD wFrom)
{
    WORD cEnd = pRes->cChanges;
    for (WORD i = wFrom; i < cEnd; ++i) {
        const CHANGEENTRY e = pRes->pChanges[i];
        if (e.wFeature == 122 && _Enabled(231) && GetFeatureValue(231) != e.sValue)
            AppendChange(pRes, 231, e.sValue, 2);
        else if (e.wFeature == 231 && _Enabled(122) && GetFeatureValue(122) != e.sValue)
            AppendChange(pRes, 122, e.sValue, 2);
    }
}

void SyncPairedSettings(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes, WORD wFrom)
{
    _AdjustPositionPairs(pReq, pRes, wFrom);
    _SyncPaperTypes(pRes, wFrom);
}

// The pass start, for the checks that look at this pass's entries only.
void SetPassStart(WORD wFrom)
{
    s_wPassFrom = wFrom;
}

