// docevent.h: the document-event chain of the user-interface library.
//
// Owns: DispatchDocumentEvent, the handlers it runs in order for each event
// the spooler reports around a job's device-context calls, the private
// escapes they send to the graphics library (codes, exact sizes, offsets of
// the records read back), and the file and registry helpers of the chain.
// The page hooks, the fax job with cover sheets and the send-time helpers are
// in dochooks.h.
//
// Rules the chain keeps:
//   1. Handlers keep no state between events: the job block, the work area
//      and the fax state are read back from the graphics library each time.
//   2. Every escape is sent with the exact in/out sizes the receiver matches;
//      a receiver that does not match answers 0 and the handler treats that
//      as a failed escape.
//   3. A declined confirmation never fails the event: it suppresses the
//      job's output and the event succeeds.
//   4. Buffers are freed on every path; texts from the string cache are
//      copied before the next text is fetched.
#pragma once

#include "platform/windows.h"
#include "ui/settings/faxdestrec.h"

// Handler and dispatcher results (the spooler's convention).
#define DOCEV_OK 1
#define DOCEV_UNSUPPORTED 0
#define DOCEV_FAIL (-1)

// Private escapes sent by the chain.
#define ESC_JOB_BLOCK 0x6FFFFF00        // out 9075: the PDEV image
#define ESC_WORK_AREA 0x6FFFFF01        // out 28108: the page generator's work area
#define ESC_USER_NAME 0x6FFFFF02        // in 510
#define ESC_SUPPRESS_OUTPUT 0x6FFFFF03  // in 1
#define ESC_DROP_OVERLAY 0x6FFFFF04     // no data
#define ESC_USER_PAPERS 0x6FFFFF05      // in 80
#define ESC_HOST_PROGRAM 0x6FFFFF07     // in 64
#define ESC_FAX_LIST_ID 0x6FFFFE02      // out 4
#define ESC_FAX_LIST_ID_CLEAR 0x6FFFFE03
#define ESC_FAX_DEST_LIST 0x6FFFFE04    // in 18004
#define ESC_FAX_FIRST_DEST 0x6FFFFE05   // in 4
#define ESC_FAX_LAST_DEST 0x6FFFFE06    // in 4
#define ESC_FAX_DOC_NAME 0x6FFFFE0F     // in 520
#define ESC_FAX_STATE 0x6FFFFE10        // out 16
#define ESC_FAX_SEND_TIME 0x6FFFFE11    // in 10
#define ESC_FAX_FORGET_DESTS 0x6FFFFE12
#define ESC_FAX_FIRST_NUMBER 0x6FFFFE13 // out 88
#define ESC_FAX_GET_SEND_TIME 0x6FFFFE14  // out 10
#define ESC_JOB_END 0x6FFFFE15
#define ESC_FAX_BATCH_DONE 0x6FFFFE16   // in 2
#define ESC_FAX_COVER_DONE 0x6FFFFE17
#define ESC_TIMED_JOB_DATE 0x6FFFFE18   // in 10
#define ESC_INSERT_RECORDS 0x6FFFFD00   // in n x 476
#define ESC_INSERT_COUNT 0x6FFFFD01     // in 4
#define ESC_INSERT_PAIR 0x6FFFFD02      // in 8
#define ESC_INSERT_VALUE2 0x6FFFFD03    // in 4
#define ESC_SEGMENT_ON 0x6FFFFD05
#define ESC_SEGMENT_OFF 0x6FFFFD06
#define ESC_TAB_ENTRIES 0x6FFFFD08      // in 4
#define ESC_TAB_PART1 0x6FFFFD0C
#define ESC_TAB_PART2 0x6FFFFD0D
#define ESC_TAB_RECORDED 0x6FFFFD0E
#define ESC_TAB_QUERY 0x6FFFFD0F        // out 4
#define ESC_TAB_KEY 0x6FFFFD11          // in 4
#define ESC_TAB_NEXT 0x6FFFFD12
#define ESC_INSERT_SCHEDULE 0x6FFFFD13
#define ESC_OWNER_COMPARE 0x6FFFFC00
#define ESC_TIMER 0x6FFFFC01            // out 10
#define ESC_CAPTURE_CLEAR 0x6FFFFB00
#define ESC_CAPTURE_PATH 0x6FFFFB01     // in 520

// Records read back.
#define JOBBLOCK_SIZE 9075
#define JOBBLOCK_DEVMODE 6460            // the job DEVMODE inside the block
#define WORKAREA_SIZE 28108
#define FAXSTATE_SIZE 16
#define FAXDESTFILE_SIZE 18004

// Work-area offsets the chain reads.
#define WA_HEADER_WRITTEN 8     // 32-bit: 1 once the job header is written
#define WA_CAPTURE_ON 84        // byte
#define WA_CAPTURE_PATH 88      // WCHAR[260]
#define WA_OWNER_COMPARE 1518   // 16-bit: 1 hides the password
#define WA_SECURE_FLAG 1520     // 32-bit confirmation flags
#define WA_HARDDISK_FLAG 1524
#define WA_BOX_FLAG 1528
#define WA_TIMER_FLAG 1532
#define WA_TIMER_WORDS 1544     // five 16-bit words
#define WA_FAX_BATCH_COUNT 2340 // 32-bit
#define WA_FAX_DIR 20580        // WCHAR[260]
#define WA_FAX_COVER_NAME 21100 // WCHAR[30]
#define WA_FAX_BATCH_NAME 21160 // 100 x WCHAR[30]
#define WA_FAX_NAME_CCH 30

// Fax state (escape 0x6FFFFE10, 16 bytes).
//   off size field
//     0    1 fax output (1: the job goes to PC-fax)
//     1    1 cover sheet on
//     2    2 reserved
//     4    4 destinations held by the graphics library
//     8    1 send hour        9 1 send minute
//    10    1 timed transmission on
//    11    1 reserved
//    12    4 job header written
#pragma pack(push, 1)
struct FAXSTATE {
    BYTE bFaxOutput;
    BYTE bCoverSheet;
    BYTE abReserved2[2];
    DWORD dwDestinations;
    BYTE bSendHour;
    BYTE bSendMinute;
    BYTE bTimed;
    BYTE bReserved11;
    DWORD dwHeaderWritten;
};
#pragma pack(pop)
static_assert(sizeof(FAXSTATE) == FAXSTATE_SIZE);
static_assert(offsetof(FAXSTATE, dwDestinations) == 4);
static_assert(offsetof(FAXSTATE, bSendHour) == 8);
static_assert(offsetof(FAXSTATE, bTimed) == 10);
static_assert(offsetof(FAXSTATE, dwHeaderWritten) == 12);

// The dispatcher behind DrvDocumentEvent.
INT DispatchDocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                          PVOID pvOut);

// The handlers, in the order the dispatcher runs them. wEvent is the event
// number; each answers 1 (go on), 0 (unsupported) or -1 (failure).
typedef int (*PFN_DOCEVENTHANDLER)(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn,
                                   ULONG cbOut, PVOID pvOut);
int DocEventSendJobIdentity(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
int DocEventBookMode(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
int DocEventFaxJob(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
int DocEventCaptureFile(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
int DocEventInsertSheets(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
int DocEventConfirmOutput(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
int DocEventCheckFormFile(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);

// The escape call every handler goes through (ExtEscape on the job's DC).
// Tests put a recorder here; null restores ExtEscape.
typedef int (*PFN_DOCESCAPE)(HDC hdc, int iEscape, int cbIn, LPCSTR pIn, int cbOut, LPSTR pOut);
void DocEventSetEscapeProc(PFN_DOCESCAPE pfn);
int DocEscape(HDC hdc, DWORD dwCode, DWORD cbIn, const void* pIn, DWORD cbOut, void* pOut);

// Reads the job block / work area into a new zeroed block (GlobalFree it);
// null when the allocation or the escape fails.
BYTE* ReadJobBlock(HDC hdc);
BYTE* ReadWorkArea(HDC hdc);

// Form-file class by its first bytes: 0 native, 1 PCL 5e, 2 PCL XL, 255
// unreadable, empty or unknown.
BYTE SniffFormFilePdl(LPCWSTR pszPath);
// TRUE when a form may be created at the path: no file is there, or the file
// there is empty or a form file (its first bytes are a form's).
BOOL bFormFileReplaceable(LPCWSTR pszPath);
// TRUE when the file existed, could be opened for writing and was deleted.
BOOL bDeleteFileIfPresent(LPCWSTR pszPath);
// The registry list of temporary files of the printer's fax jobs.
void DeleteFaxTempFiles(HANDLE hPrinter);
void ClearFaxTempFileList(HANDLE hPrinter);
// Hands the job's destination file to the graphics library at the first page.
int SendFaxDestinationFile(HDC hdc);
