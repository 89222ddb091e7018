// pageservices.cpp: the page and dialog operations the engine calls (see
// pageservices.h).
#include "ui/constraints/pageservices.h"

#include "ui/constraints/features.h"

void ClampCopies(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    const FEATURE* f = FindFeature(103);
    if (!f || !f->pValue)
        return;
    const UIITEMRANGE* r = (const UIITEMRANGE*)f->pValue;
    SHORT s = r->sInitial;
    if (r->sMax > r->sMin) {
        if (s < r->sMin)
            s = r->sMin;
        if (s > r->sMax)
            s = r->sMax;
    }
    if (s != r->sInitial) {
        SetFeatureValue(103, s);
        if (GetActivePageId(pObj) == PAGE_SETUP)
            UpdateFeatureControl(hwnd, 103, s);
    }
}

void IndexTabStoreTexts(UISETTINGS* pObj)
{
}

void IndexTabLoadTexts(UISETTINGS* pObj)
{
}

void IndexTabCopyNames(DWORD dwReserved, UISETTINGS* pObj)
{
}

