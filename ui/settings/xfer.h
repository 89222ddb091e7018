// xfer.h: the settings transfer engine.
//
// Owns: the walk that moves every parameter of a settings object to or from
// the parameter section of a settings file, or from a second settings
// object, by the settings-file vocabulary (USETKEYRT rows) instead of code
// per setting; the value text of each key (numbers as "%d", texts as they
// stand, the quoted and multi-line texts of the value-text encoding table);
// the private reader of the file image; and the check of loaded values
// against their ranges and choices. The file as a whole (other sections,
// its name, "pagenumStr") is the settings library's.
//
// Rules:
//   1. A failed key leaves its slot as it was, or holding its default when
//      a read finds no key; the walk goes on with the next key.
//   2. A list without its count key in the file ends at its first missing
//      entry and gets a count equal to the entries read. A list with its
//      count is read whole: an entry the reader refuses or misses takes
//      its default and the next entry follows.
//   3. Nothing is read or written past a buffer or slot: values are cut to
//      the buffer, texts to the slot less one character, and every scan of
//      the file image stops at its end.
//   4. A count read from a file never exceeds what its list can hold.
//   5. Keys of switched-off groups are neither read nor written.
//   6. A text the file cannot carry (one holding a line break) is not
//      written; its key then reads back as missing.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define XFER_READ 1
#define XFER_WRITE 2
#define XFER_COPY 3

#define XFER_CLASS_ALL 0

// Value buffer of one key (bytes).
#define XFER_VALUE_BYTES 2048

// Reads the parameter keys of class wClass (0 all) from the file, then
// checks them. The walk's result (0 when the file cannot be read).
BOOL bReadSettingsFileParams(UISETTINGS* pObj, LPCWSTR pszPath, WORD wClass);
BOOL bReloadSettingsFile(UISETTINGS* pObj, LPCWSTR pszPath);
// Writes the parameter keys of class wClass; TRUE when any key was written.
BOOL bWriteSettingsFileParams(UISETTINGS* pObj, LPCWSTR pszPath, WORD wClass);
BOOL bWriteSettingsFile(UISETTINGS* pObj, LPCWSTR pszPath);
// Copies the parameters of class wClass from pSource, then checks them.
BOOL bCopySettingsParams(UISETTINGS* pTarget, UISETTINGS* pSource, WORD wClass);

// The walk: wMode XFER_READ (pszPath), XFER_WRITE (pszPath) or XFER_COPY
// (pSource). 1 or 0 (see the functions above).
int ParamTransferWalk(UISETTINGS* pObj, LPCWSTR pszPath, UISETTINGS* pSource, WORD wClass, WORD wMode);

// Puts back the default of every parameter of the class whose value lies
// outside its range or choices. 1, or 0 without object, rows or option
// database.
int FixUpLoadedParams(UISETTINGS* pObj, WORD wClass);

// ---- the file image (read mode) ----

// One section entry: a section row at one index of its range.
struct INISECTIONENTRY {
    WCHAR szName[64];  // the section name formatted with the index
    LONG lPos;         // offset of the line after its header; -1 when absent
    WORD wRow;         // USETKEYRT index of the section row
    WORD wIndex;       // the section index
};

struct INIIMAGE {
    BYTE* pBytes;      // 8-bit ANSI text, or UTF-16 units when bWide
    DWORD cbBytes;
    BOOL bWide;        // the file began with the UTF-16 byte-order mark
    WCHAR szPath[260];
    INISECTIONENTRY* pSections;
    DWORD cSections;
    void* pKeyIndex;   // the keys of each section, found once (OpenIniImage's images)
};

// The whole file and its section index (every section row at every index of
// its range, not bounded by counts); null for an empty or unreadable file.
// A file beginning with the UTF-16 byte-order mark is kept as UTF-16 units,
// any other as 8-bit text in the ANSI code page.
INIIMAGE* OpenIniImage(UISETTINGS* pObj, LPCWSTR pszPath);
void CloseIniImage(INIIMAGE** ppImage);
// Offset of the line after "[name]" followed by CR LF (blanks before the
// bracket allowed, names compared exactly); -1 when there is none.
LONG FindIniSectionStart(LPCWSTR pszName, const BYTE* pBytes, DWORD cbBytes);
// The value of key pszKey in the section of row wRow at index wIndex, cut to
// cbOut bytes of output with its terminator; the default (cut alike) when
// the key, section or image is missing. Returns the value's byte count (0
// when the default was used).
int bGetIniImageValue(WORD wRow, WORD wIndex, LPCWSTR pszKey, LPCWSTR pszDefault, LPWSTR pszOut, DWORD cbOut,
                      const INIIMAGE* pImage);

// ---- the value-text encoding ----

// Quoting styles.
#define XFER_QUOTE_BEFORE 2
#define XFER_QUOTE_AFTER 3
#define XFER_QUOTE_BOTH 4

struct XFERENCODING {
    WORD wKeyRow;       // key row id (0 ends the table)
    WORD wReserved;
    DWORD bMultiLine;   // line n is written under the key "%d" of n
    DWORD bTabToBlank;  // TABs become blanks when written
    WORD wQuote;        // XFER_QUOTE_*, any other value: none
    WORD wReserved2;
};
static_assert(sizeof(XFERENCODING) == 16);

// The encoding row of a key row; null when its text is written plain.
const XFERENCODING* FindXferEncoding(WORD wKeyRow);
// Writes pszText under the key as the encoding says (one line per LF; a CR
// before the LF is dropped). The last write's result; stops at a failure.
BOOL WriteEncodedKeyValue(const XFERENCODING* pEnc, LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszText,
                          LPCWSTR pszPath);
// Reads an encoded key from the image into pszOut (cbOut bytes): quotes
// removed, lines of a multi-line key joined by CR LF. The default text when
// the (first) key is missing. FALSE for a null output.
BOOL ReadEncodedKeyValue(const XFERENCODING* pEnc, WORD wRow, WORD wIndex, LPCWSTR pszKey, LPCWSTR pszDefault,
                         LPWSTR pszOut, DWORD cbOut, const INIIMAGE* pImage);
