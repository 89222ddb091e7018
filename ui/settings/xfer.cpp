// xfer.cpp: the settings transfer engine (see xfer.h).
#include "ui/settings/xfer.h"

#include <climits>
#include <cstring>
#include <string>
#include <unordered_map>
#include <new>
#include <vector>

#include "ui/settings/bindparam.h"
#include "ui/settings/faxcover.h"
#include "ui/settings/listset.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/papertable.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/wmlist.h"

namespace {

// What a key read answers when the key is missing: a line break, which no
// value in a file can hold (a value ends at its line's end), so no value
// a user typed is taken for a missing key.
const WCHAR kMissing[] = u"\n";
const int kNameCch = 64;

// Key rows whose defaults are resource texts, one per index.
const WORD kKeyListName = 256;     // "Name%d" of "ISListName"
const WORD kKeyUserPaperName = 248; // "%d" of "User Defined Name"
const WORD kKeyFixedForm = 209;    // "0" of "Faxcoversheet Fixedform"
const UINT kStrListName = 28587;
const UINT kStrUserPaperName = 21550;

// The value-text encoding table.
const XFERENCODING g_aEncoding[] = {
    {246, 0, 1, 1, XFER_QUOTE_BEFORE, 0},  // "%d" of "Faxcoversheet Comment"
    {256, 0, 0, 0, XFER_QUOTE_BOTH, 0},    // "Name%d" of "ISListName"
    {248, 0, 0, 0, XFER_QUOTE_BEFORE, 0},  // "%d" of "User Defined Name"
    {0, 0, 0, 0, 0, 0},
};

struct WALKSTATE {
    UISETTINGS* pObj;
    UISETTINGS* pSource;
    LPCWSTR pszPath;
    INIIMAGE* pImage;
    WORD wMode;
    WORD wClass;
    BOOL bWritten;
    // The entry being read is one of a count the file gave: a value the
    // reader refuses takes its default and the list goes on.
    BOOL bCounted;
    // Count rows read per section index: a list under an indexed section
    // (one per insert-sheet list) has a count of its own in each.
    std::vector<std::pair<int, int>> aFound;
};

BOOL _CountFound(const WALKSTATE& w, int iCount, int j)
{
    for (const auto& f : w.aFound)
        if (f.first == iCount && f.second == j)
            return TRUE;
    return FALSE;
}

// A key's default: a text, or a value at the slot's own width.
struct KEYDEFAULT {
    LPCWSTR pszText;
    const BYTE* pValue;
    DWORD cbValue;
};

// Width of a scalar type code; 0 for bytes and texts.
DWORD _Width(WORD wType)
{
    switch (wType) {
    case 1: return 1;
    case 2: case 4: return 2;
    case 8: case 16: case 32: return 4;
    default: return 0;
    }
}

// A number text into a slot of the type's width. Every text the writer makes
// reads back; a value that fits neither the signed nor the unsigned range
// of the width is refused rather than cut.
BOOL _ParseAtWidth(LPCWSTR psz, void* pSlot, WORD wType)
{
    DWORD cb = _Width(wType);
    if (!cb || !psz)
        return FALSE;
    // Parse as 64-bit through two halves of the platform's parser: the
    // 32-bit unsigned form first, then the signed one.
    LONGLONG v;
    DWORD dw = 0;
    LONG l = 0;
    if (bParseSignedNumber(&l, PARSE_INT32, psz))
        v = l;
    else if (bParseSignedNumber(&dw, PARSE_UINT32, psz))
        v = dw;
    else
        return FALSE;
    LONGLONG lo = cb == 1 ? SCHAR_MIN : cb == 2 ? SHRT_MIN : INT_MIN;
    LONGLONG hi = cb == 1 ? UCHAR_MAX : cb == 2 ? USHRT_MAX : UINT_MAX;
    if (v < lo || v > hi)
        return FALSE;
    memcpy(pSlot, &v, cb);
    return TRUE;
}

// The text copied into a text slot, zero-filled, cut to the slot less one
// character. FALSE when it was cut.
BOOL _CopyTextToSlot(LPCWSTR psz, void* pSlot, DWORD cbSlot)
{
    memset(pSlot, 0, cbSlot);
    DWORD cch = cbSlot / sizeof(WCHAR);
    if (!cch)
        return FALSE;
    DWORD cchText = (DWORD)lstrlenW(psz);
    if (cchText * sizeof(WCHAR) < cbSlot) {
        memcpy(pSlot, psz, cchText * sizeof(WCHAR));
        return TRUE;
    }
    memcpy(pSlot, psz, (cch - 1) * sizeof(WCHAR));
    return FALSE;
}

int _FindKeyRow(const UISETTINGS* pObj, WORD wId)
{
    const USETKEYRT* pKeys = pObj->trailer.pKeyRows;
    for (int i = 0; i < pObj->trailer.cKeyRows; ++i)
        if (pKeys[i].key.wId == wId)
            return i;
    return -1;
}

// The nearest section row at or above row i; -1 when none.
int _SectionRowOf(const UISETTINGS* pObj, int i)
{
    const USETKEYRT* pKeys = pObj->trailer.pKeyRows;
    for (int s = i; s >= 0; --s)
        if (pKeys[s].key.szSection[0])
            return s;
    return -1;
}

void _Format(LPWSTR pszOut, LPCWSTR pszName, int n)
{
    wnsprintfW(pszOut, kNameCch, pszName, n);
}

// Field of a list-data parameter through its group's locator. The group
// locators number lists, papers and entries as the file does.
BOOL _LocateListData(UISETTINGS* pObj, const REGTREEWORK& rt, WORD wKeyRow, int j, int k, void** ppAddr,
                     DWORD* pcb, WORD* pwType)
{
    LISTSET* pSet = pObj->trailer.pListSet;
    if (!pSet)
        return FALSE;
    WORD wId = rt.row.wId;
    switch (rt.row.wFeatureKey) {
    case FEATURE_INTERSHEET:
        return LocateInterSheetField(wId, wKeyRow == kKeyListName ? k : j, k, ppAddr, pcb, pwType,
                                     pSet->pInterSheet);
    case FEATURE_FORM:
        return LocateFormField(wId, k, k - 1, ppAddr, pcb, pwType, pSet->pForm);
    case FEATURE_WATERMARK:
        return GetWatermarkField(wId, k, ppAddr, pcb, pwType, pSet->pWatermark);
    case FEATURE_FONTSUB:
        return LocateFontSubField(wId, k, ppAddr, pcb, pwType, pSet->pFontSub);
    case FEATURE_FAXCOVER:
        return GetFaxCoverField(wId, ppAddr, pcb, pwType, (FAXCOVER*)pSet->pFaxCover) != 0;
    case USERPAPER_GROUP: {
        PVOID p = nullptr;
        DWORD cb = 0, dwType = 0;
        if (!GetUserPaperField(wId, k, &p, &cb, &dwType, pSet->pUserPapers))
            return FALSE;
        *ppAddr = p;
        *pcb = cb;
        *pwType = (WORD)dwType;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// Where key row i's value lives in pObj for section index j and key index
// k, with its default. FALSE when the key reaches no value.
BOOL _LocateKeyValue(UISETTINGS* pObj, int i, int j, int k, BYTE** ppAddr, DWORD* pcb, WORD* pwType,
                     KEYDEFAULT* pDef)
{
    *ppAddr = nullptr;
    *pcb = 0;
    *pwType = 0;
    if (pDef)
        *pDef = KEYDEFAULT{nullptr, nullptr, 0};
    const UISETTRAILER& t = pObj->trailer;
    if (!t.pKeyRows || !t.pParamRows || i < 0 || i >= t.cKeyRows)
        return FALSE;
    const USETKEYRT& key = t.pKeyRows[i];
    int iParam = key.iParam;
    if (iParam < 0 || iParam >= t.cParamRows)
        return FALSE;
    const UIPARAMRT& p = t.pParamRows[iParam];
    if (p.row.wRegTreeId && p.iRegTree >= 0 && t.regTree.pAll && (DWORD)p.iRegTree < t.regTree.cAll) {
        const REGTREEWORK& rt = t.regTree.pAll[p.iRegTree];
        void* pAddr = nullptr;
        if (!_LocateListData(pObj, rt, key.key.wId, j, k, &pAddr, pcb, pwType) || !pAddr || !*pcb)
            return FALSE;
        *ppAddr = (BYTE*)pAddr;
        if (pDef) {
            if (key.key.wId == kKeyListName)
                pDef->pszText = GetResString(kStrListName + (UINT)(k - 1));
            else if (key.key.wId == kKeyUserPaperName)
                pDef->pszText = GetResString(kStrUserPaperName + (UINT)(k - 1));
            else if (key.key.wId == kKeyFixedForm)
                pDef->pszText = GetResString(FAXCOVER_STR_FIXEDFORM);
            else
                pDef->pszText = GetRegTreeDefaultText(rt.row.wId);
        }
        return TRUE;
    }
    void* pSlot = nullptr;
    DWORD cbSlot = 0;
    WORD wType = 0;
    if (!AccessParamByIndex(p.row.wParamId, iParam, pObj, &pSlot, &cbSlot, &wType) || !pSlot)
        return FALSE;
    if (p.row.dwKind & PK_ITEMKINDS) {
        // An item transfers its edited value, word 0.
        cbSlot = sizeof(SHORT);
        wType = VT_INT16;
    }
    if (!cbSlot)
        return FALSE;
    *ppAddr = (BYTE*)pSlot;
    *pcb = cbSlot;
    *pwType = wType;
    if (pDef && t.pParamDefaults) {
        PARAMROWFIELD f = {};
        if (GetParamRowField(t.pParamRows, iParam, &f, t.pParamDefaults) && f.bPresent && f.pValue) {
            pDef->pValue = f.pValue;
            pDef->cbValue = (p.row.dwKind & PK_ITEMKINDS) ? sizeof(SHORT) : cbSlot;
        }
    }
    return TRUE;
}

// ---- the file image ----

template <typename T>
BOOL _IsBlank(T b)
{
    return b == ' ' || b == '\t';
}

// End of the line that starts at pos (the LF's offset, or the image end).
template <typename T>
DWORD _LineEnd(const T* p, DWORD cb, DWORD pos)
{
    while (pos < cb && p[pos] != '\n')
        ++pos;
    return pos;
}

// The section finder over 8-bit or 16-bit units (cb units).
template <typename T>
LONG _FindSectionStart(LPCWSTR pszName, const T* pUnits, DWORD cb)
{
    if (!pszName || !pUnits)
        return -1;
    DWORD cchName = (DWORD)lstrlenW(pszName);
    DWORD pos = 0;
    while (pos < cb) {
        DWORD end = _LineEnd(pUnits, cb, pos);
        DWORD p = pos;
        while (p < end && _IsBlank(pUnits[p]))
            ++p;
        // "[" name "]" CR LF, exactly.
        if (end < cb && end - p == cchName + 3 && pUnits[p] == '[' && pUnits[p + cchName + 1] == ']' &&
            pUnits[p + cchName + 2] == '\r') {
            BOOL bSame = TRUE;
            for (DWORD c = 0; c < cchName && bSame; ++c)
                bSame = (WCHAR)pUnits[p + 1 + c] == pszName[c];
            if (bSame)
                return (LONG)(end + 1);
        }
        pos = end + 1;
    }
    return -1;
}

// The key's value in the lines from pos on (to the next section header):
// its first and end unit; FALSE when the section has no such key.
template <typename T>
BOOL _FindKeyValue(const T* b, DWORD cb, DWORD pos, LPCWSTR pszKey, DWORD* pv, DWORD* pvEnd)
{
    DWORD cchKey = (DWORD)lstrlenW(pszKey);
    while (pos < cb) {
        DWORD end = _LineEnd(b, cb, pos);
        DWORD p = pos;
        while (p < end && _IsBlank(b[p]))
            ++p;
        if (p < end && b[p] == '[')
            return FALSE;
        DWORD nameEnd = p;
        while (nameEnd < end && b[nameEnd] != '=' && b[nameEnd] != '\r')
            ++nameEnd;
        BOOL bSame = nameEnd - p == cchKey;
        for (DWORD c = 0; c < cchKey && bSame; ++c)
            bSame = (WCHAR)b[p + c] == pszKey[c];
        if (bSame) {
            DWORD v = nameEnd < end && b[nameEnd] == '=' ? nameEnd + 1 : nameEnd;
            DWORD vEnd = v;
            while (vEnd < end && b[vEnd] != '\r')
                ++vEnd;
            *pv = v;
            *pvEnd = vEnd;
            return TRUE;
        }
        pos = end + 1;
    }
    return FALSE;
}

// The keys of the sections of an image, by section entry: where each key's
// value starts and ends (the first line of a key wins, as in a scan).
using SECTIONKEYS = std::unordered_map<std::u16string, std::pair<DWORD, DWORD>>;
using IMAGEKEYS = std::unordered_map<const INISECTIONENTRY*, SECTIONKEYS>;

template <typename T>
void _IndexSection(const T* b, DWORD cb, DWORD pos, SECTIONKEYS& keys)
{
    while (pos < cb) {
        DWORD end = _LineEnd(b, cb, pos);
        DWORD p = pos;
        while (p < end && _IsBlank(b[p]))
            ++p;
        if (p < end && b[p] == '[')
            return;
        DWORD nameEnd = p;
        while (nameEnd < end && b[nameEnd] != '=' && b[nameEnd] != '\r')
            ++nameEnd;
        std::u16string name;
        name.reserve(nameEnd - p);
        for (DWORD c = p; c < nameEnd; ++c)
            name.push_back((WCHAR)b[c]);
        DWORD v = nameEnd < end && b[nameEnd] == '=' ? nameEnd + 1 : nameEnd;
        DWORD vEnd = v;
        while (vEnd < end && b[vEnd] != '\r')
            ++vEnd;
        keys.emplace(std::move(name), std::make_pair(v, vEnd));
        pos = end + 1;
    }
}

// The value of pszKey in the section of pEntry through the image's index;
// FALSE when the key is not there.
BOOL _IndexedKeyValue(const INIIMAGE* pImage, const INISECTIONENTRY* pEntry, LPCWSTR pszKey, DWORD* pv,
                      DWORD* pvEnd)
{
    IMAGEKEYS& all = *(IMAGEKEYS*)pImage->pKeyIndex;
    auto it = all.find(pEntry);
    if (it == all.end()) {
        SECTIONKEYS& keys = all[pEntry];
        if (pImage->bWide)
            _IndexSection((const WCHAR*)pImage->pBytes, pImage->cbBytes / sizeof(WCHAR), (DWORD)pEntry->lPos, keys);
        else
            _IndexSection(pImage->pBytes, pImage->cbBytes, (DWORD)pEntry->lPos, keys);
        it = all.find(pEntry);
    }
    auto k = it->second.find(std::u16string(pszKey));
    if (k == it->second.end())
        return FALSE;
    *pv = k->second.first;
    *pvEnd = k->second.second;
    return TRUE;
}

// ---- the key text ----

BOOL _GetIniKeyValue(const WALKSTATE& w, int i, int s, int j, LPCWSTR pszSection, LPCWSTR pszKey,
                     LPCWSTR pszDefault, LPWSTR pszOut, DWORD cbOut)
{
    (void)pszSection;
    const USETKEYRT& key = w.pObj->trailer.pKeyRows[i];
    if (const XFERENCODING* pEnc = FindXferEncoding(key.key.wId))
        return ReadEncodedKeyValue(pEnc, (WORD)s, (WORD)j, pszKey, pszDefault, pszOut, cbOut, w.pImage);
    bGetIniImageValue((WORD)s, (WORD)j, pszKey, pszDefault, pszOut, cbOut, w.pImage);
    return TRUE;
}

BOOL _WriteIniKeyValue(const WALKSTATE& w, int i, LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszValue)
{
    const USETKEYRT& key = w.pObj->trailer.pKeyRows[i];
    if (const XFERENCODING* pEnc = FindXferEncoding(key.key.wId))
        return WriteEncodedKeyValue(pEnc, pszSection, pszKey, pszValue, w.pszPath);
    return WritePrivateProfileStringW(pszSection, pszKey, pszValue, w.pszPath);
}

BOOL _ReadKeyText(WALKSTATE& w, int i, int s, int j, LPCWSTR pszSection, LPCWSTR pszKey, BYTE* pSlot,
                  DWORD cbSlot, WORD wType, const KEYDEFAULT& def)
{
    if (!_Width(wType) && wType != VT_WTEXT)
        return FALSE;
    std::vector<WCHAR> buf(XFER_VALUE_BYTES / sizeof(WCHAR), 0);
    if (!_GetIniKeyValue(w, i, s, j, pszSection, pszKey, kMissing, buf.data(), XFER_VALUE_BYTES))
        return FALSE;
    if (lstrcmpW(buf.data(), kMissing) == 0) {
        if (!def.pszText && !def.pValue)
            return FALSE;
        // The default goes in, but the key still counts as missing, so a
        // list ends here.
        if (wType == VT_WTEXT) {
            if (def.pszText)
                _CopyTextToSlot(def.pszText, pSlot, cbSlot);
            else
                _CopyTextToSlot(u"", pSlot, cbSlot);
        } else if (def.pValue) {
            DWORD cb = _Width(wType);
            memcpy(pSlot, def.pValue, cb < def.cbValue ? cb : def.cbValue);
        } else if (!_ParseAtWidth(def.pszText, pSlot, wType)) {
            memset(pSlot, 0, _Width(wType));
        }
        return FALSE;
    }
    if (wType == VT_WTEXT)
        return _CopyTextToSlot(buf.data(), pSlot, cbSlot);
    BYTE ab[4];
    if (!_ParseAtWidth(buf.data(), ab, wType)) {
        if (w.bCounted) {
            if (def.pValue) {
                DWORD cb = _Width(wType);
                memcpy(pSlot, def.pValue, cb < def.cbValue ? cb : def.cbValue);
            } else if (!def.pszText || !_ParseAtWidth(def.pszText, pSlot, wType)) {
                memset(pSlot, 0, _Width(wType));
            }
        }
        return FALSE;
    }
    memcpy(pSlot, ab, _Width(wType));
    return TRUE;
}

BOOL _WriteKeyText(WALKSTATE& w, int i, LPCWSTR pszSection, LPCWSTR pszKey, const BYTE* pSlot, DWORD cbSlot,
                   WORD wType)
{
    WCHAR szNumber[16];
    std::vector<WCHAR> text;
    LPCWSTR pszValue = szNumber;
    switch (wType) {
    case 1: wsprintfW(szNumber, u"%d", (int)pSlot[0]); break;
    case 2: { WORD v; memcpy(&v, pSlot, 2); wsprintfW(szNumber, u"%d", (int)v); break; }
    case 4: { SHORT v; memcpy(&v, pSlot, 2); wsprintfW(szNumber, u"%d", (int)v); break; }
    case 8: case 16: case 32: { LONG v; memcpy(&v, pSlot, 4); wsprintfW(szNumber, u"%d", (int)v); break; }
    case VT_WTEXT: {
        // A slot filled to its end is written without running past it.
        DWORD cch = cbSlot / sizeof(WCHAR);
        text.assign(cch + 1, 0);
        memcpy(text.data(), pSlot, cch * sizeof(WCHAR));
        pszValue = text.data();
        break;
    }
    default:
        return FALSE;
    }
    w.bWritten = TRUE;
    return _WriteIniKeyValue(w, i, pszSection, pszKey, pszValue);
}

BOOL _TransferKey(WALKSTATE& w, int i, int s, int j, int k, LPCWSTR pszSection, LPCWSTR pszKey)
{
    BYTE* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    KEYDEFAULT def;
    if (!_LocateKeyValue(w.pObj, i, j, k, &pAddr, &cb, &wType, w.wMode == XFER_READ ? &def : nullptr))
        return FALSE;
    switch (w.wMode) {
    case XFER_READ:
        return _ReadKeyText(w, i, s, j, pszSection, pszKey, pAddr, cb, wType, def);
    case XFER_WRITE:
        return _WriteKeyText(w, i, pszSection, pszKey, pAddr, cb, wType);
    case XFER_COPY: {
        BYTE* pSrc = nullptr;
        DWORD cbSrc = 0;
        WORD wSrcType = 0;
        if (!_LocateKeyValue(w.pSource, i, j, k, &pSrc, &cbSrc, &wSrcType, nullptr))
            return FALSE;
        if (pSrc == pAddr)
            return TRUE;
        return SetTypedValue(pAddr, cb, pSrc, &cbSrc, wSrcType, wType) == TVC_OK;
    }
    default:
        return FALSE;
    }
}

// The value of count row iCount for section index j; FALSE when unreadable.
BOOL _ReadCount(UISETTINGS* pObj, int iCount, int j, LONG* pl)
{
    BYTE* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    const USETKEY& c = pObj->trailer.pKeyRows[iCount].key;
    if (!_LocateKeyValue(pObj, iCount, j, c.wFirst, &pAddr, &cb, &wType, nullptr))
        return FALSE;
    DWORD cbOut = sizeof(*pl);
    *pl = 0;
    int r = GetTypedValue(pAddr, cb, pl, &cbOut, wType, VT_INT32);
    return r == TVC_OK || r == TVC_MOREDATA;
}

// Last index of row i's entries by its count row, for section index j.
int _GetKeyEntryCount(UISETTINGS* pObj, int i, WORD wCountRow, int j)
{
    const USETKEY& r = pObj->trailer.pKeyRows[i].key;
    int iCount = _FindKeyRow(pObj, wCountRow);
    LONG n = 0;
    if (iCount < 0 || !_ReadCount(pObj, iCount, j, &n))
        return 0;
    if (n <= 0)
        return (int)r.wFirst - 1;
    int iLast = (int)n - 1;
    return iLast < (int)r.wLast ? iLast : (int)r.wLast;
}

// Stores a count at the count row's own width.
void _StoreCount(UISETTINGS* pObj, int iCount, int j, LONG n)
{
    BYTE* pAddr = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    const USETKEY& c = pObj->trailer.pKeyRows[iCount].key;
    if (!_LocateKeyValue(pObj, iCount, j, c.wFirst, &pAddr, &cb, &wType, nullptr))
        return;
    DWORD cbWidth = _Width(wType);
    if (cbWidth && cbWidth <= cb)
        memcpy(pAddr, &n, cbWidth);
}

void _SetKeyEntryCount(UISETTINGS* pObj, WORD wCountRow, int j, int n)
{
    // Only called where this section's count was not in the file.
    int iCount = _FindKeyRow(pObj, wCountRow);
    if (iCount < 0 || n == 0)
        return;
    _StoreCount(pObj, iCount, j, n);
}

// A count read from outside is held within what its list can address: the
// entries of the first row it counts that the locator still reaches.
void _ClampCount(UISETTINGS* pObj, int iCount, int j)
{
    const UISETTRAILER& t = pObj->trailer;
    WORD wId = t.pKeyRows[iCount].key.wId;
    int iDep = -1;
    for (int i = 0; i < t.cKeyRows && iDep < 0; ++i)
        if (t.pKeyRows[i].key.wCountRow == wId)
            iDep = i;
    LONG n = 0;
    if (iDep < 0 || !_ReadCount(pObj, iCount, j, &n))
        return;
    const USETKEY& d = t.pKeyRows[iDep].key;
    LONG cCapacity = 0;
    for (int k = d.wFirst; k <= (int)d.wLast; ++k) {
        BYTE* pAddr = nullptr;
        DWORD cb = 0;
        WORD wType = 0;
        if (!_LocateKeyValue(pObj, iDep, j, k, &pAddr, &cb, &wType, nullptr))
            break;
        ++cCapacity;
    }
    if (n < 0)
        _StoreCount(pObj, iCount, j, 0);
    else if (n > cCapacity)
        _StoreCount(pObj, iCount, j, cCapacity);
}

BOOL _RowSelected(const WALKSTATE& w, const USETKEY& key)
{
    if (w.wClass && key.wClass != w.wClass)
        return FALSE;
    return bKeyGroupEnabled(key.wGroup);
}

void _WalkRow(WALKSTATE& w, int i, int iPass, int jOnly = -1)
{
    UISETTINGS* pObj = w.pObj;
    USETKEYRT& row = pObj->trailer.pKeyRows[i];
    int s = _SectionRowOf(pObj, i);
    if (s < 0 || !row.key.szKey[0])
        return;
    const USETKEYRT& sec = pObj->trailer.pKeyRows[s];
    BOOL bReadOrCopy = w.wMode != XFER_WRITE;
    int iSecLast = sec.key.wLast;
    if (sec.key.wCountRow && ((w.wMode == XFER_WRITE) || sec.bCountFromFile))
        iSecLast = _GetKeyEntryCount(pObj, s, sec.key.wCountRow, sec.key.wFirst);
    BOOL bLastOk = FALSE, bAnyFound = FALSE;
    WCHAR szSection[kNameCch], szKey[kNameCch];
    for (int j = sec.key.wFirst; j <= iSecLast; ++j) {
        if (jOnly >= 0 && j != jOnly)
            continue;
        _Format(szSection, sec.key.szSection, j);
        int iLast = row.key.wLast;
        int iCount = row.key.wCountRow ? _FindKeyRow(pObj, row.key.wCountRow) : -1;
        BOOL bCountFromFile = row.bCountFromFile && _CountFound(w, iCount, j);
        if (row.key.wCountRow && ((w.wMode == XFER_WRITE) || bCountFromFile))
            iLast = _GetKeyEntryCount(pObj, i, row.key.wCountRow, j);
        BOOL bList = row.bCountRow || row.key.wCountRow;
        // A list read without its count ends at its first missing entry;
        // with the count the file gave, every counted entry is read, and a
        // write writes every entry whatever one of them refused.
        BOOL bEndsAtFailure = bList && bReadOrCopy && !(bCountFromFile && row.key.wCountRow);
        w.bCounted = bReadOrCopy && bCountFromFile && row.key.wCountRow;
        int cEntries = 0;
        for (int k = row.key.wFirst; k <= iLast; ++k) {
            _Format(szKey, row.key.szKey, k);
            bLastOk = _TransferKey(w, i, s, j, k, szSection, szKey);
            if (!bLastOk && bEndsAtFailure)
                break;
            if (bLastOk)
                ++cEntries;
        }
        if (bReadOrCopy && iPass == 0 && row.bCountRow && bLastOk) {
            w.aFound.push_back({i, j});
            bAnyFound = TRUE;
        }
        if (bReadOrCopy && row.key.wCountRow && !bCountFromFile && iCount >= 0 && !_CountFound(w, iCount, j))
            _SetKeyEntryCount(pObj, row.key.wCountRow, j, cEntries);
    }
    if (bReadOrCopy && iPass == 0) {
        row.bValuesFound = bAnyFound;
        if (bAnyFound)
            for (int r = 0; r < pObj->trailer.cKeyRows; ++r)
                if (pObj->trailer.pKeyRows[r].key.wCountRow == row.key.wId)
                    pObj->trailer.pKeyRows[r].bCountFromFile = 1;
    }
}

}  // namespace

// ---- the value-text encoding ----

const XFERENCODING* FindXferEncoding(WORD wKeyRow)
{
    for (const XFERENCODING* p = g_aEncoding; p->wKeyRow; ++p)
        if (p->wKeyRow == wKeyRow)
            return p;
    return nullptr;
}

BOOL WriteEncodedKeyValue(const XFERENCODING* pEnc, LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszText,
                          LPCWSTR pszPath)
{
    if (!pEnc || !pszText)
        return FALSE;
    std::u16string text(pszText);
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (;;) {
        size_t lf = text.find(u'\n', start);
        if (lf == std::u16string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        size_t end = lf;
        // Only the CR of a CR LF pair goes; a bare LF keeps the line whole.
        if (end > start && text[end - 1] == u'\r')
            --end;
        lines.push_back(text.substr(start, end - start));
        start = lf + 1;
    }
    BOOL bOk = FALSE;
    WCHAR szKey[kNameCch];
    for (size_t n = 0; n < lines.size(); ++n) {
        std::u16string& l = lines[n];
        if (pEnc->bTabToBlank)
            for (char16_t& c : l)
                if (c == u'\t')
                    c = u' ';
        switch (pEnc->wQuote) {
        case XFER_QUOTE_BEFORE: l = u"*" + l; break;
        case XFER_QUOTE_AFTER: l += u"*"; break;
        case XFER_QUOTE_BOTH: l = u"*" + l + u"*"; break;
        default: break;
        }
        LPCWSTR pszName = pszKey;
        if (pEnc->bMultiLine) {
            wsprintfW(szKey, u"%d", (int)n);
            pszName = szKey;
        }
        bOk = WritePrivateProfileStringW(pszSection, pszName, l.c_str(), pszPath);
        if (!bOk)
            break;
    }
    // Lines of a longer text written before would be read back as part of
    // this one: they go.
    for (int n = (int)lines.size(); bOk && pEnc->bMultiLine && n < 10000; ++n) {
        WCHAR szOld[8];
        wsprintfW(szKey, u"%d", n);
        GetPrivateProfileStringW(pszSection, szKey, kMissing, szOld, 8, pszPath);
        if (lstrcmpW(szOld, kMissing) == 0)
            break;
        WritePrivateProfileStringW(pszSection, szKey, nullptr, pszPath);
    }
    return bOk;
}

BOOL ReadEncodedKeyValue(const XFERENCODING* pEnc, WORD wRow, WORD wIndex, LPCWSTR pszKey, LPCWSTR pszDefault,
                         LPWSTR pszOut, DWORD cbOut, const INIIMAGE* pImage)
{
    if (!pEnc || !pszOut || cbOut < sizeof(WCHAR))
        return FALSE;
    DWORD cchOut = cbOut / sizeof(WCHAR);
    pszOut[0] = 0;
    DWORD cQuote = pEnc->wQuote == XFER_QUOTE_BOTH ? 2 : (pEnc->wQuote == XFER_QUOTE_BEFORE ||
                                                          pEnc->wQuote == XFER_QUOTE_AFTER) ? 1 : 0;
    DWORD cbLine = cbOut + cQuote * sizeof(WCHAR);
    std::vector<WCHAR> line(cbLine / sizeof(WCHAR) + 1, 0);
    DWORD cch = 0;
    WCHAR szKey[kNameCch];
    for (int n = 0;; ++n) {
        LPCWSTR pszName = pszKey;
        if (pEnc->bMultiLine) {
            wsprintfW(szKey, u"%d", n);
            pszName = szKey;
        }
        bGetIniImageValue(wRow, wIndex, pszName, kMissing, line.data(), cbLine, pImage);
        if (lstrcmpW(line.data(), kMissing) == 0) {
            if (n == 0)
                lstrcpynW(pszOut, pszDefault ? pszDefault : u"", (int)cchOut);
            break;
        }
        LPCWSTR p = line.data();
        DWORD cchLine = (DWORD)lstrlenW(p);
        if (cchLine && cchLine >= cQuote) {
            if (pEnc->wQuote == XFER_QUOTE_BEFORE || pEnc->wQuote == XFER_QUOTE_BOTH) {
                ++p;
                --cchLine;
            }
            if (pEnc->wQuote == XFER_QUOTE_AFTER || pEnc->wQuote == XFER_QUOTE_BOTH)
                --cchLine;
        }
        if (n > 0) {
            if (cch + 2 >= cchOut)
                break;
            pszOut[cch++] = u'\r';
            pszOut[cch++] = u'\n';
        }
        DWORD cchCopy = cchLine < cchOut - 1 - cch ? cchLine : cchOut - 1 - cch;
        memcpy(pszOut + cch, p, cchCopy * sizeof(WCHAR));
        cch += cchCopy;
        pszOut[cch] = 0;
        if (!pEnc->bMultiLine || cchCopy < cchLine)
            break;
    }
    return TRUE;
}

// ---- the file image ----

LONG FindIniSectionStart(LPCWSTR pszName, const BYTE* pBytes, DWORD cbBytes)
{
    return _FindSectionStart(pszName, pBytes, cbBytes);
}

int bGetIniImageValue(WORD wRow, WORD wIndex, LPCWSTR pszKey, LPCWSTR pszDefault, LPWSTR pszOut, DWORD cbOut,
                      const INIIMAGE* pImage)
{
    if (!pszOut || cbOut < sizeof(WCHAR))
        return 0;
    DWORD cchOut = cbOut / sizeof(WCHAR);
    const INISECTIONENTRY* pEntry = nullptr;
    if (pImage && pszKey)
        for (DWORD i = 0; i < pImage->cSections && !pEntry; ++i)
            if (pImage->pSections[i].wRow == wRow && pImage->pSections[i].wIndex == wIndex)
                pEntry = &pImage->pSections[i];
    DWORD v = 0, vEnd = 0;
    auto find = [&](auto* pUnits, DWORD cUnits) {
        return pImage->pKeyIndex ? _IndexedKeyValue(pImage, pEntry, pszKey, &v, &vEnd)
                                 : _FindKeyValue(pUnits, cUnits, (DWORD)pEntry->lPos, pszKey, &v, &vEnd);
    };
    if (pEntry && pEntry->lPos >= 0 && pImage->bWide) {
        // UTF-16 text: the units as they stand, cut to the output.
        const WCHAR* w = (const WCHAR*)pImage->pBytes;
        if (find(w, pImage->cbBytes / (DWORD)sizeof(WCHAR))) {
            DWORD cch = vEnd - v < cchOut - 1 ? vEnd - v : cchOut - 1;
            memcpy(pszOut, w + v, cch * sizeof(WCHAR));
            pszOut[cch] = 0;
            return (int)((vEnd - v) * sizeof(WCHAR));
        }
    } else if (pEntry && pEntry->lPos >= 0) {
        const BYTE* b = pImage->pBytes;
        if (find(b, pImage->cbBytes)) {
            DWORD cbValue = vEnd - v;
            if (cbValue > cbOut - 1)
                cbValue = cbOut - 1;
            int cch = cbValue ? MultiByteToWideChar(CP_ACP, 0, (LPCSTR)(b + v), (int)cbValue, pszOut,
                                                    (int)cchOut - 1)
                              : 0;
            if (cch < 0)
                cch = 0;
            // A value whose characters do not all fit is cut to whole
            // characters that do.
            if (cch == 0 && cbValue) {
                std::vector<WCHAR> tmp(cbValue + 1, 0);
                int n = MultiByteToWideChar(CP_ACP, 0, (LPCSTR)(b + v), (int)cbValue, tmp.data(),
                                            (int)cbValue + 1);
                if (n > 0) {
                    cch = n < (int)cchOut - 1 ? n : (int)cchOut - 1;
                    memcpy(pszOut, tmp.data(), (size_t)cch * sizeof(WCHAR));
                }
            }
            pszOut[cch] = 0;
            return (int)cbValue;
        }
    }
    lstrcpynW(pszOut, pszDefault ? pszDefault : u"", (int)cchOut);
    return 0;
}

INIIMAGE* OpenIniImage(UISETTINGS* pObj, LPCWSTR pszPath)
{
    if (!pObj || !pszPath || !pObj->trailer.pKeyRows)
        return nullptr;
    HANDLE h = CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    DWORD cb = GetFileSize(h, nullptr);
    INIIMAGE* pImage = nullptr;
    if (cb && cb != INVALID_FILE_SIZE) {
        pImage = (INIIMAGE*)ParamAllocBlock(sizeof(INIIMAGE));
        BYTE* pBytes = (BYTE*)ParamAllocBlock(cb);
        DWORD cbRead = 0;
        if (!pImage || !pBytes || !ReadFile(h, pBytes, cb, &cbRead, nullptr) || cbRead != cb) {
            ParamFree(&pBytes);
            ParamFree(&pImage);
        } else {
            pImage->pBytes = pBytes;
            pImage->cbBytes = cb;
            lstrcpynW(pImage->szPath, pszPath, 260);
        }
    }
    CloseHandle(h);
    if (!pImage)
        return nullptr;
    // A file that starts with the UTF-16 byte-order mark is UTF-16 text and
    // is read as such (its characters need not exist in the ANSI code
    // page); the units after the mark become the image.
    if (pImage->cbBytes >= 2 && pImage->pBytes[0] == 0xFF && pImage->pBytes[1] == 0xFE) {
        DWORD cch = (pImage->cbBytes - 2) / sizeof(WCHAR);
        memmove(pImage->pBytes, pImage->pBytes + 2, cch * sizeof(WCHAR));
        pImage->cbBytes = cch * sizeof(WCHAR);
        pImage->bWide = TRUE;
    }
    const UISETTRAILER& t = pObj->trailer;
    DWORD cEntries = 0;
    for (int i = 0; i < t.cKeyRows; ++i)
        if (t.pKeyRows[i].key.szSection[0] && t.pKeyRows[i].key.wLast >= t.pKeyRows[i].key.wFirst)
            cEntries += (DWORD)(t.pKeyRows[i].key.wLast - t.pKeyRows[i].key.wFirst + 1);
    pImage->pSections = (INISECTIONENTRY*)ParamAllocBlock(sizeof(INISECTIONENTRY) * (cEntries ? cEntries : 1));
    if (!pImage->pSections) {
        CloseIniImage(&pImage);
        return nullptr;
    }
    DWORD n = 0;
    for (int i = 0; i < t.cKeyRows; ++i) {
        const USETKEY& k = t.pKeyRows[i].key;
        if (!k.szSection[0])
            continue;
        for (int j = k.wFirst; j <= (int)k.wLast && n < cEntries; ++j, ++n) {
            INISECTIONENTRY& e = pImage->pSections[n];
            _Format(e.szName, k.szSection, j);
            e.lPos = pImage->bWide ? _FindSectionStart(e.szName, (const WCHAR*)pImage->pBytes,
                                                       pImage->cbBytes / sizeof(WCHAR))
                                   : FindIniSectionStart(e.szName, pImage->pBytes, pImage->cbBytes);
            e.wRow = (WORD)i;
            e.wIndex = (WORD)j;
        }
    }
    pImage->cSections = n;
    pImage->pKeyIndex = new (std::nothrow) IMAGEKEYS();
    return pImage;
}

void CloseIniImage(INIIMAGE** ppImage)
{
    if (!ppImage || !*ppImage)
        return;
    delete (IMAGEKEYS*)(*ppImage)->pKeyIndex;
    ParamFree(&(*ppImage)->pBytes);
    ParamFree(&(*ppImage)->pSections);
    ParamFree(ppImage);
}

// ---- the walk ----

int ParamTransferWalk(UISETTINGS* pObj, LPCWSTR pszPath, UISETTINGS* pSource, WORD wClass, WORD wMode)
{
    if (!pObj || !pObj->trailer.pKeyRows)
        return 0;
    if ((wMode == XFER_READ || wMode == XFER_WRITE) && !pszPath)
        return 0;
    if (wMode == XFER_COPY && (!pSource || !pSource->trailer.pKeyRows))
        return 0;
    if (wMode < XFER_READ || wMode > XFER_COPY)
        return 0;
    UISETTRAILER& t = pObj->trailer;
    for (int i = 0; i <= t.cKeyRows; ++i)
        t.pKeyRows[i].bValuesFound = t.pKeyRows[i].bCountFromFile = 0;
    WALKSTATE w = {pObj, pSource, pszPath, nullptr, wMode, wClass, FALSE, FALSE, {}};
    if (wMode == XFER_READ) {
        w.pImage = OpenIniImage(pObj, pszPath);
        if (!w.pImage)
            return 0;
    }
    // Defaults of some list entries are resource texts.
    LoadResourceDll();
    if (wMode == XFER_WRITE) {
        // Section by section, each whole before the next, so the file grows
        // at its end only.
        for (int s = 0; s < t.cKeyRows; ++s) {
            const USETKEY& sec = t.pKeyRows[s].key;
            if (!sec.szSection[0])
                continue;
            int iEnd = s + 1;
            while (iEnd < t.cKeyRows && !t.pKeyRows[iEnd].key.szSection[0])
                ++iEnd;
            for (int j = sec.wFirst; j <= (int)sec.wLast; ++j)
                for (int i = s; i < iEnd; ++i)
                    if (_RowSelected(w, t.pKeyRows[i].key))
                        _WalkRow(w, i, 0, j);
        }
    }
    int cPasses = wMode == XFER_WRITE ? 0 : 2;
    for (int iPass = 0; iPass < cPasses; ++iPass) {
        for (int i = 0; i < t.cKeyRows; ++i) {
            const USETKEYRT& row = t.pKeyRows[i];
            if (!_RowSelected(w, row.key))
                continue;
            if (wMode != XFER_WRITE && (iPass == 0) != (row.bCountRow != 0))
                continue;
            _WalkRow(w, i, iPass);
        }
    }
    if (wMode != XFER_WRITE) {
        for (int i = 0; i < t.cKeyRows; ++i) {
            const USETKEYRT& row = t.pKeyRows[i];
            if (!row.bCountRow || !_RowSelected(w, row.key))
                continue;
            int s = _SectionRowOf(pObj, i);
            if (s < 0)
                continue;
            const USETKEY& sec = t.pKeyRows[s].key;
            for (int j = sec.wFirst; j <= (int)sec.wLast; ++j)
                _ClampCount(pObj, i, j);
        }
    }
    FreeResourceDll();
    CloseIniImage(&w.pImage);
    if (wMode == XFER_WRITE)
        return w.bWritten ? 1 : 0;
    return 1;
}

BOOL bReadSettingsFileParams(UISETTINGS* pObj, LPCWSTR pszPath, WORD wClass)
{
    int iResult = ParamTransferWalk(pObj, pszPath, nullptr, wClass, XFER_READ);
    if (iResult)
        FixUpLoadedParams(pObj, wClass);
    return iResult;
}

BOOL bReloadSettingsFile(UISETTINGS* pObj, LPCWSTR pszPath)
{
    return bReadSettingsFileParams(pObj, pszPath, XFER_CLASS_ALL);
}

BOOL bWriteSettingsFileParams(UISETTINGS* pObj, LPCWSTR pszPath, WORD wClass)
{
    return ParamTransferWalk(pObj, pszPath, nullptr, wClass, XFER_WRITE);
}

BOOL bWriteSettingsFile(UISETTINGS* pObj, LPCWSTR pszPath)
{
    return bWriteSettingsFileParams(pObj, pszPath, XFER_CLASS_ALL);
}

BOOL bCopySettingsParams(UISETTINGS* pTarget, UISETTINGS* pSource, WORD wClass)
{
    int iResult = ParamTransferWalk(pTarget, nullptr, pSource, wClass, XFER_COPY);
    if (iResult)
        FixUpLoadedParams(pTarget, wClass);
    return iResult;
}

// ---- the check after a load ----

namespace {

BOOL _ReadScalar(const BYTE* p, WORD wType, LONGLONG* pv)
{
    switch (wType) {
    case 1: *pv = p[0]; return TRUE;
    case 2: { WORD v; memcpy(&v, p, 2); *pv = v; return TRUE; }
    case 4: { SHORT v; memcpy(&v, p, 2); *pv = v; return TRUE; }
    case 8: case 32: { LONG v; memcpy(&v, p, 4); *pv = v; return TRUE; }
    case 16: { DWORD v; memcpy(&v, p, 4); *pv = v; return TRUE; }
    default: return FALSE;
    }
}

void _FixOptionless(UISETTINGS* pObj, const UIPARAMRT& p, int iParam)
{
    void* pSlot = nullptr;
    DWORD cbSlot = 0;
    WORD wType = 0;
    if (!AccessParamByIndex(p.row.wParamId, iParam, pObj, &pSlot, &cbSlot, &wType) || !pSlot)
        return;
    const UIPARAMDEF* pDef = FindUiParamDef(p.row.wParamId);
    if (!pDef || pDef->lMin == -1 || pDef->lMax == -1)
        return;
    // An item without an option still keeps its value in word 0.
    if (p.row.dwKind & PK_ITEMKINDS)
        wType = VT_INT16;
    LONGLONG v = 0;
    if (!_ReadScalar((const BYTE*)pSlot, wType, &v))
        return;
    if (v >= pDef->lMin && v <= pDef->lMax)
        return;
    BYTE ab[4] = {};
    if (_ParseAtWidth(pDef->pszDefault, ab, wType))
        memcpy(pSlot, ab, _Width(wType));
}

// Values a choice parameter holds besides the choices its list offers.
struct EXTRAVALUE {
    WORD wParamId;
    SHORT sValue;
};
const EXTRAVALUE g_aExtraValues[] = {
    // lpDuplex mirrors dmDuplex: its list offers the two binding edges of
    // two-sided printing, and one-sided printing (DMDUP_SIMPLEX) is 1.
    {15, 1},
};

BOOL _bExtraValue(WORD wParamId, SHORT sValue)
{
    for (const EXTRAVALUE& e : g_aExtraValues)
        if (e.wParamId == wParamId && e.sValue == sValue)
            return TRUE;
    return FALSE;
}

void _FixOption(UISETTINGS* pObj, POPTIONDB pdb, const UIPARAMRT& p)
{
    SHORT sValue = 0;
    DWORD cb = sizeof(sValue);
    if (GetParamByKey(p.row.wParamId, &sValue, &cb, VT_INT16, nullptr, nullptr, nullptr, pObj,
                      PARAM_WHICH_CURRENT) != TVC_OK)
        return;
    WORD wOpt = p.row.wOptionId;
    DWORD cRows = QueryOptionDb(pdb, wOpt, OPTQ_COUNT, nullptr, 0, 0);
    if (!cRows)
        return;
    BOOL bOk = FALSE;
    if (p.row.dwKind & (PK_CHOICE | PK_VALUELIST | PK_VALUE)) {
        bOk = _bExtraValue(p.row.wParamId, sValue);
        for (DWORD r = 0; r < cRows && !bOk; ++r)
            bOk = (SHORT)QueryOptionDb(pdb, wOpt, OPTQ_VALUE, nullptr, (int)r, 0) == sValue;
    } else if (p.row.dwKind & PK_RANGE) {
        // Ranges may reach below zero: both sides compare as 16-bit signed.
        SHORT sMin = (SHORT)QueryOptionDb(pdb, wOpt, OPTQ_MIN, nullptr, 0, 0);
        SHORT sMax = (SHORT)QueryOptionDb(pdb, wOpt, OPTQ_MAX, nullptr, 0, 0);
        bOk = sValue >= sMin && sValue <= sMax;
    } else {
        return;
    }
    if (bOk)
        return;
    SHORT sDefault = (SHORT)QueryOptionDb(pdb, wOpt, OPTQ_DEFAULT, nullptr, 0, 0);
    SetParamByKey(p.row.wParamId, &sDefault, sizeof(sDefault), VT_INT16, pObj, PARAM_WHICH_CURRENT);
}

}  // namespace

int FixUpLoadedParams(UISETTINGS* pObj, WORD wClass)
{
    if (!pObj || !pObj->trailer.pKeyRows || !pObj->trailer.pParamRows)
        return 0;
    POPTIONDB pdb = OpenOptionDb();
    if (!pdb)
        return 0;
    const UISETTRAILER& t = pObj->trailer;
    for (int i = 0; i < t.cKeyRows; ++i) {
        const USETKEYRT& row = t.pKeyRows[i];
        if (wClass && row.key.wClass != wClass)
            continue;
        if (row.iParam < 0 || row.iParam >= t.cParamRows)
            continue;
        const UIPARAMRT& p = t.pParamRows[row.iParam];
        if (!p.row.pfnBind)
            continue;
        if (p.row.wOptionId == PARAM_NO_OPTION)
            _FixOptionless(pObj, p, row.iParam);
        else
            _FixOption(pObj, pdb, p);
    }
    CloseOptionDb(pdb);
    return 1;
}
