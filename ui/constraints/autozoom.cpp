// autozoom.cpp: the zoom that follows the paper choices, the simple-finishing
// flags and the centred margins of custom paper sizes (see resolver.h).
#include <cstring>

#include "ui/constraints/resolver.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/papertable.h"

namespace {
// Settings parameters read and written here.
enum : WORD {
    P_ORIENTATION = 2, P_PAPER = 3, P_OUTPUTPAPER = 4, P_ZOOMCHECK = 5, P_ZOOM = 6, P_MEDIASOURCE = 7,
    P_LAYOUTCHECK = 8, P_LAYOUTSELECT = 9, P_LAYOUT = 11, P_BOOKLET = 12, P_BORDER = 13, P_SOURCEUNIT = 40,
    P_NUPCHECK = 56, P_BOOKLETCHECK = 57, P_ENGBOOKLETCHECK = 58, P_DUPLEXCHECK = 60, P_LAYOUTCHECK2 = 61,
    P_BINDMARGINCHECK = 63, P_PODCHECK = 70, P_PODNUPCHECK = 71, P_PODBINDMARGINCHECK = 73,
    P_PODDUPLEXCHECK = 74, P_PODBOOKLETCHECK = 75, P_GRAPHICSMODE = 33, P_MARGINMODE = 99,
    P_BORDER2 = 103, P_BOOKLET2 = 104, P_BINDMARGIN = 108, P_FMARGIN = 146, P_BMARGIN = 147,
};

SHORT V(UISETTINGS* p, WORD w)
{
    return GetParamEdited(p, w);
}

BOOL bCustom(SHORT s)
{
    return bIsCustomPaper(s);
}

void _CustomRecord(UISETTINGS* pObj, WORD wList, LONG* pw, LONG* pl)
{
    const LONG* r = GetConstraintState(pObj)->alCustomSize[wList == 111 ? 0 : 1];
    *pw = r[0] - r[2] - r[4];
    *pl = r[1] - r[3] - r[5];
}

void _DocSize(UISETTINGS* pObj, LONG* pw, LONG* pl)
{
    SHORT s = V(pObj, P_PAPER);
    if (bCustom(s))
        _CustomRecord(pObj, 111, pw, pl);
    else
        GetPrintableSize(s, pw, pl);
}

void _OutSize(UISETTINGS* pObj, LONG* pw, LONG* pl)
{
    SHORT s = V(pObj, P_OUTPUTPAPER);
    if (bCustom(s))
        _CustomRecord(pObj, 114, pw, pl);
    else
        GetPrintableSize((SHORT)(s | (V(pObj, P_PAPER) & 0x1000)), pw, pl);
}

void _Tolerance(LONG w1, LONG l1, LONG* pw2, LONG* pl2)
{
    if (*pw2 - w1 >= -4 && *pw2 - w1 <= 4)
        *pw2 = w1;
    if (*pl2 - l1 >= -4 && *pl2 - l1 <= 4)
        *pl2 = l1;
}

void _SetZoom(UISETTINGS* pObj, LONG z)
{
    SetParamEdited(pObj, P_ZOOM, (SHORT)z);
}

SHORT _ZoomMax(UISETTINGS* pObj)
{
    const UIITEMRANGE* r = (const UIITEMRANGE*)GetParamSlot(pObj, P_ZOOM);
    return r && r->sMax > 0 ? r->sMax : 400;
}

void _ShowZoom(HWND hwnd, UISETTINGS* pObj)
{
    if (GetActivePageId(pObj) == PAGE_SETUP)
        UpdateFeatureControl(hwnd, 116, V(pObj, P_ZOOM));
}

BOOL _FitCondition(UISETTINGS* pObj)
{
    return ((V(pObj, P_BINDMARGINCHECK) == 1 && V(pObj, P_LAYOUTCHECK2) == 1) ||
            (V(pObj, P_PODBINDMARGINCHECK) == 1 && V(pObj, P_PODCHECK) == 1)) &&
           V(pObj, P_MARGINMODE) == 2;
}

void _Recompute(UISETTINGS* pObj)
{
    if (V(pObj, P_OUTPUTPAPER) != 257) {
        SetParamEdited(pObj, P_ZOOMCHECK, 1);
        CalcRatioZoom(pObj);
    } else {
        SetParamEdited(pObj, P_ZOOMCHECK, 0);
        _SetZoom(pObj, 100);
    }
}
}  // namespace

void GetPrintableSize(SHORT sCode, LONG* plWidth, LONG* plLength)
{
    *plWidth = *plLength = 0;
    POPTIONDB pdb = OpenOptionDb();
    if (!pdb)
        return;
    int n = (int)QueryOptionDb(pdb, OPT_PAPER, OPTQ_COUNT, nullptr, 0, 0);
    int iIndex = 0;
    for (int i = 0; i < n; ++i)
        if ((SHORT)QueryOptionDb(pdb, OPT_PAPER, OPTQ_VALUE, nullptr, i, 0) == sCode) {
            iIndex = i;
            break;
        }
    // The rectangle query answers the row's index, which is 0 for the first
    // paper: the row count alone says whether there is a row to measure.
    if (n > 0) {
        RECTL rc = {0, 0, 0, 0};
        QueryOptionDb(pdb, OPT_PAPER, OPTQ_RECT, &rc, iIndex, sizeof(rc));
        *plWidth = rc.right - rc.left;
        *plLength = rc.bottom - rc.top;
    }
    CloseOptionDb(pdb);
}

void CalcRatioZoom(UISETTINGS* pObj)
{
    LONG w1, l1, w2, l2;
    _DocSize(pObj, &w1, &l1);
    _OutSize(pObj, &w2, &l2);
    if (w1 <= 0 || l1 <= 0) {
        _SetZoom(pObj, 100);
        return;
    }
    _Tolerance(w1, l1, &w2, &l2);
    LONG a = w2 * 100 / w1, b = l2 * 100 / l1;
    _SetZoom(pObj, a < b ? a : b);
}

void CalcFitZoom(UISETTINGS* pObj, LONG* plMargin, LONG* plZoom, LONG* plDocW, LONG* plDocL, LONG* plOutW,
                 LONG* plOutL)
{
    BOOL bTwoSided = (V(pObj, P_LAYOUTCHECK2) == 1 &&
                      (V(pObj, P_DUPLEXCHECK) == 1 || V(pObj, P_BOOKLETCHECK) == 1 || V(pObj, P_ENGBOOKLETCHECK) == 1)) ||
                     (V(pObj, P_PODCHECK) == 1 && (V(pObj, P_PODDUPLEXCHECK) == 1 || V(pObj, P_PODBOOKLETCHECK) == 1));
    int h = V(pObj, P_ORIENTATION);
    BOOL bNup = (V(pObj, P_LAYOUTCHECK2) == 1 && V(pObj, P_NUPCHECK) == 1) ||
                (V(pObj, P_PODCHECK) == 1 && V(pObj, P_PODNUPCHECK) == 1);
    SHORT L = V(pObj, P_LAYOUT);
    if (bNup && (L == 5 || L == 8))
        h = h == 1 ? 2 : 1;
    LONG f = V(pObj, P_FMARGIN), b = V(pObj, P_BMARGIN);
    LONG m = (bTwoSided && f < b ? b : f) * 100;
    LONG w1, l1, w2, l2;
    _DocSize(pObj, &w1, &l1);
    if (V(pObj, P_OUTPUTPAPER) == 257) {
        w2 = w1;
        l2 = l1;
    } else {
        _OutSize(pObj, &w2, &l2);
    }
    if (h == 2) {
        LONG t = w1;
        w1 = l1;
        l1 = t;
        t = w2;
        w2 = l2;
        l2 = t;
    }
    SHORT pos = V(pObj, P_BINDMARGIN);
    if (pos == 1 || pos == 2)
        w2 -= m;
    else if (pos == 3 || pos == 4)
        l2 -= m;
    LONG z = 100;
    if (w1 > 0 && l1 > 0) {
        _Tolerance(w1, l1, &w2, &l2);
        LONG a = w2 * 100 / w1, c = l2 * 100 / l1;
        z = a < c ? a : c;
        if (z > _ZoomMax(pObj))
            z = _ZoomMax(pObj);
    }
    if (plMargin)
        *plMargin = m / 100;
    if (plZoom)
        *plZoom = z;
    if (plDocW)
        *plDocW = w1;
    if (plDocL)
        *plDocL = l1;
    if (plOutW)
        *plOutW = w2;
    if (plOutL)
        *plOutL = l2;
}

void ApplyFitZoom(UISETTINGS* pObj)
{
    LONG z = 100;
    CalcFitZoom(pObj, nullptr, &z, nullptr, nullptr, nullptr, nullptr);
    _SetZoom(pObj, z);
}

void UpdateZoomForPaper(HWND hwnd, UISETTINGS* pObj, WORD id)
{
    if (_FitCondition(pObj)) {
        SetParamEdited(pObj, P_ZOOMCHECK, 1);
        ApplyFitZoom(pObj);
        _ShowZoom(hwnd, pObj);
        return;
    }
    BOOL bNupOn = V(pObj, P_NUPCHECK) == 1 || V(pObj, P_BOOKLETCHECK) == 1 || V(pObj, P_PODNUPCHECK) == 1;
    BOOL bBindOn = V(pObj, P_BINDMARGINCHECK) == 1 || V(pObj, P_PODBINDMARGINCHECK) == 1;
    SHORT sMode = V(pObj, P_MARGINMODE);
    BOOL bRun = id == 111 || id == 114;
    if ((id == 123 || id == 124 || id == 134 || id == 301 || id == 302) && bNupOn)
        bRun = TRUE;
    if ((id == 123 || id == 301) && !(V(pObj, P_LAYOUTCHECK2) == 1 && V(pObj, P_PODCHECK) == 1) && bBindOn &&
        sMode == 2)
        bRun = TRUE;
    if ((id == 155 || id == 342) && (V(pObj, P_BINDMARGINCHECK) == 0 || V(pObj, P_PODBINDMARGINCHECK) == 0) &&
        sMode == 2)
        bRun = TRUE;
    if (id == 2301 && sMode == 1)
        bRun = TRUE;
    if (id == 612 && V(pObj, P_GRAPHICSMODE) == 1)
        bRun = TRUE;
    if (!bRun)
        return;
    _Recompute(pObj);
    _ShowZoom(hwnd, pObj);
}

void RecalcAutoZoom(UISETTINGS* pObj)
{
    if (_FitCondition(pObj)) {
        SetParamEdited(pObj, P_ZOOMCHECK, 1);
        ApplyFitZoom(pObj);
    } else {
        _Recompute(pObj);
    }
}

void SyncSimpleFinishingFlags(UISETTINGS* pObj)
{
    SHORT sCheck = 0, sSelect = 0;
    if (V(pObj, P_LAYOUTCHECK2) != 1) {
        if (V(pObj, P_PODCHECK) == 1 && V(pObj, P_PODNUPCHECK) == 1)
            sCheck = sSelect = 1;
    } else if (V(pObj, P_NUPCHECK) == 1) {
        sCheck = sSelect = 1;
    } else if (V(pObj, P_BOOKLETCHECK) == 1) {
        sCheck = 1;
        sSelect = 2;
    }
    SetParamEdited(pObj, P_LAYOUTCHECK, sCheck);
    SetParamEdited(pObj, P_LAYOUTSELECT, sSelect);
    SetParamEdited(pObj, P_BORDER, V(pObj, P_BORDER2));
    SetParamEdited(pObj, P_BOOKLET, V(pObj, P_BOOKLET2));
}

void SetCustomSizeMargins(UISETTINGS* pObj, WORD wList, SHORT sCode)
{
    if (!pObj || (wList != 111 && wList != 114) || !bCustom(sCode))
        return;
    LONG W = 0, L = 0;
    GetPaperSizeExact(sCode, &W, &L);
    LONG* r = GetConstraintState(pObj)->alCustomSize[wList == 111 ? 0 : 1];
    r[0] = W;
    r[1] = L;
    r[2] = r[3] = r[4] = r[5] = 0;
    TRAYLIMIT t;
    GetTrayLimits(&t, V(pObj, P_MEDIASOURCE), V(pObj, P_SOURCEUNIT));
    LONG maxW = t.lPrintWidth * 100, maxL = t.lPrintLength * 100;
    if (maxW > 0 && W > maxW) {
        LONG ex = W - maxW;
        r[2] = (ex + 1) / 2;
        r[4] = ex - r[2];
    }
    if (maxL > 0 && L > maxL) {
        LONG ex = L - maxL;
        r[3] = (ex + 1) / 2;
        r[5] = ex - r[3];
    }
    RECTL rc = {0, 0, 0, 0};
    GetTrayLimitRect(&rc, V(pObj, P_MEDIASOURCE), V(pObj, P_SOURCEUNIT));
    if (r[2] < rc.left)
        r[2] = rc.left;
    if (r[3] < rc.top)
        r[3] = rc.top;
    if (r[4] < rc.right)
        r[4] = rc.right;
    if (r[5] < rc.bottom)
        r[5] = rc.bottom;
}
