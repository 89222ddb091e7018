// xgientnt.h: the ORDEX back end: the callbacks the generic DDI layer calls,
// the job and page flow, the PJL job header and option table, and page
// set-up with its paper, tray and language tables and the grey conversion.
//
// Owns: every Pdl* callback, WriteJobHeader and its lines, SetOptionPJL,
// PdlPageSetup and the set-up commands, the tone curve, the fax capture
// buffer. Drawing bodies (brushes, paths, clipping, text, images), special
// pages, overlays' recorded segments and blank-page skipping belong to
// their own files and are reached through the declarations at the end.
//
// All callbacks take the PDEV first; BOOL results unless stated.
#pragma once

#include "pdl/xgcmn/xgcmn.h"

// ---- callbacks of the generic layer ---------------------------------------

BOOL PdlWriteSpool(PDEV* pPDev, const BYTE* pb, DWORD cb);
BOOL PdlStartDoc(PDEV* pPDev);
BOOL PdlEndDoc(PDEV* pPDev);
BOOL PdlResetPDEV(PDEV* pOld, PDEV* pNew);
// Frees every buffer the work area still owns (capture, insert sheets,
// sheet table, blank-page buffer) through the PDEV's side record rows,
// whatever the work area's slots say; the PDEV is about to go away.
void PdlFreeWorkBuffers(PDEV* pPDev);
BOOL PdlStartPage(PDEV* pPDev);
BOOL PdlEndPage(PDEV* pPDev);
BOOL PdlSendPage(PDEV* pPDev);
BOOL PdlWriteJobHeader(PDEV* pPDev);
BOOL PdlBeginMacro(PDEV* pPDev);
BOOL PdlEndMacro(PDEV* pPDev);
BOOL PdlCallMacro(PDEV* pPDev);
BOOL PdlSuppressOutput(PDEV* pPDev);
BOOL PdlNop(PDEV* pPDev);
BOOL PdlSetPageFlag(PDEV* pPDev, DWORD dwValue);
BOOL PdlClearPageFlag(PDEV* pPDev);
// Drawing of the sheet itself (the N-up frame and separators) is bracketed
// by these: it is no page's ink, so that blank-page skipping still leaves
// off a sheet whose pages are all blank. Begin answers the page's ink state,
// which End puts back.
ULONG PdlBeginSheetDrawing(PDEV* pPDev);
void PdlEndSheetDrawing(PDEV* pPDev, ULONG ulState);
ULONG PdlEscape(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn);
ULONG PdlDrawEscape(PDEV* pPDev);
ULONG PdlGetGlyphMode(PDEV* pPDev);
ULONG PdlDitherColor(PDEV* pPDev);
void PdlFillDevCaps(PDEV* pPDev, const DEVMODEW* pdm, GDIINFO* pGdiInfo, DEVINFO* pDevInfo);
BOOL PdlEnableSurface(PDEV* pPDev);
BOOL PdlRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                     XLATEOBJ* pxlo, ULONG iHatch);
BOOL PdlBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
               POINTL* pptlBrush, ROP4 rop4);
BOOL PdlStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
BOOL PdlCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                 RECTL* prclDest, POINTL* pptlSrc);
BOOL PdlTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                MIX mix);
BOOL PdlFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                 MIX mix, FLONG flOptions);
BOOL PdlStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
BOOL PdlStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
BYTE PdlMapGray(PDEV* pPDev, BYTE bLevel);
DWORD PdlColorToGray(PDEV* pPDev, DWORD rgb);
BOOL PdlIsGrayMode(PDEV* pPDev);
ULONG PdlWorkSize();
ULONG PdlEnvExtraSize();

// Escape codes PdlEscape takes.
#define PDL_ESC_BEGIN_PATH 4096
#define PDL_ESC_CLIP_TO_PATH 4097
#define PDL_ESC_END_PATH 4098

// ---- job and page flow -----------------------------------------------------

void PdlStartDocBody(PDEV* pPDev);
void PdlEndDocBody(PDEV* pPDev);
void PdlCopyJobState(PDEV* pNew, PDEV* pOld);
void PdlStartPageBody(PDEV* pPDev);
void PdlSendPageBody(PDEV* pPDev);
BOOL WriteJobHeader(PDEV* pPDev, LPCWSTR pwszDocName);
BOOL WriteUEL(PDEV* pPDev);
void PJLEnterLanguage(PDEV* pPDev);
void PJLSetUserPapers(PDEV* pPDev);
BOOL bIsJobEndPending(PDEV* pPDev);
void SetPageState(PDEV* pPDev, BYTE bState);
BYTE GetPageState(PDEV* pPDev);
// Ends the current page on paper: the page-end pattern when asked for,
// "prn;", and the next side number.
void EjectPage(PDEV* pPDev);
// The page's end on paper unless it is a skipped blank page; called by
// WritePagesAfterPage between the page's own drawing and the sheets after it.
void EndPageNormally(PDEV* pPDev);

const char* GetModelString();
const char* GetPdlVersionString();
const char* GetDriverVersionString();
const char* GetLanguageName(int nPdlMode);

// ---- PJL options -----------------------------------------------------------

void SetOptionPJL(PDEV* pPDev);
void RunPJLOptions(PDEV* pPDev, int nPhase);

// ---- page set-up -----------------------------------------------------------

BOOL PdlPageSetup(PDEV* pPDev);
void BuildPageSetup(PDEV* pPDev);
void ApplyPageSetup(PDEV* pPDev, const PAGESETUPREC* pRec);
void WritePageSetupItems(PDEV* pPDev, const PAGESETUPREC* pRec);
void WriteOrigin(PDEV* pPDev, LONG x, LONG y);
void WritePaper(PDEV* pPDev, const PAGESETUPREC* pRec);
void WriteTray(PDEV* pPDev, int nTrayCode);
void WriteSides(PDEV* pPDev, int nSidesCode);
void WriteHalftone(PDEV* pPDev);
void WriteColorRegisters(PDEV* pPDev);
void WriteFillRect(PDEV* pPDev, const RECTL* prcl, ROP4 rop, const BYTE abPattern[8],
                   const RECTL* prclClip);
void LoadToneCurve(PDEV* pPDev);
void SetDrawingKind(PDEV* pPDev, int nKind);
int GetDrawingKind(PDEV* pPDev);

// Paper and tray tables: names by key, defaults when the key is unknown.
const char* GetPaperOrdexName(int nKey);   // "A4" when unknown
const char* GetPaperPjlName(int nKey);     // "A4" when unknown
const char* GetTrayOrdexName(int nKey);    // "A" when unknown
const char* GetTrayPjlName(int nKey);      // "AUTO" when unknown
int GetPaperPclCode(int nKey);             // -1 when unknown
int GetPaperPclxlCode(int nKey);           // -1 when unknown
int GetTrayPclCode(int nKey);              // the key when unknown
int GetTrayPclxlCode(int nKey);            // the key when unknown
BOOL bIsCustomPaperKey(int nKey);          // 256 and 513..521

// The page's paper key, tray key and sides/binding (before PDL-mode codes).
int GetPagePaperKey(PDEV* pPDev);
int GetPageTrayKey(PDEV* pPDev);
void GetPageSides(PDEV* pPDev, int* pnSides, int* pnBinding);
BOOL bDuplexAvailable(PDEV* pPDev);

// ---- fax capture -----------------------------------------------------------

void InitCaptureState(PDEV* pPDev);
void AppendCaptureData(PDEV* pPDev, const BYTE* pb, DWORD cb);
BOOL FlushCaptureToFile(PDEV* pPDev);
void SendCaptureFiles(PDEV* pPDev);
void FreeCaptureBuffer(PDEV* pPDev);
void CopyCaptureState(PDEV* pNew, PDEV* pOld);
// A whole file into the job record stream, in pieces of 16384 bytes.
BOOL SendFileToJob(PDEV* pPDev, LPCWSTR pwszPath);

// ---- reached in other files (drawing, special pages, blank pages) ----------
// Until their own files exist these answer as if nothing were scheduled,
// recorded or buffered (engineentry.h).

void PdlResetState(PDEV* pPDev);                        // attribute cache
void ResetClipToNone(PDEV* pPDev);                      // clip to none
void SetClipState(PDEV* pPDev, int nState);             // clip kind in the cache
void ReleasePathCache(PDEV* pPDev);                     // path cache
void ReleaseClipCache(PDEV* pPDev);                     // clip cache
void ReleaseBrushCache(PDEV* pPDev);                    // brush cache
void SelectRop(PDEV* pPDev, ROP4 rop);                  // raster operation
void SelectClipRect(PDEV* pPDev, const RECTL* prcl);    // clip to a rectangle
void SelectNullPen(PDEV* pPDev);                        // pen to none
void SelectPatternBrush8x8(PDEV* pPDev, const BYTE abPattern[8]);
void WriteFontSubstLines(PDEV* pPDev);                  // font substitution
void WritePagesBeforeFirstPage(PDEV* pPDev);            // special pages
void WritePagesAfterPage(PDEV* pPDev);                  // page drawing, EndPageNormally, sheets after
void ReleaseSegments(PDEV* pPDev);                      // recorded segments
BOOL AppendSegmentData(PDEV* pPDev, const BYTE* pb, DWORD cb);
void WritePageEndPattern(PDEV* pPDev);                  // page-end overlay rectangle
BOOL FreeSheetTable(PDEV* pPDev);                       // special-page table
void GetPageOrigin(PDEV* pPDev, LONG* px, LONG* py);    // page origin
BOOL GetScheduledTray(PDEV* pPDev, int* pnTray);        // tray of a special page
BOOL GetScheduledPaper(PDEV* pPDev, int* pnPaper);      // paper of a tab sheet
BOOL GetScheduledSides(PDEV* pPDev, int* pnSides, int* pnBinding);
int CountBlankSidesBefore(PDEV* pPDev, int nPage);      // page to sheet position
void ResetBlankPageState(PDEV* pPDev);                  // blank-page skipping
void EndBlankPageState(PDEV* pPDev);
BOOL AppendPageData(PDEV* pPDev, const BYTE* pb, DWORD cb);
void FlushPageBuffer(PDEV* pPDev);
void OpenPageBuffer(PDEV* pPDev);
void ClosePageBuffer(PDEV* pPDev, BOOL bDiscard);
void FreePageBuffer(PDEV* pPDev);
BOOL InkTest(PDEV* pPDev, int nHook);                   // TRUE when the call puts ink
BOOL DrawBlitBody(int nHook, SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                  XLATEOBJ* pxlo, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlSrc,
                  POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
BOOL DrawTextBody(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                  RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                  MIX mix);
BOOL DrawPathBody(int nHook, SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                  BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                  POINTL* pptlBrushOrg, MIX mix, FLONG flOptions);
BOOL RealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                  XLATEOBJ* pxlo, ULONG iHatch);

// Hook numbers for the drawing bodies and the ink test.
#define PDL_HOOK_BITBLT 1
#define PDL_HOOK_STRETCHBLT 2
#define PDL_HOOK_COPYBITS 3
#define PDL_HOOK_TEXTOUT 4
#define PDL_HOOK_FILLPATH 5
#define PDL_HOOK_STROKEPATH 6
#define PDL_HOOK_STROKEANDFILLPATH 7
