// The cover insertion dialog as a person uses it: the pages typed are
// checked at OK and kept sorted, a wrong list keeps the dialog open with
// the reason, characters that cannot make a page list never reach the
// field, Cancel puts the tray back and keeps the pages, and the notice that
// turns cover insertion off when no page is left.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/coverinsert.h"
#include "ui/settings/pagelist.h"
#include "ui/dialogs/preview.h"

namespace {

class CoverInsertDlg : public SettingDlgTest {
protected:
    PAGELISTS* Lists() { return (PAGELISTS*)GetParamSlot(pObj, GetParamIdOfKey(u"pagenumStr")); }
    std::vector<SHORT> Pages()
    {
        std::vector<SHORT> v;
        const PAGELISTS* p = Lists();
        for (int i = 0; p && i < GetPageSlotCount(p, COVERINS_SLOT); ++i)
            v.push_back(p->aaPages[COVERINS_SLOT - 1][i]);
        return v;
    }
    void StorePages(std::vector<SHORT> v)
    {
        ASSERT_TRUE(StorePageSlot(Lists(), (int)v.size(), COVERINS_SLOT, v.data()));
    }
    static std::vector<SHORT> Range(int a, int b)
    {
        std::vector<SHORT> v;
        for (int i = a; i <= b; ++i)
            v.push_back((SHORT)i);
        return v;
    }
    static bool Mentions(const std::u16string& box, const char16_t* what)
    {
        return box.find(what) != std::u16string::npos;
    }
};

TEST_F(CoverInsertDlg, OkChecksThePageListAndStoresItSorted)
{
    struct Row {
        const char* what;
        const char16_t* typed;
        INT_PTR result;
        std::vector<SHORT> stored;  // slot 3 afterwards
        const char16_t* boxSays;    // part of the one box shown, null for none
    };
    const std::vector<SHORT> before = {5, 7};
    const Row rows[] = {
        {"example of the dialog", u"2,4,6-10", IDOK, {2, 4, 6, 7, 8, 9, 10}, nullptr},
        {"given out of order", u"9,2,30-28", IDOK, {2, 9, 28, 29, 30}, nullptr},
        {"28 pages is the most", u"1-28", IDOK, Range(1, 28), nullptr},
        {"29 pages are refused", u"1-29", IDCANCEL, before, u"28"},
        {"a page given twice", u"3,5,3", IDCANCEL, before, u"3"},
        {"a page inside a range again", u"4-8,6", IDCANCEL, before, u"6"},
        {"a list ending in a comma", u"4,", IDCANCEL, before, u""},
        {"a range left open", u"4-", IDCANCEL, before, u""},
        {"empty: no pages", u"", IDOK, {}, nullptr},
    };
    for (const Row& r : rows) {
        StorePages(before);
        PlatMsgBoxReset();
        INT_PTR res = Run(IDD_COVERINSERT, CoverInsertDlgProc,
                          {Type(IDC_COVERINS_PAGES, r.typed), PressOK(), PressCancel()});
        EXPECT_EQ(res, r.result) << r.what << " " << Err();
        EXPECT_EQ(Pages(), r.stored) << r.what;
        std::vector<std::u16string> boxes = Boxes();
        if (!r.boxSays) {
            EXPECT_TRUE(boxes.empty()) << r.what;
        } else {
            ASSERT_EQ(boxes.size(), 1u) << r.what;
            EXPECT_TRUE(Mentions(boxes[0], r.boxSays)) << r.what << ": " << Narrow(boxes[0]);
        }
        PlatScriptReset();
    }
}

TEST_F(CoverInsertDlg, ShowsTheStoredPagesAndKeepsThemOnCancel)
{
    StorePages({2, 3, 4, 9});
    HWND h = Open(IDD_COVERINSERT, CoverInsertDlgProc);
    EXPECT_EQ(Text(h, IDC_COVERINS_PAGES), u"2-4,9");
    Picture(h, "coverinsert_2800");
    ASSERT_TRUE(PlatScriptType(h, IDC_COVERINS_PAGES, nullptr, u"1")) << Err();
    Close(h);
    EXPECT_EQ(Pages(), (std::vector<SHORT>{2, 3, 4, 9}));
}

TEST_F(CoverInsertDlg, TheFieldTakesOnlyWhatCanMakeAPageList)
{
    struct Row {
        const char* what;
        const char16_t* typed;
        const char16_t* shown;
    };
    const Row rows[] = {
        {"digits, commas and ranges", u"1,3-5", u"1,3-5"},
        {"a fourth digit is refused", u"1234", u"123"},
        {"letters and spaces are refused", u"1 a,2", u"1,2"},
        {"a leading zero is refused", u"05", u"5"},
        {"two commas in a row", u"1,,2", u"1,2"},
    };
    for (const Row& r : rows) {
        HWND h = Open(IDD_COVERINSERT, CoverInsertDlgProc);
        SetDlgItemTextW(h, IDC_COVERINS_PAGES, u"");
        HWND hEdit = GetDlgItem(h, IDC_COVERINS_PAGES);
        SetFocus(hEdit);
        for (const char16_t* c = r.typed; *c; ++c) {
            LRESULT n = SendMessageW(hEdit, WM_GETTEXTLENGTH, 0, 0);
            SendMessageW(hEdit, EM_SETSEL, (WPARAM)n, (LPARAM)n);
            SendMessageW(hEdit, WM_CHAR, (WPARAM)*c, 0);
        }
        EXPECT_EQ(Text(h, IDC_COVERINS_PAGES), r.shown) << r.what;
        Close(h);
    }
}

TEST_F(CoverInsertDlg, CancelPutsTheTrayBackAndOkKeepsIt)
{
    const SHORT sStart = Get(u"lpInsertPITray");
    HWND h = Open(IDD_COVERINSERT, CoverInsertDlgProc);
    LRESULT n = SendDlgItemMessageW(h, IDC_COVERINS_TRAY, CB_GETCOUNT, 0, 0);
    Close(h);
    ASSERT_GE(n, 2) << "the post-inserter offers two trays or more";

    StorePages({4});
    EXPECT_EQ(IDCANCEL, Run(IDD_COVERINSERT, CoverInsertDlgProc,
                            {ChooseAt(IDC_COVERINS_TRAY, 1), Type(IDC_COVERINS_PAGES, u"8"), PressCancel()}))
        << Err();
    EXPECT_EQ(Get(u"lpInsertPITray"), sStart);
    EXPECT_EQ(Pages(), std::vector<SHORT>{4});

    EXPECT_EQ(IDOK, Run(IDD_COVERINSERT, CoverInsertDlgProc, {ChooseAt(IDC_COVERINS_TRAY, 1), PressOK()})) << Err();
    EXPECT_NE(Get(u"lpInsertPITray"), sStart);
    EXPECT_EQ(Pages(), std::vector<SHORT>{4});

    // The page's Defaults: the default tray and no pages.
    ResetCoverInsertion(pObj);
    EXPECT_EQ(Get(u"lpInsertPITray"), sStart);
    EXPECT_EQ(CountCoverInsertPages(pObj), 0);
}

TEST_F(CoverInsertDlg, TheNoticeTurnsCoverInsertionOff)
{
    struct Row {
        const char* what;
        int bSingle;
        std::u16string text;
    };
    const Row rows[] = {
        {"one text", 1, GetResString(28598)},
        {"two texts", 0, std::u16string(GetResString(28598)) + GetResString(28597)},
    };
    for (const Row& r : rows) {
        Set(u"InsertCoverSheet_Check", 1);
        PlatMsgBoxReset();
        CancelCoverInsertWithNotice(nullptr, 20167, 28598, 28597, r.bSingle, pObj);
        EXPECT_EQ(Get(u"InsertCoverSheet_Check"), 0) << r.what;
        ASSERT_EQ(Boxes().size(), 1u) << r.what;
        EXPECT_EQ(Boxes()[0], r.text) << r.what;
        LPCWSTR pszCaption = nullptr;
        PlatMsgBoxGet(0, nullptr, nullptr, &pszCaption, nullptr);
        EXPECT_EQ(std::u16string(pszCaption ? pszCaption : u""), GetResString(20167)) << r.what;
    }
}

// Switching cover insertion on and closing the dialog with no pages turns
// it off again with the notice, as the Cover page does after the dialog.
TEST_F(CoverInsertDlg, NoPagesAfterOkTurnsCoverInsertionOffAgain)
{
    Set(u"InsertCoverSheet_Check", 1);
    EXPECT_EQ(IDOK, Run(IDD_COVERINSERT, CoverInsertDlgProc, {Type(IDC_COVERINS_PAGES, u""), PressOK()})) << Err();
    ASSERT_EQ(CountCoverInsertPages(pObj), 0);
    CancelCoverInsertWithNotice(nullptr, 20167, 28598, 0, 1, pObj);
    EXPECT_EQ(Get(u"InsertCoverSheet_Check"), 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], GetResString(28598));
}

// The tray and the pages chosen in the dialog reach the job: the
// post-inserter feeds a cover before each page given, from the tray chosen.
TEST_F(CoverInsertDlg, TheChosenTrayAndPagesReachTheJob)
{
    Set(u"InsertCoverSheet_Check", 1);
    ASSERT_EQ(IDOK, Run(IDD_COVERINSERT, CoverInsertDlgProc,
                        {ChooseAt(IDC_COVERINS_TRAY, 1), Type(IDC_COVERINS_PAGES, u"5,1-2"), PressOK()}))
        << Err();
    std::string job = PrintJob();
    EXPECT_EQ(PjlLine(job, "INTERMODE"), "@PJL SET INTERMODE = BLANK");
    EXPECT_EQ(PjlLine(job, "INTERSHEET"), "@PJL SET INTERSHEET = RXTRAY2,1,2,5");

    // Without pages the notice turns cover insertion off and the job says so.
    ASSERT_EQ(IDOK, Run(IDD_COVERINSERT, CoverInsertDlgProc, {Type(IDC_COVERINS_PAGES, u""), PressOK()})) << Err();
    if (CountCoverInsertPages(pObj) == 0)
        CancelCoverInsertWithNotice(nullptr, 20167, 28598, 0, 1, pObj);
    job = PrintJob();
    EXPECT_EQ(PjlLine(job, "INTERMODE"), "@PJL SET INTERMODE = OFF");
    EXPECT_EQ(PjlLine(job, "INTERSHEET"), "");
}

}  // namespace
