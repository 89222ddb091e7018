// stubs_later.cpp: the least that later steps' entry points must do for the
// settings object (see stubs_later.h).
#include "ui/settings/stubs_later.h"

#include <cstring>

#include "ui/settings/paramalloc.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"

void CountStaticTables()
{
}

BOOL BuildRuleIndexes(UISETTINGS* pObj)
{
    return TRUE;
}

void FreeRuleIndexes(UISETTINGS* pObj)
{
}

void SetCustomSizeMargins(UISETTINGS* pObj, WORD wListId, SHORT sPaperCode)
{
    (void)pObj;
    (void)wListId;
    (void)sPaperCode;
}

void RecalcAutoZoom(UISETTINGS* pObj)
{
    (void)pObj;
}
