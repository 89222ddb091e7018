// pngdump.cpp: surfaces as PNG pictures (libpng), grey for one-bit pages and
// RGB for the others.
#include "tests/common/pngdump.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

BOOL TestWritePng(SURFOBJ* pso, const std::string& hostPath)
{
    if (!pso || !pso->pvScan0)
        return FALSE;
    ULONG iFormat = pso->iBitmapFormat;
    if (iFormat != BMF_1BPP && iFormat != BMF_8BPP && iFormat != BMF_24BPP && iFormat != BMF_32BPP)
        return FALSE;
    FILE* f = std::fopen(hostPath.c_str(), "wb");
    if (!f)
        return FALSE;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return FALSE;
    }
    LONG cx = pso->sizlBitmap.cx, cy = pso->sizlBitmap.cy;
    png_init_io(png, f);
    png_set_IHDR(png, info, cx, cy, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(cx) * 3);
    for (LONG y = 0; y < cy; y++) {
        const BYTE* p = static_cast<const BYTE*>(pso->pvScan0) + static_cast<ptrdiff_t>(y) * pso->lDelta;
        for (LONG x = 0; x < cx; x++) {
            BYTE r, g, b;
            if (iFormat == BMF_1BPP) {
                r = g = b = (p[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            } else if (iFormat == BMF_8BPP) {
                r = g = b = p[x];
            } else {
                const BYTE* q = p + x * (iFormat == BMF_24BPP ? 3 : 4);
                b = q[0];
                g = q[1];
                r = q[2];
            }
            row[x * 3] = r;
            row[x * 3 + 1] = g;
            row[x * 3 + 2] = b;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

void TestDumpPng(SURFOBJ* pso, const std::string& name)
{
    const char* pszDir = std::getenv("Q730_TEST_PNG_DIR");
    if (pszDir && *pszDir)
        TestWritePng(pso, std::string(pszDir) + "/" + name + ".png");
}

bool TestReadPng(const std::string& hostPath, int* pcx, int* pcy, std::vector<DWORD>* ppx)
{
    FILE* f = std::fopen(hostPath.c_str(), "rb");
    if (!f)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_strip_alpha(png);
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    const int cx = (int)png_get_image_width(png, info), cy = (int)png_get_image_height(png, info);
    ppx->assign((size_t)cx * cy, 0);
    std::vector<png_byte> row(png_get_rowbytes(png, info));
    for (int y = 0; y < cy; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < cx; ++x)
            (*ppx)[(size_t)y * cx + x] = (DWORD)row[3 * x] << 16 | (DWORD)row[3 * x + 1] << 8 | row[3 * x + 2];
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    *pcx = cx;
    *pcy = cy;
    return true;
}
