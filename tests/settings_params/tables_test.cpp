// Parameter descriptor tables: row counts, kinds, the cross links between
// parameters, settings-file keys and registry-tree rows, the feature
// switches and the decimal parser.
#include "ui/settings/uiparam.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>

#include "ui/settings/paramalloc.h"
#include "ui/settings/regtree.h"

namespace {

struct Tables {
    UIPARAMRT* pParams = nullptr;
    WORD cParams = 0;
    REGTREESET regTree = {};
    USETKEYRT* pKeys = nullptr;
    WORD cKeys = 0;
    Tables() { InitParamTables(&pParams, &cParams, &regTree, &pKeys, &cKeys); }
    ~Tables() { FreeParamTables(&pParams, &regTree, &pKeys); }
    int Param(WORD id) const {
        for (int i = 0; i < cParams; ++i)
            if (pParams[i].row.wParamId == id) return i;
        return -1;
    }
    int Key(WORD id) const {
        for (int i = 0; i < cKeys; ++i)
            if (pKeys[i].key.wId == id) return i;
        return -1;
    }
};

TEST(ParamTables, RowCounts) {
    EXPECT_EQ(322, CountParamRows(GetUiParamTable()));
    EXPECT_EQ(310, CountUsetKeyRows(GetUsetKeyTable()));
    EXPECT_EQ(0, CountParamRows(nullptr));
    Tables t;
    ASSERT_NE(nullptr, t.pParams);
    ASSERT_NE(nullptr, t.pKeys);
    EXPECT_EQ(322, t.cParams);
    EXPECT_EQ(310, t.cKeys);
    // The runtime blocks keep the terminating rows.
    EXPECT_EQ(0, t.pParams[322].row.wParamId);
    EXPECT_EQ(0xFFFF, t.pParams[322].row.wOptionId);
    EXPECT_EQ(PK_NODEVMODE, t.pParams[322].row.dwKind);
    EXPECT_EQ(0, t.pKeys[310].key.wId);
    EXPECT_EQ(sizeof(UIPARAMRT) * 323, GlobalSize(GlobalHandle(t.pParams)));
    EXPECT_EQ(sizeof(USETKEYRT) * 311, GlobalSize(GlobalHandle(t.pKeys)));
}

TEST(ParamTables, KindsOptionsAndHandlers) {
    std::map<DWORD, int> kinds;
    std::set<PFNBINDPARAM> handlers;
    int cHandlers = 0, cListData = 0;
    const UIPARAM* p = GetUiParamTable();
    for (; p->wParamId; ++p) {
        ++kinds[p->dwKind];
        EXPECT_EQ(0u, p->dwReserved);
        if (p->pfnBind) {
            ++cHandlers;
            handlers.insert(p->pfnBind);
        }
        if (p->wParamId >= PARAM_LISTDATA_FIRST) {
            ++cListData;
            EXPECT_EQ(nullptr, p->pfnBind) << p->wParamId;
            EXPECT_EQ(PK_NODEVMODE, p->dwKind);
        }
        if ((p->dwKind & PK_ITEMKINDS) && p->wParamId != 186) {
            EXPECT_NE(PARAM_NO_OPTION, p->wOptionId) << p->wParamId;
        }
        if (p->dwKind >= PK_BLOCK || p->wParamId == 186) {
            EXPECT_EQ(PARAM_NO_OPTION, p->wOptionId) << p->wParamId;
        }
    }
    const std::map<DWORD, int> expected = {
        {PK_CHOICE, 66}, {PK_VALUELIST, 32}, {PK_VALUE, 87}, {PK_RANGE, 25}, {PK_BLOCK, 8},
        {PK_SCALAR, 18}, {PK_STRING, 2}, {PK_PAGELISTS, 1}, {PK_NODEVMODE, 83},
    };
    EXPECT_EQ(expected, kinds);
    EXPECT_EQ(243, cHandlers);
    EXPECT_EQ(243u, handlers.size());  // none shared
    EXPECT_EQ(79, cListData);
}

TEST(ParamTables, KeyVocabulary) {
    Tables t;
    // Rows that name a count row, and the rows so named.
    std::set<WORD> countRows;
    for (int i = 0; i < t.cKeys; ++i)
        if (t.pKeys[i].bCountRow) countRows.insert(t.pKeys[i].key.wId);
    EXPECT_EQ((std::set<WORD>{258, 291, 294}), countRows);
    // Every key row has a section row above it.
    EXPECT_NE(0, t.pKeys[0].key.szSection[0]);
    // Ids that stand in no row.
    for (WORD id : {43, 44, 129, 130, 131, 311, 312})
        EXPECT_EQ(-1, t.Key(id)) << id;
    struct Case { WORD id; const char16_t* section; const char16_t* key; WORD first, last, count, group, cls; };
    const Case aCases[] = {
        {1, u"QX_SETTING LIBRARY UIPARAM", u"", 1, 1, 0, 1, 1},
        {2, u"", u"Copies", 1, 1, 0, 1, 2},
        {67, u"", u"lpFrontPITray", 1, 1, 0, 1, 1},
        {69, u"", u"lpBackPITray", 1, 1, 0, 1, 1},
        {71, u"", u"lpInsertPITray", 1, 1, 0, 1, 1},
        {156, u"", u"lpPDLType", 1, 1, 0, 1, 8},
        {159, u"", u"lpQuality", 1, 1, 0, 6, 0},
        {224, u"Faxcover ReceiptCompany1", u"", 1, 1, 0, 7, 0},
        {246, u"", u"%d", 0, 0, 0, 7, 6},
        {248, u"", u"%d", 1, 10, 0, 8, 3},
        {257, u"ISListData %d", u"", 1, 10, 0, 2, 5},
        {260, u"", u"Page%d", 0, 127, 258, 2, 5},
        {292, u"", u"%d", 0, 100, 291, 3, 7},
        {316, u"Watermark SelectColor", u"", 1, 1, 0, 4, 4},
        {317, u"", u"%d", 0, 51, 294, 4, 4},
    };
    for (const Case& c : aCases) {
        int i = t.Key(c.id);
        ASSERT_GE(i, 0) << c.id;
        const USETKEY& k = t.pKeys[i].key;
        EXPECT_EQ(std::u16string(c.section), std::u16string(k.szSection)) << c.id;
        EXPECT_EQ(std::u16string(c.key), std::u16string(k.szKey)) << c.id;
        EXPECT_EQ(c.first, k.wFirst) << c.id;
        EXPECT_EQ(c.last, k.wLast) << c.id;
        EXPECT_EQ(c.count, k.wCountRow) << c.id;
        EXPECT_EQ(c.group, k.wGroup) << c.id;
        EXPECT_EQ(c.cls, k.wClass) << c.id;
    }
}

TEST(ParamTables, CrossLinks) {
    Tables t;
    ASSERT_NE(nullptr, t.regTree.pAll);
    int cRegTree = (int)t.regTree.cAll;
    for (int i = 0; i <= t.cParams; ++i) {
        const UIPARAMRT& p = t.pParams[i];
        EXPECT_EQ(i, p.iOwn);
        if (p.iKey >= 0) {
            EXPECT_EQ(p.row.wKeyId, t.pKeys[p.iKey].key.wId) << p.row.wParamId;
            if (p.row.wKeyId && i < t.cParams) {
                EXPECT_EQ(i, t.pKeys[p.iKey].iParam) << p.row.wParamId;
            }
        }
        if (p.iRegTree >= 0) {
            EXPECT_EQ(p.row.wRegTreeId, t.regTree.pAll[p.iRegTree].row.wId) << p.row.wParamId;
        }
    }
    // Params without a key or list row link to the terminating rows.
    const UIPARAMRT& p27 = t.pParams[t.Param(27)];
    EXPECT_EQ(t.cKeys, p27.iKey);
    EXPECT_EQ(cRegTree, p27.iRegTree);
    // Key ids that stand in no key row stay unlinked.
    EXPECT_EQ(-1, t.pParams[t.Param(231)].iKey);
    EXPECT_EQ(-1, t.pParams[t.Param(232)].iKey);
    // A list-data row reaches its registry row and its settings-file key.
    struct Link { WORD regTreeId; WORD keyId; };
    for (Link l : {Link{15, 296}, Link{12, 294}, Link{39, 256}, Link{43, 260}, Link{10, 292}, Link{94, 250}}) {
        REGTREEWORK* pRow = FindRegTreeRow(&t.regTree, l.regTreeId);
        ASSERT_NE(nullptr, pRow) << l.regTreeId;
        ASSERT_GE(pRow->iParam, 0) << l.regTreeId;
        const UIPARAMRT& p = t.pParams[pRow->iParam];
        EXPECT_GE(p.row.wParamId, PARAM_LISTDATA_FIRST);
        EXPECT_EQ(l.keyId, p.row.wKeyId);
        ASSERT_GE(pRow->iKey, 0);
        EXPECT_EQ(l.keyId, t.pKeys[pRow->iKey].key.wId);
        EXPECT_EQ(pRow->iParam, t.pKeys[pRow->iKey].iParam);
        EXPECT_EQ(pRow->iOwn, t.pKeys[pRow->iKey].iRegTree);
    }
}

TEST(ParamTables, LinkNeedsAllThreeTables) {
    UIPARAMRT* pParams = CopyParamRows(GetUiParamTable(), 322);
    USETKEYRT* pKeys = CopyUsetKeyRows(GetUsetKeyTable(), 310);
    LinkParamTables(pParams, nullptr, pKeys, 322, 0, 310);
    EXPECT_EQ(-1, pParams[0].iOwn);
    EXPECT_EQ(-1, pKeys[0].iOwn);
    FreeTableBuffer((void**)&pParams);
    FreeTableBuffer((void**)&pKeys);
    EXPECT_EQ(nullptr, pParams);
}

TEST(RegTreeTables, TablesInBundleOrder) {
    Tables t;
    const REGTREESET& s = t.regTree;
    // The fax cover sheet is switched off in this model.
    const struct { int table; DWORD rows; WORD first; } aCases[] = {
        {RT_INTERSHEET, 33, 37}, {RT_FORM, 10, 1}, {RT_WATERMARK, 12, 11},
        {RT_FONTSUB, 7, 30}, {RT_FAXCOVER, 0, 0}, {RT_UDPAPER, 5, 93},
    };
    DWORD cAll = 0;
    for (const auto& c : aCases) {
        EXPECT_EQ(c.rows, s.aTable[c.table].cRows) << c.table;
        if (c.rows) {
            ASSERT_NE(nullptr, s.aTable[c.table].pRows);
            EXPECT_EQ(c.first, s.aTable[c.table].pRows[0].row.wId);
            EXPECT_EQ(s.pAll + cAll, s.aTable[c.table].pRows);
        } else {
            EXPECT_EQ(nullptr, s.aTable[c.table].pRows);
        }
        cAll += c.rows;
    }
    EXPECT_EQ(cAll, s.cAll);
    EXPECT_EQ(0, s.pAll[cAll].row.wId);
    EXPECT_EQ(23, CountFaxCoverRows());
    // Count rows and the feature key at its place in the row.
    std::set<WORD> countRows;
    for (DWORD i = 0; i < s.cAll; ++i)
        if (s.pAll[i].bCountRow) countRows.insert(s.pAll[i].row.wId);
    EXPECT_EQ((std::set<WORD>{9, 12, 31, 40}), countRows);
    const BYTE* pWm = (const BYTE*)FindRegTreeRow(&t.regTree, 13);
    ASSERT_NE(nullptr, pWm);
    EXPECT_EQ(4099, pWm[394] | (pWm[395] << 8));
    EXPECT_EQ(std::u16string(u"WMarkListData%d"), std::u16string(((const REGTREE*)pWm)->szLevel2));
    EXPECT_EQ(50, ((const REGTREE*)pWm)->wLast);
    EXPECT_EQ(std::u16string(u"4132"), std::u16string(GetRegTreeDefaultText(7)));
    EXPECT_EQ(nullptr, GetRegTreeDefaultText(13));
}

TEST(RegTreeTables, AllocationFailureLeavesNoRows) {
    LONG nBefore = PlatGlobalLiveBlocks();
    REGTREESET s;
    PlatFailAllocation(6);  // the block of all rows, after the five tables that are on
    BuildRegTreeTables(&s);
    PlatFailAllocation(0);
    EXPECT_EQ(nullptr, s.pAll);
    EXPECT_EQ(0u, s.cAll);
    FreeRegTreeTables(&s);
    EXPECT_EQ(nBefore, PlatGlobalLiveBlocks());
}

TEST(FeatureSwitch, ColumnFiveAnswers) {
    const struct { WORD key; BOOL on; } aKeys[] = {
        {FEATURE_INTERSHEET, TRUE}, {FEATURE_FORM, TRUE}, {FEATURE_WATERMARK, TRUE},
        {FEATURE_FONTSUB, TRUE}, {FEATURE_FAXCOVER, FALSE}, {FEATURE_UDPAPER, TRUE},
        {4102, FALSE}, {0, FALSE},
    };
    for (const auto& c : aKeys)
        EXPECT_EQ(c.on, bFeatureEnabled(c.key)) << c.key;
    const BOOL aGroups[] = {FALSE, TRUE, TRUE, TRUE, TRUE, TRUE, FALSE, FALSE, TRUE, FALSE};
    for (WORD g = 0; g < 10; ++g)
        EXPECT_EQ(aGroups[g], bKeyGroupEnabled(g)) << g;
    EXPECT_EQ(1u, GetFeatureSwitch(2));
    EXPECT_EQ(0u, GetFeatureSwitch(6));
    EXPECT_EQ(0u, GetFeatureSwitch(8));
    EXPECT_TRUE(bFeatureEnabledAt(2));
}

TEST(ParseDecimal, Cases) {
    const struct { const char16_t* text; int value; } aCases[] = {
        {u"120", 120}, {u"", 0}, {u"007", 7}, {u"12a4", 12}, {u"-5", 0},
        {u"2147483647", INT_MAX}, {u"99999999999999", INT_MAX},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(c.value, ParseDecimalW(c.text)) << (int)(&c - aCases);
    EXPECT_EQ(0, ParseDecimalW(nullptr));
}

}  // namespace
