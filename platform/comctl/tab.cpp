// tab.cpp: the tab control (a row of tabs over a framed display area).
//
// Facts this file relies on:
//  1. The first tab inserted becomes the selected one; TCM_SETCURSEL
//     changes the selection silently.
//  2. A click (or an arrow key) on another tab asks the parent first
//     (TCN_SELCHANGING; nonzero keeps the old tab), then selects and sends
//     TCN_SELCHANGE.
//  3. One row of tabs, each as wide as its text and image plus padding;
//     the display area is what TCM_ADJUSTRECT gives, so a property sheet
//     places its pages where the frame is drawn.
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

#include <new>
#include <string>
#include <vector>

namespace {

struct TABITEM {
    std::u16string text;
    int iImage;
    LPARAM lParam;
};

struct TABCTL {
    std::vector<TABITEM> items;
    int iSel;              // -1 none
    int iFocus;            //
    HIMAGELIST himl;       //
    HFONT hFont;           //
};

const int kPadX = 6;       // text padding inside a tab
const int kLift = 2;       // the selected tab stands this much higher

int _RowHeight(HWND hwnd, TABCTL* p)
{
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, CtlFont(p->hFont));
    TEXTMETRICW tm;
    GetTextMetricsW(hdc, &tm);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    int h = tm.tmHeight + 6;
    int cx, cy;
    if (p->himl && ImageList_GetIconSize(p->himl, &cx, &cy) && cy + 6 > h)
        h = cy + 6;
    return h + kLift;
}

// The rectangle of tab i (unlifted), in client coordinates.
BOOL _ItemRect(HWND hwnd, TABCTL* p, int i, RECT* prc)
{
    if (i < 0 || i >= (int)p->items.size())
        return FALSE;
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, CtlFont(p->hFont));
    int x = kLift;
    int h = _RowHeight(hwnd, p);
    for (int k = 0; k <= i; ++k) {
        SIZE sz = {0, 0};
        const std::u16string& t = p->items[k].text;
        GetTextExtentPoint32W(hdc, t.c_str(), (int)t.size(), &sz);
        int w = sz.cx + 2 * kPadX;
        int cx, cy;
        if (p->himl && p->items[k].iImage >= 0 && ImageList_GetIconSize(p->himl, &cx, &cy))
            w += cx + 3;
        if (k == i)
            SetRect(prc, x, kLift, x + w, h);
        x += w;
    }
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    return TRUE;
}

int _HitTest(HWND hwnd, TABCTL* p, POINT pt)
{
    for (int i = 0; i < (int)p->items.size(); ++i) {
        RECT rc;
        _ItemRect(hwnd, p, i, &rc);
        if (i == p->iSel)
            InflateRect(&rc, kLift, kLift);
        if (PtInRect(&rc, pt))
            return i;
    }
    return -1;
}

// The user picks tab i.
void _UserSelect(HWND hwnd, TABCTL* p, int i)
{
    if (i < 0 || i >= (int)p->items.size() || i == p->iSel)
        return;
    NMHDR nm = {};
    if (CtlNotify(hwnd, TCN_SELCHANGING, &nm) != 0 || !IsWindow(hwnd))
        return;
    p->iSel = p->iFocus = i;
    InvalidateRect(hwnd, nullptr, TRUE);
    NMHDR nm2 = {};
    CtlNotify(hwnd, TCN_SELCHANGE, &nm2);
}

void _Paint(HWND hwnd, TABCTL* p)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    int h = p->items.empty() ? 0 : _RowHeight(hwnd, p);
    // The strip of the tabs: what the selected tab covered when another was
    // selected goes back to the dialog's face.
    RECT strip = {rc.left, rc.top, rc.right, std::min<LONG>(rc.bottom, h)};
    FillRect(hdc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    // The display area's frame.
    RECT body = rc;
    body.top = h;
    FillRect(hdc, &body, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(hdc, &body, EDGE_RAISED, BF_RECT | BF_SOFT);

    HGDIOBJ old = SelectObject(hdc, CtlFont(p->hFont));
    SetBkMode(hdc, TRANSPARENT);
    bool bEnabled = IsWindowEnabled(hwnd) != 0;
    // Unselected tabs first, then the selected one over its neighbours.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < (int)p->items.size(); ++i) {
            bool bSel = i == p->iSel;
            if (bSel != (pass == 1))
                continue;
            RECT t;
            _ItemRect(hwnd, p, i, &t);
            if (bSel) {
                t.left -= kLift;
                t.right += kLift;
                t.top -= kLift;
                t.bottom += 1;  // joins the body: no line below the selected tab
            }
            FillRect(hdc, &t, GetSysColorBrush(COLOR_BTNFACE));
            DrawEdge(hdc, &t, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
            RECT txt = t;
            txt.left += kPadX;
            int cx, cy;
            if (p->himl && p->items[i].iImage >= 0 && ImageList_GetIconSize(p->himl, &cx, &cy)) {
                ImageList_Draw(p->himl, p->items[i].iImage, hdc, txt.left, (t.top + t.bottom - cy) / 2, ILD_TRANSPARENT);
                txt.left += cx + 3;
            }
            SetTextColor(hdc, GetSysColor(bEnabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            DrawTextW(hdc, p->items[i].text.c_str(), (int)p->items[i].text.size(), &txt,
                      DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            if (bSel && GetFocus() == hwnd) {
                RECT f = t;
                InflateRect(&f, -3, -3);
                DrawFocusRect(hdc, &f);
            }
        }
    }
    SelectObject(hdc, old);
    EndPaint(hwnd, &ps);
}

LRESULT _Script(HWND hwnd, TABCTL* p, PLATSCRIPTACTION* pa)
{
    if (pa->uAction == PSA_ITEMTEXT) {
        if (pa->iIndex < 0 || pa->iIndex >= (int)p->items.size())
            return CtlScriptFail(pa, u"no tab at that position");
        std::u16string t;
        for (WCHAR c : p->items[pa->iIndex].text)
            if (c != u'&')
                t.push_back(c);
        lstrcpynW(pa->szWhy, t.c_str(), (int)(sizeof(pa->szWhy) / sizeof(WCHAR)));
        return PSR_DONE;
    }
    if (pa->uAction != PSA_PICKTAB)
        return PSR_UNKNOWN;
    if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd))
        return CtlScriptFail(pa, u"the tab control is disabled or hidden");
    int i = -1;
    if (pa->pszText) {
        for (int k = 0; k < (int)p->items.size() && i < 0; ++k) {
            std::u16string t;
            for (WCHAR c : p->items[k].text)
                if (c != u'&')
                    t.push_back(c);
            if (lstrcmpiW(t.c_str(), pa->pszText) == 0)
                i = k;
        }
        if (i < 0)
            return CtlScriptFail(pa, u"no tab has that text");
    } else {
        i = pa->iIndex;
        if (i < 0 || i >= (int)p->items.size())
            return CtlScriptFail(pa, u"no tab at that position");
    }
    RECT rc;
    _ItemRect(hwnd, p, i, &rc);
    CtlClickAt(hwnd, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return PSR_DONE;
}

void _CopyOut(const TABITEM& it, TCITEMW* pti)
{
    if ((pti->mask & TCIF_TEXT) && pti->pszText && pti->cchTextMax > 0)
        lstrcpynW(pti->pszText, it.text.c_str(), pti->cchTextMax);
    if (pti->mask & TCIF_IMAGE)
        pti->iImage = it.iImage;
    if (pti->mask & TCIF_PARAM)
        pti->lParam = it.lParam;
}

void _CopyIn(TABITEM& it, const TCITEMW* pti)
{
    if (pti->mask & TCIF_TEXT)
        it.text = pti->pszText ? std::u16string(pti->pszText) : std::u16string();
    if (pti->mask & TCIF_IMAGE)
        it.iImage = pti->iImage;
    if (pti->mask & TCIF_PARAM)
        it.lParam = pti->lParam;
}

LRESULT CALLBACK _TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TABCTL* p = CtlState<TABCTL>(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        TABCTL* pNew = new (std::nothrow) TABCTL{{}, -1, -1, nullptr, nullptr};
        if (!pNew)
            return FALSE;
        CtlSetState(hwnd, pNew);
        break;
    }
    case WM_NCDESTROY:
        delete p;
        CtlSetState(hwnd, nullptr);
        break;
    case WM_PAINT:
        if (p) {
            _Paint(hwnd, p);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;  // the paint fills everything
    case WM_SETFONT:
        p->hFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(p->hFont);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
        if (p && IsWindowEnabled(hwnd)) {
            POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
            int i = _HitTest(hwnd, p, pt);
            if (i >= 0) {
                if (!(GetWindowLongW(hwnd, GWL_STYLE) & TCS_FOCUSNEVER))
                    SetFocus(hwnd);
                _UserSelect(hwnd, p, i);
            }
        }
        return 0;
    case WM_KEYDOWN:
        if (p && IsWindowEnabled(hwnd)) {
            if (wParam == VK_LEFT)
                _UserSelect(hwnd, p, p->iSel - 1);
            else if (wParam == VK_RIGHT)
                _UserSelect(hwnd, p, p->iSel + 1);
        }
        return 0;
    case WM_PLAT_SCRIPT:
        return p && lParam ? _Script(hwnd, p, reinterpret_cast<PLATSCRIPTACTION*>(lParam)) : PSR_UNKNOWN;

    case TCM_GETITEMCOUNT:
        return (LRESULT)p->items.size();
    case TCM_INSERTITEMW: {
        const TCITEMW* pti = reinterpret_cast<const TCITEMW*>(lParam);
        if (!pti || (int)wParam < 0)
            return -1;
        int i = (int)wParam > (int)p->items.size() ? (int)p->items.size() : (int)wParam;
        TABITEM it{std::u16string(), -1, 0};
        _CopyIn(it, pti);
        p->items.insert(p->items.begin() + i, it);
        if (p->iSel < 0)
            p->iSel = p->iFocus = 0;
        else if (i <= p->iSel)
            ++p->iSel;
        InvalidateRect(hwnd, nullptr, TRUE);
        return i;
    }
    case TCM_SETITEMW:
    case TCM_GETITEMW: {
        TCITEMW* pti = reinterpret_cast<TCITEMW*>(lParam);
        if (!pti || (int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return FALSE;
        if (msg == TCM_SETITEMW) {
            _CopyIn(p->items[(int)wParam], pti);
            InvalidateRect(hwnd, nullptr, TRUE);
        } else {
            _CopyOut(p->items[(int)wParam], pti);
        }
        return TRUE;
    }
    case TCM_DELETEITEM:
        if ((int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return FALSE;
        p->items.erase(p->items.begin() + (int)wParam);
        if ((int)wParam < p->iSel || p->iSel >= (int)p->items.size())
            --p->iSel;
        if (p->items.empty())
            p->iSel = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_DELETEALLITEMS:
        p->items.clear();
        p->iSel = p->iFocus = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_GETCURSEL:
        return p->iSel;
    case TCM_SETCURSEL: {
        int iOld = p->iSel;
        if ((int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return -1;
        p->iSel = p->iFocus = (int)wParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return iOld;
    }
    case TCM_GETCURFOCUS:
        return p->iFocus;
    case TCM_SETCURFOCUS:
        if ((int)wParam >= 0 && (int)wParam < (int)p->items.size())
            p->iFocus = (int)wParam;
        return 0;
    case TCM_GETITEMRECT:
        return lParam ? _ItemRect(hwnd, p, (int)wParam, reinterpret_cast<RECT*>(lParam)) : FALSE;
    case TCM_HITTEST: {
        TCHITTESTINFO* ph = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (!ph)
            return -1;
        int i = _HitTest(hwnd, p, ph->pt);
        ph->flags = i < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
        return i;
    }
    case TCM_SETIMAGELIST: {
        HIMAGELIST old = p->himl;
        p->himl = reinterpret_cast<HIMAGELIST>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case TCM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(p->himl);
    case TCM_ADJUSTRECT: {
        RECT* prc = reinterpret_cast<RECT*>(lParam);
        if (!prc)
            return 0;
        int h = _RowHeight(hwnd, p);
        if (wParam) {  // display area -> window rectangle
            prc->left -= 4;
            prc->right += 4;
            prc->top -= h + 4;
            prc->bottom += 4;
        } else {       // window rectangle -> display area
            prc->left += 4;
            prc->right -= 4;
            prc->top += h + 4;
            prc->bottom -= 4;
        }
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void TabRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = _TabProc;
    wc.cbWndExtra = CTL_EXTRA_BYTES;
    wc.lpszClassName = WC_TABCONTROLW;
    PlatRegisterSystemClass(&wc);
}
