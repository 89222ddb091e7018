// userpaper.cpp: the custom paper size dialog and the user paper helpers.
// See userpaper.h.
#include "ui/dialogs/userpaper.h"

#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/library/libstate.h"
#include "ui/dialogs/illustration.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

const int kSlots = USERPAPER_SLOTS;
const int kNameChars = USERPAPER_NAME_CCH - 1;
const LPCWSTR kWidthKey = u"User Defined Width";
const LPCWSTR kLengthKey = u"User Defined Length";
const WCHAR kFontFace[] = u"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";  // the dialog font

struct UPDLG {
    UISETTINGS* pObj;
    HWND hDlg;
    LONG_PTR pfnName, pfnWidth, pfnLength;
    SHORT asSlot[kSlots];          // slot (1..10) of each combo position
    WCHAR szName[260];             // the current slot's name as last seen
    LONG lTrayMinW, lTrayMaxW, lTrayMinL, lTrayMaxL;  // mm
    LONG lTrayStrId;
    HGLOBAL hIll;
    BYTE bCheckMode;               // 2 while OK checks
    BYTE bRefreshing;              // texts written by the dialog itself
    BOOL bLocked;                  // nothing may be changed
    // The working group.
    int iTarget;
    SHORT sSlot;
    SHORT sUnit;
    LONG lWidth, lLength;          // display unit: whole mm or 1/1000 inch
    LONG lMinW, lMaxW, lMinL, lMaxL;
};

USERPAPER* Slot(UISETTINGS* pObj, int n)
{
    USERPAPERS* p = GetUserPapers(pObj);
    return p && n >= 0 && n < kSlots ? &p->aSlot[n] : nullptr;
}

UPDLG* Block(HWND hDlg)
{
    return (UPDLG*)DlgGetBlock(hDlg);
}

// The keys of a target group: slot list, width, length, unit list.
struct TARGETKEYS {
    LPCWSTR pszSlot, pszWidth, pszLength, pszUnit;
};
TARGETKEYS Keys(int iTarget)
{
    if (iTarget == 1)
        return {u"lpUDPaperType", u"UDPaperWidth", u"UDPaperLength", u"lpUDPaperUnit"};
    return {u"lpUDMediaType", u"UDMediaWidth", u"UDMediaLength", u"lpUDMediaUnit"};
}

void FormatValue(LPWSTR psz, int cch, int iUnit, LONG v)
{
    if (iUnit == UPUNIT_INCH)
        DlgFormat(psz, cch, u"%ld.%03ldinch", v / 1000, v % 1000);
    else
        DlgFormat(psz, cch, u"%ldmm", v);
}

void SetEditText(UPDLG* p, int id, LPCWSTR psz)
{
    p->bRefreshing = 1;
    SetDlgItemTextW(p->hDlg, id, psz);
    p->bRefreshing = 0;
}

void RefreshEdit(UPDLG* p, BOOL bWidth)
{
    WCHAR sz[64];
    FormatValue(sz, 64, p->sUnit, bWidth ? p->lWidth : p->lLength);
    SetEditText(p, bWidth ? IDC_UP_WIDTH : IDC_UP_LENGTH, sz);
}

void RefreshSpin(UPDLG* p, BOOL bWidth)
{
    int id = bWidth ? IDC_UP_WIDTHSPIN : IDC_UP_LENGTHSPIN;
    SendDlgItemMessageW(p->hDlg, id, UDM_SETRANGE32, bWidth ? p->lMinW : p->lMinL, bWidth ? p->lMaxW : p->lMaxL);
    SendDlgItemMessageW(p->hDlg, id, UDM_SETPOS32, 0, bWidth ? p->lWidth : p->lLength);
}

void RefreshList(UPDLG* p)
{
    HWND hCombo = GetDlgItem(p->hDlg, IDC_UP_SLOT);
    p->bRefreshing = 1;
    SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    int iSel = 0;
    for (int i = 0; i < kSlots; ++i) {
        WCHAR sz[128] = {};
        bFormatUserPaperName(p->pObj, i + 1, sz, 128, 2);
        SendMessageW(hCombo, CB_ADDSTRING, 0, (LPARAM)sz);
        p->asSlot[i] = (SHORT)(i + 1);
        if (p->asSlot[i] == p->sSlot)
            iSel = i;
    }
    SendMessageW(hCombo, CB_SETCURSEL, iSel, 0);
    p->bRefreshing = 0;
}

void RefreshName(UPDLG* p)
{
    WCHAR sz[USERPAPER_NAME_CCH] = {};
    GetUserPaperName(p->pObj, p->sSlot - 1, sz, USERPAPER_NAME_CCH);
    lstrcpynW(p->szName, sz, 260);
    SetEditText(p, IDC_UP_NAME, sz);
}

void RefreshAll(UPDLG* p)
{
    RefreshList(p);
    RefreshName(p);
    RefreshEdit(p, TRUE);
    RefreshEdit(p, FALSE);
    CheckRadioButton(p->hDlg, IDC_UP_MM, IDC_UP_INCH, p->sUnit == UPUNIT_INCH ? IDC_UP_INCH : IDC_UP_MM);
    RefreshSpin(p, TRUE);
    RefreshSpin(p, FALSE);
}

// The working values of the current slot in its unit, and the limits.
void Recalculate(UPDLG* p)
{
    USERPAPER* s = Slot(p->pObj, p->sSlot - 1);
    if (!s)
        return;
    p->sUnit = s->sUnit == UPUNIT_INCH ? UPUNIT_INCH : UPUNIT_MM;
    p->lMinW = (LONG)UserPaperLimitToDisplay(p->sUnit, (DWORD)p->lTrayMinW);
    p->lMaxW = (LONG)UserPaperLimitToDisplay(p->sUnit, (DWORD)p->lTrayMaxW);
    p->lMinL = (LONG)UserPaperLimitToDisplay(p->sUnit, (DWORD)p->lTrayMinL);
    p->lMaxL = (LONG)UserPaperLimitToDisplay(p->sUnit, (DWORD)p->lTrayMaxL);
    p->lWidth = (LONG)UserPaperToDisplayUnit(p->sUnit, (DWORD)s->lWidth);
    p->lLength = (LONG)UserPaperToDisplayUnit(p->sUnit, (DWORD)s->lLength);
    SendDlgItemMessageW(p->hDlg, IDC_UP_NAME, EM_LIMITTEXT, kNameChars, 0);
    SendDlgItemMessageW(p->hDlg, IDC_UP_WIDTH, EM_LIMITTEXT, UserPaperEditLimit(p->sUnit), 0);
    SendDlgItemMessageW(p->hDlg, IDC_UP_LENGTH, EM_LIMITTEXT, UserPaperEditLimit(p->sUnit), 0);
    RefreshSpin(p, TRUE);
    RefreshSpin(p, FALSE);
}

void Warn(HWND hDlg, UINT uText)
{
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxW(hDlg, GetResString(uText), GetResString(21008), MB_ICONWARNING);
}

void FocusSelect(HWND hDlg, int id)
{
    SetFocus(GetDlgItem(hDlg, id));
    SendDlgItemMessageW(hDlg, id, EM_SETSEL, 0, -1);
    SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 1);
}

BOOL bCheckUserPaperName(UPDLG* p)
{
    WCHAR sz[260] = {};
    GetDlgItemTextW(p->hDlg, IDC_UP_NAME, sz, 260);
    UINT uMsg = 0;
    if (!sz[0]) {
        uMsg = 25003;
    } else {
        for (int i = 1; i <= kSlots && !uMsg; ++i) {
            if (i == p->sSlot)
                continue;
            WCHAR szOther[USERPAPER_NAME_CCH] = {};
            GetUserPaperName(p->pObj, i - 1, szOther, USERPAPER_NAME_CCH);
            if (lstrcmpW(szOther, sz) == 0)
                uMsg = 25004;
        }
    }
    if (!uMsg)
        return TRUE;
    Warn(p->hDlg, uMsg);
    FocusSelect(p->hDlg, IDC_UP_NAME);
    return FALSE;
}

BOOL bCheckUserPaperSize(UPDLG* p, BOOL bWidth)
{
    LONG v = bWidth ? p->lWidth : p->lLength;
    LONG lMin = bWidth ? p->lMinW : p->lMinL, lMax = bWidth ? p->lMaxW : p->lMaxL;
    if (v >= lMin && v <= lMax)
        return TRUE;
    WORD c = 0;
    BOOL bUsable = bTrayUsableForCustomSize(p->hDlg, p->pObj, &c);
    Warn(p->hDlg, bUsable && c > 1 ? 25001 : 25002);
    RefreshEdit(p, bWidth);
    FocusSelect(p->hDlg, bWidth ? IDC_UP_WIDTH : IDC_UP_LENGTH);
    return FALSE;
}

void OnSizeTyped(UPDLG* p, BOOL bWidth)
{
    if (p->bRefreshing || p->bLocked)
        return;
    int id = bWidth ? IDC_UP_WIDTH : IDC_UP_LENGTH;
    WCHAR sz[64] = {};
    GetDlgItemTextW(p->hDlg, id, sz, 64);
    LONG v = (LONG)ParseThousandths(sz);
    if (p->sUnit == UPUNIT_MM)
        v /= 1000;
    LONG& cur = bWidth ? p->lWidth : p->lLength;
    LONG lMax = bWidth ? p->lMaxW : p->lMaxL;
    if (v != cur && v > lMax) {
        cur = lMax;
        RefreshEdit(p, bWidth);
    } else {
        cur = v;
    }
    SetUserPaperDimension(p->pObj, p->sSlot - 1, bWidth ? kWidthKey : kLengthKey,
                          (LONG)UserPaperFromDisplay(p->sUnit, (DWORD)cur));
    SendDlgItemMessageW(p->hDlg, bWidth ? IDC_UP_WIDTHSPIN : IDC_UP_LENGTHSPIN, UDM_SETPOS32, 0, cur);
    RefreshList(p);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    UPDLG* p = Block(hDlg);
    if (!p)
        return DefWindowProcW(hwnd, uMsg, wParam, lParam);
    int id = GetDlgCtrlID(hwnd);
    WNDPROC pfn = (WNDPROC)(id == IDC_UP_NAME ? p->pfnName : id == IDC_UP_WIDTH ? p->pfnWidth : p->pfnLength);
    if (uMsg == WM_CHAR && id != IDC_UP_NAME) {
        WCHAR sz[64] = {};
        GetWindowTextW(hwnd, sz, 64);
        DWORD dwSel = (DWORD)CallWindowProcW(pfn, hwnd, EM_GETSEL, 0, 0);
        if (!bUserPaperKeyAllowed(p->sUnit, sz, dwSel, (WCHAR)wParam, UserPaperEditLimit(p->sUnit))) {
            MessageBeep(10);
            return 0;
        }
    } else if (uMsg == WM_KILLFOCUS && !p->bCheckMode && (HWND)wParam != GetDlgItem(hDlg, IDCANCEL)) {
        BOOL bOk = id == IDC_UP_NAME ? bCheckUserPaperName(p) : bCheckUserPaperSize(p, id == IDC_UP_WIDTH);
        if (!bOk)
            return 0;
    }
    return CallWindowProcW(pfn, hwnd, uMsg, wParam, lParam);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    UPDLG* p = (UPDLG*)DlgAllocBlock(hDlg, sizeof(UPDLG));
    if (!p || !pObj || !GetUserPapers(pObj)) {
        if (p)
            DlgFreeBlock(hDlg);
        return;
    }
    p->pObj = pObj;
    p->hDlg = hDlg;
    p->iTarget = DlgStateWords(pObj)[DLGWORD_UDPAPER_TARGET] == 1 ? 1 : 0;
    TARGETKEYS k = Keys(p->iTarget);
    p->sSlot = DlgGetSetting(pObj, k.pszSlot);
    if (p->sSlot < 1 || p->sSlot > kSlots)
        p->sSlot = 1;
    RECT rc;
    HWND hPic = GetDlgItem(hDlg, IDC_UP_PICTURE);
    if (hPic) {
        GetWindowRect(hPic, &rc);
        MapWindowPoints(nullptr, hDlg, (POINT*)&rc, 2);
        p->hIll = CreateIllustrationAt(DlgPictureModule(), hDlg, &rc, 10216, 0, 0, 0, 0, 0);
    }
    TRAYLIMIT tl;
    GetTrayLimits(&tl, DlgGetSetting(pObj, u"lpMediaSource"), DlgGetSetting(pObj, u"lpSourceUnit"));
    p->lTrayMinW = tl.lMinWidth;
    p->lTrayMaxW = tl.lMaxWidth;
    p->lTrayMinL = tl.lMinLength;
    p->lTrayMaxL = tl.lMaxLength;
    p->lTrayStrId = tl.lStrId;
    Recalculate(p);
    RefreshAll(p);
    p->pfnName = SetWindowLongPtrW(GetDlgItem(hDlg, IDC_UP_NAME), GWLP_WNDPROC, (LONG_PTR)EditProc);
    p->pfnWidth = SetWindowLongPtrW(GetDlgItem(hDlg, IDC_UP_WIDTH), GWLP_WNDPROC, (LONG_PTR)EditProc);
    p->pfnLength = SetWindowLongPtrW(GetDlgItem(hDlg, IDC_UP_LENGTH), GWLP_WNDPROC, (LONG_PTR)EditProc);
    if (!bLibrarySheetEditable(pObj)) {
        p->bLocked = TRUE;
        for (int id : {2201, 2202, 2203, 2215, 2204, 2205, 2206, 2207, 2208, 2209, 2210, 2211, 2212, 2217, 2218, 2219})
            EnableWindow(GetDlgItem(hDlg, id), FALSE);
    }
    BOOL bWritable = FALSE;
    HANDLE hPrinter = nullptr;
    if (pObj->trailer.pszPrinterName && OpenPrinterW((LPWSTR)pObj->trailer.pszPrinterName, &hPrinter, nullptr)) {
        bWritable = bCanWritePrinterData(hPrinter);
        ClosePrinter(hPrinter);
    }
    // A sheet the system did not title as its own (an application's page
    // set-up, say) may show the papers, not register them.
    BOOL bForeignSheet = GetSheetState(pObj, UIS_STATE_TITLELACKSSUFFIX) != 0;
    if (!bWritable || bForeignSheet) {
        // The slots can be browsed, not changed.
        p->bLocked = TRUE;
        for (int id : {2215, 2204, 2205, 2207, 2208, 2218, 2219})
            EnableWindow(GetDlgItem(hDlg, id), FALSE);
    }
}

void EndUserPaper(HWND hDlg, int iResult)
{
    UPDLG* p = Block(hDlg);
    if (p) {
        DestroyIllustration(p->hIll);
        const struct {
            int id;
            LONG_PTR pfn;
        } edits[] = {{IDC_UP_NAME, p->pfnName}, {IDC_UP_WIDTH, p->pfnWidth}, {IDC_UP_LENGTH, p->pfnLength}};
        for (const auto& e : edits)
            if (e.pfn)
                SetWindowLongPtrW(GetDlgItem(hDlg, e.id), GWLP_WNDPROC, e.pfn);
        DlgFreeBlock(hDlg);
    }
    EndDialog(hDlg, iResult);
}

void StoreTarget(UPDLG* p)
{
    UISETTINGS* pObj = p->pObj;
    USERPAPER* s = Slot(pObj, p->sSlot - 1);
    if (!s)
        return;
    // 1/1000 inch to 0.1 mm, from the slot's stored size in either unit.
    SHORT sW = (SHORT)((DWORD)s->lWidth * 1000 / 3937);
    SHORT sL = (SHORT)((DWORD)s->lLength * 1000 / 3937);
    TARGETKEYS k = Keys(p->iTarget);
    TARGETKEYS o = Keys(p->iTarget == 1 ? 0 : 1);
    BOOL bOther = DlgGetSetting(pObj, o.pszSlot) == p->sSlot;
    for (const TARGETKEYS* t : {&k, bOther ? &o : nullptr}) {
        if (!t)
            continue;
        DlgSetSetting(pObj, t->pszSlot, p->sSlot);
        DlgSetSetting(pObj, t->pszWidth, sW);
        DlgSetSetting(pObj, t->pszLength, sL);
        DlgSetSetting(pObj, t->pszUnit, p->sUnit);
    }
    LoadUserPaperRows(GetUserPapers(pObj));
}

void Command(HWND hDlg, WPARAM wParam)
{
    UPDLG* p = Block(hDlg);
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (!p) {
        if (id == IDOK || id == IDCANCEL)
            EndDialog(hDlg, id);
        return;
    }
    switch (id) {
    case IDC_UP_SLOT:
        if (code == CBN_SELCHANGE && !p->bRefreshing) {
            LRESULT i = SendDlgItemMessageW(hDlg, IDC_UP_SLOT, CB_GETCURSEL, 0, 0);
            if (i >= 0 && i < kSlots) {
                p->sSlot = p->asSlot[i];
                Recalculate(p);
                RefreshAll(p);
                InvalidateRect(hDlg, nullptr, TRUE);
            }
        }
        break;
    case IDC_UP_MM:
    case IDC_UP_INCH: {
        SHORT sUnit = id == IDC_UP_INCH ? UPUNIT_INCH : UPUNIT_MM;
        if (sUnit != p->sUnit && !p->bLocked) {
            SetUserPaperUnit(p->pObj, p->sSlot - 1, sUnit);
            Recalculate(p);
            RefreshAll(p);
            InvalidateRect(hDlg, nullptr, TRUE);
        }
        break;
    }
    case IDC_UP_NAME:
        if (code == EN_CHANGE && !p->bRefreshing && !p->bLocked) {
            WCHAR sz[260] = {};
            GetDlgItemTextW(hDlg, IDC_UP_NAME, sz, 260);
            if (lstrcmpW(sz, p->szName) != 0) {
                SetUserPaperName(p->pObj, p->sSlot - 1, sz);
                lstrcpynW(p->szName, sz, 260);
                RefreshList(p);
            }
        }
        break;
    case IDC_UP_WIDTH:
    case IDC_UP_LENGTH:
        if (code == EN_CHANGE)
            OnSizeTyped(p, id == IDC_UP_WIDTH);
        break;
    case IDOK:
        p->bCheckMode = 2;
        if (!bCheckUserPaperSize(p, TRUE) || !bCheckUserPaperSize(p, FALSE) || !bCheckUserPaperName(p)) {
            p->bCheckMode = 0;
            return;
        }
        StoreTarget(p);
        EndUserPaper(hDlg, IDOK);
        break;
    case IDCANCEL:
        EndUserPaper(hDlg, IDCANCEL);
        break;
    }
}

void OnSpin(HWND hDlg, LPARAM lParam)
{
    UPDLG* p = Block(hDlg);
    HWND hSpin = (HWND)lParam;
    if (!p || !hSpin || p->bLocked)
        return;
    BOOL bWidth = hSpin == GetDlgItem(hDlg, IDC_UP_WIDTHSPIN);
    if (!bWidth && hSpin != GetDlgItem(hDlg, IDC_UP_LENGTHSPIN))
        return;
    LONG v = (LONG)SendMessageW(hSpin, UDM_GETPOS32, 0, 0);
    (bWidth ? p->lWidth : p->lLength) = v;
    SetUserPaperDimension(p->pObj, p->sSlot - 1, bWidth ? kWidthKey : kLengthKey,
                          (LONG)UserPaperFromDisplay(p->sUnit, (DWORD)v));
    RefreshEdit(p, bWidth);
    RefreshSpin(p, bWidth);
    RefreshList(p);
}

RECT ItemRect(HWND hDlg, int id)
{
    RECT rc = {0, 0, 0, 0};
    HWND h = GetDlgItem(hDlg, id);
    if (h) {
        GetWindowRect(h, &rc);
        MapWindowPoints(nullptr, hDlg, (POINT*)&rc, 2);
    }
    return rc;
}

HFONT MakeFont(int iHeight)
{
    LOGFONTW lf = {};
    lf.lfHeight = iHeight;
    lf.lfWeight = 400;
    lf.lfCharSet = 128;
    lf.lfPitchAndFamily = 50;
    lstrcpynW(lf.lfFaceName, kFontFace, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

// A text at the left of a place, centred from top to bottom.
void DrawAt(HDC hdc, const RECT& rc, LPCWSTR psz, int iHeight, BOOL bTransparent, BOOL bCentreX, int yAt = -1)
{
    HFONT hFont = MakeFont(iHeight);
    HGDIOBJ hOld = hFont ? SelectObject(hdc, hFont) : nullptr;
    int iMode = SetBkMode(hdc, bTransparent ? TRANSPARENT : OPAQUE);
    COLORREF crText = SetTextColor(hdc, RGB(0, 0, 0));
    COLORREF crBk = SetBkColor(hdc, RGB(255, 255, 255));
    SIZE sz = {0, 0};
    int n = lstrlenW(psz);
    GetTextExtentPoint32W(hdc, psz, n, &sz);
    int x = bCentreX ? rc.left + (rc.right - rc.left - sz.cx) / 2 : rc.left;
    int y = yAt >= 0 ? yAt : rc.top + (rc.bottom - rc.top - sz.cy) / 2;
    ExtTextOutW(hdc, x, y, ETO_CLIPPED, &rc, psz, (UINT)n, nullptr);
    SetBkMode(hdc, iMode);
    SetTextColor(hdc, crText);
    SetBkColor(hdc, crBk);
    if (hOld)
        SelectObject(hdc, hOld);
    if (hFont)
        DeleteObject(hFont);
}

void FormatRange(LPWSTR psz, int cch, int iUnit, LONG lMin, LONG lMax)
{
    if (iUnit == UPUNIT_INCH)
        DlgFormat(psz, cch, u"( %ld.%03ld - %ld.%03ldinch )", lMin / 1000, lMin % 1000, lMax / 1000, lMax % 1000);
    else
        DlgFormat(psz, cch, u"( %ld - %ldmm )", lMin, lMax);
}

void Paint(HWND hDlg)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hDlg, &ps);
    UPDLG* p = Block(hDlg);
    if (p && hdc) {
        RECT rcPic = ItemRect(hDlg, IDC_UP_PICTURE);
        if (p->hIll)
            PaintIllustrationOn(hdc, p->hIll, nullptr);
        if (bResStringExists(21590))
            DrawAt(hdc, rcPic, GetResString(21590), 12, TRUE, TRUE,
                   rcPic.top + (rcPic.bottom - rcPic.top) * 2 / 3);
        WORD c = 0;
        if (bTrayUsableForCustomSize(hDlg, p->pObj, &c)) {
            WCHAR sz[256];
            DlgFormat(sz, 256, GetResString(25005), GetResString((UINT)p->lTrayStrId));
            DrawAt(hdc, ItemRect(hDlg, IDC_UP_SOURCE), sz, 15, FALSE, FALSE);
        }
        WCHAR sz[128];
        FormatRange(sz, 128, p->sUnit, p->lMinW, p->lMaxW);
        DrawAt(hdc, ItemRect(hDlg, IDC_UP_WIDTHRANGE), sz, 12, TRUE, FALSE);
        FormatRange(sz, 128, p->sUnit, p->lMinL, p->lMaxL);
        DrawAt(hdc, ItemRect(hDlg, IDC_UP_LENGTHRANGE), sz, 12, TRUE, FALSE);
    }
    EndPaint(hDlg, &ps);
}

}  // namespace

USERPAPERS* GetUserPapers(UISETTINGS* pObj)
{
    return pObj && pObj->trailer.pListSet ? pObj->trailer.pListSet->pUserPapers : nullptr;
}

int GetUserPaperName(UISETTINGS* pObj, int n, LPWSTR pszBuffer, int cchBuffer)
{
    USERPAPER* s = Slot(pObj, n);
    if (!s || !pszBuffer || cchBuffer <= 0)
        return 0;
    WCHAR sz[USERPAPER_NAME_CCH] = {};
    memcpy(sz, s->szName, sizeof(WCHAR) * kNameChars);
    lstrcpynW(pszBuffer, sz, cchBuffer);
    return lstrlenW(pszBuffer) + 1;
}

BOOL SetUserPaperName(UISETTINGS* pObj, int n, LPCWSTR pszText)
{
    USERPAPER* s = Slot(pObj, n);
    if (!s || !pszText)
        return FALSE;
    memset(s->szName, 0, sizeof(s->szName));
    lstrcpynW(s->szName, pszText, USERPAPER_NAME_CCH);
    return TRUE;
}

LONG GetUserPaperDimension(UISETTINGS* pObj, int n, LPCWSTR pszKey)
{
    USERPAPER* s = Slot(pObj, n);
    if (!s || !pszKey)
        return 0;
    if (lstrcmpW(pszKey, kWidthKey) == 0)
        return s->lWidth;
    if (lstrcmpW(pszKey, kLengthKey) == 0)
        return s->lLength;
    return 0;
}

BOOL SetUserPaperDimension(UISETTINGS* pObj, int n, LPCWSTR pszKey, LONG lValue)
{
    USERPAPER* s = Slot(pObj, n);
    if (!s || !pszKey)
        return FALSE;
    if (lstrcmpW(pszKey, kWidthKey) == 0)
        s->lWidth = lValue;
    else if (lstrcmpW(pszKey, kLengthKey) == 0)
        s->lLength = lValue;
    else
        return FALSE;
    return TRUE;
}

SHORT GetUserPaperUnit(UISETTINGS* pObj, int n)
{
    USERPAPER* s = Slot(pObj, n);
    return s ? s->sUnit : 0;
}

BOOL SetUserPaperUnit(UISETTINGS* pObj, int n, SHORT sUnit)
{
    USERPAPER* s = Slot(pObj, n);
    if (!s || (sUnit != UPUNIT_MM && sUnit != UPUNIT_INCH))
        return FALSE;
    s->sUnit = sUnit;
    return TRUE;
}

DWORD UserPaperLimitToDisplay(int iUnit, DWORD dwMm)
{
    return iUnit == UPUNIT_INCH ? dwMm * 10000 / 254 : dwMm;
}

DWORD UserPaperFromDisplay(int iUnit, DWORD dwValue)
{
    return iUnit == UPUNIT_INCH ? dwValue : dwValue * 10000 / 254;
}

DWORD UserPaperToDisplayUnit(int iUnit, DWORD dwValue)
{
    return iUnit == UPUNIT_INCH ? dwValue : (dwValue * 1000 / 3937 + 9) / 10;
}

DWORD UserPaperScaleUnit(int iUnit, DWORD dwValue)
{
    return iUnit == UPUNIT_INCH ? dwValue * 100 : dwValue * 254 / 100;
}

int UserPaperEditLimit(int iUnit)
{
    return iUnit == UPUNIT_INCH ? 10 : 5;
}

DWORD ParseThousandths(LPCWSTR pszText)
{
    if (!pszText)
        return 0;
    DWORD dwInt = 0, dwFrac = 0, dwPow = 1;
    bool bDigit = false, bFraction = false, bEnded = false;
    int i = 0;
    for (; i < 32; ++i) {
        WCHAR c = pszText[i];
        if (c == 0) {
            bEnded = true;
            break;
        }
        if (c >= u'0' && c <= u'9') {
            bDigit = true;
            if (!bFraction) {
                dwInt = dwInt * 10 + (DWORD)(c - u'0');
            } else if (dwPow < 100000) {
                dwFrac = dwFrac * 10 + (DWORD)(c - u'0');
                dwPow *= 10;
            }
        } else if (c == u'.' && !bFraction) {
            bFraction = true;
        } else if (bDigit || bFraction) {
            bEnded = true;
            break;
        }
    }
    if (!bEnded)
        return 0;
    return dwInt * 1000 + (dwPow / 2 + dwFrac * 1000) / dwPow;
}

BOOL bFormatUserPaperName(UISETTINGS* pObj, int iSlot, LPWSTR pszBuffer, int cchBuffer, int iKind)
{
    if (iSlot < 1 || iSlot > kSlots || !pszBuffer || cchBuffer <= 0)
        return FALSE;
    if (iKind == 3)
        return TRUE;
    WCHAR szName[USERPAPER_NAME_CCH] = {};
    if (!GetUserPaperName(pObj, iSlot - 1, szName, USERPAPER_NAME_CCH))
        return FALSE;
    if (iKind == 1) {
        lstrcpynW(pszBuffer, szName, cchBuffer);
        return TRUE;
    }
    if (iKind != 2 || cchBuffer < 55)
        return FALSE;
    USERPAPER* s = Slot(pObj, iSlot - 1);
    if (s->sUnit == UPUNIT_INCH) {
        LONG w = s->lWidth, l = s->lLength;
        DlgFormat(pszBuffer, cchBuffer, u"%s(%ld.%03ld x %ld.%03ldinch)", szName, w / 1000, w % 1000, l / 1000, l % 1000);
    } else {
        DlgFormat(pszBuffer, cchBuffer, u"%s(%ld x %ldmm)", szName, (LONG)UserPaperToDisplayUnit(UPUNIT_MM, s->lWidth),
                  (LONG)UserPaperToDisplayUnit(UPUNIT_MM, s->lLength));
    }
    return TRUE;
}

BOOL bUserPaperKeyAllowed(int iUnit, LPCWSTR pszText, DWORD dwSel, WCHAR ch, int cchLimit)
{
    if (ch < 32)
        return TRUE;  // backspace, copy, paste, cut and undo
    int n = pszText ? lstrlenW(pszText) : 0;
    int iStart = LOWORD(dwSel), iEnd = HIWORD(dwSel);
    if (iStart > n)
        iStart = n;
    if (iEnd > n)
        iEnd = n;
    if (iEnd < iStart)
        iEnd = iStart;
    bool bSel = iEnd > iStart;
    if (n > cchLimit && !bSel)
        return FALSE;
    if ((iStart == 0 && (ch == u'0' || ch == u'.')) || (iStart == 1 && ch == u'0' && pszText[0] == u'0'))
        return FALSE;
    if (iStart > 0) {
        WCHAR b = pszText[iStart - 1];
        if (b == u'i' || b == u'n' || b == u'c' || b == u'h' || b == u'm')
            return FALSE;
    }
    if (iUnit != UPUNIT_INCH)
        return ch >= u'0' && ch <= u'9';
    if ((ch >= 32 && ch <= 45) || ch == u'/' || ch > u'9')
        return FALSE;
    if (n == 0)
        return FALSE;
    // The text as it would be.
    WCHAR sz[80] = {};
    int k = 0;
    for (int i = 0; i < iStart && k < 78; ++i)
        sz[k++] = pszText[i];
    sz[k++] = ch;
    for (int i = iEnd; i < n && k < 79; ++i)
        sz[k++] = pszText[i];
    int iPoint = -1, cPoints = 0;
    for (int i = 0; sz[i]; ++i)
        if (sz[i] == u'.') {
            if (iPoint < 0)
                iPoint = i;
            ++cPoints;
        }
    if (cPoints > 1 || iPoint > 9)
        return FALSE;
    if (iPoint >= 0) {
        int cDecimals = 0;
        for (int i = iPoint + 1; sz[i] >= u'0' && sz[i] <= u'9'; ++i)
            ++cDecimals;
        if (cDecimals > 3)
            return FALSE;
    }
    return TRUE;
}

// The effective output paper against the source limits, measured in its
// slot's unit. TRUE when it fits or is no user paper.
static BOOL _UserPaperFits(UISETTINGS* pObj, int* piCode, TRAYLIMIT* ptl, LONG* pl)
{
    SHORT sCode = DlgGetSetting(pObj, u"lpOutputPaper");
    if (sCode == PAPER_SAME_AS_PAPER)
        sCode = DlgGetSetting(pObj, u"lpMediaSize");
    *piCode = sCode;
    int iSlot = CustomPaperToSlot(sCode);
    if (!iSlot || !GetUserPapers(pObj))
        return TRUE;
    bool bInch = GetUserPaperUnit(pObj, iSlot - 1) == UPUNIT_INCH;
    LONG w = 0, l = 0;
    if (bInch)
        GetPaperSizeNative(sCode, &w, &l);
    else
        GetPaperSizeMm100(sCode, &w, &l);
    GetTrayLimits(ptl, DlgGetSetting(pObj, u"lpMediaSource"), DlgGetSetting(pObj, u"lpSourceUnit"));
    LONG f = bInch ? 1 : 100;
    auto conv = [&](LONG mm) { return bInch ? mm * 10000 / 254 : mm * f; };
    pl[0] = w;
    pl[1] = l;
    pl[2] = conv(ptl->lMinWidth);
    pl[3] = conv(ptl->lMaxWidth);
    pl[4] = conv(ptl->lMinLength);
    pl[5] = conv(ptl->lMaxLength);
    pl[6] = bInch;
    return w >= pl[2] && w <= pl[3] && l >= pl[4] && l <= pl[5];
}

BOOL CheckUserPaperFitsSource(UISETTINGS* pObj)
{
    int iCode = 0;
    TRAYLIMIT tl;
    LONG a[7];
    return pObj ? _UserPaperFits(pObj, &iCode, &tl, a) : TRUE;
}

void ShowUserPaperRangeWarning(HWND hwnd, UISETTINGS* pObj)
{
    int iCode = 0;
    TRAYLIMIT tl;
    LONG a[7];
    if (!pObj || _UserPaperFits(pObj, &iCode, &tl, a))
        return;
    WCHAR szW[64], szL[64], szRW[128], szRL[128], szTray[32];
    if (a[6]) {
        DlgFormat(szW, 64, u" %ld.%03ld inch ", a[0] / 1000, a[0] % 1000);
        DlgFormat(szL, 64, u" %ld.%03ld inch ", a[1] / 1000, a[1] % 1000);
        DlgFormat(szRW, 128, GetResString(21571), a[2] / 1000, a[2] % 1000, a[3] / 1000, a[3] % 1000);
        DlgFormat(szRL, 128, GetResString(21571), a[4] / 1000, a[4] % 1000, a[5] / 1000, a[5] % 1000);
    } else {
        DlgFormat(szW, 64, u" %ld mm", a[0] / 100);
        DlgFormat(szL, 64, u" %ld mm", a[1] / 100);
        DlgFormat(szRW, 128, GetResString(21570), a[2] / 100, a[3] / 100);
        DlgFormat(szRL, 128, GetResString(21570), a[4] / 100, a[5] / 100);
    }
    lstrcpynW(szTray, GetResString((UINT)tl.lStrId), 32);
    LPCWSTR pszName = GetPaperDisplayName(iCode);
    WCHAR szText[1024];
    DlgFormat(szText, 1024, GetResString(25007), pszName ? pszName : u"", szW, szL, szTray, szRW, szRL);
    MessageBoxW(hwnd, szText, GetResString(25006), MB_ICONWARNING);
}

BOOL bCanWritePrinterData(HANDLE hPrinter)
{
    DWORD dwZero = 0;
    if (SetPrinterDataW(hPrinter, (LPWSTR)u"DUMMY", REG_DWORD, (LPBYTE)&dwZero, sizeof(dwZero)) != ERROR_SUCCESS)
        return FALSE;
    DeletePrinterDataW(hPrinter, (LPWSTR)u"DUMMY");
    return TRUE;
}

INT_PTR CALLBACK UserPaperDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    case WM_VSCROLL:
        OnSpin(hDlg, lParam);
        return TRUE;
    case WM_PAINT:
        Paint(hDlg);
        return TRUE;
    }
    return FALSE;
}
