// pdev.h: PDEV, the graphics library's record of one device context.
//
// Owns: the 6460-byte fixed part of the PDEV, its job flags, the accessors
// every part of the graphics library uses to reach the job DEVMODE and the
// page generator's work area, and the PDEV check. The job DEVMODE's layout
// belongs to the settings model (ui/settings/devmode.h), PDLWORK's to the
// page generator (pdl/xgcmn/pdlwork.h), the job record stream's records to
// graphics/ddi/jobrecord.h.
//
// Layout of the whole block (one block of the PDEV's own block chain):
//        0 .. 6459   6460  the fixed part below, "DLXP" at 0 and at 6456
//     6460 .. 9074   2615  the job DEVMODE (public header, UIEXTRA, ENVEXTRA)
//     9075 .. 37182 28108  PDLWORK
//    37184 ..              the side record (pdevside.h): the pointers and
//                          handles the slots below name; never exchanged
// The first 9075 bytes are the job block the user-interface library reads
// through an escape, so every offset of the fixed part is a shared format.
//
// Rules:
//  1. A PDEV is valid when it is non-null and both signatures read "DLXP";
//     every entry point checks this first (bCheckPDEV).
//  2. Everything a PDEV allocates comes from its chain (slot slChain), so
//     freeing the chain frees all of it, the PDEV last.
//  3. The spool writer belongs to the PDEV that holds it; a ResetPDEV
//     hand-over moves it (the old PDEV forgets it), so only one PDEV can
//     ever close or free it.
//  4. The fixed part holds no pointer or handle: each such field is a 32-bit
//     slot naming a row of the PDEV's side record (pdevside.h), which sits in
//     the same block after the PDEV's 37183 bytes and is never exchanged. A
//     slot is the row's number while the row holds an object, 0 when none,
//     so the bytes the user-interface library reads are the same in the
//     32-bit and the 64-bit build and from one job to the next.
//
// Life cycle (each arrow names the function that makes the change):
//   (none) --CustEnablePDEV/GenEnablePDEV--> enabled
//   enabled --GenCompletePDEV--> has hdev --CustEnableSurface--> has surface
//   has surface --GenStartDoc--> document (flag 0x1, stream open 0x40)
//   document --GenEndDoc--> has surface --GenDisableSurface--> has hdev
//   any --GenResetPDEV(old,new)--> the open job moves to the new PDEV
//   any --GenDisablePDEV--> (freed with its chain)
#pragma once

#include "platform/windows.h"
#include "platform/gdi/winddi.h"
#include "ui/settings/devmode.h"
#include "pdl/xgcmn/pdlwork.h"

struct SPOOLWRITER;
struct PDEV;

// The PDEV's two stream callbacks (kept in the side record).
typedef BOOL (*PFN_WRITEJOBDATA)(PDEV* pPDev, const BYTE* pb, DWORD cb);
typedef BOOL (*PFN_EMITJOBRECORD)(PDEV* pPDev);

#define PDEV_SIGNATURE 0x50584C44UL  // "DLXP"
#define PDEV_FIXED_SIZE 6460
#define PDEV_DEVMODE_OFFSET 6460
#define PDEV_ENVEXTRA_OFFSET 7876    // 6460 + 220 + 1196
#define PDEV_PDLWORK_OFFSET 9075
#define PDEV_TOTAL_SIZE 37183        // 7876 + 1199 + 28108
#define PDEV_JOBBLOCK_SIZE 9075
#define PDEV_RECORD_CAPACITY 4092
#define PDEV_RECORD_HEADER 4
#define PDEV_DOCBUF_SIZE 0xC000
#define PDEV_NUPSTATE_SIZE 1728

// Job flags (fJob).
#define PDEVF_DOCSTARTED 0x01   // DrvStartDoc seen, no EndDoc yet
#define PDEVF_ABORTED 0x02      // a job record failed; drawing fails from now
#define PDEVF_HANDEDOVER 0x04   // job taken over at DrvResetPDEV
#define PDEVF_DROPOUTPUT 0x08   // drawing succeeds and writes nothing
#define PDEVF_PAGEOPEN 0x10     // between StartPage and SendPage
#define PDEVF_STREAMOPEN 0x40   // job record stream open (OPEN sent, no CLOSE)

#pragma pack(push, 1)

// The fixed part, 6460 bytes.
//
//   off  size field
//     0     4 dwSignature     "DLXP"
//     4     4 fJob            job flags (PDEVF_*)
//     8     4 slModule        slot: driver file loaded with EngLoadModule
//    12     4 slChain         slot: chain head of this PDEV's block chain
//    16     4 slPrinter       slot: printer handle from DrvEnablePDEV
//    20     4 cbRecCapacity   4092
//    24     4 ibRecWrite      offset in abRecord of the next free byte
//    28     4 cbRecUsed       data bytes in the record buffer
//    32  4096 abRecord        4-byte record header + 4092 data bytes
//  4128     4 slDocBuf        slot: 48 KB document buffer
//  4132     4 cbDocBuf        0xC000 or 0
//  4136     4 slDocName       slot: document name from the chain
//  4140     4 cCopies         copy count (signed)
//  4144     4 slHdev          slot: engine device handle (DrvCompletePDEV)
//  4148     4 slHsurf         slot: surface handle
//  4152     4 slHpal          slot: palette handle
//  4156     4 cPages          page counter of the document
//  4160     1 bRecState       the job record to emit next (JR_*)
//  4161     1 bGrayConv       grey-conversion flag, page generator's
//  4162     2 wReplayMode     1 direct, 4 booklet
//  4164     2 wReplayCopies   1
//  4166     2 wSectionKind    kind of the next SECTION record
//  4168     4 cyPage          page height in rows, bitmap mode
//  4172     4 iBand           index of the current band, bitmap mode
//  4176     4 lNupScale       N-up or zoom scale, 1/100 percent
//  4180     4 xNupCell        horizontal offset of the current N-up cell
//  4184     4 yNupCell        vertical offset of the current N-up cell
//  4188  1728 abNupState      N-up state
//  5916     2 wOrientation    orientation in force (1 portrait, 2 landscape)
//  5918     1 bOverlayMode    1 none, 2 create a form, 3 print over a form
//  5919     1 bPageFlag       page flag of the page generator's escapes
//  5920   520 abReserved      zero
//  6440     4 slWriteJobData  slot: write callback (bWriteJobData)
//  6444     4 slEmitJobRecord slot: emit callback (bEmitJobRecord)
//  6448     4 slWriter        slot: spool writer of the job
//  6452     2 wEnvExtraOffset 7876
//  6454     2 wPdevSize       37183
//  6456     4 dwSignatureEnd  "DLXP"
struct PDEV {
    DWORD dwSignature;                 // "DLXP"
    DWORD fJob;                        // PDEVF_*
    DWORD slModule;                    // PREF_MODULE: driver file module
    DWORD slChain;                     // PREF_CHAIN: chain head (CHAINHEAD*)
    DWORD slPrinter;                   // PREF_PRINTER: printer of the job
    DWORD cbRecCapacity;               // 4092
    DWORD ibRecWrite;                  // write offset into abRecord
    DWORD cbRecUsed;                   // data bytes buffered
    BYTE abRecord[4096];               // header + data
    DWORD slDocBuf;                    // PREF_DOCBUF: document buffer
    DWORD cbDocBuf;                    // its size
    DWORD slDocName;                   // PREF_DOCNAME: document name
    LONG cCopies;                      // copy count
    DWORD slHdev;                      // PREF_HDEV: engine device
    DWORD slHsurf;                     // PREF_HSURF: surface
    DWORD slHpal;                      // PREF_HPAL: palette
    DWORD cPages;                      // pages of the document
    BYTE bRecState;                    // next record (JR_*)
    BYTE bGrayConv;                    // grey-conversion flag
    WORD wReplayMode;                  // REPLAY_*
    WORD wReplayCopies;                // replay copies
    WORD wSectionKind;                 // SECTION_*
    LONG cyPage;                       // page rows (bitmap mode)
    LONG iBand;                        // current band (bitmap mode)
    LONG lNupScale;                    // scale, 1/100 percent
    LONG xNupCell;                     // cell offset x
    LONG yNupCell;                     // cell offset y
    BYTE abNupState[PDEV_NUPSTATE_SIZE];  // N-up state
    WORD wOrientation;                 // orientation in force
    BYTE bOverlayMode;                 // overlay mode of the job
    BYTE bPageFlag;                    // page flag
    BYTE abReserved[520];              // zero
    DWORD slWriteJobData;              // PREF_WRITEJOBDATA: bWriteJobData
    DWORD slEmitJobRecord;             // PREF_EMITJOBRECORD: bEmitJobRecord
    DWORD slWriter;                    // PREF_WRITER: spool writer
    WORD wEnvExtraOffset;              // 7876
    WORD wPdevSize;                    // 37183
    DWORD dwSignatureEnd;              // "DLXP"
};
typedef PDEV* PPDEV;

#pragma pack(pop)

static_assert(sizeof(PDEV) == PDEV_FIXED_SIZE);
static_assert(offsetof(PDEV, dwSignature) == 0);
static_assert(offsetof(PDEV, fJob) == 4);
static_assert(offsetof(PDEV, slModule) == 8);
static_assert(offsetof(PDEV, slChain) == 12);
static_assert(offsetof(PDEV, slPrinter) == 16);
static_assert(offsetof(PDEV, cbRecCapacity) == 20);
static_assert(offsetof(PDEV, ibRecWrite) == 24);
static_assert(offsetof(PDEV, cbRecUsed) == 28);
static_assert(offsetof(PDEV, abRecord) == 32);
static_assert(offsetof(PDEV, slDocBuf) == 4128);
static_assert(offsetof(PDEV, cbDocBuf) == 4132);
static_assert(offsetof(PDEV, slDocName) == 4136);
static_assert(offsetof(PDEV, cCopies) == 4140);
static_assert(offsetof(PDEV, slHdev) == 4144);
static_assert(offsetof(PDEV, slHsurf) == 4148);
static_assert(offsetof(PDEV, slHpal) == 4152);
static_assert(offsetof(PDEV, cPages) == 4156);
static_assert(offsetof(PDEV, bRecState) == 4160);
static_assert(offsetof(PDEV, bGrayConv) == 4161);
static_assert(offsetof(PDEV, wReplayMode) == 4162);
static_assert(offsetof(PDEV, wReplayCopies) == 4164);
static_assert(offsetof(PDEV, wSectionKind) == 4166);
static_assert(offsetof(PDEV, cyPage) == 4168);
static_assert(offsetof(PDEV, iBand) == 4172);
static_assert(offsetof(PDEV, lNupScale) == 4176);
static_assert(offsetof(PDEV, xNupCell) == 4180);
static_assert(offsetof(PDEV, yNupCell) == 4184);
static_assert(offsetof(PDEV, abNupState) == 4188);
static_assert(offsetof(PDEV, wOrientation) == 5916);
static_assert(offsetof(PDEV, bOverlayMode) == 5918);
static_assert(offsetof(PDEV, bPageFlag) == 5919);
static_assert(offsetof(PDEV, abReserved) == 5920);
static_assert(offsetof(PDEV, slWriteJobData) == 6440);
static_assert(offsetof(PDEV, slEmitJobRecord) == 6444);
static_assert(offsetof(PDEV, slWriter) == 6448);
static_assert(offsetof(PDEV, wEnvExtraOffset) == 6452);
static_assert(offsetof(PDEV, wPdevSize) == 6454);
static_assert(offsetof(PDEV, dwSignatureEnd) == 6456);
static_assert(PDEV_FIXED_SIZE + DRV_DEVMODE_SIZE == PDEV_PDLWORK_OFFSET);
static_assert(PDEV_PDLWORK_OFFSET + PDLWORK_SIZE == PDEV_TOTAL_SIZE);
static_assert(PDEV_ENVEXTRA_OFFSET + DRV_ENVEXTRA_SIZE == PDEV_PDLWORK_OFFSET);

// The side record follows the PDEV's bytes in its block (pdevside.h).
#include "customnt/xrddigfx/pdevside.h"

PDEV_REF_FIELD(Module, HANDLE, PREF_MODULE, slModule)
PDEV_REF_FIELD(Chain, CHAINHEAD*, PREF_CHAIN, slChain)
PDEV_REF_FIELD(Printer, HANDLE, PREF_PRINTER, slPrinter)
PDEV_REF_FIELD(DocBuf, BYTE*, PREF_DOCBUF, slDocBuf)
PDEV_REF_FIELD(DocName, LPWSTR, PREF_DOCNAME, slDocName)
PDEV_REF_FIELD(Hdev, HDEV, PREF_HDEV, slHdev)
PDEV_REF_FIELD(Hsurf, HSURF, PREF_HSURF, slHsurf)
PDEV_REF_FIELD(Hpal, HPALETTE, PREF_HPAL, slHpal)
PDEV_REF_FIELD(WriteJobData, PFN_WRITEJOBDATA, PREF_WRITEJOBDATA, slWriteJobData)
PDEV_REF_FIELD(EmitJobRecord, PFN_EMITJOBRECORD, PREF_EMITJOBRECORD, slEmitJobRecord)
PDEV_REF_FIELD(Writer, SPOOLWRITER*, PREF_WRITER, slWriter)

// The next free byte of the record buffer (ibRecWrite, kept inside it).
inline BYTE* PdevRecWrite(PDEV* pPDev)
{
    DWORD ib = pPDev->ibRecWrite;
    return pPDev->abRecord + (ib < PDEV_RECORD_HEADER || ib > sizeof(pPDev->abRecord)
                                  ? PDEV_RECORD_HEADER
                                  : ib);
}

// TRUE when pPDev is non-null and both signatures read "DLXP". Sets
// ERROR_INVALID_PARAMETER when it is not.
BOOL bCheckPDEV(const PDEV* pPDev);

// The job DEVMODE inside the PDEV (offset 6460).
inline DRVDEVMODE* pGetJobDevmode(PDEV* pPDev)
{
    return reinterpret_cast<DRVDEVMODE*>(reinterpret_cast<BYTE*>(pPDev) + PDEV_DEVMODE_OFFSET);
}

// PDLWORK: the PDEV + its ENVEXTRA offset + the size of ENVEXTRA. Each call
// records that offset in the work area's second word.
PDLWORK* pGetPdlWork(PDEV* pPDev);

// The PDEV behind a surface (its dhpdev), or null.
PDEV* GetPDEVFromSurface(SURFOBJ* pso);

// TRUE in bitmap mode (lpGraphicsMode 1): the engine draws on its own bitmap.
inline BOOL bIsBitmapMode(PDEV* pPDev)
{
    return pGetJobDevmode(pPDev)->ui.lpGraphicsMode == 1;
}
