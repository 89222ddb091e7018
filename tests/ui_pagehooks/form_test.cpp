// The first page's form (overlay) check and prompt.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/ui_docevent/fakegfx.h"
#include "ui/driverui/pagehooks.h"
#include "ui/settings/listset.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"

namespace {

const UINT kPromptStyle = MB_YESNOCANCEL | MB_ICONQUESTION;

// Stores the user's form prompts: record 2 asks before a listed form is
// printed. Its format carries a directive that is not "%s".
void StoreFormPrompts(LPCWSTR pszPrinter, LPCWSTR pszPrintFormat)
{
    FORMLIST* p = CreateFormList();
    ASSERT_NE(p, nullptr);
    lstrcpynW(p->pCaptions[1].szMessage, u"Create %s?", 278);
    p->pCaptions[1].dwStyle = MB_OK;
    lstrcpynW(p->pCaptions[2].szMessage, pszPrintFormat, 278);
    p->pCaptions[2].dwStyle = kPromptStyle;
    REGTREESET t = {};
    BuildRegTreeTables(&t);
    EXPECT_TRUE(RegTreeWalkList(p, &t, FEATURE_FORM, pszPrinter, RTW_STORE));
    FreeRegTreeTables(&t);
    FreeFormList(&p);
}

const WCHAR kFormPath[] = u"C:\\forms\\letter.xfo";

struct FormHook : DocEventTest {
    void SetUp() override
    {
        DocEventTest::SetUp();
        StoreFormPrompts(kDocPrinter, u"Print with %s (%d%%)?");
        CreateDirectoryW(u"C:\\forms", nullptr);
        DRVDEVMODE* pdm = fake.Dm();
        pdm->ui.lpOverlay = 3;
        pdm->ui.bOverlayIndex = 4;
        pdm->ui.OverlayPrompt = 1;
        lstrcpynW(pdm->ui.szOverlayName, kFormPath, 130);
        fake.iPageCounter = 0;
    }
    void WriteForm(DWORD cb)
    {
        HANDLE h = CreateFileW(kFormPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        std::vector<BYTE> v(cb, 'f');
        DWORD cbDone = 0;
        WriteFile(h, v.data(), cb, &cbDone, nullptr);
        CloseHandle(h);
    }
    void StartPageHook() { DocEventPageHooks(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr); }
    // The DEVMODE the hook sent back, or null.
    const DRVDEVMODE* SentBack()
    {
        const ESCCALL* p = fake.Find(ESC_SET_DEVMODE);
        if (!p || p->in.size() != DRV_DEVMODE_SIZE) return nullptr;
        return reinterpret_cast<const DRVDEVMODE*>(p->in.data());
    }
    static DWORD FormSize(const DRVDEVMODE* pdm)
    {
        DWORD dw;
        memcpy(&dw, reinterpret_cast<const BYTE*>(pdm) + 1402, 4);
        return dw;
    }
};

TEST_F(FormHook, OnlyTheFirstPageIsChecked)
{
    fake.iPageCounter = 1;
    StartPageHook();
    EXPECT_EQ(fake.Codes(), std::vector<DWORD>{ESC_PAGE_COUNTER});
    EXPECT_EQ(PlatMsgBoxCount(), 0);
}

TEST_F(FormHook, AMissingFormFileIsDroppedWithoutAPrompt)
{
    StartPageHook();
    const DRVDEVMODE* p = SentBack();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ui.lpOverlay, 1);
    EXPECT_EQ(p->ui.bOverlayIndex, 0);
    EXPECT_EQ(p->ui.szOverlayName[0], 0);
    EXPECT_EQ(FormSize(p), 0u);
    EXPECT_EQ(PlatMsgBoxCount(), 0);
}

struct AnswerCase {
    int iAnswer;
    BYTE bOverlay, bIndex;
};

TEST_F(FormHook, ThePromptNamesTheFileAndItsAnswerDecidesTheForm)
{
    WriteForm(1234);
    const AnswerCase kCases[] = {{IDYES, 3, 4}, {IDNO, 1, 0}, {IDCANCEL, 1, 0}};
    for (const AnswerCase& c : kCases) {
        fake.calls.clear();
        PlatMsgBoxReset();
        PlatMsgBoxPushAnswer(c.iAnswer);
        StartPageHook();
        ASSERT_EQ(PlatMsgBoxCount(), 1);
        // The stored format's other directive is shown as it stands.
        EXPECT_EQ(BoxText(0), u"Print with letter.xfo (%d%)?");
        EXPECT_EQ(BoxCaption(0), std::u16string(kFormPath));
        EXPECT_EQ(BoxStyle(0), kPromptStyle);
        const DRVDEVMODE* p = SentBack();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->ui.lpOverlay, c.bOverlay) << c.iAnswer;
        EXPECT_EQ(p->ui.bOverlayIndex, c.bIndex) << c.iAnswer;
        EXPECT_EQ(FormSize(p), 1234u);
        EXPECT_EQ(std::u16string(p->ui.szOverlayName), std::u16string(kFormPath));
    }
}

TEST_F(FormHook, WithoutThePromptSwitchOrAStoredPromptNobodyIsAsked)
{
    WriteForm(10);
    fake.Dm()->ui.OverlayPrompt = 0;
    StartPageHook();
    EXPECT_EQ(PlatMsgBoxCount(), 0);
    ASSERT_NE(SentBack(), nullptr);
    EXPECT_EQ(FormSize(SentBack()), 10u);

    fake.calls.clear();
    fake.Dm()->ui.OverlayPrompt = 1;
    StoreFormPrompts(kDocPrinter, u"");
    StartPageHook();
    EXPECT_EQ(PlatMsgBoxCount(), 0);
    ASSERT_NE(SentBack(), nullptr);
    EXPECT_EQ(SentBack()->ui.lpOverlay, 3);
}

TEST_F(FormHook, NothingIsSentBackWithoutAFormOrWithoutAReadDevmode)
{
    fake.Dm()->ui.lpOverlay = 1;
    StartPageHook();
    EXPECT_EQ(fake.Find(ESC_SET_DEVMODE), nullptr);

    fake.calls.clear();
    fake.Dm()->ui.lpOverlay = 3;
    fake.dwFailCode = ESC_GET_DEVMODE;
    StartPageHook();
    EXPECT_EQ(fake.Find(ESC_SET_DEVMODE), nullptr);
    EXPECT_EQ(PlatMsgBoxCount(), 0);
}

TEST(FormPrompt, TheCreateModeHasItsOwnPrompt)
{
    TestNewRoot();
    ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Prompt", u"C:\\ports\\p.prn", nullptr));
    StoreFormPrompts(u"QX-730 Prompt", u"Print %s?");
    DRVDEVMODE dm;
    memset(&dm, 0, sizeof(dm));
    dm.ui.lpOverlay = 2;
    lstrcpynW(dm.ui.szOverlayName, u"D:\\new form.xfo", 130);
    FORMPROMPT prompt;
    ASSERT_TRUE(FormatFormPrompt(&dm, u"QX-730 Prompt", &prompt));
    EXPECT_EQ(std::u16string(prompt.szText), u"Create new form.xfo?");
    EXPECT_EQ(prompt.uStyle, static_cast<UINT>(MB_OK));
    dm.ui.lpOverlay = 1;
    EXPECT_FALSE(FormatFormPrompt(&dm, u"QX-730 Prompt", &prompt));
}

// The prompts a printer starts with ask what their Yes and No answer:
// each is a question naming the form.
TEST(FormPrompt, TheDefaultPromptsAreQuestionsForTheirYesNoButtons)
{
    TestNewRoot();
    ASSERT_TRUE(PlatInstallPrinter(u"QX-730 Prompt", u"C:\\ports\\p.prn", nullptr));
    // The user's form list as a new user's sheet stores it.
    HMODULE hRes = LoadResourceDll();
    ASSERT_NE(hRes, nullptr);
    FORMLIST* p = CreateFormList();
    ASSERT_NE(p, nullptr);
    SetDefaultFormList(p);
    REGTREESET t = {};
    BuildRegTreeTables(&t);
    EXPECT_TRUE(RegTreeWalkList(p, &t, FEATURE_FORM, u"QX-730 Prompt", RTW_STORE));
    FreeRegTreeTables(&t);
    FreeFormList(&p);
    DRVDEVMODE dm;
    memset(&dm, 0, sizeof(dm));
    lstrcpynW(dm.ui.szOverlayName, u"D:\\forms\\letter.xfo", 130);
    for (BYTE bMode : {(BYTE)2, (BYTE)3}) {
        dm.ui.lpOverlay = bMode;
        FORMPROMPT prompt;
        ASSERT_TRUE(FormatFormPrompt(&dm, u"QX-730 Prompt", &prompt)) << (int)bMode;
        std::u16string text = prompt.szText;
        EXPECT_EQ(prompt.uStyle & MB_TYPEMASK, static_cast<UINT>(MB_YESNO)) << (int)bMode;
        EXPECT_NE(text.find(u"letter.xfo"), std::u16string::npos) << (int)bMode;
        EXPECT_NE(text.find(u'?'), std::u16string::npos) << (int)bMode;
    }
    FreeResourceDll();
}

}  // namespace
