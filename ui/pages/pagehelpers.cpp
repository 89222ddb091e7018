// pagehelpers.cpp: help launcher, OS tests, value-list lookups, page-list
// checks and their warnings, edit-text helpers. See pagehelpers.h.
#include "ui/pages/pagehelpers.h"

#include "platform/gdi/msgbox.h"
#include "platform/spooler/winspool.h"

#include "ui/settings/pagelist.h"
#include "ui/settings/strcache.h"

#include <algorithm>
#include <cstring>

// ---- help ----------------------------------------------------------------

namespace {

#define Q730_ROW(control, context) (DWORD)(control), (DWORD)(context),
const DWORD k_adwHelpTable[] = {
#include "helptable.inc"
    0, 0};
#undef Q730_ROW
static_assert(sizeof(k_adwHelpTable) == (HELPTABLE_PAIRS + 1) * 2 * sizeof(DWORD),
              "the help table holds its pairs and the closing (0, 0) pair");

const WCHAR k_szHelpHlp[] = SPL_DRIVER_SUBDIRECTORY u"\\Q730MVHZ.hlp";
const WCHAR k_szHelpChm[] = SPL_DRIVER_SUBDIRECTORY u"\\Q730MVHZ.chm";
const WCHAR k_szHtmlHelpKey[] = u"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

PFN_WINHELPW g_pfnWinHelpSet;
PFN_HTMLHELPW g_pfnHtmlHelpSet;
PFN_HTMLHELPW g_pfnHtmlHelpBound;
HMODULE g_hHtmlHelpLib;

PFN_WINHELPW _BindWinHelp()
{
    if (g_pfnWinHelpSet)
        return g_pfnWinHelpSet;
    HMODULE hUser = GetModuleHandleW(u"USER32.DLL");
    if (!hUser)
        return nullptr;
    return (PFN_WINHELPW)GetProcAddress(hUser, "WinHelpW");
}

// The compiled-help engine lives in the library that the registry names for
// its control class; it is bound once and kept for the process.
PFN_HTMLHELPW _BindHtmlHelp()
{
    if (g_pfnHtmlHelpSet)
        return g_pfnHtmlHelpSet;
    if (g_pfnHtmlHelpBound)
        return g_pfnHtmlHelpBound;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, k_szHtmlHelpKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return nullptr;
    WCHAR szPath[MAX_PATH] = {};
    DWORD cb = sizeof(szPath) - sizeof(WCHAR);
    DWORD dwType = 0;
    LONG lr = RegQueryValueExW(hKey, nullptr, nullptr, &dwType, (BYTE*)szPath, &cb);
    RegCloseKey(hKey);
    if (lr != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ) || !szPath[0])
        return nullptr;
    g_hHtmlHelpLib = LoadLibraryW(szPath);
    if (!g_hHtmlHelpLib)
        return nullptr;
    g_pfnHtmlHelpBound = (PFN_HTMLHELPW)GetProcAddress(g_hHtmlHelpLib, "HtmlHelpW");
    return g_pfnHtmlHelpBound;
}

BOOL _GetVersion(OSVERSIONINFOW* pvi)
{
    memset(pvi, 0, sizeof(*pvi));
    pvi->dwOSVersionInfoSize = sizeof(*pvi);
    return GetVersionExW(pvi);
}

}  // namespace

const DWORD* GetHelpTable()
{
    return k_adwHelpTable;
}

DWORD GetHelpContext(DWORD dwControlId)
{
    for (const DWORD* p = k_adwHelpTable; p[0] || p[1]; p += 2)
        if (p[0] == dwControlId)
            return p[1];
    return 0;
}

void HelpSetEngines(PFN_WINHELPW pfnWinHelp, PFN_HTMLHELPW pfnHtmlHelp)
{
    g_pfnWinHelpSet = pfnWinHelp;
    g_pfnHtmlHelpSet = pfnHtmlHelp;
}

BOOL ShowDriverHelp(HWND hwnd, LPWSTR pszPath, UINT uCommand, ULONG_PTR dwData)
{
    if (!pszPath)
        return FALSE;
    UINT cch = GetSystemDirectoryW(pszPath, HELPTABLE_PATH_CCH);
    if (cch == 0 || cch >= HELPTABLE_PATH_CCH)
        return FALSE;
    BOOL bCompiled = bIsNt6OrLater();
    LPCWSTR pszTail = bCompiled ? k_szHelpChm : k_szHelpHlp;
    // The system directory can be long; the tail must fit with its terminator.
    if (cch + (UINT)lstrlenW(pszTail) >= HELPTABLE_PATH_CCH)
        return FALSE;
    lstrcpynW(pszPath + cch, pszTail, HELPTABLE_PATH_CCH - cch);
    if (bCompiled) {
        // The compiled help has no popup help for controls: F1 on a control
        // and the context menu show nothing there.
        if (uCommand != HELP_CONTEXT)
            return FALSE;
        PFN_HTMLHELPW pfn = _BindHtmlHelp();
        return pfn ? pfn(hwnd, pszPath, HH_HELP_CONTEXT, dwData) != nullptr : FALSE;
    }
    PFN_WINHELPW pfn = _BindWinHelp();
    return pfn ? pfn(hwnd, pszPath, uCommand, dwData) : FALSE;
}

BOOL bIsNt6OrLater()
{
    OSVERSIONINFOW vi;
    if (!_GetVersion(&vi))
        return FALSE;
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion > 5;
}

DWORD GetOsClass()
{
    OSVERSIONINFOW vi;
    if (!_GetVersion(&vi))
        return 0;
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && vi.dwMajorVersion == 4) {
        if (vi.dwMinorVersion == 0)
            return OSCLASS_WIN95;
        if (vi.dwMinorVersion == 10)
            return OSCLASS_WIN98;
        return 0;
    }
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (vi.dwMajorVersion == 4)
            return OSCLASS_NT4;
        if (vi.dwMajorVersion == 5 && vi.dwMinorVersion == 0)
            return OSCLASS_WIN2000;
        if (vi.dwMajorVersion == 5 && vi.dwMinorVersion == 1)
            return OSCLASS_WINXP;
    }
    return 0;
}

// ---- value lists ---------------------------------------------------------

UIITEMCHOICE* GetValueListItem(FEATUREVALUELIST* pList, int i)
{
    return (UIITEMCHOICE*)((BYTE*)pList + sizeof(UIITEMLIST)) + i;
}

const UIITEMCHOICE* GetValueListItem(const FEATUREVALUELIST* pList, int i)
{
    return (const UIITEMCHOICE*)((const BYTE*)pList + sizeof(UIITEMLIST)) + i;
}

WORD GetEnabledItemPosition(const FEATUREVALUELIST* pList, SHORT sCode)
{
    if (!pList)
        return POSITION_NONE;
    WORD wPos = 0;
    for (int i = 0; i < pList->sCount; ++i) {
        const UIITEMCHOICE* p = GetValueListItem(pList, i);
        // A list may carry one code twice (the page orders of either
        // orientation); the shown item of the code is the one meant.
        if (p->sEnabled != VALUEITEM_ENABLED)
            continue;
        if (p->sValue == sCode)
            return wPos;
        ++wPos;
    }
    return POSITION_NONE;
}

WORD GetItemPosition(const FEATUREVALUELIST* pList, SHORT sCode)
{
    if (!pList)
        return POSITION_NONE;
    for (int i = 0; i < pList->sCount; ++i)
        if (GetValueListItem(pList, i)->sValue == sCode)
            return (WORD)i;
    return POSITION_NONE;
}

WORD FindValueListText(const FEATUREVALUELIST* pList, LPCWSTR pszText)
{
    if (!pList || !pszText)
        return POSITION_NONE;
    for (int i = 0; i < pList->sCount; ++i)
        if (lstrcmpW(GetValueListItem(pList, i)->szText, pszText) == 0)
            return (WORD)i;
    return POSITION_NONE;
}

WORD FindComboSelectionInList(HWND hCombo, const FEATUREVALUELIST* pList)
{
    if (!hCombo || !pList)
        return POSITION_NONE;
    LRESULT k = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    // An item's text holds at most 63 characters: a longer one is no item's.
    if (k == CB_ERR || SendMessageW(hCombo, CB_GETLBTEXTLEN, (WPARAM)k, 0) >= 64)
        return POSITION_NONE;
    WCHAR szText[64] = {};
    SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)k, (LPARAM)szText);
    return FindValueListText(pList, szText);
}

// ---- page lists ----------------------------------------------------------

namespace {

bool _IsDigit(WCHAR c)
{
    return c >= u'0' && c <= u'9';
}

}  // namespace

int CheckPageListSyntax(LPCWSTR pszText, int cchText, int nMaxDigits)
{
    if (!pszText || cchText <= 0)
        return PAGELIST_OK;
    // The separators' positions fit a table of PAGELIST_MAX_TEXT + 1 entries;
    // a longer text is refused rather than scanned past it.
    if (cchText > PAGELIST_MAX_TEXT)
        return PAGELIST_BAD_CHAR;
    for (int i = 0; i < cchText; ++i)
        if (!_IsDigit(pszText[i]) && pszText[i] != u',' && pszText[i] != u'-')
            return PAGELIST_BAD_CHAR;
    if (pszText[0] == u',')
        return PAGELIST_BAD_COMMA;
    if (pszText[0] == u'0')
        return PAGELIST_LEADING_ZERO;
    if (pszText[0] == u'-')
        return PAGELIST_BAD_HYPHEN;
    // After a separator comes a number: no empty number and no leading zero.
    // A hyphen right after a comma is an empty number before the range, so it
    // counts as a misplaced comma (2,-3), and a doubled hyphen as a
    // misplaced hyphen (2--3).
    for (int i = 1; i < cchText; ++i) {
        WCHAR prev = pszText[i - 1];
        if (prev != u',' && prev != u'-')
            continue;
        WCHAR c = pszText[i];
        if (c == u',')
            return PAGELIST_BAD_COMMA;
        if (c == u'0')
            return PAGELIST_LEADING_ZERO;
        if (c == u'-')
            return prev == u',' ? PAGELIST_BAD_COMMA : PAGELIST_BAD_HYPHEN;
    }
    int aPos[PAGELIST_MAX_TEXT + 1];
    int nPos = 0;
    for (int i = 0; i < cchText; ++i)
        if (pszText[i] == u',' || pszText[i] == u'-')
            aPos[nPos++] = i;
    aPos[nPos++] = cchText;
    if (aPos[0] > nMaxDigits)
        return PAGELIST_BAD_CHAR;
    for (int k = 1; k < nPos; ++k)
        if (aPos[k] - aPos[k - 1] - 1 > nMaxDigits)
            return PAGELIST_BAD_CHAR;
    bool bHyphen = false;
    for (int i = 0; i < cchText; ++i) {
        if (pszText[i] == u',')
            bHyphen = false;
        else if (pszText[i] == u'-') {
            if (bHyphen)
                return PAGELIST_BAD_HYPHEN;
            bHyphen = true;
        }
    }
    return PAGELIST_OK;
}

int CollectDuplicateValues(const SHORT* pValues, int nCount, SHORT* pOut, int nCapacity)
{
    if (!pValues || !pOut || nCapacity <= 0)
        return 0;
    int n = 0;
    for (int i = 0; i < nCount && n < nCapacity; ++i) {
        bool bSeenBefore = false;
        for (int j = 0; j < i && !bSeenBefore; ++j)
            bSeenBefore = pValues[j] == pValues[i];
        if (bSeenBefore)
            continue;
        bool bRepeated = false;
        for (int j = i + 1; j < nCount && !bRepeated; ++j)
            bRepeated = pValues[j] == pValues[i];
        if (bRepeated)
            pOut[n++] = pValues[i];
    }
    return n;
}

BOOL FormatDuplicateList(const SHORT* pValues, int nCount, LPWSTR pszOut, int cchOut)
{
    if (!pValues || !pszOut || cchOut <= 0)
        return FALSE;
    pszOut[0] = 0;
    int nLen = 0;
    int nShown = nCount > 5 ? 5 : nCount;
    for (int i = 0; i < nShown; ++i) {
        WCHAR szNum[16];
        int n = wsprintfW(szNum, nCount > 5 || i + 1 < nShown ? u"%d," : u"%d", pValues[i]);
        if (nLen + n >= cchOut)
            break;
        lstrcpynW(pszOut + nLen, szNum, cchOut - nLen);
        nLen += n;
    }
    if (nCount > 5) {
        LPCWSTR pszMore = GetResString(21580);
        lstrcpynW(pszOut + nLen, pszMore, cchOut - nLen);
    }
    return TRUE;
}

BOOL ShowDuplicatePagesWarning(HWND hwnd, UINT uCaptionId, const SHORT* pValues, int nCount)
{
    if (!pValues || nCount <= 0)
        return FALSE;
    SHORT aSorted[PAGELIST_MAX_TEXT];
    int n = std::min(nCount, (int)PAGELIST_MAX_TEXT);
    std::copy(pValues, pValues + n, aSorted);
    SortPageNumbers(aSorted, n);
    WCHAR szList[DUPLIST_CCH];
    if (!FormatDuplicateList(aSorted, n, szList, DUPLIST_CCH))
        return FALSE;
    WCHAR szMessage[1026 + DUPLIST_CCH];
    wnsprintfW(szMessage, (int)(sizeof(szMessage) / sizeof(WCHAR)), u"%s%s%s", GetResString(28502),
               GetResString(28503), szList);
    WCHAR szCaption[1026];
    lstrcpynW(szCaption, GetResString(uCaptionId), 1026);
    MessageBoxW(hwnd, szMessage, szCaption, MB_ICONWARNING);
    return TRUE;
}

BOOL FormatPageListError(int nError, int nKind, LPWSTR pszOut, int cchOut)
{
    if (!pszOut || cchOut <= 0)
        return FALSE;
    pszOut[0] = 0;
    WCHAR szPart[1026];
    switch (nError) {
    case PAGELIST_BAD_CHAR:
        if (nKind == PAGELIST_KIND_PAGES)
            wnsprintfW(pszOut, cchOut, GetResString(28514), GetResString(21002), 4);
        else if (nKind == PAGELIST_KIND_COVERS || nKind == PAGELIST_KIND_SHEETS)
            wnsprintfW(pszOut, cchOut, GetResString(28514), GetResString(21001), 3);
        else if (nKind == PAGELIST_KIND_SINGLE)
            lstrcpynW(pszOut, GetResString(28515), cchOut);
        else
            wnsprintfW(pszOut, cchOut, GetResString(28514), u"--", 0);
        return TRUE;
    case PAGELIST_BAD_COMMA:
    case PAGELIST_LEADING_ZERO:
    case PAGELIST_BAD_HYPHEN: {
        UINT uWhat = nError == PAGELIST_BAD_COMMA ? 21003 : nError == PAGELIST_LEADING_ZERO ? 21004 : 21005;
        wnsprintfW(szPart, 1026, GetResString(28512), GetResString(uWhat));
        wnsprintfW(pszOut, cchOut, u"%s%s", szPart, GetResString(28513));
        return TRUE;
    }
    case PAGELIST_TOO_MANY:
        if (nKind == PAGELIST_KIND_PAGES)
            wnsprintfW(szPart, 1026, GetResString(28501), 9999);
        else if (nKind == PAGELIST_KIND_CHAPTERS)
            wnsprintfW(szPart, 1026, GetResString(29001), 30);
        else if (nKind == PAGELIST_KIND_COVERS)
            wnsprintfW(szPart, 1026, GetResString(28597), 28);
        else {
            lstrcpynW(pszOut, u"--", cchOut);
            return TRUE;
        }
        wnsprintfW(pszOut, cchOut, GetResString(21018),
                   GetResString(nKind == PAGELIST_KIND_PAGES ? 21002 : 21001), szPart);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL ShowPageListError(HWND hwnd, UINT uCaptionId, int nError, int nKind)
{
    WCHAR szMessage[1026];
    if (!FormatPageListError(nError, nKind, szMessage, 1026))
        return FALSE;
    WCHAR szCaption[1026];
    lstrcpynW(szCaption, GetResString(uCaptionId), 1026);
    MessageBoxW(hwnd, szMessage, szCaption, MB_ICONWARNING);
    return TRUE;
}

// ---- edit helpers --------------------------------------------------------

int InsertCharInText(LPCWSTR pszText, LPWSTR pszOut, int cchMax, DWORD dwSel, WCHAR ch)
{
    if (!pszText || !pszOut || cchMax < 1)
        return 0;
    int nLen = lstrlenW(pszText);
    int nStart = (int)LOWORD(dwSel);
    int nEnd = (int)HIWORD(dwSel);
    if (nStart > nEnd)
        std::swap(nStart, nEnd);
    if (nEnd > nLen || nEnd > cchMax)
        return 0;
    int nNew = nStart + 1 + (nLen - nEnd);
    // The result must fit with its terminator, whatever the caller typed into.
    if (nNew > cchMax)
        return 0;
    WCHAR szTail[PAGELIST_MAX_TEXT + 2];
    int nTail = nLen - nEnd;
    if (nTail > PAGELIST_MAX_TEXT + 1)
        return 0;
    memcpy(szTail, pszText + nEnd, nTail * sizeof(WCHAR));
    if (pszOut != pszText)
        memmove(pszOut, pszText, nStart * sizeof(WCHAR));
    pszOut[nStart] = ch;
    memcpy(pszOut + nStart + 1, szTail, nTail * sizeof(WCHAR));
    pszOut[nNew] = 0;
    return nNew;
}

BOOL bHasNonZeroDigit(LPCWSTR pszText)
{
    if (!pszText)
        return FALSE;
    for (; *pszText; ++pszText) {
        WCHAR sz[2] = {*pszText, 0};
        SHORT sValue = 0;
        if (ParsePageNumbers(sz, &sValue, 1) == 1 && sValue != 0)
            return TRUE;
    }
    return FALSE;
}

void FillWithNines(int nCount, LPWSTR pszOut)
{
    if (!pszOut)
        return;
    for (int i = 0; i < nCount; ++i)
        pszOut[i] = u'9';
}

// ---- sheet origin ----------------------------------------------------------

namespace {

bool _EndsWith(LPCWSTR pszTitle, int nLen, LPCWSTR pszSuffix, int nCompare)
{
    int nSuffix = lstrlenW(pszSuffix);
    if (nSuffix < nCompare || nLen < nCompare)
        return false;
    return memcmp(pszTitle + nLen - nCompare, pszSuffix + nSuffix - nCompare, nCompare * sizeof(WCHAR)) == 0;
}

}  // namespace

BOOL TitleLacksSheetSuffix(LPCWSTR pszTitle, BOOL bKeep)
{
    OSVERSIONINFOW vi;
    if (!_GetVersion(&vi) || vi.dwPlatformId != VER_PLATFORM_WIN32_NT || vi.dwMajorVersion != 5)
        return bKeep;
    if (!pszTitle || !pszTitle[0])
        return TRUE;
    int n = lstrlenW(pszTitle);
    if (n >= 5 && _EndsWith(pszTitle, n, GetResString(31632), 4))
        return FALSE;
    if (n > 4 && _EndsWith(pszTitle, n, GetResString(31633), 5))
        return FALSE;
    return TRUE;
}

namespace {

// A static text without an id: a label a template gives no control of its
// own.
bool _bIdlessLabel(HWND h)
{
    WCHAR szClass[16] = {};
    if (!h || GetClassNameW(h, szClass, 16) <= 0 || lstrcmpiW(szClass, u"Static") != 0)
        return false;
    int id = GetDlgCtrlID(h);
    if (id != -1 && id != 0xFFFF)
        return false;
    DWORD dwType = (DWORD)GetWindowLongW(h, GWL_STYLE) & SS_TYPEMASK;
    if (dwType != SS_LEFT && dwType != SS_CENTER && dwType != SS_RIGHT && dwType != SS_SIMPLE &&
        dwType != SS_LEFTNOWORDWRAP)
        return false;
    return GetWindowTextLengthW(h) > 0;
}

}  // namespace

void EnableFieldLabels(HWND hCtl, BOOL bEnable)
{
    if (!hCtl)
        return;
    HWND hPrev = GetWindow(hCtl, GW_HWNDPREV);
    if (_bIdlessLabel(hPrev))
        EnableWindow(hPrev, bEnable);
    // An up-down control goes with the field it stands beside.
    HWND hNext = GetWindow(hCtl, GW_HWNDNEXT);
    for (WCHAR szClass[32] = {}; hNext && GetClassNameW(hNext, szClass, 32) > 0 &&
                                 lstrcmpiW(szClass, UPDOWN_CLASSW) == 0;)
        hNext = GetWindow(hNext, GW_HWNDNEXT);
    for (HWND h = hNext; _bIdlessLabel(h); h = GetWindow(h, GW_HWNDNEXT))
        EnableWindow(h, bEnable);
}
