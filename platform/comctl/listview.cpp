// listview.cpp: the list view in report view (a header of columns over
// rows of items with subitems).
//
// Facts this file relies on:
//  1. Every change of an item's state goes through one function: it asks
//     the parent (LVN_ITEMCHANGING with the old and new states; nonzero
//     refuses), applies the change to the state the item has by then, and
//     reports what really changed (LVN_ITEMCHANGED).
//  2. A selection made of several changes (in a single-selection list:
//     the others lose the selection, then the new item gains it) is given
//     up as soon as a notification handler starts a selection of its own:
//     the handler's choice stands, and no handler sees a state the list no
//     longer has.
//  3. Items are kept by identity while notifications run, so a handler
//     that inserts or deletes rows does not make the list change the
//     wrong row.
//  4. Under LVS_OWNERDRAWFIXED each row is drawn by the parent through
//     WM_DRAWITEM (ODT_LISTVIEW); the row height comes from WM_MEASUREITEM,
//     asked once.
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

struct LVITEMREC {
    std::vector<std::u16string> texts;  // [0] the item, [k] subitem k
    int iImage;
    LPARAM lParam;
    UINT state;
};

struct LVCOL {
    int fmt;
    int cx;
    std::u16string text;
};

struct LISTVIEW {
    std::vector<std::shared_ptr<LVITEMREC>> items;
    std::vector<LVCOL> cols;
    HIMAGELIST himlSmall, himlNormal, himlState;
    HFONT hFont;
    int iTop;              // first row shown
    int cyRow;             // 0 until measured
    DWORD dwExStyle;       // LVS_EX_*
    COLORREF clrBk, clrText, clrTextBk;
    unsigned long serial;  // counts selections started
    int iPressedCol;       // header column pressed, -1 none
    BOOL bPressedIn;       // the pointer is over the pressed column
    int iSizingCol;        // column whose right edge is dragged, -1 none
    int xSizeStart;        // where the drag began, and the width then
    int cxSizeStart;
    int iMark;             // selection mark
};

int _Index(LISTVIEW* p, const LVITEMREC* it)
{
    for (size_t i = 0; i < p->items.size(); ++i)
        if (p->items[i].get() == it)
            return (int)i;
    return -1;
}

int _HeaderHeight(HWND hwnd, LISTVIEW* p)
{
    if (GetWindowLongW(hwnd, GWL_STYLE) & LVS_NOCOLUMNHEADER)
        return 0;
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, CtlFont(p->hFont));
    TEXTMETRICW tm;
    GetTextMetricsW(hdc, &tm);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    return tm.tmHeight + 6;
}

int _RowHeight(HWND hwnd, LISTVIEW* p)
{
    if (p->cyRow)
        return p->cyRow;
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, CtlFont(p->hFont));
    TEXTMETRICW tm;
    GetTextMetricsW(hdc, &tm);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    int h = tm.tmHeight + 2;
    int cx, cy;
    if (p->himlSmall && ImageList_GetIconSize(p->himlSmall, &cx, &cy) && cy + 1 > h)
        h = cy + 1;
    if (GetWindowLongW(hwnd, GWL_STYLE) & LVS_OWNERDRAWFIXED) {
        MEASUREITEMSTRUCT mis = {};
        mis.CtlType = ODT_LISTVIEW;
        mis.CtlID = (UINT)GetDlgCtrlID(hwnd);
        mis.itemHeight = (UINT)h;
        SendMessageW(GetParent(hwnd), WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
        if (mis.itemHeight > 0 && mis.itemHeight < 1000)
            h = (int)mis.itemHeight;
    }
    p->cyRow = h;
    return h;
}

int _PerPage(HWND hwnd, LISTVIEW* p)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int n = (rc.bottom - rc.top - _HeaderHeight(hwnd, p)) / _RowHeight(hwnd, p);
    return n > 0 ? n : 1;
}

int _ColLeft(LISTVIEW* p, int iCol)
{
    int x = 0;
    for (int k = 0; k < iCol && k < (int)p->cols.size(); ++k)
        x += p->cols[k].cx;
    return x;
}

// The whole row i, in client coordinates.
RECT _RowRect(HWND hwnd, LISTVIEW* p, int i)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int h = _RowHeight(hwnd, p);
    int top = _HeaderHeight(hwnd, p) + (i - p->iTop) * h;
    int right = _ColLeft(p, (int)p->cols.size());
    SetRect(&rc, 0, top, right > 0 ? right : rc.right, top + h);
    return rc;
}

// Cell rectangle of subitem iSub (0 = the item's own column).
RECT _CellRect(HWND hwnd, LISTVIEW* p, int i, int iSub)
{
    RECT r = _RowRect(hwnd, p, i);
    r.left = _ColLeft(p, iSub);
    r.right = r.left + (iSub < (int)p->cols.size() ? p->cols[iSub].cx : 0);
    return r;
}

void _Invalidate(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT _SendChange(HWND hwnd, UINT code, int i, const LVITEMREC* it, UINT uOld, UINT uNew)
{
    NMLISTVIEW nm = {};
    nm.iItem = i;
    nm.iSubItem = 0;
    nm.uOldState = uOld;
    nm.uNewState = uNew;
    nm.uChanged = LVIF_STATE;
    nm.ptAction.x = nm.ptAction.y = 0;
    nm.lParam = it->lParam;
    return CtlNotify(hwnd, code, &nm.hdr);
}

// The one road of a state change (fact 1). FALSE when refused or when the
// item went away meanwhile.
BOOL _bChangeState(HWND hwnd, LISTVIEW* p, std::shared_ptr<LVITEMREC> it, UINT state, UINT mask)
{
    int i = _Index(p, it.get());
    if (i < 0)
        return FALSE;
    UINT uOld = it->state;
    UINT uNew = (uOld & ~mask) | (state & mask);
    if (uNew == uOld)
        return TRUE;
    if (_SendChange(hwnd, LVN_ITEMCHANGING, i, it.get(), uOld, uNew) != 0)
        return FALSE;
    if (!IsWindow(hwnd) || CtlState<LISTVIEW>(hwnd) != p)
        return FALSE;
    i = _Index(p, it.get());
    if (i < 0)
        return FALSE;
    uOld = it->state;  // what a handler left
    uNew = (uOld & ~mask) | (state & mask);
    if (uNew == uOld)
        return TRUE;
    it->state = uNew;
    if (state & mask & LVIS_SELECTED)
        p->iMark = i;
    _Invalidate(hwnd);
    _SendChange(hwnd, LVN_ITEMCHANGED, i, it.get(), uOld, uNew);
    return TRUE;
}

// Sets state bits on item i (-1: every item), keeping the single
// selection and the single focus (facts 1 and 2).
BOOL _bSetState(HWND hwnd, LISTVIEW* p, int i, UINT state, UINT mask)
{
    if (i < -1 || i >= (int)p->items.size())
        return FALSE;
    unsigned long serial = ++p->serial;
    std::vector<std::shared_ptr<LVITEMREC>> all(p->items);
    if (i == -1) {
        bool bSingle = (GetWindowLongW(hwnd, GWL_STYLE) & LVS_SINGLESEL) != 0;
        if (bSingle && (state & mask & LVIS_SELECTED))
            mask &= ~(UINT)LVIS_SELECTED;  // one list cannot select every row
        if (state & mask & LVIS_FOCUSED)
            mask &= ~(UINT)LVIS_FOCUSED;
        for (auto& it : all) {
            _bChangeState(hwnd, p, it, state, mask);
            if (!IsWindow(hwnd) || p->serial != serial)
                return TRUE;
        }
        return TRUE;
    }
    std::shared_ptr<LVITEMREC> target = all[i];
    UINT uTake = 0;  // bits others must give up first
    if ((state & mask & LVIS_SELECTED) && (GetWindowLongW(hwnd, GWL_STYLE) & LVS_SINGLESEL))
        uTake |= LVIS_SELECTED;
    if (state & mask & LVIS_FOCUSED)
        uTake |= LVIS_FOCUSED;
    if (uTake) {
        for (auto& it : all) {
            if (it == target || !(it->state & uTake))
                continue;
            if (!_bChangeState(hwnd, p, it, 0, it->state & uTake))
                return FALSE;  // the other row keeps its selection: so does the list
            if (!IsWindow(hwnd) || p->serial != serial)
                return TRUE;   // a handler chose for itself (fact 2)
        }
    }
    return _bChangeState(hwnd, p, target, state, mask);
}

void _EnsureVisible(HWND hwnd, LISTVIEW* p, int i)
{
    if (i < 0 || i >= (int)p->items.size())
        return;
    int n = _PerPage(hwnd, p);
    if (i < p->iTop)
        p->iTop = i;
    else if (i >= p->iTop + n)
        p->iTop = i - n + 1;
    _Invalidate(hwnd);
}

int _HitTest(HWND hwnd, LISTVIEW* p, POINT pt, int* piSub, UINT* pFlags)
{
    int hh = _HeaderHeight(hwnd, p);
    *piSub = -1;
    *pFlags = LVHT_NOWHERE;
    if (pt.y < hh)
        return -1;
    int i = p->iTop + (pt.y - hh) / _RowHeight(hwnd, p);
    if (i < 0 || i >= (int)p->items.size())
        return -1;
    int x = 0;
    for (int k = 0; k < (int)p->cols.size(); ++k) {
        if (pt.x >= x && pt.x < x + p->cols[k].cx) {
            *piSub = k;
            break;
        }
        x += p->cols[k].cx;
    }
    if (*piSub < 0 && !p->cols.empty())
        return -1;  // right of the last column
    if (*piSub < 0)
        *piSub = 0;
    *pFlags = LVHT_ONITEMLABEL;
    return i;
}

// The column whose right edge (the divider) is within a few pixels of the
// point in the header, -1 when none.
int _DividerHit(HWND hwnd, LISTVIEW* p, POINT pt)
{
    if (pt.y < 0 || pt.y >= _HeaderHeight(hwnd, p))
        return -1;
    int x = 0;
    for (int k = 0; k < (int)p->cols.size(); ++k) {
        x += p->cols[k].cx;
        if (pt.x >= x - 3 && pt.x <= x + 3)
            return k;
    }
    return -1;
}

int _HeaderHit(HWND hwnd, LISTVIEW* p, POINT pt)
{
    if (pt.y < 0 || pt.y >= _HeaderHeight(hwnd, p))
        return -1;
    int x = 0;
    for (int k = 0; k < (int)p->cols.size(); ++k) {
        if (pt.x >= x && pt.x < x + p->cols[k].cx)
            return k;
        x += p->cols[k].cx;
    }
    return -1;
}

void _SendActivate(HWND hwnd, UINT code, int i, int iSub, POINT pt)
{
    NMITEMACTIVATE nm = {};
    nm.iItem = i;
    nm.iSubItem = iSub < 0 ? 0 : iSub;
    nm.ptAction = pt;
    LISTVIEW* p = CtlState<LISTVIEW>(hwnd);
    if (p && i >= 0 && i < (int)p->items.size()) {
        nm.lParam = p->items[i]->lParam;
        nm.uNewState = nm.uOldState = p->items[i]->state;
    }
    CtlNotify(hwnd, code, &nm.hdr);
}

// A person's selection of row i: it gains selection and focus.
void _UserSelect(HWND hwnd, LISTVIEW* p, int i)
{
    if (i < 0 || i >= (int)p->items.size())
        return;
    _bSetState(hwnd, p, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (IsWindow(hwnd) && CtlState<LISTVIEW>(hwnd) == p)
        _EnsureVisible(hwnd, p, i);
}

int _Focused(LISTVIEW* p)
{
    for (size_t i = 0; i < p->items.size(); ++i)
        if (p->items[i]->state & LVIS_FOCUSED)
            return (int)i;
    return -1;
}

void _Paint(HWND hwnd, LISTVIEW* p)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    COLORREF clrBk = p->clrBk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : p->clrBk;
    HBRUSH hbrBk = CreateSolidBrush(clrBk);
    FillRect(hdc, &rc, hbrBk);
    DeleteObject(hbrBk);
    HGDIOBJ oldFont = SelectObject(hdc, CtlFont(p->hFont));
    SetBkMode(hdc, TRANSPARENT);
    DWORD style = GetWindowLongW(hwnd, GWL_STYLE);
    bool bEnabled = IsWindowEnabled(hwnd) != 0;
    bool bHasFocus = GetFocus() == hwnd;

    int hh = _HeaderHeight(hwnd, p);
    if (hh > 0) {
        int x = 0;
        for (int k = 0; k <= (int)p->cols.size(); ++k) {
            RECT h;
            bool bFiller = k == (int)p->cols.size();
            SetRect(&h, x, 0, bFiller ? rc.right : x + p->cols[k].cx, hh);
            if (h.right <= h.left)
                continue;
            FillRect(hdc, &h, GetSysColorBrush(COLOR_BTNFACE));
            DrawEdge(hdc, &h, k == p->iPressedCol && p->bPressedIn ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);
            if (!bFiller) {
                RECT t = h;
                InflateRect(&t, -6, 0);
                UINT fmt = (p->cols[k].fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT   ? DT_RIGHT
                           : (p->cols[k].fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? DT_CENTER
                                                                                    : DT_LEFT;
                SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
                DrawTextW(hdc, p->cols[k].text.c_str(), (int)p->cols[k].text.size(), &t,
                          fmt | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
                x += p->cols[k].cx;
            }
        }
    }
    // Rows draw below the header only.
    SaveDC(hdc);
    IntersectClipRect(hdc, 0, hh, rc.right, rc.bottom);
    int n = _PerPage(hwnd, p) + 1;
    for (int i = p->iTop; i < (int)p->items.size() && i < p->iTop + n; ++i) {
        const LVITEMREC& it = *p->items[i];
        RECT row = _RowRect(hwnd, p, i);
        bool bSel = (it.state & LVIS_SELECTED) != 0;
        bool bFocus = (it.state & LVIS_FOCUSED) && bHasFocus;
        if (style & LVS_OWNERDRAWFIXED) {
            DRAWITEMSTRUCT dis = {};
            dis.CtlType = ODT_LISTVIEW;
            dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
            dis.itemID = (UINT)i;
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (bSel ? ODS_SELECTED : 0) | (bFocus ? ODS_FOCUS : 0) | (bEnabled ? 0 : ODS_DISABLED);
            dis.hwndItem = hwnd;
            dis.hDC = hdc;
            dis.rcItem = row;
            dis.itemData = (ULONG_PTR)it.lParam;
            SendMessageW(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            if (!IsWindow(hwnd))
                return;
            continue;
        }
        bool bShowSel = bSel && (bHasFocus || (style & LVS_SHOWSELALWAYS));
        for (int k = 0; k < (int)p->cols.size() || (k == 0 && p->cols.empty()); ++k) {
            RECT cell = p->cols.empty() ? row : _CellRect(hwnd, p, i, k);
            if (k == 0 && p->himlSmall && it.iImage >= 0) {
                int cx, cy;
                ImageList_GetIconSize(p->himlSmall, &cx, &cy);
                ImageList_Draw(p->himlSmall, it.iImage, hdc, cell.left + 2, (cell.top + cell.bottom - cy) / 2,
                               ILD_TRANSPARENT | (bShowSel && bHasFocus ? ILD_SELECTED : 0));
                cell.left += cx + 4;
            }
            const std::u16string empty;
            const std::u16string& text = k < (int)it.texts.size() ? it.texts[k] : empty;
            bool bHigh = bShowSel && (k == 0 || (p->dwExStyle & LVS_EX_FULLROWSELECT));
            if (bHigh) {
                RECT hl = cell;
                if (k == 0 && !(p->dwExStyle & LVS_EX_FULLROWSELECT)) {
                    SIZE sz = {0, 0};
                    GetTextExtentPoint32W(hdc, text.c_str(), (int)text.size(), &sz);
                    hl.right = std::min<LONG>(cell.right, cell.left + sz.cx + 6);
                }
                FillRect(hdc, &hl, GetSysColorBrush(bHasFocus ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
            }
            SetTextColor(hdc, !bEnabled ? GetSysColor(COLOR_GRAYTEXT)
                              : bHigh && bHasFocus ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                              : (p->clrText == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : p->clrText));
            RECT t = cell;
            InflateRect(&t, -3, 0);
            int fmt = k < (int)p->cols.size() ? p->cols[k].fmt & LVCFMT_JUSTIFYMASK : LVCFMT_LEFT;
            DrawTextW(hdc, text.c_str(), (int)text.size(), &t,
                      (fmt == LVCFMT_RIGHT ? DT_RIGHT : fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT) |
                          DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            if (p->dwExStyle & LVS_EX_GRIDLINES)
                FrameRect(hdc, &cell, GetSysColorBrush(COLOR_BTNFACE));
        }
        if (bFocus) {
            RECT f = row;
            DrawFocusRect(hdc, &f);
        }
    }
    RestoreDC(hdc, -1);
    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &ps);
}

// The scripted user chooses (or double-clicks) a row by its text or
// position: the row is scrolled into view and clicked where it is shown.
LRESULT _Script(HWND hwnd, LISTVIEW* p, PLATSCRIPTACTION* pa)
{
    if (pa->uAction == PSA_KEY) {
        if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd))
            return CtlScriptFail(pa, u"the list view is disabled or hidden");
        SetFocus(hwnd);
        CtlPressKey(hwnd, (UINT)pa->iValue);
        return PSR_DONE;
    }
    if (pa->uAction == PSA_ITEMTEXT) {
        if (pa->iIndex < 0 || pa->iIndex >= (int)p->items.size())
            return CtlScriptFail(pa, u"no row of the list view at that position");
        const LVITEMREC& it = *p->items[pa->iIndex];
        lstrcpynW(pa->szWhy, it.texts.empty() ? u"" : it.texts[0].c_str(), (int)(sizeof(pa->szWhy) / sizeof(WCHAR)));
        return PSR_DONE;
    }
    if (pa->uAction != PSA_CHOOSE && pa->uAction != PSA_DBLCLICK)
        return PSR_UNKNOWN;
    if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd))
        return CtlScriptFail(pa, u"the list view is disabled or hidden");
    int i = -1;
    if (pa->pszText) {
        for (int k = 0; k < (int)p->items.size() && i < 0; ++k)
            if (!p->items[k]->texts.empty() && lstrcmpiW(p->items[k]->texts[0].c_str(), pa->pszText) == 0)
                i = k;
        if (i < 0)
            return CtlScriptFail(pa, u"no row of the list view has that text");
    } else {
        i = pa->iIndex;
        if (i < 0 || i >= (int)p->items.size())
            return CtlScriptFail(pa, u"no row of the list view at that position");
    }
    // Scrolling is what a person does with the scroll bar first.
    int n = _PerPage(hwnd, p);
    if (i < p->iTop || i >= p->iTop + n) {
        p->iTop = i < p->iTop ? i : i - n + 1;
        _Invalidate(hwnd);
    }
    RECT c = p->cols.empty() ? _RowRect(hwnd, p, i) : _CellRect(hwnd, p, i, 0);
    CtlClickAt(hwnd, (c.left + std::min<LONG>(c.right, c.left + 40)) / 2, (c.top + c.bottom) / 2,
               pa->uAction == PSA_DBLCLICK);
    return PSR_DONE;
}

void _CopyOut(LISTVIEW* p, int i, LVITEMW* pi)
{
    const LVITEMREC& it = *p->items[i];
    int iSub = pi->iSubItem;
    if ((pi->mask & LVIF_TEXT) && pi->pszText && pi->cchTextMax > 0) {
        const std::u16string empty;
        const std::u16string& t = iSub >= 0 && iSub < (int)it.texts.size() ? it.texts[iSub] : empty;
        lstrcpynW(pi->pszText, t.c_str(), pi->cchTextMax);
    }
    if (iSub == 0) {
        if (pi->mask & LVIF_IMAGE)
            pi->iImage = it.iImage;
        if (pi->mask & LVIF_PARAM)
            pi->lParam = it.lParam;
        if (pi->mask & LVIF_STATE)
            pi->state = it.state & pi->stateMask;
        if (pi->mask & LVIF_INDENT)
            pi->iIndent = 0;
    }
}

void _SetText(LVITEMREC& it, int iSub, LPCWSTR psz)
{
    if (iSub < 0 || iSub > 255)
        return;
    if ((int)it.texts.size() <= iSub)
        it.texts.resize(iSub + 1);
    it.texts[iSub] = psz ? std::u16string(psz) : std::u16string();
}

void _DeleteAt(HWND hwnd, LISTVIEW* p, int i)
{
    std::shared_ptr<LVITEMREC> it = p->items[i];
    NMLISTVIEW nm = {};
    nm.iItem = i;
    nm.lParam = it->lParam;
    CtlNotify(hwnd, LVN_DELETEITEM, &nm.hdr);
    if (!IsWindow(hwnd) || CtlState<LISTVIEW>(hwnd) != p)
        return;
    int k = _Index(p, it.get());
    if (k >= 0)
        p->items.erase(p->items.begin() + k);
    if (p->iTop > 0 && p->iTop >= (int)p->items.size())
        p->iTop = (int)p->items.size() - 1;
    _Invalidate(hwnd);
}

LRESULT CALLBACK _ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LISTVIEW* p = CtlState<LISTVIEW>(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        LISTVIEW* pNew = new (std::nothrow) LISTVIEW{};
        if (!pNew)
            return FALSE;
        pNew->clrBk = pNew->clrText = pNew->clrTextBk = CLR_DEFAULT;
        pNew->iPressedCol = -1;
        pNew->iSizingCol = -1;
        pNew->iMark = -1;
        CtlSetState(hwnd, pNew);
        break;
    }
    case WM_NCDESTROY:
        if (p) {
            if (!(GetWindowLongW(hwnd, GWL_STYLE) & LVS_SHAREIMAGELISTS)) {
                ImageList_Destroy(p->himlSmall);
                ImageList_Destroy(p->himlNormal);
                ImageList_Destroy(p->himlState);
            }
            delete p;
            CtlSetState(hwnd, nullptr);
        }
        break;
    case WM_PAINT:
        if (p) {
            _Paint(hwnd, p);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        p->hFont = reinterpret_cast<HFONT>(wParam);
        p->cyRow = 0;
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(p->hFont);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        NMHDR nm = {};
        CtlNotify(hwnd, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS, &nm);
        if (IsWindow(hwnd))
            _Invalidate(hwnd);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN: {
        if (!p || !IsWindowEnabled(hwnd))
            return 0;
        POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
        // A column's divider is dragged to size it; a column is pressed as
        // a button. Either holds the mouse until the button is let go.
        int div = _DividerHit(hwnd, p, pt);
        if (div >= 0) {
            p->iSizingCol = div;
            p->xSizeStart = pt.x;
            p->cxSizeStart = p->cols[div].cx;
            SetCapture(hwnd);
            return 0;
        }
        int col = _HeaderHit(hwnd, p, pt);
        if (col >= 0) {
            if (!(GetWindowLongW(hwnd, GWL_STYLE) & LVS_NOSORTHEADER)) {
                p->iPressedCol = col;
                p->bPressedIn = TRUE;
                SetCapture(hwnd);
                _Invalidate(hwnd);
            }
            return 0;
        }
        SetFocus(hwnd);
        if (!IsWindow(hwnd))
            return 0;
        int iSub;
        UINT flags;
        int i = _HitTest(hwnd, p, pt, &iSub, &flags);
        if (i >= 0)
            _UserSelect(hwnd, p, i);
        else if (pt.y >= _HeaderHeight(hwnd, p))
            _bSetState(hwnd, p, -1, 0, LVIS_SELECTED);  // a click on no row clears the selection
        return 0;
    }
    case WM_LBUTTONUP: {
        if (!p)
            return 0;
        POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
        if (p->iSizingCol >= 0) {
            p->iSizingCol = -1;
            if (GetCapture() == hwnd)
                ReleaseCapture();
            return 0;
        }
        if (p->iPressedCol >= 0) {
            int col = p->iPressedCol;
            p->iPressedCol = -1;
            if (GetCapture() == hwnd)
                ReleaseCapture();
            _Invalidate(hwnd);
            if (_HeaderHit(hwnd, p, pt) == col) {
                NMLISTVIEW nm = {};
                nm.iItem = -1;
                nm.iSubItem = col;
                nm.ptAction = pt;
                CtlNotify(hwnd, LVN_COLUMNCLICK, &nm.hdr);
            }
            return 0;
        }
        if (pt.y < _HeaderHeight(hwnd, p))
            return 0;
        int iSub;
        UINT flags;
        int i = _HitTest(hwnd, p, pt, &iSub, &flags);
        _SendActivate(hwnd, NM_CLICK, i, iSub, pt);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (!p)
            return 0;
        POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
        if (p->iSizingCol >= 0 && p->iSizingCol < (int)p->cols.size()) {
            int cx = std::max(0, p->cxSizeStart + pt.x - p->xSizeStart);
            if (cx != p->cols[p->iSizingCol].cx) {
                p->cols[p->iSizingCol].cx = cx;
                _Invalidate(hwnd);
            }
        } else if (p->iPressedCol >= 0) {
            // The column looks pressed while the pointer is over it.
            BOOL bIn = _HeaderHit(hwnd, p, pt) == p->iPressedCol;
            if (bIn != p->bPressedIn) {
                p->bPressedIn = bIn;
                _Invalidate(hwnd);
            }
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (p && (HWND)lParam != hwnd && (p->iSizingCol >= 0 || p->iPressedCol >= 0)) {
            p->iSizingCol = -1;
            p->iPressedCol = -1;
            _Invalidate(hwnd);
        }
        return 0;
    case WM_LBUTTONDBLCLK: {
        if (!p || !IsWindowEnabled(hwnd))
            return 0;
        POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
        if (pt.y < _HeaderHeight(hwnd, p))
            return 0;
        int iSub;
        UINT flags;
        int i = _HitTest(hwnd, p, pt, &iSub, &flags);
        _SendActivate(hwnd, NM_DBLCLK, i, iSub, pt);
        return 0;
    }
    case WM_KEYDOWN: {
        if (!p || !IsWindowEnabled(hwnd))
            return 0;
        NMLVKEYDOWN nm = {};
        nm.wVKey = (WORD)wParam;
        nm.flags = 0;
        CtlNotify(hwnd, LVN_KEYDOWN, &nm.hdr);
        if (!IsWindow(hwnd) || CtlState<LISTVIEW>(hwnd) != p || p->items.empty())
            return 0;
        int f = _Focused(p);
        int last = (int)p->items.size() - 1;
        int to = -1;
        switch (wParam) {
        case VK_UP: to = f < 0 ? 0 : std::max(0, f - 1); break;
        case VK_DOWN: to = f < 0 ? 0 : std::min(last, f + 1); break;
        case VK_HOME: to = 0; break;
        case VK_END: to = last; break;
        case VK_PRIOR: to = std::max(0, (f < 0 ? 0 : f) - _PerPage(hwnd, p)); break;
        case VK_NEXT: to = std::min(last, (f < 0 ? 0 : f) + _PerPage(hwnd, p)); break;
        case VK_SPACE: to = f; break;
        }
        if (to >= 0)
            _UserSelect(hwnd, p, to);
        return 0;
    }
    case WM_PLAT_SCRIPT:
        return p && lParam ? _Script(hwnd, p, reinterpret_cast<PLATSCRIPTACTION*>(lParam)) : PSR_UNKNOWN;

    case LVM_GETITEMCOUNT:
        return (LRESULT)p->items.size();
    case LVM_INSERTCOLUMNW: {
        const LVCOLUMNW* pc = reinterpret_cast<const LVCOLUMNW*>(lParam);
        if (!pc || (int)wParam < 0)
            return -1;
        int i = std::min<int>((int)wParam, (int)p->cols.size());
        LVCOL c{LVCFMT_LEFT, 50, std::u16string()};
        if (pc->mask & LVCF_FMT)
            c.fmt = pc->fmt;
        if (pc->mask & LVCF_WIDTH)
            c.cx = pc->cx < 0 ? 0 : pc->cx;
        if ((pc->mask & LVCF_TEXT) && pc->pszText)
            c.text = pc->pszText;
        if (i == 0)
            c.fmt = (c.fmt & ~LVCFMT_JUSTIFYMASK) | LVCFMT_LEFT;  // the first column is always left-aligned
        p->cols.insert(p->cols.begin() + i, c);
        _Invalidate(hwnd);
        return i;
    }
    case LVM_SETCOLUMNW:
    case LVM_GETCOLUMNW: {
        LVCOLUMNW* pc = reinterpret_cast<LVCOLUMNW*>(lParam);
        if (!pc || (int)wParam < 0 || (int)wParam >= (int)p->cols.size())
            return FALSE;
        LVCOL& c = p->cols[(int)wParam];
        if (msg == LVM_SETCOLUMNW) {
            if (pc->mask & LVCF_FMT)
                c.fmt = wParam == 0 ? LVCFMT_LEFT : pc->fmt;
            if (pc->mask & LVCF_WIDTH)
                c.cx = pc->cx < 0 ? 0 : pc->cx;
            if (pc->mask & LVCF_TEXT)
                c.text = pc->pszText ? pc->pszText : u"";
            _Invalidate(hwnd);
        } else {
            if (pc->mask & LVCF_FMT)
                pc->fmt = c.fmt;
            if (pc->mask & LVCF_WIDTH)
                pc->cx = c.cx;
            if ((pc->mask & LVCF_TEXT) && pc->pszText && pc->cchTextMax > 0)
                lstrcpynW(pc->pszText, c.text.c_str(), pc->cchTextMax);
            if (pc->mask & LVCF_SUBITEM)
                pc->iSubItem = (int)wParam;
        }
        return TRUE;
    }
    case LVM_DELETECOLUMN:
        if ((int)wParam < 0 || (int)wParam >= (int)p->cols.size())
            return FALSE;
        p->cols.erase(p->cols.begin() + (int)wParam);
        for (auto& it : p->items)
            if ((int)wParam < (int)it->texts.size() && (int)wParam > 0)
                it->texts.erase(it->texts.begin() + (int)wParam);
        _Invalidate(hwnd);
        return TRUE;
    case LVM_GETCOLUMNWIDTH:
        return (int)wParam >= 0 && (int)wParam < (int)p->cols.size() ? p->cols[(int)wParam].cx : 0;
    case LVM_SETCOLUMNWIDTH:
        if ((int)wParam < 0 || (int)wParam >= (int)p->cols.size())
            return FALSE;
        p->cols[(int)wParam].cx = (SHORT)LOWORD(lParam) < 0 ? 0 : (SHORT)LOWORD(lParam);
        _Invalidate(hwnd);
        return TRUE;
    case LVM_INSERTITEMW: {
        const LVITEMW* pi = reinterpret_cast<const LVITEMW*>(lParam);
        if (!pi || pi->iSubItem != 0 || pi->iItem < 0)
            return -1;
        auto it = std::make_shared<LVITEMREC>();
        it->iImage = (pi->mask & LVIF_IMAGE) ? pi->iImage : -1;
        it->lParam = (pi->mask & LVIF_PARAM) ? pi->lParam : 0;
        it->state = (pi->mask & LVIF_STATE) ? (pi->state & pi->stateMask) : 0;
        if (GetWindowLongW(hwnd, GWL_STYLE) & LVS_SINGLESEL)
            it->state &= ~(UINT)LVIS_SELECTED;  // selections go through the notifications
        it->state &= ~(UINT)LVIS_FOCUSED;
        _SetText(*it, 0, (pi->mask & LVIF_TEXT) ? pi->pszText : nullptr);
        int i = std::min<int>(pi->iItem, (int)p->items.size());
        p->items.insert(p->items.begin() + i, it);
        _Invalidate(hwnd);
        NMLISTVIEW nm = {};
        nm.iItem = i;
        nm.lParam = it->lParam;
        CtlNotify(hwnd, LVN_INSERTITEM, &nm.hdr);
        return i;
    }
    case LVM_SETITEMW: {
        LVITEMW* pi = reinterpret_cast<LVITEMW*>(lParam);
        if (!pi || pi->iItem < 0 || pi->iItem >= (int)p->items.size())
            return FALSE;
        std::shared_ptr<LVITEMREC> it = p->items[pi->iItem];
        if (pi->mask & LVIF_TEXT)
            _SetText(*it, pi->iSubItem, pi->pszText);
        if (pi->iSubItem == 0) {
            if (pi->mask & LVIF_IMAGE)
                it->iImage = pi->iImage;
            if (pi->mask & LVIF_PARAM)
                it->lParam = pi->lParam;
        }
        _Invalidate(hwnd);
        if ((pi->mask & LVIF_STATE) && pi->iSubItem == 0)
            return _bSetState(hwnd, p, pi->iItem, pi->state, pi->stateMask);
        return TRUE;
    }
    case LVM_GETITEMW: {
        LVITEMW* pi = reinterpret_cast<LVITEMW*>(lParam);
        if (!pi || pi->iItem < 0 || pi->iItem >= (int)p->items.size())
            return FALSE;
        _CopyOut(p, pi->iItem, pi);
        return TRUE;
    }
    case LVM_SETITEMTEXTW: {
        const LVITEMW* pi = reinterpret_cast<const LVITEMW*>(lParam);
        if (!pi || (int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return FALSE;
        _SetText(*p->items[(int)wParam], pi->iSubItem, pi->pszText);
        _Invalidate(hwnd);
        return TRUE;
    }
    case LVM_GETITEMTEXTW: {
        LVITEMW* pi = reinterpret_cast<LVITEMW*>(lParam);
        if (!pi || !pi->pszText || pi->cchTextMax <= 0 || (int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return 0;
        LVITEMW tmp = *pi;
        tmp.mask = LVIF_TEXT;
        _CopyOut(p, (int)wParam, &tmp);
        return lstrlenW(pi->pszText);
    }
    case LVM_DELETEITEM:
        if ((int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return FALSE;
        _DeleteAt(hwnd, p, (int)wParam);
        return TRUE;
    case LVM_DELETEALLITEMS: {
        NMLISTVIEW nm = {};
        nm.iItem = -1;
        BOOL bQuiet = CtlNotify(hwnd, LVN_DELETEALLITEMS, &nm.hdr) != 0;
        if (!IsWindow(hwnd) || CtlState<LISTVIEW>(hwnd) != p)
            return TRUE;
        if (bQuiet) {
            p->items.clear();
        } else {
            while (!p->items.empty() && IsWindow(hwnd) && CtlState<LISTVIEW>(hwnd) == p)
                _DeleteAt(hwnd, p, 0);
        }
        p->iTop = 0;
        p->iMark = -1;
        _Invalidate(hwnd);
        return TRUE;
    }
    case LVM_SETITEMSTATE: {
        const LVITEMW* pi = reinterpret_cast<const LVITEMW*>(lParam);
        if (!pi)
            return FALSE;
        return _bSetState(hwnd, p, (int)wParam, pi->state, pi->stateMask);
    }
    case LVM_GETITEMSTATE:
        if ((int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return 0;
        return p->items[(int)wParam]->state & (UINT)lParam;
    case LVM_GETNEXTITEM: {
        int start = (int)wParam;
        UINT flags = LOWORD(lParam);
        int n = (int)p->items.size();
        UINT want = flags & (LVNI_SELECTED | LVNI_FOCUSED);
        if (flags & LVNI_ABOVE) {
            for (int i = start - 1; i >= 0; --i)
                if ((p->items[i]->state & want) == want)
                    return i;
            return -1;
        }
        for (int i = start < -1 ? 0 : start + 1; i < n; ++i)
            if ((p->items[i]->state & want) == want)
                return i;
        return -1;
    }
    case LVM_GETSELECTEDCOUNT: {
        int c = 0;
        for (auto& it : p->items)
            if (it->state & LVIS_SELECTED)
                ++c;
        return c;
    }
    case LVM_GETSELECTIONMARK:
        return p->iMark;
    case LVM_SETSELECTIONMARK: {
        int old = p->iMark;
        p->iMark = (int)lParam;
        return old;
    }
    case LVM_ENSUREVISIBLE:
        if ((int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return FALSE;
        _EnsureVisible(hwnd, p, (int)wParam);
        return TRUE;
    case LVM_GETTOPINDEX:
        return p->iTop;
    case LVM_GETCOUNTPERPAGE:
        return _PerPage(hwnd, p);
    case LVM_SORTITEMS: {
        PFNLVCOMPARE pfn = reinterpret_cast<PFNLVCOMPARE>(lParam);
        if (!pfn)
            return FALSE;
        LPARAM sortParam = (LPARAM)wParam;
        // Sorted on a copy: a comparison that touches the list sees it whole.
        std::vector<std::shared_ptr<LVITEMREC>> v(p->items);
        std::stable_sort(v.begin(), v.end(), [&](const std::shared_ptr<LVITEMREC>& a, const std::shared_ptr<LVITEMREC>& b) {
            return pfn(a->lParam, b->lParam, sortParam) < 0;
        });
        if (IsWindow(hwnd) && CtlState<LISTVIEW>(hwnd) == p && v.size() == p->items.size())
            p->items.swap(v);
        _Invalidate(hwnd);
        return TRUE;
    }
    case LVM_FINDITEMW: {
        const LVFINDINFOW* pf = reinterpret_cast<const LVFINDINFOW*>(lParam);
        if (!pf)
            return -1;
        for (int i = (int)wParam + 1; i < (int)p->items.size(); ++i) {
            const LVITEMREC& it = *p->items[i];
            if ((pf->flags & LVFI_PARAM) && it.lParam == pf->lParam)
                return i;
            if ((pf->flags & LVFI_STRING) && pf->psz && !it.texts.empty()) {
                if (pf->flags & LVFI_PARTIAL) {
                    int n = lstrlenW(pf->psz);
                    std::u16string head = it.texts[0].substr(0, n);
                    if (lstrcmpiW(head.c_str(), pf->psz) == 0)
                        return i;
                } else if (lstrcmpiW(it.texts[0].c_str(), pf->psz) == 0) {
                    return i;
                }
            }
        }
        return -1;
    }
    case LVM_GETITEMRECT:
    case LVM_GETSUBITEMRECT: {
        RECT* prc = reinterpret_cast<RECT*>(lParam);
        if (!prc || (int)wParam < 0 || (int)wParam >= (int)p->items.size())
            return FALSE;
        int code = prc->left;
        int iSub = msg == LVM_GETSUBITEMRECT ? prc->top : 0;
        if (iSub < 0 || (iSub > 0 && iSub >= (int)p->cols.size()))
            return FALSE;
        RECT r = (iSub == 0 && (msg == LVM_GETITEMRECT || code == LVIR_BOUNDS)) ? _RowRect(hwnd, p, (int)wParam)
                                                                                : _CellRect(hwnd, p, (int)wParam, iSub);
        if (code == LVIR_ICON || code == LVIR_LABEL) {
            RECT cell = _CellRect(hwnd, p, (int)wParam, iSub);
            int cx = 0, cy = 0;
            if (iSub == 0 && p->himlSmall)
                ImageList_GetIconSize(p->himlSmall, &cx, &cy);
            r = cell;
            if (code == LVIR_ICON)
                r.right = r.left + (cx ? cx + 4 : 0);
            else
                r.left += cx ? cx + 4 : 0;
        }
        *prc = r;
        return TRUE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
        LVHITTESTINFO* ph = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (!ph)
            return -1;
        int iSub;
        UINT flags;
        ph->iItem = _HitTest(hwnd, p, ph->pt, &iSub, &flags);
        ph->flags = flags;
        if (msg == LVM_SUBITEMHITTEST)
            ph->iSubItem = iSub < 0 ? 0 : iSub;
        return ph->iItem;
    }
    case LVM_SETIMAGELIST: {
        HIMAGELIST h = reinterpret_cast<HIMAGELIST>(lParam);
        HIMAGELIST old = nullptr;
        if (wParam == LVSIL_SMALL) {
            old = p->himlSmall;
            p->himlSmall = h;
            p->cyRow = 0;
        } else if (wParam == LVSIL_NORMAL) {
            old = p->himlNormal;
            p->himlNormal = h;
        } else if (wParam == LVSIL_STATE) {
            old = p->himlState;
            p->himlState = h;
        }
        _Invalidate(hwnd);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == LVSIL_SMALL ? p->himlSmall
                                         : wParam == LVSIL_NORMAL ? p->himlNormal
                                         : wParam == LVSIL_STATE ? p->himlState
                                                                 : nullptr);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD old = p->dwExStyle;
        DWORD mask = wParam ? (DWORD)wParam : 0xFFFFFFFF;
        p->dwExStyle = (old & ~mask) | ((DWORD)lParam & mask);
        _Invalidate(hwnd);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return p->dwExStyle;
    case LVM_GETBKCOLOR:
        return p->clrBk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : p->clrBk;
    case LVM_SETBKCOLOR:
        p->clrBk = (COLORREF)lParam;
        _Invalidate(hwnd);
        return TRUE;
    case LVM_GETTEXTCOLOR:
        return p->clrText == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : p->clrText;
    case LVM_SETTEXTCOLOR:
        p->clrText = (COLORREF)lParam;
        _Invalidate(hwnd);
        return TRUE;
    case LVM_GETTEXTBKCOLOR:
        return p->clrTextBk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : p->clrTextBk;
    case LVM_SETTEXTBKCOLOR:
        p->clrTextBk = (COLORREF)lParam;
        _Invalidate(hwnd);
        return TRUE;
    case LVM_REDRAWITEMS:
    case LVM_UPDATE:
        _Invalidate(hwnd);
        return TRUE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void ListViewRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = _ListViewProc;
    wc.cbWndExtra = CTL_EXTRA_BYTES;
    wc.lpszClassName = WC_LISTVIEWW;
    PlatRegisterSystemClass(&wc);
}
