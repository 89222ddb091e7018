// script.cpp: the scripted user.
//
// Entry points: the calls of script.h.
//
// Every action is checked before anything is sent (the window and the
// control exist, are visible and enabled, the item exists), so a step that
// fails leaves the windows as they were; then it is done through the input
// messages a person's mouse and keyboard cause.
#include "platform/user/script.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/wstr.h"
#include "platform/user/msgbox.h"
#include "platform/user/wnd.h"

#include <algorithm>
#include <deque>
#include <map>
#include <string>

namespace {

struct STEP {
    int iStep;
    int id;
    std::u16string strLabel;
    BOOL bLabel;
    std::u16string strText;
    BOOL bText;
    int iIndex;
    int iValue;
};

std::map<int, std::deque<std::vector<STEP>>> g_queued;
std::u16string g_error;
int g_iStep = 0;             // step number within the running list (0: an immediate call)

std::u16string Num(long v)
{
    std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

BOOL Fail(const char16_t* pszWhat, const std::u16string& why)
{
    // The first failure is the one that explains the rest.
    if (g_error.empty())
        g_error = u"step " + Num(g_iStep ? g_iStep : 1) + u" (" + pszWhat + u"): " + why;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

std::u16string Label(const std::u16string& s)
{
    std::u16string r = WndStripMnemonic(s);
    while (!r.empty() && (r.back() == u':' || r.back() == u'：' || r.back() == u' '))
        r.pop_back();
    while (!r.empty() && r.front() == u' ')
        r.erase(0, 1);
    return r;
}

BOOL IsClass(HWND h, const char16_t* psz)
{
    WND* w = WndPeek(h);
    return w && lstrcmpiW(w->pCls->strName.c_str(), psz) == 0;
}

// Every control under hwnd a person can see, in tab order, descending into
// visible child dialogs (the pages of a sheet).
void Controls(HWND hwnd, std::vector<HWND>* pOut)
{
    WND* w = WndPeek(hwnd);
    if (!w)
        return;
    for (HWND h : w->aChildren) {
        WND* c = WndPeek(h);
        if (!c || !(c->dwStyle & WS_VISIBLE))
            continue;
        pOut->push_back(h);
        if (!c->aChildren.empty() && (c->bDialog || (c->dwExStyle & WS_EX_CONTROLPARENT)))
            Controls(h, pOut);
    }
}

HWND Resolve(HWND hDlg)
{
    if (hDlg)
        return IsWindow(hDlg) ? hDlg : nullptr;
    return PlatScriptActiveWindow();
}

// ---- naming controls as a person reads them (rule 2) ---------------------------------

// What an action needs of the control a label names.
enum WANT { WANT_ANY, WANT_LIST, WANT_TEXT, WANT_CHECK, WANT_POS };

std::u16string Folded(const std::u16string& s)
{
    std::u16string r = Label(s);
    for (char16_t& c : r)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    return r;
}

DWORD ButtonKind(HWND h)
{
    return static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)) & BS_TYPEMASK;
}

BOOL IsGroupBox(HWND h)
{
    return IsClass(h, WC_BUTTONW) && ButtonKind(h) == BS_GROUPBOX;
}

BOOL IsList(HWND h)
{
    return IsClass(h, WC_COMBOBOXW) || IsClass(h, WC_LISTBOXW) || IsClass(h, u"SysListView32");
}

BOOL IsPositioned(HWND h)
{
    return IsClass(h, u"msctls_trackbar32") || IsClass(h, u"msctls_updown32") || IsClass(h, u"ScrollBar");
}

BOOL IsCheckable(HWND h)
{
    if (!IsClass(h, WC_BUTTONW))
        return FALSE;
    DWORD k = ButtonKind(h);
    return k != BS_PUSHBUTTON && k != BS_DEFPUSHBUTTON && k != BS_GROUPBOX && k != BS_OWNERDRAW;
}

BOOL Fits(HWND h, WANT want)
{
    switch (want) {
    case WANT_LIST: return IsList(h);
    case WANT_TEXT: return IsClass(h, WC_EDITW);
    case WANT_CHECK: return IsCheckable(h);
    case WANT_POS: return IsPositioned(h);
    default: return TRUE;
    }
}

// A text a person reads as a label: a button's caption (group boxes too)
// or a static's text.
BOOL HasLabel(HWND h, std::u16string* pText = nullptr)
{
    WND* w = WndPeek(h);
    if (!w || w->bDialog || !(IsClass(h, WC_BUTTONW) || IsClass(h, WC_STATICW)))
        return FALSE;
    DWORD dwType = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)) & SS_TYPEMASK;
    if (IsClass(h, WC_STATICW) && dwType > SS_RIGHT && dwType != SS_SIMPLE && dwType != SS_LEFTNOWORDWRAP)
        return FALSE;  // pictures, frames and owner-drawn statics show no text
    std::u16string t = Label(w->strText);
    if (t.empty())
        return FALSE;
    if (pText)
        *pText = t;
    return TRUE;
}

RECT ScreenRect(HWND h)
{
    RECT rc = {};
    GetWindowRect(h, &rc);
    return rc;
}

// The controls a static label names: those after it in tab order that show
// no label of their own, up to the next label or group box; when there are
// none, the first control after it (a "Proof:" static before its radio
// buttons).
std::vector<HWND> Governed(const std::vector<HWND>& v, size_t i)
{
    std::vector<HWND> out;
    for (size_t j = i + 1; j < v.size(); ++j) {
        WND* w = WndPeek(v[j]);
        if (!w || w->bDialog)
            continue;
        if (HasLabel(v[j]) || IsGroupBox(v[j]))
            break;
        if (IsClass(v[j], WC_STATICW))
            continue;
        out.push_back(v[j]);
    }
    if (out.empty()) {
        for (size_t j = i + 1; j < v.size(); ++j) {
            if (IsClass(v[j], WC_STATICW) || IsGroupBox(v[j]) || WndPeek(v[j])->bDialog)
                continue;
            out.push_back(v[j]);
            break;
        }
    }
    return out;
}

// The controls one label names, as fit for the action.
struct NAMED {
    HWND hLabel;                // the static, button or group box that carries the label
    std::vector<HWND> aControls;  // the controls it names that fit, in tab order
};

// Every label of the window that reads pszLabel exactly, with what each
// names.
std::vector<NAMED> Named(const std::vector<HWND>& v, const std::u16string& label, WANT want)
{
    std::vector<NAMED> out;
    std::u16string want8 = Folded(label);
    if (want8.empty())
        return out;
    for (size_t i = 0; i < v.size(); ++i) {
        std::u16string text;
        if (!HasLabel(v[i], &text) || Folded(text) != want8)
            continue;
        NAMED n = {v[i], {}};
        if (IsGroupBox(v[i])) {
            // A group box names the one control inside it, of the kind the
            // action needs, that has no label of its own.
            if (want == WANT_ANY)
                continue;
            RECT g = ScreenRect(v[i]);
            std::vector<HWND> inside;
            for (size_t j = 0; j < v.size(); ++j) {
                RECT c = ScreenRect(v[j]);
                if (j == i || !Fits(v[j], want) || HasLabel(v[j]) || c.left < g.left || c.right > g.right ||
                    c.top < g.top || c.bottom > g.bottom)
                    continue;
                BOOL bLabelled = FALSE;
                for (size_t k = 0; k < j && !bLabelled; ++k)
                    if (IsClass(v[k], WC_STATICW) && HasLabel(v[k])) {
                        std::vector<HWND> gv = Governed(v, k);
                        bLabelled = std::find(gv.begin(), gv.end(), v[j]) != gv.end();
                    }
                if (!bLabelled)
                    inside.push_back(v[j]);
            }
            if (inside.size() == 1)
                n.aControls = inside;
        } else if (IsClass(v[i], WC_BUTTONW)) {
            if (Fits(v[i], want)) {
                n.aControls.push_back(v[i]);
            } else if (want == WANT_LIST) {
                // A check box's label means the list beside it (a "Staple"
                // check box with its staple position combo), as a person
                // reads the row.
                for (size_t j = i + 1; j < v.size(); ++j) {
                    if (IsClass(v[j], WC_STATICW))
                        continue;
                    if (IsList(v[j]))
                        n.aControls.push_back(v[j]);
                    break;
                }
            }
            if (n.aControls.empty())
                n.aControls.push_back(v[i]);  // the action says why it does not fit
        } else {
            std::vector<HWND> gv = Governed(v, i);
            for (HWND h : gv)
                if (Fits(h, want))
                    n.aControls.push_back(h);
            if (n.aControls.empty() && !gv.empty())
                n.aControls.push_back(gv.front());
        }
        if (!n.aControls.empty())
            out.push_back(n);
    }
    return out;
}

// Whether the control lies inside the group box, or in the row that the
// check box or static hLead begins (hLead left of it, their heights
// overlapping).
BOOL HeadedBy(HWND hLead, HWND hControl)
{
    RECT l = ScreenRect(hLead), c = ScreenRect(hControl);
    if (IsGroupBox(hLead))
        return c.left >= l.left && c.right <= l.right && c.top >= l.top && c.bottom <= l.bottom;
    return l.right <= c.left + 2 && std::min(l.bottom, c.bottom) > std::max(l.top, c.top);
}

// What a person would put before a shared label to tell the control apart:
// the first label of its row, else its group box's caption.
std::u16string Heading(const std::vector<HWND>& v, HWND hControl)
{
    for (HWND h : v) {
        std::u16string t;
        if (h != hControl && !IsGroupBox(h) && HasLabel(h, &t) && HeadedBy(h, hControl))
            return t;
    }
    std::u16string best;
    LONG area = 0;
    for (HWND h : v) {
        std::u16string t;
        RECT g = ScreenRect(h);
        LONG a = (g.right - g.left) * (g.bottom - g.top);
        if (IsGroupBox(h) && HasLabel(h, &t) && HeadedBy(h, hControl) && (best.empty() || a < area)) {
            best = t;
            area = a;
        }
    }
    return best;
}

size_t Distance(const std::u16string& a, const std::u16string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diag = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diag = up;
        }
    }
    return row[b.size()];
}

std::u16string Quoted(const std::vector<std::u16string>& v)
{
    std::u16string out;
    for (const std::u16string& t : v)
        out += (out.empty() ? u"\"" : u", \"") + t + u"\"";
    return out;
}

// The labels of the window, each once, the closest to pszLabel first.
std::u16string LabelsClosestFirst(const std::vector<HWND>& v, const std::u16string& label)
{
    std::vector<std::u16string> labels;
    for (HWND h : v) {
        std::u16string t;
        if (HasLabel(h, &t) && std::find(labels.begin(), labels.end(), t) == labels.end())
            labels.push_back(t);
    }
    std::u16string want = Folded(label);
    auto score = [&](const std::u16string& t) {
        std::u16string f = Folded(t);
        // A label holding the words asked for is closer than any other.
        return f.find(want) != std::u16string::npos || want.find(f) != std::u16string::npos
                   ? Distance(f, want) / 4
                   : Distance(f, want);
    };
    std::stable_sort(labels.begin(), labels.end(),
                     [&](const std::u16string& a, const std::u16string& b) { return score(a) < score(b); });
    return Quoted(labels);
}

// The control pszLabel names for the action (rule 2), or null with *pWhy
// set. paCandidates (optional) receives every control the one label names
// that fits, for a choice that takes the list offering its item.
HWND FindByLabel(HWND hTop, const std::u16string& label, WANT want, std::u16string* pWhy,
                 std::vector<HWND>* paCandidates = nullptr)
{
    std::vector<HWND> v;
    Controls(hTop, &v);
    std::vector<NAMED> named = Named(v, label, want);
    // "Heading/Label": the label inside the group box, or in the row, that
    // Heading names.
    for (size_t slash = label.find(u'/'); named.empty() && slash != std::u16string::npos;
         slash = label.find(u'/', slash + 1)) {
        std::u16string head = Folded(label.substr(0, slash));
        std::vector<NAMED> inner = Named(v, label.substr(slash + 1), want);
        for (const NAMED& n : inner) {
            BOOL bHeaded = FALSE;
            for (HWND h : v) {
                std::u16string t;
                if (h != n.hLabel && HasLabel(h, &t) && Folded(t) == head &&
                    (HeadedBy(h, n.hLabel) || HeadedBy(h, n.aControls.front())))
                    bHeaded = TRUE;
            }
            if (bHeaded)
                named.push_back(n);
        }
    }
    if (named.empty()) {
        // A long label by its beginning, when only one label begins so.
        std::u16string want8 = Folded(label), only;
        std::vector<std::u16string> begun;
        for (HWND h : v) {
            std::u16string t;
            if (HasLabel(h, &t) && !want8.empty() && Folded(t).compare(0, want8.size(), want8) == 0 &&
                std::find(begun.begin(), begun.end(), t) == begun.end())
                begun.push_back(t);
        }
        if (begun.size() == 1)
            named = Named(v, begun.front(), want);
        if (begun.size() > 1) {
            *pWhy = u"several labels begin with \"" + label + u"\": " + Quoted(begun);
            return nullptr;
        }
    }
    if (named.empty()) {
        *pWhy = u"control \"" + label + u"\" is not there; the window shows " + LabelsClosestFirst(v, label);
        return nullptr;
    }
    if (named.size() > 1) {
        std::vector<std::u16string> names;
        for (const NAMED& n : named) {
            std::u16string head = Heading(v, n.hLabel);
            std::u16string own;
            HasLabel(n.hLabel, &own);
            names.push_back(head.empty() || Folded(head) == Folded(own) ? own : head + u"/" + own);
        }
        *pWhy = u"\"" + label + u"\" names " + Num(static_cast<long>(named.size())) +
                u" controls; say which: " + Quoted(names);
        return nullptr;
    }
    if (paCandidates)
        *paCandidates = named.front().aControls;
    return named.front().aControls.front();
}

// Finds a control; fails with the reason when it is not there or cannot be
// used.
HWND FindUsable(const char16_t* pszWhat, HWND hDlg, int id, LPCWSTR pszLabel, WANT want = WANT_ANY,
                std::vector<HWND>* paCandidates = nullptr)
{
    HWND hTop = Resolve(hDlg);
    if (!hTop) {
        Fail(pszWhat, u"no window is open");
        return nullptr;
    }
    std::u16string name = id ? u"control " + Num(id) : u"control \"" + std::u16string(pszLabel ? pszLabel : u"") + u"\"";
    HWND h = nullptr;
    if (id) {
        h = PlatScriptFindControl(hTop, id, nullptr);
        if (!h) {
            Fail(pszWhat, name + u" is not there");
            return nullptr;
        }
        if (paCandidates)
            *paCandidates = {h};
    } else {
        std::u16string why;
        h = FindByLabel(hTop, pszLabel ? pszLabel : u"", want, &why, paCandidates);
        if (!h) {
            Fail(pszWhat, why);
            return nullptr;
        }
    }
    if (!IsWindowVisible(h)) {
        Fail(pszWhat, name + u" is hidden");
        return nullptr;
    }
    for (HWND p = h; p && p != hTop; p = GetParent(p))
        if (!IsWindowEnabled(p)) {
            Fail(pszWhat, name + u" is disabled");
            return nullptr;
        }
    return h;
}

LRESULT Act(HWND h, UINT uAction, LPCWSTR pszText, int iIndex, int iValue, std::u16string* pWhy)
{
    PLATSCRIPTACTION a = {};
    a.cbSize = sizeof(a);
    a.uAction = uAction;
    a.pszText = pszText;
    a.iIndex = iIndex;
    a.iValue = iValue;
    LRESULT r = SendMessageW(h, WM_PLAT_SCRIPT, 0, reinterpret_cast<LPARAM>(&a));
    if (pWhy)
        *pWhy = a.szWhy;
    return r;
}

void ClickAtCentre(HWND h)
{
    RECT rc;
    GetClientRect(h, &rc);
    LPARAM lp = MAKELPARAM((rc.right - 1) / 2, (rc.bottom - 1) / 2);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    if (IsWindow(h))
        SendMessageW(h, WM_LBUTTONUP, 0, lp);
}

HWND DialogOf(HWND h)
{
    // The top-level window that handles keys for the control.
    return GetAncestor(h, GA_ROOT);
}

// A key as a person presses it on the focused control: the dialog manager
// first, then the control.
void PressKey(HWND hTop, UINT vk, WCHAR ch)
{
    HWND f = GetFocus();
    if (!f || (f != hTop && !IsChild(hTop, f)))
        f = hTop;
    if (!DlgHandleKey(DialogOf(f), f, vk)) {
        SendMessageW(f, WM_KEYDOWN, vk, 1);
        if (ch && IsWindow(f))
            SendMessageW(f, WM_CHAR, ch, 1);
    }
    if (IsWindow(f))
        SendMessageW(f, WM_KEYUP, vk, 0xC0000001);
    PlatPumpMessages();
}

}  // namespace

void PlatScriptNoteUnended(HWND hwnd)
{
    int id = PlatGetWindowTemplateId(hwnd);
    std::u16string what = id ? u"dialog " + Num(id) : std::u16string(u"a dialog");
    if (g_error.empty())
        g_error = what + u" was left open by the script and was cancelled";
}

extern "C" {

HWND PlatScriptActiveWindow()
{
    HWND h = GetActiveWindow();
    if (h && IsWindowVisible(h) && !PlatIsModalLoopEnded(h))
        return h;
    std::vector<HWND> tops = WndTopLevels();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        WND* w = WndPeek(*it);
        if (w && (w->dwStyle & WS_VISIBLE) && !(w->bModal && w->bEnded) && w->pCls->strName != u"ComboLBox" &&
            w->pCls->strName != u"#32768")
            return *it;
    }
    return nullptr;
}

HWND PlatScriptFindControl(HWND hDlg, int id, LPCWSTR pszLabel)
{
    std::vector<HWND> v;
    Controls(hDlg, &v);
    if (id) {
        for (HWND h : v)
            if (GetDlgCtrlID(h) == id && !WndPeek(h)->bDialog)
                return h;
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
        return nullptr;
    }
    if (!pszLabel) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string why;
    HWND h = FindByLabel(hDlg, pszLabel, WANT_ANY, &why);
    if (!h)
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return h;
}

// The items of the last menu, as a person reads them.
std::u16string MenuItems(BOOL bEnabledOnly)
{
    const MENUOUTCOME& o = MenuLastOutcome();
    std::vector<std::u16string> v;
    for (size_t i = 0; i < o.aItems.size(); ++i)
        if (!o.aItems[i].empty() && (!bEnabledOnly || o.aEnabled[i]))
            v.push_back(o.aItems[i]);
    return Quoted(v);
}

BOOL PlatScriptClick(HWND hDlg, int id, LPCWSTR pszLabel)
{
    HWND h = FindUsable(u"click", hDlg, id, pszLabel);
    if (!h)
        return FALSE;
    int cMenus = MenuLastOutcome().cTracked;
    std::u16string why;
    LRESULT r = Act(h, PSA_CLICK, nullptr, -1, 0, &why);
    if (r == PSR_FAILED)
        return Fail(u"click", why.empty() ? u"the control refused the click" : why);
    if (r == PSR_UNKNOWN && IsWindow(h))
        ClickAtCentre(h);
    // A button that drops a menu is not done with by a click: the menu
    // closes unused, and the person meant one of its items.
    if (MenuLastOutcome().cTracked != cMenus && MenuLastOutcome().iOutcome == MENU_NOCHOICE) {
        Fail(u"click", u"the button opens a menu; choose one of its items: " + MenuItems(TRUE));
        PlatPumpMessages();
        return FALSE;
    }
    PlatPumpMessages();
    return TRUE;
}

BOOL PlatScriptMenu(HWND hDlg, int id, LPCWSTR pszButton, LPCWSTR pszItem)
{
    if (!pszItem || !pszItem[0])
        return Fail(u"menu", u"no menu item given");
    HWND h = FindUsable(u"menu", hDlg, id, pszButton);
    if (!h)
        return FALSE;
    int cMenus = MenuLastOutcome().cTracked;
    MenuForgetChoices();
    PlatScriptChooseMenuItem(pszItem, -1);
    std::u16string why;
    LRESULT r = Act(h, PSA_CLICK, nullptr, -1, 0, &why);
    if (r == PSR_UNKNOWN && IsWindow(h))
        ClickAtCentre(h);
    // The chosen item's command waits in the queue: the outcome is read
    // before it runs (it may open dialogs that use menus of their own).
    const MENUOUTCOME& o = MenuLastOutcome();
    if (r == PSR_FAILED) {
        MenuForgetChoices();
        return Fail(u"menu", why.empty() ? u"the control refused the click" : why);
    }
    if (o.cTracked == cMenus) {
        MenuForgetChoices();
        PlatPumpMessages();
        return Fail(u"menu", u"the control opened no menu");
    }
    if (o.iOutcome == MENU_NOITEM)
        return Fail(u"menu", u"no item \"" + std::u16string(pszItem) + u"\"; the menu offers " + MenuItems(TRUE));
    if (o.iOutcome == MENU_DISABLED)
        return Fail(u"menu", u"the item \"" + std::u16string(pszItem) + u"\" is disabled");
    PlatPumpMessages();
    return TRUE;
}

BOOL PlatScriptCheck(HWND hDlg, int id, LPCWSTR pszLabel, UINT uState)
{
    HWND h = FindUsable(u"check", hDlg, id, pszLabel, WANT_CHECK);
    if (!h)
        return FALSE;
    if (!IsClass(h, WC_BUTTONW))
        return Fail(u"check", u"the control is not a check box or radio button");
    DWORD k = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)) & BS_TYPEMASK;
    if (k == BS_PUSHBUTTON || k == BS_DEFPUSHBUTTON || k == BS_GROUPBOX || k == BS_OWNERDRAW)
        return Fail(u"check", u"the control is not a check box or radio button");
    if ((k == BS_RADIOBUTTON || k == BS_AUTORADIOBUTTON) && uState == BST_UNCHECKED &&
        SendMessageW(h, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
        return Fail(u"check", u"a radio button is cleared by picking another one");
    if (uState == BST_INDETERMINATE && k != BS_3STATE && k != BS_AUTO3STATE)
        return Fail(u"check", u"the box has no third state");
    std::u16string why;
    LRESULT r = Act(h, PSA_SETCHECK, nullptr, -1, static_cast<int>(uState), &why);
    PlatPumpMessages();
    if (r != PSR_DONE)
        return Fail(u"check", why.empty() ? u"the box did not take the state (its owner keeps it)" : why);
    return TRUE;
}

// The items of a list as a person reads them; false for a control that
// does not tell them.
BOOL ListItems(HWND h, std::vector<std::u16string>* pItems)
{
    pItems->clear();
    if (IsClass(h, WC_COMBOBOXW) || IsClass(h, WC_LISTBOXW)) {
        BOOL bCombo = IsClass(h, WC_COMBOBOXW);
        int n = static_cast<int>(SendMessageW(h, bCombo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            int cch = static_cast<int>(SendMessageW(h, bCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0));
            std::u16string t(cch > 0 ? static_cast<size_t>(cch) + 1 : 1, u'\0');
            if (cch > 0)
                SendMessageW(h, bCombo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(&t[0]));
            t.resize(std::char_traits<char16_t>::length(t.c_str()));
            pItems->push_back(t);
        }
        return TRUE;
    }
    for (int i = 0; i < 10000; ++i) {
        PLATSCRIPTACTION a = {};
        a.cbSize = sizeof(a);
        a.uAction = PSA_ITEMTEXT;
        a.iIndex = i;
        if (SendMessageW(h, WM_PLAT_SCRIPT, 0, reinterpret_cast<LPARAM>(&a)) != PSR_DONE)
            return i > 0;
        pItems->push_back(a.szWhy);
    }
    return TRUE;
}

int FindItem(const std::vector<std::u16string>& items, const std::u16string& item)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (lstrcmpiW(items[i].c_str(), item.c_str()) == 0)
            return static_cast<int>(i);
    return -1;
}

BOOL PlatScriptChoose(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszItem, int iIndex)
{
    std::vector<HWND> cands;
    HWND h = FindUsable(u"choose", hDlg, id, pszLabel, WANT_LIST, &cands);
    if (!h)
        return FALSE;
    // The label may name several lists (an order list and a border list
    // under one label): the one that offers the item. The item is checked
    // first, so that a missing one changes nothing.
    std::vector<std::u16string> items;
    std::u16string offered;  // each list's items, list by list
    int cOffering = 0;
    int i = -1;
    BOOL bListed = FALSE;
    for (HWND c : cands) {
        if (!IsList(c) || !ListItems(c, &items))
            continue;
        bListed = TRUE;
        int k = pszItem ? FindItem(items, pszItem) : iIndex;
        if (k >= 0 && k < static_cast<int>(items.size())) {
            h = c;
            i = k;
            break;
        }
        if (!items.empty()) {
            offered += (offered.empty() ? u"" : u"; and ") + Quoted(items);
            ++cOffering;
        }
    }
    if (i < 0 && bListed)
        return Fail(u"choose", (pszItem ? u"no item \"" + std::u16string(pszItem) + u"\"" : u"no item at position " + Num(iIndex)) +
                                   (offered.empty() ? std::u16string(u"; the list is empty")
                                                    : (cOffering > 1 ? u"; the lists offer " : u"; the list offers ") + offered));
    if (h != cands.front() && cands.size() > 1) {
        // The list that offers the item must be usable itself.
        HWND hTop = Resolve(hDlg);
        for (HWND p = h; p && p != hTop; p = GetParent(p))
            if (!IsWindowEnabled(p) || !IsWindowVisible(p))
                return Fail(u"choose", u"the list that offers \"" + std::u16string(pszItem ? pszItem : u"") + u"\" is disabled");
    }
    std::u16string why;
    LRESULT r = i >= 0 ? Act(h, PSA_CHOOSE, nullptr, i, 0, &why) : Act(h, PSA_CHOOSE, pszItem, pszItem ? -1 : iIndex, 0, &why);
    PlatPumpMessages();
    if (r == PSR_UNKNOWN)
        return Fail(u"choose", u"the control has no items to choose");
    if (r != PSR_DONE)
        return Fail(u"choose", why.empty() ? u"the list did not take the choice" : why);
    return TRUE;
}

// The typing of PlatScriptType and PlatScriptTypeExact.
static BOOL TypeText(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszText, BOOL bExact)
{
    HWND h = FindUsable(u"type", hDlg, id, pszLabel, WANT_TEXT);
    if (!h)
        return FALSE;
    if (IsClass(h, WC_EDITW) && (GetWindowLongW(h, GWL_STYLE) & ES_READONLY))
        return Fail(u"type", u"the field is read-only");
    HWND hTop = GetAncestor(h, GA_ROOT);
    std::u16string why;
    LRESULT r = Act(h, PSA_TYPE, pszText ? pszText : u"", -1, bExact ? 1 : 0, &why);
    if (r == PSR_UNKNOWN)
        return Fail(u"type", u"the control takes no text");
    if (r != PSR_DONE) {
        PlatPumpMessages();
        return Fail(u"type", u"the field refused \"" + std::u16string(pszText ? pszText : u"") + u"\"" +
                                 (why.empty() ? std::u16string() : u": " + why));
    }
    // Leave the field as a person does: Tab. A field that checks what it
    // holds when it is left keeps the focus when it refuses it (and says
    // why in a message box).
    int cBoxes = PlatMsgBoxCount();
    BOOL bLeft = TRUE;
    if (IsWindow(h) && GetFocus() == h) {
        PressKey(hTop, VK_TAB, 0);
        bLeft = !IsWindow(h) || GetFocus() != h;
    }
    PlatPumpMessages();
    // (A multi-line field keeps the focus for its own Tab: no refusal.)
    if (bExact && !bLeft && PlatMsgBoxCount() > cBoxes) {
        std::u16string said;
        LPCWSTR pszBox = nullptr;
        if (PlatMsgBoxGet(PlatMsgBoxCount() - 1, nullptr, &pszBox, nullptr, nullptr) && pszBox)
            said = u": \"" + std::u16string(pszBox) + u"\"";
        return Fail(u"type", u"the field refused \"" + std::u16string(pszText ? pszText : u"") + u"\" when it was left" + said);
    }
    return TRUE;
}

BOOL PlatScriptType(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszText)
{
    return TypeText(hDlg, id, pszLabel, pszText, FALSE);
}

BOOL PlatScriptTypeExact(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszText)
{
    return TypeText(hDlg, id, pszLabel, pszText, TRUE);
}

BOOL PlatScriptFocus(HWND hDlg, int id, LPCWSTR pszLabel)
{
    HWND h = FindUsable(u"focus", hDlg, id, pszLabel);
    if (!h)
        return FALSE;
    // A click gives the focus, as the mouse does.
    SendMessageW(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(GetAncestor(h, GA_ROOT)), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    SetFocus(h);
    PlatPumpMessages();
    return GetFocus() == h ? TRUE : Fail(u"focus", u"the control did not keep the focus");
}

BOOL PlatScriptSetPos(HWND hDlg, int id, LPCWSTR pszLabel, int iPos)
{
    HWND h = FindUsable(u"set position", hDlg, id, pszLabel, WANT_POS);
    if (!h)
        return FALSE;
    std::u16string why;
    LRESULT r = Act(h, PSA_SETPOS, nullptr, -1, iPos, &why);
    PlatPumpMessages();
    if (r == PSR_UNKNOWN)
        return Fail(u"set position", u"the control has no position");
    if (r != PSR_DONE)
        return Fail(u"set position", why.empty() ? u"position " + Num(iPos) + u" cannot be reached" : why);
    return TRUE;
}

BOOL PlatScriptPickTab(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszTab, int iIndex)
{
    HWND hTop = Resolve(hDlg);
    if (!hTop)
        return Fail(u"pick tab", u"no window is open");
    HWND h = nullptr;
    if (id || pszLabel) {
        h = FindUsable(u"pick tab", hTop, id, pszLabel);
        if (!h)
            return FALSE;
    } else {
        // The first control that knows tabs.
        std::vector<HWND> v;
        Controls(hTop, &v);
        for (HWND c : v)
            if (lstrcmpiW(WndPeek(c)->pCls->strName.c_str(), u"SysTabControl32") == 0) {
                h = c;
                break;
            }
        if (!h)
            return Fail(u"pick tab", u"the window has no tabs");
    }
    std::vector<std::u16string> tabs;
    ListItems(h, &tabs);
    // A tab's title by its beginning, when only one title begins so.
    if (pszTab) {
        std::u16string want = Folded(pszTab);
        int iOnly = -1, cBegun = 0;
        BOOL bExact = FALSE;
        for (size_t k = 0; k < tabs.size(); ++k) {
            std::u16string t = Folded(tabs[k]);
            bExact = bExact || t == want;
            if (!want.empty() && t.compare(0, want.size(), want) == 0) {
                iOnly = static_cast<int>(k);
                ++cBegun;
            }
        }
        if (!bExact && cBegun == 1) {
            pszTab = nullptr;
            iIndex = iOnly;
        }
    }
    std::u16string why;
    LRESULT r = Act(h, PSA_PICKTAB, pszTab, pszTab ? -1 : iIndex, 0, &why);
    PlatPumpMessages();
    if (r != PSR_DONE)
        return Fail(u"pick tab", (pszTab ? u"no tab \"" + std::u16string(pszTab) + u"\"" : why.empty() ? u"no such tab" : why) +
                                     (tabs.empty() ? std::u16string() : u"; the tabs are " + Quoted(tabs)));
    return TRUE;
}

BOOL PlatScriptAct(HWND hDlg, int id, LPCWSTR pszLabel, PLATSCRIPTACTION* pAction)
{
    if (!pAction)
        return Fail(u"act", u"no action given");
    HWND h = FindUsable(u"act", hDlg, id, pszLabel);
    if (!h)
        return FALSE;
    pAction->cbSize = sizeof(*pAction);
    pAction->szWhy[0] = 0;
    LRESULT r = SendMessageW(h, WM_PLAT_SCRIPT, 0, reinterpret_cast<LPARAM>(pAction));
    PlatPumpMessages();
    if (r == PSR_UNKNOWN)
        return Fail(u"act", u"the control does not know the action");
    if (r != PSR_DONE)
        return Fail(u"act", pAction->szWhy[0] ? std::u16string(pAction->szWhy) : u"the control refused");
    return TRUE;
}

BOOL PlatScriptPressOK(HWND hDlg)
{
    HWND hTop = Resolve(hDlg);
    if (!hTop)
        return Fail(u"OK", u"no window is open");
    HWND h = PlatScriptFindControl(hTop, IDOK, nullptr);
    if (!h)
        return Fail(u"OK", u"the window has no OK button");
    if (!IsWindowEnabled(h) || !IsWindowVisible(h))
        return Fail(u"OK", u"the OK button is disabled");
    return PlatScriptClick(hTop, IDOK, nullptr);
}

BOOL PlatScriptPressCancel(HWND hDlg)
{
    HWND hTop = Resolve(hDlg);
    if (!hTop)
        return Fail(u"Cancel", u"no window is open");
    HWND h = PlatScriptFindControl(hTop, IDCANCEL, nullptr);
    if (h && IsWindowVisible(h)) {
        if (!IsWindowEnabled(h))
            return Fail(u"Cancel", u"the Cancel button is disabled");
        return PlatScriptClick(hTop, IDCANCEL, nullptr);
    }
    PressKey(hTop, VK_ESCAPE, 0);
    return TRUE;
}

BOOL PlatScriptPressEnter(HWND hDlg)
{
    HWND hTop = Resolve(hDlg);
    if (!hTop)
        return Fail(u"Enter", u"no window is open");
    PressKey(hTop, VK_RETURN, u'\r');
    return TRUE;
}

BOOL PlatScriptPressKey(HWND hDlg, UINT vk, WCHAR ch)
{
    HWND hTop = Resolve(hDlg);
    if (!hTop)
        return Fail(u"key", u"no window is open");
    PressKey(hTop, vk, ch);
    return TRUE;
}

BOOL PlatScriptRunStep(const PLATSCRIPTSTEP* s)
{
    if (!s)
        return Fail(u"step", u"no step given");
    HWND hDlg = nullptr;
    switch (s->iStep) {
    case PSS_CLICK: return PlatScriptClick(hDlg, s->id, s->pszLabel);
    case PSS_CHECK: return PlatScriptCheck(hDlg, s->id, s->pszLabel, static_cast<UINT>(s->iValue));
    case PSS_CHOOSE: return PlatScriptChoose(hDlg, s->id, s->pszLabel, s->pszText, s->iIndex);
    case PSS_TYPE: return PlatScriptType(hDlg, s->id, s->pszLabel, s->pszText);
    case PSS_OK: return PlatScriptPressOK(hDlg);
    case PSS_CANCEL: return PlatScriptPressCancel(hDlg);
    case PSS_ENTER: return PlatScriptPressEnter(hDlg);
    case PSS_SETPOS: return PlatScriptSetPos(hDlg, s->id, s->pszLabel, s->iValue);
    case PSS_PICKTAB: return PlatScriptPickTab(hDlg, s->id, s->pszLabel, s->pszText, s->iIndex);
    case PSS_CONTROL: {
        PLATSCRIPTACTION a = {};
        a.uAction = static_cast<UINT>(s->iValue);
        a.pszText = s->pszText;
        a.iIndex = s->iIndex;
        return PlatScriptAct(hDlg, s->id, s->pszLabel, &a);
    }
    case PSS_MENU:
        PlatScriptChooseMenuItem(s->pszText, s->pszText ? -1 : s->iIndex);
        return TRUE;
    case PSS_ANSWER:
        PlatScriptAnswerMessageBox(s->iValue);
        return TRUE;
    case PSS_FOCUS: return PlatScriptFocus(hDlg, s->id, s->pszLabel);
    case PSS_KEY: return PlatScriptPressKey(hDlg, static_cast<UINT>(s->iValue), 0);
    case PSS_MENUBUTTON: return PlatScriptMenu(hDlg, s->id, s->pszLabel, s->pszText);
    }
    return Fail(u"step", u"unknown step kind " + Num(s->iStep));
}

BOOL PlatScriptOnDialog(int idTemplate, const PLATSCRIPTSTEP* pSteps, int cSteps)
{
    if (cSteps < 0 || (cSteps && !pSteps)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<STEP> v;
    for (int i = 0; i < cSteps; ++i) {
        const PLATSCRIPTSTEP& p = pSteps[i];
        v.push_back({p.iStep, p.id, p.pszLabel ? p.pszLabel : u"", p.pszLabel != nullptr,
                     p.pszText ? p.pszText : u"", p.pszText != nullptr, p.iIndex, p.iValue});
    }
    g_queued[idTemplate].push_back(v);
    return TRUE;
}

BOOL PlatScriptRunQueued(HWND hwnd)
{
    int id = PlatGetWindowTemplateId(hwnd);
    auto it = g_queued.find(id);
    if (!id || it == g_queued.end() || it->second.empty())
        return FALSE;
    std::vector<STEP> v = it->second.front();
    it->second.pop_front();
    int iSaved = g_iStep;
    for (size_t i = 0; i < v.size() && IsWindow(hwnd) && !PlatIsModalLoopEnded(hwnd); ++i) {
        const STEP& s = v[i];
        PLATSCRIPTSTEP p = {s.iStep, s.id, s.bLabel ? s.strLabel.c_str() : nullptr,
                            s.bText ? s.strText.c_str() : nullptr, s.iIndex, s.iValue};
        g_iStep = static_cast<int>(i) + 1;
        // Each step acts on the dialog the list belongs to.
        SetActiveWindow(hwnd);
        if (!PlatScriptRunStep(&p)) {
            if (g_error.find(u"dialog ") != 0)
                g_error = u"dialog " + Num(id) + u", " + g_error;
            break;
        }
    }
    g_iStep = iSaved;
    return TRUE;
}

LPCWSTR PlatScriptError()
{
    return g_error.c_str();
}

void PlatScriptReset()
{
    g_queued.clear();
    g_error.clear();
    g_iStep = 0;
    MenuForgetChoices();
}

}  // extern "C"
