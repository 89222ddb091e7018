// q730run.h: the command-line tool run as a person runs it, in the current
// test root (testroot.h), with what it printed and its exit status.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int iExit;              // exit status, -1 when it did not exit normally
    std::string strOut;     // what it wrote to standard output
    std::string strErr;     // what it wrote to standard error
};

// The whole content of a host file (empty when it cannot be read).
std::string ReadFile(const std::string& path);

// Runs "q730 ARGS" (the q730 beside the test program, or program) in the
// current root, its folder the current folder.
RunResult RunQ730(const std::string& args, const std::string& program = "");

// The user's own default DEVMODE of a printer as the printing preferences
// saved it (level 9, with its private part); empty when there is none.
std::vector<unsigned char> UserDefault(const char16_t* pszPrinter = u"QX-730");
