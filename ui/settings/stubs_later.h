// stubs_later.h: entry points of later steps that the settings object calls.
//
// The fax destination list file and the rule indexes of the constraint
// engine are built by their own steps. Until then these entry points do the
// least their callers need: the fax destination file is neither read nor
// written; no rule index is built. Each keeps the name and arguments its
// owner gives it. The watermark list is in wmlist.h.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/wmlist.h"

struct UISETTINGS;
struct REGTREESET;

void LoadFaxDestinations(POPTIONDB pdb, UISETTINGS* pObj, DEVMODEW* pdm, DWORD dwReserved,
                         HANDLE hPrinter);
BOOL SaveFaxDestinations(UISETTINGS* pObj, DEVMODEW* pdm);

void CountStaticTables();
BOOL BuildRuleIndexes(UISETTINGS* pObj);
void FreeRuleIndexes(UISETTINGS* pObj);
