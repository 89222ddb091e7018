// handles.cpp: the process's table of kernel handles.
//
// Handle values are multiples of 4 from a 30-bit counter that only moves
// forward, so a closed value comes back only after a billion opens. An
// entry closed while pinned stays in the table, marked closed, until the
// last pin goes; only then does its close function run.
#include "platform/kernel/handles.h"

#include "platform/kernel/kernel.h"

#include <mutex>
#include <unordered_map>

namespace {

struct HANDLEENTRY {
    DWORD dwKind;           // PLAT_HANDLE_*
    void* pObject;          // the object the handle stands for
    PFN_PLATCLOSE pfnClose; // runs once at the end
    LONG cPins;             // PlatHandleAcquire calls not yet released
    bool bClosed;           // CloseHandle came; the value no longer answers
};

std::mutex& _Lock()
{
    static std::mutex m;
    return m;
}

std::unordered_map<UINT_PTR, HANDLEENTRY>& _Table()
{
    static std::unordered_map<UINT_PTR, HANDLEENTRY> t;
    return t;
}

UINT_PTR g_nextValue = 0x1000;

UINT_PTR _NextValue()
{
    for (;;) {
        UINT_PTR v = g_nextValue;
        g_nextValue += 4;
        if (g_nextValue >= 0xFFFFFF00u)
            g_nextValue = 0x1000;
        if (_Table().find(v) == _Table().end())
            return v;
    }
}

}  // namespace

HANDLE PlatHandleCreate(DWORD dwKind, void* pObject, PFN_PLATCLOSE pfnClose)
{
    std::lock_guard<std::mutex> lock(_Lock());
    UINT_PTR v = _NextValue();
    _Table()[v] = HANDLEENTRY{dwKind, pObject, pfnClose, 0, false};
    return reinterpret_cast<HANDLE>(v);
}

void* PlatHandleAcquire(HANDLE h, DWORD dwKind)
{
    std::lock_guard<std::mutex> lock(_Lock());
    auto it = _Table().find(reinterpret_cast<UINT_PTR>(h));
    if (it == _Table().end() || it->second.bClosed ||
        (dwKind != PLAT_HANDLE_ANY && it->second.dwKind != dwKind)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++it->second.cPins;
    return it->second.pObject;
}

void PlatHandleRelease(HANDLE h)
{
    HANDLEENTRY done{};
    {
        std::lock_guard<std::mutex> lock(_Lock());
        auto it = _Table().find(reinterpret_cast<UINT_PTR>(h));
        if (it == _Table().end() || it->second.cPins <= 0)
            return;
        if (--it->second.cPins > 0 || !it->second.bClosed)
            return;
        done = it->second;
        _Table().erase(it);
    }
    // Closed while pinned: the close runs now, outside the lock, and its
    // result has no caller left to hear it.
    if (done.pfnClose) {
        DWORD keep = GetLastError();
        done.pfnClose(done.pObject);
        SetLastError(keep);
    }
}

DWORD PlatHandleKind(HANDLE h)
{
    std::lock_guard<std::mutex> lock(_Lock());
    auto it = _Table().find(reinterpret_cast<UINT_PTR>(h));
    if (it == _Table().end() || it->second.bClosed)
        return 0xFFFFFFFFu;
    return it->second.dwKind;
}

BOOL CloseHandle(HANDLE hObject)
{
    HANDLEENTRY done{};
    {
        std::lock_guard<std::mutex> lock(_Lock());
        auto it = _Table().find(reinterpret_cast<UINT_PTR>(hObject));
        if (it == _Table().end() || it->second.bClosed) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (it->second.cPins > 0) {
            it->second.bClosed = true;
            return TRUE;
        }
        done = it->second;
        _Table().erase(it);
    }
    return done.pfnClose ? done.pfnClose(done.pObject) : TRUE;
}

DWORD PlatOpenHandleCount()
{
    std::lock_guard<std::mutex> lock(_Lock());
    DWORD n = 0;
    for (const auto& e : _Table())
        if (!e.second.bClosed)
            ++n;
    return n;
}
