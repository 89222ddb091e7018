// dochooks.h: the stages of the document-event chain that belong to
// the page hooks, the fax job with cover sheets and the tab-text drawing.
//
// Owns: DocEventPageHooks (the last stage of the chain) with the font
// substitution it sends at STARTDOC, the FONTSUBNODE wire record, and the
// entry points the chain calls for form prompts, watermarks, fax cover jobs,
// send times and tab texts. The form prompt and the watermark are drawn in
// pagehooks.cpp (pagehooks.h).
#pragma once

#include "platform/windows.h"
#include "ui/settings/devmode.h"

#define ESC_WM_GREY 0x7FFFFFF7
#define ESC_FONT_SUBST 0x7FFFFFF8
#define ESC_PAGE_CLEAR 0x7FFFFFF9
#define ESC_SET_DEVMODE 0x7FFFFFFA
#define ESC_PAGE_FLAG_CLEAR 0x7FFFFFFB
#define ESC_PAGE_FLAG_SET 0x7FFFFFFC
#define ESC_PAGE_COUNTER 0x7FFFFFFD
#define ESC_ORIENTATION 0x7FFFFFFE
#define ESC_GET_DEVMODE 0x7FFFFFFF

// FONTSUBNODE (132 bytes), the wire record of escape 0x7FFFFFF8; the nodes
// travel as one array and the receiver relinks its own copy.
//   off size field
//     0    4 1-based index of the next node in the array (0 in the last)
//     4   64 TrueType face WCHAR[32], terminated
//    68   64 device face WCHAR[32], terminated
#pragma pack(push, 1)
struct FONTSUBNODE {
    DWORD dwNext;
    WCHAR szTrueType[32];
    WCHAR szDevice[32];
};
#pragma pack(pop)
static_assert(sizeof(FONTSUBNODE) == 132);
static_assert(offsetof(FONTSUBNODE, szTrueType) == 4);
static_assert(offsetof(FONTSUBNODE, szDevice) == 68);

// Last stage of the chain; answers 1 always.
int DocEventPageHooks(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);

// Builds the node array of the user's substitution pairs for the job DEVMODE
// (printer pszPrinter, null: the DEVMODE's device name) into *ppNodes and
// answers the node count; 0 and a null *ppNodes when substitution is off or
// nothing can be loaded. The caller frees the array with GlobalFree. The
// DEVMODE's list slot (1412..1415) belongs to the graphics library and is
// not touched: the array's address never enters the DEVMODE.
int BuildFontSubstNodes(DRVDEVMODE* pdm, LPCWSTR pszPrinter, FONTSUBNODE** ppNodes);

// First STARTPAGE: the job's form (overlay) file check.
void DocEventStartPageForm(HANDLE hPrinter, HDC hdc);
// ENDPAGE: the watermark of the page.
void DrawPageWatermark(HANDLE hPrinter, HDC hdc, const RECT* prc);

// The fax job with cover sheets at the first page is in faxjob.h.
#include "ui/driverui/faxjob.h"

// The next date at hour:minute from the local time (today when that time has
// not passed yet): five words year, month, day, hour, minute.
void NextSendDate(int iHour, int iMinute, const SYSTEMTIME* pNow, WORD awDate[5]);
BOOL bIsLeapYear(int iYear);
// Send the next date at hour:minute with 0x6FFFFE11 / 0x6FFFFE18 (in 10).
BOOL SendFaxSendTime(HDC hdc, int iHour, int iMinute);
BOOL SendTimedJobDate(HDC hdc, int iHour, int iMinute);

// Draws the heading text of an insert-sheet entry for recording pass 1
// (portrait sheets: the text turned along the tab strip) or 2 (landscape
// sheets: upright). TRUE when drawn or when the heading is empty.
BOOL DrawFontSample(HDC hdc, const BYTE* pEntry476, int iPass);
