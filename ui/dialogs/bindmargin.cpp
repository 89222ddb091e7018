// bindmargin.cpp: the binding margin dialog, its limits, its texts and its
// preview. See bindmargin.h.
#include "ui/dialogs/bindmargin.h"

#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/preview.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <algorithm>

namespace {

const WORD kPositionOption = 135;  // the option whose texts name the binding positions
const int kMaxPositions = 16;
const int kNoticeChars = 1024;     // 2048 bytes

struct MARGINDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    SHORT asPosition[kMaxPositions];
    SHORT sFrontUpper, sFrontLower, sBackUpper, sBackLower;
    DWORD bFrontAdjusted, bBackAdjusted, bModeForced;
    BYTE bSavedMode;
    SHORT sSavedPosition;
    BYTE bSavedEqual;
    SHORT sSavedFront, sSavedBack;
    LONG_PTR pfnFront, pfnBack;
    BYTE bValidating;
};

SHORT V(UISETTINGS* pObj, LPCWSTR k)
{
    return DlgGetSetting(pObj, k);
}

DWORD& Dirty(UISETTINGS* pObj)
{
    return DlgStateWords(pObj)[DLGWORD_MARGIN_DIRTY];
}

DWORD& NoticePending(UISETTINGS* pObj)
{
    return DlgStateWords(pObj)[DLGWORD_MARGIN_NOTICE];
}

MARGINDLG* Block(HWND hDlg)
{
    return (MARGINDLG*)DlgGetBlock(hDlg);
}

// The value of a margin edit: its leading digits (0 when it has none).
int EditNumber(HWND hDlg, int id, bool* pbClean)
{
    WCHAR sz[5] = {};
    GetDlgItemTextW(hDlg, id, sz, 5);
    int v = 0;
    bool bClean = sz[0] != 0;
    for (WCHAR* p = sz; *p; ++p) {
        if (*p < u'0' || *p > u'9') {
            bClean = false;
            break;
        }
        v = v * 10 + (*p - u'0');
    }
    if (pbClean)
        *pbClean = bClean;
    return v;
}

void SetEditNumber(HWND hDlg, int id, int v)
{
    WCHAR sz[16];
    DlgFormat(sz, 16, u"%d", v);
    SetDlgItemTextW(hDlg, id, sz);
}

void InvalidatePreview(HWND hDlg)
{
    HWND h = GetDlgItem(hDlg, IDC_BM_PICTURE);
    RECT rc;
    if (!h)
        return;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, hDlg, (POINT*)&rc, 2);
    InvalidateRect(hDlg, &rc, FALSE);
}

void EnableBack(HWND hDlg, BOOL b)
{
    for (int id = IDC_BM_BACKLABEL; id <= IDC_BM_BACKRANGE; ++id)
        EnableWindow(GetDlgItem(hDlg, id), b);
}

void Refresh(MARGINDLG* p)
{
    HWND hDlg = p->hDlg;
    UISETTINGS* pObj = p->pObj;
    DWORD& d = Dirty(pObj);
    if (d & 0x01) {
        CheckRadioButton(hDlg, IDC_BM_SHIFT, IDC_BM_REDUCE, V(pObj, u"lpMarginMode") == 2 ? IDC_BM_REDUCE : IDC_BM_SHIFT);
        InvalidatePreview(hDlg);
    }
    if (d & 0x02) {
        DlgFillListCombo(GetDlgItem(hDlg, IDC_BM_POSITION), pObj, IDC_BM_POSITION, p->asPosition, kMaxPositions,
                         BINDMARGIN_DIALOG_ITEM);
        InvalidatePreview(hDlg);
    }
    if (d & 0x0C)
        InvalidatePreview(hDlg);
    if (d & 0x10) {
        BOOL bEqual = V(pObj, u"MarginEqual_Check") == 1;
        EnableBack(hDlg, !bEqual);
        CheckDlgButton(hDlg, IDC_BM_SAME, bEqual ? BST_CHECKED : BST_UNCHECKED);
    }
    d = 0;
}

void ShowNoticeBox(HWND hDlg, LPCWSTR pszText)
{
    MessageBoxW(hDlg, pszText, GetResString(21019), MB_ICONINFORMATION);
}

// The limits in force, their texts and the spins; with bNotice the notice
// of what they changed is shown at once.
void ApplyLimits(MARGINDLG* p, BOOL bNotice)
{
    HWND hDlg = p->hDlg;
    UISETTINGS* pObj = p->pObj;
    MARGINLIMITS l;
    DWORD f = CalcBindingMarginLimits(pObj, &l);
    DLGRANGE rf = {}, rb = {};
    DlgGetRange(pObj, u"fMargin", &rf);
    DlgGetRange(pObj, u"bMargin", &rb);
    if (f & (BML_FRONT_NOROOM | BML_BACK_NOROOM)) {
        // No room to reduce: the image is shifted, within the records' own
        // ranges.
        p->bModeForced = 1;
        DlgSetSetting(pObj, u"lpMarginMode", 1);
        p->sFrontUpper = rf.sMax;
        p->sFrontLower = rf.sMin;
        p->sBackUpper = rb.sMax;
        p->sBackLower = rb.sMin;
        EnableWindow(GetDlgItem(hDlg, IDC_BM_REDUCE), FALSE);
        Dirty(pObj) |= 0x01;
    } else {
        p->sFrontUpper = l.sFrontUpper;
        p->sFrontLower = l.sFrontLower;
        p->sBackUpper = l.sBackUpper;
        p->sBackLower = l.sBackLower;
        if (f & BML_FRONT_LOWERED) {
            DlgSetSetting(pObj, u"fMargin", l.sFront);
            p->bFrontAdjusted = 1;
        }
        if (f & (BML_BACK_LOWERED | BML_BACK_EQUALISED)) {
            DlgSetSetting(pObj, u"bMargin", l.sBack);
            p->bBackAdjusted = 1;
        }
    }
    WCHAR sz[64];
    DlgFormat(sz, 64, u"(%d-%dmm)", p->sFrontLower, p->sFrontUpper);
    SetDlgItemTextW(hDlg, IDC_BM_FRONTRANGE, sz);
    DlgFormat(sz, 64, u"(%d-%dmm)", p->sBackLower, p->sBackUpper);
    SetDlgItemTextW(hDlg, IDC_BM_BACKRANGE, sz);
    SendDlgItemMessageW(hDlg, IDC_BM_FRONTSPIN, UDM_SETRANGE, 0, MAKELONG(p->sFrontUpper, p->sFrontLower));
    SendDlgItemMessageW(hDlg, IDC_BM_BACKSPIN, UDM_SETRANGE, 0, MAKELONG(p->sBackUpper, p->sBackLower));
    BYTE bValidating = p->bValidating;
    p->bValidating = 1;  // programmatic texts are not the user's typing
    SetEditNumber(hDlg, IDC_BM_FRONT, V(pObj, u"fMargin"));
    SetEditNumber(hDlg, IDC_BM_BACK, V(pObj, u"bMargin"));
    p->bValidating = bValidating;
    if (bNotice) {
        WCHAR szText[kNoticeChars] = {};
        if (AppendBindingMarginNotice(hDlg, pObj, szText, kNoticeChars) || szText[0])
            ShowNoticeBox(hDlg, szText);
    }
}

// With the same margin on both sides the back shows and keeps what the
// front shows, after every change of the front (a clamp or a correction
// included); a back limit below the front's is kept.
void FollowFront(MARGINDLG* p)
{
    HWND hDlg = p->hDlg;
    if (V(p->pObj, u"MarginEqual_Check") != 1)
        return;
    WCHAR sz[5] = {};
    GetDlgItemTextW(hDlg, IDC_BM_FRONT, sz, 5);
    int v = EditNumber(hDlg, IDC_BM_FRONT, nullptr);
    BYTE b = p->bValidating;
    p->bValidating = 1;
    if (v > p->sBackUpper)
        SetEditNumber(hDlg, IDC_BM_BACK, p->sBackUpper);
    else
        SetDlgItemTextW(hDlg, IDC_BM_BACK, sz);
    p->bValidating = b;
    if (v)
        DlgSetSetting(p->pObj, u"bMargin", (SHORT)std::min<int>(v, p->sBackUpper));
}

// The range check of a margin edit; stores a valid value.
BOOL CheckMargin(MARGINDLG* p, BOOL bFront)
{
    HWND hDlg = p->hDlg;
    int id = bFront ? IDC_BM_FRONT : IDC_BM_BACK;
    SHORT sLower = bFront ? p->sFrontLower : p->sBackLower;
    SHORT sUpper = bFront ? p->sFrontUpper : p->sBackUpper;
    bool bClean = false;
    int v = EditNumber(hDlg, id, &bClean);
    if (bClean && v <= sUpper && v >= sLower) {
        DlgSetSetting(p->pObj, bFront ? u"fMargin" : u"bMargin", (SHORT)v);
        return TRUE;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    WCHAR szText[1024];
    DlgFormat(szText, 1024, GetResString(21014), GetResString(21480), (int)sLower, (int)sUpper);
    MessageBoxW(hDlg, szText, GetResString(21009), MB_ICONWARNING);
    BYTE bValidating = p->bValidating;
    p->bValidating = 1;
    SetEditNumber(hDlg, id, bClean && v > sUpper ? sUpper : sLower);
    p->bValidating = bValidating;
    DlgSetSetting(p->pObj, bFront ? u"fMargin" : u"bMargin", bClean && v > sUpper ? sUpper : sLower);
    if (bFront)
        FollowFront(p);
    SetFocus(GetDlgItem(hDlg, id));
    SendDlgItemMessageW(hDlg, id, EM_SETSEL, 0, -1);
    return FALSE;
}

LRESULT CALLBACK MarginEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    MARGINDLG* p = Block(hDlg);
    if (!p)
        return DefWindowProcW(hwnd, uMsg, wParam, lParam);
    BOOL bFront = GetDlgCtrlID(hwnd) == IDC_BM_FRONT;
    WNDPROC pfn = (WNDPROC)(bFront ? p->pfnFront : p->pfnBack);
    if (uMsg == WM_KILLFOCUS) {
        HWND hTo = (HWND)wParam;
        if (hTo != GetDlgItem(hDlg, IDCANCEL) && !p->bValidating && !CheckMargin(p, bFront))
            return 0;
    } else if (uMsg == WM_CHAR) {
        WCHAR ch = (WCHAR)wParam;
        bool bPass = ch == 3 || ch == 8 || ch == 22 || ch == 24 || ch == 26 || (ch >= u'0' && ch <= u'9');
        if (!bPass) {
            MessageBeep(10);
            return 1;
        }
    }
    return CallWindowProcW(pfn, hwnd, uMsg, wParam, lParam);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    MARGINDLG* p = (MARGINDLG*)DlgAllocBlock(hDlg, sizeof(MARGINDLG));
    if (!p || !pObj)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    Dirty(pObj) = 0;
    p->sSavedFront = V(pObj, u"fMargin");
    p->sSavedBack = V(pObj, u"bMargin");
    p->sSavedPosition = V(pObj, u"lpBindMargin");
    p->bSavedMode = (BYTE)V(pObj, u"lpMarginMode");
    p->bSavedEqual = (BYTE)V(pObj, u"MarginEqual_Check");
    p->bValidating = 1;  // until the edits are set up
    SendDlgItemMessageW(hDlg, IDC_BM_FRONTSPIN, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, IDC_BM_FRONT), 0);
    SendDlgItemMessageW(hDlg, IDC_BM_BACKSPIN, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, IDC_BM_BACK), 0);
    SendDlgItemMessageW(hDlg, IDC_BM_FRONT, EM_LIMITTEXT, 2, 0);
    SendDlgItemMessageW(hDlg, IDC_BM_BACK, EM_LIMITTEXT, 2, 0);
    ApplyLimits(p, FALSE);
    FormatBindingMarginText(pObj, 2);
    Dirty(pObj) = 0x3F;
    Refresh(p);
    p->pfnFront = SetWindowLongPtrW(GetDlgItem(hDlg, IDC_BM_FRONT), GWLP_WNDPROC, (LONG_PTR)MarginEditProc);
    p->pfnBack = SetWindowLongPtrW(GetDlgItem(hDlg, IDC_BM_BACK), GWLP_WNDPROC, (LONG_PTR)MarginEditProc);
    NoticePending(pObj) = 1;
    p->bValidating = 0;
}

void EndMargin(HWND hDlg, int iResult)
{
    MARGINDLG* p = Block(hDlg);
    if (p) {
        if (p->pfnFront)
            SetWindowLongPtrW(GetDlgItem(hDlg, IDC_BM_FRONT), GWLP_WNDPROC, p->pfnFront);
        if (p->pfnBack)
            SetWindowLongPtrW(GetDlgItem(hDlg, IDC_BM_BACK), GWLP_WNDPROC, p->pfnBack);
        NoticePending(p->pObj) = 0;
        DlgFreeBlock(hDlg);
    }
    UnregisterPageLink(IDD_BINDMARGIN);
    EndDialog(hDlg, iResult);
}

// A margin typed: stored at once, never above the upper limit; 0 is not
// stored. With the same value on both sides the back follows the front.
void OnMarginEdit(MARGINDLG* p, BOOL bFront, WORD wCode)
{
    HWND hDlg = p->hDlg;
    UISETTINGS* pObj = p->pObj;
    if (wCode != EN_CHANGE || p->bValidating)
        return;
    int id = bFront ? IDC_BM_FRONT : IDC_BM_BACK;
    SHORT sUpper = bFront ? p->sFrontUpper : p->sBackUpper;
    int v = EditNumber(hDlg, id, nullptr);
    if (v != 0) {
        if (v > sUpper) {
            v = sUpper;
            p->bValidating = 1;
            SetEditNumber(hDlg, id, v);
            p->bValidating = 0;
            SetFocus(GetDlgItem(hDlg, id));
            SendDlgItemMessageW(hDlg, id, EM_SETSEL, 0, -1);
        }
        DlgSetSetting(pObj, bFront ? u"fMargin" : u"bMargin", (SHORT)v);
    }
    // The back follows what the front now shows, the clamp included.
    if (bFront)
        FollowFront(p);
    BindingMarginUpdateControl(hDlg, (WORD)id);
}

void Command(HWND hDlg, WPARAM wParam)
{
    MARGINDLG* p = Block(hDlg);
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (!p) {
        if (id == IDOK || id == IDCANCEL)
            EndMargin(hDlg, id);
        return;
    }
    UISETTINGS* pObj = p->pObj;
    SetActivePageId(pObj, IDD_BINDMARGIN);
    switch (id) {
    case IDC_BM_POSITION:
        if (code == CBN_SELCHANGE && DlgReadListCombo(GetDlgItem(hDlg, id), pObj, IDC_BM_POSITION))
            BindingMarginUpdateControl(hDlg, id);
        break;
    case IDC_BM_FRONT:
    case IDC_BM_BACK:
        OnMarginEdit(p, id == IDC_BM_FRONT, code);
        break;
    case IDC_BM_SAME:
        if (V(pObj, u"MarginEqual_Check") != 1) {
            DlgSetSetting(pObj, u"MarginEqual_Check", 1);
            WCHAR sz[5] = {};
            GetDlgItemTextW(hDlg, IDC_BM_FRONT, sz, 5);
            p->bValidating = 1;
            SetDlgItemTextW(hDlg, IDC_BM_BACK, sz);
            p->bValidating = 0;
            DlgSetSetting(pObj, u"bMargin", V(pObj, u"fMargin"));
        } else {
            DlgSetSetting(pObj, u"MarginEqual_Check", 0);
        }
        BindingMarginUpdateControl(hDlg, id);
        break;
    case IDC_BM_SHIFT:
    case IDC_BM_REDUCE: {
        SHORT sMode = id == IDC_BM_SHIFT ? 1 : 2;
        if (V(pObj, u"lpMarginMode") != sMode) {
            DlgSetSetting(pObj, u"lpMarginMode", sMode);
            BindingMarginUpdateControl(hDlg, id);
            ApplyLimits(p, TRUE);
            Refresh(p);
        }
        break;
    }
    case IDOK:
        p->bValidating = 2;
        if (!CheckMargin(p, TRUE) || !CheckMargin(p, FALSE)) {
            p->bValidating = 0;
            return;
        }
        p->bValidating = 0;
        FormatBindingMarginText(pObj, 1);
        EndMargin(hDlg, IDOK);
        break;
    case IDCANCEL:
        DlgSetSetting(pObj, u"lpMarginMode", p->bSavedMode);
        DlgSetSetting(pObj, u"lpBindMargin", p->sSavedPosition);
        DlgSetSetting(pObj, u"MarginEqual_Check", p->bSavedEqual);
        DlgSetSetting(pObj, u"fMargin", p->sSavedFront);
        DlgSetSetting(pObj, u"bMargin", p->sSavedBack);
        FormatBindingMarginText(pObj, 1);
        EndMargin(hDlg, IDCANCEL);
        break;
    }
}

// ---- the preview ---------------------------------------------------------

HBITMAP Load(WORD wId)
{
    HMODULE h = DlgPictureModule();
    return h && wId ? LoadResBitmap(h, MAKEINTRESOURCEW(wId)) : nullptr;
}

SIZE BitmapSize(HBITMAP hbm)
{
    BITMAP bm = {};
    SIZE s = {0, 0};
    if (hbm && GetObjectW(hbm, sizeof(bm), &bm)) {
        s.cx = bm.bmWidth;
        s.cy = bm.bmHeight;
    }
    return s;
}

struct LAYER {
    HDC hdc = nullptr;
    HBITMAP hbm = nullptr;
    HGDIOBJ hOld = nullptr;
    SIZE size = {0, 0};
    LAYER(HDC hdcRef, WORD wId)
    {
        hbm = Load(wId);
        if (!hbm)
            return;
        hdc = CreateCompatibleDC(hdcRef);
        if (hdc)
            hOld = SelectObject(hdc, hbm);
        size = BitmapSize(hbm);
    }
    ~LAYER()
    {
        if (hdc) {
            SelectObject(hdc, hOld);
            DeleteDC(hdc);
        }
        if (hbm)
            DeleteObject(hbm);
    }
    bool ok() const { return hdc != nullptr; }
};

// Blits a picture onto a layer at a side of it: 1 left, 2 right, 3 top,
// 4 bottom, 0 the top-left corner, moved dMove pixels towards that side.
void BlitAtSide(LAYER& l, WORD wId, DWORD dwRop, int iSide, int dMove)
{
    HBITMAP hbm = Load(wId);
    if (!hbm || !l.ok()) {
        if (hbm)
            DeleteObject(hbm);
        return;
    }
    SIZE s = BitmapSize(hbm);
    DeleteObject(hbm);
    int x = (l.size.cx - s.cx) / 2, y = (l.size.cy - s.cy) / 2;
    switch (iSide) {
    case 1: x -= dMove; break;
    case 2: x += dMove; break;
    case 3: y -= dMove; break;
    case 4: y += dMove; break;
    default: break;
    }
    BlitBitmapRop(l.hdc, x, y, wId, dwRop);
}

void PaintPreview(HWND hDlg, HDC hdc, UISETTINGS* pObj)
{
    MARGINPREVIEWIDS ids;
    GetMarginPreviewIds(pObj, &ids);
    SHORT sMode = V(pObj, u"lpMarginMode");
    SHORT sPos = V(pObj, u"lpBindMargin");
    int iSide = sPos >= 1 && sPos <= 4 ? sPos : 0;
    LAYER base(hdc, ids.wBase);
    if (!base.ok())
        return;
    RECT rcBase = {0, 0, base.size.cx, base.size.cy};
    FillRect(base.hdc, &rcBase, GetSysColorBrush(COLOR_BTNFACE));
    {
        LAYER page(hdc, ids.wPage), mask(hdc, ids.wMask), layer(hdc, ids.wLayer);
        if (page.ok() && mask.ok()) {
            if (layer.ok()) {
                if (sMode == 2) {
                    BlitAtSide(layer, ids.wMark, SRCAND, iSide, layer.size.cx / 3);
                    BlitAtSide(layer, ids.wFrame, SRCCOPY, 0, 0);
                    BlitAtSide(layer, ids.wShift, SRCCOPY, 0, 0);
                } else {
                    BlitAtSide(layer, ids.wShift, SRCCOPY, iSide, 4);
                }
                if (ids.wEdge)
                    BlitAtSide(layer, ids.wEdge, SRCAND, 0, 0);
                BitBlt(page.hdc, 0, 0, layer.size.cx, layer.size.cy, layer.hdc, 0, 0, SRCCOPY);
            }
            int x = ids.bLandscape ? 4 : 7, y = ids.bLandscape ? 7 : 4;
            BitBlt(base.hdc, x, y, mask.size.cx, mask.size.cy, mask.hdc, 0, 0, SRCAND);
            BitBlt(base.hdc, x, y, page.size.cx, page.size.cy, page.hdc, 0, 0, SRCINVERT);
        }
    }
    if (sMode == 2 && ids.wArrow)
        BlitMaskedBitmapPair(base.hdc, 0, 0, ids.wArrowMask, ids.wArrow);
    // The picture's place in the dialog, as its template lays it out.
    int xTo = ids.bLandscape ? 210 : 217, yTo = ids.bLandscape ? 36 : 29;
    BitBlt(hdc, xTo, yTo, base.size.cx, base.size.cy, base.hdc, 0, 0, SRCCOPY);
}

void Paint(HWND hDlg)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hDlg, &ps);
    MARGINDLG* p = Block(hDlg);
    if (p && hdc)
        PaintPreview(hDlg, hdc, p->pObj);
    EndPaint(hDlg, &ps);
}

int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_BINDMARGIN, &h);
    return BindingMarginUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

DWORD CalcBindingMarginLimits(UISETTINGS* pObj, MARGINLIMITS* pOut)
{
    MARGINLIMITS l = {};
    DLGRANGE rf = {}, rb = {}, rz = {};
    DlgGetRange(pObj, u"fMargin", &rf);
    DlgGetRange(pObj, u"bMargin", &rb);
    l.sFrontUpper = rf.sMax;
    l.sFrontLower = rf.sMin;
    l.sBackUpper = rb.sMax;
    l.sBackLower = rb.sMin;
    l.sFront = rf.sValue;
    l.sBack = rb.sValue;
    bool bReduce = ((V(pObj, u"BindMargin_Check") == 1 && V(pObj, u"Layout_Check2") == 1) ||
                    (V(pObj, u"POD_BindMargin_Check") == 1 && V(pObj, u"POD_Check") == 1)) &&
                   V(pObj, u"lpMarginMode") == 2;
    if (pObj && bReduce && DlgGetRange(pObj, u"Zoom", &rz)) {
        LONG m = 0, z = 0, s1 = 0, s2 = 0, p1 = 0, p2 = 0;
        CalcFitZoom(pObj, &m, &z, &s1, &s2, &p1, &p2);
        SHORT sPos = V(pObj, u"lpBindMargin");
        if (sPos == 1 || sPos == 2)
            p1 += m * 100;
        else if (sPos == 3 || sPos == 4)
            p2 += m * 100;
        if (z < rz.sMin)
            l.dwFlags |= BML_ZOOM_BELOW;
        else if (z > rz.sMax)
            l.dwFlags |= BML_ZOOM_ABOVE;
        LONG r = std::min((p1 - (LONG)rz.sMin * s1 / 100) / 100, (p2 - (LONG)rz.sMin * s2 / 100) / 100);
        l.sFrontUpper = (SHORT)std::max<LONG>(std::min<LONG>(rf.sMax, r), rf.sMin);
        l.sBackUpper = (SHORT)std::max<LONG>(std::min<LONG>(rb.sMax, r), rb.sMin);
        if (l.sFrontUpper != rf.sMax)
            l.dwFlags |= BML_FRONT_LIMITED;
        if (l.sBackUpper != rb.sMax)
            l.dwFlags |= BML_BACK_LIMITED;
        if (l.sFrontUpper == l.sFrontLower)
            l.dwFlags |= BML_FRONT_NOROOM;
        if (l.sBackUpper == l.sBackLower)
            l.dwFlags |= BML_BACK_NOROOM;
        if (l.dwFlags & BML_FRONT_LIMITED) {
            l.sFront = std::max(std::min(rf.sValue, l.sFrontUpper), l.sFrontLower);
            if (l.sFront != rf.sValue)
                l.dwFlags |= BML_FRONT_LOWERED;
        }
        if (l.dwFlags & BML_BACK_LIMITED) {
            l.sBack = std::max(std::min(rb.sValue, l.sBackUpper), l.sBackLower);
            if (l.sBack != rb.sValue)
                l.dwFlags |= BML_BACK_LOWERED;
        }
        if (V(pObj, u"MarginEqual_Check") == 1 && l.sFront != l.sBack) {
            l.sBack = l.sFront;
            l.dwFlags |= BML_BACK_EQUALISED;
        }
    }
    if (pOut)
        *pOut = l;
    return l.dwFlags;
}

void FormatBindingMarginText(UISETTINGS* pObj, int iMode)
{
    if (!pObj)
        return;
    BindFeatureFields(pObj);
    const OPTCHOICE* pRows = nullptr;
    if (FindOptionRow(kPositionOption, (const void**)&pRows) != OPTKIND_CHOICE || !pRows)
        return;
    SHORT sFront = V(pObj, u"fMargin"), sBack = V(pObj, u"bMargin");
    bool bEqual = V(pObj, u"MarginEqual_Check") == 1;
    int n = GetFeatureItemCount(IDC_BM_POSITION);
    for (int i = 0; i < n; ++i) {
        FVLITEM* it = GetFeatureItem(IDC_BM_POSITION, i);
        if (!it || it->sValue == BINDMARGIN_DIALOG_ITEM)
            continue;
        LPCWSTR pszName = u"";
        for (const OPTCHOICE* r = pRows; r->wOption == kPositionOption; ++r)
            if (r->sValue == it->sValue) {
                pszName = GetResString(r->wStrId);
                break;
            }
        WCHAR sz[64];
        if (iMode == 1 && bEqual)
            DlgFormat(sz, 64, u"%s(%d mm)", pszName, (int)sFront);
        else if (iMode == 1)
            DlgFormat(sz, 64, u"%s(%d, %d mm)", pszName, (int)sFront, (int)sBack);
        else
            DlgFormat(sz, 64, u"%s", pszName);
        lstrcpynW(it->szText, sz, 64);
    }
}

int AppendBindingMarginNotice(HWND hDlg, UISETTINGS* pObj, LPWSTR pszText, int cchText)
{
    MARGINDLG* p = Block(hDlg);
    if (!p || !pObj || !pszText || cchText <= 0)
        return 0;
    int r = 0;
    if (p->bModeForced)
        DlgAppend(pszText, cchText, GetResString(25501));
    if (p->bFrontAdjusted || p->bBackAdjusted) {
        BindFeatureFields(pObj);
        DlgAppend(pszText, cchText, GetResString(25502));
        WCHAR sz[256];
        if (p->bFrontAdjusted) {
            DlgFormat(sz, 256, GetResString(22311), GetFeatureName(IDC_BM_FRONT), (int)V(pObj, u"fMargin"));
            DlgAppend(pszText, cchText, sz);
            r = 1;
        }
        if (p->bBackAdjusted) {
            DlgFormat(sz, 256, GetResString(22311), GetFeatureName(IDC_BM_BACK), (int)V(pObj, u"bMargin"));
            DlgAppend(pszText, cchText, sz);
            r = 2;
        }
    }
    return r;
}

void ShowMarginChangeNotice(HWND hDlg, UISETTINGS* pObj)
{
    if (!pObj || !NoticePending(pObj))
        return;
    NoticePending(pObj) = 0;
    WCHAR szText[kNoticeChars] = {};
    AppendBindingMarginNotice(hDlg, pObj, szText, kNoticeChars);
    if (szText[0])
        ShowNoticeBox(hDlg, szText);
}

void GetMarginPreviewIds(UISETTINGS* pObj, MARGINPREVIEWIDS* d)
{
    *d = {};
    bool bLand = V(pObj, u"lpOrientation") == 2;
    d->bLandscape = bLand;
    SHORT sMode = V(pObj, u"lpMarginMode");
    SHORT sPos = V(pObj, u"lpBindMargin");
    int iPos = sPos >= 1 && sPos <= 4 ? sPos : 0;
    bool bBooklet = V(pObj, u"Booklet_Check") == 1 || V(pObj, u"EngBooklet_Check") == 1;
    bool bNup = V(pObj, u"Nup_Check") == 1 || V(pObj, u"POD_Nup_Check") == 1;
    bool bMulti = bBooklet || bNup;
    // Pages on a sheet: 0 a booklet spread, 1 two pages, 2 four or more.
    int iCount = bBooklet ? 0 : V(pObj, u"lpLayout") > 2 ? 2 : 1;
    if (bLand && iCount != 2)
        iCount = 2;
    else if (!bLand && iCount == 2)
        iCount = 1;
    const WORD kByCount[3] = {1, 0, 2};  // picture offset of page-count values 0, 1, 2
    WORD wMulti = kByCount[iCount];
    d->wBase = bLand ? 15281 : 15280;
    d->wPage = bMulti ? 15292 + wMulti : (bLand ? 15291 : 15290);
    d->wMask = bMulti ? 15392 + wMulti : (bLand ? 15391 : 15390);
    d->wLayer = bMulti ? 15302 + wMulti : (bLand ? 15301 : 15300);
    d->wShift = (WORD)((bMulti ? 15314 : 15310) + (sMode == 2 ? 2 : 0) + (bLand ? 1 : 0));
    d->wEdge = iPos ? (WORD)(15320 + (iPos - 1) * 2 + (bLand ? 1 : 0)) : 0;
    if (sMode == 2) {
        d->wMark = bMulti ? (WORD)(15382 + wMulti) : (bLand ? 15381 : 15380);
        d->wFrame = bMulti ? (WORD)(15372 + (bLand ? 1 : 0)) : (bLand ? 15371 : 15370);
        if (iPos) {
            WORD k = (WORD)((iPos - 1) * 2 + (bLand ? 1 : 0));
            d->wArrow = (WORD)((bMulti ? 15350 : 15330) + k);
            d->wArrowMask = (WORD)((bMulti ? 15360 : 15340) + k);
        }
    }
}

int BindingMarginUpdateControl(HWND hDlg, WORD wId)
{
    MARGINDLG* p = Block(hDlg);
    if (!p)
        return 0;
    DWORD d = 0;
    switch (wId) {
    case IDC_BM_SHIFT:
    case IDC_BM_REDUCE: d = 0x01; break;
    case IDC_BM_POSITION: d = 0x02; break;
    case IDC_BM_FRONT: d = 0x04; break;
    case IDC_BM_BACK: d = 0x08; break;
    case IDC_BM_SAME: d = 0x10; break;
    default: return 0;
    }
    Dirty(p->pObj) = d;
    Refresh(p);
    return 1;
}

INT_PTR CALLBACK BindingMarginDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_BINDMARGIN, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    case WM_PAINT:
        Paint(hDlg);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_BM_NOTICE) {
            MARGINDLG* p = Block(hDlg);
            if (p)
                ShowMarginChangeNotice(hDlg, p->pObj);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
