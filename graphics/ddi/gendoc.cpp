// gendoc.cpp: the generic layer's document, page, banding and drawing routers.
//
// Entry points: GenStartDoc, GenStartPage, GenSendPage, GenEndDoc,
// GenStartBanding, GenNextBand, the drawing routers (GenCopyBits ..
// GenDitherColor), GenFillRect, DrawBlackRect, bIntersectRects,
// bClipCopyRects, GetDitherPatternRow, GenWriteStream. N-up geometry and
// placement are nup.cpp's; GenEscape and GenDrawEscape are escape.cpp's.
//
// This is the frame's part of the flow: it decides which job records are
// emitted when, groups pages into sheets and places each page in its cell,
// and sends the page image in bitmap mode. What is drawn in each section is
// the page generator's.
//
// Rules:
//  1. Each document starts clean: the abort and drop flags of an earlier
//     document on the same device context do not carry over, unless the job
//     itself was handed over at DrvResetPDEV.
//  2. EndDoc with ED_ABORTDOC sends neither the trailer nor the replay: the
//     writer is only closed, and its temporary file deleted.
//  3. EndDoc reports a job whose records failed (aborted, or a replay that
//     could not write) as a failure.
//  4. The band index restarts with every page, and a page whose height is a
//     multiple of the band ends with its last full band.
//  5. Every drawing hook that draws on the job's own surface obeys the abort
//     flag (fails) and the drop flag (succeeds, draws nothing), in bitmap
//     mode too.
#include "graphics/ddi/gendi.h"

#include "graphics/ddi/chain.h"
#include "graphics/ddi/jobrecord.h"
#include "graphics/ddi/pdlcalls.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

BOOL GenWriteStream(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    return bWriteJobData(pPDev, pb, cb);
}

// --- document and page flow -----------------------------------------------------

static BOOL _bEmitData(PDEV* pPDev)
{
    pPDev->bRecState = JR_DATA;
    return bEmitJobRecord(pPDev);
}

static BOOL _bOpenJob(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    if (pPDev->fJob & PDEVF_STREAMOPEN) {
        bEmitRecordOfType(pPDev, JR_CLOSE, 0);
        pPDev->fJob &= ~PDEVF_STREAMOPEN;
    }
    pPDev->wReplayCopies = 1;
    pPDev->wReplayMode = pdm->ui.bLayoutKind == 4 ? REPLAY_BOOKLET : REPLAY_DIRECT;
    pPDev->bOverlayMode = (pdm->ui.lpOverlay == FORMFILE_CREATE || pdm->ui.lpOverlay == FORMFILE_OVERLAY)
                              ? pdm->ui.lpOverlay
                              : FORMFILE_NONE;
    bEmitRecordOfType(pPDev, JR_OPEN, 0);
    pPDev->fJob |= PDEVF_STREAMOPEN;
    bEmitRecordOfType(pPDev, JR_SECTION, SECTION_HEADER);
    pPDev->bRecState = JR_DATA;
    PdlStartDoc(pPDev);
    if (pdm->ui.lpOverlay == FORMFILE_CREATE)
        PdlSuppressOutput(pPDev);
    _bEmitData(pPDev);
    return TRUE;
}

BOOL GenStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return FALSE;
    pPDev->fJob |= PDEVF_DOCSTARTED;
    if (!(pPDev->fJob & PDEVF_HANDEDOVER)) {
        pPDev->fJob &= ~(PDEVF_ABORTED | PDEVF_DROPOUTPUT | PDEVF_PAGEOPEN);
        pPDev->cPages = 0;
        pPDev->iBand = 0;
        // A new document lays out its own sheets.
        pGetNupState(pPDev)->fFixed = 0;
        CHAINHEAD* pChain = PdevChain(pPDev);
        if (LPWSTR pwszOld = PdevDocName(pPDev)) {
            FreeChainBlock(pChain, pwszOld);
            SetPdevDocName(pPDev, nullptr);
        }
        if (pwszDocName) {
            size_t cch = 0;
            while (pwszDocName[cch])
                cch++;
            LPWSTR pCopy = static_cast<LPWSTR>(
                AllocChainBlock(pChain, static_cast<DWORD>((cch + 1) * sizeof(WCHAR))));
            if (!pCopy)
                return FALSE;
            std::memcpy(pCopy, pwszDocName, (cch + 1) * sizeof(WCHAR));
            SetPdevDocName(pPDev, pCopy);
        }
        if (!PdevDocBuf(pPDev)) {
            // A row its slot no longer names is still the PDEV's.
            GfxFree(reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_DOCBUF)));
            SetPdevDocBuf(pPDev, static_cast<BYTE*>(GfxAlloc(PDEV_DOCBUF_SIZE)));
            pPDev->cbDocBuf = PdevDocBuf(pPDev) ? PDEV_DOCBUF_SIZE : 0;
            if (!PdevDocBuf(pPDev))
                return FALSE;
        }
    }
    if (pPDev->cPages == 0)
        _bOpenJob(pPDev);
    (void)dwJobId;
    return TRUE;
}

static void _PaintWhite(SURFOBJ* pso)
{
    if (pso && pso->iType == STYPE_BITMAP && pso->pvBits && pso->cjBits)
        std::memset(pso->pvBits, 0xFF, pso->cjBits);
}

// The scale of the page and the offsets of its place on the sheet. The page
// draws from the corner of its printable area, so its offsets are the corner
// of its page rectangle (the scaled printable area centred in the cell), not
// of the cell's frame.
static void _PlacePage(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    pPDev->lNupScale = (pdm->ui.ZoomCheck || pdm->ui.Layout_Check) ? GetNupScale(pPDev) : 10000;
    pPDev->xNupCell = 0;
    pPDev->yNupCell = 0;
    if (pPDev->lNupScale == 10000)
        return;
    NUPSTATE* pst = pGetNupState(pPDev);
    DWORD iSlot = GetNupSlot(pPDev->cPages, pdm->ui.lpLayout, pdm->ui.lpOrder, pst->nOrientation);
    if (iSlot < NUP_MAX_CELLS) {
        pPDev->xNupCell = pst->arcPage[iSlot].left;
        pPDev->yNupCell = pst->arcPage[iSlot].top;
    }
}

static BOOL _bBeginSheetPage(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    pPDev->fJob |= PDEVF_PAGEOPEN;
    pPDev->cPages++;
    if (pdm->ui.lpOverlay == FORMFILE_CREATE && pPDev->cPages > GetPagesPerSheet(pdm->ui.lpLayout)) {
        // Only the first sheet goes into the form.
        pPDev->fJob |= PDEVF_PAGEOPEN | PDEVF_DROPOUTPUT;
        return TRUE;
    }
    if (pPDev->cPages == 1) {
        pPDev->bRecState = JR_DATA;
        PdlWriteJobHeader(pPDev);
        _bEmitData(pPDev);
        if (pdm->ui.lpOverlay == FORMFILE_OVERLAY) {
            PdlBeginMacro(pPDev);
            _bEmitData(pPDev);
            bEmitRecordOfType(pPDev, JR_COPYFILE, 0);
            pPDev->bRecState = JR_DATA;
            PdlEndMacro(pPDev);
        }
    }
    bEmitRecordOfType(pPDev, JR_SECTION, SECTION_PAGESTART);
    pPDev->bRecState = JR_DATA;
    if (pdm->ui.bLayoutKind == 4 || pdm->ui.lpLayout == 1 ||
        bIsFirstPageOfSheet(pPDev->cPages, pdm->ui.lpLayout)) {
        PdlStartPage(pPDev);
        if (pdm->ui.lpOverlay == FORMFILE_OVERLAY)
            PdlCallMacro(pPDev);
    }
    _bEmitData(pPDev);
    bEmitRecordOfType(pPDev, JR_SECTION, SECTION_PAGEBODY);
    pPDev->bRecState = JR_DATA;
    _PlacePage(pPDev);
    return TRUE;
}

BOOL GenStartPage(SURFOBJ* pso)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return FALSE;
    if (pPDev->fJob & PDEVF_ABORTED)
        return FALSE;
    if (pPDev->fJob & PDEVF_PAGEOPEN)
        return TRUE;
    if (bIsBitmapMode(pPDev))
        _PaintWhite(pso);
    return _bBeginSheetPage(pPDev);
}

// Bitmap mode groups its pages too: each page image goes to its cell, and
// the sheet ends after the last of them.
static BOOL _bIsNupSheet(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    return pdm->ui.bLayoutKind != 4 && pdm->ui.lpLayout != 1;
}

// The sheet's end: its borders, the page end commands, SECTION 4 and the
// sheet's output.
static void _CloseSheet(SURFOBJ* pso, PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    if (_bIsNupSheet(pPDev))
        DrawNupBorders(pso, pPDev);
    _bEmitData(pPDev);
    PdlEndPage(pPDev);
    _bEmitData(pPDev);
    bEmitRecordOfType(pPDev, JR_SECTION, SECTION_PAGEEND);
    pPDev->bRecState = JR_DATA;
    if (pdm->ui.lpOverlay != FORMFILE_CREATE)
        PdlSendPage(pPDev);
    _bEmitData(pPDev);
}

static BOOL _bNupSheetStaysOpen(PDEV* pPDev)
{
    return _bIsNupSheet(pPDev) && !bIsLastPageOfSheet(pPDev->cPages, pGetJobDevmode(pPDev)->ui.lpLayout);
}

static BOOL _bEndSheetPage(SURFOBJ* pso, PDEV* pPDev)
{
    pPDev->fJob &= ~PDEVF_PAGEOPEN;
    if (_bNupSheetStaysOpen(pPDev))
        return FALSE;
    _CloseSheet(pso, pPDev);
    return TRUE;
}

// Bitmap mode: the watermark is combined into the engine bitmap (inverted
// when it stands in front, else greyed in with the half-tone pattern), then
// the bitmap goes out as the page image.
static BOOL _bSendPageImage(SURFOBJ* pso, PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    BOOL bWatermark = pdm->ui.bWatermarkCurrent && pdm->ui.Watermark_Use &&
                      (!pdm->ui.FirstPageOnly || pPDev->cPages < 2);
    BOOL bFront = bWatermark && pdm->ui.lpWatermarkOrder == 1;
    if (bWatermark && pso->pvScan0 && pso->lDelta != 0) {
        LONG cbRow = std::abs(pso->lDelta);
        for (LONG y = 0; y < pso->sizlBitmap.cy; y++) {
            BYTE* pRow = static_cast<BYTE*>(pso->pvScan0) + y * pso->lDelta;
            BYTE bPattern = GetDitherPatternRow(32, static_cast<ULONG>(y) % 8);
            for (LONG i = 0; i < cbRow; i++)
                pRow[i] = bFront ? static_cast<BYTE>(~pRow[i]) : static_cast<BYTE>(pRow[i] | bPattern);
        }
    }
    RECTL rcPage = {0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
    BOOL bOk;
    if (bFront) {
        BYTE bHalftone = pdm->ui.bHalftoneClass;
        pdm->ui.bHalftoneClass = 2;
        bOk = GenFillRect(pPDev, pso, &rcPage, 0xE2E2, 0x808080);
        pdm->ui.bHalftoneClass = bHalftone;
    } else {
        bOk = GenFillRect(pPDev, pso, &rcPage, 0x8888, 0);
    }
    return _bEmitData(pPDev) && bOk;
}

BOOL GenSendPage(SURFOBJ* pso)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return FALSE;
    if (!(pPDev->fJob & PDEVF_PAGEOPEN))
        return TRUE;
    if (bIsBitmapMode(pPDev) && !(pPDev->fJob & PDEVF_DROPOUTPUT) && !_bSendPageImage(pso, pPDev))
        return FALSE;
    _bEndSheetPage(pso, pPDev);
    _bEmitData(pPDev);
    return !(pPDev->fJob & PDEVF_ABORTED);
}

BOOL GenEndDoc(SURFOBJ* pso, FLONG fl)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return FALSE;
    BOOL bOk = TRUE;
    if (fl & ED_ABORTDOC) {
        // An abandoned job is not completed: no sheet end, no trailer, no
        // replay. The page generator still releases what it holds for the
        // job, with its output dropped; whatever waits in the buffer goes too.
        pPDev->fJob |= PDEVF_DROPOUTPUT;
        PdlEndDoc(pPDev);
        ResetJobRecordBuffer(pPDev);
        if (PdevWriter(pPDev))
            bEmitRecordOfType(pPDev, JR_CLOSE, 0);
    } else {
        // A sheet that the last page left partly filled is closed here.
        if (pPDev->cPages > 0 && !(pPDev->fJob & PDEVF_PAGEOPEN) && _bNupSheetStaysOpen(pPDev))
            _CloseSheet(pso, pPDev);
        bEmitRecordOfType(pPDev, JR_SECTION, SECTION_TRAILER);
        pPDev->bRecState = JR_DATA;
        PdlEndDoc(pPDev);
        _bEmitData(pPDev);
        if (!bEmitRecordOfType(pPDev, JR_REPLAY, 0))
            bOk = FALSE;
        bEmitRecordOfType(pPDev, JR_CLOSE, 0);
        if (pPDev->fJob & PDEVF_ABORTED)
            bOk = FALSE;
    }
    SetPdevWriter(pPDev, nullptr);  // CLOSE freed it
    pPDev->fJob &= ~(PDEVF_STREAMOPEN | PDEVF_DOCSTARTED | PDEVF_HANDEDOVER | PDEVF_PAGEOPEN);
    if (void* pDocBuf = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_DOCBUF)))
        GfxFree(pDocBuf);
    pPDev->slDocBuf = 0;
    pPDev->cbDocBuf = 0;
    return bOk;
}

BOOL GenStartBanding(SURFOBJ* pso, POINTL* pptl)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev) || !pptl)
        return FALSE;
    if (pPDev->fJob & PDEVF_ABORTED)
        return FALSE;
    pPDev->iBand = 0;
    if (!(pPDev->fJob & PDEVF_PAGEOPEN)) {
        _PaintWhite(pso);
        if (!_bBeginSheetPage(pPDev))
            return FALSE;
    }
    pptl->x = 0;
    pptl->y = 0;
    return TRUE;
}

BOOL GenNextBand(SURFOBJ* pso, POINTL* pptl)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev) || !pptl)
        return FALSE;
    if (pPDev->fJob & PDEVF_ABORTED)
        return FALSE;
    LONG h = pso->sizlBitmap.cy > 0 ? pso->sizlBitmap.cy : 1;
    LONG k = pPDev->iBand;
    // A page that is an exact multiple of the band ends with its last full
    // band; no empty band is sent below it, and the last band stops at the
    // page's bottom row.
    BOOL bLast = (k + 1) * h >= pPDev->cyPage;
    BOOL bOk = TRUE;
    if (bIsBitmapMode(pPDev) && !(pPDev->fJob & PDEVF_DROPOUTPUT)) {
        RECTL rcBand = {0, k * h, pso->sizlBitmap.cx, bLast ? pPDev->cyPage : (k + 1) * h};
        bOk = GenFillRect(pPDev, pso, &rcBand, 0x8888, 0);
    }
    bOk = _bEmitData(pPDev) && bOk;
    if (bLast) {
        pptl->x = -1;
        pptl->y = -1;
        _bEndSheetPage(pso, pPDev);
        pPDev->iBand = 0;
    } else {
        _PaintWhite(pso);
        pptl->x = 0;
        pptl->y = (k + 1) * h;
        pPDev->iBand = k + 1;
    }
    return bOk && !(pPDev->fJob & PDEVF_ABORTED);
}

// --- page image -----------------------------------------------------------------

BOOL GenFillRect(PDEV* pPDev, SURFOBJ* pso, RECTL* prcl, ROP4 rop4, ULONG iColor)
{
    if (!bCheckPDEV(pPDev) || !pso || !prcl)
        return FALSE;
    PdlEnableSurface(pPDev);
    HSURF hsurf = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pPDev), pso->sizlBitmap, BMF_24BPP);
    if (!hsurf)
        return FALSE;
    BOOL bOk = FALSE;
    if (EngAssociateSurface(hsurf, PdevHdev(pPDev), GEN_HOOKS_DEVICE)) {
        SURFOBJ* psoDevice = EngLockSurface(hsurf);
        if (psoDevice) {
            BRUSHOBJ bo = {iColor, nullptr, 0};
            POINTL ptlSrc = {0, 0};
            POINTL ptlBrush = {0, 0};
            bOk = PdlBitBlt(psoDevice, pso, nullptr, nullptr, nullptr, prcl, &ptlSrc, nullptr, &bo,
                            &ptlBrush, rop4);
            EngUnlockSurface(psoDevice);
        }
    }
    EngDeleteSurface(hsurf);
    return bOk;
}

BOOL DrawBlackRect(PDEV* pPDev, SURFOBJ* pso, RECTL* prcl)
{
    return GenFillRect(pPDev, pso, prcl, 0, 0);
}

BOOL bIntersectRects(RECTL* prclOut, const RECTL* prclA, const RECTL* prclB)
{
    // Rectangles are packed records: their edges are read by value.
    LONG al = prclA->left, at = prclA->top, ar = prclA->right, ab = prclA->bottom;
    LONG bl = prclB->left, bt = prclB->top, br = prclB->right, bb = prclB->bottom;
    RECTL rc = {std::max(al, bl), std::max(at, bt), std::min(ar, br), std::min(ab, bb)};
    if (rc.left >= rc.right || rc.top >= rc.bottom) {
        *prclOut = {0, 0, 0, 0};
        return FALSE;
    }
    *prclOut = rc;
    return TRUE;
}

BOOL bClipCopyRects(RECTL* prclDst, RECTL* prclSrc, const POINTL* pptlSrc, SIZEL sizlSrc,
                    const RECTL* prclClip)
{
    RECTL rcDst = *prclDst;
    if (prclClip && !bIntersectRects(&rcDst, &rcDst, prclClip)) {
        *prclDst = *prclSrc = {0, 0, 0, 0};
        return FALSE;
    }
    // The source that lands on what is left of the destination.
    LONG dx = pptlSrc->x - prclDst->left;
    LONG dy = pptlSrc->y - prclDst->top;
    RECTL rcSrc = {rcDst.left + dx, rcDst.top + dy, rcDst.right + dx, rcDst.bottom + dy};
    RECTL rcBitmap = {0, 0, sizlSrc.cx, sizlSrc.cy};
    if (!bIntersectRects(&rcSrc, &rcSrc, &rcBitmap)) {
        *prclDst = *prclSrc = {0, 0, 0, 0};
        return FALSE;
    }
    *prclSrc = rcSrc;
    *prclDst = {rcSrc.left - dx, rcSrc.top - dy, rcSrc.right - dx, rcSrc.bottom - dy};
    return TRUE;
}

// --- escapes ---------------------------------------------------------------------

// GenEscape and GenDrawEscape belong to the escape protocol (escape.cpp).

// --- drawing routers ---------------------------------------------------------------

// The common steps of every router: a valid PDEV, not aborted; *pbDone is
// set when the call is answered here (dropped output).
static PDEV* _pRouterPDev(SURFOBJ* pso, BOOL* pbResult, BOOL* pbDone)
{
    *pbDone = TRUE;
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev)) {
        *pbResult = FALSE;
        return nullptr;
    }
    if (pPDev->fJob & PDEVF_ABORTED) {
        *pbResult = FALSE;
        return nullptr;
    }
    if (pPDev->fJob & PDEVF_DROPOUTPUT) {
        *pbResult = TRUE;
        return nullptr;
    }
    *pbDone = FALSE;
    return pPDev;
}

// The default colour adjustment of bitmap mode: no change.
static COLORADJUSTMENT _DefaultColorAdjustment()
{
    return {sizeof(COLORADJUSTMENT), 0, 0, 10000, 10000, 10000, 0, 10000, 0, 0, 0, 0};
}

BOOL GenCopyBits(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDst,
                 POINTL* pptlSrc)
{
    if (psoSrc && psoSrc->iType != STYPE_BITMAP && psoDst)
        return EngEraseSurface(psoDst, prclDst, 0xFFFFFFFF);
    if (psoDst && psoDst->iType == STYPE_BITMAP) {
        // An engine bitmap of the engine's own (not the job's surface) is
        // simply copied; the job's bitmap obeys the job's flags.
        PDEV* pOwner = GetPDEVFromSurface(psoDst);
        if (!pOwner || pOwner->dwSignature != PDEV_SIGNATURE ||
            pOwner->dwSignatureEnd != PDEV_SIGNATURE)
            return EngCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
    }
    BOOL bResult, bDone;
    PDEV* pPDev = _pRouterPDev(psoDst, &bResult, &bDone);
    if (bDone)
        return bResult;
    if (!bIsBitmapMode(pPDev) && psoDst->iType != STYPE_BITMAP)
        return PdlCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
    if (!psoSrc || !prclDst || !pptlSrc)
        return EngCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
    if (pptlSrc->x == 0 && pptlSrc->y == 0 && prclDst->left >= 0 && prclDst->top >= 0 &&
        prclDst->right - prclDst->left == psoSrc->sizlBitmap.cx &&
        prclDst->bottom - prclDst->top == psoSrc->sizlBitmap.cy && psoSrc->iBitmapFormat == BMF_1BPP)
        return EngCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
    RECTL rcDst = *prclDst;
    RECTL rcSrc;
    const RECTL* prclClip = pco && pco->iDComplexity != 0 ? &pco->rclBounds : nullptr;
    if (!bClipCopyRects(&rcDst, &rcSrc, pptlSrc, psoSrc->sizlBitmap, prclClip))
        return TRUE;
    COLORADJUSTMENT ca = _DefaultColorAdjustment();
    return EngStretchBlt(psoDst, psoSrc, nullptr, pco, pxlo, &ca, nullptr, &rcDst, &rcSrc, nullptr,
                         HALFTONE);
}

BOOL GenBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
               POINTL* pptlBrush, ROP4 rop4)
{
    BOOL bResult, bDone;
    PDEV* pPDev = _pRouterPDev(psoTrg, &bResult, &bDone);
    if (bDone)
        return bResult;
    if (bIsBitmapMode(pPDev))
        return EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo,
                         pptlBrush, rop4);
    return PdlBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo,
                     pptlBrush, rop4);
}

BOOL GenStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode)
{
    BOOL bResult, bDone;
    PDEV* pPDev = _pRouterPDev(psoDest, &bResult, &bDone);
    if (bDone)
        return bResult;
    if (bIsBitmapMode(pPDev)) {
        COLORADJUSTMENT caDefault = _DefaultColorAdjustment();
        return EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca ? pca : &caDefault,
                             pptlHTOrg, prclDest, prclSrc, pptlMask, HALFTONE);
    }
    return PdlStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest,
                         prclSrc, pptlMask, iMode);
}

BOOL GenStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix)
{
    BOOL bResult, bDone;
    PDEV* pPDev = _pRouterPDev(pso, &bResult, &bDone);
    if (bDone)
        return bResult;
    if (bIsBitmapMode(pPDev))
        return EngStrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
    return PdlStrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}

BOOL GenFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                 MIX mix, FLONG flOptions)
{
    BOOL bResult, bDone;
    PDEV* pPDev = _pRouterPDev(pso, &bResult, &bDone);
    if (bDone)
        return bResult;
    if (bIsBitmapMode(pPDev))
        return EngFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
    return PdlFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}

BOOL GenStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions)
{
    BOOL bResult, bDone;
    PDEV* pPDev = _pRouterPDev(pso, &bResult, &bDone);
    if (bDone)
        return bResult;
    if (bIsBitmapMode(pPDev))
        return EngStrokeAndFillPath(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill,
                                    pptlBrushOrg, mixFill, flOptions);
    return PdlStrokeAndFillPath(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill,
                                pptlBrushOrg, mixFill, flOptions);
}

BOOL GenTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                MIX mix)
{
    if (!pso || !pstro || !pfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BOOL bResult, bDone;
    PDEV* pPDev = _pRouterPDev(pso, &bResult, &bDone);
    if (bDone)
        return bResult;
    if (bIsBitmapMode(pPDev))
        return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg,
                          mix);
    return PdlTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque,
                      pptlOrg, mix);
}

ULONG GenGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo)
{
    (void)pfo;
    return PdlGetGlyphMode(reinterpret_cast<PDEV*>(dhpdev));
}

BOOL GenRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                     XLATEOBJ* pxlo, ULONG iHatch)
{
    return PdlRealizeBrush(pbo, psoTarget, psoPattern, psoMask, pxlo, iHatch);
}

// Ordered-dither threshold (0..63) of cell (x, y) of an 8 x 8 pattern: the
// bits of x ^ y and y interleaved, most significant first. Level g of the
// 64-level table whitens the cells whose threshold is below g, so each level
// adds one dot to the one before.
static ULONG _DitherThreshold(ULONG x, ULONG y)
{
    ULONG v = x ^ y;
    ULONG t = 0;
    for (int bit = 2; bit >= 0; bit--) {
        t = (t << 1) | ((v >> (2 - bit)) & 1);
        t = (t << 1) | ((y >> (2 - bit)) & 1);
    }
    return t;
}

BYTE GetDitherPatternRow(ULONG iLevel, ULONG r)
{
    BYTE row = 0;
    for (ULONG x = 0; x < 8; x++)
        if (_DitherThreshold(x, r & 7) < iLevel)
            row |= static_cast<BYTE>(0x80u >> x);
    return row;
}

ULONG GenDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul)
{
    PDEV* pPDev = reinterpret_cast<PDEV*>(dhpdev);
    if (!pPDev || pPDev->dwSignature != PDEV_SIGNATURE || !bIsBitmapMode(pPDev))
        return PdlDitherColor(pPDev);
    ULONG g = (5 * GetRValue(rgb) + 9 * GetGValue(rgb) + 2 * GetBValue(rgb)) / 16;
    if (g == 0 || g == 255 || !pul)
        return DCR_HALFTONE;
    for (ULONG y = 0; y < 8; y++)
        pul[y] = GetDitherPatternRow(g / 4, y);
    return DCR_DRIVER;
}
