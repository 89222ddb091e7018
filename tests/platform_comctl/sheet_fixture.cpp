// The controls need the window manager; without it there is nothing to test.
// (platform/windows.h first: the build sees the guard change with it.)
#include "platform/windows.h"
#if __has_include("platform/user/winuser.h")
#include "tests/platform_comctl/sheet_fixture.h"

#include <cstring>
#include <deque>

std::vector<std::string>& Journal()
{
    static std::vector<std::string> j;
    return j;
}

std::string JournalText()
{
    std::string s;
    for (const std::string& e : Journal())
        s += (s.empty() ? "" : " ") + e;
    return s;
}

namespace {

const char* _CodeName(UINT code)
{
    switch (code) {
    case PSN_SETACTIVE: return "setactive";
    case PSN_KILLACTIVE: return "killactive";
    case PSN_APPLY: return "apply";
    case PSN_RESET: return "reset";
    case PSN_HELP: return "help";
    case PSN_QUERYCANCEL: return "querycancel";
    }
    return nullptr;
}

INT_PTR CALLBACK _PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        const PROPSHEETPAGEW* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        PAGECONF* c = reinterpret_cast<PAGECONF*>(psp->lParam);
        SetWindowLongPtrW(hwnd, DWL_USER, psp->lParam);
        c->hwnd = hwnd;
        c->lParamSeen = psp->lParam;
        c->cbSeen = psp->dwSize;
        Journal().push_back(std::string(c->name) + ":init");
        return TRUE;
    }
    PAGECONF* c = reinterpret_cast<PAGECONF*>(GetWindowLongPtrW(hwnd, DWL_USER));
    if (msg != WM_NOTIFY || !c)
        return FALSE;
    const PSHNOTIFY* pn = reinterpret_cast<const PSHNOTIFY*>(lParam);
    const char* name = _CodeName(pn->hdr.code);
    if (!name)
        return FALSE;
    std::string e = std::string(c->name) + ":" + name;
    if (pn->hdr.code == PSN_APPLY)
        e += pn->lParam ? "(ok)" : "(apply)";
    Journal().push_back(e);
    LRESULT r = 0;
    switch (pn->hdr.code) {
    case PSN_KILLACTIVE: r = c->bVetoKill; break;
    case PSN_APPLY:
        r = c->applyResult;
        if (r == PSNRET_NOERROR && c->pfnHost)
            c->pfnHost(c->hHost, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
        break;
    case PSN_QUERYCANCEL: r = c->bVetoCancel; break;
    }
    SetWindowLongPtrW(hwnd, DWL_MSGRESULT, r);
    return TRUE;
}

struct TEMPLATEBYTES {
    alignas(4) BYTE b[64];
};

}  // namespace

const DLGTEMPLATE* PageTemplate()
{
    static TEMPLATEBYTES t = [] {
        TEMPLATEBYTES x = {};
        DLGTEMPLATE h = {};
        h.style = WS_CHILD | DS_CONTROL;
        h.cx = 120;
        h.cy = 60;
        memcpy(x.b, &h, sizeof(h));
        // menu 0, class 0, caption "Page"
        const char16_t cap[] = u"Page";
        memcpy(x.b + sizeof(h) + 4, cap, sizeof(cap));
        return x;
    }();
    return reinterpret_cast<const DLGTEMPLATE*>(t.b);
}

HPROPSHEETPAGE MakePage(PAGECONF* conf, BOOL bHelp)
{
    // A deque keeps each title where it is when more are added (a vector
    // would move them, and a short string's text moves with it).
    static std::deque<std::u16string> titles;
    titles.push_back(std::u16string(conf->name, conf->name + strlen(conf->name)));
    PROPSHEETPAGEW psp = {};
    psp.dwSize = sizeof(psp);
    psp.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE | (bHelp ? PSP_HASHELP : 0);
    psp.pResource = PageTemplate();
    psp.pszTitle = titles.back().c_str();
    psp.pfnDlgProc = _PageProc;
    psp.lParam = reinterpret_cast<LPARAM>(conf);
    return CreatePropertySheetPageW(&psp);
}

HWND OpenModelessSheet(std::vector<PAGECONF*> confs, DWORD dwExtraFlags)
{
    std::vector<HPROPSHEETPAGE> pages;
    for (PAGECONF* c : confs)
        pages.push_back(MakePage(c));
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | dwExtraFlags;
    psh.pszCaption = u"Sheet";
    psh.nPages = (UINT)pages.size();
    psh.phpage = pages.data();
    INT_PTR r = PropertySheetW(&psh);
    return r > 0 ? reinterpret_cast<HWND>(r) : nullptr;
}

void ClickTab(HWND hSheet, int i)
{
    HWND hTab = PropSheet_GetTabControl(hSheet);
    RECT rc;
    SendMessageW(hTab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
    LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageW(hTab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(hTab, WM_LBUTTONUP, 0, at);
}

void ClickButton(HWND hSheet, int id)
{
    HWND h = GetDlgItem(hSheet, id);
    RECT rc;
    GetClientRect(h, &rc);
    LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(h, WM_LBUTTONUP, 0, at);
}

const DLGTEMPLATE* RichPageTemplate()
{
    static std::vector<BYTE> t = [] {
        std::vector<BYTE> v;
        auto put = [&](const void* p, size_t n) {
            const BYTE* b = static_cast<const BYTE*>(p);
            v.insert(v.end(), b, b + n);
        };
        auto word = [&](WORD w) { put(&w, 2); };
        auto str = [&](const char16_t* s) {
            for (; *s; ++s)
                word(*s);
            word(0);
        };
        struct ITEM {
            const char16_t* cls;  // null: by atom
            WORD atom;
            DWORD style;
            SHORT x, y, cx, cy;
            WORD id;
            const char16_t* text;
        } items[] = {
            {nullptr, 0x0082, 0, 6, 6, 60, 10, 10, u"Copies:"},
            {nullptr, 0x0081, WS_BORDER | ES_NUMBER, 70, 5, 40, 12, 11, u"1"},
            {UPDOWN_CLASSW, 0, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 110, 5, 10, 12, 12, u""},
            {nullptr, 0x0080, BS_AUTOCHECKBOX, 6, 22, 80, 10, 13, u"Staple"},
            {TRACKBAR_CLASSW, 0, TBS_AUTOTICKS, 6, 36, 110, 20, 14, u""},
            {WC_LISTVIEWW, 0, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER, 6, 60, 150, 56, 15, u""},
        };
        DLGTEMPLATE h = {};
        h.style = WS_CHILD | DS_CONTROL;
        h.cdit = (WORD)(sizeof(items) / sizeof(items[0]));
        h.cx = 170;
        h.cy = 122;
        put(&h, sizeof(h));
        word(0);
        word(0);
        str(u"Rich");
        for (const ITEM& it : items) {
            while (v.size() % 4)
                v.push_back(0);
            DLGITEMTEMPLATE d = {};
            d.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | it.style;
            d.x = it.x;
            d.y = it.y;
            d.cx = it.cx;
            d.cy = it.cy;
            d.id = it.id;
            put(&d, sizeof(d));
            if (it.cls) {
                str(it.cls);
            } else {
                word(0xFFFF);
                word(it.atom);
            }
            str(it.text);
            word(0);
        }
        return v;
    }();
    return reinterpret_cast<const DLGTEMPLATE*>(t.data());
}

#endif
