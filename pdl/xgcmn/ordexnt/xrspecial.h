// xrspecial.h: inserted pages, recorded segments and the page-end pattern.
//
// Owns: the segment store's functions (the store's state record and its
// index entries are laid out in graphics/ddi/escape.h, whose escapes fill
// them), the pages written before the first page and after each page, the
// set-up and the tab label of an inserted sheet, and the page-end pattern.
// The schedule that says which sheets follow which page is the special-page
// schedule's (xrschedule.h: GetSpecialPagesForPage, bInsertSheetsEnabled).
//
// The 8 tab values of a SPECIALPAGE and the item block are read as below
// (offsets in the 222-byte record):
//
//  off size field
//   10    2 tab paper key
//   12    1 nTabs       number of tabs on the sheet
//   13    1 nTopMm      space above the first tab, mm
//   14    1 nBottomMm   space below the last tab, mm
//   15    1 nGapMm      space between tabs, mm
//   16    2 nInsetMm    text position across the tab, mm (-10..10)
//   18  130 tab text (UTF-16)
//  148    2 nTabIndex   tab the label goes on, from 1; 0 = the next in turn
//  150    2 nDirection  1 = text turned the other way
//  152    2 nAlign      1 start, 2 centre, 3 end of the tab
//  154   64 face name
//  218    2 style
//  220    2 nPoints     font size
#pragma once

#include "graphics/ddi/escape.h"
#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "pdl/xgcmn/ordexnt/xrschedule.h"

#define PDL_TAB_A4_KEY 1033
#define PDL_SEGMENT_PIECE 65535

#define SP_TAB_PAPER 10
#define SP_TAB_COUNT 12
#define SP_TAB_TOP 13
#define SP_TAB_BOTTOM 14
#define SP_TAB_GAP 15
#define SP_TAB_INSET 16
#define SP_TAB_INDEX 148
#define SP_TAB_DIRECTION 150
#define SP_TAB_ALIGN 152
#define SP_TAB_POINTS 220

// ---- recorded segments ------------------------------------------------------------

BOOL AppendSegmentData(PDEV* pPDev, const BYTE* pb, DWORD cb);
int FindSegment(PDEV* pPDev, LONG lKey);      // index entry, or -1
BOOL bHasSegment(PDEV* pPDev, LONG lKey);
// Part 1 (nSelector 1) or part 2 of the entry with the key, raw into the
// stream in pieces of at most 65535 bytes; nothing for an unknown key.
BOOL ReplaySegment(PDEV* pPDev, int nSelector, LONG lKey);
void ReleaseSegments(PDEV* pPDev);

// ---- inserted pages -----------------------------------------------------------------

void WritePagesBeforeFirstPage(PDEV* pPDev);
void WritePagesAfterPage(PDEV* pPDev);
// The two bodies with the records already fetched (tests and the two above).
void WriteSheetsBeforeFirstPage(PDEV* pPDev, const SPECIALPAGE* aRec, int cRec);
void WriteSheetsAfterPage(PDEV* pPDev, const SPECIALPAGE* aRec, int cRec);
void SetupSpecialPage(PDEV* pPDev, const SPECIALPAGE* pRec);
void DrawSpecialPageItem(PDEV* pPDev, const BYTE* pbTabValues, const BYTE* pbItem, LONG lKey,
                         int nPaperKey, int nOrient);
void WritePageEndPattern(PDEV* pPDev);

// The tab strip of tab paper at dmYResolution d (device pixels) and the
// label position (1/100 mm, before the print offset), for tests.
void GetTabStripRect(int nPaperKey, int nOrient, LONG d, RECTL* prcl);
void GetTabLabelPosition(PDEV* pPDev, const SPECIALPAGE* pRec, LONG lKey, LONG* px, LONG* py);
