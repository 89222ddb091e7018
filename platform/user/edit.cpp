// edit.cpp: the edit control (single and multi-line, read-only, password,
// numbers only) with its text, selection, limits, clipboard and painting.
//
// Rules:
//  1. Typing is WM_CHAR: each character replaces the selection or is
//     inserted at the caret, so a subclass procedure sees every key.
//     Backspace is the character 8; Delete and the caret keys are
//     WM_KEYDOWN.
//  2. Every change of the text, by typing, pasting, EM_REPLACESEL or
//     WM_SETTEXT, sends EN_UPDATE then EN_CHANGE to the parent.
//  3. EM_LIMITTEXT bounds typing, pasting and EM_REPLACESEL (EN_MAXTEXT
//     when a key is refused), never WM_SETTEXT.
//  4. ES_NUMBER refuses anything but digits with a beep; read-only refuses
//     every change by the user.
#include "platform/user/wnd.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/kernel/memory.h"
#include "platform/kernel/wstr.h"

#include <algorithm>
#include <cstring>

namespace {

const UINT kDefaultLimit = 30000;

struct EDIT {
    UINT iSelStart;   // anchor
    UINT iSelEnd;     // caret
    UINT cchLimit;
    BOOL bModified;
    BOOL bFocus;
    WCHAR chPassword;
    std::vector<int> aTabStops;
};

EDIT* Ed(HWND hwnd)
{
    WND* w = WndPeek(hwnd);
    return w ? static_cast<EDIT*>(w->pCtl) : nullptr;
}

void SelRange(const EDIT* e, UINT* pLo, UINT* pHi)
{
    *pLo = std::min(e->iSelStart, e->iSelEnd);
    *pHi = std::max(e->iSelStart, e->iSelEnd);
}

void Changed(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
    WndNotifyParent(hwnd, EN_UPDATE);
    if (IsWindow(hwnd))
        WndNotifyParent(hwnd, EN_CHANGE);
}

// Replaces the selection with s within the limit (rule 3); answers FALSE
// when nothing of s fitted.
BOOL ReplaceSel(HWND hwnd, std::u16string s, BOOL bByUser)
{
    WND* w = WndPeek(hwnd);
    EDIT* e = Ed(hwnd);
    UINT lo, hi;
    SelRange(e, &lo, &hi);
    lo = std::min<UINT>(lo, static_cast<UINT>(w->strText.size()));
    hi = std::min<UINT>(hi, static_cast<UINT>(w->strText.size()));
    if (!(w->dwStyle & ES_MULTILINE)) {
        // A single line keeps the first line of what is put in.
        size_t n = s.find_first_of(u"\r\n");
        if (n != std::u16string::npos)
            s.resize(n);
    }
    if (w->dwStyle & ES_UPPERCASE)
        for (auto& c : s)
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - 32);
    if (w->dwStyle & ES_LOWERCASE)
        for (auto& c : s)
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c + 32);
    size_t cKeep = w->strText.size() - (hi - lo);
    BOOL bCut = FALSE;
    if (cKeep + s.size() > e->cchLimit) {
        size_t room = e->cchLimit > cKeep ? e->cchLimit - cKeep : 0;
        s.resize(room);
        bCut = TRUE;
    }
    if (s.empty() && lo == hi) {
        if (bCut && bByUser)
            WndNotifyParent(hwnd, EN_MAXTEXT);
        return FALSE;
    }
    w->strText.replace(lo, hi - lo, s);
    e->iSelStart = e->iSelEnd = lo + static_cast<UINT>(s.size());
    e->bModified = TRUE;
    Changed(hwnd);
    if (bCut && bByUser && IsWindow(hwnd))
        WndNotifyParent(hwnd, EN_MAXTEXT);
    return !s.empty();
}

std::u16string Shown(const WND* w, const EDIT* e)
{
    if ((w->dwStyle & ES_PASSWORD) && !(w->dwStyle & ES_MULTILINE))
        return std::u16string(w->strText.size(), e->chPassword ? e->chPassword : u'*');
    return w->strText;
}

void PaintEdit(HWND hwnd, HDC hdc)
{
    WND* w = WndPeek(hwnd);
    EDIT* e = Ed(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    BOOL bGrey = (w->dwStyle & (WS_DISABLED | ES_READONLY)) != 0;
    HBRUSH hbr = PaintCtlColor(hwnd, hdc, bGrey ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    FillRect(hdc, &rc, hbr ? hbr : GetSysColorBrush(COLOR_WINDOW));
    if (w->dwStyle & WS_DISABLED)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(hdc, TRANSPARENT);
    std::u16string text = Shown(w, e);
    RECT rt = rc;
    InflateRect(&rt, -1, 0);
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    UINT lo, hi;
    SelRange(e, &lo, &hi);
    if ((w->dwStyle & ES_MULTILINE) && !e->aTabStops.empty()) {
        // Tab stops set with EM_SETTABSTOPS are in dialog template units (a
        // quarter of the font's average character width); past the last one
        // the stops go on at the last interval.
        int cxAvg = tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 6;
        std::vector<int> stops;
        for (int s : e->aTabStops)
            stops.push_back(s * cxAvg / 4);
        int step = stops.size() > 1 ? stops.back() - stops[stops.size() - 2] : stops.back();
        if (step <= 0)
            step = cxAvg * 8;
        int y = rt.top;
        size_t i = 0;
        while (i <= text.size() && y < rt.bottom) {
            size_t end = text.find(u'\n', i);
            std::u16string line = text.substr(i, end == std::u16string::npos ? std::u16string::npos : end - i);
            if (!line.empty() && line.back() == u'\r')
                line.pop_back();
            int x = 0;
            size_t k = 0;
            while (k <= line.size()) {
                size_t tab = line.find(u'\t', k);
                std::u16string seg = line.substr(k, tab == std::u16string::npos ? std::u16string::npos : tab - k);
                SIZE sz = {0, 0};
                if (!seg.empty()) {
                    ExtTextOutW(hdc, rt.left + x, y, ETO_CLIPPED, &rt, seg.c_str(), static_cast<UINT>(seg.size()),
                                nullptr);
                    GetTextExtentPoint32W(hdc, seg.c_str(), static_cast<int>(seg.size()), &sz);
                }
                x += sz.cx;
                if (tab == std::u16string::npos)
                    break;
                int next = -1;
                for (int s : stops)
                    if (s > x) {
                        next = s;
                        break;
                    }
                if (next < 0)
                    next = stops.back() + ((x - stops.back()) / step + 1) * step;
                x = next;
                k = tab + 1;
            }
            y += tm.tmHeight > 0 ? tm.tmHeight : 12;
            if (end == std::u16string::npos)
                break;
            i = end + 1;
        }
        return;
    }
    if (w->dwStyle & ES_MULTILINE) {
        DrawTextW(hdc, text.c_str(), -1, &rt, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
        return;
    }
    UINT fmt = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
    if (w->dwStyle & ES_CENTER)
        fmt |= DT_CENTER;
    else if (w->dwStyle & ES_RIGHT)
        fmt |= DT_RIGHT;
    // Selected text shows in the highlight colours while the edit has the focus.
    if (e->bFocus && lo < hi && !(fmt & (DT_CENTER | DT_RIGHT))) {
        SIZE a = {0, 0}, b = {0, 0};
        if (lo)
            GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(lo), &a);
        GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(hi), &b);
        int y = rt.top + (rt.bottom - rt.top - tm.tmHeight) / 2;
        RECT rs = {rt.left + a.cx, y, rt.left + b.cx, y + tm.tmHeight};
        DrawTextW(hdc, text.c_str(), -1, &rt, fmt);
        FillRect(hdc, &rs, GetSysColorBrush(COLOR_HIGHLIGHT));
        COLORREF crOld = SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        RECT rsel = {rs.left, rt.top, rs.right, rt.bottom};
        std::u16string sel = text.substr(lo, hi - lo);
        DrawTextW(hdc, sel.c_str(), -1, &rsel, fmt | DT_NOCLIP);
        SetTextColor(hdc, crOld);
        return;
    }
    DrawTextW(hdc, text.c_str(), -1, &rt, fmt);
    if (e->bFocus) {
        // The caret: a one-pixel bar after the selection's end.
        SIZE a = {0, 0};
        if (e->iSelEnd)
            GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(std::min<size_t>(e->iSelEnd, text.size())), &a);
        int y = rt.top + (rt.bottom - rt.top - tm.tmHeight) / 2;
        RECT rcar = {rt.left + a.cx, y, rt.left + a.cx + 1, y + tm.tmHeight};
        if (!(fmt & (DT_CENTER | DT_RIGHT)))
            FillRect(hdc, &rcar, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
}

// Line starts of a multi-line text (CR LF separated).
std::vector<UINT> LineStarts(const std::u16string& s)
{
    std::vector<UINT> v(1, 0);
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == u'\n')
            v.push_back(static_cast<UINT>(i + 1));
    return v;
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WND* w = WndPeek(hwnd);
    EDIT* e = Ed(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        EDIT* n = new EDIT();
        n->cchLimit = kDefaultLimit;
        n->chPassword = u'*';
        w->pCtl = n;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY:
        delete e;
        w->pCtl = nullptr;
        return 0;
    case WM_GETDLGCODE: {
        LRESULT r = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if ((w->dwStyle & ES_MULTILINE) && (w->dwStyle & ES_WANTRETURN))
            r |= DLGC_WANTALLKEYS;
        if (lParam && (w->dwStyle & ES_MULTILINE)) {
            const MSG* m = reinterpret_cast<const MSG*>(lParam);
            if (m->message == WM_KEYDOWN && m->wParam == VK_ESCAPE)
                r &= ~DLGC_WANTALLKEYS;
        }
        return r;
    }
    case WM_SETTEXT: {
        // Rule 3: the limit does not apply here.
        w->strText = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
        if (!(w->dwStyle & ES_MULTILINE)) {
            size_t n = w->strText.find_first_of(u"\r\n");
            if (n != std::u16string::npos)
                w->strText.resize(n);
        }
        e->iSelStart = e->iSelEnd = 0;
        e->bModified = FALSE;
        Changed(hwnd);
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc) {
            PaintEdit(hwnd, hdc);
            EndPaint(hwnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
        e->bFocus = TRUE;
        InvalidateRect(hwnd, nullptr, TRUE);
        WndNotifyParent(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (e) {
            e->bFocus = FALSE;
            InvalidateRect(hwnd, nullptr, TRUE);
            WndNotifyParent(hwnd, EN_KILLFOCUS);
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_CHAR: {
        WCHAR ch = static_cast<WCHAR>(wParam);
        if (w->dwStyle & ES_READONLY) {
            if (ch >= 0x20)
                MessageBeep(static_cast<UINT>(-1));
            return 0;
        }
        if (ch == 8) {  // backspace
            UINT lo, hi;
            SelRange(e, &lo, &hi);
            if (lo == hi) {
                if (lo == 0)
                    return 0;
                e->iSelStart = lo - 1;
                e->iSelEnd = lo;
                // A CR LF pair goes as one.
                if (lo >= 2 && w->strText[lo - 1] == u'\n' && w->strText[lo - 2] == u'\r')
                    e->iSelStart = lo - 2;
            }
            ReplaceSel(hwnd, u"", TRUE);
            return 0;
        }
        if (ch == 1) {  // Ctrl+A
            e->iSelStart = 0;
            e->iSelEnd = static_cast<UINT>(w->strText.size());
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        if (ch == 3) { SendMessageW(hwnd, WM_COPY, 0, 0); return 0; }
        if (ch == 22) { SendMessageW(hwnd, WM_PASTE, 0, 0); return 0; }
        if (ch == 24) { SendMessageW(hwnd, WM_CUT, 0, 0); return 0; }
        if (ch == u'\r') {
            if (w->dwStyle & ES_MULTILINE)
                ReplaceSel(hwnd, u"\r\n", TRUE);
            return 0;
        }
        if (ch == u'\t' && !(w->dwStyle & ES_MULTILINE))
            return 0;
        if (ch < 0x20 && ch != u'\t')
            return 0;
        if ((w->dwStyle & ES_NUMBER) && (ch < u'0' || ch > u'9')) {
            MessageBeep(static_cast<UINT>(-1));
            return 0;
        }
        if (!ReplaceSel(hwnd, std::u16string(1, ch), TRUE))
            MessageBeep(static_cast<UINT>(-1));
        return 0;
    }
    case WM_KEYDOWN: {
        UINT n = static_cast<UINT>(w->strText.size());
        BOOL bShift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        UINT caret = e->iSelEnd;
        switch (wParam) {
        case VK_DELETE:
            if (w->dwStyle & ES_READONLY)
                return 0;
            if (e->iSelStart == e->iSelEnd) {
                if (caret >= n)
                    return 0;
                e->iSelEnd = caret + 1;
            }
            ReplaceSel(hwnd, u"", TRUE);
            return 0;
        case VK_LEFT: caret = caret ? caret - 1 : 0; break;
        case VK_RIGHT: caret = std::min(n, caret + 1); break;
        case VK_HOME: caret = 0; break;
        case VK_END: caret = n; break;
        default: return 0;
        }
        e->iSelEnd = caret;
        if (!bShift)
            e->iSelStart = caret;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_KEYUP:
        return 0;
    case WM_CUT:
    case WM_COPY: {
        UINT lo, hi;
        SelRange(e, &lo, &hi);
        if (lo == hi || (w->dwStyle & ES_PASSWORD))
            return 0;
        std::u16string s = w->strText.substr(lo, hi - lo);
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(WCHAR));
        if (h) {
            WCHAR* p = static_cast<WCHAR*>(GlobalLock(h));
            std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(WCHAR));
            GlobalUnlock(h);
            if (OpenClipboard(hwnd)) {
                EmptyClipboard();
                SetClipboardData(CF_UNICODETEXT, h);
                CloseClipboard();
            } else {
                GlobalFree(h);
            }
        }
        if (msg == WM_CUT && !(w->dwStyle & ES_READONLY))
            ReplaceSel(hwnd, u"", TRUE);
        return 0;
    }
    case WM_CLEAR:
        if (!(w->dwStyle & ES_READONLY))
            ReplaceSel(hwnd, u"", TRUE);
        return 0;
    case WM_PASTE: {
        if (w->dwStyle & ES_READONLY)
            return 0;
        if (!OpenClipboard(hwnd))
            return 0;
        HANDLE h = GetClipboardData(CF_UNICODETEXT);
        std::u16string s;
        if (h) {
            const WCHAR* p = static_cast<const WCHAR*>(GlobalLock(h));
            if (p)
                s = p;
            GlobalUnlock(h);
        }
        CloseClipboard();
        if (w->dwStyle & ES_NUMBER) {
            for (char16_t c : s)
                if (c < u'0' || c > u'9') {
                    MessageBeep(static_cast<UINT>(-1));
                    return 0;
                }
        }
        if (!s.empty())
            ReplaceSel(hwnd, s, TRUE);
        return 0;
    }
    case EM_GETSEL: {
        UINT lo, hi;
        SelRange(e, &lo, &hi);
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = lo;
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = hi;
        return MAKELRESULT(std::min<UINT>(lo, 0xFFFF), std::min<UINT>(hi, 0xFFFF));
    }
    case EM_SETSEL: {
        UINT n = static_cast<UINT>(w->strText.size());
        int s = static_cast<int>(wParam), t = static_cast<int>(lParam);
        // -1 as the start removes the selection; -1 as the end means the end.
        if (s < 0) {
            e->iSelStart = e->iSelEnd = std::min(e->iSelEnd, n);
        } else {
            e->iSelStart = std::min<UINT>(static_cast<UINT>(s), n);
            e->iSelEnd = t < 0 ? n : std::min<UINT>(static_cast<UINT>(t), n);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case EM_REPLACESEL:
        ReplaceSel(hwnd, lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"", FALSE);
        return 0;
    case EM_LIMITTEXT:
        e->cchLimit = wParam ? static_cast<UINT>(wParam) : ((w->dwStyle & ES_MULTILINE) ? 0xFFFFFFFFu : 0x7FFFFFFEu);
        return 0;
    case EM_GETLIMITTEXT:
        return e->cchLimit;
    case EM_GETMODIFY:
        return e->bModified;
    case EM_SETMODIFY:
        e->bModified = wParam != 0;
        return 0;
    case EM_SETREADONLY:
        w->dwStyle = wParam ? (w->dwStyle | ES_READONLY) : (w->dwStyle & ~ES_READONLY);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case EM_SETPASSWORDCHAR:
        e->chPassword = static_cast<WCHAR>(wParam);
        w->dwStyle = wParam ? (w->dwStyle | ES_PASSWORD) : (w->dwStyle & ~ES_PASSWORD);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case EM_GETPASSWORDCHAR:
        return (w->dwStyle & ES_PASSWORD) ? e->chPassword : 0;
    case EM_SETTABSTOPS: {
        e->aTabStops.clear();
        const int* p = reinterpret_cast<const int*>(lParam);
        for (WPARAM i = 0; p && i < wParam; ++i)
            e->aTabStops.push_back(p[i]);
        return (w->dwStyle & ES_MULTILINE) ? TRUE : FALSE;
    }
    case EM_GETLINECOUNT:
        return (w->dwStyle & ES_MULTILINE) ? static_cast<LRESULT>(LineStarts(w->strText).size()) : 1;
    case EM_LINEINDEX: {
        std::vector<UINT> v = LineStarts(w->strText);
        int i = static_cast<int>(wParam);
        if (i < 0) {
            i = 0;
            for (size_t k = 0; k < v.size(); ++k)
                if (v[k] <= e->iSelEnd)
                    i = static_cast<int>(k);
        }
        return i < static_cast<int>(v.size()) ? static_cast<LRESULT>(v[static_cast<size_t>(i)]) : -1;
    }
    case EM_LINEFROMCHAR: {
        std::vector<UINT> v = LineStarts(w->strText);
        UINT c = static_cast<int>(wParam) < 0 ? e->iSelEnd : static_cast<UINT>(wParam);
        int i = 0;
        for (size_t k = 0; k < v.size(); ++k)
            if (v[k] <= c)
                i = static_cast<int>(k);
        return i;
    }
    case EM_LINELENGTH: {
        std::vector<UINT> v = LineStarts(w->strText);
        UINT c = static_cast<int>(wParam) < 0 ? e->iSelEnd : static_cast<UINT>(wParam);
        for (size_t k = v.size(); k-- > 0;)
            if (v[k] <= c) {
                UINT end = k + 1 < v.size() ? v[k + 1] - 1 : static_cast<UINT>(w->strText.size());
                if (end > v[k] && w->strText[end - 1] == u'\r')
                    --end;
                return static_cast<LRESULT>(end - v[k]);
            }
        return 0;
    }
    case EM_GETLINE: {
        std::vector<UINT> v = LineStarts(w->strText);
        LPWSTR p = reinterpret_cast<LPWSTR>(lParam);
        if (!p || wParam >= v.size())
            return 0;
        UINT start = v[wParam];
        UINT end = wParam + 1 < v.size() ? v[wParam + 1] - 1 : static_cast<UINT>(w->strText.size());
        if (end > start && w->strText[end - 1] == u'\r')
            --end;
        // The first WORD of the buffer holds its size; no terminator is added.
        UINT cchMax = *reinterpret_cast<WORD*>(p);
        UINT c = std::min(end - start, cchMax);
        std::memcpy(p, w->strText.data() + start, c * sizeof(WCHAR));
        return c;
    }
    case EM_CANUNDO:
        return FALSE;
    case EM_EMPTYUNDOBUFFER:
    case EM_SCROLLCARET:
    case EM_SETMARGINS:
        return 0;
    case EM_GETFIRSTVISIBLELINE:
        return 0;
    case WM_PLAT_SCRIPT: {
        PLATSCRIPTACTION* a = reinterpret_cast<PLATSCRIPTACTION*>(lParam);
        if (!a)
            return PSR_UNKNOWN;
        if (a->uAction == PSA_CLICK) {
            SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
            return PSR_DONE;
        }
        if (a->uAction == PSA_TYPE) {
            if (w->dwStyle & ES_READONLY)
                return PSR_FAILED;
            // Focus, select all, then each key as a person types it.
            SetFocus(hwnd);
            if (!IsWindow(hwnd) || GetFocus() != hwnd)
                return PSR_FAILED;
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
            if (!a->pszText || !a->pszText[0]) {
                SendMessageW(hwnd, WM_KEYDOWN, VK_DELETE, 0);
                SendMessageW(hwnd, WM_KEYUP, VK_DELETE, 0);
            }
            // A key that leaves the text as it was is refused (by the
            // edit's own rules or by a filter of its owner). iValue 1: the
            // person stops there and the action fails saying why; else the
            // typing goes on.
            for (const WCHAR* p = a->pszText; p && *p && IsWindow(hwnd); ++p) {
                std::u16string before = w->strText;
                UINT lo, hi;
                SelRange(e, &lo, &hi);
                SendMessageW(hwnd, WM_CHAR, *p, 1);
                w = WndPeek(hwnd);
                e = w ? static_cast<EDIT*>(w->pCtl) : nullptr;
                if (!w || !e)
                    return PSR_DONE;
                std::u16string expected = before.substr(0, lo) + *p + before.substr(std::min<size_t>(hi, before.size()));
                if (a->iValue != 1 || *p < 0x20 || w->strText != before || expected == before)
                    continue;
                std::u16string ch(1, *p), why;
                std::string n = std::to_string(e->cchLimit);
                if ((w->dwStyle & ES_NUMBER) && (*p < u'0' || *p > u'9'))
                    why = u"it takes digits only, not \"" + ch + u"\"";
                else if (before.size() - (hi - lo) + 1 > e->cchLimit)
                    why = u"it takes at most " + std::u16string(n.begin(), n.end()) + u" characters";
                else if (lo == 0)
                    why = u"it does not take \"" + ch + u"\" as the first character";
                else
                    why = u"it does not take \"" + ch + u"\" after \"" + before.substr(0, lo) + u"\"";
                lstrcpynW(a->szWhy, why.c_str(), static_cast<int>(sizeof(a->szWhy) / sizeof(WCHAR)));
                return PSR_FAILED;
            }
            return PSR_DONE;
        }
        return PSR_UNKNOWN;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void EditRegister()
{
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS | CS_PARENTDC;
    wc.lpfnWndProc = EditProc;
    wc.lpszClassName = WC_EDITW;
    PlatRegisterSystemClass(&wc);
}
