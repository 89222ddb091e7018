// jobrecord.h: the job record stream and the spool writer.
//
// Owns: the typed job records (JOBRECORD), the spool writer (SPOOLWRITER)
// that interprets them, the spool state (SPOOLSTATE) with its page nodes
// (SPOOLPAGE) that keeps a job in a temporary "spl" file for replay, and the
// PDEV side that cuts output into records (ResetJobRecordBuffer,
// bWriteJobData, bEmitJobRecord). It does not decide when records are
// emitted: the document and page flow sets the record state and calls the
// emit callback; the page generator's router calls the write callback.
//
// The two stages meet only through the record bytes: the writer keeps no
// pointer into the PDEV.
//
// Rules:
//  1. A DATA record carries 1..4092 bytes; output never waits in the buffer
//     across a record of another type.
//  2. A DATA record that is not taken whole aborts the job (PDEVF_ABORTED):
//     later writes and DATA records fail, but SECTION, REPLAY and CLOSE are
//     still passed on so that the writer is torn down.
//  3. When the temporary file cannot be written, the spool state is released
//     and the writer forgets it at once; nothing reaches freed memory.
//  4. A replay that cannot write stops and reports the failure; the job
//     (and with it EndDoc) fails.
//  5. A page's boundaries are booked when its SECTION records arrive, so a
//     page whose end part is empty still is a page of its own.
#pragma once

#include "platform/windows.h"

struct PDEV;

// Record types.
#define JR_OPEN 1
#define JR_SECTION 2
#define JR_DATA 3
#define JR_REPLAY 4
#define JR_CLOSE 5
#define JR_COPYFILE 6

// Section kinds.
#define SECTION_HEADER 1
#define SECTION_PAGESTART 2
#define SECTION_PAGEBODY 3
#define SECTION_PAGEEND 4
#define SECTION_TRAILER 5

// Replay modes.
#define REPLAY_DIRECT 1
#define REPLAY_COLLATED 2
#define REPLAY_REVERSE 3
#define REPLAY_BOOKLET 4

// Form-file modes (the job DEVMODE's lpOverlay).
#define FORMFILE_NONE 1
#define FORMFILE_CREATE 2
#define FORMFILE_OVERLAY 3

// Results of WriteSpoolData and the replay routines.
#define SPOOL_E_RANGE (-1)      // page out of range / bad arguments
#define SPOOL_E_WRITE (-4)      // short write to the temporary file or the sink
#define SPOOL_E_NOMEM (-5)      // no memory
#define SPOOL_E_READ (-6)       // short read of the temporary file

#define JR_OPEN_SIZE 533
#define JR_SECTION_SIZE 6
#define JR_HEADER_SIZE 4
#define JR_MAX_DATA 4092
#define SPOOL_COPY_CHUNK 0x7FFF
#define FORMFILE_COPY_CHUNK 0x4000
#define SPOOLWRITER_SIGNATURE 0x44525347UL  // "GSRD"

// Sink of the writer: WritePrinter, or WriteFileSink for a form file.
typedef BOOL (*PFN_SPOOLSINK)(HANDLE hSink, LPVOID pBuf, DWORD cb, LPDWORD pcWritten);

#pragma pack(push, 1)

// Header every record starts with (4 bytes).
//   off size field
//     0    1 bType        JR_*
//     1    1 bHeaderLen   OPEN 21, SECTION 6, others 4
//     2    2 wLength      DATA: n data bytes; others 0
struct JOBRECORDHDR {
    BYTE bType;
    BYTE bHeaderLen;
    WORD wLength;
};

// OPEN, 533 bytes.
//   off size field
//     0    4 hdr          {1, 21, 0}
//     4    2 wReplayMode
//     6    2 wReplayCopies
//     8    1 bFormMode    FORMFILE_*
//     9  520 szFormPath   UTF-16, 260 units, NUL-terminated
//   529    4 lMacroNumber macro number of the form
struct JOBRECORD_OPEN {
    JOBRECORDHDR hdr;
    WORD wReplayMode;
    WORD wReplayCopies;
    BYTE bFormMode;
    WCHAR szFormPath[MAX_PATH];
    LONG lMacroNumber;
};

// SECTION, 6 bytes.
//   off size field
//     0    4 hdr          {2, 6, 0}
//     4    2 wSection     SECTION_*
struct JOBRECORD_SECTION {
    JOBRECORDHDR hdr;
    WORD wSection;
};

// Spool writer, 24 bytes of zero-filled global memory, one per job.
//   off size field
//     0    4 dwSignature  "GSRD"
//     4    4 hSink        printer handle, or the form file (mode 2)
//     8    4 dwReserved   0
//    12    4 pState       SPOOLSTATE, or null
//    16    4 pfnWrite     WritePrinter, or WriteFileSink (mode 2)
//    20    4 hFormFile    form file opened at OPEN, or null
struct SPOOLSTATE;
struct SPOOLWRITER {
    DWORD dwSignature;
    HANDLE hSink;
    DWORD dwReserved;
    SPOOLSTATE* pState;
    PFN_SPOOLSINK pfnWrite;
    HANDLE hFormFile;
};

// Page node, 32 bytes.
//   off size field
//     0    8 start part   offset, length
//     8    8 body part    offset, length
//    16    8 end part     offset, length
//    24    4 pPrev
//    28    4 pNext
// A part is set when its length is non-zero, so a part at file offset 0
// (a job with an empty header) is told apart from an unset one.
struct SPOOLPAGE {
    DWORD dwStartOff;
    DWORD cbStart;
    DWORD dwBodyOff;
    DWORD cbBody;
    DWORD dwEndOff;
    DWORD cbEnd;
    SPOOLPAGE* pPrev;
    SPOOLPAGE* pNext;
};

// Spool state, 572 bytes of movable global memory.
//   off size field
//     0    4 hSink
//     4  520 szTempFile    UTF-16 path of the "spl" file
//   524    4 hTempFile
//   528    4 cbTotal       bytes written to the file
//   532    4 cPages        pages stored
//   536    4 lHeaderOff    -1 until the first header byte
//   540    4 cbHeader
//   544    4 dwTrailerOff  0 until the first trailer byte
//   548    4 cbTrailer
//   552    4 pFirstPage
//   556    4 pCurPage
//   560    2 wPrevSection
//   562    2 wCurSection   starts at 1
//   564    2 wMode         replay mode
//   566    2 nCopies       replay copies (signed)
//   568    4 pfnWrite
struct SPOOLSTATE {
    HANDLE hSink;
    WCHAR szTempFile[MAX_PATH];
    HANDLE hTempFile;
    DWORD cbTotal;
    DWORD cPages;
    LONG lHeaderOff;
    DWORD cbHeader;
    DWORD dwTrailerOff;
    DWORD cbTrailer;
    SPOOLPAGE* pFirstPage;
    SPOOLPAGE* pCurPage;
    WORD wPrevSection;
    WORD wCurSection;
    WORD wMode;
    SHORT nCopies;
    PFN_SPOOLSINK pfnWrite;
};

#pragma pack(pop)

static_assert(sizeof(JOBRECORDHDR) == 4);
static_assert(sizeof(JOBRECORD_OPEN) == JR_OPEN_SIZE);
static_assert(offsetof(JOBRECORD_OPEN, wReplayMode) == 4);
static_assert(offsetof(JOBRECORD_OPEN, wReplayCopies) == 6);
static_assert(offsetof(JOBRECORD_OPEN, bFormMode) == 8);
static_assert(offsetof(JOBRECORD_OPEN, szFormPath) == 9);
static_assert(offsetof(JOBRECORD_OPEN, lMacroNumber) == 529);
static_assert(sizeof(JOBRECORD_SECTION) == JR_SECTION_SIZE);
static_assert(sizeof(void*) != 4 || sizeof(SPOOLWRITER) == 24);
static_assert(sizeof(void*) != 4 || sizeof(SPOOLPAGE) == 32);
static_assert(sizeof(void*) != 4 || sizeof(SPOOLSTATE) == 572);
static_assert(sizeof(void*) != 4 || offsetof(SPOOLSTATE, hTempFile) == 524);
static_assert(sizeof(void*) != 4 || offsetof(SPOOLSTATE, cbTotal) == 528);
static_assert(sizeof(void*) != 4 || offsetof(SPOOLSTATE, lHeaderOff) == 536);
static_assert(sizeof(void*) != 4 || offsetof(SPOOLSTATE, pFirstPage) == 552);
static_assert(sizeof(void*) != 4 || offsetof(SPOOLSTATE, wPrevSection) == 560);
static_assert(sizeof(void*) != 4 || offsetof(SPOOLSTATE, nCopies) == 566);
static_assert(sizeof(void*) != 4 || offsetof(SPOOLSTATE, pfnWrite) == 568);

// --- PDEV side -------------------------------------------------------------

// Empties the record buffer: used 0, capacity 4092, write pointer at the
// first data byte.
void ResetJobRecordBuffer(PDEV* pPDev);

// The PDEV's write callback: appends bytes to the record buffer, emitting
// full records as DATA. FALSE when the job is aborted or a record failed.
BOOL bWriteJobData(PDEV* pPDev, const BYTE* pb, DWORD cb);

// The PDEV's emit callback: emits the record named by the record state
// (bRecState) and, for DATA, empties the buffer.
BOOL bEmitJobRecord(PDEV* pPDev);

// Sets the record state (and for SECTION the kind) and emits it.
BOOL bEmitRecordOfType(PDEV* pPDev, BYTE bType, WORD wSection);

// Closes an open stream of a PDEV that is going away without EndDoc: CLOSE
// is emitted so the writer, its temporary file and its form file are freed.
void CloseJobRecordStream(PDEV* pPDev);

// --- Writer side -----------------------------------------------------------

SPOOLWRITER* CreateSpoolWriter(HANDLE hPrinter);
// Interprets one record; *pcbTaken gets the bytes taken (the record length on
// success, 0 on failure). A CLOSE record frees the writer.
BOOL bProcessJobRecord(SPOOLWRITER* pWriter, const BYTE* pRecord, DWORD cbRecord,
                       DWORD* pcbTaken);

// A DATA record of cb bytes (1..4092) at pb, given without its header: what
// bProcessJobRecord does with the whole record, for data that lies in the
// caller's memory and is not copied behind a header first.
BOOL bProcessJobData(SPOOLWRITER* pWriter, const BYTE* pb, DWORD cb);

SPOOLSTATE* CreateSpoolState(HANDLE hSink, WORD wMode, SHORT nCopies, PFN_SPOOLSINK pfnWrite);
void SetSpoolSection(SPOOLSTATE* pState, WORD wSection);
// Bytes written (the count), or SPOOL_E_*. On SPOOL_E_WRITE or SPOOL_E_NOMEM
// in a file mode the state has been released: the caller must forget it.
LONG WriteSpoolData(SPOOLSTATE* pState, const BYTE* pb, DWORD cb);
// 1 when there is nothing to replay; else the last result, negative on failure.
LONG ReplaySpool(SPOOLSTATE* pState);
void DeleteSpoolState(SPOOLSTATE* pState);
BOOL WriteFileSink(HANDLE hFile, LPVOID pBuf, DWORD cb, LPDWORD pcWritten);

