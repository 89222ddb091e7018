// silentrules.cpp: the rules applied to a DEVMODE that leaves the library
// without a sheet.
//
// Owns: ApplyRulesToDevmode.
//
// A job's settings reach the printer from the user's stored default, from
// an application's DEVMODE or from a sheet. Only a sheet runs the rules
// while it is open; a default stored while a finisher was installed still
// asks for stapling after the finisher went. The merge that hands a DEVMODE
// out without a sheet therefore settles it as a document sheet does when it
// opens: a settings object is made from the merged DEVMODE (whose
// installed-unit fields are the printer's), the opening resolution runs
// over every setting, and what the rules changed is written back. Nothing
// is shown: there is no window to show it on, and the next sheet to open
// shows the settings as they now are.
//
// Rules:
//   1. A DEVMODE the rules leave alone comes back byte for byte as it went
//      in: only a resolution that changed a setting writes the object back.
//   2. The enable states of the controls are the library's, shared with any
//      sheet open in the process; they are saved and put back around the run.
//   3. Any failure (no memory, no settings object, a failed write-back)
//      leaves the DEVMODE as the merge made it.
#include "ui/driverui/silentrules.h"

#include "platform/windows.h"
#include "ui/driverui/driverui.h"
#include "ui/constraints/features.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"

#include <cstring>
#include <vector>

namespace {

enum : WORD { P_PAPER = 3, P_OUTPUTPAPER = 4, P_ZOOMCHECK = 5 };

// The edited value of every parameter that holds one, in row order.
std::vector<SHORT> _EditedValues(UISETTINGS* pObj)
{
    std::vector<SHORT> v;
    v.reserve(pObj->trailer.cParamRows);
    for (int i = 0; i < pObj->trailer.cParamRows; ++i) {
        const UIPARAMRT& r = pObj->trailer.pParamRows[i];
        v.push_back((r.row.dwKind & PK_ITEMKINDS) ? GetParamEdited(pObj, r.row.wParamId) : 0);
    }
    return v;
}

// The current value of every feature, in table order.
std::vector<SHORT> _FeatureValues(UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    std::vector<SHORT> v;
    for (int i = 0; i < g_cFeatures; ++i)
        if (g_aFeatures[i].wKind & FK_VALUEKINDS)
            v.push_back(GetFeatureValue(g_aFeatures[i].wId));
    return v;
}

// Commits what the resolution changed, with the Setup page's derived
// finishing flags as a sheet's commit derives them; TRUE when a feature
// changed. A resolution that changed no feature commits nothing (its apply
// derives the flags anew even then).
BOOL _bCommitChanges(UISETTINGS* pObj, const std::vector<SHORT>& features, const std::vector<SHORT>& before)
{
    if (_FeatureValues(pObj) == features)
        return FALSE;
    SyncSimpleFinishingFlags(pObj);
    for (int i = 0; i < pObj->trailer.cParamRows && i < (int)before.size(); ++i) {
        const UIPARAMRT& r = pObj->trailer.pParamRows[i];
        if (!(r.row.dwKind & PK_ITEMKINDS))
            continue;
        WORD w = r.row.wParamId;
        SHORT s = GetParamEdited(pObj, w);
        if (s == before[i])
            continue;
        // The output size is the chosen one only while zoom is on, as the
        // commit of a sheet takes it.
        if (w == P_OUTPUTPAPER) {
            SHORT sDoc = GetParamEdited(pObj, P_PAPER);
            s = (GetParamEdited(pObj, P_ZOOMCHECK) == 1 && s != 257) ? s : sDoc;
        }
        SetParamCommitted(pObj, w, s);
    }
    return TRUE;
}

}  // namespace

void PrepareSheetSettings(UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    LoadUserPaperRows(pObj->trailer.pListSet ? pObj->trailer.pListSet->pUserPapers : nullptr);
    for (WORD wList : {(WORD)111, (WORD)114}) {
        SHORT sCode = GetFeatureValue(wList);
        if (bFeatureExists(wList) && bIsCustomPaper(sCode))
            SetCustomSizeMargins(pObj, wList, sCode);
    }
    IndexTabCopyNames(0, pObj);
    IndexTabLoadTexts(pObj);
    BindFeatureFields(pObj);
    EvaluateControlDependencies(nullptr, pObj);
    UpdateAllItemAvailability(pObj);
}

BOOL ApplyRulesToDevmode(POPTIONDB hDb, DEVMODEW* pdm, LPCWSTR pszPrinter, HANDLE hPrinter)
{
    if (!hDb || !pdm)
        return FALSE;
    // Without a name the DEVMODE's own (the merge wrote the printer's).
    WCHAR szName[CCHDEVICENAME] = {};
    if (!pszPrinter) {
        lstrcpynW(szName, pdm->dmDeviceName, CCHDEVICENAME);
        pszPrinter = szName;
    }
    // The settings object is made from a copy: making it touches the
    // DEVMODE it reads (the mirror's name, a stale watermark or form index).
    HGLOBAL hCopy = GlobalAlloc(GHND, DRVUI_CB_DEVMODE);
    DEVMODEW* pdmCopy = hCopy ? (DEVMODEW*)GlobalLock(hCopy) : nullptr;
    if (!pdmCopy) {
        if (hCopy)
            GlobalFree(hCopy);
        return FALSE;
    }
    memcpy(pdmCopy, pdm, DRVUI_CB_DEVMODE);
    UISETTINGS* pObj = nullptr;
    if (CreateSettingsObject(hDb, &pObj, pdmCopy, 0, pszPrinter) != 1 || !pObj) {
        GlobalUnlock(hCopy);
        GlobalFree(hCopy);
        return FALSE;
    }

    DEPSTATEPAIR *pCtrl = nullptr, *pDevOpt = nullptr, *pValue = nullptr;
    SaveDependencyStates(&pCtrl, &pDevOpt, &pValue);

    PrepareSheetSettings(pObj);
    const std::vector<SHORT> features = _FeatureValues(pObj);
    const std::vector<SHORT> before = _EditedValues(pObj);
    ResolveConstraintsOnOpen(nullptr, pObj);
    // The report a sheet would show on its first page has no page here.
    FreeOpenReport(pObj);
    BOOL bChanged = _bCommitChanges(pObj, features, before);
    BOOL bOk = TRUE;
    if (bChanged) {
        bOk = SettingsToDevmode(pObj, pdmCopy, hDb) == 1 && ValidateDevmode(hDb, pdmCopy, hPrinter);
        if (bOk)
            memcpy(pdm, pdmCopy, DRVUI_CB_DEVMODE);
    }

    ForgetFeatureBinding(pObj);
    DestroySettingsObject(&pObj);
    RestoreDependencyStates(pCtrl, pDevOpt, pValue);
    FreeDependencyStates(&pCtrl, &pDevOpt, &pValue);
    GlobalUnlock(hCopy);
    GlobalFree(hCopy);
    return bOk;
}
