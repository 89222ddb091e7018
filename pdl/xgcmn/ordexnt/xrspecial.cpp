// xrspecial.cpp: the sheets a job carries that the application never drew:
// sheets inserted before the first page and after a page, each set up with
// its own paper, tray and sides, a tab label played back from the segment
// store at its computed place, and the pattern laid over every page's end.
//
// Entry points: WritePagesBeforeFirstPage, WritePagesAfterPage (and their
// bodies WriteSheetsBeforeFirstPage, WriteSheetsAfterPage), SetupSpecialPage,
// DrawSpecialPageItem, WritePageEndPattern, GetTabStripRect,
// GetTabLabelPosition.
//
// Facts the code relies on:
//  1. Inserted sheets advance the page side counter (EjectPage), never the
//     logical page number.
//  2. The document page is ended exactly once, after its own tab label and
//     before the sheets that follow it (EndPageNormally).
//  3. A blank document page that blank-page skipping drops does not take
//     the sheets after it along: the page is dropped first, then the sheets
//     are written and sent.
//  4. An inserted sheet on custom paper gets the real paper size and
//     margins, as every document page does; zeros would describe no paper.
//  5. The tab label is drawn at (1000, 1000) device pixels by the
//     user-interface library while it is recorded: the print offset of
//     2540000 / dpi hundredths of a millimetre takes that back.
#include "pdl/xgcmn/ordexnt/xrspecial.h"

#include <cstring>

#include "platform/windows.h"
#include "ui/settings/papertable.h"

namespace {

SHORT _Short(const BYTE* pb)
{
    return static_cast<SHORT>(pb[0] | (pb[1] << 8));
}

const BYTE* _Rec(const SPECIALPAGE* pRec)
{
    return reinterpret_cast<const BYTE*>(pRec);
}

int _PdlMode(PDEV* pPDev)
{
    return DmByte(pPDev, 1410);
}

// The codes of a set-up record for the PDL mode, as the page set-up writes
// them for document pages.
int _PaperCode(int nMode, int nKey)
{
    switch (nMode) {
    case 0: return nKey;
    case 1: return GetPaperPclCode(nKey);
    case 2:
    case 3: return GetPaperPclxlCode(nKey);
    default: return -1;
    }
}

int _OrientCode(int nMode, int nOrient)
{
    if (nMode == 0) {
        return nOrient;
    }
    return nMode <= 3 ? (nOrient == DMORIENT_PORTRAIT ? 0 : 1) : -1;
}

int _TrayCode(int nMode, int nKey)
{
    switch (nMode) {
    case 0: return nKey;
    case 1: return GetTrayPclCode(nKey);
    case 2:
    case 3: return GetTrayPclxlCode(nKey);
    default: return -1;
    }
}

int _SidesCode(int nMode, int nSides, int nBinding, int nOrient)
{
    switch (nMode) {
    case 0: return nSides == 2 ? (nBinding == 3 ? 1 : 2) : 0;
    case 1: return nSides == 2 ? (nBinding == 3 ? 2 : 1) : 0;
    case 2:
    case 3: return nSides == 2 ? ((nBinding == 3) != (nOrient == DMORIENT_PORTRAIT) ? 1 : 0) : -1;
    default: return -1;
    }
}

// The origin (1/100 mm) moved for the PCL modes, which count from the
// printable area's corner rather than the paper's.
void _OriginForMode(PDEV* pPDev, LONG* px, LONG* py)
{
    int nMode = _PdlMode(pPDev);
    if (nMode == 2 || nMode == 3) {
        *px -= 406;
        *py -= 406;
    } else if (nMode == 1) {
        LONG x0 = DmLong(pPDev, 2407);
        LONG y0 = DmLong(pPDev, 2411);
        LONG u = *px - 406;
        LONG v = *py - y0;
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
        *px = u + x0;
        *py = v + y0;
    }
}

// Sheets with a recorded label are drawn on; the others stay blank.
void _WriteSheet(PDEV* pPDev, const SPECIALPAGE* pRec)
{
    SetupSpecialPage(pPDev, pRec);
    if (pRec->nSegmentKey != 0) {
        DrawSpecialPageItem(pPDev, pRec->abTabValues, pRec->abItem, pRec->nSegmentKey,
                            pRec->nPaper, pRec->nOrient);
    }
    EjectPage(pPDev);
}

// The records of a page from the schedule, in a block the caller frees
// with _FreeRecords; null when there are none or no memory for them.
SPECIALPAGE* _FetchRecords(PDEV* pPDev, int nPage, int* pcRec)
{
    *pcRec = 0;
    int cRec = GetSpecialPagesForPage(pPDev, nPage, nullptr);
    if (cRec <= 0) {
        return nullptr;
    }
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(SPECIALPAGE) * (SIZE_T)cRec);
    SPECIALPAGE* aRec = h != nullptr ? static_cast<SPECIALPAGE*>(GlobalLock(h)) : nullptr;
    if (aRec == nullptr) {
        if (h != nullptr) {
            GlobalFree(h);
        }
        return nullptr;
    }
    int cGot = GetSpecialPagesForPage(pPDev, nPage, aRec);
    *pcRec = cGot < cRec ? cGot : cRec;
    return aRec;
}

void _FreeRecords(SPECIALPAGE* aRec)
{
    HGLOBAL h = aRec != nullptr ? GlobalHandle(aRec) : nullptr;
    if (h != nullptr) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

// A captured document page that stayed blank is dropped before the sheets
// after it are written, so that they are not dropped with it.
BOOL _DropBlankCapturedPage(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->bBlankSkip == 0 || pWork->bPageBuffered == 0 || pWork->bPageBlank == 0) {
        return FALSE;
    }
    ClosePageBuffer(pPDev, TRUE);
    pWork->psCurrent = pWork->psBuffered;
    pWork->nPageSide = pWork->nBufferedSide;
    pWork->bFirstPageDone = 0;
    return TRUE;
}

}  // namespace

void WritePagesBeforeFirstPage(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    // Once per job: at the first page's first start (a sheet of several
    // pages starts more than once).
    if (!bInsertSheetsEnabled(pPDev) || DmByte(pPDev, 879) == 2 || pWork->nLogicalPage != 1 ||
        pWork->bPageSetUp != 0) {
        return;
    }
    int cRec = 0;
    SPECIALPAGE* aRec = _FetchRecords(pPDev, 0, &cRec);
    WriteSheetsBeforeFirstPage(pPDev, aRec, cRec);
    _FreeRecords(aRec);
}

void WriteSheetsBeforeFirstPage(PDEV* pPDev, const SPECIALPAGE* aRec, int cRec)
{
    for (int i = 0; aRec != nullptr && i < cRec; ++i) {
        _WriteSheet(pPDev, &aRec[i]);
    }
}

void WritePagesAfterPage(PDEV* pPDev)
{
    int cRec = 0;
    SPECIALPAGE* aRec = _FetchRecords(pPDev, PdlWork(pPDev)->nLogicalPage, &cRec);
    WriteSheetsAfterPage(pPDev, aRec, cRec);
    _FreeRecords(aRec);
}

void WriteSheetsAfterPage(PDEV* pPDev, const SPECIALPAGE* aRec, int cRec)
{
    if (aRec == nullptr || cRec <= 0) {
        EndPageNormally(pPDev);
        return;
    }
    if (aRec[0].nSegmentKey != 0) {
        DrawSpecialPageItem(pPDev, aRec[0].abTabValues, aRec[0].abItem, aRec[0].nSegmentKey,
                            aRec[0].nPaper, aRec[0].nOrient);
    }
    if (cRec > 1 && _DropBlankCapturedPage(pPDev)) {
        // The sheets after it are printed in any case.
        PdlWork(pPDev)->bPageBlank = 0;
    } else {
        EndPageNormally(pPDev);
    }
    for (int i = 1; i < cRec; ++i) {
        _WriteSheet(pPDev, &aRec[i]);
    }
}

void SetupSpecialPage(PDEV* pPDev, const SPECIALPAGE* pRec)
{
    int nMode = _PdlMode(pPDev);
    PAGESETUPREC rec = {};
    rec.dwMask = PSI_ALL & ~PSI_ORIGIN;
    rec.nPaper = static_cast<SHORT>(_PaperCode(nMode, pRec->nPaper));
    rec.nOrient = static_cast<SHORT>(_OrientCode(nMode, pRec->nOrient));
    rec.nTray = static_cast<SHORT>(_TrayCode(nMode, pRec->nTray));
    rec.nSides = static_cast<SHORT>(_SidesCode(nMode, pRec->bSides, pRec->bBinding, pRec->nOrient));
    rec.nCopies = DmShort(pPDev, 306);
    if (bIsCustomPaperKey(pRec->nPaper)) {
        RECTL rcLimit = {};
        GetTrayLimitRect(&rcLimit, 7, 0);
        LONG cxCustom = 10 * DmShort(pPDev, 1547);
        LONG cyCustom = 10 * DmShort(pPDev, 1549);
        rec.cxPaper = cxCustom + rcLimit.left + rcLimit.right - DmLong(pPDev, 2407) -
                      (cxCustom - DmLong(pPDev, 2415));
        rec.cyPaper = cyCustom + rcLimit.top + rcLimit.bottom - DmLong(pPDev, 2411) -
                      (cyCustom - DmLong(pPDev, 2419));
        rec.aMargin[0] = rcLimit.left;
        rec.aMargin[1] = rcLimit.top;
        rec.aMargin[2] = rcLimit.right;
        rec.aMargin[3] = rcLimit.bottom;
    }
    ApplyPageSetup(pPDev, &rec);
}

void GetTabStripRect(int nPaperKey, int nOrient, LONG d, RECTL* prcl)
{
    BOOL bA4 = nPaperKey == PDL_TAB_A4_KEY;
    LONG P = bA4 ? 2100 : 2159;
    LONG T = bA4 ? 2220 : 2286;
    LONG L = bA4 ? 2970 : 2794;
    LONG p = d * P / 254;
    LONG t = (d * T + 253) / 254;
    LONG l = d * L / 254;
    if (nOrient == DMORIENT_PORTRAIT) {
        *prcl = {p, 0, t, l};
    } else {
        *prcl = {0, p, l, t};
    }
}

void GetTabLabelPosition(PDEV* pPDev, const SPECIALPAGE* pRec, LONG lKey, LONG* px, LONG* py)
{
    const BYTE* pb = _Rec(pRec);
    int k = pRec->nPaper;
    int o = pRec->nOrient;
    LONG n = pb[SP_TAB_COUNT];
    LONG e = pb[SP_TAB_TOP];
    LONG v = pb[SP_TAB_BOTTOM];
    LONG f = pb[SP_TAB_GAP];
    LONG w = _Short(pb + SP_TAB_INSET);
    LONG nIndex = _Short(pb + SP_TAB_INDEX);
    LONG h = _Short(pb + SP_TAB_DIRECTION);
    LONG nAlign = _Short(pb + SP_TAB_ALIGN);
    LONG s = _Short(pb + SP_TAB_POINTS);
    BOOL bA4 = k == PDL_TAB_A4_KEY;
    LONG L = bA4 ? 2970 : 2794;
    *px = 0;
    *py = 0;
    if (n <= 0) {
        return;
    }
    // Position 0 means "the next tab in turn": the sheets with labels
    // before this one have used up the tabs above it.
    LONG i = nIndex - 1;
    if (nIndex <= 0) {
        i = pPDev != nullptr ? CountInsertSheetsBefore(pPDev, static_cast<SHORT>(lKey)) % n : 0;
    }
    LONG step = (L + n / 2 - 10 * e - 10 * v - (n - 1) * 10 * f) / n;
    LONG m = 10 * e + i * (10 * f + step);
    if (nAlign == 2) {
        m += step / 2;
    } else if (nAlign == 3) {
        m += step;
    }
    LONG q = 10 * w + (bA4 ? 60 : 63);
    LONG c = (bA4 ? 2100 : 2159) + (h == 1 ? q - 254 * s / 144 : q + 254 * s / 144);
    if (o == DMORIENT_PORTRAIT) {
        *px = c;
        *py = m;
    } else {
        *px = L - m;
        *py = c;
    }
}

void DrawSpecialPageItem(PDEV* pPDev, const BYTE* pbTabValues, const BYTE* pbItem, LONG lKey,
                         int nPaperKey, int nOrient)
{
    if (!_bValidatePDEV(pPDev) || !bHasSegment(pPDev, lKey) || pbTabValues == nullptr ||
        pbItem == nullptr) {
        return;
    }
    PdlResetState(pPDev);
    LONG x = 0;
    LONG y = 0;
    _OriginForMode(pPDev, &x, &y);
    WriteOrigin(pPDev, x, y);

    LONG d = DmShort(pPDev, 316);
    RECTL rcStrip = {};
    GetTabStripRect(nPaperKey, nOrient, d, &rcStrip);
    static const BYTE s_abWhite[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    RECTL rcClip = {0, 0, rcStrip.right, rcStrip.bottom};
    WriteFillRect(pPDev, &rcStrip, 0x000D000D, s_abWhite, &rcClip);

    SPECIALPAGE rec = {};
    rec.nPaper = static_cast<SHORT>(nPaperKey);
    rec.nOrient = static_cast<SHORT>(nOrient);
    memcpy(rec.abTabValues, pbTabValues, sizeof(rec.abTabValues));
    memcpy(rec.abItem, pbItem, sizeof(rec.abItem));
    GetTabLabelPosition(pPDev, &rec, lKey, &x, &y);
    x *= 10;
    y *= 10;
    if (d > 0) {
        x -= 2540000 / d;
        y -= 2540000 / d;
    }
    _OriginForMode(pPDev, &x, &y);
    WriteOrigin(pPDev, x, y);
    ReplaySegment(pPDev, nOrient, lKey);
    WriteColorRegisters(pPDev);
}

void WritePageEndPattern(PDEV* pPDev)
{
    if (DmByte(pPDev, 2155) != 1) {
        return;
    }
    PDLWORK* pWork = PdlWork(pPDev);
    static const BYTE s_abPattern[8] = {0xAA, 0xAA, 0x55, 0x55, 0xAA, 0xAA, 0x55, 0x55};
    RECTL rc = {0, 0, pWork->cxPrintable, pWork->cyPrintable};
    WriteFillRect(pPDev, &rc, 0x0F0F, s_abPattern, &rc);
}
