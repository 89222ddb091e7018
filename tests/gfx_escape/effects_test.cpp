// What each private escape writes into the PDEV, its job DEVMODE and the work
// area: the exact bytes at the offsets of the protocol, and nothing else.
#include "tests/gfx_escape/escfix.h"

namespace {

typedef std::vector<std::pair<size_t, std::vector<BYTE>>> Places;

struct EffectCase {
    const char* name;
    ULONG iEsc;
    Places pre;            // state set up before the call
    std::vector<BYTE> in;  // the input
    Places expect;         // the bytes the call must leave; all others unchanged
};

std::vector<BYTE> Seq(size_t cb, BYTE bFirst)
{
    std::vector<BYTE> v(cb);
    for (size_t i = 0; i < cb; ++i)
        v[i] = static_cast<BYTE>(bFirst + i);
    return v;
}

std::vector<BYTE> Cat(std::vector<BYTE> a, const std::vector<BYTE>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<BYTE> FaxList()
{
    std::vector<BYTE> v(sizeof(FAXDESTFILE), 0);
    v[0] = 2;
    std::memcpy(&v[4 + 44], "0312345678", 10);
    v[4 + 176] = 1;
    return v;
}

const EffectCase s_aCases[] = {
    {"user name", ESCAPE_JOB_USERNAME, {}, Wide(u"Ab", 510),
     {{OFF_W(1000), {'A', 0, 'b', 0, 0, 0}}, {OFF_W(1512), {0xA3, 0, 0, 0}}, {OFF_W(1516), {2}}}},
    {"empty user name", ESCAPE_JOB_USERNAME,
     {{OFF_W(1000), {'Q', 0}}, {OFF_W(1512), {0x51, 0, 0, 0}}, {OFF_W(1516), {1}}},
     Wide(u"", 510),
     {{OFF_W(1000), {0, 0}}, {OFF_W(1512), {0, 0, 0, 0}}, {OFF_W(1516), {0}}}},
    {"drop output", ESCAPE_JOB_DROPOUTPUT, {}, {1}, {{OFF_W(17), {1}}}},
    {"no overlay", ESCAPE_JOB_NOOVERLAY, {{OFF_D(879), {3}}, {OFF_D(881), {1}}}, {},
     {{OFF_D(879), {1}}, {OFF_D(881), {0}}}},
    {"user papers", ESCAPE_JOB_USERPAPERS, {}, Seq(80, 1), {{OFF_W(27224), Seq(80, 1)}}},
    {"first page done", ESCAPE_JOB_FIRSTPAGEDONE, {}, {1}, {{OFF_W(24), {1, 0, 0, 0}}}},
    {"application name", ESCAPE_JOB_APPNAME, {}, Wide(u"word.exe", 64),
     {{OFF_W(932), Wide(u"word.exe", 18)}}},
    {"clear fax list id", ESCAPE_STATE_CLEARFAXLISTID, {{OFF_D(2211), {0x78, 0x56, 0x34, 0x12}}},
     {}, {{OFF_D(2211), {0, 0, 0, 0}}}},
    {"fax destinations", ESCAPE_STATE_FAXDESTS, {}, FaxList(),
     {{OFF_W(2576), {2, 0, 0, 0}},
      {OFF_W(2580 + 44), {'0', '3', '1', '2', '3', '4', '5', '6', '7', '8'}},
      {OFF_W(2580 + 176), {1}}}},
    {"first destination", ESCAPE_STATE_FIRSTDEST, {}, LE32(7), {{OFF_W(2548), LE32(7)}}},
    {"last destination", ESCAPE_STATE_LASTDEST, {}, LE32(9), {{OFF_W(2552), LE32(9)}}},
    {"capture on", ESCAPE_STATE_CAPTUREON, {}, LE32(1), {{OFF_W(2336), LE32(1)}}},
    {"batch files", ESCAPE_STATE_DESTFILES, {}, LE32(3), {{OFF_W(2340), LE32(3)}}},
    {"current batch", ESCAPE_STATE_DESTFILE, {}, LE32(2), {{OFF_W(2344), LE32(2)}}},
    {"capture kind 2", ESCAPE_STATE_CAPTUREKIND, {{OFF_W(1812), {5}}}, {2},
     {{OFF_W(1812), {0, 0, 0, 0}}, {OFF_W(2556), {2}}}},
    {"capture kind other", ESCAPE_STATE_CAPTUREKIND, {{OFF_W(2556), {1}}}, {7},
     {{OFF_W(2556), {0}}}},
    {"fax document name", ESCAPE_STATE_SETFAXDOCNAME, {}, Wide(u"fax doc", 520),
     {{OFF_W(1816), Wide(u"fax doc", 16)}}},
    {"fax send time", ESCAPE_STATE_SETFAXDATE, {}, {0xE9, 7, 12, 0, 10, 0, 9, 0, 30, 0},
     {{OFF_W(2558), {0xE9, 7, 12, 0, 10, 0, 9, 0, 30, 0}}}},
    {"forget destinations", ESCAPE_STATE_CLEARDESTS, {{OFF_W(2576), {5}}}, {},
     {{OFF_W(2576), {0, 0, 0, 0}}}},
    {"job end", ESCAPE_STATE_JOBEND, {}, {}, {{OFF_W(33), {1}}}},
    {"clear batch name 3", ESCAPE_STATE_CLEARBATCHNAME, {{OFF_W(21160 + 180), {'x', 0, 'y', 0}}},
     {3, 0}, {{OFF_W(21160 + 180), {0, 0, 'y', 0}}}},
    {"clear cover name", ESCAPE_STATE_CLEARCOVERNAME, {{OFF_W(21100), {'x', 0}}}, {},
     {{OFF_W(21100), {0, 0}}}},
    {"capture directory", ESCAPE_STATE_CAPTUREDIR, {}, Wide(u"C:\\tmp\\", 520),
     {{OFF_W(20580), Wide(u"C:\\tmp\\", 16)}}},
    {"batch name 2", ESCAPE_STATE_BATCHNAME, {}, Cat(LE32(2), Wide(u"xfc1.tmp", 60)),
     {{OFF_W(21160 + 120), Wide(u"xfc1.tmp", 18)}}},
    {"cover name", ESCAPE_STATE_COVERNAME, {}, Wide(u"xfj1.tmp", 60),
     {{OFF_W(21100), Wide(u"xfj1.tmp", 18)}}},
    {"page set-up record", ESCAPE_STATE_SETPAGESETUP, {}, Seq(48, 0x40),
     {{OFF_W(36), Seq(48, 0x40)}}},
    {"timer date", ESCAPE_OWNER_TIMERDATE, {}, {0xEA, 7, 1, 0, 2, 0, 3, 0, 4, 0},
     {{OFF_W(1544), {0xEA, 7, 1, 0, 2, 0, 3, 0, 4, 0}}}},
    {"owner check, both names empty", ESCAPE_OWNER_CHECK, {}, {},
     {{OFF_W(1518), {1, 0}}, {OFF_W(1520), {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}}}},
    {"clear capture path", ESCAPE_CAPTURE_CLEARPATH, {{OFF_W(88), {'x', 0}}, {OFF_W(600), {'z'}}},
     {}, {{OFF_W(88), {0, 0}}, {OFF_W(600), {0}}}},
    {"capture path", ESCAPE_CAPTURE_SETPATH, {}, Wide(u"C:\\t\\eco1.tmp", 520),
     {{OFF_W(88), Wide(u"C:\\t\\eco1.tmp", 28)}}},
    {"insert-sheet count", ESCAPE_PAGES_INSERTCOUNT, {}, LE32(3), {{OFF_W(27180), LE32(3)}}},
    {"insert-sheet count of 2 bytes", ESCAPE_PAGES_INSERTCOUNT, {}, {3, 0}, {}},
    {"tab paper values", ESCAPE_PAGES_TABPAPER, {}, Seq(8, 0x21), {{OFF_W(27184), Seq(8, 0x21)}}},
    {"tab paper, 4 bytes", ESCAPE_PAGES_TABPAPER, {}, Seq(4, 0x21), {{OFF_W(27184), Seq(4, 0x21)}}},
    {"inserted-sheet mode", ESCAPE_PAGES_INSERTMODE, {}, LE32(1), {{OFF_W(27192), LE32(1)}}},
    {"recording on", ESCAPE_PAGES_BEGINRECORD, {}, {}, {{OFF_W(27200), LE32(1)}}},
    {"recording off", ESCAPE_PAGES_ENDRECORD, {{OFF_W(27200), {1}}}, {}, {{OFF_W(27200), LE32(0)}}},
    {"tab texts recorded", ESCAPE_PAGES_TABTEXTSDONE, {}, {}, {{OFF_W(27196), LE32(1)}}},
    {"clear page flag", ESCAPE_GEN_CLEARPAGEFLAG, {{5919, {1}}, {OFF_W(1536), {1}}}, {},
     {{5919, {0}}, {OFF_W(1536), LE32(0)}}},
    {"set page flag, first of four bytes", ESCAPE_GEN_SETPAGEFLAG, {}, {3, 1, 1, 0},
     {{5919, {1}}, {OFF_W(1536), LE32(1)}, {OFF_W(1540), LE32(3)}}},
    {"ignored watermark grey", ESCAPE_GEN_IGNORE, {}, {9}, {}},
};

class Effects : public ::testing::TestWithParam<EffectCase> {};

TEST_P(Effects, WritesItsBytesAndNothingElse)
{
    const EffectCase& c = GetParam();
    EscPdev e;
    ASSERT_NE(e.p, nullptr);
    for (const auto& [off, bytes] : c.pre)
        std::memcpy(e.At(off), bytes.data(), bytes.size());
    std::vector<BYTE> before = e.Image();
    EXPECT_EQ(e.Esc(c.iEsc, c.in), 1u);
    std::vector<BYTE> after = e.Image();
    std::vector<bool> allowed(after.size(), false);
    for (const auto& [off, bytes] : c.expect) {
        EXPECT_EQ(std::vector<BYTE>(after.begin() + off, after.begin() + off + bytes.size()), bytes)
            << "at " << off;
        for (size_t i = 0; i < bytes.size(); ++i)
            allowed[off + i] = true;
    }
    for (size_t off : Diff(before, after))
        EXPECT_TRUE(allowed[off]) << "unexpected change at PDEV offset " << off;
}

INSTANTIATE_TEST_SUITE_P(Escapes, Effects, ::testing::ValuesIn(s_aCases),
                         [](const auto& info) {
                             std::string s;
                             for (const char* p = info.param.name; *p; ++p)
                                 s += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return s;
                         });

struct OutputCase {
    const char* name;
    ULONG iEsc;
    Places pre;
    std::vector<BYTE> in;
    std::vector<BYTE> out;  // expected output; 0xCC where the sender's bytes stay
};

const OutputCase s_aOutputs[] = {
    {"fax list id", ESCAPE_STATE_GETFAXLISTID, {{OFF_D(2211), {0x78, 0x56, 0x34, 0x12}}}, {},
     {0x78, 0x56, 0x34, 0x12}},
    {"fax document name", ESCAPE_STATE_GETFAXDOCNAME, {{OFF_W(1816), {'f', 0, 'a', 0, 'x', 0}}},
     {}, Cat(Wide(u"fax", 8), std::vector<BYTE>(512, 0xCC))},
    {"fax state", ESCAPE_STATE_GETFAXSTATE,
     {{OFF_D(2167), {1}}, {OFF_D(2170), {1}}, {OFF_W(2576), {3}}, {OFF_D(2304), {9}},
      {OFF_D(2305), {30}}, {OFF_D(2172), {1}}, {OFF_W(8), {1}}},
     {},
     {1, 1, 0xCC, 0xCC, 3, 0, 0, 0, 9, 30, 1, 0xCC, 1, 0, 0, 0}},
    {"first fax number", ESCAPE_STATE_GETFAXNUMBER,
     {{OFF_W(2624), {'0', '3', '-', '1', '2'}}},
     {}, Wide(u"03-12", 88)},
    {"fax send time", ESCAPE_STATE_GETFAXDATE, {{OFF_W(2558), {0xE9, 7, 12, 0, 10, 0, 9, 0, 30, 0}}},
     {}, {0xE9, 7, 12, 0, 10, 0, 9, 0, 30, 0}},
    {"page set-up record", ESCAPE_STATE_GETPAGESETUP, {{OFF_W(36), Seq(48, 0x40)}}, {},
     Seq(48, 0x40)},
    {"timer hour and minute", ESCAPE_OWNER_GETTIMER, {{OFF_D(1540), {13}}, {OFF_D(1541), {45}}},
     {}, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 13, 0, 45, 0}},
    {"output method", ESCAPE_OWNER_OUTPUTMETHOD, {{OFF_D(1568), {5}}}, {}, {5}},
    {"segment count", ESCAPE_PAGES_GETSEGCOUNT, {{OFF_W(27204), {5}}}, {}, LE32(5)},
    {"no segment index", ESCAPE_PAGES_HASSEGINDEX, {}, {}, LE32(0)},
    {"tab texts recorded", ESCAPE_PAGES_GETTABTEXTS, {{OFF_W(27196), {1}}}, {}, LE32(1)},
    {"page origin of a standard paper", ESCAPE_PAGES_PAGEORIGIN,
     {{OFF_D(776), {9, 0}}, {OFF_D(2407), {100, 0, 0, 0, 200, 0, 0, 0}}}, {},
     {100, 0, 0, 0, 200, 0, 0, 0}},
};

class Outputs : public ::testing::TestWithParam<OutputCase> {};

TEST_P(Outputs, AnswersFromItsPlaces)
{
    const OutputCase& c = GetParam();
    EscPdev e;
    ASSERT_NE(e.p, nullptr);
    for (const auto& [off, bytes] : c.pre)
        std::memcpy(e.At(off), bytes.data(), bytes.size());
    std::vector<BYTE> before = e.Image();
    std::vector<BYTE> out(c.out.size(), 0xCC);
    EXPECT_EQ(e.Esc(c.iEsc, c.in, static_cast<ULONG>(out.size()), out.data()), 1u);
    EXPECT_EQ(out, c.out);
    EXPECT_TRUE(Diff(before, e.Image()).empty());
}

INSTANTIATE_TEST_SUITE_P(Escapes, Outputs, ::testing::ValuesIn(s_aOutputs),
                         [](const auto& info) {
                             std::string s;
                             for (const char* p = info.param.name; *p; ++p)
                                 s += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return s;
                         });

TEST(Effects, JobBlockAndWorkAreaAreTheImage)
{
    EscPdev e;
    e.Poke(OFF_W(1000), {'u', 0});
    std::vector<BYTE> image = e.Image();
    std::vector<BYTE> job(PDEV_JOBBLOCK_SIZE), work(PDLWORK_SIZE);
    ASSERT_EQ(e.Esc(ESCAPE_JOB_GETJOBBLOCK, 0, nullptr, PDEV_JOBBLOCK_SIZE, job.data()), 1u);
    ASSERT_EQ(e.Esc(ESCAPE_JOB_GETPDLWORK, 0, nullptr, PDLWORK_SIZE, work.data()), 1u);
    EXPECT_EQ(job, std::vector<BYTE>(image.begin(), image.begin() + 9075));
    EXPECT_EQ(work, std::vector<BYTE>(image.begin() + 9075, image.end()));
    // One byte short of the job block is not the job block.
    EXPECT_EQ(e.Esc(ESCAPE_JOB_GETJOBBLOCK, 0, nullptr, 9074, job.data()), 0u);
}

TEST(Effects, PageStateResetClearsThePageAndKeepsTheJob)
{
    EscPdev e;
    for (size_t off : {8, 12, 24, 28, 1536, 28076})
        e.PokeLong(OFF_W(off), 1);
    e.PokeLong(OFF_W(1540), 5);
    e.PokeLong(OFF_W(4), 0);
    e.Poke(5919, {1});
    std::memset(e.At(OFF_W(27484)), 0xEE, 512);
    e.PokeLong(OFF_W(20), 7);  // the side counter belongs to the job
    e.Poke(OFF_W(33), {1});    // and so does the end marker
    ASSERT_EQ(e.Esc(ESCAPE_STATE_RESETPAGE, 0, nullptr), 1u);
    EXPECT_EQ(e.Long(OFF_W(4)), 9075);
    for (size_t off : {8, 12, 24, 28, 1536, 28076})
        EXPECT_EQ(e.Long(OFF_W(off)), 0) << "W " << off;
    EXPECT_EQ(e.Long(OFF_W(1540)), 1);
    EXPECT_EQ(*e.At(5919), 0);
    EXPECT_EQ(std::vector<BYTE>(e.At(OFF_W(27484)), e.At(OFF_W(27484 + 512))),
              std::vector<BYTE>(512, 0));
    EXPECT_EQ(e.Long(OFF_W(20)), 7);
    EXPECT_EQ(*e.At(OFF_W(33)), 1);
}

// The record that goes back to the PDEV around a fax cover page: every field
// lands at its place, and pad and unread bytes go nowhere.
TEST(Effects, PdevStateLandsAtItsPlaces)
{
    EscPdev e;
    std::vector<BYTE> s(1972);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<BYTE>(i * 7 + 3);
    // The job flags of the record carry no resource bits here, so the
    // PDEV's own (none before StartDoc) do not show.
    s[4] &= ~(PDEVF_DOCSTARTED | PDEVF_HANDEDOVER | PDEVF_STREAMOPEN | PDEVF_PAGEOPEN);
    // Scales, places, sizes and copies within what a job makes (a record
    // outside those is refused), each still a value of its own.
    auto put = [&](size_t off, LONG v, size_t cb) { std::memcpy(&s[off], &v, cb); };
    put(12, 4, 2);
    put(16, 1201, 4);
    put(20, 1302, 4);
    put(32, 7003, 4);
    put(52, 95, 2);
    put(56, 3, 2);
    put(96, 85, 2);
    put(100, 2, 2);
    for (size_t off = 120; off < 220; off += 4)
        put(off, static_cast<LONG>(off * 11), 4);
    put(232, 150, 2);
    put(244 + 4, 6007, 4);
    for (size_t off = 244 + 20; off < 244 + 532; off += 4)
        put(off, static_cast<LONG>(off * 3), 4);
    struct Place {
        size_t from, cb, to;
    };
    const Place aPlaces[] = {
        {4, 4, 4},          {8, 4, 4156},          {12, 2, 4164},        {16, 4, 4180},
        {20, 4, 4184},      {24, 1, 5918},         {25, 1, 4160},        {26, 2, 4162},
        {28, 2, 4166},      {32, 4, 4176},         {76, 1, 4161},        {77, 1, 5919},
        {78, 2, 5916},      {244, 1728, 4188},
        {36, 2, OFF_D(76)}, {40, 2, OFF_D(78)},    {44, 2, OFF_D(80)},   {48, 2, OFF_D(82)},
        {52, 2, OFF_D(84)}, {56, 2, OFF_D(86)},    {60, 2, OFF_D(88)},   {64, 2, OFF_D(94)},
        {68, 2, OFF_D(100)}, {72, 2, OFF_D(96)},
        {80, 2, OFF_D(296)}, {84, 2, OFF_D(298)},  {88, 2, OFF_D(300)},  {92, 2, OFF_D(302)},
        {96, 2, OFF_D(304)}, {100, 2, OFF_D(306)}, {104, 2, OFF_D(308)}, {108, 2, OFF_D(314)},
        {112, 2, OFF_D(320)},
        {120, 16, OFF_D(823)}, {136, 16, OFF_D(2407)}, {152, 16, OFF_D(807)},
        {168, 16, OFF_D(791)}, {184, 16, OFF_D(2373)},
        {200, 2, OFF_D(776)}, {202, 2, OFF_D(1543)}, {204, 8, OFF_D(839)}, {212, 8, OFF_D(847)},
        {220, 2, OFF_D(1545)}, {222, 4, OFF_D(1547)},
        {226, 1, OFF_D(781)}, {227, 1, OFF_D(782)}, {228, 1, OFF_D(783)}, {229, 1, OFF_D(788)},
        {230, 1, OFF_D(1433)}, {231, 1, OFF_D(873)}, {232, 2, OFF_D(874)},
        {234, 1, OFF_D(1420)}, {235, 1, OFF_D(879)}, {236, 1, OFF_D(880)}, {237, 1, OFF_D(881)},
        {238, 5, OFF_D(1406)},
    };
    std::vector<BYTE> before = e.Image();
    ASSERT_EQ(e.Esc(ESCAPE_STATE_SETPDEVSTATE, s), 1u);
    std::vector<BYTE> after = e.Image();
    std::vector<bool> allowed(after.size(), false);
    for (const Place& pl : aPlaces) {
        EXPECT_EQ(std::vector<BYTE>(after.begin() + pl.to, after.begin() + pl.to + pl.cb),
                  std::vector<BYTE>(s.begin() + pl.from, s.begin() + pl.from + pl.cb))
            << "record offset " << pl.from;
        for (size_t i = 0; i < pl.cb; ++i)
            allowed[pl.to + i] = true;
    }
    for (size_t off : Diff(before, after))
        EXPECT_TRUE(allowed[off]) << "unexpected change at PDEV offset " << off;
}

TEST(Effects, PdevStateKeepsThePdevsOwnResourceFlags)
{
    EscPdev e;
    e.p->fJob = PDEVF_DOCSTARTED | PDEVF_STREAMOPEN;
    std::vector<BYTE> s(1972, 0);
    s[4] = PDEVF_ABORTED | PDEVF_HANDEDOVER;
    ASSERT_EQ(e.Esc(ESCAPE_STATE_SETPDEVSTATE, s), 1u);
    EXPECT_EQ(e.p->fJob, static_cast<DWORD>(PDEVF_DOCSTARTED | PDEVF_STREAMOPEN | PDEVF_ABORTED));
    e.p->fJob = 0;
}

}  // namespace
