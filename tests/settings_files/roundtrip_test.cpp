// Settings files through the transfer engine as a user meets them: what a
// save writes comes back unchanged, texts the format cannot carry do not
// turn into other keys, and one bad entry costs only that entry.
#include "tests/settings_rest/xfer_fixture.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/wmlist.h"
#include "ui/settings/xfer.h"

namespace {

const char16_t kFirst[] = u"C:\\first.xsf";
const char16_t kSecond[] = u"C:\\second.xsf";

std::u16string Str(const WCHAR* p) { return std::u16string(p); }

// A new file that the profile calls keep in UTF-16.
void NewUtf16File(LPCWSTR pszPath) { WriteWinFile(pszPath, "\xFF\xFE"); }

class RoundTrip : public SettingsFileTest {
protected:
    WATERMARKLIST* Wm(UISETTINGS* p = nullptr) { return Lists(p)->pWatermark; }
};

TEST_F(RoundTrip, SaveLoadSaveGivesTheSameBytes)
{
    // The default settings, and settings with lists filled in.
    for (int iCase = 0; iCase < 2; ++iCase) {
        UISETTINGS* pSource = SecondObject();
        ASSERT_NE(nullptr, pSource);
        if (iCase == 1) {
            SetDefaultWatermarks(Wm(pSource));
            Wm(pSource)->sCount = 3;
            lstrcpynW(Wm(pSource)->pRecords[2].szText, u"Draft", WATERMARK_TEXT_CCH);
            lstrcpynW(Lists(pSource)->pInterSheet->pLists[1].szName, u"Chapters", 17);
        }
        DeleteFileW(kFirst);
        DeleteFileW(kSecond);
        ASSERT_TRUE(bWriteSettingsFile(pSource, kFirst));
        UISETTINGS* pLoaded = SecondObject();
        ASSERT_NE(nullptr, pLoaded);
        ASSERT_TRUE(bReloadSettingsFile(pLoaded, kFirst));
        ASSERT_TRUE(bWriteSettingsFile(pLoaded, kSecond));
        std::string first = ReadWinFile(kFirst), second = ReadWinFile(kSecond);
        EXPECT_EQ(first, second) << "case " << iCase;
        EXPECT_NE(std::string::npos, first.find("\r\nlpDuplex=1\r\n"));
    }
}

TEST_F(RoundTrip, Utf16FileKeepsEveryCharacter)
{
    SetDefaultWatermarks(Wm());
    Wm()->sCount = 2;
    lstrcpynW(Wm()->pRecords[1].szText, u"Café € 機密", WATERMARK_TEXT_CCH);
    NewUtf16File(kFirst);
    ASSERT_TRUE(bWriteSettingsFile(pObj, kFirst));
    std::string bytes = ReadWinFile(kFirst);
    ASSERT_EQ("\xFF\xFE", bytes.substr(0, 2));

    UISETTINGS* p = SecondObject();
    ASSERT_NE(nullptr, p);
    ASSERT_TRUE(bReloadSettingsFile(p, kFirst));
    EXPECT_EQ(2, Wm(p)->sCount);
    EXPECT_EQ(u"Café € 機密", Str(Wm(p)->pRecords[1].szText));
}

TEST_F(RoundTrip, TextWithALineBreakInjectsNothing)
{
    SetDefaultWatermarks(Wm());
    Wm()->sCount = 3;
    lstrcpynW(Wm()->pRecords[0].szText, u"x\r\n[Watermark Size]\r\n0=9", WATERMARK_TEXT_CCH);
    lstrcpynW(Wm()->pRecords[1].szText, u"after", WATERMARK_TEXT_CCH);
    lstrcpynW(Wm()->pRecords[2].szText, u"a\nb", WATERMARK_TEXT_CCH);
    ASSERT_TRUE(bWriteSettingsFile(pObj, kFirst));
    std::string file = ReadWinFile(kFirst);
    EXPECT_EQ(std::string::npos, file.find("0=9"));
    EXPECT_EQ("[Watermark String]\r\n1=after\r\n", SectionText(file, "Watermark String"));

    UISETTINGS* p = SecondObject();
    ASSERT_NE(nullptr, p);
    ASSERT_TRUE(bReloadSettingsFile(p, kFirst));
    EXPECT_EQ(3, Wm(p)->sCount);
    EXPECT_EQ(72u, Wm(p)->pRecords[0].dwSize);
    EXPECT_EQ(u"", Str(Wm(p)->pRecords[0].szText));
    EXPECT_EQ(u"after", Str(Wm(p)->pRecords[1].szText));
}

TEST_F(RoundTrip, OneRefusedEntryCostsOnlyThatEntry)
{
    // Each row: the text of watermark 1's size, and the size it reads as.
    struct Row {
        const char* pszSize;
        DWORD dwSize;
    };
    const Row rows[] = {
        {"1=48", 48},
        {"1=big", 72},    // not a number: the default
        {"", 72},         // missing: the default
        {"1=error", 72},
    };
    for (const Row& r : rows) {
        UISETTINGS* p = SecondObject();
        ASSERT_NE(nullptr, p);
        WriteWinFile(kFirst, std::string("[Watermark]\r\nWMarkListNum=3\r\n") +
                                 "[Watermark String]\r\n0=A\r\n1=error\r\n2=C\r\n" +
                                 "[Watermark Size]\r\n0=10\r\n" + r.pszSize + "\r\n2=30\r\n");
        ASSERT_TRUE(bReloadSettingsFile(p, kFirst));
        EXPECT_EQ(3, Wm(p)->sCount) << r.pszSize;
        // A watermark whose text is the word the reader once took for a
        // missing key is an ordinary text.
        EXPECT_EQ(u"error", Str(Wm(p)->pRecords[1].szText));
        EXPECT_EQ(u"C", Str(Wm(p)->pRecords[2].szText));
        EXPECT_EQ(r.dwSize, Wm(p)->pRecords[1].dwSize) << r.pszSize;
        EXPECT_EQ(30u, Wm(p)->pRecords[2].dwSize) << r.pszSize;
    }
}

}  // namespace
