// finishingpage.cpp: the Finishing page of the document sheet.
//
// Owns: FinishingPageDlgProc, FinishingPageMarkDirty, FinishingPageRefresh,
// the page's apply, the chapter page list check with the key filter of its
// edit, the owner-drawn N-up, page order, border and one-sheet lists, the
// state pictures beside the job-control switches, and the openers of the
// binding margin and job ID / password dialogs.
//
// The page runs on the frame of pageframe.h. Its lists of N-up kind, page
// order, border, duplex, staple and punch are the same settings the Setup
// page edits through its own controls; the check boxes are settings of
// their own.
//
// Rules:
//   1. The page cannot be left while the chapter list is unsound, chapters
//      are on without pages, or hard-disk save lacks its credentials; a
//      failed credential check switches hard-disk save off.
//   2. Moving the focus from the chapter list to Defaults, OK or Cancel does
//      not check it (those leave or reset the page anyway).
#include "ui/pages/finishingpage.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/bindmargin.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/illustration.h"
#include "ui/dialogs/jobid.h"
#include "ui/dialogs/preview.h"
#include "ui/library/quickaccess.h"
#include "ui/library/usetdlg.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/setuppage.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// Controls.
const WORD kMaster = 301, kNupCheck = 302, kNup = 303, kOrder = 304, kBorder = 306;
const WORD kCombineCheck = 308, kCombine = 309, kDuplexCheck = 310, kDuplex = 311;
const WORD kBookletCheck = 312, kBooklet = 313, kChapters = 314, kChapterList = 315;
const WORD kFoldCheck = 317, kFold = 318, kStapleCheck = 319, kStaple = 320;
const WORD kPunchCheck = 321, kPunch = 322, kPause = 323, kProofYes = 324, kProofNo = 325;
const WORD kDiskSave = 326, kJobIdButton = 327, kImageShift = 328, kSpare329 = 329, kSpare330 = 330;
const WORD kDefaults = 338, kSaveOnly = 340, kSaveAndPrint = 341, kMarginCheck = 342, kMargin = 343;
const WORD kCredentialMode = 348, kSaveRecall = 347;
const WORD kViewPaper = 163, kViewMachine = 164, kLargePane = 166, kSmallPane = 167;
const WORD kPausePicture = 2363, kDiskPicture = 2364, kShiftPicture = 2365, kChapterPicture = 2372;

// Parameters the page writes beside its features.
const WORD kParamOrientation = 2;
const WORD kParamLayoutCheck = 8;
const WORD kParamLayoutSelect = 9;
const WORD kParamBorder = 13;
const WORD kParamBorder2 = 103;
const WORD kParamUserCode = 221;
const WORD kParamPageLists = 223;
const int kChapterSlot = 2;

const SHORT kMarginDetails = 10;  // binding margin value that asks for the dialog
const int kCredentialNumeric = 1;
const int kCredentialJobId = 2;

const UINT kChapterCaption = 20210;
const UINT kNoChapterPages = 29002;

// The lists in the order of the record's index arrays.
const WORD kListOrder[FINISHING_LIST_COUNT] = {303, 304, 306, 309, 311, 313, 318, 320, 322, 330, 343, 348};

// The item pictures, in the order of the record's bitmap handles.
const WORD kBitmapIds[FINISHING_BITMAP_COUNT] = {
    10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 10009, 10010, 10011, 10020, 10021, 10022,
    10023, 10024, 10025, 10026, 10027, 10028, 10029, 10030, 10031, 10032, 10033, 10660, 10661, 10662, 10663,
};

// The state pictures: static, picture and mask.
struct STATEPICTURE {
    WORD wStatic;
    WORD wPicture;
    WORD wMask;
};
const STATEPICTURE kStatePictures[FINISHING_PICTURE_COUNT] = {
    {kPausePicture, 15801, 15804},   {kPausePicture, 15807, 15804},   // pause on, off
    {kShiftPicture, 15820, 15821},   {kShiftPicture, 15822, 15821},   // image shift on, off
    {kDiskPicture, 15802, 15805},    {kDiskPicture, 15808, 15805},    // hard-disk save on, off
    {kChapterPicture, 15812, 15814}, {kChapterPicture, 15811, 15813}, // chapters on, off
    {kChapterPicture, 15810, 15813},                                  // chapters without duplex or booklet
};

struct DIRTYROW {
    WORD wFirst;
    WORD wLast;
    DWORD dwBits;
};
const DIRTYROW kDirtyBits[] = {
    {163, 164, 0x200000}, {301, 301, 0x1},     {302, 302, 0x2},       {303, 303, 0x2 | 0x4},
    {304, 304, 0x2 | 0x8}, {306, 306, 0x2 | 0x10}, {308, 309, 0x20},   {310, 311, 0x40},
    {312, 313, 0x80},     {314, 315, 0x100},   {317, 318, 0x200},     {319, 320, 0x400},
    {321, 322, 0x800},    {323, 325, 0x2000},  {326, 327, 0x80000},   {340, 341, 0x80000},
    {348, 349, 0x80000},  {328, 328, 0x8000},  {329, 330, 0x40000},   {342, 343, 0x100000},
};

FINISHINGPAGEREC* _Record(HWND hwnd)
{
    return (FINISHINGPAGEREC*)PageGetRecord(hwnd);
}

WORD* _IndexOf(FINISHINGPAGEREC* r, WORD wId)
{
    for (int i = 0; r && i < FINISHING_LIST_COUNT; ++i)
        if (kListOrder[i] == wId)
            return r->apIndex[i];
    return nullptr;
}

HBITMAP _Bitmap(FINISHINGPAGEREC* r, WORD wId)
{
    for (int i = 0; r && i < FINISHING_BITMAP_COUNT; ++i)
        if (kBitmapIds[i] == wId)
            return r->ahBitmap[i];
    return nullptr;
}

BOOL _On(WORD wId)
{
    return GetFeatureValue(wId) == 1;
}

void _Check(HWND hwnd, WORD wId)
{
    if (bFeatureExists(wId))
        CheckDlgButton(hwnd, wId, _On(wId) ? BST_CHECKED : BST_UNCHECKED);
}

// A pair of radios from a value: 1 checks the first, 2 the second, other
// values leave them.
void _Radios(HWND hwnd, WORD wFirst, WORD wSecond, SHORT sValue)
{
    if (sValue == 1) {
        CheckDlgButton(hwnd, wFirst, BST_CHECKED);
        CheckDlgButton(hwnd, wSecond, BST_UNCHECKED);
    } else if (sValue == 2) {
        CheckDlgButton(hwnd, wFirst, BST_UNCHECKED);
        CheckDlgButton(hwnd, wSecond, BST_CHECKED);
    }
}

SHORT _Orientation(UISETTINGS* pObj)
{
    return GetParamEdited(pObj, kParamOrientation) == 2 ? 2 : 1;
}

PAGELISTS* _PageLists(UISETTINGS* pObj)
{
    return (PAGELISTS*)GetParamSlot(pObj, kParamPageLists);
}

// The chapter list of the settings as text ("a-b,c").
void _ChapterText(UISETTINGS* pObj, LPWSTR pszText, int cch)
{
    pszText[0] = 0;
    const PAGELISTS* pLists = _PageLists(pObj);
    if (!pLists)
        return;
    SHORT asPages[PAGELIST_MAX] = {};
    int c = 0;
    LoadPageSlot(pLists, kChapterSlot, &c, asPages, 0, PAGELIST_MAX);
    if (c > 0)
        FormatPageList(asPages, c, pszText, cch);
}

void _ShowChapterText(HWND hwnd, UISETTINGS* pObj)
{
    WCHAR sz[CHAPTER_TEXT_MAX + 1];
    _ChapterText(pObj, sz, CHAPTER_TEXT_MAX + 1);
    SetDlgItemTextW(hwnd, kChapterList, sz);
}

// The credential mode of hard-disk save; a page without its list asks for
// the job ID and password of the button it carries.
int _CredentialMode()
{
    if (bFeatureExists(kCredentialMode) && GetFeatureValue(kCredentialMode) == kCredentialNumeric)
        return kCredentialNumeric;
    return kCredentialJobId;
}

// ---- State pictures ----

void _InvalidateStatic(HWND hwnd, WORD wId)
{
    if (HWND h = GetDlgItem(hwnd, wId))
        InvalidateRect(h, nullptr, TRUE);
}

void _InvalidatePictures(HWND hwnd)
{
    for (WORD w : {kPausePicture, kShiftPicture, kDiskPicture, kChapterPicture})
        _InvalidateStatic(hwnd, w);
}

// Which state picture each static shows now.
void _ChoosePictures(UISETTINGS* pObj, int* piPictures)
{
    BindFeatureFields(pObj);
    BOOL bMaster = _On(kMaster);
    piPictures[0] = bMaster && _On(kPause) ? 0 : 1;
    piPictures[1] = bMaster && _On(kImageShift) ? 2 : 3;
    piPictures[2] = bMaster && _On(kDiskSave) ? 4 : 5;
    if (!bMaster || !(_On(kDuplexCheck) || _On(kBookletCheck)))
        piPictures[3] = 8;
    else
        piPictures[3] = _On(kChapters) ? 6 : 7;
}

// Paints the picture static wStatic shows now.
BOOL _PaintPicture(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    FINISHINGPAGEREC* r = _Record(hwnd);
    if (!r)
        return FALSE;
    FillRect(pdis->hDC, &pdis->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    int ai[4];
    _ChoosePictures(pObj, ai);
    for (int i : ai)
        if (kStatePictures[i].wStatic == pdis->CtlID && r->ahPicture[i])
            PaintIllustrationOn(pdis->hDC, r->ahPicture[i], &pdis->rcItem);
    return TRUE;
}

// ---- List rules ----

// The page-order items offered for the N-up kind and orientation.
void _OrderRule(HWND hwnd, UISETTINGS* pObj, WORD, int iItem, SHORT* psState)
{
    (void)hwnd;
    BindFeatureFields(pObj);
    if (!bPageOrderItemOffered(iItem, GetFeatureValue(kNup), _Orientation(pObj)))
        *psState = VALUEITEM_DISABLED;
}

void _FillOrder(HWND hwnd, UISETTINGS* pObj, FINISHINGPAGEREC* r)
{
    FVLHEADER* pList = GetFeatureListHeader(kOrder);
    if (!pList)
        return;
    const SHORT sBefore = pList->sInitial;
    FillValueListCombo(hwnd, pObj, kOrder, _IndexOf(r, kOrder), _OrderRule, LISTFILL_OWNERDRAW);
    if (GetEnabledItemPosition(pList, sBefore) != POSITION_NONE)
        return;
    // The order no longer offered gives way to order 3, or with one page
    // per side to the list's default.
    SHORT sNup = GetFeatureValue(kNup);
    SHORT sNew = (sNup == 1 || sNup == 8) ? pList->sDefault : 3;
    WORD wPos = GetEnabledItemPosition(pList, sNew);
    if (wPos == POSITION_NONE)
        return;  // the family's fallback stands
    pList->sInitial = sNew;
    pList->sCurIndex = (SHORT)wPos;
    SendDlgItemMessageW(hwnd, kOrder, CB_SETCURSEL, wPos, 0);
}

void _Fill(HWND hwnd, UISETTINGS* pObj, FINISHINGPAGEREC* r, WORD wId, int iStyle)
{
    if (bFeatureExists(wId))
        FillValueListCombo(hwnd, pObj, wId, _IndexOf(r, wId), nullptr, iStyle);
}

void _SetLayoutFlags(UISETTINGS* pObj, BOOL bOn)
{
    SetParamEdited(pObj, kParamLayoutCheck, bOn ? 1 : 0);
    SetParamEdited(pObj, kParamLayoutSelect, bOn ? 1 : 0);
}

// ---- Frame steps ----

BOOL s_bKeepRecalc = FALSE;  // bit 0x20000 was set before the page opened

void _Init(HWND hwnd, UISETTINGS* pObj)
{
    FINISHINGPAGEREC* r = _Record(hwnd);
    if (!r)
        return;
    r->hwnd = hwnd;
    if (s_bKeepRecalc)
        if (DWORD* pMask = PageRefreshMask(pObj, PAGE_FINISHING))
            *pMask |= 0x20000;
    BindFeatureFields(pObj);
    int cUnits = 0;
    for (WORD w : kListOrder)
        cUnits += GetFeatureItemCount(w);
    if (cUnits) {
        HGLOBAL h = GlobalAlloc(GHND, (SIZE_T)cUnits * sizeof(WORD));
        r->pIndexBlock = h ? (WORD*)GlobalLock(h) : nullptr;
        if (!r->pIndexBlock && h)
            GlobalFree(h);
    }
    WORD* p = r->pIndexBlock;
    for (int i = 0; p && i < FINISHING_LIST_COUNT; ++i) {
        r->apIndex[i] = p;
        p += GetFeatureItemCount(kListOrder[i]);
    }
    HMODULE hPictures = DlgPictureModule();
    for (int i = 0; i < FINISHING_BITMAP_COUNT; ++i)
        r->ahBitmap[i] = LoadResBitmap(hPictures, MAKEINTRESOURCEW(kBitmapIds[i]));
    // The picture statics are drawn by the page: each shows the picture of
    // its switch's state, centred.
    for (int i = 0; i < FINISHING_PICTURE_COUNT; ++i) {
        HWND hStatic = GetDlgItem(hwnd, kStatePictures[i].wStatic);
        if (!hStatic)
            continue;
        LONG lStyle = GetWindowLongW(hStatic, GWL_STYLE);
        SetWindowLongW(hStatic, GWL_STYLE, (lStyle & ~SS_TYPEMASK) | SS_OWNERDRAW);
        RECT rc;
        GetClientRect(hStatic, &rc);
        SIZE sz = {};
        if (GetResBitmapSize(kStatePictures[i].wPicture, &sz))
            OffsetRect(&rc, (rc.right - sz.cx) / 2, (rc.bottom - sz.cy) / 2);
        r->ahPicture[i] = CreateIllustrationAt(hPictures, hStatic, &rc, kStatePictures[i].wPicture,
                                               kStatePictures[i].wMask, 0, 0, 0, 0);
    }
    for (WORD w : {kMaster, kNupCheck, kCombineCheck, kDuplexCheck, kBookletCheck, kChapters, kFoldCheck,
                   kStapleCheck, kPunchCheck, kPause, kDiskSave, kImageShift, kSpare329, kMarginCheck})
        _Check(hwnd, w);
}

DWORD _MapDirty(HWND, WORD wControl)
{
    return GetFinishingDirtyBits(wControl);
}

void _Refresh(HWND hwnd, UISETTINGS* pObj)
{
    FINISHINGPAGEREC* r = _Record(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, PAGE_FINISHING);
    if (!r || !pMask)
        return;
    BindFeatureFields(pObj);
    DWORD& m = *pMask;
    auto take = [&](DWORD dwBit) {
        if (!(m & dwBit))
            return false;
        m &= ~dwBit;
        return true;
    };
    _InvalidatePictures(hwnd);
    // N-up and the lists that depend on its kind.
    if (take(0x2)) {
        _Check(hwnd, kNupCheck);
        _SetLayoutFlags(pObj, _On(kNupCheck));
        if (take(0x4))
            _Fill(hwnd, pObj, r, kNup, LISTFILL_OWNERDRAW);
        if (take(0x8))
            _FillOrder(hwnd, pObj, r);
        if (take(0x10)) {
            _Fill(hwnd, pObj, r, kBorder, LISTFILL_OWNERDRAW);
            SetParamEdited(pObj, kParamBorder, GetParamEdited(pObj, kParamBorder2));
        }
    }
    if (take(0x20)) {
        _Check(hwnd, kCombineCheck);
        _Fill(hwnd, pObj, r, kCombine, LISTFILL_OWNERDRAW);
    }
    if (take(0x40)) {
        _Check(hwnd, kDuplexCheck);
        _Fill(hwnd, pObj, r, kDuplex, LISTFILL_PLAIN);
    }
    if (take(0x80)) {
        _Check(hwnd, kBookletCheck);
        _Fill(hwnd, pObj, r, kBooklet, LISTFILL_PLAIN);
    }
    if (take(0x400)) {
        _Check(hwnd, kStapleCheck);
        _Fill(hwnd, pObj, r, kStaple, LISTFILL_PLAIN);
    }
    if (take(0x200)) {
        _Check(hwnd, kFoldCheck);
        _Fill(hwnd, pObj, r, kFold, LISTFILL_PLAIN);
    }
    if (take(0x800)) {
        _Check(hwnd, kPunchCheck);
        _Fill(hwnd, pObj, r, kPunch, LISTFILL_PLAIN);
    }
    if (take(0x2000)) {
        _Check(hwnd, kPause);
        _Radios(hwnd, kProofYes, kProofNo, GetFeatureValue(kProofYes));
    }
    if (take(0x4000))
        _Check(hwnd, kDiskSave);
    if (take(0x8000))
        _Check(hwnd, kImageShift);
    if (take(0x100)) {
        _Check(hwnd, kChapters);
        _ShowChapterText(hwnd, pObj);
    }
    if (take(0x40000)) {
        _Check(hwnd, kSpare329);
        _Fill(hwnd, pObj, r, kSpare330, LISTFILL_PLAIN);
    }
    if (take(0x100000)) {
        _Check(hwnd, kMarginCheck);
        _Fill(hwnd, pObj, r, kMargin, LISTFILL_PLAIN);
    }
    if (take(0x80000)) {
        _Check(hwnd, kDiskSave);
        _Radios(hwnd, kSaveOnly, kSaveAndPrint, GetFeatureValue(kSaveOnly));
        _Fill(hwnd, pObj, r, kCredentialMode, LISTFILL_PLAIN);
    }
    if (take(0x1)) {
        _SetLayoutFlags(pObj, _On(kMaster) && _On(kNupCheck));
        _Check(hwnd, kMaster);
    }
    if (take(0x200000))
        _Radios(hwnd, kViewPaper, kViewMachine, (SHORT)GetPreviewView(pObj));
    m &= ~(0x10000u | 0x20000u);
    _InvalidatePictures(hwnd);
}

// ---- Credentials ----

void _SwitchDiskSaveOff(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    SetFeatureValue(kDiskSave, 0);
    if (GetFeaturePage(kDiskSave) == GetActivePageId(pObj))
        PageMarkDirty(hwnd, kDiskSave, 0);
    if (GetActivePageId(pObj) == PAGE_FINISHING) {
        EvaluateControlDependencies(hwnd, pObj);
        EnableDependentControls(hwnd, pObj);
        RefreshPreviews(hwnd, pObj);
    }
    _InvalidatePictures(hwnd);
}

// The job ID and password of hard-disk save; a missing one is told and
// switches hard-disk save off.
BOOL _CheckJobId(HWND hwnd, UISETTINGS* pObj)
{
    WCHAR szJobId[21] = {}, szPassword[21] = {};
    GetJobIdInput(pObj, szJobId, szPassword);
    UINT uText = 0;
    if (!szJobId[0])
        uText = szPassword[0] ? 25404 : 25403;
    else if (!szPassword[0])
        uText = 25402;
    if (!uText)
        return TRUE;
    WCHAR szCaption[256], szText[512];
    lstrcpynW(szCaption, GetResString(25401), 256);
    lstrcpynW(szText, GetResString(uText), 512);
    MessageBoxW(hwnd, szText, szCaption, MB_OK | MB_ICONINFORMATION);
    _SwitchDiskSaveOff(hwnd, pObj);
    return FALSE;
}

BOOL _CheckNumericCode(HWND hwnd, UISETTINGS* pObj)
{
    const WCHAR* pszCode = (const WCHAR*)GetParamSlot(pObj, kParamUserCode);
    if (pszCode && pszCode[0])
        return TRUE;
    WCHAR szCaption[256], szText[1024];
    lstrcpynW(szCaption, GetResString(25408), 256);
    wnsprintfW(szText, 1024, u"%s\n%s", GetResString(25409), GetResString(25406));
    MessageBoxW(hwnd, szText, szCaption, MB_OK | MB_ICONINFORMATION);
    _SwitchDiskSaveOff(hwnd, pObj);
    return FALSE;
}

// ---- The chapter page list ----

void _FocusAndSelect(HWND hwnd, WORD wId)
{
    HWND h = GetDlgItem(hwnd, wId);
    if (!h)
        return;
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, -1);
}

// The edit's key filter: every typed character must leave a sound list.
LRESULT CALLBACK _PageListEditProc(HWND hEdit, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hPage = GetParent(hEdit);
    FINISHINGPAGEREC* r = _Record(hPage);
    WNDPROC pfnOld = r ? r->pfnEditProc : nullptr;
    if (!pfnOld)
        return DefWindowProcW(hEdit, uMsg, wParam, lParam);
    if (uMsg == WM_KILLFOCUS) {
        HWND hTo = (HWND)wParam;
        int iTo = hTo ? GetDlgCtrlID(hTo) : 0;
        if (iTo != 0 && iTo != IDOK && iTo != IDCANCEL && iTo != kDefaults && !CheckChapterPageList(hPage))
            return 0;
    } else if (uMsg == WM_CHAR) {
        WCHAR ch = (WCHAR)wParam;
        // Ctrl+C, Backspace, Ctrl+V, Ctrl+X and Ctrl+Z pass; a paste is
        // checked when the list is left.
        if (ch != 3 && ch != 8 && ch != 22 && ch != 24 && ch != 26) {
            WCHAR szText[CHAPTER_TEXT_MAX + 1] = {}, szNew[CHAPTER_TEXT_MAX + 1] = {};
            GetWindowTextW(hEdit, szText, CHAPTER_TEXT_MAX + 1);
            DWORD dwSel = (DWORD)SendMessageW(hEdit, EM_GETSEL, 0, 0);
            int n = InsertCharInText(szText, szNew, CHAPTER_TEXT_MAX + 1, dwSel, ch);
            if (n <= 0 || n > CHAPTER_TEXT_MAX || CheckPageListSyntax(szNew, n, 3) != PAGELIST_OK) {
                MessageBeep(MB_OK);
                return 0;
            }
        }
    }
    return CallWindowProcW(pfnOld, hEdit, uMsg, wParam, lParam);
}

BOOL _ChapterTextChanged(HWND hwnd, UISETTINGS* pObj)
{
    WCHAR szTyped[CHAPTER_READ_MAX + 1] = {}, szStored[CHAPTER_TEXT_MAX + 1] = {};
    GetDlgItemTextW(hwnd, kChapterList, szTyped, CHAPTER_READ_MAX + 1);
    _ChapterText(pObj, szStored, CHAPTER_TEXT_MAX + 1);
    return lstrcmpW(szTyped, szStored) != 0;
}

// ---- Commands ----

void _Changed(HWND hwnd, UISETTINGS* pObj, WORD wId)
{
    ResolveConstraintsOnChange(hwnd, pObj, wId);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
    _InvalidatePictures(hwnd);
}

// The binding margin list: value 10 asks for the margin details first.
void _MarginChosen(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    const SHORT sOld = GetFeatureValue(kMargin);
    FVLHEADER* pList = GetFeatureListHeader(kMargin);
    HWND hCombo = GetDlgItem(hwnd, kMargin);
    if (!pList || !hCombo)
        return;
    WORD wItem = FindComboSelectionInList(hCombo, pList);
    if (wItem == POSITION_NONE || GetValueListItem(pList, wItem)->sValue != kMarginDetails) {
        _Changed(hwnd, pObj, kMargin);
        return;
    }
    SetFeatureValue(kMargin, kMarginDetails);
    SUBDLGOPEN open = {};
    open.wTemplate = IDD_BINDMARGIN;
    open.pfnDlgProc = BindingMarginDlgProc;
    open.wPageControl = kMargin;
    open.bCollectChanges = TRUE;
    if (PageOpenSubDialog(hwnd, &open) == IDOK) {
        _InvalidatePictures(hwnd);
        return;
    }
    // Discarded: the earlier margin comes back.
    BindFeatureFields(pObj);
    SetFeatureValue(kMargin, sOld);
    WORD wPos = GetEnabledItemPosition(pList, sOld);
    SendMessageW(hCombo, CB_SETCURSEL, wPos == POSITION_NONE ? (WPARAM)-1 : wPos, 0);
    RefreshPreviews(hwnd, pObj);
}

// After settings came back from the library: the page shows them.
void _AfterRecall(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    CollectChangedFeatures(pObj);
    ResolveConstraintsAll(hwnd, pObj);
    _ShowChapterText(hwnd, pObj);
    NotifySheetChanged(hwnd);
    RefreshPreviews(hwnd, pObj);
    _InvalidatePictures(hwnd);
}

BOOL _Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    if (!_Record(hwnd))
        return TRUE;
    if (bSheetEditable(pObj) && PageLibraryCommand(hwnd, pObj, wId, _AfterRecall))
        return TRUE;
    BindFeatureFields(pObj);
    switch (wId) {
    case kSaveRecall:
        if (wCode == BN_CLICKED && CheckChapterPageList(hwnd))
            ShowSaveRecallMenu(hwnd, pObj, kSaveRecall);
        return TRUE;
    case kViewPaper:
    case kViewMachine: {
        WORD wView = wId == kViewPaper ? PREVIEWVIEW_PAPER : PREVIEWVIEW_MACHINE;
        if (wCode == BN_CLICKED && GetPreviewView(pObj) != wView) {
            SetPreviewView(pObj, wView);
            RefreshPreviewPane(hwnd, pObj);
            InvalidatePreviewItem(hwnd, kLargePane, pObj);
            PageMarkDirty(hwnd, wId, 0);
        }
        return TRUE;
    }
    case kMaster: case kNupCheck: case kCombineCheck: case kDuplexCheck: case kBookletCheck: case kChapters:
    case kFoldCheck: case kStapleCheck: case kPunchCheck: case kPause: case kImageShift: case kSpare329:
    case kMarginCheck:
        if (wCode == BN_CLICKED && bSheetEditable(pObj))
            _Changed(hwnd, pObj, wId);
        return TRUE;
    case kNup: case kOrder: case kBorder: case kCombine: case kDuplex: case kBooklet: case kFold: case kStaple:
    case kPunch: case kSpare330: case kCredentialMode:
        if (wCode == CBN_SELCHANGE && bSheetEditable(pObj))
            _Changed(hwnd, pObj, wId);
        return TRUE;
    case kMargin:
        if (wCode == CBN_SELCHANGE && bSheetEditable(pObj))
            _MarginChosen(hwnd, pObj);
        return TRUE;
    case kChapterList:
        if (wCode == EN_CHANGE && bSheetEditable(pObj) && _ChapterTextChanged(hwnd, pObj))
            _Changed(hwnd, pObj, wId);
        return TRUE;
    case kProofYes:
    case kProofNo:
    case kSaveOnly:
    case kSaveAndPrint: {
        SHORT sMine = (wId == kProofYes || wId == kSaveOnly) ? 1 : 2;
        if (wCode == BN_CLICKED && IsDlgButtonChecked(hwnd, wId) == BST_CHECKED && GetFeatureValue(wId) != sMine &&
            bSheetEditable(pObj))
            _Changed(hwnd, pObj, wId);
        return TRUE;
    }
    case kDiskSave:
    case kJobIdButton: {
        if (wCode != BN_CLICKED || !bSheetEditable(pObj))
            return TRUE;
        if (wId == kDiskSave)
            ResolveConstraintsOnChange(hwnd, pObj, wId);
        BindFeatureFields(pObj);
        if (_On(kDiskSave)) {
            HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
            SetActivePageId(pObj, IDD_JOBID);
            DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_JOBID), hwnd, JobIdPasswordDlgProc, (LPARAM)pObj);
            SetActivePageId(pObj, PAGE_FINISHING);
            BindFeatureFields(pObj);
            _CheckJobId(hwnd, pObj);
        }
        NotifySheetChanged(hwnd);
        RefreshPreviews(hwnd, pObj);
        _InvalidatePictures(hwnd);
        return TRUE;
    }
    case kDefaults: {
        if (wCode != BN_CLICKED || !bSheetEditable(pObj))
            return TRUE;
        SetFocus(hwnd);
        ResolveConstraintsOnChange(hwnd, pObj, wId);
        SetFocus(GetDlgItem(hwnd, wId));
        SetDlgItemTextW(hwnd, kChapterList, u"");
        if (PAGELISTS* pLists = _PageLists(pObj))
            ClearPageSlot(pLists, kChapterSlot);
        NotifySheetChanged(hwnd);
        RefreshPreviews(hwnd, pObj);
        _InvalidatePictures(hwnd);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// Leaving the page: the chapter list, chapters without pages, and the
// credentials of hard-disk save.
BOOL _KillActive(HWND hwnd, UISETTINGS* pObj)
{
    if (!CheckChapterPageList(hwnd))
        return TRUE;
    BindFeatureFields(pObj);
    if (_On(kChapters) && GetWindowTextLengthW(GetDlgItem(hwnd, kChapterList)) == 0) {
        WCHAR szCaption[256], szText[512];
        lstrcpynW(szCaption, GetResString(kChapterCaption), 256);
        lstrcpynW(szText, GetResString(kNoChapterPages), 512);
        MessageBoxW(hwnd, szText, szCaption, MB_OK | MB_ICONINFORMATION);
        SetFeatureValue(kChapters, 0);
        if (GetActivePageId(pObj) == PAGE_FINISHING)
            PageMarkDirty(hwnd, kChapters, 0);
        else
            CheckDlgButton(hwnd, kChapters, BST_UNCHECKED);
        SetFocus(GetDlgItem(hwnd, kChapters));
        return TRUE;
    }
    if (_On(kMaster) && _On(kDiskSave)) {
        BOOL bOk = _CredentialMode() == kCredentialNumeric ? _CheckNumericCode(hwnd, pObj) : _CheckJobId(hwnd, pObj);
        if (!bOk) {
            SetFocus(GetDlgItem(hwnd, kDiskSave));
            return TRUE;
        }
    }
    return FALSE;
}

// ---- Owner-drawn lists ----

struct ITEMPICTURE {
    WORD wPicture;
    WORD wMask;
};

BOOL _NupPicture(SHORT sValue, BOOL bPortrait, ITEMPICTURE* p)
{
    switch (sValue) {
    case 8: *p = bPortrait ? ITEMPICTURE{10000, 10011} : ITEMPICTURE{10001, 10010}; return TRUE;
    case 10: *p = bPortrait ? ITEMPICTURE{10002, 10010} : ITEMPICTURE{10003, 10011}; return TRUE;
    case 5: *p = bPortrait ? ITEMPICTURE{10004, 10011} : ITEMPICTURE{10005, 10010}; return TRUE;
    case 6: *p = bPortrait ? ITEMPICTURE{10006, 10010} : ITEMPICTURE{10007, 10011}; return TRUE;
    case 7: *p = bPortrait ? ITEMPICTURE{10008, 10010} : ITEMPICTURE{10009, 10011}; return TRUE;
    default: return FALSE;
    }
}

BOOL _OrderPicture(SHORT sValue, BOOL bPortrait, SHORT sNup, ITEMPICTURE* p)
{
    if (sValue == 1 || sValue == 2) {
        p->wPicture = (WORD)((bPortrait ? 10020 : 10022) + (sValue - 1));
        p->wMask = bPortrait ? 10033 : 10032;
        return TRUE;
    }
    if (sValue < 3 || sValue > 6)
        return FALSE;
    BOOL bUpright = (bPortrait && sNup != 5) || (!bPortrait && sNup == 5);
    p->wPicture = (WORD)((bUpright ? 10024 : 10028) + (sValue - 3));
    p->wMask = bUpright ? 10033 : 10032;
    return TRUE;
}

BOOL _CombinePicture(SHORT sValue, BOOL bPortrait, BOOL bNupOn, SHORT sNup, ITEMPICTURE* p)
{
    // Which way the sheets lie: as the paper, or turned by the N-up kind.
    BOOL bFirstSet;
    if (!bNupOn)
        bFirstSet = bPortrait;
    else if (sNup == 5 || sNup == 8)
        bFirstSet = !bPortrait;
    else if (sNup == 6 || sNup == 7 || sNup == 10)
        bFirstSet = bPortrait;
    else
        return FALSE;
    if (bFirstSet)
        *p = {(WORD)(sValue == 1 ? 10660 : 10662), 10011};
    else
        *p = {(WORD)(sValue == 1 ? 10661 : 10663), 10010};
    return TRUE;
}

void _BlitBitmap(HDC hdc, HBITMAP hbm, int x, int yCentre, DWORD dwRop)
{
    BITMAP bm = {};
    if (!hbm || !GetObjectW(hbm, sizeof(bm), &bm))
        return;
    HDC hdcMem = CreateCompatibleDC(hdc);
    HGDIOBJ hOld = SelectObject(hdcMem, hbm);
    BitBlt(hdc, x, yCentre - bm.bmHeight / 2, bm.bmWidth, bm.bmHeight, hdcMem, 0, 0, dwRop);
    SelectObject(hdcMem, hOld);
    DeleteDC(hdcMem);
}

BOOL _DrawListItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    FINISHINGPAGEREC* r = _Record(hwnd);
    WORD wId = (WORD)pdis->CtlID;
    if (!r || (int)pdis->itemID < 0)
        return TRUE;
    BindFeatureFields(pObj);
    HDC hdc = pdis->hDC;
    const RECT& rc = pdis->rcItem;
    const BOOL bDisabled = (pdis->itemState & ODS_DISABLED) != 0;
    const BOOL bFocus = !bDisabled && (pdis->itemState & (ODS_SELECTED | ODS_FOCUS)) != 0;
    HBRUSH hbr = GetSysColorBrush(bDisabled ? COLOR_BTNFACE : bFocus ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    FillRect(hdc, &rc, hbr);
    if (bFocus)
        DrawFocusRect(hdc, &rc);

    const SHORT sValue = (SHORT)SendMessageW(pdis->hwndItem, CB_GETITEMDATA, pdis->itemID, 0);
    const BOOL bPortrait = _Orientation(pObj) == 1;
    const SHORT sNup = GetFeatureValue(kNup);
    ITEMPICTURE pic = {};
    BOOL bPicture = FALSE;
    if (wId == kNup)
        bPicture = _NupPicture(sValue, bPortrait, &pic);
    else if (wId == kOrder)
        bPicture = _OrderPicture(sValue, bPortrait, sNup, &pic);
    else if (wId == kCombine)
        bPicture = _CombinePicture(sValue, bPortrait, _On(kNupCheck), sNup, &pic);
    const int yCentre = (rc.top + rc.bottom) / 2;
    if (bPicture) {
        _BlitBitmap(hdc, _Bitmap(r, pic.wMask), rc.left + 3, yCentre, SRCAND);
        _BlitBitmap(hdc, _Bitmap(r, pic.wPicture), rc.left + 3, yCentre, SRCINVERT);
    }
    if (wId == kOrder)
        return TRUE;  // pictures only
    // The text of the item: the n-th item the list offers.
    const FVLHEADER* pList = GetFeatureListHeader(wId);
    LPCWSTR pszText = nullptr;
    for (int i = 0, n = 0; pList && i < pList->sCount; ++i) {
        const UIITEMCHOICE* it = GetValueListItem(pList, i);
        if (it->sEnabled != VALUEITEM_ENABLED)
            continue;
        if (n++ == (int)pdis->itemID) {
            pszText = it->szText;
            break;
        }
    }
    if (!pszText)
        return TRUE;
    WCHAR szText[65] = {};
    lstrcpynW(szText, pszText, 65);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(bDisabled ? COLOR_GRAYTEXT : bFocus ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    RECT rcText = rc;
    rcText.left += wId == kBorder ? 2 : 28;
    // A picture wider than the usual 22 pixels keeps its text beside it.
    BITMAP bm = {};
    if (bPicture && GetObjectW(_Bitmap(r, pic.wPicture), sizeof(bm), &bm) && rc.left + 3 + bm.bmWidth + 3 > rcText.left)
        rcText.left = rc.left + 3 + bm.bmWidth + 3;
    DrawTextW(hdc, szText, -1, &rcText, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return TRUE;
}

BOOL _DrawItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    if (pdis->CtlType == ODT_MENU)
        return DrawSaveRecallMenuItem(pdis);
    switch (pdis->CtlID) {
    case kLargePane:
        PaintPreviewPane(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    case kSmallPane:
        PaintSettingIconPanel(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    case kNup:
    case kOrder:
    case kBorder:
    case kCombine:
        return _DrawListItem(hwnd, pObj, pdis);
    case kPausePicture:
    case kShiftPicture:
    case kDiskPicture:
    case kChapterPicture:
        return _PaintPicture(hwnd, pObj, pdis);
    default:
        return FALSE;
    }
}

// ---- Apply and the end ----

void _Apply(HWND hwnd, UISETTINGS* pObj)
{
    (void)hwnd;
    BindFeatureFields(pObj);
    for (int i = 0; i < g_cFeatures; ++i) {
        const FEATURE& f = g_aFeatures[i];
        if (f.wPage != PAGE_FINISHING || !(f.wKind & FK_VALUEKINDS))
            continue;
        if (WORD wParam = GetFeatureParamId(f.wId))
            SetParamCommitted(pObj, wParam, GetParamEdited(pObj, wParam));
    }
    for (WORD wParam : {kParamLayoutCheck, kParamLayoutSelect, kParamBorder})
        SetParamCommitted(pObj, wParam, GetParamEdited(pObj, wParam));
}

void _Destroy(HWND hwnd, UISETTINGS*)
{
    FINISHINGPAGEREC* r = _Record(hwnd);
    if (!r)
        return;
    for (HBITMAP& h : r->ahBitmap)
        if (h) {
            DeleteObject(h);
            h = nullptr;
        }
    for (HGLOBAL& h : r->ahPicture)
        if (h) {
            DestroyIllustration(h);
            h = nullptr;
        }
    if (r->pfnEditProc) {
        if (HWND hEdit = GetDlgItem(hwnd, kChapterList))
            SetWindowLongPtrW(hEdit, GWLP_WNDPROC, (LONG_PTR)r->pfnEditProc);
        r->pfnEditProc = nullptr;
    }
    if (r->hbrPaint) {
        DeleteObject(r->hbrPaint);
        r->hbrPaint = nullptr;
    }
    if (r->pIndexBlock) {
        HGLOBAL h = GlobalHandle(r->pIndexBlock);
        GlobalUnlock(h);
        GlobalFree(h);
        r->pIndexBlock = nullptr;
    }
}

const PAGEDESC kFinishingPage = {
    PAGE_FINISHING, HELPCTX_FINISHING, 344, offsetof(FINISHINGPAGEREC, pSettings), sizeof(FINISHINGPAGEREC), FINISHING_ALL_BITS, FINISHING_ALL_BITS,
    TRUE,           TRUE,              _Init, _MapDirty, _Refresh, _Apply, _Command, _KillActive, _DrawItem,
    _Destroy,
};

}  // namespace

DWORD GetFinishingDirtyBits(WORD wControl)
{
    for (const DIRTYROW& row : kDirtyBits)
        if (wControl >= row.wFirst && wControl <= row.wLast)
            return row.dwBits;
    return 0;
}

int FinishingPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue)
{
    return PageMarkDirty(hwnd, wControl, sValue);
}

void FinishingPageRefresh(HWND hwnd)
{
    PageRefresh(hwnd);
}

BOOL CheckChapterPageList(HWND hwnd)
{
    UISETTINGS* pObj = PageGetSettings(hwnd);
    if (!pObj || PageGetDesc(hwnd) != &kFinishingPage)
        return TRUE;
    WCHAR szText[CHAPTER_READ_MAX + 1] = {};
    int cch = GetDlgItemTextW(hwnd, kChapterList, szText, CHAPTER_READ_MAX + 1);
    int r = CheckPageListSyntax(szText, cch, 3);
    if (r != PAGELIST_OK) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowPageListError(hwnd, kChapterCaption, r, 3);
        _FocusAndSelect(hwnd, kChapterList);
        return FALSE;
    }
    SHORT asPages[PAGELIST_MAX] = {};
    int c = cch ? ParsePageRanges(szText, asPages, PAGELIST_MAX) : 0;
    if (c < 0) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowPageListError(hwnd, kChapterCaption, PAGELIST_TOO_MANY, PAGELIST_KIND_CHAPTERS);
        _FocusAndSelect(hwnd, kChapterList);
        return FALSE;
    }
    SortPageNumbers(asPages, c);
    SHORT asDup[14] = {};
    int cDup = CollectDuplicateValues(asPages, c, asDup, 14);
    if (cDup > 0) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowDuplicatePagesWarning(hwnd, kChapterCaption, asDup, cDup);
        _FocusAndSelect(hwnd, kChapterList);
        return FALSE;
    }
    if (PAGELISTS* pLists = _PageLists(pObj)) {
        if (c > 0)
            StorePageSlot(pLists, c, kChapterSlot, asPages);
        else
            ClearPageSlot(pLists, kChapterSlot);
    }
    return TRUE;
}

INT_PTR CALLBACK FinishingPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        UISETTINGS* pInit = SettingsOfPageParam(lParam);
        DWORD* pMask = pInit ? PageRefreshMask(pInit, PAGE_FINISHING) : nullptr;
        s_bKeepRecalc = pMask && (*pMask & 0x20000);
        INT_PTR r = PageFrameDlgProc(&kFinishingPage, hwnd, uMsg, wParam, lParam);
        s_bKeepRecalc = FALSE;
        FINISHINGPAGEREC* rec = _Record(hwnd);
        UISETTINGS* pObj = PageGetSettings(hwnd);
        if (rec && pObj) {
            _ShowChapterText(hwnd, pObj);
            if (HWND hEdit = GetDlgItem(hwnd, kChapterList)) {
                SendMessageW(hEdit, EM_LIMITTEXT, CHAPTER_TEXT_MAX, 0);
                rec->pfnEditProc = (WNDPROC)SetWindowLongPtrW(hEdit, GWLP_WNDPROC, (LONG_PTR)_PageListEditProc);
            }
            RefreshPreviews(hwnd, pObj);
        }
        return r;
    }
    NoteSaveRecallMenuClosed(uMsg, lParam);
    if (uMsg == WM_MEASUREITEM && lParam && ((MEASUREITEMSTRUCT*)lParam)->CtlType == ODT_MENU &&
        PageGetDesc(hwnd) == &kFinishingPage)
        return MeasureSaveRecallMenuItem(hwnd, (MEASUREITEMSTRUCT*)lParam);
    return PageFrameDlgProc(&kFinishingPage, hwnd, uMsg, wParam, lParam);
}
