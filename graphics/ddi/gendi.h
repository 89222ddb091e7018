// gendi.h: the generic DDI layer (functions named Gen*).
//
// Owns: the PDEV's creation and teardown (GenEnablePDEV, FreePDEV), GDIINFO
// and DEVINFO, the surface, DrvResetPDEV's hand-over, and the document, page,
// banding, escape and drawing routers that the custom layer forwards to.
// Every Gen function validates the PDEV first (bCheckPDEV) and answers an
// invalid one with ERROR_INVALID_PARAMETER and FALSE/null.
#pragma once

#include "customnt/xrddigfx/pdev.h"
#include "graphics/ddi/nup.h"

// Surface hooks of the three surface kinds.
#define GEN_HOOKS_BITMAP 0x040B   // BITBLT, STRETCHBLT, TEXTOUT, COPYBITS
#define GEN_HOOKS_DEVICE 0x04EB   // the bitmap set plus the three path hooks
#define CUST_HOOKS_SURFACE 0x24EB // the device set plus STRETCHBLTROP
#define GEN_BAND_BYTES 0x850000   // largest bitmap before banding

// --- PDEV ----------------------------------------------------------------------
PDEV* GenEnablePDEV(DEVMODEW* pdmJob, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                    ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                    LPWSTR pwszDeviceName, HANDLE hDriver);
BOOL bInitPDEV(PDEV* pPDev);
void FillGdiInfo(PDEV* pPDev, ULONG cjGdiInfo, GDIINFO* pGdiInfo);
BOOL bFillDevInfo(PDEV* pPDev, ULONG cjDevInfo, DEVINFO* pDevInfo);
ULONG GetHalftonePatternSize(ULONG xDpi, ULONG yDpi, BOOL bFlag);
void GenCompletePDEV(PDEV* pPDev, HDEV hdev);
BOOL GenResetPDEV(PDEV* pOld, PDEV* pNew);
HSURF GenEnableSurface(PDEV* pPDev);
void GenDisableSurface(PDEV* pPDev);
void GenDisablePDEV(PDEV* pPDev);
void FreePDEV(PDEV* pPDev);
// Copies dmSize + dmDriverExtra bytes; returns dmDriverExtra.
DWORD CopyDevmode(DEVMODEW* pdmDst, const DEVMODEW* pdmSrc);

// --- document and page flow -----------------------------------------------------
BOOL GenStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
BOOL GenStartPage(SURFOBJ* pso);
BOOL GenSendPage(SURFOBJ* pso);
BOOL GenEndDoc(SURFOBJ* pso, FLONG fl);
BOOL GenStartBanding(SURFOBJ* pso, POINTL* pptl);
BOOL GenNextBand(SURFOBJ* pso, POINTL* pptl);
// (the sheet helpers and the N-up geometry are declared in nup.h)
BOOL GenWriteStream(PDEV* pPDev, const BYTE* pb, DWORD cb);
// Hands the rectangle prcl of the surface pso (an engine bitmap in bitmap
// mode) to the page generator's PdlBitBlt on a temporary device surface, with
// a solid brush of colour iColor and the ROP4; FALSE when the temporary
// surface cannot be made or the page generator fails.
BOOL GenFillRect(PDEV* pPDev, SURFOBJ* pso, RECTL* prcl, ROP4 rop4, ULONG iColor);
// GenFillRect in black (ROP4 0), for the N-up borders.
BOOL DrawBlackRect(PDEV* pPDev, SURFOBJ* pso, RECTL* prcl);
// *prclOut = the intersection of *prclA and *prclB; TRUE when not empty,
// else an all-zero rectangle and FALSE.
BOOL bIntersectRects(RECTL* prclOut, const RECTL* prclA, const RECTL* prclB);
// Clips a copy of the source bitmap sizlSrc at *pptlSrc to *prclDst: the
// destination to *prclClip (null: no clip), the source to the bitmap, each
// moved by the other's change. FALSE when nothing is left.
BOOL bClipCopyRects(RECTL* prclDst, RECTL* prclSrc, const POINTL* pptlSrc, SIZEL sizlSrc,
                    const RECTL* prclClip);
// Row r (0..7) of the 8 x 8 one-bit pattern of grey level iLevel (0..63, the
// number of white dots) of the bitmap-mode dither.
BYTE GetDitherPatternRow(ULONG iLevel, ULONG r);

// --- escapes and drawing ---------------------------------------------------------
ULONG GenEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
ULONG GenDrawEscape(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl, ULONG cjIn, PVOID pvIn);
BOOL GenCopyBits(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDst,
                 POINTL* pptlSrc);
BOOL GenBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
               POINTL* pptlBrush, ROP4 rop4);
BOOL GenStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
BOOL GenStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
BOOL GenFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                 MIX mix, FLONG flOptions);
BOOL GenStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
BOOL GenTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                MIX mix);
ULONG GenGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo);
BOOL GenRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                     XLATEOBJ* pxlo, ULONG iHatch);
ULONG GenDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);
