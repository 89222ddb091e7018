// Inserted sheets after a page and their tab labels, the page-end pattern
// and the overlay macro commands, checked line by line in the stream.
#include "specfix.h"

namespace {

SPECIALPAGE Sheet(int nPaper, int nTray, int nSides, int nBinding, int nKey = 0)
{
    SPECIALPAGE sp = {};
    sp.nPaper = (SHORT)nPaper;
    sp.nOrient = 1;
    sp.bSides = (BYTE)nSides;
    sp.bBinding = (BYTE)nBinding;
    sp.nTray = (SHORT)nTray;
    sp.nSegmentKey = (SHORT)nKey;
    return sp;
}

// A started page of a started job, with the stream emptied.
void StartJobPage(TestPdev* pt)
{
    PdlStartDoc(pt->pdev());
    StartPageOf(pt);
    SetPageState(pt->pdev(), 0);
    pt->Take();
}

TEST(InsertedSheets, PageThenEachFurtherSheetWithItsSetUp)
{
    TestPdev t;
    StartJobPage(&t);
    LONG nSide = t.work()->nPageSide;
    const SPECIALPAGE aRec[3] = {Sheet(9, 7, 1, 0), Sheet(9, 1, 1, 0), Sheet(9, 2, 2, 2)};
    WriteSheetsAfterPage(t.pdev(), aRec, 3);
    EXPECT_EQ(Lines(t.Take()), (std::vector<std::string>{"prn;",
                                                         "pps A4 P;", "ppt 1;", "ppd N;", "prn;",
                                                         "pps A4 P;", "ppt 2;", "ppd L;", "prn;"}));
    EXPECT_EQ(Val(t.work()->nPageSide), nSide + 3);
    EXPECT_EQ(Val(t.work()->nLogicalPage), 1);
    PdlEndDoc(t.pdev());
}

TEST(InsertedSheets, NoRecordsEndsThePageOnly)
{
    TestPdev t;
    StartJobPage(&t);
    WriteSheetsAfterPage(t.pdev(), nullptr, 0);
    EXPECT_EQ(Lines(t.Take()), (std::vector<std::string>{"prn;"}));
    PdlEndDoc(t.pdev());
}

// An insert-sheet record "a sheet from tray 1 after (type 1) or before
// (type 6) page 1", sent the way
// the user-interface library sends it at the first page.
void ScheduleSheet(TestPdev* pt, int nType)
{
    pt->Byte(1583, 1);
    BYTE abRec[476] = {};
    abRec[0] = '1';
    abRec[258] = (BYTE)nType;  // 1 after, 6 before each listed page
    abRec[260] = 1;  // tray 1
    abRec[262] = 1;  // in use
    abRec[264] = 0;  // no binding
    LONG lCount = 1;
    bPrivateEscapePages(pt->pdev(), ESCAPE_PAGES_INSERTCOUNT, 4, &lCount, 0, nullptr);
    bPrivateEscapePages(pt->pdev(), ESCAPE_PAGES_INSERTSHEETS, sizeof(abRec), abRec, 0, nullptr);
    bPrivateEscapePages(pt->pdev(), ESCAPE_PAGES_SCHEDULE, 0, nullptr, 0, nullptr);
}

TEST(InsertedSheets, SheetsAfterADroppedBlankPageAreStillPrinted)
{
    TestPdev t;
    StartSkippingJob(&t);
    ScheduleSheet(&t, 1);
    ASSERT_EQ(GetSpecialPagesForPage(t.pdev(), 1, nullptr), 2);
    StartPageOf(&t);
    SetDrawingKind(t.pdev(), 3);
    PdlPrintf(t.pdev(), "white-only;\n");
    EndPageOf(&t);
    std::vector<std::string> lines = Lines(t.Take());
    EXPECT_FALSE(HasRun(lines, {"white-only;"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "prn;"), 1);
    EXPECT_TRUE(HasRun(lines, {"pps A4 P;", "ppt 1;", "ppd N;", "prn;"}));
    PdlEndDoc(t.pdev());
}

TEST(InsertedSheets, SheetsAfterAnInkedPageFollowIt)
{
    TestPdev t;
    StartSkippingJob(&t);
    ScheduleSheet(&t, 1);
    ASSERT_EQ(GetSpecialPagesForPage(t.pdev(), 1, nullptr), 2);
    StartPageOf(&t);
    SetDrawingKind(t.pdev(), 3);
    PdlPrintf(t.pdev(), "inked;\n");
    MarkPageInked(t.pdev());
    EndPageOf(&t);
    std::vector<std::string> lines = Lines(t.Take());
    EXPECT_TRUE(HasRun(lines, {"inked;", "prn;", "pps A4 P;", "ppt 1;", "ppd N;", "prn;"}));
    EXPECT_EQ(Val(t.work()->nLogicalPage), 2);
    EXPECT_EQ(Val(t.work()->nPageSide), 3);
    PdlEndDoc(t.pdev());
}

TEST(InsertedSheets, SheetBeforeTheFirstPageComesOnceBeforeItsSetUp)
{
    TestPdev t;
    PdlStartDoc(t.pdev());
    ScheduleSheet(&t, 6);
    ASSERT_EQ(GetSpecialPagesForPage(t.pdev(), 0, nullptr), 1);
    StartPageOf(&t);
    // A second start of the same page (a sheet of several pages) adds none.
    StartPageOf(&t);
    std::vector<std::string> lines = Lines(t.Take());
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              (std::vector<std::string>{"pps A4 P;", "ppt 1;", "ppd N;", "prn;"}));
    EXPECT_EQ(lines[4].rfind("org ", 0), 0u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "prn;"), 1);
    EXPECT_EQ(Val(t.work()->nPageSide), 2);
    PdlEndDoc(t.pdev());
}

TEST(InsertedSheets, CustomPaperSheetIsDescribedAsADocumentPage)
{
    TestPdev t;
    t.Short(776, 256);    // custom output paper, 200 mm x 250 mm
    t.Short(1547, 2000);
    t.Short(1549, 2500);
    PdlStartDoc(t.pdev());
    StartPageOf(&t);
    SetPageState(t.pdev(), 0);
    std::string sPage;
    for (const std::string& l : Lines(t.Take()))
        if (l.rfind("pps ", 0) == 0)
            sPage = l;
    ASSERT_EQ(sPage.rfind("pps USERDEF ", 0), 0u) << sPage;
    const SPECIALPAGE aRec[2] = {Sheet(256, 7, 1, 0), Sheet(256, 7, 1, 0)};
    WriteSheetsAfterPage(t.pdev(), aRec, 2);
    std::vector<std::string> lines = Lines(t.Take());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], sPage);
    PdlEndDoc(t.pdev());
}

TEST(TabStrip, RectanglesOfTabPaper)
{
    struct Case {
        int nKey, nOrient;
        LONG d;
        RECTL rc;
    };
    const Case aCase[] = {
        {1033, 1, 600, {4960, 0, 5245, 7015}},
        {1033, 2, 600, {0, 4960, 7015, 5245}},
        {1025, 1, 600, {5100, 0, 5400, 6600}},
        {1025, 1, 300, {2550, 0, 2700, 3300}},
    };
    for (const Case& c : aCase) {
        RECTL rc = {};
        GetTabStripRect(c.nKey, c.nOrient, c.d, &rc);
        EXPECT_EQ(rc.left, c.rc.left) << c.nKey << "/" << c.nOrient << "/" << c.d;
        EXPECT_EQ(rc.top, c.rc.top);
        EXPECT_EQ(rc.right, c.rc.right);
        EXPECT_EQ(rc.bottom, c.rc.bottom);
    }
}

// A tab sheet: 5 tabs, 34 mm above and below, 10 mm between, the label on
// tab nIndex in 12 points.
SPECIALPAGE TabSheet(int nOrient, int nIndex, int nAlign, int nDirection)
{
    SPECIALPAGE sp = Sheet(1033, 7, 1, 0, 9);
    sp.nOrient = (SHORT)nOrient;
    BYTE* pb = reinterpret_cast<BYTE*>(&sp);
    pb[SP_TAB_PAPER] = 1033 & 0xFF;
    pb[SP_TAB_PAPER + 1] = 1033 >> 8;
    pb[SP_TAB_COUNT] = 5;
    pb[SP_TAB_TOP] = 34;
    pb[SP_TAB_BOTTOM] = 34;
    pb[SP_TAB_GAP] = 10;
    pb[SP_TAB_INDEX] = (BYTE)nIndex;
    pb[SP_TAB_DIRECTION] = (BYTE)nDirection;
    pb[SP_TAB_ALIGN] = (BYTE)nAlign;
    pb[SP_TAB_POINTS] = 12;
    return sp;
}

TEST(TabStrip, LabelPositions)
{
    struct Case {
        int nOrient, nIndex, nAlign, nDirection;
        LONG x, y;  // 0.1 mm
    };
    // step = (2970 + 2 - 340 - 340 - 400) / 5 = 378; c = 2100 + 60 +- 21.
    const Case aCase[] = {
        {1, 1, 1, 0, 2181, 340},
        {1, 1, 2, 0, 2181, 529},
        {1, 2, 3, 0, 2181, 340 + 478 + 378},
        {1, 3, 1, 1, 2139, 340 + 2 * 478},
        {2, 1, 2, 0, 2970 - 529, 2181},
    };
    for (const Case& c : aCase) {
        SPECIALPAGE sp = TabSheet(c.nOrient, c.nIndex, c.nAlign, c.nDirection);
        LONG x = -1, y = -1;
        GetTabLabelPosition(nullptr, &sp, 9, &x, &y);
        EXPECT_EQ(x, c.x) << c.nOrient << c.nIndex << c.nAlign << c.nDirection;
        EXPECT_EQ(y, c.y);
    }
    SPECIALPAGE none = TabSheet(1, 1, 1, 0);
    reinterpret_cast<BYTE*>(&none)[SP_TAB_COUNT] = 0;
    LONG x = -1, y = -1;
    GetTabLabelPosition(nullptr, &none, 9, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST(TabStrip, LabelSheetClearsTheStripAndPlaysTheRecording)
{
    TestPdev t;
    StartJobPage(&t);
    LONG lCount = 1, lKey = 9;
    bPrivateEscapeSegment(t.pdev(), ESCAPE_PAGES_SEGMENTS, 4, &lCount, 0, nullptr);
    bPrivateEscapeSegment(t.pdev(), ESCAPE_PAGES_SEGMENTKEY, 4, &lKey, 0, nullptr);
    BeginSegmentRecord(t.pdev());
    PdlPrintf(t.pdev(), "txo #54 1000 1000;\n");
    EndSegmentRecord(t.pdev());
    StoreRecordedSegment(t.pdev(), 1);
    t.Take();

    SPECIALPAGE sp = TabSheet(1, 1, 2, 0);
    DrawSpecialPageItem(t.pdev(), sp.abTabValues, sp.abItem, 9, 1033, 1);
    std::vector<std::string> lines = Lines(t.Take());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "org %0.00 %0.00;");
    EXPECT_TRUE(HasRun(lines, {"rct 4960 0 5245 7015;"}));
    // (2181, 529) x 10 less 2540000 / 600.
    EXPECT_TRUE(HasRun(lines, {"org %175.77 %10.57;", "txo #54 1000 1000;", "brc 0 #00;",
                               "brc 1 #FFFFFF;", "brc 10 #00;"}));
    // An unknown key draws nothing at all.
    DrawSpecialPageItem(t.pdev(), sp.abTabValues, sp.abItem, 8, 1033, 1);
    EXPECT_EQ(t.Take(), "");
    PdlEndDoc(t.pdev());
}

TEST(PageEndPattern, EveryEjectGetsItJustBeforeItsPrn)
{
    TestPdev t;
    t.Byte(2155, 1);
    t.Long(823, 100);
    t.Long(827, 200);
    t.Long(831, 4900);
    t.Long(835, 7000);
    StartJobPage(&t);
    const SPECIALPAGE aRec[2] = {Sheet(9, 7, 1, 0), Sheet(9, 1, 1, 0)};
    WriteSheetsAfterPage(t.pdev(), aRec, 2);
    std::vector<std::string> lines = Lines(t.Take());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "rct 0 0 4800 6800;"), 2);
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == "prn;") {
            EXPECT_EQ(lines[i - 1], "rct 0 0 4800 6800;");
        }
    }
    PdlEndDoc(t.pdev());
}

TEST(OverlayMacro, CommandsByOrder)
{
    struct Case {
        int nOrder;
        const char* pszBegin;
    };
    const Case aCase[] = {
        {0, "mct 0;\nmcr 1 42 <!"},
        {1, "mct 1;\nmcr 1 42 <!"},
        {2, "mcr 1 42 <!"},
    };
    for (const Case& c : aCase) {
        TestPdev t;
        t.Byte(2153, c.nOrder);
        t.Long(1402, 42);
        EXPECT_TRUE(PdlBeginMacro(t.pdev()));
        EXPECT_EQ(t.Take(), c.pszBegin);
        EXPECT_TRUE(PdlEndMacro(t.pdev()));
        EXPECT_EQ(t.Take(), "!>;\n");
        EXPECT_TRUE(PdlCallMacro(t.pdev()));
        EXPECT_EQ(t.Take(), "mcx 1;\n");
    }
}

}  // namespace
