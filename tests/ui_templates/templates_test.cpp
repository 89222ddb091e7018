// The property pages' dialog templates as the built Q730MVU3 carries them:
// each page created from its template by the dialog manager shows exactly
// the controls its page works with, of the kinds its procedure expects,
// laid out without overlaps and with every caption readable in full.
#include "platform/comctl/commctrl.h"
#include "platform/user/script.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// What a page's procedure does with a control decides its kind.
enum KIND {
    TEXT,      // static with a caption
    STATIC,    // static painted or written by the page (no caption needed)
    GROUP,     // group box
    CHECK,     // automatic check box: the page reads the new state
    RADIO,     // automatic radio button
    COMBO,     // drop-down list filled in list order
    ODCOMBO,   // owner-drawn drop-down list keeping item texts
    EDIT,      // edit field
    SPIN,      // up-down that writes its buddy's number
    BUTTON,    // push button
    ODBUTTON,  // owner-drawn button (panes, report triggers, switch halves)
    LISTVIEW,  // report-view list
    LISTBOX,   // list box that reports selection changes
    TRACKBAR,  // track bar
};

struct CTL {
    int id;
    KIND kind;
};

struct PAGE {
    int idTemplate;
    const char* pszName;
    std::vector<CTL> controls;       // every control with an id the template carries
    std::vector<int> absent;         // ids the page handles but its template lacks
    int cUnnamedTexts;               // statics without an id
};

// The preview group of the document pages: frame, panes, view label and
// the paper and machine view radios.
std::vector<CTL> WithPreview(std::vector<CTL> v)
{
    for (CTL c : {CTL{165, GROUP}, CTL{166, ODBUTTON}, CTL{167, ODBUTTON}, CTL{168, TEXT}, CTL{163, RADIO},
                  CTL{164, RADIO}})
        v.push_back(c);
    return v;
}

// Names a page in the test's report.
void PrintTo(const PAGE& p, std::ostream* os)
{
    *os << "template " << p.idTemplate;
}

const std::vector<PAGE>& Pages()
{
    static const std::vector<PAGE> s_pages = {
        {100, "setup",
         WithPreview({{105, TEXT},     {106, RADIO},    {107, RADIO},    {108, STATIC},   {148, GROUP},
                      {110, TEXT},     {111, COMBO},    {113, TEXT},     {114, COMBO},    {115, TEXT},
                      {116, EDIT},     {117, SPIN},     {118, TEXT},     {119, TEXT},     {120, COMBO},
                      {121, TEXT},     {122, COMBO},    {149, GROUP},    {123, CHECK},    {124, CHECK},
                      {125, ODCOMBO},  {126, TEXT},     {127, ODCOMBO},  {129, ODCOMBO},  {132, CHECK},
                      {133, COMBO},    {130, CHECK},    {131, COMBO},    {136, CHECK},    {137, COMBO},
                      {155, CHECK},    {156, COMBO},    {150, GROUP},    {101, TEXT},     {103, EDIT},
                      {104, SPIN},     {102, TEXT},     {138, TEXT},     {139, COMBO},    {140, TEXT},
                      {141, COMBO},    {145, BUTTON},   {144, CHECK},    {2362, STATIC},  {142, CHECK},
                      {146, STATIC},   {143, CHECK},    {147, STATIC},   {157, CHECK},    {158, STATIC},
                      {170, BUTTON},   {151, BUTTON},   {154, ODBUTTON}}),
         {134, 135, 159, 160, 161, 162, 171, 172},
         0},
        {200, "cover",
         WithPreview({{201, CHECK},    {202, RADIO},    {203, RADIO},    {211, TEXT},     {212, COMBO},
                      {205, CHECK},    {206, RADIO},    {207, RADIO},    {213, TEXT},     {214, COMBO},
                      {243, GROUP},    {215, CHECK},    {246, TEXT},     {247, COMBO},    {248, BUTTON},
                      {255, BUTTON},   {249, LISTVIEW}, {250, BUTTON},   {251, BUTTON},   {252, BUTTON},
                      {253, BUTTON},   {254, BUTTON},   {232, GROUP},    {233, CHECK},    {234, COMBO},
                      {235, CHECK},    {236, COMBO},    {228, GROUP},    {229, TEXT},     {230, TEXT},
                      {231, COMBO},    {256, BUTTON},   {237, BUTTON},   {239, ODBUTTON}}),
         {210, 227, 240, 241},
         2},
        {300, "finishing",
         WithPreview({{332, GROUP},    {333, GROUP},    {335, GROUP},    {336, GROUP},    {301, CHECK},
                      {302, CHECK},    {303, ODCOMBO},  {305, TEXT},     {304, ODCOMBO},  {306, ODCOMBO},
                      {308, CHECK},    {309, ODCOMBO},  {310, CHECK},    {311, COMBO},    {312, CHECK},
                      {313, COMBO},    {314, CHECK},    {2372, STATIC},  {316, TEXT},     {315, EDIT},
                      {391, TEXT},     {342, CHECK},    {343, COMBO},    {317, CHECK},    {318, COMBO},
                      {319, CHECK},    {320, COMBO},    {321, CHECK},    {322, COMBO},    {323, CHECK},
                      {2363, STATIC},  {346, TEXT},     {324, RADIO},    {325, RADIO},    {328, CHECK},
                      {2365, STATIC},  {326, CHECK},    {2364, STATIC},  {340, RADIO},    {341, RADIO},
                      {327, BUTTON},   {347, BUTTON},   {338, BUTTON},   {344, ODBUTTON}}),
         {329, 330, 345, 348, 349, 2016},
         0},
        {400, "form",
         WithPreview({{414, GROUP},    {401, RADIO},    {403, RADIO},    {402, RADIO},    {2366, STATIC},
                      {2367, STATIC},  {2368, STATIC},  {405, CHECK},    {404, CHECK},    {406, BUTTON},
                      {407, TEXT},     {417, EDIT},     {409, TEXT},     {410, EDIT},     {411, BUTTON},
                      {412, LISTVIEW}, {416, BUTTON},   {415, ODBUTTON}}),
         {},
         0},
        {500, "watermark",
         WithPreview({{501, CHECK},    {502, COMBO},    {503, BUTTON},   {509, GROUP},    {504, RADIO},
                      {505, RADIO},    {2369, STATIC},  {506, CHECK},    {510, GROUP},    {507, STATIC},
                      {512, BUTTON},   {511, ODBUTTON}}),
         {},
         0},
        {600, "image",
         WithPreview({{619, GROUP},    {601, STATIC},   {618, GROUP},    {602, CHECK},    {637, CHECK},
                      {638, RADIO},    {639, RADIO},    {603, ODBUTTON}, {604, ODBUTTON}, {616, LISTBOX},
                      {620, GROUP},    {606, RADIO},    {607, RADIO},    {633, GROUP},    {631, TEXT},
                      {632, TEXT},     {630, TRACKBAR}, {640, CHECK},    {622, GROUP},    {611, RADIO},
                      {612, RADIO},    {613, TEXT},     {614, COMBO},    {615, BUTTON},   {648, BUTTON},
                      {636, ODBUTTON}}),
         {605, 625, 634},
         0},
        {700, "font",
         {{701, CHECK}, {702, GROUP}, {703, TEXT}, {704, TEXT}, {705, LISTBOX}, {706, GROUP}, {707, TEXT},
          {708, TEXT}, {710, STATIC}, {709, COMBO}, {711, BUTTON}, {714, ODBUTTON}},
         {},
         0},
        {800, "options",
         {{817, GROUP}, {801, TEXT}, {802, COMBO}, {803, TEXT}, {804, COMBO}, {823, TEXT}, {824, COMBO},
          {827, TEXT}, {828, COMBO}, {829, TEXT}, {830, COMBO}, {837, TEXT}, {838, COMBO}, {816, ODBUTTON},
          {848, ODBUTTON}},
         {806, 808, 810, 812, 813, 815, 820, 822, 826, 832, 834, 836, 840, 842, 844, 845},
         0},
    };
    return s_pages;
}

// The driver's user-interface library, loaded as the spooler loads it.
HMODULE UiModule()
{
    static HMODULE s_h = LoadLibraryW(u"Q730MVU3.DLL");
    return s_h;
}

// Every text of the resource library, to tell its captions from others.
const std::set<std::u16string>& ResourceTexts()
{
    static std::set<std::u16string> s_texts;
    if (s_texts.empty()) {
        HMODULE h = LoadLibraryW(u"Q730MVT3.DLL");
        WCHAR buf[512];
        for (UINT id = 20000; h && id <= 64000; ++id)
            if (LoadStringW(h, id, buf, 512) > 0)
                s_texts.insert(buf);
        if (h)
            FreeLibrary(h);
    }
    return s_texts;
}

// A page procedure that does nothing a template does not do by itself:
// the dialog shows the template as it is.
INT_PTR CALLBACK BarePage(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// For the pictures a person looks at: owner-drawn buttons shown as framed
// boxes with their ids, so the panes' places can be seen.
INT_PTR CALLBACK FramingPage(HWND, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (d->CtlType != ODT_BUTTON)
            return FALSE;
        FrameRect(d->hDC, &d->rcItem, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        WCHAR text[64] = {};
        GetWindowTextW(d->hwndItem, text, 64);
        std::u16string s = text[0] ? std::u16string(text) : u"";
        if (s.empty())
            for (char c : std::to_string(d->CtlID))
                s += static_cast<char16_t>(c);
        RECT r = d->rcItem;
        SetBkMode(d->hDC, TRANSPARENT);
        DrawTextW(d->hDC, s.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return TRUE;
    }
    return FALSE;
}

// A page created from its template inside a parent window, as the sheet
// host creates it; destroyed with the object.
struct SHOWNPAGE {
    HWND hParent = nullptr;
    HWND hPage = nullptr;
    explicit SHOWNPAGE(int idTemplate, DLGPROC pfnProc = BarePage)
    {
        // The sheet host registers the common controls before it shows a page.
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        hParent = CreateWindowExW(0, u"Static", u"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                  nullptr, nullptr);
        HMODULE h = UiModule();
        HRSRC r = h ? FindResourceW(h, MAKEINTRESOURCEW(idTemplate), RT_DIALOG) : nullptr;
        if (!r)
            return;
        const DLGTEMPLATE* pt = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(h, r)));
        // The sheet host makes every page a child control of the sheet.
        std::vector<BYTE> copy(static_cast<const BYTE*>(static_cast<const void*>(pt)),
                               static_cast<const BYTE*>(static_cast<const void*>(pt)) + SizeofResource(h, r));
        DLGTEMPLATE* pc = reinterpret_cast<DLGTEMPLATE*>(copy.data());
        pc->style = (pc->style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME)) | WS_CHILD | DS_CONTROL;
        hPage = CreateDialogIndirectParamW(h, pc, hParent, pfnProc, 0);
        if (!hPage)
            return;
        // The sheet is as large as its page, so a picture of it is the page.
        RECT rp;
        GetWindowRect(hPage, &rp);
        SetWindowPos(hParent, nullptr, 0, 0, rp.right - rp.left, rp.bottom - rp.top, SWP_NOMOVE | SWP_NOZORDER);
        ShowWindow(hPage, SW_SHOW);
    }
    ~SHOWNPAGE()
    {
        if (hParent)
            DestroyWindow(hParent);
    }
};

std::u16string ClassOf(HWND h)
{
    WCHAR buf[64] = {};
    GetClassNameW(h, buf, 64);
    return buf;
}

std::u16string TextOf(HWND h)
{
    WCHAR buf[512] = {};
    GetWindowTextW(h, buf, 512);
    return buf;
}

std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 0x80 ? static_cast<char>(c) : '?';
    return r;
}

// Whether a control is of the kind the page's procedure expects.
std::string KindMismatch(HWND h, KIND k)
{
    std::u16string cls = ClassOf(h);
    DWORD s = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    DWORD bs = s & BS_TYPEMASK;
    auto is = [&](const char16_t* want) { return lstrcmpiW(cls.c_str(), want) == 0; };
    bool ok = false;
    switch (k) {
    case TEXT:
        ok = is(u"Static") && !TextOf(h).empty();
        break;
    case STATIC:
        ok = is(u"Static");
        break;
    case GROUP:
        ok = is(u"Button") && bs == BS_GROUPBOX;
        break;
    case CHECK:
        ok = is(u"Button") && bs == BS_AUTOCHECKBOX;
        break;
    case RADIO:
        ok = is(u"Button") && bs == BS_AUTORADIOBUTTON;
        break;
    case COMBO:
        ok = is(u"ComboBox") && (s & 3) == CBS_DROPDOWNLIST && !(s & (CBS_OWNERDRAWFIXED | CBS_SORT));
        break;
    case ODCOMBO:
        ok = is(u"ComboBox") && (s & 3) == CBS_DROPDOWNLIST && (s & CBS_OWNERDRAWFIXED) && (s & CBS_HASSTRINGS) &&
             !(s & CBS_SORT);
        break;
    case EDIT:
        ok = is(u"Edit");
        break;
    case SPIN:
        ok = is(UPDOWN_CLASSW) && (s & UDS_SETBUDDYINT);
        break;
    case BUTTON:
        ok = is(u"Button") && bs == BS_PUSHBUTTON;
        break;
    case ODBUTTON:
        ok = is(u"Button") && bs == BS_OWNERDRAW;
        break;
    case LISTVIEW:
        ok = is(WC_LISTVIEWW) && (s & LVS_TYPEMASK) == LVS_REPORT && (s & LVS_SINGLESEL);
        break;
    case LISTBOX:
        ok = is(u"ListBox") && (s & LBS_NOTIFY) && !(s & LBS_SORT);
        break;
    case TRACKBAR:
        ok = is(TRACKBAR_CLASSW);
        break;
    }
    return ok ? "" : "class " + Narrow(cls) + " style " + std::to_string(s);
}

// The rectangle of a child in its page's client coordinates.
RECT InPage(HWND hPage, HWND h)
{
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, hPage, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<HWND> Children(HWND hPage)
{
    std::vector<HWND> v;
    for (HWND h = GetWindow(hPage, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        v.push_back(h);
    return v;
}

bool Inside(const RECT& in, const RECT& out)
{
    return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
}

class PageTemplates : public testing::TestWithParam<PAGE> {};

TEST_P(PageTemplates, CarryExactlyThePagesControlsOfTheirKinds)
{
    const PAGE& p = GetParam();
    SHOWNPAGE page(p.idTemplate);
    ASSERT_NE(page.hPage, nullptr) << "template " << p.idTemplate;

    std::multiset<int> want, got;
    for (const CTL& c : p.controls)
        want.insert(c.id);
    int cUnnamed = 0;
    for (HWND h : Children(page.hPage)) {
        int id = GetDlgCtrlID(h);
        if (id == 0xFFFF || id == -1) {
            ++cUnnamed;
            EXPECT_EQ(ClassOf(h), u"Static") << "a control without an id is a text";
            EXPECT_FALSE(TextOf(h).empty());
            continue;
        }
        got.insert(id);
    }
    EXPECT_EQ(got, want) << "control ids of template " << p.idTemplate;
    EXPECT_EQ(cUnnamed, p.cUnnamedTexts);
    for (const CTL& c : p.controls) {
        HWND h = GetDlgItem(page.hPage, c.id);
        ASSERT_NE(h, nullptr) << c.id;
        EXPECT_EQ(KindMismatch(h, c.kind), "") << "control " << c.id;
        EXPECT_TRUE(IsWindowVisible(h)) << c.id;
        EXPECT_TRUE(IsWindowEnabled(h)) << c.id;
    }
    for (int id : p.absent)
        EXPECT_EQ(GetDlgItem(page.hPage, id), nullptr) << "the template leaves out " << id;
}

TEST_P(PageTemplates, NoTwoControlsOverlapAndEveryControlLiesOnThePage)
{
    const PAGE& p = GetParam();
    SHOWNPAGE page(p.idTemplate);
    ASSERT_NE(page.hPage, nullptr);
    RECT rPage;
    GetClientRect(page.hPage, &rPage);
    std::vector<HWND> kids = Children(page.hPage);
    auto isGroup = [](HWND h) {
        return ClassOf(h) == u"Button" && (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    };
    for (HWND h : kids) {
        int id = GetDlgCtrlID(h);
        RECT r = InPage(page.hPage, h);
        if (id == 616) {
            // The image page's focus carrier sits off the page, never seen.
            RECT x;
            EXPECT_FALSE(IntersectRect(&x, &r, &rPage)) << "list box 616 lies off the page";
            continue;
        }
        EXPECT_TRUE(Inside(r, rPage)) << "control " << id << " leaves the page";
    }
    for (size_t i = 0; i < kids.size(); ++i) {
        for (size_t j = i + 1; j < kids.size(); ++j) {
            RECT a = InPage(page.hPage, kids[i]), b = InPage(page.hPage, kids[j]), x;
            if (!IntersectRect(&x, &a, &b))
                continue;
            // A group box frames what lies wholly inside it.
            if ((isGroup(kids[i]) && Inside(b, a)) || (isGroup(kids[j]) && Inside(a, b)))
                continue;
            ADD_FAILURE() << "controls " << GetDlgCtrlID(kids[i]) << " and " << GetDlgCtrlID(kids[j])
                          << " overlap on template " << p.idTemplate;
        }
    }
}

TEST_P(PageTemplates, EveryCaptionIsAResourceTextAndFitsItsControl)
{
    const PAGE& p = GetParam();
    SHOWNPAGE page(p.idTemplate);
    ASSERT_NE(page.hPage, nullptr);
    const std::set<std::u16string>& texts = ResourceTexts();
    ASSERT_FALSE(texts.empty());
    // The tab of the page shows the template's caption.
    WCHAR caption[128] = {};
    GetWindowTextW(page.hPage, caption, 128);
    EXPECT_TRUE(texts.count(caption)) << "page caption " << Narrow(caption);

    HDC hdc = GetDC(page.hPage);
    HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(page.hPage, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    for (HWND h : Children(page.hPage)) {
        std::u16string t = TextOf(h);
        std::u16string cls = ClassOf(h);
        if (t.empty() || cls == u"ComboBox" || cls == u"Edit")
            continue;
        int id = GetDlgCtrlID(h);
        EXPECT_TRUE(texts.count(t)) << "control " << id << " text " << Narrow(t);
        RECT r;
        GetClientRect(h, &r);
        int cx = r.right, cy = r.bottom;
        DWORD s = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
        DWORD bs = s & BS_TYPEMASK;
        int cxRoom = cx, cyRoom = cy;
        bool bWrap = false;
        if (cls == u"Button") {
            if (bs == BS_GROUPBOX) {
                cxRoom = cx - 20;
                cyRoom = tm.tmHeight;
            } else if (bs == BS_AUTOCHECKBOX || bs == BS_AUTORADIOBUTTON || bs == BS_CHECKBOX) {
                cxRoom = cx - 17;
                bWrap = (s & BS_MULTILINE) != 0;
            } else {
                cxRoom = cx - 8;
            }
        } else if (cls == u"Static") {
            bWrap = (s & SS_TYPEMASK) == SS_LEFT || (s & SS_TYPEMASK) == SS_CENTER || (s & SS_TYPEMASK) == SS_RIGHT;
        }
        RECT rt = {0, 0, cxRoom, 0};
        DrawTextW(hdc, t.c_str(), -1, &rt, DT_CALCRECT | (bWrap ? DT_WORDBREAK : DT_SINGLELINE));
        EXPECT_LE(rt.right, cxRoom) << "text of " << id << " \"" << Narrow(t) << "\" is too wide";
        EXPECT_LE(rt.bottom, cyRoom) << "text of " << id << " \"" << Narrow(t) << "\" is too tall";
        // Without word breaks a text that fits only when wrapped would show cut.
        if (!bWrap) {
            SIZE sz;
            GetTextExtentPoint32W(hdc, t.c_str(), static_cast<int>(t.size()), &sz);
            EXPECT_LE(sz.cx, cxRoom) << "text of " << id << " \"" << Narrow(t) << "\"";
        }
    }
    SelectObject(hdc, hOld);
    ReleaseDC(page.hPage, hdc);
}

TEST_P(PageTemplates, EveryFieldLabelNamesOneField)
{
    // A person (and the scripted user) names a list or field by the text
    // in front of it; on one page no two such texts are the same, and
    // each names the control it stands before.
    const PAGE& p = GetParam();
    SHOWNPAGE page(p.idTemplate);
    ASSERT_NE(page.hPage, nullptr);
    std::map<std::u16string, int> seen;
    for (HWND h : Children(page.hPage)) {
        std::u16string t = TextOf(h);
        if (ClassOf(h) != u"Static" || t.empty())
            continue;
        std::u16string key;
        for (char16_t c : t)
            key += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
        EXPECT_EQ(seen.count(key), 0u) << "\"" << Narrow(t) << "\" twice on template " << p.idTemplate;
        seen[key] = GetDlgCtrlID(h);
    }
    struct NAMED {
        int idTemplate;
        const char16_t* pszLabel;
        int id;
    };
    const NAMED named[] = {
        {100, u"Original size", 111}, {100, u"Output size", 114}, {100, u"Zoom", 116},
        {100, u"Paper source", 120},  {100, u"Paper type", 122},  {100, u"Copies", 103},
        {100, u"Output tray", 139},   {100, u"Output order", 141}, {100, u"Order / border", 127},
        {200, u"Front cover paper source", 212}, {200, u"Back cover paper source", 214},
        {200, u"Front cover sheet source", 234}, {200, u"Back cover sheet source", 236},
        {200, u"Paper type", 231},    {200, u"Insert sheet list", 247},
        {300, u"Order / border", 304}, {300, u"Pages", 315},
        {400, u"File name", 410},     {400, u"Folder", 417},
        {600, u"Smoothing", 614},
        {700, u"Printer font to use", 709},
        {800, u"Paper source unit", 802}, {800, u"Output unit", 804}, {800, u"Cover sheet tray", 824},
        {800, u"Punch kit", 828},     {800, u"Punch / Z-fold unit", 830}, {800, u"Hard disk", 838},
    };
    for (const NAMED& n : named) {
        if (n.idTemplate != p.idTemplate)
            continue;
        HWND h = PlatScriptFindControl(page.hPage, 0, n.pszLabel);
        EXPECT_EQ(h ? GetDlgCtrlID(h) : 0, n.id) << Narrow(n.pszLabel);
    }
}

TEST_P(PageTemplates, PicturesOfThePagesAreWritten)
{
    const PAGE& p = GetParam();
    SHOWNPAGE page(p.idTemplate, FramingPage);
    ASSERT_NE(page.hPage, nullptr);
    // The places of the pictures the page paints itself show as frames.
    for (HWND h : Children(page.hPage))
        if (ClassOf(h) == u"Static" && TextOf(h).empty())
            SetWindowLongW(h, GWL_STYLE, (GetWindowLongW(h, GWL_STYLE) & ~SS_TYPEMASK) | SS_GRAYFRAME);
    // A copy for a person to look at, outside the test root that is
    // thrown away.
    mkdir("/tmp/q730-pages", 0755);
    std::string path = "/tmp/q730-pages/" + std::to_string(p.idTemplate) + "-" + p.pszName + ".png";
    EXPECT_TRUE(PlatWriteWindowPng(page.hPage, path.c_str()));
    EXPECT_TRUE(PlatWriteWindowPng(page.hPage, TestRootFile(std::string(p.pszName) + ".png").c_str()));
}

INSTANTIATE_TEST_SUITE_P(Pages, PageTemplates, testing::ValuesIn(Pages()),
                         [](const testing::TestParamInfo<PAGE>& i) { return std::string(i.param.pszName); });

// Sizes the pages' own code relies on: the page sizes, the preview panes
// the drawing code scales to, and the one-unit report triggers.
TEST(PageTemplateSizes, PagesPanesAndTriggersHaveTheirSizes)
{
    struct SIZEROW {
        int idTemplate;
        int id;  // 0: the page itself
        int cx, cy;  // dialog units
    };
    const SIZEROW rows[] = {
        {100, 0, 354, 230}, {800, 0, 350, 230}, {800, 816, 110, 80}, {800, 848, 1, 1},
        {100, 154, 1, 1},   {200, 239, 1, 1},   {300, 344, 1, 1},    {400, 415, 1, 1},
        {500, 511, 1, 1},   {600, 636, 1, 1},   {700, 714, 1, 1},
    };
    for (const SIZEROW& r : rows) {
        SHOWNPAGE page(r.idTemplate);
        ASSERT_NE(page.hPage, nullptr);
        RECT want = {0, 0, r.cx, r.cy};
        MapDialogRect(page.hPage, &want);
        RECT got;
        GetClientRect(r.id ? GetDlgItem(page.hPage, r.id) : page.hPage, &got);
        EXPECT_EQ(got.right, want.right) << r.idTemplate << "/" << r.id;
        EXPECT_EQ(got.bottom, want.bottom) << r.idTemplate << "/" << r.id;
    }
    // The document pages share one size, so the sheet shows no empty band
    // under a smaller page.
    for (int id : {200, 300, 400, 500, 600, 700}) {
        SHOWNPAGE page(id), setup(100);
        RECT a, b;
        GetClientRect(page.hPage, &a);
        GetClientRect(setup.hPage, &b);
        EXPECT_EQ(a.right, b.right) << id;
        EXPECT_EQ(a.bottom, b.bottom) << id;
    }
}

TEST(PageTemplateSizes, InsertSheetListShowsAllItsColumns)
{
    // The cover page gives list 249 six columns of 85, 75, 40, 65, 75 and
    // 50 pixels; all of them show without scrolling sideways. The widths
    // are the page's own: a heading or a value wider than its column is
    // cut there, as the columns are not made wider.
    SHOWNPAGE page(200);
    ASSERT_NE(page.hPage, nullptr);
    RECT r;
    GetClientRect(GetDlgItem(page.hPage, 249), &r);
    EXPECT_GE(r.right, 85 + 75 + 40 + 65 + 75 + 50);
}

TEST(PageTemplateSizes, ListsWithPicturesShowTheirLongestItemWhole)
{
    // The owner-drawn lists draw a picture and then the item's text from
    // 28 pixels in; the text must fit before the drop-down button.
    struct {
        int idTemplate, idList;
        std::vector<UINT> items;  // the texts of the list's items
    } lists[] = {
        {100, 125, {45048, 45049, 45050, 45051, 45052}},  // N-up on the Setup page
        {300, 303, {45048, 45049, 45050, 45051, 45052}},  // N-up on the Finishing page
        {300, 309, {45330, 45331}},                       // one page per sheet
    };
    HMODULE hRes = LoadLibraryW(u"Q730MVT3.DLL");
    ASSERT_NE(hRes, nullptr);
    for (const auto& l : lists) {
        SHOWNPAGE page(l.idTemplate);
        ASSERT_NE(page.hPage, nullptr);
        HWND hList = GetDlgItem(page.hPage, l.idList);
        ASSERT_NE(hList, nullptr) << l.idList;
        RECT r;
        GetClientRect(hList, &r);
        int cxRoom = r.right - 28 - GetSystemMetrics(SM_CXVSCROLL);
        HDC hdc = GetDC(page.hPage);
        HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(page.hPage, WM_GETFONT, 0, 0)));
        for (UINT id : l.items) {
            WCHAR text[128] = {};
            ASSERT_GT(LoadStringW(hRes, id, text, 128), 0) << id;
            SIZE sz = {};
            GetTextExtentPoint32W(hdc, text, lstrlenW(text), &sz);
            EXPECT_LE(sz.cx, cxRoom) << "list " << l.idList << ": \"" << Narrow(text) << "\"";
        }
        SelectObject(hdc, hOld);
        ReleaseDC(page.hPage, hdc);
    }
    FreeLibrary(hRes);
}

TEST(PageTemplateSizes, PreviewPanesSitUnderTheViewChoice)
{
    for (int idTemplate : {100, 200, 300, 400, 500, 600}) {
        SHOWNPAGE page(idTemplate);
        ASSERT_NE(page.hPage, nullptr);
        RECT want166 = {0, 0, 92, 98}, want167 = {0, 0, 92, 58};
        MapDialogRect(page.hPage, &want166);
        MapDialogRect(page.hPage, &want167);
        RECT big = InPage(page.hPage, GetDlgItem(page.hPage, 166));
        RECT small = InPage(page.hPage, GetDlgItem(page.hPage, 167));
        RECT paper = InPage(page.hPage, GetDlgItem(page.hPage, 163));
        RECT machine = InPage(page.hPage, GetDlgItem(page.hPage, 164));
        RECT frame = InPage(page.hPage, GetDlgItem(page.hPage, 165));
        EXPECT_EQ(big.right - big.left, want166.right) << idTemplate;
        EXPECT_EQ(big.bottom - big.top, want166.bottom) << idTemplate;
        EXPECT_EQ(small.right - small.left, want167.right) << idTemplate;
        EXPECT_EQ(small.bottom - small.top, want167.bottom) << idTemplate;
        EXPECT_GE(small.top, big.bottom) << "the icon panel lies under the large pane, " << idTemplate;
        EXPECT_LE(paper.bottom, big.top) << idTemplate;
        EXPECT_LE(machine.bottom, big.top) << idTemplate;
        EXPECT_TRUE(Inside(big, frame) && Inside(small, frame)) << idTemplate;
    }
}

TEST(PageTemplateSizes, RadioGroupsStartWhereThePageExpects)
{
    // Arrow keys move inside a group of radios; each group the pages check
    // as one starts with WS_GROUP and the next control after it starts a
    // new group.
    struct GROUPROW {
        int idTemplate;
        std::vector<int> radios;
    };
    const GROUPROW rows[] = {
        {100, {106, 107}}, {100, {163, 164}}, {200, {202, 203}}, {200, {206, 207}}, {200, {163, 164}},
        {300, {324, 325}}, {300, {340, 341}}, {300, {163, 164}}, {400, {401, 403, 402}}, {400, {163, 164}},
        {500, {504, 505}}, {500, {163, 164}}, {600, {638, 639}}, {600, {606, 607}}, {600, {611, 612}},
        {600, {163, 164}},
    };
    for (const GROUPROW& r : rows) {
        SHOWNPAGE page(r.idTemplate);
        ASSERT_NE(page.hPage, nullptr);
        HWND hFirst = GetDlgItem(page.hPage, r.radios[0]);
        EXPECT_TRUE(GetWindowLongW(hFirst, GWL_STYLE) & WS_GROUP) << r.idTemplate << "/" << r.radios[0];
        std::set<int> inGroup;
        HWND h = hFirst;
        do {
            inGroup.insert(GetDlgCtrlID(h));
            h = GetNextDlgGroupItem(page.hPage, h, FALSE);
        } while (h && h != hFirst && inGroup.size() < 20);
        EXPECT_EQ(inGroup, std::set<int>(r.radios.begin(), r.radios.end())) << r.idTemplate << "/" << r.radios[0];
    }
}

}  // namespace
