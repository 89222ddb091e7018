// faxjob.cpp: the PC-fax job with cover sheets (see faxjob.h).
#include "ui/driverui/faxjob.h"

#include <cstring>

#include "platform/gdi/gdidraw.h"
#include "ui/driverui/docevent.h"
#include "ui/driverui/faxcover_render.h"
#include "ui/driverui/faxpagesetup.h"
#include "ui/driverui/dochooks.h"
#include "ui/driverui/docevent_store.h"
#include "ui/settings/devmode.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"

namespace {

bool Ok(int iResult) { return iResult > 0; }

// The job DEVMODE's batching flag and kind.
const DWORD kDmBatching = 2310;
const DWORD kDmBatchKind = 2311;

BYTE* AllocZeroed(DWORD cb)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    BYTE* p = h ? (BYTE*)GlobalLock(h) : nullptr;
    if (!p && h) GlobalFree(h);
    return p;
}

void FreeZeroed(BYTE** pp)
{
    if (*pp) {
        HGLOBAL h = GlobalHandle(*pp);
        GlobalUnlock(h);
        GlobalFree(h);
        *pp = nullptr;
    }
}

// The name and extension of a full path (at most 29 characters).
void FileNamePart(LPCWSTR pszPath, WCHAR szOut[FAXJOB_BATCH_NAME_CCH])
{
    LPCWSTR p = pszPath;
    for (LPCWSTR q = pszPath; *q; ++q)
        if (*q == u'\\' || *q == u'/') p = q + 1;
    memset(szOut, 0, FAXJOB_BATCH_NAME_CCH * sizeof(WCHAR));
    lstrcpynW(szOut, p, FAXJOB_BATCH_NAME_CCH);
}

}  // namespace

int FaxBatchCount(BOOL bBatching, BYTE bKind, int iTotal)
{
    if (!bBatching) return 1;
    if (bKind == 0) return (iTotal + FAXJOB_BATCH_SIZE - 1) / FAXJOB_BATCH_SIZE;
    if (bKind == 1) return iTotal;
    return 1;
}

void FaxBatchRange(BOOL bBatching, BYTE bKind, int iTotal, int iBatch, int* piFirst, int* piLast)
{
    int iFirst = 0, iLast = iTotal;
    if (bBatching && bKind == 0) {
        iFirst = FAXJOB_BATCH_SIZE * iBatch;
        iLast = iFirst + FAXJOB_BATCH_SIZE < iTotal ? iFirst + FAXJOB_BATCH_SIZE : iTotal;
    } else if (bBatching && bKind == 1) {
        iFirst = iBatch;
        iLast = iBatch + 1 < iTotal ? iBatch + 1 : iTotal;
    }
    *piFirst = iFirst;
    *piLast = iLast;
}

int GetCoverSheetPaper(LPCWSTR pszPrinter)
{
    WCHAR szKey[USERREG_PATH_CCH];
    if (!pszPrinter || !BuildUserRegPath(szKey, pszPrinter, u"Fax Cover Sheet", nullptr)) return 5;
    DWORD dw = 5, cb = sizeof(dw), dwType = 0;
    if (!bQueryUserRegValue(HKEY_CURRENT_USER, szKey, &dwType, u"FCSPaper", &dw, &cb) || cb != sizeof(dw))
        return 5;
    return dw > 5 ? 5 : (int)dw;
}

int ScalePrintableValue(int iResolution, LONG lValue, LONG* plDots)
{
    LONG d = (lValue * 30 + 127) / 254;
    switch (iResolution) {
    case 200: d = (d * 4 + 3) / 6; break;
    case 400: d = (d * 8 + 3) / 6; break;
    case 600: d = d * 2; break;
    default: return 0;
    }
    if (plDots) *plDots = d;
    return 1;
}

// The cover context of one batch from the job DEVMODE and the user's
// cover sheet settings.
static void FillCoverContext(COVERCTX* c, const DRVDEVMODE* pDrv, HDC hdc, const FAXCOVER* pCover,
                             const FAXWDEST* pDests, int cDests, int iFirst, int iLast, const WORD* pSendTime)
{
    const ENVEXTRA& e = pDrv->env;
    const BYTE abFlags[CF_COUNT] = {e.FaxCover_Subject, e.FaxCover_ReceiveName, e.FaxCover_ReceiveFaxnum,
                                    e.FaxCover_ReceiveCompany1, e.FaxCover_ReceiveCompany2,
                                    e.FaxCover_ReceiveSetup, e.FaxCover_ReceivePersonal, e.FaxCover_SenderName,
                                    e.FaxCover_SenderCompany1, e.FaxCover_SenderCompany2,
                                    e.FaxCover_SenderTelnum, e.FaxCover_SenderFaxnum, e.FaxCover_SenderEmail,
                                    e.FaxCover_Date, e.FaxCover_Pagenum, e.FaxCover_Image, e.FaxCover_Zoom,
                                    e.FaxCover_A4PFix};
    memcpy(c->abFlags, abFlags, sizeof(abFlags));
    c->hdc = hdc;
    c->dwResolution = pDrv->dm.dmYResolution > 0 ? (DWORD)pDrv->dm.dmYResolution : 600;
    BOOL bLandscape = !e.FaxCover_A4PFix && pDrv->dm.dmOrientation != 1;
    c->dwFrameW = bLandscape ? COVER_FRAME_H : COVER_FRAME_W;
    c->dwFrameH = bLandscape ? COVER_FRAME_W : COVER_FRAME_H;
    // The sheet is designed for the printable area of A4; a smaller page
    // gets it shrunk to fit, so that no part of it falls off the paper. The
    // printable rectangle is kept upright; a landscape page turns it.
    const RECTL& rcPrint = pDrv->ui.rcPrintMm;
    LONG lPrintW = rcPrint.right - rcPrint.left, lPrintL = rcPrint.bottom - rcPrint.top;
    if (pDrv->dm.dmOrientation != 1) {
        LONG l = lPrintW;
        lPrintW = lPrintL;
        lPrintL = l;
    }
    c->dwFitPercent = CoverFitPercent(lPrintW, lPrintL, c->dwFrameW, c->dwFrameH);
    c->dwResRatio = CoverResolutionRatio(c->dwFrameW, c->dwResolution);
    c->pCover = pCover;
    if (pCover) {
        c->dwImageZoom = pCover->dwZoom;
        c->dwImageX = (c->dwFrameW * pCover->dwX + 5000) / 10000;
        c->dwImageY = (c->dwFrameH * pCover->dwY + 5000) / 10000;
        lstrcpynW(c->szImage, pCover->szImage, 260);
        c->iStyle = (int)pCover->dwStyle - 1;
    }
    c->pDests = pDests;
    c->cDests = cDests;
    c->iFirst = iFirst;
    c->iLast = iLast;
    BOOL bAllZero = TRUE;
    for (int i = 0; i < 5; ++i) bAllZero = bAllZero && pSendTime[i] == 0;
    c->bSendDate = bAllZero ? 0 : e.nParam53;
    c->awSendDate[0] = pSendTime[0];
    c->awSendDate[1] = pSendTime[1];
    c->awSendDate[2] = 0;
    c->awSendDate[3] = pSendTime[2];
}

int PrintCoverSheetPage(BYTE* pJobBlock, HDC hdc, const FAXWDEST* pDests, int cDests, int iFirst,
                        int iLast, const WORD* pSendTime)
{
    if (!pJobBlock || !pDests || !pSendTime) return 0;
    const DRVDEVMODE* pDrv = (const DRVDEVMODE*)(pJobBlock + JOBBLOCK_DEVMODE);
    WCHAR szPrinter[33] = {};
    lstrcpynW(szPrinter, (LPCWSTR)pDrv->dm.dmDeviceName, 33);

    // The user's cover sheet record, loaded into a record of its own; the
    // defaults stand where nothing is stored.
    FAXCOVER* pCover = AllocFaxCover();
    if (pCover) {
        SetFaxCoverDefaults(pCover);
        REGTREESET set = {};
        BuildRegTreeTables(&set);
        LoadFaxCover(&pCover, &set, szPrinter);
        FreeRegTreeTables(&set);
    }

    // The cover page gets its own page set-up; the job's is put back after
    // it on every path that changed it.
    PDEVSTATE* pSaved = (PDEVSTATE*)AllocZeroed(PDEVSTATE_SIZE);
    if (!pSaved) {
        FreeFaxCover(&pCover);
        return 0;
    }
    SavePageSetupState(pJobBlock, pSaved);
    if (!SetCoverPageSetup(pJobBlock, hdc, pSaved)) {
        BYTE* p = (BYTE*)pSaved;
        FreeZeroed(&p);
        FreeFaxCover(&pCover);
        return 0;
    }
    pDrv = (const DRVDEVMODE*)(pJobBlock + JOBBLOCK_DEVMODE);

    COVERCTX* pCtx = (COVERCTX*)AllocZeroed(sizeof(COVERCTX));
    int iResult = 0;
    if (pCtx) {
        FillCoverContext(pCtx, pDrv, hdc, pCover, pDests, cDests, iFirst, iLast, pSendTime);
        // The cover page is a page of its own in the batch's capture.
        if (StartPage(hdc) > 0) {
            int iOldMode = SetMapMode(hdc, MM_TEXT);
            LayoutCoverSheet(pCtx);
            if (iOldMode) SetMapMode(hdc, iOldMode);
            iResult = EndPage(hdc) > 0 ? 1 : 0;
        }
        BYTE* p = (BYTE*)pCtx;
        FreeZeroed(&p);
    }
    if (!SendPageSetupState(pJobBlock, hdc, pSaved)) iResult = 0;
    BYTE* p = (BYTE*)pSaved;
    FreeZeroed(&p);
    FreeFaxCover(&pCover);
    return iResult;
}

int RunFaxJob(HDC hdc)
{
    BYTE* pBlock = ReadJobBlock(hdc);
    if (!pBlock) return 0;
    BYTE* pWork = ReadWorkArea(hdc);
    if (!pWork) {
        FreeZeroed(&pBlock);
        return 0;
    }
    const BYTE* pDm = pBlock + JOBBLOCK_DEVMODE;
    const DRVDEVMODE* pDrv = (const DRVDEVMODE*)pDm;
    WCHAR szPrinter[33] = {};
    lstrcpynW(szPrinter, (LPCWSTR)pDrv->dm.dmDeviceName, 33);

    // The wide destination array; a damaged count is bounded.
    const FAXDESTFILE* pFile = (const FAXDESTFILE*)(pWork + WA_FAX_DESTS);
    LONG n = pFile->cDest;
    if (n < 0) n = 0;
    if (n > FAXDEST_MAX) n = FAXDEST_MAX;
    BYTE* pArray = AllocZeroed(4 + FAXWDEST_SIZE * FAXDEST_MAX);
    if (!pArray) {
        FreeZeroed(&pWork);
        FreeZeroed(&pBlock);
        return 0;
    }
    memcpy(pArray, &n, 4);
    FAXWDEST* pDests = (FAXWDEST*)(pArray + 4);
    for (LONG k = 0; k < n; ++k) {
        const FAXDEST& s = pFile->aDest[k];
        for (int i = 0; i < 4; ++i) {
            int cb = (int)strnlen(s.aszText[i], FAXDEST_TEXT_BYTES);
            if (cb > 0)
                MultiByteToWideChar(CP_ACP, 0, s.aszText[i], cb, pDests[k].aszText[i], FAXWDEST_TEXT_CCH);
        }
        pDests[k].bEcm = s.bEcm;
        pDests[k].bIntl = s.bIntl;
        pDests[k].bV34 = s.bV34;
    }
    WORD awSendTime[5];
    memcpy(awSendTime, pWork + WA_FAX_SEND_TIME, sizeof(awSendTime));
    FreeZeroed(&pWork);

    int iResult = 0;
    DWORD dwTotal = n ? (DWORD)n : 1;
    BOOL bBatching = pDm[kDmBatching] != 0;
    BYTE bKind = pDm[kDmBatchKind];
    DWORD dwCount = (DWORD)FaxBatchCount(bBatching, bKind, (int)dwTotal);
    DWORD dwZero = 0;
    WCHAR szTemp[260] = {};
    // Entries already listed (the job's capture file) keep their places.
    DWORD dwBase = GetFaxTempfileCount(szPrinter);
    do {
        if (!Ok(DocEscape(hdc, ESC_FAX_CAPTURE_ON, 4, &dwTotal, 0, nullptr)) ||
            !Ok(DocEscape(hdc, ESC_FAX_BATCHES, 4, &dwCount, 0, nullptr)) ||
            !Ok(DocEscape(hdc, ESC_FAX_BATCH, 4, &dwZero, 0, nullptr)))
            break;
        DWORD cch = GetTempPathW(260, szTemp);
        if (cch == 0 || cch >= 260 || !Ok(DocEscape(hdc, ESC_FAX_DIR, sizeof(szTemp), szTemp, 0, nullptr)))
            break;
        SetFaxTempfileCount(szPrinter, dwBase + dwCount + 1);

        BOOL bFiles = TRUE;
        for (DWORD i = 0; i < dwCount && bFiles; ++i) {
            WCHAR szFile[MAX_PATH];
            FAXBATCHNAME rec = {};
            rec.dwIndex = i;
            if (!GetTempFileNameW(szTemp, u"xfc", 0, szFile)) {
                bFiles = FALSE;
                break;
            }
            SetFaxTempfileName(szPrinter, (int)(dwBase + i), szFile);
            FileNamePart(szFile, rec.szName);
            bFiles = Ok(DocEscape(hdc, ESC_FAX_BATCH_NAME, sizeof(rec), &rec, 0, nullptr));
        }
        if (!bFiles) break;
        WCHAR szJob[MAX_PATH];
        WCHAR szJobName[FAXJOB_BATCH_NAME_CCH];
        if (!GetTempFileNameW(szTemp, u"xfj", 0, szJob)) break;
        SetFaxTempfileName(szPrinter, (int)(dwBase + dwCount), szJob);
        FileNamePart(szJob, szJobName);
        if (!Ok(DocEscape(hdc, ESC_FAX_JOB_NAME, sizeof(szJobName), szJobName, 0, nullptr))) break;

        BOOL bBatches = TRUE;
        for (DWORD i = 0; i < dwCount && bBatches; ++i) {
            DWORD adwCounters[FAXJOB_COUNTERS] = {};
            WCHAR szDoc[260] = {};
            int iFirst = 0, iLast = 0;
            BYTE bKindDest = FAXCAPTURE_DEST;
            FaxBatchRange(bBatching, bKind, (int)dwTotal, (int)i, &iFirst, &iLast);
            DWORD dwFirst = (DWORD)iFirst, dwLast = (DWORD)iLast;
            bBatches = Ok(DocEscape(hdc, ESC_FAX_GET_COUNTERS, 0, nullptr, sizeof(adwCounters), adwCounters)) &&
                       Ok(DocEscape(hdc, ESC_FAX_BATCH, 4, &i, 0, nullptr)) &&
                       Ok(DocEscape(hdc, ESC_FAX_FIRST_DEST, 4, &dwFirst, 0, nullptr)) &&
                       Ok(DocEscape(hdc, ESC_FAX_LAST_DEST, 4, &dwLast, 0, nullptr)) &&
                       Ok(DocEscape(hdc, ESC_FAX_CAPTURE_KIND, 1, &bKindDest, 0, nullptr)) &&
                       Ok(DocEscape(hdc, ESC_FAX_RESET_PAGE, 0, nullptr, 0, nullptr)) &&
                       Ok(DocEscape(hdc, ESC_FAX_GET_DOC_NAME, 0, nullptr, sizeof(szDoc), szDoc)) &&
                       Ok(DocEscape(hdc, ESC_FAX_JOB_HEADER, sizeof(szDoc), szDoc, 0, nullptr));
            if (!bBatches) break;
            PrintCoverSheetPage(pBlock, hdc, pDests, (int)n, iFirst, iLast, awSendTime);
            bBatches = Ok(DocEscape(hdc, ESC_FAX_CAPTURE_KIND, 1, &bKindDest, 0, nullptr)) &&
                       Ok(DocEscape(hdc, ESC_FAX_SET_COUNTERS, sizeof(adwCounters), adwCounters, 0, nullptr));
        }
        if (!bBatches) break;
        BYTE bCommon = FAXCAPTURE_COMMON, bDone = 0;
        if (!Ok(DocEscape(hdc, ESC_FAX_CAPTURE_KIND, 1, &bCommon, 0, nullptr)) ||
            !Ok(DocEscape(hdc, ESC_FAX_CAPTURE_DONE, 1, &bDone, 0, nullptr)))
            break;
        iResult = 1;
    } while (false);

    FreeZeroed(&pArray);
    FreeZeroed(&pBlock);
    return iResult;
}
