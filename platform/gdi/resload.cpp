// resload.cpp: turning image resources into GDI bitmaps, icons and cursors.
//
// A resource is a packed DIB (resource.h). It is checked against its own
// size before any pixel is read, so a damaged resource gives null, not a
// read past its end. Bitmaps are made with CreateBitmap from rows converted
// here, so that their depth does not depend on any device context.
#include "platform/gdi/resload.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/resource.h"

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
    p->own = _SystemDib(bArrow);
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
