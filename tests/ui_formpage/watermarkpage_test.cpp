// The Watermark page on the driver's own template: the list of the user's
// watermarks, the picture of the chosen one on the paper, and the choice
// reaching the job's settings.
#include "tests/ui_sheets/sheets_fixture.h"

#include "platform/user/msgbox.h"
#include "platform/user/script.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/watermarkpage.h"
#include "ui/settings/devmode.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/wmlist.h"

#include <string>

namespace {

class WatermarkPage : public ::testing::Test {
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
        ASSERT_NE(pObj->trailer.pListSet, nullptr);
        pList = pObj->trailer.pListSet->pWatermark;
        ASSERT_NE(pList, nullptr);
        ASSERT_GE(pList->sCount, 3);
    }
    void Open()
    {
        hSheet = ShowHostPages(&host, 500, &hPage);
        ASSERT_NE(hSheet, nullptr);
        ASSERT_NE(hPage, nullptr);
        hCombo = GetDlgItem(hPage, 502);
    }
    void TearDown() override
    {
        if (hSheet && IsWindow(hSheet))
            DestroyWindow(hSheet);
        DropPages(&host);
        CallReason(&host, PROPSHEETUI_REASON_DESTROY, 1);
        ClosePrinter(hPrinter);
    }
    BYTE Current() { return *GetParamSlot(pObj, 214); }
    void SetUse(SHORT s)
    {
        SetParamEdited(pObj, 37, s);
        SetParamCommitted(pObj, 37, s);
    }
    // Pixels of the picture area: blue ones and dark ones.
    void CountPixels(int* pcBlue, int* pcDark)
    {
        UpdateWindow(hSheet);
        ASSERT_TRUE(PlatRenderWindow(hSheet));
        RECT rc, rcSheet;
        GetWindowRect(GetDlgItem(hPage, 507), &rc);
        GetWindowRect(hSheet, &rcSheet);
        *pcBlue = *pcDark = 0;
        const LONG cx = rcSheet.right - rcSheet.left, cy = rcSheet.bottom - rcSheet.top;
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> px((size_t)cx * cy);
        HDC hdc = CreateCompatibleDC(nullptr);
        ASSERT_GT(GetDIBits(hdc, PlatGetWindowSurface(hSheet), 0, (UINT)cy, px.data(), &bi, DIB_RGB_COLORS), 0);
        DeleteDC(hdc);
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                DWORD v = px[(size_t)(y - rcSheet.top) * cx + (x - rcSheet.left)];
                COLORREF c = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
                if (c == RGB(0, 0, 255))
                    ++*pcBlue;
                else if (GetRValue(c) < 200 && GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c))
                    ++*pcDark;
            }
    }

    HANDLE hPrinter = NULL;
    DOCUMENTPROPERTYHEADER doc = {};
    FAKEHOST host;
    UISETTINGS* pObj = nullptr;
    WATERMARKLIST* pList = nullptr;
    HWND hSheet = nullptr, hPage = nullptr, hCombo = nullptr;
};

TEST(WatermarkGeometry, FontHeightOfTheSize)
{
    struct Row {
        DWORD dwSize;
        LONG lHeight;
    } rows[] = {{0, -1}, {7, -1}, {8, -1}, {75, -10}, {400, -53}};
    for (const Row& r : rows)
        EXPECT_EQ(WatermarkPreviewHeight(r.dwSize), r.lHeight) << r.dwSize;
}

TEST(WatermarkGeometry, PageRectangleInTheSquare)
{
    struct Row {
        LONG lWidth, lLength, lMax;
        RECT rc;
    } rows[] = {
        // A paper as long as the largest extent spans the square's height.
        {21000, 42000, 42000, {50, 0, 150, 200}},
        // Landscape: wider than high.
        {42000, 21000, 42000, {0, 50, 200, 150}},
        {10000, 10000, 40000, {75, 75, 125, 125}},
        {10000, 10000, 0, {100, 100, 100, 100}},
    };
    for (const Row& r : rows) {
        RECT rc = {};
        WatermarkPageRect(100, 100, 100, r.lWidth, r.lLength, r.lMax, &rc);
        EXPECT_EQ(rc.left, r.rc.left);
        EXPECT_EQ(rc.top, r.rc.top);
        EXPECT_EQ(rc.right, r.rc.right);
        EXPECT_EQ(rc.bottom, r.rc.bottom);
    }
}

// The combo lists "none" and then every slot in slot order.
TEST_F(WatermarkPage, ComboListsTheSlotsAfterNone)
{
    *GetParamSlot(pObj, 214) = 0;
    Open();
    ASSERT_EQ((int)SendMessageW(hCombo, CB_GETCOUNT, 0, 0), pList->sCount);
    WCHAR sz[64] = {};
    SendMessageW(hCombo, CB_GETLBTEXT, 0, (LPARAM)sz);
    EXPECT_EQ(std::u16string(sz), std::u16string(GetResString(20403)));
    for (int i = 1; i < pList->sCount; ++i) {
        SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
        EXPECT_EQ(std::u16string(sz), std::u16string(pList->pRecords[i].szText)) << i;
    }
    EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), 0);
    // A slot changed behind the page shows once the engine marks it.
    *GetParamSlot(pObj, 214) = 2;
    EXPECT_NE(WatermarkPageMarkDirty(hPage, 502, 0), 0);
    EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(WatermarkPageMarkDirty(hPage, 401, 0), 0);
}

// The picture: the chosen text in grey with a blue centre mark when the
// watermark is used; neither when it is not, nor for slot 0.
TEST_F(WatermarkPage, PictureShowsTheChosenWatermarkOnlyWhenUsed)
{
    for (int i = 1; i < pList->sCount; ++i) {
        pList->pRecords[i].dwColor = 0x40;
        pList->pRecords[i].dwSize = 300;
    }
    *GetParamSlot(pObj, 214) = 1;
    SetUse(1);
    Open();
    int cBlue = 0, cDark = 0;
    CountPixels(&cBlue, &cDark);
    EXPECT_EQ(cBlue, 5);  // the plus sign, 3 pixels each way
    EXPECT_GT(cDark, 20);
    ASSERT_TRUE(PlatWriteWindowPng(hSheet, "/tmp/watermark_page.png"));

    // Switched off by the user: the page is cleared.
    ASSERT_TRUE(PlatScriptClick(hPage, 501, nullptr));
    EXPECT_EQ(GetParamEdited(pObj, 37), 0);
    int cBlueOff = 0, cDarkOff = 0;
    CountPixels(&cBlueOff, &cDarkOff);
    EXPECT_EQ(cBlueOff, 0);
    EXPECT_LT(cDarkOff, cDark);

    // Used, but slot 0 chosen: only the frame.
    ASSERT_TRUE(PlatScriptClick(hPage, 501, nullptr));
    ASSERT_TRUE(PlatScriptChoose(hPage, 502, nullptr, nullptr, 0));
    EXPECT_EQ(Current(), 0);
    int cBlueNone = 0, cDarkNone = 0;
    CountPixels(&cBlueNone, &cDarkNone);
    EXPECT_EQ(cBlueNone, 0);
    EXPECT_EQ(cDarkNone, cDarkOff);
}

// The user switches the watermark on and picks one: OK hands it to the
// job; Cancel would have left the stored choice alone.
TEST_F(WatermarkPage, ChosenWatermarkReachesTheJobSettings)
{
    *GetParamSlot(pObj, 214) = 0;
    *GetParamSlot(pObj, 215) = 0;
    SetUse(0);
    Open();
    HWND hApply = PlatScriptFindControl(hSheet, 0, u"Apply");
    ASSERT_TRUE(PlatScriptClick(hPage, 501, nullptr));
    ASSERT_TRUE(PlatScriptChoose(hPage, 502, nullptr, nullptr, 2));
    ASSERT_TRUE(PlatScriptClick(hPage, 505, nullptr));
    ASSERT_TRUE(PlatScriptClick(hPage, 506, nullptr));
    EXPECT_TRUE(IsWindowEnabled(hApply));
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(*GetParamSlot(pObj, 215), 0);
    ASSERT_TRUE(PlatScriptPressOK(hSheet));
    EXPECT_EQ(*GetParamSlot(pObj, 215), 2);
    ASSERT_TRUE(SettingsToDevmode(pObj, SheetOf(&host)->pdm, SheetOf(&host)->hOptionDb));
    const DRVDEVMODE* pdm = (const DRVDEVMODE*)SheetOf(&host)->pdm;
    EXPECT_EQ(pdm->ui.Watermark_Use, 1);
    EXPECT_EQ(pdm->ui.bWatermarkCurrent, 2);
    EXPECT_EQ(pdm->ui.lpWatermarkOrder, 2);
    EXPECT_EQ(pdm->ui.FirstPageOnly, 1);
}

}  // namespace
