// watermarkpage.cpp: the Watermark page (see watermarkpage.h).
#include "ui/pages/watermarkpage.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/illustration.h"
#include "ui/dialogs/preview.h"
#include "ui/dialogs/wmedit.h"
#include "ui/driverui/pagehooks.h"
#include "ui/library/quickaccess.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/wmlist.h"

#include <cstring>

namespace {

const WORD kParamOrientation = 2;
const WORD kParamPaper = 3;
const WORD kParamUse = 37;
const WORD kParamFirstPage = 38;
const WORD kParamOrder = 39;
const WORD kParamCurrent = 214;
const WORD kParamFixed = 215;

const UINT kStrNone = 20403;

enum { ICO_OFF, ICO_OVERWRITE, ICO_TRANSPARENT, ICO_COUNT };

struct WMPAGEREC {
    UISETTINGS* pSettings;
    RECT rcSquare;
    LONG alHalf[2];
    POINT ptCentre;
    RECT rcPage;
    RECT rcInner;
    LONG lWidth;
    LONG lLength;
    DWORD dwSpare;
    HBRUSH hbrFrame;
    LOGFONTW lf;
    LONG lGrey;
    LONG lOffsetX;
    LONG lOffsetY;
    HGLOBAL ahIcons[ICO_COUNT];
};

WMPAGEREC* _Rec(HWND hwnd)
{
    return (WMPAGEREC*)PageGetRecord(hwnd);
}

WATERMARKLIST* _List(UISETTINGS* pObj)
{
    return (pObj && pObj->trailer.pListSet) ? pObj->trailer.pListSet->pWatermark : nullptr;
}

BYTE _Current(UISETTINGS* pObj)
{
    BYTE* p = GetParamSlot(pObj, kParamCurrent);
    return p ? *p : 0;
}

// The record of the chosen slot; null for slot 0, an empty list or a slot
// beyond its count.
const WATERMARK* _Chosen(UISETTINGS* pObj)
{
    WATERMARKLIST* pList = _List(pObj);
    BYTE b = _Current(pObj);
    if (!pList || !pList->pRecords || b == 0 || b >= pList->sCount || b >= WATERMARK_SLOTS)
        return nullptr;
    return &pList->pRecords[b];
}

int _Icon(UISETTINGS* pObj)
{
    if (GetParamEdited(pObj, kParamUse) != 1)
        return ICO_OFF;
    return GetParamEdited(pObj, kParamOrder) == 1 ? ICO_OVERWRITE : ICO_TRANSPARENT;
}

void _PaintIcon(HWND hwnd, HDC hdc, const RECT* prcUpdate)
{
    WMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    HGLOBAL h = r->ahIcons[_Icon(r->pSettings)];
    if (h)
        PaintIllustrationOn(hdc, h, prcUpdate);
}

void _RepaintIcon(HWND hwnd)
{
    HDC hdc = GetDC(hwnd);
    if (!hdc)
        return;
    _PaintIcon(hwnd, hdc, nullptr);
    ReleaseDC(hwnd, hdc);
}

void _FillCombo(HWND hwnd, UISETTINGS* pObj)
{
    HWND hCombo = GetDlgItem(hwnd, 502);
    WATERMARKLIST* pList = _List(pObj);
    if (!hCombo || !pList || !pList->pRecords)
        return;
    SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    int n = pList->sCount < WATERMARK_SLOTS ? pList->sCount : WATERMARK_SLOTS;
    for (int i = 1; i < n; ++i) {
        WCHAR sz[WATERMARK_TEXT_CCH + 1] = {};
        memcpy(sz, pList->pRecords[i].szText, sizeof(pList->pRecords[i].szText));
        SendMessageW(hCombo, CB_ADDSTRING, 0, (LPARAM)sz);
    }
    SendMessageW(hCombo, CB_INSERTSTRING, 0, (LPARAM)GetResString(kStrNone));
    SendMessageW(hCombo, CB_SETCURSEL, _Current(pObj), 0);
}

void _Refresh(HWND hwnd, UISETTINGS* pObj)
{
    DWORD* pMask = PageRefreshMask(pObj, 500);
    if (!pMask || !_List(pObj))
        return;
    _RepaintIcon(hwnd);
    if (*pMask & WMREF_USE) {
        CheckDlgButton(hwnd, 501, GetParamEdited(pObj, kParamUse) == 1 ? BST_CHECKED : BST_UNCHECKED);
        _RepaintIcon(hwnd);
        *pMask &= ~WMREF_USE;
    }
    if (*pMask & WMREF_LIST) {
        _FillCombo(hwnd, pObj);
        *pMask &= ~WMREF_LIST;
    }
    if (*pMask & WMREF_ORDER) {
        BOOL bOver = GetParamEdited(pObj, kParamOrder) == 1;
        CheckDlgButton(hwnd, 504, bOver ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd, 505, bOver ? BST_UNCHECKED : BST_CHECKED);
        _RepaintIcon(hwnd);
        *pMask &= ~WMREF_ORDER;
    }
    if (*pMask & WMREF_FIRSTPAGE) {
        CheckDlgButton(hwnd, 506, GetParamEdited(pObj, kParamFirstPage) == 1 ? BST_CHECKED : BST_UNCHECKED);
        *pMask &= ~WMREF_FIRSTPAGE;
    }
    if (*pMask & WMREF_VIEW) {
        WORD wView = GetPreviewView(pObj);
        CheckDlgButton(hwnd, 163, wView == PREVIEWVIEW_MACHINE ? BST_UNCHECKED : BST_CHECKED);
        CheckDlgButton(hwnd, 164, wView == PREVIEWVIEW_MACHINE ? BST_CHECKED : BST_UNCHECKED);
        *pMask &= ~WMREF_VIEW;
    }
    RefreshPreviews(hwnd, pObj);
}

DWORD _MapDirty(HWND, WORD wControl)
{
    switch (wControl) {
    case 163:
    case 164:
        return WMREF_VIEW;
    case 501:
        return WMREF_USE;
    case 502:
        return WMREF_LIST;
    case 504:
    case 505:
        return WMREF_ORDER;
    case 506:
        return WMREF_FIRSTPAGE;
    default:
        return 0;
    }
}

void _InvalidateInner(HWND hwnd, BOOL bErase)
{
    WMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    if (IsRectEmpty(&r->rcInner))
        InvalidateRect(hwnd, nullptr, bErase);
    else
        InvalidateRect(hwnd, &r->rcInner, bErase);
}

void _Init(HWND hwnd, UISETTINGS* pObj)
{
    WMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    struct ICO {
        WORD wPicture, wMask;
    };
    const ICO a[ICO_COUNT] = {{15850, 15853}, {15851, 15854}, {15852, 15855}};
    HWND hStatic = GetDlgItem(hwnd, 2369);
    if (hStatic) {
        RECT rc;
        GetWindowRect(hStatic, &rc);
        RectScreenToClient(hwnd, &rc);
        for (int i = 0; i < ICO_COUNT; ++i)
            r->ahIcons[i] = CreateIllustrationAt(GetResourceDllHandle(), hwnd, &rc, a[i].wPicture, a[i].wMask, 0,
                                                 0, 0, 0);
        // The static only places the icon; the page paints it.
        ShowWindow(hStatic, SW_HIDE);
    }
    if (HWND h = GetDlgItem(hwnd, 507))
        ShowWindow(h, SW_HIDE);
    CheckDlgButton(hwnd, 501, GetParamCommitted(pObj, kParamUse) == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, 506, GetParamCommitted(pObj, kParamFirstPage) == 1 ? BST_CHECKED : BST_UNCHECKED);
    if (HWND hCombo = GetDlgItem(hwnd, 502)) {
        LRESULT cy = SendMessageW(hCombo, CB_GETITEMHEIGHT, 0, 0);
        if (cy > 0)
            SendMessageW(hCombo, CB_SETITEMHEIGHT, 0, cy + 2);
    }
    if (!bSheetEditable(pObj)) {
        static const WORD kOff[] = {501, 502, 503, 504, 505, 506, 507, 509, 510,
                                    163, 164, 165, 166, 167, 168, 512};
        for (WORD w : kOff)
            EnableWindow(GetDlgItem(hwnd, w), FALSE);
    }
}

void _Destroy(HWND hwnd, UISETTINGS*)
{
    WMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    for (HGLOBAL& h : r->ahIcons)
        if (h) {
            DestroyIllustration(h);
            h = nullptr;
        }
}

void _Apply(HWND, UISETTINGS* pObj)
{
    SetParamCommitted(pObj, kParamUse, GetParamEdited(pObj, kParamUse));
    SetParamCommitted(pObj, kParamOrder, GetParamEdited(pObj, kParamOrder));
    SetParamCommitted(pObj, kParamFirstPage, GetParamEdited(pObj, kParamFirstPage));
    if (BYTE* p = GetParamSlot(pObj, kParamFixed))
        *p = _Current(pObj);
}

// The watermark editor works on a copy of the settings; OK takes the copy
// over, anything else drops it.
void _OpenEditor(HWND hwnd, UISETTINGS* pObj)
{
    WMPAGEREC* r = _Rec(hwnd);
    UISETTINGS* pClone = r ? CloneParamObject(pObj) : nullptr;
    if (!pClone)
        return;
    r->pSettings = pClone;
    HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    INT_PTR ret = DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_WMEDIT), hwnd, WatermarkEditDlgProc, (LPARAM)pClone);
    if (ret == IDOK)
        CopyParamObject(pObj, pClone);
    r->pSettings = pObj;
    FreeParamObjectClone(&pClone);
    BindFeatureFields(pObj);
    SetActivePageId(pObj, 500);
    if (ret != IDOK)
        return;
    if (DWORD* pMask = PageRefreshMask(pObj, 500))
        *pMask |= WMREF_LIST;
    PageRefresh(hwnd);
    NotifySheetChanged(hwnd);
    _InvalidateInner(hwnd, FALSE);
}

BOOL _Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    if (!_Rec(hwnd))
        return FALSE;
    if (bIsLibraryMenuId(wId)) {
        BindFeatureFields(pObj);
        if (ApplyLibraryMenuEntry(hwnd, pObj, wId)) {
            CollectChangedFeatures(pObj);
            if (DWORD* pMask = PageRefreshMask(pObj, 500))
                *pMask = WMREF_ALL;
            ResolveConstraintsAll(hwnd, pObj);
            PageRefresh(hwnd);
            InvalidateRect(hwnd, &_Rec(hwnd)->rcSquare, TRUE);
            _InvalidateInner(hwnd, FALSE);
            NotifySheetChanged(hwnd);
        }
        return TRUE;
    }
    switch (wId) {
    case 501:
        if (wCode == BN_CLICKED) {
            PageControlChanged(hwnd, wId);
            _InvalidateInner(hwnd, FALSE);
        }
        return TRUE;
    case 502:
        if (wCode == CBN_SELCHANGE) {
            LRESULT k = SendMessageW(GetDlgItem(hwnd, 502), CB_GETCURSEL, 0, 0);
            if (BYTE* p = GetParamSlot(pObj, kParamCurrent))
                if (k >= 0 && k < WATERMARK_SLOTS)
                    *p = (BYTE)k;
            NotifySheetChanged(hwnd);
            _InvalidateInner(hwnd, FALSE);
        }
        return TRUE;
    case 504:
    case 505: {
        const SHORT sOrder = wId == 504 ? 1 : 2;
        if (wCode != BN_CLICKED || IsDlgButtonChecked(hwnd, wId) != BST_CHECKED ||
            GetParamEdited(pObj, kParamOrder) == sOrder)
            return TRUE;
        return FALSE;  // the change cycle
    }
    case 163:
    case 164: {
        const WORD wView = wId == 163 ? PREVIEWVIEW_PAPER : PREVIEWVIEW_MACHINE;
        if (wCode == BN_CLICKED && IsDlgButtonChecked(hwnd, wId) == BST_CHECKED && GetPreviewView(pObj) != wView) {
            SetPreviewView(pObj, wView);
            InvalidateRect(GetDlgItem(hwnd, 166), nullptr, FALSE);
            PageMarkDirty(hwnd, wId, (SHORT)wView);
        }
        return TRUE;
    }
    case 503:
        if (wCode == BN_CLICKED)
            _OpenEditor(hwnd, pObj);
        return TRUE;
    case 512:
        if (wCode == BN_CLICKED)
            ShowSaveRecallMenu(hwnd, pObj, 512);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL _DrawItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    _RepaintIcon(hwnd);
    if (pdis->CtlID == 166) {
        PaintPreviewPane(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    }
    if (pdis->CtlID == 167) {
        PaintSettingIconPanel(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    }
    return FALSE;
}

// ---- The picture ----

void _PaintPreview(HWND hwnd, HDC hdc)
{
    WMPAGEREC* r = _Rec(hwnd);
    UISETTINGS* pObj = r ? r->pSettings : nullptr;
    WATERMARKLIST* pList = _List(pObj);
    HWND hArea = GetDlgItem(hwnd, 507);
    if (!r || !pList || !pList->pRecords || !hArea)
        return;
    // 1. The square.
    RECT rc;
    GetWindowRect(hArea, &rc);
    RectScreenToClient(hwnd, &rc);
    LONG hw = (rc.right - rc.left) / 2, hh = (rc.bottom - rc.top) / 2;
    LONG h = hw < hh ? hw : hh;
    if (hw > hh) {
        rc.left += hw - hh;
        rc.right -= hw - hh;
    } else {
        rc.top += hh - hw;
        rc.bottom -= hh - hw;
    }
    r->rcSquare = rc;
    r->alHalf[0] = r->alHalf[1] = h;
    r->ptCentre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    const int cx = r->ptCentre.x, cy = r->ptCentre.y;
    // 2. The paper.
    LONG lWidth = 21000, lLength = 29700, lMaxW = 0, lMaxL = 0;
    GetPaperSizeMm100(GetParamEdited(pObj, kParamPaper), &lWidth, &lLength);
    if (GetParamEdited(pObj, kParamOrientation) == 2) {
        LONG t = lWidth;
        lWidth = lLength;
        lLength = t;
    }
    GetPaperMaxExtent(&lMaxW, &lMaxL);
    LONG lMax = lMaxW > lMaxL ? lMaxW : lMaxL;
    if (lWidth <= 0 || lLength <= 0 || lMax <= 0)
        return;
    r->lWidth = lWidth;
    r->lLength = lLength;
    // 3. The page.
    WatermarkPageRect(cx, cy, h, lWidth, lLength, lMax, &r->rcPage);
    r->rcInner = r->rcPage;
    InflateRect(&r->rcInner, -1, -1);
    // 4. Icon and frame.
    _PaintIcon(hwnd, hdc, nullptr);
    HBRUSH hbr = CreateSolidBrush(RGB(0, 0, 0));
    FrameRect(hdc, &r->rcPage, hbr);
    DeleteObject(hbr);
    const WATERMARK* pW = _Chosen(pObj);
    const BOOL bUse = GetParamEdited(pObj, kParamUse) != 0;
    if (!pW) {
        HBRUSH hbrWhite = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(hdc, &r->rcInner, hbrWhite);
        DeleteObject(hbrWhite);
        return;
    }
    WCHAR szText[WATERMARK_TEXT_CCH + 1] = {}, szFace[WATERMARK_FACE_CCH + 1] = {};
    memcpy(szText, pW->szText, sizeof(pW->szText));
    memcpy(szFace, pW->szFace, sizeof(pW->szFace));
    // 5. The font: the installed TrueType face, else the Shift-JIS probe.
    FONTFAMILYWANT want = {};
    want.lf.lfWeight = 400;
    want.lf.lfCharSet = 128;
    want.lf.lfPitchAndFamily = 0x32;
    lstrcpynW(want.lf.lfFaceName, u"ＭＳ Ｐゴシック", LF_FACESIZE);
    want.pszFace = szFace;
    EnumFontFamiliesW(hdc, nullptr, FontFamilyEnumProc, (LPARAM)&want);
    LOGFONTW& lf = r->lf;
    memset(&lf, 0, sizeof(lf));
    lf.lfHeight = WatermarkPreviewHeight(pW->dwSize);
    lf.lfEscapement = pW->lAngle;
    lf.lfOrientation = pW->lAngle;
    lf.lfWeight = (pW->dwStyle == 2 || pW->dwStyle == 4) ? 700 : 400;
    lf.lfItalic = (pW->dwStyle == 3 || pW->dwStyle == 4) ? 1 : 0;
    lf.lfCharSet = want.lf.lfCharSet;
    lf.lfPitchAndFamily = want.lf.lfPitchAndFamily;
    lstrcpynW(lf.lfFaceName, szFace, LF_FACESIZE);
    HFONT hFont = CreateFontIndirectW(&lf);
    HGDIOBJ hOld = hFont ? SelectObject(hdc, hFont) : nullptr;
    // 6. Colours.
    r->lGrey = (LONG)(pW->dwColor & 0xFF);
    SetBkColor(hdc, RGB(255, 255, 255));
    SetTextColor(hdc, bUse ? RGB(r->lGrey, r->lGrey, r->lGrey) : RGB(255, 255, 255));
    UINT uAlign = SetTextAlign(hdc, TA_CENTER | TA_BOTTOM);
    // 7. Position.
    SIZE sz = {};
    int cch = lstrlenW(szText);
    GetTextExtentPoint32W(hdc, szText, cch, &sz);
    LONG t = sz.cy / 2;
    LONG dx = SinTenthDegree(pW->lAngle) * 10000 / 16384 * t / 10000;
    LONG dy = CosTenthDegree(pW->lAngle) * 10000 / 16384 * t / 10000;
    r->lOffsetX = (r->rcPage.right - r->rcPage.left) * (LONG)pW->dwCenterX * 10 / lWidth;
    r->lOffsetY = (r->rcPage.bottom - r->rcPage.top) * (LONG)pW->dwCenterY * 10 / lLength;
    ExtTextOutW(hdc, cx + dx + r->lOffsetX, cy + dy + r->lOffsetY, ETO_OPAQUE | ETO_CLIPPED, &r->rcInner, szText,
                (UINT)cch, nullptr);
    SetTextAlign(hdc, uAlign);
    if (hOld)
        SelectObject(hdc, hOld);
    if (hFont)
        DeleteObject(hFont);
    // 8. The centre mark.
    if (cch && bUse) {
        int iSaved = SaveDC(hdc);
        IntersectClipRect(hdc, r->rcInner.left, r->rcInner.top, r->rcInner.right, r->rcInner.bottom);
        DrawPreviewBlueLine(hdc, cx + r->lOffsetX, cy + r->lOffsetY);
        RestoreDC(hdc, iSaved);
    }
}

const PAGEDESC kWatermarkPage = {
    500,   HELPCTX_WATERMARK, 511,      offsetof(WMPAGEREC, pSettings), sizeof(WMPAGEREC), WMREF_ALL, WMREF_ALL, TRUE, TRUE,
    _Init, _MapDirty,         _Refresh, _Apply,   _Command,          nullptr,   _DrawItem, _Destroy,
};

}  // namespace

// ---------------------------------------------------------------------------

int FontFamilyEnumProc(const LOGFONTW* plf, const TEXTMETRICW*, DWORD dwType, LPARAM lParam)
{
    FONTFAMILYWANT* p = (FONTFAMILYWANT*)lParam;
    if (p && plf && p->pszFace && (dwType & TRUETYPE_FONTTYPE) && lstrcmpW(plf->lfFaceName, p->pszFace) == 0)
        memcpy(&p->lf, plf, sizeof(LOGFONTW));
    return 1;
}

void WatermarkPageRect(int cx, int cy, int h, LONG lWidth, LONG lLength, LONG lMax, RECT* prc)
{
    if (!prc)
        return;
    if (lMax <= 0) {
        *prc = {cx, cy, cx, cy};
        return;
    }
    LONG lx = (lWidth * 1000 / lMax) * h / 1000;
    LONG ly = (lLength * 1000 / lMax) * h / 1000;
    *prc = {cx - lx, cy - ly, cx + lx, cy + ly};
}

LONG WatermarkPreviewHeight(DWORD dwSize)
{
    return dwSize < 8 ? -1 : -(LONG)(dwSize * 40 / 300);
}

int WatermarkPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue)
{
    if (PageGetDesc(hwnd) != &kWatermarkPage)
        return 0;
    return PageMarkDirty(hwnd, wControl, sValue);
}

INT_PTR CALLBACK WatermarkPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_PAINT: {
        if (!_Rec(hwnd) || PageGetDesc(hwnd) != &kWatermarkPage)
            break;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        _PaintPreview(hwnd, hdc);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        // The group boxes around the picture and the icon leave them showing.
        if (((HWND)lParam == GetDlgItem(hwnd, 510) || (HWND)lParam == GetDlgItem(hwnd, 509)) && _Rec(hwnd)) {
            SetBkMode((HDC)wParam, TRANSPARENT);
            return (INT_PTR)GetStockObject(NULL_BRUSH);
        }
        break;
    default:
        break;
    }
    return PageFrameDlgProc(&kWatermarkPage, hwnd, uMsg, wParam, lParam);
}
