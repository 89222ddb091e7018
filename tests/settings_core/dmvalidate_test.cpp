// Identity checks, validation and merge of DEVMODEs.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/windows.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"

namespace {

// Reads a text of a packed record unit by unit (it may lie at an odd address).
inline std::u16string Str(const void* p) {
    std::u16string s;
    const BYTE* pb = (const BYTE*)p;
    for (;; pb += 2) {
        char16_t c;
        std::memcpy(&c, pb, 2);
        if (!c) return s;
        s += c;
    }
}


struct Devmodes : ::testing::Test {
    POPTIONDB pdb = nullptr;
    DRVDEVMODE dm;
    DEVMODEW* pdm() { return &dm.dm; }
    void SetUp() override {
        pdb = OpenOptionDb();
        ASSERT_NE(pdb, nullptr);
        ASSERT_TRUE(InitDefaultDevmode(pdb, pdm(), u"Office", nullptr));
    }
    void TearDown() override { CloseOptionDb(pdb); }
    void Validate() { ASSERT_TRUE(ValidateDevmode(pdb, pdm(), nullptr)); }
};

void ExpectRect(const RECTL& rc, LONG l, LONG t, LONG r, LONG b) {
    EXPECT_EQ(+rc.left, l);
    EXPECT_EQ(+rc.top, t);
    EXPECT_EQ(+rc.right, r);
    EXPECT_EQ(+rc.bottom, b);
}

// ---- identity ----

TEST_F(Devmodes, IdentityOfOwnAndChangedDevmodes) {
    EXPECT_TRUE(bValidDevmode(pdm()));
    struct Case {
        const char* what;
        void (*change)(DRVDEVMODE*);
        BOOL bValid;
    };
    const Case kCases[] = {
        {"spec version", [](DRVDEVMODE* p) { p->dm.dmSpecVersion = 0x400; }, FALSE},
        {"size", [](DRVDEVMODE* p) { p->dm.dmSize = 212; }, FALSE},
        {"extra", [](DRVDEVMODE* p) { p->dm.dmDriverExtra = 2394; }, FALSE},
        {"version, high bits only", [](DRVDEVMODE* p) { p->dm.dmDriverVersion = 0x4403; }, TRUE},
        {"version", [](DRVDEVMODE* p) { p->dm.dmDriverVersion = 0x8404; }, FALSE},
        {"signature", [](DRVDEVMODE* p) { p->ui.wSignature[3] = 'W'; }, FALSE},
        {"tag", [](DRVDEVMODE* p) { p->env.szModelTag[4] = 'W'; }, FALSE},
        {"tag longer", [](DRVDEVMODE* p) { p->env.szModelTag[5] = 'X'; }, FALSE},
        {"bytes after the tag", [](DRVDEVMODE* p) { p->env.szModelTag[10] = 'Q'; }, TRUE},
    };
    for (const Case& c : kCases) {
        DRVDEVMODE copy = dm;
        c.change(&copy);
        EXPECT_EQ(bValidDevmode(&copy.dm), c.bValid) << c.what;
        EXPECT_EQ(bSameDevmodeKind(&copy.dm, pdm()), c.bValid) << c.what;
    }
    EXPECT_FALSE(bValidDevmode(nullptr));
    EXPECT_FALSE(bSameDevmodeKind(pdm(), nullptr));
    EXPECT_FALSE(bHasOwnModelTag(nullptr));
}

TEST_F(Devmodes, UnterminatedModelTagsAreComparedInsideTheirField) {
    DRVDEVMODE a = dm, b = dm;
    std::memset(a.env.szModelTag, 'A', 18);
    std::memset(b.env.szModelTag, 'A', 18);
    a.env.dwMagic2 = 1;  // the bytes after the field differ
    b.env.dwMagic2 = 2;
    EXPECT_TRUE(bSameModelTag(&a.dm, &b.dm));
    b.env.szModelTag[17] = 'B';
    EXPECT_FALSE(bSameModelTag(&a.dm, &b.dm));
    EXPECT_FALSE(bHasOwnModelTag(&a.dm));
}

TEST(DevmodeBuffer, FitsBuffer) {
    DEVMODEW h;
    std::memset(&h, 0, sizeof(h));
    h.dmSize = 220;
    h.dmDriverExtra = 2395;
    EXPECT_TRUE(bDevmodeFitsBuffer(&h, 2615));
    EXPECT_FALSE(bDevmodeFitsBuffer(&h, 2614));
    h.dmSize = 188;
    h.dmDriverExtra = 0;
    EXPECT_TRUE(bDevmodeFitsBuffer(&h, 188));
    h.dmSize = 40;  // does not even reach dmFields
    EXPECT_FALSE(bDevmodeFitsBuffer(&h, 220));
}

TEST(PdevImage, Accessors) {
    std::vector<BYTE> image(9075, 0);
    DWORD off = 7876;
    std::memcpy(image.data() + 6452, &off, 4);
    EXPECT_EQ((BYTE*)pGetPdevUiExtra(image.data()), image.data() + 6680);
    EXPECT_EQ((BYTE*)pGetPdevEnvExtra(image.data()), image.data() + 7876);
    EXPECT_EQ(pGetPdevUiExtra(nullptr), nullptr);
}

// ---- validation ----

TEST_F(Devmodes, A4GeometryAt600Dpi) {
    Validate();
    EXPECT_EQ(+dm.dm.dmPaperSize, 9);
    EXPECT_EQ(+dm.dm.dmPaperWidth, 2100);
    EXPECT_EQ(+dm.dm.dmPaperLength, 2970);
    ExpectRect(dm.ui.rcPrintMm, 406, 406, 20594, 29294);
    ExpectRect(dm.ui.rcPrintDots, 96, 96, 4864, 6918);
    EXPECT_EQ(+dm.ui.sizePaperDots.cx, 4960);
    EXPECT_EQ(+dm.ui.sizePaperDots.cy, 7014);
    EXPECT_EQ(+dm.dm.dmFields & 0x0C, 0u);
    EXPECT_EQ(+dm.env.UDPaperWidth, 0);
    // Zoom off: the output paper is the paper.
    EXPECT_EQ(+dm.ui.lpOutputPaper, 9);
    ExpectRect(dm.env.rcOutPrintMm, 406, 406, 20594, 29294);
    EXPECT_EQ(+dm.env.sizeOutPaper[0], 2100);
    EXPECT_EQ(+dm.env.sizeOutPaper[1], 2970);
    EXPECT_EQ(+dm.ui.Zoom, 100);
    // Mirror and marks.
    EXPECT_EQ(std::memcmp(&dm.ui.dmMirror, &dm.dm, 220), 0);
    EXPECT_EQ(+dm.ui.bValidByte1, 1);
    EXPECT_EQ(+dm.ui.bValidByte3, 1);
    EXPECT_EQ(+dm.ui.bGraphicsClass, 2);
    EXPECT_EQ(+dm.ui.wMaxCopies, 9999);
    EXPECT_EQ(+dm.dm.dmDefaultSource, 7);
}

TEST_F(Devmodes, CustomSizes) {
    // (width, length in 1/10 mm) -> kept size, printable rectangle, dots
    const struct { SHORT w, l, keptW, keptL; LONG left, right; LONG dotsW, dotsL; } kCases[] = {
        {2100, 2970, 2100, 2970, 0, 21000, 4960, 7015},
        {3140, 2970, 3140, 2970, 750, 31400 - 750, 7417, 7015},  // 1500 over the 299 mm printable width
        {6000, 2970, 2100, 2970, 0, 21000, 4960, 7015},          // beyond 0..5000: the default, and its geometry
    };
    for (const auto& c : kCases) {
        dm.dm.dmPaperSize = 256;
        dm.dm.dmPaperWidth = c.w;
        dm.dm.dmPaperLength = c.l;
        Validate();
        EXPECT_EQ(+dm.dm.dmPaperWidth, c.keptW) << c.w;
        EXPECT_EQ(+dm.dm.dmPaperLength, c.keptL) << c.w;
        EXPECT_EQ(+dm.env.UDPaperWidth, c.keptW);
        EXPECT_EQ(+dm.env.UDPaperLength, c.keptL);
        EXPECT_EQ(+dm.ui.rcPrintMm.left, c.left) << c.w;
        EXPECT_EQ(+dm.ui.rcPrintMm.right, c.right) << c.w;
        EXPECT_EQ(+dm.ui.sizePaperDots.cx, c.dotsW) << c.w;
        EXPECT_EQ(+dm.ui.sizePaperDots.cy, c.dotsL) << c.w;
        EXPECT_EQ(+dm.dm.dmFields & 0x0C, 0x0Cu);
        EXPECT_EQ(std::memcmp(&dm.env.rcCustomPrintDots, &dm.ui.rcPrintDots, sizeof(RECTL)), 0);
    }
    // Back to a standard size: both bits go and the custom fields clear.
    dm.dm.dmPaperSize = 9;
    Validate();
    EXPECT_EQ(+dm.dm.dmFields & 0x0C, 0u);
    EXPECT_EQ(+dm.env.UDPaperWidth, 0);
    EXPECT_EQ(+dm.env.UDPaperLength, 0);
}

TEST_F(Devmodes, UnknownPaperBecomesTheDefaultPaper) {
    dm.dm.dmPaperSize = 77;
    Validate();
    EXPECT_EQ(+dm.dm.dmPaperSize, 9);
    EXPECT_EQ(+dm.dm.dmPaperWidth, 2100);
    ExpectRect(dm.ui.rcPrintMm, 406, 406, 20594, 29294);
}

TEST_F(Devmodes, DuplexRules) {
    // dmDuplex, Layout_Check2, Booklet, EngBooklet, POD_Check, POD_Booklet
    //   -> dmDuplex, lpDuplex, Duplex_Check, POD_Duplex_Check
    const struct { SHORT dup; BYTE l2, bk, ebk, pod, podbk; SHORT outDup; BYTE lpDup, dc, podDc; } kCases[] = {
        {0, 1, 0, 0, 0, 0, 1, 1, 0, 0},   {4, 1, 0, 0, 0, 0, 1, 1, 0, 0},   {2, 1, 0, 0, 0, 0, 2, 2, 1, 0},
        {3, 1, 0, 0, 0, 0, 3, 3, 1, 0},   {2, 1, 1, 0, 1, 0, 2, 2, 0, 1},   {3, 1, 0, 1, 1, 0, 3, 3, 0, 1},
        {2, 1, 1, 0, 1, 1, 2, 9, 0, 0},   {2, 0, 0, 0, 0, 0, 2, 9, 0, 0},   {1, 0, 0, 0, 1, 0, 1, 1, 0, 0},
    };
    for (const auto& c : kCases) {
        dm.dm.dmDuplex = c.dup;
        dm.env.Layout_Check2 = c.l2;
        dm.env.Booklet_Check = c.bk;
        dm.env.EngBooklet_Check = c.ebk;
        dm.env.POD_Check = c.pod;
        dm.env.POD_Booklet_Check = c.podbk;
        dm.env.lpDuplex = 9;
        dm.env.Duplex_Check = 0;
        dm.env.POD_Duplex_Check = c.dup == 1 ? 1 : 0;
        Validate();
        EXPECT_EQ(+dm.dm.dmDuplex, c.outDup) << c.dup << "/" << (int)c.l2 << (int)c.pod;
        EXPECT_EQ(+dm.env.lpDuplex, c.lpDup) << c.dup << "/" << (int)c.l2 << (int)c.pod;
        EXPECT_EQ(+dm.env.Duplex_Check, c.dc) << c.dup << "/" << (int)c.l2 << (int)c.pod;
        EXPECT_EQ(+dm.env.POD_Duplex_Check, c.podDc) << c.dup << "/" << (int)c.l2 << (int)c.pod;
    }
}

TEST_F(Devmodes, ResolutionAndZoom) {
    // A resolution the printer does not offer becomes 600; coming from 300
    // the zoom halves and ZoomCheck takes bAutoZoom.
    dm.dm.dmPrintQuality = 300;
    dm.env.wLastResolution = 300;
    dm.ui.ZoomCheck = 1;
    dm.ui.Zoom = 200;
    dm.env.bAutoZoom = 0;
    Validate();
    EXPECT_EQ(+dm.dm.dmPrintQuality, 600);
    EXPECT_EQ(+dm.dm.dmYResolution, 600);
    EXPECT_EQ(+dm.env.wLastResolution, 600);
    EXPECT_EQ(+dm.ui.ZoomCheck, 0);
    EXPECT_EQ(+dm.ui.Zoom, 100);  // zoom off

    dm.dm.dmPrintQuality = 300;
    dm.env.wLastResolution = 300;
    dm.ui.ZoomCheck = 1;
    dm.ui.Zoom = 200;
    dm.env.bAutoZoom = 1;
    dm.ui.lpOutputPaper = 9;
    Validate();
    EXPECT_EQ(+dm.ui.ZoomCheck, 1);
    EXPECT_EQ(+dm.ui.Zoom, 100);
}

TEST_F(Devmodes, ZoomFollowsANewPaper) {
    dm.ui.ZoomCheck = 1;
    dm.ui.lpOutputPaper = 8;  // A3
    dm.env.XROutputPaperSize = 8;
    dm.env.wLastPaperSize = 11;
    Validate();
    // A4 printable 20188 x 28888 onto A3 28888 x 41188.
    EXPECT_EQ(+dm.ui.Zoom, 142);
    EXPECT_EQ(+dm.env.bAutoZoom, 1);
    EXPECT_EQ(+dm.env.wLastPaperSize, 9);
    EXPECT_EQ(+dm.env.sizeOutPaper[0], 2970);
    ExpectRect(dm.ui.rcOutPrintDots, 96, 96, 6918, 9824);
    // The same paper again keeps the user's zoom.
    dm.ui.Zoom = 150;
    Validate();
    EXPECT_EQ(+dm.ui.Zoom, 150);
}

TEST_F(Devmodes, OutputPaperTakesThePapersVariant) {
    dm.ui.ZoomCheck = 1;
    dm.ui.lpOutputPaper = 8;
    dm.env.XROutputPaperSize = 8;
    dm.dm.dmPaperSize = 4105;  // A4_F
    Validate();
    EXPECT_EQ(+dm.ui.lpOutputPaper, 4104);
}

TEST_F(Devmodes, FaxResolution) {
    const struct { BYTE output; SHORT dests, quality, inQ; BYTE outOutput; SHORT outQ; } kCases[] = {
        {1, 2, 400, 600, 1, 400},
        {1, 2, 0, 600, 1, 200},    // an impossible fax resolution is not handed on
        {1, 0, 400, 400, 2, 600},  // no destinations: printing, at a print resolution
        {7, 0, 200, 600, 2, 600},
    };
    for (const auto& c : kCases) {
        dm.env.lpOutput = c.output;
        dm.env.wFaxDestCount = c.dests;
        dm.env.lpQuality = c.quality;
        dm.dm.dmPrintQuality = c.inQ;
        Validate();
        EXPECT_EQ(+dm.env.lpOutput, c.outOutput) << c.quality;
        EXPECT_EQ(+dm.dm.dmPrintQuality, c.outQ) << c.quality;
        EXPECT_EQ(+dm.dm.dmYResolution, c.outQ) << c.quality;
    }
}

TEST_F(Devmodes, OverlayAndTexts) {
    const struct { BYTE overlay; const char16_t* name; BYTE outOverlay; } kCases[] = {
        {2, u"RN_DEFAULT", 1}, {3, u"", 1}, {2, u"Letterhead", 2}, {1, u"Letterhead", 1},
    };
    for (const auto& c : kCases) {
        dm.ui.lpOverlay = c.overlay;
        CopyWideBounded(dm.ui.szOverlayName, c.name, sizeof(dm.ui.szOverlayName));
        Validate();
        EXPECT_EQ(+dm.ui.lpOverlay, c.outOverlay);
    }
    // Texts that arrive without their terminator get one inside the field.
    for (size_t i = 0; i < 130; i++) dm.ui.szOverlayName[i] = 'A';
    for (size_t i = 0; i < 11; i++) dm.env.szUserID[i] = 'U';
    for (size_t i = 0; i < 11; i++) dm.env.szJobID[i] = 'J';
    dm.ui.lpOverlay = 2;
    Validate();
    EXPECT_EQ(+dm.ui.szOverlayName[129], 0);
    EXPECT_EQ(Str(dm.env.szUserID), u"UUUUUUUUUU");
    EXPECT_EQ(Str(dm.env.szJobID), u"JJJJJJJJJJ");
    EXPECT_EQ(+dm.ui.lpOverlay, 2);
}

TEST_F(Devmodes, WithoutDatabaseOnlyTheHeader) {
    dm.dm.dmSpecVersion = 0x300;
    dm.dm.dmPrintQuality = 300;
    EXPECT_FALSE(ValidateDevmode(nullptr, pdm(), nullptr));
    EXPECT_EQ(+dm.dm.dmSpecVersion, 0x401);
    EXPECT_EQ(+dm.dm.dmPrintQuality, 300);
    EXPECT_FALSE(ValidateDevmode(pdb, nullptr, nullptr));
}

// ---- merge ----

// An input DEVMODE of exactly its claimed size, with public fields only.
std::vector<BYTE> Input(WORD dmSize, DWORD fields, void (*fill)(DEVMODEW*)) {
    DEVMODEW h;
    std::memset(&h, 0, sizeof(h));
    h.dmSpecVersion = 0x401;
    h.dmSize = dmSize;
    h.dmFields = fields;
    fill(&h);
    std::vector<BYTE> v(dmSize);
    std::memcpy(v.data(), &h, dmSize);
    return v;
}

TEST_F(Devmodes, MergeByFields) {
    struct Case {
        const char* what;
        DWORD fields;
        void (*fill)(DEVMODEW*);
        SHORT paper, width, length, quality, copies, duplex, source, orient;
    };
    const Case kCases[] = {
        {"landscape A4 by size", DM_PAPERWIDTH | DM_PAPERLENGTH,
         [](DEVMODEW* d) { d->dmPaperWidth = 2970; d->dmPaperLength = 2100; }, 9, 2970, 2100, 600, 1, 1, 7, 1},
        {"letter by code", DM_PAPERSIZE, [](DEVMODEW* d) { d->dmPaperSize = 1; }, 1, 2159, 2794, 600, 1, 1, 7, 1},
        {"unknown code", DM_PAPERSIZE, [](DEVMODEW* d) { d->dmPaperSize = 999; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
        {"width only", DM_PAPERWIDTH, [](DEVMODEW* d) { d->dmPaperWidth = 1000; d->dmPaperLength = 5; },
         256, 1000, 2970, 600, 1, 1, 7, 1},
        {"no such size", DM_PAPERWIDTH | DM_PAPERLENGTH,
         [](DEVMODEW* d) { d->dmPaperWidth = 1000; d->dmPaperLength = 1000; }, 256, 1000, 1000, 600, 1, 1, 7, 1},
        {"bad resolution", DM_PRINTQUALITY, [](DEVMODEW* d) { d->dmPrintQuality = -4; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
        {"copies 0", DM_COPIES, [](DEVMODEW* d) { d->dmCopies = 0; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
        {"copies 10000", DM_COPIES, [](DEVMODEW* d) { d->dmCopies = 10000; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
        {"copies 5", DM_COPIES, [](DEVMODEW* d) { d->dmCopies = 5; }, 9, 2100, 2970, 600, 5, 1, 7, 1},
        {"duplex 4", DM_DUPLEX, [](DEVMODEW* d) { d->dmDuplex = 4; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
        {"duplex 3", DM_DUPLEX, [](DEVMODEW* d) { d->dmDuplex = 3; }, 9, 2100, 2970, 600, 1, 3, 7, 1},
        {"source 258", DM_DEFAULTSOURCE, [](DEVMODEW* d) { d->dmDefaultSource = 258; }, 9, 2100, 2970, 600, 1, 1, 258, 1},
        {"source 5", DM_DEFAULTSOURCE, [](DEVMODEW* d) { d->dmDefaultSource = 5; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
        {"landscape", DM_ORIENTATION, [](DEVMODEW* d) { d->dmOrientation = 2; }, 9, 2100, 2970, 600, 1, 1, 7, 2},
        {"orientation 3", DM_ORIENTATION, [](DEVMODEW* d) { d->dmOrientation = 3; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
        {"fields not named", 0, [](DEVMODEW* d) { d->dmCopies = 5; d->dmPaperSize = 1; }, 9, 2100, 2970, 600, 1, 1, 7, 1},
    };
    for (const Case& c : kCases) {
        DRVDEVMODE cur = dm;
        std::vector<BYTE> in = Input(220, c.fields, c.fill);
        MergeDevmodeIn(pdb, (const DEVMODEW*)in.data(), &cur.dm);
        EXPECT_EQ(+cur.dm.dmPaperSize, c.paper) << c.what;
        EXPECT_EQ(+cur.dm.dmPaperWidth, c.width) << c.what;
        EXPECT_EQ(+cur.dm.dmPaperLength, c.length) << c.what;
        EXPECT_EQ(+cur.dm.dmPrintQuality, c.quality) << c.what;
        EXPECT_EQ(+cur.dm.dmCopies, c.copies) << c.what;
        EXPECT_EQ(+cur.dm.dmDuplex, c.duplex) << c.what;
        EXPECT_EQ(+cur.dm.dmDefaultSource, c.source) << c.what;
        EXPECT_EQ(+cur.dm.dmOrientation, c.orient) << c.what;
        // The private part is never touched by a merge of public fields.
        EXPECT_EQ(std::memcmp((BYTE*)&cur + 220, (BYTE*)&dm + 220, DRV_EXTRA_SIZE), 0) << c.what;
    }
}

// A caller that gives only a width and a length prints on that size: a size
// no paper has becomes the custom size, which validation keeps; leaving the
// earlier paper code would have validation put that paper's size back.
TEST_F(Devmodes, SizeWithoutPaperCodeIsPrintedAsGiven) {
    const struct {
        SHORT width, length, paper;
    } kCases[] = {
        {1000, 1500, 256},  // no paper of that size: the custom size
        {1480, 2100, 11},   // A5 by its size
        {2100, 1480, 11},   // A5 turned
    };
    for (const auto& c : kCases) {
        InitDefaultDevmode(pdb, pdm(), u"Office", nullptr);
        std::vector<BYTE> in = Input(220, DM_PAPERWIDTH | DM_PAPERLENGTH, [](DEVMODEW*) {});
        ((DEVMODEW*)in.data())->dmPaperWidth = c.width;
        ((DEVMODEW*)in.data())->dmPaperLength = c.length;
        MergeDevmodeIn(pdb, (const DEVMODEW*)in.data(), pdm());
        Validate();
        EXPECT_EQ(+dm.dm.dmPaperSize, c.paper) << c.width << "x" << c.length;
        if (c.paper == 256) {
            EXPECT_EQ(+dm.dm.dmPaperWidth, c.width);
            EXPECT_EQ(+dm.dm.dmPaperLength, c.length);
        }
    }
}

TEST_F(Devmodes, OlderAndTruncatedHeaders) {
    const DWORD kAll = DM_COPIES | DM_ORIENTATION | DM_DUPLEX;
    auto fill = [](DEVMODEW* d) { d->dmCopies = 3; d->dmOrientation = 2; d->dmDuplex = 2; };
    for (WORD size : {188, 212}) {
        DRVDEVMODE cur = dm;
        std::vector<BYTE> in = Input(size, kAll, fill);
        MergeDevmodeIn(pdb, (const DEVMODEW*)in.data(), &cur.dm);
        EXPECT_EQ(+cur.dm.dmCopies, 3) << size;
        EXPECT_EQ(+cur.dm.dmOrientation, 2) << size;
        EXPECT_EQ(+cur.dm.dmDuplex, 2) << size;
        EXPECT_FALSE(ConvertDevmodeIn(pdb, (const DEVMODEW*)in.data(), &cur.dm));
    }
    // A header that ends before dmCopies lends nothing past its end.
    DRVDEVMODE cur = dm;
    std::vector<BYTE> in = Input(86, kAll, fill);
    MergeDevmodeIn(pdb, (const DEVMODEW*)in.data(), &cur.dm);
    EXPECT_EQ(+cur.dm.dmCopies, 1);
    EXPECT_EQ(+cur.dm.dmOrientation, 2);
    EXPECT_EQ(+cur.dm.dmDuplex, 1);
}

TEST_F(Devmodes, ForeignDriverIsMergedFieldByField) {
    // Another driver's DEVMODE: 220 + 100 private bytes, its own marks.
    std::vector<BYTE> in = Input(220, DM_COPIES, [](DEVMODEW* d) { d->dmCopies = 4; d->dmDriverVersion = 0x8403; });
    in.resize(320, 0x5A);
    ((DEVMODEW*)in.data())->dmDriverExtra = 100;
    DRVDEVMODE cur = dm;
    EXPECT_FALSE(ConvertDevmodeIn(pdb, (const DEVMODEW*)in.data(), &cur.dm));
    EXPECT_EQ(+cur.dm.dmCopies, 4);
    EXPECT_EQ(std::memcmp((BYTE*)&cur + 220, (BYTE*)&dm + 220, DRV_EXTRA_SIZE), 0);
}

TEST_F(Devmodes, OwnKindCarriesItsPrivatePart) {
    DRVDEVMODE in = dm;
    in.env.lpStaple = 5;
    in.env.Staple_Check = 1;
    in.dm.dmCopies = 12;
    DRVDEVMODE cur = dm;
    EXPECT_TRUE(ConvertDevmodeIn(pdb, &in.dm, &cur.dm));
    EXPECT_EQ(+cur.env.lpStaple, 5);
    EXPECT_EQ(+cur.env.Staple_Check, 1);
    EXPECT_EQ(+cur.dm.dmCopies, 12);
    EXPECT_FALSE(ConvertDevmodeIn(pdb, nullptr, &cur.dm));
    EXPECT_FALSE(ConvertDevmodeIn(nullptr, &in.dm, &cur.dm));
}

TEST_F(Devmodes, DeviceOptionFields) {
    DRVDEVMODE src = dm;
    BYTE* ps = (BYTE*)&src;
    for (int off = 2324; off <= 2372; off++) ps[off] = (BYTE)off;
    ps[1594] = 2;
    ps[1410] = 3;
    ps[2373] = 0x77;  // not an option field
    ps[1593] = 0x77;
    DRVDEVMODE tgt = dm;
    CopyDeviceOptionFields(&src.dm, &tgt.dm);
    BYTE* pt = (BYTE*)&tgt;
    for (int off = 2324; off <= 2372; off++) EXPECT_EQ(pt[off], (BYTE)off) << off;
    EXPECT_EQ(pt[1594], 2);
    EXPECT_EQ(pt[1410], 3);
    EXPECT_EQ(pt[2373], ((BYTE*)&dm)[2373]);
    EXPECT_EQ(pt[1593], ((BYTE*)&dm)[1593]);
}

TEST_F(Devmodes, ValidationHelpers) {
    EXPECT_EQ(ClampToOptionRange(pdb, 56, -2), -2);
    EXPECT_EQ(ClampToOptionRange(pdb, 56, -3), 0);
    EXPECT_EQ(ClampToOptionRange(pdb, 164, 5001), 2100);
    LONG scratch[256];
    BYTE b = 0;
    BYTE in = 4;
    EXPECT_EQ(MatchOptionValue(pdb, scratch, 132, &in, &b, MATCH_BYTE), 2);
    EXPECT_EQ(b, 4);
    in = 5;
    EXPECT_EQ(MatchOptionValue(pdb, scratch, 132, &in, &b, MATCH_BYTE), 0xFFFF);
    EXPECT_EQ(b, 4);
    SHORT s = 0, sin = 10000;
    EXPECT_FALSE(bCopyIfInRange(pdb, 2, &sin, &s));
    sin = 9999;
    EXPECT_TRUE(bCopyIfInRange(pdb, 2, &sin, &s));
    EXPECT_EQ(s, 9999);
    EXPECT_EQ(FindPaperIndex(pdb, 9), 1);
    EXPECT_EQ(FindPaperIndex(pdb, 999), 0);
    EXPECT_EQ(FindPaperRow(pdb, 999), -1);
}

}  // namespace
