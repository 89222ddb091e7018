// resource.cpp: finding resources in a module's exported directory.
//
// A directory is indexed once per load of its module, the first time the
// module's resources are asked for: entries sorted by (type, id), looked up
// by binary search; the index goes when the module is freed. An HRSRC is
// the address of the entry itself; an HGLOBAL from LoadResource is the
// address of its data. Both stay valid while the module
// is loaded.
#include "platform/kernel/resource.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/modules.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

struct RESINDEX {
    std::vector<const PLATRESENTRY*> sorted;  // by (dwType, dwId)
};

std::mutex g_lock;
std::map<const PLATRESDIR*, RESINDEX> g_indexes;

bool _Less(const PLATRESENTRY* a, const PLATRESENTRY* b)
{
    return a->dwType != b->dwType ? a->dwType < b->dwType : a->dwId < b->dwId;
}

const RESINDEX& _Index(const PLATRESDIR* pDir)
{
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = g_indexes.find(pDir);
    if (it != g_indexes.end())
        return it->second;
    RESINDEX& idx = g_indexes[pDir];
    idx.sorted.reserve(pDir->cEntries);
    for (DWORD i = 0; i < pDir->cEntries; ++i)
        idx.sorted.push_back(&pDir->pEntries[i]);
    std::sort(idx.sorted.begin(), idx.sorted.end(), _Less);
    return idx;
}

// The entry of (type, id); sets the last error when there is none.
const PLATRESENTRY* _Find(HMODULE hModule, DWORD dwType, DWORD dwId)
{
    const PLATRESDIR* pDir = PlatGetResourceDir(hModule);
    if (!pDir) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const RESINDEX& idx = _Index(pDir);
    PLATRESENTRY key = {dwType, dwId, 0, nullptr};
    auto it = std::lower_bound(idx.sorted.begin(), idx.sorted.end(), &key, _Less);
    if (it != idx.sorted.end() && (*it)->dwType == dwType && (*it)->dwId == dwId)
        return *it;
    bool typeFound = it != idx.sorted.end() && (*it)->dwType == dwType;
    if (!typeFound && it != idx.sorted.begin())
        typeFound = (*(it - 1))->dwType == dwType;
    SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

}  // namespace

void PlatForgetResources(HMODULE hModule)
{
    const PLATRESDIR* pDir = PlatGetResourceDir(hModule);
    if (!pDir)
        return;
    std::lock_guard<std::mutex> lock(g_lock);
    g_indexes.erase(pDir);
}

const PLATRESDIR* PlatGetResourceDir(HMODULE hModule)
{
    if (!hModule)
        return nullptr;
    DWORD saved = GetLastError();
    const PLATRESDIR* pDir = reinterpret_cast<const PLATRESDIR*>(GetProcAddress(hModule, PLATRES_SYMBOL));
    SetLastError(saved);
    if (!pDir || pDir->dwMagic != PLATRES_MAGIC || pDir->dwVersion != PLATRES_VERSION ||
        (pDir->cEntries && !pDir->pEntries))
        return nullptr;
    return pDir;
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType)
{
    if (!IS_INTRESOURCE(lpType)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    if (!IS_INTRESOURCE(lpName)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const PLATRESENTRY* e = _Find(hModule, (DWORD)(ULONG_PTR)lpType, (DWORD)(ULONG_PTR)lpName);
    return reinterpret_cast<HRSRC>(const_cast<PLATRESENTRY*>(e));
}

HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage)
{
    return FindResourceW(hModule, lpName, lpType);
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<void*>(reinterpret_cast<const PLATRESENTRY*>(hResInfo)->pData);
}

LPVOID LockResource(HGLOBAL hResData)
{
    return hResData;
}

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<const PLATRESENTRY*>(hResInfo)->cbData;
}

BOOL FreeResource(HGLOBAL hResData)
{
    return FALSE;
}

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const PLATRESENTRY* e = _Find(hInstance, PLATRES_TYPE_STRING, uID);
    const WCHAR* text = e ? static_cast<const WCHAR*>(e->pData) : nullptr;
    int len = e ? (int)(e->cbData / sizeof(WCHAR)) : 0;
    if (cchBufferMax == 0) {
        // The caller receives a pointer into the module, not a copy.
        *reinterpret_cast<const WCHAR**>(lpBuffer) = text;
        return len;
    }
    int n = std::min(len, cchBufferMax - 1);
    if (n > 0)
        memcpy(lpBuffer, text, n * sizeof(WCHAR));
    lpBuffer[n] = 0;
    return n;
}
