// Whole jobs compared byte for byte with the streams recorded in golden/:
// the sample document and a text file through q730, and an image job drawn
// in this process through the application-side GDI. Work that makes the
// driver faster must leave every byte of every job where it was.
//
// A change that means to alter a stream regenerates the recordings:
//   Q730_UPDATE_GOLDEN=1 build/bin/test_tools_q730 --gtest_filter='StreamIdentity.*'
// then review the difference of the golden files before committing them.
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/settings/devmode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string GoldenPath(const std::string& name)
{
    return std::string(Q730_GOLDEN_DIR) + "/" + name;
}

void ExpectSameAsRecorded(const std::string& name, const std::string& job)
{
    ASSERT_FALSE(job.empty()) << name << ": the job wrote nothing";
    std::string actual = JobWithoutUserName(job);
    if (getenv("Q730_UPDATE_GOLDEN")) {
        std::ofstream(GoldenPath(name), std::ios::binary) << actual;
        return;
    }
    std::string expected = Slurp(GoldenPath(name));
    ASSERT_FALSE(expected.empty()) << "no recording " << GoldenPath(name)
                                   << " (Q730_UPDATE_GOLDEN=1 makes it)";
    if (actual == expected)
        return;
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    std::string kept = TestRootFile(name);
    std::ofstream(kept, std::ios::binary) << actual;
    size_t from = at > 200 ? at - 200 : 0;
    ADD_FAILURE() << name << ": " << actual.size() << " bytes against " << expected.size()
                  << " recorded, first difference at byte " << at << " (the job is kept in "
                  << kept << ")\nrecorded: " << expected.substr(from, 300)
                  << "\nprinted:  " << actual.substr(from, 300);
}

int RunQ730(const std::string& args)
{
    std::string cmd = "cd '" + TestRootPath() + "' && Q730_ROOT='" + TestRootPath() + "' '" +
                      PlatGetProgramDir() + "/q730' " + args + " >/dev/null 2>'" +
                      TestRootFile("q730.err") + "'";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StreamIdentity, SampleDocument)
{
    TestNewRoot();
    ASSERT_EQ(RunQ730("print --output job.prn"), 0) << Slurp(TestRootFile("q730.err"));
    ExpectSameAsRecorded("sample.prn", Slurp(TestRootFile("job.prn")));
}

TEST(StreamIdentity, TextFile)
{
    TestNewRoot();
    // Tabs, a wrapped long line, blank lines, a form feed, and more lines
    // than one page holds.
    std::string text = "Quarterly report\n\n\tindented by a tab\tand another\n" +
                       std::string(150, '=') + "\n";
    for (int i = 0; i < 90; ++i)
        text += "line " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog\n";
    text += "\fafter a form feed {}[]()<>;:\\ ~\n";
    std::ofstream(TestRootFile("report.txt"), std::ios::binary) << text;
    ASSERT_EQ(RunQ730("print --output job.prn report.txt"), 0) << Slurp(TestRootFile("q730.err"));
    ExpectSameAsRecorded("text.prn", Slurp(TestRootFile("job.prn")));
}

// The printer's job DEVMODE with the given graphics mode (1 bitmap, 2 ORDEX).
std::vector<BYTE> JobDevmode(HANDLE hPrinter, BYTE bGraphicsMode)
{
    LONG cb = DocumentPropertiesW(NULL, hPrinter, (LPWSTR)u"QX-730", NULL, NULL, 0);
    std::vector<BYTE> dm(cb > 0 ? cb : 0);
    if (cb <= 0 || DocumentPropertiesW(NULL, hPrinter, (LPWSTR)u"QX-730",
                                       (DEVMODEW*)dm.data(), NULL, DM_OUT_BUFFER) != 1)
        return std::vector<BYTE>();
    reinterpret_cast<DRVDEVMODE*>(dm.data())->ui.lpGraphicsMode = bGraphicsMode;
    return dm;
}

// A grey DIB of cx x cy, 8 bits with a 256-grey palette, rows bottom-up:
// a diagonal ramp with a checked square in it.
struct GreyDib {
    std::vector<BYTE> info, bits;
    GreyDib(LONG cx, LONG cy)
        : info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0),
          bits((size_t)((cx + 3) & ~3) * cy, 0)
    {
        BITMAPINFO* pbmi = reinterpret_cast<BITMAPINFO*>(info.data());
        pbmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        pbmi->bmiHeader.biWidth = cx;
        pbmi->bmiHeader.biHeight = cy;
        pbmi->bmiHeader.biPlanes = 1;
        pbmi->bmiHeader.biBitCount = 8;
        pbmi->bmiHeader.biClrUsed = 256;
        for (int i = 0; i < 256; ++i)
            pbmi->bmiColors[i] = RGBQUAD{(BYTE)i, (BYTE)i, (BYTE)i, 0};
        LONG stride = (cx + 3) & ~3;
        for (LONG y = 0; y < cy; ++y)
            for (LONG x = 0; x < cx; ++x) {
                BOOL bCheck = x > cx / 3 && x < cx / 2 && y > cy / 3 && y < cy / 2;
                bits[(size_t)y * stride + x] =
                    bCheck ? (((x / 4 + y / 4) & 1) ? 0 : 255) : (BYTE)((x + y) * 255 / (cx + cy));
            }
    }
    const BITMAPINFO* bmi() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

// A one-bit DIB of stripes, white and black palette, rows bottom-up.
struct MonoDib {
    std::vector<BYTE> info, bits;
    MonoDib(LONG cx, LONG cy)
        : info(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD), 0),
          bits((size_t)(((cx + 31) / 32) * 4) * cy, 0)
    {
        BITMAPINFO* pbmi = reinterpret_cast<BITMAPINFO*>(info.data());
        pbmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        pbmi->bmiHeader.biWidth = cx;
        pbmi->bmiHeader.biHeight = cy;
        pbmi->bmiHeader.biPlanes = 1;
        pbmi->bmiHeader.biBitCount = 1;
        pbmi->bmiColors[0] = RGBQUAD{0, 0, 0, 0};
        pbmi->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
        LONG stride = ((cx + 31) / 32) * 4;
        for (LONG y = 0; y < cy; ++y)
            for (LONG x = 0; x < cx; ++x)
                if (((x + 2 * y) / 5) % 3)
                    bits[(size_t)y * stride + x / 8] |= (BYTE)(0x80 >> (x % 8));
    }
    const BITMAPINFO* bmi() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

// A job of one page of images in each graphics mode: grey and one-bit DIBs copied
// and stretched, and a line of text over them.
TEST(StreamIdentity, ImageJob)
{
    TestNewRoot();
    // q730 installs and initialises the printer in this root.
    ASSERT_EQ(RunQ730("print --output first.prn"), 0) << Slurp(TestRootFile("q730.err"));
    HANDLE hPrinter = NULL;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)u"QX-730", &hPrinter, NULL));
    std::vector<BYTE> dmOrdex = JobDevmode(hPrinter, 2), dmBitmap = JobDevmode(hPrinter, 1);
    ClosePrinter(hPrinter);
    ASSERT_FALSE(dmOrdex.empty());

    GreyDib grey(300, 200);
    MonoDib mono(257, 120);
    struct { const std::vector<BYTE>* pdm; const char* pszGolden; } jobs[] = {
        {&dmOrdex, "images.prn"}, {&dmBitmap, "images-bitmap.prn"}};
    for (const auto& job : jobs) {
        HDC hdc = CreateDCW(NULL, u"QX-730", NULL, (const DEVMODEW*)job.pdm->data());
        ASSERT_NE(hdc, nullptr);
        std::u16string out = u"C:\\images.prn";
        DeleteFileW(out.c_str());
        DOCINFOW di = {sizeof(DOCINFOW), u"image job", out.c_str(), nullptr, 0};
        ASSERT_GT(StartDocW(hdc, &di), 0);
        ASSERT_GT(StartPage(hdc), 0);
        EXPECT_GT(SetDIBitsToDevice(hdc, 200, 300, 300, 200, 0, 0, 0, 200, grey.bits.data(),
                                    grey.bmi(), DIB_RGB_COLORS), 0);
        EXPECT_GT(StretchDIBits(hdc, 700, 300, 1500, 1000, 0, 0, 300, 200, grey.bits.data(),
                                grey.bmi(), DIB_RGB_COLORS, SRCCOPY), 0);
        EXPECT_GT(StretchDIBits(hdc, 200, 1500, 771, 360, 0, 0, 257, 120, mono.bits.data(),
                                mono.bmi(), DIB_RGB_COLORS, SRCCOPY), 0);
        EXPECT_GT(SetDIBitsToDevice(hdc, 1200, 1500, 257, 120, 0, 0, 0, 120, mono.bits.data(),
                                    mono.bmi(), DIB_RGB_COLORS), 0);
        EXPECT_TRUE(TextOutW(hdc, 250, 350, (LPCWSTR)u"Over the image", 14));
        ASSERT_GT(EndPage(hdc), 0);
        ASSERT_GT(EndDoc(hdc), 0);
        EXPECT_TRUE(DeleteDC(hdc));
        ExpectSameAsRecorded(job.pszGolden, Slurp(PlatHostPath(out.c_str())));
    }
}

}  // namespace
