// paramcombo.h: a combo box over the value list of a setting that no
// feature of the rule engine binds (the post-inserter tray of cover
// insertion, the tab paper's size and tab count).
//
// Rules:
//  1. Items the settings disabled are not shown; the others keep list order.
//  2. A current value that is not shown gives way to the list's default,
//     or to the first shown item when the default is not shown either.
//  3. The choice is read back by the text the combo shows.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;
struct UIITEMLIST;

// The value list of a setting by its settings-file key; null when none.
UIITEMLIST* DlgParamList(UISETTINGS* pObj, LPCWSTR pszKey);
// Fills the combo; psValues (cValues entries) receives the values of the
// shown positions. Answers the number shown.
int DlgFillParamCombo(HWND hCombo, UIITEMLIST* pList, SHORT* psValues, int cValues);
// The chosen item becomes the current value. FALSE when nothing is chosen
// or no shown item has that text.
BOOL DlgReadParamCombo(HWND hCombo, UIITEMLIST* pList);
