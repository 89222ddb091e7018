// The Image and Font pages on their real templates, in a property sheet,
// acted on by the scripted user; what they leave in the settings and in
// the printed job.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "platform/user/script.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/fontpage.h"
#include "ui/pages/imagepage.h"
#include "ui/pages/pageframe.h"
#include "ui/settings/devmode.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"

#include <fstream>
#include <iterator>

namespace {

const WORD kDitherType = 29, kDither = 30, kSaveToner = 31, kGraphicsMode = 33, kPrintCad = 85,
           kPrintCadMode = 97, kDensity = 145, kFontUse = 203;

class ImageFontPages : public SubDialogTest {
protected:
    void SetUp() override
    {
        SubDialogTest::SetUp();
        SetSheetState(pObj, UIS_STATE_EDITABLE, 1);
        SetSheetState(pObj, UIS_STATE_DOCSHEET, 1);
        pField = pObj;
    }
    void TearDown() override
    {
        if (hSheet && IsWindow(hSheet))
            DestroyWindow(hSheet);
        SubDialogTest::TearDown();
    }
    // A sheet of the Image page (index 0) and the Font page (index 1).
    void OpenSheet()
    {
        HPROPSHEETPAGE ah[2] = {};
        const WORD aid[2] = {600, 700};
        const DLGPROC aproc[2] = {ImagePageDlgProc, FontPageDlgProc};
        for (int i = 0; i < 2; ++i) {
            PROPSHEETPAGEW psp = {};
            psp.dwSize = sizeof(psp);
            psp.hInstance = hUi;
            psp.pszTemplate = MAKEINTRESOURCEW(aid[i]);
            psp.pfnDlgProc = aproc[i];
            psp.lParam = PageParamOfField(&pField);
            ah[i] = CreatePropertySheetPageW(&psp);
            ASSERT_NE(ah[i], nullptr);
        }
        PROPSHEETHEADERW psh = {};
        psh.dwSize = sizeof(psh);
        psh.dwFlags = PSH_MODELESS;
        psh.pszCaption = u"QX-730 Printing Preferences";
        psh.nPages = 2;
        psh.phpage = ah;
        hSheet = (HWND)PropertySheetW(&psh);
        ASSERT_NE(hSheet, nullptr);
        ShowWindow(hSheet, SW_SHOW);
        PlatPumpMessages();
    }
    HWND Page(int i)
    {
        SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
        PlatPumpMessages();
        return (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    }
    bool ApplyEnabled() { return IsWindowEnabled(PlatScriptFindControl(hSheet, 0, u"Apply")) != FALSE; }
    void PressApply() { ASSERT_TRUE(PlatScriptClick(hSheet, 0, u"Apply")) << Narrow(PlatScriptError()); }
    SHORT V(WORD w) { return GetParamEdited(pObj, w); }
    // The page's pixels.
    Pixels Picture(HWND hPage, const char* name)
    {
        UpdateWindow(hSheet);
        std::string path = std::string("/tmp/") + name;
        EXPECT_TRUE(PlatWriteWindowPng(hPage, path.c_str()));
        Pixels p;
        EXPECT_TRUE(ReadPng(path, &p));
        return p;
    }
    // Pixels of a control's place in the page picture.
    static std::vector<DWORD> Region(const Pixels& p, HWND hPage, int id)
    {
        RECT rc;
        GetWindowRect(GetDlgItem(hPage, id), &rc);
        MapWindowPoints(nullptr, hPage, (POINT*)&rc, 2);
        std::vector<DWORD> v;
        for (int y = rc.top; y < rc.bottom && y < p.h; ++y)
            for (int x = rc.left; x < rc.right && x < p.w; ++x)
                v.push_back(p.at(x, y));
        return v;
    }
    std::u16string Row(HWND hPage, int i)
    {
        WCHAR sz[80] = {};
        SendDlgItemMessageW(hPage, 705, LB_GETTEXT, (WPARAM)i, (LPARAM)sz);
        return sz;
    }
    std::vector<std::u16string> Rows(HWND hPage)
    {
        std::vector<std::u16string> v;
        int n = (int)SendDlgItemMessageW(hPage, 705, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i)
            v.push_back(Row(hPage, i));
        return v;
    }
    FONTSUBLIST* UserFonts() { return pObj->trailer.pListSet ? pObj->trailer.pListSet->pFontSub : nullptr; }
    void SetUserPairs(std::initializer_list<std::pair<const char16_t*, const char16_t*>> pairs)
    {
        FONTSUBLIST* l = UserFonts();
        ASSERT_NE(l, nullptr);
        memset(l->pPairs, 0, sizeof(FONTSUBPAIR) * FONTSUB_PAIRS);
        int i = 0;
        for (auto& p : pairs) {
            lstrcpynW(l->pPairs[i].szTrueType, p.first, 32);
            lstrcpynW(l->pPairs[i].szDevice, p.second, 32);
            ++i;
        }
        l->sCount = (SHORT)i;
        l->sIndex = 0;
    }
    // Commits the settings, writes the DEVMODE and prints one page of text.
    std::string Print()
    {
        CommitEditedSettings(pObj);
        EXPECT_EQ(1, SettingsToDevmode(pObj, (DEVMODEW*)dm.data(), (POPTIONDB)pdb));
        // The sheet's own printer: the lists applied are stored for it.
        PlatMsgBoxReset();
        HDC hdc = CreateDCW(nullptr, u"Preview Printer", nullptr, (DEVMODEW*)dm.data());
        EXPECT_NE(nullptr, hdc);
        if (!hdc)
            return {};
        DOCINFOW di = {sizeof(DOCINFOW), u"Pages", nullptr, nullptr, 0};
        EXPECT_GT(StartDocW(hdc, &di), 0);
        EXPECT_GT(StartPage(hdc), 0);
        HFONT hf = CreateFontW(-120, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"Times New Roman");
        HGDIOBJ hOld = SelectObject(hdc, hf);
        TextOutW(hdc, 300, 300, u"Hello", 5);
        SelectObject(hdc, hOld);
        DeleteObject(hf);
        Rectangle(hdc, 100, 100, 400, 400);
        EXPECT_GT(EndPage(hdc), 0);
        EXPECT_GT(EndDoc(hdc), 0);
        DeleteDC(hdc);
        std::ifstream in(TestRootFile("c/port.prn"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string Line(const std::string& job, const std::string& key)
    {
        size_t at = job.find("@PJL SET " + key + " = ");
        if (at == std::string::npos)
            return "";
        return job.substr(at, job.find('\n', at) - at);
    }

    UISETTINGS* pField = nullptr;
    HWND hSheet = nullptr;
};

// ---- Image page ----

TEST(ImageSample, ChoiceFollowsTheSettings)
{
    struct Row {
        SHORT density, ditherType, dither, saveToner, printCad, cadMode;
        LONG lHalftone, lPattern, lToner;
        WORD wBitmap;
    } rows[] = {
        // Normal printing: the plain sample whatever the black mode says.
        {0, 0, 3, 0, 0, 2, 1, 2, 0, 11202},
        {-2, 1, 4, 1, 0, 1, 2, 3, 1, 11202},
        {-1, 0, 2, 0, 0, 1, 1, 1, 0, 11202},
        // Print in black: text and graphics, or everything.
        {0, 0, 3, 0, 1, 1, 1, 2, 0, 11203},
        {0, 0, 3, 0, 1, 2, 1, 2, 0, 11204},
        // A toner-save value other than 1 does not lighten.
        {0, 1, 3, 2, 1, 2, 2, 2, 0, 11204},
    };
    for (const Row& r : rows) {
        IMAGESAMPLECHOICE c = ChooseImageSample(r.density, r.ditherType, r.dither, r.saveToner, r.printCad, r.cadMode);
        EXPECT_EQ(c.lDensity, r.density);
        EXPECT_EQ(c.lHalftone, r.lHalftone) << r.ditherType;
        EXPECT_EQ(c.lPattern, r.lPattern) << r.dither;
        EXPECT_EQ(c.lTonerSave, r.lToner);
        EXPECT_EQ(c.wBitmap, r.wBitmap) << r.printCad << "/" << r.cadMode;
    }
}

TEST(ImagePageMarkDirty, ControlsMapToTheirRefreshBits)
{
    struct Row {
        WORD id;
        DWORD bits;
    } rows[] = {{163, 0x20000}, {164, 0x20000}, {602, 0x01},   {603, 0x02},   {604, 0x02},   {605, 0x02},
                {606, 0x02},    {607, 0x02},    {611, 0x08},   {612, 0x08},   {614, 0x10},   {630, 0x200},
                {637, 0x800},   {638, 0x1000},  {639, 0x1000}, {640, 0x2000}, {601, 0},      {615, 0},
                {616, 0},       {125, 0},       {701, 0},      {0, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(ImagePageDirtyBits(r.id), r.bits) << r.id;
    // A window that is no Image page has no record: nothing is marked.
    EXPECT_EQ(ImagePageMarkDirty(nullptr, 602, 1), 0);
}

TEST_F(ImageFontPages, DensityBarChangesTheSampleAtOnceWithoutAnyRule)
{
    OpenSheet();
    HWND hPage = Page(0);
    ASSERT_NE(hPage, nullptr);
    HWND hBar = GetDlgItem(hPage, 630);
    EXPECT_EQ(SendMessageW(hBar, TBM_GETRANGEMIN, 0, 0), -2);
    EXPECT_EQ(SendMessageW(hBar, TBM_GETRANGEMAX, 0, 0), 0);
    EXPECT_EQ(SendMessageW(hBar, TBM_GETPOS, 0, 0), V(kDensity));
    ASSERT_EQ(V(kDensity), 0);
    EXPECT_FALSE(ApplyEnabled());
    std::vector<DWORD> before = Region(Picture(hPage, "imgpage_before.png"), hPage, 601);

    ASSERT_TRUE(PlatScriptSetPos(hSheet, 630, nullptr, -2)) << Narrow(PlatScriptError());
    EXPECT_EQ(V(kDensity), -2);
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(PlatMsgBoxCount(), 0);
    std::vector<DWORD> after = Region(Picture(hPage, "imgpage_light.png"), hPage, 601);
    ASSERT_EQ(before.size(), after.size());
    EXPECT_NE(before, after) << "the sample did not change";
    // A lighter sample: more white pixels.
    auto whites = [](const std::vector<DWORD>& v) {
        return std::count(v.begin(), v.end(), (DWORD)0xFFFFFF);
    };
    EXPECT_GT(whites(after), whites(before));

    // Apply commits it.
    EXPECT_NE(GetParamCommitted(pObj, kDensity), -2);
    PressApply();
    EXPECT_EQ(GetParamCommitted(pObj, kDensity), -2);
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(ImageFontPages, HalftoneSwitchByMouseAndKeyboard)
{
    struct Row {
        SHORT graphicsMode;
        int cItems;
        SHORT afterDown;  // dither type after the Down arrow on the switch
    } rows[] = {
        {2, 2, 1},  // vector: error diffusion is reachable
        {1, 1, 0},  // raster: one item; the keyboard cannot reach it
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.graphicsMode);
        SetParamEdited(pObj, kGraphicsMode, r.graphicsMode);
        SetParamEdited(pObj, kDitherType, 0);
        OpenSheet();
        HWND hPage = Page(0);
        HWND hList = GetDlgItem(hPage, 616);
        EXPECT_EQ(SendMessageW(hList, LB_GETCOUNT, 0, 0), r.cItems);
        EXPECT_EQ(SendMessageW(hList, LB_GETCURSEL, 0, 0), 0);
        ASSERT_TRUE(PlatScriptFocus(hSheet, 616, nullptr)) << Narrow(PlatScriptError());
        PlatScriptPressKey(hPage, VK_DOWN, 0);
        EXPECT_EQ(V(kDitherType), r.afterDown);
        DestroyWindow(hSheet);
        hSheet = nullptr;
    }
    // The mouse: a click on error diffusion and back on dither.
    SetParamEdited(pObj, kGraphicsMode, 2);
    OpenSheet();
    HWND hPage = Page(0);
    if (!IsWindowEnabled(GetDlgItem(hPage, 604)))
        GTEST_SKIP() << "error diffusion is not offered with this printer's options";
    ASSERT_TRUE(PlatScriptClick(hSheet, 604, nullptr)) << Narrow(PlatScriptError());
    EXPECT_EQ(V(kDitherType), 1);
    EXPECT_EQ(SendDlgItemMessageW(hPage, 616, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetFocus(), GetDlgItem(hPage, 616));
    EXPECT_TRUE(ApplyEnabled());
    Picture(hPage, "imgpage_errdiff.png");
    ASSERT_TRUE(PlatScriptClick(hSheet, 603, nullptr));
    EXPECT_EQ(V(kDitherType), 0);
}

// The switch buttons drawn for each state: raised has a black outer
// frame, pressed a light one; a disabled error diffusion is never pressed.
TEST_F(ImageFontPages, SwitchButtonsDrawRaisedPressedAndEmbossed)
{
    SetParamEdited(pObj, kGraphicsMode, 2);
    OpenSheet();
    HWND hPage = Page(0);
    struct Row {
        int id;
        int sel;
        bool disabled;
        bool pressed;
    } rows[] = {
        {603, 0, false, true}, {603, 1, false, false}, {604, 1, false, true},
        {604, 0, false, false}, {604, 1, true, false},
    };
    for (const Row& r : rows) {
        SendDlgItemMessageW(hPage, 616, LB_SETCURSEL, (WPARAM)r.sel, 0);
        Surface s(120, 40);
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = (UINT)r.id;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = r.disabled ? ODS_DISABLED : 0;
        dis.hwndItem = GetDlgItem(hPage, r.id);
        dis.hDC = s.hdc;
        dis.rcItem = {0, 0, 100, 28};
        SendMessageW(hPage, WM_DRAWITEM, (WPARAM)r.id, (LPARAM)&dis);
        Pixels p = s.Read();
        SCOPED_TRACE(testing::Message() << r.id << " sel " << r.sel << (r.disabled ? " disabled" : ""));
        EXPECT_EQ(p.at(0, 0) == 0x000000, !r.pressed);
        EXPECT_EQ(p.at(1, 1) == 0x000000, r.pressed);
        // Some caption was drawn inside.
        int dark = 0;
        for (int y = 4; y < 24; ++y)
            for (int x = 6; x < 96; ++x)
                dark += p.at(x, y) != p.at(50, 3);
        EXPECT_GT(dark, 10);
        if (r.disabled) {
            // Embossed: the grey text colour, no black text.
            int black = 0;
            for (int y = 4; y < 24; ++y)
                for (int x = 6; x < 96; ++x)
                    black += p.at(x, y) == 0x000000;
            EXPECT_EQ(black, 0);
        }
    }
}

TEST_F(ImageFontPages, PrintInBlackShowsItsSampleAndForcedValuesShowAtOnce)
{
    OpenSheet();
    HWND hPage = Page(0);
    std::vector<DWORD> normal = Region(Picture(hPage, "imgpage_normal.png"), hPage, 601);
    ASSERT_TRUE(PlatScriptClick(hSheet, 637, nullptr)) << Narrow(PlatScriptError());
    EXPECT_EQ(V(kPrintCad), 1);
    ASSERT_TRUE(PlatScriptClick(hSheet, 639, nullptr)) << Narrow(PlatScriptError());
    EXPECT_EQ(V(kPrintCadMode), 2);
    std::vector<DWORD> black = Region(Picture(hPage, "imgpage_black.png"), hPage, 601);
    EXPECT_NE(normal, black);

    // A value changed by the rules is shown when the engine marks it.
    SetParamEdited(pObj, kSaveToner, 1);
    SetParamEdited(pObj, kDither, 4);
    EXPECT_EQ(ImagePageMarkDirty(hPage, 602, 1), 0x01);
    EXPECT_EQ(ImagePageMarkDirty(hPage, 607, 4), 0x02);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 602), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 607), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 606), BST_UNCHECKED);
    // The graphics mode also tells the Form page to refresh.
    *PageRefreshMask(pObj, 400) = 0;
    SetParamEdited(pObj, kGraphicsMode, 1);
    EXPECT_EQ(ImagePageMarkDirty(hPage, 612, 1), 0x08);
    EXPECT_EQ(IsDlgButtonChecked(hPage, 612), BST_CHECKED);
    EXPECT_NE(*PageRefreshMask(pObj, 400) & 0x100, 0u);
    EXPECT_EQ(ImagePageMarkDirty(hPage, 125, 1), 0);
}

TEST_F(ImageFontPages, DensityChosenOnThePageReachesTheJob)
{
    OpenSheet();
    Page(0);
    ASSERT_TRUE(PlatScriptSetPos(hSheet, 630, nullptr, -1)) << Narrow(PlatScriptError());
    PressApply();
    std::string job = Print();
    ASSERT_FALSE(job.empty());
    EXPECT_EQ(Line(job, "DENSITY"), "@PJL SET DENSITY = 2") << job.substr(0, 1500);
}

// ---- Font page ----

TEST_F(ImageFontPages, FontRowsFromTheUsersPairsAndFromTheDefaults)
{
    const std::u16string none = GetResString(31000);
    SetUserPairs({{u"Arial", u"Helvetica"}, {u"ＭＳ 明朝", u"HG明朝L"}, {u"Nonesuch", u"Courier"}});
    SetParamEdited(pObj, kFontUse, 1);
    SetParamCommitted(pObj, kFontUse, 1);
    SetParamEdited(pObj, kGraphicsMode, 2);
    OpenSheet();
    HWND hPage = Page(1);
    std::vector<std::u16string> rows = Rows(hPage);
    // Every TrueType family once, the vertical faces never.
    ASSERT_EQ(rows.size(), 7u);
    for (const std::u16string& r : rows)
        EXPECT_NE(r[0], u'@');
    struct Want {
        const char16_t* face;
        std::u16string user, defaults;
    } want[] = {
        {u"Arial", u"Helvetica", u"Arial"},
        {u"Courier New", none, u"Courier"},
        {u"Times New Roman", none, u"Times New Roman"},
        {u"ＭＳ 明朝", u"HG明朝L", u"HG明朝L"},
        {u"ＭＳ Ｐゴシック", none, u"HGPゴシックB"},
    };
    auto find = [&](const std::vector<std::u16string>& v, const char16_t* face) {
        for (const std::u16string& r : v)
            if (r.substr(0, r.find(u'\t')) == face)
                return r.substr(r.find(u'\t') + 1);
        return std::u16string(u"<missing>");
    };
    for (const Want& w : want)
        EXPECT_EQ(find(rows, w.face), w.user) << Narrow(w.face);
    // Row 0 is shown below the list.
    EXPECT_EQ(Text(hPage, 710), rows[0].substr(0, rows[0].find(u'\t')));
    EXPECT_FALSE(ApplyEnabled());
    Picture(hPage, "fontpage.png");

    // Restore defaults shows the default table; the user's list is
    // untouched until apply.
    ASSERT_TRUE(PlatScriptClick(hSheet, 711, nullptr)) << Narrow(PlatScriptError());
    rows = Rows(hPage);
    for (const Want& w : want)
        EXPECT_EQ(find(rows, w.face), w.defaults) << Narrow(w.face);
    EXPECT_EQ(UserFonts()->sCount, 3);
    EXPECT_EQ(std::u16string(UserFonts()->pPairs[0].szDevice), u"Helvetica");
    EXPECT_TRUE(ApplyEnabled());
    PressApply();
    // The default table again: the installed families first, in row order,
    // then the families not installed here; the user's pair of a family
    // that is not installed is gone with the rest of the user's list.
    FONTSUBLIST* l = UserFonts();
    ASSERT_EQ(l->sCount, CountDefaultFontPairs());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(std::u16string(l->pPairs[i].szTrueType) + u"\t" + l->pPairs[i].szDevice, rows[i]);
    EXPECT_EQ(std::u16string(l->pPairs[rows.size()].szTrueType), u"Albertus Extra Bold");
    for (int i = 0; i < l->sCount; ++i)
        EXPECT_NE(std::u16string(l->pPairs[i].szTrueType), u"Nonesuch");
}

// Apply without a change keeps the user's pairs of the families the page
// does not list (not installed here), after the rows; a row without a
// printer font still drops its pair.
TEST_F(ImageFontPages, ApplyKeepsThePairsOfFamiliesNotInstalled)
{
    struct Case {
        const char* name;
        std::initializer_list<std::pair<const char16_t*, const char16_t*>> user;
        bool bNoneForArial;
        std::vector<std::u16string> stored;  // "face\tdevice"
    } cases[] = {
        {"unchanged",
         {{u"Nonesuch", u"Courier"}, {u"Arial", u"Helvetica"}, {u"Univers", u"Univers"}},
         false,
         {u"Arial\tHelvetica", u"Nonesuch\tCourier", u"Univers\tUnivers"}},
        {"arial dropped", {{u"Nonesuch", u"Courier"}, {u"Arial", u"Helvetica"}}, true, {u"Nonesuch\tCourier"}},
        // A pair without a printer font is no pair.
        {"empty names", {{u"Nonesuch", u""}, {u"", u"Courier"}, {u"Marigold", u"Marigold"}}, false,
         {u"Marigold\tMarigold"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUserPairs(c.user);
        SetParamEdited(pObj, kFontUse, 1);
        SetParamCommitted(pObj, kFontUse, 1);
        SetParamEdited(pObj, kGraphicsMode, 2);
        OpenSheet();
        HWND hPage = Page(1);
        if (c.bNoneForArial) {
            std::vector<std::u16string> rows = Rows(hPage);
            int iArial = -1;
            for (int i = 0; i < (int)rows.size(); ++i)
                if (rows[i].rfind(u"Arial\t", 0) == 0)
                    iArial = i;
            ASSERT_GE(iArial, 0);
            ASSERT_TRUE(PlatScriptChoose(hSheet, 705, nullptr, nullptr, iArial)) << Narrow(PlatScriptError());
            ASSERT_TRUE(PlatScriptChoose(hSheet, 709, nullptr, nullptr, 0)) << Narrow(PlatScriptError());
        }
        // OK applies every page, changed or not.
        ASSERT_TRUE(PlatScriptClick(hSheet, 0, u"OK")) << Narrow(PlatScriptError());
        PlatPumpMessages();
        FONTSUBLIST* l = UserFonts();
        std::vector<std::u16string> stored;
        for (int i = 0; i < l->sCount; ++i)
            stored.push_back(std::u16string(l->pPairs[i].szTrueType) + u"\t" + l->pPairs[i].szDevice);
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(l->pPairs[l->sCount].szTrueType[0], 0);
        if (IsWindow(hSheet))
            DestroyWindow(hSheet);
        hSheet = nullptr;
    }
}

TEST_F(ImageFontPages, ChoosingNoPrinterFontDropsThePairAtApplyOnly)
{
    const std::u16string none = GetResString(31000);
    SetUserPairs({{u"Arial", u"Helvetica"}, {u"Courier New", u"Courier"}});
    SetParamEdited(pObj, kFontUse, 1);
    SetParamCommitted(pObj, kFontUse, 1);
    SetParamEdited(pObj, kGraphicsMode, 2);
    OpenSheet();
    HWND hPage = Page(1);
    std::vector<std::u16string> rows = Rows(hPage);
    int iArial = -1;
    for (int i = 0; i < (int)rows.size(); ++i)
        if (rows[i].rfind(u"Arial\t", 0) == 0)
            iArial = i;
    ASSERT_GE(iArial, 0);
    ASSERT_TRUE(PlatScriptChoose(hSheet, 705, nullptr, nullptr, iArial)) << Narrow(PlatScriptError());
    EXPECT_EQ(Text(hPage, 710), u"Arial");
    EXPECT_EQ(UserFonts()->sIndex, iArial);
    // Item k + 1 of the combo is row k of the default table.
    HWND hCombo = GetDlgItem(hPage, 709);
    EXPECT_EQ(SendMessageW(hCombo, CB_GETCOUNT, 0, 0), CountDefaultFontPairs() + 1);
    WCHAR sz[64] = {};
    SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)SendMessageW(hCombo, CB_GETCURSEL, 0, 0), (LPARAM)sz);
    EXPECT_EQ(std::u16string(sz), u"Helvetica");

    ASSERT_TRUE(PlatScriptChoose(hSheet, 709, nullptr, nullptr, 0)) << Narrow(PlatScriptError());
    EXPECT_EQ(Row(hPage, iArial), u"Arial\t" + none);
    EXPECT_EQ(SendDlgItemMessageW(hPage, 705, LB_GETCURSEL, 0, 0), iArial);
    EXPECT_EQ(UserFonts()->sCount, 2);  // not before apply
    PressApply();
    ASSERT_EQ(UserFonts()->sCount, 1);
    EXPECT_EQ(std::u16string(UserFonts()->pPairs[0].szTrueType), u"Courier New");
    EXPECT_EQ(std::u16string(UserFonts()->pPairs[0].szDevice), u"Courier");
    EXPECT_EQ(UserFonts()->pPairs[1].szTrueType[0], 0);
}

TEST_F(ImageFontPages, FontPageEnablingByModeAndSwitch)
{
    struct Row {
        SHORT graphicsMode, fontUse;
        bool check701, enabled701, enabledList;
        int sel;
    } rows[] = {
        {2, 1, true, true, true, 0},
        {2, 0, false, true, false, -1},
        // Raster: everything off and the check cleared; the value stays.
        {1, 1, false, false, false, -1},
        {1, 0, false, false, false, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.graphicsMode << "/" << r.fontUse);
        SetParamEdited(pObj, kGraphicsMode, r.graphicsMode);
        SetParamEdited(pObj, kFontUse, r.fontUse);
        SetParamCommitted(pObj, kFontUse, r.fontUse);
        OpenSheet();
        HWND hPage = Page(1);
        EXPECT_EQ(IsDlgButtonChecked(hPage, 701) == BST_CHECKED, r.check701);
        EXPECT_EQ(Enabled(hPage, 701), r.enabled701);
        EXPECT_EQ(Enabled(hPage, 705), r.enabledList);
        EXPECT_EQ(Enabled(hPage, 709), r.enabledList);
        EXPECT_TRUE(Enabled(hPage, 711));
        EXPECT_EQ(SendDlgItemMessageW(hPage, 705, LB_GETCURSEL, 0, 0), r.sel);
        EXPECT_EQ(V(kFontUse), r.fontUse);
        if (r.graphicsMode == 1 && r.fontUse == 1)
            Picture(hPage, "fontpage_raster.png");
        DestroyWindow(hSheet);
        hSheet = nullptr;
    }
    // The switch turned off by the user.
    SetParamEdited(pObj, kGraphicsMode, 2);
    SetParamEdited(pObj, kFontUse, 1);
    OpenSheet();
    HWND hPage = Page(1);
    ASSERT_TRUE(PlatScriptClick(hSheet, 701, nullptr)) << Narrow(PlatScriptError());
    EXPECT_EQ(V(kFontUse), 0);
    EXPECT_FALSE(Enabled(hPage, 705));
    EXPECT_TRUE(ApplyEnabled());
    PressApply();
    EXPECT_EQ(GetParamCommitted(pObj, kFontUse), 0);
}

// The pair array holds 500: more rows naming a printer font keep the first
// 500 in row order; rows without one are never stored.
TEST_F(ImageFontPages, StoringKeepsAtMostTheArraysPairs)
{
    SetUserPairs({});
    SetParamEdited(pObj, kGraphicsMode, 2);
    OpenSheet();
    HWND hPage = Page(1);
    const std::u16string none = GetResString(31000);
    struct Row {
        int cWith, cWithout;
        int stored;
    } rows[] = {{0, 3, 0}, {3, 2, 3}, {500, 1, 500}, {510, 0, 500}};
    for (const Row& r : rows) {
        SendDlgItemMessageW(hPage, 705, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < r.cWithout; ++i)
            SendDlgItemMessageW(hPage, 705, LB_ADDSTRING, 0, (LPARAM)(u"Plain\t" + none).c_str());
        for (int i = 0; i < r.cWith; ++i) {
            std::u16string s = u"Face" + std::u16string(1, (char16_t)(u'A' + i % 26)) +
                               std::u16string(1, (char16_t)(u'A' + i / 26)) + u"\tCourier";
            SendDlgItemMessageW(hPage, 705, LB_ADDSTRING, 0, (LPARAM)s.c_str());
        }
        FONTSUBLIST* l = UserFonts();
        EXPECT_EQ(StoreFontSubstList(hPage, l), r.stored) << r.cWith;
        EXPECT_EQ(l->sCount, r.stored);
        if (r.stored) {
            EXPECT_EQ(std::u16string(l->pPairs[0].szTrueType), u"FaceAA");
        }
    }
    EXPECT_EQ(StoreFontSubstList(hPage, nullptr), 0);
}

TEST_F(ImageFontPages, FontSubstitutionChosenOnThePageReachesTheJob)
{
    SetUserPairs({});
    SetParamEdited(pObj, kFontUse, 1);
    SetParamCommitted(pObj, kFontUse, 1);
    SetParamEdited(pObj, kGraphicsMode, 2);
    OpenSheet();
    HWND hPage = Page(1);
    std::vector<std::u16string> rows = Rows(hPage);
    int iTimes = -1;
    for (int i = 0; i < (int)rows.size(); ++i)
        if (rows[i].rfind(u"Times New Roman\t", 0) == 0)
            iTimes = i;
    ASSERT_GE(iTimes, 0);
    ASSERT_TRUE(PlatScriptChoose(hSheet, 705, nullptr, nullptr, iTimes));
    ASSERT_TRUE(PlatScriptChoose(hSheet, 709, nullptr, u"CG Times", -1)) << Narrow(PlatScriptError());
    PressApply();
    ASSERT_EQ(UserFonts()->sCount, 1);
    std::string job = Print();
    ASSERT_FALSE(job.empty());
    // Only the chosen printer font is set up.
    size_t at = job.find("\nfoc ");
    ASSERT_NE(at, std::string::npos) << job.substr(0, 3000);
    std::string line = job.substr(at + 1, job.find('\n', at + 1) - at - 1);
    EXPECT_NE(line.find("CG_Times"), std::string::npos) << line;
    EXPECT_EQ(job.find("Albertus"), std::string::npos) << job.substr(0, 3000);
}

}  // namespace

namespace {

// Cancel leaves what was committed and stored as it was.
TEST_F(ImageFontPages, CancelLeavesCommittedValuesAndStoredPairsUntouched)
{
    SetUserPairs({{u"Arial", u"Helvetica"}});
    SetParamEdited(pObj, kFontUse, 1);
    SetParamCommitted(pObj, kFontUse, 1);
    SetParamEdited(pObj, kGraphicsMode, 2);
    const SHORT sDensity = GetParamCommitted(pObj, kDensity);
    OpenSheet();
    Page(0);
    ASSERT_TRUE(PlatScriptSetPos(hSheet, 630, nullptr, -2)) << Narrow(PlatScriptError());
    Page(1);
    ASSERT_TRUE(PlatScriptClick(hSheet, 711, nullptr)) << Narrow(PlatScriptError());
    ASSERT_TRUE(PlatScriptClick(hSheet, 701, nullptr)) << Narrow(PlatScriptError());
    ASSERT_TRUE(PlatScriptClick(hSheet, 0, u"Cancel")) << Narrow(PlatScriptError());
    EXPECT_EQ(GetParamCommitted(pObj, kDensity), sDensity);
    EXPECT_EQ(GetParamCommitted(pObj, kFontUse), 1);
    ASSERT_EQ(UserFonts()->sCount, 1);
    EXPECT_EQ(std::u16string(UserFonts()->pPairs[0].szTrueType), u"Arial");
    EXPECT_EQ(std::u16string(UserFonts()->pPairs[0].szDevice), u"Helvetica");
    EXPECT_EQ(UserFonts()->pPairs[1].szTrueType[0], 0);
}

}  // namespace
