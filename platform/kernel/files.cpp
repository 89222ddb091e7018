// files.cpp: files, folders and temporary files over the host's POSIX calls.
//
// Owns: PlatHostPath, the table of open files (for share modes and
// delete-on-close), the attributes the host cannot keep (hidden, system,
// archive, temporary), and every file call of files.h.
//
// Facts this file relies on:
//  1. Every open file object is in g_openFiles from CreateFileW until its
//     handle's close function runs; the list, the attribute table and every
//     check-then-act sequence (share check and open, delete, move) run under
//     g_filesLock, so two threads never both pass a share check.
//  2. Lock order: g_filesLock, then the handle table's lock. Close functions
//     run outside the handle table's lock and take g_filesLock themselves.
//  3. A file's identity for sharing is its host device and inode.
#include "platform/kernel/files.h"
#include "platform/kernel/profile.h"

#include "platform/kernel/codepage.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/root.h"
#include "platform/kernel/sysutil.h"
#include "platform/kernel/system.h"
#include "platform/kernel/wstr.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

// ---------------------------------------------------------------------------
// Shared helpers (sysutil.h)
// ---------------------------------------------------------------------------

std::u16string SysWide(LPCWSTR psz)
{
    return psz ? std::u16string(psz) : std::u16string();
}

std::string SysUtf8(const std::u16string& s)
{
    if (s.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), out.data(), n, nullptr, nullptr);
    return out;
}

std::string SysUtf8(LPCWSTR psz)
{
    return SysUtf8(SysWide(psz));
}

std::u16string SysUtf16(const std::string& s)
{
    if (s.empty())
        return std::u16string();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0);
    if (n <= 0)
        return std::u16string();
    std::u16string out((size_t)n, u'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), out.data(), n);
    return out;
}

DWORD SysCopyOut(const std::u16string& s, LPWSTR pBuf, DWORD cch)
{
    if (!pBuf || cch < s.size() + 1)
        return (DWORD)s.size() + 1;
    std::copy(s.begin(), s.end(), pBuf);
    pBuf[s.size()] = 0;
    return (DWORD)s.size();
}

namespace {

std::string _Parent(const std::string& host)
{
    size_t slash = host.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : host.substr(0, slash);
}

bool _bIsDir(const std::string& host)
{
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void SysSetErrno(int e, const std::string& hostPath)
{
    switch (e) {
    case ENOENT:
        SetLastError(_bIsDir(_Parent(hostPath)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        break;
    case ENOTDIR:
        SetLastError(ERROR_PATH_NOT_FOUND);
        break;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EBUSY:
        SetLastError(ERROR_ACCESS_DENIED);
        break;
    case EEXIST:
        SetLastError(ERROR_FILE_EXISTS);
        break;
    case ENOTEMPTY:
        SetLastError(ERROR_DIR_NOT_EMPTY);
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        SetLastError(ERROR_DISK_FULL);
        break;
    case EMFILE:
    case ENFILE:
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        break;
    case ENAMETOOLONG:
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        break;
    case ENOMEM:
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        break;
    case EINVAL:
        SetLastError(ERROR_INVALID_PARAMETER);
        break;
    default:
        SetLastError(ERROR_INVALID_FUNCTION);
        break;
    }
}

void SysMakeDirs(const std::string& hostPath)
{
    if (_bIsDir(hostPath))
        return;
    std::string cur;
    for (size_t i = 0; i <= hostPath.size(); ++i) {
        if ((i == hostPath.size() || hostPath[i] == '/') && !cur.empty() && mkdir(cur.c_str(), 0777) == 0)
            SysPathChanged(cur);
        if (i < hostPath.size())
            cur += hostPath[i];
    }
}

// ---------------------------------------------------------------------------
// Path mapping
// ---------------------------------------------------------------------------
//
// Two caches keep a lookup from touching every component of its path:
//  - folders already resolved, by their Windows spelling folded to capitals
//    (with the drive); an entry is used only while its host folder still is
//    a folder (one stat), and any existing folder that matches the spelling
//    is a right answer;
//  - the names in a host folder, for names that are not there in the
//    spelling asked for. A listing is used only while the folder's device,
//    inode and modification time are those it was read with, and it is kept
//    only when that time was already some seconds old at the reading: a
//    folder changed in the same clock tick as the reading might show no
//    new time, and the margin also covers file systems that keep coarse
//    times. So a name another process adds or removes is always seen.
// The platform's own creations, renames and deletions drop what they touch
// (SysPathChanged) on top of that.

namespace {

bool _bSep(char16_t c)
{
    return c == u'\\' || c == u'/';
}

// A listing older than this at its reading is trusted while the folder's
// time stays the same.
const time_t kListingSettledSeconds = 3;
// Bounds on what the caches hold; a full cache starts again empty.
const size_t kMaxCachedFolders = 512;
const size_t kMaxCachedListings = 64;

struct FOLDERLIST {
    dev_t dev;
    ino_t ino;
    struct timespec mtim;
    std::unordered_map<std::string, bool> exact;          // every name, as spelt
    std::unordered_map<std::u16string, std::string> folded;  // capitals -> first spelling
};

std::mutex g_pathLock;
std::string g_pathRoot;  // the root the folder cache was filled for
std::unordered_map<std::u16string, std::string> g_folders;
std::unordered_map<std::string, FOLDERLIST> g_listings;

std::u16string _Folded(std::u16string s)
{
    if (!s.empty())
        CharUpperBuffW(s.data(), (DWORD)s.size());
    return s;
}

bool _bSameTime(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Reads the names of host folder dir (st: its stat taken before) into *pList.
bool _bReadListing(const std::string& dir, FOLDERLIST* pList)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    while (struct dirent* e = readdir(d)) {
        if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, ".."))
            continue;
        pList->exact.emplace(e->d_name, true);
        pList->folded.emplace(_Folded(SysUtf16(e->d_name)), e->d_name);
    }
    closedir(d);
    return true;
}

// The name of an entry of folder host that equals name without regard to
// case: the exact spelling when present, else the first other spelling;
// false when there is none. pst is the folder's stat when the caller has it.
bool _bFindEntry(const std::string& host, const std::u16string& name, const struct stat* pst,
                 std::string* pFound)
{
    std::string exact = SysUtf8(name);
    struct stat dirSt;
    if (!pst && stat(host.c_str(), &dirSt) == 0)
        pst = &dirSt;
    if (pst) {
        std::lock_guard<std::mutex> lock(g_pathLock);
        auto it = g_listings.find(host);
        if (it != g_listings.end()) {
            const FOLDERLIST& l = it->second;
            if (l.dev == pst->st_dev && l.ino == pst->st_ino && _bSameTime(l.mtim, pst->st_mtim)) {
                if (l.exact.count(exact)) {
                    *pFound = exact;
                    return true;
                }
                auto f = l.folded.find(_Folded(name));
                if (f == l.folded.end())
                    return false;
                *pFound = f->second;
                return true;
            }
            g_listings.erase(it);
        }
    }
    struct stat st;
    if (lstat((host + "/" + exact).c_str(), &st) == 0) {
        *pFound = exact;
        return true;
    }
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    FOLDERLIST list = {};
    if (pst) {
        list.dev = pst->st_dev;
        list.ino = pst->st_ino;
        list.mtim = pst->st_mtim;
    }
    if (!_bReadListing(host, &list))
        return false;
    auto f = list.folded.find(_Folded(name));
    bool bFound = f != list.folded.end();
    if (bFound)
        *pFound = f->second;
    if (pst && pst->st_mtim.tv_sec + kListingSettledSeconds < now.tv_sec) {
        std::lock_guard<std::mutex> lock(g_pathLock);
        if (g_listings.size() >= kMaxCachedListings)
            g_listings.clear();
        g_listings[host] = std::move(list);
    }
    return bFound;
}

// The spelling of name in folder host: its entry's when there is one,
// else name itself.
std::string _MatchEntry(const std::string& host, const std::u16string& name, const struct stat* pst)
{
    std::string found;
    return _bFindEntry(host, name, pst, &found) ? found : SysUtf8(name);
}

// The host folder cached for a folded Windows prefix, when it still is a
// folder (*pst its stat); "" when none.
std::string _CachedFolder(const std::u16string& key, struct stat* pst)
{
    std::string host;
    {
        std::lock_guard<std::mutex> lock(g_pathLock);
        auto it = g_folders.find(key);
        if (it == g_folders.end())
            return std::string();
        host = it->second;
    }
    if (stat(host.c_str(), pst) == 0 && S_ISDIR(pst->st_mode))
        return host;
    std::lock_guard<std::mutex> lock(g_pathLock);
    g_folders.erase(key);
    return std::string();
}

void _CacheFolder(const std::u16string& key, const std::string& host)
{
    std::lock_guard<std::mutex> lock(g_pathLock);
    if (g_folders.size() >= kMaxCachedFolders)
        g_folders.clear();
    g_folders[key] = host;
}

// Splits the part of a Windows path after its drive into components,
// resolving "." and ".." and dropping the trailing dots and blanks the
// platform ignores in names.
std::vector<std::u16string> _Components(const std::u16string& rest)
{
    std::vector<std::u16string> parts;
    size_t i = 0;
    while (i <= rest.size()) {
        size_t j = i;
        while (j < rest.size() && !_bSep(rest[j]))
            ++j;
        std::u16string c = rest.substr(i, j - i);
        if (c == u"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (c != u"." && !c.empty()) {
            while (!c.empty() && (c.back() == u'.' || c.back() == u' '))
                c.pop_back();
            if (!c.empty())
                parts.push_back(c);
        }
        i = j + 1;
    }
    return parts;
}

// Drive (lower-case letter, or 0 for a UNC path) and the rest of a Windows
// path; a path without a drive belongs to C:.
void _SplitDrive(std::u16string w, char& drive, std::u16string& rest)
{
    if (w.size() >= 4 && _bSep(w[0]) && _bSep(w[1]) && (w[2] == u'?' || w[2] == u'.') && _bSep(w[3]))
        w = w.substr(4);
    if (w.size() >= 4 && (w[0] == u'U' || w[0] == u'u') && (w[1] == u'N' || w[1] == u'n') &&
        (w[2] == u'C' || w[2] == u'c') && _bSep(w[3])) {
        drive = 0;
        rest = w.substr(4);
        return;
    }
    if (w.size() >= 2 && w[1] == u':' &&
        ((w[0] >= u'a' && w[0] <= u'z') || (w[0] >= u'A' && w[0] <= u'Z'))) {
        drive = (char)(w[0] | 0x20);
        rest = w.substr(2);
        return;
    }
    if (w.size() >= 2 && _bSep(w[0]) && _bSep(w[1])) {
        drive = 0;
        rest = w.substr(2);
        return;
    }
    drive = 'c';
    rest = w;
}

}  // namespace

std::string SysFindInFolder(const std::string& hostDir, const std::string& name)
{
    std::string found;
    if (hostDir.empty() || !_bFindEntry(hostDir, SysUtf16(name), nullptr, &found))
        return std::string();
    return hostDir + "/" + found;
}

void SysPathChanged(const std::string& hostPath)
{
    std::lock_guard<std::mutex> lock(g_pathLock);
    g_listings.erase(_Parent(hostPath));
    g_listings.erase(hostPath);
    // A folder renamed or removed takes the folders below it along.
    for (auto it = g_folders.begin(); it != g_folders.end();) {
        const std::string& h = it->second;
        if (h.compare(0, hostPath.size(), hostPath) == 0 &&
            (h.size() == hostPath.size() || h[hostPath.size()] == '/'))
            it = g_folders.erase(it);
        else
            ++it;
    }
}

std::string PlatHostPath(LPCWSTR pszWinPath)
{
    if (!pszWinPath)
        return std::string();
    std::u16string w(pszWinPath);
    if (w.empty())
        return std::string();
    if (w[0] == u'/' && !(w.size() > 1 && w[1] == u'/')) {
        // A host path; a backslash in it is still a separator.
        for (char16_t& c : w)
            if (c == u'\\')
                c = u'/';
        return SysUtf8(w);
    }
    char drive;
    std::u16string rest;
    _SplitDrive(w, drive, rest);
    std::vector<std::u16string> comps = _Components(rest);
    std::string root = PlatGetRoot();
    {
        std::lock_guard<std::mutex> lock(g_pathLock);
        if (root != g_pathRoot) {
            g_folders.clear();
            g_pathRoot = root;
        }
    }
    // The folded keys of the drive and of each folder on the way.
    std::vector<std::u16string> keys(1, std::u16string(1, drive ? (char16_t)drive : u'\\'));
    for (const std::u16string& c : comps)
        keys.push_back(keys.back() + u'\\' + _Folded(c));

    // Start from the deepest folder resolved before that is still there.
    struct stat st;
    std::string host;
    size_t done = comps.size() + 1;
    while (done-- > 0) {
        host = _CachedFolder(keys[done], &st);
        if (!host.empty())
            break;
    }
    bool bExists = true;
    if (host.empty()) {
        done = 0;
        host = root + (drive ? std::string("/") + drive : std::string("/unc"));
        bExists = stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (!bExists && drive == 'c') {
            // The system drive is always there, as on any machine.
            if (mkdir(host.c_str(), 0777) == 0)
                SysPathChanged(host);
            bExists = stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (bExists)
            _CacheFolder(keys[0], host);
    }
    for (size_t i = done; i < comps.size(); ++i) {
        std::string name = bExists ? _MatchEntry(host, comps[i], &st) : SysUtf8(comps[i]);
        host += "/" + name;
        if (bExists && i + 1 < comps.size()) {
            bExists = stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            if (bExists)
                _CacheFolder(keys[i + 1], host);
        }
    }
    return host;
}

// ---------------------------------------------------------------------------
// Open files and attributes
// ---------------------------------------------------------------------------

namespace {

enum { ACC_READ = 1, ACC_WRITE = 2, ACC_DELETE = 4 };

struct FILEOBJ {
    int fd;                // host descriptor
    std::string host;      // host path at open time
    DWORD fAccess;         // ACC_* bits
    DWORD dwShare;         // FILE_SHARE_* given at open
    bool bDeleteOnClose;   // FILE_FLAG_DELETE_ON_CLOSE
    bool bDir;             // a folder opened with backup semantics
    dev_t dev;             // identity (fact 3)
    ino_t ino;
};

std::mutex g_filesLock;
std::vector<FILEOBJ*> g_openFiles;
// Attributes the host cannot hold, by host path; a path without an entry
// has FILE_ATTRIBUTE_ARCHIVE (files) or nothing more (folders).
std::unordered_map<std::string, DWORD> g_attrs;

const DWORD kKeptAttrs =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY;

DWORD _AccessBits(DWORD dwAccess)
{
    DWORD f = 0;
    if (dwAccess & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA))
        f |= ACC_READ;
    if (dwAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA))
        f |= ACC_WRITE;
    if (dwAccess & (DELETE | GENERIC_ALL))
        f |= ACC_DELETE;
    return f;
}

bool _bReadOnlyMode(mode_t m)
{
    return (m & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Whether an open with fAccess/dwShare may join the handles already open on
// dev/ino (g_filesLock held).
bool _bShareAllows(dev_t dev, ino_t ino, DWORD fAccess, DWORD dwShare)
{
    if (fAccess == 0)
        return true;
    for (const FILEOBJ* p : g_openFiles) {
        if (p->dev != dev || p->ino != ino || p->fAccess == 0)
            continue;
        if (((fAccess & ACC_READ) && !(p->dwShare & FILE_SHARE_READ)) ||
            ((fAccess & ACC_WRITE) && !(p->dwShare & FILE_SHARE_WRITE)) ||
            ((fAccess & ACC_DELETE) && !(p->dwShare & FILE_SHARE_DELETE)) ||
            ((p->fAccess & ACC_READ) && !(dwShare & FILE_SHARE_READ)) ||
            ((p->fAccess & ACC_WRITE) && !(dwShare & FILE_SHARE_WRITE)) ||
            ((p->fAccess & ACC_DELETE) && !(dwShare & FILE_SHARE_DELETE)))
            return false;
    }
    return true;
}

// Whether the file may be deleted or renamed: every open handle with some
// access shares delete (g_filesLock held).
bool _bDeleteAllowed(dev_t dev, ino_t ino)
{
    for (const FILEOBJ* p : g_openFiles)
        if (p->dev == dev && p->ino == ino && p->fAccess != 0 && !(p->dwShare & FILE_SHARE_DELETE))
            return false;
    return true;
}

DWORD _AttributesOf(const std::string& host, const struct stat& st)
{
    DWORD a = 0;
    auto it = g_attrs.find(host);
    if (it != g_attrs.end())
        a = it->second;
    else if (!S_ISDIR(st.st_mode))
        a = FILE_ATTRIBUTE_ARCHIVE;
    if (S_ISDIR(st.st_mode))
        a |= FILE_ATTRIBUTE_DIRECTORY;
    if (_bReadOnlyMode(st.st_mode))
        a |= FILE_ATTRIBUTE_READONLY;
    return a ? a : FILE_ATTRIBUTE_NORMAL;
}

FILETIME _FileTime(const struct timespec& ts)
{
    // 100 ns units since 1601-01-01; 11644473600 s lie between the epochs.
    ULONGLONG t = ((ULONGLONG)ts.tv_sec + 11644473600ULL) * 10000000ULL + (ULONGLONG)ts.tv_nsec / 100;
    return FILETIME{(DWORD)t, (DWORD)(t >> 32)};
}

BOOL _CloseFile(void* pObject)
{
    FILEOBJ* pf = static_cast<FILEOBJ*>(pObject);
    std::lock_guard<std::mutex> lock(g_filesLock);
    g_openFiles.erase(std::remove(g_openFiles.begin(), g_openFiles.end(), pf), g_openFiles.end());
    BOOL ok = close(pf->fd) == 0;
    if (pf->bDeleteOnClose) {
        // The file goes with its last handle; an earlier close hands the
        // duty on.
        FILEOBJ* other = nullptr;
        for (FILEOBJ* p : g_openFiles)
            if (p->dev == pf->dev && p->ino == pf->ino)
                other = p;
        struct stat st;
        if (other) {
            other->bDeleteOnClose = true;
        } else if (stat(pf->host.c_str(), &st) == 0 && st.st_dev == pf->dev && st.st_ino == pf->ino) {
            if (pf->bDir)
                rmdir(pf->host.c_str());
            else
                unlink(pf->host.c_str());
            SysPathChanged(pf->host);
            g_attrs.erase(pf->host);
        }
    }
    delete pf;
    if (!ok)
        SetLastError(ERROR_INVALID_HANDLE);
    return ok;
}

// Pins a file handle for one call; released by the destructor.
struct FILEPIN {
    HANDLE h;
    FILEOBJ* pf;
    explicit FILEPIN(HANDLE hFile)
        : h(hFile), pf(static_cast<FILEOBJ*>(PlatHandleAcquire(hFile, PLAT_HANDLE_FILE))) {}
    ~FILEPIN()
    {
        if (pf)
            PlatHandleRelease(h);
    }
};

}  // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    if (!lpFileName || !*lpFileName || dwCreationDisposition < CREATE_NEW ||
        dwCreationDisposition > TRUNCATE_EXISTING) {
        SetLastError(!lpFileName || !*lpFileName ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string host = PlatHostPath(lpFileName);
    PlatProfileFlushHost(host);
    DWORD fAccess = _AccessBits(dwDesiredAccess);
    if (dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE)
        fAccess |= ACC_DELETE;
    if (dwCreationDisposition == TRUNCATE_EXISTING && !(fAccess & ACC_WRITE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }

    std::lock_guard<std::mutex> lock(g_filesLock);
    struct stat st;
    bool bExists = stat(host.c_str(), &st) == 0;
    if (bExists && S_ISDIR(st.st_mode)) {
        // A folder opens only for its attributes, and only when asked so.
        if (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) ||
            (dwCreationDisposition != OPEN_EXISTING && dwCreationDisposition != OPEN_ALWAYS)) {
            SetLastError(dwCreationDisposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    if (bExists) {
        if (dwCreationDisposition == CREATE_NEW) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        bool bTruncates = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
        if (!S_ISDIR(st.st_mode) && _bReadOnlyMode(st.st_mode) && ((fAccess & ACC_WRITE) || bTruncates)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (!_bShareAllows(st.st_dev, st.st_ino, fAccess, dwShareMode)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return INVALID_HANDLE_VALUE;
        }
    } else {
        if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING) {
            SysSetErrno(ENOENT, host);
            return INVALID_HANDLE_VALUE;
        }
        struct stat dirSt;
        std::string parent = _Parent(host);
        if (stat(parent.c_str(), &dirSt) != 0 || !S_ISDIR(dirSt.st_mode)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if (_bReadOnlyMode(dirSt.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }

    int oflags = O_CLOEXEC | O_LARGEFILE;
    if (bExists && S_ISDIR(st.st_mode))
        oflags |= O_RDONLY | O_DIRECTORY;
    else if ((fAccess & ACC_READ) && (fAccess & ACC_WRITE))
        oflags |= O_RDWR;
    else if (fAccess & ACC_WRITE)
        oflags |= O_WRONLY;
    else
        oflags |= O_RDONLY;
    if (!bExists)
        oflags |= O_CREAT | O_EXCL;
    mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = open(host.c_str(), oflags, mode);
    if (fd < 0) {
        SysSetErrno(errno, host);
        return INVALID_HANDLE_VALUE;
    }
    if (!bExists)
        SysPathChanged(host);
    if (bExists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING)) {
        if (ftruncate64(fd, 0) != 0) {
            SysSetErrno(errno, host);
            close(fd);
            return INVALID_HANDLE_VALUE;
        }
    }
    struct stat now;
    fstat(fd, &now);

    FILEOBJ* pf = new (std::nothrow) FILEOBJ{fd, host, fAccess, dwShareMode,
                                             (dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0,
                                             S_ISDIR(now.st_mode), now.st_dev, now.st_ino};
    HANDLE h = pf ? PlatHandleCreate(PLAT_HANDLE_FILE, pf, _CloseFile) : nullptr;
    if (!h) {
        // Nothing of the file stays: not the file it made, nor a record of
        // its attributes (one per failed create would pile up otherwise).
        delete pf;
        close(fd);
        if (!bExists) {
            unlink(host.c_str());
            SysPathChanged(host);
        }
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    // The attributes are recorded once the file is open for good.
    if (!bExists || dwCreationDisposition == CREATE_ALWAYS) {
        DWORD kept = dwFlagsAndAttributes & kKeptAttrs;
        if (!bExists || kept)
            g_attrs[host] = kept ? kept : FILE_ATTRIBUTE_ARCHIVE;
    }
    g_openFiles.push_back(pf);
    bool bReportExisting = bExists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(bReportExisting ? ERROR_ALREADY_EXISTS : NO_ERROR);
    return h;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    FILEPIN pin(hFile);
    if (!pin.pf)
        return FALSE;
    if (!(pin.pf->fAccess & ACC_READ) || pin.pf->bDir) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (lpOverlapped) {
        off64_t pos = ((off64_t)lpOverlapped->OffsetHigh << 32) | lpOverlapped->Offset;
        if (lseek64(pin.pf->fd, pos, SEEK_SET) < 0) {
            SysSetErrno(errno, pin.pf->host);
            return FALSE;
        }
    }
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        ssize_t n = read(pin.pf->fd, static_cast<BYTE*>(lpBuffer) + total, nNumberOfBytesToRead - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            SysSetErrno(errno, pin.pf->host);
            if (lpNumberOfBytesRead)
                *lpNumberOfBytesRead = total;
            return FALSE;
        }
        if (n == 0)
            break;
        total += (DWORD)n;
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = total;
    return TRUE;
}

namespace {
std::mutex g_failWriteLock;
LONG g_failWriteIn = 0;
BOOL g_bFailWriteShort = FALSE;

// The bytes this write may put down before the test switch fails it;
// nNumberOfBytesToWrite when it does not fire.
DWORD _WriteAllowance(DWORD nNumberOfBytesToWrite, bool& bFail)
{
    std::lock_guard<std::mutex> lock(g_failWriteLock);
    bFail = g_failWriteIn > 0 && --g_failWriteIn == 0;
    if (!bFail)
        return nNumberOfBytesToWrite;
    return g_bFailWriteShort ? nNumberOfBytesToWrite / 2 : 0;
}
}  // namespace

void PlatFailWriteFile(LONG n, BOOL bShort)
{
    std::lock_guard<std::mutex> lock(g_failWriteLock);
    g_failWriteIn = n > 0 ? n : 0;
    g_bFailWriteShort = bShort;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped)
{
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    FILEPIN pin(hFile);
    if (!pin.pf)
        return FALSE;
    if (!(pin.pf->fAccess & ACC_WRITE) || pin.pf->bDir) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (lpOverlapped) {
        off64_t pos = ((off64_t)lpOverlapped->OffsetHigh << 32) | lpOverlapped->Offset;
        if (lseek64(pin.pf->fd, pos, SEEK_SET) < 0) {
            SysSetErrno(errno, pin.pf->host);
            return FALSE;
        }
    }
    bool bFail = false;
    DWORD allowed = _WriteAllowance(nNumberOfBytesToWrite, bFail);
    DWORD total = 0;
    while (total < allowed) {
        ssize_t n = write(pin.pf->fd, static_cast<const BYTE*>(lpBuffer) + total, allowed - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            SysSetErrno(n < 0 ? errno : ENOSPC, pin.pf->host);
            if (lpNumberOfBytesWritten)
                *lpNumberOfBytesWritten = total;
            return FALSE;
        }
        total += (DWORD)n;
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = total;
    if (bFail) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    FILEPIN pin(hFile);
    if (!pin.pf)
        return INVALID_SET_FILE_POINTER;
    if (dwMoveMethod > FILE_END) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the distance is a signed 32-bit value; with one
    // the two make a signed 64-bit value.
    off64_t dist = lpDistanceToMoveHigh
                       ? (off64_t)(((ULONGLONG)(DWORD)*lpDistanceToMoveHigh << 32) | (DWORD)lDistanceToMove)
                       : (off64_t)lDistanceToMove;
    off64_t base = 0;
    if (dwMoveMethod == FILE_CURRENT)
        base = lseek64(pin.pf->fd, 0, SEEK_CUR);
    else if (dwMoveMethod == FILE_END) {
        struct stat64 st;
        base = fstat64(pin.pf->fd, &st) == 0 ? st.st_size : -1;
    }
    if (base < 0) {
        SysSetErrno(errno, pin.pf->host);
        return INVALID_SET_FILE_POINTER;
    }
    off64_t target = base + dist;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek64(pin.pf->fd, target, SEEK_SET) < 0) {
        SysSetErrno(errno, pin.pf->host);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = (LONG)(target >> 32);
    // A position whose low half looks like the failure value is told apart
    // by a last error of NO_ERROR.
    SetLastError(NO_ERROR);
    return (DWORD)target;
}

BOOL SetEndOfFile(HANDLE hFile)
{
    FILEPIN pin(hFile);
    if (!pin.pf)
        return FALSE;
    if (!(pin.pf->fAccess & ACC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    off64_t pos = lseek64(pin.pf->fd, 0, SEEK_CUR);
    if (pos < 0 || ftruncate64(pin.pf->fd, pos) != 0) {
        SysSetErrno(errno, pin.pf->host);
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile)
{
    FILEPIN pin(hFile);
    if (!pin.pf)
        return FALSE;
    if (!(pin.pf->fAccess & ACC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (fsync(pin.pf->fd) != 0 && errno != EINVAL) {
        SysSetErrno(errno, pin.pf->host);
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    FILEPIN pin(hFile);
    if (!pin.pf)
        return INVALID_FILE_SIZE;
    struct stat64 st;
    if (fstat64(pin.pf->fd, &st) != 0) {
        SysSetErrno(errno, pin.pf->host);
        return INVALID_FILE_SIZE;
    }
    if (lpFileSizeHigh)
        *lpFileSizeHigh = (DWORD)((ULONGLONG)st.st_size >> 32);
    SetLastError(NO_ERROR);
    return (DWORD)st.st_size;
}

BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation)
{
    if (!lpFileInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FILEPIN pin(hFile);
    if (!pin.pf)
        return FALSE;
    struct stat st;
    if (fstat(pin.pf->fd, &st) != 0) {
        SysSetErrno(errno, pin.pf->host);
        return FALSE;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    {
        std::lock_guard<std::mutex> lock(g_filesLock);
        info.dwFileAttributes = _AttributesOf(pin.pf->host, st);
    }
    info.ftCreationTime = _FileTime(st.st_ctim);
    info.ftLastAccessTime = _FileTime(st.st_atim);
    info.ftLastWriteTime = _FileTime(st.st_mtim);
    info.dwVolumeSerialNumber = (DWORD)st.st_dev;
    info.nFileSizeHigh = (DWORD)((ULONGLONG)st.st_size >> 32);
    info.nFileSizeLow = (DWORD)st.st_size;
    info.nNumberOfLinks = (DWORD)st.st_nlink;
    info.nFileIndexHigh = (DWORD)((ULONGLONG)st.st_ino >> 32);
    info.nFileIndexLow = (DWORD)st.st_ino;
    *lpFileInformation = info;
    return TRUE;
}

// ---------------------------------------------------------------------------
// Path calls
// ---------------------------------------------------------------------------

DWORD GetFileAttributesW(LPCWSTR lpFileName)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string host = PlatHostPath(lpFileName);
    PlatProfileFlushHost(host);
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
        SysSetErrno(errno, host);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::lock_guard<std::mutex> lock(g_filesLock);
    return _AttributesOf(host, st);
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string host = PlatHostPath(lpFileName);
    PlatProfileFlushHost(host);
    std::lock_guard<std::mutex> lock(g_filesLock);
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
        SysSetErrno(errno, host);
        return FALSE;
    }
    mode_t mode = st.st_mode & 07777;
    if (dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~(mode_t)(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (_bReadOnlyMode(st.st_mode))
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && chmod(host.c_str(), mode) != 0) {
        SysSetErrno(errno, host);
        return FALSE;
    }
    g_attrs[host] = dwFileAttributes & kKeptAttrs;
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR lpFileName)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string host = PlatHostPath(lpFileName);
    PlatProfileFlushHost(host);
    std::lock_guard<std::mutex> lock(g_filesLock);
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
        SysSetErrno(errno, host);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || _bReadOnlyMode(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!_bDeleteAllowed(st.st_dev, st.st_ino)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (unlink(host.c_str()) != 0) {
        SysSetErrno(errno, host);
        return FALSE;
    }
    SysPathChanged(host);
    g_attrs.erase(host);
    PlatProfileForgetHost(host);
    return TRUE;
}

namespace {

// Copies the bytes, permission and times of src to dst, replacing dst
// (g_filesLock held, checks done).
bool _bCopyHostFile(const std::string& src, const std::string& dst)
{
    int in = open(src.c_str(), O_RDONLY | O_CLOEXEC | O_LARGEFILE);
    if (in < 0) {
        SysSetErrno(errno, src);
        return false;
    }
    struct stat st;
    fstat(in, &st);
    int out = open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_LARGEFILE, 0666);
    SysPathChanged(dst);
    if (out < 0) {
        SysSetErrno(errno, dst);
        close(in);
        return false;
    }
    std::vector<char> buf(65536);
    bool ok = true;
    for (;;) {
        ssize_t n = read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            SysSetErrno(errno, src);
            ok = false;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buf.data() + done, (size_t)(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                SysSetErrno(w < 0 ? errno : ENOSPC, dst);
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    if (ok) {
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        futimens(out, times);
        fchmod(out, st.st_mode & 07777);
    }
    close(in);
    if (close(out) != 0 && ok) {
        SysSetErrno(errno, dst);
        ok = false;
    }
    if (!ok)
        unlink(dst.c_str());
    return ok;
}

// The host path of a rename target. When the target names the source
// itself in another case, the new spelling of the last component is kept.
std::string _TargetHost(LPCWSTR lpNewFileName, const struct stat& srcSt)
{
    std::string dst = PlatHostPath(lpNewFileName);
    struct stat st;
    if (stat(dst.c_str(), &st) == 0 && st.st_dev == srcSt.st_dev && st.st_ino == srcSt.st_ino) {
        std::u16string w(lpNewFileName);
        while (!w.empty() && _bSep(w.back()))
            w.pop_back();
        size_t cut = w.find_last_of(u"\\/:");
        std::u16string last = cut == std::u16string::npos ? w : w.substr(cut + 1);
        dst = _Parent(dst) + "/" + SysUtf8(last);
    }
    return dst;
}

}  // namespace

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists)
{
    if (!lpExistingFileName || !*lpExistingFileName || !lpNewFileName || !*lpNewFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string src = PlatHostPath(lpExistingFileName);
    std::string dst = PlatHostPath(lpNewFileName);
    PlatProfileFlushHost(src);
    PlatProfileFlushHost(dst);
    std::lock_guard<std::mutex> lock(g_filesLock);
    struct stat srcSt, dstSt;
    if (stat(src.c_str(), &srcSt) != 0) {
        SysSetErrno(errno, src);
        return FALSE;
    }
    if (S_ISDIR(srcSt.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!_bShareAllows(srcSt.st_dev, srcSt.st_ino, ACC_READ, FILE_SHARE_READ)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (stat(dst.c_str(), &dstSt) == 0) {
        if (bFailIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(dstSt.st_mode) || _bReadOnlyMode(dstSt.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if ((dstSt.st_dev == srcSt.st_dev && dstSt.st_ino == srcSt.st_ino) ||
            !_bShareAllows(dstSt.st_dev, dstSt.st_ino, ACC_WRITE, 0)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    } else {
        struct stat dirSt;
        if (stat(_Parent(dst).c_str(), &dirSt) != 0 || !S_ISDIR(dirSt.st_mode)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        if (_bReadOnlyMode(dirSt.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (!_bCopyHostFile(src, dst))
        return FALSE;
    auto it = g_attrs.find(src);
    if (it != g_attrs.end())
        g_attrs[dst] = it->second;
    else
        g_attrs.erase(dst);
    return TRUE;
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    if (!lpExistingFileName || !*lpExistingFileName || !lpNewFileName || !*lpNewFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string src = PlatHostPath(lpExistingFileName);
    PlatProfileFlushHost(src);
    std::lock_guard<std::mutex> lock(g_filesLock);
    struct stat srcSt, dstSt;
    if (stat(src.c_str(), &srcSt) != 0) {
        SysSetErrno(errno, src);
        return FALSE;
    }
    std::string dst = _TargetHost(lpNewFileName, srcSt);
    PlatProfileFlushHost(dst);
    if (!_bDeleteAllowed(srcSt.st_dev, srcSt.st_ino)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (stat(dst.c_str(), &dstSt) == 0 && !(dstSt.st_dev == srcSt.st_dev && dstSt.st_ino == srcSt.st_ino)) {
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(dstSt.st_mode) || S_ISDIR(srcSt.st_mode) || _bReadOnlyMode(dstSt.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (!_bDeleteAllowed(dstSt.st_dev, dstSt.st_ino)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (rename(src.c_str(), dst.c_str()) != 0) {
        if (errno != EXDEV || S_ISDIR(srcSt.st_mode) || !(dwFlags & MOVEFILE_COPY_ALLOWED)) {
            SysSetErrno(errno == EXDEV ? EACCES : errno, dst);
            return FALSE;
        }
        if (!_bCopyHostFile(src, dst))
            return FALSE;
        unlink(src.c_str());
    }
    SysPathChanged(src);
    SysPathChanged(dst);
    auto it = g_attrs.find(src);
    if (it != g_attrs.end()) {
        DWORD a = it->second;
        g_attrs.erase(it);
        g_attrs[dst] = a;
    } else {
        g_attrs.erase(dst);
    }
    return TRUE;
}

BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName)
{
    return MoveFileExW(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes)
{
    if (!lpPathName || !*lpPathName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string host = PlatHostPath(lpPathName);
    struct stat st;
    if (stat(host.c_str(), &st) == 0) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    std::string parent = _Parent(host);
    if (stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (_bReadOnlyMode(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (mkdir(host.c_str(), 0777) != 0) {
        if (errno == EEXIST)
            SetLastError(ERROR_ALREADY_EXISTS);
        else
            SysSetErrno(errno, host);
        return FALSE;
    }
    SysPathChanged(host);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName)
{
    if (!lpPathName || !*lpPathName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string host = PlatHostPath(lpPathName);
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
        SysSetErrno(errno, host);
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (rmdir(host.c_str()) != 0) {
        SysSetErrno(errno == EEXIST ? ENOTEMPTY : errno, host);
        return FALSE;
    }
    SysPathChanged(host);
    std::lock_guard<std::mutex> lock(g_filesLock);
    g_attrs.erase(host);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Search
// ---------------------------------------------------------------------------

namespace {

struct FINDOBJ {
    std::vector<WIN32_FIND_DATAW> aItems;  // every match, in order
    size_t iNext;                          // the next one FindNextFileW gives
};

std::u16string _Upper(std::u16string s)
{
    if (!s.empty())
        CharUpperBuffW(s.data(), (DWORD)s.size());
    return s;
}

// "*" matches any run, "?" one unit; both strings upper-cased.
bool _bWildMatch(const std::u16string& pat, const std::u16string& name)
{
    size_t p = 0, n = 0, starP = std::u16string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pat.size() && (pat[p] == u'?' || pat[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pat.size() && pat[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == u'*')
        ++p;
    return p == pat.size();
}

// The platform's reading of a pattern: a name without a dot also stands for
// the name with an empty extension, so "*.*" and "name.*" find it.
bool _bNameMatches(const std::u16string& upperPat, const std::u16string& name)
{
    std::u16string u = _Upper(name);
    if (_bWildMatch(upperPat, u))
        return true;
    return u.find(u'.') == std::u16string::npos && _bWildMatch(upperPat, u + u".");
}

BOOL _CloseFind(void* pObject)
{
    delete static_cast<FINDOBJ*>(pObject);
    return TRUE;
}

bool _bFindItem(const std::string& folder, const std::string& name, WIN32_FIND_DATAW& fd)
{
    std::u16string wname = SysUtf16(name);
    if (wname.size() >= MAX_PATH)
        return false;
    std::string host = folder + "/" + name;
    struct stat st;
    if (stat(host.c_str(), &st) != 0)
        return false;
    fd = WIN32_FIND_DATAW{};
    fd.dwFileAttributes = _AttributesOf(host, st);
    fd.ftCreationTime = _FileTime(st.st_ctim);
    fd.ftLastAccessTime = _FileTime(st.st_atim);
    fd.ftLastWriteTime = _FileTime(st.st_mtim);
    if (!S_ISDIR(st.st_mode)) {
        fd.nFileSizeHigh = (DWORD)((ULONGLONG)st.st_size >> 32);
        fd.nFileSizeLow = (DWORD)st.st_size;
    }
    std::copy(wname.begin(), wname.end(), fd.cFileName);
    return true;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData)
{
    if (!lpFileName || !*lpFileName || !lpFindFileData) {
        SetLastError(!lpFindFileData ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::u16string w(lpFileName);
    size_t cut = w.find_last_of(u"\\/");
    std::u16string dir = cut == std::u16string::npos ? std::u16string() : w.substr(0, cut + 1);
    std::u16string pat = cut == std::u16string::npos ? w : w.substr(cut + 1);
    if (dir.empty() && pat.size() >= 2 && pat[1] == u':') {
        dir = pat.substr(0, 2) + u"\\";
        pat = pat.substr(2);
    }
    if (pat.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string folder = dir.empty() ? PlatHostPath(u".") : PlatHostPath(dir.c_str());
    if (dir.size() == 1 && dir[0] == u'/')
        folder = "/";
    DIR* d = opendir(folder.c_str());
    if (!d) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> names;
    while (struct dirent* e = readdir(d))
        names.push_back(e->d_name);
    closedir(d);
    // A drive's top folder has no "." and "..", as on the platform.
    std::string root = PlatGetRoot();
    bool bDriveTop = folder == "/" || (_Parent(folder) == root && folder.size() == root.size() + 2) ||
                     _Parent(folder) == root + "/unc";
    std::u16string upat = _Upper(pat);
    std::vector<std::pair<std::u16string, std::string>> hits;
    for (const std::string& n : names) {
        if ((n == "." || n == "..") && bDriveTop)
            continue;
        std::u16string wn = SysUtf16(n);
        if (_bNameMatches(upat, wn))
            hits.emplace_back(wn, n);
    }
    std::sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) {
        bool aDot = a.second == "." || a.second == "..", bDot = b.second == "." || b.second == "..";
        if (aDot != bDot)
            return aDot;
        int c = lstrcmpiW(a.first.c_str(), b.first.c_str());
        return c != 0 ? c < 0 : a.first < b.first;
    });
    FINDOBJ* pfind = new (std::nothrow) FINDOBJ{{}, 0};
    if (!pfind) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    {
        std::lock_guard<std::mutex> lock(g_filesLock);
        for (const auto& h : hits) {
            WIN32_FIND_DATAW fd;
            if (_bFindItem(folder, h.second, fd))
                pfind->aItems.push_back(fd);
        }
    }
    if (pfind->aItems.empty()) {
        delete pfind;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = PlatHandleCreate(PLAT_HANDLE_FIND, pfind, _CloseFind);
    if (!h) {
        delete pfind;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = pfind->aItems[0];
    pfind->iNext = 1;
    SetLastError(NO_ERROR);
    return h;
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData)
{
    if (!lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FINDOBJ* pfind = static_cast<FINDOBJ*>(PlatHandleAcquire(hFindFile, PLAT_HANDLE_FIND));
    if (!pfind)
        return FALSE;
    BOOL ok = pfind->iNext < pfind->aItems.size();
    if (ok)
        *lpFindFileData = pfind->aItems[pfind->iNext++];
    PlatHandleRelease(hFindFile);
    if (!ok)
        SetLastError(ERROR_NO_MORE_FILES);
    return ok;
}

BOOL FindClose(HANDLE hFindFile)
{
    if (PlatHandleKind(hFindFile) != PLAT_HANDLE_FIND) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(hFindFile);
}

// ---------------------------------------------------------------------------
// Temporary files and full paths
// ---------------------------------------------------------------------------

DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    SysMakeDirs(PlatHostPath(SYS_TEMP_DIR));
    return SysCopyOut(SYS_TEMP_DIR, lpBuffer, nBufferLength);
}

UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName)
{
    if (!lpPathName || !lpTempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string base(lpPathName);
    if (!base.empty() && !_bSep(base.back()))
        base += u'\\';
    std::u16string prefix = SysWide(lpPrefixString).substr(0, 3);
    base += prefix;
    // The name needs base, four digits, ".TMP" and the terminator.
    if (base.size() + 4 + 4 + 1 > MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    auto form = [&](UINT n) {
        WCHAR digits[8];
        static const char16_t hex[] = u"0123456789ABCDEF";
        for (int i = 0; i < 4; ++i)
            digits[i] = hex[(n >> (12 - 4 * i)) & 0xF];
        digits[4] = 0;
        return base + digits + u".TMP";
    };
    if (uUnique != 0) {
        std::u16string name = form(uUnique & 0xFFFF);
        std::copy(name.begin(), name.end(), lpTempFileName);
        lpTempFileName[name.size()] = 0;
        return uUnique;
    }
    std::string folder = PlatHostPath(lpPathName);
    if (!_bIsDir(folder)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    UINT start = GetTickCount() & 0xFFFF;
    for (UINT i = 0; i < 0x10000; ++i) {
        UINT n = (start + i) & 0xFFFF;
        if (n == 0)
            continue;
        std::u16string name = form(n);
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            std::copy(name.begin(), name.end(), lpTempFileName);
            lpTempFileName[name.size()] = 0;
            SetLastError(NO_ERROR);
            return n;
        }
        DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS && err != ERROR_SHARING_VIOLATION)
            return 0;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart)
{
    if (lpFilePart)
        *lpFilePart = nullptr;
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::u16string w(lpFileName);
    std::u16string full;
    if (w[0] == u'/' && !(w.size() > 1 && w[1] == u'/')) {
        full = w;  // a host path is already whole
    } else {
        char drive;
        std::u16string rest;
        _SplitDrive(w, drive, rest);
        bool bTrailing = !w.empty() && _bSep(w.back());
        if (drive) {
            full = std::u16string(1, (char16_t)(drive - 'a' + 'A')) + u":";
        } else {
            full.assign(1, u'\\');
        }
        std::vector<std::u16string> parts = _Components(rest);
        if (parts.empty())
            full += u"\\";
        for (size_t i = 0; i < parts.size(); ++i)
            full += u"\\" + parts[i];
        if (bTrailing && !parts.empty())
            full += u"\\";
    }
    DWORD r = SysCopyOut(full, lpBuffer, nBufferLength);
    if (r == full.size() && lpFilePart && !full.empty() && !_bSep(full.back())) {
        size_t cut = full.find_last_of(u"\\/");
        *lpFilePart = lpBuffer + (cut == std::u16string::npos ? 0 : cut + 1);
    }
    return r;
}
