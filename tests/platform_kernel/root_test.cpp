#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(Root, EachTestProgramGetsAFreshRoot)
{
    std::string root = TestRootPath();
    EXPECT_EQ(root.rfind("/tmp/q730test.", 0), 0u);
    struct stat st;
    ASSERT_EQ(stat(root.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(Root, SetRootCreatesTheFolder)
{
    std::string second = TestNewRoot();
    EXPECT_EQ(std::string(PlatGetRoot()), second);
}
