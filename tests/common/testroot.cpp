#include "tests/common/testroot.h"

#include "platform/windows.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {
std::vector<std::string> g_roots;
}

std::string TestNewRoot()
{
    char tmpl[] = "/tmp/q730test.XXXXXX";
    const char* dir = mkdtemp(tmpl);
    std::string path = dir ? dir : "/tmp/q730test.fallback";
    g_roots.push_back(path);
    setenv("Q730_ROOT", path.c_str(), 1);
    PlatSetRoot(path.c_str());
    return path;
}

std::string TestRootPath()
{
    return PlatGetRoot();
}

std::string TestRootFile(const std::string& relative)
{
    return std::string(PlatGetRoot()) + "/" + relative;
}

void TestRemoveRoots()
{
    if (getenv("Q730_KEEP_TEST_ROOT"))
        return;
    for (const std::string& r : g_roots) {
        std::error_code ec;
        std::filesystem::remove_all(r, ec);
    }
    g_roots.clear();
}

std::string JobWithoutUserName(std::string job)
{
    const std::string key = "@PJL SET USERNAME = \"";
    size_t at = job.find(key);
    if (at != std::string::npos) {
        size_t end = job.find('"', at + key.size());
        if (end != std::string::npos)
            job.replace(at + key.size(), end - at - key.size(), "user");
    }
    return job;
}
