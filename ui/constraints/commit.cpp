// commit.cpp: apply's common commit of every edited setting with its
// derived copies and its two notices (see resolver.h).
#include <cstring>

#include "platform/gdi/msgbox.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/settings/faxcover.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/listset.h"
#include "ui/settings/papertable.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"

namespace {
enum : WORD {
    P_PAPER = 3, P_OUTPUTPAPER = 4, P_ZOOMCHECK = 5, P_OUTPUT = 46, P_COVERSHEET = 51, P_COVERIMAGE = 174,
    P_LASTOUTPUT = 230, P_SOURCE4TYPE = 231, P_PDLTYPECOPY = 235, P_HDDCOPY = 239, P_PDLTYPE = 98, P_COPIERHDD = 127,
    P_MEDIASOURCE = 7, P_MEDIATYPE = 26, P_COVERMEDIATYPE = 25,
};

void _PutSlot16(UISETTINGS* pObj, WORD wParam, SHORT s)
{
    if (BYTE* p = GetParamSlot(pObj, wParam))
        memcpy(p, &s, 2);
}

// The fax cover record of the object's lists; null when the fax cover group
// allocated none (no image then).
const FAXCOVER* _FaxCover(UISETTINGS* pObj)
{
    LISTSET* ls = pObj->trailer.pListSet;
    return ls && ls->pFaxCover ? (const FAXCOVER*)ls->pFaxCover : nullptr;
}

BOOL _bCoverImageOk(UISETTINGS* pObj)
{
    const FAXCOVER* c = _FaxCover(pObj);
    if (!c || !c->szImage[0])
        return TRUE;
    return bFileCanOpen(c->szImage);
}

void _Append(WCHAR* psz, int cch, LPCWSTR pszMore)
{
    int n = lstrlenW(psz);
    if (pszMore && n < cch - 1)
        lstrcpynW(psz + n, pszMore, cch - n);
}

void _FaxWithoutDestinations(UISETTINGS* pObj)
{
    SetParamEdited(pObj, P_OUTPUT, 2);
    SetParamCommitted(pObj, P_OUTPUT, 2);
    WCHAR szNotice[256];
    wnsprintfW(szNotice, 256, u"%s", GetResString(GetConstraintState(pObj)->bSheetOrigin == 1 ? 22300 : 22301));
    EvaluateControlDependencies(nullptr, pObj);
    BOOL abChanged[4] = {FALSE, FALSE, FALSE, FALSE};
    // The output tray is tried first and the output size last; the message
    // lists them the other way round.
    static const WORD kOrder[4] = {114, 120, 122, 139};
    for (int i = 3; i >= 0; --i)
        if (GetDependencyState(kOrder[i]) == 1 && SelectFirstAvailableItem(nullptr, pObj, kOrder[i])) {
            abChanged[i] = TRUE;
            EvaluateControlDependencies(nullptr, pObj);
        }
    WCHAR szText[512];
    lstrcpynW(szText, szNotice, 512);
    if (abChanged[0] || abChanged[1] || abChanged[2] || abChanged[3]) {
        _Append(szText, 512, GetResString(22307));
        static const UINT kFmt[4] = {31621, 31622, 31623, 31625};
        for (int i = 0; i < 4; ++i)
            if (abChanged[i]) {
                WCHAR line[128];
                LPCWSTR pszValue = GetValueName(kOrder[i], GetFeatureValue(kOrder[i]));
                wnsprintfW(line, 128, GetResString(kFmt[i]), pszValue ? pszValue : u"");
                _Append(szText, 512, line);
            }
        // The re-selected values are what the job takes.
        for (int i = 0; i < 4; ++i)
            if (abChanged[i])
                SetParamCommitted(pObj, GetFeatureParamId(kOrder[i]), GetFeatureValue(kOrder[i]));
    }
    MessageBoxW(nullptr, szText, GetResString(22302), MB_ICONINFORMATION);
    EvaluateControlDependencies(nullptr, pObj);
}

void _MissingCoverImage(UISETTINGS* pObj)
{
    const FAXCOVER* c = _FaxCover(pObj);
    WCHAR szText[517];
    wnsprintfW(szText, 517, u"\n'%s'\n", c ? c->szImage : u"");
    _Append(szText, 517, GetResString(22303));
    _Append(szText, 517, GetResString(22304));
    _Append(szText, 517, GetResString(22305));
    MessageBoxW(nullptr, szText, GetResString(22306), MB_ICONINFORMATION);
    SetParamEdited(pObj, P_COVERIMAGE, 0);
    SetParamCommitted(pObj, P_COVERIMAGE, 0);
}
}  // namespace

static void _CommitEditedSettings(UISETTINGS* pObj)
{
    if (!pObj || !pObj->trailer.pParamRows)
        return;
    BindFeatureFields(pObj);
    SyncSimpleFinishingFlags(pObj);
    // Every edited value becomes its committed copy.
    for (int i = 0; i < pObj->trailer.cParamRows; ++i) {
        WORD w = pObj->trailer.pParamRows[i].row.wParamId;
        if (!(pObj->trailer.pParamRows[i].row.dwKind & PK_ITEMKINDS))
            continue;
        SetParamCommitted(pObj, w, GetParamEdited(pObj, w));
    }
    // The output size: the chosen one only while zoom is on.
    SHORT sOut = GetParamEdited(pObj, P_OUTPUTPAPER), sDoc = GetParamEdited(pObj, P_PAPER);
    _PutSlot16(pObj, P_LASTOUTPUT, sOut);
    SHORT sCommitted = (GetParamEdited(pObj, P_ZOOMCHECK) == 1 && sOut != 257) ? sOut : sDoc;
    if ((sDoc & 0x1000) && !(sCommitted & 0x1000) && FindPaperInfo(sCommitted | 0x1000))
        sCommitted |= 0x1000;
    SetParamCommitted(pObj, P_OUTPUTPAPER, sCommitted);
    if (GetParamEdited(pObj, P_OUTPUT) == 1 && GetFaxDestState(pObj)->lCount == 0)
        _FaxWithoutDestinations(pObj);
    if (GetParamEdited(pObj, P_OUTPUT) == 1 && GetParamEdited(pObj, P_COVERSHEET) == 1 &&
        GetParamEdited(pObj, P_COVERIMAGE) == 1 && !_bCoverImageOk(pObj))
        _MissingCoverImage(pObj);
    IndexTabStoreTexts(pObj);
    SHORT sType = 0;
    if (GetParamCommitted(pObj, P_MEDIASOURCE) == 4)
        sType = GetParamCommitted(pObj, P_MEDIATYPE);
    else if (bCoverSourcePredicate(nullptr, pObj, 0, 0))
        sType = GetParamCommitted(pObj, P_COVERMEDIATYPE);
    _PutSlot16(pObj, P_SOURCE4TYPE, sType);
    // The copies of the PDL type and the hard disk that the DEVMODE keeps.
    _PutSlot16(pObj, P_PDLTYPECOPY, GetParamCommitted(pObj, P_PDLTYPE));
    _PutSlot16(pObj, P_HDDCOPY, GetParamCommitted(pObj, P_COPIERHDD));
}

void CommitEditedSettings(UISETTINGS* pObj)
{
    // The notices read their texts from the resource library.
    LoadResourceDll();
    _CommitEditedSettings(pObj);
    FreeResourceDll();
}
