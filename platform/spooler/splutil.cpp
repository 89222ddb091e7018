// splutil.cpp: folders and host paths for the spooler and its installer.
#include "platform/spooler/splutil.h"

#include "platform/kernel/codepage.h"
#include "platform/kernel/files.h"
#include "platform/kernel/kernel.h"

#include <vector>

BOOL SplMakeFolders(LPCWSTR pszPath)
{
    if (!pszPath || !*pszPath)
        return FALSE;
    std::u16string path(pszPath);
    while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/'))
        path.pop_back();
    // Every prefix that ends before a separator is one folder level; the
    // drive ("C:") and the host root ("") are not made.
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != u'\\' && path[i] != u'/')
            continue;
        std::u16string level = path.substr(0, i);
        if (level.size() == 2 && level[1] == u':')
            continue;
        DWORD attrs = GetFileAttributesW(level.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES)
            continue;
        CreateDirectoryW(level.c_str(), nullptr);
    }
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string SplFromHostPath(const char* pszHostPath)
{
    if (!pszHostPath || !*pszHostPath)
        return u"";
    int n = MultiByteToWideChar(CP_UTF8, 0, pszHostPath, -1, nullptr, 0);
    if (n <= 0)
        return u"";
    std::vector<WCHAR> buf(n);
    MultiByteToWideChar(CP_UTF8, 0, pszHostPath, -1, buf.data(), n);
    return std::u16string(buf.data());
}
