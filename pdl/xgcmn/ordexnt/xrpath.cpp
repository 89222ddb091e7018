// xrpath.cpp: paths of the ORDEX generator: the path writer (drawing paths
// subpath by subpath, clip paths record by record with a saved copy) and
// the bodies of DrvFillPath, DrvStrokePath and DrvStrokeAndFillPath.
//
// Entry points: UpdatePath, FillPathBody, StrokePathBody,
// StrokeAndFillPathBody, DrawPathBody (the hooks' dispatcher),
// FreeSavedClipPath and ReleasePathCache.
//
// Facts the code relies on:
//  1. GDI's points are 28.4 values; a written point is shifted right by 4
//     (floor) and mapped through the N-up scale and cell offsets. Every
//     point after "mta" is written as the difference from the point written
//     before it.
//  2. A subpath's first record carries its start point before its line or
//     curve points; consecutive records of one kind form one run, written
//     as one "ltr" or "bzr".
//  3. Every command goes out as calls of less than 256 bytes: a head, one
//     call per point, and the closing ";\n".
//  4. The saved clip path holds exactly what was last written as path 3;
//     it is dropped whenever a different path 3 is written, even when the
//     new one cannot be kept.
#include <cmath>
#include <cstring>

#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/ordexnt/xrbrush.h"
#include "pdl/xgcmn/ordexnt/xrtext.h"
#include "platform/windows.h"

namespace {

#define SAVED_PATH_MAX_RECORDS 128
#define SAVED_PATH_MAX_POINTS 8000

CHAINHEAD* _Chain(PDEV* pPDev)
{
    return PdevChain(pPDev);
}

LONG _Px(FIX f)
{
    return f >> 4;
}

// ---- point writer ----------------------------------------------------------------

struct PTWRITER {
    PDEV* pPDev;
    LONG x;  // last written point, mapped
    LONG y;
};

void _MoveTo(PTWRITER* pw, const POINTFIX& pt)
{
    pw->x = NupMapX(pw->pPDev, _Px(pt.x));
    pw->y = NupMapY(pw->pPDev, _Px(pt.y));
    PdlPrintf(pw->pPDev, "mta %d %d;\n", pw->x, pw->y);
}

void _PointTo(PTWRITER* pw, const POINTFIX& pt)
{
    LONG x = NupMapX(pw->pPDev, _Px(pt.x));
    LONG y = NupMapY(pw->pPDev, _Px(pt.y));
    PdlPrintf(pw->pPDev, " %d %d", x - pw->x, y - pw->y);
    pw->x = x;
    pw->y = y;
}

// ---- curves -------------------------------------------------------------------------

struct BEZ {
    POINTFIX p[4];
};

// In 64 bits: points near the ends of the 28.4 range must not overflow.
FIX _Mid(FIX a, FIX b)
{
    return static_cast<FIX>((static_cast<LONGLONG>(a) + b) / 2);
}

POINTFIX _MidPt(const POINTFIX& a, const POINTFIX& b)
{
    return POINTFIX{_Mid(a.x, b.x), _Mid(a.y, b.y)};
}

void _Split(const BEZ& c, BEZ* pLeft, BEZ* pRight)
{
    POINTFIX p01 = _MidPt(c.p[0], c.p[1]);
    POINTFIX p12 = _MidPt(c.p[1], c.p[2]);
    POINTFIX p23 = _MidPt(c.p[2], c.p[3]);
    POINTFIX p012 = _MidPt(p01, p12);
    POINTFIX p123 = _MidPt(p12, p23);
    POINTFIX m = _MidPt(p012, p123);
    *pLeft = BEZ{{c.p[0], p01, p012, m}};
    *pRight = BEZ{{m, p123, p23, c.p[3]}};
}

// Bent: the curve's middle point lies more than 1.75 pixels (28 units) off
// its chord.
BOOL _bBent(const BEZ& c)
{
    BEZ l;
    BEZ r;
    _Split(c, &l, &r);
    const POINTFIX& s = c.p[0];
    const POINTFIX& e = c.p[3];
    const POINTFIX& m = l.p[3];
    LONGLONG dx;
    LONGLONG dy;
    if (s.x == e.x) {
        dx = static_cast<LONGLONG>(m.x) - s.x;
        dy = 0;
    } else if (s.y == e.y) {
        dx = 0;
        dy = static_cast<LONGLONG>(m.y) - s.y;
    } else {
        float k = (float)(static_cast<LONGLONG>(e.y) - s.y) / (float)(static_cast<LONGLONG>(e.x) - s.x);
        float c0 = (float)s.y - k * (float)s.x;
        float kp = -1.0f / k;
        float c1 = (float)m.y - kp * (float)m.x;
        float fx = (c1 - c0) / (k - kp);
        float fy = k * fx + c0;
        // A foot beyond the 64-bit range is far off the chord.
        if (!(std::fabs(fx) < 4e18f) || !(std::fabs(fy) < 4e18f))
            return TRUE;
        dx = m.x - static_cast<LONGLONG>(fx);
        dy = m.y - static_cast<LONGLONG>(fy);
    }
    // Beyond 2^31 either way the square would overflow; it is bent anyway.
    if (dx > 0x7FFFFFFF || dx < -0x7FFFFFFF || dy > 0x7FFFFFFF || dy < -0x7FFFFFFF)
        return TRUE;
    return dx * dx + dy * dy > 784;
}

// An S-shaped curve: straight as a whole, bent in a half.
BOOL _bSplitCurve(const BEZ& c)
{
    if (_bBent(c)) {
        return FALSE;
    }
    BEZ l;
    BEZ r;
    _Split(c, &l, &r);
    return _bBent(l) || _bBent(r);
}

// ---- subpath collection ----------------------------------------------------------------

struct RUN {
    BOOL bCurve;
    ULONG iFirst;
    ULONG c;
};

// A subpath: runs and points in global blocks that grow in whole
// kilobytes, so that long subpaths are not moved point by point. The first
// kilobyte of each is the subpath's own: the shapes of a page are mostly
// a few points, and a block for each would cost more than drawing it.
struct SUBPATH {
    POINTFIX ptStart;
    BOOL bClosed;
    BOOL bCurves;
    POINTFIX* ppt;
    ULONG cPts;
    ULONG cbPts;
    RUN* prun;
    ULONG cRuns;
    ULONG cbRuns;
    BOOL bFailed;
    POINTFIX aptOwn[1024 / sizeof(POINTFIX)];
    RUN arunOwn[1024 / sizeof(RUN)];
};

// pvOwn: the subpath's own room, which is never freed.
BOOL _bGrow(void** ppv, ULONG* pcb, ULONG cbNeeded, const void* pvOwn)
{
    if (cbNeeded <= *pcb) {
        return TRUE;
    }
    ULONG cbNew = (cbNeeded / 1024 + 1) * 1024;
    void* pNew = GfxAlloc(cbNew);
    if (pNew == nullptr) {
        return FALSE;
    }
    if (*ppv != nullptr) {
        memcpy(pNew, *ppv, *pcb);
        if (*ppv != pvOwn) {
            GfxFree(*ppv);
        }
    }
    *ppv = pNew;
    *pcb = cbNew;
    return TRUE;
}

void _SubpathClear(SUBPATH* psp)
{
    psp->cPts = 0;
    psp->cRuns = 0;
    psp->bClosed = FALSE;
    psp->bCurves = FALSE;
    psp->bFailed = FALSE;
}

// A subpath with its own room and nothing in it.
void _SubpathInit(SUBPATH* psp)
{
    psp->ppt = psp->aptOwn;
    psp->cbPts = sizeof(psp->aptOwn);
    psp->prun = psp->arunOwn;
    psp->cbRuns = sizeof(psp->arunOwn);
}

void _SubpathFree(SUBPATH* psp)
{
    if (psp->ppt != psp->aptOwn) {
        GfxFree(psp->ppt);
    }
    if (psp->prun != psp->arunOwn) {
        GfxFree(psp->prun);
    }
    _SubpathInit(psp);
}

void _SubpathAdd(SUBPATH* psp, BOOL bCurve, const POINTFIX* ppt, ULONG c)
{
    if (psp->bFailed || c == 0) {
        return;
    }
    if (c > 0x01000000 || psp->cPts > 0x01000000) {
        psp->bFailed = TRUE;
        return;
    }
    void* pv = psp->ppt;
    if (!_bGrow(&pv, &psp->cbPts, (psp->cPts + c) * sizeof(POINTFIX), psp->aptOwn)) {
        psp->bFailed = TRUE;
        return;
    }
    psp->ppt = static_cast<POINTFIX*>(pv);
    memcpy(psp->ppt + psp->cPts, ppt, c * sizeof(POINTFIX));
    if (psp->cRuns == 0 || psp->prun[psp->cRuns - 1].bCurve != bCurve) {
        void* pr = psp->prun;
        if (!_bGrow(&pr, &psp->cbRuns, (psp->cRuns + 1) * sizeof(RUN), psp->arunOwn)) {
            psp->bFailed = TRUE;
            return;
        }
        psp->prun = static_cast<RUN*>(pr);
        psp->prun[psp->cRuns] = RUN{bCurve, psp->cPts, 0};
        ++psp->cRuns;
    }
    psp->prun[psp->cRuns - 1].c += c;
    psp->cPts += c;
    if (bCurve) {
        psp->bCurves = TRUE;
    }
}

// Small-subpath rule of reduced N-up pages with an opaque raster operation.
BOOL _bSmallSubpath(PDEV* pPDev, const SUBPATH* psp)
{
    if (psp->bCurves || psp->cRuns == 0 || pPDev->lNupScale >= 10000) {
        return FALSE;
    }
    ULONG r2 = GetRop2(pPDev);
    if (r2 != R2_BLACK && r2 != R2_NOTCOPYPEN && r2 != R2_COPYPEN && r2 != R2_WHITE) {
        return FALSE;
    }
    const RUN& run = psp->prun[0];
    if (run.c > 8) {
        return FALSE;
    }
    const POINTFIX* p = psp->ppt + run.iFirst;
    const POINTFIX& s = psp->ptStart;
    BOOL bQuad = (run.c == 3 && psp->bClosed) ||
                 (run.c == 4 && p[3].x == s.x && p[3].y == s.y);
    if (!bQuad) {
        return TRUE;
    }
    auto same = [&](const POINTFIX& a, const POINTFIX& b) {
        return NupMapX(pPDev, _Px(a.x)) == NupMapX(pPDev, _Px(b.x)) &&
               NupMapY(pPDev, _Px(a.y)) == NupMapY(pPDev, _Px(b.y));
    };
    return same(s, p[0]) || same(p[0], p[1]) || same(p[1], p[2]) || same(p[2], s);
}

LONG _ScaleDiff(LONG d, LONG s)
{
    if (d >= -1 && d <= 1) {
        return d;
    }
    return (LONG)((LONGLONG)d * s / 10000);
}

void _WriteSubpath(PDEV* pPDev, const SUBPATH* psp, BOOL bSmallRule, BOOL* pbSegments)
{
    PTWRITER w = {pPDev, 0, 0};
    _MoveTo(&w, psp->ptStart);
    if (bSmallRule && _bSmallSubpath(pPDev, psp)) {
        // Differences of unscaled pixels, scaled one by one: a collapsed
        // edge keeps its one pixel.
        const RUN& run = psp->prun[0];
        PdlPrintf(pPDev, "ltr %d", (LONG)run.c);
        LONG xPrev = _Px(psp->ptStart.x);
        LONG yPrev = _Px(psp->ptStart.y);
        for (ULONG i = 0; i < run.c; ++i) {
            const POINTFIX& pt = psp->ppt[run.iFirst + i];
            LONG x = _Px(pt.x);
            LONG y = _Px(pt.y);
            PdlPrintf(pPDev, " %d %d", _ScaleDiff(x - xPrev, pPDev->lNupScale),
                      _ScaleDiff(y - yPrev, pPDev->lNupScale));
            xPrev = x;
            yPrev = y;
        }
        PdlPrintf(pPDev, ";\n");
        *pbSegments = TRUE;
    } else {
        POINTFIX ptLast = psp->ptStart;
        for (ULONG r = 0; r < psp->cRuns; ++r) {
            const RUN& run = psp->prun[r];
            const POINTFIX* p = psp->ppt + run.iFirst;
            if (!run.bCurve) {
                PdlPrintf(pPDev, "ltr %d", (LONG)run.c);
                for (ULONG i = 0; i < run.c; ++i) {
                    _PointTo(&w, p[i]);
                }
                PdlPrintf(pPDev, ";\n");
                ptLast = p[run.c - 1];
                *pbSegments = TRUE;
                continue;
            }
            // Whole curves only; a stray point or two at the end is no curve.
            ULONG cCurves = run.c / 3;
            if (cCurves == 0) {
                continue;
            }
            ULONG cSplits = 0;
            POINTFIX ptFrom = ptLast;
            for (ULONG i = 0; i < cCurves; ++i) {
                BEZ c = {{ptFrom, p[3 * i], p[3 * i + 1], p[3 * i + 2]}};
                if (_bSplitCurve(c)) {
                    ++cSplits;
                }
                ptFrom = p[3 * i + 2];
            }
            PdlPrintf(pPDev, "bzr %d", (LONG)(cCurves + cSplits));
            ptFrom = ptLast;
            for (ULONG i = 0; i < cCurves; ++i) {
                BEZ c = {{ptFrom, p[3 * i], p[3 * i + 1], p[3 * i + 2]}};
                if (_bSplitCurve(c)) {
                    BEZ l;
                    BEZ rt;
                    _Split(c, &l, &rt);
                    for (int k = 1; k < 4; ++k) {
                        _PointTo(&w, l.p[k]);
                    }
                    for (int k = 1; k < 4; ++k) {
                        _PointTo(&w, rt.p[k]);
                    }
                } else {
                    for (int k = 1; k < 4; ++k) {
                        _PointTo(&w, c.p[k]);
                    }
                }
                ptFrom = p[3 * i + 2];
            }
            PdlPrintf(pPDev, ";\n");
            ptLast = ptFrom;
            *pbSegments = TRUE;
        }
    }
    if (psp->bClosed) {
        PdlPrintf(pPDev, "phc;\n");
    }
}

void _WriteDrawingPath(PDEV* pPDev, PATHOBJ* ppo, BOOL* pbSegments, BOOL bSmallRule)
{
    PdlPrintf(pPDev, "phb %d;\n", PDL_PATH_DRAW);
    PATHOBJ_vEnumStart(ppo);
    SUBPATH sp = {};
    _SubpathInit(&sp);
    BOOL bOpen = FALSE;
    BOOL bMore = TRUE;
    while (bMore) {
        PATHDATA pd = {};
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (pd.pptfx == nullptr || pd.count == 0) {
            continue;
        }
        const POINTFIX* ppt = pd.pptfx;
        ULONG c = pd.count;
        if (pd.flags & PD_BEGINSUBPATH) {
            if (bOpen && !sp.bFailed) {
                _WriteSubpath(pPDev, &sp, bSmallRule, pbSegments);
            }
            _SubpathClear(&sp);
            sp.ptStart = ppt[0];
            bOpen = TRUE;
            ++ppt;
            --c;
        } else if (!bOpen) {
            // Points without a subpath start from their first point.
            _SubpathClear(&sp);
            sp.ptStart = ppt[0];
            bOpen = TRUE;
            ++ppt;
            --c;
        }
        _SubpathAdd(&sp, (pd.flags & PD_BEZIERS) != 0, ppt, c);
        if (pd.flags & PD_ENDSUBPATH) {
            sp.bClosed = (pd.flags & PD_CLOSEFIGURE) != 0;
            if (!sp.bFailed) {
                _WriteSubpath(pPDev, &sp, bSmallRule, pbSegments);
            }
            bOpen = FALSE;
        }
    }
    if (bOpen && !sp.bFailed) {
        _WriteSubpath(pPDev, &sp, bSmallRule, pbSegments);
    }
    _SubpathFree(&sp);
    PdlPrintf(pPDev, "phe;\n");
}

// ---- clip paths -------------------------------------------------------------------------

// Writes the path record by record. FALSE when a curve record breaks the
// definition off; the record and point counts come back for saving.
BOOL _bWriteRecords(PDEV* pPDev, PATHOBJ* ppo, LONG nKind, ULONG* pcRecs, ULONG* pcPts)
{
    PdlPrintf(pPDev, "phb %d;\n", nKind);
    PATHOBJ_vEnumStart(ppo);
    PTWRITER w = {pPDev, 0, 0};
    ULONG cRecs = 0;
    ULONG cPts = 0;
    BOOL bMore = TRUE;
    while (bMore) {
        PATHDATA pd = {};
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (pd.pptfx == nullptr && pd.count != 0) {
            continue;
        }
        ++cRecs;
        cPts += pd.count;
        const POINTFIX* ppt = pd.pptfx;
        ULONG c = pd.count;
        if ((pd.flags & PD_BEGINSUBPATH) && c > 0) {
            _MoveTo(&w, ppt[0]);
            ++ppt;
            --c;
        }
        if ((pd.flags & PD_BEZIERS) && c % 3 != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            PdlPrintf(pPDev, "rem path bzr parameter error;\n");
            PdlPrintf(pPDev, "phe;\n");
            PdlPrintf(pPDev, "phd;\n");
            return FALSE;
        }
        if (c > 0) {
            if (pd.flags & PD_BEZIERS) {
                PdlPrintf(pPDev, "bzr %d", (LONG)(c / 3));
            } else {
                PdlPrintf(pPDev, "ltr %d", (LONG)c);
            }
            for (ULONG i = 0; i < c; ++i) {
                _PointTo(&w, ppt[i]);
            }
            PdlPrintf(pPDev, ";\n");
        }
        if ((pd.flags & PD_ENDSUBPATH) && (pd.flags & PD_CLOSEFIGURE)) {
            PdlPrintf(pPDev, "phc;\n");
        }
    }
    PdlPrintf(pPDev, "phe;\n");
    *pcRecs = cRecs;
    *pcPts = cPts;
    return TRUE;
}

BOOL _bSameAsSaved(PDEV* pPDev, PATHOBJ* ppo)
{
    PDLATTR* pa = PdlAttr(pPDev);
    const ULONG* pRec = PdlSavedPathRecs(pPDev);
    const LONG* pPt = PdlSavedPathPts(pPDev);
    if (pRec == nullptr || pPt == nullptr) {
        return FALSE;
    }
    LONG iRec = 0;
    LONG iPt = 0;
    PATHOBJ_vEnumStart(ppo);
    BOOL bMore = TRUE;
    while (bMore) {
        PATHDATA pd = {};
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (pd.pptfx == nullptr && pd.count != 0) {
            continue;
        }
        ULONG cCurve = pd.count - ((pd.flags & PD_BEGINSUBPATH) && pd.count > 0 ? 1 : 0);
        if ((pd.flags & PD_BEZIERS) && cCurve % 3 != 0) {
            return FALSE;
        }
        if (iRec >= pa->cSavedPathRecs || pRec[2 * iRec] != pd.flags ||
            pRec[2 * iRec + 1] != pd.count || iPt + (LONG)pd.count > pa->cSavedPathPts) {
            return FALSE;
        }
        for (ULONG i = 0; i < pd.count; ++i) {
            if (pPt[2 * (iPt + i)] != pd.pptfx[i].x || pPt[2 * (iPt + i) + 1] != pd.pptfx[i].y) {
                return FALSE;
            }
        }
        ++iRec;
        iPt += (LONG)pd.count;
    }
    return iRec == pa->cSavedPathRecs && iPt == pa->cSavedPathPts;
}

void _SavePath(PDEV* pPDev, PATHOBJ* ppo, ULONG cRecs, ULONG cPts)
{
    if (cRecs > SAVED_PATH_MAX_RECORDS || cPts > SAVED_PATH_MAX_POINTS) {
        return;
    }
    PDLATTR* pa = PdlAttr(pPDev);
    ULONG* pRec = static_cast<ULONG*>(AllocChainBlock(_Chain(pPDev), cRecs * 8 + 8));
    LONG* pPt = static_cast<LONG*>(AllocChainBlock(_Chain(pPDev), cPts * 8 + 8));
    if (pRec == nullptr || pPt == nullptr) {
        FreeChainBlock(_Chain(pPDev), pRec);
        FreeChainBlock(_Chain(pPDev), pPt);
        return;
    }
    ULONG iRec = 0;
    ULONG iPt = 0;
    PATHOBJ_vEnumStart(ppo);
    BOOL bMore = TRUE;
    while (bMore) {
        PATHDATA pd = {};
        bMore = PATHOBJ_bEnum(ppo, &pd);
        if (pd.pptfx == nullptr && pd.count != 0) {
            continue;
        }
        if (iRec >= cRecs || iPt + pd.count > cPts) {
            // The path is not the one just written: keep nothing.
            FreeChainBlock(_Chain(pPDev), pRec);
            FreeChainBlock(_Chain(pPDev), pPt);
            return;
        }
        pRec[2 * iRec] = pd.flags;
        pRec[2 * iRec + 1] = pd.count;
        for (ULONG i = 0; i < pd.count; ++i) {
            pPt[2 * (iPt + i)] = pd.pptfx[i].x;
            pPt[2 * (iPt + i) + 1] = pd.pptfx[i].y;
        }
        ++iRec;
        iPt += pd.count;
    }
    for (DWORD iRow : {DWORD(PREF_SAVEDPATHRECS), DWORD(PREF_SAVEDPATHPTS)}) {
        if (void* pStale = reinterpret_cast<void*>(PdevRefTake(pPDev, iRow))) {
            FreeChainBlock(_Chain(pPDev), pStale);
        }
    }
    SetPdlSavedPathRecs(pPDev, pRec);
    SetPdlSavedPathPts(pPDev, pPt);
    pa->cSavedPathRecs = (LONG)iRec;
    pa->cSavedPathPts = (LONG)iPt;
}

// ---- bodies ---------------------------------------------------------------------------------

PDEV* _PdevOf(SURFOBJ* pso)
{
    return pso != nullptr ? reinterpret_cast<PDEV*>(pso->dhpdev) : nullptr;
}

BOOL _bUsable(PDEV* pPDev)
{
    return _bValidatePDEV(pPDev) && (pPDev->fJob & PDEVF_ABORTED) == 0;
}

BOOL _bOpaqueRop2(ULONG r2)
{
    return !bRop2UsesDest(r2);
}

BOOL _bWriteFill(PDEV* pPDev, FLONG flOptions)
{
    LONG nBrush = PdlAttr(pPDev)->nBrush;
    if (flOptions == FP_ALTERNATEMODE) {
        PdlPrintf(pPDev, "phf e %d %d;\n", nBrush, 1);
        return TRUE;
    }
    if (flOptions == FP_WINDINGMODE) {
        PdlPrintf(pPDev, "phf n %d %d;\n", nBrush, 1);
        return TRUE;
    }
    return FALSE;
}

// "phs" with the current line; TRUE when a stroke was written.
BOOL _bWriteStroke(PDEV* pPDev)
{
    LONG nLine = PdlAttr(pPDev)->nLine;
    if (nLine == -1) {
        return FALSE;
    }
    PdlPrintf(pPDev, "phs %d %d;\n", nLine, 1);
    return TRUE;
}

// The page is no longer blank once a fill or stroke puts ink on it.
void _InkTest(PDEV* pPDev, BRUSHOBJ* pbo, BRUSHOBJ* pboPen, MIX mix)
{
    if (!bIsWhiteDraw(pPDev, pbo, pboPen, mix)) {
        MarkPageInked(pPDev);
    }
}

// The area a browser's four-point fill covers, in unscaled pixels.
BOOL _bFourPointArea(PATHOBJ* ppo, RECTL* prcl)
{
    PATHOBJ_vEnumStart(ppo);
    PATHDATA pd = {};
    BOOL bMore = PATHOBJ_bEnum(ppo, &pd);
    if (bMore || pd.count != 4 || pd.pptfx == nullptr) {
        return FALSE;
    }
    RECTL r = {_Px(pd.pptfx[0].x), _Px(pd.pptfx[0].y), _Px(pd.pptfx[0].x), _Px(pd.pptfx[0].y)};
    for (int i = 1; i < 4; ++i) {
        LONG x = _Px(pd.pptfx[i].x);
        LONG y = _Px(pd.pptfx[i].y);
        if (x < r.left) r.left = x;
        if (x > r.right) r.right = x;
        if (y < r.top) r.top = y;
        if (y > r.bottom) r.bottom = y;
    }
    *prcl = r;
    return TRUE;
}

}  // namespace

BOOL UpdatePath(PDEV* pPDev, PATHOBJ* ppo, LONG nKind, BOOL* pbSegments, BOOL bSmallRule)
{
    BOOL bSegments = FALSE;
    if (ppo == nullptr) {
        return TRUE;
    }
    if (nKind == PDL_PATH_DRAW) {
        _WriteDrawingPath(pPDev, ppo, &bSegments, bSmallRule);
    } else if (!_bSameAsSaved(pPDev, ppo)) {
        FreeSavedClipPath(pPDev);
        ULONG cRecs = 0;
        ULONG cPts = 0;
        if (_bWriteRecords(pPDev, ppo, nKind, &cRecs, &cPts)) {
            _SavePath(pPDev, ppo, cRecs, cPts);
        }
    }
    if (pbSegments != nullptr && bSegments) {
        *pbSegments = TRUE;
    }
    return TRUE;
}

void FreeSavedClipPath(PDEV* pPDev)
{
    PDLATTR* pa = PdlAttr(pPDev);
    // The rows are the PDEV's whatever the slots say now.
    void* pRecs = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_SAVEDPATHRECS));
    void* pPts = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_SAVEDPATHPTS));
    if (pRecs != nullptr) {
        FreeChainBlock(_Chain(pPDev), pRecs);
    }
    if (pPts != nullptr) {
        FreeChainBlock(_Chain(pPDev), pPts);
    }
    pa->slSavedPathRecs = 0;
    pa->slSavedPathPts = 0;
    pa->cSavedPathRecs = 0;
    pa->cSavedPathPts = 0;
}

void ReleasePathCache(PDEV* pPDev)
{
    FreeSavedClipPath(pPDev);
}

BOOL FillPathBody(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                  POINTL* pptlBrushOrg, MIX mix, FLONG flOptions)
{
    PDEV* pPDev = _PdevOf(pso);
    if (!_bUsable(pPDev)) {
        return FALSE;
    }
    SetDrawingKind(pPDev, 3);
    PDLWORK* pWork = PdlWork(pPDev);
    RECTL rclArea;
    BOOL bArea = bIsIexplore(pPDev) && ppo != nullptr && _bFourPointArea(ppo, &rclArea);
    UpdateClip(pPDev, pco, bArea ? &rclArea : nullptr);
    BOOL bWatermark = pWork->bForceRop != 0;
    if (bWatermark) {
        SetRop2(pPDev, pWork->lForceRop == 2 ? 0x0909 : 0x0D0D);
        if (pbo != nullptr) {
            SelectGrayDither(pPDev, GetBrushRGB(pPDev, pbo) & 0x00FFFFFF);
        }
    } else {
        SetRop2(pPDev, mix);
        SelectBrush(pPDev, pbo);
    }
    UpdatePath(pPDev, ppo, PDL_PATH_DRAW, nullptr, TRUE);
    BOOL bOk = TRUE;
    if (PdlAttr(pPDev)->nBrush != PDL_BRUSH_NONE) {
        bOk = _bWriteFill(pPDev, flOptions);
        if (bOk && _bOpaqueRop2(GetRop2(pPDev))) {
            // A one-pixel outline in the fill's own brush keeps thin shapes
            // from vanishing between the printer's pixel centres.
            LINEATTRS la = {};
            la.fl = LA_STYLED;
            la.iJoin = JOIN_MITER;
            la.iEndCap = ENDCAP_BUTT;
            la.elWidth.l = 1;
            la.eMiterLimit = 0;
            BOOL bPen = bWatermark ? SelectCurrentBrushPen(pPDev, pbo, &la)
                                   : SelectBrushPen(pPDev, pbo, &la);
            if (bPen) {
                _bWriteStroke(pPDev);
            }
        }
        if (bOk) {
            _InkTest(pPDev, pbo, nullptr, mix);
        }
    }
    (void)pptlBrushOrg;
    SetDrawingKind(pPDev, 0);
    return bOk;
}

BOOL StrokePathBody(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                    POINTL* pptlBrushOrg, LINEATTRS* pla, MIX mix)
{
    PDEV* pPDev = _PdevOf(pso);
    if (!_bUsable(pPDev)) {
        return FALSE;
    }
    SetDrawingKind(pPDev, 3);
    UpdateClip(pPDev, pco, nullptr);
    SetRop2(pPDev, mix);
    // Between the clip-to-path save and the clip path's use, strokes are
    // the clip path's outline; once it is applied they draw again.
    BOOL bDefining = PdlWork(pPDev)->lClipSaveMode != 0 && PdlAttr(pPDev)->bClipPathInUse == 0;
    BOOL bSegments = FALSE;
    UpdatePath(pPDev, ppo, bDefining ? PDL_PATH_CLIP : PDL_PATH_DRAW, &bSegments, FALSE);
    BOOL bPen = SelectPen(pPDev, pbo, pla);
    if (bSegments) {
        if (pxo != nullptr) {
            switch (XFORMOBJ_iGetXform(pxo, nullptr)) {
            case GX_OFFSET:
                DbgPrint("  GX_OFFSET\n");
                break;
            case GX_SCALE:
                DbgPrint("  GX_SCALE\n");
                break;
            case GX_GENERAL:
                DbgPrint("  GX_GENERAL\n");
                break;
            default:
                break;
            }
        }
        if (bPen && _bWriteStroke(pPDev)) {
            _InkTest(pPDev, nullptr, pbo, mix);
        }
    }
    (void)pptlBrushOrg;
    SetDrawingKind(pPDev, 0);
    return TRUE;
}

BOOL StrokeAndFillPathBody(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                           BRUSHOBJ* pboStroke, LINEATTRS* pla, BRUSHOBJ* pboFill,
                           POINTL* pptlBrushOrg, MIX mix, FLONG flOptions)
{
    PDEV* pPDev = _PdevOf(pso);
    if (!_bUsable(pPDev)) {
        return FALSE;
    }
    SetDrawingKind(pPDev, 3);
    UpdateClip(pPDev, pco, nullptr);
    SetRop2(pPDev, mix);
    UpdatePath(pPDev, ppo, PDL_PATH_DRAW, nullptr, FALSE);
    SelectBrush(pPDev, pboFill);
    BOOL bOk = TRUE;
    if (PdlAttr(pPDev)->nBrush != PDL_BRUSH_NONE) {
        if (!_bWriteFill(pPDev, flOptions)) {
            SetDrawingKind(pPDev, 0);
            return FALSE;
        }
        _InkTest(pPDev, pboFill, nullptr, mix);
    }
    if (!SelectPen(pPDev, pboStroke, pla)) {
        bOk = FALSE;
    } else if (_bWriteStroke(pPDev)) {
        _InkTest(pPDev, nullptr, pboStroke, mix);
    }
    (void)pxo;
    (void)pptlBrushOrg;
    SetDrawingKind(pPDev, 0);
    return bOk;
}

BOOL DrawPathBody(int nHook, SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                  BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                  POINTL* pptlBrushOrg, MIX mix, FLONG flOptions)
{
    switch (nHook) {
    case PDL_HOOK_FILLPATH:
        return FillPathBody(pso, ppo, pco, pboFill, pptlBrushOrg, mix, flOptions);
    case PDL_HOOK_STROKEPATH:
        return StrokePathBody(pso, ppo, pco, pxo, pboStroke, pptlBrushOrg, plineattrs, mix);
    case PDL_HOOK_STROKEANDFILLPATH:
        return StrokeAndFillPathBody(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill,
                                     pptlBrushOrg, mix, flOptions);
    default:
        return FALSE;
    }
}
