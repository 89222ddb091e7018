// nup.cpp: N-up and zoom placement of pages on the output sheet.
//
// Entry points: GetPagesPerSheet, bIsFirstPageOfSheet, bIsLastPageOfSheet,
// ToggleNupOrientation, GetNupGrid, GetNupScale, GetNupSlot, CopyPDEVState,
// GetNupBorderRects, DrawNupBorders. The record and its rules are in nup.h.
#include "graphics/ddi/nup.h"

#include "graphics/ddi/gendi.h"
#include "graphics/ddi/pdlcalls.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// --- layout facts ----------------------------------------------------------------

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

static BOOL _bTurnsSheet(BYTE bLayout)
{
    return bLayout == 3 || bLayout == 5 || bLayout == 8 || bLayout == 9;
}

void ToggleNupOrientation(SHORT* pnOrientation, BYTE bLayout)
{
    if (pnOrientation && _bTurnsSheet(bLayout))
        *pnOrientation = *pnOrientation == DMORIENT_LANDSCAPE ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
}

void GetNupGrid(BYTE bLayout, SHORT nOrientation, LONG* pcRows, LONG* pcCols)
{
    BOOL bLandscape = nOrientation == DMORIENT_LANDSCAPE;
    LONG cRows = 1, cCols = 1;
    switch (bLayout) {
    case 3:
    case 8:
    case 9:
        cRows = bLandscape ? 2 : 1;
        cCols = bLandscape ? 1 : 2;
        break;
    case 5:
        cRows = bLandscape ? 3 : 2;
        cCols = bLandscape ? 2 : 3;
        break;
    case 6:
        cRows = cCols = 3;
        break;
    case 7:
        cRows = cCols = 4;
        break;
    case 4:
    case 10:
    case 11:
    case 12:
    case 13:
        cRows = cCols = 2;
        break;
    default:
        break;
    }
    *pcRows = cRows;
    *pcCols = cCols;
}

// The document orientation behind an orientation saved with the geometry:
// the saved one is the sheet's, turned for the layouts that turn the sheet.
static SHORT _DocOrientation(SHORT nSaved, BYTE bLayout)
{
    SHORT n = nSaved == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    ToggleNupOrientation(&n, bLayout);
    return n;
}

// a x 10000 / b, or 10000 when b is not positive.
static LONG _Ratio(LONG a, LONG b)
{
    if (b <= 0)
        return 10000;
    return static_cast<LONG>(static_cast<int64_t>(a) * 10000 / b);
}

static LONG _Scaled(LONG lScale, LONG v)
{
    return static_cast<LONG>(static_cast<int64_t>(lScale) * v / 10000);
}

// Centring offset of a page of extent cPage scaled by lScale in a cell of
// extent cCell, behind a printable margin of cMargin dots; 0 at full size.
// The offsets are 16-bit values in the state's consumers.
static LONG _CentringOffset(LONG lScale, LONG cMargin, LONG cCell, LONG cPage)
{
    if (lScale == 10000)
        return 0;
    LONG v = _Scaled(lScale, cMargin) + (cCell - _Scaled(lScale, cPage)) / 2;
    return static_cast<SHORT>(v);
}

// Fills the page rectangles of a rows x columns grid of cells of cxCell by
// cyCell, each page cxPage by cyPage at the given offsets.
static void _FillPageRects(NUPSTATE* pst, LONG cRows, LONG cCols, LONG cxCell, LONG cyCell,
                           LONG x0, LONG y0, LONG cxPage, LONG cyPage)
{
    std::memset(pst->arcPage, 0, sizeof(pst->arcPage));
    for (LONG i = 0; i < cRows; i++) {
        for (LONG j = 0; j < cCols; j++) {
            LONG k = i * cCols + j;
            if (k >= NUP_MAX_CELLS)
                return;
            RECTL& rc = pst->arcPage[k];
            rc.left = x0 + cxCell * j;
            rc.top = y0 + cyCell * i;
            rc.right = rc.left + cxPage;
            rc.bottom = rc.top + cyPage;
        }
    }
}

static void _SaveGeometryKeys(PDEV* pPDev, NUPSTATE* pst)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    const RECTL& rcOut = pdm->ui.rcOutPrintDots;
    pst->bLayout = pdm->ui.lpLayout;
    pst->nOrientation = pdm->ui.dmMirror.dmOrientation;
    pst->bByte784 = pdm->ui.bValidByte0;
    pst->bByte786 = pdm->ui.bValidByte2;
    pst->cxOut = static_cast<WORD>(rcOut.right - rcOut.left);
    pst->cyOut = static_cast<WORD>(rcOut.bottom - rcOut.top);
    std::memcpy(pst->abUiExtra, &pdm->ui, sizeof(pst->abUiExtra));
}

// --- geometry ----------------------------------------------------------------------

LONG GetNupScale(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    NUPSTATE* pst = pGetNupState(pPDev);
    const RECTL& rcOut = pdm->ui.rcOutPrintDots;
    LONG W = rcOut.right - rcOut.left;
    LONG H = rcOut.bottom - rcOut.top;

    if (pdm->ui.ZoomCheck == 1 && pdm->ui.lpLayout != 2) {
        // Zoom: one cell, the whole output sheet. A zoom outside the
        // settings' range would make nothing or a runaway page: full size.
        LONG lScale = pdm->ui.Zoom > 0 ? static_cast<LONG>(pdm->ui.Zoom) * 100 : 10000;
        std::memset(pst->arcFrame, 0, sizeof(pst->arcFrame));
        std::memset(pst->arcPage, 0, sizeof(pst->arcPage));
        pst->arcPage[0] = {0, 0, W, H};
        pst->arcFrame[0] = {0, 0, pdm->ui.sizeOutPaperDots.cx, pdm->ui.sizeOutPaperDots.cy};
        pst->lScale = lScale;
        _SaveGeometryKeys(pPDev, pst);
        if (pPDev->cPages != 0)
            pst->fFixed = 1;
        return lScale;
    }
    if (pst->fFixed)
        return pst->lScale;

    BYTE bLayout = pdm->ui.lpLayout;
    BOOL bLandscape = pPDev->wOrientation == DMORIENT_LANDSCAPE;
    LONG cRows, cCols;
    GetNupGrid(bLayout, pPDev->wOrientation, &cRows, &cCols);
    BOOL bAcross = _bTurnsSheet(bLayout) ? !bLandscape : bLandscape;
    LONG cxCell = bAcross ? H / cCols : W / cCols;
    LONG cyCell = bAcross ? W / cRows : H / cRows;

    // The page as it stands on its cell: width first, turned in landscape.
    LONG cxPage = pdm->ui.sizePaperDots.cx;
    LONG cyPage = pdm->ui.sizePaperDots.cy;
    const RECTL& rcPrint = pdm->ui.rcPrintDots;
    LONG cxPrint = rcPrint.right - rcPrint.left;
    LONG cyPrint = rcPrint.bottom - rcPrint.top;
    if (bLandscape) {
        std::swap(cxPage, cyPage);
        std::swap(cxPrint, cyPrint);
    }
    LONG lScale = std::min(_Ratio(cyCell, cyPage), _Ratio(cxCell, cxPage));
    if (cxCell <= 0 || cyCell <= 0)
        lScale = 10000;
    LONG x0 = _CentringOffset(lScale, rcPrint.left, cxCell, cxPage);
    LONG y0 = _CentringOffset(lScale, rcPrint.top, cyCell, cyPage);

    std::memset(pst->arcFrame, 0, sizeof(pst->arcFrame));
    for (LONG i = 0; i < cRows; i++)
        for (LONG j = 0; j < cCols; j++)
            pst->arcFrame[i * cCols + j] = {cxCell * j, cyCell * i, cxCell * (j + 1), cyCell * (i + 1)};
    _FillPageRects(pst, cRows, cCols, cxCell, cyCell, x0, y0, _Scaled(lScale, cxPrint),
                   _Scaled(lScale, cyPrint));

    pst->lScale = lScale;
    if (pPDev->cPages != 0)
        pst->fFixed = 1;
    _SaveGeometryKeys(pPDev, pst);
    return lScale;
}

DWORD GetNupSlot(DWORD cPage, BYTE bLayout, BYTE bOrder, SHORT nSavedOrientation)
{
    DWORD d = cPage > 0 ? cPage - 1 : 0;
    if (bLayout == 3 || bLayout == 8 || bLayout == 9)
        // Order 1 fills left to right; the other order starts on the right.
        return bOrder == 1 ? d % 2 : (d + 1) % 2;
    DWORD n = GetPagesPerSheet(bLayout);
    if (n == 1)
        return 0;
    LONG cRows, cCols;
    GetNupGrid(bLayout, _DocOrientation(nSavedOrientation, bLayout), &cRows, &cCols);
    LONG i = static_cast<LONG>(d % n);
    LONG row, col;
    switch (bOrder) {
    case 4:  // rows, right to left
        row = i / cCols;
        col = cCols - 1 - i % cCols;
        break;
    case 5:  // columns top to bottom, from the left
        row = i % cRows;
        col = i / cRows;
        break;
    case 6:  // columns top to bottom, from the right
        row = i % cRows;
        col = cCols - 1 - i / cRows;
        break;
    default:  // 3, and the two-page orders on a larger sheet: rows, left to right
        row = i / cCols;
        col = i % cCols;
        break;
    }
    return static_cast<DWORD>(row * cCols + col);
}

// --- DrvResetPDEV ---------------------------------------------------------------------

void CopyPDEVState(PDEV* pNew, PDEV* pOld)
{
    std::memcpy(pNew->abNupState, pOld->abNupState, sizeof(pNew->abNupState));
    // The page counter outlives its document; a reset between documents
    // carries no layout into the next one.
    if (pOld->cPages == 0 || !(pOld->fJob & PDEVF_DOCSTARTED))
        return;
    DRVDEVMODE* pdmOld = pGetJobDevmode(pOld);
    DRVDEVMODE* pdmNew = pGetJobDevmode(pNew);
    NUPSTATE* pst = pGetNupState(pNew);
    const DEVMODEW& mOld = pdmOld->ui.dmMirror;
    DEVMODEW& mNew = pdmNew->ui.dmMirror;

    if (pdmOld->ui.lpLayout == 1 || pdmOld->ui.lpLayout == 2) {
        if (pdmNew->ui.lpLayout != 1 && pdmNew->ui.lpLayout != 2)
            pNew->wOrientation = static_cast<WORD>(mNew.dmOrientation);
        if (pdmNew->ui.ZoomCheck == 1) {
            BOOL bSamePaper = mNew.dmPaperSize == mOld.dmPaperSize &&
                              mNew.dmOrientation == mOld.dmOrientation &&
                              (mNew.dmPaperSize != 256 || (mNew.dmPaperLength == mOld.dmPaperLength &&
                                                           mNew.dmPaperWidth == mOld.dmPaperWidth));
            pdmNew->ui.lpLayout = bSamePaper ? 1 : 2;
            pdmNew->ui.Layout_Check = 0;
            pst->fFixed = 0;
            pNew->lNupScale = GetNupScale(pNew);
        } else {
            pdmNew->ui.Layout_Check = 0;
            pdmNew->ui.lpLayout = 1;
            pNew->lNupScale = 10000;
        }
        return;
    }

    // A sheet of several pages keeps its layout, resolution and paper: the
    // pages after the reset go on with the sheet the document began.
    LONG c = 100;
    if (mNew.dmPrintQuality != mOld.dmPrintQuality && mNew.dmPrintQuality > 0)
        c = static_cast<LONG>(mOld.dmPrintQuality) * 100 / mNew.dmPrintQuality;
    mNew.dmPrintQuality = mOld.dmPrintQuality;
    mNew.dmYResolution = mOld.dmYResolution;
    mNew.dmPaperSize = mOld.dmPaperSize;
    pdmNew->ui.lpOutputPaper = pdmOld->ui.lpOutputPaper;
    if (pdmOld->ui.lpLayout != 2)
        mNew.dmOrientation = pst->nOrientation;
    pdmNew->ui.lpLayout = pdmOld->ui.lpLayout;
    pdmNew->ui.Layout_Check = pdmOld->ui.Layout_Check;
    mNew.dmCopies = mOld.dmCopies;
    pdmNew->ui.bValidByte0 = pdmOld->ui.bValidByte0;
    pdmNew->ui.bValidByte1 = pdmOld->ui.bValidByte1;
    pdmNew->ui.bValidByte2 = pdmOld->ui.bValidByte2;
    pdmNew->ui.bValidByte3 = pdmOld->ui.bValidByte3;

    // The new page on the old grid: same cells, the new page fitted into them.
    LONG cRows, cCols;
    GetNupGrid(pst->bLayout, _DocOrientation(pst->nOrientation, pst->bLayout), &cRows, &cCols);
    LONG cxPitch = pst->arcFrame[0].right - pst->arcFrame[0].left;
    LONG cyPitch = pst->arcFrame[0].bottom - pst->arcFrame[0].top;
    LONG cxPage = pdmNew->ui.sizePaperDots.cx;
    LONG cyPage = pdmNew->ui.sizePaperDots.cy;
    if (pNew->wOrientation == DMORIENT_LANDSCAPE)
        std::swap(cxPage, cyPage);
    LONG s = std::min(_Ratio(cxPitch, cxPage), _Ratio(cyPitch, cyPage));
    if (cxPitch <= 0 || cyPitch <= 0)
        s = 10000;
    const RECTL& rcPrint = pdmNew->ui.rcPrintDots;
    LONG x0 = _CentringOffset(s, rcPrint.left, cxPitch, cxPage);
    LONG y0 = _CentringOffset(s, rcPrint.top, cyPitch, cyPage);
    _FillPageRects(pst, cRows, cCols, cxPitch, cyPitch, x0, y0, _Scaled(s, cxPage),
                   _Scaled(s, cyPage));
    pNew->lNupScale = c * s / 100;
    // The pages that follow read the scale back from the fixed geometry.
    pst->lScale = pNew->lNupScale;
}

// --- borders -------------------------------------------------------------------------

DWORD GetNupBorderRects(PDEV* pPDev, RECTL* prcl, DWORD cMax)
{
    NUPSTATE* pst = pGetNupState(pPDev);
    if (!pst->fFixed || pst->bLayout <= 1)
        return 0;
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    LONG W = pst->cxOut;
    LONG H = pst->cyOut;
    if (pst->nOrientation == DMORIENT_LANDSCAPE)
        std::swap(W, H);
    DWORD n = 0;
    auto add = [&](LONG l, LONG t, LONG r, LONG b) {
        if (n < cMax)
            prcl[n++] = {l, t, r, b};
    };
    if (pdm->ui.lpBorder == 1 && pst->bByte786 != 5) {
        add(0, 0, W, 1);
        add(0, 0, 1, H);
        add(0, H - 1, W, H);
        add(W - 1, 0, W, H);
    }
    if (pdm->ui.lpBorder != 0 && pst->bLayout != 2) {
        LONG cRows, cCols;
        GetNupGrid(pst->bLayout, _DocOrientation(pst->nOrientation, pst->bLayout), &cRows, &cCols);
        for (LONG j = 1; j < cCols; j++) {
            LONG x = pst->arcFrame[j].left;
            add(x, 0, x + 1, H);
        }
        for (LONG i = 1; i < cRows; i++) {
            LONG y = pst->arcFrame[i * cCols].top;
            add(0, y, W, y + 1);
        }
    }
    return n;
}

void DrawNupBorders(SURFOBJ* pso, PDEV* pPDev)
{
    RECTL arc[16];
    DWORD n = GetNupBorderRects(pPDev, arc, 16);
    if (n == 0)
        return;
    // The borders belong to the sheet, not to a page: drawn at full size,
    // and no ink of its pages (a sheet of blank pages stays blank).
    LONG lScale = pPDev->lNupScale, x = pPDev->xNupCell, y = pPDev->yNupCell;
    pPDev->lNupScale = 10000;
    pPDev->xNupCell = 0;
    pPDev->yNupCell = 0;
    ULONG ulInk = PdlBeginSheetDrawing(pPDev);
    for (DWORD i = 0; i < n; i++)
        DrawBlackRect(pPDev, pso, &arc[i]);
    PdlEndSheetDrawing(pPDev, ulInk);
    pPDev->lNupScale = lScale;
    pPDev->xNupCell = x;
    pPDev->yNupCell = y;
}
