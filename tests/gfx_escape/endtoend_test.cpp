// Escapes sent with ExtEscape on a real printer device context, as the
// user-interface library sends them, and what they make of the job.
#include "tests/gfx_escape/escfix.h"

#include "pdl/xgcmn/ordexnt/xrtext.h"
#include "platform/spooler/winspool.h"

#include <algorithm>
#include <filesystem>

namespace {

const std::string kUel = "\x1B%-12345X";

class EscapeJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallFramePrinter();
        std::error_code ec;
        std::filesystem::remove(TestRootFile("c/ports/frame.prn"), ec);
    }
    static std::vector<BYTE> OrdexDevmode()
    {
        std::vector<BYTE> dm = DefaultDevmode();
        DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
        pdm->ui.lpGraphicsMode = 2;
        pdm->ui.FontUseFlg = 1;
        return dm;
    }
};

TEST_F(EscapeJob, EndMarkerMakesTheJobEndWithTheUniversalExit)
{
    std::vector<BYTE> dm = OrdexDevmode();
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"ends", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    ASSERT_GT(StartPage(hdc), 0);
    ASSERT_GT(EndPage(hdc), 0);
    EXPECT_EQ(ExtEscape(hdc, static_cast<int>(ESCAPE_STATE_JOBEND), 0, nullptr, 0, nullptr), 1);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    std::string s = PortBytes();
    ASSERT_GT(s.size(), 2 * kUel.size());
    EXPECT_EQ(s.substr(0, kUel.size() + 5), kUel + "@PJL\n");
    EXPECT_EQ(s.substr(s.size() - kUel.size() - 5), "prn;\n" + kUel);
}

TEST_F(EscapeJob, SubstitutionPairsPrintTextInAResidentFont)
{
    std::vector<BYTE> dm = OrdexDevmode();
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    ASSERT_NE(hdc, nullptr);
    FONTSUBNODE node = {};
    std::memcpy(node.szTrueType, u"Arial", 12);
    std::memcpy(node.szDevice, u"Arial", 12);
    ASSERT_EQ(ExtEscape(hdc, static_cast<int>(ESCAPE_GEN_FONTSUBST), sizeof(node),
                        reinterpret_cast<LPCSTR>(&node), 0, nullptr),
              1);
    DOCINFOW di = {sizeof(DOCINFOW), u"fonts", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    ASSERT_GT(StartPage(hdc), 0);
    HFONT hf = CreateFontW(-100, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"Arial");
    ASSERT_NE(hf, nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hf);
    EXPECT_TRUE(TextOutW(hdc, 300, 300, u"Hello", 5));
    SelectObject(hdc, hOld);
    DeleteObject(hf);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    std::string s = PortBytes();
    // The pair defines the resident font once, before the first page draws.
    size_t nFoc = s.find("foc Arial Arial 1 W1 5;\n");
    ASSERT_NE(nFoc, std::string::npos) << s;
    size_t nFos = s.find("fos 5;\n");
    ASSERT_NE(nFos, std::string::npos) << s;
    EXPECT_LT(nFoc, nFos);
    // The characters go out as character codes of that font, not as images.
    size_t nH = s.find("txo #48 ", nFos);
    EXPECT_NE(nH, std::string::npos) << s.substr(nFos, 300);
    EXPECT_NE(s.find("txo #6F ", nH), std::string::npos);
}

// Bitmap mode: the page drawn so far goes out, and the page image is white
// again for what is drawn after it (the watermark's second pass).
TEST_F(EscapeJob, PageClearInBitmapModeFlushesAndWhitens)
{
    std::vector<BYTE> dm = DefaultDevmode();
    reinterpret_cast<DRVDEVMODE*>(dm.data())->ui.lpGraphicsMode = 1;
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, reinterpret_cast<DEVMODEW*>(dm.data()));
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"clear", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    ASSERT_GT(StartPage(hdc), 0);
    EXPECT_TRUE(PatBlt(hdc, 0, 0, 200, 200, BLACKNESS));
    {
        SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
        ASSERT_NE(pso, nullptr);
        const BYTE* pb = static_cast<const BYTE*>(pso->pvBits);
        EXPECT_LT(std::count(pb, pb + pso->cjBits, 0xFF), static_cast<long>(pso->cjBits));
        PlatGdiUnlockDCSurface(pso);
    }
    EXPECT_EQ(ExtEscape(hdc, static_cast<int>(ESCAPE_GEN_CLEARPAGE), 0, nullptr, 0, nullptr), 1);
    SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
    ASSERT_NE(pso, nullptr);
    ASSERT_NE(pso->pvBits, nullptr);
    const BYTE* pb = static_cast<const BYTE*>(pso->pvBits);
    EXPECT_EQ(std::count(pb, pb + pso->cjBits, 0xFF), static_cast<long>(pso->cjBits));
    PlatGdiUnlockDCSurface(pso);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
}

// A fax batch writes its job header with the fax document name it asks for,
// once: the first page then finds the header written.
TEST_F(EscapeJob, JobHeaderByEscapeCarriesTheGivenName)
{
    HDC hdc = CreateDCW(nullptr, FRAME_PRINTER, nullptr, nullptr);
    ASSERT_NE(hdc, nullptr);
    DOCINFOW di = {sizeof(DOCINFOW), u"application title", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    std::vector<BYTE> name = Wide(u"Batch 1", 520);
    EXPECT_EQ(ExtEscape(hdc, static_cast<int>(ESCAPE_STATE_JOBHEADER), 520,
                        reinterpret_cast<LPCSTR>(name.data()), 0, nullptr),
              1);
    ASSERT_GT(StartPage(hdc), 0);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));
    std::string s = PortBytes();
    EXPECT_NE(s.find("@PJL COMMENT Title : Batch 1 ;\n"), std::string::npos) << s.substr(0, 300);
    EXPECT_EQ(s.find("application title"), std::string::npos);
    size_t nFirst = s.find("@PJL ENTER LANGUAGE");
    ASSERT_NE(nFirst, std::string::npos);
    EXPECT_EQ(s.find("@PJL ENTER LANGUAGE", nFirst + 1), std::string::npos);
}

}  // namespace
