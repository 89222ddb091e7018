// q730: the command line that plays the application and the spooler around
// the driver libraries.
#include "platform/windows.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

const char* const kLibraries[] = {"libQ730MVU3.so", "libQ730MVG3.so", "libQ730MVT3.so"};

int _Usage(FILE* out)
{
    fprintf(out,
            "usage: q730 COMMAND\n"
            "\n"
            "commands:\n"
            "  version   load the three driver libraries and report them\n"
            "  --help    show this text\n");
    return out == stdout ? 0 : 2;
}

int _Version()
{
    int failed = 0;
    printf("q730 QX-730 printer driver, driver version 04.03\n");
    for (const char* lib : kLibraries) {
        std::string path = std::string(PlatGetProgramDir()) + "/" + lib;
        void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            fprintf(stderr, "q730: cannot load %s: %s\n", path.c_str(), dlerror());
            ++failed;
            continue;
        }
        printf("  %s: loaded from %s\n", lib, path.c_str());
        dlclose(h);
    }
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return _Usage(stderr);
    if (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h"))
        return _Usage(stdout);
    if (!strcmp(argv[1], "version"))
        return _Version();
    fprintf(stderr, "q730: unknown command '%s' (see q730 --help)\n", argv[1]);
    return 2;
}
