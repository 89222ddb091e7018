// watermarkpage.h: the Watermark page (template 500).
//
// Owns: the page's choice of the user's watermark, how it is printed, its
// scaled picture on the current paper, and the font lookup the watermark
// previews share.
//
// Rules the callers rely on:
//  1. Combo 502 does not sort: its index is the watermark's slot, and index
//     0 is "no watermark".
//  2. Without a watermark list the page paints no picture and its refresh
//     does nothing.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// Refresh bits of the page.
#define WMREF_USE 0x01
#define WMREF_LIST 0x02
#define WMREF_ORDER 0x04
#define WMREF_FIRSTPAGE 0x08
#define WMREF_VIEW 0x20
#define WMREF_ALL 0x2F

// The data of FontFamilyEnumProc: a font, then the face wanted. When an
// installed TrueType font has that face, its LOGFONTW replaces lf.
struct FONTFAMILYWANT {
    LOGFONTW lf;
    LPCWSTR pszFace;
};
int FontFamilyEnumProc(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam);

// Where the picture goes inside a square of half side h centred on (cx,
// cy): the page rectangle of a paper of the given size (1/100 mm) against
// the largest extent lMax, as the page paints it.
void WatermarkPageRect(int cx, int cy, int h, LONG lWidth, LONG lLength, LONG lMax, RECT* prc);
// The preview font's height for a watermark size in points.
LONG WatermarkPreviewHeight(DWORD dwSize);

// The constraint engine's way into the page. 0 without a page record.
int WatermarkPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue);
