// The display name and the comment of a settings file: the exact lines they
// become, reading them back, and hand-edited files that must neither
// overflow nor fail to fall back.
#include "ui/settings/settext.h"

#include "tests/settings_rest/xfer_fixture.h"

namespace {

const char16_t kFile[] = u"C:\\text.xsf";
const char16_t kName[] = u"QX_SETTING LIBRARY NAME";
const char16_t kComment[] = u"QX_SETTING LIBRARY COMMENT";

TEST(SettingsFileText, CommentLinesAndTheirReading)
{
    struct Row {
        const char16_t* pszIn;
        const char* pszSection;    // the comment section as written
        const char16_t* pszBack;   // what reads back
    };
    const Row rows[] = {
        {u"", "0=**\r\ncommentX=1\r\n", u""},
        {u"a", "0=*a*\r\ncommentX=1\r\n", u"a"},
        {u"  blanks  ", "0=*  blanks  *\r\ncommentX=1\r\n", u"  blanks  "},
        {u"x\r\n", "0=*x*\r\n1=**\r\ncommentX=2\r\n", u"x\r\n"},
        {u"a\tb", "0=*a b*\r\ncommentX=1\r\n", u"a b"},
        {u"one\r\ntwo\r\nthree", "0=*one*\r\n1=*two*\r\n2=*three*\r\ncommentX=3\r\n", u"one\r\ntwo\r\nthree"},
        // A lone CR would end the line in the file: it is stored as a blank.
        {u"a\rb", "0=*a b*\r\ncommentX=1\r\n", u"a b"},
    };
    for (const Row& r : rows) {
        TestNewRoot();
        std::u16string in(r.pszIn);
        ASSERT_TRUE(bWriteSetfileComment(kComment, in.c_str(), kFile));
        EXPECT_EQ(std::u16string(r.pszIn), in) << "the caller's text stays as it was";
        EXPECT_EQ(std::string("[QX_SETTING LIBRARY COMMENT]\r\n") + r.pszSection, ReadWinFile(kFile));
        WCHAR out[513] = {};
        EXPECT_EQ((int)std::u16string(r.pszBack).size(), ReadSetfileComment(kComment, u"dflt", out, sizeof(out), kFile));
        EXPECT_EQ(std::u16string(r.pszBack), std::u16string(out));
    }
}

TEST(SettingsFileText, LongCommentIsWrittenWholeAndCheckedOnReading)
{
    TestNewRoot();
    std::u16string full(512, u'c');
    ASSERT_TRUE(bWriteSetfileComment(kComment, full.c_str(), kFile));
    WCHAR out[513];
    EXPECT_EQ(512, ReadSetfileComment(kComment, u"", out, sizeof(out), kFile));
    EXPECT_EQ(full, std::u16string(out));
    // An output one character short gets the default, and nothing beyond it
    // is touched.
    WCHAR small[513];
    for (WCHAR& c : small)
        c = u'#';
    EXPECT_EQ(0, ReadSetfileComment(kComment, u"dflt", small, 512 * sizeof(WCHAR), kFile));
    EXPECT_EQ(u"dflt", std::u16string(small));
    EXPECT_EQ(u'#', small[512]);
}

TEST(SettingsFileText, HandEditedCommentsFallBack)
{
    struct Row {
        const char* pszSection;
        const char16_t* pszBack;
        int iResult;
    };
    const std::string longLine = "0=*" + std::string(600, 'x') + "*\r\ncommentX=1\r\n";
    const Row rows[] = {
        {"0=*a*\r\n", u"keep", 0},                                   // no count: output untouched
        {"0=*a*\r\n2=*c*\r\ncommentX=3\r\n", u"a\r\n\r\nc", 6},       // a line missing reads as empty
        {"0=a\r\ncommentX=1\r\n", u"dflt", 0},                         // not enclosed
        {"0=*\r\ncommentX=1\r\n", u"dflt", 0},                         // one character
        {longLine.c_str(), u"dflt", 0},
        {"0=*a*\r\n1=*b*\r\ncommentX=2\r\n", u"a\r\nb", 4},
    };
    for (const Row& r : rows) {
        TestNewRoot();
        WriteWinFile(kFile, std::string("[QX_SETTING LIBRARY COMMENT]\r\n") + r.pszSection);
        WCHAR out[513];
        lstrcpyW(out, u"keep");
        EXPECT_EQ(r.iResult, ReadSetfileComment(kComment, u"dflt", out, sizeof(out), kFile)) << r.pszSection;
        EXPECT_EQ(std::u16string(r.pszBack), std::u16string(out)) << r.pszSection;
    }
}

TEST(SettingsFileText, NameIsQuotedAndFallsBackToTheDefault)
{
    TestNewRoot();
    ASSERT_TRUE(bWriteSetfileString(kName, u"name", u"  Two-sided A4  ", kFile));
    EXPECT_EQ("[QX_SETTING LIBRARY NAME]\r\nname=*  Two-sided A4  *\r\n", ReadWinFile(kFile));
    WCHAR out[41];
    EXPECT_EQ(16, ReadSetfileString(kName, u"name", u"base", out, kFile));
    EXPECT_EQ(u"  Two-sided A4  ", std::u16string(out));

    struct Row {
        const char* pszLine;
        const char16_t* pszBack;
    };
    const std::string forty(40, 'n'), fortyOne(41, 'n');
    const std::string lineForty = "name=*" + forty + "*", lineFortyOne = "name=*" + fortyOne + "*";
    const Row rows[] = {
        {"name=**", u"base"},
        {"other=*x*", u"base"},
        {"name=plain", u"base"},
        {lineForty.c_str(), u"nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
        {lineFortyOne.c_str(), u"base"},
    };
    for (const Row& r : rows) {
        WriteWinFile(kFile, std::string("[QX_SETTING LIBRARY NAME]\r\n") + r.pszLine + "\r\n");
        ReadSetfileString(kName, u"name", u"base", out, kFile);
        EXPECT_EQ(std::u16string(r.pszBack), std::u16string(out)) << r.pszLine;
    }
    // A default longer than a name is cut to the output.
    std::u16string longBase(60, u'b');
    WCHAR guarded[48];
    for (WCHAR& c : guarded)
        c = u'#';
    EXPECT_EQ(0, ReadSetfileString(kName, u"missing", longBase.c_str(), guarded, kFile));
    EXPECT_EQ(std::u16string(40, u'b'), std::u16string(guarded));
    EXPECT_EQ(u'#', guarded[41]);
}

TEST(SettingsFileText, NamesTheFormatCannotCarryAreRefused)
{
    TestNewRoot();
    EXPECT_FALSE(bWriteSetfileString(kName, u"name", std::u16string(41, u'n').c_str(), kFile));
    EXPECT_FALSE(bWriteSetfileString(kName, u"name", u"a\r\n[X]", kFile));
    EXPECT_FALSE(bWriteSetfileString(kName, u"name", nullptr, kFile));
    EXPECT_FALSE(bWriteSetfileComment(nullptr, u"x", kFile));
    EXPECT_EQ("", ReadWinFile(kFile));
}

}  // namespace
