// paramcombo.cpp: combos over settings' value lists. See paramcombo.h.
#include "ui/dialogs/paramcombo.h"

#include "ui/dialogs/preview.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

UIITEMLIST* DlgParamList(UISETTINGS* pObj, LPCWSTR pszKey)
{
    WORD w = pObj ? GetParamIdOfKey(pszKey) : 0;
    return w ? (UIITEMLIST*)GetParamSlot(pObj, w) : nullptr;
}

int DlgFillParamCombo(HWND hCombo, UIITEMLIST* pList, SHORT* psValues, int cValues)
{
    SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    if (!pList)
        return 0;
    UIITEMCHOICE* it = (UIITEMCHOICE*)(pList + 1);
    int cShown = 0, iSel = -1, iDefault = -1;
    SHORT sFirst = pList->sDefault;
    for (int i = 0; i < pList->sCount; ++i) {
        if (it[i].sEnabled == VALUEITEM_DISABLED)
            continue;
        if (cShown < cValues)
            psValues[cShown] = it[i].sValue;
        if (cShown == 0)
            sFirst = it[i].sValue;
        SendMessageW(hCombo, CB_ADDSTRING, 0, (LPARAM)it[i].szText);
        if (it[i].sValue == pList->sInitial)
            iSel = cShown;
        if (it[i].sValue == pList->sDefault)
            iDefault = cShown;
        ++cShown;
    }
    if (iSel < 0 && cShown > 0) {
        iSel = iDefault >= 0 ? iDefault : 0;
        pList->sInitial = iDefault >= 0 ? pList->sDefault : sFirst;
    }
    if (iSel >= 0)
        pList->sCurIndex = (SHORT)iSel;
    SendMessageW(hCombo, CB_SETCURSEL, iSel < 0 ? (WPARAM)-1 : (WPARAM)iSel, 0);
    return cShown;
}

BOOL DlgReadParamCombo(HWND hCombo, UIITEMLIST* pList)
{
    WORD i = FindComboSelectionInList(hCombo, pList);
    if (i == POSITION_NONE)
        return FALSE;
    pList->sInitial = GetValueListItem(pList, i)->sValue;
    pList->sCurIndex = (SHORT)SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    return TRUE;
}
