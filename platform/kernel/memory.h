// memory.h: global and local memory of the platform kernel.
//
// Owns: GlobalAlloc and its family, LocalAlloc and its family, the live
// block count and the allocation-failure switch used by tests.
//
// Rules the callers rely on:
//  1. A fixed block's handle is its address. A moveable block's handle is a
//     value of its own; GlobalLock gives the address and counts the lock,
//     and GlobalHandle finds the handle again from the address (or any
//     address inside the block).
//  2. GlobalReAlloc may move an unlocked moveable block (it always does, so
//     that stale addresses show up early); a locked block, or a fixed block
//     without GMEM_MOVEABLE, is only resized in place, so growing it fails.
//  3. Bad handles give the platform's failure value and
//     ERROR_INVALID_HANDLE; they never crash.
//  4. Global and Local blocks come from one heap: each call family accepts
//     the other's handles, as on the platform.
//  5. All calls are thread-safe.
#pragma once

#include "platform/windef.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_NOCOMPACT 0x0010
#define GMEM_NODISCARD 0x0020
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_DISCARDABLE 0x0100
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE 0x2000
#define GMEM_DISCARDED 0x4000
#define GMEM_INVALID_HANDLE 0x8000
#define GMEM_LOCKCOUNT 0x00FF
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LMEM_MODIFY 0x0080
#define LMEM_DISCARDABLE 0x0F00
#define LMEM_INVALID_HANDLE 0x8000
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

#ifndef ERROR_NOT_LOCKED
#define ERROR_NOT_LOCKED 158L
#endif

// Platform calls keep C names, so GetProcAddress finds them.
extern "C" {

// Allocates dwBytes (in) with uFlags (in: GMEM_FIXED or GMEM_MOVEABLE, plus
// GMEM_ZEROINIT). Null with ERROR_NOT_ENOUGH_MEMORY on failure.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);

// Address of the block; counts one lock on a moveable block. Null with
// ERROR_INVALID_HANDLE for a bad handle.
LPVOID GlobalLock(HGLOBAL hMem);

// Takes one lock away. TRUE while locks remain; FALSE when the count reaches
// 0 (last error NO_ERROR), when the block was not locked (ERROR_NOT_LOCKED)
// or for a bad handle (ERROR_INVALID_HANDLE). Fixed blocks answer TRUE.
BOOL GlobalUnlock(HGLOBAL hMem);

// Frees the block, locked or not. Null on success; the handle again with
// ERROR_INVALID_HANDLE on failure.
HGLOBAL GlobalFree(HGLOBAL hMem);

// Resizes (or with GMEM_MODIFY changes the flags of) a block; see rule 2.
// Returns the block's handle (the same one for a moveable block), null on
// failure with the block unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);

// Handle of the block that holds pMem (in); null with ERROR_INVALID_HANDLE.
HGLOBAL GlobalHandle(LPCVOID pMem);

// Size asked for at the last (re)allocation; 0 for a bad handle.
SIZE_T GlobalSize(HGLOBAL hMem);

// Lock count in the low byte, plus GMEM_DISCARDABLE; GMEM_INVALID_HANDLE for
// a bad handle.
UINT GlobalFlags(HGLOBAL hMem);

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
HLOCAL LocalFree(HLOCAL hMem);
LPVOID LocalLock(HLOCAL hMem);
BOOL LocalUnlock(HLOCAL hMem);
SIZE_T LocalSize(HLOCAL hMem);
HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags);
HLOCAL LocalHandle(LPCVOID pMem);
UINT LocalFlags(HLOCAL hMem);

// Blocks allocated and not yet freed, Global and Local together.
LONG PlatGlobalLiveBlocks();

// Makes the n-th allocation from now fail (1 = the next one); 0 turns the
// switch off. Allocations are GlobalAlloc, LocalAlloc and every
// GlobalReAlloc/LocalReAlloc that resizes. The switch fires once.
void PlatFailAllocation(LONG n);
// Allocations asked for in this process so far (those the switch failed
// included), and whether the switch is still waiting to fire.
LONG PlatAllocationCalls();
BOOL PlatAllocationFailPending();

}  // extern "C"
