// xrimage.cpp: the 1-bit image writer of the ORDEX back end and its
// run-length coder.
//
// Entry points: WriteImage1, WriteImage1Ex, PackBitsRow. The blits that
// convert source bitmaps into these images belong to the image bodies; the
// text output writes its glyph images here.
//
// Image data: 1 bits in the first "bri" colour, 0 bits in the second; rows
// of (width + 7) / 8 bytes, most significant bit leftmost, top row first.
// Each row is coded by itself; the coded form is used only when the whole
// image gets smaller by it.
#include "pdl/xgcmn/ordexnt/xrtext.h"

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

DWORD PackBitsRow(const BYTE* pbRow, DWORD cb, BYTE* pbOut)
{
    if (cb == 0)
        return 0;
    DWORD o = 0;
    int L = 0, R = 0;
    BYTE prev = pbRow[0];
    for (DWORD i = 0; i < cb; ++i) {
        BYTE b = pbRow[i];
        if (b == prev) {
            if (L > 0) {
                // The last pending byte joins the repeat that starts here.
                if (L > 1)
                    _Literal(pbOut, &o, pbRow + i - L, L - 1);
                R = 1;
                L = 0;
            }
            if (R == 128) {
                _Repeat(pbOut, &o, prev, 128);
                R = 0;
            }
            ++R;
        } else {
            if (R > 0) {
                _Repeat(pbOut, &o, prev, R);
                R = 0;
            }
            if (L == 128) {
                _Literal(pbOut, &o, pbRow + i - 128, 128);
                L = 0;
            }
            ++L;
        }
        prev = b;
    }
    if (R > 0)
        _Repeat(pbOut, &o, prev, R);
    else if (L > 0)
        _Literal(pbOut, &o, pbRow + cb - L, L);
    return o;
}

BOOL WriteImage1Ex(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                   LONG y, LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    if (!pPDev || !pbBits || cx < 0 || cy < 0 || cxDest < 0 || cyDest < 0)
        return FALSE;
    if (cx == 0 || cy == 0 || cxDest == 0 || cyDest == 0)
        return TRUE;
    LONG cbRow = (cx + 7) / 8;
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
        n = PdlPrintf(pPDev, bCoded ? "imt 1 %d %d %d %d <!" : "imm 1 %d %d %d %d <!", cx, cy,
                      cbRow, bCoded ? cbCoded : cbRaw);
    else if (n >= 0)
        n = PdlPrintf(pPDev, bCoded ? "bmt 1 %d %d %d %d %d %d <!" : "bmm 1 %d %d %d %d %d %d <!",
                      cx, cy, cxDest, cyDest, cbRow, bCoded ? cbCoded : cbRaw);
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
    if (!bIsWhiteImage1(pPDev, pbBits, cbRow, cy, lStride))
        MarkPageInked(pPDev);
    return TRUE;
}

BOOL WriteImage1(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                 LONG y, LONG cxDest, LONG cyDest)
{
    return WriteImage1Ex(pPDev, pbBits, cx, cy, lStride, x, y, cxDest, cyDest, FALSE);
}
