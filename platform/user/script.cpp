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

BOOL SameLabel(const std::u16string& a, const std::u16string& b)
{
    return lstrcmpiW(Label(a).c_str(), Label(b).c_str()) == 0;
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

// Finds a control; fails with the reason when it is not there or cannot be
// used.
// bList: the action needs a list; a label that names a check box or radio
// button then means the list beside it (a "Staple" check box with its
// staple position combo), as a person reads the row.
HWND FindUsable(const char16_t* pszWhat, HWND hDlg, int id, LPCWSTR pszLabel, BOOL bList = FALSE)
{
    HWND hTop = Resolve(hDlg);
    if (!hTop) {
        Fail(pszWhat, u"no window is open");
        return nullptr;
    }
    HWND h = PlatScriptFindControl(hTop, id, pszLabel);
    if (h && bList && !id && IsClass(h, WC_BUTTONW)) {
        std::vector<HWND> v;
        Controls(hTop, &v);
        size_t i = 0;
        while (i < v.size() && v[i] != h)
            ++i;
        for (++i; i < v.size(); ++i) {
            if (IsClass(v[i], WC_STATICW))
                continue;
            if (IsClass(v[i], WC_COMBOBOXW) || IsClass(v[i], WC_LISTBOXW))
                h = v[i];
            break;
        }
    }
    std::u16string name = id ? u"control " + Num(id) : u"control \"" + std::u16string(pszLabel ? pszLabel : u"") + u"\"";
    if (!h) {
        Fail(pszWhat, name + u" is not there");
        return nullptr;
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
    // Its own caption first (buttons), then the static before it.
    for (HWND h : v)
        if (IsClass(h, WC_BUTTONW) && (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX &&
            SameLabel(WndPeek(h)->strText, pszLabel))
            return h;
    for (size_t i = 0; i < v.size(); ++i) {
        if (!IsClass(v[i], WC_STATICW) || !SameLabel(WndPeek(v[i])->strText, pszLabel))
            continue;
        for (size_t j = i + 1; j < v.size(); ++j) {
            if (IsClass(v[j], WC_STATICW))
                continue;
            if (IsClass(v[j], WC_BUTTONW) && (GetWindowLongW(v[j], GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
                continue;
            if (WndPeek(v[j])->bDialog)
                continue;
            return v[j];
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

BOOL PlatScriptClick(HWND hDlg, int id, LPCWSTR pszLabel)
{
    HWND h = FindUsable(u"click", hDlg, id, pszLabel);
    if (!h)
        return FALSE;
    std::u16string why;
    LRESULT r = Act(h, PSA_CLICK, nullptr, -1, 0, &why);
    if (r == PSR_FAILED)
        return Fail(u"click", why.empty() ? u"the control refused the click" : why);
    if (r == PSR_UNKNOWN && IsWindow(h))
        ClickAtCentre(h);
    PlatPumpMessages();
    return TRUE;
}

BOOL PlatScriptCheck(HWND hDlg, int id, LPCWSTR pszLabel, UINT uState)
{
    HWND h = FindUsable(u"check", hDlg, id, pszLabel);
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

BOOL PlatScriptChoose(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszItem, int iIndex)
{
    HWND h = FindUsable(u"choose", hDlg, id, pszLabel, TRUE);
    if (!h)
        return FALSE;
    // Check the item first, so that a missing one changes nothing.
    if (IsClass(h, WC_COMBOBOXW) || IsClass(h, WC_LISTBOXW)) {
        BOOL bCombo = IsClass(h, WC_COMBOBOXW);
        int n = static_cast<int>(SendMessageW(h, bCombo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
        int i = pszItem ? static_cast<int>(SendMessageW(h, bCombo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT,
                                                         static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(pszItem)))
                        : iIndex;
        if (i < 0 || i >= n)
            return Fail(u"choose", pszItem ? u"no item \"" + std::u16string(pszItem) + u"\""
                                           : u"no item at position " + Num(iIndex));
        std::u16string why;
        LRESULT r = Act(h, PSA_CHOOSE, nullptr, i, 0, &why);
        PlatPumpMessages();
        if (r != PSR_DONE)
            return Fail(u"choose", why.empty() ? u"the list did not take the choice" : why);
        return TRUE;
    }
    std::u16string why;
    LRESULT r = Act(h, PSA_CHOOSE, pszItem, pszItem ? -1 : iIndex, 0, &why);
    PlatPumpMessages();
    if (r == PSR_UNKNOWN)
        return Fail(u"choose", u"the control has no items to choose");
    if (r != PSR_DONE)
        return Fail(u"choose", why.empty() ? u"no such item" : why);
    return TRUE;
}

BOOL PlatScriptType(HWND hDlg, int id, LPCWSTR pszLabel, LPCWSTR pszText)
{
    HWND h = FindUsable(u"type", hDlg, id, pszLabel);
    if (!h)
        return FALSE;
    if (IsClass(h, WC_EDITW) && (GetWindowLongW(h, GWL_STYLE) & ES_READONLY))
        return Fail(u"type", u"the field is read-only");
    HWND hTop = GetAncestor(h, GA_ROOT);
    std::u16string why;
    LRESULT r = Act(h, PSA_TYPE, pszText ? pszText : u"", -1, 0, &why);
    if (r == PSR_UNKNOWN)
        return Fail(u"type", u"the control takes no text");
    if (r != PSR_DONE)
        return Fail(u"type", why.empty() ? u"the field refused the text" : why);
    // Leave the field as a person does: Tab.
    if (IsWindow(h) && GetFocus() == h)
        PressKey(hTop, VK_TAB, 0);
    PlatPumpMessages();
    return TRUE;
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
    HWND h = FindUsable(u"set position", hDlg, id, pszLabel);
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
    std::u16string why;
    LRESULT r = Act(h, PSA_PICKTAB, pszTab, pszTab ? -1 : iIndex, 0, &why);
    PlatPumpMessages();
    if (r != PSR_DONE)
        return Fail(u"pick tab", why.empty() ? u"no such tab" : why);
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
