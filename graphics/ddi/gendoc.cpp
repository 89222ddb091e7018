// gendoc.cpp: the generic layer's document, page, banding and drawing routers.
//
// Entry points: GenStartDoc, GenStartPage, GenSendPage, GenEndDoc,
// GenStartBanding, GenNextBand, GenEscape, GenDrawEscape, the drawing
// routers (GenCopyBits .. GenDitherColor), and the sheet helpers
// (GetPagesPerSheet, bIsFirstPageOfSheet, bIsLastPageOfSheet,
// ToggleNupOrientation, GetNupScale, CopyPDEVState, GenWriteStream).
//
// This is the frame's part of the flow: it decides which job records are
// emitted when, so that a job runs from StartDoc to EndDoc into the spool
// writer. What is drawn in each section is the page generator's.
//
// Rules:
//  1. Each document starts clean: the abort and drop flags of an earlier
//     document on the same device context do not carry over, unless the job
//     itself was handed over at DrvResetPDEV.
//  2. EndDoc with ED_ABORTDOC sends neither the trailer nor the replay: the
//     writer is only closed, and its temporary file deleted.
//  3. EndDoc reports a job whose records failed (aborted, or a replay that
//     could not write) as a failure.
//  4. The band index restarts with every page.
#include "graphics/ddi/gendi.h"

#include "graphics/ddi/chain.h"
#include "graphics/ddi/jobrecord.h"
#include "graphics/ddi/pdlcalls.h"

#include <cstring>

// --- sheet helpers --------------------------------------------------------------

DWORD GetPagesPerSheet(BYTE bLayout)
{
    switch (bLayout) {
    case 3:
    case 8:
    case 9:
        return 2;
    case 4:
    case 10:
    case 11:
    case 12:
    case 13:
        return 4;
    case 5:
        return 6;
    case 6:
        return 9;
    case 7:
        return 16;
    default:
        return 1;
    }
}

BOOL bIsFirstPageOfSheet(DWORD cPage, BYTE bLayout)
{
    DWORD n = GetPagesPerSheet(bLayout);
    return n == 1 || cPage % n == 1;
}

BOOL bIsLastPageOfSheet(DWORD cPage, BYTE bLayout)
{
    DWORD n = GetPagesPerSheet(bLayout);
    return n == 1 || cPage % n == 0;
}

void ToggleNupOrientation(SHORT* pnOrientation, BYTE bLayout)
{
    switch (bLayout) {
    case 3:
    case 5:
    case 8:
    case 9:
        *pnOrientation = *pnOrientation == DMORIENT_LANDSCAPE ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
        break;
    default:
        break;
    }
}

LONG GetNupScale(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    if (pdm->ui.ZoomCheck == 1 && pdm->ui.lpLayout != 2 && pdm->ui.Zoom > 0)
        return static_cast<LONG>(pdm->ui.Zoom) * 100;
    return 10000;
}

void CopyPDEVState(PDEV* pNew, PDEV* pOld)
{
    std::memcpy(pNew->abNupState, pOld->abNupState, sizeof(pNew->abNupState));
}

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
        CHAINHEAD* pChain = static_cast<CHAINHEAD*>(pPDev->pChain);
        if (pPDev->pwszDocName) {
            FreeChainBlock(pChain, pPDev->pwszDocName);
            pPDev->pwszDocName = nullptr;
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
            pPDev->pwszDocName = pCopy;
        }
        if (!pPDev->pDocBuf) {
            pPDev->pDocBuf = static_cast<BYTE*>(GfxAlloc(PDEV_DOCBUF_SIZE));
            pPDev->cbDocBuf = pPDev->pDocBuf ? PDEV_DOCBUF_SIZE : 0;
            if (!pPDev->pDocBuf)
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
    pPDev->lNupScale = (pdm->ui.ZoomCheck || pdm->ui.Layout_Check) ? GetNupScale(pPDev) : 10000;
    pPDev->xNupCell = 0;
    pPDev->yNupCell = 0;
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

// The page end proper: page end commands, SECTION 4, the page's output.
static void _CloseSheet(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
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
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    return !bIsBitmapMode(pPDev) && pdm->ui.bLayoutKind != 4 && pdm->ui.lpLayout != 1 &&
           !bIsLastPageOfSheet(pPDev->cPages, pdm->ui.lpLayout);
}

static BOOL _bEndSheetPage(PDEV* pPDev)
{
    pPDev->fJob &= ~PDEVF_PAGEOPEN;
    if (_bNupSheetStaysOpen(pPDev))
        return FALSE;
    _CloseSheet(pPDev);
    return TRUE;
}

BOOL GenSendPage(SURFOBJ* pso)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return FALSE;
    if (!(pPDev->fJob & PDEVF_PAGEOPEN))
        return TRUE;
    if (bIsBitmapMode(pPDev) && !_bEmitData(pPDev))
        return FALSE;
    _bEndSheetPage(pPDev);
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
        if (pPDev->pWriter)
            bEmitRecordOfType(pPDev, JR_CLOSE, 0);
    } else {
        if (pPDev->cPages > 0 && !(pPDev->fJob & PDEVF_PAGEOPEN) && _bNupSheetStaysOpen(pPDev))
            _CloseSheet(pPDev);
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
    pPDev->pWriter = nullptr;  // CLOSE freed it
    pPDev->fJob &= ~(PDEVF_STREAMOPEN | PDEVF_DOCSTARTED | PDEVF_HANDEDOVER | PDEVF_PAGEOPEN);
    if (pPDev->pDocBuf) {
        GfxFree(pPDev->pDocBuf);
        pPDev->pDocBuf = nullptr;
    }
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
    // band; no empty band is sent below it.
    if ((k + 1) * h >= pPDev->cyPage) {
        pptl->x = -1;
        pptl->y = -1;
        _bEmitData(pPDev);
        _bEndSheetPage(pPDev);
        pPDev->iBand = 0;
    } else {
        _bEmitData(pPDev);
        _PaintWhite(pso);
        pptl->x = 0;
        pptl->y = (k + 1) * h;
        pPDev->iBand = k + 1;
    }
    return TRUE;
}

// --- escapes ---------------------------------------------------------------------

ULONG GenEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return 0;
    (void)cjOut;
    (void)pvOut;
    return PdlEscape(pPDev, iEsc, cjIn, pvIn);
}

ULONG GenDrawEscape(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl, ULONG cjIn, PVOID pvIn)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return 0;
    (void)iEsc;
    (void)pco;
    (void)prcl;
    (void)cjIn;
    (void)pvIn;
    return PdlDrawEscape(pPDev);
}

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

BOOL GenCopyBits(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDst,
                 POINTL* pptlSrc)
{
    if (psoSrc && psoSrc->iType != STYPE_BITMAP && psoDst)
        return EngEraseSurface(psoDst, prclDst, 0xFFFFFFFF);
    if (psoDst && psoDst->iType == STYPE_BITMAP)
        return EngCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
    BOOL bResult, bDone;
    _pRouterPDev(psoDst, &bResult, &bDone);
    if (bDone)
        return bResult;
    return PdlCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
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
        COLORADJUSTMENT caDefault = {sizeof(COLORADJUSTMENT), 0, 0, 10000, 10000, 10000,
                                     0, 10000, 0, 0, 0, 0};
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
// bits of x ^ y and y interleaved, most significant first.
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

ULONG GenDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul)
{
    PDEV* pPDev = reinterpret_cast<PDEV*>(dhpdev);
    if (!pPDev || pPDev->dwSignature != PDEV_SIGNATURE || !bIsBitmapMode(pPDev))
        return PdlDitherColor(pPDev);
    ULONG g = (5 * GetRValue(rgb) + 9 * GetGValue(rgb) + 2 * GetBValue(rgb)) / 16;
    if (g == 0 || g == 255 || !pul)
        return DCR_HALFTONE;
    ULONG level = g / 4;  // 0..63: that many of the 64 cells are white
    for (ULONG y = 0; y < 8; y++) {
        ULONG row = 0;
        for (ULONG x = 0; x < 8; x++)
            if (_DitherThreshold(x, y) < level)
                row |= 0x80u >> x;
        pul[y] = row;
    }
    return DCR_DRIVER;
}
