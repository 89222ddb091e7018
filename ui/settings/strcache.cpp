// strcache.cpp: the resource library binding and the string cache.
//
// Storage: an offset table of one LONG per id (-1 when not cached) and a
// chain of text blocks. The offsets address one virtual buffer made of the
// blocks in order; a text never straddles two blocks. Growing adds a block
// (its size a multiple of 1 KB, at least what the text needs) and never
// moves the blocks already handed out, so every returned pointer stays good
// until the cache is freed at the last FreeResourceDll.
#include "ui/settings/strcache.h"

#include "platform/spooler/winspool.h"
#include "ui/settings/papertable.h"

#include <cstring>
#include <mutex>

namespace {

const int kIdCount = RESSTR_LAST - RESSTR_FIRST + 1;  // 44001
const WCHAR s_szEmpty[1] = {0};

struct TextBlock {
    HGLOBAL hMem;
    BYTE* pb;
    DWORD dwStart;  // virtual offset of the block's first byte
    DWORD cb;
};

struct StringCache {
    HMODULE hModule;
    LONG cUse;
    HGLOBAL hTable;
    LONG* plTable;        // kIdCount offsets
    HGLOBAL hBlocks;
    TextBlock* pBlocks;   // cBlocks used of cBlockSlots
    int cBlocks;
    int cBlockSlots;
    DWORD cbUsed;         // virtual bytes handed out
    DWORD cbCapacity;     // virtual bytes of all blocks
    LONG cLoads;          // texts asked of the library (tests)
};

StringCache s_cache;
PFN_STRINGLOADER s_pfnLoader = nullptr;

int _LoadString(HMODULE hModule, UINT uId, LPWSTR psz, int cch) {
    return s_pfnLoader ? s_pfnLoader(hModule, uId, psz, cch) : OsLoadString(hModule, uId, psz, cch);
}
CRITICAL_SECTION s_cs;
std::once_flag s_csOnce;
bool s_bCsMade = false;

// The lock of the cache; made once per library image and deleted when the
// image is unloaded (the driver libraries come and go with every job).
struct CacheLockImage {
    ~CacheLockImage() {
        if (s_bCsMade) DeleteCriticalSection(&s_cs);
        s_bCsMade = false;
    }
} s_csImage;

struct CacheLock {
    CacheLock() {
        std::call_once(s_csOnce, [] {
            InitializeCriticalSection(&s_cs);
            s_bCsMade = true;
        });
        EnterCriticalSection(&s_cs);
    }
    ~CacheLock() { LeaveCriticalSection(&s_cs); }
};

void* _AllocLocked(SIZE_T cb, HGLOBAL* ph) {
    *ph = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    if (!*ph) return nullptr;
    void* p = GlobalLock(*ph);
    if (!p) {
        GlobalFree(*ph);
        *ph = nullptr;
    }
    return p;
}

void _FreeLocked(HGLOBAL* ph) {
    if (!*ph) return;
    GlobalUnlock(*ph);
    GlobalFree(*ph);
    *ph = nullptr;
}

BOOL _CacheExists() { return s_cache.plTable || s_cache.pBlocks || s_cache.cbCapacity; }

void _FreeCacheLocked() {
    for (int i = 0; i < s_cache.cBlocks; i++) _FreeLocked(&s_cache.pBlocks[i].hMem);
    _FreeLocked(&s_cache.hBlocks);
    _FreeLocked(&s_cache.hTable);
    s_cache.plTable = nullptr;
    s_cache.pBlocks = nullptr;
    s_cache.cBlocks = s_cache.cBlockSlots = 0;
    s_cache.cbUsed = s_cache.cbCapacity = 0;
}

// Appends a block of cb bytes; the unused tail of the last block is given up
// so that virtual offsets stay in block order.
BOOL _AddBlock(DWORD cb) {
    if (s_cache.cBlocks == s_cache.cBlockSlots) {
        int cSlots = s_cache.cBlockSlots ? s_cache.cBlockSlots * 2 : 16;
        HGLOBAL hNew;
        TextBlock* pNew = (TextBlock*)_AllocLocked(sizeof(TextBlock) * (SIZE_T)cSlots, &hNew);
        if (!pNew) return FALSE;
        if (s_cache.cBlocks) std::memcpy(pNew, s_cache.pBlocks, sizeof(TextBlock) * (SIZE_T)s_cache.cBlocks);
        _FreeLocked(&s_cache.hBlocks);
        s_cache.hBlocks = hNew;
        s_cache.pBlocks = pNew;
        s_cache.cBlockSlots = cSlots;
    }
    TextBlock b;
    b.pb = (BYTE*)_AllocLocked(cb, &b.hMem);
    if (!b.pb) return FALSE;
    b.dwStart = s_cache.cbCapacity;
    b.cb = cb;
    s_cache.pBlocks[s_cache.cBlocks++] = b;
    s_cache.cbUsed = b.dwStart;
    s_cache.cbCapacity += cb;
    return TRUE;
}

BOOL _AllocCacheLocked() {
    if (s_cache.plTable && s_cache.pBlocks) return TRUE;
    _FreeCacheLocked();
    s_cache.plTable = (LONG*)_AllocLocked(sizeof(LONG) * kIdCount, &s_cache.hTable);
    if (!s_cache.plTable) return FALSE;
    std::memset(s_cache.plTable, 0xFF, sizeof(LONG) * kIdCount);
    if (!_AddBlock(RESSTR_INITIAL_BYTES)) {
        _FreeCacheLocked();
        return FALSE;
    }
    return TRUE;
}

LPCWSTR _TextAt(DWORD dwOffset) {
    // Binary search of the block holding the offset.
    int lo = 0, hi = s_cache.cBlocks - 1;
    while (lo < hi) {
        int mid = (lo + hi + 1) / 2;
        if (s_cache.pBlocks[mid].dwStart <= dwOffset) lo = mid;
        else hi = mid - 1;
    }
    const TextBlock& b = s_cache.pBlocks[lo];
    return (LPCWSTR)(b.pb + (dwOffset - b.dwStart));
}

BOOL _LoadLibraryLocked() {
    WCHAR szPath[MAX_PATH + 64];
    if (!GetResourceDllPath(szPath, sizeof(szPath) / sizeof(szPath[0]))) return FALSE;
    s_cache.hModule = OsLoadLibrary(szPath);
    return s_cache.hModule != nullptr;
}

}  // namespace

BOOL GetResourceDllPath(LPWSTR pszPath, UINT cchPath) {
    static const WCHAR szSub[] = SPL_DRIVER_SUBDIRECTORY u"\\";
    static const WCHAR szFile[] = u"Q730MVT3.DLL";
    if (!pszPath || cchPath == 0) return FALSE;
    WCHAR szDir[MAX_PATH];
    UINT cch = GetSystemDirectoryW(szDir, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return FALSE;
    if ((size_t)cch + lstrlenW(szSub) + lstrlenW(szFile) + 1 > cchPath) return FALSE;
    lstrcpyW(pszPath, szDir);
    lstrcatW(pszPath, szSub);
    lstrcatW(pszPath, szFile);
    return TRUE;
}

HMODULE LoadResourceDll() {
    HMODULE hModule;
    BOOL bBound = FALSE;
    {
        CacheLock lock;
        s_cache.cUse++;
        if (!s_cache.hModule && !_CacheExists()) {
            bBound = _LoadLibraryLocked();
            if (bBound) _AllocCacheLocked();
        }
        hModule = s_cache.hModule;
    }
    // The paper names come from the library just bound.
    if (bBound) LoadPaperDisplayNames();
    return hModule;
}

void FreeResourceDll() {
    CacheLock lock;
    // A free without a load must not take the library from under the
    // holders that remain.
    if (s_cache.cUse <= 0) return;
    if (--s_cache.cUse > 0) return;
    if (s_cache.hModule) {
        OsFreeLibrary(s_cache.hModule);
        s_cache.hModule = nullptr;
    }
    _FreeCacheLocked();
}

HMODULE GetResourceDllHandle() {
    CacheLock lock;
    return s_cache.hModule;
}

BOOL AllocStringCache() {
    CacheLock lock;
    return _AllocCacheLocked();
}

LPCWSTR GetResString(UINT uId) {
    if (uId < RESSTR_FIRST || uId > RESSTR_LAST || uId == RESSTR_NEVER) return s_szEmpty;
    CacheLock lock;
    if (!s_cache.hModule) return s_szEmpty;
    if (!_CacheExists() && !_AllocCacheLocked()) return s_szEmpty;
    if (!s_cache.plTable || !s_cache.pBlocks) return s_szEmpty;

    LONG* pEntry = &s_cache.plTable[uId - RESSTR_FIRST];
    if (*pEntry != -1) return _TextAt((DWORD)*pEntry);

    // One unit more than the longest usable text, so that a text of
    // RESSTR_MAXCHARS characters or more is seen and refused, not cut.
    HGLOBAL hScratch;
    WCHAR* pszScratch = (WCHAR*)_AllocLocked(sizeof(WCHAR) * (RESSTR_MAXCHARS + 1), &hScratch);
    if (!pszScratch) return s_szEmpty;
    s_cache.cLoads++;
    int cch = _LoadString(s_cache.hModule, uId, pszScratch, RESSTR_MAXCHARS + 1);
    if (cch <= 0 || cch >= RESSTR_MAXCHARS) {
        _FreeLocked(&hScratch);
        return s_szEmpty;
    }
    DWORD cb = 2 * (DWORD)cch + 2;
    const TextBlock& last = s_cache.pBlocks[s_cache.cBlocks - 1];
    if (s_cache.cbUsed + cb > last.dwStart + last.cb) {
        DWORD cbBlock = RESSTR_GROW_STEP;
        while (cbBlock < cb) cbBlock += RESSTR_GROW_STEP;
        if (!_AddBlock(cbBlock)) {
            _FreeLocked(&hScratch);
            return s_szEmpty;
        }
    }
    DWORD dwOffset = s_cache.cbUsed;
    WCHAR* pszText = (WCHAR*)_TextAt(dwOffset);
    std::memcpy(pszText, pszScratch, cb - 2);
    pszText[cch] = 0;
    *pEntry = (LONG)dwOffset;
    s_cache.cbUsed += cb;
    _FreeLocked(&hScratch);
    return pszText;
}

BOOL bResStringExists(UINT uId) {
    HMODULE hModule = GetResourceDllHandle();
    if (!hModule || uId < RESSTR_FIRST || uId > RESSTR_LAST) return FALSE;
    WCHAR sz[RESSTR_MAXCHARS];
    sz[0] = 0;
    return _LoadString(hModule, uId, sz, RESSTR_MAXCHARS) > 0 && sz[0] != 0;
}

void StringCacheSetLoader(PFN_STRINGLOADER pfnLoader) {
    CacheLock lock;
    s_pfnLoader = pfnLoader;
}

LONG StringCacheLoadCount() {
    CacheLock lock;
    return s_cache.cLoads;
}
