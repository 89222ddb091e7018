// xrblank.cpp: blank-page skipping. While skipping is on, every byte of the
// stream waits in the page capture store until the page ends; a page on
// which nothing put ink is then dropped, any other page is sent.
//
// Entry points: the store (ResetBlankPageState, EndBlankPageState,
// AllocPageBuffer, FreePageBuffer, AppendPageData, FlushPageBuffer,
// OpenPageBuffer, ClosePageBuffer, SendCapturedPage), the flags
// (SetPageBlank, IsPageBlank, IsOutputBlank, MarkPageInked,
// PdlBeginSheetDrawing, PdlEndSheetDrawing), the pre-hook
// ink tests (InkTest and InkTest*), and the output ink tests (bIsWhiteDraw,
// bIsWhiteChar, bIsWhiteImage1, bIsWhiteImage8).
//
// Facts the code relies on:
//  1. Bytes that arrive while no page is captured (the job header, the end
//     of the job) are passed on in order: a flush sends them to the job
//     output in pieces of 16384 bytes.
//  2. A captured page stays in memory while it fits; only when the buffer
//     is full does its head go to the capture file, so that ordinary pages
//     never touch the disk. The page end then sends the file first and the
//     buffer after it, or drops both.
//  3. Nothing is lost for want of a resource: without a buffer the bytes go
//     straight to the job output, and a page that neither the file nor a
//     larger buffer can hold is marked as printed and sent as it is.
//  4. A recording of a segment wins over the page buffer: the recorded
//     drawing belongs to no page and is played only where it is asked for.
//  5. The output tests also clear the pre-hook flag: what a drawing body
//     wrote with ink is ink, whatever the call looked like before it ran.
//  6. Bytes a drawing body (drawing kind 2..4) writes into a held page end
//     the page state "nothing drawn since set-up" (PDLWORK 32), which the
//     page end reads to leave an untouched page without its eject.
#include "pdl/xgcmn/ordexnt/xrblank.h"

#include <cstdint>
#include <cstring>

#include "pdl/xgcmn/ordexnt/xrbrush.h"
#include "pdl/xgcmn/ordexnt/xrimage.h"
#include "platform/windows.h"

namespace {

// The three words of the store: capture file size, buffer, length.
#define BLANK_FILE_SIZE 0
#define BLANK_BUFFER 1
#define BLANK_LENGTH 2

// The buffer's word holds the slot of the PDEV's side record row that has
// the buffer (PREF_BLANKBUF), never its address.
BYTE* _Buffer(PDEV* pPDev)
{
    return PdevRef<BYTE*>(pPDev, static_cast<DWORD>(PdlWork(pPDev)->aBlankState[BLANK_BUFFER]),
                          PREF_BLANKBUF);
}

void _SetBuffer(PDEV* pPDev, BYTE* pb)
{
    PdlWork(pPDev)->aBlankState[BLANK_BUFFER] = static_cast<LONG>(SetPdevRef(pPDev, PREF_BLANKBUF, pb));
}

// The output flag lives in the byte after the buffered-page flag.
BYTE& _OutputBlank(PDLWORK* pWork)
{
    return pWork->bPad87;
}

DWORD _Capacity(BYTE* pb)
{
    HGLOBAL h = pb != nullptr ? GlobalHandle(pb) : nullptr;
    return h != nullptr ? static_cast<DWORD>(GlobalSize(h)) : 0;
}

BYTE* _AllocLocked(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    if (h == nullptr) {
        return nullptr;
    }
    BYTE* pb = static_cast<BYTE*>(GlobalLock(h));
    if (pb == nullptr) {
        GlobalFree(h);
    }
    return pb;
}

void _FreeLocked(BYTE* pb)
{
    HGLOBAL h = pb != nullptr ? GlobalHandle(pb) : nullptr;
    if (h != nullptr) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

// Straight to the job record stream, in pieces of 16384 bytes: through the
// router the bytes would only come back into the store.
BOOL _WriteOut(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    PFN_WRITEJOBDATA pfnWrite = PdevWriteJobData(pPDev);
    if (pfnWrite == nullptr) {
        return FALSE;
    }
    while (cb > 0) {
        DWORD cbPiece = cb > PDL_BLANK_PIECE ? PDL_BLANK_PIECE : cb;
        if (!pfnWrite(pPDev, pb, cbPiece)) {
            return FALSE;
        }
        pb += cbPiece;
        cb -= cbPiece;
    }
    return TRUE;
}

BOOL _bHasPath(PDLWORK* pWork)
{
    WCHAR wc;
    memcpy(&wc, pWork->szBlankPath, sizeof(wc));
    return wc != 0;
}

void _CopyPath(PDLWORK* pWork, WCHAR* pszPath)
{
    memcpy(pszPath, pWork->szBlankPath, sizeof(pWork->szBlankPath));
    pszPath[259] = 0;
}

// The buffer appended to the capture file (created anew for the page's
// first bytes). TRUE when every byte reached the file.
BOOL _SpillToFile(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    BYTE* pb = _Buffer(pPDev);
    LONG cb = pWork->aBlankState[BLANK_LENGTH];
    if (pb == nullptr || cb <= 0) {
        return TRUE;
    }
    if (!_bHasPath(pWork)) {
        return FALSE;
    }
    WCHAR szPath[260];
    _CopyPath(pWork, szPath);
    BOOL bNew = pWork->aBlankState[BLANK_FILE_SIZE] == 0;
    HANDLE h = CreateFileW(szPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           bNew ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    BOOL bOk = FALSE;
    // Appended at the size this page has written, so that a write cut
    // short before is overwritten rather than sent.
    if (SetFilePointer(h, pWork->aBlankState[BLANK_FILE_SIZE], nullptr, FILE_BEGIN) !=
        INVALID_SET_FILE_POINTER) {
        DWORD cbDone = 0;
        bOk = WriteFile(h, pb, static_cast<DWORD>(cb), &cbDone, nullptr) &&
              cbDone == static_cast<DWORD>(cb);
    }
    CloseHandle(h);
    if (bOk) {
        pWork->aBlankState[BLANK_FILE_SIZE] += cb;
        pWork->aBlankState[BLANK_LENGTH] = 0;
    }
    return bOk;
}

// A captured page that the file cannot take stays in a buffer twice the
// size; FALSE when no larger buffer can be had.
BOOL _GrowBuffer(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    BYTE* pOld = _Buffer(pPDev);
    DWORD cbOld = _Capacity(pOld);
    if (cbOld == 0 || cbOld > 0x40000000) {
        return FALSE;
    }
    BYTE* pNew = _AllocLocked(cbOld * 2);
    if (pNew == nullptr) {
        return FALSE;
    }
    memcpy(pNew, pOld, static_cast<size_t>(pWork->aBlankState[BLANK_LENGTH]));
    _FreeLocked(pOld);
    _SetBuffer(pPDev, pNew);
    return TRUE;
}

// Room for at least one more byte.
void _MakeRoom(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->bPageBuffered == 0) {
        FlushPageBuffer(pPDev);
        return;
    }
    if (_SpillToFile(pPDev) || _GrowBuffer(pPDev)) {
        return;
    }
    // Neither the file nor memory holds the page: it can no longer be
    // dropped, so what it has so far goes out now and the rest follows.
    pWork->bPageBlank = 0;
    SendCapturedPage(pPDev);
    _WriteOut(pPDev, _Buffer(pPDev), static_cast<DWORD>(pWork->aBlankState[BLANK_LENGTH]));
    pWork->aBlankState[BLANK_LENGTH] = 0;
}

BOOL _bWatermark(PDEV* pPDev)
{
    return PdlWork(pPDev)->bForceRop != 0;
}

BOOL _bWhite(ULONG rgb)
{
    return (rgb & 0x00FFFFFF) == 0x00FFFFFF;
}

BOOL _bSolidWhite(PDEV* pPDev, BRUSHOBJ* pbo)
{
    return pbo->iSolidColor != 0xFFFFFFFF && _bWhite(GetBrushRGB(pPDev, pbo));
}

// A brush that paints white only: none, one that cannot be realized, a
// solid white one, or a hatch whose two colours are white. A pattern is
// taken as ink whatever its colours: its pixels are not looked at here.
BOOL _bBrushWhite(PDEV* pPDev, BRUSHOBJ* pbo)
{
    if (pbo == nullptr) {
        return TRUE;
    }
    if (pbo->iSolidColor != 0xFFFFFFFF) {
        return _bSolidWhite(pPDev, pbo);
    }
    const REALBRUSH* prb = static_cast<const REALBRUSH*>(BRUSHOBJ_pvGetRbrush(pbo));
    if (prb == nullptr) {
        return TRUE;
    }
    if (prb->iStyle >= RB_STYLE_PATTERN || prb->cColors < 2) {
        return FALSE;
    }
    const ULONG* pul = reinterpret_cast<const ULONG*>(reinterpret_cast<const BYTE*>(prb) +
                                                      prb->offColors);
    return _bWhite(pul[0]) && _bWhite(pul[1]);
}

BOOL _bPenWhite(PDEV* pPDev, BRUSHOBJ* pboPen)
{
    return pboPen == nullptr || _bSolidWhite(pPDev, pboPen);
}

BOOL _bWhiteDraw(PDEV* pPDev, BRUSHOBJ* pbo, BRUSHOBJ* pboPen, MIX mix)
{
    if (_OutputBlank(PdlWork(pPDev)) == 0) {
        return FALSE;
    }
    if (_bWatermark(pPDev)) {
        return TRUE;
    }
    switch (mix & 0xFF) {
    case R2_COPYPEN:
        return _bBrushWhite(pPDev, pbo) && _bPenWhite(pPDev, pboPen);
    case R2_WHITE:
        return TRUE;
    default:
        return FALSE;
    }
}

// The gate every pre-hook test passes first: -1 when the call's own test
// decides, else the answer.
int _Gate(PDEV* pPDev)
{
    if (pPDev == nullptr || pPDev->dwSignature != PDEV_SIGNATURE ||
        pPDev->dwSignatureEnd != PDEV_SIGNATURE || (pPDev->fJob & PDEVF_ABORTED) != 0) {
        return 1;
    }
    if (PdlWork(pPDev)->bPageBlank == 0) {
        return 0;
    }
    if (_bWatermark(pPDev)) {
        return 1;
    }
    return -1;
}

// The gate of the output tests: -1 when the test decides, else the answer.
int _OutputGate(PDEV* pPDev)
{
    if (_OutputBlank(PdlWork(pPDev)) == 0) {
        return FALSE;
    }
    if (_bWatermark(pPDev)) {
        return TRUE;
    }
    return -1;
}

// The cached image colours that keep 0 bits and 1 bits from putting ink.
BOOL _bImageGrayWhite(PDEV* pPDev, int i)
{
    return (PdlAttr(pPDev)->aImageGray[i] & 0x00FFFFFF) == 0x00FFFFFF;
}

BOOL _bAllBytes(const BYTE* pb, LONG cbRow, LONG cRows, LONG lStride, BYTE b)
{
    for (LONG y = 0; y < cRows; ++y) {
        const BYTE* pRow = pb + static_cast<ptrdiff_t>(y) * lStride;
        for (LONG x = 0; x < cbRow; ++x) {
            if (pRow[x] != b) {
                return FALSE;
            }
        }
    }
    return TRUE;
}

}  // namespace

// ---- the capture store -------------------------------------------------------------

BOOL AllocPageBuffer(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (_Buffer(pPDev) != nullptr) {
        return TRUE;
    }
    BYTE* pb = _AllocLocked(PDL_BLANK_BUF_SIZE);
    _SetBuffer(pPDev, pb);
    pWork->aBlankState[BLANK_LENGTH] = 0;
    return pb != nullptr;
}

void FreePageBuffer(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    // The row is the PDEV's whatever the slot says now.
    _FreeLocked(reinterpret_cast<BYTE*>(PdevRefTake(pPDev, PREF_BLANKBUF)));
    _SetBuffer(pPDev, nullptr);
    pWork->aBlankState[BLANK_LENGTH] = 0;
}

void ResetBlankPageState(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    // A job started again without its end gives the old buffer back first.
    FreePageBuffer(pPDev);
    pWork->aBlankState[BLANK_FILE_SIZE] = 0;
    _OutputBlank(pWork) = 1;
    if (pWork->bBlankSkip != 0) {
        AllocPageBuffer(pPDev);
    }
}

void EndBlankPageState(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    FreePageBuffer(pPDev);
    pWork->aBlankState[BLANK_FILE_SIZE] = 0;
    _OutputBlank(pWork) = 1;
}

BOOL AppendPageData(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->bRecording == 1) {
        return AppendSegmentData(pPDev, pb, cb);
    }
    // A drawing body's first command ends the page's "nothing drawn since
    // set-up" state, which decides whether a held page gets its eject.
    if (pWork->bPageBuffered != 0 && pWork->bDrawKind >= 2) {
        pWork->bPageState = 0;
    }
    if (_Buffer(pPDev) == nullptr) {
        // No store: the page cannot be held back, but it is not lost.
        pWork->bPageBlank = 0;
        return _WriteOut(pPDev, pb, cb);
    }
    while (cb > 0) {
        DWORD cbCap = _Capacity(_Buffer(pPDev));
        if (static_cast<DWORD>(pWork->aBlankState[BLANK_LENGTH]) >= cbCap) {
            _MakeRoom(pPDev);
            cbCap = _Capacity(_Buffer(pPDev));
        }
        DWORD cbRoom = cbCap - static_cast<DWORD>(pWork->aBlankState[BLANK_LENGTH]);
        DWORD cbPiece = cb < cbRoom ? cb : cbRoom;
        memcpy(_Buffer(pPDev) + pWork->aBlankState[BLANK_LENGTH], pb, cbPiece);
        pWork->aBlankState[BLANK_LENGTH] += static_cast<LONG>(cbPiece);
        pb += cbPiece;
        cb -= cbPiece;
    }
    return TRUE;
}

void FlushPageBuffer(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    BYTE* pb = _Buffer(pPDev);
    if (pb == nullptr || pWork->aBlankState[BLANK_LENGTH] == 0) {
        return;
    }
    if (pWork->bPageBuffered != 0) {
        // A captured page waits for its end (ClosePageBuffer); once its
        // head is in the file, the rest follows it there in order.
        if (pWork->aBlankState[BLANK_FILE_SIZE] != 0) {
            _SpillToFile(pPDev);
        }
        return;
    }
    _WriteOut(pPDev, pb, static_cast<DWORD>(pWork->aBlankState[BLANK_LENGTH]));
    pWork->aBlankState[BLANK_LENGTH] = 0;
}

ULONG PdlBeginSheetDrawing(PDEV* pPDev)
{
    if (!_bValidatePDEV(pPDev)) {
        return 0;
    }
    PDLWORK* pWork = PdlWork(pPDev);
    return static_cast<ULONG>(pWork->bPageBlank) | (static_cast<ULONG>(_OutputBlank(pWork)) << 8) |
           (static_cast<ULONG>(pWork->bPageState) << 16);
}

void PdlEndSheetDrawing(PDEV* pPDev, ULONG ulState)
{
    if (!_bValidatePDEV(pPDev)) {
        return;
    }
    PDLWORK* pWork = PdlWork(pPDev);
    pWork->bPageBlank = static_cast<BYTE>(ulState);
    _OutputBlank(pWork) = static_cast<BYTE>(ulState >> 8);
    pWork->bPageState = static_cast<BYTE>(ulState >> 16);
}

void OpenPageBuffer(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    pWork->aBlankState[BLANK_FILE_SIZE] = 0;
    _OutputBlank(pWork) = 1;
}

void ClosePageBuffer(PDEV* pPDev, BOOL bDiscard)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (!bDiscard) {
        // The file holds the page's head; the buffer its tail.
        if (pWork->aBlankState[BLANK_FILE_SIZE] != 0) {
            _SpillToFile(pPDev);
            SendCapturedPage(pPDev);
        }
        if (_Buffer(pPDev) != nullptr) {
            _WriteOut(pPDev, _Buffer(pPDev), static_cast<DWORD>(pWork->aBlankState[BLANK_LENGTH]));
        }
    }
    pWork->aBlankState[BLANK_LENGTH] = 0;
    pWork->aBlankState[BLANK_FILE_SIZE] = 0;
    _OutputBlank(pWork) = 1;
    // A page that needed a larger buffer gives it back; the next page starts
    // with the usual size again.
    if (_Capacity(_Buffer(pPDev)) > PDL_BLANK_BUF_SIZE) {
        FreePageBuffer(pPDev);
        AllocPageBuffer(pPDev);
    }
}

BOOL SendCapturedPage(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    LONG cbFile = pWork->aBlankState[BLANK_FILE_SIZE];
    if (cbFile == 0) {
        return TRUE;
    }
    pWork->aBlankState[BLANK_FILE_SIZE] = 0;
    WCHAR szPath[260];
    _CopyPath(pWork, szPath);
    HANDLE h = CreateFileW(szPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    // Read in pieces: a page of many megabytes needs no block of its size.
    BYTE ab[PDL_BLANK_PIECE];
    BOOL bOk = TRUE;
    DWORD cbLeft = static_cast<DWORD>(cbFile);
    while (cbLeft > 0 && bOk) {
        DWORD cbWant = cbLeft > sizeof(ab) ? sizeof(ab) : cbLeft;
        DWORD cbRead = 0;
        bOk = ReadFile(h, ab, cbWant, &cbRead, nullptr) && cbRead == cbWant &&
              _WriteOut(pPDev, ab, cbRead);
        cbLeft -= cbRead;
    }
    CloseHandle(h);
    return bOk;
}

LONG GetPageBufferLength(PDEV* pPDev)
{
    return PdlWork(pPDev)->aBlankState[BLANK_LENGTH];
}

LONG GetCaptureFileSize(PDEV* pPDev)
{
    return PdlWork(pPDev)->aBlankState[BLANK_FILE_SIZE];
}

// ---- the page flags -------------------------------------------------------------------

void SetPageBlank(PDEV* pPDev, BYTE bValue)
{
    PdlWork(pPDev)->bPageBlank = bValue;
}

BOOL IsPageBlank(PDEV* pPDev)
{
    return PdlWork(pPDev)->bPageBlank != 0;
}

BOOL IsOutputBlank(PDEV* pPDev)
{
    return _OutputBlank(PdlWork(pPDev)) != 0;
}

void MarkPageInked(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    _OutputBlank(pWork) = 0;
    pWork->bPageBlank = 0;
}

// ---- pre-hook ink tests --------------------------------------------------------------

BOOL InkTest(PDEV* pPDev, int nHook)
{
    // The hooks that pass no arguments: the copies of a bitmap always put
    // ink; the others are decided by what their bodies write (MarkPageInked).
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate == 0;
    }
    return nHook == PDL_HOOK_STRETCHBLT || nHook == PDL_HOOK_COPYBITS;
}

int InkTestBitBlt(PDEV* pPDev, SURFOBJ* psoTrg, SURFOBJ* psoMask, RECTL* prclTrg, BRUSHOBJ* pbo,
                  ROP4 rop4)
{
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    if (psoTrg == nullptr || psoTrg->iType != STYPE_DEVICE || prclTrg == nullptr) {
        return 1;
    }
    ULONG rop3 = rop4 & 0xFF;
    if (psoMask != nullptr || rop3 != ((rop4 >> 8) & 0xFF) || PatternRopToMix(rop3) == 0) {
        return 0;
    }
    return _bWhiteDraw(pPDev, pbo, nullptr, PatternRopToMix(rop3)) ? 1 : 0;
}

int InkTestStretchBlt(PDEV* pPDev, SURFOBJ* psoDest, SURFOBJ* psoSrc, RECTL* prclDest)
{
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    return psoSrc != nullptr && psoSrc->iType == STYPE_BITMAP && psoDest != nullptr &&
                   psoDest->iType == STYPE_DEVICE && prclDest != nullptr
               ? 0
               : 1;
}

int InkTestCopyBits(PDEV* pPDev, SURFOBJ* psoDest, SURFOBJ* psoSrc, RECTL* prclDest)
{
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    return psoSrc != nullptr && psoSrc->iType == STYPE_BITMAP &&
                   psoSrc->iBitmapFormat >= BMF_1BPP && psoSrc->iBitmapFormat <= BMF_32BPP &&
                   psoDest != nullptr && psoDest->iType == STYPE_DEVICE && prclDest != nullptr
               ? 0
               : 1;
}

int InkTestTextOut(PDEV* pPDev, SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, RECTL* prclExtra,
                   RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, MIX mix)
{
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    if (pso == nullptr || pstro == nullptr || pfo == nullptr) {
        return 1;
    }
    if (prclOpaque != nullptr && !_bWhiteDraw(pPDev, pboOpaque, nullptr, mix)) {
        return 0;
    }
    if (pboFore != nullptr) {
        if (pboFore->iSolidColor == 0xFFFFFFFF) {
            return 0;  // a pattern foreground
        }
        if (!_bWhite(GetBrushRGB(pPDev, pboFore))) {
            return 0;
        }
    }
    if (prclExtra != nullptr && !_bWhiteDraw(pPDev, pboFore, nullptr, mix)) {
        return 0;
    }
    return 1;
}

int InkTestFillPath(PDEV* pPDev, BRUSHOBJ* pbo, MIX mix, FLONG flOptions)
{
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    if (flOptions == 0 || flOptions >= 3) {
        return 1;
    }
    return _bWhiteDraw(pPDev, pbo, nullptr, mix) ? 1 : 0;
}

int InkTestStrokePath(PDEV* pPDev, BRUSHOBJ* pboPen, MIX mix)
{
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    return _bWhiteDraw(pPDev, nullptr, pboPen, mix) ? 1 : 0;
}

int InkTestStrokeAndFillPath(PDEV* pPDev, BRUSHOBJ* pboPen, BRUSHOBJ* pboFill, MIX mix,
                             FLONG flOptions)
{
    int nGate = _Gate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    if (flOptions == 0 || flOptions > 2) {
        return 1;
    }
    return _bWhiteDraw(pPDev, pboFill, nullptr, mix) && _bWhiteDraw(pPDev, nullptr, pboPen, mix)
               ? 1
               : 0;
}

// ---- output ink tests -------------------------------------------------------------------

BOOL bIsWhiteDraw(PDEV* pPDev, BRUSHOBJ* pbo, BRUSHOBJ* pboPen, MIX mix)
{
    return _bWhiteDraw(pPDev, pbo, pboPen, mix);
}

BOOL bIsWhiteChar(PDEV* pPDev, ULONG ulCode)
{
    int nGate = _OutputGate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    // The space and the ideographic space put no ink in any colour.
    if (ulCode == 32 || ulCode == 0x8140) {
        return TRUE;
    }
    const PDLATTR* pa = PdlAttr(pPDev);
    if (pa->lRop3 != 0xCC) {
        return FALSE;
    }
    return (pa->lBrushMode == PDL_BRUSHMODE_MASK && _bImageGrayWhite(pPDev, 0)) ||
           (pa->lBrushMode == PDL_BRUSHMODE_OPAQUE && _bImageGrayWhite(pPDev, 0) &&
            _bImageGrayWhite(pPDev, 1));
}

BOOL bIsWhiteImage1(PDEV* pPDev, const BYTE* pbBits, LONG cbRow, LONG cRows, LONG lStride)
{
    int nGate = _OutputGate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    const PDLATTR* pa = PdlAttr(pPDev);
    if (pa->lRop3 != 0xCC) {
        return FALSE;
    }
    BOOL bMask = pa->lBrushMode == PDL_BRUSHMODE_MASK;
    BOOL bOpaque = pa->lBrushMode == PDL_BRUSHMODE_OPAQUE;
    BOOL bWhite0 = _bImageGrayWhite(pPDev, 0);
    BOOL bWhite1 = _bImageGrayWhite(pPDev, 1);
    if ((bMask && bWhite0) || (bOpaque && bWhite0 && bWhite1)) {
        return TRUE;
    }
    if (pbBits == nullptr) {
        return FALSE;
    }
    // 1 bits take the first colour: with it not white, only an image
    // without 1 bits stays white; with it white, only one without 0 bits.
    if (bMask || (bOpaque && bWhite1)) {
        return _bAllBytes(pbBits, cbRow, cRows, lStride, 0x00);
    }
    if (bOpaque && bWhite0) {
        return _bAllBytes(pbBits, cbRow, cRows, lStride, 0xFF);
    }
    return FALSE;
}

BOOL bIsWhiteImage8(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    int nGate = _OutputGate(pPDev);
    if (nGate >= 0) {
        return nGate;
    }
    if (PdlAttr(pPDev)->lRop3 != 0xCC || pb == nullptr) {
        return FALSE;
    }
    for (DWORD i = 0; i < cb; ++i) {
        if (pb[i] != 0) {
            return FALSE;
        }
    }
    return TRUE;
}
