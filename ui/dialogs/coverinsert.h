// coverinsert.h: the cover insertion dialog (template 2800) and the notice
// that switches cover insertion off.
//
// The dialog chooses the post-inserter tray of the pre-printed covers and
// the pages they go in front of (page-list slot 3, at most 28 pages of at
// most three digits). It edits the settings object it is opened with; OK
// stores the pages sorted, Cancel puts the tray back and keeps the pages.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_COVERINSERT 2800
#define IDC_COVERINS_TRAYLABEL 2801
#define IDC_COVERINS_TRAY 2802
#define IDC_COVERINS_PAGESLABEL 2803
#define IDC_COVERINS_PAGES 2804
#define IDC_COVERINS_EXAMPLE 2805

// The page-list slot of the covers, its capacity and the text limit.
#define COVERINS_SLOT 3
#define COVERINS_MAX_PAGES 28
#define COVERINS_MAX_CHARS 112
#define COVERINS_MAX_DIGITS 3

INT_PTR CALLBACK CoverInsertDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// 2802 refills the tray combo; other ids change nothing. Answers 1 when
// something was refreshed.
int CoverInsertUpdateControl(HWND hDlg, WORD wId);
// The notice shown when cover insertion ends up without pages: an
// information box (the text, then the second text unless bSingleText is 1;
// caption uCaptionId), cover insertion switched off, the Cover page told
// when it is the active one (hwnd is that page), the control dependencies
// worked out again and the preview redrawn.
void CancelCoverInsertWithNotice(HWND hwnd, UINT uCaptionId, UINT uTextId, UINT uText2Id, int bSingleText,
                                 UISETTINGS* pObj);
// The Cover page's Defaults: the tray back to its default, no pages.
void ResetCoverInsertion(UISETTINGS* pObj);
// The number of cover pages stored in the settings object.
int CountCoverInsertPages(UISETTINGS* pObj);
