// regwalk.cpp: the registry-tree walk (see regwalk.h).
#include "ui/settings/regwalk.h"

#include <cstring>

#include "ui/settings/listset.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/strcache.h"
#include "ui/settings/engineentry.h"
#include "ui/settings/uiparam.h"

namespace {

const int kNameCch = 80;

struct WALK {
    void* pList;
    PFNRTLOCATE pfnLocate;
    const REGTREETABLE* pTable;
    LPCWSTR pszPrinter;
    int iAction;
};

int _Level(const REGTREE& r)
{
    if (r.szLevel1[0])
        return 1;
    if (r.szLevel2[0])
        return 2;
    if (r.szLevel3[0])
        return 3;
    return 0;
}

// The nearest row above i whose name is at the given level; -1 when none.
int _Ancestor(const REGTREETABLE* pTable, int i, int iLevel)
{
    for (int a = i - 1; a >= 0; --a)
        if (_Level(pTable->pRows[a].row) == iLevel)
            return a;
    return -1;
}

// Last index of a row's range: its count (read through the list) when it has
// a count row, bounded by its own last index.
int _LastIndex(const WALK& w, const REGTREE& r, int j)
{
    if (!r.wCountRow || w.iAction == RTW_DELETE)
        return r.wLast;
    void* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    if (!w.pfnLocate(w.pList, r.wCountRow, j, 0, &pAddr, &cb, &wType) || !pAddr)
        return (int)r.wFirst - 1;
    LONG n = 0;
    if (wType == 1)
        n = *(BYTE*)pAddr;
    else if (wType == 2)
        n = *(WORD*)pAddr;
    else if (wType == 4)
        n = *(SHORT*)pAddr;
    else if (cb >= 4)
        memcpy(&n, pAddr, 4);
    if (n <= 0)
        return (int)r.wFirst - 1;
    int iLast = (int)r.wFirst + (int)n - 1;
    return iLast < (int)r.wLast ? iLast : (int)r.wLast;
}

void _Format(LPWSTR pszOut, LPCWSTR pszName, int n)
{
    wnsprintfW(pszOut, kNameCch, pszName, n);
}

HKEY _OpenKey(const WALK& w, LPCWSTR pszSub, LPCWSTR pszSub2, BOOL bCreate)
{
    WCHAR szPath[USERREG_PATH_CCH];
    if (!BuildUserRegPath(szPath, w.pszPrinter, pszSub, pszSub2))
        return nullptr;
    HKEY hKey = nullptr;
    LONG l = bCreate ? RegCreateKeyExW(hkeyUserRoot(), szPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr)
                     : RegOpenKeyExW(hkeyUserRoot(), szPath, 0, KEY_ALL_ACCESS, &hKey);
    return l == ERROR_SUCCESS ? hKey : nullptr;
}

void _LoadValue(HKEY hKey, LPCWSTR pszValue, BYTE* pField, DWORD cb, WORD wType)
{
    DWORD dwType = 0;
    switch (wType) {
    case 1: case 2: case 4: case 8: case 16: case 32: {
        DWORD dw = 0, cbRead = sizeof(dw);
        if (RegQueryValueExW(hKey, pszValue, nullptr, &dwType, (BYTE*)&dw, &cbRead) != ERROR_SUCCESS ||
            dwType != REG_DWORD || cbRead != sizeof(dw))
            return;
        memcpy(pField, &dw, cb < 4 ? cb : 4);
        return;
    }
    case 64: {
        BYTE* pTmp = new BYTE[cb];
        DWORD cbRead = cb;
        if (RegQueryValueExW(hKey, pszValue, nullptr, &dwType, pTmp, &cbRead) == ERROR_SUCCESS &&
            dwType == REG_BINARY && cbRead <= cb)
            memcpy(pField, pTmp, cbRead);
        delete[] pTmp;
        return;
    }
    case 128: {
        DWORD cch = cb / sizeof(WCHAR);
        if (!cch)
            return;
        WCHAR* pTmp = new WCHAR[cch];
        memset(pTmp, 0, cch * sizeof(WCHAR));
        DWORD cbRead = cch * sizeof(WCHAR);
        if (RegQueryValueExW(hKey, pszValue, nullptr, &dwType, (BYTE*)pTmp, &cbRead) == ERROR_SUCCESS &&
            dwType == REG_SZ) {
            pTmp[cch - 1] = 0;
            memset(pField, 0, cb);
            memcpy(pField, pTmp, cch * sizeof(WCHAR));
        }
        delete[] pTmp;
        return;
    }
    default:
        return;
    }
}

void _StoreValue(HKEY hKey, LPCWSTR pszValue, const BYTE* pField, DWORD cb, WORD wType)
{
    switch (wType) {
    case 1: case 2: case 4: case 8: case 16: case 32: {
        DWORD dw = 0;
        if (wType == 1)
            dw = pField[0];
        else if (wType == 2)
            dw = *(const WORD*)pField;
        else if (wType == 4)
            dw = (DWORD)(LONG) * (const SHORT*)pField;
        else
            memcpy(&dw, pField, 4);
        RegSetValueExW(hKey, pszValue, 0, REG_DWORD, (const BYTE*)&dw, sizeof(dw));
        return;
    }
    case 64:
        RegSetValueExW(hKey, pszValue, 0, REG_BINARY, pField, cb);
        return;
    case 128: {
        DWORD cch = 0, cchMax = cb / sizeof(WCHAR);
        const WCHAR* psz = (const WCHAR*)pField;
        while (cch < cchMax && psz[cch])
            ++cch;
        if (cch == cchMax) {
            // A field filled to its end is stored cut, with its terminator.
            WCHAR* pTmp = new WCHAR[cch + 1];
            memcpy(pTmp, psz, cch * sizeof(WCHAR));
            pTmp[cch ? cch - 1 : 0] = 0;
            RegSetValueExW(hKey, pszValue, 0, REG_SZ, (const BYTE*)pTmp, (DWORD)(lstrlenW(pTmp) + 1) * 2);
            delete[] pTmp;
            return;
        }
        RegSetValueExW(hKey, pszValue, 0, REG_SZ, (const BYTE*)psz, (cch + 1) * sizeof(WCHAR));
        return;
    }
    default:
        return;
    }
}

void _MoveValue(const WALK& w, HKEY hKey, const REGTREE& r, LPCWSTR pszValue, int j, int k)
{
    void* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    if (!w.pfnLocate(w.pList, r.wId, j, k, &pAddr, &cb, &wType) || !pAddr || !cb)
        return;
    if (w.iAction == RTW_LOAD)
        _LoadValue(hKey, pszValue, (BYTE*)pAddr, cb, wType);
    else
        _StoreValue(hKey, pszValue, (const BYTE*)pAddr, cb, wType);
}

void _WalkRow(const WALK& w, int i, int iPass)
{
    const REGTREE& r = w.pTable->pRows[i].row;
    BOOL bKey = (r.wNodeType & RT_NODE_MASK) == RT_NODE_KEY;
    BOOL bStore = w.iAction == RTW_STORE || w.iAction == RTW_STORE_DEFAULTS;
    BOOL bDelete = w.iAction == RTW_DELETE;
    WCHAR szName[kNameCch], szName2[kNameCch];
    switch (_Level(r)) {
    case 1:
        if (bKey) {
            if (bStore) {
                if (HKEY h = _OpenKey(w, r.szLevel1, nullptr, TRUE))
                    RegCloseKey(h);
            } else if (bDelete && iPass == 2) {
                WCHAR szPath[USERREG_PATH_CCH];
                if (BuildUserRegPath(szPath, w.pszPrinter, r.szLevel1, nullptr))
                    bDeleteUserRegTree(hkeyUserRoot(), w.pszPrinter, szPath);
            }
        } else if (!bDelete) {
            if (HKEY h = _OpenKey(w, nullptr, nullptr, bStore)) {
                _MoveValue(w, h, r, r.szLevel1, 1, 0);
                RegCloseKey(h);
            }
        }
        return;
    case 2: {
        int a1 = _Ancestor(w.pTable, i, 1);
        if (a1 < 0)
            return;
        LPCWSTR pszL1 = w.pTable->pRows[a1].row.szLevel1;
        int iLast = _LastIndex(w, r, 0);
        for (int j = r.wFirst; j <= iLast; ++j) {
            _Format(szName, r.szLevel2, j);
            if (bKey) {
                if (bStore) {
                    if (HKEY h = _OpenKey(w, pszL1, szName, TRUE))
                        RegCloseKey(h);
                } else if (bDelete && iPass == 1) {
                    WCHAR szPath[USERREG_PATH_CCH];
                    if (BuildUserRegPath(szPath, w.pszPrinter, pszL1, szName))
                        bDeleteUserRegTree(hkeyUserRoot(), w.pszPrinter, szPath);
                }
            } else if (!bDelete) {
                if (HKEY h = _OpenKey(w, pszL1, nullptr, bStore)) {
                    _MoveValue(w, h, r, szName, j, 0);
                    RegCloseKey(h);
                }
            }
        }
        return;
    }
    case 3: {
        int a2 = _Ancestor(w.pTable, i, 2);
        int a1 = a2 < 0 ? -1 : _Ancestor(w.pTable, a2, 1);
        if (a1 < 0 || bDelete)
            return;  // level-3 keys go with their level-2 key
        const REGTREE& r2 = w.pTable->pRows[a2].row;
        LPCWSTR pszL1 = w.pTable->pRows[a1].row.szLevel1;
        int iLast2 = _LastIndex(w, r2, 0);
        for (int j = r2.wFirst; j <= iLast2; ++j) {
            _Format(szName2, r2.szLevel2, j);
            HKEY h = _OpenKey(w, pszL1, szName2, bStore);
            if (!h)
                continue;
            int iLast = _LastIndex(w, r, j);
            for (int k = r.wFirst; k <= iLast; ++k) {
                _Format(szName, r.szLevel3, k);
                _MoveValue(w, h, r, szName, j, k);
            }
            RegCloseKey(h);
        }
        return;
    }
    default:
        return;
    }
}

BOOL _LocInterSheet(void* pList, WORD wId, int j, int k, void** ppAddr, DWORD* pcb, WORD* pwType)
{
    return LocateInterSheetField(wId, j, k, ppAddr, pcb, pwType, (INTERSHEETLIST*)pList);
}

BOOL _LocForm(void* pList, WORD wId, int j, int k, void** ppAddr, DWORD* pcb, WORD* pwType)
{
    return LocateFormField(wId, k, k - 1, ppAddr, pcb, pwType, (FORMLIST*)pList);
}

BOOL _LocWatermark(void* pList, WORD wId, int j, int k, void** ppAddr, DWORD* pcb, WORD* pwType)
{
    // Records are the keys "WMarkListData%d"; their fields carry no index.
    return GetWatermarkField(wId, j, ppAddr, pcb, pwType, (WATERMARKLIST*)pList);
}

BOOL _LocFontSub(void* pList, WORD wId, int j, int k, void** ppAddr, DWORD* pcb, WORD* pwType)
{
    return LocateFontSubField(wId, k, ppAddr, pcb, pwType, (FONTSUBLIST*)pList);
}

}  // namespace

BOOL RegTreeWalk(void* pList, PFNRTLOCATE pfnLocate, const REGTREETABLE* pTable, WORD wFeature,
                 LPCWSTR pszPrinter, int iAction)
{
    if (!pList || !pfnLocate || !pTable || !pszPrinter)
        return FALSE;
    int cPasses;
    switch (iAction) {
    case RTW_LOAD: cPasses = 2; break;
    case RTW_STORE: case RTW_STORE_DEFAULTS: cPasses = 1; break;
    case RTW_DELETE: cPasses = 3; break;
    default: return FALSE;
    }
    if (!pTable->pRows)
        return TRUE;
    WALK w = {pList, pfnLocate, pTable, pszPrinter, iAction};
    for (int iPass = 0; iPass < cPasses; ++iPass) {
        for (DWORD i = 0; i < pTable->cRows; ++i) {
            const REGTREEWORK& row = pTable->pRows[i];
            if (wFeature && row.row.wFeatureKey != wFeature)
                continue;
            if (!bFeatureEnabled(row.row.wFeatureKey))
                continue;
            // Counts are loaded before the rows they count.
            if (iAction == RTW_LOAD && (iPass == 0) != (row.bCountRow != 0))
                continue;
            _WalkRow(w, (int)i, iPass);
        }
    }
    return TRUE;
}

BOOL RegTreeWalkList(void* pList, REGTREESET* pTables, WORD wFeature, LPCWSTR pszPrinter, int iAction)
{
    if (!bFeatureEnabled(wFeature))
        return TRUE;
    if (!pList || !pTables)
        return FALSE;
    PFNRTLOCATE pfn;
    int iTable;
    switch (wFeature) {
    case FEATURE_INTERSHEET: pfn = _LocInterSheet; iTable = RT_INTERSHEET; break;
    case FEATURE_FORM: pfn = _LocForm; iTable = RT_FORM; break;
    case FEATURE_WATERMARK: pfn = _LocWatermark; iTable = RT_WATERMARK; break;
    case FEATURE_FONTSUB: pfn = _LocFontSub; iTable = RT_FONTSUB; break;
    default: return FALSE;
    }
    return RegTreeWalk(pList, pfn, &pTables->aTable[iTable], wFeature, pszPrinter, iAction);
}

BOOL LocateListField(LISTSET* pSet, WORD wFeature, WORD wId, int j, int k, void** ppAddr, DWORD* pcb,
                     WORD* pwType)
{
    if (!pSet)
        return FALSE;
    switch (wFeature) {
    case FEATURE_INTERSHEET: return _LocInterSheet(pSet->pInterSheet, wId, j, k, ppAddr, pcb, pwType);
    case FEATURE_FORM: return _LocForm(pSet->pForm, wId, j, k, ppAddr, pcb, pwType);
    case FEATURE_WATERMARK: return _LocWatermark(pSet->pWatermark, wId, j, k, ppAddr, pcb, pwType);
    case FEATURE_FONTSUB: return _LocFontSub(pSet->pFontSub, wId, j, k, ppAddr, pcb, pwType);
    default: return FALSE;
    }
}

BYTE* BuildRegTreeDefaults(LISTSET* pSet, REGTREESET* pTables)
{
    if (!pSet || !pTables || !pTables->pAll)
        return nullptr;
    // Sizes come from the first entry of each list.
    const int j = 1, k = 1;
    DWORD cb = 0;
    for (DWORD i = 0; i < pTables->cAll; ++i) {
        REGTREEWORK& r = pTables->pAll[i];
        r.dwDefaultOffset = 0;
        r.bHasDefault = 0;
        DWORD cbField = 0;
        if (!GetRegTreeDefaultText(r.row.wId) ||
            !LocateListField(pSet, r.row.wFeatureKey, r.row.wId, j, k, nullptr, &cbField, nullptr) || !cbField)
            continue;
        // Each default starts on a 4-byte boundary, as its field does.
        cb = (cb + 3) & ~3u;
        r.dwDefaultOffset = cb;
        r.bHasDefault = 1;
        cb += cbField;
    }
    BYTE* pBlock = (BYTE*)ParamAllocBlock(cb);
    if (!pBlock)
        return nullptr;
    for (DWORD i = 0; i < pTables->cAll; ++i) {
        const REGTREEWORK& r = pTables->pAll[i];
        if (!r.bHasDefault)
            continue;
        DWORD cbField = 0;
        WORD wType = 0;
        LocateListField(pSet, r.row.wFeatureKey, r.row.wId, j, k, nullptr, &cbField, &wType);
        BYTE* pDst = pBlock + r.dwDefaultOffset;
        LPCWSTR pszDefault = GetRegTreeDefaultText(r.row.wId);
        if (wType == 128) {
            lstrcpynW((LPWSTR)pDst, pszDefault, (int)(cbField / sizeof(WCHAR)));
        } else if (wType != 64) {
            LONG l = 0;
            if (!bParseSignedNumber(&l, PARSE_INT32, pszDefault))
                l = 0;
            memcpy(pDst, &l, cbField < sizeof(l) ? cbField : sizeof(l));
        }
    }
    return pBlock;
}
