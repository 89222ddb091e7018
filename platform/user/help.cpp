// help.cpp: WinHelpW and HtmlHelpW, recorded and told.
//
// The machine has no help viewer: each call is recorded, and the help it
// would show is printed on the standard output, one line, so a person who
// presses Help or F1 sees which file and topic it is:
//   help: C:\...\Q730MVHZ.hlp, topic 2002
//   help: C:\...\Q730MVHZ.hlp, pop-up topic 2102 of control 111
// with "(the file is not there)" after a file that does not exist.
#include "platform/comdlg/winhelp.h"

#include "platform/windows.h"

#include <cstdio>
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

std::string _Utf8(const std::u16string& w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, (LPCWSTR)w.c_str(), (int)w.size(), NULL, 0, NULL, NULL);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, (LPCWSTR)w.c_str(), (int)w.size(), &s[0], n, NULL, NULL);
    return s;
}

// The topic the pairs give the control hwnd: its context, 0 when the pairs
// do not name it.
DWORD _ControlTopic(const HELPREC& r, int* pId)
{
    *pId = GetDlgCtrlID(r.hwnd);
    for (size_t i = 0; i + 1 < r.pairs.size(); i += 2)
        if ((int)r.pairs[i] == *pId)
            return r.pairs[i + 1];
    return 0;
}

// Tells what the call would show.
void _Tell(const HELPREC& r)
{
    std::string file = _Utf8(r.file);
    std::string what;
    char sz[96];
    UINT uContext = r.bHtml ? HH_HELP_CONTEXT : HELP_CONTEXT;
    if (!r.bHtml && r.uCommand == HELP_QUIT) {
        printf("help: closed\n");
        fflush(stdout);
        return;
    }
    if (r.bHtml && r.uCommand == HH_CLOSE_ALL) {
        printf("help: closed\n");
        fflush(stdout);
        return;
    }
    if (r.uCommand == uContext) {
        snprintf(sz, sizeof(sz), ", topic %lu", (unsigned long)r.dwData);
        what = sz;
    } else if (!r.bHtml && (r.uCommand == HELP_WM_HELP || r.uCommand == HELP_CONTEXTMENU)) {
        int id = 0;
        DWORD dwTopic = _ControlTopic(r, &id);
        const char* pszHow = r.uCommand == HELP_WM_HELP ? "pop-up" : "\"What's This?\" menu and pop-up";
        if (dwTopic)
            snprintf(sz, sizeof(sz), ", %s topic %lu of control %d", pszHow, (unsigned long)dwTopic, id);
        else
            snprintf(sz, sizeof(sz), ", no topic for control %d", id);
        what = sz;
    } else if ((!r.bHtml && (r.uCommand == HELP_CONTENTS || r.uCommand == HELP_FINDER)) ||
               (r.bHtml && r.uCommand == HH_DISPLAY_TOC)) {
        what = ", contents";
    } else {
        snprintf(sz, sizeof(sz), ", command 0x%X", r.uCommand);
        what = sz;
    }
    // The file part of a compiled help name ends at "::" or ">".
    std::u16string path = r.file;
    size_t cut = path.find(u"::");
    if (cut != std::u16string::npos)
        path.resize(cut);
    cut = path.find(u'>');
    if (cut != std::u16string::npos)
        path.resize(cut);
    DWORD attr = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW((LPCWSTR)path.c_str());
    DWORD dwError = GetLastError();
    bool bThere = attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
    printf("help: %s%s%s\n", file.c_str(), what.c_str(), bThere ? "" : " (the file is not there)");
    fflush(stdout);
    SetLastError(dwError);
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
    _Tell(r);
    _Record(std::move(r));
    return TRUE;
}

HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData)
{
    HELPREC r{TRUE, hwndCaller, pszFile ? std::u16string(pszFile) : std::u16string(), uCommand, dwData, {}, false};
    _Tell(r);
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
