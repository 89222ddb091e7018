// msgbox.cpp: MessageBoxW of the headless platform and its record.
//
// Entry points: MessageBoxW, PlatMsgBoxPushAnswer, PlatMsgBoxReset,
// PlatMsgBoxCount, PlatMsgBoxGet. The record and the script are process-wide
// and guarded by one lock: printing threads show boxes too.
#include "platform/gdi/msgbox.h"

#include "platform/kernel/kernel.h"

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

std::mutex g_lock;
std::deque<int> g_answers;
std::deque<MSGBOXREC> g_boxes;  // deque: records never move once made

// The default button of a button set; 0 for an unknown set.
int DefaultAnswer(UINT uType)
{
    static const int kFirst[] = {IDOK, IDOK, IDABORT, IDYES, IDYES, IDRETRY};
    static const int kSecond[] = {0, IDCANCEL, IDRETRY, IDNO, IDNO, IDCANCEL};
    static const int kThird[] = {0, 0, IDIGNORE, IDCANCEL, 0, 0};
    UINT uSet = uType & MB_TYPEMASK;
    if (uSet > MB_RETRYCANCEL)
        return 0;
    UINT uDef = (uType >> 8) & 0xF;
    int iAnswer = uDef == 1 ? kSecond[uSet] : uDef == 2 ? kThird[uSet] : 0;
    return iAnswer ? iAnswer : kFirst[uSet];
}

}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    int iDefault = DefaultAnswer(uType);
    if (!iDefault) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> guard(g_lock);
    // A missing caption shows the platform's own word for an error box.
    g_boxes.push_back({hWnd, lpText ? lpText : u"", lpCaption ? lpCaption : u"Error", uType});
    if (g_answers.empty())
        return iDefault;
    int iAnswer = g_answers.front();
    g_answers.pop_front();
    return iAnswer;
}

void PlatMsgBoxPushAnswer(int iAnswer)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_answers.push_back(iAnswer);
}

void PlatMsgBoxReset()
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_answers.clear();
    g_boxes.clear();
}

int PlatMsgBoxCount()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return static_cast<int>(g_boxes.size());
}

BOOL PlatMsgBoxGet(int i, HWND* phWnd, LPCWSTR* ppszText, LPCWSTR* ppszCaption, UINT* puType)
{
    std::lock_guard<std::mutex> guard(g_lock);
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
