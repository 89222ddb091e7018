// engineentry.h: what the settings object calls of the constraint engine.
//
// The row counters and the rule indexes belong to the constraint engine
// (ui/constraints/ruleindex.cpp); the settings object builds the indexes at
// creation and frees them with itself. The watermark list is in wmlist.h.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/wmlist.h"

struct UISETTINGS;
struct REGTREESET;

// The fax destination list file is in faxdest.h.
#include "ui/settings/faxdest.h"

// Counts every static table of the engine; builds the object's rule index
// (FALSE when it cannot be allocated: the object must not be used); frees it.
void CountStaticTables();
BOOL BuildRuleIndexes(UISETTINGS* pObj);
void FreeRuleIndexes(UISETTINGS* pObj);

// Automatic zoom and custom-size margins belong to the paper handling of the
// Setup page (ui/constraints/resolver.h); a recall calls them after copying.
void SetCustomSizeMargins(UISETTINGS* pObj, WORD wListId, SHORT sPaperCode);
void RecalcAutoZoom(UISETTINGS* pObj);
