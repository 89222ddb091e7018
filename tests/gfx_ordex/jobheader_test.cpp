// The job's frame: the PJL job header, a page's set-up and eject, and the
// closing universal exit sequence.
#include <gtest/gtest.h>

#include "ordexfix.h"
#include "platform/windows.h"

namespace {

const std::vector<std::string> kPrintJobSetLines = {
    "@PJL SET JOBNAME = \"Report\"",
    "@PJL SET USERNAME = \"alice\"",
    "@PJL SET RESOLUTION = 600",
    "@PJL SET COPIES = 1",
    "@PJL SET PAPER = A4",
    "@PJL SET ORIENTATION = PORTRAIT",
    "@PJL SET PAPERTRAY = AUTO",
    "@PJL SET JOBOFFSET = OFF",
    "@PJL SET COLLATE = OFF",
    "@PJL SET OUTPUTBIN = DEFAULT",
    "@PJL SET TIMEOUT = 300 ",
    "@PJL SET STAPLEPOSITION = OFF",
    "@PJL SET DUPLEX = OFF",
    "@PJL SET FRONTCOVER = OFF",
    "@PJL SET FRONTPRINT = OFF",
    "@PJL SET BACKCOVER = OFF",
    "@PJL SET BACKPRINT = OFF",
    "@PJL SET FRONTTRAY = TRAY1",
    "@PJL SET BACKTRAY = TRAY1",
    "@PJL SET LAYOUT = NORMAL",
    "@PJL SET OUTPUTMODE = FACEDOWN",
    "@PJL SET DENSITY = 3",
    "@PJL SET PUNCH = OFF",
    "@PJL SET FOLD = OFF",
    "@PJL SET STITCH = OFF",
    "@PJL SET TRIM = OFF",
    "@PJL SET WAIT = OFF",
    "@PJL SET SMOOTHING = OFF",
    "@PJL SET FULLBLEED = OFF",
    "@PJL SET WIDEMODE  = OFF",
    "@PJL SET FEEDDIRECTION = AUTO",
    "@PJL SET RXFRONT = OFF",
    "@PJL SET RXBACK = OFF",
    "@PJL SET INTERMODE = OFF",
    "@PJL SET HOLD = OFF",
    "@PJL SET IMAGESHIFT = OFF",
};

std::string Join(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& line : lines) {
        s += line + "\n";
    }
    return s;
}

std::string Header(TestPdev& t, LPCWSTR pwszName)
{
    PdlStartDoc(t.pdev());
    t.Take();
    WriteJobHeader(t.pdev(), pwszName);
    return t.Take();
}

TEST(JobHeader, OnePageReportJobByteForByte)
{
    TestPdev t;
    t.UserName(u"alice");
    SetPdevDocName(t.pdev(), const_cast<LPWSTR>(u"Report"));
    ASSERT_TRUE(PdlStartDoc(t.pdev()));
    ASSERT_TRUE(PdlWriteJobHeader(t.pdev()));
    ASSERT_TRUE(PdlStartPage(t.pdev()));
    ASSERT_TRUE(PdlEndPage(t.pdev()));
    ASSERT_TRUE(PdlSendPage(t.pdev()));
    t.work()->bJobEndPending = 1;
    ASSERT_TRUE(PdlEndDoc(t.pdev()));

    std::string expected =
        "\x1B%-12345X@PJL\n"
        "@PJL COMMENT HEADER OSTREL BRAVINE QX-730 ORDEX2 V\n"
        "@PJL COMMENT Title : Report ;\n"
        "@PJL COMMENT Driver version : 04.03\n" +
        Join(kPrintJobSetLines) +
        "@PJL ENTER LANGUAGE = ORDEX\n"
        "ini 600 1 S;\n"
        "org %5.00 %4.00;\n"
        "pps A4 P;\n"
        "ppt A;\n"
        "ppd N;\n"
        "htn D 33;\n"
        "brc 0 #00;\n"
        "brc 1 #FFFFFF;\n"
        "brc 10 #00;\n"
        // The page end sets the clip back to none; the page set-up forgot the
        // clip kind, so it is selected again. The page clip of this empty
        // printable area is already cached, so no "cpc" is written.
        "cps 0;\n"
        "prn;\n"
        "\x1B%-12345X";
    EXPECT_EQ(t.sStream, expected);
    EXPECT_EQ(Val(t.work()->nPageSide), 2);
    EXPECT_EQ(Val(t.work()->nLogicalPage), 2);
    EXPECT_EQ(Val(t.work()->bHeaderWritten), 1);
    EXPECT_EQ(PdlInsertSheets(t.pdev()), nullptr);
}

TEST(JobHeader, WrittenOncePerJob)
{
    TestPdev t;
    Header(t, u"Report");
    WriteJobHeader(t.pdev(), u"Report");
    EXPECT_EQ(t.sStream, "");
}

TEST(JobHeader, TitleCases)
{
    struct Case {
        const char* pszWhat;
        std::u16string name;
        bool bNull;
        std::string title;
    };
    std::u16string long300(300, u'x');
    std::u16string dbcs = u"a" + std::u16string(100, u'\u3042');
    std::string dbcsTitle = "a";
    for (int i = 0; i < 63; ++i) dbcsTitle += "\x82\xA0";
    const Case aCases[] = {
        {"no name", u"", true, "DocName: NULL"},
        {"300 characters", long300, false, std::string(128, 'x')},
        {"double-byte text is cut between characters", dbcs, false, dbcsTitle},
        {"line ends and quotes cannot inject", u"Bad\r\n@PJL SET COPIES = 99\x1B\"", false,
         "Bad@PJL SET COPIES = 99"},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        TestPdev t;
        std::vector<std::string> lines = Lines(Header(t, c.bNull ? nullptr : c.name.c_str()));
        ASSERT_GT(lines.size(), 5u);
        EXPECT_EQ(lines[2], "@PJL COMMENT Title : " + c.title + " ;");
        for (const std::string& line : lines) {
            EXPECT_NE(line, "@PJL SET COPIES = 99");
        }
    }
}

TEST(JobHeader, JobNameAndUserNameStayInsideTheirQuotes)
{
    TestPdev t;
    t.UserName(u"ev\"il\n@PJL SET HOLD = ON");
    std::u16string name = std::u16string(200, u'n') + u"\"";
    std::vector<std::string> lines = Lines(Header(t, name.c_str()));
    EXPECT_TRUE(HasRun(lines, {"@PJL SET JOBNAME = \"" + std::string(127, 'n') + "\"",
                               "@PJL SET USERNAME = \"evil@PJL SET HOLD = ON\""}));
    EXPECT_EQ(std::string(t.work()->szDocName), std::string(200, 'n'));
}

TEST(JobHeader, PclModeWritesUserPapersAndNamesPcl)
{
    TestPdev t;
    t.Byte(1410, 1);
    t.UserName(u"alice");
    PdlStartDoc(t.pdev());
    t.work()->aUserPaper[0][0] = 2100;
    t.work()->aUserPaper[0][1] = 2970;
    t.work()->aUserPaper[9][0] = 99;
    t.Take();
    WriteJobHeader(t.pdev(), u"Report");
    std::vector<std::string> lines = Lines(t.Take());
    std::vector<std::string> tail = {
        "@PJL SET IMAGESHIFT = OFF",
        "@PJL SET USERDEF0 = 210 297 MANUAL",
        "@PJL SET USERDEF1 = 0 0 MANUAL",
        "@PJL SET USERDEF2 = 0 0 MANUAL",
        "@PJL SET USERDEF3 = 0 0 MANUAL",
        "@PJL SET USERDEF4 = 0 0 MANUAL",
        "@PJL SET USERDEF5 = 0 0 MANUAL",
        "@PJL SET USERDEF6 = 0 0 MANUAL",
        "@PJL SET USERDEF7 = 0 0 MANUAL",
        "@PJL SET USERDEF8 = 0 0 MANUAL",
        "@PJL SET USERDEF9 = 9 0 MANUAL",
        "@PJL ENTER LANGUAGE = PCL",
        "ini 600 1 S;",
    };
    EXPECT_TRUE(HasRun(lines, tail));
}

TEST(JobHeader, LanguageByPdlMode)
{
    const struct {
        int nMode;
        const char* pszLine;
    } aCases[] = {
        {0, "@PJL ENTER LANGUAGE = ORDEX"},
        {1, "@PJL ENTER LANGUAGE = PCL"},
        {2, "@PJL ENTER LANGUAGE = PCLXL"},
        {3, "@PJL ENTER LANGUAGE = PCLXL"},
        {5, "@PJL ENTER LANGUAGE = error"},
    };
    for (const auto& c : aCases) {
        TestPdev t;
        t.Byte(1410, c.nMode);
        std::vector<std::string> lines = Lines(Header(t, u"Report"));
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], c.pszLine);
        int cUserDef = 0;
        for (const std::string& line : lines) {
            cUserDef += line.rfind("@PJL SET USERDEF", 0) == 0;
        }
        EXPECT_EQ(cUserDef, c.nMode == 0 ? 0 : 10);
    }
}

TEST(JobHeader, UnknownJobKindWritesOnlyTheError)
{
    TestPdev t;
    t.Byte(2167, 3);
    std::vector<std::string> lines = Lines(Header(t, u"Report"));
    EXPECT_TRUE(HasRun(lines, {
        "@PJL COMMENT Driver version : 04.03",
        "@PJL COMMENT Error (SetOptionPJL):Recieved illegal value. PJL is not executed.",
        "@PJL ENTER LANGUAGE = ORDEX",
    }));
}

TEST(JobHeader, FaxJobCopiesAgree)
{
    TestPdev t;
    t.Byte(2167, 1);
    t.Short(306, 3);
    t.UserName(u"alice");
    PdlStartDoc(t.pdev());
    t.work()->FaxDest.cDest = 1;  // a fax job reaches the stream once it has a destination
    t.Take();
    WriteJobHeader(t.pdev(), u"Report");
    std::vector<std::string> lines = Lines(t.Take());
    // Fax jobs run only the rows for every job: 0..9.
    std::vector<std::string> want(kPrintJobSetLines.begin(), kPrintJobSetLines.begin() + 11);
    want.push_back("@PJL ENTER LANGUAGE = ORDEX");
    want.push_back("ini 600 1 S;");
    EXPECT_TRUE(HasRun(lines, want));
    EXPECT_EQ(DmShort(t.pdev(), 306), 3);

    TestPdev p;
    p.Short(306, 3);
    std::vector<std::string> printLines = Lines(Header(p, u"Report"));
    EXPECT_TRUE(HasRun(printLines, {"@PJL SET COPIES = 3"}));
    EXPECT_EQ(printLines.back(), "ini 600 3 S;");
}

TEST(JobEnd, ClosingExitSequenceNeedsHeaderMarkerAndNoFormFile)
{
    for (int bHeader = 0; bHeader < 2; ++bHeader) {
        for (int bMarker = 0; bMarker < 2; ++bMarker) {
            for (int bForm = 0; bForm < 2; ++bForm) {
                TestPdev t;
                PdlStartDoc(t.pdev());
                if (bHeader) {
                    WriteJobHeader(t.pdev(), u"Report");
                }
                t.work()->bJobEndPending = (BYTE)bMarker;
                t.work()->bFormFileMode = bForm;
                t.Take();
                PdlEndDoc(t.pdev());
                bool bUel = bHeader && bMarker && !bForm;
                EXPECT_EQ(t.sStream, bUel ? "\x1B%-12345X" : "")
                    << bHeader << bMarker << bForm;
            }
        }
    }
}

TEST(JobFlow, FormFileJobHasNoHeaderNoEjectNoExit)
{
    TestPdev t;
    t.Byte(879, 2);
    PdlStartDoc(t.pdev());
    PdlWriteJobHeader(t.pdev());
    PdlStartPage(t.pdev());
    PdlSendPage(t.pdev());
    t.work()->bJobEndPending = 1;
    PdlEndDoc(t.pdev());
    std::vector<std::string> lines = Lines(t.sStream);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "org %5.00 %4.00;");
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("@PJL"), std::string::npos);
        EXPECT_NE(line, "prn;");
    }
}

TEST(JobFlow, BlankPageIsNotEjectedWhenSkippingIsOn)
{
    TestPdev t;
    t.Byte(1539, 1);
    PdlStartDoc(t.pdev());
    PdlStartPage(t.pdev());
    PdlSendPage(t.pdev());
    EXPECT_EQ(t.sStream.find("prn;"), std::string::npos);
    EXPECT_EQ(Val(t.work()->nPageSide), 1);

    // Once something is drawn the page is ejected: its side is counted.
    PdlStartPage(t.pdev());
    SetPageState(t.pdev(), 0);
    t.work()->bPageBlank = 0;
    PdlSendPage(t.pdev());
    EXPECT_EQ(Val(t.work()->nPageSide), 2);
}

TEST(JobFlow, FaxCaptureEjectsEveryPage)
{
    // Blank-page skipping is forced off in fax capture, so the setting
    // must not keep a page from ending.
    TestPdev t;
    t.Byte(1539, 1);
    t.Byte(2167, 1);
    t.Byte(2170, 1);
    PdlStartDoc(t.pdev());
    EXPECT_EQ(Val(t.work()->bBlankSkip), 0);
    PdlStartPage(t.pdev());
    PdlSendPage(t.pdev());
    EXPECT_EQ(Val(t.work()->nPageSide), 2);
    PdlEndDoc(t.pdev());
}

TEST(JobFlow, ResetPdevMovesTheJob)
{
    TestPdev a;
    TestPdev b;
    a.UserName(u"alice");
    a.Long(220 + 700, 0x11111111);    // a job field of UIEXTRA
    b.Long(220 + 700, 0x22222222);
    b.Short(296, 2);                  // page-level: landscape from the new DEVMODE
    b.Long(220 + 571, 0x33333333);    // page-level field of UIEXTRA
    PdlStartDoc(a.pdev());
    WriteJobHeader(a.pdev(), u"Report");
    BYTE* pInsert = PdlInsertSheets(a.pdev());
    ASSERT_NE(pInsert, nullptr);
    EXPECT_EQ(Val(a.work()->slInsertSheets), static_cast<DWORD>(PREF_INSERTSHEETS));
    ASSERT_TRUE(PdlResetPDEV(a.pdev(), b.pdev()));
    EXPECT_EQ(Val(b.work()->bHeaderWritten), 1);
    EXPECT_EQ(Val(b.work()->bDocOpen), 1);
    EXPECT_EQ(std::string(b.work()->szDocName), "Report");
    // The buffer moves with its slot: the old PDEV has neither any more.
    EXPECT_EQ(PdlInsertSheets(b.pdev()), pInsert);
    EXPECT_EQ(Val(b.work()->slInsertSheets), static_cast<DWORD>(PREF_INSERTSHEETS));
    EXPECT_EQ(PdlInsertSheets(a.pdev()), nullptr);
    EXPECT_EQ(Val(a.work()->slInsertSheets), 0u);
    EXPECT_EQ(PdevSide(a.pdev())->aRef[PREF_INSERTSHEETS], 0u);
    EXPECT_EQ(DmLong(b.pdev(), 220 + 700), 0x11111111);
    EXPECT_EQ(DmLong(b.pdev(), 220 + 571), 0x33333333);
    EXPECT_EQ(DmShort(b.pdev(), 296), 2);
    PdlEndDoc(b.pdev());
    EXPECT_EQ(PdlInsertSheets(b.pdev()), nullptr);
}

}  // namespace
