// features.h: the feature table, the binders and the control-enable
// dependencies of the constraint engine.
//
// Owns: FEATURE (one row per control that edits a setting), the radio value
// and value name tables, the control-enable tables CTRLDEP, DEVOPTDEP and
// VALUEDEP with their evaluation, the binders that point every feature at
// its slot in one UISETTINGS, the page links that reach open pages, and the
// engine's own state block inside the settings object.
//
// Rules:
//   1. The tables are library-wide and point into the settings object bound
//      last (BindFeatureFields); every reader binds first. All callers run on
//      the thread of the property sheet.
//   2. Feature values are 16-bit. An absent id answers FEATURE_ABSENT from
//      GetFeatureValue; bFeatureExists tells an absent id from a value that
//      happens to be 0xFFFF (a density of -1).
//   3. Pages and dialogs reach the engine through their page links; a page
//      that is not open has no link, and whatever the engine would do to its
//      controls is skipped.
#pragma once

#include "platform/windows.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

#define FEATURE_ABSENT ((SHORT)-1)

// Control kinds.
#define FK_LIST 1
#define FK_RADIO 2
#define FK_CHECK 4
#define FK_NUMBER 8
#define FK_SPIN 16
#define FK_BUTTON 32
#define FK_VALUEKINDS (FK_LIST | FK_RADIO | FK_CHECK | FK_NUMBER | FK_SPIN)

// Group flags.
#define FG_RESTORE 4
#define FG_SETUP 8
#define FG_COVER 16
#define FG_OPTIONS 32
#define FG_FINISHING 64
#define FG_IMAGE 128
#define FG_FONT 512

// Pages and dialogs that own features.
#define PAGE_SETUP 100
#define PAGE_COVER 200
#define PAGE_FINISHING 300
#define PAGE_FORM 400
#define PAGE_WATERMARK 500
#define PAGE_IMAGE 600
#define PAGE_FONT 700
#define PAGE_OPTIONS 800
#define DLG_OHP 2020
#define DLG_MARGIN 2300
#define DLG_INSERT 2400
#define DLG_INSERTDEF 2430
#define DLG_TABTEXT 2450

#pragma pack(push, 1)

// FEATURE (32 bytes in the 32-bit build).
struct FEATURE {
    WORD wId;
    WORD wPad;
    DWORD dwLabel;
    void* pValue;
    SHORT sSnapshot;
    WORD wKind;
    WORD wPage;
    WORD wPad2;
    DWORD dwAvailFlag;
    DWORD dwGroups;
    DWORD dwRole;
};
static_assert(sizeof(void*) != 4 || sizeof(FEATURE) == 32);

struct RADIOVALUE {
    WORD wControl;
    SHORT sValue;
};
static_assert(sizeof(RADIOVALUE) == 4);

struct VALUENAME {
    WORD wFeature;
    SHORT sValue;
    WORD wString;
    WORD wZero;
};
static_assert(sizeof(VALUENAME) == 8);

typedef BOOL (*PFNDEPPREDICATE)(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage);

// CTRLDEP (28 bytes in the 32-bit build).
struct CTRLDEP {
    WORD wControl;
    WORD wPage;
    WORD wParent;
    SHORT sParentValue;
    WORD wGroupMode;
    WORD wKind;
    PFNDEPPREDICATE pfnPredicate;
    WORD wLevel;
    WORD wPad;
    DWORD dwUsable;
    DWORD dwState;
};
static_assert(sizeof(void*) != 4 || sizeof(CTRLDEP) == 28);

// DEVOPTDEP (20 bytes).
struct DEVOPTDEP {
    WORD wControl;
    WORD wPad0;
    WORD wRuleFlag;
    WORD wPad1;
    WORD wFeature;
    SHORT sValue;
    WORD wMode;
    WORD wPad2;
    DWORD dwResult;
};
static_assert(sizeof(DEVOPTDEP) == 20);

// VALUEDEP (12 bytes).
struct VALUEDEP {
    WORD wControl;
    WORD wFeature;
    SHORT sValue;
    WORD wPad;
    DWORD dwResult;
};
static_assert(sizeof(VALUEDEP) == 12);

#pragma pack(pop)

// The header of a list or radio value record (FEATUREVALUELIST): word 0
// current, 1 combo position, 2 committed, 3 default, 4 spare, 5 item count,
// then UIITEMCHOICE items of 134 bytes.
typedef UIITEMLIST FVLHEADER;
typedef UIITEMCHOICE FVLITEM;
#define ITEM_ENABLED 1
#define ITEM_DISABLED 4
#define ITEM_HIDDEN ((SHORT)-1)

// Change entry of the change lists and seed entry of a resolution.
struct CHANGE6 {
    WORD wFeature;
    SHORT sOld;
    SHORT sNew;
};
static_assert(sizeof(CHANGE6) == 6);

// The engine's state inside the settings object (after the fax destination
// state of the shared area).
struct CONSTRAINTSTATE {
    WORD wResolveMode;        // 0 change, 2 recall, 3 open
    WORD wActivePageId;       // page or sub-dialog whose controls are live
    FVLHEADER viewRecord;     // 163/164: illustration view, paper or machine
    UIITEMPLAIN devSetting;   // 846: device setting without a settings-file key
    CHANGE6* pPageChanges;
    WORD cPageChanges;
    WORD wPageChangesPage;
    CHANGE6* pChanged;
    WORD cChanged;
    WORD wPad;
    void* pOpenReport;
    DWORD bOpenReportPending;
    DWORD bSheetOrigin;       // 1: the sheet was opened by an application
    DWORD dwComboException;   // read by RefreshPageCombos only; never written
    LONG alCustomSize[2][6];  // 111 and 114: width, length, left, top, right, bottom
    DWORD bRuleIndexFailed;
};

CONSTRAINTSTATE* GetConstraintState(UISETTINGS* pObj);
WORD GetActivePageId(UISETTINGS* pObj);
void SetActivePageId(UISETTINGS* pObj, WORD wPage);
WORD GetResolveMode(UISETTINGS* pObj);
void SetResolveMode(UISETTINGS* pObj, WORD wMode);
// Gives the engine's own records their first values (view radio, device
// setting); run at set-up of every new settings object.
void InitConstraintState(UISETTINGS* pObj);
// Frees what the engine's state holds (change lists, the open report).
void FreeConstraintState(UISETTINGS* pObj);

// ---- Static tables and their counters ----
extern FEATURE g_aFeatures[];
extern const RADIOVALUE g_aRadioValues[];
extern const VALUENAME g_aValueNames[];
extern CTRLDEP g_aCtrlDep[];
extern DEVOPTDEP g_aDevOptDep[];
extern VALUEDEP g_aValueDep[];
extern WORD g_cFeatures, g_cValueNames, g_cRadioValues, g_cCtrlDep, g_cDevOptDep, g_cValueDep;
void CountFeatureTables();
void CountDependencyTables();

// ---- Accessors (on the object bound last) ----
const FEATURE* FindFeature(WORD wId);
BOOL bFeatureExists(WORD wId);
SHORT GetFeatureValue(WORD wId);
void SetFeatureValue(WORD wId, SHORT sValue);
SHORT GetFeatureDefault(WORD wId);
LPCWSTR GetFeatureName(WORD wId);
LPCWSTR GetValueName(WORD wId, SHORT sValue);
int GetFeatureKind(WORD wId);
WORD GetFeaturePage(WORD wId);
void* GetFeatureList(WORD wId);
LONG GetFeatureGroups(WORD wId);
int GetFeatureRole(WORD wId);
DWORD GetFeatureAvailFlag(WORD wId);
SHORT GetRadioValue(WORD wControl);
SHORT GetFeatureSnapshot(UISETTINGS* pObj, WORD wId);
// Item access of a list feature; null / 0 when it has no value list.
FVLHEADER* GetFeatureListHeader(WORD wId);
FVLITEM* GetFeatureItem(WORD wId, int iItem);
int GetFeatureItemCount(WORD wId);
// Index of the item with this code; -1 when none.
int FindFeatureItem(WORD wId, SHORT sCode);
// Reads a combo's selection into the list's current value (through the
// page link); FALSE when there is no page, no selection or no match.
BOOL ReadComboSelection(HWND hwnd, WORD wCombo, FVLHEADER* pList, UISETTINGS* pObj);

// ---- Binders ----
void BindFeatureFields(UISETTINGS* pObj);
// Drops the binding to pObj (null: to any object), so the next bind redoes
// it; run when an object is freed.
void ForgetFeatureBinding(UISETTINGS* pObj);
// First control-enable row of a control; -1 when none.
int FirstDependencyRow(WORD wControl);
// The settings parameter a feature edits; 0 when none (buttons, own slots).
WORD GetFeatureParamId(WORD wId);

// ---- Control-enable dependencies ----
void EvaluateControlDependencies(HWND hwnd, UISETTINGS* pObj);
void EnableDependentControls(HWND hwnd, UISETTINGS* pObj);
void SetDependencyState(WORD wControl, DWORD dwState);
DWORD GetDependencyState(WORD wControl);
DWORD GetDeviceOptionState(WORD wControl);
WORD GetDependencyParent(WORD wControl);
struct DEPSTATEPAIR {
    DWORD dwId;
    DWORD dwState;
};
void SaveDependencyStates(DEPSTATEPAIR** ppCtrl, DEPSTATEPAIR** ppDevOpt, DEPSTATEPAIR** ppValue);
void RestoreDependencyStates(DEPSTATEPAIR* pCtrl, DEPSTATEPAIR* pDevOpt, DEPSTATEPAIR* pValue);
void FreeDependencyStates(DEPSTATEPAIR** ppCtrl, DEPSTATEPAIR** ppDevOpt, DEPSTATEPAIR** ppValue);
BOOL bCoverSourcePredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage);
BOOL bInsertListPredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage);
BOOL bFormPagePredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage);
BOOL bImageOptionOffPredicate(HWND hwnd, UISETTINGS* pObj, WORD wControl, WORD wPage);

// ---- Page links ----
// What an open page or sub-dialog lends the engine. Every member may be
// null. The page registers its link while its window exists.
struct PAGELINK {
    // Refresh procedure (MarkDirty or update control): flags the control.
    int (*pfnRefresh)(HWND hwnd, WORD wFeature, SHORT sValue);
    // Reads a control's state: TRUE and *psValue, or FALSE.
    BOOL (*pfnReadControl)(HWND hwnd, WORD wControl, WORD wKind, SHORT* psValue);
    // Enables or disables one control.
    void (*pfnEnableControl)(HWND hwnd, WORD wControl, BOOL bEnable);
    // Selects the item of a list's value in its combo box.
    void (*pfnSelectCombo)(HWND hwnd, WORD wControl, SHORT sValue);
    // Redraws previews and the insert-sheet list.
    void (*pfnRedraw)(HWND hwnd, WORD wWhat);
};
void RegisterPageLink(WORD wPage, HWND hwnd, const PAGELINK* pLink);
void UnregisterPageLink(WORD wPage);
const PAGELINK* FindPageLink(WORD wPage, HWND* phwnd);
// Routes a changed feature to the refresh procedure of its page: the
// procedure's result, the page id when the page has no refresh route or is
// not open, 0xFFFF for an absent id.
int UpdateFeatureControl(HWND hwnd, WORD wFeature, SHORT sValue);
