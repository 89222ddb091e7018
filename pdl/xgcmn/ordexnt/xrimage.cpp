// xrimage.cpp: the image writers of the ORDEX back end and their
// run-length coder, and the driver halftoning of 8-bit images.
//
// Entry points: WriteImage1, WriteImage1Ex, WriteImage8, WriteImage8Ex,
// PackBitsRow, GetThresholdMatrix. The blits that convert source bitmaps
// into these images are in xrblit.cpp; the text output writes its glyph
// images here.
//
// Image data: 1-bit rows of (width + 7) / 8 bytes, 1 bits in the first
// "bri" colour, 0 bits in the second, most significant bit leftmost; 8-bit
// rows of width density bytes. Top row first. Each row is coded by itself;
// the coded form is used only when the whole image gets smaller by it.
#include "pdl/xgcmn/ordexnt/xrimage.h"

#include <cstring>
#include <new>

namespace {

// Room for the coded rows before they go into the stream in one write.
const DWORD kChunk = 4096;

struct OUTBUF {
    PDEV* pPDev;
    BYTE ab[kChunk];
    DWORD cb;
    BOOL bOk;
};

void _Flush(OUTBUF* pob)
{
    if (pob->cb && pob->bOk)
        pob->bOk = WriteStream(pob->pPDev, pob->ab, pob->cb);
    pob->cb = 0;
}

void _Put(OUTBUF* pob, const BYTE* pb, DWORD cb)
{
    while (cb) {
        if (pob->cb == kChunk)
            _Flush(pob);
        DWORD n = kChunk - pob->cb < cb ? kChunk - pob->cb : cb;
        memcpy(pob->ab + pob->cb, pb, n);
        pob->cb += n;
        pb += n;
        cb -= n;
    }
}

// One coded run into pbOut at *po (counted only without pbOut).
void _Repeat(BYTE* pbOut, DWORD* po, BYTE b, int r)
{
    if (pbOut) {
        pbOut[*po] = r == 1 ? 0 : (BYTE)(1 - r);
        pbOut[*po + 1] = b;
    }
    *po += 2;
}

void _Literal(BYTE* pbOut, DWORD* po, const BYTE* pb, int n)
{
    if (pbOut) {
        pbOut[*po] = (BYTE)(n - 1);
        memcpy(pbOut + *po + 1, pb, n);
    }
    *po += 1 + n;
}

LONG _Map(LONG v, LONG s, LONG off)
{
    return (LONG)((long long)v * s / 10000) + off;
}

}  // namespace

namespace {

DWORD _Load32(const BYTE* pb)
{
    DWORD w;
    memcpy(&w, pb, sizeof(w));
    return w;
}

// The first byte set in a word of flags (0x80 per byte), lowest address
// first.
DWORD _FirstFlagged(DWORD dwFlags)
{
    return (DWORD)__builtin_ctz(dwFlags) >> 3;
}

// The end of the run of equal bytes that starts at i.
DWORD _RunEnd(const BYTE* pb, DWORD i, DWORD cb)
{
    const BYTE b = pb[i];
    const DWORD dwAll = b * 0x01010101u;
    DWORD j = i + 1;
    for (; j + 4 <= cb; j += 4) {
        DWORD x = _Load32(pb + j) ^ dwAll;
        if (x)
            return j + ((DWORD)__builtin_ctz(x) >> 3);
    }
    while (j < cb && pb[j] == b)
        ++j;
    return j;
}

// The first j >= i with pb[j] == pb[j + 1], or cb when no two neighbours
// from i on are equal.
DWORD _NextPair(const BYTE* pb, DWORD i, DWORD cb)
{
    DWORD j = i;
    for (; j + 5 <= cb; j += 4) {
        // A zero byte k of x is an equal pair at j + k; the lowest flag of
        // the zero-byte test is always a true zero byte.
        DWORD x = _Load32(pb + j) ^ _Load32(pb + j + 1);
        DWORD z = (x - 0x01010101u) & ~x & 0x80808080u;
        if (z)
            return j + _FirstFlagged(z);
    }
    for (; j + 1 < cb; ++j)
        if (pb[j] == pb[j + 1])
            return j;
    return cb;
}

// A run of n equal bytes as repeats of at most 128.
void _Repeats(BYTE* pbOut, DWORD* po, BYTE b, DWORD n)
{
    for (; n > 128; n -= 128)
        _Repeat(pbOut, po, b, 128);
    _Repeat(pbOut, po, b, (int)n);
}

}  // namespace

// The row as runs of equal bytes: the first run and every run of two or
// more are repeats (split at 128); single bytes between them gather into
// literals, a literal closed whenever it holds 128 bytes and another single
// byte follows, or when a repeat follows. A single first byte is a repeat
// of one, so that the next single byte starts a literal of its own.
DWORD PackBitsRow(const BYTE* pbRow, DWORD cb, BYTE* pbOut)
{
    if (cb == 0)
        return 0;
    DWORD o = 0;
    DWORD i = _RunEnd(pbRow, 0, cb);
    _Repeats(pbOut, &o, pbRow[0], i);
    DWORD cLit = 0;  // single bytes waiting, ending at i
    while (i < cb) {
        // Single bytes up to the next pair of equal neighbours.
        DWORD j = _NextPair(pbRow, i, cb);
        if (j > i) {
            cLit += j - i;
            // A literal goes out when 128 are waiting and one more comes.
            while (cLit > 128) {
                _Literal(pbOut, &o, pbRow + j - cLit, 128);
                cLit -= 128;
            }
            i = j;
            if (i == cb)
                break;
        }
        if (cLit > 0) {
            _Literal(pbOut, &o, pbRow + i - cLit, (int)cLit);
            cLit = 0;
        }
        DWORD k = _RunEnd(pbRow, i, cb);
        _Repeats(pbOut, &o, pbRow[i], k - i);
        i = k;
    }
    if (cLit > 0)
        _Literal(pbOut, &o, pbRow + cb - cLit, (int)cLit);
    return o;
}

namespace {

// The writer of both depths: "mta", the head, the rows, "!>;\n", the ink
// test.
BOOL _WriteImage(PDEV* pPDev, int nBits, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride,
                 LONG x, LONG y, LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    if (!pPDev || !pbBits || cx < 0 || cy < 0 || cxDest < 0 || cyDest < 0)
        return FALSE;
    if (cx == 0 || cy == 0 || cxDest == 0 || cyDest == 0)
        return TRUE;
    LONG cbRow = nBits == 1 ? (cx + 7) / 8 : cx;
    if (lStride < cbRow)
        return FALSE;
    LONG s = pPDev->lNupScale;
    if (!bUnscaled && s > 0 && s != 10000) {
        // Text and copies never read the destination: the one-pixel guard
        // keeps an image that shrinks to nothing visible.
        LONG l = _Map(x, s, pPDev->xNupCell), t = _Map(y, s, pPDev->yNupCell);
        LONG r = _Map(x + cxDest, s, pPDev->xNupCell), b = _Map(y + cyDest, s, pPDev->yNupCell);
        if (r == l)
            r = l + 1;
        if (b == t)
            b = t + 1;
        x = l;
        y = t;
        cxDest = r - l;
        cyDest = b - t;
    }

    // The sizes the head announces must fit its operands.
    if ((unsigned long long)cbRow * (unsigned long long)cy > 0x7FFFFFFFull)
        return FALSE;
    DWORD cbRaw = (DWORD)cbRow * (DWORD)cy;
    DWORD cbCoded = 0, cbMaxRow = 0;
    for (LONG row = 0; row < cy && cbCoded < cbRaw; ++row) {
        DWORD cbRowCoded = PackBitsRow(pbBits + (size_t)row * lStride, cbRow, nullptr);
        cbCoded += cbRowCoded;
        if (cbRowCoded > cbMaxRow)
            cbMaxRow = cbRowCoded;
    }
    BOOL bCoded = cbCoded < cbRaw;
    // Every buffer is there before the first byte goes out, so that a
    // command is never left half written.
    BYTE abRow[kChunk];
    BYTE* pbRowBuf = abRow;
    if (bCoded && cbMaxRow > sizeof(abRow)) {
        pbRowBuf = new (std::nothrow) BYTE[cbMaxRow];
        if (!pbRowBuf)
            return FALSE;
    }

    int n = PdlPrintf(pPDev, "mta %d %d;\n", x, y);
    if (n >= 0 && cxDest == cx && cyDest == cy)
        n = PdlPrintf(pPDev, bCoded ? "imt %d %d %d %d %d <!" : "imm %d %d %d %d %d <!", nBits,
                      cx, cy, cbRow, bCoded ? cbCoded : cbRaw);
    else if (n >= 0)
        n = PdlPrintf(pPDev, bCoded ? "bmt %d %d %d %d %d %d %d <!" : "bmm %d %d %d %d %d %d %d <!",
                      nBits, cx, cy, cxDest, cyDest, cbRow, bCoded ? cbCoded : cbRaw);
    if (n < 0) {
        if (pbRowBuf != abRow)
            delete[] pbRowBuf;
        return FALSE;
    }

    OUTBUF ob;
    ob.pPDev = pPDev;
    ob.cb = 0;
    ob.bOk = TRUE;
    for (LONG row = 0; row < cy && ob.bOk; ++row) {
        const BYTE* pRow = pbBits + (size_t)row * lStride;
        if (bCoded)
            _Put(&ob, pbRowBuf, PackBitsRow(pRow, cbRow, pbRowBuf));
        else
            _Put(&ob, pRow, cbRow);
    }
    _Flush(&ob);
    if (pbRowBuf != abRow)
        delete[] pbRowBuf;
    BOOL bOk = ob.bOk;
    if (!bOk || PdlPrintf(pPDev, "!>;\n") < 0)
        return FALSE;
    if (nBits == 1) {
        if (!bIsWhiteImage1(pPDev, pbBits, cbRow, cy, lStride))
            MarkPageInked(pPDev);
    } else {
        for (LONG row = 0; row < cy; ++row) {
            if (!bIsWhiteImage8(pPDev, pbBits + (size_t)row * lStride, (DWORD)cbRow)) {
                MarkPageInked(pPDev);
                break;
            }
        }
    }
    return TRUE;
}

}  // namespace

BOOL WriteImage1(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                 LONG y, LONG cxDest, LONG cyDest)
{
    return WriteImage1Ex(pPDev, pbBits, cx, cy, lStride, x, y, cxDest, cyDest, FALSE);
}

BOOL WriteImage1Ex(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                   LONG y, LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    return _WriteImage(pPDev, 1, pbBits, cx, cy, lStride, x, y, cxDest, cyDest, bUnscaled);
}

// ---- driver halftoning ------------------------------------------------------------

namespace {

struct THRESHOLDS {
    BYTE ab8[8 * 8];
    BYTE ab16[16 * 16];
};

const THRESHOLDS& _Thresholds()
{
    static const THRESHOLDS s_t = [] {
        THRESHOLDS t = {};
#define PDL_ROW(r, c0, c1, c2, c3, c4, c5, c6, c7)                          \
    if ((r) >= 0 && (r) < 8) {                                              \
        const BYTE ab[8] = {c0, c1, c2, c3, c4, c5, c6, c7};                \
        memcpy(t.ab8 + (r) * 8, ab, 8);                                     \
    }
#include "pdl_threshold8.inc"
#undef PDL_ROW
#define PDL_ROW(r, c0, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12, c13, c14, c15) \
    if ((r) >= 0 && (r) < 16) {                                                         \
        const BYTE ab[16] = {c0, c1, c2,  c3,  c4,  c5,  c6,  c7,                       \
                             c8, c9, c10, c11, c12, c13, c14, c15};                     \
        memcpy(t.ab16 + (r) * 16, ab, 16);                                              \
    }
#include "pdl_threshold16.inc"
#undef PDL_ROW
        return t;
    }();
    return s_t;
}

LONG _PosMod(LONG v, LONG n)
{
    LONG m = v % n;
    return m < 0 ? m + n : m;
}

}  // namespace

const BYTE* GetThresholdMatrix(int n)
{
    if (n == 8)
        return _Thresholds().ab8;
    if (n == 16)
        return _Thresholds().ab16;
    return nullptr;
}

BOOL WriteImage8Ex(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                   LONG y, LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    if (!pPDev || !pbBits || cx < 0 || cy < 0 || cxDest < 0 || cyDest < 0 || lStride < cx)
        return FALSE;
    if (cx == 0 || cy == 0 || cxDest == 0 || cyDest == 0)
        return TRUE;
    // The printer's own halftone ("E") stays in charge when it is chosen;
    // otherwise an unscaled image is thresholded here, against its place on
    // the page so that neighbouring images join without seams.
    BYTE bDither = DmByte(pPDev, 2154);
    LONG s = pPDev->lNupScale;
    BOOL bScaled = cxDest != cx || cyDest != cy || (!bUnscaled && s > 0 && s != 10000);
    if (!bScaled && DmByte(pPDev, 2160) != 1 && (bDither == 3 || bDither == 4)) {
        int n = bDither == 3 ? 8 : 16;
        const BYTE* pm = GetThresholdMatrix(n);
        LONG cbRow = (cx + 7) / 8;
        if ((unsigned long long)cbRow * (unsigned long long)cy > 0x7FFFFFFFull)
            return FALSE;
        BYTE* pb1 = new (std::nothrow) BYTE[(size_t)cbRow * cy];
        if (!pb1)
            return FALSE;
        memset(pb1, 0, (size_t)cbRow * cy);
        // The matrix row turned once per row to start at the image's first
        // column (n is 8 or 16), so that eight pixels make one output byte
        // against eight consecutive thresholds.
        const LONG lMask = n - 1;
        const LONG col0 = _PosMod(x, n);
        BYTE abTurned[16];
        for (LONG row = 0; row < cy; ++row) {
            const BYTE* pSrc = pbBits + (size_t)row * lStride;
            const BYTE* pm_row = pm + _PosMod(y + row, n) * n;
            for (LONG k = 0; k < n; ++k)
                abTurned[k] = pm_row[(col0 + k) & lMask];
            BYTE* pDst = pb1 + (size_t)row * cbRow;
            LONG i = 0;
            for (; i + 8 <= cx; i += 8) {
                const BYTE* ps = pSrc + i;
                const BYTE* pt = abTurned + (i & lMask);
                pDst[i >> 3] = (BYTE)(((ps[0] >= pt[0]) << 7) | ((ps[1] >= pt[1]) << 6) |
                                      ((ps[2] >= pt[2]) << 5) | ((ps[3] >= pt[3]) << 4) |
                                      ((ps[4] >= pt[4]) << 3) | ((ps[5] >= pt[5]) << 2) |
                                      ((ps[6] >= pt[6]) << 1) | (ps[7] >= pt[7]));
            }
            for (; i < cx; ++i) {
                if (pSrc[i] >= abTurned[i & lMask])
                    pDst[i >> 3] |= (BYTE)(0x80u >> (i & 7));
            }
        }
        SetImageColors(pPDev, 0x000000, 0xFFFFFF);
        BOOL bOk = _WriteImage(pPDev, 1, pb1, cx, cy, cbRow, x, y, cxDest, cyDest, TRUE);
        delete[] pb1;
        return bOk;
    }
    return _WriteImage(pPDev, 8, pbBits, cx, cy, lStride, x, y, cxDest, cyDest, bUnscaled);
}

BOOL WriteImage8(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                 LONG y, LONG cxDest, LONG cyDest)
{
    return WriteImage8Ex(pPDev, pbBits, cx, cy, lStride, x, y, cxDest, cyDest, FALSE);
}
