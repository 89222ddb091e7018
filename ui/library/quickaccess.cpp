// quickaccess.cpp: the Save/Recall menu of the document pages and the
// recall-detail dialog.
#include "ui/library/quickaccess.h"

#include <cstring>

#include "platform/comctl/prsht.h"
#include "platform/comdlg/winhelp.h"
#include "platform/windows.h"
#include "ui/driverui/driverui.h"
#include "ui/library/libstate.h"
#include "ui/library/usetdlg.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/strcache.h"
#include "ui/settings/usetlib.h"

namespace {

// The two flags of the menu button.
BOOL g_bClosedByButton = FALSE;
BOOL g_bSuppressNext = FALSE;

const UINT kTxtTitle = 26300;
const UINT kTxtSave = 26301;
const UINT kTxtRecall = 26302;
const UINT kTxtOrganize = 21105;
const UINT kTxtLibrary = 26303;
const UINT kTxtDetail = 26304;
const UINT kTxtFullOnSave = 21010;
const UINT kTxtFull = 21020;
const UINT kCapSave = 21103;

const int kItemHeight = 20;
const int kTextX = 24;
const int kBitmapX = 4;

LPCWSTR _Res(UINT uId)
{
    LPCWSTR p = GetResString(uId);
    return p ? p : u"";
}

// The texts of one built menu: the items' data point into it. It lives as
// long as the menu (one menu at a time is open on the sheet's thread).
struct MENUTEXTS {
    WCHAR aszText[40][USET_NAME_CCH + 64];
    int c;
};
MENUTEXTS g_texts;

ULONG_PTR _Keep(LPCWSTR psz)
{
    if (g_texts.c >= 40)
        return 0;
    lstrcpynW(g_texts.aszText[g_texts.c], psz ? psz : u"", USET_NAME_CCH + 64);
    return (ULONG_PTR)g_texts.aszText[g_texts.c++];
}

int _IdClass(UINT id)
{
    if (id == IDM_USET_TITLE || id == IDM_USET_LIBLINE)
        return 1;
    if (id >= IDM_USET_SAVE && id <= IDM_USET_FULL_NOTICE)
        return 2;
    if (bIsLibraryMenuId(id))
        return 3;
    return 0;
}

// Image id of an item; its mask is the next id.
WORD _BitmapOf(UINT id)
{
    switch (id) {
    case IDM_USET_SAVE: return 12200;
    case IDM_USET_SAVE_FULL: return 12210;
    case IDM_USET_RECALL: return 12202;
    case IDM_USET_ORGANIZE: return 12204;
    case IDM_USET_DETAIL: return 12208;
    case IDM_USET_FULL_NOTICE: return 12210;
    default:
        if (id >= IDM_USET_ENTRY && id < IDM_USET_ENTRY_OTHER)
            return 12220;
        if (id >= IDM_USET_ENTRY_OTHER && id <= IDM_USET_LAST)
            return 12222;
        return 0;
    }
}

HFONT _MenuFont(HWND hPage)
{
    HDC hdc = GetDC(hPage);
    int dpi = hdc ? GetDeviceCaps(hdc, LOGPIXELSY) : 96;
    if (hdc)
        ReleaseDC(hPage, hdc);
    return CreateFontW(-(dpi * 9 / 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, 0x32, u"ＭＳ Ｐゴシック");
}

void _Notice(HWND hPage, UINT uText)
{
    WCHAR sz[1024];
    wnsprintfW(sz, 1024, _Res(uText), USET_MAX_ENTRIES);
    ShowUsetFieldErrorText(hPage, 0, kCapSave, sz);
}

// Marks the sheet changed: PSM_CHANGED from the page that owns the dialog.
void _MarkSheetChanged(HWND hDlg)
{
    for (HWND h = GetParent(hDlg); h; h = GetParent(h)) {
        if (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) {
            if (HWND hSheet = GetParent(h))
                SendMessageW(hSheet, PSM_CHANGED, (WPARAM)h, 0);
            return;
        }
    }
}

// ---- recall-detail dialog ----------------------------------------------------

#pragma pack(push, 1)
// The dialog's record (20 bytes).
struct DETAILDATA {
    UISETTINGS* pSettings;
    BYTE abValue[RO_COUNT];
    BYTE bReserved[5];
    DWORD bUserSizes;
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(DETAILDATA) == 20);

struct DETAILBOX {
    DWORD dwBit;
    int idBox;
    int iOption;
};
const DETAILBOX kBoxes[RO_COUNT] = {
    {0x01, IDC_DETAIL_PAPER, RO_PAPER},       {0x02, IDC_DETAIL_UDPAPER, RO_UDPAPER},
    {0x20, IDC_DETAIL_FORM, RO_FORM},         {0x04, IDC_DETAIL_TRYBYPG, RO_TRYBYPG},
    {0x08, IDC_DETAIL_WMARK, RO_WMARK},       {0x10, IDC_DETAIL_FAXCOVER, RO_FAXCOVER},
    {0x40, IDC_DETAIL_OPTION, RO_OPTION},
};

void _RefreshDetail(HWND hDlg, DETAILDATA* d)
{
    DWORD* pm = GetLibraryRefreshMask(d->pSettings, LIBMASK_DETAIL);
    if (!pm)
        return;
    for (const DETAILBOX& b : kBoxes) {
        if (!(*pm & b.dwBit))
            continue;
        if (b.iOption != RO_UDPAPER || d->bUserSizes)
            CheckDlgButton(hDlg, b.idBox, d->abValue[b.iOption] == 1 ? BST_CHECKED : BST_UNCHECKED);
        *pm &= ~b.dwBit;
    }
}

void _FreeDetail(HWND hDlg, DETAILDATA* d)
{
    if (d) {
        HGLOBAL h = GlobalHandle(d);
        GlobalUnlock(h);
        GlobalFree(h);
    }
    SetWindowLongPtrW(hDlg, DWLP_USER, 0);
}

}  // namespace

// ---- menu --------------------------------------------------------------------

BOOL bIsLibraryMenuId(UINT id) { return id >= IDM_USET_ENTRY && id <= IDM_USET_LAST; }

HMENU BuildSaveRecallMenu(UISETTINGS* pSettings)
{
    HMENU hMenu = CreatePopupMenu();
    if (!hMenu)
        return nullptr;
    g_texts.c = 0;
    USETLIBRARY* pLib = CreateUserSettingsLibrary(nullptr, pSettings);
    int n = pLib ? (int)pLib->cEntries : 0;
    if (n > USET_MAX_ENTRIES)
        n = USET_MAX_ENTRIES;
    AppendMenuW(hMenu, MF_OWNERDRAW | MF_DISABLED, IDM_USET_TITLE, (LPCWSTR)_Keep(_Res(kTxtTitle)));
    AppendMenuW(hMenu, MF_OWNERDRAW, n >= USET_MAX_ENTRIES ? IDM_USET_SAVE_FULL : IDM_USET_SAVE,
                (LPCWSTR)_Keep(_Res(kTxtSave)));
    AppendMenuW(hMenu, MF_OWNERDRAW, IDM_USET_RECALL, (LPCWSTR)_Keep(_Res(kTxtRecall)));
    AppendMenuW(hMenu, MF_OWNERDRAW, IDM_USET_ORGANIZE, (LPCWSTR)_Keep(_Res(kTxtOrganize)));
    AppendMenuW(hMenu, MF_SEPARATOR | MF_DISABLED, 0, nullptr);
    WCHAR szLine[128];
    wnsprintfW(szLine, 128, u"%s  [%d/%d]", _Res(kTxtLibrary), n, USET_MAX_ENTRIES);
    AppendMenuW(hMenu, MF_OWNERDRAW | MF_DISABLED, IDM_USET_LIBLINE, (LPCWSTR)_Keep(szLine));
    for (int i = 0; i < n; ++i) {
        USETENTRY* e = GetUserSettingEntry(pLib, i);
        UINT id = (e && e->dwAttributes == 0 ? IDM_USET_ENTRY : IDM_USET_ENTRY_OTHER) + i;
        AppendMenuW(hMenu, MF_OWNERDRAW, id, (LPCWSTR)_Keep(e ? e->szDisplayName : u""));
    }
    AppendMenuW(hMenu, MF_SEPARATOR | MF_DISABLED, 0, nullptr);
    AppendMenuW(hMenu, MF_OWNERDRAW, IDM_USET_DETAIL, (LPCWSTR)_Keep(_Res(kTxtDetail)));
    DestroyUserSettingsLibrary(&pLib);
    return hMenu;
}

BOOL ShowSaveRecallMenu(HWND hPage, UISETTINGS* pSettings, int idButton)
{
    if (g_bSuppressNext) {
        g_bSuppressNext = FALSE;
        return FALSE;
    }
    // The menu's texts and pictures come from the resource library.
    LoadResourceDll();
    HMENU hMenu = BuildSaveRecallMenu(pSettings);
    if (!hMenu) {
        FreeResourceDll();
        return FALSE;
    }
    HWND hButton = GetDlgItem(hPage, idButton);
    RECT rc = {};
    GetWindowRect(hButton, &rc);
    TrackPopupMenu(hMenu, TPM_CENTERALIGN, (rc.left + rc.right) / 2, rc.bottom + 2, 0, hPage, nullptr);
    DestroyMenu(hMenu);
    FreeResourceDll();
    POINT pt = {};
    GetCursorPos(&pt);
    if (hButton && WindowFromPoint(pt) == hButton)
        g_bClosedByButton = TRUE;
    return TRUE;
}

void NoteSaveRecallMenuClosed(UINT uMsg, LPARAM lParam)
{
    if (!g_bClosedByButton)
        return;
    g_bSuppressNext = uMsg == WM_MOUSEACTIVATE && HIWORD(lParam) == WM_LBUTTONDOWN;
    g_bClosedByButton = FALSE;
}

BOOL ApplyLibraryMenuEntry(HWND hPage, UISETTINGS* pSettings, UINT id)
{
    if (!bIsLibraryMenuId(id) || !pSettings)
        return FALSE;
    USETLIBRARY* pLib = CreateUserSettingsLibraryFull(hPage, pSettings);
    BYTE* pOptions = CreateRecallOptions();
    int iPos = id < IDM_USET_ENTRY_OTHER ? (int)id - IDM_USET_ENTRY : (int)id - IDM_USET_ENTRY_OTHER;
    BOOL bDone = FALSE;
    // The library may have changed since the menu was built: only an entry
    // it still holds is recalled.
    if (pLib && pOptions && iPos < USET_MAX_ENTRIES && iPos < (int)pLib->cEntries) {
        StoreRecallOptions(pOptions, pSettings);
        bDone = bRecallUserSetting(pLib, iPos, pSettings, pOptions);
    }
    FreeRecallOptions(&pOptions);
    DestroyUserSettingsLibrary(&pLib);
    return bDone;
}

BOOL MeasureSaveRecallMenuItem(HWND hPage, MEASUREITEMSTRUCT* pMis)
{
    if (!pMis || pMis->CtlType != ODT_MENU || !_IdClass(pMis->itemID))
        return FALSE;
    LPCWSTR psz = pMis->itemData ? (LPCWSTR)pMis->itemData : u"";
    HFONT hFont = _MenuFont(hPage);
    HDC hdc = GetDC(hPage);
    SIZE sz = {};
    if (hdc) {
        HGDIOBJ hOld = SelectObject(hdc, hFont);
        GetTextExtentPoint32W(hdc, psz, lstrlenW(psz), &sz);
        SelectObject(hdc, hOld);
        ReleaseDC(hPage, hdc);
    }
    DeleteObject(hFont);
    pMis->itemWidth = sz.cx + kTextX;
    pMis->itemHeight = kItemHeight;
    return TRUE;
}

BOOL DrawSaveRecallMenuItem(const DRAWITEMSTRUCT* pDis)
{
    if (!pDis || pDis->CtlType != ODT_MENU)
        return FALSE;
    int iClass = _IdClass(pDis->itemID);
    if (!iClass)
        return FALSE;
    HDC hdc = pDis->hDC;
    LPCWSTR psz = pDis->itemData ? (LPCWSTR)pDis->itemData : u"";
    RECT rc = pDis->rcItem;
    HFONT hFont = _MenuFont(WindowFromDC(hdc));
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    int yText = rc.top + ((rc.bottom - rc.top) - tm.tmHeight) / 2;
    if (iClass == 1) {
        int iOldMode = SetBkMode(hdc, TRANSPARENT);
        TextOutW(hdc, rc.left + kBitmapX, yText, psz, lstrlenW(psz));
        SetBkMode(hdc, iOldMode);
    } else {
        BOOL bSel = (pDis->itemState & ODS_SELECTED) != 0;
        HBRUSH hBrush = CreateSolidBrush(GetSysColor(bSel ? COLOR_HIGHLIGHT : COLOR_MENU));
        HGDIOBJ hOldBrush = SelectObject(hdc, hBrush);
        HGDIOBJ hOldPen = SelectObject(hdc, GetStockObject(NULL_PEN));
        Rectangle(hdc, rc.left, rc.top, rc.right + 1, rc.bottom + 1);
        SelectObject(hdc, hOldPen);
        SelectObject(hdc, hOldBrush);
        DeleteObject(hBrush);
        int iOldMode = SetBkMode(hdc, TRANSPARENT);
        COLORREF crOld = SetTextColor(hdc, GetSysColor(bSel ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        TextOutW(hdc, rc.left + kTextX, yText, psz, lstrlenW(psz));
        SetTextColor(hdc, crOld);
        SetBkMode(hdc, iOldMode);
        WORD wImage = _BitmapOf(pDis->itemID);
        HMODULE hRes = GetResourceDllHandle();
        HBITMAP hImage = wImage && hRes ? LoadResBitmap(hRes, MAKEINTRESOURCEW(wImage)) : nullptr;
        HBITMAP hMask = wImage && hRes ? LoadResBitmap(hRes, MAKEINTRESOURCEW(wImage + 1)) : nullptr;
        if (hImage && hMask) {
            BITMAP bm = {};
            GetObjectW(hImage, sizeof(bm), &bm);
            int y = rc.top + ((rc.bottom - rc.top) - bm.bmHeight) / 2;
            HDC hMem = CreateCompatibleDC(hdc);
            HGDIOBJ hOld = SelectObject(hMem, hMask);
            BitBlt(hdc, rc.left + kBitmapX, y, bm.bmWidth, bm.bmHeight, hMem, 0, 0, SRCAND);
            SelectObject(hMem, hImage);
            BitBlt(hdc, rc.left + kBitmapX, y, bm.bmWidth, bm.bmHeight, hMem, 0, 0, SRCINVERT);
            SelectObject(hMem, hOld);
            DeleteDC(hMem);
        }
        if (hImage)
            DeleteObject(hImage);
        if (hMask)
            DeleteObject(hMask);
    }
    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
    return TRUE;
}

void ShowLibraryFullOnSaveNotice(HWND hPage) { _Notice(hPage, kTxtFullOnSave); }
void ShowLibraryFullNotice(HWND hPage) { _Notice(hPage, kTxtFull); }

// ---- recall-detail dialog ----------------------------------------------------

INT_PTR CALLBACK RecallDetailDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    DETAILDATA* d = (DETAILDATA*)GetWindowLongPtrW(hDlg, DWLP_USER);
    switch (uMsg) {
    case WM_INITDIALOG: {
        LoadResourceDll();
        UISETTINGS* pSettings = (UISETTINGS*)lParam;
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DETAILDATA));
        d = h ? (DETAILDATA*)GlobalLock(h) : nullptr;
        if (!d || !pSettings) {
            if (d)
                _FreeDetail(hDlg, d);
            EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)d);
        d->pSettings = pSettings;
        d->bUserSizes = bUserSizesRecallable(pSettings);
        for (int i = 0; i < RO_COUNT; ++i)
            d->abValue[i] = (BYTE)GetRecallOptionValue(pSettings, i);
        *GetLibraryRefreshMask(pSettings, LIBMASK_DETAIL) = 0x7F;
        _RefreshDetail(hDlg, d);
        if (!bLibrarySheetEditable(pSettings))
            for (int id = IDC_DETAIL_GROUP; id <= IDC_DETAIL_DEFAULTS; ++id)
                if (HWND hCtl = GetDlgItem(hDlg, id))
                    EnableWindow(hCtl, FALSE);
        if (!d->bUserSizes) {
            CheckDlgButton(hDlg, IDC_DETAIL_UDPAPER, BST_UNCHECKED);
            EnableWindow(GetDlgItem(hDlg, IDC_DETAIL_UDPAPER), FALSE);
        }
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (!d) {
            if (id == IDOK || id == IDCANCEL)
                EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        if (id >= IDC_DETAIL_PAPER && id <= IDC_DETAIL_OPTION) {
            for (const DETAILBOX& b : kBoxes) {
                if (b.idBox != id)
                    continue;
                BYTE bNow = IsDlgButtonChecked(hDlg, id) == BST_CHECKED ? 1 : 0;
                if (bNow != d->abValue[b.iOption]) {
                    d->abValue[b.iOption] = bNow;
                    *GetLibraryRefreshMask(d->pSettings, LIBMASK_DETAIL) |= b.dwBit;
                    _RefreshDetail(hDlg, d);
                    _MarkSheetChanged(hDlg);
                }
            }
            return TRUE;
        }
        if (id == IDC_DETAIL_ALL || id == IDC_DETAIL_DEFAULTS) {
            for (int i = 0; i < RO_COUNT; ++i)
                d->abValue[i] = id == IDC_DETAIL_ALL ? 1 : (BYTE)GetRecallOptionDefault(d->pSettings, i);
            *GetLibraryRefreshMask(d->pSettings, LIBMASK_DETAIL) = 0x7F;
            _RefreshDetail(hDlg, d);
            return TRUE;
        }
        if (id == IDOK) {
            for (int i = 0; i < RO_COUNT; ++i)
                SetRecallOptionValue(d->pSettings, i, d->abValue[i]);
            _FreeDetail(hDlg, d);
            EndDialog(hDlg, 1);
            return TRUE;
        }
        if (id == IDCANCEL) {
            _FreeDetail(hDlg, d);
            EndDialog(hDlg, 2);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP: {
        const HELPINFO* pHi = (const HELPINFO*)lParam;
        WCHAR szPath[HELPTABLE_PATH_CCH];
        ShowDriverHelp(pHi ? (HWND)pHi->hItemHandle : hDlg, szPath, HELP_WM_HELP, (ULONG_PTR)GetHelpTable());
        return TRUE;
    }
    case WM_CONTEXTMENU: {
        WCHAR szPath[HELPTABLE_PATH_CCH];
        ShowDriverHelp((HWND)wParam, szPath, HELP_CONTEXTMENU, (ULONG_PTR)GetHelpTable());
        return TRUE;
    }
    case WM_DESTROY:
        FreeResourceDll();
        return FALSE;
    }
    return FALSE;
}

INT_PTR OpenRecallDetailDialog(HWND hOwner, UISETTINGS* pSettings)
{
    return DialogBoxParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_DETAIL), hOwner, RecallDetailDlgProc,
                           (LPARAM)pSettings);
}
