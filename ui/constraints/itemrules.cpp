// itemrules.cpp: the rules that disable the items of a list that would
// complete a prohibited combination (see resolver.h).
#include "ui/constraints/resolver.h"
#include "ui/constraints/rules.h"
#include "ui/constraints/tables.h"

static BOOL _Enabled(WORD f)
{
    return GetDependencyState(f) == 1;
}

static BOOL _OnPage800(WORD f)
{
    return GetFeaturePage(f) == PAGE_OPTIONS;
}

static void _Disable(WORD a, int b)
{
    FVLITEM* it = GetFeatureItem(a, b);
    if (it)
        it->sEnabled = ITEM_DISABLED;
}

static BOOL _IsStaplePos(WORD f)
{
    return f == 131 || f == 320;
}

static BOOL _IsPunchPos(WORD f)
{
    return f == 137 || f == 322;
}

void ItemBlockedByN(int n, UISETTINGS* pObj, WORD a, int b)
{
    FVLITEM* it = GetFeatureItem(a, b);
    RULEINDEX* idx = GetRuleIndex(pObj);
    if (!it || !idx || n < 2 || n > 5)
        return;
    SHORT e = NormalizeLeadValue(pObj, a, it->sValue);
    WORD first, last;
    if (!bFindRuleRange(a, e, idx->apRuns[n - 2], idx->acRuns[n - 2], &first, &last))
        return;
    BOOL bFlag = GetFeatureAvailFlag(a) != 0;
    for (WORD pos = first; pos <= last; ++pos) {
        const SHORT* row = GetRuleRow(n, idx->apSorted[n - 2][pos]);
        if ((WORD)row[0] != a || row[1] != e)
            continue;
        BOOL bHolds = TRUE;
        for (int k = 1; k < n && bHolds; ++k)
            bHolds = NormalizeConditionValue(pObj, (WORD)row[2 * k], row, n) == row[2 * k + 1];
        if (!bHolds)
            continue;
        if (n >= 3) {
            if (bFlag)
                continue;
            BOOL bUsable = bFeatureUsable(a);
            for (int k = 1; k < n && bUsable; ++k)
                bUsable = bFeatureUsable((WORD)row[2 * k]);
            if (!bUsable)
                continue;
            if (!_OnPage800(a)) {
                _Disable(a, b);
                continue;
            }
            BOOL bAll800 = TRUE;
            for (int k = 1; k < n && bAll800; ++k) {
                WORD c = (WORD)row[2 * k];
                bAll800 = _OnPage800(c) && GetDependencyParent(c) != a;
            }
            if (bAll800)
                _Disable(a, b);
            continue;
        }
        WORD c = (WORD)row[2];
        if (bFlag) {
            if (!_OnPage800(a) && c == 834)
                _Disable(a, b);
            continue;
        }
        if (!bFeatureUsable(a) || !bFeatureUsable(c)) {
            if (_OnPage800(c) && bFeatureUsable(a))
                _Disable(a, b);
            continue;
        }
        if (_OnPage800(a)) {
            if (_OnPage800(c) && GetDependencyParent(c) != a)
                _Disable(a, b);
            continue;
        }
        if (c == 834) {
            _Disable(a, b);
            continue;
        }
        // Staple and punch positions are settled by the position pairs.
        if ((_IsPunchPos(a) && _IsStaplePos(c)) || (_IsStaplePos(a) && _IsPunchPos(c)))
            continue;
        _Disable(a, b);
    }
}

void CheckPaperTypeItem(UISETTINGS* pObj, WORD a, int b)
{
    if (a != 122 || !_Enabled(122) || !_Enabled(231))
        return;
    FVLITEM* it = GetFeatureItem(a, b);
    if (it && FindFeatureItem(231, it->sValue) < 0)
        it->sEnabled = ITEM_DISABLED;
}

void CheckFoldItem(UISETTINGS* pObj, WORD a, int b)
{
    FVLITEM* it = GetFeatureItem(a, b);
    if (a != 139 || !it)
        return;
    for (int i = 0; i < g_cFoldAvail; ++i) {
        const FOLDAVAILROW& r = g_aFoldAvail[i];
        if ((SHORT)r.wItem == it->sValue && GetDependencyState(r.wFeature) == r.dwState &&
            GetFeatureValue(r.wFeature) == r.sValue)
            it->sEnabled = ITEM_DISABLED;
    }
}

// The paper an item of a would print on.
static SHORT _PaperForItem(WORD a, int b)
{
    const FVLITEM* it = GetFeatureItem(a, b);
    SHORT code = it ? it->sValue : 0;
    SHORT s114 = GetFeatureValue(114), s111 = GetFeatureValue(111);
    SHORT p;
    if (a == 111)
        p = s114 == 257 ? code : s114;
    else if (a == 114)
        p = code == 257 ? s111 : code;
    else
        p = s114 == 257 ? s111 : s114;
    return FoldCustomPaperCode(p);
}

void CheckStaplePositionItem(UISETTINGS* pObj, WORD a, int b)
{
    if (!(_Enabled(131) || _Enabled(320)) || !(a == 111 || a == 114 || _IsStaplePos(a)))
        return;
    const FVLITEM* it = GetFeatureItem(a, b);
    if (!it)
        return;
    SHORT S = _IsStaplePos(a) ? it->sValue : GetFeatureValue(131);
    PAPERVIEW v;
    GetFinishingPaperView(_PaperForItem(a, b), &v);
    int e = 0, d = 0;
    SHORT r = LookupPaperPositionForItem(pObj, (WORD)v.sPaper, 1, a, b);
    auto dOf = [](SHORT s) { return (s == 3 || s == 5) ? 1 : s == 4 ? 2 : s == 6 ? 3 : 0; };
    if (r == 1 || (r == 0 && v.bTurn))
        e = (S == 4 || S == 6) ? 1 : S == 5 ? 2 : 0;
    else if (r == 2)
        e = S > 3 ? 3 : 0;
    else if (r == 3) {
        if (a == 111 || a == 114)
            _Disable(a, b);
        return;
    } else if (r == 4)
        d = dOf(S);
    if ((GetFeatureValue(120) == 4 && GetFeatureValue(122) == 8) || (_Enabled(231) && GetFeatureValue(231) == 8)) {
        int d2 = dOf(S);
        if (d2)
            d = d2;
    }
    int o = v.iOrient, f = v.iFeed;
    BOOL bBad = e == 3 || d == 3 || (o == 1 && f == 1 && e == 1) || (o == 2 && f == 1 && e == 2) ||
                (o == 1 && f == 0 && e == 2) || (o == 2 && f == 0 && e == 1) || (o == 1 && f == 1 && d == 2) ||
                (o == 2 && f == 1 && d == 1) || (o == 1 && f == 0 && d == 1) || (o == 2 && f == 0 && d == 2);
    if (bBad && _IsStaplePos(a))
        _Disable(a, b);
}

void CheckPunchPositionItem(UISETTINGS* pObj, WORD a, int b)
{
    if (!(_Enabled(137) || _Enabled(322)) || !(a == 111 || a == 114 || _IsPunchPos(a)))
        return;
    const FVLITEM* it = GetFeatureItem(a, b);
    if (!it)
        return;
    SHORT P = _IsPunchPos(a) ? it->sValue : GetFeatureValue(137);
    PAPERVIEW v;
    GetFinishingPaperView(_PaperForItem(a, b), &v);
    BOOL bStaple = _Enabled(131) || _Enabled(320);
    int byPos = (P == 1 || P == 3) ? 1 : P == 2 ? 2 : 0;
    BOOL bPaperItem = a == 111 || a == 114;
    int e = 0;
    SHORT r = LookupPaperPositionForItem(pObj, (WORD)v.sPaper, 2, a, b);
    if (r == 1)
        e = byPos;
    else if (r == 2) {
        if (v.bTurn) {
            if (bStaple && v.iFeed == 1) {
                if (bPaperItem)
                    _Disable(a, b);
            } else {
                e = byPos;
            }
        } else if (bStaple) {
            e = byPos;
        }
    } else if (r == 3) {
        if (bStaple) {
            if (bPaperItem)
                _Disable(a, b);
        } else {
            e = byPos;
        }
    } else if (r == 4) {
        if (bPaperItem)
            _Disable(a, b);
    } else if (r == 0 && v.bTurn) {
        e = byPos;
    }
    int o = v.iOrient, f = v.iFeed;
    if (((o == 1 && f == 1 && e == 1) || (o == 2 && f == 0 && e == 1) || (o == 2 && f == 1 && e == 2) ||
         (o == 1 && f == 0 && e == 2)) &&
        _IsPunchPos(a))
        _Disable(a, b);
}

void CheckFoldSettingsItem(UISETTINGS* pObj, WORD a, int b)
{
    const FVLITEM* it = GetFeatureItem(a, b);
    if (!it)
        return;
    SHORT c = (a == 162 || a == 318) ? it->sValue : GetFeatureValue(318);
    if (!((_Enabled(161) && _Enabled(162)) || (_Enabled(317) && _Enabled(318))))
        return;
    if (!((c >= 1 && c <= 4) || c == 7))
        return;
    if (!(a == 111 || a == 114 || a == 162 || a == 318))
        return;
    SHORT r = LookupPaperPositionForItem(pObj, (WORD)_PaperForItem(a, b), 3, a, b);
    BOOL bOn = (_Enabled(159) && GetFeatureValue(159) == 1) || (_Enabled(308) && GetFeatureValue(308) == 1) ||
               (_Enabled(312) && GetFeatureValue(312) == 1);
    BOOL bNonZero = (_Enabled(159) && GetFeatureValue(159) != 0) || (_Enabled(308) && GetFeatureValue(308) != 0) ||
                    (_Enabled(312) && GetFeatureValue(312) != 0);
    if ((r == 1 && bOn) || (r == 2 && !bNonZero) || r == 3)
        _Disable(a, b);
}

void CheckSingleSheetNupItem(UISETTINGS* pObj, WORD a, int b)
{
    if (!_Enabled(309) || !(a == 111 || a == 114))
        return;
    WORD p = (WORD)_PaperForItem(a, b);
    if (LookupPaperFlag(pObj, p, 4) == 1 || LookupPaperFlag(pObj, p, 5) == 1)
        _Disable(a, b);
}

void CheckBookletItem(UISETTINGS* pObj, WORD a, int b)
{
    if (!_Enabled(313) || !(a == 111 || a == 114 || a == 313))
        return;
    const FVLITEM* it = GetFeatureItem(a, b);
    if (!it)
        return;
    SHORT B = a == 313 ? it->sValue : GetFeatureValue(313);
    int o = GetFeatureValue(106) == 1 ? 2 : 1;
    SHORT L = GetFeatureValue(303);
    if (_Enabled(303) && (L == 5 || L == 8))
        o = o == 1 ? 2 : 1;
    if ((a == 111 || a == 114) && LookupPaperFlag(pObj, (WORD)_PaperForItem(a, b), 6) == 1)
        _Disable(a, b);
    if (a == 313 && ((o == 1 && (B == 0 || B == 1)) || (o == 2 && B == 2)))
        _Disable(a, b);
}
