// driverui.h: the internal bodies behind the exports of Q730MVU3.
//
// Owns: the process-wide state of the library (instance handle, its critical
// section, the conversion version table), the DEVMODE merge request record
// DEVMODEMERGE, and the RN_ bodies of the entry points that work on DEVMODEs
// without showing a sheet: capabilities, conversion, document properties,
// printer events and job acceptance. The settings model (ui/settings) builds,
// loads, validates and merges the DEVMODEs; these bodies decide which of its
// steps run for each call and what reaches the caller.
//
// Rules these bodies keep:
//  1. Every DEVMODE built or handed out is DRVUI_CB_DEVMODE (2615) bytes.
//  2. Nothing is copied into a caller's buffer beyond the size the caller
//     gave or was told; nothing is read from a caller's DEVMODE beyond the
//     sizes it claims, and claims below a public header's minimum are refused.
//  3. Each entry point opens its option database and printer handles itself
//     and releases them on every path before it returns.
#pragma once

#include "platform/windef.h"
#include "ui/driverui/drvuidefs.h"
#include "ui/settings/devmode.h"

// Sizes every buffer of this library is made from (the DEVMODE's own).
#define DRVUI_CB_PUBLIC ((DWORD)sizeof(DEVMODEW))  // 220, the public header
#define DRVUI_CB_EXTRA DRV_EXTRA_SIZE              // 2395, the private part
#define DRVUI_CB_DEVMODE DRV_DEVMODE_SIZE          // 2615
#define DRVUI_DRIVER_VERSION DRV_DRIVER_VERSION    // 0x8403
// The size of a DEVMODE of the oldest driver generation (no private part).
#define DRVUI_CB_DEVMODE351 188

// The smallest dmSize a DEVMODE may claim and still hold every field a merge
// reads from it (dmFields through dmDuplex).
#define DRVUI_CB_MIN_PUBLIC 96

// ---------------------------------------------------------------------------
// Process-wide state.

// The module instance handle kept at load (null before DllInitialize).
HINSTANCE DrvUiGetInstance();

// One developer log line on entry of a body: "UI:<name>() Called\n".
void DrvUiLogCalled(const char* pszBody);

// The conversion version table: one static record whose first two fields are
// rewritten with the same constants at every conversion call.
struct DRVVERSIONTABLE {
    WORD wCurrentVersion;   // 0x8403
    WORD wCurrentExtra;     // 2395
    WORD wVersion351;       // 0x0351
    WORD wExtra351;         // 0
};
const DRVVERSIONTABLE* DrvUiVersionTable();

// ---------------------------------------------------------------------------
// DEVMODE merge request.
//
//  off size field
//    0    4 hPrinter      printer handle
//    4    4 pPrinterName  printer name
//    8    4 pdmResult     set to pdmOwn when the merge succeeds
//   12    4 pdmCallerIn   caller's input DEVMODE (may be null)
//   16    4 pdmCallerOut  caller's output DEVMODE (may be null)
//   20    4 fMode         the caller's mode flags
//   24    4 pdmOwn        where the merged result is written (2615 bytes)
//   28    4 hOptionDb     opened by the merge, left open for the caller
// A document sheet's record is followed directly by its own 2615-byte
// DEVMODE (2647 bytes in all).
#pragma pack(push, 1)
struct DEVMODEMERGE {
    HANDLE hPrinter;
    LPWSTR pPrinterName;
    PDEVMODEW pdmResult;
    PDEVMODEW pdmCallerIn;
    PDEVMODEW pdmCallerOut;
    DWORD fMode;
    PDEVMODEW pdmOwn;
    void* hOptionDb;
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(DEVMODEMERGE) == 32);
static_assert(sizeof(void*) != 4 || offsetof(DEVMODEMERGE, pdmResult) == 8);
static_assert(sizeof(void*) != 4 || offsetof(DEVMODEMERGE, fMode) == 20);
static_assert(sizeof(void*) != 4 || offsetof(DEVMODEMERGE, pdmOwn) == 24);
static_assert(sizeof(void*) != 4 || offsetof(DEVMODEMERGE, hOptionDb) == 28);

// ---------------------------------------------------------------------------
// DEVMODE sizes and versions (devmodever.cpp).

// The dmSpecVersion a DEVMODE's size implies: 188 -> 0x320, 212 -> 0x400,
// 220 -> 0x401, else its stored dmSpecVersion; 0 for null.
WORD GetDevmodeSpecVersion(const DEVMODEW* pdm);

// dmSize + dmDriverExtra of a DEVMODE, or 0 when it is null or its dmSize is
// too small to be a DEVMODE header.
DWORD DrvUiDevmodeTotalSize(const DEVMODEW* pdm);

// Copies the public part (the smaller dmSize) and the private part (the
// smaller dmDriverExtra) of pdmIn into pdmOut, keeping pdmOut's own sizes and
// driver version and stamping its dmSpecVersion from its size.
//  pdmIn   in   source DEVMODE
//  pdmOut  out  target DEVMODE; its dmSize + dmDriverExtra bytes are writable
// Returns the bytes copied, or -1 when either version is 0 or a size is not
// that of a DEVMODE.
LONG CopyDevmodeParts(const DEVMODEW* pdmIn, PDEVMODEW pdmOut);

// DrvConvertDevMode's body (ConvertDevmodeByVersion).
BOOL RN_DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                          PLONG pcbNeeded, DWORD fMode);

// ---------------------------------------------------------------------------
// Merge and document properties (docprops.cpp).

// Runs the DEVMODE merge for a request: defaults, the printer's DEVMODE, the
// caller's, then the installable options of the printer's stored default,
// validated. Writes pdmOwn, sets pdmResult and leaves hOptionDb open.
//  pdm  in/out  the request
// Returns TRUE on success; on failure the database is closed (hOptionDb null).
BOOL bMergeDevmode(DEVMODEMERGE* pdmm);

// A new locked 2615-byte DEVMODE holding the merge with pdmIn as the caller's
// DEVMODE, or null when hPrinter or pPrinterName is null or a step fails.
// Free it with FreeLockedGlobal.
PDEVMODEW BuildMergedDevmode(HANDLE hPrinter, LPWSTR pPrinterName, const DEVMODEW* pdmIn);

// GlobalUnlock and GlobalFree of a locked movable block given by its pointer.
void FreeLockedGlobal(void* pv);

// Makes sure printer data "SPLUserModePrinterDriver" names the fax library.
// Never reports failure.
void SetUserModeDriverValue(HANDLE hPrinter);

LONG RN_DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName, PDEVMODEW pdmOutput,
                              PDEVMODEW pdmInput, DWORD fMode);
LONG RN_DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                      PDEVMODEW pdmOutput, PDEVMODEW pdmInput);
// The document sheet body; without a PROPSHEETUI_INFO lParam is the
// DOCUMENTPROPERTYHEADER of the no-sheet path.
LONG RN_DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
LONG RN_DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
// The forwarder's spreadsheet pre-conversion around RN_DrvDocumentPropertySheets.
LONG DocumentPropertySheetsEntry(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);

// ---------------------------------------------------------------------------
// Capabilities (devcaps.cpp).
DWORD DeviceCapabilitiesEntry(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                              PDEVMODEW pdm);
DWORD RN_DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                               PDEVMODEW pdm);
// Paper codes applications do not see by name: the 0x2000 and 0x800
// variants, the placeholder 512, and index-tab papers (0x400) other than
// their 0x1000 variant.
BOOL bPaperHiddenFromApps(WORD wCode);
DWORD GetDeviceCapsPapers(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                          PDEVMODEW pdm);
DWORD GetDeviceCapsExtended(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                            PDEVMODEW pdm);

// ---------------------------------------------------------------------------
// Printer events and job acceptance (printevent.cpp).
BOOL RN_DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags, LPARAM lParam);
BOOL bAcceptJobDevmode(PDEVQUERYPRINT_INFO pDQPInfo);
