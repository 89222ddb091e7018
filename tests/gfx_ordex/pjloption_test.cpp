// The PJL option table: each job setting and the exact "@PJL SET" lines it
// gives, written between the header's comments and its language switch.
#include <functional>

#include <gtest/gtest.h>

#include "ordexfix.h"
#include "ui/settings/pagelist.h"

namespace {

struct OptionCase {
    const char* pszWhat;
    std::function<void(TestPdev&)> set;
    std::vector<std::string> lines;  // must appear, in this order
    std::string absent;              // must not appear (empty: no check)
};

std::vector<std::string> Options(TestPdev& t)
{
    t.Take();
    SetOptionPJL(t.pdev());
    return Lines(t.Take());
}

void Secure(TestPdev& t, int p1, int p2, int p3)
{
    t.work()->aSecure[0] = p1;
    t.work()->aSecure[1] = p2;
    t.work()->aSecure[2] = p3;
}

TEST(PjlOptions, SettingToLineTable)
{
    const std::string kErr = "@PJL COMMENT Error (";
    const OptionCase aCases[] = {
        {"copies", [](TestPdev& t) { t.Short(306, 3); }, {"@PJL SET COPIES = 3"}, ""},
        {"resolution", [](TestPdev& t) { t.Short(316, 1200); }, {"@PJL SET RESOLUTION = 1200"}, ""},
        {"paper A3R", [](TestPdev& t) { t.Short(776, 8); }, {"@PJL SET PAPER = A3"}, ""},
        {"paper postcard", [](TestPdev& t) { t.Short(776, 43); }, {"@PJL SET PAPER = JPOST"}, ""},
        {"paper letter", [](TestPdev& t) { t.Short(776, 1); }, {"@PJL SET PAPER = LETTER"}, ""},
        {"unknown paper", [](TestPdev& t) { t.Short(776, 77); }, {"@PJL SET PAPER = A4"}, ""},
        {"landscape", [](TestPdev& t) { t.Short(296, 2); }, {"@PJL SET ORIENTATION = LANDSCAPE"}, ""},
        {"orientation 3", [](TestPdev& t) { t.Short(296, 3); },
         {"@PJL COMMENT Error (ORIENTATION):Recieved illegal value. ORIENTATION was not set."},
         "@PJL SET ORIENTATION = PORTRAIT"},
        {"tray 3", [](TestPdev& t) { t.Short(1543, 258); }, {"@PJL SET PAPERTRAY = TRAY3"}, ""},
        {"manual tray", [](TestPdev& t) { t.Short(1543, 4); }, {"@PJL SET PAPERTRAY = MANUAL"}, ""},
        {"OHP interleave from manual takes the interleave tray",
         [](TestPdev& t) { t.Short(1543, 4); t.Byte(1576, 127); t.Short(1562, 2); },
         {"@PJL SET PAPERTRAY = TRAY2"}, ""},
        {"job offset", [](TestPdev& t) { t.Byte(1422, 1); }, {"@PJL SET JOBOFFSET = ON"}, ""},
        {"job offset 2", [](TestPdev& t) { t.Byte(1422, 2); },
         {"@PJL COMMENT Error (JOBOFFSET):Recieved illegal value. JOBOFFSET was not set."}, ""},
        {"collate", [](TestPdev& t) { t.Byte(1421, 1); }, {"@PJL SET COLLATE = ON"}, ""},
        {"collate 5", [](TestPdev& t) { t.Byte(1421, 5); },
         {"@PJL COMMENT Error (SORT):Recieved illegal value. SORT was not set."}, ""},
        {"bin 3", [](TestPdev& t) { t.Short(1545, 3); },
         {"@PJL SET OUTPUTBIN = BIN1"}, ""},
        {"bin 4 is face down", [](TestPdev& t) { t.Short(1545, 4); t.Byte(1561, 2); },
         {"@PJL SET OUTPUTMODE = FACEDOWN"}, "@PJL SET OUTPUTMODE = FACEUP"},
        {"bin 9", [](TestPdev& t) { t.Short(1545, 9); },
         {"@PJL COMMENT Error (OUTPUTBIN):Recieved illegal value. OUTPUTBIN was not set."}, ""},
        {"stapler of the first unit", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1428, 1); t.Byte(1429, 5); },
         {"@PJL SET STAPLEPOSITION = TOP2"}, ""},
        {"stapler of the second unit", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2103, 1); t.Byte(1429, 1); },
         {"@PJL COMMENT Error (STAPLE):Recieved illegal value. STAPLE was not set."}, ""},
        {"booklet", [](TestPdev& t) { t.Byte(1433, 1); },
         {"@PJL SET DUPLEX = ON", "@PJL SET BINDING = SHORTEDGE"}, ""},
        {"duplex long edge", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1426, 1); t.Short(314, 2); },
         {"@PJL SET DUPLEX = ON", "@PJL SET BINDING = LONGEDGE"}, ""},
        {"duplex short edge, second unit", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2096, 1); t.Short(314, 3); },
         {"@PJL SET DUPLEX = ON", "@PJL SET BINDING = SHORTEDGE"}, ""},
        {"duplex without the unit", [](TestPdev& t) { t.Short(314, 2); }, {"@PJL SET DUPLEX = OFF"}, ""},
        {"duplex 7", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1426, 1); t.Short(314, 7); },
         {"@PJL COMMENT Error (DUPLEX):Recieved illegal value. DUPLEX was not set."}, ""},
        {"front cover printed", [](TestPdev& t) { t.Byte(1570, 3); },
         {"@PJL SET FRONTCOVER = ON", "@PJL SET FRONTPRINT = ON"}, ""},
        {"back cover blank", [](TestPdev& t) { t.Byte(1573, 2); },
         {"@PJL SET BACKCOVER = ON", "@PJL SET BACKPRINT = OFF"}, ""},
        {"front cover 0", [](TestPdev& t) { t.Byte(1570, 0); },
         {"@PJL COMMENT Error (FRONTCOVER):Recieved illegal value. FRONTCOVER was not set."}, ""},
        {"front tray feeder", [](TestPdev& t) { t.Short(1571, 261); }, {"@PJL SET FRONTTRAY = FEEDER"}, ""},
        {"back tray 3", [](TestPdev& t) { t.Short(1574, 258); }, {"@PJL SET BACKTRAY = TRAY3"}, ""},
        {"back tray 9", [](TestPdev& t) { t.Short(1574, 9); },
         {"@PJL COMMENT Error (BACKCOVERTRAY):Recieved illegal value. BACKCOVERTRAY was not set."}, ""},
        {"two in one repeated", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2094, 1); t.Byte(2095, 2); },
         {"@PJL SET LAYOUT = 2IN1RPT"}, ""},
        {"four in one right", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2097, 1); },
         {"@PJL SET LAYOUT = 4IN1RIGHT"}, ""},
        {"two and four in one", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2094, 1); t.Byte(2097, 1); },
         {"@PJL COMMENT Error (LAYOUT):Recieved illegal value. LAYOUT was not set."}, ""},
        {"face up", [](TestPdev& t) { t.Byte(1561, 2); }, {"@PJL SET OUTPUTMODE = FACEUP"}, ""},
        {"density -2", [](TestPdev& t) { t.Short(2164, -2); }, {"@PJL SET DENSITY = 1"}, ""},
        {"density 2", [](TestPdev& t) { t.Short(2164, 2); }, {"@PJL SET DENSITY = 5"}, ""},
        {"density 3", [](TestPdev& t) { t.Short(2164, 3); },
         {"@PJL COMMENT Error (DENSITY):Recieved illegal value. DENSITY was not set."}, ""},
        {"punch top, 3 holes", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1430, 1); t.Byte(1431, 2); t.Byte(1432, 3); },
         {"@PJL SET PUNCH = TOP", "@PJL SET PUNCHHOLES = 3"}, ""},
        {"punch 9", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2104, 1); t.Byte(1431, 9); t.Byte(1432, 2); },
         {"@PJL COMMENT Error (Punch):Recieved illegal value. PUNCH was not set.",
          "@PJL SET PUNCHHOLES = 2"}, ""},
        {"punch holes 5", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1430, 1); t.Byte(1431, 1); t.Byte(1432, 5); },
         {"@PJL SET PUNCH = LEFT",
          "@PJL COMMENT Error (Punch):Recieved illegal value. PUNCHHOLES was not set."}, ""},
        {"no punch, no holes line", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1432, 3); },
         {"@PJL SET PUNCH = OFF", "@PJL SET FOLD = OFF"}, "@PJL SET PUNCHHOLES = 3"},
        {"fold and trim", [](TestPdev& t) { t.Byte(1423, 1); t.Byte(1569, 1); t.Byte(2102, 4); },
         {"@PJL SET FOLD = ON", "@PJL SET STITCH = OFF", "@PJL SET TRIM = ON"}, ""},
        {"z-fold", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2101, 1); t.Byte(2102, 5); },
         {"@PJL SET FOLD = ZFOLD", "@PJL SET STITCH = OFF", "@PJL SET TRIM = OFF"}, ""},
        {"fold 8", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2101, 1); t.Byte(2102, 8); },
         {"@PJL COMMENT Error (Finishing):Recieved illegal value. ", "@PJL SET WAIT = OFF"}, ""},
        {"proof", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2105, 1); t.Byte(1444, 1); },
         {"@PJL SET WAIT = PROOF"}, ""},
        {"smoothing 3", [](TestPdev& t) { t.Byte(2158, 3); }, {"@PJL SET SMOOTHING = TYPE2"}, ""},
        {"full bleed", [](TestPdev& t) { t.Short(298, 0x1009); }, {"@PJL SET FULLBLEED = ON"}, ""},
        {"wide paper", [](TestPdev& t) { t.Short(776, 8201); },
         {"@PJL SET WIDEMODE  = ON", "@PJL SET FEEDDIRECTION = AUTO"}, ""},
        {"OHP with printed interleave", [](TestPdev& t) { t.Short(2425, 4); },
         {"@PJL SET MEDIATYPE = OHP", "@PJL SET OHPINTERLEAVE = PRINTED"}, ""},
        {"OHP 127 with printed flag", [](TestPdev& t) { t.Short(2425, 127); t.Byte(1447, 1); },
         {"@PJL SET MEDIATYPE = OHP", "@PJL SET OHPINTERLEAVE = PRINTED"}, ""},
        {"OHP 127 blank", [](TestPdev& t) { t.Short(2425, 127); },
         {"@PJL SET MEDIATYPE = OHP", "@PJL SET OHPINTERLEAVE = BLANK"}, ""},
        {"media user", [](TestPdev& t) { t.Short(2425, 128); },
         {"@PJL SET MEDIATYPE = USER", "@PJL SET OHPINTERLEAVE = OFF"}, ""},
        {"media 11", [](TestPdev& t) { t.Short(2425, 11); },
         {"@PJL COMMENT Error (MEDIATYPE):Recieved illegal value. MEDIATYPE was not set."}, ""},
        {"z-fold feeds long edge first", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2101, 1); t.Byte(2102, 5); },
         {"@PJL SET FEEDDIRECTION = LEF"}, ""},
        {"rotated paper in PCL mode", [](TestPdev& t) { t.Byte(1410, 1); t.Short(776, 2057); },
         {"@PJL SET FEEDDIRECTION = SEF"}, ""},
        {"rotated paper in ORDEX mode", [](TestPdev& t) { t.Short(776, 2057); },
         {"@PJL SET FEEDDIRECTION = AUTO"}, ""},
        {"post-inserter front and back", [](TestPdev& t) { t.Byte(1584, 1); t.Short(1585, 2); t.Byte(1587, 1); t.Short(1588, 3); },
         {"@PJL SET RXFRONT = RXTRAY2", "@PJL SET RXBACK = OFF", "@PJL SET INTERMODE = OFF"}, ""},
        {"user ID with secure print", [](TestPdev& t) { Secure(t, 1, 0, 0); t.Wide(1495, u"u\r7", 11); },
         {"@PJL SET USERID = u7"}, ""},
        {"user ID without permission", [](TestPdev& t) { t.Wide(1495, u"u7", 11); },
         {"@PJL SET HOLD = OFF"}, "@PJL SET USERID = u7"},
        {"private hold", [](TestPdev& t) { Secure(t, 1, 0, 0); t.Byte(1450, 1); t.Wide(1473, u"pw9", 11, true); },
         {"@PJL SET HOLD = ON", "@PJL SET HOLDTYPE = PRIVATE", "@PJL SET HOLDKEY = pw9",
          "@PJL SET HOLDLOC = CONTROLLER"}, ""},
        {"private hold without password", [](TestPdev& t) { Secure(t, 1, 0, 0); t.Byte(1450, 1); },
         {"@PJL SET HOLDTYPE = PRIVATE", "@PJL SET HOLDLOC = CONTROLLER"}, ""},
        {"stored job with its ID", [](TestPdev& t) {
             Secure(t, 0, 1, 0); t.Byte(2092, 1); t.Byte(2108, 1); t.Byte(1446, 1);
             t.Wide(2110, u"ab12", 11); t.Wide(1473, u"k", 11, true); },
         {"@PJL SET JOBID = AB12", "@PJL SET HOLD = ON", "@PJL SET HOLDTYPE = STORE",
          "@PJL SET HOLDKEY = k", "@PJL SET HOLDLOC = ENGINE"}, ""},
        {"stored and printed", [](TestPdev& t) { Secure(t, 0, 1, 0); t.Byte(2092, 1); t.Byte(2108, 1); },
         {"@PJL SET HOLD = ON", "@PJL SET HOLDTYPE = STORENPRINT", "@PJL SET HOLDLOC = ENGINE"}, ""},
        {"image shift", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2134, 1); }, {"@PJL SET IMAGESHIFT = ON"}, ""},
        {"image shift 2", [](TestPdev& t) { t.Byte(2092, 1); t.Byte(2134, 2); },
         {"@PJL COMMENT Error (ImageShift):Recieved illegal value. IMAGESHIFT was not set."}, ""},
    };
    for (const OptionCase& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        TestPdev t;
        PdlStartDoc(t.pdev());
        c.set(t);
        std::vector<std::string> lines = Options(t);
        EXPECT_TRUE(HasRun(lines, c.lines)) << c.lines.front();
        if (!c.absent.empty()) {
            for (const std::string& line : lines) {
                EXPECT_NE(line, c.absent);
            }
        }
        for (const std::string& line : lines) {
            EXPECT_EQ(line.rfind("@PJL ", 0), 0u) << line;
        }
    }
}

TEST(PjlOptions, ChapterAndInterSheetLists)
{
    TestPdev t;
    PdlStartDoc(t.pdev());
    PAGELISTS* pLists = reinterpret_cast<PAGELISTS*>(t.dm() + 1595);
    SHORT aChapters[] = {12, 3, 7};
    StorePageSlot(pLists, 3, 2, aChapters);
    SHORT aInter[] = {5, 2};
    StorePageSlot(pLists, 2, 3, aInter);
    t.Byte(2092, 1);
    t.Byte(2099, 1);
    t.Byte(1590, 1);
    t.Short(1591, 2);
    std::string s;
    t.Take();
    SetOptionPJL(t.pdev());
    s = t.Take();
    EXPECT_NE(s.find("@PJL SET CHAPTERMODE = ON\n@PJL SET CHAPTER = 3,7,12\n"), std::string::npos);
    EXPECT_NE(s.find("@PJL SET INTERMODE = BLANK\n@PJL SET INTERSHEET = RXTRAY2,2,5\n"),
              std::string::npos);

    // Page numbers beyond the printer's sheet range end the list.
    SHORT aFar[] = {1000, 1001};
    StorePageSlot(pLists, 2, 3, aFar);
    SetOptionPJL(t.pdev());
    s = t.Take();
    EXPECT_NE(s.find("@PJL SET RXBACK = OFF\n@PJL SET INTERMODE = OFF\n"), std::string::npos);
    SHORT aMixed[] = {4, 1200};
    StorePageSlot(pLists, 2, 3, aMixed);
    SetOptionPJL(t.pdev());
    s = t.Take();
    EXPECT_NE(s.find("@PJL SET INTERSHEET = RXTRAY2,4\n@PJL SET HOLD = OFF\n"),
              std::string::npos);
}

TEST(PjlOptions, FaxJobRestoresCopies)
{
    TestPdev t;
    t.Byte(2167, 1);
    t.Short(306, 3);
    PdlStartDoc(t.pdev());
    t.work()->FaxDest.cDest = 1;
    std::vector<std::string> lines = Options(t);
    EXPECT_TRUE(HasRun(lines, {"@PJL SET COPIES = 1"}));
    EXPECT_EQ(lines.back(), "@PJL SET TIMEOUT = 300 ");
    EXPECT_EQ(DmShort(t.pdev(), 306), 3);
}

}  // namespace
