// rules.h: the prohibited-combination tables and their per-object index.
//
// Owns: the four rule tables (rows of 2 to 5 conditions and a target, each
// ending with a row of zeros), the library-wide row counters of every static
// table of the engine, and RULEINDEX, the sorted index with its runs that
// every settings object carries from creation to destruction.
//
// Rules:
//   1. A row is 2n + 2 16-bit words: n (feature, value) conditions, then the
//      target (feature, value). The first condition is the lead, the key the
//      index sorts by.
//   2. The sort is a fixed shell sort; the order it leaves among rows with
//      equal keys is the order in which the rules see them.
//   3. An index that cannot be built fails the settings object's creation:
//      a missing index must never read as "no rule".
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define RULE_MIN_CONDITIONS 2
#define RULE_MAX_CONDITIONS 5

struct RULERANGE {
    WORD wFeature;
    SHORT sValue;
    WORD wFirst;
    WORD wLast;
};
static_assert(sizeof(RULERANGE) == 8);

struct RULEINDEX {
    RULERANGE* apRuns[4];
    WORD acRuns[4];
    WORD* apSorted[4];
};

// The tables in use (the built-in ones unless a test set others) and their
// row counts as last counted.
const SHORT* GetRuleTable(int n);
extern WORD g_acRuleRows[4];
// Replaces the rule tables (null: the built-in table of that size). Every
// settings object created afterwards indexes the new tables.
void SetRuleTables(const SHORT* apTables[4]);
// Words of one row of the n-condition table.
inline int RuleRowWords(int n) { return 2 * n + 2; }
const SHORT* GetRuleRow(int n, int iRow);

void CountRuleTables();
void CountConstantTables();
void CountStaticTables();
BOOL BuildRuleIndexes(UISETTINGS* pObj);
void FreeRuleIndexes(UISETTINGS* pObj);
RULEINDEX* GetRuleIndex(UISETTINGS* pObj);

BOOL bFindRuleRange(WORD wFeature, SHORT sValue, const RULERANGE* pRuns, WORD cRuns, WORD* pwFirst,
                    WORD* pwLast);
void GetRuleKey(int iRow, int n, WORD* pwFeature, SHORT* psValue);
void InitRuleOrder(int c, WORD* pIndex);
// Allocates (movable memory, locked) and sorts the row index; null when it
// cannot be allocated or c is 0.
WORD* SortRuleIndex(int c, int n);
// Builds the run table of a sorted index; FALSE when it cannot be allocated.
BOOL GroupRuleRuns(int c, int n, const WORD* pIndex, RULERANGE** ppRuns, WORD* pcRuns);
// Frees a block made by this family and clears the pointer.
void FreeRuleBlock(void** pp);
