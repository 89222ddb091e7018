// insertpreview.h: the previews of the insert-sheet dialogs and the clock
// text of the timer print dialog.
//
// Owns: the index-paper pane (paper with its tabs, the tab mark and a
// sample of the page numbers the tabs carry), the insert-sheet pane (the
// picture of the sheet by print type, binding and orientation), the
// heading-text pane (the tab drawn to scale with its rotated heading) and
// the numbers it is laid out by (TABTEXTLAYOUT), and FormatCurrentTime.
// Each pane stores its item rectangle in PREVIEWGEOMETRY first.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// The numbers of the heading-text pane, in pixels unless said otherwise.
struct TABTEXTLAYOUT {
    int iPaperCode;      // 1025 or 1033
    int cx, cy;          // centre of the tab
    LONG lTabHeightMm100;
    int iLogPixelsX;
    int tw, th;          // half-width and height of the tab
    int d, e;            // slant and edge
    int p;               // text offset
    LONG lScale;         // 1/10000
    RECT rcTab;
    RECT rcTextClip;
    int iFontSize;       // points, within the setting's range
    LONG lFontHeight;    // LOGFONT height (negative)
};

// Page-number sample of the index-paper pane: up to 5 lines; an empty text
// is the gap line.
struct PAGENUMBERSAMPLE {
    int cLines;
    int yFirst;
    int iSpacing;
    WCHAR aszLine[5][12];
    BOOL bGap;
};

int FormatCurrentTime(LPWSTR pszOut, WORD* pwHour, WORD* pwMinute);
void BuildPageNumberSample(int t, PAGENUMBERSAMPLE* pOut);
// The picture of the insert-sheet pane and where it goes relative to the
// item rectangle's top-left.
WORD GetInsertSheetBitmapId(UISETTINGS* pObj, POINT* pOffset);
// FALSE when the settings give no tab count to divide by.
BOOL ComputeTabTextLayout(UISETTINGS* pObj, int cxPane, int cyPane, int iLogPixelsX, TABTEXTLAYOUT* pOut);

// The heading text at (x, y) in the given alignment, black on white with a
// transparent background, clipped; the DC keeps its state.
void DrawTabText(HDC hdc, const LOGFONTW* plf, int x, int y, LPCWSTR pszText, const RECT* prcClip, UINT uAlign);

void PaintIndexPaperPreview(HDC hdc, const RECT* prcItem, UISETTINGS* pObj);
void PaintInsertSheetPreview(HDC hdc, const RECT* prcItem, UISETTINGS* pObj);
void PaintTabTextPreview(HDC hdc, const RECT* prcItem, UISETTINGS* pObj);
