// The resolver: passes, give-ways, the pass limit, the undo, the quiet
// features, and what the user is told.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/ui_constraints/fixture.h"

namespace {

// A synthetic rule set of two-condition rows, in use while it lives.
struct Rules2 {
    std::vector<SHORT> t;
    Rules2(std::initializer_list<std::array<SHORT, 6>> rows)
    {
        for (auto& r : rows)
            t.insert(t.end(), r.begin(), r.end());
        t.insert(t.end(), {0, 0, 0, 0, 0, 0});
        const SHORT empty3[8] = {}, empty4[10] = {}, empty5[12] = {};
        static SHORT e3[8], e4[10], e5[12];
        (void)empty3, (void)empty4, (void)empty5;
        const SHORT* ap[4] = {t.data(), e3, e4, e5};
        SetRuleTables(ap);
    }
    ~Rules2() { SetRuleTables(nullptr); }
};

class Resolver : public ConstraintTest {
protected:
    // Rebuilds the object's index for the rule tables now in use.
    void Reindex()
    {
        FreeRuleIndexes(pObj);
        ASSERT_TRUE(BuildRuleIndexes(pObj));
        BindFeatureFields(pObj);
    }
    // Runs every rule family over all current values: the changes it adds.
    int RulesThatStillFire()
    {
        RESOLVEREQ req;
        RESOLVERESULT res;
        EXPECT_TRUE(AllocResolveBuffers(&req, &res));
        SeedAllFeatures(pObj, &req);
        EvaluateControlDependencies(nullptr, pObj);
        for (int n = 2; n <= 5; ++n)
            ApplyRulesOfN(n, nullptr, pObj, &req, &res);
        CollapseChanges(&res);
        int c = res.cChanges;
        for (int i = 0; i < c; ++i)
            ADD_FAILURE() << "rule still forces " << res.pChanges[i].wFeature << " to " << res.pChanges[i].sValue
                          << " (kind " << res.pChanges[i].wKind << ")";
        FreeResolveBuffers(&req, &res);
        return c;
    }
};

TEST_F(Resolver, SimpleAndProductionFinishingExcludeEachOtherBothWays)
{
    struct Case {
        WORD wOn, wUser, wGivesWay;
    } cases[] = {{301, 123, 301}, {123, 301, 123}};
    for (const Case& c : cases) {
        Set({{123, 0}, {301, 0}, {c.wOn, 1}});
        Change(c.wUser, 1, {IDYES});
        EXPECT_EQ(1, Get(c.wUser)) << c.wUser;
        EXPECT_EQ(0, Get(c.wGivesWay)) << c.wUser;
        ASSERT_EQ(1, PlatMsgBoxCount()) << c.wUser;
        PlatMsgBoxReset();
    }
}

TEST_F(Resolver, AChangeNoRuleTouchesRunsTwoPassesAndShowsNothing)
{
    Change(142, 1);
    EXPECT_EQ(2, GetLastPassCount());
    EXPECT_EQ(0, PlatMsgBoxCount());
    EXPECT_EQ(1, Get(142));
}

TEST_F(Resolver, AGiveWayEndsTheChangeLoopButNotTheRecallLoop)
{
    // 142 on with 157 on is refused in favour of 157; once 142 is back off,
    // 144 and then 123 follow.
    Rules2 rules({{142, 1, 157, 1, 142, 0}, {142, 0, 144, 0, 144, 1}, {144, 1, 123, 0, 123, 1}});
    Reindex();
    Set({{157, 1}, {142, 0}, {144, 0}, {123, 0}});
    std::vector<BYTE> before = Bytes();
    Change(142, 1);
    EXPECT_EQ(2, GetLastPassCount());
    ASSERT_EQ(1, PlatMsgBoxCount());
    EXPECT_NE(std::string::npos, Narrow(BoxText(0)).find("cannot be used together with")) << Narrow(BoxText(0));
    ExpectSameBytes(before);

    PlatMsgBoxReset();
    SaveFeatureValues(pObj);
    Set({{142, 1}});
    CollectChangedFeatures(pObj);
    ResolveConstraintsAll(nullptr, pObj);
    EXPECT_EQ(4, GetLastPassCount());
    EXPECT_EQ(0, Get(142));
    EXPECT_EQ(1, Get(144));
    EXPECT_EQ(1, Get(123));
}

TEST_F(Resolver, RulesThatNeverSettleStopAtThePassLimitWithNothingApplied)
{
    Rules2 rules({{142, 1, 157, 0, 157, 1}, {157, 1, 142, 1, 157, 0}});
    Reindex();
    Set({{142, 0}, {157, 0}});
    std::vector<BYTE> before = Bytes();
    Change(142, 1);
    EXPECT_EQ(21, GetLastPassCount());
    ASSERT_EQ(1, PlatMsgBoxCount());
    EXPECT_NE(std::string::npos, Narrow(BoxText(0)).find("could not be resolved")) << Narrow(BoxText(0));
    ExpectSameBytes(before);
}

TEST_F(Resolver, TheSeedHolding612GivesTheRasterNotice)
{
    Set({{611, 2}});
    Change(612, 1);
    EXPECT_EQ(1, Get(612));
    ASSERT_EQ(1, PlatMsgBoxCount());
    EXPECT_NE(std::string::npos, Narrow(BoxText(0)).find("check the settings"));
}

TEST_F(Resolver, QuietFeaturesAreNeverLeftChangedByAnotherControl)
{
    Rules2 rules({{142, 1, 701, 0, 701, 1}, {142, 1, 605, 2, 605, 3}});
    Reindex();
    Set({{701, 0}, {605, 2}, {603, 0}});
    Change(142, 1, {IDYES, IDYES});
    EXPECT_EQ(1, Get(142));
    EXPECT_EQ(0, Get(701));
    EXPECT_EQ(2, Get(605));
}

TEST_F(Resolver, AnsweringNoLeavesTheSettingsAsTheyWereByteForByte)
{
    // Random changes of the designed rule set, refused at the question.
    std::mt19937 rng(730);
    std::vector<WORD> features;
    for (int i = 0; i < g_cFeatures; ++i)
        if ((g_aFeatures[i].wKind & (FK_LIST | FK_CHECK)) && g_aFeatures[i].wPage < 1000)
            features.push_back(g_aFeatures[i].wId);
    Set({{301, 1}, {120, 4}, {804, 3}});
    int cAsked = 0;
    for (int i = 0; i < 150; ++i) {
        WORD f = features[rng() % features.size()];
        // Only what the user can reach: a disabled control takes no clicks.
        EvaluateControlDependencies(nullptr, pObj);
        if (GetDependencyState(f) != 1)
            continue;
        SHORT v;
        if (GetFeatureKind(f) == FK_CHECK)
            v = (SHORT)(rng() % 2);
        else {
            // The combo shows the items the rules leave enabled.
            UpdateFeatureAvailability(pObj, f);
            std::vector<SHORT> shown;
            for (int k = 0; k < GetFeatureItemCount(f); ++k)
                if (GetFeatureItem(f, k)->sEnabled == ITEM_ENABLED)
                    shown.push_back(GetFeatureItem(f, k)->sValue);
            if (shown.empty())
                continue;
            v = shown[rng() % shown.size()];
        }
        if (v == Get(f))
            continue;
        std::vector<BYTE> before = Bytes();
        PlatMsgBoxReset();
        Change(f, v, {IDNO, IDNO});
        bool bApplied = Get(f) == v;
        if (!bApplied) {
            ExpectSameBytes(before, f, v);
            cAsked += PlatMsgBoxCount() > 0;
        }
        // Whatever stayed, keep it as the next start.
    }
    EXPECT_GT(cAsked, 5);
}

TEST_F(Resolver, AnsweringYesHoldsEveryForcedValueAndBreaksNoRule)
{
    std::mt19937 rng(1730);
    std::vector<WORD> features;
    for (int i = 0; i < g_cFeatures; ++i)
        if ((g_aFeatures[i].wKind & (FK_LIST | FK_CHECK)) && g_aFeatures[i].wPage < 1000)
            features.push_back(g_aFeatures[i].wId);
    // The sheet opens (the rules settle the stored settings), then the user
    // turns production finishing on, feeds by hand and fits the saddle
    // finisher, and goes on changing at random.
    ResolveConstraintsOnOpen(nullptr, pObj);
    EXPECT_EQ(0, RulesThatStillFire());
    Change(301, 1, {IDYES});
    Change(120, 4, {IDYES});
    Change(804, 3, {IDYES});
    for (int i = 0; i < 150; ++i) {
        WORD f = features[rng() % features.size()];
        // Only what the user can reach: a disabled control takes no clicks.
        EvaluateControlDependencies(nullptr, pObj);
        if (GetDependencyState(f) != 1)
            continue;
        SHORT v;
        if (GetFeatureKind(f) == FK_CHECK)
            v = (SHORT)(rng() % 2);
        else {
            // The combo shows the items the rules leave enabled.
            UpdateFeatureAvailability(pObj, f);
            std::vector<SHORT> shown;
            for (int k = 0; k < GetFeatureItemCount(f); ++k)
                if (GetFeatureItem(f, k)->sEnabled == ITEM_ENABLED)
                    shown.push_back(GetFeatureItem(f, k)->sValue);
            if (shown.empty())
                continue;
            v = shown[rng() % shown.size()];
        }
        Change(f, v, {IDYES, IDYES, IDYES});
        if (GetFeatureKind(f) == FK_CHECK || GetFeatureKind(f) == FK_LIST) {
            EXPECT_TRUE(Get(f) == v || PlatMsgBoxCount() > 0) << "a refused change is explained: " << f;
        }
        PlatMsgBoxReset();
        EXPECT_EQ(0, RulesThatStillFire()) << "after feature " << f << " value " << v;
    }
}

}  // namespace
