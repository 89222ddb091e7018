// dochooks.cpp: the page hooks and the fax and tab-text entry points
// of the document-event chain (see dochooks.h).
//
// Built here: the STARTDOC font substitution, the send-date computation and
// its two senders, and the heading text of index paper. The form prompt and
// the watermark drawing are in pagehooks.cpp; the cover-sheet fax job is in
// faxjob.cpp.
#include "ui/driverui/dochooks.h"

#include "ui/driverui/docevent.h"
#include "ui/settings/fonthelp.h"
#include "ui/settings/insertsheet.h"
#include "ui/settings/listset.h"
#include "ui/settings/profile.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"

#include <cstring>

namespace {

const WORD kFeatureFontSub = 4100;

// STARTDOC: the TrueType-to-device substitution pairs of the user.
void SendFontSubstitution(HANDLE hPrinter, HDC hdc)
{
    BYTE* pBuf = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, DRV_DEVMODE_SIZE));
    if (!pBuf)
        return;
    // A DEVMODE that could not be read is never used: the profile check
    // would act on whatever the buffer held.
    if (DocEscape(hdc, ESC_GET_DEVMODE, 0, nullptr, DRV_DEVMODE_SIZE, pBuf) > 0) {
        DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(pBuf);
        WCHAR szPrinter[64] = {};
        LPCWSTR pszPrinter = hPrinter && QueryPrinterName(hPrinter, szPrinter, 64) ? szPrinter : nullptr;
        FONTSUBNODE* pNodes = nullptr;
        int n = BuildFontSubstNodes(pdm, pszPrinter, &pNodes);
        if (pNodes) {
            DocEscape(hdc, ESC_FONT_SUBST, static_cast<DWORD>(n) * sizeof(FONTSUBNODE), pNodes, 0, nullptr);
            GlobalFree(pNodes);
        }
    }
    GlobalFree(pBuf);
}

}  // namespace

int BuildFontSubstNodes(DRVDEVMODE* pdm, LPCWSTR pszPrinter, FONTSUBNODE** ppNodes)
{
    if (ppNodes)
        *ppNodes = nullptr;
    if (!pdm || !ppNodes)
        return 0;
    CheckUserProfileVersion(&pdm->ui);
    if (pdm->ui.FontUseFlg == 0)
        return 0;
    WCHAR szName[33] = {};
    if (!pszPrinter) {
        lstrcpynW(szName, reinterpret_cast<LPCWSTR>(pdm->dm.dmDeviceName), 33);
        pszPrinter = szName;
    }
    FONTSUBLIST* pList = CreateFontSubList();
    REGTREESET tables = {};
    BuildRegTreeTables(&tables);
    int n = 0;
    if (pList && pList->pPairs && tables.pAll) {
        RegTreeWalkList(pList, &tables, kFeatureFontSub, pszPrinter, RTW_LOAD);
        if (pList->sCount <= 0)
            SetDefaultFontSubList(pList);
        n = pList->sCount > FONTSUB_PAIRS ? FONTSUB_PAIRS : pList->sCount;
    }
    if (n > 0) {
        FONTSUBNODE* pNodes =
            static_cast<FONTSUBNODE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, n * sizeof(FONTSUBNODE)));
        if (!pNodes) {
            n = 0;
        } else {
            *ppNodes = pNodes;
            // Links are indexes, never addresses: the record is the same
            // at either word size, and the receiver relinks its copy.
            for (int i = 0; i < n; ++i) {
                pNodes[i].dwNext = i + 1 < n ? static_cast<DWORD>(i + 2) : 0;
                // At most 31 characters: the receiver reads a terminated face.
                lstrcpynW(pNodes[i].szTrueType, pList->pPairs[i].szTrueType, 32);
                lstrcpynW(pNodes[i].szDevice, pList->pPairs[i].szDevice, 32);
            }
        }
    }
    FreeRegTreeTables(&tables);
    FreeFontSubList(&pList);
    return n;
}

int DocEventPageHooks(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)cbIn, (void)pvIn, (void)cbOut, (void)pvOut;
    switch (wEvent) {
    case DOCUMENTEVENT_STARTDOC: SendFontSubstitution(hPrinter, hdc); break;
    case DOCUMENTEVENT_STARTPAGE: DocEventStartPageForm(hPrinter, hdc); break;
    case DOCUMENTEVENT_ENDPAGE: DrawPageWatermark(hPrinter, hdc, nullptr); break;
    default: break;
    }
    return DOCEV_OK;
}

// The heading text of an index-paper entry, drawn into the segment being
// recorded. Pass 1 is played on portrait sheets, whose tab strip runs down
// the long edge, so the pass number is the sample's vertical flag: 1 draws
// the text turned, 2 upright. The entry's heading direction is the sample
// kind and its alignment within the tab the placement. The record's texts
// are copied with their terminators forced, as an entry from the store is
// not trusted to carry them.
BOOL DrawFontSample(HDC hdc, const BYTE* pEntry476, int iPass)
{
    if (!hdc || !pEntry476)
        return FALSE;
    INSERTSHEET entry;
    memcpy(&entry, pEntry476, sizeof(entry));
    WCHAR szText[INSERTSHEET_TEXT_CCH];
    WCHAR szFace[INSERTSHEET_FACE_CCH];
    memcpy(szText, entry.szTabText, sizeof(szText));
    memcpy(szFace, entry.szFace, sizeof(szFace));
    szText[INSERTSHEET_TEXT_CCH - 1] = 0;
    szFace[INSERTSHEET_FACE_CCH - 1] = 0;
    // A heading with no text leaves the tab blank.
    if (!szText[0])
        return TRUE;
    return DrawFontSample(hdc, iPass, szFace, entry.wFontSize, entry.wFontStyle, entry.wTabDirection,
                          entry.wTabAlign, szText);
}

BOOL bIsLeapYear(int iYear)
{
    return iYear % 4 == 0 && (iYear % 100 != 0 || iYear % 400 == 0);
}

void NextSendDate(int iHour, int iMinute, const SYSTEMTIME* pNow, WORD awDate[5])
{
    int y = pNow->wYear, m = pNow->wMonth, d = pNow->wDay;
    BOOL bPassed = iHour < pNow->wHour || (iHour == pNow->wHour && iMinute < pNow->wMinute);
    if (bPassed) {
        static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        int iLast = (m == 2 && bIsLeapYear(y)) ? 29 : (m >= 1 && m <= 12 ? kDays[m - 1] : 31);
        if (++d > iLast) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
    awDate[0] = static_cast<WORD>(y);
    awDate[1] = static_cast<WORD>(m);
    awDate[2] = static_cast<WORD>(d);
    awDate[3] = static_cast<WORD>(iHour);
    awDate[4] = static_cast<WORD>(iMinute);
}

static BOOL SendDate(HDC hdc, DWORD dwCode, int iHour, int iMinute)
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    WORD aw[5];
    NextSendDate(iHour, iMinute, &now, aw);
    return DocEscape(hdc, dwCode, sizeof(aw), aw, 0, nullptr) > 0;
}

BOOL SendFaxSendTime(HDC hdc, int iHour, int iMinute)
{
    return SendDate(hdc, ESC_FAX_SEND_TIME, iHour, iMinute);
}

BOOL SendTimedJobDate(HDC hdc, int iHour, int iMinute)
{
    return SendDate(hdc, ESC_TIMED_JOB_DATE, iHour, iMinute);
}
