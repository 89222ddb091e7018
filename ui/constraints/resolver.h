// resolver.h: the constraint resolver, its forcing and availability rules,
// the notices it shows, the commit of edited settings and the automatic zoom.
//
// Owns: RESOLVEREQ and RESOLVERESULT, the three resolver entries (a change
// on a page, a recall, the opening of a sheet), the passes and merges, the
// forcing rules, the item availability rules, the change lists, the notices
// and CommitEditedSettings.
//
// Rules:
//   1. A resolution computes without keeping anything: after its passes the
//      settings are put back as they were before the user's change, and the
//      report either applies the user's change with every forced change or
//      applies nothing. Applying nothing leaves the whole settings object as
//      it was, byte for byte.
//   2. Every buffer of a resolution has a fixed capacity (RESOLVE_MAX_*); a
//      resolution that would outgrow one ends unsettled and applies nothing.
//   3. A change on a page without an open page window (no control to read) is
//      the one already written into the settings: its old value is the
//      feature's snapshot (SaveFeatureValues before the change).
#pragma once

#include "platform/windows.h"
#include "ui/constraints/features.h"

#define RESOLVE_MAX_CHANGES 100
#define RESOLVE_MAX_GIVEWAYS 100
#define RESOLVE_MAX_SEED 256
#define RESOLVE_PASS_LIMIT 20

// Statuses.
#define RS_OK 0
#define RS_LIMIT_CHANGE (-1)
#define RS_LIMIT_ALL (-2)
#define RS_GIVEWAY 2
#define RS_RULE612 3
#define RS_SEED612 4
#define RS_EMPTYLIST 5

struct CHANGEENTRY {
    WORD wFeature;
    void* pValue;
    SHORT sValue;
    WORD wKind;
};
static_assert(sizeof(void*) != 4 || sizeof(CHANGEENTRY) == 12);

struct GIVEWAY {
    WORD wFeature;
    SHORT sValue;
};
static_assert(sizeof(GIVEWAY) == 4);

struct RESOLVEREQ {
    CHANGE6* pEntries;  // RESOLVE_MAX_SEED entries
    WORD cEntries;
    WORD wControl;
    WORD cInitial;
    LONG bCustomSize;
    LONG bOverflow;  // the seed was full: the resolution is unsettled
};

struct RESOLVERESULT {
    CHANGEENTRY* pChanges;  // RESOLVE_MAX_CHANGES entries
    GIVEWAY* pGiveWays;     // RESOLVE_MAX_GIVEWAYS entries
    SHORT sInsertDelta;
    LONG lUserPaper;
    WORD cChanges;
    SHORT sStatus;
    WORD cGiveWays;
    BOOL bOverflow;         // a buffer was full: the resolution is unsettled
};

// The open-time report kept until a page is shown.
struct OPENREPORT {
    RESOLVEREQ* pReq;
    RESOLVERESULT* pRes;
};
void FreeOpenReportBlocks(void** ppHolder);

// ---- Buffers ----
BOOL AllocResolveBuffers(RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void FreeResolveBuffers(RESOLVEREQ* pReq, RESOLVERESULT* pRes);
// Bounded appends; FALSE (and the overflow mark) when full.
BOOL AppendChange(RESOLVERESULT* pRes, WORD wFeature, SHORT sValue, WORD wKind);
BOOL AppendGiveWay(RESOLVERESULT* pRes, WORD wFeature, SHORT sValue);
BOOL AppendSeed(RESOLVEREQ* pReq, WORD wFeature, SHORT sOld, SHORT sNew);
int FindSeed(const RESOLVEREQ* pReq, WORD wFeature);

// ---- Resolver entries and helpers ----
void ResolveConstraintsOnChange(HWND hwnd, UISETTINGS* pObj, WORD wControl);
void ResolveConstraintsAll(HWND hwnd, UISETTINGS* pObj);
void ResolveConstraintsOnOpen(HWND hwnd, UISETTINGS* pObj);
void SaveFeatureValues(UISETTINGS* pObj);
void RestoreFeatureValues(UISETTINGS* pObj);
BOOL bFeatureUsable(WORD wFeature);
BOOL bHasPriorityChange(const RESOLVERESULT* pRes, WORD wFrom);
void KeepPriorityChanges(RESOLVERESULT* pRes, WORD wFrom);
void MergeChangesIntoSeed(HWND hwnd, UISETTINGS* pObj, RESOLVERESULT* pRes, RESOLVEREQ* pReq, WORD wFrom);
void MergeChangesOpen(UISETTINGS* pObj, RESOLVERESULT* pRes, RESOLVEREQ* pReq, WORD wFrom);
WORD CountReportableChanges(HWND hwnd, UISETTINGS* pObj, const RESOLVERESULT* pRes);
void SelectSeedCombos(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq);
void CollapseChanges(RESOLVERESULT* pRes);
void SortChangesAll(RESOLVERESULT* pRes);
void SortChangesOnChange(HWND hwnd, WORD wControl, SHORT sValue, RESOLVERESULT* pRes);
void ApplyResolvedValues(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes,
                         int iMode);
void UndoResolution(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes);
void ApplyResolution(HWND hwnd, UISETTINGS* pObj, WORD wControl, const RESOLVEREQ* pReq,
                     const RESOLVERESULT* pRes);
void RefreshDependentControls(HWND hwnd, UISETTINGS* pObj);
void RefreshInsertSheetList(HWND hwnd, UISETTINGS* pObj, const RESOLVERESULT* pRes);
void RedrawInsertSheetList(HWND hwnd, UISETTINGS* pObj);
void RefreshPreviews(HWND hwnd, UISETTINGS* pObj);
void RefreshChangedControls(HWND hwnd, UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes,
                            int iMode, BOOL bPairs);
void RefreshPageCombos(HWND hwnd, UISETTINGS* pObj, WORD wControl, const RESOLVEREQ* pReq,
                       const RESOLVERESULT* pRes);
// Test support: the number of passes the last resolution ran.
int GetLastPassCount();
// The first change entry of the running pass (read by the checks that look
// at this pass's entries only).
void SetPassStart(WORD wFrom);

// ---- Forcing rules ----
void SeedChangedControl(HWND hwnd, UISETTINGS* pObj, WORD wControl, RESOLVEREQ* pReq);
void SeedAllFeatures(UISETTINGS* pObj, RESOLVEREQ* pReq);
void SeedRecallChanges(UISETTINGS* pObj, RESOLVEREQ* pReq);
int ForceUnavailableChecks(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
int ApplySpecialRules(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void ReenablePairedPosition(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void ApplyRulesOfN(int n, HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void FixUpAfterRules(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void SyncPairedSettings(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes, WORD wFrom);
SHORT NormalizeLeadValue(UISETTINGS* pObj, WORD wFeature, SHORT sValue);
SHORT NormalizeConditionValue(UISETTINGS* pObj, WORD wFeature, const SHORT* pRow, int n);
SHORT FoldCustomPaperCode(SHORT sCode);
// The finishing paper view of a paper.
struct PAPERVIEW {
    SHORT sPaper;
    int iFeed;
    int iOrient;
    BOOL bTurn;
};
void GetFinishingPaperView(SHORT sPaper, PAPERVIEW* pView);

// ---- Availability and change lists ----
int UpdateItemAvailability(UISETTINGS* pObj, WORD wFeature, int iItem);
void UpdateAllItemAvailability(UISETTINGS* pObj);
int UpdateFeatureAvailability(UISETTINGS* pObj, WORD wFeature);
BOOL SelectFirstAvailableItem(HWND hwnd, UISETTINGS* pObj, WORD wFeature);
BOOL bTrayUsableForCustomSize(HWND hwnd, UISETTINGS* pObj, WORD* pcEnabled);
int CountInvalidInsertSheets(HWND hwnd, UISETTINGS* pObj, int iMode);
void RememberCustomSizeValue(WORD wFeature, SHORT sValue);
SHORT GetRememberedCustomSize(WORD wFeature);
int SubstituteCustomSize(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq);
void CollectPageChanges(UISETTINGS* pObj, WORD wPage);
void ForgetPageChanges(UISETTINGS* pObj);
void AppendPageChanges(UISETTINGS* pObj, RESOLVEREQ* pReq);
void CollectChangedFeatures(UISETTINGS* pObj);
void ForgetChangedFeatures(UISETTINGS* pObj);
void KeepOpenReport(UISETTINGS* pObj, const RESOLVEREQ* pReq, const RESOLVERESULT* pRes);
void FreeOpenReport(UISETTINGS* pObj);
void ShowPendingConflictReport(HWND hwnd, UISETTINGS* pObj);
void FixNupOrderInSeed(UISETTINGS* pObj, RESOLVEREQ* pReq);
void SwitchInsertSheetList(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq);

// ---- Item availability rules ----
void ItemBlockedByN(int n, UISETTINGS* pObj, WORD wFeature, int iItem);
void CheckPaperTypeItem(UISETTINGS* pObj, WORD wFeature, int iItem);
void CheckFoldItem(UISETTINGS* pObj, WORD wFeature, int iItem);
void CheckStaplePositionItem(UISETTINGS* pObj, WORD wFeature, int iItem);
void CheckPunchPositionItem(UISETTINGS* pObj, WORD wFeature, int iItem);
void CheckFoldSettingsItem(UISETTINGS* pObj, WORD wFeature, int iItem);
void CheckSingleSheetNupItem(UISETTINGS* pObj, WORD wFeature, int iItem);
void CheckBookletItem(UISETTINGS* pObj, WORD wFeature, int iItem);

// ---- Notices ----
void ReportResolveResult(HWND hwnd, UISETTINGS* pObj, WORD wControl, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void ReportRecallResult(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void FinishOpenValidation(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);
void ShowOpenConflictReport(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes);

// ---- Commit and automatic zoom ----
void CommitEditedSettings(UISETTINGS* pObj);
void UpdateZoomForPaper(HWND hwnd, UISETTINGS* pObj, WORD wFeature);
void RecalcAutoZoom(UISETTINGS* pObj);
void SyncSimpleFinishingFlags(UISETTINGS* pObj);
void CalcFitZoom(UISETTINGS* pObj, LONG* plMargin, LONG* plZoom, LONG* plDocW, LONG* plDocL, LONG* plOutW,
                 LONG* plOutL);
void ApplyFitZoom(UISETTINGS* pObj);
void CalcRatioZoom(UISETTINGS* pObj);
void GetPrintableSize(SHORT sCode, LONG* plWidth, LONG* plLength);
void SetCustomSizeMargins(UISETTINGS* pObj, WORD wList, SHORT sCode);
