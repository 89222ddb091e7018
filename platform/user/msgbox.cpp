// msgbox.cpp: MessageBoxW as a real dialog window, and its record.
//
// Entry points: MessageBoxW, PlatMsgBoxPushAnswer, PlatMsgBoxReset,
// PlatMsgBoxCount, PlatMsgBoxGet, PlatScriptAnswerMessageBox.
//
// A box is a modal dialog made from a template built in memory: the icon,
// the text, and the buttons of its style. Every box is recorded (owner,
// text, caption, style). Once it is open the answer queued for it is given
// by clicking that button (an answer with no button of its own ends the
// box with that answer, as a test asks); with no answer queued the box's
// default button is pressed, as Enter does, except on the desktop, where
// the box waits for the person's answer.
#include "platform/user/msgbox.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/gdi/resload.h"
#include "platform/kernel/kernel.h"
#include "platform/user/wnd.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>

namespace {

struct MSGBOXREC {
    HWND hWnd;
    std::u16string strText;
    std::u16string strCaption;
    UINT uType;
};

std::recursive_mutex g_lock;
std::deque<int> g_answers;
std::deque<MSGBOXREC> g_boxes;  // deque: records never move once made

const int kIdIcon = 0xFFF0;
const int kIdText = 0xFFFF;
const UINT WM_PLAT_ANSWER = WM_USER + 0x7F02;

// The buttons of each set, in order, and the default button.
int ButtonsOf(UINT uType, int* aIds)
{
    static const int kSets[][3] = {{IDOK, 0, 0},         {IDOK, IDCANCEL, 0},   {IDABORT, IDRETRY, IDIGNORE},
                                   {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, 0},   {IDRETRY, IDCANCEL, 0}};
    UINT uSet = uType & MB_TYPEMASK;
    if (uSet > MB_RETRYCANCEL)
        return 0;
    int n = 0;
    for (int i = 0; i < 3; ++i)
        if (kSets[uSet][i])
            aIds[n++] = kSets[uSet][i];
    return n;
}

int DefaultAnswer(UINT uType)
{
    int a[3];
    int n = ButtonsOf(uType, a);
    if (!n)
        return 0;
    int iDef = static_cast<int>((uType >> 8) & 0xF);
    return a[iDef < n ? iDef : 0];
}

LPCWSTR LabelOf(int id)
{
    switch (id) {
    case IDOK: return u"OK";
    case IDCANCEL: return u"Cancel";
    case IDABORT: return u"&Abort";
    case IDRETRY: return u"&Retry";
    case IDIGNORE: return u"&Ignore";
    case IDYES: return u"&Yes";
    case IDNO: return u"&No";
    }
    return u"";
}

// Builds a template in the binary form of winuser.h.
struct TEMPLATE {
    std::vector<WORD> w;
    void Align() { if (w.size() % 2) w.push_back(0); }
    void Dword(DWORD d) { w.push_back(LOWORD(d)); w.push_back(HIWORD(d)); }
    void Str(const std::u16string& s) { for (char16_t c : s) w.push_back(c); w.push_back(0); }
    void Item(DWORD style, int x, int y, int cx, int cy, int id, WORD cls, const std::u16string& text)
    {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        w.push_back(static_cast<WORD>(x));
        w.push_back(static_cast<WORD>(y));
        w.push_back(static_cast<WORD>(cx));
        w.push_back(static_cast<WORD>(cy));
        w.push_back(static_cast<WORD>(id));
        w.push_back(0xFFFF);
        w.push_back(cls);
        Str(text);
        w.push_back(0);
    }
};

struct BOXDATA {
    UINT uType;
    int iAnswer;    // queued answer, 0: the default button
};

INT_PTR CALLBACK BoxProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        const BOXDATA* d = reinterpret_cast<const BOXDATA*>(lParam);
        UINT uIcon = d->uType & MB_ICONMASK;
        LPCWSTR idi = uIcon == MB_ICONHAND ? IDI_HAND : uIcon == MB_ICONQUESTION ? IDI_QUESTION
                      : uIcon == MB_ICONEXCLAMATION ? IDI_EXCLAMATION : uIcon == MB_ICONASTERISK ? IDI_ASTERISK : nullptr;
        if (idi)
            SendDlgItemMessageW(hDlg, kIdIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, idi)), 0);
        // The answer comes once the box is up, as a person's click does;
        // on the desktop a person gives it, unless one was queued.
        if (d->iAnswer || !DesktopLive())
            PostMessageW(hDlg, WM_PLAT_ANSWER, 0, 0);
        int iDef = DefaultAnswer(d->uType);
        HWND hDef = GetDlgItem(hDlg, iDef);
        if (hDef)
            SetFocus(hDef);
        return FALSE;
    }
    case WM_PLAT_ANSWER: {
        const BOXDATA* d = reinterpret_cast<const BOXDATA*>(GetWindowLongPtrW(hDlg, DWLP_USER));
        int id = d->iAnswer ? d->iAnswer : DefaultAnswer(d->uType);
        HWND hBtn = GetDlgItem(hDlg, id);
        if (hBtn)
            SendMessageW(hBtn, BM_CLICK, 0, 0);
        else
            EndDialog(hDlg, id);
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        const BOXDATA* d = reinterpret_cast<const BOXDATA*>(GetWindowLongPtrW(hDlg, DWLP_USER));
        int a[3];
        int n = ButtonsOf(d->uType, a);
        // Escape answers Cancel, or OK on a box with OK alone.
        if (id == IDCANCEL && !GetDlgItem(hDlg, IDCANCEL)) {
            if (n == 1 && a[0] == IDOK)
                id = IDOK;
            else
                return TRUE;
        }
        EndDialog(hDlg, id);
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    int iDefault = DefaultAnswer(uType);
    if (!iDefault) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    BOXDATA d = {uType, 0};
    std::u16string text = lpText ? lpText : u"";
    // A missing caption shows the platform's own word for an error box.
    std::u16string caption = lpCaption ? lpCaption : u"Error";
    {
        std::lock_guard<std::recursive_mutex> guard(g_lock);
        g_boxes.push_back({hWnd, text, caption, uType});
        if (!g_answers.empty()) {
            d.iAnswer = g_answers.front();
            g_answers.pop_front();
        }
    }
    // Layout in dialog units from the text's size in the dialog font.
    int cxBase, cyBase;
    DlgBaseUnits(&cxBase, &cyBase);
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, PlatGetDialogFont());
    RECT rt = {0, 0, 360, 0};
    DrawTextW(hdc, text.c_str(), -1, &rt, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    int cxText = (static_cast<int>(rt.right) * 4 + cxBase - 1) / cxBase + 2;
    int cyText = (static_cast<int>(rt.bottom) * 8 + cyBase - 1) / cyBase;
    int aIds[3];
    int nButtons = ButtonsOf(uType, aIds);
    BOOL bIcon = (uType & MB_ICONMASK) != 0;
    int xText = bIcon ? 38 : 10;
    int cyTop = std::max(cyText, bIcon ? 20 : 0);
    int cxButtons = nButtons * 50 + (nButtons - 1) * 6;
    int cx = std::max(xText + cxText + 10, cxButtons + 20);
    int cy = 10 + cyTop + 10 + 14 + 8;
    TEMPLATE t;
    t.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_NOIDLEMSG);
    t.Dword(WS_EX_DLGMODALFRAME);
    t.w.push_back(static_cast<WORD>(nButtons + 1 + (bIcon ? 1 : 0)));
    t.w.push_back(0);
    t.w.push_back(0);
    t.w.push_back(static_cast<WORD>(cx));
    t.w.push_back(static_cast<WORD>(cy));
    t.w.push_back(0);  // no menu
    t.w.push_back(0);  // the dialog class
    t.Str(caption);
    if (bIcon)
        t.Item(SS_ICON, 10, 10, 20, 20, kIdIcon, 0x0082, u"");
    t.Item(SS_LEFT | SS_NOPREFIX, xText, 10 + (cyTop - cyText) / 2, cxText, cyText, kIdText, 0x0082, text);
    int x = (cx - cxButtons) / 2;
    for (int i = 0; i < nButtons; ++i) {
        DWORD st = WS_TABSTOP | (aIds[i] == iDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (i == 0 ? WS_GROUP : 0);
        t.Item(st, x, cy - 8 - 14, 50, 14, aIds[i], 0x0080, LabelOf(aIds[i]));
        x += 56;
    }
    t.Align();
    HWND hOwner = WndPeek(hWnd) ? hWnd : nullptr;
    INT_PTR r = DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(t.w.data()), hOwner,
                                        BoxProc, reinterpret_cast<LPARAM>(&d));
    if (r <= 0)
        return d.iAnswer ? d.iAnswer : iDefault;
    return static_cast<int>(r);
}

void PlatMsgBoxPushAnswer(int iAnswer)
{
    std::lock_guard<std::recursive_mutex> guard(g_lock);
    g_answers.push_back(iAnswer);
}

extern "C" void PlatScriptAnswerMessageBox(int iAnswer)
{
    PlatMsgBoxPushAnswer(iAnswer);
}

void PlatMsgBoxReset()
{
    std::lock_guard<std::recursive_mutex> guard(g_lock);
    g_answers.clear();
    g_boxes.clear();
}

int PlatMsgBoxCount()
{
    std::lock_guard<std::recursive_mutex> guard(g_lock);
    return static_cast<int>(g_boxes.size());
}

BOOL PlatMsgBoxGet(int i, HWND* phWnd, LPCWSTR* ppszText, LPCWSTR* ppszCaption, UINT* puType)
{
    std::lock_guard<std::recursive_mutex> guard(g_lock);
    if (i < 0 || i >= static_cast<int>(g_boxes.size()))
        return FALSE;
    const MSGBOXREC& r = g_boxes[static_cast<size_t>(i)];
    if (phWnd)
        *phWnd = r.hWnd;
    if (ppszText)
        *ppszText = r.strText.c_str();
    if (ppszCaption)
        *ppszCaption = r.strCaption.c_str();
    if (puType)
        *puType = r.uType;
    return TRUE;
}
