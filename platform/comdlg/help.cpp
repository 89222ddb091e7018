// help.cpp: WinHelpW and HtmlHelpW, recorded.
#include "platform/comdlg/winhelp.h"

#include "platform/windows.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct HELPREC {
    BOOL bHtml;
    HWND hwnd;
    std::u16string file;
    UINT uCommand;
    ULONG_PTR dwData;
    std::vector<DWORD> pairs;
    bool bPairs;
};

std::mutex g_lock;
std::deque<HELPREC> g_calls;  // a deque: recorded texts never move

// The pair tables of a help request end in a zero control id; a table
// without one is read no further than any real dialog has controls.
const DWORD kMaxPairs = 4096;

void _Record(HELPREC&& r)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_calls.push_back(std::move(r));
}

}  // namespace

BOOL WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData)
{
    if ((!lpszHelp || !*lpszHelp) && uCommand != HELP_QUIT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HELPREC r{FALSE, hWndMain, lpszHelp ? std::u16string(lpszHelp) : std::u16string(), uCommand, dwData, {}, false};
    if ((uCommand == HELP_WM_HELP || uCommand == HELP_CONTEXTMENU) && dwData) {
        const DWORD* p = reinterpret_cast<const DWORD*>(dwData);
        for (DWORD i = 0; i < kMaxPairs && p[2 * i] != 0; ++i) {
            r.pairs.push_back(p[2 * i]);
            r.pairs.push_back(p[2 * i + 1]);
        }
        r.bPairs = true;
    }
    _Record(std::move(r));
    return TRUE;
}

HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData)
{
    HELPREC r{TRUE, hwndCaller, pszFile ? std::u16string(pszFile) : std::u16string(), uCommand, dwData, {}, false};
    _Record(std::move(r));
    if (uCommand == HH_CLOSE_ALL)
        return nullptr;
    if (!pszFile || uCommand > HH_CLOSE_ALL)
        return nullptr;
    // The file part ends at "::" (a topic inside) or ">" (a window name).
    std::u16string file(pszFile);
    size_t cut = file.find(u"::");
    if (cut != std::u16string::npos)
        file.resize(cut);
    cut = file.find(u'>');
    if (cut != std::u16string::npos)
        file.resize(cut);
    DWORD attr = GetFileAttributesW(file.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    return hwndCaller;
}

int PlatHelpCount()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return (int)g_calls.size();
}

BOOL PlatHelpGet(int i, PLATHELPCALL* pCall)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!pCall || i < 0 || i >= (int)g_calls.size())
        return FALSE;
    const HELPREC& r = g_calls[i];
    pCall->bHtml = r.bHtml;
    pCall->hwnd = r.hwnd;
    pCall->pszFile = r.file.c_str();
    pCall->uCommand = r.uCommand;
    pCall->dwData = r.dwData;
    pCall->pPairs = r.bPairs ? r.pairs.data() : nullptr;
    pCall->cPairs = (DWORD)(r.pairs.size() / 2);
    return TRUE;
}

void PlatHelpReset()
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_calls.clear();
}
