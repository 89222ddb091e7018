// userpaper.h: the custom paper size dialog (template 2200) and the helpers
// of the ten user papers.
//
// A user paper has a name, a width and a length kept in 1/1000 inch, and
// the unit (1 mm, 2 inch) it is shown and typed in. The dialog edits the
// slots of the settings object it is given (the Setup page gives it a copy
// and copies it back after OK), checks every size against the limits of the
// selected paper source, and stores the chosen slot into the document size
// (target 1) or the output size (target 0).
#pragma once

#include "platform/windows.h"

struct UISETTINGS;
struct USERPAPERS;

#define IDD_USERPAPER 2200
#define IDC_UP_SLOT 2201
#define IDC_UP_SLOTLABEL 2202
#define IDC_UP_SIZEGROUP 2203
#define IDC_UP_WIDTH 2204
#define IDC_UP_WIDTHSPIN 2205
#define IDC_UP_WIDTHLABEL 2206
#define IDC_UP_LENGTH 2207
#define IDC_UP_LENGTHSPIN 2208
#define IDC_UP_LENGTHLABEL 2209
#define IDC_UP_LENGTHRANGE 2210
#define IDC_UP_WIDTHRANGE 2211
#define IDC_UP_SOURCE 2212
#define IDC_UP_PICTURE 2213
#define IDC_UP_NAMELABEL 2214
#define IDC_UP_NAME 2215
#define IDC_UP_UNITGROUP 2217
#define IDC_UP_MM 2218
#define IDC_UP_INCH 2219

#define UPUNIT_MM 1
#define UPUNIT_INCH 2

// The slots of a settings object; null when the user-paper group is off.
USERPAPERS* GetUserPapers(UISETTINGS* pObj);

// Slot helpers (n is 0-based). Names are copied bounded: at most 16
// characters and the terminator.
int GetUserPaperName(UISETTINGS* pObj, int n, LPWSTR pszBuffer, int cchBuffer);
BOOL SetUserPaperName(UISETTINGS* pObj, int n, LPCWSTR pszText);
LONG GetUserPaperDimension(UISETTINGS* pObj, int n, LPCWSTR pszKey);
BOOL SetUserPaperDimension(UISETTINGS* pObj, int n, LPCWSTR pszKey, LONG lValue);
SHORT GetUserPaperUnit(UISETTINGS* pObj, int n);
BOOL SetUserPaperUnit(UISETTINGS* pObj, int n, SHORT sUnit);

// Conversions between the stored 1/1000 inch and what the user sees.
DWORD UserPaperLimitToDisplay(int iUnit, DWORD dwMm);
DWORD UserPaperFromDisplay(int iUnit, DWORD dwValue);
DWORD UserPaperToDisplayUnit(int iUnit, DWORD dwValue);
DWORD UserPaperScaleUnit(int iUnit, DWORD dwValue);
int UserPaperEditLimit(int iUnit);
// A decimal number with an optional fraction, in thousandths ("8.5" 8500,
// ".5" 500, "12mm" 12000); 0 for a text of 32 characters without an end.
DWORD ParseThousandths(LPCWSTR pszText);

// The text of a slot (1..10): kind 1 its name, kind 2 the name and the size
// ("%s(%ld x %ldmm)" or "%s(%ld.%03ld x %ld.%03ldinch)"), kind 3 nothing.
BOOL bFormatUserPaperName(UISETTINGS* pObj, int iSlot, LPWSTR pszBuffer, int cchBuffer, int iKind);

// Whether a key typed into the width or length edit is taken: the text
// before the key, its selection and the unit. TRUE takes it.
BOOL bUserPaperKeyAllowed(int iUnit, LPCWSTR pszText, DWORD dwSel, WCHAR ch, int cchLimit);

// The chosen output paper against the limits of the paper source: TRUE
// when it fits or is no user paper. The warning shows the box when not.
BOOL CheckUserPaperFitsSource(UISETTINGS* pObj);
void ShowUserPaperRangeWarning(HWND hwnd, UISETTINGS* pObj);

// Whether this user may write the printer's data (a probe value set and
// deleted again).
BOOL bCanWritePrinterData(HANDLE hPrinter);

INT_PTR CALLBACK UserPaperDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
