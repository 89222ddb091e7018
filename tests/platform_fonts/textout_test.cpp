// Text drawn by the engine on bitmaps, the text calls of memory DCs, and
// font enumeration.
#include "platform/windows.h"
#include "platform/gdi/engobj.h"
#include "platform/gdi/fontobj.h"
#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

LOGFONTW MakeFont(const char16_t* pszFace, LONG lHeight)
{
    LOGFONTW lf = {};
    lf.lfHeight = lHeight;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; pszFace[i]; i++)
        lf.lfFaceName[i] = pszFace[i];
    return lf;
}

// A white 1-bit engine bitmap (1 = white, 0 = black), top row first.
struct Page {
    HSURF hsurf;
    SURFOBJ* pso;
    Page(LONG cx, LONG cy)
    {
        hsurf = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{cx, cy}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
        pso = EngLockSurface(hsurf);
        EngEraseSurface(pso, nullptr, 1);
    }
    ~Page()
    {
        EngUnlockSurface(pso);
        EngDeleteSurface(hsurf);
    }
    BOOL Black(LONG x, LONG y) const
    {
        const BYTE* pRow = static_cast<const BYTE*>(pso->pvScan0) + y * pso->lDelta;
        return !((pRow[x >> 3] >> (7 - (x & 7))) & 1);
    }
    // The box around all black pixels (empty when there are none).
    RECTL InkBox() const
    {
        RECTL rc = {pso->sizlBitmap.cx, pso->sizlBitmap.cy, 0, 0};
        for (LONG y = 0; y < pso->sizlBitmap.cy; y++)
            for (LONG x = 0; x < pso->sizlBitmap.cx; x++)
                if (Black(x, y)) {
                    rc.left = std::min(rc.left, x);
                    rc.top = std::min(rc.top, y);
                    rc.right = std::max(rc.right, x + 1);
                    rc.bottom = std::max(rc.bottom, y + 1);
                }
        return rc;
    }
};

struct Solid {
    BRUSHOBJ* pbo;
    explicit Solid(ULONG iColor)
    {
        PLATBRUSHDEF def = {iColor, iColor ? 0xFFFFFFu : 0u, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
        pbo = PlatBrushCreate(&def);
    }
    ~Solid() { PlatBrushDelete(pbo); }
};

struct TextRun {
    FONTOBJ* pfo;
    STROBJ* pstro;
    TextRun(const char16_t* pszFace, LONG lHeight, const char16_t* psz, POINTL ptl)
    {
        LOGFONTW lf = MakeFont(pszFace, lHeight);
        pfo = PlatFontRealize(&lf, 600, 600);
        pstro = PlatStrCreate(pfo, psz, static_cast<ULONG>(std::u16string(psz).size()), nullptr,
                              FALSE, FALSE, ptl);
    }
    ~TextRun()
    {
        PlatStrDelete(pstro);
        PlatFontRelease(pfo);
    }
};

TEST(EngTextOutBitmap, GlyphInkLandsOnTheBaselineAtTheOrigin)
{
    Page page(300, 150);
    TextRun run(u"Arial", -100, u"H", POINTL{20, 120});
    Solid black(0);
    ASSERT_TRUE(EngTextOut(page.pso, run.pstro, run.pfo, nullptr, nullptr, nullptr, black.pbo,
                           nullptr, nullptr, R2_COPYPEN | (R2_COPYPEN << 8)));
    RECTL ink = page.InkBox();
    // The capital stands on the baseline (row 119 is its lowest), starts a
    // few pixels right of the origin and ends before the next origin.
    LONG lAdvance = 0;
    PlatFontGlyph(run.pfo, u'H', nullptr, &lAdvance);
    EXPECT_EQ(ink.bottom, 120);
    EXPECT_NEAR(ink.top, 120 - FONTOBJ_pifi(run.pfo)->fwdCapHeight * 100 / 2048, 1);
    EXPECT_GT(ink.left, 20);
    EXPECT_LT(ink.left, 20 + 15);
    EXPECT_LT(ink.right, 20 + lAdvance);
    // Between the stems, above the bar, the paper stays white.
    EXPECT_FALSE(page.Black((ink.left + ink.right) / 2, ink.top + 5));
    EXPECT_TRUE(page.Black((ink.left + ink.right) / 2, (ink.top + ink.bottom) / 2));
}

TEST(EngTextOutBitmap, ClipCutsTheTextAndOpaqueAndExtraRectanglesAreFilled)
{
    Solid black(0), white(1);
    Page full(300, 150), clipped(300, 150);
    TextRun run(u"Arial", -100, u"HH", POINTL{20, 120});
    MIX mix = R2_COPYPEN | (R2_COPYPEN << 8);
    ASSERT_TRUE(EngTextOut(full.pso, run.pstro, run.pfo, nullptr, nullptr, nullptr, black.pbo,
                           nullptr, nullptr, mix));
    CLIPOBJ* pco = EngCreateClip();
    RECTL rcClip = {0, 0, 90, 150};
    ASSERT_TRUE(PlatClipSetRects(pco, &rcClip, 1));
    ASSERT_TRUE(EngTextOut(clipped.pso, run.pstro, run.pfo, pco, nullptr, nullptr, black.pbo,
                           nullptr, nullptr, mix));
    for (LONG y = 0; y < 150; y++)
        for (LONG x = 0; x < 300; x++)
            ASSERT_EQ(clipped.Black(x, y), x < 90 && full.Black(x, y)) << x << "," << y;
    EngDeleteClip(pco);

    // An opaque box in black with white text, and an underline bar.
    Page boxed(300, 150);
    RECTL rcOpaque = {10, 10, 60, 40};
    RECTL arcExtra[2] = {{100, 130, 200, 134}, {0, 0, 0, 0}};
    ASSERT_TRUE(EngTextOut(boxed.pso, run.pstro, run.pfo, nullptr, arcExtra, &rcOpaque, black.pbo,
                           black.pbo, nullptr, mix));
    EXPECT_TRUE(boxed.Black(10, 10));
    EXPECT_TRUE(boxed.Black(59, 39));
    EXPECT_FALSE(boxed.Black(60, 39));
    EXPECT_TRUE(boxed.Black(150, 132));
    EXPECT_FALSE(boxed.Black(150, 134));
}

struct MixCase {
    MIX mix;
    ULONG iBefore;    // the paper's colour (0x00BBGGRR)
    ULONG iFore;      // the text's
    ULONG iInk;       // what an ink pixel becomes
};

class EngTextOut24 : public ::testing::TestWithParam<MixCase> {};

TEST_P(EngTextOut24, InkPixelsTakeTheMixAndPaperStays)
{
    const MixCase& c = GetParam();
    HSURF hs = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{120, 80}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr));
    SURFOBJ* pso = EngLockSurface(hs);
    EngEraseSurface(pso, nullptr, c.iBefore);
    TextRun run(u"Arial", -60, u"I", POINTL{30, 70});
    PLATBRUSHDEF def = {c.iFore, c.iFore, 0, nullptr, nullptr, nullptr, nullptr, FALSE, FALSE, {}};
    BRUSHOBJ* pbo = PlatBrushCreate(&def);
    ASSERT_TRUE(EngTextOut(pso, run.pstro, run.pfo, nullptr, nullptr, nullptr, pbo, nullptr,
                           nullptr, c.mix));
    auto at = [&](LONG x, LONG y) {
        const BYTE* p = static_cast<const BYTE*>(pso->pvScan0) + y * pso->lDelta + x * 3;
        return static_cast<ULONG>(p[2]) | (static_cast<ULONG>(p[1]) << 8) | (static_cast<ULONG>(p[0]) << 16);
    };
    int cInk = 0;
    for (LONG y = 0; y < 80; y++)
        for (LONG x = 0; x < 120; x++) {
            ULONG v = at(x, y);
            if (v != c.iBefore) {
                EXPECT_EQ(v, c.iInk) << x << "," << y;
                cInk++;
            }
        }
    EXPECT_GT(cInk, 100);  // the stem of the I
    PlatBrushDelete(pbo);
    EngUnlockSurface(pso);
    EngDeleteSurface(hs);
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, EngTextOut24,
    ::testing::Values(MixCase{R2_COPYPEN | (R2_COPYPEN << 8), 0xFFFFFF, 0x0000FF, 0x0000FF},
                      MixCase{R2_XORPEN | (R2_XORPEN << 8), 0x00FF00, 0x0000FF, 0x00FFFF},
                      MixCase{R2_MASKPEN | (R2_MASKPEN << 8), 0x00FFFF, 0xFF00FF, 0x0000FF},
                      MixCase{R2_NOTCOPYPEN | (R2_NOTCOPYPEN << 8), 0x000000, 0xFF0000, 0x00FFFF}));

TEST(EngTextOutBitmap, RefusesSurfacesWithoutBits)
{
    TextRun run(u"Arial", -100, u"H", POINTL{20, 120});
    Solid black(0);
    SURFOBJ so = {};
    so.iType = STYPE_DEVICE;
    EXPECT_FALSE(EngTextOut(&so, run.pstro, run.pfo, nullptr, nullptr, nullptr, black.pbo, nullptr,
                            nullptr, R2_COPYPEN));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// A DIB header with the two colours of a 1-bit table.
struct BITMAPINFO2 {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
    RGBQUAD c1;
};

// A memory DC with a white 1-bit bitmap to draw on.
struct MemoryDC {
    HDC hdc;
    HBITMAP hbm;
    HGDIOBJ hbmOld;
    MemoryDC(int cx, int cy)
    {
        hdc = CreateCompatibleDC(nullptr);
        std::vector<BYTE> white(static_cast<size_t>((cx + 15) / 16 * 2) * cy, 0xFF);
        hbm = CreateBitmap(cx, cy, 1, 1, white.data());
        hbmOld = SelectObject(hdc, hbm);
    }
    ~MemoryDC()
    {
        SelectObject(hdc, hbmOld);
        DeleteObject(hbm);
        DeleteDC(hdc);
    }
    // The rows read back as a bottom-up 1-bit DIB, as a caller of GetDIBits
    // gets them: black is 0.
    std::vector<BYTE> Dib(int cx, int cy, BITMAPINFO2* pbmi)
    {
        std::vector<BYTE> bits(static_cast<size_t>((cx + 31) / 32 * 4) * cy);
        std::memset(pbmi, 0, sizeof(BITMAPINFO2));
        pbmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        pbmi->bmiHeader.biWidth = cx;
        pbmi->bmiHeader.biHeight = cy;
        pbmi->bmiHeader.biPlanes = 1;
        pbmi->bmiHeader.biBitCount = 1;
        pbmi->bmiHeader.biCompression = BI_RGB;
        EXPECT_EQ(GetDIBits(hdc, hbm, 0, static_cast<UINT>(cy), bits.data(), reinterpret_cast<BITMAPINFO*>(pbmi), DIB_RGB_COLORS), cy);
        return bits;
    }
};

// The box of black pixels of a bottom-up 1-bit DIB, in top-down rows.
RECTL DibInk(const std::vector<BYTE>& bits, int cx, int cy)
{
    RECTL rc = {cx, cy, 0, 0};
    int cb = (cx + 31) / 32 * 4;
    for (int row = 0; row < cy; row++)
        for (int x = 0; x < cx; x++)
            if (!((bits[static_cast<size_t>(row) * cb + x / 8] >> (7 - x % 8)) & 1)) {
                int y = cy - 1 - row;
                rc.left = std::min<LONG>(rc.left, x);
                rc.top = std::min<LONG>(rc.top, y);
                rc.right = std::max<LONG>(rc.right, x + 1);
                rc.bottom = std::max<LONG>(rc.bottom, y + 1);
            }
    return rc;
}

struct AlignCase {
    UINT uAlign;
    int x, y;
    // Where the reference point sits on the text's ink box.
    enum { LEFT, RIGHT, CENTER } h;
    enum { TOP, BASELINE, BOTTOM } v;
};

class TextAlignment : public ::testing::TestWithParam<AlignCase> {};

TEST_P(TextAlignment, ReferencePointSitsWhereTheAlignmentSays)
{
    const AlignCase& c = GetParam();
    MemoryDC dc(400, 200);
    HFONT hf = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    ASSERT_NE(hf, nullptr);
    HGDIOBJ hOld = SelectObject(dc.hdc, hf);
    ASSERT_NE(hOld, nullptr);
    SetTextAlign(dc.hdc, c.uAlign);
    SetBkMode(dc.hdc, TRANSPARENT);
    ASSERT_TRUE(TextOutW(dc.hdc, c.x, c.y, u"HIH", 3));
    SIZE sz = {};
    ASSERT_TRUE(GetTextExtentPoint32W(dc.hdc, u"HIH", 3, &sz));
    TEXTMETRICW tm = {};
    ASSERT_TRUE(GetTextMetricsW(dc.hdc, &tm));
    BITMAPINFO2 bmi;
    std::vector<BYTE> bits = dc.Dib(400, 200, &bmi);
    RECTL ink = DibInk(bits, 400, 200);
    LONG xStart = c.h == AlignCase::LEFT ? c.x : c.h == AlignCase::RIGHT ? c.x - sz.cx : c.x - sz.cx / 2;
    LONG yBase = c.v == AlignCase::BASELINE ? c.y
                 : c.v == AlignCase::TOP    ? c.y + tm.tmAscent
                                            : c.y - tm.tmDescent;
    EXPECT_EQ(ink.bottom, yBase);  // capitals end on the baseline
    EXPECT_GE(ink.left, xStart);
    EXPECT_LE(ink.left, xStart + 6);
    EXPECT_LE(ink.right, xStart + sz.cx);
    EXPECT_GE(ink.right, xStart + sz.cx - 6);
    SelectObject(dc.hdc, hOld);
    DeleteObject(hOld);
    DeleteObject(hf);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TextAlignment,
    ::testing::Values(AlignCase{TA_LEFT | TA_TOP, 50, 20, AlignCase::LEFT, AlignCase::TOP},
                      AlignCase{TA_LEFT | TA_BASELINE, 50, 100, AlignCase::LEFT, AlignCase::BASELINE},
                      AlignCase{TA_RIGHT | TA_BOTTOM, 350, 150, AlignCase::RIGHT, AlignCase::BOTTOM},
                      AlignCase{TA_CENTER | TA_BASELINE, 200, 100, AlignCase::CENTER,
                                AlignCase::BASELINE}));

TEST(ExtTextOut, ClippedOpaqueRectangleAndSpacing)
{
    MemoryDC dc(400, 200);
    HFONT hf = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    HGDIOBJ hOld = SelectObject(dc.hdc, hf);
    SetTextAlign(dc.hdc, TA_BASELINE);
    SetBkColor(dc.hdc, RGB(0, 0, 0));  // black box
    SetTextColor(dc.hdc, RGB(255, 255, 255));
    RECT rc = {100, 50, 200, 120};
    const INT adx[] = {60, 60, 60};
    ASSERT_TRUE(ExtTextOutW(dc.hdc, 110, 100, ETO_OPAQUE | ETO_CLIPPED, &rc, u"III", 3, adx));
    BITMAPINFO2 bmi;
    std::vector<BYTE> bits = dc.Dib(400, 200, &bmi);
    // Everything black is the box; the white strokes of the text sit inside
    // it, 60 pixels apart, and the third, beyond the box, is cut away.
    RECTL ink = DibInk(bits, 400, 200);
    EXPECT_EQ(ink.left, 100);
    EXPECT_EQ(ink.top, 50);
    EXPECT_EQ(ink.right, 200);
    EXPECT_EQ(ink.bottom, 120);
    int cb = (400 + 31) / 32 * 4;
    auto white = [&](int x, int y) {
        return ((bits[static_cast<size_t>(199 - y) * cb + x / 8] >> (7 - x % 8)) & 1) != 0;
    };
    std::vector<int> strokes;  // white runs along the row just above the baseline
    for (int x = 100; x < 200; x++)
        if (white(x, 95) && !white(x - 1, 95))
            strokes.push_back(x);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_EQ(strokes[1] - strokes[0], 60);
    EXPECT_EQ(bmi.bmiColors[0].rgbRed, 0);  // index 0 is black, 1 white
    EXPECT_EQ(bmi.c1.rgbRed, 255);
    SelectObject(dc.hdc, hOld);
    DeleteObject(hf);
}

TEST(TextCalls, MappingModeScalesFontAndPosition)
{
    // Two logical units per pixel: a 80-unit font is 40 pixels high and
    // the reference point (200, 200) is pixel (100, 100); sizes come back
    // in logical units.
    MemoryDC dc(300, 200);
    SetMapMode(dc.hdc, MM_ANISOTROPIC);
    SetWindowExtEx(dc.hdc, 2, 2, nullptr);
    SetViewportExtEx(dc.hdc, 1, 1, nullptr);
    HFONT hf = CreateFontW(-80, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    HGDIOBJ hOld = SelectObject(dc.hdc, hf);
    SetTextAlign(dc.hdc, TA_BASELINE);
    SetBkMode(dc.hdc, TRANSPARENT);
    ASSERT_TRUE(TextOutW(dc.hdc, 200, 200, u"H", 1));
    BITMAPINFO2 bmi;
    RECTL ink = DibInk(dc.Dib(300, 200, &bmi), 300, 200);
    EXPECT_EQ(ink.bottom, 100);
    EXPECT_NEAR(ink.bottom - ink.top, 40 * 1409 / 2048.0, 2);  // a capital of a 40-pixel em
    EXPECT_GE(ink.left, 100);
    EXPECT_LE(ink.left, 106);
    SIZE szLogical = {};
    GetTextExtentPoint32W(dc.hdc, u"H", 1, &szLogical);
    SetMapMode(dc.hdc, MM_TEXT);
    SIZE szPixels = {};
    GetTextExtentPoint32W(dc.hdc, u"H", 1, &szPixels);
    EXPECT_NEAR(szLogical.cx, 2 * 29, 2);  // H advances 1479/2048 of 40 pixels
    EXPECT_NEAR(szPixels.cx, szLogical.cx, 1);  // the same 80 units, now 80 pixels
    SelectObject(dc.hdc, hOld);
    DeleteObject(hf);
}

TEST(TextCalls, UpdateCurrentPositionMovesAlongTheText)
{
    MemoryDC dc(300, 100);
    HFONT hf = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    HGDIOBJ hOld = SelectObject(dc.hdc, hf);
    SetTextAlign(dc.hdc, TA_UPDATECP | TA_BASELINE);
    MoveToEx(dc.hdc, 10, 50, nullptr);
    ASSERT_TRUE(TextOutW(dc.hdc, 999, 999, u"AB", 2));  // x and y are not used
    SIZE sz = {};
    GetTextExtentPoint32W(dc.hdc, u"AB", 2, &sz);
    POINT pt = {};
    MoveToEx(dc.hdc, 0, 0, &pt);
    EXPECT_EQ(pt.x, 10 + sz.cx);
    EXPECT_EQ(pt.y, 50);
    SelectObject(dc.hdc, hOld);
    DeleteObject(hf);
}

TEST(TextCalls, FaceNameMetricsAndErrors)
{
    MemoryDC dc(100, 100);
    HFONT hf = CreateFontW(-64, 0, 0, 0, FW_BOLD, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                           u"ＭＳ ゴシック");
    HGDIOBJ hOld = SelectObject(dc.hdc, hf);
    WCHAR name[LF_FACESIZE] = {};
    EXPECT_EQ(GetTextFaceW(dc.hdc, LF_FACESIZE, name), 7);
    EXPECT_EQ(std::u16string(name), u"ＭＳ ゴシック");
    EXPECT_EQ(GetTextFaceW(dc.hdc, 0, nullptr), 8);
    TEXTMETRICW tm = {};
    ASSERT_TRUE(GetTextMetricsW(dc.hdc, &tm));
    EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);  // emboldened
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR), TMPF_TRUETYPE | TMPF_VECTOR);
    EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // the bit means variable pitch
    SIZE sz = {};
    ASSERT_TRUE(GetTextExtentPoint32W(dc.hdc, u"日本", 2, &sz));
    EXPECT_GE(sz.cx, 2 * 64);  // full width, plus the emboldening
    EXPECT_EQ(sz.cy, tm.tmHeight);
    LOGFONTW lf = {};
    EXPECT_EQ(GetObjectType(hf), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetObjectW(hf, 0, nullptr), static_cast<int>(sizeof(LOGFONTW)));
    EXPECT_EQ(GetObjectW(hf, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(std::u16string(lf.lfFaceName), u"ＭＳ ゴシック");
    SelectObject(dc.hdc, hOld);
    DeleteObject(hf);

    EXPECT_FALSE(TextOutW(nullptr, 0, 0, u"x", 1));
    EXPECT_FALSE(TextOutW(dc.hdc, 0, 0, nullptr, 1));
    EXPECT_EQ(SelectObject(dc.hdc, hf), nullptr);  // deleted above
    EXPECT_FALSE(DeleteObject(hf));
}

TEST(TextCalls, FontDeletedWhileSelectedGoesWhenDeselected)
{
    LONG before = PlatGdiLiveFonts();
    {
        MemoryDC dc(10, 10);
        HFONT hf = CreateFontW(-10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
        HGDIOBJ hDefault = SelectObject(dc.hdc, hf);
        EXPECT_TRUE(DeleteObject(hf));
        EXPECT_EQ(GetObjectType(hf), static_cast<DWORD>(OBJ_FONT));  // still in use
        SelectObject(dc.hdc, hDefault);
        EXPECT_EQ(GetObjectType(hf), 0u);
        // The DC's default font is a stock object: deleting it does nothing.
        EXPECT_TRUE(DeleteObject(hDefault));
        EXPECT_EQ(GetObjectType(hDefault), static_cast<DWORD>(OBJ_FONT));
        MemoryDC other(10, 10);
        HFONT hf2 = CreateFontW(-10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
        EXPECT_EQ(SelectObject(other.hdc, hf2), hDefault);  // the same default everywhere
        SelectObject(other.hdc, hDefault);
        DeleteObject(hf2);
    }
    EXPECT_EQ(PlatGdiLiveFonts(), before);
}

struct Listed {
    std::u16string name;
    BYTE jCharSet;
    DWORD dwType;
    std::u16string style;
};

int CollectFont(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam)
{
    const ENUMLOGFONTEXW* pelf = reinterpret_cast<const ENUMLOGFONTEXW*>(plf);
    reinterpret_cast<std::vector<Listed>*>(lParam)->push_back(
        Listed{plf->lfFaceName, plf->lfCharSet, dwType, pelf->elfStyle});
    EXPECT_EQ(ptm->tmCharSet, plf->lfCharSet);
    return 1;
}

int StopAtOnce(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lParam)
{
    ++*reinterpret_cast<int*>(lParam);
    return 0;
}

TEST(FontEnumeration, ListsTheVerticalFacesAsFamiliesOfTheirOwn)
{
    MemoryDC dc(10, 10);
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    std::vector<Listed> all;
    EXPECT_EQ(EnumFontFamiliesExW(dc.hdc, &lf, CollectFont, reinterpret_cast<LPARAM>(&all), 0), 1);
    std::set<std::u16string> names;
    for (const Listed& l : all) {
        EXPECT_EQ(l.dwType, static_cast<DWORD>(TRUETYPE_FONTTYPE));
        names.insert(l.name);
    }
    for (const char16_t* psz : {u"Arial", u"Times New Roman", u"Courier New", u"ＭＳ Ｐゴシック",
                                u"ＭＳ ゴシック", u"ＭＳ Ｐ明朝", u"ＭＳ 明朝", u"@ＭＳ Ｐゴシック",
                                u"@ＭＳ ゴシック", u"@ＭＳ Ｐ明朝", u"@ＭＳ 明朝"})
        EXPECT_EQ(names.count(psz), 1u) << std::string(psz, psz + 1);

    // Only the Shift-JIS faces, once each.
    std::vector<Listed> sjis;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    EnumFontFamiliesExW(dc.hdc, &lf, CollectFont, reinterpret_cast<LPARAM>(&sjis), 0);
    EXPECT_EQ(sjis.size(), 8u);
    for (const Listed& l : sjis)
        EXPECT_EQ(l.jCharSet, SHIFTJIS_CHARSET);

    // One family: each of its styles.
    std::vector<Listed> arial;
    LOGFONTW lfArial = MakeFont(u"Arial", 0);
    lfArial.lfCharSet = ANSI_CHARSET;
    EnumFontFamiliesExW(dc.hdc, &lfArial, CollectFont, reinterpret_cast<LPARAM>(&arial), 0);
    std::vector<std::u16string> styles;
    for (const Listed& l : arial)
        styles.push_back(l.style);
    EXPECT_EQ(styles, (std::vector<std::u16string>{u"Regular", u"Bold", u"Italic", u"Bold Italic"}));

    // The plain form lists each family once; a callback answering 0 stops it.
    std::vector<Listed> families;
    EnumFontFamiliesW(dc.hdc, nullptr, CollectFont, reinterpret_cast<LPARAM>(&families));
    EXPECT_EQ(families.size(), 11u);
    int cCalls = 0;
    EXPECT_EQ(EnumFontFamiliesW(dc.hdc, nullptr, StopAtOnce, reinterpret_cast<LPARAM>(&cCalls)), 0);
    EXPECT_EQ(cCalls, 1);
}

}  // namespace
