// jobrecord.cpp: the PDEV side of the job record stream.
//
// Entry points: ResetJobRecordBuffer, bWriteJobData, bEmitJobRecord,
// bEmitRecordOfType, CloseJobRecordStream. Output gathers in the PDEV's
// record buffer and leaves as typed records that the spool writer
// (spoolwriter.cpp) interprets. Rules in jobrecord.h.
#include "graphics/ddi/jobrecord.h"

#include "customnt/xrddigfx/pdev.h"

#include <cstring>

void ResetJobRecordBuffer(PDEV* pPDev)
{
    pPDev->cbRecUsed = 0;
    pPDev->cbRecCapacity = PDEV_RECORD_CAPACITY;
    pPDev->ibRecWrite = PDEV_RECORD_HEADER;
}

// Hands one record to the writer; TRUE when it was taken whole.
static BOOL _bPassRecord(PDEV* pPDev, const BYTE* pRecord, DWORD cbRecord)
{
    SPOOLWRITER* pWriter = PdevWriter(pPDev);
    if (!pWriter)
        return FALSE;
    DWORD cbTaken = 0;
    if (reinterpret_cast<const JOBRECORDHDR*>(pRecord)->bType == JR_CLOSE)
        SetPdevWriter(pPDev, nullptr);  // CLOSE frees the writer whatever it answers
    BOOL bOk = bProcessJobRecord(pWriter, pRecord, cbRecord, &cbTaken);
    return bOk && cbTaken == cbRecord;
}

static BOOL _bEmitOpen(PDEV* pPDev)
{
    // A writer left over from an earlier job is closed first, so that it and
    // its temporary file are not lost.
    if (PdevWriter(pPDev)) {
        JOBRECORDHDR close = {JR_CLOSE, JR_HEADER_SIZE, 0};
        _bPassRecord(pPDev, reinterpret_cast<BYTE*>(&close), sizeof(close));
    }
    SetPdevWriter(pPDev, CreateSpoolWriter(PdevPrinter(pPDev)));
    if (!PdevWriter(pPDev))
        return FALSE;

    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    JOBRECORD_OPEN rec;
    std::memset(&rec, 0, sizeof(rec));
    rec.hdr.bType = JR_OPEN;
    rec.hdr.bHeaderLen = 21;
    rec.hdr.wLength = 0;
    rec.wReplayMode = pPDev->wReplayMode;
    rec.wReplayCopies = pPDev->wReplayCopies;
    rec.bFormMode = pdm->ui.lpOverlay;
    // The path is read from the overlay name and the reserved bytes after it;
    // the last unit is forced to a terminator so a full field never runs on.
    std::memcpy(rec.szFormPath, reinterpret_cast<const BYTE*>(pdm) + 882, sizeof(rec.szFormPath));
    rec.szFormPath[MAX_PATH - 1] = 0;
    std::memcpy(&rec.lMacroNumber, reinterpret_cast<const BYTE*>(pdm) + 1402, 4);
    return _bPassRecord(pPDev, reinterpret_cast<BYTE*>(&rec), sizeof(rec));
}

// DATA: sends the buffered bytes (if any) and empties the buffer in every case.
static BOOL _bEmitData(PDEV* pPDev)
{
    BOOL bOk = TRUE;
    if (pPDev->cbRecUsed != 0 && !(pPDev->fJob & PDEVF_ABORTED)) {
        JOBRECORDHDR* pHdr = reinterpret_cast<JOBRECORDHDR*>(pPDev->abRecord);
        pHdr->bType = JR_DATA;
        pHdr->bHeaderLen = JR_HEADER_SIZE;
        pHdr->wLength = static_cast<WORD>(pPDev->cbRecUsed);
        if (!_bPassRecord(pPDev, pPDev->abRecord, JR_HEADER_SIZE + pPDev->cbRecUsed)) {
            pPDev->fJob |= PDEVF_ABORTED;
            bOk = FALSE;
        }
    }
    ResetJobRecordBuffer(pPDev);
    return bOk;
}

BOOL bEmitJobRecord(PDEV* pPDev)
{
    // Bytes still in the buffer belong before any record of another type;
    // they would otherwise be booked into the wrong section.
    if (pPDev->bRecState >= JR_OPEN && pPDev->bRecState <= JR_COPYFILE &&
        pPDev->bRecState != JR_DATA && pPDev->cbRecUsed != 0 && PdevWriter(pPDev))
        _bEmitData(pPDev);
    switch (pPDev->bRecState) {
    case JR_OPEN:
        return _bEmitOpen(pPDev);
    case JR_SECTION: {
        JOBRECORD_SECTION rec = {{JR_SECTION, JR_SECTION_SIZE, 0}, pPDev->wSectionKind};
        return _bPassRecord(pPDev, reinterpret_cast<BYTE*>(&rec), sizeof(rec));
    }
    case JR_REPLAY:
    case JR_CLOSE:
    case JR_COPYFILE: {
        JOBRECORDHDR rec = {pPDev->bRecState, JR_HEADER_SIZE, 0};
        return _bPassRecord(pPDev, reinterpret_cast<BYTE*>(&rec), sizeof(rec));
    }
    default:
        return _bEmitData(pPDev);
    }
}

BOOL bEmitRecordOfType(PDEV* pPDev, BYTE bType, WORD wSection)
{
    pPDev->bRecState = bType;
    if (bType == JR_SECTION)
        pPDev->wSectionKind = wSection;
    return bEmitJobRecord(pPDev);
}

static void _AppendToBuffer(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    std::memcpy(PdevRecWrite(pPDev), pb, cb);
    pPDev->ibRecWrite = static_cast<DWORD>(PdevRecWrite(pPDev) - pPDev->abRecord) + cb;
    pPDev->cbRecUsed += cb;
}

BOOL bWriteJobData(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    if (pPDev->fJob & PDEVF_ABORTED)
        return FALSE;
    if (pPDev->fJob & PDEVF_DROPOUTPUT)
        return TRUE;
    if (cb == 0)
        return TRUE;
    if (!pb)
        return FALSE;
    if (pPDev->cbRecUsed + cb <= pPDev->cbRecCapacity) {
        _AppendToBuffer(pPDev, pb, cb);
        return TRUE;
    }
    // Data written outside a DATA state still leaves as DATA: the buffer only
    // ever holds data bytes.
    BYTE bState = pPDev->bRecState;
    pPDev->bRecState = JR_DATA;
    BOOL bOk = _bEmitData(pPDev);
    if (bOk) {
        if (cb <= pPDev->cbRecCapacity) {
            _AppendToBuffer(pPDev, pb, cb);
        } else {
            // Each piece leaves as a record of its own at once: it goes to
            // the writer from where it lies, not through the buffer.
            while (cb > 0 && bOk) {
                DWORD cbPiece = cb < JR_MAX_DATA ? cb : JR_MAX_DATA;
                SPOOLWRITER* pWriter = PdevWriter(pPDev);
                if (!pWriter || !bProcessJobData(pWriter, pb, cbPiece)) {
                    pPDev->fJob |= PDEVF_ABORTED;
                    bOk = FALSE;
                }
                pb += cbPiece;
                cb -= cbPiece;
            }
        }
    }
    pPDev->bRecState = bState;
    return bOk;
}

void CloseJobRecordStream(PDEV* pPDev)
{
    if (!PdevWriter(pPDev))
        return;
    bEmitRecordOfType(pPDev, JR_CLOSE, 0);
    pPDev->fJob &= ~PDEVF_STREAMOPEN;
}
