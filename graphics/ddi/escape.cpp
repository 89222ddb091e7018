// escape.cpp: the private escape protocol and the generic layer's escapes.
//
// Entry points: PrivateEscapeChain (CustEscape's chain), the six private
// handlers bPrivateEscapeJob, bPrivateEscapeState, bPrivateEscapePages with
// bPrivateEscapeSegment and bPrivateEscapeSpecialPage, bPrivateEscapeOwner,
// bPrivateEscapeCapture; GenEscape, GenDrawEscape, bGenEscapeSupported,
// FreeFontSubstCopy, and the owner check (CompareJobOwner,
// SetSecurePrintFlags) that escape 0x6FFFFC00 runs. The records and codes are in escape.h.
//
// Each family is a static table of {code, input size, output size, whether
// the PDEV is checked, body}; a handler matches a row by code and shape and
// runs its body. The bodies only move bytes between the caller's buffers and
// the PDEV, its job DEVMODE and PDLWORK, or call the page generator.
//
// Where the sender's data could run past a field (counts, indexes, texts
// without terminator, short inputs, a DEVMODE of another kind), the body
// bounds it: the user-interface library never sends such data, but any
// application can reach DrvEscape with ExtEscape.
#include "graphics/ddi/escape.h"

#include "graphics/ddi/chain.h"
#include "graphics/ddi/gendi.h"
#include "graphics/ddi/nup.h"
#include "graphics/ddi/pdlcalls.h"
#include "pdl/xgcmn/ordexnt/xrtext.h"
#include "pdl/xgcmn/xgcmn.h"
#include "ui/settings/dmvalidate.h"

#include <algorithm>
#include <cstring>

namespace {

// ---- the call and the tables ------------------------------------------------------

#define ESC_ANY 0xFFFFFFFFu  // any non-zero size, with its pointer given

struct ESCARGS {
    ULONG iEsc;         // escape code
    ULONG cjIn;         // input size
    const BYTE* pbIn;   // input, or null
    ULONG cjOut;        // output size
    BYTE* pbOut;        // output, or null
};

typedef ULONG (*PFN_ESCBODY)(PDEV* pPDev, const ESCARGS* pArgs);

struct ESCROW {
    ULONG iEsc;         // code
    ULONG cjIn;         // input size, 0 (no input) or ESC_ANY
    ULONG cjOut;        // output size, 0 (no output) or ESC_ANY
    BOOL bCheckPDev;    // validate the PDEV before the body
    PFN_ESCBODY pfn;    // body
};

// The size and the pointer agree with the row: size 0 means no pointer.
BOOL _bSideMatches(ULONG cjRow, ULONG cj, const void* pv)
{
    if (cjRow == ESC_ANY)
        return cj != 0 && pv != nullptr;
    if (cjRow == 0)
        return cj == 0 && pv == nullptr;
    return cj == cjRow && pv != nullptr;
}

// A private check: the escape answers 0 without an error code.
BOOL _bValidPDev(const PDEV* pPDev)
{
    return pPDev && pPDev->dwSignature == PDEV_SIGNATURE &&
           pPDev->dwSignatureEnd == PDEV_SIGNATURE;
}

// Runs the row of the table that matches the call; ESC_NOT_MINE when none.
ULONG _RunTable(const ESCROW* pRows, size_t cRows, PDEV* pPDev, const ESCARGS* pArgs)
{
    for (size_t i = 0; i < cRows; ++i) {
        const ESCROW& row = pRows[i];
        if (row.iEsc != pArgs->iEsc)
            continue;
        if (!_bSideMatches(row.cjIn, pArgs->cjIn, pArgs->pbIn) ||
            !_bSideMatches(row.cjOut, pArgs->cjOut, pArgs->pbOut))
            return ESC_NOT_MINE;
        if (row.bCheckPDev && !_bValidPDev(pPDev))
            return ESC_FAILED;
        return row.pfn(pPDev, pArgs);
    }
    return ESC_NOT_MINE;
}

ESCARGS _Args(ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    return {iEsc, cjIn, static_cast<const BYTE*>(pvIn), cjOut, static_cast<BYTE*>(pvOut)};
}

// ---- byte places -------------------------------------------------------------------
// PDLWORK sits at an odd offset of the PDEV, so its texts and words are moved
// with memcpy rather than through typed pointers.

BYTE* _Work(PDEV* pPDev)
{
    return reinterpret_cast<BYTE*>(pPDev) + PDEV_PDLWORK_OFFSET;
}

PDLWORK* _WorkRec(PDEV* pPDev)
{
    return reinterpret_cast<PDLWORK*>(_Work(pPDev));
}

SEGMENTSTATE _GetSegments(PDEV* pPDev)
{
    SEGMENTSTATE s;
    memcpy(&s, _Work(pPDev) + offsetof(PDLWORK, aReplay), sizeof(s));
    return s;
}

void _PutSegments(PDEV* pPDev, const SEGMENTSTATE& s)
{
    memcpy(_Work(pPDev) + offsetof(PDLWORK, aReplay), &s, sizeof(s));
}

LONG _ReadLong(const BYTE* pb)
{
    LONG l;
    memcpy(&l, pb, sizeof(l));
    return l;
}

void _WriteLong(BYTE* pb, LONG l)
{
    memcpy(pb, &l, sizeof(l));
}

// Copies UTF-16 units up to and including the first terminator, at most
// cchDst units and never more than cbSrc bytes of the source; the last unit
// of the target is always a terminator. Returns the units before it.
DWORD _CopyWideText(BYTE* pbDst, DWORD cchDst, const BYTE* pbSrc, DWORD cbSrc)
{
    DWORD cchSrc = cbSrc / 2;
    DWORD i = 0;
    for (; i < cchDst && i < cchSrc; ++i) {
        WCHAR wc;
        memcpy(&wc, pbSrc + 2 * i, 2);
        memcpy(pbDst + 2 * i, &wc, 2);
        if (wc == 0)
            return i;
    }
    DWORD iEnd = i < cchDst ? i : cchDst - 1;
    memset(pbDst + 2 * iEnd, 0, 2);
    return iEnd;
}

// A whole field copied as it comes, then its last unit made a terminator, so
// that a path read from it never runs on.
void _CopyTerminated(BYTE* pbDst, const BYTE* pbSrc, DWORD cb)
{
    memcpy(pbDst, pbSrc, cb);
    memset(pbDst + cb - 2, 0, 2);
}

// ---- job family ----------------------------------------------------------------------

ULONG _JobGetJobBlock(PDEV* pPDev, const ESCARGS* a)
{
    memcpy(a->pbOut, pPDev, PDEV_JOBBLOCK_SIZE);
    return ESC_DONE;
}

ULONG _JobGetPdlWork(PDEV* pPDev, const ESCARGS* a)
{
    memcpy(a->pbOut, _Work(pPDev), PDLWORK_SIZE);
    return ESC_DONE;
}

ULONG _JobUserName(PDEV* pPDev, const ESCARGS* a)
{
    BYTE* pbName = _Work(pPDev) + offsetof(PDLWORK, szUserName);
    PDLWORK* pWork = _WorkRec(pPDev);
    memset(pbName, 0, sizeof(pWork->szUserName));
    DWORD cch = _CopyWideText(pbName, ESC_USERNAME_CHARS + 1, a->pbIn, a->cjIn);
    LONG lSum = 0;
    for (DWORD i = 0; i < cch; ++i) {
        WCHAR wc;
        memcpy(&wc, pbName + 2 * i, 2);
        lSum += wc;
    }
    pWork->cchUserName = static_cast<BYTE>(cch);
    pWork->lUserNameSum = lSum;
    return ESC_DONE;
}

ULONG _JobDropOutput(PDEV* pPDev, const ESCARGS* a)
{
    _WorkRec(pPDev)->bDropOutput = a->pbIn[0];
    return ESC_DONE;
}

ULONG _JobNoOverlay(PDEV* pPDev, const ESCARGS*)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    pdm->ui.lpOverlay = 1;
    pdm->ui.OverlayPrompt = 0;
    return ESC_DONE;
}

ULONG _JobUserPapers(PDEV* pPDev, const ESCARGS* a)
{
    // Any size is taken for this code, but only a whole table is read.
    if (a->cjIn < sizeof(_WorkRec(pPDev)->aUserPaper))
        return ESC_FAILED;
    memcpy(_Work(pPDev) + offsetof(PDLWORK, aUserPaper), a->pbIn,
           sizeof(_WorkRec(pPDev)->aUserPaper));
    return ESC_DONE;
}

ULONG _JobFirstPageDone(PDEV* pPDev, const ESCARGS* a)
{
    _WorkRec(pPDev)->bFirstPageDone = a->pbIn[0];
    return ESC_DONE;
}

ULONG _JobAppName(PDEV* pPDev, const ESCARGS* a)
{
    _CopyWideText(_Work(pPDev) + offsetof(PDLWORK, szAppName), ESC_APPNAME_CHARS, a->pbIn,
                  a->cjIn);
    return ESC_DONE;
}

const ESCROW s_aJobRows[] = {
    // the job block: the UI's view of the PDEV and the job DEVMODE
    {ESCAPE_JOB_GETJOBBLOCK, 0, PDEV_JOBBLOCK_SIZE, TRUE, _JobGetJobBlock},
    // the whole work area, read around the UI's fax and confirmation steps
    {ESCAPE_JOB_GETPDLWORK, 0, PDLWORK_SIZE, TRUE, _JobGetPdlWork},
    // StartDoc: the printing user's name for the owner check
    {ESCAPE_JOB_USERNAME, 510, 0, TRUE, _JobUserName},
    // StartDoc (0) and a declined confirmation (1)
    {ESCAPE_JOB_DROPOUTPUT, 1, 0, TRUE, _JobDropOutput},
    // a declined confirmation or a form that does not fit
    {ESCAPE_JOB_NOOVERLAY, 0, 0, TRUE, _JobNoOverlay},
    // every StartPage: the ten user paper sizes
    {ESCAPE_JOB_USERPAPERS, ESC_ANY, 0, TRUE, _JobUserPapers},
    // after the fax cover pages
    {ESCAPE_JOB_FIRSTPAGEDONE, 1, 0, TRUE, _JobFirstPageDone},
    // StartDoc: the host application's file name
    {ESCAPE_JOB_APPNAME, 64, 0, TRUE, _JobAppName},
};

// ---- state family ------------------------------------------------------------------

// Limits of what a saved page state may hold. Any application can send
// the record, so a value no job of this printer makes is refused before the
// page geometry computes sizes from it: scales up to the largest zoom
// (400 %, in 1/100 percent), places and sizes within a 2^17-dot sheet
// (A3 at 1200 dpi is under 20,000), copies within the copy limit.
const LONG kStateMaxScale = 40000;
const LONG kStateMaxDots = 1 << 17;

bool _bInDots(LONG v)
{
    return v >= -kStateMaxDots && v <= kStateMaxDots;
}

bool _bRectInDots(const RECTL& r)
{
    return _bInDots(r.left) && _bInDots(r.top) && _bInDots(r.right) && _bInDots(r.bottom);
}

bool _bSizeInDots(const SIZEL& z)
{
    return z.cx >= 0 && z.cy >= 0 && z.cx <= kStateMaxDots && z.cy <= kStateMaxDots;
}

bool _bPdevStateSane(const PDEVSTATE& s)
{
    if (s.lNupScale < 0 || s.lNupScale > kStateMaxScale || !_bInDots(s.xNupCell) ||
        !_bInDots(s.yNupCell))
        return false;
    for (const RECTL* r : {&s.rcOutPrintDots, &s.rcOutPrintMm, &s.rcPrintDots, &s.rcPrintMm,
                           &s.rcCustomPrintDots})
        if (!_bRectInDots(*r))
            return false;
    if (!_bSizeInDots(s.sizePaperDots) || !_bSizeInDots(s.sizeOutPaperDots))
        return false;
    if (s.Zoom < 0 || s.Zoom > kStateMaxScale / 100)
        return false;
    for (const PDEVSTATEWORD* w : {s.aPublic, s.aMirror})
        if (w[5].sValue < 0 || w[5].sValue > ESC_COPIES_MAX || w[4].sValue < 0)
            return false;
    if (s.ReplayCopies.sValue < 0 || s.ReplayCopies.sValue > ESC_COPIES_MAX)
        return false;
    // The N-up state: a fixed geometry is used as it stands.
    NUPSTATE nup;
    static_assert(sizeof(nup) == sizeof(s.abNupState));
    memcpy(&nup, s.abNupState, sizeof(nup));
    if (nup.lScale < 0 || nup.lScale > kStateMaxScale)
        return false;
    for (int i = 0; i < NUP_MAX_CELLS; ++i)
        if (!_bRectInDots(nup.arcFrame[i]) || !_bRectInDots(nup.arcPage[i]))
            return false;
    return true;
}

ULONG _StateSetPdevState(PDEV* pPDev, const ESCARGS* a)
{
    PDEVSTATE s;
    memcpy(&s, a->pbIn, sizeof(s));
    if (!_bPdevStateSane(s))
        return ESC_FAILED;
    // The flags that say what the PDEV holds (a document, an open stream, a
    // handed-over job, an open page) describe this PDEV's own resources and
    // cannot come from a saved copy.
    const DWORD fOwn = PDEVF_DOCSTARTED | PDEVF_HANDEDOVER | PDEVF_STREAMOPEN | PDEVF_PAGEOPEN;
    pPDev->fJob = (s.fJob & ~fOwn) | (pPDev->fJob & fOwn);
    pPDev->cPages = s.cPages;
    pPDev->wReplayCopies = static_cast<WORD>(s.ReplayCopies.sValue);
    pPDev->xNupCell = s.xNupCell;
    pPDev->yNupCell = s.yNupCell;
    pPDev->bOverlayMode = s.bOverlayMode;
    pPDev->bRecState = s.bRecState;
    pPDev->wReplayMode = s.wReplayMode;
    pPDev->wSectionKind = static_cast<WORD>(s.SectionKind.sValue);
    pPDev->lNupScale = s.lNupScale;
    pPDev->bGrayConv = s.bGrayConv;
    pPDev->bPageFlag = s.bPageFlag;
    pPDev->wOrientation = s.wOrientation;
    memcpy(pPDev->abNupState, s.abNupState, sizeof(pPDev->abNupState));

    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    DEVMODEW* aHeader[2] = {&pdm->dm, &pdm->ui.dmMirror};
    const PDEVSTATEWORD* aSeven[2] = {s.aPublic, s.aMirror};
    for (int k = 0; k < 2; ++k) {
        DEVMODEW* p = aHeader[k];
        const PDEVSTATEWORD* w = aSeven[k];
        p->dmOrientation = w[0].sValue;
        p->dmPaperSize = w[1].sValue;
        p->dmPaperLength = w[2].sValue;
        p->dmPaperWidth = w[3].sValue;
        p->dmScale = w[4].sValue;
        p->dmCopies = w[5].sValue;
        p->dmDefaultSource = w[6].sValue;
    }
    pdm->dm.dmDuplex = s.Duplex.sValue;
    pdm->dm.dmCollate = s.Collate.sValue;
    pdm->dm.dmYResolution = s.YResolution.sValue;
    pdm->ui.dmMirror.dmDuplex = s.MirrorDuplex.sValue;
    pdm->ui.dmMirror.dmCollate = s.MirrorCollate.sValue;

    pdm->ui.rcOutPrintDots = s.rcOutPrintDots;
    pdm->env.rcOutPrintMm = s.rcOutPrintMm;
    pdm->ui.rcPrintDots = s.rcPrintDots;
    pdm->ui.rcPrintMm = s.rcPrintMm;
    pdm->env.rcCustomPrintDots = s.rcCustomPrintDots;
    pdm->ui.lpOutputPaper = s.lpOutputPaper;
    pdm->env.lpMediaSource = s.lpMediaSource;
    pdm->ui.sizePaperDots = s.sizePaperDots;
    pdm->ui.sizeOutPaperDots = s.sizeOutPaperDots;
    pdm->env.lpOutputTray = s.lpOutputTray;
    pdm->env.sizeOutPaper[0] = s.sizeOutPaper[0];
    pdm->env.sizeOutPaper[1] = s.sizeOutPaper[1];
    pdm->ui.Layout_Check = s.Layout_Check;
    pdm->ui.lpLayout = s.lpLayout;
    pdm->ui.lpOrder = s.lpOrder;
    pdm->ui.bLayoutKind = s.bLayoutKind;
    pdm->env.Booklet_Check = s.Booklet_Check;
    pdm->ui.ZoomCheck = s.ZoomCheck;
    pdm->ui.Zoom = s.Zoom;
    pdm->env.lpLayout_Select = s.lpLayout_Select;
    pdm->ui.lpOverlay = s.lpOverlay;
    pdm->ui.bOverlayIndex = s.bOverlayIndex;
    pdm->ui.OverlayPrompt = s.OverlayPrompt;
    pdm->ui.lpWatermarkOrder = s.abWatermark[0];
    pdm->ui.Watermark_Use = s.abWatermark[1];
    pdm->ui.bWatermarkCurrent = s.abWatermark[2];
    pdm->ui.FirstPageOnly = s.abWatermark[3];
    pdm->ui.lpPDLType = s.abWatermark[4];
    return ESC_DONE;
}

ULONG _StateGetFaxListId(PDEV* pPDev, const ESCARGS* a)
{
    DWORD dw = pGetJobDevmode(pPDev)->env.dwFaxListId;
    memcpy(a->pbOut, &dw, sizeof(dw));
    return ESC_DONE;
}

ULONG _StateClearFaxListId(PDEV* pPDev, const ESCARGS*)
{
    pGetJobDevmode(pPDev)->env.dwFaxListId = 0;
    return ESC_DONE;
}

ULONG _StateFaxDests(PDEV* pPDev, const ESCARGS* a)
{
    FAXDESTFILE* pList = &_WorkRec(pPDev)->FaxDest;
    memcpy(_Work(pPDev) + offsetof(PDLWORK, FaxDest), a->pbIn, sizeof(FAXDESTFILE));
    // Every reader walks the records up to the count; it can never name more
    // records than the list holds.
    LONG cDest = pList->cDest;
    pList->cDest = std::clamp<LONG>(cDest, 0, PDL_MAX_FAXDEST);
    return ESC_DONE;
}

// The five 32-bit capture settings, each into its own word of the work area.
ULONG _StateSetCaptureWord(PDEV* pPDev, const ESCARGS* a)
{
    PDLWORK* pWork = _WorkRec(pPDev);
    LONG l = _ReadLong(a->pbIn);
    switch (a->iEsc) {
    case ESCAPE_STATE_FIRSTDEST: pWork->aCaptureValues[0] = l; break;
    case ESCAPE_STATE_LASTDEST: pWork->aCaptureValues[1] = l; break;
    case ESCAPE_STATE_CAPTUREON: pWork->bCaptureOn = l; break;
    // The number of batch files and the current one index the 100 names at
    // W 21160, in this library and in the UI's copy of the work area.
    case ESCAPE_STATE_DESTFILES:
        pWork->cDestFiles = std::clamp<LONG>(l, 0, ESC_FAXBATCH_MAX);
        break;
    case ESCAPE_STATE_DESTFILE:
        pWork->iDestFile = std::clamp<LONG>(l, 0, ESC_FAXBATCH_MAX - 1);
        break;
    }
    return ESC_DONE;
}

ULONG _StateJobHeader(PDEV* pPDev, const ESCARGS* a)
{
    WCHAR szName[ESC_TEXT_CHARS];
    _CopyWideText(reinterpret_cast<BYTE*>(szName), ESC_TEXT_CHARS, a->pbIn, a->cjIn);
    // The header either is written now or already was; the sender goes on
    // with the cover page in both cases, so the answer does not tell them apart.
    WriteJobHeader(pPDev, szName);
    return ESC_DONE;
}

ULONG _StateCaptureKind(PDEV* pPDev, const ESCARGS* a)
{
    FlushCaptureToFile(pPDev);
    PDLWORK* pWork = _WorkRec(pPDev);
    pWork->cbCaptureFile = 0;
    BYTE b = a->pbIn[0];
    pWork->bCaptureKind = (b == 1 || b == 2) ? b : 0;
    return ESC_DONE;
}

ULONG _StateResetPage(PDEV* pPDev, const ESCARGS*)
{
    PDLWORK* pWork = _WorkRec(pPDev);
    pWork->lWorkOffset = PDEV_PDLWORK_OFFSET;
    pWork->bHeaderWritten = 0;
    pWork->bPageSetUp = 0;
    pWork->bFirstPageDone = 0;
    pWork->bFormFileMode = 0;
    pPDev->bPageFlag = 0;
    pWork->bForceRop = 0;
    pWork->lForceRop = 1;
    LoadToneCurve(pPDev);
    pWork->bFontSubstDone = 0;
    PdlResetState(pPDev);
    memset(_Work(pPDev) + ESC_ATTRBLOCKS_OFFSET, 0, ESC_ATTRBLOCKS_SIZE);
    return ESC_DONE;
}

ULONG _StateGetFaxDocName(PDEV* pPDev, const ESCARGS* a)
{
    _CopyWideText(a->pbOut, ESC_TEXT_CHARS, _Work(pPDev) + offsetof(PDLWORK, szFaxDocName),
                  ESC_TEXT_CHARS * 2);
    return ESC_DONE;
}

ULONG _StateSetFaxDocName(PDEV* pPDev, const ESCARGS* a)
{
    _CopyWideText(_Work(pPDev) + offsetof(PDLWORK, szFaxDocName), ESC_TEXT_CHARS, a->pbIn,
                  a->cjIn);
    return ESC_DONE;
}

ULONG _StateGetFaxState(PDEV* pPDev, const ESCARGS* a)
{
    const DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    PDLWORK* pWork = _WorkRec(pPDev);
    BYTE* pb = a->pbOut;
    // Bytes 2, 3 and 11 are the sender's.
    pb[0] = pdm->env.lpOutput;
    pb[1] = pdm->env.CoverSheet;
    _WriteLong(pb + 4, pWork->FaxDest.cDest);
    pb[8] = pdm->env.bTimeH;
    pb[9] = pdm->env.bTimeM;
    pb[10] = pdm->env.nParam53;
    _WriteLong(pb + 12, pWork->bHeaderWritten);
    return ESC_DONE;
}

ULONG _StateSetFaxDate(PDEV* pPDev, const ESCARGS* a)
{
    memcpy(_Work(pPDev) + offsetof(PDLWORK, aFaxDate), a->pbIn, 10);
    return ESC_DONE;
}

ULONG _StateClearDests(PDEV* pPDev, const ESCARGS*)
{
    _WorkRec(pPDev)->FaxDest.cDest = 0;
    return ESC_DONE;
}

ULONG _StateGetFaxNumber(PDEV* pPDev, const ESCARGS* a)
{
    // The number is NUL-padded to its 44 bytes, so it may fill them all.
    char szNumber[FAXDEST_TEXT_BYTES + 1];
    memcpy(szNumber,
           _Work(pPDev) + offsetof(PDLWORK, FaxDest) + offsetof(FAXDESTFILE, aDest) +
               offsetof(FAXDEST, aszText[1]),
           FAXDEST_TEXT_BYTES);
    szNumber[FAXDEST_TEXT_BYTES] = 0;
    WCHAR szWide[FAXDEST_TEXT_BYTES];
    AnsiToUnicode(szWide, szNumber, FAXDEST_TEXT_BYTES);
    memset(a->pbOut, 0, 88);
    _CopyWideText(a->pbOut, FAXDEST_TEXT_BYTES, reinterpret_cast<const BYTE*>(szWide),
                  sizeof(szWide));
    return ESC_DONE;
}

ULONG _StateGetFaxDate(PDEV* pPDev, const ESCARGS* a)
{
    memcpy(a->pbOut, _Work(pPDev) + offsetof(PDLWORK, aFaxDate), 10);
    return ESC_DONE;
}

ULONG _StateJobEnd(PDEV* pPDev, const ESCARGS*)
{
    _WorkRec(pPDev)->bJobEndPending = 1;
    return ESC_DONE;
}

BYTE* _BatchName(PDEV* pPDev, DWORD i)
{
    return _Work(pPDev) + offsetof(PDLWORK, aszDestName) + 2 * ESC_FAXNAME_CHARS * i;
}

ULONG _StateClearBatchName(PDEV* pPDev, const ESCARGS* a)
{
    WORD i;
    memcpy(&i, a->pbIn, sizeof(i));
    // Only the 100 names exist; another index names nothing.
    if (i < ESC_FAXBATCH_MAX)
        memset(_BatchName(pPDev, i), 0, 2);
    return ESC_DONE;
}

ULONG _StateClearCoverName(PDEV* pPDev, const ESCARGS*)
{
    memset(_Work(pPDev) + offsetof(PDLWORK, szCommonName), 0, 2);
    return ESC_DONE;
}

ULONG _StateCaptureDir(PDEV* pPDev, const ESCARGS* a)
{
    _CopyTerminated(_Work(pPDev) + offsetof(PDLWORK, szCaptureDir), a->pbIn, ESC_TEXT_CHARS * 2);
    return ESC_DONE;
}

ULONG _StateBatchName(PDEV* pPDev, const ESCARGS* a)
{
    DWORD i = static_cast<DWORD>(_ReadLong(a->pbIn));
    if (i < ESC_FAXBATCH_MAX)
        _CopyTerminated(_BatchName(pPDev, i), a->pbIn + 4, ESC_FAXNAME_CHARS * 2);
    return ESC_DONE;
}

ULONG _StateCoverName(PDEV* pPDev, const ESCARGS* a)
{
    _CopyTerminated(_Work(pPDev) + offsetof(PDLWORK, szCommonName), a->pbIn,
                    ESC_FAXNAME_CHARS * 2);
    return ESC_DONE;
}

ULONG _StateGetPageSetup(PDEV* pPDev, const ESCARGS* a)
{
    memcpy(a->pbOut, _Work(pPDev) + offsetof(PDLWORK, psCurrent), sizeof(PAGESETUPREC));
    return ESC_DONE;
}

ULONG _StateSetPageSetup(PDEV* pPDev, const ESCARGS* a)
{
    memcpy(_Work(pPDev) + offsetof(PDLWORK, psCurrent), a->pbIn, sizeof(PAGESETUPREC));
    return ESC_DONE;
}

const ESCROW s_aStateRows[] = {
    // around each fax cover page: the saved page set-up goes back
    {ESCAPE_STATE_SETPDEVSTATE, sizeof(PDEVSTATE), 0, TRUE, _StateSetPdevState},
    // first StartPage of a fax job: the destination file number, then clear it
    {ESCAPE_STATE_GETFAXLISTID, 0, 4, TRUE, _StateGetFaxListId},
    {ESCAPE_STATE_CLEARFAXLISTID, 0, 0, TRUE, _StateClearFaxListId},
    {ESCAPE_STATE_FAXDESTS, sizeof(FAXDESTFILE), 0, TRUE, _StateFaxDests},
    // fax job: destination range, capture on, batch count and current batch
    {ESCAPE_STATE_FIRSTDEST, 4, 0, TRUE, _StateSetCaptureWord},
    {ESCAPE_STATE_LASTDEST, 4, 0, TRUE, _StateSetCaptureWord},
    {ESCAPE_STATE_CAPTUREON, 4, 0, TRUE, _StateSetCaptureWord},
    {ESCAPE_STATE_DESTFILES, 4, 0, TRUE, _StateSetCaptureWord},
    {ESCAPE_STATE_DESTFILE, 4, 0, TRUE, _StateSetCaptureWord},
    // each fax batch: the job header with the fax document name
    {ESCAPE_STATE_JOBHEADER, ESC_TEXT_CHARS * 2, 0, TRUE, _StateJobHeader},
    // each fax batch: flush, then capture into its part or the common part
    {ESCAPE_STATE_CAPTUREKIND, 1, 0, TRUE, _StateCaptureKind},
    {ESCAPE_STATE_RESETPAGE, 0, 0, TRUE, _StateResetPage},
    {ESCAPE_STATE_GETFAXDOCNAME, 0, ESC_TEXT_CHARS * 2, TRUE, _StateGetFaxDocName},
    {ESCAPE_STATE_SETFAXDOCNAME, ESC_TEXT_CHARS * 2, 0, TRUE, _StateSetFaxDocName},
    {ESCAPE_STATE_GETFAXSTATE, 0, 16, TRUE, _StateGetFaxState},
    {ESCAPE_STATE_SETFAXDATE, 10, 0, TRUE, _StateSetFaxDate},
    // a declined fax confirmation forgets the destinations
    {ESCAPE_STATE_CLEARDESTS, 0, 0, TRUE, _StateClearDests},
    {ESCAPE_STATE_GETFAXNUMBER, 0, 2 * FAXDEST_TEXT_BYTES, TRUE, _StateGetFaxNumber},
    {ESCAPE_STATE_GETFAXDATE, 0, 10, TRUE, _StateGetFaxDate},
    // EndDoc: the job may end with the universal exit sequence
    {ESCAPE_STATE_JOBEND, 0, 0, TRUE, _StateJobEnd},
    // after the job: the UI has deleted these files
    {ESCAPE_STATE_CLEARBATCHNAME, 2, 0, TRUE, _StateClearBatchName},
    {ESCAPE_STATE_CLEARCOVERNAME, 0, 0, TRUE, _StateClearCoverName},
    // fax job set-up: the directory and names of the capture files
    {ESCAPE_STATE_CAPTUREDIR, ESC_TEXT_CHARS * 2, 0, TRUE, _StateCaptureDir},
    {ESCAPE_STATE_BATCHNAME, 4 + ESC_FAXNAME_CHARS * 2, 0, TRUE, _StateBatchName},
    {ESCAPE_STATE_COVERNAME, ESC_FAXNAME_CHARS * 2, 0, TRUE, _StateCoverName},
    // around each cover page: the page set-up record saved and restored
    {ESCAPE_STATE_GETPAGESETUP, 0, sizeof(PAGESETUPREC), TRUE, _StateGetPageSetup},
    {ESCAPE_STATE_SETPAGESETUP, sizeof(PAGESETUPREC), 0, TRUE, _StateSetPageSetup},
};

// ---- pages family: insert-sheet records ------------------------------------------------

ULONG _PagesInsertSheets(PDEV* pPDev, const ESCARGS* a)
{
    PDLWORK* pWork = _WorkRec(pPDev);
    if (pWork->aInsertValues[0] == 0 || a->cjIn > PDL_INSERT_BUF_SIZE)
        return ESC_FAILED;
    BYTE* pBuf = PdlInsertSheets(pPDev);
    if (!pBuf)
        return ESC_FAILED;
    memcpy(pBuf, a->pbIn, a->cjIn);
    return ESC_DONE;
}

ULONG _PagesInsertCount(PDEV* pPDev, const ESCARGS* a)
{
    if (a->cjIn == 4)
        _WorkRec(pPDev)->aInsertValues[0] = _ReadLong(a->pbIn);
    return ESC_DONE;
}

ULONG _PagesTabPaper(PDEV* pPDev, const ESCARGS* a)
{
    if (a->cjIn > 8)
        return ESC_FAILED;
    memcpy(_Work(pPDev) + offsetof(PDLWORK, aInsertValues) + 4, a->pbIn, a->cjIn);
    return ESC_DONE;
}

ULONG _PagesInsertMode(PDEV* pPDev, const ESCARGS* a)
{
    if (a->cjIn == 4)
        _WorkRec(pPDev)->aInsertValues[3] = _ReadLong(a->pbIn);
    return ESC_DONE;
}

const ESCROW s_aPagesRows[] = {
    // first StartPage with insert sheets: records, count, tab paper, mode
    {ESCAPE_PAGES_INSERTSHEETS, ESC_ANY, 0, TRUE, _PagesInsertSheets},
    {ESCAPE_PAGES_INSERTCOUNT, ESC_ANY, 0, TRUE, _PagesInsertCount},
    {ESCAPE_PAGES_TABPAPER, ESC_ANY, 0, TRUE, _PagesTabPaper},
    {ESCAPE_PAGES_INSERTMODE, ESC_ANY, 0, TRUE, _PagesInsertMode},
};

// ---- pages family: recorded segments ------------------------------------------------

ULONG _SegBeginRecord(PDEV* pPDev, const ESCARGS*)
{
    BeginSegmentRecord(pPDev);
    return ESC_DONE;
}

ULONG _SegEndRecord(PDEV* pPDev, const ESCARGS*)
{
    EndSegmentRecord(pPDev);
    return ESC_DONE;
}

void* _AllocWorkBlock(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

void _FreeWorkBlock(void* p)
{
    HGLOBAL h = p ? GlobalHandle(p) : nullptr;
    if (h) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

ULONG _SegSegments(PDEV* pPDev, const ESCARGS* a)
{
    // Any size is taken for this code, but only a whole count is read.
    if (a->cjIn < 4)
        return ESC_FAILED;
    DWORD n = static_cast<DWORD>(_ReadLong(a->pbIn));
    if (n > ESC_SEGMENT_MAX)
        return ESC_FAILED;
    SEGMENTSTATE s = _GetSegments(pPDev);
    // The index always has room for the largest count: a later, larger count
    // then never outgrows the index made for a smaller one.
    if (!SegmentIndex(pPDev, s)) {
        // A row the slot no longer names is still the PDEV's: it goes first.
        _FreeWorkBlock(reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_SEGINDEX)));
        s.slIndex = SetPdevRef(pPDev, PREF_SEGINDEX, static_cast<SEGMENTENTRY*>(
            _AllocWorkBlock(ESC_SEGMENT_MAX * sizeof(SEGMENTENTRY))));
        if (!s.slIndex) {
            _PutSegments(pPDev, s);
            return ESC_FAILED;
        }
    }
    if (!SegmentStore(pPDev, s)) {
        _FreeWorkBlock(reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_SEGSTORE)));
        s.slStore = SetPdevRef(pPDev, PREF_SEGSTORE, static_cast<BYTE*>(_AllocWorkBlock(ESC_SEGMENT_STORE_SIZE)));
        if (!s.slStore) {
            s.cEntries = static_cast<LONG>(n);
            _PutSegments(pPDev, s);
            return ESC_FAILED;
        }
    }
    s.cEntries = static_cast<LONG>(n);
    _PutSegments(pPDev, s);
    return ESC_DONE;
}

ULONG _SegGetCount(PDEV* pPDev, const ESCARGS* a)
{
    _WriteLong(a->pbOut, _GetSegments(pPDev).cEntries);
    return ESC_DONE;
}

ULONG _SegHasIndex(PDEV* pPDev, const ESCARGS* a)
{
    _WriteLong(a->pbOut, SegmentIndex(pPDev, _GetSegments(pPDev)) ? 1 : 0);
    return ESC_DONE;
}

ULONG _SegRelease(PDEV* pPDev, const ESCARGS*)
{
    ReleaseSegments(pPDev);
    return ESC_DONE;
}

ULONG _SegStorePart(PDEV* pPDev, const ESCARGS* a)
{
    StoreRecordedSegment(pPDev, a->iEsc == ESCAPE_PAGES_STOREPART1 ? 1 : 2);
    return ESC_DONE;
}

ULONG _SegTabTextsDone(PDEV* pPDev, const ESCARGS*)
{
    _WorkRec(pPDev)->aInsertValues[4] = 1;
    return ESC_DONE;
}

ULONG _SegGetTabTexts(PDEV* pPDev, const ESCARGS* a)
{
    _WriteLong(a->pbOut, _WorkRec(pPDev)->aInsertValues[4]);
    return ESC_DONE;
}

ULONG _SegSetKey(PDEV* pPDev, const ESCARGS* a)
{
    SEGMENTSTATE s = _GetSegments(pPDev);
    // The current entry must be one of the counted entries of the index.
    SEGMENTENTRY* pIndex = SegmentIndex(pPDev, s);
    if (!pIndex || s.iCurrent < 0 || s.iCurrent >= s.cEntries || s.iCurrent >= ESC_SEGMENT_MAX)
        return ESC_FAILED;
    pIndex[s.iCurrent].lKey = _ReadLong(a->pbIn);
    return ESC_DONE;
}

ULONG _SegNext(PDEV* pPDev, const ESCARGS*)
{
    SEGMENTSTATE s = _GetSegments(pPDev);
    if (s.iCurrent + 1 >= s.cEntries)
        return ESC_FAILED;
    s.iCurrent++;
    _PutSegments(pPDev, s);
    return ESC_DONE;
}

const ESCROW s_aSegmentRows[] = {
    // tab texts: recording on and off around each drawing
    {ESCAPE_PAGES_BEGINRECORD, 0, 0, TRUE, _SegBeginRecord},
    {ESCAPE_PAGES_ENDRECORD, 0, 0, TRUE, _SegEndRecord},
    // tab texts: the number of entries, with the index and the store
    {ESCAPE_PAGES_SEGMENTS, ESC_ANY, 0, TRUE, _SegSegments},
    {ESCAPE_PAGES_GETSEGCOUNT, 0, 4, TRUE, _SegGetCount},
    {ESCAPE_PAGES_HASSEGINDEX, 0, 4, TRUE, _SegHasIndex},
    {ESCAPE_PAGES_RELEASESEGS, 0, 0, FALSE, _SegRelease},
    // tab texts: the recording becomes part 1 or 2 of the current entry
    {ESCAPE_PAGES_STOREPART1, 0, 0, TRUE, _SegStorePart},
    {ESCAPE_PAGES_STOREPART2, 0, 0, TRUE, _SegStorePart},
    {ESCAPE_PAGES_TABTEXTSDONE, 0, 0, TRUE, _SegTabTextsDone},
    {ESCAPE_PAGES_GETTABTEXTS, 0, 4, TRUE, _SegGetTabTexts},
    {ESCAPE_PAGES_SEGMENTKEY, 4, 0, TRUE, _SegSetKey},
    {ESCAPE_PAGES_NEXTSEGMENT, 0, 0, TRUE, _SegNext},
};

// ---- pages family: the special-page schedule ------------------------------------------

ULONG _SpecialCountBefore(PDEV* pPDev, const ESCARGS* a)
{
    SHORT nKey;
    memcpy(&nKey, a->pbIn, sizeof(nKey));
    SHORT nCount = CountInsertSheetsBefore(pPDev, nKey);
    memcpy(a->pbOut, &nCount, sizeof(nCount));
    return ESC_DONE;
}

ULONG _SpecialPageOrigin(PDEV* pPDev, const ESCARGS* a)
{
    LONG x = 0, y = 0;
    GetPageOrigin(pPDev, &x, &y);
    _WriteLong(a->pbOut, x);
    _WriteLong(a->pbOut + 4, y);
    return ESC_DONE;
}

ULONG _SpecialSchedule(PDEV* pPDev, const ESCARGS*)
{
    // A job whose records make no schedule prints without inserted sheets;
    // that is no failure of the page that asked.
    BuildSpecialPageSchedule(pPDev);
    return ESC_DONE;
}

const ESCROW s_aSpecialPageRows[] = {
    {ESCAPE_PAGES_COUNTBEFORE, 2, 2, FALSE, _SpecialCountBefore},
    {ESCAPE_PAGES_PAGEORIGIN, 0, 8, TRUE, _SpecialPageOrigin},
    // first StartPage: after the records and the list values
    {ESCAPE_PAGES_SCHEDULE, 0, 0, FALSE, _SpecialSchedule},
};

// ---- owner family -----------------------------------------------------------------

ULONG _OwnerCheck(PDEV* pPDev, const ESCARGS*)
{
    _WorkRec(pPDev)->nOwnerCheck = CompareJobOwner(pPDev);
    SetSecurePrintFlags(pPDev);
    return ESC_DONE;
}

ULONG _OwnerGetTimer(PDEV* pPDev, const ESCARGS* a)
{
    // Words 0..2 are the sender's.
    const DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    WORD wHour = pdm->env.nParam148;
    WORD wMinute = pdm->env.nParam149;
    memcpy(a->pbOut + 6, &wHour, 2);
    memcpy(a->pbOut + 8, &wMinute, 2);
    return ESC_DONE;
}

ULONG _OwnerOutputMethod(PDEV* pPDev, const ESCARGS* a)
{
    a->pbOut[0] = pGetJobDevmode(pPDev)->env.lpOutputMethod;
    return ESC_DONE;
}

ULONG _OwnerTimerDate(PDEV* pPDev, const ESCARGS* a)
{
    memcpy(_Work(pPDev) + offsetof(PDLWORK, aTimerDate), a->pbIn, 10);
    return ESC_DONE;
}

const ESCROW s_aOwnerRows[] = {
    // StartDoc: compare the job's owner with the printing user
    {ESCAPE_OWNER_CHECK, 0, 0, TRUE, _OwnerCheck},
    // StartDocPost of a timer job: its hour and minute, then the full date back
    {ESCAPE_OWNER_GETTIMER, 0, 10, TRUE, _OwnerGetTimer},
    {ESCAPE_OWNER_OUTPUTMETHOD, 0, 1, TRUE, _OwnerOutputMethod},
    {ESCAPE_OWNER_TIMERDATE, 10, 0, TRUE, _OwnerTimerDate},
};

// ---- capture family ---------------------------------------------------------------

ULONG _CaptureClearPath(PDEV* pPDev, const ESCARGS*)
{
    memset(_Work(pPDev) + offsetof(PDLWORK, szBlankPath), 0, ESC_TEXT_CHARS * 2);
    return ESC_DONE;
}

ULONG _CaptureSetPath(PDEV* pPDev, const ESCARGS* a)
{
    _CopyTerminated(_Work(pPDev) + offsetof(PDLWORK, szBlankPath), a->pbIn, ESC_TEXT_CHARS * 2);
    return ESC_DONE;
}

const ESCROW s_aCaptureRows[] = {
    // EndDocPost: the capture file is gone
    {ESCAPE_CAPTURE_CLEARPATH, 0, 0, TRUE, _CaptureClearPath},
    // StartDocPost: the temporary file blank-page skipping captures into
    {ESCAPE_CAPTURE_SETPATH, ESC_TEXT_CHARS * 2, 0, TRUE, _CaptureSetPath},
};

#define ESC_ROWS(a) (a), (sizeof(a) / sizeof((a)[0]))

// ---- the generic layer -------------------------------------------------------------

ULONG _GenSetCopyCount(PDEV* pPDev, ULONG cjIn, const BYTE* pbIn, ULONG cjOut, BYTE* pbOut)
{
    if (!pbIn || cjIn < 4)
        return static_cast<ULONG>(-1);
    DWORD dw;
    memcpy(&dw, pbIn, 4);
    LONG lCopies = dw >= ESC_COPIES_MAX ? ESC_COPIES_MAX : (dw == 0 ? 1 : static_cast<LONG>(dw));
    pPDev->cCopies = lCopies;
    // The job's copies are printed from the DEVMODE's copy count: an
    // announced escape that changed nothing else would print one copy.
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    LONG lMax = pdm->ui.wMaxCopies;
    SHORT nCopies = static_cast<SHORT>(lMax > 0 ? std::min(lCopies, lMax) : lCopies);
    pdm->dm.dmCopies = nCopies;
    pdm->ui.dmMirror.dmCopies = nCopies;
    if (pbOut && cjOut >= 4)
        memcpy(pbOut, &lCopies, 4);
    return ESC_DONE;
}

ULONG _GenFontSubst(PDEV* pPDev, ULONG cjIn, const BYTE* pbIn)
{
    if (GetFontSubstList(pPDev))
        return ESC_DONE;  // the job keeps the list it has
    DWORD n = pbIn ? cjIn / ESC_FONTSUBNODE_SIZE : 0;
    if (n == 0)
        return ESC_FAILED;
    FONTSUBNODE* pNodes = static_cast<FONTSUBNODE*>(GfxAlloc(n * ESC_FONTSUBNODE_SIZE));
    if (!pNodes)
        return ESC_FAILED;
    memcpy(pNodes, pbIn, n * ESC_FONTSUBNODE_SIZE);
    // The sender's links name its own memory: the copy is linked in order.
    for (DWORD i = 0; i < n; ++i) {
        pNodes[i].dwNext = i + 1 < n ? i + 2 : 0;
        // Names are compared as texts: each ends inside its 32 units.
        pNodes[i].szTrueType[31] = 0;
        pNodes[i].szDevice[31] = 0;
    }
    // A row left by a list whose slot was overwritten is released first.
    FreeFontSubstCopy(pPDev);
    SetFontSubstList(pPDev, pNodes, n);
    return ESC_DONE;
}

ULONG _GenClearPage(PDEV* pPDev, SURFOBJ* pso)
{
    // Only an engine bitmap has bits to hand over and to whiten; on the
    // device surface of ORDEX output there is no page image to clear.
    if (!bIsBitmapMode(pPDev) || !pso->pvBits || pso->iType != STYPE_BITMAP)
        return ESC_FAILED;
    RECTL rc = {0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
    // What is drawn so far goes out first; a page that could not be handed
    // over keeps its bits rather than lose them.
    if (!GenFillRect(pPDev, pso, &rc, 0x8888, 0))
        return ESC_FAILED;
    memset(pso->pvBits, 0xFF, pso->cjBits);
    return ESC_DONE;
}

ULONG _GenSetDevmode(PDEV* pPDev, ULONG cjIn, const BYTE* pbIn)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    const DEVMODEW* pdmIn = reinterpret_cast<const DEVMODEW*>(pbIn);
    // Only a whole DEVMODE of this driver's kind replaces the job's.
    if (!pbIn || cjIn < DRV_DEVMODE_SIZE || !bSameDevmodeKind(pdmIn, &pdm->dm))
        return ESC_FAILED;
    // The font list belongs to this PDEV, and the surface was made for the
    // graphics mode and plane depth of the job: neither changes mid-job.
    BYTE abList[4];
    memcpy(abList, pdm->ui.abReserved1412, sizeof(abList));
    BYTE bGraphicsMode = pdm->ui.lpGraphicsMode;
    BYTE bOneBit = pdm->env.f1Plane1Bit_Check;
    // The identity says nothing of the private part: it is brought into a
    // consistent state (paper geometry above all) as at CreateDC, before
    // the job takes it.
    HGLOBAL hCopy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, DRV_DEVMODE_SIZE);
    DEVMODEW* pdmCopy = hCopy ? static_cast<DEVMODEW*>(GlobalLock(hCopy)) : nullptr;
    POPTIONDB pdb = pdmCopy ? OpenOptionDb() : nullptr;
    BOOL bOk = pdb != nullptr;
    if (bOk) {
        memcpy(pdmCopy, pdmIn, DRV_DEVMODE_SIZE);
        bOk = ValidateDevmode(pdb, pdmCopy, PdevPrinter(pPDev));
    }
    if (bOk)
        CopyDevmode(&pdm->dm, pdmCopy);
    CloseOptionDb(pdb);
    if (pdmCopy)
        GlobalUnlock(hCopy);
    if (hCopy)
        GlobalFree(hCopy);
    if (!bOk)
        return ESC_FAILED;
    memcpy(pdm->ui.abReserved1412, abList, sizeof(abList));
    pdm->ui.lpGraphicsMode = bGraphicsMode;
    pdm->env.f1Plane1Bit_Check = bOneBit;
    return ESC_DONE;
}

ULONG _GenGetDevmode(PDEV* pPDev, ULONG cjOut, BYTE* pbOut)
{
    if (!pbOut || cjOut < DRV_DEVMODE_SIZE)
        return ESC_FAILED;
    CopyDevmode(reinterpret_cast<DEVMODEW*>(pbOut), &pGetJobDevmode(pPDev)->dm);
    return ESC_DONE;
}

}  // namespace

// ---- the private handlers ------------------------------------------------------------

ULONG bPrivateEscapeJob(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    ESCARGS a = _Args(iEsc, cjIn, pvIn, cjOut, pvOut);
    return _RunTable(ESC_ROWS(s_aJobRows), pPDev, &a);
}

ULONG bPrivateEscapeState(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut)
{
    ESCARGS a = _Args(iEsc, cjIn, pvIn, cjOut, pvOut);
    return _RunTable(ESC_ROWS(s_aStateRows), pPDev, &a);
}

ULONG bPrivateEscapeSegment(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                            PVOID pvOut)
{
    ESCARGS a = _Args(iEsc, cjIn, pvIn, cjOut, pvOut);
    ULONG ulResult = _RunTable(ESC_ROWS(s_aSegmentRows), pPDev, &a);
    return ulResult == ESC_NOT_MINE ? static_cast<ULONG>(-1) : ulResult;
}

ULONG bPrivateEscapeSpecialPage(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                                PVOID pvOut)
{
    ESCARGS a = _Args(iEsc, cjIn, pvIn, cjOut, pvOut);
    return _RunTable(ESC_ROWS(s_aSpecialPageRows), pPDev, &a);
}

ULONG bPrivateEscapePages(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut)
{
    ESCARGS a = _Args(iEsc, cjIn, pvIn, cjOut, pvOut);
    ULONG ulResult = _RunTable(ESC_ROWS(s_aPagesRows), pPDev, &a);
    if (ulResult != ESC_NOT_MINE)
        return ulResult;
    // The segment helper's "not mine" is -1; inside the chain it is ESC_NOT_MINE.
    ulResult = bPrivateEscapeSegment(pPDev, iEsc, cjIn, pvIn, cjOut, pvOut);
    if (ulResult != static_cast<ULONG>(-1))
        return ulResult;
    return bPrivateEscapeSpecialPage(pPDev, iEsc, cjIn, pvIn, cjOut, pvOut);
}

ULONG bPrivateEscapeOwner(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut)
{
    ESCARGS a = _Args(iEsc, cjIn, pvIn, cjOut, pvOut);
    return _RunTable(ESC_ROWS(s_aOwnerRows), pPDev, &a);
}

ULONG bPrivateEscapeCapture(PDEV* pPDev, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                            PVOID pvOut)
{
    ESCARGS a = _Args(iEsc, cjIn, pvIn, cjOut, pvOut);
    return _RunTable(ESC_ROWS(s_aCaptureRows), pPDev, &a);
}

namespace {

// A family slot that takes nothing; it keeps the chain's order of families.
ULONG _bPrivateEscapeNone(PDEV*, ULONG, ULONG, PVOID, ULONG, PVOID)
{
    return ESC_NOT_MINE;
}

typedef ULONG (*PFN_PRIVATEESCAPE)(PDEV*, ULONG, ULONG, PVOID, ULONG, PVOID);

// The chain, in the order the calls are offered.
const PFN_PRIVATEESCAPE s_apfnChain[] = {
    bPrivateEscapeJob,      // 0x6FFFFF00..07
    _bPrivateEscapeNone,    // (no family)
    bPrivateEscapeState,    // 0x6FFFFE00..1D but 0x6FFFFE18
    bPrivateEscapePages,    // 0x6FFFFD00..13
    bPrivateEscapeOwner,    // 0x6FFFFC00..02 and 0x6FFFFE18
    bPrivateEscapeCapture,  // 0x6FFFFB00..01
};

}  // namespace

ULONG PrivateEscapeChain(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                         PVOID pvOut)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!pPDev)
        return ESC_NOT_MINE;
    for (PFN_PRIVATEESCAPE pfn : s_apfnChain) {
        ULONG ulResult = pfn(pPDev, iEsc, cjIn, pvIn, cjOut, pvOut);
        if (ulResult != ESC_NOT_MINE)
            return ulResult;
    }
    return ESC_NOT_MINE;
}

BOOL bGenEscapeSupported(ULONG iEsc)
{
    return iEsc == QUERYESCSUPPORT || iEsc == SETCOPYCOUNT ||
           (iEsc >= ESCAPE_GEN_FIRST && iEsc <= ESCAPE_GEN_LAST);
}

void FreeFontSubstCopy(PDEV* pPDev)
{
    // The row is what the PDEV owns, whatever DEVMODE 1412..1415 say now.
    void* pList = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_FONTSUBST));
    SetFontSubstList(pPDev, nullptr, 0);
    if (pList)
        GfxFree(pList);
}

// ---- the job owner ------------------------------------------------------------------

// Both names are copied into terminated buffers first: neither field has to
// end inside its first 32 characters.
SHORT CompareJobOwner(PDEV* pPDev)
{
    const DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    const PDLWORK* pWork = PdlWork(pPDev);
    WCHAR szOwner[33] = {};
    WCHAR szUser[33] = {};
    memcpy(szOwner, reinterpret_cast<const BYTE*>(pdm) + offsetof(DRVDEVMODE, env.szParam229),
           32 * sizeof(WCHAR));
    memcpy(szUser, reinterpret_cast<const BYTE*>(pWork) + offsetof(PDLWORK, szUserName),
           32 * sizeof(WCHAR));
    int cchOwner = 0, cchUser = 0;
    while (cchOwner < 32 && szOwner[cchOwner])
        ++cchOwner;
    while (cchUser < 32 && szUser[cchUser])
        ++cchUser;
    BOOL bSame = cchOwner == cchUser && memcmp(szOwner, szUser, cchOwner * sizeof(WCHAR)) == 0;
    if (bSame && static_cast<LONG>(pdm->env.dwParam225) == pWork->lUserNameSum &&
        pdm->env.bParam227 == pWork->cchUserName)
        return cchOwner == 0 ? 1 : 2;
    if (cchOwner == 0)
        return 3;
    return cchUser == 0 ? 4 : 5;
}

void SetSecurePrintFlags(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    WORD wState = static_cast<WORD>(pWork->nOwnerCheck);
    LONG lAllowed = (wState == 1 || wState == 2) ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        pWork->aSecure[i] = lAllowed;
}

ULONG GenEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    PDEV* pPDev = GetPDEVFromSurface(pso);
    const BYTE* pbIn = static_cast<const BYTE*>(pvIn);
    BYTE* pbOut = static_cast<BYTE*>(pvOut);
    if (!bGenEscapeSupported(iEsc)) {
        ULONG ulQuery = iEsc;
        if (PdlEscape(pPDev, QUERYESCSUPPORT, sizeof(ulQuery), &ulQuery) != 1)
            return 0;
    }
    if (iEsc == QUERYESCSUPPORT) {
        // Only the standard escapes are announced, never the private ones.
        if (!pbIn || cjIn < 2)
            return 0;
        WORD wQuery;
        memcpy(&wQuery, pbIn, sizeof(wQuery));
        if (wQuery == SETCOPYCOUNT)
            return ESC_COPIES_MAX;
        return wQuery == QUERYESCSUPPORT ? 1 : 0;
    }
    if (!bCheckPDEV(pPDev))
        return 0;
    switch (iEsc) {
    case SETCOPYCOUNT:
        return _GenSetCopyCount(pPDev, cjIn, pbIn, cjOut, pbOut);
    case ESCAPE_GEN_IGNORE:
        return ESC_DONE;
    case ESCAPE_GEN_FONTSUBST:
        return _GenFontSubst(pPDev, cjIn, pbIn);
    case ESCAPE_GEN_CLEARPAGE:
        return _GenClearPage(pPDev, pso);
    case ESCAPE_GEN_SETDEVMODE:
        return _GenSetDevmode(pPDev, cjIn, pbIn);
    case ESCAPE_GEN_CLEARPAGEFLAG:
        return PdlClearPageFlag(pPDev) ? ESC_DONE : ESC_FAILED;
    case ESCAPE_GEN_SETPAGEFLAG:
        // The sender may give more than the one byte that is used.
        if (!pbIn || cjIn < 1)
            return ESC_FAILED;
        return PdlSetPageFlag(pPDev, pbIn[0]) ? ESC_DONE : ESC_FAILED;
    case ESCAPE_GEN_PAGECOUNT:
        return pPDev->cPages;
    case ESCAPE_GEN_ORIENTATION: {
        const DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
        if (pdm->ui.lpLayout == 1)
            return static_cast<ULONG>(static_cast<LONG>(pdm->ui.dmMirror.dmOrientation));
        return pPDev->wOrientation;
    }
    case ESCAPE_GEN_GETDEVMODE:
        return _GenGetDevmode(pPDev, cjOut, pbOut);
    default:
        return PdlEscape(pPDev, iEsc, cjIn, pvIn);
    }
}

ULONG GenDrawEscape(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl, ULONG cjIn, PVOID pvIn)
{
    (void)pco;
    (void)prcl;
    if (iEsc == QUERYESCSUPPORT && pvIn && cjIn >= 4) {
        ULONG ulQuery;
        memcpy(&ulQuery, pvIn, sizeof(ulQuery));
        if (ulQuery == QUERYESCSUPPORT)
            return 1;
    }
    PDEV* pPDev = GetPDEVFromSurface(pso);
    if (!bCheckPDEV(pPDev))
        return 0;
    return PdlDrawEscape(pPDev);
}
