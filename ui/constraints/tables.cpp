// tables.cpp: the engine's constant tables and their lookups (see tables.h).
#include "ui/constraints/tables.h"

#include "ui/constraints/features.h"
#include "ui/constraints/rules.h"
#include "ui/settings/uisettings.h"

#define P_PUNCHHOLES 102

const POSROW1 g_aPosTable1[] = {
#define POS1_ROW(k, v) {k, v, {0, 0, 0}},
#include "ui/constraints/postable1_table.inc"
#undef POS1_ROW
    {0xFFFF, 0, {0, 0, 0}},
};
const POSROW2 g_aPosTable2[] = {
#define POS2_ROW(k, a, b, c) {k, {a, b, c}, 0, 0, 0},
#include "ui/constraints/postable2_table.inc"
#undef POS2_ROW
    {0xFFFF, {0, 0, 0}, 0, 0, 0},
};
const POSROW3 g_aPosTable3[] = {
#define POS3_ROW(k, a, b) {k, a, b, 0, 0, 0},
#include "ui/constraints/postable3_table.inc"
#undef POS3_ROW
    {0xFFFF, 0, 0, 0, 0, 0},
};
const FLAGROW g_aPaperFlags[] = {
#define FLAG_ROW(k, a, b, c, d) {k, {a, b, c, d}, 0, 0, 0},
#include "ui/constraints/paperflag_table.inc"
#undef FLAG_ROW
    {0xFFFF, {0, 0, 0, 0}, 0, 0, 0},
};
const PAPEREQUIVROW g_aPaperEquiv[] = {
#define EQUIV_PAIR(p, e) {1, p, e},
#include "ui/constraints/paperequiv_table.inc"
#undef EQUIV_PAIR
#define EQUIV_PAIR(p, e) {2, p, e},
#include "ui/constraints/paperequiv_table.inc"
#undef EQUIV_PAIR
    {0, 0, 0},
};
// A staple and a punch position that would put holes through the staple:
// the one that changed moves to the replacement.
const POSITIONPAIR g_aPositionPairs[] = {
    {2, 3, 3, 1}, {3, 1, 2, 3}, {4, 2, 5, 1}, {4, 3, 3, 1},
    {5, 1, 2, 2}, {5, 3, 3, 2}, {6, 1, 2, 3}, {6, 2, 5, 3},
    {0, 0, 0, 0},
};
// Papers that feed long edge first through the finisher.
const WORD g_awPositionPapers[] = {
    8, 2057, 2059, 70, 12, 2061, 88, 2049, 43, 3, 5, 2054, 263, 261, 2310, 4104,
    6153, 6155, 4166, 4108, 6157, 4184, 6145, 4139, 4099, 4101, 6150, 4359, 4357, 6406, 8200, 10249,
    10251, 8262, 8204, 10253, 8280, 10241, 8235, 8195, 8197, 10246, 8455, 8453, 10502, 256, 0,
};
const WORD g_awSourceFeatures[] = {212, 214, 120, 0};
const FOLDAVAILROW g_aFoldAvail[] = {
#define FOLDAVAIL_ROW(item, f, st, v, spare) {item, f, st, v, spare},
#include "ui/constraints/foldavail_table.inc"
#undef FOLDAVAIL_ROW
    {0, 0, 0, 0, 0},
};
// A trimmed kind that can no longer be had (the trimmer sits behind the
// saddle unit) falls back to the same kind untrimmed: stitch and trim (3) to
// stitch (1), fold and trim (4) to fold (2).
const FOLDFORCEROW g_aFoldForce[] = {{318, 3, 1}, {318, 4, 2}, {0, 0, 0}};
// Restoring the graphics mode restores the dither pattern with it.
const FEATUREPAIR g_aDefaultPairs[] = {
    {611, 605}, {611, 606}, {611, 607}, {612, 605}, {612, 606}, {612, 607}, {0, 0},
};
const FEATUREPAIR g_aRefreshPairs[] = {{0, 0}};

WORD g_cPosTable1, g_cPosTable2, g_cPosTable3, g_cPaperFlags, g_cPaperEquiv, g_cPositionPairs,
    g_cPositionPapers, g_cSourceFeatures, g_cFoldAvail, g_cFoldForce, g_cDefaultPairs, g_cRefreshPairs;

template <typename ROW>
static WORD _CountKeyed(const ROW* rows)
{
    WORD n = 0;
    while (rows[n].wKey != 0xFFFF)
        ++n;
    return n;
}

static WORD _CountWords(const WORD* p)
{
    WORD n = 0;
    while (p[n])
        ++n;
    return n;
}

void CountConstantTables()
{
    g_cPosTable1 = _CountKeyed(g_aPosTable1);
    g_cPosTable2 = _CountKeyed(g_aPosTable2);
    g_cPosTable3 = _CountKeyed(g_aPosTable3);
    g_cPaperFlags = _CountKeyed(g_aPaperFlags);
    WORD n = 0;
    while (g_aPaperEquiv[n].wSelector)
        ++n;
    g_cPaperEquiv = n;
    n = 0;
    while (g_aPositionPairs[n].sStaple)
        ++n;
    g_cPositionPairs = n;
    g_cPositionPapers = _CountWords(g_awPositionPapers);
    g_cSourceFeatures = _CountWords(g_awSourceFeatures);
    n = 0;
    while (g_aFoldAvail[n].wItem)
        ++n;
    g_cFoldAvail = n;
    n = 0;
    while (g_aFoldForce[n].wFeature)
        ++n;
    g_cFoldForce = n;
    n = 0;
    while (g_aDefaultPairs[n].wFirst)
        ++n;
    g_cDefaultPairs = n;
    n = 0;
    while (g_aRefreshPairs[n].wFirst)
        ++n;
    g_cRefreshPairs = n;
}

static void _EnsureCounted()
{
    if (!g_cPosTable1)
        CountConstantTables();
}

// The row view of a position table: key, value, condition, mode.
struct POSVIEW {
    WORD wKey;
    SHORT sValue;
    WORD wCondFeature;
    SHORT sCondValue;
    WORD wMode;
};

static SHORT _PunchColumnValue(UISETTINGS* pObj, const POSROW2& r)
{
    SHORT sHoles = GetParamEdited(pObj, P_PUNCHHOLES);
    return sHoles >= 2 && sHoles <= 4 ? r.asValue[sHoles - 2] : 0;
}

static SHORT _FoldValue(const POSROW3& r, SHORT sCentre)
{
    if (sCentre >= 1 && sCentre <= 4)
        return r.sValueA;
    return sCentre == 7 ? r.sValueB : 0;
}

static BOOL _ViewAt(UISETTINGS* pObj, int iTable, int i, SHORT sCentre, int iColumn, POSVIEW* v)
{
    switch (iTable) {
    case 1: {
        const POSROW1& r = g_aPosTable1[i];
        *v = {r.wKey, r.sValue, 0, 0, 0};
        return TRUE;
    }
    case 2: {
        const POSROW2& r = g_aPosTable2[i];
        *v = {r.wKey, _PunchColumnValue(pObj, r), r.wCondFeature, r.sCondValue, r.wMode};
        return TRUE;
    }
    case 3: {
        const POSROW3& r = g_aPosTable3[i];
        *v = {r.wKey, _FoldValue(r, sCentre), r.wCondFeature, r.sCondValue, r.wMode};
        return TRUE;
    }
    default: {
        const FLAGROW& r = g_aPaperFlags[i];
        *v = {r.wKey, r.asCol[iColumn - 4], r.wCondFeature, r.sCondValue, r.wMode};
        return TRUE;
    }
    }
}

static SHORT _Lookup(UISETTINGS* pObj, WORD wKey, int iTable, SHORT sCentre, int iColumn)
{
    _EnsureCounted();
    int n = iTable == 1 ? g_cPosTable1 : iTable == 2 ? g_cPosTable2 : iTable == 3 ? g_cPosTable3 : g_cPaperFlags;
    WORD wLastKey = 0;
    for (int i = 0; i < n; ++i) {
        POSVIEW v;
        _ViewAt(pObj, iTable, i, sCentre, iColumn, &v);
        if (v.wKey)
            wLastKey = v.wKey;
        else
            v.wKey = wLastKey;
        if (v.wKey != wKey)
            continue;
        if (!v.wCondFeature)
            return v.sValue;
        if (v.wMode == 1) {
            BOOL all = TRUE;
            int j = i;
            for (; j < n; ++j) {
                POSVIEW w;
                _ViewAt(pObj, iTable, j, sCentre, iColumn, &w);
                all = all && GetFeatureValue(w.wCondFeature) == w.sCondValue;
                if (w.wMode == 2)
                    break;
            }
            if (all)
                return v.sValue;
            i = j;
            continue;
        }
        if (GetFeatureValue(v.wCondFeature) == v.sCondValue)
            return v.sValue;
    }
    return 0;
}

SHORT LookupPaperPosition(UISETTINGS* pObj, WORD wKey, int iTable)
{
    if (iTable < 1 || iTable > 3)
        return 0;
    return _Lookup(pObj, wKey, iTable, GetFeatureValue(318), 0);
}

SHORT LookupPaperPositionForItem(UISETTINGS* pObj, WORD wKey, int iTable, WORD wFeature, int iItem)
{
    if (iTable < 1 || iTable > 3)
        return 0;
    SHORT sCentre = GetFeatureValue(318);
    if (wFeature == 162 || wFeature == 318) {
        const FVLITEM* it = GetFeatureItem(318, iItem);
        if (it)
            sCentre = it->sValue;
    }
    return _Lookup(pObj, wKey, iTable, sCentre, 0);
}

SHORT LookupPaperFlag(UISETTINGS* pObj, WORD wKey, int iColumn)
{
    if (iColumn < 4 || iColumn > 7)
        return 0;
    return _Lookup(pObj, wKey, 4, 0, iColumn);
}

SHORT GetPaperEquivalent(SHORT sSelector, SHORT sPaper)
{
    _EnsureCounted();
    for (int i = 0; i < g_cPaperEquiv; ++i)
        if ((SHORT)g_aPaperEquiv[i].wSelector == sSelector && (SHORT)g_aPaperEquiv[i].wPaper == sPaper)
            return (SHORT)g_aPaperEquiv[i].wEquiv;
    return sPaper;
}

BOOL bIsPositionPaper(SHORT sPaper)
{
    for (int i = 0; g_awPositionPapers[i]; ++i)
        if ((SHORT)g_awPositionPapers[i] == sPaper)
            return TRUE;
    return FALSE;
}

SHORT MapFoldValue(WORD wFeature, SHORT sValue)
{
    for (int i = 0; g_aFoldForce[i].wFeature; ++i)
        if (g_aFoldForce[i].wFeature == wFeature && g_aFoldForce[i].sValue == sValue)
            return g_aFoldForce[i].sRepl;
    return -1;
}
