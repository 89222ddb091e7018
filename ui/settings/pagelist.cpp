// pagelist.cpp: the page-list codec (see pagelist.h).
//
// Texts are 16-bit. Page numbers have at most four digits; a number that
// reads as anything else is refused rather than guessed, because the
// graphics library schedules special pages from these lists.
#include "ui/settings/pagelist.h"

#include <cstring>

namespace {

// The slots named in the settings file, in the order they are written.
const PAGETAG s_aTags[] = {
    {2, 30, 120, 0, u"/C"},  // chapter pages
    {3, 28, 112, 0, u"/P"},  // cover-insertion pages
    {0, 0, 0, 0, u""},
};

// Longest text of one slot: 30 numbers of "-32768" and 29 separators.
constexpr int kSlotTextMax = PAGELIST_MAX * 7 + 1;

bool _bValidSlot(int nSlot) {
    return nSlot >= 1 && nSlot <= PAGELIST_SLOTS;
}

bool _bSeparator(WCHAR ch) {
    return ch == u'-' || ch == u',' || ch == 0;
}

// Reads one token of 1..4 digits at p. Returns its end (the separator) or
// null when the token cannot be read.
LPCWSTR _ReadToken(LPCWSTR p, SHORT* pnValue) {
    int nValue = 0;
    int cch = 0;
    while (!_bSeparator(p[cch])) {
        WCHAR ch = p[cch];
        if (ch < u'0' || ch > u'9' || cch >= PAGELIST_TOKEN_MAX) {
            return nullptr;
        }
        nValue = nValue * 10 + (ch - u'0');
        ++cch;
    }
    if (cch == 0) {
        return nullptr;
    }
    *pnValue = (SHORT)nValue;
    return p + cch;
}

// Appends the decimal text of n at pszOut[*pcch]; false when it does not fit
// before the terminator.
bool _bAppendNumber(LPWSTR pszOut, int cchMax, int* pcch, int n) {
    char ach[12];
    int cch = 0;
    unsigned int u = n < 0 ? 0u - (unsigned int)n : (unsigned int)n;
    do {
        ach[cch++] = (char)('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (n < 0) {
        ach[cch++] = '-';
    }
    if (*pcch + cch >= cchMax) {
        return false;
    }
    while (cch > 0) {
        pszOut[(*pcch)++] = (WCHAR)ach[--cch];
    }
    return true;
}

bool _bAppendChar(LPWSTR pszOut, int cchMax, int* pcch, WCHAR ch) {
    if (*pcch + 1 >= cchMax) {
        return false;
    }
    pszOut[(*pcch)++] = ch;
    return true;
}

int _Length(LPCWSTR psz) {
    int cch = 0;
    while (psz[cch] != 0) {
        ++cch;
    }
    return cch;
}

// Parses one list into a slot. An empty list empties the slot; a list that
// cannot be read leaves it unchanged.
bool _bParseIntoSlot(PAGELISTS* pLists, int nSlot, int nMax, LPCWSTR pszList) {
    if (pszList[0] == 0) {
        ClearPageSlot(pLists, nSlot);
        return true;
    }
    SHORT aNumbers[PAGELIST_MAX];
    int n = ParsePageRanges(pszList, aNumbers, nMax);
    if (n <= 0) {
        return false;
    }
    StorePageSlot(pLists, n, nSlot, aNumbers);
    return true;
}

}  // namespace

const PAGETAG* GetPageTagTable() {
    return s_aTags;
}

int FormatPageList(const SHORT* pNumbers, int nCount, LPWSTR pszText, int cchMax) {
    if (pNumbers == nullptr || pszText == nullptr || cchMax < 1) {
        return 0;
    }
    pszText[0] = 0;
    if (nCount < 1) {
        return 0;
    }
    int cch = 0;
    int i = 0;
    while (i < nCount) {
        int j = i;
        while (j + 1 < nCount && pNumbers[j + 1] - pNumbers[j] == 1) {
            ++j;
        }
        bool bOk = (i == 0 || _bAppendChar(pszText, cchMax, &cch, u',')) &&
                   _bAppendNumber(pszText, cchMax, &cch, pNumbers[i]);
        if (bOk && j > i) {
            bOk = _bAppendChar(pszText, cchMax, &cch, u'-') &&
                  _bAppendNumber(pszText, cchMax, &cch, pNumbers[j]);
        }
        if (!bOk) {
            pszText[0] = 0;
            return 0;
        }
        i = j + 1;
    }
    pszText[cch] = 0;
    return cch + 1;
}

int ParsePageRanges(LPCWSTR pszText, SHORT* pNumbers, int nCapacity) {
    if (pszText == nullptr || pNumbers == nullptr || pszText[0] == 0) {
        return 0;
    }
    int cOut = 0;
    bool bRangeOpen = false;
    SHORT nStart = 0;
    LPCWSTR p = pszText;
    for (;;) {
        SHORT nValue = 0;
        LPCWSTR pEnd = _ReadToken(p, &nValue);
        if (pEnd == nullptr) {
            return 0;
        }
        WCHAR chSep = *pEnd;
        if (bRangeOpen) {
            if (chSep == u'-') {
                return 0;  // "1-3-5" names no range
            }
            int nLow = nStart < nValue ? nStart : nValue;
            int nHigh = nStart < nValue ? nValue : nStart;
            if (nHigh - nLow + 1 > nCapacity - cOut) {
                return -1;
            }
            for (int n = nLow; n <= nHigh; ++n) {
                pNumbers[cOut++] = (SHORT)n;
            }
            bRangeOpen = false;
        } else if (chSep == u'-') {
            nStart = nValue;
            bRangeOpen = true;
        } else {
            if (cOut >= nCapacity) {
                return -1;
            }
            pNumbers[cOut++] = nValue;
        }
        if (chSep == 0) {
            break;
        }
        p = pEnd + 1;
    }
    return cOut;
}

int ParsePageNumbers(LPCWSTR pszText, SHORT* pNumbers, int nCapacity) {
    if (pszText == nullptr || pNumbers == nullptr) {
        return 0;
    }
    int cOut = 0;
    LPCWSTR p = pszText;
    while (*p != 0 && cOut < nCapacity) {
        SHORT nValue = 0;
        LPCWSTR pEnd = _ReadToken(p, &nValue);
        if (pEnd == nullptr || *pEnd == u'-') {
            return 0;
        }
        pNumbers[cOut++] = nValue;
        if (*pEnd == 0) {
            break;
        }
        p = pEnd + 1;
    }
    return cOut;
}

void SortPageNumbers(SHORT* pNumbers, int nCount) {
    if (pNumbers == nullptr) {
        return;
    }
    for (int i = 1; i < nCount; ++i) {
        SHORT n = pNumbers[i];
        int j = i - 1;
        while (j >= 0 && pNumbers[j] > n) {
            pNumbers[j + 1] = pNumbers[j];
            --j;
        }
        pNumbers[j + 1] = n;
    }
}

BOOL StorePageSlot(PAGELISTS* pLists, int nCount, int nSlot, const SHORT* pNumbers) {
    if (pLists == nullptr || !_bValidSlot(nSlot)) {
        return TRUE;
    }
    if (nCount < 0 || (nCount > 0 && pNumbers == nullptr)) {
        return FALSE;
    }
    if (nCount > PAGELIST_MAX) {
        nCount = PAGELIST_MAX;
    }
    SHORT aSorted[PAGELIST_MAX] = {};
    if (nCount > 0) {
        memcpy(aSorted, pNumbers, nCount * sizeof(SHORT));
    }
    SortPageNumbers(aSorted, nCount);
    pLists->acCount[nSlot - 1] = (BYTE)nCount;
    memcpy(pLists->aaPages[nSlot - 1], aSorted, sizeof(aSorted));
    return TRUE;
}

int LoadPageSlot(const PAGELISTS* pLists, int nSlot, int* pcOut, SHORT* pNumbers, int iFirst,
                 int cMax) {
    int cCopied = 0;
    if (pLists != nullptr && pNumbers != nullptr && _bValidSlot(nSlot) && iFirst >= 0) {
        int cSlot = GetPageSlotCount(pLists, nSlot);
        for (int i = iFirst; i < cSlot && cCopied < cMax; ++i) {
            pNumbers[cCopied++] = pLists->aaPages[nSlot - 1][i];
        }
    }
    if (pcOut != nullptr) {
        *pcOut = cCopied;
    }
    return cCopied;
}

int GetPageSlotCount(const PAGELISTS* pLists, int nSlot) {
    if (pLists == nullptr || !_bValidSlot(nSlot)) {
        return 0;
    }
    int n = pLists->acCount[nSlot - 1];
    return n > PAGELIST_MAX ? PAGELIST_MAX : n;
}

void ClearPageSlot(PAGELISTS* pLists, int nSlot) {
    StorePageSlot(pLists, 0, nSlot, nullptr);
}

int GetPageTagsSize() {
    int cb = 0;
    for (const PAGETAG* pTag = s_aTags; pTag->nSlot != 0; ++pTag) {
        cb += 2 * pTag->nMaxChars + 16;
    }
    return cb;
}

BOOL ParseTaggedPageLists(PAGELISTS* pLists, LPWSTR pszText) {
    if (pLists == nullptr || pszText == nullptr) {
        return FALSE;
    }
    constexpr int kRows = sizeof(s_aTags) / sizeof(s_aTags[0]) - 1;
    bool abSeen[kRows] = {};
    bool bAllRead = true;
    for (int i = _Length(pszText) - 1; i >= 0; --i) {
        if (pszText[i] != u'/') {
            continue;
        }
        for (int r = 0; r < kRows; ++r) {
            const PAGETAG& tag = s_aTags[r];
            if (pszText[i + 1] == tag.szTag[1] && tag.szTag[1] != 0) {
                abSeen[r] = true;
                if (!_bParseIntoSlot(pLists, tag.nSlot, tag.nMaxCount, pszText + i + 2)) {
                    bAllRead = false;
                }
                break;
            }
        }
        pszText[i] = 0;
    }
    if (pszText[0] != 0) {
        // A list written without a tag is the chapter list; it counts as
        // that tag's list so that the clean-up below keeps it.
        for (int r = 0; r < kRows; ++r) {
            if (s_aTags[r].nSlot == 2) {
                abSeen[r] = true;
            }
        }
        if (!_bParseIntoSlot(pLists, 2, PAGELIST_MAX, pszText)) {
            bAllRead = false;
        }
    }
    for (int r = 0; r < kRows; ++r) {
        if (!abSeen[r]) {
            ClearPageSlot(pLists, s_aTags[r].nSlot);
        }
    }
    return bAllRead ? TRUE : FALSE;
}

int FormatTaggedPageLists(const PAGELISTS* pLists, LPWSTR pszText, int cchMax) {
    if (pLists == nullptr || pszText == nullptr || cchMax < 1) {
        return 0;
    }
    pszText[0] = 0;
    int cch = 0;
    bool bAllFit = true;
    for (const PAGETAG* pTag = s_aTags; pTag->nSlot != 0; ++pTag) {
        SHORT aNumbers[PAGELIST_MAX];
        int cNumbers = 0;
        LoadPageSlot(pLists, pTag->nSlot, &cNumbers, aNumbers, 0, pTag->nMaxCount);
        if (cNumbers == 0) {
            continue;
        }
        WCHAR szList[kSlotTextMax];
        int cchList = FormatPageList(aNumbers, cNumbers, szList, kSlotTextMax) - 1;
        int cchTag = _Length(pTag->szTag);
        if (cchList <= 0 || cch + cchTag + cchList >= cchMax) {
            bAllFit = false;
            continue;
        }
        memcpy(pszText + cch, pTag->szTag, cchTag * sizeof(WCHAR));
        cch += cchTag;
        memcpy(pszText + cch, szList, cchList * sizeof(WCHAR));
        cch += cchList;
        pszText[cch] = 0;
    }
    return bAllFit ? cch + 1 : 0;
}
