// faxcover_render.cpp: the fax cover sheet page (see faxcover_render.h).
#include "ui/driverui/faxcover_render.h"

#include <algorithm>
#include <cstring>

#include "ui/settings/strcache.h"

namespace {

// Fixed lengths in 1/10000 inch.
const LONG k2mm = 787, k04mm = 157, k5mm = 1969, k15mm = 5906, k20mm = 7874;
const COLORREF kGrey = RGB(100, 100, 100);
const COLORREF kBlack = RGB(0, 0, 0);

enum { FONT_HEADING, FONT_RECIPIENT, FONT_BODY, FONT_SENDER };
enum { STR_TITLE, STR_RECV_HEAD, STR_PAGE_FMT, STR_SUBJ_HEAD, STR_SEND_HEAD, STR_TEL_FMT, STR_FAX_FMT, STR_MAIL_FMT };
const UINT kDateFormatId = 31663;

struct COVERFONT {
    const char16_t* pszFace;
    LONG lWeight;
    BYTE bCharSet;
    BYTE bPitchFamily;
};
struct COVERSTYLE {
    COVERFONT aFont[4];
    UINT auString[8];
};

const COVERFONT kPGothicBold = {u"ＭＳ Ｐゴシック", 700, SHIFTJIS_CHARSET, FF_SWISS | VARIABLE_PITCH};
const COVERFONT kPMinchoBold = {u"ＭＳ Ｐ明朝", 700, SHIFTJIS_CHARSET, FF_ROMAN | VARIABLE_PITCH};
const COVERFONT kArialBold = {u"Arial", 700, ANSI_CHARSET, FF_ROMAN | DEFAULT_PITCH};
const COVERFONT kMincho = {u"ＭＳ 明朝", 400, SHIFTJIS_CHARSET, FF_ROMAN | FIXED_PITCH};
const COVERFONT kGothic = {u"ＭＳ ゴシック", 400, SHIFTJIS_CHARSET, FF_MODERN | FIXED_PITCH};
const COVERFONT kPMincho = {u"ＭＳ Ｐ明朝", 400, SHIFTJIS_CHARSET, FF_ROMAN | VARIABLE_PITCH};
const COVERFONT kPGothic = {u"ＭＳ Ｐゴシック", 400, SHIFTJIS_CHARSET, FF_SWISS | VARIABLE_PITCH};

const COVERSTYLE kStyles[5] = {
    {{kPGothicBold, kMincho, kPMincho, kMincho}, {31650, 31651, 31652, 31653, 31654, 31655, 31656, 31657}},
    {{kPGothicBold, kMincho, kPMincho, kMincho}, {31658, 31651, 31652, 31659, 31654, 31655, 31656, 31657}},
    {{kPMinchoBold, kGothic, kPMincho, kGothic}, {31660, 31651, 31661, 31653, 31662, 31655, 31656, 31657}},
    {{kArialBold, kGothic, kPGothic, kGothic}, {31665, 31666, 31667, 31668, 31669, 31670, 31671, 31672}},
    {{kArialBold, kGothic, kPGothic, kGothic}, {31673, 31666, 31667, 31668, 31669, 31670, 31671, 31672}},
};

// Point sizes of the blocks.
const LONG kPtDate = 12, kPtTitle = 48, kPtRecipient = 18, kPtSender = 18, kPtPage = 16, kPtSubject = 18,
           kPtComment = 16;

// --- the drawing, replaceable for tests -----------------------------------

BOOL GdiText(HDC hdc, const LOGFONTW* plf, int x, int y, LPCWSTR psz, const RECT* prcClip, UINT uAlign, SIZE* pExt)
{
    HFONT hFont = CreateFontIndirectW(plf);
    if (!hFont) return FALSE;
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    COLORREF crBk = SetBkColor(hdc, RGB(255, 255, 255));
    COLORREF crText = SetTextColor(hdc, kBlack);
    UINT uOldAlign = SetTextAlign(hdc, uAlign);
    int c = lstrlenW(psz);
    ExtTextOutW(hdc, x, y, ETO_CLIPPED, prcClip, psz, (UINT)c, nullptr);
    if (pExt) GetTextExtentPointW(hdc, psz, c, pExt);
    SetTextAlign(hdc, uOldAlign);
    SetBkColor(hdc, crBk);
    SetTextColor(hdc, crText);
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
    return TRUE;
}

BOOL GdiMeasure(HDC hdc, const LOGFONTW* plf, LPCWSTR psz, SIZE* pExt)
{
    HFONT hFont = CreateFontIndirectW(plf);
    if (!hFont) return FALSE;
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    BOOL b = GetTextExtentPointW(hdc, psz, lstrlenW(psz), pExt);
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
    return b;
}

// A solid rectangle in the colour; the brush lives only for the call.
void GdiRule(HDC hdc, int iLeft, int iRight, int iTop, int iThickness, COLORREF color)
{
    HBRUSH hBrush = CreateSolidBrush(color);
    if (!hBrush) return;
    HGDIOBJ hOld = SelectObject(hdc, hBrush);
    PatBlt(hdc, iLeft, iTop, iRight - iLeft, iThickness ? iThickness : 1, PATCOPY);
    SelectObject(hdc, hOld);
    DeleteObject(hBrush);
}

const COVERDRAWPROCS kGdiProcs = {GdiText, GdiMeasure, GdiRule};
COVERDRAWPROCS g_procs = kGdiProcs;

// --- helpers ----------------------------------------------------------------

struct Block {
    COVERCTX* c;
    const COVERSTYLE& st;
    LONG s;
};

const COVERSTYLE& StyleOf(const COVERCTX* c)
{
    int i = c->iStyle;
    return kStyles[i >= 0 && i < 5 ? i : 0];
}

LOGFONTW MakeFont(const COVERSTYLE& st, int iFont, LONG lPoints, LONG s)
{
    LOGFONTW lf = {};
    const COVERFONT& f = st.aFont[iFont];
    lf.lfHeight = (SHORT)CoverFontHeight(lPoints, s);
    lf.lfWeight = f.lWeight;
    lf.lfCharSet = f.bCharSet;
    lf.lfPitchAndFamily = f.bPitchFamily;
    lstrcpynW(lf.lfFaceName, f.pszFace, LF_FACESIZE);
    return lf;
}

// The resource text, copied at once (a later fetch may move the cache).
void ResText(UINT uId, WCHAR* psz, int cch)
{
    LPCWSTR p = GetResString(uId);
    lstrcpynW(psz, p ? p : u"", cch);
}

// A format of at most 63 characters taking one %s; anything else falls back
// to "%s" so that no argument is read that was never passed.
void SafeFormat(UINT uId, WCHAR szFmt[64])
{
    ResText(uId, szFmt, 64);
    int nArgs = 0;
    for (const WCHAR* p = szFmt; *p; ++p) {
        if (*p != u'%') continue;
        if (p[1] == u'%') { ++p; continue; }
        if (p[1] == u's') { ++nArgs; ++p; continue; }
        nArgs = 99;
    }
    if (nArgs != 1) lstrcpynW(szFmt, u"%s", 64);
}

// Formats one %s line; FALSE when text and format exceed the line buffer.
BOOL FormatLine(const WCHAR* pszFmt, const WCHAR* pszText, WCHAR szOut[COVER_LINE_CCH])
{
    if (lstrlenW(pszFmt) + lstrlenW(pszText) > COVER_LINE_CCH - 1) return FALSE;
    wsprintfW(szOut, pszFmt, pszText);
    return TRUE;
}

void Text(Block& b, const LOGFONTW& lf, int x, int y, LPCWSTR psz, UINT uAlign, SIZE* pExt)
{
    SIZE ext = {0, 0};
    if (g_procs.pfnText(b.c->hdc, &lf, x, y, psz, &b.c->rcText, uAlign, &ext) && pExt) *pExt = ext;
}

SIZE Measure(Block& b, const LOGFONTW& lf, LPCWSTR psz)
{
    SIZE ext = {0, 0};
    if (!psz || !*psz || !g_procs.pfnMeasure(b.c->hdc, &lf, psz, &ext)) ext = {0, 0};
    return ext;
}

// The FAXCOVER text and format of a field kind; FALSE when its text is empty.
BOOL FieldLine(Block& b, int iKind, WCHAR szLine[COVER_LINE_CCH])
{
    const FAXCOVER* fc = b.c->pCover;
    if (!fc) return FALSE;
    WCHAR szFmt[64] = u"%s";
    WCHAR szNum[16];
    const WCHAR* pText = nullptr;
    switch (iKind) {
    case 0: pText = fc->szSubject; break;
    case 1: pText = fc->aszText[1]; lstrcpynW(szFmt, u"%s ", 64); break;
    case 2: pText = fc->aszText[2]; lstrcpynW(szFmt, u"%s ", 64); break;
    case 3: pText = fc->aszText[3]; lstrcpynW(szFmt, u"%s ", 64); break;
    case 4: pText = fc->aszText[4]; SafeFormat(b.st.auString[STR_FAX_FMT], szFmt); break;
    case 5: pText = fc->aszText[5]; break;
    case 6: pText = fc->aszText[6]; break;
    case 7: pText = fc->aszText[7]; break;
    case 8: pText = fc->aszText[8]; SafeFormat(b.st.auString[STR_TEL_FMT], szFmt); break;
    case 9: pText = fc->aszText[9]; SafeFormat(b.st.auString[STR_FAX_FMT], szFmt); break;
    case 10: pText = fc->aszText[10]; SafeFormat(b.st.auString[STR_MAIL_FMT], szFmt); break;
    case 11:
        wsprintfW(szNum, u"%d", (int)fc->dwPagenum);
        pText = szNum;
        SafeFormat(b.st.auString[STR_PAGE_FMT], szFmt);
        break;
    case 13: pText = fc->aszText[0]; lstrcpynW(szFmt, u"%s ", 64); break;
    default: return FALSE;
    }
    if (!pText || !*pText) return FALSE;
    return FormatLine(szFmt, pText, szLine);
}

void Field(Block& b, const LOGFONTW& lf, int x, int y, int iKind, SIZE* pExt, UINT uAlign)
{
    WCHAR szLine[COVER_LINE_CCH];
    if (FieldLine(b, iKind, szLine)) Text(b, lf, x, y, szLine, uAlign, pExt);
}

LONG Gap(const Block& b) { return CoverFixedDots(k5mm, b.s); }

// --- the blocks ---------------------------------------------------------------

LONG DrawDate(Block& b, LONG y)
{
    if (b.c->abFlags[CF_DATE] != 1) return 0;
    LOGFONTW lf = MakeFont(b.st, FONT_HEADING, kPtDate, b.s);
    WCHAR sz[16];
    FormatCoverDate(b.c, sz);
    SIZE ext = {0, 0};
    Text(b, lf, b.c->rcText.right, y, sz, TA_RIGHT, &ext);
    return ext.cy;
}

LONG DrawTitle(Block& b, LONG y)
{
    LOGFONTW lf = MakeFont(b.st, FONT_HEADING, kPtTitle, b.s);
    LONG r = CoverFixedDots(k2mm, b.s);
    WCHAR sz[COVER_LINE_CCH];
    ResText(b.st.auString[STR_TITLE], sz, COVER_LINE_CCH);
    g_procs.pfnRule(b.c->hdc, b.c->rcText.left, b.c->rcText.right, y, r, kGrey);
    SIZE ext = {0, 0};
    Text(b, lf, b.c->rcText.left, y + r, sz, TA_LEFT, &ext);
    g_procs.pfnRule(b.c->hdc, b.c->rcText.left, b.c->rcText.right, y + r + ext.cy, r, kGrey);
    return ext.cy + CoverDots(1000, b.s);
}

LONG DrawSubject(Block& b, LONG y)
{
    if (b.c->abFlags[CF_SUBJECT] != 1) return 0;
    LOGFONTW lfHead = MakeFont(b.st, FONT_HEADING, kPtSubject, b.s);
    WCHAR sz[64];
    ResText(b.st.auString[STR_SUBJ_HEAD], sz, 64);
    SIZE head = Measure(b, lfHead, sz), drawn = {0, 0};
    Text(b, lfHead, b.c->rcText.left, y, sz, TA_LEFT, &drawn);
    LONG lHead = std::max(head.cy, drawn.cy);
    LOGFONTW lf = MakeFont(b.st, FONT_BODY, kPtSubject, b.s);
    SIZE subj = {0, 0};
    Field(b, lf, b.c->rcText.left + head.cx, y, 0, &subj, TA_LEFT);
    LONG lLine = std::max(lHead, subj.cy);
    g_procs.pfnRule(b.c->hdc, b.c->rcText.left, b.c->rcText.right, y + lLine + CoverFixedDots(k2mm, b.s),
                    CoverFixedDots(k04mm, b.s), kBlack);
    return lLine + Gap(b);
}

LONG DrawFixedRecipient(Block& b, LONG y)
{
    LOGFONTW lfHead = MakeFont(b.st, FONT_HEADING, kPtRecipient, b.s);
    WCHAR sz[64];
    ResText(b.st.auString[STR_RECV_HEAD], sz, 64);
    SIZE head = {0, 0};
    Text(b, lfHead, b.c->rcText.left, y, sz, TA_LEFT, &head);
    LOGFONTW lf = MakeFont(b.st, FONT_RECIPIENT, kPtRecipient, b.s);
    SIZE text = {0, 0};
    Field(b, lf, b.c->rcText.left + head.cx, y, 13, &text, TA_LEFT);
    LONG lLine = std::max(head.cy, text.cy);
    g_procs.pfnRule(b.c->hdc, b.c->rcText.left + head.cx, b.c->rcText.right,
                    y + lLine + CoverFixedDots(k2mm, b.s), CoverFixedDots(k04mm, b.s), kBlack);
    return lLine + Gap(b);
}

LONG DrawRecipients(Block& b, LONG y)
{
    COVERCTX* c = b.c;
    const BYTE* f = c->abFlags;
    BOOL bShown = f[CF_RECV_COMPANY1] || f[CF_RECV_COMPANY2] || f[CF_RECV_FAXNUM] || f[CF_RECV_NAME];
    LONG x = c->rcText.left, lColumn = x, lTotal = 0, lHead = 0;
    SIZE line = {0, 0};
    if (bShown) {
        LOGFONTW lfHead = MakeFont(b.st, FONT_HEADING, kPtRecipient, b.s);
        WCHAR sz[64];
        ResText(b.st.auString[STR_RECV_HEAD], sz, 64);
        SIZE head = {0, 0};
        Text(b, lfHead, x, y, sz, TA_LEFT, &head);
        lColumn = x = x + head.cx;
        lHead = head.cy;
    }
    LOGFONTW lf = MakeFont(b.st, FONT_RECIPIENT, kPtRecipient, b.s);
    if (f[CF_RECV_PERSONAL] == 0 && c->cDests >= 10) lf.lfHeight = std::max<LONG>(1, lf.lfHeight * 10 / c->cDests);

    auto newLine = [&]() {
        x = lColumn;
        y += line.cy;
        lTotal += line.cy;
    };
    // One item on the current line, wrapping first when it does not fit.
    auto item = [&](LPCWSTR pszLine) {
        SIZE ext = Measure(b, lf, pszLine);
        if (c->rcText.right < x + ext.cx) newLine();
        if (ext.cy != 0) {
            SIZE drawn = {0, 0};
            Text(b, lf, x, y, pszLine, TA_LEFT, &drawn);
            line = drawn;
            x += ext.cx;
        }
    };
    BOOL bNameFirst = c->iStyle >= 3;
    const BYTE abOrder[2][3] = {{CF_RECV_COMPANY1, CF_RECV_COMPANY2, CF_RECV_NAME},
                                {CF_RECV_NAME, CF_RECV_COMPANY2, CF_RECV_COMPANY1}};
    if (f[CF_RECV_PERSONAL] != 0 && f[CF_RECV_PERSONAL] != 1) {
        for (BYTE flag : abOrder[bNameFirst]) {
            if (f[flag] != 1) continue;
            WCHAR szLine[COVER_LINE_CCH];
            int iKind = flag == CF_RECV_NAME ? 3 : flag == CF_RECV_COMPANY1 ? 1 : 2;
            if (FieldLine(b, iKind, szLine)) item(szLine);
        }
        if (f[CF_RECV_FAXNUM] == 1) {
            newLine();
            WCHAR szLine[COVER_LINE_CCH];
            if (FieldLine(b, 4, szLine)) item(szLine);
        }
        newLine();
    } else if (c->pDests && c->cDests) {
        for (int i = c->iFirst; i < c->iLast && i < c->cDests; ++i) {
            const FAXWDEST& d = c->pDests[i];
            line = {0, 0};
            for (BYTE flag : abOrder[bNameFirst]) {
                if (f[flag] != 1) continue;
                int iText = flag == CF_RECV_NAME ? 0 : flag == CF_RECV_COMPANY2 ? 3 : 2;
                WCHAR szText[FAXWDEST_TEXT_CCH + 1] = {};
                memcpy(szText, d.aszText[iText], sizeof(d.aszText[iText]));
                WCHAR szLine[COVER_LINE_CCH];
                if (szText[0] && FormatLine(u"%s ", szText, szLine)) item(szLine);
            }
            if (f[CF_RECV_FAXNUM] == 1) {
                newLine();
                WCHAR szText[FAXWDEST_TEXT_CCH + 1] = {};
                memcpy(szText, d.aszText[1], sizeof(d.aszText[1]));
                WCHAR szLine[COVER_LINE_CCH];
                if (szText[0] && FormatLine(bNameFirst ? u"Fax:%s" : u"FAX:%s", szText, szLine)) item(szLine);
            }
            newLine();
        }
    }
    if (!bShown) return 0;
    if (lTotal < lHead) {
        y += lHead - lTotal;
        lTotal = lHead;
    }
    y += CoverFixedDots(k2mm, b.s);
    g_procs.pfnRule(c->hdc, lColumn, c->rcText.right, y, CoverFixedDots(k04mm, b.s), kBlack);
    return lTotal + Gap(b);
}

LONG DrawSender(Block& b, LONG y)
{
    COVERCTX* c = b.c;
    const BYTE* f = c->abFlags;
    BOOL bShown = f[CF_SEND_NAME] == 1 || f[CF_SEND_COMPANY1] == 1 || f[CF_SEND_COMPANY2] == 1 ||
                  f[CF_SEND_TELNUM] == 1 || f[CF_SEND_FAXNUM] == 1 || f[CF_SEND_EMAIL] == 1;
    if (!bShown) return 0;
    LOGFONTW lfHead = MakeFont(b.st, FONT_HEADING, kPtSender, b.s);
    WCHAR sz[64];
    ResText(b.st.auString[STR_SEND_HEAD], sz, 64);
    SIZE head = {0, 0};
    Text(b, lfHead, c->rcText.left, y, sz, TA_LEFT, &head);
    LONG x = c->rcText.left + head.cx;
    UINT uAlign = TA_LEFT;
    if (c->iStyle == 2) {
        x = c->rcText.right;
        uAlign = TA_RIGHT;
    }
    LOGFONTW lf = MakeFont(b.st, FONT_SENDER, kPtSender, b.s);
    const int aKinds[2][6] = {{5, 6, 7, 8, 9, 10}, {7, 6, 5, 8, 9, 10}};
    const BYTE aFlagOf[11] = {0, 0, 0, 0, 0, CF_SEND_COMPANY1, CF_SEND_COMPANY2, CF_SEND_NAME,
                              CF_SEND_TELNUM, CF_SEND_FAXNUM, CF_SEND_EMAIL};
    LONG yStart = y, lTotal = 0;
    for (int iKind : aKinds[c->iStyle >= 3]) {
        if (f[aFlagOf[iKind]] != 1) continue;
        WCHAR szLine[COVER_LINE_CCH];
        if (!FieldLine(b, iKind, szLine)) continue;
        SIZE ext = {0, 0};
        Text(b, lf, x, y, szLine, uAlign, &ext);
        y += ext.cy;
        lTotal += ext.cy;
    }
    if (lTotal < head.cy) y = yStart + head.cy;
    g_procs.pfnRule(c->hdc, c->rcText.left, c->rcText.right, y + CoverFixedDots(k2mm, b.s),
                    CoverFixedDots(k04mm, b.s), kBlack);
    return std::max(lTotal, head.cy) + Gap(b);
}

LONG DrawPageCount(Block& b, LONG y)
{
    if (b.c->abFlags[CF_PAGENUM] != 1) return 0;
    LOGFONTW lf = MakeFont(b.st, FONT_HEADING, kPtPage, b.s);
    SIZE ext = {0, 0};
    Field(b, lf, b.c->rcText.right, y, 11, &ext, TA_RIGHT);
    g_procs.pfnRule(b.c->hdc, b.c->rcText.left, b.c->rcText.right, y + ext.cy + CoverFixedDots(k2mm, b.s),
                    CoverFixedDots(k04mm, b.s), kBlack);
    return ext.cy + Gap(b);
}

LONG DrawComment(Block& b, LONG y)
{
    if (!b.c->pCover) return 0;
    LOGFONTW lfHead = MakeFont(b.st, FONT_HEADING, kPtComment, b.s);
    SIZE indent = {0, 0};
    Text(b, lfHead, b.c->rcText.left, y, u"      ", TA_LEFT, &indent);
    LOGFONTW lf = MakeFont(b.st, FONT_BODY, kPtComment, b.s);
    WCHAR szWork[COVER_LINE_CCH] = {};
    memcpy(szWork, b.c->pCover->szComment, sizeof(szWork) - sizeof(WCHAR));
    LONG lTotal = 0;
    int iStart = 0;
    for (int i = 0;; ++i) {
        WCHAR ch = szWork[i];
        if (ch == u'\t') szWork[i] = ch = u' ';
        if (ch != u'\n' && ch != 0) continue;
        // The line ends before its line feed, and before the carriage
        // return of a CR LF pair.
        int iEnd = i;
        if (ch == u'\n' && iEnd > iStart && szWork[iEnd - 1] == u'\r') --iEnd;
        WCHAR szLine[COVER_LINE_CCH];
        int n = iEnd - iStart;
        if (n <= 0) {
            lstrcpynW(szLine, u" ", 2);
        } else {
            memcpy(szLine, szWork + iStart, n * sizeof(WCHAR));
            szLine[n] = 0;
        }
        SIZE ext = {0, 0};
        Text(b, lf, b.c->rcText.left + indent.cx, y, szLine, TA_LEFT, &ext);
        y += ext.cy;
        lTotal += ext.cy;
        if (ch == 0) break;
        iStart = i + 1;
    }
    return lTotal + Gap(b);
}

}  // namespace

LONG CoverDots(LONG v, LONG s) { return ((v * 1000 + 127) / 254 * s + 5000) / 10000; }
LONG CoverFixedDots(LONG k, LONG s) { return (s * k + 5000) / 10000; }
LONG CoverFontHeight(LONG p, LONG s) { return (SHORT)((p * 100 * s + 3600) / 7200); }

int FormatCoverDate(const COVERCTX* c, LPWSTR psz)
{
    if (!psz) return 0;
    int y, m, d;
    if (c->bSendDate == 1) {
        y = c->awSendDate[0], m = c->awSendDate[1], d = c->awSendDate[3];
    } else {
        SYSTEMTIME st;
        GetLocalTime(&st);
        y = st.wYear, m = st.wMonth, d = st.wDay;
    }
    WCHAR szOut[COVER_LINE_CCH];
    if (c->iStyle == 3) {
        wsprintfW(szOut, u"%02d/%02d/%02d", m, d, y);
    } else if (c->iStyle == 4) {
        wsprintfW(szOut, u"%02d/%02d/%02d", y, m, d);
    } else {
        WCHAR szFmt[64];
        ResText(kDateFormatId, szFmt, 64);
        // The resource format takes three numbers; any other is not used.
        int nArgs = 0;
        BOOL bOk = TRUE;
        for (const WCHAR* p = szFmt; *p; ++p) {
            if (*p != u'%') continue;
            if (p[1] == u'%') { ++p; continue; }
            const WCHAR* q = p + 1;
            while (*q >= u'0' && *q <= u'9') ++q;
            if (*q == u'd') ++nArgs;
            else bOk = FALSE;
            p = q;
        }
        if (!bOk || nArgs != 3) lstrcpynW(szFmt, u"%d/%d/%d", 64);
        wsprintfW(szOut, szFmt, y, m, d);
    }
    lstrcpynW(psz, szOut, 16);
    return lstrlenW(psz);
}

DWORD CoverFitPercent(LONG lWidth, LONG lLength, DWORD dwFrameW, DWORD dwFrameH)
{
    if (lWidth <= 0 || lLength <= 0 || dwFrameW == 0 || dwFrameH == 0)
        return 100;
    // 64-bit products: a damaged area never wraps into a large percentage.
    long long llW = (long long)lWidth * 100 / dwFrameW;
    long long llL = (long long)lLength * 100 / dwFrameH;
    long long llFit = llW < llL ? llW : llL;
    if (llFit >= 100)
        return 100;
    return llFit < 1 ? 1 : (DWORD)llFit;
}

DWORD CoverResolutionRatio(DWORD dwFrameW, DWORD dwResolution)
{
    DWORD b = (dwFrameW * 100 + 127) / 254;
    DWORD c = (b * 200 + 500) / 1000;
    DWORD d = (b * dwResolution + 500) / 1000;
    return c ? (d * 100 + c / 2) / c : 100;
}

static DWORD Le32(const BYTE* p) { return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24; }
static WORD Le16(const BYTE* p) { return (WORD)(p[0] | p[1] << 8); }

BOOL PlaceCoverImage(const COVERCTX* c, const BYTE* pFile, DWORD cb, COVERIMAGE* pOut)
{
    const DWORD kFileHeader = 14;
    if (!c || !pFile || !pOut || cb < kFileHeader + 12 || Le16(pFile) != 0x4D42) return FALSE;
    DWORD dwHdr = Le32(pFile + kFileHeader);
    BOOL bInfo = dwHdr == 40;
    // Only the two header forms this page can draw.
    if (!bInfo && dwHdr != 12) return FALSE;
    if (cb < kFileHeader + dwHdr) return FALSE;
    const BYTE* h = pFile + kFileHeader;
    LONG w = bInfo ? (LONG)Le32(h + 4) : (LONG)Le16(h + 4);
    LONG ht = bInfo ? (LONG)Le32(h + 8) : (LONG)Le16(h + 6);
    WORD wBits = bInfo ? Le16(h + 14) : Le16(h + 10);
    DWORD dwColors = bInfo && Le32(h + 32) ? Le32(h + 32) : wBits == 1 ? 2 : wBits == 4 ? 16 : wBits == 8 ? 256 : 0;
    if (dwColors > 256) return FALSE;
    DWORD dwPalette = dwColors * (bInfo ? 4 : 3);
    if (cb < kFileHeader + dwHdr + dwPalette) return FALSE;
    DWORD dwOff = Le32(pFile + 10);
    if (dwOff == 0) dwOff = kFileHeader + dwHdr + dwPalette;
    if (dwOff >= cb) return FALSE;
    // Every row the header promises must be in the file: the drawing call
    // cannot know where the file ends and would read past it. The stored
    // image size stands in for the rows of a compressed image.
    DWORD dwCompression = bInfo ? Le32(h + 16) : 0;
    LONGLONG llRows = ht < 0 ? -(LONGLONG)ht : ht;
    LONGLONG llBits = dwCompression == 0 ? ((LONGLONG)w * wBits + 31) / 32 * 4 * llRows : (LONGLONG)Le32(h + 20);
    if (w < 0 || llBits > (LONGLONG)(cb - dwOff)) return FALSE;

    LONG s = (LONG)c->dwResolution;
    LONG lFit = (LONG)c->dwFitPercent;
    LONG z = (c->abFlags[CF_ZOOM] == 1 ? lFit * (LONG)c->dwImageZoom / 100 : lFit) * (LONG)c->dwResRatio / 100;
    pOut->x = CoverDots((LONG)c->dwImageX, s) + c->lOriginX;
    pOut->y = CoverDots((LONG)c->dwImageY, s) + c->lOriginY;
    pOut->cx = z ? w * z * 100 / 10000 : w;
    pOut->cy = z ? ht * z * 100 / 10000 : ht;
    pOut->lSrcW = w;
    pOut->lSrcH = ht;
    pOut->dwBitsOffset = dwOff;
    return TRUE;
}

// The whole image file in a movable block, read in pieces below 32 KB.
static HGLOBAL LoadCoverImageFile(const COVERCTX* c)
{
    HANDLE hf = CreateFileW(c->szImage, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hf == INVALID_HANDLE_VALUE) return nullptr;
    DWORD cb = GetFileSize(hf, nullptr);
    HGLOBAL hMem = nullptr;
    if (cb != INVALID_FILE_SIZE && cb != 0) {
        hMem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
        BYTE* p = hMem ? (BYTE*)GlobalLock(hMem) : nullptr;
        BOOL bOk = p != nullptr;
        for (DWORD dwDone = 0; bOk && dwDone < cb;) {
            DWORD dwPiece = cb - dwDone < 0x8000 ? cb - dwDone : 0x7FFF, dwRead = 0;
            bOk = ReadFile(hf, p + dwDone, dwPiece, &dwRead, nullptr) && dwRead == dwPiece;
            dwDone += dwRead;
        }
        if (p) GlobalUnlock(hMem);
        if (!bOk && hMem) {
            GlobalFree(hMem);
            hMem = nullptr;
        }
    }
    CloseHandle(hf);
    return hMem;
}

static void DrawCoverLogo(COVERCTX* c)
{
    if (!c->abFlags[CF_IMAGE] || !c->szImage[0]) return;
    HGLOBAL hMem = LoadCoverImageFile(c);
    if (!hMem) return;
    const BYTE* p = (const BYTE*)GlobalLock(hMem);
    COVERIMAGE im;
    if (p && PlaceCoverImage(c, p, (DWORD)GlobalSize(hMem), &im))
        StretchDIBits(c->hdc, im.x, im.y, im.cx, im.cy, 0, 0, im.lSrcW, im.lSrcH, p + im.dwBitsOffset,
                      (const BITMAPINFO*)(p + 14), DIB_RGB_COLORS, SRCCOPY);
    GlobalUnlock(hMem);
    GlobalFree(hMem);
}

void CoverSetDrawProcs(const COVERDRAWPROCS* p) { g_procs = p ? *p : kGdiProcs; }

void LayoutCoverSheet(COVERCTX* c)
{
    if (!c) return;
    LONG s = (LONG)((c->dwResolution * c->dwFitPercent + 50) / 100);
    c->dwResolution = (DWORD)s;
    LONG w = CoverDots((LONG)c->dwFrameW - 2 * (LONG)c->dwMarginH, s);
    LONG h = CoverDots((LONG)c->dwFrameH - 2 * (LONG)c->dwMarginV, s);
    c->rcFrame.left = CoverDots((LONG)c->dwMarginH, s) + c->lOriginX;
    c->rcFrame.top = CoverDots((LONG)c->dwMarginV, s) + c->lOriginY;
    c->rcFrame.right = c->rcFrame.left + w;
    c->rcFrame.bottom = c->rcFrame.top + h;
    c->rcText.left = c->rcFrame.left + CoverFixedDots(k15mm, s);
    c->rcText.top = c->rcFrame.top + CoverFixedDots(k20mm, s);
    c->rcText.right = c->rcFrame.right - CoverFixedDots(k15mm, s);
    c->rcText.bottom = c->rcFrame.bottom - CoverFixedDots(k20mm, s);

    HRGN hFrame = nullptr;
    BOOL bReal = g_procs.pfnText == kGdiProcs.pfnText;
    if (!c->abFlags[CF_A4PFIX] && bReal) {
        hFrame = CreateRectRgn(c->rcFrame.left, c->rcFrame.top, c->rcFrame.right, c->rcFrame.bottom);
        if (hFrame) SelectClipRgn(c->hdc, hFrame);
    }

    Block b{c, StyleOf(c), s};
    LONG y = c->rcText.top;
    y += DrawDate(b, y);
    y += DrawTitle(b, y);
    y += c->abFlags[CF_RECV_SETUP] ? DrawRecipients(b, y) : DrawFixedRecipient(b, y);
    switch (c->iStyle) {
    case 2:
        y += DrawPageCount(b, y);
        y += DrawSubject(b, y);
        y += DrawComment(b, y);
        y += DrawSender(b, y);
        break;
    case 3:
        y += DrawSender(b, y);
        y += DrawSubject(b, y);
        y += DrawComment(b, y);
        y += DrawPageCount(b, y);
        break;
    default:
        y += DrawSender(b, y);
        y += DrawPageCount(b, y);
        y += DrawSubject(b, y);
        y += DrawComment(b, y);
        break;
    }
    LONG r = CoverFixedDots(k2mm, s);
    g_procs.pfnRule(c->hdc, c->rcText.left, c->rcText.right, c->rcText.bottom - r, r, kGrey);
    if (bReal) DrawCoverLogo(c);

    if (hFrame) {
        // The cover page begins with no clip region; it ends with none.
        SelectClipRgn(c->hdc, nullptr);
        DeleteObject(hFrame);
    }
}
