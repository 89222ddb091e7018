// Illustrations on pixels (transparency, clipping, tint) and the
// image-quality sample's rendering.
#include "tests/ui_dialogs/pane_fixture.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/resload.h"
#include "ui/dialogs/illustration.h"
#include "ui/settings/strcache.h"

#include <vector>

namespace {

struct ClipRow {
    int x, w;       // picture position and width on one axis
    int lo, hi;     // update range
    bool painted;
    int dst, n, src;
};

// The same rule serves both axes; each row is run horizontally and
// vertically.
const ClipRow kClipRows[] = {
    {10, 20, 0, 100, true, 10, 20, 0},     // inside
    {10, 20, 0, 20, true, 10, 10, 0},      // cut on the right
    {10, 20, 15, 100, true, 15, 15, 5},    // partly left of the update: from its matching column
    {10, 20, 15, 25, true, 15, 10, 5},     // cut on both sides
    {10, 20, 40, 60, false, 0, 0, 0},      // right of the picture
    {50, 20, 0, 40, false, 0, 0, 0},       // left of the picture
    {-5, 20, 0, 100, true, 0, 15, 5},      // left of the client area: clipped, not wrapped
};

TEST(IllustrationClip, PartsOutsideTheUpdateAreLeftOut)
{
    for (const ClipRow& r : kClipRows) {
        RECT h = {r.lo, 0, r.hi, 1000};
        RECT v = {0, r.lo, 1000, r.hi};
        int x, y, w, hh, xs, ys;
        BOOL b = ClipIllustration(r.x, 0, r.w, 8, &h, &x, &y, &w, &hh, &xs, &ys);
        EXPECT_EQ(!!b, r.painted) << r.x << " in " << r.lo << ".." << r.hi;
        if (b && r.painted) {
            EXPECT_EQ(x, r.dst);
            EXPECT_EQ(w, r.n);
            EXPECT_EQ(xs, r.src);
        }
        b = ClipIllustration(0, r.x, 8, r.w, &v, &x, &y, &w, &hh, &xs, &ys);
        EXPECT_EQ(!!b, r.painted);
        if (b && r.painted) {
            EXPECT_EQ(y, r.dst);
            EXPECT_EQ(hh, r.n);
            EXPECT_EQ(ys, r.src);
        }
    }
}

class Illustration : public PaneTest {};

TEST_F(Illustration, MaskedPictureIsTransparentOutsideItsShape)
{
    HMODULE hRes = GetResourceDllHandle();
    RECT anchor = {10, 10, 60, 60};
    // Confidential print on: a printer with a lock, with its mask.
    HGLOBAL hIll = CreateIllustrationAt(hRes, nullptr, &anchor, 15800, 15803, 0, 0, 0, 0);
    ASSERT_NE(hIll, nullptr);
    Surface s(80, 80);
    // A coloured background shows where the picture is transparent.
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD green = 0x0000C000;
    StretchDIBits(s.hdc, 0, 0, 80, 80, 0, 0, 1, 1, &green, &bi, DIB_RGB_COLORS, SRCCOPY);
    ASSERT_TRUE(PaintIllustrationOn(s.hdc, hIll, nullptr));
    Pixels p = s.Read();
    EXPECT_EQ(p.at(11, 11), 0x00C000u);       // corner of the picture: background shows
    EXPECT_NE(p.at(10 + 24, 10 + 40), 0x00C000u);  // the printer body
    EXPECT_EQ(p.at(5, 5), 0x00C000u);
    ExpectLikeReference(p, "illustration_masked");

    // Without a mask the picture is copied whole, its black background too.
    HGLOBAL hPlain = CreateIllustrationAt(hRes, nullptr, &anchor, 15800, 0, 0, 0, 0, 0);
    StretchDIBits(s.hdc, 0, 0, 80, 80, 0, 0, 1, 1, &green, &bi, DIB_RGB_COLORS, SRCCOPY);
    ASSERT_TRUE(PaintIllustrationOn(s.hdc, hPlain, nullptr));
    EXPECT_EQ(s.Read().at(11, 11), 0u);
    DestroyIllustration(hPlain);

    // An update rectangle beside the picture paints nothing.
    RECT away = {70, 70, 80, 80};
    EXPECT_FALSE(PaintIllustrationOn(s.hdc, hIll, &away));
    DestroyIllustration(hIll);
}

TEST_F(Illustration, TintPaintsWhiteAndKeepsBlack)
{
    HMODULE hRes = GetResourceDllHandle();
    RECT anchor = {0, 0, 30, 30};
    // 10010 is a solid (all black) mask, 10011 too; a white tint layer is
    // the inverse: use the region bitmap, white outside its text block.
    HGLOBAL hIll = CreateIllustrationAt(hRes, nullptr, &anchor, 11202, 0, SAMPLE_REGION_BITMAP, RGB(255, 0, 0), 0, 0);
    ASSERT_NE(hIll, nullptr);
    Surface s(96, 72);
    ASSERT_TRUE(PaintIllustrationOn(s.hdc, hIll, nullptr));
    Pixels p = s.Read();
    EXPECT_EQ(p.at(2, 2), 0xFF0000u);          // white in the tint layer: the tint colour
    Surface plain(96, 72);
    HGLOBAL hNoTint = CreateIllustrationAt(hRes, nullptr, &anchor, 11202, 0, 0, 0, 0, 0);
    PaintIllustrationOn(plain.hdc, hNoTint, nullptr);
    EXPECT_EQ(p.at(70, 20), plain.Read().at(70, 20));  // black in the tint layer: unchanged
    DestroyIllustration(hNoTint);
    DestroyIllustration(hIll);
}

TEST_F(Illustration, LabelDrawnIntoThePicture)
{
    RECT anchor = {0, 0, 120, 120};
    // A binding-margin picture with no mask: the label shows over the sheet.
    HGLOBAL hIll = CreateIllustrationAt(GetResourceDllHandle(), nullptr, &anchor, 15280, 0, 0, 0, 0, 0);
    ASSERT_NE(hIll, nullptr);
    ILLUSTRATION* p = (ILLUSTRATION*)GlobalLock(hIll);
    LOGFONTW lf = {};
    lf.lfHeight = -12;
    lf.lfCharSet = 128;
    lstrcpynW(lf.lfFaceName, u"ＭＳ Ｐゴシック", 32);
    Surface plain(120, 120), labelled(120, 120);
    ASSERT_TRUE(PaintIllustrationOn(plain.hdc, hIll, nullptr));
    ASSERT_TRUE(PaintIllustrationWithText(p, labelled.hdc, nullptr, 28504, 100, 50, 2, &lf));
    Pixels a = plain.Read(), b = labelled.Read();
    int changed = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 50; x < 110; ++x)
            changed += a.at(x, y) != b.at(x, y);
    EXPECT_GT(changed, 10);                 // the label's strokes
    EXPECT_EQ(a.at(60, 100), b.at(60, 100));  // the rest of the picture as it was
    GlobalUnlock(hIll);
    DestroyIllustration(hIll);
}

TEST_F(Illustration, DestroyFreesWhatWasLoaded)
{
    LONG before = PlatGdiLiveObjects();
    RECT anchor = {0, 0, 1, 1};
    HGLOBAL h = CreateIllustrationAt(GetResourceDllHandle(), nullptr, &anchor, 15800, 0, 0, 0, 0, 0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(PlatGdiLiveObjects(), before + 1);
    DestroyIllustration(h);
    EXPECT_EQ(PlatGdiLiveObjects(), before);
    EXPECT_EQ(CreateIllustrationAt(GetResourceDllHandle(), nullptr, &anchor, 0, 15803, 0, 0, 0, 0), nullptr);
}

// ---- sample ----

std::vector<BYTE> Uniform(int w, int h, BYTE v)
{
    return std::vector<BYTE>((size_t)w * h, v);
}

TEST(ImageSample, NoSettingsLeaveTheGreysAsTheyAre)
{
    std::vector<BYTE> g = {0, 17, 128, 200, 255, 99};
    std::vector<BYTE> before = g;
    SAMPLEPARAMS p = {0, 0, 0, 0};
    RenderImageSample(3, 2, g.data(), &p);
    EXPECT_EQ(g, before);
}

TEST(ImageSample, WhiteStaysWhiteBlackStaysBlack)
{
    for (LONG density = -2; density <= 2; ++density)
        for (LONG mode = 0; mode <= 2; ++mode)
            for (LONG matrix : {2, 3}) {
                SAMPLEPARAMS p = {density, mode, matrix, 0};
                std::vector<BYTE> white = Uniform(8, 8, 255);
                RenderImageSample(8, 8, white.data(), &p);
                EXPECT_EQ(white, Uniform(8, 8, 255)) << density << " " << mode;
                if (density >= 0) {
                    std::vector<BYTE> black = Uniform(8, 8, 0);
                    RenderImageSample(8, 8, black.data(), &p);
                    EXPECT_EQ(black, Uniform(8, 8, 0)) << density << " " << mode;
                    p.lTonerSave = 1;
                    black = Uniform(4, 4, 0);
                    RenderImageSample(4, 4, black.data(), &p);
                    const BYTE kSaved[16] = {100, 0, 100, 0, 0, 100, 0, 100, 100, 0, 100, 0, 0, 100, 0, 100};
                    EXPECT_EQ(black, std::vector<BYTE>(kSaved, kSaved + 16));
                }
            }
}

TEST(ImageSample, OrderedDitherOfMidGrey)
{
    std::vector<BYTE> g = Uniform(4, 4, 128);
    DitherSampleOrdered(4, 4, g.data(), 3);
    // 128 * 16 / 255 = 8: bright (166) where the matrix value is 8 or less.
    const BYTE kMatrix[16] = {15, 11, 4, 2, 5, 9, 8, 12, 3, 10, 7, 14, 16, 4, 13, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(g[i], kMatrix[i] <= 8 ? 166 : 90) << i;
    // 3 x 3: (9 * 128 + 128) / 255 = 5.
    g = Uniform(3, 3, 128);
    DitherSampleOrdered(3, 3, g.data(), 2);
    const BYTE kMatrix3[9] = {8, 5, 2, 3, 4, 6, 1, 7, 9};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(g[i], kMatrix3[i] <= 5 ? 166 : 90) << i;
}

TEST(ImageSample, ErrorDiffusionOfMidGrey)
{
    std::vector<BYTE> g = Uniform(6, 2, 128);
    ASSERT_TRUE(DiffuseSampleError(6, 2, g.data()));
    EXPECT_EQ(g[0], 90);   // 128 is not above the threshold
    EXPECT_EQ(g[1], 166);  // it received (4 * 38 + 8) / 16 = 10
    // The error spreads: the mean stays near the grey.
    int sum = 0;
    for (BYTE v : g)
        sum += v;
    EXPECT_NEAR(sum / 12.0, 128, 20);
}

TEST(ImageSample, DensityCurvesRiseAndKeepTheLightTones)
{
    for (LONG density : {-2, -1, 1, 2}) {
        BYTE map[256];
        BuildDensityCurve(density, map);
        for (int i = 1; i < 256; ++i)
            EXPECT_GE(map[i], map[i - 1]) << density << " at " << i;
        for (int i = 224; i < 256; ++i)
            EXPECT_EQ(map[i], i) << density;
    }
    BYTE map[256];
    BuildDensityCurve(1, map);
    EXPECT_EQ(map[128], 102);
    EXPECT_EQ(map[16], 5);
    BuildDensityCurve(-2, map);
    EXPECT_EQ(map[0], 75);
    EXPECT_EQ(map[208], 212);
    BuildDensityCurve(7, map);
    EXPECT_EQ(map[77], 77);
    EXPECT_EQ(SampleGrey(255, 255, 255), 255);
    EXPECT_EQ(SampleGrey(100, 0, 0), 30);
}

TEST_F(Illustration, SampleRendersTheRegionApart)
{
    RECT anchor = {4, 4, 100, 76};
    HGLOBAL hIll = CreateIllustrationAt(GetResourceDllHandle(), nullptr, &anchor, 11202, 0, 0, 0, 0, 0);
    ASSERT_NE(hIll, nullptr);
    struct Case {
        const char* name;
        SAMPLEPARAMS params;
    };
    const Case cases[] = {{"sample_plain", {0, 0, 0, 0}},
                          {"sample_dark_dither", {2, 1, 3, 0}},
                          {"sample_light_diffusion_tonersave", {-1, 2, 0, 1}}};
    for (const Case& c : cases) {
        Surface s(104, 80);
        ASSERT_TRUE(DrawImageQualitySampleOn(s.hdc, hIll, &c.params, 11202));
        Pixels p = s.Read();
        // Grey everywhere: the sample shows tones, not colours.
        DWORD v = p.at(20, 20);
        EXPECT_EQ(v >> 16 & 0xFF, v & 0xFF);
        ExpectLikeReference(p, c.name);
    }
    DestroyIllustration(hIll);
}

}  // namespace

namespace {

class ResourcePictures : public PaneTest {};

TEST_F(ResourcePictures, ListIconsAreTransparentAroundTheirSheet)
{
    HICON hIcon = LoadResIcon(GetResourceDllHandle(), MAKEINTRESOURCEW(14001));
    ASSERT_NE(hIcon, nullptr);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(hIcon, &ii));
    Surface s(16, 16);
    HDC hMem = CreateCompatibleDC(s.hdc);
    HGDIOBJ hOld = SelectObject(hMem, ii.hbmMask);
    BitBlt(s.hdc, 0, 0, 16, 16, hMem, 0, 0, SRCCOPY);
    SelectObject(hMem, hOld);
    DeleteDC(hMem);
    Pixels p = s.Read();
    EXPECT_EQ(p.at(0, 0), 0xFFFFFFu);  // the corner shows what is behind
    EXPECT_EQ(p.at(7, 8), 0u);         // the sheet itself does not
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    DestroyIcon(hIcon);
}

}  // namespace
