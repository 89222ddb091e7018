// The finishing fix-ups against the real per-paper tables: what the user
// ends with after one change, and whether it was refused.
#include <gtest/gtest.h>

#include "tests/ui_constraints/fixture.h"

namespace {

struct FinishCase {
    const char* name;
    std::vector<std::pair<WORD, SHORT>> setup;  // settled one by one first
    WORD wFeature;
    SHORT sValue;
    std::vector<std::pair<WORD, SHORT>> expect;
    bool bRefused;
};

class Finishing : public ConstraintTest {};

TEST_F(Finishing, FixUpsOnThePaperTables)
{
    const FinishCase cases[] = {
        {"A3 portrait moves a corner staple 4 to 2",
         {{804, 3}, {114, 257}, {123, 1}, {130, 1}, {111, 8}, {106, 1}}, 131, 4, {{131, 2}, {130, 1}}, false},
        {"A3 landscape keeps staple position 4",
         {{804, 3}, {114, 257}, {123, 1}, {130, 1}, {111, 8}, {107, 2}}, 131, 4, {{131, 4}, {130, 1}}, false},
        {"B6 cannot be punched: switching punching on is refused",
         {{804, 3}, {828, 2}, {114, 257}, {123, 1}, {111, 88}}, 136, 1, {{136, 0}}, true},
        {"a custom size cannot be stapled: switching stapling on is refused",
         {{804, 3}, {114, 257}, {123, 1}, {111, 256}}, 130, 1, {{130, 0}, {111, 256}}, true},
        {"a portrait booklet of kind 2 becomes kind 1",
         {{804, 3}, {301, 1}, {312, 1}, {106, 1}}, 313, 2, {{313, 1}, {312, 1}}, false},
        // One-per-sheet on A3 cannot be: there is no sheet twice its size.
        // The centre finishing that would otherwise go off stays as it was.
        {"one-per-sheet on A3 with centre finishing is refused, nothing changes",
         {{804, 3}, {114, 257}, {301, 1}, {317, 1}, {318, 1}, {111, 8}}, 308, 1, {{308, 0}, {317, 1}}, true},
    };
    for (const FinishCase& c : cases) {
        SCOPED_TRACE(c.name);
        DestroySettingsObject(&pObj);
        std::vector<BYTE> copy = dm;
        ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, (DEVMODEW*)copy.data(), 0, RulesPrinter()));
        ResolveConstraintsOnOpen(nullptr, pObj);
        for (auto& s : c.setup) {
            Change(s.first, s.second, {IDYES, IDYES});
            ASSERT_EQ(s.second, Get(s.first)) << "setting up " << s.first;
        }
        PlatMsgBoxReset();
        std::vector<BYTE> before = Bytes();
        Change(c.wFeature, c.sValue, {IDYES, IDYES});
        for (auto& e : c.expect)
            EXPECT_EQ(e.second, Get(e.first)) << "feature " << e.first;
        if (c.bRefused) {
            ExpectSameBytes(before, c.wFeature, c.sValue);
            ASSERT_EQ(1, PlatMsgBoxCount());
            EXPECT_NE(std::string::npos, Narrow(BoxText(0)).find("cannot be used together with"))
                << Narrow(BoxText(0));
        }
    }
}

}  // namespace
