// The icon pane (control 167) of every document page that has one, on the
// driver's own templates: what the page shows inside the control is the pane
// as the preview painter draws it, covers, output mode and bottom row
// included.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "ui/dialogs/preview.h"
#include "ui/settings/uisettings.h"

#include <vector>

namespace {

class IconPane : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        SheetPrinter();
        PlatMsgBoxReset();
        PlatScriptReset();
        ASSERT_TRUE(OpenPrinterW(SheetPrinter(), &hPrinter, NULL));
        doc.cbSize = sizeof(doc);
        doc.hPrinter = hPrinter;
        doc.pszPrinterName = SheetPrinter();
        doc.fMode = DM_PROMPT | DM_COPY;
        InitFakeHost(&host, DocumentBody, (LPARAM)&doc);
        ASSERT_EQ(CallReason(&host, PROPSHEETUI_REASON_INIT, host.info.lParamInit), 1);
        pObj = SheetOf(&host)->pSettings;
    }
    void TearDown() override
    {
        if (hSheet && IsWindow(hSheet))
            DestroyWindow(hSheet);
        DropPages(&host);
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        ClosePrinter(hPrinter);
    }
    void Set(const char16_t* key, SHORT v)
    {
        WORD id = GetParamIdOfKey(key);
        ASSERT_NE(id, 0);
        SetParamEdited(pObj, id, v);
        SetParamCommitted(pObj, id, v);
    }
    // The pixels of a window's surface inside the rectangle rc (screen).
    static std::vector<DWORD> Shown(HWND hTop, const RECT& rc)
    {
        RECT rcTop;
        GetWindowRect(hTop, &rcTop);
        const LONG cx = rcTop.right - rcTop.left, cy = rcTop.bottom - rcTop.top;
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> all((size_t)cx * cy);
        HDC hdc = CreateCompatibleDC(nullptr);
        EXPECT_GT(GetDIBits(hdc, PlatGetWindowSurface(hTop), 0, (UINT)cy, all.data(), &bi, DIB_RGB_COLORS), 0);
        DeleteDC(hdc);
        std::vector<DWORD> px;
        for (LONG y = rc.top; y < rc.bottom; ++y)
            for (LONG x = rc.left; x < rc.right; ++x)
                px.push_back(all[(size_t)(y - rcTop.top) * cx + (x - rcTop.left)] & 0xFFFFFF);
        return px;
    }
    // The pane drawn by the painter at origin 0, w x h.
    std::vector<DWORD> Drawn(int w, int h)
    {
        HDC hdc = CreateCompatibleDC(nullptr);
        HBITMAP hbm = CreateBitmap(w, h, 1, 32, nullptr);
        HGDIOBJ hOld = SelectObject(hdc, hbm);
        RECT rc = {0, 0, w, h};
        PaintSettingIconPanel(hdc, &rc, pObj);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> px((size_t)w * h);
        SelectObject(hdc, hOld);
        EXPECT_GT(GetDIBits(hdc, hbm, 0, (UINT)h, px.data(), &bi, DIB_RGB_COLORS), 0);
        for (DWORD& v : px)
            v &= 0xFFFFFF;
        DeleteObject(hbm);
        DeleteDC(hdc);
        return px;
    }

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    HWND hSheet = nullptr;
};

TEST_F(IconPane, EveryPageShowsTheWholePaneInsideItsControl)
{
    // A front cover, secure print, and in production mode image shift and
    // an OHP interleave: icons in every layer and in the bottom row.
    Set(u"Front_Check", 1);
    Set(u"lpFrontCover", 3);
    Set(u"Password_Check", 1);
    Set(u"POD_Check", 1);
    Set(u"ImageShift_Check", 1);
    Set(u"lpMediaSource", 4);
    Set(u"lpMediaType", 2);
    HWND hFirst = nullptr;
    hSheet = ShowHostPages(&host, 100, &hFirst);
    ASSERT_NE(hSheet, nullptr);
    const struct {
        WORD wTemplate;
        const char* name;
    } kPages[] = {{100, "Setup"}, {200, "Cover / Insert"}, {300, "Finishing"},
                  {400, "Form"},  {500, "Watermark"},      {600, "Image"}};
    for (const auto& pg : kPages) {
        HWND hPage = nullptr;
        for (int i = 0; i < 8 && !hPage; ++i) {
            SendMessageW(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
            HWND h = (HWND)SendMessageW(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
            if (PlatGetWindowTemplateId(h) == pg.wTemplate)
                hPage = h;
        }
        ASSERT_NE(hPage, nullptr) << pg.name;
        HWND hPane = GetDlgItem(hPage, 167);
        ASSERT_NE(hPane, nullptr) << pg.name;
        InvalidateRect(hPane, nullptr, TRUE);
        UpdateWindow(hSheet);
        ASSERT_TRUE(PlatRenderWindow(hSheet));
        RECT rc;
        GetWindowRect(hPane, &rc);
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        std::vector<DWORD> want = Drawn(w, h);
        // The picture has its bottom row: the icons below y = 44 are there.
        int cInkBelow = 0;
        for (int y = 44; y < h - 2; ++y)
            for (int x = 2; x < w - 2; ++x)
                cInkBelow += want[(size_t)y * w + x] != 0xFFFFFF;
        EXPECT_GT(cInkBelow, 20) << pg.name;
        std::vector<DWORD> shown = Shown(hSheet, rc);
        int cWrong = 0;
        for (size_t i = 0; i < want.size(); ++i)
            cWrong += shown[i] != want[i];
        EXPECT_EQ(cWrong, 0) << pg.name;
    }
}

}  // namespace
