// formpage.h: the Form page (template 400) and the form files it manages.
//
// Owns: the class of a form file from its first bytes, the language checks
// of a form file against the sheet's page description language, the
// existence and writable-folder probes, the ".xfo" name test, the page's
// list view of registered form files and its refresh bits.
//
// Rules the callers rely on:
//  1. A file that cannot be read, or is empty, is of class FORMCLASS_OTHER.
//  2. The registered list never holds a file that is gone or does not suit
//     the page language once the page has filled its list.
//  3. A form path handed to the job fits the job's form-name field
//     (FORM_JOBPATH_MAX characters); longer paths are refused on the page.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#define FORMCLASS_NATIVE 0
#define FORMCLASS_PCL5E 1
#define FORMCLASS_PCLXL 2
#define FORMCLASS_OTHER 3

// Longest path (characters) the page takes, and the longest the job keeps.
#define FORM_PATH_MAX 258
#define FORM_JOBPATH_MAX 129

// Refresh bits of the page (its mask in the settings object).
#define FORMREF_MODE 0x01
#define FORMREF_PROMPT 0x02
#define FORMREF_ORDER 0x08
#define FORMREF_SETTLING 0x10
#define FORMREF_FORCEMODE 0x20
#define FORMREF_VIEW 0x40
#define FORMREF_ALL 0x80
#define FORMREF_IMAGEPAGE 0x100

// The class of a form file (FORMCLASS_*).
int DetectFormFilePdl(LPCWSTR pszPath);
// TRUE when a file of this class may be used with the object's language:
// language 0 takes only native files, 1..3 both PCL kinds.
BOOL bFormFileSuitsPdl(UISETTINGS* pObj, LPCWSTR pszPath);
// The language check of a chosen file: 0 usable, 1 the other PCL kind,
// 2 not usable.
int CheckFormFilePdl(UISETTINGS* pObj, LPCWSTR pszPath);
// TRUE when the file exists (also when another program holds it locked).
BOOL bFormFileExists(LPCWSTR pszPath);
// TRUE for an empty name and for a name longer than four characters that
// ends in exactly ".xfo".
BOOL bHasFormExtension(LPCWSTR pszName);
// TRUE when a file can be created in the folder of pszPath (the part up to
// and including its last '\').
BOOL bIsFormFolderWritable(LPCWSTR pszPath);
// The row texts of a file: size ("%dKB") and last-write time
// ("%02d/%02d/%02d %d:%02d", local time). FALSE when the file cannot be
// opened or asked.
BOOL GetFormFileRowTexts(LPCWSTR pszPath, LPWSTR pszSize, int cchSize, LPWSTR pszDate, int cchDate);

// The constraint engine's way into the page: control -> refresh bits, then
// a refresh. 0 without a page record.
int FormPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue);
