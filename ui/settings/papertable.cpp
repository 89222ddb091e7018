// papertable.cpp: the paper table, the user papers and the tray limits.
//
// The table is process-wide: display names are loaded into it when the
// resource library is bound and the user rows take the user papers' sizes
// and names. User and custom rows always hold 1/1000 inch (the built-in
// user paper until the printer's are loaded), so every conversion below can
// rely on the unit of a row.
#include "ui/settings/papertable.h"

#include <cstring>
#include <mutex>

#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"
#include "ui/settings/uiparam.h"

namespace {

struct PaperSource {
    WORD wCode;
    DWORD dwStrId;
    const WCHAR* pszSizeText;
    LONG lWidth, lLength;
    const WCHAR* pszPdlName;
    WORD wDevSize, wDevVariant, wClass;
    const WCHAR* pszBaseName;
};

const PaperSource s_aPaperSource[] = {
#define Q730_ROW(code, strid, text, w, l, pdl, dev, var, cls, base) {code, strid, text, w, l, pdl, dev, var, cls, base},
#include "papers.inc"
#undef Q730_ROW
};
static_assert(sizeof(s_aPaperSource) / sizeof(s_aPaperSource[0]) == PAPER_ROWS);

const USERPAPERDEF s_aUserDefault[] = {
#define Q730_ROW(w, l, unit, strid) {w, l, unit, 0, strid},
#include "userpapers.inc"
#undef Q730_ROW
};
static_assert(sizeof(s_aUserDefault) / sizeof(s_aUserDefault[0]) == USERPAPER_SLOTS);

const TRAYLIMIT s_aTray[] = {
#define Q730_ROW(src, unit, strid, minw, maxw, minl, maxl, pw, pl, ml, mt, mr, mb) \
    {src, unit, strid, minw, maxw, minl, maxl, pw, pl, {ml, mt, mr, mb}},
#include "traylimits.inc"
#undef Q730_ROW
};

PAPERINFO s_aPaper[PAPER_ROWS];
std::once_flag s_paperOnce;

void _CopyText(WCHAR* pszTarget, size_t cch, const WCHAR* pszSource) {
    size_t i = 0;
    for (; pszSource && i + 1 < cch && pszSource[i]; i++) pszTarget[i] = pszSource[i];
    pszTarget[i] = 0;
}

void _FillTable() {
    std::memset(s_aPaper, 0, sizeof(s_aPaper));
    for (int i = 0; i < PAPER_ROWS; i++) {
        const PaperSource& s = s_aPaperSource[i];
        PAPERINFO& p = s_aPaper[i];
        p.wCode = s.wCode;
        _CopyText(p.szSizeText, 33, s.pszSizeText);
        p.lWidth = s.lWidth;
        p.lLength = s.lLength;
        _CopyText(p.szPdlName, 16, s.pszPdlName);
        p.wDevSize = s.wDevSize;
        p.wDevVariant = s.wDevVariant;
        p.wClass = s.wClass;
        _CopyText(p.szBaseName, 17, s.pszBaseName);
        p.dwStrId = s.dwStrId;
    }
}

PAPERINFO* _Table() {
    std::call_once(s_paperOnce, _FillTable);
    return s_aPaper;
}

PAPERINFO* _Find(int iCode) {
    PAPERINFO* a = _Table();
    for (int i = 0; i < PAPER_ROWS; i++) {
        if (a[i].wCode == (WORD)iCode && iCode >= 0 && iCode <= 0xFFFF) return &a[i];
    }
    return nullptr;
}

BOOL _IsUserRow(int iCode) { return iCode == PAPER_CUSTOM || (iCode >= PAPER_USER_FIRST && iCode <= PAPER_USER_LAST); }

// 1/1000 inch to whole millimetres, rounded up from a tenth.
LONG _ThouToMm(LONG v) { return (LONG)(((long long)v * 1000 / 3937 + 9) / 10); }

LONG _ThouToMm100Exact(LONG v) { return (LONG)((long long)v * 254 / 100); }

BOOL _UserPapersOn() { return bFeatureEnabled(USERPAPER_GROUP); }

void _UserPaperValueName(WCHAR* psz, int iSlot) { wsprintfW(psz, u"UDPaper%ld", (LONG)iSlot); }

}  // namespace

const PAPERINFO* FindPaperInfo(int iCode) { return _Find(iCode); }

const PAPERINFO* GetPaperInfoRow(int iRow) {
    if (iRow < 0 || iRow >= PAPER_ROWS) return nullptr;
    return &_Table()[iRow];
}

void ResetPaperTable() {
    _Table();
    _FillTable();
}

void GetPaperMaxExtent(LONG* plWidth, LONG* plLength) {
    LONG w = 0, l = 0;
    const PAPERINFO* a = _Table();
    for (int i = 0; i < PAPER_ROWS; i++) {
        LONG rw = a[i].lWidth, rl = a[i].lLength;
        if (_IsUserRow(a[i].wCode)) {
            rw = _ThouToMm100Exact(rw);
            rl = _ThouToMm100Exact(rl);
        }
        if (rw > w) w = rw;
        if (rl > l) l = rl;
    }
    if (plWidth) *plWidth = w;
    if (plLength) *plLength = l;
}

void GetPaperSizeMm100(int iCode, LONG* plWidth, LONG* plLength) {
    const PAPERINFO* p = _Find(iCode);
    if (!p) return;
    LONG w = p->lWidth, l = p->lLength;
    if (_IsUserRow(iCode)) {
        w = _ThouToMm(w) * 100;
        l = _ThouToMm(l) * 100;
    }
    if (plWidth) *plWidth = w ? w : 10000;
    if (plLength) *plLength = l ? l : 10000;
}

void GetPaperSizeExact(int iCode, LONG* plWidth, LONG* plLength) {
    const PAPERINFO* p = _Find(iCode);
    if (!p) return;
    LONG w = p->lWidth, l = p->lLength;
    if (_IsUserRow(iCode)) {
        w = _ThouToMm100Exact(w);
        l = _ThouToMm100Exact(l);
    }
    if (plWidth) *plWidth = w ? w : 10000;
    if (plLength) *plLength = l ? l : 10000;
}

void GetPaperSizeNative(int iCode, LONG* plWidth, LONG* plLength) {
    const PAPERINFO* p = _Find(iCode);
    if (!p) return;
    LONG w = p->lWidth, l = p->lLength;
    if (!_IsUserRow(iCode)) {
        w /= 100;
        l /= 100;
    }
    if (plWidth) *plWidth = w ? w : 100;
    if (plLength) *plLength = l ? l : 100;
}

LPCWSTR GetPaperDisplayName(int iCode) {
    const PAPERINFO* p = _Find(iCode);
    return p ? p->szName : nullptr;
}

LPCWSTR GetPaperSizeText(int iCode) {
    const PAPERINFO* p = _Find(iCode);
    return p ? p->szSizeText : nullptr;
}

LPCWSTR GetPaperPdlName(int iCode) {
    const PAPERINFO* p = _Find(iCode);
    return p ? p->szPdlName : nullptr;
}

// A rotated code is one with the long-edge-first bit whose plain partner
// (the code without it) is in the table as well.
BOOL bIsRotatedPaper(int iCode) { return GetPlainPaperCode(iCode) != -1; }

BOOL bHasRotatedPaper(int iCode) { return GetRotatedPaperCode(iCode) != -1; }

int GetPlainPaperCode(int iRotated) {
    if (iRotated < 0 || !(iRotated & 0x800) || !_Find(iRotated)) return -1;
    int iPlain = iRotated & ~0x800;
    return _Find(iPlain) ? iPlain : -1;
}

int GetRotatedPaperCode(int iPlain) {
    if (iPlain < 0 || (iPlain & 0x800) || !_Find(iPlain)) return -1;
    int iRotated = iPlain | 0x800;
    return _Find(iRotated) ? iRotated : -1;
}

void LoadPaperDisplayNames() {
    PAPERINFO* a = _Table();
    for (int i = 0; i < PAPER_ROWS; i++) _CopyText(a[i].szName, 32, GetResString(a[i].dwStrId));
}

void LoadUserPaperRows(const USERPAPERS* pPapers) {
    if (!pPapers) return;
    for (int iSlot = 1; iSlot <= USERPAPER_SLOTS; iSlot++) {
        PAPERINFO* p = _Find(SlotToCustomPaper(iSlot));
        if (!p) continue;
        const USERPAPER& s = pPapers->aSlot[iSlot - 1];
        p->lWidth = s.lWidth;
        p->lLength = s.lLength;
        // The slot's name need not be terminated: copy inside its field.
        _CopyText(p->szName, USERPAPER_NAME_CCH, s.szName);
    }
}

void UpdateUserPaperTexts(const USERPAPERS* pPapers) {
    if (!pPapers) return;
    for (int iSlot = 1; iSlot <= USERPAPER_SLOTS; iSlot++) {
        PAPERINFO* p = _Find(SlotToCustomPaper(iSlot));
        if (!p) continue;
        const USERPAPER& s = pPapers->aSlot[iSlot - 1];
        WCHAR sz[1024];
        if (s.sUnit == 1) {
            wsprintfW(sz, u"(%ldx%ldmm)", _ThouToMm(s.lWidth), _ThouToMm(s.lLength));
        } else {
            // Round to hundredths first, then split, so that 8.996 inch
            // reads 9.00 and not 8.100.
            LONG w = (LONG)(((long long)s.lWidth + 5) / 10), l = (LONG)(((long long)s.lLength + 5) / 10);
            wsprintfW(sz, u"%ld.%02ldx%ld.%02ldinch", w / 100, w % 100, l / 100, l % 100);
        }
        _CopyText(p->szSizeText, 33, sz);
    }
}

BOOL bIsCustomPaper(int iCode) { return _IsUserRow(iCode); }

int CustomPaperToSlot(int iCode) {
    if (iCode >= PAPER_USER_FIRST && iCode <= PAPER_USER_LAST) return iCode - 512;
    if (iCode == PAPER_CUSTOM) return USERPAPER_SLOTS;
    return 0;
}

int SlotToCustomPaper(int iSlot) {
    if (iSlot >= 2 && iSlot <= 9) return 512 + iSlot;
    if (iSlot == USERPAPER_SLOTS) return PAPER_CUSTOM;
    return PAPER_USER_FIRST;
}

const USERPAPERDEF* GetUserPaperDefaults() { return s_aUserDefault; }

void SetUserPaperDefault(USERPAPER* pSlot, int iSlot) {
    if (!pSlot) return;
    if (iSlot < 1 || iSlot > USERPAPER_SLOTS) iSlot = 1;
    const USERPAPERDEF& d = s_aUserDefault[iSlot - 1];
    std::memset(pSlot, 0, sizeof(*pSlot));
    pSlot->lWidth = d.lWidth;
    pSlot->lLength = d.lLength;
    pSlot->sUnit = d.sUnit;
    _CopyText(pSlot->szName, USERPAPER_NAME_CCH, GetResString(d.dwStrId));
}

BOOL bUserPaperSane(const USERPAPER* pSlot) {
    if (!pSlot) return FALSE;
    const LONG kMaxThou = 100000;  // 100 inches; far beyond any sheet
    return pSlot->lWidth > 0 && pSlot->lWidth <= kMaxThou && pSlot->lLength > 0 && pSlot->lLength <= kMaxThou &&
           (pSlot->sUnit == 1 || pSlot->sUnit == 2);
}

USERPAPERS* AllocUserPapers() {
    if (!_UserPapersOn()) return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(USERPAPERS));
    if (!h) return nullptr;
    USERPAPERS* p = (USERPAPERS*)GlobalLock(h);
    if (!p) GlobalFree(h);
    return p;
}

void FreeUserPapers(USERPAPERS** ppPapers) {
    if (!ppPapers || !*ppPapers) return;
    HGLOBAL h = GlobalHandle(*ppPapers);
    GlobalUnlock(h);
    GlobalFree(h);
    *ppPapers = nullptr;
}

void CopyUserPapers(USERPAPERS* pTarget, const USERPAPERS* pSource) {
    if (!_UserPapersOn() || !pTarget || !pSource) return;
    std::memmove(pTarget, pSource, sizeof(USERPAPERS));
}

BOOL ReadUserPapers(USERPAPERS* pPapers, HANDLE hPrinter) {
    if (!_UserPapersOn()) return TRUE;
    if (!pPapers) return FALSE;
    LoadResourceDll();
    for (int iSlot = 1; iSlot <= USERPAPER_SLOTS; iSlot++) {
        USERPAPER& slot = pPapers->aSlot[iSlot - 1];
        WCHAR szValue[32];
        _UserPaperValueName(szValue, iSlot);
        USERPAPER stored;
        std::memset(&stored, 0, sizeof(stored));
        DWORD cbNeeded = 0;
        DWORD dwErr = bGetPrinterData(hPrinter, szValue, &stored, sizeof(stored), &cbNeeded);
        // Only a whole slot with a possible size is taken; anything else
        // (missing, short, long, nonsense) falls back to the built-in paper.
        if (dwErr == 0 && cbNeeded == sizeof(USERPAPER) && bUserPaperSane(&stored)) {
            stored.szName[USERPAPER_NAME_CCH - 1] = 0;
            slot = stored;
        } else {
            SetUserPaperDefault(&slot, iSlot);
        }
    }
    FreeResourceDll();
    return TRUE;
}

BOOL WriteUserPapers(const USERPAPERS* pPapers, HANDLE hPrinter) {
    if (!_UserPapersOn()) return TRUE;
    if (!pPapers) return FALSE;
    BOOL bOk = TRUE;
    for (int iSlot = 1; iSlot <= USERPAPER_SLOTS; iSlot++) {
        USERPAPER slot = pPapers->aSlot[iSlot - 1];
        slot.szName[USERPAPER_NAME_CCH - 1] = 0;
        WCHAR szValue[32];
        _UserPaperValueName(szValue, iSlot);
        USERPAPER stored;
        std::memset(&stored, 0, sizeof(stored));
        DWORD cbNeeded = 0;
        DWORD dwErr = bGetPrinterData(hPrinter, szValue, &stored, sizeof(stored), &cbNeeded);
        stored.szName[USERPAPER_NAME_CCH - 1] = 0;
        BOOL bSame = dwErr == 0 && cbNeeded == sizeof(USERPAPER) && stored.lWidth == slot.lWidth &&
                     stored.lLength == slot.lLength && stored.sUnit == slot.sUnit &&
                     lstrcmpW(stored.szName, slot.szName) == 0;
        if (bSame) continue;
        if (!bSetPrinterData(hPrinter, szValue, &slot, sizeof(slot), REG_BINARY)) bOk = FALSE;
    }
    return bOk;
}

BOOL LoadUserPapers(USERPAPERS* pPapers, PVOID pList, HANDLE hPrinter) {
    if (!_UserPapersOn()) return TRUE;
    if (!pPapers || !pList || !hPrinter) return FALSE;
    return ReadUserPapers(pPapers, hPrinter);
}

BOOL SaveUserPapers(const USERPAPERS* pPapers, PVOID pList, HANDLE hPrinter) {
    if (!_UserPapersOn()) return TRUE;
    if (!pPapers || !pList || !hPrinter) return FALSE;
    return WriteUserPapers(pPapers, hPrinter);
}

BOOL GetCustomPaperSizeOf(const USERPAPERS* pPapers, int iCode, LONG* plWidth, LONG* plLength) {
    int iSlot = CustomPaperToSlot(iCode);
    if (iSlot == 0 || !pPapers) return FALSE;
    const USERPAPER& s = pPapers->aSlot[iSlot - 1];
    if (plWidth) *plWidth = (LONG)(((long long)s.lWidth * 254 + 500) / 1000);
    if (plLength) *plLength = (LONG)(((long long)s.lLength * 254 + 500) / 1000);
    return TRUE;
}

BOOL GetCustomPaperSize(HANDLE hPrinter, int iCode, LONG* plWidth, LONG* plLength) {
    if (CustomPaperToSlot(iCode) == 0) return FALSE;
    USERPAPERS papers;
    for (int i = 1; i <= USERPAPER_SLOTS; i++) SetUserPaperDefault(&papers.aSlot[i - 1], i);
    if (hPrinter) ReadUserPapers(&papers, hPrinter);
    return GetCustomPaperSizeOf(&papers, iCode, plWidth, plLength);
}

BOOL GetUserPaperField(int iField, int iSlot, PVOID* ppAddr, DWORD* pcb, DWORD* pdwType, USERPAPERS* pPapers) {
    if (!pPapers || iSlot < 1 || iSlot > USERPAPER_SLOTS) return FALSE;
    USERPAPER& s = pPapers->aSlot[iSlot - 1];
    PVOID p;
    DWORD cb, dwType;
    switch (iField) {
    case UPF_RECORD: p = pPapers; cb = sizeof(USERPAPERS); dwType = 64; break;
    case UPF_WIDTH: p = &s.lWidth; cb = 4; dwType = 8; break;
    case UPF_LENGTH: p = &s.lLength; cb = 4; dwType = 8; break;
    case UPF_UNIT: p = &s.sUnit; cb = 2; dwType = 4; break;
    case UPF_NAME: p = s.szName; cb = sizeof(s.szName); dwType = 128; break;
    default: return FALSE;
    }
    if (ppAddr) *ppAddr = p;
    if (pcb) *pcb = cb;
    if (pdwType) *pdwType = dwType;
    return TRUE;
}

int AccessUserPaperField(int iField, PVOID pValue, DWORD* pcbValue, WORD wCallerType, int iDirection, int iSlot,
                         USERPAPERS* pPapers) {
    PVOID pAddr = nullptr;
    DWORD cb = 0, dwType = 0;
    if (!GetUserPaperField(iField, iSlot, &pAddr, &cb, &dwType, pPapers)) return TVC_BADARG;
    if (iDirection == TVC_GET) return GetTypedValue(pAddr, cb, pValue, pcbValue, (WORD)dwType, wCallerType);
    if (iDirection != TVC_SET) return TVC_BADARG;
    int iResult = SetTypedValue(pAddr, cb, pValue, pcbValue, wCallerType, (WORD)dwType);
    // A name set from outside always ends inside its field.
    for (USERPAPER& s : pPapers->aSlot) s.szName[USERPAPER_NAME_CCH - 1] = 0;
    return iResult;
}

BOOL bUserPapersWritable(LPCWSTR pszPrinter, BOOL bRemoteConnection) {
    BOOL bNetworkName = pszPrinter && pszPrinter[0] == '\\' && pszPrinter[1] == '\\';
    return !(bNetworkName && bRemoteConnection);
}

void GetTrayLimits(TRAYLIMIT* pOut, int iSource, int iUnit) {
    if (!pOut) return;
    for (const TRAYLIMIT& t : s_aTray) {
        if (t.sSource == iSource && (t.sUnit == 0 || t.sUnit == iUnit)) {
            *pOut = t;
            return;
        }
    }
    *pOut = s_aTray[0];
}

void GetTrayLimitRect(RECTL* prcOut, int iSource, int iUnit) {
    if (!prcOut) return;
    TRAYLIMIT t;
    GetTrayLimits(&t, iSource, iUnit);
    *prcOut = t.rcMinMargin;
}
