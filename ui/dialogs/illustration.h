// illustration.h: pictures beside the controls of pages and dialogs, and the
// image-quality sample of the Image page.
//
// Owns: ILLUSTRATION (a picture with an optional transparency mask and an
// optional tint layer, anchored in its owner's client area), its painting
// with clipping to an update rectangle, the label helpers that draw
// resource texts into pictures, and the software rendering of the
// image-quality sample (density curves, ordered dither, error diffusion,
// toner save).
//
// Rules the callers rely on:
//  1. A picture with a mask is painted mask SRCAND, picture SRCINVERT; one
//     without a mask SRCCOPY. A tint layer paints its white pixels in the
//     tint colour and leaves what lies under its black pixels.
//  2. Positions are signed: a picture left of or above the owner's client
//     area is clipped like any other, never wrapped.
//  3. The sample's rows count from the top of the picture, for the dither
//     matrices and for the direction the error diffuses.
#pragma once

#include "platform/windows.h"

#pragma pack(push, 1)

// ILLUSTRATION (60 bytes, one movable global block; the caller holds its
// handle).
//   off size field
//     0    4 module of the pictures (the resource library)
//     4    4 owner window          8 4 anchor control window
//    12   16 anchor rectangle in the owner's client coordinates
//    28    4 x offset             32 4 y offset (added when painting)
//    36    4 picture bitmap       40 4 mask bitmap (null: none)
//    44    4 tint bitmap (null: none)
//    48    4 tint colour
//    52    2 dx                   54 2 dy (as given at creation)
//    56    4 reserved
struct ILLUSTRATION {
    HMODULE hModule;
    HWND hwndOwner;
    HWND hwndAnchor;
    RECT rcAnchor;
    LONG lOffsetX;
    LONG lOffsetY;
    HBITMAP hbmPicture;
    HBITMAP hbmMask;
    HBITMAP hbmTint;
    COLORREF crTint;
    WORD wDx;
    WORD wDy;
    DWORD dwReserved;
};
#pragma pack(pop)
static_assert(sizeof(ILLUSTRATION) == 60 || sizeof(void*) != 4);
static_assert(offsetof(ILLUSTRATION, rcAnchor) == 12 || sizeof(void*) != 4);
static_assert(offsetof(ILLUSTRATION, crTint) == 48 || sizeof(void*) != 4);

// SAMPLEPARAMS: the image settings a sample is rendered with.
struct SAMPLEPARAMS {
    LONG lDensity;    // -2..2, 0 no curve
    LONG lMode;       // 1 ordered dither, 2 error diffusion, other none
    LONG lMatrix;     // 3: the 4 x 4 matrix, other: the 3 x 3 matrix
    LONG lTonerSave;  // non-zero: lighten
};
static_assert(sizeof(SAMPLEPARAMS) == 16);

#define SAMPLE_REGION_BITMAP 11205

// Creates an illustration whose anchor rectangle (already in the owner's
// client coordinates) is moved by (dx, dy). Null for a picture id of 0 or
// when memory runs out. Mask and tint ids of 0 mean none.
HGLOBAL CreateIllustrationAt(HMODULE hModule, HWND hwndOwner, const RECT* prcAnchor, WORD wPictureId,
                             WORD wMaskId, WORD wTintId, COLORREF crTint, SHORT dx, SHORT dy);
// Deletes the bitmaps it holds and frees the block; a handle that cannot be
// locked is left alone.
void DestroyIllustration(HGLOBAL hIll);
// Paints into a DC of the owner's client area; prcUpdate (or null) limits
// the painting. FALSE when nothing was painted.
BOOL PaintIllustrationOn(HDC hdc, HGLOBAL hIll, const RECT* prcUpdate);
// The picture alone at (left + x offset + dx, top + y offset + dy) with the
// given raster operation, not clipped.
BOOL PaintIllustrationRopOn(HDC hdc, HGLOBAL hIll, int dx, int dy, DWORD dwRop);

// The blit rectangle of a picture at (x, y) of size (w, h) under an update
// rectangle: FALSE when nothing of it is inside; otherwise the destination,
// size and source offset to blit.
BOOL ClipIllustration(int x, int y, int w, int h, const RECT* prcUpdate, int* pxDst, int* pyDst, int* pw,
                      int* ph, int* pxSrc, int* pySrc);

// Draws the first cch characters of a resource text at (x, y), black on a
// white background in the given mode and alignment; the DC's state is put
// back.
void DrawIllustrationLabel(HDC hdc, int x, int y, UINT uTextId, int cch, UINT uAlign, int iBkMode);

// Image-quality sample.
// Renders and paints the sample of pictureId (with the region bitmap) at
// the illustration's place. FALSE when a bitmap does not load or memory
// runs out (nothing is drawn then).
BOOL DrawImageQualitySampleOn(HDC hdc, HGLOBAL hIll, const SAMPLEPARAMS* pParams, WORD wPictureId);
// The rendering on an 8-bit grey buffer (row-major, top row first).
void RenderImageSample(int w, int h, BYTE* pGrey, const SAMPLEPARAMS* pParams);
void ApplySampleDensityCurve(int cPixels, BYTE* pGrey, LONG lDensity);
void DitherSampleOrdered(int w, int h, BYTE* pGrey, LONG lMatrix);
BOOL DiffuseSampleError(int w, int h, BYTE* pGrey);
void ApplySampleTonerSave(int w, int h, BYTE* pGrey);
// The 256-entry map of a density (identity for other values).
void BuildDensityCurve(LONG lDensity, BYTE* pMap);
BYTE SampleGrey(BYTE r, BYTE g, BYTE b);

// The same into a given DC, with a resource text drawn into the picture
// first (at (tx, ty) of the picture, in the given font).
BOOL PaintIllustrationWithText(ILLUSTRATION* pIll, HDC hdc, const RECT* prcUpdate, UINT uTextId, int cchText,
                               int tx, int ty, const LOGFONTW* plf);
