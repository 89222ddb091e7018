// The rule index: the fixed shell sort, the runs and the lookup.
#include <gtest/gtest.h>

#include <vector>

#include "tests/ui_constraints/fixture.h"
#include "ui/constraints/rules.h"

namespace {

// A two-condition table whose rows lead with the given keys (target 999, 0).
std::vector<SHORT> Table2(std::initializer_list<std::pair<int, int>> keys)
{
    std::vector<SHORT> t;
    for (auto& k : keys)
        t.insert(t.end(), {(SHORT)k.first, (SHORT)k.second, 1, 1, 999, 0});
    t.insert(t.end(), {0, 0, 0, 0, 0, 0});
    return t;
}

std::vector<WORD> SortedOrder(const std::vector<SHORT>& t)
{
    const SHORT* ap[4] = {t.data(), nullptr, nullptr, nullptr};
    SetRuleTables(ap);
    int c = g_acRuleRows[0];
    WORD* idx = SortRuleIndex(c, 2);
    std::vector<WORD> r(idx, idx + c);
    FreeRuleBlock((void**)&idx);
    SetRuleTables(nullptr);
    return r;
}

TEST(RuleIndex, EqualKeysKeepTheOrderTheShellSortLeaves)
{
    EXPECT_EQ(SortedOrder(Table2({{200, 1}, {100, 1}, {300, 1}, {300, 1}, {100, 1}, {300, 1}})),
              (std::vector<WORD>{4, 1, 0, 2, 3, 5}));
    EXPECT_EQ(SortedOrder(Table2({{200, 1}, {100, 1}, {300, 1}, {300, 1}, {100, 1}, {300, 1}, {100, 1}})),
              (std::vector<WORD>{4, 1, 6, 0, 3, 5, 2}));
}

TEST(RuleIndex, FeaturesSortUnsignedAndValuesSigned)
{
    EXPECT_EQ(SortedOrder(Table2({{0x8000, 0}, {0x7FFF, 0}, {5, 0}, {5, -1}})),
              (std::vector<WORD>{3, 2, 1, 0}));
}

struct RunCase {
    const char* name;
    std::vector<std::pair<int, int>> keys;
    std::pair<int, int> wanted;
    BOOL found;
    WORD first, last;
};

TEST(RuleIndex, RunsAndLookups)
{
    const RunCase cases[] = {
        {"one row", {{7, 1}}, {7, 1}, TRUE, 0, 0},
        {"final run of several rows", {{1, 1}, {9, 2}, {9, 2}, {9, 2}}, {9, 2}, TRUE, 1, 3},
        {"value of another feature only", {{1, 5}, {2, 6}}, {1, 6}, FALSE, 0, 0},
        {"middle run", {{3, 0}, {1, 0}, {2, 0}, {2, 0}, {4, 0}}, {2, 0}, TRUE, 1, 2},
    };
    for (const RunCase& c : cases) {
        std::vector<SHORT> t;
        for (auto& k : c.keys)
            t.insert(t.end(), {(SHORT)k.first, (SHORT)k.second, 1, 1, 999, 0});
        t.insert(t.end(), {0, 0, 0, 0, 0, 0});
        const SHORT* ap[4] = {t.data(), nullptr, nullptr, nullptr};
        SetRuleTables(ap);
        WORD* idx = SortRuleIndex(g_acRuleRows[0], 2);
        RULERANGE* runs = nullptr;
        WORD cRuns = 0;
        ASSERT_TRUE(GroupRuleRuns(g_acRuleRows[0], 2, idx, &runs, &cRuns)) << c.name;
        WORD first = 77, last = 77;
        EXPECT_EQ(c.found, bFindRuleRange(c.wanted.first, c.wanted.second, runs, cRuns, &first, &last)) << c.name;
        EXPECT_EQ(c.first, first) << c.name;
        EXPECT_EQ(c.last, last) << c.name;
        FreeRuleBlock((void**)&runs);
        FreeRuleBlock((void**)&idx);
    }
    SetRuleTables(nullptr);
}

TEST(RuleIndex, AnEmptyTableCountsNothingAndFindsNothing)
{
    const SHORT empty[6] = {0, 0, 0, 0, 0, 0};
    const SHORT* ap[4] = {empty, nullptr, nullptr, nullptr};
    SetRuleTables(ap);
    EXPECT_EQ(0, g_acRuleRows[0]);
    EXPECT_EQ(nullptr, SortRuleIndex(0, 2));
    WORD first = 5, last = 5;
    EXPECT_FALSE(bFindRuleRange(123, 1, nullptr, 0, &first, &last));
    EXPECT_EQ(0, first);
    EXPECT_EQ(0, last);
    SetRuleTables(nullptr);
}

class RuleIndexObject : public ConstraintTest {};

TEST_F(RuleIndexObject, EverySettingsObjectCarriesAnIndexOfTheBuiltInRules)
{
    RULEINDEX* idx = GetRuleIndex(pObj);
    ASSERT_NE(nullptr, idx);
    for (int n = 2; n <= 5; ++n) {
        EXPECT_GT(g_acRuleRows[n - 2], 0) << n;
        EXPECT_GT(idx->acRuns[n - 2], 0) << n;
    }
    // The telling row of three conditions is found under each of its leads.
    for (auto lead : {std::pair<int, int>{111, 11}, {114, 257}, {122, 8}}) {
        WORD first, last;
        EXPECT_TRUE(bFindRuleRange(lead.first, lead.second, idx->apRuns[1], idx->acRuns[1], &first, &last))
            << lead.first;
    }
}

TEST_F(RuleIndexObject, AnIndexThatCannotBeAllocatedIsNotHalfBuilt)
{
    // Each of the index's allocations fails in turn: the build reports the
    // failure (the object's creation then fails), keeps no partial index,
    // which would accept every combination, and leaks nothing.
    FreeRuleIndexes(pObj);
    LONG cLive = PlatGlobalLiveBlocks();
    for (int n = 1; n <= 9; ++n) {
        PlatFailAllocation(n);
        EXPECT_FALSE(BuildRuleIndexes(pObj)) << n;
        PlatFailAllocation(0);
        EXPECT_EQ(nullptr, GetRuleIndex(pObj)) << n;
        EXPECT_EQ(cLive, PlatGlobalLiveBlocks()) << n;
    }
    EXPECT_TRUE(BuildRuleIndexes(pObj));
}

}  // namespace
