// Page helpers: page-list checks and their warnings, help routing, value
// lists and edit-text helpers, as a user of a page meets them.
#include "ui/pages/pagehelpers.h"

#include "platform/windows.h"
#include "platform/gdi/msgbox.h"
#include "ui/settings/strcache.h"

#include "platform/spooler/winspool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::u16string W(const char* s)
{
    return std::u16string(s, s + strlen(s));
}

// ---- page-list syntax ----

struct SyntaxRow {
    const char* text;
    int maxDigits;
    int expected;
};

const SyntaxRow kSyntaxRows[] = {
    {"2,4,6-10", 3, PAGELIST_OK},
    {"", 3, PAGELIST_OK},
    {"1-3,5,", 3, PAGELIST_OK},            // a trailing separator is the parser's business
    {",2", 3, PAGELIST_BAD_COMMA},
    {"2,,3", 3, PAGELIST_BAD_COMMA},
    {"2,-3", 3, PAGELIST_BAD_COMMA},
    {"2-,3", 3, PAGELIST_BAD_COMMA},
    {"02", 3, PAGELIST_LEADING_ZERO},
    {"2,05", 3, PAGELIST_LEADING_ZERO},
    {"3-07", 3, PAGELIST_LEADING_ZERO},
    {"-2", 3, PAGELIST_BAD_HYPHEN},
    {"2--3", 3, PAGELIST_BAD_HYPHEN},
    {"1-3-5", 3, PAGELIST_BAD_HYPHEN},
    {"1-3,5-7", 3, PAGELIST_OK},
    {"2a", 3, PAGELIST_BAD_CHAR},
    {"1 2", 3, PAGELIST_BAD_CHAR},
    {"1234", 3, PAGELIST_BAD_CHAR},
    {"1234", 4, PAGELIST_OK},
    {"5,1000", 3, PAGELIST_BAD_CHAR},
    {"5-1000,3", 3, PAGELIST_BAD_CHAR},
    {"999,998-997", 3, PAGELIST_OK},
};

TEST(PageListSyntax, EachTextGetsItsCode)
{
    for (const SyntaxRow& r : kSyntaxRows) {
        std::u16string t = W(r.text);
        EXPECT_EQ(CheckPageListSyntax(t.c_str(), (int)t.size(), r.maxDigits), r.expected) << r.text;
    }
    EXPECT_EQ(CheckPageListSyntax(nullptr, 5, 3), PAGELIST_OK);
}

TEST(PageListSyntax, LongTextsStopAtTheTableSize)
{
    // "1,1,1,..." of 254 characters still fits the position table; one more
    // character is refused without reading past it.
    std::u16string t;
    while (t.size() < 253)
        t += u"1,";
    t.resize(253);
    t += u"1";
    ASSERT_EQ(t.size(), 254u);
    EXPECT_EQ(CheckPageListSyntax(t.c_str(), 254, 3), PAGELIST_OK);
    t += u",";
    EXPECT_EQ(CheckPageListSyntax(t.c_str(), 255, 3), PAGELIST_BAD_CHAR);
}

// ---- duplicates ----

TEST(DuplicatePages, CollectedOnceInOrderOfFirstOccurrence)
{
    const SHORT in[] = {5, 3, 5, 3, 5};
    SHORT out[14] = {};
    ASSERT_EQ(CollectDuplicateValues(in, 5, out, 14), 2);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[1], 3);
    const SHORT distinct[] = {1, 2, 3};
    EXPECT_EQ(CollectDuplicateValues(distinct, 3, out, 14), 0);
    const SHORT many[] = {1, 1, 2, 2, 3, 3};
    EXPECT_EQ(CollectDuplicateValues(many, 6, out, 2), 2);  // stops when the output is full
}

class DuplicateWarning : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(LoadResourceDll(), nullptr);
        PlatMsgBoxReset();
    }
    void TearDown() override
    {
        PlatMsgBoxReset();
        FreeResourceDll();
    }
};

TEST_F(DuplicateWarning, ListsTheNumbersSorted)
{
    const SHORT dup[] = {5, 3};
    ASSERT_TRUE(ShowDuplicatePagesWarning(nullptr, 20210, dup, 2));
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    HWND h;
    LPCWSTR text, caption;
    UINT type;
    ASSERT_TRUE(PlatMsgBoxGet(0, &h, &text, &caption, &type));
    std::u16string expected = std::u16string(GetResString(28502)) + GetResString(28503) + u"3,5";
    EXPECT_EQ(std::u16string(text), expected);
    EXPECT_EQ(std::u16string(caption), std::u16string(GetResString(20210)));
    EXPECT_EQ(type, (UINT)MB_ICONWARNING);
    EXPECT_EQ(dup[0], 5);  // the caller's numbers stay as they were
}

TEST_F(DuplicateWarning, MoreThanFiveEndWithTheEllipsisText)
{
    const SHORT seven[] = {1, 2, 3, 4, 5, 6, 7};
    WCHAR sz[DUPLIST_CCH];
    ASSERT_TRUE(FormatDuplicateList(seven, 7, sz, DUPLIST_CCH));
    EXPECT_EQ(std::u16string(sz), u"1,2,3,4,5," + std::u16string(GetResString(21580)));
    ASSERT_TRUE(FormatDuplicateList(seven, 5, sz, DUPLIST_CCH));
    EXPECT_EQ(std::u16string(sz), u"1,2,3,4,5");
    // A number is written only while it fits whole.
    const SHORT big[] = {1000, 2000};
    ASSERT_TRUE(FormatDuplicateList(big, 2, sz, 8));
    EXPECT_EQ(std::u16string(sz), u"1000,");
}

// ---- page-list errors ----

struct ErrorRow {
    int error, kind;
    std::u16string (*expected)();
};

std::u16string Fmt(LPCWSTR fmt, ...)
{
    WCHAR buf[1100];
    va_list ap;
    va_start(ap, fmt);
    wvsprintfW(buf, fmt, ap);
    va_end(ap);
    return buf;
}

TEST_F(DuplicateWarning, PageListErrorTexts)
{
    const ErrorRow rows[] = {
        {1, 1, [] { return Fmt(GetResString(28514), GetResString(21002), 4); }},
        {1, 3, [] { return Fmt(GetResString(28514), GetResString(21001), 3); }},
        {1, 5, [] { return Fmt(GetResString(28514), GetResString(21001), 3); }},
        {1, 4, [] { return std::u16string(GetResString(28515)); }},
        {1, 2, [] { return Fmt(GetResString(28514), u"--", 0); }},
        {2, 2, [] { return Fmt(GetResString(28512), GetResString(21003)) + GetResString(28513); }},
        {3, 1, [] { return Fmt(GetResString(28512), GetResString(21004)) + GetResString(28513); }},
        {4, 3, [] { return Fmt(GetResString(28512), GetResString(21005)) + GetResString(28513); }},
        {5, 1, [] { return Fmt(GetResString(21018), GetResString(21002), Fmt(GetResString(28501), 9999).c_str()); }},
        {5, 2, [] { return Fmt(GetResString(21018), GetResString(21001), Fmt(GetResString(29001), 30).c_str()); }},
        {5, 3, [] { return Fmt(GetResString(21018), GetResString(21001), Fmt(GetResString(28597), 28).c_str()); }},
        {5, 4, [] { return std::u16string(u"--"); }},
    };
    for (const ErrorRow& r : rows) {
        PlatMsgBoxReset();
        ASSERT_TRUE(ShowPageListError(nullptr, 21009, r.error, r.kind));
        HWND h;
        LPCWSTR text, caption;
        UINT type;
        ASSERT_TRUE(PlatMsgBoxGet(0, &h, &text, &caption, &type));
        EXPECT_EQ(std::u16string(text), r.expected()) << r.error << "/" << r.kind;
        EXPECT_EQ(std::u16string(caption), std::u16string(GetResString(21009)));
    }
    // The user reads the real sentence, not a format.
    WCHAR sz[1026];
    ASSERT_TRUE(FormatPageListError(2, 2, sz, 1026));
    EXPECT_EQ(std::u16string(sz).find(u"%s"), std::u16string::npos);
    EXPECT_FALSE(ShowPageListError(nullptr, 21009, 0, 1));
}

// ---- help ----

struct HelpCall {
    int engine;  // 1 WinHelpW, 2 HtmlHelpW
    std::u16string file;
    UINT command;
    ULONG_PTR data;
};
std::vector<HelpCall> g_calls;

BOOL RecordWinHelp(HWND, LPCWSTR file, UINT command, ULONG_PTR data)
{
    g_calls.push_back({1, file, command, data});
    return TRUE;
}

HWND RecordHtmlHelp(HWND, LPCWSTR file, UINT command, DWORD_PTR data)
{
    g_calls.push_back({2, file, command, data});
    return (HWND)1;
}

class Help : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        HelpSetEngines(RecordWinHelp, RecordHtmlHelp);
    }
    void TearDown() override
    {
        HelpSetEngines(nullptr, nullptr);
        PlatSetVersion(5, 1);
    }
};

TEST_F(Help, RoutedByOperatingSystem)
{
    struct Row {
        DWORD major, minor;
        UINT command;
        int engine;  // 0: nothing is shown
        const char16_t* tail;
        UINT sentCommand;
    };
    const Row rows[] = {
        {5, 1, HELP_CONTEXT, 1, SPL_DRIVER_SUBDIRECTORY u"\\Q730MVHZ.hlp", HELP_CONTEXT},
        {5, 0, HELP_WM_HELP, 1, SPL_DRIVER_SUBDIRECTORY u"\\Q730MVHZ.hlp", HELP_WM_HELP},
        {5, 1, HELP_CONTEXTMENU, 1, SPL_DRIVER_SUBDIRECTORY u"\\Q730MVHZ.hlp", HELP_CONTEXTMENU},
        {6, 0, HELP_CONTEXT, 2, SPL_DRIVER_SUBDIRECTORY u"\\Q730MVHZ.chm", HH_HELP_CONTEXT},
        {6, 1, HELP_WM_HELP, 0, nullptr, 0},
        {6, 1, HELP_CONTEXTMENU, 0, nullptr, 0},
    };
    WCHAR szSys[MAX_PATH];
    GetSystemDirectoryW(szSys, MAX_PATH);
    for (const Row& r : rows) {
        g_calls.clear();
        PlatSetVersion(r.major, r.minor);
        WCHAR path[HELPTABLE_PATH_CCH] = u"left over";
        ShowDriverHelp(nullptr, path, r.command, 2004);
        if (!r.engine) {
            EXPECT_TRUE(g_calls.empty()) << r.major << "." << r.minor << " " << r.command;
            continue;
        }
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0].engine, r.engine);
        EXPECT_EQ(g_calls[0].file, std::u16string(szSys) + r.tail);
        EXPECT_EQ(g_calls[0].command, r.sentCommand);
        EXPECT_EQ(g_calls[0].data, 2004u);
    }
}

TEST_F(Help, TableHasItsPairsAndFirstPairWins)
{
    const DWORD* p = GetHelpTable();
    int n = 0;
    while (p[2 * n] || p[2 * n + 1])
        ++n;
    EXPECT_EQ(n, HELPTABLE_PAIRS);
    // rows the pages and dialogs rely on
    EXPECT_EQ(GetHelpContext(105), 1u);
    EXPECT_EQ(GetHelpContext(170), 5000u);
    EXPECT_EQ(GetHelpContext(816), 810u);
    EXPECT_EQ(GetHelpContext(1806), 20u);
    EXPECT_EQ(GetHelpContext(1808), 21u);
    EXPECT_EQ(GetHelpContext(1807), 22u);
    EXPECT_EQ(GetHelpContext(166), 901u);
    EXPECT_EQ(GetHelpContext(2024), 29u);
    EXPECT_EQ(GetHelpContext(4), 0u);
    int nPanes = 0;
    for (int i = 0; i < n; ++i)
        nPanes += p[2 * i] == 166;
    EXPECT_EQ(nPanes, 4);
}

TEST(OsClass, ByVersion)
{
    struct Row {
        DWORD major, minor, platform, cls;
        BOOL nt6;
    };
    const Row rows[] = {
        {4, 0, VER_PLATFORM_WIN32_WINDOWS, OSCLASS_WIN95, FALSE},
        {4, 10, VER_PLATFORM_WIN32_WINDOWS, OSCLASS_WIN98, FALSE},
        {4, 90, VER_PLATFORM_WIN32_WINDOWS, 0, FALSE},
        {4, 0, VER_PLATFORM_WIN32_NT, OSCLASS_NT4, FALSE},
        {5, 0, VER_PLATFORM_WIN32_NT, OSCLASS_WIN2000, FALSE},
        {5, 1, VER_PLATFORM_WIN32_NT, OSCLASS_WINXP, FALSE},
        {5, 2, VER_PLATFORM_WIN32_NT, 0, FALSE},
        {6, 1, VER_PLATFORM_WIN32_NT, 0, TRUE},
    };
    for (const Row& r : rows) {
        PlatSetVersion(r.major, r.minor, 2600, r.platform);
        EXPECT_EQ(GetOsClass(), r.cls) << r.major << "." << r.minor;
        EXPECT_EQ(bIsNt6OrLater(), r.nt6) << r.major << "." << r.minor;
    }
    PlatSetVersion(5, 1);
}

// ---- value lists ----

struct ListImage {
    UIITEMLIST head;
    UIITEMCHOICE items[5];
};

ListImage MakeList(std::initializer_list<std::pair<SHORT, SHORT>> items)
{
    ListImage l = {};
    for (auto [code, state] : items) {
        UIITEMCHOICE& it = l.items[l.head.sCount++];
        it.sValue = code;
        it.sEnabled = state;
        wsprintfW(it.szText, u"item %d", code);
    }
    return l;
}

TEST(ValueList, PositionsCountOnlyEnabledItems)
{
    ListImage l = MakeList({{1, 1}, {2, 4}, {3, 1}, {9, 1}});
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 1), 0);
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 3), 1);
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 9), 2);
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 2), POSITION_NONE);
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 7), POSITION_NONE);
    EXPECT_EQ(GetItemPosition(&l.head, 9), 3);
    EXPECT_EQ(GetItemPosition(&l.head, 2), 1);
    EXPECT_EQ(GetItemPosition(&l.head, 7), POSITION_NONE);
    EXPECT_EQ(FindValueListText(&l.head, u"item 3"), 2);
    EXPECT_EQ(FindValueListText(&l.head, u"item"), POSITION_NONE);
}

TEST(ValueList, ACodeListedTwiceIsFoundWhereItIsShown)
{
    // Page orders: the portrait pair disabled, the landscape pair shown.
    ListImage l = MakeList({{1, 4}, {2, 4}, {1, 1}, {2, 1}, {3, 4}});
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 1), 0);
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 2), 1);
    EXPECT_EQ(GetEnabledItemPosition(&l.head, 3), POSITION_NONE);
}

TEST(ValueList, TheComboSelectionIsFoundByItsText)
{
    // A list of four items, two of them with one text; the combo shows the
    // enabled ones.
    ListImage l = MakeList({{1, 4}, {2, 1}, {3, 1}, {9, 1}});
    wsprintfW(l.items[3].szText, u"item 2");
    HWND h = CreateWindowExW(0, WC_COMBOBOXW, u"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    for (const char16_t* t : {u"item 2", u"item 3", u"item 2", u"no such item"})
        SendMessageW(h, CB_ADDSTRING, 0, (LPARAM)t);
    // Nothing selected yet.
    EXPECT_EQ(FindComboSelectionInList(h, &l.head), POSITION_NONE);
    SendMessageW(h, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(FindComboSelectionInList(h, &l.head), 2);
    // The first item with the text, whatever the combo position.
    SendMessageW(h, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(FindComboSelectionInList(h, &l.head), 1);
    SendMessageW(h, CB_SETCURSEL, 3, 0);
    EXPECT_EQ(FindComboSelectionInList(h, &l.head), POSITION_NONE);
    EXPECT_EQ(FindComboSelectionInList(h, nullptr), POSITION_NONE);
    EXPECT_EQ(FindComboSelectionInList(nullptr, &l.head), POSITION_NONE);
    DestroyWindow(h);
}

// ---- edit helpers ----

TEST(EditText, InsertReplacesTheSelection)
{
    struct Row {
        const char* text;
        WORD selStart, selEnd;
        char ch;
        int max;
        const char* expected;  // null: refused (0)
    };
    const Row rows[] = {
        {"12", 2, 2, '3', 10, "123"},
        {"12", 0, 0, '3', 10, "312"},
        {"1234", 1, 3, '9', 10, "194"},
        {"1234", 0, 4, '5', 10, "5"},
        {"123", 3, 3, '4', 3, nullptr},   // would be 4 characters in a field of 3
        {"123", 1, 2, '4', 3, "143"},     // replacing keeps it at 3
        {"12", 1, 5, '4', 10, nullptr},   // a selection past the text
        {"12", 0, 0, '4', 0, nullptr},
    };
    for (const Row& r : rows) {
        std::u16string t = W(r.text);
        WCHAR out[16];
        for (WCHAR& c : out)
            c = u'#';
        int n = InsertCharInText(t.c_str(), out, r.max, MAKELONG(r.selStart, r.selEnd), (WCHAR)r.ch);
        if (!r.expected) {
            EXPECT_EQ(n, 0) << r.text;
            continue;
        }
        EXPECT_EQ(std::u16string(out), W(r.expected)) << r.text;
        EXPECT_EQ(n, (int)strlen(r.expected));
        EXPECT_EQ(out[n + 1], u'#');  // nothing written after the terminator
    }
    EXPECT_EQ(InsertCharInText(nullptr, nullptr, 5, 0, u'1'), 0);
}

TEST(EditText, DigitsAndNines)
{
    EXPECT_TRUE(bHasNonZeroDigit(u"0003"));
    EXPECT_FALSE(bHasNonZeroDigit(u"000"));
    EXPECT_FALSE(bHasNonZeroDigit(u""));
    EXPECT_FALSE(bHasNonZeroDigit(nullptr));
    WCHAR sz[8] = u"abcdefg";
    FillWithNines(4, sz);
    EXPECT_EQ(std::u16string(sz), u"9999efg");
}

}  // namespace

namespace {

class SheetOrigin : public DuplicateWarning {
protected:
    void TearDown() override
    {
        PlatSetVersion(5, 1);
        DuplicateWarning::TearDown();
    }
};

TEST_F(SheetOrigin, TitleSuffixOnNt5Only)
{
    std::u16string print = std::u16string(u"Book1 ") + GetResString(31632);
    std::u16string props = std::u16string(u"Printer ") + GetResString(31633);
    struct Row {
        DWORD major, minor;
        const char16_t* title;
        BOOL keep, expected;
    };
    const Row rows[] = {
        {5, 1, print.c_str(), TRUE, FALSE},
        {5, 0, props.c_str(), TRUE, FALSE},
        {5, 1, u"Page Setup", FALSE, TRUE},
        {5, 1, u"", FALSE, TRUE},
        {5, 1, nullptr, FALSE, TRUE},
        {5, 1, GetResString(31632), TRUE, TRUE},  // the suffix alone is no sheet title of 5 or more
        {4, 0, u"Page Setup", FALSE, FALSE},  // other systems keep the earlier answer
        {6, 1, print.c_str(), TRUE, TRUE},
    };
    for (const Row& r : rows) {
        PlatSetVersion(r.major, r.minor);
        EXPECT_EQ(TitleLacksSheetSuffix(r.title, r.keep), r.expected) << r.major << "." << r.minor;
    }
}

}  // namespace
