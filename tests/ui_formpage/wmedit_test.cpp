// The watermark editor on the driver's own template, driven by the scripted
// user: the list of watermarks, the limits of size and angle, the position
// by bars, button and dragging, the picture, and the Watermark page's Edit
// button taking the edited list over on OK only.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/comctl/commctrl.h"
#include "platform/gdi/resload.h"
#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/wmedit.h"
#include "ui/settings/listset.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/wmlist.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

std::u16string Str(const WCHAR* p) { return p ? std::u16string(p) : std::u16string(); }

std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 128 ? (char)c : '?';
    return r;
}

class WatermarkEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatBeepReset();
        PlatScriptReset();
        InitCommonControls();
        ASSERT_TRUE(OpenPrinterW(SheetPrinter(), &hPrinter, NULL));
        doc.cbSize = sizeof(doc);
        doc.hPrinter = hPrinter;
        doc.pszPrinterName = SheetPrinter();
        doc.fMode = DM_PROMPT | DM_COPY;
        InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
        ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        pObj = SheetOf(&host)->pSettings;
        ASSERT_NE(pObj->trailer.pListSet, nullptr);
        pList = pObj->trailer.pListSet->pWatermark;
        ASSERT_NE(pList, nullptr);
        ASSERT_GE(pList->sCount, 3);
    }
    void TearDown() override
    {
        for (HWND h : open)
            if (IsWindow(h))
                DestroyWindow(h);
        if (hSheet && IsWindow(hSheet))
            DestroyWindow(hSheet);
        DropPages(&host);
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        ClosePrinter(hPrinter);
        PlatScriptReset();
        PlatMsgBoxReset();
    }
    // The editor on the object as its page hands it over, shown.
    HWND Open(BYTE bCurrent)
    {
        *GetParamSlot(pObj, 214) = bCurrent;
        HWND h = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_WMEDIT), nullptr,
                                    WatermarkEditDlgProc, (LPARAM)pObj);
        if (h) {
            ShowWindow(h, SW_SHOW);
            PlatPumpMessages();
            open.push_back(h);
        }
        return h;
    }
    // The Watermark page in a modeless sheet.
    void OpenPage()
    {
        hSheet = ShowHostPages(&host, 500, &hPage);
        ASSERT_NE(hSheet, nullptr);
        ASSERT_NE(hPage, nullptr);
    }
    static WATERMARKEDITSTATE* State(HWND h) { return (WATERMARKEDITSTATE*)DlgGetBlock(h); }
    static std::u16string Text(HWND h, int id)
    {
        WCHAR sz[64] = {};
        GetDlgItemTextW(h, id, sz, 64);
        return sz;
    }
    static bool Enabled(HWND h, int id) { return IsWindowEnabled(GetDlgItem(h, id)) != FALSE; }
    WATERMARK& Rec(int i) { return pList->pRecords[i]; }
    // Fills the list with n watermarks (slot 0 included) named W1, W2...
    void FillList(int n)
    {
        for (int i = 1; i < n; ++i) {
            Rec(i) = *pList->pCurrent;
            std::u16string s = u"W" + std::u16string(1, (char16_t)(u'0' + i % 10)) +
                               std::u16string(1, (char16_t)(u'0' + i / 10));
            memcpy(Rec(i).szText, s.c_str(), s.size() * 2);
        }
        pList->sCount = (SHORT)n;
    }
    // The window's pixels as 0x00RRGGBB, top row first.
    static std::vector<DWORD> Pixels(HWND h, LONG* pcx)
    {
        UpdateWindow(h);
        EXPECT_TRUE(PlatRenderWindow(h));
        RECT rc;
        GetWindowRect(h, &rc);
        const LONG cx = rc.right - rc.left, cy = rc.bottom - rc.top;
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> px((size_t)cx * cy);
        HDC hdc = CreateCompatibleDC(nullptr);
        EXPECT_GT(GetDIBits(hdc, PlatGetWindowSurface(h), 0, (UINT)cy, px.data(), &bi, DIB_RGB_COLORS), 0);
        DeleteDC(hdc);
        *pcx = cx;
        return px;
    }
    // A pixel of the dialog's client area.
    static DWORD At(HWND h, const std::vector<DWORD>& px, LONG cx, int x, int y)
    {
        POINT pt = {x, y};
        ClientToScreen(h, &pt);
        RECT rc;
        GetWindowRect(h, &rc);
        return px[(size_t)(pt.y - rc.top) * cx + (pt.x - rc.left)] & 0xFFFFFF;
    }
    static int CountColour(HWND h, const std::vector<DWORD>& px, LONG cx, const RECT& rc, DWORD dw)
    {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += At(h, px, cx, x, y) == dw;
        return n;
    }
    static void Mouse(HWND h, UINT uMsg, POINT pt, WPARAM wKeys)
    {
        SendMessageW(h, uMsg, wKeys, MAKELPARAM(pt.x, pt.y));
    }

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    WATERMARKLIST* pList = nullptr;
    HWND hSheet = nullptr, hPage = nullptr;
    std::vector<HWND> open;
};

const int kEditing[] = {IDC_WME_TEXT,     IDC_WME_FACE,  IDC_WME_STYLE,  IDC_WME_SIZE,   IDC_WME_SIZEBAR,
                        IDC_WME_ANGLE,    IDC_WME_ANGLEBAR, IDC_WME_XBAR, IDC_WME_YBAR,   IDC_WME_CENTRE,
                        IDC_WME_DENSITY,  IDC_WME_DELETE, IDC_WME_DEFAULTS};

// The list shows "none" and the user's watermarks in slot order, with the
// current one selected and its fields in the controls.
TEST_F(WatermarkEditor, OpensOnTheCurrentWatermark)
{
    Rec(2).dwSize = 120;
    Rec(2).lAngle = -450;
    Rec(2).dwStyle = 4;
    Rec(2).dwColor = 64;
    HWND h = Open(2);
    ASSERT_NE(h, nullptr);
    HWND hList = GetDlgItem(h, IDC_WME_LIST);
    ASSERT_EQ(SendMessageW(hList, LB_GETCOUNT, 0, 0), pList->sCount);
    WCHAR sz[64] = {};
    SendMessageW(hList, LB_GETTEXT, 0, (LPARAM)sz);
    EXPECT_EQ(Str(sz), Str(GetResString(20403)));
    SendMessageW(hList, LB_GETTEXT, 1, (LPARAM)sz);
    EXPECT_EQ(Str(sz), Str(Rec(1).szText));
    EXPECT_EQ(SendMessageW(hList, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Text(h, IDC_WME_TEXT), Str(Rec(2).szText));
    EXPECT_EQ(Text(h, IDC_WME_SIZE), u"120");
    EXPECT_EQ(Text(h, IDC_WME_ANGLE), u"-45");
    EXPECT_EQ(Text(h, IDC_WME_STYLE), Str(GetResString(21118)));
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_WME_ANGLEBAR, TBM_GETPOS, 0, 0), -45);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_WME_DENSITY, TBM_GETPOS, 0, 0), 255 - 64);
    EXPECT_EQ(GetScrollPos(GetDlgItem(h, IDC_WME_SIZEBAR), SB_CTL), 120);
    EXPECT_EQ(Text(h, IDC_WME_XTEXT), u"0mm");
    for (int id : kEditing)
        EXPECT_TRUE(Enabled(h, id)) << id;
    // Choosing another watermark shows its fields.
    ASSERT_TRUE(PlatScriptChoose(h, IDC_WME_LIST, nullptr, nullptr, 1));
    EXPECT_EQ(Text(h, IDC_WME_TEXT), Str(Rec(1).szText));
    EXPECT_EQ(Text(h, IDC_WME_SIZE), u"72");
    // Every command names the dialog as the one whose controls are live.
    EXPECT_EQ(GetActivePageId(pObj), 2400);
}

// Slot 0 cannot be edited: its controls are disabled and dragging over the
// page changes nothing.
TEST_F(WatermarkEditor, NoWatermarkSelectedDisablesEditingAndDragging)
{
    std::vector<BYTE> before((BYTE*)pList->pRecords, (BYTE*)(pList->pRecords + WATERMARK_SLOTS));
    HWND h = Open(0);
    ASSERT_NE(h, nullptr);
    for (int id : kEditing)
        EXPECT_FALSE(Enabled(h, id)) << id;
    EXPECT_TRUE(Enabled(h, IDC_WME_NEW));
    EXPECT_TRUE(Enabled(h, IDC_WME_LIST));
    WATERMARKEDITSTATE* p = State(h);
    ASSERT_NE(p, nullptr);
    POINT pt = {p->ptCentre.x + 10, p->ptCentre.y + 10};
    Mouse(h, WM_LBUTTONDOWN, pt, MK_LBUTTON);
    Mouse(h, WM_MOUSEMOVE, {pt.x + 5, pt.y}, MK_LBUTTON);
    Mouse(h, WM_LBUTTONUP, pt, 0);
    EXPECT_EQ(Text(h, IDC_WME_XTEXT), u"0mm");
    EXPECT_EQ(memcmp(before.data(), pList->pRecords, before.size()), 0);
    EXPECT_TRUE(PlatWriteWindowPng(h, "/tmp/q730_dlg_wmedit_none.png"));
    // The texts that name the fields look as the fields do.
    auto labelsEnabled = [&](bool bEnabled) {
        for (const char16_t* text : {u"&Text:", u"&Font:", u"St&yle:", u"&Size:", u"points", u"8", u"400", u"An&gle:",
                                     u"degrees", u"-90", u"+90", u"Light", u"Dark"}) {
            HWND hLabel = nullptr;
            for (HWND c = GetWindow(h, GW_CHILD); c && !hLabel; c = GetWindow(c, GW_HWNDNEXT)) {
                WCHAR sz[32] = {};
                GetWindowTextW(c, sz, 32);
                if (std::u16string(sz) == text)
                    hLabel = c;
            }
            ASSERT_NE(hLabel, nullptr) << Narrow(text);
            EXPECT_EQ(IsWindowEnabled(hLabel) != FALSE, bEnabled) << Narrow(text);
        }
    };
    labelsEnabled(false);
    // Choosing a watermark enables them; going back disables them again.
    ASSERT_TRUE(PlatScriptChoose(h, IDC_WME_LIST, nullptr, nullptr, 1));
    EXPECT_TRUE(Enabled(h, IDC_WME_TEXT));
    labelsEnabled(true);
    ASSERT_TRUE(PlatScriptChoose(h, IDC_WME_LIST, nullptr, nullptr, 0));
    EXPECT_FALSE(Enabled(h, IDC_WME_TEXT));
    labelsEnabled(false);
}

// New appends the template record and is refused once the list holds 50
// watermarks; Delete moves the later ones down and makes room again.
TEST_F(WatermarkEditor, FiftyWatermarksDisableNewAndDeletingOneEnablesIt)
{
    FillList(50);
    HWND h = Open(49);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(Enabled(h, IDC_WME_NEW));
    ASSERT_TRUE(PlatScriptClick(h, IDC_WME_NEW, nullptr));
    EXPECT_EQ(pList->sCount, 51);
    EXPECT_EQ(State(h)->wSel, 50);
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_WME_TEXT));
    EXPECT_EQ(Text(h, IDC_WME_TEXT), u"");
    EXPECT_EQ(Rec(50).dwSize, pList->pCurrent->dwSize);
    EXPECT_EQ(Str(Rec(50).szFace), Str(pList->pCurrent->szFace));
    EXPECT_FALSE(Enabled(h, IDC_WME_NEW));
    ASSERT_TRUE(PlatScriptType(h, IDC_WME_TEXT, nullptr, u"DRAFT"));
    EXPECT_EQ(Str(Rec(50).szText), u"DRAFT");
    WCHAR sz[64] = {};
    SendDlgItemMessageW(h, IDC_WME_LIST, LB_GETTEXT, 50, (LPARAM)sz);
    EXPECT_EQ(Str(sz), u"DRAFT");

    // Deleting watermark 10: 11..50 move down, the last slot is cleared.
    const WATERMARK w11 = Rec(11);
    ASSERT_TRUE(PlatScriptChoose(h, IDC_WME_LIST, nullptr, nullptr, 10));
    ASSERT_TRUE(PlatScriptClick(h, IDC_WME_DELETE, nullptr));
    EXPECT_EQ(pList->sCount, 50);
    EXPECT_EQ(State(h)->wSel, 9);
    EXPECT_EQ(memcmp(&Rec(10), &w11, sizeof(WATERMARK)), 0);
    EXPECT_EQ(Str(Rec(49).szText), u"DRAFT");
    const WATERMARK zero = {};
    EXPECT_EQ(memcmp(&Rec(50), &zero, sizeof(WATERMARK)), 0);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_WME_LIST, LB_GETCOUNT, 0, 0), 50);
    EXPECT_TRUE(Enabled(h, IDC_WME_NEW));

    // Deleting the first watermark selects "none" and disables editing.
    ASSERT_TRUE(PlatScriptChoose(h, IDC_WME_LIST, nullptr, nullptr, 1));
    ASSERT_TRUE(PlatScriptClick(h, IDC_WME_DELETE, nullptr));
    EXPECT_EQ(State(h)->wSel, 0);
    EXPECT_FALSE(Enabled(h, IDC_WME_TEXT));
    EXPECT_FALSE(Enabled(h, IDC_WME_DELETE));
}

// The text edit takes at most 32 characters.
TEST_F(WatermarkEditor, TextStopsAtThirtyTwoCharacters)
{
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptType(h, IDC_WME_TEXT, nullptr, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"));
    EXPECT_EQ(Str(Rec(1).szText), u"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    EXPECT_EQ(Rec(1).szText[32], 0);
    EXPECT_GE(PlatBeepCount(), 1);
}

// The size: typed digits only, 3 at most, no leading zero; above 400 it is
// 400 at once, below 8 it is 8 when the edit is left.
TEST_F(WatermarkEditor, TypedSizesStayInsideEightToFourHundred)
{
    struct Row {
        const char16_t* typed;
        const char16_t* shown;
        DWORD dwStored;
        bool bBeep;
    };
    const Row rows[] = {
        {u"500", u"400", 400, false},
        {u"7", u"8", 8, false},
        {u"50", u"50", 50, false},   // "5" on the way to "50" is not cut
        {u"120", u"120", 120, false},
        {u"0", u"", 72, true},       // no leading zero: the edit stays empty, the box asks
        {u"1a2", u"12", 12, true},   // no letters
        {u"4000", u"400", 400, true},  // three digits
    };
    for (const Row& r : rows) {
        Rec(1).dwSize = 72;
        PlatMsgBoxReset();
        PlatBeepReset();
        HWND h = Open(1);
        ASSERT_NE(h, nullptr);
        PlatScriptType(h, IDC_WME_SIZE, nullptr, r.typed);
        if (Text(h, IDC_WME_SIZE).empty()) {
            // Left empty: the warning and the smallest size.
            ASSERT_EQ(PlatMsgBoxCount(), 1) << Narrow(r.typed);
            EXPECT_EQ(Text(h, IDC_WME_SIZE), u"8");
        }
        if (r.shown[0]) {
            EXPECT_EQ(Text(h, IDC_WME_SIZE), r.shown) << Narrow(r.typed);
        }
        if (r.shown[0]) {
            EXPECT_EQ(Rec(1).dwSize, r.dwStored) << Narrow(r.typed);
        }
        EXPECT_EQ(PlatBeepCount() > 0, r.bBeep) << Narrow(r.typed);
        DestroyWindow(h);
    }
}

// An empty size and OK: the warning, the dialog stays, the edit shows the
// smallest size selected.
TEST_F(WatermarkEditor, EmptySizeAndOkShowTheWarning)
{
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptFocus(h, IDC_WME_SIZE, nullptr));
    SendDlgItemMessageW(h, IDC_WME_SIZE, EM_SETSEL, 0, -1);
    ASSERT_TRUE(PlatScriptPressKey(h, VK_BACK, 8));
    EXPECT_EQ(Text(h, IDC_WME_SIZE), u"");
    ASSERT_TRUE(PlatScriptPressOK(h));
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    HWND hOwner;
    LPCWSTR pszText = nullptr, pszCaption = nullptr;
    UINT uType = 0;
    ASSERT_TRUE(PlatMsgBoxGet(0, &hOwner, &pszText, &pszCaption, &uType));
    EXPECT_EQ(Str(pszText), u"Enter a size from 8 to 400.");
    EXPECT_EQ(Str(pszCaption), Str(GetResString(30000)));
    EXPECT_EQ(uType & MB_ICONMASK, (UINT)MB_ICONWARNING);
    EXPECT_TRUE(IsWindow(h) && IsWindowVisible(h));
    EXPECT_EQ(Text(h, IDC_WME_SIZE), u"8");
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_WME_SIZE));
    DWORD dwSel = (DWORD)SendDlgItemMessageW(h, IDC_WME_SIZE, EM_GETSEL, 0, 0);
    EXPECT_EQ(LOWORD(dwSel), 0);
    EXPECT_EQ(HIWORD(dwSel), 1);
    EXPECT_EQ(Rec(1).dwSize, 8u);
    // Now OK closes it.
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_FALSE(IsWindowVisible(h));
}

// The angle: -90..90 degrees, a minus only in front.
TEST_F(WatermarkEditor, TypedAnglesStayInsideNinetyDegrees)
{
    struct Row {
        const char16_t* typed;
        const char16_t* shown;
        LONG lStored;
        bool bBeep;
    };
    const Row rows[] = {
        {u"95", u"90", 900, false},
        {u"-95", u"-90", -900, false},
        {u"45", u"45", 450, false},
        {u"-30", u"-30", -300, false},
        {u"4-5", u"45", 450, true},   // a minus after a digit is refused
        {u"00", u"0", 0, true},       // no second leading zero
        {u"05", u"05", 50, false},    // a digit after a leading zero is a number
        {u"-05", u"-5", -50, true},
        {u"0", u"0", 0, false},
    };
    for (const Row& r : rows) {
        Rec(1).lAngle = 150;
        PlatBeepReset();
        HWND h = Open(1);
        ASSERT_NE(h, nullptr);
        ASSERT_TRUE(PlatScriptType(h, IDC_WME_ANGLE, nullptr, r.typed)) << Narrow(r.typed);
        EXPECT_EQ(Text(h, IDC_WME_ANGLE), r.shown) << Narrow(r.typed);
        EXPECT_EQ(Rec(1).lAngle, r.lStored) << Narrow(r.typed);
        EXPECT_EQ(SendDlgItemMessageW(h, IDC_WME_ANGLEBAR, TBM_GETPOS, 0, 0), r.lStored / 10);
        EXPECT_EQ(PlatBeepCount() > 0, r.bBeep) << Narrow(r.typed);
        DestroyWindow(h);
    }
}

// The bars: size by one (ten a page), position by a millimetre (ten a
// page), angle and density by their track bars.
TEST_F(WatermarkEditor, BarsMoveSizePositionAngleAndDensity)
{
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    HWND hSize = GetDlgItem(h, IDC_WME_SIZEBAR), hX = GetDlgItem(h, IDC_WME_XBAR), hY = GetDlgItem(h, IDC_WME_YBAR);
    SendMessageW(h, WM_HSCROLL, SB_LINEDOWN, (LPARAM)hSize);
    EXPECT_EQ(Rec(1).dwSize, 73u);
    SendMessageW(h, WM_HSCROLL, SB_PAGEUP, (LPARAM)hSize);
    EXPECT_EQ(Rec(1).dwSize, 63u);
    EXPECT_EQ(Text(h, IDC_WME_SIZE), u"63");
    SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), (LPARAM)hSize);
    EXPECT_EQ(Rec(1).dwSize, 8u);  // the bar's own range
    SendMessageW(h, WM_HSCROLL, SB_LINEDOWN, (LPARAM)hX);
    EXPECT_EQ((LONG)Rec(1).dwCenterX, 10);
    EXPECT_EQ(Text(h, IDC_WME_XTEXT), u"1mm");
    SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, (LPARAM)hY);
    EXPECT_EQ((LONG)Rec(1).dwCenterY, 100);
    EXPECT_EQ(Text(h, IDC_WME_YTEXT), u"-10mm");
    ASSERT_TRUE(PlatScriptSetPos(h, IDC_WME_ANGLEBAR, nullptr, 30));
    EXPECT_EQ(Rec(1).lAngle, 300);
    EXPECT_EQ(Text(h, IDC_WME_ANGLE), u"30");
    ASSERT_TRUE(PlatScriptSetPos(h, IDC_WME_DENSITY, nullptr, 55));
    EXPECT_EQ(Rec(1).dwColor, 200u);
}

// Positions are shown in millimetres from the centre, y upwards; back to
// centre shows 0mm and draws the cross at the page's centre.
TEST_F(WatermarkEditor, CentreButtonPutsTheCrossAtThePageCentre)
{
    memcpy(Rec(1).szText, u"CENTRE", 14);
    Rec(1).dwCenterX = (DWORD)-250;
    Rec(1).dwCenterY = 100;
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Text(h, IDC_WME_XTEXT), u"-25mm");
    EXPECT_EQ(Text(h, IDC_WME_YTEXT), u"-10mm");
    EXPECT_EQ(GetScrollPos(GetDlgItem(h, IDC_WME_YBAR), SB_CTL), 100);
    WATERMARKEDITSTATE* p = State(h);
    ASSERT_NE(p, nullptr);
    const POINT c = p->ptCentre;
    LONG cx = 0;
    std::vector<DWORD> px = Pixels(h, &cx);
    // Off centre: the cross is left of and above the centre.
    EXPECT_NE(At(h, px, cx, c.x, c.y), 0x0000FFu);
    POINT off = {c.x + p->ptOffset.x, c.y + p->ptOffset.y};
    EXPECT_LT(off.x, c.x);
    EXPECT_GT(off.y, c.y);
    EXPECT_EQ(At(h, px, cx, off.x, off.y), 0x0000FFu);

    ASSERT_TRUE(PlatScriptClick(h, IDC_WME_CENTRE, nullptr));
    EXPECT_EQ(Text(h, IDC_WME_XTEXT), u"0mm");
    EXPECT_EQ(Text(h, IDC_WME_YTEXT), u"0mm");
    EXPECT_EQ(Rec(1).dwCenterX, 0u);
    EXPECT_EQ(Rec(1).dwCenterY, 0u);
    EXPECT_EQ(GetScrollPos(GetDlgItem(h, IDC_WME_XBAR), SB_CTL), 0);
    px = Pixels(h, &cx);
    // The cross: three pixels each way through the centre.
    for (POINT q : {POINT{c.x, c.y}, POINT{c.x - 1, c.y}, POINT{c.x + 1, c.y}, POINT{c.x, c.y - 1},
                    POINT{c.x, c.y + 1}})
        EXPECT_EQ(At(h, px, cx, q.x, q.y), 0x0000FFu) << q.x - c.x << "," << q.y - c.y;
    EXPECT_EQ(CountColour(h, px, cx, p->rcArea, 0x0000FF), 5);
    // The page's frame is black.
    EXPECT_EQ(At(h, px, cx, p->rcPage.left, c.y), 0u);
}

// Dragging: the pointer's distance from the centre becomes the position,
// x = pixels x W / page width in pixels / 10.
TEST_F(WatermarkEditor, DraggingMovesThePositionByTheFormula)
{
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    WATERMARKEDITSTATE* p = State(h);
    ASSERT_NE(p, nullptr);
    const LONG wpx = p->rcPage.right - p->rcPage.left, lpx = p->rcPage.bottom - p->rcPage.top;
    ASSERT_GT(wpx, 20);
    struct Row {
        int dx, dy;
    } rows[] = {{10, -7}, {-15, 20}, {0, 0}};
    POINT pt = {p->ptCentre.x + 3, p->ptCentre.y + 3};
    Mouse(h, WM_LBUTTONDOWN, pt, MK_LBUTTON);
    for (const Row& r : rows) {
        pt = {p->ptCentre.x + r.dx, p->ptCentre.y + r.dy};
        Mouse(h, WM_MOUSEMOVE, pt, MK_LBUTTON);
        const LONG x = r.dx * p->lWidth / wpx / 10, y = r.dy * p->lLength / lpx / 10;
        EXPECT_EQ((LONG)Rec(1).dwCenterX, x) << r.dx;
        EXPECT_EQ((LONG)Rec(1).dwCenterY, y) << r.dy;
        EXPECT_EQ(GetScrollPos(GetDlgItem(h, IDC_WME_XBAR), SB_CTL), x);
        WCHAR sz[24];
        DlgFormat(sz, 24, u"%dmm", (int)(-y / 10));
        EXPECT_EQ(Text(h, IDC_WME_YTEXT), Str(sz));
    }
    // Without the button the text stays; outside the page the arrow shows.
    Mouse(h, WM_MOUSEMOVE, {p->ptCentre.x + 12, p->ptCentre.y}, 0);
    EXPECT_EQ(Rec(1).dwCenterX, 0u);
    HCURSOR hcurPage = p->hcurPage, hcurArrow = p->hcurArrow;  // out of the packed state
    EXPECT_EQ(GetCursor(), hcurPage);
    Mouse(h, WM_MOUSEMOVE, {p->rcPage.right + 2, p->ptCentre.y}, MK_LBUTTON);
    EXPECT_EQ(Rec(1).dwCenterX, 0u);
    EXPECT_EQ(GetCursor(), hcurArrow);
    // The page edge itself is outside.
    Mouse(h, WM_LBUTTONDOWN, {p->rcPage.left, p->ptCentre.y}, MK_LBUTTON);
    EXPECT_EQ(Rec(1).dwCenterX, 0u);
}

// The cursors come from the resource library.
TEST_F(WatermarkEditor, CursorsComeFromTheResourceLibrary)
{
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    WATERMARKEDITSTATE* p = State(h);
    ASSERT_NE(p, nullptr);
    // The cursors are copied out of the packed state before comparing.
    HCURSOR hcurPage = p->hcurPage, hcurDrag = p->hcurDrag;
    EXPECT_NE(hcurPage, nullptr);
    EXPECT_NE(hcurDrag, nullptr);
    EXPECT_NE(hcurPage, hcurDrag);
    Mouse(h, WM_LBUTTONDOWN, p->ptCentre, MK_LBUTTON);
    EXPECT_EQ(GetCursor(), hcurDrag);
    Mouse(h, WM_LBUTTONUP, p->ptCentre, 0);
    EXPECT_EQ(GetCursor(), hcurPage);
}

// Restore Defaults takes every field but the text from the template record.
TEST_F(WatermarkEditor, DefaultsKeepTheText)
{
    memcpy(Rec(1).szText, u"MINE", 10);
    memcpy(Rec(1).szFace, u"Arial", 12);
    Rec(1).dwSize = 200;
    Rec(1).lAngle = 300;
    Rec(1).dwStyle = 2;
    Rec(1).dwColor = 10;
    Rec(1).dwCenterX = 50;
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptClick(h, IDC_WME_DEFAULTS, nullptr));
    const WATERMARK& t = *pList->pCurrent;
    EXPECT_EQ(Str(Rec(1).szText), u"MINE");
    EXPECT_EQ(Str(Rec(1).szFace), Str(t.szFace));
    EXPECT_EQ(Rec(1).dwSize, t.dwSize);
    EXPECT_EQ(Rec(1).lAngle, t.lAngle);
    EXPECT_EQ(Rec(1).dwStyle, t.dwStyle);
    EXPECT_EQ(Rec(1).dwColor, t.dwColor);
    EXPECT_EQ(Rec(1).dwCenterX, t.dwCenterX);
    WCHAR sz[16];
    DlgFormat(sz, 16, u"%d", (int)t.dwSize);
    EXPECT_EQ(Text(h, IDC_WME_SIZE), Str(sz));
    EXPECT_EQ(Text(h, IDC_WME_TEXT), u"MINE");
}

// A face that is not installed stays in the record; the combo shows the
// default face.
TEST_F(WatermarkEditor, MissingFaceIsKept)
{
    memcpy(Rec(1).szFace, u"No Such Face", 24);
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Str(Rec(1).szFace), u"No Such Face");
    LRESULT k = SendDlgItemMessageW(h, IDC_WME_FACE, CB_GETCURSEL, 0, 0);
    EXPECT_GE(k, 0);
    ASSERT_TRUE(PlatScriptChoose(h, IDC_WME_STYLE, nullptr, nullptr, 2));
    EXPECT_EQ(Rec(1).dwStyle, 3u);
    EXPECT_EQ(Str(Rec(1).szFace), u"No Such Face");
}

// A picture of a watermark at an angle, moved off centre.
TEST_F(WatermarkEditor, PictureOfAnAngledWatermarkOffCentre)
{
    memcpy(Rec(1).szText, u"CONFIDENTIAL", 24);
    Rec(1).lAngle = 300;
    Rec(1).dwSize = 150;
    Rec(1).dwColor = 96;
    Rec(1).dwCenterX = 300;
    Rec(1).dwCenterY = (DWORD)-400;
    HWND h = Open(1);
    ASSERT_NE(h, nullptr);
    WATERMARKEDITSTATE* p = State(h);
    LONG cx = 0;
    std::vector<DWORD> px = Pixels(h, &cx);
    EXPECT_GT(CountColour(h, px, cx, p->rcInner, 0x606060), 30);
    EXPECT_EQ(CountColour(h, px, cx, p->rcSample, 0x606060), (p->rcSample.right - p->rcSample.left) *
                                                                 (p->rcSample.bottom - p->rcSample.top));
    EXPECT_TRUE(PlatWriteWindowPng(h, "/tmp/q730_dlg_wmedit_angled.png"));
}

// Edit on the Watermark page: Cancel leaves the page's list as it was; OK
// takes the new watermark over and chooses it.
TEST_F(WatermarkEditor, PageTakesTheEditedListOnOkOnly)
{
    SetParamEdited(pObj, 37, 1);
    SetParamCommitted(pObj, 37, 1);
    OpenPage();
    const SHORT sCount = pList->sCount;
    std::vector<BYTE> before((BYTE*)pList->pRecords, (BYTE*)(pList->pRecords + WATERMARK_SLOTS));
    const BYTE bCurrent = *GetParamSlot(pObj, 214);
    const PLATSCRIPTSTEP cancel[] = {
        {PSS_CLICK, IDC_WME_NEW, nullptr, nullptr, -1, 0},
        {PSS_TYPE, IDC_WME_TEXT, nullptr, u"GONE", -1, 0},
        {PSS_CHOOSE, IDC_WME_LIST, nullptr, nullptr, 1, 0},
        {PSS_TYPE, IDC_WME_SIZE, nullptr, u"300", -1, 0},
        {PSS_CANCEL, 0, nullptr, nullptr, -1, 0},
    };
    ASSERT_TRUE(PlatScriptOnDialog(IDD_WMEDIT, cancel, 5));
    ASSERT_TRUE(PlatScriptClick(hPage, 503, nullptr)) << Narrow(Str(PlatScriptError()));
    EXPECT_EQ(Str(PlatScriptError()), u"");
    EXPECT_EQ(pList->sCount, sCount);
    EXPECT_EQ(memcmp(before.data(), pList->pRecords, before.size()), 0);
    EXPECT_EQ(*GetParamSlot(pObj, 214), bCurrent);
    HWND hCombo = GetDlgItem(hPage, 502);
    EXPECT_EQ(SendMessageW(hCombo, CB_GETCOUNT, 0, 0), sCount);

    const PLATSCRIPTSTEP ok[] = {
        {PSS_CLICK, IDC_WME_NEW, nullptr, nullptr, -1, 0},
        {PSS_TYPE, IDC_WME_TEXT, nullptr, u"DRAFT", -1, 0},
        {PSS_TYPE, IDC_WME_SIZE, nullptr, u"100", -1, 0},
        {PSS_OK, 0, nullptr, nullptr, -1, 0},
    };
    ASSERT_TRUE(PlatScriptOnDialog(IDD_WMEDIT, ok, 4));
    ASSERT_TRUE(PlatScriptClick(hPage, 503, nullptr));
    EXPECT_EQ(Str(PlatScriptError()), u"");
    ASSERT_EQ(pList->sCount, sCount + 1);
    EXPECT_EQ(Str(Rec(sCount).szText), u"DRAFT");
    EXPECT_EQ(Rec(sCount).dwSize, 100u);
    EXPECT_EQ(*GetParamSlot(pObj, 214), sCount);
    ASSERT_EQ(SendMessageW(hCombo, CB_GETCOUNT, 0, 0), sCount + 1);
    EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), sCount);
    WCHAR sz[64] = {};
    SendMessageW(hCombo, CB_GETLBTEXT, sCount, (LPARAM)sz);
    EXPECT_EQ(Str(sz), u"DRAFT");
}

}  // namespace
