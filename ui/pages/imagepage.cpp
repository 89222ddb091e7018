// imagepage.cpp: the Image page (see imagepage.h).
//
// The halftoning method is a two-way switch of two owner-drawn buttons
// (603 dither, 604 error diffusion); list box 616, placed off the page,
// carries the keyboard focus and the selection for them, so the arrow keys
// move the switch. Error diffusion exists only in vector mode: in raster
// mode the list holds one item and the keyboard cannot reach it.
#include "ui/pages/imagepage.h"

#include "platform/comctl/commctrl.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/illustration.h"
#include "ui/dialogs/preview.h"
#include "ui/library/quickaccess.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"

namespace {

// Settings of the page (parameter ids).
enum : WORD {
    P_DITHERTYPE = 29,
    P_DITHER = 30,
    P_SAVETONER = 31,
    P_INTENSITY = 32,
    P_GRAPHICSMODE = 33,
    P_SMOOTHING = 34,
    P_ENGSAVETONER = 84,
    P_PRINTCAD = 85,
    P_PLANE1BIT = 90,
    P_ERRDIFFMODE = 94,
    P_PRINTCADMODE = 97,
    P_RESOLUTION = 130,
    P_DENSITY = 145,
};

// Controls.
enum : WORD {
    IDC_VIEW_PAPER = 163,
    IDC_VIEW_MACHINE = 164,
    IDC_PANE = 166,
    IDC_ICONS = 167,
    IDC_SAMPLE = 601,
    IDC_SAMPLEFRAME = 618,
    IDC_PROCESSINGGROUP = 619,
    IDC_TONERSAVE = 602,
    IDC_DITHER = 603,
    IDC_ERRDIFF = 604,
    IDC_PATTERN2 = 605,
    IDC_FINE = 606,
    IDC_COARSE = 607,
    IDC_VECTOR = 611,
    IDC_RASTER = 612,
    IDC_SMOOTHING = 614,
    IDC_DEFAULTS = 615,
    IDC_SWITCH = 616,
    IDC_DENSITY = 630,
    IDC_PRINTCAD = 637,
    IDC_CAD_TEXT = 638,
    IDC_CAD_ALL = 639,
    IDC_PLANE1BIT = 640,
    IDC_SAVERECALL = 648,
};

// Refresh bits.
enum : DWORD {
    R_TONERSAVE = 0x01,
    R_HALFTONE = 0x02,
    R_INTENSITY = 0x04,
    R_GRAPHICS = 0x08,
    R_SMOOTHING = 0x10,
    R_RESOLUTION = 0x100,
    R_DENSITY = 0x200,
    R_ENGSAVETONER = 0x400,
    R_PRINTCAD = 0x800,
    R_CADMODE = 0x1000,
    R_PLANE1BIT = 0x2000,
    R_HIDDEN1 = 0x4000,
    R_HIDDEN2 = 0x8000,
    R_HIDDEN3 = 0x10000,
    R_VIEW = 0x20000,
};

const WORD kSampleBitmaps[3] = {11202, 11203, 11204};

// The page's record: the settings object first.
struct IMAGEPAGEREC {
    UISETTINGS* pSettings;
    WORD* pIndexBlock;      // smoothing, then resolution, then the spare list
    WORD* pSmoothingIndex;
    WORD* pResolutionIndex;
    WORD* pSpareIndex;
    BOOL bSwitchFocus;      // list box 616 has the keyboard focus
    BOOL bFocusDrawn603;
    BOOL bFocusDrawn604;
    HGLOBAL ahSample[3];
};

IMAGEPAGEREC* Rec(HWND hwnd)
{
    const PAGEDESC* p = PageGetDesc(hwnd);
    return (p && p->wPageId == 600) ? (IMAGEPAGEREC*)PageGetRecord(hwnd) : nullptr;
}

SHORT Val(UISETTINGS* pObj, WORD wParam)
{
    return GetParamEdited(pObj, wParam);
}

BOOL Checked(HWND hwnd, WORD wId)
{
    return IsDlgButtonChecked(hwnd, wId) == BST_CHECKED;
}

void Check(HWND hwnd, WORD wId, BOOL b)
{
    CheckDlgButton(hwnd, wId, b ? BST_CHECKED : BST_UNCHECKED);
}

// The sample's parameters and picture for the current settings.
IMAGESAMPLECHOICE CurrentSample(UISETTINGS* pObj)
{
    return ChooseImageSample(Val(pObj, P_DENSITY), Val(pObj, P_DITHERTYPE), Val(pObj, P_DITHER),
                             Val(pObj, P_SAVETONER), Val(pObj, P_PRINTCAD), Val(pObj, P_PRINTCADMODE));
}

void PaintSample(HWND hwnd, HDC hdc)
{
    IMAGEPAGEREC* r = Rec(hwnd);
    if (!r || !r->pSettings)
        return;
    IMAGESAMPLECHOICE c = CurrentSample(r->pSettings);
    int i = c.wBitmap - kSampleBitmaps[0];
    if (i < 0 || i > 2 || !r->ahSample[i])
        return;
    SAMPLEPARAMS sp = {c.lDensity, c.lHalftone, c.lPattern, c.lTonerSave};
    DrawImageQualitySampleOn(hdc, r->ahSample[i], &sp, c.wBitmap);
}

// Redraws the sample at once with the current settings.
void UpdateImageSample(HWND hwnd)
{
    HDC hdc = GetDC(hwnd);
    if (!hdc)
        return;
    PaintSample(hwnd, hdc);
    ReleaseDC(hwnd, hdc);
}

// A user change of a control that the rules know: resolve, redraw the
// sample, tell the sheet.
void Resolve(HWND hwnd, UISETTINGS* pObj, WORD wId)
{
    if (!bSheetEditable(pObj))
        return;
    ResolveConstraintsOnChange(hwnd, pObj, wId);
    UpdateImageSample(hwnd);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
}

void FillSwitchList(HWND hwnd, UISETTINGS* pObj)
{
    HWND h = GetDlgItem(hwnd, IDC_SWITCH);
    if (!h)
        return;
    SendMessageW(h, LB_RESETCONTENT, 0, 0);
    SendMessageW(h, LB_ADDSTRING, 0, (LPARAM)u"D");
    if (Val(pObj, P_GRAPHICSMODE) == 2)
        SendMessageW(h, LB_ADDSTRING, 0, (LPARAM)u"E");
    SendMessageW(h, LB_SETCURSEL, (WPARAM)Val(pObj, P_DITHERTYPE), 0);
}

// Every smoothing item is offered: no availability rule is consulted.
void FillSmoothing(HWND hwnd, UISETTINGS* pObj, WORD* pIndex)
{
    BindFeatureFields(pObj);
    FVLHEADER* pList = GetFeatureListHeader(IDC_SMOOTHING);
    HWND h = GetDlgItem(hwnd, IDC_SMOOTHING);
    if (!pList)
        return;
    if (h)
        SendMessageW(h, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < pList->sCount; ++i) {
        UIITEMCHOICE* it = GetValueListItem(pList, i);
        it->sEnabled = VALUEITEM_ENABLED;
        it->sIndex = (SHORT)i;
        if (pIndex)
            pIndex[i] = (WORD)it->sValue;
        if (h)
            SendMessageW(h, CB_INSERTSTRING, (WPARAM)-1, (LPARAM)it->szText);
    }
    WORD wPos = GetEnabledItemPosition(pList, Val(pObj, P_SMOOTHING));
    pList->sCurIndex = (SHORT)wPos;
    if (h)
        SendMessageW(h, CB_SETCURSEL, wPos == POSITION_NONE ? (WPARAM)-1 : wPos, 0);
}

// ---- Frame steps ----

void Init(HWND hwnd, UISETTINGS* pObj)
{
    IMAGEPAGEREC* r = Rec(hwnd);
    if (!r)
        return;
    BindFeatureFields(pObj);
    int cSmoothing = GetFeatureItemCount(IDC_SMOOTHING);
    int cResolution = GetFeatureItemCount(625);
    int cUnits = cSmoothing + cResolution + 1;
    HGLOBAL hBlock = GlobalAlloc(GHND, cUnits * sizeof(WORD));
    r->pIndexBlock = hBlock ? (WORD*)GlobalLock(hBlock) : nullptr;
    if (r->pIndexBlock) {
        r->pSmoothingIndex = r->pIndexBlock;
        r->pResolutionIndex = r->pSmoothingIndex + cSmoothing;
        r->pSpareIndex = r->pResolutionIndex + cResolution;
    } else if (hBlock) {
        GlobalFree(hBlock);
    }
    HWND hBar = GetDlgItem(hwnd, IDC_DENSITY);
    if (hBar) {
        SendMessageW(hBar, TBM_SETRANGEMIN, FALSE, (LPARAM)-2);
        SendMessageW(hBar, TBM_SETRANGEMAX, FALSE, 0);
        SendMessageW(hBar, TBM_SETPAGESIZE, 0, 1);
        SendMessageW(hBar, TBM_SETLINESIZE, 0, 1);
        SendMessageW(hBar, TBM_SETTICFREQ, 1, 0);
    }
    HWND hAnchor = GetDlgItem(hwnd, IDC_SAMPLE);
    if (hAnchor) {
        RECT rc;
        GetWindowRect(hAnchor, &rc);
        RectScreenToClient(hwnd, &rc);
        for (int i = 0; i < 3; ++i)
            r->ahSample[i] = CreateIllustrationAt(DlgPictureModule(), hwnd, &rc, kSampleBitmaps[i], 0, 0, 0, 0, 0);
        // The static only marks the place: the page paints the sample there.
        ShowWindow(hAnchor, SW_HIDE);
    }
    Check(hwnd, IDC_TONERSAVE, GetParamCommitted(pObj, P_SAVETONER) == 1);
    Check(hwnd, IDC_PRINTCAD, GetParamCommitted(pObj, P_PRINTCAD) == 1);
    Check(hwnd, IDC_PLANE1BIT, GetParamCommitted(pObj, P_PLANE1BIT) == 1);
}

DWORD MapDirty(HWND, WORD wControl)
{
    return ImagePageDirtyBits(wControl);
}

void Refresh(HWND hwnd, UISETTINGS* pObj)
{
    IMAGEPAGEREC* r = Rec(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, 600);
    if (!r || !pMask)
        return;
    DWORD& d = *pMask;
    // In the order the controls depend on each other.
    if (d & R_TONERSAVE) {
        d &= ~R_TONERSAVE;
        Check(hwnd, IDC_TONERSAVE, Val(pObj, P_SAVETONER) == 1);
    }
    d &= ~R_ENGSAVETONER;
    if (d & R_PRINTCAD) {
        d &= ~R_PRINTCAD;
        Check(hwnd, IDC_PRINTCAD, Val(pObj, P_PRINTCAD) == 1);
    }
    if (d & R_PLANE1BIT) {
        d &= ~R_PLANE1BIT;
        Check(hwnd, IDC_PLANE1BIT, Val(pObj, P_PLANE1BIT) == 1);
    }
    if (d & R_CADMODE) {
        d &= ~R_CADMODE;
        SHORT s = Val(pObj, P_PRINTCADMODE);
        Check(hwnd, IDC_CAD_TEXT, s == 1);
        Check(hwnd, IDC_CAD_ALL, s == 2);
    }
    if (d & R_HALFTONE) {
        d &= ~R_HALFTONE;
        FillSwitchList(hwnd, pObj);
        SHORT s = Val(pObj, P_DITHER);
        Check(hwnd, IDC_PATTERN2, s == 2);
        Check(hwnd, IDC_FINE, s == 3);
        Check(hwnd, IDC_COARSE, s == 4);
        for (WORD w : {IDC_DITHER, IDC_ERRDIFF})
            if (HWND h = GetDlgItem(hwnd, w))
                InvalidateRect(h, nullptr, FALSE);
    }
    d &= ~R_INTENSITY;
    if (d & R_DENSITY) {
        d &= ~R_DENSITY;
        if (HWND h = GetDlgItem(hwnd, IDC_DENSITY))
            SendMessageW(h, TBM_SETPOS, TRUE, (LPARAM)(LONG)Val(pObj, P_DENSITY));
    }
    if (d & R_GRAPHICS) {
        d &= ~R_GRAPHICS;
        SHORT s = Val(pObj, P_GRAPHICSMODE);
        Check(hwnd, IDC_RASTER, s == 1);
        Check(hwnd, IDC_VECTOR, s != 1);
        // The Form page's choices depend on the graphics mode.
        if (DWORD* pForm = PageRefreshMask(pObj, 400))
            *pForm |= 0x100;
    }
    if (d & R_SMOOTHING) {
        d &= ~R_SMOOTHING;
        FillSmoothing(hwnd, pObj, r->pSmoothingIndex);
    }
    d &= ~(R_RESOLUTION | R_HIDDEN1 | R_HIDDEN2 | R_HIDDEN3);
    if (d & R_VIEW) {
        d &= ~R_VIEW;
        WORD w = GetPreviewView(pObj);
        Check(hwnd, IDC_VIEW_PAPER, w == PREVIEWVIEW_PAPER);
        Check(hwnd, IDC_VIEW_MACHINE, w == PREVIEWVIEW_MACHINE);
    }
    RefreshPreviewPane(hwnd, pObj);
    if (HWND hAnchor = GetDlgItem(hwnd, IDC_SAMPLE)) {
        RECT rc;
        GetWindowRect(hAnchor, &rc);
        RectScreenToClient(hwnd, &rc);
        InvalidateRect(hwnd, &rc, FALSE);
    }
}

void Apply(HWND hwnd, UISETTINGS* pObj)
{
    static const WORD kCommitted[] = {P_DITHERTYPE, P_DITHER,     P_SAVETONER,    P_GRAPHICSMODE, P_INTENSITY,
                                      P_SMOOTHING,  P_RESOLUTION, P_ERRDIFFMODE,  P_DENSITY,      P_ENGSAVETONER,
                                      P_PRINTCAD,   P_PRINTCADMODE, P_PLANE1BIT};
    for (WORD w : kCommitted)
        if (FindParamRow(pObj, w) >= 0)
            SetParamCommitted(pObj, w, GetParamEdited(pObj, w));
    if (DWORD* pMask = PageRefreshMask(pObj, 600))
        *pMask = IMAGE_REFRESH_ALL;
    (void)hwnd;
}

// The switch list's own notifications.
void OnSwitchList(HWND hwnd, UISETTINGS* pObj, WORD wCode)
{
    IMAGEPAGEREC* r = Rec(hwnd);
    if (!r)
        return;
    if (wCode == LBN_SELCHANGE) {
        LRESULT s = SendDlgItemMessageW(hwnd, IDC_SWITCH, LB_GETCURSEL, 0, 0);
        SHORT sType = Val(pObj, P_DITHERTYPE);
        if (s == 1 && sType != 1)
            Resolve(hwnd, pObj, IDC_ERRDIFF);
        else if (s == 0 && sType != 0)
            Resolve(hwnd, pObj, IDC_DITHER);
    } else if (wCode == LBN_SETFOCUS) {
        r->bSwitchFocus = TRUE;
    } else if (wCode == LBN_KILLFOCUS) {
        r->bSwitchFocus = FALSE;
    } else {
        return;
    }
    PageMarkDirty(hwnd, IDC_DITHER, 0);
    EvaluateControlDependencies(hwnd, pObj);
    EnableDependentControls(hwnd, pObj);
}

BOOL Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    IMAGEPAGEREC* r = Rec(hwnd);
    if (!r)
        return TRUE;
    BindFeatureFields(pObj);
    switch (wId) {
    case IDC_TONERSAVE:
    case IDC_PRINTCAD:
    case IDC_PLANE1BIT:
        if (wCode == BN_CLICKED)
            Resolve(hwnd, pObj, wId);
        return TRUE;
    case IDC_CAD_TEXT:
    case IDC_CAD_ALL:
        if (wCode == BN_CLICKED && Checked(hwnd, wId) && Val(pObj, P_PRINTCADMODE) != (wId == IDC_CAD_TEXT ? 1 : 2))
            Resolve(hwnd, pObj, wId);
        return TRUE;
    case IDC_FINE:
    case IDC_COARSE:
        if (wCode == BN_CLICKED && Checked(hwnd, wId) && Val(pObj, P_DITHER) != (wId == IDC_FINE ? 3 : 4))
            Resolve(hwnd, pObj, wId);
        return TRUE;
    case IDC_PATTERN2:
        return TRUE;
    case IDC_VECTOR:
    case IDC_RASTER:
        if (wCode == BN_CLICKED && Checked(hwnd, wId) && Val(pObj, P_GRAPHICSMODE) != (wId == IDC_VECTOR ? 2 : 1))
            Resolve(hwnd, pObj, wId);
        return TRUE;
    case IDC_SMOOTHING:
        if (wCode == CBN_SELCHANGE)
            Resolve(hwnd, pObj, wId);
        return TRUE;
    case IDC_DITHER:
    case IDC_ERRDIFF: {
        if (wCode != BN_CLICKED)
            return TRUE;
        SHORT sWant = wId == IDC_DITHER ? 0 : 1;
        if (Val(pObj, P_DITHERTYPE) != sWant) {
            SendDlgItemMessageW(hwnd, IDC_SWITCH, LB_SETCURSEL, (WPARAM)sWant, 0);
            Resolve(hwnd, pObj, wId);
        }
        if (HWND h = GetDlgItem(hwnd, IDC_SWITCH))
            SetFocus(h);
        UpdateImageSample(hwnd);
        return TRUE;
    }
    case IDC_SWITCH:
        OnSwitchList(hwnd, pObj, wCode);
        return TRUE;
    case IDC_DEFAULTS:
        if (wCode != BN_CLICKED)
            return TRUE;
        SetFocus(hwnd);
        Resolve(hwnd, pObj, wId);
        if (HWND h = GetDlgItem(hwnd, IDC_DEFAULTS))
            SetFocus(h);
        return TRUE;
    case IDC_VIEW_PAPER:
    case IDC_VIEW_MACHINE: {
        WORD wView = wId == IDC_VIEW_PAPER ? PREVIEWVIEW_PAPER : PREVIEWVIEW_MACHINE;
        if (wCode == BN_CLICKED && GetPreviewView(pObj) != wView) {
            RefreshPreviewPane(hwnd, pObj);
            SetPreviewView(pObj, wView);
            PageMarkDirty(hwnd, wId, (SHORT)wView);
        }
        return TRUE;
    }
    case IDC_SAVERECALL:
        if (wCode == BN_CLICKED)
            ShowSaveRecallMenu(hwnd, pObj, IDC_SAVERECALL);
        return TRUE;
    }
    // A settings file recalled from the Save/Recall menu: the frame rules
    // over what it changed; the sample follows.
    if (bIsLibraryMenuId(wId)) {
        if (ApplyLibraryMenuEntry(hwnd, pObj, wId)) {
            CollectChangedFeatures(pObj);
            ResolveConstraintsAll(hwnd, pObj);
            UpdateImageSample(hwnd);
            NotifySheetChanged(hwnd);
        }
        return TRUE;
    }
    return FALSE;
}

void Frame3D(HDC hdc, RECT rc, COLORREF crOuter, COLORREF crInner, COLORREF crInset, COLORREF crStrip)
{
    HBRUSH hOuter = CreateSolidBrush(crOuter), hInner = CreateSolidBrush(crInner),
           hInset = CreateSolidBrush(crInset), hStrip = CreateSolidBrush(crStrip);
    FrameRect(hdc, &rc, hOuter);
    RECT r1 = {rc.left + 1, rc.top + 1, rc.right - 2, rc.bottom - 2};
    FrameRect(hdc, &r1, hInner);
    RECT r2 = {r1.left + 1, r1.top + 1, r1.right - 1, r1.bottom - 1};
    FrameRect(hdc, &r2, hInset);
    RECT rTop = {r2.left + 1, r2.top + 1, r2.right - 1, r2.top + 3};
    RECT rLeft = {r2.left + 1, r2.top + 1, r2.left + 3, r2.bottom - 1};
    FillRect(hdc, &rTop, hStrip);
    FillRect(hdc, &rLeft, hStrip);
    for (HBRUSH h : {hOuter, hInner, hInset, hStrip})
        DeleteObject(h);
}

void DrawSwitchButton(HWND hwnd, const DRAWITEMSTRUCT* pdis)
{
    IMAGEPAGEREC* r = Rec(hwnd);
    HDC hdc = pdis->hDC;
    RECT rc = pdis->rcItem;
    LRESULT s = SendDlgItemMessageW(hwnd, IDC_SWITCH, LB_GETCURSEL, 0, 0);
    BOOL bDither = pdis->CtlID == IDC_DITHER;
    BOOL bDisabled = !bDither && (pdis->itemState & ODS_DISABLED);
    BOOL bPressed = !bDisabled && s == (bDither ? 0 : 1);
    const COLORREF crBlack = RGB(0, 0, 0);
    HBRUSH hFace = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(hdc, &rc, hFace);
    if (bPressed)
        Frame3D(hdc, rc, GetSysColor(COLOR_BTNHIGHLIGHT), crBlack, GetSysColor(COLOR_BTNFACE),
                GetSysColor(COLOR_BTNSHADOW));
    else
        Frame3D(hdc, rc, crBlack, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW),
                GetSysColor(COLOR_BTNFACE));
    LPCWSTR psz = GetResString(bDither ? 30500 : 30501);
    int cch = psz ? lstrlenW(psz) : 0;
    int x = rc.left + (bDither ? 31 : 20) + (bPressed ? 1 : 0);
    int y = rc.top + 5 + (bPressed ? 1 : 0);
    int iOldMode = SetBkMode(hdc, TRANSPARENT);
    if (bDisabled) {
        // Embossed: a light copy one pixel down and right under the grey.
        COLORREF crOld = SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        ExtTextOutW(hdc, x + 1, y + 1, ETO_CLIPPED, &rc, psz, (UINT)cch, nullptr);
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
        ExtTextOutW(hdc, x, y, ETO_CLIPPED, &rc, psz, (UINT)cch, nullptr);
        SetTextColor(hdc, crOld);
    } else {
        COLORREF crOld = SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        TextOutW(hdc, x, y, psz, cch);
        SetTextColor(hdc, crOld);
    }
    SetBkMode(hdc, iOldMode);
    BOOL bFocus = r && r->bSwitchFocus && bPressed;
    if (bFocus) {
        RECT rf = {rc.left + 3, rc.top + 3, rc.right - 3, rc.bottom - 3};
        DrawFocusRect(hdc, &rf);
    }
    if (r)
        (bDither ? r->bFocusDrawn603 : r->bFocusDrawn604) = bFocus;
}

BOOL DrawItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    switch (pdis->CtlID) {
    case IDC_DITHER:
    case IDC_ERRDIFF:
        DrawSwitchButton(hwnd, pdis);
        return TRUE;
    case IDC_PANE:
        PaintPreviewPane(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    case IDC_ICONS:
        PaintSettingIconPanel(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    }
    return FALSE;
}

void Destroy(HWND hwnd, UISETTINGS*)
{
    IMAGEPAGEREC* r = Rec(hwnd);
    if (!r)
        return;
    for (HGLOBAL& h : r->ahSample) {
        if (h)
            DestroyIllustration(h);
        h = nullptr;
    }
    if (r->pIndexBlock) {
        HGLOBAL h = GlobalHandle(r->pIndexBlock);
        GlobalUnlock(h);
        GlobalFree(h);
        r->pIndexBlock = nullptr;
    }
}

const PAGEDESC kImagePage = {600,
                             HELPCTX_IMAGE,
                             636,
                             offsetof(IMAGEPAGEREC, pSettings),
                             sizeof(IMAGEPAGEREC),
                             IMAGE_REFRESH_ALL,
                             IMAGE_REFRESH_ALL,
                             TRUE,
                             TRUE,
                             Init,
                             MapDirty,
                             Refresh,
                             Apply,
                             Command,
                             nullptr,
                             DrawItem,
                             Destroy};

}  // namespace

DWORD ImagePageDirtyBits(WORD wControl)
{
    switch (wControl) {
    case 163:
    case 164:
        return R_VIEW;
    case 602:
        return R_TONERSAVE;
    case 603:
    case 604:
    case 605:
    case 606:
    case 607:
        return R_HALFTONE;
    case 611:
    case 612:
        return R_GRAPHICS;
    case 614:
        return R_SMOOTHING;
    case 630:
        return R_DENSITY;
    case 637:
        return R_PRINTCAD;
    case 638:
    case 639:
        return R_CADMODE;
    case 640:
        return R_PLANE1BIT;
    default:
        return 0;
    }
}

int ImagePageMarkDirty(HWND hwnd, WORD wFeature, SHORT sValue)
{
    if (!Rec(hwnd))
        return 0;
    return PageMarkDirty(hwnd, wFeature, sValue);
}

IMAGESAMPLECHOICE ChooseImageSample(SHORT sDensity, SHORT sDitherType, SHORT sDither, SHORT sSaveToner,
                                    SHORT sPrintCad, SHORT sPrintCadMode)
{
    IMAGESAMPLECHOICE c = {};
    c.lDensity = sDensity;
    c.lHalftone = sDitherType == 1 ? 2 : 1;
    c.lPattern = sDither == 2 ? 1 : sDither == 3 ? 2 : sDither == 4 ? 3 : 0;
    c.lTonerSave = sSaveToner == 1 ? 1 : 0;
    c.wBitmap = sPrintCad != 1 ? 11202 : sPrintCadMode == 1 ? 11203 : 11204;
    return c;
}

INT_PTR CALLBACK ImagePageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HSCROLL: {
        // The density bar writes its value without the rules.
        IMAGEPAGEREC* r = Rec(hwnd);
        HWND hBar = GetDlgItem(hwnd, IDC_DENSITY);
        if (!r || !r->pSettings || !hBar || (HWND)lParam != hBar || !bSheetEditable(r->pSettings))
            return FALSE;
        SetActivePageId(r->pSettings, 600);
        LONG lPos = (LONG)SendMessageW(hBar, TBM_GETPOS, 0, 0);
        if (lPos < -2 || lPos > 0)
            return TRUE;
        if (lPos != Val(r->pSettings, P_DENSITY)) {
            SetParamEdited(r->pSettings, P_DENSITY, (SHORT)lPos);
            NotifySheetChanged(hwnd);
            UpdateImageSample(hwnd);
        }
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        // The frames around the sample leave it showing through.
        if (Rec(hwnd) && ((HWND)lParam == GetDlgItem(hwnd, IDC_SAMPLEFRAME) ||
                          (HWND)lParam == GetDlgItem(hwnd, IDC_PROCESSINGGROUP))) {
            SetBkMode((HDC)wParam, TRANSPARENT);
            return (INT_PTR)GetStockObject(NULL_BRUSH);
        }
        return FALSE;
    case WM_PAINT: {
        if (!Rec(hwnd))
            return FALSE;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        PaintSample(hwnd, hdc);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    }
    return PageFrameDlgProc(&kImagePage, hwnd, uMsg, wParam, lParam);
}
