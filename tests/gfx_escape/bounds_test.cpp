// Sender data that would run past a field: indexes, counts, texts without a
// terminator, short inputs. Each stays inside its field or is refused.
#include "tests/gfx_escape/escfix.h"

#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/ordexnt/xrtext.h"

namespace {

TEST(Bounds, BatchNameIndexesPastTheTableWriteNothing)
{
    struct Case {
        ULONG iEsc;
        std::vector<BYTE> in;
    };
    std::vector<BYTE> name = Wide(u"xfc9.tmp", 60);
    std::vector<Case> cases;
    for (DWORD i : {100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        std::vector<BYTE> in = LE32(i);
        in.insert(in.end(), name.begin(), name.end());
        cases.push_back({ESCAPE_STATE_BATCHNAME, in});
    }
    for (WORD i : {100, 0x8000, 0xFFFF})
        cases.push_back({ESCAPE_STATE_CLEARBATCHNAME, {BYTE(i), BYTE(i >> 8)}});
    for (const Case& c : cases) {
        EscPdev e;
        std::vector<BYTE> before = e.Image();
        EXPECT_EQ(e.Esc(c.iEsc, c.in), 1u);
        EXPECT_TRUE(Diff(before, e.Image()).empty()) << std::hex << c.iEsc;
    }
    // The last entry of the table is still reached.
    EscPdev e;
    std::vector<BYTE> in = LE32(99);
    in.insert(in.end(), name.begin(), name.end());
    ASSERT_EQ(e.Esc(ESCAPE_STATE_BATCHNAME, in), 1u);
    EXPECT_EQ(std::vector<BYTE>(e.At(OFF_W(21160 + 99 * 60)), e.At(OFF_W(21160 + 99 * 60 + 18))),
              Wide(u"xfc9.tmp", 18));
}

// Texts that fill their input without a terminator end inside their field.
TEST(Bounds, TextsWithoutTerminatorEndInTheirField)
{
    struct Case {
        const char* name;
        ULONG iEsc;
        size_t cbIn;        // input size, filled with 'A'
        size_t cbPrefix;    // leading bytes of the input that are not text
        size_t offField;    // the field
        size_t cbField;
    };
    const Case cases[] = {
        {"application name", ESCAPE_JOB_APPNAME, 64, 0, OFF_W(932), 64},
        {"user name", ESCAPE_JOB_USERNAME, 510, 0, OFF_W(1000), 512},
        {"fax document name", ESCAPE_STATE_SETFAXDOCNAME, 520, 0, OFF_W(1816), 520},
        {"capture directory", ESCAPE_STATE_CAPTUREDIR, 520, 0, OFF_W(20580), 520},
        {"batch name", ESCAPE_STATE_BATCHNAME, 64, 4, OFF_W(21160), 60},
        {"cover name", ESCAPE_STATE_COVERNAME, 60, 0, OFF_W(21100), 60},
        {"capture path", ESCAPE_CAPTURE_SETPATH, 520, 0, OFF_W(88), 520},
    };
    for (const Case& c : cases) {
        EscPdev e;
        std::vector<BYTE> in(c.cbIn, 0);
        for (size_t i = c.cbPrefix; i < c.cbIn; i += 2)
            in[i] = 'A';
        std::vector<BYTE> before = e.Image();
        ASSERT_EQ(e.Esc(c.iEsc, in), 1u) << c.name;
        const BYTE* pField = e.At(c.offField);
        size_t cch = 0;
        while (cch < c.cbField / 2 && (pField[2 * cch] | pField[2 * cch + 1]))
            ++cch;
        EXPECT_LT(cch, c.cbField / 2) << c.name << ": no terminator in the field";
        EXPECT_GE(cch, std::min<size_t>((c.cbIn - c.cbPrefix) / 2, c.cbField / 2) - 1) << c.name;
        // Nothing past the field moved.
        for (size_t off : Diff(before, e.Image()))
            EXPECT_TRUE((off >= c.offField && off < c.offField + c.cbField) ||
                        (c.iEsc == ESCAPE_JOB_USERNAME && (off == OFF_W(1512) || off == OFF_W(1513) ||
                                                          off == OFF_W(1514) || off == OFF_W(1516))))
                << c.name << " changed PDEV offset " << off;
    }
}

TEST(Bounds, FullLengthUserNameIsKeptWhole)
{
    EscPdev e;
    std::u16string name(255, u'k');
    ASSERT_EQ(e.Esc(ESCAPE_JOB_USERNAME, Wide(name, 510)), 1u);
    EXPECT_EQ(*e.At(OFF_W(1516)), 255);
    EXPECT_EQ(e.Long(OFF_W(1512)), 255 * 'k');
    EXPECT_EQ(*e.At(OFF_W(1000 + 508)), 'k');
    EXPECT_EQ(e.At(OFF_W(1000 + 510))[0] | e.At(OFF_W(1000 + 510))[1], 0);
}

TEST(Bounds, CountsAreHeldToTheirTables)
{
    struct Case {
        ULONG iEsc;
        LONG lIn;
        size_t offStored;
        LONG lStored;
    };
    const Case cases[] = {
        {ESCAPE_STATE_DESTFILES, 100, OFF_W(2340), 100},
        {ESCAPE_STATE_DESTFILES, 101, OFF_W(2340), 100},
        {ESCAPE_STATE_DESTFILES, -1, OFF_W(2340), 0},
        {ESCAPE_STATE_DESTFILE, 99, OFF_W(2344), 99},
        {ESCAPE_STATE_DESTFILE, 100, OFF_W(2344), 99},
        {ESCAPE_STATE_DESTFILE, -5, OFF_W(2344), 0},
    };
    for (const Case& c : cases) {
        EscPdev e;
        ASSERT_EQ(e.Esc(c.iEsc, LE32(static_cast<DWORD>(c.lIn))), 1u);
        EXPECT_EQ(e.Long(c.offStored), c.lStored) << std::hex << c.iEsc << std::dec << " " << c.lIn;
    }
    for (LONG lCount : {150, -3}) {
        EscPdev e;
        std::vector<BYTE> list(sizeof(FAXDESTFILE), 0);
        std::memcpy(list.data(), &lCount, 4);
        ASSERT_EQ(e.Esc(ESCAPE_STATE_FAXDESTS, list), 1u);
        EXPECT_EQ(e.Long(OFF_W(2576)), lCount < 0 ? 0 : 100);
    }
}

TEST(Bounds, ShortInputsOfAnySizeCodesAreRefused)
{
    struct Case {
        ULONG iEsc;
        size_t cbIn;
    };
    for (const Case& c : {Case{ESCAPE_JOB_USERPAPERS, 1}, Case{ESCAPE_JOB_USERPAPERS, 79},
                          Case{ESCAPE_PAGES_SEGMENTS, 1}, Case{ESCAPE_PAGES_SEGMENTS, 3}}) {
        EscPdev e;
        std::vector<BYTE> before = e.Image();
        EXPECT_EQ(e.Esc(c.iEsc, std::vector<BYTE>(c.cbIn, 1)), 0u);
        EXPECT_TRUE(Diff(before, e.Image()).empty());
    }
}

// Insert-sheet records need the count first and fit the 128-record buffer.
TEST(Bounds, InsertSheetRecordsNeedTheirCountAndFitTheBuffer)
{
    EscPdev e;
    std::vector<BYTE> buffer(PDL_INSERT_BUF_SIZE + 16, 0x5A);
    SetPdlInsertSheets(e.p, buffer.data());
    std::vector<BYTE> one(476, 0x11);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTSHEETS, one), 0u);  // count still 0
    EXPECT_EQ(buffer[0], 0x5A);
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_INSERTCOUNT, LE32(1)), 1u);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTSHEETS, std::vector<BYTE>(0xEE00 + 1, 0x22)), 0u);
    EXPECT_EQ(buffer[0], 0x5A);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_INSERTSHEETS, std::vector<BYTE>(0xEE00, 0x33)), 1u);
    EXPECT_EQ(buffer[0xEE00 - 1], 0x33);
    EXPECT_EQ(buffer[0xEE00], 0x5A);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_TABPAPER, std::vector<BYTE>(9, 1)), 0u);
    SetPdlInsertSheets(e.p, nullptr);
}

SEGMENTSTATE Segments(EscPdev& e)
{
    SEGMENTSTATE s;
    std::memcpy(&s, e.At(OFF_W(27204)), sizeof(s));
    return s;
}

SEGMENTENTRY* Index(EscPdev& e)
{
    return SegmentIndex(e.p, Segments(e));
}

void FreeSegments(EscPdev& e)
{
    SEGMENTSTATE s = Segments(e);
    if (void* pStore = reinterpret_cast<void*>(PdevRefTake(e.p, PREF_SEGSTORE)))
        GfxFree(pStore);
    if (void* pIndex = reinterpret_cast<void*>(PdevRefTake(e.p, PREF_SEGINDEX)))
        GfxFree(pIndex);
    std::memset(e.At(OFF_W(27204)), 0, sizeof(s));
}

TEST(Bounds, SegmentIndexHoldsEveryCountItIsGiven)
{
    EscPdev e;
    LONG blocks = PlatGlobalLiveBlocks();
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTS, LE32(129)), 0u);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTS, LE32(0xFFFFFFFF)), 0u);
    EXPECT_EQ(Index(e), nullptr);
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTS, LE32(3)), 1u);
    SEGMENTSTATE s = Segments(e);
    ASSERT_NE(Index(e), nullptr);
    ASSERT_NE(SegmentStore(e.p, s), nullptr);
    // The work area names them by slot, the same in every build.
    EXPECT_EQ(s.slStore, static_cast<DWORD>(PREF_SEGSTORE));
    EXPECT_EQ(s.slIndex, static_cast<DWORD>(PREF_SEGINDEX));
    EXPECT_EQ(s.cEntries, 3);
    LONG l = 0;
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_HASSEGINDEX, 0, nullptr, 4, &l), 1u);
    EXPECT_EQ(l, 1);
    // A larger count later keeps the same index and store, and every entry
    // up to it can be filled.
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTS, LE32(10)), 1u);
    EXPECT_EQ(Index(e), SegmentIndex(e.p, s));
    EXPECT_EQ(SegmentStore(e.p, Segments(e)), SegmentStore(e.p, s));
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTKEY, LE32(100 + i)), 1u) << i;
        EXPECT_EQ(e.Esc(ESCAPE_PAGES_NEXTSEGMENT, 0, nullptr), i < 9 ? 1u : 0u) << i;
    }
    EXPECT_EQ(Segments(e).iCurrent, 9);
    EXPECT_EQ(Index(e)[9].lKey, 109);
    EXPECT_EQ(Index(e)[0].lKey, 100);
    FreeSegments(e);
    EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);
}

TEST(Bounds, SegmentKeyOnlyForACountedEntry)
{
    EscPdev e;
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTS, LE32(1)), 1u);
    ASSERT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTKEY, LE32(7)), 1u);
    // The current entry equal to the count is one past the last entry.
    e.PokeLong(OFF_W(27208), 1);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTKEY, LE32(8)), 0u);
    EXPECT_EQ(Index(e)[1].lKey, 0);
    e.PokeLong(OFF_W(27208), -1);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTKEY, LE32(8)), 0u);
    FreeSegments(e);
    EXPECT_EQ(e.Esc(ESCAPE_PAGES_SEGMENTKEY, LE32(8)), 0u);  // no index
}

}  // namespace
