// imagelist.cpp: image lists (a row of same-sized pictures with masks).
//
// An image list keeps its own copy of every picture as 32-bit pixels and,
// under ILC_MASK, a mask of transparent pixels; the caller's bitmaps and
// icons may be destroyed once added. Pictures come in through the public
// GDI calls (GetDIBits, DrawIconEx into a memory DC) and go out through
// them (BitBlt with the mask, then the picture), so they land in whatever
// surface the destination DC draws into.
#include "platform/comctl/ctlcommon.h"

#include "platform/windows.h"

#include <mutex>
#include <new>
#include <set>
#include <vector>

namespace {

struct IMAGE {
    std::vector<DWORD> px;     // cx * cy, top-down, 0x00RRGGBB
    std::vector<BYTE> clear;   // 1 = transparent (only under ILC_MASK)
};

struct IMAGELIST {
    int cx, cy;
    UINT flags;
    COLORREF clrBk;
    std::vector<IMAGE> images;
};

std::mutex g_lock;
std::set<IMAGELIST*> g_lists;

IMAGELIST* _Valid(HIMAGELIST h)
{
    std::lock_guard<std::mutex> lock(g_lock);
    IMAGELIST* p = reinterpret_cast<IMAGELIST*>(h);
    return g_lists.count(p) ? p : nullptr;
}

// The 32-bit top-down pixels of a bitmap; FALSE when it cannot be read.
BOOL _bReadBitmap(HBITMAP hbm, int* pcx, int* pcy, std::vector<DWORD>& px)
{
    BITMAP bm;
    if (!hbm || GetObjectW(hbm, sizeof(bm), &bm) != (int)sizeof(bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return FALSE;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    px.assign((size_t)bm.bmWidth * bm.bmHeight, 0);
    HDC hdc = CreateCompatibleDC(nullptr);
    int n = GetDIBits(hdc, hbm, 0, bm.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(hdc);
    if (n <= 0)
        return FALSE;
    for (DWORD& d : px)
        d &= 0x00FFFFFF;
    *pcx = bm.bmWidth;
    *pcy = bm.bmHeight;
    return TRUE;
}

// An icon drawn over black and over white: pixels that differ are
// transparent, the others are the icon's colour.
BOOL _bReadIcon(HICON hicon, int cx, int cy, IMAGE& img)
{
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm = CreateBitmap(cx, cy, 1, 32, nullptr);
    if (!hdc || !hbm) {
        if (hbm)
            DeleteObject(hbm);
        if (hdc)
            DeleteDC(hdc);
        return FALSE;
    }
    HGDIOBJ old = SelectObject(hdc, hbm);
    RECT rc = {0, 0, cx, cy};
    std::vector<DWORD> onBlack, onWhite;
    BOOL bOk = TRUE;
    for (int pass = 0; pass < 2 && bOk; ++pass) {
        HBRUSH hbr = CreateSolidBrush(pass == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255));
        FillRect(hdc, &rc, hbr);
        DeleteObject(hbr);
        bOk = DrawIconEx(hdc, 0, 0, hicon, cx, cy, 0, nullptr, DI_NORMAL);
        SelectObject(hdc, old);
        int w, h;
        if (bOk)
            bOk = _bReadBitmap(hbm, &w, &h, pass == 0 ? onBlack : onWhite);
        SelectObject(hdc, hbm);
    }
    SelectObject(hdc, old);
    DeleteObject(hbm);
    DeleteDC(hdc);
    if (!bOk)
        return FALSE;
    img.px.assign((size_t)cx * cy, 0);
    img.clear.assign((size_t)cx * cy, 0);
    for (size_t i = 0; i < img.px.size(); ++i) {
        if (onBlack[i] != onWhite[i])
            img.clear[i] = 1;
        else
            img.px[i] = onBlack[i];
    }
    return TRUE;
}

DWORD _Blend(DWORD a, COLORREF c)
{
    // a is 0x00RRGGBB, c a COLORREF (0x00BBGGRR).
    DWORD r = ((a >> 16 & 0xFF) + GetRValue(c)) / 2;
    DWORD g = ((a >> 8 & 0xFF) + GetGValue(c)) / 2;
    DWORD b = ((a & 0xFF) + GetBValue(c)) / 2;
    return r << 16 | g << 8 | b;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow)
{
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096 || cInitial < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    IMAGELIST* p = new (std::nothrow) IMAGELIST{cx, cy, flags, CLR_NONE, {}};
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_lock);
    g_lists.insert(p);
    return reinterpret_cast<HIMAGELIST>(p);
}

BOOL ImageList_Destroy(HIMAGELIST himl)
{
    IMAGELIST* p = _Valid(himl);
    if (!p)
        return FALSE;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_lists.erase(p);
    }
    delete p;
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl)
{
    IMAGELIST* p = _Valid(himl);
    return p ? (int)p->images.size() : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy)
{
    IMAGELIST* p = _Valid(himl);
    if (!p || !cx || !cy)
        return FALSE;
    *cx = p->cx;
    *cy = p->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask)
{
    IMAGELIST* p = _Valid(himl);
    int w, h;
    std::vector<DWORD> px, mask;
    if (!p || !_bReadBitmap(hbmImage, &w, &h, px) || h < p->cy || w < p->cx)
        return -1;
    int mw = 0, mh = 0;
    bool bMask = hbmMask && (p->flags & ILC_MASK) && _bReadBitmap(hbmMask, &mw, &mh, mask) && mw >= w && mh >= h;
    int first = (int)p->images.size();
    for (int k = 0; k + p->cx <= w; k += p->cx) {
        IMAGE img;
        img.px.resize((size_t)p->cx * p->cy);
        img.clear.assign((size_t)p->cx * p->cy, 0);
        for (int y = 0; y < p->cy; ++y) {
            for (int x = 0; x < p->cx; ++x) {
                img.px[(size_t)y * p->cx + x] = px[(size_t)y * w + k + x];
                // A white mask pixel is transparent.
                if (bMask && (mask[(size_t)y * mw + k + x] & 0xFFFFFF) == 0xFFFFFF)
                    img.clear[(size_t)y * p->cx + x] = 1;
            }
        }
        p->images.push_back(std::move(img));
    }
    return (int)p->images.size() > first ? first : -1;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon)
{
    IMAGELIST* p = _Valid(himl);
    if (!p || !hicon || i < -1 || i >= (int)p->images.size())
        return -1;
    IMAGE img;
    if (!_bReadIcon(hicon, p->cx, p->cy, img))
        return -1;
    if (!(p->flags & ILC_MASK))
        std::fill(img.clear.begin(), img.clear.end(), 0);
    if (i == -1) {
        p->images.push_back(std::move(img));
        return (int)p->images.size() - 1;
    }
    p->images[i] = std::move(img);
    return i;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i)
{
    IMAGELIST* p = _Valid(himl);
    if (!p || i < -1 || i >= (int)p->images.size())
        return FALSE;
    if (i == -1)
        p->images.clear();
    else
        p->images.erase(p->images.begin() + i);
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk)
{
    IMAGELIST* p = _Valid(himl);
    if (!p)
        return CLR_NONE;
    COLORREF old = p->clrBk;
    p->clrBk = clrBk;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl)
{
    IMAGELIST* p = _Valid(himl);
    return p ? p->clrBk : CLR_NONE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle)
{
    IMAGELIST* p = _Valid(himl);
    if (!p || !hdcDst || i < 0 || i >= (int)p->images.size())
        return FALSE;
    const IMAGE& img = p->images[i];
    bool bTransparent = (p->flags & ILC_MASK) && ((fStyle & ILD_TRANSPARENT) || p->clrBk == CLR_NONE);
    COLORREF clrBk = p->clrBk == CLR_NONE || p->clrBk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : p->clrBk;

    std::vector<DWORD> px(img.px);
    for (size_t k = 0; k < px.size(); ++k) {
        if (img.clear[k] && (p->flags & ILC_MASK))
            px[k] = bTransparent ? 0 : (DWORD)(GetRValue(clrBk) << 16 | GetGValue(clrBk) << 8 | GetBValue(clrBk));
        else if (fStyle & (ILD_BLEND25 | ILD_BLEND50))
            px[k] = _Blend(px[k], GetSysColor(COLOR_HIGHLIGHT));
    }

    HDC hdcMem = CreateCompatibleDC(hdcDst);
    if (!hdcMem)
        return FALSE;
    BOOL bOk = TRUE;
    if (bTransparent) {
        // The mask clears the picture's pixels to black, the picture
        // (black where clear) is then ORed in.
        int stride = ((p->cx + 15) / 16) * 2;
        std::vector<BYTE> bits((size_t)stride * p->cy, 0);
        for (int yy = 0; yy < p->cy; ++yy)
            for (int xx = 0; xx < p->cx; ++xx)
                if (img.clear[(size_t)yy * p->cx + xx])
                    bits[(size_t)yy * stride + xx / 8] |= (BYTE)(0x80 >> (xx % 8));
        HBITMAP hbmMask = CreateBitmap(p->cx, p->cy, 1, 1, bits.data());
        HGDIOBJ old = SelectObject(hdcMem, hbmMask);
        COLORREF oldText = SetTextColor(hdcDst, RGB(0, 0, 0));
        COLORREF oldBk = SetBkColor(hdcDst, RGB(255, 255, 255));
        bOk = BitBlt(hdcDst, x, y, p->cx, p->cy, hdcMem, 0, 0, SRCAND);
        SetTextColor(hdcDst, oldText);
        SetBkColor(hdcDst, oldBk);
        SelectObject(hdcMem, old);
        DeleteObject(hbmMask);
    }
    HBITMAP hbm = CreateBitmap(p->cx, p->cy, 1, 32, px.data());
    HGDIOBJ old = SelectObject(hdcMem, hbm);
    if (bOk)
        bOk = BitBlt(hdcDst, x, y, p->cx, p->cy, hdcMem, 0, 0, bTransparent ? SRCPAINT : SRCCOPY);
    SelectObject(hdcMem, old);
    DeleteObject(hbm);
    DeleteDC(hdcMem);
    return bOk;
}
