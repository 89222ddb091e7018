// shellfolder.cpp: SHGetFolderPathW.
//
// The documents folder of the current user: "C:\Users\<user>\Documents"
// on systems from version 6, "C:\Documents and Settings\<user>\My
// Documents" before, as the real systems place it. It is created on the
// first lookup, since every user of a real machine has one.
#include "platform/comdlg/shlobj.h"

#include "platform/windows.h"

#include <atomic>
#include <string>

namespace {

std::atomic<HRESULT> g_hrFail{S_OK};

std::u16string _DocumentsFolder()
{
    WCHAR user[256];
    DWORD cch = 256;
    std::u16string name = GetUserNameW(user, &cch) ? std::u16string(user) : std::u16string(u"User");
    OSVERSIONINFOW vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
    bool bNew = GetVersionExW(&vi) && vi.dwMajorVersion >= 6;
    return bNew ? u"C:\\Users\\" + name + u"\\Documents"
                : u"C:\\Documents and Settings\\" + name + u"\\My Documents";
}

// Creates a folder and its parents; TRUE when it exists afterwards.
BOOL _bMakeFolder(const std::u16string& path)
{
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES)
        return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t cut = path.find_last_of(u'\\');
    if (cut != std::u16string::npos && cut > 2 && !_bMakeFolder(path.substr(0, cut)))
        return FALSE;
    return CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace

HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath)
{
    if (!pszPath)
        return E_INVALIDARG;
    pszPath[0] = 0;
    HRESULT hr = g_hrFail.load();
    if (hr != S_OK)
        return hr;
    std::u16string path;
    switch (csidl & ~CSIDL_FLAG_MASK) {
    case CSIDL_PERSONAL:
        path = _DocumentsFolder();
        break;
    default:
        return E_INVALIDARG;
    }
    if (path.size() >= MAX_PATH)
        return E_FAIL;
    if (!(csidl & CSIDL_FLAG_DONT_VERIFY) && !_bMakeFolder(path))
        return E_FAIL;
    lstrcpynW(pszPath, path.c_str(), MAX_PATH);
    return S_OK;
}

void PlatShellFailFolder(HRESULT hr)
{
    g_hrFail.store(hr);
}
