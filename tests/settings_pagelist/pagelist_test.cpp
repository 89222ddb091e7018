// Page-list codec: texts to numbers, numbers to texts, the tagged settings
// text, and the bounds that keep foreign input out of the slots.
#include "ui/settings/pagelist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::u16string Text(LPCWSTR psz) {
    return psz ? std::u16string(psz) : std::u16string();
}

std::vector<SHORT> Slot(const PAGELISTS& lists, int nSlot) {
    SHORT a[PAGELIST_MAX];
    int n = 0;
    LoadPageSlot(&lists, nSlot, &n, a, 0, PAGELIST_MAX);
    return std::vector<SHORT>(a, a + n);
}

std::vector<SHORT> Range(int a, int b) {
    std::vector<SHORT> v;
    for (int i = a; i <= b; ++i) v.push_back((SHORT)i);
    return v;
}

struct RangeCase {
    const char16_t* pszText;
    int nCapacity;
    int nResult;
    std::vector<SHORT> numbers;
};

TEST(PageListParse, RangesTable) {
    const RangeCase aCases[] = {
        {u"5-3", 30, 3, {3, 4, 5}},
        {u"1-30", 30, 30, Range(1, 30)},
        {u"1-30", 28, -1, {}},
        {u"1,2,3,5,7,8", 30, 6, {1, 2, 3, 5, 7, 8}},
        {u"9,1,5", 30, 3, {9, 1, 5}},
        {u"3,3", 30, 2, {3, 3}},
        {u"9999", 30, 1, {9999}},
        {u"1,2,3", 2, -1, {}},
        {u"", 30, 0, {}},
        {u"1,,2", 30, 0, {}},
        {u"5-", 30, 0, {}},
        {u"12345", 30, 0, {}},
        {u" 3", 30, 0, {}},
        {u"a", 30, 0, {}},
        {u"1-3-5", 30, 0, {}},
        {u"2,", 30, 0, {}},
    };
    for (const RangeCase& c : aCases) {
        SCOPED_TRACE(std::string(c.pszText, c.pszText + std::char_traits<char16_t>::length(c.pszText)));
        SHORT aOut[40] = {};
        int n = ParsePageRanges(c.pszText, aOut, c.nCapacity);
        EXPECT_EQ(n, c.nResult);
        if (n > 0) {
            EXPECT_EQ(std::vector<SHORT>(aOut, aOut + n), c.numbers);
        }
    }
    SHORT aOut[4];
    EXPECT_EQ(ParsePageRanges(nullptr, aOut, 4), 0);
}

TEST(PageListParse, RangeNeverWritesPastCapacity) {
    struct Block { SHORT a[28]; SHORT guard[2]; } block;
    block.guard[0] = block.guard[1] = 0x5555;
    EXPECT_EQ(ParsePageRanges(u"1-30", block.a, 28), -1);
    EXPECT_EQ(ParsePageRanges(u"1-27,28,29", block.a, 28), -1);
    EXPECT_EQ(block.guard[0], 0x5555);
    EXPECT_EQ(block.guard[1], 0x5555);
}

TEST(PageListParse, NumbersRejectNonDigits) {
    SHORT a[8] = {};
    EXPECT_EQ(ParsePageNumbers(u"12,7,300", a, 8), 3);
    EXPECT_EQ(a[0], 12);
    EXPECT_EQ(a[1], 7);
    EXPECT_EQ(a[2], 300);
    EXPECT_EQ(ParsePageNumbers(u" 3", a, 8), 0);
    EXPECT_EQ(ParsePageNumbers(u"a", a, 8), 0);
    EXPECT_EQ(ParsePageNumbers(u"1,2,3", a, 2), 2);
}

struct FormatCase {
    std::vector<SHORT> numbers;
    const char16_t* pszText;
};

TEST(PageListFormat, Table) {
    const FormatCase aCases[] = {
        {{1, 2, 3, 5, 7, 8}, u"1-3,5,7-8"},
        {{3, 3}, u"3,3"},
        {{1, 5, 9}, u"1,5,9"},
        {{4}, u"4"},
        {{1, 2}, u"1-2"},
        {{-5, 7}, u"-5,7"},
    };
    for (const FormatCase& c : aCases) {
        WCHAR sz[64];
        int n = FormatPageList(c.numbers.data(), (int)c.numbers.size(), sz, 64);
        EXPECT_EQ(Text(sz), c.pszText);
        EXPECT_EQ(n, (int)std::char_traits<char16_t>::length(c.pszText) + 1);
    }
}

TEST(PageListFormat, EmptyAndTooSmallGiveEmptyText) {
    SHORT a[] = {1000, 2000, 3000};
    WCHAR sz[10];
    sz[0] = u'x';
    EXPECT_EQ(FormatPageList(a, 0, sz, 10), 0);
    EXPECT_EQ(Text(sz), u"");
    // "1000,2000,3000" needs 15 characters: nothing is written beyond sz[9]
    // and no partial list is left behind.
    WCHAR big[16];
    for (WCHAR& ch : big) ch = u'#';
    EXPECT_EQ(FormatPageList(a, 3, big, 10), 0);
    EXPECT_EQ(Text(big), u"");
    for (int i = 10; i < 16; ++i) EXPECT_EQ(big[i], u'#');
    EXPECT_EQ(FormatPageList(a, 3, big, 15), 15);
    EXPECT_EQ(Text(big), u"1000,2000,3000");
}

TEST(PageListSlots, StoreSortsCapsAndLoadBounds) {
    PAGELISTS lists = {};
    SHORT aIn[] = {9, 1, 5};
    EXPECT_TRUE(StorePageSlot(&lists, 3, 2, aIn));
    EXPECT_EQ(Slot(lists, 2), (std::vector<SHORT>{1, 5, 9}));
    WCHAR sz[32];
    SHORT aOut[PAGELIST_MAX];
    int n = LoadPageSlot(&lists, 2, nullptr, aOut, 0, PAGELIST_MAX);
    FormatPageList(aOut, n, sz, 32);
    EXPECT_EQ(Text(sz), u"1,5,9");

    // The stored block of a foreign DEVMODE may claim more than 30.
    lists.acCount[2] = 200;
    EXPECT_EQ(GetPageSlotCount(&lists, 3), 30);
    struct { SHORT a[28]; SHORT guard[2]; } small;
    small.guard[0] = small.guard[1] = 0x7777;
    int cOut = -1;
    EXPECT_EQ(LoadPageSlot(&lists, 3, &cOut, small.a, 0, 28), 28);
    EXPECT_EQ(cOut, 28);
    EXPECT_EQ(small.guard[0], 0x7777);
    EXPECT_EQ(small.guard[1], 0x7777);

    // Slots outside 1..8 are ignored; a negative count never reaches a slot.
    PAGELISTS before = lists;
    EXPECT_TRUE(StorePageSlot(&lists, 1, 9, aIn));
    EXPECT_FALSE(StorePageSlot(&lists, -1, 2, aIn));
    EXPECT_EQ(memcmp(&before, &lists, sizeof(lists)), 0);
    EXPECT_EQ(GetPageSlotCount(&lists, 0), 0);

    SHORT a40[40];
    for (int i = 0; i < 40; ++i) a40[i] = (SHORT)(40 - i);
    StorePageSlot(&lists, 40, 5, a40);
    EXPECT_EQ(Slot(lists, 5), Range(11, 40));
    ClearPageSlot(&lists, 5);
    EXPECT_EQ(lists.acCount[4], 0);
    for (SHORT s : lists.aaPages[4]) EXPECT_EQ(s, 0);
}

struct TaggedCase {
    const char16_t* pszText;
    std::vector<SHORT> slot2;
    std::vector<SHORT> slot3;
    BOOL bResult;
};

TEST(PageListTagged, ParseTable) {
    const TaggedCase aCases[] = {
        {u"/C1-3/P7", {1, 2, 3}, {7}, TRUE},
        {u"/P2,4", {}, {2, 4}, TRUE},
        {u"2,4", {2, 4}, {}, TRUE},
        {u"/C1-3,5/P7", {1, 2, 3, 5}, {7}, TRUE},
        {u"/P7/C9,1", {1, 9}, {7}, TRUE},
        {u"", {}, {}, TRUE},
        {u"/X5", {}, {}, TRUE},
    };
    for (const TaggedCase& c : aCases) {
        SCOPED_TRACE(std::string(c.pszText, c.pszText + std::char_traits<char16_t>::length(c.pszText)));
        PAGELISTS lists = {};
        SHORT aOld[] = {50, 60};
        StorePageSlot(&lists, 2, 2, aOld);
        StorePageSlot(&lists, 2, 3, aOld);
        StorePageSlot(&lists, 2, 4, aOld);
        std::u16string text = c.pszText;
        EXPECT_EQ(ParseTaggedPageLists(&lists, text.data()), c.bResult);
        EXPECT_EQ(Slot(lists, 2), c.slot2);
        EXPECT_EQ(Slot(lists, 3), c.slot3);
        EXPECT_EQ(Slot(lists, 4), (std::vector<SHORT>{50, 60}));  // untagged slot untouched
    }
}

TEST(PageListTagged, UnreadableListLeavesSlot) {
    PAGELISTS lists = {};
    SHORT aOld[] = {50, 60};
    StorePageSlot(&lists, 2, 2, aOld);
    StorePageSlot(&lists, 2, 3, aOld);
    std::u16string text = u"/C 3/P1-30";  // " 3" is no number; 30 exceeds 28
    EXPECT_FALSE(ParseTaggedPageLists(&lists, text.data()));
    EXPECT_EQ(Slot(lists, 2), (std::vector<SHORT>{50, 60}));
    EXPECT_EQ(Slot(lists, 3), (std::vector<SHORT>{50, 60}));
}

TEST(PageListTagged, FormatAndSize) {
    EXPECT_EQ(GetPageTagsSize(), 496);
    PAGELISTS lists = {};
    WCHAR sz[248];
    EXPECT_EQ(FormatTaggedPageLists(&lists, sz, 248), 1);
    EXPECT_EQ(Text(sz), u"");
    SHORT a2[] = {1, 2, 3};
    SHORT a3[] = {7};
    StorePageSlot(&lists, 3, 2, a2);
    StorePageSlot(&lists, 1, 3, a3);
    EXPECT_EQ(FormatTaggedPageLists(&lists, sz, 248), 9);
    EXPECT_EQ(Text(sz), u"/C1-3/P7");
}

TEST(PageListTagged, FourDigitListsStayInsideTheTaggedBuffer) {
    // 30 scattered four-digit numbers need 149 characters per list, more than
    // the tag rows' text maxima; the caller's buffer of GetPageTagsSize()
    // bytes must still not be overrun.
    PAGELISTS lists = {};
    SHORT a[30];
    for (int i = 0; i < 30; ++i) a[i] = (SHORT)(1000 + 2 * i);
    StorePageSlot(&lists, 30, 2, a);
    StorePageSlot(&lists, 30, 3, a);
    const int cch = GetPageTagsSize() / 2;
    std::vector<WCHAR> buf(cch + 8, u'#');
    FormatTaggedPageLists(&lists, buf.data(), cch);
    for (int i = cch; i < cch + 8; ++i) EXPECT_EQ(buf[i], u'#');
    std::u16string text = buf.data();
    EXPECT_LT((int)text.size(), cch);
    // What was written reads back to the same first list.
    ASSERT_EQ(text.substr(0, 2), u"/C");
    PAGELISTS back = {};
    ParseTaggedPageLists(&back, text.data());
    EXPECT_EQ(Slot(back, 2), Slot(lists, 2));
}

}  // namespace
