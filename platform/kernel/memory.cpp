// memory.cpp: global and local memory over the C heap.
//
// Every block has a record (MEMBLOCK) found two ways: by handle value in
// g_byHandle, and by address range in g_byAddress, which is what lets
// GlobalHandle answer for any address inside a block. A fixed block's handle
// is its address; a moveable block's handle is the address of its record,
// which stays put while the data moves.
//
// Invariants (checked by _bCheckTables in debug builds):
//  1. Every record is in both maps exactly once.
//  2. cLocks is 0 for fixed blocks.
//  3. g_cLive equals the number of records.
#include "platform/kernel/memory.h"

#include "platform/kernel/kernel.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct MEMBLOCK {
    BYTE* pData;      // the bytes (at least 1 allocated, so addresses differ)
    SIZE_T cb;        // size the caller asked for
    bool bMoveable;   // GMEM_MOVEABLE block: handle != address
    bool bDiscardable;// GMEM_DISCARDABLE was asked (reported only)
    LONG cLocks;      // GlobalLock count of a moveable block
};

std::mutex g_lock;
std::unordered_map<UINT_PTR, MEMBLOCK*> g_byHandle;
std::map<UINT_PTR, MEMBLOCK*> g_byAddress;
LONG g_cLive = 0;
LONG g_failIn = 0;
LONG g_cAllocations = 0;  // allocations asked for, for fault sweeps

UINT_PTR _HandleOf(const MEMBLOCK* pb)
{
    return pb->bMoveable ? reinterpret_cast<UINT_PTR>(pb) : reinterpret_cast<UINT_PTR>(pb->pData);
}

#ifndef NDEBUG
// Walks every block, so it only runs while there are few.
bool _bCheckTables()
{
    if (g_cLive > 256)
        return true;
    if (g_byHandle.size() != g_byAddress.size() || (LONG)g_byHandle.size() != g_cLive)
        return false;
    for (const auto& e : g_byAddress) {
        const MEMBLOCK* pb = e.second;
        if (e.first != reinterpret_cast<UINT_PTR>(pb->pData))
            return false;
        auto h = g_byHandle.find(_HandleOf(pb));
        if (h == g_byHandle.end() || h->second != pb)
            return false;
        if (!pb->bMoveable && pb->cLocks != 0)
            return false;
    }
    return true;
}
#endif

// One more allocation; false when the test switch says this one fails.
bool _bAllocationAllowed()
{
    ++g_cAllocations;
    if (g_failIn > 0 && --g_failIn == 0)
        return false;
    return true;
}

BYTE* _RawAlloc(SIZE_T cb, bool bZero)
{
    SIZE_T n = cb ? cb : 1;
    return static_cast<BYTE*>(bZero ? calloc(n, 1) : malloc(n));
}

MEMBLOCK* _Find(HGLOBAL h)
{
    auto it = g_byHandle.find(reinterpret_cast<UINT_PTR>(h));
    return it == g_byHandle.end() ? nullptr : it->second;
}

HGLOBAL _Alloc(UINT uFlags, SIZE_T cb)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!_bAllocationAllowed()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    BYTE* p = _RawAlloc(cb, (uFlags & GMEM_ZEROINIT) != 0);
    MEMBLOCK* pb = p ? new (std::nothrow) MEMBLOCK{p, cb, (uFlags & GMEM_MOVEABLE) != 0,
                                                   (uFlags & GMEM_DISCARDABLE) != 0, 0}
                     : nullptr;
    if (!pb) {
        free(p);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    g_byHandle[_HandleOf(pb)] = pb;
    g_byAddress[reinterpret_cast<UINT_PTR>(p)] = pb;
    ++g_cLive;
    assert(_bCheckTables());
    return reinterpret_cast<HGLOBAL>(_HandleOf(pb));
}

LPVOID _LockBlock(HGLOBAL h)
{
    std::lock_guard<std::mutex> lock(g_lock);
    MEMBLOCK* pb = _Find(h);
    if (!pb) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (pb->bMoveable && pb->cLocks < GMEM_LOCKCOUNT)
        ++pb->cLocks;
    return pb->pData;
}

BOOL _UnlockBlock(HGLOBAL h)
{
    std::lock_guard<std::mutex> lock(g_lock);
    MEMBLOCK* pb = _Find(h);
    if (!pb) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!pb->bMoveable)
        return TRUE;
    if (pb->cLocks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--pb->cLocks > 0)
        return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
}

HGLOBAL _FreeBlock(HGLOBAL h)
{
    MEMBLOCK* pb;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        pb = _Find(h);
        if (!pb) {
            SetLastError(ERROR_INVALID_HANDLE);
            return h;
        }
        g_byHandle.erase(_HandleOf(pb));
        g_byAddress.erase(reinterpret_cast<UINT_PTR>(pb->pData));
        --g_cLive;
        assert(_bCheckTables());
    }
    free(pb->pData);
    delete pb;
    return nullptr;
}

HGLOBAL _ReAlloc(HGLOBAL h, SIZE_T cb, UINT uFlags)
{
    std::lock_guard<std::mutex> lock(g_lock);
    MEMBLOCK* pb = _Find(h);
    if (!pb) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (uFlags & GMEM_MODIFY) {
        // Only the flags change; a fixed block made moveable gets a handle
        // of its own.
        if ((uFlags & GMEM_MOVEABLE) && !pb->bMoveable) {
            g_byHandle.erase(_HandleOf(pb));
            pb->bMoveable = true;
            g_byHandle[_HandleOf(pb)] = pb;
        }
        pb->bDiscardable = (uFlags & GMEM_DISCARDABLE) != 0;
        assert(_bCheckTables());
        return reinterpret_cast<HGLOBAL>(_HandleOf(pb));
    }
    bool bMayMove = pb->bMoveable ? (pb->cLocks == 0 || (uFlags & GMEM_MOVEABLE))
                                  : (uFlags & GMEM_MOVEABLE) != 0;
    if (!bMayMove && cb > pb->cb) {
        // Growing in place is never possible over the C heap.
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!bMayMove) {
        if ((uFlags & GMEM_ZEROINIT) && cb > pb->cb)
            memset(pb->pData + pb->cb, 0, cb - pb->cb);
        pb->cb = cb;
        return reinterpret_cast<HGLOBAL>(_HandleOf(pb));
    }
    if (!_bAllocationAllowed()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Always a new address: a caller still holding the old one is caught
    // at once rather than on the rare day the heap happens to move it.
    BYTE* p = _RawAlloc(cb, false);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    memcpy(p, pb->pData, cb < pb->cb ? cb : pb->cb);
    if (cb > pb->cb)
        memset(p + pb->cb, 0, cb - pb->cb);  // also without GMEM_ZEROINIT: no stale heap bytes
    UINT_PTR oldHandle = _HandleOf(pb);
    g_byAddress.erase(reinterpret_cast<UINT_PTR>(pb->pData));
    g_byHandle.erase(oldHandle);
    free(pb->pData);
    pb->pData = p;
    pb->cb = cb;
    // A fixed block that moved is a fixed block at its new address.
    g_byHandle[_HandleOf(pb)] = pb;
    g_byAddress[reinterpret_cast<UINT_PTR>(p)] = pb;
    assert(_bCheckTables());
    return reinterpret_cast<HGLOBAL>(_HandleOf(pb));
}

HGLOBAL _HandleFromAddress(LPCVOID pMem)
{
    std::lock_guard<std::mutex> lock(g_lock);
    UINT_PTR a = reinterpret_cast<UINT_PTR>(pMem);
    auto it = g_byAddress.upper_bound(a);
    if (pMem && it != g_byAddress.begin()) {
        --it;
        MEMBLOCK* pb = it->second;
        SIZE_T span = pb->cb ? pb->cb : 1;
        if (a - it->first < span)
            return reinterpret_cast<HGLOBAL>(_HandleOf(pb));
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

SIZE_T _Size(HGLOBAL h)
{
    std::lock_guard<std::mutex> lock(g_lock);
    MEMBLOCK* pb = _Find(h);
    if (!pb) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return pb->cb;
}

UINT _Flags(HGLOBAL h, UINT uDiscardable)
{
    std::lock_guard<std::mutex> lock(g_lock);
    MEMBLOCK* pb = _Find(h);
    if (!pb) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GMEM_INVALID_HANDLE;
    }
    return (UINT)(pb->cLocks & GMEM_LOCKCOUNT) | (pb->bDiscardable ? uDiscardable : 0);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) { return _Alloc(uFlags, dwBytes); }
LPVOID GlobalLock(HGLOBAL hMem) { return _LockBlock(hMem); }
BOOL GlobalUnlock(HGLOBAL hMem) { return _UnlockBlock(hMem); }
HGLOBAL GlobalFree(HGLOBAL hMem) { return _FreeBlock(hMem); }
HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) { return _ReAlloc(hMem, dwBytes, uFlags); }
HGLOBAL GlobalHandle(LPCVOID pMem) { return _HandleFromAddress(pMem); }
SIZE_T GlobalSize(HGLOBAL hMem) { return _Size(hMem); }
UINT GlobalFlags(HGLOBAL hMem) { return _Flags(hMem, GMEM_DISCARDABLE); }

// The local flags differ from the global ones only in the discardable bits.
static UINT _LocalToGlobalFlags(UINT uFlags)
{
    UINT g = uFlags & (LMEM_MOVEABLE | LMEM_ZEROINIT | LMEM_MODIFY);
    if (uFlags & LMEM_DISCARDABLE)
        g |= GMEM_DISCARDABLE;
    return g;
}

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) { return _Alloc(_LocalToGlobalFlags(uFlags), uBytes); }
HLOCAL LocalFree(HLOCAL hMem) { return _FreeBlock(hMem); }
LPVOID LocalLock(HLOCAL hMem) { return _LockBlock(hMem); }
BOOL LocalUnlock(HLOCAL hMem) { return _UnlockBlock(hMem); }
SIZE_T LocalSize(HLOCAL hMem) { return _Size(hMem); }
HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags)
{
    return _ReAlloc(hMem, uBytes, _LocalToGlobalFlags(uFlags));
}
HLOCAL LocalHandle(LPCVOID pMem) { return _HandleFromAddress(pMem); }
UINT LocalFlags(HLOCAL hMem) { return _Flags(hMem, LMEM_DISCARDABLE); }

LONG PlatGlobalLiveBlocks()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_cLive;
}

void PlatFailAllocation(LONG n)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_failIn = n > 0 ? n : 0;
}

LONG PlatAllocationCalls()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_cAllocations;
}

BOOL PlatAllocationFailPending()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_failIn > 0;
}
