// profile.cpp: private profile (INI) files.
//
// A file is read whole into lines of 16-bit text, looked up or edited as
// lines, and written back whole. Lines the calls do not understand
// (comments, text before the first section) are kept as they are.
//
// Facts this file relies on:
//  1. A section runs from its "[name]" line to the next line that starts
//     (after blanks) with "["; the first section of a name is the one used.
//  2. A line in a section is an entry when it is not blank: the key is the
//     text before the first "=" (all of it when there is none), the value
//     the text after it; both trimmed of blanks and tabs.
//  3. Every read-modify-write runs under g_profileLock, so two threads of
//     this process never lose each other's changes.
//  4. Writes collect in memory; the file receives them whole (through a
//     temporary file and a rename) at the flush, before any other call
//     touches its path, and at process end. Readers in this process see
//     the collected lines at once.
#include "platform/kernel/profile.h"

#include "platform/kernel/codepage.h"
#include "platform/kernel/files.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/root.h"
#include "platform/kernel/sysutil.h"
#include "platform/kernel/wstr.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum { LINE_OTHER, LINE_SECTION, LINE_ENTRY };

// One line with what a lookup needs from it, worked out once.
struct INILINE {
    std::u16string text;  // the line without its line end
    BYTE eKind;           // LINE_*
    std::u16string fold;  // section or key name in capitals (LINE_OTHER: empty)
};

// Where each section and key is, worked out once per change of the lines'
// layout (a settings file is written in order, each line added at the end,
// which keeps it valid), so a file of thousands of keys is not scanned for
// each one.
struct INIINDEX {
    bool bValid = false;
    std::unordered_map<std::u16string, size_t> sections;  // first header line by name
    std::unordered_map<size_t, size_t> ends;              // header line -> end (SIZE_MAX: file end)
    std::unordered_map<size_t, std::unordered_map<std::u16string, size_t>> keys;  // first line of a key
    size_t lastHeader = SIZE_MAX;
};

struct INIFILE {
    bool bExists;                // the file was there when read
    bool bUtf16;                 // begins with FF FE: UTF-16LE
    std::vector<INILINE> aLines;
    mutable INIINDEX index = {};
};

std::mutex g_profileLock;
std::atomic<unsigned> g_tempCounter{0};

bool _bBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

bool _bHasLineBreak(LPCWSTR psz)
{
    for (; psz && *psz; ++psz)
        if (*psz == u'\r' || *psz == u'\n')
            return true;
    return false;
}

std::u16string _Trim(const std::u16string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && _bBlank(s[b]))
        ++b;
    while (e > b && _bBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool _bSameName(const std::u16string& a, const std::u16string& b)
{
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// The section name of a "[name]" line (without a closing bracket the name
// runs to the end of the line).
bool _bSectionLine(const std::u16string& line, std::u16string& name)
{
    std::u16string t = _Trim(line);
    if (t.empty() || t[0] != u'[')
        return false;
    size_t close = t.find(u']');
    name = _Trim(t.substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1));
    return true;
}

bool _bEntryLine(const std::u16string& line, std::u16string& key, std::u16string& value)
{
    std::u16string t = _Trim(line);
    if (t.empty() || t[0] == u'[')
        return false;
    size_t eq = t.find(u'=');
    key = _Trim(t.substr(0, eq));
    value = eq == std::u16string::npos ? std::u16string() : _Trim(t.substr(eq + 1));
    return true;
}

std::u16string _Fold(std::u16string s)
{
    if (!s.empty())
        CharUpperBuffW(s.data(), (DWORD)s.size());
    return s;
}

INILINE _MakeLine(const std::u16string& text)
{
    INILINE l{text, LINE_OTHER, std::u16string()};
    std::u16string name, value;
    if (_bSectionLine(text, name)) {
        l.eKind = LINE_SECTION;
        l.fold = _Fold(name);
    } else if (_bEntryLine(text, name, value)) {
        l.eKind = LINE_ENTRY;
        l.fold = _Fold(name);
    }
    return l;
}

// Host path of a profile file: a bare name lives in the Windows folder.
std::string _ProfileHost(LPCWSTR lpFileName)
{
    std::u16string w = lpFileName ? std::u16string(lpFileName) : std::u16string(u"win.ini");
    if (w.find_first_of(u"\\/:") == std::u16string::npos)
        w = std::u16string(SYS_WINDOWS_DIR) + u"\\" + w;
    // A settings file is named thousands of times in a row: the host path of
    // the last name is kept while the root stays the same.
    thread_local std::u16string t_last;
    thread_local std::string t_host, t_root;
    std::string root = PlatGetRoot();
    if (w == t_last && root == t_root && !t_host.empty())
        return t_host;
    t_host = PlatHostPath(w.c_str());
    t_last = w;
    t_root = root;
    return t_host;
}

void _SplitLines(const std::u16string& text, std::vector<INILINE>& lines)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && text[j] != u'\r' && text[j] != u'\n')
            ++j;
        lines.push_back(_MakeLine(text.substr(i, j - i)));
        if (j < text.size() && text[j] == u'\r' && j + 1 < text.size() && text[j + 1] == u'\n')
            ++j;
        i = j + 1;
    }
}

bool _bRead(const std::string& host, INIFILE& ini)
{
    ini = INIFILE{false, false, {}, {}};
    int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string bytes;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof(buf));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buf, (size_t)n);
    }
    close(fd);
    ini.bExists = true;
    std::u16string text;
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE) {
        ini.bUtf16 = true;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += (char16_t)((unsigned char)bytes[i] | ((unsigned char)bytes[i + 1] << 8));
    } else if (!bytes.empty()) {
        int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
        if (n > 0) {
            text.resize((size_t)n);
            MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), text.data(), n);
        }
    }
    // A NUL ends the text, as it ends the platform's reading.
    size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos)
        text.resize(nul);
    _SplitLines(text, ini.aLines);
    return true;
}

// Files read or written, by host path. A clean entry stands for its file
// while the file is unchanged (same inode, size and times), so a file read
// key by key is parsed once. A dirty entry holds writes the file has not
// received yet: a settings file is written key by key, thousands of times in
// one save, and writing the whole file each time made a save take seconds.
// A dirty entry goes out whole at the flush call, before any other access to
// its path (PlatProfileFlushHost, called by the file calls), and at process
// end. Used under g_profileLock only.
struct PROFILEFILE {
    bool bDirty;
    bool bStat;  // st holds the file's state when the entry was last clean
    struct stat st;
    INIFILE ini;
};
std::map<std::string, PROFILEFILE> g_files;
std::atomic<int> g_cDirty{0};
// Clean entries kept at most; dirty ones always stay.
const size_t kMaxCleanFiles = 16;

bool _bSameStat(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

void _TrimClean(const std::string& keep)
{
    if (g_files.size() <= kMaxCleanFiles)
        return;
    for (auto it = g_files.begin(); it != g_files.end() && g_files.size() > kMaxCleanFiles;)
        it = !it->second.bDirty && it->first != keep ? g_files.erase(it) : std::next(it);
}

// The file's lines (g_profileLock held; valid until the lock goes); null
// when the file is missing.
INIFILE* _Cached(const std::string& host)
{
    auto it = g_files.find(host);
    if (it != g_files.end() && it->second.bDirty)
        return &it->second.ini;
    struct stat st;
    if (stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        if (it != g_files.end())
            g_files.erase(it);
        return nullptr;
    }
    if (it != g_files.end() && it->second.bStat && _bSameStat(st, it->second.st))
        return &it->second.ini;
    PROFILEFILE& f = g_files[host];
    f.bDirty = false;
    f.bStat = false;
    if (!_bRead(host, f.ini)) {
        g_files.erase(host);
        return nullptr;
    }
    f.st = st;
    f.bStat = true;
    _TrimClean(host);
    return &f.ini;
}

bool _bLoad(const std::string& host, INIFILE& ini)
{
    const INIFILE* p = _Cached(host);
    ini = p ? *p : INIFILE{false, false, {}, {}};
    return p != nullptr;
}

// Whether the file could take a write now: the file, when there, is an
// ordinary writable file, and its folder exists and is writable.
BOOL _bWritable(const std::string& host)
{
    struct stat st;
    if (stat(host.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    size_t slash = host.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : host.substr(0, slash));
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if ((st.st_mode & 0222) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

// Writes the lines through a temporary file in the same folder and renames
// it over the file, so the old file stays whole until the new one is.
BOOL _bWriteOut(const std::string& host, const INIFILE& ini)
{
    std::u16string text;
    size_t cch = 0;
    for (const INILINE& l : ini.aLines)
        cch += l.text.size() + 2;
    text.reserve(cch);
    for (const INILINE& l : ini.aLines)
        text.append(l.text).append(u"\r\n");
    std::string bytes;
    if (ini.bUtf16) {
        bytes.reserve(2 + 2 * text.size());
        bytes = "\xFF\xFE";
        for (char16_t c : text) {
            bytes += (char)(c & 0xFF);
            bytes += (char)(c >> 8);
        }
    } else if (!text.empty()) {
        int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
        if (n <= 0)
            return FALSE;
        bytes.resize((size_t)n);
        WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), bytes.data(), n, nullptr, nullptr);
    }
    if (!_bWritable(host))
        return FALSE;
    struct stat st;
    mode_t mode = stat(host.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0666;
    std::string temp = host + ".~" + std::to_string(getpid()) + "." + std::to_string(++g_tempCounter);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        SysSetErrno(errno, temp);
        return FALSE;
    }
    bool ok = true;
    for (size_t done = 0; done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            SysSetErrno(n < 0 ? errno : ENOSPC, host);
            ok = false;
            break;
        }
        done += (size_t)n;
    }
    if (ok)
        fchmod(fd, mode);
    if (close(fd) != 0 && ok) {
        SysSetErrno(errno, host);
        ok = false;
    }
    if (ok && rename(temp.c_str(), host.c_str()) != 0) {
        SysSetErrno(errno, host);
        ok = false;
    }
    SysPathChanged(host);
    if (!ok) {
        unlink(temp.c_str());
        return FALSE;
    }
    return TRUE;
}

// Writes a dirty entry out; the entry is clean afterwards either way (a
// failed write drops it, so the next read sees the file as it is).
BOOL _bFlush(std::map<std::string, PROFILEFILE>::iterator it)
{
    if (it == g_files.end() || !it->second.bDirty)
        return TRUE;
    --g_cDirty;
    BOOL ok = _bWriteOut(it->first, it->second.ini);
    struct stat st;
    if (ok && stat(it->first.c_str(), &st) == 0) {
        it->second.bDirty = false;
        it->second.st = st;
        it->second.bStat = true;
        it->second.ini.bExists = true;
    } else {
        g_files.erase(it);
    }
    return ok;
}

BOOL _bFlushAll()
{
    BOOL ok = TRUE;
    for (auto it = g_files.begin(); it != g_files.end();) {
        auto next = std::next(it);
        if (!_bFlush(it))
            ok = FALSE;
        it = next;
    }
    return ok;
}

void _FlushAtExit()
{
    std::lock_guard<std::mutex> lock(g_profileLock);
    _bFlushAll();
}

// The entry a write edits: the cached lines, or an empty file when there is
// none; null (with the error set) when the file cannot take a write.
INIFILE* _ForWrite(const std::string& host)
{
    // A file with kept writes was checked when they began; any file call
    // that could change that writes them out first.
    auto it = g_files.find(host);
    if (it != g_files.end() && it->second.bDirty)
        return &it->second.ini;
    if (!_bWritable(host))
        return nullptr;
    INIFILE* p = _Cached(host);
    if (p)
        return p;
    PROFILEFILE& f = g_files[host];
    f = PROFILEFILE{false, false, {}, INIFILE{false, false, {}, {}}};
    return &f.ini;
}

// Records that the lines of host changed.
BOOL _bSave(const std::string& host)
{
    static std::once_flag s_exit;
    std::call_once(s_exit, [] { atexit(_FlushAtExit); });
    PROFILEFILE& f = g_files[host];
    if (!f.bDirty) {
        f.bDirty = true;
        ++g_cDirty;
    }
    return TRUE;
}

void _BuildIndex(const INIFILE& ini)
{
    INIINDEX& x = ini.index;
    x = INIINDEX();
    size_t header = SIZE_MAX;
    for (size_t i = 0; i < ini.aLines.size(); ++i) {
        const INILINE& l = ini.aLines[i];
        if (l.eKind == LINE_SECTION) {
            if (header != SIZE_MAX)
                x.ends[header] = i;
            header = i;
            x.sections.emplace(l.fold, i);
            x.keys[i];
        } else if (l.eKind == LINE_ENTRY && header != SIZE_MAX) {
            x.keys[header].emplace(l.fold, i);
        }
    }
    if (header != SIZE_MAX)
        x.ends[header] = SIZE_MAX;
    x.lastHeader = header;
    x.bValid = true;
}

// Index of the first "[name]" line, or -1; *pEnd receives where the
// section ends.
long _FindSection(const INIFILE& ini, const std::u16string& wanted, size_t* pEnd)
{
    if (!ini.index.bValid)
        _BuildIndex(ini);
    auto it = ini.index.sections.find(_Fold(_Trim(wanted)));
    if (it == ini.index.sections.end())
        return -1;
    if (pEnd) {
        size_t e = ini.index.ends[it->second];
        *pEnd = e == SIZE_MAX ? ini.aLines.size() : e;
    }
    return (long)it->second;
}

// Index of the key's line in the section [from, to), or -1.
long _FindKey(const INIFILE& ini, size_t from, size_t to, const std::u16string& wanted)
{
    if (!ini.index.bValid)
        _BuildIndex(ini);
    auto sec = ini.index.keys.find(from - 1);
    if (sec == ini.index.keys.end())
        return -1;
    auto it = sec->second.find(_Fold(_Trim(wanted)));
    if (it == sec->second.end() || it->second < from || it->second >= to)
        return -1;
    return (long)it->second;
}

// The last line was just added at the end of the file: a header, or a key
// of header sec. Anything else the index cannot follow drops it.
void _IndexAppended(INIFILE& ini, size_t sec)
{
    INIINDEX& x = ini.index;
    if (!x.bValid)
        return;
    size_t i = ini.aLines.size() - 1;
    const INILINE& l = ini.aLines[i];
    if (l.eKind == LINE_SECTION) {
        if (x.lastHeader != SIZE_MAX)
            x.ends[x.lastHeader] = i;
        x.sections.emplace(l.fold, i);
        x.ends[i] = SIZE_MAX;
        x.keys[i];
        x.lastHeader = i;
    } else if (l.eKind == LINE_ENTRY && sec == x.lastHeader) {
        x.keys[sec].emplace(l.fold, i);
    } else {
        x.bValid = false;
    }
}

// Writes a list of strings (each NUL-terminated, one more NUL at the end)
// into out; a list that does not fit is cut and ends in two NULs.
DWORD _CopyList(const std::vector<std::u16string>& items, LPWSTR out, DWORD nSize)
{
    if (!out || nSize == 0)
        return 0;
    if (nSize == 1) {
        out[0] = 0;
        return 0;
    }
    DWORD pos = 0;
    for (const std::u16string& s : items) {
        if (pos + s.size() + 2 <= nSize) {
            std::copy(s.begin(), s.end(), out + pos);
            pos += (DWORD)s.size();
            out[pos++] = 0;
            continue;
        }
        DWORD room = nSize - 2 > pos ? nSize - 2 - pos : 0;
        std::copy(s.begin(), s.begin() + room, out + pos);
        out[nSize - 2] = 0;
        out[nSize - 1] = 0;
        SetLastError(ERROR_MORE_DATA);
        return nSize - 2;
    }
    out[pos] = 0;
    if (pos == 0)
        out[1] = 0;
    return pos;
}

DWORD _CopyValue(const std::u16string& s, LPWSTR out, DWORD nSize)
{
    if (!out || nSize == 0)
        return 0;
    if (s.size() < nSize) {
        std::copy(s.begin(), s.end(), out);
        out[s.size()] = 0;
        return (DWORD)s.size();
    }
    std::copy(s.begin(), s.begin() + (nSize - 1), out);
    out[nSize - 1] = 0;
    SetLastError(ERROR_MORE_DATA);
    return nSize - 1;
}

// The value of a key as a profile read answers it: one pair of matching
// quotes around it is dropped.
std::u16string _Unquote(const std::u16string& v)
{
    if (v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

// Reads the value of section/key; false when the file, section or key is
// missing.
bool _bReadValue(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpFileName, std::u16string& value, bool& bFile)
{
    std::string host = _ProfileHost(lpFileName);
    std::lock_guard<std::mutex> lock(g_profileLock);
    const INIFILE* pIni = _Cached(host);
    bFile = pIni != nullptr;
    size_t end = 0;
    long sec = bFile ? _FindSection(*pIni, lpAppName, &end) : -1;
    long line = sec >= 0 ? _FindKey(*pIni, (size_t)sec + 1, end, lpKeyName) : -1;
    if (line < 0)
        return false;
    std::u16string k;
    _bEntryLine(pIni->aLines[(size_t)line].text, k, value);
    value = _Unquote(value);
    return true;
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (lpAppName && lpKeyName) {
        std::u16string value;
        bool bFile = false;
        if (!_bReadValue(lpAppName, lpKeyName, lpFileName, value, bFile)) {
            // Trailing blanks of the default are not part of it.
            value = SysWide(lpDefault);
            while (!value.empty() && _bBlank(value.back()))
                value.pop_back();
            SetLastError(bFile ? NO_ERROR : ERROR_FILE_NOT_FOUND);
        } else {
            SetLastError(NO_ERROR);
        }
        return _CopyValue(value, lpReturnedString, nSize);
    }

    INIFILE ini;
    bool bFile;
    {
        std::lock_guard<std::mutex> lock(g_profileLock);
        bFile = _bLoad(_ProfileHost(lpFileName), ini);
    }
    SetLastError(bFile ? NO_ERROR : ERROR_FILE_NOT_FOUND);
    std::vector<std::u16string> items;
    std::u16string n, v;
    if (!lpAppName) {
        for (const INILINE& l : ini.aLines) {
            if (!_bSectionLine(l.text, n))
                continue;
            bool bSeen = false;
            for (const std::u16string& s : items)
                bSeen = bSeen || _bSameName(s, n);
            if (!bSeen)
                items.push_back(n);
        }
    } else {
        size_t end = 0;
        long sec = _FindSection(ini, lpAppName, &end);
        for (size_t i = sec >= 0 ? (size_t)sec + 1 : end; i < end; ++i)
            if (_bEntryLine(ini.aLines[i].text, n, v))
                items.push_back(n);
    }
    return _CopyList(items, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName)
{
    if (!lpAppName || !lpKeyName)
        return (UINT)nDefault;
    std::u16string value;
    bool bFile = false;
    if (!_bReadValue(lpAppName, lpKeyName, lpFileName, value, bFile) || value.empty())
        return (UINT)nDefault;
    size_t i = 0;
    while (i < value.size() && _bBlank(value[i]))
        ++i;
    bool bNeg = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+'))
        bNeg = value[i++] == u'-';
    UINT result = 0;
    if (i + 1 < value.size() && value[i] == u'0' && (value[i + 1] == u'x' || value[i + 1] == u'X')) {
        for (i += 2; i < value.size(); ++i) {
            char16_t c = value[i];
            UINT d = c >= u'0' && c <= u'9' ? c - u'0'
                     : c >= u'a' && c <= u'f' ? c - u'a' + 10
                     : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                              : 16;
            if (d == 16)
                break;
            result = result * 16 + d;
        }
    } else {
        for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i)
            result = result * 10 + (UINT)(value[i] - u'0');
    }
    return bNeg ? 0u - result : result;
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    if (!lpAppName && !lpKeyName && !lpString) {
        // The flush: the named file, or every file this process wrote.
        std::lock_guard<std::mutex> lock(g_profileLock);
        if (!lpFileName)
            return _bFlushAll();
        return _bFlush(g_files.find(_ProfileHost(lpFileName)));
    }
    if (!lpAppName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A line break would start another line of the file: a value carrying
    // one would come back as other keys and sections.
    if (_bHasLineBreak(lpAppName) || _bHasLineBreak(lpKeyName) || _bHasLineBreak(lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string host = _ProfileHost(lpFileName);
    std::lock_guard<std::mutex> lock(g_profileLock);
    INIFILE* pIni = _ForWrite(host);
    if (!pIni)
        return FALSE;
    INIFILE& ini = *pIni;
    size_t end = 0;
    long sec = _FindSection(ini, lpAppName, &end);

    if (!lpKeyName) {
        bool bChanged = false;
        while (sec >= 0) {
            ini.aLines.erase(ini.aLines.begin() + sec, ini.aLines.begin() + (long)end);
            ini.index.bValid = false;
            bChanged = true;
            sec = _FindSection(ini, lpAppName, &end);
        }
        return bChanged ? _bSave(host) : TRUE;
    }
    if (!lpString) {
        long line = sec >= 0 ? _FindKey(ini, (size_t)sec + 1, end, lpKeyName) : -1;
        if (line < 0)
            return TRUE;
        ini.aLines.erase(ini.aLines.begin() + line);
        ini.index.bValid = false;
        return _bSave(host);
    }

    std::u16string key = _Trim(lpKeyName);
    if (sec < 0) {
        ini.aLines.push_back(_MakeLine(u"[" + _Trim(lpAppName) + u"]"));
        _IndexAppended(ini, SIZE_MAX);
        ini.aLines.push_back(_MakeLine(key + u"=" + lpString));
        _IndexAppended(ini, ini.aLines.size() - 2);
        return _bSave(host);
    }
    long line = _FindKey(ini, (size_t)sec + 1, end, key);
    if (line >= 0) {
        std::u16string k, v;
        _bEntryLine(ini.aLines[(size_t)line].text, k, v);
        std::u16string newLine = k + u"=" + lpString;
        if (ini.aLines[(size_t)line].text == newLine)
            return TRUE;
        ini.aLines[(size_t)line] = _MakeLine(newLine);
        return _bSave(host);
    }
    // A new key goes after the section's last non-blank line, so a blank
    // line that parts it from the next section stays where it is.
    size_t at = end;
    while (at > (size_t)sec + 1 && _Trim(ini.aLines[at - 1].text).empty())
        --at;
    ini.aLines.insert(ini.aLines.begin() + (long)at, _MakeLine(key + u"=" + lpString));
    if (at + 1 == ini.aLines.size())
        _IndexAppended(ini, (size_t)sec);
    else
        ini.index.bValid = false;
    return _bSave(host);
}

DWORD GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0 || !lpAppName) {
        if (lpReturnedString && nSize)
            lpReturnedString[0] = 0;
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    INIFILE ini;
    bool bFile;
    {
        std::lock_guard<std::mutex> lock(g_profileLock);
        bFile = _bLoad(_ProfileHost(lpFileName), ini);
    }
    SetLastError(bFile ? NO_ERROR : ERROR_FILE_NOT_FOUND);
    std::vector<std::u16string> items;
    size_t end = 0;
    long sec = _FindSection(ini, lpAppName, &end);
    std::u16string k, v;
    for (size_t i = sec >= 0 ? (size_t)sec + 1 : end; i < end; ++i) {
        if (!_bEntryLine(ini.aLines[i].text, k, v))
            continue;
        std::u16string t = _Trim(ini.aLines[i].text);
        items.push_back(t.find(u'=') == std::u16string::npos ? t : k + u"=" + v);
    }
    return _CopyList(items, lpReturnedString, nSize);
}

BOOL WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    if (!lpAppName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!lpString)
        return WritePrivateProfileStringW(lpAppName, nullptr, nullptr, lpFileName);
    std::vector<INILINE> entries;
    for (LPCWSTR p = lpString; *p; p += lstrlenW(p) + 1) {
        if (_bHasLineBreak(p)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        entries.push_back(_MakeLine(p));
    }
    std::string host = _ProfileHost(lpFileName);
    std::lock_guard<std::mutex> lock(g_profileLock);
    INIFILE* pIni = _ForWrite(host);
    if (!pIni)
        return FALSE;
    INIFILE& ini = *pIni;
    size_t end = 0;
    long sec = _FindSection(ini, lpAppName, &end);
    if (sec < 0) {
        ini.aLines.push_back(_MakeLine(u"[" + _Trim(lpAppName) + u"]"));
        ini.aLines.insert(ini.aLines.end(), entries.begin(), entries.end());
        ini.index.bValid = false;
    } else {
        // Blank lines at the section's end keep parting it from the next.
        size_t at = end;
        while (at > (size_t)sec + 1 && _Trim(ini.aLines[at - 1].text).empty())
            --at;
        ini.aLines.erase(ini.aLines.begin() + sec + 1, ini.aLines.begin() + (long)at);
        ini.aLines.insert(ini.aLines.begin() + sec + 1, entries.begin(), entries.end());
    }
    ini.index.bValid = false;
    return _bSave(host);
}

DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName)
{
    return GetPrivateProfileStringW(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

void PlatProfileForgetHost(const std::string& host)
{
    std::lock_guard<std::mutex> lock(g_profileLock);
    auto it = g_files.find(host);
    if (it != g_files.end() && !it->second.bDirty)
        g_files.erase(it);
}

BOOL PlatProfileFlushHost(const std::string& host)
{
    if (g_cDirty.load() == 0)
        return TRUE;
    std::lock_guard<std::mutex> lock(g_profileLock);
    return _bFlush(g_files.find(host));
}
