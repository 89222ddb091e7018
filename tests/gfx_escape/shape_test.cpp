// Every private code is taken only with its exact shape; any other shape
// reaches the generic layer, which answers 0 and touches nothing.
#include "tests/gfx_escape/escfix.h"

#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/xgcmn.h"

namespace {

struct ShapeCase {
    ULONG iEsc;
    ULONG cjIn;    // the exact input size (for "any": a size that is taken whole)
    ULONG cjOut;   // the exact output size
    bool bAnyIn;   // every non-zero input size is taken
    bool bChecked; // the PDEV is validated after the match
};

const ShapeCase s_aShapes[] = {
    {ESCAPE_JOB_GETJOBBLOCK, 0, 9075, false, true},
    {ESCAPE_JOB_GETPDLWORK, 0, 28108, false, true},
    {ESCAPE_JOB_USERNAME, 510, 0, false, true},
    {ESCAPE_JOB_DROPOUTPUT, 1, 0, false, true},
    {ESCAPE_JOB_NOOVERLAY, 0, 0, false, true},
    {ESCAPE_JOB_USERPAPERS, 80, 0, true, true},
    {ESCAPE_JOB_FIRSTPAGEDONE, 1, 0, false, true},
    {ESCAPE_JOB_APPNAME, 64, 0, false, true},
    {ESCAPE_STATE_SETPDEVSTATE, 1972, 0, false, true},
    {ESCAPE_STATE_GETFAXLISTID, 0, 4, false, true},
    {ESCAPE_STATE_CLEARFAXLISTID, 0, 0, false, true},
    {ESCAPE_STATE_FAXDESTS, 18004, 0, false, true},
    {ESCAPE_STATE_FIRSTDEST, 4, 0, false, true},
    {ESCAPE_STATE_LASTDEST, 4, 0, false, true},
    {ESCAPE_STATE_CAPTUREON, 4, 0, false, true},
    {ESCAPE_STATE_DESTFILES, 4, 0, false, true},
    {ESCAPE_STATE_DESTFILE, 4, 0, false, true},
    {ESCAPE_STATE_JOBHEADER, 520, 0, false, true},
    {ESCAPE_STATE_CAPTUREKIND, 1, 0, false, true},
    {ESCAPE_STATE_RESETPAGE, 0, 0, false, true},
    {ESCAPE_STATE_GETFAXDOCNAME, 0, 520, false, true},
    {ESCAPE_STATE_SETFAXDOCNAME, 520, 0, false, true},
    {ESCAPE_STATE_GETFAXSTATE, 0, 16, false, true},
    {ESCAPE_STATE_SETFAXDATE, 10, 0, false, true},
    {ESCAPE_STATE_CLEARDESTS, 0, 0, false, true},
    {ESCAPE_STATE_GETFAXNUMBER, 0, 88, false, true},
    {ESCAPE_STATE_GETFAXDATE, 0, 10, false, true},
    {ESCAPE_STATE_JOBEND, 0, 0, false, true},
    {ESCAPE_STATE_CLEARBATCHNAME, 2, 0, false, true},
    {ESCAPE_STATE_CLEARCOVERNAME, 0, 0, false, true},
    {ESCAPE_STATE_CAPTUREDIR, 520, 0, false, true},
    {ESCAPE_STATE_BATCHNAME, 64, 0, false, true},
    {ESCAPE_STATE_COVERNAME, 60, 0, false, true},
    {ESCAPE_STATE_GETPAGESETUP, 0, 48, false, true},
    {ESCAPE_STATE_SETPAGESETUP, 48, 0, false, true},
    {ESCAPE_PAGES_INSERTSHEETS, 476, 0, true, true},
    {ESCAPE_PAGES_INSERTCOUNT, 4, 0, true, true},
    {ESCAPE_PAGES_TABPAPER, 8, 0, true, true},
    {ESCAPE_PAGES_INSERTMODE, 4, 0, true, true},
    {ESCAPE_PAGES_COUNTBEFORE, 2, 2, false, false},
    {ESCAPE_PAGES_BEGINRECORD, 0, 0, false, true},
    {ESCAPE_PAGES_ENDRECORD, 0, 0, false, true},
    {ESCAPE_PAGES_SEGMENTS, 4, 0, true, true},
    {ESCAPE_PAGES_GETSEGCOUNT, 0, 4, false, true},
    {ESCAPE_PAGES_HASSEGINDEX, 0, 4, false, true},
    {ESCAPE_PAGES_RELEASESEGS, 0, 0, false, false},
    {ESCAPE_PAGES_STOREPART1, 0, 0, false, true},
    {ESCAPE_PAGES_STOREPART2, 0, 0, false, true},
    {ESCAPE_PAGES_TABTEXTSDONE, 0, 0, false, true},
    {ESCAPE_PAGES_GETTABTEXTS, 0, 4, false, true},
    {ESCAPE_PAGES_PAGEORIGIN, 0, 8, false, true},
    {ESCAPE_PAGES_SEGMENTKEY, 4, 0, false, true},
    {ESCAPE_PAGES_NEXTSEGMENT, 0, 0, false, true},
    {ESCAPE_PAGES_SCHEDULE, 0, 0, false, false},
    {ESCAPE_OWNER_CHECK, 0, 0, false, true},
    {ESCAPE_OWNER_GETTIMER, 0, 10, false, true},
    {ESCAPE_OWNER_OUTPUTMETHOD, 0, 1, false, true},
    {ESCAPE_OWNER_TIMERDATE, 10, 0, false, true},
    {ESCAPE_CAPTURE_CLEARPATH, 0, 0, false, true},
    {ESCAPE_CAPTURE_SETPATH, 520, 0, false, true},
};

// The PDEV as the sender finds it when each code is due: insert-sheet
// records announced, a segment index of two entries. The buffers are the
// test's own and leave with it.
struct ShapePdev : EscPdev {
    std::vector<BYTE> sheets = std::vector<BYTE>(PDL_INSERT_BUF_SIZE, 0);
    std::vector<SEGMENTENTRY> index = std::vector<SEGMENTENTRY>(ESC_SEGMENT_MAX);
    ShapePdev()
    {
        SetPdlInsertSheets(p, sheets.data());
        PokeLong(OFF_W(27180), 1);
        SEGMENTSTATE s = {2, 0, 0, 0, SetPdevRef(p, PREF_SEGINDEX, index.data())};
        std::memcpy(At(OFF_W(27204)), &s, sizeof(s));
    }
    ~ShapePdev()
    {
        SetPdlInsertSheets(p, nullptr);
        // The index is the test's; the store the escapes made is the PDEV's.
        PdevRefTake(p, PREF_SEGINDEX);
        if (void* pStore = reinterpret_cast<void*>(PdevRefTake(p, PREF_SEGSTORE)))
            GfxFree(pStore);
        std::memset(At(OFF_W(27204)), 0, sizeof(SEGMENTSTATE));
    }
};

struct Shape {
    ULONG cjIn;
    bool bIn;
    ULONG cjOut;
    bool bOut;
};

// Shapes one step away from the exact one.
std::vector<Shape> WrongShapes(const ShapeCase& c)
{
    std::vector<Shape> v;
    if (c.cjIn == 0) {
        v.push_back({0, true, c.cjOut, c.cjOut != 0});
        v.push_back({1, true, c.cjOut, c.cjOut != 0});
    } else {
        v.push_back({c.cjIn, false, c.cjOut, c.cjOut != 0});
        v.push_back({0, false, c.cjOut, c.cjOut != 0});
        if (!c.bAnyIn) {
            v.push_back({c.cjIn + 1, true, c.cjOut, c.cjOut != 0});
            v.push_back({c.cjIn - 1, true, c.cjOut, c.cjOut != 0});
        }
    }
    if (c.cjOut == 0) {
        v.push_back({c.cjIn, c.cjIn != 0, 0, true});
        v.push_back({c.cjIn, c.cjIn != 0, 4, true});
    } else {
        v.push_back({c.cjIn, c.cjIn != 0, c.cjOut, false});
        v.push_back({c.cjIn, c.cjIn != 0, c.cjOut + 1, true});
        v.push_back({c.cjIn, c.cjIn != 0, c.cjOut - 1, true});
    }
    return v;
}

class Shapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Shapes, ExactShapeIsTakenAndEveryOtherFallsThrough)
{
    const ShapeCase& c = GetParam();
    std::vector<BYTE> in(c.cjIn + 8, 0), out(c.cjOut + 8, 0);
    {
        ShapePdev e;
        ASSERT_NE(e.p, nullptr);
        EXPECT_EQ(e.Esc(c.iEsc, c.cjIn, c.cjIn ? in.data() : nullptr, c.cjOut,
                        c.cjOut ? out.data() : nullptr),
                  1u);
    }
    for (const Shape& s : WrongShapes(c)) {
        ShapePdev e;
        std::vector<BYTE> before = e.Image();
        SetLastError(12345);
        EXPECT_EQ(e.Esc(c.iEsc, s.cjIn, s.bIn ? in.data() : nullptr, s.cjOut,
                        s.bOut ? out.data() : nullptr),
                  0u)
            << "in " << s.cjIn << (s.bIn ? "" : " (null)") << ", out " << s.cjOut
            << (s.bOut ? "" : " (null)");
        EXPECT_TRUE(Diff(before, e.Image()).empty());
        EXPECT_EQ(GetLastError(), 12345u);
    }
}

class CheckedShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(CheckedShapes, MatchedCodeOnABrokenPdevAnswersZeroSilently)
{
    const ShapeCase& c = GetParam();
    std::vector<BYTE> in(c.cjIn, 0), out(c.cjOut, 0);
    ShapePdev e;
    e.p->dwSignatureEnd = 0;
    std::vector<BYTE> before = e.Image();
    SetLastError(12345);
    EXPECT_EQ(e.Esc(c.iEsc, c.cjIn, c.cjIn ? in.data() : nullptr, c.cjOut,
                    c.cjOut ? out.data() : nullptr),
              0u);
    EXPECT_EQ(GetLastError(), 12345u);
    EXPECT_TRUE(Diff(before, e.Image()).empty());
    e.p->dwSignatureEnd = PDEV_SIGNATURE;
}

std::string ShapeName(const ::testing::TestParamInfo<ShapeCase>& info)
{
    char sz[16];
    snprintf(sz, sizeof(sz), "x%08lX", static_cast<unsigned long>(info.param.iEsc));
    return std::string(sz);
}

// The codes whose PDEV is checked (all but three that reach their callee as
// they come).
std::vector<ShapeCase> Checked()
{
    std::vector<ShapeCase> v;
    for (const ShapeCase& c : s_aShapes)
        if (c.bChecked)
            v.push_back(c);
    return v;
}

INSTANTIATE_TEST_SUITE_P(Escapes, Shapes, ::testing::ValuesIn(s_aShapes), ShapeName);
INSTANTIATE_TEST_SUITE_P(Escapes, CheckedShapes, ::testing::ValuesIn(Checked()), ShapeName);

}  // namespace
