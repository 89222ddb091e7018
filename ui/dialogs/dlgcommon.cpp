// dlgcommon.cpp: blocks, help, settings by key and list combos of the
// setting dialogs. See dlgcommon.h.
#include "ui/dialogs/dlgcommon.h"
#include "ui/settings/sharedarea.h"
#include "ui/dialogs/subdlg.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstdarg>
#include <cstddef>

// The dialogs' state words sit in the shared state below the preview
// state and the working-file path (MAX_PATH characters) that end it, far
// from the fax destinations and the constraint engine's state at its start.
#define DLG_STATE_OFFSET SHARED_DIALOG_OFFSET
static_assert(DLG_STATE_WORDS * 4 <= SHARED_DIALOG_BYTES);
static_assert(DLG_STATE_OFFSET % 4 == 0);
static_assert(DLG_STATE_OFFSET >= offsetof(UISETTINGS, abShared) + 16384);

DWORD* DlgStateWords(UISETTINGS* pObj)
{
    return pObj ? (DWORD*)((BYTE*)pObj + DLG_STATE_OFFSET) : nullptr;
}

// The block and the help hook are the sub-dialog frame's own.
void* DlgAllocBlock(HWND hDlg, DWORD cb)
{
    return AllocDialogBlock(hDlg, cb);
}

void* DlgGetBlock(HWND hDlg)
{
    return GetSubDlgData(hDlg);
}

void DlgFreeBlock(HWND hDlg)
{
    FreeSubDlgData(hDlg);
}

BOOL DlgAnswerHelp(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return HandleSubDlgHelp(hDlg, uMsg, wParam, lParam);
}

SHORT DlgGetSetting(UISETTINGS* pObj, LPCWSTR pszKey)
{
    WORD id = GetParamIdOfKey(pszKey);
    return pObj && id ? GetParamEdited(pObj, id) : (SHORT)-1;
}

BOOL DlgSetSetting(UISETTINGS* pObj, LPCWSTR pszKey, SHORT sValue)
{
    WORD id = GetParamIdOfKey(pszKey);
    return pObj && id ? SetParamEdited(pObj, id, sValue) : FALSE;
}

BOOL DlgGetRange(UISETTINGS* pObj, LPCWSTR pszKey, DLGRANGE* pRange)
{
    WORD id = GetParamIdOfKey(pszKey);
    const UIITEMRANGE* r = pObj && id ? (const UIITEMRANGE*)GetParamSlot(pObj, id) : nullptr;
    if (!r || !pRange)
        return FALSE;
    pRange->sValue = r->sInitial;
    pRange->sMin = r->sMin;
    pRange->sMax = r->sMax;
    return TRUE;
}

int DlgFillListCombo(HWND hCombo, UISETTINGS* pObj, WORD wFeature, SHORT* psValues, int cValues, SHORT sNeverShown)
{
    BindFeatureFields(pObj);
    FVLHEADER* pList = GetFeatureListHeader(wFeature);
    if (!pList)
        return 0;
    int n = GetFeatureItemCount(wFeature);
    SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    int cShown = 0;
    int iSelect = -1;
    int iDefault = -1;
    for (int i = 0; i < n; ++i) {
        FVLITEM* it = GetFeatureItem(wFeature, i);
        it->sEnabled = ITEM_ENABLED;
        if (UpdateItemAvailability(pObj, wFeature, i) != ITEM_ENABLED || it->sValue == sNeverShown) {
            it->sIndex = ITEM_HIDDEN;
            continue;
        }
        it->sIndex = (SHORT)cShown;
        if (cShown < cValues)
            psValues[cShown] = it->sValue;
        SendMessageW(hCombo, CB_ADDSTRING, 0, (LPARAM)it->szText);
        if (it->sValue == pList->sInitial)
            iSelect = cShown;
        if (it->sValue == pList->sDefault)
            iDefault = cShown;
        ++cShown;
    }
    if (iSelect < 0 && iDefault >= 0) {
        // The current value is not offered: the list's default stands in.
        pList->sInitial = pList->sDefault;
        iSelect = iDefault;
    }
    pList->sCurIndex = (SHORT)(iSelect < 0 ? 0 : iSelect);
    SendMessageW(hCombo, CB_SETCURSEL, iSelect < 0 ? (WPARAM)-1 : (WPARAM)iSelect, 0);
    return cShown;
}

BOOL DlgReadListCombo(HWND hCombo, UISETTINGS* pObj, WORD wFeature)
{
    BindFeatureFields(pObj);
    FVLHEADER* pList = GetFeatureListHeader(wFeature);
    WORD i = FindComboSelectionInList(hCombo, pList);
    if (i == POSITION_NONE)
        return FALSE;
    pList->sInitial = GetValueListItem(pList, i)->sValue;
    pList->sCurIndex = (SHORT)SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    return TRUE;
}

int DlgFormat(LPWSTR pszOut, int cchOut, LPCWSTR pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    int n = wvnsprintfW(pszOut, cchOut, pszFormat, ap);
    va_end(ap);
    return n;
}

BOOL DlgAppend(LPWSTR pszOut, int cchOut, LPCWSTR pszText)
{
    if (!pszOut || cchOut <= 0 || !pszText)
        return FALSE;
    int n = lstrlenW(pszOut);
    int m = lstrlenW(pszText);
    if (n >= cchOut)
        return FALSE;
    lstrcpynW(pszOut + n, pszText, cchOut - n);
    return n + m < cchOut;
}

HMODULE DlgPictureModule()
{
    HMODULE h = GetResourceDllHandle();
    return h;
}

int AddFontNameToCombo(const LOGFONTW* plf, const TEXTMETRICW*, DWORD dwType, LPARAM lParam)
{
    if (plf && (dwType & TRUETYPE_FONTTYPE))
        SendMessageW(reinterpret_cast<HWND>(lParam), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(plf->lfFaceName));
    return 1;
}
