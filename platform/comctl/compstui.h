// compstui.h: the common property-sheet host that printer drivers are
// called by.
//
// Owns: CommonPropertySheetUIW, the host function's codes (CPSFUNC_*) and
// their answers (cpsui.cpp). The records the host and a driver exchange
// (PROPSHEETUI_INFO, PROPSHEETUI_INFO_HEADER, SETRESULT_INFO, the reasons
// and CPSUI_OK/CPSUI_CANCEL) are defined once, with the driver interface,
// in platform/spooler/drvinterface.h.
//
// The host's order, which a sheet body relies on:
//  1. PROPSHEETUI_REASON_INIT with lParamInit = the caller's lParam; the
//     body adds its pages through pfnComPropSheet then. An answer below 1
//     ends here: no sheet, no other reason, the answer goes back.
//  2. PROPSHEETUI_REASON_GET_INFO with a PROPSHEETUI_INFO_HEADER for the
//     sheet's title, icon and owner.
//  3. The sheet runs; every CPSFUNC_SET_RESULT a page asks for calls the
//     body with PROPSHEETUI_REASON_SET_RESULT and a SETRESULT_INFO at once.
//  4. PROPSHEETUI_REASON_DESTROY, lParam nonzero when the user closed the
//     sheet with OK or Cancel. PROPSHEETUI_INFO.Result is then the
//     caller's result.
#pragma once

#include "platform/windef.h"
#include "platform/spooler/drvinterface.h"
#include "platform/comctl/prsht.h"

typedef LONG(CALLBACK* PFNPROPSHEETUI)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);

// pfnComPropSheet function codes.
#define CPSFUNC_ADD_HPROPSHEETPAGE 0
#define CPSFUNC_ADD_PROPSHEETPAGEW 1
#define CPSFUNC_ADD_PFNPROPSHEETUIW 5
#define CPSFUNC_DELETE_HCOMPROPSHEET 6
#define CPSFUNC_SET_HSTARTPAGE 7
#define CPSFUNC_GET_PAGECOUNT 8
#define CPSFUNC_SET_RESULT 9

// CommonPropertySheetUIW answers below 0.
#define ERR_CPSUI_GETLASTERROR (-1)
#define ERR_CPSUI_ALLOCMEM_FAILED (-2)
#define ERR_CPSUI_INVALID_PDATA (-3)
#define ERR_CPSUI_INVALID_LPARAM (-4)
#define ERR_CPSUI_NULL_HINST (-5)
#define ERR_CPSUI_NULL_CALLERNAME (-6)
#define ERR_CPSUI_NULL_OPTITEMNAME (-7)
#define ERR_CPSUI_NO_PROPSHEETPAGE (-8)
#define ERR_CPSUI_TOO_MANY_PROPSHEETPAGES (-9)
#define ERR_CPSUI_CREATEPROPPAGE_FAILED (-10)
#define ERR_CPSUI_MORE_THAN_ONE_TVPAGE (-11)

#define PROPSHEETUI_INFO_VERSION 0x0100
#define PSUIINFO_UNICODE 0x0001

// The most pages one sheet holds.
#define MAXPROPPAGES 100

extern "C" {

// Runs a sheet for the body pfnPropSheetUI (in), which is called as the
// host's order above says.
//  hWndOwner  in   owner of the sheet, or null
//  lParam     in   the body's lParamInit (for a printer driver: its
//                  DOCUMENTPROPERTYHEADER or DEVICEPROPERTYHEADER)
//  pResult    out  PROPSHEETUI_INFO.Result at the end, or null
// Answers the sheet's PropertySheetW result (0 or more), the body's INIT
// answer when it is below 1, or an ERR_CPSUI_* value.
LONG CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                            LPDWORD pResult);

}  // extern "C"
