// codepage.cpp: the code-page converters and the process's ANSI code page.
//
// Owns: the decode/encode maps of 932 (built once from cp932_table.inc), the
// 1252 and UTF-8 converters, and the shared output sinks that give every
// code page the same size-query and too-small-buffer rules (codepage.h).
//
// Invariants:
//  1. Input is read only inside [0, length); a cut lead byte is never paired
//     with the byte after the input.
//  2. Output is written only inside the caller's count, and only whole
//     characters: a sink refuses a character that does not fit entirely.
#include "platform/kernel/codepage.h"

#include "platform/kernel/kernel.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

std::atomic<UINT> g_acp{932};
std::atomic<UINT> g_oemcp{932};

// The wide character 932 gives bytes that are no character.
const WCHAR kDefaultWide932 = 0x30FB;
// And the one UTF-8 gives.
const WCHAR kReplacement = 0xFFFD;
// Marks a byte sequence with no character in the decode map.
const WCHAR kNoChar = 0xFFFF;

struct CP932ROW {
    WORD wBytes;    // one byte, or lead << 8 | trail
    WORD wUnicode;  // the UTF-16 unit it decodes to
    BYTE bEncode;   // 1: the sequence written for wUnicode
};

const CP932ROW s_aCp932Rows[] = {
#include "platform/kernel/cp932_table.inc"
};

// Decode map indexed by the byte sequence, encode map indexed by the UTF-16
// unit (0: no bytes, except for U+0000 itself).
struct CP932MAPS {
    WCHAR aDecode[0x10000];
    WORD aEncode[0x10000];
};

const CP932MAPS* _pCp932()
{
    static CP932MAPS* s_pMaps = nullptr;
    static std::once_flag s_once;
    std::call_once(s_once, [] {
        CP932MAPS* p = new CP932MAPS;
        for (WCHAR& w : p->aDecode)
            w = kNoChar;
        memset(p->aEncode, 0, sizeof(p->aEncode));
        for (const CP932ROW& r : s_aCp932Rows) {
            p->aDecode[r.wBytes] = r.wUnicode;
            if (r.bEncode)
                p->aEncode[r.wUnicode] = r.wBytes;
        }
        s_pMaps = p;
    });
    return s_pMaps;
}

BOOL _bIsLead932(BYTE b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

BOOL _bIsTrail932(BYTE b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// 1252 differs from Latin-1 only in 0x80..0x9F; the five bytes the code page
// leaves unassigned keep their C1 control character.
const WCHAR s_a1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Bytes of w in 1252, or -1.
int _Encode1252(WCHAR w)
{
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF))
        return w;
    for (int i = 0; i < 32; ++i)
        if (s_a1252High[i] == w)
            return 0x80 + i;
    return -1;
}

// Resolves the code-page aliases; 0 for a code page this platform lacks.
UINT _ResolveCodePage(UINT cp)
{
    switch (cp) {
    case CP_ACP:
    case CP_THREAD_ACP:
        return g_acp.load();
    case CP_OEMCP:
        return g_oemcp.load();
    case 932:
    case 1252:
    case CP_UTF8:
        return cp;
    default:
        return 0;
    }
}

// Collects output units; with a capacity of 0 it only counts.
template <typename T>
struct SINK {
    T* p;          // output, null when counting
    int cap;       // units the output holds
    int n;         // units written or counted
    bool bFull;    // a character did not fit

    // Puts k units as one character; refuses all of them when they do not fit.
    bool Put(const T* a, int k)
    {
        if (bFull)
            return false;
        if (p) {
            if (k > cap - n) {
                bFull = true;
                return false;
            }
            for (int i = 0; i < k; ++i)
                p[n + i] = a[i];
        }
        n += k;
        return true;
    }
};

enum { CONV_OK, CONV_INVALID, CONV_FULL };

// Decodes 932 bytes. Returns CONV_INVALID only when bStrict.
template <typename S>
int _Decode932(const BYTE* s, int len, bool bStrict, S& out)
{
    const CP932MAPS* m = _pCp932();
    int i = 0;
    while (i < len) {
        BYTE b = s[i];
        WCHAR w = kNoChar;
        int used = 1;
        if (_bIsLead932(b)) {
            if (i + 1 < len && _bIsTrail932(s[i + 1])) {
                // A lead and trail pair is one character even when the table
                // has none for it.
                used = 2;
                w = m->aDecode[(b << 8) | s[i + 1]];
            }
            // A lead byte with no proper trail (or cut at the end) stands
            // alone; the byte after it is read again as a character.
        } else {
            w = m->aDecode[b];
        }
        if (w == kNoChar) {
            if (bStrict)
                return CONV_INVALID;
            w = kDefaultWide932;
        }
        if (!out.Put(&w, 1))
            return CONV_FULL;
        i += used;
    }
    return CONV_OK;
}

template <typename S>
int _Decode1252(const BYTE* s, int len, S& out)
{
    for (int i = 0; i < len; ++i) {
        BYTE b = s[i];
        WCHAR w = (b >= 0x80 && b < 0xA0) ? s_a1252High[b - 0x80] : b;
        if (!out.Put(&w, 1))
            return CONV_FULL;
    }
    return CONV_OK;
}

// Decodes UTF-8. A malformed sequence becomes one U+FFFD per maximal part
// that could have begun a character; overlong forms, encoded surrogates and
// values above U+10FFFF are malformed.
template <typename S>
int _DecodeUtf8(const BYTE* s, int len, bool bStrict, S& out)
{
    int i = 0;
    while (i < len) {
        BYTE b = s[i];
        DWORD cp = 0;
        int need = 0;
        BYTE lo = 0x80, hi = 0xBF;  // range of the first continuation byte
        if (b < 0x80) {
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            need = 2;
            if (b == 0xE0)
                lo = 0xA0;
            if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            need = 3;
            if (b == 0xF0)
                lo = 0x90;
            if (b == 0xF4)
                hi = 0x8F;
        } else {
            need = -1;  // never starts a character
        }

        int used = 1;
        bool bad = need < 0;
        for (int k = 0; k < need && !bad; ++k) {
            BYTE c = (i + used < len) ? s[i + used] : 0;
            BYTE cLo = k == 0 ? lo : 0x80, cHi = k == 0 ? hi : 0xBF;
            if (i + used >= len || c < cLo || c > cHi) {
                bad = true;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
            ++used;
        }

        if (bad) {
            if (bStrict)
                return CONV_INVALID;
            WCHAR w = kReplacement;
            if (!out.Put(&w, 1))
                return CONV_FULL;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            WCHAR a[2] = {WCHAR(0xD800 | (cp >> 10)), WCHAR(0xDC00 | (cp & 0x3FF))};
            if (!out.Put(a, 2))
                return CONV_FULL;
        } else {
            WCHAR w = WCHAR(cp);
            if (!out.Put(&w, 1))
                return CONV_FULL;
        }
        i += used;
    }
    return CONV_OK;
}

bool _bIsHigh(WCHAR w)
{
    return w >= 0xD800 && w <= 0xDBFF;
}

bool _bIsLow(WCHAR w)
{
    return w >= 0xDC00 && w <= 0xDFFF;
}

// Encodes into 932 or 1252; characters with no bytes take the default.
template <typename S>
int _EncodeAnsi(UINT cp, const WCHAR* s, int len, const char* pDef, int cbDef, BOOL* pbUsed, S& out)
{
    const CP932MAPS* m = cp == 932 ? _pCp932() : nullptr;
    int i = 0;
    while (i < len) {
        WCHAR w = s[i];
        int used = 1;
        char a[2];
        int k = 0;
        if (_bIsHigh(w) || _bIsLow(w)) {
            // No 8-bit code page holds characters beyond the BMP; a pair
            // is one character and takes one default.
            if (_bIsHigh(w) && i + 1 < len && _bIsLow(s[i + 1]))
                used = 2;
        } else if (m) {
            WORD bytes = m->aEncode[w];
            if (bytes > 0xFF) {
                a[0] = char(bytes >> 8);
                a[1] = char(bytes & 0xFF);
                k = 2;
            } else if (bytes != 0 || w == 0) {
                a[0] = char(bytes);
                k = 1;
            }
        } else {
            int b = _Encode1252(w);
            if (b >= 0) {
                a[0] = char(b);
                k = 1;
            }
        }
        bool ok = k ? out.Put(a, k) : out.Put(pDef, cbDef);
        if (!k)
            *pbUsed = TRUE;
        if (!ok)
            return CONV_FULL;
        i += used;
    }
    return CONV_OK;
}

// Encodes into UTF-8; a lone surrogate becomes U+FFFD, or is an error when
// bStrict.
template <typename S>
int _EncodeUtf8(const WCHAR* s, int len, bool bStrict, S& out)
{
    int i = 0;
    while (i < len) {
        DWORD cp = s[i];
        int used = 1;
        if (_bIsHigh(WCHAR(cp)) && i + 1 < len && _bIsLow(s[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            used = 2;
        } else if (_bIsHigh(WCHAR(cp)) || _bIsLow(WCHAR(cp))) {
            if (bStrict)
                return CONV_INVALID;
            cp = kReplacement;
        }
        char a[4];
        int k;
        if (cp < 0x80) {
            a[0] = char(cp);
            k = 1;
        } else if (cp < 0x800) {
            a[0] = char(0xC0 | (cp >> 6));
            a[1] = char(0x80 | (cp & 0x3F));
            k = 2;
        } else if (cp < 0x10000) {
            a[0] = char(0xE0 | (cp >> 12));
            a[1] = char(0x80 | ((cp >> 6) & 0x3F));
            a[2] = char(0x80 | (cp & 0x3F));
            k = 3;
        } else {
            a[0] = char(0xF0 | (cp >> 18));
            a[1] = char(0x80 | ((cp >> 12) & 0x3F));
            a[2] = char(0x80 | ((cp >> 6) & 0x3F));
            a[3] = char(0x80 | (cp & 0x3F));
            k = 4;
        }
        if (!out.Put(a, k))
            return CONV_FULL;
        i += used;
    }
    return CONV_OK;
}

// Turns a converter's status into the call's result.
int _Finish(int status, int n)
{
    if (status == CONV_FULL) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (status == CONV_INVALID) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return n;
}

}  // namespace

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar)
{
    UINT cp = _ResolveCodePage(CodePage);
    if (!cp || !lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && !lpWideCharStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD dwKnown = MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
    if ((dwFlags & ~dwKnown) || (cp == CP_UTF8 && (dwFlags & ~MB_ERR_INVALID_CHARS)) ||
        ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    int len = cbMultiByte == -1 ? int(strlen(lpMultiByteStr)) + 1 : cbMultiByte;
    const BYTE* s = reinterpret_cast<const BYTE*>(lpMultiByteStr);
    bool bStrict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;

    SINK<WCHAR> out{cchWideChar ? lpWideCharStr : nullptr, cchWideChar, 0, false};
    int status;
    if (cp == 932)
        status = _Decode932(s, len, bStrict, out);
    else if (cp == 1252)
        status = _Decode1252(s, len, out);
    else
        status = _DecodeUtf8(s, len, bStrict, out);
    return _Finish(status, out.n);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        BOOL* lpUsedDefaultChar)
{
    UINT cp = _ResolveCodePage(CodePage);
    if (!cp || !lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && !lpMultiByteStr) ||
        (cp == CP_UTF8 && (lpDefaultChar || lpUsedDefaultChar))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD dwKnown = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR |
                          WC_NO_BEST_FIT_CHARS;
    if (cp == CP_UTF8 ? (dwFlags & ~WC_ERR_INVALID_CHARS) != 0 : (dwFlags & ~dwKnown) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    int len = cchWideChar;
    if (len == -1) {
        len = 0;
        while (lpWideCharStr[len])
            ++len;
        ++len;
    }

    SINK<char> out{cbMultiByte ? lpMultiByteStr : nullptr, cbMultiByte, 0, false};
    int status;
    if (cp == CP_UTF8) {
        status = _EncodeUtf8(lpWideCharStr, len, (dwFlags & WC_ERR_INVALID_CHARS) != 0, out);
    } else {
        // The caller's default may itself be a double-byte character.
        const char* pDef = lpDefaultChar ? lpDefaultChar : "?";
        int cbDef = 1;
        if (cp == 932 && _bIsLead932(BYTE(pDef[0])) && pDef[1])
            cbDef = 2;
        BOOL bUsed = FALSE;
        status = _EncodeAnsi(cp, lpWideCharStr, len, pDef, cbDef, &bUsed, out);
        if (lpUsedDefaultChar)
            *lpUsedDefaultChar = bUsed;
    }
    return _Finish(status, out.n);
}

BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar)
{
    UINT cp = _ResolveCodePage(CodePage);
    if (!cp) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return cp == 932 && _bIsLead932(TestChar);
}

BOOL IsDBCSLeadByte(BYTE TestChar)
{
    return IsDBCSLeadByteEx(CP_ACP, TestChar);
}

UINT GetACP()
{
    return g_acp.load();
}

UINT GetOEMCP()
{
    return g_oemcp.load();
}

BOOL IsValidCodePage(UINT CodePage)
{
    return CodePage == 932 || CodePage == 1252 || CodePage == CP_UTF8;
}

BOOL PlatSetAnsiCodePage(UINT CodePage)
{
    if (!IsValidCodePage(CodePage))
        return FALSE;
    g_acp.store(CodePage);
    g_oemcp.store(CodePage);
    return TRUE;
}
