// wmedit.cpp: the watermark editor. See wmedit.h.
#include "ui/dialogs/wmedit.h"

#include "platform/comctl/commctrl.h"
#include "platform/gdi/msgbox.h"
#include "platform/gdi/resload.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/subdlg.h"
#include "ui/driverui/pagehooks.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/pages/watermarkpage.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/wmlist.h"

#include <cstring>

namespace {

const WORD kParamOrientation = 2;
const WORD kParamPaper = 3;
const WORD kParamCurrent = 214;
// The id the editor's commands leave in the object being edited.
const WORD kActivePage = 2400;

const UINT kStrNone = 20403;
const UINT kStrStyleFirst = 21115;
const UINT kStrRangeText = 21014;
const UINT kStrCaption = 30000;
const UINT kStrSizeName = 30001;
const DWORD kHelpTopic = 3111;

const int kSizeMin = 8;
const int kSizeMax = 400;
const int kAngleMax = 900;
const int kLastSlot = WATERMARK_SLOTS - 1;

const WCHAR kDefaultFace[] = u"ＭＳ Ｐゴシック";

// The controls that edit the selected watermark: disabled while slot 0
// ("no watermark") is selected, as it cannot be edited or deleted.
const int kEditControls[] = {IDC_WME_DELETE,    IDC_WME_TEXT,     IDC_WME_FACE,     IDC_WME_STYLE,
                             IDC_WME_SIZE,      IDC_WME_SIZEBAR,  IDC_WME_SIZESPIN, IDC_WME_ANGLE,
                             IDC_WME_ANGLESPIN, IDC_WME_ANGLEBAR, IDC_WME_YBAR,     IDC_WME_XBAR,
                             IDC_WME_CENTRE,    IDC_WME_DENSITY,  IDC_WME_DEFAULTS, IDC_WME_SELCOLOR};

WATERMARKEDITSTATE* _State(HWND hDlg)
{
    return (WATERMARKEDITSTATE*)DlgGetBlock(hDlg);
}

WATERMARK* _Template(UISETTINGS* pObj)
{
    WATERMARKLIST* pList = GetWatermarkList(pObj);
    return pList ? pList->pCurrent : nullptr;
}

// The selected record; null without a list.
WATERMARK* _Selected(WATERMARKEDITSTATE* p)
{
    WATERMARK* pRecs = p ? GetWatermarkRecords(p->pObj) : nullptr;
    return pRecs && p->wSel < WATERMARK_SLOTS ? &pRecs[p->wSel] : nullptr;
}

// The state when the editor can work: a state, a list and its records.
WATERMARKEDITSTATE* _Working(HWND hDlg)
{
    WATERMARKEDITSTATE* p = _State(hDlg);
    return p && GetWatermarkRecords(p->pObj) && _Template(p->pObj) ? p : nullptr;
}

int _Count(UISETTINGS* pObj)
{
    int n = WatermarkListCount(GetWatermarkList(pObj));
    return n < 1 ? 1 : n;
}

void _CopyText(WCHAR* pszOut, const WCHAR* pszIn, int cchMax)
{
    // At most cchMax - 1 characters, zero-padded to the field's end.
    memset(pszOut, 0, cchMax * sizeof(WCHAR));
    for (int i = 0; i < cchMax - 1 && pszIn[i]; ++i)
        pszOut[i] = pszIn[i];
}

void _Mirror(WATERMARKEDITSTATE* p)
{
    const WATERMARK* w = _Selected(p);
    if (!w)
        return;
    p->sSize = (SHORT)w->dwSize;
    p->sAngle = (SHORT)w->lAngle;
    p->sDensity = (SHORT)w->dwColor;
    p->sX = (SHORT)(LONG)w->dwCenterX;
    p->sY = (SHORT)(LONG)w->dwCenterY;
}

LONG _FontHeight(int iSize)
{
    return iSize > 7 ? -(iSize / 6) : -1;
}

void _SetStyleFont(WATERMARKEDITSTATE* p, DWORD dwStyle)
{
    p->lf.lfWeight = (dwStyle == 2 || dwStyle == 4) ? 700 : 400;
    p->lf.lfItalic = (dwStyle == 3 || dwStyle == 4) ? 1 : 0;
}

void _InvalidatePreview(HWND hDlg, WATERMARKEDITSTATE* p, BOOL bSample)
{
    InvalidateRect(hDlg, &p->rcArea, FALSE);
    if (bSample)
        InvalidateRect(hDlg, &p->rcSample, FALSE);
}

void _FormatMm(HWND hDlg, int id, LONG lTenths)
{
    WCHAR sz[24];
    DlgFormat(sz, 24, u"%dmm", (int)(lTenths / 10));
    SetDlgItemTextW(hDlg, id, sz);
}

// Pixel offsets of the text from the positions (1/10 mm) and back.
LONG _PixelsOf(LONG lPos, LONG lPagePixels, LONG lPaper)
{
    return lPaper > 0 ? lPagePixels * lPos * 10 / lPaper : 0;
}

LONG _PositionOf(LONG lPixels, LONG lPagePixels, LONG lPaper)
{
    return lPagePixels > 0 ? lPixels * lPaper / lPagePixels / 10 : 0;
}

void _ShowX(HWND hDlg, WATERMARKEDITSTATE* p)
{
    p->ptOffset.x = _PixelsOf(p->sX, p->rcPage.right - p->rcPage.left, p->lWidth);
    SetScrollPos(GetDlgItem(hDlg, IDC_WME_XBAR), SB_CTL, p->sX, TRUE);
    _FormatMm(hDlg, IDC_WME_XTEXT, p->sX);
}

void _ShowY(HWND hDlg, WATERMARKEDITSTATE* p)
{
    p->ptOffset.y = _PixelsOf(p->sY, p->rcPage.bottom - p->rcPage.top, p->lLength);
    SetScrollPos(GetDlgItem(hDlg, IDC_WME_YBAR), SB_CTL, p->sY, TRUE);
    _FormatMm(hDlg, IDC_WME_YTEXT, -p->sY);
}

void _StoreSize(HWND hDlg, WATERMARKEDITSTATE* p, int n)
{
    WATERMARK* w = _Selected(p);
    if (w)
        w->dwSize = (DWORD)n;
    p->sSize = (SHORT)n;
    p->lf.lfHeight = _FontHeight(n);
    SetScrollPos(GetDlgItem(hDlg, IDC_WME_SIZEBAR), SB_CTL, n, TRUE);
}

void _StoreAngle(HWND hDlg, WATERMARKEDITSTATE* p, int v)
{
    WATERMARK* w = _Selected(p);
    if (w)
        w->lAngle = v;
    p->sAngle = (SHORT)v;
    p->lf.lfEscapement = v;
    p->lf.lfOrientation = v;
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLEBAR, TBM_SETPOS, TRUE, v / 10);
}

void _StoreX(HWND hDlg, WATERMARKEDITSTATE* p, LONG x)
{
    if (WATERMARK* w = _Selected(p))
        w->dwCenterX = (DWORD)x;
    p->sX = (SHORT)x;
    _ShowX(hDlg, p);
}

void _StoreY(HWND hDlg, WATERMARKEDITSTATE* p, LONG y)
{
    if (WATERMARK* w = _Selected(p))
        w->dwCenterY = (DWORD)y;
    p->sY = (SHORT)y;
    _ShowY(hDlg, p);
}

// ---- Edit filters ----

// The text of an edit as it would be with its selection removed, and where
// a typed character would go.
struct EDITVIEW {
    WCHAR sz[40];
    int cch;        // without the selection
    int iCaret;     // where the character goes
    bool bSelection;
};

void _ViewEdit(HWND hwnd, EDITVIEW* v)
{
    WCHAR sz[40] = {};
    GetWindowTextW(hwnd, sz, 40);
    DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
    int cchAll = lstrlenW(sz);
    int iStart = LOWORD(dwSel), iEnd = HIWORD(dwSel);
    if (iStart > iEnd) {
        int t = iStart;
        iStart = iEnd;
        iEnd = t;
    }
    if (iEnd > cchAll)
        iEnd = cchAll;
    if (iStart > iEnd)
        iStart = iEnd;
    v->bSelection = iEnd > iStart;
    int k = 0;
    for (int i = 0; i < cchAll; ++i)
        if (i < iStart || i >= iEnd)
            v->sz[k++] = sz[i];
    v->sz[k] = 0;
    v->cch = k;
    v->iCaret = iStart;
}

// TRUE when the character must be refused.
bool _RefuseText(const EDITVIEW& v)
{
    return !v.bSelection && v.cch >= WATERMARK_TEXT_CCH - 1;
}

bool _RefuseSize(const EDITVIEW& v, WCHAR ch)
{
    if (ch < u'0' || ch > u'9')
        return true;
    if (ch == u'0' && (v.iCaret == 0 || (v.iCaret == 1 && v.sz[0] == u'0')))
        return true;
    return !v.bSelection && v.cch >= 3;
}

bool _RefuseAngle(const EDITVIEW& v, WCHAR ch)
{
    const bool bMinus = v.cch > 0 && v.sz[0] == u'-';
    if (!v.bSelection && v.cch >= 3)
        return true;
    // Nothing goes before a leading minus.
    if (bMinus && v.iCaret == 0)
        return true;
    if (ch == u'-') {
        if (v.iCaret != 0 || bMinus)
            return true;
        if (v.cch == 0)
            return false;
        int n = 0;
        for (int i = 0; i < v.cch; ++i)
            n = n * 10 + (v.sz[i] - u'0');
        return n > 90;
    }
    if (ch < u'0' || ch > u'9')
        return true;
    if (ch == u'0') {
        if (v.iCaret == 0 && v.cch > 0)
            return true;
        if (v.iCaret == 1 && (v.sz[0] == u'0' || v.sz[0] == u'-'))
            return true;
    }
    return false;
}

bool _LeaveSize(HWND hDlg, WATERMARKEDITSTATE* p);

LRESULT CALLBACK _EditFilterProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    WATERMARKEDITSTATE* p = _State(hDlg);
    const int id = GetDlgCtrlID(hwnd);
    LONG_PTR pfn = 0;
    if (p)
        pfn = id == IDC_WME_TEXT ? p->pfnText : id == IDC_WME_SIZE ? p->pfnSize : p->pfnAngle;
    if (uMsg == WM_CHAR && (WCHAR)wParam >= 0x20) {
        const WCHAR ch = (WCHAR)wParam;
        EDITVIEW v;
        _ViewEdit(hwnd, &v);
        bool bRefuse = id == IDC_WME_TEXT ? _RefuseText(v) : id == IDC_WME_SIZE ? _RefuseSize(v, ch)
                                                                                : _RefuseAngle(v, ch);
        if (bRefuse) {
            MessageBeep(0);
            return 0;
        }
    }
    if (uMsg == WM_KILLFOCUS && id == IDC_WME_SIZE && p && p->bValidating != 2 && !p->bChecking) {
        // Leaving for Cancel, Defaults or Delete checks nothing; OK checks
        // the size itself.
        HWND hTo = (HWND)wParam;
        int idTo = hTo && GetParent(hTo) == hDlg ? GetDlgCtrlID(hTo) : 0;
        bool bFree = idTo == IDCANCEL || idTo == IDOK || idTo == IDC_WME_DEFAULTS || idTo == IDC_WME_DELETE;
        if (!bFree && hTo && !_LeaveSize(hDlg, p))
            return 0;
    }
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

// ---- Ending ----

void _FreeState(HWND hDlg)
{
    WATERMARKEDITSTATE* p = _State(hDlg);
    if (!p)
        return;
    RestoreEditProc(hDlg, IDC_WME_TEXT, p->pfnText);
    RestoreEditProc(hDlg, IDC_WME_SIZE, p->pfnSize);
    RestoreEditProc(hDlg, IDC_WME_ANGLE, p->pfnAngle);
    SetClassLongPtrW(hDlg, GCLP_HCURSOR, (LONG_PTR)p->hcurClass);
    if (p->hcurPage)
        DestroyCursor(p->hcurPage);
    if (p->hcurDrag)
        DestroyCursor(p->hcurDrag);
    DlgFreeBlock(hDlg);
}

void _End(HWND hDlg, int iResult)
{
    _FreeState(hDlg);
    EndDialog(hDlg, iResult);
}

// ---- Changes from the controls ----

void _OnTextChange(HWND hDlg, WATERMARKEDITSTATE* p)
{
    WATERMARK* w = _Selected(p);
    if (!w || p->wSel == 0)
        return;
    WCHAR sz[40] = {};
    GetDlgItemTextW(hDlg, IDC_WME_TEXT, sz, WATERMARK_TEXT_CCH);
    if (memcmp(sz, w->szText, WATERMARK_TEXT_CCH * sizeof(WCHAR)) == 0)
        return;
    _CopyText(w->szText, sz, WATERMARK_TEXT_CCH);
    HWND hList = GetDlgItem(hDlg, IDC_WME_LIST);
    SendMessageW(hList, LB_DELETESTRING, p->wSel, 0);
    SendMessageW(hList, LB_INSERTSTRING, p->wSel, (LPARAM)w->szText);
    SendMessageW(hList, LB_SETCURSEL, p->wSel, 0);
    _InvalidatePreview(hDlg, p, FALSE);
}

void _OnFaceChange(HWND hDlg, WATERMARKEDITSTATE* p)
{
    WATERMARK* w = _Selected(p);
    HWND hCombo = GetDlgItem(hDlg, IDC_WME_FACE);
    LRESULT k = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    if (!w || p->wSel == 0 || k < 0)
        return;
    WCHAR sz[LF_FACESIZE + 8] = {};
    if (SendMessageW(hCombo, CB_GETLBTEXTLEN, k, 0) >= WATERMARK_FACE_CCH)
        return;  // no face name of the list is that long; nothing is cut
    SendMessageW(hCombo, CB_GETLBTEXT, k, (LPARAM)sz);
    _CopyText(w->szFace, sz, WATERMARK_FACE_CCH);
    *WatermarkEditRefreshMask(p->pObj) |= WMEREF_FACE;
    RefreshWatermarkEditDlg(hDlg, p->pObj);
    _InvalidatePreview(hDlg, p, FALSE);
}

void _OnStyleChange(HWND hDlg, WATERMARKEDITSTATE* p)
{
    WATERMARK* w = _Selected(p);
    LRESULT k = SendDlgItemMessageW(hDlg, IDC_WME_STYLE, CB_GETCURSEL, 0, 0);
    if (!w || p->wSel == 0 || k < 0 || k > 3)
        return;
    w->dwStyle = (DWORD)k + 1;
    _SetStyleFont(p, w->dwStyle);
    _InvalidatePreview(hDlg, p, FALSE);
}

void _OnSizeChange(HWND hDlg, WATERMARKEDITSTATE* p)
{
    WATERMARK* w = _Selected(p);
    if (!w || p->wSel == 0)
        return;
    WCHAR sz[8] = {};
    GetDlgItemTextW(hDlg, IDC_WME_SIZE, sz, 8);
    if (!sz[0]) {
        // Nothing to print at: the size check on leaving or at OK asks for
        // a size.
        w->dwSize = 0;
        p->sSize = 0;
        return;
    }
    BOOL bOk = FALSE;
    UINT u = GetDlgItemInt(hDlg, IDC_WME_SIZE, &bOk, FALSE);
    if (!bOk)
        return;
    int n = u > 0x7FFF ? 0x7FFF : (int)u;
    if (n == p->sSize)
        return;
    if (n > kSizeMax) {
        n = kSizeMax;
        p->sSize = (SHORT)n;
        SetDlgItemInt(hDlg, IDC_WME_SIZE, (UINT)n, FALSE);
        HWND hEdit = GetDlgItem(hDlg, IDC_WME_SIZE);
        SetFocus(hEdit);
        SendMessageW(hEdit, EM_SETSEL, 0, -1);
    }
    // A number below the smallest size is kept while it is typed, as more
    // digits may follow ("5" on the way to "50"); leaving the edit makes it
    // the smallest size, and OK refuses it.
    _StoreSize(hDlg, p, n);
    _InvalidatePreview(hDlg, p, FALSE);
}

// Leaving the size edit: a number below the smallest size becomes the
// smallest size; an empty edit gets the size check and its warning.
bool _LeaveSize(HWND hDlg, WATERMARKEDITSTATE* p)
{
    WATERMARK* w = _Selected(p);
    if (!w || p->wSel == 0)
        return true;
    const int n = (int)(LONG)w->dwSize;
    if (n >= 1 && n < kSizeMin) {
        _StoreSize(hDlg, p, kSizeMin);
        SetDlgItemInt(hDlg, IDC_WME_SIZE, (UINT)kSizeMin, FALSE);
        _InvalidatePreview(hDlg, p, FALSE);
        return true;
    }
    return bCheckWatermarkSize(hDlg) != FALSE;
}

void _OnAngleChange(HWND hDlg, WATERMARKEDITSTATE* p)
{
    if (!_Selected(p) || p->wSel == 0)
        return;
    BOOL bOk = FALSE;
    int n = (int)GetDlgItemInt(hDlg, IDC_WME_ANGLE, &bOk, TRUE);
    if (!bOk)
        return;  // empty, or a lone minus while it is typed
    if (n > 999)
        n = 999;
    if (n < -999)
        n = -999;
    int v = n * 10;
    if (v == p->sAngle)
        return;
    if (v < -kAngleMax || v > kAngleMax) {
        v = v < 0 ? -kAngleMax : kAngleMax;
        p->sAngle = (SHORT)v;
        SetDlgItemInt(hDlg, IDC_WME_ANGLE, (UINT)(v / 10), TRUE);
        SendDlgItemMessageW(hDlg, IDC_WME_ANGLE, EM_SETSEL, 3, 3);
    }
    _StoreAngle(hDlg, p, v);
    _InvalidatePreview(hDlg, p, FALSE);
}

void _OnCentre(HWND hDlg, WATERMARKEDITSTATE* p)
{
    if (!_Selected(p) || p->wSel == 0)
        return;
    _StoreX(hDlg, p, 0);
    _StoreY(hDlg, p, 0);
    _InvalidatePreview(hDlg, p, FALSE);
}

void _EnableNew(HWND hDlg, UISETTINGS* pObj)
{
    EnableWindow(GetDlgItem(hDlg, IDC_WME_NEW), _Count(pObj) < WATERMARK_SLOTS);
}

// ---- The picture ----

void _Paint(HWND hDlg, HDC hdc)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    if (!p || IsRectEmpty(&p->rcPage))
        return;
    const WATERMARK* w = _Selected(p);
    const int d = p->sDensity & 0xFF;
    HBRUSH hbrFrame = CreateSolidBrush(RGB(0, 0, 0));
    FrameRect(hdc, &p->rcPage, hbrFrame);
    DeleteObject(hbrFrame);
    HBRUSH hbrSample = CreateSolidBrush(RGB(d, d, d));
    FillRect(hdc, &p->rcSample, hbrSample);
    DeleteObject(hbrSample);

    WCHAR szText[WATERMARK_TEXT_CCH + 1] = {};
    if (w && p->wSel != 0)
        memcpy(szText, w->szText, sizeof(w->szText));
    const int cch = lstrlenW(szText);

    LOGFONTW lf = p->lf;
    if (lf.lfHeight > 0)
        lf.lfHeight = -lf.lfHeight;
    HFONT hFont = CreateFontIndirectW(&lf);
    HGDIOBJ hOldFont = hFont ? SelectObject(hdc, hFont) : nullptr;
    TEXTMETRICW tm = {};
    if (hFont && GetTextMetricsW(hdc, &tm) && tm.tmInternalLeading / 2 < -lf.lfHeight) {
        // The height asked for is the characters' own: the cell grows by
        // half its leading.
        lf.lfHeight -= tm.tmInternalLeading / 2;
        HFONT hBigger = CreateFontIndirectW(&lf);
        if (hBigger) {
            SelectObject(hdc, hBigger);
            DeleteObject(hFont);
            hFont = hBigger;
        }
    }
    SetTextColor(hdc, RGB(d, d, d));
    SetBkColor(hdc, RGB(255, 255, 255));
    UINT uAlign = SetTextAlign(hdc, TA_CENTER | TA_BOTTOM);
    SIZE sz = {};
    GetTextExtentPoint32W(hdc, szText, cch, &sz);
    const LONG h = sz.cy / 2;
    const LONG dx = SinTenthDegree(p->sAngle) * 10000 / 16384 * h / 10000;
    const LONG dy = CosTenthDegree(p->sAngle) * 10000 / 16384 * h / 10000;
    const int x = p->ptCentre.x + dx + p->ptOffset.x;
    const int y = p->ptCentre.y + dy + p->ptOffset.y;
    ExtTextOutW(hdc, x, y, ETO_CLIPPED | ETO_OPAQUE, &p->rcInner, szText, (UINT)cch, nullptr);
    SetTextAlign(hdc, uAlign);
    if (hOldFont)
        SelectObject(hdc, hOldFont);
    if (hFont)
        DeleteObject(hFont);
    if (cch) {
        int iSaved = SaveDC(hdc);
        IntersectClipRect(hdc, p->rcInner.left, p->rcInner.top, p->rcInner.right, p->rcInner.bottom);
        DrawPreviewBlueLine(hdc, p->ptCentre.x + p->ptOffset.x, p->ptCentre.y + p->ptOffset.y);
        RestoreDC(hdc, iSaved);
    }
}

// ---- Geometry ----

void _ControlRect(HWND hDlg, int id, RECT* prc)
{
    SetRectEmpty(prc);
    HWND h = GetDlgItem(hDlg, id);
    if (!h)
        return;
    GetWindowRect(h, prc);
    RectScreenToClient(hDlg, prc);
    // The statics only place the picture and the sample; the dialog
    // paints them.
    ShowWindow(h, SW_HIDE);
}

void _Geometry(HWND hDlg, WATERMARKEDITSTATE* p)
{
    RECT rc;
    _ControlRect(hDlg, IDC_WME_PAGE, &rc);
    _ControlRect(hDlg, IDC_WME_SAMPLE, &p->rcSample);
    LONG hw = (rc.right - rc.left) / 2, hh = (rc.bottom - rc.top) / 2;
    if (hw > hh) {
        rc.left += hw - hh;
        rc.right -= hw - hh;
    } else {
        rc.top += hh - hw;
        rc.bottom -= hh - hw;
    }
    const LONG s = hw < hh ? hw : hh;
    p->rcArea = rc;
    p->alHalf[0] = p->alHalf[1] = s;
    p->ptCentre.x = rc.left + s;
    p->ptCentre.y = rc.top + s;
    LONG lWidth = 0, lLength = 0, lMaxW = 0, lMaxL = 0;
    GetPaperSizeMm100(GetParamEdited(p->pObj, kParamPaper), &lWidth, &lLength);
    if (GetParamEdited(p->pObj, kParamOrientation) == 2) {
        LONG t = lWidth;
        lWidth = lLength;
        lLength = t;
    }
    GetPaperMaxExtent(&lMaxW, &lMaxL);
    const LONG lMax = lMaxW > lMaxL ? lMaxW : lMaxL;
    if (lWidth <= 0 || lLength <= 0 || lMax <= 0) {
        // No known paper: an A4 page.
        lWidth = 21000;
        lLength = 29700;
    }
    p->lWidth = lWidth;
    p->lLength = lLength;
    WatermarkPageRect(p->ptCentre.x, p->ptCentre.y, s, lWidth, lLength, lMax > 0 ? lMax : 42000, &p->rcPage);
    p->rcInner = p->rcPage;
    InflateRect(&p->rcInner, -1, -1);
    SetScrollRange(GetDlgItem(hDlg, IDC_WME_XBAR), SB_CTL, -(lWidth / 20), lWidth / 20, FALSE);
    SetScrollRange(GetDlgItem(hDlg, IDC_WME_YBAR), SB_CTL, -(lLength / 20), lLength / 20, FALSE);
    _ShowX(hDlg, p);
    _ShowY(hDlg, p);
}

bool _Inside(const RECT& rc, POINT pt)
{
    return pt.x > rc.left && pt.x < rc.right && pt.y > rc.top && pt.y < rc.bottom;
}

void _MoveTo(HWND hDlg, WATERMARKEDITSTATE* p, POINT pt)
{
    p->ptOffset.x = pt.x - p->ptCentre.x;
    p->ptOffset.y = pt.y - p->ptCentre.y;
    SetCursor(p->hcurDrag);
    LONG x = _PositionOf(p->ptOffset.x, p->rcPage.right - p->rcPage.left, p->lWidth);
    LONG y = _PositionOf(p->ptOffset.y, p->rcPage.bottom - p->rcPage.top, p->lLength);
    if (WATERMARK* w = _Selected(p)) {
        w->dwCenterX = (DWORD)x;
        w->dwCenterY = (DWORD)y;
    }
    p->sX = (SHORT)x;
    p->sY = (SHORT)y;
    // The text stays where the pointer put it; the bars and texts follow.
    SetScrollPos(GetDlgItem(hDlg, IDC_WME_XBAR), SB_CTL, x, TRUE);
    SetScrollPos(GetDlgItem(hDlg, IDC_WME_YBAR), SB_CTL, y, TRUE);
    _FormatMm(hDlg, IDC_WME_XTEXT, x);
    _FormatMm(hDlg, IDC_WME_YTEXT, -y);
    _InvalidatePreview(hDlg, p, FALSE);
}

}  // namespace

// ---------------------------------------------------------------------------

DWORD* WatermarkEditRefreshMask(UISETTINGS* pObj)
{
    DWORD* pWords = DlgStateWords(pObj);
    return pWords ? &pWords[DLGWORD_WMEDIT_DIRTY] : nullptr;
}

WATERMARKLIST* GetWatermarkList(UISETTINGS* pObj)
{
    return pObj && pObj->trailer.pListSet ? pObj->trailer.pListSet->pWatermark : nullptr;
}

WATERMARK* GetWatermarkRecords(UISETTINGS* pObj)
{
    WATERMARKLIST* pList = GetWatermarkList(pObj);
    return pList ? pList->pRecords : nullptr;
}

void FillWatermarkList(HWND hDlg)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    HWND hList = GetDlgItem(hDlg, IDC_WME_LIST);
    if (!p || !hList)
        return;
    WATERMARK* pRecs = GetWatermarkRecords(p->pObj);
    SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    const int n = _Count(p->pObj);
    for (int i = 1; i < n; ++i) {
        WCHAR sz[WATERMARK_TEXT_CCH + 1] = {};
        memcpy(sz, pRecs[i].szText, sizeof(pRecs[i].szText));
        SendMessageW(hList, LB_ADDSTRING, 0, (LPARAM)sz);
    }
    _EnableNew(hDlg, p->pObj);
    SendMessageW(hList, LB_INSERTSTRING, 0, (LPARAM)GetResString(kStrNone));
    LRESULT cy = SendMessageW(hList, LB_GETITEMHEIGHT, 0, 0);
    if (cy > 0)
        SendMessageW(hList, LB_SETITEMHEIGHT, 0, cy + 2);
}

BOOL AddWatermarkToList(HWND hDlg)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    if (!p)
        return FALSE;
    WATERMARKLIST* pList = GetWatermarkList(p->pObj);
    const int n = _Count(p->pObj);
    if (n >= WATERMARK_SLOTS)
        return FALSE;
    HWND hList = GetDlgItem(hDlg, IDC_WME_LIST);
    SendMessageW(hList, LB_ADDSTRING, 0, (LPARAM)u"");
    pList->pRecords[n] = *pList->pCurrent;
    pList->sCount = (SHORT)(n + 1);
    p->wSel = (WORD)n;
    SendMessageW(hList, LB_SETCURSEL, n, 0);
    _Mirror(p);
    return TRUE;
}

BOOL DeleteWatermarkFromList(HWND hDlg)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    if (!p)
        return FALSE;
    WATERMARKLIST* pList = GetWatermarkList(p->pObj);
    const int n = _Count(p->pObj);
    const int k = p->wSel;
    if (k == 0 || k >= n)
        return FALSE;
    HWND hList = GetDlgItem(hDlg, IDC_WME_LIST);
    SendMessageW(hList, LB_DELETESTRING, k, 0);
    for (int i = k; i < n - 1 && i < kLastSlot; ++i)
        pList->pRecords[i] = pList->pRecords[i + 1];
    memset(&pList->pRecords[n - 1], 0, sizeof(WATERMARK));
    pList->sCount = (SHORT)(n - 1);
    p->wSel = (WORD)(k - 1);
    SendMessageW(hList, LB_SETCURSEL, p->wSel, 0);
    _Mirror(p);
    return TRUE;
}

void CopyWatermarkFields(HWND hDlg, DWORD dwMask, int index)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    if (!p || index <= 0 || index >= WATERMARK_SLOTS)
        return;
    const WATERMARK* t = _Template(p->pObj);
    WATERMARK* w = &GetWatermarkRecords(p->pObj)[index];
    if (dwMask & WMCOPY_TEXT)
        memcpy(w->szText, t->szText, sizeof(w->szText));
    if (dwMask & WMCOPY_FACE)
        memcpy(w->szFace, t->szFace, sizeof(w->szFace));
    if (dwMask & WMCOPY_STYLE)
        w->dwStyle = t->dwStyle;
    if (dwMask & WMCOPY_SIZE)
        w->dwSize = t->dwSize;
    if (dwMask & WMCOPY_ANGLE)
        w->lAngle = t->lAngle;
    if (dwMask & WMCOPY_SELCOLOR)
        w->dwSelectColor = t->dwSelectColor;
    if (dwMask & WMCOPY_DENSITY)
        w->dwColor = t->dwColor;
    if (dwMask & WMCOPY_X)
        w->dwCenterX = t->dwCenterX;
    if (dwMask & WMCOPY_Y)
        w->dwCenterY = t->dwCenterY;
    if (index == p->wSel)
        _Mirror(p);
}

void EnableWatermarkEditControls(HWND hDlg, BOOL bEnable)
{
    for (int id : kEditControls) {
        if (HWND h = GetDlgItem(hDlg, id)) {
            EnableWindow(h, bEnable);
            EnableFieldLabels(h, bEnable);
        }
    }
    // The texts that go with the fields look as the fields do: the size
    // bar's ends, the angle's unit, the position's read-outs with their
    // labels, the density bar's ends.
    for (int id : {IDC_WME_SIZEMIN, IDC_WME_SIZEMAX, IDC_WME_DEGREES, IDC_WME_XTEXT, IDC_WME_YTEXT, IDC_WME_LIGHT,
                   IDC_WME_DARK}) {
        if (HWND h = GetDlgItem(hDlg, id)) {
            EnableWindow(h, bEnable);
            EnableFieldLabels(h, bEnable);
        }
    }
}

void RefreshWatermarkEditDlg(HWND hDlg, UISETTINGS* pObj)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    DWORD* pMask = WatermarkEditRefreshMask(pObj);
    WATERMARK* w = p ? _Selected(p) : nullptr;
    if (!w || !pMask)
        return;
    const DWORD m = *pMask;
    if (m & WMEREF_LIST) {
        SendDlgItemMessageW(hDlg, IDC_WME_LIST, LB_SETCURSEL, p->wSel, 0);
        *pMask &= ~WMEREF_LIST;
    }
    if (m & WMEREF_TEXT) {
        WCHAR sz[WATERMARK_TEXT_CCH + 1] = {};
        memcpy(sz, w->szText, sizeof(w->szText));
        SetDlgItemTextW(hDlg, IDC_WME_TEXT, sz);
        *pMask &= ~WMEREF_TEXT;
    }
    if (m & WMEREF_FACE) {
        WCHAR szFace[WATERMARK_FACE_CCH + 1] = {};
        memcpy(szFace, w->szFace, sizeof(w->szFace));
        HWND hCombo = GetDlgItem(hDlg, IDC_WME_FACE);
        LRESULT k = SendMessageW(hCombo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)szFace);
        if (k < 0)
            k = SendMessageW(hCombo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)kDefaultFace);
        if (k < 0)
            k = 0;
        SendMessageW(hCombo, CB_SETCURSEL, k, 0);
        // The record keeps its face even when it is not installed; the
        // character set and pitch come from the installed font of that name.
        FONTFAMILYWANT want = {};
        want.lf.lfCharSet = 128;
        want.lf.lfPitchAndFamily = 50;
        want.pszFace = szFace;
        HDC hdc = GetDC(hDlg);
        if (hdc) {
            EnumFontFamiliesW(hdc, nullptr, FontFamilyEnumProc, (LPARAM)&want);
            ReleaseDC(hDlg, hdc);
        }
        lstrcpynW(p->lf.lfFaceName, szFace, LF_FACESIZE);
        p->lf.lfCharSet = want.lf.lfCharSet;
        p->lf.lfPitchAndFamily = want.lf.lfPitchAndFamily;
        *pMask &= ~WMEREF_FACE;
    }
    if (m & WMEREF_STYLE) {
        DWORD dwStyle = w->dwStyle >= 1 && w->dwStyle <= 4 ? w->dwStyle : 1;
        SendDlgItemMessageW(hDlg, IDC_WME_STYLE, CB_SETCURSEL, dwStyle - 1, 0);
        _SetStyleFont(p, dwStyle);
        *pMask &= ~WMEREF_STYLE;
    }
    if (m & WMEREF_SIZE) {
        int n = (int)(LONG)w->dwSize;
        n = n < kSizeMin ? kSizeMin : n > kSizeMax ? kSizeMax : n;
        w->dwSize = (DWORD)n;
        p->sSize = (SHORT)n;
        SetDlgItemInt(hDlg, IDC_WME_SIZE, (UINT)n, FALSE);
        _StoreSize(hDlg, p, n);
        *pMask &= ~WMEREF_SIZE;
    }
    if (m & WMEREF_ANGLE) {
        int v = (int)w->lAngle;
        v = v < -kAngleMax ? -kAngleMax : v > kAngleMax ? kAngleMax : v;
        w->lAngle = v;
        p->sAngle = (SHORT)v;
        SetDlgItemInt(hDlg, IDC_WME_ANGLE, (UINT)(v / 10), TRUE);
        _StoreAngle(hDlg, p, v);
        *pMask &= ~WMEREF_ANGLE;
    }
    if (m & WMEREF_SELCOLOR) {
        SendDlgItemMessageW(hDlg, IDC_WME_SELCOLOR, CB_SETCURSEL, w->dwSelectColor, 0);
        *pMask &= ~WMEREF_SELCOLOR;
    }
    if (m & WMEREF_DENSITY) {
        p->sDensity = (SHORT)(w->dwColor & 0xFF);
        SendDlgItemMessageW(hDlg, IDC_WME_DENSITY, TBM_SETPOS, TRUE, 255 - p->sDensity);
        *pMask &= ~WMEREF_DENSITY;
    }
    if (m & WMEREF_X) {
        p->sX = (SHORT)(LONG)w->dwCenterX;
        _ShowX(hDlg, p);
        *pMask &= ~WMEREF_X;
    }
    if (m & WMEREF_Y) {
        p->sY = (SHORT)(LONG)w->dwCenterY;
        _ShowY(hDlg, p);
        *pMask &= ~WMEREF_Y;
    }
    if (m)
        _InvalidatePreview(hDlg, p, TRUE);
}

int WatermarkEditUpdateControl(HWND hDlg, int id)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    DWORD* pMask = p ? WatermarkEditRefreshMask(p->pObj) : nullptr;
    if (!pMask)
        return 0;
    switch (id) {
    case IDC_WME_LIST:
        *pMask |= WMEREF_LIST;
        break;
    case IDC_WME_FACE:
        *pMask |= WMEREF_FACE;
        break;
    case IDC_WME_STYLE:
        *pMask |= WMEREF_STYLE;
        break;
    case IDC_WME_SELCOLOR:
        *pMask |= WMEREF_SELCOLOR;
        break;
    default:
        break;
    }
    RefreshWatermarkEditDlg(hDlg, p->pObj);
    return 0;
}

BOOL bCheckWatermarkSize(HWND hDlg)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    WATERMARK* w = p ? _Selected(p) : nullptr;
    if (!w)
        return TRUE;
    int n = (int)(LONG)w->dwSize;
    if (p->wSel == 0 || (n >= kSizeMin && n <= kSizeMax))
        return TRUE;
    p->bChecking = 1;
    HWND hFocus = GetFocus();
    const int idFocus = hFocus && GetParent(hFocus) == hDlg ? GetDlgCtrlID(hFocus) : 0;
    const bool bBar = idFocus == IDC_WME_SIZEBAR || idFocus == IDC_WME_ANGLEBAR || idFocus == IDC_WME_YBAR ||
                      idFocus == IDC_WME_XBAR || idFocus == IDC_WME_DENSITY;
    if (!bBar) {
        WCHAR szText[256];
        DlgFormat(szText, 256, GetResString(kStrRangeText), GetResString(kStrSizeName), kSizeMin, kSizeMax);
        MessageBoxW(hDlg, szText, GetResString(kStrCaption), MB_ICONWARNING);
        n = n < kSizeMin ? kSizeMin : kSizeMax;
        _StoreSize(hDlg, p, n);
    }
    HWND hEdit = GetDlgItem(hDlg, IDC_WME_SIZE);
    SetFocus(hEdit);
    SetDlgItemInt(hDlg, IDC_WME_SIZE, (UINT)n, FALSE);
    SendMessageW(hEdit, EM_SETSEL, 0, -1);
    p->bChecking = 0;
    return FALSE;
}

WATERMARKEDITSTATE* CreateWatermarkEditState(HWND hDlg, UISETTINGS* pObj)
{
    WATERMARKEDITSTATE* p = (WATERMARKEDITSTATE*)DlgAllocBlock(hDlg, sizeof(WATERMARKEDITSTATE));
    if (!p)
        return nullptr;
    p->pObj = pObj;
    BYTE* pCurrent = GetParamSlot(pObj, kParamCurrent);
    const int n = _Count(pObj);
    // A current index beyond the list (a list stored shorter since) is
    // "no watermark".
    p->wSel = pCurrent && *pCurrent < n ? *pCurrent : 0;
    _Mirror(p);
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLEBAR, TBM_SETPAGESIZE, 0, 10);
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLEBAR, TBM_SETLINESIZE, 0, 1);
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLEBAR, TBM_SETTICFREQ, 10, 0);
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLEBAR, TBM_SETRANGE, TRUE, MAKELONG(-90, 90));
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLEBAR, TBM_SETPOS, TRUE, p->sAngle / 10);
    SendDlgItemMessageW(hDlg, IDC_WME_DENSITY, TBM_SETPAGESIZE, 0, 10);
    SendDlgItemMessageW(hDlg, IDC_WME_DENSITY, TBM_SETLINESIZE, 0, 1);
    SendDlgItemMessageW(hDlg, IDC_WME_DENSITY, TBM_SETTICFREQ, 32, 0);
    SendDlgItemMessageW(hDlg, IDC_WME_DENSITY, TBM_SETRANGE, TRUE, MAKELONG(0, 255));
    SendDlgItemMessageW(hDlg, IDC_WME_DENSITY, TBM_SETPOS, TRUE, 255 - (p->sDensity & 0xFF));
    SendDlgItemMessageW(hDlg, IDC_WME_SIZESPIN, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, IDC_WME_SIZE), 0);
    SendDlgItemMessageW(hDlg, IDC_WME_SIZESPIN, UDM_SETRANGE, 0, MAKELONG(kSizeMax, kSizeMin));
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLESPIN, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, IDC_WME_ANGLE), 0);
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLESPIN, UDM_SETRANGE, 0, MAKELONG(90, -90));
    SendDlgItemMessageW(hDlg, IDC_WME_SIZE, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessageW(hDlg, IDC_WME_ANGLE, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessageW(hDlg, IDC_WME_TEXT, EM_LIMITTEXT, WATERMARK_TEXT_CCH - 1, 0);
    SetScrollRange(GetDlgItem(hDlg, IDC_WME_SIZEBAR), SB_CTL, kSizeMin, kSizeMax, FALSE);
    SetScrollPos(GetDlgItem(hDlg, IDC_WME_SIZEBAR), SB_CTL, p->sSize, TRUE);
    return p;
}

void InitWatermarkEditDlg(HWND hDlg, UISETTINGS* pObj)
{
    if (!GetWatermarkRecords(pObj) || !_Template(pObj))
        return;  // nothing to edit: the dialog stays empty
    WATERMARKEDITSTATE* p = CreateWatermarkEditState(hDlg, pObj);
    if (!p)
        return;
    // The editor sets the pointer itself over the page.
    p->hcurClass = (HCURSOR)SetClassLongPtrW(hDlg, GCLP_HCURSOR, 0);
    DWORD* pMask = WatermarkEditRefreshMask(pObj);
    *pMask = 1023;
    FillWatermarkList(hDlg);
    SendDlgItemMessageW(hDlg, IDC_WME_LIST, LB_SETCURSEL, p->wSel, 0);
    HWND hFace = GetDlgItem(hDlg, IDC_WME_FACE);
    if (HDC hdc = GetDC(hDlg)) {
        EnumFontFamiliesW(hdc, nullptr, AddFontNameToCombo, (LPARAM)hFace);
        ReleaseDC(hDlg, hdc);
    }
    for (UINT i = 0; i < 4; ++i)
        SendDlgItemMessageW(hDlg, IDC_WME_STYLE, CB_ADDSTRING, 0, (LPARAM)GetResString(kStrStyleFirst + i));
    EnableWatermarkEditControls(hDlg, p->wSel != 0);
    _Geometry(hDlg, p);
    p->hcurPage = LoadResCursor(GetResourceDllHandle(), MAKEINTRESOURCEW(11000));
    p->hcurDrag = LoadResCursor(GetResourceDllHandle(), MAKEINTRESOURCEW(11001));
    p->hcurArrow = LoadCursorW(nullptr, IDC_ARROW);
    RefreshWatermarkEditDlg(hDlg, pObj);
    p->pfnText = SubclassDlgEdit(hDlg, IDC_WME_TEXT, _EditFilterProc);
    p->pfnSize = SubclassDlgEdit(hDlg, IDC_WME_SIZE, _EditFilterProc);
    p->pfnAngle = SubclassDlgEdit(hDlg, IDC_WME_ANGLE, _EditFilterProc);
}

void OnWatermarkEditCommand(HWND hDlg, WPARAM wParam, LPARAM)
{
    const int id = LOWORD(wParam);
    const WORD wCode = HIWORD(wParam);
    WATERMARKEDITSTATE* p = _Working(hDlg);
    if (!p) {
        // Without a list the dialog can only be left.
        if (id == IDOK || id == IDCANCEL)
            _End(hDlg, IDCANCEL);
        return;
    }
    UISETTINGS* pObj = p->pObj;
    DWORD* pMask = WatermarkEditRefreshMask(pObj);
    SetActivePageId(pObj, kActivePage);
    switch (id) {
    case IDC_WME_LIST:
        if (wCode == LBN_SELCHANGE) {
            LRESULT k = SendDlgItemMessageW(hDlg, IDC_WME_LIST, LB_GETCURSEL, 0, 0);
            if (k < 0 || k >= _Count(pObj))
                return;
            p->wSel = (WORD)k;
            _Mirror(p);
            *pMask |= 1022;
            RefreshWatermarkEditDlg(hDlg, pObj);
            EnableWatermarkEditControls(hDlg, p->wSel != 0);
        }
        return;
    case IDC_WME_NEW:
        if (wCode == BN_CLICKED && AddWatermarkToList(hDlg)) {
            *pMask |= 1023;
            RefreshWatermarkEditDlg(hDlg, pObj);
            EnableWatermarkEditControls(hDlg, TRUE);
            SetDlgItemTextW(hDlg, IDC_WME_TEXT, u"");
            SetFocus(GetDlgItem(hDlg, IDC_WME_TEXT));
            if (p->wSel >= kLastSlot)
                EnableWindow(GetDlgItem(hDlg, IDC_WME_NEW), FALSE);
        }
        return;
    case IDC_WME_DELETE:
        if (wCode == BN_CLICKED && DeleteWatermarkFromList(hDlg)) {
            *pMask |= 1023;
            RefreshWatermarkEditDlg(hDlg, pObj);
            EnableWatermarkEditControls(hDlg, p->wSel != 0);
            _EnableNew(hDlg, pObj);
            if (p->wSel == 0)
                SetFocus(GetDlgItem(hDlg, IDC_WME_LIST));
        }
        return;
    case IDC_WME_TEXT:
        if (wCode == EN_CHANGE)
            _OnTextChange(hDlg, p);
        return;
    case IDC_WME_FACE:
        if (wCode == CBN_SELCHANGE)
            _OnFaceChange(hDlg, p);
        return;
    case IDC_WME_STYLE:
        if (wCode == CBN_SELCHANGE)
            _OnStyleChange(hDlg, p);
        return;
    case IDC_WME_SIZE:
        if (wCode == EN_CHANGE)
            _OnSizeChange(hDlg, p);
        return;
    case IDC_WME_ANGLE:
        if (wCode == EN_CHANGE)
            _OnAngleChange(hDlg, p);
        return;
    case IDC_WME_CENTRE:
        if (wCode == BN_CLICKED)
            _OnCentre(hDlg, p);
        return;
    case IDC_WME_DEFAULTS:
        if (wCode == BN_CLICKED && p->wSel != 0) {
            CopyWatermarkFields(hDlg, 510, p->wSel);
            *pMask |= 1020;
            RefreshWatermarkEditDlg(hDlg, pObj);
        }
        return;
    case IDC_WME_SELCOLOR:
        if (wCode == CBN_SELCHANGE && p->wSel != 0) {
            LRESULT k = SendDlgItemMessageW(hDlg, IDC_WME_SELCOLOR, CB_GETCURSEL, 0, 0);
            if (k >= 0)
                _Selected(p)->dwSelectColor = (DWORD)k;
            *pMask |= WMEREF_SELCOLOR;
            _InvalidatePreview(hDlg, p, FALSE);
        }
        return;
    case IDC_WME_HELP: {
        WCHAR szPath[HELPTABLE_PATH_CCH] = {};
        ShowDriverHelp(hDlg, szPath, HELP_CONTEXT, kHelpTopic);
        return;
    }
    case IDOK: {
        p->bValidating = 2;
        BOOL bOk = bCheckWatermarkSize(hDlg);
        p->bValidating = 0;
        if (!bOk)
            return;
        if (BYTE* pCurrent = GetParamSlot(pObj, kParamCurrent))
            *pCurrent = (BYTE)p->wSel;
        _End(hDlg, IDOK);
        return;
    }
    case IDCANCEL:
        _End(hDlg, IDCANCEL);
        return;
    default:
        return;
    }
}

void OnWatermarkEditScroll(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    HWND hCtl = (HWND)lParam;
    if (!p || !hCtl || p->wSel == 0)
        return;
    const int id = GetDlgCtrlID(hCtl);
    if (id == IDC_WME_ANGLEBAR) {
        int v = (int)SendMessageW(hCtl, TBM_GETPOS, 0, 0) * 10;
        if (v == p->sAngle)
            return;
        _StoreAngle(hDlg, p, v);
        SetDlgItemInt(hDlg, IDC_WME_ANGLE, (UINT)(v / 10), TRUE);
        _InvalidatePreview(hDlg, p, FALSE);
        return;
    }
    if (id == IDC_WME_DENSITY) {
        int d = 255 - (int)SendMessageW(hCtl, TBM_GETPOS, 0, 0);
        d = d < 0 ? 0 : d > 255 ? 255 : d;
        if (WATERMARK* w = _Selected(p))
            w->dwColor = (DWORD)d;
        p->sDensity = (SHORT)d;
        _InvalidatePreview(hDlg, p, TRUE);
        return;
    }
    if (id != IDC_WME_SIZEBAR && id != IDC_WME_XBAR && id != IDC_WME_YBAR)
        return;
    // The position bars move in millimetres.
    const bool bPosition = (uMsg == WM_HSCROLL && id == IDC_WME_XBAR) || (uMsg == WM_VSCROLL && id == IDC_WME_YBAR);
    const int iLine = bPosition ? 10 : 1, iPage = bPosition ? 100 : 10;
    int iMin = 0, iMax = 0;
    GetScrollRange(hCtl, SB_CTL, &iMin, &iMax);
    int iPos = GetScrollPos(hCtl, SB_CTL);
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        iPos -= iLine;
        break;
    case SB_LINEDOWN:
        iPos += iLine;
        break;
    case SB_PAGEUP:
        iPos -= iPage;
        break;
    case SB_PAGEDOWN:
        iPos += iPage;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        iPos = (SHORT)HIWORD(wParam);
        break;
    case SB_TOP:
        iPos = iMin;
        break;
    case SB_BOTTOM:
        iPos = iMax;
        break;
    default:
        return;
    }
    iPos = iPos < iMin ? iMin : iPos > iMax ? iMax : iPos;
    if (id == IDC_WME_SIZEBAR) {
        _StoreSize(hDlg, p, iPos);
        SetDlgItemInt(hDlg, IDC_WME_SIZE, (UINT)iPos, FALSE);
    } else if (id == IDC_WME_XBAR) {
        _StoreX(hDlg, p, iPos);
    } else {
        _StoreY(hDlg, p, iPos);
    }
    _InvalidatePreview(hDlg, p, FALSE);
}

void OnWatermarkEditMouse(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WATERMARKEDITSTATE* p = _Working(hDlg);
    if (!p || p->wSel == 0)
        return;
    POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
    const bool bInside = _Inside(p->rcPage, pt);
    switch (uMsg) {
    case WM_LBUTTONDOWN:
        if (bInside)
            _MoveTo(hDlg, p, pt);
        break;
    case WM_MOUSEMOVE:
        if (!bInside)
            SetCursor(p->hcurArrow);
        else if (wParam & MK_LBUTTON)
            _MoveTo(hDlg, p, pt);
        else
            SetCursor(p->hcurPage);
        break;
    case WM_LBUTTONUP:
        if (bInside)
            SetCursor(p->hcurPage);
        break;
    default:
        break;
    }
}

void PaintWatermarkEditPreview(HWND hDlg)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hDlg, &ps);
    if (hdc)
        _Paint(hDlg, hdc);
    EndPaint(hDlg, &ps);
}

INT_PTR CALLBACK WatermarkEditDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG:
        InitWatermarkEditDlg(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_PAINT:
        if (!_Working(hDlg))
            return FALSE;
        PaintWatermarkEditPreview(hDlg);
        return TRUE;
    case WM_COMMAND:
        OnWatermarkEditCommand(hDlg, wParam, lParam);
        return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnWatermarkEditScroll(hDlg, uMsg, wParam, lParam);
        return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        OnWatermarkEditMouse(hDlg, uMsg, wParam, lParam);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The group boxes around the page and the sample leave them showing.
        if (((HWND)lParam == GetDlgItem(hDlg, IDC_WME_POSGROUP) ||
             (HWND)lParam == GetDlgItem(hDlg, IDC_WME_DENSITYGROUP)) &&
            _Working(hDlg)) {
            SetBkMode((HDC)wParam, TRANSPARENT);
            return (INT_PTR)GetStockObject(NULL_BRUSH);
        }
        return FALSE;
    case WM_HELP:
    case WM_CONTEXTMENU:
        return HandleSubDlgHelp(hDlg, uMsg, wParam, lParam);
    case WM_DESTROY:
        // Closed without OK or Cancel: the state goes with the window.
        _FreeState(hDlg);
        return FALSE;
    default:
        return FALSE;
    }
}

void DrawPreviewBlueLine(HDC hdc, int x, int y)
{
    HPEN hPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ hOld = SelectObject(hdc, hPen);
    MoveToEx(hdc, x - 1, y, nullptr);
    LineTo(hdc, x + 2, y);
    MoveToEx(hdc, x, y - 1, nullptr);
    LineTo(hdc, x, y + 2);
    SelectObject(hdc, hOld);
    DeleteObject(hPen);
}
