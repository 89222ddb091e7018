// timer.cpp: timers on the platform clock, and the clock.
//
// Entry points: SetTimer, KillTimer, PlatGetClock, PlatAdvanceClock,
// PlatLiveTimers.
//
// The clock starts at 0 and moves only when a test or tool advances it, so
// that timed behaviour is the same on every run. Advancing fires every
// timer due on the way, in order of due time (then of creation), each as
// many times as its period fits, through the queue as a person's machine
// would, draining the queue after each.
#include "platform/user/wnd.h"

#include "platform/kernel/kernel.h"

#include <algorithm>
#include <vector>

namespace {

struct TIMER {
    HWND hwnd;
    UINT_PTR id;
    UINT uElapse;
    TIMERPROC pfn;
    DWORD dwDue;
    ULONGLONG seq;
};

std::vector<TIMER> g_timers;
DWORD g_dwClock = 0;
ULONGLONG g_seq = 0;
UINT_PTR g_nextId = 0x7FFF0000;  // ids for timers without a window

}  // namespace

extern "C" {

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    if (hWnd && !WndGet(hWnd))
        return 0;
    // The platform's minimum period.
    uElapse = std::max<UINT>(uElapse, 10);
    if (!hWnd)
        nIDEvent = ++g_nextId;
    for (TIMER& t : g_timers)
        if (t.hwnd == hWnd && t.id == nIDEvent) {
            t.uElapse = uElapse;
            t.pfn = lpTimerFunc;
            t.dwDue = g_dwClock + uElapse;
            return hWnd ? 1 : nIDEvent;
        }
    g_timers.push_back({hWnd, nIDEvent, uElapse, lpTimerFunc, g_dwClock + uElapse, ++g_seq});
    return hWnd ? (nIDEvent ? nIDEvent : 1) : nIDEvent;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    // The window manager kills every timer of a dying window with id -1.
    if (uIDEvent == static_cast<UINT_PTR>(-1)) {
        g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(),
                                      [hWnd](const TIMER& t) { return t.hwnd == hWnd; }),
                       g_timers.end());
        return TRUE;
    }
    auto it = std::find_if(g_timers.begin(), g_timers.end(),
                           [&](const TIMER& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    if (it == g_timers.end()) {
        SetLastError(ERROR_INVALID_TIMER_ID);
        return FALSE;
    }
    g_timers.erase(it);
    return TRUE;
}

DWORD PlatGetClock()
{
    return g_dwClock;
}

void PlatAdvanceClock(DWORD dwMilliseconds)
{
    DWORD dwEnd = g_dwClock + dwMilliseconds;
    while (true) {
        // The earliest due timer within the step.
        TIMER* pNext = nullptr;
        for (TIMER& t : g_timers)
            if (static_cast<LONG>(t.dwDue - dwEnd) <= 0 &&
                (!pNext || static_cast<LONG>(t.dwDue - pNext->dwDue) < 0 ||
                 (t.dwDue == pNext->dwDue && t.seq < pNext->seq)))
                pNext = &t;
        if (!pNext)
            break;
        g_dwClock = pNext->dwDue;
        pNext->dwDue += pNext->uElapse;
        TIMER t = *pNext;
        if (t.hwnd && !WndPeek(t.hwnd)) {
            KillTimer(t.hwnd, static_cast<UINT_PTR>(-1));
            continue;
        }
        if (t.hwnd) {
            PostMessageW(t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.pfn));
            PlatPumpMessages();
        } else if (t.pfn) {
            t.pfn(nullptr, WM_TIMER, t.id, g_dwClock);
        }
    }
    g_dwClock = dwEnd;
    PlatPumpMessages();
}

int PlatLiveTimers()
{
    return static_cast<int>(g_timers.size());
}

}  // extern "C"

int TimerMsUntilNext()
{
    int iMin = -1;
    for (const TIMER& t : g_timers) {
        LONG d = static_cast<LONG>(t.dwDue - g_dwClock);
        int ms = d < 0 ? 0 : static_cast<int>(d);
        if (iMin < 0 || ms < iMin)
            iMin = ms;
    }
    return iMin;
}
