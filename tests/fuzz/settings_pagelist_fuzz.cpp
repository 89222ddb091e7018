// Page lists from outside: the tagged text of a settings file ("/C1-3,5/P7")
// and the 488-byte block stored in a DEVMODE.
//
// Input: one byte of capacity, then a stored block (488 bytes), then the text
// as UTF-16. What must hold besides no fault: a text that was read leaves
// every slot ascending with at most 30 numbers and zero past its count, and
// writing the lists then reading that text back gives the same lists.
#include "tests/fuzz/fuzz.h"

#include "ui/settings/pagelist.h"

namespace {

void _CheckSlots(const PAGELISTS& l, const char* pszWhen)
{
    for (int s = 1; s <= PAGELIST_SLOTS; ++s) {
        int c = GetPageSlotCount(&l, s);
        const SHORT* p = l.aaPages[s - 1];
        for (int i = 1; i < c; ++i)
            if (p[i - 1] > p[i])
                FuzzFail(pszWhen);
    }
}

std::u16string _Text(const std::vector<uint8_t>& b)
{
    std::u16string t(b.size() / 2, u'\0');
    if (!t.empty())
        std::memcpy(t.data(), b.data(), t.size() * 2);
    return t;
}

}  // namespace

void FuzzSetUp() {}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    int cchOut = in.U8();
    PAGELISTS stored;
    in.Bytes(&stored, sizeof(stored));
    std::u16string text = _Text(in.Rest());

    // The stored block as it came: every reader keeps within it.
    std::vector<WCHAR> out(cchOut + 1);
    FormatTaggedPageLists(&stored, out.data(), cchOut);
    std::vector<SHORT> numbers(PAGELIST_MAX);
    for (int s = 0; s <= PAGELIST_SLOTS + 1; ++s) {
        int c = 0;
        LoadPageSlot(&stored, s, &c, numbers.data(), in.at % 40, (int)numbers.size());
    }

    // The text: the plain readers with a small capacity, then the tagged one.
    std::u16string plain = text.substr(0, text.find(u'\0'));
    std::vector<SHORT> few(1 + cchOut % 8);
    ParsePageRanges(plain.c_str(), few.data(), (int)few.size());
    ParsePageNumbers(plain.c_str(), few.data(), (int)few.size());

    PAGELISTS lists = {};
    std::vector<WCHAR> work(plain.begin(), plain.end());
    work.push_back(0);
    ParseTaggedPageLists(&lists, work.data());
    _CheckSlots(lists, "a page list read from text is not ascending");

    std::vector<WCHAR> written(GetPageTagsSize() / 2 + 1);
    if (FormatTaggedPageLists(&lists, written.data(), (int)written.size()) > 0) {
        PAGELISTS again = {};
        ParseTaggedPageLists(&again, written.data());
        if (std::memcmp(&again, &lists, sizeof(lists)) != 0)
            FuzzFail("page lists written and read back differ");
    }
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    for (const char16_t* t : {u"/C1-3,5/P7", u"1-3,5", u"/P2,4,6-9/C10", u"9999-1", u"", u"/C/P",
                              u"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,"
                              u"26,27,28,29,30"}) {
        std::string s(1, (char)200);
        PAGELISTS l = {};
        l.acCount[0] = 2;
        l.aaPages[0][0] = 3;
        l.aaPages[0][1] = 9;
        FuzzPut(&s, l);
        s.append(reinterpret_cast<const char*>(t), std::char_traits<char16_t>::length(t) * 2);
        pSeeds->push_back(s);
    }
}
