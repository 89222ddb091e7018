// Preview panes: the layout read from the settings, the icon order, the
// geometry, the text fitting, and the pictures a person sees.
#include "tests/ui_dialogs/pane_fixture.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "ui/dialogs/preview.h"

#include <cstring>

namespace {

// The pane sizes of the pages at the dialog font: 166 is 92 x 98 dialog
// units, 167 is 92 x 58.
const RECT kPaneRect = {0, 0, 138, 159};
const RECT kIconRect = {0, 0, 138, 94};

struct Setting {
    const char16_t* key;
    SHORT value;
};

struct LayoutRow {
    const char* name;
    std::vector<Setting> settings;
    PAPERLAYOUTDESC expected;
};

PAPERLAYOUTDESC Desc(std::initializer_list<int> b)
{
    PAPERLAYOUTDESC d = {};
    BYTE* p = (BYTE*)&d;
    int i = 0;
    for (int v : b)
        p[i++] = (BYTE)v;
    return d;
}

//                                o  z  L  du st pu ho bi mm be dm db or bo bk be kind ops
const LayoutRow kLayoutRows[] = {
    {"nothing set, portrait", {}, Desc({0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 0, 1, 1, 0})},
    {"landscape", {{u"lpOrientation", 2}}, Desc({1, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 0, 2, 1, 0})},
    {"2-up turns the sheet",
     {{u"Layout_Check2", 1}, {u"Nup_Check", 1}, {u"lpLayout", 8}, {u"lpOrder", 2}, {u"lpBorder", 1}},
     Desc({1, 0, 1, 0, 0, 0, 2, 0, 1, 0, 0, 4, 2, 1, 0, 2, 1, 0})},
    {"4-up keeps it", {{u"Layout_Check2", 1}, {u"Nup_Check", 1}, {u"lpLayout", 10}, {u"lpOrder", 3}},
     Desc({0, 0, 2, 0, 0, 0, 2, 0, 1, 0, 0, 4, 3, 0, 0, 1, 1, 0})},
    {"staple right pair, two-sided: duplex mark 2",
     {{u"Layout_Check2", 1}, {u"Staple_Check", 1}, {u"lpStaple", 6}, {u"Duplex_Check", 1}, {u"lpDuplex", 3}},
     Desc({0, 0, 0, 1, 4, 0, 2, 0, 1, 0, 2, 3, 0, 0, 0, 1, 1, 0})},
    {"punch top, 3 holes, binding margin left",
     {{u"Layout_Check2", 1}, {u"Punch_Check", 1}, {u"lpPunch", 2}, {u"lpPunchHoles", 3}, {u"BindMargin_Check", 1},
      {u"lpBindMargin", 1}, {u"lpMarginMode", 2}},
     Desc({0, 0, 0, 0, 0, 3, 3, 1, 2, 1, 0, 4, 0, 0, 0, 1, 1, 0})},
    {"driver booklet flips the orientation bit",
     {{u"Layout_Check2", 1}, {u"Booklet_Check", 1}, {u"lpBooklet", 1}},
     Desc({1, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 1, 1, 2, 0})},
    {"device booklet overrides, edge follows the sheet",
     {{u"lpOrientation", 2}, {u"Layout_Check2", 1}, {u"Booklet_Check", 1}, {u"lpBooklet", 1},
      {u"EngBooklet_Check", 1}, {u"lpEngBooklet", 0}},
     Desc({1, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 1, 2, 1, 0})},
    {"production mode one per sheet",
     {{u"POD_Check", 1}, {u"POD_OnePerSheet_Check", 1}, {u"lpPOD_OnePerSheet", 1}},
     Desc({1, 0, 8, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 0, 2, 1, 1})},
    {"production mode switches are not the standard ones",
     {{u"POD_Check", 1}, {u"Staple_Check", 1}, {u"lpStaple", 2}, {u"POD_Punch_Check", 1}, {u"lpPunch", 3}},
     Desc({0, 0, 0, 0, 0, 2, 2, 0, 1, 0, 0, 4, 0, 0, 0, 1, 1, 0})},
    {"zoom 150 enlarges", {{u"lpOutputPaper", 9}, {u"Zoom", 150}}, Desc({0, 1, 0, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 0, 1, 1, 0})},
    {"zoom 99 reduces", {{u"lpOutputPaper", 9}, {u"Zoom", 99}}, Desc({0, 2, 0, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 0, 1, 1, 0})},
    {"same output paper never zooms", {{u"lpOutputPaper", 257}, {u"Zoom", 150}},
     Desc({0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 4, 0, 0, 0, 1, 1, 0})},
};

class Preview : public PaneTest {
protected:
    void Apply(const std::vector<Setting>& s)
    {
        for (const Setting& v : s)
            Set(v.key, v.value);
    }
    // A plain job: portrait A4 on A4, 100 %, one copy, nothing else on.
    void Plain()
    {
        Apply({{u"lpOrientation", 1}, {u"Layout_Check2", 0}, {u"POD_Check", 0}, {u"Nup_Check", 0},
               {u"Booklet_Check", 0}, {u"EngBooklet_Check", 0}, {u"Staple_Check", 0}, {u"Punch_Check", 0},
               {u"BindMargin_Check", 0}, {u"Duplex_Check", 0}, {u"lpOutputPaper", 257}, {u"Zoom", 100},
               {u"Copies", 1}, {u"POD_Nup_Check", 0}, {u"POD_OnePerSheet_Check", 0}, {u"POD_Booklet_Check", 0},
               {u"POD_Staple_Check", 0}, {u"POD_Punch_Check", 0}, {u"POD_BindMargin_Check", 0},
               {u"POD_Duplex_Check", 0}, {u"lpBorder", 0}, {u"lpPunchHoles", 2}});
    }
    Pixels Paper()
    {
        Surface s(kPaneRect.right, kPaneRect.bottom);
        PaintPaperView(s.hdc, &kPaneRect, pObj);
        return s.Read();
    }
};

TEST_F(Preview, LayoutFollowsTheSettings)
{
    for (const LayoutRow& r : kLayoutRows) {
        Plain();
        Apply(r.settings);
        PAPERLAYOUTDESC d;
        BuildPaperViewLayout(pObj, &d);
        EXPECT_EQ(memcmp(&d, &r.expected, sizeof(d)), 0) << r.name;
        if (memcmp(&d, &r.expected, sizeof(d))) {
            const BYTE* a = (const BYTE*)&d;
            const BYTE* b = (const BYTE*)&r.expected;
            for (int i = 0; i < 20; ++i)
                if (a[i] != b[i])
                    ADD_FAILURE() << r.name << ": byte " << i << " is " << (int)a[i] << ", expected " << (int)b[i];
        }
    }
}

TEST_F(Preview, SheetAndCanvasPictures)
{
    PAPERLAYOUTDESC d = {};
    EXPECT_EQ(GetPageBaseBitmapId(&d), 15000);
    EXPECT_EQ(GetPageCanvasBitmapId(&d), 15070);
    d.bOrientation = 1;
    EXPECT_EQ(GetPageBaseBitmapId(&d), 15001);
    d.bBookletOn = 1;
    d.bBookletKind = 1;
    const WORD kPage1[3] = {15003, 15002, 15004}, kPage2[3] = {15006, 15005, 15007};
    const WORD kCanvas1[3] = {15072, 15073, 15074}, kCanvas2[3] = {15075, 15076, 15077};
    for (int e = 0; e < 3; ++e) {
        d.bBookletEdge = (BYTE)e;
        d.bBookletKind = 1;
        EXPECT_EQ(GetPageBaseBitmapId(&d), kPage1[e]);
        EXPECT_EQ(GetPageCanvasBitmapId(&d), kCanvas1[e]);
        d.bBookletKind = 2;
        EXPECT_EQ(GetPageBaseBitmapId(&d), kPage2[e]);
        EXPECT_EQ(GetPageCanvasBitmapId(&d), kCanvas2[e]);
    }
    d.bBookletEdge = 3;
    EXPECT_EQ(GetPageBaseBitmapId(&d), 0);
    // The pictures of one family share their size, so the layers line up.
    SIZE a, b;
    ASSERT_TRUE(GetResBitmapSize(15070, &a));
    ASSERT_TRUE(GetResBitmapSize(15072, &b));
    EXPECT_EQ(a.cx, b.cx);
    EXPECT_EQ(a.cy, b.cy);
    ASSERT_TRUE(GetResBitmapSize(15000, &b));
    EXPECT_GE(b.cx, a.cx);
    EXPECT_GE(b.cy, a.cy);
}

TEST_F(Preview, IconOrderKeepsTheOrderOfSwitchingOn)
{
    BYTE order[4] = {};
    UpdateIconOrder(order, ICONKIND_IMAGESHIFT, TRUE);
    UpdateIconOrder(order, ICONKIND_OHP, TRUE);
    UpdateIconOrder(order, ICONKIND_OHP, TRUE);  // no kind twice
    const int w = 138;
    EXPECT_EQ(GetIconSlotX(order, ICONKIND_IMAGESHIFT, w), 3);
    EXPECT_EQ(GetIconSlotX(order, ICONKIND_OHP, w), w / 4 + 2);
    EXPECT_EQ(GetIconSlotX(order, ICONKIND_CHAPTER, w), 0);
    UpdateIconOrder(order, ICONKIND_IMAGESHIFT, FALSE);
    EXPECT_EQ(GetIconSlotX(order, ICONKIND_OHP, w), 3);
    EXPECT_EQ(order[1], 0);
    for (BYTE k = 1; k <= 4; ++k)
        UpdateIconOrder(order, k, TRUE);
    EXPECT_EQ(GetIconSlotX(order, 4, w), (w / 4) * 3);
}

TEST_F(Preview, IconOrderIsKeptInTheDevmode)
{
    Plain();
    Apply({{u"POD_Check", 1}, {u"ImageShift_Check", 1}, {u"lpMediaSource", 4}, {u"lpMediaType", 2}});
    Surface s(kIconRect.right, kIconRect.bottom);
    PaintSettingIconPanel(s.hdc, &kIconRect, pObj);
    const BYTE* order = GetIconOrder(pObj);
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(order[0], ICONKIND_OHP);
    EXPECT_EQ(order[1], ICONKIND_IMAGESHIFT);
    SetParamCommitted(pObj, GetParamIdOfKey(u"POD_Check"), 1);
    // Written back, read again: the order survives.
    ASSERT_EQ(1, SettingsToDevmode(pObj, (DEVMODEW*)dm.data(), (POPTIONDB)pdb));
    EXPECT_EQ(dm[2567], ICONKIND_OHP);
    EXPECT_EQ(dm[2568], ICONKIND_IMAGESHIFT);
}

TEST_F(Preview, GeometryOfThePaperView)
{
    PREVIEWGEOMETRY g = {};
    const RECT rc = {10, 20, 148, 179};  // H = 159
    ComputePaperViewGeometry(&rc, &g);
    // f = 22 + (17 * 159 - 68) / 100 = 48, h = 22 + 155 * 77 / 100 = 141
    EXPECT_EQ(g.rcPageImage.top, 48);
    EXPECT_EQ(g.rcPageImage.bottom, 141);
    EXPECT_EQ(g.rcInner.left, 12);
    EXPECT_EQ(g.rcInner.bottom, 177);
    EXPECT_EQ(g.ptImageCentre.x, 14 + 66);
    EXPECT_EQ(g.ptImageCentre.y, 48 + (141 - 48 + 12) / 2 + 12);
    int d = (159 - 155 * 77 / 100 - 4) / 3;
    EXPECT_EQ(g.rcDocName.bottom - g.rcDocName.top, d);
    EXPECT_EQ(g.rcOutSize.left, g.ptImageCentre.x);
    EXPECT_EQ(g.rcZoom.left, 12 + 132 * 3 / 4);
    EXPECT_EQ(g.rcCopies.bottom, 141 + 24);
}

TEST_F(Preview, LongPaperNamesEndWithTwoDots)
{
    Surface s(100, 20);
    RECT rc = {0, 0, 60, 16};
    WCHAR shortName[32] = u"A4";
    EXPECT_EQ(FitPreviewText(s.hdc, shortName, &rc), 2);
    WCHAR three[32] = u"WWW";
    RECT narrow = {0, 0, 8, 16};
    EXPECT_EQ(FitPreviewText(s.hdc, three, &narrow), 3);  // never cut
    EXPECT_EQ(std::u16string(three), u"WWW");
    WCHAR longName[32] = u"Postcard with reply card 148x20";
    int n = FitPreviewText(s.hdc, longName, &rc);
    ASSERT_GT(n, 3);
    ASSERT_LT(n, 31);
    EXPECT_EQ(longName[n - 1], u'.');
    EXPECT_EQ(longName[n - 2], u'.');
    SIZE ext;
    GetTextExtentPoint32W(s.hdc, longName, n, &ext);
    EXPECT_LT(ext.cx, 60 - 5);
    // A rectangle with no room at all ends the cutting.
    WCHAR another[32] = u"Executive";
    RECT none = {0, 0, 2, 16};
    EXPECT_LE(FitPreviewText(s.hdc, another, &none), 3);
}

// Darkest pixel in a rectangle of the picture (0 black .. 255 white).
int Darkest(const Pixels& p, int l, int t, int r, int b)
{
    int m = 255;
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) {
            DWORD v = p.at(x, y);
            int g = ((v >> 16 & 0xFF) + (v >> 8 & 0xFF) + (v & 0xFF)) / 3;
            m = std::min(m, g);
        }
    return m;
}

TEST_F(Preview, PaperViewPictures)
{
    struct Case {
        const char* name;
        std::vector<Setting> settings;
    };
    const Case cases[] = {
        {"paper_portrait_1up", {}},
        {"paper_landscape_1up", {{u"lpOrientation", 2}}},
        {"paper_portrait_4up", {{u"Layout_Check2", 1}, {u"Nup_Check", 1}, {u"lpLayout", 10}, {u"lpOrder", 3}, {u"lpBorder", 1}}},
        {"paper_landscape_4up", {{u"lpOrientation", 2}, {u"Layout_Check2", 1}, {u"Nup_Check", 1}, {u"lpLayout", 10}, {u"lpOrder", 3}, {u"lpBorder", 1}}},
        {"paper_staple_punch",
         {{u"Layout_Check2", 1}, {u"Staple_Check", 1}, {u"lpStaple", 4}, {u"Punch_Check", 1}, {u"lpPunch", 1},
          {u"lpPunchHoles", 2}, {u"Duplex_Check", 1}, {u"lpDuplex", 2}}},
        {"paper_booklet", {{u"Layout_Check2", 1}, {u"EngBooklet_Check", 1}, {u"lpEngBooklet", 1}}},
        {"paper_zoom_copies", {{u"lpOutputPaper", 9}, {u"Zoom", 141}, {u"Copies", 3}}},
    };
    for (const Case& c : cases) {
        Plain();
        Apply(c.settings);
        ExpectLikeReference(Paper(), c.name);
    }
}

TEST_F(Preview, PaperViewMarksWhereTheSettingsSay)
{
    Plain();
    Pixels plain = Paper();
    Apply({{u"Layout_Check2", 1}, {u"Staple_Check", 1}, {u"lpStaple", 2}});
    Pixels stapled = Paper();
    // The staple sits at the sheet's top-left corner: the sheet is the page
    // bitmap centred on the image centre.
    PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj);
    SIZE page;
    ASSERT_TRUE(GetResBitmapSize(15000, &page));
    int left = g->ptImageCentre.x - page.cx / 2, top = g->ptImageCentre.y - page.cy / 2 - 2;
    EXPECT_GT(Darkest(plain, left + 2, top + 2, left + 9, top + 9), 150);
    EXPECT_LT(Darkest(stapled, left + 2, top + 2, left + 9, top + 9), 100);
    // Punch holes on the left edge halfway down.
    Plain();
    Apply({{u"Layout_Check2", 1}, {u"Punch_Check", 1}, {u"lpPunch", 1}, {u"lpPunchHoles", 2}});
    Pixels punched = Paper();
    int mid = top + 48;
    EXPECT_LT(Darkest(punched, left + 1, mid - 16, left + 10, mid - 4), 60);
    EXPECT_GT(Darkest(plain, left + 1, mid - 16, left + 5, mid - 4), 60);
}

TEST_F(Preview, NoZoomTextOrArrowForTheSameOutputPaper)
{
    Plain();
    Apply({{u"lpOutputPaper", 257}, {u"Zoom", 150}});
    Pixels same = Paper();
    Apply({{u"lpOutputPaper", 9}});
    Pixels other = Paper();
    PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj);
    const RECT& z = g->rcZoom;
    EXPECT_EQ(Darkest(same, z.left, z.top, z.right, z.bottom), 255);
    EXPECT_LT(Darkest(other, z.left, z.top, z.right, z.bottom), 128);
}

TEST_F(Preview, WithoutSettingsOnlyTheFrame)
{
    Surface s(kPaneRect.right, kPaneRect.bottom);
    PaintPaperView(s.hdc, &kPaneRect, nullptr);
    Pixels p = s.Read();
    EXPECT_EQ(p.at(70, 80), 0xFFFFFFu);
    EXPECT_EQ(p.at(1, 40), 0u);  // the black inner line of the frame
}

TEST_F(Preview, MachineAndIconPanePictures)
{
    Plain();
    Apply({{u"lpSourceUnit", 2}, {u"lpOutputUnit", 2}, {u"lpMediaSource", 2}, {u"lpOutputTray", 2}});
    SetPreviewView(pObj, PREVIEWVIEW_MACHINE);
    {
        Surface s(kPaneRect.right, kPaneRect.bottom);
        PaintPreviewPane(s.hdc, &kPaneRect, pObj);
        ExpectLikeReference(s.Read(), "machine_feed_finisher");
    }
    Apply({{u"Watermark_Use", 1}, {u"lpWatermarkOrder", 1}, {u"Front_Check", 1}, {u"lpFrontCover", 3},
           {u"Password_Check", 1}, {u"POD_Check", 1}, {u"ImageShift_Check", 1}});
    Surface s(kIconRect.right, kIconRect.bottom);
    PaintSettingIconPanel(s.hdc, &kIconRect, pObj);
    ExpectLikeReference(s.Read(), "icons_watermark_cover_secure_shift");
}


// A child control's DC keeps the control's place on its window as its
// origin: the icon pane drawn there is the pane drawn at origin 0, moved by
// that origin, with every layer (covers, output mode, bottom row) inside it.
TEST_F(Preview, IconPaneKeepsTheOriginOfAChildControl)
{
    Plain();
    Apply({{u"Front_Check", 1}, {u"lpFrontCover", 3}, {u"Password_Check", 1}, {u"POD_Check", 1},
           {u"ImageShift_Check", 1}, {u"lpMediaSource", 4}, {u"lpMediaType", 2}});
    Surface at0(kIconRect.right, kIconRect.bottom);
    PaintSettingIconPanel(at0.hdc, &kIconRect, pObj);
    Pixels want = at0.Read();
    // The bottom row is drawn, so every layer takes part.
    EXPECT_LT(Darkest(want, 0, 44, kIconRect.right, kIconRect.bottom - 2), 128);

    const int dx = 37, dy = 23;
    Surface child(kIconRect.right + dx + 10, kIconRect.bottom + dy + 10);
    SetViewportOrgEx(child.hdc, dx, dy, nullptr);
    PaintSettingIconPanel(child.hdc, &kIconRect, pObj);
    POINT pt = {};
    SetViewportOrgEx(child.hdc, dx, dy, &pt);  // answers the origin the paint left
    EXPECT_EQ(pt.x, dx);
    EXPECT_EQ(pt.y, dy);
    Pixels got = child.Read();
    int cWrong = 0, cOutside = 0;
    for (int y = 0; y < got.h; ++y)
        for (int x = 0; x < got.w; ++x) {
            bool bIn = x >= dx && y >= dy && x < dx + want.w && y < dy + want.h;
            if (bIn)
                cWrong += got.at(x, y) != want.at(x - dx, y - dy);
            else
                cOutside += got.at(x, y) != 0xFFFFFFu;
        }
    EXPECT_EQ(cWrong, 0);
    EXPECT_EQ(cOutside, 0);
}

// The machine view's heading names the engine by its list text: the strip
// holds the ink of "Tevano QX-730" drawn at the same place, and nothing
// to its right.
TEST_F(Preview, MachineViewNamesTheEngine)
{
    Plain();
    SetPreviewView(pObj, PREVIEWVIEW_MACHINE);
    Surface pane(kPaneRect.right, kPaneRect.bottom);
    PaintPreviewPane(pane.hdc, &kPaneRect, pObj);
    Pixels shown = pane.Read();
    const RECT r = GetPreviewGeometry(pObj)->rcMachine;

    Surface expected(kPaneRect.right, kPaneRect.bottom);
    SetBkMode(expected.hdc, TRANSPARENT);
    const WCHAR kHeading[] = u"Tevano QX-730";
    ExtTextOutW(expected.hdc, r.left + 3, r.top + 2, ETO_CLIPPED, &r, kHeading, 13, nullptr);
    Pixels want = expected.Read();
    SIZE ext = {};
    GetTextExtentPoint32W(expected.hdc, kHeading, 13, &ext);
    ASSERT_GT(ext.cx, 20);

    auto dark = [](DWORD v) { return ((v >> 16 & 0xFF) + (v >> 8 & 0xFF) + (v & 0xFF)) / 3 < 128; };
    int cInk = 0, cMissing = 0, cExtra = 0;
    for (int y = r.top + 2; y < r.top + 2 + ext.cy; ++y)
        for (int x = r.left + 3; x < r.right - 2; ++x) {
            bool bWant = x < r.left + 3 + ext.cx && dark(want.at(x, y));
            cInk += bWant;
            cMissing += bWant && !dark(shown.at(x, y));
            cExtra += x >= r.left + 3 + ext.cx + 2 && dark(shown.at(x, y));
        }
    EXPECT_GT(cInk, 40);
    EXPECT_EQ(cMissing, 0);
    EXPECT_EQ(cExtra, 0);
}

}  // namespace
