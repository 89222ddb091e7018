// pagesetup.cpp: page set-up ("org", "pps", "ppt", "ppd", "htn", "brc",
// "rct"), the graphics library's paper and tray tables, and the grey
// conversion with its tone curves.
//
// Facts the code relies on:
//  1. The PDL mode (job DEVMODE byte 1410) picks the codes of a set-up:
//     0 ORDEX keys, 1 PCL codes, 2 and 3 PCLXL codes; above 3 nothing
//     valid (-1 codes, origin 0,0).
//  2. In PCL mode the printer keeps the last set-up, so items are written
//     only when they change. Paper, orientation, size and margins travel as
//     one "pps" command and are compared as one item: a new orientation on
//     the same paper still needs its "pps".
//  3. Every colour of the stream goes through PdlColorToGray, so the tone
//     curve and pure-black mode apply to all of them alike.
#include <cstring>

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "platform/windows.h"
#include "ui/settings/papertable.h"

#pragma pack(push, 1)

// GFXPAPER, 216 bytes: a row of the graphics library's paper table.
//
//  off size field
//    0    2 nKey       driver paper key
//    2   64 szDisplay  display name (empty in this table)
//   66   64 szSize     size text, such as "(210x297mm)"
//  130    2 wReserved  0
//  132    4 cx         width, 1/100 mm
//  136    4 cy         length, 1/100 mm
//  140   32 szOrdex    ORDEX paper name
//  172    2 nPcl       PCL paper code
//  174    2 nPclxl     PCLXL paper code
//  176    1 bVariant   0 plain, 1 "_F", 2 "_W", 3 "_WF"
//  177    1 bFeed      1 short edge first, 2 long edge first, 0 user papers
//  178   38 szPjl      PJL paper name
struct GFXPAPER {
    SHORT nKey;
    WCHAR szDisplay[32];
    WCHAR szSize[32];
    WORD wReserved;
    LONG cx;
    LONG cy;
    WCHAR szOrdex[16];
    SHORT nPcl;
    SHORT nPclxl;
    BYTE bVariant;
    BYTE bFeed;
    WCHAR szPjl[19];
};

// GFXTRAY, 70 bytes: a row of the tray table.
//
//  off size field
//    0    2 nKey     tray key
//    2   32 szPjl    PJL tray name
//   34   32 szOrdex  ORDEX tray name
//   66    2 nPcl     PCL code
//   68    2 nPclxl   PCLXL code
struct GFXTRAY {
    SHORT nKey;
    WCHAR szPjl[16];
    WCHAR szOrdex[16];
    SHORT nPcl;
    SHORT nPclxl;
};

#pragma pack(pop)

static_assert(sizeof(GFXPAPER) == 216);
static_assert(offsetof(GFXPAPER, szSize) == 66);
static_assert(offsetof(GFXPAPER, cx) == 132);
static_assert(offsetof(GFXPAPER, szOrdex) == 140);
static_assert(offsetof(GFXPAPER, nPcl) == 172);
static_assert(offsetof(GFXPAPER, bVariant) == 176);
static_assert(offsetof(GFXPAPER, bFeed) == 177);
static_assert(offsetof(GFXPAPER, szPjl) == 178);
static_assert(sizeof(GFXTRAY) == 70);
static_assert(offsetof(GFXTRAY, szOrdex) == 34);
static_assert(offsetof(GFXTRAY, nPcl) == 66);

namespace {

constexpr int kNameBytes = 31;  // names reach the stream cut to this

struct PAPERTAB {
    GFXPAPER aRow[100];
    char aszOrdex[100][kNameBytes + 1];
    char aszPjl[100][kNameBytes + 1];
    int cRows;
};

struct TRAYTAB {
    GFXTRAY aRow[8];
    char aszOrdex[8][kNameBytes + 1];
    char aszPjl[8][kNameBytes + 1];
    int cRows;
};

void _CopyName(WCHAR* pwszOut, int cchOut, const char16_t* pwszIn)
{
    int i = 0;
    for (; i < cchOut - 1 && pwszIn[i] != 0; ++i) {
        pwszOut[i] = pwszIn[i];
    }
    pwszOut[i] = 0;
}

void _Narrow(char* pszOut, const WCHAR* pwszIn)
{
    // Table names are plain ASCII.
    int i = 0;
    for (; i < kNameBytes && pwszIn[i] != 0; ++i) {
        pszOut[i] = (char)pwszIn[i];
    }
    pszOut[i] = 0;
}

// The paper rows are those of the settings model's data file; the class
// column gives the feed (high byte) and the media variant (low byte).
void _AddPaper(PAPERTAB* pt, int code, int /*strid*/, const char16_t* pszSize, int width,
               int length, const char16_t* pszPdl, int devsize, int devvariant, int cls,
               const char16_t* pszBase)
{
    if (pt->cRows >= 100) {
        return;
    }
    GFXPAPER& row = pt->aRow[pt->cRows];
    memset(&row, 0, sizeof(row));
    row.nKey = (SHORT)code;
    _CopyName(row.szSize, 32, pszSize);
    row.cx = width;
    row.cy = length;
    _CopyName(row.szOrdex, 16, pszPdl);
    row.nPcl = (SHORT)devsize;
    row.nPclxl = (SHORT)devvariant;
    row.bVariant = (BYTE)(cls & 0xFF);
    row.bFeed = bIsCustomPaper(code) ? 0 : (BYTE)((cls >> 8) & 0xFF);
    _CopyName(row.szPjl, 19, pszBase);
    _Narrow(pt->aszOrdex[pt->cRows], row.szOrdex);
    _Narrow(pt->aszPjl[pt->cRows], row.szPjl);
    ++pt->cRows;
}

const PAPERTAB& _Papers()
{
    static const PAPERTAB s_tab = [] {
        PAPERTAB t = {};
#define Q730_ROW(...) _AddPaper(&t, __VA_ARGS__);
#include "pdl_papers.inc"
#undef Q730_ROW
        return t;
    }();
    return s_tab;
}

const TRAYTAB& _Trays()
{
    static const TRAYTAB s_tab = [] {
        TRAYTAB t = {};
#define PDL_ROW(key, pjl, ordex, pcl, pclxl)                          \
    if (t.cRows < 8) {                                                \
        GFXTRAY& r = t.aRow[t.cRows];                                 \
        r.nKey = (SHORT)(key);                                        \
        _CopyName(r.szPjl, 16, pjl);                                  \
        _CopyName(r.szOrdex, 16, ordex);                              \
        r.nPcl = (SHORT)(pcl);                                        \
        r.nPclxl = (SHORT)(pclxl);                                    \
        _Narrow(t.aszPjl[t.cRows], r.szPjl);                          \
        _Narrow(t.aszOrdex[t.cRows], r.szOrdex);                      \
        ++t.cRows;                                                    \
    }
#include "pdl_trays.inc"
#undef PDL_ROW
        return t;
    }();
    return s_tab;
}

struct TONECURVES {
    BYTE aPlus2[256];
    BYTE aPlus1[256];
    BYTE aZero[256];
    BYTE aMinus1[256];
    BYTE aMinus2[256];
};

const TONECURVES& _Curves()
{
    static const TONECURVES s_curves = [] {
        TONECURVES c = {};
#define PDL_ROW(in, p2, p1, z, m1, m2)                                              \
    if ((in) >= 0 && (in) < 256) {                                                  \
        c.aPlus2[in] = (BYTE)(p2);                                                  \
        c.aPlus1[in] = (BYTE)(p1);                                                  \
        c.aZero[in] = (BYTE)(z);                                                    \
        c.aMinus1[in] = (BYTE)(m1);                                                 \
        c.aMinus2[in] = (BYTE)(m2);                                                 \
    }
#include "pdl_tonecurves.inc"
#undef PDL_ROW
        return c;
    }();
    return s_curves;
}

int _FindPaper(int nKey)
{
    const PAPERTAB& t = _Papers();
    for (int i = 0; i < t.cRows; ++i) {
        if (t.aRow[i].nKey == nKey) {
            return i;
        }
    }
    return -1;
}

int _FindTray(int nKey)
{
    const TRAYTAB& t = _Trays();
    for (int i = 0; i < t.cRows; ++i) {
        if (t.aRow[i].nKey == nKey) {
            return i;
        }
    }
    return -1;
}

int _PdlMode(PDEV* pPDev)
{
    return DmByte(pPDev, 1410);
}

BOOL _bPureBlack(PDEV* pPDev)
{
    if (DmByte(pPDev, 2161) != 1) {
        return FALSE;
    }
    int nKind = PdlWork(pPDev)->bDrawKind;
    switch (DmByte(pPDev, 2162)) {
    case 1:
        return nKind == 1 || nKind == 3 || nKind == 4;
    case 2:
        return nKind >= 1 && nKind <= 4;
    default:
        return FALSE;
    }
}

// Writes one value in hundredths as "%<int>.<hh>" after pszPrefix and before
// pszSuffix, both without conversions.
void _WriteHundredths(PDEV* pPDev, const char* pszPrefix, LONG v, const char* pszSuffix)
{
    DWORD mag = v < 0 ? 0u - (DWORD)v : (DWORD)v;
    DWORD ip = mag / 100;
    DWORD hs = mag % 100;
    const char* pszNumber;
    if (v < 0) {
        pszNumber = hs < 10 ? "%%-%d.0%d" : "%%-%d.%d";
    } else {
        pszNumber = hs < 10 ? "%%%d.0%d" : "%%%d.%d";
    }
    char achFormat[48];
    char* p = achFormat;
    for (const char* s : {pszPrefix, pszNumber, pszSuffix}) {
        size_t cb = strlen(s);
        memcpy(p, s, cb);
        p += cb;
    }
    *p = 0;
    PdlPrintf(pPDev, achFormat, (int)ip, (int)hs);
}

void _OriginForMode(PDEV* pPDev, int nMode, LONG* px, LONG* py)
{
    LONG x = *px;
    LONG y = *py;
    switch (nMode) {
    case 0:
        break;
    case 1: {
        LONG x0 = DmLong(pPDev, 2407);
        LONG y0 = DmLong(pPDev, 2411);
        LONG u = x - 406;
        LONG v = y - y0;
        if (DmShort(pPDev, 296) == DMORIENT_LANDSCAPE) {
            LONG t = u;
            u = v;
            v = -t;
        }
        if (bDuplexAvailable(pPDev) && (PdlWork(pPDev)->nPageSide % 2) == 0) {
            if (DmShort(pPDev, 314) == 2) {
                u = -u;
            } else {
                v = -v;
            }
        }
        x = u + x0;
        y = v + y0;
        break;
    }
    case 2:
    case 3:
        x -= 406;
        y -= 406;
        break;
    default:
        x = 0;
        y = 0;
        break;
    }
    *px = x;
    *py = y;
}

int _PaperCode(int nMode, int nKey)
{
    int i = _FindPaper(nKey);
    switch (nMode) {
    case 0:
        return nKey;
    case 1: {
        if (i < 0) {
            return -1;
        }
        static const int s_aVariantAdd[4] = {0, 150, 100, 200};
        const GFXPAPER& row = _Papers().aRow[i];
        return row.nPcl + s_aVariantAdd[row.bVariant & 3];
    }
    case 2:
    case 3:
        return i < 0 ? -1 : _Papers().aRow[i].nPclxl;
    default:
        return -1;
    }
}

int _OrientCode(int nMode, int nOrient)
{
    if (nMode == 0) {
        return nOrient;
    }
    if (nMode <= 3) {
        return nOrient == DMORIENT_PORTRAIT ? 0 : 1;
    }
    return -1;
}

int _TrayCode(int nMode, int nKey)
{
    switch (nMode) {
    case 0:
        return nKey;
    case 1:
        return GetTrayPclCode(nKey);
    case 2:
    case 3:
        return GetTrayPclxlCode(nKey);
    default:
        return -1;
    }
}

int _SidesCode(int nMode, int nSides, int nBinding, int nOrient)
{
    switch (nMode) {
    case 0:
        return nSides == 2 ? (nBinding == 3 ? 1 : 2) : 0;
    case 1:
        return nSides == 2 ? (nBinding == 3 ? 2 : 1) : 0;
    case 2:
    case 3:
        return nSides == 2 ? ((nBinding == 3) != (nOrient == DMORIENT_PORTRAIT) ? 1 : 0) : -1;
    default:
        return -1;
    }
}

constexpr DWORD kPaperGroup = PSI_PAPER | PSI_ORIENT | PSI_WIDTH | PSI_LENGTH | PSI_MARGINS;

}  // namespace

// ---- tables ------------------------------------------------------------------

const char* GetPaperOrdexName(int nKey)
{
    int i = _FindPaper(nKey);
    return i < 0 ? "A4" : _Papers().aszOrdex[i];
}

const char* GetPaperPjlName(int nKey)
{
    int i = _FindPaper(nKey);
    return i < 0 ? "A4" : _Papers().aszPjl[i];
}

const char* GetTrayOrdexName(int nKey)
{
    int i = _FindTray(nKey);
    return i < 0 ? "A" : _Trays().aszOrdex[i];
}

const char* GetTrayPjlName(int nKey)
{
    int i = _FindTray(nKey);
    return i < 0 ? "AUTO" : _Trays().aszPjl[i];
}

int GetPaperPclCode(int nKey)
{
    int i = _FindPaper(nKey);
    return i < 0 ? -1 : _Papers().aRow[i].nPcl;
}

int GetPaperPclxlCode(int nKey)
{
    int i = _FindPaper(nKey);
    return i < 0 ? -1 : _Papers().aRow[i].nPclxl;
}

int GetTrayPclCode(int nKey)
{
    int i = _FindTray(nKey);
    return i < 0 ? nKey : _Trays().aRow[i].nPcl;
}

int GetTrayPclxlCode(int nKey)
{
    int i = _FindTray(nKey);
    return i < 0 ? nKey : _Trays().aRow[i].nPclxl;
}

BOOL bIsCustomPaperKey(int nKey)
{
    return nKey == 256 || (nKey >= 513 && nKey <= 521);
}

// ---- the page's settings -------------------------------------------------------

BOOL bDuplexAvailable(PDEV* pPDev)
{
    return (DmByte(pPDev, 1423) == 1 && DmByte(pPDev, 1426) == 1) ||
           (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2096) == 1);
}

int GetPagePaperKey(PDEV* pPDev)
{
    int nPaper = 0;
    if (GetScheduledPaper(pPDev, &nPaper)) {
        return nPaper;
    }
    return DmShort(pPDev, 776);
}

int GetPageTrayKey(PDEV* pPDev)
{
    int nTray = DmShort(pPDev, 1543);
    // Covers or OHP interleaves fed from the manual tray take the job's
    // pages from the tray chosen for them instead.
    BOOL bCoverManual =
        ((DmByte(pPDev, 1570) == 2 || DmByte(pPDev, 1570) == 3) && DmShort(pPDev, 1571) == 4) ||
        ((DmByte(pPDev, 1573) == 2 || DmByte(pPDev, 1573) == 3) && DmShort(pPDev, 1574) == 4);
    if ((DmByte(pPDev, 1576) == 127 && nTray == 4) || (DmByte(pPDev, 1577) == 127 && bCoverManual)) {
        nTray = DmShort(pPDev, 1562);
    }
    int nScheduled = 0;
    if (GetScheduledTray(pPDev, &nScheduled)) {
        nTray = nScheduled;
    }
    return nTray;
}

void GetPageSides(PDEV* pPDev, int* pnSides, int* pnBinding)
{
    int nSides = 1;
    int nBinding = 0;
    int nDuplex = DmShort(pPDev, 314);
    if (DmByte(pPDev, 1433) == 1) {
        nSides = 2;
        nBinding = 3;
    } else if (bDuplexAvailable(pPDev) && (nDuplex == 2 || nDuplex == 3)) {
        nSides = 2;
        nBinding = nDuplex;
    }
    int nSchedSides = 0;
    int nSchedBinding = 0;
    if (GetScheduledSides(pPDev, &nSchedSides, &nSchedBinding)) {
        nSides = nSchedSides;
        nBinding = nSchedBinding;
    }
    *pnSides = nSides;
    *pnBinding = nBinding;
}

// ---- set-up ------------------------------------------------------------------

BOOL PdlPageSetup(PDEV* pPDev)
{
    PdlResetState(pPDev);
    BuildPageSetup(pPDev);
    if (_PdlMode(pPDev) == 0) {
        WriteHalftone(pPDev);
    }
    WriteColorRegisters(pPDev);
    return TRUE;
}

void BuildPageSetup(PDEV* pPDev)
{
    int nMode = _PdlMode(pPDev);
    int nOrient = DmShort(pPDev, 296);
    PAGESETUPREC rec = {};
    rec.dwMask = PSI_ALL;

    LONG x = 0;
    LONG y = 0;
    GetPageOrigin(pPDev, &x, &y);
    _OriginForMode(pPDev, nMode, &x, &y);
    rec.x = x;
    rec.y = y;

    rec.nPaper = (SHORT)_PaperCode(nMode, GetPagePaperKey(pPDev));
    rec.nOrient = (SHORT)_OrientCode(nMode, nOrient);

    RECTL rcLimit = {};
    GetTrayLimitRect(&rcLimit, 7, 0);
    LONG cxCustom = 10 * DmShort(pPDev, 1547);
    LONG cyCustom = 10 * DmShort(pPDev, 1549);
    LONG x0 = DmLong(pPDev, 2407);
    LONG y0 = DmLong(pPDev, 2411);
    LONG x1 = DmLong(pPDev, 2415);
    LONG y1 = DmLong(pPDev, 2419);
    rec.cxPaper = cxCustom + rcLimit.left + rcLimit.right - x0 - (cxCustom - x1);
    rec.cyPaper = cyCustom + rcLimit.top + rcLimit.bottom - y0 - (cyCustom - y1);
    rec.aMargin[0] = rcLimit.left;
    rec.aMargin[1] = rcLimit.top;
    rec.aMargin[2] = rcLimit.right;
    rec.aMargin[3] = rcLimit.bottom;

    rec.nTray = (SHORT)_TrayCode(nMode, GetPageTrayKey(pPDev));
    int nSides = 1;
    int nBinding = 0;
    GetPageSides(pPDev, &nSides, &nBinding);
    rec.nSides = (SHORT)_SidesCode(nMode, nSides, nBinding, nOrient);
    rec.nCopies = DmShort(pPDev, 306);

    ApplyPageSetup(pPDev, &rec);
}

void ApplyPageSetup(PDEV* pPDev, const PAGESETUPREC* pRec)
{
    if (_PdlMode(pPDev) != 1) {
        WritePageSetupItems(pPDev, pRec);
        return;
    }
    PAGESETUPREC* pKept = &PdlWork(pPDev)->psCurrent;
    PAGESETUPREC rec = *pRec;
    if ((pKept->dwMask & PSI_TRAY) && pKept->nTray == rec.nTray) {
        rec.dwMask &= ~PSI_TRAY;
    }
    if ((pKept->dwMask & PSI_SIDES) && pKept->nSides == rec.nSides) {
        rec.dwMask &= ~PSI_SIDES;
    }
    if ((pKept->dwMask & kPaperGroup) == kPaperGroup && pKept->nPaper == rec.nPaper &&
        pKept->nOrient == rec.nOrient && pKept->cxPaper == rec.cxPaper &&
        pKept->cyPaper == rec.cyPaper &&
        memcmp(pKept->aMargin, rec.aMargin, sizeof(rec.aMargin)) == 0) {
        rec.dwMask &= ~kPaperGroup;
    }
    if (rec.dwMask == 0) {
        return;
    }
    if (rec.dwMask & PSI_ORIGIN) {
        pKept->x = rec.x;
        pKept->y = rec.y;
    }
    if (rec.dwMask & PSI_PAPER) {
        pKept->nPaper = rec.nPaper;
        pKept->nOrient = rec.nOrient;
        pKept->cxPaper = rec.cxPaper;
        pKept->cyPaper = rec.cyPaper;
        memcpy(pKept->aMargin, rec.aMargin, sizeof(rec.aMargin));
    }
    if (rec.dwMask & PSI_TRAY) {
        pKept->nTray = rec.nTray;
    }
    if (rec.dwMask & PSI_SIDES) {
        pKept->nSides = rec.nSides;
    }
    if (rec.dwMask & PSI_COPIES) {
        pKept->nCopies = rec.nCopies;
    }
    pKept->dwMask |= rec.dwMask;
    WritePageSetupItems(pPDev, &rec);
}

void WritePageSetupItems(PDEV* pPDev, const PAGESETUPREC* pRec)
{
    if (pRec->dwMask & PSI_ORIGIN) {
        WriteOrigin(pPDev, pRec->x, pRec->y);
    }
    if ((pRec->dwMask & kPaperGroup) == kPaperGroup) {
        WritePaper(pPDev, pRec);
    }
    if (pRec->dwMask & PSI_TRAY) {
        WriteTray(pPDev, pRec->nTray);
    }
    if (pRec->dwMask & PSI_SIDES) {
        WriteSides(pPDev, pRec->nSides);
    }
}

void WriteOrigin(PDEV* pPDev, LONG x, LONG y)
{
    _WriteHundredths(pPDev, "org ", x, " ");
    _WriteHundredths(pPDev, "", y, ";\n");
}

void WritePaper(PDEV* pPDev, const PAGESETUPREC* pRec)
{
    char achName[kNameBytes + 1];
    strncpy(achName, GetPaperOrdexName(pRec->nPaper), kNameBytes);
    achName[kNameBytes] = 0;
    PdlPrintf(pPDev, "pps %s ", achName);
    if (bIsCustomPaperKey(pRec->nPaper)) {
        const LONG aValues[6] = {pRec->cxPaper,    pRec->cyPaper,    pRec->aMargin[0],
                                 pRec->aMargin[1], pRec->aMargin[2], pRec->aMargin[3]};
        for (LONG v : aValues) {
            _WriteHundredths(pPDev, "", v, " ");
        }
    }
    // Landscape is code 2 in ORDEX mode and code 1 in the PCL modes.
    int nMode = _PdlMode(pPDev);
    BOOL bLandscape = nMode == 0 ? pRec->nOrient == 2 : nMode <= 3 && pRec->nOrient == 1;
    PdlPrintf(pPDev, "%s;\n", bLandscape ? "L" : "P");
}

void WriteTray(PDEV* pPDev, int nTrayCode)
{
    char achName[kNameBytes + 1];
    strncpy(achName, GetTrayOrdexName(nTrayCode), kNameBytes);
    achName[kNameBytes] = 0;
    PdlPrintf(pPDev, "ppt %s;\n", achName);
}

void WriteSides(PDEV* pPDev, int nSidesCode)
{
    static const char* const s_apszSides[3] = {"N", "S", "L"};
    // A code without a letter (one-sided pages in the PCLXL modes) has no
    // command; leaving the line out keeps the stream readable.
    if (nSidesCode < 0 || nSidesCode > 2) {
        return;
    }
    PdlPrintf(pPDev, "ppd %s;\n", s_apszSides[nSidesCode]);
}

void WriteHalftone(PDEV* pPDev)
{
    if (DmByte(pPDev, 2160) == 1) {
        int n = DmByte(pPDev, 1445) == 1 ? 2 : DmByte(pPDev, 1445) == 2 ? 4 : 1;
        PdlPrintf(pPDev, "htn %s %d;\n", "E", n);
    } else {
        int n = DmByte(pPDev, 2154) == 2 ? 17 : DmByte(pPDev, 2154) == 4 ? 129 : 33;
        PdlPrintf(pPDev, "htn %s %d;\n", "D", n);
    }
}

void WriteColorRegisters(PDEV* pPDev)
{
    DWORD dwBlack = PdlColorToGray(pPDev, 0x000000);
    DWORD dwWhite = PdlColorToGray(pPDev, 0xFFFFFF);
    PdlPrintf(pPDev, "brc 0 #%X;\n", dwBlack);
    PdlPrintf(pPDev, "brc 1 #%X;\n", dwWhite);
    PdlPrintf(pPDev, "brc %d #%X;\n", 10, dwBlack);
}

void WriteFillRect(PDEV* pPDev, const RECTL* prcl, ROP4 rop, const BYTE abPattern[8],
                   const RECTL* prclClip)
{
    if (prcl == nullptr) {
        return;
    }
    // The rectangle is in page units: the clip is set without the N-up
    // scale and cell offsets, which are put back afterwards.
    LONG lScale = pPDev->lNupScale;
    LONG xCell = pPDev->xNupCell;
    LONG yCell = pPDev->yNupCell;
    pPDev->lNupScale = 10000;
    pPDev->xNupCell = 0;
    pPDev->yNupCell = 0;
    SelectClipRect(pPDev, prclClip);
    pPDev->lNupScale = lScale;
    pPDev->xNupCell = xCell;
    pPDev->yNupCell = yCell;

    SelectRop(pPDev, rop);
    SelectNullPen(pPDev);
    BYTE abInverse[8];
    for (int i = 0; i < 8; ++i) {
        abInverse[i] = (BYTE)~(abPattern != nullptr ? abPattern[i] : 0);
    }
    SelectPatternBrush8x8(pPDev, abInverse);
    PdlPrintf(pPDev, "rct %d %d %d %d;\n", prcl->left, prcl->top, prcl->right, prcl->bottom);
}

// ---- grey --------------------------------------------------------------------

void LoadToneCurve(PDEV* pPDev)
{
    const TONECURVES& c = _Curves();
    const BYTE* pCurve;
    switch (DmShort(pPDev, 2156)) {
    case 2:
        pCurve = c.aPlus2;
        break;
    case 1:
        pCurve = c.aPlus1;
        break;
    case -1:
        pCurve = c.aMinus1;
        break;
    case -2:
        pCurve = c.aMinus2;
        break;
    default:
        pCurve = c.aZero;
        break;
    }
    memcpy(PdlWork(pPDev)->abToneCurve, pCurve, 256);
}

BYTE PdlMapGray(PDEV* pPDev, BYTE bLevel)
{
    if (_bPureBlack(pPDev) && bLevel != 255) {
        bLevel = 0;
    }
    return PdlWork(pPDev)->abToneCurve[bLevel];
}

DWORD PdlColorToGray(PDEV* pPDev, DWORD rgb)
{
    DWORD r = rgb & 0xFF;
    DWORD g = (rgb >> 8) & 0xFF;
    DWORD b = (rgb >> 16) & 0xFF;
    BYTE bGray = (BYTE)((30 * r + 59 * g + 11 * b) / 100);
    return (DWORD)PdlMapGray(pPDev, bGray) * 0x010101u;
}

BOOL PdlIsGrayMode(PDEV* pPDev)
{
    return (DmShort(pPDev, 2156) != 0 || _bPureBlack(pPDev)) && pPDev->bPageFlag == 0;
}

void SetDrawingKind(PDEV* pPDev, int nKind)
{
    if (nKind < 0 || nKind > 4) {
        return;
    }
    PdlWork(pPDev)->bDrawKind = (BYTE)nKind;
    pPDev->bGrayConv = PdlIsGrayMode(pPDev) ? 1 : 0;
}

int GetDrawingKind(PDEV* pPDev)
{
    return PdlWork(pPDev)->bDrawKind;
}
