// The quoted and multi-line value texts, the file image reader on raw
// bytes, and the width-converting copy the engine moves values with.
#include "ui/settings/xfer.h"

#include "tests/settings_rest/xfer_fixture.h"
#include "ui/settings/typedcopy.h"

namespace {

const char16_t kFile[] = u"C:\\encoded.ini";

// An image of raw bytes with one section entry (row 0, index 1).
struct RawImage {
    std::string bytes;
    INISECTIONENTRY entry = {};
    INIIMAGE image = {};
    RawImage(const std::string& b, const char16_t* pszSection) : bytes(b)
    {
        lstrcpynW(entry.szName, pszSection, 64);
        entry.lPos = FindIniSectionStart(pszSection, (const BYTE*)bytes.data(), (DWORD)bytes.size());
        entry.wRow = 0;
        entry.wIndex = 1;
        image.pBytes = (BYTE*)bytes.data();
        image.cbBytes = (DWORD)bytes.size();
        image.pSections = &entry;
        image.cSections = 1;
    }
    std::u16string Value(const char16_t* pszKey, DWORD cbOut = 2048, int* pResult = nullptr)
    {
        std::vector<WCHAR> out(cbOut / 2 + 8, u'#');
        int r = bGetIniImageValue(0, 1, pszKey, u"error", out.data(), cbOut, &image);
        if (pResult)
            *pResult = r;
        // Nothing is written past the output.
        EXPECT_EQ(u'#', out[cbOut / 2]);
        return std::u16string(out.data());
    }
};

TEST(EncodedValue, CommentLinesAreNumberedKeysWithALeadingAsterisk)
{
    TestNewRoot();
    const XFERENCODING* pEnc = FindXferEncoding(246);
    ASSERT_NE(nullptr, pEnc);
    ASSERT_TRUE(WriteEncodedKeyValue(pEnc, u"Faxcoversheet Comment", u"0", u"one\ttab\r\ntwo\r\nthree", kFile));
    std::string file = ReadWinFile(kFile);
    EXPECT_EQ("[Faxcoversheet Comment]\r\n0=*one tab\r\n1=*two\r\n2=*three\r\n", file);

    RawImage img(file, u"Faxcoversheet Comment");
    WCHAR out[1024] = {};
    ASSERT_TRUE(ReadEncodedKeyValue(pEnc, 0, 1, u"0", u"error", out, sizeof(out), &img.image));
    EXPECT_EQ(u"one tab\r\ntwo\r\nthree", std::u16string(out));

    // A shorter comment written over it leaves none of the old lines.
    ASSERT_TRUE(WriteEncodedKeyValue(pEnc, u"Faxcoversheet Comment", u"0", u"only", kFile));
    EXPECT_EQ("[Faxcoversheet Comment]\r\n0=*only\r\n", ReadWinFile(kFile));
}

TEST(EncodedValue, BareLineFeedKeepsTheLastCharacterOfItsLine)
{
    TestNewRoot();
    const XFERENCODING* pEnc = FindXferEncoding(246);
    ASSERT_TRUE(WriteEncodedKeyValue(pEnc, u"Faxcoversheet Comment", u"0", u"\nab\ncd", kFile));
    EXPECT_EQ("[Faxcoversheet Comment]\r\n0=*\r\n1=*ab\r\n2=*cd\r\n", ReadWinFile(kFile));
}

TEST(EncodedValue, NamesAreQuotedByTheirStyle)
{
    struct Row {
        WORD wKeyRow;
        const char16_t* pszKey;
        const char* pszExpected;
    };
    const Row rows[] = {
        {256, u"Name1", "[S]\r\nName1=*Plan A*\r\n"},
        {248, u"1", "[S]\r\n1=*Plan A\r\n"},
    };
    for (const Row& r : rows) {
        TestNewRoot();
        const XFERENCODING* pEnc = FindXferEncoding(r.wKeyRow);
        ASSERT_NE(nullptr, pEnc);
        ASSERT_TRUE(WriteEncodedKeyValue(pEnc, u"S", r.pszKey, u"Plan A", kFile));
        std::string file = ReadWinFile(kFile);
        EXPECT_EQ(r.pszExpected, file);
        RawImage img(file, u"S");
        WCHAR out[40] = {};
        ASSERT_TRUE(ReadEncodedKeyValue(pEnc, 0, 1, r.pszKey, u"dflt", out, sizeof(out), &img.image));
        EXPECT_EQ(u"Plan A", std::u16string(out));
        ASSERT_TRUE(ReadEncodedKeyValue(pEnc, 0, 1, u"Name9", u"dflt", out, sizeof(out), &img.image));
        EXPECT_EQ(u"dflt", std::u16string(out));
    }
    EXPECT_EQ(nullptr, FindXferEncoding(296));
}

TEST(IniImage, SectionHeadersMatchExactly)
{
    const std::string file = "x=1\r\n  [Alpha]\r\na=1\r\n[Beta] \r\n[beta]\r\n[Beta]\r\nb=2\r\n[Gamma]";
    const BYTE* p = (const BYTE*)file.data();
    EXPECT_EQ((LONG)file.find("a=1"), FindIniSectionStart(u"Alpha", p, (DWORD)file.size()));
    EXPECT_EQ((LONG)file.find("b=2"), FindIniSectionStart(u"Beta", p, (DWORD)file.size()));
    // A header without its line end is not a header.
    EXPECT_EQ(-1, FindIniSectionStart(u"Gamma", p, (DWORD)file.size()));
    EXPECT_EQ(-1, FindIniSectionStart(u"Delta", p, (DWORD)file.size()));
}

TEST(IniImage, KeyLinesOfTheReader)
{
    RawImage img("[S]\r\n  lead=1\r\ngap =2\r\nbare\r\nempty=\r\n=3\r\nKey=Value=x\r\n[T]\r\nafter=4\r\nlast=tail",
                 u"S");
    int r = -1;
    EXPECT_EQ(u"1", img.Value(u"lead", 2048, &r));
    EXPECT_EQ(1, r);
    EXPECT_EQ(u"error", img.Value(u"gap", 2048, &r));
    EXPECT_EQ(0, r);
    EXPECT_EQ(u"2", img.Value(u"gap "));
    EXPECT_EQ(u"", img.Value(u"bare"));
    EXPECT_EQ(u"", img.Value(u"empty"));
    EXPECT_EQ(u"Value=x", img.Value(u"Key"));
    EXPECT_EQ(u"error", img.Value(u"key"));
    EXPECT_EQ(u"error", img.Value(u"after"));
    // The image holds no terminator: a last line without a line end ends
    // at the image's end.
    RawImage tail("[S]\r\nlast=tail", u"S");
    EXPECT_EQ(u"tail", tail.Value(u"last"));
    RawImage name("[S]\r\nlast", u"S");
    EXPECT_EQ(u"", name.Value(u"last"));
    // No section, no image: the default.
    EXPECT_EQ(u"error", RawImage("[T]\r\nlead=1\r\n", u"S").Value(u"lead"));
    WCHAR out[8];
    EXPECT_EQ(0, bGetIniImageValue(0, 1, u"lead", u"none", out, sizeof(out), nullptr));
    EXPECT_EQ(u"none", std::u16string(out));
}

TEST(IniImage, LongValuesAreCutToTheOutput)
{
    std::string value(3000, 'v');
    RawImage img("[S]\r\nlong=" + value + "\r\n", u"S");
    std::u16string got = img.Value(u"long", 2048);
    EXPECT_EQ(1023u, got.size());
    // Double-byte text is cut at whole characters inside the output.
    std::string kanji;
    for (int i = 0; i < 20; ++i)
        kanji += "\x8A\xBF";  // 漢 in code page 932
    RawImage wide("[S]\r\nk=" + kanji + "\r\n", u"S");
    std::u16string cut = wide.Value(u"k", 16);
    EXPECT_EQ(std::u16string(7, u'漢'), cut);
}

// The width-converting copy: {source type, source bytes, destination type,
// expected result, expected bytes of the destination}.
TEST(TypedCopy, ConversionTable)
{
    struct Row {
        WORD wSrc;
        LONG lSrc;
        WORD wDst;
        int iResult;
        LONG lExpected;
    };
    const Row rows[] = {
        {4, -5, 8, TVC_OK, -5},
        {2, 65535, 8, TVC_OK, 65535},
        {1, 200, 4, TVC_OK, 200},
        {4, -1, 16, TVC_OK, -1},
        {8, 0x12345, 2, TVC_OK, 0x2345},
        {32, 7, 16, TVC_BADTYPE, 0},
        {8, 7, 64, TVC_BADTYPE, 0},
        {4, -3, 0, TVC_OK, 0xFFFD},
    };
    for (const Row& r : rows) {
        LONG lSrc = r.lSrc;
        LONG lDst = 0;
        DWORD cb = sizeof(lDst);
        DWORD cbSrc = r.wSrc == 1 ? 1 : (r.wSrc == 2 || r.wSrc == 4) ? 2 : 4;
        EXPECT_EQ(r.iResult, GetTypedValue(&lSrc, cbSrc, &lDst, &cb, r.wSrc, r.wDst)) << r.wSrc << "->" << r.wDst;
        EXPECT_EQ(r.lExpected, lDst) << r.wSrc << "->" << r.wDst;
    }
}

TEST(TypedCopy, SizesAndArguments)
{
    SHORT sSlot = 0;
    BYTE b = 200;
    DWORD cb = 1;
    // A slot of type 4 set from a byte of type 1.
    EXPECT_EQ(TVC_OK, SetTypedValue(&sSlot, sizeof(sSlot), &b, &cb, 1, 4));
    EXPECT_EQ(200, sSlot);
    EXPECT_EQ(2u, cb);
    cb = 4;
    EXPECT_EQ(TVC_BADARG, SetTypedValue(&sSlot, sizeof(sSlot), &b, &cb, 1, 4));
    // A size query, a short buffer, and what may not be written.
    WCHAR sz[4] = u"abc";
    cb = 0;
    EXPECT_EQ(TVC_OK, GetTypedValue(sz, sizeof(sz), nullptr, &cb, 128, 128));
    EXPECT_EQ(sizeof(sz), cb);
    WCHAR two[3] = {u'#', u'#', u'#'};
    cb = 4;
    EXPECT_EQ(TVC_MOREDATA, GetTypedValue(sz, sizeof(sz), two, &cb, 128, 128));
    EXPECT_EQ(u'#', two[2]);
    LONG l = 5;
    BYTE small[2] = {0xEE, 0xEE};
    cb = 1;
    EXPECT_NE(TVC_OK, GetTypedValue(&l, 4, small, &cb, 8, 16));
    EXPECT_EQ(0xEE, small[1]);
    EXPECT_EQ(TVC_BADARG, GetTypedValue(nullptr, 4, small, &cb, 8, 8));
    EXPECT_EQ(TVC_BADARG, TypedValueCopy(&l, 4, small, &cb, 8, 8, 3));
}

}  // namespace
