// resload.cpp: turning image resources into GDI bitmaps, icons and cursors.
//
// A resource is a packed DIB (resource.h). It is checked against its own
// size before any pixel is read, so a damaged resource gives null, not a
// read past its end. Bitmaps are made with CreateBitmap from rows converted
// here, so that their depth does not depend on any device context.
#include "platform/gdi/resload.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/resource.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace {

const DWORD PLATICON_MAGIC = 0x4E4F4349;  // "ICON"
const COLORREF KEY_COLOUR = RGB(255, 0, 255);

// What an HICON / HCURSOR points to.
struct PLATICON {
    DWORD dwMagic;           // PLATICON_MAGIC while alive
    BOOL fIcon;              // icon or cursor
    DWORD xHotspot;          // hot spot
    DWORD yHotspot;
    const BYTE* pDib;        // the packed DIB it is drawn from
    DWORD cbDib;             // its size
    bool bShared;            // a platform icon: never destroyed
    WORD wSharedId;          // its IDI_ / IDC_ number
    std::vector<BYTE> own;   // the DIB of a platform icon
};

// A checked view of a packed DIB.
struct DIBVIEW {
    LONG cx;
    LONG cy;
    bool bBottomUp;
    WORD cBits;
    const RGBQUAD* pColors;
    DWORD cColors;
    const BYTE* pBits;
    LONG cbRow;
};

std::mutex g_lock;
std::set<PLATICON*> g_icons;

bool _ParseDib(const BYTE* p, DWORD cb, DIBVIEW* v)
{
    if (!p || cb < sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER h;
    memcpy(&h, p, sizeof(h));
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > cb || h.biPlanes != 1 || h.biCompression != BI_RGB ||
        h.biWidth <= 0 || h.biWidth > 0x7FFF || h.biHeight == 0 || h.biHeight > 0x7FFF || h.biHeight < -0x7FFF)
        return false;
    if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 24 && h.biBitCount != 32)
        return false;
    v->cx = h.biWidth;
    v->cy = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    v->bBottomUp = h.biHeight > 0;
    v->cBits = h.biBitCount;
    v->cColors = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
    if (v->cColors > 256)
        return false;
    DWORD offColors = h.biSize;
    DWORD offBits = offColors + v->cColors * sizeof(RGBQUAD);
    v->cbRow = (v->cx * v->cBits + 31) / 32 * 4;
    if (offBits > cb || (ULONGLONG)v->cbRow * v->cy > cb - offBits)
        return false;
    v->pColors = reinterpret_cast<const RGBQUAD*>(p + offColors);
    v->pBits = p + offBits;
    return true;
}

// Pixel (x, y), top row 0, as 0x00BBGGRR.
COLORREF _Pixel(const DIBVIEW& v, LONG x, LONG y)
{
    const BYTE* row = v.pBits + (size_t)(v.bBottomUp ? v.cy - 1 - y : y) * v.cbRow;
    DWORD index;
    switch (v.cBits) {
    case 1:
        index = (row[x >> 3] >> (7 - (x & 7))) & 1;
        break;
    case 4:
        index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
        break;
    case 8:
        index = row[x];
        break;
    case 24:
        return RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    default:
        return RGB(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
    }
    if (index >= v.cColors)
        return 0;
    return RGB(v.pColors[index].rgbRed, v.pColors[index].rgbGreen, v.pColors[index].rgbBlue);
}

bool _IsLight(COLORREF c)
{
    return (5 * GetRValue(c) + 9 * GetGValue(c) + 2 * GetBValue(c)) / 16 >= 128;
}

// Which pixels an icon or cursor leaves transparent (rule 2 of the header).
bool _Transparent(const DIBVIEW& v, COLORREF c, bool bCursor)
{
    return c == KEY_COLOUR || (bCursor && v.cBits == 1 && _IsLight(c));
}

// Makes a bitmap of the DIB's size; pixel(x, y) gives each colour.
template <typename PIXEL>
HBITMAP _MakeBitmap(LONG cx, LONG cy, bool bMono, PIXEL pixel)
{
    UINT cBits = bMono ? 1 : 24;
    LONG stride = (cx * (LONG)cBits + 15) / 16 * 2;
    std::vector<BYTE> bits((size_t)stride * cy, 0);
    for (LONG y = 0; y < cy; ++y) {
        BYTE* row = bits.data() + (size_t)y * stride;
        for (LONG x = 0; x < cx; ++x) {
            COLORREF c = pixel(x, y);
            if (bMono) {
                if (_IsLight(c))
                    row[x >> 3] |= (BYTE)(0x80u >> (x & 7));
            } else {
                row[x * 3] = GetBValue(c);
                row[x * 3 + 1] = GetGValue(c);
                row[x * 3 + 2] = GetRValue(c);
            }
        }
    }
    return CreateBitmap(cx, cy, 1, cBits, bits.data());
}

const PLATRESENTRY* _FindImage(HINSTANCE hInstance, LPCWSTR lpName, LPCWSTR lpType)
{
    HRSRC hRes = FindResourceW(hInstance, lpName, lpType);
    return reinterpret_cast<const PLATRESENTRY*>(hRes);
}

PLATICON* _Icon(HICON h)
{
    PLATICON* p = reinterpret_cast<PLATICON*>(h);
    std::lock_guard<std::mutex> lock(g_lock);
    if (!p || !g_icons.count(p) || p->dwMagic != PLATICON_MAGIC)
        return nullptr;
    return p;
}

// A packed 1-bit DIB of 32 x 32 drawn by rows of text: '#' black, '.'
// white, ' ' transparent (key colour is not available in 1 bit: the cursor
// rule makes white transparent, so the outline is black on white).
std::vector<BYTE> _SystemDib(bool bArrow)
{
    const LONG n = 32;
    std::vector<BYTE> dib(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD) + 4 * n, 0);
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof(h);
    h.biWidth = n;
    h.biHeight = n;
    h.biPlanes = 1;
    h.biBitCount = 1;
    h.biCompression = BI_RGB;
    h.biClrUsed = 2;
    memcpy(dib.data(), &h, sizeof(h));
    RGBQUAD white = {255, 255, 255, 0};
    memcpy(dib.data() + sizeof(h) + sizeof(RGBQUAD), &white, sizeof(white));
    BYTE* bits = dib.data() + sizeof(h) + 2 * sizeof(RGBQUAD);
    for (LONG y = 0; y < n; ++y) {
        BYTE* row = bits + (n - 1 - y) * 4;  // bottom-up
        for (LONG x = 0; x < n; ++x) {
            // arrow: a right triangle from the top-left corner; other shapes: a
            // framed square
            bool black = bArrow ? (y < 20 && x <= y / 2 + 1) : (x == 4 || x == 27 || y == 4 || y == 27);
            if (!black)
                row[x >> 3] |= (BYTE)(0x80u >> (x & 7));
        }
    }
    return dib;
}

// The pictures of the platform's message-box icons, 32 x 32, drawn here
// from simple shapes: each sample point of a pixel is either outside the
// picture or of one colour, and a pixel is opaque when most of its samples
// are, of their mean colour.
enum { ICONSHAPE_ERROR, ICONSHAPE_QUESTION, ICONSHAPE_WARNING, ICONSHAPE_INFORMATION, ICONSHAPE_WINDOW };

// Distance from (x, y) to the segment (ax, ay)-(bx, by).
double _SegmentDistance(double x, double y, double ax, double ay, double bx, double by)
{
    double dx = bx - ax, dy = by - ay;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    double ex = x - (ax + t * dx), ey = y - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

// The colour of one sample point (x, y in pixels from the top-left corner)
// of a shape; false outside it.
bool _IconSample(int shape, double x, double y, COLORREF* pc)
{
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    if (shape == ICONSHAPE_WINDOW) {
        // A window: a frame, a blue title bar and a white client.
        if (x < 2 || x >= 30 || y < 4 || y >= 28)
            return false;
        bool bFrame = x < 3 || x >= 29 || y < 5 || y >= 27;
        *pc = bFrame ? RGB(64, 64, 64) : y < 10 ? RGB(10, 36, 106) : white;
        return true;
    }
    if (shape == ICONSHAPE_WARNING) {
        // A yellow triangle with a dark rim, an exclamation mark inside.
        const double top = 2.5, bottom = 29.5, half = 14.5, cx = 16;
        if (y < top || y > bottom)
            return false;
        double w = half * (y - top) / (bottom - top);
        if (std::fabs(x - cx) > w)
            return false;
        // Distance to the slanted sides, roughly, for the rim.
        double side = (w - std::fabs(x - cx)) * (bottom - top) / std::sqrt((bottom - top) * (bottom - top) + half * half);
        bool bRim = side < 1.5 || bottom - y < 1.5;
        bool bBar = _SegmentDistance(x, y, cx, 11, cx, 20.5) < 1.9;
        bool bDot = _SegmentDistance(x, y, cx, 25, cx, 25) < 2.0;
        *pc = bRim ? RGB(112, 88, 0) : (bBar || bDot) ? black : RGB(255, 204, 0);
        return true;
    }
    // A round sign: red with a white cross (error), blue with a white
    // question mark or a white "i".
    const double cx = 16, cy = 16, r = 14.5;
    double dx = x - cx, dy = y - cy, d = std::sqrt(dx * dx + dy * dy);
    if (d > r)
        return false;
    COLORREF fill = shape == ICONSHAPE_ERROR ? RGB(208, 32, 32) : RGB(32, 88, 200);
    COLORREF rim = shape == ICONSHAPE_ERROR ? RGB(112, 0, 0) : RGB(0, 40, 120);
    bool bMark = false;
    if (shape == ICONSHAPE_ERROR) {
        bMark = _SegmentDistance(x, y, 10.5, 10.5, 21.5, 21.5) < 2.0 ||
                _SegmentDistance(x, y, 21.5, 10.5, 10.5, 21.5) < 2.0;
    } else if (shape == ICONSHAPE_INFORMATION) {
        bMark = _SegmentDistance(x, y, cx, 14, cx, 23.5) < 1.9 || _SegmentDistance(x, y, cx, 9, cx, 9) < 2.1;
    } else {
        // The question mark: an open arc, a short stem and a dot.
        double ax = x - cx, ay = y - 12.5, ad = std::sqrt(ax * ax + ay * ay);
        double angle = std::atan2(ay, ax) * 180.0 / 3.14159265358979;  // 0 right, 90 down
        bool bArc = std::fabs(ad - 4.8) < 1.8 && (angle < 75 || angle > 170);
        bMark = bArc || _SegmentDistance(x, y, cx + 1.2, 17.2, cx, 19.5) < 1.8 ||
                _SegmentDistance(x, y, cx, 24.5, cx, 24.5) < 2.0;
    }
    *pc = d > r - 1.3 ? rim : bMark ? white : fill;
    return true;
}

// A packed 24-bit DIB of 32 x 32 of a shape; the key colour where the
// picture is not.
std::vector<BYTE> _IconDib(int shape)
{
    const LONG n = 32, cbRow = n * 3;
    std::vector<BYTE> dib(sizeof(BITMAPINFOHEADER) + cbRow * n, 0);
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof(h);
    h.biWidth = n;
    h.biHeight = n;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    memcpy(dib.data(), &h, sizeof(h));
    BYTE* bits = dib.data() + sizeof(h);
    const int k = 4;  // samples per pixel along each side
    for (LONG y = 0; y < n; ++y) {
        BYTE* row = bits + (n - 1 - y) * cbRow;  // bottom-up
        for (LONG x = 0; x < n; ++x) {
            int cIn = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < k; ++sy) {
                for (int sx = 0; sx < k; ++sx) {
                    COLORREF c;
                    if (_IconSample(shape, x + (sx + 0.5) / k, y + (sy + 0.5) / k, &c)) {
                        ++cIn;
                        r += GetRValue(c);
                        g += GetGValue(c);
                        b += GetBValue(c);
                    }
                }
            }
            COLORREF c = KEY_COLOUR;
            if (cIn * 2 >= k * k) {
                c = RGB(r / cIn, g / cIn, b / cIn);
                if (c == KEY_COLOUR)
                    c = RGB(254, 0, 255);
            }
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    return dib;
}

PLATICON* _Shared(bool bIcon, WORD id)
{
    static std::mutex s_lock;
    static std::vector<std::unique_ptr<PLATICON>> s_icons;  // freed at exit
    std::lock_guard<std::mutex> lock(s_lock);
    for (const auto& q : s_icons)
        if ((bool)q->fIcon == bIcon && q->wSharedId == id)
            return q.get();
    PLATICON* p = new PLATICON;
    p->dwMagic = PLATICON_MAGIC;
    p->fIcon = bIcon;
    bool bArrow = !bIcon && id == 32512;
    if (bIcon) {
        // IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK; the
        // application and the others are a window.
        int shape = id == 32513 ? ICONSHAPE_ERROR : id == 32514 ? ICONSHAPE_QUESTION
                    : id == 32515 ? ICONSHAPE_WARNING : id == 32516 ? ICONSHAPE_INFORMATION : ICONSHAPE_WINDOW;
        p->own = _IconDib(shape);
    } else {
        p->own = _SystemDib(bArrow);
    }
    p->pDib = p->own.data();
    p->cbDib = (DWORD)p->own.size();
    p->bShared = true;
    p->wSharedId = id;
    // The arrow points from its top-left corner; the others from their centre.
    p->xHotspot = bArrow ? 0 : 16;
    p->yHotspot = bArrow ? 0 : 16;
    s_icons.emplace_back(p);
    {
        std::lock_guard<std::mutex> lk(g_lock);
        g_icons.insert(p);
    }
    return p;
}

HICON _LoadIconOrCursor(HINSTANCE hInstance, LPCWSTR lpName, bool bIcon)
{
    if (!hInstance) {
        WORD id = LOWORD(lpName);
        if (!IS_INTRESOURCE(lpName) || id < 32512 || id > 32651) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        return reinterpret_cast<HICON>(_Shared(bIcon, id));
    }
    const PLATRESENTRY* e = _FindImage(hInstance, lpName, bIcon ? RT_ICON : RT_CURSOR);
    if (!e)
        return nullptr;
    DIBVIEW v;
    if (!_ParseDib(static_cast<const BYTE*>(e->pData), e->cbData, &v)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    PLATICON* p = new PLATICON;
    p->dwMagic = PLATICON_MAGIC;
    p->fIcon = bIcon;
    p->xHotspot = (DWORD)v.cx / 2;
    p->yHotspot = (DWORD)v.cy / 2;
    p->pDib = static_cast<const BYTE*>(e->pData);
    p->cbDib = e->cbData;
    p->bShared = false;
    p->wSharedId = 0;
    std::lock_guard<std::mutex> lock(g_lock);
    g_icons.insert(p);
    return reinterpret_cast<HICON>(p);
}

BOOL _Destroy(HICON h)
{
    PLATICON* p = _Icon(h);
    if (!p) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (p->bShared)
        return TRUE;
    std::lock_guard<std::mutex> lock(g_lock);
    g_icons.erase(p);
    p->dwMagic = 0;
    delete p;
    return TRUE;
}

}  // namespace

HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName)
{
    if (!hInstance) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const PLATRESENTRY* e = _FindImage(hInstance, lpBitmapName, RT_BITMAP);
    if (!e)
        return nullptr;
    DIBVIEW v;
    if (!_ParseDib(static_cast<const BYTE*>(e->pData), e->cbData, &v)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return _MakeBitmap(v.cx, v.cy, v.cBits == 1, [&](LONG x, LONG y) { return _Pixel(v, x, y); });
}

HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName)
{
    return _LoadIconOrCursor(hInstance, lpIconName, true);
}

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName)
{
    return _LoadIconOrCursor(hInstance, lpCursorName, false);
}

BOOL GetIconInfo(HICON hIcon, PICONINFO piconinfo)
{
    PLATICON* p = _Icon(hIcon);
    if (!p || !piconinfo) {
        SetLastError(p ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DIBVIEW v;
    if (!_ParseDib(p->pDib, p->cbDib, &v)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool bCursor = !p->fIcon;
    HBITMAP hbmMask = _MakeBitmap(v.cx, v.cy, true, [&](LONG x, LONG y) {
        return _Transparent(v, _Pixel(v, x, y), bCursor) ? RGB(255, 255, 255) : RGB(0, 0, 0);
    });
    HBITMAP hbmColor = _MakeBitmap(v.cx, v.cy, false, [&](LONG x, LONG y) {
        COLORREF c = _Pixel(v, x, y);
        return _Transparent(v, c, bCursor) ? RGB(0, 0, 0) : c;
    });
    if (!hbmMask || !hbmColor) {
        if (hbmMask)
            DeleteObject(hbmMask);
        if (hbmColor)
            DeleteObject(hbmColor);
        return FALSE;
    }
    piconinfo->fIcon = p->fIcon;
    piconinfo->xHotspot = p->xHotspot;
    piconinfo->yHotspot = p->yHotspot;
    piconinfo->hbmMask = hbmMask;
    piconinfo->hbmColor = hbmColor;
    return TRUE;
}

BOOL DestroyIcon(HICON hIcon)
{
    return _Destroy(hIcon);
}

BOOL DestroyCursor(HCURSOR hCursor)
{
    return _Destroy(hCursor);
}

LONG PlatLiveIcons()
{
    std::lock_guard<std::mutex> lock(g_lock);
    LONG n = 0;
    for (PLATICON* p : g_icons)
        if (!p->bShared)
            ++n;
    return n;
}
