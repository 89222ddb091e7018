// fonthelp.cpp: TrueType face helpers (see fonthelp.h).
#include "ui/settings/fonthelp.h"

#include <cstring>

#include "ui/settings/paramalloc.h"

namespace {

struct CHARSETQUERY {
    LPCWSTR pszFace;
    BYTE jCharSet;
    BOOL bFound;
};

int _CharsetProc(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam)
{
    (void)ptm;
    CHARSETQUERY* q = (CHARSETQUERY*)lParam;
    if ((dwType & FONTTYPE_TRUETYPE) && lstrcmpW(plf->lfFaceName, q->pszFace) == 0) {
        q->jCharSet = plf->lfCharSet;
        q->bFound = TRUE;
        return 0;
    }
    return 1;
}

}  // namespace

BYTE GetFaceCharset(HDC hdc, LPCWSTR pszFace)
{
    if (!pszFace)
        return DEFAULT_CHARSET;
    CHARSETQUERY q = {pszFace, DEFAULT_CHARSET, FALSE};
    EnumFontFamiliesW(hdc, nullptr, _CharsetProc, (LPARAM)&q);
    return q.bFound ? q.jCharSet : (BYTE)DEFAULT_CHARSET;
}

BOOL BuildSampleFont(HDC hdc, int iVertical, LPCWSTR pszFace, int iPoints, int iStyle, int iKind,
                     int iPlacement, LOGFONTW* plf)
{
    (void)iPlacement;
    if (!plf)
        return FALSE;
    memset(plf, 0, sizeof(*plf));
    if (!pszFace)
        pszFace = u"";
    BYTE jCharSet = GetFaceCharset(hdc, pszFace);
    if (jCharSet == SHIFTJIS_CHARSET) {
        // The "@" twin of a Japanese face lays full-width characters upright
        // in a turned line: only vertical text wants it.
        LPCWSTR pszBare = pszFace[0] == u'@' ? pszFace + 1 : pszFace;
        if (iKind == SAMPLE_KIND_VERTICAL) {
            plf->lfFaceName[0] = u'@';
            lstrcpynW(plf->lfFaceName + 1, pszBare, LF_FACESIZE - 1);
        } else {
            lstrcpynW(plf->lfFaceName, pszBare, LF_FACESIZE);
        }
    } else {
        lstrcpynW(plf->lfFaceName, pszFace, LF_FACESIZE);
    }
    plf->lfCharSet = jCharSet;
    LONG lAngle = (iVertical == 1 ? 900 : 0) +
                  (iKind == SAMPLE_KIND_TURNED || iKind == SAMPLE_KIND_VERTICAL ? 1800 : 0);
    plf->lfEscapement = plf->lfOrientation = lAngle;
    int iDpi = GetDeviceCaps(hdc, LOGPIXELSY);
    // C++ division truncates toward zero, as the height wants.
    plf->lfHeight = (LONG)((-(long long)iPoints * iDpi - 36) / 72);
    plf->lfWidth = 0;
    plf->lfWeight = (iStyle == 2 || iStyle == 4) ? FW_BOLD : 0;
    plf->lfItalic = (iStyle == 3 || iStyle == 4) ? 1 : 0;
    return TRUE;
}

UINT GetSampleTextAlign(int iVertical, int iKind, int iPlacement)
{
    (void)iVertical;
    if (iPlacement == 1)
        return iKind == SAMPLE_KIND_UPRIGHT ? TA_RIGHT : TA_LEFT;
    if (iPlacement == 3)
        return iKind == SAMPLE_KIND_UPRIGHT ? TA_LEFT : TA_RIGHT;
    return TA_CENTER;
}

BOOL DrawFontSample(HDC hdc, int iVertical, LPCWSTR pszFace, int iPoints, int iStyle, int iKind,
                    int iPlacement, LPCWSTR pszText)
{
    if (!hdc || !pszText)
        return FALSE;
    LOGFONTW lf;
    BuildSampleFont(hdc, iVertical, pszFace, iPoints, iStyle, iKind, iPlacement, &lf);
    HFONT hFont = CreateFontIndirectW(&lf);
    if (!hFont)
        return FALSE;
    int iOldMap = SetMapMode(hdc, MM_TEXT);
    HGDIOBJ hOldBrush = SelectObject(hdc, GetStockObject(BLACK_BRUSH));
    int iOldBk = SetBkMode(hdc, TRANSPARENT);
    COLORREF crOldText = SetTextColor(hdc, 0);
    UINT uOldAlign = SetTextAlign(hdc, GetSampleTextAlign(iVertical, iKind, iPlacement));
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    BOOL bOk = hOldFont != nullptr;
    if (bOk) {
        int cch = lstrlenW(pszText);
        SIZE size = {0, 0};
        GetTextExtentPoint32W(hdc, pszText, cch, &size);
        int x = 1000, y = 1000;
        if (iKind == SAMPLE_KIND_UPRIGHT) {
            if (iVertical == 1)
                x -= size.cy / 4;
            else
                y -= size.cy / 4;
        }
        TextOutW(hdc, x, y, pszText, cch);
        SelectObject(hdc, hOldFont);
    }
    SetTextAlign(hdc, uOldAlign);
    SetTextColor(hdc, crOldText);
    SetBkMode(hdc, iOldBk);
    if (hOldBrush)
        SelectObject(hdc, hOldBrush);
    if (iOldMap)
        SetMapMode(hdc, iOldMap);
    DeleteObject(hFont);
    return bOk;
}

int EnumFontListProc(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam)
{
    FONTLISTARG* pArg = (FONTLISTARG*)lParam;
    if (!pArg || !plf)
        return 1;
    BOOL bTrueType = (dwType & FONTTYPE_TRUETYPE) != 0;
    switch (pArg->iMode) {
    case 0:
        if (bTrueType && plf->lfFaceName[0] != u'@' && SendDlgItemMessageW)
            SendDlgItemMessageW(pArg->hDlg, pArg->iListId, LB_ADDSTRING, 0, (LPARAM)plf->lfFaceName);
        return 1;
    case 1:
        pArg->jCharSet = plf->lfCharSet;
        pArg->jPitchAndFamily = ptm ? ptm->tmPitchAndFamily : plf->lfPitchAndFamily;
        return 1;
    case 2: {
        if (!bTrueType || !pArg->pNode)
            return 1;
        FONTNAMENODE* pNode = pArg->pNode;
        if (!pArg->bFirstNode) {
            FONTNAMENODE* pNew = (FONTNAMENODE*)ParamAllocBlock(sizeof(FONTNAMENODE));
            // Without memory the list ends here, whole.
            if (!pNew)
                return 0;
            pNode->pNext = pNew;
            pNode = pArg->pNode = pNew;
        }
        pArg->bFirstNode = FALSE;
        lstrcpynW(pNode->szFace, plf->lfFaceName, 32);
        pArg->cFaces++;
        return 1;
    }
    default:
        return 1;
    }
}

void FreeFontNameNodes(FONTNAMENODE* pFirst)
{
    if (!pFirst)
        return;
    FONTNAMENODE* p = pFirst->pNext;
    pFirst->pNext = nullptr;
    while (p) {
        FONTNAMENODE* pNext = p->pNext;
        ParamFree(&p);
        p = pNext;
    }
}
