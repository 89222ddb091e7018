// spoolwriter.cpp: the spool writer, the spool state and booklet replay.
//
// Entry points: CreateSpoolWriter, bProcessJobRecord, CreateSpoolState,
// SetSpoolSection, WriteSpoolData, ReplaySpool, DeleteSpoolState,
// WriteFileSink. The writer interprets job records: in direct mode DATA goes
// to the sink (WritePrinter, or the form file) at once; in the other modes
// the job is kept in a temporary "spl" file, booked as header, page parts
// and trailer, and sent at REPLAY in the mode's page order.
//
// Invariants (besides those of jobrecord.h):
//  1. The page nodes form one list from pFirstPage; pCurPage is its last
//     node. While a page is being written it is pCurPage; once its end
//     section begins a fresh node is appended, so the page-end bytes belong
//     to pCurPage->pPrev. The nodes lie in list order in one block that
//     grows by doubling, so a job holds one block for its pages however
//     many it has, and page i is found without walking the list.
//  2. cPages counts the pages whose end section has begun (plus, at the
//     trailer, a last page that never got one).
//  3. Everything the state owns (nodes, file, name) goes with
//     DeleteSpoolState; the file is deleted then.
#include "graphics/ddi/jobrecord.h"

#include "graphics/ddi/chain.h"

#include <cstring>

#include "platform/spooler/winspool.h"

// Flags of the replay routines.
#define RF_PAGE 0x1
#define RF_NOHEADER 0x10000
#define RF_NOTRAILER 0x20000
#define RF_NOEND 0x40000
#define RF_NOSTART 0x80000
#define RS_WHOLEPAGE 0x4
#define RS_HEADER 0x8
#define RS_PAGESTART 0x10
#define RS_PAGEEND 0x20
#define RS_TRAILER 0x40

BOOL WriteFileSink(HANDLE hFile, LPVOID pBuf, DWORD cb, LPDWORD pcWritten)
{
    return WriteFile(hFile, pBuf, cb, pcWritten, nullptr);
}

static BOOL _WritePrinterSink(HANDLE hPrinter, LPVOID pBuf, DWORD cb, LPDWORD pcWritten)
{
    return WritePrinter(hPrinter, pBuf, cb, pcWritten);
}

SPOOLWRITER* CreateSpoolWriter(HANDLE hPrinter)
{
    SPOOLWRITER* pWriter = static_cast<SPOOLWRITER*>(GfxAlloc(sizeof(SPOOLWRITER)));
    if (!pWriter)
        return nullptr;
    pWriter->dwSignature = SPOOLWRITER_SIGNATURE;
    pWriter->hSink = hPrinter;
    pWriter->pfnWrite = _WritePrinterSink;
    return pWriter;
}

// --- spool state -------------------------------------------------------------

static void _FreePages(SPOOLSTATE* pState)
{
    GfxFree(pState->pFirstPage);
    pState->pFirstPage = nullptr;
    pState->pCurPage = nullptr;
}

// The nodes in the list: they run from pFirstPage to pCurPage in the block.
static DWORD _NodeCount(const SPOOLSTATE* pState)
{
    return pState->pCurPage ? static_cast<DWORD>(pState->pCurPage - pState->pFirstPage) + 1 : 0;
}

// Appends a zeroed node to the list and makes it pCurPage; null when the
// block could not grow (the list is then as it was).
static SPOOLPAGE* _AppendPage(SPOOLSTATE* pState)
{
    DWORD c = _NodeCount(pState);
    HGLOBAL h = pState->pFirstPage ? GlobalHandle(pState->pFirstPage) : nullptr;
    DWORD cCapacity = h ? static_cast<DWORD>(GlobalSize(h) / sizeof(SPOOLPAGE)) : 0;
    if (c >= cCapacity) {
        DWORD cNew = cCapacity ? cCapacity * 2 : 16;
        if (cNew <= cCapacity || cNew > 0x7FFFFFFFu / sizeof(SPOOLPAGE))
            return nullptr;
        SPOOLPAGE* pNew = static_cast<SPOOLPAGE*>(GfxAlloc(cNew * sizeof(SPOOLPAGE)));
        if (!pNew)
            return nullptr;
        if (c)
            std::memcpy(pNew, pState->pFirstPage, c * sizeof(SPOOLPAGE));
        for (DWORD i = 0; i < c; i++) {
            pNew[i].pPrev = i ? &pNew[i - 1] : nullptr;
            pNew[i].pNext = i + 1 < c ? &pNew[i + 1] : nullptr;
        }
        GfxFree(pState->pFirstPage);
        pState->pFirstPage = pNew;
        pState->pCurPage = c ? &pNew[c - 1] : nullptr;
    }
    SPOOLPAGE* pPage = &pState->pFirstPage[c];
    std::memset(pPage, 0, sizeof(SPOOLPAGE));
    pPage->pPrev = pState->pCurPage;
    if (pState->pCurPage)
        pState->pCurPage->pNext = pPage;
    pState->pCurPage = pPage;
    return pPage;
}

SPOOLSTATE* CreateSpoolState(HANDLE hSink, WORD wMode, SHORT nCopies, PFN_SPOOLSINK pfnWrite)
{
    SPOOLSTATE* pState = static_cast<SPOOLSTATE*>(GfxAlloc(sizeof(SPOOLSTATE)));
    if (!pState)
        return nullptr;
    pState->hSink = hSink;
    pState->wMode = wMode;
    pState->pfnWrite = pfnWrite;
    pState->nCopies = nCopies;
    pState->wCurSection = SECTION_HEADER;
    pState->lHeaderOff = -1;
    if (wMode == REPLAY_DIRECT)
        return pState;

    _AppendPage(pState);
    WCHAR szDir[MAX_PATH] = {};
    DWORD cchDir = pState->pFirstPage ? GetTempPathW(MAX_PATH, szDir) : 0;
    UINT uUnique = (cchDir > 0 && cchDir < MAX_PATH)
                       ? GetTempFileNameW(szDir, u"spl", 0, pState->szTempFile)
                       : 0;
    if (uUnique != 0) {
        pState->hTempFile = CreateFileW(pState->szTempFile, GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (uUnique == 0 || !pState->hTempFile || pState->hTempFile == INVALID_HANDLE_VALUE) {
        if (uUnique != 0)
            DeleteFileW(pState->szTempFile);  // GetTempFileNameW made it
        _FreePages(pState);
        GfxFree(pState);
        return nullptr;
    }
    return pState;
}

void DeleteSpoolState(SPOOLSTATE* pState)
{
    if (!pState)
        return;
    if (pState->wMode != REPLAY_DIRECT) {
        _FreePages(pState);
        if (pState->hTempFile && pState->hTempFile != INVALID_HANDLE_VALUE)
            CloseHandle(pState->hTempFile);
        if (pState->szTempFile[0])
            DeleteFileW(pState->szTempFile);
    }
    GfxFree(pState);
}

static BOOL _bPageHasData(const SPOOLPAGE* pPage)
{
    return pPage->cbStart != 0 || pPage->cbBody != 0 || pPage->cbEnd != 0;
}

// Books the page boundaries of a section change. FALSE when a node could
// not be allocated.
static BOOL _bBookSection(SPOOLSTATE* pState, WORD wPrev, WORD wNew)
{
    if (pState->wMode == REPLAY_DIRECT || !pState->pCurPage)
        return TRUE;
    if (wNew == SECTION_PAGEEND && wPrev != SECTION_PAGEEND) {
        if (!_AppendPage(pState))
            return FALSE;
        pState->cPages++;
    } else if (wNew == SECTION_TRAILER && wPrev != SECTION_TRAILER) {
        SPOOLPAGE* pCur = pState->pCurPage;
        if (_bPageHasData(pCur)) {
            // A page that never reached its end section is still a page.
            pState->cPages++;
            pCur = _AppendPage(pState);
            if (!pCur)
                return FALSE;
        }
        if (pCur->pPrev) {
            // The node after the last page is dropped from the block's end.
            pState->pCurPage = pCur->pPrev;
            pState->pCurPage->pNext = nullptr;
        }
    }
    return TRUE;
}

void SetSpoolSection(SPOOLSTATE* pState, WORD wSection)
{
    if (!pState)
        return;
    pState->wPrevSection = pState->wCurSection;
    pState->wCurSection = wSection;
    _bBookSection(pState, pState->wPrevSection, wSection);
}

// SetSpoolSection for the writer: FALSE when the state had to be released.
static BOOL _bSetSection(SPOOLSTATE* pState, WORD wSection)
{
    pState->wPrevSection = pState->wCurSection;
    pState->wCurSection = wSection;
    return _bBookSection(pState, pState->wPrevSection, wSection);
}

static void _BookPart(DWORD* pdwOff, DWORD* pcb, DWORD cbTotal, DWORD cb)
{
    if (*pcb == 0)
        *pdwOff = cbTotal;
    *pcb += cb;
}

LONG WriteSpoolData(SPOOLSTATE* pState, const BYTE* pb, DWORD cb)
{
    if (!pState || !pb || cb == 0)
        return SPOOL_E_RANGE;
    if (pState->wMode == REPLAY_DIRECT) {
        DWORD cbWritten = 0;
        if (!pState->pfnWrite(pState->hSink, const_cast<BYTE*>(pb), cb, &cbWritten))
            return cbWritten < cb ? static_cast<LONG>(cbWritten) : 0;
        return static_cast<LONG>(cbWritten);
    }

    DWORD cbWritten = 0;
    if (!WriteFile(pState->hTempFile, pb, cb, &cbWritten, nullptr) || cbWritten != cb) {
        DeleteSpoolState(pState);
        return SPOOL_E_WRITE;
    }
    SPOOLPAGE* pCur = pState->pCurPage;
    switch (pState->wCurSection) {
    case SECTION_HEADER:
        if (pState->lHeaderOff == -1)
            pState->lHeaderOff = static_cast<LONG>(pState->cbTotal);
        pState->cbHeader += cb;
        break;
    case SECTION_PAGESTART:
        _BookPart(&pCur->dwStartOff, &pCur->cbStart, pState->cbTotal, cb);
        break;
    case SECTION_PAGEBODY:
        _BookPart(&pCur->dwBodyOff, &pCur->cbBody, pState->cbTotal, cb);
        break;
    case SECTION_PAGEEND: {
        SPOOLPAGE* pPage = pCur->pPrev ? pCur->pPrev : pCur;
        _BookPart(&pPage->dwEndOff, &pPage->cbEnd, pState->cbTotal, cb);
        break;
    }
    case SECTION_TRAILER:
        _BookPart(&pState->dwTrailerOff, &pState->cbTrailer, pState->cbTotal, cb);
        break;
    default:
        break;
    }
    pState->cbTotal += cb;
    return static_cast<LONG>(cb);
}

// --- replay -------------------------------------------------------------------

struct REPLAYCTX {
    SPOOLSTATE* pState;
    BYTE* pBuf;  // SPOOL_COPY_CHUNK bytes
};

// Copies one part of the file to the sink; the count written by the last
// write, 0 for an empty part, or a negative code.
static LONG _CopySpoolBytes(REPLAYCTX* pCtx, DWORD dwOff, DWORD cb)
{
    if (cb == 0)
        return 0;
    SPOOLSTATE* pState = pCtx->pState;
    if (SetFilePointer(pState->hTempFile, static_cast<LONG>(dwOff), nullptr, 0) != dwOff)
        return SPOOL_E_READ;
    LONG lResult = 0;
    while (cb > 0) {
        DWORD cbChunk = cb > SPOOL_COPY_CHUNK ? SPOOL_COPY_CHUNK : cb;
        DWORD cbRead = 0;
        if (!ReadFile(pState->hTempFile, pCtx->pBuf, cbChunk, &cbRead, nullptr) || cbRead != cbChunk)
            return SPOOL_E_READ;
        DWORD cbWritten = 0;
        if (!pState->pfnWrite(pState->hSink, pCtx->pBuf, cbRead, &cbWritten) || cbWritten != cbRead)
            return SPOOL_E_WRITE;
        lResult = static_cast<LONG>(cbWritten);
        cb -= cbChunk;
    }
    return lResult;
}

static SPOOLPAGE* _GetPage(SPOOLSTATE* pState, DWORD iPage)
{
    DWORD i = iPage > 1 ? iPage - 1 : 0;
    return i < _NodeCount(pState) ? &pState->pFirstPage[i] : nullptr;
}

static LONG _ReplayHeader(REPLAYCTX* pCtx)
{
    SPOOLSTATE* pState = pCtx->pState;
    if (pState->lHeaderOff < 0)
        return 0;
    return _CopySpoolBytes(pCtx, static_cast<DWORD>(pState->lHeaderOff), pState->cbHeader);
}

static LONG _ReplayTrailer(REPLAYCTX* pCtx)
{
    return _CopySpoolBytes(pCtx, pCtx->pState->dwTrailerOff, pCtx->pState->cbTrailer);
}

static LONG _ReplayPage(REPLAYCTX* pCtx, SPOOLPAGE* pPage, DWORD fl)
{
    LONG lResult = 0;
    if (!(fl & RF_NOSTART)) {
        lResult = _CopySpoolBytes(pCtx, pPage->dwStartOff, pPage->cbStart);
        if (lResult < 0)
            return lResult;
    }
    lResult = _CopySpoolBytes(pCtx, pPage->dwBodyOff, pPage->cbBody);
    if (lResult < 0)
        return lResult;
    if (!(fl & RF_NOEND))
        lResult = _CopySpoolBytes(pCtx, pPage->dwEndOff, pPage->cbEnd);
    return lResult;
}

static LONG _ReplayPageRange(REPLAYCTX* pCtx, DWORD iFirst, DWORD iLast, DWORD fl)
{
    SPOOLSTATE* pState = pCtx->pState;
    if (iFirst > pState->cPages || iLast > pState->cPages)
        return 1;
    if (iFirst == 0 && iLast == 0) {
        iFirst = 1;
        iLast = pState->cPages;
    }
    LONG lResult = 0;
    if (!(fl & RF_NOHEADER)) {
        lResult = _ReplayHeader(pCtx);
        if (lResult < 0)
            return lResult;
    }
    SPOOLPAGE* pPage = _GetPage(pState, iFirst);
    for (DWORD i = iFirst; i <= iLast && pPage; i++, pPage = pPage->pNext) {
        lResult = _ReplayPage(pCtx, pPage, fl);
        if (lResult < 0)
            return lResult;
    }
    if (!(fl & RF_NOTRAILER))
        lResult = _ReplayTrailer(pCtx);
    return lResult;
}

static LONG _ReplayReverse(REPLAYCTX* pCtx, DWORD iFirst, DWORD iLast, DWORD fl)
{
    SPOOLSTATE* pState = pCtx->pState;
    if (iFirst > pState->cPages || iLast > pState->cPages)
        return 1;
    if (iFirst == 0 && iLast == 0) {
        iFirst = pState->cPages;
        iLast = 1;
    }
    LONG lResult = 0;
    if (!(fl & RF_NOHEADER)) {
        lResult = _ReplayHeader(pCtx);
        if (lResult < 0)
            return lResult;
    }
    for (DWORD i = iFirst; i >= iLast && i >= 1; i--) {
        SPOOLPAGE* pPage = _GetPage(pState, i);
        if (pPage) {
            lResult = _ReplayPage(pCtx, pPage, fl);
            if (lResult < 0)
                return lResult;
        }
    }
    if (!(fl & RF_NOTRAILER))
        lResult = _ReplayTrailer(pCtx);
    return lResult;
}

static LONG _ReplaySection(REPLAYCTX* pCtx, DWORD iPage, DWORD fl)
{
    SPOOLSTATE* pState = pCtx->pState;
    if (iPage > pState->cPages)
        return SPOOL_E_RANGE;
    SPOOLPAGE* pPage = iPage ? _GetPage(pState, iPage) : nullptr;
    if (fl & RS_WHOLEPAGE)
        return pPage ? _ReplayPage(pCtx, pPage, 0) : SPOOL_E_RANGE;
    if (fl & RS_HEADER)
        return _ReplayHeader(pCtx);
    if (fl & RS_PAGESTART)
        return pPage ? _CopySpoolBytes(pCtx, pPage->dwStartOff, pPage->cbStart) : SPOOL_E_RANGE;
    if (fl & RS_PAGEEND)
        return pPage ? _CopySpoolBytes(pCtx, pPage->dwEndOff, pPage->cbEnd) : SPOOL_E_RANGE;
    return _ReplayTrailer(pCtx);
}

// Booklet order: sheet side i carries page i and its partner a - i + 1,
// where a is the page count rounded up to a multiple of 4. Two pages on one
// side share one start and one end part: start of i, body of i, body of j,
// end of j.
static LONG _ReplayBooklet(REPLAYCTX* pCtx)
{
    DWORD n = pCtx->pState->cPages;
    DWORD a = (n + 3) / 4 * 4;
    LONG lResult = _ReplaySection(pCtx, 0, RS_HEADER);
    if (lResult < 0)
        return lResult;
    for (DWORD i = 1; i <= a / 2; i++) {
        DWORD j = a - i + 1;
        if (j <= n) {
            lResult = _ReplayPageRange(pCtx, i, i, RF_NOEND | RF_NOTRAILER | RF_NOHEADER | RF_PAGE);
            if (lResult < 0)
                return lResult;
            lResult = _ReplayPageRange(pCtx, j, j, RF_NOSTART | RF_NOTRAILER | RF_NOHEADER | RF_PAGE);
        } else if (i <= n) {
            lResult = _ReplayPageRange(pCtx, i, i, RF_NOTRAILER | RF_NOHEADER | RF_PAGE);
        }
        if (lResult < 0)
            return lResult;
    }
    return _ReplaySection(pCtx, 0, RS_TRAILER);
}

LONG ReplaySpool(SPOOLSTATE* pState)
{
    if (!pState)
        return SPOOL_E_RANGE;
    if (pState->wMode == REPLAY_DIRECT || pState->nCopies <= 0)
        return 1;
    REPLAYCTX ctx = {pState, static_cast<BYTE*>(GfxAlloc(SPOOL_COPY_CHUNK))};
    if (!ctx.pBuf)
        return SPOOL_E_NOMEM;
    LONG lResult = 1;
    for (SHORT c = 0; c < pState->nCopies && lResult >= 0; c++) {
        switch (pState->wMode) {
        case REPLAY_COLLATED:
            lResult = _ReplayPageRange(&ctx, 0, 0, RF_PAGE);
            break;
        case REPLAY_REVERSE:
            lResult = _ReplayReverse(&ctx, 0, 0, RF_PAGE);
            break;
        case REPLAY_BOOKLET:
            lResult = _ReplayBooklet(&ctx);
            break;
        default:
            break;
        }
    }
    GfxFree(ctx.pBuf);
    return lResult;
}

// --- writer -------------------------------------------------------------------

// TRUE for the name of a form file: a file name that ends in ".xfo"
// (code units compared, as the Form page checks the name). The name comes
// from the job DEVMODE, which any application can fill in: a job never
// deletes, replaces or reads a file that is not a form file.
static BOOL _bFormFileName(const WCHAR* pszPath)
{
    static const WCHAR kszExt[] = u".xfo";
    size_t cch = 0;
    while (pszPath[cch])
        ++cch;
    if (cch <= 4 || std::memcmp(pszPath + cch - 4, kszExt, 4 * sizeof(WCHAR)) != 0)
        return FALSE;
    const WCHAR cBefore = pszPath[cch - 5];
    return cBefore != u'\\' && cBefore != u'/' && cBefore != u':';
}

// TRUE when a new form may take the place of what is at pszPath: nothing,
// an empty file, or a form file (its first bytes are those of a form: the
// printer language's "foc " or "org %", a PCL 5 macro, a PCL XL stream).
// Anything else is someone's file, which a job never replaces.
static BOOL _bFormMayReplace(const WCHAR* pszPath)
{
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!h || h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    BYTE ab[11] = {};
    DWORD cbRead = 0;
    BOOL bRead = ReadFile(h, ab, sizeof(ab), &cbRead, nullptr);
    CloseHandle(h);
    if (!bRead)
        return FALSE;
    auto starts = [&](const char* psz, DWORD cb) { return cbRead >= cb && std::memcmp(ab, psz, cb) == 0; };
    return cbRead == 0 || starts("foc ", 4) || starts("org %", 5) || starts("\x1b&f16Y", 6) ||
           starts(") HP-PCL XL", 11);
}

static BOOL _bOpen(SPOOLWRITER* pWriter, const JOBRECORD_OPEN* pRec)
{
    WCHAR szPath[MAX_PATH];
    std::memcpy(szPath, pRec->szFormPath, sizeof(szPath));
    szPath[MAX_PATH - 1] = 0;
    HANDLE hSink = pWriter->hSink;
    PFN_SPOOLSINK pfnWrite = pWriter->pfnWrite;
    if ((pRec->bFormMode == FORMFILE_CREATE || pRec->bFormMode == FORMFILE_OVERLAY) &&
        !_bFormFileName(szPath)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    if (pRec->bFormMode == FORMFILE_CREATE) {
        if (!_bFormMayReplace(szPath)) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        DeleteFileW(szPath);
        HANDLE hFile = CreateFileW(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!hFile || hFile == INVALID_HANDLE_VALUE)
            return FALSE;  // nothing may reach the printer instead of the form
        pWriter->hFormFile = hFile;
        hSink = pWriter->hSink = hFile;
        pfnWrite = pWriter->pfnWrite = WriteFileSink;
    } else if (pRec->bFormMode == FORMFILE_OVERLAY) {
        HANDLE hFile = CreateFileW(szPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile && hFile != INVALID_HANDLE_VALUE)
            pWriter->hFormFile = hFile;
    }
    if (pWriter->pState)
        DeleteSpoolState(pWriter->pState);
    pWriter->pState = CreateSpoolState(hSink, pRec->wReplayMode,
                                       static_cast<SHORT>(pRec->wReplayCopies), pfnWrite);
    return pWriter->pState != nullptr;
}

// Writes data through the state; forgets a state that WriteSpoolData released.
static LONG _WriteThrough(SPOOLWRITER* pWriter, const BYTE* pb, DWORD cb)
{
    BOOL bDirect = pWriter->pState->wMode == REPLAY_DIRECT;
    LONG lResult = WriteSpoolData(pWriter->pState, pb, cb);
    if ((lResult == SPOOL_E_WRITE || lResult == SPOOL_E_NOMEM) && !bDirect)
        pWriter->pState = nullptr;  // already released
    return lResult;
}

static BOOL _bCopyFormFile(SPOOLWRITER* pWriter)
{
    if (!pWriter->pState || !pWriter->hFormFile)
        return FALSE;
    BYTE* pBuf = static_cast<BYTE*>(GfxAlloc(FORMFILE_COPY_CHUNK));
    if (!pBuf)
        return FALSE;
    SetFilePointer(pWriter->hFormFile, 0, nullptr, 0);
    BOOL bOk = TRUE;
    for (;;) {
        DWORD cbRead = 0;
        if (!ReadFile(pWriter->hFormFile, pBuf, FORMFILE_COPY_CHUNK, &cbRead, nullptr)) {
            bOk = FALSE;
            break;
        }
        if (cbRead == 0)
            break;
        if (!pWriter->pState || _WriteThrough(pWriter, pBuf, cbRead) != static_cast<LONG>(cbRead)) {
            bOk = FALSE;
            break;
        }
    }
    GfxFree(pBuf);
    return bOk;
}

static void _FreeWriter(SPOOLWRITER* pWriter)
{
    if (pWriter->pState)
        DeleteSpoolState(pWriter->pState);
    pWriter->pState = nullptr;
    if (pWriter->hFormFile)
        CloseHandle(pWriter->hFormFile);
    pWriter->dwSignature = 0;
    GfxFree(pWriter);
}

BOOL bProcessJobData(SPOOLWRITER* pWriter, const BYTE* pb, DWORD cb)
{
    if (!pWriter || pWriter->dwSignature != SPOOLWRITER_SIGNATURE || !pb || cb == 0 ||
        cb > JR_MAX_DATA || !pWriter->pState)
        return FALSE;
    return _WriteThrough(pWriter, pb, cb) == static_cast<LONG>(cb);
}

BOOL bProcessJobRecord(SPOOLWRITER* pWriter, const BYTE* pRecord, DWORD cbRecord, DWORD* pcbTaken)
{
    if (pcbTaken)
        *pcbTaken = 0;
    if (!pWriter || pWriter->dwSignature != SPOOLWRITER_SIGNATURE || !pRecord ||
        cbRecord < JR_HEADER_SIZE)
        return FALSE;
    const JOBRECORDHDR* pHdr = reinterpret_cast<const JOBRECORDHDR*>(pRecord);
    BOOL bOk = TRUE;
    switch (pHdr->bType) {
    case JR_OPEN:
        bOk = cbRecord >= JR_OPEN_SIZE &&
              _bOpen(pWriter, reinterpret_cast<const JOBRECORD_OPEN*>(pRecord));
        break;
    case JR_SECTION:
        if (cbRecord < JR_SECTION_SIZE || !pWriter->pState) {
            bOk = FALSE;
        } else if (!_bSetSection(pWriter->pState,
                                 reinterpret_cast<const JOBRECORD_SECTION*>(pRecord)->wSection)) {
            DeleteSpoolState(pWriter->pState);
            pWriter->pState = nullptr;
            bOk = FALSE;
        }
        break;
    case JR_DATA: {
        DWORD cbData = pHdr->wLength;
        if (cbData == 0 || cbData > JR_MAX_DATA || cbRecord != JR_HEADER_SIZE + cbData ||
            !pWriter->pState) {
            bOk = FALSE;
            break;
        }
        bOk = _WriteThrough(pWriter, pRecord + JR_HEADER_SIZE, cbData) == static_cast<LONG>(cbData);
        break;
    }
    case JR_REPLAY:
        bOk = pWriter->pState && ReplaySpool(pWriter->pState) >= 0;
        break;
    case JR_CLOSE:
        _FreeWriter(pWriter);
        if (pcbTaken)
            *pcbTaken = cbRecord;
        return TRUE;
    case JR_COPYFILE:
        bOk = _bCopyFormFile(pWriter);
        break;
    default:
        break;
    }
    if (bOk && pcbTaken)
        *pcbTaken = cbRecord;
    return bOk;
}
