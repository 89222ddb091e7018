// propsheets.h: the per-sheet record of an open document or device property
// sheet and the table of its pages.
//
// Owns: SHEETCONTEXT, the page table, SetSheetEditable and
// AddPropertySheetPages; the sheet bodies that use them are
// RN_DrvDocumentPropertySheets and RN_DrvDevicePropertySheets (driverui.h).
//
// Life of a record (kept in PROPSHEETUI_INFO.UserData):
//
//   INIT --(merge, record, settings object, pages)--> open
//   open --SET_RESULT(OK)--> DEVMODE written back (document sheet: into the
//        record's DEVMODE and the caller's pdmOut; device sheet: printer
//        data "RNOVA NT"), any number of times
//   open --DESTROY--> everything freed, UserData 0
//
// Rules:
//   1. A failed INIT leaves nothing behind: no record in UserData, no open
//      database, no settings object, no use of the resource library.
//   2. Every page is handed the address of the record's pSettings field
//      (PageParamOfSheet); the pages take the settings object from it once,
//      when they are created (SettingsOfPageParam, pageframe.h).
#pragma once

#include "platform/windows.h"
#include "ui/driverui/driverui.h"
#include "ui/driverui/drvsettings.h"

struct UISETTINGS;

// The record of one sheet.
//  off size field
//    0    4 hPrinter         printer handle from the property header
//    4    4 dwReserved1      0
//    8    4 bEditable        1, or 0 without permission (SetSheetEditable)
//   12    4 pMerge           document sheet: the merge record; device: null
//   16    4 dwReserved2      0
//   20    4 lLastPage        result of the last page-adding call
//   24    4 hComPropSheet    the host's handle
//   28    4 pfnComPropSheet  the host's function
//   32    4 hOptionDb        document sheet: the merge's database
//   36    4 pdm              the sheet's working DEVMODE
//   40    4 pSettings        the settings object; pages get its address
// The document sheet's record goes on with its DEVMODE (2615 bytes at 44),
// 2659 bytes in all; the device sheet's DEVMODE is a block of its own.
#pragma pack(push, 1)
struct SHEETCONTEXT {
    HANDLE hPrinter;
    DWORD dwReserved1;
    BOOL bEditable;
    DEVMODEMERGE* pMerge;
    DWORD dwReserved2;
    LONG_PTR lLastPage;
    HANDLE hComPropSheet;
    PFNCOMPROPSHEET pfnComPropSheet;
    POPTIONDB hOptionDb;
    DEVMODEW* pdm;
    UISETTINGS* pSettings;
};
struct DOCSHEETCONTEXT {
    SHEETCONTEXT head;
    BYTE abDevmode[DRVUI_CB_DEVMODE];
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(SHEETCONTEXT) == 44);
static_assert(sizeof(void*) != 4 || offsetof(SHEETCONTEXT, bEditable) == 8);
static_assert(sizeof(void*) != 4 || offsetof(SHEETCONTEXT, pMerge) == 12);
static_assert(sizeof(void*) != 4 || offsetof(SHEETCONTEXT, lLastPage) == 20);
static_assert(sizeof(void*) != 4 || offsetof(SHEETCONTEXT, hComPropSheet) == 24);
static_assert(sizeof(void*) != 4 || offsetof(SHEETCONTEXT, hOptionDb) == 32);
static_assert(sizeof(void*) != 4 || offsetof(SHEETCONTEXT, pdm) == 36);
static_assert(sizeof(void*) != 4 || offsetof(SHEETCONTEXT, pSettings) == 40);
static_assert(sizeof(void*) != 4 || sizeof(DOCSHEETCONTEXT) == 2659);

// The merge record of a document sheet: the head and its own DEVMODE.
#define SHEET_CB_MERGE (sizeof(DEVMODEMERGE) + DRVUI_CB_DEVMODE)

// Pages of the sheets.
#define SHEET_DOCUMENT_PAGES 8
#define SHEET_DEVICE_PAGES 1
#define SHEET_MAX_PAGES 9

// One row of the page table: the template and the page's procedure.
struct SHEETPAGEDEF {
    WORD wTemplate;
    DLGPROC pfnDlgProc;
};
// The rows of a sheet, in the order the pages are added; *pc gets the count.
const SHEETPAGEDEF* GetSheetPageTable(BOOL bDevice, int* pc);

// The page parameter of a sheet: the address of its settings-object field.
LPARAM PageParamOfSheet(SHEETCONTEXT* pCtx);

// Fills one PROPSHEETPAGEW of the table (48 bytes, PSP_HASHELP, this
// library's template, no icon, no title).
void FillPropSheetPage(SHEETCONTEXT* pCtx, const SHEETPAGEDEF* pDef, PROPSHEETPAGEW* pPage);
// Fills the table of a sheet (SHEET_MAX_PAGES entries); answers the count.
int SetupSheetPageTable(SHEETCONTEXT* pCtx, BOOL bDevice, PROPSHEETPAGEW* pTable);

// The editable flags of the record and its settings object: 1, or 0 (and
// the answer 1) when the permission flags say the caller may not change
// the settings (device: DPS_NOPERMISSION; document: DM_NOPERMISSION).
BOOL SetSheetEditable(SHEETCONTEXT* pCtx, DWORD dwPermission, BOOL bDevice);

// Adds the pages and prepares the settings object for them. 1 on success
// (UserData = the record, Result CPSUI_CANCEL until a page reports OK); 0
// when the host refused a page (Result 0; the pages added so far stay with
// the host); -1 when this library holds none of the sheet's templates.
int AddPropertySheetPages(SHEETCONTEXT* pCtx, PPROPSHEETUI_INFO pInfo, BOOL bDevice);

// The sheet reasons (propsheets.cpp); the bodies in docprops.cpp check the
// header and call these.
LONG DocumentSheetReason(PPROPSHEETUI_INFO pInfo, LPARAM lParam, PDOCUMENTPROPERTYHEADER pdph);
LONG DeviceSheetReason(PPROPSHEETUI_INFO pInfo, LPARAM lParam, PDEVICEPROPERTYHEADER pdph);
