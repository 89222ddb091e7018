// unaligned_text_test.cpp: text fields of packed records may sit at odd
// addresses; copying into and out of them must give the same units as an
// aligned copy (the sanitizer build checks that nothing is read or written
// through a misaligned pointer).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/settings/devmode.h"

namespace {

// Reads cch units starting at an arbitrary byte address.
std::u16string UnitsAt(const BYTE* pb, size_t cch)
{
    std::u16string s(cch, u'\0');
    memcpy(s.data(), pb, cch * sizeof(char16_t));
    return s;
}

struct OddCase {
    const char16_t* pszSource;
    DWORD cbTarget;
    std::u16string want;  // every unit of the target, terminator included
};

TEST(UnalignedText, CopyWideBoundedIntoAndFromOddAddresses)
{
    static const OddCase kCases[] = {
        {u"abc", 8, std::u16string(u"abc\0", 4)},
        {u"abcdef", 8, std::u16string(u"abc\0", 4)},  // cut, still terminated
        {u"", 4, std::u16string(u"\0\0", 1) + u'\xFFFF'},
        {nullptr, 6, std::u16string(1, u'\0') + u'\xFFFF' + u'\xFFFF'},
    };
    for (const OddCase& c : kCases) {
        // Source and target both one byte past an even address.
        alignas(4) BYTE abSource[64];
        alignas(4) BYTE abTarget[64];
        memset(abSource, 0, sizeof(abSource));
        memset(abTarget, 0xFF, sizeof(abTarget));
        const BYTE* pbSource = nullptr;
        if (c.pszSource) {
            size_t cb = (std::char_traits<char16_t>::length(c.pszSource) + 1) * sizeof(char16_t);
            memcpy(abSource + 1, c.pszSource, cb);
            pbSource = abSource + 1;
        }
        CopyWideBounded(reinterpret_cast<LPWSTR>(abTarget + 1),
                        reinterpret_cast<LPCWSTR>(pbSource), c.cbTarget);
        EXPECT_EQ(UnitsAt(abTarget + 1, c.cbTarget / 2), c.want) << c.cbTarget;
        // Nothing is written past the target's size.
        EXPECT_EQ(abTarget[1 + c.cbTarget], 0xFF) << c.cbTarget;
        EXPECT_EQ(abTarget[0], 0xFF);
    }
}

}  // namespace
