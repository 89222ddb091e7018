// Apply's commit: the committed output size, and the PC-fax without
// destinations going to the printer with its notice.
#include <gtest/gtest.h>

#include "tests/ui_constraints/fixture.h"
#include "ui/settings/faxdest.h"

namespace {

class Commit : public ConstraintTest {};

TEST_F(Commit, TheCommittedOutputSizeFollowsTheZoom)
{
    struct Case {
        SHORT sZoom, sOut, sDoc, sCommitted;
    } cases[] = {
        {0, 8, 9, 9},        // zoom off: the document size
        {1, 257, 11, 11},    // same as the document
        {1, 8, 9, 8},        // zoom on: the chosen output size
        {1, 8, 4105, 4104},  // the document's media variant goes along
        {1, 9, 4107, 4105},
    };
    for (const Case& c : cases) {
        SetParamEdited(pObj, 5, c.sZoom);
        SetParamEdited(pObj, 4, c.sOut);
        SetParamEdited(pObj, 3, c.sDoc);
        CommitEditedSettings(pObj);
        EXPECT_EQ(c.sCommitted, GetParamCommitted(pObj, 4)) << c.sOut << " " << c.sDoc;
        SHORT sLast;
        memcpy(&sLast, GetParamSlot(pObj, 230), 2);
        EXPECT_EQ(c.sOut, sLast);
    }
}

TEST_F(Commit, APcFaxWithoutDestinationsGoesToThePrinterAndSaysSo)
{
    SetParamEdited(pObj, 46, 1);
    GetFaxDestState(pObj)->lCount = 0;
    CommitEditedSettings(pObj);
    EXPECT_EQ(2, GetParamEdited(pObj, 46));
    EXPECT_EQ(2, GetParamCommitted(pObj, 46));
    ASSERT_EQ(1, PlatMsgBoxCount());
    HWND h;
    LPCWSTR t, c;
    UINT u;
    ASSERT_TRUE(PlatMsgBoxGet(0, &h, &t, &c, &u));
    EXPECT_EQ(std::u16string(u"Printing Preferences"), std::u16string(c));
    EXPECT_EQ((UINT)MB_ICONINFORMATION, u);
    EXPECT_EQ(0u, Narrow(t).find("The paper settings were changed to fit this printer."));
    // Committed again, nothing more is said.
    PlatMsgBoxReset();
    CommitEditedSettings(pObj);
    EXPECT_EQ(0, PlatMsgBoxCount());
}

TEST_F(Commit, APcFaxFallBackKeepsTheOutputSizeAndFitsThePaperTypeToIt)
{
    // A3 from the bypass tray on a paper type the printer cannot take there:
    // the output tray, paper type and source are fitted before the output
    // size, so the paper type gives way and A3 stays.
    Set({{114, 8}, {120, 4}, {122, 8}, {139, 2}});
    SetParamEdited(pObj, 46, 1);
    GetFaxDestState(pObj)->lCount = 0;
    CommitEditedSettings(pObj);
    EXPECT_EQ(8, Get(114));
    EXPECT_EQ(4, Get(120));
    EXPECT_EQ(1, Get(122));
    EXPECT_EQ(1, GetParamCommitted(pObj, GetFeatureParamId(122)));
    ASSERT_EQ(1, PlatMsgBoxCount());
    std::string text = Narrow(BoxText(0));
    EXPECT_NE(std::string::npos, text.find("Paper type : ")) << text;
    EXPECT_EQ(std::string::npos, text.find("Output size : ")) << text;
}

TEST_F(Commit, ThePdlTypeAndTheHardDiskAreCopiedForTheDevmode)
{
    for (SHORT sPdl : {3, 0})
        for (SHORT sDisk : {2, 1}) {
            SetParamEdited(pObj, 98, sPdl);
            SetParamEdited(pObj, 127, sDisk);
            SetParamEdited(pObj, 5, 0);
            CommitEditedSettings(pObj);
            SHORT s235 = -1, s239 = -1;
            memcpy(&s235, GetParamSlot(pObj, 235), 2);
            memcpy(&s239, GetParamSlot(pObj, 239), 2);
            EXPECT_EQ(sPdl, s235);
            EXPECT_EQ(sDisk, s239);
            // The automatic-zoom switch (232) is the Setup page's, not the
            // commit's.
            EXPECT_EQ(0, *GetParamSlot(pObj, 232));
        }
}

class Notices : public ConstraintTest {};

TEST_F(Notices, TheOpenReportListsWhatTheRulesChangedButNeverTheQuietSettings)
{
    // Stored settings the printer cannot do: duplex on transparencies.
    Set({{120, 4}, {122, 2}, {123, 1}, {132, 1}});
    ResolveConstraintsOnOpen(nullptr, pObj);
    EXPECT_LT(GetLastPassCount(), 21);
    EXPECT_EQ(0, Get(132));
    EXPECT_EQ(2, Get(122));
    EXPECT_EQ(0, PlatMsgBoxCount());  // shown when the first page appears
    ShowPendingConflictReport(nullptr, pObj);
    ASSERT_EQ(1, PlatMsgBoxCount());
    std::string text = Narrow(BoxText(0));
    EXPECT_EQ(0u, text.find("The following settings were changed:")) << text;
    EXPECT_NE(std::string::npos, text.find("Duplex : Off")) << text;
    EXPECT_EQ(std::string::npos, text.find("Dither")) << text;
    ShowPendingConflictReport(nullptr, pObj);
    EXPECT_EQ(1, PlatMsgBoxCount());
}

TEST_F(Notices, ARecallReportsTheSettingsTheRulesChanged)
{
    ResolveConstraintsOnOpen(nullptr, pObj);
    PlatMsgBoxReset();
    SaveFeatureValues(pObj);
    // The recalled set staples, but this printer has no finisher.
    Set({{804, 1}, {123, 1}, {130, 1}});
    CollectChangedFeatures(pObj);
    ResolveConstraintsAll(nullptr, pObj);
    EXPECT_EQ(0, Get(130));
    ASSERT_EQ(1, PlatMsgBoxCount());
    std::string text = Narrow(BoxText(0));
    EXPECT_EQ(0u, text.find("The recalled settings were changed to fit this printer:")) << text;
    EXPECT_NE(std::string::npos, text.find("Staple : ")) << text;
}

}  // namespace
