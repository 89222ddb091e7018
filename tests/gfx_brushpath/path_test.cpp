// Paths: the subpath walker's "phb"/"mta"/"ltr"/"bzr"/"phc"/"phe", curves
// split where they turn back, the N-up mapping and its small-subpath rule,
// and the fill and stroke bodies with their outline, pens and clip.
#include "bpfix.h"

namespace {

std::string Path(PDEV* pPDev, PATHOBJ* ppo, BOOL bSmallRule = FALSE)
{
    BpPdev* pOwner = nullptr;
    memcpy(&pOwner, pPDev->abReserved, sizeof(pOwner));
    pOwner->Take();
    BOOL bSegments = FALSE;
    EXPECT_TRUE(UpdatePath(pPDev, ppo, PDL_PATH_DRAW, &bSegments, bSmallRule));
    return pOwner->Take();
}

TEST(PathWriter, LinesAndClosedFiguresAsDifferences)
{
    BpPdev t;
    EngPath p;
    p.Move(10, 20).Lines({Fx(30, 20)}).Lines({Fx(30, 40), Fx(10, 40)}).Close();
    p.Move(100, 100).Lines({Fx(90, 95)});
    EXPECT_EQ(Path(t.pdev(), p.ppo),
              "phb 1;\nmta 10 20;\nltr 3 20 0 0 20 -20 0;\nphc;\n"
              "mta 100 100;\nltr 1 -10 -5;\nphe;\n");
}

TEST(PathWriter, NegativeFixedPointsRoundDown)
{
    BpPdev t;
    EngPath p;
    p.MoveFx(POINTFIX{-8, -24}).Lines({POINTFIX{31, 15}});
    EXPECT_EQ(Path(t.pdev(), p.ppo), "phb 1;\nmta -1 -2;\nltr 1 2 2;\nphe;\n");
}

TEST(PathWriter, CurvesStraightBentAndSShaped)
{
    struct Case {
        const char* name;
        std::vector<POINTFIX> pts;  // 28.4
        std::string want;
    };
    const Case cases[] = {
        {"straight", {{160, 0}, {320, 0}, {480, 0}}, "bzr 1 10 0 10 0 10 0;\n"},
        {"bent", {{0, 640}, {640, 640}, {640, 0}}, "bzr 1 0 40 40 0 0 -40;\n"},
        // Middle point on the chord, halves bent: two curves.
        {"s-shaped", {{0, 640}, {640, -640}, {640, 0}},
         "bzr 2 0 20 10 -10 10 -10 10 -10 10 -10 0 20;\n"},
        {"vertical s", {{640, 0}, {-640, 640}, {0, 640}},
         "bzr 2 20 0 -10 10 -10 10 -10 10 -10 10 20 0;\n"},
        {"two curves", {{0, 640}, {640, 640}, {640, 0}, {640, -160}, {640, -320}, {640, -480}},
         "bzr 2 0 40 40 0 0 -40 0 -10 0 -10 0 -10;\n"},
    };
    for (const Case& c : cases) {
        BpPdev t;
        EngPath p;
        p.MoveFx(POINTFIX{0, 0}).Curves(c.pts);
        EXPECT_EQ(Path(t.pdev(), p.ppo), "phb 1;\nmta 0 0;\n" + c.want + "phe;\n") << c.name;
    }
}

TEST(PathWriter, CurvesNearTheEndOfTheCoordinateRangeKeepTheirShape)
{
    // The S-shaped curve of the case above, moved to where the sum of two
    // coordinates no longer fits in 32 bits, and to the far negative end.
    for (FIX off : {static_cast<FIX>(0x7FFF0000), static_cast<FIX>(-0x7FFF0000)}) {
        SCOPED_TRACE(off);
        BpPdev t;
        EngPath p;
        p.MoveFx(POINTFIX{off, off}).Curves({{off, off + 640}, {off + 640, off - 640}, {off + 640, off}});
        std::string s = Path(t.pdev(), p.ppo);
        size_t at = s.find("bzr ");
        ASSERT_NE(at, std::string::npos) << s;
        EXPECT_EQ(s.substr(at), "bzr 2 0 20 10 -10 10 -10 10 -10 10 -10 0 20;\nphe;\n");
    }
}

TEST(PathWriter, LinesAndCurvesMixInOneSubpath)
{
    BpPdev t;
    EngPath p;
    p.Move(0, 0).Lines({Fx(10, 0)}).Curves({Fx(20, 0), Fx(30, 0), Fx(40, 0)}).Lines({Fx(40, 10)}).Close();
    EXPECT_EQ(Path(t.pdev(), p.ppo),
              "phb 1;\nmta 0 0;\nltr 1 10 0;\nbzr 1 10 0 10 0 10 0;\nltr 1 0 10;\nphc;\nphe;\n");
}

TEST(PathWriter, NupMapsEveryPointAndDifferencesFollowTheMapping)
{
    BpPdev t;
    t.pdev()->lNupScale = 5000;
    t.pdev()->xNupCell = 1000;
    t.pdev()->yNupCell = 2000;
    EngPath p;
    p.Move(11, 21).Lines({Fx(31, 21), Fx(31, 40)});
    EXPECT_EQ(Path(t.pdev(), p.ppo), "phb 1;\nmta 1005 2010;\nltr 2 10 0 0 10;\nphe;\n");
}

TEST(PathWriter, SmallSubpathRuleKeepsCollapsedEdgesOnePixelApart)
{
    struct Case {
        const char* name;
        ULONG mix;
        BOOL bRule;
        std::vector<POINTFIX> pts;
        std::string want;
    };
    const std::vector<POINTFIX> tiny = {Fx(11, 10), Fx(11, 11), Fx(10, 11)};
    const std::vector<POINTFIX> big = {Fx(30, 10), Fx(30, 30), Fx(10, 30)};
    const std::vector<POINTFIX> line5 = {Fx(30, 10), Fx(30, 30), Fx(31, 30), Fx(31, 50), Fx(10, 50)};
    const Case cases[] = {
        {"tiny rectangle, pen", 0x0D0D, TRUE, tiny, "mta 5 5;\nltr 3 1 0 0 1 -1 0;\nphc;\n"},
        {"tiny rectangle, no rule", 0x0D0D, FALSE, tiny, "mta 5 5;\nltr 3 0 0 0 0 0 0;\nphc;\n"},
        {"tiny rectangle, xor", 0x0707, TRUE, tiny, "mta 5 5;\nltr 3 0 0 0 0 0 0;\nphc;\n"},
        {"large quadrilateral", 0x0D0D, TRUE, big, "mta 5 5;\nltr 3 10 0 0 10 -10 0;\nphc;\n"},
        {"five points", 0x0101, TRUE, line5, "mta 5 5;\nltr 5 10 0 0 10 1 0 0 10 -10 0;\nphc;\n"},
    };
    for (const Case& c : cases) {
        BpPdev t;
        t.pdev()->lNupScale = 5000;
        SetRop2(t.pdev(), c.mix);
        EngPath p;
        p.Move(10, 10).Lines(c.pts).Close();
        EXPECT_EQ(Path(t.pdev(), p.ppo, c.bRule), "phb 1;\n" + c.want + "phe;\n") << c.name;
    }
}

struct Drawing {
    BpPdev t;
    EngBrush black;
    EngPath tri;
    Drawing()
    {
        MakeSolid(&black, 0x000000);
        tri.Move(10, 20).Lines({Fx(30, 20), Fx(30, 40)}).Close();
    }
    static constexpr const char* kPath = "phb 1;\nmta 10 20;\nltr 2 20 0 0 20;\nphc;\nphe;\n";
    static constexpr const char* kPage = "cpc 0 0 0 4760 6816;\ncps 0;\n";
};

TEST(FillPath, FillRulesOutlineAndRasterOperations)
{
    struct Case {
        const char* name;
        MIX mix;
        FLONG fl;
        BOOL bOk;
        std::string tail;
    };
    const std::string outline = "lnc 0 0 %1 F M %0 0;\nlns 0;\nphs 0 1;\n";
    const Case cases[] = {
        {"alternate", 0x0D0D, FP_ALTERNATEMODE, TRUE, "phf e 0 1;\n" + outline},
        {"winding", 0x0D0D, FP_WINDINGMODE, TRUE, "phf n 0 1;\n" + outline},
        {"xor: no outline", 0x0707, FP_ALTERNATEMODE, TRUE, "phf e 0 1;\n"},
        {"bad rule", 0x0D0D, 3, FALSE, ""},
    };
    for (const Case& c : cases) {
        Drawing d;
        BOOL bOk = FillPathBody(&d.t.so, d.tri.ppo, nullptr, d.black.pbo, nullptr, c.mix, c.fl);
        EXPECT_EQ(bOk, c.bOk) << c.name;
        char rop[32];
        snprintf(rop, sizeof(rop), "rop 2 #%02X;\n", (unsigned)(c.mix & 0xFF));
        EXPECT_EQ(d.t.Take(), std::string(Drawing::kPage) + rop + "brs 0;\n" + Drawing::kPath + c.tail)
            << c.name;
        EXPECT_EQ(GetDrawingKind(d.t.pdev()), 0);
    }
}

TEST(FillPath, SecondIdenticalFillWritesNoStateCommand)
{
    Drawing d;
    EngBrush grey;
    MakeSolid(&grey, 0x808080);
    EngClip c;
    const RECTL rects[] = {{0, 0, 100, 50}, {0, 50, 40, 100}};
    PlatClipSetRects(c.pco, rects, 2);
    FillPathBody(&d.t.so, d.tri.ppo, c.pco, grey.pbo, nullptr, 0x0707, FP_ALTERNATEMODE);
    EXPECT_EQ(d.t.Take(),
              "cpb 4 0 0 100 100;\ncsr 0 0 100 50;\ncsr 0 50 40 50;\ncpe;\ncps 4;\n"
              "rop 2 #07;\nbrc 2 #808080;\nbrs 2;\n" +
                  std::string(Drawing::kPath) + "phf e 2 1;\n");
    FillPathBody(&d.t.so, d.tri.ppo, c.pco, grey.pbo, nullptr, 0x0707, FP_ALTERNATEMODE);
    EXPECT_EQ(d.t.Take(), std::string(Drawing::kPath) + "phf e 2 1;\n");
    PdlResetState(d.t.pdev());
    FillPathBody(&d.t.so, d.tri.ppo, c.pco, grey.pbo, nullptr, 0x0707, FP_ALTERNATEMODE);
    EXPECT_EQ(d.t.Take(),
              "cpb 4 0 0 100 100;\ncsr 0 0 100 50;\ncsr 0 50 40 50;\ncpe;\ncps 4;\n"
              "rop 2 #07;\nbrc 2 #808080;\nbrs 2;\n" +
                  std::string(Drawing::kPath) + "phf e 2 1;\n");
}

TEST(FillPath, WatermarkFillsWithAGreyDither)
{
    Drawing d;
    d.t.work()->bForceRop = 1;
    d.t.work()->lForceRop = 2;
    EngBrush grey;
    MakeSolid(&grey, 0x808080);
    FillPathBody(&d.t.so, d.tri.ppo, nullptr, grey.pbo, nullptr, 0x0D0D, FP_ALTERNATEMODE);
    EXPECT_EQ(d.t.Take(), std::string(Drawing::kPage) +
                              "rop 2 #09;\nbru 11 #00 #FFFFFF 8 8 1 <!\x3C\x3C\xC3\xC3\xC3\xC3\x3C\x3C!>;\n"
                              "brs 11;\n" + Drawing::kPath + "phf e 11 1;\n");
}

TEST(FillPath, NoBrushWritesThePathOnly)
{
    Drawing d;
    EXPECT_TRUE(FillPathBody(&d.t.so, d.tri.ppo, nullptr, nullptr, nullptr, 0x0D0D, FP_ALTERNATEMODE));
    EXPECT_EQ(d.t.Take(), std::string(Drawing::kPage) + "rop 2 #0D;\nbrs -1;\n" + Drawing::kPath);
}

TEST(StrokePath, CosmeticAndGeometricPens)
{
    LINEATTRS geo = {};
    geo.fl = LA_GEOMETRIC;
    geo.elWidth.l = FloatBits(4.4f);
    struct Case {
        const char* name;
        LINEATTRS la;
        std::string pen;
    };
    const Case cases[] = {
        {"cosmetic", Cosmetic(), "brc 10 #00;\nlnc 0 10 %1 F M %0 0;\nlns 0;\n"},
        // The geometric pen's own line, not whatever line 0 was before.
        {"geometric", geo, "brc 10 #00;\nrem geometric pen;\nlnc 0 10 %4 F M %0 0;\nlns 0;\n"},
    };
    for (const Case& c : cases) {
        Drawing d;
        LINEATTRS la = c.la;
        EXPECT_TRUE(StrokePathBody(&d.t.so, d.tri.ppo, nullptr, nullptr, d.black.pbo, nullptr, &la, 0x0D0D));
        EXPECT_EQ(d.t.Take(), std::string(Drawing::kPage) + "rop 2 #0D;\n" + Drawing::kPath + c.pen +
                                  "phs 0 1;\n")
            << c.name;
    }
}

TEST(StrokePath, ClipToPathSaveDefinesTheClipPathThenDrawsAgain)
{
    Drawing d;
    LINEATTRS la = Cosmetic();
    PDEV* p = d.t.pdev();
    SHORT nMode = 0;
    ASSERT_EQ(PdlEscape(p, PDL_ESC_CLIP_TO_PATH, 2, &nMode), 1u);  // save
    d.t.Take();
    StrokePathBody(&d.t.so, d.tri.ppo, nullptr, nullptr, d.black.pbo, nullptr, &la, 0x0D0D);
    EXPECT_EQ(d.t.Take(),
              "rop 2 #0D;\nphb 3;\nmta 10 20;\nltr 2 20 0 0 20;\nphc;\nphe;\n"
              "brc 10 #00;\nlnc 0 10 %1 F M %0 0;\nlns 0;\n");
    // The same outline again: nothing of the path and no stroke.
    StrokePathBody(&d.t.so, d.tri.ppo, nullptr, nullptr, d.black.pbo, nullptr, &la, 0x0D0D);
    EXPECT_EQ(d.t.Take(), "lnc 0 10 %1 F M %0 0;\n");
    nMode = 2;  // inclusive: the clip path is applied
    ASSERT_EQ(PdlEscape(p, PDL_ESC_CLIP_TO_PATH, 2, &nMode), 1u);
    EXPECT_EQ(d.t.Take(), "cpp 3 3 e;\nphd 3;\n");
    StrokePathBody(&d.t.so, d.tri.ppo, nullptr, nullptr, d.black.pbo, nullptr, &la, 0x0D0D);
    EXPECT_EQ(d.t.Take(), std::string(Drawing::kPath) + "lnc 0 10 %1 F M %0 0;\nphs 0 1;\n");
    nMode = 1;  // restore
    ASSERT_EQ(PdlEscape(p, PDL_ESC_CLIP_TO_PATH, 2, &nMode), 1u);
    EXPECT_EQ(d.t.Take(), std::string(Drawing::kPage));
}

TEST(StrokeAndFillPath, FillThenStroke)
{
    Drawing d;
    EngBrush grey;
    MakeSolid(&grey, 0x808080);
    LINEATTRS la = Cosmetic();
    EXPECT_TRUE(StrokeAndFillPathBody(&d.t.so, d.tri.ppo, nullptr, nullptr, d.black.pbo, &la, grey.pbo,
                                      nullptr, 0x0D0D, FP_WINDINGMODE));
    EXPECT_EQ(d.t.Take(), std::string(Drawing::kPage) + "rop 2 #0D;\n" + Drawing::kPath +
                              "brc 2 #808080;\nbrs 2;\nphf n 2 1;\nbrc 10 #00;\nlnc 0 10 %1 F M %0 0;\n"
                              "lns 0;\nphs 0 1;\n");
    EXPECT_FALSE(StrokeAndFillPathBody(&d.t.so, d.tri.ppo, nullptr, nullptr, d.black.pbo, &la, grey.pbo,
                                       nullptr, 0x0D0D, 0));
    EXPECT_EQ(d.t.Take(), Drawing::kPath);
}

TEST(PathBodies, AbortedOrForeignPdevDrawsNothing)
{
    Drawing d;
    d.t.pdev()->fJob |= PDEVF_ABORTED;
    EXPECT_FALSE(FillPathBody(&d.t.so, d.tri.ppo, nullptr, d.black.pbo, nullptr, 0x0D0D, 1));
    d.t.pdev()->fJob = 0;
    SURFOBJ so = {};
    EXPECT_FALSE(StrokePathBody(&so, d.tri.ppo, nullptr, nullptr, d.black.pbo, nullptr, nullptr, 0x0D0D));
    EXPECT_EQ(d.t.Take(), "");
}

TEST(ClipPathCopy, LongPathsAreNotKeptAndAreWrittenEachTime)
{
    for (int cRecs : {128, 129}) {
        BpPdev t;
        EngPath p;
        for (int i = 0; i < cRecs; ++i) {
            p.Move(i, 0).Lines({Fx(i, 5)});
        }
        UpdatePath(t.pdev(), p.ppo, PDL_PATH_CLIP, nullptr, FALSE);
        std::string first = t.Take();
        EXPECT_EQ(first.substr(0, 21), "phb 3;\nmta 0 0;\nltr 1");
        UpdatePath(t.pdev(), p.ppo, PDL_PATH_CLIP, nullptr, FALSE);
        EXPECT_EQ(t.Take(), cRecs <= 128 ? "" : first) << cRecs;
    }
}

}  // namespace
