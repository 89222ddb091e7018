// xgientnt.cpp: the ORDEX callbacks of the generic DDI layer.
//
// Entry points: every Pdl* function of xgientnt.h except the grey
// conversion (pagesetup.cpp). Each callback that takes a PDEV checks it
// first; the drawing hooks check their surfaces, set the drawing kind and
// run the blank-page ink test before their bodies.
#include <cstring>

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "platform/windows.h"

namespace {

PDEV* _PdevOf(SURFOBJ* pso)
{
    return pso != nullptr ? reinterpret_cast<PDEV*>(pso->dhpdev) : nullptr;
}

// Kind and ink test of a drawing call; never blocks the body.
void _PreHook(PDEV* pPDev, int nKind, int nHook)
{
    SetDrawingKind(pPDev, nKind);
    if (InkTest(pPDev, nHook)) {
        PdlWork(pPDev)->bPageBlank = 0;
    }
}

// The one-bit mode: the driver's own DEVMODE asking for monochrome bitmap
// output.
BOOL _bOneBitMode(const DEVMODEW* pdm)
{
    if (pdm == nullptr || pdm->dmDriverExtra != DRV_EXTRA_SIZE) {
        return FALSE;
    }
    const BYTE* pb = reinterpret_cast<const BYTE*>(pdm);
    return pb[2163] == 1 && pb[778] == 2;
}

BOOL _bBlitSurfacesOk(SURFOBJ* psoDest, SURFOBJ* psoSrc, RECTL* prclDest)
{
    return psoSrc != nullptr && psoSrc->iType == STYPE_BITMAP && psoDest != nullptr &&
           psoDest->iType == STYPE_DEVICE && prclDest != nullptr;
}

BOOL _bAborted(PDEV* pPDev)
{
    return (pPDev->fJob & PDEVF_ABORTED) != 0;
}

}  // namespace

BOOL PdlWriteSpool(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    return WriteSpoolBuf(pPDev, pb, cb);
}

BOOL PdlStartDoc(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    PdlWork(pPDev)->bFontSubstDone = 0;
    PdlResetState(pPDev);
    PdlStartDocBody(pPDev);
    return TRUE;
}

BOOL PdlEndDoc(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    ReleaseClipCache(pPDev);
    ReleasePathCache(pPDev);
    ReleaseBrushCache(pPDev);
    PdlEndDocBody(pPDev);
    return TRUE;
}

BOOL PdlResetPDEV(PDEV* pOld, PDEV* pNew)
{
    if (!_bValidatePDEV(pOld) || !_bValidatePDEV(pNew)) {
        return FALSE;
    }
    PDLWORK* pTo = PdlWork(pNew);
    PDLWORK* pFrom = PdlWork(pOld);
    pTo->lClipSaveMode = pFrom->lClipSaveMode;
    pTo->lCarried = pFrom->lCarried;
    pTo->bFontSubstDone = pFrom->bFontSubstDone;
    ReleaseClipCache(pOld);
    ReleasePathCache(pOld);
    PdlResetState(pNew);
    PdlCopyJobState(pNew, pOld);
    return TRUE;
}

BOOL PdlStartPage(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->bFontSubstDone == 0) {
        WriteFontSubstLines(pPDev);
        pWork->bFontSubstDone = 1;
    }
    PdlStartPageBody(pPDev);
    return TRUE;
}

BOOL PdlEndPage(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    ResetClipToNone(pPDev);
    return TRUE;
}

BOOL PdlSendPage(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    if (PdlWork(pPDev)->bFormFileMode == 0) {
        PdlSendPageBody(pPDev);
    }
    return TRUE;
}

BOOL PdlWriteJobHeader(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    WriteJobHeader(pPDev, PdevDocName(pPDev));
    return TRUE;
}

BOOL PdlBeginMacro(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    BYTE bOrder = DmByte(pPDev, 2153);
    if (bOrder == 0 || bOrder == 1) {
        PdlPrintf(pPDev, "mct %d;\n", (int)bOrder);
    }
    PdlPrintf(pPDev, "mcr %d %d <!", 1, (int)DmLong(pPDev, 1402));
    return TRUE;
}

BOOL PdlEndMacro(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    PdlPrintf(pPDev, "!>;\n");
    return TRUE;
}

BOOL PdlCallMacro(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    PdlPrintf(pPDev, "mcx %d;\n", 1);
    return TRUE;
}

BOOL PdlSuppressOutput(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    PdlWork(pPDev)->bFormFileMode = 1;
    return TRUE;
}

BOOL PdlNop(PDEV*)
{
    return TRUE;
}

BOOL PdlSetPageFlag(PDEV* pPDev, DWORD dwValue)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    pPDev->bPageFlag = 1;
    PdlWork(pPDev)->bForceRop = 1;
    PdlWork(pPDev)->lForceRop = (LONG)(dwValue & 0xFFFF);
    return TRUE;
}

BOOL PdlClearPageFlag(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    pPDev->bPageFlag = 0;
    PdlWork(pPDev)->bForceRop = 0;
    return TRUE;
}

ULONG PdlEscape(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn)
{
    // The generic layer asks before it passes a code on: the path escapes
    // are the ones taken here.
    if (iEsc == QUERYESCSUPPORT) {
        ULONG ulQuery = 0;
        if (pvIn == nullptr || cjIn < sizeof(ulQuery)) {
            return 0;
        }
        memcpy(&ulQuery, pvIn, sizeof(ulQuery));
        return (ulQuery == PDL_ESC_BEGIN_PATH || ulQuery == PDL_ESC_CLIP_TO_PATH ||
                ulQuery == PDL_ESC_END_PATH)
                   ? 1
                   : 0;
    }
    if (iEsc != PDL_ESC_BEGIN_PATH && iEsc != PDL_ESC_CLIP_TO_PATH && iEsc != PDL_ESC_END_PATH) {
        return 0;
    }
    if (!_bValidatePDEV(pPDev)) {
        return 0;
    }
    if (iEsc != PDL_ESC_CLIP_TO_PATH) {
        return 1;
    }
    if (pvIn == nullptr || cjIn < sizeof(SHORT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SHORT nMode;
    memcpy(&nMode, pvIn, sizeof(nMode));
    PDLWORK* pWork = PdlWork(pPDev);
    switch (nMode) {
    case 0:  // save
        pWork->lClipSaveMode = 1;
        return 1;
    case 1:  // restore
        pWork->lClipSaveMode = 0;
        ResetClipToNone(pPDev);
        return 1;
    case 2:  // inclusive
        PdlPrintf(pPDev, "cpp %d %d e;\n", 3, 3);
        SetClipState(pPDev, 3);
        PdlPrintf(pPDev, "phd %d;\n", 3);
        return 1;
    default:
        return 0;
    }
}

ULONG PdlDrawEscape(PDEV*)
{
    return 0;
}

ULONG PdlGetGlyphMode(PDEV*)
{
    return FO_GLYPHBITS;
}

ULONG PdlDitherColor(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return 0;
    }
    return _bOneBitMode(reinterpret_cast<const DEVMODEW*>(PdlDevmodeBytes(pPDev))) ? DCR_HALFTONE
                                                                                  : DCR_SOLID;
}

void PdlFillDevCaps(PDEV* pPDev, const DEVMODEW* pdm, GDIINFO* pGdiInfo, DEVINFO* pDevInfo)
{
    BOOL bOneBit = _bOneBitMode(pdm);
    if (pGdiInfo != nullptr) {
        if (bOneBit) {
            pGdiInfo->cBitsPixel = 1;
            pGdiInfo->cPlanes = 1;
            pGdiInfo->ulNumColors = 2;
            pGdiInfo->ciDevice.RedGamma = 0;
            pGdiInfo->ciDevice.GreenGamma = 0;
            pGdiInfo->ciDevice.BlueGamma = 0;
            pGdiInfo->ulHTPatternSize = HT_PATSIZE_8x8_M;
        } else {
            pGdiInfo->cBitsPixel = 24;
            pGdiInfo->cPlanes = 1;
            pGdiInfo->ulNumColors = 8;
        }
        pGdiInfo->ulTechnology = DT_RASPRINTER;
        pGdiInfo->flTextCaps = 0x19F7;
    }
    if (pDevInfo != nullptr) {
        pDevInfo->flGraphicsCaps = 0x253D;
        if (bOneBit) {
            pDevInfo->iDitherFormat = BMF_1BPP;
            pDevInfo->cxDither = 8;
            pDevInfo->cyDither = 8;
            // The black-and-white palette replaces the default one. The PDEV
            // owns the default palette and deletes it at disable, so it must
            // hold the replacement, never the handle deleted here. When no
            // palette can be made the old one stays.
            ULONG aulColors[2] = {0x000000, 0xFFFFFF};
            HPALETTE hpalNew = EngCreatePalette(PAL_INDEXED, 2, aulColors, 0, 0, 0);
            if (hpalNew != nullptr) {
                HPALETTE hpalOld = pDevInfo->hpalDefault;
                if (hpalOld != nullptr) {
                    EngDeletePalette(hpalOld);
                }
                pDevInfo->hpalDefault = hpalNew;
                if (pPDev != nullptr && hpalOld != nullptr && PdevHpal(pPDev) == hpalOld) {
                    SetPdevHpal(pPDev, hpalNew);
                }
            }
        }
    }
}

BOOL PdlEnableSurface(PDEV*)
{
    return TRUE;
}

BOOL PdlRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                     XLATEOBJ* pxlo, ULONG iHatch)
{
    return RealizeBrush(pbo, psoTarget, psoPattern, psoMask, pxlo, iHatch);
}

BOOL PdlBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
               POINTL* pptlBrush, ROP4 rop4)
{
    if (psoTrg == nullptr || psoTrg->iType != STYPE_DEVICE || prclTrg == nullptr) {
        return FALSE;
    }
    PDEV* pPDev = _PdevOf(psoTrg);
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    _PreHook(pPDev, 2, PDL_HOOK_BITBLT);
    return DrawBlitBody(PDL_HOOK_BITBLT, psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, nullptr,
                        pptlSrc, pptlMask, pbo, pptlBrush, rop4);
}

BOOL PdlStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* /*pca*/, POINTL* /*pptlHTOrg*/,
                   RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG /*iMode*/)
{
    if (!_bBlitSurfacesOk(psoDest, psoSrc, prclDest)) {
        return FALSE;
    }
    PDEV* pPDev = _PdevOf(psoDest);
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    _PreHook(pPDev, 2, PDL_HOOK_STRETCHBLT);
    return DrawBlitBody(PDL_HOOK_STRETCHBLT, psoDest, psoSrc, psoMask, pco, pxlo, prclDest,
                        prclSrc, nullptr, pptlMask, nullptr, nullptr, 0xCCCC);
}

BOOL PdlCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                 RECTL* prclDest, POINTL* pptlSrc)
{
    if (!_bBlitSurfacesOk(psoDest, psoSrc, prclDest)) {
        return FALSE;
    }
    PDEV* pPDev = _PdevOf(psoDest);
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    _PreHook(pPDev, 2, PDL_HOOK_COPYBITS);
    return DrawBlitBody(PDL_HOOK_COPYBITS, psoDest, psoSrc, nullptr, pco, pxlo, prclDest, nullptr,
                        pptlSrc, nullptr, nullptr, nullptr, 0xCCCC);
}

BOOL PdlTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                MIX mix)
{
    PDEV* pPDev = _PdevOf(pso);
    if (!_bValidatePDEV(pPDev) || _bAborted(pPDev) || pstro == nullptr || pfo == nullptr) {
        return FALSE;
    }
    _PreHook(pPDev, 4, PDL_HOOK_TEXTOUT);
    return DrawTextBody(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg,
                        mix);
}

BOOL PdlFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                 MIX mix, FLONG flOptions)
{
    PDEV* pPDev = _PdevOf(pso);
    if (!_bValidatePDEV(pPDev) || _bAborted(pPDev)) {
        return FALSE;
    }
    _PreHook(pPDev, 3, PDL_HOOK_FILLPATH);
    return DrawPathBody(PDL_HOOK_FILLPATH, pso, ppo, pco, nullptr, nullptr, nullptr, pbo,
                        pptlBrushOrg, mix, flOptions);
}

BOOL PdlStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix)
{
    PDEV* pPDev = _PdevOf(pso);
    if (!_bValidatePDEV(pPDev) || _bAborted(pPDev)) {
        return FALSE;
    }
    _PreHook(pPDev, 3, PDL_HOOK_STROKEPATH);
    return DrawPathBody(PDL_HOOK_STROKEPATH, pso, ppo, pco, pxo, pbo, plineattrs, nullptr,
                        pptlBrushOrg, mix, 0);
}

BOOL PdlStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions)
{
    PDEV* pPDev = _PdevOf(pso);
    if (!_bValidatePDEV(pPDev) || _bAborted(pPDev)) {
        return FALSE;
    }
    _PreHook(pPDev, 3, PDL_HOOK_STROKEANDFILLPATH);
    return DrawPathBody(PDL_HOOK_STROKEANDFILLPATH, pso, ppo, pco, pxo, pboStroke, plineattrs,
                        pboFill, pptlBrushOrg, mixFill, flOptions);
}

ULONG PdlWorkSize()
{
    return PDLWORK_SIZE;
}

ULONG PdlEnvExtraSize()
{
    return PDL_ENVEXTRA_SIZE;
}
