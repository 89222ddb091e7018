// Checks over the engine's data: table sizes, and that every rule names
// real settings and values and never contradicts another.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "tests/ui_constraints/fixture.h"
#include "ui/constraints/tables.h"

namespace {

class RuleData : public ConstraintTest {};

TEST_F(RuleData, StaticTablesHaveTheirRowCounts)
{
    CountStaticTables();
    EXPECT_EQ(131, g_cFeatures);
    EXPECT_EQ(148, g_cCtrlDep);
    EXPECT_EQ(38, g_cDevOptDep);
    EXPECT_EQ(0, g_cValueDep);
    EXPECT_EQ(35, g_cRadioValues);
    EXPECT_EQ(60, g_cPosTable1);
    EXPECT_EQ(60, g_cPosTable2);
    EXPECT_EQ(60, g_cPosTable3);
    EXPECT_EQ(60, g_cPaperFlags);
    EXPECT_EQ(84, g_cPaperEquiv);
    EXPECT_EQ(8, g_cPositionPairs);
    EXPECT_EQ(46, g_cPositionPapers);
    EXPECT_EQ(3, g_cSourceFeatures);
    EXPECT_EQ(21, g_cFoldAvail);
    EXPECT_EQ(2, g_cFoldForce);
    EXPECT_EQ(6, g_cDefaultPairs);
    EXPECT_EQ(0, g_cRefreshPairs);
    std::map<int, int> byPage, byKind;
    for (int i = 0; i < g_cFeatures; ++i) {
        ++byPage[g_aFeatures[i].wPage];
        ++byKind[g_aFeatures[i].wKind];
    }
    EXPECT_EQ((std::map<int, int>{{100, 30}, {200, 16}, {300, 28}, {400, 5}, {500, 4}, {600, 17}, {700, 2},
                                  {800, 12}, {2020, 3}, {2300, 6}, {2400, 5}, {2430, 1}, {2450, 2}}),
              byPage);
    EXPECT_EQ((std::map<int, int>{{1, 47}, {2, 32}, {4, 41}, {8, 4}, {16, 1}, {32, 6}}), byKind);
}

// Whether v is a value the feature can hold in a fresh settings object.
bool ValueExists(WORD f, SHORT v)
{
    switch (GetFeatureKind(f)) {
    case FK_LIST:
        return FindFeatureItem(f, v) >= 0;
    case FK_CHECK:
        return v == 0 || v == 1;
    case FK_RADIO:
        for (int i = 0; i < g_cFeatures; ++i)
            if (g_aFeatures[i].wKind == FK_RADIO && g_aFeatures[i].pValue == GetFeatureList(f) &&
                GetRadioValue(g_aFeatures[i].wId) == v)
                return true;
        return false;
    default:
        return true;
    }
}

TEST_F(RuleData, EveryRuleNamesRealSettingsAndValues)
{
    for (int n = 2; n <= 5; ++n) {
        ASSERT_GT(g_acRuleRows[n - 2], 0);
        for (int r = 0; r < g_acRuleRows[n - 2]; ++r) {
            const SHORT* row = GetRuleRow(n, r);
            for (int k = 0; k <= n; ++k) {
                WORD f = (WORD)row[2 * k];
                SHORT v = row[2 * k + 1];
                ASSERT_TRUE(bFeatureExists(f)) << "table " << n << " row " << r << " feature " << f;
                EXPECT_TRUE(ValueExists(f, v)) << "table " << n << " row " << r << " feature " << f << " value " << v;
            }
        }
        // The sentinel follows the last row.
        const SHORT* end = GetRuleRow(n, g_acRuleRows[n - 2]);
        for (int k = 0; k < RuleRowWords(n); ++k)
            EXPECT_EQ(0, end[k]) << n;
    }
}

TEST_F(RuleData, NoConditionSetForcesTwoValuesOnOneTarget)
{
    std::map<std::pair<std::vector<std::pair<int, int>>, int>, std::set<int>> targets;
    for (int n = 2; n <= 5; ++n)
        for (int r = 0; r < g_acRuleRows[n - 2]; ++r) {
            const SHORT* row = GetRuleRow(n, r);
            std::vector<std::pair<int, int>> conds;
            for (int k = 0; k < n; ++k)
                conds.push_back({(WORD)row[2 * k], row[2 * k + 1]});
            std::sort(conds.begin(), conds.end());
            targets[{conds, (WORD)row[2 * n]}].insert(row[2 * n + 1]);
        }
    for (auto& t : targets)
        EXPECT_EQ(1u, t.second.size()) << "target " << t.first.second;
}

TEST_F(RuleData, EveryRuleRemovesItsOwnCombination)
{
    // The forced value breaks the combination: the target is one of the
    // conditions and is moved off its value, or the rule could fire forever.
    for (int n = 2; n <= 5; ++n)
        for (int r = 0; r < g_acRuleRows[n - 2]; ++r) {
            const SHORT* row = GetRuleRow(n, r);
            bool bBreaks = false;
            for (int k = 0; k < n; ++k)
                bBreaks = bBreaks || (row[2 * k] == row[2 * n] && row[2 * k + 1] != row[2 * n + 1]);
            EXPECT_TRUE(bBreaks) << "table " << n << " row " << r;
        }
}

}  // namespace
