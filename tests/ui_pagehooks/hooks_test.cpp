// The ENDPAGE watermark and the first-page form prompt against a recording
// stand-in for the graphics library's escapes, drawing on a memory DC.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ui_docevent/fakegfx.h"
#include "ui/driverui/pagehooks.h"
#include "ui/settings/regtree.h"
#include "ui/settings/wmlist.h"

namespace {

struct WMROW {
    LPCWSTR pszText;
    LONG lStyle, lSize, lAngle, lDensity, lX, lY;
};

void SetField(WATERMARKLIST* p, WORD wId, int n, const void* pv, DWORD cb)
{
    void* pAddr = nullptr;
    DWORD cbField = 0;
    WORD wType = 0;
    ASSERT_TRUE(GetWatermarkField(wId, n, &pAddr, &cbField, &wType, p));
    memset(pAddr, 0, cbField);
    memcpy(pAddr, pv, cb < cbField ? cb : cbField);
}

// Stores the user's watermark list of the printer: slot 0 is "none", the
// given watermarks follow.
void StoreWatermarks(LPCWSTR pszPrinter, const std::vector<WMROW>& v)
{
    WATERMARKLIST* p = CreateWatermarkList();
    ASSERT_NE(p, nullptr);
    SHORT sCount = static_cast<SHORT>(v.size() + 1);
    SetField(p, 12, 0, &sCount, sizeof(sCount));
    for (size_t i = 0; i < v.size(); ++i) {
        int n = static_cast<int>(i) + 1;
        const WMROW& w = v[i];
        SetField(p, 15, n, w.pszText, (lstrlenW(w.pszText) + 1) * 2);
        SetField(p, 17, n, u"Liberation Sans", 32);
        SetField(p, 19, n, &w.lStyle, 4);
        SetField(p, 21, n, &w.lSize, 4);
        SetField(p, 23, n, &w.lAngle, 4);
        SetField(p, 25, n, &w.lDensity, 4);
        SetField(p, 27, n, &w.lX, 4);
        SetField(p, 29, n, &w.lY, 4);
    }
    REGTREESET t = {};
    BuildRegTreeTables(&t);
    EXPECT_TRUE(SaveWatermarkList(p, &t, pszPrinter));
    FreeRegTreeTables(&t);
    FreeWatermarkList(&p);
}

const int kPageW = 800, kPageH = 600;

struct PageHooks : DocEventTest {
    HDC hdcMem = nullptr;
    HBITMAP hbm = nullptr;
    HGDIOBJ hbmOld = nullptr;

    void SetUp() override
    {
        DocEventTest::SetUp();
        hdcMem = CreateCompatibleDC(nullptr);
        hbm = CreateBitmap(kPageW, kPageH, 1, 32, nullptr);
        ASSERT_TRUE(hdcMem && hbm);
        hbmOld = SelectObject(hdcMem, hbm);
        PatBlt(hdcMem, 0, 0, kPageW, kPageH, WHITENESS);
        // A 100 dpi page of 800 x 600 dots.
        DRVDEVMODE* pdm = fake.Dm();
        pdm->ui.dmMirror.dmPrintQuality = 100;
        pdm->ui.dmMirror.dmYResolution = 100;
        pdm->ui.rcPrintDots = RECTL{0, 0, kPageW, kPageH};
        pdm->ui.rcOutPrintDots = RECTL{0, 0, kPageW, kPageH};
        pdm->ui.ZoomCheck = 0;
        pdm->ui.lpGraphicsMode = 2;
        pdm->ui.lpWatermarkOrder = 1;
        pdm->ui.Watermark_Use = 1;
        pdm->ui.bWatermarkCurrent = 1;
        pdm->ui.FirstPageOnly = 0;
        StoreWatermarks(kDocPrinter, {{u"DRAFT", 2, 36, 0, 0, 0, 0}, {u"TINY", 1, 0, 0, 0, 0, 0}});
    }
    void TearDown() override
    {
        if (hdcMem) {
            SelectObject(hdcMem, hbmOld);
            DeleteDC(hdcMem);
        }
        if (hbm) DeleteObject(hbm);
        DocEventTest::TearDown();
    }
    // Inked (not white) pixels of the page inside a rectangle; *pDarkest
    // gets the lowest blue level among them (255 when none).
    int Ink(int l, int t, int r, int b, int* pDarkest = nullptr)
    {
        std::vector<DWORD> px(static_cast<size_t>(kPageW) * kPageH);
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = kPageW;
        bmi.bmiHeader.biHeight = -kPageH;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        SelectObject(hdcMem, hbmOld);
        int n = GetDIBits(hdcMem, hbm, 0, kPageH, px.data(), &bmi, DIB_RGB_COLORS);
        SelectObject(hdcMem, hbm);
        EXPECT_EQ(n, kPageH);
        int c = 0, iDarkest = 255;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) {
                DWORD v = px[static_cast<size_t>(y) * kPageW + x] & 0xFFFFFF;
                if (v == 0xFFFFFF) continue;
                ++c;
                iDarkest = std::min(iDarkest, static_cast<int>(v & 0xFF));
            }
        if (pDarkest) *pDarkest = iDarkest;
        return c;
    }
    void EndPageHook() { DocEventPageHooks(hPrinter, hdcMem, DOCUMENTEVENT_ENDPAGE, 0, nullptr, 0, nullptr); }
};

TEST_F(PageHooks, WatermarkIsDrawnAroundThePageCentreAndTheDcIsLeftAsItWas)
{
    SetTextColor(hdcMem, RGB(1, 2, 3));
    SetBkColor(hdcMem, RGB(4, 5, 6));
    SetBkMode(hdcMem, OPAQUE);
    SetTextAlign(hdcMem, 0);
    SetMapMode(hdcMem, MM_LOMETRIC);
    EndPageHook();
    // 36 points at 100 dpi is 50 dots high, centred on (400, 300).
    EXPECT_GT(Ink(300, 270, 500, 330), 200);
    EXPECT_EQ(Ink(0, 0, kPageW, 200), 0);
    EXPECT_EQ(Ink(0, 400, kPageW, kPageH), 0);
    EXPECT_EQ(GetTextColor(hdcMem), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(hdcMem), RGB(4, 5, 6));
    EXPECT_EQ(GetBkMode(hdcMem), OPAQUE);
    EXPECT_EQ(GetTextAlign(hdcMem), 0u);
    EXPECT_EQ(SetMapMode(hdcMem, MM_TEXT), MM_LOMETRIC);
    // Vector mode: the watermark's drawing is bracketed by the page flag.
    std::vector<DWORD> expect = {ESC_GET_DEVMODE, ESC_ORIENTATION, ESC_PAGE_FLAG_SET, ESC_PAGE_FLAG_CLEAR};
    EXPECT_EQ(fake.Codes(), expect);
    const ESCCALL* pFlag = fake.Find(ESC_PAGE_FLAG_SET);
    ASSERT_NE(pFlag, nullptr);
    EXPECT_EQ(pFlag->in, (std::vector<BYTE>{1, 1, 1, 0}));
}

struct WhichPage {
    const char* pszName;
    BYTE bUse, bCurrent, bFirstOnly;
    int iCounter;
    bool bDrawn;
};

// A page of its own for each row of a table.
struct OnePage : PageHooks {
    void TestBody() override {}
};

TEST(WatermarkPagesTable, OnlyTheSelectedPagesGetTheWatermark)
{
    const WhichPage kCases[] = {
        {"AllPages", 1, 1, 0, 3, true},
        {"FirstPageOnlyOnThePageCountedOne", 1, 1, 1, 1, true},
        {"FirstPageOnlyOnALaterPage", 1, 1, 1, 2, false},
        {"NotInUse", 0, 1, 0, 1, false},
        {"NoneSelected", 1, 0, 0, 1, false},
        // A size of 0 draws nothing and sends nothing after the reads.
        {"SizeZero", 1, 2, 0, 1, false},
        // An index beyond the user's list (read back from the job) is refused.
        {"BeyondTheList", 1, 7, 0, 1, false},
    };
    for (const WhichPage& c : kCases) {
        OnePage t;
        t.SetUp();
        t.fake.Dm()->ui.Watermark_Use = c.bUse;
        t.fake.Dm()->ui.bWatermarkCurrent = c.bCurrent;
        t.fake.Dm()->ui.FirstPageOnly = c.bFirstOnly;
        t.fake.iPageCounter = c.iCounter;
        t.EndPageHook();
        EXPECT_EQ(t.Ink(0, 0, kPageW, kPageH) > 0, c.bDrawn) << c.pszName;
        EXPECT_EQ(t.fake.Find(ESC_PAGE_FLAG_SET) != nullptr, c.bDrawn) << c.pszName;
        t.TearDown();
    }
}

struct ModeCase {
    const char* pszName;
    BYTE bGraphicsMode, bOrder;
    std::vector<DWORD> codes;  // after the DEVMODE and orientation reads
    int iGreySent;             // the byte sent with 0x7FFFFFF7, -1 none
    int iDarkest;              // the text's level on the page
};

TEST(WatermarkModesTable, GraphicsModeAndOrderChooseTheEscapes)
{
    const ModeCase kCases[] = {
        {"VectorOverThePage", 2, 1, {ESC_PAGE_FLAG_SET, ESC_PAGE_FLAG_CLEAR}, -1, 0x80},
        {"VectorUnderThePage", 2, 2, {ESC_PAGE_FLAG_SET, ESC_PAGE_FLAG_CLEAR}, -1, 0x80},
        // Raster, over the page: grey sent, drawn, page cleared, drawn black again.
        {"RasterOverThePage", 1, 1, {ESC_WM_GREY, ESC_PAGE_CLEAR}, 0x80, 0},
        {"RasterUnderThePage", 1, 2, {ESC_WM_GREY, ESC_PAGE_CLEAR}, 0x80, 0},
    };
    for (const ModeCase& c : kCases) {
        OnePage t;
        t.SetUp();
        StoreWatermarks(kDocPrinter, {{u"GREY", 1, 36, 0, 0x80, 0, 0}});
        t.fake.Dm()->ui.lpGraphicsMode = c.bGraphicsMode;
        t.fake.Dm()->ui.lpWatermarkOrder = c.bOrder;
        t.EndPageHook();
        std::vector<DWORD> codes = t.fake.Codes();
        ASSERT_GE(codes.size(), 2u) << c.pszName;
        codes.erase(codes.begin(), codes.begin() + 2);
        EXPECT_EQ(codes, c.codes) << c.pszName;
        const ESCCALL* pGrey = t.fake.Find(ESC_WM_GREY);
        EXPECT_EQ(pGrey ? static_cast<int>(pGrey->in.at(0)) : -1, c.iGreySent) << c.pszName;
        // Vector pages carry the grey level in the text colour; raster pages
        // get black text and the graphics library blends it.
        int iDarkest = 255;
        EXPECT_GT(t.Ink(0, 0, kPageW, kPageH, &iDarkest), 0) << c.pszName;
        EXPECT_EQ(iDarkest, c.iDarkest) << c.pszName;
        t.TearDown();
    }
}

TEST_F(PageHooks, AnUnreadableDevmodeDrawsNothing)
{
    fake.dwFailCode = ESC_GET_DEVMODE;
    EndPageHook();
    EXPECT_EQ(fake.Codes(), std::vector<DWORD>{ESC_GET_DEVMODE});
    EXPECT_EQ(Ink(0, 0, kPageW, kPageH), 0);
}

TEST_F(PageHooks, CallersRectangleClipsTheText)
{
    RECT rc = {0, 0, 400, kPageH};
    DrawPageWatermark(hPrinter, hdcMem, &rc);
    EXPECT_GT(Ink(300, 250, 400, 350), 0);
    EXPECT_EQ(Ink(400, 0, kPageW, kPageH), 0);
}

}  // namespace
