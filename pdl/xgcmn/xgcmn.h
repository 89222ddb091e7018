// xgcmn.h: the PDL common core: job DEVMODE readers, the stream formatter,
// the raw writer and the output router, text conversions and the debugger
// messages of the page generator.
//
// Owns: FormatStreamLine, PdlPrintf, WriteStream, WriteSpoolBuf, the ANSI
// conversions, GetFileNamePart, the settings accessors (GetJobKind, ...) and
// the PDEV check of the page generator (_bValidatePDEV). The ORDEX commands
// themselves belong to ordexnt/.
//
// Rules the stream relies on:
//  1. Every byte of the job stream leaves through WriteStream, which hands it
//     to the router (WriteSpoolBuf); nothing else writes the stream.
//  2. A formatted line is shorter than 256 bytes. A longer line is reported
//     ("Assertion failed: streamnt (line)") and not written at all: a cut
//     command would run into the next one.
//  3. The formatter never writes past the buffer it is given.
#pragma once

#include <cstdarg>

#include "customnt/xrddigfx/pdev.h"
#include "pdl/xgcmn/pdlwork.h"

#define PDL_LINE_SIZE 256

// Job kinds (job DEVMODE byte 2167).
#define PDL_JOB_FAX 1
#define PDL_JOB_PRINT 2

// ---- job DEVMODE by absolute byte offset --------------------------------

inline BYTE* PdlDevmodeBytes(PDEV* pPDev)
{
    return reinterpret_cast<BYTE*>(pPDev) + PDEV_DEVMODE_OFFSET;
}
inline BYTE DmByte(PDEV* pPDev, int off)
{
    return PdlDevmodeBytes(pPDev)[off];
}
inline SHORT DmShort(PDEV* pPDev, int off)
{
    const BYTE* p = PdlDevmodeBytes(pPDev) + off;
    return (SHORT)(p[0] | (p[1] << 8));
}
inline LONG DmLong(PDEV* pPDev, int off)
{
    const BYTE* p = PdlDevmodeBytes(pPDev) + off;
    return (LONG)((DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24));
}
inline void DmSetShort(PDEV* pPDev, int off, SHORT v)
{
    BYTE* p = PdlDevmodeBytes(pPDev) + off;
    p[0] = (BYTE)(v & 0xFF);
    p[1] = (BYTE)((v >> 8) & 0xFF);
}

// The work area: the PDEV + its ENVEXTRA offset + the size of ENVEXTRA.
inline PDLWORK* PdlWork(PDEV* pPDev)
{
    return reinterpret_cast<PDLWORK*>(reinterpret_cast<BYTE*>(pPDev) + pPDev->wEnvExtraOffset +
                                      PDL_ENVEXTRA_SIZE);
}

// The work area's buffers (slots of the PDEV's side record).
PDEV_REF_AT(PdlCaptureBuf, BYTE*, PREF_CAPTUREBUF, PdlWork(pPDev)->slCaptureBuf)
PDEV_REF_AT(PdlInsertSheets, BYTE*, PREF_INSERTSHEETS, PdlWork(pPDev)->slInsertSheets)

// ---- settings accessors --------------------------------------------------

int GetJobKind(PDEV* pPDev);      // byte 2167: 1 fax, 2 print
BOOL bIsFaxJob(PDEV* pPDev);      // byte 2167 = 1
BOOL bIsFaxCapture(PDEV* pPDev);  // fax job and byte 2170 = 1
int GetFaxDestCount(PDEV* pPDev); // destination count in the work area

// TRUE for a non-null PDEV whose two signatures read "DLXP"; otherwise
// writes "<file> (<line>): _bValidatePDEV failed." to the debugger, sets
// ERROR_INVALID_PARAMETER and returns FALSE.
BOOL _bValidatePDEVAt(const PDEV* pPDev, const char* pszFile, int nLine);
#define _bValidatePDEV(p) _bValidatePDEVAt((p), __FILE__, __LINE__)

// "%s (%d): %s failed.\n" to the debugger, with the file name part only.
void PdlReportFailure(const char* pszFile, int nLine, const char* pszWhat);

// ---- formatter and writers -------------------------------------------------

// Formats one line with the stream's own conversions (%x %X %b %c %d %l %u
// %s %f, any other character stands for itself). Writes at most cbOut - 1
// bytes and a terminator. Returns the length of the whole formatted text,
// which is cbOut or more when it was cut.
int FormatStreamLine(char* pszOut, int cbOut, const char* pszFormat, va_list ap);

// Formats one line and writes it. Returns its length, 0 for an empty line,
// -1 when the line breaks the 256-byte limit or the write fails.
int PdlPrintf(PDEV* pPDev, const char* pszFormat, ...);

// Raw bytes into the stream (through PdlWriteSpool and the router).
// Returns FALSE when the job record stream refused them.
BOOL WriteStream(PDEV* pPDev, const void* pv, DWORD cb);

// The router: drops the bytes, or hands them to the blank-page buffer, the
// fax capture buffer, the recorded-segment store or the job record stream,
// first match wins. Writes larger than 65535 bytes go on in pieces.
BOOL WriteSpoolBuf(PDEV* pPDev, const BYTE* pb, DWORD cb);

// ---- text ---------------------------------------------------------------

// UTF-16 to the ANSI code page into cbOut bytes: at most cbOut - 1 bytes of
// whole characters and a terminator. A null text gives the empty text; a
// size below 1 writes nothing. Returns pszOut.
char* UnicodeToAnsi(char* pszOut, LPCWSTR pwszIn, int cbOut);

// ANSI to UTF-16 into cchOut units, at most cchOut - 1 and a terminator.
WCHAR* AnsiToUnicode(WCHAR* pwszOut, const char* pszIn, int cchOut);

// The part of a path after the last backslash or slash.
const char* GetFileNamePart(const char* pszPath);

// Makes a text safe inside a PJL line and its quoted values: control
// characters (below 0x20 and 0x7F) and double quotes are dropped, in place.
// Double-byte characters are kept whole. Returns the new length.
int PjlCleanText(char* psz);

// Cuts an ANSI text to at most cbMax bytes without splitting a double-byte
// character.
void PdlCutAnsi(char* psz, int cbMax);
