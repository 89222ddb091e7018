// sheet_fixture.h: small pages for the property-sheet tests. Each page
// writes what it hears into one journal ("A:init", "B:setactive", ...)
// and answers as its PAGECONF says.
#pragma once

#include "platform/windows.h"

#include <string>
#include <vector>

struct PAGECONF {
    const char* name = "";           // "A", "B", ...
    BOOL bVetoKill = FALSE;          // PSN_KILLACTIVE answers TRUE (stay)
    LRESULT applyResult = 0;         // PSN_APPLY answer
    BOOL bVetoCancel = FALSE;        // PSN_QUERYCANCEL answers TRUE
    HANDLE hHost = nullptr;          // when set: PSN_APPLY calls CPSFUNC_SET_RESULT
    PFNCOMPROPSHEET pfnHost = nullptr;
    HWND hwnd = nullptr;             // the page once created
    LPARAM lParamSeen = 0;           // PROPSHEETPAGEW.lParam as WM_INITDIALOG saw it
    DWORD cbSeen = 0;                // its dwSize
};

inline PAGECONF Conf(const char* name, BOOL bVetoKill = FALSE, LRESULT applyResult = 0, BOOL bVetoCancel = FALSE)
{
    PAGECONF c;
    c.name = name;
    c.bVetoKill = bVetoKill;
    c.applyResult = applyResult;
    c.bVetoCancel = bVetoCancel;
    return c;
}

std::vector<std::string>& Journal();
std::string JournalText();  // "A:init A:setactive ..."

// An in-memory page template (size in dialog units, caption).
const DLGTEMPLATE* PageTemplate();

// A page for conf (lParam = &conf), PSP_HASHELP when bHelp.
HPROPSHEETPAGE MakePage(PAGECONF* conf, BOOL bHelp = FALSE);

// A modeless sheet over the pages; null when it could not be made.
HWND OpenModelessSheet(std::vector<PAGECONF*> confs, DWORD dwExtraFlags = 0);

// What a person does: click the tab, press a button of the sheet.
void ClickTab(HWND hSheet, int i);
void ClickButton(HWND hSheet, int id);

// A page template with real controls: a label, a check box, an edit with
// an up-down, a track bar and a report list view (ids 10..15).
const DLGTEMPLATE* RichPageTemplate();
