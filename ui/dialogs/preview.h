// preview.h: the preview panes of the pages and library dialogs.
//
// Owns: the paper view (the printed sheet with every finishing overlay),
// the machine view (the device with its option units and paper path), the
// icon panel of the small pane, the descriptors they are built from
// (PAPERLAYOUTDESC, ICONPANELDESC), the icon order kept in the settings
// object and the DEVMODE, and the preview rectangles (PREVIEWGEOMETRY) that
// the invalidation of the panes uses. The pictures are bitmaps of the
// resource library; this file decides which is drawn, where and how.
//
// Rules the callers rely on:
//  1. Every GDI object a paint makes is deleted before the paint returns.
//  2. The panes write nothing into the settings object but the geometry,
//     the view word and the icon order.
//  3. A pane drawn without a settings object shows its frame only.
//  4. Positions inside the sheet picture are those of the canvas bitmaps:
//     68 x 96 for a portrait sheet, 96 x 68 for a landscape one.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#pragma pack(push, 1)

// PAPERLAYOUTDESC (20 bytes): what the paper view draws.
//   off field                 off field
//     0 orientation bit        10 duplex mark (0, 1, 2)
//     1 zoom direction         11 duplex binding (3 or 4)
//     2 layout code            12 page order
//     3 duplex on              13 border
//     4 staple position        14 booklet on
//     5 punch edge             15 booklet edge
//     6 hole count             16 booklet kind (2 driver, 1 device or none)
//     7 binding margin on      17 one-per-sheet mark
//     8 margin mode            18 zero (2 bytes)
//     9 binding edge
struct PAPERLAYOUTDESC {
    BYTE bOrientation;
    BYTE bZoomDir;
    BYTE bLayout;
    BYTE bDuplexOn;
    BYTE bStaple;
    BYTE bPunchEdge;
    BYTE bHoles;
    BYTE bBindOn;
    BYTE bMarginMode;
    BYTE bBindEdge;
    BYTE bDuplexMark;
    BYTE bDuplexBinding;
    BYTE bOrder;
    BYTE bBorder;
    BYTE bBookletOn;
    BYTE bBookletEdge;
    BYTE bBookletKind;
    BYTE bOnePerSheet;
    BYTE abZero[2];
};
static_assert(sizeof(PAPERLAYOUTDESC) == 20);
static_assert(offsetof(PAPERLAYOUTDESC, bBookletEdge) == 15);

// ICONPANELDESC (28 bytes): what the icon panel draws.
//   0 watermark code  1 form code  2 cover-layer code  3 output-mode code
//   4 OHP code  5 image-shift flag  6 chapter flag  7 centre-finish code
//   8..11 copy of the icon order  12..27 the pane's rectangle
struct ICONPANELDESC {
    BYTE bWatermark;
    BYTE bForm;
    BYTE bCover;
    BYTE bOutputMode;
    BYTE bOhp;
    BYTE bImageShift;
    BYTE bChapter;
    BYTE bCentreFinish;
    BYTE abIconOrder[4];
    RECT rcPane;
};
static_assert(sizeof(ICONPANELDESC) == 28);
static_assert(offsetof(ICONPANELDESC, rcPane) == 12);

#pragma pack(pop)

// Icon kinds of the bottom row, in the order they were switched on.
#define ICONKIND_OHP 1
#define ICONKIND_IMAGESHIFT 2
#define ICONKIND_CHAPTER 3
#define ICONKIND_CENTREFINISH 4

// The preview rectangles, in the panes' client pixels.
struct PREVIEWGEOMETRY {
    RECT rcInner;
    RECT rcPageImage;
    RECT rcLower;
    RECT rcTopText;
    RECT rcZoom;
    RECT rcCopies;
    RECT rcDocName;
    RECT rcDocSize;
    RECT rcOutName;
    RECT rcOutSize;
    POINT ptImageCentre;
    RECT rcMachine;
    POINT ptMachineCentre;
    RECT rcIconPanel;
    RECT rcIndexPaper;
    RECT rcInsertSheet;
    RECT rcTabText;
};

#define PREVIEWVIEW_PAPER 1
#define PREVIEWVIEW_MACHINE 2

// The preview's own state in the settings object: the geometry and the view
// of pane 166 (a value no settings file keeps).
PREVIEWGEOMETRY* GetPreviewGeometry(UISETTINGS* pObj);
WORD GetPreviewView(UISETTINGS* pObj);
void SetPreviewView(UISETTINGS* pObj, WORD wView);

// The parameter id of a settings-file key; 0 when no parameter has it.
WORD GetParamIdOfKey(LPCWSTR pszKey);
// The edited value of a setting named by its settings-file key; -1 when the
// object has no such setting.
SHORT GetPreviewSetting(UISETTINGS* pObj, LPCWSTR pszKey);

// Descriptors.
void BuildPaperViewLayout(UISETTINGS* pObj, PAPERLAYOUTDESC* pDesc);
void BuildIconPanelDescriptor(UISETTINGS* pObj, ICONPANELDESC* pDesc);
// Switches an icon kind on or off in a 4-byte icon order (slots filled
// from the front, no kind twice).
void UpdateIconOrder(BYTE* pOrder, BYTE bKind, BOOL bOn);
// x of an icon kind on the bottom row of a pane w pixels wide; 0 when the
// kind holds no slot.
int GetIconSlotX(const BYTE* pOrder, BYTE bKind, int w);
// The icon order in the settings object (4 bytes, kept in the DEVMODE).
BYTE* GetIconOrder(UISETTINGS* pObj);

// Geometry of the paper view from the pane's item rectangle.
void ComputePaperViewGeometry(const RECT* prcItem, PREVIEWGEOMETRY* pGeo);
// Page and canvas bitmap ids of a layout descriptor (0: none).
WORD GetPageBaseBitmapId(const PAPERLAYOUTDESC* pDesc);
WORD GetPageCanvasBitmapId(const PAPERLAYOUTDESC* pDesc);

// Painting into a device context over the pane's item rectangle (the
// owner-drawn panes call these with the DRAWITEMSTRUCT's DC and rectangle).
void PaintPaperView(HDC hdc, const RECT* prcItem, UISETTINGS* pObj);
// bOptionsPane: the device Options page's own pane, which centres lower.
void PaintMachineView(HDC hdc, const RECT* prcItem, UISETTINGS* pObj, BOOL bOptionsPane);
void PaintMachineOutputView(HDC hdc, const RECT* prcItem, UISETTINGS* pObj);
void PaintSettingIconPanel(HDC hdc, const RECT* prcItem, UISETTINGS* pObj);
// Pane 166 by its view: paper view, or machine view and its output half.
void PaintPreviewPane(HDC hdc, const RECT* prcItem, UISETTINGS* pObj);

// Drawing helpers shared with the other previews.
void DrawPreviewFrame(HDC hdc, const RECT* prcItem);
BOOL BlitMaskedBitmapPair(HDC hdc, int x, int y, WORD wMaskId, WORD wImageId);
BOOL BlitBitmapRop(HDC hdc, int x, int y, WORD wId, DWORD dwRop);
BOOL BlitCentredBitmap(HDC hdc, POINT pt, WORD wId, BOOL bAnd);
// Size of a resource bitmap; FALSE when it does not load.
BOOL GetResBitmapSize(WORD wId, SIZE* pSize);
// Cuts the text to what fits in the rectangle less 5 pixels, ending it with
// ".." when cut (texts of 3 characters or fewer are never cut). Returns the
// length to draw.
int FitPreviewText(HDC hdc, LPWSTR pszText, const RECT* prc);

// The colours of a classic three-dimensional frame.
COLORREF PreviewSysColour(int iIndex);

// Invalidation of the panes over their stored rectangles, without erasing
// (the pane must have been drawn once). Each takes the dialog and the pane's
// control id.
void InvalidatePaperImage(HWND hDlg, int iControl, UISETTINGS* pObj);
void InvalidatePaperTexts(HWND hDlg, int iControl, UISETTINGS* pObj);
void InvalidateMachineView(HWND hDlg, int iControl, UISETTINGS* pObj);
void InvalidatePreviewItem(HWND hDlg, int iControl, UISETTINGS* pObj);
// The large pane's areas by its view, then the icon panel.
void RefreshPreviewPane(HWND hDlg, UISETTINGS* pObj);
