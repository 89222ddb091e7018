// The insert sheet defaults dialog as a person uses it: renaming the
// current list, the per-sheet simplex/duplex switch with its question when
// the list would be cleared, and Cancel leaving every stored value alone.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/insertdefaults.h"
#include "ui/dialogs/preview.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"

#include <cstring>

namespace {

class InsertDefaultsDlg : public SettingDlgTest {
protected:
    void SetUp() override
    {
        SettingDlgTest::SetUp();
        ASSERT_NE(pObj->trailer.pListSet, nullptr);
        ASSERT_NE(pObj->trailer.pListSet->pInterSheet, nullptr) << "the model offers insert sheets";
    }
    SHORT Slot(WORD w)
    {
        SHORT s = -1;
        if (const BYTE* p = GetParamSlot(pObj, w))
            memcpy(&s, p, 2);
        return s;
    }
    void SetSlot(WORD w, SHORT s)
    {
        BYTE* p = GetParamSlot(pObj, w);
        ASSERT_NE(p, nullptr);
        memcpy(p, &s, 2);
    }
    INTERSHEETREC& Set1() { return pObj->trailer.pListSet->pInterSheet->pLists[0]; }
    std::u16string ItemText(int i)
    {
        const UIITEMLIST* l = (const UIITEMLIST*)GetParamSlot(pObj, GetParamIdOfKey(u"lpInterSheetList"));
        return l && i < l->sCount ? std::u16string(((const UIITEMCHOICE*)(l + 1))[i].szText) : u"?";
    }
    // Current list 1 with n records (the first holding a marker byte).
    void Start(SHORT sMixplex, SHORT nRecords)
    {
        SetSlot(207, 1);
        SetSlot(209, sMixplex);
        SetSlot(208, nRecords);
        Set1().sMixplex = sMixplex;
        BYTE* e = GetParamSlot(pObj, 205);
        ASSERT_NE(e, nullptr);
        memset(e, 0, INTERSHEET_ENTRIES * INSERTSHEET_SIZE);
        e[0] = nRecords ? 0x5A : 0;
        Set(u"Front_Check", 1);
        Set(u"Back_Check", 1);
        Set(u"InsertCoverSheet_Check", 1);
        *PageRefreshMask(pObj, 200) = 0;
    }
};

TEST_F(InsertDefaultsDlg, TheSwitchAndTheNameAsOkAndCancelLeaveThem)
{
    struct Row {
        const char* what;
        SHORT mixplex;       // stored switch at open
        SHORT records;       // records in the list at open
        std::vector<PLATSCRIPTSTEP> steps;
        INT_PTR result;
        SHORT storedMixplex;
        SHORT storedRecords;
        int covers;          // front, back and cover insertion afterwards
        size_t boxes;
    };
    const Row rows[] = {
        {"on with records, Yes clears the list", 0, 3,
         {Answer(IDOK), Click(IDC_INSDEF_MIXPLEX), Answer(IDYES), PressOK()}, IDOK, 1, 0, 0, 2},
        {"on with records, No keeps the dialog open", 0, 3,
         {Answer(IDOK), Click(IDC_INSDEF_MIXPLEX), Answer(IDNO), PressOK(), PressCancel()}, IDCANCEL, 0, 3, 1, 2},
        {"on with an empty list asks nothing at OK", 0, 0,
         {Answer(IDOK), Click(IDC_INSDEF_MIXPLEX), PressOK()}, IDOK, 1, 0, 0, 1},
        {"on and off again asks nothing and keeps the list", 0, 3,
         {Answer(IDOK), Click(IDC_INSDEF_MIXPLEX), Click(IDC_INSDEF_MIXPLEX), PressOK()}, IDOK, 0, 3, 1, 1},
        {"off with records, Yes clears the list", 1, 2,
         {Click(IDC_INSDEF_MIXPLEX), Answer(IDYES), PressOK()}, IDOK, 0, 0, 1, 1},
        {"left on: the covers go off", 1, 2, {PressOK()}, IDOK, 1, 2, 0, 0},
        {"Cancel after switching on", 0, 3, {Answer(IDOK), Click(IDC_INSDEF_MIXPLEX), PressCancel()}, IDCANCEL, 0, 3, 1, 1},
    };
    for (const Row& r : rows) {
        Start(r.mixplex, r.records);
        PlatMsgBoxReset();
        std::vector<PLATSCRIPTSTEP> v = r.steps;
        ASSERT_TRUE(PlatScriptOnDialog(IDD_INSERTDEFAULTS, v.data(), (int)v.size()));
        INT_PTR res = DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_INSERTDEFAULTS), nullptr, InsertDefaultsDlgProc,
                                      (LPARAM)pObj);
        EXPECT_EQ(res, r.result) << r.what << " " << Err();
        EXPECT_EQ(Slot(209), r.storedMixplex) << r.what;
        EXPECT_EQ(Set1().sMixplex, r.storedMixplex) << r.what;
        EXPECT_EQ(Slot(208), r.storedRecords) << r.what;
        EXPECT_EQ(GetParamSlot(pObj, 205)[0], r.storedRecords ? 0x5A : 0) << r.what;
        EXPECT_EQ(Get(u"Front_Check"), r.covers) << r.what;
        EXPECT_EQ(Get(u"Back_Check"), r.covers) << r.what;
        EXPECT_EQ(Get(u"InsertCoverSheet_Check"), r.covers) << r.what;
        DWORD dwMask = *PageRefreshMask(pObj, 200);
        if (r.result == IDOK) {
            EXPECT_EQ(dwMask & 0x40000, 0x40000u) << r.what;
            EXPECT_EQ((dwMask & 0x100005) == 0x100005, r.storedMixplex == 1) << r.what;
        } else {
            EXPECT_EQ(dwMask, 0u) << r.what;
        }
        EXPECT_EQ(Boxes().size(), r.boxes) << r.what;
        PlatScriptReset();
    }
}

TEST_F(InsertDefaultsDlg, RenamingTheList)
{
    const std::u16string first = ItemText(0);
    const std::u16string second = ItemText(1);
    ASSERT_NE(first, second);
    struct Row {
        const char* what;
        std::u16string typed;
        INT_PTR result;
        std::u16string name;      // list 1's name afterwards
        const char16_t* warning;  // text of the warning, null for none
    };
    const Row rows[] = {
        {"a new name", u"Chapters 2026", IDOK, u"Chapters 2026", nullptr},
        {"its own name again", first, IDOK, first, nullptr},
        {"the name of another list", second, IDCANCEL, first, GetResString(28548)},
        {"no name", u"", IDCANCEL, first, GetResString(28547)},
    };
    for (const Row& r : rows) {
        Start(0, 0);
        lstrcpynW(Set1().szName, first.c_str(), 17);
        PlatMsgBoxReset();
        std::vector<PLATSCRIPTSTEP> v = {Type(IDC_INSDEF_NAME, r.typed.c_str()), PressOK(), PressCancel()};
        ASSERT_TRUE(PlatScriptOnDialog(IDD_INSERTDEFAULTS, v.data(), (int)v.size()));
        INT_PTR res = DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_INSERTDEFAULTS), nullptr, InsertDefaultsDlgProc,
                                      (LPARAM)pObj);
        EXPECT_EQ(res, r.result) << r.what << " " << Err();
        EXPECT_EQ(std::u16string(Set1().szName), r.name) << r.what;
        EXPECT_EQ(ItemText(0), r.name) << r.what;
        if (r.warning) {
            ASSERT_EQ(Boxes().size(), 1u) << r.what;
            EXPECT_EQ(Boxes()[0], r.warning) << r.what;
        } else {
            EXPECT_TRUE(Boxes().empty()) << r.what;
        }
        PlatScriptReset();
        // Put the first name back for the next row.
        const UIITEMLIST* l = (const UIITEMLIST*)GetParamSlot(pObj, GetParamIdOfKey(u"lpInterSheetList"));
        lstrcpynW(((UIITEMCHOICE*)(l + 1))[0].szText, first.c_str(), 64);
    }
}

TEST_F(InsertDefaultsDlg, TheNameFieldTakesSixteenCharactersAndNoLeadingSpace)
{
    struct Row {
        const char* what;
        const char16_t* typed;
        const char16_t* shown;
    };
    const Row rows[] = {
        {"inner spaces are kept", u"Part one", u"Part one"},
        {"a space at the start is refused", u" Index", u"Index"},
        {"the seventeenth character is refused", u"ABCDEFGHIJKLMNOPQ", u"ABCDEFGHIJKLMNOP"},
    };
    Start(0, 0);
    for (const Row& r : rows) {
        HWND h = Open(IDD_INSERTDEFAULTS, InsertDefaultsDlgProc);
        HWND hEdit = GetDlgItem(h, IDC_INSDEF_NAME);
        SetDlgItemTextW(h, IDC_INSDEF_NAME, u"");
        SetFocus(hEdit);
        for (const char16_t* c = r.typed; *c; ++c) {
            LRESULT n = SendMessageW(hEdit, WM_GETTEXTLENGTH, 0, 0);
            SendMessageW(hEdit, EM_SETSEL, (WPARAM)n, (LPARAM)n);
            SendMessageW(hEdit, WM_CHAR, (WPARAM)*c, 0);
        }
        EXPECT_EQ(Text(h, IDC_INSDEF_NAME), r.shown) << r.what;
        Close(h);
    }
}

TEST_F(InsertDefaultsDlg, ShowsTheListAndFollowsTheRules)
{
    Start(1, 0);
    HWND h = Open(IDD_INSERTDEFAULTS, InsertDefaultsDlgProc);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_INSDEF_MIXPLEX), BST_CHECKED);
    EXPECT_EQ(Text(h, IDC_INSDEF_NAME), ItemText(0));
    EXPECT_EQ(Text(h, IDC_INSDEF_GROUP), std::u16string(GetResString(20158)) + ItemText(0));
    Picture(h, "insertdefaults_2430");
    // A change the rules make while it is open shows at once.
    BindFeatureFields(pObj);
    SetFeatureValue(IDC_INSDEF_MIXPLEX, 0);
    UpdateFeatureControl(nullptr, IDC_INSDEF_MIXPLEX, 0);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_INSDEF_MIXPLEX), BST_UNCHECKED);
    EXPECT_EQ(Get(u"Mixplex_Check"), 0);
    EXPECT_EQ(InsertDefaultsUpdateControl(h, IDC_INSDEF_NAME), 0);
    Close(h);
    // Once closed, nothing routes to it any more.
    EXPECT_EQ(InsertDefaultsUpdateControl(h, IDC_INSDEF_MIXPLEX), 0);
}

}  // namespace
