// propsheet.cpp: property sheets (CreatePropertySheetPageW, PropertySheetW).
//
// A sheet is a dialog of its own (a frame made from a template built here)
// holding a tab control, the pages and the buttons OK, Cancel, Apply and
// Help. Its state record (SHEET) lives behind the frame's DWL_USER until
// the frame's WM_NCDESTROY, after the pages are gone, so a page may still
// talk to the sheet while it is destroyed.
//
// The notification order (see prsht.h) in one picture:
//
//   open:    [page 0 created: WM_INITDIALOG] -> PSN_SETACTIVE(0)
//   tab k:   PSN_KILLACTIVE(cur) --TRUE--> stay
//                               --FALSE-> [page k created once] -> PSN_SETACTIVE(k)
//   Apply:   PSN_KILLACTIVE(cur) -> PSN_APPLY(each created page, lParam FALSE)
//   OK:      PSN_KILLACTIVE(cur) -> PSN_APPLY(each created page, lParam TRUE) -> end
//   Cancel:  PSN_QUERYCANCEL(cur) --TRUE--> stay
//                                 --FALSE-> PSN_RESET(each created page) -> end
//   Help:    PSN_HELP(cur)
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace {

struct SHEETPAGE {
    std::vector<BYTE> psp;   // the caller's record, at least sizeof(PROPSHEETPAGEW) bytes
    HWND hwnd;               // the page's dialog once created
    std::u16string title;    // tab text
    int idTemplate;          // template number, 0 when named or in memory
    SIZE sizeDlu;            // template size
    BOOL bSized;             // sizeDlu read from the template

    PROPSHEETPAGEW* Rec() { return reinterpret_cast<PROPSHEETPAGEW*>(psp.data()); }
};

struct SHEET {
    std::vector<SHEETPAGE*> pages;
    int iCur;                // page shown, -1 before the first
    HWND hwnd, hwndTab, hwndOK, hwndCancel, hwndApply, hwndHelp;
    HWND hwndOwner;          //
    DWORD dwFlags;           // PSH_*
    std::set<HWND> changed;  // pages that sent PSM_CHANGED since the last apply
    BOOL bApplied;           // something was applied
    BOOL bEnded;             // OK or Cancel done
    BOOL bOwnerDisabled;     // the owner was enabled before the modal loop
    INT_PTR result;          //
    RECT rcPage;             // where pages sit, client coordinates
    PFNPROPSHEETCALLBACK pfnCallback;
};

std::mutex g_lock;
std::set<SHEETPAGE*> g_pages;  // every live page handle

SHEETPAGE* _ValidPage(HPROPSHEETPAGE h)
{
    std::lock_guard<std::mutex> lock(g_lock);
    SHEETPAGE* p = reinterpret_cast<SHEETPAGE*>(h);
    return g_pages.count(p) ? p : nullptr;
}

// Skips a name-or-ordinal field of a template; null when it runs past the end.
const BYTE* _SkipSzOrOrd(const BYTE* q, const BYTE* end, std::u16string* pText)
{
    if (q + 2 > end)
        return nullptr;
    WORD w;
    memcpy(&w, q, 2);
    if (w == 0)
        return q + 2;
    if (w == 0xFFFF)
        return q + 4 <= end ? q + 4 : nullptr;
    while (q + 2 <= end) {
        memcpy(&w, q, 2);
        q += 2;
        if (!w)
            return q;
        if (pText)
            pText->push_back((WCHAR)w);
    }
    return nullptr;
}

// Size and caption of a dialog template (plain or extended); FALSE when it
// cannot be read.
BOOL _bReadTemplate(const BYTE* t, DWORD cb, SIZE* pSize, std::u16string* pCaption, DWORD* pStyleOffset)
{
    if (!t || cb < sizeof(DLGTEMPLATE))
        return FALSE;
    WORD ver, sig;
    memcpy(&ver, t, 2);
    memcpy(&sig, t + 2, 2);
    const BYTE* end = t + cb;
    const BYTE* q;
    SHORT cx, cy;
    if (ver == 1 && sig == 0xFFFF) {
        if (cb < 26)
            return FALSE;
        memcpy(&cx, t + 22, 2);
        memcpy(&cy, t + 24, 2);
        q = t + 26;
        *pStyleOffset = 12;
    } else {
        memcpy(&cx, t + 14, 2);
        memcpy(&cy, t + 16, 2);
        q = t + 18;
        *pStyleOffset = 0;
    }
    q = _SkipSzOrOrd(q, end, nullptr);              // menu
    q = q ? _SkipSzOrOrd(q, end, nullptr) : nullptr; // class
    std::u16string caption;
    q = q ? _SkipSzOrOrd(q, end, &caption) : nullptr;
    if (!q)
        return FALSE;
    pSize->cx = cx;
    pSize->cy = cy;
    *pCaption = caption;
    return TRUE;
}

// The page's template bytes (resource or memory); null when missing. The
// size is exact for a resource and a bound for memory.
const BYTE* _TemplateBytes(SHEETPAGE* pg, DWORD* pcb)
{
    PROPSHEETPAGEW* r = pg->Rec();
    if (r->dwFlags & PSP_DLGINDIRECT) {
        *pcb = 0x10000;  // a memory template is trusted to be whole
        return reinterpret_cast<const BYTE*>(r->pResource);
    }
    HRSRC hr = FindResourceW(r->hInstance, r->pszTemplate, RT_DIALOG);
    if (!hr)
        return nullptr;
    HGLOBAL hg = LoadResource(r->hInstance, hr);
    *pcb = SizeofResource(r->hInstance, hr);
    return hg ? static_cast<const BYTE*>(LockResource(hg)) : nullptr;
}

std::u16string _String(HINSTANCE hInst, LPCWSTR psz)
{
    if (!psz)
        return std::u16string();
    if (!IS_INTRESOURCE(psz))
        return std::u16string(psz);
    WCHAR buf[256];
    int n = LoadStringW(hInst, (UINT)(ULONG_PTR)psz, buf, 256);
    return n > 0 ? std::u16string(buf, n) : std::u16string();
}

void _FreePage(SHEETPAGE* pg)
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (!g_pages.erase(pg))
            return;
    }
    PROPSHEETPAGEW* r = pg->Rec();
    if ((r->dwFlags & PSP_USECALLBACK) && r->pfnCallback)
        r->pfnCallback(nullptr, PSPCB_RELEASE, r);
    if ((r->dwFlags & PSP_USEREFPARENT) && r->pcRefParent && *r->pcRefParent > 0)
        --*r->pcRefParent;
    delete pg;
}

SHEET* _Sheet(HWND hwnd)
{
    return reinterpret_cast<SHEET*>(GetWindowLongPtrW(hwnd, DWL_USER));
}

LRESULT _Notify(SHEET* s, SHEETPAGE* pg, UINT code, LPARAM lParam)
{
    if (!pg->hwnd || !IsWindow(pg->hwnd))
        return 0;
    PSHNOTIFY n = {};
    n.hdr.hwndFrom = s->hwnd;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.lParam = lParam;
    return SendMessageW(pg->hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

// Creates page i's dialog (once): a child of the frame, in the page area.
BOOL _bCreatePage(SHEET* s, int i)
{
    SHEETPAGE* pg = s->pages[i];
    if (pg->hwnd)
        return TRUE;
    PROPSHEETPAGEW* r = pg->Rec();
    if ((r->dwFlags & PSP_USECALLBACK) && r->pfnCallback && !r->pfnCallback(nullptr, PSPCB_CREATE, r))
        return FALSE;
    DWORD cb = 0;
    const BYTE* t = _TemplateBytes(pg, &cb);
    SIZE sz;
    std::u16string caption;
    DWORD styleAt = 0;
    if (!t || !_bReadTemplate(t, cb, &sz, &caption, &styleAt)) {
        SetLastError(ERROR_RESOURCE_NOT_FOUND);
        return FALSE;
    }
    // A page is a child control of the sheet whatever its template says.
    std::vector<BYTE> copy(t, t + (r->dwFlags & PSP_DLGINDIRECT ? 0 : cb));
    const BYTE* use = t;
    if (!copy.empty()) {
        DWORD style;
        memcpy(&style, copy.data() + styleAt, 4);
        style &= ~(DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_VISIBLE);
        style |= WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
        memcpy(copy.data() + styleAt, &style, 4);
        use = copy.data();
    }
    HWND hwnd = CreateDialogIndirectParamW(r->hInstance, reinterpret_cast<LPCDLGTEMPLATEW>(use), s->hwnd,
                                           r->pfnDlgProc, reinterpret_cast<LPARAM>(r));
    if (!hwnd)
        return FALSE;
    if (!IsWindow(s->hwnd)) {
        return FALSE;
    }
    pg->hwnd = hwnd;
    if (pg->idTemplate)
        PlatSetWindowTemplateId(hwnd, pg->idTemplate);
    if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
        SetParent(hwnd, s->hwnd);
    MoveWindow(hwnd, s->rcPage.left, s->rcPage.top, s->rcPage.right - s->rcPage.left,
               s->rcPage.bottom - s->rcPage.top, FALSE);
    return TRUE;
}

void _UpdateHelp(SHEET* s)
{
    if (!s->hwndHelp)
        return;
    BOOL b = s->iCur >= 0 && (s->pages[s->iCur]->Rec()->dwFlags & PSP_HASHELP);
    EnableWindow(s->hwndHelp, b);
}

// Shows page i without asking the page shown now (that was done).
BOOL _bActivate(SHEET* s, int i)
{
    for (int tries = 0; tries < (int)s->pages.size(); ++tries) {
        if (i < 0 || i >= (int)s->pages.size())
            return FALSE;
        if (!_bCreatePage(s, i))
            return FALSE;
        SHEETPAGE* pg = s->pages[i];
        int iOld = s->iCur;
        s->iCur = i;
        SendMessageW(s->hwndTab, TCM_SETCURSEL, i, 0);
        LRESULT r = _Notify(s, pg, PSN_SETACTIVE, 0);
        if (r == -1 && s->pages.size() > 1) {
            // The page asks to be passed over.
            s->iCur = iOld;
            i = (i + 1) % (int)s->pages.size();
            continue;
        }
        if (iOld >= 0 && iOld != i && s->pages[iOld]->hwnd)
            ShowWindow(s->pages[iOld]->hwnd, SW_HIDE);
        ShowWindow(pg->hwnd, SW_SHOW);
        _UpdateHelp(s);
        return TRUE;
    }
    return FALSE;
}

// The page shown agrees to be left.
BOOL _bKillActive(SHEET* s)
{
    if (s->iCur < 0)
        return TRUE;
    return _Notify(s, s->pages[s->iCur], PSN_KILLACTIVE, 0) == 0;
}

BOOL _bSelect(SHEET* s, int i)
{
    if (i < 0 || i >= (int)s->pages.size())
        return FALSE;
    if (i == s->iCur)
        return TRUE;
    if (!_bKillActive(s))
        return FALSE;
    return _bActivate(s, i);
}

void _End(SHEET* s, INT_PTR result)
{
    s->bEnded = TRUE;
    s->result = result;
    if (!(s->dwFlags & PSH_MODELESS))
        PlatEndModalLoop(s->hwnd, result);
}

BOOL _bApply(SHEET* s, BOOL bClosing)
{
    if (!_bKillActive(s))
        return FALSE;
    // A copy: a page may add or remove pages while it applies.
    std::vector<SHEETPAGE*> pages(s->pages);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!pages[i]->hwnd)
            continue;  // never shown: nothing of it to apply
        LRESULT r = _Notify(s, pages[i], PSN_APPLY, bClosing);
        if (r == PSNRET_INVALID_NOCHANGEPAGE)
            return FALSE;
        if (r == PSNRET_INVALID) {
            auto at = std::find(s->pages.begin(), s->pages.end(), pages[i]);
            if (at != s->pages.end() && at - s->pages.begin() != s->iCur)
                _bActivate(s, (int)(at - s->pages.begin()));
            return FALSE;
        }
    }
    s->changed.clear();
    if (s->hwndApply)
        EnableWindow(s->hwndApply, FALSE);
    s->bApplied = TRUE;
    return TRUE;
}

void _Ok(SHEET* s)
{
    if (!s->bEnded && _bApply(s, TRUE))
        _End(s, 1);
}

void _Cancel(SHEET* s, BOOL bForce)
{
    if (s->bEnded)
        return;
    if (!bForce && s->iCur >= 0 && _Notify(s, s->pages[s->iCur], PSN_QUERYCANCEL, 0) != 0)
        return;
    std::vector<SHEETPAGE*> pages(s->pages);
    for (SHEETPAGE* pg : pages)
        if (pg->hwnd)
            _Notify(s, pg, PSN_RESET, 0);
    _End(s, s->bApplied ? 1 : 0);
}

void _Help(SHEET* s)
{
    if (s->iCur >= 0)
        _Notify(s, s->pages[s->iCur], PSN_HELP, 0);
}

void _AddTab(SHEET* s, int i)
{
    TCITEMW ti = {};
    ti.mask = TCIF_TEXT;
    ti.pszText = const_cast<LPWSTR>(s->pages[i]->title.c_str());
    SendMessageW(s->hwndTab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&ti));
}

// Takes a page into the sheet: its title and size from the template.
void _PreparePage(SHEETPAGE* pg)
{
    PROPSHEETPAGEW* r = pg->Rec();
    DWORD cb = 0;
    const BYTE* t = _TemplateBytes(pg, &cb);
    std::u16string caption;
    DWORD styleAt;
    pg->bSized = t && _bReadTemplate(t, cb, &pg->sizeDlu, &caption, &styleAt);
    pg->title = (r->dwFlags & PSP_USETITLE) ? _String(r->hInstance, r->pszTitle) : caption;
    pg->idTemplate = !(r->dwFlags & PSP_DLGINDIRECT) && IS_INTRESOURCE(r->pszTemplate)
                         ? (int)(ULONG_PTR)r->pszTemplate
                         : 0;
}

// The sheet's keys before the dialog manager's: Ctrl+Tab and Ctrl+PgDn pick
// the next page, Ctrl+Shift+Tab and Ctrl+PgUp the one before, round the
// row, as a click on its tab does (the page shown may refuse to be left).
BOOL _bSheetKey(SHEET* s, const MSG* pm)
{
    if (pm->message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000))
        return FALSE;
    if (pm->wParam != VK_TAB && pm->wParam != VK_PRIOR && pm->wParam != VK_NEXT)
        return FALSE;
    int n = (int)s->pages.size();
    if (n < 2 || s->iCur < 0)
        return TRUE;
    BOOL bBack = pm->wParam == VK_TAB ? (GetKeyState(VK_SHIFT) & 0x8000) != 0 : pm->wParam == VK_PRIOR;
    int i = (s->iCur + (bBack ? n - 1 : 1)) % n;
    BOOL bTabFocused = GetFocus() == s->hwndTab;
    if (_bSelect(s, i) && !bTabFocused && s->iCur >= 0 && s->pages[s->iCur]->hwnd)
        SetFocus(s->pages[s->iCur]->hwnd);
    return TRUE;
}

BOOL _bSheetDialogMessage(HWND hwnd, LPMSG pm)
{
    return SendMessageW(hwnd, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(pm)) != 0;
}

LRESULT _PsmMessage(HWND hwnd, SHEET* s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case PSM_ISDIALOGMESSAGE: {
        MSG* pm = reinterpret_cast<MSG*>(lParam);
        if (!pm || (pm->hwnd != hwnd && !IsChild(hwnd, pm->hwnd)))
            return FALSE;
        if (_bSheetKey(s, pm))
            return TRUE;
        return IsDialogMessageW(hwnd, pm);
    }
    case PSM_CHANGED:
        s->changed.insert(reinterpret_cast<HWND>(wParam));
        if (s->hwndApply)
            EnableWindow(s->hwndApply, TRUE);
        return TRUE;
    case PSM_UNCHANGED:
        s->changed.erase(reinterpret_cast<HWND>(wParam));
        if (s->changed.empty() && s->hwndApply)
            EnableWindow(s->hwndApply, FALSE);
        return TRUE;
    case PSM_SETCURSEL: {
        int i = (int)wParam;
        if (lParam) {
            auto at = std::find(s->pages.begin(), s->pages.end(), reinterpret_cast<SHEETPAGE*>(lParam));
            if (at == s->pages.end())
                return FALSE;
            i = (int)(at - s->pages.begin());
        }
        return _bSelect(s, i);
    }
    case PSM_SETCURSELID:
        for (size_t i = 0; i < s->pages.size(); ++i)
            if (s->pages[i]->idTemplate == (int)lParam)
                return _bSelect(s, (int)i);
        return FALSE;
    case PSM_PRESSBUTTON:
        switch (wParam) {
        case PSBTN_OK: _Ok(s); break;
        case PSBTN_CANCEL: _Cancel(s, FALSE); break;
        case PSBTN_APPLYNOW: _bApply(s, FALSE); break;
        case PSBTN_HELP: _Help(s); break;
        }
        return TRUE;
    case PSM_APPLY:
        return _bApply(s, FALSE);
    case PSM_QUERYSIBLINGS: {
        std::vector<SHEETPAGE*> pages(s->pages);
        for (SHEETPAGE* pg : pages) {
            if (!pg->hwnd)
                continue;
            LRESULT r = SendMessageW(pg->hwnd, PSM_QUERYSIBLINGS, wParam, lParam);
            if (r)
                return r;
        }
        return 0;
    }
    case PSM_CANCELTOCLOSE:
        if (s->hwndCancel)
            EnableWindow(s->hwndCancel, FALSE);
        if (s->hwndOK)
            SetWindowTextW(s->hwndOK, u"Close");
        return TRUE;
    case PSM_GETCURRENTPAGEHWND:
        return s->bEnded || s->iCur < 0 ? 0 : reinterpret_cast<LRESULT>(s->pages[s->iCur]->hwnd);
    case PSM_GETTABCONTROL:
        return reinterpret_cast<LRESULT>(s->hwndTab);
    case PSM_INDEXTOHWND:
        return (int)wParam >= 0 && (int)wParam < (int)s->pages.size()
                   ? reinterpret_cast<LRESULT>(s->pages[(int)wParam]->hwnd)
                   : 0;
    case PSM_HWNDTOINDEX:
        for (size_t i = 0; i < s->pages.size(); ++i)
            if (s->pages[i]->hwnd && s->pages[i]->hwnd == reinterpret_cast<HWND>(wParam))
                return (LRESULT)i;
        return -1;
    case PSM_INDEXTOPAGE:
        return (int)wParam >= 0 && (int)wParam < (int)s->pages.size()
                   ? reinterpret_cast<LRESULT>(s->pages[(int)wParam])
                   : 0;
    case PSM_PAGETOINDEX: {
        auto at = std::find(s->pages.begin(), s->pages.end(), reinterpret_cast<SHEETPAGE*>(lParam));
        return at == s->pages.end() ? -1 : (LRESULT)(at - s->pages.begin());
    }
    case PSM_SETTITLEW: {
        std::u16string t = _String(nullptr, reinterpret_cast<LPCWSTR>(lParam));
        if (wParam & PSH_PROPTITLE)
            t += u" Properties";
        SetWindowTextW(hwnd, t.c_str());
        return TRUE;
    }
    case PSM_GETRESULT:
        return s->bEnded ? s->result : -1;
    case PSM_ADDPAGE: {
        SHEETPAGE* pg = _ValidPage(reinterpret_cast<HPROPSHEETPAGE>(lParam));
        if (!pg || s->pages.size() >= MAXPROPPAGES)
            return FALSE;
        _PreparePage(pg);
        s->pages.push_back(pg);
        _AddTab(s, (int)s->pages.size() - 1);
        return TRUE;
    }
    case PSM_REMOVEPAGE: {
        int i = (int)wParam;
        if (lParam) {
            auto at = std::find(s->pages.begin(), s->pages.end(), reinterpret_cast<SHEETPAGE*>(lParam));
            i = at == s->pages.end() ? -1 : (int)(at - s->pages.begin());
        }
        if (i < 0 || i >= (int)s->pages.size() || s->pages.size() == 1)
            return FALSE;
        SHEETPAGE* pg = s->pages[i];
        bool bCur = i == s->iCur;
        s->pages.erase(s->pages.begin() + i);
        SendMessageW(s->hwndTab, TCM_DELETEITEM, i, 0);
        if (pg->hwnd) {
            s->changed.erase(pg->hwnd);
            DestroyWindow(pg->hwnd);
        }
        _FreePage(pg);
        if (bCur) {
            s->iCur = -1;
            _bActivate(s, i < (int)s->pages.size() ? i : i - 1);
        } else if (i < s->iCur) {
            --s->iCur;
        }
        return TRUE;
    }
    }
    return 0;
}

INT_PTR CALLBACK _SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SHEET* s = msg == WM_INITDIALOG ? nullptr : _Sheet(hwnd);
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(hwnd, DWL_USER, lParam);
        return FALSE;
    case WM_COMMAND:
        if (!s || HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: _Ok(s); return TRUE;
        case IDCANCEL: _Cancel(s, FALSE); return TRUE;
        case IDC_PSAPPLYNOW: _bApply(s, FALSE); return TRUE;
        case IDHELP: _Help(s); return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* ph = reinterpret_cast<const NMHDR*>(lParam);
        if (!s || !ph || ph->hwndFrom != s->hwndTab)
            return FALSE;
        if (ph->code == TCN_SELCHANGING) {
            SetWindowLongPtrW(hwnd, DWL_MSGRESULT, _bKillActive(s) ? FALSE : TRUE);
            return TRUE;
        }
        if (ph->code == TCN_SELCHANGE) {
            int i = (int)SendMessageW(s->hwndTab, TCM_GETCURSEL, 0, 0);
            if (!_bActivate(s, i) && s->iCur >= 0)
                SendMessageW(s->hwndTab, TCM_SETCURSEL, s->iCur, 0);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE:
        if (s)
            _Cancel(s, FALSE);
        return TRUE;
    case WM_NCDESTROY:
        if (s) {
            for (SHEETPAGE* pg : s->pages)
                _FreePage(pg);
            delete s;
            SetWindowLongPtrW(hwnd, DWL_USER, 0);
        }
        return FALSE;
    }
    if (s && msg >= PSM_SETCURSEL && msg <= PSM_GETRESULT) {
        SetWindowLongPtrW(hwnd, DWL_MSGRESULT, _PsmMessage(hwnd, s, msg, wParam, lParam));
        return TRUE;
    }
    return FALSE;
}

// A frame template: style, size in dialog units, caption; no controls.
std::vector<BYTE> _FrameTemplate(DWORD style, int cx, int cy, const std::u16string& caption)
{
    std::vector<BYTE> t(sizeof(DLGTEMPLATE) + 4 + (caption.size() + 1) * 2 + 4, 0);
    DLGTEMPLATE h = {};
    h.style = style;
    h.cdit = 0;
    h.cx = (SHORT)cx;
    h.cy = (SHORT)cy;
    memcpy(t.data(), &h, sizeof(h));
    size_t at = sizeof(DLGTEMPLATE) + 4;  // menu 0, class 0
    for (WCHAR c : caption) {
        memcpy(t.data() + at, &c, 2);
        at += 2;
    }
    return t;
}

HWND _Button(HWND hwndSheet, int id, const char16_t* text, DWORD style, const RECT& rc)
{
    HWND h = CreateWindowExW(0, WC_BUTTONW, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rc.left, rc.top,
                             rc.right - rc.left, rc.bottom - rc.top, hwndSheet,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    if (h)
        SendMessageW(h, WM_SETFONT, SendMessageW(hwndSheet, WM_GETFONT, 0, 0), FALSE);
    return h;
}

// Builds the frame, the tab row and the buttons around the largest page.
BOOL _bBuildFrame(SHEET* s, const std::u16string& title)
{
    int pw = 0, ph = 0;
    for (SHEETPAGE* pg : s->pages) {
        if (pg->bSized) {
            pw = std::max<int>(pw, pg->sizeDlu.cx);
            ph = std::max<int>(ph, pg->sizeDlu.cy);
        }
    }
    if (pw <= 0 || ph <= 0) {
        pw = 212;
        ph = 188;
    }
    const int kMargin = 4, kTabRow = 14, kBtnW = 50, kBtnH = 14, kGap = 4;
    // The button row never hangs out of a narrow sheet.
    bool bHelp = (s->dwFlags & PSH_HASHELP) != 0;
    for (SHEETPAGE* pg : s->pages)
        if (pg->Rec()->dwFlags & PSP_HASHELP)
            bHelp = true;
    bool bApply = !(s->dwFlags & PSH_NOAPPLYNOW);
    int n = 2 + (bApply ? 1 : 0) + (bHelp ? 1 : 0);
    pw = std::max(pw, n * kBtnW + (n - 1) * kGap - 8);
    int cx = pw + 2 * kMargin + 8;
    int cy = kMargin + kTabRow + ph + 8 + kGap + kBtnH + kMargin + 3;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | WS_CLIPCHILDREN;
    std::vector<BYTE> t = _FrameTemplate(style, cx, cy, title);
    HWND hwnd = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), s->hwndOwner,
                                           _SheetProc, reinterpret_cast<LPARAM>(s));
    if (!hwnd)
        return FALSE;
    s->hwnd = hwnd;
    SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);

    RECT rPage = {kMargin + 4, kMargin + kTabRow + 4, kMargin + 4 + pw, kMargin + kTabRow + 4 + ph};
    MapDialogRect(hwnd, &rPage);
    s->hwndTab = CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                                 0, 0, 10, 10, hwnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_PSTABCONTROL)),
                                 nullptr, nullptr);
    if (!s->hwndTab)
        return FALSE;
    SendMessageW(s->hwndTab, WM_SETFONT, SendMessageW(hwnd, WM_GETFONT, 0, 0), FALSE);
    for (size_t i = 0; i < s->pages.size(); ++i)
        _AddTab(s, (int)i);
    RECT rTab = rPage;
    SendMessageW(s->hwndTab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&rTab));
    MoveWindow(s->hwndTab, rTab.left, rTab.top, rTab.right - rTab.left, rTab.bottom - rTab.top, FALSE);
    s->rcPage = rPage;

    // Buttons right-aligned under the tab: OK, Cancel, Apply, Help.
    RECT unit = {0, 0, kBtnW, kBtnH};
    MapDialogRect(hwnd, &unit);
    RECT gap = {0, 0, kGap, kGap};
    MapDialogRect(hwnd, &gap);
    int top = rTab.bottom + gap.bottom;
    int x = rTab.right - n * unit.right - (n - 1) * gap.right;
    auto next = [&]() {
        RECT r = {x, top, x + unit.right, top + unit.bottom};
        x += unit.right + gap.right;
        return r;
    };
    s->hwndOK = _Button(hwnd, IDOK, u"OK", BS_DEFPUSHBUTTON, next());
    s->hwndCancel = _Button(hwnd, IDCANCEL, u"Cancel", BS_PUSHBUTTON, next());
    if (bApply) {
        s->hwndApply = _Button(hwnd, IDC_PSAPPLYNOW, u"&Apply", BS_PUSHBUTTON, next());
        if (s->hwndApply)
            EnableWindow(s->hwndApply, FALSE);
    }
    if (bHelp)
        s->hwndHelp = _Button(hwnd, IDHELP, u"Help", BS_PUSHBUTTON, next());
    if (!s->hwndOK || !s->hwndCancel)
        return FALSE;

    // The frame's client area fits the buttons and the tab.
    RECT want = {0, 0, rTab.right + rTab.left, top + unit.bottom + gap.bottom};
    AdjustWindowRectEx(&want, GetWindowLongW(hwnd, GWL_STYLE), FALSE, GetWindowLongW(hwnd, GWL_EXSTYLE));
    SetWindowPos(hwnd, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

}  // namespace

BOOL PspIsPage(HPROPSHEETPAGE hPage)
{
    return _ValidPage(hPage) != nullptr;
}

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW lppsp)
{
    if (!lppsp || lppsp->dwSize < PROPSHEETPAGEW_V1_SIZE || lppsp->dwSize > 0x10000 || !lppsp->pszTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SHEETPAGE* pg = new (std::nothrow) SHEETPAGE{};
    if (!pg) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pg->psp.assign(std::max<size_t>(lppsp->dwSize, sizeof(PROPSHEETPAGEW)), 0);
    memcpy(pg->psp.data(), lppsp, lppsp->dwSize);
    PROPSHEETPAGEW* r = pg->Rec();
    if (lppsp->dwSize < sizeof(PROPSHEETPAGEW)) {
        r->pszHeaderTitle = nullptr;  // past the caller's record: never read
        r->pszHeaderSubTitle = nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_pages.insert(pg);
    }
    if ((r->dwFlags & PSP_USEREFPARENT) && r->pcRefParent)
        ++*r->pcRefParent;
    if ((r->dwFlags & PSP_USECALLBACK) && r->pfnCallback)
        r->pfnCallback(nullptr, PSPCB_ADDREF, r);
    return reinterpret_cast<HPROPSHEETPAGE>(pg);
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE hPage)
{
    SHEETPAGE* pg = _ValidPage(hPage);
    if (!pg || pg->hwnd) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    _FreePage(pg);
    return TRUE;
}

INT_PTR PropertySheetW(LPCPROPSHEETHEADERW lppsh)
{
    if (!lppsh || lppsh->dwSize < PROPSHEETHEADERW_V1_SIZE || lppsh->nPages == 0 ||
        lppsh->nPages > MAXPROPPAGES || (lppsh->dwFlags & PSH_WIZARD)) {
        // Pages handed over are the sheet's even when it cannot be made.
        if (lppsh && lppsh->dwSize >= PROPSHEETHEADERW_V1_SIZE && !(lppsh->dwFlags & PSH_PROPSHEETPAGE) &&
            lppsh->phpage && lppsh->nPages <= MAXPROPPAGES)
            for (UINT i = 0; i < lppsh->nPages; ++i)
                if (SHEETPAGE* pg = _ValidPage(lppsh->phpage[i]))
                    if (!pg->hwnd)
                        _FreePage(pg);
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    SHEET* s = new (std::nothrow) SHEET{};
    if (!s) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    s->iCur = -1;
    s->hwndOwner = lppsh->hwndParent;
    s->dwFlags = lppsh->dwFlags;
    s->pfnCallback = (lppsh->dwFlags & PSH_USECALLBACK) ? lppsh->pfnCallback : nullptr;

    BOOL bBad = FALSE;
    const BYTE* rec = reinterpret_cast<const BYTE*>(lppsh->ppsp);
    for (UINT i = 0; i < lppsh->nPages; ++i) {
        SHEETPAGE* pg = nullptr;
        if (lppsh->dwFlags & PSH_PROPSHEETPAGE) {
            const PROPSHEETPAGEW* r = reinterpret_cast<const PROPSHEETPAGEW*>(rec);
            if (!r || r->dwSize < PROPSHEETPAGEW_V1_SIZE) {
                bBad = TRUE;
                break;
            }
            pg = reinterpret_cast<SHEETPAGE*>(CreatePropertySheetPageW(r));
            rec += r->dwSize;
        } else {
            pg = _ValidPage(lppsh->phpage ? lppsh->phpage[i] : nullptr);
            if (pg && pg->hwnd)
                pg = nullptr;  // a page belongs to one sheet
        }
        if (!pg) {
            bBad = TRUE;
            continue;
        }
        _PreparePage(pg);
        s->pages.push_back(pg);
    }
    std::u16string title = _String(lppsh->hInstance, lppsh->pszCaption);
    if (lppsh->dwFlags & PSH_PROPTITLE)
        title += u" Properties";

    if (bBad || s->pages.empty() || !_bBuildFrame(s, title)) {
        if (s->hwnd)
            DestroyWindow(s->hwnd);  // frees s and its pages
        else {
            for (SHEETPAGE* pg : s->pages)
                _FreePage(pg);
            delete s;
        }
        return -1;
    }
    HWND hwnd = s->hwnd;
    if (s->pfnCallback)
        s->pfnCallback(hwnd, PSCB_INITIALIZED, 0);

    UINT iStart = 0;
    if (lppsh->dwFlags & PSH_USEPSTARTPAGE) {
        std::u16string want = _String(lppsh->hInstance, lppsh->pStartPage);
        for (size_t i = 0; i < s->pages.size(); ++i)
            if (lstrcmpiW(s->pages[i]->title.c_str(), want.c_str()) == 0)
                iStart = (UINT)i;
    } else if (lppsh->nStartPage < s->pages.size()) {
        iStart = lppsh->nStartPage;
    }
    if (!_bActivate(s, (int)iStart) && !_bActivate(s, 0)) {
        DestroyWindow(hwnd);
        return -1;
    }
    if (!s->pages.empty() && s->pages[0]->idTemplate)
        PlatSetWindowTemplateId(hwnd, s->pages[0]->idTemplate);
    ShowWindow(hwnd, SW_SHOW);
    if (s->iCur >= 0 && s->pages[s->iCur]->hwnd)
        SetFocus(s->pages[s->iCur]->hwnd);

    if (lppsh->dwFlags & PSH_MODELESS)
        return reinterpret_cast<INT_PTR>(hwnd);

    if (s->hwndOwner && IsWindowEnabled(s->hwndOwner)) {
        s->bOwnerDisabled = TRUE;
        EnableWindow(s->hwndOwner, FALSE);
    }
    INT_PTR r = PlatRunModalLoopEx(hwnd, _bSheetDialogMessage);
    s = IsWindow(hwnd) ? _Sheet(hwnd) : nullptr;
    if (s && !s->bEnded)
        _Cancel(s, TRUE);  // closed from outside: the pages still hear of it
    if (s) {
        r = s->result;
        if (s->bOwnerDisabled)
            EnableWindow(s->hwndOwner, TRUE);
    }
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    return r < 0 ? -1 : r;
}
