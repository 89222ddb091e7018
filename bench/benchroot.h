// benchroot.h: the folder a benchmark program keeps its files in.
#pragma once

#include "platform/kernel/root.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// Makes a fresh folder /tmp/PREFIX.XXXXXX, makes it the platform's root and
// removes it with everything in it when the program ends. The first call
// makes the folder; later calls answer the same path. Without a folder (the
// temporary folder is full or read-only) the root is /tmp/PREFIX.fallback.
inline std::string BenchMakeRoot(const char* pszPrefix = "q730bench")
{
    static std::string s_root;
    if (!s_root.empty())
        return s_root;
    std::string tmpl = std::string("/tmp/") + pszPrefix + ".XXXXXX";
    if (mkdtemp(tmpl.data())) {
        s_root = tmpl;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(s_root, ec);
        });
    } else {
        s_root = std::string("/tmp/") + pszPrefix + ".fallback";
    }
    PlatSetRoot(s_root.c_str());
    return s_root;
}
