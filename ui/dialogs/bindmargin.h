// bindmargin.h: the binding margin dialog (template 2300) and its preview.
//
// Sets the binding position, the margin in whole millimetres on the front
// and the back, and how the margin is made (shift the image, or reduce it
// automatically). With automatic reduction the paper may leave less room
// than the margin records allow: the limits then shrink, a margin above
// them is lowered, and the user is told once.
//
// The limits and the combo texts are also used by the constraint engine
// and by the pages whose binding combo shows the margins.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define IDD_BINDMARGIN 2300
#define IDC_BM_SHIFT 2301
#define IDC_BM_REDUCE 2302
#define IDC_BM_POSLABEL 2303
#define IDC_BM_POSITION 2304
#define IDC_BM_FRONTLABEL 2305
#define IDC_BM_FRONT 2306
#define IDC_BM_FRONTSPIN 2307
#define IDC_BM_FRONTRANGE 2308
#define IDC_BM_BACKLABEL 2309
#define IDC_BM_BACK 2310
#define IDC_BM_BACKSPIN 2311
#define IDC_BM_BACKRANGE 2312
#define IDC_BM_GROUP 2313
#define IDC_BM_PICTURE 2314
#define IDC_BM_SAME 2315
#define IDC_BM_NOTICE 2316

// The binding position item that opens this dialog.
#define BINDMARGIN_DIALOG_ITEM 10

// Flags of CalcBindingMarginLimits.
#define BML_FRONT_LIMITED 0x01      // the front upper limit was lowered
#define BML_BACK_LIMITED 0x04
#define BML_FRONT_NOROOM 0x10       // front upper limit equals the lower
#define BML_BACK_NOROOM 0x20
#define BML_FRONT_LOWERED 0x100     // the front value was lowered to fit
#define BML_BACK_LOWERED 0x200
#define BML_BACK_EQUALISED 0x400    // the back took the front value
#define BML_ZOOM_ABOVE 0x1000       // the fit zoom is above the zoom range
#define BML_ZOOM_BELOW 0x2000

struct MARGINLIMITS {
    SHORT sFrontUpper;
    SHORT sFrontLower;
    SHORT sBackUpper;
    SHORT sBackLower;
    SHORT sFront;   // the front value within the limits
    SHORT sBack;
    DWORD dwFlags;
};

// The limits in force for the current settings; returns the flags.
DWORD CalcBindingMarginLimits(UISETTINGS* pObj, MARGINLIMITS* pOut);
// Reloads the texts of the binding positions (all but the item that opens
// this dialog); iMode 1 appends the margins, "(%d mm)" or "(%d, %d mm)".
void FormatBindingMarginText(UISETTINGS* pObj, int iMode);
// Appends the notice of what the limits changed to pszText (cchText
// characters in all). Returns 2 when the back line was added, 1 when only
// the front line was, else 0.
int AppendBindingMarginNotice(HWND hDlg, UISETTINGS* pObj, LPWSTR pszText, int cchText);
// Shows the notice once, after the dialog is on screen.
void ShowMarginChangeNotice(HWND hDlg, UISETTINGS* pObj);

// The preview's picture ids for the current settings: base, page image,
// page mask and margin layer.
struct MARGINPREVIEWIDS {
    WORD wBase, wPage, wMask, wLayer;
    WORD wShift, wEdge, wMark, wFrame, wArrow, wArrowMask;
    BOOL bLandscape;
};
void GetMarginPreviewIds(UISETTINGS* pObj, MARGINPREVIEWIDS* pIds);

INT_PTR CALLBACK BindingMarginDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
int BindingMarginUpdateControl(HWND hDlg, WORD wId);
