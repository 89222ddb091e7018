// formpage.cpp: the Form page (see formpage.h).
#include "ui/pages/formpage.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/illustration.h"
#include "ui/dialogs/preview.h"
#include "ui/library/quickaccess.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// Parameters the page edits.
const WORD kParamOverlay = 35;
const WORD kParamPrompt = 36;
const WORD kParamOrder = 86;
const WORD kParamPdl = 98;
const WORD kParamOverlayIndex = 212;

// Texts of the resource library.
const UINT kStrColName = 29500, kStrColFolder = 29501, kStrColSize = 29502, kStrColDate = 29503;
const UINT kStrColPdl = 20534;
const UINT kStrPrintCaption = 29510, kStrCreateCaption = 29511, kStrDeleteCaption = 29512;
const UINT kStrFilter = 29513;
const UINT kStrDeleteNotFound = 29515, kStrOverwrite = 29518, kStrDeleteAsk = 29519;
const UINT kStrNoFolder = 29540;

const WCHAR kExt[] = u".xfo";
const WCHAR kPlaceholder[] = u"*.xfo";
const WCHAR kProbeName[] = u"vemvem24.tmp";

const BYTE kNoRow = 255;
const DWORD kInitMask = 0x4B, kActiveMask = 0x5B, kApplyMask = 0x6B;

// Message kinds of the page.
enum { KIND_EXT = 0, KIND_NAME = 1, KIND_LONG = 2, KIND_LANG = 3, KIND_OTHERPCL = 4 };

// Icons: none on/off, print on/off, create on/off, print transparent.
enum { ICO_NONE_ON, ICO_NONE_OFF, ICO_PRINT_ON, ICO_PRINT_OFF, ICO_CREATE_ON, ICO_CREATE_OFF, ICO_PRINT_TRANSP, ICO_COUNT };

struct FORMPAGEREC {
    HWND hwnd;
    DWORD dwReserved;
    DWORD dwPreview;
    UISETTINGS* pSettings;
    BYTE bSelected;
    WCHAR szFormPath[260];
    DWORD adwSortAscending[5];
    DWORD dwLastColumn;
    DWORD dwFound;
    HGLOBAL ahIcons[ICO_COUNT];
};

FORMPAGEREC* _Rec(HWND hwnd)
{
    return (FORMPAGEREC*)PageGetRecord(hwnd);
}

FORMLIST* _List(UISETTINGS* pObj)
{
    return (pObj && pObj->trailer.pListSet) ? pObj->trailer.pListSet->pForm : nullptr;
}

SHORT _Mode(UISETTINGS* pObj)
{
    return GetParamEdited(pObj, kParamOverlay);
}

int _Pdl(UISETTINGS* pObj)
{
    return GetParamEdited(pObj, kParamPdl);
}

// Copies up to cch - 1 characters with a terminator.
void _Copy(LPWSTR pszOut, int cch, LPCWSTR pszIn)
{
    if (cch <= 0)
        return;
    lstrcpynW(pszOut, pszIn ? pszIn : u"", cch);
}

// Index of the last '\' of a text; -1 when none.
int _LastSlash(LPCWSTR psz)
{
    int i = -1;
    for (int k = 0; psz[k]; ++k)
        if (psz[k] == u'\\')
            i = k;
    return i;
}

// A path has a folder when it holds a '\' after its first character.
BOOL _HasFolder(LPCWSTR psz)
{
    return psz[0] && _LastSlash(psz) > 0;
}

// Opens a file for reading as the page does: read access, else none.
HANDLE _OpenForInfo(LPCWSTR pszPath)
{
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        h = CreateFileW(pszPath, 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h;
}

// ---- List view ----

int _Columns(UISETTINGS* pObj)
{
    return _Pdl(pObj) != 0 ? 5 : 4;
}

int _RowCount(HWND hList)
{
    return hList ? (int)SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0) : 0;
}

void _RowText(HWND hList, int iRow, int iCol, LPWSTR psz, int cch)
{
    psz[0] = 0;
    LVITEMW it = {};
    it.iSubItem = iCol;
    it.pszText = psz;
    it.cchTextMax = cch;
    SendMessageW(hList, LVM_GETITEMTEXTW, (WPARAM)iRow, (LPARAM)&it);
}

// Folder (ending in '\') + name of a row.
void _RowPath(HWND hList, int iRow, LPWSTR psz, int cch)
{
    WCHAR szName[260], szFolder[260];
    _RowText(hList, iRow, 0, szName, 260);
    _RowText(hList, iRow, 1, szFolder, 260);
    _Copy(psz, cch, szFolder);
    int n = lstrlenW(psz);
    _Copy(psz + n, cch - n, szName);
}

void _SetRowText(HWND hList, int iRow, int iCol, LPCWSTR psz)
{
    LVITEMW it = {};
    it.iSubItem = iCol;
    it.pszText = (LPWSTR)psz;
    SendMessageW(hList, LVM_SETITEMTEXTW, (WPARAM)iRow, (LPARAM)&it);
}

void _CreateColumns(HWND hwnd, UISETTINGS* pObj)
{
    HWND hList = GetDlgItem(hwnd, 412);
    if (!hList)
        return;
    struct COL {
        UINT uText;
        int fmt;
        int cx;
    };
    COL aCols[5] = {{kStrColName, LVCFMT_LEFT, 100}, {kStrColFolder, LVCFMT_LEFT, 120}};
    int n = 2;
    if (_Pdl(pObj) != 0)
        aCols[n++] = {kStrColPdl, LVCFMT_CENTER, 60};
    aCols[n++] = {kStrColSize, LVCFMT_RIGHT, 60};
    aCols[n++] = {kStrColDate, LVCFMT_LEFT, 140};
    for (int i = 0; i < n; ++i) {
        LVCOLUMNW c = {};
        c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        c.fmt = aCols[i].fmt;
        c.cx = aCols[i].cx;
        c.pszText = (LPWSTR)GetResString(aCols[i].uText);
        c.iSubItem = i;
        SendMessageW(hList, LVM_INSERTCOLUMNW, (WPARAM)i, (LPARAM)&c);
    }
}

// Adds the row of a file at position iPos; FALSE when the file does not
// suit or cannot be asked.
BOOL _AddRow(HWND hwnd, UISETTINGS* pObj, LPCWSTR pszPath, int iPos)
{
    HWND hList = GetDlgItem(hwnd, 412);
    if (!hList || !bFormFileSuitsPdl(pObj, pszPath))
        return FALSE;
    WCHAR szSize[32], szDate[32];
    if (!GetFormFileRowTexts(pszPath, szSize, 32, szDate, 32))
        return FALSE;
    int iSlash = _LastSlash(pszPath);
    WCHAR szFolder[260] = {};
    if (iSlash >= 0)
        lstrcpynW(szFolder, pszPath, iSlash + 2 < 260 ? iSlash + 2 : 260);
    LVITEMW it = {};
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = iPos;
    it.pszText = (LPWSTR)(pszPath + iSlash + 1);
    it.lParam = iPos;
    int iRow = (int)SendMessageW(hList, LVM_INSERTITEMW, 0, (LPARAM)&it);
    if (iRow < 0)
        return FALSE;
    int iCol = 1;
    _SetRowText(hList, iRow, iCol++, szFolder);
    if (_Pdl(pObj) != 0) {
        int iClass = DetectFormFilePdl(pszPath);
        _SetRowText(hList, iRow, iCol++,
                    iClass == FORMCLASS_PCL5E ? u"PCL 5e" : iClass == FORMCLASS_PCLXL ? u"PCL XL" : u"N/A");
    }
    _SetRowText(hList, iRow, iCol++, szSize);
    _SetRowText(hList, iRow, iCol, szDate);
    return TRUE;
}

// Removes registered entry i; the later ones move up.
void _RemoveEntry(FORMLIST* pList, int i)
{
    for (int k = i; k + 1 < FORMLIST_FILES; ++k)
        memcpy(pList->pFiles[k], pList->pFiles[k + 1], sizeof(pList->pFiles[k]));
    memset(pList->pFiles[FORMLIST_FILES - 1], 0, sizeof(pList->pFiles[0]));
    if (pList->wFormListNum)
        --pList->wFormListNum;
}

void _FillList(HWND hwnd, UISETTINGS* pObj)
{
    HWND hList = GetDlgItem(hwnd, 412);
    FORMLIST* pList = _List(pObj);
    if (!hList)
        return;
    SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
    if (!pList || !pList->pFiles)
        return;
    int i = 0;
    while (i < FORMLIST_FILES && pList->pFiles[i][0]) {
        WCHAR szPath[261] = {};
        memcpy(szPath, pList->pFiles[i], sizeof(pList->pFiles[i]));
        if (bFormFileExists(szPath) && _AddRow(hwnd, pObj, szPath, i))
            ++i;
        else
            _RemoveEntry(pList, i);
    }
}

// The registered list := the rows, in their order (at most 100).
void _StoreList(HWND hwnd, UISETTINGS* pObj)
{
    HWND hList = GetDlgItem(hwnd, 412);
    FORMLIST* pList = _List(pObj);
    if (!hList || !pList || !pList->pFiles)
        return;
    for (int i = 0; i < FORMLIST_FILES; ++i)
        memset(pList->pFiles[i], 0, sizeof(pList->pFiles[i]));
    int n = _RowCount(hList);
    if (n > FORMLIST_FILES)
        n = FORMLIST_FILES;
    for (int i = 0; i < n; ++i)
        _RowPath(hList, i, pList->pFiles[i], 260);
    pList->wFormListNum = (WORD)n;
}

// Registers a path not yet in the list; FALSE when the list is full.
BOOL _Register(UISETTINGS* pObj, LPCWSTR pszPath)
{
    FORMLIST* pList = _List(pObj);
    if (!pList || !pList->pFiles)
        return FALSE;
    int i = 0;
    for (; i < FORMLIST_FILES && pList->pFiles[i][0]; ++i)
        if (lstrcmpiW(pList->pFiles[i], pszPath) == 0)
            return TRUE;
    if (i >= FORMLIST_FILES)
        return FALSE;
    _Copy(pList->pFiles[i], 260, pszPath);
    pList->wFormListNum = (WORD)(i + 1);
    return TRUE;
}

void _SelectRow(HWND hwnd)
{
    FORMPAGEREC* r = _Rec(hwnd);
    HWND hList = GetDlgItem(hwnd, 412);
    if (!r || !hList || r->bSelected == kNoRow || r->bSelected > _RowCount(hList))
        return;
    LVITEMW it = {};
    it.stateMask = 0xF;
    it.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hList, LVM_SETITEMSTATE, (WPARAM)r->bSelected, (LPARAM)&it);
}

// Finds a path among the rows (name first, then folder + name).
BOOL _FindRow(HWND hwnd, LPCWSTR pszPath)
{
    FORMPAGEREC* r = _Rec(hwnd);
    HWND hList = GetDlgItem(hwnd, 412);
    if (!r || !hList)
        return FALSE;
    int n = _RowCount(hList);
    LPCWSTR pszName = pszPath + _LastSlash(pszPath) + 1;
    for (int i = 0; i < n; ++i) {
        WCHAR szName[260], szFull[520];
        _RowText(hList, i, 0, szName, 260);
        if (lstrcmpiW(szName, pszName) != 0)
            continue;
        _RowPath(hList, i, szFull, 520);
        if (lstrcmpiW(szFull, pszPath) == 0) {
            r->bSelected = (BYTE)(i < kNoRow ? i : kNoRow);
            r->dwFound = 1;
            return TRUE;
        }
    }
    r->bSelected = (BYTE)(n < kNoRow ? n : kNoRow);
    r->dwFound = 0;
    return FALSE;
}

// Shows a path split into name (410) and folder (417); the text of 417
// stays when the path has no folder.
void _ShowPath(HWND hwnd, LPCWSTR pszPath)
{
    FORMPAGEREC* r = _Rec(hwnd);
    DWORD* pMask = r ? PageRefreshMask(r->pSettings, 400) : nullptr;
    // Showing is no edit of the user's.
    DWORD dwOld = pMask ? *pMask : 0;
    if (pMask)
        *pMask |= FORMREF_SETTLING;
    if (!pszPath || !pszPath[0]) {
        SetDlgItemTextW(hwnd, 410, kPlaceholder);
        SetDlgItemTextW(hwnd, 417, GetResString(kStrNoFolder));
    } else if (_HasFolder(pszPath)) {
        int iSlash = _LastSlash(pszPath);
        WCHAR szFolder[260] = {};
        lstrcpynW(szFolder, pszPath, iSlash + 2 < 260 ? iSlash + 2 : 260);
        SetDlgItemTextW(hwnd, 410, pszPath + iSlash + 1);
        SetDlgItemTextW(hwnd, 417, szFolder);
    } else {
        SetDlgItemTextW(hwnd, 410, pszPath);
    }
    if (pMask)
        *pMask = (*pMask & ~FORMREF_SETTLING) | (dwOld & FORMREF_SETTLING);
}

// Shows the selected row; FALSE when there is none to show.
BOOL _ShowRow(HWND hwnd)
{
    FORMPAGEREC* r = _Rec(hwnd);
    HWND hList = GetDlgItem(hwnd, 412);
    if (!r || !hList || r->bSelected == kNoRow || r->bSelected >= _RowCount(hList)) {
        _ShowPath(hwnd, nullptr);
        return FALSE;
    }
    WCHAR szPath[520];
    _RowPath(hList, r->bSelected, szPath, 520);
    _ShowPath(hwnd, szPath);
    return TRUE;
}

// ---- Icons ----

void _CreateIcons(HWND hwnd, FORMPAGEREC* r)
{
    struct ICO {
        WORD wStatic, wPicture, wMask;
    };
    const ICO a[ICO_COUNT] = {{2366, 15830, 15833}, {2366, 15836, 15833}, {2367, 15831, 15834},
                              {2367, 15837, 15834}, {2368, 15832, 15835}, {2368, 15838, 15835},
                              {2367, 15841, 15842}};
    HMODULE hRes = GetResourceDllHandle();
    for (int i = 0; i < ICO_COUNT; ++i) {
        HWND hStatic = GetDlgItem(hwnd, a[i].wStatic);
        if (!hStatic)
            continue;
        RECT rc;
        GetWindowRect(hStatic, &rc);
        RectScreenToClient(hwnd, &rc);
        r->ahIcons[i] = CreateIllustrationAt(hRes, hwnd, &rc, a[i].wPicture, a[i].wMask, 0, 0, 0, 0);
    }
    // The statics only place the icons; the page paints them itself.
    for (WORD w : {2366, 2367, 2368})
        if (HWND h = GetDlgItem(hwnd, w))
            ShowWindow(h, SW_HIDE);
}

// The three icons of the current mode.
void _ChosenIcons(UISETTINGS* pObj, int aiOut[3])
{
    SHORT sMode = _Mode(pObj);
    BOOL bTransparent = GetParamEdited(pObj, kParamOrder) == 1;
    aiOut[0] = sMode == 1 ? ICO_NONE_ON : ICO_NONE_OFF;
    aiOut[1] = sMode == 3 ? (bTransparent ? ICO_PRINT_TRANSP : ICO_PRINT_ON) : ICO_PRINT_OFF;
    aiOut[2] = sMode == 2 ? ICO_CREATE_ON : ICO_CREATE_OFF;
}

void _PaintIcons(HWND hwnd, HDC hdc, const RECT* prcUpdate)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    int ai[3];
    _ChosenIcons(r->pSettings, ai);
    for (int i : ai)
        if (r->ahIcons[i])
            PaintIllustrationOn(hdc, r->ahIcons[i], prcUpdate);
}

void _RepaintIcons(HWND hwnd)
{
    HDC hdc = GetDC(hwnd);
    if (!hdc)
        return;
    _PaintIcons(hwnd, hdc, nullptr);
    ReleaseDC(hwnd, hdc);
}

// ---- Messages ----

void _MessageText(HWND hwnd, UINT uText, LPCWSTR pszPath, LPWSTR pszOut, int cchOut)
{
    (void)hwnd;
    WCHAR szFormat[600];
    _Copy(szFormat, 600, GetResString(uText));
    // The one argument is the path; the format is ours, so only "%s" counts.
    pszOut[0] = 0;
    int n = 0;
    for (LPCWSTR p = szFormat; *p && n < cchOut - 1; ++p) {
        if (p[0] == u'%' && p[1] == u's') {
            for (LPCWSTR q = pszPath; *q && n < cchOut - 1; ++q)
                pszOut[n++] = *q;
            ++p;
        } else {
            pszOut[n++] = *p;
        }
    }
    pszOut[n] = 0;
}

int _Ask(HWND hwnd, UINT uText, UINT uCaption, LPCWSTR pszPath, UINT uType)
{
    WCHAR szText[900];
    _MessageText(hwnd, uText, pszPath, szText, 900);
    return MessageBoxW(hwnd, szText, GetResString(uCaption), uType);
}

// The message of a kind in the mode's caption.
void _ShowKind(HWND hwnd, int iKind, BOOL bPrint, LPCWSTR pszPath, UINT uCaption = 0)
{
    static const UINT kCreate[] = {29516, 29514, 29520, 0, 0};
    static const UINT kPrint[] = {29517, 29515, 29520, 29521, 29522};
    UINT uText = bPrint ? kPrint[iKind] : kCreate[iKind];
    if (!uText)
        uText = kPrint[iKind];
    if (!uCaption)
        uCaption = bPrint ? kStrPrintCaption : kStrCreateCaption;
    _Ask(hwnd, uText, uCaption, pszPath, MB_OK | MB_ICONWARNING);
}

// The page keeps the focus on the name with all its text selected.
void _FocusName(HWND hwnd)
{
    HWND hEdit = GetDlgItem(hwnd, 410);
    if (!hEdit)
        return;
    SetFocus(hEdit);
    SendMessageW(hEdit, EM_SETSEL, 0, -1);
}

// ---- Refresh ----

void _Refresh(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, 400);
    if (!r || !pMask)
        return;
    DWORD m = *pMask;
    if (((m & FORMREF_MODE) && !(m & FORMREF_SETTLING)) || (m & (FORMREF_FORCEMODE | FORMREF_ALL | FORMREF_IMAGEPAGE))) {
        SHORT sMode = _Mode(pObj);
        CheckDlgButton(hwnd, 401, sMode == 1 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd, 402, sMode == 2 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd, 403, sMode == 3 ? BST_CHECKED : BST_UNCHECKED);
        if (sMode == 3) {
            if (r->bSelected == kNoRow)
                r->bSelected = 0;
            _ShowRow(hwnd);
            _SelectRow(hwnd);
        } else {
            _ShowPath(hwnd, r->szFormPath);
        }
        *pMask &= ~FORMREF_MODE;
        _RepaintIcons(hwnd);
    }
    if (m & (FORMREF_ORDER | FORMREF_ALL)) {
        CheckDlgButton(hwnd, 405, GetParamEdited(pObj, kParamOrder) == 1 ? BST_CHECKED : BST_UNCHECKED);
        *pMask &= ~FORMREF_ORDER;
        _RepaintIcons(hwnd);
    }
    if (((m & FORMREF_PROMPT) && !(m & FORMREF_SETTLING)) || (m & FORMREF_ALL)) {
        CheckDlgButton(hwnd, 404, GetParamEdited(pObj, kParamPrompt) == 1 ? BST_CHECKED : BST_UNCHECKED);
        *pMask &= ~FORMREF_PROMPT;
    }
    if (m & (FORMREF_VIEW | FORMREF_ALL)) {
        WORD wView = GetPreviewView(pObj);
        CheckDlgButton(hwnd, 163, wView == PREVIEWVIEW_MACHINE ? BST_UNCHECKED : BST_CHECKED);
        CheckDlgButton(hwnd, 164, wView == PREVIEWVIEW_MACHINE ? BST_CHECKED : BST_UNCHECKED);
        *pMask &= ~FORMREF_VIEW;
    }
    *pMask &= ~(FORMREF_ALL | FORMREF_SETTLING | FORMREF_FORCEMODE | FORMREF_IMAGEPAGE);
    RefreshPreviews(hwnd, pObj);
}

DWORD _MapDirty(HWND, WORD wControl)
{
    switch (wControl) {
    case 163:
    case 164:
        return FORMREF_VIEW;
    case 401:
    case 402:
    case 403:
        return FORMREF_MODE;
    case 404:
        return FORMREF_PROMPT;
    case 405:
        return FORMREF_ORDER;
    default:
        return 0;
    }
}

// ---- Creation ----

void _Init(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    r->hwnd = hwnd;
    BYTE* pIndex = GetParamSlot(pObj, kParamOverlayIndex);
    r->bSelected = pIndex ? *pIndex : kNoRow;
    _CreateIcons(hwnd, r);
    CheckDlgButton(hwnd, 404, GetParamCommitted(pObj, kParamPrompt) == 1 ? BST_CHECKED : BST_UNCHECKED);
    // A form a create-form job has written since is registered now.
    FORMLIST* pList = _List(pObj);
    if (pList && pList->szCreateFileName[0]) {
        _Copy(r->szFormPath, 260, pList->szCreateFileName);
        if (bFormFileExists(r->szFormPath)) {
            memset(pList->szCreateFileName, 0, sizeof(pList->szCreateFileName));
            _Register(pObj, r->szFormPath);
        }
    }
    _CreateColumns(hwnd, pObj);
    _FillList(hwnd, pObj);
    if (GetParamCommitted(pObj, kParamOverlay) == 3 && r->bSelected != kNoRow)
        _SelectRow(hwnd);
    SendMessageW(GetDlgItem(hwnd, 410), EM_LIMITTEXT, 259, 0);
    if (!bSheetEditable(pObj)) {
        static const WORD kOff[] = {401, 402, 403, 404, 405, 406, 407, 409, 410, 411, 412,
                                    414, 416, 417, 163, 164, 165, 166, 167, 168};
        for (WORD w : kOff)
            EnableWindow(GetDlgItem(hwnd, w), FALSE);
    }
}

void _Destroy(HWND hwnd, UISETTINGS*)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    for (HGLOBAL& h : r->ahIcons)
        if (h) {
            DestroyIllustration(h);
            h = nullptr;
        }
}

// ---- Apply ----

void _Apply(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    SetParamCommitted(pObj, kParamOverlay, GetParamEdited(pObj, kParamOverlay));
    SetParamCommitted(pObj, kParamPrompt, GetParamEdited(pObj, kParamPrompt));
    SetParamCommitted(pObj, kParamOrder, GetParamEdited(pObj, kParamOrder));
    if (BYTE* p = GetParamSlot(pObj, kParamOverlayIndex))
        *p = r->bSelected == kNoRow ? 0 : r->bSelected;
    // The list is written back as the rows show it, so that the selected
    // row's position is the entry the job names.
    if (_Mode(pObj) == 3)
        _StoreList(hwnd, pObj);
}

// The tail after the frame's apply.
void _AfterApply(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return;
    if (DWORD* pMask = PageRefreshMask(pObj, 400))
        *pMask = kApplyMask;
    if (_Mode(pObj) == 2) {
        WCHAR szName[260] = {}, szFolder[260] = {};
        GetDlgItemTextW(hwnd, 410, szName, 260);
        GetDlgItemTextW(hwnd, 417, szFolder, 260);
        if (szName[0] && _HasFolder(szName)) {
            _Copy(r->szFormPath, 260, szName);
        } else {
            _Copy(r->szFormPath, 260, szFolder);
            int n = lstrlenW(r->szFormPath);
            _Copy(r->szFormPath + n, 260 - n, szName);
        }
    }
}

// ---- Validation (leaving the page) ----

// Makes the pending form path of a create-form job.
void _SetPending(HWND hwnd, UISETTINGS* pObj, LPCWSTR pszPath)
{
    FORMPAGEREC* r = _Rec(hwnd);
    FORMLIST* pList = _List(pObj);
    _Copy(r->szFormPath, 260, pszPath);
    if (pList) {
        _Copy(pList->szCreateFileName, 260, pszPath);
        // The name the job's settings carry.
        _Copy(pList->szFileName, 260, pszPath);
    }
}

// The overwrite question; FALSE when the user says No.
BOOL _MayOverwrite(HWND hwnd, LPCWSTR pszPath)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (lstrcmpiW(pszPath, r->szFormPath) == 0 || !bFormFileExists(pszPath))
        return TRUE;
    return _Ask(hwnd, kStrOverwrite, kStrCreateCaption, pszPath, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// TRUE keeps the page.
BOOL _KillActive(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (!r)
        return FALSE;
    SHORT sMode = _Mode(pObj);
    if (sMode != 2 && sMode != 3)
        return FALSE;
    const BOOL bPrint = sMode == 3;
    WCHAR szName[264] = {}, szFolder[264] = {}, szPath[540] = {};
    GetDlgItemTextW(hwnd, 410, szName, 261);
    GetDlgItemTextW(hwnd, 417, szFolder, 261);
    BOOL bNoFolder = lstrcmpW(szFolder, GetResString(kStrNoFolder)) == 0;
    auto fullPath = [&]() {
        if (_HasFolder(szName)) {
            _Copy(szPath, 540, szName);
        } else {
            _Copy(szPath, 540, bNoFolder ? u"" : szFolder);
            int n = lstrlenW(szPath);
            _Copy(szPath + n, 540 - n, szName);
        }
    };
    auto refuse = [&](int iKind) {
        fullPath();
        _ShowKind(hwnd, iKind, bPrint, szPath);
        _FocusName(hwnd);
        return TRUE;
    };
    if (lstrlenW(szName) > FORM_PATH_MAX)
        return refuse(KIND_LONG);
    int iDot = -1;
    for (int i = 0; szName[i]; ++i)
        if (szName[i] == u'.') {
            iDot = i;
            break;
        }
    if (iDot == 0 || (iDot > 0 && (szName[iDot - 1] == u'*' || szName[iDot - 1] == u' ')))
        return refuse(KIND_NAME);
    if (iDot < 0) {
        if (lstrlenW(szName) + 4 > FORM_PATH_MAX)
            return refuse(KIND_LONG);
        lstrcatW(szName, kExt);
        _ShowPath(hwnd, szName);
        // A full path is now split: its name in 410, its folder in 417.
        GetDlgItemTextW(hwnd, 410, szName, 261);
        GetDlgItemTextW(hwnd, 417, szFolder, 261);
        bNoFolder = lstrcmpW(szFolder, GetResString(kStrNoFolder)) == 0;
    }
    const BOOL bHasFolder = _HasFolder(szName);
    if (!bHasFolder) {
        if (bNoFolder)
            return refuse(KIND_NAME);
        if (!bHasFormExtension(szName))
            return refuse(KIND_EXT);
    }
    fullPath();
    // The job keeps the form's path in a shorter field than the page: a
    // longer path would name another file.
    if (lstrlenW(szPath) > FORM_PATH_MAX || lstrlenW(szPath) > FORM_JOBPATH_MAX)
        return refuse(KIND_LONG);
    if (bPrint) {
        if (!_FindRow(hwnd, szPath))
            return refuse(KIND_NAME);
        if (bHasFolder) {
            HANDLE h = CreateFileW(szPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE)
                return refuse(KIND_NAME);
            CloseHandle(h);
        }
        int iCheck = CheckFormFilePdl(pObj, szPath);
        if (iCheck == 1)
            return refuse(KIND_OTHERPCL);
        if (iCheck == 2)
            return refuse(KIND_LANG);
        _StoreList(hwnd, pObj);
        return FALSE;
    }
    if (!bHasFormExtension(szName))
        return refuse(KIND_EXT);
    if (!bIsFormFolderWritable(szPath))
        return refuse(KIND_LONG);
    if (!_MayOverwrite(hwnd, szPath)) {
        _FocusName(hwnd);
        return TRUE;
    }
    _SetPending(hwnd, pObj, szPath);
    return FALSE;
}

// ---- Commands ----

void _Browse(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    const BOOL bPrint = _Mode(pObj) == 3;
    WCHAR szFile[262] = {}, szFolder[262] = {}, szFilter[128] = {};
    GetDlgItemTextW(hwnd, 410, szFile, 260);
    GetDlgItemTextW(hwnd, 417, szFolder, 260);
    if (lstrcmpW(szFolder, GetResString(kStrNoFolder)) == 0)
        _Copy(szFolder, 262, u"c:\\");
    _Copy(szFilter, 126, GetResString(kStrFilter));
    int n = lstrlenW(szFilter);
    if (n > 0) {
        WCHAR chSep = szFilter[n - 1];
        for (int i = 0; i < n; ++i)
            if (szFilter[i] == chSep)
                szFilter[i] = 0;
    }
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd;
    ofn.lpstrFilter = szFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = 260;
    ofn.lpstrInitialDir = szFolder;
    ofn.lpstrTitle = GetResString(bPrint ? kStrPrintCaption : kStrCreateCaption);
    ofn.lpstrDefExt = u"xfo";
    BOOL bOk;
    if (bPrint) {
        ofn.Flags = OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
        bOk = GetOpenFileNameW(&ofn);
    } else {
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_CREATEPROMPT;
        bOk = GetSaveFileNameW(&ofn);
    }
    if (!bOk)
        return;
    int iSlash = _LastSlash(szFile);
    if (!bHasFormExtension(szFile + iSlash + 1)) {
        _ShowKind(hwnd, KIND_EXT, bPrint, szFile);
        return;
    }
    if (bPrint) {
        HWND hList = GetDlgItem(hwnd, 412);
        if (!_FindRow(hwnd, szFile)) {
            int iPos = _RowCount(hList);
            if (iPos >= FORMLIST_FILES) {
                // The list is full: the file cannot be registered.
                _ShowKind(hwnd, KIND_LONG, TRUE, szFile, kStrPrintCaption);
                return;
            }
            if (bFormFileSuitsPdl(pObj, szFile))
                _AddRow(hwnd, pObj, szFile, iPos);
            else
                _ShowKind(hwnd, KIND_LANG, TRUE, szFile, kStrPrintCaption);
        }
        _StoreList(hwnd, pObj);
        _FindRow(hwnd, szFile);
        _SelectRow(hwnd);
        _ShowRow(hwnd);
    } else {
        _Copy(r->szFormPath, 260, szFile);
        _ShowPath(hwnd, szFile);
    }
    NotifySheetChanged(hwnd);
}

void _Delete(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    HWND hList = GetDlgItem(hwnd, 412);
    WCHAR szName[262] = {}, szFolder[262] = {}, szPath[530] = {};
    GetDlgItemTextW(hwnd, 410, szName, 260);
    GetDlgItemTextW(hwnd, 417, szFolder, 260);
    _Copy(szPath, 530, szFolder);
    int n = lstrlenW(szPath);
    _Copy(szPath + n, 530 - n, szName);
    int iRow = -1;
    for (int i = 0; i < _RowCount(hList); ++i) {
        WCHAR szRow[260];
        _RowText(hList, i, 0, szRow, 260);
        if (lstrcmpiW(szRow, szName) == 0) {
            iRow = i;
            break;
        }
    }
    if (iRow < 0) {
        _Ask(hwnd, kStrDeleteNotFound, kStrPrintCaption, szPath, MB_OK | MB_ICONWARNING);
        return;
    }
    r->bSelected = (BYTE)iRow;
    if (_Ask(hwnd, kStrDeleteAsk, kStrDeleteCaption, szPath, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    WCHAR szRowName[264] = {}, szRowFolder[260] = {}, szFile[530] = {};
    _RowText(hList, iRow, 0, szRowName, 260);
    _RowText(hList, iRow, 1, szRowFolder, 260);
    BOOL bDot = FALSE;
    for (int i = 0; szRowName[i]; ++i)
        bDot = bDot || szRowName[i] == u'.';
    if (!bDot)
        lstrcatW(szRowName, kExt);
    _Copy(szFile, 530, szRowFolder);
    n = lstrlenW(szFile);
    _Copy(szFile + n, 530 - n, szRowName);
    DeleteFileW(szFile);
    SendMessageW(hList, LVM_DELETEITEM, (WPARAM)iRow, 0);
    _StoreList(hwnd, pObj);
    if (_RowCount(hList) > 0) {
        r->bSelected = 0;
    } else {
        r->bSelected = kNoRow;
        SetDlgItemTextW(hwnd, 417, GetResString(kStrNoFolder));
    }
    SetDlgItemTextW(hwnd, 410, u"");
    NotifySheetChanged(hwnd);
}

void _NameChanged(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, 400);
    if (!r || (pMask && (*pMask & FORMREF_SETTLING)))
        return;
    if (GetWindowTextLengthW(GetDlgItem(hwnd, 410)) == 0) {
        HWND hList = GetDlgItem(hwnd, 412);
        if (r->bSelected != kNoRow && r->bSelected < _RowCount(hList)) {
            _RowPath(hList, r->bSelected, r->szFormPath, 260);
            _ShowPath(hwnd, r->szFormPath);
        } else {
            r->szFormPath[0] = 0;
            _ShowPath(hwnd, nullptr);
        }
    }
    NotifySheetChanged(hwnd);
}

void _Recalled(HWND hwnd, UISETTINGS* pObj)
{
    FORMPAGEREC* r = _Rec(hwnd);
    BYTE* pIndex = GetParamSlot(pObj, kParamOverlayIndex);
    r->bSelected = pIndex ? *pIndex : kNoRow;
    CollectChangedFeatures(pObj);
    ResolveConstraintsAll(hwnd, pObj);
    _FillList(hwnd, pObj);
    if (DWORD* pMask = PageRefreshMask(pObj, 400))
        *pMask |= FORMREF_ALL;
    PageRefresh(hwnd);
    NotifySheetChanged(hwnd);
}

BOOL _Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    if (!_Rec(hwnd))
        return FALSE;
    if (bIsLibraryMenuId(wId)) {
        BindFeatureFields(pObj);
        if (ApplyLibraryMenuEntry(hwnd, pObj, wId))
            _Recalled(hwnd, pObj);
        return TRUE;
    }
    switch (wId) {
    case 401:
    case 402:
    case 403: {
        const SHORT sMode = wId == 401 ? 1 : wId == 402 ? 2 : 3;
        if (wCode != BN_CLICKED || IsDlgButtonChecked(hwnd, wId) != BST_CHECKED || sMode == _Mode(pObj))
            return TRUE;
        return FALSE;  // the change cycle
    }
    case 163:
    case 164: {
        const WORD wView = wId == 163 ? PREVIEWVIEW_PAPER : PREVIEWVIEW_MACHINE;
        if (wCode == BN_CLICKED && IsDlgButtonChecked(hwnd, wId) == BST_CHECKED && GetPreviewView(pObj) != wView) {
            SetPreviewView(pObj, wView);
            InvalidateRect(GetDlgItem(hwnd, 166), nullptr, FALSE);
            PageMarkDirty(hwnd, wId, (SHORT)wView);
        }
        return TRUE;
    }
    case 406:
        if (wCode == BN_CLICKED)
            _Delete(hwnd, pObj);
        return TRUE;
    case 411:
        if (wCode == BN_CLICKED)
            _Browse(hwnd, pObj);
        return TRUE;
    case 410:
        if (wCode == EN_CHANGE)
            _NameChanged(hwnd, pObj);
        return TRUE;
    case 416:
        if (wCode == BN_CLICKED)
            ShowSaveRecallMenu(hwnd, pObj, 416);
        return TRUE;
    default:
        return FALSE;
    }
}

// ---- List notifications ----

struct SORTCTX {
    HWND hList;
    int iColumn;
    BOOL bAscending;
    BOOL bDate;
};

int CALLBACK _CompareRows(LPARAM l1, LPARAM l2, LPARAM lSort)
{
    const SORTCTX* c = (const SORTCTX*)lSort;
    WCHAR a[260] = {}, b[260] = {};
    LVFINDINFOW fi = {};
    fi.flags = LVFI_PARAM;
    fi.lParam = l1;
    int i1 = (int)SendMessageW(c->hList, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&fi);
    fi.lParam = l2;
    int i2 = (int)SendMessageW(c->hList, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&fi);
    WCHAR t1[256] = {}, t2[256] = {};
    if (i1 >= 0)
        _RowText(c->hList, i1, c->iColumn, t1, 255);
    if (i2 >= 0)
        _RowText(c->hList, i2, c->iColumn, t2, 255);
    if (c->bDate) {
        // Two-digit years: 60..99 are of the last century.
        lstrcpyW(a, t1[0] > u'5' ? u"19" : u"20");
        lstrcpyW(b, t2[0] > u'5' ? u"19" : u"20");
    }
    lstrcatW(a, t1);
    lstrcatW(b, t2);
    int k = lstrcmpW(a, b);
    return c->bAscending ? k : -k;
}

void _Sort(HWND hwnd, UISETTINGS* pObj, int iColumn)
{
    FORMPAGEREC* r = _Rec(hwnd);
    HWND hList = GetDlgItem(hwnd, 412);
    if (!r || !hList || iColumn < 0 || iColumn >= 5 || _RowCount(hList) < 2)
        return;
    r->dwLastColumn = (DWORD)iColumn;
    r->adwSortAscending[iColumn] = !r->adwSortAscending[iColumn];
    // Item data must name each row once while sorting.
    for (int i = 0; i < _RowCount(hList); ++i) {
        LVITEMW it = {};
        it.mask = LVIF_PARAM;
        it.iItem = i;
        it.lParam = i;
        SendMessageW(hList, LVM_SETITEMW, 0, (LPARAM)&it);
    }
    SORTCTX c = {hList, iColumn, r->adwSortAscending[iColumn] != 0, iColumn == _Columns(pObj) - 1};
    SendMessageW(hList, LVM_SORTITEMS, (WPARAM)&c, (LPARAM)_CompareRows);
    for (int i = 0; i < _RowCount(hList); ++i) {
        LVITEMW it = {};
        it.mask = LVIF_PARAM;
        it.iItem = i;
        it.lParam = i;
        SendMessageW(hList, LVM_SETITEMW, 0, (LPARAM)&it);
    }
    // The selection follows its row.
    int iSel = (int)SendMessageW(hList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    if (iSel >= 0)
        r->bSelected = (BYTE)iSel;
}

BOOL _ListNotify(HWND hwnd, UISETTINGS* pObj, const NMHDR* pnm)
{
    FORMPAGEREC* r = _Rec(hwnd);
    if (!r || pnm->idFrom != 412)
        return FALSE;
    if (pnm->code == LVN_COLUMNCLICK) {
        _Sort(hwnd, pObj, ((const NMLISTVIEW*)pnm)->iSubItem);
        return TRUE;
    }
    if (pnm->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* pnl = (const NMLISTVIEW*)pnm;
        if (!(pnl->uChanged & LVIF_STATE) || pnl->uNewState != (LVIS_SELECTED | LVIS_FOCUSED))
            return TRUE;
        HWND hList = GetDlgItem(hwnd, 412);
        int iSel = (int)SendMessageW(hList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED | LVNI_FOCUSED);
        if (iSel < 0)
            return TRUE;
        if ((BYTE)iSel != r->bSelected)
            NotifySheetChanged(hwnd);
        r->bSelected = (BYTE)(iSel < kNoRow ? iSel : kNoRow);
        _ShowRow(hwnd);
        return TRUE;
    }
    return FALSE;
}

BOOL _DrawItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    (void)hwnd;
    if (pdis->CtlID == 166) {
        PaintPreviewPane(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    }
    if (pdis->CtlID == 167) {
        PaintSettingIconPanel(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    }
    return FALSE;
}

const PAGEDESC kFormPage = {
    400,       HELPCTX_FORM, 415,     offsetof(FORMPAGEREC, pSettings), sizeof(FORMPAGEREC), kInitMask, kActiveMask, TRUE, TRUE,
    _Init,     _MapDirty,    _Refresh, _Apply,  _Command,            _KillActive, _DrawItem,  _Destroy,
};

}  // namespace

// ---------------------------------------------------------------------------

int DetectFormFilePdl(LPCWSTR pszPath)
{
    if (!pszPath || !pszPath[0])
        return FORMCLASS_OTHER;
    HANDLE h = _OpenForInfo(pszPath);
    if (h == INVALID_HANDLE_VALUE)
        return FORMCLASS_OTHER;
    // Only the head decides; the longest header is 11 bytes.
    BYTE ab[16] = {};
    DWORD cb = 0;
    DWORD dwSize = GetFileSize(h, nullptr);
    BOOL bRead = dwSize != INVALID_FILE_SIZE && dwSize > 0 && ReadFile(h, ab, sizeof(ab), &cb, nullptr);
    CloseHandle(h);
    if (!bRead || cb == 0)
        return FORMCLASS_OTHER;
    static const BYTE kPcl5[] = {0x1B, 0x26, 0x66, 0x31, 0x36, 0x59};
    static const BYTE kPclXl[] = {0x29, 0x20, 0x48, 0x50, 0x2D, 0x50, 0x43, 0x4C, 0x20, 0x58, 0x4C};
    if (ab[0] == 'f' && cb >= 4 && memcmp(ab, "foc ", 4) == 0)
        return FORMCLASS_NATIVE;
    if (ab[0] == 'o' && cb >= 5 && memcmp(ab, "org %", 5) == 0)
        return FORMCLASS_NATIVE;
    if (ab[0] == 0x1B && cb >= sizeof(kPcl5) && memcmp(ab, kPcl5, sizeof(kPcl5)) == 0)
        return FORMCLASS_PCL5E;
    if (ab[0] == 0x29 && cb >= sizeof(kPclXl) && memcmp(ab, kPclXl, sizeof(kPclXl)) == 0)
        return FORMCLASS_PCLXL;
    return FORMCLASS_OTHER;
}

BOOL bFormFileSuitsPdl(UISETTINGS* pObj, LPCWSTR pszPath)
{
    int iClass = DetectFormFilePdl(pszPath);
    switch (_Pdl(pObj)) {
    case 0:
        return iClass == FORMCLASS_NATIVE;
    case 1:
    case 2:
    case 3:
        return iClass == FORMCLASS_PCL5E || iClass == FORMCLASS_PCLXL;
    default:
        return FALSE;
    }
}

int CheckFormFilePdl(UISETTINGS* pObj, LPCWSTR pszPath)
{
    int iClass = DetectFormFilePdl(pszPath);
    switch (_Pdl(pObj)) {
    case 0:
        // A native language prints only native forms.
        return iClass == FORMCLASS_NATIVE ? 0 : 2;
    case 1:
        return iClass == FORMCLASS_PCL5E ? 0 : iClass == FORMCLASS_PCLXL ? 1 : 2;
    case 2:
    case 3:
        return iClass == FORMCLASS_PCLXL ? 0 : iClass == FORMCLASS_PCL5E ? 1 : 2;
    default:
        return 2;
    }
}

BOOL bFormFileExists(LPCWSTR pszPath)
{
    if (!pszPath || !pszPath[0])
        return FALSE;
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return TRUE;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

BOOL bHasFormExtension(LPCWSTR pszName)
{
    if (!pszName || !pszName[0])
        return TRUE;
    int n = lstrlenW(pszName);
    return n > 4 && memcmp(pszName + n - 4, kExt, 4 * sizeof(WCHAR)) == 0;
}

BOOL bIsFormFolderWritable(LPCWSTR pszPath)
{
    if (!pszPath)
        return FALSE;
    WCHAR szProbe[300] = {};
    int iSlash = _LastSlash(pszPath);
    if (iSlash + 1 + lstrlenW(kProbeName) >= 300)
        return FALSE;
    if (iSlash >= 0)
        lstrcpynW(szProbe, pszPath, iSlash + 2);
    lstrcatW(szProbe, kProbeName);
    HANDLE h = CreateFileW(szProbe, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    DeleteFileW(szProbe);
    return TRUE;
}

BOOL GetFormFileRowTexts(LPCWSTR pszPath, LPWSTR pszSize, int cchSize, LPWSTR pszDate, int cchDate)
{
    if (!pszPath || !pszSize || !pszDate)
        return FALSE;
    HANDLE h = _OpenForInfo(pszPath);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    BY_HANDLE_FILE_INFORMATION fi = {};
    BOOL bOk = GetFileInformationByHandle(h, &fi);
    CloseHandle(h);
    FILETIME ftLocal = {};
    SYSTEMTIME st = {};
    if (!bOk || !FileTimeToLocalFileTime(&fi.ftLastWriteTime, &ftLocal) || !FileTimeToSystemTime(&ftLocal, &st))
        return FALSE;
    DWORD dwKb = (DWORD)(((unsigned long long)fi.nFileSizeLow + 712) / 1024);
    if (dwKb < 1)
        dwKb = 1;
    WCHAR sz[64];
    wsprintfW(sz, u"%dKB", (int)dwKb);
    _Copy(pszSize, cchSize, sz);
    wsprintfW(sz, u"%02d/%02d/%02d %d:%02d", st.wYear % 100, st.wMonth, st.wDay, st.wHour, st.wMinute);
    _Copy(pszDate, cchDate, sz);
    return TRUE;
}

int FormPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue)
{
    if (PageGetDesc(hwnd) != &kFormPage)
        return 0;
    return PageMarkDirty(hwnd, wControl, sValue);
}

INT_PTR CALLBACK FormPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_PAINT: {
        if (!_Rec(hwnd))
            break;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        _PaintIcons(hwnd, hdc, &ps.rcPaint);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        // The group box around the icons leaves them showing.
        if ((HWND)lParam == GetDlgItem(hwnd, 414) && _Rec(hwnd)) {
            SetBkMode((HDC)wParam, TRANSPARENT);
            return (INT_PTR)GetStockObject(NULL_BRUSH);
        }
        break;
    case WM_NOTIFY: {
        const NMHDR* pnm = (const NMHDR*)lParam;
        UISETTINGS* pObj = PageGetSettings(hwnd);
        if (!pnm || !pObj || PageGetDesc(hwnd) != &kFormPage)
            break;
        if (_ListNotify(hwnd, pObj, pnm)) {
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (pnm->code == PSN_SETACTIVE && bSheetEditable(pObj))
            _FillList(hwnd, pObj);
        INT_PTR r = PageFrameDlgProc(&kFormPage, hwnd, uMsg, wParam, lParam);
        if (pnm->code == PSN_APPLY)
            _AfterApply(hwnd, pObj);
        return r;
    }
    default:
        break;
    }
    return PageFrameDlgProc(&kFormPage, hwnd, uMsg, wParam, lParam);
}
