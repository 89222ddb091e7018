// docevent_store.cpp: per-user store readers and text helpers of the
// document-event chain (see docevent_store.h).
#include "ui/driverui/docevent_store.h"

#include "ui/settings/listset.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/strcache.h"

#include <cstring>
#include <string>

namespace {

const WCHAR kFaxKey[] = u"Fax Cover Sheet";
const WCHAR kCountKey[] = u"Tempfile Count";
const WCHAR kNameKey[] = u"Tempfile Name";
const WORD kFeatureInterSheet = 4097;

// How many times the insert-sheet lists were read from the store.
DWORD g_dwInterSheetLoads = 0;

// Loads the printer's insert-sheet lists and hands list iList to pfnUse.
template <typename F>
BOOL WithInterSheetList(LPCWSTR pszPrinter, int iList, F pfnUse)
{
    if (!pszPrinter || iList < 1 || iList > INTERSHEET_LISTS)
        return FALSE;
    ++g_dwInterSheetLoads;
    INTERSHEETLIST* pList = CreateInterSheetList();
    if (!pList || !pList->pLists) {
        FreeInterSheetList(&pList);
        return FALSE;
    }
    REGTREESET tables = {};
    BuildRegTreeTables(&tables);
    BOOL bOk = tables.pAll != nullptr &&
               RegTreeWalkList(pList, &tables, kFeatureInterSheet, pszPrinter, 1 /*RTW_LOAD*/);
    if (bOk)
        bOk = pfnUse(pList->pLists[iList - 1]);
    FreeRegTreeTables(&tables);
    FreeInterSheetList(&pList);
    return bOk;
}

std::u16string IndexName(int i)
{
    std::string s = std::to_string(i);
    return std::u16string(s.begin(), s.end());
}

BOOL FaxPath(LPCWSTR pszPrinter, LPCWSTR pszSub, LPWSTR pszOut)
{
    return pszPrinter && BuildUserRegPath(pszOut, pszPrinter, kFaxKey, pszSub);
}

}  // namespace

BOOL GetInterSheetItemValue(LPCWSTR pszPrinter, int iList, int* pnCount)
{
    return pnCount && WithInterSheetList(pszPrinter, iList, [&](const INTERSHEETREC& r) {
               *pnCount = r.sPageListNum;
               return TRUE;
           });
}

BOOL GetInterSheetItemEntry(LPCWSTR pszPrinter, int iList, int iEntry, BYTE* pEntry)
{
    if (!pEntry || iEntry < 0 || iEntry >= INTERSHEET_ENTRIES)
        return FALSE;
    return WithInterSheetList(pszPrinter, iList, [&](const INTERSHEETREC& r) {
        if (!r.pEntries)
            return FALSE;
        memcpy(pEntry, r.pEntries + iEntry * INSERTSHEET_BYTES, INSERTSHEET_BYTES);
        return TRUE;
    });
}

BOOL LoadInterSheetItems(LPCWSTR pszPrinter, int iList, INTERSHEETITEMS* pOut)
{
    if (!pOut)
        return FALSE;
    memset(pOut, 0, sizeof(*pOut));
    BOOL bOk = WithInterSheetList(pszPrinter, iList, [&](const INTERSHEETREC& r) {
        // A count past the list's capacity is kept for the caller to refuse;
        // only the entries the list holds are copied.
        int n = r.sPageListNum < 0 ? 0 : r.sPageListNum;
        pOut->n = n;
        int nCopy = n > INTERSHEET_ENTRIES ? INTERSHEET_ENTRIES : n;
        if (nCopy > 0 && r.pEntries) {
            pOut->pEntries = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, nCopy * INSERTSHEET_BYTES));
            if (!pOut->pEntries)
                return FALSE;
            memcpy(pOut->pEntries, r.pEntries, nCopy * INSERTSHEET_BYTES);
        }
        if (r.pTabBlock)
            memcpy(pOut->adwPair, r.pTabBlock, INTERSHEET_TABBLOCK);
        pOut->dwValue2 = static_cast<DWORD>(static_cast<LONG>(r.sMixplex));
        return TRUE;
    });
    if (!bOk)
        FreeInterSheetItems(pOut);
    return bOk;
}

const BYTE* InterSheetItemAt(const INTERSHEETITEMS* p, int i)
{
    if (!p || !p->pEntries || i < 0 || i >= p->n || i >= INTERSHEET_ENTRIES)
        return nullptr;
    return p->pEntries + i * INSERTSHEET_BYTES;
}

void FreeInterSheetItems(INTERSHEETITEMS* p)
{
    if (!p)
        return;
    if (p->pEntries)
        GlobalFree(p->pEntries);
    memset(p, 0, sizeof(*p));
}

DWORD InterSheetListLoads() { return g_dwInterSheetLoads; }

BOOL GetInterSheetItemPair(LPCWSTR pszPrinter, int iList, DWORD adwPair[2])
{
    return adwPair && WithInterSheetList(pszPrinter, iList, [&](const INTERSHEETREC& r) {
               if (!r.pTabBlock)
                   return FALSE;
               memcpy(adwPair, r.pTabBlock, INTERSHEET_TABBLOCK);
               return TRUE;
           });
}

BOOL GetInterSheetItemValue2(LPCWSTR pszPrinter, int iList, DWORD* pdwValue)
{
    return pdwValue && WithInterSheetList(pszPrinter, iList, [&](const INTERSHEETREC& r) {
               *pdwValue = static_cast<DWORD>(static_cast<LONG>(r.sMixplex));
               return TRUE;
           });
}

DWORD GetFaxTempfileCount(LPCWSTR pszPrinter)
{
    WCHAR szPath[1024];
    DWORD dwCount = 0, dwType = 0, cb = sizeof(dwCount);
    if (!FaxPath(pszPrinter, kCountKey, szPath) ||
        !bQueryUserRegValue(hkeyUserRoot(), szPath, &dwType, u"0", &dwCount, &cb) || dwType != REG_DWORD)
        return 0;
    return dwCount;
}

BOOL SetFaxTempfileCount(LPCWSTR pszPrinter, DWORD dwCount)
{
    WCHAR szPath[1024];
    if (!FaxPath(pszPrinter, kCountKey, szPath))
        return FALSE;
    // No temporary files left: the count key goes, as a reader of a
    // missing key already answers 0.
    if (dwCount == 0) {
        LONG r = OsRegDeleteKey(hkeyUserRoot(), szPath);
        return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
    }
    return bSetUserRegValue(hkeyUserRoot(), szPath, REG_DWORD, u"0", &dwCount, sizeof(dwCount));
}

BOOL GetFaxTempfileName(LPCWSTR pszPrinter, int i, LPWSTR pszOut)
{
    WCHAR szPath[1024];
    WCHAR szName[261] = {};
    DWORD dwType = 0, cb = 520;
    if (!pszOut)
        return FALSE;
    pszOut[0] = 0;
    if (!FaxPath(pszPrinter, kNameKey, szPath) ||
        !bQueryUserRegValue(hkeyUserRoot(), szPath, &dwType, IndexName(i).c_str(), szName, &cb) ||
        dwType != REG_SZ)
        return FALSE;
    lstrcpynW(pszOut, szName, 260);
    return TRUE;
}

BOOL SetFaxTempfileName(LPCWSTR pszPrinter, int i, LPCWSTR pszPath)
{
    WCHAR szPath[1024];
    if (!pszPath || !FaxPath(pszPrinter, kNameKey, szPath))
        return FALSE;
    return bSetUserRegValue(hkeyUserRoot(), szPath, REG_SZ, IndexName(i).c_str(), pszPath,
                            static_cast<DWORD>((lstrlenW(pszPath) + 1) * sizeof(WCHAR)));
}

BOOL DeleteFaxTempfileName(LPCWSTR pszPrinter, int i, int iMode)
{
    WCHAR szPath[1024];
    if (!FaxPath(pszPrinter, kNameKey, szPath))
        return FALSE;
    if (iMode == 2)
        return OsRegDeleteKey(hkeyUserRoot(), szPath) == ERROR_SUCCESS;
    HKEY hKey = nullptr;
    if (OsRegOpenKey(hkeyUserRoot(), szPath, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return FALSE;
    BOOL bOk = RegDeleteValueW(hKey, IndexName(i).c_str()) == ERROR_SUCCESS;
    OsRegCloseKey(hKey);
    return bOk;
}

void ScramblePassword(LPCWSTR pszSource, LPWSTR pszTarget)
{
    if (!pszSource || !pszTarget)
        return;
    for (int i = 0; i < 11; ++i) {
        if (pszSource[i] == 0) {
            pszTarget[i] = 0;
            return;
        }
        pszTarget[i] = static_cast<WCHAR>(pszSource[i] ^ 0xFFFF);
    }
}

void TidyFilePath(LPCWSTR pszPath, LPWSTR pszOut, int cchOut)
{
    if (!pszOut || cchOut <= 0)
        return;
    pszOut[0] = 0;
    if (!pszPath)
        return;
    std::u16string s(pszPath);
    size_t iSlash = s.find_last_of(u'\\');
    std::u16string out = s;
    if (iSlash != std::u16string::npos) {
        std::u16string dir = s.substr(0, iSlash);
        while (!dir.empty() && dir.back() == u'\\')
            dir.pop_back();
        out = dir + u"\\" + s.substr(iSlash + 1);
    }
    lstrcpynW(pszOut, out.c_str(), cchOut);
}
