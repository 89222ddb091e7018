// xrclip.cpp: clipping and raster operations of the ORDEX generator.
//
// Entry points: UpdateClip, SetClipKind, SetRop2, SetRop3, GetRop2, the
// raster-operation classes, bIsIexplore, the N-up mapping of device pixels,
// and the page flow's ResetClipToNone, SetClipState, SelectClipRect,
// SelectRop and ReleaseClipCache.
//
// Facts the code relies on:
//  1. Clip kinds of "cps": 0 the page, 1 one rectangle ("cpc 1"), 3 the
//     clip path (path 3, "cpp"), 4 a rectangle list ("cpb" .. "cpe").
//  2. A clip object's rectangles may come in any number of CLIPOBJ_bEnum
//     calls: every pass starts with CLIPOBJ_cEnumStart and runs until bEnum
//     answers FALSE.
//  3. A rectangle list is written with its bounding rectangle first, so the
//     rectangles are always looked at once before any is written.
//  4. Rectangle edges are device pixels: right and bottom exclusive.
#include <cstring>

#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/ordexnt/xrbrush.h"
#include "platform/windows.h"

namespace {

#define XRCLIP_FILE "xrclip"
#define CLIP_BATCH 10

// A buffer of up to CLIP_BATCH rectangles for CLIPOBJ_bEnum.
struct RECTBATCH {
    ULONG c;
    RECTL arcl[CLIP_BATCH];
};

CHAINHEAD* _Chain(PDEV* pPDev)
{
    return PdevChain(pPDev);
}

// The remembered edges live in the packed attribute record at any address,
// so they are copied, never read or written through a LONG pointer.
BOOL _bSameRect(const void* pEdges, const RECTL& r)
{
    LONG a[4];
    memcpy(a, pEdges, sizeof(a));
    return a[0] == r.left && a[1] == r.top && a[2] == r.right && a[3] == r.bottom;
}

void _StoreRect(void* pEdges, const RECTL& r)
{
    const LONG a[4] = {r.left, r.top, r.right, r.bottom};
    memcpy(pEdges, a, sizeof(a));
}

// One pass over the clip's rectangles; pfn sees each in order.
template <class F>
void _ForEachRect(CLIPOBJ* pco, F&& f)
{
    CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, CD_ANY, 0);
    RECTBATCH batch;
    BOOL bMore;
    do {
        batch.c = 0;
        bMore = CLIPOBJ_bEnum(pco, sizeof(batch), reinterpret_cast<ULONG*>(&batch));
        ULONG c = batch.c < CLIP_BATCH ? batch.c : CLIP_BATCH;
        for (ULONG i = 0; i < c; ++i) {
            f(batch.arcl[i]);
        }
    } while (bMore);
}

// The list writer's state: the previous rectangle's mapped left and top.
struct LISTWRITER {
    PDEV* pPDev;
    LONG xPrev;
    LONG yPrev;
};

void _ListBegin(LISTWRITER* pw, const RECTL& rclBound)
{
    PDEV* pPDev = pw->pPDev;
    LONG l = NupMapX(pPDev, rclBound.left);
    LONG t = NupMapY(pPDev, rclBound.top);
    PdlPrintf(pPDev, "cpb %d %d %d %d %d;\n", PDL_CLIP_LIST, l, t, NupMapX(pPDev, rclBound.right),
              NupMapY(pPDev, rclBound.bottom));
    pw->xPrev = l;
    pw->yPrev = t;
}

void _ListRect(LISTWRITER* pw, const RECTL& rcl)
{
    PDEV* pPDev = pw->pPDev;
    LONG l = NupMapX(pPDev, rcl.left);
    LONG t = NupMapY(pPDev, rcl.top);
    LONG w = NupMapX(pPDev, rcl.right) - l;
    LONG h = NupMapY(pPDev, rcl.bottom) - t;
    if (h == 1) {
        PdlPrintf(pPDev, "csr %d %d %d;\n", l - pw->xPrev, t - pw->yPrev, w);
    } else {
        PdlPrintf(pPDev, "csr %d %d %d %d;\n", l - pw->xPrev, t - pw->yPrev, w, h);
    }
    pw->xPrev = l;
    pw->yPrev = t;
}

void _Grow(RECTL* pBound, BOOL* pbFirst, const RECTL& r)
{
    if (*pbFirst) {
        *pBound = r;
        *pbFirst = FALSE;
        return;
    }
    if (r.left < pBound->left) pBound->left = r.left;
    if (r.top < pBound->top) pBound->top = r.top;
    if (r.right > pBound->right) pBound->right = r.right;
    if (r.bottom > pBound->bottom) pBound->bottom = r.bottom;
}

// Writes a held list (count, then the rectangles).
void _WriteList(PDEV* pPDev, const LONG* pList)
{
    LONG c = pList[0];
    const RECTL* prcl = reinterpret_cast<const RECTL*>(pList + 1);
    RECTL rclBound = {0, 0, 0, 0};
    BOOL bFirst = TRUE;
    for (LONG i = 0; i < c; ++i) {
        _Grow(&rclBound, &bFirst, prcl[i]);
    }
    LISTWRITER w = {pPDev, 0, 0};
    _ListBegin(&w, rclBound);
    for (LONG i = 0; i < c; ++i) {
        _ListRect(&w, prcl[i]);
    }
    PdlPrintf(pPDev, "cpe;\n");
}

// Writes the list straight from the enumeration: one pass for the bounding
// rectangle, a second for the rectangles.
void _WriteListFromEnum(PDEV* pPDev, CLIPOBJ* pco)
{
    RECTL rclBound = {0, 0, 0, 0};
    BOOL bFirst = TRUE;
    _ForEachRect(pco, [&](const RECTL& r) { _Grow(&rclBound, &bFirst, r); });
    LISTWRITER w = {pPDev, 0, 0};
    _ListBegin(&w, rclBound);
    _ForEachRect(pco, [&](const RECTL& r) { _ListRect(&w, r); });
    PdlPrintf(pPDev, "cpe;\n");
}

// Every rectangle of the clip into one block (count, then rectangles), or
// null when memory runs out. Free with GfxFree.
LONG* _FetchRects(CLIPOBJ* pco)
{
    ULONG c = 0;
    _ForEachRect(pco, [&](const RECTL&) { ++c; });
    if (c > 0x00FFFFFF) {
        return nullptr;
    }
    LONG* pList = static_cast<LONG*>(GfxAlloc(c * sizeof(RECTL) + 4));
    if (pList == nullptr) {
        return nullptr;
    }
    RECTL* prcl = reinterpret_cast<RECTL*>(pList + 1);
    ULONG n = 0;
    // The clip may have changed between the passes: never past the count.
    _ForEachRect(pco, [&](const RECTL& r) {
        if (n < c) {
            prcl[n++] = r;
        }
    });
    pList[0] = (LONG)n;
    return pList;
}

// For the browser's path fills: only the rectangles the filled shape
// overlaps, unless that is all of them or none.
void _KeepOverlapping(LONG* pList, const RECTL* prclArea)
{
    LONG c = pList[0];
    RECTL* prcl = reinterpret_cast<RECTL*>(pList + 1);
    LONG n = 0;
    for (LONG i = 0; i < c; ++i) {
        const RECTL& r = prcl[i];
        if (r.left < prclArea->right && prclArea->left < r.right && r.top < prclArea->bottom &&
            prclArea->top < r.bottom) {
            ++n;
        }
    }
    if (n == 0 || n == c) {
        return;
    }
    LONG k = 0;
    for (LONG i = 0; i < c; ++i) {
        const RECTL r = prcl[i];
        if (r.left < prclArea->right && prclArea->left < r.right && r.top < prclArea->bottom &&
            prclArea->top < r.bottom) {
            prcl[k++] = r;
        }
    }
    pList[0] = k;
}

BOOL _bSameList(const LONG* pA, const LONG* pB)
{
    if (pA == nullptr || pB == nullptr || pA[0] != pB[0]) {
        return FALSE;
    }
    return memcmp(pA, pB, 4 + (size_t)pA[0] * sizeof(RECTL)) == 0;
}

void _SaveList(PDEV* pPDev, const LONG* pList, ULONG ulKey)
{
    PDLATTR* pa = PdlAttr(pPDev);
    DWORD cb = 4 + (DWORD)pList[0] * sizeof(RECTL);
    LONG* pCopy = static_cast<LONG*>(AllocChainBlock(_Chain(pPDev), cb));
    if (pCopy == nullptr) {
        return;
    }
    memcpy(pCopy, pList, cb);
    if (void* pStale = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_SAVEDRECTS))) {
        FreeChainBlock(_Chain(pPDev), pStale);
    }
    SetPdlSavedRects(pPDev, pCopy);
    pa->ulSavedRectKey = ulKey;
}

void _UpdateRectList(PDEV* pPDev, CLIPOBJ* pco, const RECTL* prclArea)
{
    PDLATTR* pa = PdlAttr(pPDev);
    BOOL bIe = bIsIexplore(pPDev);
    LONG* pList = pco->iUniq != 0 ? _FetchRects(pco) : nullptr;
    if (pList == nullptr) {
        FreeSavedClipRects(pPDev);
        _WriteListFromEnum(pPDev, pco);
        return;
    }
    if (bIe && prclArea != nullptr) {
        _KeepOverlapping(pList, prclArea);
    }
    const LONG* pSaved = PdlSavedRects(pPDev);
    BOOL bSame = pSaved != nullptr &&
                 ((!bIe && pa->ulSavedRectKey == pco->iUniq) || _bSameList(pList, pSaved));
    if (!bSame) {
        FreeSavedClipRects(pPDev);
        _WriteList(pPDev, pList);
        _SaveList(pPDev, pList, pco->iUniq);
    }
    GfxFree(pList);
}

}  // namespace

// ---- mapping ------------------------------------------------------------------------

LONG NupMapX(PDEV* pPDev, LONG x)
{
    LONG s = pPDev->lNupScale;
    if (s == 10000) {
        return x;
    }
    return (LONG)((LONGLONG)x * s / 10000) + pPDev->xNupCell;
}

LONG NupMapY(PDEV* pPDev, LONG y)
{
    LONG s = pPDev->lNupScale;
    if (s == 10000) {
        return y;
    }
    return (LONG)((LONGLONG)y * s / 10000) + pPDev->yNupCell;
}

void NupMapRectGuarded(PDEV* pPDev, const RECTL* prclIn, RECTL* prclOut)
{
    RECTL r;
    r.left = NupMapX(pPDev, prclIn->left);
    r.top = NupMapY(pPDev, prclIn->top);
    r.right = NupMapX(pPDev, prclIn->right);
    r.bottom = NupMapY(pPDev, prclIn->bottom);
    if (r.right == r.left && prclIn->right != prclIn->left) {
        r.right = r.left + 1;
    }
    if (r.bottom == r.top && prclIn->bottom != prclIn->top) {
        r.bottom = r.top + 1;
    }
    *prclOut = r;
}

// ---- clip ----------------------------------------------------------------------------

BOOL SetClipKind(PDEV* pPDev, LONG nKind)
{
    PDLATTR* pa = PdlAttr(pPDev);
    if (pa->nClipKind != nKind && PdlPrintf(pPDev, "cps %d;\n", nKind) > 0) {
        pa->nClipKind = nKind;
    }
    return TRUE;
}

BOOL UpdateClip(PDEV* pPDev, CLIPOBJ* pco, const RECTL* prclArea)
{
    PDLWORK* pWork = PdlWork(pPDev);
    PDLATTR* pa = PdlAttr(pPDev);
    if (pWork->lClipSaveMode != 0) {
        return TRUE;
    }
    pa->bClipPathInUse = 0;
    LONG nKind;
    if (pco == nullptr) {
        RECTL rclPage = {0, 0, pWork->cxPrintable, pWork->cyPrintable};
        if (!_bSameRect(pa->aPageClip, rclPage) &&
            PdlPrintf(pPDev, "cpc %d 0 0 %d %d;\n", PDL_CLIP_NONE, rclPage.right,
                      rclPage.bottom) > 0) {
            _StoreRect(pa->aPageClip, rclPage);
        }
        nKind = PDL_CLIP_NONE;
    } else if (pco == PDL_CLIP_RECORDING) {
        RECTL rclAll = {0, 0, 10000, 10000};
        if (PdlPrintf(pPDev, "cpc %d 0 0 %d %d;\n", PDL_CLIP_NONE, 10000, 10000) > 0) {
            _StoreRect(pa->aPageClip, rclAll);
        }
        nKind = PDL_CLIP_NONE;
    } else if (pco->iDComplexity == DC_TRIVIAL) {
        nKind = PDL_CLIP_NONE;
    } else if (pco->iDComplexity == DC_RECT) {
        RECTL r;
        NupMapRectGuarded(pPDev, &pco->rclBounds, &r);
        if (r.left == 0 && r.top == 0 && r.right == pWork->cxPrintable &&
            r.bottom == pWork->cyPrintable) {
            nKind = PDL_CLIP_NONE;
        } else {
            if (!_bSameRect(pa->aRectClip, r) &&
                PdlPrintf(pPDev, "cpc %d %d %d %d %d;\n", PDL_CLIP_RECT, r.left, r.top, r.right,
                          r.bottom) > 0) {
                _StoreRect(pa->aRectClip, r);
            }
            nKind = PDL_CLIP_RECT;
        }
    } else if (pco->iMode == TC_PATHOBJ) {
        PATHOBJ* ppo = CLIPOBJ_ppoGetPath(pco);
        if (ppo == nullptr) {
            PdlReportFailure(XRCLIP_FILE, __LINE__, "CLIPOBJ_ppoGetPath");
            return FALSE;
        }
        UpdatePath(pPDev, ppo, PDL_PATH_CLIP, nullptr, FALSE);
        PdlPrintf(pPDev, "cpp %d %d %s;\n", 3, 3, "e");
        EngDeletePath(ppo);
        nKind = PDL_CLIP_PATH;
    } else if (pco->iMode != TC_RECTANGLES) {
        return FALSE;
    } else {
        _UpdateRectList(pPDev, pco, prclArea);
        nKind = PDL_CLIP_LIST;
    }
    SetClipKind(pPDev, nKind);
    return TRUE;
}

void FreeSavedClipRects(PDEV* pPDev)
{
    PDLATTR* pa = PdlAttr(pPDev);
    // The row is the PDEV's whatever the slot says now.
    void* pSaved = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_SAVEDRECTS));
    if (pSaved != nullptr) {
        FreeChainBlock(_Chain(pPDev), pSaved);
    }
    pa->slSavedRects = 0;
    pa->ulSavedRectKey = 0;
}

void ResetClipToNone(PDEV* pPDev)
{
    UpdateClip(pPDev, nullptr, nullptr);
}

void SetClipState(PDEV* pPDev, int nState)
{
    // Called when the escape applies the clip path it saved: from now on
    // strokes are drawing again, not the clip path's outline.
    PdlAttr(pPDev)->nClipKind = nState;
    if (nState == PDL_CLIP_PATH) {
        PdlAttr(pPDev)->bClipPathInUse = 1;
    }
}

void SelectClipRect(PDEV* pPDev, const RECTL* prcl)
{
    if (prcl == nullptr) {
        UpdateClip(pPDev, nullptr, nullptr);
        return;
    }
    CLIPOBJ co = {};
    co.iDComplexity = DC_RECT;
    co.iMode = TC_RECTANGLES;
    co.rclBounds = *prcl;
    UpdateClip(pPDev, &co, nullptr);
}

void ReleaseClipCache(PDEV* pPDev)
{
    FreeSavedClipRects(pPDev);
}

// ---- raster operations ------------------------------------------------------------------

BOOL SetRop2(PDEV* pPDev, MIX mix)
{
    PDLATTR* pa = PdlAttr(pPDev);
    if (pa->lRop2 != (LONG)mix && PdlPrintf(pPDev, "rop 2 #%X;\n", (ULONG)(mix & 0xFF)) > 0) {
        pa->lRop2 = (LONG)mix;
    }
    return TRUE;
}

BOOL SetRop3(PDEV* pPDev, ULONG rop3)
{
    PDLATTR* pa = PdlAttr(pPDev);
    if (pa->lRop3 != (LONG)rop3 && PdlPrintf(pPDev, "rop 3 #%X;\n", rop3) > 0) {
        pa->lRop3 = (LONG)rop3;
    }
    return TRUE;
}

void SelectRop(PDEV* pPDev, ROP4 rop)
{
    SetRop2(pPDev, rop);
}

ULONG GetRop2(PDEV* pPDev)
{
    if (pPDev == nullptr) {
        return 0;
    }
    LONG l = PdlAttr(pPDev)->lRop2;
    return l < 0 ? 0 : (ULONG)(l & 0xFF);
}

BOOL bRop2UsesDest(ULONG code)
{
    return !(code == R2_BLACK || code == R2_NOTCOPYPEN || code == R2_COPYPEN || code == R2_WHITE);
}

BOOL bRop3UsesDest(ULONG code)
{
    // A ternary code ignores the destination when its truth table is the
    // same for both destination values: bits 0/1 agree, 2/3, 4/5, 6/7,
    // that is code & 0x55 equals (code & 0xAA) >> 1.
    if (code > 0xFF) {
        return TRUE;
    }
    return (code & 0x55) != ((code & 0xAA) >> 1);
}

BOOL bIsIexplore(PDEV* pPDev)
{
    static const char16_t s_szName[] = u"iexplore.exe";
    // The name sits in the packed work record, possibly at an odd address.
    const BYTE* pb = reinterpret_cast<const BYTE*>(PdlWork(pPDev)->szAppName);
    for (int i = 0; i < 31; ++i) {
        WCHAR a;
        memcpy(&a, pb + i * sizeof(WCHAR), sizeof(WCHAR));
        WCHAR b = s_szName[i];
        if (a >= u'A' && a <= u'Z') {
            a = (WCHAR)(a - u'A' + u'a');
        }
        if (a != b) {
            return FALSE;
        }
        if (a == 0) {
            return TRUE;
        }
    }
    return TRUE;
}
