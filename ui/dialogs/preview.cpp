// preview.cpp: paper view, machine view and icon panel. See preview.h.
#include "ui/dialogs/preview.h"
#include "ui/settings/sharedarea.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "platform/gdi/resload.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/listset.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/papertable.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"

#include <algorithm>
#include <cstring>

namespace {

// ---- the preview's state in the settings object ----------------------------

struct PREVIEWSTATE {
    PREVIEWGEOMETRY geo;
    WORD wView;   // 0 until a page sets it: the paper view
    WORD wReserved;
};

// The state sits near the end of the shared area, clear of the fax
// destinations at its start and of the working-file path (MAX_PATH
// characters) just before the trailer.
#define PREVIEW_STATE_OFFSET SHARED_PREVIEW_OFFSET
static_assert(PREVIEW_STATE_OFFSET % 4 == 0);
static_assert(sizeof(PREVIEWSTATE) <= SHARED_PREVIEW_BYTES);
static_assert(PREVIEW_STATE_OFFSET >= FAXDEST_STATE_OFFSET + sizeof(FAXDESTSTATE));

PREVIEWSTATE* _State(UISETTINGS* pObj)
{
    return pObj ? (PREVIEWSTATE*)((BYTE*)pObj + PREVIEW_STATE_OFFSET) : nullptr;
}

// ---- settings by key --------------------------------------------------------

}  // namespace

WORD GetParamIdOfKey(LPCWSTR pszKey)
{
    if (!pszKey)
        return 0;
    WORD wKey = 0;
    for (const USETKEY* k = GetUsetKeyTable(); k->wId; ++k)
        if (k->szKey[0] && lstrcmpW(k->szKey, pszKey) == 0) {
            wKey = k->wId;
            break;
        }
    if (!wKey)
        return 0;
    for (const UIPARAM* p = GetUiParamTable(); p->wParamId; ++p)
        if (p->wKeyId == wKey)
            return p->wParamId;
    return 0;
}

namespace {

WORD _ParamOfKey(LPCWSTR pszKey)
{
    return GetParamIdOfKey(pszKey);
}

SHORT _V(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return GetPreviewSetting(pObj, pszKey);
}

bool _On(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return _V(pObj, pszKey) == 1;
}

// ---- bitmaps ------------------------------------------------------------------

HBITMAP _Load(WORD wId)
{
    HMODULE hRes = GetResourceDllHandle();
    return wId && hRes ? LoadResBitmap(hRes, MAKEINTRESOURCEW(wId)) : nullptr;
}

BOOL _BitmapSize(HBITMAP hbm, SIZE* pSize)
{
    BITMAP bm;
    if (!hbm || GetObjectW(hbm, sizeof(bm), &bm) != sizeof(bm))
        return FALSE;
    pSize->cx = bm.bmWidth;
    pSize->cy = bm.bmHeight;
    return TRUE;
}

// Blits a bitmap at its own size; the memory DC is made and freed here.
BOOL _Blit(HDC hdc, int x, int y, HBITMAP hbm, DWORD dwRop)
{
    SIZE sz;
    if (!_BitmapSize(hbm, &sz))
        return FALSE;
    HDC hMem = CreateCompatibleDC(hdc);
    if (!hMem)
        return FALSE;
    HGDIOBJ hOld = SelectObject(hMem, hbm);
    BOOL b = BitBlt(hdc, x, y, sz.cx, sz.cy, hMem, 0, 0, dwRop);
    SelectObject(hMem, hOld);
    DeleteDC(hMem);
    return b;
}

// Solid fills go through a one-pixel DIB rather than a brush: the platform
// keeps a DC's realised fill brush by the brush's address, and a brush made
// after another was deleted can take that address and inherit its colour.
void _FillRect(HDC hdc, int l, int t, int r, int b, COLORREF c)
{
    if (r <= l || b <= t)
        return;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 1;
    bi.bmiHeader.biHeight = 1;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    DWORD dwPixel = (DWORD)GetRValue(c) << 16 | (DWORD)GetGValue(c) << 8 | GetBValue(c);
    StretchDIBits(hdc, l, t, r - l, b - t, 0, 0, 1, 1, &dwPixel, &bi, DIB_RGB_COLORS, SRCCOPY);
}

void _FrameRect(HDC hdc, int l, int t, int r, int b, COLORREF c)
{
    _FillRect(hdc, l, t, r, t + 1, c);
    _FillRect(hdc, l, b - 1, r, b, c);
    _FillRect(hdc, l, t, l + 1, b, c);
    _FillRect(hdc, r - 1, t, r, b, c);
}

// Points of layers drawn away from the binding edge.
void _Shift(const PAPERLAYOUTDESC* d, int* px, int* py, int n)
{
    if (!d->bBindOn)
        return;
    switch (d->bBindEdge) {
    case 1: *px += n; break;
    case 2: *px -= n; break;
    case 3: *py += n; break;
    case 4: *py -= n; break;
    }
}

void _MaskedShifted(HDC hdc, const PAPERLAYOUTDESC* d, int x, int y, WORD wMask, WORD wImage)
{
    _Shift(d, &x, &y, 4);
    BlitMaskedBitmapPair(hdc, x, y, wMask, wImage);
}

void _AndShifted(HDC hdc, const PAPERLAYOUTDESC* d, int x, int y, WORD wId)
{
    _Shift(d, &x, &y, 4);
    BlitBitmapRop(hdc, x, y, wId, SRCAND);
}

void _CopyShifted(HDC hdc, const PAPERLAYOUTDESC* d, int x, int y, WORD wId)
{
    _Shift(d, &x, &y, 3);
    BlitBitmapRop(hdc, x, y, wId, SRCCOPY);
}

// ---- layers of the sheet --------------------------------------------------------

struct CANVAS {
    HDC hdc;
    int W, H;
};

bool _TwoPages(const PAPERLAYOUTDESC* d)
{
    return d->bLayout >= 8;
}

void _DrawLayoutPages(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int o = d->bOrientation;
    int L = d->bLayout;
    WORD wId = L <= 5 ? 15080 + 2 * L + o : (L >= 8 && L <= 13) ? 15076 + 2 * L + o : 0;
    if (!wId)
        return;
    if (!_TwoPages(d)) {
        _AndShifted(c.hdc, d, o ? 9 : 8, o ? 8 : 9, wId);
        return;
    }
    _AndShifted(c.hdc, d, 8, 8, wId);
    _AndShifted(c.hdc, d, o ? 53 : 8, o ? 8 : 53, wId);
}

void _DrawMarginShiftPages(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    bool two = _TwoPages(d);
    if (d->bOrientation) {
        if (two) {
            _CopyShifted(c.hdc, d, 9, 11, 15112);
            _CopyShifted(c.hdc, d, 56, 11, 15112);
        } else
            _CopyShifted(c.hdc, d, 15, 10, 15111);
    } else {
        if (two) {
            _CopyShifted(c.hdc, d, 10, 10, 15113);
            _CopyShifted(c.hdc, d, 10, 57, 15113);
        } else
            _CopyShifted(c.hdc, d, 11, 14, 15110);
    }
}

void _DrawMarginShiftArrows(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int e = d->bBindEdge;
    if (e < 1 || e > 4)
        return;
    int o = d->bOrientation;
    if (!_TwoPages(d)) {
        WORD wMask = o ? (e <= 2 ? 15254 : 15255) : (e <= 2 ? 15250 : 15251);
        int x = e == 1 ? 7 : 1, y = e == 3 ? 7 : 1;
        BlitMaskedBitmapPair(c.hdc, x, y, wMask, wMask + 2);
        return;
    }
    struct Arrow {
        WORD mask, image;
        int x, y;
    };
    static const Arrow kO[4][2] = {{{15268, 15273, 7, 1}, {15269, 15274, 48, 1}},
                                   {{15270, 15275, 1, 1}, {15271, 15276, 48, 1}},
                                   {{15272, 15277, 1, 7}, {15272, 15277, 48, 7}},
                                   {{15272, 15277, 1, 1}, {15272, 15277, 48, 1}}};
    static const Arrow kP[4][2] = {{{15258, 15263, 7, 1}, {15258, 15263, 7, 48}},
                                   {{15258, 15263, 1, 1}, {15258, 15263, 1, 48}},
                                   {{15259, 15264, 1, 7}, {15260, 15265, 1, 48}},
                                   {{15261, 15266, 1, 1}, {15262, 15267, 1, 48}}};
    const Arrow* a = o ? kO[e - 1] : kP[e - 1];
    for (int i = 0; i < 2; ++i)
        BlitMaskedBitmapPair(c.hdc, a[i].x, a[i].y, a[i].mask, a[i].image);
}

void _DrawBorderLines(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int o = d->bOrientation;
    int L = d->bLayout;
    WORD wBase;
    // Layouts without cells (one page, or one page per sheet alone) have no
    // lines to draw.
    if (L >= 1 && L <= 5)
        wBase = (o ? 15205 : 15200) + L - 1;
    else if (L >= 9 && L <= 13)
        wBase = (o ? 15215 : 15210) + L - 9;
    else
        return;
    WORD wMask = wBase + (d->bBorder == 2 ? 20 : 0);
    if (!_TwoPages(d)) {
        _MaskedShifted(c.hdc, d, 0, 0, wMask, o ? 15241 : 15240);
        return;
    }
    WORD wImage = o ? 15243 : 15242;
    _MaskedShifted(c.hdc, d, 6, 6, wMask, wImage);
    _MaskedShifted(c.hdc, d, o ? 51 : 6, o ? 6 : 51, wMask, wImage);
}

void _DrawBindingStrip(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int e = d->bBindEdge;
    if (e < 1 || e > 4)
        return;
    int o = d->bOrientation;
    WORD wId = 15060 + 2 * (e - 1) + o;
    int x = 0, y = 0;
    if (e == 2)
        x = o ? 88 : 60;
    if (e == 4)
        y = o ? 60 : 88;
    BlitBitmapRop(c.hdc, x, y, wId, SRCAND);
}

void _DrawOrderNumbers(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int k = d->bOrder;
    if (k < 1 || k > 6)
        return;
    int o = d->bOrientation;
    bool two = _TwoPages(d);
    static const WORD kIds[2][2][6] = {
        {{15136, 15138, 15120, 15122, 15124, 15126}, {15166, 15168, 15150, 15152, 15154, 15156}},
        {{15140, 15142, 15128, 15130, 15132, 15134}, {15170, 15172, 15158, 15160, 15162, 15164}}};
    WORD wImage = kIds[o][two][k - 1];
    WORD wMask = wImage + 1;
    int x, y, x2 = 0, y2 = 0;
    if (o && two) {
        x = k <= 2 ? 19 : k <= 4 ? 10 : 9;
        y = k <= 2 ? 18 : 10;
        x2 = x + 45;
        y2 = y;
    } else if (o) {
        static const int kX[6] = {22, 22, 15, 15, 16, 13}, kY[6] = {26, 26, 12, 12, 13, 13};
        x = kX[k - 1];
        y = kY[k - 1];
    } else if (two) {
        x = k <= 2 ? 18 : k <= 5 ? 10 : 8;
        y = k <= 2 ? 19 : 10;
        x2 = x;
        y2 = y + 45;
    } else {
        static const int kX[6] = {26, 26, 13, 13, 13, 10}, kY[6] = {22, 22, 16, 16, 15, 15};
        x = kX[k - 1];
        y = kY[k - 1];
    }
    _MaskedShifted(c.hdc, d, x, y, wMask, wImage);
    if (two)
        _MaskedShifted(c.hdc, d, x2, y2, wMask, wImage);
}

WORD _StapleIndexId(WORD wBase, int pos, int o)
{
    static const int kP[5] = {0, 1, 2, 3, 4}, kO[5] = {0, 1, 5, 6, 7};
    return (WORD)(wBase + (o ? kO[pos - 1] : kP[pos - 1]));
}

int _StapleX(const CANVAS& c, int pos, WORD wId)
{
    SIZE sz = {};
    if ((pos == 2 || pos == 4) && GetResBitmapSize(wId, &sz))
        return c.W - sz.cx;
    return 0;
}

void _DrawStapleShadow(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int pos = d->bStaple;
    if (pos < 1 || pos > 5)
        return;
    WORD wId = _StapleIndexId(15040, pos, d->bOrientation);
    BlitBitmapRop(c.hdc, _StapleX(c, pos, wId), 0, wId, SRCAND);
}

void _DrawStapleMarks(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int pos = d->bStaple;
    if (pos < 1 || pos > 5)
        return;
    WORD wImage = _StapleIndexId(15020, pos, d->bOrientation);
    BlitMaskedBitmapPair(c.hdc, _StapleX(c, pos, wImage), 0, wImage + 10, wImage);
}

void _Hole(const CANVAS& c, int x, int y)
{
    BlitMaskedBitmapPair(c.hdc, x, y, 15051, 15050);
}

void _DrawPunchHoles(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int edge = d->bPunchEdge;  // 1 left, 2 right, 3 top
    if (edge < 1 || edge > 3)
        return;
    SIZE sz;
    if (!GetResBitmapSize(15050, &sz))
        return;
    int w = sz.cx, h = sz.cy, W = c.W, H = c.H;
    int o = d->bOrientation;
    if (d->bHoles == 3 || d->bHoles == 4) {
        bool top = edge == 3;
        int q = top ? W / 4 : H / 4;
        int x = edge == 1 ? 1 : W - w - 1;
        for (int k = 1; k <= d->bHoles; ++k) {
            int v;
            if (d->bHoles == 3) {
                static const int kOS[3][2] = {{-11, -15}, {-3, -3}, {5, 9}};  // left/right: o set, clear
                static const int kTop[3][2] = {{-15, -10}, {-2, -3}, {10, 5}};
                v = k * q + (top ? kTop[k - 1][o ? 0 : 1] : kOS[k - 1][o ? 0 : 1]);
            } else {
                v = k * q + (top ? (o ? -14 : -11) : (o ? -11 : -14));
            }
            if (top)
                _Hole(c, v, 2);
            else
                _Hole(c, x, v);
        }
        return;
    }
    // Two holes; on a booklet they follow the fold.
    int e = d->bBookletEdge;
    auto pairAt = [&](int ex) {
        if (ex == 2) {
            _Hole(c, W - w - 1, H / 2 - h - 6);
            _Hole(c, W - w - 1, H / 2 + 6);
        } else if (ex == 3) {
            _Hole(c, W / 2 - w - 6, 2);
            _Hole(c, W / 2 + 6, 2);
        } else {
            _Hole(c, 1, H / 2 - h - 6);
            _Hole(c, 1, H / 2 + 6);
        }
    };
    if (!d->bBookletOn) {
        pairAt(edge);
        return;
    }
    if (edge == 2) {
        if (e == 1)
            pairAt(2);
        else if (e == 2)
            _Hole(c, W - 11, H / 24);
    } else if (edge == 3) {
        if (e == 1)
            _Hole(c, 3, H / 24);
        else if (e == 0)
            _Hole(c, W - 11, H / 24);
    } else {
        if (e == 0)
            pairAt(1);
        else if (e == 2)
            _Hole(c, 3, H / 24);
    }
}

void _DrawDuplexMark(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int mark = d->bDuplexMark;
    if (!mark)
        return;
    bool b3 = d->bDuplexBinding == 3;
    WORD wMask;
    int x, y;
    if (d->bOrientation) {
        wMask = b3 ? (mark == 1 ? 15186 : 15190) : 15188;
        x = b3 ? (mark == 1 ? 74 : 0) : 1;
        y = b3 ? 0 : 45;
    } else {
        wMask = b3 ? 15180 : (mark == 1 ? 15182 : 15184);
        x = b3 ? 0 : (mark == 1 ? 45 : 0);
        y = b3 ? 74 : 1;
    }
    BlitMaskedBitmapPair(c.hdc, x, y, wMask, wMask + 1);
}

void _DrawOnePerSheetMark(const CANVAS& c, const PAPERLAYOUTDESC* d)
{
    int o = d->bOrientation;
    _MaskedShifted(c.hdc, d, o ? 37 : 26, o ? 26 : 37, o ? 15873 : 15871, o ? 15872 : 15870);
}

// ---- texts ----------------------------------------------------------------------

void _TextIn(HDC hdc, LPCWSTR psz, int cch, const RECT* prc, int dx, int dy)
{
    if (cch <= 0)
        return;
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    int y = (prc->bottom - prc->top - tm.tmHeight) / 2 + prc->top + dy;
    ExtTextOutW(hdc, prc->left + dx, y, ETO_CLIPPED, prc, psz, (UINT)cch, nullptr);
}

// A narrower or smaller cut of the DC's face for a text wider than its
// room (null when it fits as it is): the pane's half for a paper's name or
// size is narrow, and a name drawn whole in slightly narrower letters tells
// more than one cut short. The room is what FitPreviewText allows, and no
// more than the rectangle leaves right of the text's start (dx). Letters
// narrow by one pixel of average width, or the face shrinks by one pixel,
// or both, or by two pixels, no further, so they stay easy to read; a text
// that still does not fit is cut.
HFONT _NarrowFontFor(HDC hdc, LPCWSTR psz, const RECT* prc, int dx)
{
    int avail = std::min<int>(prc->right - prc->left - 5, prc->right - prc->left - dx - 1);
    SIZE sz = {};
    int n = lstrlenW(psz);
    if (n <= 0 || avail <= 0 || !GetTextExtentPoint32W(hdc, psz, n, &sz) || sz.cx <= avail)
        return nullptr;
    TEXTMETRICW tm = {};
    WCHAR szFace[LF_FACESIZE] = {};
    if (!GetTextMetricsW(hdc, &tm) || tm.tmAveCharWidth <= 1 || GetTextFaceW(hdc, LF_FACESIZE, szFace) <= 0)
        return nullptr;
    const LONG em = tm.tmHeight - tm.tmInternalLeading, ave = tm.tmAveCharWidth;
    const struct {
        LONG lHeight, lWidth;  // 0: the face's own width at that height
    } kCuts[] = {{em, ave - 1}, {em - 1, 0}, {em - 1, ave - 1}, {em - 2, 0}};
    for (const auto& cut : kCuts) {
        LOGFONTW lf = {};
        lf.lfHeight = -cut.lHeight;
        lf.lfWidth = cut.lWidth;
        lf.lfWeight = tm.tmWeight;
        lf.lfItalic = tm.tmItalic;
        lf.lfCharSet = tm.tmCharSet;
        lstrcpynW(lf.lfFaceName, szFace, LF_FACESIZE);
        HFONT hFont = CreateFontIndirectW(&lf);
        if (!hFont)
            return nullptr;
        HGDIOBJ hOld = SelectObject(hdc, hFont);
        SIZE szCut = {};
        BOOL bFits = GetTextExtentPoint32W(hdc, psz, n, &szCut) && szCut.cx <= avail;
        SelectObject(hdc, hOld);
        if (bFits)
            return hFont;
        DeleteObject(hFont);
    }
    return nullptr;
}

void _FittedText(HDC hdc, LPCWSTR pszSource, const RECT* prc, int dx, int dy)
{
    WCHAR sz[32];
    lstrcpynW(sz, pszSource ? pszSource : u"", 32);
    HFONT hNarrow = _NarrowFontFor(hdc, sz, prc, dx);
    HGDIOBJ hOld = hNarrow ? SelectObject(hdc, hNarrow) : nullptr;
    int n = FitPreviewText(hdc, sz, prc);
    _TextIn(hdc, sz, n, prc, dx, dy);
    if (hNarrow) {
        SelectObject(hdc, hOld);
        DeleteObject(hNarrow);
    }
}

}  // namespace

// ---- state ----------------------------------------------------------------------

PREVIEWGEOMETRY* GetPreviewGeometry(UISETTINGS* pObj)
{
    PREVIEWSTATE* p = _State(pObj);
    return p ? &p->geo : nullptr;
}

WORD GetPreviewView(UISETTINGS* pObj)
{
    PREVIEWSTATE* p = _State(pObj);
    return p && p->wView == PREVIEWVIEW_MACHINE ? PREVIEWVIEW_MACHINE : PREVIEWVIEW_PAPER;
}

void SetPreviewView(UISETTINGS* pObj, WORD wView)
{
    if (PREVIEWSTATE* p = _State(pObj))
        p->wView = wView;
}

SHORT GetPreviewSetting(UISETTINGS* pObj, LPCWSTR pszKey)
{
    if (!pObj || !pszKey)
        return -1;
    WORD wParam = _ParamOfKey(pszKey);
    return wParam ? GetParamEdited(pObj, wParam) : -1;
}

BYTE* GetIconOrder(UISETTINGS* pObj)
{
    // The icon order has no settings-file key; it is parameter 233, kept at
    // DEVMODE offset 2567.
    return pObj ? GetParamSlot(pObj, 233) : nullptr;
}

// ---- descriptors ------------------------------------------------------------------

namespace {

BYTE _LayoutCode(SHORT sLayout)
{
    switch (sLayout) {
    case 8: return 1;
    case 10: return 2;
    case 5: return 3;
    case 6: return 4;
    case 7: return 5;
    default: return 0;
    }
}

BYTE _StaplePos(SHORT s)
{
    switch (s) {
    case 2: return 1;
    case 3: return 2;
    case 4: return 3;
    case 6: return 4;
    case 5: return 5;
    default: return 0;
    }
}

BYTE _PunchEdge(SHORT s)
{
    return s == 1 ? 1 : s == 2 ? 3 : s == 3 ? 2 : 0;
}

}  // namespace

void BuildPaperViewLayout(UISETTINGS* pObj, PAPERLAYOUTDESC* d)
{
    memset(d, 0, sizeof(*d));
    int a = _V(pObj, u"lpOrientation") == 2 ? 1 : 0;
    int c = 1;
    d->bBookletKind = 1;
    d->bMarginMode = 1;
    d->bHoles = 2;
    d->bDuplexBinding = 4;
    SHORT sRawStaple = 0, sRawPunch = 0;
    bool bNup = false;
    bool bStd = _On(pObj, u"Layout_Check2");
    bool bPod = !bStd && _On(pObj, u"POD_Check");
    if (!bStd && !bPod) {
        d->bBookletEdge = (BYTE)c;
        d->bOrientation = (BYTE)(a % 2);
    } else {
        LPCWSTR kNup = bStd ? u"Nup_Check" : u"POD_Nup_Check";
        if (_On(pObj, kNup)) {
            bNup = true;
            SHORT sLayout = _V(pObj, u"lpLayout");
            d->bLayout = _LayoutCode(sLayout);
            if (sLayout == 5 || sLayout == 8)
                ++a;
        }
        if (bStd) {
            if (!bNup && _On(pObj, u"Booklet_Check")) {
                c = _V(pObj, u"lpBooklet");
                d->bBookletOn = 1;
                d->bBookletKind = 2;
            }
            if (_On(pObj, u"EngBooklet_Check")) {
                c = _V(pObj, u"lpEngBooklet");
                d->bBookletOn = 1;
                d->bBookletKind = 1;
            }
        } else if (_On(pObj, u"POD_OnePerSheet_Check")) {
            c = 1;
            ++a;
            d->bOnePerSheet = _V(pObj, u"lpPOD_OnePerSheet") == 1;
            d->bLayout = (BYTE)(d->bLayout + 8);
        } else if (!bNup && _On(pObj, u"POD_Booklet_Check")) {
            c = _V(pObj, u"lpPOD_Booklet");
            d->bBookletOn = 1;
        }
        if (_On(pObj, bStd ? u"Staple_Check" : u"POD_Staple_Check")) {
            sRawStaple = _V(pObj, u"lpStaple");
            d->bStaple = _StaplePos(sRawStaple);
        }
        if (_On(pObj, bStd ? u"Punch_Check" : u"POD_Punch_Check")) {
            sRawPunch = _V(pObj, u"lpPunch");
            d->bPunchEdge = _PunchEdge(sRawPunch);
            SHORT sHoles = _V(pObj, u"lpPunchHoles");
            d->bHoles = sHoles == 3 ? 3 : sHoles == 4 ? 4 : 2;
        }
        if (_On(pObj, bStd ? u"BindMargin_Check" : u"POD_BindMargin_Check")) {
            d->bMarginMode = (BYTE)_V(pObj, u"lpMarginMode");
            SHORT sEdge = _V(pObj, u"lpBindMargin");
            d->bBindEdge = sEdge >= 1 && sEdge <= 4 ? (BYTE)sEdge : 0;
            d->bBindOn = 1;
        }
        if (_On(pObj, bStd ? u"Duplex_Check" : u"POD_Duplex_Check")) {
            d->bDuplexBinding = _V(pObj, u"lpDuplex") == 3 ? 3 : 4;
            d->bDuplexMark = sRawStaple == 3 || sRawStaple == 6 || sRawPunch == 3 ? 2 : 1;
            d->bDuplexOn = 1;
        }
        if (bNup) {
            SHORT sOrder = _V(pObj, u"lpOrder"), sBorder = _V(pObj, u"lpBorder");
            d->bOrder = sOrder >= 1 && sOrder <= 6 ? (BYTE)sOrder : 0;
            d->bBorder = sBorder == 1 || sBorder == 2 ? (BYTE)sBorder : 0;
        }
    }
    SHORT sZoom = _V(pObj, u"Zoom");
    if (_V(pObj, u"lpOutputPaper") == 257 || sZoom == 100)
        d->bZoomDir = 0;
    else
        d->bZoomDir = sZoom > 100 ? 1 : 2;
    if (a % 2 == 1 && (c == 0 || c == 1))
        c = 2;
    else if (a % 2 == 0 && c == 2)
        c = 1;
    d->bBookletEdge = (BYTE)c;
    d->bOrientation = (BYTE)((a % 2) ^ (d->bBookletOn && d->bBookletKind == 2 ? 1 : 0));
}

void UpdateIconOrder(BYTE* pOrder, BYTE bKind, BOOL bOn)
{
    if (!pOrder || !bKind)
        return;
    if (bOn) {
        for (int i = 0; i < 4; ++i) {
            if (pOrder[i] == bKind)
                return;
            if (pOrder[i] == 0) {
                pOrder[i] = bKind;
                return;
            }
        }
        return;
    }
    for (int i = 0; i < 4; ++i)
        if (pOrder[i] == bKind) {
            for (int j = i; j < 3; ++j)
                pOrder[j] = pOrder[j + 1];
            pOrder[3] = 0;
            return;
        }
}

int GetIconSlotX(const BYTE* pOrder, BYTE bKind, int w)
{
    for (int i = 0; pOrder && i < 4; ++i)
        if (pOrder[i] == bKind) {
            switch (i) {
            case 0: return 3;
            case 1: return w / 4 + 2;
            case 2: return (w / 4) * 2 + 1;
            default: return (w / 4) * 3;
            }
        }
    return 0;
}

void BuildIconPanelDescriptor(UISETTINGS* pObj, ICONPANELDESC* d)
{
    RECT rc = d->rcPane;
    memset(d, 0, sizeof(*d));
    d->rcPane = rc;
    if (_On(pObj, u"Watermark_Use"))
        d->bWatermark = _V(pObj, u"lpWatermarkOrder") == 1 ? 1 : 2;
    SHORT sOverlay = _V(pObj, u"lpOverlay");
    d->bForm = sOverlay == 2 ? 2 : sOverlay == 3 ? (_On(pObj, u"OverlayOrder_Check") ? 4 : 3) : 1;
    d->bOhp = 3;
    if (_V(pObj, u"lpMediaSource") == 4) {
        SHORT sType = _V(pObj, u"lpMediaType");
        if (sType == 2)
            d->bOhp = 0;
        else if (sType == 127) {
            SHORT sKind = _V(pObj, u"lpOhpIntlvType");
            d->bOhp = sKind == 0 ? 1 : sKind == 1 ? 2 : 3;
        }
    }
    bool bPod = _On(pObj, u"POD_Check");
    d->bImageShift = bPod && _On(pObj, u"ImageShift_Check");
    d->bChapter = bPod && (_On(pObj, u"POD_Duplex_Check") || _On(pObj, u"POD_Booklet_Check")) && _On(pObj, u"Chapter_Check");
    static const BYTE kCentre[8] = {0, 1, 2, 3, 4, 5, 5, 6};
    SHORT sCentre = _V(pObj, u"lpCenterFinish");
    if (_On(pObj, u"Layout_Check2") && _On(pObj, u"Set_CenterFinish_Check"))
        d->bCentreFinish = sCentre >= 1 && sCentre <= 7 ? kCentre[sCentre] : 0;
    if (bPod && _On(pObj, u"CenterFinish_Check") && sCentre >= 1 && sCentre <= 7)
        d->bCentreFinish = kCentre[sCentre];
    BYTE* pOrder = GetIconOrder(pObj);
    BYTE abLocal[4] = {};
    if (!pOrder)
        pOrder = abLocal;
    UpdateIconOrder(pOrder, ICONKIND_OHP, d->bOhp != 3);
    UpdateIconOrder(pOrder, ICONKIND_IMAGESHIFT, d->bImageShift);
    UpdateIconOrder(pOrder, ICONKIND_CHAPTER, d->bChapter);
    UpdateIconOrder(pOrder, ICONKIND_CENTREFINISH, d->bCentreFinish != 0);
    memcpy(d->abIconOrder, pOrder, 4);
}

// ---- geometry ---------------------------------------------------------------------

void ComputePaperViewGeometry(const RECT* prc, PREVIEWGEOMETRY* g)
{
    int L = prc->left, T = prc->top, R = prc->right, B = prc->bottom;
    int H = B - T;
    g->rcInner = {L + 2, T + 2, R - 2, B - 2};
    int f = T + 2 + (17 * H - 68) / 100;
    int h = T + 2 + (H - 4) * 77 / 100;
    g->rcPageImage = {L + 4, f, R - 2, h};
    g->rcLower = {L + 4, h, R - 2, B - 2};
    int cx = L + 4 + (R - L - 6) / 2;
    g->ptImageCentre = {cx, f + (h - f + 12) / 2 + 12};
    int d = (H - (H - 4) * 77 / 100 - 4) / 3;
    g->rcTopText = {L + 4, T + 4, R - 2, f};
    g->rcDocName = {L + 4, T + 4, cx, T + 4 + d};
    g->rcDocSize = {L + 4, T + 4 + d, cx, T + 4 + 2 * d};
    g->rcOutName = {cx, T + 4, R - 2, T + 4 + d};
    g->rcOutSize = {cx, T + 4 + d, R - 2, T + 4 + 2 * d};
    int zl = L + 2 + (R - L - 6) * 3 / 4;
    g->rcZoom = {zl, f - 5, R - 2, f + d};
    g->rcCopies = {zl, h - d + 24, R - 2, h + 24};
}

WORD GetPageBaseBitmapId(const PAPERLAYOUTDESC* d)
{
    if (!d->bBookletOn)
        return (WORD)(15000 + d->bOrientation);
    static const WORD kKind1[3] = {15003, 15002, 15004}, kKind2[3] = {15006, 15005, 15007};
    if (d->bBookletEdge > 2)
        return 0;
    return d->bBookletKind == 2 ? kKind2[d->bBookletEdge] : kKind1[d->bBookletEdge];
}

WORD GetPageCanvasBitmapId(const PAPERLAYOUTDESC* d)
{
    if (!d->bBookletOn)
        return (WORD)(15070 + d->bOrientation);
    static const WORD kKind1[3] = {15072, 15073, 15074}, kKind2[3] = {15075, 15076, 15077};
    if (d->bBookletEdge > 2)
        return 0;
    return d->bBookletKind == 2 ? kKind2[d->bBookletEdge] : kKind1[d->bBookletEdge];
}

// ---- helpers ------------------------------------------------------------------------

COLORREF PreviewSysColour(int iIndex)
{
    switch (iIndex) {
    case 20: return RGB(255, 255, 255);  // button highlight
    case 16: return RGB(128, 128, 128);  // button shadow
    case 15: return RGB(212, 208, 200);  // button face
    default: return RGB(0, 0, 0);
    }
}

void DrawPreviewFrame(HDC hdc, const RECT* r)
{
    _FillRect(hdc, r->left, r->top, r->right, r->bottom, RGB(255, 255, 255));
    _FrameRect(hdc, r->left, r->top, r->right, r->bottom, PreviewSysColour(20));
    _FrameRect(hdc, r->left, r->top, r->right - 1, r->bottom - 1, PreviewSysColour(16));
    _FrameRect(hdc, r->left + 1, r->top + 1, r->right - 1, r->bottom - 1, PreviewSysColour(15));
    _FillRect(hdc, r->left + 1, r->top + 1, r->left + 2, r->bottom - 2, RGB(0, 0, 0));
    _FillRect(hdc, r->left + 1, r->top + 1, r->right - 2, r->top + 2, RGB(0, 0, 0));
}

BOOL GetResBitmapSize(WORD wId, SIZE* pSize)
{
    HBITMAP hbm = _Load(wId);
    BOOL b = _BitmapSize(hbm, pSize);
    if (hbm)
        DeleteObject(hbm);
    return b;
}

BOOL BlitBitmapRop(HDC hdc, int x, int y, WORD wId, DWORD dwRop)
{
    HBITMAP hbm = _Load(wId);
    if (!hbm)
        return FALSE;
    BOOL b = _Blit(hdc, x, y, hbm, dwRop);
    DeleteObject(hbm);
    return b;
}

BOOL BlitMaskedBitmapPair(HDC hdc, int x, int y, WORD wMaskId, WORD wImageId)
{
    BOOL b1 = BlitBitmapRop(hdc, x, y, wMaskId, SRCAND);
    BOOL b2 = BlitBitmapRop(hdc, x, y, wImageId, SRCINVERT);
    return b1 && b2;
}

BOOL BlitCentredBitmap(HDC hdc, POINT pt, WORD wId, BOOL bAnd)
{
    HBITMAP hbm = _Load(wId);
    SIZE sz;
    if (!_BitmapSize(hbm, &sz)) {
        if (hbm)
            DeleteObject(hbm);
        return FALSE;
    }
    BOOL b = _Blit(hdc, pt.x - sz.cx / 2, pt.y - sz.cy / 2, hbm, bAnd ? SRCAND : SRCCOPY);
    DeleteObject(hbm);
    return b;
}

int FitPreviewText(HDC hdc, LPWSTR psz, const RECT* prc)
{
    if (!psz)
        return 0;
    int n = lstrlenW(psz);
    int avail = prc->right - prc->left - 5;
    SIZE sz = {};
    GetTextExtentPoint32W(hdc, psz, n, &sz);
    if (sz.cx <= avail)
        return n;
    // A rectangle too small for anything stops at the empty text instead of
    // counting below zero.
    while (n > 0) {
        if (n > 3) {
            psz[n - 2] = u'.';
            psz[n - 1] = u'.';
            psz[n] = 0;
        }
        GetTextExtentPoint32W(hdc, psz, n, &sz);
        if (sz.cx < avail)
            return n;
        if (n <= 3)
            return n;
        --n;
    }
    return 0;
}

// ---- the panes ---------------------------------------------------------------------

void PaintPaperView(HDC hdc, const RECT* prc, UISETTINGS* pObj)
{
    DrawPreviewFrame(hdc, prc);
    if (!pObj)
        return;
    PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj);
    ComputePaperViewGeometry(prc, g);
    PAPERLAYOUTDESC d;
    BuildPaperViewLayout(pObj, &d);

    HBITMAP hPage = _Load(GetPageBaseBitmapId(&d));
    HBITMAP hCanvas = _Load(GetPageCanvasBitmapId(&d));
    HDC hPageDC = hPage ? CreateCompatibleDC(hdc) : nullptr;
    HDC hCanvasDC = hCanvas ? CreateCompatibleDC(hdc) : nullptr;
    if (hPageDC && hCanvasDC) {
        HGDIOBJ hOldPage = SelectObject(hPageDC, hPage);
        HGDIOBJ hOldCanvas = SelectObject(hCanvasDC, hCanvas);
        SIZE szCanvas = {}, szPage = {};
        _BitmapSize(hCanvas, &szCanvas);
        _BitmapSize(hPage, &szPage);
        CANVAS c = {hCanvasDC, szCanvas.cx, szCanvas.cy};
        if (d.bMarginMode == 2 && (d.bLayout == 0 || d.bLayout == 8)) {
            _DrawMarginShiftPages(c, &d);
            _DrawMarginShiftArrows(c, &d);
        } else if (!(d.bBookletOn && d.bBookletKind == 2))
            _DrawLayoutPages(c, &d);
        if (d.bBorder)
            _DrawBorderLines(c, &d);
        if (d.bBindOn)
            _DrawBindingStrip(c, &d);
        if (d.bOrder)
            _DrawOrderNumbers(c, &d);
        if (d.bOnePerSheet)
            _DrawOnePerSheetMark(c, &d);
        if (d.bStaple)
            _DrawStapleShadow(c, &d);
        if (d.bPunchEdge)
            _DrawPunchHoles(c, &d);
        if (d.bStaple)
            _DrawStapleMarks(c, &d);
        if (d.bDuplexMark)
            _DrawDuplexMark(c, &d);
        BitBlt(hPageDC, 0, 0, szCanvas.cx, szCanvas.cy, hCanvasDC, 0, 0, SRCCOPY);
        if (d.bZoomDir) {
            WORD wMask = d.bOrientation ? (d.bZoomDir == 1 ? 15015 : 15017) : (d.bZoomDir == 1 ? 15014 : 15016);
            BlitMaskedBitmapPair(hPageDC, 0, 0, wMask, (WORD)(wMask - 4));
        }
        BitBlt(hdc, g->ptImageCentre.x - szPage.cx / 2, g->ptImageCentre.y - szPage.cy / 2 - 2, szPage.cx,
               szPage.cy, hPageDC, 0, 0, SRCAND);
        SelectObject(hPageDC, hOldPage);
        SelectObject(hCanvasDC, hOldCanvas);
    }
    if (hPageDC)
        DeleteDC(hPageDC);
    if (hCanvasDC)
        DeleteDC(hCanvasDC);
    if (hPage)
        DeleteObject(hPage);
    if (hCanvas)
        DeleteObject(hCanvas);

    int iOldMode = SetBkMode(hdc, TRANSPARENT);
    SHORT sOut = _V(pObj, u"lpOutputPaper");
    if (sOut == 257) {
        _TextIn(hdc, GetResString(21200), lstrlenW(GetResString(21200)), &g->rcOutName, 7, 0);
    } else {
        _FittedText(hdc, GetPaperDisplayName(sOut), &g->rcOutName, 7, 0);
        _FittedText(hdc, GetPaperSizeText(sOut), &g->rcOutSize, 7, 1);
    }
    {
        WCHAR sz[32];
        lstrcpynW(sz, GetResString(sOut == 257 ? 21200 : 26000), 32);
        TEXTMETRICW tm = {};
        GetTextMetricsW(hdc, &tm);
        int y = (g->rcOutSize.top + g->rcOutSize.bottom - tm.tmHeight) / 2;
        ExtTextOutW(hdc, g->ptImageCentre.x - 6, y, ETO_CLIPPED, &g->rcTopText, sz, (UINT)lstrlenW(sz), nullptr);
    }
    if (sOut != 257 && !d.bBookletOn && d.bLayout == 0) {
        WCHAR sz[16];
        int n = wsprintfW(sz, u"%3d %%", (int)_V(pObj, u"Zoom"));
        _TextIn(hdc, sz, n, &g->rcZoom, 7, 4);
    }
    SHORT sCopies = _V(pObj, u"Copies");
    if (sCopies > 1) {
        WCHAR sz[16];
        int n = wsprintfW(sz, u" X%d", (int)sCopies);
        _TextIn(hdc, sz, n, &g->rcCopies, 2, 0);
    }
    SHORT sDoc = _V(pObj, u"lpMediaSize");
    _FittedText(hdc, GetPaperDisplayName(sDoc), &g->rcDocName, 0, 0);
    _FittedText(hdc, GetPaperSizeText(sDoc), &g->rcDocSize, 0, 1);
    SetBkMode(hdc, iOldMode);
}

namespace {

void _MachineRect(const RECT* prc, UISETTINGS* pObj, BOOL bOptionsPane)
{
    PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj);
    g->rcMachine = {prc->left + 2, prc->top + 2, prc->right - 2, prc->bottom - 2};
    int e = prc->bottom > 120 ? (bOptionsPane ? 21 : 16) : (bOptionsPane ? 7 : 2);
    const RECT& r = g->rcMachine;
    g->ptMachineCentre = {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top - 2) / 2 + e};
}

LPCWSTR _ListItemText(UISETTINGS* pObj, LPCWSTR pszKey)
{
    WORD wParam = _ParamOfKey(pszKey);
    const UIITEMLIST* pList = wParam ? (const UIITEMLIST*)GetParamSlot(pObj, wParam) : nullptr;
    if (!pList)
        return nullptr;
    const UIITEMCHOICE* pItems = (const UIITEMCHOICE*)(pList + 1);
    for (int i = 0; i < pList->sCount && i < 256; ++i)
        if (pItems[i].sValue == pList->sInitial)
            return pItems[i].szText;
    return nullptr;
}

}  // namespace

void PaintMachineView(HDC hdc, const RECT* prc, UISETTINGS* pObj, BOOL bOptionsPane)
{
    DrawPreviewFrame(hdc, prc);
    if (!pObj)
        return;
    _MachineRect(prc, pObj, bOptionsPane);
    PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj);
    POINT pt = g->ptMachineCentre;
    BlitCentredBitmap(hdc, pt, 19000, TRUE);
    SHORT sSource = _V(pObj, u"lpSourceUnit");
    if (sSource == 2 || sSource == 3)
        BlitCentredBitmap(hdc, pt, (WORD)(19000 + sSource), TRUE);
    SHORT sOut = _V(pObj, u"lpOutputUnit");
    if (sOut == 1)
        BlitCentredBitmap(hdc, pt, 19001, TRUE);
    else if (sOut == 2 || sOut == 3) {
        BlitCentredBitmap(hdc, pt, _V(pObj, u"lpPunchZFold") == 3 ? 19005 : 19004, TRUE);
        bool bCover2 = _V(pObj, u"lpCoverSheetTray") == 2;
        BlitCentredBitmap(hdc, pt, bCover2 ? 19009 : 19008, TRUE);
        if (sOut == 3)
            BlitCentredBitmap(hdc, pt, bCover2 ? 19007 : 19006, TRUE);
    }
    int iOldMode = SetBkMode(hdc, TRANSPARENT);
    WCHAR sz[96] = u"Tevano ";
    if (LPCWSTR pszEngine = _ListItemText(pObj, u"lpEngine"))
        lstrcpynW(sz + 7, pszEngine, 96 - 7);
    const RECT& r = g->rcMachine;
    ExtTextOutW(hdc, r.left + 3, r.top + 2, ETO_CLIPPED, &r, sz, (UINT)lstrlenW(sz), nullptr);
    SHORT sPdl = _V(pObj, u"lpPDLType");
    if (sPdl > 0) {
        LPCWSTR psz = sPdl == 1 ? u"PCL 5e" : u"PCL XL";
        int n = lstrlenW(psz);
        ExtTextOutW(hdc, r.right - 7 * n, r.top + 2, ETO_CLIPPED, &r, psz, (UINT)n, nullptr);
    }
    SetBkMode(hdc, iOldMode);
}

void PaintMachineOutputView(HDC hdc, const RECT* prc, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    _MachineRect(prc, pObj, FALSE);
    POINT pt = GetPreviewGeometry(pObj)->ptMachineCentre;
    SHORT sSource = _V(pObj, u"lpMediaSource");
    WORD wPath = 0;
    switch (sSource) {
    case 1: wPath = 19021; break;
    case 2: wPath = 19022; break;
    case 4: wPath = 19020; break;
    case 258: wPath = 19023; break;
    case 259: wPath = 19024; break;
    case 260: {
        SHORT sUnit = _V(pObj, u"lpSourceUnit");
        wPath = sUnit == 2 ? 19025 : sUnit == 3 ? 19026 : 0;
        break;
    }
    }
    if (wPath)
        BlitCentredBitmap(hdc, pt, wPath, TRUE);
    SHORT sOut = _V(pObj, u"lpOutputUnit"), sTray = _V(pObj, u"lpOutputTray");
    if (sOut == 1 && sTray != 1)
        BlitCentredBitmap(hdc, pt, 19027, TRUE);
    else if ((sOut == 2 || sOut == 3) && sTray >= 2 && sTray <= 4) {
        WORD wId = (WORD)(19028 + 2 * (sTray - 2) + (_V(pObj, u"lpPunchZFold") == 3 ? 1 : 0));
        BlitCentredBitmap(hdc, pt, wId, TRUE);
    }
}

void PaintPreviewPane(HDC hdc, const RECT* prc, UISETTINGS* pObj)
{
    if (GetPreviewView(pObj) == PREVIEWVIEW_PAPER) {
        PaintPaperView(hdc, prc, pObj);
        return;
    }
    PaintMachineView(hdc, prc, pObj, FALSE);
    PaintMachineOutputView(hdc, prc, pObj);
}

namespace {

bool _HasCoverKindInsertSheet(UISETTINGS* pObj)
{
    // The settings object's insert-sheet table (block parameter 205, its
    // count in parameter 208).
    const BYTE* pTable = GetParamSlot(pObj, 205);
    const BYTE* pCount = GetParamSlot(pObj, 208);
    if (!pTable || !pCount)
        return false;
    SHORT n;
    memcpy(&n, pCount, sizeof(n));
    if (n <= 0)
        return false;
    if (n > INTERSHEET_ENTRIES)
        n = INTERSHEET_ENTRIES;
    for (int i = 0; i < n; ++i) {
        SHORT sKind;
        memcpy(&sKind, pTable + i * INSERTSHEET_SIZE + 258, sizeof(sKind));
        if (sKind >= 2 && sKind <= 5)
            return true;
    }
    return false;
}

bool _InsertSlotUsed(UISETTINGS* pObj)
{
    WORD wParam = _ParamOfKey(u"pagenumStr");
    const PAGELISTS* p = wParam ? (const PAGELISTS*)GetParamSlot(pObj, wParam) : nullptr;
    return p && GetPageSlotCount(p, 3) > 0;
}

void _Icon(HDC hdc, int x, int y, WORD wImage, WORD wMask)
{
    BlitMaskedBitmapPair(hdc, x, y, wMask, wImage);
}

void _CoverLayer(HDC hdc, int x0, int y0, BYTE bCode)
{
    static const WORD kImage[13] = {15579, 15570, 15571, 15572, 15573, 15574, 15575, 15576, 15577, 15578,
                                    15612, 15613, 15614};
    static const WORD kMask[13] = {15589, 15580, 15581, 15582, 15583, 15584, 15585, 15586, 15587, 15588,
                                   15615, 15616, 15617};
    if (bCode <= 12)
        _Icon(hdc, x0 + 3, y0 + 3, kImage[bCode], kMask[bCode]);
}

void _ModeLayer(HDC hdc, int x, int y, BYTE bCode)
{
    WORD wImage, wMask;
    if (bCode <= 8) {
        wImage = (WORD)(15590 + bCode);
        wMask = (WORD)(15599 + bCode);
    } else if (bCode == 9) {
        wImage = 15610;
        wMask = 15611;
    } else {
        wImage = 15620;
        wMask = 15621;
    }
    _Icon(hdc, x, y, wImage, wMask);
}

}  // namespace

void PaintSettingIconPanel(HDC hdc, const RECT* prc, UISETTINGS* pObj)
{
    DrawPreviewFrame(hdc, prc);
    if (!pObj)
        return;
    GetPreviewGeometry(pObj)->rcIconPanel = *prc;
    ICONPANELDESC d;
    d.rcPane = *prc;
    BuildIconPanelDescriptor(pObj, &d);
    int w = prc->right - prc->left;
    int x0 = prc->left, y0 = prc->top;

    static const WORD kWmImage[3] = {15500, 15501, 15502}, kWmMask[3] = {15503, 15504, 15505};
    _Icon(hdc, x0 + (w / 4) * 2 + 1, y0 + 2, kWmImage[d.bWatermark], kWmMask[d.bWatermark]);
    static const WORD kFormImage[5] = {0, 15510, 15511, 15512, 15839}, kFormMask[5] = {0, 15513, 15514, 15515, 15840};
    if (d.bForm >= 1 && d.bForm <= 4)
        _Icon(hdc, x0 + w / 4 + 2, y0 + 2, kFormImage[d.bForm], kFormMask[d.bForm]);

    // Covers, back to front, so that the front cover ends on top. Every
    // icon is placed from the item rectangle; the DC's own origin (a child
    // control's place on its window) stays as the caller gave it.
    bool bAny = false;
    auto layer = [&](BYTE code) {
        d.bCover = code;
        _CoverLayer(hdc, x0, y0, code);
    };
    if (_On(pObj, u"BackCoverSheet_Check")) {
        layer(9);
        bAny = true;
    }
    if (_On(pObj, u"Back_Check")) {
        // A printed back cover shows as printed; every other kind as blank.
        layer(_V(pObj, u"lpBackCover") == 3 ? 8 : 7);
        bAny = true;
    }
    bool bSlot3 = _InsertSlotUsed(pObj) && _On(pObj, u"InsertCoverSheet_Check");
    if (_On(pObj, u"InterSheet_Check")) {
        bool bCoverKind = _HasCoverKindInsertSheet(pObj);
        layer(bSlot3 ? (bCoverKind ? 11 : 10) : (bCoverKind ? 6 : 5));
        bAny = true;
    } else {
        layer(bSlot3 ? 12 : 4);
    }
    if (_On(pObj, u"InsertCoverSheet_Check"))
        bAny = true;
    if (_On(pObj, u"Front_Check")) {
        layer(_V(pObj, u"lpFrontCover") == 3 ? 3 : 2);
        bAny = true;
    }
    if (_On(pObj, u"FrontCoverSheet_Check")) {
        layer(1);
        bAny = true;
    }
    if (!bAny)
        layer(0);

    // Output mode layers.
    int xm = x0 + (w / 4) * 3;
    auto mode = [&](BYTE code) {
        d.bOutputMode = code;
        _ModeLayer(hdc, xm, y0 + 2, code);
    };
    bool bPod = _On(pObj, u"POD_Check");
    if (_V(pObj, u"lpOverlay") == 2)
        mode(8);
    else {
        if (bPod && _On(pObj, u"TandemMode_Check"))
            mode(10);
        bool bComb = _On(pObj, u"JobComb_Check");
        mode(bPod && bComb && _V(pObj, u"lpJobMode") == 1 ? 2 : 7);
        if (bPod && bComb)
            mode(6);
        if (bPod && _On(pObj, u"WaitMode_Check"))
            mode(5);
        if (_On(pObj, u"Password_Check"))
            mode(4);
        if (!bComb && !_On(pObj, u"WaitMode_Check") && !_On(pObj, u"Password_Check"))
            mode(7);
    }

    // Bottom row, in the order the settings were switched on.
    const BYTE* pOrder = d.abIconOrder;
    if (d.bOhp != 3) {
        static const WORD kImage[3] = {15520, 15521, 15522}, kMask[3] = {15523, 15524, 15525};
        _Icon(hdc, x0 + GetIconSlotX(pOrder, ICONKIND_OHP, w), y0 + 44, kImage[d.bOhp], kMask[d.bOhp]);
    }
    if (d.bImageShift)
        _Icon(hdc, x0 + GetIconSlotX(pOrder, ICONKIND_IMAGESHIFT, w), y0 + 44, 15530, 15531);
    if (d.bChapter)
        _Icon(hdc, x0 + GetIconSlotX(pOrder, ICONKIND_CHAPTER, w), y0 + 44, 15540, 15541);
    if (d.bCentreFinish >= 1 && d.bCentreFinish <= 6)
        _Icon(hdc, x0 + GetIconSlotX(pOrder, ICONKIND_CENTREFINISH, w), y0 + 44,
              (WORD)(15549 + d.bCentreFinish), (WORD)(15555 + d.bCentreFinish));
}

// ---- invalidation ---------------------------------------------------------------------

namespace {

typedef BOOL (*PFN_INVALIDATERECT)(HWND hwnd, const RECT* prc, BOOL bErase);
typedef HWND (*PFN_GETDLGITEM)(HWND hDlg, int iId);

// The window system's calls, bound where the process has it loaded.
void _Invalidate(HWND hDlg, int iControl, const RECT& rc)
{
    HMODULE hUser = GetModuleHandleW(u"USER32.DLL");
    if (!hUser || !hDlg)
        return;
    PFN_GETDLGITEM pfnGetDlgItem = (PFN_GETDLGITEM)GetProcAddress(hUser, "GetDlgItem");
    PFN_INVALIDATERECT pfnInvalidate = (PFN_INVALIDATERECT)GetProcAddress(hUser, "InvalidateRect");
    HWND hwnd = pfnGetDlgItem ? pfnGetDlgItem(hDlg, iControl) : nullptr;
    if (hwnd && pfnInvalidate)
        pfnInvalidate(hwnd, &rc, FALSE);
}

}  // namespace

void InvalidatePaperImage(HWND hDlg, int iControl, UISETTINGS* pObj)
{
    if (PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj))
        _Invalidate(hDlg, iControl, g->rcInner);
}

void InvalidatePaperTexts(HWND hDlg, int iControl, UISETTINGS* pObj)
{
    PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj);
    if (!g)
        return;
    for (const RECT* prc : {&g->rcLower, &g->rcTopText, &g->rcZoom, &g->rcCopies, &g->rcPageImage})
        _Invalidate(hDlg, iControl, *prc);
}

void InvalidateMachineView(HWND hDlg, int iControl, UISETTINGS* pObj)
{
    if (PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj))
        _Invalidate(hDlg, iControl, g->rcMachine);
}

void InvalidatePreviewItem(HWND hDlg, int iControl, UISETTINGS* pObj)
{
    if (PREVIEWGEOMETRY* g = GetPreviewGeometry(pObj))
        _Invalidate(hDlg, iControl, g->rcIconPanel);
}

void RefreshPreviewPane(HWND hDlg, UISETTINGS* pObj)
{
    InvalidatePaperImage(hDlg, 166, pObj);
    if (GetPreviewView(pObj) == PREVIEWVIEW_PAPER)
        InvalidatePaperTexts(hDlg, 166, pObj);
    else
        InvalidateMachineView(hDlg, 166, pObj);
    InvalidatePreviewItem(hDlg, 167, pObj);
}
