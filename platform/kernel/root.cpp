// root.cpp: where the root folder is and which program is running.
#include "platform/kernel/root.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_rootLock;
std::string g_root;
std::string g_programDir;

void _MakeDirs(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return;
    std::string cur;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!cur.empty())
                mkdir(cur.c_str(), 0755);
        }
        if (i < path.size())
            cur += path[i];
    }
}

std::string _DefaultRoot()
{
    const char* env = getenv("Q730_ROOT");
    if (env && *env)
        return env;
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && *xdg)
        return std::string(xdg) + "/q730";
    const char* home = getenv("HOME");
    if (!home || !*home)
        home = "/tmp";
    return std::string(home) + "/.local/share/q730";
}

}  // namespace

const char* PlatGetRoot()
{
    std::lock_guard<std::mutex> lock(g_rootLock);
    if (g_root.empty()) {
        g_root = _DefaultRoot();
        while (g_root.size() > 1 && g_root.back() == '/')
            g_root.pop_back();
        _MakeDirs(g_root);
    }
    return g_root.c_str();
}

void PlatSetRoot(const char* pszHostPath)
{
    std::lock_guard<std::mutex> lock(g_rootLock);
    g_root = pszHostPath ? pszHostPath : "";
    while (g_root.size() > 1 && g_root.back() == '/')
        g_root.pop_back();
    if (g_root.empty())
        g_root = _DefaultRoot();
    _MakeDirs(g_root);
}

const char* PlatGetProgramDir()
{
    std::lock_guard<std::mutex> lock(g_rootLock);
    if (g_programDir.empty()) {
        char buf[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
        if (n > 0) {
            buf[n] = 0;
            g_programDir = buf;
            size_t slash = g_programDir.rfind('/');
            g_programDir = slash == std::string::npos ? "." : g_programDir.substr(0, slash);
        } else {
            g_programDir = ".";
        }
    }
    return g_programDir.c_str();
}
