// drvinterface.h: what the spooler, the property-sheet host and applications
// exchange with a printer driver's user-interface library.
//
// Owns: the device capability codes, the DEVMODE conversion modes, the
// printer events, the document and device property headers, the
// property-sheet call record and its answers, the job-acceptance record, and
// DocumentPropertiesW, the application's way to a driver's DEVMODE
// (docproperties.cpp). The driver's own exports are declared with the driver.
//
// Layouts are those of the 32-bit platform: pointers and handles are 4 bytes,
// WCHAR is 16-bit.
#pragma once

#include "platform/windef.h"

// ---------------------------------------------------------------------------
// Device capability codes (DrvDeviceCapabilities iDevCap). Guarded, since the
// application-side GDI header may name them too.
#ifndef DC_FIELDS
#define DC_FIELDS 1
#define DC_PAPERS 2
#define DC_PAPERSIZE 3
#define DC_MINEXTENT 4
#define DC_MAXEXTENT 5
#define DC_BINS 6
#define DC_DUPLEX 7
#define DC_SIZE 8
#define DC_EXTRA 9
#define DC_VERSION 10
#define DC_DRIVER 11
#define DC_BINNAMES 12
#define DC_ENUMRESOLUTIONS 13
#define DC_FILEDEPENDENCIES 14
#define DC_TRUETYPE 15
#define DC_PAPERNAMES 16
#define DC_ORIENTATION 17
#define DC_COPIES 18
#define DC_BINADJUST 19
#define DC_EMF_COMPLIANT 20
#define DC_DATATYPE_PRODUCED 21
#define DC_COLLATE 22
#define DC_MANUFACTURER 23
#define DC_MODEL 24
#define DC_PERSONALITY 25
#define DC_PRINTRATE 26
#define DC_PRINTRATEUNIT 27
#define DC_PRINTERMEM 28
#define DC_MEDIAREADY 29
#define DC_STAPLE 30
#define DC_PRINTRATEPPM 31
#define DC_COLORDEVICE 32
#define DC_NUP 33
#endif

// DrvConvertDevMode modes.
#ifndef CDM_CONVERT
#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04
#endif

// DrvPrinterEvent events.
#ifndef PRINTER_EVENT_ADD_CONNECTION
#define PRINTER_EVENT_ADD_CONNECTION 1
#define PRINTER_EVENT_DELETE_CONNECTION 2
#define PRINTER_EVENT_INITIALIZE 3
#define PRINTER_EVENT_DELETE 4
#define PRINTER_EVENT_CACHE_REFRESH 5
#define PRINTER_EVENT_CACHE_DELETE 6
#define PRINTER_EVENT_ATTRIBUTES_CHANGED 7
#endif

// Module entry reasons.
#ifndef DLL_PROCESS_ATTACH
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
#endif

// Further document-properties mode bits.
#ifndef DM_NOPERMISSION
#define DM_NOPERMISSION 0x0020
#endif
#ifndef DM_USER_DEFAULT
#define DM_USER_DEFAULT 0x0040
#endif

// Property-sheet reasons and results.
#define PROPSHEETUI_REASON_INIT 0
#define PROPSHEETUI_REASON_GET_INFO 1
#define PROPSHEETUI_REASON_DESTROY 2
#define PROPSHEETUI_REASON_SET_RESULT 3
#define PSUIHDRF_PROPTITLE 0x0004
#define CPSUI_CANCEL 0
#define CPSUI_OK 1
#define DPS_NOPERMISSION 0x0001

// Document-event results.
#ifndef DOCUMENTEVENT_SUCCESS
#define DOCUMENTEVENT_FAILURE (-1)
#define DOCUMENTEVENT_UNSUPPORTED 0
#define DOCUMENTEVENT_SUCCESS 1
#endif

// Property-sheet host callback.
typedef LONG_PTR(CALLBACK* PFNCOMPROPSHEET)(HANDLE hComPropSheet, UINT Function, LPARAM lParam1,
                                            LPARAM lParam2);

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// The request of a document-properties call (no sheet, or a sheet's INIT).
//  off size field
//    0    2 cbSize          2 2 Reserved
//    4    4 hPrinter        8 4 pszPrinterName
//   12    4 pdmIn          16 4 pdmOut
//   20    4 cbOut          24 4 fMode
struct DOCUMENTPROPERTYHEADER {
    WORD cbSize;            // sizeof this record
    WORD Reserved;          // 0
    HANDLE hPrinter;        // the open printer
    LPWSTR pszPrinterName;  // its name, or null
    PDEVMODEW pdmIn;        // caller's DEVMODE, or null
    PDEVMODEW pdmOut;       // where the result goes, or null
    DWORD cbOut;            // size of pdmOut; set by the driver
    DWORD fMode;            // DM_* request bits
};
typedef DOCUMENTPROPERTYHEADER* PDOCUMENTPROPERTYHEADER;
static_assert(sizeof(void*) != 4 || sizeof(DOCUMENTPROPERTYHEADER) == 28);
static_assert(sizeof(void*) != 4 || offsetof(DOCUMENTPROPERTYHEADER, hPrinter) == 4);
static_assert(sizeof(void*) != 4 || offsetof(DOCUMENTPROPERTYHEADER, pszPrinterName) == 8);
static_assert(sizeof(void*) != 4 || offsetof(DOCUMENTPROPERTYHEADER, pdmIn) == 12);
static_assert(sizeof(void*) != 4 || offsetof(DOCUMENTPROPERTYHEADER, pdmOut) == 16);
static_assert(sizeof(void*) != 4 || offsetof(DOCUMENTPROPERTYHEADER, cbOut) == 20);
static_assert(sizeof(void*) != 4 || offsetof(DOCUMENTPROPERTYHEADER, fMode) == 24);

// The request of a device-properties sheet.
//  off size field
//    0    2 cbSize   2 2 Flags (DPS_NOPERMISSION)
//    4    4 hPrinter 8 4 pszPrinterName
struct DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
};
typedef DEVICEPROPERTYHEADER* PDEVICEPROPERTYHEADER;
static_assert(sizeof(void*) != 4 || sizeof(DEVICEPROPERTYHEADER) == 12);

// The record the property-sheet host hands to a sheet body at every reason.
//  off size field
//    0    2 cbSize          2 2 Version
//    4    2 Flags           6 2 Reason
//    8    4 hComPropSheet  12 4 pfnComPropSheet
//   16    4 lParamInit     20 4 UserData
//   24    4 Result
struct PROPSHEETUI_INFO {
    WORD cbSize;
    WORD Version;
    WORD Flags;
    WORD Reason;                      // PROPSHEETUI_REASON_*
    HANDLE hComPropSheet;             // host handle
    PFNCOMPROPSHEET pfnComPropSheet;  // host function
    LPARAM lParamInit;                // the property header
    ULONG_PTR UserData;               // the body's own record
    ULONG_PTR Result;                 // the sheet's result
};
typedef PROPSHEETUI_INFO* PPROPSHEETUI_INFO;
static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETUI_INFO) == 28);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETUI_INFO, lParamInit) == 16);
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETUI_INFO, Result) == 24);

// What a sheet body answers at PROPSHEETUI_REASON_GET_INFO.
//  off size field
//    0    2 cbSize      2 2 Flags
//    4    4 pTitle      8 4 hWndParent
//   12    4 hInst      16 4 IconID
struct PROPSHEETUI_INFO_HEADER {
    WORD cbSize;
    WORD Flags;
    LPWSTR pTitle;
    HWND hWndParent;
    HINSTANCE hInst;
    union {
        HICON hIcon;
        ULONG_PTR IconID;
    };
};
typedef PROPSHEETUI_INFO_HEADER* PPROPSHEETUI_INFO_HEADER;
static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETUI_INFO_HEADER) == 20);

// The result the host reports at PROPSHEETUI_REASON_SET_RESULT.
//  off size field
//    0    2 cbSize      2 2 wReserved
//    4    4 hSetResult  8 4 Result
struct SETRESULT_INFO {
    WORD cbSize;
    WORD wReserved;
    HANDLE hSetResult;
    LRESULT Result;
};
typedef SETRESULT_INFO* PSETRESULT_INFO;
static_assert(sizeof(void*) != 4 || sizeof(SETRESULT_INFO) == 12);

// The spooler's question whether a job's DEVMODE can print here.
//  off size field
//    0    2 cbSize      2 2 Level
//    4    4 hPrinter    8 4 pDevMode
//   12    4 pszErrorStr 16 4 cchErrorStr
//   20    4 cchNeeded
struct DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    PDEVMODEW pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
};
typedef DEVQUERYPRINT_INFO* PDEVQUERYPRINT_INFO;
static_assert(sizeof(void*) != 4 || sizeof(DEVQUERYPRINT_INFO) == 24);

Q730_API_PACK_END

// ---------------------------------------------------------------------------
// DocumentPropertiesW: the job DEVMODE of a printer, from its driver.
//
// Loads the printer's user-interface library (the driver's configuration
// file) and asks its DrvDocumentPropertySheets: without a sheet, or, with
// DM_IN_PROMPT, as the body of a sheet in the common property-sheet host.
//  hWnd            in   owner of the sheet (DM_IN_PROMPT), or null
//  hPrinter        in   the open printer; null: pDeviceName is opened
//  pDeviceName     in   the printer's name (may be null with hPrinter)
//  pDevModeOutput  out  the driver's DEVMODE (DM_OUT_BUFFER)
//  pDevModeInput   in   a DEVMODE to merge (DM_IN_BUFFER), or null
//  fMode           in   0 asks for the size; DM_OUT_BUFFER, DM_IN_BUFFER,
//                       DM_IN_PROMPT, DM_USER_DEFAULT, DM_NOPERMISSION
// Without an input the driver starts from the printer's default settings:
// the user's own default DEVMODE (GetPrinterW Level 9) when there is one,
// else the printer's global default.
// Returns the size (fMode 0); IDOK on success, or with DM_IN_PROMPT IDOK
// when the user closed the sheet with OK and IDCANCEL when with Cancel (the
// output is then left as it was); a negative value with the last error set
// for an unknown printer, a driver without the entry point, a sheet that
// could not be shown, an output flag without a buffer or an input shorter
// than a DEVMODE.
Q730_EXPORT LONG DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                     PDEVMODEW pDevModeOutput, PDEVMODEW pDevModeInput,
                                     DWORD fMode);

// The document sheet for a DEVMODE the caller keeps: DocumentPropertiesW
// with DM_IN_PROMPT | DM_OUT_BUFFER (and DM_IN_BUFFER when pDevModeInput is
// given). A null pDevModeOutput asks for the size. Answers IDOK after OK
// (pDevModeOutput written), 0 after Cancel, a negative value on failure.
Q730_EXPORT LONG AdvancedDocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                             PDEVMODEW pDevModeOutput, PDEVMODEW pDevModeInput);

// The printer's device sheet (its properties): the driver's
// DrvDevicePropertySheets in the common property-sheet host. A handle
// opened without PRINTER_ACCESS_ADMINISTER shows the sheet with
// DPS_NOPERMISSION. TRUE when the sheet was shown and closed (OK or
// Cancel); FALSE with the last error set when it could not be shown.
Q730_EXPORT BOOL PrinterProperties(HWND hWnd, HANDLE hPrinter);
// The same, answering how the sheet ended: IDOK (the settings were
// stored), IDCANCEL, or a negative value with the last error set.
LONG PlatPrinterProperties(HWND hWnd, HANDLE hPrinter);

// The printers folder's "Printing Preferences": the document sheet over
// the user's default settings (fMode DM_USER_DEFAULT | DM_IN_BUFFER |
// DM_IN_PROMPT | DM_OUT_BUFFER); after OK the result becomes the user's own
// default DEVMODE of the printer (SetPrinterW Level 9), which every later
// DocumentPropertiesW without an input starts from. Answers IDOK, IDCANCEL
// (nothing stored) or a negative value with the last error set.
LONG PlatPrintingPreferences(HWND hWnd, HANDLE hPrinter);
