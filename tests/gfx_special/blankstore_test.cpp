// The page capture store of blank-page skipping: pages held back until
// their end, dropped when nothing put ink on them, and pages larger than
// the memory buffer carried through the capture file without losing or
// reordering a byte.
#include <sys/stat.h>

#include "specfix.h"

namespace {

long HostFileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

// A page body of n bytes that no other command could contain.
std::string Body(size_t n, char chSeed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = (char)('a' + (i * 7 + (size_t)chSeed) % 26);
    return s;
}

void WriteBody(TestPdev* pt, const std::string& s, size_t cbPiece = 1000)
{
    for (size_t i = 0; i < s.size(); i += cbPiece)
        WriteStream(pt->pdev(), s.data() + i, (DWORD)std::min(cbPiece, s.size() - i));
}

TEST(BlankStore, InkedPageIsSentAndBlankPageIsDropped)
{
    TestPdev t;
    StartSkippingJob(&t);
    PdlWriteJobHeader(t.pdev());
    StartPageOf(&t);
    WriteBody(&t, "blank-body;\n");  // drawn, but nothing inked
    SetPageState(t.pdev(), 0);
    EndPageOf(&t);
    StartPageOf(&t);
    WriteBody(&t, "inked-body;\n");
    MarkPageInked(t.pdev());
    SetPageState(t.pdev(), 0);
    EndPageOf(&t);
    PdlEndDoc(t.pdev());

    std::vector<std::string> lines = Lines(t.Take());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "\x1B%-12345X@PJL");
    EXPECT_FALSE(HasRun(lines, {"blank-body;"}));
    EXPECT_TRUE(HasRun(lines, {"inked-body;", "prn;"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "prn;"), 1);
    // The dropped page gives its side number back to the printed one.
    EXPECT_EQ(Val(t.work()->nPageSide), 2);
}

// A page larger than the buffer, with and without a capture file: printed
// whole when inked, gone when blank.
struct LargeCase {
    const char* pszName;
    bool bPath;
    bool bInked;
};

class LargePage : public ::testing::TestWithParam<LargeCase> {};

TEST_P(LargePage, IsPrintedWholeOrDroppedWhole)
{
    const LargeCase& c = GetParam();
    TestPdev t;
    StartSkippingJob(&t, c.bPath);
    StartPageOf(&t);
    std::string body = Body(1500000, 3);
    WriteBody(&t, body);
    if (c.bPath) {
        // Only what overflowed the memory buffer went to the file.
        EXPECT_EQ(GetCaptureFileSize(t.pdev()), PDL_BLANK_BUF_SIZE);
        EXPECT_EQ(HostFileSize(CaptureFileHost()), (long)PDL_BLANK_BUF_SIZE);
    } else {
        EXPECT_EQ(GetCaptureFileSize(t.pdev()), 0);
    }
    EXPECT_EQ(t.sStream, "");
    if (c.bInked)
        MarkPageInked(t.pdev());
    SetPageState(t.pdev(), 0);
    LogWrites(&t);
    EndPageOf(&t);
    std::string s = t.Take();
    if (!c.bInked) {
        EXPECT_EQ(s.find(body.substr(0, 64)), std::string::npos);
        EXPECT_EQ(s.find("prn;"), std::string::npos);
        EXPECT_EQ(GetCaptureFileSize(t.pdev()), 0);
        return;
    }
    size_t at = s.find(body);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(s.substr(at + body.size()), "prn;\n");
    ASSERT_FALSE(TheWriteLog().sizes.empty());
    for (DWORD cb : TheWriteLog().sizes)
        EXPECT_LE(cb, (DWORD)PDL_BLANK_PIECE);
    EXPECT_EQ(TheWriteLog().sizes[0], (DWORD)PDL_BLANK_PIECE);
    PdlEndDoc(t.pdev());
}

INSTANTIATE_TEST_SUITE_P(Cases, LargePage,
                         ::testing::Values(LargeCase{"FileInked", true, true},
                                           LargeCase{"FileBlank", true, false},
                                           LargeCase{"NoPathInked", false, true},
                                           LargeCase{"NoPathBlank", false, false}),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(BlankStore, WithoutABufferNothingIsHeldBackOrLost)
{
    TestPdev t;
    StartSkippingJob(&t);
    FreePageBuffer(t.pdev());
    StartPageOf(&t);
    WriteBody(&t, "unheld;\n");
    EXPECT_NE(t.sStream.find("unheld;\n"), std::string::npos);
    SetPageState(t.pdev(), 0);
    EndPageOf(&t);
    EXPECT_TRUE(HasRun(Lines(t.Take()), {"unheld;", "prn;"}));
}

TEST(BlankStore, BytesBetweenPagesKeepTheirPlace)
{
    TestPdev t;
    StartSkippingJob(&t);
    WriteBody(&t, "before-page;\n");
    EXPECT_EQ(t.sStream, "");
    StartPageOf(&t);
    std::vector<std::string> lines = Lines(t.Take());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "before-page;");
    EXPECT_EQ(lines.size(), 1u);
    PdlEndDoc(t.pdev());
}

TEST(BlankStore, JobEndSendsWhatIsLeftAndFreesTheBuffer)
{
    TestPdev t;
    StartSkippingJob(&t);
    PdlWriteJobHeader(t.pdev());
    StartPageOf(&t);
    MarkPageInked(t.pdev());
    SetPageState(t.pdev(), 0);
    EndPageOf(&t);
    t.work()->bJobEndPending = 1;
    PdlEndDoc(t.pdev());
    std::string s = t.Take();
    ASSERT_GE(s.size(), 9u);
    EXPECT_EQ(s.substr(s.size() - 9), "\x1B%-12345X");
    EXPECT_EQ(Val(t.work()->aBlankState[1]), 0);
    EXPECT_EQ(GetPageBufferLength(t.pdev()), 0);
}

}  // namespace
