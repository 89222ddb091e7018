// chain.h: the graphics library's block allocator.
//
// Owns: block chains. A chain head is a block of movable, zero-filled global
// memory that points to the newest block; each block is one movable,
// zero-filled global allocation of the asked size plus a link header
// (CHAIN_LINK_SIZE bytes) whose first word points to the block allocated
// before it, and the caller gets the address after the header. The header
// is as large as the strictest fundamental alignment (16 bytes at 64 bits),
// so every block keeps the alignment of the global allocation and the link
// never shares bytes with the caller's block (a PDEV's signature at 0).
// Freeing a chain frees every block, newest first, then the head: the PDEV
// and its small companions (document name, lists) go in one call.
//
// Blocks stay locked from allocation to free; their handle is found again
// with GlobalHandle.
#pragma once

#include "platform/windows.h"

#include <cstddef>

struct CHAINHEAD {
    void* pNewest;  // newest block's link word, or null
};
static_assert(sizeof(void*) != 4 || sizeof(CHAINHEAD) == 4);

// Bytes before each block: the link word, padded to the alignment malloc
// gives (16 at 64 bits). The 32-bit build keeps its 4-byte link.
#define CHAIN_LINK_SIZE (sizeof(void*) == 4 ? 4u : static_cast<DWORD>(alignof(std::max_align_t)))
static_assert(sizeof(void*) == 4 || CHAIN_LINK_SIZE % 16 == 0);
static_assert(CHAIN_LINK_SIZE >= sizeof(void*));

// A new empty chain, or null.
CHAINHEAD* CreateChainList();
// A zero-filled block of cb bytes from the chain, or null (also for a null head).
void* AllocChainBlock(CHAINHEAD* pHead, DWORD cb);
// Unlinks and frees pBlock; nothing for a null head, an empty chain, a null
// block or a block that is not in this chain.
void FreeChainBlock(CHAINHEAD* pHead, void* pBlock);
// Frees every block, newest first, then the head.
void FreeChainList(CHAINHEAD* pHead);

// Movable global memory locked for use and freed through its address.
void* GfxAlloc(DWORD cb);
void GfxFree(void* p);
