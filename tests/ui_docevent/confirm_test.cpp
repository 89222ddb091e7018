// Confirmations at STARTDOCPOST, the form-file check at STARTDOC, and the
// platform's message boxes they go through.
#include "tests/ui_docevent/fakegfx.h"

#include "ui/driverui/docevent_store.h"

namespace {

struct Confirm : DocEventTest {
    void Setup(int iMethod, DWORD dwSecure, DWORD dwBox, BYTE bHide, WORD wOwner, LPCWSTR pszPassword)
    {
        ENVEXTRA& env = fake.Job()->env;
        env.lpOutputMethod = static_cast<BYTE>(iMethod);
        env.UnDisplayPassword_Check = bHide;
        env.Password_Check = 0;
        env.POD_Check = 0;
        // Packed fields at odd offsets: written bytewise.
        memset(env.szUserID, 0, sizeof(env.szUserID));
        memcpy(env.szUserID, u"U42", 6);
        memset(env.szBoxNumber, 0, sizeof(env.szBoxNumber));
        memcpy(env.szBoxNumber, u"7", 2);
        WCHAR szStored[12] = {};
        ScramblePassword(pszPassword, szStored);
        memcpy(env.szPassword, szStored, sizeof(env.szPassword));
        memcpy(fake.work.data() + WA_SECURE_FLAG, &dwSecure, 4);
        memcpy(fake.work.data() + WA_BOX_FLAG, &dwBox, 4);
        memcpy(fake.work.data() + WA_OWNER_COMPARE, &wOwner, 2);
    }
};

TEST_F(Confirm, SecureAndBoxTextsShowOrHideThePassword)
{
    const struct {
        int iMethod;
        DWORD dwSecure, dwBox;
        BYTE bHide;
        WORD wOwner;
        LPCWSTR pszPassword;
        const char16_t* pszCaption;  // null: no box
        std::u16string text;
    } kCases[] = {
        {2, 1, 0, 0, 0, u"abcde", u"<32008>", u"<32009><32010>U42<32011>abcde<32001>"},
        {2, 1, 0, 1, 0, u"abcde", u"<32008>", u"<32009><32010>U42<32011>*****<32001>"},
        {2, 1, 0, 0, 1, u"abc", u"<32008>", u"<32009><32010>U42<32011>***<32001>"},
        {2, 1, 0, 1, 0, u"", u"<32008>", u"<32009><32010>U42<32011><21006><32001>"},
        {3, 0, 1, 0, 0, u"pw", u"<32012>", u"<32013><32014><32016>U42<32017>7<32018>pw<32001>"},
        {4, 0, 1, 0, 0, u"pw", u"<32012>", u"<32013><32015><32016>U42<32017>7<32018>pw<32001>"},
        // The graphics library did not ask for a confirmation.
        {2, 0, 0, 0, 0, u"pw", nullptr, u""},
        {3, 0, 0, 0, 0, u"pw", nullptr, u""},
        {1, 1, 1, 0, 0, u"pw", nullptr, u""},
    };
    for (const auto& c : kCases) {
        PlatMsgBoxReset();
        Setup(c.iMethod, c.dwSecure, c.dwBox, c.bHide, c.wOwner, c.pszPassword);
        EXPECT_EQ(DocEventConfirmOutput(hPrinter, hdc, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr), 1);
        if (!c.pszCaption) {
            EXPECT_EQ(PlatMsgBoxCount(), 0) << c.iMethod;
            continue;
        }
        ASSERT_EQ(PlatMsgBoxCount(), 1) << c.iMethod;
        EXPECT_EQ(BoxCaption(0), c.pszCaption);
        // The format "<32009>" takes the user ID but has no place for it.
        EXPECT_EQ(BoxText(0), c.text);
        EXPECT_EQ(BoxStyle(0), static_cast<UINT>(MB_ICONQUESTION | MB_OKCANCEL));
    }
}

TEST_F(Confirm, CancelSuppressesOutputAndAsksNothingMore)
{
    Setup(2, 1, 0, 0, 0, u"pw");
    fake.Job()->env.Password_Check = 1;  // would ask the same again
    fake.Job()->env.POD_Check = 1;
    fake.Job()->env.JobComb_Check = 1;
    DWORD dwDisk = 1;
    memcpy(fake.work.data() + WA_HARDDISK_FLAG, &dwDisk, 4);

    const struct {
        int iAnswer;
        int nBoxes;
        bool bSuppressed;
    } kCases[] = {
        {IDOK, 3, false},
        {IDCANCEL, 1, true},
    };
    for (const auto& c : kCases) {
        PlatMsgBoxReset();
        fake.calls.clear();
        for (int i = 0; i < 3; ++i) PlatMsgBoxPushAnswer(c.iAnswer);
        EXPECT_EQ(DocEventConfirmOutput(hPrinter, hdc, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr), 1);
        EXPECT_EQ(PlatMsgBoxCount(), c.nBoxes);
        const ESCCALL* pSuppress = fake.Find(ESC_SUPPRESS_OUTPUT);
        EXPECT_EQ(pSuppress != nullptr, c.bSuppressed);
        if (pSuppress) {
            EXPECT_EQ(pSuppress->in, std::vector<BYTE>{1});
            EXPECT_NE(fake.Find(ESC_DROP_OVERLAY), nullptr);
        }
    }
    // The hard-disk box names the unit in its caption and text.
    PlatMsgBoxReset();
    Setup(1, 0, 0, 0, 0, u"pw");
    fake.Job()->env.POD_Check = 1;
    fake.Job()->env.lpJobMode = 1;
    memcpy(fake.Job()->env.szJobID, u"J1", 6);
    DocEventConfirmOutput(hPrinter, hdc, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr);
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(BoxCaption(0), u"HV-208<32021>");
    EXPECT_EQ(BoxText(0), u"\nHV-208<32023><32024><32026>J1<32027>pw<32001>");
}

TEST_F(Confirm, AFailedSuppressFailsTheEvent)
{
    Setup(2, 1, 0, 0, 0, u"pw");
    PlatMsgBoxPushAnswer(IDCANCEL);
    fake.dwFailCode = ESC_DROP_OVERLAY;
    EXPECT_EQ(DocEventConfirmOutput(hPrinter, hdc, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr), -1);
    EXPECT_EQ(GetResourceDllHandle(), nullptr);
}

TEST_F(Confirm, TimerJobSendsItsDateAndShowsNoEmptyBox)
{
    fake.Job()->env.lpOutputMethod = 5;
    DWORD dwTimer = 1;
    memcpy(fake.work.data() + WA_TIMER_FLAG, &dwTimer, 4);
    SYSTEMTIME now = {};
    now.wYear = 2008, now.wMonth = 2, now.wDay = 28, now.wHour = 9, now.wMinute = 0;
    PlatSetLocalTime(&now);
    // The receiver of 0x6FFFFC01 fills words 3 and 4 (hour, minute): 08:00.
    struct TimerFake {
        static int Esc(HDC h, int code, int cbIn, LPCSTR in, int cbOut, LPSTR out)
        {
            int r = FakeEscape(h, code, cbIn, in, cbOut, out);
            if (static_cast<DWORD>(code) == ESC_TIMER && cbOut == 10 && out) {
                WORD aw[5] = {0, 0, 0, 8, 0};
                memcpy(out, aw, 10);
            }
            return r;
        }
    };
    DocEventSetEscapeProc(TimerFake::Esc);
    EXPECT_EQ(DocEventConfirmOutput(hPrinter, hdc, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr), 1);
    PlatSetLocalTime(nullptr);
    const ESCCALL* p = fake.Find(ESC_TIMED_JOB_DATE);
    ASSERT_NE(p, nullptr);
    WORD aw[5];
    ASSERT_EQ(p->in.size(), 10u);
    memcpy(aw, p->in.data(), 10);
    EXPECT_EQ(std::vector<WORD>(aw, aw + 5), (std::vector<WORD>{2008, 2, 29, 8, 0}));
    // All five timer words of the work area are 0: nothing to confirm.
    EXPECT_EQ(PlatMsgBoxCount(), 0);
}

TEST_F(Confirm, CaptureOffStillReachesTheConfirmations)
{
    Setup(2, 1, 0, 0, 0, u"pw");
    fake.work[WA_CAPTURE_ON] = 0;
    fake.Job()->env.InterSheet_Check = 0;
    EXPECT_EQ(Event(DOCUMENTEVENT_STARTDOCPOST), 1);
    EXPECT_EQ(PlatMsgBoxCount(), 1);
}

TEST(SendDate, NextDayFollowsTheCalendar)
{
    const struct {
        WORD y, m, d, h, min;
        int iHour, iMinute;
        WORD expect[3];
    } kCases[] = {
        {2026, 12, 31, 0, 0, 23, 59, {2026, 12, 31}},
        {2026, 12, 31, 23, 59, 23, 59, {2026, 12, 31}},
        {2008, 2, 28, 9, 0, 8, 0, {2008, 2, 29}},
        {2009, 2, 28, 9, 0, 8, 0, {2009, 3, 1}},
        {2026, 12, 31, 9, 0, 8, 0, {2027, 1, 1}},
        {2026, 4, 30, 9, 0, 8, 59, {2026, 5, 1}},
        {2100, 2, 28, 9, 0, 8, 0, {2100, 3, 1}},
        {2000, 2, 28, 9, 0, 8, 0, {2000, 2, 29}},
    };
    for (const auto& c : kCases) {
        SYSTEMTIME now = {};
        now.wYear = c.y, now.wMonth = c.m, now.wDay = c.d, now.wHour = c.h, now.wMinute = c.min;
        WORD aw[5];
        NextSendDate(c.iHour, c.iMinute, &now, aw);
        EXPECT_EQ(std::vector<WORD>(aw, aw + 5),
                  (std::vector<WORD>{c.expect[0], c.expect[1], c.expect[2], (WORD)c.iHour, (WORD)c.iMinute}))
            << c.y << "-" << c.m << "-" << c.d;
    }
}

// --- the form file -----------------------------------------------------------

struct FormFile : DocEventTest {
    std::u16string Write(const std::string& name, const std::string& bytes)
    {
        std::u16string win = u"C:\\forms\\" + std::u16string(name.begin(), name.end());
        CreateDirectoryW(u"C:\\forms", nullptr);
        HANDLE h = CreateFileW(win.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        DWORD cb = 0;
        if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &cb, nullptr);
        CloseHandle(h);
        return win;
    }
};

TEST_F(FormFile, SniffClassesByFirstBytes)
{
    const struct {
        const char* name;
        std::string bytes;
        BYTE bClass;
    } kCases[] = {
        {"a.frm", "foc 1234", 0},
        {"b.frm", "org %!", 0},
        {"c.frm", std::string("\x1b&f16Y...", 9), 1},
        {"d.frm", ") HP-PCL XL;2;0", 2},
        {"e.frm", "foc", 255},          // too short for its signature
        {"f.frm", ") HP-PCL X", 255},   // cut inside the signature
        {"g.frm", "", 255},
        {"h.frm", "%!PS-Adobe", 255},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(SniffFormFilePdl(Write(c.name, c.bytes).c_str()), c.bClass) << c.name;
    EXPECT_EQ(SniffFormFilePdl(u"C:\\forms\\missing.frm"), 255);
    // A form another job holds open for reading is still readable.
    std::u16string path = Write("shared.frm", "org %x");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(SniffFormFilePdl(path.c_str()), 0);
    CloseHandle(h);
}

TEST_F(FormFile, AFormThatDoesNotFitTheJobSuppressesItsOutput)
{
    std::u16string orgFile = Write("org.frm", "org %1");
    std::u16string xlFile = Write("xl.frm", ") HP-PCL XL;2;0;");
    const struct {
        const std::u16string* pPath;
        BYTE bPdl;
        bool bFits;
    } kCases[] = {
        {&orgFile, 0, true}, {&orgFile, 3, false}, {&xlFile, 2, true},  {&xlFile, 3, true},
        {&xlFile, 1, false}, {nullptr, 0, false},  {nullptr, 3, false},
    };
    const std::u16string missing = u"C:\\forms\\gone.frm";
    for (const auto& c : kCases) {
        PlatMsgBoxReset();
        fake.calls.clear();
        UIEXTRA& ui = fake.Job()->ui;
        ui.lpOverlay = 3;
        ui.lpGraphicsMode = 1;
        ui.lpPDLType = c.bPdl;
        memset(ui.szOverlayName, 0, sizeof(ui.szOverlayName));
        const std::u16string& path = c.pPath ? *c.pPath : missing;
        lstrcpynW(ui.szOverlayName, path.c_str(), 130);
        EXPECT_EQ(DocEventCheckFormFile(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
        EXPECT_EQ(PlatMsgBoxCount(), c.bFits ? 0 : 1) << (int)c.bPdl;
        EXPECT_EQ(fake.Find(ESC_SUPPRESS_OUTPUT) != nullptr, !c.bFits);
        EXPECT_EQ(fake.Find(ESC_DROP_OVERLAY) != nullptr, !c.bFits);
        if (!c.bFits) {
            EXPECT_EQ(BoxCaption(0), u"<29510>");
            EXPECT_EQ(BoxStyle(0), static_cast<UINT>(MB_ICONINFORMATION));
        }
    }
}

TEST_F(FormFile, FormCreationInVectorModeIsRefused)
{
    UIEXTRA& ui = fake.Job()->ui;
    ui.lpOverlay = 2;
    ui.lpPDLType = 1;
    ui.lpGraphicsMode = 2;
    EXPECT_EQ(DocEventCheckFormFile(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
    ASSERT_EQ(PlatMsgBoxCount(), 1);
    EXPECT_EQ(BoxText(0), u"<29546>");
    EXPECT_EQ(BoxCaption(0), u"<29511>");
    EXPECT_NE(fake.Find(ESC_SUPPRESS_OUTPUT), nullptr);
}

TEST(MessageBox, ScriptedAnswersThenTheDefaultButton)
{
    PlatMsgBoxReset();
    const struct {
        UINT uType;
        int iExpected;
    } kDefaults[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, IDOK},
        {MB_YESNO, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {0x0F, 0},  // no such button set
    };
    for (const auto& c : kDefaults) EXPECT_EQ(MessageBoxW(nullptr, u"t", u"c", c.uType), c.iExpected) << c.uType;
    PlatMsgBoxPushAnswer(IDCANCEL);
    PlatMsgBoxPushAnswer(IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"one", u"cap", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(7), u"two", nullptr, MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"three", u"cap", MB_OKCANCEL), IDOK);
    int n = PlatMsgBoxCount();
    ASSERT_EQ(n, 8);  // the unknown button set is not shown
    HWND hWnd = nullptr;
    LPCWSTR pszText = nullptr, pszCaption = nullptr;
    UINT uType = 0;
    ASSERT_TRUE(PlatMsgBoxGet(6, &hWnd, &pszText, &pszCaption, &uType));
    EXPECT_EQ(hWnd, reinterpret_cast<HWND>(7));
    EXPECT_EQ(std::u16string(pszText), u"two");
    EXPECT_EQ(std::u16string(pszCaption), u"Error");
    EXPECT_EQ(uType, static_cast<UINT>(MB_YESNO));
    EXPECT_FALSE(PlatMsgBoxGet(8, nullptr, nullptr, nullptr, nullptr));
    PlatMsgBoxReset();
}

}  // namespace
