// docevent.cpp: the document-event chain (see docevent.h).
//
// Entry points: DispatchDocumentEvent and the seven handlers it runs, the
// escape helpers and the form-file, temporary-file and destination-file
// helpers of the chain.
//
// Events the handlers act on: 3 RESETDCPRE, 5 STARTDOC, 6 STARTPAGE, 8
// ENDDOC, 9 ABORTDOC, 12 ENDDOCPOST, 13 STARTDOCPOST (7 ENDPAGE in the page
// hooks). Every other event passes every handler and answers 1.
#include "ui/driverui/docevent.h"

#include "platform/gdi/msgbox.h"
#include "ui/driverui/dochooks.h"
#include "ui/driverui/docevent_store.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/papertable.h"
#include "ui/settings/profile.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::atomic<PFN_DOCESCAPE> g_pfnEscape{nullptr};

// Message and caption string ids of the resource library.
enum : UINT {
    IDS_TEXT_END = 32001,
    IDS_FAX_NO_DEST = 32002,
    IDS_FAX_CAPTION = 32003,
    IDS_FAX_TIME_AT = 32004,
    IDS_FAX_TIME_NOW = 32005,
    IDS_FAX_ONE_DEST = 32006,
    IDS_FAX_MANY_DEST = 32007,
    IDS_SECURE_CAPTION = 32008,
    IDS_SECURE_TEXT = 32009,
    IDS_SECURE_ID = 32010,
    IDS_SECURE_PASSWORD = 32011,
    IDS_BOX_CAPTION = 32012,
    IDS_BOX_TEXT = 32013,
    IDS_BOX_SAVE = 32014,
    IDS_BOX_SAVE_PRINT = 32015,
    IDS_BOX_ID = 32016,
    IDS_BOX_NUMBER = 32017,
    IDS_BOX_PASSWORD = 32018,
    IDS_TIMER_CAPTION = 32019,
    IDS_TIMER_TEXT = 32020,
    IDS_HDD_CAPTION = 32021,
    IDS_NO_JOB_NAME = 32022,
    IDS_HDD_TEXT = 32023,
    IDS_HDD_JOBMODE1 = 32024,
    IDS_HDD_JOBMODE_OTHER = 32025,
    IDS_HDD_JOB = 32026,
    IDS_HDD_PASSWORD = 32027,
    IDS_NOT_SET = 21006,
    IDS_FORM_CAPTION_PDL = 29510,
    IDS_FORM_CAPTION = 29511,
    IDS_FORM_PDL_MISMATCH = 29522,
    IDS_FORM_NOT_IN_VECTOR = 29546,
    IDS_FORM_NOT_REPLACED = 29547,
};

const WCHAR kHardDiskUnit[] = u"HV-208";

std::u16string Res(UINT uId)
{
    return std::u16string(GetResString(uId));
}

// wsprintfW into a bounded buffer: a resource text that formats longer than
// the buffer is cut, never written past it.
template <typename... A>
std::u16string Format(UINT uFmt, A... args)
{
    WCHAR sz[1025] = {};
    std::u16string fmt = Res(uFmt);
    wnsprintfW(sz, 1024, fmt.c_str(), args...);
    return std::u16string(sz);
}

// A text field of a packed record: at most cch characters, stopping at a
// NUL. Read unit by unit through memcpy: DEVMODE texts lie at odd offsets.
std::u16string Field(const void* pv, int cch)
{
    const BYTE* pb = static_cast<const BYTE*>(pv);
    std::u16string s;
    for (int i = 0; i < cch; ++i) {
        WCHAR c;
        memcpy(&c, pb + 2 * i, sizeof(c));
        if (!c)
            break;
        s += c;
    }
    return s;
}

BYTE* AllocZero(DWORD cb)
{
    return static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cb));
}

void FreeBlock(BYTE** pp)
{
    if (*pp)
        GlobalFree(*pp);
    *pp = nullptr;
}

DRVDEVMODE* JobDevmode(BYTE* pBlock)
{
    return reinterpret_cast<DRVDEVMODE*>(pBlock + JOBBLOCK_DEVMODE);
}

template <typename T>
T At(const BYTE* p, DWORD off)
{
    T v;
    memcpy(&v, p + off, sizeof(T));
    return v;
}

BOOL Ok(int iResult)
{
    return iResult > 0;
}

BOOL ReadFaxState(HDC hdc, FAXSTATE* pState)
{
    memset(pState, 0, sizeof(*pState));
    return Ok(DocEscape(hdc, ESC_FAX_STATE, 0, nullptr, sizeof(*pState), pState));
}

// Declined output: the page generator drops everything and the form goes.
BOOL SuppressOutput(HDC hdc)
{
    BYTE b = 1;
    return Ok(DocEscape(hdc, ESC_SUPPRESS_OUTPUT, 1, &b, 0, nullptr)) &&
           Ok(DocEscape(hdc, ESC_DROP_OVERLAY, 0, nullptr, 0, nullptr));
}

BOOL PrinterName(HANDLE hPrinter, WCHAR szName[33])
{
    memset(szName, 0, 33 * sizeof(WCHAR));
    return hPrinter && QueryPrinterName(hPrinter, szName, 33);
}

// ---------------------------------------------------------------------------
// DocEventSendJobIdentity

int SendUserName(HDC hdc, BOOL bOnlyWhenKnown)
{
    WCHAR szUser[256] = {};
    DWORD cch = 256;
    BOOL bKnown = GetUserNameW(szUser, &cch);
    if (!bKnown) {
        memset(szUser, 0, sizeof(szUser));
        if (bOnlyWhenKnown)
            return DOCEV_OK;
    }
    return Ok(DocEscape(hdc, ESC_USER_NAME, 510, szUser, 0, nullptr)) ? DOCEV_OK : DOCEV_FAIL;
}

int SendHostProgram(HDC hdc)
{
    WCHAR szPath[261] = {};
    GetModuleFileNameW(nullptr, szPath, 260);
    std::u16string path = Field(szPath, 260);
    size_t iSep = path.find_last_of(u"\\/:");
    std::u16string name = iSep == std::u16string::npos ? path : path.substr(iSep + 1);
    WCHAR szOut[32] = {};  // 64 bytes: at most 30 characters, always terminated
    lstrcpynW(szOut, name.c_str(), 31);
    return Ok(DocEscape(hdc, ESC_HOST_PROGRAM, sizeof(szOut), szOut, 0, nullptr)) ? DOCEV_OK : DOCEV_FAIL;
}

// A document in progress on a DC: the resource library stays bound from
// StartDoc until the document ends or the DC goes, and the user papers are
// read once, at its first page, rather than ten registry reads at every page.
namespace {

struct JOBHOLD {
    HDC hdc;
    BOOL bPapersRead;
    LONG alSizes[20];
};

std::mutex g_holdLock;
std::vector<JOBHOLD> g_holds;

void BeginJobHold(HDC hdc)
{
    {
        std::lock_guard<std::mutex> guard(g_holdLock);
        for (JOBHOLD& h : g_holds)
            if (h.hdc == hdc) {
                h.bPapersRead = FALSE;  // a new document reads them again
                return;
            }
        JOBHOLD h = {};
        h.hdc = hdc;
        g_holds.push_back(h);
    }
    LoadResourceDll();
}

void EndJobHold(HDC hdc)
{
    {
        std::lock_guard<std::mutex> guard(g_holdLock);
        auto it = g_holds.begin();
        while (it != g_holds.end() && it->hdc != hdc)
            ++it;
        if (it == g_holds.end())
            return;
        g_holds.erase(it);
    }
    FreeResourceDll();
}

// The user papers' sizes, width and length of each slot in 1/10 mm.
void ReadUserPaperSizes(HANDLE hPrinter, LONG alSizes[20])
{
    USERPAPERS papers;
    for (int i = 1; i <= USERPAPER_SLOTS; i++)
        SetUserPaperDefault(&papers.aSlot[i - 1], i);
    if (hPrinter)
        ReadUserPapers(&papers, hPrinter);
    for (int i = 0; i < 10; ++i) {
        LONG w = 0, l = 0;
        if (GetCustomPaperSizeOf(&papers, SlotToCustomPaper(i + 1), &w, &l)) {
            alSizes[2 * i] = w;
            alSizes[2 * i + 1] = l;
        }
    }
}

}  // namespace

int SendUserPapers(HANDLE hPrinter, HDC hdc)
{
    LONG alSizes[20] = {};
    BOOL bKept = FALSE;
    {
        std::lock_guard<std::mutex> guard(g_holdLock);
        for (const JOBHOLD& h : g_holds)
            if (h.hdc == hdc && h.bPapersRead) {
                memcpy(alSizes, h.alSizes, sizeof(alSizes));
                bKept = TRUE;
            }
    }
    if (!bKept) {
        ReadUserPaperSizes(hPrinter, alSizes);
        std::lock_guard<std::mutex> guard(g_holdLock);
        for (JOBHOLD& h : g_holds)
            if (h.hdc == hdc) {
                memcpy(h.alSizes, alSizes, sizeof(alSizes));
                h.bPapersRead = TRUE;
            }
    }
    return Ok(DocEscape(hdc, ESC_USER_PAPERS, sizeof(alSizes), alSizes, 0, nullptr)) ? DOCEV_OK : DOCEV_FAIL;
}

// ---------------------------------------------------------------------------
// DocEventFaxJob

int FaxConfirm(HDC hdc)
{
    FAXSTATE st;
    if (!ReadFaxState(hdc, &st))
        return DOCEV_UNSUPPORTED;
    if (st.bFaxOutput != 1)
        return DOCEV_OK;
    LoadResourceDll();
    int iResult = DOCEV_OK;
    if (st.dwDestinations) {
        std::u16string when = Res(IDS_FAX_TIME_NOW);
        if (st.bTimed == 1) {
            WORD aw[5] = {};
            if (!Ok(DocEscape(hdc, ESC_FAX_GET_SEND_TIME, 0, nullptr, sizeof(aw), aw))) {
                FreeResourceDll();
                return DOCEV_UNSUPPORTED;
            }
            if (aw[0] || aw[1] || aw[2] || aw[3] || aw[4])
                when = Format(IDS_FAX_TIME_AT, aw[0], aw[1], aw[2], aw[3], aw[4]);
        }
        WCHAR szNumber[45] = {};
        DocEscape(hdc, ESC_FAX_FIRST_NUMBER, 0, nullptr, 88, szNumber);
        std::u16string text = st.dwDestinations == 1
                                  ? Format(IDS_FAX_ONE_DEST, szNumber, when.c_str())
                                  : Format(IDS_FAX_MANY_DEST, szNumber, (int)st.dwDestinations, when.c_str());
        std::u16string caption = Res(IDS_FAX_CAPTION);
        if (MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONQUESTION | MB_OKCANCEL) == IDCANCEL &&
            !Ok(DocEscape(hdc, ESC_FAX_FORGET_DESTS, 0, nullptr, 0, nullptr)))
            iResult = DOCEV_UNSUPPORTED;
    } else {
        std::u16string text = Res(IDS_FAX_NO_DEST), caption = Res(IDS_FAX_CAPTION);
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
        if (!Ok(DocEscape(hdc, ESC_FAX_FORGET_DESTS, 0, nullptr, 0, nullptr)))
            iResult = DOCEV_UNSUPPORTED;
    }
    FreeResourceDll();
    return iResult;
}

int FaxStartPage(HDC hdc)
{
    FAXSTATE st;
    if (!ReadFaxState(hdc, &st))
        return DOCEV_UNSUPPORTED;
    if (st.dwHeaderWritten != 0)
        return DOCEV_OK;
    if (SendFaxDestinationFile(hdc) != DOCEV_OK)
        return DOCEV_FAIL;
    if (st.bFaxOutput == 1)
        SendFaxSendTime(hdc, st.bSendHour, st.bSendMinute);
    int iResult = FaxConfirm(hdc);
    if (iResult != DOCEV_OK)
        return iResult;
    if (!ReadFaxState(hdc, &st))
        return DOCEV_UNSUPPORTED;
    if (st.bFaxOutput != 1 || st.dwDestinations == 0)
        return DOCEV_OK;
    if (st.bCoverSheet) {
        LoadResourceDll();
        BOOL bOk = RunFaxJob(hdc);
        FreeResourceDll();
        return bOk ? DOCEV_OK : DOCEV_FAIL;
    }
    DWORD dwFirst = 0, dwLast = st.dwDestinations;
    if (!Ok(DocEscape(hdc, ESC_FAX_FIRST_DEST, 4, &dwFirst, 0, nullptr)) ||
        !Ok(DocEscape(hdc, ESC_FAX_LAST_DEST, 4, &dwLast, 0, nullptr)))
        return DOCEV_FAIL;
    return DOCEV_OK;
}

int FaxEndDocPost(HANDLE hPrinter, HDC hdc)
{
    FAXSTATE st;
    if (!ReadFaxState(hdc, &st))
        return DOCEV_UNSUPPORTED;
    if (st.bFaxOutput != 1 || st.bCoverSheet != 1)
        return DOCEV_OK;
    BYTE* pWork = ReadWorkArea(hdc);
    if (!pWork)
        return DOCEV_FAIL;
    WCHAR szDir[261] = {};
    memcpy(szDir, pWork + WA_FAX_DIR, 520);
    DWORD n = At<DWORD>(pWork, WA_FAX_BATCH_COUNT);
    if (n > FAXDEST_MAX)  // the work area names at most 100 batch files
        n = FAXDEST_MAX;
    for (DWORD i = 0; i < n; ++i) {
        std::u16string name = Field(pWork + WA_FAX_BATCH_NAME + 60 * i, WA_FAX_NAME_CCH);
        if (szDir[0] && !name.empty()) {
            bDeleteFileIfPresent((std::u16string(szDir) + name).c_str());
            WORD w = static_cast<WORD>(i);
            DocEscape(hdc, ESC_FAX_BATCH_DONE, 2, &w, 0, nullptr);
        }
    }
    std::u16string cover = Field(pWork + WA_FAX_COVER_NAME, WA_FAX_NAME_CCH);
    if (szDir[0] && !cover.empty()) {
        bDeleteFileIfPresent((std::u16string(szDir) + cover).c_str());
        DocEscape(hdc, ESC_FAX_COVER_DONE, 0, nullptr, 0, nullptr);
    }
    ClearFaxTempFileList(hPrinter);
    FreeBlock(&pWork);
    return DOCEV_OK;
}

// ---------------------------------------------------------------------------
// DocEventInsertSheets

// The job's insert-sheet list of one event. The job block is read afresh at
// each step; the list itself is read from the store once and kept while the
// job names the same printer and list.
struct INSERTLIST {
    BOOL bLoaded;      // items hold list iList of szPrinter
    WCHAR szPrinter[33];
    int iList;
    INTERSHEETITEMS items;
};

// The job's insert-sheet list: 1 when insert sheets are on and the list
// holds 1..128 entries, 0 when there is nothing to send, -1 when the job
// block cannot be read.
int FindInsertList(HDC hdc, INSERTLIST* pList)
{
    BYTE* pBlock = ReadJobBlock(hdc);
    if (!pBlock)
        return -1;
    DRVDEVMODE* pdm = JobDevmode(pBlock);
    BOOL bOk = FALSE;
    if (pdm->env.InterSheet_Check == 1) {
        WCHAR szPrinter[33] = {};
        lstrcpynW(szPrinter, reinterpret_cast<LPCWSTR>(pdm->dm.dmDeviceName), 33);
        int iList = pdm->env.lpInterSheetList;
        if (!pList->bLoaded || pList->iList != iList || lstrcmpW(pList->szPrinter, szPrinter) != 0) {
            FreeInterSheetItems(&pList->items);
            pList->bLoaded = LoadInterSheetItems(szPrinter, iList, &pList->items);
            lstrcpynW(pList->szPrinter, szPrinter, 33);
            pList->iList = iList;
        }
        bOk = pList->bLoaded && pList->items.n >= 1 && pList->items.n <= 128 && pList->items.pEntries;
    }
    FreeBlock(&pBlock);
    return bOk ? 1 : 0;
}

int SendInsertSheetRecords(HDC hdc, INSERTLIST* pList)
{
    BYTE* pWork = ReadWorkArea(hdc);
    if (!pWork)
        return DOCEV_UNSUPPORTED;
    DWORD dwHeader = At<DWORD>(pWork, WA_HEADER_WRITTEN);
    FreeBlock(&pWork);
    if (dwHeader == 1)
        return DOCEV_OK;
    int iFound = FindInsertList(hdc, pList);
    if (iFound <= 0)
        return iFound < 0 ? DOCEV_UNSUPPORTED : DOCEV_OK;
    const INTERSHEETITEMS& items = pList->items;
    DWORD cb = static_cast<DWORD>(items.n) * INSERTSHEET_BYTES;
    DWORD dwCount = static_cast<DWORD>(items.n);
    DWORD adwPair[2] = {items.adwPair[0], items.adwPair[1]};
    DWORD dwValue2 = items.dwValue2;
    BOOL bOk = Ok(DocEscape(hdc, ESC_INSERT_COUNT, 4, &dwCount, 0, nullptr)) &&
               Ok(DocEscape(hdc, ESC_INSERT_RECORDS, cb, items.pEntries, 0, nullptr)) &&
               Ok(DocEscape(hdc, ESC_INSERT_PAIR, 8, adwPair, 0, nullptr)) &&
               Ok(DocEscape(hdc, ESC_INSERT_VALUE2, 4, &dwValue2, 0, nullptr)) &&
               Ok(DocEscape(hdc, ESC_INSERT_SCHEDULE, 0, nullptr, 0, nullptr));
    return bOk ? DOCEV_OK : DOCEV_UNSUPPORTED;
}

int CountTabTextEntries(HDC hdc, INSERTLIST* pList)
{
    if (FindInsertList(hdc, pList) <= 0)
        return 0;
    int nTabs = 0;
    for (int i = 0; i < pList->items.n; ++i) {
        const BYTE* pEntry = InterSheetItemAt(&pList->items, i);
        if (pEntry && At<WORD>(pEntry, INSERTSHEET_USE_INDEX) != 0)
            ++nTabs;
    }
    return nTabs;
}

BOOL DrawTabTextSegment(HDC hdc, const BYTE* pEntry, int iPass)
{
    DocEscape(hdc, ESC_SEGMENT_ON, 0, nullptr, 0, nullptr);
    BOOL bOk = DrawFontSample(hdc, pEntry, iPass);
    DocEscape(hdc, ESC_SEGMENT_OFF, 0, nullptr, 0, nullptr);
    return bOk;
}

void RecordTabTexts(HDC hdc, INSERTLIST* pList)
{
    if (FindInsertList(hdc, pList) <= 0)
        return;
    for (int i = 0; i < pList->items.n; ++i) {
        const BYTE* pEntry = InterSheetItemAt(&pList->items, i);
        if (!pEntry || At<WORD>(pEntry, INSERTSHEET_USE_INDEX) == 0)
            continue;
        DWORD dwKey = static_cast<DWORD>(i + 1);
        DocEscape(hdc, ESC_TAB_KEY, 4, &dwKey, 0, nullptr);
        DrawTabTextSegment(hdc, pEntry, 1);
        DocEscape(hdc, ESC_TAB_PART1, 0, nullptr, 0, nullptr);
        DrawTabTextSegment(hdc, pEntry, 2);
        DocEscape(hdc, ESC_TAB_PART2, 0, nullptr, 0, nullptr);
        DocEscape(hdc, ESC_TAB_NEXT, 0, nullptr, 0, nullptr);
    }
}

// ---------------------------------------------------------------------------
// DocEventConfirmOutput

// Shows one OK/Cancel box; Cancel suppresses the job's output. FALSE when
// suppressing failed; *pbCancelled tells whether the user declined.
BOOL AskOrSuppress(HDC hdc, const std::u16string& text, const std::u16string& caption, BOOL* pbCancelled)
{
    *pbCancelled = MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONQUESTION | MB_OKCANCEL) == IDCANCEL;
    return !*pbCancelled || SuppressOutput(hdc);
}

int ConfirmStartDocPost(HDC hdc)
{
    BYTE* pBlock = ReadJobBlock(hdc);
    if (!pBlock)
        return DOCEV_FAIL;
    DRVDEVMODE* pdm = JobDevmode(pBlock);
    const ENVEXTRA& env = pdm->env;
    int iMethod = env.lpOutputMethod;
    if (iMethod == 5) {
        WORD aw[5] = {};
        if (!Ok(DocEscape(hdc, ESC_TIMER, 0, nullptr, sizeof(aw), aw))) {
            FreeBlock(&pBlock);
            return DOCEV_FAIL;
        }
        SendTimedJobDate(hdc, aw[3], aw[4]);
    }
    BYTE* pWork = ReadWorkArea(hdc);
    if (!pWork) {
        FreeBlock(&pBlock);
        return DOCEV_FAIL;
    }
    LoadResourceDll();
    // Each text is copied out of its field at once; the fields are bounded
    // by their own widths, so an unterminated field never pulls in the next.
    std::u16string a = Field(env.szJobID, 10);
    if (a.empty())
        a = Res(IDS_NO_JOB_NAME);
    std::u16string b = Field(env.szUserID, 10);
    if (b.empty())
        b = Res(IDS_NOT_SET);
    std::u16string x = Field(env.szBoxNumber, 9);
    if (x.empty())
        x = Res(IDS_NOT_SET);
    WCHAR szStored[12] = {}, szPassword[12] = {};
    memcpy(szStored, env.szPassword, sizeof(env.szPassword));
    ScramblePassword(szStored, szPassword);
    std::u16string p = Field(szPassword, 11);
    if (p.empty())
        p = Res(IDS_NOT_SET);
    else if (env.UnDisplayPassword_Check == 1 || At<WORD>(pWork, WA_OWNER_COMPARE) == 1)
        p.assign(p.size(), u'*');

    DWORD dwSecure = At<DWORD>(pWork, WA_SECURE_FLAG), dwDisk = At<DWORD>(pWork, WA_HARDDISK_FLAG);
    DWORD dwBox = At<DWORD>(pWork, WA_BOX_FLAG), dwTimer = At<DWORD>(pWork, WA_TIMER_FLAG);
    WORD awTimer[5];
    for (int i = 0; i < 5; ++i)
        awTimer[i] = At<WORD>(pWork, WA_TIMER_WORDS + 2 * i);

    auto secureText = [&]() {
        return Format(IDS_SECURE_TEXT, b.c_str()) + Res(IDS_SECURE_ID) + b + Res(IDS_SECURE_PASSWORD) + p +
               Res(IDS_TEXT_END);
    };
    BOOL bOk = TRUE, bCancelled = FALSE;
    if ((iMethod == 2 && dwSecure == 1) || ((iMethod == 3 || iMethod == 4) && dwBox == 1) ||
        (iMethod == 5 && dwTimer == 1)) {
        std::u16string caption, text;
        if (iMethod == 2) {
            caption = Res(IDS_SECURE_CAPTION);
            text = secureText();
        } else if (iMethod != 5) {
            caption = Res(IDS_BOX_CAPTION);
            text = Res(IDS_BOX_TEXT) + Res(iMethod == 3 ? IDS_BOX_SAVE : IDS_BOX_SAVE_PRINT) + Res(IDS_BOX_ID) + b +
                   Res(IDS_BOX_NUMBER) + x + Res(IDS_BOX_PASSWORD) + p + Res(IDS_TEXT_END);
        } else if (awTimer[0] || awTimer[1] || awTimer[2] || awTimer[3] || awTimer[4]) {
            caption = Res(IDS_TIMER_CAPTION);
            text = Format(IDS_TIMER_TEXT, awTimer[0], awTimer[1], awTimer[2], awTimer[3], awTimer[4]) +
                   Res(IDS_TEXT_END);
        }
        // A timer without a date has nothing to confirm.
        if (!caption.empty() || !text.empty())
            bOk = AskOrSuppress(hdc, text, caption, &bCancelled);
    }
    // Once the user declined, the output is already suppressed: no more boxes.
    if (bOk && !bCancelled && env.POD_Check == 1 && env.JobComb_Check == 1 && dwDisk == 1) {
        std::u16string caption = std::u16string(kHardDiskUnit) + Res(IDS_HDD_CAPTION);
        std::u16string text = u"\n" + std::u16string(kHardDiskUnit) + Res(IDS_HDD_TEXT) +
                              Res(env.lpJobMode == 1 ? IDS_HDD_JOBMODE1 : IDS_HDD_JOBMODE_OTHER) + Res(IDS_HDD_JOB) + a +
                              Res(IDS_HDD_PASSWORD) + p + Res(IDS_TEXT_END);
        bOk = AskOrSuppress(hdc, text, caption, &bCancelled);
    }
    if (bOk && !bCancelled && env.Password_Check == 1 && dwSecure == 1)
        bOk = AskOrSuppress(hdc, secureText(), Res(IDS_SECURE_CAPTION), &bCancelled);
    FreeResourceDll();
    FreeBlock(&pWork);
    FreeBlock(&pBlock);
    return bOk ? DOCEV_OK : DOCEV_FAIL;
}

}  // namespace

// ---------------------------------------------------------------------------
// Escape helpers

void DocEventSetEscapeProc(PFN_DOCESCAPE pfn)
{
    g_pfnEscape = pfn;
}

int DocEscape(HDC hdc, DWORD dwCode, DWORD cbIn, const void* pIn, DWORD cbOut, void* pOut)
{
    PFN_DOCESCAPE pfn = g_pfnEscape.load();
    if (!pfn)
        pfn = ExtEscape;
    return pfn(hdc, static_cast<int>(dwCode), static_cast<int>(cbIn), static_cast<LPCSTR>(pIn),
               static_cast<int>(cbOut), static_cast<LPSTR>(pOut));
}

static BYTE* ReadBlock(HDC hdc, DWORD dwCode, DWORD cb)
{
    BYTE* p = AllocZero(cb);
    if (p && !Ok(DocEscape(hdc, dwCode, 0, nullptr, cb, p)))
        FreeBlock(&p);
    return p;
}

BYTE* ReadJobBlock(HDC hdc)
{
    return ReadBlock(hdc, ESC_JOB_BLOCK, JOBBLOCK_SIZE);
}

BYTE* ReadWorkArea(HDC hdc)
{
    return ReadBlock(hdc, ESC_WORK_AREA, WORKAREA_SIZE);
}

// ---------------------------------------------------------------------------
// The dispatcher

static int DispatchToHandlers(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                              PVOID pvOut);

INT DispatchDocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    WORD wEvent = static_cast<WORD>(iEsc);
    if (wEvent == DOCUMENTEVENT_STARTDOC)
        BeginJobHold(hdc);
    else if (wEvent == DOCUMENTEVENT_ENDDOCPOST || wEvent == DOCUMENTEVENT_ABORTDOC ||
             wEvent == DOCUMENTEVENT_DELETEDC)
        EndJobHold(hdc);
    int iResult = DispatchToHandlers(hPrinter, hdc, wEvent, cbIn, pvIn, cbOut, pvOut);
    // A document that did not start holds nothing.
    if (wEvent == DOCUMENTEVENT_STARTDOC && iResult == DOCEV_FAIL)
        EndJobHold(hdc);
    return iResult;
}

static int DispatchToHandlers(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                              PVOID pvOut)
{
    // Run in this order for every event; the first answer other than 1 ends
    // the event.
    static const PFN_DOCEVENTHANDLER kHandlers[] = {
        DocEventSendJobIdentity,  // user, output flag, program (STARTDOC); user papers (STARTPAGE)
        DocEventBookMode,         // graphics mode and PDL type across ResetDC
        DocEventFaxJob,           // PC-fax destinations, confirmation and clean-up
        DocEventCaptureFile,      // the blank-page capture file
        DocEventInsertSheets,     // insert-sheet records and tab texts (STARTPAGE)
        DocEventConfirmOutput,    // secure, box, timer and hard-disk confirmations
        DocEventCheckFormFile,    // a form file that does not fit the job (STARTDOC)
    };
    for (PFN_DOCEVENTHANDLER pfn : kHandlers) {
        int iResult = pfn(hPrinter, hdc, wEvent, cbIn, pvIn, cbOut, pvOut);
        if (iResult != DOCEV_OK)
            return iResult;
    }
    BOOL bStartDoc = wEvent == DOCUMENTEVENT_STARTDOC;
    if (bStartDoc) {
        LoadResourceDll();
        BYTE* pBlock = ReadJobBlock(hdc);
        if (!pBlock) {
            FreeResourceDll();
            return DOCEV_FAIL;
        }
        CheckUserProfileVersion(&JobDevmode(pBlock)->ui);
        FreeBlock(&pBlock);
    }
    int iResult = DocEventPageHooks(hPrinter, hdc, wEvent, cbIn, pvIn, cbOut, pvOut);
    if (bStartDoc)
        FreeResourceDll();
    return iResult;
}

// ---------------------------------------------------------------------------
// The handlers

int DocEventSendJobIdentity(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)cbIn, (void)pvIn, (void)cbOut, (void)pvOut;
    if (wEvent == DOCUMENTEVENT_STARTDOC) {
        if (SendUserName(hdc, FALSE) != DOCEV_OK)
            return DOCEV_FAIL;
        BYTE bSuppress = 0;
        if (!Ok(DocEscape(hdc, ESC_SUPPRESS_OUTPUT, 1, &bSuppress, 0, nullptr)))
            return DOCEV_FAIL;
        return SendHostProgram(hdc);
    }
    if (wEvent == DOCUMENTEVENT_STARTPAGE)
        return SendUserPapers(hPrinter, hdc);
    return DOCEV_OK;
}

int DocEventBookMode(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)cbOut, (void)pvOut;
    if (!hPrinter)
        return DOCEV_OK;
    WCHAR szPrinter[33];
    if (wEvent == DOCUMENTEVENT_RESETDCPRE) {
        if (cbIn != sizeof(DEVMODEW*) || !pvIn)
            return DOCEV_OK;
        DEVMODEW* pdmNew = *static_cast<DEVMODEW**>(pvIn);
        if (!pdmNew || !bValidDevmode(pdmNew))
            return DOCEV_OK;
        if (!PrinterName(hPrinter, szPrinter))
            return DOCEV_FAIL;
        HKEY hKey = nullptr;
        DWORD dwDisp = 0;
        DWORD dwMode = 0, dwType = 0;
        if (OpenBookModeKey(szPrinter, &hKey, &dwDisp)) {
            const WCHAR* kNames[2] = {u"bGFXMode", u"bPDLType"};
            DWORD adw[2] = {0, 0};
            for (int i = 0; i < 2; ++i) {
                if (dwDisp == REG_CREATED_NEW_KEY) {
                    OsRegSetValue(hKey, kNames[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&adw[i]), 4);
                    continue;
                }
                DWORD cb = sizeof(dwMode);
                dwMode = 0;
                if (OsRegQueryValue(hKey, kNames[i], nullptr, &dwType, reinterpret_cast<BYTE*>(&dwMode), &cb) ==
                        ERROR_SUCCESS &&
                    dwType == REG_DWORD)
                    adw[i] = dwMode;
            }
            OsRegCloseKey(hKey);
            DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(pdmNew);
            if (adw[0] & 0xFF)
                pdm->ui.lpGraphicsMode = static_cast<BYTE>(adw[0]);
            if (adw[1] & 0xFF)
                pdm->ui.lpPDLType = static_cast<BYTE>(adw[1]);
        }
        return DOCEV_OK;
    }
    if (wEvent != DOCUMENTEVENT_STARTDOC && wEvent != DOCUMENTEVENT_ABORTDOC && wEvent != DOCUMENTEVENT_ENDDOCPOST)
        return DOCEV_OK;
    if (!PrinterName(hPrinter, szPrinter))
        return DOCEV_FAIL;
    DWORD dwMode = 0, dwPdl = 0;
    if (wEvent == DOCUMENTEVENT_STARTDOC && bHostModuleIs(u"EXCEL.EXE")) {
        BYTE* pBlock = ReadJobBlock(hdc);
        if (!pBlock)
            return DOCEV_FAIL;
        dwMode = JobDevmode(pBlock)->ui.lpGraphicsMode;
        dwPdl = JobDevmode(pBlock)->ui.lpPDLType;
        FreeBlock(&pBlock);
    }
    HKEY hKey = nullptr;
    DWORD dwDisp = 0;
    if (OpenBookModeKey(szPrinter, &hKey, &dwDisp)) {
        OsRegSetValue(hKey, u"bGFXMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwMode), 4);
        OsRegSetValue(hKey, u"bPDLType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwPdl), 4);
        OsRegCloseKey(hKey);
    }
    return DOCEV_OK;
}

int DocEventFaxJob(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)cbOut, (void)pvOut;
    switch (wEvent) {
    case DOCUMENTEVENT_STARTDOC: {
        DeleteFaxTempFiles(hPrinter);
        FAXSTATE st;
        if (!ReadFaxState(hdc, &st))
            return DOCEV_UNSUPPORTED;
        if (st.bFaxOutput != 1 || st.bCoverSheet != 1)
            return DOCEV_OK;
        WCHAR szDoc[260] = {};  // 520 bytes: at most 259 characters
        const DOCINFOW* pdi = cbIn == sizeof(DOCINFOW*) && pvIn ? *static_cast<const DOCINFOW**>(pvIn) : nullptr;
        lstrcpynW(szDoc, pdi && pdi->lpszDocName ? pdi->lpszDocName : u"DocName None", 260);
        if (!Ok(DocEscape(hdc, ESC_FAX_DOC_NAME, sizeof(szDoc), szDoc, 0, nullptr)))
            return DOCEV_FAIL;
        return SendUserName(hdc, TRUE);
    }
    case DOCUMENTEVENT_STARTPAGE: return FaxStartPage(hdc);
    case DOCUMENTEVENT_ENDDOC:
        // The graphics library ends the job with the exit sequence only
        // after this.
        return Ok(DocEscape(hdc, ESC_JOB_END, 0, nullptr, 0, nullptr)) ? DOCEV_OK : DOCEV_UNSUPPORTED;
    case DOCUMENTEVENT_ENDDOCPOST: return FaxEndDocPost(hPrinter, hdc);
    case DOCUMENTEVENT_ABORTDOC: DeleteFaxTempFiles(hPrinter); return DOCEV_OK;
    default: return DOCEV_OK;
    }
}

int DocEventCaptureFile(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)cbIn, (void)pvIn, (void)cbOut, (void)pvOut;
    if (wEvent == DOCUMENTEVENT_ABORTDOC) {
        DeleteFaxTempFiles(hPrinter);
        return DOCEV_OK;
    }
    if (wEvent != DOCUMENTEVENT_ENDDOCPOST && wEvent != DOCUMENTEVENT_STARTDOCPOST)
        return DOCEV_OK;
    BYTE* pBlock = ReadJobBlock(hdc);
    BYTE* pWork = pBlock ? ReadWorkArea(hdc) : nullptr;
    if (!pWork) {
        FreeBlock(&pBlock);
        return DOCEV_UNSUPPORTED;
    }
    // Both reads succeeded: the event goes on whether capture is on or not,
    // so a job without capture still gets its confirmations.
    int iResult = DOCEV_OK;
    if (pWork[WA_CAPTURE_ON]) {
        if (wEvent == DOCUMENTEVENT_ENDDOCPOST) {
            WCHAR szPath[261] = {};
            memcpy(szPath, pWork + WA_CAPTURE_PATH, 520);
            bDeleteFileIfPresent(szPath);
            DocEscape(hdc, ESC_CAPTURE_CLEAR, 0, nullptr, 0, nullptr);
            ClearFaxTempFileList(hPrinter);
        } else {
            WCHAR szTemp[261] = {}, szFile[260] = {};
            if (!GetTempPathW(260, szTemp) || !GetTempFileNameW(szTemp, u"eco", 0, szFile) ||
                !Ok(DocEscape(hdc, ESC_CAPTURE_PATH, sizeof(szFile), szFile, 0, nullptr))) {
                iResult = DOCEV_UNSUPPORTED;
            } else {
                WCHAR szPrinter[33];
                if (PrinterName(hPrinter, szPrinter)) {
                    SetFaxTempfileName(szPrinter, 0, szFile);
                    SetFaxTempfileCount(szPrinter, 1);
                }
            }
        }
    }
    FreeBlock(&pWork);
    FreeBlock(&pBlock);
    return iResult;
}

int DocEventInsertSheets(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)hPrinter, (void)cbIn, (void)pvIn, (void)cbOut, (void)pvOut;
    if (wEvent != DOCUMENTEVENT_STARTPAGE)
        return DOCEV_OK;
    // The list is read from the store once for the whole event.
    INSERTLIST list = {};
    int iResult = DOCEV_OK;
    if (SendInsertSheetRecords(hdc, &list) != DOCEV_OK) {
        iResult = DOCEV_FAIL;
    } else {
        DWORD dwRecorded = 0;
        if (!Ok(DocEscape(hdc, ESC_TAB_QUERY, 0, nullptr, 4, &dwRecorded)))
            dwRecorded = 0;
        if (!dwRecorded) {
            DWORD n = static_cast<DWORD>(CountTabTextEntries(hdc, &list));
            if (n > 0) {
                DocEscape(hdc, ESC_TAB_ENTRIES, 4, &n, 0, nullptr);
                RecordTabTexts(hdc, &list);
            }
            DocEscape(hdc, ESC_TAB_RECORDED, 0, nullptr, 0, nullptr);
        }
    }
    FreeInterSheetItems(&list.items);
    return iResult;
}

int DocEventConfirmOutput(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)hPrinter, (void)cbIn, (void)pvIn, (void)cbOut, (void)pvOut;
    if (wEvent == DOCUMENTEVENT_STARTDOC)
        return Ok(DocEscape(hdc, ESC_OWNER_COMPARE, 0, nullptr, 0, nullptr)) ? DOCEV_OK : DOCEV_FAIL;
    if (wEvent == DOCUMENTEVENT_STARTDOCPOST)
        return ConfirmStartDocPost(hdc);
    return DOCEV_OK;
}

int DocEventCheckFormFile(HANDLE hPrinter, HDC hdc, WORD wEvent, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut)
{
    (void)hPrinter, (void)cbIn, (void)pvIn, (void)cbOut, (void)pvOut;
    if (wEvent != DOCUMENTEVENT_STARTDOC)
        return DOCEV_OK;
    BYTE* pBlock = ReadJobBlock(hdc);
    if (!pBlock)
        return DOCEV_FAIL;
    const UIEXTRA& ui = JobDevmode(pBlock)->ui;
    int iOverlay = ui.lpOverlay, iMode = ui.lpGraphicsMode, iPdl = ui.lpPDLType;
    WCHAR szForm[131] = {};
    memcpy(szForm, ui.szOverlayName, sizeof(WCHAR) * 130);
    FreeBlock(&pBlock);
    LoadResourceDll();
    int iResult = DOCEV_OK;
    if (iOverlay == 2 && iPdl == 1 && iMode == 2) {
        std::u16string text = Res(IDS_FORM_NOT_IN_VECTOR), caption = Res(IDS_FORM_CAPTION);
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
        if (!SuppressOutput(hdc))
            iResult = DOCEV_FAIL;
    }
    // A form is created at any path the user picked, but a file already
    // there is replaced only when it is a form file itself (its first bytes
    // say so) or empty: anything else is someone's file, and the job stops
    // with the reason instead of writing over it.
    if (iResult == DOCEV_OK && iOverlay == 2 && szForm[0] && !bFormFileReplaceable(szForm)) {
        WCHAR szTidy[261] = {};
        TidyFilePath(szForm, szTidy, 261);
        std::u16string text = Format(IDS_FORM_NOT_REPLACED, szTidy), caption = Res(IDS_FORM_CAPTION);
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONWARNING);
        SetLastError(ERROR_FILE_EXISTS);
        iResult = DOCEV_FAIL;
    }
    if (iResult == DOCEV_OK && iOverlay == 3) {
        BYTE bClass = SniffFormFilePdl(szForm);
        BOOL bFits = (iPdl == 0 && bClass == 0) || (iPdl == 1 && bClass == 1) || (iPdl == 2 && bClass == 2) ||
                     (iPdl == 3 && bClass == 2);
        if (!bFits) {
            WCHAR szTidy[261] = {};
            TidyFilePath(szForm, szTidy, 261);
            std::u16string text = Format(IDS_FORM_PDL_MISMATCH, szTidy), caption = Res(IDS_FORM_CAPTION_PDL);
            MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
            if (!SuppressOutput(hdc))
                iResult = DOCEV_FAIL;
        }
    }
    FreeResourceDll();
    return iResult;
}

// ---------------------------------------------------------------------------
// File helpers

BYTE SniffFormFilePdl(LPCWSTR pszPath)
{
    if (!pszPath || !pszPath[0])
        return 0xFF;
    // Shared reading and only the bytes the signatures need: a second job
    // printing the same form must not make it unreadable here.
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0xFF;
    DWORD dwSize = GetFileSize(h, nullptr);
    BYTE ab[16] = {};
    DWORD cbRead = 0;
    BOOL bRead = dwSize != INVALID_FILE_SIZE && dwSize > 0 && ReadFile(h, ab, 11, &cbRead, nullptr);
    CloseHandle(h);
    if (!bRead)
        return 0xFF;
    auto starts = [&](const char* psz, DWORD cbMin) {
        size_t n = strlen(psz);
        return dwSize > cbMin && cbRead >= n && memcmp(ab, psz, n) == 0;
    };
    if (starts("foc ", 3) || starts("org %", 4))
        return 0;
    if (starts("\x1b&f16Y", 5))
        return 1;
    if (starts(") HP-PCL XL", 10))
        return 2;
    return 0xFF;
}

BOOL bFormFileReplaceable(LPCWSTR pszPath)
{
    if (!pszPath || !pszPath[0])
        return FALSE;
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    DWORD dwSize = GetFileSize(h, nullptr);
    CloseHandle(h);
    return dwSize == 0 || SniffFormFilePdl(pszPath) != 0xFF;
}

BOOL bDeleteFileIfPresent(LPCWSTR pszPath)
{
    if (!pszPath || !pszPath[0])
        return FALSE;
    HANDLE h = CreateFileW(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    return DeleteFileW(pszPath);
}

void DeleteFaxTempFiles(HANDLE hPrinter)
{
    WCHAR szPrinter[33];
    if (!PrinterName(hPrinter, szPrinter))
        return;
    DWORD n = GetFaxTempfileCount(szPrinter);
    for (DWORD i = 0; i < n && i <= FAXDEST_MAX + 1; ++i) {
        WCHAR szFile[261] = {};
        if (GetFaxTempfileName(szPrinter, static_cast<int>(i), szFile))
            bDeleteFileIfPresent(szFile);
        DeleteFaxTempfileName(szPrinter, static_cast<int>(i), 1);
    }
    DeleteFaxTempfileName(szPrinter, 0, 2);
    SetFaxTempfileCount(szPrinter, 0);
}

void ClearFaxTempFileList(HANDLE hPrinter)
{
    WCHAR szPrinter[33];
    if (!PrinterName(hPrinter, szPrinter))
        return;
    DeleteFaxTempfileName(szPrinter, 0, 2);
    SetFaxTempfileCount(szPrinter, 0);
}

int SendFaxDestinationFile(HDC hdc)
{
    DWORD dwNumber = 0;
    if (!Ok(DocEscape(hdc, ESC_FAX_LIST_ID, 0, nullptr, 4, &dwNumber)))
        return DOCEV_UNSUPPORTED;
    if (dwNumber == 0)
        return DOCEV_OK;
    WCHAR szTemp[261] = {}, szFile[261] = {};
    GetTempPathW(260, szTemp);
    GetTempFileNameW(szTemp, u"xpb", dwNumber, szFile);
    HANDLE h = CreateFileW(szFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Ok(DocEscape(hdc, ESC_FAX_FORGET_DESTS, 0, nullptr, 0, nullptr)) ? DOCEV_OK : DOCEV_UNSUPPORTED;
    BYTE* pBuf = AllocZero(FAXDESTFILE_SIZE);
    DWORD cbRead = 0;
    BOOL bRead = pBuf && ReadFile(h, pBuf, FAXDESTFILE_SIZE, &cbRead, nullptr) && cbRead == FAXDESTFILE_SIZE;
    CloseHandle(h);
    int iResult = DOCEV_UNSUPPORTED;
    if (bRead) {
        DeleteFileW(szFile);
        // A count outside 0..100 would make the receiver read past its list.
        LONG n = At<LONG>(pBuf, 0);
        if (n >= 0 && n <= FAXDEST_MAX &&
            Ok(DocEscape(hdc, ESC_FAX_DEST_LIST, FAXDESTFILE_SIZE, pBuf, 0, nullptr)) &&
            Ok(DocEscape(hdc, ESC_FAX_LIST_ID_CLEAR, 0, nullptr, 0, nullptr)))
            iResult = DOCEV_OK;
    }
    FreeBlock(&pBuf);
    return iResult;
}
