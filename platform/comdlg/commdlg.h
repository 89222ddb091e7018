// commdlg.h: the common dialogs of the platform (COMDLG32): opening and
// saving a file.
//
// Owns: OPENFILENAMEW and its flags, GetOpenFileNameW/GetSaveFileNameW,
// CommDlgExtendedError, and the test support that plays the person in
// front of the dialog (filedlg.cpp).
//
// The machine is headless, so a file dialog is a request recorded as it
// was made and answered by the scripted user: a typed file name (and
// optionally a chosen filter), or Cancel. Everything the dialog itself does
// with a name is real: a relative name is taken from the dialog's folder,
// the default extension is added, OFN_FILEMUSTEXIST, OFN_PATHMUSTEXIST,
// OFN_CREATEPROMPT and OFN_OVERWRITEPROMPT check the file system and ask
// their question through MessageBoxW (a refused name keeps the dialog open
// for the next answer), and the result goes back through the caller's
// buffers with their sizes honoured.
#pragma once

#include "platform/windef.h"

// Flags (OPENFILENAMEW.Flags).
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ENABLETEMPLATEHANDLE 0x00000080
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_NOLONGNAMES 0x00040000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000
#define OFN_ENABLEINCLUDENOTIFY 0x00400000
#define OFN_ENABLESIZING 0x00800000
#define OFN_DONTADDTORECENT 0x02000000
#define OFN_FORCESHOWHIDDEN 0x10000000

// CommDlgExtendedError codes.
#define CDERR_DIALOGFAILURE 0xFFFF
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define CDERR_NOTEMPLATE 0x0003
#define CDERR_NOHINSTANCE 0x0004
#define CDERR_LOADSTRFAILURE 0x0005
#define CDERR_FINDRESFAILURE 0x0006
#define CDERR_LOADRESFAILURE 0x0007
#define CDERR_LOCKRESFAILURE 0x0008
#define CDERR_MEMALLOCFAILURE 0x0009
#define CDERR_MEMLOCKFAILURE 0x000A
#define CDERR_NOHOOK 0x000B
#define FNERR_SUBCLASSFAILURE 0x3001
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

Q730_API_PACK_BEGIN

// (The sizes and offsets given for the records below are those of the
// i386 build; the native build aligns them naturally: Q730_API_PACK_BEGIN,
// platform/windef.h.)
// The request and answer of a file dialog.
//  off size field
//    0    4 lStructSize         4 4 hwndOwner
//    8    4 hInstance          12 4 lpstrFilter
//   16    4 lpstrCustomFilter  20 4 nMaxCustFilter
//   24    4 nFilterIndex       28 4 lpstrFile
//   32    4 nMaxFile           36 4 lpstrFileTitle
//   40    4 nMaxFileTitle      44 4 lpstrInitialDir
//   48    4 lpstrTitle         52 4 Flags
//   56    2 nFileOffset        58 2 nFileExtension
//   60    4 lpstrDefExt        64 4 lCustData
//   68    4 lpfnHook           72 4 lpTemplateName
//   76    4 pvReserved         80 4 dwReserved
//   84    4 FlagsEx
// (The offsets are those of the i386 build; in the native build each
// handle and pointer takes 8 bytes, naturally aligned, and the record 152.)
// Callers of the older system pass
// OPENFILENAME_SIZE_VERSION_400W (up to lpTemplateName: 76 bytes in the
// i386 build, 136 in the native one); both sizes are accepted and only the
// fields inside the given size are read.
struct OPENFILENAMEW {
    DWORD lStructSize;          // sizeof(OPENFILENAMEW) or OPENFILENAME_SIZE_VERSION_400W
    HWND hwndOwner;             // owner window, or null
    HINSTANCE hInstance;        // template module (unused: no templates here)
    LPCWSTR lpstrFilter;        // pairs "text\0pattern[;pattern]\0" ending "\0\0"
    LPWSTR lpstrCustomFilter;   // not kept
    DWORD nMaxCustFilter;       //
    DWORD nFilterIndex;         // 1-based filter shown; chosen one on return
    LPWSTR lpstrFile;           // in: initial name; out: the full path
    DWORD nMaxFile;             // size of lpstrFile in characters
    LPWSTR lpstrFileTitle;      // out: the name without folder, or null
    DWORD nMaxFileTitle;        // its size in characters
    LPCWSTR lpstrInitialDir;    // folder shown first, or null
    LPCWSTR lpstrTitle;         // caption, or null
    DWORD Flags;                // OFN_*; OFN_EXTENSIONDIFFERENT and OFN_READONLY set on return
    WORD nFileOffset;           // out: index of the name in lpstrFile
    WORD nFileExtension;        // out: index after the last dot of the name
    LPCWSTR lpstrDefExt;        // extension added to a name without one, no dot
    LPARAM lCustData;           // for a hook
    LPOFNHOOKPROC lpfnHook;     // not called: no dialog window
    LPCWSTR lpTemplateName;     // not used
    void* pvReserved;           //
    DWORD dwReserved;           //
    DWORD FlagsEx;              //
};
typedef OPENFILENAMEW* LPOPENFILENAMEW;
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEW) == 88);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, nFilterIndex) == 24);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, lpstrFile) == 28);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, lpstrInitialDir) == 44);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, Flags) == 52);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, nFileOffset) == 56);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, nFileExtension) == 58);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, lpstrDefExt) == 60);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, lpTemplateName) == 72);
static_assert(sizeof(void*) != 4 || offsetof(OPENFILENAMEW, FlagsEx) == 84);

Q730_API_PACK_END

// The record up to lpTemplateName: 76 bytes in the i386 build, 136 in the
// native one.
#define OPENFILENAME_SIZE_VERSION_400W ((DWORD)(offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR)))
static_assert(sizeof(void*) != 4 || OPENFILENAME_SIZE_VERSION_400W == 76);
static_assert(sizeof(void*) != 8 || (OPENFILENAME_SIZE_VERSION_400W == 136 && sizeof(OPENFILENAMEW) == 152));

extern "C" {

// Show the open or save dialog. TRUE when the user chose a file: lpstrFile
// holds its full path, nFileOffset/nFileExtension index into it, and
// nFilterIndex the filter in use. FALSE on Cancel (CommDlgExtendedError 0)
// or on a fault (CommDlgExtendedError names it; FNERR_BUFFERTOOSMALL leaves
// the size needed, in characters, in the first WORD of lpstrFile).
BOOL GetOpenFileNameW(LPOPENFILENAMEW lpofn);
BOOL GetSaveFileNameW(LPOPENFILENAMEW lpofn);

// The fault of the last common dialog of this thread; 0 after success or
// Cancel.
DWORD CommDlgExtendedError();

// ---------------------------------------------------------------------------
// Test support: the person in front of the file dialogs.
//
// Answers are taken first in first out, one per name the dialog is given; a
// refused name (missing file, "No" to a question) takes the next answer.
// With no answer left the dialog is cancelled.
//  pszName     in  what the user types: a full path, or a name taken from
//                  the dialog's folder; null means Cancel
//  nFilter     in  1-based filter chosen before typing, 0 keeps the shown one
void PlatFileDlgPushAnswer(LPCWSTR pszName, DWORD nFilter);
void PlatFileDlgPushCancel();

// What a dialog was asked for, recorded when it opens.
struct PLATFILEDLGREQUEST {
    BOOL bSave;                 // GetSaveFileNameW
    HWND hwndOwner;             //
    const WCHAR* pszTitle;      // null when the caller gave none
    const WCHAR* pszFilter;     // the filter pairs, "\0"-separated ("" when none)
    DWORD cchFilter;            // units in pszFilter up to the final double terminator
    DWORD nFilterIndex;         // as passed
    const WCHAR* pszInitialDir; // null when none
    const WCHAR* pszInitialFile;// the caller's lpstrFile text
    const WCHAR* pszDefExt;     // null when none
    DWORD dwFlags;              // as passed
};

// Number of dialogs opened since the last reset, and dialog i of them;
// FALSE for no such dialog. Texts stay valid until the next reset.
int PlatFileDlgCount();
BOOL PlatFileDlgGet(int i, PLATFILEDLGREQUEST* pReq);
// Empties the record and the answers.
void PlatFileDlgReset();

}  // extern "C"
