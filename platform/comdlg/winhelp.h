// winhelp.h: the help viewers of the platform: WinHelpW (the old help
// files) and HtmlHelpW (compiled HTML help, exported by hhctrl.ocx).
//
// Owns: the HELP_ and HH_ commands, both calls, and their record
// (platform/user/help.cpp, in USER32, whose WinHelpW the driver binds, and
// which hhctrl.ocx's HtmlHelpW reaches). The machine shows no help window:
// each call is recorded with its window, file, command and data, and the
// help it would show is printed on the standard output, one line: the file,
// and the topic (of the control, for F1 and the context menu), so a person
// who presses Help or F1 sees what the help would be.

#pragma once

#include "platform/windef.h"

// WinHelpW commands.
#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_INDEX 0x0003
#define HELP_CONTENTS 0x0003
#define HELP_HELPONHELP 0x0004
#define HELP_SETINDEX 0x0005
#define HELP_SETCONTENTS 0x0005
#define HELP_CONTEXTPOPUP 0x0008
#define HELP_FORCEFILE 0x0009
#define HELP_KEY 0x0101
#define HELP_COMMAND 0x0102
#define HELP_PARTIALKEY 0x0105
#define HELP_MULTIKEY 0x0201
#define HELP_SETWINPOS 0x0203
#define HELP_CONTEXTMENU 0x000a
#define HELP_FINDER 0x000b
#define HELP_WM_HELP 0x000c
#define HELP_SETPOPUP_POS 0x000d
#define HELP_TCARD 0x8000

// HtmlHelpW commands.
#define HH_DISPLAY_TOPIC 0x0000
#define HH_DISPLAY_TOC 0x0001
#define HH_DISPLAY_INDEX 0x0002
#define HH_DISPLAY_SEARCH 0x0003
#define HH_HELP_CONTEXT 0x000F
#define HH_TP_HELP_CONTEXTMENU 0x0010
#define HH_TP_HELP_WM_HELP 0x0011
#define HH_CLOSE_ALL 0x0012

extern "C" {

// Opens help file lpszHelp (in) with command uCommand and its data.
// TRUE when the request was taken; FALSE (ERROR_INVALID_PARAMETER) without
// a file for a command that needs one. HELP_WM_HELP and HELP_CONTEXTMENU
// take dwData as the address of (control id, context id) pairs ending in a
// zero id; the pairs are recorded with the call.
BOOL WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

// Opens compiled help file pszFile (in) with uCommand. The viewer has no
// window of its own on this machine, so a request for an existing file
// answers the caller's window; a missing file, like an unknown command,
// answers null.
HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData);

// Test support: the calls since the last reset.
struct PLATHELPCALL {
    BOOL bHtml;              // HtmlHelpW rather than WinHelpW
    HWND hwnd;               //
    const WCHAR* pszFile;    // "" when none was given
    UINT uCommand;           //
    ULONG_PTR dwData;        // as passed
    const DWORD* pPairs;     // the recorded (id, context) pairs, or null
    DWORD cPairs;            // their number
};
int PlatHelpCount();
// Call i (0 = the first since the reset); FALSE when there is none. The
// texts and pairs stay valid until the next reset.
BOOL PlatHelpGet(int i, PLATHELPCALL* pCall);
void PlatHelpReset();

}  // extern "C"
