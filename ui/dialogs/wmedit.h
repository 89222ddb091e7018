// wmedit.h: the watermark editor (template 1100).
//
// Owns: WatermarkEditDlgProc, which adds, deletes and edits the user's
// watermarks of the settings object it is given (text, face, style, size,
// angle, grey level and position) with a live picture of the chosen one on
// a scaled page that the user can also drag; the list operations on the
// settings object's watermark list that the editor uses.
//
// Rules the callers rely on:
//  1. The editor edits the list of the object it is given in place: the
//     Watermark page hands it a copy and takes the copy over on IDOK only.
//  2. Slot 0 is "no watermark": it is never edited, and while it is
//     selected the editing controls are disabled and dragging does nothing.
//  3. OK ends the dialog only when the chosen watermark's size is 8..400;
//     then the object's current watermark is the one selected in the list.
//  4. Without a settings object or a watermark list every handler does
//     nothing; Cancel and OK still close the dialog.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;
struct WATERMARK;
struct WATERMARKLIST;

#define IDD_WMEDIT 1100
#define IDC_WME_TEXTGROUP 1101
#define IDC_WME_LISTGROUP 1102
#define IDC_WME_LIST 1103
#define IDC_WME_NEW 1104
#define IDC_WME_DELETE 1105
#define IDC_WME_TEXT 1106
#define IDC_WME_FACE 1108
#define IDC_WME_STYLE 1110
#define IDC_WME_SIZEMIN 1112
#define IDC_WME_SIZEMAX 1113
#define IDC_WME_SIZE 1114
#define IDC_WME_SIZEBAR 1115
#define IDC_WME_SIZESPIN 1116
#define IDC_WME_ANGLE 1117
#define IDC_WME_ANGLESPIN 1118
#define IDC_WME_ANGLEGROUP 1119
#define IDC_WME_ANGLEBAR 1120
#define IDC_WME_DEGREES 1124
#define IDC_WME_PAGE 1125
#define IDC_WME_XTEXT 1127
#define IDC_WME_YTEXT 1129
#define IDC_WME_YBAR 1130
#define IDC_WME_XBAR 1131
#define IDC_WME_CENTRE 1132
#define IDC_WME_SAMPLE 1133
#define IDC_WME_DENSITY 1134
#define IDC_WME_LIGHT 1135
#define IDC_WME_DARK 1136
#define IDC_WME_DENSITYGROUP 1137
#define IDC_WME_FONTGROUP 1138
#define IDC_WME_POSGROUP 1139
#define IDC_WME_DEFAULTS 1140
#define IDC_WME_SELCOLOR 1142
#define IDC_WME_HELP 2465

// Refresh bits of the editor.
#define WMEREF_LIST 0x001
#define WMEREF_TEXT 0x002
#define WMEREF_FACE 0x004
#define WMEREF_STYLE 0x008
#define WMEREF_SIZE 0x010
#define WMEREF_ANGLE 0x020
#define WMEREF_SELCOLOR 0x040
#define WMEREF_DENSITY 0x080
#define WMEREF_X 0x100
#define WMEREF_Y 0x200

// Field bits of CopyWatermarkFields.
#define WMCOPY_TEXT 0x001
#define WMCOPY_FACE 0x002
#define WMCOPY_SIZE 0x004
#define WMCOPY_ANGLE 0x008
#define WMCOPY_STYLE 0x010
#define WMCOPY_SELCOLOR 0x020
#define WMCOPY_DENSITY 0x040
#define WMCOPY_X 0x080
#define WMCOPY_Y 0x100

#pragma pack(push, 1)

// The editor's state (292 bytes, movable memory locked while the dialog
// lives, kept in DWLP_USER).
//   off size field
//     0    4 the settings object
//     4    2 selected slot
//     6   10 size, angle (tenths), grey level, x, y of the selected record
//    16   12 saved window procedures of edits 1106, 1114, 1117
//    28   12 cursors: over the page, while dragging, the arrow
//    40   96 the preview font and the face its lookup wants
//   136   16 the page area (static 1125, made square)
//   152   16 the grey sample (static 1133)
//   168   32 the page rectangle and its inner rectangle
//   200    8 half side of the area (twice)   208 8 centre of the area
//   216    8 text offset in pixels           224 8 page width, length (1/100 mm)
//   232    1 validation byte (2 while OK checks)
//   233    1 set while the size check runs (its box takes the focus)
//   236    4 the dialog class's cursor, put back at the end
//   240   52 reserved, zero
struct WATERMARKEDITSTATE {
    UISETTINGS* pObj;
    WORD wSel;
    SHORT sSize;
    SHORT sAngle;
    SHORT sDensity;
    SHORT sX;
    SHORT sY;
    LONG_PTR pfnText;
    LONG_PTR pfnSize;
    LONG_PTR pfnAngle;
    HCURSOR hcurPage;
    HCURSOR hcurDrag;
    HCURSOR hcurArrow;
    LOGFONTW lf;
    LPCWSTR pszWantFace;
    RECT rcArea;
    RECT rcSample;
    RECT rcPage;
    RECT rcInner;
    LONG alHalf[2];
    POINT ptCentre;
    POINT ptOffset;
    LONG lWidth;
    LONG lLength;
    BYTE bValidating;
    BYTE bChecking;
    BYTE abPad[2];
    HCURSOR hcurClass;
    BYTE abReserved[52];
};

#pragma pack(pop)

static_assert(sizeof(void*) != 4 || sizeof(WATERMARKEDITSTATE) == 292);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, wSel) == 4);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, sY) == 14);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, pfnText) == 16);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, hcurPage) == 28);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, lf) == 40);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, rcArea) == 136);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, rcSample) == 152);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, rcPage) == 168);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, rcInner) == 184);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, alHalf) == 200);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, ptCentre) == 208);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, ptOffset) == 216);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, lWidth) == 224);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, bValidating) == 232);
static_assert(sizeof(void*) != 4 || offsetof(WATERMARKEDITSTATE, hcurClass) == 236);

INT_PTR CALLBACK WatermarkEditDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The parts of the dialog procedure.
void InitWatermarkEditDlg(HWND hDlg, UISETTINGS* pObj);
WATERMARKEDITSTATE* CreateWatermarkEditState(HWND hDlg, UISETTINGS* pObj);
void PaintWatermarkEditPreview(HWND hDlg);
// The blue plus sign of 3 pixels that marks a watermark's centre in the
// editor's and the Watermark page's previews.
void DrawPreviewBlueLine(HDC hdc, int x, int y);
void OnWatermarkEditCommand(HWND hDlg, WPARAM wParam, LPARAM lParam);
void OnWatermarkEditScroll(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
void OnWatermarkEditMouse(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The settings object's watermark list and its 51 slots; null without them.
WATERMARKLIST* GetWatermarkList(UISETTINGS* pObj);
WATERMARK* GetWatermarkRecords(UISETTINGS* pObj);

// List box 1103 and the slots: a new entry (the template record) after the
// last; the selected entry removed and the following ones moved down.
// FALSE when nothing was changed (the list is full, slot 0 is selected).
BOOL AddWatermarkToList(HWND hDlg);
BOOL DeleteWatermarkFromList(HWND hDlg);
// Fills list box 1103: "no watermark", then the texts of slots 1..count-1.
void FillWatermarkList(HWND hDlg);
// Copies the fields named by dwMask (WMCOPY_*) from the template record
// into slot index; the state's mirrors follow.
void CopyWatermarkFields(HWND hDlg, DWORD dwMask, int index);
// Shows the fields named by the object's refresh mask and clears the bits.
void RefreshWatermarkEditDlg(HWND hDlg, UISETTINGS* pObj);
void EnableWatermarkEditControls(HWND hDlg, BOOL bEnable);
// Marks the field of control id (1103, 1108, 1110, 1142) and refreshes.
int WatermarkEditUpdateControl(HWND hDlg, int id);
// TRUE when the chosen watermark's size is 8..400; otherwise the warning
// (unless a bar has the focus), the size clamped, and the focus on the
// size edit with its text selected.
BOOL bCheckWatermarkSize(HWND hDlg);

// The refresh mask the editor keeps in the settings object; null for null.
DWORD* WatermarkEditRefreshMask(UISETTINGS* pObj);
