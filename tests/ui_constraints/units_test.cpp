// Every device configuration, every change a user can make on it: the
// settings the rules leave never ask for a unit the printer does not have.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>

#include "tests/ui_constraints/fixture.h"

namespace {

// The installed units: paper source unit 802, output unit 804, cover sheet
// feeder 824, trimmer 826, punch kit 828, punch/Z-fold unit 830, fold unit
// 832, hard disk 838.
const WORD kUnits[] = {802, 804, 824, 826, 828, 830, 832, 838};

// A setting the job sends to the printer and the units it needs, read the
// way the job's option lines read them (simple finishing counts only with
// 123 on, production finishing only with 301 on).
struct NEED {
    const char* pszWhat;
    std::function<bool(const std::function<SHORT(WORD)>&)> asks;
    std::function<bool(const std::function<SHORT(WORD)>&)> has;
};

using V = std::function<SHORT(WORD)>;
bool Finisher(const V& v) { return v(804) == 2 || v(804) == 3; }
bool Fold(const V& v, SHORT k) { return v(301) == 1 && v(317) == 1 && v(318) == k; }

const std::vector<NEED>& Needs()
{
    static const std::vector<NEED> needs = {
        {"stapling needs a finisher",
         [](const V& v) { return (v(123) == 1 && v(130) == 1) || (v(301) == 1 && v(319) == 1); }, Finisher},
        {"punching needs the punch kit or the punch/Z-fold unit",
         [](const V& v) { return (v(123) == 1 && v(136) == 1) || (v(301) == 1 && v(321) == 1); },
         [](const V& v) { return Finisher(v) && (v(828) == 2 || v(830) == 3); }},
        {"stitching and folding at the saddle need the saddle finisher",
         [](const V& v) { return Fold(v, 1) || Fold(v, 2); }, [](const V& v) { return v(804) == 3; }},
        {"trimming needs the trimmer behind the saddle unit",
         [](const V& v) { return Fold(v, 3) || Fold(v, 4); },
         [](const V& v) { return v(804) == 3 && v(826) == 2; }},
        {"a Z-fold needs the punch/Z-fold unit", [](const V& v) { return Fold(v, 5) || Fold(v, 6); },
         [](const V& v) { return Finisher(v) && v(830) == 3; }},
        {"the punch/Z-fold unit Z-folds A3, B4, Ledger and Legal only",
         [](const V& v) {
             SHORT p = v(114) == 257 ? v(111) : v(114);
             return (Fold(v, 5) || Fold(v, 6)) && p != 8 && p != 12 && p != 3 && p != 5 && p != 4104 &&
                    p != 4108 && p != 4099 && p != 4101;
         },
         [](const V&) { return false; }},
        {"a letter fold needs the fold unit", [](const V& v) { return Fold(v, 7); },
         [](const V& v) { return Finisher(v) && v(832) == 2; }},
        {"a corner-stapled set leaves over the shift tray, a saddle-finished one into the booklet tray",
         [](const V& v) { return v(301) == 1 && v(319) == 1 && (Fold(v, 1) || Fold(v, 2) || Fold(v, 3) || Fold(v, 4)); },
         [](const V&) { return false; }},
        {"the shift tray is a finisher's", [](const V& v) { return v(139) == 3; }, Finisher},
        {"the booklet tray is the saddle finisher's", [](const V& v) { return v(139) == 4; },
         [](const V& v) { return v(804) == 3; }},
        {"sorting needs a finisher", [](const V& v) { return v(143) == 1; }, Finisher},
        {"covers from the post inserter need the cover sheet feeder",
         [](const V& v) { return v(233) == 1 || v(235) == 1; }, [](const V& v) { return v(824) == 2; }},
        {"storing in a box needs the hard disk", [](const V& v) { return v(301) == 1 && v(326) == 1; },
         [](const V& v) { return v(838) == 2; }},
        {"the large capacity tray needs a paper source unit",
         [](const V& v) {
             return v(120) == 260 || (v(201) == 1 && v(212) == 260) || (v(205) == 1 && v(214) == 260);
         },
         [](const V& v) { return v(802) != 1; }},
    };
    return needs;
}

// Where the walk of single changes starts: simple finishing (the default),
// simple finishing with stapling, production finishing, production
// finishing with stapling, with centre finishing. A step a configuration
// does not offer is left out.
const std::vector<std::pair<WORD, SHORT>> kBases[] = {
    {},
    {{130, 1}},
    {{301, 1}},
    {{301, 1}, {319, 1}},
    {{301, 1}, {317, 1}},
};

class InstalledUnitRules : public ConstraintTest, public testing::WithParamInterface<std::tuple<SHORT, SHORT, int>> {
protected:
    std::string Violations()
    {
        BindFeatureFields(pObj);
        V v = [](WORD f) { return GetFeatureValue(f); };
        std::string s;
        for (const NEED& n : Needs())
            if (n.asks(v) && !n.has(v))
                s += std::string(n.pszWhat) + "; ";
        return s;
    }
    std::vector<std::pair<WORD, SHORT>> Snapshot()
    {
        BindFeatureFields(pObj);
        std::vector<std::pair<WORD, SHORT>> s;
        for (int i = 0; i < g_cFeatures; ++i)
            if (g_aFeatures[i].wKind & FK_VALUEKINDS)
                s.push_back({g_aFeatures[i].wId, GetFeatureValue(g_aFeatures[i].wId)});
        return s;
    }
    void Restore(const std::vector<std::pair<WORD, SHORT>>& s)
    {
        BindFeatureFields(pObj);
        for (auto& e : s)
            SetFeatureValue(e.first, e.second);
        EvaluateControlDependencies(nullptr, pObj);
    }
    // Every value a user can choose for f now: the shown items of a list,
    // the other state of a check box; nothing while the control is disabled.
    std::vector<SHORT> Choices(WORD f)
    {
        std::vector<SHORT> c;
        EvaluateControlDependencies(nullptr, pObj);
        if (GetDependencyState(f) != 1)
            return c;
        if (GetFeatureKind(f) == FK_CHECK) {
            c.push_back(Get(f) ? 0 : 1);
        } else if (GetFeatureKind(f) == FK_LIST) {
            UpdateFeatureAvailability(pObj, f);
            for (int k = 0; k < GetFeatureItemCount(f); ++k)
                if (GetFeatureItem(f, k)->sEnabled == ITEM_ENABLED && GetFeatureItem(f, k)->sValue != Get(f))
                    c.push_back(GetFeatureItem(f, k)->sValue);
        }
        return c;
    }
};

TEST_P(InstalledUnitRules, NoReachableChangeAsksForAUnitThatIsNotInstalled)
{
    // The document's features a user reaches on the pages and their dialogs.
    std::vector<WORD> features;
    for (int i = 0; i < g_cFeatures; ++i)
        if ((g_aFeatures[i].wKind & (FK_LIST | FK_CHECK)) && g_aFeatures[i].wPage < 1000 &&
            g_aFeatures[i].wPage != 800)
            features.push_back(g_aFeatures[i].wId);

    // Every combination of the units' values with this output unit and
    // punch/Z-fold unit, settled as a sheet settles what it opens with;
    // combinations the rules cannot keep (a punch kit without a finisher)
    // settle into one that they can.
    const SHORT sOutputUnit = std::get<0>(GetParam()), sZFold = std::get<1>(GetParam());
    const int iBase = std::get<2>(GetParam());
    std::vector<std::vector<SHORT>> combos = {{}};
    for (WORD u : kUnits) {
        std::vector<std::vector<SHORT>> next;
        BindFeatureFields(pObj);
        for (auto& c : combos)
            for (int k = 0; k < GetFeatureItemCount(u); ++k) {
                SHORT v = GetFeatureItem(u, k)->sValue;
                if ((u == 804 && v != sOutputUnit) || (u == 830 && v != sZFold))
                    continue;
                auto d = c;
                d.push_back(v);
                next.push_back(d);
            }
        combos = next;
    }
    const auto fresh = Snapshot();
    std::set<std::vector<SHORT>> seen;
    int cChanges = 0;
    for (auto& combo : combos) {
        Restore(fresh);
        for (size_t i = 0; i < combo.size(); ++i)
            SetFeatureValue(kUnits[i], combo[i]);
        ResolveConstraintsOnOpen(nullptr, pObj);
        std::vector<SHORT> settled;
        for (WORD u : kUnits)
            settled.push_back(Get(u));
        if (!seen.insert(settled).second)
            continue;
        std::ostringstream units;
        for (size_t i = 0; i < combo.size(); ++i)
            units << kUnits[i] << "=" << settled[i] << " ";
        ASSERT_EQ("", Violations()) << "opened with " << units.str();

        // The settings the walk starts from, reached as a user reaches them.
        for (auto& c : kBases[iBase])
            if (Choices(c.first).size() && Get(c.first) != c.second)
                Change(c.first, c.second, {IDYES, IDYES, IDYES});
        PlatMsgBoxReset();
        const auto start = Snapshot();
        for (WORD f : features)
            for (SHORT v : Choices(f)) {
                Change(f, v, {IDYES, IDYES, IDYES});
                PlatMsgBoxReset();
                ++cChanges;
                EXPECT_EQ("", Violations()) << units.str() << "base " << iBase << ": " << f << " to " << v;
                for (size_t i = 0; i < settled.size(); ++i)
                    ASSERT_EQ(settled[i], Get(kUnits[i])) << "a document change moved unit " << kUnits[i];
                Restore(start);
            }
    }
    // The walk reached many configurations and many changes.
    EXPECT_GT(seen.size(), 1u);
    EXPECT_GT(cChanges, 200);
}

// By output unit (none, the finisher, the saddle finisher) and punch/Z-fold
// unit (none, installed; it needs a finisher), from each starting point.
INSTANTIATE_TEST_SUITE_P(
    Units, InstalledUnitRules,
    testing::Combine(testing::Values((SHORT)1, (SHORT)2, (SHORT)3), testing::Values((SHORT)1, (SHORT)3),
                     testing::Range(0, (int)(sizeof(kBases) / sizeof(kBases[0])))));

}  // namespace

namespace {

// No control installs the trimmer: a stored trimmed kind falls back to the
// same kind untrimmed on the saddle finisher, and centre finishing goes off
// where the kind untrimmed has no unit either.
class Trimmer : public ConstraintTest {};

TEST_F(Trimmer, AStoredTrimmedKindWithoutTheTrimmerFallsBackUntrimmed)
{
    struct Case {
        SHORT sOutputUnit, sKind, s317, s318;
    } cases[] = {{3, 3, 1, 1}, {3, 4, 1, 2}, {2, 3, 0, 3}, {2, 4, 0, 4}};
    for (const Case& c : cases) {
        Set({{804, c.sOutputUnit}, {826, 1}, {830, 3}, {301, 1}, {123, 0}, {317, 1}, {318, c.sKind}});
        ResolveConstraintsOnOpen(nullptr, pObj);
        EXPECT_EQ(c.s317, Get(317)) << c.sOutputUnit << " " << c.sKind;
        if (c.s317) {
            EXPECT_EQ(c.s318, Get(318)) << c.sOutputUnit << " " << c.sKind;
        }
    }
}

}  // namespace
