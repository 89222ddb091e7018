// Global and local memory: lock counts, handles from addresses, moving
// re-allocation, the failure switch and bad handles.
#include "platform/windows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

TEST(GlobalMemory, MoveableBlockCountsLocksAndFreesToZero)
{
    LONG before = PlatGlobalLiveBlocks();
    HGLOBAL h = GlobalAlloc(GHND, 100);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(PlatGlobalLiveBlocks(), before + 1);
    EXPECT_EQ(GlobalSize(h), 100u);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);

    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_NE(static_cast<void*>(p), h) << "a moveable block's handle is not its address";
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(p[i], 0) << "GHND zero-fills, byte " << i;
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);

    EXPECT_TRUE(GlobalUnlock(h));
    SetLastError(12345);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), (DWORD)NO_ERROR) << "reaching 0 is not an error";
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NOT_LOCKED);

    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(PlatGlobalLiveBlocks(), before);
}

TEST(GlobalMemory, HandleFromLockedPointerAndFromInsideTheBlock)
{
    HGLOBAL hMove = GlobalAlloc(GMEM_MOVEABLE, 64);
    HGLOBAL hFixed = GlobalAlloc(GPTR, 64);
    ASSERT_TRUE(hMove && hFixed);
    BYTE* pMove = static_cast<BYTE*>(GlobalLock(hMove));
    BYTE* pFixed = static_cast<BYTE*>(GlobalLock(hFixed));
    EXPECT_EQ(static_cast<void*>(pFixed), hFixed) << "a fixed block's handle is its address";

    struct {
        const void* p;
        HGLOBAL expected;
    } const rows[] = {
        {pMove, hMove}, {pMove + 63, hMove}, {pFixed, hFixed}, {pFixed + 10, hFixed},
    };
    for (const auto& r : rows)
        EXPECT_EQ(GlobalHandle(r.p), r.expected);

    // The pattern the driver uses to free a record it only has the address of.
    EXPECT_FALSE(GlobalUnlock(GlobalHandle(pMove)));
    EXPECT_EQ(GlobalFree(GlobalHandle(pMove)), nullptr);
    EXPECT_EQ(GlobalFree(GlobalHandle(pFixed)), nullptr);

    SetLastError(0);
    int onStack = 0;
    EXPECT_EQ(GlobalHandle(&onStack), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

TEST(GlobalMemory, ReAllocMovesAnUnlockedMoveableBlockAndKeepsItsHandle)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    memcpy(p, "ABCDEFGH", 8);
    GlobalUnlock(h);

    HGLOBAL h2 = GlobalReAlloc(h, 4096, GMEM_MOVEABLE | GMEM_ZEROINIT);
    ASSERT_EQ(h2, h);
    EXPECT_EQ(GlobalSize(h), 4096u);
    BYTE* q = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_EQ(memcmp(q, "ABCDEFGH", 8), 0);
    for (int i = 8; i < 4096; ++i)
        ASSERT_EQ(q[i], 0) << "new bytes zero-filled, byte " << i;

    // Locked and not allowed to move: growing fails and leaves the block as it was.
    SetLastError(0);
    EXPECT_EQ(GlobalReAlloc(h, 8192, 0), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(GlobalSize(h), 4096u);
    EXPECT_EQ(GlobalLock(h), q);
    // Shrinking in place is allowed while locked.
    EXPECT_EQ(GlobalReAlloc(h, 16, 0), h);
    EXPECT_EQ(GlobalSize(h), 16u);
    EXPECT_EQ(memcmp(q, "ABCDEFGH", 8), 0);
    GlobalUnlock(h);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, FailureSwitchFailsExactlyTheNthAllocation)
{
    for (LONG n = 1; n <= 4; ++n) {
        LONG before = PlatGlobalLiveBlocks();
        PlatFailAllocation(n);
        std::vector<HGLOBAL> got;
        for (LONG i = 1; i <= 5; ++i) {
            SetLastError(0);
            HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 32);
            if (i == n) {
                EXPECT_EQ(h, nullptr) << "n=" << n;
                EXPECT_EQ(GetLastError(), (DWORD)ERROR_NOT_ENOUGH_MEMORY);
            } else {
                EXPECT_NE(h, nullptr) << "n=" << n << " i=" << i;
                got.push_back(h);
            }
        }
        for (HGLOBAL h : got)
            GlobalFree(h);
        EXPECT_EQ(PlatGlobalLiveBlocks(), before);
    }
}

TEST(GlobalMemory, FailureSwitchCoversReAllocAndLocalAlloc)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
    PlatFailAllocation(1);
    EXPECT_EQ(GlobalReAlloc(h, 100, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalSize(h), 8u) << "a failed re-allocation keeps the block";
    PlatFailAllocation(1);
    EXPECT_EQ(LocalAlloc(LPTR, 10), nullptr);
    HLOCAL l = LocalAlloc(LPTR, 10);
    EXPECT_NE(l, nullptr) << "the switch fires once";
    LocalFree(l);
    GlobalFree(h);
    PlatFailAllocation(0);
}

TEST(GlobalMemory, BadHandlesGiveThePlatformResultNeverACrash)
{
    HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, 4);
    GlobalFree(freed);
    HGLOBAL bad[] = {freed, reinterpret_cast<HGLOBAL>(0x12345678), nullptr};
    for (HGLOBAL h : bad) {
        SetLastError(0);
        EXPECT_EQ(GlobalLock(h), nullptr);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(GlobalUnlock(h));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(GlobalSize(h), 0u);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        EXPECT_EQ(GlobalFlags(h), (UINT)GMEM_INVALID_HANDLE);
        EXPECT_EQ(GlobalReAlloc(h, 10, GMEM_MOVEABLE), nullptr);
        SetLastError(0);
        EXPECT_EQ(GlobalFree(h), h) << "failure returns the handle";
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    }
}

TEST(LocalMemory, FixedZeroedBlockAndSize)
{
    LONG before = PlatGlobalLiveBlocks();
    HLOCAL h = LocalAlloc(LPTR, 24);
    ASSERT_NE(h, nullptr);
    BYTE* p = static_cast<BYTE*>(LocalLock(h));
    EXPECT_EQ(static_cast<void*>(p), h);
    for (int i = 0; i < 24; ++i)
        ASSERT_EQ(p[i], 0);
    EXPECT_EQ(LocalSize(h), 24u);
    EXPECT_TRUE(LocalUnlock(h));
    EXPECT_EQ(LocalFree(h), nullptr);
    EXPECT_EQ(PlatGlobalLiveBlocks(), before);
}

TEST(GlobalMemory, ThreadsAllocatingTogetherLeaveNothingBehind)
{
    LONG before = PlatGlobalLiveBlocks();
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i) {
                HGLOBAL h = GlobalAlloc(GHND, 16 + i % 64);
                BYTE* p = static_cast<BYTE*>(GlobalLock(h));
                p[0] = (BYTE)t;
                h = GlobalReAlloc(GlobalHandle(p), 200, GMEM_MOVEABLE);
                GlobalUnlock(h);
                GlobalFree(h);
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(PlatGlobalLiveBlocks(), before);
}
