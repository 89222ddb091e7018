// The settings summary: what a user reads for a known settings object, the
// rows of controls that are off for it, the user-size lines, and the page's
// own control states, which a summary must leave as they were.
#include "ui/library/summary.h"

#include <string>

#include "tests/settings_rest/xfer_fixture.h"
#include "ui/constraints/features.h"
#include "ui/settings/papertable.h"
#include "ui/settings/strcache.h"
#include "ui/settings/wmlist.h"

namespace {

std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 128 ? (char)c : '?';
    return r;
}

const WORD kParamSimpleFinishing = 61;  // feature 123
const WORD kParamMediaSize = 3;         // feature 111

class Summary : public SettingsFileTest {
protected:
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        LoadResourceDll();
        ASSERT_FALSE(Res(20000).empty());
    }
    void TearDown() override
    {
        SettingsFileTest::TearDown();
        FreeResourceDll();
    }
    std::u16string Tab(UISETTINGS* p, int iTab)
    {
        std::u16string buf(SUMMARY_CCH, u'\0');
        int n = BuildTabSummary(buf.data(), p, iTab);
        buf.resize(n);
        return buf;
    }
    static std::u16string Res(UINT id) { return S(GetResString(id)); }
    static std::u16string S(LPCWSTR p) { return p ? p : u""; }
};

TEST_F(Summary, SetupTabStartsWithOrientationAndOriginalSize)
{
    std::u16string text = Tab(pObj, 0);
    BindFeatureFields(pObj);
    std::u16string orientation = Res(20000) + u"\t" + S(GetValueName(106, GetFeatureValue(106)));
    ASSERT_EQ(0u, text.find(orientation)) << std::string(text.begin(), text.end());
    SHORT sMedia = GetFeatureValue(111);
    std::u16string original = u"\r\n" + Res(20007) + u"\t" + S(GetValueName(111, sMedia)) + u"  " +
                              S(GetPaperSizeText(sMedia));
    EXPECT_EQ(orientation.size(), text.find(original));
    // Every tab has text, and the tabs differ.
    for (int i = 0; i < SUMMARY_TABS; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(Tab(pObj, i).empty()) << "tab " << i;
    }
    EXPECT_NE(Tab(pObj, 2), Tab(pObj, 5));
}

// The simple-finishing switches and the binding margin (a formatter row)
// are listed only while simple finishing is on for the summarised object.
TEST_F(Summary, RowsOfDisabledControlsAreLeftOut)
{
    struct Case {
        SHORT sSimple;
        bool bListed;
    } cases[] = {{0, false}, {1, true}};
    for (const Case& c : cases) {
        SetParamEdited(pObj, kParamSimpleFinishing, c.sSimple);
        std::u16string text = Tab(pObj, 0);
        BindFeatureFields(pObj);
        std::u16string staple = std::u16string(u"\r\n  ") + GetFeatureName(124) + u"\t";
        std::u16string margin = u"\r\n  " + Res(21480) + u"\t";
        EXPECT_EQ(c.bListed, text.find(staple) != std::u16string::npos) << c.sSimple;
        EXPECT_EQ(c.bListed, text.find(margin) != std::u16string::npos) << c.sSimple;
        std::u16string onoff = Res(20012) + u"\t" + Res(c.sSimple ? 21110 : 21111);
        EXPECT_NE(std::u16string::npos, text.find(onoff)) << c.sSimple;
    }
}

TEST_F(Summary, PageControlStatesAreKept)
{
    // The open page shows simple finishing on: its switches are enabled.
    SetParamEdited(pObj, kParamSimpleFinishing, 1);
    EvaluateControlDependencies(nullptr, pObj);
    ASSERT_EQ(1u, GetDependencyState(124));
    // The summarised copy has it off.
    UISETTINGS* pOther = SecondObject();
    SetParamEdited(pOther, kParamSimpleFinishing, 0);
    std::u16string text = Tab(pOther, 0);
    EXPECT_EQ(std::u16string::npos, text.find(std::u16string(u"\r\n  ") + GetFeatureName(124) + u"\t"));
    EXPECT_EQ(1u, GetDependencyState(124));
    EXPECT_EQ(1u, GetDependencyState(155));
}

TEST_F(Summary, UserSizeLines)
{
    LISTSET* ls = Lists();
    ASSERT_NE(nullptr, ls);
    ASSERT_NE(nullptr, ls->pUserPapers);
    struct Case {
        SHORT sUnit;
        LONG lWidth, lLength;
        const char16_t* pszMode1;
        const char16_t* pszMode2;
    } cases[] = {
        {2, 8500, 11000, u"\r\n  Mine\t(8.500 x 11.000inch)", u"Mine (8.500 x 11.000inch)"},
        {2, 5005, 7050, u"\r\n  Mine\t(5.005 x 7.050inch)", u"Mine (5.005 x 7.050inch)"},
        // Millimetres are whole and rounded up.
        {1, 8267, 11692, u"\r\n  Mine\t(210 x 297mm)", u"Mine (210 x 297mm)"},
        {1, 8268, 10000, u"\r\n  Mine\t(211 x 254mm)", u"Mine (211 x 254mm)"},
    };
    for (const Case& c : cases) {
        USERPAPER& u = ls->pUserPapers->aSlot[0];
        u.sUnit = c.sUnit;
        u.lWidth = c.lWidth;
        u.lLength = c.lLength;
        lstrcpyW(u.szName, u"Mine");
        for (int iMode : {1, 2, 3}) {
            std::u16string buf(SUMMARY_CCH, u'\0');
            int n = FormatUserSizeLine(buf.data(), pObj, 0, 513, iMode);
            buf.resize(n);
            EXPECT_EQ(iMode == 1 ? c.pszMode1 : c.pszMode2, buf) << c.lWidth << " mode " << iMode;
        }
        // A standard paper, or another mode, writes nothing.
        std::u16string buf(SUMMARY_CCH, u'\0');
        EXPECT_EQ(0, FormatUserSizeLine(buf.data(), pObj, 0, 9, 1));
        EXPECT_EQ(0, FormatUserSizeLine(buf.data(), pObj, 0, 513, 4));
    }
    // A custom original size shows the user-size line on the Setup tab.
    SetParamEdited(pObj, kParamMediaSize, 513);
    EXPECT_NE(std::u16string::npos, Tab(pObj, 0).find(u"\r\n" + Res(20007) + u"\tMine (211 x 254mm)"));
}

// Lines a user reads on other tabs for settings that are switched on.
TEST_F(Summary, FinishingAndWatermarkTabs)
{
    BindFeatureFields(pObj);
    SetFeatureValue(301, 1);  // the finishing page's own settings
    SetFeatureValue(310, 1);  // duplex
    SetFeatureValue(501, 1);  // watermark
    std::u16string finishing = Tab(pObj, 2);
    BindFeatureFields(pObj);
    std::u16string duplex = u"\r\n  " + Res(21450) + u"\t" + Res(21110) + u"\t" + S(GetValueName(311, GetFeatureValue(311)));
    EXPECT_NE(std::u16string::npos, finishing.find(duplex)) << Narrow(finishing);
    std::u16string watermark = Tab(pObj, 4);
    EXPECT_EQ(0u, watermark.find(Res(20400) + u"\t" + Res(21110))) << Narrow(watermark);
    WATERMARKLIST* wl = Lists()->pWatermark;
    ASSERT_NE(nullptr, wl);
    WATERMARK* pCurrent = wl->pCurrent;  // copied out of the packed list head
    ASSERT_NE(nullptr, pCurrent);
    EXPECT_NE(std::u16string::npos, watermark.find(u"\r\n  " + Res(26414) + u"\t" + S(pCurrent->szText)));
    // The list under the rule names every watermark after the first slot.
    size_t at = watermark.find(u"\r\n" + Res(26423));
    ASSERT_NE(std::u16string::npos, at);
    for (int i = 1; i < wl->sCount; ++i)
        EXPECT_NE(std::u16string::npos, watermark.find(u"\r\n  " + S(wl->pRecords[i].szText), at)) << i;
}

TEST_F(Summary, TextNeverPassesItsBuffer)
{
    // A watermark list full of long texts still ends inside the buffer.
    std::u16string buf(SUMMARY_CCH, u'x');
    buf[SUMMARY_CCH - 10] = 0;
    int n = FormatUserSizeLine(buf.data(), pObj, SUMMARY_CCH - 10, 513, 1);
    EXPECT_LE(n, SUMMARY_CCH - 1);
    EXPECT_EQ(0, buf[n]);
}

}  // namespace
