// imagepage.h: the Image page (template 600): toner save, printing in
// black, the halftoning switch with its dither pattern, the density bar,
// the Windows dither, the graphics mode and smoothing, with a sample of
// their effect.
#pragma once

#include "platform/windows.h"
#include "ui/settings/uisettings.h"

// All refresh bits of the page.
#define IMAGE_REFRESH_ALL 0x3FF1Fu

// Refresh bits of a control of the page; 0 for any other id.
DWORD ImagePageDirtyBits(WORD wControl);
// The constraint engine's refresh procedure of the page: marks the bits of
// wFeature and redraws what they name. 0 when the page has no record or the
// id is not one of the page's.
int ImagePageMarkDirty(HWND hwnd, WORD wFeature, SHORT sValue);

// What the sample shows for the current settings.
struct IMAGESAMPLECHOICE {
    LONG lDensity;
    LONG lHalftone;   // 1 ordered dither, 2 error diffusion
    LONG lPattern;    // 1, 2, 3 for patterns 2, 3, 4
    LONG lTonerSave;  // 1 when toner save is on
    WORD wBitmap;     // 11202 normal, 11203 black text and graphics, 11204 black everything
};
IMAGESAMPLECHOICE ChooseImageSample(SHORT sDensity, SHORT sDitherType, SHORT sDither, SHORT sSaveToner,
                                    SHORT sPrintCad, SHORT sPrintCadMode);
