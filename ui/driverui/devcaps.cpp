// devcaps.cpp: what the printer can do, as DrvDeviceCapabilities answers it.
//
// Owns: the routing of capability codes, the constant answers, the answers
// read from the option database and the printer's default DEVMODE, the paper
// list that applications see (GetDeviceCapsPapers) and the extended codes
// 25..33 (GetDeviceCapsExtended).
//
// Routing: 2, 3 and 16 go to the paper list; 25..33 to the extended codes;
// everything else to RN_DrvDeviceCapabilities, which the paper list also asks
// for the full option-0 list. Codes above 33 answer -1.
//
// Units: the option database holds paper sizes in 1/100 mm, applications get
// 1/10 mm; user papers are kept in 1/1000 inch.
#include "ui/driverui/driverui.h"

#include "platform/windows.h"
#include "ui/driverui/drvsettings.h"
#include "ui/settings/listops.h"
#include "ui/settings/regenv.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

const DWORD kdwFail = 0xFFFFFFFF;
const DWORD kcPaperMax = 256;
const int kcchPaperName = 64;
const int kcchBinName = 24;

// Option ids the capabilities read.
const WORD kOptPaper = 0;
const WORD kOptResolution = 5;
const WORD kOptBin = 27;

// The print rate is not known to the driver; the word is never written.
const DWORD g_dwPrintRate = 0xFFFFFFFF;

struct CONSTCAP {
    WORD iDevCap;  // capability code
    DWORD dwAnswer;
};
// Answers that need neither the printer nor the option database.
const CONSTCAP kConstCaps[] = {
    {DC_SIZE, DRVUI_CB_PUBLIC},         // public header size
    {DC_EXTRA, DRVUI_CB_EXTRA},         // private part size
    {DC_VERSION, 0x401},                // DEVMODE layout version (dmSpecVersion)
    {DC_DRIVER, DRVUI_DRIVER_VERSION},  // driver version
    {DC_FILEDEPENDENCIES, 0},           // no dependent files listed
    {DC_ORIENTATION, 90},               // landscape turns by 90 degrees
    {DC_EMF_COMPLIANT, 1},              // spools as EMF
    {DC_BINADJUST, kdwFail},            // not answered
    {DC_DATATYPE_PRODUCED, kdwFail},
    {DC_COLLATE, kdwFail},
    {DC_MANUFACTURER, kdwFail},
    {DC_MODEL, kdwFail},
};

// The N-up choices the driver offers, pages per sheet.
const DWORD kNupChoices[] = {1, 2, 4, 6, 9, 16};

// The name of user-paper slot iSlot (1..10): the printer's stored paper,
// else the built-in one; always terminated within cch characters.
void _UserPaperName(HANDLE hPrinter, int iSlot, LPWSTR pszName, int cch)
{
    memset(pszName, 0, cch * sizeof(WCHAR));
    WCHAR szPrinter[MAX_PATH] = {};
    QueryPrinterName(hPrinter, szPrinter, MAX_PATH);
    GetUserPaperSlot(szPrinter, iSlot, nullptr, nullptr, pszName, (DWORD)cch * sizeof(WCHAR));
}

// A new zeroed block of cb bytes (delete[] it), or null.
BYTE* _pZeroed(size_t cb)
{
    BYTE* p = new (std::nothrow) BYTE[cb ? cb : 1];
    if (p)
        memset(p, 0, cb ? cb : 1);
    return p;
}

// The answers read from the option database and the DEVMODE.
DWORD _AnswerFromDevmode(POPTIONDB hDb, const DEVMODEW* pdm, WORD iDevCap, PVOID pvOutput)
{
    switch (iDevCap) {
    case DC_FIELDS:
        return pdm->dmFields;
    case DC_DUPLEX:
        return (DWORD)(LONG)pdm->dmDuplex;
    case DC_TRUETYPE:
        return (DWORD)(LONG)pdm->dmTTOption;
    case DC_COPIES:
        return (DWORD)(LONG)DrvDevmode(pdm)->ui.wMaxCopies;
    case DC_PAPERS: {
        DWORD n = QueryOptionDb(hDb, kOptPaper, OPTQ_COUNT, NULL, 0, 0);
        if (pvOutput)
            QueryOptionDb(hDb, kOptPaper, OPTQ_ALLVALUES, pvOutput, 0, 2);
        return n;
    }
    case DC_BINS: {
        DWORD n = QueryOptionDb(hDb, kOptBin, OPTQ_COUNT, NULL, 0, 0);
        if (pvOutput)
            QueryOptionDb(hDb, kOptBin, OPTQ_ALLVALUES, pvOutput, 0, 2);
        return n;
    }
    case DC_PAPERNAMES: {
        DWORD n = QueryOptionDb(hDb, kOptPaper, OPTQ_COUNT, NULL, 0, 0);
        if (pvOutput)
            QueryOptionDb(hDb, kOptPaper, OPTQ_ALLTEXTS, pvOutput, 0, kcchPaperName);
        return n;
    }
    case DC_BINNAMES: {
        DWORD n = QueryOptionDb(hDb, kOptBin, OPTQ_COUNT, NULL, 0, 0);
        if (pvOutput)
            QueryOptionDb(hDb, kOptBin, OPTQ_ALLTEXTS, pvOutput, 0, kcchBinName);
        return n;
    }
    case DC_PAPERSIZE:
    case DC_MINEXTENT:
    case DC_MAXEXTENT: {
        DWORD n = QueryOptionDb(hDb, kOptPaper, OPTQ_COUNT, NULL, 0, 0);
        if (!pvOutput)
            return n;
        LONG* pSizes = (LONG*)_pZeroed(n * 2 * sizeof(LONG));
        if (!pSizes)
            return kdwFail;
        QueryOptionDb(hDb, kOptPaper, OPTQ_ALLSIZES, pSizes, 0, 0);
        POINT* ppt = (POINT*)pvOutput;
        if (iDevCap == DC_PAPERSIZE) {
            for (DWORD i = 0; i < n; ++i) {
                ppt[i].x = pSizes[2 * i] / 10;
                ppt[i].y = pSizes[2 * i + 1] / 10;
            }
        } else {
            // Width and length are taken separately; the smallest starts from
            // the first paper, the largest from 0.
            LONG cx = iDevCap == DC_MINEXTENT ? (n ? pSizes[0] : 0) : 0;
            LONG cy = iDevCap == DC_MINEXTENT ? (n ? pSizes[1] : 0) : 0;
            for (DWORD i = 0; i < n; ++i) {
                LONG w = pSizes[2 * i], l = pSizes[2 * i + 1];
                if (iDevCap == DC_MINEXTENT) {
                    cx = w < cx ? w : cx;
                    cy = l < cy ? l : cy;
                } else {
                    cx = w > cx ? w : cx;
                    cy = l > cy ? l : cy;
                }
            }
            ppt[0].x = cx / 10;
            ppt[0].y = cy / 10;
        }
        delete[] (BYTE*)pSizes;
        return n;
    }
    case DC_ENUMRESOLUTIONS: {
        DWORD n = QueryOptionDb(hDb, kOptResolution, OPTQ_COUNT, NULL, 0, 0);
        if (!pvOutput)
            return n;
        LONG* pValues = (LONG*)_pZeroed(n * sizeof(LONG));
        if (!pValues)
            return kdwFail;
        QueryOptionDb(hDb, kOptResolution, OPTQ_ALLVALUES, pValues, 0, 4);
        LONG* pOut = (LONG*)pvOutput;
        for (DWORD i = 0; i < n; ++i)
            pOut[2 * i] = pOut[2 * i + 1] = pValues[i];
        delete[] (BYTE*)pValues;
        return n;
    }
    default:
        return kdwFail;
    }
}

}  // namespace

BOOL bPaperHiddenFromApps(WORD wCode)
{
    if ((wCode & 0x2000) || (wCode & 0x800) || wCode == 512)
        return TRUE;
    return (wCode & 0x400) && !(wCode & 0x1000);
}

DWORD RN_DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                               PDEVMODEW pdm)
{
    DrvUiLogCalled("RN_DrvDeviceCapabilities");
    if (iDevCap > DC_NUP)
        return kdwFail;
    for (const CONSTCAP& c : kConstCaps)
        if (c.iDevCap == iDevCap)
            return c.dwAnswer;

    POPTIONDB hDb = OpenOptionDb();
    if (!hDb)
        return kdwFail;
    HGLOBAL h = GlobalAlloc(GHND, DRVUI_CB_DEVMODE);
    DEVMODEW* pdmWork = h ? (DEVMODEW*)GlobalLock(h) : NULL;
    if (!pdmWork) {
        if (h)
            GlobalFree(h);
        CloseOptionDb(hDb);
        return kdwFail;
    }
    LoadPrinterDefaultDevmode(hPrinter, pdmWork, pDeviceName, hDb);
    if (pdm && DrvUiDevmodeTotalSize(pdm)) {
        if (bSameDevmodeKind(pdm, pdmWork))
            ConvertDevmodeIn(hDb, pdm, pdmWork);
        else
            MergeDevmodeIn(hDb, pdm, pdmWork);
    }
    DWORD dwAnswer = _AnswerFromDevmode(hDb, pdmWork, iDevCap, pvOutput);
    GlobalUnlock(h);
    GlobalFree(h);
    CloseOptionDb(hDb);
    return dwAnswer;
}

DWORD GetDeviceCapsPapers(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                          PDEVMODEW pdm)
{
    DWORD cAll = RN_DrvDeviceCapabilities(hPrinter, pDeviceName, DC_PAPERS, NULL, pdm);
    if (cAll > kcPaperMax)
        return 0;
    WORD awCodes[kcPaperMax] = {};
    RN_DrvDeviceCapabilities(hPrinter, pDeviceName, DC_PAPERS, awCodes, pdm);

    // The kept papers in list order, with their index in the full list and
    // their user-paper slot (0 for a standard size).
    WORD awKept[kcPaperMax], awIndex[kcPaperMax], awSlot[kcPaperMax];
    DWORD cKept = 0;
    for (DWORD i = 0; i < cAll; ++i) {
        if (bPaperHiddenFromApps(awCodes[i]))
            continue;
        awKept[cKept] = awCodes[i];
        awIndex[cKept] = (WORD)i;
        awSlot[cKept] = (WORD)CustomPaperToSlot(awCodes[i]);
        ++cKept;
    }
    if (!pvOutput)
        return cKept;
    if (iDevCap == DC_PAPERS) {
        memcpy(pvOutput, awKept, cKept * sizeof(WORD));
        return cKept;
    }

    const bool bSizes = iDevCap == DC_PAPERSIZE;
    const size_t cbEntry = bSizes ? sizeof(POINT) : kcchPaperName * sizeof(WCHAR);
    BYTE* pAll = _pZeroed(cAll * cbEntry);
    if (!pAll)
        return 0;
    RN_DrvDeviceCapabilities(hPrinter, pDeviceName, iDevCap, pAll, pdm);
    BYTE* pOut = (BYTE*)pvOutput;
    for (DWORD k = 0; k < cKept; ++k) {
        BYTE* pEntry = pOut + k * cbEntry;
        if (!awSlot[k]) {
            memcpy(pEntry, pAll + awIndex[k] * cbEntry, cbEntry);
            continue;
        }
        if (bSizes) {
            POINT pt = {0, 0};
            GetCustomPaperSize(hPrinter, awKept[k], &pt.x, &pt.y);
            memcpy(pEntry, &pt, sizeof(pt));
        } else {
            _UserPaperName(hPrinter, awSlot[k], (LPWSTR)pEntry, kcchPaperName);
        }
    }
    delete[] pAll;
    return cKept;
}

DWORD GetDeviceCapsExtended(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                            PDEVMODEW pdm)
{
    switch (iDevCap) {
    case DC_PERSONALITY:
        if (pvOutput)
            lstrcpynW((LPWSTR)pvOutput, u"ORDEX2 V", 32);
        return 1;
    case DC_PRINTRATE:
    case DC_PRINTRATEPPM:
        return g_dwPrintRate;
    case DC_PRINTRATEUNIT:
        return 1;
    case DC_PRINTERMEM:
    case DC_MEDIAREADY:
        return kdwFail;
    case DC_STAPLE: {
        // The stapler is in the output unit of the printer's stored default.
        // Without an option database or a valid stored default nothing is
        // known, and no stapler is claimed.
        HGLOBAL h = GlobalAlloc(GHND, DRVUI_CB_DEVMODE);
        DEVMODEW* pdmWork = h ? (DEVMODEW*)GlobalLock(h) : NULL;
        if (!pdmWork) {
            if (h)
                GlobalFree(h);
            return 0;
        }
        DWORD dwAnswer = 0;
        POPTIONDB hDb = OpenOptionDb();
        if (hDb && LoadPrinterDefaultDevmode(hPrinter, pdmWork, pDeviceName, hDb) &&
            bValidDevmode(pdmWork))
            dwAnswer = DrvDevmode(pdmWork)->env.lpOutputUnit != 1 ? 1 : 0;
        CloseOptionDb(hDb);
        GlobalUnlock(h);
        GlobalFree(h);
        return dwAnswer;
    }
    case DC_COLORDEVICE:
        return 0;
    case DC_NUP:
        if (pvOutput)
            memcpy(pvOutput, kNupChoices, sizeof(kNupChoices));
        return sizeof(kNupChoices) / sizeof(kNupChoices[0]);
    default:
        return kdwFail;
    }
}

DWORD DeviceCapabilitiesEntry(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                              PDEVMODEW pdm)
{
    WCHAR szName[32];
    if (!pDeviceName) {
        memset(szName, 0, sizeof(szName));
        QueryPrinterName(hPrinter, szName, 32);
        pDeviceName = szName;
    }
    switch (iDevCap) {
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_PAPERNAMES:
        return GetDeviceCapsPapers(hPrinter, pDeviceName, iDevCap, pvOutput, pdm);
    default:
        if (iDevCap >= DC_PERSONALITY && iDevCap <= DC_NUP)
            return GetDeviceCapsExtended(hPrinter, pDeviceName, iDevCap, pvOutput, pdm);
        return RN_DrvDeviceCapabilities(hPrinter, pDeviceName, iDevCap, pvOutput, pdm);
    }
}
