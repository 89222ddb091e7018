// escape.h: the private escape protocol between the two driver libraries.
//
// Owns: the escape codes the user-interface library sends with ExtEscape,
// the records that cross with them (PDEVSTATE, FAXDEST, the segment index
// of the recorded-segment store, SPECIALPAGE), the handler chain that
// CustEscape runs before the generic layer, and the generic layer's own
// escapes (GenEscape, GenDrawEscape). What an escape sets is read by the
// page generator (pdl/xgcmn) and by the frame's page flow; the records of
// the insert-sheet schedule and the segment replay belong to them.
//
// Rules the protocol keeps:
//  1. A private code is taken only with its exact shape: input size, input
//     pointer given or not, output size, output pointer given or not. Any
//     other shape is not this protocol's call and goes on to the generic
//     layer, which answers 0 for it.
//  2. A handler answers ESC_DONE (1), ESC_FAILED (0) or ESC_NOT_MINE (2);
//     ESC_NOT_MINE never leaves the chain.
//  3. Nothing is read past the input size or written past the output size,
//     counts and indexes from the input are bounded by the arrays they
//     address, and every text copied into the PDEV ends with a terminator
//     inside its field.
//  4. A private handler validates the PDEV after it has matched a code and
//     answers 0, with no error code, for an invalid one.
#pragma once

#include "customnt/xrddigfx/pdev.h"

// ---- results of a handler -------------------------------------------------------
#define ESC_FAILED 0
#define ESC_DONE 1
#define ESC_NOT_MINE 2

// ---- job family: the job block, the work area and job identity ------------------
#define ESCAPE_JOB_GETJOBBLOCK 0x6FFFFF00   // out 9075: PDEV 0..9074
#define ESCAPE_JOB_GETPDLWORK 0x6FFFFF01    // out 28108: PDLWORK
#define ESCAPE_JOB_USERNAME 0x6FFFFF02      // in 510: printing user's name
#define ESCAPE_JOB_DROPOUTPUT 0x6FFFFF03    // in 1: drop all output
#define ESCAPE_JOB_NOOVERLAY 0x6FFFFF04     // no form on this job
#define ESCAPE_JOB_USERPAPERS 0x6FFFFF05    // in 80: ten user paper sizes
#define ESCAPE_JOB_FIRSTPAGEDONE 0x6FFFFF06 // in 1: first-page step flag
#define ESCAPE_JOB_APPNAME 0x6FFFFF07       // in 64: host application's file name

// ---- state family: page state, fax and capture ----------------------------------
#define ESCAPE_STATE_SETPDEVSTATE 0x6FFFFE00  // in 1972: PDEVSTATE
#define ESCAPE_STATE_GETFAXLISTID 0x6FFFFE02  // out 4
#define ESCAPE_STATE_CLEARFAXLISTID 0x6FFFFE03
#define ESCAPE_STATE_FAXDESTS 0x6FFFFE04      // in 18004: FAXDESTFILE
#define ESCAPE_STATE_FIRSTDEST 0x6FFFFE05     // in 4
#define ESCAPE_STATE_LASTDEST 0x6FFFFE06      // in 4
#define ESCAPE_STATE_CAPTUREON 0x6FFFFE07     // in 4
#define ESCAPE_STATE_DESTFILES 0x6FFFFE08     // in 4
#define ESCAPE_STATE_DESTFILE 0x6FFFFE09      // in 4
#define ESCAPE_STATE_JOBHEADER 0x6FFFFE0A     // in 520: document name
#define ESCAPE_STATE_CAPTUREKIND 0x6FFFFE0C   // in 1
#define ESCAPE_STATE_RESETPAGE 0x6FFFFE0D
#define ESCAPE_STATE_GETFAXDOCNAME 0x6FFFFE0E  // out 520
#define ESCAPE_STATE_SETFAXDOCNAME 0x6FFFFE0F  // in 520
#define ESCAPE_STATE_GETFAXSTATE 0x6FFFFE10    // out 16
#define ESCAPE_STATE_SETFAXDATE 0x6FFFFE11     // in 10
#define ESCAPE_STATE_CLEARDESTS 0x6FFFFE12
#define ESCAPE_STATE_GETFAXNUMBER 0x6FFFFE13   // out 88
#define ESCAPE_STATE_GETFAXDATE 0x6FFFFE14     // out 10
#define ESCAPE_STATE_JOBEND 0x6FFFFE15
#define ESCAPE_STATE_CLEARBATCHNAME 0x6FFFFE16  // in 2
#define ESCAPE_STATE_CLEARCOVERNAME 0x6FFFFE17
#define ESCAPE_STATE_CAPTUREDIR 0x6FFFFE19      // in 520
#define ESCAPE_STATE_BATCHNAME 0x6FFFFE1A       // in 64
#define ESCAPE_STATE_COVERNAME 0x6FFFFE1B       // in 60
#define ESCAPE_STATE_GETPAGESETUP 0x6FFFFE1C    // out 48
#define ESCAPE_STATE_SETPAGESETUP 0x6FFFFE1D    // in 48

// ---- pages family: insert sheets, recorded segments, the schedule ----------------
#define ESCAPE_PAGES_INSERTSHEETS 0x6FFFFD00  // in n x 476
#define ESCAPE_PAGES_INSERTCOUNT 0x6FFFFD01   // in 4
#define ESCAPE_PAGES_TABPAPER 0x6FFFFD02      // in up to 8
#define ESCAPE_PAGES_INSERTMODE 0x6FFFFD03    // in 4
#define ESCAPE_PAGES_COUNTBEFORE 0x6FFFFD04   // in 2, out 2
#define ESCAPE_PAGES_BEGINRECORD 0x6FFFFD05
#define ESCAPE_PAGES_ENDRECORD 0x6FFFFD06
#define ESCAPE_PAGES_SEGMENTS 0x6FFFFD08      // in 4: entry count
#define ESCAPE_PAGES_GETSEGCOUNT 0x6FFFFD09   // out 4
#define ESCAPE_PAGES_HASSEGINDEX 0x6FFFFD0A   // out 4
#define ESCAPE_PAGES_RELEASESEGS 0x6FFFFD0B
#define ESCAPE_PAGES_STOREPART1 0x6FFFFD0C
#define ESCAPE_PAGES_STOREPART2 0x6FFFFD0D
#define ESCAPE_PAGES_TABTEXTSDONE 0x6FFFFD0E
#define ESCAPE_PAGES_GETTABTEXTS 0x6FFFFD0F   // out 4
#define ESCAPE_PAGES_PAGEORIGIN 0x6FFFFD10    // out 8
#define ESCAPE_PAGES_SEGMENTKEY 0x6FFFFD11    // in 4
#define ESCAPE_PAGES_NEXTSEGMENT 0x6FFFFD12
#define ESCAPE_PAGES_SCHEDULE 0x6FFFFD13

// ---- owner family: owner check and timer ----------------------------------------
#define ESCAPE_OWNER_CHECK 0x6FFFFC00        // owner check, secure-print flags
#define ESCAPE_OWNER_GETTIMER 0x6FFFFC01     // out 10
#define ESCAPE_OWNER_OUTPUTMETHOD 0x6FFFFC02 // out 1
#define ESCAPE_OWNER_TIMERDATE 0x6FFFFE18    // in 10

// ---- capture family: the blank-page capture file --------------------------------
#define ESCAPE_CAPTURE_CLEARPATH 0x6FFFFB00
#define ESCAPE_CAPTURE_SETPATH 0x6FFFFB01    // in 520

// ---- the generic layer's range -------------------------------------------------
#define ESCAPE_GEN_FIRST 0x7FFFFFF7
#define ESCAPE_GEN_IGNORE 0x7FFFFFF7         // in 1: nothing
#define ESCAPE_GEN_FONTSUBST 0x7FFFFFF8      // in n x 132: FONTSUBNODE array
#define ESCAPE_GEN_CLEARPAGE 0x7FFFFFF9      // bitmap mode: flush and whiten
#define ESCAPE_GEN_SETDEVMODE 0x7FFFFFFA     // in 2615
#define ESCAPE_GEN_CLEARPAGEFLAG 0x7FFFFFFB
#define ESCAPE_GEN_SETPAGEFLAG 0x7FFFFFFC    // in 1 (or more; the first byte)
#define ESCAPE_GEN_PAGECOUNT 0x7FFFFFFD
#define ESCAPE_GEN_ORIENTATION 0x7FFFFFFE
#define ESCAPE_GEN_GETDEVMODE 0x7FFFFFFF     // out 2615
#define ESCAPE_GEN_LAST 0x7FFFFFFF

// ---- sizes and fixed places -----------------------------------------------------
#define ESC_INSERTSHEET_SIZE 476
#define ESC_INSERTSHEET_MAX 128
#define ESC_FONTSUBNODE_SIZE 132
#define ESC_SEGMENT_MAX 128
#define ESC_SEGMENT_STORE_SIZE 307200
#define ESC_FAXNAME_CHARS 30            // one fax file name, WCHAR[30]
#define ESC_FAXBATCH_MAX 100            // fax batch file names at W 21160
#define ESC_TEXT_CHARS 260              // paths and document names, WCHAR[260]
#define ESC_USERNAME_CHARS 255          // at most 255 characters in WCHAR[256]
#define ESC_APPNAME_CHARS 32            // WCHAR[32] at W 932
#define ESC_COPIES_MAX 999
#define ESC_ATTRBLOCKS_OFFSET 27484     // W: 32 blocks of 16 bytes cleared per page state reset
#define ESC_ATTRBLOCKS_SIZE 512

#pragma pack(push, 1)

// PDEVSTATEWORD: a 16-bit value in a 4-byte slot (the upper half is padding).
struct PDEVSTATEWORD {
    SHORT sValue;  // the value
    SHORT sPad;    // not read
};
static_assert(sizeof(PDEVSTATEWORD) == 4);

// PDEVSTATE, 1972 bytes: the page, N-up and job state that the user-interface
// library saves from a job block and sends back around a fax cover page.
// P = PDEV offset, D = job DEVMODE offset.
//
//   off  size  field              goes to
//     0     4  dwUnused0          not read
//     4     4  fJob               P 4 job flags (resource bits stay the PDEV's)
//     8     4  cPages             P 4156 page counter
//    12   2+2  wReplayCopies      P 4164 replay copies
//    16     4  xNupCell           P 4180
//    20     4  yNupCell           P 4184
//    24     1  bOverlayMode       P 5918
//    25     1  bRecState          P 4160
//    26     2  wReplayMode        P 4162
//    28   2+2  wSectionKind       P 4166
//    32     4  lNupScale          P 4176
//    36  7x4   aPublic            D 76..88: dmOrientation, dmPaperSize,
//                                 dmPaperLength, dmPaperWidth, dmScale,
//                                 dmCopies, dmDefaultSource (16 bits each)
//    64   2+2  Duplex             D 94 dmDuplex
//    68   2+2  Collate            D 100 dmCollate
//    72   2+2  YResolution        D 96 dmYResolution
//    76     1  bGrayConv          P 4161
//    77     1  bPageFlag          P 5919
//    78     2  wOrientation       P 5916 orientation in force
//    80  7x4   aMirror            D 296..308, the UIEXTRA copies of aPublic
//   108   2+2  MirrorDuplex       D 314
//   112   2+2  MirrorCollate      D 320
//   116     4  dwUnused116        not read
//   120    16  rcOutPrintDots     D 823
//   136    16  rcOutPrintMm       D 2407
//   152    16  rcPrintDots        D 807
//   168    16  rcPrintMm          D 791
//   184    16  rcCustomPrintDots  D 2373
//   200     2  lpOutputPaper      D 776
//   202     2  lpMediaSource      D 1543
//   204     8  sizePaperDots      D 839
//   212     8  sizeOutPaperDots   D 847
//   220     2  lpOutputTray       D 1545
//   222     4  sizeOutPaper       D 1547, 1549
//   226     1  Layout_Check       D 781
//   227     1  lpLayout           D 782
//   228     1  lpOrder            D 783
//   229     1  bLayoutKind        D 788
//   230     1  Booklet_Check      D 1433
//   231     1  ZoomCheck          D 873
//   232     2  Zoom               D 874
//   234     1  lpLayout_Select    D 1420
//   235     1  lpOverlay          D 879
//   236     1  bOverlayIndex      D 880
//   237     1  OverlayPrompt      D 881
//   238     5  abWatermark        D 1406..1410
//   243     1  bPad243            not read
//   244  1728  abNupState         P 4188, whole
struct PDEVSTATE {
    DWORD dwUnused0;                     // not read
    DWORD fJob;                          // job flags
    DWORD cPages;                        // page counter
    PDEVSTATEWORD ReplayCopies;          // replay copies
    LONG xNupCell;                       // N-up cell offset x
    LONG yNupCell;                       // N-up cell offset y
    BYTE bOverlayMode;                   // overlay mode
    BYTE bRecState;                      // record state
    WORD wReplayMode;                    // replay mode
    PDEVSTATEWORD SectionKind;           // section kind
    LONG lNupScale;                      // N-up scale
    PDEVSTATEWORD aPublic[7];            // public header fields 76..88
    PDEVSTATEWORD Duplex;                // dmDuplex
    PDEVSTATEWORD Collate;               // dmCollate
    PDEVSTATEWORD YResolution;           // dmYResolution
    BYTE bGrayConv;                      // grey-conversion flag
    BYTE bPageFlag;                      // page flag
    WORD wOrientation;                   // orientation in force
    PDEVSTATEWORD aMirror[7];            // UIEXTRA copies of aPublic
    PDEVSTATEWORD MirrorDuplex;          // UIEXTRA dmDuplex
    PDEVSTATEWORD MirrorCollate;         // UIEXTRA dmCollate
    DWORD dwUnused116;                   // not read
    RECTL rcOutPrintDots;                // output printable rectangle, dots
    RECTL rcOutPrintMm;                  // output printable rectangle, 1/100 mm
    RECTL rcPrintDots;                   // printable rectangle, dots
    RECTL rcPrintMm;                     // printable rectangle, 1/100 mm
    RECTL rcCustomPrintDots;             // custom paper printable rectangle
    SHORT lpOutputPaper;                 // output paper
    SHORT lpMediaSource;                 // media source
    SIZEL sizePaperDots;                 // paper size, dots
    SIZEL sizeOutPaperDots;              // output paper size, dots
    SHORT lpOutputTray;                  // output tray
    SHORT sizeOutPaper[2];               // output paper size
    BYTE Layout_Check;                   // layout on
    BYTE lpLayout;                       // pages per sheet
    BYTE lpOrder;                        // page order
    BYTE bLayoutKind;                    // layout kind
    BYTE Booklet_Check;                  // booklet on
    BYTE ZoomCheck;                      // zoom on
    SHORT Zoom;                          // zoom percent
    BYTE lpLayout_Select;                // layout selection
    BYTE lpOverlay;                      // form mode
    BYTE bOverlayIndex;                  // form index
    BYTE OverlayPrompt;                  // form prompt
    BYTE abWatermark[5];                 // watermark order, use, current, first page, PDL type
    BYTE bPad243;                        // not read
    BYTE abNupState[PDEV_NUPSTATE_SIZE]; // N-up state
};
static_assert(sizeof(PDEVSTATE) == 1972);
static_assert(offsetof(PDEVSTATE, fJob) == 4);
static_assert(offsetof(PDEVSTATE, cPages) == 8);
static_assert(offsetof(PDEVSTATE, ReplayCopies) == 12);
static_assert(offsetof(PDEVSTATE, xNupCell) == 16);
static_assert(offsetof(PDEVSTATE, yNupCell) == 20);
static_assert(offsetof(PDEVSTATE, bOverlayMode) == 24);
static_assert(offsetof(PDEVSTATE, bRecState) == 25);
static_assert(offsetof(PDEVSTATE, wReplayMode) == 26);
static_assert(offsetof(PDEVSTATE, SectionKind) == 28);
static_assert(offsetof(PDEVSTATE, lNupScale) == 32);
static_assert(offsetof(PDEVSTATE, aPublic) == 36);
static_assert(offsetof(PDEVSTATE, Duplex) == 64);
static_assert(offsetof(PDEVSTATE, Collate) == 68);
static_assert(offsetof(PDEVSTATE, YResolution) == 72);
static_assert(offsetof(PDEVSTATE, bGrayConv) == 76);
static_assert(offsetof(PDEVSTATE, bPageFlag) == 77);
static_assert(offsetof(PDEVSTATE, wOrientation) == 78);
static_assert(offsetof(PDEVSTATE, aMirror) == 80);
static_assert(offsetof(PDEVSTATE, MirrorDuplex) == 108);
static_assert(offsetof(PDEVSTATE, MirrorCollate) == 112);
static_assert(offsetof(PDEVSTATE, dwUnused116) == 116);
static_assert(offsetof(PDEVSTATE, rcOutPrintDots) == 120);
static_assert(offsetof(PDEVSTATE, rcOutPrintMm) == 136);
static_assert(offsetof(PDEVSTATE, rcPrintDots) == 152);
static_assert(offsetof(PDEVSTATE, rcPrintMm) == 168);
static_assert(offsetof(PDEVSTATE, rcCustomPrintDots) == 184);
static_assert(offsetof(PDEVSTATE, lpOutputPaper) == 200);
static_assert(offsetof(PDEVSTATE, lpMediaSource) == 202);
static_assert(offsetof(PDEVSTATE, sizePaperDots) == 204);
static_assert(offsetof(PDEVSTATE, sizeOutPaperDots) == 212);
static_assert(offsetof(PDEVSTATE, lpOutputTray) == 220);
static_assert(offsetof(PDEVSTATE, sizeOutPaper) == 222);
static_assert(offsetof(PDEVSTATE, Layout_Check) == 226);
static_assert(offsetof(PDEVSTATE, lpLayout) == 227);
static_assert(offsetof(PDEVSTATE, lpOrder) == 228);
static_assert(offsetof(PDEVSTATE, bLayoutKind) == 229);
static_assert(offsetof(PDEVSTATE, Booklet_Check) == 230);
static_assert(offsetof(PDEVSTATE, ZoomCheck) == 231);
static_assert(offsetof(PDEVSTATE, Zoom) == 232);
static_assert(offsetof(PDEVSTATE, lpLayout_Select) == 234);
static_assert(offsetof(PDEVSTATE, lpOverlay) == 235);
static_assert(offsetof(PDEVSTATE, bOverlayIndex) == 236);
static_assert(offsetof(PDEVSTATE, OverlayPrompt) == 237);
static_assert(offsetof(PDEVSTATE, abWatermark) == 238);
static_assert(offsetof(PDEVSTATE, bPad243) == 243);
static_assert(offsetof(PDEVSTATE, abNupState) == 244);

// FAXDEST and FAXDESTFILE: ui/settings/faxdestrec.h.

// SEGMENTSTATE, 20 bytes at W 27204: the recorded-segment store's state.
//
//   off  size  field
//     0     4  cEntries   entries in use of the index (at most 128)
//     4     4  iCurrent   index entry being filled
//     8     4  slStore    slot: 307200-byte store (PREF_SEGSTORE)
//    12     4  cbStore    bytes in the store
//    16     4  slIndex    slot: the index, SEGMENTENTRY rows (PREF_SEGINDEX)
struct SEGMENTENTRY;
struct SEGMENTSTATE {
    LONG cEntries;          // entry count
    LONG iCurrent;          // current entry
    DWORD slStore;          // the store (PREF_SEGSTORE)
    LONG cbStore;           // bytes in it
    DWORD slIndex;          // the index (PREF_SEGINDEX)
};
static_assert(sizeof(SEGMENTSTATE) == 20);
// The store and the index a SEGMENTSTATE of pPDev names (null when none).
inline BYTE* SegmentStore(const PDEV* pPDev, const SEGMENTSTATE& s)
{
    return PdevRef<BYTE*>(pPDev, s.slStore, PREF_SEGSTORE);
}
inline SEGMENTENTRY* SegmentIndex(const PDEV* pPDev, const SEGMENTSTATE& s)
{
    return PdevRef<SEGMENTENTRY*>(pPDev, s.slIndex, PREF_SEGINDEX);
}
static_assert(offsetof(SEGMENTSTATE, iCurrent) == 4);
static_assert(offsetof(SEGMENTSTATE, slStore) == 8);
static_assert(offsetof(SEGMENTSTATE, cbStore) == 12);
static_assert(offsetof(SEGMENTSTATE, slIndex) == 16);

// SEGMENTENTRY: one recorded drawing, in two parts; a row of the index,
// which lives in the graphics library's memory only (no escape copies it),
// so it holds its parts' addresses and grows to 32 bytes at 64 bits. The
// 32-bit layout:
//
//   off  size  field
//     0     4  lKey     key (16 bits used)
//     4     4  cbPart1  length of part 1
//     8     4  cbPart2  length of part 2
//    12     4  pPart1   part 1, or null
//    16     4  pPart2   part 2, or null
struct SEGMENTENTRY {
    LONG lKey;       // key
    LONG cbPart1;    // part 1 length
    LONG cbPart2;    // part 2 length
    BYTE* pPart1;    // part 1
    BYTE* pPart2;    // part 2
};
static_assert(sizeof(void*) != 4 || sizeof(SEGMENTENTRY) == 20);
static_assert(offsetof(SEGMENTENTRY, cbPart1) == 4);
static_assert(offsetof(SEGMENTENTRY, cbPart2) == 8);
static_assert(offsetof(SEGMENTENTRY, pPart1) == 12);
static_assert(sizeof(void*) != 4 || offsetof(SEGMENTENTRY, pPart2) == 16);

// SPECIALPAGE, 222 bytes: one inserted or special page as the schedule
// hands it to the page output.
//
//   off  size  field
//     0     2  nPaper       driver paper key
//     2     2  nOrient      1 portrait, 2 landscape
//     4     1  bSides       1 one-sided, 2 two-sided
//     5     1  bBinding     0, 2 long edge, 3 short edge
//     6     2  nTray        tray key
//     8     2  nSegmentKey  recorded drawing to play; 0 none
//    10     8  abTabValues  tab layout values
//    18   204  abItem       128-byte name, then the tab geometry values
struct SPECIALPAGE {
    SHORT nPaper;         // paper key
    SHORT nOrient;        // orientation
    BYTE bSides;          // sides kind
    BYTE bBinding;        // binding kind
    SHORT nTray;          // tray key
    SHORT nSegmentKey;    // segment key
    BYTE abTabValues[8];  // tab layout values
    BYTE abItem[204];     // item block
};
static_assert(sizeof(SPECIALPAGE) == 222);
static_assert(offsetof(SPECIALPAGE, nOrient) == 2);
static_assert(offsetof(SPECIALPAGE, bSides) == 4);
static_assert(offsetof(SPECIALPAGE, bBinding) == 5);
static_assert(offsetof(SPECIALPAGE, nTray) == 6);
static_assert(offsetof(SPECIALPAGE, nSegmentKey) == 8);
static_assert(offsetof(SPECIALPAGE, abTabValues) == 10);
static_assert(offsetof(SPECIALPAGE, abItem) == 18);

#pragma pack(pop)

static_assert(offsetof(PDLWORK, aReplay) + sizeof(SEGMENTSTATE) == offsetof(PDLWORK, aUserPaper));

// ---- the chain ------------------------------------------------------------------
//
// Each private handler takes the DrvEscape arguments with the PDEV behind the
// surface and answers ESC_DONE, ESC_FAILED or ESC_NOT_MINE.
//   pPDev   the surface's PDEV (not null; validated after a match)
//   iEsc    escape code
//   cjIn    input size in bytes; pvIn the input or null
//   cjOut   output size in bytes; pvOut the output or null
ULONG bPrivateEscapeJob(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
ULONG bPrivateEscapeState(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut);
ULONG bPrivateEscapePages(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut);
ULONG bPrivateEscapeOwner(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut);
ULONG bPrivateEscapeCapture(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                            PVOID pvOut);
// The two helpers of bPrivateEscapePages: the recorded segments (answers
// (ULONG)-1 for a code that is not its own) and the special-page schedule.
ULONG bPrivateEscapeSegment(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                            PVOID pvOut);
ULONG bPrivateEscapeSpecialPage(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                                PVOID pvOut);

// The body of CustEscape before the generic layer: offers the call to each
// private handler in turn; ESC_NOT_MINE when none takes it (also when the
// surface has no PDEV), else the first handler's answer.
ULONG PrivateEscapeChain(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                         PVOID pvOut);

// TRUE for the codes the generic layer answers without asking the page
// generator: QUERYESCSUPPORT, SETCOPYCOUNT and 0x7FFFFFF7..0x7FFFFFFF.
BOOL bGenEscapeSupported(ULONG iEsc);

// The font-substitution list held by the PDEV (its side record's row
// PREF_FONTSUBST, slot at job DEVMODE 1412..1415): frees it whatever the
// slot says and clears row and slot. Called when the PDEV goes away.
void FreeFontSubstCopy(PDEV* pPDev);

// ---- the job owner ---------------------------------------------------------------
// The recorded owner of the job (job DEVMODE 2427, 2559, 2563) against the
// printing user (W 1000, 1512, 1516), names compared in their first 32
// characters: 1 both empty, 2 the same owner, 3 no recorded owner, 4 no
// printing user, 5 another user.
SHORT CompareJobOwner(PDEV* pPDev);
// The four permissions at W 1520..1532: 1 for owner states 1 and 2 (W 1518,
// read as unsigned 16 bits), else 0.
void SetSecurePrintFlags(PDEV* pPDev);

// ---- what the protocol calls in the page generator's later files ----------------
// (escape_later.cpp holds fallbacks until their files exist)
SHORT CountInsertSheetsBefore(PDEV* pPDev, SHORT nKey);   // sheets inserted before a key
BOOL BuildSpecialPageSchedule(PDEV* pPDev);               // 1 built, 0 not
void BeginSegmentRecord(PDEV* pPDev);                     // output to the segment store
void EndSegmentRecord(PDEV* pPDev);                       // output to the job again
BOOL StoreRecordedSegment(PDEV* pPDev, int nPart);        // store -> part 1 or 2 of the entry
