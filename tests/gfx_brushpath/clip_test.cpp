// Clipping and raster operations: "cpc", "cpb"/"csr"/"cpe", "cpp", "cps"
// and "rop", with clip objects of the platform's engine enumerated in
// several calls.
#include "bpfix.h"

namespace {

struct ClipBatch {
    explicit ClipBatch(ULONG c) { PlatEngSetClipBatch(c); }
    ~ClipBatch() { PlatEngSetClipBatch(0); }
};

TEST(Clip, NoneTrivialAndSingleRectangle)
{
    BpPdev t;
    EngClip trivial;
    PlatClipSetTrivial(trivial.pco, nullptr);
    EngClip rect;
    RECTL r = {100, 200, 300, 400};
    PlatClipSetRects(rect.pco, &r, 1);
    EngClip page;
    RECTL rp = {0, 0, 4760, 6816};
    PlatClipSetRects(page.pco, &rp, 1);

    struct Step {
        CLIPOBJ* pco;
        std::string want;
    };
    const Step steps[] = {
        {nullptr, "cpc 0 0 0 4760 6816;\ncps 0;\n"},
        {nullptr, ""},
        {trivial.pco, ""},
        {rect.pco, "cpc 1 100 200 300 400;\ncps 1;\n"},
        {rect.pco, ""},
        {page.pco, "cps 0;\n"},
        {rect.pco, "cps 1;\n"},
        {PDL_CLIP_RECORDING, "cpc 0 0 0 10000 10000;\ncps 0;\n"},
        {PDL_CLIP_RECORDING, "cpc 0 0 0 10000 10000;\n"},
        {nullptr, "cpc 0 0 0 4760 6816;\n"},
    };
    int i = 0;
    for (const Step& s : steps) {
        EXPECT_TRUE(UpdateClip(t.pdev(), s.pco, nullptr));
        EXPECT_EQ(t.Take(), s.want) << "step " << i;
        ++i;
    }
}

TEST(Clip, RectangleCollapsedByNupIsOnePixelWide)
{
    BpPdev t;
    t.pdev()->lNupScale = 5000;
    t.pdev()->xNupCell = 1000;
    t.pdev()->yNupCell = 2000;
    EngClip c;
    RECTL r = {10, 10, 11, 13};
    PlatClipSetRects(c.pco, &r, 1);
    UpdateClip(t.pdev(), c.pco, nullptr);
    EXPECT_EQ(t.Take(), "cpc 1 1005 2005 1006 2006;\ncps 1;\n");
}

TEST(Clip, ComplexListInSeveralEnumerationCallsIsWrittenOnce)
{
    ClipBatch batch(3);
    BpPdev t;
    const RECTL rects[] = {{10, 10, 50, 11}, {60, 10, 70, 11}, {10, 11, 70, 20},
                           {5, 20, 30, 40},  {40, 20, 45, 40}, {0, 40, 100, 41},
                           {20, 50, 25, 60}};
    EngClip c;
    PlatClipSetRects(c.pco, rects, 7);
    const std::string want =
        "cpb 4 0 10 100 60;\n"
        "csr 10 0 40;\n"
        "csr 50 0 10;\n"
        "csr -50 1 60 9;\n"
        "csr -5 9 25 20;\n"
        "csr 35 0 5 20;\n"
        "csr -40 20 100;\n"
        "csr 20 10 5 10;\n"
        "cpe;\n";
    EXPECT_TRUE(UpdateClip(t.pdev(), c.pco, nullptr));
    EXPECT_EQ(t.Take(), want + "cps 4;\n");
    EXPECT_TRUE(UpdateClip(t.pdev(), c.pco, nullptr));
    EXPECT_EQ(t.Take(), "");

    // Another clip object with the same rectangles is the same list; a
    // different list is written and then becomes the one kept.
    EngClip c2;
    PlatClipSetRects(c2.pco, rects, 7);
    UpdateClip(t.pdev(), c2.pco, nullptr);
    EXPECT_EQ(t.Take(), "");
    EngClip c3;
    PlatClipSetRects(c3.pco, rects, 2);
    UpdateClip(t.pdev(), c3.pco, nullptr);
    EXPECT_EQ(t.Take(), "cpb 4 10 10 70 11;\ncsr 0 0 40;\ncsr 50 0 10;\ncpe;\n");
    UpdateClip(t.pdev(), c.pco, nullptr);
    EXPECT_EQ(t.Take(), want);

    // Without a unique number the list streams straight from the clip,
    // its bounding rectangle found first.
    memset(t.work()->szAppName, 0, sizeof(t.work()->szAppName));
    c.pco->iUniq = 0;
    UpdateClip(t.pdev(), c.pco, nullptr);
    EXPECT_EQ(t.Take(), want);
    EXPECT_EQ(PdlSavedRects(t.pdev()), nullptr);
    EXPECT_EQ(PdevSide(t.pdev())->aRef[PREF_SAVEDRECTS], 0u);
}

TEST(Clip, BrowserFillsKeepOnlyTheOverlappedRectangles)
{
    BpPdev t;
    memcpy(t.work()->szAppName, u"iexplore.exe", 26);
    const RECTL rects[] = {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 20, 10, 30}};
    EngClip c;
    PlatClipSetRects(c.pco, rects, 3);
    RECTL area = {22, 2, 25, 5};
    UpdateClip(t.pdev(), c.pco, &area);
    EXPECT_EQ(t.Take(), "cpb 4 20 0 30 10;\ncsr 0 0 10 10;\ncpe;\ncps 4;\n");
    RECTL none = {500, 500, 600, 600};
    EngClip c2;
    PlatClipSetRects(c2.pco, rects, 3);
    UpdateClip(t.pdev(), c2.pco, &none);
    EXPECT_EQ(t.Take(),
              "cpb 4 0 0 30 30;\ncsr 0 0 10 10;\ncsr 20 0 10 10;\ncsr -20 20 10 10;\ncpe;\n");
}

TEST(Clip, PathClipIsWrittenOnlyWhenItChanges)
{
    BpPdev t;
    EngPath p;
    p.Move(10, 10).Lines({Fx(40, 10), Fx(40, 30)}).Close();
    EngClip c;
    PlatClipSetPath(c.pco, p.ppo);
    EXPECT_TRUE(UpdateClip(t.pdev(), c.pco, nullptr));
    EXPECT_EQ(t.Take(), "phb 3;\nmta 10 10;\nltr 2 30 0 0 20;\nphc;\nphe;\ncpp 3 3 e;\ncps 3;\n");
    EXPECT_TRUE(UpdateClip(t.pdev(), c.pco, nullptr));
    EXPECT_EQ(t.Take(), "cpp 3 3 e;\n");
    PdlResetState(t.pdev());
    EXPECT_TRUE(UpdateClip(t.pdev(), c.pco, nullptr));
    EXPECT_EQ(t.Take(), "phb 3;\nmta 10 10;\nltr 2 30 0 0 20;\nphc;\nphe;\ncpp 3 3 e;\ncps 3;\n");
}

TEST(Clip, ClipToPathSaveLeavesTheClipAlone)
{
    BpPdev t;
    EngClip c;
    RECTL r = {1, 2, 3, 4};
    PlatClipSetRects(c.pco, &r, 1);
    t.work()->lClipSaveMode = 1;
    EXPECT_TRUE(UpdateClip(t.pdev(), c.pco, nullptr));
    EXPECT_TRUE(UpdateClip(t.pdev(), nullptr, nullptr));
    EXPECT_EQ(t.Take(), "");
}

TEST(Clip, PageSetUpForgetsTheListAndItsCopy)
{
    BpPdev t;
    int nBefore = t.ChainBlocks();
    const RECTL rects[] = {{0, 0, 10, 10}, {20, 0, 30, 10}};
    EngClip c;
    PlatClipSetRects(c.pco, rects, 2);
    for (int page = 0; page < 5; ++page) {
        UpdateClip(t.pdev(), c.pco, nullptr);
        EXPECT_NE(t.Take().find("cpb 4 0 0 30 10;\n"), std::string::npos);
        EXPECT_EQ(t.ChainBlocks(), nBefore + 1);
        PdlResetState(t.pdev());
        EXPECT_EQ(t.ChainBlocks(), nBefore);
    }
}

TEST(RasterOps, RegistersAreCachedUntilPageSetUp)
{
    BpPdev t;
    SetRop2(t.pdev(), 0x0D0D);
    SetRop2(t.pdev(), 0x0D0D);
    SetRop3(t.pdev(), 0xCC);
    SetRop3(t.pdev(), 0xCC);
    SetRop2(t.pdev(), 0x0707);
    EXPECT_EQ(GetRop2(t.pdev()), 7u);
    EXPECT_EQ(t.Take(), "rop 2 #0D;\nrop 3 #CC;\nrop 2 #07;\n");
    PdlResetState(t.pdev());
    SetRop2(t.pdev(), 0x0707);
    SetRop3(t.pdev(), 0xCC);
    EXPECT_EQ(t.Take(), "rop 2 #07;\nrop 3 #CC;\n");
}

TEST(RasterOps, DestinationClasses)
{
    const ULONG aIgnore3[] = {0x00, 0x03, 0x0C, 0x0F, 0x30, 0x33, 0x3C, 0x3F,
                              0xC0, 0xC3, 0xCC, 0xCF, 0xF0, 0xF3, 0xFC, 0xFF};
    for (ULONG code = 0; code < 256; ++code) {
        bool bIgnores = std::find(std::begin(aIgnore3), std::end(aIgnore3), code) != std::end(aIgnore3);
        EXPECT_EQ(bRop3UsesDest(code), bIgnores ? FALSE : TRUE) << code;
    }
    for (ULONG code = 0; code <= 17; ++code) {
        bool bIgnores = code == 1 || code == 4 || code == 13 || code == 16;
        EXPECT_EQ(bRop2UsesDest(code), bIgnores ? FALSE : TRUE) << code;
    }
}

TEST(RasterOps, BrowserNameIsComparedWithoutCase)
{
    const std::pair<const char16_t*, BOOL> names[] = {
        {u"iexplore.exe", TRUE}, {u"IEXPLORE.EXE", TRUE}, {u"iexplore", FALSE},
        {u"iexplore.exe2", FALSE}, {u"", FALSE}};
    for (auto [psz, b] : names) {
        BpPdev t;
        std::u16string s = psz;
        memcpy(t.work()->szAppName, s.data(), s.size() * 2);
        EXPECT_EQ(bIsIexplore(t.pdev()), b);
    }
}

}  // namespace
