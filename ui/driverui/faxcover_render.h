// faxcover_render.h: the fax cover sheet page.
//
// Owns: COVERCTX (what one cover page needs: the DC, the cover item flags of
// the job, the user's FAXCOVER, the batch's destinations and the computed
// frame and text area), the unit conversions from millimetres, 1/10000 inch
// and points to device dots, the date text, and LayoutCoverSheet, which draws
// the date, title, recipient, sender, page-count, subject and comment blocks
// and the closing rule with ordinary GDI calls.
//
// Rules:
//   1. All arithmetic is 32-bit integer with truncating division, so the
//      page comes out the same on every machine.
//   2. The DC's font, colours, alignment and clip region are as before when
//      LayoutCoverSheet returns.
//   3. Styles outside 1..5 are drawn as style 1; no table is read past its
//      last row.
#pragma once

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/windows.h"
#include "ui/driverui/faxjob.h"
#include "ui/settings/faxcover.h"

// Cover item flags, copies of the job DEVMODE bytes, in this order.
enum CoverFlag {
    CF_SUBJECT, CF_RECV_NAME, CF_RECV_FAXNUM, CF_RECV_COMPANY1, CF_RECV_COMPANY2, CF_RECV_SETUP,
    CF_RECV_PERSONAL, CF_SEND_NAME, CF_SEND_COMPANY1, CF_SEND_COMPANY2, CF_SEND_TELNUM,
    CF_SEND_FAXNUM, CF_SEND_EMAIL, CF_DATE, CF_PAGENUM, CF_IMAGE, CF_ZOOM, CF_A4PFIX, CF_COUNT
};

#define COVER_FRAME_W 20188   // designed sheet, 1/100 mm
#define COVER_FRAME_H 28888
#define COVER_LINE_CCH 641

// One cover page (in memory only; natural alignment).
struct COVERCTX {
    HDC hdc;
    BYTE abFlags[CF_COUNT];
    DWORD dwResolution;       // dpi; the effective scale once laid out
    DWORD dwFitPercent;
    DWORD dwFrameW, dwFrameH; // 1/100 mm
    LONG lOriginX, lOriginY;  // dots
    DWORD dwMarginV, dwMarginH;
    DWORD dwImageZoom;
    DWORD dwImageX, dwImageY;
    WCHAR szImage[260];
    int iStyle;               // 0..4
    const FAXWDEST* pDests;
    int cDests;
    int iFirst, iLast;
    RECT rcFrame;
    RECT rcText;
    LONG lImageX, lImageY;
    DWORD dwImageScale;
    DWORD dwResRatio;
    BYTE bSendDate;
    WORD awSendDate[4];       // year, month, 0, day
    const FAXCOVER* pCover;
};

// Length conversions at the effective scale s (dots per inch).
LONG CoverDots(LONG lHundredthMm, LONG s);
LONG CoverFixedDots(LONG lTenThousandthInch, LONG s);
LONG CoverFontHeight(LONG lPoints, LONG s);

// The date text of the sheet into a 16-unit buffer; its length, 0 for null.
int FormatCoverDate(const COVERCTX* pCtx, LPWSTR pszOut16);

// Where the cover image of a bitmap file (cb bytes at pFile) goes: the
// destination rectangle in dots, the source size and the offset of the bits
// in the file. FALSE for a file that is not a whole bitmap (no "BM", too
// short for its headers, palette or bits).
struct COVERIMAGE {
    LONG x, y, cx, cy;
    LONG lSrcW, lSrcH;
    DWORD dwBitsOffset;
};
BOOL PlaceCoverImage(const COVERCTX* pCtx, const BYTE* pFile, DWORD cb, COVERIMAGE* pOut);
// The percentage by which the designed sheet (dwFrameW x dwFrameH, 1/100 mm)
// is drawn so that it fits a printable area of lWidth x lLength (1/100 mm):
// 100 when it fits already (a larger page does not enlarge it) or the area
// is unknown, else the largest whole percentage that fits, at least 1.
DWORD CoverFitPercent(LONG lWidth, LONG lLength, DWORD dwFrameW, DWORD dwFrameH);
// The device resolution against the 200 dpi a cover image is designed at,
// in percent, for a frame width in 1/100 mm.
DWORD CoverResolutionRatio(DWORD dwFrameW, DWORD dwResolution);

// Draws the whole sheet between StartPage and EndPage with MM_TEXT in force.
void LayoutCoverSheet(COVERCTX* pCtx);

// The drawing the renderer does, replaceable for tests (null restores the
// GDI calls). Text: font, reference point, alignment, clip; the extent out.
struct COVERDRAWPROCS {
    BOOL (*pfnText)(HDC hdc, const LOGFONTW* plf, int x, int y, LPCWSTR psz, const RECT* prcClip, UINT uAlign,
                    SIZE* pExtent);
    BOOL (*pfnMeasure)(HDC hdc, const LOGFONTW* plf, LPCWSTR psz, SIZE* pExtent);
    void (*pfnRule)(HDC hdc, int iLeft, int iRight, int iTop, int iThickness, COLORREF color);
};
void CoverSetDrawProcs(const COVERDRAWPROCS* pProcs);
