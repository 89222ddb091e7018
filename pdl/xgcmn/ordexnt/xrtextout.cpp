// xrtextout.cpp: text output of the ORDEX back end (the body of DrvTextOut)
// and the font-substitution definitions written once per job.
//
// Entry points: DrawTextBody, WriteFontSubstLines, ChooseResidentFont,
// SelectResidentFont and the pieces of the font choice (TextHypot,
// TextFontHeight, TextWidthFactor, TextAngle, TangentIndex,
// bResidentSizeOk), GetResidentFont and the substitution list accessors.
// Rules in xrtext.h.
//
// A character goes out as "txo" in a resident font when the user's
// substitution list maps its TrueType face onto a face of the resident font
// table, the font is not too large and the character exists in the
// resident font's code page; every other character goes out as a 1-bit
// glyph image in the text colour. On a reduced (N-up) page the glyph's
// outline is filled again at the reduced size, so that small text stays
// sharp, and written where it lands, unscaled.
#include "pdl/xgcmn/ordexnt/xrtext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

// ---- tables ------------------------------------------------------------------------

struct FONTROWSRC {
    LPCWSTR pwszFace;
    LPCWSTR pwszFamily;
    LPCWSTR pwszFont;
    int iCharSet;
    int iWeight;
    int iItalic;
};

const FONTROWSRC kFontRows[] = {
#define PDL_ROW(row, face, family, font, cs, weight, italic) {face, family, font, cs, weight, italic},
#include "pdl_fonts.inc"
#undef PDL_ROW
};
static_assert(sizeof(kFontRows) / sizeof(kFontRows[0]) == PDL_FONT_ROWS);

const LONG kTangents[] = {
#define PDL_ROW(index, value) value,
#include "pdl_tangents.inc"
#undef PDL_ROW
};
const int kTangentCount = (int)(sizeof(kTangents) / sizeof(kTangents[0]));
static_assert(sizeof(kTangents) / sizeof(kTangents[0]) == 900);

std::string _Narrow(LPCWSTR pwsz)
{
    std::string s;
    for (; *pwsz; ++pwsz)
        s += (char)(*pwsz < 0x80 ? *pwsz : '?');
    return s;
}

// The table with its 8-bit names, built once.
struct FONTTABLE {
    PDLFONTROW aRow[PDL_FONT_ROWS];
    std::string aFamily[PDL_FONT_ROWS];
    std::string aFont[PDL_FONT_ROWS];
    float afTan[900];
};

// The table lives in the library image (not on the heap), so it goes away with
// the image when the spooler unloads the driver after a job. Its rows point into
// its own strings, so it is filled in place.
const FONTTABLE& _Table()
{
    static FONTTABLE s_table;
    static const FONTTABLE* s_pTable = [] {
        FONTTABLE* p = &s_table;
        for (int i = 0; i < PDL_FONT_ROWS; ++i) {
            p->aFamily[i] = _Narrow(kFontRows[i].pwszFamily);
            p->aFont[i] = _Narrow(kFontRows[i].pwszFont);
            p->aRow[i].pwszFace = kFontRows[i].pwszFace;
            p->aRow[i].pszFamily = p->aFamily[i].c_str();
            p->aRow[i].pszFont = p->aFont[i].c_str();
            p->aRow[i].jCharSet = (BYTE)kFontRows[i].iCharSet;
            p->aRow[i].sWeight = (SHORT)kFontRows[i].iWeight;
            p->aRow[i].bItalic = (BYTE)kFontRows[i].iItalic;
        }
        for (int i = 0; i < kTangentCount; ++i)
            p->afTan[i] = (float)kTangents[i] / 10000.0f;
        return p;
    }();
    return *s_pTable;
}

// ---- small helpers ---------------------------------------------------------------------

// Face names compare on at most cchMax UTF-16 units.
BOOL _SameName(LPCWSTR a, LPCWSTR b, int cchMax)
{
    for (int i = 0; i < cchMax; ++i) {
        if (a[i] != b[i])
            return FALSE;
        if (a[i] == 0)
            return TRUE;
    }
    return TRUE;
}

LPCWSTR _SkipAt(LPCWSTR pwsz)
{
    return pwsz[0] == u'@' ? pwsz + 1 : pwsz;
}

// a x b / c rounded to the nearest, -1 for a zero divisor.
LONG _MulDiv(LONG a, LONG b, LONG c)
{
    if (c == 0)
        return -1;
    long long n = (long long)a * b;
    long long q = (n < 0) == (c < 0) ? (std::llabs(n) + std::llabs(c) / 2) / std::llabs(c)
                                     : -((std::llabs(n) + std::llabs(c) / 2) / std::llabs(c));
    return (LONG)q;
}

BOOL _bRecording(PDEV* pPDev)
{
    return PdlWork(pPDev)->bRecording == 1;
}

BOOL _bWatermark(PDEV* pPDev)
{
    return PdlWork(pPDev)->bForceRop != 0;
}

LONG _Scale(PDEV* pPDev)
{
    if (_bRecording(pPDev) || pPDev->lNupScale <= 0)
        return 10000;
    return pPDev->lNupScale;
}

LONG _MapX(PDEV* pPDev, LONG x)
{
    LONG s = _Scale(pPDev);
    return s == 10000 ? x : (LONG)((long long)x * s / 10000) + pPDev->xNupCell;
}

LONG _MapY(PDEV* pPDev, LONG y)
{
    LONG s = _Scale(pPDev);
    return s == 10000 ? y : (LONG)((long long)y * s / 10000) + pPDev->yNupCell;
}

// "sba" for a rectangle, mapped through the N-up scale; a rectangle that
// collapses keeps one pixel so that a thin rule is not lost.
void _WriteBar(PDEV* pPDev, const RECTL& rc)
{
    LONG l = _MapX(pPDev, rc.left), t = _MapY(pPDev, rc.top);
    LONG r = _MapX(pPDev, rc.right), b = _MapY(pPDev, rc.bottom);
    if (r <= l)
        r = l + 1;
    if (b <= t)
        b = t + 1;
    if (b - t == 1)
        PdlPrintf(pPDev, "sba %d %d %d;\n", l, t, r - l);
    else
        PdlPrintf(pPDev, "sba %d %d %d %d;\n", l, t, r - l, b - t);
}

ULONG _BrushColor(PDEV* pPDev, BRUSHOBJ* pbo)
{
    if (!pbo)
        return 0;
    if (bIsOneBitMode(pPDev))
        return BRUSHOBJ_ulGetBrushColor(pbo) & 0x00FFFFFF;
    return pbo->iSolidColor == 0xFFFFFFFF ? 0 : pbo->iSolidColor;
}

// ---- glyph images -------------------------------------------------------------------

GLYPHBITS* _GlyphBits(FONTOBJ* pfo, GLYPHPOS* pgp)
{
    if (pgp->pgdf && pgp->pgdf->pgb)
        return pgp->pgdf->pgb;
    HGLYPH hg = pgp->hg;
    PVOID pv = nullptr;
    if (FONTOBJ_cGetGlyphs(pfo, FO_GLYPHBITS, 1, &hg, &pv) != 1 || !pv)
        return nullptr;
    return static_cast<GLYPHDATA*>(pv)->gdf.pgb;
}

struct SPANTARGET {
    BYTE* pb;
    LONG cbRow;
    LONG cx;
};

void _SetSpan(void* pv, LONG y, LONG x0, LONG x1)
{
    SPANTARGET* pt = static_cast<SPANTARGET*>(pv);
    if (x0 < 0)
        x0 = 0;
    if (x1 > pt->cx)
        x1 = pt->cx;
    BYTE* pRow = pt->pb + (size_t)y * pt->cbRow;
    for (LONG x = x0; x < x1; ++x)
        pRow[x >> 3] |= (BYTE)(0x80 >> (x & 7));
}

FIX _MapFix(FIX v, LONG lCorner16, LONG s)
{
    return (FIX)std::floor((double)(v - lCorner16) * s / 10000.0);
}

// The largest glyph image a reduced page draws (a glyph a whole sheet high
// at 1200 dpi is far less).
const unsigned long long kMaxReducedGlyphBytes = 16u << 20;

// A glyph of a reduced page: its outline filled at the reduced size and
// written where it lands, without a second scaling by the image writer.
BOOL _WriteReducedGlyph(PDEV* pPDev, FONTOBJ* pfo, GLYPHPOS* pgp, LONG s)
{
    HGLYPH hg = pgp->hg;
    PVOID pv = nullptr;
    if (FONTOBJ_cGetGlyphs(pfo, FO_PATHOBJ, 1, &hg, &pv) != 1 || !pv)
        return FALSE;
    PATHOBJ* ppo = static_cast<GLYPHDATA*>(pv)->gdf.ppo;
    if (!ppo)
        return FALSE;
    RECTFX rfx;
    PATHOBJ_vGetBounds(ppo, &rfx);
    LONG left = (LONG)std::floor(rfx.xLeft / 16.0), top = (LONG)std::floor(rfx.yTop / 16.0);
    LONG right = (LONG)std::ceil(rfx.xRight / 16.0), bottom = (LONG)std::ceil(rfx.yBottom / 16.0);
    LONG cx = (LONG)((long long)(right - left + 2) * s / 10000);
    LONG cy = (LONG)((long long)(bottom - top + 2) * s / 10000);
    if (cx <= 0 || cy <= 0)
        return TRUE;  // nothing left to see at this size

    PATHOBJ* ppoSmall = EngCreatePath();
    if (!ppoSmall)
        return FALSE;
    BOOL bOk = TRUE;
    PATHDATA pd;
    PATHOBJ_vEnumStart(ppo);
    BOOL bMore;
    std::vector<POINTFIX> aPt;
    do {
        bMore = PATHOBJ_bEnum(ppo, &pd);
        aPt.resize(pd.count);
        for (ULONG i = 0; i < pd.count; ++i) {
            aPt[i].x = _MapFix(pd.pptfx[i].x, left * 16, s);
            aPt[i].y = _MapFix(pd.pptfx[i].y, top * 16, s);
        }
        ULONG iFirst = 0;
        if ((pd.flags & PD_BEGINSUBPATH) && pd.count > 0) {
            bOk = bOk && PATHOBJ_bMoveTo(ppoSmall, aPt[0]);
            iFirst = 1;
        }
        if (pd.count > iFirst) {
            if (pd.flags & PD_BEZIERS)
                bOk = bOk && PATHOBJ_bPolyBezierTo(ppoSmall, &aPt[iFirst], pd.count - iFirst);
            else
                bOk = bOk && PATHOBJ_bPolyLineTo(ppoSmall, &aPt[iFirst], pd.count - iFirst);
        }
        if (pd.flags & (PD_CLOSEFIGURE | PD_ENDSUBPATH))
            bOk = bOk && PATHOBJ_bCloseFigure(ppoSmall);
    } while (bMore && bOk);

    // The block's size is computed in 64 bits and bounded, so that a huge
    // scale cannot wrap it into a small block that the rows overrun.
    LONG cbRow = (LONG)(((long long)cx + 7) / 8);
    const unsigned long long cbAll = (unsigned long long)cbRow * (unsigned long long)cy;
    BYTE* pbBits = cbAll <= kMaxReducedGlyphBytes ? new (std::nothrow) BYTE[(size_t)cbAll]() : nullptr;
    if (!pbBits)
        bOk = FALSE;
    if (bOk && pbBits) {
        SPANTARGET target = {pbBits, cbRow, cx};
        RECTL rclLimit = {0, 0, cx, cy};
        bOk = EngPathSpans(ppoSmall, TRUE, &rclLimit, _SetSpan, &target);
    }
    if (bOk && pbBits &&
        std::all_of(pbBits, pbBits + (size_t)cbRow * cy, [](BYTE b) { return b == 0; })) {
        delete[] pbBits;  // nothing to put on paper at this size
        EngDeletePath(ppoSmall);
        return TRUE;
    }
    if (bOk) {
        LONG x = (LONG)(((long long)pgp->ptl.x + left) * s / 10000) + pPDev->xNupCell;
        LONG y = (LONG)(((long long)pgp->ptl.y + top) * s / 10000) + pPDev->yNupCell;
        bOk = WriteImage1Ex(pPDev, pbBits, cx, cy, cbRow, x, y, cx, cy, TRUE);
    }
    delete[] pbBits;
    EngDeletePath(ppoSmall);
    return bOk;
}

BOOL _WriteGlyphImage(PDEV* pPDev, FONTOBJ* pfo, GLYPHPOS* pgp)
{
    LONG s = _Scale(pPDev);
    if (s != 10000)
        return _WriteReducedGlyph(pPDev, pfo, pgp, s);
    GLYPHBITS* pgb = _GlyphBits(pfo, pgp);
    if (!pgb)
        return FALSE;  // a glyph without a bitmap is skipped
    LONG cx = pgb->sizlBitmap.cx, cy = pgb->sizlBitmap.cy;
    // A glyph without ink (a space) has nothing to put on paper.
    size_t cb = (size_t)((cx + 7) / 8) * (cy > 0 ? cy : 0);
    if (std::all_of(pgb->aj, pgb->aj + cb, [](BYTE b) { return b == 0; }))
        return TRUE;
    return WriteImage1Ex(pPDev, pgb->aj, cx, cy, (cx + 7) / 8, pgp->ptl.x + pgb->ptlOrigin.x,
                         pgp->ptl.y + pgb->ptlOrigin.y, cx, cy, TRUE);
}

// ---- characters in a resident font ------------------------------------------------

// Two decimal digits of 0..99, and two hexadecimal digits of a byte: a page
// of text is thousands of "txo" lines, and their numbers are most of the
// work of writing them.
struct DIGITPAIRS {
    char achDec[200];
    char achHex[512];
};

constexpr DIGITPAIRS _MakeDigitPairs()
{
    DIGITPAIRS d = {};
    const char* pszHex = "0123456789ABCDEF";
    for (int i = 0; i < 100; ++i) {
        d.achDec[2 * i] = (char)('0' + i / 10);
        d.achDec[2 * i + 1] = (char)('0' + i % 10);
    }
    for (int i = 0; i < 256; ++i) {
        d.achHex[2 * i] = pszHex[i >> 4];
        d.achHex[2 * i + 1] = pszHex[i & 0xF];
    }
    return d;
}

constexpr DIGITPAIRS kDigitPairs = _MakeDigitPairs();

// Appends upper-case hexadecimal of at least two digits.
inline char* _PutHexTo(char* p, ULONG u)
{
    if (u < 0x100) {
        memcpy(p, kDigitPairs.achHex + 2 * u, 2);
        return p + 2;
    }
    char ach[8];
    int n = 0;
    do {
        const char* pPair = kDigitPairs.achHex + 2 * (u & 0xFF);
        ach[n++] = pPair[1];
        ach[n++] = pPair[0];
        u >>= 8;
    } while (u != 0);
    // Two digits at least, no leading zero beyond them.
    if (ach[n - 1] == '0')
        --n;
    while (n > 0)
        *p++ = ach[--n];
    return p;
}

// The number of decimal digits of u.
inline int _DecimalDigits(ULONG u)
{
    int n = 1;
    for (ULONG lim = 10; n < 10 && u >= lim; lim *= 10)
        ++n;
    return n;
}

inline char* _PutDecimalTo(char* p, LONG l)
{
    ULONG u = (ULONG)l;
    if (l < 0) {
        *p++ = '-';
        u = 0ul - u;
    }
    char* pEnd = p + _DecimalDigits(u);
    char* q = pEnd;
    while (u >= 100) {
        q -= 2;
        memcpy(q, kDigitPairs.achDec + 2 * (u % 100), 2);
        u /= 100;
    }
    if (u >= 10) {
        q -= 2;
        memcpy(q, kDigitPairs.achDec + 2 * u, 2);
    } else {
        *--q = (char)('0' + u);
    }
    return pEnd;
}

// The "txo" lines of one string, gathered and handed to the stream together:
// the stream is written in the same order and the same bytes as line by
// line, but passes its sinks once per string rather than once per character.
// Anything else written in between (a glyph image) flushes it first.
struct TXOBATCH {
    PDEV* pPDev;
    DWORD cb;
    BOOL bFailed;
    char ach[4096];
};

void _FlushTxo(TXOBATCH* pb)
{
    if (pb->cb != 0 && !WriteStream(pb->pPDev, pb->ach, pb->cb))
        pb->bFailed = TRUE;
    pb->cb = 0;
}

// "txo #<code> <x> <y>;" as the stream formatter writes it, built directly.
// The code is one byte, or a lead and a trail byte, each in two or more
// hexadecimal digits. FALSE when the stream has failed.
BOOL _PutTxo(TXOBATCH* pb, ULONG ulFirst, const ULONG* pulSecond, LONG x, LONG y)
{
    // The longest line: "txo #" 5, two codes 16, two numbers 22, spaces and
    // the end 4.
    if (pb->cb > sizeof(pb->ach) - 64)
        _FlushTxo(pb);
    char* p = pb->ach + pb->cb;
    memcpy(p, "txo #", 5);
    p += 5;
    p = _PutHexTo(p, ulFirst);
    if (pulSecond)
        p = _PutHexTo(p, *pulSecond);
    *p++ = ' ';
    p = _PutDecimalTo(p, x);
    *p++ = ' ';
    p = _PutDecimalTo(p, y);
    *p++ = ';';
    *p++ = '\n';
    pb->cb = (DWORD)(p - pb->ach);
    return !pb->bFailed;
}

// Writes one character in the selected resident font; FALSE when the font
// has no such character.
BOOL _WriteResidentChar(TXOBATCH* pb, const PDLFONTROW* pRow, WCHAR wc, LONG x, LONG y)
{
    PDEV* pPDev = pb->pPDev;
    ULONG ulCode;
    if (pRow->jCharSet == PDL_CHARSET_SHIFTJIS) {
        char ab[2] = {0, 0};
        ULONG cb = 0;
        EngUnicodeToMultiByteN(ab, 2, &cb, &wc, sizeof(WCHAR));
        if (cb == 0 || (wc != u'?' && cb == 1 && ab[0] == '?'))
            return FALSE;
        if (cb == 2) {
            BYTE lead = (BYTE)ab[0], trail = (BYTE)ab[1];
            ulCode = ((ULONG)lead << 8) | trail;
            ULONG ulTrail = trail;
            if (!_PutTxo(pb, lead, &ulTrail, x, y))
                return TRUE;
        } else {
            ulCode = (BYTE)ab[0];
            if (!_PutTxo(pb, ulCode, nullptr, x, y))
                return TRUE;
        }
    } else {
        if (wc >= 256)
            return FALSE;
        ulCode = wc;
        if (!_PutTxo(pb, ulCode, nullptr, x, y))
            return TRUE;
    }
    if (!bIsWhiteChar(pPDev, ulCode))
        MarkPageInked(pPDev);
    return TRUE;
}

// Every glyph of the string, in the resident font iRow or (-1) as images.
void _DrawGlyphs(PDEV* pPDev, STROBJ* pstro, FONTOBJ* pfo, int iRow)
{
    const PDLFONTROW* pRow = iRow >= 0 ? GetResidentFont(iRow) : nullptr;
    ULONG iChar = 0;
    BOOL bMore = FALSE;
    ULONG cBatch = 0;
    GLYPHPOS* pgp = nullptr;
    if (pstro->pgp) {
        pgp = pstro->pgp;
        cBatch = pstro->cGlyphs;
    } else {
        STROBJ_vEnumStart(pstro);
    }
    // Nothing the characters write changes the scale of the page.
    const BOOL bUnscaled = _Scale(pPDev) == 10000;
    TXOBATCH batch;
    batch.pPDev = pPDev;
    batch.cb = 0;
    batch.bFailed = FALSE;
    do {
        if (!pstro->pgp) {
            cBatch = 0;
            pgp = nullptr;
            bMore = STROBJ_bEnum(pstro, &cBatch, &pgp);
            if (!pgp)
                break;
        }
        for (ULONG k = 0; k < cBatch; ++k, ++iChar) {
            BOOL bDone = FALSE;
            if (pRow && pstro->pwszOrg && iChar < pstro->cGlyphs) {
                LONG x = pgp[k].ptl.x, y = pgp[k].ptl.y;
                if (!bUnscaled) {
                    x = _MapX(pPDev, x);
                    y = _MapY(pPDev, y);
                }
                bDone = _WriteResidentChar(&batch, pRow, pstro->pwszOrg[iChar], x, y);
            }
            if (!bDone) {
                _FlushTxo(&batch);
                _WriteGlyphImage(pPDev, pfo, &pgp[k]);
            }
        }
    } while (bMore);
    _FlushTxo(&batch);
}

BOOL _bCharSetAgrees(BYTE jFont, BYTE jRow)
{
    switch (jFont) {
    case PDL_CHARSET_ANSI:
    case PDL_CHARSET_SYMBOL:
        return jRow == jFont;
    case PDL_CHARSET_SHIFTJIS:
        return jRow == PDL_CHARSET_SHIFTJIS;
    case PDL_CHARSET_DEFAULT:
        return TRUE;
    case PDL_CHARSET_OEM:
        return jRow == PDL_CHARSET_OEM;
    default:
        return FALSE;
    }
}

// The table row the user's substitution list gives the font's family, or -1.
int _SubstitutedRow(PDEV* pPDev, const IFIMETRICS* pifi)
{
    if (DmByte(pPDev, 1411) == 0)
        return -1;
    FONTSUBNODE* pNode = GetFontSubstList(pPDev);
    if (!pNode || pifi->dpwszFamilyName <= 0)
        return -1;
    LPCWSTR pwszFamily =
        reinterpret_cast<LPCWSTR>(reinterpret_cast<const BYTE*>(pifi) + pifi->dpwszFamilyName);
    BOOL bVertical = pwszFamily[0] == u'@';
    LPCWSTR pwszName = _SkipAt(pwszFamily);
    for (; pNode; pNode = NextFontSubstNode(pPDev, pNode)) {
        if (!_SameName(pwszName, pNode->szTrueType, 32) || pNode->szDevice[0] == 0)
            continue;
        std::u16string device;
        if (bVertical)
            device = u"@";
        for (int i = 0; i < 32 && pNode->szDevice[i]; ++i)
            device += pNode->szDevice[i];
        for (int i = 0; i < PDL_FONT_ROWS; ++i) {
            const PDLFONTROW* pRow = GetResidentFont(i);
            if (_SameName(pRow->pwszFace, (LPCWSTR)device.c_str(), 80))
                return _bCharSetAgrees(pifi->jWinCharSet, pRow->jCharSet) ? i : -1;
        }
    }
    return -1;
}

}  // namespace

// ---- tables and state ---------------------------------------------------------------

const PDLFONTROW* GetResidentFont(int iRow)
{
    if (iRow < 0 || iRow >= PDL_FONT_ROWS)
        return nullptr;
    return &_Table().aRow[iRow];
}

FONTSUBNODE* GetFontSubstList(PDEV* pPDev)
{
    DWORD dwSlot = 0;
    memcpy(&dwSlot, PdlDevmodeBytes(pPDev) + 1412, sizeof(dwSlot));
    if (PdevSide(pPDev)->cFontSubstNodes == 0)
        return nullptr;
    return PdevRef<FONTSUBNODE*>(pPDev, dwSlot, PREF_FONTSUBST);
}

FONTSUBNODE* NextFontSubstNode(PDEV* pPDev, const FONTSUBNODE* pNode)
{
    FONTSUBNODE* pHead = GetFontSubstList(pPDev);
    DWORD cNodes = PdevSide(pPDev)->cFontSubstNodes;
    if (!pHead || !pNode || pNode < pHead || pNode >= pHead + cNodes)
        return nullptr;
    DWORD iNode = static_cast<DWORD>(pNode - pHead);
    DWORD dwNext = pNode->dwNext;
    // Forward only: every walk ends.
    if (dwNext == 0 || dwNext - 1 <= iNode || dwNext - 1 >= cNodes)
        return nullptr;
    return pHead + (dwNext - 1);
}

void SetFontSubstList(PDEV* pPDev, FONTSUBNODE* pNodes, DWORD cNodes)
{
    if (!pNodes || cNodes == 0) {
        pNodes = nullptr;
        cNodes = 0;
    }
    DWORD dwSlot = SetPdevRef(pPDev, PREF_FONTSUBST, pNodes);
    PdevSide(pPDev)->cFontSubstNodes = cNodes;
    memcpy(PdlDevmodeBytes(pPDev) + 1412, &dwSlot, sizeof(dwSlot));
}

void MoveFontSubstList(PDEV* pTo, PDEV* pFrom)
{
    if (pTo == pFrom)
        return;
    DWORD cNodes = PdevSide(pFrom)->cFontSubstNodes;
    DWORD dwSlot = PdevRefMove(pTo, pFrom, PREF_FONTSUBST);
    PdevSide(pTo)->cFontSubstNodes = dwSlot ? cNodes : 0;
    PdevSide(pFrom)->cFontSubstNodes = 0;
    memcpy(PdlDevmodeBytes(pTo) + 1412, &dwSlot, sizeof(dwSlot));
    memset(PdlDevmodeBytes(pFrom) + 1412, 0, 4);
}

// ---- the font choice -----------------------------------------------------------------

LONG TextHypot(LONG x, LONG y)
{
    long long a = std::llabs((long long)x), b = std::llabs((long long)y);
    long long h = a > b ? a : b, m = a > b ? b : a;
    long long target = m * m, sum = 0;
    // Up to and including the square itself: the floor of the true length
    // (3, 4 gives 5, not 4).
    while (sum + 2 * h + 1 <= target) {
        sum += 2 * h + 1;
        ++h;
    }
    return (LONG)h;
}

LONG TextFontHeight(PDEV* pPDev, XFORMOBJ* pxo, LONG cEmUnits)
{
    POINTL ptIn = {0, cEmUnits};
    POINTL ptOut = {0, 0};
    if (!XFORMOBJ_bApplyXform(pxo, XF_LTOFX, 1, &ptIn, &ptOut))
        return 0;
    LONG lLen = TextHypot(ptOut.x, ptOut.y);
    LONG lDpi = DmShort(pPDev, 310);
    if (lDpi <= 0)
        return 0;
    LONG l = _MulDiv(lLen, 72, lDpi);
    if (!_bRecording(pPDev)) {
        LONG s = pPDev->lNupScale > 0 ? pPDev->lNupScale : 10000;
        l = (LONG)((long long)l * s / 10000);
    }
    return l << 4;
}

LONG TextWidthFactor(XFORMOBJ* pxo)
{
    XFORML xf = {};
    XFORMOBJ_iGetXform(pxo, &xf);
    float f = 1.0f;
    if (xf.eM11 == xf.eM22 && xf.eM12 == xf.eM21)
        f = 1.0f;
    else if (xf.eM11 == 0 && xf.eM22 == 0)
        f = xf.eM21 != 0 ? std::fabs(xf.eM12 / xf.eM21) : 1.0f;
    else
        f = xf.eM22 != 0 ? std::fabs(xf.eM11 / xf.eM22) : 1.0f;
    return FloatToFix(f);
}

int TangentIndex(float fRatio)
{
    const float* pt = _Table().afTan;
    if (fRatio <= pt[0])
        return 0;
    for (int i = 0; i + 1 < kTangentCount; ++i) {
        if (fRatio >= pt[i] && fRatio <= pt[i + 1])
            return fRatio - pt[i] <= pt[i + 1] - fRatio ? i : i + 1;
    }
    return kTangentCount - 1;
}

LONG TextAngle(XFORMOBJ* pxo)
{
    POINTL ptIn = {10000, 0};
    POINTL pt = {0, 0};
    if (!XFORMOBJ_bApplyXform(pxo, XF_LTOL, 1, &ptIn, &pt))
        return 0;
    LONG x = pt.x, y = pt.y;
    int iDeg = -1;
    if (y == 0)
        iDeg = x >= 0 ? 0 : 180;
    else if (x == 0)
        iDeg = y < 0 ? 90 : 270;
    else if (x == -y)
        iDeg = x > 0 ? 45 : 225;
    else if (x == y)
        iDeg = x < 0 ? 135 : 315;
    if (iDeg >= 0)
        return iDeg << 8;
    float fT = (float)TangentIndex((float)std::labs(y) / (float)std::labs(x)) / 10.0f;
    float fDeg;
    if (x > 0 && y < 0)
        fDeg = fT;
    else if (x < 0 && y < 0)
        fDeg = 180.0f - fT;
    else if (x < 0)
        fDeg = 180.0f + fT;
    else
        fDeg = 360.0f - fT;
    return FloatToFix(fDeg);
}

BOOL bResidentSizeOk(LONG lHeight, LONG lWidth)
{
    float x = (float)lHeight / 256.0f * 600.0f / 72.0f;
    long long a = (long long)x;
    long long b = (long long)(x * ((float)lWidth / 256.0f)) / 8;
    return a * b < 1389861;
}

int ChooseResidentFont(PDEV* pPDev, FONTOBJ* pfo, STROBJ* pstro, FONTATTR* pAttr)
{
    IFIMETRICS* pifi = FONTOBJ_pifi(pfo);
    if (!pifi) {
        PdlPrintf(pPDev, "rem FONTOBJ_pifi == NULL;\n");
        return -1;
    }
    int iFirst = _SubstitutedRow(pPDev, pifi);
    if (iFirst < 0)
        return -1;
    if (pstro && (pstro->flAccel & SO_GLYPHINDEX_TEXTOUT))
        return -1;
    XFORMOBJ* pxo = FONTOBJ_pxoGetXform(pfo);
    if (!pxo) {
        PdlPrintf(pPDev, "rem FONTOBJ_pxoGetXform == NULL;\n");
        return -1;
    }
    FONTATTR attr = {};
    attr.lHeight = TextFontHeight(pPDev, pxo, pifi->fwdUnitsPerEm);
    attr.lWidth = TextWidthFactor(pxo);
    if (attr.lHeight <= 0 || !bResidentSizeOk(attr.lHeight, attr.lWidth))
        return -1;
    attr.lAngle = TextAngle(pxo);
    attr.bBold = (pfo->flFontType & FO_SIM_BOLD) ? 1 : 0;
    attr.bItalic = (pfo->flFontType & FO_SIM_ITALIC) ? 1 : 0;

    // The best row of the same face: weight and slant as near as the table has.
    BOOL bFontItalic = pifi->lItalicAngle != 0;
    LPCWSTR pwszFace = GetResidentFont(iFirst)->pwszFace;
    int iBest = iFirst, iBestScore = 0;
    for (int i = iFirst; i < PDL_FONT_ROWS; ++i) {
        const PDLFONTROW* pRow = GetResidentFont(i);
        if (!_SameName(pRow->pwszFace, pwszFace, 80))
            continue;
        int iScore = 1 + (pRow->sWeight == (SHORT)pifi->usWinWeight ? 1 : 0) +
                     ((pRow->bItalic != 0) == (bFontItalic != 0) ? 1 : 0);
        if (iScore > iBestScore) {
            iBest = i;
            iBestScore = iScore;
            if (iScore == 3)
                break;
        }
    }
    const PDLFONTROW* pBest = GetResidentFont(iBest);
    if (pBest->sWeight < (SHORT)pifi->usWinWeight)
        attr.bBold = 1;
    if (bFontItalic && !pBest->bItalic)
        attr.bItalic = 1;
    *pAttr = attr;
    return iBest;
}

BOOL SelectResidentFont(PDEV* pPDev, int iRow, const FONTATTR* pAttr)
{
    // The font words of the attribute cache; aFontFlags holds "foi",
    // "fob" and "for" in that order.
    PDLATTR* pa = PdlAttr(pPDev);
    if (pa->lFontSlot != iRow) {
        if (PdlPrintf(pPDev, "fos %d;\n", iRow) < 0)
            return FALSE;
        pa->lFontSlot = iRow;
    }
    if (pa->aFontSize[0] != pAttr->lHeight || pa->aFontSize[1] != pAttr->lWidth) {
        if (PdlPrintf(pPDev, "fop %%%f %%%f;\n", pAttr->lHeight, pAttr->lWidth) < 0)
            return FALSE;
        pa->aFontSize[0] = pAttr->lHeight;
        pa->aFontSize[1] = pAttr->lWidth;
    }
    if (pa->aFontFlags[2] != pAttr->lAngle) {
        if (PdlPrintf(pPDev, "for %%%f;\n", pAttr->lAngle) < 0)
            return FALSE;
        pa->aFontFlags[2] = pAttr->lAngle;
    }
    if (pa->aFontFlags[1] != pAttr->bBold) {
        if (PdlPrintf(pPDev, "fob %d;\n", pAttr->bBold) < 0)
            return FALSE;
        pa->aFontFlags[1] = pAttr->bBold;
    }
    if (pa->aFontFlags[0] != pAttr->bItalic) {
        if (PdlPrintf(pPDev, "foi %d;\n", pAttr->bItalic) < 0)
            return FALSE;
        pa->aFontFlags[0] = pAttr->bItalic;
    }
    return TRUE;
}

// ---- the body of DrvTextOut ----------------------------------------------------------

BOOL DrawTextBody(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                  RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                  MIX mix)
{
    (void)pptlOrg;
    PDEV* pPDev = pso ? reinterpret_cast<PDEV*>(pso->dhpdev) : nullptr;
    if (!_bValidatePDEV(pPDev) || (pPDev->fJob & PDEVF_ABORTED))
        return FALSE;
    if (!pstro || !pfo) {
        DbgPrint("%s (%d): %s", GetFileNamePart(__FILE__), __LINE__, "Invalid parameters.\n");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetDrawingKind(pPDev, PDL_HOOK_TEXTOUT);
    if (pco && !_bRecording(pPDev))
        UpdateClip(pPDev, pco, nullptr);

    if (prclOpaque) {
        SetRop2(pPDev, mix);
        SelectBrush(pPDev, pboOpaque);
        _WriteBar(pPDev, *prclOpaque);
        if (!bIsWhiteDraw(pPDev, pboOpaque, nullptr, mix))
            MarkPageInked(pPDev);
    }

    SetBrushMode(pPDev, 1);
    ULONG c = _BrushColor(pPDev, pboFore);
    if (_bWatermark(pPDev)) {
        SetImageColors(pPDev, 0x000000, 0xFFFFFF);
        SelectGrayDither(pPDev, c);
        SetRop3(pPDev, (PdlWork(pPDev)->lForceRop & 0xFF) == 2 ? 0xA8 : 0x74);
    } else {
        SetImageColors(pPDev, c, 0xFFFFFF);
        SetRop3(pPDev, 0xCC);
        if (bIsOneBitMode(pPDev))
            SelectBrush(pPDev, pboFore);
        else
            SelectSolidColor(pPDev, c);
        SetRop2(pPDev, mix);
    }

    if (_bRecording(pPDev)) {
        // A recorded segment is replayed on pages of its own: it may rely on
        // nothing of the page it was recorded in.
        UpdateClip(pPDev, PDL_CLIP_RECORDING, nullptr);
        PdlResetState(pPDev);
    }
    FONTATTR attr = {};
    int iRow = ChooseResidentFont(pPDev, pfo, pstro, &attr);
    if (iRow >= 0 && !SelectResidentFont(pPDev, iRow, &attr))
        iRow = -1;
    _DrawGlyphs(pPDev, pstro, pfo, iRow);

    // Underline and strikeout come as separate rectangles: each is a bar of
    // its own, never the box around both, which would cover the text.
    if (prclExtra) {
        for (RECTL* prc = prclExtra;
             prc->left || prc->top || prc->right || prc->bottom; ++prc)
            _WriteBar(pPDev, *prc);
        if (prclExtra->left || prclExtra->top || prclExtra->right || prclExtra->bottom) {
            if (!bIsWhiteDraw(pPDev, pboFore, nullptr, mix))
                MarkPageInked(pPDev);
        }
    }
    SetDrawingKind(pPDev, 0);
    return TRUE;
}

// ---- font substitution definitions ------------------------------------------------------

void WriteFontSubstLines(PDEV* pPDev)
{
    if (DmByte(pPDev, 778) == 1 || DmByte(pPDev, 1411) == 0)
        return;
    FONTSUBNODE* pHead = GetFontSubstList(pPDev);
    if (!pHead) {
        PdlPrintf(pPDev, "rem lpFontSubTable = NULL;\n");
        return;
    }
    for (int i = 0; i < PDL_FONT_ROWS; ++i) {
        const PDLFONTROW* pRow = GetResidentFont(i);
        LPCWSTR pwszFace = _SkipAt(pRow->pwszFace);
        for (FONTSUBNODE* pNode = pHead; pNode; pNode = NextFontSubstNode(pPDev, pNode)) {
            if (!_SameName(pwszFace, pNode->szDevice, 32))
                continue;
            std::string family = pRow->pszFamily;
            for (char& ch : family)
                if (ch == ' ')
                    ch = '_';
            int iKind = 1;
            const char* pszSet = "W1";
            if (pRow->jCharSet == PDL_CHARSET_SHIFTJIS) {
                iKind = pRow->pwszFace[0] == u'@' ? 3 : 2;
                pszSet = "SJ";
            } else if (pRow->jCharSet == PDL_CHARSET_SYMBOL) {
                pszSet = "WD";
            }
            PdlPrintf(pPDev, "foc %s %s %d %s %d;\n", family.c_str(), pRow->pszFont, iKind, pszSet,
                      i);
        }
    }
}
