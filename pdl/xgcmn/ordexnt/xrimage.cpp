// xrimage.cpp: the image writers of the ORDEX back end and their
// run-length coder, and the driver halftoning of 8-bit images.
//
// Entry points: WriteImage1, WriteImage1Ex, WriteImage1Rows, WriteImage8,
// WriteImage8Ex, WriteImage8Rows, PackBitsRow, GetThresholdMatrix. The
// blits that convert source bitmaps into these images, row by row, are in
// xrblit.cpp; the text output writes its glyph images here. Rows are made,
// halftoned and coded one at a time; what is kept of an image between the
// counting pass and the output is its coded rows and its halftoned rows,
// up to 8 MB each.
//
// Image data: 1-bit rows of (width + 7) / 8 bytes, 1 bits in the first
// "bri" colour, 0 bits in the second, most significant bit leftmost; 8-bit
// rows of width density bytes. Top row first. Each row is coded by itself;
// the coded form is used only when the whole image gets smaller by it.
#include "pdl/xgcmn/ordexnt/xrimage.h"

#include <cstdint>
#include <cstring>
#include <new>

#include <emmintrin.h>

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

// The end of the run of equal bytes pb[i] == pb[i + 1] that starts at i:
// short runs byte by byte, longer ones a word at a time.
inline DWORD _RunEnd(const BYTE* pb, DWORD i, DWORD cb)
{
    const BYTE b = pb[i];
    DWORD j = i + 2;
    if (j >= cb || pb[j] != b)
        return j;
    ++j;
    const __m128i vAll = _mm_set1_epi8((char)b);
    for (; j + 16 <= cb; j += 16) {
        unsigned m = (unsigned)_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + j)), vAll));
        if (m != 0xFFFFu)
            return j + (DWORD)__builtin_ctz(~m);
    }
    const DWORD dwAll = b * 0x01010101u;
    for (; j + 4 <= cb; j += 4) {
        DWORD x = _Load32(pb + j) ^ dwAll;
        if (x)
            return j + _FirstFlagged(x);
    }
    while (j < cb && pb[j] == b)
        ++j;
    return j;
}

// The first j >= i with pb[j] == pb[j + 1], or cb when no two neighbours
// from i on are equal.
inline DWORD _NextPair(const BYTE* pb, DWORD i, DWORD cb)
{
    DWORD j = i;
    for (; j + 17 <= cb; j += 16) {
        // Byte k of the compare is set where pb[j + k] == pb[j + k + 1].
        unsigned m = (unsigned)_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + j)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + j + 1))));
        if (m)
            return j + (DWORD)__builtin_ctz(m);
    }
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

// The coder, writing (kWrite) or only counting.
template <bool kWrite>
struct PACKER {
    BYTE* pbOut;
    DWORD o;

    // A run of n equal bytes as repeats of at most 128.
    void Repeats(BYTE b, DWORD n)
    {
        for (; n > 128; n -= 128)
            Put2((BYTE)(1 - 128), b);
        Put2(n == 1 ? 0 : (BYTE)(1 - n), b);
    }
    void Put2(BYTE bHead, BYTE b)
    {
        if (kWrite) {
            pbOut[o] = bHead;
            pbOut[o + 1] = b;
        }
        o += 2;
    }
    void Literal(const BYTE* pb, DWORD n)
    {
        if (kWrite) {
            BYTE* p = pbOut + o;
            p[0] = (BYTE)(n - 1);
            if (n <= 8) {
                for (DWORD k = 0; k < n; ++k)
                    p[1 + k] = pb[k];
            } else {
                memcpy(p + 1, pb, n);
            }
        }
        o += 1 + n;
    }

    DWORD Pack(const BYTE* pbRow, DWORD cb)
    {
        DWORD i = cb > 1 && pbRow[1] == pbRow[0] ? _RunEnd(pbRow, 0, cb) : 1;
        Repeats(pbRow[0], i);
        DWORD cLit = 0;  // single bytes waiting, ending at i
        while (i < cb) {
            if (i + 1 >= cb || pbRow[i] != pbRow[i + 1]) {
                // Single bytes up to the next pair of equal neighbours.
                DWORD j = _NextPair(pbRow, i + 1, cb);
                cLit += j - i;
                // A literal goes out when 128 are waiting and one more comes.
                while (cLit > 128) {
                    Literal(pbRow + j - cLit, 128);
                    cLit -= 128;
                }
                i = j;
                if (i == cb)
                    break;
            }
            if (cLit > 0) {
                Literal(pbRow + i - cLit, cLit);
                cLit = 0;
            }
            DWORD k = _RunEnd(pbRow, i, cb);
            Repeats(pbRow[i], k - i);
            i = k;
        }
        if (cLit > 0)
            Literal(pbRow + cb - cLit, cLit);
        return o;
    }
};

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
    if (pbOut) {
        PACKER<true> pk = {pbOut, 0};
        return pk.Pack(pbRow, cb);
    }
    PACKER<false> pk = {nullptr, 0};
    return pk.Pack(pbRow, cb);
}

namespace {

// Coded rows kept from the counting pass, and rows that are costly to make,
// up to this many bytes each: the rows of a page-size 1-bit image fit.
const DWORD kKeepMax = 8u << 20;

// Rows of an image held in memory, every lStride bytes.
struct MEMROWS {
    const BYTE* pbBits;
    LONG lStride;
};

const BYTE* _MemRow(const IMAGEROWS* pir, LONG iRow)
{
    const MEMROWS* pm = static_cast<const MEMROWS*>(pir->pvSource);
    return pm->pbBits + (ptrdiff_t)iRow * pm->lStride;
}

// The bytes of the rows seen so far for the ink test: all 0x00, all 0xFF.
struct INKSCAN {
    BOOL bAll00, bAllFF;
};

void _ScanInk(INKSCAN* pis, const BYTE* pb, LONG cb)
{
    if (!pis->bAll00 && !pis->bAllFF)
        return;
    DWORD dwOr = 0, dwAnd = 0xFFFFFFFFu;
    LONG i = 0;
    for (; i + 4 <= cb; i += 4) {
        DWORD w = _Load32(pb + i);
        dwOr |= w;
        dwAnd &= w;
    }
    for (; i < cb; ++i) {
        dwOr |= pb[i];
        dwAnd &= 0xFFFFFF00u | pb[i];
    }
    if (dwOr)
        pis->bAll00 = FALSE;
    if (dwAnd != 0xFFFFFFFFu)
        pis->bAllFF = FALSE;
}

// Rows of at least this many bytes are compared with the rows made before.
const LONG kSameRowMin = 64;

// The last distinct rows of an image are kept with their code: rows repeat
// next to each other (blank rows, an image enlarged by repeating its rows)
// and a few rows apart (the flat areas of a halftone repeat with its
// matrix, 8 or 16 rows; a pattern with its own period). Up to this many,
// and this many bytes of them.
const LONG kRecentRows = 16;
const LONG kRecentBytes = 256 * 1024;

// A row's hash, only ever compared with the hashes of the rows kept: the
// sums of its 32-bit words in four lanes, and the sums of those sums, so
// that the order of the words counts.
DWORD _HashRow(const BYTE* pb, LONG cb)
{
    __m128i vSum = _mm_setzero_si128(), vSumSum = _mm_setzero_si128();
    LONG i = 0;
    for (; i + 16 <= cb; i += 16) {
        vSum = _mm_add_epi32(vSum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i)));
        vSumSum = _mm_add_epi32(vSumSum, vSum);
    }
    __m128i v = _mm_xor_si128(vSum, _mm_shuffle_epi32(vSumSum, 0x39));
    v = _mm_xor_si128(v, _mm_srli_si128(v, 8));
    v = _mm_xor_si128(v, _mm_srli_si128(v, 4));
    DWORD h = (DWORD)_mm_cvtsi128_si32(v) * 0x01000193u;
    for (; i < cb; ++i)
        h = (h ^ pb[i]) * 0x01000193u;
    return h;
}

// One row kept: its bytes, its hash, and its code (where it lies in the
// kept code while that is kept, and its length).
struct RECENTROW {
    DWORD dwHash;
    DWORD ibCode;
    DWORD cbCode;
    BYTE* pbRow;
};

struct RECENTROWS {
    RECENTROW aRows[kRecentRows];
    LONG cSlots;  // rows that can be kept (0: none)
    LONG cUsed;
    LONG iNext;   // the slot the next row takes, the oldest when all are used
    LONG iLast;   // the slot of the last row made

    // The last row made when pb (cb bytes) is the same, or null: the row
    // most often repeated, found without a hash.
    const RECENTROW* FindLast(const BYTE* pb, LONG cb) const
    {
        if (cUsed && memcmp(aRows[iLast].pbRow, pb, (size_t)cb) == 0)
            return &aRows[iLast];
        return nullptr;
    }
    // The kept row equal to pb (cb bytes, hash h), or null; the latest first.
    const RECENTROW* Find(const BYTE* pb, LONG cb, DWORD h) const
    {
        for (LONG n = 0, k = iLast; n < cUsed; ++n, k = k == 0 ? cUsed - 1 : k - 1)
            if (aRows[k].dwHash == h && memcmp(aRows[k].pbRow, pb, (size_t)cb) == 0)
                return &aRows[k];
        return nullptr;
    }
    void Add(const BYTE* pb, LONG cb, DWORD h, DWORD ibCode, DWORD cbCode)
    {
        RECENTROW& r = aRows[iNext];
        memcpy(r.pbRow, pb, (size_t)cb);
        r.dwHash = h;
        r.ibCode = ibCode;
        r.cbCode = cbCode;
        iLast = iNext;
        iNext = iNext + 1 == cSlots ? 0 : iNext + 1;
        if (cUsed < cSlots)
            ++cUsed;
    }
    void Hit(const RECENTROW* p) { iLast = (LONG)(p - aRows); }
};

// The buffers of one image, all there before its first byte goes out.
struct WRITEBUFS {
    BYTE abCode[kChunk];
    BYTE* pbCode;      // one coded row (abCode when it fits)
    BYTE* pbMapped;    // one row through the density table
    BYTE* pbKeep;      // the coded rows of the counting pass
    DWORD cbKeep;
    BYTE* pbSpare;     // a costly row whose code did not fit pbKeep
    BYTE* pbUnpacked;  // a kept row unpacked again for the raw output
    BYTE* pbRecent;    // the bytes of the recent rows (abRecent when they fit)
    RECENTROWS recent;
    BYTE abRecent[2048];
    WRITEBUFS()
        : pbCode(abCode), pbMapped(nullptr), pbKeep(nullptr), cbKeep(0), pbSpare(nullptr),
          pbUnpacked(nullptr), pbRecent(nullptr)
    {
        recent.cSlots = recent.cUsed = recent.iNext = recent.iLast = 0;
    }
    ~WRITEBUFS()
    {
        if (pbCode != abCode)
            delete[] pbCode;
        delete[] pbMapped;
        delete[] pbKeep;
        delete[] pbSpare;
        delete[] pbUnpacked;
        if (pbRecent != abRecent)
            delete[] pbRecent;
    }
};

// One row of cbRow bytes from its code at pb (as PackBitsRow wrote it);
// the length of the code.
DWORD _UnpackRow(const BYTE* pb, DWORD cbRow, BYTE* pOut)
{
    DWORD i = 0, o = 0;
    while (o < cbRow) {
        BYTE bHead = pb[i++];
        if (bHead < 128) {
            DWORD n = bHead + 1u;
            memcpy(pOut + o, pb + i, n);
            i += n;
            o += n;
        } else {
            DWORD n = 257u - bHead;
            memset(pOut + o, pb[i++], n);
            o += n;
        }
    }
    return i;
}

// Row iRow of the image, 8-bit rows through their density table.
const BYTE* _GetRow(const IMAGEROWS* pir, LONG iRow, LONG cbRow, BYTE* pbMapped)
{
    const BYTE* pb = pir->pfnRow(pir, iRow);
    if (!pbMapped)
        return pb;
    const BYTE* pLut = pir->pbLut;
    for (LONG i = 0; i < cbRow; ++i)
        pbMapped[i] = pLut[pb[i]];
    return pbMapped;
}

// The writer of both depths: "mta", the head, the rows, "!>;\n", the ink
// test. The rows are made once while the coded size is counted; the coded
// rows are kept then (and costly rows as they are), so that the data goes
// out without making or coding them again.
BOOL _WriteImage(PDEV* pPDev, int nBits, const IMAGEROWS* pir, LONG cx, LONG cy, LONG x, LONG y,
                 LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    if (!pPDev || !pir || !pir->pfnRow || cx < 0 || cy < 0 || cxDest < 0 || cyDest < 0)
        return FALSE;
    if (cx == 0 || cy == 0 || cxDest == 0 || cyDest == 0)
        return TRUE;
    LONG cbRow = nBits == 1 ? (cx + 7) / 8 : cx;
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
    // A coded row is never more than twice as long as the row.
    unsigned long long cbCodeRow = 2ull * (unsigned long long)cbRow + 2;
    WRITEBUFS wb;
    if (cbCodeRow > sizeof(wb.abCode)) {
        wb.pbCode = cbCodeRow <= 0x7FFFFFFFull ? new (std::nothrow) BYTE[(size_t)cbCodeRow]
                                               : nullptr;
        if (!wb.pbCode) {
            wb.pbCode = wb.abCode;
            return FALSE;
        }
    }
    if (nBits == 8 && pir->pbLut) {
        wb.pbMapped = new (std::nothrow) BYTE[(size_t)cbRow];
        if (!wb.pbMapped)
            return FALSE;
    }
    // Without room to keep them the rows are simply made and coded again.
    wb.cbKeep = cbRaw < kKeepMax ? cbRaw : kKeepMax;
    wb.pbKeep = new (std::nothrow) BYTE[wb.cbKeep];
    if (!wb.pbKeep)
        wb.cbKeep = 0;
    // Rows that are costly to make are not made twice: the kept code holds
    // them until it overflows, and as the keep is as large as the rows
    // themselves (when they fit kKeepMax), the row it overflows on is the
    // last one the counting makes; that one row is kept by itself.
    if (pir->bCostly && cbRaw <= kKeepMax && wb.pbKeep)
        wb.pbSpare = new (std::nothrow) BYTE[(size_t)cbRow];

    // A row the same as one of the last rows made codes the same, and is
    // coded once. Short rows (glyphs) are coded faster than they are
    // compared.
    if (cbRow >= kSameRowMin) {
        LONG cSlots = cy < kRecentRows ? cy : kRecentRows;
        if ((long long)cSlots * cbRow > kRecentBytes)
            cSlots = 1;
        size_t cbSlots = (size_t)cSlots * (size_t)cbRow;
        wb.pbRecent = cbSlots <= sizeof(wb.abRecent) ? wb.abRecent : new (std::nothrow) BYTE[cbSlots];
        if (wb.pbRecent) {
            wb.recent.cSlots = cSlots;
            for (LONG k = 0; k < cSlots; ++k)
                wb.recent.aRows[k].pbRow = wb.pbRecent + (size_t)k * (size_t)cbRow;
        }
    }

    INKSCAN ink = {TRUE, TRUE};
    unsigned long long cbCoded = 0;
    BOOL bKept = wb.pbKeep != nullptr;
    LONG rowOverflow = -1;      // the row whose code did not fit pbKeep
    DWORD cbKeptCode = 0;       // the code in pbKeep before it
    LONG cMade = 0;
    for (; cMade < cy && cbCoded < cbRaw; ++cMade) {
        const BYTE* pRow = _GetRow(pir, cMade, cbRow, wb.pbMapped);
        _ScanInk(&ink, pRow, cbRow);
        // A row seen before: while the code is kept, its code lies in it.
        const RECENTROW* pSame = nullptr;
        DWORD dwHash = 0;
        if (wb.recent.cSlots && !(pSame = wb.recent.FindLast(pRow, cbRow))) {
            dwHash = _HashRow(pRow, cbRow);
            pSame = wb.recent.Find(pRow, cbRow, dwHash);
        }
        DWORD cbRowCoded;
        if (bKept && wb.cbKeep - cbCoded >= cbCodeRow) {
            if (pSame) {
                memcpy(wb.pbKeep + cbCoded, wb.pbKeep + pSame->ibCode, pSame->cbCode);
                cbRowCoded = pSame->cbCode;
            } else {
                cbRowCoded = PackBitsRow(pRow, (DWORD)cbRow, wb.pbKeep + cbCoded);
            }
        } else if (bKept) {
            const BYTE* pbCode = pSame ? wb.pbKeep + pSame->ibCode : nullptr;
            if (pSame) {
                cbRowCoded = pSame->cbCode;
            } else {
                cbRowCoded = PackBitsRow(pRow, (DWORD)cbRow, wb.pbCode);
                pbCode = wb.pbCode;
            }
            if (cbRowCoded <= wb.cbKeep - cbCoded) {
                memcpy(wb.pbKeep + cbCoded, pbCode, cbRowCoded);
            } else {
                bKept = FALSE;
                rowOverflow = cMade;
                cbKeptCode = (DWORD)cbCoded;
                if (wb.pbSpare)
                    memcpy(wb.pbSpare, pRow, (size_t)cbRow);
            }
        } else {
            cbRowCoded = pSame ? pSame->cbCode : PackBitsRow(pRow, (DWORD)cbRow, nullptr);
        }
        // The code's place is used only while the code is kept, and a row
        // coded then lies in it.
        if (pSame)
            wb.recent.Hit(pSame);
        else if (wb.recent.cSlots)
            wb.recent.Add(pRow, cbRow, dwHash, (DWORD)cbCoded, cbRowCoded);
        cbCoded += cbRowCoded;
    }
    // The rows whose code lies in pbKeep, and the row in pbSpare.
    LONG cRowsKept = 0;
    if (bKept) {
        cRowsKept = cMade;
        cbKeptCode = (DWORD)cbCoded;
    } else if (rowOverflow >= 0) {
        cRowsKept = rowOverflow;
    }
    const LONG iSpare = wb.pbSpare ? rowOverflow : -1;
    BOOL bCoded = cbCoded < cbRaw;
    // The raw output unpacks the kept rows again rather than making them.
    if (!bCoded && cRowsKept > 0 && pir->bCostly)
        wb.pbUnpacked = new (std::nothrow) BYTE[(size_t)cbRow];

    int n = PdlPrintf(pPDev, "mta %d %d;\n", x, y);
    if (n >= 0 && cxDest == cx && cyDest == cy)
        n = PdlPrintf(pPDev, bCoded ? "imt %d %d %d %d %d <!" : "imm %d %d %d %d %d <!", nBits,
                      cx, cy, cbRow, bCoded ? (DWORD)cbCoded : cbRaw);
    else if (n >= 0)
        n = PdlPrintf(pPDev, bCoded ? "bmt %d %d %d %d %d %d %d <!" : "bmm %d %d %d %d %d %d %d <!",
                      nBits, cx, cy, cxDest, cyDest, cbRow, bCoded ? (DWORD)cbCoded : cbRaw);
    if (n < 0)
        return FALSE;

    OUTBUF ob;
    ob.pPDev = pPDev;
    ob.cb = 0;
    ob.bOk = TRUE;
    if (bCoded && bKept) {
        // The kept rows go to the stream as they lie, without a copy.
        ob.bOk = WriteStream(pPDev, wb.pbKeep, (DWORD)cbCoded);
    } else {
        LONG row = 0;
        DWORD ibKeep = 0;  // the next kept row's code
        if (bCoded && cRowsKept > 0) {
            // The rows that were kept coded go out as they are.
            _Put(&ob, wb.pbKeep, cbKeptCode);
            row = cRowsKept;
        }
        for (; row < cy && ob.bOk; ++row) {
            const BYTE* pRow;
            if (row < cRowsKept && wb.pbUnpacked) {
                ibKeep += _UnpackRow(wb.pbKeep + ibKeep, (DWORD)cbRow, wb.pbUnpacked);
                pRow = wb.pbUnpacked;
            } else if (row == iSpare) {
                pRow = wb.pbSpare;
            } else {
                pRow = _GetRow(pir, row, cbRow, wb.pbMapped);
                if (row >= cMade)
                    _ScanInk(&ink, pRow, cbRow);
            }
            if (bCoded)
                _Put(&ob, wb.pbCode, PackBitsRow(pRow, (DWORD)cbRow, wb.pbCode));
            else
                _Put(&ob, pRow, (DWORD)cbRow);
        }
    }
    _Flush(&ob);
    if (!ob.bOk || PdlPrintf(pPDev, "!>;\n") < 0)
        return FALSE;
    // The ink test sees a row standing for the whole image: all 0x00, all
    // 0xFF, or both kinds of byte.
    static const BYTE abMixed[2] = {0x00, 0xFF};
    if (nBits == 1) {
        const BYTE* pb = ink.bAllFF ? abMixed + 1 : abMixed;
        LONG cb = ink.bAll00 || ink.bAllFF ? 1 : 2;
        if (!bIsWhiteImage1(pPDev, pb, cb, 1, cb))
            MarkPageInked(pPDev);
    } else if (!bIsWhiteImage8(pPDev, ink.bAll00 ? abMixed : abMixed + 1, 1)) {
        MarkPageInked(pPDev);
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
    if (!pPDev || !pbBits || cx < 0 || cy < 0 || cxDest < 0 || cyDest < 0)
        return FALSE;
    if (cx == 0 || cy == 0 || cxDest == 0 || cyDest == 0)
        return TRUE;
    if (lStride < (cx + 7) / 8)
        return FALSE;
    MEMROWS mr = {pbBits, lStride};
    IMAGEROWS ir = {_MemRow, &mr, nullptr, FALSE};
    return _WriteImage(pPDev, 1, &ir, cx, cy, x, y, cxDest, cyDest, bUnscaled);
}

BOOL WriteImage1Rows(PDEV* pPDev, const IMAGEROWS* pir, LONG cx, LONG cy, LONG x, LONG y,
                     LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    return _WriteImage(pPDev, 1, pir, cx, cy, x, y, cxDest, cyDest, bUnscaled);
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

namespace {

// Images smaller than this are thresholded pixel by pixel; larger ones
// through tables of the bits each density gives in each column of the
// matrix, made once per image.
const LONG kTablePixels = 1L << 16;

// The driver halftoning as a maker of 1-bit rows from the 8-bit rows of an
// image placed at (x, y) on the page.
struct THRESHOLDROWS {
    const IMAGEROWS* pirSrc;
    LONG cx, x, y;
    int n;
    const BYTE* pm;     // the matrix
    BYTE* pbTables;     // n x n x 256 bit tables, or null
    BYTE* pbRow;        // the 1-bit row
    // With a density table that only rises (or only falls) with the value,
    // as a grey palette's does, a pixel takes ink in column k of matrix row
    // r exactly when its value is at least (at most) abCut[r][k], and
    // abCan[r][k] is 0xFF (never otherwise): sixteen pixels are then
    // compared at once. iOrder is 1 (rising), -1 (falling) or 0 (neither:
    // the bit tables are used).
    int iOrder;
    BYTE abCut[16][16];
    BYTE abCan[16][16];
    // The previous row's source: the rows of a bitmap lie a stride apart,
    // so the next row is fetched while this one is compared.
    const BYTE* pbPrevSrc;
};

// Bytes with their bits in the opposite order: the compare gives the first
// pixel in the lowest bit, the row wants it in the highest.
struct BITREVERSE {
    BYTE ab[256];
};

constexpr BITREVERSE _MakeBitReverse()
{
    BITREVERSE r = {};
    for (int v = 0; v < 256; ++v) {
        int b = 0;
        for (int k = 0; k < 8; ++k)
            if (v & (1 << k))
                b |= 0x80 >> k;
        r.ab[v] = (BYTE)b;
    }
    return r;
}

constexpr BITREVERSE kBitReverse = _MakeBitReverse();

// Fills iOrder, abCut and abCan of tr for the density table pbLut (null:
// the value is the density).
void _SetCuts(THRESHOLDROWS* pt, const BYTE* pbLut)
{
    BOOL bRising = TRUE, bFalling = TRUE;
    if (pbLut)
        for (int v = 1; v < 256; ++v) {
            if (pbLut[v] < pbLut[v - 1])
                bRising = FALSE;
            if (pbLut[v] > pbLut[v - 1])
                bFalling = FALSE;
        }
    pt->iOrder = bRising ? 1 : bFalling ? -1 : 0;
    if (pt->iOrder == 0)
        return;
    const int n = pt->n;
    const LONG col0 = _PosMod(pt->x, n);
    for (int r = 0; r < n; ++r)
        for (int k = 0; k < 16; ++k) {
            BYTE t = pt->pm[r * n + ((col0 + k) & (n - 1))];
            // The values that reach t: from the first up when rising, from
            // 0 to the last when falling.
            int iFirst = -1, iLast = -1;
            for (int v = 0; v < 256; ++v)
                if ((pbLut ? pbLut[v] : v) >= t) {
                    if (iFirst < 0)
                        iFirst = v;
                    iLast = v;
                }
            pt->abCan[r][k] = iFirst >= 0 ? 0xFF : 0x00;
            pt->abCut[r][k] = (BYTE)(iFirst < 0 ? 0 : pt->iOrder > 0 ? iFirst : iLast);
        }
}

const BYTE* _ThresholdRow(const IMAGEROWS* pir, LONG iRow)
{
    THRESHOLDROWS* pt = static_cast<THRESHOLDROWS*>(pir->pvSource);
    const BYTE* pSrc = pt->pirSrc->pfnRow(pt->pirSrc, iRow);
    // Where the next row should lie; only ever prefetched, never read.
    const uintptr_t uNext = pt->pbPrevSrc ? (uintptr_t)pSrc + ((uintptr_t)pSrc - (uintptr_t)pt->pbPrevSrc) : 0;
    pt->pbPrevSrc = pSrc;
    const BYTE* pLut = pt->pirSrc->pbLut;
    const LONG n = pt->n, lMask = n - 1, cx = pt->cx;
    const LONG col0 = _PosMod(pt->x, n);
    const LONG r = _PosMod(pt->y + iRow, n);
    BYTE* pDst = pt->pbRow;
    LONG i = 0;
    if (pt->pbTables) {
        // Table k of this matrix row holds, for each density, the bit it
        // gives in column k of the row turned to start at the image's left.
        const BYTE* pTab = pt->pbTables + (size_t)r * n * 256;
        if (pt->iOrder != 0) {
            // Sixteen pixels at a time; a chunk starts on a multiple of 16,
            // so column k of every chunk has the same threshold.
            const __m128i vCut = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pt->abCut[r]));
            const __m128i vCan = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pt->abCan[r]));
            const BOOL bRising = pt->iOrder > 0;
            for (; i + 16 <= cx; i += 16) {
                if (uNext && (i & 63) == 0)
                    _mm_prefetch(reinterpret_cast<const char*>(uNext + (uintptr_t)i), _MM_HINT_T0);
                __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pSrc + i));
                __m128i vBound = bRising ? _mm_max_epu8(v, vCut) : _mm_min_epu8(v, vCut);
                __m128i vInk = _mm_and_si128(_mm_cmpeq_epi8(vBound, v), vCan);
                unsigned m = (unsigned)_mm_movemask_epi8(vInk);
                pDst[i >> 3] = kBitReverse.ab[m & 0xFF];
                pDst[(i >> 3) + 1] = kBitReverse.ab[m >> 8];
            }
        }
        for (; i + 8 <= cx; i += 8) {
            const BYTE* ps = pSrc + i;
            const BYTE* t = pTab + (size_t)(i & lMask) * 256;
            pDst[i >> 3] = (BYTE)(t[ps[0]] | t[256 + ps[1]] | t[512 + ps[2]] | t[768 + ps[3]] |
                                  t[1024 + ps[4]] | t[1280 + ps[5]] | t[1536 + ps[6]] |
                                  t[1792 + ps[7]]);
        }
    } else {
        const BYTE* pm_row = pt->pm + r * n;
        BYTE abTurned[16];
        for (LONG k = 0; k < n; ++k)
            abTurned[k] = pm_row[(col0 + k) & lMask];
        for (; i + 8 <= cx; i += 8) {
            BYTE ab[8];
            for (int k = 0; k < 8; ++k)
                ab[k] = pLut ? pLut[pSrc[i + k]] : pSrc[i + k];
            const BYTE* pt8 = abTurned + (i & lMask);
            pDst[i >> 3] = (BYTE)(((ab[0] >= pt8[0]) << 7) | ((ab[1] >= pt8[1]) << 6) |
                                  ((ab[2] >= pt8[2]) << 5) | ((ab[3] >= pt8[3]) << 4) |
                                  ((ab[4] >= pt8[4]) << 3) | ((ab[5] >= pt8[5]) << 2) |
                                  ((ab[6] >= pt8[6]) << 1) | (ab[7] >= pt8[7]));
        }
    }
    if (i < cx) {
        // The last pixels, the rest of their byte clear.
        const BYTE* pm_row = pt->pm + r * n;
        BYTE b = 0;
        for (; i < cx; ++i) {
            BYTE d = pLut ? pLut[pSrc[i]] : pSrc[i];
            if (d >= pm_row[(col0 + i) & lMask])
                b |= (BYTE)(0x80u >> (i & 7));
        }
        pDst[(cx - 1) >> 3] = b;
    }
    return pDst;
}

}  // namespace

BOOL WriteImage8Rows(PDEV* pPDev, const IMAGEROWS* pir, LONG cx, LONG cy, LONG x, LONG y,
                     LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    if (!pPDev || !pir || !pir->pfnRow || cx < 0 || cy < 0 || cxDest < 0 || cyDest < 0)
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
        LONG cbRow = (cx + 7) / 8;
        if ((unsigned long long)cbRow * (unsigned long long)cy > 0x7FFFFFFFull)
            return FALSE;
        THRESHOLDROWS tr = {pir, cx, x, y, n, GetThresholdMatrix(n), nullptr, nullptr, 0, {}, {}, nullptr};
        tr.pbRow = new (std::nothrow) BYTE[(size_t)cbRow];
        if (!tr.pbRow)
            return FALSE;
        if ((long long)cx * cy >= kTablePixels)
            tr.pbTables = new (std::nothrow) BYTE[(size_t)n * n * 256];
        if (tr.pbTables) {
            _SetCuts(&tr, pir->pbLut);
            const LONG col0 = _PosMod(x, n);
            for (int r = 0; r < n; ++r)
                for (int k = 0; k < n; ++k) {
                    BYTE t = tr.pm[r * n + ((col0 + k) & (n - 1))];
                    BYTE bit = (BYTE)(0x80u >> (k & 7));
                    BYTE* pTab = tr.pbTables + ((size_t)r * n + k) * 256;
                    for (int v = 0; v < 256; ++v) {
                        BYTE d = pir->pbLut ? pir->pbLut[v] : (BYTE)v;
                        pTab[v] = d >= t ? bit : 0;
                    }
                }
        }
        SetImageColors(pPDev, 0x000000, 0xFFFFFF);
        IMAGEROWS ir = {_ThresholdRow, &tr, nullptr, TRUE};
        BOOL bOk = _WriteImage(pPDev, 1, &ir, cx, cy, x, y, cxDest, cyDest, TRUE);
        delete[] tr.pbTables;
        delete[] tr.pbRow;
        return bOk;
    }
    return _WriteImage(pPDev, 8, pir, cx, cy, x, y, cxDest, cyDest, bUnscaled);
}

BOOL WriteImage8Ex(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                   LONG y, LONG cxDest, LONG cyDest, BOOL bUnscaled)
{
    if (!pPDev || !pbBits || cx < 0 || cy < 0 || cxDest < 0 || cyDest < 0 || lStride < cx)
        return FALSE;
    MEMROWS mr = {pbBits, lStride};
    IMAGEROWS ir = {_MemRow, &mr, nullptr, FALSE};
    return WriteImage8Rows(pPDev, &ir, cx, cy, x, y, cxDest, cyDest, bUnscaled);
}

BOOL WriteImage8(PDEV* pPDev, const BYTE* pbBits, LONG cx, LONG cy, LONG lStride, LONG x,
                 LONG y, LONG cxDest, LONG cyDest)
{
    return WriteImage8Ex(pPDev, pbBits, cx, cy, lStride, x, y, cxDest, cyDest, FALSE);
}
