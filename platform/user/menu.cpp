// menu.cpp: pop-up menus.
//
// Entry points: CreatePopupMenu, CreateMenu, DestroyMenu, IsMenu,
// AppendMenuW, InsertMenuW, DeleteMenu, RemoveMenu, GetMenuItemCount,
// GetMenuItemID, GetMenuState, GetMenuStringW, CheckMenuItem,
// EnableMenuItem, GetMenuItemInfoW, SetMenuItemInfoW, GetSubMenu,
// TrackPopupMenu, EndMenu; PlatScriptChooseMenuItem.
//
// TrackPopupMenu runs as the desktop's does: WM_ENTERMENULOOP and
// WM_INITMENUPOPUP to the owner, WM_MEASUREITEM for owner-drawn items, a
// pop-up window painted (WM_DRAWITEM with ODT_MENU for owner-drawn items),
// then the choice the scripted user queued (none: the menu is dismissed;
// on the desktop a person chooses with the mouse or the keys),
// WM_EXITMENULOOP, and the chosen id as WM_COMMAND to the owner (or as the
// answer with TPM_RETURNCMD). Handles are small numbers never reused.
//
// The scripted user chooses an item by the text a person reads on it: an
// item's own text, or for an owner-drawn item the text its owner draws;
// the same text without '&' and letter case, or failing that the one item
// whose text begins with it. What became of the choice, and the items the
// menu showed, are kept for the scripted user (MenuLastOutcome).
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/kernel/kernel.h"
#include "platform/user/script.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace {

struct MENUITEM {
    UINT uFlags;        // MF_* type and state bits
    UINT_PTR id;        // command id, or the submenu
    std::u16string strText;
    ULONG_PTR lData;    // owner-drawn item's data (the "text" pointer)
    UINT cyItem;        // measured height of an owner-drawn item
    UINT cxItem;
    std::u16string strDrawn;  // the text an owner-drawn item showed when last painted
};

struct MENU {
    std::vector<MENUITEM> aItems;
    BOOL bPopup;
};

std::vector<MENU*> g_menus;  // slot -> menu (null: destroyed)
const UINT_PTR kMenuBase = 0x20000;

struct CHOICE {
    std::u16string strItem;
    int iPos;
};
std::deque<CHOICE> g_choices;
MENUOUTCOME g_outcome = {0, MENU_NOCHOICE, {}, {}};

void NoteDrawn(void* pv, LPCWSTR psz, UINT c)
{
    static_cast<std::u16string*>(pv)->append(psz, c);
}

// The text a person reads on an item.
std::u16string Shown(const MENUITEM& it)
{
    std::u16string s = (it.uFlags & MF_OWNERDRAW) ? it.strDrawn : it.strText.substr(0, it.strText.find(u'\t'));
    return WndStripMnemonic(s);
}

std::u16string Folded(std::u16string s)
{
    for (char16_t& c : s)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    while (!s.empty() && s.back() == u' ')
        s.pop_back();
    return s;
}

// The position of the item a person means by pszItem: the same text, else
// the one item whose text begins with it; -1 when none is (or several are).
int FindShown(const MENU* m, const std::u16string& item)
{
    std::u16string want = Folded(WndStripMnemonic(item));
    if (want.empty())
        return -1;
    int iPrefix = -1, cPrefix = 0;
    for (size_t i = 0; i < m->aItems.size(); ++i) {
        if (m->aItems[i].uFlags & MF_SEPARATOR)
            continue;
        std::u16string text = Folded(Shown(m->aItems[i]));
        if (text == want)
            return static_cast<int>(i);
        if (text.compare(0, want.size(), want) == 0) {
            iPrefix = static_cast<int>(i);
            ++cPrefix;
        }
    }
    return cPrefix == 1 ? iPrefix : -1;
}

MENU* Get(HMENU h)
{
    UINT_PTR v = reinterpret_cast<UINT_PTR>(h);
    if (v < kMenuBase || (v - kMenuBase) % 2 || (v - kMenuBase) / 2 >= g_menus.size() ||
        !g_menus[(v - kMenuBase) / 2]) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return g_menus[(v - kMenuBase) / 2];
}

HMENU Make(BOOL bPopup)
{
    MENU* m = new (std::nothrow) MENU();
    if (!m) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    m->bPopup = bPopup;
    g_menus.push_back(m);
    return reinterpret_cast<HMENU>(kMenuBase + 2 * (g_menus.size() - 1));
}

// The item by command id (searching submenus) or by position.
MENUITEM* Find(HMENU h, UINT uItem, UINT uFlags, MENU** ppOwner = nullptr)
{
    MENU* m = Get(h);
    if (!m)
        return nullptr;
    if (uFlags & MF_BYPOSITION) {
        if (uItem >= m->aItems.size())
            return nullptr;
        if (ppOwner)
            *ppOwner = m;
        return &m->aItems[uItem];
    }
    for (MENUITEM& it : m->aItems) {
        if (it.uFlags & MF_POPUP) {
            if (MENUITEM* p = Find(reinterpret_cast<HMENU>(it.id), uItem, uFlags, ppOwner))
                return p;
            continue;
        }
        if (it.id == uItem) {
            if (ppOwner)
                *ppOwner = m;
            return &it;
        }
    }
    return nullptr;
}

BOOL Insert(HMENU hMenu, int iPos, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem)
{
    MENU* m = Get(hMenu);
    if (!m)
        return FALSE;
    if ((uFlags & MF_POPUP) && !Get(reinterpret_cast<HMENU>(uIDNewItem)))
        return FALSE;
    MENUITEM it = {};
    // MF_APPEND and the other legacy verbs share bits with item flags
    // (MF_OWNERDRAW is MF_APPEND): only the position flag is not kept.
    it.uFlags = uFlags & ~MF_BYPOSITION;
    it.id = uIDNewItem;
    if (uFlags & MF_OWNERDRAW)
        it.lData = reinterpret_cast<ULONG_PTR>(lpNewItem);
    else if (!(uFlags & (MF_SEPARATOR | MF_BITMAP)) && lpNewItem)
        it.strText = lpNewItem;
    if (iPos < 0 || iPos > static_cast<int>(m->aItems.size()))
        iPos = static_cast<int>(m->aItems.size());
    m->aItems.insert(m->aItems.begin() + iPos, it);
    return TRUE;
}

struct TRACK {
    HMENU hMenu;
    HWND hwndOwner;
    int iHot;
};

void PaintMenu(HWND hwnd, HDC hdc, TRACK* t)
{
    MENU* m = Get(t->hMenu);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_MENU));
    SetBkMode(hdc, TRANSPARENT);
    int y = 0;
    for (size_t i = 0; m && i < m->aItems.size(); ++i) {
        const MENUITEM& it = m->aItems[i];
        int cy = (it.uFlags & MF_SEPARATOR) ? 8 : (it.uFlags & MF_OWNERDRAW) ? static_cast<int>(it.cyItem) : 18;
        RECT ri = {0, y, rc.right, y + cy};
        BOOL bHot = static_cast<int>(i) == t->iHot;
        BOOL bGrey = (it.uFlags & (MF_GRAYED | MF_DISABLED)) != 0;
        if (it.uFlags & MF_OWNERDRAW) {
            MENUITEM& drawn = m->aItems[i];
            drawn.strDrawn.clear();
            PlatGdiNoteText(hdc, NoteDrawn, &drawn.strDrawn);
            DRAWITEMSTRUCT dis = {ODT_MENU, 0, static_cast<UINT>(it.id), ODA_DRAWENTIRE,
                                  (bHot ? static_cast<UINT>(ODS_SELECTED) : 0u) | (bGrey ? static_cast<UINT>(ODS_GRAYED | ODS_DISABLED) : 0u) |
                                      ((it.uFlags & MF_CHECKED) ? static_cast<UINT>(ODS_CHECKED) : 0u),
                                  reinterpret_cast<HWND>(t->hMenu), hdc, ri, it.lData};
            SendMessageW(t->hwndOwner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
            PlatGdiNoteText(hdc, nullptr, nullptr);
            m = Get(t->hMenu);
            if (!m)
                return;
        } else if (it.uFlags & MF_SEPARATOR) {
            RECT rs = {ri.left + 1, ri.top + 3, ri.right - 1, ri.top + 5};
            DrawEdge(hdc, &rs, EDGE_ETCHED, BF_TOP);
        } else {
            if (bHot)
                FillRect(hdc, &ri, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(hdc, GetSysColor(bGrey ? COLOR_GRAYTEXT : bHot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
            RECT rt = {ri.left + 18, ri.top, ri.right - 8, ri.bottom};
            std::u16string s = it.strText;
            size_t tab = s.find(u'\t');
            DrawTextW(hdc, s.substr(0, tab).c_str(), -1, &rt, DT_SINGLELINE | DT_VCENTER);
            if (tab != std::u16string::npos)
                DrawTextW(hdc, s.substr(tab + 1).c_str(), -1, &rt, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
            if (it.uFlags & MF_CHECKED) {
                RECT rcheck = {ri.left, ri.top, ri.left + 18, ri.bottom};
                DrawFrameControl(hdc, &rcheck, DFC_MENU, DFCS_MENUCHECK | (bGrey ? DFCS_INACTIVE : 0));
            }
        }
        y += cy;
    }
}

int ItemHeight(const MENUITEM& it)
{
    return (it.uFlags & MF_SEPARATOR) ? 8 : (it.uFlags & MF_OWNERDRAW) ? static_cast<int>(it.cyItem) : 18;
}

BOOL Choosable(const MENUITEM& it)
{
    return !(it.uFlags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP));
}

// The item at a point of the pop-up's client area, -1 when none.
int ItemAt(HMENU hMenu, HWND hPopup, POINT pt)
{
    MENU* m = Get(hMenu);
    RECT rc;
    GetClientRect(hPopup, &rc);
    if (!m || !PtInRect(&rc, pt))
        return -1;
    int y = 0;
    for (size_t i = 0; i < m->aItems.size(); ++i) {
        int cy = ItemHeight(m->aItems[i]);
        if (pt.y >= y && pt.y < y + cy)
            return static_cast<int>(i);
        y += cy;
    }
    return -1;
}

void SetHot(TRACK* t, HWND hPopup, int i)
{
    if (t->iHot == i)
        return;
    t->iHot = i;
    InvalidateRect(hPopup, nullptr, FALSE);
}

// A person's menu on the desktop: the pointer lights the item under it and
// a click there chooses it; a press outside, Escape or Alt dismisses it;
// Up and Down light the choosable items in turn, Enter chooses the lit
// one. Answers the index chosen, -1 when dismissed.
int TrackLive(TRACK* t, HWND hPopup)
{
    SetCapture(hPopup);
    int iChosen = -1;
    BOOL bDone = FALSE;
    while (!bDone && IsWindow(hPopup)) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            PaintAllPending();
            if (WndQueueEmpty() && !DesktopWait(-1))
                break;
            continue;
        }
        MENU* m = Get(t->hMenu);
        if (!m)
            break;
        int n = static_cast<int>(m->aItems.size());
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            POINT pt = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            if (msg.hwnd != hPopup) {
                ClientToScreen(msg.hwnd, &pt);
                ScreenToClient(hPopup, &pt);
            }
            int i = ItemAt(t->hMenu, hPopup, pt);
            BOOL bOn = i >= 0 && Choosable(m->aItems[static_cast<size_t>(i)]);
            if (msg.message == WM_MOUSEMOVE)
                SetHot(t, hPopup, bOn ? i : -1);
            else if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) && i < 0)
                bDone = TRUE;
            else if ((msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP) && bOn) {
                iChosen = i;
                bDone = TRUE;
            }
            break;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (msg.wParam == VK_ESCAPE || msg.wParam == VK_MENU) {
                bDone = TRUE;
            } else if ((msg.wParam == VK_RETURN || msg.wParam == VK_SPACE) && t->iHot >= 0) {
                iChosen = t->iHot;
                bDone = TRUE;
            } else if ((msg.wParam == VK_DOWN || msg.wParam == VK_UP) && n > 0) {
                int step = msg.wParam == VK_DOWN ? 1 : n - 1;
                int i = t->iHot < 0 ? (msg.wParam == VK_DOWN ? n - 1 : 0) : t->iHot;
                for (int k = 0; k < n; ++k) {
                    i = (i + step) % n;
                    if (Choosable(m->aItems[static_cast<size_t>(i)]))
                        break;
                }
                if (Choosable(m->aItems[static_cast<size_t>(i)]))
                    SetHot(t, hPopup, i);
            }
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
        case WM_SYSCHAR:
            break;
        default:
            DispatchMessageW(&msg);
        }
    }
    if (GetCapture() == hPopup)
        ReleaseCapture();
    return iChosen;
}

LRESULT CALLBACK MenuWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndPeek(hwnd);
    TRACK* t = w ? static_cast<TRACK*>(w->pCtl) : nullptr;
    switch (msg) {
    case WM_NCCREATE:
        w->pCtl = reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams;
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) {
            if (t)
                PaintMenu(hwnd, hdc, t);
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCDESTROY:
        w->pCtl = nullptr;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL g_bClassDone = FALSE;

}  // namespace

void MenuForgetChoices()
{
    g_choices.clear();
}

const MENUOUTCOME& MenuLastOutcome()
{
    return g_outcome;
}

extern "C" {

HMENU CreatePopupMenu()
{
    return Make(TRUE);
}

HMENU CreateMenu()
{
    return Make(FALSE);
}

BOOL DestroyMenu(HMENU hMenu)
{
    MENU* m = Get(hMenu);
    if (!m)
        return FALSE;
    for (MENUITEM& it : m->aItems)
        if (it.uFlags & MF_POPUP)
            DestroyMenu(reinterpret_cast<HMENU>(it.id));
    g_menus[(reinterpret_cast<UINT_PTR>(hMenu) - kMenuBase) / 2] = nullptr;
    delete m;
    return TRUE;
}

BOOL IsMenu(HMENU hMenu)
{
    UINT_PTR v = reinterpret_cast<UINT_PTR>(hMenu);
    return v >= kMenuBase && (v - kMenuBase) % 2 == 0 && (v - kMenuBase) / 2 < g_menus.size() &&
           g_menus[(v - kMenuBase) / 2];
}

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem)
{
    return Insert(hMenu, -1, uFlags, uIDNewItem, lpNewItem);
}

BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem)
{
    MENU* m = Get(hMenu);
    if (!m)
        return FALSE;
    int iPos = -1;
    if (uFlags & MF_BYPOSITION) {
        iPos = static_cast<int>(uPosition);
    } else {
        for (size_t i = 0; i < m->aItems.size(); ++i)
            if (m->aItems[i].id == uPosition)
                iPos = static_cast<int>(i);
        if (iPos < 0 && uPosition != static_cast<UINT>(-1))
            return FALSE;
    }
    return Insert(hMenu, iPos, uFlags, uIDNewItem, lpNewItem);
}

BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags)
{
    MENU* pOwner = nullptr;
    MENUITEM* it = Find(hMenu, uPosition, uFlags, &pOwner);
    if (!it)
        return FALSE;
    pOwner->aItems.erase(pOwner->aItems.begin() + (it - pOwner->aItems.data()));
    return TRUE;
}

BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags)
{
    MENU* pOwner = nullptr;
    MENUITEM* it = Find(hMenu, uPosition, uFlags, &pOwner);
    if (!it)
        return FALSE;
    if (it->uFlags & MF_POPUP)
        DestroyMenu(reinterpret_cast<HMENU>(it->id));
    pOwner->aItems.erase(pOwner->aItems.begin() + (it - pOwner->aItems.data()));
    return TRUE;
}

int GetMenuItemCount(HMENU hMenu)
{
    MENU* m = Get(hMenu);
    return m ? static_cast<int>(m->aItems.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos)
{
    MENU* m = Get(hMenu);
    if (!m || nPos < 0 || nPos >= static_cast<int>(m->aItems.size()))
        return static_cast<UINT>(-1);
    const MENUITEM& it = m->aItems[static_cast<size_t>(nPos)];
    return (it.uFlags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(it.id);
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags)
{
    MENUITEM* it = Find(hMenu, uId, uFlags);
    if (!it)
        return static_cast<UINT>(-1);
    UINT st = it->uFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_OWNERDRAW | MF_POPUP);
    if (it->uFlags & MF_POPUP) {
        MENU* sub = Get(reinterpret_cast<HMENU>(it->id));
        st |= sub ? static_cast<UINT>(sub->aItems.size()) << 8 : 0;
    }
    return st;
}

int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags)
{
    MENUITEM* it = Find(hMenu, uIDItem, flags);
    if (!it)
        return 0;
    if (!lpString || cchMax <= 0)
        return static_cast<int>(it->strText.size());
    int c = std::min<int>(static_cast<int>(it->strText.size()), cchMax - 1);
    std::memcpy(lpString, it->strText.data(), static_cast<size_t>(c) * sizeof(WCHAR));
    lpString[c] = 0;
    return c;
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck)
{
    MENUITEM* it = Find(hMenu, uIDCheckItem, uCheck);
    if (!it)
        return static_cast<DWORD>(-1);
    DWORD old = it->uFlags & MF_CHECKED;
    it->uFlags = (it->uFlags & ~MF_CHECKED) | (uCheck & MF_CHECKED);
    return old;
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable)
{
    MENUITEM* it = Find(hMenu, uIDEnableItem, uEnable);
    if (!it)
        return -1;
    BOOL old = static_cast<BOOL>(it->uFlags & (MF_GRAYED | MF_DISABLED));
    it->uFlags = (it->uFlags & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
    return old;
}

BOOL GetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOW lpmii)
{
    MENUITEM* it = Find(hmenu, item, fByPosition ? MF_BYPOSITION : 0);
    if (!it || !lpmii)
        return FALSE;
    if (lpmii->fMask & (MIIM_TYPE | MIIM_FTYPE))
        lpmii->fType = it->uFlags & (MF_SEPARATOR | MF_OWNERDRAW | MF_BITMAP);
    if (lpmii->fMask & MIIM_STATE)
        lpmii->fState = it->uFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    if (lpmii->fMask & MIIM_ID)
        lpmii->wID = static_cast<UINT>(it->id);
    if (lpmii->fMask & MIIM_SUBMENU)
        lpmii->hSubMenu = (it->uFlags & MF_POPUP) ? reinterpret_cast<HMENU>(it->id) : nullptr;
    if (lpmii->fMask & MIIM_DATA)
        lpmii->dwItemData = it->lData;
    if ((lpmii->fMask & (MIIM_STRING | MIIM_TYPE)) && lpmii->dwTypeData && lpmii->cch) {
        UINT c = std::min<UINT>(static_cast<UINT>(it->strText.size()), lpmii->cch - 1);
        std::memcpy(lpmii->dwTypeData, it->strText.data(), c * sizeof(WCHAR));
        lpmii->dwTypeData[c] = 0;
        lpmii->cch = c;
    }
    return TRUE;
}

BOOL SetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPositon, const MENUITEMINFOW* lpmii)
{
    MENUITEM* it = Find(hmenu, item, fByPositon ? MF_BYPOSITION : 0);
    if (!it || !lpmii)
        return FALSE;
    if (lpmii->fMask & MIIM_STATE)
        it->uFlags = (it->uFlags & ~(MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT)) | lpmii->fState;
    if (lpmii->fMask & MIIM_ID)
        it->id = lpmii->wID;
    if (lpmii->fMask & MIIM_DATA)
        it->lData = lpmii->dwItemData;
    if ((lpmii->fMask & (MIIM_STRING | MIIM_TYPE)) && lpmii->dwTypeData)
        it->strText = lpmii->dwTypeData;
    return TRUE;
}

HMENU GetSubMenu(HMENU hMenu, int nPos)
{
    MENU* m = Get(hMenu);
    if (!m || nPos < 0 || nPos >= static_cast<int>(m->aItems.size()))
        return nullptr;
    const MENUITEM& it = m->aItems[static_cast<size_t>(nPos)];
    return (it.uFlags & MF_POPUP) ? reinterpret_cast<HMENU>(it.id) : nullptr;
}

void PlatScriptChooseMenuItem(LPCWSTR pszItem, int iPos)
{
    g_choices.push_back({pszItem ? pszItem : u"", pszItem ? -1 : iPos});
}

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd, const RECT* prcRect)
{
    MENU* m = Get(hMenu);
    if (!m)
        return FALSE;
    if (!WndGet(hWnd))
        return FALSE;
    if (!g_bClassDone) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = MenuWndProc;
        wc.lpszClassName = u"#32768";
        PlatRegisterSystemClass(&wc);
        g_bClassDone = TRUE;
    }
    BOOL bNotify = !(uFlags & TPM_NONOTIFY);
    if (bNotify) {
        SendMessageW(hWnd, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageW(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
    }
    m = Get(hMenu);
    if (!m)
        return FALSE;
    // Measure: owner-drawn items ask the owner, others take the font's.
    int cx = 40, cy = 0;
    for (MENUITEM& it : m->aItems) {
        if (it.uFlags & MF_OWNERDRAW) {
            MEASUREITEMSTRUCT mis = {ODT_MENU, 0, static_cast<UINT>(it.id), 0, 0, it.lData};
            SendMessageW(hWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
            it.cxItem = mis.itemWidth;
            it.cyItem = mis.itemHeight;
            cx = std::max(cx, static_cast<int>(mis.itemWidth) + 4);
            cy += static_cast<int>(mis.itemHeight);
        } else if (it.uFlags & MF_SEPARATOR) {
            cy += 8;
        } else {
            HDC hdc = CreateCompatibleDC(nullptr);
            HGDIOBJ hOld = SelectObject(hdc, PlatGetDialogFont());
            SIZE sz = {0, 0};
            GetTextExtentPoint32W(hdc, it.strText.c_str(), static_cast<int>(it.strText.size()), &sz);
            SelectObject(hdc, hOld);
            DeleteDC(hdc);
            cx = std::max(cx, static_cast<int>(sz.cx) + 40);
            cy += 18;
        }
    }
    if (uFlags & TPM_CENTERALIGN)
        x -= cx / 2;
    else if (uFlags & TPM_RIGHTALIGN)
        x -= cx;
    if (uFlags & TPM_BOTTOMALIGN)
        y -= cy;
    else if (uFlags & TPM_VCENTERALIGN)
        y -= cy / 2;
    TRACK t = {hMenu, hWnd, -1};
    HWND hPopup = CreateWindowExW(WS_EX_TOOLWINDOW, u"#32768", u"", WS_POPUP | WS_BORDER, x, y, cx + 2,
                                  std::max(1, cy) + 2, hWnd, nullptr, nullptr, &t);
    if (hPopup) {
        ShowWindow(hPopup, SW_SHOWNA);
        PlatRenderWindow(hPopup);
    }
    // What the menu shows, for the scripted user's report.
    ++g_outcome.cTracked;
    g_outcome.iOutcome = MENU_NOCHOICE;
    g_outcome.aItems.clear();
    g_outcome.aEnabled.clear();
    m = Get(hMenu);
    for (size_t i = 0; m && i < m->aItems.size(); ++i) {
        const MENUITEM& it = m->aItems[i];
        if (it.uFlags & MF_SEPARATOR)
            continue;
        g_outcome.aItems.push_back(Shown(it));
        g_outcome.aEnabled.push_back(!(it.uFlags & (MF_GRAYED | MF_DISABLED | MF_POPUP)));
    }
    UINT_PTR idChosen = 0;
    if (g_choices.empty() && hPopup && DesktopLive()) {
        // A person chooses.
        int i = TrackLive(&t, hPopup);
        m = Get(hMenu);
        if (m && i >= 0 && i < static_cast<int>(m->aItems.size())) {
            idChosen = m->aItems[static_cast<size_t>(i)].id;
            g_outcome.iOutcome = MENU_CHOSEN;
        } else {
            g_outcome.iOutcome = MENU_DISMISSED;
        }
    }
    // The scripted user's choice.
    if (!g_choices.empty()) {
        CHOICE c = g_choices.front();
        g_choices.pop_front();
        m = Get(hMenu);
        int i = -1;
        if (c.iPos >= 0)
            i = m && c.iPos < static_cast<int>(m->aItems.size()) ? c.iPos : -1;
        else if (m && !c.strItem.empty())
            i = FindShown(m, c.strItem);
        if (c.iPos < 0 && c.strItem.empty()) {
            g_outcome.iOutcome = MENU_DISMISSED;
        } else if (i < 0) {
            g_outcome.iOutcome = MENU_NOITEM;
        } else if (m->aItems[static_cast<size_t>(i)].uFlags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP)) {
            g_outcome.iOutcome = MENU_DISABLED;  // a person's click there does nothing
        } else {
            t.iHot = i;
            if (hPopup) {
                InvalidateRect(hPopup, nullptr, FALSE);
                PlatPumpMessages();
            }
            m = Get(hMenu);
            idChosen = m ? m->aItems[static_cast<size_t>(i)].id : 0;
            g_outcome.iOutcome = idChosen ? MENU_CHOSEN : MENU_NOITEM;
        }
    }
    if (hPopup)
        DestroyWindow(hPopup);
    if (bNotify && IsWindow(hWnd))
        SendMessageW(hWnd, WM_EXITMENULOOP, TRUE, 0);
    if (uFlags & TPM_RETURNCMD)
        return static_cast<BOOL>(idChosen);
    if (idChosen && IsWindow(hWnd))
        PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(idChosen, 0), 0);
    return TRUE;
}

BOOL EndMenu()
{
    return TRUE;
}

}  // extern "C"
