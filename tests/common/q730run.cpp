#include "tests/common/q730run.h"

#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

RunResult RunQ730(const std::string& args, const std::string& program)
{
    std::string out = TestRootFile("q730.out"), err = TestRootFile("q730.err");
    std::string exe = program.empty() ? std::string(PlatGetProgramDir()) + "/q730" : program;
    std::string cmd = "cd '" + TestRootPath() + "' && Q730_ROOT='" + TestRootPath() + "' '" + exe + "' " + args +
                      " >'" + out + "' 2>'" + err + "'";
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}
