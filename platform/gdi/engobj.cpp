// engobj.cpp: the engine's clip, path, brush, colour-translation and
// transform objects and their services.
//
// Entry points: CLIPOBJ_cEnumStart, CLIPOBJ_bEnum, CLIPOBJ_ppoGetPath,
// EngCreateClip, EngDeleteClip, PATHOBJ_vEnumStart, PATHOBJ_bEnum,
// PATHOBJ_vGetBounds, PATHOBJ_bMoveTo, PATHOBJ_bPolyLineTo,
// PATHOBJ_bPolyBezierTo, PATHOBJ_bCloseFigure, EngCreatePath, EngDeletePath,
// BRUSHOBJ_pvAllocRbrush, BRUSHOBJ_pvGetRbrush, BRUSHOBJ_ulGetBrushColor,
// XLATEOBJ_iXlate, XLATEOBJ_cGetPalette, XFORMOBJ_iGetXform,
// XFORMOBJ_bApplyXform, the host's builders (PlatClip*, PlatBrush*,
// PlatXlate*, PlatXform*) and the rasteriser's views (EngClipRects,
// EngBrushPattern, EngColorIndex). Rules in engobj.h.
//
// Every object is registered while it lives; a head that is not registered
// is read only through its public fields (rule 1 of engobj.h), so a driver's
// own BRUSHOBJ or CLIPOBJ on the stack works wherever its fields suffice.
#include "platform/gdi/engobj.h"

#include "platform/kernel/kernel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

enum ObjKind { EO_CLIP = 1, EO_PATH, EO_BRUSH, EO_XLATE, EO_XFORM };

struct PATHREC {
    FLONG fl;      // PD_BEGINSUBPATH, PD_BEZIERS, PD_CLOSEFIGURE as built
    ULONG iFirst;  // first point in aPoints
    ULONG c;       // points of the record
};

struct ENGPATH {
    PATHOBJ po;                       // the driver's view; first member
    std::vector<POINTFIX> aPoints;
    std::vector<PATHREC> aRecs;
    BOOL bPendingMove = FALSE;        // a MoveTo waits for its first segment
    BOOL bFigureOpen = FALSE;         // the last record's subpath goes on
    POINTFIX ptCurrent = {0, 0};
    POINTFIX ptFigureStart = {0, 0};
    ULONG iEnum = 0;                  // next record of the enumeration
};

struct ENGCLIP {
    CLIPOBJ co;                       // first member
    std::vector<RECTL> aRects;        // the region (rule 3 of engobj.h)
    ENGPATH* pPath = nullptr;         // the path the region came from, or null
    std::vector<RECTL> aEnum;         // rectangles of the running enumeration
    size_t iEnum = 0;
};

struct ENGBRUSH {
    BRUSHOBJ bo;                      // first member
    PLATBRUSHDEF def;
    std::vector<void*> aAllocs;       // memory given by BRUSHOBJ_pvAllocRbrush
    BOOL bRealizeTried = FALSE;
    ULONG iPatFormat = 0;             // target format of the cached pattern
    LONG cxPat = 0;
    LONG cyPat = 0;
    std::vector<ULONG> aPatColors;
    std::vector<BYTE> aPatTransparent;
};

struct ENGXLATE {
    XLATEOBJ xlo;                     // first member
    std::vector<ULONG> aSrc;          // source palette, empty for RGB
    std::vector<ULONG> aDst;          // destination palette, empty for RGB
    std::vector<ULONG> aTable;        // source index to destination colour
};

struct ENGXFORM {
    XFORMOBJ xo;                      // first member
    XFORML xf;
};

std::mutex g_lock;
std::unordered_map<const void*, ObjKind> g_live;
ULONG g_cClipBatch = 0;
ULONG g_ulClipUniq = 1;

void Register(const void* p, ObjKind e)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_live[p] = e;
}

void Unregister(const void* p)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_live.erase(p);
}

template <typename T>
T* Lookup(const void* p, ObjKind e)
{
    if (!p)
        return nullptr;
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = g_live.find(p);
    return it != g_live.end() && it->second == e ? static_cast<T*>(const_cast<void*>(p)) : nullptr;
}

ULONG NewClipUniq()
{
    std::lock_guard<std::mutex> guard(g_lock);
    ULONG ul = g_ulClipUniq++;
    if (g_ulClipUniq == 0)
        g_ulClipUniq = 1;
    return ul;
}

BOOL Intersect(const RECTL& a, const RECTL& b, RECTL* pOut)
{
    RECTL r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom)
        return FALSE;
    *pOut = r;
    return TRUE;
}

// Records of a path as the enumeration reports them: a record ends its
// subpath when it is the last one or the next begins a new subpath.
FLONG RecordFlags(const ENGPATH* pPath, size_t i)
{
    FLONG fl = pPath->aRecs[i].fl;
    if (i + 1 == pPath->aRecs.size() || (pPath->aRecs[i + 1].fl & PD_BEGINSUBPATH))
        fl |= PD_ENDSUBPATH;
    else
        fl &= ~static_cast<FLONG>(PD_CLOSEFIGURE);
    return fl;
}

void UpdatePathCounts(ENGPATH* pPath)
{
    ULONG cCurves = 0;
    FLONG fl = 0;
    for (const PATHREC& rec : pPath->aRecs) {
        ULONG cSeg = rec.c - ((rec.fl & PD_BEGINSUBPATH) ? 1 : 0);
        if (rec.fl & PD_BEZIERS) {
            cCurves += cSeg / 3;
            fl |= PO_BEZIERS;
        } else {
            cCurves += cSeg;
        }
    }
    pPath->po.cCurves = cCurves;
    pPath->po.fl = (pPath->po.fl & PO_ELLIPSE) | fl;
}

BOOL AddSegments(ENGPATH* pPath, const POINTFIX* ppt, ULONG c, FLONG flKind)
{
    if (!ppt || c == 0)
        return c == 0;
    PATHREC rec = {flKind, static_cast<ULONG>(pPath->aPoints.size()), 0};
    if (pPath->bPendingMove || !pPath->bFigureOpen) {
        rec.fl |= PD_BEGINSUBPATH;
        POINTFIX ptStart = pPath->ptCurrent;
        pPath->aPoints.push_back(ptStart);
        pPath->ptFigureStart = ptStart;
        rec.c = 1;
    }
    pPath->aPoints.insert(pPath->aPoints.end(), ppt, ppt + c);
    rec.c += c;
    pPath->aRecs.push_back(rec);
    pPath->bPendingMove = FALSE;
    pPath->bFigureOpen = TRUE;
    pPath->ptCurrent = ppt[c - 1];
    UpdatePathCounts(pPath);
    return TRUE;
}

ENGPATH* NewPath()
{
    ENGPATH* pPath = new (std::nothrow) ENGPATH();
    if (!pPath) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Register(pPath, EO_PATH);
    return pPath;
}

ENGPATH* CopyPath(const ENGPATH* pFrom)
{
    ENGPATH* pPath = NewPath();
    if (!pPath)
        return nullptr;
    pPath->po = pFrom->po;
    pPath->aPoints = pFrom->aPoints;
    pPath->aRecs = pFrom->aRecs;
    pPath->ptCurrent = pFrom->ptCurrent;
    pPath->ptFigureStart = pFrom->ptFigureStart;
    pPath->bFigureOpen = pFrom->bFigureOpen;
    return pPath;
}

void FreePath(ENGPATH* pPath)
{
    if (!pPath)
        return;
    Unregister(pPath);
    delete pPath;
}

void SetClipBounds(ENGCLIP* pClip)
{
    RECTL rcl = {0, 0, 0, 0};
    for (size_t i = 0; i < pClip->aRects.size(); i++) {
        const RECTL& r = pClip->aRects[i];
        if (i == 0) {
            rcl = r;
            continue;
        }
        rcl.left = std::min(rcl.left, r.left);
        rcl.top = std::min(rcl.top, r.top);
        rcl.right = std::max(rcl.right, r.right);
        rcl.bottom = std::max(rcl.bottom, r.bottom);
    }
    pClip->co.rclBounds = rcl;
}

ULONG Grey(COLORREF cr)
{
    return (5 * GetRValue(cr) + 9 * GetGValue(cr) + 2 * GetBValue(cr)) / 16;
}

ULONG Nearest(const std::vector<ULONG>& aPal, ULONG cr)
{
    if (aPal.size() == 2 && aPal[0] == 0 && (aPal[1] & 0xFFFFFF) == 0xFFFFFF)
        return Grey(cr) >= 128 ? 1 : 0;
    ULONG iBest = 0;
    LONG lBest = 0x7FFFFFFF;
    for (size_t i = 0; i < aPal.size(); i++) {
        LONG dr = static_cast<LONG>(GetRValue(aPal[i])) - GetRValue(cr);
        LONG dg = static_cast<LONG>(GetGValue(aPal[i])) - GetGValue(cr);
        LONG db = static_cast<LONG>(GetBValue(aPal[i])) - GetBValue(cr);
        LONG d = dr * dr + dg * dg + db * db;
        if (d < lBest) {
            lBest = d;
            iBest = static_cast<ULONG>(i);
        }
    }
    return iBest;
}

// The 8 x 8 hatch cells: a 0 bit is the hatch line, a 1 bit the background.
BOOL HatchLine(ULONG iHatch, LONG x, LONG y)
{
    switch (iHatch) {
    case 0: return y == 3;                              // horizontal
    case 1: return x == 3;                              // vertical
    case 2: return x == y;                              // forward diagonal, top left down
    case 3: return x == 7 - y;                          // backward diagonal
    case 4: return x == 3 || y == 3;                    // cross
    case 5: return x == y || x == 7 - y;                // diagonal cross
    default: return FALSE;
    }
}

// Reads one pixel of a bitmap as the value a translation takes: an index for
// formats up to 8 bits, 0x00BBGGRR for 16, 24 and 32 bits.
ULONG ReadSourcePixel(const SURFOBJ* pso, LONG x, LONG y)
{
    const BYTE* pRow = static_cast<const BYTE*>(pso->pvScan0) + static_cast<LONGLONG>(y) * pso->lDelta;
    switch (pso->iBitmapFormat) {
    case BMF_1BPP: return (pRow[x >> 3] >> (7 - (x & 7))) & 1;
    case BMF_4BPP: return (pRow[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case BMF_8BPP: return pRow[x];
    case BMF_16BPP: {
        WORD w = static_cast<WORD>(pRow[x * 2] | (pRow[x * 2 + 1] << 8));
        return RGB(((w >> 10) & 31) << 3, ((w >> 5) & 31) << 3, (w & 31) << 3);
    }
    case BMF_24BPP: return RGB(pRow[x * 3 + 2], pRow[x * 3 + 1], pRow[x * 3]);
    case BMF_32BPP: return RGB(pRow[x * 4 + 2], pRow[x * 4 + 1], pRow[x * 4]);
    default: return 0;
    }
}

}  // namespace

// --- clip objects ------------------------------------------------------------------

CLIPOBJ* EngCreateClip()
{
    ENGCLIP* pClip = new (std::nothrow) ENGCLIP();
    if (!pClip) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pClip->co.iDComplexity = DC_TRIVIAL;
    pClip->co.iFComplexity = FC_RECT;
    pClip->co.iMode = TC_RECTANGLES;
    pClip->co.iUniq = NewClipUniq();
    Register(pClip, EO_CLIP);
    return &pClip->co;
}

void EngDeleteClip(CLIPOBJ* pco)
{
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    if (!pClip)
        return;
    Unregister(pClip);
    FreePath(pClip->pPath);
    delete pClip;
}

BOOL PlatClipSetRects(CLIPOBJ* pco, const RECTL* prcl, ULONG c)
{
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    if (!pClip || (c && !prcl)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<RECTL> aRects;
    aRects.reserve(c);
    for (ULONG i = 0; i < c; i++)
        if (prcl[i].left < prcl[i].right && prcl[i].top < prcl[i].bottom)
            aRects.push_back(prcl[i]);
    std::stable_sort(aRects.begin(), aRects.end(), [](const RECTL& a, const RECTL& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    pClip->aRects.swap(aRects);
    FreePath(pClip->pPath);
    pClip->pPath = nullptr;
    SetClipBounds(pClip);
    pClip->co.iDComplexity = pClip->aRects.size() > 1 ? DC_COMPLEX : DC_RECT;
    pClip->co.iFComplexity = pClip->aRects.size() > 4   ? FC_COMPLEX
                             : pClip->aRects.size() > 1 ? FC_RECT4
                                                        : FC_RECT;
    pClip->co.iMode = TC_RECTANGLES;
    pClip->co.iUniq = NewClipUniq();
    pClip->aEnum.clear();
    pClip->iEnum = 0;
    return TRUE;
}

void PlatClipSetTrivial(CLIPOBJ* pco, const RECTL* prclBounds)
{
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    if (!pClip)
        return;
    pClip->aRects.clear();
    if (prclBounds)
        pClip->aRects.push_back(*prclBounds);
    FreePath(pClip->pPath);
    pClip->pPath = nullptr;
    SetClipBounds(pClip);
    pClip->co.iDComplexity = DC_TRIVIAL;
    pClip->co.iFComplexity = FC_RECT;
    pClip->co.iMode = TC_RECTANGLES;
    pClip->co.iUniq = NewClipUniq();
}

BOOL PlatClipSetPath(CLIPOBJ* pco, PATHOBJ* ppo)
{
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    ENGPATH* pFrom = Lookup<ENGPATH>(ppo, EO_PATH);
    if (!pClip || !pFrom) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ENGPATH* pCopy = CopyPath(pFrom);
    if (!pCopy)
        return FALSE;
    FreePath(pClip->pPath);
    pClip->pPath = pCopy;
    pClip->co.iDComplexity = DC_COMPLEX;
    pClip->co.iFComplexity = FC_COMPLEX;
    pClip->co.iMode = TC_PATHOBJ;
    return TRUE;
}

void PlatEngSetClipBatch(ULONG cMax)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_cClipBatch = cMax;
}

ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit)
{
    (void)bAll;
    if (!pco || iType != CT_RECTANGLES) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0xFFFFFFFF;
    }
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    if (!pClip)
        return 1;  // a head alone: its bounds are the one rectangle
    pClip->aEnum.clear();
    if (pco->iDComplexity == DC_COMPLEX)
        pClip->aEnum = pClip->aRects;
    else if (pco->rclBounds.left < pco->rclBounds.right && pco->rclBounds.top < pco->rclBounds.bottom)
        pClip->aEnum.push_back(pco->rclBounds);
    BOOL bLeft = iDirection == CD_LEFTDOWN || iDirection == CD_LEFTUP;
    BOOL bUp = iDirection == CD_RIGHTUP || iDirection == CD_LEFTUP;
    if (iDirection != CD_ANY && iDirection != CD_RIGHTDOWN)
        std::stable_sort(pClip->aEnum.begin(), pClip->aEnum.end(), [&](const RECTL& a, const RECTL& b) {
            if (a.top != b.top)
                return bUp ? a.top > b.top : a.top < b.top;
            return bLeft ? a.left > b.left : a.left < b.left;
        });
    pClip->iEnum = 0;
    ULONG c = static_cast<ULONG>(pClip->aEnum.size());
    return cLimit && c > cLimit ? 0xFFFFFFFF : c;
}

BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul)
{
    if (!pco || !pul || cj < sizeof(ULONG) + sizeof(RECTL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ENUMRECTS* per = reinterpret_cast<ENUMRECTS*>(pul);
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    if (!pClip) {
        per->c = 1;
        per->arcl[0] = pco->rclBounds;
        return FALSE;
    }
    ULONG cRoom = (cj - sizeof(ULONG)) / sizeof(RECTL);
    ULONG cBatch;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        cBatch = g_cClipBatch;
    }
    if (cBatch && cRoom > cBatch)
        cRoom = cBatch;
    size_t cLeft = pClip->aEnum.size() - std::min(pClip->iEnum, pClip->aEnum.size());
    ULONG c = static_cast<ULONG>(std::min<size_t>(cLeft, cRoom));
    per->c = c;
    if (c)
        std::memcpy(per->arcl, pClip->aEnum.data() + pClip->iEnum, c * sizeof(RECTL));
    pClip->iEnum += c;
    return pClip->iEnum < pClip->aEnum.size();
}

PATHOBJ* CLIPOBJ_ppoGetPath(CLIPOBJ* pco)
{
    if (!pco) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    if (pClip && pClip->pPath)
        return &CopyPath(pClip->pPath)->po;
    std::vector<RECTL> aRects;
    if (pClip && pco->iDComplexity == DC_COMPLEX)
        aRects = pClip->aRects;
    else
        aRects.push_back(pco->rclBounds);
    ENGPATH* pPath = NewPath();
    if (!pPath)
        return nullptr;
    for (const RECTL& r : aRects) {
        POINTFIX apt[3] = {
            {r.right * 16, r.top * 16}, {r.right * 16, r.bottom * 16}, {r.left * 16, r.bottom * 16}};
        PATHOBJ_bMoveTo(&pPath->po, POINTFIX{r.left * 16, r.top * 16});
        PATHOBJ_bPolyLineTo(&pPath->po, apt, 3);
        PATHOBJ_bCloseFigure(&pPath->po);
    }
    return &pPath->po;
}

BOOL EngClipRects(CLIPOBJ* pco, const RECTL* prclBound, void* pvVectorOfRectl)
{
    auto* pOut = static_cast<std::vector<RECTL>*>(pvVectorOfRectl);
    pOut->clear();
    RECTL r;
    if (!pco || pco->iDComplexity == DC_TRIVIAL) {
        if (prclBound->left < prclBound->right && prclBound->top < prclBound->bottom)
            pOut->push_back(*prclBound);
        return TRUE;
    }
    ENGCLIP* pClip = Lookup<ENGCLIP>(pco, EO_CLIP);
    if (pco->iDComplexity != DC_COMPLEX || !pClip) {
        if (Intersect(pco->rclBounds, *prclBound, &r))
            pOut->push_back(r);
        return TRUE;
    }
    for (const RECTL& rc : pClip->aRects)
        if (Intersect(rc, *prclBound, &r))
            pOut->push_back(r);
    return TRUE;
}

// --- paths -------------------------------------------------------------------------

PATHOBJ* EngCreatePath()
{
    ENGPATH* pPath = NewPath();
    return pPath ? &pPath->po : nullptr;
}

void EngDeletePath(PATHOBJ* ppo)
{
    FreePath(Lookup<ENGPATH>(ppo, EO_PATH));
}

BOOL PATHOBJ_bMoveTo(PATHOBJ* ppo, POINTFIX ptfx)
{
    ENGPATH* pPath = Lookup<ENGPATH>(ppo, EO_PATH);
    if (!pPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pPath->bPendingMove = TRUE;
    pPath->bFigureOpen = FALSE;
    pPath->ptCurrent = ptfx;
    return TRUE;
}

BOOL PATHOBJ_bPolyLineTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx)
{
    ENGPATH* pPath = Lookup<ENGPATH>(ppo, EO_PATH);
    if (!pPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return AddSegments(pPath, pptfx, cptfx, 0);
}

BOOL PATHOBJ_bPolyBezierTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx)
{
    ENGPATH* pPath = Lookup<ENGPATH>(ppo, EO_PATH);
    if (!pPath || cptfx % 3 != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return AddSegments(pPath, pptfx, cptfx, PD_BEZIERS);
}

BOOL PATHOBJ_bCloseFigure(PATHOBJ* ppo)
{
    ENGPATH* pPath = Lookup<ENGPATH>(ppo, EO_PATH);
    if (!pPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (pPath->bFigureOpen && !pPath->aRecs.empty()) {
        pPath->aRecs.back().fl |= PD_CLOSEFIGURE;
        pPath->bFigureOpen = FALSE;
        pPath->ptCurrent = pPath->ptFigureStart;
    }
    return TRUE;
}

void PATHOBJ_vEnumStart(PATHOBJ* ppo)
{
    ENGPATH* pPath = Lookup<ENGPATH>(ppo, EO_PATH);
    if (pPath)
        pPath->iEnum = 0;
}

BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd)
{
    ENGPATH* pPath = Lookup<ENGPATH>(ppo, EO_PATH);
    if (!pPath || !ppd) {
        if (ppd) {
            ppd->flags = 0;
            ppd->count = 0;
            ppd->pptfx = nullptr;
        }
        return FALSE;
    }
    if (pPath->iEnum >= pPath->aRecs.size()) {
        ppd->flags = 0;
        ppd->count = 0;
        ppd->pptfx = nullptr;
        return FALSE;
    }
    const PATHREC& rec = pPath->aRecs[pPath->iEnum];
    ppd->flags = RecordFlags(pPath, pPath->iEnum);
    ppd->count = rec.c;
    ppd->pptfx = pPath->aPoints.data() + rec.iFirst;
    pPath->iEnum++;
    return pPath->iEnum < pPath->aRecs.size();
}

void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx)
{
    if (!prectfx)
        return;
    *prectfx = RECTFX{0, 0, 0, 0};
    ENGPATH* pPath = Lookup<ENGPATH>(ppo, EO_PATH);
    if (!pPath || pPath->aPoints.empty())
        return;
    RECTFX r = {pPath->aPoints[0].x, pPath->aPoints[0].y, pPath->aPoints[0].x, pPath->aPoints[0].y};
    for (const PATHREC& rec : pPath->aRecs)
        for (ULONG i = 0; i < rec.c; i++) {
            const POINTFIX& pt = pPath->aPoints[rec.iFirst + i];
            r.xLeft = std::min(r.xLeft, pt.x);
            r.yTop = std::min(r.yTop, pt.y);
            r.xRight = std::max(r.xRight, pt.x);
            r.yBottom = std::max(r.yBottom, pt.y);
        }
    *prectfx = r;
}

// --- brushes -----------------------------------------------------------------------

BRUSHOBJ* PlatBrushCreate(const PLATBRUSHDEF* pdef)
{
    if (!pdef) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ENGBRUSH* pBrush = new (std::nothrow) ENGBRUSH();
    if (!pBrush) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pBrush->def = *pdef;
    pBrush->bo.iSolidColor = pdef->iSolidColor;
    pBrush->bo.pvRbrush = nullptr;
    pBrush->bo.flColorType = 0;
    Register(pBrush, EO_BRUSH);
    return &pBrush->bo;
}

void PlatBrushDelete(BRUSHOBJ* pbo)
{
    ENGBRUSH* pBrush = Lookup<ENGBRUSH>(pbo, EO_BRUSH);
    if (!pBrush)
        return;
    Unregister(pBrush);
    for (void* p : pBrush->aAllocs)
        std::free(p);
    delete pBrush;
}

PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj)
{
    ENGBRUSH* pBrush = Lookup<ENGBRUSH>(pbo, EO_BRUSH);
    if (!pBrush || cj == 0 || cj > 0x10000000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* p = std::calloc(1, cj);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pBrush->aAllocs.push_back(p);
    return p;
}

PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo)
{
    if (!pbo)
        return nullptr;
    if (pbo->pvRbrush)
        return pbo->pvRbrush;
    ENGBRUSH* pBrush = Lookup<ENGBRUSH>(pbo, EO_BRUSH);
    if (!pBrush || pBrush->bRealizeTried || !pBrush->def.pfnRealize || pbo->iSolidColor != 0xFFFFFFFF)
        return nullptr;
    pBrush->bRealizeTried = TRUE;
    // The pattern the driver sees: the brush's bitmap, or an 8 x 8 one-bit
    // cell of the hatch (0 bits on the line).
    HSURF hsurfHatch = nullptr;
    SURFOBJ* psoPattern = nullptr;
    if (pBrush->def.hsurfPattern) {
        psoPattern = EngLockSurface(pBrush->def.hsurfPattern);
    } else {
        hsurfHatch = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{8, 8}, 4, BMF_1BPP, BMF_TOPDOWN, nullptr));
        psoPattern = hsurfHatch ? EngLockSurface(hsurfHatch) : nullptr;
        if (psoPattern)
            for (LONG y = 0; y < 8; y++) {
                BYTE b = 0;
                for (LONG x = 0; x < 8; x++)
                    if (!HatchLine(pBrush->def.iHatch, x, y))
                        b |= static_cast<BYTE>(0x80 >> x);
                static_cast<BYTE*>(psoPattern->pvScan0)[y * psoPattern->lDelta] = b;
            }
    }
    size_t cAllocsBefore = pBrush->aAllocs.size();
    BOOL bOk = psoPattern && pBrush->def.pfnRealize(pbo, pBrush->def.psoTarget, psoPattern, nullptr,
                                                    pBrush->def.pxlo, pBrush->def.iHatch);
    if (psoPattern)
        EngUnlockSurface(psoPattern);
    if (hsurfHatch)
        EngDeleteSurface(hsurfHatch);
    // The driver hangs its record itself; otherwise the last block it
    // allocated is the realization.
    if (bOk && !pbo->pvRbrush && pBrush->aAllocs.size() > cAllocsBefore)
        pbo->pvRbrush = pBrush->aAllocs.back();
    return bOk ? pbo->pvRbrush : nullptr;
}

ULONG BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo)
{
    if (!pbo)
        return 0xFFFFFFFF;
    ENGBRUSH* pBrush = Lookup<ENGBRUSH>(pbo, EO_BRUSH);
    if (pBrush)
        return pBrush->def.crRGB & 0x00FFFFFF;
    return pbo->iSolidColor;
}

void PlatSolidBrushDef(PLATBRUSHDEF* pdef, SURFOBJ* psoTarget, COLORREF cr, PFN_DrvDitherColor pfnDither,
                       DHPDEV dhpdev)
{
    *pdef = PLATBRUSHDEF{};
    cr &= 0xFFFFFF;
    ULONG iFormat = psoTarget ? psoTarget->iBitmapFormat : BMF_24BPP;
    pdef->iSolidColor = EngColorIndex(iFormat, cr);
    pdef->crRGB = cr;
    pdef->psoTarget = psoTarget;
    ULONG g = Grey(cr);
    if (iFormat != BMF_1BPP || g == 0 || g == 255)
        return;
    ULONG aul[8] = {};
    if (pfnDither && pfnDither(dhpdev, DM_MONOCHROME, cr, aul) == DCR_DRIVER) {
        for (int y = 0; y < 8; y++)
            pdef->abDither[y] = static_cast<BYTE>(aul[y]);
    } else {
        // Ordered dither: level g / 4 of 64 lights the dots whose threshold
        // is below it, so each level adds dots to the one under it.
        static const BYTE s_abBayer[8][8] = {
            {0, 32, 8, 40, 2, 34, 10, 42},   {48, 16, 56, 24, 50, 18, 58, 26},
            {12, 44, 4, 36, 14, 46, 6, 38},  {60, 28, 52, 20, 62, 30, 54, 22},
            {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
            {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                if (s_abBayer[y][x] < g / 4)
                    pdef->abDither[y] |= static_cast<BYTE>(0x80 >> x);
    }
    pdef->bDither = TRUE;
    pdef->iSolidColor = 0xFFFFFFFF;
}

ULONG EngColorIndex(ULONG iFormat, COLORREF cr)
{
    if (iFormat == BMF_1BPP)
        return Grey(cr) >= 128 ? 1 : 0;
    return cr & 0x00FFFFFF;
}

BOOL EngBrushPattern(BRUSHOBJ* pbo, ULONG iTargetFormat, ENGPATTERN* ppat)
{
    ENGBRUSH* pBrush = Lookup<ENGBRUSH>(pbo, EO_BRUSH);
    if (!pBrush || pbo->iSolidColor != 0xFFFFFFFF)
        return FALSE;
    if (pBrush->def.bDither && (pBrush->aPatColors.empty() || pBrush->iPatFormat != iTargetFormat)) {
        std::vector<ULONG> aColors(64);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                aColors[y * 8 + x] =
                    EngColorIndex(iTargetFormat, (pBrush->def.abDither[y] & (0x80 >> x)) ? 0xFFFFFF : 0);
        pBrush->aPatColors.swap(aColors);
        pBrush->aPatTransparent.clear();
        pBrush->cxPat = 8;
        pBrush->cyPat = 8;
        pBrush->iPatFormat = iTargetFormat;
    }
    if (pBrush->aPatColors.empty() || pBrush->iPatFormat != iTargetFormat) {
        SURFOBJ* pso = pBrush->def.hsurfPattern ? EngLockSurface(pBrush->def.hsurfPattern) : nullptr;
        LONG cx = pso ? pso->sizlBitmap.cx : 8;
        LONG cy = pso ? pso->sizlBitmap.cy : 8;
        BOOL bOneBit = !pso || pso->iBitmapFormat == BMF_1BPP;
        std::vector<ULONG> aColors(static_cast<size_t>(cx) * cy);
        std::vector<BYTE> aTransparent(pBrush->def.bTransparentBack && bOneBit ? aColors.size() : 0);
        for (LONG y = 0; y < cy; y++)
            for (LONG x = 0; x < cx; x++) {
                ULONG v = pso ? ReadSourcePixel(pso, x, y) : (HatchLine(pBrush->def.iHatch, x, y) ? 0 : 1);
                ULONG c;
                if (pBrush->def.pxlo)
                    c = XLATEOBJ_iXlate(pBrush->def.pxlo, v);
                else if (bOneBit || (pso && pso->iBitmapFormat <= BMF_8BPP))
                    c = EngColorIndex(iTargetFormat, v ? 0xFFFFFF : 0);
                else
                    c = EngColorIndex(iTargetFormat, v);
                aColors[static_cast<size_t>(y) * cx + x] = c;
                if (!aTransparent.empty())
                    aTransparent[static_cast<size_t>(y) * cx + x] = v ? 1 : 0;
            }
        if (pso)
            EngUnlockSurface(pso);
        pBrush->aPatColors.swap(aColors);
        pBrush->aPatTransparent.swap(aTransparent);
        pBrush->cxPat = cx;
        pBrush->cyPat = cy;
        pBrush->iPatFormat = iTargetFormat;
    }
    ppat->cx = pBrush->cxPat;
    ppat->cy = pBrush->cyPat;
    ppat->pulColors = pBrush->aPatColors.data();
    ppat->pbTransparent = pBrush->aPatTransparent.empty() ? nullptr : pBrush->aPatTransparent.data();
    return TRUE;
}

// --- colour translation ------------------------------------------------------------

XLATEOBJ* PlatXlateCreate(const ULONG* pulSrcPal, ULONG cSrc, const ULONG* pulDstPal, ULONG cDst)
{
    if ((cSrc && !pulSrcPal) || (cDst && !pulDstPal) || cSrc > 65536 || cDst > 65536) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ENGXLATE* pX = new (std::nothrow) ENGXLATE();
    if (!pX) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pX->aSrc.assign(pulSrcPal, pulSrcPal + cSrc);
    pX->aDst.assign(pulDstPal, pulDstPal + cDst);
    pX->xlo.iSrcType = static_cast<USHORT>(cSrc ? PAL_INDEXED : PAL_RGB);
    pX->xlo.iDstType = static_cast<USHORT>(cDst ? PAL_INDEXED : PAL_RGB);
    if (pX->aSrc == pX->aDst) {
        pX->xlo.flXlate = XO_TRIVIAL;
    } else if (cSrc) {
        pX->aTable.resize(cSrc);
        for (ULONG i = 0; i < cSrc; i++)
            pX->aTable[i] = cDst ? Nearest(pX->aDst, pX->aSrc[i]) : (pX->aSrc[i] & 0xFFFFFF);
        pX->xlo.flXlate = XO_TABLE;
        pX->xlo.cEntries = cSrc;
        pX->xlo.pulXlate = pX->aTable.data();
    }
    if (cDst == 2)
        pX->xlo.flXlate |= XO_TO_MONO;
    pX->xlo.iUniq = NewClipUniq();
    Register(pX, EO_XLATE);
    return &pX->xlo;
}

void PlatXlateDelete(XLATEOBJ* pxlo)
{
    ENGXLATE* pX = Lookup<ENGXLATE>(pxlo, EO_XLATE);
    if (!pX)
        return;
    Unregister(pX);
    delete pX;
}

ULONG XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor)
{
    if (!pxlo || (pxlo->flXlate & XO_TRIVIAL))
        return iColor;
    if (pxlo->flXlate & XO_TABLE)
        return pxlo->pulXlate && iColor < pxlo->cEntries ? pxlo->pulXlate[iColor] : 0;
    ENGXLATE* pX = Lookup<ENGXLATE>(pxlo, EO_XLATE);
    if (pX && !pX->aDst.empty())
        return Nearest(pX->aDst, iColor);
    return iColor;
}

ULONG XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal)
{
    ENGXLATE* pX = Lookup<ENGXLATE>(pxlo, EO_XLATE);
    if (!pX || (iPal != XO_SRCPALETTE && iPal != XO_DESTPALETTE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::vector<ULONG>& aPal = iPal == XO_SRCPALETTE ? pX->aSrc : pX->aDst;
    if (!pPal)
        return static_cast<ULONG>(aPal.size());
    ULONG c = std::min<ULONG>(cPal, static_cast<ULONG>(aPal.size()));
    if (c)
        std::memcpy(pPal, aPal.data(), c * sizeof(ULONG));
    return c;
}

// --- transforms --------------------------------------------------------------------

XFORMOBJ* PlatXformCreate(const XFORML* pxf)
{
    ENGXFORM* pX = new (std::nothrow) ENGXFORM();
    if (!pX) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pX->xf = pxf ? *pxf : XFORML{1, 0, 0, 1, 0, 0};
    Register(pX, EO_XFORM);
    return &pX->xo;
}

void PlatXformDelete(XFORMOBJ* pxo)
{
    ENGXFORM* pX = Lookup<ENGXFORM>(pxo, EO_XFORM);
    if (!pX)
        return;
    Unregister(pX);
    delete pX;
}

ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform)
{
    ENGXFORM* pX = Lookup<ENGXFORM>(pxo, EO_XFORM);
    XFORML xf = pX ? pX->xf : XFORML{1, 0, 0, 1, 0, 0};
    if (pxform)
        *pxform = xf;
    if (xf.eM12 != 0 || xf.eM21 != 0)
        return GX_GENERAL;
    if (xf.eM11 != 1 || xf.eM22 != 1)
        return GX_SCALE;
    if (xf.eDx != 0 || xf.eDy != 0)
        return GX_OFFSET;
    return GX_IDENTITY;
}

BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut)
{
    if (!pvIn || !pvOut || iMode > XF_INV_FXTOL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    XFORML xf;
    XFORMOBJ_iGetXform(pxo, &xf);
    double m11 = xf.eM11, m12 = xf.eM12, m21 = xf.eM21, m22 = xf.eM22, dx = xf.eDx, dy = xf.eDy;
    if (iMode == XF_INV_LTOL || iMode == XF_INV_FXTOL) {
        double det = m11 * m22 - m12 * m21;
        if (det == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        double i11 = m22 / det, i12 = -m12 / det, i21 = -m21 / det, i22 = m11 / det;
        double idx = -(dx * i11 + dy * i21), idy = -(dx * i12 + dy * i22);
        m11 = i11, m12 = i12, m21 = i21, m22 = i22, dx = idx, dy = idy;
    }
    // Inputs are POINTL except for the inverse from 28.4; outputs are POINTL
    // except for the forward transform into 28.4.
    double inScale = iMode == XF_INV_FXTOL ? 1.0 / 16 : 1.0;
    double outScale = iMode == XF_LTOFX ? 16.0 : 1.0;
    const LONG* pIn = static_cast<const LONG*>(pvIn);
    LONG* pOut = static_cast<LONG*>(pvOut);
    for (ULONG i = 0; i < cPoints; i++) {
        double x = pIn[2 * i] * inScale, y = pIn[2 * i + 1] * inScale;
        double ox = (m11 * x + m21 * y + dx) * outScale;
        double oy = (m12 * x + m22 * y + dy) * outScale;
        pOut[2 * i] = static_cast<LONG>(std::lround(ox));
        pOut[2 * i + 1] = static_cast<LONG>(std::lround(oy));
    }
    return TRUE;
}

LONG PlatEngLiveDrawObjects()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return static_cast<LONG>(g_live.size());
}
