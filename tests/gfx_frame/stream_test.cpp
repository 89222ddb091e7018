// The job record stream: record cutting, spool booking, booklet replay,
// form files and the failure paths.
#include "tests/gfx_frame/frame_fixture.h"

#include "graphics/ddi/chain.h"

namespace {

std::string Pattern(size_t cb, size_t seed)
{
    std::string s(cb, '\0');
    for (size_t i = 0; i < cb; i++)
        s[i] = static_cast<char>((i * 7 + seed) & 0xFF);
    return s;
}

struct CutCase {
    std::vector<DWORD> writes;
    std::vector<DWORD> recordsDuringWrites;  // DATA sizes sent while writing
    DWORD cbLeftInBuffer;
};

class RecordCutting : public ::testing::TestWithParam<CutCase> {};

TEST_P(RecordCutting, DataRecordsHoldAtMost4092Bytes)
{
    const CutCase& c = GetParam();
    ResetSink();
    BarePdev pdev;
    pdev.AttachRecordingWriter(REPLAY_DIRECT);
    std::string all;
    for (size_t i = 0; i < c.writes.size(); i++) {
        std::string s = Pattern(c.writes[i], i);
        all += s;
        ASSERT_TRUE(bWriteJobData(pdev.p(), reinterpret_cast<const BYTE*>(s.data()), c.writes[i]));
    }
    EXPECT_EQ(g_sink.calls, c.recordsDuringWrites);
    EXPECT_EQ(pdev.p()->cbRecUsed, c.cbLeftInBuffer);
    ASSERT_TRUE(bEmitRecordOfType(pdev.p(), JR_DATA, 0));
    EXPECT_EQ(g_sink.bytes, all);
    EXPECT_EQ(pdev.p()->cbRecUsed, 0u);
    CloseJobRecordStream(pdev.p());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordCutting,
    ::testing::Values(CutCase{{4092}, {}, 4092},                        // fits exactly
                      CutCase{{4093}, {4092, 1}, 0},                    // goes out at once
                      CutCase{{3 * 4092 + 1}, {4092, 4092, 4092, 1}, 0},
                      CutCase{{4091, 1}, {}, 4092},
                      CutCase{{4091, 2}, {4091}, 2},
                      CutCase{{10, 5000}, {10, 4092, 908}, 0}));

TEST(RecordStream, EmptyDataRecordWritesNothing)
{
    ResetSink();
    BarePdev pdev;
    pdev.AttachRecordingWriter(REPLAY_DIRECT);
    EXPECT_TRUE(bEmitRecordOfType(pdev.p(), JR_DATA, 0));
    EXPECT_TRUE(g_sink.calls.empty());
    CloseJobRecordStream(pdev.p());
}

// --- booklet replay -------------------------------------------------------

// Stores a job of n pages whose parts are tagged: header "H", page i start
// "S<i>", body "B<i>", end "E<i>" (when bEnds), trailer "T".
SPOOLSTATE* StoreTaggedJob(int n, BOOL bEnds)
{
    SPOOLSTATE* pState = CreateSpoolState(nullptr, REPLAY_BOOKLET, 1, RecordSink);
    if (!pState)
        return nullptr;
    auto put = [&](const std::string& s) {
        WriteSpoolData(pState, reinterpret_cast<const BYTE*>(s.data()), static_cast<DWORD>(s.size()));
    };
    SetSpoolSection(pState, SECTION_HEADER);
    put("H");
    for (int i = 1; i <= n; i++) {
        SetSpoolSection(pState, SECTION_PAGESTART);
        put("S" + std::to_string(i));
        SetSpoolSection(pState, SECTION_PAGEBODY);
        put("B" + std::to_string(i));
        SetSpoolSection(pState, SECTION_PAGEEND);
        if (bEnds)
            put("E" + std::to_string(i));
    }
    SetSpoolSection(pState, SECTION_TRAILER);
    put("T");
    return pState;
}

struct BookletCase {
    int n;
    BOOL bEnds;
    const char* pszExpected;
};

class BookletReplay : public ::testing::TestWithParam<BookletCase> {};

TEST_P(BookletReplay, SheetSidesInBookletOrder)
{
    const BookletCase& c = GetParam();
    ResetSink();
    SPOOLSTATE* pState = StoreTaggedJob(c.n, c.bEnds);
    ASSERT_NE(pState, nullptr);
    EXPECT_EQ(pState->cPages, static_cast<DWORD>(c.n));
    EXPECT_TRUE(g_sink.bytes.empty());  // nothing leaves before the replay
    EXPECT_GE(ReplaySpool(pState), 0);
    EXPECT_EQ(g_sink.bytes, c.pszExpected);
    DeleteSpoolState(pState);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BookletReplay,
    ::testing::Values(
        BookletCase{1, TRUE, "HS1B1E1T"},
        BookletCase{4, TRUE, "HS1B1B4E4S2B2B3E3T"},
        BookletCase{5, TRUE, "HS1B1E1S2B2E2S3B3E3S4B4B5E5T"},
        BookletCase{8, TRUE, "HS1B1B8E8S2B2B7E7S3B3B6E6S4B4B5E5T"},
        BookletCase{9, TRUE, "HS1B1E1S2B2E2S3B3E3S4B4B9E9S5B5B8E8S6B6B7E7T"},
        // Pages whose end part is empty stay pages of their own.
        BookletCase{2, FALSE, "HS1B1S2B2T"},
        BookletCase{0, TRUE, "HT"}));

TEST(BookletReplayFile, TemporaryFileLivesUntilTheStateGoes)
{
    SPOOLSTATE* pState = CreateSpoolState(nullptr, REPLAY_BOOKLET, 1, RecordSink);
    ASSERT_NE(pState, nullptr);
    std::u16string name = pState->szTempFile;
    EXPECT_EQ(name.find(u"\\spl"), name.rfind(u'\\'));  // the "spl" prefix
    EXPECT_NE(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteSpoolState(pState);
    EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

// --- records through the writer -----------------------------------------------

struct RecordFeeder {
    SPOOLWRITER* pWriter;
    BOOL Send(const std::vector<BYTE>& rec)
    {
        DWORD cbTaken = 0;
        BOOL b = bProcessJobRecord(pWriter, rec.data(), static_cast<DWORD>(rec.size()), &cbTaken);
        return b && cbTaken == rec.size();
    }
    BOOL Open(WORD wMode, BYTE bFormMode, const std::u16string& path)
    {
        JOBRECORD_OPEN rec = {};
        rec.hdr = {JR_OPEN, 21, 0};
        rec.wReplayMode = wMode;
        rec.wReplayCopies = 1;
        rec.bFormMode = bFormMode;
        std::memcpy(rec.szFormPath, path.c_str(), path.size() * 2);
        const BYTE* pb = reinterpret_cast<const BYTE*>(&rec);
        return Send(std::vector<BYTE>(pb, pb + sizeof(rec)));
    }
    BOOL Section(WORD w) { return Send({JR_SECTION, 6, 0, 0, static_cast<BYTE>(w), 0}); }
    BOOL Data(const std::string& s)
    {
        std::vector<BYTE> rec = {JR_DATA, 4, static_cast<BYTE>(s.size()),
                                 static_cast<BYTE>(s.size() >> 8)};
        rec.insert(rec.end(), s.begin(), s.end());
        return Send(rec);
    }
    BOOL Simple(BYTE bType) { return Send({bType, 4, 0, 0}); }
};

TEST(FormFile, CreateModeWritesTheWholeStreamToTheFile)
{
    CreateDirectoryW(u"C:\\forms", nullptr);
    LONG before = PlatGlobalLiveBlocks();
    // The printer handle is null: a single byte sent to the printer would fail.
    RecordFeeder f = {CreateSpoolWriter(nullptr)};
    ASSERT_TRUE(f.Open(REPLAY_DIRECT, FORMFILE_CREATE, u"C:\\forms\\logo.xfo"));
    EXPECT_TRUE(f.Section(SECTION_HEADER));
    EXPECT_TRUE(f.Data("mct 1;\n"));
    EXPECT_TRUE(f.Section(SECTION_PAGESTART));
    EXPECT_TRUE(f.Data("page"));
    EXPECT_TRUE(f.Section(SECTION_TRAILER));
    EXPECT_TRUE(f.Simple(JR_REPLAY));
    EXPECT_TRUE(f.Simple(JR_CLOSE));
    EXPECT_EQ(ReadHostFile(TestRootFile("c/forms/logo.xfo")), "mct 1;\npage");
    EXPECT_EQ(PlatGlobalLiveBlocks(), before);
}

TEST(FormFile, OverlayModeCopiesTheStoredFormIntoTheJob)
{
    CreateDirectoryW(u"C:\\forms", nullptr);
    std::string form = Pattern(0x4000 + 123, 3);  // more than one chunk
    {
        std::ofstream out(TestRootFile("c/forms/stored.xfo"), std::ios::binary);
        out << form;
    }
    ResetSink();
    RecordFeeder f = {CreateSpoolWriter(nullptr)};
    f.pWriter->pfnWrite = RecordSink;
    ASSERT_TRUE(f.Open(REPLAY_DIRECT, FORMFILE_OVERLAY, u"C:\\forms\\stored.xfo"));
    EXPECT_TRUE(f.Data("mcr 1 16507 <!"));
    EXPECT_TRUE(f.Simple(JR_COPYFILE));
    EXPECT_TRUE(f.Data("!>;\n"));
    EXPECT_TRUE(f.Simple(JR_CLOSE));
    EXPECT_EQ(g_sink.bytes, "mcr 1 16507 <!" + form + "!>;\n");
}

TEST(FormFile, MissingStoredFormFailsTheCopy)
{
    RecordFeeder f = {CreateSpoolWriter(nullptr)};
    f.pWriter->pfnWrite = RecordSink;
    ASSERT_TRUE(f.Open(REPLAY_DIRECT, FORMFILE_OVERLAY, u"C:\\forms\\none.xfo"));
    EXPECT_FALSE(f.Simple(JR_COPYFILE));
    EXPECT_TRUE(f.Simple(JR_CLOSE));
}

// --- failures -------------------------------------------------------------------

TEST(StreamFailure, DirectWriteFailureAbortsTheJobAndStillTearsDown)
{
    LONG before = PlatGlobalLiveBlocks();
    ResetSink();
    g_sink.nFailAt = 3;
    BarePdev pdev;
    pdev.AttachRecordingWriter(REPLAY_DIRECT);
    std::string s = Pattern(4092, 1);
    const BYTE* pb = reinterpret_cast<const BYTE*>(s.data());
    EXPECT_TRUE(bWriteJobData(pdev.p(), pb, 4092));
    EXPECT_TRUE(bWriteJobData(pdev.p(), pb, 4092));  // record 1 leaves
    EXPECT_TRUE(bWriteJobData(pdev.p(), pb, 4092));  // record 2 leaves
    EXPECT_FALSE(bWriteJobData(pdev.p(), pb, 4092)); // record 3 fails
    EXPECT_TRUE(pdev.p()->fJob & PDEVF_ABORTED);
    EXPECT_FALSE(bWriteJobData(pdev.p(), pb, 1));
    EXPECT_EQ(pdev.p()->cbRecUsed, 0u);
    EXPECT_TRUE(bEmitRecordOfType(pdev.p(), JR_SECTION, SECTION_TRAILER));
    EXPECT_TRUE(bEmitRecordOfType(pdev.p(), JR_REPLAY, 0));
    EXPECT_TRUE(bEmitRecordOfType(pdev.p(), JR_CLOSE, 0));
    EXPECT_EQ(PdevWriter(pdev.p()), nullptr);
    EXPECT_EQ(g_sink.bytes.size(), 2u * 4092);
    EXPECT_EQ(PlatGlobalLiveBlocks(), before);
}

TEST(StreamFailure, ShortSpoolFileWriteReleasesTheStateOnce)
{
    LONG before = PlatGlobalLiveBlocks();
    DWORD handlesBefore = PlatOpenHandleCount();
    ResetSink();
    BarePdev pdev;
    pdev.AttachRecordingWriter(REPLAY_BOOKLET);
    SPOOLSTATE* pState = PdevWriter(pdev.p())->pState;
    std::u16string name = pState->szTempFile;
    CloseHandle(pState->hTempFile);  // every write to the spool file now fails
    std::string s = "page data";
    bWriteJobData(pdev.p(), reinterpret_cast<const BYTE*>(s.data()), static_cast<DWORD>(s.size()));
    EXPECT_FALSE(bEmitRecordOfType(pdev.p(), JR_DATA, 0));
    EXPECT_TRUE(pdev.p()->fJob & PDEVF_ABORTED);
    EXPECT_EQ(PdevWriter(pdev.p())->pState, nullptr);
    EXPECT_FALSE(bEmitRecordOfType(pdev.p(), JR_SECTION, SECTION_PAGEEND));
    EXPECT_FALSE(bEmitRecordOfType(pdev.p(), JR_REPLAY, 0));
    EXPECT_TRUE(bEmitRecordOfType(pdev.p(), JR_CLOSE, 0));
    EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(g_sink.bytes.empty());
    EXPECT_EQ(PlatGlobalLiveBlocks(), before);
    EXPECT_EQ(PlatOpenHandleCount(), handlesBefore);
}

TEST(StreamFailure, BookletReplayReportsAFailedWrite)
{
    ResetSink();
    BarePdev pdev;
    pdev.AttachRecordingWriter(REPLAY_BOOKLET);
    PDEV* p = pdev.p();
    bEmitRecordOfType(p, JR_SECTION, SECTION_HEADER);
    bWriteJobData(p, reinterpret_cast<const BYTE*>("HDR"), 3);
    bEmitRecordOfType(p, JR_SECTION, SECTION_PAGESTART);
    bWriteJobData(p, reinterpret_cast<const BYTE*>("PAGE"), 4);
    bEmitRecordOfType(p, JR_SECTION, SECTION_PAGEEND);
    bEmitRecordOfType(p, JR_SECTION, SECTION_TRAILER);
    bWriteJobData(p, reinterpret_cast<const BYTE*>("TRL"), 3);
    bEmitRecordOfType(p, JR_DATA, 0);
    g_sink.nFailAt = 2;
    EXPECT_FALSE(bEmitRecordOfType(p, JR_REPLAY, 0));
    EXPECT_EQ(g_sink.bytes, "HDR");  // stopped at the failed write
    EXPECT_TRUE(bEmitRecordOfType(p, JR_CLOSE, 0));
}

TEST(StreamFailure, AbortedDocumentIsNotReplayed)
{
    ResetSink();
    BarePdev pdev;
    pdev.AttachRecordingWriter(REPLAY_BOOKLET);
    PDEV* p = pdev.p();
    p->fJob |= PDEVF_DOCSTARTED;
    bEmitRecordOfType(p, JR_SECTION, SECTION_HEADER);
    bWriteJobData(p, reinterpret_cast<const BYTE*>("HDR"), 3);
    bEmitRecordOfType(p, JR_DATA, 0);
    SURFOBJ so = {};
    so.dhpdev = reinterpret_cast<DHPDEV>(p);
    EXPECT_TRUE(GenEndDoc(&so, ED_ABORTDOC));
    EXPECT_TRUE(g_sink.bytes.empty());
    EXPECT_EQ(PdevWriter(p), nullptr);
    EXPECT_EQ(p->fJob & (PDEVF_DOCSTARTED | PDEVF_STREAMOPEN), 0u);
}

}  // namespace
