// The insert sheet dialog as a person uses it: the pages typed and checked
// against the list's other sheets, the print type, paper source and binding
// with the rules between them, index paper switched on and off with the
// notices that explain what it changed or why it stays off, the notice of
// values replaced since the entry was stored, and the working record the
// cover page reads after OK.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/insertsheet.h"
#include "ui/dialogs/tabtextdetail.h"
#include "ui/settings/insertsheet.h"
#include "ui/settings/insertwork.h"
#include "ui/settings/listset.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/strcache.h"
#include "platform/kernel/system.h"

#include <cstring>

namespace {

class InsertSheetDlg : public SettingDlgTest {
protected:
    void SetUp() override
    {
        SettingDlgTest::SetUp();
        ASSERT_NE(Work(), nullptr);
        SHORT one = 1;
        memcpy(GetParamSlot(pObj, 207), &one, 2);
        SetCount(0);
    }
    INSERTSHEETWORK* Work() { return GetInsertSheetWork(pObj); }
    INSERTSHEET* Entries() { return (INSERTSHEET*)GetParamSlot(pObj, 205); }
    int Count()
    {
        SHORT c;
        memcpy(&c, GetParamSlot(pObj, 208), 2);
        return c;
    }
    void SetCount(int c)
    {
        SHORT s = (SHORT)c;
        memcpy(GetParamSlot(pObj, 208), &s, 2);
    }
    // A stored sheet of the list.
    void AddEntry(const char16_t* pages, WORD type, WORD tray = 4096, WORD binding = 1, WORD index = 0,
                  const char16_t* heading = u"")
    {
        INSERTSHEET& e = Entries()[Count()];
        memset(&e, 0, sizeof(e));
        memcpy(e.szPages, pages, std::char_traits<char16_t>::length(pages) * 2);
        memcpy(e.szTabText, heading, std::char_traits<char16_t>::length(heading) * 2);
        e.wPrintType = type;
        e.wTray = tray;
        e.wBinding = binding;
        e.wUseIndex = index;
        e.wFontSize = 12;
        SetCount(Count() + 1);
    }
    // The working record as the cover page prepares it for Add.
    void PrepareNew(WORD type = 0, WORD tray = 4096)
    {
        memset(Work(), 0, sizeof(INSERTSHEETWORK));
        Work()->wState = INSERTWORK_NEW;
        Work()->wEntry = (WORD)Count();
        Set(u"lpInterSheetListPRNType", (SHORT)type);
        Set(u"lpInterSheetListTray", (SHORT)tray);
        Set(u"lpInterSheetListBinding", 1);
        Set(u"PrnTabIndex", 0);
    }
    // ... and for Edit of entry i.
    void PrepareEdit(int i)
    {
        memset(Work(), 0, sizeof(INSERTSHEETWORK));
        const INSERTSHEET& e = Entries()[i];
        Work()->wState = INSERTWORK_EDIT;
        Work()->wEntry = (WORD)i;
        Set(u"lpInterSheetListPRNType", (SHORT)e.wPrintType);
        Set(u"lpInterSheetListTray", (SHORT)e.wTray);
        Set(u"lpInterSheetListBinding", (SHORT)e.wBinding);
        Set(u"PrnTabIndex", (SHORT)e.wUseIndex);
    }
    static bool Enabled(HWND h, int id) { return IsWindowEnabled(GetDlgItem(h, id)) != FALSE; }
    static bool Shown(HWND h, int id) { return IsWindowVisible(GetDlgItem(h, id)) != FALSE; }
    std::u16string WorkPages() { return Work()->szPages; }
    static std::u16string Res(UINT id) { return GetResString(id); }
    static std::u16string PageListError(int iError, int iKind)
    {
        WCHAR sz[1026] = {};
        FormatPageListError(iError, iKind, sz, 1026);
        return sz;
    }
    // Pastes text over the whole content of an edit (Ctrl+V).
    static void Paste(HWND h, int id, const char16_t* text)
    {
        size_t cb = (std::char_traits<char16_t>::length(text) + 1) * sizeof(char16_t);
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, cb);
        memcpy(GlobalLock(g), text, cb);
        GlobalUnlock(g);
        ASSERT_TRUE(OpenClipboard(h));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, g);
        CloseClipboard();
        ASSERT_TRUE(PlatScriptFocus(h, id, nullptr)) << Err();
        SendDlgItemMessageW(h, id, EM_SETSEL, 0, -1);
        ASSERT_TRUE(PlatScriptPressKey(h, 'V', 22)) << Err();
    }
    // Keys typed one by one into the focused field, at its end.
    static void Keys(HWND h, int id, const char16_t* keys)
    {
        ASSERT_TRUE(PlatScriptFocus(h, id, nullptr)) << Err();
        for (const char16_t* c = keys; *c; ++c) {
            LRESULT n = SendDlgItemMessageW(h, id, WM_GETTEXTLENGTH, 0, 0);
            SendDlgItemMessageW(h, id, EM_SETSEL, (WPARAM)n, (LPARAM)n);
            PlatScriptPressKey(h, 0, *c);
        }
    }
    static std::u16string ComboText(HWND h, int id)
    {
        LRESULT i = SendDlgItemMessageW(h, id, CB_GETCURSEL, 0, 0);
        WCHAR sz[128] = {};
        if (i >= 0)
            SendDlgItemMessageW(h, id, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
        return sz;
    }
    static std::vector<std::u16string> ComboItems(HWND h, int id)
    {
        std::vector<std::u16string> v;
        LRESULT n = SendDlgItemMessageW(h, id, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            WCHAR sz[128] = {};
            SendDlgItemMessageW(h, id, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
            v.push_back(sz);
        }
        return v;
    }
    // A modeless dialog ended by its procedure is hidden.
    static bool Ended(HWND h) { return !IsWindow(h) || !IsWindowVisible(h); }
    static void Clear(HWND h, int id)
    {
        ASSERT_TRUE(PlatScriptFocus(h, id, nullptr)) << Err();
        SendDlgItemMessageW(h, id, EM_SETSEL, 0, -1);
        PlatScriptPressKey(h, VK_BACK, 8);
    }
    static bool Checked(HWND h, int id) { return IsDlgButtonChecked(h, id) == BST_CHECKED; }
    // A notice line as the notices write it.
    static std::u16string Line(UINT uFormat, WORD wFeature, SHORT sValue)
    {
        WCHAR sz[256] = {};
        DlgFormat(sz, 256, uFormat ? GetResString(uFormat) : u"   %s : %s\n", GetFeatureName(wFeature),
                  GetValueName(wFeature, sValue));
        return sz;
    }
    // Duplex printing on the Setup page.
    void SetupDuplex(SHORT sBinding)
    {
        Set(u"Layout_Check2", 1);
        Set(u"Duplex_Check", 1);
        Set(u"lpDuplex", sBinding);
    }
};

// ---- The page list ----

TEST_F(InsertSheetDlg, OkKeepsThePageListInNormalFormOrSaysWhyNot)
{
    struct Row {
        const char* what;
        const char16_t* pasted;
        INT_PTR result;
        const char16_t* stored;     // the working record's page list after OK
        std::u16string box;         // the first box shown, empty for none
    };
    const Row rows[] = {
        {"example of the dialog", u"2,4,6-10", IDOK, u"2,4,6-10", u""},
        {"a reversed range", u"6-2", IDOK, u"2-6", u""},
        {"single pages in any order join", u"3,1,2", IDOK, u"1-3", u""},
        {"the highest page", u"9999", IDOK, u"9999", u""},
        {"nothing to insert at", u"", IDCANCEL, u"", PageListError(PAGELIST_BAD_CHAR, PAGELIST_KIND_PAGES)},
        {"page 0", u"0", IDCANCEL, u"", PageListError(PAGELIST_LEADING_ZERO, PAGELIST_KIND_PAGES)},
        {"a leading zero", u"07", IDCANCEL, u"", PageListError(PAGELIST_LEADING_ZERO, PAGELIST_KIND_PAGES)},
        {"a letter", u"1,a", IDCANCEL, u"", PageListError(PAGELIST_BAD_CHAR, PAGELIST_KIND_PAGES)},
        {"more than 9999 pages", u"1-9999,5", IDCANCEL, u"", PageListError(PAGELIST_TOO_MANY, PAGELIST_KIND_PAGES)},
        {"a list ending in a comma", u"4,", IDCANCEL, u"", PageListError(PAGELIST_BAD_COMMA, PAGELIST_KIND_PAGES)},
    };
    for (const Row& r : rows) {
        PrepareNew();
        PlatMsgBoxReset();
        HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
        Paste(h, IDC_INS_PAGES, r.pasted);
        ASSERT_TRUE(PlatScriptPressOK(h)) << Err();
        PlatPumpMessages();
        bool bOpen = !Ended(h);
        EXPECT_EQ(bOpen ? IDCANCEL : IDOK, r.result) << r.what;
        EXPECT_EQ(WorkPages(), r.stored) << r.what;
        std::vector<std::u16string> boxes = Boxes();
        if (r.box.empty()) {
            EXPECT_TRUE(boxes.empty()) << r.what;
        } else {
            ASSERT_FALSE(boxes.empty()) << r.what;
            EXPECT_EQ(boxes.size(), 1u) << r.what << ": one click, one message";
            EXPECT_EQ(boxes[0], r.box) << r.what << ": " << Narrow(boxes[0]);
            EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_INS_PAGES)) << r.what;
        }
        Close(h);
    }
}

TEST_F(InsertSheetDlg, KeysThatCannotMakeAPageListAreRefused)
{
    PrepareNew(0, 1);
    HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
    PlatBeepReset();
    Keys(h, IDC_INS_PAGES, u"12345");
    EXPECT_EQ(Text(h, IDC_INS_PAGES), u"1234") << "five digits are one too many";
    EXPECT_EQ(PlatBeepCount(), 1);
    Clear(h, IDC_INS_PAGES);
    Keys(h, IDC_INS_PAGES, u"0");
    EXPECT_EQ(Text(h, IDC_INS_PAGES), u"");
    Keys(h, IDC_INS_PAGES, u"1,,2-3");
    EXPECT_EQ(Text(h, IDC_INS_PAGES), u"1,2-3");
    // An index-paper sheet is inserted at one page.
    Clear(h, IDC_INS_PAGES);
    ASSERT_TRUE(PlatScriptClick(h, IDC_INS_INDEX, nullptr)) << Err();
    ASSERT_EQ(Get(u"PrnTabIndex"), 1) << Narrow(Boxes().empty() ? u"" : Boxes()[0]);
    PlatBeepReset();
    Keys(h, IDC_INS_PAGES, u"1,2-3");
    EXPECT_EQ(Text(h, IDC_INS_PAGES), u"123");
    EXPECT_EQ(PlatBeepCount(), 2);
    // A pasted list gets past the keys and is refused at OK.
    Paste(h, IDC_INS_PAGES, u"1,2");
    PlatMsgBoxReset();
    ASSERT_TRUE(PlatScriptPressOK(h)) << Err();
    ASSERT_FALSE(Ended(h));
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes()[0], Res(28515));
    Close(h);
}

TEST_F(InsertSheetDlg, APageTakenByASheetOfTheSameKindIsADuplicate)
{
    struct Row {
        const char* what;
        WORD stored;     // print type of the sheet already at page 5
        WORD added;      // print type of the new sheet at page 5
        bool duplicate;
    };
    const Row rows[] = {
        {"simplex and printed share a place", 2, 4, true},
        {"duplex and simplex share a place", 3, 2, true},
        {"two standard sheets", 0, 0, true},
        {"standard and blank are different places", 0, 1, false},
        {"chapters and index paper", 5, 6, false},
        {"blank and printed", 1, 4, false},
    };
    for (const Row& r : rows) {
        SetCount(0);
        AddEntry(u"1,5,7", r.stored, 1);
        PrepareNew(r.added, 1);
        PlatMsgBoxReset();
        INT_PTR res = Run(IDD_INSERTSHEET, InsertSheetDlgProc, {Type(IDC_INS_PAGES, u"5"), PressOK(), PressCancel()});
        EXPECT_EQ(res, r.duplicate ? IDCANCEL : IDOK) << r.what << " " << Err();
        std::vector<std::u16string> boxes = Boxes();
        EXPECT_EQ(boxes.size(), r.duplicate ? 1u : 0u) << r.what;
        if (r.duplicate && !boxes.empty()) {
            EXPECT_NE(boxes[0].find(u"5"), std::u16string::npos) << Narrow(boxes[0]);
        }
        PlatScriptReset();
    }
    // An edited sheet does not collide with its own pages.
    SetCount(0);
    AddEntry(u"5", 2, 1);
    AddEntry(u"9", 2, 1);
    PrepareEdit(0);
    EXPECT_EQ(Run(IDD_INSERTSHEET, InsertSheetDlgProc, {PressOK()}), IDOK) << Err();
    EXPECT_EQ(WorkPages(), u"5");
    PrepareEdit(1);
    EXPECT_EQ(Run(IDD_INSERTSHEET, InsertSheetDlgProc, {Type(IDC_INS_PAGES, u"5"), PressOK(), PressCancel()}),
              IDCANCEL);
}

// ---- Print type, paper source and binding ----

TEST_F(InsertSheetDlg, ThePrintTypeSetsTheBindingAndPaperSource)
{
    struct Row {
        const char* what;
        bool duplex;
        SHORT duplexBinding;
        SHORT type;
        SHORT binding;
        SHORT tray;
        bool bindingEnabled;
        bool trayEnabled;
        bool indexEnabled;
    };
    const Row rows[] = {
        {"duplex sheet, document simplex", false, 1, 3, 2, 1, true, true, false},
        {"duplex sheet, document bound on the long edge", true, 3, 3, 3, 1, true, true, false},
        {"duplex sheet, document bound on the short edge", true, 2, 3, 2, 1, true, true, false},
        {"simplex sheet in a duplex document", true, 3, 2, 1, 1, false, true, false},
        {"simplex sheet", false, 1, 2, 1, 1, false, true, true},
        {"chapters come from the document's paper", false, 1, 5, 1, 4096, false, false, false},
    };
    for (const Row& r : rows) {
        Set(u"Layout_Check2", r.duplex ? 1 : 0);
        Set(u"Duplex_Check", r.duplex ? 1 : 0);
        Set(u"lpDuplex", r.duplexBinding);
        PrepareNew(0, 1);
        HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
        BindFeatureFields(pObj);
        int j = FindFeatureItem(2405, r.type);
        ASSERT_GE(j, 0);
        ASSERT_TRUE(PlatScriptChoose(h, IDC_INS_PRINTTYPE, nullptr, GetFeatureItem(2405, j)->szText, -1)) << Err();
        EXPECT_EQ(Get(u"lpInterSheetListPRNType"), r.type) << r.what;
        EXPECT_EQ(Get(u"lpInterSheetListBinding"), r.binding) << r.what;
        EXPECT_EQ(Get(u"lpInterSheetListTray"), r.tray) << r.what;
        EXPECT_EQ(Enabled(h, IDC_INS_BINDING), r.bindingEnabled) << r.what;
        EXPECT_EQ(Enabled(h, IDC_INS_TRAY), r.trayEnabled) << r.what;
        // Duplex and chapter sheets cannot be index paper, nor can any sheet
        // of a duplex document that does not switch sheet by sheet.
        EXPECT_EQ(Enabled(h, IDC_INS_INDEX), r.indexEnabled) << r.what;
        Close(h);
    }
}

// ---- Index paper ----

TEST_F(InsertSheetDlg, IndexPaperShowsTheHeadingControlsAndItsPicture)
{
    PrepareNew(0, 1);
    HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
    EXPECT_TRUE(Shown(h, IDC_INS_SHEET_PICTURE));
    EXPECT_FALSE(Shown(h, IDC_INS_TAB_PICTURE));
    for (int id : {IDC_INS_TABTEXT, IDC_INS_TABPOS, IDC_INS_DETAILS})
        EXPECT_FALSE(Enabled(h, id)) << id;
    Picture(h, "insertsheet_2400_off");
    ASSERT_TRUE(PlatScriptType(h, IDC_INS_PAGES, nullptr, u"3")) << Err();
    ASSERT_TRUE(PlatScriptClick(h, IDC_INS_INDEX, nullptr)) << Err();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Get(u"PrnTabIndex"), 1);
    EXPECT_TRUE(Checked(h, IDC_INS_INDEX));
    EXPECT_FALSE(Shown(h, IDC_INS_SHEET_PICTURE));
    EXPECT_TRUE(Shown(h, IDC_INS_TAB_PICTURE));
    EXPECT_TRUE(Enabled(h, IDC_INS_TABTEXT));
    EXPECT_TRUE(Enabled(h, IDC_INS_TABPOS));
    EXPECT_FALSE(Enabled(h, IDC_INS_DETAILS)) << "no heading to lay out yet";
    ASSERT_TRUE(PlatScriptType(h, IDC_INS_TABTEXT, nullptr, u"Chapter 1")) << Err();
    EXPECT_TRUE(Enabled(h, IDC_INS_DETAILS));
    EXPECT_EQ(std::u16string(Work()->szLiveTabText), u"Chapter 1");
    // The heading positions: automatic, then one per tab.
    Set(u"lpTabIndexNum", 5);
    std::vector<std::u16string> items = ComboItems(h, IDC_INS_TABPOS);
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[0], Res(28531));
    EXPECT_EQ(items[1], u"1/5");
    EXPECT_EQ(items.back(), u"5/5");
    Picture(h, "insertsheet_2400_on");
    ASSERT_TRUE(PlatScriptPressOK(h)) << Err();
    EXPECT_TRUE(Ended(h));
    EXPECT_EQ(std::u16string(Work()->szTabText), u"Chapter 1");
    EXPECT_EQ(std::u16string(Work()->szLiveTabText), u"") << "the live heading ends with the dialog";
    EXPECT_EQ(WorkPages(), u"3");
}

TEST_F(InsertSheetDlg, TheDetailsButtonOpensTheHeadingTextDetails)
{
    PrepareNew(0, 1);
    Set(u"PrnTabIndex", 1);
    const PLATSCRIPTSTEP details[] = {Type(IDC_TTD_SIZE, u"20"), PressOK()};
    ASSERT_TRUE(PlatScriptOnDialog(IDD_TABTEXTDETAIL, details, 2));
    INT_PTR r = Run(IDD_INSERTSHEET, InsertSheetDlgProc,
                    {Type(IDC_INS_PAGES, u"2"), Type(IDC_INS_TABTEXT, u"A"), Click(IDC_INS_DETAILS), PressOK()});
    EXPECT_EQ(r, IDOK) << Err();
    EXPECT_EQ(Get(u"TabTextFontSize"), 20);
    EXPECT_EQ(std::u16string(Work()->szTabText), u"A");
}

TEST_F(InsertSheetDlg, CancelLeavesTheWorkingRecordsPagesAlone)
{
    AddEntry(u"2-4", 0, 1, 1, 1, u"Old");
    PrepareEdit(0);
    memcpy(Work()->szPages, u"2-4", 8);
    INT_PTR r = Run(IDD_INSERTSHEET, InsertSheetDlgProc,
                    {Type(IDC_INS_PAGES, u"7"), Type(IDC_INS_TABTEXT, u"New"), PressCancel()});
    EXPECT_EQ(r, IDCANCEL) << Err();
    EXPECT_EQ(std::u16string(Work()->szTabText), u"");
    EXPECT_EQ(std::u16string(Work()->szLiveTabText), u"");
    EXPECT_EQ(std::u16string(Entries()[0].szPages), u"2-4") << "the entry is the page's to store";
}

TEST_F(InsertSheetDlg, IndexPaperStaysOffWhileSomethingForbidsIt)
{
    struct Row {
        const char* what;
        SHORT tray;
        const char16_t* pages;
        std::vector<std::pair<WORD, SHORT>> lines;  // the conflicts listed
        bool singleSheetText;
    };
    const Row rows[] = {
        {"the document's paper source", 4096, u"3", {{2407, 4096}}, false},
        {"more than one page", 1, u"3,5", {}, true},
        {"both", 4096, u"3-5", {{2407, 4096}}, true},
    };
    for (const Row& r : rows) {
        PrepareNew(0, (WORD)r.tray);
        PlatMsgBoxReset();
        HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
        ASSERT_TRUE(PlatScriptType(h, IDC_INS_PAGES, nullptr, r.pages)) << Err();
        ASSERT_TRUE(PlatScriptClick(h, IDC_INS_INDEX, nullptr)) << r.what << Err();
        EXPECT_EQ(Get(u"PrnTabIndex"), 0) << r.what;
        EXPECT_FALSE(Checked(h, IDC_INS_INDEX)) << r.what;
        std::u16string want = Res(28532);
        for (auto& l : r.lines)
            want += Line(0, l.first, l.second);
        if (r.singleSheetText)
            want += (r.lines.empty() ? u"" : Res(28533)) + Res(28515);
        std::vector<std::u16string> boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << r.what;
        EXPECT_EQ(boxes[0], want) << r.what << ": " << Narrow(boxes[0]);
        Close(h);
    }
}

TEST_F(InsertSheetDlg, SwitchingIndexPaperOffReplacesWhatOnlyTheTabPaperAllowed)
{
    // With this paper source unit the large capacity tray feeds A3 only as
    // tab paper.
    Set(u"lpSourceUnit", 2);
    Set(u"lpOutputPaper", 257);
    Set(u"lpMediaSize", 8);
    PrepareNew(0, 260);
    Set(u"PrnTabIndex", 1);
    HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
    ASSERT_EQ(Get(u"lpInterSheetListTray"), 260) << Narrow(ComboText(h, IDC_INS_TRAY));
    ASSERT_TRUE(PlatScriptClick(h, IDC_INS_INDEX, nullptr)) << Err();
    EXPECT_EQ(Get(u"PrnTabIndex"), 0);
    EXPECT_EQ(Get(u"lpInterSheetListTray"), 4096) << "the first source left";
    std::vector<std::u16string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], Res(28535) + Line(22310, 2407, 4096)) << Narrow(boxes[0]);
    EXPECT_EQ(ComboText(h, IDC_INS_TRAY), GetValueName(2407, 4096));
    // Switched on again, nothing changes and nothing is said.
    PlatMsgBoxReset();
    Set(u"lpInterSheetListTray", 1);
    InsertSheetUpdateControl(h, IDC_INS_TRAY);
    ASSERT_TRUE(PlatScriptClick(h, IDC_INS_INDEX, nullptr)) << Err();
    ASSERT_TRUE(PlatScriptClick(h, IDC_INS_INDEX, nullptr)) << Err();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Get(u"lpInterSheetListTray"), 1);
    Close(h);
}

TEST_F(InsertSheetDlg, IndexPaperRuleFollowsTheDocumentSettings)
{
    struct Row {
        const char* what;
        std::vector<std::pair<const char16_t*, SHORT>> settings;
        bool enabled;
    };
    const Row rows[] = {
        {"nothing in the way", {}, true},
        {"punched on the Setup page", {{u"Layout_Check2", 1}, {u"Punch_Check", 1}}, false},
        {"one sheet per copy", {{u"POD_Check", 1}, {u"POD_OnePerSheet_Check", 1}}, false},
        {"duplex without per-sheet switching", {{u"Layout_Check2", 1}, {u"Duplex_Check", 1}, {u"Mixplex_Check", 0}}, false},
        {"duplex with per-sheet switching", {{u"Layout_Check2", 1}, {u"Duplex_Check", 1}, {u"Mixplex_Check", 1}}, true},
        {"graphics mode 1", {{u"lpGraphicsMode", 1}}, false},
    };
    for (const Row& r : rows) {
        for (const char16_t* k : {u"Layout_Check2", u"Punch_Check", u"POD_Check", u"POD_OnePerSheet_Check",
                                  u"Duplex_Check", u"Mixplex_Check"})
            Set(k, 0);
        Set(u"lpGraphicsMode", 0);
        for (auto& s : r.settings)
            Set(s.first, s.second);
        PrepareNew(0, 1);
        HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
        EXPECT_EQ(Enabled(h, IDC_INS_INDEX), r.enabled) << r.what;
        Close(h);
    }
}

// ---- Notices ----

TEST_F(InsertSheetDlg, TheChangeNoticeShowsOnceAtTheFirstPaint)
{
    AddEntry(u"4", 2, 1);
    PrepareEdit(0);
    Work()->bPrintTypeChanged = 1;
    Work()->bTrayChanged = 1;
    Work()->bBindingChanged = 1;  // not listed: the sheet is not duplex
    HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
    for (int i = 0; i < 3; ++i) {
        InvalidateRect(h, nullptr, TRUE);
        UpdateWindow(h);
        PlatPumpMessages();
    }
    std::vector<std::u16string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], Res(22226) + Line(22310, 2405, 2) + Line(22310, 2407, 1));
    EXPECT_EQ(Text(h, IDC_INS_PAGES), u"4") << "the entry's pages are shown";
    Close(h);
    // A new sheet, or an edit that replaced nothing, shows none.
    PlatMsgBoxReset();
    PrepareNew(0, 1);
    Work()->bPrintTypeChanged = 1;
    Close(Open(IDD_INSERTSHEET, InsertSheetDlgProc));
    PrepareEdit(0);
    Close(Open(IDD_INSERTSHEET, InsertSheetDlgProc));
    EXPECT_TRUE(Boxes().empty());
}

// ---- The engine's route ----

TEST_F(InsertSheetDlg, TheEngineRefreshesTheOpenDialog)
{
    PrepareNew(0, 1);
    HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
    Set(u"lpInterSheetListTray", 2);
    EXPECT_NE(ComboText(h, IDC_INS_TRAY), GetResString(45317));
    EXPECT_EQ(UpdateFeatureControl(nullptr, 2407, 2), 1);
    EXPECT_EQ(ComboText(h, IDC_INS_TRAY), GetResString(45317));
    EXPECT_EQ(InsertSheetUpdateControl(h, 2403), 0) << "the page list has no refresh";
    Close(h);
    EXPECT_EQ(InsertSheetUpdateControl(h, 2407), 0) << "closed";
}

struct HelpCall {
    UINT uCommand;
    ULONG_PTR dwData;
};
std::vector<HelpCall> g_help;
BOOL RecordHelp(HWND, LPCWSTR, UINT uCommand, ULONG_PTR dwData)
{
    g_help.push_back({uCommand, dwData});
    return TRUE;
}

TEST_F(InsertSheetDlg, HelpButtonsOpenTheirTopics)
{
    PlatSetVersion(5, 1);
    HelpSetEngines(RecordHelp, nullptr);
    g_help.clear();
    PrepareNew(0, 1);
    HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
    ASSERT_TRUE(PlatScriptClick(h, IDC_INS_HELP, nullptr)) << Err();
    Close(h);
    h = Open(IDD_TABTEXTDETAIL, TabTextDetailDlgProc);
    ASSERT_TRUE(PlatScriptClick(h, IDC_TTD_HELP, nullptr)) << Err();
    Close(h);
    HelpSetEngines(nullptr, nullptr);
    ASSERT_EQ(g_help.size(), 2u);
    EXPECT_EQ(g_help[0].uCommand, (UINT)HELP_CONTEXT);
    EXPECT_EQ(g_help[0].dwData, 3108u);
    EXPECT_EQ(g_help[1].dwData, 3111u);
}

TEST_F(InsertSheetDlg, AFullHeadingTakesNoMoreCharacters)
{
    PrepareNew(0, 1);
    Set(u"PrnTabIndex", 1);
    HWND h = Open(IDD_INSERTSHEET, InsertSheetDlgProc);
    std::u16string full(64, u'x');
    Paste(h, IDC_INS_TABTEXT, full.c_str());
    PlatBeepReset();
    Keys(h, IDC_INS_TABTEXT, u"y");
    EXPECT_EQ(Text(h, IDC_INS_TABTEXT).size(), 64u);
    EXPECT_EQ(PlatBeepCount(), 1);
    EXPECT_EQ(std::u16string(Work()->szLiveTabText), full);
    // Typing over a selection is fine.
    SendDlgItemMessageW(h, IDC_INS_TABTEXT, EM_SETSEL, 0, 1);
    PlatScriptPressKey(h, 0, u'y');
    EXPECT_EQ(std::u16string(Work()->szLiveTabText), u"y" + full.substr(1));
    Close(h);
}

TEST_F(InsertSheetDlg, ReaderTakesAnAutomaticHeadingPositionAsZero)
{
    INSERTSHEET e = {};
    e.wTabPosition = 3;
    e.lTabAuto = 1;
    EXPECT_EQ(InsertSheetTabPosition(&e), 0);
    e.lTabAuto = 0;
    EXPECT_EQ(InsertSheetTabPosition(&e), 3);
}

TEST_F(InsertSheetDlg, ResettingTheInterSheetStateClearsTheEntryIndex)
{
    Work()->wEntry = 7;
    ResetInterSheetState(pObj);
    EXPECT_EQ(Work()->wEntry, 0);
}

}  // namespace

