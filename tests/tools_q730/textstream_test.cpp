// q730 print FILE reads its file in pieces as it prints: line ends, form
// feeds and characters cut by the end of a piece, and the choice of the
// encoding over the whole file, give the same job as the file laid out at
// once would.
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

// The bytes read at a time: the cases put what they test across this.
const size_t kPiece = 64 * 1024;

struct QRun {
    int iExit;
    std::string strOut, strErr, strJob;
};

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Prints bytes as the file "doc.txt" (the same name every time, since the
// name is in the job) and gives the job.
QRun PrintBytes(const std::string& bytes)
{
    std::ofstream(TestRootFile("doc.txt"), std::ios::binary) << bytes;
    std::remove(TestRootFile("job.prn").c_str());
    std::string out = TestRootFile("q730.out"), err = TestRootFile("q730.err");
    std::string cmd = "cd '" + TestRootPath() + "' && Q730_ROOT='" + TestRootPath() + "' '" +
                      PlatGetProgramDir() + "/q730' print --output job.prn doc.txt >'" + out +
                      "' 2>'" + err + "'";
    int status = std::system(cmd.c_str());
    return QRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err),
                Slurp(TestRootFile("job.prn"))};
}

int PageCount(const std::string& job)
{
    int n = 0;
    for (size_t pos = job.find("\nprn;\n"); pos != std::string::npos; pos = job.find("\nprn;\n", pos + 1))
        ++n;
    return n;
}

// ASCII lines that fill exactly cb bytes, the last one ending with a line
// end.
std::string Filler(size_t cb, const char* eol = "\n")
{
    std::string s;
    for (int i = 0; s.size() < cb; ++i)
        s += "row " + std::to_string(i) + " of the filler" + eol;
    s.resize(cb - 1);
    s += '\n';
    return s;
}

std::string WithoutCr(const std::string& s)
{
    std::string t;
    for (char c : s)
        if (c != '\r')
            t += c;
    return t;
}

// The line q730 ends with: what was printed, how many pages, how many bytes.
std::string PrintedLine(const std::string& out)
{
    size_t at = out.find("printed ");
    return at == std::string::npos ? out : out.substr(at);
}

class Q730TextStream : public testing::Test {
protected:
    static void SetUpTestSuite() { TestNewRoot(); }
};

}  // namespace

// Pairs of files that are the same text: the second is what the first
// means, so both must give the same job byte for byte.
TEST_F(Q730TextStream, SameTextSameJob)
{
    const std::string jp = "日本語のテキスト、ｶﾀｶﾅ、全角ＡＢＣ。\n";
    // The Japanese line above in Shift-JIS.
    const std::string jpSjis =
        "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\x81\x41\xb6\xc0\xb6\xc5"
        "\x81\x41\x91\x53\x8a\x70\x82\x60\x82\x61\x82\x62\x81\x42\n";
    // 4, 3 and 2 byte characters starting 1, 2 and 1 bytes before the ends
    // of the first three pieces.
    const std::string utf8Cut = Filler(kPiece - 1) + "𠀋" + Filler(kPiece - 5) + "漢" +
                                Filler(kPiece - 2) + "é" + jp;
    struct {
        const char* what;
        std::string file, meaning;
    } const cases[] = {
        {"CR LF line ends, one cut by the end of a piece",
         Filler(kPiece - 1, "\r\n") + "\r\nafter\r\n", WithoutCr(Filler(kPiece - 1, "\r\n")) + "\nafter\n"},
        {"a lone CR ends a line, also at the end of a piece",
         Filler(kPiece - 1) + "\rafter", Filler(kPiece - 1) + "\nafter\n"},
        {"no line end after the last line", "one\ntwo", "one\ntwo\n"},
        {"a form feed at the very end adds no page", "one\ntwo\n\f", "one\ntwo\n"},
        {"a form feed at the end of a piece", Filler(kPiece - 1) + "\f", Filler(kPiece - 1)},
        {"a byte-order mark is no part of the text", "\xEF\xBB\xBFhello\n", "hello\n"},
        // A byte-order mark moves every byte on by three: the characters
        // cut by the end of a piece in the first file are whole in the second.
        {"UTF-8 characters cut by the end of a piece, one to three bytes in", utf8Cut,
         "\xEF\xBB\xBF" + utf8Cut},
        {"Shift-JIS where the file is not UTF-8, a pair cut by the end of a piece",
         Filler(kPiece - 1) + jpSjis + "end\n", Filler(kPiece - 1) + jp + "end\n"},
        {"Shift-JIS known only after the first piece",
         Filler(3 * kPiece) + jpSjis, Filler(3 * kPiece) + jp},
    };
    for (const auto& c : cases) {
        QRun a = PrintBytes(c.file);
        ASSERT_EQ(a.iExit, 0) << c.what << ": " << a.strErr;
        QRun b = PrintBytes(c.meaning);
        ASSERT_EQ(b.iExit, 0) << c.what << ": " << b.strErr;
        EXPECT_EQ(PrintedLine(a.strOut), PrintedLine(b.strOut)) << c.what;
        EXPECT_TRUE(a.strJob == b.strJob) << c.what << ": the jobs differ (" << a.strJob.size()
                                          << " and " << b.strJob.size() << " bytes)";
    }
}

// Page boundaries: a page holds cLines lines; one more starts a page, a
// form feed after a full page adds none unless text follows.
TEST_F(Q730TextStream, PageBoundaries)
{
    // The lines a page holds, from a text longer than a page.
    auto lines = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += "x\n";
        return s;
    };
    QRun probe = PrintBytes(lines(200));
    ASSERT_EQ(probe.iExit, 0) << probe.strErr;
    size_t first = probe.strJob.find("\nprn;\n");
    ASSERT_NE(first, std::string::npos);
    int cLines = 0;
    for (size_t pos = probe.strJob.find("\ntxo "); pos != std::string::npos && pos < first;
         pos = probe.strJob.find("\ntxo ", pos + 1))
        ++cLines;
    ASSERT_GT(cLines, 10);
    struct {
        const char* what;
        std::string text;
        int cPages;
    } const cases[] = {
        {"a full page", lines(cLines), 1},
        {"a full page without the last line end", lines(cLines).substr(0, 2 * cLines - 1), 1},
        {"one line more", lines(cLines + 1), 2},
        {"a full page and a form feed", lines(cLines) + "\f", 1},
        {"a full page, a form feed and text", lines(cLines) + "\fy", 2},
        {"a full page and a blank line", lines(cLines) + "\n", 2},
        {"two form feeds and text", "a\f\fb", 3},
        {"a form feed followed only by characters left out", "a\f\x01", 2},
    };
    for (const auto& c : cases) {
        QRun r = PrintBytes(c.text);
        ASSERT_EQ(r.iExit, 0) << c.what << ": " << r.strErr;
        EXPECT_EQ(PageCount(r.strJob), c.cPages) << c.what;
        EXPECT_NE(r.strOut.find("(" + std::to_string(c.cPages) + " pages)"), std::string::npos)
            << c.what << ": " << r.strOut;
    }
}

// Files that are not text are refused before anything is printed, also
// when what gives them away comes after the first piece.
TEST_F(Q730TextStream, NotTextAnywhereIsRefused)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("hello\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    struct {
        const char* what;
        std::string bytes;
    } const cases[] = {
        {"UTF-16", utf16},
        {"a NUL byte after the first piece", Filler(kPiece + 100) + std::string(1, '\0') + "x\n"},
        {"bytes neither UTF-8 nor Shift-JIS after the first piece", Filler(2 * kPiece) + "\x80\xff\n"},
        {"a Shift-JIS lead byte with nothing after it", Filler(kPiece) + "\x82\xa0\x82"},
    };
    for (const auto& c : cases) {
        QRun r = PrintBytes(c.bytes);
        EXPECT_EQ(r.iExit, 1) << c.what;
        EXPECT_NE(r.strErr.find("doc.txt: not a text file"), std::string::npos) << c.what << ": " << r.strErr;
        EXPECT_TRUE(r.strJob.empty()) << c.what;
    }
}
