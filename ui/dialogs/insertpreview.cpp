// insertpreview.cpp: index-paper, insert-sheet and heading-text panes, and
// the clock text. See insertpreview.h.
#include "ui/dialogs/insertpreview.h"

#include "platform/gdi/gdidraw.h"
#include "platform/gdi/gditext.h"
#include "ui/dialogs/illustration.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/watermarkpage.h"
#include "ui/settings/insertwork.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <algorithm>
#include <cstring>

namespace {

SHORT _V(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return GetPreviewSetting(pObj, pszKey);
}

bool _On(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return _V(pObj, pszKey) == 1;
}

const WCHAR k_szLabelFace[] = u"ＭＳ Ｐゴシック";

HFONT _LabelFont(int iHeight)
{
    LOGFONTW lf = {};
    lf.lfHeight = iHeight;
    lf.lfWeight = 400;
    lf.lfCharSet = 128;
    lf.lfPitchAndFamily = 50;
    lstrcpynW(lf.lfFaceName, k_szLabelFace, 32);
    return CreateFontIndirectW(&lf);
}

// The tab count the index-paper pane divides by, and the step of its mark.
void _TabSteps(int t, int* pn, int* pStep)
{
    switch (t) {
    case 2: *pn = 2; *pStep = 30; break;
    case 3: *pn = 3; *pStep = 24; break;
    case 4: *pn = 4; *pStep = 21; break;
    default: *pn = 5; *pStep = 18; break;
    }
}

struct LABEL {
    UINT uId;
    int x, y;
};

// Blits a picture with SRCAND, draws labels into it, and blits it again, so
// that the labels show on the pane.
void _DrawTextIntoBitmap(HDC hdc, WORD wId, int x, int y, const LABEL* pLabels, int cLabels, HFONT hFont)
{
    HBITMAP hbm = LoadResBitmap(GetResourceDllHandle(), MAKEINTRESOURCEW(wId));
    if (!hbm)
        return;
    BITMAP bm = {};
    GetObjectW(hbm, sizeof(bm), &bm);
    HDC hMem = CreateCompatibleDC(hdc);
    if (hMem) {
        HGDIOBJ hOld = SelectObject(hMem, hbm);
        BitBlt(hdc, x, y, bm.bmWidth, bm.bmHeight, hMem, 0, 0, SRCAND);
        HGDIOBJ hOldFont = SelectObject(hMem, hFont);
        for (int i = 0; i < cLabels; ++i)
            DrawIllustrationLabel(hMem, pLabels[i].x, pLabels[i].y, pLabels[i].uId, 1000, 0, TRANSPARENT);
        SelectObject(hMem, hOldFont);
        BitBlt(hdc, x, y, bm.bmWidth, bm.bmHeight, hMem, 0, 0, SRCAND);
        SelectObject(hMem, hOld);
        DeleteDC(hMem);
    }
    DeleteObject(hbm);
}

// A masked pair whose label is drawn into the mask first.
void _DrawTextIntoMaskedBitmap(HDC hdc, WORD wMask, WORD wImage, int x, int y, UINT uTextId, int tx, int ty,
                               HFONT hFont)
{
    LABEL label = {uTextId, tx, ty};
    _DrawTextIntoBitmap(hdc, wMask, x, y, &label, uTextId ? 1 : 0, hFont);
    BlitBitmapRop(hdc, x, y, wImage, SRCINVERT);
}

}  // namespace

namespace {

// The heading of the tab: the text being edited, turned by the direction,
// placed by the alignment, in the face, style and size of the settings.
void _DrawHeading(HDC hdc, const RECT* prc, UISETTINGS* pObj, const TABTEXTLAYOUT& L)
{
    const INSERTSHEETWORK* pWork = GetInsertSheetWork(pObj);
    if (!pWork || !pWork->szLiveTabText[0])
        return;
    WCHAR szText[INSERTSHEET_TEXT_CCH] = {0};
    lstrcpynW(szText, pWork->szLiveTabText, INSERTSHEET_TEXT_CCH);
    SHORT sOrient = _V(pObj, u"lpTabTextOrient"), sAlign = _V(pObj, u"lpTabTextAlign");
    SHORT sStyle = _V(pObj, u"lpTabTextFontStyle");
    WCHAR szFace[32] = {0};
    WORD wFace = GetParamIdOfKey(u"TabTextFontName");
    if (const WCHAR* pFace = wFace ? (const WCHAR*)GetParamSlot(pObj, wFace) : nullptr)
        lstrcpynW(szFace, pFace, 32);
    // Character set and pitch of the installed font of that face.
    FONTFAMILYWANT want = {};
    want.lf.lfCharSet = 128;
    want.lf.lfPitchAndFamily = 50;
    want.pszFace = szFace;
    EnumFontFamiliesW(hdc, nullptr, FontFamilyEnumProc, (LPARAM)&want);
    LOGFONTW lf = {};
    lf.lfHeight = L.lFontHeight;
    lf.lfEscapement = lf.lfOrientation = sOrient == 1 ? 900 : 2700;
    lf.lfWeight = (sStyle == 2 || sStyle == 4) ? 700 : 400;
    lf.lfItalic = (sStyle == 3 || sStyle == 4) ? 1 : 0;
    lf.lfCharSet = want.lf.lfCharSet;
    lf.lfPitchAndFamily = want.lf.lfPitchAndFamily;
    if (sOrient == 3 && lf.lfCharSet == 128) {
        lf.lfFaceName[0] = u'@';
        lstrcpynW(lf.lfFaceName + 1, szFace, 31);
    } else {
        lstrcpynW(lf.lfFaceName, szFace, 32);
    }
    int half = (L.lFontHeight < 0 ? -L.lFontHeight : L.lFontHeight) / 2;
    int x, y;
    UINT uAlign;
    int top = L.rcTab.top + prc->top, bottom = L.rcTab.bottom + prc->top, cy = L.cy + prc->top;
    if (sOrient == 1) {
        x = prc->left + L.cx + L.p - half;
        y = sAlign == 1 ? top : sAlign == 3 ? bottom : cy;
        uAlign = sAlign == 1 ? TA_RIGHT : sAlign == 3 ? TA_LEFT : TA_CENTER;
    } else {
        x = prc->left + L.cx + half + L.p;
        y = sAlign == 1 ? top : sAlign == 3 ? bottom : cy;
        uAlign = sAlign == 1 ? TA_LEFT : sAlign == 3 ? TA_RIGHT : TA_CENTER;
    }
    RECT rcClip = L.rcTextClip;
    OffsetRect(&rcClip, prc->left, prc->top);
    DrawTabText(hdc, &lf, x, y, szText, &rcClip, uAlign);
}

}  // namespace

void DrawTabText(HDC hdc, const LOGFONTW* plf, int x, int y, LPCWSTR pszText, const RECT* prcClip, UINT uAlign)
{
    if (!hdc || !plf || !pszText)
        return;
    HFONT hFont = CreateFontIndirectW(plf);
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    COLORREF crText = SetTextColor(hdc, RGB(0, 0, 0));
    COLORREF crBack = SetBkColor(hdc, RGB(255, 255, 255));
    int iMode = SetBkMode(hdc, TRANSPARENT);
    UINT uOldAlign = SetTextAlign(hdc, uAlign);
    ExtTextOutW(hdc, x, y, ETO_CLIPPED, prcClip, pszText, (UINT)lstrlenW(pszText), nullptr);
    SetTextAlign(hdc, uOldAlign);
    SetBkMode(hdc, iMode);
    SetBkColor(hdc, crBack);
    SetTextColor(hdc, crText);
    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
}

int FormatCurrentTime(LPWSTR pszOut, WORD* pwHour, WORD* pwMinute)
{
    if (!pszOut)
        return 0;
    SYSTEMTIME st = {};
    GetLocalTime(&st);
    if (pwHour)
        *pwHour = st.wHour;
    if (pwMinute)
        *pwMinute = st.wMinute;
    return wsprintfW(pszOut, u"%02d:%02d", (int)st.wHour, (int)st.wMinute);
}

void BuildPageNumberSample(int t, PAGENUMBERSAMPLE* p)
{
    memset(p, 0, sizeof(*p));
    int n, step;
    _TabSteps(t, &n, &step);
    switch (t) {
    case 2: p->cLines = 2; p->iSpacing = 44; p->yFirst = 27; break;
    case 3: p->cLines = 3; p->iSpacing = 27; p->yFirst = 33; break;
    case 4: p->cLines = 4; p->iSpacing = 22; p->yFirst = 33; break;
    case 5: p->cLines = 5; p->iSpacing = 18; p->yFirst = 33; break;
    default: p->cLines = 5; p->iSpacing = 18; p->yFirst = 33; p->bGap = TRUE; break;
    }
    p->yFirst += (124 / n) / 2;
    int k = 1;
    for (int i = 0; i < p->cLines; ++i) {
        if (p->bGap && i == 2) {
            k = t - 1;
            continue;
        }
        // A tab count below 2 has no sample of its own: the numbers stay
        // positive rather than count from zero.
        wsprintfW(p->aszLine[i], u"%2d/%2d", std::max(k, 1), t);
        ++k;
    }
}

WORD GetInsertSheetBitmapId(UISETTINGS* pObj, POINT* pOffset)
{
    int rotated = _V(pObj, u"lpOrientation") == 2 ? 1 : 0;
    SHORT sLayout = _V(pObj, u"lpLayout");
    bool bStd = _On(pObj, u"Layout_Check2"), bPod = _On(pObj, u"POD_Check");
    if ((sLayout == 5 || sLayout == 8) && ((bStd && _On(pObj, u"Nup_Check")) || (bPod && _On(pObj, u"POD_Nup_Check"))))
        ++rotated;
    if (bPod && _On(pObj, u"POD_OnePerSheet_Check"))
        ++rotated;
    bool r = rotated % 2 == 1;
    bool bDuplex = (bStd && _On(pObj, u"Duplex_Check")) || (bPod && _On(pObj, u"POD_Duplex_Check"));
    WORD wId;
    switch (_V(pObj, u"lpInterSheetListPRNType")) {
    case 0: wId = r ? 15893 : 15890; break;
    case 1: wId = r ? 15895 : 15892; break;
    case 2: wId = r ? 15899 : 15898; break;
    case 3:
        wId = _V(pObj, u"lpInterSheetListBinding") == 2 ? (r ? 15901 : 15900) : (r ? 15903 : 15902);
        break;
    case 4:
        if (bDuplex)
            wId = _V(pObj, u"lpDuplex") == 2 ? (r ? 15901 : 15900) : (r ? 15903 : 15902);
        else
            wId = r ? 15899 : 15898;
        break;
    case 5: wId = r ? 15907 : 15906; break;
    case 6: wId = r ? 15894 : 15891; break;
    default: wId = 15890; break;
    }
    if (pOffset)
        *pOffset = r ? POINT{10, -2} : POINT{25, 10};
    return wId;
}

BOOL ComputeTabTextLayout(UISETTINGS* pObj, int cxPane, int cyPane, int a, TABTEXTLAYOUT* L)
{
    memset(L, 0, sizeof(*L));
    int n = _V(pObj, u"lpTabIndexNum");
    // The count divides the paper; a value read from a damaged file must not
    // stop the paint.
    if (n < 1)
        return FALSE;
    L->iLogPixelsX = a;
    L->cx = cxPane / 2 + 28;
    L->cy = cyPane / 2 + 5;
    L->tw = (24 * a + 50) / 100;
    LONG lLength;
    if (_V(pObj, u"lpTabPaperSize") == 1025) {
        L->iPaperCode = 1025;
        lLength = 27940;
    } else {
        L->iPaperCode = 1033;
        lLength = 29700;
    }
    LONG v = (lLength - (LONG)(_V(pObj, u"TabTopMargin") + _V(pObj, u"TabBottomMargin") +
                               (n - 1) * _V(pObj, u"TabIndexSpace")) * 100) / n;
    // Margins and spacing wider than the paper leave no tab to draw.
    if (v < 0)
        v = 0;
    L->lTabHeightMm100 = v;
    L->th = (a * ((10 * v + 127) / 254) + 50) / 100;
    L->p = (a * ((1000 * _V(pObj, u"TabTextPosition") + 127) / 254) + 50) / 100;
    L->d = (16 * a + 50) / 100;
    L->e = (8 * a + 50) / 100;
    int f = (47 * a + 50) / 100, g = (104 * a + 50) / 100 + f;
    if (g < f + L->th) {
        if (n == 6)
            g = 124;
        L->lScale = (LONG)g * 10000 / (f + L->th);
    } else
        L->lScale = (LONG)g * 10000 / (f + (149 * a + 50) / 100);
    auto scale = [&](int x) { return (int)(((LONG)x * L->lScale + 5000) / 10000); };
    L->tw = scale(L->tw);
    L->th = scale(L->th);
    L->p = scale(L->p);
    L->d = scale(L->d);
    L->e = scale(L->e);
    L->rcTab = {L->cx - L->tw, L->cy - L->th / 2, L->cx + L->tw, L->cy + L->th / 2};
    L->rcTextClip = {0, L->rcTab.top - L->d - L->e, L->cx + L->tw, L->rcTab.bottom + L->d + L->e};
    int size = _V(pObj, u"TabTextFontSize");
    WORD wParam = GetParamIdOfKey(u"TabTextFontSize");
    if (const UIITEMRANGE* pRange = wParam ? (const UIITEMRANGE*)GetParamSlot(pObj, wParam) : nullptr)
        if (pRange->sMin <= pRange->sMax)
            size = std::clamp(size, (int)pRange->sMin, (int)pRange->sMax);
    L->iFontSize = size;
    L->lFontHeight = -scale((size * a * 100 + 3600) / 7200);
    return TRUE;
}

void PaintIndexPaperPreview(HDC hdc, const RECT* prc, UISETTINGS* pObj)
{
    if (pObj)
        GetPreviewGeometry(pObj)->rcIndexPaper = *prc;
    DrawPreviewFrame(hdc, prc);
    if (!pObj)
        return;
    int t = _V(pObj, u"lpTabIndexNum");
    WORD wPaper = t == 2 ? 15880 : t == 3 ? 15881 : t == 4 ? 15882 : 15883;
    HFONT hFont = _LabelFont(12);
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    const LABEL labels[5] = {{28575, 115, 20}, {28577, 115, 35}, {28576, 115, 115}, {28577, 115, 130}, {28574, 80, 160}};
    int x0 = prc->left, y0 = prc->top;
    _DrawTextIntoBitmap(hdc, wPaper, x0, y0, labels, 5, hFont);
    int n, step;
    _TabSteps(t, &n, &step);
    _DrawTextIntoMaskedBitmap(hdc, 15885, 15884, x0 + 100, y0 + 124 / n - step + 44, 28573, 15, 3, hFont);
    PAGENUMBERSAMPLE s;
    BuildPageNumberSample(t, &s);
    if (s.bGap)
        BlitMaskedBitmapPair(hdc, x0 + 80, y0 + 80, 15887, 15886);
    int iOldMode = SetBkMode(hdc, TRANSPARENT);
    for (int i = 0; i < s.cLines; ++i)
        if (s.aszLine[i][0])
            ExtTextOutW(hdc, x0 + 54, y0 + s.yFirst + i * s.iSpacing, ETO_CLIPPED, prc, s.aszLine[i],
                        (UINT)lstrlenW(s.aszLine[i]), nullptr);
    SetBkMode(hdc, iOldMode);
    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
}

void PaintInsertSheetPreview(HDC hdc, const RECT* prc, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    GetPreviewGeometry(pObj)->rcInsertSheet = *prc;
    if (_V(pObj, u"PrnTabIndex") != 0)
        return;
    DrawPreviewFrame(hdc, prc);
    POINT off;
    WORD wId = GetInsertSheetBitmapId(pObj, &off);
    BlitBitmapRop(hdc, prc->left + off.x, prc->top + off.y, wId, SRCAND);
}

void PaintTabTextPreview(HDC hdc, const RECT* prc, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    GetPreviewGeometry(pObj)->rcTabText = *prc;
    if (_V(pObj, u"PrnTabIndex") != 1) {
        HBRUSH hbr = CreateSolidBrush(PreviewSysColour(15));
        HGDIOBJ hOld = SelectObject(hdc, hbr);
        PatBlt(hdc, prc->left, prc->top, prc->right - prc->left, prc->bottom - prc->top, PATCOPY);
        SelectObject(hdc, hOld);
        DeleteObject(hbr);
        return;
    }
    DrawPreviewFrame(hdc, prc);
    TABTEXTLAYOUT L;
    int a = GetDeviceCaps(hdc, LOGPIXELSX);
    if (a <= 0)
        a = 96;
    if (!ComputeTabTextLayout(pObj, prc->right - prc->left, prc->bottom - prc->top, a, &L))
        return;
    int l = L.rcTab.left + prc->left, t = L.rcTab.top + prc->top, r = L.rcTab.right + prc->left,
        b = L.rcTab.bottom + prc->top, d = L.d, e = L.e;
    // The tab body in the tab colour.
    HBITMAP hbmPattern = LoadResBitmap(GetResourceDllHandle(), MAKEINTRESOURCEW(15912));
    HBRUSH hbrTab = hbmPattern ? CreatePatternBrush(hbmPattern) : CreateSolidBrush(RGB(255, 255, 0));
    HPEN hpenTab = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
    HGDIOBJ hOldBrush = SelectObject(hdc, hbrTab);
    HGDIOBJ hOldPen = SelectObject(hdc, hpenTab);
    const POINT body[8] = {{l - d, t - d - e}, {l, t - d - e}, {l, t - d}, {r, t},
                           {r, b},         {l, b + d},     {l, b + d + e}, {l - d, b + d + e}};
    Polygon(hdc, body, 8);
    _DrawHeading(hdc, prc, pObj, L);
    // The sheet over the tab's root, in white, and its grey outline.
    HBRUSH hbrWhite = CreateSolidBrush(RGB(255, 255, 255));
    HPEN hpenWhite = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    SelectObject(hdc, hbrWhite);
    SelectObject(hdc, hpenWhite);
    const POINT cover[8] = {{r + e, t - d - e}, {l, t - d - e}, {l, t - d}, {r, t},
                            {r, b + 1},         {l, b + d + 1}, {l, b + d + 1 + e}, {r + e, b + d + 1 + e}};
    Polygon(hdc, cover, 8);
    HPEN hpenGrey = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    SelectObject(hdc, hpenGrey);
    MoveToEx(hdc, l, t - d, nullptr);
    LineTo(hdc, r, t);
    LineTo(hdc, r, b + 1);
    LineTo(hdc, l, b + d + 1);
    SelectObject(hdc, hOldBrush);
    SelectObject(hdc, hOldPen);
    DeleteObject(hbrTab);
    DeleteObject(hpenTab);
    DeleteObject(hbrWhite);
    DeleteObject(hpenWhite);
    DeleteObject(hpenGrey);
    if (hbmPattern)
        DeleteObject(hbmPattern);
    // The paper label and the sheet symbol.
    HFONT hFont = _LabelFont((900 * a + 3600) / 7200);
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    int iOldMode = SetBkMode(hdc, TRANSPARENT);
    LPCWSTR pszPaper = L.iPaperCode == 1025 ? GetResString(28561) : GetResString(28560);
    ExtTextOutW(hdc, prc->left + 4, prc->top + 4, ETO_CLIPPED, prc, pszPaper, (UINT)lstrlenW(pszPaper), nullptr);
    SetBkMode(hdc, iOldMode);
    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
    SHORT sType = _V(pObj, u"lpInterSheetListPRNType");
    WORD wSymbol = sType == 1 ? 15910 : (sType == 2 || sType == 4) ? 15911 : sType == 6 ? 15909 : 15908;
    BlitBitmapRop(hdc, prc->left + 8, prc->top + 24, wSymbol, SRCAND);
}
