// pdlwork.h: PDLWORK, the page generator's work area, and PAGESETUPREC.
//
// Owns: the 28108-byte work area that sits in the PDEV right after the job
// DEVMODE's ENVEXTRA part, and the 48-byte page set-up record kept in it.
// The user-interface library copies the whole work area by escape, so its
// layout is a shared format: every offset below is fixed and asserted.
// Bytes not named here (padding, the drawing attribute cache) belong to the
// page generator's own Parts; the attribute cache is laid out by its owner
// inside abAttrCache*, which keep the two fixed words at 28048 and 28076.
//
// Rules the code relies on:
//  1. The frame allocates the work area zeroed with the PDEV; zero is a valid
//     "nothing yet" state for every field.
//  2. No field holds a pointer: a buffer the work area owns (capture,
//     insert sheets, sheet table, blank-page buffer, segment store and
//     index, the attribute cache's saved lists and brushes) is named by a
//     32-bit slot, the row number of the PDEV's side record that holds it,
//     0 when there is none (customnt/xrddigfx/pdevside.h). The bytes are the
//     same in the 32-bit and the 64-bit build.
//  3. Integers are little-endian; int32/int16 fields are signed.
#pragma once

#include "ui/settings/faxdestrec.h"

#include "platform/windef.h"

#pragma pack(push, 1)

// PAGESETUPREC, 48 bytes.
//
//  off size field
//    0    4 dwMask      item mask (PSI_* below)
//    4    8 x, y        origin in 1/100 mm
//   12    2 nPaper      paper code for the PDL mode
//   14    2 nOrient     orientation code
//   16    4 cxPaper     paper width, 1/100 mm
//   20    4 cyPaper     paper length, 1/100 mm
//   24   16 rcMargin    margins left, top, right, bottom
//   40    2 nTray       tray code
//   42    2 nSides      sides code
//   44    4 nCopies     copies
struct PAGESETUPREC {
    DWORD dwMask;      // which items are valid (PSI_*)
    LONG x;            // origin x
    LONG y;            // origin y
    SHORT nPaper;      // paper code
    SHORT nOrient;     // orientation code
    LONG cxPaper;      // width
    LONG cyPaper;      // length
    LONG aMargin[4];   // left, top, right, bottom
    SHORT nTray;       // tray code
    SHORT nSides;      // sides code
    LONG nCopies;      // copies (never written by the set-up commands)
};

#define PSI_ORIGIN 0x001
#define PSI_PAPER 0x002
#define PSI_ORIENT 0x004
#define PSI_TRAY 0x008
#define PSI_WIDTH 0x010
#define PSI_LENGTH 0x020
#define PSI_MARGINS 0x040
#define PSI_SIDES 0x080
#define PSI_COPIES 0x100
#define PSI_ALL 0x1FF

static_assert(sizeof(PAGESETUPREC) == 48);
static_assert(offsetof(PAGESETUPREC, x) == 4);
static_assert(offsetof(PAGESETUPREC, nPaper) == 12);
static_assert(offsetof(PAGESETUPREC, nOrient) == 14);
static_assert(offsetof(PAGESETUPREC, cxPaper) == 16);
static_assert(offsetof(PAGESETUPREC, cyPaper) == 20);
static_assert(offsetof(PAGESETUPREC, aMargin) == 24);
static_assert(offsetof(PAGESETUPREC, nTray) == 40);
static_assert(offsetof(PAGESETUPREC, nSides) == 42);
static_assert(offsetof(PAGESETUPREC, nCopies) == 44);

// FAXDESTFILE (ui/settings/faxdestrec.h), 18004 bytes: the destination list
// the fax job sends by escape.
#define PDL_MAX_FAXDEST FAXDEST_MAX
#define PDL_FAXDEST_SIZE 180

// PDLWORK, 28108 bytes.
//
//   off  size  field
//     0     4  lUnused           not used by the page generator
//     4     4  lWorkOffset       offset of PDLWORK in the PDEV
//     8     4  bHeaderWritten    job header written
//    12     4  bPageSetUp        current page set up
//    16     1  bDocOpen          StartDoc..EndDoc
//    17     1  bDropOutput       escape 0x6FFFFF03: drop all output
//    20     4  nPageSide         next physical page side, from 1
//    24     4  bFirstPageDone    first-page step done
//    28     4  bFormFileMode     the job writes an overlay file
//    32     1  bPageState        1 after set-up until the first drawing
//    33     1  bJobEndPending    escape 0x6FFFFE15 seen
//    36    48  psCurrent         current PAGESETUPREC
//    84     1  bBlankSkip        blank-page skipping active
//    85     1  bPageBlank        page still blank
//    86     1  bPageBuffered     page buffered for blank-page skipping
//    88   520  szBlankPath       WCHAR[260] blank-page capture file
//   608    12  aBlankState       blank-page buffer state: capture file
//                                 size, slot of the buffer (PREF_BLANKBUF),
//                                 bytes in the buffer
//   620    48  psBuffered        PAGESETUPREC of the buffered page
//   668     4  nBufferedSide     copy of nPageSide for the buffered page
//   676   256  szDocName         ANSI document name
//   932    64  szAppName         WCHAR[32] application name
//   996     2  cxPrintable       printable width, device units
//   998     2  cyPrintable       printable length, device units
//  1000   512  szUserName        WCHAR[256] Windows user name
//  1512     4  lUserNameSum      sum of the user name's characters
//  1516     1  cchUserName       user name length
//  1518     2  nOwnerCheck       job-owner check result 1..5
//  1520    16  aSecure           secure-print permissions P1..P4
//  1536     4  bForceRop         forced raster-operation flag
//  1540     4  lForceRop         forced raster-operation kind
//  1544    10  aTimerDate        year, month, day, hour, minute
//  1554   256  abToneCurve       grey level -> output level
//  1810     1  bDrawKind         0 doc, 1 page, 2 image, 3 path, 4 text
//  1812     4  cbCaptureFile     bytes written to the current capture file
//  1816   520  szFaxDocName      WCHAR[260] fax document name
//  2336     4  bCaptureOn        capture enabled
//  2340     4  cDestFiles        number of destination files
//  2344     4  iDestFile         current destination file
//  2348   200  aDestValues       per-destination values
//  2548     8  aCaptureValues    capture values (escapes 0x6FFFFE05/06)
//  2556     1  bCaptureKind      1 destination part, 2 common part
//  2558    10  aFaxDate          year, month, day, hour, minute
//  2568     4  slCaptureBuf      slot: capture buffer (PREF_CAPTUREBUF)
//  2572     4  cbCaptureBuf      bytes in the capture buffer
//  2576 18004  FaxDest           FAXDESTFILE
// 20580   520  szCaptureDir      WCHAR[260]
// 21100    60  szCommonName      WCHAR[30]
// 21160  6000  aszDestName       100 x WCHAR[30]
// 27160    12  aSchedule         special-page schedule header; the word at
//                                 27168 is the slot of the sheet table
//                                 (PREF_SHEETTABLE)
// 27172     4  nLogicalPage      logical page number, from 1
// 27176     4  slInsertSheets    slot: 128 x 476-byte insert-sheet records
//                                 (PREF_INSERTSHEETS)
// 27180    20  aInsertValues     count and job values
// 27200     4  bRecording        segment recording on
// 27204    20  aReplay           segment replay state (SEGMENTSTATE)
// 27224    80  aUserPaper        10 x (width, length)
// 27304     4  lClipSaveMode     clip-to-path save mode
// 27308   740  abAttrCache       drawing attribute cache
// 28048     4  lCarried          carried across ResetPDEV
// 28052    24  abAttrCache2      drawing attribute cache
// 28076     4  bFontSubstDone    font-substitution lines written
// 28080    28  abAttrCache3      drawing attribute cache
#define PDLWORK_SIZE 28108
#define PDL_ENVEXTRA_SIZE 1199
#define PDL_INSERT_BUF_SIZE 0xEE00
#define PDL_CAPTURE_BUF_SIZE 1024000

struct PDLWORK {
    LONG lUnused;                // not used
    LONG lWorkOffset;            // offset of this area in the PDEV
    LONG bHeaderWritten;         // job header written
    LONG bPageSetUp;             // page set up
    BYTE bDocOpen;               // document open
    BYTE bDropOutput;            // drop all output
    BYTE abPad18[2];
    LONG nPageSide;              // next physical page side
    LONG bFirstPageDone;         // first-page step done
    LONG bFormFileMode;          // overlay file instead of print
    BYTE bPageState;             // set-up done, nothing drawn yet
    BYTE bJobEndPending;         // closing marker from the UI
    BYTE abPad34[2];
    PAGESETUPREC psCurrent;      // current page set-up
    BYTE bBlankSkip;             // blank-page skipping active
    BYTE bPageBlank;             // page still blank
    BYTE bPageBuffered;          // page held back
    BYTE bPad87;
    WCHAR szBlankPath[260];      // blank-page capture file
    LONG aBlankState[3];         // blank-page buffer state
    PAGESETUPREC psBuffered;     // set-up of the held page
    LONG nBufferedSide;          // side number of the held page
    BYTE abPad672[4];
    CHAR szDocName[256];         // ANSI document name
    WCHAR szAppName[32];         // application name
    SHORT cxPrintable;           // printable width
    SHORT cyPrintable;           // printable length
    WCHAR szUserName[256];       // Windows user name
    LONG lUserNameSum;           // sum of its characters
    BYTE cchUserName;            // its length
    BYTE bPad1517;
    SHORT nOwnerCheck;           // owner check result
    LONG aSecure[4];             // secure-print permissions
    LONG bForceRop;              // forced raster operation on
    LONG lForceRop;              // forced raster operation
    SHORT aTimerDate[5];         // timer-print date
    BYTE abToneCurve[256];       // tone curve
    BYTE bDrawKind;              // drawing kind
    BYTE bPad1811;
    LONG cbCaptureFile;          // bytes in the capture file
    WCHAR szFaxDocName[260];     // fax document name
    LONG bCaptureOn;             // capture enabled
    LONG cDestFiles;             // destination files
    LONG iDestFile;              // current destination file
    SHORT aDestValues[100];      // per-destination values
    LONG aCaptureValues[2];      // capture values
    BYTE bCaptureKind;           // capture kind
    BYTE bPad2557;
    SHORT aFaxDate[5];           // fax transmission date
    DWORD slCaptureBuf;          // capture buffer (PREF_CAPTUREBUF)
    LONG cbCaptureBuf;           // bytes in it
    FAXDESTFILE FaxDest;         // destination list
    WCHAR szCaptureDir[260];     // capture directory
    WCHAR szCommonName[30];      // common part file name
    WCHAR aszDestName[100][30];  // destination part file names
    LONG aSchedule[3];           // special-page schedule header
    LONG nLogicalPage;           // logical page number
    DWORD slInsertSheets;        // insert-sheet records (PREF_INSERTSHEETS)
    LONG aInsertValues[5];       // insert-sheet count and values
    LONG bRecording;             // segment recording on
    LONG aReplay[5];             // segment replay state
    LONG aUserPaper[10][2];      // user paper width, length
    LONG lClipSaveMode;          // clip-to-path save mode
    BYTE abAttrCache[740];       // attribute cache, first part
    LONG lCarried;               // kept across ResetPDEV
    BYTE abAttrCache2[24];       // attribute cache, second part
    LONG bFontSubstDone;         // font-substitution lines written
    BYTE abAttrCache3[28];       // attribute cache, third part
};

#pragma pack(pop)

static_assert(sizeof(PDLWORK) == PDLWORK_SIZE);
static_assert(offsetof(PDLWORK, lWorkOffset) == 4);
static_assert(offsetof(PDLWORK, bHeaderWritten) == 8);
static_assert(offsetof(PDLWORK, bPageSetUp) == 12);
static_assert(offsetof(PDLWORK, bDocOpen) == 16);
static_assert(offsetof(PDLWORK, bDropOutput) == 17);
static_assert(offsetof(PDLWORK, nPageSide) == 20);
static_assert(offsetof(PDLWORK, bFirstPageDone) == 24);
static_assert(offsetof(PDLWORK, bFormFileMode) == 28);
static_assert(offsetof(PDLWORK, bPageState) == 32);
static_assert(offsetof(PDLWORK, bJobEndPending) == 33);
static_assert(offsetof(PDLWORK, psCurrent) == 36);
static_assert(offsetof(PDLWORK, bBlankSkip) == 84);
static_assert(offsetof(PDLWORK, bPageBlank) == 85);
static_assert(offsetof(PDLWORK, bPageBuffered) == 86);
static_assert(offsetof(PDLWORK, szBlankPath) == 88);
static_assert(offsetof(PDLWORK, aBlankState) == 608);
static_assert(offsetof(PDLWORK, psBuffered) == 620);
static_assert(offsetof(PDLWORK, nBufferedSide) == 668);
static_assert(offsetof(PDLWORK, szDocName) == 676);
static_assert(offsetof(PDLWORK, szAppName) == 932);
static_assert(offsetof(PDLWORK, cxPrintable) == 996);
static_assert(offsetof(PDLWORK, cyPrintable) == 998);
static_assert(offsetof(PDLWORK, szUserName) == 1000);
static_assert(offsetof(PDLWORK, lUserNameSum) == 1512);
static_assert(offsetof(PDLWORK, cchUserName) == 1516);
static_assert(offsetof(PDLWORK, nOwnerCheck) == 1518);
static_assert(offsetof(PDLWORK, aSecure) == 1520);
static_assert(offsetof(PDLWORK, bForceRop) == 1536);
static_assert(offsetof(PDLWORK, lForceRop) == 1540);
static_assert(offsetof(PDLWORK, aTimerDate) == 1544);
static_assert(offsetof(PDLWORK, abToneCurve) == 1554);
static_assert(offsetof(PDLWORK, bDrawKind) == 1810);
static_assert(offsetof(PDLWORK, cbCaptureFile) == 1812);
static_assert(offsetof(PDLWORK, szFaxDocName) == 1816);
static_assert(offsetof(PDLWORK, bCaptureOn) == 2336);
static_assert(offsetof(PDLWORK, cDestFiles) == 2340);
static_assert(offsetof(PDLWORK, iDestFile) == 2344);
static_assert(offsetof(PDLWORK, aDestValues) == 2348);
static_assert(offsetof(PDLWORK, aCaptureValues) == 2548);
static_assert(offsetof(PDLWORK, bCaptureKind) == 2556);
static_assert(offsetof(PDLWORK, aFaxDate) == 2558);
static_assert(offsetof(PDLWORK, slCaptureBuf) == 2568);
static_assert(offsetof(PDLWORK, cbCaptureBuf) == 2572);
static_assert(offsetof(PDLWORK, FaxDest) == 2576);
static_assert(offsetof(PDLWORK, szCaptureDir) == 20580);
static_assert(offsetof(PDLWORK, szCommonName) == 21100);
static_assert(offsetof(PDLWORK, aszDestName) == 21160);
static_assert(offsetof(PDLWORK, aSchedule) == 27160);
static_assert(offsetof(PDLWORK, nLogicalPage) == 27172);
static_assert(offsetof(PDLWORK, slInsertSheets) == 27176);
static_assert(offsetof(PDLWORK, aInsertValues) == 27180);
static_assert(offsetof(PDLWORK, bRecording) == 27200);
static_assert(offsetof(PDLWORK, aReplay) == 27204);
static_assert(offsetof(PDLWORK, aUserPaper) == 27224);
static_assert(offsetof(PDLWORK, lClipSaveMode) == 27304);
static_assert(offsetof(PDLWORK, abAttrCache) == 27308);
static_assert(offsetof(PDLWORK, lCarried) == 28048);
static_assert(offsetof(PDLWORK, bFontSubstDone) == 28076);
