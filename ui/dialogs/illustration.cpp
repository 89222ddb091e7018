// illustration.cpp: illustrations and the image-quality sample. See
// illustration.h.
#include "ui/dialogs/illustration.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/gdi/resload.h"
#include "ui/settings/strcache.h"

#include <algorithm>
#include <cstring>

namespace {

HBITMAP _Load(HMODULE hModule, WORD wId)
{
    return wId && hModule ? LoadResBitmap(hModule, MAKEINTRESOURCEW(wId)) : nullptr;
}

BOOL _Size(HBITMAP hbm, SIZE* pSize)
{
    BITMAP bm;
    if (!hbm || GetObjectW(hbm, sizeof(bm), &bm) != sizeof(bm))
        return FALSE;
    pSize->cx = bm.bmWidth;
    pSize->cy = bm.bmHeight;
    return TRUE;
}

BOOL _BlitPart(HDC hdc, HBITMAP hbm, int x, int y, int w, int h, int xs, int ys, DWORD dwRop)
{
    HDC hMem = CreateCompatibleDC(hdc);
    if (!hMem)
        return FALSE;
    HGDIOBJ hOld = SelectObject(hMem, hbm);
    BOOL b = BitBlt(hdc, x, y, w, h, hMem, xs, ys, dwRop);
    SelectObject(hMem, hOld);
    DeleteDC(hMem);
    return b;
}

// One axis of the clipping: the picture at p with extent n against the
// update range [lo, hi).
bool _Clip1(int p, int n, int lo, int hi, int* pDst, int* pN, int* pSrc)
{
    *pSrc = 0;
    if (lo < p) {
        if (p >= hi)
            return false;
        *pDst = p;
        *pN = p + n >= hi ? hi - p : n;
        return true;
    }
    if (p + n < lo)
        return false;
    *pSrc = lo - p;
    *pDst = lo;
    *pN = p + n < hi ? n - *pSrc : hi - lo;
    return *pN > 0;
}

// The tint layer: destination = (tint AND colour) OR (NOT tint AND
// destination), built from plain blits on a colour plate so that no brush
// is involved (the platform keeps a DC's realised brush by its address).
BOOL _PaintTint(HDC hdc, HBITMAP hbmTint, COLORREF cr, int x, int y, int w, int h, int xs, int ys)
{
    HDC hTint = CreateCompatibleDC(hdc);
    HDC hPlate = CreateCompatibleDC(hdc);
    HBITMAP hbmPlate = CreateBitmap(w, h, 1, 32, nullptr);
    BOOL bOk = hTint && hPlate && hbmPlate;
    if (bOk) {
        HGDIOBJ hOldTint = SelectObject(hTint, hbmTint);
        HGDIOBJ hOldPlate = SelectObject(hPlate, hbmPlate);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = 1;
        bi.bmiHeader.biHeight = 1;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        DWORD px = (DWORD)GetRValue(cr) << 16 | (DWORD)GetGValue(cr) << 8 | GetBValue(cr);
        StretchDIBits(hPlate, 0, 0, w, h, 0, 0, 1, 1, &px, &bi, DIB_RGB_COLORS, SRCCOPY);
        BitBlt(hPlate, 0, 0, w, h, hTint, xs, ys, SRCAND);         // colour where the tint is white
        BitBlt(hdc, x, y, w, h, hTint, xs, ys, 0x00220326);        // destination AND NOT tint
        BitBlt(hdc, x, y, w, h, hPlate, 0, 0, SRCPAINT);
        SelectObject(hTint, hOldTint);
        SelectObject(hPlate, hOldPlate);
    }
    if (hbmPlate)
        DeleteObject(hbmPlate);
    if (hPlate)
        DeleteDC(hPlate);
    if (hTint)
        DeleteDC(hTint);
    return bOk;
}

}  // namespace

HGLOBAL CreateIllustrationAt(HMODULE hModule, HWND hwndOwner, const RECT* prcAnchor, WORD wPictureId,
                             WORD wMaskId, WORD wTintId, COLORREF crTint, SHORT dx, SHORT dy)
{
    if (!wPictureId || !prcAnchor)
        return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ILLUSTRATION));
    if (!h)
        return nullptr;
    ILLUSTRATION* p = (ILLUSTRATION*)GlobalLock(h);
    if (!p) {
        GlobalFree(h);
        return nullptr;
    }
    p->hModule = hModule;
    p->hwndOwner = hwndOwner;
    p->rcAnchor = {prcAnchor->left + dx, prcAnchor->top + dy, prcAnchor->right + dx, prcAnchor->bottom + dy};
    p->hbmPicture = _Load(hModule, wPictureId);
    p->hbmMask = _Load(hModule, wMaskId);
    p->hbmTint = _Load(hModule, wTintId);
    p->crTint = crTint;
    p->wDx = (WORD)dx;
    p->wDy = (WORD)dy;
    GlobalUnlock(h);
    return h;
}

void DestroyIllustration(HGLOBAL hIll)
{
    ILLUSTRATION* p = hIll ? (ILLUSTRATION*)GlobalLock(hIll) : nullptr;
    if (!p)
        return;
    for (HBITMAP hbm : {p->hbmPicture, p->hbmMask, p->hbmTint})
        if (hbm)
            DeleteObject(hbm);
    GlobalUnlock(hIll);
    GlobalFree(hIll);
}

BOOL ClipIllustration(int x, int y, int w, int h, const RECT* prcUpdate, int* pxDst, int* pyDst, int* pw,
                      int* ph, int* pxSrc, int* pySrc)
{
    if (!prcUpdate) {
        *pxDst = x;
        *pyDst = y;
        *pw = w;
        *ph = h;
        *pxSrc = *pySrc = 0;
        return w > 0 && h > 0;
    }
    return _Clip1(x, w, prcUpdate->left, prcUpdate->right, pxDst, pw, pxSrc) &&
           _Clip1(y, h, prcUpdate->top, prcUpdate->bottom, pyDst, ph, pySrc);
}

BOOL PaintIllustrationOn(HDC hdc, HGLOBAL hIll, const RECT* prcUpdate)
{
    ILLUSTRATION* p = hIll ? (ILLUSTRATION*)GlobalLock(hIll) : nullptr;
    if (!p)
        return FALSE;
    SIZE sz;
    BOOL bDone = FALSE;
    int x, y, w, h, xs, ys;
    if (_Size(p->hbmPicture, &sz) &&
        ClipIllustration(p->rcAnchor.left + p->lOffsetX, p->rcAnchor.top + p->lOffsetY, sz.cx, sz.cy, prcUpdate,
                         &x, &y, &w, &h, &xs, &ys)) {
        DWORD dwRop = SRCCOPY;
        if (p->hbmMask) {
            _BlitPart(hdc, p->hbmMask, x, y, w, h, xs, ys, SRCAND);
            dwRop = SRCINVERT;
        }
        bDone = _BlitPart(hdc, p->hbmPicture, x, y, w, h, xs, ys, dwRop);
        if (p->hbmTint)
            _PaintTint(hdc, p->hbmTint, p->crTint, x, y, w, h, xs, ys);
    }
    GlobalUnlock(hIll);
    return bDone;
}

BOOL PaintIllustrationRopOn(HDC hdc, HGLOBAL hIll, int dx, int dy, DWORD dwRop)
{
    ILLUSTRATION* p = hIll ? (ILLUSTRATION*)GlobalLock(hIll) : nullptr;
    if (!p)
        return FALSE;
    SIZE sz;
    BOOL b = _Size(p->hbmPicture, &sz) &&
             _BlitPart(hdc, p->hbmPicture, p->rcAnchor.left + p->lOffsetX + dx, p->rcAnchor.top + p->lOffsetY + dy,
                       sz.cx, sz.cy, 0, 0, dwRop);
    GlobalUnlock(hIll);
    return b;
}

void DrawIllustrationLabel(HDC hdc, int x, int y, UINT uTextId, int cch, UINT uAlign, int iBkMode)
{
    LPCWSTR psz = GetResString(uTextId);
    int n = std::min(cch, lstrlenW(psz));
    if (n <= 0)
        return;
    UINT uOldAlign = SetTextAlign(hdc, uAlign);
    int iOldMode = SetBkMode(hdc, iBkMode);
    COLORREF crOldText = SetTextColor(hdc, RGB(0, 0, 0));
    COLORREF crOldBk = SetBkColor(hdc, RGB(255, 255, 255));
    ExtTextOutW(hdc, x, y, ETO_CLIPPED, nullptr, psz, (UINT)n, nullptr);
    SetTextAlign(hdc, uOldAlign);
    SetBkMode(hdc, iOldMode);
    SetTextColor(hdc, crOldText);
    SetBkColor(hdc, crOldBk);
}

// ---- the image-quality sample -------------------------------------------------

namespace {

struct CURVEPOINT {
    SHORT sDensity, sInput, sOutput;
};
#define Q730_ROW(d, i, o) {(SHORT)(d), (SHORT)(i), (SHORT)(o)},
const CURVEPOINT k_aCurvePoints[] = {
#include "densitycurves.inc"
};
#undef Q730_ROW

const BYTE k_aDither4[4][4] = {{15, 11, 4, 2}, {5, 9, 8, 12}, {3, 10, 7, 14}, {16, 4, 13, 1}};
const BYTE k_aDither3[3][3] = {{8, 5, 2}, {3, 4, 6}, {1, 7, 9}};

BYTE _Bright(int d)
{
    return (BYTE)std::min(255, (13 * d + 5) / 10);
}

BYTE _Dark(int d)
{
    return (BYTE)((7 * d + 5) / 10);
}

}  // namespace

BYTE SampleGrey(BYTE r, BYTE g, BYTE b)
{
    return (BYTE)((30 * r + 59 * g + 11 * b) / 100);
}

void BuildDensityCurve(LONG lDensity, BYTE* pMap)
{
    for (int i = 0; i < 256; ++i)
        pMap[i] = (BYTE)i;
    const CURVEPOINT* pPrev = nullptr;
    for (const CURVEPOINT& pt : k_aCurvePoints) {
        if (pt.sDensity != lDensity)
            continue;
        if (pPrev) {
            int span = pt.sInput - pPrev->sInput;
            for (int i = pPrev->sInput; i <= pt.sInput; ++i)
                pMap[i] = (BYTE)(pPrev->sOutput + ((pt.sOutput - pPrev->sOutput) * (i - pPrev->sInput) + span / 2) / span);
        }
        pPrev = &pt;
    }
}

void ApplySampleDensityCurve(int cPixels, BYTE* pGrey, LONG lDensity)
{
    BYTE map[256];
    BuildDensityCurve(lDensity, map);
    for (int i = 0; i < cPixels; ++i)
        pGrey[i] = map[pGrey[i]];
}

void DitherSampleOrdered(int w, int h, BYTE* pGrey, LONG lMatrix)
{
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            BYTE& d = pGrey[r * w + c];
            bool bBright = lMatrix == 3 ? d * 16 / 255 >= k_aDither4[r % 4][c % 4]
                                        : (9 * d + 128) / 255 >= k_aDither3[r % 3][c % 3];
            d = bBright ? _Bright(d) : _Dark(d);
        }
}

BOOL DiffuseSampleError(int w, int h, BYTE* pGrey)
{
    if (w <= 0 || h <= 0)
        return TRUE;
    LONG* pErr = (LONG*)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 2 * (SIZE_T)w * sizeof(LONG));
    if (!pErr)
        return FALSE;
    LONG* pCur = pErr;
    LONG* pNext = pErr + w;
    auto add = [&](LONG* row, int c, int weight, int e) {
        if (c >= 0 && c < w)
            row[c] += (weight * e + 8) / 16;
    };
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            BYTE& d = pGrey[r * w + c];
            int v = d + pCur[c];
            BYTE out = v > 128 ? _Bright(d) : _Dark(d);
            int e = v - out;
            add(pCur, c + 1, 4, e);
            add(pCur, c + 2, 2, e);
            add(pNext, c - 2, 2, e);
            add(pNext, c - 1, 2, e);
            add(pNext, c, 4, e);
            add(pNext, c + 1, 2, e);
            d = out;
        }
        std::swap(pCur, pNext);
        memset(pNext, 0, w * sizeof(LONG));
    }
    GlobalFree(pErr);
    return TRUE;
}

void ApplySampleTonerSave(int w, int h, BYTE* pGrey)
{
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if ((r + c) % 2 == 0) {  // the pattern 1 0 1 0 / 0 1 0 1
                BYTE& d = pGrey[r * w + c];
                d = d < 156 ? (BYTE)(d + 100) : 255;
            }
}

void RenderImageSample(int w, int h, BYTE* pGrey, const SAMPLEPARAMS* p)
{
    if (p->lDensity != 0)
        ApplySampleDensityCurve(w * h, pGrey, p->lDensity);
    if (p->lMode == 1)
        DitherSampleOrdered(w, h, pGrey, p->lMatrix);
    else if (p->lMode == 2)
        DiffuseSampleError(w, h, pGrey);
    if (p->lTonerSave)
        ApplySampleTonerSave(w, h, pGrey);
}

namespace {

// The 32-bit pixels of a bitmap, top row first; null when it cannot be read.
DWORD* _ReadPixels(HDC hdc, HBITMAP hbm, int w, int h)
{
    DWORD* px = (DWORD*)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, (SIZE_T)w * h * 4);
    if (!px)
        return nullptr;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    if (GetDIBits(hdc, hbm, 0, h, px, &bi, DIB_RGB_COLORS) != h) {
        GlobalFree(px);
        return nullptr;
    }
    return px;
}

}  // namespace

BOOL DrawImageQualitySampleOn(HDC hdc, HGLOBAL hIll, const SAMPLEPARAMS* pParams, WORD wPictureId)
{
    ILLUSTRATION* p = hIll ? (ILLUSTRATION*)GlobalLock(hIll) : nullptr;
    if (!p || !pParams)
        return FALSE;
    for (HBITMAP hbm : {p->hbmPicture, p->hbmMask})
        if (hbm)
            DeleteObject(hbm);
    p->hbmPicture = _Load(p->hModule, wPictureId);
    p->hbmMask = _Load(p->hModule, SAMPLE_REGION_BITMAP);
    SIZE sz, szRegion;
    BOOL bOk = _Size(p->hbmPicture, &sz) && _Size(p->hbmMask, &szRegion) && sz.cx == szRegion.cx &&
               sz.cy == szRegion.cy;
    DWORD* pxPicture = nullptr;
    DWORD* pxRegion = nullptr;
    BYTE* pGrey = nullptr;
    BYTE* pRegion = nullptr;
    if (bOk) {
        int n = sz.cx * sz.cy;
        pxPicture = _ReadPixels(hdc, p->hbmPicture, sz.cx, sz.cy);
        pxRegion = _ReadPixels(hdc, p->hbmMask, sz.cx, sz.cy);
        pGrey = (BYTE*)GlobalAlloc(GMEM_FIXED, n);
        pRegion = (BYTE*)GlobalAlloc(GMEM_FIXED, n);
        bOk = pxPicture && pxRegion && pGrey && pRegion;
        if (bOk) {
            for (int i = 0; i < n; ++i) {
                DWORD a = pxPicture[i], b = pxRegion[i];
                pGrey[i] = SampleGrey(a >> 16 & 0xFF, a >> 8 & 0xFF, a & 0xFF);
                pRegion[i] = SampleGrey(b >> 16 & 0xFF, b >> 8 & 0xFF, b & 0xFF);
            }
            // The region (black in the region bitmap) is rendered apart, with
            // the picture white there, then merged back.
            for (int i = 0; i < n; ++i) {
                if (pRegion[i] == 0) {
                    pRegion[i] = pGrey[i];
                    pGrey[i] = 255;
                }
            }
            RenderImageSample(sz.cx, sz.cy, pGrey, pParams);
            RenderImageSample(sz.cx, sz.cy, pRegion, pParams);
            for (int i = 0; i < n; ++i) {
                if (pRegion[i] != 255)
                    pGrey[i] = pRegion[i];
                pxPicture[i] = (DWORD)pGrey[i] << 16 | (DWORD)pGrey[i] << 8 | pGrey[i];
            }
            BITMAPINFO bi = {};
            bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            bi.bmiHeader.biWidth = sz.cx;
            bi.bmiHeader.biHeight = -sz.cy;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            SetDIBitsToDevice(hdc, p->rcAnchor.left + p->lOffsetX, p->rcAnchor.top + p->lOffsetY, sz.cx, sz.cy, 0, 0,
                              0, sz.cy, pxPicture, &bi, DIB_RGB_COLORS);
        }
    }
    for (void* q : {(void*)pxPicture, (void*)pxRegion, (void*)pGrey, (void*)pRegion})
        if (q)
            GlobalFree(q);
    GlobalUnlock(hIll);
    return bOk;
}

BOOL PaintIllustrationWithText(ILLUSTRATION* p, HDC hdc, const RECT* prcUpdate, UINT uTextId, int cchText, int tx,
                               int ty, const LOGFONTW* plf)
{
    SIZE sz;
    int x, y, w, h, xs, ys;
    if (!p || !plf || !_Size(p->hbmPicture, &sz) ||
        !ClipIllustration(p->rcAnchor.left + p->lOffsetX, p->rcAnchor.top + p->lOffsetY, sz.cx, sz.cy, prcUpdate, &x,
                          &y, &w, &h, &xs, &ys))
        return FALSE;
    DWORD dwRop = SRCCOPY;
    if (p->hbmMask) {
        _BlitPart(hdc, p->hbmMask, x, y, w, h, xs, ys, SRCAND);
        dwRop = SRCINVERT;
    }
    HDC hMem = CreateCompatibleDC(hdc);
    HFONT hFont = CreateFontIndirectW(plf);
    BOOL bOk = hMem && hFont;
    if (bOk) {
        HGDIOBJ hOld = SelectObject(hMem, p->hbmPicture);
        HGDIOBJ hOldFont = SelectObject(hMem, hFont);
        DrawIllustrationLabel(hMem, tx, ty, uTextId, cchText, 0, TRANSPARENT);
        bOk = BitBlt(hdc, x, y, w, h, hMem, xs, ys, dwRop);
        SelectObject(hMem, hOldFont);
        SelectObject(hMem, hOld);
    }
    if (hFont)
        DeleteObject(hFont);
    if (hMem)
        DeleteDC(hMem);
    if (bOk && p->hbmTint)
        _PaintTint(hdc, p->hbmTint, p->crTint, x, y, w, h, xs, ys);
    return bOk;
}
