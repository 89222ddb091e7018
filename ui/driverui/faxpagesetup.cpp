// faxpagesetup.cpp: the page set-up of a fax cover page (see faxpagesetup.h).
#include "ui/driverui/faxpagesetup.h"

#include <cstddef>
#include <cstring>

#include "customnt/xrddigfx/pdev.h"
#include "graphics/ddi/escape.h"
#include "ui/driverui/docevent.h"
#include "ui/driverui/faxjob.h"
#include "ui/settings/papertable.h"
#include "ui/settings/devmode.h"

static_assert(sizeof(PDEVSTATE) == PDEVSTATE_SIZE);

namespace {

// The job block is the first JOBBLOCK_SIZE bytes of the graphics library's
// PDEV, so its fields sit at their PDEV offsets. Each field is copied with
// memcpy because the block is a byte image with no alignment promise.
template <typename T>
T Get(const BYTE* p, size_t off)
{
    T v;
    memcpy(&v, p + off, sizeof(v));
    return v;
}

template <typename T>
void Put(BYTE* p, size_t off, T v)
{
    memcpy(p + off, &v, sizeof(v));
}

// Cover paper index (the user's "FCSPaper") to paper code; the cover is
// always printed portrait, its sizes come from the paper table.
const int kCoverPaperCodes[] = {11, 13, 1, 12, 8, 9};  // A5, B5, Letter, B4, A3, A4
const int kCoverPaperCount = (int)(sizeof(kCoverPaperCodes) / sizeof(kCoverPaperCodes[0]));
const int kCoverMarginMm100 = 406;

bool IsCoverPaperCode(int iCode)
{
    switch (iCode) {
    case 1: case 8: case 9: case 11: case 12: case 13: case 70: case 88: return true;
    default: return false;
    }
}

// Width and length in 1/10 mm.
bool CoverPaperSize(int iCoverPaper, LONG* plWidth, LONG* plLength)
{
    int iCode = GetCoverPaperCode(iCoverPaper);
    if (!iCode || !FindPaperInfo(iCode)) return false;
    LONG w = 0, l = 0;
    GetPaperSizeMm100(iCode, &w, &l);
    *plWidth = w / 10;
    *plLength = l / 10;
    return true;
}

PDEVSTATEWORD Word(SHORT s) { return PDEVSTATEWORD{s, 0}; }

void SaveHeader(const DEVMODEW& dm, PDEVSTATEWORD* w)
{
    w[0] = Word(dm.dmOrientation);
    w[1] = Word(dm.dmPaperSize);
    w[2] = Word(dm.dmPaperLength);
    w[3] = Word(dm.dmPaperWidth);
    w[4] = Word(dm.dmScale);
    w[5] = Word(dm.dmCopies);
    w[6] = Word(dm.dmDefaultSource);
}

void ApplyHeader(const PDEVSTATEWORD* w, DEVMODEW* dm)
{
    dm->dmOrientation = w[0].sValue;
    dm->dmPaperSize = w[1].sValue;
    dm->dmPaperLength = w[2].sValue;
    dm->dmPaperWidth = w[3].sValue;
    dm->dmScale = w[4].sValue;
    dm->dmCopies = w[5].sValue;
    dm->dmDefaultSource = w[6].sValue;
}

// The local image of what the receiver does with the record; the flags that
// describe the PDEV's own resources stay as they are.
void ApplyState(BYTE* pBlock, const PDEVSTATE& s)
{
    const DWORD fOwn = PDEVF_DOCSTARTED | PDEVF_HANDEDOVER | PDEVF_STREAMOPEN | PDEVF_PAGEOPEN;
    DWORD fJob = Get<DWORD>(pBlock, offsetof(PDEV, fJob));
    Put<DWORD>(pBlock, offsetof(PDEV, fJob), (s.fJob & ~fOwn) | (fJob & fOwn));
    Put<DWORD>(pBlock, offsetof(PDEV, cPages), s.cPages);
    Put<WORD>(pBlock, offsetof(PDEV, wReplayCopies), static_cast<WORD>(s.ReplayCopies.sValue));
    Put<LONG>(pBlock, offsetof(PDEV, xNupCell), s.xNupCell);
    Put<LONG>(pBlock, offsetof(PDEV, yNupCell), s.yNupCell);
    Put<BYTE>(pBlock, offsetof(PDEV, bOverlayMode), s.bOverlayMode);
    Put<BYTE>(pBlock, offsetof(PDEV, bRecState), s.bRecState);
    Put<WORD>(pBlock, offsetof(PDEV, wReplayMode), s.wReplayMode);
    Put<WORD>(pBlock, offsetof(PDEV, wSectionKind), static_cast<WORD>(s.SectionKind.sValue));
    Put<LONG>(pBlock, offsetof(PDEV, lNupScale), s.lNupScale);
    Put<BYTE>(pBlock, offsetof(PDEV, bGrayConv), s.bGrayConv);
    Put<BYTE>(pBlock, offsetof(PDEV, bPageFlag), s.bPageFlag);
    Put<WORD>(pBlock, offsetof(PDEV, wOrientation), s.wOrientation);
    memcpy(pBlock + offsetof(PDEV, abNupState), s.abNupState, sizeof(s.abNupState));

    DRVDEVMODE dm;
    memcpy(&dm, pBlock + JOBBLOCK_DEVMODE, sizeof(dm));
    ApplyHeader(s.aPublic, &dm.dm);
    ApplyHeader(s.aMirror, &dm.ui.dmMirror);
    dm.dm.dmDuplex = s.Duplex.sValue;
    dm.dm.dmCollate = s.Collate.sValue;
    dm.dm.dmYResolution = s.YResolution.sValue;
    dm.ui.dmMirror.dmDuplex = s.MirrorDuplex.sValue;
    dm.ui.dmMirror.dmCollate = s.MirrorCollate.sValue;
    dm.ui.rcOutPrintDots = s.rcOutPrintDots;
    dm.env.rcOutPrintMm = s.rcOutPrintMm;
    dm.ui.rcPrintDots = s.rcPrintDots;
    dm.ui.rcPrintMm = s.rcPrintMm;
    dm.env.rcCustomPrintDots = s.rcCustomPrintDots;
    dm.ui.lpOutputPaper = s.lpOutputPaper;
    dm.env.lpMediaSource = s.lpMediaSource;
    dm.ui.sizePaperDots = s.sizePaperDots;
    dm.ui.sizeOutPaperDots = s.sizeOutPaperDots;
    dm.env.lpOutputTray = s.lpOutputTray;
    dm.env.sizeOutPaper[0] = s.sizeOutPaper[0];
    dm.env.sizeOutPaper[1] = s.sizeOutPaper[1];
    dm.ui.Layout_Check = s.Layout_Check;
    dm.ui.lpLayout = s.lpLayout;
    dm.ui.lpOrder = s.lpOrder;
    dm.ui.bLayoutKind = s.bLayoutKind;
    dm.env.Booklet_Check = s.Booklet_Check;
    dm.ui.ZoomCheck = s.ZoomCheck;
    dm.ui.Zoom = s.Zoom;
    dm.env.lpLayout_Select = s.lpLayout_Select;
    dm.ui.lpOverlay = s.lpOverlay;
    dm.ui.bOverlayIndex = s.bOverlayIndex;
    dm.ui.OverlayPrompt = s.OverlayPrompt;
    dm.ui.lpWatermarkOrder = s.abWatermark[0];
    dm.ui.Watermark_Use = s.abWatermark[1];
    dm.ui.bWatermarkCurrent = s.abWatermark[2];
    dm.ui.FirstPageOnly = s.abWatermark[3];
    dm.ui.lpPDLType = s.abWatermark[4];
    memcpy(pBlock + JOBBLOCK_DEVMODE, &dm, sizeof(dm));
}

}  // namespace

int GetCoverPaperCode(int iCoverPaper)
{
    return iCoverPaper >= 0 && iCoverPaper < kCoverPaperCount ? kCoverPaperCodes[iCoverPaper] : 0;
}

int GetFaxPrintableArea(int iPaperCode, RECTL* prc, int iCoverPaper)
{
    LONG w = 0, l = 0;
    if (!prc || !IsCoverPaperCode(iPaperCode) || !CoverPaperSize(iCoverPaper, &w, &l)) return 0;
    prc->left = kCoverMarginMm100;
    prc->top = kCoverMarginMm100;
    prc->right = w * 10 - kCoverMarginMm100;
    prc->bottom = l * 10 - kCoverMarginMm100;
    return 1;
}

int ScalePrintableArea(int iResolution, int iPaperCode, RECTL* prc, int iCoverPaper)
{
    RECTL rc;
    if (!prc || !GetFaxPrintableArea(iPaperCode, &rc, iCoverPaper)) return 0;
    RECTL d;
    if (!ScalePrintableValue(iResolution, rc.left, &d.left) || !ScalePrintableValue(iResolution, rc.top, &d.top) ||
        !ScalePrintableValue(iResolution, rc.right, &d.right) ||
        !ScalePrintableValue(iResolution, rc.bottom, &d.bottom))
        return 0;
    *prc = d;
    return 1;
}

void SavePageSetupState(const BYTE* pBlock, PDEVSTATE* s)
{
    if (!pBlock || !s) return;
    memset(s, 0, sizeof(*s));
    s->fJob = Get<DWORD>(pBlock, offsetof(PDEV, fJob));
    s->cPages = Get<DWORD>(pBlock, offsetof(PDEV, cPages));
    s->ReplayCopies = Word(static_cast<SHORT>(Get<WORD>(pBlock, offsetof(PDEV, wReplayCopies))));
    s->xNupCell = Get<LONG>(pBlock, offsetof(PDEV, xNupCell));
    s->yNupCell = Get<LONG>(pBlock, offsetof(PDEV, yNupCell));
    s->bOverlayMode = Get<BYTE>(pBlock, offsetof(PDEV, bOverlayMode));
    s->bRecState = Get<BYTE>(pBlock, offsetof(PDEV, bRecState));
    s->wReplayMode = Get<WORD>(pBlock, offsetof(PDEV, wReplayMode));
    s->SectionKind = Word(static_cast<SHORT>(Get<WORD>(pBlock, offsetof(PDEV, wSectionKind))));
    s->lNupScale = Get<LONG>(pBlock, offsetof(PDEV, lNupScale));
    s->bGrayConv = Get<BYTE>(pBlock, offsetof(PDEV, bGrayConv));
    s->bPageFlag = Get<BYTE>(pBlock, offsetof(PDEV, bPageFlag));
    s->wOrientation = Get<WORD>(pBlock, offsetof(PDEV, wOrientation));
    memcpy(s->abNupState, pBlock + offsetof(PDEV, abNupState), sizeof(s->abNupState));

    DRVDEVMODE dm;
    memcpy(&dm, pBlock + JOBBLOCK_DEVMODE, sizeof(dm));
    SaveHeader(dm.dm, s->aPublic);
    SaveHeader(dm.ui.dmMirror, s->aMirror);
    s->Duplex = Word(dm.dm.dmDuplex);
    s->Collate = Word(dm.dm.dmCollate);
    s->YResolution = Word(dm.dm.dmYResolution);
    s->MirrorDuplex = Word(dm.ui.dmMirror.dmDuplex);
    s->MirrorCollate = Word(dm.ui.dmMirror.dmCollate);
    s->rcOutPrintDots = dm.ui.rcOutPrintDots;
    s->rcOutPrintMm = dm.env.rcOutPrintMm;
    s->rcPrintDots = dm.ui.rcPrintDots;
    s->rcPrintMm = dm.ui.rcPrintMm;
    s->rcCustomPrintDots = dm.env.rcCustomPrintDots;
    s->lpOutputPaper = dm.ui.lpOutputPaper;
    s->lpMediaSource = dm.env.lpMediaSource;
    s->sizePaperDots = dm.ui.sizePaperDots;
    s->sizeOutPaperDots = dm.ui.sizeOutPaperDots;
    s->lpOutputTray = dm.env.lpOutputTray;
    s->sizeOutPaper[0] = dm.env.sizeOutPaper[0];
    s->sizeOutPaper[1] = dm.env.sizeOutPaper[1];
    s->Layout_Check = dm.ui.Layout_Check;
    s->lpLayout = dm.ui.lpLayout;
    s->lpOrder = dm.ui.lpOrder;
    s->bLayoutKind = dm.ui.bLayoutKind;
    s->Booklet_Check = dm.env.Booklet_Check;
    s->ZoomCheck = dm.ui.ZoomCheck;
    s->Zoom = dm.ui.Zoom;
    s->lpLayout_Select = dm.env.lpLayout_Select;
    s->lpOverlay = dm.ui.lpOverlay;
    s->bOverlayIndex = dm.ui.bOverlayIndex;
    s->OverlayPrompt = dm.ui.OverlayPrompt;
    s->abWatermark[0] = dm.ui.lpWatermarkOrder;
    s->abWatermark[1] = dm.ui.Watermark_Use;
    s->abWatermark[2] = dm.ui.bWatermarkCurrent;
    s->abWatermark[3] = dm.ui.FirstPageOnly;
    s->abWatermark[4] = dm.ui.lpPDLType;
}

int SendPageSetupState(BYTE* pBlock, HDC hdc, const PDEVSTATE* pState)
{
    if (!pBlock || !pState) return 0;
    if (DocEscape(hdc, ESCAPE_STATE_SETPDEVSTATE, sizeof(*pState), pState, 0, nullptr) <= 0) return 0;
    ApplyState(pBlock, *pState);
    return 1;
}

int SetCoverPageSetup(BYTE* pBlock, HDC hdc, const PDEVSTATE* pSaved)
{
    if (!pBlock || !pSaved) return 0;
    PDEVSTATE s;
    memcpy(&s, pSaved, sizeof(s));
    // The cover page starts a page sequence of its own, outside any N-up sheet.
    s.cPages = 0;
    s.ReplayCopies = Word(0);
    s.lNupScale = 10000;
    s.bOverlayMode = 1;
    // One page per sheet unless the cover keeps its fixed A4 portrait paper.
    const DRVDEVMODE* pDm = reinterpret_cast<const DRVDEVMODE*>(pBlock + JOBBLOCK_DEVMODE);
    if (pDm->env.FaxCover_A4PFix) {
        WCHAR szPrinter[33] = {};
        lstrcpynW(szPrinter, (LPCWSTR)pDm->dm.dmDeviceName, 33);
        int k = GetCoverSheetPaper(szPrinter);
        int iCode = GetCoverPaperCode(k);
        LONG lWidth = 0, lLength = 0;
        RECTL rcMm, rcDots;
        if (!CoverPaperSize(k, &lWidth, &lLength) || !GetFaxPrintableArea(iCode, &rcMm, k) ||
            !ScalePrintableArea(pDm->dm.dmYResolution, iCode, &rcDots, k))
            return 0;
        s.bRecState = 3;
        s.wReplayMode = 1;
        s.SectionKind = Word(1);
        s.wOrientation = static_cast<WORD>(pSaved->aMirror[0].sValue);
        s.lpOutputPaper = static_cast<SHORT>(iCode);
        s.aMirror[0] = Word(DMORIENT_PORTRAIT);
        s.sizeOutPaper[0] = static_cast<SHORT>(lWidth);
        s.sizeOutPaper[1] = static_cast<SHORT>(lLength);
        s.ZoomCheck = 1;
        s.lpLayout_Select = 0;
        s.rcOutPrintMm = rcMm;
        s.rcOutPrintDots = rcDots;
        // The job's paper width scales the cover onto the cover paper; a
        // job without a width keeps the cover at full size.
        LONG w = pSaved->aPublic[3].sValue;
        LONG f = pSaved->aMirror[0].sValue == DMORIENT_PORTRAIT ? 10000 : 20000;
        s.Zoom = 100;
        if (w > 0) s.Zoom = static_cast<SHORT>(((lWidth * f + w / 2) / w + 50) / 100);
        memset(s.abNupState, 0, sizeof(s.abNupState));
        s.xNupCell = 0;
        s.yNupCell = 0;
    } else {
        s.Layout_Check = 0;
        s.lpLayout = 1;
        s.lpLayout_Select = 1;
    }
    // One copy, in order, no booklet, and neither the job's form nor its
    // watermark on the cover page.
    s.aMirror[5] = Word(1);
    s.lpOrder = 1;
    s.bLayoutKind = 0;
    s.Booklet_Check = 0;
    s.lpOverlay = 1;
    s.bOverlayIndex = 0;
    s.OverlayPrompt = 0;
    // The four watermark bytes only: the fifth is the job's PDL type, which
    // the cover page keeps.
    memset(s.abWatermark, 0, 4);
    return SendPageSetupState(pBlock, hdc, &s);
}
