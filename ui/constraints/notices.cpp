// notices.cpp: the report step of a resolution and the notices that tell
// the user what the rules changed or why a change cannot be made (see
// resolver.h). Every text is bounded: a text that does not fit its buffer is
// cut, never written past it.
#include <cstdarg>
#include <cstring>

#include "platform/gdi/msgbox.h"
#include "ui/constraints/pageservices.h"
#include "ui/constraints/resolver.h"
#include "ui/settings/papertable.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"

BOOL bChangeReportable(UISETTINGS* pObj, const CHANGEENTRY& c);
void FinishCustomSizes(UISETTINGS* pObj);

namespace {

// A bounded text of cch units.
struct TEXT {
    WCHAR* psz;
    int cch;
};

BOOL _NewText(TEXT* t, int cch)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cch * sizeof(WCHAR));
    t->psz = h ? (WCHAR*)GlobalLock(h) : nullptr;
    t->cch = cch;
    return t->psz != nullptr;
}

void _FreeText(TEXT* t)
{
    if (t->psz) {
        HGLOBAL h = GlobalHandle(t->psz);
        GlobalUnlock(h);
        GlobalFree(h);
        t->psz = nullptr;
    }
}

void _Append(TEXT* t, LPCWSTR psz)
{
    if (!t->psz || !psz)
        return;
    int n = lstrlenW(t->psz);
    if (n < t->cch - 1)
        lstrcpynW(t->psz + n, psz, t->cch - n);
}

void _AppendF(TEXT* t, int cchLine, LPCWSTR pszFmt, ...)
{
    WCHAR line[256];
    if (cchLine > 256)
        cchLine = 256;
    va_list ap;
    va_start(ap, pszFmt);
    wvnsprintfW(line, cchLine, pszFmt ? pszFmt : u"", ap);
    va_end(ap);
    _Append(t, line);
}

LPCWSTR _Str(UINT id)
{
    LPCWSTR p = GetResString(id);
    return p ? p : u"";
}

LPCWSTR _Name(WORD f)
{
    LPCWSTR p = GetFeatureName(f);
    return p ? p : u"";
}

LPCWSTR _ValueName(WORD f, SHORT v)
{
    LPCWSTR p = GetValueName(f, v);
    return p ? p : u"";
}

void _ControlCaption(WCHAR* psz, WORD wControl)
{
    wnsprintfW(psz, 32, _Str(22203), _Name(wControl));
}

void _DeviceCaption(WCHAR* psz)
{
    wnsprintfW(psz, 32, u"%s %s", GetModelDisplayName(), GetPdlVersionName());
}

int _Box(HWND hwnd, const TEXT& t, LPCWSTR pszCaption, UINT uType)
{
    return MessageBoxW(hwnd, t.psz, pszCaption, uType);
}

// One line per listed change: copies as a number, others by value name.
void _ListChanges(TEXT* t, UISETTINGS* pObj, const RESOLVERESULT* pRes, int cchLine, BOOL bKindTest)
{
    for (WORD i = 0; i < pRes->cChanges; ++i) {
        const CHANGEENTRY& c = pRes->pChanges[i];
        BOOL bList = bKindTest ? bChangeReportable(pObj, c)
                               : (bFeatureUsable(c.wFeature) || GetFeaturePage(c.wFeature) == PAGE_OPTIONS) &&
                                     c.wFeature != 605 && c.wFeature != 606 && c.wFeature != 607 &&
                                     c.wFeature != 701;
        if (!bList)
            continue;
        if (c.wFeature == 103)
            _AppendF(t, cchLine, _Str(22207), _Name(103), (int)c.sValue);
        else
            _AppendF(t, cchLine, _Str(22310), _Name(c.wFeature), _ValueName(c.wFeature, c.sValue));
    }
}

BOOL _BuildInsertSheetNotice(HWND hwnd, UISETTINGS* pObj, const RESOLVERESULT* pRes, TEXT* t)
{
    if (!pObj->trailer.pListSet)
        return FALSE;
    if (GetDependencyState(249) == 1 && pRes->sInsertDelta > 0) {
        if (CountReportableChanges(hwnd, pObj, pRes))
            _Append(t, _Str(22224));
        _Append(t, _Str(22227));
        return TRUE;
    }
    return FALSE;
}

void _ShowResolveLimitNotice(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes, BOOL bUndo)
{
    WCHAR szCaption[32];
    _DeviceCaption(szCaption);
    TEXT t;
    if (_NewText(&t, 512)) {
        _Append(&t, _Str(pRes->sStatus == RS_LIMIT_CHANGE ? 22201 : 22202));
        _Box(hwnd, t, szCaption, MB_ICONINFORMATION);
        _FreeText(&t);
    }
    if (bUndo)
        UndoResolution(hwnd, pObj, pReq, pRes);
}

void _ShowConflictChangedList(HWND hwnd, UISETTINGS* pObj, WORD c, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    WCHAR szCaption[32];
    _ControlCaption(szCaption, c);
    TEXT t;
    BOOL bText = _NewText(&t, 3072);
    CONSTRAINTSTATE* st = GetConstraintState(pObj);
    if (pRes->sStatus == RS_RULE612) {
        if (st->cPageChanges && st->wPageChangesPage == DLG_MARGIN) {
            lstrcpynW(szCaption, _Str(21019), 32);
            _Append(&t, _Str(22204));
            // The margin dialog's change is kept; the margin shifts instead.
            ApplyResolvedValues(hwnd, pObj, pReq, pRes, 1);
            SetFeatureValue(2301, 1);
            UpdateZoomForPaper(hwnd, pObj, 2301);
            RefreshDependentControls(hwnd, pObj);
            RefreshInsertSheetList(hwnd, pObj, pRes);
            RedrawInsertSheetList(hwnd, pObj);
            RefreshPreviews(hwnd, pObj);
            RefreshChangedControls(hwnd, pObj, pReq, pRes, 1, TRUE);
            RefreshPageCombos(hwnd, pObj, c, pReq, pRes);
        } else {
            _AppendF(&t, 512, _Str(22205), _Name(c));
            UndoResolution(hwnd, pObj, pReq, pRes);
        }
    } else {
        WORD n = CountReportableChanges(hwnd, pObj, pRes);
        if (n)
            _Append(&t, _Str(22206));
        _ListChanges(&t, pObj, pRes, 256, FALSE);
        if (n) {
            _BuildInsertSheetNotice(hwnd, pObj, pRes, &t);
            _Append(&t, _Str(22208));
            _Append(&t, _Str(22200));
        } else {
            _Append(&t, _Str(22209));
            _Append(&t, _Str(22200));
            _BuildInsertSheetNotice(hwnd, pObj, pRes, &t);
        }
    }
    if (bText)
        _Box(hwnd, t, szCaption, MB_ICONINFORMATION);
    _FreeText(&t);
}

int _ShowConflictInfo(HWND hwnd, UISETTINGS* pObj, WORD c, RESOLVEREQ* pReq, RESOLVERESULT* pRes, BOOL bRefresh)
{
    TEXT t;
    if (_NewText(&t, 512)) {
        _AppendF(&t, 512, _Str(22210), _Name(c));
        _Box(hwnd, t, _Str(22211), MB_ICONINFORMATION);
        _FreeText(&t);
    }
    if (bRefresh) {
        UndoResolution(hwnd, pObj, pReq, pRes);
        return 0;
    }
    // The check box goes back to where the user found it.
    SHORT sOld = pReq->cEntries ? pReq->pEntries[0].sOld : GetFeatureValue(c);
    SetFeatureValue(c, sOld);
    EvaluateControlDependencies(hwnd, pObj);
    EnableDependentControls(hwnd, pObj);
    RefreshInsertSheetList(hwnd, pObj, pRes);
    RedrawInsertSheetList(hwnd, pObj);
    RefreshPreviews(hwnd, pObj);
    if (GetFeaturePage(c) == GetActivePageId(pObj))
        return UpdateFeatureControl(hwnd, c, sOld);
    return 0;
}

void _ShowConflictValueList(HWND hwnd, UISETTINGS* pObj, WORD c, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    WCHAR szCaption[32];
    _ControlCaption(szCaption, c);
    TEXT t;
    if (_NewText(&t, 1024)) {
        _AppendF(&t, 256, _Str(22213), _Name(c));
        for (WORD i = 0; i < pRes->cGiveWays; ++i)
            _AppendF(&t, 64, u"   %s : %s\n", _Name(pRes->pGiveWays[i].wFeature),
                     _ValueName(pRes->pGiveWays[i].wFeature, pRes->pGiveWays[i].sValue));
        _Box(hwnd, t, szCaption, MB_ICONINFORMATION);
        _FreeText(&t);
    }
    UndoResolution(hwnd, pObj, pReq, pRes);
}

// The list notices; answers TRUE when the caller applies.
BOOL _ListNotice(HWND hwnd, UISETTINGS* pObj, WORD c, RESOLVEREQ* pReq, RESOLVERESULT* pRes, UINT idHead,
                 LPCWSTR pszCaption, int cch, BOOL bAsk, BOOL bOnlyWithChanges)
{
    if (bOnlyWithChanges && !pRes->cChanges)
        return TRUE;
    TEXT t;
    if (!_NewText(&t, cch))
        return TRUE;
    _AppendF(&t, 256, _Str(idHead), _Name(c));
    _ListChanges(&t, pObj, pRes, 64, TRUE);
    _BuildInsertSheetNotice(hwnd, pObj, pRes, &t);
    if (bAsk && idHead == 22212)
        _Append(&t, _Str(22214));
    int iAnswer = _Box(hwnd, t, pszCaption, MB_ICONINFORMATION | (bAsk ? MB_YESNO : MB_OK));
    _FreeText(&t);
    if (bAsk && iAnswer == IDNO) {
        UndoResolution(hwnd, pObj, pReq, pRes);
        return FALSE;
    }
    return TRUE;
}

BOOL _AskConflictChange2(HWND hwnd, UISETTINGS* pObj, WORD c, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    if (pRes->cChanges)
        return _ListNotice(hwnd, pObj, c, pReq, pRes, 22217, _Str(21008), 3072, TRUE, FALSE);
    if (!pReq->cEntries || pReq->pEntries[0].sOld == pReq->pEntries[0].sNew)
        return TRUE;
    TEXT t;
    if (!_NewText(&t, 512))
        return TRUE;
    _AppendF(&t, 512, _Str(22215), _Name(c));
    int iAnswer = _Box(hwnd, t, _Str(21008), MB_ICONINFORMATION | MB_YESNO);
    _FreeText(&t);
    if (iAnswer == IDNO) {
        UndoResolution(hwnd, pObj, pReq, pRes);
        return FALSE;
    }
    return TRUE;
}

void _ShowInsertSheetNotice(HWND hwnd, UISETTINGS* pObj, WORD c, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    WCHAR szCaption[32];
    if (c)
        wnsprintfW(szCaption, 32, u"%s", _Name(c));
    else
        _DeviceCaption(szCaption);
    TEXT t;
    if (!_NewText(&t, 512))
        return;
    if (_BuildInsertSheetNotice(hwnd, pObj, pRes, &t))
        _Box(hwnd, t, szCaption, MB_ICONINFORMATION);
    _FreeText(&t);
}

void _Finish(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    FinishCustomSizes(pObj);
}

}  // namespace

void ReportResolveResult(HWND hwnd, UISETTINGS* pObj, WORD c, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    BindFeatureFields(pObj);
    if (FindSeed(pReq, 612) >= 0 && pRes->sStatus >= 0)
        pRes->sStatus = RS_SEED612;
    if (pRes->sStatus == 0 && pRes->cGiveWays > 0 && GetFeatureRole(c) == 1)
        pRes->sStatus = RS_GIVEWAY;
    BOOL bApply = FALSE;
    switch (pRes->sStatus) {
    case RS_LIMIT_CHANGE:
    case RS_LIMIT_ALL:
        _ShowResolveLimitNotice(hwnd, pObj, pReq, pRes, TRUE);
        break;
    case RS_RULE612:
        _ShowConflictChangedList(hwnd, pObj, c, pReq, pRes);
        break;
    case RS_SEED612:
        _ShowConflictChangedList(hwnd, pObj, c, pReq, pRes);
        bApply = TRUE;
        break;
    case RS_GIVEWAY:
        _ShowConflictValueList(hwnd, pObj, c, pReq, pRes);
        break;
    case RS_EMPTYLIST:
        _ShowConflictInfo(hwnd, pObj, c, pReq, pRes, !(c == 201 || c == 205 || c == 215));
        break;
    default: {
        CONSTRAINTSTATE* st = GetConstraintState(pObj);
        WORD n = CountReportableChanges(hwnd, pObj, pRes);
        WCHAR szCaption[32];
        _ControlCaption(szCaption, c);
        if (n && GetFeatureKind(c) == FK_RADIO)
            bApply = _ListNotice(hwnd, pObj, c, pReq, pRes, 22212, szCaption, 1024, FALSE, FALSE);
        else if (pReq->bCustomSize)
            bApply = _AskConflictChange2(hwnd, pObj, c, pReq, pRes);
        else if (st->cPageChanges && st->wPageChangesPage == DLG_MARGIN)
            bApply = _ListNotice(hwnd, pObj, c, pReq, pRes, 22218, _Str(21019), 3072, FALSE, TRUE);
        else if (n && st->cPageChanges && st->wPageChangesPage == DLG_INSERTDEF)
            bApply = _ListNotice(hwnd, pObj, c, pReq, pRes, 22220, _Str(22219), 3072, FALSE, TRUE);
        else if (!n) {
            _ShowInsertSheetNotice(hwnd, pObj, c, pReq, pRes);
            bApply = TRUE;
        } else
            bApply = _ListNotice(hwnd, pObj, c, pReq, pRes, 22212, szCaption, 1024, TRUE, FALSE);
        break;
    }
    }
    if (bApply)
        ApplyResolution(hwnd, pObj, c, pReq, pRes);
    _Finish(hwnd, pObj);
}

void ReportRecallResult(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    BindFeatureFields(pObj);
    if (pRes->sStatus == RS_LIMIT_ALL) {
        _ShowResolveLimitNotice(hwnd, pObj, pReq, pRes, FALSE);
        _Finish(hwnd, pObj);
        return;
    }
    TEXT t, note;
    BOOL bText = _NewText(&t, 8192);
    BOOL bNote = _NewText(&note, 2048);
    if (bText && bNote) {
        if (CountReportableChanges(hwnd, pObj, pRes)) {
            _Append(&t, _Str(22102));
            for (WORD i = 0; i < pRes->cChanges; ++i) {
                const CHANGEENTRY& c = pRes->pChanges[i];
                if (!bChangeReportable(pObj, c))
                    continue;
                if (c.wFeature == 103)
                    _AppendF(&t, 64, _Str(22103), _Name(103), (int)c.sValue);
                else
                    _AppendF(&t, 64, _Str(22310), _Name(c.wFeature), _ValueName(c.wFeature, c.sValue));
            }
            _Append(&t, _Str(22104));
            if (pRes->lUserPaper == 0)
                _Append(&t, _Str(22105));
            if (_BuildInsertSheetNotice(hwnd, pObj, pRes, &note)) {
                _Append(&t, note.psz);
                _Append(&t, u"\n");
            }
            MessageBoxW(hwnd, t.psz, _Str(22101), MB_ICONINFORMATION);
        } else {
            BOOL bShow = FALSE;
            if (pRes->lUserPaper == 0) {
                _Append(&t, _Str(22106));
                bShow = TRUE;
            }
            if (_BuildInsertSheetNotice(hwnd, pObj, pRes, &note)) {
                if (bShow)
                    _Append(&t, _Str(22107));
                _Append(&t, note.psz);
                _Append(&t, u"\n");
                bShow = TRUE;
            }
            if (bShow)
                MessageBoxW(hwnd, t.psz, _Str(22101), MB_ICONINFORMATION);
        }
    }
    _FreeText(&t);
    _FreeText(&note);
    ApplyResolution(hwnd, pObj, 0, pReq, pRes);
    _Finish(hwnd, pObj);
}

void FinishOpenValidation(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    BindFeatureFields(pObj);
    if (pRes->sStatus != RS_LIMIT_ALL) {
        ApplyResolvedValues(hwnd, pObj, nullptr, pRes, 0);
        ClampCopies(hwnd, pObj);
        EvaluateControlDependencies(hwnd, pObj);
        EnableDependentControls(hwnd, pObj);
        RefreshChangedControls(hwnd, pObj, nullptr, pRes, 0, TRUE);
        RefreshPageCombos(hwnd, pObj, 0, nullptr, pRes);
    }
    _Finish(hwnd, pObj);
}

void ShowOpenConflictReport(HWND hwnd, UISETTINGS* pObj, RESOLVEREQ* pReq, RESOLVERESULT* pRes)
{
    WORD wMode = GetResolveMode(pObj);
    SetResolveMode(pObj, 3);
    BindFeatureFields(pObj);
    if (pRes->sStatus == RS_LIMIT_ALL) {
        _ShowResolveLimitNotice(hwnd, pObj, pReq, pRes, FALSE);
    } else if (CountReportableChanges(hwnd, pObj, pRes)) {
        TEXT t;
        if (_NewText(&t, 4096)) {
            _Append(&t, _Str(22221));
            _ListChanges(&t, pObj, pRes, 64, FALSE);
            _BuildInsertSheetNotice(hwnd, pObj, pRes, &t);
            WCHAR szCaption[32];
            _DeviceCaption(szCaption);
            _Box(hwnd, t, szCaption, MB_ICONINFORMATION);
            _FreeText(&t);
        }
    } else {
        _ShowInsertSheetNotice(hwnd, pObj, 0, pReq, pRes);
    }
    SetResolveMode(pObj, wMode == 3 ? 0 : wMode);
}

