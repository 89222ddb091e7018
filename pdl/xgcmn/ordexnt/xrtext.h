// xrtext.h: text output of the ORDEX back end and the 1-bit image writer
// its glyph images go through.
//
// Owns: the resident font table (tables/fonts.tsv), the tangent table
// (tables/tangents.tsv), the font attribute record, DrawTextBody (the body
// of DrvTextOut), the font choice, WriteFontSubstLines ("foc"), and in
// xrimage.cpp WriteImage1 with its run-length coder. The font words of the
// attribute cache, brushes, clipping and raster operations are xrbrush.h's.
//
// Rules the text output keeps:
//  1. A resident font is used only through the substitution list the user
//     interface hands over; anything else goes out as glyph images.
//  2. Font commands ("fos", "fop", "for", "fob", "foi") are written only
//     when they differ from the cache, and the cache is updated only after
//     the command was written.
//  3. A glyph rendered for a reduced (N-up) page is already at its final
//     size and place; it is written unscaled.
#pragma once

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "pdl/xgcmn/ordexnt/xrbrush.h"
#include "platform/gdi/engobj.h"
#include "platform/gdi/fontobj.h"

// ---- the resident font table ---------------------------------------------------

#define PDL_FONT_ROWS 92
#define PDL_CHARSET_ANSI 0
#define PDL_CHARSET_DEFAULT 1
#define PDL_CHARSET_SYMBOL 2
#define PDL_CHARSET_SHIFTJIS 128
#define PDL_CHARSET_OEM 255

struct PDLFONTROW {
    LPCWSTR pwszFace;    // face name as GDI reports it ("@" = vertical)
    const char* pszFamily;  // first "foc" operand, spaces as in the face
    const char* pszFont;    // resident font name, second "foc" operand
    BYTE jCharSet;       // 0 ANSI, 2 symbol, 128 Shift-JIS
    SHORT sWeight;       // 400 or 700
    BYTE bItalic;        // 0 or 1
};

// Row i of the table (the ORDEX font number), null past the end.
const PDLFONTROW* GetResidentFont(int iRow);

// ---- the font attribute record ------------------------------------------------

#pragma pack(push, 1)
// FONTATTR: 14 bytes, built per call and handed to the font selector.
//   off size field
//     0    1 bBold      bold emulation
//     1    1 bItalic    italic emulation
//     2    4 lHeight    height in points, 24.8
//     6    4 lWidth     width factor, 24.8 (256 = normal)
//    10    4 lAngle     baseline angle in degrees counter-clockwise, 24.8
struct FONTATTR {
    BYTE bBold;
    BYTE bItalic;
    LONG lHeight;
    LONG lWidth;
    LONG lAngle;
};
#pragma pack(pop)
static_assert(sizeof(FONTATTR) == 14);
static_assert(offsetof(FONTATTR, lHeight) == 2);
static_assert(offsetof(FONTATTR, lWidth) == 6);
static_assert(offsetof(FONTATTR, lAngle) == 10);

// ---- pieces of the font choice, for the body and its tests ----------------------

// Integer length of (x, y), the floor of the true length: the larger
// component stepped up while the sum of the odd numbers it adds does not
// pass the smaller component squared.
LONG TextHypot(LONG x, LONG y);
// Height in points, 24.8, of an em of cEmUnits notional units through the
// font's transform, at the job's resolution and N-up scale.
LONG TextFontHeight(PDEV* pPDev, XFORMOBJ* pxo, LONG cEmUnits);
// Width factor, 24.8, from the transform's matrix.
LONG TextWidthFactor(XFORMOBJ* pxo);
// Baseline angle, 24.8 degrees counter-clockwise, of the transform.
LONG TextAngle(XFORMOBJ* pxo);
// The tangent table entry nearest |y| / |x| (tenths of a degree, 0..899).
int TangentIndex(float fRatio);
// TRUE when a font of this height (24.8 points) and width factor (24.8) may
// be printed as a resident font.
BOOL bResidentSizeOk(LONG lHeight, LONG lWidth);
// The resident font row for a font, or -1 for glyph images; fills *pAttr
// (emulation, height, width, angle) when a row is found. Writes the remark
// lines of a missing metrics or transform record.
int ChooseResidentFont(PDEV* pPDev, FONTOBJ* pfo, STROBJ* pstro, FONTATTR* pAttr);
// Writes the font commands that differ from the cache.
BOOL SelectResidentFont(PDEV* pPDev, int iRow, const FONTATTR* pAttr);

// The font-substitution list the user interface sent: the PDEV keeps it as
// one array of FONTSUBNODE in its side record (row PREF_FONTSUBST, with the
// node count); job DEVMODE 1412..1415 hold the slot, PREF_FONTSUBST while
// the PDEV has a list, else 0.
#pragma pack(push, 1)
// FONTSUBNODE: 132 bytes, also the wire record of escape 0x7FFFFFF8.
//   off size field
//     0    4 dwNext         1-based index of the next node in the same
//                           array, 0 in the last (on the wire: not read,
//                           the receiver links its own copy)
//     4   64 szTrueType     TrueType face name, 32 UTF-16 units
//    68   64 szDevice       device font name, 32 UTF-16 units
struct FONTSUBNODE {
    DWORD dwNext;
    WCHAR szTrueType[32];
    WCHAR szDevice[32];
};
#pragma pack(pop)
static_assert(sizeof(FONTSUBNODE) == 132);
static_assert(offsetof(FONTSUBNODE, szTrueType) == 4);
static_assert(offsetof(FONTSUBNODE, szDevice) == 68);
// The first node of the PDEV's list, null when it has none (or DEVMODE
// 1412..1415 do not name it).
FONTSUBNODE* GetFontSubstList(PDEV* pPDev);
// The node after pNode in the PDEV's list, null after the last. A link that
// leaves the array or points back ends the walk.
FONTSUBNODE* NextFontSubstNode(PDEV* pPDev, const FONTSUBNODE* pNode);
// Makes the array pNodes of cNodes nodes (their dwNext links set) the PDEV's
// list, null or 0 for none; the array becomes the PDEV's (FreeFontSubstCopy
// frees it). The caller releases a list it replaces.
void SetFontSubstList(PDEV* pPDev, FONTSUBNODE* pNodes, DWORD cNodes);
// Moves the list from pFrom to pTo (DrvResetPDEV); pFrom is left without one.
void MoveFontSubstList(PDEV* pTo, PDEV* pFrom);

// ---- the 1-bit image writer (xrimage.cpp) ----------------------------------------

// Writes a 1-bit image: "mta", the head ("imm"/"imt" at its own size,
// "bmm"/"bmt" scaled), the rows raw or run-length coded, whichever is
// shorter, and "!>;\n"; then the image ink test.
//  pbBits   rows of (cx + 7) / 8 bytes, top row first, taken every lStride
//  x, y     destination left and top; cxDest, cyDest its size
// Through the N-up mapping unless bUnscaled. FALSE when nothing could be
// written (no data, an empty size, no memory, a refused write).
BOOL WriteImage1(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                 LONG y, LONG cxDest, LONG cyDest);
BOOL WriteImage1Ex(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                   LONG y, LONG cxDest, LONG cyDest, BOOL bUnscaled);
// Run-length codes one row into pbOut (null: count only); answers the coded
// length.
DWORD PackBitsRow(const BYTE* pbRow, DWORD cb, BYTE* pbOut);

// ---- the output ink tests (blank-page skipping) -------------------------------------

// TRUE when a character or 1-bit image written with the cached colours puts
// no ink on the page; the caller clears the page-blank output flag otherwise.
BOOL bIsWhiteChar(PDEV* pPDev, ULONG ulCode);
BOOL bIsWhiteImage1(PDEV* pPDev, const BYTE* pbBits, LONG cbRow, LONG cRows, LONG lStride);
// TRUE when a fill with the brush (and pen) in this mix puts no ink.
BOOL bIsWhiteDraw(PDEV* pPDev, BRUSHOBJ* pbo, BRUSHOBJ* pboPen, MIX mix);
void MarkPageInked(PDEV* pPDev);
