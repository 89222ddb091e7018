// pagehooks.cpp: the watermark of every page and the form prompt of the
// first page (see pagehooks.h for the rules).
//
// Entry points: DocEventStartPageForm, DrawPageWatermark, FormatFormPrompt,
// GetWatermarkItemInfo, SinTenthDegree, CosTenthDegree, PlaceWatermark,
// WatermarkLogFont, WatermarkFontEnumProc. The escapes go through the
// chain's DocEscape; the user's lists come from the per-user store through
// the registry-tree walk.
#include "ui/driverui/pagehooks.h"

#include "platform/kernel/fpmath.h"
#include "ui/driverui/docevent.h"
#include "ui/driverui/dochooks.h"
#include "platform/gdi/msgbox.h"
#include "ui/settings/listset.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/wmlist.h"
#include "ui/settings/uiparam.h"

#include <cmath>
#include <cstring>

namespace {

// The form file size kept behind the form path (DEVMODE offset 1402).
const size_t kFormSizeOffset = 1402;
const int kWatermarkLast = 50;

// round(16384 x sin(i degrees)), i = 0..90, computed once in double
// precision with the sine that gives the same bits in every build (three
// entries lie within 0.005 of a half).
const LONG* _SineTable()
{
    static LONG s_al[91];
    static const bool s_bInit = [] {
        const double kPi = 3.14159265358979323846;
        for (int i = 0; i <= 90; ++i)
            s_al[i] = static_cast<LONG>(std::lround(16384.0 * PlatSin(i * kPi / 180.0)));
        return true;
    }();
    (void)s_bInit;
    return s_al;
}

// The printer whose per-user lists the job uses.
void _PrinterName(HANDLE hPrinter, const DRVDEVMODE* pdm, WCHAR szName[64])
{
    szName[0] = 0;
    if (hPrinter && QueryPrinterName(hPrinter, szName, 64))
        return;
    lstrcpynW(szName, reinterpret_cast<LPCWSTR>(pdm->dm.dmDeviceName), 33);
}

// A DEVMODE image of the job, read into a new zeroed block; null when it
// cannot be allocated or read (a failed read is never used or sent back).
DRVDEVMODE* _ReadJobDevmode(HDC hdc)
{
    BYTE* pBuf = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, DRV_DEVMODE_SIZE));
    if (!pBuf)
        return nullptr;
    if (DocEscape(hdc, ESC_GET_DEVMODE, 0, nullptr, DRV_DEVMODE_SIZE, pBuf) <= 0) {
        GlobalFree(pBuf);
        return nullptr;
    }
    return reinterpret_cast<DRVDEVMODE*>(pBuf);
}

// Copies a locator field of watermark n into pDst (cbDst bytes, zero
// filled); FALSE when the field cannot be located.
BOOL _WmField(WATERMARKLIST* pList, WORD wId, int n, void* pDst, DWORD cbDst)
{
    void* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    memset(pDst, 0, cbDst);
    if (!GetWatermarkField(wId, n, &pAddr, &cb, &wType, pList) || !pAddr)
        return FALSE;
    memcpy(pDst, pAddr, cb < cbDst ? cb : cbDst);
    return TRUE;
}

LONG _WmLong(WATERMARKLIST* pList, WORD wId, int n)
{
    LONG l = 0;
    _WmField(pList, wId, n, &l, sizeof(l));
    return l;
}

// The form file's name: the part after the last backslash.
LPCWSTR _FileNamePart(LPCWSTR pszPath)
{
    LPCWSTR pszName = pszPath;
    for (LPCWSTR p = pszPath; *p; ++p)
        if (*p == u'\\')
            pszName = p + 1;
    return pszName;
}

// Puts pszArg where the stored format has "%s" and "%" where it has "%%";
// any other directive is copied as it stands, so a format from the registry
// can never make the formatter read arguments that were not passed.
void _FormatOneString(LPCWSTR pszFormat, LPCWSTR pszArg, LPWSTR pszOut, int cchOut)
{
    int n = 0;
    auto put = [&](WCHAR c) {
        if (n < cchOut - 1)
            pszOut[n++] = c;
    };
    BOOL bArgUsed = FALSE;
    for (LPCWSTR p = pszFormat; *p; ++p) {
        if (p[0] == u'%' && p[1] == u'%') {
            put(u'%');
            ++p;
        } else if (p[0] == u'%' && p[1] == u's' && !bArgUsed) {
            for (LPCWSTR a = pszArg; *a; ++a)
                put(*a);
            bArgUsed = TRUE;
            ++p;
        } else {
            put(*p);
        }
    }
    pszOut[n] = 0;
}

// The form path of the DEVMODE, terminated whatever the field holds.
void _FormPath(const DRVDEVMODE* pdm, WCHAR szPath[131])
{
    memcpy(szPath, pdm->ui.szOverlayName, sizeof(pdm->ui.szOverlayName));
    szPath[130] = 0;
}

// DrawPageWatermark body once the DEVMODE is read.
void _DrawWatermark(HANDLE hPrinter, HDC hdc, const RECT* prc, const DRVDEVMODE* pdm)
{
    const UIEXTRA& ui = pdm->ui;
    if (!ui.bWatermarkCurrent || !ui.Watermark_Use)
        return;
    if (ui.FirstPageOnly && DocEscape(hdc, ESC_PAGE_COUNTER, 0, nullptr, 0, nullptr) != 1)
        return;
    // Only an answer of 2 swaps the page; a failed escape leaves it upright
    // for the page size and the paper bounds alike.
    int iOrientation = DocEscape(hdc, ESC_ORIENTATION, 0, nullptr, 0, nullptr) == 2 ? 2 : 1;

    WCHAR szPrinter[64];
    _PrinterName(hPrinter, pdm, szPrinter);
    WMDRAWINFO info;
    if (!GetWatermarkItemInfo(pdm, szPrinter, &info))
        return;
    if (info.lSize == 0)
        return;

    LOGFONTW lf;
    WatermarkLogFont(&info, ui.dmMirror.dmYResolution, &lf);
    // The installed face decides the character set and pitch; the screen's
    // memory DC enumerates the same faces as the screen.
    HDC hdcScreen = CreateCompatibleDC(nullptr);
    EnumFontFamiliesW(hdcScreen, lf.lfFaceName, WatermarkFontEnumProc, reinterpret_cast<LPARAM>(&lf));
    if (hdcScreen)
        DeleteDC(hdcScreen);

    BYTE g = info.bGrey;
    if (ui.lpGraphicsMode != 2) {
        // Raster pages blend the watermark when the page is sent; the text
        // itself is drawn black.
        DocEscape(hdc, ESC_WM_GREY, 1, &g, 0, nullptr);
        g = 0;
    }
    if (ui.lpGraphicsMode == 2) {
        BYTE ab[4] = {ui.lpWatermarkOrder, ui.Watermark_Use, ui.bWatermarkCurrent, ui.FirstPageOnly};
        DocEscape(hdc, ESC_PAGE_FLAG_SET, sizeof(ab), ab, 0, nullptr);
    } else if (ui.lpWatermarkOrder == 2) {
        DocEscape(hdc, ESC_PAGE_CLEAR, 0, nullptr, 0, nullptr);
    }

    POINT ptWinOrg = {}, ptVpOrg = {};
    SIZE sizeWinExt = {}, sizeVpExt = {};
    SetWindowOrgEx(hdc, 0, 0, &ptWinOrg);
    SetWindowExtEx(hdc, 1, 1, &sizeWinExt);
    SetViewportOrgEx(hdc, 0, 0, &ptVpOrg);
    SetViewportExtEx(hdc, 1, 1, &sizeVpExt);
    int iOldMap = SetMapMode(hdc, MM_TEXT);

    HFONT hFont = CreateFontIndirectW(&lf);
    HGDIOBJ hOldFont = hFont ? SelectObject(hdc, hFont) : nullptr;
    COLORREF crText = RGB(g, g, g);
    COLORREF crOldText = SetTextColor(hdc, crText);
    COLORREF crOldBk = SetBkColor(hdc, RGB(255, 255, 255));
    UINT uOldAlign = SetTextAlign(hdc, TA_CENTER | TA_BOTTOM);

    int cch = lstrlenW(info.szText);
    SIZE sizeText = {};
    GetTextExtentPointW(hdc, info.szText, cch, &sizeText);
    SIZE sizePage;
    POINT pt;
    PlaceWatermark(pdm, iOrientation, sizeText.cy, &info, &sizePage, &pt);
    // The page rectangle clips the text together with the caller's
    // rectangle, so the DC's own clip region stays the application's.
    RECT rc = {0, 0, sizePage.cx, sizePage.cy};
    if (prc) {
        rc.left = prc->left > rc.left ? prc->left : rc.left;
        rc.top = prc->top > rc.top ? prc->top : rc.top;
        rc.right = prc->right < rc.right ? prc->right : rc.right;
        rc.bottom = prc->bottom < rc.bottom ? prc->bottom : rc.bottom;
    }
    int iOldBkMode = SetBkMode(hdc, TRANSPARENT);
    ExtTextOutW(hdc, pt.x, pt.y, ETO_CLIPPED, &rc, info.szText, static_cast<UINT>(cch), nullptr);
    if (ui.lpGraphicsMode == 1 && ui.lpWatermarkOrder == 1) {
        DocEscape(hdc, ESC_PAGE_CLEAR, 0, nullptr, 0, nullptr);
        SetTextColor(hdc, RGB(0, 0, 0));
        ExtTextOutW(hdc, pt.x, pt.y, ETO_CLIPPED, &rc, info.szText, static_cast<UINT>(cch), nullptr);
    }

    SetBkMode(hdc, iOldBkMode);
    SetTextAlign(hdc, uOldAlign);
    SetBkColor(hdc, crOldBk);
    SetTextColor(hdc, crOldText);
    if (hFont) {
        if (hOldFont)
            SelectObject(hdc, hOldFont);
        DeleteObject(hFont);
    }
    if (iOldMap)
        SetMapMode(hdc, iOldMap);
    SetViewportExtEx(hdc, sizeVpExt.cx, sizeVpExt.cy, nullptr);
    SetViewportOrgEx(hdc, ptVpOrg.x, ptVpOrg.y, nullptr);
    SetWindowExtEx(hdc, sizeWinExt.cx, sizeWinExt.cy, nullptr);
    SetWindowOrgEx(hdc, ptWinOrg.x, ptWinOrg.y, nullptr);

    if (ui.lpGraphicsMode == 2)
        DocEscape(hdc, ESC_PAGE_FLAG_CLEAR, 0, nullptr, 0, nullptr);
}

}  // namespace

LONG SinTenthDegree(LONG lAngle)
{
    const LONG* al = _SineTable();
    LONG a = lAngle % 3600;
    if (a < 0)
        a += 3600;
    LONG b = a < 1800 ? a : a - 1800;
    if (b > 900)
        b = 1800 - b;
    LONG r = al[b / 10];
    if (b % 10 != 0)
        r = r + (al[b / 10 + 1] - r) * (b % 10) / 10;
    return a < 1800 ? r : -r;
}

LONG CosTenthDegree(LONG lAngle)
{
    // Widened so that an angle near the top of the range cannot overflow.
    return SinTenthDegree(static_cast<LONG>((static_cast<long long>(lAngle) + 900) % 3600));
}

void WatermarkLogFont(const WMDRAWINFO* pInfo, LONG lDpiY, LOGFONTW* plf)
{
    memset(plf, 0, sizeof(*plf));
    switch (pInfo->lStyle) {
    case 2: plf->lfWeight = FW_BOLD; break;
    case 3: plf->lfItalic = 1; plf->lfWeight = FW_NORMAL; break;
    case 4: plf->lfItalic = 1; plf->lfWeight = FW_BOLD; break;
    default: plf->lfWeight = FW_NORMAL; break;
    }
    plf->lfHeight = static_cast<SHORT>(-(lDpiY * pInfo->lSize / 72));
    plf->lfEscapement = pInfo->lAngle;
    lstrcpynW(plf->lfFaceName, pInfo->szFace, LF_FACESIZE);
}

int WatermarkFontEnumProc(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam)
{
    (void)ptm, (void)dwType;
    LOGFONTW* pTarget = reinterpret_cast<LOGFONTW*>(lParam);
    if (plf && pTarget) {
        pTarget->lfCharSet = plf->lfCharSet;
        pTarget->lfPitchAndFamily = plf->lfPitchAndFamily;
    }
    return 1;
}

void PlaceWatermark(const DRVDEVMODE* pdm, int iOrientation, LONG cyText, const WMDRAWINFO* pInfo,
                    SIZE* psizePage, POINT* ppt)
{
    const UIEXTRA& ui = pdm->ui;
    const RECTL& rp = ui.rcPrintDots;
    const RECTL& ro = ui.rcOutPrintDots;
    LONG cx = rp.right - rp.left, cy = rp.bottom - rp.top;
    if (iOrientation == 2) {
        cx = rp.bottom - rp.top;
        cy = rp.right - rp.left;
    }
    psizePage->cx = cx;
    psizePage->cy = cy;

    LONG lDpiX = ui.dmMirror.dmPrintQuality, lDpiY = ui.dmMirror.dmYResolution;
    LONG a = pInfo->lAngle;
    LONG x = static_cast<SHORT>(lDpiX * pInfo->lOffsetX / 254) +
             cyText / 2 * (SinTenthDegree(a) * 10000 / 16384) / 10000 + cx / 2;
    LONG y = cy / 2 + cyText / 2 * (CosTenthDegree(a) * 10000 / 16384) / 10000 +
             static_cast<SHORT>(lDpiY * pInfo->lOffsetY / 254);

    LONG bx = ro.right - ro.left, by = ro.bottom - ro.top;
    if (iOrientation != 1) {
        bx = ro.bottom - ro.top;
        by = ro.right - ro.left;
    }
    // A zoom of 0 or less read back from the job cannot scale anything.
    if (ui.ZoomCheck && ui.Zoom > 0) {
        bx = bx * 100 / ui.Zoom;
        by = by * 100 / ui.Zoom;
    }
    if (x > bx)
        x = bx;
    if (x < 0)
        x = 0;
    if (y > by)
        y = by;
    if (y < 0)
        y = 0;
    ppt->x = x;
    ppt->y = y;
}

BOOL GetWatermarkItemInfo(const DRVDEVMODE* pdm, LPCWSTR pszPrinter, WMDRAWINFO* pInfo)
{
    if (!pInfo)
        return FALSE;
    memset(pInfo, 0, sizeof(*pInfo));
    if (!pdm)
        return FALSE;
    int n = pdm->ui.bWatermarkCurrent;
    if (n <= 0 || n > kWatermarkLast)
        return FALSE;
    WCHAR szName[33] = {};
    if (!pszPrinter) {
        lstrcpynW(szName, reinterpret_cast<LPCWSTR>(pdm->dm.dmDeviceName), 33);
        pszPrinter = szName;
    }
    WATERMARKLIST* pList = CreateWatermarkList();
    if (!pList)
        return FALSE;
    REGTREESET tables = {};
    BuildRegTreeTables(&tables);
    BOOL bOk = tables.pAll && LoadWatermarkList(pList, &tables, pszPrinter);
    SHORT sCount = 0;
    bOk = bOk && _WmField(pList, WMF_COUNT, 0, &sCount, sizeof(sCount));
    // The index came back from the job: only a watermark the list holds is
    // drawn.
    bOk = bOk && n < sCount;
    if (bOk) {
        _WmField(pList, WMF_TEXT, n, pInfo->szText, sizeof(pInfo->szText));
        _WmField(pList, WMF_FACE, n, pInfo->szFace, sizeof(pInfo->szFace));
        pInfo->szText[32] = 0;
        pInfo->szFace[31] = 0;
        pInfo->lStyle = _WmLong(pList, WMF_STYLE, n);
        pInfo->lSize = _WmLong(pList, WMF_SIZE, n);
        pInfo->lAngle = _WmLong(pList, WMF_ANGLE, n);
        pInfo->bGrey = static_cast<BYTE>(_WmLong(pList, WMF_COLOR, n) & 0xFF);
        pInfo->lOffsetX = _WmLong(pList, WMF_CENTERX, n);
        pInfo->lOffsetY = _WmLong(pList, WMF_CENTERY, n);
    }
    FreeRegTreeTables(&tables);
    FreeWatermarkList(&pList);
    return bOk;
}

BOOL FormatFormPrompt(const DRVDEVMODE* pdm, LPCWSTR pszPrinter, FORMPROMPT* pPrompt)
{
    if (!pPrompt)
        return FALSE;
    memset(pPrompt, 0, sizeof(*pPrompt));
    if (!pdm || (pdm->ui.lpOverlay != 2 && pdm->ui.lpOverlay != 3))
        return FALSE;
    WCHAR szName[33] = {};
    if (!pszPrinter) {
        lstrcpynW(szName, reinterpret_cast<LPCWSTR>(pdm->dm.dmDeviceName), 33);
        pszPrinter = szName;
    }
    FORMLIST* pList = CreateFormList();
    if (!pList)
        return FALSE;
    REGTREESET tables = {};
    BuildRegTreeTables(&tables);
    BOOL bOk = tables.pAll && pList->pCaptions &&
               RegTreeWalkList(pList, &tables, FEATURE_FORM, pszPrinter, RTW_LOAD);
    // The list keeps the form-creation prompt in record 1 and the
    // form-printing prompt in record 2, numbered like the form modes.
    const FORMCAPTION* pCaption = bOk ? &pList->pCaptions[pdm->ui.lpOverlay - 1] : nullptr;
    WCHAR szFormat[279] = {};
    if (pCaption) {
        memcpy(szFormat, pCaption->szMessage, sizeof(pCaption->szMessage));
        szFormat[278] = 0;
    }
    bOk = bOk && szFormat[0] != 0;
    if (bOk) {
        WCHAR szPath[131];
        _FormPath(pdm, szPath);
        pPrompt->uStyle = pCaption->dwStyle;
        _FormatOneString(szFormat, _FileNamePart(szPath), pPrompt->szText, FORMPROMPT_CCH);
    }
    FreeRegTreeTables(&tables);
    FreeFormList(&pList);
    return bOk;
}

void DocEventStartPageForm(HANDLE hPrinter, HDC hdc)
{
    if (DocEscape(hdc, ESC_PAGE_COUNTER, 0, nullptr, 0, nullptr) != 0)
        return;
    DRVDEVMODE* pdm = _ReadJobDevmode(hdc);
    if (!pdm)
        return;
    UIEXTRA& ui = pdm->ui;
    if (ui.lpOverlay != 1) {
        WCHAR szPrinter[64];
        _PrinterName(hPrinter, pdm, szPrinter);
        FORMPROMPT* pPrompt =
            static_cast<FORMPROMPT*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(FORMPROMPT)));
        BOOL bPrompt = pPrompt && FormatFormPrompt(pdm, szPrinter, pPrompt);
        WCHAR szPath[131];
        _FormPath(pdm, szPath);
        if (ui.lpOverlay == 3) {
            DWORD dwSize = 0;
            HANDLE h = szPath[0] ? CreateFileW(szPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr)
                                 : INVALID_HANDLE_VALUE;
            if (h == INVALID_HANDLE_VALUE) {
                // A form file that is gone is dropped without a word.
                ui.bOverlayIndex = 0;
                memset(ui.szOverlayName, 0, sizeof(ui.szOverlayName));
                ui.lpOverlay = 1;
            } else {
                dwSize = GetFileSize(h, nullptr);
                if (dwSize == INVALID_FILE_SIZE)
                    dwSize = 0;
                CloseHandle(h);
            }
            memcpy(reinterpret_cast<BYTE*>(pdm) + kFormSizeOffset, &dwSize, sizeof(dwSize));
        }
        // Without a prepared prompt there is nothing to ask.
        if (ui.OverlayPrompt && ui.lpOverlay == 3 && bPrompt) {
            int iAnswer = MessageBoxW(nullptr, pPrompt->szText, szPath, pPrompt->uStyle);
            if (iAnswer == IDNO || iAnswer == IDCANCEL) {
                ui.lpOverlay = 1;
                ui.bOverlayIndex = 0;
            }
        }
        if (pPrompt)
            GlobalFree(pPrompt);
        DocEscape(hdc, ESC_SET_DEVMODE, DRV_DEVMODE_SIZE, pdm, 0, nullptr);
    }
    GlobalFree(pdm);
}

void DrawPageWatermark(HANDLE hPrinter, HDC hdc, const RECT* prc)
{
    DRVDEVMODE* pdm = _ReadJobDevmode(hdc);
    if (!pdm)
        return;
    _DrawWatermark(hPrinter, hdc, prc, pdm);
    GlobalFree(pdm);
}
