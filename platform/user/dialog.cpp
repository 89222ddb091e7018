// dialog.cpp: the dialog manager.
//
// Entry points: CreateDialogParamW, CreateDialogIndirectParamW,
// DialogBoxParamW, DialogBoxIndirectParamW, EndDialog, DefDlgProcW,
// IsDialogMessageW, GetDlgItem, GetDlgCtrlID, SendDlgItemMessageW,
// Set/GetDlgItemTextW, Set/GetDlgItemInt, CheckDlgButton,
// IsDlgButtonChecked, CheckRadioButton, GetNextDlgTabItem,
// GetNextDlgGroupItem, MapDialogRect, GetDialogBaseUnits, the modal loop
// (PlatRunModalLoop, PlatRunModalLoopEx, PlatEndModalLoop,
// PlatIsModalLoopEnded), and the template ids (PlatGetWindowTemplateId,
// PlatSetWindowTemplateId).
//
// Rules:
//  1. Templates are in the binary form winuser.h describes (DLGTEMPLATE and
//     its items); the build compiles the readable text form into it.
//  2. Dialog units: x * cxBase / 4 and y * cyBase / 8, with the base units
//     of the dialog's font (the template's face through the platform's face
//     map, else the dialog font), so a layout is the same on every machine.
//  3. A template that names a missing class fails creation: what was made
//     so far is destroyed (WM_DESTROY and WM_NCDESTROY reach it) and the
//     call answers null (-1 for the modal calls) with the last error.
//  4. A dialog procedure's TRUE answer means "handled": its result is the
//     DWLP_MSGRESULT long, except for the messages whose answer is the
//     return value itself (WM_CTLCOLOR*, WM_COMPAREITEM, WM_VKEYTOITEM,
//     WM_CHARTOITEM, WM_INITDIALOG, WM_QUERYDRAGICON).
//  5. IsDialogMessageW hands a dialog's keys out as the dialog manager
//     does: Tab and Shift+Tab, the arrows within a group, Enter (the
//     focused push button, else the default one), Escape, F1, each asked
//     of the focused control first (WM_GETDLGCODE with the key's message);
//     Alt with a letter, or the letter alone where the focused control
//     takes no characters, acts on the control whose text marks it (a
//     label's mnemonic moves the focus to the control after it). Any other
//     message is translated (its characters) and dispatched.
//  6. With the desktop open and no watcher set, a modal loop waits for a
//     person's input and ends only when the window is ended.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/resource.h"
#include "platform/kernel/wstr.h"
#include "platform/user/script.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

const WCHAR kDialogClass[] = u"#32770";

// The three dialog longs are pointer-sized, do not overlap, and fit the
// dialog class's extra bytes at either word size.
static_assert(DWLP_DLGPROC >= DWLP_MSGRESULT + (int)sizeof(LONG_PTR));
static_assert(DWLP_USER >= DWLP_DLGPROC + (int)sizeof(LONG_PTR));
static_assert(DWLP_USER + (int)sizeof(LONG_PTR) <= DLGWINDOWEXTRA);
static_assert(DWLP_USER % sizeof(LONG_PTR) == 0 && DWLP_DLGPROC % sizeof(LONG_PTR) == 0);

struct DLGFONT {
    HFONT hFont;
    int cxBase, cyBase;
};
// The template fonts by "points|face". Dialogs made late in the process
// (and the base units MapDialogRect reads) use them until the process ends,
// so the table is never destroyed: a font made here stays reachable through
// it rather than being cut loose when the globals go at exit.
std::map<std::u16string, DLGFONT>& g_fonts = *new std::map<std::u16string, DLGFONT>();

DLGFONT FontFor(int iPoints, const std::u16string& face)
{
    std::u16string key = face.empty() ? u"" : std::u16string(1, static_cast<char16_t>(iPoints)) + face;
    auto it = g_fonts.find(key);
    if (it != g_fonts.end())
        return it->second;
    DLGFONT f;
    f.hFont = face.empty() ? PlatGetDialogFont()
                           : CreateFontW(-(iPoints * 96 + 36) / 72, 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                         DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str());
    if (!f.hFont)
        f.hFont = PlatGetDialogFont();
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, f.hFont);
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    SIZE sz = {0, 0};
    static const WCHAR kAlpha[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32W(hdc, kAlpha, 52, &sz);
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    f.cxBase = std::max<int>(1, (sz.cx / 26 + 1) / 2);
    f.cyBase = std::max<int>(1, tm.tmHeight);
    g_fonts[key] = f;
    return f;
}

// Reads a template's string or ordinal field; advances p.
const WORD* ReadSz(const WORD* p, std::u16string* pText, WORD* pOrdinal)
{
    *pOrdinal = 0;
    pText->clear();
    if (*p == 0xFFFF) {
        *pOrdinal = p[1];
        return p + 2;
    }
    while (*p)
        *pText += static_cast<char16_t>(*p++);
    return p + 1;
}

const WORD* AlignDword(const WORD* p)
{
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~static_cast<ULONG_PTR>(3));
}

LPCWSTR ClassOfOrdinal(WORD w)
{
    switch (w) {
    case 0x0080: return WC_BUTTONW;
    case 0x0081: return WC_EDITW;
    case 0x0082: return WC_STATICW;
    case 0x0083: return WC_LISTBOXW;
    case 0x0084: return WC_SCROLLBARW;
    case 0x0085: return WC_COMBOBOXW;
    }
    return nullptr;
}

BOOL IsPushButton(HWND h)
{
    WND* w = WndPeek(h);
    if (!w || w->pCls->strName != u"Button")
        return FALSE;
    DWORD t = w->dwStyle & BS_TYPEMASK;
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON;
}

BOOL CanTabTo(WND* c)
{
    return c && (c->dwStyle & WS_VISIBLE) && !(c->dwStyle & WS_DISABLED);
}

// The children of a dialog in tab order, descending into DS_CONTROL child
// dialogs (property pages) as the dialog manager does.
void TabList(HWND hDlg, std::vector<HWND>* pOut)
{
    WND* d = WndPeek(hDlg);
    if (!d)
        return;
    for (HWND h : d->aChildren) {
        WND* c = WndPeek(h);
        if (!c)
            continue;
        if ((c->dwExStyle & WS_EX_CONTROLPARENT) || (c->bDialog && (c->dwStyle & DS_CONTROL))) {
            if (c->dwStyle & WS_VISIBLE)
                TabList(h, pOut);
            continue;
        }
        pOut->push_back(h);
    }
}

}  // namespace

void DlgBaseUnits(int* pcx, int* pcy)
{
    DLGFONT f = FontFor(0, u"");
    *pcx = f.cxBase;
    *pcy = f.cyBase;
}

namespace {

HWND CreateFromTemplate(HINSTANCE hInstance, const DLGTEMPLATE* pt, DWORD cbTemplate, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam, int idTemplate)
{
    if (!pt) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const WORD* p = reinterpret_cast<const WORD*>(pt + 1);
    std::u16string menu, cls, title, face;
    WORD ordMenu, ordClass, ordTitle;
    p = ReadSz(p, &menu, &ordMenu);
    p = ReadSz(p, &cls, &ordClass);
    p = ReadSz(p, &title, &ordTitle);
    int iPoints = 0;
    if (pt->style & DS_SETFONT) {
        iPoints = static_cast<int>(*p++);
        WORD ordFace;
        p = ReadSz(p, &face, &ordFace);
    }
    DLGFONT font = FontFor(iPoints, face);
    auto dx = [&](int v) { return (v * font.cxBase) / 4; };
    auto dy = [&](int v) { return (v * font.cyBase) / 8; };
    DWORD dwStyle = pt->style & ~WS_VISIBLE;
    BOOL bChild = (dwStyle & WS_CHILD) != 0;
    RECT rc = {dx(pt->x), dy(pt->y), dx(pt->x) + dx(pt->cx), dy(pt->y) + dy(pt->cy)};
    if (!bChild) {
        AdjustWindowRectEx(&rc, dwStyle, FALSE, pt->dwExtendedStyle);
        // Top-level dialogs sit relative to their owner's client area.
        if (hWndParent && !(dwStyle & DS_ABSALIGN)) {
            POINT o = {0, 0};
            ClientToScreen(hWndParent, &o);
            OffsetRect(&rc, o.x, o.y);
        }
        if (dwStyle & (DS_CENTER | DS_CENTERMOUSE)) {
            int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
            RECT ro = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
            if (hWndParent)
                GetWindowRect(GetAncestor(hWndParent, GA_ROOT), &ro);
            rc.left = ro.left + (ro.right - ro.left - cx) / 2;
            rc.top = ro.top + (ro.bottom - ro.top - cy) / 2;
            rc.right = rc.left + cx;
            rc.bottom = rc.top + cy;
        }
    }
    LPCWSTR pszClass = cls.empty() ? (ordClass ? MAKEINTRESOURCEW(ordClass) : kDialogClass) : cls.c_str();
    HWND hDlg = CreateWindowExW(pt->dwExtendedStyle, pszClass, title.c_str(), dwStyle, rc.left, rc.top,
                                rc.right - rc.left, rc.bottom - rc.top, hWndParent, nullptr, hInstance, nullptr);
    if (!hDlg)
        return nullptr;
    WND* d = WndPeek(hDlg);
    d->bDialog = TRUE;
    d->idTemplate = idTemplate;
    if (d->aExtra.size() >= DLGWINDOWEXTRA)
        SetWindowLongPtrW(hDlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(lpDialogFunc));
    d->hFont = font.hFont;
    SendMessageW(hDlg, WM_SETFONT, reinterpret_cast<WPARAM>(font.hFont), 0);
    HWND hFirstTab = nullptr;
    for (WORD i = 0; i < pt->cdit; ++i) {
        p = AlignDword(p);
        const DLGITEMTEMPLATE* it = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        p = reinterpret_cast<const WORD*>(it + 1);
        std::u16string icls, itext;
        WORD ordICls, ordIText;
        p = ReadSz(p, &icls, &ordICls);
        p = ReadSz(p, &itext, &ordIText);
        WORD cbExtra = *p++;
        const void* pExtra = cbExtra ? static_cast<const void*>(p) : nullptr;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + cbExtra);
        LPCWSTR pszICls = icls.empty() ? ClassOfOrdinal(ordICls) : icls.c_str();
        // A text given as an ordinal names a resource (a static's icon).
        LPCWSTR pszText = ordIText ? MAKEINTRESOURCEW(ordIText) : itext.c_str();
        HWND hCtl = pszICls ? CreateWindowExW(it->dwExtendedStyle, pszICls, pszText, it->style | WS_CHILD,
                                              dx(it->x), dy(it->y), dx(it->cx), dy(it->cy), hDlg,
                                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(it->id)),
                                              hInstance, const_cast<void*>(pExtra))
                            : nullptr;
        if (!hCtl) {
            if (!WndPeek(hDlg))
                return nullptr;
            if (pt->style & DS_NOFAILCREATE)
                continue;
            DWORD dwErr = GetLastError();
            DestroyWindow(hDlg);
            SetLastError(dwErr ? dwErr : ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        SendMessageW(hCtl, WM_SETFONT, reinterpret_cast<WPARAM>(font.hFont), 0);
        if (!hFirstTab && (it->style & WS_TABSTOP) && !(it->style & WS_DISABLED))
            hFirstTab = hCtl;
        // The default push button of the template is the dialog's default.
        if ((it->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && icls.empty() && ordICls == 0x0080)
            SendMessageW(hDlg, DM_SETDEFID, it->id, 0);
    }
    if (!WndPeek(hDlg))
        return nullptr;
    LRESULT bFocus = SendMessageW(hDlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(hFirstTab), dwInitParam);
    if (!WndPeek(hDlg))
        return nullptr;
    if (bFocus && hFirstTab && IsWindow(hFirstTab) && !bChild) {
        SetFocus(hFirstTab);
        // An edit given the focus by the dialog manager selects its text.
        if (SendMessageW(hFirstTab, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            SendMessageW(hFirstTab, EM_SETSEL, 0, -1);
    }
    if (pt->style & WS_VISIBLE)
        ShowWindow(hDlg, SW_SHOW);
    return WndPeek(hDlg) ? hDlg : nullptr;
}

const DLGTEMPLATE* FindTemplate(HINSTANCE hInstance, LPCWSTR lpTemplateName, DWORD* pcb)
{
    HRSRC hr = FindResourceW(hInstance, lpTemplateName, RT_DIALOG);
    if (!hr)
        return nullptr;
    *pcb = SizeofResource(hInstance, hr);
    return static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(hInstance, hr)));
}

INT_PTR RunModal(HWND hDlg, HWND hWndParent)
{
    HWND hOwner = hWndParent ? GetAncestor(hWndParent, GA_ROOT) : nullptr;
    BOOL bOwnerWasEnabled = hOwner && IsWindowEnabled(hOwner);
    if (bOwnerWasEnabled)
        EnableWindow(hOwner, FALSE);
    ShowWindow(hDlg, SW_SHOW);
    INT_PTR r = PlatRunModalLoop(hDlg);
    if (bOwnerWasEnabled && IsWindow(hOwner))
        EnableWindow(hOwner, TRUE);
    if (IsWindow(hDlg))
        DestroyWindow(hDlg);
    if (hOwner && IsWindow(hOwner))
        SetActiveWindow(hOwner);
    return r;
}

LRESULT CALLBACK DialogClassProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProcW(hWnd, Msg, wParam, lParam);
}

}  // namespace

void DialogRegister()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DialogClassProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.lpszClassName = kDialogClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    PlatRegisterSystemClass(&wc);
}

BOOL DlgHandleKey(HWND hDlg, HWND hwndFrom, UINT vk, const MSG* pMsg)
{
    MSG made = {hwndFrom, WM_KEYDOWN, vk, 1, 0, {0, 0}};
    LRESULT code = hwndFrom ? SendMessageW(hwndFrom, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(pMsg ? pMsg : &made))
                            : 0;
    if (code & DLGC_WANTALLKEYS)
        return FALSE;
    switch (vk) {
    case VK_F1: {
        // Help for the control that has the focus; the default procedure
        // hands WM_HELP up to the dialog.
        HWND h = hwndFrom ? hwndFrom : hDlg;
        HELPINFO hi = {sizeof(HELPINFO), HELPINFO_WINDOW, GetDlgCtrlID(h), h, 0, {0, 0}};
        GetCursorPos(&hi.MousePos);
        SendMessageW(h, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
        return TRUE;
    }
    case VK_TAB:
        if (code & DLGC_WANTTAB)
            return FALSE;
        {
            HWND h = GetNextDlgTabItem(hDlg, hwndFrom, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
            if (h) {
                SetFocus(h);
                if (SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                    SendMessageW(h, EM_SETSEL, 0, -1);
            }
        }
        return TRUE;
    case VK_RETURN: {
        // The focused push button, else the default button.
        int id;
        HWND hBtn;
        if (hwndFrom && IsPushButton(hwndFrom)) {
            hBtn = hwndFrom;
            id = GetDlgCtrlID(hwndFrom);
        } else {
            LRESULT def = SendMessageW(hDlg, DM_GETDEFID, 0, 0);
            id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
            hBtn = GetDlgItem(hDlg, id);
        }
        if (hBtn && !IsWindowEnabled(hBtn)) {
            MessageBeep(0);
            return TRUE;
        }
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hBtn));
        return TRUE;
    }
    case VK_ESCAPE: {
        HWND hBtn = GetDlgItem(hDlg, IDCANCEL);
        if (hBtn && !IsWindowEnabled(hBtn))
            return TRUE;
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(hBtn));
        return TRUE;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        if (code & DLGC_WANTARROWS)
            return FALSE;
        HWND h = GetNextDlgGroupItem(hDlg, hwndFrom, vk == VK_LEFT || vk == VK_UP);
        if (h && h != hwndFrom) {
            SetFocus(h);
            LRESULT c2 = SendMessageW(h, WM_GETDLGCODE, 0, 0);
            // Moving onto an automatic radio button checks it, as a click.
            if ((c2 & DLGC_RADIOBUTTON) &&
                (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                SendMessageW(h, BM_CLICK, 0, 0);
        }
        return TRUE;
    }
    }
    return FALSE;
}

void DlgFocusMoved(HWND hNew)
{
    WND* n = WndPeek(hNew);
    if (!n || !(n->dwStyle & WS_CHILD))
        return;
    HWND hDlg = GetAncestor(hNew, GA_ROOT);
    WND* d = WndPeek(hDlg);
    if (!d || !d->bDialog)
        return;
    std::vector<HWND> v;
    TabList(hDlg, &v);
    // The dialog's own default: DM_SETDEFID's, else the push button its
    // template made the default (remembered the first time the focus moves).
    int idDef = static_cast<int>(reinterpret_cast<LONG_PTR>(GetPropW(hDlg, u"PlatDefId")));
    if (!idDef) {
        LONG_PTR kept = reinterpret_cast<LONG_PTR>(GetPropW(hDlg, u"PlatTemplateDefId"));
        if (!kept) {
            kept = -1;
            for (HWND h : v)
                if (IsPushButton(h) && GetParent(h) == hDlg &&
                    (WndPeek(h)->dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                    kept = GetDlgCtrlID(h);
                    break;
                }
            SetPropW(hDlg, u"PlatTemplateDefId", reinterpret_cast<HANDLE>(kept));
        }
        idDef = static_cast<int>(kept);
    }
    // A focused push button wears the default look; with the focus
    // elsewhere the dialog's default does.
    BOOL bPush = IsPushButton(hNew);
    for (HWND h : v) {
        if (!IsPushButton(h))
            continue;
        WND* b = WndPeek(h);
        BOOL bWant = bPush ? h == hNew : GetParent(h) == hDlg && GetDlgCtrlID(h) == idDef;
        BOOL bHas = (b->dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        if (bWant != bHas)
            SendMessageW(h, BM_SETSTYLE, (b->dwStyle & 0xFFFF & ~static_cast<DWORD>(BS_TYPEMASK)) |
                                             (bWant ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), TRUE);
    }
}

WCHAR WndMnemonic(const std::u16string& s)
{
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != u'&')
            continue;
        if (s[i + 1] != u'&')
            return s[i + 1];
        ++i;
    }
    return 0;
}

namespace {

WCHAR Upper(WCHAR c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<WCHAR>(c - u'a' + u'A');
    if (c >= u'\uFF41' && c <= u'\uFF5A')  // full-width letters
        return static_cast<WCHAR>(c - u'\uFF41' + u'A');
    if (c >= u'\uFF21' && c <= u'\uFF3A')
        return static_cast<WCHAR>(c - u'\uFF21' + u'A');
    return c;
}

BOOL IsLabel(HWND h)
{
    LRESULT code = SendMessageW(h, WM_GETDLGCODE, 0, 0);
    return (code & DLGC_STATIC) != 0;
}

BOOL HasMnemonic(WND* c, WCHAR chUp)
{
    if (!c || !WndReallyVisible(c) || (c->dwStyle & WS_DISABLED))
        return FALSE;
    if (c->pCls->strName == u"Static" && (c->dwStyle & SS_NOPREFIX))
        return FALSE;
    WCHAR m = WndMnemonic(c->strText);
    return m && Upper(m) == chUp;
}

}  // namespace

BOOL DlgMnemonic(HWND hDlg, HWND hwndFrom, WCHAR ch)
{
    std::vector<HWND> v;
    TabList(hDlg, &v);
    int n = static_cast<int>(v.size());
    if (!n)
        return FALSE;
    WCHAR up = Upper(ch);
    int iFrom = -1;
    for (int k = 0; k < n; ++k)
        if (v[static_cast<size_t>(k)] == hwndFrom)
            iFrom = k;
    // The first control after the focus that has the mnemonic.
    int iHit = -1, cHits = 0;
    for (int step = 1; step <= n; ++step) {
        int k = ((iFrom < 0 ? -1 : iFrom) + step) % n;
        if (HasMnemonic(WndPeek(v[static_cast<size_t>(k)]), up)) {
            if (iHit < 0)
                iHit = k;
            ++cHits;
        }
    }
    if (iHit < 0)
        return FALSE;
    HWND h = v[static_cast<size_t>(iHit)];
    if (IsLabel(h)) {
        // A label or group box names the control after it.
        for (int step = 1; step < n; ++step) {
            HWND c = v[static_cast<size_t>((iHit + step) % n)];
            WND* wc = WndPeek(c);
            if (wc && WndReallyVisible(wc) && !(wc->dwStyle & WS_DISABLED) && !IsLabel(c)) {
                SetFocus(c);
                if (SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                    SendMessageW(c, EM_SETSEL, 0, -1);
                return TRUE;
            }
        }
        return TRUE;
    }
    LRESULT code = SendMessageW(h, WM_GETDLGCODE, 0, 0);
    if (!(code & DLGC_BUTTON) || cHits > 1) {
        // A control that is not a button, or a mnemonic several share:
        // the focus moves to it, nothing is pressed.
        SetFocus(h);
        if (code & DLGC_HASSETSEL)
            SendMessageW(h, EM_SETSEL, 0, -1);
        return TRUE;
    }
    if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        SetFocus(h);
    if (IsWindow(h))
        SendMessageW(h, BM_CLICK, 0, 0);
    return TRUE;
}

extern "C" {

HWND CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam)
{
    return CreateFromTemplate(hInstance, lpTemplate, 0, hWndParent, lpDialogFunc, dwInitParam, 0);
}

HWND CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam)
{
    DWORD cb = 0;
    const DLGTEMPLATE* pt = FindTemplate(hInstance, lpTemplateName, &cb);
    if (!pt)
        return nullptr;
    int id = IS_INTRESOURCE(lpTemplateName) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(lpTemplateName)) : 0;
    return CreateFromTemplate(hInstance, pt, cb, hWndParent, lpDialogFunc, dwInitParam, id);
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam)
{
    if (!hDialogTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    DLGTEMPLATE t = *hDialogTemplate;
    (void)t;
    HWND hDlg = CreateFromTemplate(hInstance, hDialogTemplate, 0, hWndParent, lpDialogFunc, dwInitParam, 0);
    if (!hDlg)
        return -1;
    return RunModal(hDlg, hWndParent);
}

INT_PTR DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam)
{
    if (hWndParent && !WndGet(hWndParent))
        return -1;
    DWORD cb = 0;
    const DLGTEMPLATE* pt = FindTemplate(hInstance, lpTemplateName, &cb);
    if (!pt)
        return -1;
    int id = IS_INTRESOURCE(lpTemplateName) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(lpTemplateName)) : 0;
    // The window exists but is not shown until the loop starts.
    DLGTEMPLATE head = *pt;
    (void)head;
    HWND hDlg = CreateFromTemplate(hInstance, pt, cb, hWndParent, lpDialogFunc, dwInitParam, id);
    if (!hDlg)
        return -1;
    return RunModal(hDlg, hWndParent);
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult)
{
    WND* w = WndGet(hDlg);
    if (!w)
        return FALSE;
    w->bEnded = TRUE;
    w->nResult = nResult;
    if (!w->bModal)
        ShowWindow(hDlg, SW_HIDE);
    return TRUE;
}

namespace {
PLATMODALHOOK g_pfnModalHook = nullptr;
void* g_pvModalHook = nullptr;
}  // namespace

void PlatSetModalLoopHook(PLATMODALHOOK pfn, void* pvContext)
{
    g_pfnModalHook = pfn;
    g_pvModalHook = pvContext;
}

INT_PTR PlatRunModalLoop(HWND hwnd)
{
    return PlatRunModalLoopEx(hwnd, nullptr);
}

INT_PTR PlatRunModalLoopEx(HWND hwnd, PLATDLGMSGPROC pfnIsDialogMessage)
{
    WND* w = WndGet(hwnd);
    if (!w)
        return -1;
    w->bModal = TRUE;
    w->bEnded = FALSE;
    if (!g_pfnModalHook && DesktopLive()) {
        // A person is there: the loop hands out their input until the
        // window ends, waiting for more when the queue is empty.
        while ((w = WndPeek(hwnd)) != nullptr && !w->bEnded) {
            MSG m;
            if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == WM_QUIT)
                    continue;
                BOOL bDone = pfnIsDialogMessage ? pfnIsDialogMessage(hwnd, &m) : IsDialogMessageW(hwnd, &m);
                if (!bDone) {
                    TranslateMessage(&m);
                    DispatchMessageW(&m);
                }
                continue;
            }
            PaintAllPending();
            if (WndQueueEmpty() && !DesktopWait(-1)) {
                // The display went away: the window is closed as its close
                // box closes it.
                SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
                PlatPumpMessages();
                if ((w = WndPeek(hwnd)) != nullptr && !w->bEnded) {
                    w->bEnded = TRUE;
                    w->nResult = IDCANCEL;
                }
            }
        }
        if (!w)
            return -1;
        w->bModal = FALSE;
        ShowWindow(hwnd, SW_HIDE);
        return w->nResult;
    }
    if (g_pfnModalHook) {
        g_pfnModalHook(hwnd, g_pvModalHook);
        w = WndPeek(hwnd);
        if (!w)
            return -1;
    }
    PlatPumpMessages();
    if (!WndPeek(hwnd))
        return -1;
    if (!WndPeek(hwnd)->bEnded) {
        PlatScriptRunQueued(hwnd);
        PlatPumpMessages();
    }
    w = WndPeek(hwnd);
    if (!w)
        return -1;
    if (!w->bEnded) {
        // Nobody is there to close it: a test must not hang.
        PlatScriptNoteUnended(hwnd);
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
        PlatPumpMessages();
        w = WndPeek(hwnd);
        if (w && !w->bEnded) {
            w->bEnded = TRUE;
            w->nResult = IDCANCEL;
        }
    }
    if (!w)
        return -1;
    w->bModal = FALSE;
    ShowWindow(hwnd, SW_HIDE);
    return w->nResult;
}

BOOL PlatEndModalLoop(HWND hwnd, INT_PTR nResult)
{
    return EndDialog(hwnd, nResult);
}

BOOL PlatIsModalLoopEnded(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    return !w || w->bEnded;
}

int PlatGetWindowTemplateId(HWND hwnd)
{
    WND* w = WndGet(hwnd);
    return w ? w->idTemplate : 0;
}

BOOL PlatSetWindowTemplateId(HWND hwnd, int idTemplate)
{
    WND* w = WndGet(hwnd);
    if (!w)
        return FALSE;
    w->idTemplate = idTemplate;
    return TRUE;
}

LRESULT DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndGet(hDlg);
    if (!w)
        return 0;
    DLGPROC proc = w->aExtra.size() >= DLGWINDOWEXTRA
                       ? reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hDlg, DWLP_DLGPROC))
                       : nullptr;
    if (proc) {
        INT_PTR r = proc(hDlg, Msg, wParam, lParam);
        if (!IsWindow(hDlg))
            return r;
        switch (Msg) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_INITDIALOG:
            if (r)
                return r;
            break;
        default:
            if (r)
                return GetWindowLongPtrW(hDlg, DWLP_MSGRESULT);
        }
    }
    // The dialog manager's own handling.
    switch (Msg) {
    case WM_ERASEBKGND: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        HBRUSH hbr = reinterpret_cast<HBRUSH>(SendMessageW(hDlg, WM_CTLCOLORDLG, wParam,
                                                           reinterpret_cast<LPARAM>(hDlg)));
        if (!hbr)
            hbr = GetSysColorBrush(COLOR_BTNFACE);
        RECT rc;
        GetClientRect(hDlg, &rc);
        FillRect(hdc, &rc, hbr);
        return TRUE;
    }
    case WM_CLOSE: {
        HWND hBtn = GetDlgItem(hDlg, IDCANCEL);
        if (hBtn && !IsWindowEnabled(hBtn))
            return 0;
        PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(hBtn));
        return 0;
    }
    case DM_GETDEFID: {
        LONG_PTR id = reinterpret_cast<LONG_PTR>(GetPropW(hDlg, u"PlatDefId"));
        return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID: {
        HWND hOld = GetDlgItem(hDlg, static_cast<int>(reinterpret_cast<LONG_PTR>(GetPropW(hDlg, u"PlatDefId"))));
        SetPropW(hDlg, u"PlatDefId", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(wParam)));
        // Only one push button wears the default look.
        if (hOld && IsPushButton(hOld))
            SendMessageW(hOld, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        HWND hNew = GetDlgItem(hDlg, static_cast<int>(wParam));
        if (hNew && IsPushButton(hNew))
            SendMessageW(hNew, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        return TRUE;
    }
    case WM_NEXTDLGCTL: {
        HWND h = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                : GetNextDlgTabItem(hDlg, GetFocus(), wParam != 0);
        if (h)
            SetFocus(h);
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(hDlg, f))
                w->hwndFocusSaved = f;
        } else if (w->hwndFocusSaved && IsWindow(w->hwndFocusSaved) && IsChild(hDlg, w->hwndFocusSaved)) {
            SetFocus(w->hwndFocusSaved);
        }
        return 0;
    case WM_SETFOCUS: {
        HWND h = GetNextDlgTabItem(hDlg, nullptr, FALSE);
        if (h)
            SetFocus(h);
        return 0;
    }
    case WM_GETDLGCODE:
        return 0;
    case WM_SETFONT:
        w->hFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return DefWindowProcW(hDlg, Msg, wParam, lParam);
    case WM_INITDIALOG:
    case WM_COMMAND:
    case WM_NOTIFY:
        return 0;
    }
    return DefWindowProcW(hDlg, Msg, wParam, lParam);
}

BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg)
{
    if (!lpMsg || !WndGet(hDlg))
        return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))
        return FALSE;
    switch (lpMsg->message) {
    case WM_KEYDOWN:
        if (DlgHandleKey(hDlg, lpMsg->hwnd, static_cast<UINT>(lpMsg->wParam), lpMsg))
            return TRUE;
        break;
    case WM_SYSCHAR:
        // Alt with a letter: the control it marks, else a beep.
        if (lpMsg->wParam != u' ' && !DlgMnemonic(hDlg, lpMsg->hwnd, static_cast<WCHAR>(lpMsg->wParam)))
            MessageBeep(0);
        if (lpMsg->wParam != u' ')
            return TRUE;
        break;
    case WM_CHAR: {
        // The letter alone works where the focused control takes no characters.
        LRESULT code = SendMessageW(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam, reinterpret_cast<LPARAM>(lpMsg));
        if (!(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) && lpMsg->wParam > u' ' &&
            DlgMnemonic(hDlg, lpMsg->hwnd, static_cast<WCHAR>(lpMsg->wParam)))
            return TRUE;
        break;
    }
    }
    TranslateMessage(lpMsg);
    DispatchMessageW(lpMsg);
    return TRUE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    WND* w = WndGet(hDlg);
    if (!w)
        return nullptr;
    for (HWND h : w->aChildren) {
        WND* c = WndPeek(h);
        if (c && static_cast<int>(static_cast<WORD>(c->id)) == static_cast<int>(static_cast<WORD>(nIDDlgItem)))
            return h;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND hWnd)
{
    WND* w = WndGet(hWnd);
    return w && (w->dwStyle & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    HWND h = GetDlgItem(hDlg, nIDDlgItem);
    return h ? SendMessageW(h, Msg, wParam, lParam) : 0;
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString)
{
    HWND h = GetDlgItem(hDlg, nIDDlgItem);
    return h ? SetWindowTextW(h, lpString) : FALSE;
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax)
{
    if (lpString && cchMax > 0)
        lpString[0] = 0;
    HWND h = GetDlgItem(hDlg, nIDDlgItem);
    return h ? static_cast<UINT>(GetWindowTextW(h, lpString, cchMax)) : 0;
}

BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned)
{
    char buf[16];
    if (bSigned)
        std::snprintf(buf, sizeof(buf), "%d", static_cast<int>(uValue));
    else
        std::snprintf(buf, sizeof(buf), "%u", uValue);
    WCHAR w[16];
    size_t i = 0;
    for (; buf[i]; ++i)
        w[i] = static_cast<WCHAR>(buf[i]);
    w[i] = 0;
    return SetDlgItemTextW(hDlg, nIDDlgItem, w);
}

UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned)
{
    if (lpTranslated)
        *lpTranslated = FALSE;
    WCHAR buf[64];
    HWND h = GetDlgItem(hDlg, nIDDlgItem);
    if (!h)
        return 0;
    GetWindowTextW(h, buf, 64);
    // Blanks around the number, an optional minus sign when signed, then
    // digits only; out of range is not translated.
    const WCHAR* p = buf;
    while (*p == u' ' || *p == u'\t')
        ++p;
    BOOL bNeg = FALSE;
    if (bSigned && *p == u'-') {
        bNeg = TRUE;
        ++p;
    } else if (*p == u'+') {
        ++p;
    }
    if (*p < u'0' || *p > u'9')
        return 0;
    unsigned long long v = 0;
    while (*p >= u'0' && *p <= u'9') {
        v = v * 10 + static_cast<unsigned>(*p - u'0');
        if (v > 0xFFFFFFFFull)
            return 0;
        ++p;
    }
    while (*p == u' ' || *p == u'\t')
        ++p;
    if (*p)
        return 0;
    if (bSigned) {
        if ((!bNeg && v > 0x7FFFFFFFull) || (bNeg && v > 0x80000000ull))
            return 0;
        if (lpTranslated)
            *lpTranslated = TRUE;
        long long s = bNeg ? -static_cast<long long>(v) : static_cast<long long>(v);
        return static_cast<UINT>(static_cast<int>(s));
    }
    if (lpTranslated)
        *lpTranslated = TRUE;
    return static_cast<UINT>(v);
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck)
{
    HWND h = GetDlgItem(hDlg, nIDButton);
    if (!h)
        return FALSE;
    SendMessageW(h, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton)
{
    HWND h = GetDlgItem(hDlg, nIDButton);
    return h ? static_cast<UINT>(SendMessageW(h, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    WND* w = WndGet(hDlg);
    if (!w)
        return FALSE;
    BOOL bFound = FALSE;
    std::vector<HWND> kids = w->aChildren;
    for (HWND h : kids) {
        int id = GetDlgCtrlID(h);
        if (id < nIDFirstButton || id > nIDLastButton)
            continue;
        SendMessageW(h, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
        bFound = bFound || id == nIDCheckButton;
    }
    return bFound;
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious)
{
    if (!WndGet(hDlg))
        return nullptr;
    std::vector<HWND> v;
    TabList(hDlg, &v);
    if (v.empty())
        return nullptr;
    int n = static_cast<int>(v.size());
    int i = -1;
    for (int k = 0; k < n; ++k)
        if (v[static_cast<size_t>(k)] == hCtl)
            i = k;
    for (int step = 1; step <= n; ++step) {
        int k = i < 0 ? (bPrevious ? n - step : step - 1) : ((i + (bPrevious ? -step : step)) % n + n) % n;
        WND* c = WndPeek(v[static_cast<size_t>(k)]);
        if (CanTabTo(c) && (c->dwStyle & WS_TABSTOP))
            return c->hwnd;
    }
    return hCtl;
}

HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious)
{
    if (!WndGet(hDlg))
        return nullptr;
    std::vector<HWND> v;
    TabList(hDlg, &v);
    auto it = std::find(v.begin(), v.end(), hCtl);
    if (it == v.end())
        return GetNextDlgTabItem(hDlg, nullptr, bPrevious);
    // The group: from the item with WS_GROUP at or before hCtl up to the next.
    size_t i = static_cast<size_t>(it - v.begin());
    size_t first = i;
    while (first > 0 && !(WndPeek(v[first])->dwStyle & WS_GROUP))
        --first;
    size_t last = i;
    while (last + 1 < v.size() && !(WndPeek(v[last + 1])->dwStyle & WS_GROUP))
        ++last;
    size_t n = last - first + 1;
    for (size_t step = 1; step <= n; ++step) {
        size_t k = bPrevious ? first + (i - first + n - step) % n : first + (i - first + step) % n;
        if (CanTabTo(WndPeek(v[k])))
            return v[k];
    }
    return hCtl;
}

BOOL MapDialogRect(HWND hDlg, LPRECT lpRect)
{
    WND* w = WndGet(hDlg);
    if (!w || !lpRect)
        return FALSE;
    int cx, cy;
    DlgBaseUnits(&cx, &cy);
    if (w->hFont && w->hFont != PlatGetDialogFont()) {
        for (auto& kv : g_fonts)
            if (kv.second.hFont == w->hFont)
                cx = kv.second.cxBase, cy = kv.second.cyBase;
    }
    lpRect->left = lpRect->left * cx / 4;
    lpRect->right = lpRect->right * cx / 4;
    lpRect->top = lpRect->top * cy / 8;
    lpRect->bottom = lpRect->bottom * cy / 8;
    return TRUE;
}

LONG GetDialogBaseUnits()
{
    int cx, cy;
    DlgBaseUnits(&cx, &cy);
    return MAKELONG(cx, cy);
}

}  // extern "C"
