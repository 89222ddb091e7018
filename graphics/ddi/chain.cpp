// chain.cpp: block chains of movable global memory (see chain.h).
#include "graphics/ddi/chain.h"

void* GfxAlloc(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

void GfxFree(void* p)
{
    if (!p)
        return;
    HGLOBAL h = GlobalHandle(p);
    if (!h)
        return;
    GlobalUnlock(h);
    GlobalFree(h);
}

CHAINHEAD* CreateChainList()
{
    return static_cast<CHAINHEAD*>(GfxAlloc(sizeof(CHAINHEAD)));
}

void* AllocChainBlock(CHAINHEAD* pHead, DWORD cb)
{
    if (!pHead || cb > 0x7FFFFFF0u)
        return nullptr;
    BYTE* pLink = static_cast<BYTE*>(GfxAlloc(cb + CHAIN_LINK_SIZE));
    if (!pLink)
        return nullptr;
    *reinterpret_cast<void**>(pLink) = pHead->pNewest;
    pHead->pNewest = pLink;
    return pLink + CHAIN_LINK_SIZE;
}

void FreeChainBlock(CHAINHEAD* pHead, void* pBlock)
{
    if (!pHead || !pBlock || !pHead->pNewest)
        return;
    BYTE* pWanted = static_cast<BYTE*>(pBlock) - CHAIN_LINK_SIZE;
    // The link to patch: the head's for the newest block, else the newer
    // neighbour's link word.
    void** ppLink = &pHead->pNewest;
    while (*ppLink) {
        if (*ppLink == pWanted) {
            *ppLink = *reinterpret_cast<void**>(pWanted);
            GfxFree(pWanted);
            return;
        }
        ppLink = reinterpret_cast<void**>(*ppLink);
    }
}

void FreeChainList(CHAINHEAD* pHead)
{
    if (!pHead)
        return;
    void* pLink = pHead->pNewest;
    while (pLink) {
        void* pOlder = *reinterpret_cast<void**>(pLink);
        GfxFree(pLink);
        pLink = pOlder;
    }
    pHead->pNewest = nullptr;
    GfxFree(pHead);
}
