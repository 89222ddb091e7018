// codepage.h: conversion between 8-bit code pages and 16-bit text.
//
// Owns: MultiByteToWideChar / WideCharToMultiByte for the ANSI and OEM code
// pages (932 unless a test or setting changes them), 932, 1252 and UTF-8,
// the lead-byte tests and the process's ANSI code page. The 932 mapping is a
// table generated once into cp932_table.inc (gen_cp932.py); nothing here
// depends on the host's converters.
//
// Rules the callers rely on:
//  1. A length of -1 means the input is NUL-terminated and the result counts
//     the terminator; any other length converts exactly that many units and
//     adds no terminator.
//  2. An output size of 0 asks for the required size and writes nothing.
//  3. An output that is too small receives the whole characters that fit
//     (never half of one, no terminator added), and the call sets
//     ERROR_INSUFFICIENT_BUFFER and returns 0.
//  4. Null input, a zero input length or an output size given with a null
//     buffer sets ERROR_INVALID_PARAMETER and returns 0.
//  5. Bytes that are no character of the code page become its default
//     character (U+30FB in 932, U+FFFD in UTF-8), or fail the call with
//     ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS. A lead byte
//     cut off at the end of the input is such a byte: it is never joined
//     with what lies beyond the input.
//  6. Characters with no bytes in the code page become the default
//     character ("?" unless the caller gives one) and set
//     *lpUsedDefaultChar.
#pragma once

#include "platform/windef.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_SYMBOL 42
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_COMPOSITECHECK 0x00000200
#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080

// Flags a conversion does not accept for its code page.
#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif

// Converts cbMultiByte bytes (-1: up to and including the NUL) of code page
// CodePage into lpWideCharStr, which holds cchWideChar units.
//  CodePage        in   CP_ACP, CP_OEMCP, 932, 1252 or CP_UTF8
//  dwFlags         in   MB_ERR_INVALID_CHARS fails on bytes with no mapping
//  lpMultiByteStr  in   the bytes
//  cbMultiByte     in   their count, or -1
//  lpWideCharStr   out  the units (may be null when cchWideChar is 0)
//  cchWideChar     in   its size in units; 0 asks for the size
// Returns the units written (or needed), 0 on failure with GetLastError set.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);

// Converts cchWideChar units (-1: up to and including the NUL) into code
// page CodePage.
//  lpDefaultChar     in   byte(s) for characters with no mapping (null: "?")
//  lpUsedDefaultChar out  set TRUE when a default was used (may be null;
//                         must be null for CP_UTF8)
// Returns the bytes written (or needed), 0 on failure with GetLastError set.
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        BOOL* lpUsedDefaultChar);

// TRUE when TestChar starts a double-byte character in the ANSI code page.
BOOL IsDBCSLeadByte(BYTE TestChar);
// TRUE when TestChar starts a double-byte character in CodePage.
BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);

// The ANSI and OEM code pages of this process.
UINT GetACP();
UINT GetOEMCP();

// Changes the ANSI (and OEM) code page of this process, for tests and for a
// machine set up for another language. Returns FALSE for a code page this
// platform cannot convert.
BOOL PlatSetAnsiCodePage(UINT CodePage);

// TRUE for a code page this platform converts.
BOOL IsValidCodePage(UINT CodePage);
