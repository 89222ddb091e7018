// finishingpage.h: the Finishing page of the document sheet (template 300).
//
// Owns: the page's record, its refresh bits, the chapter page list check and
// the rules of its owner-drawn lists (see finishingpage.cpp).
#pragma once

#include "platform/windows.h"

#include <cstddef>

struct UISETTINGS;

// Every refresh bit of the page.
#define FINISHING_ALL_BITS 0x3CEFFFu
#define FINISHING_LIST_COUNT 12
#define FINISHING_BITMAP_COUNT 30
#define FINISHING_PICTURE_COUNT 9
// Characters of the chapter page list (edit 315).
#define CHAPTER_TEXT_MAX 120
#define CHAPTER_READ_MAX 124

#pragma pack(push, 1)
// The page's record (in DWLP_USER, zero-filled, 276 bytes): the page window,
// the procedure edit 315 had before it was subclassed, reserved words, the
// settings object (the field the page descriptor names), the block of value-code
// arrays with one array per list (303, 304, 306, 309, 311, 313, 318, 320,
// 322, 330, 343, 348), the item pictures, the state pictures and a brush.
struct FINISHINGPAGEREC {
    HWND hwnd;
    WNDPROC pfnEditProc;
    DWORD adwReserved[6];
    UISETTINGS* pSettings;
    WORD* pIndexBlock;
    WORD* apIndex[FINISHING_LIST_COUNT];
    HBITMAP ahBitmap[FINISHING_BITMAP_COUNT];
    HGLOBAL ahPicture[FINISHING_PICTURE_COUNT];
    HBRUSH hbrPaint;
    DWORD adwSpare[7];
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(FINISHINGPAGEREC) == 276);
static_assert(sizeof(void*) != 4 || offsetof(FINISHINGPAGEREC, pSettings) == 32);

// The refresh bits of a control of the page; 0 for ids below 163, from 350
// up, and for the ids of the range without bits.
DWORD GetFinishingDirtyBits(WORD wControl);
// Marks a control for redrawing (the bits are added to those already set)
// and redraws when the page is in front; answers the bits set.
int FinishingPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue);
// Redraws what the page's refresh mask asks for.
void FinishingPageRefresh(HWND hwnd);
// Checks the chapter page list of edit 315 and, when it is sound, stores it
// in page-list slot 2; on a fault it tells the user, selects the edit's text
// and answers FALSE.
BOOL CheckChapterPageList(HWND hwnd);
