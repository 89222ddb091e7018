// insertsheet.h: INSERTSHEET, one sheet of an insert-sheet list.
//
// Owns: the 476-byte record as the settings object's list holds it, the
// per-user store keeps it (REG_BINARY) and the graphics library receives it
// unchanged at the start of a page (escape 0x6FFFFD00, count x 476 bytes).
// Texts are UTF-16, zero-terminated; integers little-endian.
//
//   off size field
//     0  258 page list in normal form ("2,4,6-10"), WCHAR[129]
//   258    2 print type: value of lpInterSheetListPRNType (0..6)
//   260    2 paper source: value of lpInterSheetListTray (4096 = the job's)
//   262    2 availability: 1 usable, 4 not with the current settings,
//            0 until the constraint engine first counts the entries
//   264    2 binding position: value of lpInterSheetListBinding (1..3)
//   266    2 use index paper (PrnTabIndex): 0 or 1
//   268  130 heading (tab) text, WCHAR[65]
//   398    2 heading position: value of lpPrnTabIndexNo, 0 automatic
//   400    4 1 when the heading position is automatic: a reader that finds
//            1 takes position 0 whatever offset 398 holds
//   404    2 heading direction: value of lpTabTextOrient (1..3)
//   406    2 heading alignment: value of lpTabTextAlign (1..3)
//   408   64 font face (TabTextFontName), WCHAR[32]
//   472    2 font style: value of lpTabTextFontStyle
//   474    2 font size in points (TabTextFontSize, 8..32)
#pragma once

#include <cstddef>

#include "platform/windows.h"

#define INSERTSHEET_PAGES_CCH 129
#define INSERTSHEET_TEXT_CCH 65
#define INSERTSHEET_FACE_CCH 32
#define INSERTSHEET_AVAILABLE 1
#define INSERTSHEET_UNAVAILABLE 4

#pragma pack(push, 1)
struct INSERTSHEET {
    WCHAR szPages[INSERTSHEET_PAGES_CCH];
    WORD wPrintType;
    WORD wTray;
    WORD wState;
    WORD wBinding;
    WORD wUseIndex;
    WCHAR szTabText[INSERTSHEET_TEXT_CCH];
    WORD wTabPosition;
    LONG lTabAuto;
    WORD wTabDirection;
    WORD wTabAlign;
    WCHAR szFace[INSERTSHEET_FACE_CCH];
    WORD wFontStyle;
    WORD wFontSize;
};
#pragma pack(pop)
static_assert(sizeof(INSERTSHEET) == 476);
static_assert(offsetof(INSERTSHEET, szPages) == 0);
static_assert(offsetof(INSERTSHEET, wPrintType) == 258);
static_assert(offsetof(INSERTSHEET, wTray) == 260);
static_assert(offsetof(INSERTSHEET, wState) == 262);
static_assert(offsetof(INSERTSHEET, wBinding) == 264);
static_assert(offsetof(INSERTSHEET, wUseIndex) == 266);
static_assert(offsetof(INSERTSHEET, szTabText) == 268);
static_assert(offsetof(INSERTSHEET, wTabPosition) == 398);
static_assert(offsetof(INSERTSHEET, lTabAuto) == 400);
static_assert(offsetof(INSERTSHEET, wTabDirection) == 404);
static_assert(offsetof(INSERTSHEET, wTabAlign) == 406);
static_assert(offsetof(INSERTSHEET, szFace) == 408);
static_assert(offsetof(INSERTSHEET, wFontStyle) == 472);
static_assert(offsetof(INSERTSHEET, wFontSize) == 474);

// The heading position a reader takes: 0 when the automatic flag is 1.
inline WORD InsertSheetTabPosition(const INSERTSHEET* p)
{
    return p->lTabAuto == 1 ? 0 : p->wTabPosition;
}
