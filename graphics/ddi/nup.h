// nup.h: N-up and zoom placement of pages on the output sheet.
//
// Owns: the N-up state record kept in the PDEV (abNupState) and carried
// whole by the page-state escape, the layout facts (pages per sheet, grid,
// turned sheet), the geometry (GetNupScale), the cell of a page
// (GetNupSlot), the carry-over at DrvResetPDEV (CopyPDEVState) and the
// rectangles of the sheet's borders (GetNupBorderRects, DrawNupBorders).
// The page flow that uses them is gendoc.cpp's; the mapping of drawn
// coordinates through the scale and the cell offsets is the page
// generator's.
//
// Rules:
//  1. Coordinates are output dots, relative to the output printable area
//     (rcOutPrintDots). Scales are in 1/100 percent: 10000 is full size.
//  2. The geometry is computed once per document, when the first page has
//     begun (fixed flag); until then every call recomputes it.
//  3. The grid of a layout is rows x columns in the orientation in force of
//     the document; the cell list of an order is taken in the orientation
//     saved with the geometry, which is the sheet's (turned for the layouts
//     that turn the sheet), so both describe the same grid.
//  4. Layouts 11, 12 and 13 are four pages on a 2 x 2 sheet, placed like
//     layouts 4 and 10: every other table gives them four pages and a
//     2 x 2 grid, so putting all four into cell 0 would print them on top
//     of each other.
//  5. Division by a zero extent is never made: a degenerate page or cell
//     gives full size.
#pragma once

#include "customnt/xrddigfx/pdev.h"

#define NUP_MAX_CELLS 16

#pragma pack(push, 1)

// N-up state, 1728 bytes inside the PDEV (offset 4188).
//
//   off  size field
//     0     4 fFixed       1 once computed for a document that has begun printing
//     4     4 lScale       scale in 1/100 percent
//     8     1 bLayout      lpLayout at the time of computation
//     9     1 bPad9        zero
//    10     2 nOrientation orientation copy (DEVMODE 296) at that time
//    12     1 bByte784     copy of DEVMODE byte 784
//    13     1 bByte786     copy of DEVMODE byte 786
//    14     2 cxOut        width of rcOutPrintDots
//    16     2 cyOut        height of rcOutPrintDots
//    18     2 wPad18       zero
//    20   256 arcFrame     cell frames 0..15 (left, top, right, bottom)
//   276   256 arcPage      where the scaled printable area of each cell's page lies
//   532  1196 abUiExtra    copy of the job's UIEXTRA at that time
struct NUPSTATE {
    DWORD fFixed;                   // geometry fixed for this document
    LONG lScale;                    // 1/100 percent
    BYTE bLayout;                   // lpLayout
    BYTE bPad9;                     // zero
    SHORT nOrientation;             // orientation copy
    BYTE bByte784;                  // DEVMODE 784
    BYTE bByte786;                  // DEVMODE 786
    WORD cxOut;                     // rcOutPrintDots width
    WORD cyOut;                     // rcOutPrintDots height
    WORD wPad18;                    // zero
    RECTL arcFrame[NUP_MAX_CELLS];  // cell frames
    RECTL arcPage[NUP_MAX_CELLS];   // page rectangles
    BYTE abUiExtra[1196];           // UIEXTRA copy
};

#pragma pack(pop)

static_assert(sizeof(NUPSTATE) == PDEV_NUPSTATE_SIZE);
static_assert(offsetof(NUPSTATE, lScale) == 4);
static_assert(offsetof(NUPSTATE, bLayout) == 8);
static_assert(offsetof(NUPSTATE, nOrientation) == 10);
static_assert(offsetof(NUPSTATE, bByte784) == 12);
static_assert(offsetof(NUPSTATE, bByte786) == 13);
static_assert(offsetof(NUPSTATE, cxOut) == 14);
static_assert(offsetof(NUPSTATE, cyOut) == 16);
static_assert(offsetof(NUPSTATE, arcFrame) == 20);
static_assert(offsetof(NUPSTATE, arcPage) == 276);
static_assert(offsetof(NUPSTATE, abUiExtra) == 532);

// The N-up state inside a PDEV.
inline NUPSTATE* pGetNupState(PDEV* pPDev)
{
    return reinterpret_cast<NUPSTATE*>(pPDev->abNupState);
}

// Pages on one sheet: 2 for 3, 8, 9; 4 for 4 and 10..13; 6 for 5; 9 for 6;
// 16 for 7; 1 for every other value.
DWORD GetPagesPerSheet(BYTE bLayout);
// TRUE when cPage modulo the pages per sheet is 1 (first) or 0 (last); TRUE
// for every page of a one-page layout.
BOOL bIsFirstPageOfSheet(DWORD cPage, BYTE bLayout);
BOOL bIsLastPageOfSheet(DWORD cPage, BYTE bLayout);
// Swaps *pnOrientation between portrait and landscape for the layouts whose
// sheet is turned (3, 5, 8, 9).
void ToggleNupOrientation(SHORT* pnOrientation, BYTE bLayout);
// Rows and columns of a layout's grid in the given orientation (2 landscape).
void GetNupGrid(BYTE bLayout, SHORT nOrientation, LONG* pcRows, LONG* pcCols);
// The scale of the page (1/100 percent) and, unless already fixed, the
// geometry of the sheet in the PDEV's N-up state.
LONG GetNupScale(PDEV* pPDev);
// Cell (0..15, row by row) of page cPage (1 = first) on its sheet, for the
// layout, the order and the sheet orientation saved with the geometry.
DWORD GetNupSlot(DWORD cPage, BYTE bLayout, BYTE bOrder, SHORT nSavedOrientation);
// At DrvResetPDEV: carries the N-up state and, for a document that has
// printed, its layout over to the new PDEV.
void CopyPDEVState(PDEV* pNew, PDEV* pOld);
// The one-dot black rectangles of a full sheet's frame and cell separators;
// returns how many were stored (at most cMax).
DWORD GetNupBorderRects(PDEV* pPDev, RECTL* prcl, DWORD cMax);
// Draws them on the sheet at full size (DrawBlackRect).
void DrawNupBorders(SURFOBJ* pso, PDEV* pPDev);
