// fontpage.h: the Font page (template 700): printer fonts printed in place
// of TrueType fonts, family by family. The page edits a working copy in its
// list box; the user's substitution list changes only at apply (and its
// remembered row on every selection).
#pragma once

#include "platform/windows.h"
#include "ui/settings/uisettings.h"

struct FONTSUBLIST;

// Sources of the substitution list's rows.
#define FONTSUBST_DEFAULTS 0
#define FONTSUBST_USER 1

// Refills list box 705 of the page: one row "face<TAB>printer font" per
// TrueType family of the screen (vertical "@" faces left out), the printer
// font taken from the user's pairs or the default table (or the
// no-substitution text). Row 0 is selected.
void FillFontSubstList(HWND hwnd, UISETTINGS* pObj, int iSource);
// Writes the rows of list box 705 that name a printer font into pList, in
// row order, followed by the pairs of the list the rows were filled from
// (the user's, or the default table after restore defaults) whose family
// has no row: families not installed here keep their printer font. The
// list holds 500 pairs: pairs beyond them are not stored. Answers the
// number of pairs stored.
int StoreFontSubstList(HWND hwnd, FONTSUBLIST* pList);
