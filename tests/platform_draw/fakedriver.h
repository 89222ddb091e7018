// fakedriver.h: a printer graphics driver in the test program itself. Its
// hook table is handed to PlatGdiCreateDriverDC; its drawing hooks note
// what reached them, with the engine objects they were given.
#pragma once

#include "drawtest.h"
#include "platform/gdi/gdidraw.h"

#include <string>
#include <vector>

struct FakeCall {
    std::string name;      // hook name without "Drv"
    BYTE iDComplexity = 0xFF;
    BYTE iMode = 0xFF;
    ULONG iUniq = 0;
    RECTL rclBounds = {};
    ULONG iSolidColor = 0;
    ULONG ulMixOrRop = 0;  // the MIX or ROP4
    FLONG flOptions = 0;
    FLONG flLine = 0;      // LINEATTRS.fl
    std::string path;      // "M x,y L x,y C x,y x,y x,y Z" in pixels
    FLONG flPath = 0;      // PATHOBJ.fl
    RECTL rclTrg = {};
    RECTL rclSrc = {};
    BOOL bSource = FALSE;
    ULONG iHatch = 0;
    std::vector<RECTL> clipRects;  // what CLIPOBJ_bEnum gave, in CD_ANY order
    std::string mask;              // a blit's mask, rows of '#' (1) and '.' (0)
};

struct FakeDriver {
    FLONG flHooks = 0;
    BOOL bBitmapSurface = FALSE;   // the surface is an engine bitmap (bitmap mode)
    ULONG iFormat = BMF_24BPP;
    LONG cx = 200;
    LONG cy = 100;
    LONG cyBand = 0;               // a bitmap surface this high, marked for banding
    std::vector<FakeCall> calls;
    HDEV hdev = nullptr;
    HSURF hsurf = nullptr;
};

// The one driver of the program; Reset sets how the next DC's surface is made.
FakeDriver& Fake();
void FakeReset(FLONG flHooks, BOOL bBitmapSurface, ULONG iFormat = BMF_24BPP, LONG cyBand = 0);
const DRVENABLEDATA* FakeDriverTable();
// The calls whose name is one of these, in order.
std::vector<FakeCall> FakeCalls(const char* pszName);
std::string FakeNames();
