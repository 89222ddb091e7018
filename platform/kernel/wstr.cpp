// wstr.cpp: the lstr* family, the wsprintf formatter and the integer/text
// helpers.
//
// Owns: one formatter shared by the wide and 8-bit forms (a template over the
// unit type) that writes into a bounded output and never past it, and the
// sort keys behind lstrcmpW/lstrcmpiW.
//
// Invariants:
//  1. The formatter writes at most cap-1 units and then a terminator; the
//     count it returns never exceeds cap-1.
//  2. A string argument is read only up to its terminator or the precision,
//     whichever comes first.
#include "platform/kernel/wstr.h"

#include "platform/kernel/codepage.h"
#include "platform/kernel/kernel.h"

#include <limits>
#include <string>

namespace {

// ---- bounded output -----------------------------------------------------

template <typename C>
struct OUTBUF {
    C* p;    // output
    int cap; // units including the terminator (> 0)
    int n;   // units written

    void Put(C c)
    {
        if (n < cap - 1)
            p[n++] = c;
    }
    void Repeat(C c, int k)
    {
        for (int i = 0; i < k && n < cap - 1; ++i)
            p[n++] = c;
    }
    void Terminate() { p[n] = 0; }
};

// ---- the formatter ------------------------------------------------------

// The size prefix of a field. An integer field reads an argument of that
// size: h, l/w, I32 and none read 32 bits (an int, LONG or DWORD; h then
// keeps 16 of them), I (pointer-sized: INT_PTR, SIZE_T, LPARAM) reads what a
// pointer is in this build, I64 and ll 64 bits (LONGLONG, ULONGLONG). A
// string or character field takes h as 8-bit and l/w as wide text.
enum { SIZE_DEFAULT, SIZE_SHORT, SIZE_LONG, SIZE_PTR, SIZE_64 };

struct FIELD {
    bool bLeft;     // "-"
    bool bAlt;      // "#"
    bool bZero;     // "0"
    int nWidth;     // minimum width, 0 for none
    int nPrec;      // precision, -1 for none
    int eSize;      // SIZE_*
};

// Width and precision are capped so that a huge number in a format cannot
// overflow; nothing wider than the output can be shown anyway.
template <typename C>
int _ParseNumber(const C*& f)
{
    int v = 0;
    while (*f >= '0' && *f <= '9') {
        if (v < 100000)
            v = v * 10 + (*f - '0');
        ++f;
    }
    return v;
}

// Writes the already converted text of a field with its padding.
template <typename C>
void _PutPadded(OUTBUF<C>& out, const FIELD& fld, const C* text, int len, C pad)
{
    int fill = fld.nWidth > len ? fld.nWidth - len : 0;
    if (!fld.bLeft)
        out.Repeat(pad, fill);
    for (int i = 0; i < len; ++i)
        out.Put(text[i]);
    if (fld.bLeft)
        out.Repeat(C(' '), fill);
}

// Writes an integer field. uBits holds the argument's bits, zero-extended
// from its size of cBits (16, 32 or 64); a signed type reads them as that
// size's two's complement.
template <typename C>
void _PutNumber(OUTBUF<C>& out, const FIELD& fld, C type, ULONGLONG uBits, int cBits)
{
    if (type == 'p') {
        // A pointer shows all its hex digits: 8 in the 32-bit build, 16 in
        // the 64-bit one.
        FIELD f = fld;
        f.nPrec = int(2 * sizeof(void*));
        f.bAlt = false;
        _PutNumber(out, f, C('X'), uBits, cBits);
        return;
    }
    bool bSigned = type == 'd' || type == 'i';
    bool bNeg = false;
    ULONGLONG mag = uBits;
    if (bSigned && cBits < 64 && (uBits >> (cBits - 1)) & 1) {
        bNeg = true;
        mag = (ULONGLONG(1) << cBits) - uBits;
    } else if (bSigned && cBits == 64 && LONGLONG(uBits) < 0) {
        bNeg = true;
        mag = 0ull - uBits;
    }
    unsigned radix = (type == 'x' || type == 'X') ? 16 : 10;
    const char* digits = type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";

    C body[24];  // 20 decimal digits of 2^64 - 1
    int nb = 0;
    while (mag) {
        body[nb++] = C(digits[mag % radix]);
        mag /= radix;
    }
    int nDigits = nb;
    // A precision of 0, or none, still shows one digit.
    int nMin = fld.nPrec > 1 ? fld.nPrec : 1;
    if (nMin > WSPRINTF_MAX)
        nMin = WSPRINTF_MAX;

    C prefix[2];
    int np = 0;
    if (bNeg)
        prefix[np++] = '-';
    if (fld.bAlt && radix == 16 && uBits != 0) {
        prefix[np++] = '0';
        prefix[np++] = type;
    }
    int nZeros = nMin > nDigits ? nMin - nDigits : 0;
    int len = np + nZeros + nDigits;
    int fill = fld.nWidth > len ? fld.nWidth - len : 0;
    // Zero fill goes between the sign or prefix and the digits.
    if (fld.bZero && !fld.bLeft) {
        nZeros += fill;
        fill = 0;
    }
    if (!fld.bLeft)
        out.Repeat(C(' '), fill);
    for (int i = 0; i < np; ++i)
        out.Put(prefix[i]);
    out.Repeat(C('0'), nZeros);
    while (nb > 0)
        out.Put(body[--nb]);
    if (fld.bLeft)
        out.Repeat(C(' '), fill);
}

// Text of the other unit size, converted through the ANSI code page.
std::u16string _Widen(const char* s, int len)
{
    std::u16string r;
    if (len <= 0)
        return r;
    int n = MultiByteToWideChar(CP_ACP, 0, s, len, nullptr, 0);
    if (n <= 0)
        return r;
    r.resize(n);
    MultiByteToWideChar(CP_ACP, 0, s, len, &r[0], n);
    return r;
}

std::string _Narrow(const WCHAR* s, int len)
{
    std::string r;
    if (len <= 0)
        return r;
    int n = WideCharToMultiByte(CP_ACP, 0, s, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return r;
    r.resize(n);
    WideCharToMultiByte(CP_ACP, 0, s, len, &r[0], n, nullptr, nullptr);
    return r;
}

template <typename T>
int _BoundedLen(const T* s, int nMax)
{
    int n = 0;
    while ((nMax < 0 || n < nMax) && s[n])
        ++n;
    return n;
}

// A string argument of either unit size, shown in the output's unit size.
template <typename C>
void _PutString(OUTBUF<C>& out, const FIELD& fld, const void* arg, bool bWideArg)
{
    static const char kNull[] = "(null)";
    C pad = fld.bZero && !fld.bLeft ? C('0') : C(' ');
    if (!arg) {
        C t[6];
        int len = 6;
        if (fld.nPrec >= 0 && fld.nPrec < len)
            len = fld.nPrec;
        for (int i = 0; i < len; ++i)
            t[i] = C(kNull[i]);
        _PutPadded(out, fld, t, len, pad);
        return;
    }
    if constexpr (sizeof(C) == sizeof(WCHAR)) {
        if (bWideArg) {
            const WCHAR* s = static_cast<const WCHAR*>(arg);
            _PutPadded(out, fld, reinterpret_cast<const C*>(s), _BoundedLen(s, fld.nPrec), pad);
        } else {
            const char* s = static_cast<const char*>(arg);
            // Enough source bytes for the precision: each unit needs at
            // most two bytes.
            int nSrc = _BoundedLen(s, fld.nPrec >= 0 ? fld.nPrec * 2 : -1);
            std::u16string w = _Widen(s, nSrc);
            int len = int(w.size());
            if (fld.nPrec >= 0 && fld.nPrec < len)
                len = fld.nPrec;
            _PutPadded(out, fld, reinterpret_cast<const C*>(w.data()), len, pad);
        }
    } else {
        if (!bWideArg) {
            const char* s = static_cast<const char*>(arg);
            _PutPadded(out, fld, reinterpret_cast<const C*>(s), _BoundedLen(s, fld.nPrec), pad);
        } else {
            const WCHAR* s = static_cast<const WCHAR*>(arg);
            std::string a = _Narrow(s, _BoundedLen(s, fld.nPrec));
            int len = int(a.size());
            if (fld.nPrec >= 0 && fld.nPrec < len) {
                // Never leave half of a double-byte character at the cut.
                int k = 0;
                while (k < fld.nPrec) {
                    int step = IsDBCSLeadByte(BYTE(a[k])) && k + 1 < len ? 2 : 1;
                    if (k + step > fld.nPrec)
                        break;
                    k += step;
                }
                len = k;
            }
            _PutPadded(out, fld, reinterpret_cast<const C*>(a.data()), len, pad);
        }
    }
}

template <typename C>
void _PutChar(OUTBUF<C>& out, const FIELD& fld, unsigned uArg, bool bWideArg)
{
    // A character argument of zero prints nothing, so that the result never
    // holds a terminator inside it.
    if ((bWideArg ? (uArg & 0xFFFF) : (uArg & 0xFF)) == 0)
        return;
    C pad = fld.bZero && !fld.bLeft ? C('0') : C(' ');
    if constexpr (sizeof(C) == sizeof(WCHAR)) {
        C c;
        if (bWideArg) {
            c = C(uArg & 0xFFFF);
        } else {
            char b = char(uArg & 0xFF);
            std::u16string w = _Widen(&b, 1);
            c = w.empty() ? C('?') : C(w[0]);
        }
        _PutPadded(out, fld, &c, 1, pad);
    } else {
        if (!bWideArg) {
            C c = C(uArg & 0xFF);
            _PutPadded(out, fld, &c, 1, pad);
        } else {
            WCHAR w = WCHAR(uArg & 0xFFFF);
            std::string a = _Narrow(&w, 1);
            _PutPadded(out, fld, reinterpret_cast<const C*>(a.data()), int(a.size()), pad);
        }
    }
}

// The formatter behind every wsprintf form: writes into pOut, which holds cap
// units (cap > 0), and returns the units written without the terminator.
template <typename C>
int _FormatV(C* pOut, int cap, const C* f, va_list ap)
{
    OUTBUF<C> out{pOut, cap, 0};
    const bool bWideOut = sizeof(C) == sizeof(WCHAR);
    if (!f) {
        out.Terminate();
        return 0;
    }
    while (*f) {
        if (*f != '%') {
            out.Put(*f++);
            continue;
        }
        ++f;
        FIELD fld{false, false, false, 0, -1, SIZE_DEFAULT};
        for (;; ++f) {
            if (*f == '-')
                fld.bLeft = true;
            else if (*f == '#')
                fld.bAlt = true;
            else if (*f == '0')
                fld.bZero = true;
            else
                break;
        }
        fld.nWidth = _ParseNumber(f);
        if (*f == '.') {
            ++f;
            fld.nPrec = _ParseNumber(f);
        }
        if (*f == 'h') {
            fld.eSize = SIZE_SHORT;
            ++f;
        } else if (*f == 'l' && f[1] == 'l') {
            fld.eSize = SIZE_64;
            f += 2;
        } else if (*f == 'l' || *f == 'w') {
            fld.eSize = SIZE_LONG;
            ++f;
        } else if (*f == 'I' && f[1] == '6' && f[2] == '4') {
            fld.eSize = SIZE_64;
            f += 3;
        } else if (*f == 'I' && f[1] == '3' && f[2] == '2') {
            fld.eSize = SIZE_LONG;
            f += 3;
        } else if (*f == 'I') {
            fld.eSize = SIZE_PTR;
            ++f;
        }
        C type = *f;
        if (!type)
            break;
        ++f;
        switch (type) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'p': {
            // Each argument is read at the size it was passed with: a
            // pointer or pointer-sized integer is 8 bytes in the 64-bit
            // build, and reading it as a DWORD would leave half of it for
            // the next field.
            ULONGLONG v;
            int cBits;
            if (type == 'p') {
                v = ULONG_PTR(va_arg(ap, const void*));
                cBits = int(8 * sizeof(void*));
            } else if (fld.eSize == SIZE_PTR) {
                v = va_arg(ap, ULONG_PTR);
                cBits = int(8 * sizeof(ULONG_PTR));
            } else if (fld.eSize == SIZE_64) {
                v = va_arg(ap, ULONGLONG);
                cBits = 64;
            } else if (fld.eSize == SIZE_SHORT) {
                v = WORD(va_arg(ap, DWORD));
                cBits = 16;
            } else {
                v = va_arg(ap, DWORD);
                cBits = 32;
            }
            _PutNumber(out, fld, type, v, cBits);
            break;
        }
        case 's':
        case 'S': {
            const void* arg = va_arg(ap, const void*);
            // s is the output's own size, S the other one; h and l/w name it.
            bool bWide = (type == 's') == bWideOut;
            if (fld.eSize == SIZE_SHORT)
                bWide = false;
            else if (fld.eSize == SIZE_LONG)
                bWide = true;
            _PutString(out, fld, arg, bWide);
            break;
        }
        case 'c':
        case 'C': {
            unsigned v = va_arg(ap, unsigned);
            bool bWide = (type == 'c') == bWideOut;
            if (fld.eSize == SIZE_SHORT)
                bWide = false;
            else if (fld.eSize == SIZE_LONG)
                bWide = true;
            _PutChar(out, fld, v, bWide);
            break;
        }
        default:
            // "%%" and any character that is no conversion print as they stand.
            out.Put(type);
            break;
        }
    }
    out.Terminate();
    return out.n;
}

// ---- comparison ---------------------------------------------------------

// Upper case of the letters the comparisons fold; other units unchanged.
WCHAR _Fold(WCHAR c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? WCHAR(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return WCHAR(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capital/small on even/odd units, except the
        // dotted/dotless i, kra, the apostrophe n and the block from 0x139 to
        // 0x148 and 0x179 to 0x17E, which pair odd/even.
        if (c == 0x131)
            return 'I';
        if (c == 0x130 || c == 0x138 || c == 0x149 || c == 0x178)
            return c;
        if (c == 0x17F)
            return 'S';
        bool bOddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (bOddCapital)
            return (c & 1) ? c : WCHAR(c - 1);
        return (c & 1) ? WCHAR(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return WCHAR(c - 0x20);
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x3AC && c <= 0x3AF) {
        static const WCHAR s_aTonos[4] = {0x386, 0x388, 0x389, 0x38A};
        return s_aTonos[c - 0x3AC];
    }
    if (c >= 0x430 && c <= 0x44F)
        return WCHAR(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return WCHAR(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return WCHAR(c - 0x20);
    return c;
}

bool _bIsLower(WCHAR c)
{
    return _Fold(c) != c;
}

// Sort weight of one unit: symbols, then digits, then letters and the rest.
DWORD _Weight(WCHAR c)
{
    WCHAR u = _Fold(c);
    DWORD group;
    if (u < 0x80) {
        if (u >= '0' && u <= '9')
            group = 1;
        else if (u >= 'A' && u <= 'Z')
            group = 2;
        else
            group = 0;
    } else {
        group = 3;
    }
    return (group << 16) | u;
}

int _Compare(LPCWSTR a, LPCWSTR b, bool bIgnoreCase)
{
    if (!a || !b)
        return a == b ? 0 : (a ? 1 : -1);
    int i = 0;
    for (;; ++i) {
        WCHAR ca = a[i], cb = b[i];
        if (!ca || !cb) {
            if (ca != cb)
                return ca ? 1 : -1;
            break;
        }
        DWORD wa = _Weight(ca), wb = _Weight(cb);
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (bIgnoreCase)
        return 0;
    // Same letters: the first difference in case decides, lower case first.
    for (int k = 0; k < i; ++k) {
        if (a[k] != b[k]) {
            bool la = _bIsLower(a[k]), lb = _bIsLower(b[k]);
            if (la != lb)
                return la ? -1 : 1;
            return a[k] < b[k] ? -1 : 1;
        }
    }
    return 0;
}

// ---- integers -----------------------------------------------------------

LPWSTR _UlongToText(ULONG v, bool bNeg, LPWSTR str, int radix)
{
    if (!str)
        return nullptr;
    if (radix < 2 || radix > 36) {
        str[0] = 0;
        return str;
    }
    WCHAR tmp[33];
    int n = 0;
    do {
        int d = int(v % ULONG(radix));
        tmp[n++] = WCHAR(d < 10 ? '0' + d : 'a' + d - 10);
        v /= ULONG(radix);
    } while (v);
    int k = 0;
    if (bNeg)
        str[k++] = u'-';
    while (n)
        str[k++] = tmp[--n];
    str[k] = 0;
    return str;
}

bool _bIsSpace(WCHAR c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x3000;
}

}  // namespace

// ---- lstr* --------------------------------------------------------------

int lstrlenW(LPCWSTR lpString)
{
    if (!lpString)
        return 0;
    int n = 0;
    while (lpString[n])
        ++n;
    return n;
}

int lstrlenA(LPCSTR lpString)
{
    if (!lpString)
        return 0;
    int n = 0;
    while (lpString[n])
        ++n;
    return n;
}

LPWSTR lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2)
{
    if (!lpString1 || !lpString2)
        return nullptr;
    int i = 0;
    do {
        lpString1[i] = lpString2[i];
    } while (lpString2[i++]);
    return lpString1;
}

LPWSTR lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength)
{
    if (!lpString1 || !lpString2)
        return nullptr;
    if (iMaxLength <= 0)
        return lpString1;
    int i = 0;
    while (i < iMaxLength - 1 && lpString2[i]) {
        lpString1[i] = lpString2[i];
        ++i;
    }
    lpString1[i] = 0;
    return lpString1;
}

LPWSTR lstrcatW(LPWSTR lpString1, LPCWSTR lpString2)
{
    if (!lpString1 || !lpString2)
        return nullptr;
    lstrcpyW(lpString1 + lstrlenW(lpString1), lpString2);
    return lpString1;
}

int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2)
{
    return _Compare(lpString1, lpString2, false);
}

int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2)
{
    return _Compare(lpString1, lpString2, true);
}

LPWSTR CharUpperW(LPWSTR lpsz)
{
    if (IS_INTRESOURCE(lpsz))
        return reinterpret_cast<LPWSTR>(ULONG_PTR(_Fold(WCHAR(ULONG_PTR(lpsz)))));
    for (LPWSTR p = lpsz; *p; ++p)
        *p = _Fold(*p);
    return lpsz;
}

DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength)
{
    if (!lpsz)
        return 0;
    for (DWORD i = 0; i < cchLength; ++i)
        lpsz[i] = _Fold(lpsz[i]);
    return cchLength;
}

// ---- wsprintf -----------------------------------------------------------

int wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist)
{
    if (!lpOut) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return _FormatV<WCHAR>(lpOut, WSPRINTF_MAX, lpFmt, arglist);
}

int wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...)
{
    va_list ap;
    va_start(ap, lpFmt);
    int n = wvsprintfW(lpOut, lpFmt, ap);
    va_end(ap);
    return n;
}

int wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist)
{
    if (!lpOut) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return _FormatV<char>(lpOut, WSPRINTF_MAX, lpFmt, arglist);
}

int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...)
{
    va_list ap;
    va_start(ap, lpFmt);
    int n = wvsprintfA(lpOut, lpFmt, ap);
    va_end(ap);
    return n;
}

int wvnsprintfW(LPWSTR pszDest, int cchDest, LPCWSTR pszFmt, va_list arglist)
{
    if (!pszDest || cchDest <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return _FormatV<WCHAR>(pszDest, cchDest, pszFmt, arglist);
}

int wnsprintfW(LPWSTR pszDest, int cchDest, LPCWSTR pszFmt, ...)
{
    va_list ap;
    va_start(ap, pszFmt);
    int n = wvnsprintfW(pszDest, cchDest, pszFmt, ap);
    va_end(ap);
    return n;
}

// ---- integers -----------------------------------------------------------

LPWSTR _ltow(LONG value, LPWSTR str, int radix)
{
    if (radix == 10 && value < 0)
        return _UlongToText(0u - ULONG(value), true, str, radix);
    return _UlongToText(ULONG(value), false, str, radix);
}

LPWSTR _itow(int value, LPWSTR str, int radix)
{
    return _ltow(LONG(value), str, radix);
}

LPWSTR _ultow(ULONG value, LPWSTR str, int radix)
{
    return _UlongToText(value, false, str, radix);
}

LONG _wtol(LPCWSTR str)
{
    if (!str)
        return 0;
    while (_bIsSpace(*str))
        ++str;
    bool bNeg = false;
    if (*str == '+' || *str == '-')
        bNeg = *str++ == '-';
    long long v = 0;
    while (*str >= '0' && *str <= '9') {
        if (v <= 0x80000000LL)
            v = v * 10 + (*str - '0');
        ++str;
    }
    if (bNeg)
        v = -v;
    // The bounds of the 32-bit LONG, not of the host's long (64 bits on
    // Linux x86-64): both builds saturate at the same values.
    const long long kMax = std::numeric_limits<LONG>::max();
    const long long kMin = std::numeric_limits<LONG>::min();
    if (v > kMax)
        return LONG(kMax);
    if (v < kMin)
        return LONG(kMin);
    return LONG(v);
}

int _wtoi(LPCWSTR str)
{
    return int(_wtol(str));
}
