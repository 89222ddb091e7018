// The cover sheet page: unit conversions, the frame and text area, where
// each block of each style lands, the recipient font for many destinations,
// the comment's lines and the date text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/ui_docevent/fakegfx.h"
#include "ui/driverui/faxcover_render.h"

namespace {

struct TEXTCALL {
    std::u16string text;
    int x, y;
    UINT align;
    LONG height;
};
struct RULECALL {
    int left, right, top, thickness;
    COLORREF color;
};
std::vector<TEXTCALL> g_texts;
std::vector<RULECALL> g_rules;

// Every character is 10 dots wide; a line is as high as its font.
BOOL RecText(HDC, const LOGFONTW* plf, int x, int y, LPCWSTR psz, const RECT*, UINT uAlign, SIZE* pExt)
{
    g_texts.push_back({psz, x, y, uAlign, plf->lfHeight});
    pExt->cx = 10 * lstrlenW(psz);
    pExt->cy = plf->lfHeight;
    return TRUE;
}
BOOL RecMeasure(HDC, const LOGFONTW* plf, LPCWSTR psz, SIZE* pExt)
{
    pExt->cx = 10 * lstrlenW(psz);
    pExt->cy = plf->lfHeight;
    return TRUE;
}
void RecRule(HDC, int l, int r, int t, int th, COLORREF c) { g_rules.push_back({l, r, t, th, c}); }

struct CoverTest : DocEventTest {
    FAXCOVER cover = {};
    COVERCTX ctx = {};
    std::vector<FAXWDEST> dests;

    void SetUp() override
    {
        DocEventTest::SetUp();
        ASSERT_NE(LoadResourceDll(), nullptr);
        static const COVERDRAWPROCS kRec = {RecText, RecMeasure, RecRule};
        CoverSetDrawProcs(&kRec);
        g_texts.clear();
        g_rules.clear();
        ctx.dwResolution = 600;
        ctx.dwFitPercent = 100;
        ctx.dwFrameW = COVER_FRAME_W;
        ctx.dwFrameH = COVER_FRAME_H;
        ctx.pCover = &cover;
        cover.dwPagenum = 3;
    }
    void TearDown() override
    {
        CoverSetDrawProcs(nullptr);
        DocEventTest::TearDown();
    }
    const TEXTCALL* FindText(const std::u16string& s) const
    {
        for (const TEXTCALL& t : g_texts)
            if (t.text == s) return &t;
        return nullptr;
    }
    void SetDests(int n)
    {
        dests.assign(static_cast<size_t>(n), FAXWDEST{});
        for (int i = 0; i < n; ++i) {
            std::u16string name = u"N" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
            memcpy(dests[static_cast<size_t>(i)].aszText[0], name.c_str(), name.size() * 2);
        }
        ctx.pDests = dests.data();
        ctx.cDests = n;
        ctx.iFirst = 0;
        ctx.iLast = n;
    }
};

TEST(CoverUnits, ConversionsAtSixHundredDots)
{
    EXPECT_EQ(CoverDots(20188, 600), 4769);
    EXPECT_EQ(CoverDots(28888, 600), 6824);
    EXPECT_EQ(CoverDots(1000, 600), 236);
    const struct {
        LONG k, dots;
    } kFixed[] = {{787, 47}, {157, 9}, {1969, 118}, {5906, 354}, {7874, 472}};
    for (const auto& c : kFixed) EXPECT_EQ(CoverFixedDots(c.k, 600), c.dots) << c.k;
    const struct {
        LONG pt, height;
    } kFonts[] = {{12, 100}, {16, 133}, {18, 150}, {48, 400}};
    for (const auto& c : kFonts) EXPECT_EQ(CoverFontHeight(c.pt, 600), c.height) << c.pt;
}

TEST_F(CoverTest, FrameAndTextAreaAtFullScale)
{
    LayoutCoverSheet(&ctx);
    EXPECT_EQ(ctx.dwResolution, 600u);
    EXPECT_EQ(ctx.rcFrame.right - ctx.rcFrame.left, 4769);
    EXPECT_EQ(ctx.rcFrame.bottom - ctx.rcFrame.top, 6824);
    EXPECT_EQ(ctx.rcText.left, 354);
    EXPECT_EQ(ctx.rcText.top, 472);
    EXPECT_EQ(ctx.rcText.right, 4415);
    EXPECT_EQ(ctx.rcText.bottom, 6352);
    // The title between two grey 2 mm rules, the closing rule at the bottom.
    const TEXTCALL* pTitle = FindText(u"<31650>");
    ASSERT_NE(pTitle, nullptr);
    EXPECT_EQ(pTitle->x, 354);
    EXPECT_EQ(pTitle->y, 472 + 47);
    EXPECT_EQ(pTitle->height, 400);
    ASSERT_GE(g_rules.size(), 3u);
    EXPECT_EQ(g_rules[0].top, 472);
    EXPECT_EQ(g_rules[0].thickness, 47);
    EXPECT_EQ(g_rules[0].color, RGB(100, 100, 100));
    EXPECT_EQ(g_rules[1].top, 472 + 47 + 400);
    EXPECT_EQ(g_rules.back().top, 6352 - 47);
    EXPECT_EQ(g_rules.back().left, 354);
    EXPECT_EQ(g_rules.back().right, 4415);
}

TEST_F(CoverTest, EachStyleStacksItsBlocksInItsOrder)
{
    // Date (100 high), title (400 + 236), fixed recipient (150 + 118),
    // sender with one line (150 + 118), page count (133 + 118), subject
    // (150 + 118), comment with one line (133 + 118).
    const struct {
        int iStyle;
        const char16_t *pszRecv, *pszSender, *pszSubject;
        int yRecv, ySender, yPage, ySubject, yComment;
        int xSender;
        UINT uSenderAlign;
    } kCases[] = {
        {0, u"<31651>", u"<31654>", u"<31653>", 1208, 1476, 1744, 1995, 2263, 354 + 70, TA_LEFT},
        {1, u"<31651>", u"<31654>", u"<31659>", 1208, 1476, 1744, 1995, 2263, 354 + 70, TA_LEFT},
        {2, u"<31651>", u"<31662>", u"<31653>", 1208, 2246, 1476, 1727, 1995, 4415, TA_RIGHT},
        {3, u"<31666>", u"<31669>", u"<31668>", 1208, 1476, 2263, 1744, 2012, 354 + 70, TA_LEFT},
        {4, u"<31666>", u"<31669>", u"<31668>", 1208, 1476, 1744, 1995, 2263, 354 + 70, TA_LEFT},
    };
    lstrcpynW(cover.aszText[0], u"To all", 41);
    lstrcpynW(cover.aszText[7], u"Sender Name", 41);
    lstrcpynW(cover.szSubject, u"Subject", 65);
    lstrcpynW(cover.szComment, u"hello", 641);
    for (const auto& c : kCases) {
        g_texts.clear();
        g_rules.clear();
        COVERCTX k = ctx;
        k.iStyle = c.iStyle;
        k.abFlags[CF_DATE] = 1;
        k.abFlags[CF_SEND_NAME] = 1;
        k.abFlags[CF_PAGENUM] = 1;
        k.abFlags[CF_SUBJECT] = 1;
        k.bSendDate = 1;
        k.awSendDate[0] = 2008, k.awSendDate[1] = 3, k.awSendDate[3] = 3;
        LayoutCoverSheet(&k);
        SCOPED_TRACE(c.iStyle + 1);
        ASSERT_FALSE(g_texts.empty());
        EXPECT_EQ(g_texts[0].y, 472);  // the date, right-aligned
        EXPECT_EQ(g_texts[0].x, 4415);
        EXPECT_EQ(g_texts[0].align, static_cast<UINT>(TA_RIGHT));
        const TEXTCALL* p = FindText(c.pszRecv);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->y, c.yRecv);
        const TEXTCALL* pTo = FindText(u"To all ");
        ASSERT_NE(pTo, nullptr);
        EXPECT_EQ(pTo->x, 354 + 70);  // after the 7-character heading
        EXPECT_EQ(pTo->y, c.yRecv);
        p = FindText(c.pszSender);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->y, c.ySender);
        p = FindText(u"Sender Name");
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->y, c.ySender);
        EXPECT_EQ(p->x, c.xSender);
        EXPECT_EQ(p->align, c.uSenderAlign);
        p = FindText(u"3");  // the page count in a format without %s
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->y, c.yPage);
        EXPECT_EQ(p->align, static_cast<UINT>(TA_RIGHT));
        p = FindText(c.pszSubject);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->y, c.ySubject);
        p = FindText(u"hello");
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->y, c.yComment);
        EXPECT_EQ(p->x, 354 + 60);  // after six blanks
    }
}

TEST_F(CoverTest, ManyDestinationsShrinkTheRecipientFont)
{
    const struct {
        int n;
        BYTE bPersonal;
        LONG height;
    } kCases[] = {{25, 0, 60}, {9, 0, 150}, {100, 0, 15}, {25, 1, 150}};
    for (const auto& c : kCases) {
        g_texts.clear();
        SetDests(c.n);
        COVERCTX k = ctx;
        k.abFlags[CF_RECV_SETUP] = 1;
        k.abFlags[CF_RECV_NAME] = 1;
        k.abFlags[CF_RECV_PERSONAL] = c.bPersonal;
        LayoutCoverSheet(&k);
        const TEXTCALL* p = FindText(u"NA ");
        ASSERT_NE(p, nullptr) << c.n;
        EXPECT_EQ(p->height, c.height) << c.n;
    }
}

TEST_F(CoverTest, RecipientsOfTheBatchGoOneALine)
{
    SetDests(5);
    memcpy(dests[1].aszText[1], u"0311", 8);
    ctx.iFirst = 1;
    ctx.iLast = 3;
    ctx.abFlags[CF_RECV_SETUP] = 1;
    ctx.abFlags[CF_RECV_NAME] = 1;
    ctx.abFlags[CF_RECV_FAXNUM] = 1;
    LayoutCoverSheet(&ctx);
    // Heading at 1208 (after date-less title); names and numbers from the
    // heading's right edge.
    const TEXTCALL* pB = FindText(u"NB ");
    const TEXTCALL* pFax = FindText(u"FAX:0311");
    const TEXTCALL* pC = FindText(u"NC ");
    ASSERT_TRUE(pB && pFax && pC);
    EXPECT_EQ(FindText(u"NA "), nullptr);
    EXPECT_EQ(FindText(u"ND "), nullptr);
    EXPECT_EQ(pB->y, 1108);
    EXPECT_EQ(pFax->y, 1108 + 150);
    EXPECT_EQ(pC->y, 1108 + 300);
    EXPECT_EQ(pB->x, 354 + 70);
    EXPECT_EQ(pFax->x, 354 + 70);
}

TEST_F(CoverTest, CommentLines)
{
    const struct {
        const char16_t* comment;
        std::vector<std::u16string> lines;
    } kCases[] = {
        {u"A\r\n\r\nB", {u"A", u" ", u"B"}},
        {u"A\r\n", {u"A", u" "}},
        {u"A\n\nB", {u"A", u" ", u"B"}},
        {u"", {u" "}},
        {u"a\tb", {u"a b"}},
    };
    for (const auto& c : kCases) {
        g_texts.clear();
        memset(cover.szComment, 0, sizeof(cover.szComment));
        lstrcpynW(cover.szComment, c.comment, 641);
        LayoutCoverSheet(&ctx);
        std::vector<std::u16string> got;
        bool bAfterIndent = false;
        for (const TEXTCALL& t : g_texts) {
            if (t.text == u"      ") {
                bAfterIndent = true;
                continue;
            }
            if (bAfterIndent) got.push_back(t.text);
        }
        EXPECT_EQ(got, c.lines);
    }
    g_texts.clear();
    std::u16string long640(640, u'x');
    lstrcpynW(cover.szComment, long640.c_str(), 641);
    LayoutCoverSheet(&ctx);
    EXPECT_NE(FindText(long640), nullptr);
}

TEST_F(CoverTest, DateTextOfEachStyle)
{
    const struct {
        int iStyle;
        const char16_t* text;
    } kCases[] = {{3, u"03/03/2008"}, {4, u"2008/03/03"}, {0, u"2008/3/3"}};
    ctx.bSendDate = 1;
    ctx.awSendDate[0] = 2008, ctx.awSendDate[1] = 3, ctx.awSendDate[3] = 3;
    for (const auto& c : kCases) {
        ctx.iStyle = c.iStyle;
        WCHAR sz[16];
        EXPECT_EQ(FormatCoverDate(&ctx, sz), lstrlenW(c.text));
        EXPECT_EQ(std::u16string(sz), c.text);
    }
    EXPECT_EQ(FormatCoverDate(&ctx, nullptr), 0);
}

}  // namespace

namespace {

std::vector<BYTE> Bitmap(DWORD dwHeader, WORD wBits, LONG w, LONG h, DWORD dwOffBits, size_t cbPaletteAndBits)
{
    std::vector<BYTE> v(14 + dwHeader + cbPaletteAndBits, 0);
    auto put32 = [&](size_t off, DWORD x) { memcpy(&v[off], &x, 4); };
    auto put16 = [&](size_t off, WORD x) { memcpy(&v[off], &x, 2); };
    v[0] = 'B', v[1] = 'M';
    put32(2, static_cast<DWORD>(v.size()));
    put32(10, dwOffBits);
    put32(14, dwHeader);
    if (dwHeader == 40) {
        put32(18, static_cast<DWORD>(w));
        put32(22, static_cast<DWORD>(h));
        put16(26, 1);
        put16(28, wBits);
    } else {
        put16(18, static_cast<WORD>(w));
        put16(20, static_cast<WORD>(h));
        put16(22, 1);
        put16(24, wBits);
    }
    return v;
}

TEST(CoverImage, ResolutionRatioAgainstTwoHundredDots)
{
    EXPECT_EQ(CoverResolutionRatio(20188, 600), 300u);
    EXPECT_EQ(CoverResolutionRatio(20188, 200), 100u);
}

TEST(CoverImage, PlacementAndBitsOfEachHeaderForm)
{
    COVERCTX c = {};
    c.dwResolution = 600;
    c.dwFitPercent = 100;
    c.dwResRatio = 300;
    c.dwImageX = 1000;  // 10 mm = 236 dots at 600
    c.dwImageY = 2000;
    c.dwImageZoom = 50;
    c.abFlags[CF_ZOOM] = 1;
    COVERIMAGE im = {};
    // 1-bit core header, no bits offset: 14 + 12 + 2 x 3 bytes of palette.
    std::vector<BYTE> core = Bitmap(12, 1, 8, 2, 0, 6 + 8);
    ASSERT_TRUE(PlaceCoverImage(&c, core.data(), static_cast<DWORD>(core.size()), &im));
    EXPECT_EQ(im.dwBitsOffset, 32u);
    EXPECT_EQ(im.x, 236);
    EXPECT_EQ(im.y, 472);
    EXPECT_EQ(im.lSrcW, 8);
    EXPECT_EQ(im.lSrcH, 2);
    EXPECT_EQ(im.cx, 12);  // 8 x (100 x 50 / 100 x 300 / 100 = 150) x 100 / 10000
    EXPECT_EQ(im.cy, 3);
    // 8-bit info header: 256 colours of 4 bytes, or the file's own offset.
    std::vector<BYTE> info = Bitmap(40, 8, 4, 4, 0, 1024 + 16);
    ASSERT_TRUE(PlaceCoverImage(&c, info.data(), static_cast<DWORD>(info.size()), &im));
    EXPECT_EQ(im.dwBitsOffset, 14u + 40 + 1024);
    info = Bitmap(40, 24, 4, 4, 60, 6 + 48);
    ASSERT_TRUE(PlaceCoverImage(&c, info.data(), static_cast<DWORD>(info.size()), &im));
    EXPECT_EQ(im.dwBitsOffset, 60u);
    // A zero scale draws the bitmap at its own size.
    c.dwResRatio = 0;
    ASSERT_TRUE(PlaceCoverImage(&c, core.data(), static_cast<DWORD>(core.size()), &im));
    EXPECT_EQ(im.cx, 8);
    EXPECT_EQ(im.cy, 2);
}

TEST(CoverImage, FilesThatAreNotWholeBitmapsAreRefused)
{
    COVERCTX c = {};
    c.dwResolution = 600;
    c.dwFitPercent = 100;
    std::vector<BYTE> good = Bitmap(40, 24, 4, 4, 0, 48);
    std::vector<BYTE> notBm = good;
    notBm[0] = 'X';
    std::vector<BYTE> offPastEnd = Bitmap(40, 24, 4, 4, 5000, 48);
    std::vector<BYTE> paletteCut = Bitmap(40, 8, 4, 4, 0, 100);
    std::vector<BYTE> shortHeader(good.begin(), good.begin() + 30);
    std::vector<BYTE> oddHeader = Bitmap(64, 24, 4, 4, 0, 48);
    // Headers and palette whole, bits short: one byte, or a 1000 x 1000
    // 8-bit image whose 1,000,000 bytes of bits are 16 in a 1094-byte file.
    std::vector<BYTE> bitsCut = Bitmap(40, 24, 4, 4, 0, 47);
    std::vector<BYTE> bitsPromised = Bitmap(40, 8, 1000, 1000, 0, 1024 + 16);
    ASSERT_EQ(bitsPromised.size(), 1094u);
    std::vector<BYTE> coreBitsCut = Bitmap(12, 1, 8, 2, 0, 6 + 7);
    const std::vector<BYTE>* kBad[] = {&notBm,    &offPastEnd,   &paletteCut,  &shortHeader,
                                       &oddHeader, &bitsCut, &bitsPromised, &coreBitsCut};
    COVERIMAGE im;
    EXPECT_TRUE(PlaceCoverImage(&c, good.data(), static_cast<DWORD>(good.size()), &im));
    EXPECT_FALSE(PlaceCoverImage(&c, good.data(), 0, &im));
    for (size_t i = 0; i < std::size(kBad); ++i)
        EXPECT_FALSE(PlaceCoverImage(&c, kBad[i]->data(), static_cast<DWORD>(kBad[i]->size()), &im)) << i;
}

}  // namespace
