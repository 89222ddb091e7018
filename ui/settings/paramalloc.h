// paramalloc.h: the settings object's blocks of movable global memory.
//
// Every block of the settings object, its runtime tables and its lists is
// allocated zeroed, moveable and locked for its whole life, and freed through
// the handle found again from its address, as the platform expects.
#pragma once

#include "platform/windows.h"

#include <cstring>

// A zeroed block of cb bytes, locked; null when it cannot be allocated.
inline void* ParamAllocBlock(SIZE_T cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb ? cb : 1);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

// Unlocks and frees the block at *pp and clears *pp; null does nothing.
inline void ParamFreeBlock(void** pp)
{
    if (!pp || !*pp)
        return;
    HGLOBAL h = GlobalHandle(*pp);
    if (h) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
    *pp = nullptr;
}

// A pointer field of the object's records may sit at any byte offset (the
// records are packed, and pointers are 8 bytes in the native build), so it
// is copied out and in, never read or written in place through a T**.
template <typename T>
inline T* ParamLoadPtr(T* const* pp)
{
    T* p;
    std::memcpy(&p, pp, sizeof(p));
    return p;
}

template <typename T>
inline void ParamStorePtr(T** pp, T* p)
{
    std::memcpy(pp, &p, sizeof(p));
}

template <typename T>
inline void ParamFree(T** pp)
{
    void* pv = ParamLoadPtr(pp);
    ParamFreeBlock(&pv);
    ParamStorePtr(pp, static_cast<T*>(nullptr));
}
