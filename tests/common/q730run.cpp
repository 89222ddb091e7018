#include "tests/common/q730run.h"

#include <gtest/gtest.h>

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

std::vector<unsigned char> UserDefault(const char16_t* pszPrinter)
{
    HANDLE h = nullptr;
    if (!OpenPrinterW((LPWSTR)pszPrinter, &h, nullptr)) {
        ADD_FAILURE() << "the printer cannot be opened";
        return {};
    }
    DWORD cb = 0;
    GetPrinterW(h, 9, nullptr, 0, &cb);
    std::vector<BYTE> buf(cb ? cb : 4);
    BOOL bOk = GetPrinterW(h, 9, buf.data(), cb, &cb);
    EXPECT_TRUE(bOk) << "the user's default cannot be read";
    ClosePrinter(h);
    const DEVMODEW* pdm = bOk ? ((PRINTER_INFO_9W*)buf.data())->pDevMode : nullptr;
    if (!pdm)
        return {};
    return std::vector<unsigned char>((const BYTE*)pdm, (const BYTE*)pdm + pdm->dmSize + pdm->dmDriverExtra);
}
