// faxpagesetup.h: the page set-up of a fax cover page.
//
// Owns: the PDEVSTATE image of a job's page set-up taken from a job block,
// the cover page's own set-up derived from it, and sending either one to the
// graphics library (escape 0x6FFFFE00, in 1972) while keeping the local job
// block equal to the graphics library's image.
//
// Rules:
//   1. Saving then sending an unchanged record restores the job exactly.
//   2. The cover set-up is derived in a copy; the saved record is never
//      changed, so the job's set-up can always be restored from it.
#pragma once

#include "platform/windows.h"

// The record of escape 0x6FFFFE00; its layout lives with the receiver
// (graphics/ddi/escape.h), whose other records this library does not share.
#define PDEVSTATE_SIZE 1972
struct PDEVSTATE;

// The job's page set-up from a job block (JOBBLOCK_SIZE bytes).
void SavePageSetupState(const BYTE* pJobBlock, PDEVSTATE* pState);
// Sends the record and applies it to the job block: 1, or 0 when the escape
// failed (the job block is then unchanged).
int SendPageSetupState(BYTE* pJobBlock, HDC hdc, const PDEVSTATE* pState);
// Derives the cover page set-up from the saved record and sends it: 1 or 0.
int SetCoverPageSetup(BYTE* pJobBlock, HDC hdc, const PDEVSTATE* pSaved);

// Printable area of a cover paper in 1/100 mm: 4.06 mm on every side of the
// paper of cover paper index iCoverPaper (0..5). 1, or 0 (nothing written)
// for a paper code that is not a cover paper or an index out of range.
int GetFaxPrintableArea(int iPaperCode, RECTL* prc, int iCoverPaper);
// The same area in dots at 200, 400 or 600 dpi; 0 for any other resolution.
int ScalePrintableArea(int iResolution, int iPaperCode, RECTL* prc, int iCoverPaper);
// Paper code of cover paper index 0..5, 0 outside.
int GetCoverPaperCode(int iCoverPaper);
