// Whole jobs through the application-side GDI on the test printer: a
// bitmap-mode page reaches the port file as image commands whose decoded
// rows hold what was drawn, and a small DIB stretched onto an ORDEX-mode
// page goes out as a scaled 8-bit image.
#include "tests/gfx_pageflow/pageflow_fixture.h"

#include <algorithm>

namespace {

// One image of the port file: its place, depth, size and rows (top row
// first, decoded when coded).
struct PortImage {
    LONG x = 0, y = 0;
    int nBits = 0;
    LONG cx = 0, cy = 0, cbRow = 0;
    std::vector<std::vector<BYTE>> rows;
};

// Undoes the per-row run-length coding; FALSE on malformed data.
BOOL UnpackRow(const BYTE*& p, const BYTE* pEnd, LONG cbRow, std::vector<BYTE>* pRow)
{
    pRow->clear();
    while ((LONG)pRow->size() < cbRow) {
        if (p >= pEnd)
            return FALSE;
        signed char h = static_cast<signed char>(*p++);
        if (h >= 0) {
            if (pEnd - p < h + 1)
                return FALSE;
            pRow->insert(pRow->end(), p, p + h + 1);
            p += h + 1;
        } else if (h != -128) {
            if (p >= pEnd)
                return FALSE;
            pRow->insert(pRow->end(), (size_t)(1 - h), *p++);
        }
    }
    return (LONG)pRow->size() == cbRow;
}

std::vector<PortImage> ParseImages(const std::string& s)
{
    std::vector<PortImage> out;
    for (size_t at = s.find("mta "); at != std::string::npos; at = s.find("mta ", at + 1)) {
        PortImage im;
        char kind[4] = {};
        int cbHead = 0;
        long a[6] = {};
        const char* p = s.c_str() + at;
        if (sscanf(p, "mta %ld %ld;\n%3s %d", &a[0], &a[1], kind, &im.nBits) != 4)
            continue;
        im.x = a[0];
        im.y = a[1];
        long cxD = 0, cyD = 0, cbData = 0;
        std::string k = kind;
        if (k == "imm" || k == "imt") {
            if (sscanf(p, "mta %*d %*d;\n%*s %*d %ld %ld %ld %ld <!%n", &a[2], &a[3], &a[4],
                       &cbData, &cbHead) != 4)
                continue;
        } else if (k == "bmm" || k == "bmt") {
            if (sscanf(p, "mta %*d %*d;\n%*s %*d %ld %ld %ld %ld %ld %ld <!%n", &a[2], &a[3],
                       &cxD, &cyD, &a[4], &cbData, &cbHead) != 6)
                continue;
        } else {
            continue;
        }
        im.cx = a[2];
        im.cy = a[3];
        im.cbRow = a[4];
        const BYTE* pb = reinterpret_cast<const BYTE*>(p) + cbHead;
        const BYTE* pEnd = pb + cbData;
        if (pEnd > reinterpret_cast<const BYTE*>(s.data() + s.size()))
            continue;
        BOOL bCoded = k[2] == 't';
        for (LONG r = 0; r < im.cy; ++r) {
            std::vector<BYTE> row;
            if (bCoded) {
                if (!UnpackRow(pb, pEnd, im.cbRow, &row))
                    break;
            } else {
                row.assign(pb, pb + im.cbRow);
                pb += im.cbRow;
            }
            im.rows.push_back(row);
        }
        out.push_back(im);
    }
    return out;
}

// Ink at page pixel (x, y) of the images that cover it: a 1 bit, or a
// density above half; -1 when no image covers it.
int InkAt(const std::vector<PortImage>& images, LONG x, LONG y)
{
    int ink = -1;
    for (const PortImage& im : images) {
        if (x < im.x || y < im.y || x >= im.x + im.cx || y >= im.y + im.cy ||
            (LONG)im.rows.size() != im.cy)
            continue;
        const std::vector<BYTE>& row = im.rows[(size_t)(y - im.y)];
        LONG i = x - im.x;
        ink = im.nBits == 1 ? (row[(size_t)i / 8] >> (7 - i % 8)) & 1 : row[(size_t)i] > 127;
    }
    return ink;
}

class ImageJob : public FlowPrinter {};

TEST_F(ImageJob, BitmapModePageGoesOutAsImages)
{
    std::vector<BYTE> dm = FlowDefaultDevmode();
    AsDrv(dm)->ui.lpGraphicsMode = 1;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    ASSERT_TRUE(StartDocNamed(hdc, u"bitmap page"));
    ASSERT_GT(StartPage(hdc), 0);
    ASSERT_TRUE(PatBlt(hdc, 100, 120, 200, 50, BLACKNESS));
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));

    std::string port = ReadFlowPort();
    EXPECT_NE(port.find("rop 3 #88;\n"), std::string::npos);
    std::vector<PortImage> images = ParseImages(port);
    ASSERT_FALSE(images.empty()) << port.substr(0, 2000);
    for (const PortImage& im : images)
        ASSERT_EQ((LONG)im.rows.size(), im.cy) << "image at " << im.x << "," << im.y;
    EXPECT_EQ(InkAt(images, 150, 140), 1);
    EXPECT_EQ(InkAt(images, 100, 120), 1);
    EXPECT_EQ(InkAt(images, 299, 169), 1);
    EXPECT_EQ(InkAt(images, 99, 140), 0);
    EXPECT_EQ(InkAt(images, 300, 140), 0);
    EXPECT_EQ(InkAt(images, 150, 170), 0);
    EXPECT_EQ(InkAt(images, 1000, 1000), 0);
    EXPECT_EQ(CountOf(port, "prn;\n"), 1u);
}

// The ink of a rectangle of the page, row by row ('1' ink, '0' none, '?'
// nothing covers it).
std::string InkMask(const std::vector<PortImage>& images, LONG x, LONG y, LONG cx, LONG cy)
{
    std::string s;
    for (LONG j = 0; j < cy; j++) {
        for (LONG i = 0; i < cx; i++) {
            int ink = InkAt(images, x + i, y + j);
            s += ink < 0 ? '?' : static_cast<char>('0' + ink);
        }
        s += '\n';
    }
    return s;
}

// A colour page in bitmap mode is drawn band by band: text in every band,
// and text across a band's edge, comes out whole, the same as the text drawn
// in the first band.
TEST_F(ImageJob, BandedColourPageHasItsTextInEveryBand)
{
    for (SHORT nOrient : {SHORT(DMORIENT_PORTRAIT), SHORT(DMORIENT_LANDSCAPE)}) {
        SCOPED_TRACE(nOrient);
        DeleteFileW(FLOW_PORT);
        std::vector<BYTE> dm = FlowDefaultDevmode();
        DRVDEVMODE* pdm = AsDrv(dm);
        pdm->ui.lpGraphicsMode = 1;
        pdm->dm.dmColor = DMCOLOR_COLOR;
        pdm->ui.dmMirror.dmColor = DMCOLOR_COLOR;
        pdm->dm.dmOrientation = nOrient;
        pdm->ui.dmMirror.dmOrientation = nOrient;
        HDC hdc = OpenDC(dm);
        ASSERT_NE(hdc, nullptr);
        PDEV* pPDev = PdevOf(hdc);
        BOOL bBanding = FALSE;
        ASSERT_TRUE(PlatEngQuerySurface(PdevHsurf(pPDev), nullptr, &bBanding));
        ASSERT_TRUE(bBanding);
        SURFOBJ* pso = PlatGdiLockDCSurface(hdc);
        ASSERT_NE(pso, nullptr);
        LONG cyBand = pso->sizlBitmap.cy;
        PlatGdiUnlockDCSurface(pso);
        LONG cyPage = pPDev->cyPage;
        ASSERT_GT(cyPage, 2 * cyBand);

        HFONT hfont = CreateFontW(-90, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
        HGDIOBJ hOldFont = SelectObject(hdc, hfont);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, RGB(0, 0, 0));
        const char16_t* psz = u"Band 8";
        SIZE sz = {};
        ASSERT_TRUE(GetTextExtentPoint32W(hdc, psz, 6, &sz));
        ASSERT_GT(sz.cx, 0);
        ASSERT_GT(sz.cy, 0);
        // The first band's text, then one inside each band and one across
        // each band's top edge.
        std::vector<POINT> at = {{100, 100}};
        for (LONG y = cyBand; y + sz.cy < cyPage; y += cyBand) {
            if (y + 100 + sz.cy < cyPage)
                at.push_back({100, y + 100});
            at.push_back({900, y - sz.cy / 2});
        }
        ASSERT_TRUE(StartDocNamed(hdc, u"banded text"));
        ASSERT_GT(StartPage(hdc), 0);
        for (const POINT& pt : at)
            ASSERT_TRUE(TextOutW(hdc, pt.x, pt.y, psz, 6));
        ASSERT_GT(EndPage(hdc), 0);
        ASSERT_GT(EndDoc(hdc), 0);
        SelectObject(hdc, hOldFont);
        DeleteObject(hfont);
        EXPECT_TRUE(DeleteDC(hdc));

        std::vector<PortImage> images = ParseImages(ReadFlowPort());
        ASSERT_FALSE(images.empty());
        std::string ref = InkMask(images, at[0].x, at[0].y, sz.cx, sz.cy);
        EXPECT_GT(std::count(ref.begin(), ref.end(), '1'), 200);
        EXPECT_EQ(std::count(ref.begin(), ref.end(), '?'), 0);
        for (size_t i = 1; i < at.size(); i++)
            EXPECT_EQ(InkMask(images, at[i].x, at[i].y, sz.cx, sz.cy), ref)
                << "text at " << at[i].x << "," << at[i].y << ", bands of " << cyBand;
    }
}

TEST_F(ImageJob, StretchedDibOnAnOrdexPage)
{
    std::vector<BYTE> dm = FlowDefaultDevmode();
    AsDrv(dm)->ui.lpGraphicsMode = 2;
    HDC hdc = OpenDC(dm);
    ASSERT_NE(hdc, nullptr);
    // 2 x 2, 24 bits, bottom-up: the top row white then red, the bottom row
    // black then white; rows padded to 4 bytes.
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 2;
    bmi.bmiHeader.biHeight = 2;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    const BYTE abBits[16] = {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0,
                             0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0, 0};
    ASSERT_TRUE(StartDocNamed(hdc, u"dib"));
    ASSERT_GT(StartPage(hdc), 0);
    EXPECT_EQ(StretchDIBits(hdc, 300, 400, 20, 20, 0, 0, 2, 2, abBits, &bmi, DIB_RGB_COLORS,
                            SRCCOPY),
              2);
    ASSERT_GT(EndPage(hdc), 0);
    ASSERT_GT(EndDoc(hdc), 0);
    EXPECT_TRUE(DeleteDC(hdc));

    std::string port = ReadFlowPort();
    size_t at = port.find("mta 300 400;\nbmm 8 2 2 20 20 2 4 <!");
    ASSERT_NE(at, std::string::npos) << port.substr(0, 3000);
    std::vector<PortImage> images = ParseImages(port.substr(at));
    ASSERT_EQ(images.size(), 1u);
    ASSERT_EQ(images[0].rows.size(), 2u);
    const std::vector<BYTE>& top = images[0].rows[0];
    const std::vector<BYTE>& bottom = images[0].rows[1];
    // White no ink, black the most, red in between, whatever the tone curve.
    EXPECT_EQ(top[0], 0);
    EXPECT_EQ(bottom[1], 0);
    EXPECT_GT(top[1], top[0]);
    EXPECT_GT(bottom[0], top[1]);
    // Written raw: four coded bytes per row would be longer.
    const std::string head = "mta 300 400;\nbmm 8 2 2 20 20 2 4 <!";
    EXPECT_EQ(port.substr(at + head.size() + 4, 4), "!>;\n");
}

}  // namespace
