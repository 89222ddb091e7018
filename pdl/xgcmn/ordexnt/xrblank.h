// xrblank.h: blank-page skipping: the page capture store, the two page-blank
// flags and the ink tests.
//
// Owns: the capture store in PDLWORK (the capture file size at 608, the
// buffer at 612 and its length at 616), the pre-hook flag (byte 85), the
// output flag (byte 87), the pre-hook ink tests of the drawing calls and
// the output ink tests of the drawing bodies. The page start and end that
// open, drop or send a page are the job flow's (jobflow.cpp); the router
// that feeds the store is streamnt.cpp.
//
// Conventions:
//  - The pre-hook tests InkTest* answer 0 when the call puts ink and 1 when
//    it does not, the answer the pre-hook turns into the page flag.
//  - The output tests bIsWhite* (xrtext.h, xrimage.h) answer TRUE for no ink.
//  - White is a colour whose low 24 bits are 0xFFFFFF; in the one-bit mode a
//    solid colour is read through the brush's RGB colour.
#pragma once

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "pdl/xgcmn/ordexnt/xrimage.h"  // the output tests bIsWhite*, MarkPageInked

#define PDL_BLANK_BUF_SIZE 1024000
#define PDL_BLANK_PIECE 0x4000

// ---- the capture store -------------------------------------------------------

// A zero-filled buffer of PDL_BLANK_BUF_SIZE bytes for the job; FALSE when
// it cannot be had (output then passes straight through).
BOOL AllocPageBuffer(PDEV* pPDev);
// Writes the capture file's bytes of the current page to the job output in
// pieces of PDL_BLANK_PIECE bytes; the file size becomes 0. FALSE when the
// file could not be read whole.
BOOL SendCapturedPage(PDEV* pPDev);
// Bytes held in memory, bytes in the capture file, for the current page.
LONG GetPageBufferLength(PDEV* pPDev);
LONG GetCaptureFileSize(PDEV* pPDev);

// ---- the page flags -----------------------------------------------------------

void SetPageBlank(PDEV* pPDev, BYTE bValue);  // pre-hook flag (byte 85)
BOOL IsPageBlank(PDEV* pPDev);
BOOL IsOutputBlank(PDEV* pPDev);              // output flag (byte 87)

// ---- pre-hook ink tests: 0 ink, 1 no ink ----------------------------------------

int InkTestBitBlt(PDEV* pPDev, SURFOBJ* psoTrg, SURFOBJ* psoMask, RECTL* prclTrg, BRUSHOBJ* pbo,
                  ROP4 rop4);
int InkTestStretchBlt(PDEV* pPDev, SURFOBJ* psoDest, SURFOBJ* psoSrc, RECTL* prclDest);
int InkTestCopyBits(PDEV* pPDev, SURFOBJ* psoDest, SURFOBJ* psoSrc, RECTL* prclDest);
int InkTestTextOut(PDEV* pPDev, SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, RECTL* prclExtra,
                   RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, MIX mix);
int InkTestFillPath(PDEV* pPDev, BRUSHOBJ* pbo, MIX mix, FLONG flOptions);
int InkTestStrokePath(PDEV* pPDev, BRUSHOBJ* pboPen, MIX mix);
int InkTestStrokeAndFillPath(PDEV* pPDev, BRUSHOBJ* pboPen, BRUSHOBJ* pboFill, MIX mix,
                             FLONG flOptions);
