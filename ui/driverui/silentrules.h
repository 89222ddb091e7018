// silentrules.h: the rules applied to a DEVMODE handed out without a sheet.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"

struct UISETTINGS;

// The settings object as a document sheet prepares it before its opening
// resolution: user papers, custom-size margins, the insert-sheet set, the
// enable states and the item availability.
void PrepareSheetSettings(UISETTINGS* pObj);

// Settles a merged and validated DEVMODE of this driver as a document sheet
// settles its settings when it opens: every rule runs against the printer's
// installed units (the DEVMODE's own installed-unit fields), silently, and
// what the rules changed is written back and validated again. A DEVMODE the
// rules leave alone is not touched. FALSE when the settings object cannot
// be made or written back; the DEVMODE is then as it came. Without a printer name the DEVMODE's device name
// is taken.
BOOL ApplyRulesToDevmode(POPTIONDB hDb, DEVMODEW* pdm, LPCWSTR pszPrinter, HANDLE hPrinter);
