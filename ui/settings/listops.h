// listops.h: operations on a settings object's per-user lists that the
// settings library and the pages use beside the list objects themselves.
//
// Owns: the entry-block copy of an insert-sheet list, the emptying of the
// registered forms, the copy of the insert-sheet list names between two
// settings objects, the user-paper table and one user-paper slot of a
// printer, the first default TrueType face, and the fax cover sheet's
// image file of a settings object. Every operation does nothing (and
// answers as below) when the list it needs is absent, that is when the
// model does not offer its feature.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;
struct FAXCOVER;
struct REGTREETABLE;

// Copies the 128 insert-sheet entries (0xEE00 bytes) from pSource to
// pDest; the first entry of the target is cleared first. Null does nothing.
void CopyInterSheetBlock(BYTE* pDest, const BYTE* pSource);
// Empties the registered form list: every name up to the first empty one
// cleared, count 0. TRUE (also without a form list); FALSE for null.
BOOL bClearFormFileList(UISETTINGS* pObj);
// Copies the ten insert-sheet list names from pSource's lists into
// pTarget's and re-selects pTarget's current list.
void IndexTabCopyNamesFrom(UISETTINGS* pTarget, UISETTINGS* pSource);
// The first TrueType face of the default font substitutions.
LPCWSTR GetDefaultMinchoFace();

// The working table of the user-paper registry-tree rows, and its release.
void BuildUserPaperTable(REGTREETABLE* pEntry);
void FreeUserPaperTable(REGTREETABLE* pEntry);
// Width and length (1/1000 inch) and name of user-paper slot iSlot (1..10)
// of a printer: the built-in slot, then the printer's stored one. The name
// is cut to cbName / 2 characters with its terminator. FALSE when the
// stored papers cannot be read (the built-in values are in the outputs).
BOOL GetUserPaperSlot(LPCWSTR pszPrinter, int iSlot, LONG* plWidth, LONG* plLength, LPWSTR pszName,
                      DWORD cbName);

// The fax cover record of a settings object; null for null or when the
// model has no fax cover sheet.
FAXCOVER* pGetFaxCover(UISETTINGS* pObj);
// TRUE when the cover sheet names no image or its image file opens.
BOOL bFaxCoverImageOk(UISETTINGS* pObj);
// Copies the cover sheet's image file name into pszOut (cbOut bytes, cut
// with its terminator); FALSE without a record or output.
BOOL GetFaxCoverImageName(UISETTINGS* pObj, LPWSTR pszOut, DWORD cbOut);
