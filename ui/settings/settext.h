// settext.h: the display name and the comment of a settings file.
//
// Owns: the quoted form of the two free texts a user types for a saved
// settings file ("*" + text + "*", so blanks at either end survive the
// profile calls), and the comment's one-key-per-line section.
//
//   [QX_SETTING LIBRARY NAME]       name=*<at most 40 characters>*
//   [QX_SETTING LIBRARY COMMENT]    0=*<line 0>*  1=*<line 1>* ...
//                                   commentX=<number of lines>
//
// Rules:
//   1. Every writer flushes the file's kept profile writes first.
//   2. A name longer than 40 characters, or holding a line break, is refused
//      (FALSE, nothing written).
//   3. A comment line ends at LF (the CR before it is not part of the line);
//      a TAB or a lone CR is stored as a blank. The caller's text is not
//      changed.
//   4. The readers never write past their output: a text that does not fit
//      gives the default, itself cut to the output.
#pragma once

#include "platform/windows.h"

#define SETFILE_NAME_CCH 40      // display name, characters
#define SETFILE_COMMENT_CCH 512  // comment, characters

extern const WCHAR g_szSetfileNameSection[];     // "QX_SETTING LIBRARY NAME"
extern const WCHAR g_szSetfileCommentSection[];  // "QX_SETTING LIBRARY COMMENT"

// Writes "*" + pszText + "*" under pszKey of pszSection (rule 2). The
// profile call's result; FALSE for a null argument.
BOOL bWriteSetfileString(LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszText, LPCWSTR pszFile);
// Reads a quoted value into pszOut (at least SETFILE_NAME_CCH + 1
// characters): the text between the asterisks and its length; otherwise
// (missing key, "**", a value not enclosed or too long) pszDefault cut to
// the output, and 0.
int ReadSetfileString(LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszDefault, LPWSTR pszOut, LPCWSTR pszFile);
// Rewrites the comment section from pszComment (lines parted by CR LF) in
// one write, where the section stands. Nonzero on success; a failed write
// leaves the old section as it was.
BOOL bWriteSetfileComment(LPCWSTR pszSection, LPCWSTR pszComment, LPCWSTR pszFile);
// Joins the comment lines with CR LF into pszOut (cbOut bytes): the length,
// or 0 with pszDefault when there is no comment or it does not fit (a
// section without "commentX" leaves pszOut untouched).
int ReadSetfileComment(LPCWSTR pszSection, LPCWSTR pszDefault, LPWSTR pszOut, DWORD cbOut, LPCWSTR pszFile);
