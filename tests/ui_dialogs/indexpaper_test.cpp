// The index paper dialog as a person uses it: the tab paper's size and tab
// count, the four positions typed with their limits, the checks on leaving
// a field and at OK, Defaults, and the list's stored values kept by OK and
// left alone by Cancel.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/indexpaper.h"
#include "ui/dialogs/preview.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"

#include <cstring>

namespace {

class IndexPaperDlg : public SettingDlgTest {
protected:
    void SetUp() override
    {
        SettingDlgTest::SetUp();
        ASSERT_NE(pObj->trailer.pListSet, nullptr);
        ASSERT_NE(pObj->trailer.pListSet->pInterSheet, nullptr) << "the model offers insert sheets";
        SHORT one = 1;
        memcpy(GetParamSlot(pObj, 207), &one, 2);
    }
    BYTE* Stored() { return pObj->trailer.pListSet->pInterSheet->pLists[0].pTabBlock; }
    UIITEMLIST* List(const char16_t* key) { return (UIITEMLIST*)GetParamSlot(pObj, GetParamIdOfKey(key)); }
    std::vector<SHORT> Values(const char16_t* key)
    {
        std::vector<SHORT> v;
        const UIITEMLIST* l = List(key);
        for (int i = 0; l && i < l->sCount; ++i)
            v.push_back(((const UIITEMCHOICE*)(l + 1))[i].sValue);
        return v;
    }
    // The stored block: size, tabs, top, bottom, space, position.
    std::vector<int> StoredValues()
    {
        const BYTE* b = Stored();
        SHORT sSize, sPos;
        memcpy(&sSize, b, 2);
        memcpy(&sPos, b + 6, 2);
        return {sSize, b[2], b[3], b[4], b[5], sPos};
    }
    void Store(std::vector<int> v)
    {
        BYTE* b = Stored();
        SHORT sSize = (SHORT)v[0], sPos = (SHORT)v[5];
        memcpy(b, &sSize, 2);
        b[2] = (BYTE)v[1];
        b[3] = (BYTE)v[2];
        b[4] = (BYTE)v[3];
        b[5] = (BYTE)v[4];
        memcpy(b + 6, &sPos, 2);
    }    // Keys typed one by one at the end of the field (or at its start).
    static void Keys(HWND h, int id, const char16_t* keys, bool bAtStart = false)
    {
        HWND e = GetDlgItem(h, id);
        SetFocus(e);
        for (const char16_t* c = keys; *c; ++c) {
            LRESULT n = bAtStart ? 0 : SendMessageW(e, WM_GETTEXTLENGTH, 0, 0);
            SendMessageW(e, EM_SETSEL, (WPARAM)n, (LPARAM)n);
            SendMessageW(e, WM_CHAR, (WPARAM)*c, 0);
        }
    }
    static void Clear(HWND h, int id)
    {
        HWND e = GetDlgItem(h, id);
        SetFocus(e);
        SendMessageW(e, EM_SETSEL, 0, -1);
        SendMessageW(e, WM_CHAR, 8, 0);
    }
    static std::u16string Range(int a, int b)
    {
        WCHAR sz[64];
        wnsprintfW(sz, 64, GetResString(20162), a, b);
        return sz;
    }
    SHORT Value(const char16_t* key) { return Get(key); }
};

// Sizes by position: 0 A4 tab paper (297 mm long), 1 letter tab paper
// (279 mm). Tab counts by position: 2 tabs at 0 up to 15 at 13.
TEST_F(IndexPaperDlg, TheSpaceBetweenTabsShrinksWhenTheTabsDoNotFit)
{
    struct Row {
        const char* what;
        int size;
        int tabs;
        std::u16string space;
    };
    const Row rows[] = {
        {"A4, 5 tabs fit", 0, 5, Range(0, 20)},
        {"A4, 10 tabs fit exactly", 0, 10, Range(0, 20)},
        {"A4, 11 tabs: (297 - 100) / 10", 0, 11, Range(0, 19)},
        {"A4, 15 tabs: (297 - 100) / 14", 0, 15, Range(0, 14)},
        {"letter, 9 tabs fit", 1, 9, Range(0, 20)},
        {"letter, 10 tabs: (279 - 100) / 9", 1, 10, Range(0, 19)},
        {"letter, 15 tabs: (279 - 100) / 14", 1, 15, Range(0, 12)},
    };
    HWND h = Open(IDD_INDEXPAPER, IndexPaperDlgProc);
    for (const Row& r : rows) {
        ASSERT_TRUE(PlatScriptChoose(h, IDC_IDX_SIZE, nullptr, nullptr, r.size)) << Err();
        ASSERT_TRUE(PlatScriptChoose(h, IDC_IDX_TABS, nullptr, nullptr, r.tabs - 2)) << Err();
        EXPECT_EQ(Value(u"lpTabIndexNum"), r.tabs) << r.what;
        EXPECT_EQ(Text(h, IDC_IDX_SPACE_RANGE), r.space) << r.what;
        EXPECT_EQ(Text(h, IDC_IDX_TOP_RANGE), Range(0, 50)) << r.what;
        EXPECT_EQ(Text(h, IDC_IDX_BOTTOM_RANGE), Range(0, 50)) << r.what;
        EXPECT_EQ(Text(h, IDC_IDX_POSITION_RANGE), Range(-10, 10)) << r.what;
    }
    // The space typed is held to the limit in force.
    Clear(h, IDC_IDX_SPACE);
    Keys(h, IDC_IDX_SPACE, u"8");
    EXPECT_EQ(Text(h, IDC_IDX_SPACE), u"8");
    Clear(h, IDC_IDX_SPACE);
    Keys(h, IDC_IDX_SPACE, u"18");
    EXPECT_EQ(Text(h, IDC_IDX_SPACE), u"12");
    EXPECT_EQ(Value(u"TabIndexSpace"), 12);
    Picture(h, "indexpaper_2720");
    Close(h);
}

TEST_F(IndexPaperDlg, OneTabOrAShortPaperNeverGivesALimitBelowTheMinimum)
{
    struct Row {
        LONG length;
        int tabs;
        SHORT max;
    };
    const Row rows[] = {{297, 1, 20}, {80, 1, 20}, {297, 5, 20}, {120, 5, 5}, {90, 5, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(IndexPaperSpaceMax(r.length, r.tabs, 50, 50, 0, 20), r.max) << r.length << " " << r.tabs;
}

TEST_F(IndexPaperDlg, KeysTakeEffectAtOnceWithinTheLimits)
{
    struct Row {
        const char* what;
        int id;
        const char16_t* key;
        const char16_t* keys;
        const char16_t* shown;
        SHORT value;
    };
    const Row rows[] = {
        {"a top gap in range", IDC_IDX_TOP, u"TabTopMargin", u"45", u"45", 45},
        {"a top gap above 50 becomes 50", IDC_IDX_TOP, u"TabTopMargin", u"60", u"50", 50},
        {"a second leading zero is refused", IDC_IDX_BOTTOM, u"TabBottomMargin", u"00", u"0", 0},
        {"letters are refused", IDC_IDX_BOTTOM, u"TabBottomMargin", u"1x2", u"12", 12},
        {"minus five", IDC_IDX_POSITION, u"TabTextPosition", u"-5", u"-5", -5},
        {"five and a minus after it", IDC_IDX_POSITION, u"TabTextPosition", u"5-", u"5", 5},
        {"no zero after -0", IDC_IDX_POSITION, u"TabTextPosition", u"-00", u"-0", 0},
        {"minus twenty becomes minus ten", IDC_IDX_POSITION, u"TabTextPosition", u"-20", u"-10", -10},
        {"no minus in the top gap", IDC_IDX_TOP, u"TabTopMargin", u"-3", u"3", 3},
    };
    for (const Row& r : rows) {
        HWND h = Open(IDD_INDEXPAPER, IndexPaperDlgProc);
        Clear(h, r.id);
        Keys(h, r.id, r.keys);
        EXPECT_EQ(Text(h, r.id), r.shown) << r.what;
        EXPECT_EQ(Value(r.key), r.value) << r.what;
        Close(h);
    }
    // Erasing the top gap leaves 0 until a number is typed.
    HWND h = Open(IDD_INDEXPAPER, IndexPaperDlgProc);
    EXPECT_EQ(Value(u"TabTopMargin"), 34);
    Clear(h, IDC_IDX_TOP);
    EXPECT_EQ(Text(h, IDC_IDX_TOP), u"");
    EXPECT_EQ(Value(u"TabTopMargin"), 0);
    Close(h);
}

TEST_F(IndexPaperDlg, LeavingAFieldThatHoldsNoNumber)
{
    struct Row {
        const char* what;
        int id;
        const char16_t* keys;
        bool bAtStart;
        const char16_t* shown;   // after leaving
        bool bWarned;
        UINT name;
    };
    const Row rows[] = {
        {"two minus signs", IDC_IDX_POSITION, u"--", true, u"0", true, 28574},
        {"a minus alone", IDC_IDX_POSITION, u"-", false, u"0", false, 0},
        {"minus zero", IDC_IDX_POSITION, u"-0", false, u"0", false, 0},
        {"an empty top gap", IDC_IDX_TOP, u"", false, u"34", true, 28571},
        {"an empty space", IDC_IDX_SPACE, u"", false, u"10", true, 28573},
        {"a number", IDC_IDX_BOTTOM, u"7", false, u"7", false, 0},
    };
    for (const Row& r : rows) {
        HWND h = Open(IDD_INDEXPAPER, IndexPaperDlgProc);
        PlatMsgBoxReset();
        Clear(h, r.id);
        Keys(h, r.id, r.keys, r.bAtStart);
        SetFocus(GetDlgItem(h, IDC_IDX_SIZE));
        PlatPumpMessages();
        EXPECT_EQ(Text(h, r.id), r.shown) << r.what;
        std::vector<std::u16string> boxes = Boxes();
        if (r.bWarned) {
            ASSERT_EQ(boxes.size(), 1u) << r.what;
            EXPECT_NE(boxes[0].find(GetResString(r.name)), std::u16string::npos) << r.what << " " << Narrow(boxes[0]);
            EXPECT_EQ(GetFocus(), GetDlgItem(h, r.id)) << r.what;
        } else {
            EXPECT_TRUE(boxes.empty()) << r.what;
        }
        Close(h);
    }
}

TEST_F(IndexPaperDlg, ChoosingASizeOrDefaultsResetsThePositions)
{
    Store({1033, 7, 20, 21, 5, -3});
    HWND h = Open(IDD_INDEXPAPER, IndexPaperDlgProc);
    EXPECT_EQ(Text(h, IDC_IDX_TOP), u"20");
    EXPECT_EQ(Text(h, IDC_IDX_POSITION), u"-3");
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_IDX_TABS, CB_GETCURSEL, 0, 0), 5);
    ASSERT_TRUE(PlatScriptChoose(h, IDC_IDX_SIZE, nullptr, nullptr, 1)) << Err();
    const std::pair<int, const char16_t*> defaults[] = {
        {IDC_IDX_TOP, u"34"}, {IDC_IDX_BOTTOM, u"34"}, {IDC_IDX_SPACE, u"10"}, {IDC_IDX_POSITION, u"0"}};
    for (auto [id, text] : defaults)
        EXPECT_EQ(Text(h, id), text) << id;
    EXPECT_EQ(Value(u"lpTabPaperSize"), 1025);
    EXPECT_EQ(Value(u"lpTabIndexNum"), 7);

    Keys(h, IDC_IDX_TOP, u"2");
    ASSERT_TRUE(PlatScriptClick(h, IDC_IDX_DEFAULTS, nullptr)) << Err();
    EXPECT_EQ(Value(u"lpTabPaperSize"), 1033);
    EXPECT_EQ(Value(u"lpTabIndexNum"), 5);
    EXPECT_EQ(Text(h, IDC_IDX_TOP), u"34");
    EXPECT_EQ(Value(u"TabTopMargin"), 34);
    Close(h);
    // Cancel: the list's stored values are what they were, and the object
    // holds them again.
    EXPECT_EQ(StoredValues(), (std::vector<int>{1033, 7, 20, 21, 5, -3}));
    EXPECT_EQ(Value(u"TabTopMargin"), 20);
    EXPECT_EQ(Value(u"lpTabIndexNum"), 7);
}

TEST_F(IndexPaperDlg, OkStoresTheValuesInTheListAndCancelDoesNot)
{
    struct Row {
        const char* what;
        std::vector<PLATSCRIPTSTEP> steps;
        INT_PTR result;
        std::vector<int> stored;
    };
    const std::vector<int> before = {1033, 5, 34, 34, 10, 0};
    const Row rows[] = {
        {"letter, 8 tabs, new gaps, OK",
         {ChooseAt(IDC_IDX_SIZE, 1), ChooseAt(IDC_IDX_TABS, 6), Type(IDC_IDX_TOP, u"12"), Type(IDC_IDX_BOTTOM, u"40"),
          Type(IDC_IDX_SPACE, u"3"), Type(IDC_IDX_POSITION, u"-4"), PressOK()},
         IDOK, {1025, 8, 12, 40, 3, -4}},
        {"the same, Cancel",
         {ChooseAt(IDC_IDX_SIZE, 1), ChooseAt(IDC_IDX_TABS, 6), Type(IDC_IDX_TOP, u"12"), PressCancel()},
         IDCANCEL, before},
    };
    for (const Row& r : rows) {
        Store(before);
        PlatMsgBoxReset();
        std::vector<PLATSCRIPTSTEP> v = r.steps;
        ASSERT_TRUE(PlatScriptOnDialog(IDD_INDEXPAPER, v.data(), (int)v.size()));
        INT_PTR res = DialogBoxParamW(hUi, MAKEINTRESOURCEW(IDD_INDEXPAPER), nullptr, IndexPaperDlgProc, (LPARAM)pObj);
        EXPECT_EQ(res, r.result) << r.what << " " << Err();
        EXPECT_EQ(StoredValues(), r.stored) << r.what;
        EXPECT_EQ(Value(u"TabTopMargin"), r.stored[2]) << r.what;
        EXPECT_EQ(Value(u"TabTextPosition"), r.stored[5]) << r.what;
        EXPECT_TRUE(Boxes().empty()) << r.what;
        PlatScriptReset();
    }
}

}  // namespace
