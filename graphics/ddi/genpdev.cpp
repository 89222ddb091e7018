// genpdev.cpp: the PDEV's creation, device capabilities, surface and teardown.
//
// Entry points: GenEnablePDEV, bInitPDEV, FillGdiInfo, bFillDevInfo,
// GetHalftonePatternSize, GenCompletePDEV, GenResetPDEV, GenEnableSurface,
// GenDisableSurface, GenDisablePDEV, FreePDEV, CopyDevmode, bCheckPDEV,
// pGetPdlWork, GetPDEVFromSurface. The job DEVMODE arrives built and
// validated (CustEnablePDEV); this file places it in the PDEV, applies the
// frame's own fix-ups and answers GDI from it.
#include "graphics/ddi/gendi.h"

#include "graphics/ddi/chain.h"
#include "graphics/ddi/escape.h"
#include "graphics/ddi/jobrecord.h"
#include "graphics/ddi/pdlcalls.h"
#include "pdl/xgcmn/ordexnt/xrtext.h"

#include <algorithm>
#include <cstring>

#include "platform/spooler/winspool.h"

BOOL bCheckPDEV(const PDEV* pPDev)
{
    if (pPDev && pPDev->dwSignature == PDEV_SIGNATURE && pPDev->dwSignatureEnd == PDEV_SIGNATURE)
        return TRUE;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

PDLWORK* pGetPdlWork(PDEV* pPDev)
{
    DWORD dwOffset = static_cast<DWORD>(pPDev->wEnvExtraOffset) + DRV_ENVEXTRA_SIZE;
    PDLWORK* pWork = reinterpret_cast<PDLWORK*>(reinterpret_cast<BYTE*>(pPDev) + dwOffset);
    pWork->lWorkOffset = static_cast<LONG>(dwOffset);
    return pWork;
}

PDEV* GetPDEVFromSurface(SURFOBJ* pso)
{
    return pso ? reinterpret_cast<PDEV*>(pso->dhpdev) : nullptr;
}

DWORD CopyDevmode(DEVMODEW* pdmDst, const DEVMODEW* pdmSrc)
{
    // Both ends of every copy in the frame are 2615-byte buffers; a DEVMODE
    // claiming more is cut there rather than run past them.
    DWORD cb = static_cast<DWORD>(pdmSrc->dmSize) + pdmSrc->dmDriverExtra;
    std::memcpy(pdmDst, pdmSrc, std::min<DWORD>(cb, DRV_DEVMODE_SIZE));
    return pdmSrc->dmDriverExtra;
}

ULONG GetHalftonePatternSize(ULONG xDpi, ULONG yDpi, BOOL bFlag)
{
    ULONG r = std::min(xDpi, yDpi);
    ULONG ulSize;
    if (r >= 2400)
        ulSize = HT_PATSIZE_16x16_M;
    else if (r >= 1800)
        ulSize = HT_PATSIZE_14x14_M;
    else if (r >= 1200)
        ulSize = HT_PATSIZE_12x12_M;
    else if (r >= 900)
        ulSize = HT_PATSIZE_10x10_M;
    else if (r >= 400)
        ulSize = HT_PATSIZE_8x8_M;
    else if (r < 180)
        ulSize = HT_PATSIZE_4x4_M;
    else
        ulSize = HT_PATSIZE_6x6_M;
    return bFlag ? ulSize - 2 : ulSize;
}

static BOOL _bIsMonoBitmap(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    return pdm->ui.lpGraphicsMode == 1 && pdm->ui.dmMirror.dmColor == DMCOLOR_MONOCHROME;
}

void FillGdiInfo(PDEV* pPDev, ULONG cjGdiInfo, GDIINFO* pGdiInfo)
{
    if (!pGdiInfo)
        return;
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    const DEVMODEW& mir = pdm->ui.dmMirror;
    ULONG dpi = static_cast<USHORT>(mir.dmPrintQuality);
    const RECTL& mm = pdm->ui.rcPrintMm;
    const RECTL& dots = pdm->ui.rcPrintDots;

    GDIINFO gi;
    std::memset(&gi, 0, sizeof(gi));
    gi.ulVersion = 0x500;
    gi.ulTechnology = DT_RASPRINTER;
    gi.ulHorzSize = static_cast<USHORT>(static_cast<ULONG>(mm.right - mm.left) / 100);
    gi.ulVertSize = static_cast<USHORT>(static_cast<ULONG>(mm.bottom - mm.top) / 100);
    gi.ulHorzRes = static_cast<ULONG>(dots.right - dots.left);
    gi.ulVertRes = static_cast<ULONG>(dots.bottom - dots.top);
    if (_bIsMonoBitmap(pPDev)) {
        gi.cBitsPixel = 1;
        gi.cPlanes = 1;
        gi.ulNumColors = 2;
    } else {
        gi.cBitsPixel = 24;
        gi.cPlanes = 1;
        gi.ulNumColors = 8;
    }
    gi.ulLogPixelsX = dpi;
    gi.ulLogPixelsY = static_cast<USHORT>(mir.dmYResolution);
    gi.flTextCaps = 0x1817;
    gi.ulAspectX = dpi;
    gi.ulAspectY = dpi;
    gi.ulAspectXY = dpi * 1414 / 1000;
    gi.xStyleStep = 1;
    gi.yStyleStep = 1;
    gi.denStyleStep = static_cast<LONG>(dpi / 25);
    gi.ptlPhysOffset.x = dots.left;
    gi.ptlPhysOffset.y = dots.top;
    gi.szlPhysSize.cx = pdm->ui.sizePaperDots.cx;
    gi.szlPhysSize.cy = pdm->ui.sizePaperDots.cy;
    gi.ciDevice = {{6380, 3350, 0}, {2345, 6075, 0}, {1410, 932, 0}, {2000, 2450, 0},
                   {5210, 2100, 0}, {4750, 5100, 0}, {3127, 3290, 0},
                   10000, 10000, 10000, 585, 120, 0, 0, 0, 10000};
    gi.ulDevicePelsDPI = 0;
    gi.ulPrimaryOrder = 0;
    gi.ulHTPatternSize = GetHalftonePatternSize(dpi, dpi, FALSE);
    if (gi.ulHTPatternSize > 15)
        gi.ulHTPatternSize = HT_PATSIZE_8x8_M;
    gi.ulHTOutputFormat = mir.dmColor == DMCOLOR_COLOR ? 2 : 0;
    gi.flHTFlags = 2;

    if (mir.dmOrientation == DMORIENT_LANDSCAPE) {
        std::swap(gi.ulHorzSize, gi.ulVertSize);
        std::swap(gi.ulHorzRes, gi.ulVertRes);
        std::swap(gi.ptlPhysOffset.x, gi.ptlPhysOffset.y);
        std::swap(gi.szlPhysSize.cx, gi.szlPhysSize.cy);
    }
    std::memcpy(pGdiInfo, &gi, std::min<ULONG>(cjGdiInfo, sizeof(gi)));
}

BOOL bFillDevInfo(PDEV* pPDev, ULONG cjDevInfo, DEVINFO* pDevInfo)
{
    if (HPALETTE hpalOld = PdevHpal(pPDev)) {
        EngDeletePalette(hpalOld);
        SetPdevHpal(pPDev, nullptr);
    }
    DEVINFO di;
    std::memset(&di, 0, sizeof(di));
    BOOL bMono = _bIsMonoBitmap(pPDev);
    if (bMono)
        di.flGraphicsCaps = 0x0080253F;
    else if (bIsBitmapMode(pPDev))
        di.flGraphicsCaps = 0x0000211F;
    else
        di.flGraphicsCaps = 0x0000A11F;
    HPALETTE hpal;
    if (bMono) {
        ULONG aulColors[2] = {0x000000, 0xFFFFFF};
        hpal = EngCreatePalette(PAL_INDEXED, 2, aulColors, 0, 0, 0);
        di.iDitherFormat = BMF_1BPP;
        di.cxDither = 8;
        di.cyDither = 8;
    } else {
        hpal = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
        di.iDitherFormat = BMF_24BPP;
    }
    if (!hpal)
        return FALSE;
    SetPdevHpal(pPDev, hpal);
    di.hpalDefault = hpal;
    if (pDevInfo)
        std::memcpy(pDevInfo, &di, std::min<ULONG>(cjDevInfo, sizeof(di)));
    return TRUE;
}

BOOL bInitPDEV(PDEV* pPDev)
{
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    pPDev->dwSignature = PDEV_SIGNATURE;
    pPDev->dwSignatureEnd = PDEV_SIGNATURE;
    pPDev->fJob = 0;
    pPDev->cPages = 0;
    pPDev->cCopies = pdm->ui.dmMirror.dmCopies;
    SetPdevDocBuf(pPDev, nullptr);
    pPDev->cbDocBuf = 0;
    pPDev->lNupScale = pdm->ui.lpLayout == 1 ? 10000 : GetNupScale(pPDev);
    pPDev->xNupCell = 0;
    pPDev->yNupCell = 0;
    if (pdm->ui.bLayoutKind == 4) {
        pdm->ui.dmMirror.dmDuplex = DMDUP_HORIZONTAL;
        if (pdm->ui.lpBooklet) {
            pdm->ui.lpLayout = 9;
            pdm->ui.lpOrder = 2;
        } else {
            pdm->ui.lpLayout = 8;
            pdm->ui.lpOrder = 1;
        }
    }
    SetPdevWriteJobData(pPDev, bWriteJobData);
    SetPdevEmitJobRecord(pPDev, bEmitJobRecord);
    return TRUE;
}

// Loads the printer's driver file as an engine module; any failure leaves
// the handle null, which is not an error.
static HANDLE _LoadDriverModule(HANDLE hPrinter)
{
    DWORD cbNeeded = 0;
    if (GetPrinterDriverW(hPrinter, nullptr, 2, nullptr, 0, &cbNeeded) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || cbNeeded == 0)
        return nullptr;
    HLOCAL hInfo = LocalAlloc(LPTR, cbNeeded);
    if (!hInfo)
        return nullptr;
    HANDLE hModule = nullptr;
    DRIVER_INFO_2W* pInfo = static_cast<DRIVER_INFO_2W*>(LocalLock(hInfo));
    if (pInfo && GetPrinterDriverW(hPrinter, nullptr, 2, reinterpret_cast<LPBYTE>(pInfo),
                                   cbNeeded, &cbNeeded) &&
        pInfo->pDriverPath)
        hModule = EngLoadModule(pInfo->pDriverPath);
    LocalUnlock(hInfo);
    LocalFree(hInfo);
    return hModule;
}

PDEV* GenEnablePDEV(DEVMODEW* pdmJob, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                    ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                    LPWSTR pwszDeviceName, HANDLE hDriver)
{
    if (!pdmJob)
        return nullptr;
    CHAINHEAD* pChain = CreateChainList();
    // The block holds the PDEV's bytes and, after them, its side record.
    PDEV* pPDev = pChain ? static_cast<PDEV*>(AllocChainBlock(pChain, PDEV_BLOCK_SIZE)) : nullptr;
    if (!pPDev) {
        FreeChainList(pChain);
        return nullptr;
    }
    SetPdevChain(pPDev, pChain);
    pPDev->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
    pPDev->wPdevSize = PDEV_TOTAL_SIZE;
    SetPdevPrinter(pPDev, hDriver);
    SetPdevDocName(pPDev, nullptr);
    SetPdevModule(pPDev, _LoadDriverModule(hDriver));

    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    CopyDevmode(&pdm->dm, pdmJob);
    if (pdm->ui.lpGraphicsMode == 1)
        pdm->ui.FontUseFlg = 0;
    if (pdm->ui.Layout_Check == 1) {
        pdm->ui.ZoomCheck = 0;
        pdm->ui.Zoom = 100;
    } else {
        pdm->ui.lpLayout = 1;
        if (pdm->ui.ZoomCheck == 0) {
            pdm->ui.Zoom = 100;
            pdm->ui.lpOutputPaper = pdm->ui.dmMirror.dmPaperSize;
        }
    }
    std::memset(pdm->ui.abReserved1412, 0, sizeof(pdm->ui.abReserved1412));

    ResetJobRecordBuffer(pPDev);
    bInitPDEV(pPDev);

    // GDI's buffers may be shorter than the records; the capabilities are
    // built whole here and only the part GDI asked for is copied out.
    GDIINFO gi;
    DEVINFO di;
    std::memset(&gi, 0, sizeof(gi));
    std::memset(&di, 0, sizeof(di));
    FillGdiInfo(pPDev, sizeof(gi), &gi);
    if (!bFillDevInfo(pPDev, sizeof(di), &di)) {
        FreePDEV(pPDev);
        return nullptr;
    }
    if (!bIsBitmapMode(pPDev))
        PdlFillDevCaps(pPDev, &pdm->dm, &gi, &di);
    if (pdevcaps)
        std::memcpy(pdevcaps, &gi, std::min<ULONG>(cjCaps, sizeof(gi)));
    if (pdi)
        std::memcpy(pdi, &di, std::min<ULONG>(cjDevInfo, sizeof(di)));

    pPDev->wOrientation = static_cast<WORD>(pdm->ui.dmMirror.dmOrientation);
    if (pdm->ui.lpLayout != 1)
        ToggleNupOrientation(&pdm->ui.dmMirror.dmOrientation, pdm->ui.lpLayout);

    if (phsurfPatterns)
        for (ULONG i = 0; i < cPat; i++)
            phsurfPatterns[i] = nullptr;
    (void)pwszLogAddress;
    (void)hdev;
    (void)pwszDeviceName;
    return pPDev;
}

void GenCompletePDEV(PDEV* pPDev, HDEV hdev)
{
    if (!bCheckPDEV(pPDev))
        return;
    SetPdevHdev(pPDev, hdev);
}

static LPWSTR _CopyNameToChain(PDEV* pPDev, LPCWSTR pwsz)
{
    size_t cch = 0;
    while (pwsz[cch])
        cch++;
    LPWSTR pCopy = static_cast<LPWSTR>(
        AllocChainBlock(PdevChain(pPDev), static_cast<DWORD>((cch + 1) * 2)));
    if (pCopy)
        std::memcpy(pCopy, pwsz, (cch + 1) * 2);
    return pCopy;
}

BOOL GenResetPDEV(PDEV* pOld, PDEV* pNew)
{
    if (!bCheckPDEV(pOld) || !bCheckPDEV(pNew))
        return FALSE;
    if (pOld->fJob & PDEVF_DOCSTARTED) {
        // The name is copied first: when that fails nothing has moved yet and
        // GDI keeps a whole old PDEV.
        LPWSTR pwszName = nullptr;
        if (LPCWSTR pwszOld = PdevDocName(pOld)) {
            pwszName = _CopyNameToChain(pNew, pwszOld);
            if (!pwszName)
                return FALSE;
        }
        DRVDEVMODE* pdmOld = pGetJobDevmode(pOld);
        DRVDEVMODE* pdmNew = pGetJobDevmode(pNew);
        // The font list moves with its slot; a list the new PDEV got
        // before the hand-over is released first.
        FreeFontSubstCopy(pNew);
        MoveFontSubstList(pNew, pOld);

        pNew->fJob = pOld->fJob;
        pNew->cPages = pOld->cPages;
        pNew->cyPage = pOld->cyPage;
        pNew->iBand = pOld->iBand;
        // The writer moves: the old PDEV must not close it when GDI disables it.
        pNew->slWriter = PdevRefMove(pNew, pOld, PREF_WRITER);
        pOld->slWriter = 0;
        pOld->fJob &= ~PDEVF_STREAMOPEN;

        if (LPWSTR pwszNewOld = PdevDocName(pNew))
            FreeChainBlock(PdevChain(pNew), pwszNewOld);
        SetPdevDocName(pNew, pwszName);

        if (pNew->cPages != 0) {
            pdmNew->ui.FirstPageOnly = pdmOld->ui.FirstPageOnly;
            pdmNew->ui.bWatermarkCurrent = pdmOld->ui.bWatermarkCurrent;
            pdmNew->ui.dmMirror.dmDuplex = pdmOld->ui.dmMirror.dmDuplex;
            pdmNew->ui.dmMirror.dmCopies = pdmOld->ui.dmMirror.dmCopies;
            pdmNew->ui.bLayoutKind = pdmOld->ui.bLayoutKind;
        }
        pdmNew->ui.lpOverlay = pdmOld->ui.lpOverlay;
        pdmNew->ui.bOverlayIndex = pdmOld->ui.bOverlayIndex;
        // Moved: freed once, by the new PDEV.
        if (BYTE* pbNewOld = reinterpret_cast<BYTE*>(PdevRefTake(pNew, PREF_DOCBUF)))
            GfxFree(pbNewOld);
        pNew->slDocBuf = PdevRefMove(pNew, pOld, PREF_DOCBUF);
        pNew->cbDocBuf = pOld->cbDocBuf;
        pOld->slDocBuf = 0;
        pOld->cbDocBuf = 0;
        pNew->fJob |= PDEVF_HANDEDOVER;
    }
    CopyPDEVState(pNew, pOld);
    PdlResetPDEV(pOld, pNew);
    return TRUE;
}

HSURF GenEnableSurface(PDEV* pPDev)
{
    if (!bCheckPDEV(pPDev))
        return nullptr;
    DRVDEVMODE* pdm = pGetJobDevmode(pPDev);
    LONG cx = pdm->ui.rcPrintDots.right - pdm->ui.rcPrintDots.left;
    LONG cy = pdm->ui.rcPrintDots.bottom - pdm->ui.rcPrintDots.top;
    if (pPDev->wOrientation == DMORIENT_LANDSCAPE)
        std::swap(cx, cy);
    if (cx <= 0 || cy <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HSURF hsurf = nullptr;
    FLONG flHooks;
    if (bIsBitmapMode(pPDev)) {
        flHooks = GEN_HOOKS_BITMAP;
        LONG cbRow;
        ULONG iFormat;
        if (pdm->ui.dmMirror.dmColor == DMCOLOR_MONOCHROME) {
            cbRow = (cx + 7) / 8;
            iFormat = BMF_1BPP;
        } else {
            cbRow = cx * 3;
            iFormat = BMF_24BPP;
        }
        LONG cyBitmap = cy;
        BOOL bBanded = FALSE;
        LONG cyBand = GEN_BAND_BYTES / cbRow;
        if (cy > cyBand) {
            cyBitmap = cyBand;
            bBanded = TRUE;
        }
        SIZEL sizl = {cx, cyBitmap};
        hsurf = reinterpret_cast<HSURF>(EngCreateBitmap(sizl, cbRow, iFormat, BMF_TOPDOWN, nullptr));
        if (hsurf && bBanded && !EngMarkBandingSurface(hsurf)) {
            EngDeleteSurface(hsurf);
            hsurf = nullptr;
        }
        pPDev->cyPage = cy;
    } else {
        flHooks = GEN_HOOKS_DEVICE;
        ULONG iFormat = BMF_24BPP;
        PdlEnableSurface(pPDev);
        SIZEL sizl = {cx, cy};
        hsurf = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pPDev), sizl, iFormat);
    }
    SetPdevHsurf(pPDev, hsurf);
    if (!hsurf)
        return nullptr;
    EngAssociateSurface(hsurf, PdevHdev(pPDev), flHooks);
    return hsurf;
}

void GenDisableSurface(PDEV* pPDev)
{
    if (!pPDev || pPDev->dwSignature != PDEV_SIGNATURE || pPDev->dwSignatureEnd != PDEV_SIGNATURE)
        return;
    if (HSURF hsurf = PdevHsurf(pPDev))
        EngDeleteSurface(hsurf);
    SetPdevHsurf(pPDev, nullptr);
}

void GenDisablePDEV(PDEV* pPDev)
{
    if (!bCheckPDEV(pPDev))
        return;
    if (HPALETTE hpal = PdevHpal(pPDev)) {
        EngDeletePalette(hpal);
        SetPdevHpal(pPDev, nullptr);
    }
    // A device context that goes away in the middle of a job still tears its
    // writer down (the spool state, the temporary file, the form file) and
    // lets the page generator release its job, output dropped. A PDEV that
    // handed its job over at ResetPDEV holds no writer and does neither.
    ResetJobRecordBuffer(pPDev);
    if (PdevWriter(pPDev)) {
        pPDev->fJob |= PDEVF_DROPOUTPUT;
        if (pPDev->fJob & PDEVF_DOCSTARTED)
            PdlEndDoc(pPDev);
        ResetJobRecordBuffer(pPDev);
        CloseJobRecordStream(pPDev);
    }
    // The font-substitution list the UI sent is this PDEV's own copy.
    FreeFontSubstCopy(pPDev);
    // So are the recorded segments: an application may ask for the store
    // before StartDoc, after EndDoc or in a job it then aborts.
    ReleaseSegments(pPDev);
    // And whatever else the work area's side record rows still hold (a job
    // handed over at ResetPDEV took its buffers with it).
    PdlFreeWorkBuffers(pPDev);
    FreePDEV(pPDev);
}

void FreePDEV(PDEV* pPDev)
{
    if (!pPDev)
        return;
    // The rows are what the PDEV owns, whatever its slots say (pdevside.h).
    if (HANDLE hModule = reinterpret_cast<HANDLE>(PdevRefTake(pPDev, PREF_MODULE)))
        EngFreeModule(hModule);
    if (void* pDocBuf = reinterpret_cast<void*>(PdevRefTake(pPDev, PREF_DOCBUF)))
        GfxFree(pDocBuf);
    pPDev->slModule = 0;
    pPDev->slDocBuf = 0;
    pPDev->dwSignature = 0;
    pPDev->dwSignatureEnd = 0;
    // The chain frees the PDEV's block last, and the side record with it.
    CHAINHEAD* pChain = reinterpret_cast<CHAINHEAD*>(PdevRefTake(pPDev, PREF_CHAIN));
    pPDev->slChain = 0;
    FreeChainList(pChain);
}
