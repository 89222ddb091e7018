// filedlg.cpp: GetOpenFileNameW and GetSaveFileNameW.
//
// A dialog records its request, then takes the scripted user's answers one
// by one, as a person types names into the real dialog until one is
// accepted. Rules the dialog keeps:
//  1. A relative name is taken from the dialog's folder: lpstrInitialDir,
//     else the folder of the caller's initial file, else C:\.
//  2. A name naming a folder opens that folder; the next answer is taken
//     from there.
//  3. A name without an extension gets lpstrDefExt; a name that ends in a
//     dot keeps no extension and nFileExtension 0.
//  4. A refused name (a check failed, or "No" to a question) keeps the
//     dialog open; no answer left is Cancel.
//  5. Nothing reaches the caller's buffers unless a name is accepted, and
//     then only within nMaxFile / nMaxFileTitle.
#include "platform/comdlg/commdlg.h"

#include "platform/windows.h"
#if __has_include("platform/gdi/msgbox.h")
#include "platform/gdi/msgbox.h"
#endif

#include <deque>
#include <mutex>
#include <string>

namespace {

struct FDANSWER {
    bool bCancel;
    std::u16string name;
    DWORD nFilter;
};

struct FDREQUEST {
    BOOL bSave;
    HWND hwndOwner;
    bool bTitle, bInitialDir, bDefExt;
    std::u16string title, filter, initialDir, initialFile, defExt;
    DWORD nFilterIndex;
    DWORD dwFlags;
};

std::mutex g_lock;
std::deque<FDANSWER> g_answers;
std::deque<FDREQUEST> g_requests;  // a deque: recorded texts never move
thread_local DWORD t_dlgError = 0;

std::u16string _Str(LPCWSTR p)
{
    return p ? std::u16string(p) : std::u16string();
}

// The filter's units up to (not including) its closing double terminator,
// and the number of complete text/pattern pairs in it.
std::u16string _FilterText(LPCWSTR p, DWORD* pcPairs)
{
    std::u16string out;
    DWORD cStrings = 0;
    if (p) {
        while (*p) {
            std::u16string s(p);
            out += s;
            out.push_back(0);
            p += s.size() + 1;
            ++cStrings;
        }
        if (!out.empty())
            out.pop_back();
    }
    *pcPairs = cStrings / 2;
    return out;
}

bool _bAbsolute(const std::u16string& s)
{
    return (s.size() >= 2 && s[1] == u':') || (s.size() >= 2 && s[0] == u'\\' && s[1] == u'\\');
}

std::u16string _Folder(const std::u16string& path)
{
    size_t cut = path.find_last_of(u"\\/");
    if (cut == std::u16string::npos)
        return std::u16string();
    if (cut == 2 && path[1] == u':')
        return path.substr(0, 3);  // "C:\" keeps its backslash
    return path.substr(0, cut);
}

std::u16string _Join(const std::u16string& folder, const std::u16string& name)
{
    if (_bAbsolute(name))
        return name;
    if (!name.empty() && (name[0] == u'\\' || name[0] == u'/'))
        return (folder.size() >= 2 && folder[1] == u':' ? folder.substr(0, 2) : u"C:") + name;
    if (folder.empty())
        return u"C:\\" + name;
    if (folder.back() == u'\\' || folder.back() == u'/')
        return folder + name;
    return folder + u"\\" + name;
}

std::u16string _FullPath(const std::u16string& path)
{
    WCHAR buf[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buf, nullptr);
    return n && n < MAX_PATH * 4 ? std::u16string(buf, n) : path;
}

// Shows one of the dialog's own questions or warnings and answers the
// button pressed.
int _Ask(const FDREQUEST& rq, const std::u16string& path, const char16_t* pszText, UINT uType)
{
    std::u16string caption = rq.bTitle ? rq.title : (rq.bSave ? u"Save As" : u"Open");
    std::u16string text = path + u"\n" + pszText;
    return MessageBoxW(rq.hwndOwner, text.c_str(), caption.c_str(), uType);
}

// Writes the accepted path into the caller's record; FALSE (with the fault
// set) when it does not fit.
BOOL _bAccept(LPOPENFILENAMEW p, const FDREQUEST& rq, const std::u16string& path, DWORD nIndex, bool bFinalDot)
{
    if (path.size() + 1 > p->nMaxFile || path.size() + 1 > 0xFFFF) {
        // The caller learns the size it needs from the first WORD.
        if (p->nMaxFile >= 1)
            p->lpstrFile[0] = (WCHAR)(path.size() + 1 > 0xFFFF ? 0xFFFF : path.size() + 1);
        t_dlgError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::copy(path.begin(), path.end(), p->lpstrFile);
    p->lpstrFile[path.size()] = 0;

    size_t nameAt = path.find_last_of(u"\\/");
    nameAt = nameAt == std::u16string::npos ? 0 : nameAt + 1;
    std::u16string name = path.substr(nameAt);
    size_t dot = name.rfind(u'.');
    WORD nExt;
    if (bFinalDot || (dot != std::u16string::npos && dot + 1 == name.size()))
        nExt = 0;                  // typed a final dot (the path drops it)
    else if (dot == std::u16string::npos)
        nExt = (WORD)path.size();  // no extension: the terminator
    else
        nExt = (WORD)(nameAt + dot + 1);
    p->nFileOffset = (WORD)nameAt;
    p->nFileExtension = nExt;

    if (p->lpstrFileTitle && p->nMaxFileTitle > 0)
        lstrcpynW(p->lpstrFileTitle, name.c_str(), (int)p->nMaxFileTitle);

    p->Flags &= ~(DWORD)OFN_EXTENSIONDIFFERENT;
    if (rq.bDefExt) {
        std::u16string ext = dot == std::u16string::npos ? std::u16string() : name.substr(dot + 1);
        if (lstrcmpiW(ext.c_str(), rq.defExt.c_str()) != 0)
            p->Flags |= OFN_EXTENSIONDIFFERENT;
    }
    p->nFilterIndex = nIndex;
    return TRUE;
}

BOOL _bRunFileDialog(LPOPENFILENAMEW p, BOOL bSave)
{
    t_dlgError = 0;
    if (!p) {
        t_dlgError = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (p->lStructSize != sizeof(OPENFILENAMEW) && p->lStructSize != OPENFILENAME_SIZE_VERSION_400W) {
        t_dlgError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!p->lpstrFile) {
        t_dlgError = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (p->nMaxFile == 0) {
        t_dlgError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    if ((p->Flags & OFN_ENABLEHOOK) && !p->lpfnHook) {
        t_dlgError = CDERR_NOHOOK;
        return FALSE;
    }

    FDREQUEST rq;
    rq.bSave = bSave;
    rq.hwndOwner = p->hwndOwner;
    rq.bTitle = p->lpstrTitle != nullptr;
    rq.title = _Str(p->lpstrTitle);
    DWORD cPairs = 0;
    rq.filter = _FilterText(p->lpstrFilter, &cPairs);
    rq.bInitialDir = p->lpstrInitialDir != nullptr;
    rq.initialDir = _Str(p->lpstrInitialDir);
    // The caller's buffer may hold no terminator within nMaxFile.
    size_t cchInit = 0;
    while (cchInit < p->nMaxFile && p->lpstrFile[cchInit])
        ++cchInit;
    rq.initialFile.assign(p->lpstrFile, cchInit);
    rq.bDefExt = p->lpstrDefExt != nullptr && p->lpstrDefExt[0] != 0;
    rq.defExt = _Str(p->lpstrDefExt);
    rq.nFilterIndex = p->nFilterIndex;
    rq.dwFlags = p->Flags;

    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_requests.push_back(rq);
    }

    DWORD nIndex = cPairs == 0 ? 0 : (p->nFilterIndex >= 1 && p->nFilterIndex <= cPairs ? p->nFilterIndex : 1);
    std::u16string folder = !rq.initialDir.empty() ? rq.initialDir : _Folder(rq.initialFile);
    if (folder.empty())
        folder = u"C:\\";

    for (;;) {
        FDANSWER a;
        {
            std::lock_guard<std::mutex> lock(g_lock);
            if (g_answers.empty())
                return FALSE;  // the user closed the dialog
            a = g_answers.front();
            g_answers.pop_front();
        }
        if (a.bCancel)
            return FALSE;
        if (a.nFilter >= 1 && a.nFilter <= cPairs)
            nIndex = a.nFilter;
        if (a.name.empty())
            continue;  // OK with an empty name does nothing

        std::u16string typed = a.name;
        size_t nameAt = typed.find_last_of(u"\\/");
        std::u16string name = nameAt == std::u16string::npos ? typed : typed.substr(nameAt + 1);
        if (name.find_first_of(u"<>\"|*?") != std::u16string::npos) {
            _Ask(rq, typed, u"The file name is not valid.", MB_OK | MB_ICONWARNING);
            continue;
        }

        std::u16string path = _FullPath(_Join(folder, typed));
        DWORD attr = GetFileAttributesW(path.c_str());
        if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) {
            folder = path;
            continue;
        }
        if (!name.empty() && name.find(u'.') == std::u16string::npos && rq.bDefExt) {
            path += u"." + rq.defExt;
            attr = GetFileAttributesW(path.c_str());
        }
        bool bExists = attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);

        std::u16string parent = _Folder(path);
        DWORD pattr = GetFileAttributesW(parent.c_str());
        bool bParent = pattr != INVALID_FILE_ATTRIBUTES && (pattr & FILE_ATTRIBUTE_DIRECTORY);
        if (!bParent && (p->Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST))) {
            _Ask(rq, path, u"The path does not exist.\nCheck the path and try again.", MB_OK | MB_ICONWARNING);
            continue;
        }
        if (!bExists && (p->Flags & OFN_FILEMUSTEXIST)) {
            _Ask(rq, path, u"File not found.\nCheck the file name and try again.", MB_OK | MB_ICONWARNING);
            continue;
        }
        if (!bExists && (p->Flags & OFN_CREATEPROMPT) &&
            _Ask(rq, path, u"This file does not exist.\nDo you want to create it?", MB_YESNO | MB_ICONQUESTION) != IDYES)
            continue;
        if (bExists && bSave && (p->Flags & OFN_OVERWRITEPROMPT) &&
            _Ask(rq, path, u"This file already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING) != IDYES)
            continue;
        if (bExists && (attr & FILE_ATTRIBUTE_READONLY) && (p->Flags & OFN_NOREADONLYRETURN)) {
            _Ask(rq, path, u"This file is set to read-only.\nTry again with a different file name.", MB_OK | MB_ICONWARNING);
            continue;
        }
        return _bAccept(p, rq, path, nIndex, !name.empty() && name.back() == u'.');
    }
}

}  // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW lpofn)
{
    return _bRunFileDialog(lpofn, FALSE);
}

BOOL GetSaveFileNameW(LPOPENFILENAMEW lpofn)
{
    return _bRunFileDialog(lpofn, TRUE);
}

DWORD CommDlgExtendedError()
{
    return t_dlgError;
}

void PlatFileDlgPushAnswer(LPCWSTR pszName, DWORD nFilter)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!pszName)
        g_answers.push_back(FDANSWER{true, std::u16string(), 0});
    else
        g_answers.push_back(FDANSWER{false, std::u16string(pszName), nFilter});
}

void PlatFileDlgPushCancel()
{
    PlatFileDlgPushAnswer(nullptr, 0);
}

int PlatFileDlgCount()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return (int)g_requests.size();
}

BOOL PlatFileDlgGet(int i, PLATFILEDLGREQUEST* pReq)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!pReq || i < 0 || i >= (int)g_requests.size())
        return FALSE;
    const FDREQUEST& r = g_requests[i];
    pReq->bSave = r.bSave;
    pReq->hwndOwner = r.hwndOwner;
    pReq->pszTitle = r.bTitle ? r.title.c_str() : nullptr;
    pReq->pszFilter = r.filter.c_str();
    pReq->cchFilter = (DWORD)r.filter.size();
    pReq->nFilterIndex = r.nFilterIndex;
    pReq->pszInitialDir = r.bInitialDir ? r.initialDir.c_str() : nullptr;
    pReq->pszInitialFile = r.initialFile.c_str();
    pReq->pszDefExt = r.bDefExt ? r.defExt.c_str() : nullptr;
    pReq->dwFlags = r.dwFlags;
    return TRUE;
}

void PlatFileDlgReset()
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_requests.clear();
    g_answers.clear();
}
