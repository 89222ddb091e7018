// Private profile files from outside: settings files, stored documents and
// anything else a user copies into place are read through the INI calls.
//
// Input: one byte of buffer size, one byte of choices (bit 0: write a key and
// flush, bit 1: delete the first section's first key), then the file's bytes
// as they lie on disk (8-bit or UTF-16 with its mark). What must hold besides
// no fault: every answer ends inside the caller's buffer with its terminator
// and never writes past it; a value read with a buffer that fits comes back
// whole; a key written comes back as written after the flush, and the other
// keys of the file keep their values.
#include "tests/fuzz/fuzz.h"

#include <map>

namespace {

const WCHAR kszFile[] = u"C:\\fuzz\\case.ini";
const WCHAR kGuard = 0xBEEF;

// Section and key name to value.
typedef std::map<std::pair<std::u16string, std::u16string>, std::u16string> VALUES;

// A buffer of exactly n units with guards behind it that no answer may touch.
struct GUARDED {
    std::vector<WCHAR> v;
    DWORD n;
    explicit GUARDED(DWORD cch) : v(cch + 4, kGuard), n(cch) {}
    LPWSTR p() { return v.data(); }
    void Check(const char* pszWhat) const
    {
        for (DWORD i = n; i < n + 4; ++i)
            if (v[i] != kGuard)
                FuzzFail(pszWhat);
    }
};

// The strings of a list answer (each NUL-ended, a second NUL at the end).
std::vector<std::u16string> _List(const WCHAR* p, DWORD cch)
{
    std::vector<std::u16string> out;
    DWORD i = 0;
    while (i < cch && p[i]) {
        std::u16string s(p + i);
        i += (DWORD)s.size() + 1;
        out.push_back(s);
    }
    return out;
}

std::u16string _Read(LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszDefault)
{
    GUARDED b(4096);
    DWORD c = GetPrivateProfileStringW(pszSection, pszKey, pszDefault, b.p(), b.n, kszFile);
    b.Check("a profile value was written past a large buffer");
    if (c >= b.n || b.v[c] != 0)
        FuzzFail("a profile value does not end where its count says");
    return std::u16string(b.p(), c);
}

// The value of a key; false when the file has no such key. A value may be
// any text, the default too: a key is missing only when two different
// defaults both come back.
bool _Value(LPCWSTR pszSection, LPCWSTR pszKey, std::u16string* pValue)
{
    *pValue = _Read(pszSection, pszKey, u"\x1F");
    return *pValue != u"\x1F" || _Read(pszSection, pszKey, u"\x1E") != u"\x1E";
}

void _ReadAll(DWORD cchSmall, VALUES* pValues)
{
    // Section names with a small buffer and with one that fits.
    GUARDED small(cchSmall);
    DWORD c = GetPrivateProfileSectionNamesW(small.p(), small.n, kszFile);
    small.Check("section names were written past a small buffer");
    if (small.n >= 2) {
        // A list that fits ends with its last name's NUL and one more; a cut
        // one answers nSize - 2 and ends in two NULs at the buffer's end.
        bool bCut = c == small.n - 2 && small.v[small.n - 2] == 0 && small.v[small.n - 1] == 0;
        bool bWhole = c < small.n && small.v[c] == 0 && (c == 0 || small.v[c - 1] == 0);
        if (!bCut && !bWhole)
            FuzzFail("a list of section names does not end in two NULs inside the buffer");
    }

    GUARDED names(1 << 16);
    c = GetPrivateProfileSectionNamesW(names.p(), names.n, kszFile);
    names.Check("section names were written past a large buffer");
    std::vector<std::u16string> sections = _List(names.p(), c);
    if (sections.size() > 16)
        sections.resize(16);

    for (const std::u16string& s : sections) {
        GUARDED sec(cchSmall);
        GetPrivateProfileSectionW(s.c_str(), sec.p(), sec.n, kszFile);
        sec.Check("a section was written past a small buffer");

        GUARDED keys(1 << 15);
        DWORD ck = GetPrivateProfileStringW(s.c_str(), nullptr, u"", keys.p(), keys.n, kszFile);
        keys.Check("key names were written past a large buffer");
        std::vector<std::u16string> names2 = _List(keys.p(), ck);
        if (names2.size() > 16)
            names2.resize(16);
        for (const std::u16string& k : names2) {
            GUARDED v(cchSmall);
            DWORD cv = GetPrivateProfileStringW(s.c_str(), k.c_str(), u"", v.p(), v.n, kszFile);
            v.Check("a value was written past a small buffer");
            if (v.n && (cv >= v.n || v.v[cv] != 0))
                FuzzFail("a cut value does not end inside the buffer");
            GetPrivateProfileIntW(s.c_str(), k.c_str(), -7, kszFile);
            // A listed key that cannot be found by its name (a later one of
            // the same name, say) is not one a write can lose.
            std::u16string value;
            if (_Value(s.c_str(), k.c_str(), &value))
                (*pValues)[{s, k}] = value;
        }
    }
}

}  // namespace

void FuzzSetUp()
{
    CreateDirectoryW(u"C:\\fuzz", nullptr);
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    DWORD cchSmall = in.U8() % 40;
    uint8_t bChoices = in.U8();
    std::vector<uint8_t> file = in.Rest();

    // A file call on the path first, so the profile layer sees the new bytes.
    DeleteFileW(kszFile);
    if (!FuzzWriteFile(kszFile, file.data(), file.size()))
        FuzzFail("the case file cannot be written");

    VALUES before;
    _ReadAll(cchSmall, &before);

    if (bChoices & 3) {
        GUARDED names(1 << 16);
        DWORD c = GetPrivateProfileSectionNamesW(names.p(), names.n, kszFile);
        std::vector<std::u16string> sections = _List(names.p(), c);
        std::u16string section = sections.empty() ? u"Fuzz" : sections[0];
        std::pair<std::u16string, std::u16string> removed;
        if (bChoices & 1) {
            if (!WritePrivateProfileStringW(section.c_str(), u"FuzzKey", u"caf\u00E9 \u20AC 42", kszFile))
                return;  // a file that cannot take writes (refused whole) is fine
            before[{section, u"FuzzKey"}] = u"caf\u00E9 \u20AC 42";
        }
        if (bChoices & 2) {
            GUARDED keys(1 << 15);
            DWORD ck = GetPrivateProfileStringW(section.c_str(), nullptr, u"", keys.p(), keys.n, kszFile);
            std::vector<std::u16string> k = _List(keys.p(), ck);
            if (!k.empty() && k[0] != u"FuzzKey") {
                WritePrivateProfileStringW(section.c_str(), k[0].c_str(), nullptr, kszFile);
                removed = {section, k[0]};
            }
        }
        if (!WritePrivateProfileStringW(nullptr, nullptr, nullptr, kszFile))
            FuzzFail("a profile flush failed in a writable folder");

        // Each key read before is looked up by name again (a list cannot
        // carry an empty name, so listing again could hide what follows one).
        VALUES after;
        _ReadAll(cchSmall, &after);
        // Names are found without regard to case, and the first of two keys
        // of one name is the one read: removing or writing a key may show
        // another key of the same name, which is no unrelated change.
        auto same = [](const std::u16string& a, const std::u16string& b) {
            return lstrcmpiW(a.c_str(), b.c_str()) == 0;
        };
        for (const auto& kv : before) {
            if (!removed.second.empty() && same(kv.first.first, removed.first) &&
                same(kv.first.second, removed.second))
                continue;
            std::u16string value;
            if (!_Value(kv.first.first.c_str(), kv.first.second.c_str(), &value))
                FuzzFail("a key of the file was lost by an unrelated write");
            // A value the ANSI code page cannot carry (the written one, in an
            // 8-bit file) may come back changed; the others may not.
            if (value != kv.second && !(same(kv.first.first, section) && same(kv.first.second, u"FuzzKey")))
                FuzzFail("a key of the file changed its value by an unrelated write");
        }
    }
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto seed = [&](uint8_t cch, uint8_t choices, const std::string& bytes) {
        std::string s;
        s.push_back((char)cch);
        s.push_back((char)choices);
        s += bytes;
        pSeeds->push_back(s);
    };
    seed(12, 1, "[NAME]\r\nname=Monthly report\r\n[COMMENT]\r\ncomment=\"quoted \"\r\n");
    seed(3, 3, "[A]\r\nk1=1\r\nk2 = 0x1F \r\n\r\n[B]\r\nx=\r\n[A]\r\nk3=dup\r\n");
    seed(0, 0, "no section=at all\r\n[]\r\n=empty key\r\n[unterminated\r\nk=v");
    seed(7, 1, "[\x8A\xBF\x8E\x9A]\r\n\x83\x4C\x81\x5B=\x92\x6C\r\n");  // Shift-JIS names
    // UTF-16 with its mark.
    std::u16string w = u"\xFEFF[Watermark Text]\r\n0=Caf\u00E9 \u20AC\r\n1=CONFIDENTIAL\r\n";
    seed(20, 3, std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2));
    std::u16string odd = u"\xFEFF[x]\nk=v\rk2=v2";
    seed(5, 1, std::string(reinterpret_cast<const char*>(odd.data()), odd.size() * 2 - 1));
}
