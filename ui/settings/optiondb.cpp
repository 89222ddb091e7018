// optiondb.cpp: the option tables and the query engine.
//
// The three tables are built at compile time from the data files; the
// 300-dpi paper rows are derived from the 1/100 mm rows so that the two
// lists can never disagree on which papers exist or in which order.
#include "ui/settings/optiondb.h"

#include <array>
#include <cstring>
#include <iterator>

namespace {

const WORD kEndOption = 0xFFFF;

const OPTCHOICE s_aChoice[] = {
#define Q730_ROW(opt, strid, value, dflt) {opt, strid, value, 0, dflt},
#include "optchoice.inc"
#undef Q730_ROW
    {kEndOption, 0, 0, 0, 0},
};

struct PaperSource {
    WORD wCode;
    WORD wStrId;
    LONG lWidth, lLength, lLeft, lTop, lRight, lBottom;
    DWORD dwDefault;
};

constexpr PaperSource s_aPaperSource[] = {
#define Q730_ROW(code, strid, w, l, le, t, r, b, d) {code, strid, w, l, le, t, r, b, d},
#include "optpaper.inc"
#undef Q730_ROW
};
constexpr size_t kPaperRows = std::size(s_aPaperSource);

// 300 dpi: sizes truncated, a 48-dot margin where the sheet has a margin.
constexpr LONG To300(LONG v) { return (LONG)((long long)v * 300 / 2540); }

constexpr std::array<OPTPAPER, 2 * kPaperRows + 1> BuildPaperTable() {
    std::array<OPTPAPER, 2 * kPaperRows + 1> a{};
    for (size_t i = 0; i < kPaperRows; i++) {
        const PaperSource& s = s_aPaperSource[i];
        a[i] = OPTPAPER{OPT_PAPER, s.wStrId, s.wCode, 0, s.lWidth, s.lLength,
                        RECTL{s.lLeft, s.lTop, s.lRight, s.lBottom}, s.dwDefault};
        LONG w = To300(s.lWidth), l = To300(s.lLength);
        LONG m = (s.lLeft == 0 && s.lTop == 0) ? 0 : 48;
        a[kPaperRows + i] = OPTPAPER{OPT_PAPER300, s.wStrId, s.wCode, 0, w, l,
                                     RECTL{m, m, w - m, l - m}, s.dwDefault};
    }
    a[2 * kPaperRows] = OPTPAPER{kEndOption, 0, 0, 0, 0, 0, RECTL{0, 0, 0, 0}, 0};
    return a;
}
constexpr std::array<OPTPAPER, 2 * kPaperRows + 1> s_aPaper = BuildPaperTable();

const OPTRANGE s_aRange[] = {
#define Q730_ROW(opt, mx, mn, step, dflt) {opt, mx, mn, step, dflt},
#include "optrange.inc"
#undef Q730_ROW
    {kEndOption, 0, 0, 0, 0},
};

const WORD s_wDriverVersion = 0x8403;

// Where an option's rows are and how many there are.
struct OptionRows {
    int iKind;
    const OPTCHOICE* pChoice;
    const OPTPAPER* pPaper;
    const OPTRANGE* pRange;
    int cRows;
    int iDefault;  // index of the default row
};

template <typename Row>
const Row* _FindFirst(const Row* pTable, WORD wOption) {
    for (const Row* p = pTable; p->wOption != kEndOption; p++) {
        if (p->wOption == wOption) return p;
    }
    return nullptr;
}

template <typename Row>
void _CountRows(const Row* pFirst, WORD wOption, int* pcRows, int* piDefault, DWORD Row::*pFlag) {
    int c = 0, iDef = -1;
    for (const Row* p = pFirst; p->wOption == wOption; p++, c++) {
        if (p->*pFlag) iDef = c;
    }
    *pcRows = c;
    *piDefault = iDef < 0 ? 0 : iDef;
}

BOOL _Locate(WORD wOption, OptionRows* pr) {
    std::memset(pr, 0, sizeof(*pr));
    if (wOption == kEndOption) return FALSE;
    if ((pr->pChoice = _FindFirst(s_aChoice, wOption)) != nullptr) {
        pr->iKind = OPTKIND_CHOICE;
        _CountRows(pr->pChoice, wOption, &pr->cRows, &pr->iDefault, &OPTCHOICE::dwDefault);
        return TRUE;
    }
    if ((pr->pPaper = _FindFirst(s_aPaper.data(), wOption)) != nullptr) {
        pr->iKind = OPTKIND_PAPER;
        _CountRows(pr->pPaper, wOption, &pr->cRows, &pr->iDefault, &OPTPAPER::dwDefault);
        return TRUE;
    }
    if ((pr->pRange = _FindFirst(s_aRange, wOption)) != nullptr) {
        pr->iKind = OPTKIND_RANGE;
        pr->cRows = 1;
        for (const OPTRANGE* p = pr->pRange + 1; p->wOption == wOption; p++) pr->cRows++;
        return TRUE;
    }
    return FALSE;
}

WORD _RowStrId(const OptionRows& r, int i) {
    return r.iKind == OPTKIND_CHOICE ? r.pChoice[i].wStrId : r.pPaper[i].wStrId;
}

LONG _RowValue(const OptionRows& r, int i) {
    return r.iKind == OPTKIND_CHOICE ? (LONG)r.pChoice[i].sValue : (LONG)r.pPaper[i].wCode;
}

int _LoadText(POPTIONDB pdb, WORD wStrId, LPWSTR pszOut, int cch) {
    if (cch <= 0) return 0;
    std::memset(pszOut, 0, sizeof(WCHAR) * (size_t)cch);
    return LoadOptionText(pdb, wStrId, pszOut, cch);
}

}  // namespace

int FindOptionRow(WORD wOption, const void** ppRow) {
    OptionRows r;
    if (!_Locate(wOption, &r)) {
        if (ppRow) *ppRow = nullptr;
        return OPTKIND_NONE;
    }
    if (ppRow) {
        *ppRow = r.iKind == OPTKIND_CHOICE  ? (const void*)r.pChoice
                 : r.iKind == OPTKIND_PAPER ? (const void*)r.pPaper
                                            : (const void*)r.pRange;
    }
    return r.iKind;
}

WORD GetOptionDbDriverVersion() { return s_wDriverVersion; }

DWORD QueryOptionDb(POPTIONDB pdb, WORD wOption, int iCode, PVOID pOut, int iIndex, int iSize) {
    if (!pdb) return 0;
    OptionRows r;
    if (!_Locate(wOption, &r)) return 0;
    BOOL bOutOptional = iCode == OPTQ_COUNT || (iCode >= OPTQ_VALUE && iCode <= OPTQ_STEP);
    if (!pOut && !bOutOptional) return 0;
    BOOL bList = r.iKind == OPTKIND_CHOICE || r.iKind == OPTKIND_PAPER;
    BOOL bPaper = r.iKind == OPTKIND_PAPER;
    BOOL bRange = r.iKind == OPTKIND_RANGE && r.cRows == 1;

    switch (iCode) {
    case OPTQ_COUNT:
        return (DWORD)r.cRows;
    case OPTQ_ALLTEXTS: {
        if (!bList || iSize <= 0) return 0;
        LPWSTR p = (LPWSTR)pOut;
        for (int i = 0; i < r.cRows; i++) _LoadText(pdb, _RowStrId(r, i), p + (size_t)i * iSize, iSize);
        return (DWORD)(r.cRows * iSize);
    }
    case OPTQ_TEXT:
    case OPTQ_DEFTEXT: {
        if (!bList || iSize <= 0) return 0;
        int i = iCode == OPTQ_TEXT ? iIndex : r.iDefault;
        if (i < 0 || i >= r.cRows) return 0;
        return (DWORD)_LoadText(pdb, _RowStrId(r, i), (LPWSTR)pOut, iSize);
    }
    case OPTQ_ALLVALUES:
        if (!bList) return 0;
        for (int i = 0; i < r.cRows; i++) {
            if (iSize == 2) ((SHORT*)pOut)[i] = (SHORT)_RowValue(r, i);
            else ((LONG*)pOut)[i] = _RowValue(r, i);
        }
        return 0;
    case OPTQ_VALUE: {
        if (!bList || iIndex < 0 || iIndex >= r.cRows) return 0;
        LONG v = _RowValue(r, iIndex);
        if (pOut) *(LONG*)pOut = v;
        return (DWORD)v;
    }
    case OPTQ_DEFAULT:
        if (r.iKind == OPTKIND_RANGE) return (DWORD)r.pRange->wDefault;
        return (DWORD)_RowValue(r, r.iDefault);
    case OPTQ_MIN:
        return bRange ? (DWORD)(LONG)r.pRange->sMin : 0;
    case OPTQ_MAX:
        return bRange ? (DWORD)(LONG)r.pRange->sMax : 0;
    case OPTQ_STEP:
        return bRange ? (DWORD)r.pRange->wStep : 0;
    case OPTQ_ALLSIZES:
        if (!bPaper) return 0;
        for (int i = 0; i < r.cRows; i++) {
            ((LONG*)pOut)[2 * i] = r.pPaper[i].lWidth;
            ((LONG*)pOut)[2 * i + 1] = r.pPaper[i].lLength;
        }
        return (DWORD)r.cRows;
    case OPTQ_SIZE:
    case OPTQ_DEFSIZE: {
        if (!bPaper) return 0;
        int i = iCode == OPTQ_SIZE ? iIndex : r.iDefault;
        if (i < 0 || i >= r.cRows) return 0;
        ((LONG*)pOut)[0] = r.pPaper[i].lWidth;
        ((LONG*)pOut)[1] = r.pPaper[i].lLength;
        return (DWORD)i;
    }
    case OPTQ_ALLRECTS:
        if (!bPaper) return 0;
        for (int i = 0; i < r.cRows; i++) ((RECTL*)pOut)[i] = r.pPaper[i].rcPrintable;
        return (DWORD)r.cRows;
    case OPTQ_RECT:
    case OPTQ_DEFRECT: {
        if (!bPaper) return 0;
        int i = iCode == OPTQ_RECT ? iIndex : r.iDefault;
        if (i < 0 || i >= r.cRows) return 0;
        *(RECTL*)pOut = r.pPaper[i].rcPrintable;
        return (DWORD)i;
    }
    default:
        return 0;
    }
}

DWORD GetOptionDefault(POPTIONDB pdb, WORD wOption) {
    return QueryOptionDb(pdb, wOption, OPTQ_DEFAULT, nullptr, 0, 0);
}

namespace {

// Fills the six-word list header and answers the row count, or 0 when the
// option is not a list.
int _BuildListHeader(POPTIONDB pdb, WORD wOption, UIITEMLIST* pHead, SHORT sValue, const OptionRows& r) {
    SHORT sDefault = (SHORT)GetOptionDefault(pdb, wOption);
    int iCur = -1;
    for (int i = 0; i < r.cRows; i++) {
        if ((SHORT)_RowValue(r, i) == sValue) iCur = i;  // the last match wins
    }
    if (iCur < 0) {
        // A value the list does not offer is shown and kept as the default,
        // never shown as one row while another value is written back.
        sValue = sDefault;
        iCur = r.iDefault;
    }
    pHead->sInitial = sValue;
    pHead->sCurIndex = (SHORT)iCur;
    pHead->sCurValue = sValue;
    pHead->sDefault = sDefault;
    pHead->sFlag = 1;
    pHead->sCount = (SHORT)r.cRows;
    return r.cRows;
}

}  // namespace

int BuildChoiceItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue) {
    OptionRows r;
    if (!pdb || !_Locate(wOption, &r) || r.iKind == OPTKIND_RANGE) return 0;
    if (!pItem) return r.cRows;
    UIITEMLIST* pHead = (UIITEMLIST*)pItem;
    _BuildListHeader(pdb, wOption, pHead, sValue, r);
    UIITEMCHOICE* pRows = (UIITEMCHOICE*)(pHead + 1);
    for (int i = 0; i < r.cRows; i++) {
        std::memset(&pRows[i], 0, sizeof(pRows[i]));
        pRows[i].sValue = (SHORT)_RowValue(r, i);
        pRows[i].sIndex = (SHORT)i;
        QueryOptionDb(pdb, wOption, OPTQ_TEXT, pRows[i].szText, i, 64);
        pRows[i].szText[63] = 0;
        pRows[i].sEnabled = 1;
    }
    return r.cRows;
}

int BuildValueListItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue) {
    OptionRows r;
    if (!pdb || !_Locate(wOption, &r) || r.iKind == OPTKIND_RANGE) return 0;
    if (!pItem) return r.cRows;
    UIITEMLIST* pHead = (UIITEMLIST*)pItem;
    _BuildListHeader(pdb, wOption, pHead, sValue, r);
    UIITEMVALUE* pRows = (UIITEMVALUE*)(pHead + 1);
    for (int i = 0; i < r.cRows; i++) {
        pRows[i].sValue = (SHORT)_RowValue(r, i);
        pRows[i].sEnabled = 1;
    }
    return r.cRows;
}

int BuildDefaultItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue) {
    if (!pItem) return 0;
    UIITEMPLAIN* p = (UIITEMPLAIN*)pItem;
    p->sInitial = sValue;
    p->sCurrent = sValue;
    p->sDefault = (SHORT)GetOptionDefault(pdb, wOption);
    p->sFlag = 1;
    return 1;
}

int BuildRangeItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue) {
    if (!pItem) return 0;
    UIITEMRANGE* p = (UIITEMRANGE*)pItem;
    BuildDefaultItem(pdb, wOption, pItem, sValue);
    p->sMin = (SHORT)(LONG)QueryOptionDb(pdb, wOption, OPTQ_MIN, nullptr, 0, 0);
    p->sMax = (SHORT)(LONG)QueryOptionDb(pdb, wOption, OPTQ_MAX, nullptr, 0, 0);
    return 1;
}
