// setuppage.cpp: the Setup page (see setuppage.h).
//
// The page runs on the frame of pageframe.h: the frame creates the record,
// keeps the change cycle and the common apply tail; this file adds the
// page's own record contents, its bit table, its refresh, its commands, the
// copies and zoom edits, the extra rules of its lists and the drawing of
// its owner-drawn items.
#include "ui/pages/setuppage.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/bindmargin.h"
#include "ui/dialogs/booklet.h"
#include "ui/dialogs/boxsave.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/illustration.h"
#include "ui/dialogs/ohpinterleave.h"
#include "ui/dialogs/preview.h"
#include "ui/dialogs/subdlg.h"
#include "ui/dialogs/timerprint.h"
#include "ui/dialogs/userauth.h"
#include "ui/dialogs/userpaper.h"
#include "ui/library/quickaccess.h"
#include "ui/library/usetdlg.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/papertable.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/strcache.h"

#include <cstring>


namespace {

// Settings parameters the page reads and writes.
enum : WORD {
    P_COPIES = 1, P_ORIENTATION = 2, P_MEDIASIZE = 3, P_OUTPUTPAPER = 4, P_ZOOMCHECK = 5, P_ZOOM = 6,
    P_MEDIASOURCE = 7, P_LAYOUTCHECK = 8, P_LAYOUTSELECT = 9, P_ORDER = 10, P_LAYOUT = 11, P_BOOKLET = 12,
    P_BORDER = 13, P_STAPLE = 14, P_DUPLEX = 15, P_OUTPUTTRAY = 16, P_SORTCHECK = 17, P_COLLATECHECK = 18,
    P_PASSWORDCHECK = 19, P_MEDIATYPE = 26, P_GRAPHICSMODE = 33, P_OUTPUTUNIT = 41, P_OUTPUT = 46,
    P_NUPCHECK = 56, P_BOOKLETCHECK = 57, P_ENGBOOKLETCHECK = 58, P_STAPLECHECK = 59, P_DUPLEXCHECK = 60,
    P_LAYOUTCHECK2 = 61, P_PUNCHCHECK = 62, P_BINDMARGINCHECK = 63, P_PAPERLESSCHECK = 64,
    P_CENTERFINISHCHECK = 65, P_PODCHECK = 70, P_PODNUPCHECK = 71, P_PODBINDMARGINCHECK = 73,
    P_JOBCOMBCHECK = 81, P_UNDISPLAYPASSWORD = 87, P_OHPINTLV = 96, P_MARGINMODE = 99, P_BOOKLETMODE = 101,
    P_PUNCHHOLES = 102, P_BORDER2 = 103, P_BOOKLET2 = 104, P_ENGBOOKLET = 105, P_PUNCH = 106,
    P_OUTPUTORDER = 107, P_BINDMARGIN = 108, P_CENTERFINISH = 117, P_OIPAPERTRAY = 132, P_UDPAPERTYPE = 140,
    P_UDMEDIATYPE = 141, P_WIDEPAPERPOS = 143, P_OUTPUTMETHOD = 144, P_FMARGIN = 146, P_BMARGIN = 147,
    P_148 = 148, P_149 = 149, P_UDPAPERWIDTH = 151, P_UDPAPERLENGTH = 152, P_UDMEDIAWIDTH = 153,
    P_UDMEDIALENGTH = 154, P_UDPAPERUNIT = 157, P_UDMEDIAUNIT = 158, P_XROUTPUTPAPER = 230, P_232 = 232,
};

// The lists of the record, in the order of its index arrays.
const WORD kLists[SETUP_LIST_COUNT] = {111, 114, 120, 125, 131, 133, 139, 122, 129,
                                       135, 137, 141, 156, 160, 162, 127, 172};

const WORD kCustomSize = 512;
const WORD kSameAsDocument = 257;
const WORD kUserPaperDialog = 2200;

// Message texts of the resource library.
const UINT kStrConfidential = 20023, kStrBoxSave = 20020, kStrBoxSavePrint = 20021;
const UINT kStrZoomName = 21016, kStrZoomRange = 21017;
const UINT kStrNoPassword = 25201, kStrEnterPassword = 25202, kStrEnterBox = 25302;
const UINT kStrHddSave = 25401, kStrHddNoPassword = 25402;

SHORT V(UISETTINGS* p, WORD w)
{
    return GetParamEdited(p, w);
}

void SetV(UISETTINGS* p, WORD w, SHORT s)
{
    SetParamEdited(p, w, s);
}

SETUPPAGERECORD* _Rec(HWND hwnd)
{
    const PAGEDESC* d = PageGetDesc(hwnd);
    return d && d->wPageId == PAGE_SETUP ? (SETUPPAGERECORD*)PageGetRecord(hwnd) : nullptr;
}

DWORD* _Mask(HWND hwnd)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    return r && r->pSettings ? PageRefreshMask(r->pSettings, PAGE_SETUP) : nullptr;
}

WORD* _IndexOf(SETUPPAGERECORD* r, WORD wControl)
{
    for (int i = 0; r && i < SETUP_LIST_COUNT; ++i)
        if (kLists[i] == wControl)
            return r->apIndex[i];
    return nullptr;
}

const UIITEMRANGE* _Range(UISETTINGS* pObj, WORD wParam)
{
    return (const UIITEMRANGE*)GetParamSlot(pObj, wParam);
}

void _ShowMessage(HWND hwnd, UINT uCaption, UINT uText)
{
    LPCWSTR pszText = GetResString(uText), pszCaption = GetResString(uCaption);
    MessageBoxW(hwnd, pszText ? pszText : u"", pszCaption ? pszCaption : u"", MB_ICONINFORMATION);
}

// ---- Illustrations and item bitmaps ----

HGLOBAL _Illustration(HWND hwnd, WORD wAnchor, WORD wPicture, WORD wMask)
{
    HWND hAnchor = GetDlgItem(hwnd, wAnchor);
    if (!hAnchor)
        return nullptr;
    RECT rc;
    GetWindowRect(hAnchor, &rc);
    RectScreenToClient(hwnd, &rc);
    return CreateIllustrationAt(DlgPictureModule(), hwnd, &rc, wPicture, wMask, 0, 0, 0, 0);
}

void _CreatePictures(HWND hwnd, SETUPPAGERECORD* r)
{
    // The anchors only give the places; the page paints the pictures there.
    for (WORD id : {108, 146, 147, 158, 2362})
        if (HWND h = GetDlgItem(hwnd, id))
            ShowWindow(h, SW_HIDE);
    r->hOrientPortrait = _Illustration(hwnd, 108, 10200, 10201);
    r->hOrientLandscape = _Illustration(hwnd, 108, 10202, 10203);
    r->hSortOn = _Illustration(hwnd, 146, 10204, 10206);
    r->hSortOff = _Illustration(hwnd, 146, 10205, 10206);
    r->hGroupOn = _Illustration(hwnd, 147, 10207, 10208);
    r->hGroupOff = _Illustration(hwnd, 147, 10209, 10210);
    r->hGroupOnSeparated = _Illustration(hwnd, 147, 10211, 10212);
    r->hBlankOn = _Illustration(hwnd, 158, 10220, 10222);
    r->hBlankOff = _Illustration(hwnd, 158, 10221, 10222);
    r->hSecretOn = _Illustration(hwnd, 2362, 15800, 15803);
    r->hSecretOff = _Illustration(hwnd, 2362, 15806, 15803);
    HMODULE hRes = DlgPictureModule();
    for (int i = 0; i < 12; ++i)
        r->ahNup[i] = LoadBitmapW(hRes, MAKEINTRESOURCEW(10000 + i));
    for (int i = 0; i < 14; ++i)
        r->ahOrder[i] = LoadBitmapW(hRes, MAKEINTRESOURCEW(10020 + i));
    for (int i = 0; i < 10; ++i)
        r->ahMethod[i] = LoadBitmapW(hRes, MAKEINTRESOURCEW(10240 + i));
}

void _DestroyPictures(SETUPPAGERECORD* r)
{
    HGLOBAL* ah[] = {&r->hOrientPortrait, &r->hOrientLandscape, &r->hSortOn, &r->hSortOff,
                     &r->hGroupOn, &r->hGroupOff, &r->hGroupOnSeparated, &r->hBlankOn,
                     &r->hBlankOff, &r->hSecretOn, &r->hSecretOff};
    for (HGLOBAL* p : ah)
        if (*p) {
            DestroyIllustration(*p);
            *p = nullptr;
        }
    for (HBITMAP& h : r->ahNup)
        if (h)
            DeleteObject(h), h = nullptr;
    for (HBITMAP& h : r->ahOrder)
        if (h)
            DeleteObject(h), h = nullptr;
    for (HBITMAP& h : r->ahMethod)
        if (h)
            DeleteObject(h), h = nullptr;
}

// The place of a picture: the rectangle of its (hidden) anchor static.
BOOL _AnchorRect(HWND hwnd, WORD wAnchor, RECT* prc)
{
    HWND hAnchor = GetDlgItem(hwnd, wAnchor);
    if (!hAnchor)
        return FALSE;
    GetWindowRect(hAnchor, prc);
    RectScreenToClient(hwnd, prc);
    return TRUE;
}

// A picture changed: its place is painted again (WM_PAINT draws it).
void _PaintPicture(HWND hwnd, WORD wAnchor, HGLOBAL)
{
    RECT rc;
    if (_AnchorRect(hwnd, wAnchor, &rc))
        InvalidateRect(hwnd, &rc, TRUE);
}

// Erases the anchor's place with the face colour and paints one picture.
void _DrawPicture(HWND hwnd, HDC hdc, WORD wAnchor, HGLOBAL hIll)
{
    RECT rc;
    if (!hIll || !_AnchorRect(hwnd, wAnchor, &rc))
        return;
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    PaintIllustrationOn(hdc, hIll, nullptr);
}

HGLOBAL _GroupPicture(SETUPPAGERECORD* r, UISETTINGS* pObj)
{
    if (V(pObj, P_COLLATECHECK) != 1)
        return r->hGroupOff;
    SHORT sUnit = V(pObj, P_OUTPUTUNIT);
    return (sUnit == 1 || (sUnit & 0x80)) ? r->hGroupOn : r->hGroupOnSeparated;
}

void _PaintAllPictures(HWND hwnd, HDC hdc, SETUPPAGERECORD* r, UISETTINGS* pObj)
{
    _DrawPicture(hwnd, hdc, 108, V(pObj, P_ORIENTATION) == 2 ? r->hOrientLandscape : r->hOrientPortrait);
    _DrawPicture(hwnd, hdc, 146, V(pObj, P_SORTCHECK) == 1 ? r->hSortOn : r->hSortOff);
    _DrawPicture(hwnd, hdc, 147, _GroupPicture(r, pObj));
    _DrawPicture(hwnd, hdc, 158, V(pObj, P_PAPERLESSCHECK) == 1 ? r->hBlankOn : r->hBlankOff);
    _DrawPicture(hwnd, hdc, 2362, V(pObj, P_PASSWORDCHECK) == 1 ? r->hSecretOn : r->hSecretOff);
}

// ---- List fillers ----

// An offered user paper shows the name and size the user gave it; the item
// itself carries that text, so that the combo's text finds it again.
void _NameUserPaper(UISETTINGS* pObj, FVLITEM* it)
{
    int iSlot = bIsCustomPaper(it->sValue) ? CustomPaperToSlot(it->sValue) : 0;
    WCHAR sz[64] = {};
    if (iSlot != 0 && bFormatUserPaperName(pObj, iSlot, sz, 64, 2) && sz[0])
        lstrcpynW(it->szText, sz, 64);
}

void _DocumentSizeRule(HWND, UISETTINGS* pObj, WORD wControl, int iItem, SHORT* psState)
{
    FVLITEM* it = GetFeatureItem(wControl, iItem);
    if (!it)
        return;
    SHORT s = it->sValue;
    if (bIsRotatedPaper(s) || (s & 0x2000) || ((s & 0x400) && !(s & 0x1000)))
        *psState = VALUEITEM_DISABLED;
    if (s == (SHORT)kCustomSize)
        *psState = VALUEITEM_ENABLED;
    if (*psState == VALUEITEM_ENABLED)
        _NameUserPaper(pObj, it);
}

void _OutputSizeRule(HWND, UISETTINGS* pObj, WORD wControl, int iItem, SHORT* psState)
{
    FVLITEM* it = GetFeatureItem(wControl, iItem);
    if (!it)
        return;
    if (it->sValue == (SHORT)kCustomSize && V(pObj, P_GRAPHICSMODE) != 1)
        *psState = VALUEITEM_ENABLED;
    if (*psState == VALUEITEM_ENABLED)
        _NameUserPaper(pObj, it);
}

void _PageOrderRule(HWND, UISETTINGS* pObj, WORD, int iItem, SHORT* psState)
{
    if (!bPageOrderItemOffered(iItem, V(pObj, P_LAYOUT), V(pObj, P_ORIENTATION)))
        *psState = VALUEITEM_DISABLED;
}


void _Refill(HWND hwnd, SETUPPAGERECORD* r, UISETTINGS* pObj, WORD wControl)
{
    if (!bFeatureExists(wControl))
        return;
    PFNLISTRULE pfn = nullptr;
    int iStyle = LISTFILL_PLAIN;
    switch (wControl) {
    case 111:
        pfn = _DocumentSizeRule;
        break;
    case 114:
        pfn = _OutputSizeRule;
        break;
    case 127:
        pfn = _PageOrderRule;
        iStyle = LISTFILL_OWNERDRAW;
        break;
    case 125:
    case 129:
    case 172:
        iStyle = LISTFILL_OWNERDRAW;
        break;
    }
    SHORT sBefore = GetFeatureValue(wControl);
    FillValueListCombo(hwnd, pObj, wControl, _IndexOf(r, wControl), pfn, iStyle);
    if (wControl == 127 && GetFeatureValue(wControl) != sBefore) {
        // A page order the N-up value does not offer: the first order of
        // the orientation for 2-up, else order 3 of the larger layouts.
        SHORT n = V(pObj, P_LAYOUT);
        FVLHEADER* pList = GetFeatureListHeader(127);
        SHORT sNew = (n == 1 || n == 8) ? GetFeatureDefault(127) : 3;
        WORD wPos = GetEnabledItemPosition(pList, sNew);
        if (pList && wPos != POSITION_NONE) {
            SetFeatureValue(127, sNew);
            pList->sCurIndex = (SHORT)wPos;
            SendDlgItemMessageW(hwnd, 127, CB_SETCURSEL, wPos, 0);
        }
    }
}

// ---- Derived finishing values ----

void _DeriveLayout(UISETTINGS* pObj)
{
    SHORT sCheck = 0, sSelect = 0;
    if (V(pObj, P_LAYOUTCHECK2) == 1) {
        if (V(pObj, P_NUPCHECK) == 1)
            sCheck = sSelect = 1;
        else if (V(pObj, P_BOOKLETCHECK) == 1)
            sCheck = 1, sSelect = 2;
    }
    SetV(pObj, P_LAYOUTCHECK, sCheck);
    SetV(pObj, P_LAYOUTSELECT, sSelect);
}

void _Check(HWND hwnd, WORD wId, SHORT s)
{
    if (GetDlgItem(hwnd, wId))
        CheckDlgButton(hwnd, wId, s == 1 ? BST_CHECKED : BST_UNCHECKED);
}

// Zoom group rule of the page (init and activation).
BOOL _bZoomGroupEnabled(UISETTINGS* pObj, BOOL bMarginRule)
{
    if (V(pObj, P_ZOOMCHECK) == 0)
        return FALSE;
    if (V(pObj, P_LAYOUTCHECK2) == 1 && (V(pObj, P_NUPCHECK) == 1 || V(pObj, P_BOOKLETCHECK) == 1))
        return FALSE;
    if (V(pObj, P_PODCHECK) == 1 && V(pObj, P_PODNUPCHECK) == 1)
        return FALSE;
    if (bMarginRule && V(pObj, P_MARGINMODE) == 2 &&
        ((V(pObj, P_BINDMARGINCHECK) == 1 && V(pObj, P_LAYOUTCHECK2) == 1) ||
         (V(pObj, P_PODBINDMARGINCHECK) == 1 && V(pObj, P_PODCHECK) == 1)))
        return FALSE;
    return TRUE;
}

void _EnableZoomGroup(HWND hwnd, UISETTINGS* pObj, BOOL bMarginRule)
{
    BOOL b = _bZoomGroupEnabled(pObj, bMarginRule) && bSheetEditable(pObj);
    for (WORD id = 115; id <= 118; ++id)
        if (HWND h = GetDlgItem(hwnd, id))
            EnableWindow(h, b);
}

// ---- Refresh ----

void _Refresh(HWND hwnd, UISETTINGS* pObj)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, PAGE_SETUP);
    if (!r || !pMask)
        return;
    BindFeatureFields(pObj);
    DWORD m = *pMask;
    *pMask = 0;
    _PaintPicture(hwnd, 2362, V(pObj, P_PASSWORDCHECK) == 1 ? r->hSecretOn : r->hSecretOff);
    if (m & 0x1) {
        const UIITEMRANGE* rg = _Range(pObj, P_COPIES);
        SHORT s = V(pObj, P_COPIES);
        if (rg && rg->sMax >= rg->sMin) {
            if (s < rg->sMin)
                s = rg->sMin;
            if (s > rg->sMax)
                s = rg->sMax;
            SetV(pObj, P_COPIES, s);
        }
        SetDlgItemInt(hwnd, 103, (UINT)(int)s, FALSE);
    }
    if (m & 0x2) {
        SHORT o = V(pObj, P_ORIENTATION);
        CheckDlgButton(hwnd, 106, o == 1 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd, 107, o == 2 ? BST_CHECKED : BST_UNCHECKED);
        _PaintPicture(hwnd, 108, o == 2 ? r->hOrientLandscape : r->hOrientPortrait);
    }
    if (m & 0x4)
        _Refill(hwnd, r, pObj, 111);
    if (m & 0x8) {
        _Refill(hwnd, r, pObj, 114);
        if (const UIITEMRANGE* rg = _Range(pObj, P_ZOOM))
            SendDlgItemMessageW(hwnd, 117, UDM_SETRANGE, 0, MAKELONG(rg->sMax, rg->sMin));
    }
    if (m & 0x10) {
        const UIITEMRANGE* rg = _Range(pObj, P_ZOOM);
        SHORT s = V(pObj, P_ZOOM);
        if (rg && rg->sMax >= rg->sMin) {
            if (s < rg->sMin)
                s = rg->sMin;
            if (s > rg->sMax)
                s = rg->sMax;
            SetV(pObj, P_ZOOM, s);
        }
        // Writing the edit is no typing of the user's.
        BOOL bWas = r->bZoomMsgSuppressed;
        r->bZoomMsgSuppressed = TRUE;
        SetDlgItemInt(hwnd, 116, (UINT)(int)s, FALSE);
        r->bZoomMsgSuppressed = bWas;
    }
    if (m & 0x20)
        _Refill(hwnd, r, pObj, 120);
    if (m & 0x1000)
        _Refill(hwnd, r, pObj, 139);
    if (m & 0x1000000)
        _Refill(hwnd, r, pObj, 141);
    if (m & 0x2000) {
        _Check(hwnd, 142, V(pObj, P_SORTCHECK));
        _PaintPicture(hwnd, 146, V(pObj, P_SORTCHECK) == 1 ? r->hSortOn : r->hSortOff);
    }
    if (m & 0x4000) {
        _Check(hwnd, 143, V(pObj, P_COLLATECHECK));
        _PaintPicture(hwnd, 147, _GroupPicture(r, pObj));
    }
    if (m & 0x2000000) {
        _Check(hwnd, 157, V(pObj, P_PAPERLESSCHECK));
        _PaintPicture(hwnd, 158, V(pObj, P_PAPERLESSCHECK) == 1 ? r->hBlankOn : r->hBlankOff);
    }
    if (m & 0x80000000u)
        _Refill(hwnd, r, pObj, 172);
    if (m & 0x8000) {
        _Check(hwnd, 144, V(pObj, P_PASSWORDCHECK));
        _PaintPicture(hwnd, 2362, V(pObj, P_PASSWORDCHECK) == 1 ? r->hSecretOn : r->hSecretOff);
        if (GetDlgItem(hwnd, 167))
            InvalidatePreviewItem(hwnd, 167, pObj);
    }
    if (m & 0x100000)
        _Refill(hwnd, r, pObj, 122);
    if (m & 0x400000) {
        _Check(hwnd, 134, V(pObj, P_BOOKLETCHECK));
        _DeriveLayout(pObj);
        _Refill(hwnd, r, pObj, 135);
        SetV(pObj, P_BOOKLET, V(pObj, P_BOOKLET2));
    }
    if (m & 0x8000000) {
        _Check(hwnd, 159, V(pObj, P_ENGBOOKLETCHECK));
        _Refill(hwnd, r, pObj, 160);
    }
    if (m & 0x10000000) {
        _Check(hwnd, 161, V(pObj, P_CENTERFINISHCHECK));
        _Refill(hwnd, r, pObj, 162);
    }
    if (m & 0x400) {
        _Check(hwnd, 130, V(pObj, P_STAPLECHECK));
        _Refill(hwnd, r, pObj, 131);
    }
    if (m & 0x800) {
        _Check(hwnd, 132, V(pObj, P_DUPLEXCHECK));
        _Refill(hwnd, r, pObj, 133);
    }
    if (m & 0x800000) {
        _Check(hwnd, 136, V(pObj, P_PUNCHCHECK));
        _Refill(hwnd, r, pObj, 137);
    }
    if (m & 0x4000000) {
        _Check(hwnd, 155, V(pObj, P_BINDMARGINCHECK));
        _Refill(hwnd, r, pObj, 156);
    }
    if (m & 0x200000) {
        _Check(hwnd, 124, V(pObj, P_NUPCHECK));
        _DeriveLayout(pObj);
        if (m & 0x100)
            _Refill(hwnd, r, pObj, 125);
        if (m & 0x20000)
            _Refill(hwnd, r, pObj, 127);
        if (m & 0x10000) {
            _Refill(hwnd, r, pObj, 129);
            SetV(pObj, P_BORDER, V(pObj, P_BORDER2));
        }
    }
    if (m & 0x40) {
        _Check(hwnd, 123, V(pObj, P_LAYOUTCHECK2));
        _DeriveLayout(pObj);
    }
    if (m & 0x40000000) {
        WORD wView = GetPreviewView(pObj);
        CheckDlgButton(hwnd, 163, wView == PREVIEWVIEW_PAPER ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd, 164, wView == PREVIEWVIEW_MACHINE ? BST_CHECKED : BST_UNCHECKED);
    }
}

// ---- Mark dirty ----

struct DIRTYROW {
    WORD wFirst, wLast;
    DWORD dwBits;
};
const DIRTYROW kDirty[] = {
    {103, 103, 0x1},        {106, 107, 0x2},        {111, 111, 0x4},         {114, 114, 0x8},
    {116, 116, 0x10},       {120, 120, 0x20},       {122, 122, 0x100000},    {123, 123, 0x40},
    {124, 124, 0x200100},   {125, 125, 0x200100},   {127, 127, 0x220000},    {129, 129, 0x210400},
    {130, 131, 0x400},      {132, 133, 0x800},      {134, 135, 0x400000},    {136, 137, 0x800000},
    {139, 139, 0x1000},     {141, 141, 0x1000000},  {142, 142, 0x2000},      {143, 143, 0x4000},
    {144, 144, 0x8000},     {155, 156, 0x4000000},  {157, 157, 0x2000000},   {159, 160, 0x8000000},
    {161, 162, 0x10000000}, {163, 164, 0x40000000}, {172, 172, 0x80000000u},
};

DWORD _MapDirty(HWND hwnd, WORD wControl)
{
    DWORD dwBits = 0;
    for (const DIRTYROW& d : kDirty)
        if (wControl >= d.wFirst && wControl <= d.wLast)
            dwBits = d.dwBits;
    // The N-up check and the border first refresh their group alone (the
    // N-up check and the derived layout), then with their list.
    if (dwBits && (wControl == 124 || wControl == 129)) {
        SETUPPAGERECORD* r = _Rec(hwnd);
        DWORD* pMask = _Mask(hwnd);
        if (r && pMask && GetActivePageId(r->pSettings) == PAGE_SETUP) {
            *pMask |= wControl == 124 ? 0x200000 : 0x210000;
            _Refresh(hwnd, r->pSettings);
        }
    }
    return dwBits;
}

// ---- Copies and zoom ----

BOOL _ClampRange(UISETTINGS* pObj, WORD wParam, int iFlag, SHORT* psNew)
{
    const UIITEMRANGE* rg = _Range(pObj, wParam);
    if (!rg)
        return FALSE;
    SHORT s = V(pObj, wParam);
    BOOL bFixed = FALSE;
    if (s == 0 && iFlag) {
        s = 1;
        bFixed = TRUE;
    } else if (rg->sMax > 0 && s > rg->sMax) {
        s = rg->sMax;
        bFixed = TRUE;
    } else if (s < 0) {
        s = rg->sMin > 0 ? rg->sMin : 1;
        bFixed = TRUE;
    }
    SetV(pObj, wParam, s);
    *psNew = s;
    return bFixed;
}

void _ShowCorrected(HWND hwnd, WORD wEdit, SHORT s)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    if (!r || !GetDlgItem(hwnd, wEdit))
        return;
    BOOL bWas = r->bZoomMsgSuppressed;
    r->bZoomMsgSuppressed = TRUE;
    SetDlgItemInt(hwnd, wEdit, (UINT)(int)s, FALSE);
    r->bZoomMsgSuppressed = bWas;
    SetFocus(GetDlgItem(hwnd, wEdit));
    SendDlgItemMessageW(hwnd, wEdit, EM_SETSEL, 0, 8);
}

// ---- Key filters of the number edits ----

LRESULT _NumberEditProc(HWND hEdit, UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL bZoom)
{
    HWND hPage = GetParent(hEdit);
    SETUPPAGERECORD* r = _Rec(hPage);
    WNDPROC pfnPrev = r ? (WNDPROC)(bZoom ? r->pfnZoomEdit : r->pfnCopiesEdit) : nullptr;
    if (!pfnPrev)
        return DefWindowProcW(hEdit, uMsg, wParam, lParam);
    if (uMsg == WM_CHAR) {
        WCHAR sz[9] = {};
        GetWindowTextW(hEdit, sz, 9);
        DWORD dwSel = (DWORD)SendMessageW(hEdit, EM_GETSEL, 0, 0);
        if (bSetupEditRefusesChar(sz, dwSel, (WCHAR)wParam)) {
            MessageBeep(10);
            return 0;
        }
    }
    if (bZoom && uMsg == WM_KILLFOCUS) {
        HWND hTo = (HWND)wParam;
        // Cancel (the sheet's or the page's), Help and restore defaults
        // may take the focus whatever the edit holds.
        int idTo = hTo ? GetDlgCtrlID(hTo) : 0;
        if (idTo != IDCANCEL && idTo != 5 && idTo != 151) {
            r->bZoomRangeFailed = CheckZoomRange(hPage, r);
            if (r->bZoomRangeFailed)
                return 0;
        }
    }
    return CallWindowProcW(pfnPrev, hEdit, uMsg, wParam, lParam);
}

LRESULT CALLBACK CopiesEditProc(HWND hEdit, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return _NumberEditProc(hEdit, uMsg, wParam, lParam, FALSE);
}

LRESULT CALLBACK ZoomEditProc(HWND hEdit, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return _NumberEditProc(hEdit, uMsg, wParam, lParam, TRUE);
}

// ---- Password and box number ----

BOOL _bPasswordStored(UISETTINGS* pObj)
{
    WCHAR szUser[USERAUTH_FIELD_UNITS + 1] = {}, szPassword[USERAUTH_FIELD_UNITS + 1] = {};
    LoadUserAuthInput(pObj, szUser, szPassword);
    return szPassword[0] != 0;
}

BOOL CheckPasswordPresent(HWND hwnd, UISETTINGS* pObj)
{
    if (_bPasswordStored(pObj))
        return TRUE;
    MessageBeep(MB_ICONEXCLAMATION);
    _ShowMessage(hwnd, kStrConfidential, kStrEnterPassword);
    if (HWND h = GetDlgItem(hwnd, 172))
        SetFocus(h);
    return FALSE;
}

BOOL CheckBoxNumberPresent(HWND hwnd, UISETTINGS* pObj, SHORT sMethod)
{
    WCHAR szBox[32] = {};
    LoadBoxNumber(pObj, szBox);
    if (szBox[0])
        return TRUE;
    MessageBeep(MB_ICONEXCLAMATION);
    _ShowMessage(hwnd, sMethod == 3 ? kStrBoxSave : kStrBoxSavePrint, kStrEnterBox);
    if (HWND h = GetDlgItem(hwnd, 172))
        SetFocus(h);
    return FALSE;
}

// ---- Commands ----

void _Resolve(HWND hwnd, UISETTINGS* pObj, WORD wId)
{
    ResolveConstraintsOnChange(hwnd, pObj, wId);
    NotifySheetChanged(hwnd);
}

void _FullRefresh(HWND hwnd, UISETTINGS* pObj)
{
    if (DWORD* pMask = PageRefreshMask(pObj, PAGE_SETUP))
        *pMask = SETUPREFRESH_FULL;
    PageRefresh(hwnd);
    EvaluateControlDependencies(hwnd, pObj);
    EnableDependentControls(hwnd, pObj);
}

INT_PTR _RunDialog(HWND hwnd, UISETTINGS* pObj, WORD wTemplate, DLGPROC pfn)
{
    SetActivePageId(pObj, wTemplate);
    HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    INT_PTR ret = DialogBoxParamW(hInst, MAKEINTRESOURCEW(wTemplate), hwnd, pfn, (LPARAM)pObj);
    BindFeatureFields(pObj);
    SetActivePageId(pObj, PAGE_SETUP);
    return ret;
}

void _SetUserIdLocked(UISETTINGS* pObj, DWORD dw)
{
    if (DWORD* p = DlgStateWords(pObj))
        p[DLGWORD_USERID_FIXED] = dw;
}

// The custom size chosen from the document size (111) or output size (114).
void _OnSizeList(HWND hwnd, UISETTINGS* pObj, WORD wId)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    FVLHEADER* pList = GetFeatureListHeader(wId);
    if (!r || !pList)
        return;
    SHORT sOld = GetFeatureValue(wId);
    if (!ReadComboSelection(hwnd, wId, pList, pObj))
        return;
    SHORT v = GetFeatureValue(wId);
    if (v == (SHORT)kCustomSize) {
        // The dialog works on a copy; only OK brings its values back.
        SetFeatureValue(wId, sOld);
        WORD wSlotParam = wId == 111 ? P_UDPAPERTYPE : P_UDMEDIATYPE;
        if (bIsCustomPaper(sOld))
            SetV(pObj, wSlotParam, (SHORT)CustomPaperToSlot(sOld));
        UISETTINGS* pClone = CloneParamObject(pObj);
        if (!pClone) {
            SendDlgItemMessageW(hwnd, wId, CB_SETCURSEL, GetEnabledItemPosition(pList, sOld), 0);
            return;
        }
        r->pSheetSettings = pObj;
        r->pSettings = pClone;
        SetActivePageId(pClone, kUserPaperDialog);
        BindFeatureFields(pClone);
        HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
        // The dialog edits the document size's or the output size's paper.
        DlgStateWords(pClone)[DLGWORD_UDPAPER_TARGET] = wId == 111 ? 1 : 0;
        INT_PTR ret = DialogBoxParamW(hInst, MAKEINTRESOURCEW(kUserPaperDialog), hwnd, UserPaperDlgProc, (LPARAM)pClone);
        if (ret == IDOK)
            CopyParamObject(pObj, pClone);
        r->pSettings = pObj;
        r->pSheetSettings = nullptr;
        FreeParamObjectClone(&pClone);
        BindFeatureFields(pObj);
        SetActivePageId(pObj, PAGE_SETUP);
        if (ret != IDOK) {
            SendDlgItemMessageW(hwnd, wId, CB_SETCURSEL, GetEnabledItemPosition(GetFeatureListHeader(wId), sOld), 0);
            return;
        }
        SHORT sSlot = V(pObj, wSlotParam);
        v = sSlot == 10 ? 256 : (SHORT)(kCustomSize + sSlot);
        RememberCustomSizeValue(wId, v);
    }
    // The margins of the size that now stands, before the zoom is worked
    // out from them.
    if (bIsCustomPaper(v))
        SetCustomSizeMargins(pObj, wId, v);
    // The resolver reads the choice from the combo again.
    SetFeatureValue(wId, sOld);
    _Resolve(hwnd, pObj, wId);
    ShowUserPaperRangeWarning(hwnd, pObj);
}

// The booklet (135, 160) and punch (137) items that open their dialog:
// Cancel puts the list's value of before back, OK refreshes the page.
void _OnDialogItem(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wTemplate, DLGPROC pfn, WORD wParamSaved,
                   SHORT sChosen)
{
    SHORT sSaved = V(pObj, wParamSaved);
    // The dialog details the item chosen.
    SetV(pObj, wParamSaved, sChosen);
    SetActivePageId(pObj, wTemplate);
    HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    INT_PTR ret = DialogBoxParamW(hInst, MAKEINTRESOURCEW(wTemplate), hwnd, pfn, (LPARAM)pObj);
    BindFeatureFields(pObj);
    SetActivePageId(pObj, PAGE_SETUP);
    if (ret != IDOK) {
        SetV(pObj, wParamSaved, sSaved);
        if (FVLHEADER* pList = GetFeatureListHeader(wId))
            SendDlgItemMessageW(hwnd, wId, CB_SETCURSEL, GetEnabledItemPosition(pList, sSaved), 0);
    } else {
        _FullRefresh(hwnd, pObj);
        if (wId != 137)
            _EnableZoomGroup(hwnd, pObj, TRUE);
        NotifySheetChanged(hwnd);
    }
    RefreshPreviewPane(hwnd, pObj);
}

// The value a list's combo shows now (the chosen item), without making it
// the current value.
BOOL _ChosenValue(HWND hwnd, WORD wId, SHORT* psValue)
{
    FVLHEADER* pList = GetFeatureListHeader(wId);
    HWND hCtl = GetDlgItem(hwnd, wId);
    if (!pList || !hCtl)
        return FALSE;
    LRESULT k = SendMessageW(hCtl, CB_GETCURSEL, 0, 0);
    if (k == CB_ERR)
        return FALSE;
    if (GetWindowLongW(hCtl, GWL_STYLE) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
        *psValue = (SHORT)SendMessageW(hCtl, CB_GETITEMDATA, (WPARAM)k, 0);
        return TRUE;
    }
    WORD i = FindComboSelectionInList(hCtl, pList);
    if (i == POSITION_NONE)
        return FALSE;
    *psValue = GetValueListItem(pList, i)->sValue;
    return TRUE;
}

void _OnPasswordCheck(HWND hwnd, UISETTINGS* pObj)
{
    _Resolve(hwnd, pObj, 144);
    if (V(pObj, P_PASSWORDCHECK) == 1) {
        _SetUserIdLocked(pObj, 1);
        _RunDialog(hwnd, pObj, IDD_CONFIDENTIAL_PRINT, UserAuthDlgProc);
        if (!_bPasswordStored(pObj)) {
            _ShowMessage(hwnd, kStrConfidential, kStrNoPassword);
            SetV(pObj, P_PASSWORDCHECK, 0);
            SetupPageMarkDirty(hwnd, 144);
        }
    }
    NotifySheetChanged(hwnd);
}

void _OnUserSettings(HWND hwnd, UISETTINGS* pObj)
{
    _SetUserIdLocked(pObj, 0);
    if (_RunDialog(hwnd, pObj, IDD_USER_SETTINGS, UserAuthDlgProc) == IDOK) {
        if (V(pObj, P_OUTPUTMETHOD) == 2 && !CheckPasswordPresent(hwnd, pObj)) {
            SetV(pObj, P_OUTPUTMETHOD, 1);
            _FullRefresh(hwnd, pObj);
        }
        if (!_bPasswordStored(pObj) && V(pObj, P_PASSWORDCHECK) == 1) {
            _ShowMessage(hwnd, kStrConfidential, kStrNoPassword);
            SetV(pObj, P_PASSWORDCHECK, 0);
            SetupPageMarkDirty(hwnd, 144);
        }
        if (!_bPasswordStored(pObj) && V(pObj, P_JOBCOMBCHECK) == 1) {
            _ShowMessage(hwnd, kStrHddSave, kStrHddNoPassword);
            SetV(pObj, P_JOBCOMBCHECK, 0);
        }
    }
    NotifySheetChanged(hwnd);
}

// The output method list: the chosen item's value says which dialog opens.
void _OnOutputMethod(HWND hwnd, UISETTINGS* pObj)
{
    SHORT sOld = V(pObj, P_OUTPUTMETHOD), v = 1;
    if (!_ChosenValue(hwnd, 172, &v))
        return;
    SetV(pObj, P_OUTPUTMETHOD, v);
    INT_PTR ret = IDOK;
    switch (v) {
    case 2:
        _SetUserIdLocked(pObj, 1);
        ret = _RunDialog(hwnd, pObj, IDD_CONFIDENTIAL_PRINT, UserAuthDlgProc);
        break;
    case 3:
    case 4:
        _SetUserIdLocked(pObj, 1);
        ret = _RunDialog(hwnd, pObj, 2001, BoxSaveDlgProc);
        break;
    case 5:
        ret = _RunDialog(hwnd, pObj, 2770, TimerPrintDlgProc);
        break;
    }
    if (ret != IDOK) {
        SetV(pObj, P_OUTPUTMETHOD, sOld);
    } else if ((v == 2 && !CheckPasswordPresent(hwnd, pObj)) ||
               ((v == 3 || v == 4) && !CheckBoxNumberPresent(hwnd, pObj, v))) {
        SetV(pObj, P_OUTPUTMETHOD, 1);
    }
    _FullRefresh(hwnd, pObj);
    NotifySheetChanged(hwnd);
}

BOOL _Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    if (!r)
        return FALSE;
    BindFeatureFields(pObj);
    BOOL bList = wCode == CBN_SELCHANGE;
    switch (wId) {
    case 103:
    case 116: {
        if (wCode != EN_CHANGE)
            return TRUE;
        if (wId == 116 && r->bZoomMsgSuppressed)
            return TRUE;
        BOOL bOk = FALSE;
        UINT n = GetDlgItemInt(hwnd, wId, &bOk, FALSE);
        if (!bOk)
            return TRUE;
        WORD wParam = wId == 103 ? P_COPIES : P_ZOOM;
        if ((SHORT)n != V(pObj, wParam) && n <= 32767) {
            SetV(pObj, wParam, (SHORT)n);
            NotifySheetChanged(hwnd);
            if (wId == 103)
                ClampCopies(hwnd, pObj, 1);
            else
                ClampZoom(hwnd, 1);
            RefreshPreviewPane(hwnd, pObj);
        } else if (wId == 103) {
            ClampCopies(hwnd, pObj, 1);
        } else {
            ClampZoom(hwnd, 1);
        }
        return TRUE;
    }
    case 106:
    case 107:
        if (IsDlgButtonChecked(hwnd, wId) == BST_CHECKED && V(pObj, P_ORIENTATION) != (wId == 106 ? 1 : 2))
            _Resolve(hwnd, pObj, wId);
        return TRUE;
    case 111:
    case 114:
        if (bList)
            _OnSizeList(hwnd, pObj, wId);
        return TRUE;
    case 120:
        if (bList) {
            _Resolve(hwnd, pObj, wId);
            ShowUserPaperRangeWarning(hwnd, pObj);
        }
        return TRUE;
    case 122: {
        SHORT v = 0;
        if (!bList)
            return TRUE;
        if (_ChosenValue(hwnd, 122, &v) && v == 127) {
            SUBDLGOPEN o = {};
            o.wTemplate = 2020;
            o.pfnDlgProc = OhpInterleaveDlgProc;
            o.wPageControl = 122;
            o.wDependency = 2024;
            o.bSelectFirst = TRUE;
            o.bCollectChanges = TRUE;
            // The dialog works on the interleave choice itself; Cancel
            // puts back the paper type and tray of before.
            SHORT sType = V(pObj, P_MEDIATYPE), sTray = V(pObj, P_OIPAPERTRAY);
            SetFeatureValue(122, 127);
            if (PageOpenSubDialog(hwnd, &o) != IDOK) {
                SetV(pObj, P_MEDIATYPE, sType);
                SetV(pObj, P_OIPAPERTRAY, sTray);
                SendDlgItemMessageW(hwnd, 122, CB_SETCURSEL,
                                    GetEnabledItemPosition(GetFeatureListHeader(122), sType), 0);
                RefreshPreviewPane(hwnd, pObj);
            }
            return TRUE;
        }
        _Resolve(hwnd, pObj, wId);
        return TRUE;
    }
    case 123: case 124: case 130: case 132: case 134: case 136:
    case 142: case 143: case 155: case 157: case 159: case 161:
        if (wCode == BN_CLICKED)
            _Resolve(hwnd, pObj, wId);
        return TRUE;
    case 125: case 127: case 129: case 131: case 133: case 139: case 141: case 162:
        if (bList)
            _Resolve(hwnd, pObj, wId);
        return TRUE;
    case 135:
    case 160: {
        SHORT v = 0;
        if (!bList)
            return TRUE;
        if (_ChosenValue(hwnd, wId, &v) && v == 3)
            _OnDialogItem(hwnd, pObj, wId, IDD_BOOKLET, BookletDlgProc, wId == 135 ? P_BOOKLET2 : P_ENGBOOKLET, v);
        else
            _Resolve(hwnd, pObj, wId);
        return TRUE;
    }
    case 137: {
        SHORT v = 0;
        if (!bList)
            return TRUE;
        if (_ChosenValue(hwnd, wId, &v) && v == 4)
            _OnDialogItem(hwnd, pObj, wId, IDD_PUNCH, PunchDlgProc, P_PUNCH, v);
        else
            _Resolve(hwnd, pObj, wId);
        return TRUE;
    }
    case 156: {
        SHORT v = 0;
        if (!bList)
            return TRUE;
        if (_ChosenValue(hwnd, wId, &v) && v == 10) {
            SHORT sOld = V(pObj, P_BINDMARGIN);
            SetV(pObj, P_BINDMARGIN, v);
            SetActivePageId(pObj, 2300);
            HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
            INT_PTR ret = DialogBoxParamW(hInst, MAKEINTRESOURCEW(2300), hwnd, BindingMarginDlgProc, (LPARAM)pObj);
            BindFeatureFields(pObj);
            SetActivePageId(pObj, PAGE_SETUP);
            if (ret == IDOK) {
                _Refill(hwnd, r, pObj, 156);
                CollectPageChanges(pObj, 2300);
                _Resolve(hwnd, pObj, 156);
            } else {
                SetV(pObj, P_BINDMARGIN, sOld);
                SendDlgItemMessageW(hwnd, 156, CB_SETCURSEL,
                                    GetEnabledItemPosition(GetFeatureListHeader(156), sOld), 0);
                RefreshPreviewPane(hwnd, pObj);
            }
        } else {
            _Resolve(hwnd, pObj, wId);
        }
        return TRUE;
    }
    case 144:
        if (wCode == BN_CLICKED)
            _OnPasswordCheck(hwnd, pObj);
        return TRUE;
    case 145:
        if (wCode == BN_CLICKED)
            _OnUserSettings(hwnd, pObj);
        return TRUE;
    case 151:
        if (wCode == BN_CLICKED) {
            SetFocus(hwnd);
            _Resolve(hwnd, pObj, 151);
            if (HWND h = GetDlgItem(hwnd, 151))
                SetFocus(h);
        }
        return TRUE;
    case 163:
    case 164: {
        WORD wView = wId == 163 ? PREVIEWVIEW_PAPER : PREVIEWVIEW_MACHINE;
        if (wCode == BN_CLICKED && GetPreviewView(pObj) != wView) {
            SetPreviewView(pObj, wView);
            SetFeatureValue(163, (SHORT)wView);
            RefreshPreviewPane(hwnd, pObj);
            SetupPageMarkDirty(hwnd, wId);
            NotifySheetChanged(hwnd);
        }
        return TRUE;
    }
    case 170:
        if (wCode == BN_CLICKED)
            ShowSaveRecallMenu(hwnd, pObj, 170);
        return TRUE;
    case 172:
        if (bList)
            _OnOutputMethod(hwnd, pObj);
        return TRUE;
    }
    return PageLibraryCommand(hwnd, pObj, wId, nullptr);
}

// ---- Init, activation, apply ----

void _Init(HWND hwnd, UISETTINGS* pObj)
{
    SETUPPAGERECORD* r = (SETUPPAGERECORD*)PageGetRecord(hwnd);
    if (!r)
        return;
    r->hInstance = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
    BindFeatureFields(pObj);
    int cUnits = 0;
    for (WORD w : kLists)
        cUnits += GetFeatureItemCount(w) > 0 ? GetFeatureItemCount(w) : 0;
    if (cUnits) {
        HGLOBAL h = GlobalAlloc(GHND, cUnits * sizeof(WORD));
        r->pIndexBlock = h ? (WORD*)GlobalLock(h) : nullptr;
        if (!r->pIndexBlock && h)
            GlobalFree(h);
    }
    WORD* p = r->pIndexBlock;
    for (int i = 0; p && i < SETUP_LIST_COUNT; ++i) {
        int c = GetFeatureItemCount(kLists[i]);
        if (c > 0) {
            r->apIndex[i] = p;
            p += c;
        }
    }
    if (const UIITEMRANGE* rg = _Range(pObj, P_COPIES)) {
        SendDlgItemMessageW(hwnd, 104, UDM_SETBUDDY, (WPARAM)GetDlgItem(hwnd, 103), 0);
        SendDlgItemMessageW(hwnd, 104, UDM_SETRANGE, 0, MAKELONG(rg->sMax, rg->sMin));
    }
    SendDlgItemMessageW(hwnd, 103, EM_LIMITTEXT, 4, 0);
    if (const UIITEMRANGE* rg = _Range(pObj, P_ZOOM)) {
        SendDlgItemMessageW(hwnd, 117, UDM_SETBUDDY, (WPARAM)GetDlgItem(hwnd, 116), 0);
        SendDlgItemMessageW(hwnd, 117, UDM_SETRANGE, 0, MAKELONG(rg->sMax, rg->sMin));
    }
    SendDlgItemMessageW(hwnd, 116, EM_LIMITTEXT, 3, 0);
    _CreatePictures(hwnd, r);
    static const WORD kChecks[] = {123, 142, 143, 157, 144, 134, 159, 130, 132, 124, 155};
    static const WORD kCheckParams[] = {P_LAYOUTCHECK2, P_SORTCHECK, P_COLLATECHECK, P_PAPERLESSCHECK,
                                        P_PASSWORDCHECK, P_BOOKLETCHECK, P_ENGBOOKLETCHECK, P_STAPLECHECK,
                                        P_DUPLEXCHECK, P_NUPCHECK, P_BINDMARGINCHECK};
    for (int i = 0; i < 11; ++i)
        _Check(hwnd, kChecks[i], V(pObj, kCheckParams[i]));
    r->sBindMarginAtInit = V(pObj, P_BINDMARGIN);
    // The first fill writes the zoom edit: no warning for that.
    r->bZoomMsgSuppressed = TRUE;
}

BOOL _KillActive(HWND hwnd, UISETTINGS* pObj)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    if (!r)
        return FALSE;
    ClampCopies(hwnd, pObj, 1);
    ClampZoom(hwnd, 1);
    r->bZoomMsgSuppressed = FALSE;
    r->bZoomRangeFailed = CheckZoomRange(hwnd, r);
    return r->bZoomRangeFailed;
}

void _Apply(HWND hwnd, UISETTINGS* pObj)
{
    static const WORD kOwned[] = {
        P_COPIES, P_ZOOM, P_ZOOMCHECK, P_LAYOUTCHECK, P_LAYOUTCHECK2, P_NUPCHECK, P_BOOKLETCHECK,
        P_ENGBOOKLETCHECK, P_STAPLECHECK, P_DUPLEXCHECK, P_PUNCHCHECK, P_BINDMARGINCHECK, P_PAPERLESSCHECK,
        P_CENTERFINISHCHECK, P_SORTCHECK, P_COLLATECHECK, P_PASSWORDCHECK, P_UNDISPLAYPASSWORD, P_FMARGIN,
        P_BMARGIN, P_148, P_149, P_UDPAPERWIDTH, P_UDPAPERLENGTH, P_UDMEDIAWIDTH, P_UDMEDIALENGTH,
        P_ORIENTATION, P_MEDIASIZE, P_MEDIASOURCE, P_LAYOUTSELECT, P_LAYOUT, P_ORDER, P_BOOKLET, P_BORDER,
        P_STAPLE, P_DUPLEX, P_OUTPUTTRAY, P_MEDIATYPE, P_OUTPUTORDER, P_OUTPUTMETHOD, P_BORDER2, P_BOOKLET2,
        P_PUNCH, P_PUNCHHOLES, P_BINDMARGIN, P_ENGBOOKLET, P_BOOKLETMODE, P_CENTERFINISH, P_OHPINTLV,
        P_OIPAPERTRAY, P_UDPAPERTYPE, P_UDPAPERUNIT, P_UDMEDIATYPE, P_UDMEDIAUNIT, P_WIDEPAPERPOS,
    };
    SETUPPAGERECORD* r = _Rec(hwnd);
    if (r)
        r->bZoomMsgSuppressed = TRUE;
    for (WORD w : kOwned)
        if (FindParamRow(pObj, w) >= 0)
            SetParamCommitted(pObj, w, V(pObj, w));
    if (CONSTRAINTSTATE* cs = GetConstraintState(pObj))
        cs->viewRecord.sCurValue = cs->viewRecord.sInitial;
    // The output size is kept only while the zoom follows it.
    SHORT sZoomCheck = V(pObj, P_ZOOMCHECK), sOut = V(pObj, P_OUTPUTPAPER);
    if (BYTE* p = GetParamSlot(pObj, P_232))
        *p = (BYTE)sZoomCheck;
    if (BYTE* p = GetParamSlot(pObj, P_XROUTPUTPAPER))
        memcpy(p, &sOut, 2);
    SHORT sSaved = (sZoomCheck != 0 && sOut != (SHORT)kSameAsDocument) ? sOut : V(pObj, P_MEDIASIZE);
    if (GetParamCommitted(pObj, P_MEDIASIZE) & 0x1000)
        sSaved |= 0x1000;
    SetParamCommitted(pObj, P_OUTPUTPAPER, sSaved);
}

BOOL _DrawItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    switch (pdis->CtlID) {
    case 0:
        return pdis->CtlType == ODT_MENU ? DrawSaveRecallMenuItem(pdis) : FALSE;
    case 125:
    case 127:
    case 129:
    case 172:
        DrawSetupComboItem(hwnd, pdis);
        return TRUE;
    case 166:
        PaintPreviewPane(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    case 167:
        PaintSettingIconPanel(pdis->hDC, &pdis->rcItem, pObj);
        return TRUE;
    }
    return FALSE;
}

void _Destroy(HWND hwnd, UISETTINGS*)
{
    SETUPPAGERECORD* r = (SETUPPAGERECORD*)PageGetRecord(hwnd);
    if (!r)
        return;
    if (r->pfnCopiesEdit)
        SetWindowLongPtrW(GetDlgItem(hwnd, 103), GWLP_WNDPROC, r->pfnCopiesEdit);
    if (r->pfnZoomEdit)
        SetWindowLongPtrW(GetDlgItem(hwnd, 116), GWLP_WNDPROC, r->pfnZoomEdit);
    r->pfnCopiesEdit = r->pfnZoomEdit = 0;
    _DestroyPictures(r);
    if (r->pIndexBlock) {
        HGLOBAL h = GlobalHandle(r->pIndexBlock);
        GlobalUnlock(h);
        GlobalFree(h);
        r->pIndexBlock = nullptr;
    }
}

const PAGEDESC kSetupPage = {
    PAGE_SETUP, HELPCTX_SETUP, 154, offsetof(SETUPPAGERECORD, pSettings), sizeof(SETUPPAGERECORD), SETUPREFRESH_INIT, SETUPREFRESH_ACTIVE,
    TRUE, TRUE, _Init, _MapDirty, _Refresh, _Apply, _Command, _KillActive, _DrawItem, _Destroy,
};

}  // namespace

// ---------------------------------------------------------------------------

BOOL bSetupEditRefusesChar(LPCWSTR pszText, DWORD dwSel, WCHAR ch)
{
    int n = pszText ? lstrlenW(pszText) : 0;
    WORD wStart = LOWORD(dwSel), wEnd = HIWORD(dwSel);
    if ((ch >= 32 && ch <= 47) || ch > 57)
        return TRUE;
    if (n > 3 && wStart == wEnd && ch >= 32)
        return TRUE;
    if (ch == u'0') {
        // No number starts with 0: neither typed first nor behind a 0.
        if (wStart == 0)
            return TRUE;
        if (wStart == 1 && n > 0 && pszText[0] == u'0')
            return TRUE;
    }
    return FALSE;
}

BOOL bPageOrderItemOffered(int iItem, SHORT sLayout, SHORT sOrientation)
{
    BOOL bTwo = sLayout == 1 || sLayout == 8;
    if (iItem >= 4 && iItem <= 7)
        return !bTwo;
    if (iItem >= 0 && iItem <= 3) {
        if (bTwo)
            return sOrientation == 2 ? iItem >= 2 : iItem <= 1;
        if (sLayout == 5 || sLayout == 6 || sLayout == 7 || sLayout == 10)
            return FALSE;
    }
    return TRUE;
}

void GetSetupItemBitmaps(WORD wControl, SHORT v, SHORT sOrientation, SHORT sLayout, WORD* pwImage, WORD* pwMask)
{
    BOOL P = sOrientation == 1;
    WORD wImage = 0, wMask = 0;
    if (wControl == 125) {
        switch (v) {
        case 8: wImage = P ? 10000 : 10001; wMask = P ? 10011 : 10010; break;
        case 10: wImage = P ? 10002 : 10003; wMask = P ? 10010 : 10011; break;
        case 5: wImage = P ? 10004 : 10005; wMask = P ? 10011 : 10010; break;
        case 6: wImage = P ? 10006 : 10007; wMask = P ? 10010 : 10011; break;
        case 7: wImage = P ? 10008 : 10009; wMask = P ? 10010 : 10011; break;
        default: wMask = P ? 10011 : 10010; break;
        }
    } else if (wControl == 127) {
        BOOL S = (P && sLayout != 5) || (!P && sLayout == 5);
        if (v == 1 || v == 2) {
            wImage = (WORD)((P ? 10020 : 10022) + (v - 1));
            wMask = P ? 10033 : 10032;
        } else if (v >= 3 && v <= 6) {
            wImage = (WORD)((S ? 10024 : 10028) + (v - 3));
            wMask = S ? 10032 : 10033;
        }
    } else if (wControl == 172 && v >= 1 && v <= 5) {
        wImage = (WORD)(10240 + v - 1);
        wMask = (WORD)(10245 + v - 1);
    }
    *pwImage = wImage;
    *pwMask = wMask;
}

void DrawSetupComboItem(HWND hwnd, const DRAWITEMSTRUCT* pdis)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    if (!r || !pdis || !r->pSettings)
        return;
    UISETTINGS* pObj = r->pSettings;
    HDC hdc = pdis->hDC;
    RECT rc = pdis->rcItem;
    BOOL bDisabled = (pdis->itemState & ODS_DISABLED) != 0;
    BOOL bFocus = (pdis->itemState & ODS_FOCUS) != 0;
    FillRect(hdc, &rc, GetSysColorBrush(bDisabled ? COLOR_BTNFACE : bFocus ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (bFocus && !bDisabled)
        DrawFocusRect(hdc, &rc);
    if (pdis->itemID == (UINT)-1)
        return;
    WORD wControl = (WORD)pdis->CtlID;
    SHORT v = (SHORT)pdis->itemData;
    if (wControl != 129) {
        WORD wImage = 0, wMask = 0;
        GetSetupItemBitmaps(wControl, v, V(pObj, P_ORIENTATION), V(pObj, P_LAYOUT), &wImage, &wMask);
        auto pick = [&](WORD wId) -> HBITMAP {
            if (wId >= 10000 && wId <= 10011)
                return r->ahNup[wId - 10000];
            if (wId >= 10020 && wId <= 10033)
                return r->ahOrder[wId - 10020];
            if (wId >= 10240 && wId <= 10249)
                return r->ahMethod[wId - 10240];
            return nullptr;
        };
        int x = rc.left + 3 + (wControl == 172 ? 1 : 0);
        HDC hMem = CreateCompatibleDC(hdc);
        for (int pass = 0; hMem && pass < 2; ++pass) {
            HBITMAP hbm = pick(pass == 0 ? wMask : wImage);
            if (!hbm)
                continue;
            BITMAP bm = {};
            GetObjectW(hbm, sizeof(bm), &bm);
            int y = rc.top + ((rc.bottom - rc.top) - bm.bmHeight) / 2;
            HGDIOBJ hOld = SelectObject(hMem, hbm);
            BitBlt(hdc, x, y, bm.bmWidth, bm.bmHeight, hMem, 0, 0, pass == 0 ? SRCAND : SRCINVERT);
            SelectObject(hMem, hOld);
        }
        if (hMem)
            DeleteDC(hMem);
    }
    if (wControl == 127)
        return;
    WCHAR szText[64] = {};
    HWND hCtl = GetDlgItem(hwnd, wControl);
    if (hCtl && SendMessageW(hCtl, CB_GETLBTEXTLEN, pdis->itemID, 0) < 64)
        SendMessageW(hCtl, CB_GETLBTEXT, pdis->itemID, (LPARAM)szText);
    SetTextColor(hdc, GetSysColor(bDisabled ? COLOR_GRAYTEXT : bFocus ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    int iOldMode = SetBkMode(hdc, TRANSPARENT);
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    int x = rc.left + (wControl == 125 ? 28 : wControl == 129 ? 2 : 24);
    // The text starts behind a picture wider than its place.
    if (wControl == 125 || wControl == 172) {
        BITMAP bm = {};
        HBITMAP hbm = wControl == 125 ? r->ahNup[0] : r->ahMethod[0];
        if (hbm && GetObjectW(hbm, sizeof(bm), &bm) && rc.left + 3 + bm.bmWidth + 4 > x)
            x = rc.left + 3 + bm.bmWidth + 4;
    }
    int y = rc.top + ((rc.bottom - rc.top) - tm.tmHeight) / 2;
    ExtTextOutW(hdc, x, y, ETO_CLIPPED, &rc, szText, (UINT)lstrlenW(szText), nullptr);
    SetBkMode(hdc, iOldMode);
}

int SetupPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue)
{
    return PageMarkDirty(hwnd, wControl, sValue);
}

void SetupPageRefresh(HWND hwnd)
{
    if (_Rec(hwnd))
        PageRefresh(hwnd);
}

void ClampCopies(HWND hwnd, UISETTINGS* pObj, int iFlag)
{
    if (!pObj)
        return;
    SHORT s = 0;
    BOOL bFixed = _ClampRange(pObj, P_COPIES, iFlag, &s);
    // An output that takes one copy only.
    if (V(pObj, P_OUTPUT) == 1 && s != 1) {
        SetV(pObj, P_COPIES, 1);
        s = 1;
        bFixed = TRUE;
    }
    if (!bFixed || GetActivePageId(pObj) != PAGE_SETUP)
        return;
    HWND hPage = hwnd;
    if (!_Rec(hPage))
        FindPageLink(PAGE_SETUP, &hPage);
    if (_Rec(hPage))
        _ShowCorrected(hPage, 103, s);
}

void ClampZoom(HWND hwnd, int iFlag)
{
    SETUPPAGERECORD* r = _Rec(hwnd);
    if (!r || !r->pSettings)
        return;
    SHORT s = 0;
    if (_ClampRange(r->pSettings, P_ZOOM, iFlag, &s) && GetActivePageId(r->pSettings) == PAGE_SETUP)
        _ShowCorrected(hwnd, 116, s);
}

BOOL CheckZoomRange(HWND hwnd, SETUPPAGERECORD* pRec)
{
    if (!pRec || !pRec->pSettings)
        return FALSE;
    const UIITEMRANGE* rg = _Range(pRec->pSettings, P_ZOOM);
    // A page without the zoom edit has nothing typed to check.
    if (!rg || !GetDlgItem(hwnd, 116))
        return FALSE;
    BOOL bOk = FALSE;
    int z = (int)GetDlgItemInt(hwnd, 116, &bOk, TRUE);
    if (bOk && z >= rg->sMin && z <= rg->sMax)
        return FALSE;
    if (!pRec->bZoomMsgSuppressed) {
        pRec->bZoomMsgSuppressed = TRUE;
        WCHAR sz[256] = {};
        LPCWSTR pszName = GetResString(kStrZoomName);
        DlgFormat(sz, 256, GetResString(kStrZoomRange), pszName ? pszName : u"", (int)rg->sMin, (int)rg->sMax);
        MessageBoxW(hwnd, sz, pszName ? pszName : u"", MB_ICONWARNING);
        if (HWND h = GetDlgItem(hwnd, 116)) {
            SetFocus(h);
            SendMessageW(h, EM_SETSEL, 0, -1);
        }
        pRec->bZoomMsgSuppressed = FALSE;
    }
    return TRUE;
}

INT_PTR CALLBACK SetupPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    NoteSaveRecallMenuClosed(uMsg, lParam);
    switch (uMsg) {
    case WM_INITDIALOG: {
        INT_PTR ret = PageFrameDlgProc(&kSetupPage, hwnd, uMsg, wParam, lParam);
        SETUPPAGERECORD* r = _Rec(hwnd);
        if (!r || !r->pSettings)
            return ret;
        UISETTINGS* pObj = r->pSettings;
        r->bZoomMsgSuppressed = FALSE;
        if (HWND h = GetDlgItem(hwnd, 103))
            r->pfnCopiesEdit = SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)CopiesEditProc);
        if (HWND h = GetDlgItem(hwnd, 116))
            r->pfnZoomEdit = SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)ZoomEditProc);
        _EnableZoomGroup(hwnd, pObj, FALSE);
        if (!bSheetEditable(pObj))
            EnumChildWindows(
                hwnd, [](HWND h, LPARAM) -> BOOL { return EnableWindow(h, FALSE), TRUE; }, 0);
        RefreshPreviewPane(hwnd, pObj);
        return ret;
    }
    case WM_NOTIFY: {
        const NMHDR* pnm = (const NMHDR*)lParam;
        SETUPPAGERECORD* r = _Rec(hwnd);
        if (!pnm || !r || !r->pSettings)
            break;
        UISETTINGS* pObj = r->pSettings;
        if (pnm->code == PSN_SETACTIVE) {
            SetActivePageId(pObj, PAGE_SETUP);
            BindFeatureFields(pObj);
            BOOL bKeep = FALSE;
            if (bSheetEditable(pObj)) {
                ClampCopies(hwnd, pObj, 1);
                ClampZoom(hwnd, 1);
                DWORD* pMask = PageRefreshMask(pObj, PAGE_SETUP);
                bKeep = pMask && (*pMask & 0x80000);
            }
            INT_PTR ret = PageFrameDlgProc(&kSetupPage, hwnd, uMsg, wParam, lParam);
            if (bSheetEditable(pObj)) {
                if (bKeep)
                    if (DWORD* pMask = PageRefreshMask(pObj, PAGE_SETUP))
                        *pMask |= 0x80000;
                _EnableZoomGroup(hwnd, pObj, TRUE);
                RefreshPreviewPane(hwnd, pObj);
            }
            return ret;
        }
        if (pnm->code == PSN_RESET)
            r->bZoomMsgSuppressed = TRUE;
        break;
    }
    case WM_PAINT: {
        SETUPPAGERECORD* r = _Rec(hwnd);
        if (!r || !r->pSettings)
            break;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc)
            _PaintAllPictures(hwnd, hdc, r, r->pSettings);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* pmis = (MEASUREITEMSTRUCT*)lParam;
        if (pmis && pmis->CtlType == ODT_MENU)
            return MeasureSaveRecallMenuItem(hwnd, pmis);
        break;
    }
    case WM_VSCROLL: {
        SETUPPAGERECORD* r = _Rec(hwnd);
        if (r && r->pSettings && (HWND)lParam == GetDlgItem(hwnd, 117))
            RefreshPreviewPane(hwnd, r->pSettings);
        break;
    }
    }
    return PageFrameDlgProc(&kSetupPage, hwnd, uMsg, wParam, lParam);
}
