// tabtextdetail.h: the heading text details dialog (template 2450), and
// the update targets of the print position dialog (template 2355) and of
// the fax cover sheet dialog (id 1237).
//
// The heading text details set how the heading of an index-paper insert
// sheet is laid out and drawn: direction, alignment in the tab, face, style
// and size. Opened from the insert sheet dialog on its settings object; the
// values belong to the entry being edited (the opener stores them with the
// entry). Cancel puts back the five values the dialog found.
//
// The print position and fax cover sheet dialogs have no dialog procedure
// in this library; their update targets work on any dialog made with their
// controls whose DWLP_USER block starts with the dialog window and the
// settings object (DlgAllocBlock).
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_TABTEXTDETAIL 2450
#define IDC_TTD_TEXT_GROUP 2451
#define IDC_TTD_DIRECTION_LABEL 2452
#define IDC_TTD_DIRECTION 2453
#define IDC_TTD_ALIGN_LABEL 2454
#define IDC_TTD_ALIGN 2455
#define IDC_TTD_FONT_GROUP 2456
#define IDC_TTD_FACE_LABEL 2457
#define IDC_TTD_FACE 2458
#define IDC_TTD_STYLE_LABEL 2459
#define IDC_TTD_STYLE 2460
#define IDC_TTD_SIZE_LABEL 2461
#define IDC_TTD_SIZE 2462
#define IDC_TTD_SIZE_SPIN 2463
#define IDC_TTD_DEFAULTS 2464
#define IDC_TTD_HELP 2465
#define IDC_TTD_PREVIEW 2466
#define IDC_TTD_POINTS 2467

// The heading face of a new entry and the fallback of a face that is not
// installed.
#define TABTEXT_DEFAULT_FACE u"ＭＳ Ｐゴシック"
#define TABTEXT_DEFAULT_SIZE 12

INT_PTR CALLBACK TabTextDetailDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Maps 2453, 2455, 2458, 2460 and 2462 to their refresh bits and refreshes;
// other ids clear the bits. Answers 1 when something was refreshed.
int TabTextDetailUpdateControl(HWND hDlg, WORD wId);

// Print position dialog (template 2355).
#define IDD_PRINTPOSITION 2355
#define IDC_PP_GROUP 2356
#define IDC_PP_LEADING 2357
#define IDC_PP_CENTRE 2358
#define IDC_PP_TRAILING 2359
#define IDC_PP_PICTURE 2360
#define IDC_PP_FEED 2361
// For 2357..2359 checks the radio of lpWidePaperPos (1 centre, 2 trailing
// edge, any other value the leading edge); other ids do nothing. Answers 1
// when the radios were refreshed.
int PrintPositionUpdateControl(HWND hDlg, WORD wId);

// Fax cover sheet dialog (id 1237): the block its update target reads.
#define IDD_FAXCOVERSHEET 1237
#define FAXCOVER_FILE_CCH 260
struct FAXCOVERDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    WCHAR szImage[FAXCOVER_FILE_CCH + 1];  // copy of the image file name shown
    DWORD dwZoom;                          // the zoom shown
    LONG lScaledX;                         // the two positions scaled by lFactor
    LONG lScaledY;
    LONG lFactor;                          // 1/10000
};
// Sets the refresh bits of a control id between 1140 and 1301 and runs the
// refresh; other ids do nothing. Answers 1 when the refresh ran.
int OptionBitsUpdateControl(HWND hDlg, WORD wId);
