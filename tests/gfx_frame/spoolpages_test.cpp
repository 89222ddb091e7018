// A stored job keeps its page bookings in one block however many pages it
// has: long jobs replay every mode in the same order as short ones, and a
// page that never reached its end section still counts at the trailer.
#include "tests/gfx_frame/frame_fixture.h"

#include <string>

namespace {

// Stores a job of n tagged pages: header "H", page i start "S<i>", body
// "B<i>", end "E<i>", trailer "T"; the last page gets no end section when
// bLastOpen. The most global blocks live at once while storing, beyond
// those before, goes to *pcPeak.
SPOOLSTATE* StoreJob(WORD wMode, int n, bool bLastOpen, LONG* pcPeak)
{
    LONG before = PlatGlobalLiveBlocks();
    *pcPeak = 0;
    SPOOLSTATE* pState = CreateSpoolState(nullptr, wMode, 1, RecordSink);
    if (!pState)
        return nullptr;
    auto put = [&](const std::string& s) {
        WriteSpoolData(pState, reinterpret_cast<const BYTE*>(s.data()), static_cast<DWORD>(s.size()));
        LONG c = PlatGlobalLiveBlocks() - before;
        if (c > *pcPeak)
            *pcPeak = c;
    };
    SetSpoolSection(pState, SECTION_HEADER);
    put("H");
    for (int i = 1; i <= n; i++) {
        SetSpoolSection(pState, SECTION_PAGESTART);
        put("S" + std::to_string(i) + ".");
        SetSpoolSection(pState, SECTION_PAGEBODY);
        put("B" + std::to_string(i) + ".");
        if (i == n && bLastOpen)
            break;
        SetSpoolSection(pState, SECTION_PAGEEND);
        put("E" + std::to_string(i) + ".");
    }
    SetSpoolSection(pState, SECTION_TRAILER);
    put("T");
    return pState;
}

std::string Page(int i, bool bStart, bool bEnd, bool bHasEnd)
{
    std::string s = bStart ? "S" + std::to_string(i) + "." : "";
    s += "B" + std::to_string(i) + ".";
    if (bEnd && bHasEnd)
        s += "E" + std::to_string(i) + ".";
    return s;
}

}  // namespace

TEST(SpoolPages, LongJobsReplayInOrderFromOneBlock)
{
    struct {
        WORD wMode;
        int n;
        bool bLastOpen;
    } const cases[] = {
        {REPLAY_COLLATED, 16, false}, {REPLAY_COLLATED, 17, true},   {REPLAY_REVERSE, 33, false},
        {REPLAY_REVERSE, 16, true},   {REPLAY_BOOKLET, 130, false},  {REPLAY_BOOKLET, 64, true},
        {REPLAY_BOOKLET, 1000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.wMode) + ", " + std::to_string(c.n) + " pages" +
                     (c.bLastOpen ? ", the last one open" : ""));
        ResetSink();
        LONG cPeak = 0;
        SPOOLSTATE* pState = StoreJob(c.wMode, c.n, c.bLastOpen, &cPeak);
        ASSERT_NE(pState, nullptr);
        EXPECT_EQ(pState->cPages, static_cast<DWORD>(c.n));
        // The state, its page block, and the block that replaces it while
        // it grows: never one block per page.
        EXPECT_LE(cPeak, 3);
        ASSERT_GE(ReplaySpool(pState), 0);
        auto has = [&](int i) { return !(c.bLastOpen && i == c.n); };
        std::string want = "H";
        if (c.wMode == REPLAY_COLLATED) {
            for (int i = 1; i <= c.n; i++)
                want += Page(i, true, true, has(i));
        } else if (c.wMode == REPLAY_REVERSE) {
            for (int i = c.n; i >= 1; i--)
                want += Page(i, true, true, has(i));
        } else {
            // Sheet side i: page i and its partner a - i + 1 of a, the page
            // count rounded up to four, sharing one start and one end.
            int a = (c.n + 3) / 4 * 4;
            for (int i = 1; i <= a / 2; i++) {
                int j = a - i + 1;
                if (j <= c.n)
                    want += Page(i, true, false, has(i)) + Page(j, false, true, has(j));
                else if (i <= c.n)
                    want += Page(i, true, true, has(i));
            }
        }
        want += "T";
        EXPECT_TRUE(g_sink.bytes == want) << g_sink.bytes.substr(0, 200) << "\nwanted\n"
                                          << want.substr(0, 200);
        DeleteSpoolState(pState);
    }
}
