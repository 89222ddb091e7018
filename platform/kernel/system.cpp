// system.cpp: folders, version, names, clocks, ids and the debug log.
//
// The clock can be stopped by tests (PlatSetLocalTime); the version and the
// user name can be replaced. The debug log is one process-wide text under
// its own lock.
#include "platform/kernel/system.h"

#include "platform/kernel/codepage.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/sysutil.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <pwd.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

std::mutex g_sysLock;
OSVERSIONINFOEXW g_version = {sizeof(OSVERSIONINFOEXW), 5, 1, 2600, VER_PLATFORM_WIN32_NT, {0}, 0, 0, 0,
                              VER_NT_WORKSTATION, 0};
bool g_bUserSet = false;
std::u16string g_user;
bool g_bClockStopped = false;
SYSTEMTIME g_stoppedTime;

std::mutex g_logLock;
std::string g_log;
// Bytes the debug log holds at most.
const size_t kDebugLogMax = 1u << 20;

// Days from 1970-01-01 to the given Gregorian date (any year >= 1601).
LONGLONG _DaysFromCivil(LONG y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const LONG era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = (unsigned)(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return (LONGLONG)era * 146097 + (LONGLONG)doe - 719468;
}

void _CivilFromDays(LONGLONG z, LONG& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = (unsigned)(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = (LONG)(yoe + era * 400) + (m <= 2);
}

// SYSTEMTIME of a host time (seconds, milliseconds), broken down in UTC or
// in the host's local zone.
SYSTEMTIME _SystemTimeOf(time_t t, unsigned ms, bool bLocal)
{
    struct tm tmv;
    if (bLocal)
        localtime_r(&t, &tmv);
    else
        gmtime_r(&t, &tmv);
    SYSTEMTIME st;
    st.wYear = (WORD)(tmv.tm_year + 1900);
    st.wMonth = (WORD)(tmv.tm_mon + 1);
    st.wDayOfWeek = (WORD)tmv.tm_wday;
    st.wDay = (WORD)tmv.tm_mday;
    st.wHour = (WORD)tmv.tm_hour;
    st.wMinute = (WORD)tmv.tm_min;
    st.wSecond = (WORD)tmv.tm_sec;
    st.wMilliseconds = (WORD)ms;
    return st;
}

void _Now(SYSTEMTIME* pst, bool bLocal)
{
    {
        std::lock_guard<std::mutex> lock(g_sysLock);
        if (g_bClockStopped) {
            *pst = g_stoppedTime;
            return;
        }
    }
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    *pst = _SystemTimeOf(ts.tv_sec, (unsigned)(ts.tv_nsec / 1000000), bLocal);
}

// Seconds the host's zone is ahead of UTC at host time t.
LONGLONG _LocalOffset(time_t t)
{
    struct tm tmv;
    localtime_r(&t, &tmv);
    return tmv.tm_gmtoff;
}

bool _bValidUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = (unsigned char)s[i];
        size_t n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 99;
        if (n == 99 || (n && (c == 0xC0 || c == 0xC1)) || i + n >= s.size() + (n ? 0 : 1))
            return false;
        for (size_t k = 1; k <= n; ++k)
            if (((unsigned char)s[i + k] >> 6) != 2)
                return false;
        i += n + 1;
    }
    return true;
}

void _Log(std::string text)
{
    if (text.empty() || text.back() != '\n')
        text += '\n';
    std::lock_guard<std::mutex> lock(g_logLock);
    g_log += text;
    // A long job logs without end: the log keeps its newest lines only,
    // dropping whole lines from the front once it outgrows its limit.
    if (g_log.size() > kDebugLogMax) {
        size_t cut = g_log.size() - kDebugLogMax / 2;
        size_t eol = g_log.find('\n', cut);
        g_log.erase(0, eol == std::string::npos ? g_log.size() : eol + 1);
    }
    if (getenv("Q730_DEBUG"))
        fputs(text.c_str(), stderr);
}

// 8-bit debug text: UTF-8 as it stands (our own sources), else ANSI.
std::string _FromNarrow(const char* psz)
{
    std::string s = psz ? psz : "";
    if (_bValidUtf8(s))
        return s;
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), nullptr, 0);
    if (n <= 0)
        return s;
    std::u16string w((size_t)n, u'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), w.data(), n);
    return SysUtf8(w);
}

std::string _Format(const char* fmt, va_list ap)
{
    if (!fmt)
        return std::string();
    va_list copy;
    va_copy(copy, ap);
    int n = vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0)
        return std::string();
    std::vector<char> buf((size_t)n + 1);
    vsnprintf(buf.data(), buf.size(), fmt, ap);
    return std::string(buf.data(), (size_t)n);
}

}  // namespace

UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    SysMakeDirs(PlatHostPath(SYS_SYSTEM_DIR));
    return SysCopyOut(SYS_SYSTEM_DIR, lpBuffer, uSize);
}

UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    SysMakeDirs(PlatHostPath(SYS_WINDOWS_DIR));
    return SysCopyOut(SYS_WINDOWS_DIR, lpBuffer, uSize);
}

BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation)
{
    if (!lpVersionInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD cb = lpVersionInformation->dwOSVersionInfoSize;
    if (cb != sizeof(OSVERSIONINFOW) && cb != sizeof(OSVERSIONINFOEXW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    OSVERSIONINFOEXW v;
    {
        std::lock_guard<std::mutex> lock(g_sysLock);
        v = g_version;
    }
    v.dwOSVersionInfoSize = cb;
    memcpy(lpVersionInformation, &v, cb);
    return TRUE;
}

DWORD GetVersion()
{
    std::lock_guard<std::mutex> lock(g_sysLock);
    DWORD build = g_version.dwPlatformId == VER_PLATFORM_WIN32_NT ? (g_version.dwBuildNumber & 0x7FFF)
                                                                   : 0x8000;
    return (g_version.dwMajorVersion & 0xFF) | ((g_version.dwMinorVersion & 0xFF) << 8) | (build << 16);
}

void PlatSetVersion(DWORD dwMajor, DWORD dwMinor, DWORD dwBuild, DWORD dwPlatformId)
{
    std::lock_guard<std::mutex> lock(g_sysLock);
    g_version.dwMajorVersion = dwMajor;
    g_version.dwMinorVersion = dwMinor;
    g_version.dwBuildNumber = dwBuild;
    g_version.dwPlatformId = dwPlatformId;
}

BOOL GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer)
{
    if (!pcbBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string name;
    {
        std::lock_guard<std::mutex> lock(g_sysLock);
        if (g_bUserSet)
            name = g_user;
    }
    if (name.empty()) {
        const char* env = getenv("USER");
        if (env && *env) {
            name = SysUtf16(env);
        } else {
            struct passwd pw, *ppw = nullptr;
            char buf[1024];
            if (getpwuid_r(geteuid(), &pw, buf, sizeof(buf), &ppw) == 0 && ppw)
                name = SysUtf16(ppw->pw_name);
        }
    }
    if (name.size() > UNLEN)
        name.resize(UNLEN);
    if (!lpBuffer || *pcbBuffer < name.size() + 1) {
        *pcbBuffer = (DWORD)name.size() + 1;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    SysCopyOut(name, lpBuffer, *pcbBuffer);
    *pcbBuffer = (DWORD)name.size() + 1;
    return TRUE;
}

void PlatSetUserName(LPCWSTR pszName)
{
    std::lock_guard<std::mutex> lock(g_sysLock);
    g_bUserSet = pszName != nullptr;
    g_user = SysWide(pszName);
}

BOOL GetComputerNameW(LPWSTR lpBuffer, LPDWORD lpnSize)
{
    if (!lpnSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char host[256] = {0};
    if (gethostname(host, sizeof(host) - 1) != 0 || !host[0])
        snprintf(host, sizeof(host), "localhost");
    std::string h = host;
    h = h.substr(0, h.find('.'));
    for (char& c : h)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    std::u16string name = SysUtf16(h);
    if (name.size() > MAX_COMPUTERNAME_LENGTH)
        name.resize(MAX_COMPUTERNAME_LENGTH);
    if (!lpBuffer || *lpnSize < name.size() + 1) {
        *lpnSize = (DWORD)name.size() + 1;
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    *lpnSize = SysCopyOut(name, lpBuffer, *lpnSize);
    return TRUE;
}

void GetLocalTime(SYSTEMTIME* lpSystemTime)
{
    if (lpSystemTime)
        _Now(lpSystemTime, true);
}

void GetSystemTime(SYSTEMTIME* lpSystemTime)
{
    if (lpSystemTime)
        _Now(lpSystemTime, false);
}

void PlatSetLocalTime(const SYSTEMTIME* pst)
{
    std::lock_guard<std::mutex> lock(g_sysLock);
    g_bClockStopped = pst != nullptr;
    if (pst) {
        g_stoppedTime = *pst;
        LONGLONG days = _DaysFromCivil(pst->wYear, pst->wMonth, pst->wDay);
        g_stoppedTime.wDayOfWeek = (WORD)(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    }
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime)
{
    if (!lpFileTime || !lpSystemTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONGLONG t = ((ULONGLONG)lpFileTime->dwHighDateTime << 32) | lpFileTime->dwLowDateTime;
    if (t >> 63) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONGLONG ms = t / 10000;
    LONGLONG days = (LONGLONG)(ms / 86400000ULL) - 134774;  // 1601-01-01 to 1970-01-01
    ULONGLONG msDay = ms % 86400000ULL;
    LONG y;
    unsigned m, d;
    _CivilFromDays(days, y, m, d);
    lpSystemTime->wYear = (WORD)y;
    lpSystemTime->wMonth = (WORD)m;
    lpSystemTime->wDay = (WORD)d;
    lpSystemTime->wDayOfWeek = (WORD)(((days % 7) + 11) % 7);
    lpSystemTime->wHour = (WORD)(msDay / 3600000);
    lpSystemTime->wMinute = (WORD)(msDay / 60000 % 60);
    lpSystemTime->wSecond = (WORD)(msDay / 1000 % 60);
    lpSystemTime->wMilliseconds = (WORD)(msDay % 1000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime)
{
    if (!lpSystemTime || !lpFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& s = *lpSystemTime;
    static const unsigned char mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool bLeap = (s.wYear % 4 == 0 && s.wYear % 100 != 0) || s.wYear % 400 == 0;
    if (s.wYear < 1601 || s.wYear > 30827 || s.wMonth < 1 || s.wMonth > 12 || s.wDay < 1 ||
        s.wDay > mdays[s.wMonth - 1] + (s.wMonth == 2 && bLeap) || s.wHour > 23 || s.wMinute > 59 ||
        s.wSecond > 59 || s.wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LONGLONG days = _DaysFromCivil(s.wYear, s.wMonth, s.wDay) + 134774;
    ULONGLONG ms = (ULONGLONG)days * 86400000ULL + s.wHour * 3600000ULL + s.wMinute * 60000ULL +
                   s.wSecond * 1000ULL + s.wMilliseconds;
    ULONGLONG t = ms * 10000;
    lpFileTime->dwLowDateTime = (DWORD)t;
    lpFileTime->dwHighDateTime = (DWORD)(t >> 32);
    return TRUE;
}

namespace {
BOOL _ShiftFileTime(const FILETIME* in, FILETIME* out, int sign)
{
    if (!in || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONGLONG t = ((ULONGLONG)in->dwHighDateTime << 32) | in->dwLowDateTime;
    // The zone's offset now, as the platform uses the current bias.
    LONGLONG shift = _LocalOffset(time(nullptr)) * 10000000LL * sign;
    t = (ULONGLONG)((LONGLONG)t + shift);
    out->dwLowDateTime = (DWORD)t;
    out->dwHighDateTime = (DWORD)(t >> 32);
    return TRUE;
}
}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime)
{
    return _ShiftFileTime(lpFileTime, lpLocalFileTime, 1);
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime)
{
    return _ShiftFileTime(lpLocalFileTime, lpFileTime, -1);
}

LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2)
{
    if (!lpFileTime1 || !lpFileTime2)
        return 0;
    ULONGLONG a = ((ULONGLONG)lpFileTime1->dwHighDateTime << 32) | lpFileTime1->dwLowDateTime;
    ULONGLONG b = ((ULONGLONG)lpFileTime2->dwHighDateTime << 32) | lpFileTime2->dwLowDateTime;
    return a < b ? -1 : a > b ? 1 : 0;
}

DWORD GetTickCount()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (DWORD)((ULONGLONG)ts.tv_sec * 1000ULL + (ULONGLONG)ts.tv_nsec / 1000000ULL);
}

void Sleep(DWORD dwMilliseconds)
{
    struct timespec ts;
    ts.tv_sec = dwMilliseconds / 1000;
    ts.tv_nsec = (long)(dwMilliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0)
        ;
}

DWORD GetCurrentProcessId()
{
    return (DWORD)getpid();
}

DWORD GetCurrentThreadId()
{
    return (DWORD)syscall(SYS_gettid);
}

void OutputDebugStringW(LPCWSTR lpOutputString)
{
    _Log(SysUtf8(lpOutputString));
}

void OutputDebugStringA(LPCSTR lpOutputString)
{
    _Log(_FromNarrow(lpOutputString));
}

ULONG DbgPrint(const char* Format, ...)
{
    va_list ap;
    va_start(ap, Format);
    std::string s = _Format(Format, ap);
    va_end(ap);
    _Log(_FromNarrow(s.c_str()));
    return 0;
}

void EngDebugPrint(const char* StandardPrefix, const char* DebugMessage, va_list ap)
{
    std::string s = StandardPrefix ? StandardPrefix : "";
    s += _Format(DebugMessage, ap);
    _Log(_FromNarrow(s.c_str()));
}

std::string PlatDebugLog()
{
    std::lock_guard<std::mutex> lock(g_logLock);
    return g_log;
}

void PlatClearDebugLog()
{
    std::lock_guard<std::mutex> lock(g_logLock);
    g_log.clear();
}
