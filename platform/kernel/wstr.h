// wstr.h: 16-bit and 8-bit text helpers of the platform kernel.
//
// Owns: the lstr* family, upper-casing, wsprintf/wvsprintf (wide and 8-bit), the bounded
// wnsprintfW/wvnsprintfW, and the integer <-> text helpers _ltow, _itow,
// _ultow, _wtoi and _wtol. Code-page conversion lives in codepage.h.
//
// Rules the callers rely on:
//  1. wsprintf never writes more than 1024 units, terminator included; longer
//     output is cut and still terminated. The result is the count of units
//     written without the terminator.
//  2. lstrcpyn copies at most n-1 units and always terminates when n > 0.
//  3. Null pointers never crash: lstrlen gives 0, copies and joins give
//     null, comparisons order a null string before any other.
#pragma once

#include "platform/windef.h"

#include <cstdarg>

// The most wsprintf writes, terminator included.
#define WSPRINTF_MAX 1024

// Length in units without the terminator; 0 for null.
int lstrlenW(LPCWSTR lpString);
int lstrlenA(LPCSTR lpString);

// Copies lpString2 (in) into lpString1 (out); returns lpString1, or null when
// either is null.
LPWSTR lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);

// Copies at most iMaxLength-1 units of lpString2 (in) into lpString1 (out)
// and terminates it; iMaxLength counts the terminator. iMaxLength <= 0
// writes nothing. Returns lpString1, or null when either pointer is null.
LPWSTR lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);

// Appends lpString2 (in) to lpString1 (in/out); returns lpString1, or null.
LPWSTR lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);

// Compares two strings the way the user's locale sorts them; the result is
// -1, 0 or 1. Letters sort alphabetically without regard to case; only
// strings that are otherwise equal are ordered by case, lower case first.
// Symbols sort before digits, digits before letters. lstrcmpiW ignores case
// altogether (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and
// full-width letters).
int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);

// Upper case in place: CharUpperW takes a string, or one character in the
// low word of a pointer value below 0x10000 and returns it upper-cased the
// same way; CharUpperBuffW takes cchLength units and returns that count.
// Letters as lstrcmpiW folds them.
LPWSTR CharUpperW(LPWSTR lpsz);
DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength);

// Formats into lpOut (out, room for 1024 units). A field is
// %[-][#][0][width][.precision][size]type with the types d i u x X p s c
// and %%: "-" aligns left, "0" fills with zeros, "#" puts 0x/0X before a
// non-zero hex value; the precision is the least count of digits (at least
// one), or the most characters of a string. %s of a null pointer prints
// "(null)"; a character argument of zero prints nothing. The size of an
// integer argument: none, l, w or I32 a 32-bit int/LONG/DWORD (whatever
// the host's long is); h the same, shown as 16 bits; I a pointer-sized one
// (INT_PTR, UINT_PTR, SIZE_T, LPARAM: 32 bits in the i386 build, 64 in the
// native one); I64 or ll a 64-bit LONGLONG/ULONGLONG. %p takes a pointer
// and prints all its digits in upper-case hex: 8 in the i386 build, 16 in
// the native one. In the wide form %s and %c take wide text and
// %hs/%S, %hc/%C 8-bit text in the ANSI code page; the 8-bit form the other
// way round; %ls/%ws/%lc are always wide. A "%" before any other character
// prints that character. Returns the units written without the terminator.
int wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...);
int wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist);
int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);
int wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);

// The same formats into a buffer of cchDest units (terminator included):
// output that does not fit is cut and still terminated. Returns the units
// written without the terminator; -1 for a null buffer or cchDest <= 0.
int wnsprintfW(LPWSTR pszDest, int cchDest, LPCWSTR pszFmt, ...);
int wvnsprintfW(LPWSTR pszDest, int cchDest, LPCWSTR pszFmt, va_list arglist);

// Integer to text in radix 2..36, lower-case digits. The signed forms write
// a "-" only in radix 10; other radixes show the 32-bit two's-complement
// value. The buffer must hold 33 units (radix 2). A bad radix gives an empty
// string. Return str (null for a null str).
LPWSTR _ltow(LONG value, LPWSTR str, int radix);
LPWSTR _itow(int value, LPWSTR str, int radix);
LPWSTR _ultow(ULONG value, LPWSTR str, int radix);

// Text to integer, radix 10: leading white space, an optional sign, then
// digits up to the first non-digit. 0 for null or no digits; a value out of
// range gives the nearest of INT_MIN / INT_MAX.
int _wtoi(LPCWSTR str);
LONG _wtol(LPCWSTR str);
