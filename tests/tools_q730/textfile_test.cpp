// q730 print FILE: plain-text files in UTF-8 or Shift-JIS, laid out in
// pages, checked in the job stream; and the sample document's text.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct QRun {
    int iExit;
    std::string strOut, strErr;
};

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

QRun Q730(const std::string& args)
{
    std::string out = TestRootFile("q730.out"), err = TestRootFile("q730.err");
    std::string cmd = "cd '" + TestRootPath() + "' && Q730_ROOT='" + TestRootPath() + "' '" +
                      PlatGetProgramDir() + "/q730' " + args + " >'" + out + "' 2>'" + err + "'";
    int status = std::system(cmd.c_str());
    return QRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

void WriteBytes(const std::string& name, const std::string& bytes)
{
    std::ofstream(TestRootFile(name), std::ios::binary) << bytes;
}

// One drawn character: its kind ("txo" or an image's "mta") and position.
struct Mark {
    int x, y;
};

// The pages of a job: what lies between the page set-up and "prn;".
std::vector<std::string> Pages(const std::string& job)
{
    std::vector<std::string> pages;
    size_t pos = job.find("\nini ");
    while (pos != std::string::npos) {
        size_t end = job.find("\nprn;\n", pos);
        if (end == std::string::npos)
            break;
        pages.push_back(job.substr(pos, end - pos + 1));
        pos = end + 5;
    }
    return pages;
}

// Every character drawn on a page, as a resident character or a glyph
// image, in stream order.
std::vector<Mark> Marks(const std::string& page)
{
    std::vector<Mark> marks;
    for (const char* head : {"\nmta ", "\ntxo #"}) {
        for (size_t pos = page.find(head); pos != std::string::npos; pos = page.find(head, pos + 1)) {
            const char* p = page.c_str() + pos + strlen(head);
            Mark m = {0, 0};
            if (head[1] == 't')
                p = strchr(p, ' ');
            if (p && sscanf(p, "%d %d", &m.x, &m.y) == 2)
                marks.push_back(m);
        }
    }
    return marks;
}

TEST(Q730PrintText, TwoPagesSplitByAFormFeed)
{
    TestNewRoot();
    WriteBytes("two.txt", "first page line\nsecond line\n\fpage two\n");
    QRun r = Q730("print --output job.prn two.txt");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("printed \"two.txt\" (2 pages) on printer \"QX-730\""),
              std::string::npos) << r.strOut;
    std::string job = Slurp(TestRootFile("job.prn"));
    EXPECT_NE(job.find("@PJL COMMENT Title : two.txt ;\n"), std::string::npos);
    std::vector<std::string> pages = Pages(job);
    ASSERT_EQ(pages.size(), 2u);
    // Every character of the lines is drawn once, in the resident font that
    // the substitution list gives the text's face (spaces included).
    std::vector<Mark> p1 = Marks(pages[0]), p2 = Marks(pages[1]);
    EXPECT_EQ(p1.size(), 26u);  // "first page line" + "second line"
    EXPECT_EQ(p2.size(), 8u);   // "page two"
    // Two lines on the first page, one on the second, each from the top.
    std::set<int> rows1;
    for (const Mark& m : p1)
        rows1.insert(m.y);
    EXPECT_GE(rows1.size(), 2u);
    ASSERT_FALSE(p2.empty());
    EXPECT_LT(p2[0].y, 100);
}

TEST(Q730PrintText, LongTextFillsPagesAndWraps)
{
    TestNewRoot();
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "x\n";
    text += std::string(300, 'w') + "\n";
    WriteBytes("long.txt", text);
    QRun r = Q730("print --output job.prn long.txt");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    std::vector<std::string> pages = Pages(Slurp(TestRootFile("job.prn")));
    ASSERT_EQ(pages.size(), 2u);
    std::vector<Mark> p1 = Marks(pages[0]), p2 = Marks(pages[1]);
    ASSERT_FALSE(p1.empty());
    ASSERT_FALSE(p2.empty());
    // The second page starts again at the top of the printable area.
    EXPECT_EQ(p2[0].y, p1[0].y);
    EXPECT_EQ(p1.size() + p2.size(), 400u);
    // The long line wraps at the printable width: several rows of "w".
    std::set<int> rows;
    int xMax = 0;
    for (const Mark& m : p2) {
        rows.insert(m.y);
        xMax = std::max(xMax, m.x);
    }
    EXPECT_GE(rows.size(), 3u);
    EXPECT_LT(xMax, 4960);  // inside the A4 width at 600 dpi
}

// How many characters the first row of a page holds.
size_t FirstRowLength(const std::vector<Mark>& marks)
{
    return marks.empty() ? 0 : (size_t)std::count_if(marks.begin(), marks.end(),
                                                     [&](const Mark& m) { return m.y == marks[0].y; });
}

// The text goes on the paper as the user's printing preferences lay it:
// their orientation (a landscape row holds more characters, a page fewer
// rows) and their binding margin.
TEST(Q730PrintText, FollowsThePrintingPreferences)
{
    TestNewRoot();
    std::string text;
    for (int i = 0; i < 80; ++i)
        text += "x\n";
    text += std::string(300, 'w') + "\n";
    WriteBytes("doc.txt", text);
    ASSERT_EQ(Q730("print --output portrait.prn doc.txt").iExit, 0);
    QRun r = Q730("preferences --check Landscape");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    ASSERT_EQ(Q730("print --output landscape.prn doc.txt").iExit, 0);
    r = Q730("preferences --check Portrait --check \"Binding margin\"");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    ASSERT_EQ(Q730("print --output margin.prn doc.txt").iExit, 0);

    std::string portrait = Slurp(TestRootFile("portrait.prn"));
    std::string landscape = Slurp(TestRootFile("landscape.prn"));
    std::string margin = Slurp(TestRootFile("margin.prn"));
    EXPECT_NE(portrait.find("@PJL SET ORIENTATION = PORTRAIT\n"), std::string::npos);
    EXPECT_NE(landscape.find("@PJL SET ORIENTATION = LANDSCAPE\n"), std::string::npos);
    EXPECT_NE(landscape.find("\npps A4 L;"), std::string::npos);
    std::vector<std::string> pagesP = Pages(portrait), pagesL = Pages(landscape);
    ASSERT_EQ(pagesP.size(), 2u);
    ASSERT_EQ(pagesL.size(), 2u);
    // The 80 short lines fill more of a portrait page than of a landscape
    // one, whose second page then holds more of them.
    EXPECT_LT(Marks(pagesP[1]).size(), Marks(pagesL[1]).size());
    // The long line's rows are longer across the landscape page.
    std::vector<Mark> longP = Marks(pagesP[1]), longL = Marks(pagesL[1]);
    ASSERT_GE(longP.size(), 300u);
    ASSERT_GE(longL.size(), 300u);
    EXPECT_GT(FirstRowLength(std::vector<Mark>(longL.end() - 300, longL.end())),
              FirstRowLength(std::vector<Mark>(longP.end() - 300, longP.end())));
    // The binding margin moves the page's origin.
    EXPECT_NE(margin.find("@PJL SET ORIENTATION = PORTRAIT\n"), std::string::npos);
    EXPECT_EQ(portrait.find("\norg %14.06 %4.06;"), std::string::npos);
    EXPECT_NE(margin.find("\norg %14.06 %4.06;"), std::string::npos);
}

TEST(Q730PrintText, ShiftJisWhereNotUtf8)
{
    TestNewRoot();
    // "日本語" and "テスト" in Shift-JIS, a form feed between them.
    WriteBytes("sjis.txt", "\x93\xfa\x96\x7b\x8c\xea\r\n\x0c\x83\x65\x83\x58\x83\x67\r\n");
    // The same text in UTF-8.
    WriteBytes("utf8.txt", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\n\f\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88\n");
    for (const char* file : {"sjis.txt", "utf8.txt"}) {
        QRun r = Q730(std::string("print --output job.prn ") + file);
        ASSERT_EQ(r.iExit, 0) << file << ": " << r.strErr;
        std::vector<std::string> pages = Pages(Slurp(TestRootFile("job.prn")));
        ASSERT_EQ(pages.size(), 2u) << file;
        EXPECT_EQ(Marks(pages[0]).size(), 3u) << file;
        EXPECT_EQ(Marks(pages[1]).size(), 3u) << file;
    }
    // Both give the same page content.
    Q730("print --output a.prn sjis.txt");
    Q730("print --output b.prn utf8.txt");
    EXPECT_EQ(Pages(Slurp(TestRootFile("a.prn"))), Pages(Slurp(TestRootFile("b.prn"))));
}

TEST(Q730PrintText, EmptyFileIsOneBlankPage)
{
    TestNewRoot();
    WriteBytes("empty.txt", "");
    QRun r = Q730("print --output job.prn empty.txt");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    std::vector<std::string> pages = Pages(Slurp(TestRootFile("job.prn")));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Marks(pages[0]).empty());
}

TEST(Q730PrintText, SampleDocumentCarriesText)
{
    TestNewRoot();
    QRun r = Q730("print --output job.prn");
    ASSERT_EQ(r.iExit, 0) << r.strErr;
    std::vector<std::string> pages = Pages(Slurp(TestRootFile("job.prn")));
    ASSERT_EQ(pages.size(), 4u);
    // Several lines of text and a Japanese line on the first page; a line
    // or two on each of the others.
    EXPECT_GT(Marks(pages[0]).size(), 150u);
    for (size_t i = 1; i < pages.size(); ++i)
        EXPECT_GE(Marks(pages[i]).size(), 5u) << i;
}

}  // namespace
