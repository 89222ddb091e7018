// Test entry: each test program (and, under CTest, each test) runs in a new
// empty root, removed again at the end unless Q730_KEEP_TEST_ROOT is set.
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

void TestRemoveRoots();

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TestNewRoot();
    int rc = RUN_ALL_TESTS();
    TestRemoveRoots();
    return rc;
}
