// What an application hands the graphics library through escapes and
// DEVMODEs, taken as hostile: nothing leaks, nothing is written past a
// block, and what cannot be trusted is refused.
#include "tests/gfx_escape/escfix.h"

#include "platform/spooler/winspool.h"

#include <filesystem>

namespace {

class HostileJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallFramePrinter();
        std::error_code ec;
        std::filesystem::remove(TestRootFile("c/ports/frame.prn"), ec);
    }
    HDC Create(const std::vector<BYTE>& dm)
    {
        return CreateDCW(nullptr, FRAME_PRINTER, nullptr, reinterpret_cast<const DEVMODEW*>(dm.data()));
    }
    static int SegmentIndex(HDC hdc, DWORD n)
    {
        return ExtEscape(hdc, static_cast<int>(ESCAPE_PAGES_SEGMENTS), 4,
                         reinterpret_cast<LPCSTR>(&n), 0, nullptr);
    }
};

// The recorded-segment store and index belong to the device context, when
// ever the application asks for them.
TEST_F(HostileJob, SegmentStoreIsFreedWhereverTheJobStands)
{
    std::vector<BYTE> dm = DefaultDevmode();
    const LONG lBefore = PlatGlobalLiveBlocks();
    const struct {
        const char* when;
        bool bBeforeDoc, bInDoc, bAbort, bAfterDoc;
    } kCases[] = {
        {"before StartDoc", true, false, false, false},
        {"in a job that is aborted", false, true, true, false},
        {"after EndDoc", false, false, false, true},
        {"before, in and after a job", true, true, false, true},
    };
    for (const auto& c : kCases) {
        HDC hdc = Create(dm);
        ASSERT_NE(hdc, nullptr);
        if (c.bBeforeDoc) {
            EXPECT_EQ(SegmentIndex(hdc, 4), 1) << c.when;
        }
        DOCINFOW di = {sizeof(DOCINFOW), u"segments", nullptr, nullptr, 0};
        ASSERT_GT(StartDocW(hdc, &di), 0);
        ASSERT_GT(StartPage(hdc), 0);
        if (c.bInDoc) {
            EXPECT_EQ(SegmentIndex(hdc, 8), 1) << c.when;
        }
        ASSERT_GT(EndPage(hdc), 0);
        if (c.bAbort)
            EXPECT_GT(AbortDoc(hdc), 0);
        else
            EXPECT_GT(EndDoc(hdc), 0);
        if (c.bAfterDoc) {
            EXPECT_EQ(SegmentIndex(hdc, 2), 1) << c.when;
        }
        EXPECT_TRUE(DeleteDC(hdc));
        EXPECT_EQ(PlatGlobalLiveBlocks(), lBefore) << c.when;
    }
}

// A saved page state that no job makes (a huge N-up scale, a fixed N-up
// geometry of a huge scale, places and sizes far off the sheet) is refused
// whole and changes nothing; text drawn after it prints as before.
TEST_F(HostileJob, PageStateOutsideWhatAJobMakesIsRefused)
{
    struct Field {
        const char* what;
        size_t off;
        LONG v;
    } const kFields[] = {
        {"N-up scale", offsetof(PDEVSTATE, lNupScale), 0x7FFFFFFF},
        {"fixed N-up geometry scale", offsetof(PDEVSTATE, abNupState) + 4, 50000000},
        {"N-up cell x", offsetof(PDEVSTATE, xNupCell), -0x40000000},
        {"printable rectangle", offsetof(PDEVSTATE, rcPrintDots) + 8, 0x7FFFFFF0},
        {"paper size in dots", offsetof(PDEVSTATE, sizePaperDots), -5},
        {"copies", offsetof(PDEVSTATE, aPublic) + 5 * 4, 30000},
        {"N-up cell frame", offsetof(PDEVSTATE, abNupState) + 20 + 8, 0x60000000},
    };
    for (const Field& f : kFields) {
        EscPdev e;
        std::vector<BYTE> st(sizeof(PDEVSTATE), 0);
        reinterpret_cast<PDEVSTATE*>(st.data())->lNupScale = 10000;
        ASSERT_EQ(e.Esc(ESCAPE_STATE_SETPDEVSTATE, st), 1u) << "a plain state is taken";
        std::memcpy(&st[f.off], &f.v, 4);
        std::vector<BYTE> before = e.Image();
        EXPECT_EQ(e.Esc(ESCAPE_STATE_SETPDEVSTATE, st), 0u) << f.what;
        EXPECT_TRUE(Diff(before, e.Image()).empty()) << f.what;
    }

    // The whole road: the hostile state sent inside a job, then text drawn
    // as glyph images on a page.
    std::vector<BYTE> dm = DefaultDevmode();
    reinterpret_cast<DRVDEVMODE*>(dm.data())->ui.lpGraphicsMode = 1;
    HDC hdc = Create(dm);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"state", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    std::vector<BYTE> st(sizeof(PDEVSTATE), 0);
    PDEVSTATE* ps = reinterpret_cast<PDEVSTATE*>(st.data());
    ps->lNupScale = 0x7FFFFFFF;
    DWORD dwFixed = 1;
    LONG lHuge = 50000000;
    std::memcpy(ps->abNupState, &dwFixed, 4);
    std::memcpy(ps->abNupState + 4, &lHuge, 4);
    EXPECT_EQ(ExtEscape(hdc, static_cast<int>(ESCAPE_STATE_SETPDEVSTATE), (int)st.size(),
                        reinterpret_cast<LPCSTR>(st.data()), 0, nullptr),
              0);
    ASSERT_GT(StartPage(hdc), 0);
    HFONT hf = CreateFontW(-200, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"Arial");
    HGDIOBJ hOld = SelectObject(hdc, hf);
    EXPECT_TRUE(TextOutW(hdc, 300, 300, u"Reduced", 7));
    SelectObject(hdc, hOld);
    DeleteObject(hf);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_EQ(PortBytes().rfind("\x1B%-12345X", 0), 0u) << "a whole job in the port file";
}

// A DEVMODE of the driver's own kind that replaces the job's mid-job is
// brought into a consistent state first, as at CreateDC: a page geometry it
// merely claims is not taken.
TEST_F(HostileJob, ReplacedJobDevmodeGetsItsGeometryFromItsPaper)
{
    EscPdev e;
    std::vector<BYTE> good(DRV_DEVMODE_SIZE);
    ASSERT_EQ(e.Esc(ESCAPE_GEN_GETDEVMODE, 0, nullptr, (ULONG)good.size(), good.data()), 1u);
    // The job's own DEVMODE sent back is what the geometry must stay.
    ASSERT_EQ(e.Esc(ESCAPE_GEN_SETDEVMODE, good), 1u);
    ASSERT_EQ(e.Esc(ESCAPE_GEN_GETDEVMODE, 0, nullptr, (ULONG)good.size(), good.data()), 1u);
    std::vector<BYTE> hostile = good;
    DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(hostile.data());
    pdm->ui.rcPrintDots = {0, 0, 0x7FFFFFF0, 0x7FFFFFF0};
    pdm->ui.sizePaperDots = {0x7FFFFFF0, -1};
    pdm->ui.rcOutPrintDots = {-0x40000000, 0, 0x40000000, 3};
    ASSERT_EQ(e.Esc(ESCAPE_GEN_SETDEVMODE, hostile), 1u);
    std::vector<BYTE> now(DRV_DEVMODE_SIZE);
    ASSERT_EQ(e.Esc(ESCAPE_GEN_GETDEVMODE, 0, nullptr, (ULONG)now.size(), now.data()), 1u);
    const DRVDEVMODE* pGood = reinterpret_cast<const DRVDEVMODE*>(good.data());
    const DRVDEVMODE* pNow = reinterpret_cast<const DRVDEVMODE*>(now.data());
    EXPECT_EQ(std::memcmp(&pNow->ui.rcPrintDots, &pGood->ui.rcPrintDots, sizeof(RECTL)), 0);
    EXPECT_EQ(std::memcmp(&pNow->ui.sizePaperDots, &pGood->ui.sizePaperDots, sizeof(SIZEL)), 0);
    EXPECT_EQ(std::memcmp(&pNow->ui.rcOutPrintDots, &pGood->ui.rcOutPrintDots, sizeof(RECTL)), 0);
}

// A DEVMODE whose size does not even cover the fields that give its size
// is refused by CreateDCW and ResetDCW; nothing is read past it.
TEST_F(HostileJob, DevmodeShorterThanItsHeaderIsRefused)
{
    const struct {
        WORD dmSize, dmDriverExtra;
    } kSizes[] = {{0, 0}, {40, 0}, {64, 4}, {68, 0}, {71, 200}};
    std::vector<BYTE> dm = DefaultDevmode();
    HDC hdcGood = Create(dm);
    ASSERT_NE(hdcGood, nullptr);
    for (const auto& c : kSizes) {
        // The application's block is exactly as long as the DEVMODE says,
        // but never shorter than the size fields themselves.
        size_t cb = std::max<size_t>((size_t)c.dmSize + c.dmDriverExtra, 72);
        std::vector<BYTE> shortDm(dm.begin(), dm.begin() + cb);
        DEVMODEW* p = reinterpret_cast<DEVMODEW*>(shortDm.data());
        p->dmSize = c.dmSize;
        p->dmDriverExtra = c.dmDriverExtra;
        SetLastError(0);
        EXPECT_EQ(Create(shortDm), nullptr) << c.dmSize << "+" << c.dmDriverExtra;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
        EXPECT_EQ(ResetDCW(hdcGood, p), nullptr);
    }
    EXPECT_TRUE(DeleteDC(hdcGood));
}

// The create-a-form mode writes the job to the file the job DEVMODE names:
// only a form file name is taken, and an existing file only when it is a
// form file itself (or empty), so an application cannot make the driver
// delete or overwrite any other file; the job then fails and the file stays.
TEST_F(HostileJob, FormFileModeTakesOnlyAFormFileName)
{
    const struct {
        const char16_t* name;
        const char* host;
        const char* before;  // null: no file there
        bool bTaken;
    } kNames[] = {
        {u"C:\\victim.txt", "c/victim.txt", "precious", false},
        {u"C:\\victim", "c/victim", "precious", false},
        {u"C:\\victim.XFO", "c/victim.XFO", "precious", false},
        {u"C:\\.xfo", "c/.xfo", "precious", false},
        {u"C:\\letterhead.xfo", "c/letterhead.xfo", "precious", false},
        {u"C:\\oldform.xfo", "c/oldform.xfo", "foc Arial Arial_Font 1 W1 0;\n", true},
        {u"C:\\empty.xfo", "c/empty.xfo", "", true},
        {u"C:\\new.xfo", "c/new.xfo", nullptr, true},
    };
    for (const auto& c : kNames) {
        std::string host = TestRootFile(c.host);
        if (c.before) {
            std::ofstream f(host, std::ios::binary | std::ios::trunc);
            f << c.before;
        }
        std::vector<BYTE> dm = DefaultDevmode();
        DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
        pdm->ui.lpOverlay = 2;
        std::memset(pdm->ui.szOverlayName, 0, sizeof(pdm->ui.szOverlayName));
        std::memcpy(pdm->ui.szOverlayName, c.name,
                    std::char_traits<char16_t>::length(c.name) * sizeof(char16_t));
        HDC hdc = Create(dm);
        ASSERT_NE(hdc, nullptr);
        DOCINFOW di = {sizeof(DOCINFOW), u"form", nullptr, nullptr, 0};
        bool bPrinted = StartDocW(hdc, &di) > 0 && StartPage(hdc) > 0 &&
                        PatBlt(hdc, 10, 10, 100, 100, BLACKNESS) && EndPage(hdc) > 0 &&
                        EndDoc(hdc) > 0;
        if (!bPrinted)
            AbortDoc(hdc);
        EXPECT_TRUE(DeleteDC(hdc));
        EXPECT_EQ(bPrinted, c.bTaken) << c.host;
        if (c.bTaken)
            EXPECT_NE(ReadHostFile(host), c.before ? c.before : "") << c.host;
        else
            EXPECT_EQ(ReadHostFile(host), c.before) << c.host;
    }
}

}  // namespace
