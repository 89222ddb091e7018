// listbox.cpp: the list box control (sorted or not, tab stops, owner-draw
// fixed items, single selection), which is also the dropped list of a
// combo box, with its painting.
//
// Rules:
//  1. LB_SETCURSEL and the other messages change the selection silently;
//     a selection by the user (a click on an item, the arrow keys) sends
//     LBN_SELCHANGE when LBS_NOTIFY is set.
//  2. The list of a combo box notifies the combo box (PLAT_LISTPICK) and
//     asks the combo box's parent for WM_MEASUREITEM / WM_DRAWITEM as
//     ODT_COMBOBOX under the combo box's id.
//  3. Sorted lists compare texts without regard to case.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/kernel/wstr.h"

#include <algorithm>
#include <cstring>

namespace {

struct LBITEM {
    std::u16string strText;
    ULONG_PTR lData;
};

struct LISTBOX {
    std::vector<LBITEM> aItems;
    int iSel;             // -1: none
    int iCaret;
    int iTop;             // first visible item
    int cyItem;           // item height
    BOOL bFocus;
    BOOL bTracking;
    std::vector<int> aTabStops;  // dialog units
    HWND hwndCombo;       // the combo box this list belongs to, or null
};

LISTBOX* Lb(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    return w ? static_cast<LISTBOX*>(w->pCtl) : nullptr;
}

BOOL HasStrings(const WND* w)
{
    return !(w->dwStyle & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (w->dwStyle & LBS_HASSTRINGS);
}

// Where notifications and owner-draw requests go (rule 2).
void Target(HWND hwnd, HWND* phTo, UINT* pId, UINT* pType, HWND* phItem)
{
    WND* w = WndPeek(hwnd);
    LISTBOX* l = Lb(hwnd);
    if (l->hwndCombo && WndPeek(l->hwndCombo)) {
        *phTo = GetParent(l->hwndCombo);
        *pId = static_cast<UINT>(GetDlgCtrlID(l->hwndCombo));
        *pType = ODT_COMBOBOX;
        *phItem = l->hwndCombo;
        return;
    }
    *phTo = GetParent(hwnd);
    *pId = static_cast<UINT>(w->id);
    *pType = ODT_LISTBOX;
    *phItem = hwnd;
}

int ItemHeightDefault(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, WndFont(w));
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

void Notify(HWND hwnd, UINT code)
{
    WND* w = WndPeek(hwnd);
    LISTBOX* l = Lb(hwnd);
    if (l->hwndCombo || !(w->dwStyle & LBS_NOTIFY))
        return;
    WndNotifyParent(hwnd, code);
}

void DrawTabbed(HDC hdc, const std::u16string& s, RECT rc, const std::vector<int>& stops, BOOL bTabs)
{
    if (!bTabs || s.find(u'\t') == std::u16string::npos) {
        DrawTextW(hdc, s.c_str(), -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        return;
    }
    int cxBase, cyBase;
    DlgBaseUnits(&cxBase, &cyBase);
    size_t start = 0;
    int iStop = 0;
    int x = rc.left;
    while (true) {
        size_t t = s.find(u'\t', start);
        std::u16string part = s.substr(start, t == std::u16string::npos ? std::u16string::npos : t - start);
        RECT r = {x, rc.top, rc.right, rc.bottom};
        DrawTextW(hdc, part.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (t == std::u16string::npos)
            break;
        // The next stop: the given ones in dialog units, then every 32.
        int stop = iStop < static_cast<int>(stops.size()) ? stops[static_cast<size_t>(iStop)]
                   : stops.empty() ? 32 * (iStop + 1)
                                   : stops.back() + (stops.size() == 1 ? stops[0] : 32) * (iStop + 1 - static_cast<int>(stops.size()));
        x = rc.left + stop * cxBase / 4;
        ++iStop;
        start = t + 1;
    }
}

void DrawItem(HWND hwnd, HDC hdc, int i, RECT rc)
{
    WND* w = WndPeek(hwnd);
    LISTBOX* l = Lb(hwnd);
    BOOL bSel = i == l->iSel;
    BOOL bDisabled = (w->dwStyle & WS_DISABLED) != 0;
    if (w->dwStyle & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) {
        HWND hTo, hItem;
        UINT id, type;
        Target(hwnd, &hTo, &id, &type, &hItem);
        DRAWITEMSTRUCT dis = {type, id, static_cast<UINT>(i), ODA_DRAWENTIRE,
                              (bSel ? static_cast<UINT>(ODS_SELECTED) : 0u) |
                                  (l->bFocus && i == l->iCaret ? static_cast<UINT>(ODS_FOCUS) : 0u) |
                                  (bDisabled ? static_cast<UINT>(ODS_DISABLED) : 0u),
                              hItem, hdc, rc, l->aItems[static_cast<size_t>(i)].lData};
        SendMessageW(hTo, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&dis));
        return;
    }
    FillRect(hdc, &rc, GetSysColorBrush(bSel ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    COLORREF crOld = SetTextColor(hdc, bDisabled ? GetSysColor(COLOR_GRAYTEXT)
                                        : bSel   ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                 : GetTextColor(hdc));
    RECT rt = rc;
    rt.left += 2;
    DrawTabbed(hdc, l->aItems[static_cast<size_t>(i)].strText, rt, l->aTabStops, (w->dwStyle & LBS_USETABSTOPS) != 0);
    SetTextColor(hdc, crOld);
    if (l->bFocus && i == l->iCaret)
        DrawFocusRect(hdc, &rc);
}

void PaintList(HWND hwnd, HDC hdc)
{
    LISTBOX* l = Lb(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH hbr = PaintCtlColor(hwnd, hdc, WM_CTLCOLORLISTBOX);
    FillRect(hdc, &rc, hbr ? hbr : GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(hdc, TRANSPARENT);
    int y = 0;
    for (int i = l->iTop; i < static_cast<int>(l->aItems.size()) && y < rc.bottom; ++i, y += l->cyItem)
        DrawItem(hwnd, hdc, i, RECT{0, y, rc.right, y + l->cyItem});
}

int Insert(HWND hwnd, int iAt, LPCWSTR psz, ULONG_PTR lData)
{
    WND* w = WndPeek(hwnd);
    LISTBOX* l = Lb(hwnd);
    LBITEM it;
    if (HasStrings(w)) {
        if (!psz)
            psz = u"";
        it.strText = psz;
        it.lData = 0;
    } else {
        it.lData = reinterpret_cast<ULONG_PTR>(psz);
        it.lData = lData ? lData : it.lData;
    }
    int n = static_cast<int>(l->aItems.size());
    if (iAt < 0 || iAt > n)
        iAt = n;
    l->aItems.insert(l->aItems.begin() + iAt, it);
    if (l->iSel >= iAt)
        ++l->iSel;
    if (w->dwStyle & LBS_OWNERDRAWVARIABLE) {
        HWND hTo, hItem;
        UINT id, type;
        Target(hwnd, &hTo, &id, &type, &hItem);
        MEASUREITEMSTRUCT mis = {type, id, static_cast<UINT>(iAt), 0, static_cast<UINT>(l->cyItem),
                                 l->aItems[static_cast<size_t>(iAt)].lData};
        SendMessageW(hTo, WM_MEASUREITEM, id, reinterpret_cast<LPARAM>(&mis));
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return iAt;
}

int SortedPos(HWND hwnd, LPCWSTR psz)
{
    LISTBOX* l = Lb(hwnd);
    int i = 0;
    while (i < static_cast<int>(l->aItems.size()) &&
           lstrcmpiW(l->aItems[static_cast<size_t>(i)].strText.c_str(), psz ? psz : u"") <= 0)
        ++i;
    return i;
}

int Find(HWND hwnd, int iStart, LPCWSTR psz, BOOL bExact)
{
    WND* w = WndPeek(hwnd);
    LISTBOX* l = Lb(hwnd);
    int n = static_cast<int>(l->aItems.size());
    if (!psz || n == 0)
        return LB_ERR;
    std::u16string want = psz;
    for (int k = 1; k <= n; ++k) {
        int i = ((iStart < 0 ? -1 : iStart) + k) % n;
        const LBITEM& it = l->aItems[static_cast<size_t>(i)];
        if (!HasStrings(w)) {
            if (it.lData == reinterpret_cast<ULONG_PTR>(psz))
                return i;
            continue;
        }
        if (bExact ? lstrcmpiW(it.strText.c_str(), psz) == 0
                   : (it.strText.size() >= want.size() &&
                      lstrcmpiW(it.strText.substr(0, want.size()).c_str(), psz) == 0))
            return i;
    }
    return LB_ERR;
}

// A selection made by the user (rule 1).
void UserSelect(HWND hwnd, int i)
{
    LISTBOX* l = Lb(hwnd);
    if (i < 0 || i >= static_cast<int>(l->aItems.size()))
        return;
    BOOL bChanged = l->iSel != i;
    l->iSel = i;
    l->iCaret = i;
    InvalidateRect(hwnd, nullptr, TRUE);
    if (bChanged)
        Notify(hwnd, LBN_SELCHANGE);
}

int ItemFromY(HWND hwnd, int y)
{
    LISTBOX* l = Lb(hwnd);
    if (y < 0 || l->cyItem <= 0)
        return -1;
    int i = l->iTop + y / l->cyItem;
    return i < static_cast<int>(l->aItems.size()) ? i : -1;
}

LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndPeek(hwnd);
    LISTBOX* l = Lb(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        LISTBOX* n = new LISTBOX();
        n->iSel = -1;
        n->iCaret = 0;
        w->pCtl = n;
        const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        n->hwndCombo = (w->dwStyle & WS_CHILD) ? nullptr : static_cast<HWND>(cs->lpCreateParams);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_CREATE: {
        l->cyItem = ItemHeightDefault(hwnd);
        if (w->dwStyle & LBS_OWNERDRAWFIXED) {
            HWND hTo, hItem;
            UINT id, type;
            Target(hwnd, &hTo, &id, &type, &hItem);
            MEASUREITEMSTRUCT mis = {type, id, 0, 0, static_cast<UINT>(l->cyItem), 0};
            SendMessageW(hTo, WM_MEASUREITEM, id, reinterpret_cast<LPARAM>(&mis));
            if (mis.itemHeight)
                l->cyItem = static_cast<int>(mis.itemHeight);
        }
        return 0;
    }
    case WM_NCDESTROY:
        delete l;
        w->pCtl = nullptr;
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) {
            PaintList(hwnd, hdc);
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        if (!(w->dwStyle & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))
            l->cyItem = ItemHeightDefault(hwnd);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
        l->bFocus = TRUE;
        InvalidateRect(hwnd, nullptr, TRUE);
        Notify(hwnd, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (l) {
            l->bFocus = FALSE;
            InvalidateRect(hwnd, nullptr, TRUE);
            Notify(hwnd, LBN_KILLFOCUS);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (l->hwndCombo) {
            // The dropped list holds the mouse: a press outside it closes it.
            RECT rc;
            GetClientRect(hwnd, &rc);
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (!PtInRect(&rc, pt)) {
                SendMessageW(l->hwndCombo, WM_PLAT_LISTPICK, static_cast<WPARAM>(-1), 0);
                return 0;
            }
        }
        if (!l->hwndCombo)
            SetFocus(hwnd);
        if (!IsWindow(hwnd))
            return 0;
        int i = ItemFromY(hwnd, GET_Y_LPARAM(lParam));
        if (msg == WM_LBUTTONDBLCLK) {
            if (i >= 0)
                Notify(hwnd, LBN_DBLCLK);
            return 0;
        }
        l->bTracking = TRUE;
        if (!l->hwndCombo && i >= 0 && !(w->dwStyle & LBS_NOSEL))
            UserSelect(hwnd, i);
        return 0;
    }
    case WM_LBUTTONUP: {
        if (!l->bTracking)
            return 0;
        l->bTracking = FALSE;
        int i = ItemFromY(hwnd, GET_Y_LPARAM(lParam));
        if (l->hwndCombo && i >= 0)
            SendMessageW(l->hwndCombo, WM_PLAT_LISTPICK, static_cast<WPARAM>(i), 0);
        return 0;
    }
    case WM_KEYDOWN: {
        int n = static_cast<int>(l->aItems.size());
        if (!n)
            return 0;
        int i = l->iSel < 0 ? 0 : l->iSel;
        switch (wParam) {
        case VK_UP: case VK_LEFT: i = std::max(0, i - 1); break;
        case VK_DOWN: case VK_RIGHT: i = l->iSel < 0 ? 0 : std::min(n - 1, i + 1); break;
        case VK_HOME: i = 0; break;
        case VK_END: i = n - 1; break;
        default: return 0;
        }
        if (l->hwndCombo)
            SendMessageW(l->hwndCombo, WM_PLAT_LISTPICK, static_cast<WPARAM>(i), 1);
        else
            UserSelect(hwnd, i);
        return 0;
    }
    case LB_ADDSTRING: {
        LPCWSTR psz = reinterpret_cast<LPCWSTR>(lParam);
        int at = (w->dwStyle & LBS_SORT) && HasStrings(w) ? SortedPos(hwnd, psz) : -1;
        return Insert(hwnd, at, psz, 0);
    }
    case LB_INSERTSTRING:
        return Insert(hwnd, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), 0);
    case LB_DELETESTRING: {
        int i = static_cast<int>(wParam);
        if (i < 0 || i >= static_cast<int>(l->aItems.size()))
            return LB_ERR;
        if (!HasStrings(w) || (w->dwStyle & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE))) {
            HWND hTo, hItem;
            UINT id, type;
            Target(hwnd, &hTo, &id, &type, &hItem);
            DELETEITEMSTRUCT dis = {type, id, static_cast<UINT>(i), hItem, l->aItems[static_cast<size_t>(i)].lData};
            SendMessageW(hTo, WM_DELETEITEM, id, reinterpret_cast<LPARAM>(&dis));
            l = Lb(hwnd);
            if (!l || i >= static_cast<int>(l->aItems.size()))
                return LB_ERR;
        }
        l->aItems.erase(l->aItems.begin() + i);
        if (l->iSel == i)
            l->iSel = -1;
        else if (l->iSel > i)
            --l->iSel;
        InvalidateRect(hwnd, nullptr, TRUE);
        return static_cast<LRESULT>(l->aItems.size());
    }
    case LB_RESETCONTENT:
        l->aItems.clear();
        l->iSel = -1;
        l->iCaret = 0;
        l->iTop = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case LB_GETCOUNT:
        return static_cast<LRESULT>(l->aItems.size());
    case LB_SETCURSEL: {
        int i = static_cast<int>(wParam);
        if (i < -1 || i >= static_cast<int>(l->aItems.size())) {
            l->iSel = -1;
            InvalidateRect(hwnd, nullptr, TRUE);
            return LB_ERR;
        }
        l->iSel = i;
        if (i >= 0)
            l->iCaret = i;
        InvalidateRect(hwnd, nullptr, TRUE);
        return i < 0 ? LB_ERR : i;
    }
    case LB_GETCURSEL:
        return l->iSel;
    case LB_GETSEL:
        return static_cast<int>(wParam) == l->iSel && l->iSel >= 0 ? 1 : 0;
    case LB_GETTEXT: {
        int i = static_cast<int>(wParam);
        if (i < 0 || i >= static_cast<int>(l->aItems.size()))
            return LB_ERR;
        const LBITEM& it = l->aItems[static_cast<size_t>(i)];
        if (!HasStrings(w)) {
            if (lParam)
                *reinterpret_cast<ULONG_PTR*>(lParam) = it.lData;
            return sizeof(ULONG_PTR);
        }
        if (lParam) {
            std::memcpy(reinterpret_cast<WCHAR*>(lParam), it.strText.c_str(), (it.strText.size() + 1) * sizeof(WCHAR));
        }
        return static_cast<LRESULT>(it.strText.size());
    }
    case LB_GETTEXTLEN: {
        int i = static_cast<int>(wParam);
        if (i < 0 || i >= static_cast<int>(l->aItems.size()))
            return LB_ERR;
        return HasStrings(w) ? static_cast<LRESULT>(l->aItems[static_cast<size_t>(i)].strText.size())
                             : static_cast<LRESULT>(sizeof(ULONG_PTR));
    }
    case LB_GETITEMDATA: {
        int i = static_cast<int>(wParam);
        if (i < 0 || i >= static_cast<int>(l->aItems.size()))
            return LB_ERR;
        return static_cast<LRESULT>(l->aItems[static_cast<size_t>(i)].lData);
    }
    case LB_SETITEMDATA: {
        int i = static_cast<int>(wParam);
        if (i < 0 || i >= static_cast<int>(l->aItems.size()))
            return LB_ERR;
        l->aItems[static_cast<size_t>(i)].lData = static_cast<ULONG_PTR>(lParam);
        return TRUE;
    }
    case LB_FINDSTRING:
        return Find(hwnd, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), FALSE);
    case LB_FINDSTRINGEXACT:
        return Find(hwnd, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), TRUE);
    case LB_SELECTSTRING: {
        int i = Find(hwnd, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam), FALSE);
        if (i >= 0)
            SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        return i;
    }
    case LB_SETTABSTOPS: {
        l->aTabStops.clear();
        const int* p = reinterpret_cast<const int*>(lParam);
        if (wParam == 1 && p)
            l->aTabStops.push_back(p[0]);
        for (WPARAM i = 0; p && wParam > 1 && i < wParam; ++i)
            l->aTabStops.push_back(p[i]);
        InvalidateRect(hwnd, nullptr, TRUE);
        return (w->dwStyle & LBS_USETABSTOPS) ? TRUE : FALSE;
    }
    case LB_SETITEMHEIGHT:
        if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255)
            return LB_ERR;
        l->cyItem = LOWORD(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case LB_GETITEMHEIGHT:
        return l->cyItem;
    case LB_GETTOPINDEX:
        return l->iTop;
    case LB_SETTOPINDEX:
        if (static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= std::max<int>(1, static_cast<int>(l->aItems.size())))
            return LB_ERR;
        l->iTop = static_cast<int>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case LB_GETCARETINDEX:
        return l->iCaret;
    case LB_SETCARETINDEX:
        l->iCaret = static_cast<int>(wParam);
        return 0;
    case LB_GETITEMRECT: {
        int i = static_cast<int>(wParam);
        RECT* prc = reinterpret_cast<RECT*>(lParam);
        if (!prc || i < 0 || i >= std::max<int>(1, static_cast<int>(l->aItems.size())))
            return LB_ERR;
        RECT rc;
        GetClientRect(hwnd, &rc);
        *prc = {0, (i - l->iTop) * l->cyItem, rc.right, (i - l->iTop + 1) * l->cyItem};
        return 1;
    }
    case LB_ITEMFROMPOINT: {
        int i = ItemFromY(hwnd, GET_Y_LPARAM(lParam));
        return i < 0 ? MAKELRESULT(std::max<int>(0, static_cast<int>(l->aItems.size()) - 1), 1) : MAKELRESULT(i, 0);
    }
    case LB_GETSELCOUNT:
    case LB_GETSELITEMS:
        return LB_ERR;
    case LB_INITSTORAGE:
        l->aItems.reserve(l->aItems.size() + wParam);
        return static_cast<LRESULT>(l->aItems.capacity());
    case WM_PLAT_SCRIPT: {
        PLATSCRIPTACTION* a = reinterpret_cast<PLATSCRIPTACTION*>(lParam);
        if (!a || (a->uAction != PSA_CHOOSE && a->uAction != PSA_DBLCLICK))
            return PSR_UNKNOWN;
        int i = a->pszText ? Find(hwnd, -1, a->pszText, TRUE) : a->iIndex;
        if (i < 0 || i >= static_cast<int>(l->aItems.size()))
            return PSR_FAILED;
        // Bring the item into view as a person scrolls to it, then click.
        RECT rc;
        GetClientRect(hwnd, &rc);
        int cVisible = std::max(1, static_cast<int>(rc.bottom) / std::max(1, l->cyItem));
        if (i < l->iTop || i >= l->iTop + cVisible)
            SendMessageW(hwnd, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
        l = Lb(hwnd);
        LPARAM lp = MAKELPARAM(2, (i - l->iTop) * l->cyItem + l->cyItem / 2);
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, lp);
        if (a->uAction == PSA_DBLCLICK && IsWindow(hwnd)) {
            SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, lp);
            SendMessageW(hwnd, WM_LBUTTONUP, 0, lp);
        }
        return PSR_DONE;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void ListBoxRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS | CS_PARENTDC;
    wc.lpfnWndProc = ListProc;
    wc.lpszClassName = WC_LISTBOXW;
    PlatRegisterSystemClass(&wc);
    wc.lpszClassName = u"ComboLBox";
    PlatRegisterSystemClass(&wc);
}
