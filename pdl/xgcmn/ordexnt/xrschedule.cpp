// xrschedule.cpp: the special-page schedule and the page origin.
//
// Owns: the sheet table (AllocSheetTable, FreeSheetTable, the build and
// its primitives), the lookups made in it per page, and GetPageOrigin with
// the binding margin of the current side. See xrschedule.h for the rules the
// table keeps.
//
// Each re-pairing operation is given its side shift A and sheet shift B by
// its caller and writes no entry past N + B; _RunOp logs what the
// operation changes (the entries' old values and the blocks it moves) and
// undoes it when the operation would leave the table past its end or out
// of order. The log also tells the check after the operation which entries
// it changed, so a build costs about the same per record however long the
// table has grown.
#include "pdl/xgcmn/ordexnt/xrschedule.h"

#include <cstring>
#include <vector>

#include "platform/windows.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/papertable.h"
#include "ui/settings/uiparam.h"

namespace {

// Work-area offsets of the schedule's fields.
const int kOffPages = 27160;    // int16 P
const int kOffSheets = 27162;   // int16 N
const int kOffSideShift = 27164;
const int kOffSheetShift = 27166;
const int kOffEntries = 27168;  // slot of the entries (PREF_SHEETTABLE)
const int kOffCount = 27180;
const int kOffTabValues = 27184;
const int kOffMode = 27192;

BYTE* _W(PDEV* pPDev)
{
    return reinterpret_cast<BYTE*>(PdlWork(pPDev));
}

SHORT _Short(const BYTE* p)
{
    return (SHORT)(p[0] | (p[1] << 8));
}

// The table being built: the header values and the entries.
struct SCHED {
    SHEETENTRY* pe;  // entries 0..SHEET_MAX_SHEETS
    int P;           // pages covered
    int N;           // sheets
    int A;           // side shift of the operation
    int B;           // sheet shift of the operation
    struct OPLOG* pLog = nullptr;  // what the operation in progress changed
};

// What an operation changed, newest last, so that it can be undone: an
// entry's value before a change, or a block of entries moved by B sheets
// with the entries the move overwrote.
struct OPCHANGE {
    int iEntry;     // the entry changed, or the first entry moved
    int nLast;      // the last entry moved; -1 for a changed entry
    int B;          // the move
    size_t iSaved;  // where the entries the move overwrote are in saved
    SHEETENTRY old; // the entry's value before (a changed entry)
};
struct OPLOG {
    bool bActive = false;
    std::vector<OPCHANGE> changes;
    std::vector<SHEETENTRY> saved;
};

// Notes entry i's value before the operation in progress changes it.
void _Touch(const SCHED& s, int i)
{
    if (s.pLog && s.pLog->bActive)
        s.pLog->changes.push_back(OPCHANGE{i, -1, 0, 0, s.pe[i]});
}

// The attributes a record gives its sheets.
struct SHEETATTR {
    BYTE bBinding;
    SHORT nTray;
    SHORT nKey;
};

void _PutHeader(PDEV* pPDev, const SCHED& s)
{
    BYTE* w = _W(pPDev);
    SHORT v[4] = {(SHORT)s.P, (SHORT)s.N, (SHORT)s.A, (SHORT)s.B};
    memcpy(w + kOffPages, v, sizeof(v));
}

SHEETENTRY* _Entries(PDEV* pPDev)
{
    DWORD dwSlot = 0;
    memcpy(&dwSlot, _W(pPDev) + kOffEntries, sizeof(dwSlot));
    return PdevRef<SHEETENTRY*>(pPDev, dwSlot, PREF_SHEETTABLE);
}

void _SetEntries(PDEV* pPDev, SHEETENTRY* pe)
{
    DWORD dwSlot = SetPdevRef(pPDev, PREF_SHEETTABLE, pe);
    memcpy(_W(pPDev) + kOffEntries, &dwSlot, sizeof(dwSlot));
}

// ---- table primitives -------------------------------------------------------


// The sheet holding page nPage, 0 when none. The table being built lists
// its pages ascending (rule 2 holds before and through every operation:
// entries only move as blocks or take pages in order), so the sheet is
// found by halving; entries without pages are stepped over.
int _FindSheetOfPage(const SCHED& s, int nPage)
{
    if (nPage < 1)
        return 0;
    int lo = 1, hi = s.N;
    int r = 0;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        int m = mid;
        while (m <= hi && s.pe[m].nFront < 1 && s.pe[m].nBack < 1)
            ++m;
        if (m > hi) {
            hi = mid - 1;
            continue;
        }
        const SHEETENTRY& e = s.pe[m];
        int nFirst = e.nFront >= 1 ? e.nFront : e.nBack;
        int nLast = e.nBack >= 1 ? e.nBack : e.nFront;
        if (nPage < nFirst) {
            hi = mid - 1;
        } else if (nPage > nLast) {
            lo = m + 1;
        } else {
            r = (e.nFront == nPage || e.nBack == nPage) ? m : 0;
            break;
        }
    }
    return r;
}

int _GetPageSide(const SCHED& s, int nPage)
{
    int i = _FindSheetOfPage(s, nPage);
    return (i != 0 && s.pe[i].nBack == nPage) ? 2 : 1;
}

int _GetSheetSidesOfPage(const SCHED& s, int nPage)
{
    int i = _FindSheetOfPage(s, nPage);
    return (i != 0 && s.pe[i].bSides == 2) ? 2 : 1;
}

int _FindGroupEnd(const SCHED& s, int nPage)
{
    int i = _FindSheetOfPage(s, nPage);
    if (i == 0)
        return s.N;
    for (; i <= s.N; ++i) {
        if (s.pe[i].bGroupEnd == 1)
            return i;
    }
    return s.N;
}

int _GetGroupLastPage(const SCHED& s, int nPage)
{
    int i = _FindGroupEnd(s, nPage);
    if (i < 1)
        return 0;
    const SHEETENTRY& e = s.pe[i];
    if (e.bSides == 2 && e.nBack > 0)
        return e.nBack;
    if (e.nFront > 0)
        return e.nFront;
    return 0;
}

int _GetSideShift(const SCHED& s, int nPage, int nCount, int nMode)
{
    if (nMode == 2)
        return nCount + (_GetPageSide(s, nPage) == 2 ? 1 : 0);
    return nCount / 2;
}

int _GetSheetShift(const SCHED& s, int nPage, int nMode)
{
    if (nMode == 2) {
        if ((s.A % 2) != 0 && s.pe[_FindGroupEnd(s, nPage)].nBack != -1)
            return (s.A + 1) / 2;
        return s.A / 2;
    }
    return -s.A;
}

void _ShiftSheetEntries(SCHED& s, int nFirst, int nLast)
{
    if (s.B == 0 || nLast < nFirst || nFirst == 0 || nLast == 0)
        return;
    if (nFirst + s.B < 1 || nLast + s.B > SHEET_MAX_SHEETS)
        return;
    if (s.pLog && s.pLog->bActive) {
        // The entries the move overwrites, and the ones it leaves blank,
        // that the moved block does not hold.
        OPLOG& log = *s.pLog;
        int iLost = s.B > 0 ? nLast + 1 : nFirst + s.B;
        log.changes.push_back(OPCHANGE{nFirst, nLast, s.B, log.saved.size(), SHEETENTRY{}});
        log.saved.insert(log.saved.end(), s.pe + iLost, s.pe + iLost + (s.B > 0 ? s.B : -s.B));
    }
    size_t cb = (size_t)(nLast - nFirst + 1) * sizeof(SHEETENTRY);
    memmove(s.pe + nFirst + s.B, s.pe + nFirst, cb);
    if (s.B > 0) {
        for (int i = nFirst; i < nFirst + s.B; ++i) {
            s.pe[i] = SHEETENTRY{};
            s.pe[i].nFront = -1;
            s.pe[i].nBack = -1;
        }
    } else {
        int nFrom = nLast + s.B + 1;
        if (nFrom < nFirst)
            nFrom = nFirst;
        for (int i = nFrom; i <= nLast; ++i)
            s.pe[i] = SHEETENTRY{};
    }
}

// TRUE when the operation in progress may write entry i: it ends at N + B.
BOOL _bFits(const SCHED& s, int i)
{
    return i >= 1 && i <= s.N + s.B && i <= SHEET_MAX_SHEETS;
}

void _SetAttr(SHEETENTRY& e, const SHEETATTR& a)
{
    e.bBinding = a.bBinding;
    e.nTray = a.nTray;
    e.nKey = a.nKey;
}

void _SetRangeAttributes(SCHED& s, int nPage, int nCount, const SHEETATTR& a)
{
    int i0 = _FindSheetOfPage(s, nPage);
    int i1 = _FindSheetOfPage(s, nPage + nCount - 1);
    if (i0 == 0 || i1 == 0)
        return;
    for (int i = i0; i <= i1; ++i)
        _SetAttr(s.pe[i], a);
}

// Lays pages f..l of a group again, moved on by A sides.
void _RelayGroupPages(SCHED& s, int f, int l)
{
    int ef = _FindSheetOfPage(s, f);
    int el = _FindSheetOfPage(s, l);
    // A group whose last page comes before f has nothing left to lay.
    if (ef == 0 || el == 0 || el < ef)
        return;
    if (s.A % 2 == 0) {
        _ShiftSheetEntries(s, ef, el);
        return;
    }
    // Every page moves by A sides: side index 2e (front) or 2e + 1 (back).
    std::vector<SHEETENTRY> src(s.pe + ef, s.pe + el + 1);
    struct Move {
        int nPage;
        int iSide;   // new side index
        int iSrc;    // source entry (index into src)
    };
    std::vector<Move> moves;
    for (int i = ef; i <= el; ++i) {
        const SHEETENTRY& e = src[i - ef];
        if (e.nFront >= f && e.nFront <= l)
            moves.push_back({e.nFront, 2 * i + s.A, i - ef});
        if (e.nBack >= f && e.nBack <= l)
            moves.push_back({e.nBack, 2 * i + 1 + s.A, i - ef});
    }
    if (moves.empty() || !_bFits(s, moves.back().iSide / 2))
        return;
    // The source sheets give up their pages; the receiving sheets take the
    // kind and attributes of a sheet their pages came from.
    for (int i = ef; i <= el; ++i) {
        bool bFront = s.pe[i].nFront >= f && s.pe[i].nFront <= l;
        bool bBack = s.pe[i].nBack >= f && s.pe[i].nBack <= l;
        if (bFront || bBack)
            _Touch(s, i);
        if (bFront)
            s.pe[i].nFront = -1;
        if (bBack)
            s.pe[i].nBack = -1;
    }
    int iLastDst = moves.back().iSide / 2;
    int iPrevDst = -1;
    for (const Move& m : moves) {
        int d = m.iSide / 2;
        SHEETENTRY& e = s.pe[d];
        if (d != iPrevDst)
            _Touch(s, d);
        if (d != iPrevDst) {
            const SHEETENTRY& from = src[m.iSrc];
            e.bSides = from.bSides;
            e.bBinding = from.bBinding;
            e.nTray = from.nTray;
            e.nKey = from.nKey;
            e.bReserved = 0;
            if (d > el) {
                e.nFront = -1;
                e.nBack = -1;
                e.bGroupEnd = 0;
            }
            iPrevDst = d;
        }
        if (m.iSide % 2 == 0)
            e.nFront = (SHORT)m.nPage;
        else
            e.nBack = (SHORT)m.nPage;
    }
    // The group's end moves with its last page.
    BYTE bEnd = src[el - ef].bGroupEnd;
    for (int i = ef; i <= iLastDst; ++i) {
        if (s.pe[i].bGroupEnd != 0) {
            _Touch(s, i);
            s.pe[i].bGroupEnd = 0;
        }
    }
    _Touch(s, iLastDst);
    s.pe[iLastDst].bGroupEnd = bEnd;
    if (moves.back().iSide % 2 == 0 && s.pe[iLastDst].bSides == 2)
        s.pe[iLastDst].nBack = -1;
    else if (moves.back().iSide % 2 == 0)
        s.pe[iLastDst].nBack = 0;
}

// Makes page a begin a sheet and lays a..a+n-1 on one-sided sheets.
void _StartSheetAtPage(SCHED& s, int a, int n, const SHEETATTR& attr)
{
    if (a + n == 0)
        return;
    int L = _GetGroupLastPage(s, a);
    int c = _FindSheetOfPage(s, a);
    if (L == 0 || c == 0)
        return;
    BOOL bOnBack = s.pe[c].nBack == a;
    std::vector<SHEETENTRY> sheets(n > 0 ? n : 0);
    for (int i = 0; i < n; ++i) {
        sheets[i].nFront = (SHORT)(a + i);
        sheets[i].nBack = 0;
        sheets[i].bSides = 1;
        _SetAttr(sheets[i], attr);
    }
    if (n > 0)
        sheets[n - 1].bGroupEnd = 1;
    int iL = _FindSheetOfPage(s, L);
    if (iL != 0 && iL < s.N)
        _ShiftSheetEntries(s, iL + 1, s.N);
    _RelayGroupPages(s, a + n, L);
    int iAt = bOnBack ? c + 1 : c;
    for (int i = 0; i < n && _bFits(s, iAt + i); ++i) {
        _Touch(s, iAt + i);
        s.pe[iAt + i] = sheets[i];
    }
    if (bOnBack) {
        _Touch(s, c);
        s.pe[c].nBack = -1;
        s.pe[c].bGroupEnd = 1;
    } else if (c > 1) {
        _Touch(s, c - 1);
        s.pe[c - 1].bGroupEnd = 1;
    }
    if (s.N + s.B < 1)
        return;
    SHEETENTRY& last = s.pe[s.N + s.B];
    if (last.bSides == 2 && last.nFront == s.P) {
        _Touch(s, s.N + s.B);
        last.nBack = (SHORT)(s.P + 1);
        s.P += 1;
    } else if (s.pe[s.N].nFront == s.P && s.pe[s.N].nBack != 0) {
        _Touch(s, s.N);
        s.pe[s.N].nBack = 0;
    }
}

void _InsertBlankSheets(SCHED& s, int nPage, int n, const SHEETATTR& attr)
{
    if (n == 0 || nPage == 0)
        return;
    int e = _FindSheetOfPage(s, nPage);
    if (e == 0)
        return;
    _ShiftSheetEntries(s, e, s.N);
    for (int i = 0; i < n; ++i) {
        _Touch(s, e + i);
        SHEETENTRY& x = s.pe[e + i];
        x = SHEETENTRY{};
        x.nFront = -1;
        x.nBack = 0;
        x.bSides = 1;
        _SetAttr(x, attr);
    }
    s.pe[e + n - 1].bGroupEnd = 1;
    if (e > 1) {
        _Touch(s, e - 1);
        s.pe[e - 1].bGroupEnd = 1;
    }
}

void _InsertTwoSidedSheets(SCHED& s, int a, int n, const SHEETATTR& attr)
{
    int e = _FindSheetOfPage(s, a);
    if (e == 0 || n <= 0)
        return;
    int cSheets = (n + 1) / 2;
    if (!_bFits(s, e + cSheets - 1))
        return;
    if (a + n >= 1 && a + n <= s.P) {
        int eNext = _FindSheetOfPage(s, a + n);
        if (eNext != 0)
            _ShiftSheetEntries(s, eNext, s.N);
    }
    for (int i = 0; i < cSheets; ++i) {
        _Touch(s, e + i);
        SHEETENTRY& x = s.pe[e + i];
        x = SHEETENTRY{};
        x.nFront = (SHORT)(a + 2 * i);
        x.nBack = (SHORT)(2 * i + 1 < n ? a + 2 * i + 1 : -1);
        x.bSides = 2;
        _SetAttr(x, attr);
    }
    s.pe[e + cSheets - 1].bGroupEnd = 1;
    if (e > 1) {
        _Touch(s, e - 1);
        s.pe[e - 1].bGroupEnd = 1;
    }
}

// Rules 2 and 3 of the header over entries iFrom..N; the entries before
// iFrom are known to be sound and give the page the check starts from.
BOOL _bTableSound(const SCHED& s, int iFrom)
{
    if (s.N < 0 || s.N > SHEET_MAX_SHEETS || s.P < 1 || s.P > SHEET_MAX_PAGES + 1)
        return FALSE;
    if (iFrom < 1)
        iFrom = 1;
    int nNext = 1;
    for (int i = iFrom - 1; i >= 1; --i) {
        if (s.pe[i].nBack > 0 || s.pe[i].nFront > 0) {
            nNext = (s.pe[i].nBack > 0 ? s.pe[i].nBack : s.pe[i].nFront) + 1;
            break;
        }
    }
    for (int i = iFrom; i <= s.N; ++i) {
        const SHEETENTRY& e = s.pe[i];
        if (e.bSides != 1 && e.bSides != 2)
            return FALSE;
        if ((e.bSides == 1 && e.nBack != 0) || (e.bSides == 2 && e.nBack == 0) || e.nFront == 0)
            return FALSE;
        const SHORT aSide[2] = {e.nFront, e.nBack};
        for (SHORT v : aSide) {
            if (v > 0) {
                if (v != nNext)
                    return FALSE;
                ++nNext;
            } else if (v != 0 && v != -1) {
                return FALSE;
            }
        }
    }
    return nNext - 1 == s.P || nNext - 1 == s.P + 1;
}

// Puts the table back as it was before the operation the log is of.
void _Undo(SCHED& s, const OPLOG& log)
{
    for (size_t k = log.changes.size(); k-- > 0;) {
        const OPCHANGE& c = log.changes[k];
        if (c.nLast < 0) {
            s.pe[c.iEntry] = c.old;
            continue;
        }
        memmove(s.pe + c.iEntry, s.pe + c.iEntry + c.B,
                (size_t)(c.nLast - c.iEntry + 1) * sizeof(SHEETENTRY));
        int iLost = c.B > 0 ? c.nLast + 1 : c.iEntry + c.B;
        memcpy(s.pe + iLost, log.saved.data() + c.iSaved,
               (size_t)(c.B > 0 ? c.B : -c.B) * sizeof(SHEETENTRY));
    }
}

// _bTableSound(s, iFrom) after an operation, for a table that was sound
// from entry 1 before it with P0 pages and N0 sheets. When the operation
// moved the table's tail by B sheets at most once, the entries past the
// ones it changed are the old table's moved along: that part was sound
// and is sound again when the pages before it run on to its first page,
// so only the changed entries are checked one by one.
BOOL _bTableSoundAfterOp(const SCHED& s, int iFrom, const OPLOG& log, int P0, int N0)
{
    if (s.P != P0 || s.N < 0 || s.N > SHEET_MAX_SHEETS || iFrom < 1)
        return _bTableSound(s, iFrom);
    const OPCHANGE* pMove = nullptr;
    for (const OPCHANGE& c : log.changes) {
        if (c.nLast < 0)
            continue;
        if (pMove || c.nLast != N0 || c.B != s.B)
            return _bTableSound(s, iFrom);
        pMove = &c;
    }
    if (!pMove && s.B != 0)
        return _bTableSound(s, iFrom);
    // j: the first entry from which on the table is the old one moved.
    int j = iFrom;
    if (pMove && pMove->iEntry + s.B > j)
        j = pMove->iEntry + s.B;
    bool bMoved = false;
    for (const OPCHANGE& c : log.changes) {
        if (c.nLast >= 0) {
            bMoved = true;
            continue;
        }
        int i = c.iEntry;
        if (!bMoved && pMove && i >= pMove->iEntry && i <= pMove->nLast)
            i += s.B;
        if (i + 1 > j)
            j = i + 1;
    }
    if (s.P < 1 || s.P > SHEET_MAX_PAGES + 1)
        return FALSE;
    int nNext = 1;
    for (int i = iFrom - 1; i >= 1; --i) {
        if (s.pe[i].nBack > 0 || s.pe[i].nFront > 0) {
            nNext = (s.pe[i].nBack > 0 ? s.pe[i].nBack : s.pe[i].nFront) + 1;
            break;
        }
    }
    int iEnd = j <= s.N ? j : s.N + 1;
    for (int i = iFrom; i < iEnd; ++i) {
        const SHEETENTRY& e = s.pe[i];
        if (e.bSides != 1 && e.bSides != 2)
            return FALSE;
        if ((e.bSides == 1 && e.nBack != 0) || (e.bSides == 2 && e.nBack == 0) || e.nFront == 0)
            return FALSE;
        const SHORT aSide[2] = {e.nFront, e.nBack};
        for (SHORT v : aSide) {
            if (v > 0) {
                if (v != nNext)
                    return FALSE;
                ++nNext;
            } else if (v != 0 && v != -1) {
                return FALSE;
            }
        }
    }
    // The moved part checked as it was: its first page must come next.
    for (int i = iEnd; i <= s.N; ++i) {
        const SHEETENTRY& e = s.pe[i];
        if (e.nFront > 0 || e.nBack > 0)
            return (e.nFront > 0 ? e.nFront : e.nBack) == nNext;
    }
    return nNext - 1 == s.P || nNext - 1 == s.P + 1;
}

// Runs one operation with A and B set, on entries from iFrom on; adds B to
// N. An operation that would pass the end of the table is not performed;
// one that would leave it unsound is undone. The table is sound from entry
// 1 before every operation (the first table is, and an operation that
// leaves it otherwise is undone), which lets the check after it skip the
// entries the operation only moved.
template <class F>
BOOL _RunOp(SCHED& s, int iFrom, int A, int B, F op)
{
    if (s.N + B > SHEET_MAX_SHEETS || s.N + B < 0)
        return FALSE;
    if (iFrom < 1)
        iFrom = 1;
    int iEnd = (s.N > s.N + B ? s.N : s.N + B) + 1;
    if (iFrom > iEnd)
        iFrom = iEnd;
    OPLOG local;
    OPLOG& log = s.pLog ? *s.pLog : local;
    log.changes.clear();
    log.saved.clear();
    int P0 = s.P;
    int N0 = s.N;
    s.A = A;
    s.B = B;
    OPLOG* pOuter = s.pLog;
    s.pLog = &log;
    log.bActive = true;
    op();
    log.bActive = false;
    s.pLog = pOuter;
    s.N += B;
    BOOL bSound = _bTableSoundAfterOp(s, iFrom, log, P0, N0);
    if (!bSound) {
        _Undo(s, log);
        s.P = P0;
        s.N = N0;
        return FALSE;
    }
    return TRUE;
}

// The first entry an operation at page nPage may change: the one before
// the page's own (it may close its group).
int _OpFrom(const SCHED& s, int nPage)
{
    int e = _FindSheetOfPage(s, nPage);
    return e > 1 ? e - 1 : 1;
}

// ---- records ---------------------------------------------------------------------

// The page numbers of a record: 1..9999 in list order, ended by a 0. A list
// that cannot be read or holds too many numbers gives none.
int _DecodePages(const BYTE* pRec, std::vector<SHORT>& pages)
{
    WCHAR szList[130] = {};
    memcpy(szList, pRec + IS_OFF_PAGELIST, 129 * sizeof(WCHAR));
    pages.assign(INSERT_MAX_NUMBERS, 0);
    int n = ParsePageRanges(szList, pages.data(), INSERT_MAX_NUMBERS);
    if (n <= 0)
        return 0;
    int c = 0;
    while (c < n && pages[c] > 0)
        ++c;
    return c;
}

SHEETATTR _RecordAttr(PDEV* pPDev, const BYTE* pRec, int iIndex)
{
    SHEETATTR a = {};
    SHORT nBinding = _Short(pRec + IS_OFF_BINDING);
    a.bBinding = (BYTE)(nBinding == 1 ? GetJobBindingKind(pPDev) : (nBinding & 0xFF));
    SHORT nTray = _Short(pRec + IS_OFF_TRAY);
    a.nTray = nTray == IS_TRAY_JOB ? DmShort(pPDev, 1543) : nTray;
    a.nKey = (SHORT)(_Short(pRec + IS_OFF_TABKEY) == 1 ? iIndex + 1 : 0);
    return a;
}

// Calls fn(record, index) for every readable in-use record, in list order.
template <class F>
void _ForEachRecord(PDEV* pPDev, F fn)
{
    int cRec = GetInsertSheetCount(pPDev);
    BYTE abRec[INSERT_RECORD_SIZE];
    for (int i = 0; i < cRec; ++i) {
        if (!GetInsertSheetRecord(pPDev, i, abRec) || abRec[IS_OFF_INUSE] != 1)
            continue;
        fn(abRec, i);
    }
}

int _GetScheduledPageCount(PDEV* pPDev)
{
    int nMax = -1;
    std::vector<SHORT> pages;
    _ForEachRecord(pPDev, [&](const BYTE* pRec, int) {
        int c = _DecodePages(pRec, pages);
        int nTop = 0;
        for (int i = 0; i < c; ++i)
            if (pages[i] > nTop)
                nTop = pages[i];
        if (nTop > nMax)
            nMax = nTop;
    });
    return nMax + 1;
}

BOOL _InitSheetTable(PDEV* pPDev, SCHED& s)
{
    s.P = _GetScheduledPageCount(pPDev);
    s.A = 0;
    s.B = 0;
    if (s.P < 1 || s.P > SHEET_MAX_PAGES) {
        s.P = 0;
        s.N = 0;
        return FALSE;
    }
    memset(s.pe, 0, SHEET_TABLE_ENTRIES * sizeof(SHEETENTRY));
    BYTE bBinding = (BYTE)GetJobBindingKind(pPDev);
    SHORT nTray = DmShort(pPDev, 1543);
    if (GetJobSidesKind(pPDev) == 2) {
        s.N = (s.P + 1) / 2;
        for (int i = 1; i <= s.N; ++i) {
            s.pe[i].nFront = (SHORT)(2 * i - 1);
            s.pe[i].nBack = (SHORT)(2 * i);
            s.pe[i].bSides = 2;
        }
    } else {
        s.N = s.P;
        for (int i = 1; i <= s.N; ++i) {
            s.pe[i].nFront = (SHORT)i;
            s.pe[i].nBack = 0;
            s.pe[i].bSides = 1;
        }
    }
    for (int i = 1; i <= s.N; ++i) {
        s.pe[i].bBinding = bBinding;
        s.pe[i].nTray = nTray;
    }
    return TRUE;
}

// ---- the three passes ----------------------------------------------------------------

void _ScheduleSpecialPaperRanges(PDEV* pPDev, SCHED& s)
{
    std::vector<SHORT> pages;
    _ForEachRecord(pPDev, [&](const BYTE* pRec, int iIndex) {
        SHORT nType = _Short(pRec + IS_OFF_TYPE);
        int nWanted;
        if (nType == IS_TYPE_ONE_SIDED)
            nWanted = 1;
        else if (nType == IS_TYPE_TWO_SIDED)
            nWanted = 2;
        else if (nType == IS_TYPE_AS_JOB)
            nWanted = GetJobSidesKind(pPDev);
        else
            return;
        SHEETATTR attr = _RecordAttr(pPDev, pRec, iIndex);
        int c = _DecodePages(pRec, pages);
        // Runs of consecutive numbers; a number that does not follow the
        // one before opens a run of its own.
        int i = 0;
        while (i < c) {
            int a = pages[i];
            int j = i + 1;
            while (j < c && pages[j] == pages[j - 1] + 1)
                ++j;
            int n = pages[j - 1] - a + 1;
            i = j;
            if (_GetSheetSidesOfPage(s, a) == 2) {
                if (nWanted == 2) {
                    const int aPage[2] = {a, a + n};
                    for (int p : aPage) {
                        int A = _GetSideShift(s, p, 0, 2);
                        s.A = A;
                        int B = _GetSheetShift(s, p, 2);
                        _RunOp(s, _OpFrom(s, p), A, B, [&] { _StartSheetAtPage(s, p, 0, attr); });
                    }
                    _SetRangeAttributes(s, a, n, attr);
                } else {
                    int A = _GetSideShift(s, a, n, 2);
                    s.A = A;
                    int B = _GetSheetShift(s, a, 2);
                    _RunOp(s, _OpFrom(s, a), A, B, [&] { _StartSheetAtPage(s, a, n, attr); });
                }
            } else if (nWanted == 2) {
                int A = n / 2;
                _RunOp(s, _OpFrom(s, a), A, -A, [&] { _InsertTwoSidedSheets(s, a, n, attr); });
            } else {
                _SetRangeAttributes(s, a, n, attr);
            }
        }
    });
}

void _ScheduleChapterPages(PDEV* pPDev, SCHED& s)
{
    std::vector<SHORT> pages;
    _ForEachRecord(pPDev, [&](const BYTE* pRec, int iIndex) {
        if (_Short(pRec + IS_OFF_TYPE) != IS_TYPE_CHAPTER)
            return;
        SHEETATTR attr = _RecordAttr(pPDev, pRec, iIndex);
        int c = _DecodePages(pRec, pages);
        for (int i = 0; i < c; ++i) {
            int p = pages[i];
            if (_GetSheetSidesOfPage(s, p) != 2)
                continue;
            int A = _GetSideShift(s, p, 0, 2);
            s.A = A;
            int B = _GetSheetShift(s, p, 2);
            _RunOp(s, _OpFrom(s, p), A, B, [&] { _StartSheetAtPage(s, p, 0, attr); });
        }
    });
}

void _ScheduleInsertedSheets(PDEV* pPDev, SCHED& s)
{
    std::vector<SHORT> pages;
    _ForEachRecord(pPDev, [&](const BYTE* pRec, int iIndex) {
        SHORT nType = _Short(pRec + IS_OFF_TYPE);
        if (nType != IS_TYPE_SHEET_AFTER && nType != IS_TYPE_SHEET_BEFORE)
            return;
        SHEETATTR attr = _RecordAttr(pPDev, pRec, iIndex);
        int c = _DecodePages(pRec, pages);
        for (int i = 0; i < c; ++i) {
            int t = pages[i] + (nType == IS_TYPE_SHEET_AFTER ? 1 : 0);
            BOOL bTwoSided = _GetSheetSidesOfPage(s, t) == 2;
            if (bTwoSided) {
                int A = _GetSideShift(s, t, 0, 2);
                s.A = A;
                int B = _GetSheetShift(s, t, 2);
                _RunOp(s, _OpFrom(s, t), A, B, [&] { _StartSheetAtPage(s, t, 0, attr); });
            }
            _RunOp(s, _OpFrom(s, t), bTwoSided ? 2 : 1, 1, [&] { _InsertBlankSheets(s, t, 1, attr); });
        }
    });
    if (GetInsertSheetMode(pPDev) == 0 && GetJobSidesKind(pPDev) == 2) {
        for (int i = 1; i <= s.N; ++i) {
            if (s.pe[i].nFront == -1) {
                s.pe[i].bSides = 2;
                s.pe[i].nBack = -1;
            }
        }
    }
}

SCHED _Load(PDEV* pPDev)
{
    SCHED s = {};
    s.pe = _Entries(pPDev);
    const BYTE* w = _W(pPDev);
    s.P = _Short(w + kOffPages);
    s.N = _Short(w + kOffSheets);
    s.A = _Short(w + kOffSideShift);
    s.B = _Short(w + kOffSheetShift);
    if (s.N < 0 || s.N > SHEET_MAX_SHEETS)
        s.N = 0;
    return s;
}

// The table when it exists and covers pages.
BOOL _bHaveTable(PDEV* pPDev, SCHED& s)
{
    s = _Load(pPDev);
    return s.pe != nullptr && s.P > 0;
}

}  // namespace

// ---- job settings ------------------------------------------------------------------

BOOL bInsertSheetsEnabled(PDEV* pPDev)
{
    return pPDev != nullptr && DmByte(pPDev, 1583) == 1 && bFeatureEnabledAt(2);
}

int GetJobSidesKind(PDEV* pPDev)
{
    if (DmByte(pPDev, 1433) == 1)
        return 2;
    SHORT nDuplex = DmShort(pPDev, 314);
    return (bDuplexAvailable(pPDev) && (nDuplex == 2 || nDuplex == 3)) ? 2 : 1;
}

int GetJobBindingKind(PDEV* pPDev)
{
    if (DmByte(pPDev, 1433) == 1)
        return 3;
    if (bDuplexAvailable(pPDev)) {
        SHORT nDuplex = DmShort(pPDev, 314);
        if (nDuplex == 2)
            return 2;
        if (nDuplex == 3)
            return 3;
    }
    return 0;
}

// ---- records --------------------------------------------------------------------------

int GetInsertSheetCount(PDEV* pPDev)
{
    LONG n;
    memcpy(&n, _W(pPDev) + kOffCount, sizeof(n));
    return (n >= 1 && n <= INSERT_MAX_RECORDS) ? (int)n : 0;
}

BOOL GetInsertSheetRecord(PDEV* pPDev, int iIndex, BYTE abRecord[INSERT_RECORD_SIZE])
{
    const BYTE* pBuf = PdlInsertSheets(pPDev);
    if (pBuf == nullptr || iIndex < 0 || iIndex >= INSERT_MAX_RECORDS)
        return FALSE;
    memcpy(abRecord, pBuf + iIndex * INSERT_RECORD_SIZE, INSERT_RECORD_SIZE);
    return TRUE;
}

void GetTabPaperValues(PDEV* pPDev, BYTE abValues[8])
{
    memcpy(abValues, _W(pPDev) + kOffTabValues, 8);
}

LONG GetInsertSheetMode(PDEV* pPDev)
{
    LONG n;
    memcpy(&n, _W(pPDev) + kOffMode, sizeof(n));
    return n;
}

// ---- the table -------------------------------------------------------------------------

BOOL AllocSheetTable(PDEV* pPDev)
{
    if (!bInsertSheetsEnabled(pPDev))
        return FALSE;
    // A second schedule in the same job (the records are sent again after a
    // fax batch) reuses the block instead of losing it.
    SHEETENTRY* pe = _Entries(pPDev);
    if (pe != nullptr) {
        memset(pe, 0, SHEET_TABLE_ENTRIES * sizeof(SHEETENTRY));
        return TRUE;
    }
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SHEET_TABLE_ENTRIES * sizeof(SHEETENTRY));
    if (h == nullptr)
        return FALSE;
    pe = static_cast<SHEETENTRY*>(GlobalLock(h));
    if (pe == nullptr) {
        GlobalFree(h);
        return FALSE;
    }
    _SetEntries(pPDev, pe);
    return TRUE;
}

BOOL FreeSheetTable(PDEV* pPDev)
{
    if (pPDev == nullptr)
        return FALSE;
    // Freed whatever the settings say now: a ResetPDEV may have switched
    // insert sheets off after the table was built.
    // The row is the PDEV's whatever the slot says now (a header cleared by
    // a new document must not lose the table).
    SHEETENTRY* pe = reinterpret_cast<SHEETENTRY*>(PdevRefTake(pPDev, PREF_SHEETTABLE));
    if (pe != nullptr) {
        HGLOBAL h = GlobalHandle(pe);
        if (h != nullptr) {
            GlobalUnlock(h);
            GlobalFree(h);
        }
    }
    memset(_W(pPDev) + kOffPages, 0, 12);
    return TRUE;
}

SHEETTABLEINFO GetSheetTableInfo(PDEV* pPDev)
{
    SCHED s = _Load(pPDev);
    return SHEETTABLEINFO{s.P, s.N, s.pe};
}

BOOL BuildSpecialPageSchedule(PDEV* pPDev)
{
    if (pPDev == nullptr)
        return FALSE;
    if (!bInsertSheetsEnabled(pPDev) || !AllocSheetTable(pPDev))
        return FALSE;
    SCHED s = {};
    s.pe = _Entries(pPDev);
    OPLOG log;
    s.pLog = &log;
    if (!_InitSheetTable(pPDev, s)) {
        FreeSheetTable(pPDev);
        return FALSE;
    }
    _ScheduleSpecialPaperRanges(pPDev, s);
    _ScheduleChapterPages(pPDev, s);
    _ScheduleInsertedSheets(pPDev, s);
    _PutHeader(pPDev, s);
    return TRUE;
}

// ---- lookups ----------------------------------------------------------------------------

void FillSpecialPage(PDEV* pPDev, const SHEETENTRY* pEntry, SPECIALPAGE* pOut)
{
    memset(pOut, 0, sizeof(*pOut));
    pOut->nPaper = DmShort(pPDev, 776);
    pOut->nOrient = DmShort(pPDev, 296);
    if (pEntry->nKey != 0) {
        GetTabPaperValues(pPDev, pOut->abTabValues);
        BYTE abRec[INSERT_RECORD_SIZE];
        if (GetInsertSheetRecord(pPDev, pEntry->nKey - 1, abRec)) {
            // Item block offsets are those of the record less 250.
            memcpy(pOut->abItem + 0, abRec + IS_OFF_TABTEXT, 130);
            memcpy(pOut->abItem + 130, abRec + IS_OFF_TABPOS, 2);
            memcpy(pOut->abItem + 132, abRec + IS_OFF_TABDIR, 2);
            memcpy(pOut->abItem + 134, abRec + IS_OFF_TABALIGN, 2);
            memcpy(pOut->abItem + 136, abRec + IS_OFF_TABFACE, 64);
            memcpy(pOut->abItem + 200, abRec + IS_OFF_TABSTYLE, 2);
            memcpy(pOut->abItem + 202, abRec + IS_OFF_TABSIZE, 2);
        }
        pOut->nPaper = _Short(pOut->abTabValues);
    }
    pOut->bSides = pEntry->bSides;
    pOut->bBinding = pEntry->bBinding;
    pOut->nTray = pEntry->nTray;
    pOut->nSegmentKey = pEntry->nKey;
}

int GetSpecialPagesForPage(PDEV* pPDev, int nPage, SPECIALPAGE* pOut)
{
    SCHED s;
    if (!bInsertSheetsEnabled(pPDev) || !_bHaveTable(pPDev, s) || nPage < 0 || nPage > s.P)
        return 0;
    int cOut = 0;
    auto add = [&](int i) {
        if (pOut != nullptr)
            FillSpecialPage(pPDev, &s.pe[i], &pOut[cOut]);
        ++cOut;
    };
    int iFrom = 1;
    if (nPage > 0) {
        int e = _FindSheetOfPage(s, nPage);
        if (e == 0)
            return 0;
        add(e);
        if (s.pe[e].nFront == nPage) {
            if (s.pe[e].nBack >= 1)
                return cOut;
            if (s.pe[e].nBack == -1)
                add(e);
        }
        iFrom = e + 1;
    }
    for (int i = iFrom; i <= s.N; ++i) {
        const SHEETENTRY& x = s.pe[i];
        if (x.nFront >= 1 || x.nBack >= 1)
            break;
        if (x.nFront == -1)
            add(i);
        if (x.nBack == -1)
            add(i);
    }
    return cOut;
}

BOOL GetScheduledTray(PDEV* pPDev, int* pnTray)
{
    SCHED s;
    if (pnTray == nullptr || !bInsertSheetsEnabled(pPDev) || !_bHaveTable(pPDev, s))
        return FALSE;
    int nJobTray = DmShort(pPDev, 1543);
    int nTray = nJobTray;
    int nPage = PdlWork(pPDev)->nLogicalPage;
    if (nPage >= 1 && nPage <= s.P) {
        for (int i = 1; i <= s.N; ++i)
            if (s.pe[i].nFront == nPage || s.pe[i].nBack == nPage)
                nTray = s.pe[i].nTray;
    }
    // Pages left on the job's tray keep the page set-up's own tray rule
    // (covers and OHP interleaves fed from the manual tray).
    if (nTray == nJobTray)
        return FALSE;
    *pnTray = nTray;
    return TRUE;
}

BOOL GetScheduledPaper(PDEV* pPDev, int* pnPaper)
{
    SCHED s;
    if (pnPaper == nullptr || !bInsertSheetsEnabled(pPDev) || !_bHaveTable(pPDev, s))
        return FALSE;
    int nPage = PdlWork(pPDev)->nLogicalPage;
    if (nPage < 1 || nPage > s.P)
        return FALSE;
    int e = _FindSheetOfPage(s, nPage);
    if (e == 0 || s.pe[e].nKey == 0)
        return FALSE;
    BYTE abTab[8];
    GetTabPaperValues(pPDev, abTab);
    *pnPaper = _Short(abTab);
    return TRUE;
}

BOOL GetScheduledSides(PDEV* pPDev, int* pnSides, int* pnBinding)
{
    SCHED s;
    if (pnSides == nullptr || pnBinding == nullptr || !bInsertSheetsEnabled(pPDev) ||
        !_bHaveTable(pPDev, s))
        return FALSE;
    int nPage = PdlWork(pPDev)->nLogicalPage;
    if (nPage < 1 || nPage > s.P)
        return FALSE;
    int e = _FindSheetOfPage(s, nPage);
    if (e == 0)
        return FALSE;
    *pnSides = s.pe[e].bSides;
    *pnBinding = s.pe[e].bBinding;
    return TRUE;
}

BOOL GetScheduledSide(PDEV* pPDev, int* pnSide, int* pnBinding)
{
    if (pnBinding != nullptr)
        *pnBinding = DmShort(pPDev, 314);
    int a = PdlWork(pPDev)->nLogicalPage;
    SCHED s;
    if (a <= 0 || pnSide == nullptr || !bInsertSheetsEnabled(pPDev) || !_bHaveTable(pPDev, s))
        return FALSE;
    int e = _FindSheetOfPage(s, a);
    if (e != 0) {
        *pnSide = s.pe[e].nBack == a ? 1 : 0;
        if (pnBinding != nullptr)
            *pnBinding = s.pe[e].bBinding;
        return TRUE;
    }
    if (a <= s.P) {
        // A page the table should hold but does not: a front.
        *pnSide = 0;
        return TRUE;
    }
    // Pages after the table run on from the first front after its last
    // sheet: the table may end with P + 1 on a back or with a blank back.
    int q = s.P + 1;
    while (q <= s.P + 2 && _FindSheetOfPage(s, q) != 0)
        ++q;
    BOOL bDuplex = (DmByte(pPDev, 1423) == 1 && DmByte(pPDev, 1426) == 1) ||
                   (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2096) == 1) ||
                   (DmByte(pPDev, 1423) == 1 && DmByte(pPDev, 1433) == 1);
    *pnSide = (bDuplex && ((a - q) % 2) != 0) ? 1 : 0;
    return TRUE;
}

int CountBlankSidesBefore(PDEV* pPDev, int nPage)
{
    SCHED s;
    if (!bInsertSheetsEnabled(pPDev) || !_bHaveTable(pPDev, s) || nPage < 1)
        return 0;
    int b = nPage < s.P ? nPage : s.P;
    int c = 0;
    for (int i = 1; i <= s.N; ++i) {
        const SHORT aSide[2] = {s.pe[i].nFront, s.pe[i].nBack};
        for (SHORT v : aSide) {
            if (v == b)
                return c;
            if (v == -1)
                ++c;
        }
    }
    return c;
}

SHORT CountInsertSheetsBefore(PDEV* pPDev, SHORT nKey)
{
    SCHED s;
    if (pPDev == nullptr || !bInsertSheetsEnabled(pPDev) || !_bHaveTable(pPDev, s))
        return 0;
    int c = 0;
    for (int i = 1; i <= s.N; ++i) {
        if (s.pe[i].nKey == 0)
            continue;
        if (s.pe[i].nKey == nKey)
            return (SHORT)c;
        ++c;
    }
    return 0;
}

// ---- page origin -----------------------------------------------------------------------

int bIsBackSide(PDEV* pPDev, int nSide, int* pnBinding)
{
    int k = DmShort(pPDev, 314);
    int nSched = 0;
    int kSched = k;
    if (GetScheduledSide(pPDev, &nSched, &kSched)) {
        if (pnBinding != nullptr)
            *pnBinding = kSched;
        return nSched;
    }
    if (pnBinding != nullptr)
        *pnBinding = k;
    int s = nSide;
    if (DmByte(pPDev, 2092) != 0 && DmByte(pPDev, 2099) != 0) {
        // Each chapter page begins a front: an even chapter page after a
        // front (or an odd one after a skipped side) costs one blank side.
        const PAGELISTS* pLists =
            reinterpret_cast<const PAGELISTS*>(PdlDevmodeBytes(pPDev) + 1595);
        SHORT aNum[PAGELIST_MAX] = {};
        int c = 0;
        LoadPageSlot(pLists, 2, &c, aNum, 0, PAGELIST_MAX);
        SortPageNumbers(aNum, c);
        int nState = 1;
        int nAdd = 0;
        for (int i = 0; i < c && aNum[i] <= nSide; ++i) {
            if (aNum[i] % 2 == 0 && nState == 1) {
                ++nAdd;
                nState = 0;
            } else if (aNum[i] % 2 != 0 && nState == 0) {
                ++nAdd;
                nState = 1;
            }
        }
        s += nAdd;
    }
    auto both = [&](int a, int b) { return DmByte(pPDev, a) == 1 && DmByte(pPDev, b) == 1; };
    if (!(both(1423, 1426) || both(1423, 1435) || both(2092, 2096) || both(2092, 2097) ||
          both(1423, 1433)))
        return 0;
    if (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2094) == 1 && DmByte(pPDev, 2095) == 1) {
        int m = ((s % 4) + 4) % 4;
        return (m == 0 || m == 3) ? 1 : 0;
    }
    return (s % 2 == 0) ? 1 : 0;
}

void GetBindingShift(PDEV* pPDev, int nSide, int* pnDir, LONG* plAmount, LONG* plCross)
{
    // The binding edge as seen from the back: {o is 1, k is 2} picks a row.
    static const BYTE s_aMirror[2][2][4] = {
        // orientation not portrait: binding kind not 2, 2
        {{2, 1, 3, 4}, {1, 2, 4, 3}},
        // portrait: binding kind not 2, 2
        {{1, 2, 4, 3}, {2, 1, 3, 4}},
    };
    int o0 = DmShort(pPDev, 296);
    int o = o0;
    if (DmByte(pPDev, 2092) != 0 && DmByte(pPDev, 2094) != 0)
        o = (o == 1) ? 2 : 1;
    int k = 0;
    int nBack = bIsBackSide(pPDev, nSide, &k);
    if ((DmByte(pPDev, 2092) != 0 && DmByte(pPDev, 2097) != 0) ||
        (DmByte(pPDev, 1423) != 0 && DmByte(pPDev, 1435) != 0))
        k = 2;
    int nEdge = DmByte(pPDev, 1440);
    int r = 0;
    LONG t;
    if (nBack == 0) {
        t = DmByte(pPDev, 1439) * 100;
        r = (nEdge >= 1 && nEdge <= 4) ? nEdge : 0;
    } else {
        t = DmByte(pPDev, 1441) * 100;
        if (nEdge >= 1 && nEdge <= 4)
            r = s_aMirror[o == 1 ? 1 : 0][k == 2 ? 1 : 0][nEdge - 1];
    }
    LONG u = 0;
    if (DmByte(pPDev, 1443) == 2) {
        // Centred across the binding direction: what the zoomed image
        // leaves of the printable area, halved.
        LONG z = DmShort(pPDev, 874);
        LONG Wd = (DmLong(pPDev, 2415) - DmLong(pPDev, 2407)) -
                  z * (DmLong(pPDev, 799) - DmLong(pPDev, 791)) / 100;
        LONG Ld = (DmLong(pPDev, 2419) - DmLong(pPDev, 2411)) -
                  z * (DmLong(pPDev, 803) - DmLong(pPDev, 795)) / 100;
        if (o0 == 1) {
            u = (r == 1 || r == 2) ? Ld / 2 : Wd / 2;
            if (r == 2)
                t -= Wd;
            else if (r == 4)
                t -= Ld;
        } else {
            u = (r == 1 || r == 2) ? Wd / 2 : Ld / 2;
            if (r == 2)
                t -= Ld;
            else if (r == 4)
                t -= Wd;
        }
    }
    *pnDir = r;
    *plAmount = t;
    *plCross = u;
}

void GetPageOrigin(PDEV* pPDev, LONG* px, LONG* py)
{
    LONG x = DmLong(pPDev, 2407);
    LONG y = DmLong(pPDev, 2411);
    if (bIsCustomPaper(DmShort(pPDev, 776))) {
        RECTL rc = {};
        GetTrayLimitRect(&rc, 7, 0);
        x = rc.left;
        y = rc.top;
    }
    if ((DmByte(pPDev, 1423) != 0 && DmByte(pPDev, 1438) != 0) ||
        (DmByte(pPDev, 2092) != 0 && DmByte(pPDev, 2100) != 0)) {
        int r = 0;
        LONG t = 0;
        LONG u = 0;
        GetBindingShift(pPDev, PdlWork(pPDev)->nPageSide, &r, &t, &u);
        switch (r) {
        case 1: x += t; y += u; break;
        case 2: x -= t; y += u; break;
        case 3: x += u; y += t; break;
        case 4: x += u; y -= t; break;
        default: break;
        }
    }
    *px = x;
    *py = y;
}
