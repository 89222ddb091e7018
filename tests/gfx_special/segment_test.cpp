// The recorded-segment store: drawings recorded through the escapes the
// user-interface library sends, committed as part 1 or 2 of an entry and
// played back raw in pieces the job record stream takes.
#include "specfix.h"

namespace {

ULONG Esc(TestPdev* pt, ULONG iEsc, LONG lIn = 0, bool bIn = false)
{
    return bPrivateEscapeSegment(pt->pdev(), iEsc, bIn ? 4 : 0, bIn ? &lIn : nullptr, 0,
                                 nullptr);
}

// Records the text as part nPart of the current entry.
void Record(TestPdev* pt, const std::string& s, int nPart)
{
    EXPECT_EQ(Esc(pt, ESCAPE_PAGES_BEGINRECORD), 1u);
    for (size_t i = 0; i < s.size(); i += 50000)
        WriteStream(pt->pdev(), s.data() + i, (DWORD)std::min<size_t>(50000, s.size() - i));
    EXPECT_EQ(Esc(pt, ESCAPE_PAGES_ENDRECORD), 1u);
    Esc(pt, nPart == 1 ? ESCAPE_PAGES_STOREPART1 : ESCAPE_PAGES_STOREPART2);
}

class Segments : public ::testing::Test {
protected:
    TestPdev t;
    void SetUp() override
    {
        PdlStartDoc(t.pdev());
        ASSERT_EQ(Esc(&t, ESCAPE_PAGES_SEGMENTS, 2, true), 1u);
        ASSERT_EQ(Esc(&t, ESCAPE_PAGES_SEGMENTKEY, 7, true), 1u);
        Record(&t, "txo #41 1 1;\n", 1);
        Record(&t, "txo #42 2 2;\n", 2);
        ASSERT_EQ(Esc(&t, ESCAPE_PAGES_NEXTSEGMENT), 1u);
        ASSERT_EQ(Esc(&t, ESCAPE_PAGES_SEGMENTKEY, 9, true), 1u);
    }
};

TEST_F(Segments, RecordingNeverReachesTheJobAndReplaysByKeyAndPart)
{
    EXPECT_EQ(t.Take(), "");
    EXPECT_EQ(FindSegment(t.pdev(), 7), 0);
    EXPECT_EQ(FindSegment(t.pdev(), 9), 1);
    EXPECT_EQ(FindSegment(t.pdev(), 8), -1);
    EXPECT_TRUE(ReplaySegment(t.pdev(), 1, 7));
    EXPECT_EQ(t.Take(), "txo #41 1 1;\n");
    EXPECT_TRUE(ReplaySegment(t.pdev(), 2, 7));
    EXPECT_EQ(t.Take(), "txo #42 2 2;\n");
    EXPECT_TRUE(ReplaySegment(t.pdev(), 1, 8));
    EXPECT_EQ(t.Take(), "");
}

TEST_F(Segments, LargePartReplaysInPiecesOfAtMost65535)
{
    std::string big(200000, 'x');
    Record(&t, big, 1);
    LogWrites(&t);
    ReplaySegment(t.pdev(), 1, 9);
    EXPECT_EQ(TheWriteLog().sizes, (std::vector<DWORD>{65535, 65535, 65535, 3395}));
    EXPECT_EQ(t.Take(), big);
}

TEST_F(Segments, RecordingThatOverflowsKeepsNothing)
{
    // 307200 bytes fit; one more byte spoils the whole part, and a short
    // write after the overflow does not sneak in a cut command.
    std::string s(307200, 'y');
    EXPECT_EQ(Esc(&t, ESCAPE_PAGES_BEGINRECORD), 1u);
    WriteStream(t.pdev(), s.data(), (DWORD)s.size());
    EXPECT_FALSE(AppendSegmentData(t.pdev(), (const BYTE*)"z", 1));
    EXPECT_FALSE(AppendSegmentData(t.pdev(), (const BYTE*)"!>;\n", 4));
    EXPECT_EQ(Esc(&t, ESCAPE_PAGES_ENDRECORD), 1u);
    EXPECT_FALSE(StoreRecordedSegment(t.pdev(), 1));
    ReplaySegment(t.pdev(), 1, 9);
    EXPECT_EQ(t.Take(), "");
    // The store is usable again for the next recording.
    Record(&t, "txo #43 3 3;\n", 1);
    ReplaySegment(t.pdev(), 1, 9);
    EXPECT_EQ(t.Take(), "txo #43 3 3;\n");
}

TEST_F(Segments, StoreOutsideTheCountedEntriesIsRefused)
{
    ASSERT_EQ(Esc(&t, ESCAPE_PAGES_SEGMENTS, 1, true), 1u);
    // Entry 1 is beyond a count of 1 now.
    EXPECT_EQ(Esc(&t, ESCAPE_PAGES_BEGINRECORD), 1u);
    WriteStream(t.pdev(), "abc", 3);
    Esc(&t, ESCAPE_PAGES_ENDRECORD);
    EXPECT_FALSE(StoreRecordedSegment(t.pdev(), 1));
    EXPECT_EQ(FindSegment(t.pdev(), 9), -1);
}

TEST_F(Segments, ReleaseTwiceFreesOnce)
{
    ReleaseSegments(t.pdev());
    EXPECT_EQ(Val(t.work()->aReplay[2]), 0);
    EXPECT_EQ(Val(t.work()->aReplay[4]), 0);
    EXPECT_EQ(FindSegment(t.pdev(), 7), -1);
    EXPECT_EQ(Esc(&t, ESCAPE_PAGES_RELEASESEGS), 1u);
    PdlEndDoc(t.pdev());
    EXPECT_EQ(Val(t.work()->aReplay[0]), 0);
}

TEST(SegmentsWithBlankSkipping, RecordingWinsOverThePageBuffer)
{
    TestPdev t;
    StartSkippingJob(&t);
    ASSERT_EQ(Esc(&t, ESCAPE_PAGES_SEGMENTS, 1, true), 1u);
    ASSERT_EQ(Esc(&t, ESCAPE_PAGES_SEGMENTKEY, 3, true), 1u);
    StartPageOf(&t);
    Record(&t, "tab-label;\n", 1);
    MarkPageInked(t.pdev());
    SetPageState(t.pdev(), 0);
    EndPageOf(&t);
    std::string s = t.Take();
    EXPECT_EQ(s.find("tab-label;"), std::string::npos);
    EXPECT_NE(s.find("prn;\n"), std::string::npos);
    ReplaySegment(t.pdev(), 1, 3);
    FlushPageBuffer(t.pdev());
    EXPECT_EQ(t.Take(), "tab-label;\n");
}

}  // namespace
