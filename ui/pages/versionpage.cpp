// versionpage.cpp: the Version page, the last page of the document sheet.
//
// Owns: VersionPageDlgProc and the logo it paints. The page shows the
// model line, the driver's name and version and a logo; it edits nothing,
// takes no part in the change cycle and has nothing to apply. Its record
// is the settings pointer alone.
#include "platform/comdlg/winhelp.h"
#include "platform/windows.h"
#include "ui/constraints/resolver.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"

namespace {

const WORD kLogoButton = 1006;
const WORD kModelLine = 1001;
const WORD kVersionLine = 1003;
const WORD kReportButton = 1007;
const WORD kLogoImage = 12000;
const WORD kLogoMask = 12001;

const WCHAR kszVersionPrefix[] = u"Version : ";
const WCHAR kszVersion[] = u"04.03";
const WCHAR kszVersionSuffix[] = u".00.00";
const WCHAR kszModelSuffix[] = u" series Print Controller";

struct VERSIONPAGEREC {
    UISETTINGS* pSettings;
};
static_assert(sizeof(void*) != 4 || sizeof(VERSIONPAGEREC) == 4);

BOOL VersionPageCreateRecord(HWND hwnd, LPARAM lParamInit)
{
    HGLOBAL h = GlobalAlloc(GHND, sizeof(VERSIONPAGEREC));
    VERSIONPAGEREC* r = h ? (VERSIONPAGEREC*)GlobalLock(h) : nullptr;
    if (!r) {
        if (h)
            GlobalFree(h);
        return FALSE;
    }
    r->pSettings = SettingsOfPageParam(lParamInit);
    SetWindowLongPtrW(hwnd, DWLP_USER, (LONG_PTR)r);
    return TRUE;
}

void VersionPageDestroyRecord(HWND hwnd)
{
    void* r = (void*)GetWindowLongPtrW(hwnd, DWLP_USER);
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    if (HGLOBAL h = r ? GlobalHandle(r) : nullptr) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

UISETTINGS* _Settings(HWND hwnd)
{
    VERSIONPAGEREC* r = (VERSIONPAGEREC*)GetWindowLongPtrW(hwnd, DWLP_USER);
    return r ? r->pSettings : nullptr;
}

void _Append(LPWSTR pszOut, int cch, LPCWSTR pszMore)
{
    int n = lstrlenW(pszOut);
    if (pszMore && n < cch - 1)
        lstrcpynW(pszOut + n, pszMore, cch - n);
}

// The logo in its sunken frame, painted on the page's own DC.
void PaintVersionLogo(HWND hwnd)
{
    HMODULE hRes = LoadResourceDll();
    HBITMAP hImage = LoadResBitmap(hRes, MAKEINTRESOURCEW(kLogoImage));
    HBITMAP hMask = LoadResBitmap(hRes, MAKEINTRESOURCEW(kLogoMask));
    if (!hImage || !hMask) {
        // Half a logo is no logo: nothing is drawn.
        if (hImage)
            DeleteObject(hImage);
        if (hMask)
            DeleteObject(hMask);
        FreeResourceDll();
        return;
    }
    BITMAP bm = {};
    GetObjectW(hImage, sizeof(bm), &bm);
    RECT rc = {};
    GetWindowRect(GetDlgItem(hwnd, kLogoButton), &rc);
    rc.right = rc.left + bm.bmWidth + 4;
    rc.bottom = rc.top + bm.bmHeight + 4;
    RectScreenToClient(hwnd, &rc);

    HDC hdc = GetDC(hwnd);
    HDC hdcMem = CreateCompatibleDC(hdc);
    FrameRect(hdc, &rc, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    RECT r1 = {rc.left, rc.top, rc.right - 1, rc.bottom - 1};
    FrameRect(hdc, &r1, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT r2 = {rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
    FrameRect(hdc, &r2, GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH hBlack = (HBRUSH)GetStockObject(BLACK_BRUSH);
    RECT rLeft = {rc.left + 1, rc.top + 1, rc.left + 2, rc.bottom - 2};
    RECT rTop = {rc.left + 1, rc.top + 1, rc.right - 2, rc.top + 2};
    FillRect(hdc, &rLeft, hBlack);
    FillRect(hdc, &rTop, hBlack);

    HGDIOBJ hOld = SelectObject(hdcMem, hMask);
    BitBlt(hdc, rc.left + 2, rc.top + 2, bm.bmWidth, bm.bmHeight, hdcMem, 0, 0, SRCPAINT);
    SelectObject(hdcMem, hImage);
    BitBlt(hdc, rc.left + 2, rc.top + 2, bm.bmWidth, bm.bmHeight, hdcMem, 0, 0, SRCAND);
    SelectObject(hdcMem, hOld);
    DeleteObject(hImage);
    DeleteObject(hMask);
    DeleteDC(hdcMem);
    ReleaseDC(hwnd, hdc);
    FreeResourceDll();
}

}  // namespace

INT_PTR CALLBACK VersionPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG: {
        VersionPageCreateRecord(hwnd, lParam);
        WCHAR sz[128] = {};
        lstrcpynW(sz, kszVersionPrefix, 128);
        _Append(sz, 128, kszVersion);
        _Append(sz, 128, kszVersionSuffix);
        SetDlgItemTextW(hwnd, kVersionLine, sz);
        sz[0] = 0;
        _Append(sz, 128, GetModelDisplayName());
        _Append(sz, 128, kszModelSuffix);
        SetDlgItemTextW(hwnd, kModelLine, sz);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* pdis = (const DRAWITEMSTRUCT*)lParam;
        if (!pdis)
            return FALSE;
        if (pdis->CtlID == kLogoButton) {
            PaintVersionLogo(hwnd);
            return TRUE;
        }
        if (pdis->CtlID == kReportButton) {
            if (UISETTINGS* pObj = _Settings(hwnd))
                ShowPendingConflictReport(hwnd, pObj);
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        const NMHDR* pnm = (const NMHDR*)lParam;
        if (!pnm)
            return FALSE;
        if (pnm->code == PSN_HELP) {
            WCHAR szPath[HELPTABLE_PATH_CCH];
            ShowDriverHelp(hwnd, szPath, HELP_CONTEXT, HELPCTX_VERSION);
            return 0;
        }
        // The cancel goes ahead: TRUE without a result of its own.
        if (pnm->code == PSN_QUERYCANCEL)
            return TRUE;
        return 0;
    }
    case WM_HELP:
    case WM_CONTEXTMENU:
    case WM_COMMAND:
        return TRUE;
    case WM_DESTROY:
        VersionPageDestroyRecord(hwnd);
        return FALSE;
    }
    return FALSE;
}
