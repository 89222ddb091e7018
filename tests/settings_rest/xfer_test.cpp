// The settings transfer engine: the exact text it writes for each kind of
// value, reading that text back, lists bounded by their counts, the copy
// by recall class, and the check of loaded values.
#include "ui/settings/xfer.h"

#include "tests/settings_rest/xfer_fixture.h"
#include "ui/settings/papertable.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/wmlist.h"

namespace {

const char16_t kFile[] = u"C:\\settings.ini";

// "ＭＳ Ｐゴシック" in the ANSI code page 932.
const std::string kFaceAnsi = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

const WORD kParamIntensity = 32;     // range -2..2, int16 item value
const WORD kParamOrientation = 2;    // choices 1, 2
const WORD kParamOverlayIndex = 212; // uint8 slot, 0..99
const WORD kParamCopies = 1;

std::u16string Str(const WCHAR* p) { return std::u16string(p); }

class Transfer : public SettingsFileTest {
protected:
    WATERMARKLIST* Wm(UISETTINGS* p = nullptr) { return Lists(p)->pWatermark; }
    void SetText(WCHAR* pField, size_t cch, const char16_t* psz) { lstrcpynW(pField, psz, (int)cch); }
};

TEST_F(Transfer, WritesEachValueKindAsItsText)
{
    ASSERT_TRUE(SetParamEdited(pObj, kParamIntensity, -1));
    *GetParamSlot(pObj, kParamOverlayIndex) = 200;
    Lists()->pForm->wFormListNum = 65535;
    WATERMARKLIST* pWm = Wm();
    SetDefaultWatermarks(pWm);
    pWm->sCount = 2;
    SetText(pWm->pRecords[1].szText, WATERMARK_TEXT_CCH, u"Beta");
    pWm->pRecords[1].lAngle = -450;
    SetText(Lists()->pInterSheet->pLists[0].szName, 17, u"Plan A");
    SetText(Lists()->pUserPapers->aSlot[0].szName, USERPAPER_NAME_CCH, u"My paper");

    ASSERT_TRUE(bWriteSettingsFile(pObj, kFile));
    std::string file = ReadWinFile(kFile);

    std::string params = SectionText(file, "QX_SETTING LIBRARY UIPARAM");
    EXPECT_NE(std::string::npos, params.find("\r\nIntensity=-1\r\n"));
    EXPECT_NE(std::string::npos, params.find("\r\nbOverlayIndex=200\r\n"));
    EXPECT_EQ(0u, SectionText(file, "Overlay File").find("[Overlay File]\r\nFormListNum=65535\r\n0=\r\n"));
    EXPECT_EQ("[Watermark]\r\nWMarkListNum=2\r\n", SectionText(file, "Watermark"));
    EXPECT_EQ("[Watermark String]\r\n0=\r\n1=Beta\r\n", SectionText(file, "Watermark String"));
    EXPECT_EQ("[Watermark Font]\r\n0=" + kFaceAnsi + "\r\n1=" + kFaceAnsi + "\r\n",
              SectionText(file, "Watermark Font"));
    EXPECT_EQ("[Watermark Angle]\r\n0=0\r\n1=-450\r\n", SectionText(file, "Watermark Angle"));
    EXPECT_EQ("[Watermark Size]\r\n0=72\r\n1=72\r\n", SectionText(file, "Watermark Size"));
    EXPECT_NE(std::string::npos, SectionText(file, "ISListName").find("\r\nName1=*Plan A*\r\n"));
    EXPECT_NE(std::string::npos, SectionText(file, "User Defined Name").find("[User Defined Name]\r\n1=*My paper\r\n"));
    // The fax groups are switched off in this model.
    EXPECT_EQ(std::string::npos, file.find("Faxcover"));
    EXPECT_EQ(std::string::npos, file.find("FaxCover_"));
}

TEST_F(Transfer, ReadsWhatItWroteIntoAnotherObject)
{
    ASSERT_TRUE(SetParamEdited(pObj, kParamIntensity, -2));
    *GetParamSlot(pObj, kParamOverlayIndex) = 42;
    WATERMARKLIST* pWm = Wm();
    SetDefaultWatermarks(pWm);
    pWm->sCount = 3;
    SetText(pWm->pRecords[2].szText, WATERMARK_TEXT_CCH, u"機密");
    pWm->pRecords[2].lAngle = -900;
    pWm->pRecords[2].dwColor = 255;
    SetText(Lists()->pInterSheet->pLists[3].szName, 17, u"Plan D");
    SetText(Lists()->pUserPapers->aSlot[9].szName, USERPAPER_NAME_CCH, u"Tenth");
    Lists()->pUserPapers->aSlot[9].lWidth = 12345;
    ASSERT_TRUE(bWriteSettingsFile(pObj, kFile));

    UISETTINGS* p = SecondObject();
    ASSERT_NE(nullptr, p);
    ASSERT_TRUE(bReloadSettingsFile(p, kFile));
    EXPECT_EQ(-2, GetParamEdited(p, kParamIntensity));
    EXPECT_EQ(42, *GetParamSlot(p, kParamOverlayIndex));
    ASSERT_EQ(3, Wm(p)->sCount);
    EXPECT_EQ(u"機密", Str(Wm(p)->pRecords[2].szText));
    EXPECT_EQ(u"ＭＳ Ｐゴシック", Str(Wm(p)->pRecords[2].szFace));
    EXPECT_EQ(-900, Wm(p)->pRecords[2].lAngle);
    EXPECT_EQ(255u, Wm(p)->pRecords[2].dwColor);
    EXPECT_EQ(u"Plan D", Str(Lists(p)->pInterSheet->pLists[3].szName));
    EXPECT_EQ(u"Tenth", Str(Lists(p)->pUserPapers->aSlot[9].szName));
    EXPECT_EQ(12345, Lists(p)->pUserPapers->aSlot[9].lWidth);
}

TEST_F(Transfer, UnreadableFileLeavesTheObjectAlone)
{
    ASSERT_TRUE(SetParamEdited(pObj, kParamIntensity, 1));
    EXPECT_FALSE(bReloadSettingsFile(pObj, u"C:\\missing.ini"));
    WriteWinFile(kFile, "");
    EXPECT_FALSE(bReloadSettingsFile(pObj, kFile));
    EXPECT_EQ(1, GetParamEdited(pObj, kParamIntensity));
    EXPECT_EQ(0, ParamTransferWalk(pObj, nullptr, nullptr, 0, XFER_READ));
    EXPECT_EQ(0, ParamTransferWalk(pObj, nullptr, nullptr, 0, XFER_COPY));
    EXPECT_EQ(0, ParamTransferWalk(pObj, kFile, nullptr, 0, 4));
}

TEST_F(Transfer, ReadsAFileKeptInUtf16)
{
    std::string file = "\xFF\xFE";
    for (char c : std::string("[QX_SETTING LIBRARY UIPARAM]\r\nCopies=5\r\n[Watermark String]\r\n0="))
        file += std::string{c, '\0'};
    file += std::string("\x5F\x6A\xC6\x5B\r\0\n\0", 8);  // 機密 CR LF
    WriteWinFile(kFile, file);
    ASSERT_TRUE(bReloadSettingsFile(pObj, kFile));
    EXPECT_EQ(5, GetParamEdited(pObj, kParamCopies));
    EXPECT_EQ(u"機密", Str(Wm()->pRecords[0].szText));
}

TEST_F(Transfer, ListWithoutCountKeyCountsTheEntriesPresent)
{
    WriteWinFile(kFile,
                 "[Watermark String]\r\n0=A\r\n1=B\r\n2=C\r\n3=D\r\n4=E\r\n6=G\r\n");
    Wm()->sCount = 9;
    lstrcpynW(Wm()->pRecords[6].szText, u"kept", WATERMARK_TEXT_CCH);
    ASSERT_TRUE(bReadSettingsFileParams(pObj, kFile, 4));
    EXPECT_EQ(5, Wm()->sCount);
    EXPECT_EQ(u"E", Str(Wm()->pRecords[4].szText));
    // The list ended at the first missing entry.
    EXPECT_EQ(u"kept", Str(Wm()->pRecords[6].szText));
}

TEST_F(Transfer, CountBeyondTheListIsHeldAtItsCapacity)
{
    std::string file = "[Watermark]\r\nWMarkListNum=60\r\n[Watermark String]\r\n";
    for (int i = 0; i < 60; ++i)
        file += std::to_string(i) + "=T" + std::to_string(i) + "\r\n";
    WriteWinFile(kFile, file);
    ASSERT_TRUE(bReadSettingsFileParams(pObj, kFile, 4));
    EXPECT_EQ(WATERMARK_SLOTS, Wm()->sCount);
    EXPECT_EQ(u"T50", Str(Wm()->pRecords[50].szText));
    EXPECT_EQ(WATERMARK_SLOTS, WatermarkListCount(Wm()));
}

TEST_F(Transfer, ZeroCountReadsNoEntry)
{
    WriteWinFile(kFile, "[ISListData 1]\r\nISListNum=0\r\nPage0=1-3\r\nTray0=7\r\n");
    ASSERT_TRUE(bReadSettingsFileParams(pObj, kFile, 5));
    const INTERSHEETREC& r = Lists()->pInterSheet->pLists[0];
    EXPECT_EQ(0, r.sPageListNum);
    EXPECT_EQ(0, r.pEntries[0]);  // the page list text of entry 0 stays empty
}

TEST_F(Transfer, LinesOfTheReaderTable)
{
    // Each row: the UIPARAM section and what lpOrientation and Copies then
    // hold: the defaults (1, 1) when the key is not found; the value before
    // (2, 3) when the key is found but its text is no number.
    struct Row {
        const char* pszFile;
        SHORT sOrientation;
        SHORT sCopies;
    };
    const Row rows[] = {
        {"[QX_SETTING LIBRARY UIPARAM]\r\nlpOrientation=2\r\nCopies=5\r\n", 2, 5},
        {"[QX_SETTING LIBRARY UIPARAM]\r\n   lpOrientation=2\r\n\tCopies=5\r\n", 2, 5},
        {"[QX_SETTING LIBRARY UIPARAM]\r\nlpOrientation =2\r\nCopies= 5\r\n", 1, 3},
        {"[QX_SETTING LIBRARY UIPARAM] \r\nlpOrientation=2\r\nCopies=5\r\n", 1, 1},
        {"[qx_setting library uiparam]\r\nlpOrientation=2\r\n", 1, 1},
        {"[QX_SETTING LIBRARY UIPARAM]\r\nlpOrientation=2\r\n[Other]\r\nCopies=5\r\n", 2, 1},
        // The last line has no line end: the reader stops at the file's end.
        {"[QX_SETTING LIBRARY UIPARAM]\r\nCopies=7", 1, 7},
        {"[QX_SETTING LIBRARY UIPARAM]\r\nlpOrientation", 2, 1},
    };
    for (const Row& r : rows) {
        UISETTINGS* p = SecondObject();
        ASSERT_NE(nullptr, p);
        ASSERT_TRUE(SetParamEdited(p, kParamOrientation, 2));
        ASSERT_TRUE(SetParamEdited(p, kParamCopies, 3));
        WriteWinFile(kFile, r.pszFile);
        ASSERT_TRUE(bReadSettingsFileParams(p, kFile, 2)) << r.pszFile;
        EXPECT_EQ(r.sOrientation, GetParamEdited(p, kParamOrientation)) << r.pszFile;
        EXPECT_EQ(r.sCopies, GetParamEdited(p, kParamCopies)) << r.pszFile;
    }
}

TEST_F(Transfer, LoadedValuesOutsideTheirRangeTakeTheirDefault)
{
    struct Row {
        const char* pszLine;
        WORD wParam;
        SHORT sExpected;
    };
    const Row rows[] = {
        {"Intensity=-2", kParamIntensity, -2},
        {"Intensity=1", kParamIntensity, 1},
        {"Intensity=3", kParamIntensity, 0},
        {"lpOrientation=2", kParamOrientation, 2},
        {"lpOrientation=7", kParamOrientation, 1},
        {"bOverlayIndex=99", kParamOverlayIndex, 99},
        {"bOverlayIndex=200", kParamOverlayIndex, 0},
        // Not a number of the slot's width: the slot keeps its value (5).
        {"bOverlayIndex=300", kParamOverlayIndex, 5},
        {"bOverlayIndex=x1", kParamOverlayIndex, 5},
    };
    for (const Row& r : rows) {
        UISETTINGS* p = SecondObject();
        ASSERT_NE(nullptr, p);
        *GetParamSlot(p, kParamOverlayIndex) = 5;
        WriteWinFile(kFile, std::string("[QX_SETTING LIBRARY UIPARAM]\r\n") + r.pszLine + "\r\n");
        ASSERT_TRUE(bReloadSettingsFile(p, kFile));
        SHORT sValue = r.wParam == kParamOverlayIndex ? *GetParamSlot(p, r.wParam) : GetParamEdited(p, r.wParam);
        EXPECT_EQ(r.sExpected, sValue) << r.pszLine;
    }
}

TEST_F(Transfer, CopyOfOneClassTouchesNothingElse)
{
    UISETTINGS* pSource = SecondObject();
    ASSERT_NE(nullptr, pSource);
    SetDefaultWatermarks(Wm(pSource));
    Wm(pSource)->sCount = 4;
    SetText(Wm(pSource)->pRecords[3].szText, WATERMARK_TEXT_CCH, u"Copied");
    ASSERT_TRUE(SetParamEdited(pSource, kParamCopies, 9));
    ASSERT_TRUE(SetParamEdited(pObj, kParamCopies, 2));
    Wm()->sCount = 1;

    ASSERT_TRUE(bCopySettingsParams(pObj, pSource, 4));
    EXPECT_EQ(4, Wm()->sCount);
    EXPECT_EQ(u"Copied", Str(Wm()->pRecords[3].szText));
    EXPECT_EQ(2, GetParamEdited(pObj, kParamCopies));

    ASSERT_TRUE(bCopySettingsParams(pObj, pSource, 2));
    EXPECT_EQ(9, GetParamEdited(pObj, kParamCopies));
}

TEST_F(Transfer, WriteWithNothingSelectedReportsNothingWritten)
{
    // Class 6 holds only fax cover keys, whose group is off.
    EXPECT_FALSE(bWriteSettingsFileParams(pObj, kFile, 6));
    EXPECT_EQ("", ReadWinFile(kFile));
    EXPECT_TRUE(bWriteSettingsFileParams(pObj, kFile, 4));
}

}  // namespace
