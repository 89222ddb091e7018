// The kernel handle table: kinds registered by other platform areas, the
// general close, and a close that waits for a handle in use.
#include "platform/windows.h"

#include <gtest/gtest.h>

namespace {

int g_closed = 0;

BOOL CountClose(void* pObject)
{
    ++g_closed;
    *static_cast<int*>(pObject) = -1;
    return TRUE;
}

const DWORD kOwnKind = PLAT_HANDLE_USER + 7;

}  // namespace

TEST(Handles, OtherKindsCloseThroughCloseHandle)
{
    DWORD before = PlatOpenHandleCount();
    int object = 5;
    g_closed = 0;
    HANDLE h = PlatHandleCreate(kOwnKind, &object, CountClose);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(PlatHandleKind(h), kOwnKind);
    EXPECT_EQ(PlatOpenHandleCount(), before + 1);

    SetLastError(0);
    EXPECT_EQ(PlatHandleAcquire(h, PLAT_HANDLE_FILE), nullptr) << "a handle of another kind";
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindClose(h)) << "FindClose takes only searches";

    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(g_closed, 1);
    EXPECT_EQ(PlatOpenHandleCount(), before);
    EXPECT_FALSE(CloseHandle(h)) << "closed once only";
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    EXPECT_EQ(g_closed, 1);

    HANDLE h2 = PlatHandleCreate(kOwnKind, &object, CountClose);
    EXPECT_NE(h2, h) << "a closed value is not handed out again at once";
    CloseHandle(h2);
}

TEST(Handles, CloseWhileInUseWaitsForTheLastRelease)
{
    int object = 5;
    g_closed = 0;
    HANDLE h = PlatHandleCreate(kOwnKind, &object, CountClose);
    int* p = static_cast<int*>(PlatHandleAcquire(h, kOwnKind));
    ASSERT_EQ(p, &object);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(g_closed, 0) << "still in use";
    EXPECT_EQ(*p, 5);
    EXPECT_EQ(PlatHandleAcquire(h, PLAT_HANDLE_ANY), nullptr) << "the value no longer answers";
    PlatHandleRelease(h);
    EXPECT_EQ(g_closed, 1);
    EXPECT_EQ(object, -1);
}
