// lasterror.cpp: the per-thread last error and critical sections.
#include "platform/kernel/kernel.h"

#include <mutex>

namespace {
thread_local DWORD t_lastError = 0;
}

void SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}

DWORD GetLastError()
{
    return t_lastError;
}

void InitializeCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs)
        return;
    pcs->pImpl = new std::recursive_mutex;
    pcs->cRecursion = 0;
}

void EnterCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs || !pcs->pImpl)
        return;
    static_cast<std::recursive_mutex*>(pcs->pImpl)->lock();
    ++pcs->cRecursion;
}

void LeaveCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs || !pcs->pImpl)
        return;
    --pcs->cRecursion;
    static_cast<std::recursive_mutex*>(pcs->pImpl)->unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION pcs)
{
    if (!pcs || !pcs->pImpl)
        return;
    delete static_cast<std::recursive_mutex*>(pcs->pImpl);
    pcs->pImpl = nullptr;
    pcs->cRecursion = 0;
}
