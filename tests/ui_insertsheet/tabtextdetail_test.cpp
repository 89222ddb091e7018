// The heading text details dialog as a person uses it (size typed with its
// limits, face fallback, Defaults, Cancel), and the update targets of the
// print position dialog and of the fax cover sheet dialog on dialogs made
// with their controls.
#include "tests/ui_dialogs/settingdlg_fixture.h"

#include "ui/dialogs/insertsheet.h"
#include "ui/dialogs/preview.h"
#include "ui/dialogs/tabtextdetail.h"
#include "ui/settings/faxcover.h"
#include "ui/settings/insertwork.h"
#include "ui/settings/listops.h"
#include "ui/settings/listset.h"
#include "ui/settings/strcache.h"

#include <cstring>

namespace {

class TabTextDlg : public SettingDlgTest {
protected:
    void SetUp() override
    {
        SettingDlgTest::SetUp();
        Set(u"PrnTabIndex", 1);
        GetInsertSheetWork(pObj)->wState = INSERTWORK_NEW;
        memcpy(GetInsertSheetWork(pObj)->szLiveTabText, u"Index", 12);
    }
    std::u16string Face()
    {
        const char16_t* p = (const char16_t*)GetParamSlot(pObj, GetParamIdOfKey(u"TabTextFontName"));
        return p ? p : u"";
    }
    void SetFace(const char16_t* face)
    {
        char16_t* p = (char16_t*)GetParamSlot(pObj, GetParamIdOfKey(u"TabTextFontName"));
        memset(p, 0, 64);
        memcpy(p, face, std::char_traits<char16_t>::length(face) * 2);
    }
    static std::u16string ComboText(HWND h, int id)
    {
        LRESULT i = SendDlgItemMessageW(h, id, CB_GETCURSEL, 0, 0);
        WCHAR sz[128] = {};
        if (i >= 0)
            SendDlgItemMessageW(h, id, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
        return sz;
    }
    static void Keys(HWND h, int id, const char16_t* keys)
    {
        ASSERT_TRUE(PlatScriptFocus(h, id, nullptr)) << Err();
        SendDlgItemMessageW(h, id, EM_SETSEL, 0, -1);
        for (const char16_t* c = keys; *c; ++c)
            PlatScriptPressKey(h, 0, *c);
    }
    static std::u16string SizeWarning()
    {
        WCHAR sz[256] = {};
        DlgFormat(sz, 256, GetResString(21014), GetResString(28504), 8, 32);
        return sz;
    }
};

TEST_F(TabTextDlg, TheSizeIsHeldWithinItsRange)
{
    HWND h = Open(IDD_TABTEXTDETAIL, TabTextDetailDlgProc);
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"12");
    Keys(h, IDC_TTD_SIZE, u"40");
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"32") << "above the range shows the maximum at once";
    EXPECT_EQ(Get(u"TabTextFontSize"), 32);
    Keys(h, IDC_TTD_SIZE, u"5");
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"5") << "below the range may be on the way to a larger size";
    EXPECT_TRUE(Boxes().empty());
    // Leaving the field is refused with the range.
    EXPECT_FALSE(PlatScriptFocus(h, IDC_TTD_FACE, nullptr)) << "the focus stays in the size";
    std::vector<std::u16string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], SizeWarning());
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"8");
    EXPECT_EQ(Get(u"TabTextFontSize"), 8);
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_TTD_SIZE));
    // Only digits, and no second leading zero.
    PlatBeepReset();
    Keys(h, IDC_TTD_SIZE, u"a0");
    EXPECT_EQ(PlatBeepCount(), 1);
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"0");
    SendDlgItemMessageW(h, IDC_TTD_SIZE, EM_SETSEL, 1, 1);
    PlatScriptPressKey(h, 0, u'0');
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"0");
    EXPECT_EQ(PlatBeepCount(), 2);
    Close(h);
}

TEST_F(TabTextDlg, OkRefusesASizeBelowTheRange)
{
    PlatMsgBoxReset();
    INT_PTR r = Run(IDD_TABTEXTDETAIL, TabTextDetailDlgProc, {Focus(IDC_TTD_SIZE), PressOK(), PressCancel()});
    EXPECT_EQ(r, IDOK) << Err();
    EXPECT_TRUE(Boxes().empty());
    HWND h = Open(IDD_TABTEXTDETAIL, TabTextDetailDlgProc);
    Keys(h, IDC_TTD_SIZE, u"5");
    ASSERT_TRUE(PlatScriptPressOK(h)) << Err();
    ASSERT_TRUE(IsWindowVisible(h)) << "the dialog stays open";
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], SizeWarning());
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"8");
    Close(h);
}

TEST_F(TabTextDlg, AFaceThatIsNotInstalledGivesWayToTheDefaultFace)
{
    SetFace(u"No Such Face");
    HWND h = Open(IDD_TABTEXTDETAIL, TabTextDetailDlgProc);
    ASSERT_NE(SendDlgItemMessageW(h, IDC_TTD_FACE, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)TABTEXT_DEFAULT_FACE),
              CB_ERR)
        << "the default face is installed";
    EXPECT_EQ(ComboText(h, IDC_TTD_FACE), TABTEXT_DEFAULT_FACE);
    EXPECT_EQ(Face(), TABTEXT_DEFAULT_FACE) << "the stored face becomes the one shown";
    // Another face chosen becomes the stored one.
    ASSERT_GT(SendDlgItemMessageW(h, IDC_TTD_FACE, CB_GETCOUNT, 0, 0), 1);
    ASSERT_TRUE(PlatScriptChoose(h, IDC_TTD_FACE, nullptr, nullptr, 0)) << Err();
    EXPECT_EQ(Face(), ComboText(h, IDC_TTD_FACE));
    Picture(h, "tabtextdetail_2450");
    Close(h);
}

TEST_F(TabTextDlg, CancelPutsBackAllFiveValuesAndDefaultsResetsThem)
{
    BindFeatureFields(pObj);
    SetFace(TABTEXT_DEFAULT_FACE);
    const SHORT dir = Get(u"lpTabTextOrient"), align = Get(u"lpTabTextAlign"), style = Get(u"lpTabTextFontStyle");
    const std::u16string face = Face();
    HWND h = Open(IDD_TABTEXTDETAIL, TabTextDetailDlgProc);
    for (int id : {IDC_TTD_DIRECTION, IDC_TTD_ALIGN, IDC_TTD_STYLE}) {
        LRESULT n = SendDlgItemMessageW(h, id, CB_GETCOUNT, 0, 0);
        LRESULT cur = SendDlgItemMessageW(h, id, CB_GETCURSEL, 0, 0);
        ASSERT_GT(n, 1) << id;
        ASSERT_TRUE(PlatScriptChoose(h, id, nullptr, nullptr, (int)((cur + 1) % n))) << Err();
    }
    LRESULT iFace = SendDlgItemMessageW(h, IDC_TTD_FACE, CB_GETCURSEL, 0, 0);
    ASSERT_TRUE(PlatScriptChoose(h, IDC_TTD_FACE, nullptr, nullptr, iFace == 0 ? 1 : 0)) << Err();
    Keys(h, IDC_TTD_SIZE, u"20");
    EXPECT_NE(Get(u"lpTabTextOrient"), dir);
    EXPECT_NE(Get(u"lpTabTextAlign"), align);
    EXPECT_NE(Get(u"lpTabTextFontStyle"), style);
    EXPECT_NE(Face(), face);
    EXPECT_EQ(Get(u"TabTextFontSize"), 20);
    // Defaults: the defaults of the lists, 12 points, the default face.
    ASSERT_TRUE(PlatScriptClick(h, IDC_TTD_DEFAULTS, nullptr)) << Err();
    EXPECT_EQ(Get(u"TabTextFontSize"), 12);
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"12");
    EXPECT_EQ(Face(), TABTEXT_DEFAULT_FACE);
    EXPECT_EQ(Get(u"lpTabTextOrient"), GetFeatureDefault(2453));
    EXPECT_EQ(Get(u"lpTabTextAlign"), GetFeatureDefault(2455));
    Keys(h, IDC_TTD_SIZE, u"20");
    ASSERT_TRUE(PlatScriptPressCancel(h)) << Err();
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(Get(u"lpTabTextOrient"), dir);
    EXPECT_EQ(Get(u"lpTabTextAlign"), align);
    EXPECT_EQ(Get(u"lpTabTextFontStyle"), style);
    EXPECT_EQ(Face(), face);
    EXPECT_EQ(Get(u"TabTextFontSize"), 12);
}

TEST_F(TabTextDlg, UpdateControlRefreshesOneControl)
{
    HWND h = Open(IDD_TABTEXTDETAIL, TabTextDetailDlgProc);
    Set(u"TabTextFontSize", 40);
    EXPECT_EQ(TabTextDetailUpdateControl(h, IDC_TTD_SIZE), 1);
    EXPECT_EQ(Text(h, IDC_TTD_SIZE), u"32") << "shown within the range";
    EXPECT_EQ(TabTextDetailUpdateControl(h, IDC_TTD_PREVIEW), 0);
    EXPECT_EQ(UpdateFeatureControl(nullptr, 2453, 1), 1) << "the engine reaches the open dialog";
    Close(h);
}

// ---- Update targets of dialogs without a procedure here ----

// A dialog procedure of the kind an opener would give them: it keeps the
// block the update targets read.
INT_PTR CALLBACK HostProc(HWND hDlg, UINT uMsg, WPARAM, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        FAXCOVERDLG* p = (FAXCOVERDLG*)DlgAllocBlock(hDlg, sizeof(FAXCOVERDLG));
        p->hDlg = hDlg;
        p->pObj = (UISETTINGS*)lParam;
        p->lFactor = 5000;
        return TRUE;
    }
    if (uMsg == WM_DESTROY)
        DlgFreeBlock(hDlg);
    return FALSE;
}

TEST_F(TabTextDlg, PrintPositionChecksTheRadioOfTheValue)
{
    HWND h = CreateDialogParamW(hUi, MAKEINTRESOURCEW(IDD_PRINTPOSITION), nullptr, HostProc, (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    const struct {
        SHORT value;
        int radio;
    } rows[] = {{0, IDC_PP_LEADING}, {1, IDC_PP_CENTRE}, {2, IDC_PP_TRAILING}, {3, IDC_PP_LEADING},
                {-1, IDC_PP_LEADING}};
    for (auto& r : rows) {
        Set(u"lpWidePaperPos", r.value);
        EXPECT_EQ(PrintPositionUpdateControl(h, IDC_PP_CENTRE), 1);
        for (int id = IDC_PP_LEADING; id <= IDC_PP_TRAILING; ++id)
            EXPECT_EQ(IsDlgButtonChecked(h, id) == BST_CHECKED, id == r.radio) << r.value << " " << id;
    }
    EXPECT_EQ(PrintPositionUpdateControl(h, IDC_PP_FEED), 0);
    ShowWindow(h, SW_SHOW);
    Picture(h, "printposition_2355");
    DestroyWindow(h);
}

TEST_F(TabTextDlg, FaxCoverSheetControlsFollowTheSwitchesAndTheRecord)
{
    // This model keeps no fax cover record: the test lends one.
    ASSERT_NE(pObj->trailer.pListSet, nullptr);
    FAXCOVER lent = {};
    BYTE* pOwn = pObj->trailer.pListSet->pFaxCover;
    if (!pOwn)
        pObj->trailer.pListSet->pFaxCover = (BYTE*)&lent;
    FAXCOVER* pRec = pGetFaxCover(pObj);
    memcpy(pRec->szSubject, u"Quarterly", 20);
    memcpy(pRec->aszText[0], u"Confidential", 26);
    memcpy(pRec->szComment, u"a\nb\nc", 12);
    memcpy(pRec->szImage, u"C:\\logo.bmp", 24);
    pRec->dwPagenum = 3;
    pRec->dwZoom = 80;
    pRec->dwX = 1249;
    pRec->dwY = 1251;
    pRec->dwStyle = 2;
    pRec->dwPaper = 1;
    Set(u"FaxCover_Subject", 1);
    Set(u"FaxCover_ReceiveSetup", 0);
    Set(u"FaxCover_SenderEmail", 1);
    Set(u"FaxCover_Image", 1);
    Set(u"FaxCover_Zoom", 0);
    Set(u"FaxCover_A4PFix", 0);
    HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FAXCOVERSHEET), nullptr, HostProc,
                                (LPARAM)pObj);
    ASSERT_NE(h, nullptr);
    for (const char16_t* s : {u"A4", u"Letter"}) {
        SendDlgItemMessageW(h, 1226, CB_ADDSTRING, 0, (LPARAM)s);
        SendDlgItemMessageW(h, 1301, CB_ADDSTRING, 0, (LPARAM)s);
    }
    EXPECT_EQ(OptionBitsUpdateControl(h, 1139), 0);
    EXPECT_EQ(OptionBitsUpdateControl(h, 1302), 0);
    EXPECT_EQ(OptionBitsUpdateControl(h, 1215), 0) << "not a control of the table";
    EXPECT_EQ(OptionBitsUpdateControl(h, 1140), 1);
    EXPECT_EQ(IsDlgButtonChecked(h, 1210), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 1200)));
    EXPECT_EQ(Text(h, 1200), u"Quarterly");
    EXPECT_EQ(IsDlgButtonChecked(h, 1287), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 1288)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 1211)));
    EXPECT_EQ(Text(h, 1288), u"Confidential");
    EXPECT_EQ(IsDlgButtonChecked(h, 1222), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(h, 1221), BST_UNCHECKED);
    EXPECT_EQ(Text(h, 1201), u"3");
    EXPECT_EQ(pRec->dwLineNum, 2u) << "the comment's line feeds";
    EXPECT_EQ(Text(h, 1203), u"C:\\logo.bmp");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 1203)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 1204))) << "zoom is off";
    EXPECT_EQ(Text(h, 1204), u"80");
    EXPECT_EQ(Text(h, 1205), u"12") << "1/100 units rounded";
    EXPECT_EQ(Text(h, 1206), u"13");
    const FAXCOVERDLG* p = (const FAXCOVERDLG*)DlgGetBlock(h);
    EXPECT_EQ(p->lScaledX, (1249 * 5000 + 5000) / 10000);
    EXPECT_EQ(std::u16string(p->szImage), u"C:\\logo.bmp");
    EXPECT_EQ(SendDlgItemMessageW(h, 1301, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Get(u"FaxCover_A4PFix"), 1);
    EXPECT_EQ(SendDlgItemMessageW(h, 1226, CB_GETCURSEL, 0, 0), 1);
    // One switch changed: only its controls follow.
    Set(u"FaxCover_ReceiveSetup", 1);
    Set(u"FaxCover_Zoom", 1);
    EXPECT_EQ(OptionBitsUpdateControl(h, 1289), 1);
    EXPECT_EQ(IsDlgButtonChecked(h, 1289), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 1288)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 1211)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 1204))) << "1225 was not named";
    EXPECT_EQ(OptionBitsUpdateControl(h, 1225), 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 1204)));
    EXPECT_EQ(DlgStateWords(pObj)[DLGWORD_FAXCOVER_DIRTY], 0u) << "every bit is cleared when handled";
    // Without a record only the switches show.
    pObj->trailer.pListSet->pFaxCover = nullptr;
    SetDlgItemTextW(h, 1200, u"");
    Set(u"FaxCover_Subject", 0);
    EXPECT_EQ(OptionBitsUpdateControl(h, 1140), 1);
    EXPECT_EQ(IsDlgButtonChecked(h, 1210), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 1200)));
    EXPECT_EQ(Text(h, 1200), u"");
    pObj->trailer.pListSet->pFaxCover = pOwn;
    DestroyWindow(h);
}

}  // namespace
