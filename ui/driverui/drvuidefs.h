// drvuidefs.h: the printer-driver user-interface boundary of Q730MVU3.
//
// Owns: the prototypes of this library's exports and their function-pointer
// types, so that callers that bind them at run time (GetProcAddress) share
// one declaration. The records they take are the platform's
// (platform/spooler/drvinterface.h); the bodies live in the other files of
// this folder.
#pragma once

#include "platform/windef.h"
#include "platform/spooler/drvinterface.h"

// ---------------------------------------------------------------------------
// The exports of Q730MVU3, in ordinal order. Callers that load the library
// bind them by name with these types.
typedef BOOL(WINAPI* PFN_DevQueryPrintEx)(PDEVQUERYPRINT_INFO pDQPInfo);
typedef BOOL(WINAPI* PFN_DllInitialize)(HINSTANCE hInst, ULONG ulReason, PVOID pvReserved);
typedef LONG(WINAPI* PFN_DrvAdvancedDocumentProperties)(HWND hWnd, HANDLE hPrinter,
                                                         PWSTR pDeviceName, PDEVMODEW pdmOutput,
                                                         PDEVMODEW pdmInput);
typedef BOOL(WINAPI* PFN_DrvConvertDevMode)(LPWSTR pPrinterName, PDEVMODEW pdmIn,
                                            PDEVMODEW pdmOut, PLONG pcbNeeded, DWORD fMode);
typedef DWORD(WINAPI* PFN_DrvDeviceCapabilities)(HANDLE hPrinter, PWSTR pDeviceName,
                                                 WORD iDevCap, PVOID pvOutput, PDEVMODEW pdm);
typedef LONG(WINAPI* PFN_DrvDevicePropertySheets)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
// PFN_DrvDocumentEvent is the application-side GDI's (platform/gdi/wingdi.h).
typedef LONG(WINAPI* PFN_DrvDocumentProperties)(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                                PDEVMODEW pdmOutput, PDEVMODEW pdmInput,
                                                DWORD fMode);
typedef LONG(WINAPI* PFN_DrvDocumentPropertySheets)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
typedef BOOL(WINAPI* PFN_DrvPrinterEvent)(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags,
                                          LPARAM lParam);
typedef DWORD(WINAPI* PFN_XR_GetEnvExtraSize)(void);
typedef BOOL(WINAPI* PFN_PrinterProperties)(HWND hWnd, HANDLE hPrinter);

#ifndef Q730_EXPORT
#define Q730_EXPORT extern "C" __attribute__((visibility("default")))
#endif

Q730_EXPORT BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo);
Q730_EXPORT BOOL WINAPI DllInitialize(HINSTANCE hInst, ULONG ulReason, PVOID pvReserved);
Q730_EXPORT LONG WINAPI DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter,
                                                      PWSTR pDeviceName, PDEVMODEW pdmOutput,
                                                      PDEVMODEW pdmInput);
Q730_EXPORT BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                                          PLONG pcbNeeded, DWORD fMode);
Q730_EXPORT DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap,
                                               PVOID pvOutput, PDEVMODEW pdm);
Q730_EXPORT LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
Q730_EXPORT INT WINAPI DrvDocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn,
                                        PVOID pvIn, ULONG cbOut, PVOID pvOut);
Q730_EXPORT LONG WINAPI DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, PWSTR pDeviceName,
                                              PDEVMODEW pdmOutput, PDEVMODEW pdmInput,
                                              DWORD fMode);
Q730_EXPORT LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
Q730_EXPORT BOOL WINAPI DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags,
                                        LPARAM lParam);
// XR_GetEnvExtraSize is declared with the DEVMODE blocks (ui/settings/devmode.h).
Q730_EXPORT BOOL WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter);
