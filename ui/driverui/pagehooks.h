// pagehooks.h: what the page hooks of the document-event chain draw and ask
// at print time: the watermark of every page and the form (overlay) prompt
// of the first page.
//
// Owns: the watermark drawing record and the form prompt record, the
// fixed-point sine and cosine of an angle in tenths of a degree, the
// watermark placement, and the bodies of DocEventStartPageForm and
// DrawPageWatermark (declared with the chain's last stage in
// dochooks.h, which also sends the font substitution at STARTDOC).
//
// Rules the hooks keep:
//   1. A hook never fails its event: an allocation failure or a job DEVMODE
//      that cannot be read skips the hook, and a DEVMODE that was not read is
//      never sent back.
//   2. The watermark is ordinary drawing on the job's DC; every attribute of
//      the DC it changes (mapping, font, colours, alignment, background mode)
//      is put back before the hook returns, and the DC's clip region is never
//      touched: the text is clipped by its output rectangle instead.
//   3. Values read back from the job DEVMODE are checked before they steer
//      anything (the watermark index against the user's list, the zoom
//      against zero, the texts against their field widths).
#pragma once

#include "platform/windows.h"
#include "ui/settings/devmode.h"

// The watermark drawing record: the selected watermark of the user's list
// as the drawing uses it.
struct WMDRAWINFO {
    LONG lStyle;              // 2 bold, 3 italic, 4 bold italic, other regular
    LONG lSize;               // points; 0 draws nothing
    LONG lAngle;              // tenths of a degree, counter-clockwise
    WCHAR szFace[32];         // font face, terminated
    BYTE bGrey;               // 0 black .. 255 white
    LONG lOffsetX;            // text centre from the page centre, 1/10 mm
    LONG lOffsetY;            // the same downwards
    WCHAR szText[33];         // the text, terminated
};

#define FORMPROMPT_CCH 512

// The form prompt record: MessageBox style and the text with the form
// file's name in it.
struct FORMPROMPT {
    UINT uStyle;
    WCHAR szText[FORMPROMPT_CCH];
};

// Fills *pInfo from the watermark bWatermarkCurrent of the user's list for
// the printer (null: the name in the DEVMODE). FALSE, with *pInfo zeroed,
// when no watermark is selected, the list cannot be loaded or the index is
// not a watermark of the list.
BOOL GetWatermarkItemInfo(const DRVDEVMODE* pdm, LPCWSTR pszPrinter, WMDRAWINFO* pInfo);

// Fills *pPrompt with the prompt the user's form list keeps for the job's
// form mode (3 printing a listed form, 2 creating one) and the form file's
// name. FALSE when the list or that prompt is missing.
BOOL FormatFormPrompt(const DRVDEVMODE* pdm, LPCWSTR pszPrinter, FORMPROMPT* pPrompt);

// Sine and cosine times 16384 of an angle in tenths of a degree (any angle;
// whole degrees from the table, tenths interpolated).
LONG SinTenthDegree(LONG lAngle);
LONG CosTenthDegree(LONG lAngle);

// Where the watermark text goes, in page dots:
//   pdm           in   the job DEVMODE (resolution, printable and output
//                      paper rectangles, zoom)
//   iOrientation  in   1 portrait, 2 width and height swapped
//   cyText        in   the text's height (GetTextExtentPointW)
//   pInfo         in   angle and offsets of the watermark
//   psizePage     out  the page size the text is clipped to
//   ppt           out  the text's bottom centre (TA_CENTER | TA_BOTTOM)
void PlaceWatermark(const DRVDEVMODE* pdm, int iOrientation, LONG cyText, const WMDRAWINFO* pInfo,
                    SIZE* psizePage, POINT* ppt);

// The LOGFONTW of a watermark at the job's vertical resolution, before its
// character set and pitch are taken from the installed face.
void WatermarkLogFont(const WMDRAWINFO* pInfo, LONG lDpiY, LOGFONTW* plf);

// EnumFontFamiliesW callback: copies the character set and pitch-and-family
// of the enumerated face into the LOGFONTW at lParam and goes on.
int WatermarkFontEnumProc(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam);
