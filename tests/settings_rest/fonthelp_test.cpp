// The face helpers: character sets, the sample font and its alignment, the
// sample drawing on a memory DC, and the three modes of the enumeration
// callback.
#include "ui/settings/fonthelp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace {

// The list box of mode 0: what LB_ADDSTRING received, per control.
struct ListBox {
    HWND hDlg;
    int iId;
    std::vector<std::u16string> items;
};
ListBox g_listBox;

}  // namespace

// The dialog side of the list box, standing in for the window layer.
extern "C" LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    if (hDlg != g_listBox.hDlg || nIDDlgItem != g_listBox.iId || Msg != LB_ADDSTRING)
        return -1;
    g_listBox.items.push_back((LPCWSTR)lParam);
    return (LRESULT)g_listBox.items.size() - 1;
}

namespace {

struct MemDC {
    HDC hdc = CreateCompatibleDC(nullptr);
    ~MemDC() { DeleteDC(hdc); }
};

TEST(FontHelpers, CharsetOfAFace)
{
    MemDC dc;
    ASSERT_NE(nullptr, dc.hdc);
    EXPECT_EQ(SHIFTJIS_CHARSET, GetFaceCharset(dc.hdc, u"ＭＳ Ｐゴシック"));
    EXPECT_EQ(SHIFTJIS_CHARSET, GetFaceCharset(dc.hdc, u"@ＭＳ 明朝"));
    EXPECT_EQ(ANSI_CHARSET, GetFaceCharset(dc.hdc, u"Arial"));
    EXPECT_EQ(DEFAULT_CHARSET, GetFaceCharset(dc.hdc, u"No Such Face"));
    EXPECT_EQ(DEFAULT_CHARSET, GetFaceCharset(dc.hdc, u"arial"));
}

TEST(FontHelpers, SampleFontTable)
{
    MemDC dc;
    ASSERT_EQ(96, GetDeviceCaps(dc.hdc, LOGPIXELSY));
    struct Row {
        const char16_t* pszFace;
        int iVertical, iPoints, iStyle, iKind;
        const char16_t* pszExpectedFace;
        BYTE jCharSet;
        LONG lAngle, lHeight, lWeight;
        BYTE jItalic;
    };
    const Row rows[] = {
        {u"ＭＳ Ｐゴシック", 0, 12, 1, 3, u"@ＭＳ Ｐゴシック", 128, 1800, -16, 0, 0},
        {u"@ＭＳ Ｐゴシック", 0, 12, 1, 1, u"ＭＳ Ｐゴシック", 128, 0, -16, 0, 0},
        {u"@ＭＳ Ｐゴシック", 1, 12, 2, 3, u"@ＭＳ Ｐゴシック", 128, 2700, -16, 700, 0},
        {u"ＭＳ 明朝", 1, 10, 3, 2, u"ＭＳ 明朝", 128, 2700, -13, 0, 1},
        {u"Arial", 0, 72, 4, 3, u"Arial", 0, 1800, -96, 700, 1},
        {u"Nowhere", 1, 9, 1, 1, u"Nowhere", 1, 900, -12, 0, 0},
        {u"@Nowhere", 0, 0, 1, 1, u"@Nowhere", 1, 0, 0, 0, 0},
    };
    for (const Row& r : rows) {
        LOGFONTW lf;
        memset(&lf, 0x5A, sizeof(lf));
        ASSERT_TRUE(BuildSampleFont(dc.hdc, r.iVertical, r.pszFace, r.iPoints, r.iStyle, r.iKind, 2, &lf));
        std::string what = std::to_string(r.iPoints) + "/" + std::to_string(r.iKind);
        EXPECT_EQ(std::u16string(r.pszExpectedFace), std::u16string(lf.lfFaceName)) << what;
        EXPECT_EQ(r.jCharSet, lf.lfCharSet) << what;
        EXPECT_EQ(r.lAngle, lf.lfEscapement) << what;
        EXPECT_EQ(r.lAngle, lf.lfOrientation) << what;
        EXPECT_EQ(r.lHeight, lf.lfHeight) << what;
        EXPECT_EQ(0, lf.lfWidth) << what;
        EXPECT_EQ(r.lWeight, lf.lfWeight) << what;
        EXPECT_EQ(r.jItalic, lf.lfItalic) << what;
        EXPECT_EQ(0, lf.lfUnderline | lf.lfStrikeOut | lf.lfOutPrecision | lf.lfClipPrecision | lf.lfQuality |
                         lf.lfPitchAndFamily)
            << what;
    }
    EXPECT_FALSE(BuildSampleFont(dc.hdc, 0, u"Arial", 12, 1, 1, 2, nullptr));
}

TEST(FontHelpers, AlignmentByKindAndPlacement)
{
    const struct {
        int iKind, iPlacement;
        UINT uAlign;
    } rows[] = {
        {1, 1, TA_RIGHT}, {1, 2, TA_CENTER}, {1, 3, TA_LEFT}, {1, 0, TA_CENTER},
        {2, 1, TA_LEFT},  {2, 2, TA_CENTER}, {2, 3, TA_RIGHT}, {3, 1, TA_LEFT}, {3, 3, TA_RIGHT},
    };
    for (const auto& r : rows)
        for (int iVertical : {0, 1})
            EXPECT_EQ(r.uAlign, GetSampleTextAlign(iVertical, r.iKind, r.iPlacement)) << r.iKind << r.iPlacement;
}

TEST(FontHelpers, SampleDrawingPutsEveryAttributeBack)
{
    MemDC dc;
    std::vector<BYTE> white((1200 + 15) / 16 * 2 * 1200, 0xFF);
    HBITMAP hbm = CreateBitmap(1200, 1200, 1, 1, white.data());
    HGDIOBJ hbmOld = SelectObject(dc.hdc, hbm);
    SetMapMode(dc.hdc, MM_TEXT);
    SetTextAlign(dc.hdc, TA_BASELINE);
    SetTextColor(dc.hdc, 0x00123456);
    SetBkMode(dc.hdc, OPAQUE);
    HGDIOBJ hBrush = GetStockObject(GRAY_BRUSH);
    HGDIOBJ hBrushBefore = SelectObject(dc.hdc, hBrush);
    LONG cFonts = PlatGdiLiveFonts();

    EXPECT_TRUE(DrawFontSample(dc.hdc, 0, u"Arial", 24, 2, 1, 2, u"Sample"));
    EXPECT_TRUE(DrawFontSample(dc.hdc, 1, u"ＭＳ Ｐゴシック", 24, 1, 3, 1, u"縦書き"));

    EXPECT_EQ((UINT)TA_BASELINE, GetTextAlign(dc.hdc));
    EXPECT_EQ((COLORREF)0x00123456, GetTextColor(dc.hdc));
    EXPECT_EQ(OPAQUE, GetBkMode(dc.hdc));
    EXPECT_EQ(cFonts, PlatGdiLiveFonts());
    EXPECT_EQ(hBrush, SelectObject(dc.hdc, hBrushBefore));
    EXPECT_EQ(MM_TEXT, SetMapMode(dc.hdc, MM_TEXT));
    EXPECT_FALSE(DrawFontSample(nullptr, 0, u"Arial", 12, 1, 1, 2, u"x"));
    EXPECT_FALSE(DrawFontSample(dc.hdc, 0, u"Arial", 12, 1, 1, 2, nullptr));
    SelectObject(dc.hdc, hbmOld);
    DeleteObject(hbm);
}

// The box around the black pixels of a 1-bit bitmap {left, top, right, bottom}.
RECT InkBox(HDC hdc, HBITMAP hbm, int cx, int cy)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD c[2];
    } bmi = {};
    bmi.h.biSize = sizeof(BITMAPINFOHEADER);
    bmi.h.biWidth = cx;
    bmi.h.biHeight = -cy;
    bmi.h.biPlanes = 1;
    bmi.h.biBitCount = 1;
    bmi.h.biCompression = BI_RGB;
    int cbRow = (cx + 31) / 32 * 4;
    std::vector<BYTE> bits((size_t)cbRow * cy);
    EXPECT_EQ(cy, GetDIBits(hdc, hbm, 0, (UINT)cy, bits.data(), (BITMAPINFO*)&bmi, DIB_RGB_COLORS));
    RECT rc = {cx, cy, -1, -1};
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (!((bits[(size_t)y * cbRow + x / 8] >> (7 - x % 8)) & 1)) {
                rc.left = std::min<LONG>(rc.left, x);
                rc.top = std::min<LONG>(rc.top, y);
                rc.right = std::max<LONG>(rc.right, x + 1);
                rc.bottom = std::max<LONG>(rc.bottom, y + 1);
            }
    return rc;
}

TEST(FontHelpers, UprightSampleIsRaisedByAQuarterOfItsHeight)
{
    struct Row {
        int iKind;
        BOOL bRaised;  // top of the ink above the drawing point
    };
    for (const Row& r : {Row{1, TRUE}, Row{2, TRUE}}) {
        MemDC dc;
        std::vector<BYTE> white((1200 + 15) / 16 * 2 * 1200, 0xFF);
        HBITMAP hbm = CreateBitmap(1200, 1200, 1, 1, white.data());
        HGDIOBJ hbmOld = SelectObject(dc.hdc, hbm);
        ASSERT_TRUE(DrawFontSample(dc.hdc, 0, u"Arial", 24, 1, r.iKind, 2, u"HHHH"));
        RECT rc = InkBox(dc.hdc, hbm, 1200, 1200);
        // Centred on x = 1000 either way.
        EXPECT_NEAR(1000, (rc.left + rc.right) / 2, 6) << r.iKind;
        if (r.iKind == 1) {
            // Top-aligned at 1000 less a quarter of the text height.
            EXPECT_LT(rc.top, 1000);
            EXPECT_GT(rc.top, 1000 - 20);
            EXPECT_GT(rc.bottom, 1000);
        } else {
            // Turned half a turn about (1000, 1000): the ink lies above it.
            EXPECT_LE(rc.bottom, 1001);
        }
        SelectObject(dc.hdc, hbmOld);
        DeleteObject(hbm);
    }
}

TEST(FontHelpers, ListBoxGetsNoVerticalFace)
{
    MemDC dc;
    g_listBox = {(HWND)0x1234, 705, {}};
    FONTLISTARG arg = {};
    arg.iMode = 0;
    arg.hDlg = g_listBox.hDlg;
    arg.iListId = g_listBox.iId;
    EnumFontFamiliesW(dc.hdc, nullptr, EnumFontListProc, (LPARAM)&arg);
    EXPECT_EQ(7u, g_listBox.items.size());
    for (const std::u16string& s : g_listBox.items)
        EXPECT_NE(u'@', s[0]);
    EXPECT_NE(g_listBox.items.end(),
              std::find(g_listBox.items.begin(), g_listBox.items.end(), std::u16string(u"ＭＳ 明朝")));
}

TEST(FontHelpers, CharsetModeKeepsTheLastFont)
{
    MemDC dc;
    FONTLISTARG arg = {};
    arg.iMode = 1;
    EnumFontFamiliesW(dc.hdc, u"Arial", EnumFontListProc, (LPARAM)&arg);
    EXPECT_EQ(ANSI_CHARSET, arg.jCharSet);
    EnumFontFamiliesW(dc.hdc, u"ＭＳ Ｐゴシック", EnumFontListProc, (LPARAM)&arg);
    EXPECT_EQ(SHIFTJIS_CHARSET, arg.jCharSet);
    EXPECT_NE(0, arg.jPitchAndFamily);
}

int CollectNames(const LOGFONTW* plf, const TEXTMETRICW*, DWORD dwType, LPARAM lParam)
{
    if (dwType & FONTTYPE_TRUETYPE)
        ((std::vector<std::u16string>*)lParam)->push_back(plf->lfFaceName);
    return 1;
}

TEST(FontHelpers, NodeListHoldsEveryFaceInOrder)
{
    MemDC dc;
    std::vector<std::u16string> expected;
    EnumFontFamiliesW(dc.hdc, nullptr, CollectNames, (LPARAM)&expected);
    ASSERT_FALSE(expected.empty());

    FONTNAMENODE first = {};
    FONTLISTARG arg = {};
    arg.iMode = 2;
    arg.pNode = &first;
    arg.bFirstNode = TRUE;
    EnumFontFamiliesW(dc.hdc, nullptr, EnumFontListProc, (LPARAM)&arg);
    EXPECT_EQ((int)expected.size(), arg.cFaces);
    EXPECT_FALSE(arg.bFirstNode);
    std::vector<std::u16string> got;
    for (FONTNAMENODE* p = &first; p; p = p->pNext)
        got.push_back(p->szFace);
    EXPECT_EQ(expected, got);
    FreeFontNameNodes(&first);
    EXPECT_EQ(nullptr, first.pNext);
}

TEST(FontHelpers, NodeListEndsWholeWhenMemoryRunsOut)
{
    MemDC dc;
    FONTNAMENODE first = {};
    FONTLISTARG arg = {};
    arg.iMode = 2;
    arg.pNode = &first;
    arg.bFirstNode = TRUE;
    LONG cBlocks = PlatGlobalLiveBlocks();
    // The first face fills the caller's node; the second one's node fails.
    PlatFailAllocation(1);
    EnumFontFamiliesW(dc.hdc, nullptr, EnumFontListProc, (LPARAM)&arg);
    PlatFailAllocation(0);
    EXPECT_EQ(1, arg.cFaces);
    EXPECT_EQ(nullptr, first.pNext);
    EXPECT_NE(0, first.szFace[0]);
    EXPECT_EQ(cBlocks, PlatGlobalLiveBlocks());
}

}  // namespace
