// xrsegment.cpp: the recorded-segment store. The user-interface library
// draws each tab text once while recording is on; the bytes collect in a
// 307200-byte store, are committed as part 1 or part 2 of an index entry,
// and are played back raw wherever a sheet asks for that key.
//
// Entry points: BeginSegmentRecord, EndSegmentRecord, AppendSegmentData,
// StoreRecordedSegment, FindSegment, bHasSegment, ReplaySegment,
// ReleaseSegments. The store and the index are created by the escape that
// sets the entry count (escape.cpp), which always makes room for the
// largest count.
//
// Facts the code relies on:
//  1. A recording that did not fit is not kept at all: a part cut in the
//     middle of a command would corrupt every page it is played on. The
//     store's length is set past its size to say so until the part is
//     committed (which then stores nothing) or the store is released.
//  2. Only entries below both the count and the index's capacity are read
//     or written.
//  3. Release frees the side record's rows of the store and the index
//     (whatever the slots say) and clears them with every slot and count, so
//     a second release (escape, then job end) finds nothing to free.
#include "pdl/xgcmn/ordexnt/xrspecial.h"

#include <cstring>

#include "platform/windows.h"

namespace {

SEGMENTSTATE* _State(PDEV* pPDev)
{
    return reinterpret_cast<SEGMENTSTATE*>(PdlWork(pPDev)->aReplay);
}

LONG _Entries(const SEGMENTSTATE* ps)
{
    LONG n = ps->cEntries;
    if (n < 0) {
        return 0;
    }
    return n > ESC_SEGMENT_MAX ? ESC_SEGMENT_MAX : n;
}

void _FreeBlock(void* pv)
{
    HGLOBAL h = pv != nullptr ? GlobalHandle(pv) : nullptr;
    if (h != nullptr) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

BYTE* _AllocBlock(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb != 0 ? cb : 1);
    if (h == nullptr) {
        return nullptr;
    }
    BYTE* pb = static_cast<BYTE*>(GlobalLock(h));
    if (pb == nullptr) {
        GlobalFree(h);
    }
    return pb;
}

constexpr LONG kOverflowed = ESC_SEGMENT_STORE_SIZE + 1;

}  // namespace

void BeginSegmentRecord(PDEV* pPDev)
{
    PdlWork(pPDev)->bRecording = 1;
}

void EndSegmentRecord(PDEV* pPDev)
{
    PdlWork(pPDev)->bRecording = 0;
}

BOOL AppendSegmentData(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    SEGMENTSTATE* ps = _State(pPDev);
    BYTE* pbStore = SegmentStore(pPDev, *ps);
    if (pbStore == nullptr || SegmentIndex(pPDev, *ps) == nullptr || ps->cbStore < 0 ||
        ps->cbStore > ESC_SEGMENT_STORE_SIZE) {
        return FALSE;
    }
    if (cb > static_cast<DWORD>(ESC_SEGMENT_STORE_SIZE - ps->cbStore)) {
        ps->cbStore = kOverflowed;
        return FALSE;
    }
    memcpy(pbStore + ps->cbStore, pb, cb);
    ps->cbStore += static_cast<LONG>(cb);
    return TRUE;
}

BOOL StoreRecordedSegment(PDEV* pPDev, int nPart)
{
    if (!_bValidatePDEV(pPDev)) {
        return FALSE;
    }
    SEGMENTSTATE* ps = _State(pPDev);
    SEGMENTENTRY* pIndex = SegmentIndex(pPDev, *ps);
    const BYTE* pbStore = SegmentStore(pPDev, *ps);
    if (pIndex == nullptr || ps->iCurrent < 0 || ps->iCurrent >= _Entries(ps)) {
        return FALSE;
    }
    if (ps->cbStore < 0 || ps->cbStore > ESC_SEGMENT_STORE_SIZE || pbStore == nullptr) {
        ps->cbStore = 0;
        return FALSE;
    }
    BYTE* pPart = _AllocBlock(static_cast<DWORD>(ps->cbStore));
    if (pPart == nullptr) {
        return FALSE;
    }
    memcpy(pPart, pbStore, static_cast<size_t>(ps->cbStore));
    SEGMENTENTRY* pe = &pIndex[ps->iCurrent];
    // A part recorded again replaces the old one.
    if (nPart == 1) {
        _FreeBlock(pe->pPart1);
        pe->pPart1 = pPart;
        pe->cbPart1 = ps->cbStore;
    } else {
        _FreeBlock(pe->pPart2);
        pe->pPart2 = pPart;
        pe->cbPart2 = ps->cbStore;
    }
    ps->cbStore = 0;
    return TRUE;
}

int FindSegment(PDEV* pPDev, LONG lKey)
{
    SEGMENTSTATE* ps = _State(pPDev);
    const SEGMENTENTRY* pIndex = SegmentIndex(pPDev, *ps);
    if (pIndex == nullptr) {
        return -1;
    }
    LONG n = _Entries(ps);
    for (LONG i = 0; i < n; ++i) {
        if ((pIndex[i].lKey & 0xFFFF) == (lKey & 0xFFFF)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

BOOL bHasSegment(PDEV* pPDev, LONG lKey)
{
    return FindSegment(pPDev, lKey) >= 0;
}

BOOL ReplaySegment(PDEV* pPDev, int nSelector, LONG lKey)
{
    int i = FindSegment(pPDev, lKey);
    if (i < 0) {
        return TRUE;
    }
    const SEGMENTENTRY* pe = &SegmentIndex(pPDev, *_State(pPDev))[i];
    const BYTE* pb = nSelector == 1 ? pe->pPart1 : pe->pPart2;
    LONG cb = nSelector == 1 ? pe->cbPart1 : pe->cbPart2;
    while (pb != nullptr && cb > 0) {
        LONG cbPiece = cb > PDL_SEGMENT_PIECE ? PDL_SEGMENT_PIECE : cb;
        if (!WriteStream(pPDev, pb, static_cast<DWORD>(cbPiece))) {
            break;
        }
        pb += cbPiece;
        cb -= cbPiece;
    }
    return TRUE;
}

void ReleaseSegments(PDEV* pPDev)
{
    SEGMENTSTATE* ps = _State(pPDev);
    SEGMENTENTRY* pIndex = reinterpret_cast<SEGMENTENTRY*>(PdevRefTake(pPDev, PREF_SEGINDEX));
    if (pIndex != nullptr) {
        // Every entry the index has room for, not only the counted ones: a
        // count lowered after parts were stored must not leak them.
        for (LONG i = 0; i < ESC_SEGMENT_MAX; ++i) {
            _FreeBlock(pIndex[i].pPart1);
            _FreeBlock(pIndex[i].pPart2);
        }
        _FreeBlock(pIndex);
    }
    _FreeBlock(reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_SEGSTORE)));
    memset(ps, 0, sizeof(*ps));
}
