// stubs_later.h: entry points of later steps that the settings object calls.
//
// The rule indexes of the constraint
// engine are built by their own step. Until then these entry points do the
// least their callers need:
// no rule index is built. Each keeps the name and arguments its
// owner gives it. The watermark list is in wmlist.h.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/wmlist.h"

struct UISETTINGS;
struct REGTREESET;

// The fax destination list file is in faxdest.h.
#include "ui/settings/faxdest.h"

void CountStaticTables();
BOOL BuildRuleIndexes(UISETTINGS* pObj);
void FreeRuleIndexes(UISETTINGS* pObj);

// Automatic zoom and custom-size margins belong to the paper handling of the
// Setup page, built with the constraint engine; a recall calls them here.
// Until they land they leave the settings as the recall copied them.
void SetCustomSizeMargins(UISETTINGS* pObj, WORD wListId, SHORT sPaperCode);
void RecalcAutoZoom(UISETTINGS* pObj);
