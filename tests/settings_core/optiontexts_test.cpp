// The texts a person reads for the values of the choice options: every list
// of the pages, the settings summary and the command line show them.
#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/papertable.h"

namespace {

std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s) r += c < 0x80 ? (char)c : '?';
    return r;
}

struct OptionTexts : ::testing::Test {
    POPTIONDB pdb = nullptr;
    void SetUp() override { pdb = OpenOptionDb(); ASSERT_NE(pdb, nullptr); }
    void TearDown() override { CloseOptionDb(pdb); }

    int Count(WORD opt) { return (int)QueryOptionDb(pdb, opt, OPTQ_COUNT, nullptr, 0, 0); }
    LONG Value(WORD opt, int i) { return (LONG)QueryOptionDb(pdb, opt, OPTQ_VALUE, nullptr, i, 0); }
    std::u16string Text(WORD opt, int i)
    {
        WCHAR sz[64] = {};
        QueryOptionDb(pdb, opt, OPTQ_TEXT, sz, i, 64);
        return std::u16string(sz);
    }
    // The text of the first row holding the value.
    std::u16string TextOf(WORD opt, LONG value)
    {
        for (int i = 0; i < Count(opt); i++)
            if (Value(opt, i) == value) return Text(opt, i);
        return u"<no row for the value>";
    }
    std::vector<WORD> ChoiceOptions()
    {
        std::vector<WORD> v;
        for (int id = 0; id < 2000; id++)
            if (FindOptionRow((WORD)id, nullptr) == OPTKIND_CHOICE) v.push_back((WORD)id);
        return v;
    }
};

// "Option 11: 9" is how a value reads when it has no text of its own.
bool LooksLikePlaceholder(const std::u16string& t)
{
    const std::u16string kHead = u"Option ";
    if (t.compare(0, kHead.size(), kHead) != 0) return false;
    size_t colon = t.find(u':');
    if (colon == std::u16string::npos || colon == kHead.size()) return false;
    for (size_t i = kHead.size(); i < colon; i++)
        if (t[i] < u'0' || t[i] > u'9') return false;
    return true;
}

TEST_F(OptionTexts, EveryChoiceHasItsOwnShortText)
{
    std::vector<WORD> opts = ChoiceOptions();
    ASSERT_EQ(opts.size(), 130u);
    int cRows = 0;
    for (WORD opt : opts) {
        std::set<std::u16string> seen;
        for (int i = 0; i < Count(opt); i++, cRows++) {
            std::u16string t = Text(opt, i);
            SCOPED_TRACE("option " + std::to_string(opt) + " row " + std::to_string(i) + " \"" + Narrow(t) + "\"");
            EXPECT_FALSE(t.empty());
            EXPECT_FALSE(LooksLikePlaceholder(t));
            // A drop-down list on a property page shows about 30 characters.
            EXPECT_LE(t.size(), 30u);
            EXPECT_FALSE(iswspace(t.front()) || iswspace(t.back()));
            // The scripted user and the command line choose a value by its text.
            EXPECT_TRUE(seen.insert(t).second) << "the text is not unique within the option";
        }
    }
    EXPECT_EQ(cRows, 416);
}

TEST_F(OptionTexts, ValuesReadAsTheyMean)
{
    const struct { WORD opt; LONG value; const char16_t* text; } kCases[] = {
        {3, 1, u"Portrait"},                 {3, 2, u"Landscape"},
        {5, 600, u"600 dpi"},                {7, 2, u"Long edge"},
        {7, 3, u"Short edge"},               {11, 257, u"Original size"},
        {11, 9, u"A4"},                      {11, 1, u"Letter"},
        {11, 2057, u"A4 R"},                 {11, 515, u"User paper 3"},
        {11, 256, u"Custom size"},           {12, 8, u"2 in 1"},
        {12, 7, u"16 in 1"},                 {27, 7, u"Auto select"},
        {27, 1, u"Tray 1"},                  {27, 258, u"Tray 3"},
        {27, 4, u"Bypass tray"},             {28, 4, u"Booklet tray"},
        {34, 2, u"Top left"},                {34, 6, u"2 at right"},
        {39, 1, u"Plain paper"},             {39, 8, u"Index paper"},
        {42, 3, u"Printed"},                 {47, 3, u"Print with form"},
        {53, 2, u"Vector"},                  {57, 1, u"Off"},
        {58, 0, u"ORDEX2"},                  {58, 1, u"PCL 5e"},
        {61, 3, u"Saddle finisher"},         {66, 1, u"Fax"},
        {92, 1, u"On"},                      {94, 0, u"Off"},
        {125, 1, u"Pause with proof copy"},  {132, 2, u"2 holes"},
        {134, 2, u"Top"},                    {135, 3, u"Top"},
        {137, 5, u"Chapters"},               {139, 4096, u"Same as document"},
        {144, 1, u"Stitch"},                 {147, 3, u"Installed"},
        {149, 1, u"QX-730"},                 {150, 2, u"Face up"},
        {152, 10, u"Custom size"},           {154, 1025, u"Letter tab paper"},
        {155, 5, u"5 tabs"},                 {216, 2, u"Vertical"},
        {217, 2, u"Centre"},                 {218, 4, u"Bold italic"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(TextOf(c.opt, c.value), c.text) << "option " << c.opt << " value " << c.value;
}

TEST_F(OptionTexts, PageOrderRowsNameTheirDirection)
{
    // Values 1 and 2 stand twice: side by side, then one above the other.
    const char16_t* kRows[] = {u"Left to right", u"Right to left", u"Top to bottom", u"Bottom to top",
                               u"Right, then down", u"Left, then down", u"Down, then right", u"Down, then left"};
    ASSERT_EQ(Count(31), 8);
    for (int i = 0; i < 8; i++) EXPECT_EQ(Text(31, i), kRows[i]) << "row " << i;
    // The default row's text is the first row's.
    WCHAR sz[64] = {};
    EXPECT_EQ(QueryOptionDb(pdb, 31, OPTQ_DEFTEXT, sz, 0, 64), 13u);
    EXPECT_EQ(std::u16string(sz), u"Left to right");
}

TEST_F(OptionTexts, SameValueReadsTheSameInEveryList)
{
    // The output size names each paper as the paper size table does.
    int cPapers = 0;
    for (int i = 0; i < Count(11); i++) {
        LONG code = Value(11, i);
        const PAPERINFO* p = FindPaperInfo(code);
        if (code == 257 || code == 512) continue;
        ASSERT_NE(p, nullptr) << "paper code " << code;
        WCHAR sz[64] = {};
        LoadStringW(pdb->hResDll, p->dwStrId, sz, 64);
        EXPECT_EQ(Text(11, i), std::u16string(sz)) << "paper code " << code;
        cPapers++;
    }
    EXPECT_EQ(cPapers, 41);
    // Where the document size list has the paper too, it reads the same.
    for (int j = 0; j < Count(0); j++) {
        for (int i = 0; i < Count(11); i++) {
            if (Value(11, i) == Value(0, j)) {
                EXPECT_EQ(Text(11, i), Text(0, j)) << "paper code " << Value(0, j);
            }
        }
    }
    // Every paper source list names a tray as the job's paper source does.
    for (WORD opt : {139, 140, 151}) {
        for (int i = 0; i < Count(opt); i++) {
            LONG tray = Value(opt, i);
            if (tray == 4096) continue;
            EXPECT_EQ(Text(opt, i), TextOf(27, tray)) << "option " << opt << " tray " << tray;
        }
    }
    // The insert sheet's binding positions are the duplex bindings.
    EXPECT_EQ(TextOf(138, 2), TextOf(7, 2));
    EXPECT_EQ(TextOf(138, 3), TextOf(7, 3));
}

TEST_F(OptionTexts, ChoiceItemCarriesTheTexts)
{
    // What a list is filled from: the item the settings object builds.
    std::vector<BYTE> item(sizeof(UIITEMLIST) + 5 * sizeof(UIITEMCHOICE));
    ASSERT_EQ(BuildChoiceItem(pdb, 34, item.data(), 5), 5);
    const UIITEMCHOICE* rows = (const UIITEMCHOICE*)((const UIITEMLIST*)item.data() + 1);
    const char16_t* kStaple[] = {u"Top left", u"Top right", u"2 at left", u"2 at top",
                                 u"2 at right"};
    for (int i = 0; i < 5; i++) EXPECT_EQ(std::u16string(rows[i].szText), kStaple[i]) << "row " << i;
}

}  // namespace
