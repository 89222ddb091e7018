// The Setup page driven by the scripted user inside the document sheet:
// the copies and zoom edits, the lists and their extra rules, the N-up
// group, apply, a locked sheet and the picture of the page.
#include "tests/ui_setuppage/setuppage_fixture.h"

namespace {

// ---- The number edits ----

TEST(SetupKeyFilter, RefusesWhatNoCountCanStartWithOrHold)
{
    struct {
        const char16_t* text;
        WORD wStart, wEnd;
        WCHAR ch;
        BOOL bRefused;
    } cases[] = {
        {u"", 0, 0, u'5', FALSE},
        {u"", 0, 0, u'0', TRUE},           // no leading zero
        {u"12", 0, 0, u'0', TRUE},         // nor typed in front
        {u"12", 2, 2, u'0', FALSE},        // a trailing zero is a digit like others
        {u"0", 1, 1, u'0', TRUE},          // a second zero behind a zero
        {u"123", 3, 3, u'4', FALSE},       // the fourth digit
        {u"1234", 4, 4, u'5', TRUE},       // a fifth digit without a selection
        {u"1234", 0, 4, u'5', FALSE},      // replaces the selection
        {u"12", 2, 2, u'a', TRUE},
        {u"12", 2, 2, u' ', TRUE},
        {u"12", 2, 2, u'-', TRUE},
        {u"12", 2, 2, u'/', TRUE},
        {u"1234", 4, 4, u'\b', FALSE},     // backspace is an edit, not a digit
    };
    for (auto& c : cases) {
        SCOPED_TRACE(NarrowText(c.text) + " + " + std::to_string((int)c.ch));
        EXPECT_EQ(bSetupEditRefusesChar(c.text, MAKELONG(c.wStart, c.wEnd), c.ch), c.bRefused);
    }
}

TEST_F(SetupPageTest, TypingALeadingZeroBeepsAndIsRefused)
{
    ASSERT_TRUE(PlatScriptFocus(hSheet, 103, nullptr)) << NarrowText(PlatScriptError());
    SendDlgItemMessageW(hPage, 103, EM_SETSEL, 0, 0);
    PlatBeepReset();
    PlatScriptPressKey(hSheet, '0', u'0');
    EXPECT_EQ(Text(103), u"1");
    ASSERT_EQ(PlatBeepCount(), 1);
    EXPECT_EQ(PlatBeepGet(0), 10u);
    // Typed over the selection, a count is taken at once.
    ASSERT_TRUE(PlatScriptType(hSheet, 103, nullptr, u"25")) << NarrowText(PlatScriptError());
    EXPECT_EQ(Text(103), u"25");
    EXPECT_EQ(Get(TP_COPIES), 25);
}

TEST_F(SetupPageTest, CopiesAreCorrectedWhenThePageIsShownAgain)
{
    const UIITEMRANGE* rg = (const UIITEMRANGE*)GetParamSlot(pObj, TP_COPIES);
    ASSERT_NE(rg, nullptr);
    ASSERT_GT(rg->sMax, 1);
    struct {
        const char* name;
        SHORT sCopies, sOutput, sWant;
    } cases[] = {
        {"zero", 0, 0, 1},
        {"above the maximum", (SHORT)(rg->sMax + 1), 0, rg->sMax},
        {"within", 7, 0, 7},
        {"an output of one copy", 7, 1, 1},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Page(1);
        SHORT sOutput = Get(TP_OUTPUT);
        Put(TP_COPIES, c.sCopies);
        Put(TP_OUTPUT, c.sOutput);
        hPage = Page(0);
        EXPECT_EQ(Get(TP_COPIES), c.sWant);
        EXPECT_EQ(Text(103), std::u16string(std::u16string(u"") + [&] {
                      std::u16string s;
                      for (char ch : std::to_string(c.sWant))
                          s += (char16_t)ch;
                      return s;
                  }()));
        Put(TP_OUTPUT, sOutput);
    }
}

TEST_F(SetupPageTest, ZoomBelowItsRangeKeepsThePageWithOneWarning)
{
    Put(TP_ZOOMCHECK, 1);
    Page(1);
    hPage = Page(0);
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hPage, 116)));
    const UIITEMRANGE* rg = (const UIITEMRANGE*)GetParamSlot(pObj, TP_ZOOM);
    ASSERT_NE(rg, nullptr);
    PlatMsgBoxReset();
    ASSERT_TRUE(PlatScriptType(hSheet, 116, nullptr, u"10")) << NarrowText(PlatScriptError());
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    std::string want = "Enter a zoom from " + std::to_string(rg->sMin) + "% to " + std::to_string(rg->sMax) + "%.";
    EXPECT_EQ(NarrowText(BoxText(0).c_str()), want);
    EXPECT_EQ(NarrowText(BoxCaption(0).c_str()), "zoom");
    EXPECT_EQ(GetFocus(), GetDlgItem(hPage, 116));
    // The page will not let the user go while the zoom is outside.
    EXPECT_EQ(Notify(hPage, PSN_KILLACTIVE), TRUE);
    EXPECT_EQ(Current(), hPage);
    // A zoom above the maximum is brought down to it as it is typed.
    ASSERT_TRUE(PlatScriptType(hSheet, 116, nullptr, u"999")) << NarrowText(PlatScriptError());
    EXPECT_EQ(Get(TP_ZOOM), rg->sMax);
    EXPECT_EQ(Notify(hPage, PSN_KILLACTIVE), FALSE);
}

// ---- Lists ----

TEST(SetupPageOrder, OfferedItemsByNupAndOrientation)
{
    struct {
        SHORT n, o;
        BOOL abOffered[8];
    } cases[] = {
        {8, 1, {TRUE, TRUE, FALSE, FALSE, FALSE, FALSE, FALSE, FALSE}},
        {8, 2, {FALSE, FALSE, TRUE, TRUE, FALSE, FALSE, FALSE, FALSE}},
        {1, 1, {TRUE, TRUE, FALSE, FALSE, FALSE, FALSE, FALSE, FALSE}},
        {5, 1, {FALSE, FALSE, FALSE, FALSE, TRUE, TRUE, TRUE, TRUE}},
        {10, 2, {FALSE, FALSE, FALSE, FALSE, TRUE, TRUE, TRUE, TRUE}},
        {2, 1, {TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE}},
    };
    for (auto& c : cases)
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE("n " + std::to_string(c.n) + " orientation " + std::to_string(c.o) + " item " +
                         std::to_string(i));
            EXPECT_EQ(bPageOrderItemOffered(i, c.n, c.o), c.abOffered[i]);
        }
}

TEST_F(SetupPageTest, PageOrderListFollowsTheNupValue)
{
    struct {
        SHORT n, o, sOrderBefore;
        std::vector<int> shown;
        SHORT sOrderAfter;
    } cases[] = {
        {8, 1, 2, {1, 2}, 2},
        {8, 2, 1, {1, 2}, 1},        // the landscape items carry the same codes
        {8, 1, 4, {1, 2}, 1},        // a 4-up order falls back to the default
        {5, 1, 1, {3, 4, 5, 6}, 3},  // a 2-up order falls back to order 3
        {10, 2, 6, {3, 4, 5, 6}, 6},
    };
    for (auto& c : cases) {
        SCOPED_TRACE("n " + std::to_string(c.n) + " orientation " + std::to_string(c.o));
        Put(TP_LAYOUT, c.n);
        Put(TP_ORIENTATION, c.o);
        Put(TP_ORDER, c.sOrderBefore);
        SetupPageMarkDirty(hPage, 127);
        EXPECT_EQ(Shown(127), c.shown);
        EXPECT_EQ(Get(TP_ORDER), c.sOrderAfter);
        EXPECT_EQ((int)SendDlgItemMessageW(hPage, 127, CB_GETCURSEL, 0, 0), PositionOf(127, c.sOrderAfter));
    }
}

TEST_F(SetupPageTest, DocumentSizeListLeavesOutRotatedAndOutputOnlySizes)
{
    std::vector<int> shown = Shown(111);
    ASSERT_FALSE(shown.empty());
    for (int v : shown) {
        SCOPED_TRACE(v);
        EXPECT_FALSE(bIsRotatedPaper(v));
        EXPECT_EQ(v & 0x2000, 0);
        EXPECT_FALSE((v & 0x400) && !(v & 0x1000));
    }
    // The output size offers what the document size does not.
    std::vector<int> out = Shown(114);
    EXPECT_NE(std::find(out.begin(), out.end(), 257), out.end());
    EXPECT_NE(std::find(out.begin(), out.end(), 512), out.end());
}

TEST(SetupItemPictures, ByListValueOrientationAndLayout)
{
    struct {
        WORD wList;
        SHORT v, o, n;
        WORD wImage, wMask;
    } cases[] = {
        {125, 8, 1, 8, 10000, 10011},  {125, 8, 2, 8, 10001, 10010},  {125, 10, 1, 10, 10002, 10010},
        {125, 5, 2, 5, 10005, 10010},  {125, 7, 1, 7, 10008, 10010},  {125, 1, 1, 1, 0, 10011},
        {127, 1, 1, 8, 10020, 10033},  {127, 2, 2, 8, 10023, 10032},  {127, 3, 1, 10, 10024, 10032},
        {127, 6, 1, 5, 10031, 10033},  {127, 4, 2, 5, 10025, 10032},  {127, 7, 1, 8, 0, 0},
        {172, 1, 1, 1, 10240, 10245},  {172, 5, 2, 1, 10244, 10249},  {172, 6, 1, 1, 0, 0},
        {129, 1, 1, 8, 0, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.wList) + " value " + std::to_string(c.v));
        WORD wImage = 1, wMask = 1;
        GetSetupItemBitmaps(c.wList, c.v, c.o, c.n, &wImage, &wMask);
        EXPECT_EQ(wImage, c.wImage);
        EXPECT_EQ(wMask, c.wMask);
    }
}

// ---- The N-up group ----

TEST_F(SetupPageTest, NupCheckSwitchesTheLayoutAndFillsItsList)
{
    ASSERT_EQ(IsDlgButtonChecked(hPage, 123), (UINT)BST_CHECKED);
    ASSERT_TRUE(PlatScriptClick(hSheet, 124, nullptr)) << NarrowText(PlatScriptError());
    EXPECT_EQ(Get(TP_NUPCHECK), 1);
    EXPECT_EQ(Get(TP_LAYOUTCHECK), 1);
    EXPECT_EQ(Get(TP_LAYOUTSELECT), 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hPage, 125)));
    EXPECT_FALSE(Shown(125).empty());
    EXPECT_EQ((int)SendDlgItemMessageW(hPage, 125, CB_GETCURSEL, 0, 0), PositionOf(125, Get(TP_LAYOUT)));
    // Off again: no layout.
    ASSERT_TRUE(PlatScriptClick(hSheet, 124, nullptr)) << NarrowText(PlatScriptError());
    EXPECT_EQ(Get(TP_NUPCHECK), 0);
    EXPECT_EQ(Get(TP_LAYOUTCHECK), 0);
    EXPECT_EQ(Get(TP_LAYOUTSELECT), 0);
}

// ---- Apply ----

TEST_F(SetupPageTest, ApplyCommitsWhatThePageShows)
{
    ASSERT_TRUE(PlatScriptChoose(hSheet, 111, nullptr, u"A3", -1)) << NarrowText(PlatScriptError());
    ASSERT_TRUE(PlatScriptType(hSheet, 103, nullptr, u"3")) << NarrowText(PlatScriptError());
    EXPECT_EQ(Get(TP_MEDIASIZE), 8);
    EXPECT_NE(Saved(TP_MEDIASIZE), 8);
    EXPECT_NE(Saved(TP_COPIES), 3);
    Notify(hPage, PSN_APPLY);
    EXPECT_EQ(Saved(TP_MEDIASIZE), 8);
    EXPECT_EQ(Saved(TP_COPIES), 3);
    // The output size is kept while the zoom follows it; "same as the
    // document" keeps the document size.
    struct {
        int iOutput;
        SHORT sZoomCheck, sSaved;
    } cases[] = {{9, 1, 9}, {257, 0, 8}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.iOutput);
        ASSERT_TRUE(PlatScriptChoose(hSheet, 114, nullptr, nullptr, PositionOf(114, c.iOutput)))
            << NarrowText(PlatScriptError());
        EXPECT_EQ(Get(TP_OUTPUTPAPER), c.iOutput);
        EXPECT_EQ(Get(TP_ZOOMCHECK), c.sZoomCheck);
        Notify(hPage, PSN_APPLY);
        EXPECT_EQ(Saved(TP_OUTPUTPAPER), c.sSaved);
    }
}

TEST_F(SetupPageTest, LockedSheetShowsTheValuesWithEveryControlDisabled)
{
    Close();
    Open(DM_COPY | DM_NOPERMISSION);
    ASSERT_EQ(bSheetEditable(pObj), FALSE);
    for (int id : {103, 106, 107, 111, 114, 120, 123, 124, 125, 132, 139, 142, 145, 151, 170})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hPage, id))) << id;
    EXPECT_EQ(Text(103), u"1");
    EXPECT_EQ(Text(111), u"A4");
    EXPECT_EQ(IsDlgButtonChecked(hPage, 106), (UINT)BST_CHECKED);
}

// ---- Picture ----

TEST_F(SetupPageTest, PageLooksRight)
{
    ASSERT_TRUE(PlatScriptClick(hSheet, 124, nullptr)) << NarrowText(PlatScriptError());
    ASSERT_TRUE(PlatScriptClick(hSheet, 142, nullptr)) << NarrowText(PlatScriptError());
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/setup_page.png"));
    // The orientation picture is painted at its place: not only the face.
    RECT rc, rcSheet;
    GetWindowRect(GetDlgItem(hPage, 108), &rc);
    GetWindowRect(hSheet, &rcSheet);
    int cOther = 0;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    // Across the middle, one way and the other.
    int xMid = (rc.left + rc.right) / 2, yMid = (rc.top + rc.bottom) / 2;
    for (int x = rc.left; x < rc.right; x += 2)
        cOther += PlatGetWindowPixel(hSheet, x - rcSheet.left, yMid - rcSheet.top) != face;
    for (int y = rc.top; y < rc.bottom; y += 2)
        cOther += PlatGetWindowPixel(hSheet, xMid - rcSheet.left, y - rcSheet.top) != face;
    EXPECT_GT(cOther, 4);
}

}  // namespace

namespace {

// ---- Dialogs opened by a list item ----

TEST_F(SetupPageTest, CancellingTheDialogOfAnItemPutsTheListBack)
{
    struct {
        const char* name;
        int iEnable;        // check box or list that makes the list usable
        int iEnableValue;   // value chosen in that list (-1: a check box)
        int idList;
        int iValue;         // the item that opens the dialog
        int idTemplate;
        WORD wParam;
    } cases[] = {
        {"binding margin", 155, -1, 156, 10, 2300, 108},
        {"transparency interleave", 120, 4, 122, 127, 2020, 26},  // the bypass tray
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlatScriptReset();
        if (c.iEnableValue < 0)
            ASSERT_TRUE(PlatScriptClick(hSheet, c.iEnable, nullptr)) << NarrowText(PlatScriptError());
        else
            ASSERT_TRUE(PlatScriptChoose(hSheet, c.iEnable, nullptr, nullptr, PositionOf(c.iEnable, c.iEnableValue)))
                << NarrowText(PlatScriptError());
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hPage, c.idList)));
        SHORT sBefore = Get(c.wParam);
        int iPos = PositionOf(c.idList, c.iValue);
        ASSERT_GE(iPos, 0);
        PLATSCRIPTSTEP cancel = {};
        cancel.iStep = PSS_CANCEL;
        ASSERT_TRUE(PlatScriptOnDialog(c.idTemplate, &cancel, 1));
        ASSERT_TRUE(PlatScriptChoose(hSheet, c.idList, nullptr, nullptr, iPos)) << NarrowText(PlatScriptError());
        EXPECT_EQ(NarrowText(PlatScriptError()), "");
        EXPECT_EQ(Get(c.wParam), sBefore);
        EXPECT_EQ((int)SendDlgItemMessageW(hPage, c.idList, CB_GETCURSEL, 0, 0), PositionOf(c.idList, sBefore));
        EXPECT_EQ(GetActivePageId(pObj), 100);
    }
}

}  // namespace

namespace {

// ---- Confidential print and the preview view ----

TEST_F(SetupPageTest, ConfidentialPrintWithoutAPasswordIsTurnedOffWithAMessage)
{
    PLATSCRIPTSTEP cancel = {};
    cancel.iStep = PSS_CANCEL;
    ASSERT_TRUE(PlatScriptOnDialog(2000, &cancel, 1));
    PlatMsgBoxReset();
    ASSERT_TRUE(PlatScriptClick(hSheet, 144, nullptr)) << NarrowText(PlatScriptError());
    EXPECT_EQ(NarrowText(PlatScriptError()), "");
    ASSERT_GE(PlatMsgBoxCount(), 1);
    int iLast = PlatMsgBoxCount() - 1;
    EXPECT_EQ(NarrowText(BoxCaption(iLast).c_str()), "Confidential print");
    EXPECT_EQ(NarrowText(BoxText(iLast).c_str()), "Confidential print needs a password.\nConfidential print was turned off.");
    EXPECT_EQ(Get(19), 0);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 144), (UINT)BST_UNCHECKED);
    EXPECT_EQ(GetActivePageId(pObj), 100);
}

TEST_F(SetupPageTest, PreviewViewFollowsItsRadios)
{
    struct {
        int idClick;
        WORD wView;
    } cases[] = {{164, 2}, {164, 2}, {163, 1}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.idClick);
        ASSERT_TRUE(PlatScriptClick(hSheet, c.idClick, nullptr)) << NarrowText(PlatScriptError());
        EXPECT_EQ(GetPreviewView(pObj), c.wView);
        EXPECT_EQ(IsDlgButtonChecked(hPage, 163), c.wView == 1 ? (UINT)BST_CHECKED : (UINT)BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(hPage, 164), c.wView == 2 ? (UINT)BST_CHECKED : (UINT)BST_UNCHECKED);
    }
}

}  // namespace

namespace {

TEST_F(SetupPageTest, OrientationRadiosTurnThePaperAndItsPicture)
{
    auto picture = [&] {
        PlatRenderWindow(hSheet);
        RECT rc, rcSheet;
        GetWindowRect(GetDlgItem(hPage, 108), &rc);
        GetWindowRect(hSheet, &rcSheet);
        std::vector<COLORREF> v;
        int yMid = (rc.top + rc.bottom) / 2;
        for (int x = rc.left; x < rc.right; x += 2)
            v.push_back(PlatGetWindowPixel(hSheet, x - rcSheet.left, yMid - rcSheet.top));
        return v;
    };
    std::vector<COLORREF> portrait = picture();
    ASSERT_TRUE(PlatScriptClick(hSheet, 107, nullptr)) << NarrowText(PlatScriptError());
    EXPECT_EQ(Get(TP_ORIENTATION), 2);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 107), (UINT)BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 106), (UINT)BST_UNCHECKED);
    EXPECT_NE(picture(), portrait);
    ASSERT_TRUE(PlatScriptClick(hSheet, 106, nullptr)) << NarrowText(PlatScriptError());
    EXPECT_EQ(Get(TP_ORIENTATION), 1);
    EXPECT_EQ(picture(), portrait);
}

}  // namespace
