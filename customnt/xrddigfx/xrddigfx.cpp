// xrddigfx.cpp: entry points, the hook table, the hook stubs and the custom layer.
//
// Entry points: DllEntryPoint, DrvQueryDriverInfo, DrvEnableDriver,
// DrvDisableDriver (exported); the 26 hooks through the table; CustEnablePDEV,
// CustEnableSurface, CustFillDevInfoFonts, SetDefaultDevmode,
// StretchBltROPInStrips. Every hook call passes three layers: the stub named
// in the table, the custom layer (special cases of this printer family, else
// an unchanged forward), then the generic layer. DrvStretchBltROP and
// DrvGradientFill go from the stub to the engine.
//
// The library keeps no global state: everything a job needs hangs from its PDEV.
#include "customnt/xrddigfx/xrddigfx.h"

#include "graphics/ddi/escape.h"
#include "graphics/ddi/gendi.h"
#include "graphics/ddi/pdlcalls.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"

#include <algorithm>
#include <cstring>

#include "platform/spooler/winspool.h"

static const char s_szSource[] = "customnt\\xrddigfx\\xrddigfx";

// --- exports -------------------------------------------------------------------

Q730_EXPORT BOOL DllEntryPoint(HINSTANCE hModule, DWORD ulReason, LPVOID pvReserved)
{
    (void)hModule;
    (void)ulReason;
    (void)pvReserved;
    return TRUE;
}

Q730_EXPORT BOOL DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded)
{
    if (dwMode != DRVQUERY_USERMODE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (pcbNeeded)
        *pcbNeeded = sizeof(DWORD);
    if (!pBuffer || cbBuf < sizeof(DWORD)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    DWORD dwTrue = TRUE;
    std::memcpy(pBuffer, &dwTrue, sizeof(dwTrue));
    return TRUE;
}

Q730_EXPORT void DrvDisableDriver() {}

// --- custom layer: special cases -------------------------------------------------

BOOL SetDefaultDevmode(POPTIONDB pdb, DEVMODEW* pdm, LPCWSTR pwszDeviceName)
{
    return InitDefaultDevmode(pdb, pdm, pwszDeviceName ? pwszDeviceName : u"", nullptr);
}

// Reads the printer's stored default DEVMODE into pdmStored. Only a value of
// the full size is used: a shorter one would leave bytes that no one wrote
// to be taken as installable options.
static BOOL _bReadStoredDevmode(HANDLE hPrinter, DEVMODEW* pdmStored)
{
    DWORD dwType = 0;
    DWORD cbNeeded = 0;
    std::memset(pdmStored, 0, DRV_DEVMODE_SIZE);
    DWORD dwErr = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(u"RNOVA NT"), &dwType,
                                  reinterpret_cast<LPBYTE>(pdmStored), DRV_DEVMODE_SIZE, &cbNeeded);
    return dwErr == ERROR_SUCCESS && cbNeeded == DRV_DEVMODE_SIZE;
}

DHPDEV CustEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                      ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                      LPWSTR pwszDeviceName, HANDLE hDriver)
{
    if (!pdm)
        return nullptr;
    POPTIONDB pdb = OpenOptionDb();
    if (!pdb)
        return nullptr;
    PDEV* pPDev = nullptr;
    HGLOBAL hA = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, DRV_DEVMODE_SIZE);
    HGLOBAL hB = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, DRV_DEVMODE_SIZE);
    DEVMODEW* pdmA = hA ? static_cast<DEVMODEW*>(GlobalLock(hA)) : nullptr;
    DEVMODEW* pdmB = hB ? static_cast<DEVMODEW*>(GlobalLock(hB)) : nullptr;
    if (pdmA && pdmB) {
        SetDefaultDevmode(pdb, pdmA, pwszDeviceName);
        if (bSameDevmodeKind(pdm, pdmA))
            CopyDevmode(pdmA, pdm);
        else
            MergeDevmodeIn(pdb, pdm, pdmA);
        if (_bReadStoredDevmode(hDriver, pdmB))
            CopyDeviceOptionFields(pdmB, pdmA);
        ValidateDevmode(pdb, pdmA, hDriver);
        pPDev = GenEnablePDEV(pdmA, pwszLogAddress, cPat, phsurfPatterns, cjCaps, pdevcaps,
                              cjDevInfo, pdi, hdev, pwszDeviceName, hDriver);
        if (pPDev && cjDevInfo >= sizeof(DEVINFO))
            CustFillDevInfoFonts(pPDev, pdi);
    }
    if (pdmA)
        GlobalUnlock(hA);
    if (pdmB)
        GlobalUnlock(hB);
    if (hA)
        GlobalFree(hA);
    if (hB)
        GlobalFree(hB);
    CloseOptionDb(pdb);
    return reinterpret_cast<DHPDEV>(pPDev);
}

void CustFillDevInfoFonts(PDEV* pPDev, DEVINFO* pDevInfo)
{
    if (!pPDev || !pDevInfo)
        return;
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    LONG dpi = static_cast<USHORT>(pdm->ui.dmMirror.dmPrintQuality);
    LONG h = (dpi * 10 + 36) / 72;
    BOOL bMode2 = pdm->ui.lpGraphicsMode == 2;

    LOGFONTW* plf = &pDevInfo->lfDefaultFont;
    std::memset(plf, 0, sizeof(*plf));
    plf->lfHeight = h;
    plf->lfWidth = bMode2 ? h / 2 : 0;
    plf->lfWeight = bMode2 ? 400 : 0;
    plf->lfCharSet = 128;
    plf->lfOutPrecision = bMode2 ? 2 : 0;
    plf->lfClipPrecision = bMode2 ? 1 : 0;
    plf->lfPitchAndFamily = 17;
    if (bMode2) {
        static const WCHAR s_wszFace[] = u"HG明朝L";
        std::memcpy(plf->lfFaceName, s_wszFace, sizeof(s_wszFace));
    }

    plf = &pDevInfo->lfAnsiVarFont;
    std::memset(plf, 0, sizeof(*plf));
    plf->lfHeight = h;
    plf->lfPitchAndFamily = 18;

    plf = &pDevInfo->lfAnsiFixFont;
    std::memset(plf, 0, sizeof(*plf));
    plf->lfHeight = h;
    plf->lfPitchAndFamily = 49;
    pDevInfo->cFonts = 0;
}

// Associates the surface with the printer family's hooks, retrying once
// through the locked surface object. FALSE when both attempts fail.
static BOOL _bAssociateWithRetry(HSURF hsurf, HDEV hdev)
{
    if (EngAssociateSurface(hsurf, hdev, CUST_HOOKS_SURFACE))
        return TRUE;
    OutputDebugStringW(u"EngAssociateSurface()エラー\n");
    SURFOBJ* pso = EngLockSurface(hsurf);
    BOOL bOk = FALSE;
    if (pso) {
        bOk = EngAssociateSurface(pso->hsurf, pso->hdev ? pso->hdev : hdev, CUST_HOOKS_SURFACE);
        if (!bOk)
            OutputDebugStringW(u"EngAssociateSurface()再トライエラー\n");
        EngUnlockSurface(pso);
    }
    return bOk;
}

HSURF CustEnableSurface(DHPDEV dhpdev)
{
    PDEV* pPDev = reinterpret_cast<PDEV*>(dhpdev);
    if (!bCheckPDEV(pPDev)) {
        DbgPrint("%s (%d): %s failed.\n", s_szSource, __LINE__, "_bValidatePDEV");
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    HSURF hsurf;
    if (pdm->env.f1Plane1Bit_Check == 1 && pdm->ui.lpGraphicsMode == 2) {
        DbgPrint("%s (%d): %s", s_szSource, __LINE__, "\n\nEnter  DrvEnableSurface\n\n");
        LONG cx = pdm->ui.rcPrintDots.right - pdm->ui.rcPrintDots.left;
        LONG cy = pdm->ui.rcPrintDots.bottom - pdm->ui.rcPrintDots.top;
        // GDIINFO describes a landscape page turned; the surface must match it.
        if (pPDev->wOrientation == DMORIENT_LANDSCAPE)
            std::swap(cx, cy);
        SIZEL sizl = {cx, cy};
        hsurf = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pPDev), sizl, BMF_1BPP);
        if (!hsurf) {
            DbgPrint("%s (%d): %s failed.\n", s_szSource, __LINE__, "EngCreateDeviceSurface");
            return nullptr;
        }
        SetPdevHsurf(pPDev, hsurf);
        if (!EngAssociateSurface(hsurf, PdevHdev(pPDev), CUST_HOOKS_SURFACE)) {
            DbgPrint("%s (%d): %s failed.\n", s_szSource, __LINE__, "EngAssociateSurface");
            EngDeleteSurface(hsurf);
            SetPdevHsurf(pPDev, nullptr);
            return nullptr;
        }
        PdlEnableSurface(pPDev);
        return hsurf;
    }
    hsurf = GenEnableSurface(pPDev);
    if (hsurf && !_bAssociateWithRetry(hsurf, PdevHdev(pPDev))) {
        // A surface without the driver's hooks would print nothing of what
        // the application draws: the enable fails instead.
        EngDeleteSurface(hsurf);
        SetPdevHsurf(pPDev, nullptr);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return hsurf;
}

static ULONG CustEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    // The private protocol first; what none of its families takes is a
    // standard escape or the page generator's.
    ULONG ulResult = PrivateEscapeChain(pso, iEsc, cjIn, pvIn, cjOut, pvOut);
    if (ulResult != ESC_NOT_MINE)
        return ulResult;
    return GenEscape(pso, iEsc, cjIn, pvIn, cjOut, pvOut);
}

static BOOL CustTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                        RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque,
                        POINTL* pptlOrg, MIX mix)
{
    // While the page generator records a segment, text goes to it unchecked.
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (pPDev && pPDev->dwSignature == PDEV_SIGNATURE && pPDev->dwSignatureEnd == PDEV_SIGNATURE &&
        pGetPdlWork(pPDev)->bRecording)
        return PdlTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque,
                          pptlOrg, mix);
    return GenTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg,
                      mix);
}

// --- custom layer: plain forwarders ------------------------------------------------

static BOOL CustResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew)
{
    return GenResetPDEV(reinterpret_cast<PDEV*>(dhpdevOld), reinterpret_cast<PDEV*>(dhpdevNew));
}
static void CustCompletePDEV(DHPDEV dhpdev, HDEV hdev)
{
    GenCompletePDEV(reinterpret_cast<PDEV*>(dhpdev), hdev);
}
static void CustDisablePDEV(DHPDEV dhpdev) { GenDisablePDEV(reinterpret_cast<PDEV*>(dhpdev)); }
static void CustDisableSurface(DHPDEV dhpdev) { GenDisableSurface(reinterpret_cast<PDEV*>(dhpdev)); }
static BOOL CustStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId)
{
    return GenStartDoc(pso, pwszDocName, dwJobId);
}
static BOOL CustEndDoc(SURFOBJ* pso, FLONG fl) { return GenEndDoc(pso, fl); }
static BOOL CustStartPage(SURFOBJ* pso) { return GenStartPage(pso); }
static BOOL CustSendPage(SURFOBJ* pso) { return GenSendPage(pso); }
static BOOL CustStartBanding(SURFOBJ* pso, POINTL* pptl) { return GenStartBanding(pso, pptl); }
static BOOL CustNextBand(SURFOBJ* pso, POINTL* pptl) { return GenNextBand(pso, pptl); }
static ULONG CustDrawEscape(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl, ULONG cjIn,
                            PVOID pvIn)
{
    return GenDrawEscape(pso, iEsc, pco, prcl, cjIn, pvIn);
}
static BOOL CustCopyBits(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                         RECTL* prclDst, POINTL* pptlSrc)
{
    return GenCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
}
static BOOL CustBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                       XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                       BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4)
{
    return GenBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo,
                     pptlBrush, rop4);
}
static BOOL CustStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                           XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                           RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode)
{
    return GenStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                         pptlMask, iMode);
}
static BOOL CustStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                           POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix)
{
    return GenStrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}
static BOOL CustFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                         POINTL* pptlBrushOrg, MIX mix, FLONG flOptions)
{
    return GenFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}
static BOOL CustStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                  BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                  POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions)
{
    return GenStrokeAndFillPath(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg,
                                mixFill, flOptions);
}
static ULONG CustGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo) { return GenGetGlyphMode(dhpdev, pfo); }
static BOOL CustRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern,
                             SURFOBJ* psoMask, XLATEOBJ* pxlo, ULONG iHatch)
{
    return GenRealizeBrush(pbo, psoTarget, psoPattern, psoMask, pxlo, iHatch);
}
static ULONG CustDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul)
{
    return GenDitherColor(dhpdev, iMode, rgb, pul);
}

// --- engine-bound hooks ---------------------------------------------------------------

BOOL StretchBltROPInStrips(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                           XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                           RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode,
                           BRUSHOBJ* pbo, DWORD rop4, PFN_DrvStretchBltROP pfnEngine)
{
    LONG w = prclDest ? prclDest->right - prclDest->left : 0;
    LONG h = prclDest ? prclDest->bottom - prclDest->top : 0;
    // Empty, inverted (mirrored) or small destinations go in one call.
    if (!prclDest || !prclSrc || w <= 0 || h <= 0 ||
        static_cast<LONGLONG>(w) * h <= STRETCHROP_MAX_PIXELS)
        return pfnEngine(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                         pptlMask, iMode, pbo, rop4);
    // A destination wider than the limit goes in strips of one row.
    LONG cRowsPerStrip = std::max<LONG>(1, STRETCHROP_MAX_PIXELS / w);
    LONG n = h / cRowsPerStrip + (h % cRowsPerStrip ? 1 : 0);
    LONG hs = prclSrc->bottom - prclSrc->top;
    LONG hsAbs = hs < 0 ? -hs : hs;
    LONG lSign = hs < 0 ? -1 : 1;
    RECTL rcDst = *prclDest;
    RECTL rcSrc = *prclSrc;
    rcDst.bottom = rcDst.top;
    rcSrc.bottom = rcSrc.top;
    BOOL bResult = FALSE;
    for (LONG i = 0; i < n; i++) {
        LONG cDst = h / n + (i < h % n ? 1 : 0);
        LONG cSrc = hsAbs / n + (i < hsAbs % n ? 1 : 0);
        rcDst.top = rcDst.bottom;
        rcDst.bottom = rcDst.top + cDst;
        rcSrc.top = rcSrc.bottom;
        rcSrc.bottom = rcSrc.top + lSign * cSrc;
        bResult = pfnEngine(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, &rcDst, &rcSrc,
                            pptlMask, iMode, pbo, rop4);
    }
    return bResult;
}

// --- hook stubs -----------------------------------------------------------------------

static DHPDEV DrvEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat,
                            HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo,
                            DEVINFO* pdi, HDEV hdev, LPWSTR pwszDeviceName, HANDLE hDriver)
{
    return CustEnablePDEV(pdm, pwszLogAddress, cPat, phsurfPatterns, cjCaps, pdevcaps, cjDevInfo,
                          pdi, hdev, pwszDeviceName, hDriver);
}
static BOOL DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew)
{
    return CustResetPDEV(dhpdevOld, dhpdevNew);
}
static void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) { CustCompletePDEV(dhpdev, hdev); }
static void DrvDisablePDEV(DHPDEV dhpdev) { CustDisablePDEV(dhpdev); }
static HSURF DrvEnableSurface(DHPDEV dhpdev) { return CustEnableSurface(dhpdev); }
static void DrvDisableSurface(DHPDEV dhpdev) { CustDisableSurface(dhpdev); }
static BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId)
{
    return CustStartDoc(pso, pwszDocName, dwJobId);
}
static BOOL DrvEndDoc(SURFOBJ* pso, FLONG fl) { return CustEndDoc(pso, fl); }
static BOOL DrvStartPage(SURFOBJ* pso) { return CustStartPage(pso); }
static BOOL DrvSendPage(SURFOBJ* pso) { return CustSendPage(pso); }
static BOOL DrvStartBanding(SURFOBJ* pso, POINTL* pptl) { return CustStartBanding(pso, pptl); }
static BOOL DrvNextBand(SURFOBJ* pso, POINTL* pptl) { return CustNextBand(pso, pptl); }
static ULONG DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    return CustEscape(pso, iEsc, cjIn, pvIn, cjOut, pvOut);
}
static ULONG DrvDrawEscape(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl, ULONG cjIn,
                           PVOID pvIn)
{
    return CustDrawEscape(pso, iEsc, pco, prcl, cjIn, pvIn);
}
static BOOL DrvCopyBits(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                        RECTL* prclDst, POINTL* pptlSrc)
{
    return CustCopyBits(psoDst, psoSrc, pco, pxlo, prclDst, pptlSrc);
}
static BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                      XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                      BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4)
{
    return CustBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo,
                      pptlBrush, rop4);
}
static BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                          XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                          RECTL* prclSrc, POINTL* pptlMask, ULONG iMode)
{
    return CustStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                          pptlMask, iMode);
}
static BOOL DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                             XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                             RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode,
                             BRUSHOBJ* pbo, DWORD rop4)
{
    return StretchBltROPInStrips(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest,
                                 prclSrc, pptlMask, iMode, pbo, rop4, EngStretchBltROP);
}
static BOOL DrvGradientFill(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo, TRIVERTEX* pVertex,
                            ULONG nVertex, PVOID pMesh, ULONG nMesh, RECTL* prclExtents,
                            POINTL* pptlDitherOrg, ULONG ulMode)
{
    return EngGradientFill(psoDest, pco, pxlo, pVertex, nVertex, pMesh, nMesh, prclExtents,
                           pptlDitherOrg, ulMode);
}
static BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                          POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix)
{
    return CustStrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}
static BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                        POINTL* pptlBrushOrg, MIX mix, FLONG flOptions)
{
    return CustFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}
static BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                 BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                 POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions)
{
    return CustStrokeAndFillPath(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg,
                                 mixFill, flOptions);
}
static BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                       RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                       MIX mix)
{
    return CustTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg,
                       mix);
}
static ULONG DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo) { return CustGetGlyphMode(dhpdev, pfo); }
static BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern,
                            SURFOBJ* psoMask, XLATEOBJ* pxlo, ULONG iHatch)
{
    return CustRealizeBrush(pbo, psoTarget, psoPattern, psoMask, pxlo, iHatch);
}
static ULONG DrvDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul)
{
    return CustDitherColor(dhpdev, iMode, rgb, pul);
}

// Through void (*)(void), the generic function pointer, the cast is well formed.
#define HOOK(name) reinterpret_cast<PFN>(reinterpret_cast<void (*)(void)>(name))

// The hook table GDI receives; GDI finds rows by index, so their order is free.
static const DRVFN s_aHooks[DRV_HOOK_COUNT] = {
    {INDEX_DrvEnablePDEV, HOOK(DrvEnablePDEV)},        // CreateDC: build the PDEV
    {INDEX_DrvResetPDEV, HOOK(DrvResetPDEV)},          // ResetDC: hand the job over
    {INDEX_DrvCompletePDEV, HOOK(DrvCompletePDEV)},    // after enable: engine device
    {INDEX_DrvDisablePDEV, HOOK(DrvDisablePDEV)},      // DeleteDC: free the PDEV
    {INDEX_DrvEnableSurface, HOOK(DrvEnableSurface)},  // after enable: the surface
    {INDEX_DrvDisableSurface, HOOK(DrvDisableSurface)},  // DeleteDC: free the surface
    {INDEX_DrvStartDoc, HOOK(DrvStartDoc)},            // StartDoc: open the job
    {INDEX_DrvEndDoc, HOOK(DrvEndDoc)},                // EndDoc/AbortDoc: close the job
    {INDEX_DrvStartPage, HOOK(DrvStartPage)},          // StartPage
    {INDEX_DrvSendPage, HOOK(DrvSendPage)},            // EndPage
    {INDEX_DrvStartBanding, HOOK(DrvStartBanding)},    // first band of a banded page
    {INDEX_DrvNextBand, HOOK(DrvNextBand)},            // each further band
    {INDEX_DrvEscape, HOOK(DrvEscape)},                // ExtEscape
    {INDEX_DrvDrawEscape, HOOK(DrvDrawEscape)},        // drawing escapes
    {INDEX_DrvCopyBits, HOOK(DrvCopyBits)},            // drawing: bit copies
    {INDEX_DrvBitBlt, HOOK(DrvBitBlt)},                // drawing: block transfers
    {INDEX_DrvStretchBlt, HOOK(DrvStretchBlt)},        // drawing: stretched images
    {INDEX_DrvStretchBltROP, HOOK(DrvStretchBltROP)},  // drawing: to the engine in strips
    {INDEX_DrvGradientFill, HOOK(DrvGradientFill)},    // drawing: to the engine
    {INDEX_DrvStrokePath, HOOK(DrvStrokePath)},        // drawing: lines
    {INDEX_DrvFillPath, HOOK(DrvFillPath)},            // drawing: filled areas
    {INDEX_DrvStrokeAndFillPath, HOOK(DrvStrokeAndFillPath)},  // drawing: both
    {INDEX_DrvTextOut, HOOK(DrvTextOut)},              // drawing: text
    {INDEX_DrvGetGlyphMode, HOOK(DrvGetGlyphMode)},    // font set-up
    {INDEX_DrvRealizeBrush, HOOK(DrvRealizeBrush)},    // brush set-up
    {INDEX_DrvDitherColor, HOOK(DrvDitherColor)},      // colour set-up
};

Q730_EXPORT BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded)
{
    if (iEngineVersion < DDI_DRIVER_VERSION_NT4 || cj < sizeof(DRVENABLEDATA) || !pded) {
        SetLastError(ERROR_BAD_DRIVER_LEVEL);
        return FALSE;
    }
    pded->iDriverVersion = DDI_DRIVER_VERSION_NT4;
    pded->c = DRV_HOOK_COUNT;
    pded->pdrvfn = const_cast<DRVFN*>(s_aHooks);
    return TRUE;
}
