// xrddigfx.h: the graphics library's entry points and custom DDI layer.
//
// Owns: the exports (DllEntryPoint, DrvQueryDriverInfo, DrvEnableDriver,
// DrvDisableDriver), the constant 26-row hook table, the hook stubs and the
// custom layer (Cust*): the special cases of this printer family
// (CustEnablePDEV, CustEnableSurface, CustEscape, CustTextOut) and one plain
// forwarder for every other hook. The generic layer (graphics/ddi/gendi.h)
// does the work.
#pragma once

#include "customnt/xrddigfx/pdev.h"
#include "ui/settings/optiondb.h"

#define DRV_HOOK_COUNT 26
#define STRETCHROP_MAX_PIXELS 400000

Q730_EXPORT BOOL DllEntryPoint(HINSTANCE hModule, DWORD ulReason, LPVOID pvReserved);
Q730_EXPORT BOOL DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);
Q730_EXPORT BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
Q730_EXPORT void DrvDisableDriver();

// The DrvEnablePDEV body: builds the job DEVMODE (defaults, the caller's
// DEVMODE, the printer's installable options, validation) and the PDEV.
DHPDEV CustEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                      ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                      LPWSTR pwszDeviceName, HANDLE hDriver);
HSURF CustEnableSurface(DHPDEV dhpdev);
void CustFillDevInfoFonts(PDEV* pPDev, DEVINFO* pDevInfo);
// The graphics library's build of the default DEVMODE (no printer handle;
// a null device name leaves the name empty).
BOOL SetDefaultDevmode(POPTIONDB pdb, DEVMODEW* pdm, LPCWSTR pwszDeviceName);

// DrvStretchBltROP's strips: at most 400000 destination pixels per call of
// pfnEngine, top to bottom; the last strip's result is the result.
BOOL StretchBltROPInStrips(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                           XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                           RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode,
                           BRUSHOBJ* pbo, DWORD rop4, PFN_DrvStretchBltROP pfnEngine);
