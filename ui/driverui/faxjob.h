// faxjob.h: the PC-fax job with cover sheets.
//
// Owns: RunFaxJob's batching of the destinations, the capture files it has
// the graphics library write (one "xfc" file per batch and one "xfj" job
// file, all listed in the printer's fax temporary-file list), the wide
// destination array the cover pages read, the cover page of each batch, and
// the cover paper helpers.
//
// Rules:
//   1. Every temporary file is listed before anything can fail after it, so
//      an aborted job leaves nothing unlisted; entries already in the list
//      (the job's capture file) keep their places.
//   2. Destination counts from the graphics library are bounded to 0..100.
#pragma once

#include "platform/windows.h"

#define FAXWDEST_TEXT_CCH 44
#define FAXWDEST_SIZE 356
#define FAXJOB_BATCH_SIZE 100
#define FAXJOB_BATCH_NAME_CCH 30     // 29 characters and a NUL in 60 bytes
#define FAXJOB_COUNTERS 12

// Escapes of the fax capture (the graphics library answers them).
#define ESC_FAX_PAGE_STATE 0x6FFFFE00    // in 1972
#define ESC_FAX_CAPTURE_ON 0x6FFFFE07    // in 4: number of destinations
#define ESC_FAX_BATCHES 0x6FFFFE08       // in 4
#define ESC_FAX_BATCH 0x6FFFFE09         // in 4: current batch
#define ESC_FAX_JOB_HEADER 0x6FFFFE0A    // in 520: document name
#define ESC_FAX_CAPTURE_KIND 0x6FFFFE0C  // in 1
#define ESC_FAX_RESET_PAGE 0x6FFFFE0D
#define ESC_FAX_GET_DOC_NAME 0x6FFFFE0E  // out 520
#define ESC_FAX_DIR 0x6FFFFE19           // in 520
#define ESC_FAX_BATCH_NAME 0x6FFFFE1A    // in 64
#define ESC_FAX_JOB_NAME 0x6FFFFE1B      // in 60
#define ESC_FAX_GET_COUNTERS 0x6FFFFE1C  // out 48
#define ESC_FAX_SET_COUNTERS 0x6FFFFE1D  // in 48
#define ESC_FAX_CAPTURE_DONE 0x6FFFFF06  // in 1

#define WA_FAX_SEND_TIME 2558   // five 16-bit words
#define WA_FAX_DESTS 2576       // FAXDESTFILE

// Capture kinds of escape 0x6FFFFE0C.
#define FAXCAPTURE_DEST 1
#define FAXCAPTURE_COMMON 2

#pragma pack(push, 1)
// One destination as the cover page reads it (356 bytes).
//   off size field
//     0   88 text 1 (name), UTF-16, 44 units
//    88   88 text 2 (fax number)
//   176   88 text 3 (first company line)
//   264   88 text 4 (second company line)
//   352    1 ECM    353 1 international mode    354 1 V.34    355 1 reserved
struct FAXWDEST {
    WCHAR aszText[4][FAXWDEST_TEXT_CCH];
    BYTE bEcm;
    BYTE bIntl;
    BYTE bV34;
    BYTE bReserved;
};
// Batch name record of escape 0x6FFFFE1A (64 bytes).
//   off size field
//     0    4 batch index
//     4   60 file name and extension, WCHAR[30]
struct FAXBATCHNAME {
    DWORD dwIndex;
    WCHAR szName[FAXJOB_BATCH_NAME_CCH];
};
#pragma pack(pop)
static_assert(sizeof(FAXWDEST) == FAXWDEST_SIZE);
static_assert(offsetof(FAXWDEST, aszText[1]) == 88);
static_assert(offsetof(FAXWDEST, bEcm) == 352);
static_assert(offsetof(FAXWDEST, bV34) == 354);
static_assert(sizeof(FAXBATCHNAME) == 64);
static_assert(offsetof(FAXBATCHNAME, szName) == 4);

// Batching of total destinations: kind 0 batches of 100, kind 1 one per
// destination, any other kind (or batching off) one batch.
int FaxBatchCount(BOOL bBatching, BYTE bKind, int iTotal);
void FaxBatchRange(BOOL bBatching, BYTE bKind, int iTotal, int iBatch, int* piFirst, int* piLast);

// The job with cover sheets at the first page: 1 when every batch was
// prepared, else 0.
int RunFaxJob(HDC hdc);
// One cover page for destinations [iFirst, iLast): 1 or 0.
int PrintCoverSheetPage(BYTE* pJobBlock, HDC hdc, const FAXWDEST* pDests, int cDests, int iFirst,
                        int iLast, const WORD* pSendTime);

// Cover sheet paper index 0..5 of the user's "FCSPaper" value (5 when
// missing or larger).
int GetCoverSheetPaper(LPCWSTR pszPrinter);
// One printable-area edge in 1/100 mm scaled to dots at 200, 400 or 600
// dpi; 0 (and nothing written) for any other resolution.
int ScalePrintableValue(int iResolution, LONG lValue, LONG* plDots);
