#include "tests/ui_dialogs/pane_fixture.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/spooler/winspool.h"
#include "tests/common/pngdump.h"
#include "tests/common/testroot.h"
#include "ui/dialogs/preview.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
const char16_t kPrinter[] = u"Preview Printer";
}

Surface::Surface(int width, int height) : w(width), h(height)
{
    hdc = CreateCompatibleDC(nullptr);
    hbm = CreateBitmap(w, h, 1, 32, nullptr);
    hOldBitmap = SelectObject(hdc, hbm);
    PatBlt(hdc, 0, 0, w, h, WHITENESS);
    LOGFONTW lf = {};
    lf.lfHeight = -11;
    lf.lfWeight = 400;
    lf.lfCharSet = 128;
    lstrcpynW(lf.lfFaceName, u"ＭＳ Ｐゴシック", 32);
    hFont = CreateFontIndirectW(&lf);
    hOldFont = SelectObject(hdc, hFont);
}

Surface::~Surface()
{
    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
    SelectObject(hdc, hOldBitmap);
    DeleteObject(hbm);
    DeleteDC(hdc);
}

Pixels Surface::Read() const
{
    Pixels p;
    p.w = w;
    p.h = h;
    p.px.resize((size_t)w * h);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    // The bitmap cannot stay selected while its bits are read.
    SelectObject(hdc, hOldBitmap);
    GetDIBits(hdc, hbm, 0, h, p.px.data(), &bi, DIB_RGB_COLORS);
    SelectObject(hdc, hbm);
    for (DWORD& v : p.px)
        v &= 0xFFFFFF;
    return p;
}

bool WritePng(const Pixels& p, const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, p.w, p.h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row((size_t)p.w * 3);
    for (int y = 0; y < p.h; ++y) {
        for (int x = 0; x < p.w; ++x) {
            DWORD v = p.at(x, y);
            row[3 * x] = (v >> 16) & 0xFF;
            row[3 * x + 1] = (v >> 8) & 0xFF;
            row[3 * x + 2] = v & 0xFF;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return true;
}

bool ReadPng(const std::string& path, Pixels* p)
{
    return TestReadPng(path, &p->w, &p->h, &p->px);
}

std::string ReferencePath(const std::string& name)
{
    // The folder of this file. A relative name is relative to the folder the
    // build compiled it in, which is as deep as the program's own folder
    // (build/tests and build/bin), whatever the current folder is.
    std::string file = __FILE__;
    if (file[0] != '/') {
        char exe[4096] = {};
        ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        std::string self = n > 0 ? std::string(exe, n) : std::string(".");
        file = self.substr(0, self.find_last_of('/')) + "/" + file;
    }
    std::string dir = file.substr(0, file.find_last_of('/'));
    return dir + "/reference/" + name + ".png";
}

void ExpectLikeReference(const Pixels& p, const std::string& name, int tolerance, double maxBadShare)
{
    WritePng(p, TestRootFile(name + ".png"));
    if (getenv("Q730_WRITE_REFERENCES")) {
        ASSERT_TRUE(WritePng(p, ReferencePath(name)));
        return;
    }
    Pixels ref;
    ASSERT_TRUE(ReadPng(ReferencePath(name), &ref)) << "no reference " << ReferencePath(name);
    ASSERT_EQ(ref.w, p.w);
    ASSERT_EQ(ref.h, p.h);
    size_t bad = 0;
    for (size_t i = 0; i < p.px.size(); ++i) {
        for (int s = 0; s < 24; s += 8) {
            int a = (p.px[i] >> s) & 0xFF, b = (ref.px[i] >> s) & 0xFF;
            if (abs(a - b) > tolerance) {
                ++bad;
                break;
            }
        }
    }
    EXPECT_LE((double)bad / p.px.size(), maxBadShare) << name << ": " << bad << " pixels differ";
}

void PaneTest::SetUp()
{
    TestNewRoot();
    ASSERT_TRUE(PlatInstallPrinter(kPrinter, u"C:\\port.prn", nullptr));
    ASSERT_NE(LoadResourceDll(), nullptr);
    POPTIONDB db = OpenOptionDb();
    ASSERT_NE(db, nullptr);
    pdb = db;
    dm.assign(DRV_DEVMODE_SIZE, 0);
    ASSERT_TRUE(InitDefaultDevmode(db, (DEVMODEW*)dm.data(), kPrinter, nullptr));
    ValidateDevmode(db, (DEVMODEW*)dm.data(), nullptr);
    ASSERT_EQ(1, CreateSettingsObject(db, &pObj, (DEVMODEW*)dm.data(), 0, kPrinter));
}

void PaneTest::TearDown()
{
    DestroySettingsObject(&pObj);
    CloseOptionDb((POPTIONDB)pdb);
    FreeResourceDll();
}

void PaneTest::Set(const char16_t* key, SHORT value)
{
    WORD id = GetParamIdOfKey(key);
    ASSERT_NE(id, 0) << "no setting for the key";
    ASSERT_TRUE(SetParamEdited(pObj, id, value));
}

SHORT PaneTest::Get(const char16_t* key)
{
    return GetPreviewSetting(pObj, key);
}
