// stubs_later.cpp: the entry points of the page generator's later files
// (attribute cache and brushes, clipping and raster operations, paths,
// text, images, special pages and their schedule, recorded segments and
// overlays, blank-page skipping), answering as if nothing were scheduled,
// recorded, buffered or cached.
//
// Each is a weak definition: the file that builds the real one replaces it
// without touching this one; delete a stub here once its file exists.
#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "ui/settings/papertable.h"

#define PDL_LATER __attribute__((weak))

// ---- special pages and their schedule ----
PDL_LATER void WritePagesBeforeFirstPage(PDEV*) {}
PDL_LATER void WritePagesAfterPage(PDEV* pPDev)
{
    EndPageNormally(pPDev);
}
PDL_LATER BOOL FreeSheetTable(PDEV*)
{
    return TRUE;
}
PDL_LATER BOOL GetScheduledTray(PDEV*, int*)
{
    return FALSE;
}
PDL_LATER BOOL GetScheduledPaper(PDEV*, int*)
{
    return FALSE;
}
PDL_LATER BOOL GetScheduledSides(PDEV*, int*, int*)
{
    return FALSE;
}
PDL_LATER int CountBlankSidesBefore(PDEV*, int)
{
    return 0;
}
// The page origin without a binding margin: the left and top of the
// printable rectangle of the output paper, or the tray-limit margins for a
// custom paper.
PDL_LATER void GetPageOrigin(PDEV* pPDev, LONG* px, LONG* py)
{
    if (bIsCustomPaperKey(DmShort(pPDev, 776))) {
        RECTL rc = {};
        GetTrayLimitRect(&rc, 7, 0);
        *px = rc.left;
        *py = rc.top;
        return;
    }
    *px = DmLong(pPDev, 2407);
    *py = DmLong(pPDev, 2411);
}

// ---- recorded segments and overlays ----
PDL_LATER void ReleaseSegments(PDEV*) {}
PDL_LATER BOOL AppendSegmentData(PDEV*, const BYTE*, DWORD)
{
    return TRUE;
}
PDL_LATER void WritePageEndPattern(PDEV*) {}

// ---- blank-page skipping ----
PDL_LATER void ResetBlankPageState(PDEV*) {}
PDL_LATER void EndBlankPageState(PDEV*) {}
PDL_LATER BOOL AppendPageData(PDEV*, const BYTE*, DWORD)
{
    return TRUE;
}
PDL_LATER void FlushPageBuffer(PDEV*) {}
PDL_LATER void OpenPageBuffer(PDEV*) {}
PDL_LATER void ClosePageBuffer(PDEV*, BOOL) {}
PDL_LATER void FreePageBuffer(PDEV*) {}
PDL_LATER BOOL InkTest(PDEV*, int)
{
    return TRUE;
}
