// jobflow.cpp: the shape of one job in the stream: job start, the PJL job
// header, page start and end, job end, and what a ResetPDEV carries over.
//
// Facts the code relies on:
//  1. The header is written at most once per job, on the first page (or by
//     the escape that asks for it), and never in form-file mode, where the
//     stream becomes an overlay file.
//  2. Texts from the document or the user reach PJL lines only through
//     PjlCleanText, so no name can end a line or a quoted value.
//  3. The closing universal exit sequence needs the header and the UI's
//     end-of-job marker; an unfinished job leaves the printer in PJL.
#include <cstring>

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "platform/windows.h"

namespace {

const char* const kNoDocName = "DocName: NULL";

void _FreeInsertSheets(PDEV* pPDev)
{
    // The row is the PDEV's whatever the slot says now.
    BYTE* pb = reinterpret_cast<BYTE*>(PdevRefTake(pPDev, PREF_INSERTSHEETS));
    if (pb != nullptr) {
        HGLOBAL h = GlobalHandle(pb);
        if (h != nullptr) {
            GlobalUnlock(h);
            GlobalFree(h);
        }
    }
    PdlWork(pPDev)->slInsertSheets = 0;
}

void _CopyRange(BYTE* pTo, const BYTE* pFrom, int off, int cb)
{
    memcpy(pTo + off, pFrom + off, cb);
}

}  // namespace

const char* GetModelString()
{
    return "OSTREL BRAVINE QX-730";
}

const char* GetPdlVersionString()
{
    return "ORDEX2 V";
}

const char* GetDriverVersionString()
{
    return "04.03";
}

const char* GetLanguageName(int nPdlMode)
{
    static const struct {
        int nMode;
        const char16_t* pszName;
    } s_aLang[] = {
#define PDL_ROW(mode, name) {mode, name},
#include "pdl_languages.inc"
#undef PDL_ROW
    };
    static char s_aszNames[sizeof(s_aLang) / sizeof(s_aLang[0])][16];
    static const bool s_bReady = [] {
        for (size_t i = 0; i < sizeof(s_aLang) / sizeof(s_aLang[0]); ++i) {
            int j = 0;
            for (; j < 15 && s_aLang[i].pszName[j] != 0; ++j) {
                s_aszNames[i][j] = (char)s_aLang[i].pszName[j];
            }
            s_aszNames[i][j] = 0;
        }
        return true;
    }();
    (void)s_bReady;
    for (size_t i = 0; i < sizeof(s_aLang) / sizeof(s_aLang[0]); ++i) {
        if (s_aLang[i].nMode == nPdlMode) {
            return s_aszNames[i];
        }
    }
    return "error";
}

BOOL bIsJobEndPending(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    return pWork->bHeaderWritten == 1 && pWork->bJobEndPending == 1;
}

void SetPageState(PDEV* pPDev, BYTE bState)
{
    PdlWork(pPDev)->bPageState = bState;
}

BYTE GetPageState(PDEV* pPDev)
{
    return PdlWork(pPDev)->bPageState;
}

void PdlStartDocBody(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    pWork->lWorkOffset = (LONG)(reinterpret_cast<BYTE*>(pWork) - reinterpret_cast<BYTE*>(pPDev));
    pWork->bHeaderWritten = 0;
    pWork->bPageSetUp = 0;
    pWork->bDocOpen = 1;
    pWork->nPageSide = 1;
    pWork->bFirstPageDone = 0;
    pWork->bFormFileMode = DmByte(pPDev, 879) == 2 ? 1 : 0;
    pWork->bJobEndPending = 0;
    pWork->bPageState = 1;
    memset(&pWork->psCurrent, 0, sizeof(pWork->psCurrent));

    pWork->bBlankSkip = DmByte(pPDev, 1539);
    // A booklet (layout kind 788 = 4) keeps every page: its sheet sides are
    // spliced from the page parts at replay, so a page held back and sent
    // whole at its end would lose its set-up and body, and a dropped page
    // would move every later page across the fold.
    if (pWork->bFormFileMode || bIsFaxCapture(pPDev) || DmByte(pPDev, 1410) != 0 || DmByte(pPDev, 788) == 4) {
        pWork->bBlankSkip = 0;
    }
    pWork->bPageBlank = 0;
    pWork->bPageBuffered = 0;
    memset(pWork->szBlankPath, 0, sizeof(pWork->szBlankPath));
    pWork->aBlankState[0] = 0;
    memset(&pWork->psBuffered, 0, sizeof(pWork->psBuffered));
    pWork->nBufferedSide = 1;
    ResetBlankPageState(pPDev);

    memset(pWork->aTimerDate, 0, sizeof(pWork->aTimerDate));
    pPDev->bPageFlag = 0;
    pWork->bForceRop = 0;
    pWork->lForceRop = 1;

    pWork->nLogicalPage = 1;
    // A document started twice without its end must not leak the table.
    FreeSheetTable(pPDev);
    memset(pWork->aSchedule, 0, sizeof(pWork->aSchedule));
    pWork->bRecording = 0;

    // A document started twice without its end must not leak the buffer.
    _FreeInsertSheets(pPDev);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, PDL_INSERT_BUF_SIZE);
    if (h != nullptr) {
        SetPdlInsertSheets(pPDev, static_cast<BYTE*>(GlobalLock(h)));
        if (PdlInsertSheets(pPDev) == nullptr) {
            GlobalFree(h);
        }
    }
    memset(pWork->aInsertValues, 0, sizeof(pWork->aInsertValues));
    // A segment store asked for before the document is freed, not dropped.
    ReleaseSegments(pPDev);

    pWork->bDrawKind = 0;
    LoadToneCurve(pPDev);
    memset(pWork->aFaxDate, 0, sizeof(pWork->aFaxDate));
    InitCaptureState(pPDev);
    memset(pWork->aUserPaper, 0, sizeof(pWork->aUserPaper));
}

void PdlStartPageBody(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    SetDrawingKind(pPDev, 1);

    LONG left = DmLong(pPDev, 823);
    LONG top = DmLong(pPDev, 827);
    LONG right = DmLong(pPDev, 831);
    LONG bottom = DmLong(pPDev, 835);
    if (DmShort(pPDev, 296) != DMORIENT_LANDSCAPE) {
        pWork->cxPrintable = (SHORT)(right - left);
        pWork->cyPrintable = (SHORT)(bottom - top);
    } else {
        pWork->cxPrintable = (SHORT)(bottom - top);
        pWork->cyPrintable = (SHORT)(right - left);
    }

    WritePagesBeforeFirstPage(pPDev);

    if (pWork->bPageSetUp == 0) {
        if (pWork->bBlankSkip) {
            FlushPageBuffer(pPDev);
            pWork->aBlankState[0] = 0;
            pWork->bPageBlank = 1;
            pWork->bPageBuffered = 1;
            pWork->psBuffered = pWork->psCurrent;
            pWork->nBufferedSide = pWork->nPageSide;
            OpenPageBuffer(pPDev);
        }
        PdlPageSetup(pPDev);
        pWork->bPageSetUp = 1;
        if (pWork->bFirstPageDone == 0) {
            pWork->bFirstPageDone = 1;
        }
    }
    ResetClipToNone(pPDev);
}

void EjectPage(PDEV* pPDev)
{
    if (DmByte(pPDev, 2155) == 1) {
        WritePageEndPattern(pPDev);
    }
    PdlPrintf(pPDev, "prn;\n");
    ++PdlWork(pPDev)->nPageSide;
}

void EndPageNormally(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    // A page with nothing drawn since its set-up is left off paper only
    // when blank-page skipping is really in force for this job (it is
    // forced off for overlays and fax capture, whose pages must all end).
    BOOL bSkipEject =
        DmByte(pPDev, 1410) == 0 && pWork->bBlankSkip == 1 && pWork->bPageState == 1;
    if (!bSkipEject) {
        EjectPage(pPDev);
    }
}

void PdlSendPageBody(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    // The page's own recorded drawing, its end (EndPageNormally) and the
    // sheets inserted after it, in that order.
    WritePagesAfterPage(pPDev);
    ++pWork->nLogicalPage;
    pWork->bPageSetUp = 0;

    if (pWork->bBlankSkip) {
        FlushPageBuffer(pPDev);
        if (pWork->bPageBlank) {
            pWork->psCurrent = pWork->psBuffered;
            pWork->nPageSide = pWork->nBufferedSide;
            pWork->bFirstPageDone = 0;
            ClosePageBuffer(pPDev, TRUE);
        } else {
            ClosePageBuffer(pPDev, FALSE);
        }
        pWork->aBlankState[0] = 0;
        pWork->bPageBlank = 0;
        pWork->bPageBuffered = 0;
    }
    pWork->bPageState = 1;
}

BOOL WriteUEL(PDEV* pPDev)
{
    return PdlPrintf(pPDev, "\x1B%%-12345X") > 0;
}

void PJLEnterLanguage(PDEV* pPDev)
{
    PdlPrintf(pPDev, "@PJL ENTER LANGUAGE = %s\n", GetLanguageName(DmByte(pPDev, 1410)));
}

void PJLSetUserPapers(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    for (int i = 0; i < 10; ++i) {
        SHORT cx = (SHORT)(pWork->aUserPaper[i][0] & 0xFFFF);
        SHORT cy = (SHORT)(pWork->aUserPaper[i][1] & 0xFFFF);
        PdlPrintf(pPDev, "@PJL SET USERDEF%d = %d %d MANUAL\n", i, cx / 10, cy / 10);
    }
}

BOOL WriteJobHeader(PDEV* pPDev, LPCWSTR pwszDocName)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->bFormFileMode == 1 || pWork->bHeaderWritten == 1) {
        return TRUE;
    }
    char achTitle[129];
    if (pwszDocName != nullptr) {
        UnicodeToAnsi(achTitle, pwszDocName, sizeof(achTitle));
        UnicodeToAnsi(pWork->szDocName, pwszDocName, 255);
    } else {
        strcpy(achTitle, kNoDocName);
        strcpy(pWork->szDocName, kNoDocName);
    }
    PjlCleanText(achTitle);
    PjlCleanText(pWork->szDocName);

    WriteUEL(pPDev);
    PdlPrintf(pPDev, "@PJL\n");
    PdlPrintf(pPDev, "@PJL COMMENT HEADER %s %s\n", GetModelString(), GetPdlVersionString());
    PdlPrintf(pPDev, "@PJL COMMENT Title : %s ;\n", achTitle);
    PdlPrintf(pPDev, "@PJL COMMENT Driver version : %s\n", GetDriverVersionString());
    SetOptionPJL(pPDev);
    if (DmByte(pPDev, 1410) != 0) {
        PJLSetUserPapers(pPDev);
    }
    PJLEnterLanguage(pPDev);
    // A fax job announces one copy in PJL; the language's own copy count
    // must say the same, or the fax would be sent several times.
    int nCopies = bIsFaxJob(pPDev) ? 1 : DmShort(pPDev, 306);
    PdlPrintf(pPDev, "ini %d %d %s;\n", (int)DmShort(pPDev, 316), nCopies, "S");
    pWork->bHeaderWritten = 1;
    return TRUE;
}

void PdlEndDocBody(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    SetDrawingKind(pPDev, 0);
    ReleaseSegments(pPDev);
    if (bIsJobEndPending(pPDev)) {
        if (pWork->bFormFileMode == 0) {
            WriteUEL(pPDev);
            if (bIsFaxCapture(pPDev)) {
                SendCaptureFiles(pPDev);
            }
        }
    }
    FreeCaptureBuffer(pPDev);
    pWork->bDocOpen = 0;
    pWork->bDropOutput = 0;
    pWork->bFormFileMode = 0;
    FreeSheetTable(pPDev);
    pWork->bPageState = 1;
    if (pWork->bBlankSkip) {
        ClosePageBuffer(pPDev, FALSE);
        FreePageBuffer(pPDev);
        pWork->aBlankState[0] = 0;
    }
    pWork->bPageBlank = 0;
    pWork->bPageBuffered = 0;
    EndBlankPageState(pPDev);
    _FreeInsertSheets(pPDev);
}

void PdlCopyJobState(PDEV* pNew, PDEV* pOld)
{
    PDLWORK* pTo = PdlWork(pNew);
    PDLWORK* pFrom = PdlWork(pOld);
    pTo->bHeaderWritten = pFrom->bHeaderWritten;
    pTo->bPageSetUp = pFrom->bPageSetUp;
    pTo->bFirstPageDone = pFrom->bFirstPageDone;
    pTo->bDocOpen = pFrom->bDocOpen;
    pTo->bDropOutput = pFrom->bDropOutput;
    pTo->nPageSide = pFrom->nPageSide;
    pTo->bFormFileMode = pFrom->bFormFileMode;
    pTo->bJobEndPending = pFrom->bJobEndPending;

    if (pFrom->bDocOpen == 1) {
        // The job keeps its own settings; only the page-level fields follow
        // the DEVMODE the application reset the device context with.
        BYTE* pdmNew = PdlDevmodeBytes(pNew);
        const BYTE* pdmOld = PdlDevmodeBytes(pOld);
        BYTE abNew[DRV_DEVMODE_SIZE];
        memcpy(abNew, pdmNew, sizeof(abNew));
        memcpy(pdmNew + 220, pdmOld + 220, DRV_UIEXTRA_SIZE);
        memcpy(pdmNew + DRV_ENVEXTRA_OFFSET, pdmOld + DRV_ENVEXTRA_OFFSET, DRV_ENVEXTRA_SIZE);
        const int kUi = 220;
        const int kEnv = DRV_ENVEXTRA_OFFSET;
        _CopyRange(pdmNew, abNew, kUi + 0, 220);     // shadow public header
        _CopyRange(pdmNew, abNew, kUi + 556, 2);
        _CopyRange(pdmNew, abNew, kUi + 654, 2);
        _CopyRange(pdmNew, abNew, kUi + 571, 80);    // twenty int32
        _CopyRange(pdmNew, abNew, kUi + 1192, 4);
        _CopyRange(pdmNew, abNew, kEnv + 127, 8);    // four int16
        _CopyRange(pdmNew, abNew, kEnv + 957, 16);   // four int32
        _CopyRange(pdmNew, abNew, kEnv + 991, 16);   // four int32
    }

    pTo->bPageState = 1;
    pTo->psCurrent = pFrom->psCurrent;
    pTo->bBlankSkip = pFrom->bBlankSkip;
    pTo->bPageBlank = pFrom->bPageBlank;
    pTo->bPageBuffered = pFrom->bPageBuffered;
    memcpy(pTo->szBlankPath, pFrom->szBlankPath, sizeof(pTo->szBlankPath));
    // The blank-page buffer moves with the job (its slot in word 1); one the
    // new PDEV had is released first.
    FreePageBuffer(pNew);
    memcpy(pTo->aBlankState, pFrom->aBlankState, sizeof(pTo->aBlankState));
    pTo->aBlankState[1] = static_cast<LONG>(PdevRefMove(pNew, pOld, PREF_BLANKBUF));
    pTo->psBuffered = pFrom->psBuffered;
    pTo->nBufferedSide = pFrom->nBufferedSide;
    pTo->cxPrintable = pFrom->cxPrintable;
    pTo->cyPrintable = pFrom->cyPrintable;
    memcpy(pTo->szDocName, pFrom->szDocName, sizeof(pTo->szDocName));
    memcpy(pTo->szUserName, pFrom->szUserName, sizeof(pTo->szUserName));
    memcpy(pTo->szAppName, pFrom->szAppName, sizeof(pTo->szAppName));
    pTo->lUserNameSum = pFrom->lUserNameSum;
    pTo->cchUserName = pFrom->cchUserName;
    pTo->nOwnerCheck = pFrom->nOwnerCheck;
    memcpy(pTo->aSecure, pFrom->aSecure, sizeof(pTo->aSecure));
    pTo->bForceRop = pFrom->bForceRop;
    pTo->lForceRop = pFrom->lForceRop;
    pNew->bPageFlag = pOld->bPageFlag;

    // The insert-sheet buffer moves with the job: the old work area forgets
    // it, so that it is freed once.
    // Each buffer moves as its side record row, the slot with it.
    _FreeInsertSheets(pNew);
    // So does the sheet table (its slot is the header's word at 27168).
    FreeSheetTable(pNew);
    memcpy(pTo->aSchedule, pFrom->aSchedule, sizeof(pTo->aSchedule));
    pTo->aSchedule[2] = static_cast<LONG>(PdevRefMove(pNew, pOld, PREF_SHEETTABLE));
    memset(pFrom->aSchedule, 0, sizeof(pFrom->aSchedule));
    pTo->nLogicalPage = pFrom->nLogicalPage;
    pTo->slInsertSheets = PdevRefMove(pNew, pOld, PREF_INSERTSHEETS);
    pFrom->slInsertSheets = 0;
    memcpy(pTo->aInsertValues, pFrom->aInsertValues, sizeof(pTo->aInsertValues));
    pTo->bRecording = pFrom->bRecording;
    ReleaseSegments(pNew);
    memcpy(pTo->aReplay, pFrom->aReplay, sizeof(pTo->aReplay));
    // The blank-page buffer and the segment store and index move as well.
    // SEGMENTSTATE (graphics/ddi/escape.h): the store's slot in word 2,
    // the index's in word 4.
    pTo->aReplay[2] = static_cast<LONG>(PdevRefMove(pNew, pOld, PREF_SEGSTORE));
    pTo->aReplay[4] = static_cast<LONG>(PdevRefMove(pNew, pOld, PREF_SEGINDEX));
    pFrom->aBlankState[1] = 0;
    pFrom->aReplay[2] = 0;
    pFrom->aReplay[4] = 0;

    pTo->bDrawKind = pFrom->bDrawKind;
    memcpy(pTo->abToneCurve, pFrom->abToneCurve, sizeof(pTo->abToneCurve));
    CopyCaptureState(pNew, pOld);
    memcpy(pTo->aUserPaper, pFrom->aUserPaper, sizeof(pTo->aUserPaper));
    memcpy(pTo->aTimerDate, pFrom->aTimerDate, sizeof(pTo->aTimerDate));
}

void PdlFreeWorkBuffers(PDEV* pPDev)
{
    if (pPDev == nullptr) {
        return;
    }
    FreeCaptureBuffer(pPDev);
    _FreeInsertSheets(pPDev);
    FreeSheetTable(pPDev);
    FreePageBuffer(pPDev);
}
