// pageservices.cpp: the page and dialog operations the engine calls (see
// pageservices.h).
#include "ui/constraints/pageservices.h"

#include "ui/constraints/features.h"

void IndexTabStoreTexts(UISETTINGS* pObj)
{
}

void IndexTabLoadTexts(UISETTINGS* pObj)
{
}

void IndexTabCopyNames(DWORD dwReserved, UISETTINGS* pObj)
{
}

