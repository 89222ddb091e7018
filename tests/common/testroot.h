// testroot.h: every test program runs in a fresh root folder of its own.
#pragma once

#include <string>

// The host path of the current test root.
std::string TestRootPath();

// Replaces the current root with a new empty one (for tests that need a
// second fresh machine inside one program).
std::string TestNewRoot();

// Host path of a file inside the current root.
std::string TestRootFile(const std::string& relative);

// The job with the name in its PJL USERNAME line replaced by "user": the
// user's name is the machine's, not the driver's, and it is the one line
// that may differ between two machines or builds printing the same job.
std::string JobWithoutUserName(std::string job);
