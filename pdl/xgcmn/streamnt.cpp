// streamnt.cpp: the stream formatter, the raw writer, the output router and
// the text conversions of the page generator.
//
// Facts the code relies on:
//  1. One formatted line is one raw write, so a command never reaches the
//     printer in two pieces that something else could come between.
//  2. The formatter knows no flags, widths or precision; "%04d" is "%0"
//     (a literal 0) followed by "4d". Emitters that need widths format the
//     value first and pass it with "%s".
//  3. The formatter runs without allocating and without the run-time's
//     printf, so a page of thousands of commands costs little.
#include "pdl/xgcmn/xgcmn.h"

#include <cstring>
#include <string>

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "platform/windows.h"

namespace {

// Writes into a bounded buffer and keeps counting past its end.
struct LINEOUT {
    char* pOut;  // buffer
    int cbOut;   // its size, terminator included
    int cch;     // characters produced so far
};

void _Put(LINEOUT* pl, char ch)
{
    if (pl->cch < pl->cbOut - 1) {
        pl->pOut[pl->cch] = ch;
    }
    ++pl->cch;
}

void _PutText(LINEOUT* pl, const char* psz)
{
    while (*psz != 0) {
        _Put(pl, *psz++);
    }
}

// "00" to "99".
struct DECIMALPAIRS {
    char ach[200];
};

constexpr DECIMALPAIRS _MakeDecimalPairs()
{
    DECIMALPAIRS d = {};
    for (int i = 0; i < 100; ++i) {
        d.ach[2 * i] = (char)('0' + i / 10);
        d.ach[2 * i + 1] = (char)('0' + i % 10);
    }
    return d;
}

constexpr DECIMALPAIRS kDecimalPairs = _MakeDecimalPairs();

void _PutUnsigned(LINEOUT* pl, DWORD u)
{
    int nDigits = 1;
    for (DWORD lim = 10; nDigits < 10 && u >= lim; lim *= 10) {
        ++nDigits;
    }
    if (pl->cch + nDigits < pl->cbOut) {
        // Room for all: written in place from the last digit, two at a
        // time (most numbers of a page have three or four digits).
        char* pEnd = pl->pOut + pl->cch + nDigits;
        char* q = pEnd;
        while (u >= 100) {
            q -= 2;
            memcpy(q, kDecimalPairs.ach + 2 * (u % 100), 2);
            u /= 100;
        }
        if (u >= 10) {
            q -= 2;
            memcpy(q, kDecimalPairs.ach + 2 * u, 2);
        } else {
            *--q = (char)('0' + u);
        }
        pl->cch += nDigits;
        return;
    }
    char ach[12];
    int n = 0;
    do {
        ach[n++] = (char)('0' + u % 10);
        u /= 10;
    } while (u != 0);
    while (n > 0) {
        _Put(pl, ach[--n]);
    }
}

void _PutSigned(LINEOUT* pl, LONG l)
{
    DWORD u = (DWORD)l;
    if (l < 0) {
        _Put(pl, '-');
        u = 0u - u;
    }
    _PutUnsigned(pl, u);
}

// Upper-case hexadecimal with at least two digits.
void _PutHex(LINEOUT* pl, DWORD u)
{
    static const char s_achDigits[] = "0123456789ABCDEF";
    char ach[8];
    int n = 0;
    do {
        ach[n++] = s_achDigits[u & 0xF];
        u >>= 4;
    } while (u != 0);
    if (n < 2) {
        ach[n++] = '0';
    }
    while (n > 0) {
        _Put(pl, ach[--n]);
    }
}

// 24.8 fixed point with at most three decimals, trailing zeros dropped.
void _PutFixed(LINEOUT* pl, LONG l)
{
    DWORD u = (DWORD)l;
    if (l < 0) {
        _Put(pl, '-');
        u = 0u - u;
    }
    _PutUnsigned(pl, u >> 8);
    DWORD ulFrac = u & 0xFF;
    if (ulFrac == 0) {
        return;
    }
    DWORD ulThousandths = (((ulFrac * 100000u) >> 8) + 50) / 100;
    _Put(pl, '.');
    DWORD ulDiv = 100;
    while (ulDiv > 0 && ulThousandths != 0) {
        _Put(pl, (char)('0' + ulThousandths / ulDiv));
        ulThousandths %= ulDiv;
        ulDiv /= 10;
    }
}

}  // namespace

int FormatStreamLine(char* pszOut, int cbOut, const char* pszFormat, va_list ap)
{
    LINEOUT line = {pszOut, cbOut, 0};
    if (pszOut == nullptr || cbOut < 1) {
        line.cbOut = 0;
    }
    if (pszFormat == nullptr) {
        if (line.cbOut > 0) {
            pszOut[0] = 0;
        }
        return 0;
    }
    for (const char* p = pszFormat; *p != 0; ++p) {
        if (*p != '%') {
            _Put(&line, *p);
            continue;
        }
        char chConv = *++p;
        if (chConv == 0) {
            break;
        }
        switch (chConv) {
        case 'x':
        case 'X':
            _PutHex(&line, va_arg(ap, unsigned int));
            break;
        case 'b':
            _PutText(&line, va_arg(ap, int) != 0 ? "true" : "false");
            break;
        case 'c':
            _Put(&line, (char)(va_arg(ap, int) & 0xFF));
            break;
        case 'd':
        case 'l':
            _PutSigned(&line, va_arg(ap, int));
            break;
        case 'u':
            _PutUnsigned(&line, va_arg(ap, unsigned int));
            break;
        case 's': {
            const char* psz = va_arg(ap, const char*);
            if (psz != nullptr) {
                _PutText(&line, psz);
            }
            break;
        }
        case 'f':
            _PutFixed(&line, va_arg(ap, int));
            break;
        default:
            _Put(&line, chConv);
            break;
        }
    }
    if (line.cbOut > 0) {
        pszOut[line.cch < line.cbOut ? line.cch : line.cbOut - 1] = 0;
    }
    return line.cch;
}

int PdlPrintf(PDEV* pPDev, const char* pszFormat, ...)
{
    char achLine[PDL_LINE_SIZE];
    va_list ap;
    va_start(ap, pszFormat);
    int cch = FormatStreamLine(achLine, sizeof(achLine), pszFormat, ap);
    va_end(ap);
    if (cch >= PDL_LINE_SIZE) {
        DbgPrint("Assertion failed: %s (%d)\n", "streamnt", __LINE__);
        return -1;
    }
    if (cch <= 0) {
        return 0;
    }
    return WriteStream(pPDev, achLine, (DWORD)cch) ? cch : -1;
}

BOOL WriteStream(PDEV* pPDev, const void* pv, DWORD cb)
{
    if (pPDev == nullptr || (pv == nullptr && cb != 0)) {
        return FALSE;
    }
    if (cb == 0) {
        return TRUE;
    }
    return PdlWriteSpool(pPDev, static_cast<const BYTE*>(pv), cb);
}

BOOL WriteSpoolBuf(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->bDropOutput == 1 || (bIsFaxJob(pPDev) && GetFaxDestCount(pPDev) == 0)) {
        return TRUE;
    }
    if (pWork->bBlankSkip != 0) {
        return AppendPageData(pPDev, pb, cb);
    }
    if (bIsFaxCapture(pPDev) && GetFaxDestCount(pPDev) != 0) {
        AppendCaptureData(pPDev, pb, cb);
        return TRUE;
    }
    if (pWork->bRecording == 1) {
        return AppendSegmentData(pPDev, pb, cb);
    }
    PFN_WRITEJOBDATA pfnWrite = PdevWriteJobData(pPDev);
    if (pfnWrite == nullptr) {
        return FALSE;
    }
    // The record stream takes a 16-bit count; larger writes go on in pieces
    // rather than being cut.
    while (cb > 0) {
        DWORD cbPiece = cb > 0xFFFF ? 0xFFFF : cb;
        if (!pfnWrite(pPDev, pb, cbPiece)) {
            return FALSE;
        }
        pb += cbPiece;
        cb -= cbPiece;
    }
    return TRUE;
}

char* UnicodeToAnsi(char* pszOut, LPCWSTR pwszIn, int cbOut)
{
    if (pszOut == nullptr || cbOut < 1) {
        return pszOut;
    }
    pszOut[0] = 0;
    if (pwszIn == nullptr || pwszIn[0] == 0) {
        return pszOut;
    }
    int cbNeed = WideCharToMultiByte(CP_ACP, 0, pwszIn, -1, nullptr, 0, nullptr, nullptr);
    if (cbNeed <= 0) {
        return pszOut;
    }
    std::string all((size_t)cbNeed, '\0');
    if (WideCharToMultiByte(CP_ACP, 0, pwszIn, -1, all.data(), cbNeed, nullptr, nullptr) <= 0) {
        return pszOut;
    }
    PdlCutAnsi(all.data(), cbOut - 1);
    size_t cb = strlen(all.c_str());
    memcpy(pszOut, all.c_str(), cb);
    pszOut[cb] = 0;
    return pszOut;
}

WCHAR* AnsiToUnicode(WCHAR* pwszOut, const char* pszIn, int cchOut)
{
    if (pwszOut == nullptr || cchOut < 1) {
        return pwszOut;
    }
    pwszOut[0] = 0;
    if (pszIn == nullptr || pszIn[0] == 0) {
        return pwszOut;
    }
    int cchNeed = MultiByteToWideChar(CP_ACP, 0, pszIn, -1, nullptr, 0);
    if (cchNeed <= 0) {
        return pwszOut;
    }
    std::u16string all((size_t)cchNeed, u'\0');
    if (MultiByteToWideChar(CP_ACP, 0, pszIn, -1, all.data(), cchNeed) <= 0) {
        return pwszOut;
    }
    int cch = 0;
    while (cch < cchOut - 1 && all[cch] != 0) {
        pwszOut[cch] = all[cch];
        ++cch;
    }
    // A high surrogate without its partner is no character.
    if (cch > 0 && pwszOut[cch - 1] >= 0xD800 && pwszOut[cch - 1] < 0xDC00) {
        --cch;
    }
    pwszOut[cch] = 0;
    return pwszOut;
}

const char* GetFileNamePart(const char* pszPath)
{
    if (pszPath == nullptr) {
        return "";
    }
    const char* pszName = pszPath;
    for (const char* p = pszPath; *p != 0; ++p) {
        if (*p == '\\' || *p == '/') {
            pszName = p + 1;
        }
    }
    return pszName;
}

void PdlCutAnsi(char* psz, int cbMax)
{
    if (psz == nullptr) {
        return;
    }
    if (cbMax < 0) {
        cbMax = 0;
    }
    int i = 0;
    while (psz[i] != 0) {
        int cbChar = (IsDBCSLeadByte((BYTE)psz[i]) && psz[i + 1] != 0) ? 2 : 1;
        if (i + cbChar > cbMax) {
            break;
        }
        i += cbChar;
    }
    psz[i] = 0;
}

int PjlCleanText(char* psz)
{
    if (psz == nullptr) {
        return 0;
    }
    int iOut = 0;
    for (int i = 0; psz[i] != 0;) {
        BYTE b = (BYTE)psz[i];
        if (IsDBCSLeadByte(b)) {
            BYTE bTrail = (BYTE)psz[i + 1];
            if (bTrail >= 0x40 && bTrail != 0x7F) {
                psz[iOut++] = psz[i];
                psz[iOut++] = psz[i + 1];
                i += 2;
            } else {
                ++i;  // a lead byte without its trail byte is no character
            }
            continue;
        }
        if (b >= 0x20 && b != 0x7F && b != '"') {
            psz[iOut++] = psz[i];
        }
        ++i;
    }
    psz[iOut] = 0;
    return iOut;
}
