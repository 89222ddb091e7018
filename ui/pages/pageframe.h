// pageframe.h: what every property-sheet page shares.
//
// Owns: the page parameter (how a page finds its settings object), the
// per-page record PAGERECORD and its life in DWLP_USER, the page descriptor
// PAGEDESC through which one dialog procedure (PageFrameDlgProc) serves
// every page, the change cycle (control change -> resolver -> MarkDirty ->
// Refresh -> PSM_CHANGED), the list-filler family (one implementation,
// FillValueListCombo, with a per-control extra rule), the sheet
// notifications with the common apply tail, help, owner-draw dispatch, and
// the opener protocol of sub-dialogs with its clone variant.
//
// The change cycle, in order:
//   WM_COMMAND -> wActivePageId := page
//     -> library menu (2600..2649): bind, apply entry, collect, resolve all
//     -> list control on CBN_SELCHANGE / check or button on any code:
//        ResolveConstraintsOnChange -> UpdateFeatureControl -> PageMarkDirty
//        (bits into the page's refresh mask) -> the page's Refresh (clears
//        each bit it serves)
//     -> NotifySheetChanged, preview redrawn
//
// Rules:
//   1. A window without a PAGERECORD ignores every message that needs one;
//      list fillers and refreshes called for it return at once.
//   2. A refresh bit is cleared when it is served, also for a control the
//      page lacks.
//   3. The settings object belongs to the sheet; a page never frees it.
//   4. A list shows only its enabled items; combo index k is the k-th
//      enabled item, and the page's index array maps it back to a value.
#pragma once

#include "platform/windows.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/uisettings.h"

struct UIITEMLIST;

// ---- The page parameter ----
// The sheet hands every page the address of its record's settings field;
// lParamInit is WM_INITDIALOG's lParam (the page's PROPSHEETPAGEW). Null
// when either is missing.
UISETTINGS* SettingsOfPageParam(LPARAM lParamInit);
// The page parameter for a settings field.
inline LPARAM PageParamOfField(UISETTINGS** ppField)
{
    return (LPARAM)ppField;
}

// ---- Page descriptors ----
// What a page adds to the frame. Every member but the ids may be 0/null.
struct PAGEDESC {
    WORD wPageId;          // 100..800, 1000
    WORD wHelpContext;     // PSN_HELP
    WORD wHiddenButton;    // owner-drawn trigger of the pending report
    WORD wSettingsOffset;  // byte offset of the settings pointer in the record (offsetof)
    DWORD cbRecord;        // record size (at least wSettingsOffset + a pointer)
    DWORD dwInitMask;      // refresh mask at WM_INITDIALOG
    DWORD dwActiveMask;    // refresh mask at PSN_SETACTIVE
    BOOL bHelpTable;       // WM_HELP / WM_CONTEXTMENU open the help table
    BOOL bChangeCycle;     // takes part in the change cycle and apply
    // Page's own steps.
    void (*pfnInit)(HWND hwnd, UISETTINGS* pObj);             // after the record, before the fill
    DWORD (*pfnMapDirty)(HWND hwnd, WORD wControl);          // control -> refresh bits
    void (*pfnRefresh)(HWND hwnd, UISETTINGS* pObj);           // serves the bits of the mask
    void (*pfnApply)(HWND hwnd, UISETTINGS* pObj);             // current -> saved, before the tail
    BOOL (*pfnCommand)(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode); // TRUE: handled
    BOOL (*pfnKillActive)(HWND hwnd, UISETTINGS* pObj);        // TRUE: keep the page
    BOOL (*pfnDrawItem)(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis); // TRUE: drawn
    void (*pfnDestroy)(HWND hwnd, UISETTINGS* pObj);           // before the record is freed
};

// The dialog procedure of a page described by pDesc.
INT_PTR PageFrameDlgProc(const PAGEDESC* pDesc, HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The frame's own description of a page whose procedure is not built: it
// shows the template, keeps the controls that edit settings in step with
// them through the change cycle, and applies.
const PAGEDESC* GetDefaultPageDesc(WORD wPageId);
INT_PTR DefaultPageDlgProc(WORD wPageId, HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// ---- Page records ----
// The record in DWLP_USER (zero-filled movable memory, locked); null when
// the page has none.
void* PageGetRecord(HWND hwnd);
// The settings object of a page (through its descriptor's field).
UISETTINGS* PageGetSettings(HWND hwnd);
// The descriptor of a page window; null when it is no page of the frame.
const PAGEDESC* PageGetDesc(HWND hwnd);

// ---- Change cycle ----
// Maps a control to the page's refresh bits, ORs them into its mask and,
// when the page is the active one, refreshes it (the others catch up at
// their next activation). The value is passed through and not read.
// Answers the bits set; 0 when the page has no record.
int PageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue);
// Runs the page's Refresh (only what the mask asks for).
void PageRefresh(HWND hwnd);
// A user change of control wId: resolve, refresh, tell the sheet.
void PageControlChanged(HWND hwnd, WORD wId);
// The common apply tail, after CommitEditedSettings and the page's own
// copies: CommitRecallOptions, SaveUserProfileOnApply(2) (unless
// bStoreProfile is FALSE: the device sheet's page), bSettingsApplied := 1.
void PageApplyTail(UISETTINGS* pObj, BOOL bStoreProfile = TRUE);
// Tells the sheet that a page applied: CPSFUNC_SET_RESULT with CPSUI_OK.
void PageReportApplied(UISETTINGS* pObj);
// PSM_CHANGED to the sheet.
void NotifySheetChanged(HWND hwnd);
// The commands of the Save/Recall popup (save, recall, organize, detail,
// the library-full notices) and its library entries. A recall takes a
// snapshot of the features first, so that the rules run over everything it
// changed; after a recall pfnAfterRecall shows the page (null: collect the
// changes, resolve all rules, tell the sheet). FALSE for any other id.
BOOL PageLibraryCommand(HWND hwnd, UISETTINGS* pObj, WORD wId, void (*pfnAfterRecall)(HWND, UISETTINGS*));
// The sheet-origin flag from the sheet's title (DetectSheetOrigin).
void DetectSheetOrigin(HWND hwnd, UISETTINGS* pObj);
// ScreenToClient on both corners of a rectangle.
void RectScreenToClient(HWND hwnd, RECT* prc);

// ---- The list-filler family ----
// A per-control rule run for every item after the availability rules; it
// may set *psState to VALUEITEM_DISABLED.
typedef void (*PFNLISTRULE)(HWND hwnd, UISETTINGS* pObj, WORD wControl, int iItem, SHORT* psState);
// How a list shows its items.
#define LISTFILL_PLAIN 0      // CB_INSERTSTRING(-1, text)
#define LISTFILL_OWNERDRAW 1  // CB_ADDSTRING + CB_SETITEMDATA(value code), item height 25
// Refills combo wControl of the page from the value list of feature
// wControl: every item's availability is worked out again, only enabled
// items are shown, pIndex (at least the list's item count) gets the value
// code of each shown item, and the current value falls back to the
// default when it is no longer shown. Answers the combo position chosen
// (POSITION_NONE for none).
WORD FillValueListCombo(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD* pIndex, PFNLISTRULE pfnRule,
                        int iStyle);
// The same for a value list given directly (lists that no feature binds).
WORD FillValueListComboFrom(HWND hwnd, UISETTINGS* pObj, WORD wControl, UIITEMLIST* pList, WORD* pIndex,
                            PFNLISTRULE pfnRule, int iStyle);

// ---- Sub-dialogs ----
// The opener protocol. The caller fills what the dialog may change; the
// frame saves and restores it, forces the dialog's dependency state and
// runs the dialog.
struct SUBDLGOPEN {
    WORD wTemplate;             // the dialog's template id
    DLGPROC pfnDlgProc;         // its procedure
    WORD wPageControl;          // the page control that asked (resolved after OK)
    WORD wDependency;           // a control of the dependency table the dialog owns; 0 none
    BOOL bSelectFirst;          // SelectFirstAvailableItem for wDependency
    BOOL bCollectChanges;       // CollectPageChanges after OK
    BOOL bOnClone;              // the dialog edits a clone of the settings object
    WORD awSaved[8];            // features whose values Cancel puts back
    int cSaved;
};
// Opens the dialog; answers its result (IDOK, IDCANCEL, or -1).
INT_PTR PageOpenSubDialog(HWND hwnd, const SUBDLGOPEN* pOpen);

// ---- Page procedures (the page table's) ----
INT_PTR CALLBACK SetupPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CoverPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishingPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FormPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WatermarkPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ImagePageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FontPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK VersionPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
